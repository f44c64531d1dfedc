#include "platform/rtl/Finally.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

namespace {

TEST(Finally, RunsOnNormalExitAndOnException) {
  int runs = 0;
  { Finally f([&] { ++runs; }); }
  EXPECT_EQ(runs, 1);
  EXPECT_THROW(
      {
        Finally f([&] { ++runs; });
        throw std::runtime_error("body");
      },
      std::runtime_error);
  EXPECT_EQ(runs, 2);
}

// The cleanup's own exception goes on when the body finished normally; while
// the body's exception is in flight it is dropped and the body's goes on.
TEST(Finally, CleanupExceptionNeverTerminates) {
  try {
    Finally f([] { throw std::runtime_error("cleanup"); });
  } catch (const std::runtime_error& e) {
    EXPECT_EQ(std::string(e.what()), "cleanup");
  }
  try {
    Finally f([] { throw std::runtime_error("cleanup"); });
    throw std::logic_error("body");
  } catch (const std::logic_error& e) {
    EXPECT_EQ(std::string(e.what()), "body");
  }
}

// A guard inside a destructor or catch handler that runs while an outer
// exception unwinds still lets its own cleanup's exception reach its scope.
TEST(Finally, NestedInsideUnwinding) {
  std::string seen;
  struct Probe {
    std::string* Seen;
    ~Probe() {
      try {
        Finally f([] { throw std::runtime_error("inner"); });
      } catch (const std::runtime_error& e) {
        *Seen = e.what();
      }
    }
  };
  try {
    Probe p{&seen};
    throw std::logic_error("outer");
  } catch (const std::logic_error&) {
  }
  EXPECT_EQ(seen, "inner");
}

}  // namespace
