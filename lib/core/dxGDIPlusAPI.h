#pragma once
// The library's binding to the graphics interface: the availability check,
// the exception that carries a failing status, the codec identifiers found
// by MIME type, and small constructors of fonts, bitmaps and rectangles.
//
// Our interface is always present. A switch (dxSetGdiPlusUnavailable) makes
// it look missing, so that the callers' fallback branches can be exercised.
#include "lib/core/dxCore.h"
#include "platform/gdiplus/types.h"
#include "platform/gdi/objects.h"
#include "platform/gdi/types.h"

namespace ui {
class TFont;
}
namespace gdiplus {
class GpFont;
class GpBitmap;
}  // namespace gdiplus

namespace core {

using gdiplus::GpStatus;

inline constexpr TcxResourceString sdxGdipInvalidOperation{u"Invalid operation in GDI+ (Code: %d)"};
inline constexpr TcxResourceString sdxGdipInvalidOperationWin32{u"Invalid operation in GDI+ (Win32 error code: %d)"};

class EdxGdipException : public EdxException {
 public:
  // The message names the last Win32 error for Win32Error when there is one,
  // otherwise the status number.
  explicit EdxGdipException(GpStatus AStatus);
  const char* ClassName() const override { return "EdxGdipException"; }
  GpStatus Status() const { return FStatus; }

 private:
  GpStatus FStatus;
};

// --- availability ---------------------------------------------------------------------
void GdiPlusLoad();
void GdiPlusUnload();
// Loads on first use; false while the interface is (made) unavailable.
// AWithMessage is accepted for the callers' sake; no box is ever shown.
bool CheckGdiPlus(bool AWithMessage = false);
bool dxGdiPlusPresent();
// For tests: while set, every load fails as a missing library would; a load
// that succeeded is undone at once.
void dxSetGdiPlusUnavailable(bool AValue);
// Number of load attempts since the program started (each reaches the
// library anew while it is unavailable).
int dxGdiPlusLoadAttempts();

// Raises EdxGdipException for any status other than Ok.
void GdipCheck(GpStatus AStatus);

// --- codecs ----------------------------------------------------------------------------
using gdiplus::CLSID;
extern CLSID BMPEncoder, BMPDecoder, GIFEncoder, GIFDecoder, JPEGEncoder, JPEGDecoder, PNGEncoder, PNGDecoder,
    TIFFEncoder, TIFFDecoder, EMFDecoder, ICONDecoder, WMFDecoder;

// Ok when a codec of the MIME type (compared without case) is found,
// GenericError otherwise (also while the interface is unavailable).
GpStatus GetEncoderID(rtl::StringView AMimeType, CLSID& AClassID);
GpStatus GetDecodecID(rtl::StringView AMimeType, CLSID& AClassID);
bool IsCodecIDValid(const CLSID& AClassID);
GpStatus CheckEncoder(rtl::StringView AMimeType, CLSID& AClassID);
GpStatus CheckDecoder(rtl::StringView AMimeType, CLSID& AClassID);
// A failed look-up zeroes the identifier and reports nothing.
void CheckOptionalEncoder(rtl::StringView AMimeType, CLSID& AClassID);
void CheckOptionalDecoder(rtl::StringView AMimeType, CLSID& AClassID);
// PNG is required (EdxGdipException with status 1 when missing); the other
// codecs are optional. Identifiers already valid are not looked up again.
void CheckImageCodecs();
void CheckPngCodec();
// For tests: zeroes every codec identifier.
void dxResetImageCodecs();

// --- constructors -------------------------------------------------------------------------
// A font of the font's LOGFONT; a face that is no outline font becomes
// "Tahoma". The caller deletes it (GdipDeleteFont).
gdiplus::GpFont* dxGpCreateFont(ui::TFont* AFont);
gdiplus::GpFont* dxGpCreateFont(const gdi::LOGFONTW& ALogFont);
// An empty premultiplied 32-bit bitmap; the caller disposes it.
gdiplus::GpBitmap* dxGpCreateBitmap(int AWidth, int AHeight);
gdiplus::GpBitmap* dxGpCreateBitmap(const gdi::SIZE& ASize);
gdiplus::GpBitmap* dxGpCreateBitmap(const gdi::RECT& ARect);
gdiplus::GpRect MakeRect(int X, int Y, int Width, int Height);
gdiplus::GpRectF MakeRect(float X, float Y, float Width, float Height);

// Base of the wrapper objects: records whether the interface was present
// when the object was made (the allocator itself is the ordinary one).
class TdxGpBase : public rtl::TObject {
 public:
  TdxGpBase() : FAllocatedByGdiPlus(dxGdiPlusPresent()) {}
  bool AllocatedByGdiPlus() const { return FAllocatedByGdiPlus; }

 private:
  bool FAllocatedByGdiPlus;
};

// The unit's start (clears the present flag) and stop (unloads).
void dxGDIPlusAPIUnitStart();
void dxGDIPlusAPIUnitStop();

}  // namespace core
