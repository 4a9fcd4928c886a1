// Test helper: runs a callable and expects an exception of one class with an exact message.
#pragma once

#include <gtest/gtest.h>

#include <exception>
#include <string>

template <class E, class F>
void ExpectError(F&& f, const std::string& message) {
  try {
    f();
  } catch (const E& e) {
    EXPECT_EQ(e.what(), message);
    return;
  } catch (const std::exception& e) {
    ADD_FAILURE() << "unexpected exception: " << e.what();
    return;
  }
  ADD_FAILURE() << "no exception, expected: " << message;
}
