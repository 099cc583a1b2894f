// A container drawn by the theme engine: the edit part's frame around its
// content rectangle, the background inside, and the theme's own fill for a
// disabled editor whose colour nobody chose; without themes the painter's
// border comes back.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "lib/core/dxCore.h"
#include "lib/core/dxUxTheme.h"
#include "lib/lookandfeel/cxContainer.h"
#include "lib/lookandfeel/cxLookAndFeelPainters_native.h"
#include "platform/gdi/gdi.h"
#include "platform/gdi/surface.h"
#include "platform/theme/theme.h"
#include "tests/lookandfeel/control_fixture.h"
#include "tests/support/golden.h"

namespace lookandfeel {
namespace {

using St = TcxContainerStateItem;

class NativeContainerTest : public testing::ControlTest {
 protected:
  void SetUp() override {
    testing::ControlTest::SetUp();
    core::dxCoreInitialization();  // our theme engine
    theme::SetThemesEnabled(true);
  }
  void TearDown() override {
    theme::SetThemesEnabled(true);
    testing::ControlTest::TearDown();
    core::dxSetVisualStylesProvider(nullptr);
  }
  TcxContainer* PlaceNative(int left, int top) {
    TcxContainer* c = Place<TcxContainer>(left, top, 80, 24);
    c->Style()->LookAndFeel()->SetNativeStyle(true);
    c->Style()->SetTransparentBorder(false);
    Process();
    return c;
  }
  static ui::TColor ThemeColor(int state, int prop) {
    ui::TColor c = ui::clNone;
    EXPECT_TRUE(cxGetThemeColor(core::TdxThemedObjectType::totEdit, 3, state, prop, c)) << state << "/" << prop;
    return c;
  }
  static gdi::COLORREF Pixel(const gdi::ImageBGRA& img, int x, int y) {
    const std::uint32_t v = img.pixels[size_t(y) * img.width + x];
    return gdi::RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
  }
  static gdi::ImageBGRA Crop(const gdi::ImageBGRA& img, int w, int h) {
    gdi::ImageBGRA out(w, h);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) out.at(x, y) = img.pixels[size_t(y) * img.width + x];
    return out;
  }
};

struct NativeStateCase {
  const char* name;
  std::function<void(TcxContainer*)> enter;
  int nativeState;
  bool colourAssigned;
};

void PrintTo(const NativeStateCase& c, std::ostream* os) { *os << c.name; }

class NativeContainerStates : public NativeContainerTest, public ::testing::WithParamInterface<NativeStateCase> {};

const NativeStateCase kNativeStates[] = {
    {"normal", [](TcxContainer*) {}, 1, false},
    {"focused", [](TcxContainer* c) { c->SetFocus(); }, 5, false},
    {"disabled", [](TcxContainer* c) { c->SetEnabled(false); }, 4, false},
    {"disabled_with_a_chosen_colour",
     [](TcxContainer* c) {
       c->StyleDisabled()->SetColor(ui::clYellow);
       c->SetEnabled(false);
     },
     4, true},
};

TEST_P(NativeContainerStates, TheThemeFramesTheBackground) {
  const NativeStateCase& c = GetParam();
  TcxContainer* container = PlaceNative(10, 10);
  c.enter(container);
  Process();
  const TcxContainerViewInfo* vi = container->ViewInfo();
  ASSERT_TRUE(vi->NativeStyle);
  EXPECT_EQ(vi->NativePart, 3);
  EXPECT_EQ(vi->NativeState, c.nativeState);
  EXPECT_EQ(vi->ThemedObjectType, core::TdxThemedObjectType::totEdit);
  EXPECT_FALSE(vi->Shadow);
  // The disabled editor takes the theme's fill, unless a colour was chosen.
  const ui::TColor expectedBackground = c.colourAssigned ? ui::clYellow
                                        : c.nativeState == 4 ? ThemeColor(4, theme::TMT_FILLCOLOR)
                                                             : ui::clWindow;
  EXPECT_EQ(ui::ColorToRGB(vi->BackgroundColor()), ui::ColorToRGB(expectedBackground));
  const gdi::ImageBGRA shot = win::headless::Screenshot(container->Handle());
  // The edit part's one-pixel frame in the state's border colour, the background inside it.
  const gdi::COLORREF frame = ui::ColorToRGB(ThemeColor(c.nativeState, theme::TMT_BORDERCOLOR));
  for (auto [x, y] : {std::pair{0, 0}, std::pair{79, 12}, std::pair{40, 23}, std::pair{0, 23}})
    EXPECT_EQ(Pixel(shot, x, y), frame) << x << "," << y;
  for (auto [x, y] : {std::pair{1, 1}, std::pair{40, 12}, std::pair{78, 22}})
    EXPECT_EQ(Pixel(shot, x, y), ui::ColorToRGB(expectedBackground)) << x << "," << y;
}

INSTANTIATE_TEST_SUITE_P(States, NativeContainerStates, ::testing::ValuesIn(kNativeStates),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(NativeContainerTest, StatesSideBySideAndThePainterWithoutThemes) {
  TcxContainer* normal = PlaceNative(10, 10);
  TcxContainer* focused = PlaceNative(100, 10);
  TcxContainer* disabled = PlaceNative(190, 10);
  focused->SetFocus();
  disabled->SetEnabled(false);
  Process();
  EXPECT_NE(ui::ColorToRGB(ThemeColor(1, theme::TMT_BORDERCOLOR)), ui::ColorToRGB(ThemeColor(5, theme::TMT_BORDERCOLOR)))
      << "the focused frame must be told apart";
  form()->Invalidate();
  Process();
  gdi::ImageBGRA shot = win::headless::Screenshot(form()->Handle());
  EXPECT_GOLDEN(Crop(shot, 290, 44), "lookandfeel", "container_native");
  // Without themes the same editor is framed by its look-and-feel's painter.
  theme::SetThemesEnabled(false);
  normal->ShortRefreshContainer(false);
  Process();
  EXPECT_FALSE(normal->ViewInfo()->NativeStyle);
}

}  // namespace
}  // namespace lookandfeel
