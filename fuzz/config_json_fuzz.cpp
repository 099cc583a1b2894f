// config.json as the run reads it: any fault must surface as the run-time's
// Exception naming the file or the member, never as a crash.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "app/run/config.h"
#include "platform/rtl/except.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  try {
    integrador::TConfigFile config = integrador::ParseConfigText(text, u"/fuzz/config.json");
    for (const auto& m : config.Materiais)
      if (static_cast<int>(m.Descricao.size()) > 2 * integrador::kDescricaoSize) std::abort();
  } catch (const rtl::Exception&) {
  }
  return 0;
}
