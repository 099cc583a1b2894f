#pragma once
// Small questions about windows, keys, characters, the mouse and the
// desktop that every control asks: which window lies under a point, whether
// a key is a system key, whether a character starts editing, which side of
// a rectangle a point is on, how to keep a rectangle on the screen. They
// depend on nothing of the control classes.
#include "lib/core/cxGeometry.h"
#include "platform/rtl/object.h"
#include "platform/rtl/types.h"
#include "platform/rtl/ustring.h"
#include "platform/ui/shortcuts.h"
#include "platform/win/types.h"

namespace rtl {
class TComponent;
class TPersistent;
}  // namespace rtl
namespace ui {
class TControl;
class TWinControl;
class TCustomForm;
}  // namespace ui

namespace core {

enum class TcxPosition { posNone, posLeft, posRight, posTop, posBottom };
enum class TcxNumberType { ntInteger, ntFloat, ntExponent };

// --- keys, characters and the mouse ---------------------------------------------------------
// The character the key types with the current keyboard state; #0 unless
// exactly one character results.
char16_t GetCharFromKeyCode(rtl::Word key);
// Mouse buttons and modifiers as message key flags (MK_*), asynchronous state.
win::WPARAM GetMouseKeys();
win::WPARAM ShiftStateToKeys(ui::TShiftState shift);
int GetDblClickInterval();
bool IsCtrlPressed();
bool cxShiftStateMoveOnly(ui::TShiftState shift);
bool cxShiftStateLeftOnly(ui::TShiftState shift, bool canIncludeDoubleClick = false);
bool IsTextChar(char16_t c);
bool IsEditStartChar(char16_t c);
bool IsIncSearchStartChar(char16_t c);
bool IsNumericChar(char16_t c, TcxNumberType type);
bool IsSysKey(rtl::Word key);
rtl::Word TranslateKey(rtl::Word key);
// The cursor position; cxInvalidPoint when it cannot be read.
TPoint GetMouseCursorPos();
// How the cursor position is read; tests replace it to make it fail. Null
// restores the window system's.
using TdxCursorPosQuery = win::BOOL (*)(win::POINT* pt);
void dxSetCursorPosQuery(TdxCursorPosQuery query);
// The distance the mouse must travel before a press becomes a drag.
int dxGetDragThreshold();
bool IsPointInDragDetectArea(const TPoint& mouseDownPos, int x, int y);

// --- windows and controls -------------------------------------------------------------------
bool IsChildClassWindow(win::HWND wnd);
bool IsChildEx(win::HWND parentWnd, win::HWND wnd);
bool IsWindowEnabledEx(win::HWND wnd);
bool IsControlVisible(ui::TWinControl* control);
bool cxIsParentFocused(win::HWND parent);
ui::TWinControl* cxFindVCLControl(win::HWND wnd);
ui::TWinControl* dxFindParentControl(win::HWND wnd);
ui::TCustomForm* dxGetParentForm(win::HWND wnd);
ui::TCustomForm* dxGetScreenActiveForm();
rtl::TComponent* cxFindComponent(rtl::TComponent* parent, rtl::TClass cls);
rtl::String cxGetFullComponentName(rtl::TComponent* component);
TPoint cxClientToParent(ui::TControl* control, const TPoint& p, ui::TWinControl* parent);
void dxPerformMessageByQueue(ui::TControl* control, win::UINT msg);
void cxRecreateControlWnd(ui::TWinControl* control, bool post = false);

// --- coordinates and rectangles -------------------------------------------------------------
TPoint cxClientToScreen(win::HWND wnd, const TPoint& p);
TRect cxGetClientRect(win::HWND wnd);
TRect cxGetWindowRect(win::HWND wnd);
TRect cxGetWindowRect(ui::TWinControl* control);
TRect cxGetWindowBounds(win::HWND wnd);
TRect cxGetWindowBounds(ui::TWinControl* control);
TPoint cxGetClientOffset(win::HWND wnd);
TPoint dxMapWindowPoint(win::HWND from, win::HWND to, const TPoint& p, bool client = true);
TRect dxMapWindowRect(win::HWND from, win::HWND to, const TRect& r, bool client = true);
TRect GetDesktopWorkArea(const TPoint& p);
TRect GetMonitorWorkArea(win::HMONITOR monitor);
void MakeVisibleOnDesktop(TRect& bounds, const TPoint& desktopPoint);
// The deepest visible child window under a screen point; null when none.
win::HWND cxWindowFromPoint(const TPoint& p);
TcxPosition GetPointPosition(const TRect& rect, const TPoint& p, bool horzSeparation, bool vertSeparation);

// --- painting and order ---------------------------------------------------------------------
void cxInvalidateRect(win::HWND wnd, const TRect& r, bool eraseBackground = true);
void cxInvalidateRect(win::HWND wnd, bool eraseBackground = true);
void cxInvalidateRect(ui::TWinControl* control, const TRect& r, bool eraseBackground = true);
void cxInvalidateRect(ui::TWinControl* control, bool eraseBackground = true);
void cxRedrawWindow(win::HWND wnd, win::UINT flags);
void cxRedrawWindow(win::HWND wnd, const TRect& r, bool eraseBackground = true, bool redrawNC = false);
void dxSetZOrder(win::HWND wnd, win::HWND wndAfter, bool activate = false, win::UINT flags = 0);

// --- text and design time -------------------------------------------------------------------
// Drops every "&" and keeps the character after it ("&&" gives "&"); a last
// "&" becomes "_" when asked, and is dropped otherwise.
rtl::String RemoveAccelChars(const rtl::String& s, bool appendTerminatingUnderscore = true);
// Tells the designer that the form was modified; only components in design
// that are neither loading, writing nor being destroyed count. There is no
// designer at run time, so nothing happens unless one is installed.
using TdxDesignerModifiedProc = void (*)(rtl::TComponent* root);
void dxSetDesignerModifiedProc(TdxDesignerModifiedProc proc);
void SetDesignerModified(rtl::TPersistent* persistent);

}  // namespace core
