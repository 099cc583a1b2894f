// Clipboard data other X programs hand over: bitmaps (CF_DIB) turned into
// PNG files and text in UTF-8 and ISO 8859-1 turned into the clipboard's
// text. The first byte picks the reader.
#include <cstddef>
#include <cstdint>

#include "platform/rtl/except.h"
#include "platform/win/x11/selection_formats.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const win::x11::ByteView rest(data + 1, size - 1);
  try {
    switch (data[0] % 4) {
      case 0: win::x11::DibToPng(rest); break;
      case 1: win::x11::PngToDib(rest); break;
      case 2: win::x11::Utf8ToUnicodeText(rest); break;
      default:
        win::x11::UnicodeTextToUtf8(rest);
        win::x11::UnicodeTextToLatin1(rest);
        win::x11::Latin1ToUnicodeText(rest);
        break;
    }
  } catch (const rtl::Exception&) {
    // A refused input is the expected outcome for most of them.
  }
  return 0;
}
