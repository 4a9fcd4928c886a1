// The SQLite driver of the engine: an SQL database is one SQLite file; a standard
// database is a connection without a database of its own, to which the directory's table
// files (each one SQLite file) are attached on demand.
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "framework/engine/Driver.h"

namespace fw {

/// The SQLite driver under the driver names it serves: "SQLITE" and "STANDARD".
std::vector<std::pair<std::string, std::shared_ptr<const TDriver>>> SQLiteDrivers();

}  // namespace fw
