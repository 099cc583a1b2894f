// Bytes from outside as a registry root file: a damaged file must raise
// ERegistryException, never crash, and a good one must write back stably.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "platform/rtl/except.h"
#include "platform/rtl/registry.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  rtl::TBytes once;
  try {
    once = rtl::detail::RegistryFileRoundTrip(data, size);
  } catch (const rtl::ERegistryException&) {
    return 0;
  }
  rtl::TBytes twice = rtl::detail::RegistryFileRoundTrip(once.data(), once.size());
  if (twice != once) std::abort();
  return 0;
}
