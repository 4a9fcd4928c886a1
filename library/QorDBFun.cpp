#include "library/QorDBFun.h"

#include <cstddef>
#include <string_view>

#include "framework/core/Text.h"
#include "framework/data/DataSet.h"
#include "framework/data/Field.h"
#include "library/QorPas.h"

namespace qor {

namespace {

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= 32; }

char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + ('a' - 'A')) : c; }

// Whether the lower-case ASCII `word` stands at byte offset `i` of `s`, ignoring case.
// Byte-wise ASCII lowering gives the same matches as a full Unicode lower-cased copy for
// the words looked for here (no non-ASCII character lowers to one of their letters) and
// keeps byte positions exact.
bool WordAt(std::string_view s, std::size_t i, std::string_view word) {
  if (i > s.size() || s.size() - i < word.size()) return false;
  for (std::size_t k = 0; k < word.size(); ++k)
    if (AsciiLower(s[i + k]) != word[k]) return false;
  return true;
}

}  // namespace

int FindOrderBy(const std::string& sql, bool returnStart) {
  const std::string_view s(sql);
  const std::size_t n = s.size();
  std::size_t start = 0;  // 0-based offset of the search start

  // Quote state of s[0 .. scanned - 1]; candidates only move forward, so the scan is
  // resumed where it stopped and the whole search stays linear.
  std::size_t scanned = 0;
  bool inSingle = false, inDouble = false;

  while (start < n) {
    std::size_t p = start;
    while (p < n && !WordAt(s, p, "order")) ++p;
    if (p >= n) return 0;

    for (; scanned < p; ++scanned) {
      const char c = s[scanned];
      if (c == '\'')
        inSingle = !inSingle;
      else if (c == '"' && !inSingle)
        inDouble = !inDouble;
    }

    start = p + 5;
    if (inSingle || inDouble) continue;
    while (start < n && IsBlank(s[start])) ++start;
    if (WordAt(s, start, "by"))
      return static_cast<int>(returnStart ? p + 1 : start + 3);  // 1-based
  }
  return 0;
}

std::string GetOrderByFields(const std::string& sql) {
  const int p = FindOrderBy(sql, false);
  if (p == 0) return {};
  const std::string t = fw::Trim(std::string_view(sql).substr(static_cast<std::size_t>(p) - 1));
  const std::size_t n = t.size();

  std::string out;
  bool copying = true;
  std::size_t i = 0;
  while (i < n) {
    // Name phase. A double quote opens a quoted part, taken whole (blanks and commas
    // included) without its quotes; a missing closing quote takes the rest.
    while (i < n) {
      const char c = t[i];
      if (c == '"') {
        std::size_t close = t.find('"', i + 1);
        if (close == std::string::npos) close = n;
        if (copying) out.append(t, i + 1, close - i - 1);
        i = close < n ? close + 1 : n;
        continue;
      }
      if (IsBlank(c) || c == ',' || c == ';') break;
      if (copying) out.push_back(c);
      ++i;
    }
    // A ";" ends the statement, so it ends the clause.
    if (i < n && t[i] == ';') break;
    // Separator phase. Every step of either phase consumes a character unless it stops
    // the walk, so the walk always ends.
    copying = false;
    while (i < n && (IsBlank(t[i]) || t[i] == ',')) {
      if (t[i] == ',') {
        out.push_back(';');
        copying = true;
      }
      ++i;
    }
  }
  return out;
}

std::string ReplaceOrderBy(const std::string& sql, const std::string& fields, bool quote) {
  std::string list;
  if (quote) {
    std::size_t pos = 1;
    bool first = true;
    while (pos <= fields.size()) {
      if (!first) list.push_back(',');
      first = false;
      list.push_back('"');
      list.append(fw::ExtractFieldName(fields, pos));
      list.push_back('"');
    }
  } else {
    list = fields;
    for (char& c : list)
      if (c == ';') c = ',';
  }

  std::string out;
  const int p = FindOrderBy(sql, true);
  if (p > 0) {
    out = sql.substr(0, static_cast<std::size_t>(p) - 1);
  } else {
    out = fw::Trim(sql);
    if (!out.empty() && out.back() == ';') out.pop_back();
  }
  if (!list.empty()) {
    out.append("\r\norder by ");
    out.append(list);
  }
  return out;
}

std::string AndFilters(const std::string& a, const std::string& b) {
  if (a.empty()) return b;
  if (b.empty()) return a;
  return "(" + a + ") and (" + b + ")";
}

std::string GetFieldNameList(fw::TDataSet* ds, bool sqlStyle, bool withBlobs, bool quote) {
  const char separator = sqlStyle ? ',' : ';';
  const bool quoted = sqlStyle && quote;
  std::string out;
  for (const fw::TField* f : ds->GetFields()) {
    if (f->GetFieldKind() != fw::fkData) continue;
    if (f->IsBlob() && !withBlobs) continue;
    if (!out.empty()) out.push_back(separator);
    if (quoted) out.push_back('"');
    out.append(f->GetFieldName());
    if (quoted) out.push_back('"');
  }
  if (sqlStyle && out.empty()) out = "*";
  return out;
}

void CheckFieldNames(fw::TDataSet* ds, const std::string& names) {
  std::size_t pos = 1;
  while (pos <= names.size()) ds->FieldByName(fw::ExtractFieldName(names, pos));
}

std::uint16_t FieldsDisplayWidth(fw::TDataSet* ds, const std::string& names) {
  if (!ds) return 0;
  std::uint16_t width = 0;
  std::size_t pos = 1;
  while (pos <= names.size()) {
    const fw::TField* f = ds->FieldByName(fw::ExtractFieldName(names, pos));
    // Unsigned 16-bit arithmetic: the sum wraps modulo 65536.
    width = static_cast<std::uint16_t>(width + static_cast<std::uint16_t>(f->GetDisplayWidth()));
  }
  return width;
}

std::uint16_t LookupResultWidth(fw::TField* field) {
  if (!field) return 0;
  return FieldsDisplayWidth(field->GetLookupDataSet(), GetStrPropByName(field, "LookupResultField"));
}

}  // namespace qor
