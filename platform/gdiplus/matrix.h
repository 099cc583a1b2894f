#pragma once
// Affine matrices: [x y 1] times | m11 m12 0 ; m21 m22 0 ; dx dy 1 |.
#include "platform/gdiplus/types.h"

namespace gdiplus {

struct Affine {
  double m11 = 1, m12 = 0, m21 = 0, m22 = 1, dx = 0, dy = 0;
  // this first, then `next`
  Affine then(const Affine& next) const;
  Affine inverted() const;  // throws InvalidParameter when singular
  bool invertible() const;
  void apply(double& x, double& y) const;
  static Affine translation(double x, double y) { return {1, 0, 0, 1, x, y}; }
  static Affine scaling(double x, double y) { return {x, 0, 0, y, 0, 0}; }
  static Affine rotation(double degrees);
  bool operator==(const Affine&) const = default;
};
// Prepend: `op` acts first; Append: `op` acts last.
Affine combine(const Affine& current, const Affine& op, MatrixOrder order);

// The object behind a GpMatrix handle.
class GpMatrix {
 public:
  Affine m;
};

GpStatus GdipCreateMatrix(GpMatrix** matrix);
GpStatus GdipCreateMatrix2(REAL m11, REAL m12, REAL m21, REAL m22, REAL dx, REAL dy, GpMatrix** matrix);
GpStatus GdipCloneMatrix(GpMatrix* matrix, GpMatrix** clone);
GpStatus GdipDeleteMatrix(GpMatrix* matrix);
GpStatus GdipSetMatrixElements(GpMatrix* matrix, REAL m11, REAL m12, REAL m21, REAL m22, REAL dx, REAL dy);
GpStatus GdipGetMatrixElements(const GpMatrix* matrix, REAL* elements);  // 6 values
GpStatus GdipMultiplyMatrix(GpMatrix* matrix, GpMatrix* other, MatrixOrder order);
GpStatus GdipTranslateMatrix(GpMatrix* matrix, REAL dx, REAL dy, MatrixOrder order);
GpStatus GdipScaleMatrix(GpMatrix* matrix, REAL sx, REAL sy, MatrixOrder order);
GpStatus GdipRotateMatrix(GpMatrix* matrix, REAL angle, MatrixOrder order);  // degrees, clockwise on screen
GpStatus GdipInvertMatrix(GpMatrix* matrix);
GpStatus GdipTransformMatrixPoints(GpMatrix* matrix, GpPointF* points, INT count);
GpStatus GdipIsMatrixIdentity(const GpMatrix* matrix, BOOL* result);
GpStatus GdipIsMatrixEqual(const GpMatrix* matrix, const GpMatrix* other, BOOL* result);

}  // namespace gdiplus
