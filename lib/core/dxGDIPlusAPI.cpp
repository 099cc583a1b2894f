#include "lib/core/dxGDIPlusAPI.h"

#include <cstring>
#include <vector>

#include "platform/gdi/objects.h"
#include "platform/gdiplus/font.h"
#include "platform/gdiplus/image.h"
#include "platform/gdiplus/startup.h"
#include "platform/rtl/format.h"
#include "platform/rtl/ustring.h"
#include "platform/ui/graphics.h"
#include "platform/win/paint.h"
#include "platform/win/window.h"

namespace core {

using namespace gdiplus;

namespace {

struct BindingState {
  bool FGDIPresent = false;
  bool unavailable = false;
  int loadAttempts = 0;
  ULONG_PTR FGDIPlusToken = 0;
  ULONG_PTR FGdiPlusHookToken = 0;
  GdiplusStartupOutput FGdiPlusHook;
};

BindingState& binding() {
  static BindingState state;
  return state;
}

String statusMessage(GpStatus AStatus) {
  const win::DWORD lastError = win::GetLastError();
  if (AStatus == Win32Error && lastError != 0)
    return rtl::Format(cxGetResourceString(&sdxGdipInvalidOperationWin32), {static_cast<int>(lastError)});
  return rtl::Format(cxGetResourceString(&sdxGdipInvalidOperation), {static_cast<int>(AStatus)});
}

bool sameMimeType(const WCHAR* AEntry, rtl::StringView AMimeType) {
  if (!AEntry) return false;
  return rtl::LowerCase(std::u16string_view(AEntry)) == rtl::LowerCase(AMimeType);
}

using SizeProc = GpStatus (*)(UINT*, UINT*);
using ListProc = GpStatus (*)(UINT, UINT, ImageCodecInfo*);

GpStatus findCodec(SizeProc ASize, ListProc AList, rtl::StringView AMimeType, CLSID& AClassID) {
  if (!CheckGdiPlus(false)) return GenericError;
  UINT count = 0, size = 0;
  if (ASize(&count, &size) != Ok || size == 0) return GenericError;
  // ImageCodecInfo holds pointers: keep the buffer aligned for it.
  std::vector<ImageCodecInfo> buffer((size + sizeof(ImageCodecInfo) - 1) / sizeof(ImageCodecInfo));
  if (AList(count, size, buffer.data()) != Ok) return GenericError;
  for (UINT i = 0; i < count; ++i)
    if (sameMimeType(buffer[i].MimeType, AMimeType)) {
      AClassID = buffer[i].Clsid;
      return Ok;
    }
  return GenericError;
}

}  // namespace

EdxGdipException::EdxGdipException(GpStatus AStatus) : EdxException(statusMessage(AStatus)), FStatus(AStatus) {}

// --- availability -----------------------------------------------------------------------

void GdiPlusLoad() {
  BindingState& state = binding();
  if (state.FGDIPresent) return;
  ++state.loadAttempts;
  if (state.unavailable) return;
  GdiplusStartupInput input;
  input.SuppressBackgroundThread = 1;
  state.FGDIPresent = GdiplusStartup(&state.FGDIPlusToken, &input, &state.FGdiPlusHook) == Ok;
  if (state.FGDIPresent &&
      (!state.FGdiPlusHook.NotificationHook || state.FGdiPlusHook.NotificationHook(&state.FGdiPlusHookToken) != Ok)) {
    GdiplusShutdown(state.FGDIPlusToken);
    state.FGDIPresent = false;
  }
  if (!state.FGDIPresent) state.FGdiPlusHook = {};
}

void GdiPlusUnload() {
  BindingState& state = binding();
  if (state.FGDIPresent) {
    if (state.FGdiPlusHook.NotificationUnhook) state.FGdiPlusHook.NotificationUnhook(state.FGdiPlusHookToken);
    GdiplusShutdown(state.FGDIPlusToken);
  }
  state.FGdiPlusHook = {};
  state.FGDIPresent = false;
}

bool CheckGdiPlus(bool /*AWithMessage*/) {
  if (!binding().FGDIPresent) GdiPlusLoad();
  return binding().FGDIPresent;
}

bool dxGdiPlusPresent() { return binding().FGDIPresent; }

void dxSetGdiPlusUnavailable(bool AValue) {
  binding().unavailable = AValue;
  if (AValue) GdiPlusUnload();
}

int dxGdiPlusLoadAttempts() { return binding().loadAttempts; }

void GdipCheck(GpStatus AStatus) {
  if (AStatus != Ok) throw EdxGdipException(AStatus);
}

// --- codecs ------------------------------------------------------------------------------

CLSID BMPEncoder{}, BMPDecoder{}, GIFEncoder{}, GIFDecoder{}, JPEGEncoder{}, JPEGDecoder{}, PNGEncoder{},
    PNGDecoder{}, TIFFEncoder{}, TIFFDecoder{}, EMFDecoder{}, ICONDecoder{}, WMFDecoder{};

GpStatus GetEncoderID(rtl::StringView AMimeType, CLSID& AClassID) {
  return findCodec(&GdipGetImageEncodersSize, &GdipGetImageEncoders, AMimeType, AClassID);
}

GpStatus GetDecodecID(rtl::StringView AMimeType, CLSID& AClassID) {
  return findCodec(&GdipGetImageDecodersSize, &GdipGetImageDecoders, AMimeType, AClassID);
}

bool IsCodecIDValid(const CLSID& AClassID) {
  return AClassID.Data1 != 0 || AClassID.Data2 != 0 || AClassID.Data3 != 0;
}

GpStatus CheckEncoder(rtl::StringView AMimeType, CLSID& AClassID) {
  return IsCodecIDValid(AClassID) ? Ok : GetEncoderID(AMimeType, AClassID);
}

GpStatus CheckDecoder(rtl::StringView AMimeType, CLSID& AClassID) {
  return IsCodecIDValid(AClassID) ? Ok : GetDecodecID(AMimeType, AClassID);
}

void CheckOptionalEncoder(rtl::StringView AMimeType, CLSID& AClassID) {
  if (CheckEncoder(AMimeType, AClassID) != Ok) AClassID = {};
}

void CheckOptionalDecoder(rtl::StringView AMimeType, CLSID& AClassID) {
  if (CheckDecoder(AMimeType, AClassID) != Ok) AClassID = {};
}

void CheckImageCodecs() {
  GdipCheck(CheckEncoder(u"image/png", PNGEncoder));
  GdipCheck(CheckDecoder(u"image/png", PNGDecoder));
  CheckOptionalEncoder(u"image/bmp", BMPEncoder);
  CheckOptionalDecoder(u"image/bmp", BMPDecoder);
  CheckOptionalEncoder(u"image/gif", GIFEncoder);
  CheckOptionalDecoder(u"image/gif", GIFDecoder);
  CheckOptionalEncoder(u"image/jpeg", JPEGEncoder);
  CheckOptionalDecoder(u"image/jpeg", JPEGDecoder);
  CheckOptionalEncoder(u"image/tiff", TIFFEncoder);
  CheckOptionalDecoder(u"image/tiff", TIFFDecoder);
  CheckOptionalDecoder(u"image/x-emf", EMFDecoder);
  CheckOptionalDecoder(u"image/x-wmf", WMFDecoder);
  CheckOptionalDecoder(u"image/x-icon", ICONDecoder);
}

void CheckPngCodec() { CheckImageCodecs(); }

void dxResetImageCodecs() {
  for (CLSID* id : {&BMPEncoder, &BMPDecoder, &GIFEncoder, &GIFDecoder, &JPEGEncoder, &JPEGDecoder, &PNGEncoder,
                    &PNGDecoder, &TIFFEncoder, &TIFFDecoder, &EMFDecoder, &ICONDecoder, &WMFDecoder})
    *id = {};
}

// --- constructors --------------------------------------------------------------------------

GpFont* dxGpCreateFont(const gdi::LOGFONTW& ALogFont) {
  gdi::LOGFONTW logFont = ALogFont;
  gdi::HDC dc = win::GetDC(nullptr);
  GpFont* font = nullptr;
  GpStatus status = GdipCreateFontFromLogfontW(dc, &logFont, &font);
  if (status == NotTrueTypeFont) {
    static constexpr char16_t kFallback[] = u"Tahoma";
    std::memset(logFont.lfFaceName, 0, sizeof(logFont.lfFaceName));
    std::memcpy(logFont.lfFaceName, kFallback, sizeof(kFallback));
    status = GdipCreateFontFromLogfontW(dc, &logFont, &font);
  }
  win::ReleaseDC(nullptr, dc);
  GdipCheck(status);
  return font;
}

GpFont* dxGpCreateFont(ui::TFont* AFont) {
  gdi::LOGFONTW logFont;
  gdi::GetObjectW(AFont->Handle(), sizeof(logFont), &logFont);
  return dxGpCreateFont(logFont);
}

GpBitmap* dxGpCreateBitmap(int AWidth, int AHeight) {
  GpBitmap* bitmap = nullptr;
  GdipCheck(GdipCreateBitmapFromScan0(AWidth, AHeight, 0, PixelFormat32bppPARGB, nullptr, &bitmap));
  return bitmap;
}

GpBitmap* dxGpCreateBitmap(const gdi::SIZE& ASize) { return dxGpCreateBitmap(ASize.cx, ASize.cy); }

GpBitmap* dxGpCreateBitmap(const gdi::RECT& ARect) {
  return dxGpCreateBitmap(ARect.right - ARect.left, ARect.bottom - ARect.top);
}

GpRect MakeRect(int X, int Y, int Width, int Height) { return GpRect{X, Y, Width, Height}; }
GpRectF MakeRect(float X, float Y, float Width, float Height) { return GpRectF{X, Y, Width, Height}; }

void dxGDIPlusAPIUnitStart() { binding().FGDIPresent = false; }
void dxGDIPlusAPIUnitStop() { GdiPlusUnload(); }

}  // namespace core
