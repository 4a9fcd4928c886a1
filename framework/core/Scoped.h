// Scoped state: TRestore puts a variable back when the scope ends, TScopeExit runs a
// callable when the scope ends (on return and on exceptions alike).
#pragma once

#include <utility>

namespace fw {

/// Sets a variable for the rest of the scope and puts its old value back at the end.
template <class T>
class TRestore {
 public:
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

/// Runs `f` when the scope ends.
template <class F>
class TScopeExit {
 public:
  explicit TScopeExit(F f) : FFunc(std::move(f)) {}
  ~TScopeExit() { FFunc(); }
  TScopeExit(const TScopeExit&) = delete;
  TScopeExit& operator=(const TScopeExit&) = delete;

 private:
  F FFunc;
};

}  // namespace fw
