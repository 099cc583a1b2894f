#include "platform/rtl/encoding.h"

#include <algorithm>
#include <cstring>

#include "platform/rtl/text_codec.h"

namespace rtl {

namespace {

constexpr Char kEncodingReplacement = text_codec::kReplacement;

bool encodingIsHighSurrogate(Char c) { return c >= 0xD800 && c <= 0xDBFF; }
bool encodingIsLowSurrogate(Char c) { return c >= 0xDC00 && c <= 0xDFFF; }

// Calls `out(codePoint)` for each code point; lone surrogates give U+FFFD.
template <class Out>
void forEachCodePoint(StringView text, Out out) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    Char c = text[i];
    if (encodingIsHighSurrogate(c) && i + 1 < text.size() && encodingIsLowSurrogate(text[i + 1])) {
      out(0x10000 + ((static_cast<char32_t>(c) - 0xD800) << 10) + (text[i + 1] - 0xDC00));
      ++i;
    } else if (encodingIsHighSurrogate(c) || encodingIsLowSurrogate(c)) {
      out(kEncodingReplacement);
    } else {
      out(c);
    }
  }
}

class Utf8Encoding final : public TEncoding {
 public:
  explicit Utf8Encoding(bool preamble) : preamble_(preamble) {}
  TBytes GetBytes(StringView text) const override {
    TBytes out;
    out.reserve(text.size() + text.size() / 2);
    forEachCodePoint(text, [&](char32_t cp) { text_codec::appendUtf8(out, cp); });
    return out;
  }
  String GetString(const Byte* data, std::size_t size) const override {
    String s;
    s.reserve(size);
    for (std::size_t i = 0; i < size;) {
      const text_codec::Utf8Step step = text_codec::decodeUtf8(data + i, size - i);
      text_codec::appendUtf16(s, step.codePoint);
      i += step.length;
    }
    return s;
  }
  TBytes GetPreamble() const override {
    return preamble_ ? TBytes{0xEF, 0xBB, 0xBF} : TBytes{};
  }
  int CodePage() const override { return 65001; }
  String EncodingName() const override { return u"Unicode (UTF-8)"; }

 private:
  bool preamble_;
};

class Utf16Encoding final : public TEncoding {
 public:
  explicit Utf16Encoding(bool bigEndian) : bigEndian_(bigEndian) {}
  TBytes GetBytes(StringView text) const override {
    TBytes out;
    out.reserve(text.size() * 2);
    auto put = [&](Char c) {
      Byte lo = static_cast<Byte>(c & 0xFF), hi = static_cast<Byte>(c >> 8);
      out.push_back(bigEndian_ ? hi : lo);
      out.push_back(bigEndian_ ? lo : hi);
    };
    forEachCodePoint(text, [&](char32_t cp) {
      if (cp >= 0x10000) {
        put(static_cast<Char>(0xD800 + ((cp - 0x10000) >> 10)));
        put(static_cast<Char>(0xDC00 + ((cp - 0x10000) & 0x3FF)));
      } else {
        put(static_cast<Char>(cp));
      }
    });
    return out;
  }
  String GetString(const Byte* data, std::size_t size) const override {
    String s;
    s.reserve(size / 2 + 1);
    for (std::size_t i = 0; i + 1 < size; i += 2) {
      s.push_back(bigEndian_ ? static_cast<Char>((data[i] << 8) | data[i + 1])
                             : static_cast<Char>((data[i + 1] << 8) | data[i]));
    }
    if (size % 2) s.push_back(kEncodingReplacement);
    return s;
  }
  TBytes GetPreamble() const override {
    return bigEndian_ ? TBytes{0xFE, 0xFF} : TBytes{0xFF, 0xFE};
  }
  int CodePage() const override { return bigEndian_ ? 1201 : 1200; }
  String EncodingName() const override {
    return bigEndian_ ? u"Unicode (UTF-16 big endian)" : u"Unicode (UTF-16)";
  }

 private:
  bool bigEndian_;
};

class SingleByteEncoding final : public TEncoding {
 public:
  explicit SingleByteEncoding(bool ascii) : ascii_(ascii) {}
  TBytes GetBytes(StringView text) const override {
    TBytes out;
    out.reserve(text.size());
    forEachCodePoint(text, [&](char32_t cp) { out.push_back(toByte(cp)); });
    return out;
  }
  String GetString(const Byte* data, std::size_t size) const override {
    String s(size, u'\0');
    for (std::size_t i = 0; i < size; ++i) {
      Byte b = data[i];
      if (ascii_) {
        s[i] = b < 0x80 ? b : u'?';
      } else {
        s[i] = text_codec::cp1252ToChar(b);
      }
    }
    return s;
  }
  int CodePage() const override { return ascii_ ? 20127 : 1252; }
  String EncodingName() const override {
    return ascii_ ? u"US-ASCII" : u"Western European (Windows)";
  }
  bool IsSingleByte() const override { return true; }

 private:
  Byte toByte(char32_t cp) const {
    if (cp < 0x80) return static_cast<Byte>(cp);
    if (ascii_) return '?';
    const int b = text_codec::charToCp1252(cp);
    return b < 0 ? Byte('?') : static_cast<Byte>(b);
  }
  bool ascii_;
};

bool startsWith(const Byte* data, std::size_t size, const TBytes& prefix) {
  return !prefix.empty() && size >= prefix.size() &&
         std::memcmp(data, prefix.data(), prefix.size()) == 0;
}

}  // namespace

TEncoding::~TEncoding() = default;

TEncoding* TEncoding::UTF8() {
  static Utf8Encoding instance(true);
  return &instance;
}
TEncoding* TEncoding::Unicode() {
  static Utf16Encoding instance(false);
  return &instance;
}
TEncoding* TEncoding::BigEndianUnicode() {
  static Utf16Encoding instance(true);
  return &instance;
}
TEncoding* TEncoding::ANSI() {
  static SingleByteEncoding instance(false);
  return &instance;
}
TEncoding* TEncoding::ASCII() {
  static SingleByteEncoding instance(true);
  return &instance;
}
TEncoding* TEncoding::Default() {
  static Utf8Encoding instance(false);
  return &instance;
}

String TEncoding::GetString(const TBytes& bytes, std::size_t index, std::size_t count) const {
  if (index > bytes.size()) index = bytes.size();
  count = std::min(count, bytes.size() - index);
  return GetString(bytes.data() + index, count);
}

std::size_t TEncoding::GetBufferEncoding(const Byte* data, std::size_t size, TEncoding*& encoding,
                                         TEncoding* defaultEncoding) {
  if (encoding) {
    TBytes preamble = encoding->GetPreamble();
    return startsWith(data, size, preamble) ? preamble.size() : 0;
  }
  // UTF-8 first: its preamble cannot be confused with the UTF-16 ones.
  for (TEncoding* candidate : {UTF8(), Unicode(), BigEndianUnicode()}) {
    TBytes preamble = candidate->GetPreamble();
    if (startsWith(data, size, preamble)) {
      encoding = candidate;
      return preamble.size();
    }
  }
  encoding = defaultEncoding ? defaultEncoding : Default();
  return 0;
}

TBytes TEncoding::Convert(const TEncoding& source, const TEncoding& destination,
                          const TBytes& bytes) {
  return destination.GetBytes(source.GetString(bytes));
}

TEncoding* TEncoding::GetEncoding(int codePage) {
  switch (codePage) {
    case 65001: return UTF8();
    case 1200: return Unicode();
    case 1201: return BigEndianUnicode();
    case 1252: return ANSI();
    case 20127: return ASCII();
    default: return nullptr;
  }
}

bool TEncoding::IsValidUtf8(const Byte* data, std::size_t size) {
  std::size_t i = 0;
  while (i < size) {
    if (data[i] < 0x80) {
      ++i;
      continue;
    }
    const text_codec::Utf8Step step = text_codec::decodeUtf8(data + i, size - i);
    if (!step.valid) return false;
    i += step.length;
  }
  return true;
}

}  // namespace rtl
