#pragma once
// Hints: the small yellow window that names what lies under the pointer, and
// what the application needs to show one (the hint information record, the
// event that may change it, the class of window that shows it).
//
// The application watches the mouse messages every control gets: resting on
// a control that has a hint (and shows hints) for HintPause ms shows it below
// the pointer; it goes after HintHidePause ms, on a button press or when the
// pointer leaves the control's cursor rectangle. Moving on to the next control
// soon after a hint was visible waits only HintShortPause ms.
#include "platform/ui/controls.h"

namespace ui {

class THintWindow;
using THintWindowClass = rtl::ClassRef<THintWindow>;

// What the application is about to show; CM_HINTSHOW (lParam: a pointer to
// it; answer nonzero to refuse) and OnShowHint may change any field.
struct THintInfo {
  TControl* HintControl = nullptr;
  THintWindowClass HintWindowClass;
  TPoint HintPos{};        // screen: top-left of the window
  int HintMaxWidth = 0;    // text wider than this wraps
  TColor HintColor = clInfoBk;
  TRect CursorRect{};      // HintControl's client coordinates: the hint lives while the pointer stays in it
  TPoint CursorPos{};      // HintControl's client coordinates
  int ReshowTimeout = 0;   // > 0: the hint is built and shown again after that many ms
  int HideTimeout = 0;     // ms; <= 0: stays until the pointer leaves or a button is pressed
  String HintStr;
  void* HintData = nullptr;
};

using TShowHintEvent = rtl::Method<void(String& hintStr, bool& canShow, THintInfo& hintInfo)>;

// A borderless-looking top-level tool window that never takes the focus.
// Shown by ActivateHint, hidden by ReleaseHandle; it is not Visible in the
// control sense (its window is shown and hidden directly).
class THintWindow : public TCustomControl {
  RTL_CLASS(THintWindow, TCustomControl)

 public:
  explicit THintWindow(rtl::TComponent* owner);

  // The window's size for `hint`, as a rectangle at (0, 0): the text wrapped
  // at `maxWidth` plus the margins.
  virtual TRect CalcHintRect(int maxWidth, const String& hint, void* data);
  // Places the window at `rect` grown by 4 pixels at the bottom (screen;
  // moved inside the work area), shows `hint` in it, on top, without taking
  // the focus.
  virtual void ActivateHint(TRect rect, const String& hint);
  virtual void ActivateHintData(const TRect& rect, const String& hint, void* data);
  // Hides the window (keeps the object).
  void ReleaseHandle();
  // True while the window is on screen.
  bool IsHintVisible();
  // Right-to-left reading; nothing else in this layer reads it.
  bool RightToLeft() const { return rightToLeft_; }
  void SetRightToLeft(bool value) { rightToLeft_ = value; }

 protected:
  void CreateParams(TCreateParams& params) override;
  void Paint() override;
  // The pointer sees through the window (HTTRANSPARENT): a hint laid over
  // the text it names never takes the mouse from the control beneath.
  void WndProc(TMessage& message) override;

 private:
  bool rightToLeft_ = false;
};

// The class the application makes its hint window of (THintWindow unless a
// program sets another).
THintWindowClass HintWindowClass();
void SetHintWindowClass(THintWindowClass value);

// The part of a hint before '|' (the status-bar text follows it).
String HintShortPart(const String& hint);

}  // namespace ui
