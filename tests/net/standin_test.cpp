// The API stand-in itself: what tests and the demo rely on.
#include <gtest/gtest.h>

#include <set>
#include <stdexcept>

#include "platform/json/json.h"
#include "platform/net/httpclient.h"
#include "platform/rtl/ustring.h"
#include "tools/api_standin/standin.h"

using namespace std::chrono_literals;
using rtl::String;

namespace {

TEST(ApiStandin, DemoRecordsUseThePlatesAndFuelCodesOfTheDemoData) {
  String message;
  auto root = json::TJSONValue::ParseJSONValue(api_standin::DemoBody(5, "27/06/2025"), message);
  ASSERT_TRUE(root) << rtl::StringToUtf8(message);
  EXPECT_EQ(root->GetValue<String>(u"status.codigo"), u"001");
  auto* items = root->GetValue<json::TJSONArray*>(u"abastecimentos");
  ASSERT_EQ(items->Count(), 5);
  std::set<String> ids;
  for (int i = 0; i < items->Count(); ++i) {
    auto* e = items->Items(i)->GetValue<json::TJSONObject*>();
    ids.insert(e->GetValue<String>(u"id"));
    EXPECT_EQ(e->GetValue<String>(u"veiculo.placa"), u"ABC 1D23");
    EXPECT_EQ(e->GetValue<String>(u"combustivel.codigo"), u"1");
    EXPECT_EQ(e->GetValue<String>(u"data_inicio"), u"27/06/2025");
    EXPECT_EQ(e->GetValue<String>(u"data_fim"), u"27/06/2025");
    EXPECT_EQ(e->GetValue<String>(u"horimetro"), u"");
  }
  EXPECT_EQ(ids.size(), 5u);
  EXPECT_EQ(items->Items(0)->GetValue<String>(u"id"), u"1523001");
  EXPECT_EQ(items->Items(0)->GetValue<String>(u"volume"), u"40.50");
}

TEST(ApiStandin, DemoScenarioDatesItsRecordsWithTheRequestedEndDay) {
  api_standin::Server server;
  server.SetResponder(api_standin::Scenario("demo", 2));
  net::THTTPClient client;
  auto response = client.Get(server.BaseUrl() + "api/abastecimentos?token=t&formato=json&empresa=99"
                                                "&posto=10&data_inicio=20%2F06%2F2025&data_fim=27%2F06%2F2025");
  auto root = json::TJSONValue::ParseJSONValue(response.ContentAsString());
  ASSERT_TRUE(root);
  EXPECT_EQ(root->GetValue<String>(u"abastecimentos[1].data_fim"), u"27/06/2025");
  ASSERT_EQ(server.RequestCount(), 1u);
  EXPECT_EQ(server.Requests()[0].QueryParam("data_inicio"), "20/06/2025");
  EXPECT_EQ(server.Requests()[0].QueryParam("token"), "t");
}

TEST(ApiStandin, EveryNamedScenarioAnswers) {
  api_standin::Request request;
  request.query = "data_fim=27%2F06%2F2025";
  for (const auto& name : api_standin::ScenarioNames()) {
    auto responder = api_standin::Scenario(name, 1);
    ASSERT_TRUE(responder) << name;
    api_standin::Response r = responder(request);
    EXPECT_GE(r.status, 200) << name;
  }
  EXPECT_THROW(api_standin::Scenario("nonsense", 1), std::invalid_argument);
}

TEST(ApiStandin, StopsByItselfAfterItsRequestBound) {
  api_standin::Options options;
  options.maxRequests = 2;
  api_standin::Server server(options);
  net::THTTPClient client;
  EXPECT_EQ(client.Get(server.BaseUrl()).StatusCode(), 404);
  EXPECT_EQ(client.Get(server.BaseUrl()).StatusCode(), 404);
  server.Wait();
  EXPECT_FALSE(server.Running());
  EXPECT_THROW(client.Get(server.BaseUrl()), net::ENetHTTPClientException);
  EXPECT_EQ(server.RequestCount(), 2u);
}

TEST(ApiStandin, StopsByItselfAfterItsTimeBound) {
  api_standin::Options options;
  options.maxDuration = 200ms;
  api_standin::Server server(options);
  server.Wait();  // returns only because the bound ends it
  EXPECT_FALSE(server.Running());
}

TEST(ApiStandin, QueueComesBeforeTheResponder) {
  api_standin::Server server;
  server.SetResponder(api_standin::Scenario("error-500", 0));
  api_standin::Response first;
  first.status = 201;
  first.reason = "Created";
  server.Enqueue(first);
  net::THTTPClient client;
  EXPECT_EQ(client.Get(server.BaseUrl()).StatusCode(), 201);
  auto second = client.Get(server.BaseUrl());
  EXPECT_EQ(second.StatusCode(), 500);
  EXPECT_EQ(second.StatusText(), u"Internal Server Error");
}

}  // namespace
