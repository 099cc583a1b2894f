// Freeing the busy flag: tries again on a fresh connection after a pause,
// a bounded number of times, and keeps the flag owed when every try fails.
#include <gtest/gtest.h>

#include <chrono>
#include <stdexcept>
#include <string>

#include "app/run/busy_flag.h"
#include "platform/rtl/except.h"
#include "platform/rtl/ustring.h"

namespace {

using Clock = std::chrono::steady_clock;

class BusyFlagClear : public testing::Test {
 protected:
  void SetUp() override { integrador::SetBusyFlagRetryPauseForTests(100); }
  void TearDown() override {
    integrador::SetBusyFlagRetryPauseForTests(0);
    integrador::BusyFlagFreed(integrador::OwedBusyFlag());
  }
};

TEST_F(BusyFlagClear, RetriesOnAFreshConnectionAfterAPause) {
  struct Case {
    int failures;        // tries that fail before one succeeds
    bool cleared;
    int reconnects;
    const char* error;   // the message kept when every try failed
  };
  const Case cases[] = {
      {0, true, 0, ""},
      {1, true, 1, ""},
      {2, true, 2, ""},
      {3, false, 2, "could not extend file 3"},
      {10, false, 2, "could not extend file 3"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.failures);
    int tries = 0, reconnects = 0;
    Clock::time_point lastTry{}, lastReconnect{};
    bool pausedEachTime = true;
    auto clear = [&] {
      ++tries;
      lastTry = Clock::now();
      if (tries <= c.failures) throw rtl::Exception(rtl::Utf8ToString("could not extend file " + std::to_string(tries)));
    };
    auto reconnect = [&] {
      if (Clock::now() - lastTry < std::chrono::milliseconds(90)) pausedEachTime = false;
      ++reconnects;
      lastReconnect = Clock::now();
    };
    rtl::String error;
    EXPECT_EQ(integrador::ClearBusyFlagWithRetries(clear, reconnect, error), c.cleared);
    EXPECT_EQ(reconnects, c.reconnects);
    EXPECT_EQ(tries, std::min(c.failures + 1, integrador::kBusyFlagClearAttempts));
    EXPECT_TRUE(pausedEachTime);
    EXPECT_EQ(rtl::StringToUtf8(error), c.error);
  }
}

TEST_F(BusyFlagClear, AFailingReconnectCountsAsAFailedTry) {
  int tries = 0;
  rtl::String error;
  EXPECT_FALSE(integrador::ClearBusyFlagWithRetries(
      [&] {
        ++tries;
        throw std::runtime_error("server closed the connection unexpectedly");
      },
      [] { throw std::runtime_error("could not connect to server"); }, error));
  EXPECT_EQ(tries, 1);
  EXPECT_EQ(rtl::StringToUtf8(error), "could not connect to server");
}

TEST_F(BusyFlagClear, OnlyTheOwedResourceIsForgotten) {
  EXPECT_EQ(integrador::OwedBusyFlag(), 0);
  integrador::OweBusyFlag(7);
  integrador::BusyFlagFreed(8);  // another resource's clear does not settle it
  EXPECT_EQ(integrador::OwedBusyFlag(), 7);
  integrador::BusyFlagFreed(7);
  EXPECT_EQ(integrador::OwedBusyFlag(), 0);
}

}  // namespace
