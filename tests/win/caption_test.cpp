// The caption bar we draw: the window text in the caption font, its colours
// for the active and inactive state, and the ellipsis before the buttons.
#include "platform/gdi/gdi.h"
#include "tests/support/golden.h"
#include "tests/win/recorder.h"

namespace wintest {
namespace {

std::uint32_t pixelOf(COLORREF c) {
  return (std::uint32_t(gdi::GetRValue(c)) << 16) | (std::uint32_t(gdi::GetGValue(c)) << 8) |
         std::uint32_t(gdi::GetBValue(c));
}

// Pixels of the caption bar (frame 4, caption 18 high) that are neither the
// caption colour nor part of the close button, counted per column range.
struct Ink {
  int count = 0;
  int rightmost = -1;
  int textColoured = 0;
};

Ink CaptionInk(const gdi::ImageBGRA& shot, COLORREF caption, COLORREF text, int untilX) {
  Ink ink;
  for (int y = 4; y < 4 + 18; ++y) {
    for (int x = 4; x < untilX; ++x) {
      const std::uint32_t px = shot.at(x, y) & 0xFFFFFF;
      if (px == pixelOf(caption)) continue;
      ++ink.count;
      ink.rightmost = std::max(ink.rightmost, x);
      if (px == pixelOf(text)) ++ink.textColoured;
    }
  }
  return ink;
}

class Caption : public WinTest {};

TEST_F(Caption, TheWindowTextIsDrawnInTheCaptionOfActiveAndInactiveWindows) {
  HWND back = Top("back", 20, 20, 220, 80);
  SetWindowTextW(back, u"Cadastro de clientes");
  HWND front = Top("front", 20, 120, 220, 80);
  SetWindowTextW(front, u"Pedido 1234 - Integração");
  headless::ProcessMessages();
  ASSERT_EQ(GetActiveWindow(), front);

  const gdi::ImageBGRA active = headless::Screenshot(front);
  const gdi::ImageBGRA inactive = headless::Screenshot(back);
  // The close button starts at 220 - 4 - 2 - 16 = 198.
  const Ink a = CaptionInk(active, gdi::GetSysColor(gdi::COLOR_ACTIVECAPTION),
                           gdi::GetSysColor(gdi::COLOR_CAPTIONTEXT), 198);
  const Ink i = CaptionInk(inactive, gdi::GetSysColor(gdi::COLOR_INACTIVECAPTION),
                           gdi::GetSysColor(gdi::COLOR_INACTIVECAPTIONTEXT), 198);
  EXPECT_GT(a.textColoured, 40) << "white text on the active caption";
  EXPECT_GT(i.textColoured, 40) << "the inactive caption text colour";
  EXPECT_LT(a.rightmost, 196);

  EXPECT_GOLDEN(active, "win", "caption_active", testing_support::GoldenOptions{8, 40});
  EXPECT_GOLDEN(inactive, "win", "caption_inactive", testing_support::GoldenOptions{8, 40});

  // Activation redraws the captions with the other colours.
  SetActiveWindow(back);
  headless::ProcessMessages();
  const Ink nowActive = CaptionInk(headless::Screenshot(back), gdi::GetSysColor(gdi::COLOR_ACTIVECAPTION),
                                   gdi::GetSysColor(gdi::COLOR_CAPTIONTEXT), 198);
  EXPECT_GT(nowActive.textColoured, 40);
}

TEST_F(Caption, ALongTitleEndsWithAnEllipsisBeforeTheCloseButton) {
  HWND top = Top("top", 20, 20, 160, 60);
  SetWindowTextW(top, u"Um título muito comprido que não cabe na barra de título");
  headless::ProcessMessages();
  const gdi::ImageBGRA shot = headless::Screenshot(top);
  // The close button starts at 160 - 4 - 2 - 16 = 138; the text stops 2 short.
  const Ink ink = CaptionInk(shot, gdi::GetSysColor(gdi::COLOR_ACTIVECAPTION),
                             gdi::GetSysColor(gdi::COLOR_CAPTIONTEXT), 138);
  EXPECT_GT(ink.count, 0);
  EXPECT_LT(ink.rightmost, 136);
  EXPECT_GOLDEN(shot, "win", "caption_ellipsis", testing_support::GoldenOptions{8, 40});
}

TEST_F(Caption, TextChangesRedrawTheCaptionAndAnEmptyTitleLeavesItBare) {
  HWND top = Top("top", 20, 20, 220, 80);
  SetWindowTextW(top, u"Primeiro");
  headless::ProcessMessages();
  const gdi::ImageBGRA first = headless::Screenshot(top);
  SetWindowTextW(top, u"Segundo título");
  headless::ProcessMessages();
  const gdi::ImageBGRA second = headless::Screenshot(top);
  EXPECT_NE(first, second);
  SetWindowTextW(top, u"");
  headless::ProcessMessages();
  const Ink bare = CaptionInk(headless::Screenshot(top), gdi::GetSysColor(gdi::COLOR_ACTIVECAPTION),
                              gdi::GetSysColor(gdi::COLOR_CAPTIONTEXT), 198);
  EXPECT_EQ(bare.count, 0);
}

}  // namespace
}  // namespace wintest
