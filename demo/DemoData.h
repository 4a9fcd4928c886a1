// The demonstration's tables (People.db, Cont.db, Prof.db, Country.DB, Lang.DB): their
// columns and indexes, and the demonstration data that fills them when they are created.
#pragma once

#include <string>
#include <vector>

namespace demo {

/// Creates in the directory `dir` (made when missing) each demonstration table whose file
/// is absent, with its columns and indexes, and fills it with the demonstration data; a
/// table that exists is left as it is. A table whose filling fails is removed again
/// before the error propagates. Returns the names of the tables created, in the order
/// People.db, Cont.db, Prof.db, Country.DB, Lang.DB.
std::vector<std::string> CreateDemoTables(const std::string& dir);

}  // namespace demo
