// A private temporary directory for a fuzz target, and SQLite confined to it: the files
// that form files may name are opened read-only and only inside that directory, so that
// no input can create, change or delete a file anywhere.
#pragma once

#include <string>

namespace fuzz {

/// Creates the directory (once per process, removed at exit; one left by a crashed run is
/// removed by the next run) and returns its path.
const std::string& SandboxDir();

/// From now on every SQLite connection of the process opens its files read-only and only
/// below `dir`; any other file is refused as if it could not be opened. Temporary files
/// without a name (sorting, in-memory spill) are left to SQLite.
void ConfineSQLite(const std::string& dir);

}  // namespace fuzz
