#pragma once
// Reading and writing the pixels of a bitmap as 32-bit device-independent
// rows, descriptions of GDI objects, picture equality, and the CRC-32
// checksum of the image and stream code.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "lib/core/dxAlphaColors.h"
#include "platform/gdi/objects.h"
#include "platform/ui/bitmap.h"

namespace core {

// 32-bit BGRA pixels, row after row.
using TRGBColors = std::vector<TRGBQuad>;

// Bits per pixel of the bitmap's format; the device and custom formats
// answer the depth of the bitmap canvas's device.
int cxGetBitmapPixelFormat(ui::TBitmap* bitmap);

// A zeroed 40-byte header of a 32-bit uncompressed DIB; a top-down DIB has
// a negative height.
void dxFillBitmapInfoHeader(gdi::BITMAPINFOHEADER& header, int width, int height, bool topDownDIB);
void dxFillBitmapInfoHeader(gdi::BITMAPINFOHEADER& header, ui::TBitmap* bitmap, bool topDownDIB);

// width x height pixels; false for an empty bitmap or when a row could not
// be read.
bool GetBitmapBits(ui::TBitmap* bitmap, TRGBColors& colors, bool topDownDIB);
// Writes all rows back (nothing for an empty bitmap).
void SetBitmapBits(ui::TBitmap* bitmap, const TRGBColors& colors, bool topDownDIB);

// 32 bits per pixel and at least one pixel with a non-zero alpha byte.
bool dxIsAlphaUsed(ui::TBitmap* bitmap);

bool dxGetBitmapData(gdi::HBITMAP bitmap, gdi::BITMAP& data);
bool dxGetFontData(gdi::HFONT font, gdi::LOGFONTW& data);

// Same class, same size and byte-equal saved streams.
bool dxGraphicIsEquals(ui::TGraphic* a, ui::TGraphic* b);

// The standard CRC-32 (reflected 0xEDB88320, initial value and final
// inversion 0xFFFFFFFF).
std::uint32_t dxCRC32(const void* data, std::size_t count);
// One more stretch of a running checksum: the table step only, without the
// initial value or the final inversion.
std::uint32_t dxCRC32(const void* data, std::size_t count, std::uint32_t currentCRC32);

}  // namespace core
