// Scoped state: TRestore puts a variable back when the scope ends, TScopeExit runs a
// callable when the scope ends (on return and on exceptions alike). Code that changes
// state for a while uses these two instead of guard structs of its own.
#pragma once

#include <exception>
#include <utility>

namespace fw {

/// Saves a variable and puts the saved value back when the scope ends; the two-argument
/// form also sets it for the rest of the scope:
///
///   TRestore<TDataSetState> state(FState, dsCalcFields);  // FState is dsCalcFields here
template <class T>
class TRestore {
 public:
  explicit TRestore(T& variable) : FVariable(variable), FSaved(variable) {}
  TRestore(T& variable, T temporary) : FVariable(variable), FSaved(std::move(variable)) {
    FVariable = std::move(temporary);
  }
  ~TRestore() { FVariable = std::move(FSaved); }
  TRestore(const TRestore&) = delete;
  TRestore& operator=(const TRestore&) = delete;

 private:
  T& FVariable;
  T FSaved;
};

/// Runs `f` when the scope ends: `BeginUpdate(); TScopeExit end([&] { EndUpdate(); });`.
/// An exception of `f` goes on to the caller when the scope ends normally; when the scope
/// is left by an exception, an exception of `f` is dropped and the first one goes on.
template <class F>
class TScopeExit {
 public:
  explicit TScopeExit(F f) : FFunc(std::move(f)), FUncaught(std::uncaught_exceptions()) {}
  ~TScopeExit() noexcept(false) {
    if (std::uncaught_exceptions() == FUncaught) {
      FFunc();
      return;
    }
    try {
      FFunc();
    } catch (...) {
    }
  }
  TScopeExit(const TScopeExit&) = delete;
  TScopeExit& operator=(const TScopeExit&) = delete;

 private:
  F FFunc;
  int FUncaught;
};

}  // namespace fw
