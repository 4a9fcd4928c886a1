// The engine test program runs the dataset suite (tests/framework/data/DataSetTest.cpp) on
// engine tables, over a directory of table files and over one SQLite file.
#include "tests/support/TableBackends.h"

std::vector<fwtest::TDataSetBackendKind> fwtest::SuiteBackends() {
  return {TTableBackend::FilesKind(), TTableBackend::SqlKind()};
}
