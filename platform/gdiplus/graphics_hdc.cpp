// Graphics on a device context: the DC's 32-bit surface seen as opaque RGB,
// its origins as the base transform, its clip region as the base clip.
#include <vector>

#include "platform/gdi/dc.h"
#include "platform/gdi/objects.h"
#include "platform/gdi/region.h"
#include "platform/gdi/surface.h"
#include "platform/gdiplus/graphics.h"
#include "platform/gdiplus/impl/graphics_impl.h"

namespace gdiplus {
namespace {

// The DC's own clip region in surface pixels; empty when it has none.
std::vector<DeviceBox> clipOf(gdi::HDC dc, gdi::POINT surfaceOrigin, bool* clipsAll) {
  std::vector<DeviceBox> boxes;
  *clipsAll = false;
  gdi::HRGN rgn = gdi::CreateRectRgn(0, 0, 0, 0);
  if (!rgn) fail(OutOfMemory, "region");
  if (gdi::GetClipRgn(dc, rgn) == 1) {
    const gdi::DWORD size = gdi::GetRegionData(rgn, 0, nullptr);
    std::vector<std::uint8_t> buffer(size);
    auto* data = reinterpret_cast<gdi::RGNDATA*>(buffer.data());
    if (size >= sizeof(gdi::RGNDATAHEADER) && gdi::GetRegionData(rgn, size, data) == size) {
      const auto* rects = reinterpret_cast<const gdi::RECT*>(data->Buffer);
      for (gdi::DWORD i = 0; i < data->rdh.nCount; ++i)
        boxes.push_back({rects[i].left + surfaceOrigin.x, rects[i].top + surfaceOrigin.y,
                         rects[i].right + surfaceOrigin.x, rects[i].bottom + surfaceOrigin.y});
    }
    *clipsAll = boxes.empty();
  }
  gdi::DeleteObject(rgn);
  return boxes;
}

}  // namespace

GpStatus GdipCreateFromHDC(gdi::HDC dc, GpGraphics** graphics) {
  return guarded([&] {
    need(dc && graphics, "device context");
    const gdi::Surface s = gdi::GetDCSurface(dc);
    if (s.empty()) fail(OutOfMemory, "the device context has no surface to draw on");
    gdi::POINT window{}, viewport{}, origin{};
    gdi::GetWindowOrgEx(dc, &window);
    gdi::GetViewportOrgEx(dc, &viewport);
    gdi::GetDCOrgEx(dc, &origin);
    auto g = std::make_unique<GpGraphics>();
    g->dcTarget = true;
    if (s.stride > 0 && s.stride % 4 == 0) {
      g->bind(s.scan0, s.width, s.height, static_cast<int>(s.stride), true);
    } else {
      // Bottom-up memory: draw through a copy kept in step with it.
      g->shadow = PixelStore::allocate(s.width, s.height, Layout::Opaque);
      PixelStore view;
      view.width = s.width;
      view.height = s.height;
      view.stride = static_cast<int>(s.stride);
      view.layout = Layout::Opaque;
      view.scan0 = s.scan0;
      g->dcView = std::move(view);
      g->shadowOf = &g->dcView;
      g->bind(g->shadow.scan0, s.width, s.height, g->shadow.stride, true);
    }
    g->deviceBase =
        Affine::translation(viewport.x - window.x + origin.x, viewport.y - window.y + origin.y);
    bool clipsAll = false;
    g->dcClip = clipOf(dc, origin, &clipsAll);
    if (clipsAll) g->dcClip.push_back({0, 0, 0, 0});
    g->applyClip();
    *graphics = g.release();
  });
}

}  // namespace gdiplus
