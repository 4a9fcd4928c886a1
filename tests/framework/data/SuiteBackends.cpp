// The data test program runs the dataset suite (DataSetTest.cpp) on the in-memory dataset.
#include "tests/support/DataSetBackends.h"

std::vector<fwtest::TDataSetBackendKind> fwtest::SuiteBackends() { return {TMemoryBackend::Kind()}; }
