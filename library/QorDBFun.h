// Routines that work on query texts and filters of the lookup library.
#pragma once

#include <string>

namespace qor {

/// Position (from 1, in bytes) of the sort clause of a query: the letters "order", any
/// run of characters 0..32, then "by", case-insensitive and outside quoted literals. With
/// `returnStart` the position of "order", else the position just after "by". 0 if none.
/// The words are matched as letter sequences ("reorder by" and "orderby" match too).
int FindOrderBy(const std::string& sql, bool returnStart);

/// The ";"-separated list of sort fields of a query (the first word of every
/// comma-separated item of the sort clause, double quotes stripped; a ";" ends the
/// clause). Empty if the query has no sort clause.
std::string GetOrderByFields(const std::string& sql);

/// The query with its sort clause (and everything after it) replaced by
/// "\r\norder by " and the fields of the ";"-separated list `fields` (each one in double
/// quotes when `quote`). Without a sort clause, the trimmed query minus one trailing ";"
/// gets the new clause. An empty field list only removes the sort clause.
std::string ReplaceOrderBy(const std::string& sql, const std::string& fields, bool quote);

/// The conjunction of two filters: "(a) and (b)"; an empty filter gives the other one.
std::string AndFilters(const std::string& a, const std::string& b);

}  // namespace qor
