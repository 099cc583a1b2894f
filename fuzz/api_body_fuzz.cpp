// A body from the platform's web API, as the run reads it: parse, classify,
// then turn each record into staging values. Any fault must surface as the
// run-time's Exception (which the run logs), never as a crash or another
// exception.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "app/run/api_body.h"
#include "platform/rtl/except.h"
#include "platform/rtl/ustring.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  try {
    integrador::TApiBody body = integrador::ReadApiBody(rtl::Utf8ToString(bytes));
    if (body.kind != integrador::TApiBody::Kind::Records) return 0;
    for (int i = 0; i < body.Abastecimentos->Count() && i < 1000; ++i) {
      try {
        auto* element = body.Abastecimentos->Items(i)->GetValue<json::TJSONObject*>();
        (void)integrador::MemberText(*element, u"id");
        integrador::TSupplyValues v = integrador::ReadSupplyElement(*element);
        // Values handed to the table keep their promises.
        if (v.Placa.find(u' ') != rtl::String::npos) std::abort();
        if (v.Quantidade.find(u'.') != rtl::String::npos &&
            v.Quantidade.find(u',') == rtl::String::npos)
          std::abort();
      } catch (const rtl::Exception&) {
      }
    }
  } catch (const rtl::Exception&) {
  }
  return 0;
}
