// The whole-request limit of the HTTP client: a server that keeps sending a
// byte now and then never trips the inactivity limit, so only the limit on
// the whole request ends such an answer.
#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "platform/net/httpclient.h"
#include "platform/rtl/ustring.h"
#include "tools/api_standin/standin.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// 40 bytes, one every 100 ms: about 4 s for the whole body.
api_standin::Response Trickle() {
  api_standin::Response r;
  r.headers.emplace_back("Content-Type", "application/json");
  r.body = "{\"pad\":\"" + std::string(30, 'x') + "\"}";
  r.pieceSize = 1;
  r.delayBetweenPieces = 100ms;
  return r;
}

class TotalTimeout : public testing::Test {
 protected:
  api_standin::Server server{api_standin::Options{0, 10, std::chrono::minutes(2), ""}};
  net::THTTPClient client;
};

TEST_F(TotalTimeout, DefaultsToAFewMinutes) {
  EXPECT_EQ(client.TotalTimeout(), 180000);
  EXPECT_GT(client.TotalTimeout(), client.ResponseTimeout());
}

TEST_F(TotalTimeout, EndsATrickleThatNeverGoesSilentLongEnough) {
  client.SetResponseTimeout(1000);
  client.SetTotalTimeout(800);
  server.Enqueue(Trickle());
  const auto start = Clock::now();
  std::string message;
  try {
    client.Get(server.BaseUrl() + "api");
    ADD_FAILURE() << "the trickle was accepted";
  } catch (const net::ENetHTTPRequestAborted&) {
    ADD_FAILURE() << "reported as aborted, not as a time-out";
  } catch (const net::ENetHTTPClientException& e) {
    message = rtl::StringToUtf8(e.Message());
  }
  const auto took = Clock::now() - start;
  EXPECT_EQ(message, "Timeout was reached (no complete answer within 800 ms)");
  EXPECT_GE(took, 800ms);
  EXPECT_LT(took, 2500ms);
}

TEST_F(TotalTimeout, ZeroLeavesOnlyTheInactivityLimit) {
  client.SetResponseTimeout(1000);
  client.SetTotalTimeout(0);
  server.Enqueue(Trickle());
  EXPECT_EQ(client.Get(server.BaseUrl() + "api").StatusCode(), 200);
}

}  // namespace
