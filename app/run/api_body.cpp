#include "app/run/api_body.h"

#include "platform/rtl/datetime.h"
#include "platform/rtl/except.h"
#include "platform/rtl/formatsettings.h"

namespace integrador {

namespace {

// A body is untrusted: bound the tree it may build.
json::TJSONParseLimits BodyLimits() {
  json::TJSONParseLimits limits;
  limits.maxDepth = 128;
  return limits;
}

const rtl::TFormatSettings& PtBr() {
  static const rtl::TFormatSettings settings = rtl::TFormatSettings::Create(rtl::LOCALE_PT_BR);
  return settings;
}

template <class T>
T* RequiredMember(const json::TJSONObject& object, StringView name) {
  json::TJSONValue* value = object.GetMemberValue(name);
  if (!value) json::detail::raiseNotFound(name);
  return value->GetValue<T*>();
}

TDateTime ReadDateTime(const json::TJSONObject& element, StringView date, StringView time) {
  String text = MemberText(element, date) + u" " + MemberText(element, time);
  return rtl::StrToDateTime(text, PtBr());
}

}  // namespace

String MemberText(const json::TJSONObject& object, StringView name) {
  json::TJSONValue* value = object.GetMemberValue(name);
  if (!value || value->Null()) return String();
  return value->Value();
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
    result.kind = TApiBody::Kind::OtherCodigo;
    return result;
  }
  result.Abastecimentos = RequiredMember<json::TJSONArray>(*root, u"abastecimentos");
  result.kind = TApiBody::Kind::Records;
  return result;
}

TSupplyValues ReadSupplyElement(const json::TJSONObject& element) {
  TSupplyValues v;
  v.OrderId = MemberText(element, u"id");
  v.DataInicio = ReadDateTime(element, u"data_inicio", u"hora_inicio");
  v.DataFim = ReadDateTime(element, u"data_fim", u"hora_fim");
  v.Quantidade = DecimalComma(MemberText(element, u"volume"));
  String km = MemberText(element, u"horimetro");
  if (km.empty()) km = MemberText(element, u"odometro");
  v.Km = DecimalComma(km);
  v.JsonArquivo = element.ToJSON();

  auto* veiculo = RequiredMember<json::TJSONObject>(element, u"veiculo");
  String placa = MemberText(*veiculo, u"placa");
  for (char16_t c : placa)
    if (c != u' ') v.Placa.push_back(c);

  json::TJSONValue* combustivel = element.GetMemberValue(u"combustivel");
  if (!combustivel) json::detail::raiseNotFound(u"combustivel");
  if (!combustivel->Null()) {
    auto* object = combustivel->GetValue<json::TJSONObject*>();
    v.HasCombustivel = true;
    v.CodigoCombustivel = MemberText(*object, u"codigo");
  }
  return v;
}

}  // namespace integrador
