// The log pane: its cap, its echo, following the newest line and scrolling.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "app/forms/log_pane.h"
#include "platform/rtl/clock.h"
#include "platform/rtl/rtl.h"
#include "platform/ui/forms.h"
#include "platform/win/headless.h"
#include "tests/support/test_support.h"

namespace {

using integrador::TLogPane;
using rtl::String;

class LogPane : public testing::Test {
 protected:
  void SetUp() override {
    form_ = rtl::Create<ui::TForm>(nullptr);
    form_->SetBounds(100, 100, 400, 300);
    pane_ = rtl::Create<TLogPane>(form_);
    pane_->SetParent(form_);
    pane_->SetAlign(ui::alClient);
    form_->Show();
    win::headless::ProcessMessages();
  }
  void TearDown() override {
    if (form_) form_->Free();
    win::headless::ProcessMessages();
  }
  static String Line(int i) { return rtl::Utf8ToString("linha " + std::to_string(i)); }

  win::headless::HeadlessScope screen_;
  rtl::TestClockScope clock_;
  ui::TForm* form_ = nullptr;
  TLogPane* pane_ = nullptr;
};

TEST_F(LogPane, KeepsTheLastTenThousandLinesAndFollowsTheNewest) {
  rtl::TStrings& lines = pane_->Lines();
  const int visible = pane_->VisibleLineCount();
  ASSERT_GT(visible, 3);
  for (int i = 0; i < visible - 1; ++i) lines.Add(Line(i));
  EXPECT_EQ(pane_->TopLine(), 0);  // everything fits
  for (int i = visible - 1; i < TLogPane::kMaxLines + 5; ++i) lines.Add(Line(i));
  EXPECT_EQ(lines.Count(), TLogPane::kMaxLines);
  EXPECT_EQ(lines[0], Line(5));
  EXPECT_EQ(lines[TLogPane::kMaxLines - 1], Line(TLogPane::kMaxLines + 4));
  EXPECT_EQ(pane_->TopLine(), TLogPane::kMaxLines - visible);

  // Scrolled back, a new line brings the view to the end again.
  pane_->SetTopLine(10);
  EXPECT_EQ(pane_->TopLine(), 10);
  lines.Add(u"nova");
  EXPECT_EQ(pane_->TopLine(), TLogPane::kMaxLines - visible);
  EXPECT_EQ(lines[TLogPane::kMaxLines - 1], u"nova");

  lines.Delete(0);
  EXPECT_EQ(lines.Count(), TLogPane::kMaxLines - 1);
  EXPECT_THROW(lines.Delete(TLogPane::kMaxLines), rtl::EStringListError);
  lines.Clear();
  EXPECT_EQ(lines.Count(), 0);
  EXPECT_EQ(pane_->TopLine(), 0);
}

TEST_F(LogPane, TheWheelAndTheScrollBarMoveThroughTheLines) {
  for (int i = 0; i < 200; ++i) pane_->Lines().Add(Line(i));
  const int visible = pane_->VisibleLineCount();
  const int end = 200 - visible;
  EXPECT_EQ(pane_->TopLine(), end);
  const ui::TRect client = pane_->ClientRect();
  const ui::TPoint middle = pane_->ClientToScreen(ui::TPoint{client.right / 3, client.bottom / 2});
  win::headless::Wheel(120, middle.x, middle.y);  // one notch up: three lines
  win::headless::ProcessMessages();
  EXPECT_EQ(pane_->TopLine(), end - 3);
  // The scroll bar's upper arrow: one line; the track above the thumb: a page.
  const ui::TPoint arrow = pane_->ClientToScreen(ui::TPoint{client.right - 8, 5});
  win::headless::Click(arrow.x, arrow.y);
  win::headless::ProcessMessages();
  EXPECT_EQ(pane_->TopLine(), end - 4);
  const ui::TPoint track = pane_->ClientToScreen(ui::TPoint{client.right - 8, TLogPane::kScrollBarWidth + 4});
  win::headless::Click(track.x, track.y);
  win::headless::ProcessMessages();
  EXPECT_EQ(pane_->TopLine(), end - 4 - visible);
  // At the top the thumb sits right under the arrow; dragged to the bottom
  // it shows the end.
  pane_->SetTopLine(0);
  const ui::TPoint grip = pane_->ClientToScreen(ui::TPoint{client.right - 8, TLogPane::kScrollBarWidth + 2});
  const int below = pane_->ClientToScreen(ui::TPoint{0, client.bottom}).y + 50;
  win::headless::MouseDown(win::MouseButton::Left, grip.x, grip.y);
  win::headless::MouseMove(grip.x, below);
  win::headless::MouseUp(win::MouseButton::Left, grip.x, below);
  win::headless::ProcessMessages();
  EXPECT_EQ(pane_->TopLine(), end);
}

TEST_F(LogPane, EchoesEveryAddedLineWhenAsked) {
  testing_support::TempDir dir;
  const std::string file = (dir.path() / "out.txt").string();
  std::FILE* out = std::fopen(file.c_str(), "w");
  ASSERT_NE(out, nullptr);
  pane_->Lines().Add(u"antes");  // not echoed
  pane_->SetEcho(out);
  pane_->Lines().Add(u"08:00:00 - Iniciando consulta à Brenvik...");
  pane_->Lines().Insert(0, u"no início");
  pane_->SetEcho(nullptr);
  pane_->Lines().Add(u"depois");
  std::fclose(out);
  std::ifstream in(file);
  std::stringstream text;
  text << in.rdbuf();
  EXPECT_EQ(text.str(), "08:00:00 - Iniciando consulta à Brenvik...\nno início\n");
  EXPECT_EQ(pane_->Lines().Count(), 4);
  EXPECT_EQ(pane_->Lines()[0], u"no início");
}

TEST_F(LogPane, IsKnownAsALogTargetOnlyWhileItLives) {
  integrador::ILogLines* target = pane_;
  const integrador::TWeakHandle<integrador::ILogLines> handle = target->Handle();
  const integrador::TWeakHandle<integrador::ILogLines> copy = handle;
  EXPECT_EQ(handle.Get(), target);
  form_->Free();
  form_ = nullptr;
  EXPECT_EQ(handle.Get(), nullptr);
  EXPECT_EQ(copy.Get(), nullptr);
  EXPECT_EQ(integrador::TWeakHandle<integrador::ILogLines>().Get(), nullptr);
}

}  // namespace
