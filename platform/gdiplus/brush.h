#pragma once
// Brushes: solid colour, linear gradient and texture.
#include <memory>

#include "platform/gdiplus/codecs/codecs.h"
#include "platform/gdiplus/matrix.h"
#include "platform/gdiplus/types.h"

namespace gdiplus {

class GpImage;

// The brush objects (their types are given so that a GpSolidFill* converts
// to a GpBrush* as with the platform's headers).
class GpBrush {
 public:
  virtual ~GpBrush() = default;
  virtual BrushType type() const = 0;
  virtual std::unique_ptr<GpBrush> clone() const = 0;
};

class GpSolidFill : public GpBrush {
 public:
  ARGB color = 0;
  BrushType type() const override { return BrushTypeSolidColor; }
  std::unique_ptr<GpBrush> clone() const override { return std::make_unique<GpSolidFill>(*this); }
};

class GpLineGradient : public GpBrush {
 public:
  // Colours run from `start` to `end` in the brush's own space, which
  // `placement` maps into world space.
  GpPointF start, end;
  Affine placement;
  ARGB colors[2] = {0, 0};
  WrapMode wrap = WrapModeTile;
  BrushType type() const override { return BrushTypeLinearGradient; }
  std::unique_ptr<GpBrush> clone() const override { return std::make_unique<GpLineGradient>(*this); }
};

class GpTexture : public GpBrush {
 public:
  codecs::Raster premultiplied;  // the brush's own copy
  WrapMode wrap = WrapModeTile;
  Affine transform;
  BrushType type() const override { return BrushTypeTextureFill; }
  std::unique_ptr<GpBrush> clone() const override { return std::make_unique<GpTexture>(*this); }
};

GpStatus GdipCloneBrush(GpBrush* brush, GpBrush** clone);
GpStatus GdipDeleteBrush(GpBrush* brush);
GpStatus GdipGetBrushType(GpBrush* brush, BrushType* type);

GpStatus GdipCreateSolidFill(ARGB color, GpSolidFill** brush);
GpStatus GdipSetSolidFillColor(GpSolidFill* brush, ARGB color);
GpStatus GdipGetSolidFillColor(GpSolidFill* brush, ARGB* color);

// Colours run from point 1 to point 2 and repeat by the wrap mode (Clamp is
// refused, as for the platform).
GpStatus GdipCreateLineBrush(const GpPointF* point1, const GpPointF* point2, ARGB color1, ARGB color2,
                             WrapMode wrapMode, GpLineGradient** brush);
GpStatus GdipCreateLineBrushI(const GpPoint* point1, const GpPoint* point2, ARGB color1, ARGB color2,
                              WrapMode wrapMode, GpLineGradient** brush);
// Across the rectangle: left to right, top to bottom, or corner to corner
// with lines of equal colour parallel to the other diagonal.
GpStatus GdipCreateLineBrushFromRect(const GpRectF* rect, ARGB color1, ARGB color2, LinearGradientMode mode,
                                     WrapMode wrapMode, GpLineGradient** brush);
GpStatus GdipCreateLineBrushFromRectI(const GpRect* rect, ARGB color1, ARGB color2, LinearGradientMode mode,
                                      WrapMode wrapMode, GpLineGradient** brush);
GpStatus GdipSetLineColors(GpLineGradient* brush, ARGB color1, ARGB color2);
GpStatus GdipGetLineColors(GpLineGradient* brush, ARGB* colors);
GpStatus GdipSetLineWrapMode(GpLineGradient* brush, WrapMode wrapMode);
GpStatus GdipGetLineWrapMode(GpLineGradient* brush, WrapMode* wrapMode);

// The brush keeps its own copy of the image (or of the rectangle of it).
GpStatus GdipCreateTexture(GpImage* image, WrapMode wrapMode, GpTexture** texture);
GpStatus GdipCreateTexture2(GpImage* image, WrapMode wrapMode, REAL x, REAL y, REAL width, REAL height,
                            GpTexture** texture);
GpStatus GdipCreateTexture2I(GpImage* image, WrapMode wrapMode, INT x, INT y, INT width, INT height,
                             GpTexture** texture);
GpStatus GdipSetTextureWrapMode(GpTexture* brush, WrapMode wrapMode);
GpStatus GdipGetTextureWrapMode(GpTexture* brush, WrapMode* wrapMode);
GpStatus GdipSetTextureTransform(GpTexture* brush, const GpMatrix* matrix);
GpStatus GdipResetTextureTransform(GpTexture* brush);
GpStatus GdipTranslateTextureTransform(GpTexture* brush, REAL dx, REAL dy, MatrixOrder order);
GpStatus GdipScaleTextureTransform(GpTexture* brush, REAL sx, REAL sy, MatrixOrder order);

}  // namespace gdiplus
