#include "lib/core/cxGraphicsBitmaps.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "lib/core/cxGeometry.h"
#include "lib/core/cxGraphicsColors.h"
#include "lib/core/dxCore.h"
#include "platform/gdi/blit.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/draw.h"
#include "platform/gdi/objects.h"
#include "platform/rtl/except.h"
#include "platform/rtl/mathutil.h"
#include "platform/rtl/scoped.h"

namespace core {

namespace {

constexpr char kSignature[4] = {'X', 'D', 'B', 'M'};
constexpr int kHeaderSize = 10;
constexpr int kMaxRun = 125;
constexpr std::uint8_t kLiteralFlag = 0x80;
constexpr gdi::DWORD kDSna = 0x00220326;
constexpr gdi::DWORD kDPSnaa = 0x00200F09;

gdi::HBRUSH BlackBrush() { return static_cast<gdi::HBRUSH>(gdi::GetStockObject(gdi::BLACK_BRUSH)); }

std::uint32_t Bgr(const TRGBQuad& q) { return dxRGBQuadToUInt(q) & 0x00FFFFFFu; }

std::uint8_t ClampToByte(double v) { return std::uint8_t(std::clamp(v, 0.0, 255.0)); }

// Greys a pixel with the map's weights; alpha is kept.
void ScaleColor(TRGBQuad& q, const TcxColorTransitionMap& map) {
  const float v = q.rgbRed * map.RedScale + q.rgbGreen * map.GreenScale + q.rgbBlue * map.BlueScale;
  const std::uint8_t g = ClampToByte(std::nearbyint(v));
  q.rgbRed = q.rgbGreen = q.rgbBlue = g;
}

// ---- the compressed record --------------------------------------------------------------------

class BlockCursor {
 public:
  BlockCursor(const std::uint8_t* data, std::size_t count, int blockSize)
      : data_(data), count_(count), b_(std::size_t(blockSize)) {}
  std::size_t count() const { return count_; }
  const std::uint8_t* block(std::size_t i) const { return data_ + i * b_; }
  bool equal(std::size_t i, std::size_t j) const {
    // Pixels of 4 and 3 bytes are the usual blocks: compared inline.
    if (b_ == 4) return std::memcmp(block(i), block(j), 4) == 0;
    if (b_ == 3) return std::memcmp(block(i), block(j), 3) == 0;
    return std::memcmp(block(i), block(j), b_) == 0;
  }

 private:
  const std::uint8_t* data_;
  std::size_t count_;
  std::size_t b_;
};

void WriteRuns(rtl::TStream* stream, const std::uint8_t* data, std::size_t size, int blockSize) {
  const BlockCursor blocks(data, size / std::size_t(blockSize), blockSize);
  std::vector<std::uint8_t> out;
  out.reserve(size / 2 + 16);
  std::size_t pos = 0;
  const std::size_t n = blocks.count();
  while (pos < n) {
    std::size_t count = 1;
    bool repeat = false;
    if (pos + 1 < n) {
      repeat = blocks.equal(pos, pos + 1);
      if (repeat) {
        while (count < kMaxRun && pos + count < n && blocks.equal(pos, pos + count)) ++count;
      } else {
        while (count < kMaxRun && pos + count < n) {
          if (blocks.equal(pos + count, pos + count - 1)) {
            --count;  // that predecessor starts the next repeat run
            break;
          }
          ++count;
        }
      }
    }
    out.push_back(std::uint8_t(repeat ? count : count + kLiteralFlag));
    const std::size_t bytes = (repeat ? 1 : count) * std::size_t(blockSize);
    out.insert(out.end(), blocks.block(pos), blocks.block(pos) + bytes);
    pos += count;
  }
  if (!out.empty()) stream->WriteBuffer(out.data(), rtl::Int64(out.size()));
}

// Collects the expanded bytes, never beyond the cap.
class Expander {
 public:
  void reserve(std::size_t n) {
    grow(n);
    out_.reserve(out_.size() + n);
  }
  void write(const std::uint8_t* p, std::size_t n) {
    grow(n);
    out_.insert(out_.end(), p, p + n);
  }
  void repeat(const std::uint8_t* block, std::size_t blockSize, std::size_t times) {
    const std::size_t total = blockSize * times;
    if (total == 0) return;
    grow(total);
    const std::size_t start = out_.size();
    out_.resize(start + total);
    std::uint8_t* p = out_.data() + start;
    // One copy of the block, then the filled part doubled onto the rest.
    std::memcpy(p, block, blockSize);
    for (std::size_t filled = blockSize; filled < total;) {
      const std::size_t n = std::min(filled, total - filled);
      std::memcpy(p + filled, p, n);
      filled += n;
    }
  }
  void flush(rtl::TMemoryStream& stream) {
    if (!out_.empty()) stream.WriteBuffer(out_.data(), rtl::Int64(out_.size()));
  }

 private:
  void grow(std::size_t n) {
    if (out_.size() + n > dxMaxExpandedBitmapData)
      throw rtl::EReadError(u"Compressed bitmap data expands beyond the limit");
  }
  std::vector<std::uint8_t> out_;
};

// The bytes the runs of body[pos, end) expand to, by the same rules as
// ExpandRuns (so that the cap is checked before anything is allocated).
std::size_t ExpandedSize(const std::vector<std::uint8_t>& body, std::size_t pos, std::size_t blockSize) {
  const std::size_t end = body.size();
  std::size_t total = 0;
  while (pos < end) {
    const std::uint8_t c = body[pos++];
    const std::size_t k = c & 0x7F;
    if (c & kLiteralFlag) {
      const std::size_t n = std::min(k * blockSize, end - pos);
      total += n;
      pos += n;
    } else {
      if (end - pos < blockSize) break;
      total += k * blockSize;
      pos += blockSize;
    }
    if (total > dxMaxExpandedBitmapData) break;
  }
  return total;
}

// Expands the runs of body[pos, end): a truncated body stops at its end.
void ExpandRuns(const std::vector<std::uint8_t>& body, std::size_t pos, std::size_t blockSize,
                Expander& out) {
  out.reserve(ExpandedSize(body, pos, blockSize));
  const std::size_t end = body.size();
  while (pos < end) {
    const std::uint8_t c = body[pos++];
    const std::size_t k = c & 0x7F;
    if (c & kLiteralFlag) {
      const std::size_t n = std::min(k * blockSize, end - pos);
      out.write(body.data() + pos, n);
      pos += n;
    } else {
      if (end - pos < blockSize) break;
      out.repeat(body.data() + pos, blockSize, k);
      pos += blockSize;
    }
  }
}

}  // namespace

void dxWriteCompressedBitmapData(rtl::TStream* stream, const std::uint8_t* data, std::size_t size,
                                 int blockSize) {
  blockSize = std::clamp(blockSize, 1, 255);
  const rtl::Int64 start = stream->Position();
  const std::uint8_t zeros[kHeaderSize] = {};
  stream->WriteBuffer(zeros, kHeaderSize);  // the header, written last
  const std::size_t remainder = size % std::size_t(blockSize);
  stream->WriteByte(std::uint8_t(blockSize));
  stream->WriteByte(std::uint8_t(remainder));
  if (remainder) stream->WriteBuffer(data, rtl::Int64(remainder));
  WriteRuns(stream, data + remainder, size - remainder, blockSize);
  const rtl::Int64 end = stream->Position();
  // The body's length, counted from this record's own start.
  stream->SetPosition(start);
  stream->WriteInt32(static_cast<rtl::Integer>(end - start - kHeaderSize));
  stream->WriteBuffer(kSignature, 4);
  stream->WriteWord(2);
  stream->SetPosition(end);
}

bool dxReadCompressedBitmapData(rtl::TStream* stream, rtl::TMemoryStream& expanded) {
  const rtl::Int64 start = stream->Position();
  const rtl::Int64 left = stream->Size() - start;
  if (left < kHeaderSize) return false;
  std::uint8_t header[kHeaderSize];
  stream->ReadBuffer(header, kHeaderSize);
  if (std::memcmp(header + 4, kSignature, 4) != 0) {
    stream->SetPosition(start);
    return false;
  }
  std::int32_t size;
  std::memcpy(&size, header, 4);
  const int version = header[8] | (header[9] << 8);
  // The body is what the size says, but never more than the stream holds.
  const rtl::Int64 bodySize = std::clamp<rtl::Int64>(size, 0, left - kHeaderSize);
  std::vector<std::uint8_t> body(static_cast<std::size_t>(bodySize));
  if (bodySize > 0) stream->ReadBuffer(body.data(), bodySize);
  Expander out;
  if (version == 2) {
    if (body.size() >= 2) {
      const std::size_t blockSize = body[0];
      if (blockSize == 0) throw rtl::EReadError(u"Compressed bitmap data has a block size of 0");
      const std::size_t verbatim = std::min<std::size_t>(body[1], body.size() - 2);
      out.write(body.data() + 2, verbatim);
      ExpandRuns(body, 2 + verbatim, blockSize, out);
    }
  } else if (version == 1) {
    ExpandRuns(body, 0, 1, out);
  }
  out.flush(expanded);
  expanded.SetPosition(0);
  return true;
}

// ---- TcxBitmap ------------------------------------------------------------------------------------

TcxBitmap::TcxBitmap(int width, int height, ui::TPixelFormat pixelFormat) {
  Initialize(width, height, pixelFormat);
}

TcxBitmap::TcxBitmap(const TRect& r, ui::TPixelFormat pixelFormat)
    : TcxBitmap(r.right - r.left, r.bottom - r.top, pixelFormat) {}

TcxBitmap::~TcxBitmap() = default;

void TcxBitmap::Initialize(int width, int height, ui::TPixelFormat pixelFormat) {
  BeginUpdate();
  rtl::ScopeExit end([this] { EndUpdate(true); });
  SetPixelFormat(pixelFormat);
  SetSize(width, height);
}

void TcxBitmap::EndUpdate(bool forceUpdate) {
  if (FLockCount == 0) return;
  --FLockCount;
  if (FLockCount == 0 && (forceUpdate || FModified)) Changed(this);
}

void TcxBitmap::Changed(rtl::TObject* sender) {
  if (ChangeLocked()) {
    FModified = true;
    return;
  }
  ui::TBitmap::Changed(sender);
  Update();
  FModified = false;
}

void TcxBitmap::SetSize(int width, int height) {
  width = std::max(width, 0);
  height = std::max(height, 0);
  if (width == Width() && height == Height()) return;
  BeginUpdate();
  rtl::ScopeExit end([this] { EndUpdate(false); });
  ui::TBitmap::SetSize(width, height);
}

TcxCanvas* TcxBitmap::cxCanvas() {
  if (!FcxCanvas) FcxCanvas = std::make_unique<TcxCanvas>(Canvas());
  return FcxCanvas.get();
}

void TcxBitmap::CopyBitmap(ui::TBitmap* bitmap, gdi::DWORD mode) {
  CopyBitmap(bitmap, ClientRect(), TPoint{0, 0}, mode);
}

void TcxBitmap::CopyBitmap(ui::TBitmap* bitmap, const TRect& destRect, const TPoint& srcTopLeft,
                           gdi::DWORD mode) {
  cxBitBlt(Canvas()->Handle(), bitmap->Canvas()->Handle(), destRect, srcTopLeft, mode);
  Changed(this);
}

void TcxBitmap::Rotate(TcxRotationAngle angle, bool flipVertically) {
  TcxCanvas::RotateBitmap(this, angle, flipVertically);
}

void TcxBitmap::WriteData(rtl::TStream* stream) {
  if (!FCompressData) {
    ui::TBitmap::WriteData(stream);
    return;
  }
  rtl::TMemoryStream plain;
  ui::TBitmap::WriteData(&plain);
  dxWriteCompressedBitmapData(stream, static_cast<const std::uint8_t*>(plain.Memory()),
                              static_cast<std::size_t>(plain.Size()),
                              std::max(1, cxGetBitmapPixelFormat(this) / 8));
}

void TcxBitmap::ReadData(rtl::TStream* stream) {
  rtl::TMemoryStream expanded;
  if (dxReadCompressedBitmapData(stream, expanded))
    ui::TBitmap::ReadData(&expanded);
  else
    ui::TBitmap::ReadData(stream);
}

// ---- TcxBitmap32 ----------------------------------------------------------------------------------

TcxBitmap32::TcxBitmap32(int width, int height, bool clear) : TcxBitmap(width, height, ui::pf32bit) {
  if (clear) Clear();
}

TcxBitmap32::TcxBitmap32(const TRect& r, bool clear)
    : TcxBitmap32(r.right - r.left, r.bottom - r.top, clear) {}

void TcxBitmap32::Update() {
  if (PixelFormat() != ui::pf32bit) throw EdxException(u"Wrong PixelFormat");
}

void TcxBitmap32::Clear() {
  if (Empty()) return;
  const TRect r = ClientRect();
  gdi::FillRect(Canvas()->Handle(), &r, BlackBrush());
  Changed(this);
}

void TcxBitmap32::GetBitmapColors(TRGBColors& colors) { GetBitmapBits(this, colors, false); }

void TcxBitmap32::SetBitmapColors(const TRGBColors& colors) {
  SetBitmapBits(this, colors, false);
  Changed(this);
}

void TcxBitmap32::AlphaBlend(ui::TBitmap* destBitmap, const TRect& r, bool smoothImage,
                             std::uint8_t constantAlpha) {
  cxAlphaBlend(destBitmap, this, r, ClientRect(), smoothImage, constantAlpha);
}

void TcxBitmap32::Darken(std::uint8_t percent) {
  TRGBColors colors;
  GetBitmapColors(colors);
  auto f = [&](std::uint8_t c) { return std::uint8_t(std::trunc(percent * c / 100.0)); };
  for (TRGBQuad& q : colors) q = TRGBQuad{f(q.rgbBlue), f(q.rgbGreen), f(q.rgbRed), q.rgbReserved};
  SetBitmapColors(colors);
}

void TcxBitmap32::Lighten(std::uint8_t percent) {
  TRGBColors colors;
  GetBitmapColors(colors);
  auto f = [&](std::uint8_t c) { return ClampToByte(std::trunc(255 - percent / 100.0 * (255 - c))); };
  for (TRGBQuad& q : colors) q = TRGBQuad{f(q.rgbBlue), f(q.rgbGreen), f(q.rgbRed), q.rgbReserved};
  SetBitmapColors(colors);
}

void TcxBitmap32::Filter(TcxBitmap32* maskBitmap) { CopyBitmap(maskBitmap, kDSna); }

void TcxBitmap32::SetAlphaChannel(std::uint8_t alpha) {
  TRGBColors colors;
  GetBitmapColors(colors);
  for (TRGBQuad& q : colors) q.rgbReserved = alpha;
  SetBitmapColors(colors);
}

void TcxBitmap32::RecoverTransparency(TColor transparentBGR) {
  const std::uint32_t key = Bgr(dxColorToRGBQuadRec(transparentBGR));
  TRGBColors colors;
  GetBitmapColors(colors);
  for (TRGBQuad& q : colors) {
    if (Bgr(q) == key)
      q = ClrTransparent;
    else if (q.rgbReserved == 0)
      q.rgbReserved = 255;
  }
  SetBitmapColors(colors);
}

void TcxBitmap32::Resize(int newWidth, int newHeight, bool stretch, bool smooth, TColor fillColor) {
  TcxBitmap32 copy(Width(), Height());
  copy.CopyBitmap(this);
  SetSize(newWidth, newHeight);
  if (stretch || fillColor == ui::clNone)
    Clear();
  else
    cxCanvas()->FillRect(ClientRect(), fillColor);
  if (stretch)
    copy.AlphaBlend(this, ClientRect(), smooth);
  else
    CopyBitmap(&copy, cxRectCenter(ClientRect(), copy.Width(), copy.Height()), TPoint{0, 0});
}

void TcxBitmap32::LoadFromStream(rtl::TStream* stream) {
  BeginUpdate();
  rtl::ScopeExit end([this] { EndUpdate(true); });
  TcxBitmap::LoadFromStream(stream);
  SetPixelFormat(ui::pf32bit);
}

// ---- TcxAlphaBitmap -----------------------------------------------------------------------------------

TcxAlphaBitmap::TcxAlphaBitmap(int width, int height) : TcxBitmap32(width, height) {}

TcxAlphaBitmap::TcxAlphaBitmap(int width, int height, const TRGBQuad& transparentBkColor)
    : TcxBitmap32(width, height), FTransparentBkColor(transparentBkColor) {}

void TcxAlphaBitmap::Clear() {
  if (FTransparentBkColor.rgbReserved != 0)
    TransformBitmap(TcxBitmapTransformationMode::btmClear);
  else
    TcxBitmap32::Clear();
}

void TcxAlphaBitmap::RefreshImage(int width, int height) {
  SetSize(width, height);
  FTransparentPixels.clear();
  Clear();
}

void TcxAlphaBitmap::AddTransparentColor(TColor color) {
  FTransparentPixels.push_back(Bgr(dxColorToRGBQuadRec(color)));
}

bool TcxAlphaBitmap::IsColorTransparent(const TRGBQuad& color) const {
  if (cxColorIsEqual(color, FTransparentBkColor)) return true;
  return std::find(FTransparentPixels.begin(), FTransparentPixels.end(), Bgr(color)) !=
         FTransparentPixels.end();
}

void TcxAlphaBitmap::RecoverAlphaChannel(TColor transparentColor) {
  FTransparentPixels.clear();
  AddTransparentColor(transparentColor);
  FTransparentBkColor = dxColorToRGBQuadRec(transparentColor, 0);
  TransformBitmap(TcxBitmapTransformationMode::btmCorrectBlend);
}

void TcxAlphaBitmap::ExtractLayer(TColor transparentColor) {
  const TColor resolved = TColor(ui::ColorToRGB(transparentColor));
  FTransparentPixels.clear();
  AddTransparentColor(resolved);
  FTransparentBkColor = dxColorToRGBQuadRec(resolved, 0);
  TransformBitmap(TcxBitmapTransformationMode::btmExtractLayer);
}

void TcxAlphaBitmap::DrawHatch(const TcxHatchData& hatchData) {
  FHatchData = hatchData;
  TransformBitmap(TcxBitmapTransformationMode::btmHatch);
}

void TcxAlphaBitmap::DrawHatch(TColor color1, TColor color2, std::uint8_t step, std::uint8_t alpha1,
                               std::uint8_t alpha2) {
  DrawHatch(TcxHatchData{dxColorToRGBQuadRec(color1, 255), alpha1, dxColorToRGBQuadRec(color2, 255), alpha2,
                         step});
}

void TcxAlphaBitmap::DrawShadow(TcxAlphaBitmap* maskBitmap, int shadowSize, TColor shadowColor,
                                bool inflateSize) {
  const int s = shadowSize, w = Width(), h = Height();
  TcxAlphaBitmap work(w + 2 * s, h + 2 * s, ClrNone);
  work.Clear();
  work.CopyBitmap(maskBitmap, TRect{s, s, s + maskBitmap->Width(), s + maskBitmap->Height()}, TPoint{0, 0});
  // The mask's opaque (black) pixels, shifted once more, in the shadow
  // colour; everything else transparent.
  work.Canvas()->Brush()->SetColor(shadowColor);
  gdi::HDC wdc = work.Canvas()->Handle();
  gdi::BitBlt(wdc, s, s, work.Width(), work.Height(), wdc, 0, 0, kDPSnaa);
  work.SetTransparentBkColor(ClrTransparent);
  work.TransformBitmap(TcxBitmapTransformationMode::btmCorrectBlend);

  TcxAlphaBitmap second(w + s, h + s);
  second.Clear();
  second.CopyBitmap(this, TRect{0, 0, w, h}, TPoint{0, 0});
  second.CopyBitmap(&work, second.ClientRect(), TPoint{s, s}, gdi::SRCPAINT);
  if (inflateSize) SetSize(w + s, h + s);
  CopyBitmap(&second, ClientRect(), TPoint{0, 0});
}

void TcxAlphaBitmap::TransformPixel(TcxBitmapTransformationMode mode, TRGBQuad& q) {
  using M = TcxBitmapTransformationMode;
  switch (mode) {
    case M::btmDingy:
      if (IsColorTransparent(q)) return;
      if (q.rgbReserved == 255) {
        auto up = [](std::uint8_t c) { return std::uint8_t(c + rtl::MulDiv(255 - c, 3, 10)); };
        q = TRGBQuad{up(q.rgbBlue), up(q.rgbGreen), up(q.rgbRed), q.rgbReserved};
      } else {
        auto down = [](std::uint8_t c) { return std::uint8_t(rtl::MulDiv(c, 200, 255)); };
        q = TRGBQuad{down(q.rgbBlue), down(q.rgbGreen), down(q.rgbRed), down(q.rgbReserved)};
      }
      return;
    case M::btmDirty:
      if (IsColorTransparent(q)) return;
      ScaleColor(q, GrayMap);
      cxBlendFunction(dxColorToRGBQuadRec(ui::clBtnShadow, 0xC0), q, 238);
      return;
    case M::btmGrayScale: {
      if (IsColorTransparent(q)) return;
      const std::uint8_t g = std::uint8_t((q.rgbRed + q.rgbGreen + q.rgbBlue) / 3);
      q.rgbRed = q.rgbGreen = q.rgbBlue = g;
      return;
    }
    case M::btmSetOpaque: q.rgbReserved = 255; return;
    case M::btmMakeMask: q = IsColorTransparent(q) ? ClrNone : ClrTransparent; return;
    case M::btmFade:
      if (!IsColorTransparent(q)) ScaleColor(q, FadeMap);
      return;
    case M::btmDisable:
      if (!IsColorTransparent(q)) ScaleColor(q, DisableMap);
      return;
    case M::btmCorrectBlend:
      if (q.rgbReserved == 0 && !IsColorTransparent(q)) q.rgbReserved = 255;
      return;
    case M::btmHatch: {
      const int step = std::max<int>(FHatchData.Step, 1);
      if ((FCurrentColorIndex.x / step + FCurrentColorIndex.y / step) % 2 == 1)
        cxBlendFunction(FHatchData.Color2, q, FHatchData.Alpha2);
      else
        cxBlendFunction(FHatchData.Color1, q, FHatchData.Alpha1);
      return;
    }
    case M::btmClear: q = FTransparentBkColor; return;
    case M::btmResetAlpha: q.rgbReserved = 0; return;
    case M::btmExtractLayer:
      if (IsColorTransparent(q)) q = ClrTransparent;
      return;
  }
}

void TcxAlphaBitmap::TransformBitmap(TcxBitmapTransformationMode mode) {
  TRGBColors colors;
  GetBitmapColors(colors);
  const int w = Width(), h = Height();
  if (colors.size() >= std::size_t(w) * std::size_t(h)) {
    for (int x = 0; x < w; ++x)
      for (int y = 0; y < h; ++y) {
        FCurrentColorIndex = TPoint{x, y};
        TransformPixel(mode, colors[std::size_t(x) + std::size_t(y) * std::size_t(w)]);
      }
    SetBitmapBits(this, colors, false);
  }
  Changed(this);
}

// ---- free routines --------------------------------------------------------------------------------

std::unique_ptr<ui::TBitmap> cxCreateBitmap(int width, int height, ui::TPixelFormat format) {
  auto bitmap = std::make_unique<ui::TBitmap>();
  bitmap->SetPixelFormat(format);
  bitmap->SetSize(width, height);
  return bitmap;
}

std::unique_ptr<ui::TBitmap> cxCreateBitmap(const TSize& size, ui::TPixelFormat format) {
  return cxCreateBitmap(size.cx, size.cy, format);
}

std::unique_ptr<ui::TBitmap> cxCreateBitmap(const TRect& r, ui::TPixelFormat format) {
  return cxCreateBitmap(r.right - r.left, r.bottom - r.top, format);
}

std::unique_ptr<TcxAlphaBitmap> cxCreateBitmapCopy(ui::TBitmap* sourceBitmap) {
  auto copy = std::make_unique<TcxAlphaBitmap>(sourceBitmap->Width(), sourceBitmap->Height());
  copy->CopyBitmap(sourceBitmap);
  return copy;
}

void cxCopyBitmap(ui::TBitmap* destBitmap, ui::TBitmap* srcBitmap) {
  gdi::BitBlt(destBitmap->Canvas()->Handle(), 0, 0, destBitmap->Width(), destBitmap->Height(),
              srcBitmap->Canvas()->Handle(), 0, 0, gdi::SRCCOPY);
  destBitmap->SetModified(true);
}

std::unique_ptr<ui::TBitmap> cxCloneBitmap(ui::TBitmap* bitmap) {
  auto clone = std::make_unique<ui::TBitmap>();
  clone->Assign(bitmap);
  return clone;
}

void cxClearBitmap(ui::TBitmap* bitmap) {
  if (bitmap->Empty()) return;
  const TRect r{0, 0, bitmap->Width(), bitmap->Height()};
  gdi::FillRect(bitmap->Canvas()->Handle(), &r, BlackBrush());
}

void cxMakeMaskBitmap(ui::TBitmap* sourceBitmap, ui::TBitmap* maskBitmap) {
  auto image = cxCreateBitmapCopy(sourceBitmap);
  if (!image->IsAlphaUsed()) image->RecoverAlphaChannel(sourceBitmap->TransparentColor());
  image->TransformBitmap(TcxBitmapTransformationMode::btmMakeMask);
  gdi::BitBlt(maskBitmap->Canvas()->Handle(), 0, 0, image->Width(), image->Height(), image->Canvas()->Handle(),
              0, 0, gdi::SRCCOPY);
}

gdi::HBITMAP cxCopyImage(gdi::HBITMAP srcHandle) {
  return gdi::CopyImage(srcHandle, gdi::IMAGE_BITMAP, 0, 0, gdi::LR_CREATEDIBSECTION);
}

namespace {

struct WorkBitmaps {
  std::unique_ptr<TcxAlphaBitmap> draw, image, mask;
};
WorkBitmaps& Work() {
  static WorkBitmaps* work = new WorkBitmaps;  // freed by cxFreeWorkBitmaps
  return *work;
}

TcxAlphaBitmap* InitWorkBitmap(std::unique_ptr<TcxAlphaBitmap>& bitmap, int width, int height) {
  if (!bitmap)
    bitmap = std::make_unique<TcxAlphaBitmap>(width, height);
  bitmap->RefreshImage(width, height);
  return bitmap.get();
}

}  // namespace

TcxAlphaBitmap* GetDrawBitmap(int width, int height) { return InitWorkBitmap(Work().draw, width, height); }
TcxAlphaBitmap* GetImageBitmap(int width, int height) { return InitWorkBitmap(Work().image, width, height); }
TcxAlphaBitmap* GetMaskBitmap(int width, int height) { return InitWorkBitmap(Work().mask, width, height); }

void cxFreeWorkBitmaps() {
  Work().draw.reset();
  Work().image.reset();
  Work().mask.reset();
}

}  // namespace core
