#pragma once
// Clipboard contents between the program's formats and the types other X
// programs offer and ask for on the CLIPBOARD and PRIMARY selections. Pure
// conversions, no display needed. Everything that comes from another program
// is checked before it is used.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/win/backend.h"

namespace win::x11 {

using Bytes = std::vector<std::uint8_t>;
using ByteView = std::span<const std::uint8_t>;

// Clipboard format numbers the conversions know (the platform's values).
constexpr unsigned kCfText = 1;
constexpr unsigned kCfDib = 8;
constexpr unsigned kCfUnicodeText = 13;
// The registered format rich text travels in.
constexpr std::u16string_view kRichTextFormatName = u"Rich Text Format";

// CF_UNICODETEXT (UTF-16 little-endian, ends at the first NUL or the end of
// the data) to UTF-8 with LF line ends. An odd last byte is ignored; lone
// surrogates become U+FFFD.
std::string UnicodeTextToUtf8(ByteView unicodeText);
// UTF-8 of another program to CF_UNICODETEXT: CRLF line ends (CR, LF and
// CRLF all become CRLF), a closing NUL, invalid sequences as U+FFFD. The
// text ends at an embedded NUL, as a C string would.
Bytes Utf8ToUnicodeText(ByteView utf8);
// The ISO 8859-1 "STRING" type to CF_UNICODETEXT, with the same line rules.
Bytes Latin1ToUnicodeText(ByteView latin1);
// CF_UNICODETEXT to ISO 8859-1 for the "STRING" type; characters outside
// it become '?'.
std::string UnicodeTextToLatin1(ByteView unicodeText);

// CF_DIB (a BITMAPINFOHEADER or later header, colour table or masks, then
// the rows) to a PNG file. 1, 4, 8, 16, 24 and 32 bits, top-down or
// bottom-up, uncompressed or bit fields; the pixels read as in a bitmap file.
// An uncompressed 32-bit image keeps the alpha of its fourth byte unless that
// byte is 0 everywhere (the usual GDI output): it is then opaque. Bit fields
// with an alpha mask are taken as they stand.
// Throws rtl::EReadError naming the problem when the data is short or bad.
Bytes DibToPng(ByteView dib);
// A PNG of another program to CF_DIB: BITMAPINFOHEADER, 32 bits, BI_RGB,
// bottom-up, straight alpha. Throws rtl::EReadError on a bad PNG.
Bytes PngToDib(ByteView png);

// Rich text between the registered format (a C string: ends at the first
// NUL) and "text/rtf" (the bytes without a NUL); a NUL is added going in.
Bytes RtfFromClipboard(ByteView clipboardRtf);
Bytes RtfToClipboard(ByteView rtf);

// The selection types offered for the clipboard's formats, best first,
// each with the format it is made from.
struct SelectionTarget {
  std::string type;  // "UTF8_STRING", "image/png"...
  ClipboardFormatId format;
};
std::vector<SelectionTarget> TargetsForFormats(const std::vector<ClipboardFormatId>& formats);
// The clipboard format a selection type fills: CF_UNICODETEXT for the text
// types, CF_DIB for "image/png", "Rich Text Format" for "text/rtf"; false
// for a type we do not take.
bool FormatForTarget(std::string_view type, ClipboardFormatId* format);
// The registered format that carries a PNG file unchanged.
constexpr std::u16string_view kPngFormatName = u"PNG";

// Turns clipboard data of `format` into the bytes of a selection type, and
// a selection type's bytes into the data of FormatForTarget's format (or of
// `format` for "image/png" into "PNG"). Return false when the type cannot be
// made from that format. Bad data raises rtl::EReadError.
bool ConvertToTarget(std::string_view type, const ClipboardFormatId& format, ByteView clipboardData,
                     Bytes& out);
bool ConvertFromTarget(std::string_view type, const ClipboardFormatId& format,
                       ByteView selectionData, Bytes& clipboardData);

}  // namespace win::x11
