#pragma once
// The headless backend: a virtual screen of 1280 x 1024 at 96 DPI with one
// monitor whose work area leaves a 40-pixel task bar at the bottom, an
// in-memory clipboard, and input injection that produces the same native
// events the X11 backend produces. Tests, CI and machines without a display
// use it.
//
// In a test:
//   win::headless::HeadlessScope screen;     // fresh headless window system
//   rtl::TestClockScope time;
//   ... create windows ...
//   screen.Click(100, 100);                  // pointer events at screen points
//   win::headless::ProcessMessages();        // dispatch what is queued
//   EXPECT_GOLDEN(screen.Screenshot(hwnd), "win", "form");
#include <deque>
#include <filesystem>
#include <functional>
#include <memory>

#include "platform/gdi/surface.h"
#include "platform/win/backend.h"

namespace win::headless {

constexpr int kScreenWidth = 1280;
constexpr int kScreenHeight = 1024;
constexpr int kTaskBarHeight = 40;

class HeadlessBackend;

// Creates a headless backend (not installed).
std::unique_ptr<Backend> CreateHeadlessBackend();

// ---- input injection -----------------------------------------------------------
// Each call pushes one native event into the window system at once (the
// messages it causes wait in the queue until the loop runs). Pointer events
// go to the window under the point, or to the capture.
void MouseMove(int x, int y);
void MouseDown(MouseButton button, int x, int y);
void MouseUp(MouseButton button, int x, int y);
// Move, down and up at one point.
void Click(int x, int y, MouseButton button = MouseButton::Left);
void Wheel(int delta, int x, int y, bool horizontal = false);
// `text` is what the key types; empty: the US layout's text for `vk` with the
// current Shift state (letters, digits, space, Enter, Tab, Backspace, Esc).
void KeyDown(UINT vk, const rtl::String& text = {}, bool repeat = false);
void KeyDown(UINT vk, const char16_t* text);
void KeyUp(UINT vk);
// A dead key: its accent comes as WM_DEADCHAR; the next key's text is what
// the display composed (KeyDown with the composed text).
void DeadKeyDown(UINT vk, const rtl::String& accent);
// Key down and up.
void PressKey(UINT vk, const rtl::String& text = {});
// Types each character as a key press (virtual key from the US layout).
void TypeText(const rtl::String& text);
// The display gives the focus to `hwnd` (a top-level), or takes it away.
void FocusIn(HWND hwnd);
void FocusOut(HWND hwnd);
// The close button of `hwnd`.
void CloseRequest(HWND hwnd);

// Dispatches queued messages, hand-overs, due timers and pending paints
// until nothing is left (a bounded number of rounds). Returns the number of
// messages dispatched.
int ProcessMessages();

// ---- pictures -----------------------------------------------------------------
// The window's composed surface (the whole window, children included); null:
// the screen with every visible top-level window in z-order over the desktop
// colour. Layered windows are composed with their alpha and colour key over
// what lies beneath (a window alone: over the desktop colour). Pending
// paints are done first.
gdi::ImageBGRA Screenshot(HWND hwnd = nullptr);
void SaveScreenshot(HWND hwnd, const std::filesystem::path& pngFile);

// What was presented to the (virtual) display so far for a window: the
// number of Present calls and the rectangle of the last one.
struct PresentStats {
  int calls = 0;
  RECT lastDirty{};
};
PresentStats PresentStatsFor(HWND hwnd);

// ---- message boxes ------------------------------------------------------------
// Tests queue the answers (IDOK, IDYES...) message boxes give, in order. A
// box without a queued answer answers its default button at once and writes
// its caption and text to standard error, as outside tests. The box runs
// its modal loop (hand-overs, timers, messages) until `closeWhen` returns
// true (checked before each wait; null: answer after serving what is
// pending now), then answers.
void QueueMessageBoxAnswer(int answer, std::function<bool()> closeWhen = {});
// Caption and text of every box shown since the last call (tests check them).
struct ShownMessageBox {
  HWND owner = nullptr;
  rtl::String caption;
  rtl::String text;
  UINT type = 0;
  int answer = 0;
};
std::deque<ShownMessageBox> TakeShownMessageBoxes();

// ---- the scope tests use ---------------------------------------------------------
// Installs a fresh headless backend and a clean window system (no windows,
// classes, timers, hooks, queued messages, focus or capture) for the life of
// the object; at the end destroys every window left and cleans up again. The
// headless backend stays installed.
class HeadlessScope {
 public:
  HeadlessScope();
  ~HeadlessScope();
  HeadlessScope(const HeadlessScope&) = delete;
  HeadlessScope& operator=(const HeadlessScope&) = delete;

  void MouseMove(int x, int y) { headless::MouseMove(x, y); }
  void Click(int x, int y, MouseButton button = MouseButton::Left) { headless::Click(x, y, button); }
  gdi::ImageBGRA Screenshot(HWND hwnd = nullptr) { return headless::Screenshot(hwnd); }
  int ProcessMessages() { return headless::ProcessMessages(); }
};

}  // namespace win::headless
