// Fuzz target of the sort-clause routines of query texts (FindOrderBy, GetOrderByFields,
// ReplaceOrderBy, library/QorDBFun). An input is a query text, optionally followed by a NUL
// byte and a ";"-separated field list (else "Id;Name"). Checked for every input:
// - no crash, no exception, no undefined behaviour;
// - FindOrderBy's two positions agree: both 0, or "order" starts before the clause
//   body and both lie inside the text;
// - removing the sort clause (an empty field list) leaves a query without one, and
//   replacing the clause yields a text whose own clause, when found, lies at or after
//   the start of the old one.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "library/QorDBFun.h"

namespace {

[[noreturn]] void Fail(const char* what, const std::string& sql, const std::string& fields) {
  std::fprintf(stderr, "fuzz_orderby: %s\nsql: %s\nfields: %s\n", what, sql.c_str(), fields.c_str());
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  const std::size_t nul = input.find('\0');
  const std::string sql = input.substr(0, nul);
  const std::string fields = nul == std::string::npos ? std::string("Id;Name") : input.substr(nul + 1);

  const int start = qor::FindOrderBy(sql, true);
  const int body = qor::FindOrderBy(sql, false);
  const int n = static_cast<int>(sql.size());
  if ((start == 0) != (body == 0)) Fail("FindOrderBy finds the clause in one form only", sql, fields);
  if (start != 0 && !(start >= 1 && start + 7 <= body && body <= n + 1))
    Fail("FindOrderBy's positions are out of order or outside the text", sql, fields);
  (void)qor::GetOrderByFields(sql);

  for (bool quote : {false, true}) {
    const std::string removed = qor::ReplaceOrderBy(sql, "", quote);
    if (qor::FindOrderBy(removed, true) != 0)
      Fail("a query whose sort clause was removed still has one", sql, fields);
    if (!qor::GetOrderByFields(removed).empty())
      Fail("a query whose sort clause was removed still has sort fields", sql, fields);

    const std::string replaced = qor::ReplaceOrderBy(sql, fields, quote);
    const int found = qor::FindOrderBy(replaced, true);
    if (start != 0 && found != 0 && found < start)
      Fail("the replaced sort clause is found before where the old one began", sql, fields);
    (void)qor::GetOrderByFields(replaced);
  }
  return 0;
}
