#pragma once
// What the base-control tests share: a headless screen with the test clock,
// the painters and the root look-and-feel, a borderless form at the
// screen's origin to put controls on, and pointer input at a control's
// client points.
#include <gtest/gtest.h>

#include <memory>

#include "lib/lookandfeel/cxLookAndFeelPaintersManager.h"
#include "lib/lookandfeel/cxLookAndFeels.h"
#include "platform/rtl/clock.h"
#include "platform/ui/controls.h"
#include "platform/ui/forms.h"
#include "platform/win/headless.h"
#include "platform/win/win.h"

namespace lookandfeel::testing {

struct FreeObject {
  void operator()(rtl::TObject* o) const {
    if (o) o->Free();
  }
};
template <class T>
using Owned = std::unique_ptr<T, FreeObject>;

class ControlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    screen_ = std::make_unique<win::headless::HeadlessScope>();
    clock_ = std::make_unique<rtl::TestClockScope>();
    cxLookAndFeelPaintersUnitStart();
    cxLookAndFeelsUnitStart();
    ui::Application->Initialize();
    form_.reset(rtl::Create<ui::TForm>(nullptr));
    form_->SetBorderStyle(ui::bsNone);
    form_->SetBounds(0, 0, 640, 480);
    form_->Show();
    Process();
  }
  void TearDown() override {
    Process();
    form_.reset();
    cxLookAndFeelsUnitStop();
    cxLookAndFeelPaintersUnitStop();
    clock_.reset();
    screen_.reset();
  }

  // Makes a control of type T on the form at the given bounds, with a window.
  template <class T>
  T* Place(int left, int top, int width, int height) {
    T* control = rtl::Create<T>(form_.get());
    control->SetParent(form_.get());
    control->SetBounds(left, top, width, height);
    control->HandleNeeded();
    Process();
    return control;
  }

  int Process() { return win::headless::ProcessMessages(); }
  // Moves the test clock and serves the timers that fell due.
  void Advance(int ms) {
    clock_->Advance(ms);
    Process();
  }
  static win::POINT ScreenPoint(ui::TControl* control, int x, int y) {
    const ui::TPoint p = control->ClientToScreen(ui::TPoint{x, y});
    return win::POINT{p.x, p.y};
  }
  void MouseDown(ui::TControl* c, int x, int y, win::MouseButton b = win::MouseButton::Left) {
    const win::POINT p = ScreenPoint(c, x, y);
    win::headless::MouseMove(p.x, p.y);
    win::headless::MouseDown(b, p.x, p.y);
    Process();
  }
  void MouseMove(ui::TControl* c, int x, int y) {
    const win::POINT p = ScreenPoint(c, x, y);
    win::headless::MouseMove(p.x, p.y);
    Process();
  }
  void MouseUp(ui::TControl* c, int x, int y, win::MouseButton b = win::MouseButton::Left) {
    const win::POINT p = ScreenPoint(c, x, y);
    win::headless::MouseUp(b, p.x, p.y);
    Process();
  }

  ui::TForm* form() { return form_.get(); }

 private:
  std::unique_ptr<win::headless::HeadlessScope> screen_;
  std::unique_ptr<rtl::TestClockScope> clock_;
  Owned<ui::TForm> form_;
};

}  // namespace lookandfeel::testing
