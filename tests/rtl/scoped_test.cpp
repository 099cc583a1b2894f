#include "platform/rtl/scoped.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace rtl {
namespace {

// The guard runs its clean-up once on every way out of the scope, and not
// at all once released.
TEST(ScopeExit, RunsOnEveryWayOutUnlessReleased) {
  const struct {
    const char* what;
    bool fail;
    bool release;
    int wantRuns;
  } cases[] = {
      {"normal exit", false, false, 1},
      {"exception", true, false, 1},
      {"released, normal exit", false, true, 0},
      {"exception before the release", true, true, 1},
  };
  for (const auto& c : cases) {
    int runs = 0;
    bool caught = false;
    try {
      ScopeExit guard([&] { ++runs; });
      if (c.fail) throw std::runtime_error("fail");
      if (c.release) guard.Release();
    } catch (const std::runtime_error&) {
      caught = true;
    }
    EXPECT_EQ(caught, c.fail) << c.what;
    EXPECT_EQ(runs, c.wantRuns) << c.what;
  }
}

TEST(ScopedValue, GivesTheValueBackAlsoWhenUnwinding) {
  int value = 1;
  try {
    ScopedValue<int> scoped(value, 2);
    EXPECT_EQ(value, 2);
    throw std::runtime_error("fail");
  } catch (const std::runtime_error&) {
  }
  EXPECT_EQ(value, 1);
}

}  // namespace
}  // namespace rtl
