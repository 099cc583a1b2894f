// Buffered paint: drawing goes to a 32-bit off-screen bitmap in the target's
// coordinates and is copied to the target in one step, so that a control
// built of many parts never shows half-drawn.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <unordered_map>

#include "platform/gdi/blit.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/objects.h"
#include "platform/gdi/rop.h"
#include "platform/gdi/surface.h"
#include "platform/theme/theme.h"

namespace theme {

namespace {

struct Buffer : HPAINTBUFFER__ {
  HDC target = nullptr;
  RECT rect{};
  HDC dc = nullptr;
  gdi::HBITMAP bitmap = nullptr;
  gdi::HGDIOBJ oldBitmap = nullptr;
  std::uint8_t* bits = nullptr;

  ~Buffer() {
    if (dc) {
      gdi::SelectObject(dc, oldBitmap);
      gdi::DeleteDC(dc);
    }
    if (bitmap) gdi::DeleteObject(bitmap);
  }
  int width() const { return rect.right - rect.left; }
  int height() const { return rect.bottom - rect.top; }
};

struct Buffers {
  std::mutex lock;
  std::unordered_map<HPAINTBUFFER, std::unique_ptr<Buffer>> live;
  int initCount = 0;
};

Buffers& buffers() {
  static Buffers b;
  return b;
}

Buffer* find(HPAINTBUFFER h) {
  if (!h) return nullptr;
  Buffers& bs = buffers();
  std::lock_guard<std::mutex> guard(bs.lock);
  auto it = bs.live.find(h);
  return it == bs.live.end() ? nullptr : it->second.get();
}

// The part of `rect` (target coordinates; null: all) inside the buffer, in buffer pixels.
bool bufferArea(const Buffer& b, const RECT* rect, RECT* out) {
  RECT r = rect ? *rect : b.rect;
  r.left = std::max(r.left, b.rect.left) - b.rect.left;
  r.top = std::max(r.top, b.rect.top) - b.rect.top;
  r.right = std::min(r.right, b.rect.right) - b.rect.left;
  r.bottom = std::min(r.bottom, b.rect.bottom) - b.rect.top;
  *out = r;
  return r.right > r.left && r.bottom > r.top;
}

std::uint32_t* row(const Buffer& b, int y) { return reinterpret_cast<std::uint32_t*>(b.bits) + std::size_t(y) * b.width(); }

}  // namespace

HRESULT BufferedPaintInit() {
  Buffers& bs = buffers();
  std::lock_guard<std::mutex> guard(bs.lock);
  ++bs.initCount;
  return S_OK;
}

HRESULT BufferedPaintUnInit() {
  Buffers& bs = buffers();
  std::lock_guard<std::mutex> guard(bs.lock);
  if (bs.initCount == 0) return E_FAIL;
  --bs.initCount;
  return S_OK;
}

HPAINTBUFFER BeginBufferedPaint(HDC target, const RECT* rect, BP_BUFFERFORMAT format, const BP_PAINTPARAMS* params,
                                HDC* paintDC) {
  if (paintDC) *paintDC = nullptr;
  if (!target || !rect || !paintDC || format == BPBF_TOPDOWNMONODIB) return nullptr;
  auto b = std::make_unique<Buffer>();
  b->target = target;
  b->rect = *rect;
  if (b->width() <= 0 || b->height() <= 0) return nullptr;
  gdi::BITMAPINFO bmi{};
  bmi.bmiHeader.biSize = sizeof(gdi::BITMAPINFOHEADER);
  bmi.bmiHeader.biWidth = b->width();
  bmi.bmiHeader.biHeight = -b->height();  // top-down rows
  bmi.bmiHeader.biPlanes = 1;
  bmi.bmiHeader.biBitCount = 32;
  bmi.bmiHeader.biCompression = gdi::BI_RGB;
  void* bits = nullptr;
  b->bitmap = gdi::CreateDIBSection(target, &bmi, gdi::DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!b->bitmap || !bits) return nullptr;
  b->bits = static_cast<std::uint8_t*>(bits);
  b->dc = gdi::CreateCompatibleDC(target);
  if (!b->dc) return nullptr;
  b->oldBitmap = gdi::SelectObject(b->dc, b->bitmap);
  // The caller draws in its own coordinates.
  gdi::SetWindowOrgEx(b->dc, rect->left, rect->top, nullptr);
  const bool erase = params && (params->dwFlags & BPPF_ERASE);
  if (!erase) {
    // Start from what the target shows, so that parts drawn over it blend as on screen.
    gdi::BitBlt(b->dc, rect->left, rect->top, b->width(), b->height(), target, rect->left, rect->top, gdi::SRCCOPY);
  }
  *paintDC = b->dc;
  HPAINTBUFFER h = b.get();
  Buffers& bs = buffers();
  std::lock_guard<std::mutex> guard(bs.lock);
  bs.live.emplace(h, std::move(b));
  return h;
}

HRESULT EndBufferedPaint(HPAINTBUFFER buffer, BOOL updateTarget) {
  std::unique_ptr<Buffer> b;
  {
    Buffers& bs = buffers();
    std::lock_guard<std::mutex> guard(bs.lock);
    auto it = bs.live.find(buffer);
    if (it == bs.live.end()) return E_HANDLE;
    b = std::move(it->second);
    bs.live.erase(it);
  }
  if (updateTarget)
    gdi::BitBlt(b->target, b->rect.left, b->rect.top, b->width(), b->height(), b->dc, b->rect.left, b->rect.top,
                gdi::SRCCOPY);
  return S_OK;
}

HRESULT BufferedPaintClear(HPAINTBUFFER buffer, const RECT* rect) {
  Buffer* b = find(buffer);
  if (!b) return E_HANDLE;
  RECT r;
  if (!bufferArea(*b, rect, &r)) return S_OK;
  for (int y = r.top; y < r.bottom; ++y)
    for (int x = r.left; x < r.right; ++x) row(*b, y)[x] = 0;
  return S_OK;
}

HRESULT BufferedPaintSetAlpha(HPAINTBUFFER buffer, const RECT* rect, BYTE alpha) {
  Buffer* b = find(buffer);
  if (!b) return E_HANDLE;
  RECT r;
  if (!bufferArea(*b, rect, &r)) return S_OK;
  for (int y = r.top; y < r.bottom; ++y)
    for (int x = r.left; x < r.right; ++x) {
      std::uint32_t& p = row(*b, y)[x];
      p = (p & 0x00FFFFFFu) | (std::uint32_t(alpha) << 24);
    }
  return S_OK;
}

HRESULT GetBufferedPaintBits(HPAINTBUFFER buffer, void** bits, int* rowPixels) {
  Buffer* b = find(buffer);
  if (!b) return E_HANDLE;
  if (!bits || !rowPixels) return E_INVALIDARG;
  *bits = b->bits;
  *rowPixels = b->width();
  return S_OK;
}

HDC GetBufferedPaintDC(HPAINTBUFFER buffer) {
  Buffer* b = find(buffer);
  return b ? b->dc : nullptr;
}

HDC GetBufferedPaintTargetDC(HPAINTBUFFER buffer) {
  Buffer* b = find(buffer);
  return b ? b->target : nullptr;
}

HRESULT GetBufferedPaintTargetRect(HPAINTBUFFER buffer, RECT* rect) {
  Buffer* b = find(buffer);
  if (!b) return E_HANDLE;
  if (!rect) return E_INVALIDARG;
  *rect = b->rect;
  return S_OK;
}

}  // namespace theme
