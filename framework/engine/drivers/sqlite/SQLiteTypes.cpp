// The SQLite driver's type mapping: the declared type of a column gives the field type
// that holds its values, and a field type gives the declared type a table is created with.
#include <cstdlib>
#include <string>

#include "framework/core/Text.h"
#include "framework/engine/drivers/sqlite/SQLite.h"

namespace fw {

TFieldType SQLiteTypeOfDecl(const char* decl, int& size) {
  size = 0;
  if (!decl) return ftUnknown;
  std::string d = UpperCase(Trim(decl));
  auto paren = d.find('(');
  std::string base = Trim(d.substr(0, paren));
  if (paren != std::string::npos) size = std::atoi(d.c_str() + paren + 1);
  if (base == "SMALLINT" || base == "SHORT") return ftSmallint;
  if (base == "WORD") return ftWord;
  if (base == "INT" || base == "INTEGER" || base == "LONG") return ftInteger;
  if (base == "BIGINT" || base == "LARGEINT") return ftLargeint;
  if (base == "AUTOINC") return ftAutoInc;
  if (base == "BOOLEAN" || base == "LOGICAL" || base == "BOOL") return ftBoolean;
  if (base == "FLOAT" || base == "DOUBLE" || base == "REAL" || base == "NUMERIC" || base == "NUMBER") return ftFloat;
  if (base == "MONEY" || base == "CURRENCY") return ftCurrency;
  if (base == "DATE") return ftDate;
  if (base == "TIME") return ftTime;
  if (base == "TIMESTAMP" || base == "DATETIME") return ftDateTime;
  if (base == "MEMO" || base == "TEXT" || base == "CLOB") {
    if (base == "TEXT" && size > 0) return ftString;
    return ftMemo;
  }
  if (base == "GRAPHIC") return ftGraphic;
  if (base == "BLOB" || base == "BINARY") return ftBlob;
  if (base == "VARCHAR" || base == "CHAR" || base == "ALPHA" || base == "STRING" || base == "NVARCHAR") {
    if (size <= 0) size = 255;
    return ftString;
  }
  return ftUnknown;
}

const char* SQLiteDeclOfType(TFieldType type) {
  switch (type) {
    case ftString: return "VARCHAR";
    case ftSmallint: return "SMALLINT";
    case ftInteger: return "INT";
    case ftWord: return "WORD";
    case ftBoolean: return "BOOLEAN";
    case ftFloat: return "FLOAT";
    case ftCurrency: return "MONEY";
    case ftDate: return "DATE";
    case ftTime: return "TIME";
    case ftDateTime: return "TIMESTAMP";
    case ftAutoInc: return "AUTOINC";
    case ftBlob: return "BLOB";
    case ftMemo: return "MEMO";
    case ftGraphic: return "GRAPHIC";
    case ftLargeint: return "BIGINT";
    case ftUnknown: break;
  }
  return "";
}

}  // namespace fw
