#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "platform/json/json.h"
#include "platform/rtl/ustring.h"

using json::EJSONException;
using json::TJSONArray;
using json::TJSONNumber;
using json::TJSONObject;
using json::TJSONString;
using json::TJSONValue;
using rtl::S;
using rtl::String;

namespace {

std::unique_ptr<TJSONValue> parse(const std::string& text) {
  String message;
  auto value = TJSONObject::ParseJSONValue(text, message);
  EXPECT_TRUE(value) << text << ": " << rtl::StringToUtf8(message);
  return value;
}

std::string messageOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const EJSONException& e) {
    return rtl::StringToUtf8(e.Message());
  }
  return "<no exception>";
}

const char kElement[] =
    R"({"id":1523001,"data_inicio":"21/06/2025","hora_inicio":"08:15:00","data_fim":"21/06/2025",)"
    R"("hora_fim":"08:20:10","volume":45.50,"horimetro":"","odometro":123456.7,)"
    R"("veiculo":{"placa":"ABC 1D23"},"combustivel":{"codigo":1}})";

TEST(JsonNumbers, KeepTheirTextAsWritten) {
  const char* numbers[] = {"45.50", "45.5", "0", "-0", "1523001", "-17", "1e3", "1E+03", "2.50e-4",
                           "0.10", "18446744073709551615", "18446744073709551616",
                           "-9223372036854775808", "-9223372036854775809",
                           "123456789012345678901234567890.000"};
  for (const char* n : numbers) {
    auto value = parse(std::string("{\"v\":") + n + "}");
    ASSERT_TRUE(value);
    EXPECT_EQ(value->GetValue<String>(u"v"), S(n));
    EXPECT_EQ(value->FindValue(u"v")->Value(), S(n));
    EXPECT_EQ(value->ToUtf8JSON(), std::string("{\"v\":") + n + "}");
  }
}

TEST(JsonNumbers, ConvertToNumericTypesWhenTheyFit) {
  auto value = parse(R"({"i":17,"big":9007199254740993,"f":45.50,"whole":2.0,"e":1e3,"s":"42",
                         "huge":99999999999,"neg":-5})");
  EXPECT_EQ(value->GetValue<int>(u"i"), 17);
  EXPECT_EQ(value->GetValue<std::int64_t>(u"big"), 9007199254740993LL);
  EXPECT_DOUBLE_EQ(value->GetValue<double>(u"f"), 45.5);
  EXPECT_EQ(value->GetValue<int>(u"whole"), 2);
  EXPECT_EQ(value->GetValue<int>(u"e"), 1000);
  EXPECT_EQ(value->GetValue<int>(u"s"), 42);  // a string holding an integer
  EXPECT_EQ(value->GetValue<int>(u"neg"), -5);
  EXPECT_EQ(messageOf([&] { value->GetValue<int>(u"f"); }),
            "Conversion from TJSONNumber to Integer is not supported");
  EXPECT_EQ(messageOf([&] { value->GetValue<int>(u"huge"); }),
            "Conversion from TJSONNumber to Integer is not supported");
  EXPECT_EQ(value->GetValue<std::int64_t>(u"huge"), 99999999999LL);
}

TEST(JsonValues, ReadAsTextTheWayTheRunReadsMembers) {
  auto value = parse(R"({"s":"001","n":1,"t":true,"f":false,"z":null,"o":{},"a":[]})");
  struct Case {
    const char16_t* name;
    const char16_t* asText;   // GetValue<String>
    const char16_t* value;    // Value()
  };
  const Case cases[] = {
      {u"s", u"001", u"001"}, {u"n", u"1", u"1"},     {u"t", u"true", u"true"},
      {u"f", u"false", u"false"}, {u"z", u"", u"null"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(value->GetValue<String>(c.name), c.asText) << rtl::StringToUtf8(c.name);
    EXPECT_EQ(value->FindValue(c.name)->Value(), c.value);
  }
  EXPECT_EQ(value->FindValue(u"o")->Value(), u"");
  EXPECT_TRUE(value->FindValue(u"z")->Null());
  EXPECT_EQ(messageOf([&] { value->GetValue<String>(u"o"); }),
            "Conversion from TJSONObject to string is not supported");
  EXPECT_EQ(value->GetValue<bool>(u"t"), true);
  EXPECT_EQ(value->GetValue<bool>(u"f"), false);
}

TEST(JsonValues, MissingMembersRaiseValueNotFound) {
  auto value = parse(R"({"status":{"codigo":"001"},"abastecimentos":[{"id":7}]})");
  struct Case {
    const char16_t* path;
    const char* message;
  };
  const Case cases[] = {
      {u"Status", "Value 'Status' not found"},  // names are case-sensitive
      {u"Parametros", "Value 'Parametros' not found"},
      {u"status.mensagem", "Value 'status.mensagem' not found"},
      {u"abastecimentos[1]", "Value 'abastecimentos[1]' not found"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(messageOf([&] { value->GetValue<String>(c.path); }), c.message);
    String out = u"kept";
    EXPECT_FALSE(value->TryGetValue<String>(c.path, out));
    EXPECT_EQ(out, u"kept");
  }
  EXPECT_EQ(value->GetValue<String>(u"status.codigo"), u"001");
  EXPECT_EQ(value->GetValue<String>(u"abastecimentos[0].id"), u"7");
}

TEST(JsonValues, TypedLookupsGiveTheTreesOwnObjectsOrAConversionError) {
  auto value = parse(R"({"status":{"codigo":"001"},"abastecimentos":[1,{"id":2}],"c":null})");
  TJSONObject* status = value->GetValue<TJSONObject*>(u"status");
  ASSERT_NE(status, nullptr);
  EXPECT_EQ(status->GetValue<String>(u"codigo"), u"001");
  TJSONArray* items = value->GetValue<TJSONArray*>(u"abastecimentos");
  ASSERT_EQ(items->Count(), 2);
  EXPECT_EQ(messageOf([&] { items->Items(0)->GetValue<TJSONObject*>(); }),
            "Conversion from TJSONNumber to TJSONObject is not supported");
  EXPECT_EQ(items->Items(1)->GetValue<TJSONObject*>()->GetValue<String>(u"id"), u"2");
  // A null member is not an object: the caller cannot get a null pointer.
  EXPECT_EQ(messageOf([&] { value->GetValue<TJSONObject*>(u"c"); }),
            "Conversion from TJSONNull to TJSONObject is not supported");
  TJSONObject* none = nullptr;
  EXPECT_FALSE(value->TryGetValue<TJSONObject*>(u"c", none));
  EXPECT_EQ(none, nullptr);
  EXPECT_THROW(items->Items(2), EJSONException);
  EXPECT_THROW(items->Items(-1), EJSONException);
}

TEST(JsonObjects, KeepPairsInOrderAndTheFirstOfTwoNamesWins) {
  auto value = parse(R"({"b":1,"a":2,"b":3})");
  auto* obj = dynamic_cast<TJSONObject*>(value.get());
  ASSERT_EQ(obj->Count(), 3);
  EXPECT_EQ(obj->Pairs(0)->JsonString()->Value(), u"b");
  EXPECT_EQ(obj->Pairs(1)->JsonString()->Value(), u"a");
  EXPECT_EQ(obj->GetValue<String>(u"b"), u"1");
  EXPECT_EQ(obj->ToUtf8JSON(), R"({"b":1,"a":2,"b":3})");
}

TEST(JsonObjects, MembersAreFoundByTheirExactNameWhateverTheCharacters) {
  // "\u00e9" is two UTF-8 bytes, as long as the two-letter name "ab".
  auto value = parse("{\"\u00e9\":1,\"pre\u00e7o\":2,\"ab\":3,\"Ab\":4,\"a\":5}");
  auto* obj = dynamic_cast<TJSONObject*>(value.get());
  ASSERT_TRUE(obj);
  struct Case {
    String name;
    const char* expected;  // nullptr: not a member
  } cases[] = {
      {u"\u00E9", "1"}, {u"pre\u00E7o", "2"}, {u"ab", "3"}, {u"Ab", "4"}, {u"a", "5"},
      {u"AB", nullptr},  {u"e", nullptr},     {u"preco", nullptr}, {u"", nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(rtl::StringToUtf8(c.name));
    TJSONValue* found = obj->GetMemberValue(c.name);
    json::TJSONPair* pair = obj->Get(c.name);
    if (!c.expected) {
      EXPECT_EQ(found, nullptr);
      EXPECT_EQ(pair, nullptr);
      continue;
    }
    ASSERT_NE(found, nullptr);
    ASSERT_NE(pair, nullptr);
    EXPECT_EQ(found, pair->JsonValue());
    EXPECT_EQ(found->Value(), S(c.expected));
    EXPECT_EQ(pair->JsonString()->Value(), c.name);
  }
}

TEST(JsonText, ReserialisesAnElementUnchanged) {
  auto value = parse(kElement);
  EXPECT_EQ(value->ToUtf8JSON(), kElement);
  EXPECT_EQ(value->ToJSON(), S(kElement));
}

TEST(JsonText, EscapesOnlyWhatJsonRequires) {
  auto value = parse(R"({"t":"a\"b\\c\/d\u00e9\u0001\n\t","u":"\u00d3LEO \ud83d\ude00"})");
  EXPECT_EQ(value->GetValue<String>(u"t"), u"a\"b\\c/d\u00E9\u0001\n\t");
  EXPECT_EQ(value->GetValue<String>(u"u"), u"\u00D3LEO \U0001F600");
  EXPECT_EQ(value->ToUtf8JSON(),
            "{\"t\":\"a\\\"b\\\\c/d\xC3\xA9\\u0001\\n\\t\",\"u\":\"\xC3\x93LEO \xF0\x9F\x98\x80\"}");
  // What ToJSON writes parses back to the same text.
  auto again = parse(value->ToUtf8JSON());
  EXPECT_EQ(again->ToUtf8JSON(), value->ToUtf8JSON());
}

TEST(JsonText, ParsesFromUtf16TextToo) {
  String text = u"{\"placa\":\"CAMINH\u00C3O\",\"v\":1.10}";
  String message;
  auto value = TJSONObject::ParseJSONValue(text, message);
  ASSERT_TRUE(value);
  EXPECT_TRUE(message.empty());
  EXPECT_EQ(value->GetValue<String>(u"placa"), u"CAMINH\u00C3O");
  EXPECT_EQ(value->ToJSON(), text);
}

TEST(JsonText, InvalidTextGivesNullAndTheParsersMessage) {
  struct Case {
    std::string text;
    const char* message;  // its start
  };
  const Case cases[] = {
      {R"({"status":)", "parse error at line 1, column 11: syntax error while parsing value"},
      {"<html><body>Erro</body></html>", "parse error at line 1, column 1: syntax error while parsing value"},
      {"", "parse error at line 1, column 1"},
      {R"({"a":1} x)", "parse error at line 1, column 9: syntax error while parsing value - invalid literal"},
      {R"({"a":01})", "parse error at line 1, column 7"},
      {"{\"a\":\"\xFF\"}", "parse error at line 1, column 7: syntax error while parsing value - invalid string"},
      {R"({"a":"\ud800\x"})", "parse error at line 1, column 14: syntax error while parsing value - invalid string"},
      {R"({"a":NaN})", "parse error at line 1, column 6"},
  };
  for (const auto& c : cases) {
    String message;
    EXPECT_FALSE(TJSONObject::ParseJSONValue(c.text, message)) << c.text;
    EXPECT_EQ(rtl::StringToUtf8(message).rfind(c.message, 0), 0u)
        << c.text << " -> " << rtl::StringToUtf8(message);
    EXPECT_FALSE(TJSONObject::ParseJSONValue(c.text));
  }
}

// A surrogate escape without its other half is one bad character, not a bad
// body: it reads as U+FFFD and the rest of the text is kept.
TEST(JsonText, LoneSurrogateEscapesReadAsTheReplacementCharacter) {
  struct Case {
    const char* text;
    std::u16string value;  // of member "a"
  };
  const Case cases[] = {
      {R"({"a":"\ud800"})", u"\uFFFD"},
      {R"({"a":"x\uDBFFy"})", u"x\uFFFDy"},
      {R"({"a":"\udc00"})", u"\uFFFD"},
      {R"({"a":"\ud800\ud800\ude00"})", u"\uFFFD\U00010200"},
      {R"({"a":"\ud83d\ude00\ud83d"})", u"\U0001F600\uFFFD"},
      {R"({"a":"\ud800\n"})", u"\uFFFD\n"},
      // An escaped backslash before "u" is no escape at all.
      {R"({"a":"\\ud800"})", u"\\ud800"},
      {R"({"\ud800":0,"a":"\ud800"})", u"\uFFFD"},
  };
  for (const auto& c : cases) {
    String message;
    auto value = TJSONObject::ParseJSONValue(std::string(c.text), message);
    ASSERT_TRUE(value) << c.text << ": " << rtl::StringToUtf8(message);
    EXPECT_EQ(value->GetValue<String>(u"a"), String(c.value.begin(), c.value.end())) << c.text;
  }
  // Outside a string the same characters stay a syntax error.
  String message;
  EXPECT_FALSE(TJSONObject::ParseJSONValue(std::string(R"({"a":\ud800})"), message));
}

TEST(JsonText, ParserMessagesStayShortWhateverTheBody) {
  std::string text = "{\"a\":\"" + std::string(100000, 'x');  // an unterminated string
  String message;
  EXPECT_FALSE(TJSONObject::ParseJSONValue(text, message));
  EXPECT_LE(message.size(), 310u);
  EXPECT_EQ(rtl::StringToUtf8(message).rfind("parse error", 0), 0u);
}

TEST(JsonText, AnyRootKindParses) {
  EXPECT_TRUE(dynamic_cast<TJSONArray*>(parse("[]").get()));
  EXPECT_TRUE(dynamic_cast<TJSONString*>(parse("\"x\"").get()));
  EXPECT_TRUE(dynamic_cast<TJSONNumber*>(parse(" 12 ").get()));
  EXPECT_TRUE(parse("null")->Null());
}

TEST(JsonLimits, NestingBeyondTheLimitIsRefusedWithoutExhaustingTheStack) {
  json::TJSONParseLimits limits;
  limits.maxDepth = 64;
  String message;
  std::string ok = std::string(64, '[') + std::string(64, ']');
  EXPECT_TRUE(TJSONValue::ParseJSONValue(ok, message, limits));
  std::string deep = std::string(65, '[') + std::string(65, ']');
  EXPECT_FALSE(TJSONValue::ParseJSONValue(deep, message, limits));
  EXPECT_EQ(message, u"nesting too deep (more than 64 levels)");

  // The default limit holds against a hostile body of a million brackets.
  std::string hostile(1000000, '[');
  EXPECT_FALSE(TJSONValue::ParseJSONValue(hostile, message));
  EXPECT_EQ(message, u"nesting too deep (more than 512 levels)");
}

TEST(JsonLimits, TooManyValuesOrTooMuchTextIsRefused) {
  json::TJSONParseLimits limits;
  limits.maxValues = 10;
  String message;
  EXPECT_TRUE(TJSONValue::ParseJSONValue("[1,2,3,4,5,6,7,8,9]", message, limits));
  EXPECT_FALSE(TJSONValue::ParseJSONValue("[1,2,3,4,5,6,7,8,9,10]", message, limits));
  EXPECT_EQ(message, u"too many values (more than 10)");

  limits = {};
  limits.maxTextBytes = 8;
  EXPECT_FALSE(TJSONValue::ParseJSONValue("[1,2,3,4]", message, limits));
  EXPECT_EQ(message, u"text too long (more than 8 bytes)");
}

TEST(JsonBuild, BuiltTreesSerialiseAndOwnTheirParts) {
  auto root = std::make_unique<TJSONObject>();
  root->AddPair(u"nome", u"\u00D3LEO");
  root->AddPair(u"valor", TJSONNumber::FromText("45.50"));
  auto list = std::make_unique<TJSONArray>();
  list->Add(std::make_unique<TJSONNumber>(std::int64_t{-3})).Add(u"x").Add(std::make_unique<json::TJSONNull>());
  root->AddPair(u"lista", std::move(list));
  root->AddPair(u"ok", std::make_unique<json::TJSONTrue>());
  EXPECT_EQ(root->ToJSON(), u"{\"nome\":\"\u00D3LEO\",\"valor\":45.50,\"lista\":[-3,\"x\",null],\"ok\":true}");
  EXPECT_THROW(TJSONNumber::FromText("45,50"), EJSONException);
  EXPECT_THROW(TJSONNumber::FromText("+1"), EJSONException);

  std::unique_ptr<json::TJSONPair> taken = root->RemovePair(u"valor");
  ASSERT_TRUE(taken);
  EXPECT_EQ(taken->JsonValue()->Value(), u"45.50");
  EXPECT_EQ(root->Count(), 3);
}

}  // namespace
