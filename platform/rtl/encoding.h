#pragma once
// TEncoding: turns text into bytes and back for files and streams, with the
// preamble (byte order mark) each encoding writes and recognises.
#include <cstddef>
#include <vector>

#include "platform/rtl/types.h"

namespace rtl {

using TBytes = std::vector<Byte>;

class TEncoding {
 public:
  TEncoding(const TEncoding&) = delete;
  TEncoding& operator=(const TEncoding&) = delete;
  virtual ~TEncoding();

  // Shared instances; never free them.
  static TEncoding* UTF8();              // preamble EF BB BF
  static TEncoding* Unicode();           // UTF-16LE, preamble FF FE
  static TEncoding* BigEndianUnicode();  // UTF-16BE, preamble FE FF
  static TEncoding* ANSI();              // code page 1252, no preamble
  static TEncoding* ASCII();             // 7 bits; other characters become '?'
  // The system default: UTF-8 without a preamble.
  static TEncoding* Default();

  // Bytes of the text; characters the encoding cannot hold become '?' and
  // lone surrogates U+FFFD (in the UTF encodings).
  virtual TBytes GetBytes(StringView text) const = 0;
  // Text of the bytes; malformed input becomes U+FFFD, nothing is dropped
  // silently (an odd last byte of UTF-16 gives U+FFFD too).
  virtual String GetString(const Byte* data, std::size_t size) const = 0;
  String GetString(const TBytes& bytes) const { return GetString(bytes.data(), bytes.size()); }
  String GetString(const TBytes& bytes, std::size_t index, std::size_t count) const;
  virtual TBytes GetPreamble() const { return {}; }
  virtual int CodePage() const = 0;
  virtual String EncodingName() const = 0;
  virtual bool IsSingleByte() const { return false; }

  // With `encoding` null: recognises the UTF-8, UTF-16LE and UTF-16BE
  // preambles, sets `encoding` and returns the preamble's length; without one
  // sets `encoding` to `defaultEncoding` (Default() when null) and returns 0.
  // With `encoding` set: returns its preamble's length when the bytes start
  // with it, else 0.
  static std::size_t GetBufferEncoding(const Byte* data, std::size_t size, TEncoding*& encoding,
                                       TEncoding* defaultEncoding = nullptr);
  static std::size_t GetBufferEncoding(const TBytes& bytes, TEncoding*& encoding,
                                       TEncoding* defaultEncoding = nullptr) {
    return GetBufferEncoding(bytes.data(), bytes.size(), encoding, defaultEncoding);
  }
  static TBytes Convert(const TEncoding& source, const TEncoding& destination, const TBytes& bytes);
  // The encoding of a code page (65001, 1200, 1201, 1252, 20127); nullptr
  // for others.
  static TEncoding* GetEncoding(int codePage);

  // True when the bytes are well-formed UTF-8 (no overlongs, no surrogates).
  static bool IsValidUtf8(const Byte* data, std::size_t size);

 protected:
  TEncoding() = default;
};

}  // namespace rtl
