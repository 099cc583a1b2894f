// Metrics, parameters, monitors, the clipboard and the backend's choice.
#include <cstdlib>
#include <cstring>

#include "platform/gdi/gdi.h"
#include "tests/support/test_support.h"
#include "tests/win/recorder.h"

namespace wintest {
namespace {

class System : public WinTest {};

TEST_F(System, ClassicMetricsAt96Dpi) {
  struct Case {
    int index;
    int value;
  };
  const Case cases[] = {{SM_CXSCREEN, 1280}, {SM_CYSCREEN, 1024}, {SM_CXVSCROLL, 17}, {SM_CYHSCROLL, 17},
                        {SM_CXBORDER, 1},    {SM_CXEDGE, 2},      {SM_CYCAPTION, 19}, {SM_CXDOUBLECLK, 4},
                        {SM_CXDRAG, 4},      {SM_CXICON, 32},     {SM_CXCURSOR, 32},  {SM_CMONITORS, 1},
                        {SM_SWAPBUTTON, 0},  {SM_MOUSEWHEELPRESENT, 1}, {SM_CXFULLSCREEN, 1280}};
  for (const Case& c : cases) EXPECT_EQ(GetSystemMetrics(c.index), c.value) << c.index;
  // The frame we draw matches what AdjustWindowRectEx says.
  RECT r{0, 0, 100, 50};
  AdjustWindowRectEx(&r, WS_OVERLAPPEDWINDOW, FALSE, 0);
  EXPECT_EQ(r, (RECT{-4, -23, 104, 54}));
  HWND top = CreateWindowExW(0, u"Rec", u"", WS_OVERLAPPEDWINDOW, 0, 0, r.right - r.left, r.bottom - r.top, nullptr,
                             nullptr, nullptr, nullptr);
  RECT c;
  GetClientRect(top, &c);
  EXPECT_EQ(c, (RECT{0, 0, 100, 50}));
  r = RECT{0, 0, 10, 10};
  AdjustWindowRectEx(&r, WS_CHILD | WS_BORDER, FALSE, WS_EX_CLIENTEDGE);
  EXPECT_EQ(r, (RECT{-3, -3, 13, 13}));
}

TEST_F(System, ParametersMonitorsAndWorkArea) {
  RECT work;
  ASSERT_TRUE(SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0));
  EXPECT_EQ(work, (RECT{0, 0, 1280, 984}));
  UINT lines = 0;
  ASSERT_TRUE(SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &lines, 0));
  EXPECT_EQ(lines, 3u);
  NONCLIENTMETRICSW ncm;
  ASSERT_TRUE(SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, ncm.cbSize, &ncm, 0));
  EXPECT_EQ(std::u16string(ncm.lfMessageFont.lfFaceName), u"Tahoma");
  EXPECT_EQ(ncm.lfMessageFont.lfHeight, -11);
  EXPECT_EQ(ncm.iScrollWidth, 17);
  BOOL on = TRUE;
  ASSERT_TRUE(SystemParametersInfoW(SPI_GETMENUANIMATION, 0, &on, 0));
  EXPECT_FALSE(on);
  ASSERT_TRUE(SystemParametersInfoW(SPI_GETDRAGFULLWINDOWS, 0, &on, 0));
  EXPECT_TRUE(on);
  EXPECT_FALSE(SystemParametersInfoW(0x7777, 0, &on, 0));

  HMONITOR m = MonitorFromPoint(POINT{10, 10}, MONITOR_DEFAULTTONULL);
  ASSERT_NE(m, nullptr);
  EXPECT_EQ(MonitorFromPoint(POINT{5000, 10}, MONITOR_DEFAULTTONULL), nullptr);
  EXPECT_EQ(MonitorFromPoint(POINT{5000, 10}, MONITOR_DEFAULTTONEAREST), m);
  RECT far{2000, 2000, 2100, 2100};
  EXPECT_EQ(MonitorFromRect(&far, MONITOR_DEFAULTTOPRIMARY), m);
  MONITORINFOEXW mi;
  ASSERT_TRUE(GetMonitorInfoW(m, &mi));
  EXPECT_EQ(mi.rcMonitor, (RECT{0, 0, 1280, 1024}));
  EXPECT_EQ(mi.rcWork, work);
  EXPECT_EQ(mi.dwFlags, MONITORINFOF_PRIMARY);
  EXPECT_EQ(std::u16string(mi.szDevice), u"\\\\.\\DISPLAY1");
  int count = 0;
  EnumDisplayMonitors(nullptr, nullptr,
                      [](HMONITOR, HDC, RECT*, LPARAM p) {
                        ++*reinterpret_cast<int*>(p);
                        return TRUE;
                      },
                      reinterpret_cast<LPARAM>(&count));
  EXPECT_EQ(count, 1);
  // Time is the one clock's.
  const DWORD t0 = GetTickCount();
  clock->Advance(1234);
  EXPECT_EQ(GetTickCount() - t0, 1234u);
}

TEST_F(System, ClipboardTextBothWaysAndRegisteredFormats) {
  HWND top = Top("top", 0, 0, 100, 100);
  auto putText = [](const std::u16string& s) {
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, (s.size() + 1) * 2);
    std::memcpy(GlobalLock(h), s.c_str(), (s.size() + 1) * 2);
    GlobalUnlock(h);
    return SetClipboardData(CF_UNICODETEXT, h);
  };
  EXPECT_EQ(SetClipboardData(CF_UNICODETEXT, GlobalAlloc(0, 2)), nullptr);  // not open
  ASSERT_TRUE(OpenClipboard(top));
  EXPECT_FALSE(OpenClipboard(top));  // once at a time
  ASSERT_TRUE(EmptyClipboard());
  ASSERT_NE(putText(u"Ação €"), nullptr);
  const UINT rtf = RegisterClipboardFormatW(u"Rich Text Format");
  EXPECT_EQ(RegisterClipboardFormatW(u"rich text format"), rtf);
  HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, 5);
  std::memcpy(GlobalLock(h), "{\\rtf", 5);
  GlobalUnlock(h);
  ASSERT_NE(SetClipboardData(rtf, h), nullptr);
  ASSERT_TRUE(CloseClipboard());
  EXPECT_EQ(GetClipboardOwner(), top);

  EXPECT_TRUE(IsClipboardFormatAvailable(CF_UNICODETEXT));
  EXPECT_TRUE(IsClipboardFormatAvailable(CF_TEXT));
  EXPECT_TRUE(IsClipboardFormatAvailable(rtf));
  EXPECT_FALSE(IsClipboardFormatAvailable(CF_DIB));
  ASSERT_TRUE(OpenClipboard(nullptr));
  HANDLE ansi = GetClipboardData(CF_TEXT);
  ASSERT_NE(ansi, nullptr);
  const auto* bytes = static_cast<const unsigned char*>(GlobalLock(static_cast<HGLOBAL>(ansi)));
  // Code page 1252: ç = E7, ã = E3, € = 80.
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(bytes)), "A\xE7\xE3o \x80");
  HANDLE wide = GetClipboardData(CF_UNICODETEXT);
  EXPECT_EQ(std::u16string(static_cast<const char16_t*>(GlobalLock(static_cast<HGLOBAL>(wide)))), u"Ação €");
  HANDLE r = GetClipboardData(rtf);
  EXPECT_EQ(GlobalSize(static_cast<HGLOBAL>(r)), 5u);
  std::vector<UINT> formats;
  for (UINT f = EnumClipboardFormats(0); f; f = EnumClipboardFormats(f)) formats.push_back(f);
  EXPECT_EQ(formats.size(), 3u);
  char16_t name[64];
  EXPECT_GT(GetClipboardFormatNameW(rtf, name, 64), 0);
  EXPECT_EQ(std::u16string(name), u"Rich Text Format");
  CloseClipboard();
  // Text put as CF_TEXT reads back as Unicode.
  OpenClipboard(nullptr);
  EmptyClipboard();
  HGLOBAL a = GlobalAlloc(GMEM_MOVEABLE, 4);
  std::memcpy(GlobalLock(a), "\xE9t\xE9", 4);
  SetClipboardData(CF_TEXT, a);
  EXPECT_EQ(std::u16string(static_cast<const char16_t*>(
                GlobalLock(static_cast<HGLOBAL>(GetClipboardData(CF_UNICODETEXT))))),
            u"été");
  CloseClipboard();
}

TEST(Backends, TheProgramPicksHeadlessWithoutADisplay) {
  const char* display = std::getenv("DISPLAY");
  const std::string saved = display ? display : "";
  ::unsetenv("DISPLAY");
  EXPECT_EQ(CreateDefaultBackend()->Name(), "headless");
  ::setenv("DISPLAY", ":12345", 1);
  ::setenv("INTEGRADOR_BACKEND", "headless", 1);
  EXPECT_EQ(CreateDefaultBackend()->Name(), "headless");
  ::unsetenv("INTEGRADOR_BACKEND");
  if (display) {
    ::setenv("DISPLAY", saved.c_str(), 1);
  } else {
    ::unsetenv("DISPLAY");
  }
}

TEST_F(System, ScreenshotsAreWrittenAsPng) {
  rec.recording = false;
  HWND top = CreateWindowExW(0, u"Rec", u"", WS_POPUP | WS_VISIBLE, 100, 100, 30, 20, nullptr, nullptr, nullptr,
                             nullptr);
  testing_support::TempDir dir;
  headless::SaveScreenshot(top, dir / "top.png");
  gdi::ImageBGRA back = gdi::ReadPngFile(dir / "top.png");
  EXPECT_EQ(back.width, 30);
  EXPECT_EQ(back.height, 20);
  EXPECT_EQ(back.at(3, 3), 0xFFFFFFFFu);
  gdi::ImageBGRA screen = headless::Screenshot();
  EXPECT_EQ(screen.width, 1280);
  EXPECT_EQ(screen.at(105, 105), 0xFFFFFFFFu);
}

}  // namespace
}  // namespace wintest
