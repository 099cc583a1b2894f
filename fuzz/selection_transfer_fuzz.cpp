// Data another X program hands over on the clipboard selection, as reading
// the clipboard converts it: the first byte picks the selection type and the
// clipboard format asked for, the rest is the property's bytes.
//
// Promises checked: text becomes NUL-terminated UTF-16 with CRLF line ends
// and no lone surrogate, which reads back unchanged; a PNG becomes a 32-bit
// DIB whose size matches its header and which our own DIB reader takes; rich
// text keeps its bytes up to the first NUL and gains one NUL.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "platform/rtl/except.h"
#include "platform/win/x11/selection_formats.h"

namespace {

using win::ClipboardFormatId;
using namespace win::x11;

void check(bool ok) {
  if (!ok) __builtin_trap();
}

struct Request {
  const char* type;
  ClipboardFormatId format;
};

const Request kRequests[] = {
    {"UTF8_STRING", {kCfUnicodeText, {}}},
    {"text/plain;charset=utf-8", {kCfUnicodeText, {}}},
    {"text/plain", {kCfUnicodeText, {}}},
    {"TEXT", {kCfUnicodeText, {}}},
    {"STRING", {kCfUnicodeText, {}}},
    {"image/png", {kCfDib, {}}},
    {"image/png", {0, std::u16string(kPngFormatName)}},
    {"text/rtf", {0, std::u16string(kRichTextFormatName)}},
    {"application/rtf", {0, std::u16string(kRichTextFormatName)}},
    // Pairs no conversion makes.
    {"STRING", {kCfDib, {}}},
    {"image/bmp", {kCfDib, {}}},
};

std::uint32_t u32(const Bytes& b, std::size_t at) {
  return std::uint32_t(b[at]) | (std::uint32_t(b[at + 1]) << 8) | (std::uint32_t(b[at + 2]) << 16) |
         (std::uint32_t(b[at + 3]) << 24);
}

std::string_view cString(ByteView bytes) {
  const char* p = reinterpret_cast<const char*>(bytes.data());
  const void* nul = bytes.empty() ? nullptr : std::memchr(p, 0, bytes.size());
  return {p, nul ? std::size_t(static_cast<const char*>(nul) - p) : bytes.size()};
}

void checkUnicodeText(const Bytes& out, bool latin1) {
  check(out.size() >= 2 && out.size() % 2 == 0);
  const std::size_t units = out.size() / 2;
  auto unit = [&out](std::size_t i) { return char16_t(out[2 * i] | (out[2 * i + 1] << 8)); };
  check(unit(units - 1) == 0);
  for (std::size_t i = 0; i + 1 < units; ++i) {
    const char16_t c = unit(i);
    check(c != 0);
    if (c == u'\r') check(unit(i + 1) == u'\n');
    if (c == u'\n') check(i > 0 && unit(i - 1) == u'\r');
    if (latin1) check(c <= 0xFF);
    if (c >= 0xD800 && c <= 0xDBFF) {
      check(i + 2 < units && unit(i + 1) >= 0xDC00 && unit(i + 1) <= 0xDFFF);
      ++i;
    } else {
      check(c < 0xDC00 || c > 0xDFFF);
    }
  }
  // What we would offer back is the same text.
  const std::string utf8 = UnicodeTextToUtf8(out);
  check(Utf8ToUnicodeText({reinterpret_cast<const std::uint8_t*>(utf8.data()), utf8.size()}) == out);
}

void checkDib(const Bytes& out) {
  check(out.size() >= 40 && u32(out, 0) == 40);
  const std::uint64_t width = u32(out, 4), height = u32(out, 8);
  check(width > 0 && height > 0 && height <= 0x7FFFFFFF);
  check((u32(out, 12) & 0xFFFF) == 1 && (u32(out, 12) >> 16) == 32);
  check(out.size() == 40 + width * height * 4);
  check(!DibToPng(out).empty());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const Request& request = kRequests[data[0] % (sizeof kRequests / sizeof kRequests[0])];
  const ByteView bytes(data + 1, size - 1);
  const std::string_view type(request.type);
  Bytes out;
  bool converted = false;
  try {
    converted = ConvertFromTarget(type, request.format, bytes, out);
  } catch (const rtl::Exception&) {
    return 0;  // refused data: the next offered type is tried
  }
  if (!converted) return 0;
  if (request.format.standard == kCfUnicodeText) {
    checkUnicodeText(out, type == "STRING");
  } else if (request.format.standard == kCfDib) {
    checkDib(out);
  } else if (request.format.name == kPngFormatName) {
    check(out.size() == bytes.size() && std::equal(out.begin(), out.end(), bytes.begin()));
  } else {
    const std::string_view text = cString(bytes);
    check(out.size() == text.size() + 1 && out.back() == 0);
    check(std::string_view(reinterpret_cast<const char*>(out.data()), text.size()) == text);
  }
  return 0;
}
