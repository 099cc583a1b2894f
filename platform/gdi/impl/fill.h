#pragma once
// Solid 32-bit row fills at memory speed. Private.
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace gdi::impl {

// Stores `value` into d[0..n). Byte-uniform values go to memset; the rest
// through 16-byte vector stores (SSE2 on x86-64 without extra flags), since
// std::fill on uint32_t stays scalar at -O2.
inline void Fill32(std::uint32_t* d, std::size_t n, std::uint32_t value) {
  if (value == (value & 0xFFu) * 0x01010101u) {
    std::memset(d, int(value & 0xFFu), n * 4);
    return;
  }
  typedef std::uint32_t V4 __attribute__((vector_size(16), may_alias));
  if ((reinterpret_cast<std::uintptr_t>(d) & 3u) != 0) {
    for (; n > 0; --n) *d++ = value;
    return;
  }
  // Align the destination to 16 bytes.
  while (n > 0 && (reinterpret_cast<std::uintptr_t>(d) & 15u) != 0) {
    *d++ = value;
    --n;
  }
  const V4 v = {value, value, value, value};
  V4* q = reinterpret_cast<V4*>(d);
  std::size_t blocks = n / 16;  // 64 bytes per step
  for (; blocks > 0; --blocks, q += 4) {
    q[0] = v;
    q[1] = v;
    q[2] = v;
    q[3] = v;
  }
  d = reinterpret_cast<std::uint32_t*>(q);
  for (n %= 16; n > 0; --n) *d++ = value;
}

}  // namespace gdi::impl
