#pragma once
// Painting controls (and plain child windows) into another canvas: what
// transparent controls use to draw their parent's background, and what
// drag images and previews use to picture a control.
#include <vector>

#include "lib/core/cxGraphics.h"
#include "platform/ui/controls.h"
#include "platform/win/types.h"

namespace core {

class TcxBitmap;

// Windows not painted while painting into another canvas.
std::vector<win::HWND>& PaintSkipList();

// The window prints itself into the context: client and children, plus the
// non-client area when asked and the window has one. When the context's
// window origin is moved, the window prints into a memory bitmap of its
// size which is then copied to the context at (0, 0).
void cxPrintWindow(win::HWND AWnd, gdi::HDC ADC, bool ADrawNC = true, bool ADoubleBuffered = false);
void cxPrintWindow(ui::TWinControl* AControl, ui::TCanvas* ACanvas, bool ADrawNC = true);

// Paints `ADrawingRect` of the control (window coordinates with ADrawNC,
// else client coordinates) at `ADestinatioPoint` of the canvas; with
// `ADrawParentWithChildren` its children too, except those in PaintSkipList.
void cxPaintControlTo(ui::TWinControl* ADrawingControl, TcxCanvas* ACanvas, const TPoint& ADestinatioPoint,
                      const TRect& ADrawingRect, bool ADrawParentWithChildren, bool ADrawNC);
// The same with children and non-client area, skipping `ASkipList` too.
void cxPaintTo(ui::TWinControl* ASourceControl, TcxCanvas* ADestinationCanvas, const TPoint& ADestinationPoint,
               const TRect& ASourceRect, const std::vector<win::HWND>* ASkipList = nullptr);
void cxPaintToBitmap(ui::TWinControl* AControl, TcxBitmap* ABitmap, bool ADrawNCArea = false);

// Paints the parent under `ARect` (control coordinates) at
// `ADestinationPoint`; ignored while a background paint of the same parent
// is under way, so that a parent painting its children cannot recurse.
void cxDrawTransparentControlBackground(ui::TWinControl* AControl, TcxCanvas* ACanvas, const TRect& ARect,
                                        const TPoint& ADestinationPoint, bool APaintParentWithChildren = true);
void cxDrawTransparentControlBackground(ui::TWinControl* AControl, TcxCanvas* ACanvas, const TRect& ARect,
                                        bool APaintParentWithChildren = true);
// Without a theme engine: the transparent background without children.
void cxDrawThemeParentBackground(ui::TWinControl* AControl, TcxCanvas* ACanvas, const TRect& ARect);

}  // namespace core
