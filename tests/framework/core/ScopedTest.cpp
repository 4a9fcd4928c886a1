// Scoped state: TRestore and TScopeExit on a normal exit and on an exception, and what
// becomes of an exception raised by the callable of a TScopeExit.
#include "framework/core/Scoped.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace {

TEST(ScopedTest, RestorePutsTheValueBackOnReturnAndOnException) {
  std::string state = "browse";
  {
    fw::TRestore<std::string> restore(state, "calc");
    EXPECT_EQ(state, "calc");
  }
  EXPECT_EQ(state, "browse");
  try {
    fw::TRestore<std::string> restore(state, "filter");
    throw std::runtime_error("stop");
  } catch (const std::runtime_error&) {
  }
  EXPECT_EQ(state, "browse");
  {
    fw::TRestore<std::string> saved(state);  // saves only; the scope may change it
    state = "edit";
  }
  EXPECT_EQ(state, "browse");
}

TEST(ScopedTest, ScopeExitRunsOnceOnReturnAndOnException) {
  std::vector<std::string> trace;
  {
    fw::TScopeExit end([&] { trace.push_back("end"); });
    trace.push_back("body");
  }
  try {
    fw::TScopeExit end([&] { trace.push_back("end after error"); });
    throw std::runtime_error("stop");
  } catch (const std::runtime_error&) {
    trace.push_back("caught");
  }
  EXPECT_EQ(trace, (std::vector<std::string>{"body", "end", "end after error", "caught"}));
}

TEST(ScopedTest, AnErrorOfTheExitStepGoesOnUnlessAnotherOneIsUnderWay) {
  auto raise = [](const char* what) { throw std::runtime_error(what); };
  std::string caught;
  try {
    fw::TScopeExit end([&] { raise("exit step"); });
  } catch (const std::runtime_error& e) {
    caught = e.what();
  }
  EXPECT_EQ(caught, "exit step");
  try {
    fw::TScopeExit end([&] { raise("exit step"); });
    raise("body");
  } catch (const std::runtime_error& e) {
    caught = e.what();
  }
  EXPECT_EQ(caught, "body");
}

}  // namespace
