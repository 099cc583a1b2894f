#pragma once
// Images and bitmaps: loading (format found by signature), saving through
// an encoder chosen by class identifier, pixels, frames and properties.
//
// Pixel storage. A bitmap keeps 32 bits per pixel, in memory B, G, R, A:
//   PixelFormat32bppPARGB  premultiplied alpha (what the drawing code uses);
//   PixelFormat32bppARGB   straight alpha (what files hold);
//   PixelFormat32bppRGB / 24bppRGB   no alpha (read back as 255).
// LockBits, GetPixel and SetPixel convert between these on the way; a
// graphics on a straight-alpha bitmap premultiplies its storage once.
#include <cstddef>
#include <vector>

#include "platform/gdi/types.h"
#include "platform/gdiplus/bitmap.h"
#include "platform/gdiplus/types.h"

namespace rtl {
class TStream;
}

namespace gdiplus {

class GpImageAttributes;

// ---- loading and saving ------------------------------------------------------------
// Reads from the stream's position to its end.
GpStatus GdipLoadImageFromStream(rtl::TStream* stream, GpImage** image);
GpStatus GdipCreateBitmapFromStream(rtl::TStream* stream, GpBitmap** bitmap);
GpStatus GdipSaveImageToStream(GpImage* image, rtl::TStream* stream, const CLSID* encoder,
                               const EncoderParameters* params);
// The same over bytes in memory.
GpStatus loadImageFromMemory(const void* data, std::size_t size, GpImage** image);
GpStatus saveImageToMemory(GpImage* image, const CLSID* encoder, const EncoderParameters* params,
                           std::vector<std::uint8_t>* out);

// Codec lists: entries, then the strings and signatures they point to, in one
// caller buffer of the size the *Size function gives.
GpStatus GdipGetImageEncodersSize(UINT* count, UINT* size);
GpStatus GdipGetImageEncoders(UINT count, UINT size, ImageCodecInfo* encoders);
GpStatus GdipGetImageDecodersSize(UINT* count, UINT* size);
GpStatus GdipGetImageDecoders(UINT count, UINT size, ImageCodecInfo* decoders);
// Our own look-up by MIME type ("image/png"), case-insensitive.
GpStatus encoderClsid(const char16_t* mimeType, CLSID* clsid);
GpStatus decoderClsid(const char16_t* mimeType, CLSID* clsid);

// ---- bitmaps ---------------------------------------------------------------------------
// With scan0 the bitmap works on the caller's memory (32-bit formats; it must
// outlive the bitmap); without, it owns memory cleared to 0.
GpStatus GdipCreateBitmapFromScan0(INT width, INT height, INT stride, PixelFormat format, BYTE* scan0,
                                   GpBitmap** bitmap);
// Device bitmaps: a copy of the HBITMAP's pixels as PixelFormat32bppRGB
// (its alpha bytes are ignored; the palette must be null), and a new 32-bit
// top-down DIB section holding the bitmap premultiplied over `background`
// (a transparent background keeps the bitmap's alpha).
GpStatus GdipCreateBitmapFromHBITMAP(gdi::HBITMAP hbm, gdi::HPALETTE palette, GpBitmap** bitmap);
GpStatus GdipCreateHBITMAPFromBitmap(GpBitmap* bitmap, gdi::HBITMAP* hbm, ARGB background);
GpStatus GdipCloneImage(GpImage* image, GpImage** clone);
GpStatus GdipDisposeImage(GpImage* image);

GpStatus GdipGetImageType(GpImage* image, ImageType* type);
GpStatus GdipGetImageWidth(GpImage* image, UINT* width);
GpStatus GdipGetImageHeight(GpImage* image, UINT* height);
GpStatus GdipGetImageDimension(GpImage* image, REAL* width, REAL* height);
GpStatus GdipGetImagePixelFormat(GpImage* image, PixelFormat* format);
GpStatus GdipGetImageRawFormat(GpImage* image, GUID* format);
GpStatus GdipGetImageHorizontalResolution(GpImage* image, REAL* dpi);
GpStatus GdipGetImageVerticalResolution(GpImage* image, REAL* dpi);

GpStatus GdipBitmapLockBits(GpBitmap* bitmap, const GpRect* rect, UINT flags, PixelFormat format,
                            BitmapData* data);
GpStatus GdipBitmapUnlockBits(GpBitmap* bitmap, BitmapData* data);
GpStatus GdipBitmapGetPixel(GpBitmap* bitmap, INT x, INT y, ARGB* color);
GpStatus GdipBitmapSetPixel(GpBitmap* bitmap, INT x, INT y, ARGB color);

// ---- frames and properties -----------------------------------------------------------
GpStatus GdipImageGetFrameDimensionsCount(GpImage* image, UINT* count);
GpStatus GdipImageGetFrameDimensionsList(GpImage* image, GUID* dimensionIDs, UINT count);
GpStatus GdipImageGetFrameCount(GpImage* image, const GUID* dimensionID, UINT* count);
GpStatus GdipImageSelectActiveFrame(GpImage* image, const GUID* dimensionID, UINT frameIndex);
GpStatus GdipGetPropertyCount(GpImage* image, UINT* count);
GpStatus GdipGetPropertyIdList(GpImage* image, UINT count, PROPID* list);
// The item header followed by its value bytes, in one buffer.
GpStatus GdipGetPropertyItemSize(GpImage* image, PROPID id, UINT* size);
GpStatus GdipGetPropertyItem(GpImage* image, PROPID id, UINT size, PropertyItem* buffer);

// ---- image attributes (colour matrix for drawing images) ----------------------------
GpStatus GdipCreateImageAttributes(GpImageAttributes** attributes);
GpStatus GdipCloneImageAttributes(const GpImageAttributes* attributes, GpImageAttributes** clone);
GpStatus GdipDisposeImageAttributes(GpImageAttributes* attributes);
// Only ColorMatrixFlagsDefault is applied; the gray matrix is ignored.
GpStatus GdipSetImageAttributesColorMatrix(GpImageAttributes* attributes, ColorAdjustType type, BOOL enable,
                                           const ColorMatrix* colorMatrix, const ColorMatrix* grayMatrix,
                                           ColorMatrixFlags flags);
GpStatus GdipSetImageAttributesNoOp(GpImageAttributes* attributes, ColorAdjustType type, BOOL enable);

}  // namespace gdiplus
