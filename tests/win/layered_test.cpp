// Layered windows on the headless display: contents given whole by
// UpdateLayeredWindow with per-pixel (premultiplied) alpha, constant alpha
// and a colour key, composed over what lies beneath them.
#include "platform/gdi/gdi.h"
#include "tests/win/recorder.h"

namespace wintest {
namespace {

std::uint32_t layeredPixelOf(COLORREF c) {
  return 0xFF000000u | (std::uint32_t(gdi::GetRValue(c)) << 16) | (std::uint32_t(gdi::GetGValue(c)) << 8) |
         std::uint32_t(gdi::GetBValue(c));
}

// src + below * (1 - srcAlpha), per channel, rounded; `src` premultiplied.
std::uint32_t over(std::uint32_t src, std::uint32_t below) {
  const std::uint32_t a = src >> 24;
  std::uint32_t out = 0xFF000000u;
  for (int i = 0; i < 3; ++i) {
    const std::uint32_t s = (src >> (8 * i)) & 0xFF, d = (below >> (8 * i)) & 0xFF;
    out |= std::min<std::uint32_t>(255, s + (d * (255 - a) + 127) / 255) << (8 * i);
  }
  return out;
}

// A memory DC holding `image` (all four bytes) for as long as it lives.
class SourceDC {
 public:
  explicit SourceDC(const gdi::ImageBGRA& image)
      : dc_(gdi::CreateCompatibleDC(nullptr)), bmp_(gdi::CreateBitmapFromImage(image)) {
    old_ = gdi::SelectObject(dc_, bmp_);
  }
  ~SourceDC() {
    gdi::SelectObject(dc_, old_);
    gdi::DeleteObject(bmp_);
    gdi::DeleteDC(dc_);
  }
  HDC dc() const { return dc_; }

 private:
  HDC dc_;
  HBITMAP bmp_;
  gdi::HGDIOBJ old_;
};

constexpr std::uint32_t kRed = 0xFFFF0000u;
constexpr std::uint32_t kHalfBlue = 0x80000080u;  // blue at alpha 128, premultiplied
constexpr std::uint32_t kMagenta = 0x00FF00FFu;

// 40 x 20: left half opaque red, right half half-transparent blue, the
// last column fully transparent.
gdi::ImageBGRA DragImage() {
  gdi::ImageBGRA image(40, 20, kRed);
  for (int y = 0; y < 20; ++y)
    for (int x = 20; x < 40; ++x) image.at(x, y) = x == 39 ? 0u : kHalfBlue;
  return image;
}

class Layered : public WinTest {
 protected:
  HWND Popup(const std::string& name, int x, int y, int w, int h, DWORD exStyle = WS_EX_LAYERED | WS_EX_TOOLWINDOW) {
    return Top(name, x, y, w, h, WS_POPUP | WS_VISIBLE, exStyle);
  }
  std::uint32_t Desktop() const { return layeredPixelOf(gdi::GetSysColor(gdi::COLOR_BACKGROUND)); }
};

TEST_F(Layered, PerPixelAlphaIsComposedOverTheDesktopAndOtherWindows) {
  HWND under = Top("under", 0, 0, 300, 300, WS_POPUP | WS_VISIBLE);  // white client
  HWND drag = Popup("drag", 10, 10, 8, 8);
  headless::ProcessMessages();
  SourceDC src(DragImage());
  const POINT at{200, 150};
  const SIZE size{40, 20};
  const POINT from{0, 0};
  gdi::BLENDFUNCTION blend{gdi::AC_SRC_OVER, 0, 255, gdi::AC_SRC_ALPHA};
  ASSERT_TRUE(UpdateLayeredWindow(drag, nullptr, &at, &size, src.dc(), &from, 0, &blend, ULW_ALPHA));
  RECT r;
  GetWindowRect(drag, &r);
  EXPECT_EQ(r, (RECT{200, 150, 240, 170}));

  const gdi::ImageBGRA screen = headless::Screenshot();
  const std::uint32_t white = 0xFFFFFFFFu;
  // Over the white window beneath.
  EXPECT_EQ(screen.at(205, 155), kRed);
  EXPECT_EQ(screen.at(225, 155), over(kHalfBlue, white));
  EXPECT_EQ(screen.at(239, 155), white);  // fully transparent

  // Straddling the edge of the window beneath: the rest is over the desktop.
  const POINT edge{270, 150};
  ASSERT_TRUE(UpdateLayeredWindow(drag, nullptr, &edge, nullptr, nullptr, nullptr, 0, &blend, ULW_ALPHA));
  const gdi::ImageBGRA moved = headless::Screenshot();
  EXPECT_EQ(moved.at(295, 155), over(kHalfBlue, white));
  EXPECT_EQ(moved.at(305, 155), over(kHalfBlue, Desktop()));
  EXPECT_EQ(moved.at(309, 155), Desktop());

  // The window's own picture is composed over the desktop colour.
  const gdi::ImageBGRA alone = headless::Screenshot(drag);
  ASSERT_EQ(alone.width, 40);
  EXPECT_EQ(alone.at(0, 0), kRed);
  EXPECT_EQ(alone.at(30, 10), over(kHalfBlue, Desktop()));
  EXPECT_EQ(alone.at(39, 10), Desktop());
  (void)under;
}

TEST_F(Layered, GivenContentsAreNotPaintedOver) {
  HWND drag = Popup("drag", 10, 10, 40, 20);
  headless::ProcessMessages();
  SourceDC src(DragImage());
  gdi::BLENDFUNCTION blend{gdi::AC_SRC_OVER, 0, 255, gdi::AC_SRC_ALPHA};
  ASSERT_TRUE(UpdateLayeredWindow(drag, nullptr, nullptr, nullptr, src.dc(), nullptr, 0, &blend, ULW_ALPHA));
  const gdi::ImageBGRA before = headless::Screenshot(drag);
  rec.Clear();
  InvalidateRect(drag, nullptr, TRUE);
  RedrawWindow(drag, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME);
  headless::ProcessMessages();
  EXPECT_TRUE(rec.Lines({WM_PAINT, WM_ERASEBKGND, WM_NCPAINT}).empty());
  EXPECT_EQ(headless::Screenshot(drag), before);

  // Back to attributes: the window is painted (white) again, at half alpha.
  ASSERT_TRUE(SetLayeredWindowAttributes(drag, 0, 128, LWA_ALPHA));
  headless::ProcessMessages();
  EXPECT_EQ(rec.Lines({WM_PAINT}), (std::vector<std::string>{"drag:WM_PAINT"}));
  const std::uint32_t halfWhite = 0x80808080u;  // white at 128, premultiplied
  EXPECT_EQ(headless::Screenshot(drag).at(5, 5), over(halfWhite, Desktop()));

  // No longer layered: opaque.
  SetWindowLongPtrW(drag, GWL_EXSTYLE, WS_EX_TOOLWINDOW);
  headless::ProcessMessages();
  EXPECT_EQ(headless::Screenshot(drag).at(5, 5), 0xFFFFFFFFu);
}

TEST_F(Layered, ConstantAlphaAndAColourKey) {
  HWND under = Top("under", 0, 0, 300, 300, WS_POPUP | WS_VISIBLE);
  HWND arrow = Popup("arrow", 10, 10, 20, 10);
  headless::ProcessMessages();
  gdi::ImageBGRA image(20, 10, kMagenta);
  for (int x = 5; x < 15; ++x) image.at(x, 5) = 0x0000FF00u;  // green; GDI leaves alpha 0
  SourceDC src(image);
  // The key alone: magenta shows the white window, green is opaque.
  const COLORREF key = gdi::RGB(255, 0, 255);
  ASSERT_TRUE(UpdateLayeredWindow(arrow, nullptr, nullptr, nullptr, src.dc(), nullptr, key, nullptr, ULW_COLORKEY));
  gdi::ImageBGRA screen = headless::Screenshot();
  EXPECT_EQ(screen.at(12, 12), 0xFFFFFFFFu);
  EXPECT_EQ(screen.at(17, 15), 0xFF00FF00u);
  // With a constant alpha of 128 (no per-pixel alpha) on top.
  gdi::BLENDFUNCTION blend{gdi::AC_SRC_OVER, 0, 128, 0};
  ASSERT_TRUE(UpdateLayeredWindow(arrow, nullptr, nullptr, nullptr, src.dc(), nullptr, key, &blend,
                                  ULW_ALPHA | ULW_COLORKEY));
  screen = headless::Screenshot();
  EXPECT_EQ(screen.at(12, 12), 0xFFFFFFFFu);
  EXPECT_EQ(screen.at(17, 15), over(0x80008000u, 0xFFFFFFFFu));
  // ULW_OPAQUE: the pixels as they are.
  ASSERT_TRUE(UpdateLayeredWindow(arrow, nullptr, nullptr, nullptr, src.dc(), nullptr, key, &blend, ULW_OPAQUE));
  screen = headless::Screenshot();
  EXPECT_EQ(screen.at(12, 12), 0xFFFF00FFu);
  (void)under;
}

TEST_F(Layered, RefusedForWindowsThatAreNotLayeredTopLevels) {
  HWND plain = Top("plain", 10, 10, 40, 20, WS_POPUP | WS_VISIBLE);
  HWND layered = Popup("layered", 60, 10, 40, 20);
  HWND child = Child("child", plain, 0, 0, 10, 10, WS_CHILD | WS_VISIBLE, WS_EX_LAYERED);
  SourceDC src(DragImage());
  gdi::BLENDFUNCTION blend{gdi::AC_SRC_OVER, 0, 255, gdi::AC_SRC_ALPHA};
  struct Case {
    const char* what;
    HWND hwnd;
    const gdi::BLENDFUNCTION* blend;
    DWORD flags;
  };
  const Case cases[] = {
      {"not layered", plain, &blend, ULW_ALPHA},
      {"a child", child, &blend, ULW_ALPHA},
      {"ULW_ALPHA without a blend", layered, nullptr, ULW_ALPHA},
      {"unknown flags", layered, &blend, 0x10},
      {"no window", nullptr, &blend, ULW_ALPHA},
  };
  for (const Case& c : cases) {
    SetLastError(0);
    EXPECT_FALSE(UpdateLayeredWindow(c.hwnd, nullptr, nullptr, nullptr, src.dc(), nullptr, 0, c.blend, c.flags))
        << c.what;
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER) << c.what;
  }
  EXPECT_FALSE(SetLayeredWindowAttributes(plain, 0, 128, LWA_ALPHA));
  EXPECT_TRUE(UpdateLayeredWindow(layered, nullptr, nullptr, nullptr, src.dc(), nullptr, 0, &blend, ULW_ALPHA));
}

TEST_F(Layered, SettingChangesAreBroadcastWhenAsked) {
  HWND a = Top("a", 0, 0, 100, 100);
  HWND b = Top("b", 0, 0, 100, 100, WS_OVERLAPPEDWINDOW);  // hidden windows hear it too
  Child("child", a, 0, 0, 10, 10);
  (void)b;
  const UINT before = GetDoubleClickTime();
  rec.Clear();
  ASSERT_TRUE(SystemParametersInfoW(SPI_SETDOUBLECLICKTIME, 300, nullptr, 0));
  EXPECT_TRUE(rec.Lines({WM_SETTINGCHANGE}).empty());
  ASSERT_TRUE(SystemParametersInfoW(SPI_SETDOUBLECLICKTIME, 350, nullptr, SPIF_SENDCHANGE));
  EXPECT_EQ(GetDoubleClickTime(), 350u);
  const auto lines = rec.Lines({WM_SETTINGCHANGE});
  EXPECT_EQ(lines.size(), 2u);
  for (const Entry& e : rec.entries) {
    if (e.message != WM_SETTINGCHANGE) continue;
    EXPECT_NE(e.window, "child");
    EXPECT_EQ(e.wParam, SPI_SETDOUBLECLICKTIME);
  }
  // Reading a parameter announces nothing.
  rec.Clear();
  UINT lines3 = 0;
  ASSERT_TRUE(SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &lines3, SPIF_SENDCHANGE));
  EXPECT_TRUE(rec.Lines({WM_SETTINGCHANGE}).empty());
  SetDoubleClickTime(before);
}

}  // namespace
}  // namespace wintest
