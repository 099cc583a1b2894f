#pragma once
// The graphics object. Internal to platform/gdiplus.
#include <functional>
#include <vector>

#include "platform/gdiplus/impl/objects.h"

namespace gdiplus {

// A rectangle of device pixels, right and bottom exclusive.
struct DeviceBox {
  int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  DeviceBox clippedTo(int width, int height) const;
};

void applyColorMatrix(codecs::Raster& premultiplied, const ColorMatrix& matrix);

class GpGraphics {
 public:
  GpGraphics() = default;
  GpGraphics(const GpGraphics&) = delete;
  GpGraphics& operator=(const GpGraphics&) = delete;
  ~GpGraphics();

  // Target.
  cairo_surface_t* surface = nullptr;
  cairo_t* cr = nullptr;
  int surfaceWidth = 0, surfaceHeight = 0;
  GpBitmap* bitmap = nullptr;       // drawing on an image
  PixelStore* shadowOf = nullptr;   // target synchronised through `shadow`
  PixelStore shadow;
  PixelStore dcView;                // a bottom-up DC surface, seen through `shadow`
  bool dcTarget = false;            // drawing on a device context
  Affine deviceBase;                // world device -> surface (DC origins)
  std::vector<DeviceBox> dcClip;    // the DC's clip, surface pixels; empty = none

  // Settings.
  SmoothingMode smoothing = SmoothingModeDefault;
  InterpolationMode interpolation = InterpolationModeBilinear;
  PixelOffsetMode pixelOffset = PixelOffsetModeDefault;
  CompositingMode compositing = CompositingModeSourceOver;
  CompositingQuality compositingQuality = CompositingQualityDefault;
  TextRenderingHint textHint = TextRenderingHintSystemDefault;
  Affine world;

  // Clip: an intersection of shapes in surface pixels.
  std::vector<ClipItem> clip;
  bool clipEmpty = false;

  void bind(std::uint8_t* data, int width, int height, int stride, bool opaque);
  Affine worldToDevice() const;
  void applyClip();
  void prepare(bool stroke);
  cairo_filter_t filter() const;
  DeviceBox extentsOf(bool stroke);
  DeviceBox everything() const;
  void beginOp(const DeviceBox& box);
  void endOp();

  void fillPath(const GpBrush& brush, const std::function<void()>& build, FillMode mode);
  void strokePath(const GpPen& pen, const std::function<void()>& build);
  void drawImage(GpBitmap& image, double dx, double dy, double dw, double dh, double sx, double sy, double sw,
                 double sh, const GpImageAttributes* attributes);

 private:
  void setMatrix(bool stroke);
  std::uint32_t* pixelRow(int y);
  DeviceBox opBox;
  std::vector<std::uint32_t> saved;
};

}  // namespace gdiplus
