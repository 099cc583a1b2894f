#include "lib/core/dxSmartImage.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "lib/core/cxClasses.h"
#include "lib/core/dxDIBHelpers.h"
#include "platform/gdi/objects.h"
#include "platform/gdi/surface.h"
#include "platform/gdiplus/bitmap.h"
#include "platform/gdiplus/graphics.h"
#include "platform/gdiplus/image.h"
#include "platform/rtl/resources.h"
#include "platform/rtl/scoped.h"
#include "platform/ui/canvas.h"
#include "platform/ui/colors.h"
#include "platform/win/clipboard.h"

namespace core {

using namespace gdiplus;

namespace {

using Bits = std::vector<std::uint32_t>;
using Bytes = std::vector<std::uint8_t>;

struct SmartImageDeleter {
  void operator()(GpImage* i) const { GdipDisposeImage(i); }
};
using ImagePtr = std::unique_ptr<GpImage, SmartImageDeleter>;

std::uint32_t premultiplied(std::uint32_t p) {
  const std::uint32_t a = p >> 24;
  if (a == 255) return p;
  if (a == 0) return 0;
  auto mul = [a](std::uint32_t c) { return (c * a + 127) / 255; };
  return (a << 24) | (mul((p >> 16) & 0xFF) << 16) | (mul((p >> 8) & 0xFF) << 8) | mul(p & 0xFF);
}

// Some pixel has alpha, or every pixel is entirely 0 (a picture of alpha
// that is all transparent).
bool CheckHasAlphaChannel(const Bits& ABits) {
  bool allZero = true;
  for (std::uint32_t p : ABits) {
    if (p >> 24) return true;
    if (p) allZero = false;
  }
  return allZero;
}

GpBitmap* bitmapOf(GpImage* AImage) {
  ImageType type = ImageTypeUnknown;
  GdipCheck(GdipGetImageType(AImage, &type));
  return type == ImageTypeBitmap ? static_cast<GpBitmap*>(AImage) : nullptr;
}

// Premultiplied pixels of the image's active frame, top-down.
Bits premultipliedBits(GpImage* AImage, gdi::SIZE& ASize) {
  GpBitmap* bitmap = bitmapOf(AImage);
  if (!bitmap) return {};
  UINT w = 0, h = 0;
  GdipCheck(GdipGetImageWidth(AImage, &w));
  GdipCheck(GdipGetImageHeight(AImage, &h));
  ASize = {LONG(w), LONG(h)};
  if (!w || !h) return {};
  const GpRect rect{0, 0, INT(w), INT(h)};
  BitmapData data{};
  GdipCheck(GdipBitmapLockBits(bitmap, &rect, ImageLockModeRead, PixelFormat32bppPARGB, &data));
  Bits bits(std::size_t(w) * h);
  for (UINT y = 0; y < h; ++y)
    std::memcpy(bits.data() + std::size_t(y) * w, static_cast<std::uint8_t*>(data.Scan0) + std::size_t(y) * data.Stride,
                std::size_t(w) * 4);
  GdipCheck(GdipBitmapUnlockBits(bitmap, &data));
  return bits;
}

constexpr TdxImageDataFormat SupportedFormats[] = {
    TdxImageDataFormat::dxImagePng, TdxImageDataFormat::dxImageGif, TdxImageDataFormat::dxImageTiff,
    TdxImageDataFormat::dxImageJpeg, TdxImageDataFormat::dxImageBitmap};

struct SmartImageUnitState {
  bool started = false;
  std::array<win::UINT, 11> clipboardFormats{};
};

SmartImageUnitState& smartImageUnitState() {
  static SmartImageUnitState state;
  return state;
}

TdxGPImageCustomAnimationController* createBaseController(TdxGPImage* AImage) {
  return new TdxGPImageCustomAnimationController(AImage);
}

TdxGPImageCustomAnimationController* createTimerController(TdxGPImage* AImage) {
  return new TdxImageAnimationController(AImage);
}

}  // namespace

TdxGPImageAnimationControllerFactory ImageAnimationControllerClass = &createBaseController;

// --- formats ------------------------------------------------------------------------------------

TdxImageDataFormat dxGetImageDataFormat(const GUID& AFormat) {
  struct Entry {
    const GUID* id;
    TdxImageDataFormat format;
  };
  static const Entry map[] = {
      {&ImageFormatBMP, TdxImageDataFormat::dxImageBitmap},   {&ImageFormatMemoryBMP, TdxImageDataFormat::dxImageMemoryBmp},
      {&ImageFormatJPEG, TdxImageDataFormat::dxImageJpeg},    {&ImageFormatPNG, TdxImageDataFormat::dxImagePng},
      {&ImageFormatTIFF, TdxImageDataFormat::dxImageTiff},    {&ImageFormatGIF, TdxImageDataFormat::dxImageGif},
      {&ImageFormatIcon, TdxImageDataFormat::dxImageIcon},    {&ImageFormatEMF, TdxImageDataFormat::dxImageEmf},
      {&ImageFormatWMF, TdxImageDataFormat::dxImageWmf}};
  for (const Entry& e : map)
    if (*e.id == AFormat) return e.format;
  return TdxImageDataFormat::dxImageUnknown;
}

CLSID dxGetImageEncoder(TdxImageDataFormat AFormat) {
  switch (AFormat) {
    case TdxImageDataFormat::dxImageBitmap:
    case TdxImageDataFormat::dxImageMemoryBmp: return BMPEncoder;
    case TdxImageDataFormat::dxImageJpeg: return JPEGEncoder;
    case TdxImageDataFormat::dxImagePng: return PNGEncoder;
    case TdxImageDataFormat::dxImageTiff: return TIFFEncoder;
    case TdxImageDataFormat::dxImageGif: return GIFEncoder;
    case TdxImageDataFormat::dxImageEmf:
    case TdxImageDataFormat::dxImageIcon:
    case TdxImageDataFormat::dxImageWmf: return CLSID{};
    default: throw EdxException(cxGetResourceString(&sdxGetImageEncoderFails));
  }
}

// --- TdxGPImageData ---------------------------------------------------------------------------------

void TdxGPImageData::FreeImageData() {
  FBits.clear();
  FBitsBounds = {};
  FNewSize = {};
  FData.reset();
}

void TdxGPImageData::Assign(const TdxGPImageData& ASource) {
  FBits = ASource.FBits;
  FBitsBounds = ASource.FBitsBounds;
  FNewSize = ASource.FNewSize;
  FData = ASource.FData ? std::make_unique<Bytes>(*ASource.FData) : nullptr;
}

void TdxGPImageData::LoadFromStream(rtl::TStream* AStream) {
  const rtl::Int64 count = AStream->Remaining();
  if (count <= 0) return;
  auto data = std::make_unique<Bytes>(static_cast<std::size_t>(count));
  AStream->ReadBuffer(data->data(), count);
  FData = std::move(data);
}

void TdxGPImageData::LoadFromBits(Bits ABits, const gdi::SIZE& ASize, bool AHasAlpha) {
  FBits = std::move(ABits);
  FBitsBounds = ASize;
  if (AHasAlpha || FBits.empty()) return;
  // The key compares colour only: pixels without alpha of their own carry
  // no meaningful fourth byte. A fixed black key matches nothing.
  bool haveKey = FTransparent;
  std::uint32_t key = 0;
  if (haveKey) {
    if (FTransparentMode == ui::tmFixed) {
      const ui::TColor color = FTransparentColor;
      haveKey = color != 0 && color != ui::clNone && color != ui::clDefault;
      if (haveKey) key = dxColorToRGBQuad(color) & 0x00FFFFFF;
    } else {
      key = FBits[std::size_t(ASize.cy - 1) * ASize.cx] & 0x00FFFFFF;
    }
  }
  for (std::uint32_t& p : FBits) p = (haveKey && (p & 0x00FFFFFF) == key) ? 0 : (p | 0xFF000000u);
}

// --- animation controllers ----------------------------------------------------------------------------

void TdxGPImageCustomAnimationController::TimerHandler(rtl::TObject*) {
  TdxGPImage* image = FImage;
  const int frame = image->ActiveFrame();
  DeactivateTimer();
  // Decided also when the frame change raises; stopping frees this object,
  // so nothing may follow it.
  rtl::ScopeExit decide([this, image, frame] {
    if (image->ActiveFrame() == frame)
      image->StopAnimation();
    else
      ActivateTimer();
  });
  image->SetActiveFrame(frame + 1);
}

TdxImageAnimationController::~TdxImageAnimationController() { DeactivateTimer(); }

void TdxImageAnimationController::ActivateTimer() {
  if (!FTimer) {
    FTimer.reset(cxCreateTimer(rtl::TNotifyEvent::bind<&TdxImageAnimationController::TimerHandler>(this),
                               static_cast<rtl::Cardinal>(FImage->AnimationFrameDelay()), true));
  }
}

void TdxImageAnimationController::DeactivateTimer() { FTimer.reset(); }

bool TdxImageAnimationController::IsTimerActive() { return FTimer && FTimer->Enabled(); }

// --- TdxGPImage: creation ------------------------------------------------------------------------------

TdxGPImage::TdxGPImage() : FImageData(std::make_unique<TdxGPImageData>()) {}

TdxGPImage::TdxGPImage(const gdi::SIZE& ASize, std::uint32_t AColor) : TdxGPImage() {
  if (ASize.cx > 0 && ASize.cy > 0)
    FImageData->LoadFromBits(Bits(std::size_t(ASize.cx) * ASize.cy, AColor), ASize, true);
}

TdxGPImage::~TdxGPImage() {
  FAnimationController.reset();
  if (FHandle) GdipDisposeImage(FHandle);
}

TdxGPImage* TdxGPImage::CreateFromBitmap(ui::TBitmap* ABitmap) {
  auto image = rtl::Create<TdxGPImage>();
  image->SetBitmap(ABitmap);
  return image;
}

TdxGPImage* TdxGPImage::CreateFromHBitmap(gdi::HBITMAP ABitmap) {
  auto image = rtl::Create<TdxGPImage>();
  GpBitmap* bitmap = nullptr;
  GdipCheck(GdipCreateBitmapFromHBITMAP(ABitmap, nullptr, &bitmap));
  image->FHandle = bitmap;
  image->RecognizeImageRawDataFormat();
  return image;
}

TdxGPImage* TdxGPImage::CreateFromBits(int AWidth, int AHeight, const Bits& ABits, bool AHasAlpha) {
  auto image = rtl::Create<TdxGPImage>();
  image->FImageData->LoadFromBits(ABits, {AWidth, AHeight}, AHasAlpha);
  return image;
}

TdxGPImage* TdxGPImage::CreateFromStream(rtl::TStream* AStream) {
  auto image = rtl::Create<TdxGPImage>();
  image->FImageData->LoadFromStream(AStream);
  return image;
}

void TdxGPImage::LoadFromStream(rtl::TStream* AStream) {
  FreeHandle();
  FImageData->LoadFromStream(AStream);
  Changed(this);
}

void TdxGPImage::LoadFromResource(const String& AResName, const String& AResType) {
  Bytes bytes = rtl::LoadResourceBytes(rtl::StringView(AResType), rtl::StringView(AResName));
  rtl::TMemoryStream stream;
  if (!bytes.empty()) stream.WriteBuffer(bytes.data(), rtl::Int64(bytes.size()));
  stream.SetPosition(0);
  LoadFromStream(&stream);
}

void TdxGPImage::LoadFromBits(int AWidth, int AHeight, const Bits& ABits, bool AHasAlpha) {
  CreateHandleFromBits(AWidth, AHeight, AHasAlpha, ABits);
  Changed(this);
}

void TdxGPImage::SetBitmap(ui::TBitmap* ABitmap) {
  CreateHandleFromBitmap(ABitmap);
  Changed(this);
}

void TdxGPImage::CreateHandleFromBitmap(ui::TBitmap* ABitmap) {
  TdxGPImageData& data = *FImageData;
  data.FTransparent = data.FTransparent || ABitmap->Transparent();
  data.FTransparentMode = ABitmap->TransparentMode();
  if (ABitmap->Empty()) return;  // no pixels to read
  data.FTransparentColor = ABitmap->TransparentColor();
  const gdi::ImageBGRA pixels = ABitmap->ToImage();
  Bits bits = pixels.pixels;
  const bool hasAlpha = ABitmap->PixelFormat() == ui::pf32bit && CheckHasAlphaChannel(bits);
  if (hasAlpha)
    for (std::uint32_t& p : bits) p = premultiplied(p);
  CreateHandleFromBits(pixels.width, pixels.height, hasAlpha, std::move(bits));
}

void TdxGPImage::CreateHandleFromBits(int AWidth, int AHeight, bool AHasAlpha, Bits ABits) {
  const gdi::SIZE pending = FImageData->FNewSize;
  FreeHandle();
  FImageData->LoadFromBits(std::move(ABits), {AWidth, AHeight}, AHasAlpha);
  FImageData->FNewSize = pending;
}

void TdxGPImage::SetHandle(GpImage* AHandle) {
  if (AHandle == FHandle) return;
  FreeHandle();
  FHandle = AHandle;
  RecognizeImageRawDataFormat();
  Changed(this);
}

void TdxGPImage::FreeHandle() {
  if (FHandle) GdipDisposeImage(FHandle);
  FHandle = nullptr;
  FImageDataFormat = TdxImageDataFormat::dxImageUnknown;
  FImageData->FreeImageData();
}

void TdxGPImage::Clear() {
  if (!FHandle && FImageData->Empty()) return;
  FreeHandle();
  Changed(this);
}

TdxGPImage* TdxGPImage::Clone() const {
  auto* clone = static_cast<TdxGPImage*>(ClassType()->Create());
  clone->AssignFromGpImage(const_cast<TdxGPImage*>(this));
  return clone;
}

void TdxGPImage::Changed(rtl::TObject* Sender) {
  FIsAlphaUsedAssigned = false;
  ui::TGraphic::Changed(Sender);
}

// --- realising --------------------------------------------------------------------------------------

bool TdxGPImage::Loaded() const { return FHandle || FImageData->Empty(); }

void TdxGPImage::HandleNeeded() {
  if (!Loaded()) CreateHandleFromImageData();
}

GpImage* TdxGPImage::Handle() {
  HandleNeeded();
  return FHandle;
}

void TdxGPImage::CreateHandleFromImageData() {
  TdxGPImageData& data = *FImageData;
  if (data.FBits.empty() && data.FData && CanCreateHandleFromBitmapStream()) {
    rtl::TMemoryStream stream;
    stream.WriteBuffer(data.FData->data(), rtl::Int64(data.FData->size()));
    stream.SetPosition(0);
    if (IsBitmapStream(&stream)) {
      auto bitmap = ui::OwnedObject<ui::TBitmap>(rtl::Create<ui::TBitmap>());
      try {
        bitmap->LoadFromStream(&stream);
      } catch (const rtl::Exception&) {
        // Bad bitmap bytes are a failing decode like any other.
        throw EdxGdipException(InvalidParameter);
      }
      const gdi::SIZE pending = data.FNewSize;
      data.FreeImageData();
      data.FNewSize = pending;
      CreateHandleFromBitmap(bitmap.get());
    }
  }
  if (!data.FBits.empty()) {
    const gdi::SIZE size = data.FBitsBounds;
    GpBitmap* bitmap = dxGpCreateBitmap(size);
    ImagePtr owner(bitmap);
    const GpRect rect{0, 0, size.cx, size.cy};
    BitmapData locked{};
    GdipCheck(GdipBitmapLockBits(bitmap, &rect, ImageLockModeWrite, PixelFormat32bppPARGB, &locked));
    for (int y = 0; y < size.cy; ++y)
      std::memcpy(static_cast<std::uint8_t*>(locked.Scan0) + std::size_t(y) * locked.Stride,
                  data.FBits.data() + std::size_t(y) * size.cx, std::size_t(size.cx) * 4);
    GdipCheck(GdipBitmapUnlockBits(bitmap, &locked));
    FHandle = owner.release();
  } else if (data.FData) {
    GpImage* image = nullptr;
    GdipCheck(loadImageFromMemory(data.FData->data(), data.FData->size(), &image));
    FHandle = image;
  } else {
    return;
  }
  if (data.FNewSize.cx > 0 && data.FNewSize.cy > 0) Resize(data.FNewSize);
  RecognizeImageRawDataFormat();
  if (FImageDataFormat == TdxImageDataFormat::dxImageUnknown) ConvertToBitmap();
  InternalSelectActiveFrame(FActiveFrame);
}

void TdxGPImage::RecognizeImageRawDataFormat() {
  FImageDataFormat = TdxImageDataFormat::dxImageUnknown;
  if (!FHandle) return;
  GUID format{};
  GdipCheck(GdipGetImageRawFormat(FHandle, &format));
  FImageDataFormat = dxGetImageDataFormat(format);
}

void TdxGPImage::ConvertToBitmap() {
  const gdi::SIZE size = Size();
  ImagePtr bitmap(dxGpCreateBitmap(size));
  GpGraphics* graphics = nullptr;
  GdipCheck(GdipGetImageGraphicsContext(bitmap.get(), &graphics));
  const GpStatus status = GdipDrawImageRectI(graphics, FHandle, 0, 0, size.cx, size.cy);
  GdipDeleteGraphics(graphics);
  GdipCheck(status);
  SetHandle(bitmap.release());
  FImageDataFormat = TdxImageDataFormat::dxImageMemoryBmp;
}

// --- queries -----------------------------------------------------------------------------------------

TdxImageDataFormat TdxGPImage::ImageDataFormat() {
  HandleNeeded();
  return FImageDataFormat;
}

gdi::SIZE TdxGPImage::Size() {
  HandleNeeded();
  if (!FHandle) return {};
  UINT w = 0, h = 0;
  GdipCheck(GdipGetImageWidth(FHandle, &w));
  GdipCheck(GdipGetImageHeight(FHandle, &h));
  return {LONG(w), LONG(h)};
}

ui::TRect TdxGPImage::ClientRect() {
  const gdi::SIZE size = Size();
  return ui::Rect(0, 0, size.cx, size.cy);
}

bool TdxGPImage::Empty() const {
  auto* self = const_cast<TdxGPImage*>(this);
  self->HandleNeeded();
  if (FHandle) {
    const gdi::SIZE size = self->Size();
    return size.cx <= 0 || size.cy <= 0;
  }
  return FImageData->Empty();
}

int TdxGPImage::Width() const { return const_cast<TdxGPImage*>(this)->Size().cx; }
int TdxGPImage::Height() const { return const_cast<TdxGPImage*>(this)->Size().cy; }

bool TdxGPImage::Transparent() const { return const_cast<TdxGPImage*>(this)->IsAlphaUsed(); }

bool TdxGPImage::IsAlphaUsed() {
  if (!FIsAlphaUsedAssigned) {
    const Bits bits = GetBitmapBits();
    FIsAlphaUsed = std::any_of(bits.begin(), bits.end(), [](std::uint32_t p) { return (p >> 24) != 255; });
    FIsAlphaUsedAssigned = true;
  }
  return FIsAlphaUsed;
}

Bits TdxGPImage::GetBitmapBits() {
  HandleNeeded();
  if (!FHandle) return {};
  gdi::SIZE size{};
  return premultipliedBits(FHandle, size);
}

ui::TBitmap* TdxGPImage::GetAsBitmap() {
  auto bitmap = ui::OwnedObject<ui::TBitmap>(rtl::Create<ui::TBitmap>());
  bitmap->SetPixelFormat(ui::pf32bit);
  HandleNeeded();
  if (FHandle) {
    const gdi::SIZE size = Size();
    gdi::ImageBGRA image(size.cx, size.cy);
    image.pixels = GetBitmapBits();
    for (std::uint32_t& p : image.pixels) p = codecs::unpremultiply(p);
    bitmap->AssignImage(image, true);
  }
  return bitmap.release();
}

// --- drawing and saving --------------------------------------------------------------------------------

void TdxGPImage::Draw(ui::TCanvas* ACanvas, const ui::TRect& ARect) { StretchDraw(ACanvas->Handle(), ARect, 255); }

void TdxGPImage::StretchDraw(gdi::HDC DC, const ui::TRect& ADest, std::uint8_t AAlpha) {
  StretchDraw(DC, ADest, ClientRect(), AAlpha);
}

void TdxGPImage::StretchDraw(gdi::HDC DC, const ui::TRect& ADest, const ui::TRect& ASource, std::uint8_t AAlpha) {
  HandleNeeded();
  if (!FHandle) return;
  TdxGPPaintCanvas* canvas = dxGPPaintCanvas();
  canvas->BeginPaint(DC, ADest);
  rtl::ScopeExit end([canvas] { canvas->EndPaint(); });
  canvas->Draw(this, ADest, ASource, AAlpha);
}

void TdxGPImage::SaveToStream(rtl::TStream* AStream) { SaveToStreamByCodec(AStream, ImageDataFormat()); }

void TdxGPImage::SaveToStreamByCodec(rtl::TStream* AStream, TdxImageDataFormat AFormat) {
  InternalSaveToStream(AStream, AFormat);
}

void TdxGPImage::InternalSaveToStream(rtl::TStream* AStream, TdxImageDataFormat AFormat) {
  HandleNeeded();
  if (!FHandle) return;
  if (!FImageData->FData) FImageData->FData = std::make_unique<Bytes>(CreateStream(FImageDataFormat));
  const Bytes bytes = CreateStream(AFormat);
  if (!bytes.empty()) AStream->WriteBuffer(bytes.data(), rtl::Int64(bytes.size()));
  RecreateHandle();
}

Bytes TdxGPImage::CreateStream(TdxImageDataFormat AFormat) {
  if (AFormat == FImageDataFormat && FImageData->FData) return *FImageData->FData;
  const CLSID encoder = dxGetImageEncoder(AFormat);
  if (!IsCodecIDValid(encoder)) throw EdxException(cxGetResourceString(&sdxInternalSaveToStreamFails));
  Bytes out;
  GdipCheck(saveImageToMemory(FHandle, &encoder, nullptr, &out));
  return out;
}

void TdxGPImage::RecreateHandle() {
  auto data = std::move(FImageData->FData);
  const int frame = FActiveFrame;
  FreeHandle();
  FImageData->FData = std::move(data);
  FActiveFrame = frame;
}

// --- assignment --------------------------------------------------------------------------------------

void TdxGPImage::Assign(rtl::TPersistent* ASource) {
  if (!ASource) {
    Clear();
  } else if (auto* image = dynamic_cast<TdxGPImage*>(ASource)) {
    AssignFromGpImage(image);
  } else if (auto* graphic = dynamic_cast<ui::TGraphic*>(ASource)) {
    AssignFromGraphic(graphic);
  } else {
    ui::TGraphic::Assign(ASource);
  }
}

void TdxGPImage::AssignFromGpImage(TdxGPImage* AImage) {
  if (AImage == this) return;
  if (!AImage->FImageData->Empty()) {
    FreeHandle();
    FImageData->Assign(*AImage->FImageData);
  } else if (AImage->Empty()) {
    Clear();
    return;
  } else {
    rtl::TMemoryStream stream;
    AImage->SaveToStream(&stream);
    stream.SetPosition(0);
    FreeHandle();
    FImageData->LoadFromStream(&stream);
  }
  Changed(this);
}

void TdxGPImage::AssignFromGraphic(ui::TGraphic* AGraphic) {
  if (auto* bitmap = dynamic_cast<ui::TBitmap*>(AGraphic)) {
    SetBitmap(bitmap);
    return;
  }
  auto bitmap = ui::OwnedObject<ui::TBitmap>(rtl::Create<ui::TBitmap>());
  bitmap->SetPixelFormat(ui::pf24bit);
  bitmap->SetSize(AGraphic->Width(), AGraphic->Height());
  bitmap->Canvas()->Draw(0, 0, AGraphic);
  SetBitmap(bitmap.get());
}

void TdxGPImage::AssignTo(rtl::TPersistent* ADest) {
  if (auto* image = dynamic_cast<TdxGPImage*>(ADest)) {
    image->AssignFromGpImage(this);
  } else if (auto* bitmap = dynamic_cast<ui::TBitmap*>(ADest)) {
    auto source = ui::OwnedObject<ui::TBitmap>(GetAsBitmap());
    bitmap->Assign(source.get());
  } else {
    ui::TGraphic::AssignTo(ADest);
  }
}

// --- transformations ------------------------------------------------------------------------------------

void TdxGPImage::Resize(int AWidth, int AHeight) {
  FImageData->FNewSize = {AWidth, AHeight};
  if (!FHandle) return;
  ImagePtr bitmap(dxGpCreateBitmap(AWidth, AHeight));
  GpGraphics* graphics = nullptr;
  GdipCheck(GdipGetImageGraphicsContext(bitmap.get(), &graphics));
  const GpStatus status = GdipDrawImageRectI(graphics, FHandle, 0, 0, AWidth, AHeight);
  GdipDeleteGraphics(graphics);
  GdipCheck(status);
  SetHandle(bitmap.release());
}

void TdxGPImage::ChangeColor(ui::TColor AColor) {
  if (AColor == ui::clNone || AColor == ui::clDefault || Empty()) return;
  const gdi::SIZE size = Size();
  Bits bits = GetBitmapBits();
  const gdi::COLORREF rgb = ui::ColorToRGB(AColor);
  const std::uint32_t r = rgb & 0xFF, g = (rgb >> 8) & 0xFF, b = (rgb >> 16) & 0xFF;
  for (std::uint32_t& p : bits) {
    const std::uint32_t a = p >> 24;
    p = (a << 24) | ((r * a / 255) << 16) | ((g * a / 255) << 8) | (b * a / 255);
  }
  LoadFromBits(size.cx, size.cy, bits, true);
}

bool TdxGPImage::Compare(TdxGPImage* AImage) {
  const gdi::SIZE a = Size(), b = AImage->Size();
  if (a.cx != b.cx || a.cy != b.cy) return false;
  if (Empty() || AImage->Empty()) return true;
  return GetBitmapBits() == AImage->GetBitmapBits();
}

bool TdxGPImage::Equals(ui::TGraphic* AGraphic) {
  if (auto* image = dynamic_cast<TdxGPImage*>(AGraphic)) return Compare(image);
  return AGraphic == this;
}

std::uint32_t TdxGPImage::GetHashCode() {
  if (Empty()) return 0;
  const Bits bits = GetBitmapBits();
  return dxCRC32(bits.data(), bits.size() * sizeof(std::uint32_t));
}

// --- clipboard -----------------------------------------------------------------------------------------

bool TdxGPImage::IsSupportClipboardFormat(win::UINT AFormat) {
  if (AFormat == 0) return false;
  const auto& formats = smartImageUnitState().clipboardFormats;
  return std::find(formats.begin(), formats.end(), AFormat) != formats.end();
}

void TdxGPImage::SaveToClipboardFormat(win::UINT& AFormat, win::HANDLE& AData) {
  const gdi::SIZE size = Size();
  auto bitmap = ui::OwnedObject<ui::TBitmap>(rtl::Create<ui::TBitmap>());
  bitmap->SetPixelFormat(ui::pf32bit);
  bitmap->SetSize(size.cx, size.cy);
  bitmap->Canvas()->Brush()->SetColor(ui::TColor(0xFFFFFF));
  bitmap->Canvas()->FillRect(ui::Rect(0, 0, size.cx, size.cy));
  StretchDraw(bitmap->Canvas()->Handle(), ui::Rect(0, 0, size.cx, size.cy), 255);
  gdi::HBITMAP handle = gdi::CreateBitmapFromImage(bitmap->ToImage());
  const win::UINT native = dxImageClipboardFormat(FImageDataFormat);
  if (native == 0 || native == win::CF_BITMAP) {
    AFormat = win::CF_BITMAP;
    AData = reinterpret_cast<win::HANDLE>(handle);
    return;
  }
  win::SetClipboardData(win::CF_BITMAP, reinterpret_cast<win::HANDLE>(handle));
  rtl::TMemoryStream stream;
  SaveToStream(&stream);
  win::HGLOBAL block = win::GlobalAlloc(win::GMEM_MOVEABLE | win::GMEM_DDESHARE, std::size_t(stream.Size()));
  if (!block) throw EdxGdipException(OutOfMemory);
  rtl::ScopeExit freeOnFailure([block] { win::GlobalFree(block); });
  if (stream.Size() > 0) {
    std::memcpy(win::GlobalLock(block), stream.Memory(), std::size_t(stream.Size()));
    win::GlobalUnlock(block);
  }
  freeOnFailure.Release();
  AFormat = native;
  AData = reinterpret_cast<win::HANDLE>(block);
}

void TdxGPImage::LoadFromClipboardFormat(win::UINT AFormat, win::HANDLE AData) {
  if (AFormat == win::CF_BITMAP) {
    const gdi::Surface surface = gdi::GetBitmapSurface(reinterpret_cast<gdi::HBITMAP>(AData));
    auto bitmap = ui::OwnedObject<ui::TBitmap>(rtl::Create<ui::TBitmap>());
    bitmap->AssignImage(gdi::CopySurface(surface), false);
    SetBitmap(bitmap.get());
    return;
  }
  if (!IsSupportClipboardFormat(AFormat) || !AData) return;
  auto block = reinterpret_cast<win::HGLOBAL>(AData);
  const std::size_t size = win::GlobalSize(block);
  rtl::TMemoryStream stream;
  if (size > 0) {
    stream.WriteBuffer(win::GlobalLock(block), rtl::Int64(size));
    win::GlobalUnlock(block);
  }
  stream.SetPosition(0);
  LoadFromStream(&stream);
}

void TdxGPImage::PasteFromClipboard() {
  win::OpenClipboard(nullptr);
  rtl::ScopeExit close([] { win::CloseClipboard(); });
  for (TdxImageDataFormat format : SupportedFormats) {
    const win::UINT clipboardFormat = dxImageClipboardFormat(format);
    if (clipboardFormat && win::IsClipboardFormatAvailable(clipboardFormat)) {
      LoadFromClipboardFormat(clipboardFormat, win::GetClipboardData(clipboardFormat));
      return;
    }
  }
}

// --- animation --------------------------------------------------------------------------------------------

int TdxGPImage::AnimationFrameCount() {
  if (Empty()) return 0;
  UINT count = 0;
  GdipCheck(GdipImageGetFrameDimensionsCount(FHandle, &count));
  if (count != 1) return 0;
  GdipCheck(GdipImageGetFrameDimensionsList(FHandle, &FDimensionID, 1));
  UINT frames = 0;
  GdipCheck(GdipImageGetFrameCount(FHandle, &FDimensionID, &frames));
  return static_cast<int>(frames);
}

bool TdxGPImage::readProperty(PROPID AId, Bytes& AValue) {
  HandleNeeded();
  if (!FHandle) return false;
  UINT size = 0;
  if (GdipGetPropertyItemSize(FHandle, AId, &size) != Ok || size <= sizeof(PropertyItem)) return false;
  // PropertyItem holds a pointer: keep the buffer aligned for it.
  std::vector<PropertyItem> buffer((size + sizeof(PropertyItem) - 1) / sizeof(PropertyItem));
  if (GdipGetPropertyItem(FHandle, AId, size, buffer.data()) != Ok) return false;
  const auto* value = static_cast<const std::uint8_t*>(buffer[0].value);
  const std::size_t length = std::min<std::size_t>(buffer[0].length, size - sizeof(PropertyItem));
  AValue.assign(value, value + length);
  return true;
}

int TdxGPImage::AnimationFrameDelay() {
  if (FAnimationFrameDelay != 0) return FAnimationFrameDelay;
  Bytes value;
  const std::size_t offset = std::size_t(std::max(FActiveFrame, 0)) * 4;
  if (!readProperty(PropertyTagFrameDelay, value) || value.size() < offset + 4) return 75;
  std::uint32_t delay = 0;
  std::memcpy(&delay, value.data() + offset, 4);
  return static_cast<int>(delay) * 10;
}

int TdxGPImage::AnimationLoopCount() {
  Bytes value;
  if (!readProperty(PropertyTagLoopCount, value) || value.size() < 2) return 0;
  return value[0] | (value[1] << 8);
}

void TdxGPImage::SetActiveFrame(int AIndex) {
  int index = std::max(AIndex, 0);
  const int count = AnimationFrameCount();
  if (count > 0 && index >= count) {
    const int loops = AnimationLoopCount();
    const bool hasLoopCount = loops > 0;
    if (FAnimationLoop == TdxDefaultBoolean::bFalse ||
        (FAnimationLoop == TdxDefaultBoolean::bDefault && hasLoopCount && FAnimationLoopIndex >= loops)) {
      index = count - 1;
    } else {
      index = 0;
      if (FAnimationLoop == TdxDefaultBoolean::bDefault && hasLoopCount) ++FAnimationLoopIndex;
    }
  }
  if (index != FActiveFrame) {
    InternalSelectActiveFrame(index);
    Changed(this);
  }
}

void TdxGPImage::InternalSelectActiveFrame(int AIndex) {
  FActiveFrame = AIndex;
  if (!FHandle) return;
  UINT count = 0;
  if (GdipImageGetFrameDimensionsCount(FHandle, &count) != Ok || count != 1) return;
  GUID dimension{};
  GdipImageGetFrameDimensionsList(FHandle, &dimension, 1);
  if (GdipImageSelectActiveFrame(FHandle, &dimension, UINT(AIndex)) != Ok && AIndex != 0)
    GdipImageSelectActiveFrame(FHandle, &dimension, 0);
}

bool TdxGPImage::Animation() const { return FAnimationController && FAnimationController->IsTimerActive(); }

void TdxGPImage::SetAnimation(bool AValue) {
  if (AValue == Animation()) return;
  if (AValue) {
    if (FAnimationController || AnimationFrameCount() < 2) return;
    FAnimationController.reset(ImageAnimationControllerClass(this));
    FAnimationController->StartAnimation();
  } else {
    StopAnimation();
  }
}

void TdxGPImage::StopAnimation() { FAnimationController.reset(); }

// --- descendants -------------------------------------------------------------------------------------------

void TdxPNGImage::SaveToStream(rtl::TStream* AStream) {
  SaveToStreamByCodec(AStream, TdxImageDataFormat::dxImagePng);
}

void TdxSmartGlyph::CreateHandleFromBitmap(ui::TBitmap* ABitmap) {
  ImageData().FTransparent = true;
  TdxSmartImage::CreateHandleFromBitmap(ABitmap);
}

bool TdxSmartGlyph::IsBitmapStream(rtl::TStream* AStream) { return TdxSmartGlyphDataHelper::IsBitmapStream(AStream); }

bool TdxGPImage::IsBitmapStream(rtl::TStream* AStream) { return TdxGPImageDataHelper::IsBitmapStream(AStream); }

namespace {

// Reads a bitmap file header where the stream stands; false when fewer than
// 14 bytes remain (nothing is consumed then).
bool readFileHeader(rtl::TStream* AStream, std::uint8_t (&AHeader)[14]) {
  if (AStream->Remaining() < 14) return false;
  AStream->ReadBuffer(AHeader, 14);
  return true;
}

}  // namespace

bool TdxGPImageDataHelper::IsBitmapStream(rtl::TStream* AStream) {
  std::uint8_t header[14];
  if (!readFileHeader(AStream, header)) return false;
  AStream->Seek(-14, rtl::soCurrent);
  return header[0] == 'B' && header[1] == 'M';
}

bool TdxSmartGlyphDataHelper::IsBitmapStream(rtl::TStream* AStream) {
  if (TdxGPImageDataHelper::IsBitmapStream(AStream)) return true;
  if (AStream->Remaining() < 4 + 14) return false;
  const std::uint32_t length = AStream->ReadUInt32();
  std::uint8_t header[14];
  AStream->ReadBuffer(header, 14);
  std::uint32_t fileSize = 0;
  std::memcpy(&fileSize, header + 2, 4);
  const bool found = header[0] == 'B' && header[1] == 'M' && fileSize == length;
  AStream->Seek(found ? -14 : -18, rtl::soCurrent);
  return found;
}

// --- canvas drawing of images (declared with the canvas) ------------------------------------------------------

void TdxGPCanvas::Draw(TdxGPImage* AImage, const ui::TRect& ADestRect, std::uint8_t AAlpha) {
  Draw(AImage, ADestRect, AImage->ClientRect(), AAlpha);
}

void TdxGPCanvas::Draw(TdxGPImage* AImage, const ui::TRect& ADestRect, const ui::TRect& ASourceRect,
                       std::uint8_t AAlpha) {
  GpImage* image = AImage->Handle();
  if (image) dxGpDrawImage(FHandle, ADestRect, ASourceRect, nullptr, AAlpha, image);
}

void TdxGPCanvas::DrawBitmap(ui::TBitmap* ABitmap, const ui::TRect& ADestRect, std::uint8_t AAlpha) {
  if (ABitmap->Empty()) return;
  auto image = ui::OwnedObject<TdxGPImage>(TdxGPImage::CreateFromBitmap(ABitmap));
  Draw(image.get(), ADestRect, AAlpha);
}

// --- registration ------------------------------------------------------------------------------------------------

win::UINT dxImageClipboardFormat(TdxImageDataFormat AFormat) {
  return smartImageUnitState().clipboardFormats[static_cast<std::size_t>(AFormat)];
}

void dxGDIPlusClassesUnitStart() {
  SmartImageUnitState& state = smartImageUnitState();
  if (state.started) return;
  state.started = true;
  ImageAnimationControllerClass = &createTimerController;
  if (!CheckGdiPlus(false)) return;
  CheckImageCodecs();
  rtl::RegisterClasses({&TdxPNGImage::classInfo(), &TdxSmartImage::classInfo()});
  state.clipboardFormats[static_cast<std::size_t>(TdxImageDataFormat::dxImageBitmap)] = win::CF_BITMAP;
  struct Row {
    const char16_t* extension;
    const char16_t* description;
    const rtl::ClassInfo& cls;
    const char16_t* clipboardFormat;
    const CLSID& decoder;
    TdxImageDataFormat format;
  };
  const Row rows[] = {
      {u"TIFF", u"TIFF graphics from Kestrune", TdxSmartImage::classInfo(), u"TIFF", TIFFDecoder,
       TdxImageDataFormat::dxImageTiff},
      {u"TIF", u"TIFF graphics from Kestrune", TdxSmartImage::classInfo(), u"TIFF", TIFFDecoder,
       TdxImageDataFormat::dxImageTiff},
      {u"GIF", u"GIF graphics from Kestrune", TdxSmartImage::classInfo(), u"GIF", GIFDecoder,
       TdxImageDataFormat::dxImageGif},
      {u"JPEG", u"JPEG graphics from Kestrune", TdxSmartImage::classInfo(), u"JPEG", JPEGDecoder,
       TdxImageDataFormat::dxImageJpeg},
      {u"JPG", u"JPEG graphics from Kestrune", TdxSmartImage::classInfo(), u"JPEG", JPEGDecoder,
       TdxImageDataFormat::dxImageJpeg},
      {u"PNG", u"PNG graphics from Kestrune", TdxPNGImage::classInfo(), u"PNG", PNGDecoder,
       TdxImageDataFormat::dxImagePng},
  };
  for (const Row& row : rows) {
    if (!IsCodecIDValid(row.decoder)) continue;
    ui::TPicture::RegisterFileFormat(row.extension, row.description, ui::TGraphicClass(row.cls));
    state.clipboardFormats[static_cast<std::size_t>(row.format)] = win::RegisterClipboardFormatW(row.clipboardFormat);
  }
}

void dxGDIPlusClassesUnitStop() {
  SmartImageUnitState& state = smartImageUnitState();
  if (!state.started) return;
  state.started = false;
  dxGpFreeSharedObjects();
  for (const rtl::ClassInfo* cls : {&TdxGPImage::classInfo(), &TdxSmartImage::classInfo(), &TdxPNGImage::classInfo()})
    ui::TPicture::UnregisterGraphicClass(ui::TGraphicClass(*cls));
  rtl::UnRegisterClasses({&TdxPNGImage::classInfo(), &TdxSmartImage::classInfo()});
  state.clipboardFormats = {};
  ImageAnimationControllerClass = &createBaseController;
}

namespace {
[[maybe_unused]] const bool smartImageUnitStarted = (dxGDIPlusClassesUnitStart(), true);
}  // namespace

}  // namespace core
