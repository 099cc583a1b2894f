#pragma once
// The window system's own state, shared by its source files. Main thread
// only, except the posted-message queue (guarded by its mutex).
#include <atomic>
#include <type_traits>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <unordered_map>
#include <vector>

#include "platform/gdi/surface.h"
#include "platform/rtl/mainloop.h"
#include "platform/rtl/types.h"
#include "platform/win/backend.h"
#include "platform/win/clipboard.h"
#include "platform/win/input.h"
#include "platform/win/message_loop.h"
#include "platform/win/paint.h"
#include "platform/win/system.h"
#include "platform/win/window.h"

namespace win::impl {

using rtl::Int64;
using rtl::String;

struct WindowClass {
  String name;  // as registered
  WNDCLASSEXW wc{};
  std::vector<std::uint8_t> extra;
  int windows = 0;
};

struct Window {
  HWND handle = nullptr;
  std::shared_ptr<WindowClass> cls;
  WNDPROC proc = nullptr;
  DWORD style = 0;
  DWORD exStyle = 0;
  Window* parent = nullptr;  // null for top-level windows
  Window* owner = nullptr;   // top-level windows only
  std::vector<Window*> children;  // z-order, topmost first
  RECT rect{};    // window rectangle: parent's client coordinates (screen for top-level)
  RECT client{};  // client rectangle in window coordinates
  String text;
  LONG_PTR id = 0;
  LONG_PTR userData = 0;
  HINSTANCE instance = nullptr;
  std::vector<std::uint8_t> extra;
  std::map<String, HANDLE> props;
  HRGN windowRgn = nullptr;  // window coordinates, owned

  // The standard scroll bars' state ([SB_HORZ], [SB_VERT]); see scrollinfo.cpp.
  struct ScrollBarState {
    int min = 0;
    int max = 0;
    UINT page = 0;
    int pos = 0;
    int trackPos = 0;       // where a dragged thumb is (GetScrollInfo SIF_TRACKPOS)
    bool tracking = false;  // the thumb is being dragged: the frame draws it at trackPos
    bool given = false;     // values were set (GetScrollInfo answers)
    bool disabled = false;  // greyed: EnableScrollBar or SIF_DISABLENOSCROLL
  } scroll[2];

  // Paint state: update region in client coordinates.
  HRGN update = nullptr;
  bool erasePending = false;
  bool framePending = false;
  bool internalPaint = false;
  bool redraw = true;  // WM_SETREDRAW

  // Life.
  bool destroying = false;   // DestroyWindow has begun
  bool dead = false;         // handle no longer valid
  bool created = false;      // WM_CREATE answered
  bool minimized = false;
  bool maximized = false;

  // Top-level windows: the composed surface and what of it is not yet shown.
  std::unique_ptr<gdi::ImageBGRA> surface;
  RECT dirty{};
  bool hasNative = false;
  BYTE alpha = 255;
  NativeTransparency transparency;  // layered windows
  bool layeredContents = false;     // UpdateLayeredWindow gave the pixels: no painting
  HWND lastActivePopup = nullptr;
  bool messageOnly = false;

  bool isChild() const { return (style & WS_CHILD) != 0 && parent != nullptr; }
  int width() const { return rect.right - rect.left; }
  int height() const { return rect.bottom - rect.top; }
};

// A posted message or queued input.
struct QueuedMessage {
  std::uint64_t serial = 0;
  MSG msg{};
  // Input not yet routed (mouse/keys from the backend): routed at retrieval.
  bool raw = false;
  NativeEvent event;
};

struct TimerRec {
  HWND hwnd = nullptr;
  UINT_PTR id = 0;
  TIMERPROC proc = nullptr;
  rtl::TTimerID rtlId = 0;
  bool due = false;
  UINT interval = 0;
};

struct HookRec {
  HHOOK handle = nullptr;
  int kind = 0;
  HOOKPROC proc = nullptr;
  bool removed = false;
};

struct DCRec {
  HWND hwnd = nullptr;
  Window* top = nullptr;
  RECT surfaceBounds{};  // where it may draw, on the top-level surface
  bool paint = false;
  bool caretHidden = false;
};

struct CaretState {
  HWND owner = nullptr;
  int width = 0;
  int height = 0;
  POINT pos{};
  int hideCount = 1;   // shown when 0
  bool drawn = false;  // inverted on the surface now
  rtl::TTimerID blinkTimer = 0;
  bool blinkOn = true;
  int paintDCs = 0;  // DCs open on the owner's top-level window: the caret waits
  HBITMAP bitmap = nullptr;
};

struct CursorRec {
  UINT systemId = 0;
  std::unique_ptr<gdi::ImageBGRA> image;
  POINT hotspot{};
  bool icon = false;
  bool shared = false;
  HBITMAP mask = nullptr;
  HBITMAP color = nullptr;
};

struct State {
  // Windows.
  std::unordered_map<std::uintptr_t, std::shared_ptr<Window>> windows;
  std::uintptr_t nextHandle = 0x10010;
  std::vector<Window*> topLevels;  // z-order, topmost first
  std::map<String, std::shared_ptr<WindowClass>> classes;  // key: upper-case name
  ATOM nextAtom = 0xC000;

  // Queue (main thread's). Posted messages may come from any thread.
  std::mutex queueMutex;
  std::deque<MSG> posted;
  std::deque<QueuedMessage> input;
  std::uint64_t nextInputSerial = 1;
  bool quitPosted = false;
  int quitCode = 0;
  MSG lastMsg{};

  // Timers.
  std::vector<TimerRec> timers;
  UINT_PTR nextTimerId = 1;

  // Hooks, newest first per kind.
  std::vector<std::shared_ptr<HookRec>> hooks;
  std::uintptr_t nextHook = 0x100;

  // Registered messages and clipboard formats share one atom space.
  std::map<String, UINT> registeredNames;  // key: upper-case name
  std::map<UINT, String> registeredById;
  UINT nextRegistered = 0xC000;

  // DCs handed out by GetDC/BeginPaint.
  std::unordered_map<HDC, DCRec> dcs;

  // Input state.
  HWND capture = nullptr;
  HWND focus = nullptr;
  HWND active = nullptr;
  bool appActive = false;
  BYTE keyState[256]{};       // as of the message being handled
  BYTE asyncKeyState[256]{};  // as the display told
  POINT cursorPos{};  // main thread; set it through setCursorPos
  std::atomic<std::uint64_t> cursorPacked{0};  // the same, for posts from other threads
  HWND lastMouseWindow = nullptr;
  LRESULT lastHit = HTNOWHERE;
  struct Click {
    HWND hwnd = nullptr;
    UINT button = 0;
    Int64 timeMs = -1000000;
    POINT pt{};
  } lastClick;
  UINT doubleClickTime = 500;
  bool swapButtons = false;
  struct Tracking {
    HWND hwnd = nullptr;
    DWORD flags = 0;
    DWORD hoverTime = 400;
    POINT hoverStart{};
    rtl::TTimerID hoverTimer = 0;
    bool nonClient = false;
  } tracking;
  HCURSOR cursor = nullptr;
  int cursorCount = 0;
  std::unordered_map<std::uintptr_t, std::unique_ptr<CursorRec>> cursors;
  std::uintptr_t nextCursor = 0x20000;
  CaretState caret;
  struct KeyText {
    LPARAM lParam;
    WPARAM vk;
    DWORD time;
    String text;
    bool dead;
  };
  std::deque<KeyText> keyTexts;
  bool altUsed = false;  // another key went down while Alt was held

  // Backend.
  std::unique_ptr<Backend> backend;
  bool backendStarted = false;

  // Sending.
  int sendDepthFromOtherThread = 0;

  // Dispatch exception handler.
  ExceptionHandler exceptionHandler;

  // Message boxes.
  MessageBoxProvider messageBoxProvider;

  DWORD lastError = 0;
};

State& state();
void requireMainThread(const char* what);

// ---- windows ----------------------------------------------------------------------------
Window* find(HWND hwnd);  // null for invalid or dead handles
std::shared_ptr<Window> keep(Window* w);
Window* topLevelOf(Window* w);
// Window rectangle / client rectangle in the top-level's surface coordinates.
RECT windowRectInTop(Window* w);
RECT clientRectInTop(Window* w);
// Screen coordinates of the client origin / window origin.
POINT clientOriginOnScreen(Window* w);
POINT windowOriginOnScreen(Window* w);
bool isVisible(Window* w);  // it and its parents have WS_VISIBLE
LRESULT send(Window* w, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT callProc(Window* w, WNDPROC proc, UINT msg, WPARAM wParam, LPARAM lParam);
void computeClient(Window* w, bool send);  // WM_NCCALCSIZE
RECT defaultClient(const Window* w);
void nonClientMetrics(DWORD style, DWORD exStyle, RECT* insets, int* caption);
MINMAXINFO defaultMinMaxInfo();

// ---- backend ------------------------------------------------------------------------------
Backend& backend();
NativeWindowParams nativeParams(Window* w);
void syncNative(Window* w);  // creates or updates the native window of a top-level

// ---- paint --------------------------------------------------------------------------------
void ensureSurface(Window* top);
void addDirty(Window* top, const RECT& rc);
void presentDirty();
bool needsPaint(Window* w);
Window* findWindowToPaint();
void invalidateWindowArea(Window* w, const RECT* clientRc, bool erase, bool frame);
void releasePaintState(Window* w);
// The visible region of `w` in top-level surface coordinates (new HRGN).
HRGN visibleRegion(Window* w, bool client, bool clipChildren, bool clipSiblings);
// `active`: -1 as the window is, 0/1 to draw it inactive/active.
void drawNonClient(Window* w, HDC dc, int active = -1);
// The standard scroll bars inside `inner` (window coordinates, the frame
// already taken off) and a click on them (WM_NCLBUTTONDOWN at HTHSCROLL or
// HTVSCROLL): the scroll requests to the window (scrollinfo.cpp).
void drawScrollBars(Window* w, HDC dc, const RECT& inner);
void scrollBarClick(Window* w, WPARAM hit, LPARAM screenPoint);
// The modal loops of a pressed mouse button (moving, sizing, a dragged
// scroll-bar thumb): with the capture on `w`, each mouse move's screen point
// goes to `onMove` until the button is released, the capture is lost or the
// window dies; other messages are dispatched, keys are swallowed. True when
// Esc ended it. The caller sets and releases the capture.
bool trackPressedMouse(Window* w, void (*onMove)(void* context, POINT screen), void* context);
template <class F>
bool trackPressedMouse(Window* w, F&& onMove) {
  return trackPressedMouse(
      w, [](void* c, POINT p) { (*static_cast<std::remove_reference_t<F>*>(c))(p); }, &onMove);
}
LRESULT defaultErase(Window* w, HDC dc);
bool findWindowToPaintNoSideEffects();
void paintFrameNow(Window* w);
// Drops what a top-level had as a layered window (alpha, key, given pixels)
// and paints it anew.
void resetLayered(Window* w);

// ---- input --------------------------------------------------------------------------------
// `hooks` false: a silent first look (the hooks see the message once).
bool routeRawInput(QueuedMessage& q, MSG* out, bool remove, bool hooks = true);
void onWindowGone(Window* w);  // capture, focus, active, tracking, caret
void activate(Window* top, WORD how, bool setFocus);
void deactivateApp();
// A hidden or departing active top-level hands the activation to its owner
// or to the first top-level that could take it; with none the application
// goes inactive.
void passActivationOn(Window* leaving);
void caretHideForPaint(Window* top);
void caretRestoreAfterPaint(Window* top);
void applyKeyState(const MSG& msg);
void pushNative(const NativeEvent& e);
void setCursorPos(POINT p);
POINT cursorPosAnyThread();

// ---- timers and hooks -----------------------------------------------------------------------
void killWindowTimers(HWND hwnd);
LRESULT callHooks(int kind, int code, WPARAM wParam, LPARAM lParam, bool* any = nullptr);
bool hasHooks(int kind);

// ---- clipboard, cursors --------------------------------------------------------------------
void resetClipboard();
void resetCursors();
CursorRec* findCursor(HCURSOR c);
void applyCursor(Window* top);

// ---- loop ------------------------------------------------------------------------------------
void dispatchGuarded(const std::function<void()>& fn);
bool postedOrInputWaiting();
String upper(const String& s);
String fromPtr(LPCWSTR s);
DWORD nowMs();

// Resets everything (tests): destroys every window, drops timers, hooks,
// classes stay.
void resetAll();

}  // namespace win::impl
