// Filter expressions of datasets: `(Country = 'DE') and (Price < 10.5)`, `[Last Name] = 'Sm*'`,
// `Born >= '1990-01-31'`, `Code IS NOT NULL`. Parsed once into a flat program, bound to field
// indexes through a callback and evaluated per record without knowing any dataset class.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace fw {

class Variant;

/// How a filter compares strings.
struct TFilterExprOptions {
  /// Strings compare ignoring case (Unicode simple case folding, Cyrillic included).
  bool CaseInsensitive = false;
  /// A string literal ending in '*' is compared as written instead of matching by prefix.
  bool NoPartialCompare = false;
};

/// A parsed filter expression.
///
/// Grammar (keywords AND, OR, NOT, IS, NULL, TRUE, FALSE in any case; NOT binds tighter than
/// AND, AND tighter than OR):
///   expr     := and { OR and }        and := not { AND not }      not := NOT not | primary
///   primary  := '(' expr ')' | operand [ op operand ] | operand IS [NOT] NULL
///   op       := = | <> | < | > | <= | >=
///   operand  := Name | [name with blanks] | "quoted name" | 'string' ('' for a quote)
///             | number (-12, 10.5) | NULL | TRUE | FALSE
/// A lone operand is a condition of its own only when it is a field holding booleans or a
/// boolean literal. TRUE and FALSE name a field when the dataset has a field of that name.
///
/// Nulls: `X = NULL` (or `X IS NULL`) holds when X is null, `X <> NULL` when it is not; every
/// other comparison with a null value is false. NOT simply negates its operand, so
/// `NOT (X = 1)` holds for a null X.
///
/// Comparing a value with a literal of another kind converts the literal to the value's kind
/// ('5' against a number, '1990-01-31' against a date, 1 against a string compares "1"); numbers
/// of every kind compare by value. A literal that does not convert raises EDatabaseError when
/// the comparison meets such a value. Unless NoPartialCompare is set, `X = 'ab*'` holds when X
/// starts with "ab" and `X <> 'ab*'` when it does not.
///
/// Evaluate touches no shared state: one bound expression may be evaluated from several
/// threads at once.
class TFilterExpression {
 public:
  /// Parses the text; a malformed expression raises EDatabaseError whose message quotes the
  /// whole expression, the position (in characters, from 1) where it broke and what was
  /// expected there.
  explicit TFilterExpression(const std::string& text, TFilterExprOptions options = {});
  ~TFilterExpression();
  TFilterExpression(TFilterExpression&&) noexcept;
  TFilterExpression& operator=(TFilterExpression&&) noexcept;
  TFilterExpression(const TFilterExpression&) = delete;
  TFilterExpression& operator=(const TFilterExpression&) = delete;

  /// Resolves the field names through `resolve` (an index >= 0, or -1 for an unknown name).
  /// An unknown name raises EDatabaseError "Field 'X' not found in filter "..."" and leaves the
  /// expression unbound. May be called again to bind to another field layout.
  void Bind(const std::function<int(const std::string& name)>& resolve);
  /// Whether Evaluate may be called: after Bind, or at once for an expression without names.
  bool IsBound() const;

  /// Evaluates the expression for one record; `value(index)` gives the value of the field of
  /// that index (Null when the field is null). Raises EDatabaseError when not bound, when a
  /// literal cannot be compared with a value, or when a lone field does not hold a boolean.
  bool Evaluate(const std::function<Variant(int index)>& value) const;

  /// The expression as given.
  const std::string& Text() const;
  const TFilterExprOptions& Options() const;
  /// The indexes of the fields the expression uses, each once, in order of first use (empty
  /// before Bind).
  std::vector<int> FieldIndexes() const;

 private:
  struct TImpl;
  std::unique_ptr<TImpl> FImpl;
};

}  // namespace fw
