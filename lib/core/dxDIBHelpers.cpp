#include "lib/core/dxDIBHelpers.h"

#include <array>
#include <cstring>

#include "platform/gdi/blit.h"
#include "platform/gdi/dc.h"
#include "platform/rtl/streams.h"

namespace core {

namespace {

// A memory DC for the DIB calls, deleted on every path.
class MemoryDC {
 public:
  MemoryDC() : dc_(gdi::CreateCompatibleDC(nullptr)) {}
  ~MemoryDC() { gdi::DeleteDC(dc_); }
  MemoryDC(const MemoryDC&) = delete;
  MemoryDC& operator=(const MemoryDC&) = delete;
  gdi::HDC get() const { return dc_; }

 private:
  gdi::HDC dc_;
};

bool InternalGetDIB(ui::TBitmap* bitmap, TRGBQuad* colors, bool topDownDIB) {
  const int width = bitmap->Width(), height = bitmap->Height();
  if (width <= 0 || height <= 0) return false;
  gdi::BITMAPINFO info{};
  dxFillBitmapInfoHeader(info.bmiHeader, width, height, topDownDIB);
  MemoryDC dc;
  gdi::HBITMAP handle = bitmap->Handle();
  if (gdi::GetDIBits(dc.get(), handle, 0, gdi::UINT(height), colors, &info, gdi::DIB_RGB_COLORS) ==
      height)
    return true;
  // Row by row: output row i is scan line height-1-i of a top-down read.
  gdi::BITMAPINFO rowInfo{};
  dxFillBitmapInfoHeader(rowInfo.bmiHeader, width, height, false);
  std::vector<TRGBQuad> row(static_cast<std::size_t>(width));
  bool all = true;
  for (int i = 0; i < height; ++i) {
    const int line = topDownDIB ? height - 1 - i : i;
    TRGBQuad* out = colors + static_cast<std::size_t>(i) * width;
    if (gdi::GetDIBits(dc.get(), handle, gdi::UINT(line), 1, out, &rowInfo, gdi::DIB_RGB_COLORS) == 1)
      continue;
    std::fill(row.begin(), row.end(), TRGBQuad{});
    if (gdi::GetDIBits(dc.get(), handle, gdi::UINT(line), 1, row.data(), &rowInfo,
                       gdi::DIB_RGB_COLORS) == 1)
      std::memcpy(out, row.data(), row.size() * sizeof(TRGBQuad));
    else
      all = false;
  }
  return all;
}

const std::array<std::uint32_t, 256>& CrcTable() {
  static const std::array<std::uint32_t, 256> table = [] {
    std::array<std::uint32_t, 256> t{};
    for (std::uint32_t n = 0; n < 256; ++n) {
      std::uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[n] = c;
    }
    return t;
  }();
  return table;
}

}  // namespace

int cxGetBitmapPixelFormat(ui::TBitmap* bitmap) {
  switch (bitmap->PixelFormat()) {
    case ui::pf1bit: return 1;
    case ui::pf4bit: return 4;
    case ui::pf8bit: return 8;
    case ui::pf15bit:
    case ui::pf16bit: return 16;
    case ui::pf24bit: return 24;
    case ui::pf32bit: return 32;
    default: return gdi::GetDeviceCaps(bitmap->Canvas()->Handle(), gdi::BITSPIXEL);
  }
}

void dxFillBitmapInfoHeader(gdi::BITMAPINFOHEADER& header, int width, int height, bool topDownDIB) {
  header = gdi::BITMAPINFOHEADER{};
  header.biSize = sizeof(gdi::BITMAPINFOHEADER);
  header.biWidth = width;
  header.biHeight = topDownDIB ? -height : height;
  header.biPlanes = 1;
  header.biBitCount = 32;
  header.biCompression = gdi::BI_RGB;
}

void dxFillBitmapInfoHeader(gdi::BITMAPINFOHEADER& header, ui::TBitmap* bitmap, bool topDownDIB) {
  dxFillBitmapInfoHeader(header, bitmap->Width(), bitmap->Height(), topDownDIB);
}

bool GetBitmapBits(ui::TBitmap* bitmap, TRGBColors& colors, bool topDownDIB) {
  const int width = bitmap->Width(), height = bitmap->Height();
  colors.assign(width > 0 && height > 0 ? static_cast<std::size_t>(width) * height : 0, TRGBQuad{});
  return InternalGetDIB(bitmap, colors.data(), topDownDIB);
}

void SetBitmapBits(ui::TBitmap* bitmap, const TRGBColors& colors, bool topDownDIB) {
  const int width = bitmap->Width(), height = bitmap->Height();
  if (width <= 0 || height <= 0) return;
  if (colors.size() < static_cast<std::size_t>(width) * height) return;
  gdi::BITMAPINFO info{};
  dxFillBitmapInfoHeader(info.bmiHeader, width, height, topDownDIB);
  MemoryDC dc;
  gdi::SetDIBits(dc.get(), bitmap->Handle(), 0, gdi::UINT(height), colors.data(), &info,
                 gdi::DIB_RGB_COLORS);
}

bool dxIsAlphaUsed(ui::TBitmap* bitmap) {
  if (bitmap->PixelFormat() != ui::pf32bit) return false;
  TRGBColors colors;
  if (!GetBitmapBits(bitmap, colors, false)) return false;
  for (const TRGBQuad& c : colors)
    if (c.rgbReserved != 0) return true;
  return false;
}

bool dxGetBitmapData(gdi::HBITMAP bitmap, gdi::BITMAP& data) {
  return gdi::GetObjectW(bitmap, sizeof(gdi::BITMAP), &data) == int(sizeof(gdi::BITMAP));
}

bool dxGetFontData(gdi::HFONT font, gdi::LOGFONTW& data) {
  return gdi::GetObjectW(font, sizeof(gdi::LOGFONTW), &data) == int(sizeof(gdi::LOGFONTW));
}

bool dxGraphicIsEquals(ui::TGraphic* a, ui::TGraphic* b) {
  if (!a || !b || a->ClassType() != b->ClassType()) return false;
  if (a->Width() != b->Width() || a->Height() != b->Height()) return false;
  rtl::TMemoryStream sa, sb;
  a->SaveToStream(&sa);
  b->SaveToStream(&sb);
  return sa.Size() == sb.Size() &&
         std::memcmp(sa.Memory(), sb.Memory(), static_cast<std::size_t>(sa.Size())) == 0;
}

std::uint32_t dxCRC32(const void* data, std::size_t count, std::uint32_t currentCRC32) {
  const auto& table = CrcTable();
  const auto* p = static_cast<const std::uint8_t*>(data);
  std::uint32_t crc = currentCRC32;
  for (std::size_t i = 0; i < count; ++i) crc = table[(crc ^ p[i]) & 0xFF] ^ (crc >> 8);
  return crc;
}

std::uint32_t dxCRC32(const void* data, std::size_t count) {
  return ~dxCRC32(data, count, 0xFFFFFFFFu);
}

}  // namespace core
