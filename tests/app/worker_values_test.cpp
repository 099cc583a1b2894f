// The values a run takes from the API's elements and the lines it writes:
// pure functions, so each rule is checked on its own.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "app/run/api_body.h"
#include "app/run/config.h"
#include "app/run/log_lines.h"
#include "platform/rtl/except.h"
#include "platform/rtl/ustring.h"
#include "tests/support/test_support.h"

namespace {

using rtl::String;

std::string U8(const String& s) { return rtl::StringToUtf8(s); }
String U16(const std::string& s) { return rtl::Utf8ToString(s); }

std::unique_ptr<json::TJSONValue> Parse(const std::string& text) {
  String message;
  auto value = json::TJSONValue::ParseJSONValue(text, message);
  EXPECT_TRUE(value) << text << ": " << U8(message);
  return value;
}

const json::TJSONObject& AsObject(const std::unique_ptr<json::TJSONValue>& value) {
  return *dynamic_cast<json::TJSONObject*>(value.get());
}

// The id as the run keys the staging row on: one form per number.
TEST(OrderId, ANumberHasOneFormAndOtherIdsAreTheElementsError) {
  struct Case {
    std::string id;      // the member's JSON text
    std::string result;  // "!" + the start of the error
  };
  const Case cases[] = {
      {"800021", "800021"},
      {"800021.0", "800021"},
      {"800021.000", "800021"},
      {"8.00021e5", "800021"},
      {"8.00021E+5", "800021"},
      {"80002100e-2", "800021"},
      {"0800021", "800021"},  // not JSON, never reaches here; see below
      {"-12", "-12"},
      {"12.50", "12.5"},
      {"1e-3", "0.001"},
      {"0", "0"},
      {"0.0", "0"},
      {"12345678901234567890123", "12345678901234567890123"},
      {"1e64", "!'id' tem mais de 64"},
      {"123e62", "!'id' tem mais de 64"},
      {"\"A-1\"", "A-1"},
      {"\"800021.0\"", "800021.0"},  // a text is the platform's own spelling
      {"\"\"", "!'id' vazio"},
      {"null", "!'id' ausente"},
      {"true", "!'id' não é"},
      {"[1]", "!'id' não é"},
      {"{}", "!'id' não é"},
      {"\"" + std::string(65, 'x') + "\"", "!'id' tem mais de 64"},
      {"\"" + std::string(64, 'x') + "\"", std::string(64, 'x')},
  };
  for (const Case& c : cases) {
    if (c.id == "0800021") continue;  // leading zeros are no JSON number
    auto element = Parse("{\"id\":" + c.id + "}");
    std::string got;
    try {
      got = U8(integrador::OrderIdOf(AsObject(element)));
    } catch (const integrador::EElementError& e) {
      got = "!" + U8(e.Message());
    }
    EXPECT_EQ(got.rfind(c.result, 0), 0u) << c.id << " -> " << got;
    if (c.result[0] != '!') { EXPECT_EQ(got, c.result) << c.id; }
  }
  auto missing = Parse("{}");
  EXPECT_THROW(integrador::OrderIdOf(AsObject(missing)), integrador::EElementError);
}

// A volume must be a finite number above 0 and not absurd; anything else is
// the element's error, with the value shown.
TEST(SupplyElement, AVolumeThatIsNoPositiveNumberIsTheElementsError) {
  struct Case {
    std::string volume;
    std::string result;  // the staged text, or "!" + the error
  };
  const Case cases[] = {
      {"45.5", "45,5"},
      {"45", "45"},
      {"\"45.5\"", "45,5"},
      {"0.001", "0,001"},
      {"1000000", "1000000"},
      {"1000000.5", "!Volume inválido: 1000000.5"},
      {"0", "!Volume inválido: 0"},
      {"-5", "!Volume inválido: -5"},
      {"1e308", "!Volume inválido: 1e308"},
      {"null", "!Volume inválido: null"},
      {"{\"v\":1}", "!Volume inválido: {\"v\":1}"},
      {"[1]", "!Volume inválido: [1]"},
      {"true", "!Volume inválido: true"},
      {"\"\"", "!Volume inválido: \"\""},
      {"\"45,5\"", "!Volume inválido: \"45,5\""},
      {"\"nan\"", "!Volume inválido: \"nan\""},
      {"\"inf\"", "!Volume inválido: \"inf\""},
      {"\"" + std::string(100, '9') + "\"", "!Volume inválido: \"" + std::string(39, '9') + "…"},
  };
  for (const Case& c : cases) {
    auto element = Parse(
        R"({"id":1,"data_inicio":"21/06/2025","hora_inicio":"08:15:00","data_fim":"21/06/2025",)"
        R"("hora_fim":"08:20:00","veiculo":{"placa":"A"},"combustivel":null,"volume":)" +
        c.volume + "}");
    std::string got;
    try {
      got = U8(integrador::ReadSupplyElement(AsObject(element)).Quantidade);
    } catch (const integrador::EElementError& e) {
      got = "!" + U8(e.Message());
    }
    EXPECT_EQ(got, c.result) << c.volume;
  }
}

TEST(SupplyElement, WrongTypesAndOverLongPlatesAreTheElementsErrorNamingTheMember) {
  const std::string base =
      R"({"id":1,"data_inicio":"21/06/2025","hora_inicio":"08:15:00","data_fim":"21/06/2025",)"
      R"("hora_fim":"08:20:00","volume":1,)";
  const struct {
    std::string rest;
    const char* error;
  } cases[] = {
      {R"("veiculo":1,"combustivel":null})", "'veiculo' não é um objeto JSON"},
      {R"("veiculo":"ABC","combustivel":null})", "'veiculo' não é um objeto JSON"},
      {R"("veiculo":null,"combustivel":null})", "'veiculo' é nulo"},
      {R"("combustivel":null})", "Value 'veiculo' not found"},
      {R"("veiculo":{"placa":"A"},"combustivel":[1]})", "'combustivel' não é um objeto JSON"},
      {R"("veiculo":{"placa":"A"},"combustivel":7})", "'combustivel' não é um objeto JSON"},
      {R"("veiculo":{"placa":"A"}})", "Value 'combustivel' not found"},
      {R"("veiculo":{"placa":"ABCDEFGHIJ KLMNOPQRSTU"},"combustivel":null})", "'placa' tem mais de 20 caracteres"},
  };
  for (const auto& c : cases) {
    auto element = Parse(base + c.rest);
    try {
      integrador::ReadSupplyElement(AsObject(element));
      ADD_FAILURE() << c.rest;
    } catch (const integrador::EElementError& e) {
      EXPECT_EQ(U8(e.Message()), c.error) << c.rest;
    }
  }
  // Twenty characters once the blanks are gone is within the limit.
  auto fits = Parse(base + R"("veiculo":{"placa":"ABCDEFGHIJ KLMNOPQRST"},"combustivel":null})");
  EXPECT_EQ(U8(integrador::ReadSupplyElement(AsObject(fits)).Placa), "ABCDEFGHIJKLMNOPQRST");
}

// Every line is one line, without the secret in any form, and of bounded
// length.
TEST(LogLine, ScrubsTheSecretInEveryFormAndKeepsOneShortLine) {
  const std::string secret = "s3/cr\"t&x=1 y";
  struct Case {
    std::string message;
    std::string line;
  };
  const Case cases[] = {
      {"token=s3/cr\"t&x=1 y&a=1", "token=***&a=1"},
      {"reason s3%2Fcr%22t%26x%3D1+y.", "reason ***."},
      {"reason s3%2fcr%22t%26x%3d1+y.", "reason ***."},
      {"reason s3%2Fcr%22t%26x%3D1%20y.", "reason ***."},
      {"last read: '\"s3/cr\\\"t&x=1 y\"'", "last read: '\"***\"'"},
      {"last read: '\"s3\\/cr\\\"t&x=1 y\"'", "last read: '\"***\"'"},
      {"twice s3/cr\"t&x=1 y s3/cr\"t&x=1 y", "twice *** ***"},
      {"ERROR:  relation does not exist\nLINE 1: select\n               ^\n",
       "ERROR:  relation does not exist LINE 1: select ^"},
      {"a\r\nb\tc", "a b c"},
      {"no secret here", "no secret here"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(U8(integrador::LogLineText(U16(c.message), U16(secret))), c.line) << c.message;

  const String longLine = integrador::LogLineText(u"Processando orderId: " + String(1 << 20, u'7'), u"");
  EXPECT_EQ(longLine.size(), integrador::kMaxLogLineLength + 1);
  EXPECT_EQ(longLine.back(), u'…');
  // A cut never splits a surrogate pair.
  String pairs;
  for (int i = 0; i < 400; ++i) pairs += u"\U0001F600";
  const String cut = integrador::CutValue(u"x" + pairs, 64);
  EXPECT_EQ(cut.size(), 64u);  // "x", 31 pairs, the ellipsis
  EXPECT_EQ(cut.substr(cut.size() - 2), String(u"\U0001F600").substr(1) + u"…");
  EXPECT_EQ(U8(integrador::LogLineText(u"text", u"")), "text");
}

// A config.json that exists but cannot be read is not reported as missing.
TEST(ConfigFile, AnUnreadableFileIsNotReportedAsMissing) {
  testing_support::TempDir dir;
  const std::filesystem::path path = dir / "config.json";
  std::filesystem::create_directory(path);
  try {
    integrador::ReadConfigFile(U16(path.string()));
    ADD_FAILURE() << "no error";
  } catch (const rtl::Exception& e) {
    EXPECT_EQ(U8(e.Message()), "Arquivo de configuração ilegível: " + path.string() + ": não é um arquivo comum.");
  }
  std::filesystem::remove(path);
  testing_support::WriteFile(path, "{}");
  ::chmod(path.c_str(), 0);
  if (::geteuid() != 0) {  // root reads it whatever its mode
    try {
      integrador::ReadConfigFile(U16(path.string()));
      ADD_FAILURE() << "no error";
    } catch (const rtl::Exception& e) {
      EXPECT_EQ(U8(e.Message()).rfind("Arquivo de configuração ilegível: " + path.string() + ": ", 0), 0u)
          << U8(e.Message());
    }
  }
  ::chmod(path.c_str(), 0600);
}

}  // namespace
