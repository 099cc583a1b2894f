// What every part shares: exception-to-status mapping, affine matrices,
// start-up and the allocator.
#include <cmath>
#include <cstdlib>
#include <new>

#include "platform/gdiplus/impl/objects.h"
#include "platform/gdiplus/matrix.h"
#include "platform/gdiplus/startup.h"

namespace gdiplus {

GpStatus statusFromCurrentException() {
  try {
    throw;
  } catch (const GpException& e) {
    setLastErrorMessage(e.what());
    return e.status();
  } catch (const std::bad_alloc&) {
    setLastErrorMessage("out of memory");
    return OutOfMemory;
  } catch (const std::exception& e) {
    setLastErrorMessage(e.what());
    return GenericError;
  }
}

// ---- affine ----------------------------------------------------------------------------
Affine Affine::then(const Affine& n) const {
  return {m11 * n.m11 + m12 * n.m21, m11 * n.m12 + m12 * n.m22, m21 * n.m11 + m22 * n.m21,
          m21 * n.m12 + m22 * n.m22, dx * n.m11 + dy * n.m21 + n.dx, dx * n.m12 + dy * n.m22 + n.dy};
}

bool Affine::invertible() const {
  const double det = m11 * m22 - m12 * m21;
  return std::isfinite(det) && std::fabs(det) > 1e-12;
}

Affine Affine::inverted() const {
  if (!invertible()) fail(InvalidParameter, "the matrix cannot be inverted");
  const double det = m11 * m22 - m12 * m21;
  Affine r{m22 / det, -m12 / det, -m21 / det, m11 / det, 0, 0};
  r.dx = -(dx * r.m11 + dy * r.m21);
  r.dy = -(dx * r.m12 + dy * r.m22);
  return r;
}

void Affine::apply(double& x, double& y) const {
  const double nx = x * m11 + y * m21 + dx;
  y = x * m12 + y * m22 + dy;
  x = nx;
}

Affine Affine::rotation(double degrees) {
  const double r = degrees * M_PI / 180.0;
  const double c = std::cos(r), s = std::sin(r);
  return {c, s, -s, c, 0, 0};
}

Affine combine(const Affine& current, const Affine& op, MatrixOrder order) {
  return order == MatrixOrderAppend ? current.then(op) : op.then(current);
}

// ---- matrices ---------------------------------------------------------------------------
GpStatus GdipCreateMatrix(GpMatrix** matrix) { return GdipCreateMatrix2(1, 0, 0, 1, 0, 0, matrix); }

GpStatus GdipCreateMatrix2(REAL m11, REAL m12, REAL m21, REAL m22, REAL dx, REAL dy, GpMatrix** matrix) {
  return guarded([&] {
    need(matrix, "matrix");
    auto m = std::make_unique<GpMatrix>();
    m->m = {m11, m12, m21, m22, dx, dy};
    *matrix = m.release();
  });
}

GpStatus GdipCloneMatrix(GpMatrix* matrix, GpMatrix** clone) {
  return guarded([&] {
    need(matrix && clone, "matrix");
    *clone = new GpMatrix(*matrix);
  });
}

GpStatus GdipDeleteMatrix(GpMatrix* matrix) {
  delete matrix;
  return matrix ? Ok : InvalidParameter;
}

GpStatus GdipSetMatrixElements(GpMatrix* matrix, REAL m11, REAL m12, REAL m21, REAL m22, REAL dx, REAL dy) {
  if (!matrix) return InvalidParameter;
  matrix->m = {m11, m12, m21, m22, dx, dy};
  return Ok;
}

GpStatus GdipGetMatrixElements(const GpMatrix* matrix, REAL* e) {
  if (!matrix || !e) return InvalidParameter;
  const Affine& a = matrix->m;
  const double v[6] = {a.m11, a.m12, a.m21, a.m22, a.dx, a.dy};
  for (int i = 0; i < 6; ++i) e[i] = static_cast<REAL>(v[i]);
  return Ok;
}

GpStatus GdipMultiplyMatrix(GpMatrix* matrix, GpMatrix* other, MatrixOrder order) {
  if (!matrix || !other) return InvalidParameter;
  matrix->m = combine(matrix->m, other->m, order);
  return Ok;
}

GpStatus GdipTranslateMatrix(GpMatrix* matrix, REAL dx, REAL dy, MatrixOrder order) {
  if (!matrix) return InvalidParameter;
  matrix->m = combine(matrix->m, Affine::translation(dx, dy), order);
  return Ok;
}

GpStatus GdipScaleMatrix(GpMatrix* matrix, REAL sx, REAL sy, MatrixOrder order) {
  if (!matrix) return InvalidParameter;
  matrix->m = combine(matrix->m, Affine::scaling(sx, sy), order);
  return Ok;
}

GpStatus GdipRotateMatrix(GpMatrix* matrix, REAL angle, MatrixOrder order) {
  if (!matrix) return InvalidParameter;
  matrix->m = combine(matrix->m, Affine::rotation(angle), order);
  return Ok;
}

GpStatus GdipInvertMatrix(GpMatrix* matrix) {
  return guarded([&] {
    need(matrix, "matrix");
    matrix->m = matrix->m.inverted();
  });
}

GpStatus GdipTransformMatrixPoints(GpMatrix* matrix, GpPointF* points, INT count) {
  if (!matrix || !points || count <= 0) return InvalidParameter;
  for (INT i = 0; i < count; ++i) {
    double x = points[i].X, y = points[i].Y;
    matrix->m.apply(x, y);
    points[i] = {static_cast<REAL>(x), static_cast<REAL>(y)};
  }
  return Ok;
}

GpStatus GdipIsMatrixIdentity(const GpMatrix* matrix, BOOL* result) {
  if (!matrix || !result) return InvalidParameter;
  *result = matrix->m == Affine{};
  return Ok;
}

GpStatus GdipIsMatrixEqual(const GpMatrix* matrix, const GpMatrix* other, BOOL* result) {
  if (!matrix || !other || !result) return InvalidParameter;
  *result = matrix->m == other->m;
  return Ok;
}

// ---- start-up ---------------------------------------------------------------------------
namespace {
int startups = 0;
ULONG_PTR nextToken = 1;
GpStatus hook(ULONG_PTR* token) {
  if (token) *token = 1;
  return Ok;
}
void unhook(ULONG_PTR) {}
}  // namespace

GpStatus GdiplusStartup(ULONG_PTR* token, const GdiplusStartupInput* input, GdiplusStartupOutput* output) {
  if (!token || !input) return InvalidParameter;
  if (input->GdiplusVersion != 1 && input->GdiplusVersion != 2) return UnsupportedGdiplusVersion;
  if (input->SuppressBackgroundThread) {
    if (!output) return InvalidParameter;
    output->NotificationHook = hook;
    output->NotificationUnhook = unhook;
  }
  ++startups;
  *token = nextToken++;
  return Ok;
}

void GdiplusShutdown(ULONG_PTR token) {
  if (token != 0 && startups > 0) --startups;
}

bool gdiplusStarted() { return startups > 0; }

void* GdipAlloc(std::size_t size) { return std::malloc(size == 0 ? 1 : size); }
void GdipFree(void* ptr) { std::free(ptr); }

}  // namespace gdiplus
