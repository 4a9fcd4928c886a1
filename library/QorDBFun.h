// Routines of the lookup library that work on query texts and filters, on the fields of
// datasets (field name lists, checks and display widths of field lists), and on the order
// and position of datasets of any class (found through their published properties).
#pragma once

#include <cstdint>
#include <string>

#include "framework/data/DataSet.h"

namespace fw {
class TField;
}  // namespace fw

namespace qor {

/// Position (from 1, in bytes) of the sort clause of a query: the letters "order", any
/// run of characters 0..32, then "by", case-insensitive, in the statement's own text:
/// string literals, quoted identifiers ("..", `..`, [..]), comments (-- to the end of the
/// line, /* .. */) and parenthesised parts (subqueries) are passed over. With
/// `returnStart` the position of "order", else the position just after "by". 0 if none.
/// The words are matched as letter sequences ("reorder by" and "orderby" match too).
int FindOrderBy(const std::string& sql, bool returnStart);

/// The ";"-separated list of sort fields of a query (the first word of every
/// comma-separated item of the sort clause, double quotes stripped, a parenthesised part
/// kept whole; comments count as blanks; a ";" ends the clause). Empty if the query has
/// no sort clause.
std::string GetOrderByFields(const std::string& sql);

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

/// The ";"-separated fields that identify a record of the dataset, the first answer of:
/// its published string property "UniqueFields" when not empty; the Fields of the first
/// primary or unique definition of its published "IndexDefs" (a table's own when it has
/// none), brought up to date first; for an engine dataset with a published "TableName",
/// the same from a temporary table of that name (errors reading it are ignored); else
/// GetFieldNameList(ds, false, false, false). Empty without a dataset.
std::string GetUniqueFields(fw::TDataSet* ds);

/// Orders the dataset by the ";"- or ","-separated `fields`. A dataset with a published
/// "SQL" property gets its sort clause replaced (ReplaceOrderBy with `quote`), closing
/// and reopening it when open. Otherwise a published "IndexFieldNames" takes the fields
/// with every "," made ";". With `keepPosition` an open dataset returns to the record it
/// was on (located by GetUniqueFields). Controls are told once, when it is done; errors
/// of closing, opening, locating and setting the property reach the caller (a query
/// whose reopening fails stays closed with its new text). Other datasets are not changed.
void SetDataSetOrder(fw::TDataSet* ds, const std::string& fields, bool keepPosition, bool quote);

/// The ";"-separated fields the dataset is ordered by: for an open table the fields of
/// the index in use; else its published "IndexFieldNames"; else the sort fields of its
/// published "SQL" text (GetOrderByFields). Empty when none gives an answer.
std::string GetDataSetOrder(fw::TDataSet* ds);

/// Re-reads an open dataset. A query is closed and reopened and returns to its bookmark
/// (its position in the rows as read, so the same record when the query returns the same
/// rows in the same order), centred among the buffered records, or stays on its first
/// record when there is no such row any more; its controls are told once. Any other dataset gets its
/// own Refresh. Nothing happens without a dataset or for a closed one.
void RefreshDataSet(fw::TDataSet* ds);

/// The engine's record search on an engine dataset (fw::TDBDataSet): moves to the first
/// record whose `keyFields` equal `keyValues` and centres it among the buffered records.
/// BeforeScroll fires before the search, AfterScroll only when a record was found. False,
/// with the position unchanged, when no record matches; false without any event for a
/// dataset of any other kind.
bool LocateKey(fw::TDataSet* ds, const std::string& keyFields, const fw::Variant& keyValues,
               fw::TLocateOptions options);

}  // namespace qor
