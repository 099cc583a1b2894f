// Bytes from outside as JSON text: parsing must never crash or run away,
// reading members the way the integrator does must only ever raise
// EJSONException, and what ToJSON writes must parse back to the same text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/json/json.h"

namespace {

void walk(const json::TJSONValue& value, int budget) {
  if (budget <= 0) return;
  rtl::String text;
  value.TryGetValue<rtl::String>(text);
  (void)value.Value();
  int asInt = 0;
  value.TryGetValue<int>(asInt);
  double asDouble = 0;
  value.TryGetValue<double>(asDouble);
  if (auto* obj = dynamic_cast<const json::TJSONObject*>(&value)) {
    for (const char16_t* name : {u"status", u"codigo", u"abastecimentos", u"id", u"veiculo.placa",
                                 u"combustivel.codigo", u"a[0]", u"[0]"}) {
      try {
        (void)obj->GetValue<rtl::String>(name);
      } catch (const json::EJSONException&) {
      }
    }
    for (int i = 0; i < obj->Count(); ++i) walk(*obj->Pairs(i)->JsonValue(), budget - 1);
  } else if (auto* arr = dynamic_cast<const json::TJSONArray*>(&value)) {
    for (int i = 0; i < arr->Count(); ++i) walk(*arr->Items(i), budget - 1);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  rtl::String message;
  auto value = json::TJSONValue::ParseJSONValue(text, message);
  if (!value) {
    if (message.empty()) std::abort();
    return 0;
  }
  walk(*value, 64);
  std::string written = value->ToUtf8JSON();
  auto again = json::TJSONValue::ParseJSONValue(std::string_view(written), message);
  if (!again || again->ToUtf8JSON() != written) std::abort();
  return 0;
}
