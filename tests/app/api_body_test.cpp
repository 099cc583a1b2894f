// The web API's answer read into staging values.
#include <gtest/gtest.h>

#include <string>

#include "app/run/api_body.h"
#include "app/run/run_once.h"
#include "platform/rtl/rtl.h"

namespace {

using integrador::ReadApiBody;
using integrador::TApiBody;
using rtl::String;

std::string U8(const String& s) { return rtl::StringToUtf8(s); }

TEST(ApiBody, ClassifiesTheAnswer) {
  const struct {
    const char16_t* body;
    TApiBody::Kind kind;
    const char* codigo;
  } cases[] = {
      {u"{\"status\":", TApiBody::Kind::NotJson, ""},
      {u"<html></html>", TApiBody::Kind::NotJson, ""},
      {u"", TApiBody::Kind::NotJson, ""},
      {u"[]", TApiBody::Kind::NotObject, ""},
      {u"\"x\"", TApiBody::Kind::NotObject, ""},
      {u"{\"status\":{\"codigo\":\"002\"},\"abastecimentos\":[1]}", TApiBody::Kind::OtherCodigo, "002"},
      {u"{\"status\":{\"codigo\":1}}", TApiBody::Kind::OtherCodigo, "1"},
      {u"{\"status\":{\"codigo\":null}}", TApiBody::Kind::OtherCodigo, ""},
      {u"{\"status\":{}}", TApiBody::Kind::OtherCodigo, ""},
      {u"{\"status\":{\"codigo\":\"001\"},\"abastecimentos\":[]}", TApiBody::Kind::Records, "001"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(U8(c.body));
    TApiBody b = ReadApiBody(c.body);
    EXPECT_EQ(b.kind, c.kind);
    EXPECT_EQ(U8(b.Codigo), c.codigo);
    if (c.kind == TApiBody::Kind::NotJson) {
      EXPECT_FALSE(b.Message.empty());
    }
  }
}

TEST(ApiBody, MissingMembersRaiseTheJsonLayersText) {
  const struct {
    const char16_t* body;
    const char* error;
  } cases[] = {
      {u"{}", "Value 'status' not found"},
      {u"{\"status\":{\"codigo\":\"001\"}}", "Value 'abastecimentos' not found"},
  };
  for (const auto& c : cases) {
    try {
      ReadApiBody(c.body);
      ADD_FAILURE() << c.error;
    } catch (const rtl::Exception& e) {
      EXPECT_EQ(U8(e.Message()), c.error);
    }
  }
  EXPECT_THROW(ReadApiBody(u"{\"status\":\"001\"}"), rtl::Exception);
  EXPECT_THROW(ReadApiBody(u"{\"status\":{\"codigo\":\"001\"},\"abastecimentos\":{}}"), rtl::Exception);
}

integrador::TSupplyValues Read(const std::string& element) {
  auto body = ReadApiBody(rtl::Utf8ToString("{\"status\":{\"codigo\":\"001\"},\"abastecimentos\":[" + element + "]}"));
  return integrador::ReadSupplyElement(*body.Abastecimentos->Items(0)->GetValue<json::TJSONObject*>());
}

TEST(ApiBody, AnElementBecomesStagingValues) {
  auto v = Read(R"({"id":1523001,"data_inicio":"21/06/2025","hora_inicio":"08:15:00","data_fim":"21/06/2025",
    "hora_fim":"08:20","volume":45.50,"horimetro":"","odometro":123456.7,"veiculo":{"placa":" ABC 1D23 "},
    "combustivel":{"codigo":1}})");
  EXPECT_EQ(U8(v.OrderId), "1523001");
  EXPECT_EQ(U8(rtl::FormatDateTime(u"dd/mm/yyyy hh:nn:ss", v.DataInicio)), "21/06/2025 08:15:00");
  EXPECT_EQ(U8(rtl::FormatDateTime(u"dd/mm/yyyy hh:nn:ss", v.DataFim)), "21/06/2025 08:20:00");
  EXPECT_EQ(U8(v.Quantidade), "45,50");
  EXPECT_EQ(U8(v.Km), "123456,7");
  EXPECT_EQ(U8(v.Placa), "ABC1D23");
  EXPECT_TRUE(v.HasCombustivel);
  EXPECT_EQ(U8(v.CodigoCombustivel), "1");
  EXPECT_NE(U8(v.JsonArquivo).find("\"volume\":45.50"), std::string::npos) << U8(v.JsonArquivo);

  auto h = Read(R"({"id":"A-1","data_inicio":"01/01/2025","hora_inicio":"00:00:00","data_fim":"01/01/2025",
    "hora_fim":"00:00:00","volume":"7","horimetro":"1.234.5","veiculo":{"placa":""},"combustivel":null})");
  EXPECT_EQ(U8(h.Km), "1,234.5");  // only the first point
  EXPECT_EQ(U8(h.Quantidade), "7");
  EXPECT_FALSE(h.HasCombustivel);
}

TEST(ApiBody, ElementsThatCannotBeStagedRaise) {
  const char* base = R"("data_inicio":"21/06/2025","hora_inicio":"08:15:00","data_fim":"21/06/2025","hora_fim":"08:20:00")";
  const std::string cases[] = {
      std::string("{\"id\":1,") + base + ",\"combustivel\":{\"codigo\":1}}",
      std::string("{\"id\":1,") + base + ",\"veiculo\":null,\"combustivel\":{\"codigo\":1}}",
      std::string("{\"id\":1,") + base + ",\"veiculo\":{\"placa\":\"A\"}}",
      std::string("{\"id\":1,") + base + ",\"veiculo\":{\"placa\":\"A\"},\"combustivel\":7}",
      R"({"id":1,"data_inicio":"31/02/2025","hora_inicio":"08:15:00","data_fim":"21/06/2025","hora_fim":"08:20:00",
          "veiculo":{"placa":"A"},"combustivel":null})",
      R"({"id":1,"data_inicio":"2025-06-21","hora_inicio":"08:15:00","data_fim":"21/06/2025","hora_fim":"08:20:00",
          "veiculo":{"placa":"A"},"combustivel":null})",
  };
  for (const auto& c : cases) EXPECT_THROW(Read(c), rtl::Exception) << c;
}

TEST(RunOnceCommandLine, AcceptsOnlyItsOwnOptions) {
  const struct {
    std::vector<const char*> args;
    bool ok;
    const char* database;
    const char* home;
  } cases[] = {
      {{"integrador", "--run-once"}, true, "", ""},
      {{"integrador", "--run-once", "--database", "DEMO", "--home", "/h"}, true, "DEMO", "/h"},
      {{"integrador", "--home", "/h", "--run-once"}, true, "", "/h"},
      {{"integrador", "--run-once", "--database"}, false, "", ""},
      {{"integrador", "--run-once", "--database", ""}, false, "", ""},
      {{"integrador", "--run-once", "--verbose"}, false, "", ""},
      {{"integrador", "--run-once", "--home", "a", "--home", "b"}, false, "", ""},
      {{"integrador", "--database", "DEMO"}, false, "", ""},
  };
  for (const auto& c : cases) {
    integrador::TRunOnceOptions options;
    std::string error;
    bool ok = integrador::ParseRunOnceCommandLine(static_cast<int>(c.args.size()),
                                                  const_cast<char**>(c.args.data()), options, error);
    EXPECT_EQ(ok, c.ok) << c.args.size() << " " << error;
    if (ok) {
      EXPECT_EQ(U8(options.Database), c.database);
      EXPECT_EQ(U8(options.Home), c.home);
    } else {
      EXPECT_FALSE(error.empty());
    }
  }
}

}  // namespace
