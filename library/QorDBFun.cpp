#include "library/QorDBFun.h"

#include <algorithm>
#include <cstddef>
#include <exception>
#include <memory>
#include <string_view>

#include "framework/core/Exceptions.h"
#include "framework/core/Scoped.h"
#include "framework/core/Strings.h"
#include "framework/core/Text.h"
#include "framework/core/TypInfo.h"
#include "framework/data/DataSet.h"
#include "framework/data/Field.h"
#include "framework/data/MemDataSet.h"
#include "framework/engine/DBDataSet.h"
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

namespace {

/// Walks SQL text one lexical piece at a time and tells whether a position lies in plain
/// text of the statement itself: outside string literals ('...'), quoted identifiers
/// ("...", `...`, [...]), comments (-- to the end of the line, /* ... */) and outside
/// parentheses (subqueries, function arguments). A doubled quote inside a literal or an
/// identifier closes and reopens it, so it needs no case of its own. Unterminated
/// literals, identifiers and comments run to the end of the text; a closing parenthesis
/// without an opening one is passed over.
class TSqlScanner {
 public:
  explicit TSqlScanner(std::string_view s) : FText(s) {}

  /// Moves the scan up to `pos` (never backwards); whether the character there lies in
  /// plain text outside parentheses. Meant for a position where a word starts: the
  /// second character of a two-character mark ("--", "/*", "*/") is never one.
  bool PlainAt(std::size_t pos) {
    while (FPos < pos) Step();
    return FState == kPlain && FDepth == 0;
  }

 private:
  enum TState { kPlain, kSingle, kDouble, kBacktick, kBracket, kLineComment, kBlockComment };

  void Step() {
    const char c = FText[FPos];
    switch (FState) {
      case kPlain:
        if (c == '\'') FState = kSingle;
        else if (c == '"') FState = kDouble;
        else if (c == '`') FState = kBacktick;
        else if (c == '[') FState = kBracket;
        else if (c == '(') ++FDepth;
        else if (c == ')') FDepth = FDepth > 0 ? FDepth - 1 : 0;
        else if (FText.substr(FPos, 2) == "--") { FState = kLineComment; ++FPos; }
        else if (FText.substr(FPos, 2) == "/*") { FState = kBlockComment; ++FPos; }
        break;
      case kSingle: if (c == '\'') FState = kPlain; break;
      case kDouble: if (c == '"') FState = kPlain; break;
      case kBacktick: if (c == '`') FState = kPlain; break;
      case kBracket: if (c == ']') FState = kPlain; break;
      case kLineComment: if (c == '\n') FState = kPlain; break;
      case kBlockComment:
        if (FText.substr(FPos, 2) == "*/") { FState = kPlain; ++FPos; }
        break;
    }
    ++FPos;
  }

  std::string_view FText;
  std::size_t FPos = 0;
  TState FState = kPlain;
  std::size_t FDepth = 0;
};

/// The length of the comment that starts at `i` of `t` (to the end of its line, or past
/// its closing "*/"), 0 when none starts there.
std::size_t CommentLength(std::string_view t, std::size_t i) {
  if (t.substr(i, 2) == "--") {
    const std::size_t eol = t.find('\n', i);
    return (eol == std::string_view::npos ? t.size() : eol + 1) - i;
  }
  if (t.substr(i, 2) == "/*") {
    const std::size_t close = t.find("*/", i + 2);
    return (close == std::string_view::npos ? t.size() : close + 2) - i;
  }
  return 0;
}

/// The end (one past) of the parenthesised group that opens at `i` of `t`, quotes inside
/// it taken whole; the end of the text when it is not closed.
std::size_t GroupEnd(std::string_view t, std::size_t i) {
  std::size_t depth = 0;
  while (i < t.size()) {
    const char c = t[i];
    if (c == '\'' || c == '"') {
      const std::size_t close = t.find(c, i + 1);
      i = close == std::string_view::npos ? t.size() : close + 1;
      continue;
    }
    if (c == '(') ++depth;
    if (c == ')' && --depth == 0) return i + 1;
    ++i;
  }
  return t.size();
}

}  // namespace

int FindOrderBy(const std::string& sql, bool returnStart) {
  const std::string_view s(sql);
  const std::size_t n = s.size();
  // Candidates only move forward and the scanner resumes where it stopped, so the whole
  // search stays linear.
  TSqlScanner scanner(s);
  std::size_t start = 0;  // 0-based offset of the search start
  while (start < n) {
    std::size_t p = start;
    while (p < n && !(WordAt(s, p, "order") && scanner.PlainAt(p))) ++p;
    if (p >= n) return 0;
    start = p + 5;
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
  const std::string_view v(t);
  const std::size_t n = t.size();

  std::string out;
  bool copying = true;
  std::size_t i = 0;
  while (i < n) {
    // Name phase. A double quote opens a quoted part, taken whole (blanks and commas
    // included) without its quotes; a missing closing quote takes the rest. A
    // parenthesised group (a function's arguments) is taken whole with its parentheses;
    // a comment ends the name as a blank does.
    while (i < n) {
      const char c = t[i];
      if (c == '"') {
        std::size_t close = t.find('"', i + 1);
        if (close == std::string::npos) close = n;
        if (copying) out.append(t, i + 1, close - i - 1);
        i = close < n ? close + 1 : n;
        continue;
      }
      if (c == '(') {
        const std::size_t end = GroupEnd(v, i);
        if (copying) out.append(t, i, end - i);
        i = end;
        continue;
      }
      if (IsBlank(c) || c == ',' || c == ';' || CommentLength(v, i) > 0) break;
      if (copying) out.push_back(c);
      ++i;
    }
    // A ";" ends the statement, so it ends the clause.
    if (i < n && t[i] == ';') break;
    // Separator phase: blanks, commas and comments. Every step of either phase consumes
    // a character unless it stops the walk, so the walk always ends.
    copying = false;
    while (i < n) {
      if (const std::size_t comment = CommentLength(v, i); comment > 0) {
        i += comment;
        continue;
      }
      if (!IsBlank(t[i]) && t[i] != ',') break;
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
  if (sqlStyle && out.empty()) return "*";
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

namespace {

/// The dataset's bookmark of its current record, freed when the scope ends.
class TBookmarkHolder {
 public:
  explicit TBookmarkHolder(fw::TDataSet* ds) : FDataSet(ds), FBookmark(ds->GetBookmark()) {}
  ~TBookmarkHolder() { FDataSet->FreeBookmark(FBookmark); }
  TBookmarkHolder(const TBookmarkHolder&) = delete;
  TBookmarkHolder& operator=(const TBookmarkHolder&) = delete;
  fw::TBookmark Get() const { return FBookmark; }

 private:
  fw::TDataSet* FDataSet;
  fw::TBookmark FBookmark;
};

/// The published "SQL" property of a dataset's class: a string list (read and written as
/// one text) or a plain string. `Prop` is null when the class has neither.
struct TSQLProp {
  fw::TDataSet* DataSet = nullptr;
  const fw::TPropInfo* Prop = nullptr;
  fw::TStrings* Lines = nullptr;

  explicit TSQLProp(fw::TDataSet* ds) : DataSet(ds) {
    const fw::TPropInfo* p = fw::GetPropInfo(ds, "SQL");
    if (!p) return;
    if (p->Kind == fw::TTypeKind::tkClass) {
      Lines = dynamic_cast<fw::TStrings*>(fw::GetObjectProp(ds, p));
      if (Lines) Prop = p;
    } else if (p->Kind == fw::TTypeKind::tkString) {
      Prop = p;
    }
  }
  explicit operator bool() const { return Prop != nullptr; }
  std::string GetText() const { return Lines ? Lines->GetText() : fw::GetStrProp(DataSet, Prop); }
  void SetText(const std::string& text) const {
    if (Lines)
      Lines->SetText(text);
    else
      fw::SetStrProp(DataSet, Prop, text);
  }
};

/// The Fields of the first primary or unique definition, after bringing the definitions
/// up to date; empty when there is none.
std::string UniqueIndexFields(fw::TIndexDefs* defs) {
  defs->Update();
  for (int i = 0; i < defs->GetCount(); ++i) {
    const fw::TIndexDef* def = defs->GetItem(i);
    if (def->GetOptions().Contains(fw::ixPrimary) || def->GetOptions().Contains(fw::ixUnique))
      return def->GetFields();
  }
  return {};
}

/// The index definitions of a dataset: its published "IndexDefs", else a table's own.
fw::TIndexDefs* IndexDefsOf(fw::TDataSet* ds) {
  if (const fw::TPropInfo* p = fw::GetPropInfo(ds, "IndexDefs"); p && p->Kind == fw::TTypeKind::tkClass)
    return dynamic_cast<fw::TIndexDefs*>(fw::GetObjectProp(ds, p));
  if (auto* table = dynamic_cast<fw::TTable*>(ds)) return table->GetIndexDefs();
  return nullptr;
}

}  // namespace

std::string GetUniqueFields(fw::TDataSet* ds) {
  if (!ds) return {};
  std::string fields = GetStrPropByName(ds, "UniqueFields");
  if (!fields.empty()) return fields;

  if (fw::TIndexDefs* defs = IndexDefsOf(ds)) {
    fields = UniqueIndexFields(defs);
    if (!fields.empty()) return fields;
  }

  if (auto* dbDataSet = dynamic_cast<fw::TDBDataSet*>(ds)) {
    const std::string tableName = GetStrPropByName(ds, "TableName");
    if (!tableName.empty()) {
      // The indexes of the table the dataset reads, through a table of its own.
      auto table = std::make_unique<fw::TTable>(nullptr);
      try {
        table->SetDatabaseName(dbDataSet->GetDatabaseName());
        table->SetTableName(tableName);
        fields = UniqueIndexFields(table->GetIndexDefs());
      } catch (const std::exception&) {
        // A table that cannot be read has no answer to give.
        fields.clear();
      }
      if (!fields.empty()) return fields;
    }
  }

  return GetFieldNameList(ds, false, false, false);
}

void SetDataSetOrder(fw::TDataSet* ds, const std::string& fields, bool keepPosition, bool quote) {
  if (!ds) return;

  if (const TSQLProp sql(ds); sql) {
    if (!ds->GetActive()) {
      sql.SetText(ReplaceOrderBy(sql.GetText(), fields, quote));
      return;
    }
    // An empty dataset has no record to return to (its key values would all be null).
    std::string keyFields;
    fw::Variant keyValues;
    if (keepPosition && !ds->IsEmpty()) {
      keyFields = GetUniqueFields(ds);
      if (!keyFields.empty()) keyValues = ds->GetFieldValues(keyFields);
    }
    ds->DisableControls();
    fw::TScopeExit enable([ds] { ds->EnableControls(); });
    ds->Close();
    sql.SetText(ReplaceOrderBy(sql.GetText(), fields, quote));
    ds->Open();
    if (!keyFields.empty()) ds->Locate(keyFields, keyValues, {});
    return;
  }

  const fw::TPropInfo* indexProp = fw::GetPropInfo(ds, "IndexFieldNames");
  if (!indexProp || indexProp->Kind != fw::TTypeKind::tkString) return;
  std::string names = fields;
  for (char& c : names)
    if (c == ',') c = ';';
  std::string keyFields;
  if (keepPosition && ds->GetActive() && !ds->IsEmpty()) keyFields = GetUniqueFields(ds);
  if (keyFields.empty()) {
    fw::SetStrProp(ds, indexProp, names);
    return;
  }
  const fw::Variant keyValues = ds->GetFieldValues(keyFields);
  ds->DisableControls();
  fw::TScopeExit enable([ds] { ds->EnableControls(); });
  fw::SetStrProp(ds, indexProp, names);
  ds->Locate(keyFields, keyValues, {});
}

std::string GetDataSetOrder(fw::TDataSet* ds) {
  if (!ds) return {};
  std::string order;
  if (auto* table = dynamic_cast<fw::TTable*>(ds); table && table->GetActive()) {
    for (int i = 0; i < table->GetIndexFieldCount(); ++i) {
      if (i > 0) order.push_back(';');
      order.append(table->GetIndexField(i)->GetFieldName());
    }
  }
  if (order.empty()) order = GetStrPropByName(ds, "IndexFieldNames");
  if (order.empty()) {
    if (const TSQLProp sql(ds); sql) order = GetOrderByFields(sql.GetText());
  }
  return order;
}

namespace {

// The shown row of a re-read query nearest to a bookmark of rows read before (a query
// numbers its rows 0, 1, ... as it reads them): the bookmark itself when its row is still
// shown, else the nearest shown row before it (the new last record when the last one
// vanished), else the nearest after it; NoBookmark when none is shown.
fw::TBookmark NeighbourOf(const fw::TDataSet* ds, fw::TBookmark bookmark) {
  if (ds->BookmarkValid(bookmark)) return bookmark;
  const auto* rows = dynamic_cast<const fw::TMemDataSet*>(ds);
  if (!rows || bookmark < 0) return fw::NoBookmark;
  const fw::TBookmark count = rows->GetStoredRowCount();
  for (fw::TBookmark b = std::min(bookmark, count - 1); b >= 0; --b)
    if (ds->BookmarkValid(b)) return b;
  for (fw::TBookmark b = bookmark + 1; b < count; ++b)
    if (ds->BookmarkValid(b)) return b;
  return fw::NoBookmark;
}

}  // namespace

void RefreshDataSet(fw::TDataSet* ds) {
  if (!ds || !ds->GetActive()) return;
  if (!dynamic_cast<fw::TQuery*>(ds)) {
    ds->Refresh();
    return;
  }
  const TBookmarkHolder bookmark(ds);
  ds->DisableControls();
  fw::TScopeExit enable([ds] { ds->EnableControls(); });
  ds->Close();
  ds->Open();
  if (bookmark.Get() == fw::NoBookmark) return;
  // Bookmarks are positions in the rows as read: when the query returns the same rows in
  // the same order the record keeps its bookmark; when that row is gone or filtered out,
  // the cursor goes to a neighbour. With no row shown it stays where Open put it, and the
  // scroll still runs as a move would.
  const fw::TBookmark target = NeighbourOf(ds, bookmark.Get());
  if (target != fw::NoBookmark) return ds->GotoBookmark(target);
  ds->CheckBrowseMode();
  ds->DoBeforeScroll();
  ds->Resync({fw::rmCenter});
  ds->DoAfterScroll();
}

bool LocateKey(fw::TDataSet* ds, const std::string& keyFields, const fw::Variant& keyValues,
               fw::TLocateOptions options) {
  auto* dbDataSet = dynamic_cast<fw::TDBDataSet*>(ds);
  if (!dbDataSet) return false;
  dbDataSet->DoBeforeScroll();
  const bool found = dbDataSet->LocateRecord(keyFields, keyValues, options, true);
  if (found) {
    dbDataSet->Resync({fw::rmCenter});
    dbDataSet->DoAfterScroll();
  }
  return found;
}

}  // namespace qor
