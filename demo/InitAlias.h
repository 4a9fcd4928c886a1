// Registration of the database alias "QorExample" through which the demonstration's data
// module reaches its tables.
#pragma once

#include <string>

namespace demo {

/// The alias that the data module's datasets name as their DatabaseName.
inline constexpr const char* DemoAliasName = "QorExample";

/// When the default session knows no alias "QorExample", adds it for this session only: a
/// standard alias with `dir` as its path and "PARADOX" as its default driver. An existing
/// alias is kept as it is, wherever it points. The session's configuration mode is left at
/// all three modes once it was changed, also when adding the alias fails (the error then
/// propagates).
void InitAlias(const std::string& dir);

}  // namespace demo
