#pragma once
// The seam between the in-process window system and the native display.
//
// Every window lives in the window system; only top-level windows (no
// WS_CHILD) get a native counterpart, identified by their HWND. Children are
// composed into their top-level's 32-bit surface by the window system, which
// hands dirty rectangles of that surface to Present. The backend feeds what
// happens on the display back as NativeEvents through the sink given to
// Start; the window system turns them into window messages.
//
// Coordinates: screen coordinates are virtual-desktop pixels (origin at the
// primary monitor's top-left); a native window's rectangle is its whole
// outer rectangle as the window system sees it (our own non-client area is
// part of the surface, so the display adds no decoration of its own unless
// `decorated`).
//
// All calls happen on the main thread. Backends: headless (headless.h,
// always there) and X11 (platform/win/x11/, built when the platform has it:
// the build then defines INTEGRADOR_WIN_X11 and the X11 files define
// CreateX11Backend below).
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/gdi/surface.h"
#include "platform/rtl/types.h"
#include "platform/win/types.h"

namespace win {

// ---- events the backend pushes --------------------------------------------------
enum class NativeEventType {
  MouseMove,   // pointer moved; `screen`
  MouseDown,   // `button` pressed at `screen`
  MouseUp,     // `button` released at `screen`
  MouseWheel,  // `wheelDelta` at `screen`; `horizontal` for a tilt wheel
  MouseLeave,  // the pointer left every native window of ours (X11 LeaveNotify)
  KeyDown,     // `vk`, `scanCode`, `extended`, `repeat`, `text`
  KeyUp,       // `vk`, `scanCode`, `extended`
  FocusIn,     // `window` got the keyboard focus of the display
  FocusOut,    // `window` lost it (to a window that is not ours, or to null)
  Expose,      // `rect` (window coordinates) of `window` must be shown again
  Configure,   // `window` was moved or resized by the display: `rect` (screen)
  Close,       // the display's close request for `window` (close button)
};

enum class MouseButton { Left, Right, Middle, X1, X2 };

struct NativeEvent {
  NativeEventType type = NativeEventType::MouseMove;
  // The top-level window the display delivered the event to; null when it
  // is not known (headless injection of pointer events: the window system
  // finds the window under `screen`).
  HWND window = nullptr;
  POINT screen{};                        // pointer events: position on the screen
  MouseButton button = MouseButton::Left;
  int wheelDelta = 0;                    // multiples of 120; positive away from the user / right
  bool horizontal = false;
  UINT vk = 0;                           // virtual key (VK_*; 'A'..'Z', '0'..'9')
  UINT scanCode = 0;                     // set-1 scan code
  bool extended = false;                 // extended-key flag (right Ctrl, arrows off the keypad...)
  bool repeat = false;                   // auto-repeat of a key already down
  rtl::String text;                      // KeyDown: the characters the key types (may be empty)
  bool deadKey = false;                  // KeyDown: `text` is a dead key's accent, not typed yet
  RECT rect{};                           // Expose: window coordinates; Configure: screen
  rtl::Int64 timeMs = -1;                // monotonic ms of the one clock; -1: now
};

// The window system implements this; the backend calls it for each event,
// in order, on the main thread.
class NativeEventSink {
 public:
  virtual ~NativeEventSink() = default;
  virtual void PushNativeEvent(const NativeEvent& event) = 0;
};

// ---- native top-level windows ----------------------------------------------------
struct NativeWindowParams {
  HWND hwnd = nullptr;
  rtl::String title;
  RECT rect{};               // outer rectangle, screen coordinates
  bool visible = false;
  bool topmost = false;      // WS_EX_TOPMOST
  bool popup = false;        // menus, drop-downs, hints: override-redirect on X11
  bool noTaskbar = false;    // WS_EX_TOOLWINDOW or owned windows
  bool decorated = false;    // the display may frame it (always false today: we draw our frame)
  HWND owner = nullptr;      // top-level owner (transient-for), or null
  bool dialog = false;       // a modal or owned dialog (window-manager hint)
};

// Per-pixel alpha and colour key of a layered window.
struct NativeTransparency {
  bool perPixelAlpha = false;
  bool colorKey = false;
  COLORREF key = 0;  // when `colorKey`
  friend bool operator==(const NativeTransparency&, const NativeTransparency&) = default;
};

// A cursor shape: one of the system cursors (IDC_* numbers: 32512 arrow...)
// or an image with its hot spot. `hidden` when ShowCursor's count is < 0.
struct NativeCursor {
  UINT systemId = 0;                    // IDC_* value, 0 for an image cursor
  const gdi::ImageBGRA* image = nullptr; // straight alpha; valid during the call
  POINT hotspot{};
  bool hidden = false;
};

struct MonitorDesc {
  RECT monitor{};  // screen coordinates
  RECT work{};     // the monitor less task bars and docks
  bool primary = false;
  rtl::String name;  // "\\.\DISPLAY1" style name
};

// Clipboard formats cross the seam by number for the standard ones (CF_TEXT,
// CF_UNICODETEXT, CF_DIB...) and by name for registered ones ("Rich Text
// Format", "PNG"). Data are the bytes as the platform keeps them in global
// memory (CF_UNICODETEXT: UTF-16LE with its terminating zero).
struct ClipboardFormatId {
  UINT standard = 0;     // CF_* value, 0 for a registered format
  rtl::String name;      // registered name when standard == 0
  friend bool operator==(const ClipboardFormatId&, const ClipboardFormatId&) = default;
};
struct ClipboardItem {
  ClipboardFormatId format;
  std::vector<std::uint8_t> data;
};

class Backend {
 public:
  virtual ~Backend() = default;
  virtual std::string Name() const = 0;  // "headless", "x11"

  // Starts delivering events to `sink` (a backend with a connection adds its
  // rtl::MainLoopSource here); Stop undoes it. The window system calls both.
  virtual void Start(NativeEventSink* sink) = 0;
  virtual void Stop() = 0;

  // Top-level windows. A window is created hidden or visible as `params`
  // says; the other calls change one aspect of it.
  virtual void CreateNativeWindow(const NativeWindowParams& params) = 0;
  virtual void DestroyNativeWindow(HWND hwnd) = 0;
  virtual void SetNativeTitle(HWND hwnd, const rtl::String& title) = 0;
  virtual void SetNativeRect(HWND hwnd, const RECT& screenRect) = 0;
  // `activate`: also give it the display's focus (ShowWindow without NA).
  virtual void ShowNativeWindow(HWND hwnd, bool visible, bool activate) = 0;
  virtual void SetNativeTopmost(HWND hwnd, bool topmost) = 0;
  virtual void SetNativeOwner(HWND hwnd, HWND owner) = 0;
  // Raises the window above its siblings of the display and (activate) asks
  // for the focus.
  virtual void RaiseNativeWindow(HWND hwnd, bool activate) = 0;
  // The window's shape in window coordinates; null: the whole rectangle.
  // The region is only read during the call.
  virtual void SetNativeShape(HWND hwnd, HRGN region) = 0;
  // Constant opacity of a layered window (255: opaque).
  virtual void SetNativeOpacity(HWND hwnd, BYTE alpha) { (void)hwnd; (void)alpha; }
  // The rest of a layered window's transparency: Present's surface then
  // carries premultiplied alpha (`perPixelAlpha`), and pixels of the colour
  // key show what lies beneath. Backends that cannot show it keep the
  // window opaque.
  virtual void SetNativeTransparency(HWND hwnd, const NativeTransparency& transparency) {
    (void)hwnd;
    (void)transparency;
  }

  // Shows `dirty` (window coordinates, already clipped to the surface) of
  // the window's surface. The surface is the whole window, read only during
  // the call; its alpha byte is ignored except for per-pixel-alpha windows.
  virtual void Present(HWND hwnd, const gdi::Surface& surface, const RECT& dirty) = 0;

  // The cursor shown over `hwnd` (a top-level window).
  virtual void SetNativeCursor(HWND hwnd, const NativeCursor& cursor) = 0;
  // Moves the pointer (SetCursorPos).
  virtual void WarpPointer(POINT screen) = 0;
  // Where the pointer is now, when the display can tell; false otherwise
  // (the window system then answers the last position it was told).
  virtual bool QueryPointer(POINT* screen) { (void)screen; return false; }
  // Sends all pointer events to `hwnd` until UngrabPointer (popups, drags).
  virtual bool GrabPointer(HWND hwnd) = 0;
  virtual void UngrabPointer() = 0;

  // Screen geometry: every monitor, the primary first.
  virtual std::vector<MonitorDesc> Monitors() = 0;

  // The display's clipboard. Set replaces the whole content; the formats
  // list what can be read now.
  virtual void SetClipboard(const std::vector<ClipboardItem>& items) = 0;
  virtual std::vector<ClipboardFormatId> ClipboardFormats() = 0;
  virtual bool GetClipboard(const ClipboardFormatId& format, std::vector<std::uint8_t>* data) = 0;

  virtual void Beep() {}
};

// The backend in use (null before one is installed). The window system
// installs the chosen backend lazily at its first use of the display.
Backend* CurrentBackend();
// Installs `backend` (stopping and dropping the old one). Windows that exist
// keep their state; use it before any window is created.
void SetBackend(std::unique_ptr<Backend> backend);
// The program's choice: X11 when $DISPLAY is set, the X11 backend is built
// and its display opens; headless otherwise. INTEGRADOR_BACKEND=headless
// forces headless.
std::unique_ptr<Backend> CreateDefaultBackend();

// Defined by the X11 backend (called only when the build has it, i.e. with
// INTEGRADOR_WIN_X11); null when the display cannot be opened.
std::unique_ptr<Backend> CreateX11Backend();

}  // namespace win
