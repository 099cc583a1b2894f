#include "platform/rtl/hex.h"

namespace rtl {
namespace {

constexpr char kDigits[] = "0123456789ABCDEF";

int digitValue(unsigned c) {
  if (c >= '0' && c <= '9') return static_cast<int>(c - '0');
  if (c >= 'a' && c <= 'f') return static_cast<int>(c - 'a' + 10);
  if (c >= 'A' && c <= 'F') return static_cast<int>(c - 'A' + 10);
  return -1;
}

template <class C>
void toHex(const void* buffer, C* text, int size) {
  const auto* bytes = static_cast<const Byte*>(buffer);
  for (int i = 0; i < size; ++i) {
    text[2 * i] = static_cast<C>(kDigits[bytes[i] >> 4]);
    text[2 * i + 1] = static_cast<C>(kDigits[bytes[i] & 0x0F]);
  }
}

template <class C>
int fromHex(const C* text, std::size_t textLength, void* buffer, int bufSize) {
  auto* out = static_cast<Byte*>(buffer);
  int written = 0;
  for (std::size_t i = 0; written < bufSize && i + 1 < textLength; i += 2) {
    const int high = digitValue(static_cast<unsigned>(text[i]));
    const int low = digitValue(static_cast<unsigned>(text[i + 1]));
    if (high < 0 || low < 0) break;
    out[written++] = static_cast<Byte>(high * 16 + low);
  }
  return written;
}

}  // namespace

void BinToHex(const void* buffer, Char* text, int size) { toHex(buffer, text, size); }
void BinToHex(const void* buffer, char* text, int size) { toHex(buffer, text, size); }

int HexToBin(const Char* text, std::size_t textLength, void* buffer, int bufSize) {
  return fromHex(text, textLength, buffer, bufSize);
}
int HexToBin(const char* text, std::size_t textLength, void* buffer, int bufSize) {
  return fromHex(text, textLength, buffer, bufSize);
}

}  // namespace rtl
