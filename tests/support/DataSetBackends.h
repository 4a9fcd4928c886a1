// Backends of the dataset suite: the suite's cases run on every backend a test program
// instantiates them with, each backend making empty, open datasets of a class derived from
// TMemDataSet. This header holds the backend interface and the in-memory backend; the
// engine's tables are in tests/support/TableBackends.h (the data test program does not
// link the engine).
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "framework/data/MemDataSet.h"

namespace fwtest {

/// A field of a dataset that a backend makes.
struct TFieldSpec {
  std::string Name;
  fw::TFieldType Type;
  std::int32_t Size = 0;
};

/// Makes the datasets of a test; what it sets up around them lasts as long as it does.
class TDataSetBackend {
 public:
  virtual ~TDataSetBackend() = default;
  /// An empty, open dataset with these fields, owned by `owner`; a non-empty `name` names
  /// the component (messages start with it).
  virtual fw::TMemDataSet* NewDataSet(fw::TComponent* owner, const std::string& name,
                                  const std::vector<TFieldSpec>& fields) = 0;
};

/// A backend as a test parameter: its name (in the test's name) and how to make it.
struct TDataSetBackendKind {
  const char* Name;
  std::function<std::unique_ptr<TDataSetBackend>()> Make;
  friend void PrintTo(const TDataSetBackendKind& kind, std::ostream* os) { *os << kind.Name; }
};

/// The backends this test program runs the suite on: each program that compiles the suite
/// defines it once.
std::vector<TDataSetBackendKind> SuiteBackends();

/// Names an instantiated test after its backend: DataSetTest.Navigates/Memory.
inline std::string BackendName(const ::testing::TestParamInfo<TDataSetBackendKind>& info) {
  return info.param.Name;
}

/// The fixture of a suite that runs on backends: the backend of the test's parameter and an
/// owner of the datasets, freed before the backend.
class TBackendTest : public ::testing::TestWithParam<TDataSetBackendKind> {
 protected:
  void SetUp() override { Backend = GetParam().Make(); }
  void TearDown() override {
    Owner.reset();
    Backend.reset();
  }
  /// A dataset of the backend, owned by Owner.
  fw::TMemDataSet* NewDataSet(const std::string& name, const std::vector<TFieldSpec>& fields) {
    return Backend->NewDataSet(Owner.get(), name, fields);
  }
  /// A dataset of the backend that the caller owns.
  std::unique_ptr<fw::TMemDataSet> OwnDataSet(const std::string& name, const std::vector<TFieldSpec>& fields) {
    return std::unique_ptr<fw::TMemDataSet>(Backend->NewDataSet(nullptr, name, fields));
  }

  std::unique_ptr<TDataSetBackend> Backend;
  std::unique_ptr<fw::TComponent> Owner = std::make_unique<fw::TComponent>(nullptr);
};

/// Datasets held in memory only (TMemDataSet).
class TMemoryBackend : public TDataSetBackend {
 public:
  fw::TMemDataSet* NewDataSet(fw::TComponent* owner, const std::string& name,
                          const std::vector<TFieldSpec>& fields) override {
    auto* ds = new fw::TMemDataSet(owner);
    if (!name.empty()) ds->SetName(name);
    for (const TFieldSpec& f : fields) ds->GetFieldDefs()->Add(f.Name, f.Type, f.Size);
    ds->CreateDataSet();
    return ds;
  }

  static TDataSetBackendKind Kind() {
    return {"Memory", [] { return std::make_unique<TMemoryBackend>(); }};
  }
};

}  // namespace fwtest
