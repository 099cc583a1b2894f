#include "app/run/api_body.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string>

#include "app/run/U_Global_Library.h"

#include "platform/rtl/datetime.h"
#include "platform/rtl/format.h"
#include "platform/rtl/except.h"
#include "platform/rtl/formatsettings.h"
#include "platform/rtl/ustring.h"

namespace integrador {

namespace {

// A body is untrusted: bound the tree it may build.
json::TJSONParseLimits BodyLimits() {
  json::TJSONParseLimits limits;
  limits.maxDepth = 128;
  return limits;
}

template <class T>
T* RequiredMember(const json::TJSONObject& object, StringView name) {
  json::TJSONValue* value = object.GetMemberValue(name);
  if (!value) json::detail::raiseNotFound(name);
  return value->GetValue<T*>();
}

[[noreturn]] void RaiseElement(StringView what) { throw EElementError(String(what)); }

// A member that must hold an object; `null` is allowed where `nullable`.
const json::TJSONObject* ObjectMember(const json::TJSONObject& element, StringView name,
                                      bool nullable) {
  json::TJSONValue* value = element.GetMemberValue(name);
  if (!value) RaiseElement(u"Value '" + String(name) + u"' not found");
  if (value->Null()) {
    if (nullable) return nullptr;
    RaiseElement(u"'" + String(name) + u"' é nulo");
  }
  auto* object = dynamic_cast<const json::TJSONObject*>(value);
  if (!object) RaiseElement(u"'" + String(name) + u"' não é um objeto JSON");
  return object;
}

TDateTime ReadDateTime(const json::TJSONObject& element, StringView date, StringView time) {
  String text = MemberText(element, date) + u" " + MemberText(element, time);
  TDateTime value = 0;
  try {
    value = rtl::StrToDateTime(text, PtBr());
  } catch (const rtl::Exception& e) {
    throw EElementError(u"'" + String(date) + u"': " + e.Message());
  }
  return value;
}

// A JSON number's text in plain decimal notation without needless zeros:
// digits, an optional point, no exponent. Empty when that would be longer
// than `maxLength` (so a huge exponent builds nothing).
std::string CanonicalNumber(const std::string& text, std::size_t maxLength) {
  std::size_t i = 0;
  const bool negative = i < text.size() && text[i] == '-';
  if (negative) ++i;
  std::string digits;
  long long point = 0;  // digits before the decimal point
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    digits += text[i];
    ++point;
  }
  if (i < text.size() && text[i] == '.')
    for (++i; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) digits += text[i];
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    long long exponent = 0;
    const char* first = text.data() + i + 1;
    if (*first == '+') ++first;
    auto [ptr, ec] = std::from_chars(first, text.data() + text.size(), exponent);
    if (ec != std::errc() || std::llabs(exponent) > 1000000) return std::string();
    point += exponent;
  }
  // Leading zeros of the whole part and trailing zeros of the fraction go.
  std::size_t lead = 0;
  while (lead < digits.size() && digits[lead] == '0') ++lead;
  digits.erase(0, lead);
  point -= static_cast<long long>(lead);
  while (!digits.empty() && static_cast<long long>(digits.size()) > point && digits.back() == '0')
    digits.pop_back();
  if (digits.empty()) return "0";
  const long long length = std::max<long long>(point, 1) +
                           (static_cast<long long>(digits.size()) > point
                                ? 1 + static_cast<long long>(digits.size()) - std::max<long long>(point, 0)
                                : 0);
  if (length + (negative ? 1 : 0) > static_cast<long long>(maxLength)) return std::string();
  std::string out = negative ? "-" : "";
  if (point <= 0) {
    out += "0." + std::string(static_cast<std::size_t>(-point), '0') + digits;
  } else if (static_cast<long long>(digits.size()) <= point) {
    out += digits + std::string(static_cast<std::size_t>(point) - digits.size(), '0');
  } else {
    out += digits.substr(0, static_cast<std::size_t>(point)) + "." +
           digits.substr(static_cast<std::size_t>(point));
  }
  return out;
}

// The volume as the staging writes it (decimal comma), or EElementError.
String ReadVolume(const json::TJSONObject& element) {
  json::TJSONValue* value = element.GetMemberValue(u"volume");
  std::string text;
  if (auto* number = dynamic_cast<const json::TJSONNumber*>(value)) {
    text = number->Text();
  } else if (auto* string = dynamic_cast<const json::TJSONString*>(value)) {
    text = string->Utf8Value();
  }
  double volume = 0;
  bool read = false;
  if (!text.empty()) {
    auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), volume);
    read = ec == std::errc() && ptr == text.data() + text.size();
  }
  if (!read || !std::isfinite(volume) || volume <= 0 || volume > kMaxVolume) {
    String shown = value ? value->ToJSON() : String(u"ausente");
    if (shown.size() > 40) shown = shown.substr(0, 40) + u"…";
    throw EElementError(u"Volume inválido: " + shown);
  }
  return DecimalComma(rtl::Utf8ToString(text));
}

}  // namespace

String MemberText(const json::TJSONObject& object, StringView name) {
  json::TJSONValue* value = object.GetMemberValue(name);
  if (!value || value->Null()) return String();
  return value->Value();
}

String OrderIdOf(const json::TJSONObject& element) {
  json::TJSONValue* value = element.GetMemberValue(u"id");
  String id;
  if (auto* number = dynamic_cast<const json::TJSONNumber*>(value)) {
    const std::string canonical = CanonicalNumber(number->Text(), kMaxOrderIdLength);
    if (canonical.empty())
      throw EElementError(u"'id' tem mais de " + rtl::IntToStr(static_cast<int>(kMaxOrderIdLength)) +
                          u" caracteres");
    id = rtl::Utf8ToString(canonical);
  } else if (auto* string = dynamic_cast<const json::TJSONString*>(value)) {
    id = string->Value();
  } else if (!value || value->Null()) {
    RaiseElement(u"'id' ausente");
  } else {
    RaiseElement(u"'id' não é um número nem um texto");
  }
  if (id.empty()) RaiseElement(u"'id' vazio");
  if (id.size() > kMaxOrderIdLength)
    throw EElementError(u"'id' tem mais de " + rtl::IntToStr(static_cast<int>(kMaxOrderIdLength)) +
                        u" caracteres");
  return id;
}

String DecimalComma(StringView text) {
  String out(text);
  std::size_t dot = out.find(u'.');
  if (dot != String::npos) out[dot] = u',';
  return out;
}

TApiBody ReadApiBody(StringView body) {
  TApiBody result;
  result.Root = json::TJSONValue::ParseJSONValue(body, result.Message, BodyLimits());
  if (!result.Root) {
    result.kind = TApiBody::Kind::NotJson;
    return result;
  }
  auto* root = dynamic_cast<json::TJSONObject*>(result.Root.get());
  if (!root) {
    result.kind = TApiBody::Kind::NotObject;
    return result;
  }
  auto* status = RequiredMember<json::TJSONObject>(*root, u"status");
  result.Codigo = MemberText(*status, u"codigo");
  if (result.Codigo != u"001") {
    result.Mensagem = MemberText(*status, u"mensagem");
    result.kind = TApiBody::Kind::OtherCodigo;
    return result;
  }
  result.Abastecimentos = RequiredMember<json::TJSONArray>(*root, u"abastecimentos");
  result.kind = TApiBody::Kind::Records;
  return result;
}

TSupplyValues ReadSupplyElement(const json::TJSONObject& element) {
  TSupplyValues v;
  v.OrderId = OrderIdOf(element);
  v.DataInicio = ReadDateTime(element, u"data_inicio", u"hora_inicio");
  v.DataFim = ReadDateTime(element, u"data_fim", u"hora_fim");
  v.Quantidade = ReadVolume(element);
  String km = MemberText(element, u"horimetro");
  if (km.empty()) km = MemberText(element, u"odometro");
  v.Km = DecimalComma(km);
  v.JsonArquivo = element.ToJSON();

  const json::TJSONObject* veiculo = ObjectMember(element, u"veiculo", false);
  String placa = MemberText(*veiculo, u"placa");
  for (char16_t c : placa)
    if (c != u' ') v.Placa.push_back(c);
  if (v.Placa.size() > kMaxPlacaLength)
    throw EElementError(u"'placa' tem mais de " + rtl::IntToStr(static_cast<int>(kMaxPlacaLength)) +
                        u" caracteres");

  if (const json::TJSONObject* combustivel = ObjectMember(element, u"combustivel", true)) {
    v.HasCombustivel = true;
    v.CodigoCombustivel = MemberText(*combustivel, u"codigo");
  }
  return v;
}

}  // namespace integrador
