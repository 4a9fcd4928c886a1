// The library's units start in link order and end in reverse, releasing what they made;
// they start by themselves on first use of any library class.
#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "framework/core/Component.h"
#include "library/QorDB.h"
#include "library/QorLook.h"
#include "library/QorTable.h"

namespace {

TEST(QorUnitsTest, StartInstallsTheHooksAndEndReleasesThem) {
  qor::FinalizeUnits();
  qor::ValueReturned = true;
  qor::InitializeUnits();
  EXPECT_FALSE(qor::ValueReturned);
  EXPECT_EQ(qor::DataSetOpenedHook, &qor::PrepareLookupFields);
  ASSERT_NE(qor::AutoIncQuery(), nullptr);
  EXPECT_NE(qor::AutoIncQuery()->FindField("MaxNumAutoIncQuery"), nullptr);
  qor::InitializeUnits();  // a second start changes nothing
  qor::FinalizeUnits();
  EXPECT_EQ(qor::DataSetOpenedHook, nullptr);
  EXPECT_EQ(qor::AutoIncQuery(), nullptr);
  qor::FinalizeUnits();  // nor does a second end
}

TEST(QorUnitsTest, FirstUseOfAnyLibraryClassStartsTheUnits) {
  struct Case {
    const char* what;
    std::function<void(fw::TComponent* owner)> use;
  };
  const Case cases[] = {
      {"TQorTable", [](fw::TComponent* o) { new qor::TQorTable(o); }},
      {"TQorQuery", [](fw::TComponent* o) { new qor::TQorQuery(o); }},
      {"TQorLookField", [](fw::TComponent* o) { new qor::TQorLookField(o); }},
      {"TQorLookupLevelCol", [](fw::TComponent* o) { qor::TQorLookupLevelCol levels(o); }},
      {"TQorDMInfo", [](fw::TComponent* o) { new qor::TQorDMInfo(o); }},
      {"TFieldReturn", [](fw::TComponent*) { qor::TFieldReturn ret(nullptr); }},
      {"QorApp", [](fw::TComponent*) { qor::QorApp(); }},
      {"AssignAutoIncValues", [](fw::TComponent*) { qor::AssignAutoIncValues(nullptr, "t", "db"); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    qor::FinalizeUnits();  // as in a program that never started them
    qor::ValueReturned = true;
    auto owner = std::make_unique<fw::TComponent>(nullptr);
    c.use(owner.get());
    EXPECT_FALSE(qor::ValueReturned);
    EXPECT_EQ(qor::DataSetOpenedHook, &qor::PrepareLookupFields);
    ASSERT_NE(qor::AutoIncQuery(), nullptr);
    // An explicit start afterwards is harmless: it changes nothing.
    fw::TQuery* query = qor::AutoIncQuery();
    qor::ValueReturned = true;
    qor::InitializeUnits();
    EXPECT_EQ(qor::AutoIncQuery(), query);
    EXPECT_TRUE(qor::ValueReturned);
  }
}

}  // namespace
