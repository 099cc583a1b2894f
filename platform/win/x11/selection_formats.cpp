#include "platform/win/x11/selection_formats.h"

#include <cstring>

#include "platform/gdi/dib_pixels.h"
#include "platform/gdi/png.h"
#include "platform/rtl/except.h"
#include "platform/rtl/ustring.h"

namespace win::x11 {
namespace {

[[noreturn]] void badData(const char* what) {
  throw rtl::EReadError(rtl::S(std::string("Clipboard image: ") + what));
}

std::u16string utf16FromBytes(ByteView bytes) {
  std::u16string text;
  const std::size_t units = bytes.size() / 2;
  text.reserve(units);
  for (std::size_t i = 0; i < units; ++i) {
    const char16_t c = char16_t(bytes[2 * i] | (bytes[2 * i + 1] << 8));
    if (c == 0) break;
    text.push_back(c);
  }
  return text;
}

// CRLF, lone CR and lone LF all become CRLF; a closing NUL is added.
Bytes unicodeTextBytes(std::u16string_view text) {
  Bytes out;
  out.reserve(text.size() * 2 + 4);
  auto put = [&out](char16_t c) {
    out.push_back(std::uint8_t(c & 0xFF));
    out.push_back(std::uint8_t(c >> 8));
  };
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (c == u'\r') {
      put(u'\r');
      put(u'\n');
      if (i + 1 < text.size() && text[i + 1] == u'\n') ++i;
    } else if (c == u'\n') {
      put(u'\r');
      put(u'\n');
    } else {
      put(c);
    }
  }
  put(0);
  return out;
}

std::u16string crlfToLf(std::u16string_view text) {
  std::u16string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') continue;
    out.push_back(text[i]);
  }
  return out;
}

std::string_view cString(ByteView bytes) {
  if (bytes.empty()) return {};
  const char* p = reinterpret_cast<const char*>(bytes.data());
  const void* nul = std::memchr(p, 0, bytes.size());
  return {p, nul ? std::size_t(static_cast<const char*>(nul) - p) : bytes.size()};
}

std::uint32_t u32(ByteView b, std::size_t at) {
  return std::uint32_t(b[at]) | (std::uint32_t(b[at + 1]) << 8) | (std::uint32_t(b[at + 2]) << 16) |
         (std::uint32_t(b[at + 3]) << 24);
}
std::uint16_t u16(ByteView b, std::size_t at) {
  return std::uint16_t(b[at] | (b[at + 1] << 8));
}
void putU32(Bytes& b, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b.push_back(std::uint8_t(v >> (8 * i)));
}
void putU16(Bytes& b, std::uint16_t v) {
  b.push_back(std::uint8_t(v & 0xFF));
  b.push_back(std::uint8_t(v >> 8));
}

constexpr std::uint32_t kBiRgb = 0, kBiBitfields = 3, kBiAlphaBitfields = 6;

}  // namespace

std::string UnicodeTextToUtf8(ByteView unicodeText) {
  return rtl::StringToUtf8(crlfToLf(utf16FromBytes(unicodeText)));
}

Bytes Utf8ToUnicodeText(ByteView utf8) {
  return unicodeTextBytes(rtl::Utf8ToString(cString(utf8)));
}

Bytes Latin1ToUnicodeText(ByteView latin1) {
  const std::string_view text = cString(latin1);
  std::u16string wide(text.size(), u'\0');
  for (std::size_t i = 0; i < text.size(); ++i) wide[i] = char16_t(std::uint8_t(text[i]));
  return unicodeTextBytes(wide);
}

std::string UnicodeTextToLatin1(ByteView unicodeText) {
  const std::u16string text = crlfToLf(utf16FromBytes(unicodeText));
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF)
      ++i;  // one '?' for the whole pair
    out.push_back(c <= 0xFF ? char(c) : '?');
  }
  return out;
}

Bytes DibToPng(ByteView dib) {
  if (dib.size() < 40) badData("the header is incomplete");
  const std::uint32_t headerSize = u32(dib, 0);
  if (headerSize < 40 || headerSize > dib.size()) badData("unsupported header");
  const std::int32_t width = std::int32_t(u32(dib, 4));
  const std::int32_t rawHeight = std::int32_t(u32(dib, 8));
  const std::uint16_t planes = u16(dib, 12);
  const std::uint16_t bpp = u16(dib, 14);
  const std::uint32_t compression = u32(dib, 16);
  const std::uint32_t colorsUsed = u32(dib, 32);
  if (width <= 0 || rawHeight == 0 || rawHeight == INT32_MIN) badData("bad size");
  if (planes != 1) badData("bad plane count");
  if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32)
    badData("unsupported bit count");
  const bool bitfields = compression == kBiBitfields || compression == kBiAlphaBitfields;
  if (compression != kBiRgb && !(bitfields && (bpp == 16 || bpp == 32)))
    badData("unsupported compression");
  const std::uint64_t height = rawHeight < 0 ? std::uint64_t(-std::int64_t(rawHeight))
                                             : std::uint64_t(rawHeight);
  if (std::uint64_t(width) * height > gdi::kPngMaxPixels) badData("too large");

  std::size_t offset = headerSize;
  // Masks: inside a longer header, or right after the classic one.
  // Programs that put 32-bit DIBs on the clipboard keep their alpha in the
  // fourth byte when they have any.
  gdi::DibMasks masks = gdi::impliedDibMasks(bpp, true);
  if (bitfields) {
    const int count = compression == kBiAlphaBitfields ? 4 : 3;
    std::size_t at = 40;
    if (headerSize == 40) {
      if (dib.size() < 40 + std::size_t(count) * 4) badData("the colour masks are missing");
      offset += std::size_t(count) * 4;
    } else if (headerSize < 40 + std::size_t(count) * 4) {
      badData("the colour masks are missing");
    }
    std::uint32_t m[4] = {0, 0, 0, 0};
    for (int i = 0; i < count; ++i) m[i] = u32(dib, at + 4 * std::size_t(i));
    if (count == 3 && headerSize >= 56) m[3] = u32(dib, 52);
    masks = gdi::DibMasks{m[0], m[1], m[2], m[3]};
  }

  std::vector<std::uint32_t> palette;
  if (bpp <= 8) {
    const std::uint32_t full = std::uint32_t(1) << bpp;
    const std::uint32_t count = colorsUsed ? colorsUsed : full;
    if (count > full) badData("too many colours");
    if (dib.size() - offset < std::size_t(count) * 4) badData("the colour table is incomplete");
    palette.resize(full, 0xFF000000);
    for (std::uint32_t i = 0; i < count; ++i)
      palette[i] = 0xFF000000 | (u32(dib, offset + 4 * std::size_t(i)) & 0x00FFFFFF);
    offset += std::size_t(count) * 4;
  } else if (colorsUsed) {
    // A colour table is allowed before true-colour rows; skip it.
    if (colorsUsed > 256 || dib.size() - offset < std::size_t(colorsUsed) * 4)
      badData("the colour table is incomplete");
    offset += std::size_t(colorsUsed) * 4;
  }

  const std::uint64_t stride = ((std::uint64_t(width) * bpp + 31) / 32) * 4;
  if (stride * height > dib.size() - offset) badData("the pixel rows are incomplete");

  gdi::ImageBGRA image(width, int(height));
  const std::uint8_t* bits = dib.data() + offset;
  if (bpp > 8) {
    const gdi::DibRows rows{bits, std::size_t(stride), width, int(height), bpp, rawHeight < 0};
    gdi::readDibPixels(rows, masks, image.pixels.data());
    return gdi::WritePng(image);
  }
  for (std::uint64_t row = 0; row < height; ++row) {
    const std::uint64_t y = rawHeight < 0 ? row : height - 1 - row;
    const std::uint8_t* src = bits + stride * row;
    std::uint32_t* dst = &image.pixels[std::size_t(y) * std::size_t(width)];
    for (std::int32_t x = 0; x < width; ++x) {
      switch (bpp) {
        case 1: dst[x] = palette[(src[x >> 3] >> (7 - (x & 7))) & 1]; break;
        case 4: dst[x] = palette[(src[x >> 1] >> ((x & 1) ? 0 : 4)) & 0xF]; break;
        default: dst[x] = palette[src[x]]; break;
      }
    }
  }
  return gdi::WritePng(image);
}

Bytes PngToDib(ByteView png) {
  const gdi::ImageBGRA image = gdi::ReadPng(png.data(), png.size());
  Bytes out;
  const std::size_t rowBytes = std::size_t(image.width) * 4;
  out.reserve(40 + rowBytes * std::size_t(image.height));
  putU32(out, 40);
  putU32(out, std::uint32_t(image.width));
  putU32(out, std::uint32_t(image.height));  // positive: bottom-up
  putU16(out, 1);
  putU16(out, 32);
  putU32(out, kBiRgb);
  putU32(out, std::uint32_t(rowBytes * std::size_t(image.height)));
  putU32(out, 3780);  // 96 DPI in pixels per metre
  putU32(out, 3780);
  putU32(out, 0);
  putU32(out, 0);
  for (int y = image.height - 1; y >= 0; --y)
    for (int x = 0; x < image.width; ++x) putU32(out, image.at(x, y));
  return out;
}

Bytes RtfFromClipboard(ByteView clipboardRtf) {
  const std::string_view text = cString(clipboardRtf);
  return Bytes(text.begin(), text.end());
}

Bytes RtfToClipboard(ByteView rtf) {
  const std::string_view text = cString(rtf);
  Bytes out(text.begin(), text.end());
  out.push_back(0);
  return out;
}

namespace {

constexpr std::string_view kUtf8Types[] = {"UTF8_STRING", "text/plain;charset=utf-8",
                                           "text/plain", "TEXT"};
constexpr std::string_view kRtfTypes[] = {"text/rtf", "application/rtf"};

bool isUtf8Type(std::string_view type) {
  for (std::string_view t : kUtf8Types)
    if (t == type) return true;
  return false;
}
bool isRtfType(std::string_view type) {
  for (std::string_view t : kRtfTypes)
    if (t == type) return true;
  return false;
}

}  // namespace

std::vector<SelectionTarget> TargetsForFormats(const std::vector<ClipboardFormatId>& formats) {
  std::vector<SelectionTarget> targets;
  auto find = [&](const ClipboardFormatId& f) {
    for (const ClipboardFormatId& g : formats)
      if (g == f) return true;
    return false;
  };
  const ClipboardFormatId unicode{kCfUnicodeText, {}}, ansi{kCfText, {}}, dib{kCfDib, {}};
  const ClipboardFormatId rtf{0, std::u16string(kRichTextFormatName)};
  const ClipboardFormatId png{0, std::u16string(kPngFormatName)};
  if (find(unicode) || find(ansi)) {
    const ClipboardFormatId& text = find(unicode) ? unicode : ansi;
    for (std::string_view t : kUtf8Types) targets.push_back({std::string(t), text});
    targets.push_back({"STRING", text});
  }
  if (find(rtf))
    for (std::string_view t : kRtfTypes) targets.push_back({std::string(t), rtf});
  // A PNG kept as such beats one made from the bitmap.
  if (find(png))
    targets.push_back({"image/png", png});
  else if (find(dib))
    targets.push_back({"image/png", dib});
  return targets;
}

bool FormatForTarget(std::string_view type, ClipboardFormatId* format) {
  if (isUtf8Type(type) || type == "STRING") {
    *format = {kCfUnicodeText, {}};
  } else if (type == "image/png") {
    *format = {kCfDib, {}};
  } else if (isRtfType(type)) {
    *format = {0, std::u16string(kRichTextFormatName)};
  } else {
    return false;
  }
  return true;
}

bool ConvertToTarget(std::string_view type, const ClipboardFormatId& format, ByteView data,
                     Bytes& out) {
  if (isUtf8Type(type) || type == "STRING") {
    Bytes wide;
    if (format.standard == kCfText) {
      wide = unicodeTextBytes(rtl::AnsiToString(cString(data)));
      data = wide;
    } else if (format.standard != kCfUnicodeText) {
      return false;
    }
    const std::string text = type == "STRING" ? UnicodeTextToLatin1(data) : UnicodeTextToUtf8(data);
    out.assign(text.begin(), text.end());
    return true;
  }
  if (type == "image/png") {
    if (format.standard == kCfDib) {
      out = DibToPng(data);
      return true;
    }
    if (format.standard == 0 && format.name == kPngFormatName) {
      out.assign(data.begin(), data.end());
      return true;
    }
    return false;
  }
  if (isRtfType(type)) {
    if (format.standard != 0 || format.name != kRichTextFormatName) return false;
    out = RtfFromClipboard(data);
    return true;
  }
  return false;
}

bool ConvertFromTarget(std::string_view type, const ClipboardFormatId& format, ByteView data,
                       Bytes& clipboardData) {
  if (isUtf8Type(type) && format.standard == kCfUnicodeText) {
    clipboardData = Utf8ToUnicodeText(data);
    return true;
  }
  if (type == "STRING" && format.standard == kCfUnicodeText) {
    clipboardData = Latin1ToUnicodeText(data);
    return true;
  }
  if (type == "image/png") {
    if (format.standard == kCfDib) {
      clipboardData = PngToDib(data);
      return true;
    }
    if (format.standard == 0 && format.name == kPngFormatName) {
      clipboardData.assign(data.begin(), data.end());
      return true;
    }
    return false;
  }
  if (isRtfType(type) && format.standard == 0 && format.name == kRichTextFormatName) {
    clipboardData = RtfToClipboard(data);
    return true;
  }
  return false;
}

}  // namespace win::x11
