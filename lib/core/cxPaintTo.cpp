#include "lib/core/cxPaintTo.h"

#include <algorithm>

#include "lib/core/cxGraphicsBitmaps.h"
#include "lib/core/dxUxTheme.h"
#include "platform/gdi/blit.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/objects.h"
#include "platform/gdi/region.h"
#include "platform/gdi/rop.h"
#include "platform/rtl/scoped.h"
#include "platform/win/constants.h"
#include "platform/win/message_loop.h"
#include "platform/win/window.h"

namespace core {

namespace {

// Parents whose background is being painted now: a request for one of them
// from within that paint is ignored.
std::vector<ui::TWinControl*> FLockList;

bool contains(const std::vector<win::HWND>& list, win::HWND h) {
  return std::find(list.begin(), list.end(), h) != list.end();
}

template <class T>
void removeOne(std::vector<T>& list, T item) {
  auto it = std::find(list.begin(), list.end(), item);
  if (it != list.end()) list.erase(it);
}

// Content at (x, y) of the logical space appears (dx, dy) further.
void moveWindowOrg(gdi::HDC dc, int dx, int dy) { gdi::OffsetWindowOrgEx(dc, -dx, -dy, nullptr); }

// Where the client area starts inside the window rectangle.
TPoint clientOffset(win::HWND wnd) {
  win::RECT window{};
  win::GetWindowRect(wnd, &window);
  win::POINT origin{0, 0};
  win::MapWindowPoints(wnd, nullptr, &origin, 1);
  return TPoint{origin.x - window.left, origin.y - window.top};
}

// The window's rectangle in its parent's client coordinates.
TRect windowBoundsInParent(win::HWND wnd) {
  win::RECT r{};
  win::GetWindowRect(wnd, &r);
  const win::HWND parent = win::GetParent(wnd);
  if (parent) win::MapWindowPoints(nullptr, parent, reinterpret_cast<win::POINT*>(&r), 2);
  return TRect{r.left, r.top, r.right, r.bottom};
}

bool isDestroying(ui::TWinControl* c) {
  return c->ComponentState().contains(rtl::TComponentStateItem::csDestroying);
}

}  // namespace

std::vector<win::HWND>& PaintSkipList() {
  static std::vector<win::HWND> list;
  return list;
}

namespace {

// Printing children with the window is what a caller wants that does not
// place them itself; the control painter does (honouring the skip list).
void printWindow(win::HWND AWnd, gdi::HDC ADC, bool ADrawNC, bool ADoubleBuffered, bool AChildren) {
  const auto dcParam = reinterpret_cast<win::WPARAM>(ADC);
  if (ADoubleBuffered) win::SendMessageW(AWnd, win::WM_ERASEBKGND, dcParam, win::LPARAM(dcParam));
  const win::LPARAM children = AChildren ? win::PRF_CHILDREN : 0;
  win::RECT window{}, client{};
  win::GetWindowRect(AWnd, &window);
  win::GetClientRect(AWnd, &client);
  const int w = window.right - window.left, h = window.bottom - window.top;
  const bool hasNC = w != client.right - client.left || h != client.bottom - client.top;
  if (!ADrawNC || !hasNC) {
    win::SendMessageW(AWnd, win::WM_PRINT, dcParam, win::PRF_CLIENT | children);
    return;
  }
  const win::LPARAM all = win::PRF_CLIENT | children | win::PRF_NONCLIENT;
  gdi::POINT origin{};
  if (!gdi::GetWindowOrgEx(ADC, &origin) || (origin.x == 0 && origin.y == 0)) {
    win::SendMessageW(AWnd, win::WM_PRINT, dcParam, all);
    return;
  }
  // Printed whole into a bitmap of the window's size, then copied in.
  const gdi::HDC memDC = gdi::CreateCompatibleDC(ADC);
  const gdi::HBITMAP bitmap = gdi::CreateCompatibleBitmap(ADC, w, h);
  const gdi::HGDIOBJ old = gdi::SelectObject(memDC, bitmap);
  win::SendMessageW(AWnd, win::WM_PRINT, reinterpret_cast<win::WPARAM>(memDC), all);
  gdi::BitBlt(ADC, 0, 0, w, h, memDC, 0, 0, gdi::SRCCOPY);
  gdi::SelectObject(memDC, old);
  gdi::DeleteObject(bitmap);
  gdi::DeleteDC(memDC);
}

}  // namespace

void cxPrintWindow(win::HWND AWnd, gdi::HDC ADC, bool ADrawNC, bool ADoubleBuffered) {
  printWindow(AWnd, ADC, ADrawNC, ADoubleBuffered, true);
}

void cxPrintWindow(ui::TWinControl* AControl, ui::TCanvas* ACanvas, bool ADrawNC) {
  ACanvas->Lock();
  rtl::ScopeExit unlock([&] { ACanvas->Unlock(); });
  // Controls here are never double-buffered.
  cxPrintWindow(AControl->Handle(), ACanvas->Handle(), ADrawNC, false);
}

namespace {

// The control alone: its children are painted by the caller.
void printControlOnly(ui::TWinControl* AControl, ui::TCanvas* ACanvas, bool ADrawNC) {
  ACanvas->Lock();
  rtl::ScopeExit unlock([&] { ACanvas->Unlock(); });
  printWindow(AControl->Handle(), ACanvas->Handle(), ADrawNC, false, false);
}

}  // namespace


void cxPaintControlTo(ui::TWinControl* ADrawingControl, TcxCanvas* ACanvas, const TPoint& ADestinatioPoint,
                      const TRect& ADrawingRect, bool ADrawParentWithChildren, bool ADrawNC) {
  if (!ADrawingControl || isDestroying(ADrawingControl) || !ADrawingControl->HandleAllocated()) return;
  const win::HWND wnd = ADrawingControl->Handle();
  const gdi::HDC dc = ACanvas->Handle();
  ACanvas->SaveDC();
  rtl::ScopeExit restoreDC([&] { ACanvas->RestoreDC(); });
  moveWindowOrg(dc, ADestinatioPoint.x - ADrawingRect.left, ADestinatioPoint.y - ADrawingRect.top);
  ACanvas->IntersectClipRect(ADrawingRect);
  const gdi::HRGN windowRgn = gdi::CreateRectRgn(0, 0, 0, 0);
  if (win::GetWindowRgn(wnd, windowRgn) != gdi::ERROR) {
    gdi::POINT at{ADrawNC ? 0 : -clientOffset(wnd).x, ADrawNC ? 0 : -clientOffset(wnd).y};
    gdi::LPtoDP(dc, &at, 1);
    gdi::OffsetRgn(windowRgn, at.x, at.y);
    gdi::ExtSelectClipRgn(dc, windowRgn, gdi::RGN_AND);
  }
  gdi::DeleteObject(windowRgn);
  if (!ACanvas->RectVisible(ADrawingRect)) return;

  const ui::TControlState state = ADrawingControl->ControlState();
  ui::TControlState copying = state;
  copying.Include(ui::TControlStateItem::csPaintCopy);
  ADrawingControl->SetControlState(copying);
  rtl::ScopeExit restoreState([&] { ADrawingControl->SetControlState(state); });
  {
    ACanvas->SaveState();
    rtl::ScopeExit restore([&] { ACanvas->RestoreState(); });
    if (!ADrawNC) {
      const TPoint offset = clientOffset(wnd);
      moveWindowOrg(dc, -offset.x, -offset.y);
    }
    printControlOnly(ADrawingControl, ACanvas->Canvas(), ADrawNC);
  }
  if (!ADrawParentWithChildren) return;
  // Children are placed in the frame of ADrawingRect: window coordinates
  // with the non-client area, else client coordinates.
  const TPoint frame = ADrawNC ? clientOffset(wnd) : TPoint{0, 0};
  std::vector<win::HWND> painted;
  for (int i = 0; i < ADrawingControl->ControlCount(); ++i) {
    auto* child = dynamic_cast<ui::TWinControl*>(ADrawingControl->Controls(i));
    if (!child || !child->Visible() || !child->HandleAllocated()) continue;
    const win::HWND h = child->Handle();
    painted.push_back(h);
    if (contains(PaintSkipList(), h)) continue;
    const TRect bounds = windowBoundsInParent(h);
    const TPoint at{bounds.left + frame.x, bounds.top + frame.y};
    cxPaintControlTo(child, ACanvas, at, TRect{0, 0, bounds.right - bounds.left, bounds.bottom - bounds.top},
                     ADrawParentWithChildren, true);
  }
  // Plain child windows that are no controls of the list.
  for (win::HWND h = win::GetWindow(wnd, win::GW_CHILD); h; h = win::GetWindow(h, win::GW_HWNDNEXT)) {
    if (contains(painted, h) || contains(PaintSkipList(), h) || !win::IsWindowVisible(h)) continue;
    const TRect bounds = windowBoundsInParent(h);
    moveWindowOrg(dc, bounds.left + frame.x, bounds.top + frame.y);
    cxPrintWindow(h, dc);
    moveWindowOrg(dc, -(bounds.left + frame.x), -(bounds.top + frame.y));
  }
}

void cxPaintTo(ui::TWinControl* ASourceControl, TcxCanvas* ADestinationCanvas, const TPoint& ADestinationPoint,
               const TRect& ASourceRect, const std::vector<win::HWND>* ASkipList) {
  std::vector<win::HWND>& skip = PaintSkipList();
  const std::size_t before = skip.size();
  if (ASkipList) skip.insert(skip.end(), ASkipList->begin(), ASkipList->end());
  rtl::ScopeExit restore([&] { skip.resize(before); });
  cxPaintControlTo(ASourceControl, ADestinationCanvas, ADestinationPoint, ASourceRect, true, true);
}

void cxPaintToBitmap(ui::TWinControl* AControl, TcxBitmap* ABitmap, bool ADrawNCArea) {
  if (!AControl || !AControl->HandleAllocated()) return;
  const win::HWND wnd = AControl->Handle();
  win::RECT window{};
  win::GetWindowRect(wnd, &window);
  const TPoint offset = clientOffset(wnd);
  const TPoint at = ADrawNCArea ? TPoint{0, 0} : TPoint{-offset.x, -offset.y};
  cxPaintTo(AControl, ABitmap->cxCanvas(), at,
            TRect{0, 0, window.right - window.left, window.bottom - window.top});
}

void cxDrawTransparentControlBackground(ui::TWinControl* AControl, TcxCanvas* ACanvas, const TRect& ARect,
                                        const TPoint& ADestinationPoint, bool APaintParentWithChildren) {
  ui::TWinControl* parent = AControl ? AControl->Parent() : nullptr;
  if (!parent) return;
  if (std::find(FLockList.begin(), FLockList.end(), parent) != FLockList.end()) return;
  FLockList.push_back(parent);
  const win::HWND self = AControl->HandleAllocated() ? AControl->Handle() : nullptr;
  if (self) PaintSkipList().push_back(self);
  rtl::ScopeExit unlock([&] {
    removeOne(FLockList, parent);
    if (self) removeOne(PaintSkipList(), self);
  });
  // ARect in the parent's client coordinates.
  const TRect bounds = AControl->BoundsRect();
  const TRect inParent{ARect.left + bounds.left, ARect.top + bounds.top, ARect.right + bounds.left,
                       ARect.bottom + bounds.top};
  cxPaintControlTo(parent, ACanvas, ADestinationPoint, inParent, APaintParentWithChildren, false);
}

void cxDrawTransparentControlBackground(ui::TWinControl* AControl, TcxCanvas* ACanvas, const TRect& ARect,
                                        bool APaintParentWithChildren) {
  cxDrawTransparentControlBackground(AControl, ACanvas, ARect, TPoint{ARect.left, ARect.top},
                                     APaintParentWithChildren);
}

void cxDrawThemeParentBackground(ui::TWinControl* AControl, TcxCanvas* ACanvas, const TRect& ARect) {
  if (!IsThemeLibraryLoaded()) {
    cxDrawTransparentControlBackground(AControl, ACanvas, ARect, false);
    return;
  }
  const win::RECT r{ARect.left, ARect.top, ARect.right, ARect.bottom};
  DrawThemeParentBackground(AControl->Handle(), ACanvas->Handle(), &r);
}

}  // namespace core
