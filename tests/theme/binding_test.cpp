// The library's visual-styles binding answering through our engine: the
// core's unit start installs it, the theme cache opens real parts, and the
// switch reaches the cache and its listeners through the message.
#include <gtest/gtest.h>

#include <string>

#include "lib/core/dxCore.h"
#include "lib/core/dxThemeEngine.h"
#include "lib/core/dxThemeManager.h"
#include "platform/theme/theme.h"
#include "platform/ui/forms.h"
#include "platform/win/headless.h"
#include "tests/support/dib_dc.h"

namespace core {
namespace {

class ThemeBinding : public testing::Test {
 protected:
  void SetUp() override {
    ui::Application->SetOnException(nullptr);
    dxCoreInitialization();
  }
  void TearDown() override {
    theme::SetThemesEnabled(true);
    dxSetVisualStylesProvider(nullptr);
  }
  win::headless::HeadlessScope screen;
};

TEST_F(ThemeBinding, TheUnitStartInstallsTheEngineAndTheCacheOpensItsParts) {
  EXPECT_EQ(dxVisualStylesProvider(), &dxThemeEngineProvider());
  EXPECT_TRUE(IsThemeActive());
  EXPECT_TRUE(dxIsGlobalThemeActive());
  // Every kind the library's painters open is one the engine knows.
  const TdxThemedObjectType used[] = {
      TdxThemedObjectType::totButton,   TdxThemedObjectType::totComboBox,  TdxThemedObjectType::totEdit,
      TdxThemedObjectType::totExplorerBar, TdxThemedObjectType::totHeader, TdxThemedObjectType::totListBox,
      TdxThemedObjectType::totListView, TdxThemedObjectType::totMenu,      TdxThemedObjectType::totProgress,
      TdxThemedObjectType::totScrollBar, TdxThemedObjectType::totSpin,     TdxThemedObjectType::totTab,
      TdxThemedObjectType::totToolBar,  TdxThemedObjectType::totToolTip,   TdxThemedObjectType::totTrackBar,
      TdxThemedObjectType::totTreeview, TdxThemedObjectType::totWindow,    TdxThemedObjectType::totNavigation,
      TdxThemedObjectType::totExplorerListView, TdxThemedObjectType::totTextStyle};
  for (TdxThemedObjectType t : used) EXPECT_TRUE(AreVisualStylesAvailable(t)) << int(t);

  HTHEME button = OpenTheme(TdxThemedObjectType::totButton);
  ASSERT_NE(button, nullptr);
  win::SIZE size{};
  ASSERT_EQ(GetThemePartSize(button, nullptr, 3, 1, TS_TRUE, size), dxS_OK);
  EXPECT_EQ(size, (win::SIZE{13, 13}));
  TdxMargins margins;
  ASSERT_EQ(GetThemeMargins(button, nullptr, 1, 1, 3602, nullptr, margins), dxS_OK);
  EXPECT_EQ(margins, (TdxMargins{3, 3, 3, 3}));
  win::COLORREF color = 0;
  ASSERT_EQ(GetThemeColor(button, 3, 5, 3802, color), dxS_OK);
  EXPECT_EQ(color, gdi::RGB(43, 108, 214));
  win::RECT content{};
  ASSERT_EQ(GetThemeBackgroundContentRect(button, nullptr, 1, 1, win::RECT{0, 0, 50, 20}, content), dxS_OK);
  EXPECT_EQ(content, (win::RECT{3, 3, 47, 17}));
  testing_support::DibDC page(20, 20, 0x00102030);
  EXPECT_EQ(DrawThemeBackground(button, page.dc, 3, 5, win::RECT{0, 0, 20, 20}), dxS_OK);
  EXPECT_NE(page.rgb(10, 10), 0x00102030u);

  // The Explorer sub-class the cache asks for opens as the plain class.
  EXPECT_NE(OpenTheme(TdxThemedObjectType::totButton, u"Explorer::Button"), nullptr);
}

TEST_F(ThemeBinding, TextExTakesTheCallersColour) {
  HTHEME button = OpenTheme(TdxThemedObjectType::totButton);
  ASSERT_NE(button, nullptr);
  testing_support::DibDC page(60, 20, 0x00FFFFFF);
  TdxDTTOpts options;
  options.dwFlags = 0x1;  // the text colour is given
  options.crText = gdi::RGB(255, 0, 0);
  win::RECT r{0, 0, 60, 20};
  ASSERT_EQ(DrawThemeTextEx(button, page.dc, 1, 1, rtl::String(u"WWW"), -1, 0, &r, options), dxS_OK);
  bool red = false, other = false;
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 60; ++x) {
      const std::uint32_t p = page.rgb(x, y);
      if (p == 0x00FF0000u) red = true;
      else if (p != 0x00FFFFFFu && ((p >> 16) & 0xFF) < ((p >> 8) & 0xFF)) other = true;
    }
  EXPECT_TRUE(red);
  EXPECT_FALSE(other) << "ink of another hue than the caller's";
}

TEST_F(ThemeBinding, TheSwitchReachesTheCacheAndItsListeners) {
  ASSERT_NE(OpenTheme(TdxThemedObjectType::totHeader), nullptr);
  const int openBefore = theme::OpenThemeCount();
  int told = 0;
  struct Listener {
    int* count;
    void Tick(rtl::TObject*) { ++*count; }
  } listener{&told};
  TdxThemeChangedNotificator notificator;
  notificator.SetOnThemeChanged(TNotifyEvent::bind<&Listener::Tick>(&listener));

  theme::SetThemesEnabled(false);
  EXPECT_EQ(told, 1);
  EXPECT_FALSE(dxIsGlobalThemeActive());
  EXPECT_FALSE(AreVisualStylesAvailable(TdxThemedObjectType::totHeader));
  EXPECT_EQ(OpenTheme(TdxThemedObjectType::totHeader), nullptr);
  // The cache let go of its handles when it heard the change.
  EXPECT_LT(theme::OpenThemeCount(), openBefore);

  theme::SetThemesEnabled(true);
  EXPECT_EQ(told, 2);
  EXPECT_TRUE(dxIsGlobalThemeActive());
  EXPECT_NE(OpenTheme(TdxThemedObjectType::totHeader), nullptr);
}

}  // namespace
}  // namespace core
