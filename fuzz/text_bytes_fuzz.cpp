// Arbitrary bytes through both UTF-8 readers and both code page 1252
// converters: each pair must agree, well-formed UTF-8 must survive a round
// trip, and any byte string must survive code page 1252 and back.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/rtl/encoding.h"
#include "platform/rtl/ustring.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const rtl::String text = rtl::Utf8ToString(bytes);
  if (rtl::TEncoding::UTF8()->GetString(data, size) != text) std::abort();
  // Never more characters than bytes: each U+FFFD stands for at least one.
  if (text.size() > size) std::abort();
  if (rtl::TEncoding::IsValidUtf8(data, size)) {
    if (text.find(u'\uFFFD') != rtl::String::npos && bytes.find("\xEF\xBF\xBD") == std::string_view::npos)
      std::abort();
    if (rtl::StringToUtf8(text) != bytes) std::abort();
  }
  // Whatever was read writes back as well-formed UTF-8.
  const std::string written = rtl::StringToUtf8(text);
  if (!rtl::TEncoding::IsValidUtf8(reinterpret_cast<const std::uint8_t*>(written.data()), written.size()))
    std::abort();

  const rtl::String ansi = rtl::AnsiToString(bytes);
  if (rtl::TEncoding::ANSI()->GetString(data, size) != ansi) std::abort();
  if (rtl::StringToAnsi(ansi) != bytes) std::abort();
  return 0;
}
