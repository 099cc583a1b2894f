#pragma once
// Internal to the codecs: bounded reading and the common size checks.
#include <cstdint>
#include <string>

#include "platform/gdiplus/codecs/codecs.h"
#include "platform/gdiplus/status.h"

namespace gdiplus::codecs {

[[noreturn]] void failTruncated(const char* format, const char* what);
[[noreturn]] void failCorrupt(const char* format, const std::string& why);

// Throws OutOfMemory when width x height (x frames already counted) passes
// the limit, InvalidParameter for non-positive sides.
void checkPixelCount(const char* format, std::int64_t width, std::int64_t height,
                     const DecodeOptions& options, std::uint64_t alreadyUsed = 0);

// Little-endian reads at absolute offsets that never pass the end.
class ByteReader {
 public:
  ByteReader(ByteView data, const char* format) : data_(data), format_(format) {}

  std::size_t size() const { return data_.size(); }
  bool has(std::size_t offset, std::size_t count) const {
    return offset <= data_.size() && count <= data_.size() - offset;
  }
  void need(std::size_t offset, std::size_t count, const char* what) const {
    if (!has(offset, count)) failTruncated(format_, what);
  }
  std::uint8_t u8(std::size_t offset, const char* what) const {
    need(offset, 1, what);
    return data_[offset];
  }
  std::uint16_t u16(std::size_t offset, const char* what) const {
    need(offset, 2, what);
    return static_cast<std::uint16_t>(data_[offset] | (data_[offset + 1] << 8));
  }
  std::uint32_t u32(std::size_t offset, const char* what) const {
    need(offset, 4, what);
    return static_cast<std::uint32_t>(data_[offset]) | (static_cast<std::uint32_t>(data_[offset + 1]) << 8) |
           (static_cast<std::uint32_t>(data_[offset + 2]) << 16) |
           (static_cast<std::uint32_t>(data_[offset + 3]) << 24);
  }
  std::int32_t i32(std::size_t offset, const char* what) const {
    return static_cast<std::int32_t>(u32(offset, what));
  }
  const std::uint8_t* ptr(std::size_t offset) const { return data_.data() + offset; }
  ByteView view(std::size_t offset, std::size_t count, const char* what) const {
    need(offset, count, what);
    return data_.subspan(offset, count);
  }

 private:
  ByteView data_;
  const char* format_;
};

inline void putU16(Bytes& out, std::uint32_t v) {
  out.push_back(static_cast<std::uint8_t>(v));
  out.push_back(static_cast<std::uint8_t>(v >> 8));
}
inline void putU32(Bytes& out, std::uint32_t v) {
  putU16(out, v & 0xFFFF);
  putU16(out, v >> 16);
}

// The bitmap part of a BMP file or of an icon entry (a DIB: header, masks,
// palette, pixels). Icon entries carry twice the height and an AND mask.
struct DibResult {
  Raster raster;
  bool hasAlpha = false;
  int bitsPerPixel = 0;
  double dpiX = 96, dpiY = 96;
};
DibResult decodeDib(ByteView data, std::size_t headerOffset, std::size_t bitsOffset, bool bitsOffsetKnown,
                    bool iconEntry, const DecodeOptions& options);

void checkWritable(const Raster& image, const char* format);

}  // namespace gdiplus::codecs
