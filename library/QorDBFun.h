// Routines of the lookup library that work on query texts and filters, and on the fields
// of datasets (field name lists, checks and display widths of field lists).
#pragma once

#include <cstdint>
#include <string>

namespace fw {
class TDataSet;
class TField;
}  // namespace fw

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

/// The names of the dataset's data fields in field order. Calculated and lookup fields
/// (any FieldKind but fkData) are left out, and so are blob fields (memo, graphic, blob)
/// unless `withBlobs`. With `sqlStyle` the names are separated by "," (each one in double
/// quotes when `quote`) and an empty list gives "*"; otherwise they are separated by ";",
/// `quote` is ignored and an empty list stays empty. `ds` must not be null.
std::string GetFieldNameList(fw::TDataSet* ds, bool sqlStyle, bool withBlobs, bool quote);

/// Looks up every name of the ";"-separated list with FieldByName: the first unknown name
/// raises fw::EDatabaseError "<dataset>: Field '<name>' not found". An empty list checks
/// nothing; `ds` must not be null.
void CheckFieldNames(fw::TDataSet* ds, const std::string& names);

/// The sum of the DisplayWidth of the fields of the ";"-separated list (each found with
/// FieldByName, so an unknown name raises), kept in 16 bits: a sum above 65535 wraps.
/// 0 without a dataset (the list is then not looked at) or for an empty list.
std::uint16_t FieldsDisplayWidth(fw::TDataSet* ds, const std::string& names);

/// The display width of a lookup field's result: FieldsDisplayWidth of its lookup dataset
/// over the list in its published "LookupResultField" property. 0 without a field.
std::uint16_t LookupResultWidth(fw::TField* field);

}  // namespace qor
