#include "lib/core/cxSmoothResize.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "lib/core/dxCore.h"
#include "lib/core/dxDIBHelpers.h"
#include "platform/gdi/blit.h"
#include "platform/gdi/dc.h"

namespace core {

namespace {

constexpr float kPi = 3.14159265358979f;

float SinC(float x) {
  if (x == 0.0f) return 1.0f;
  const float px = x * kPi;
  return std::sin(px) / px;
}

double PassScale(int sourceSize, int destSize) {
  if (sourceSize == 1 || destSize == 1) return double(destSize) / double(sourceSize);
  return double(destSize - 1) / double(sourceSize - 1);
}

int Mirror(int j, int size) {
  if (j < 0) j = -j;
  if (j >= size) j = 2 * size - 1 - j;
  // Sizes smaller than the filter's reach can mirror past the other end.
  return std::clamp(j, 0, size - 1);
}

std::uint8_t Channel(int sum) {
  if (sum < 0) return 0;
  return std::uint8_t(std::min(255, sum >> 8));
}

// One pass over `count` lines: line k's pixels are at in[k*inLine + p*inStep].
void ResamplePass(const std::vector<TRGBQuad>& in, std::vector<TRGBQuad>& out,
                  const TcxResizeContributors& filter, int count, int inLine, int inStep,
                  int outLine, int outStep) {
  for (int k = 0; k < count; ++k) {
    const TRGBQuad* src = in.data() + static_cast<std::ptrdiff_t>(k) * inLine;
    TRGBQuad* dst = out.data() + static_cast<std::ptrdiff_t>(k) * outLine;
    for (std::size_t i = 0; i < filter.size(); ++i) {
      int b = 0, g = 0, r = 0, a = 0;
      for (const TcxResizeContributor& c : filter[i]) {
        const TRGBQuad& p = src[static_cast<std::ptrdiff_t>(c.Pixel) * inStep];
        b += p.rgbBlue * c.Weight;
        g += p.rgbGreen * c.Weight;
        r += p.rgbRed * c.Weight;
        a += p.rgbReserved * c.Weight;
      }
      dst[static_cast<std::ptrdiff_t>(i) * outStep] = TRGBQuad{Channel(b), Channel(g), Channel(r), Channel(a)};
    }
  }
}

void Lanczos3Resize(ui::TBitmap* source, ui::TBitmap* destination) {
  const int sw = source->Width(), sh = source->Height();
  const int dw = destination->Width(), dh = destination->Height();
  TRGBColors src;
  GetBitmapBits(source, src, false);
  // Horizontal pass over every source row, then vertical over every column.
  std::vector<TRGBQuad> mid(static_cast<std::size_t>(dw) * sh);
  ResamplePass(src, mid, cxBuildResizeFilter(sw, dw), sh, sw, 1, dw, 1);
  TRGBColors dst(static_cast<std::size_t>(dw) * dh);
  ResamplePass(mid, dst, cxBuildResizeFilter(sh, dh), dw, 1, dw, 1, dw);
  SetBitmapBits(destination, dst, false);
}

}  // namespace

float cxLanczos3Filter(float x) {
  if (std::fabs(x) >= 3.0f) return 0.0f;
  return SinC(x) * SinC(x / 3.0f);
}

TcxResizeContributors cxBuildResizeFilter(int sourceSize, int destSize) {
  TcxResizeContributors result(static_cast<std::size_t>(std::max(destSize, 0)));
  if (sourceSize <= 0 || destSize <= 0) return result;
  const double s = PassScale(sourceSize, destSize);
  const double w = s < 1.0 ? 1.0 / s : 1.0;
  const double radius = 3.0 * w;
  for (int i = 0; i < destSize; ++i) {
    const double center = i / s;
    const int first = static_cast<int>(std::floor(center - radius));
    const int last = static_cast<int>(std::ceil(center + radius));
    for (int j = first; j <= last; ++j) {
      const float f = cxLanczos3Filter(float((center - j) / w)) / float(w) * 256.0f;
      const int weight = static_cast<int>(std::nearbyint(f));
      if (weight != 0) result[static_cast<std::size_t>(i)].push_back({Mirror(j, sourceSize), weight});
    }
  }
  return result;
}

void cxSmoothResizeBitmap(ui::TBitmap* source, ui::TBitmap* destination, bool forceUseLanczos3Filter) {
  if (source->Empty() || destination->Empty()) return;
  ui::TCanvas* srcCanvas = source->Canvas();
  ui::TCanvas* dstCanvas = destination->Canvas();
  srcCanvas->Lock();
  dstCanvas->Lock();
  if (IsWinNT && !forceUseLanczos3Filter) {
    gdi::HDC dc = dstCanvas->Handle();
    const int oldMode = gdi::SetStretchBltMode(dc, gdi::HALFTONE);
    gdi::StretchBlt(dc, 0, 0, destination->Width(), destination->Height(), srcCanvas->Handle(), 0, 0,
                    source->Width(), source->Height(), gdi::SRCCOPY);
    gdi::SetStretchBltMode(dc, oldMode);
  } else {
    Lanczos3Resize(source, destination);
  }
  dstCanvas->Unlock();
  srcCanvas->Unlock();
}

}  // namespace core
