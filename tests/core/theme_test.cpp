// The visual-styles binding and the theme cache: with no engine everything
// fails cleanly; with a fake engine the cache opens, reuses and reopens
// handles and the receiver window hears theme and colour changes.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "lib/core/dxThemeManager.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/objects.h"
#include "platform/rtl/except.h"
#include "platform/rtl/ustring.h"
#include "platform/ui/forms.h"
#include "platform/win/headless.h"
#include "platform/win/message_loop.h"
#include "platform/win/system.h"

namespace core {
namespace {

// An engine that hands out numbered handles and writes down its calls.
class FakeEngine : public IdxVisualStylesProvider {
 public:
  bool active = true;
  bool hasPanning = true;
  std::u16string themeFile = u"C:\\ThemeCache\\Luna\\luna.msstyles";
  std::vector<std::u16string> refused;  // class lists that do not open
  std::vector<std::string> calls;
  std::map<HTHEME, std::u16string> open;
  int next = 1;

  HTHEME OpenThemeData(win::HWND, const char16_t* classList) override {
    calls.push_back("open " + rtl::StringToUtf8(classList));
    for (const auto& r : refused)
      if (r == classList) return nullptr;
    auto h = reinterpret_cast<HTHEME>(static_cast<std::intptr_t>(next++));
    open[h] = classList;
    return h;
  }
  HRESULT CloseThemeData(HTHEME theme) override {
    calls.push_back("close " + rtl::StringToUtf8(open[theme]));
    open.erase(theme);
    return dxS_OK;
  }
  bool HasIsThemeActive() override { return true; }
  win::BOOL IsThemeActive() override { return active; }
  HRESULT GetCurrentThemeName(char16_t* fileName, int max, char16_t*, int, char16_t*, int) override {
    const size_t n = std::min<size_t>(themeFile.size(), size_t(max - 1));
    themeFile.copy(fileName, n);
    fileName[n] = 0;
    return dxS_OK;
  }
  HRESULT DrawThemeParentBackground(win::HWND, win::HDC dc, const win::RECT*) override {
    gdi::SelectObject(dc, gdi::GetStockObject(gdi::SYSTEM_FONT));  // leaves its own font behind
    return dxS_OK;
  }
  bool HasPanningFeedback() override { return hasPanning; }
  win::BOOL UpdatePanningFeedback(win::HWND, int x, int y, win::BOOL inertia) override {
    calls.push_back("update " + std::to_string(x) + "," + std::to_string(y) + "," + std::to_string(inertia));
    return 1;
  }
  win::BOOL EndPanningFeedback(win::HWND, win::BOOL animateBack) override {
    calls.push_back("end " + std::to_string(animateBack));
    return 1;
  }
};

class ThemeCache : public testing::Test {
 protected:
  void SetUp() override { ui::Application->SetOnException(nullptr); }
  void TearDown() override { dxSetVisualStylesProvider(nullptr); }
  void Plug() {
    dxSetVisualStylesProvider(&engine);
    engine.calls.clear();
  }
  void Broadcast(win::UINT msg) {
    ASSERT_NE(dxThemeChangedEventReceiver(), nullptr);
    EXPECT_EQ(win::SendMessageW(dxThemeChangedEventReceiver()->Handle(), msg, 0, 0), 0);
  }
  win::headless::HeadlessScope screen;
  FakeEngine engine;
};

TEST_F(ThemeCache, WithoutAnEngineEveryWrapperFailsCleanly) {
  ASSERT_EQ(dxVisualStylesProvider(), nullptr);
  EXPECT_FALSE(IsThemeLibraryLoaded());
  const win::RECT r{0, 0, 10, 10};
  win::RECT out{};
  win::SIZE size{};
  win::COLORREF color = 0;
  TdxMargins margins;
  win::HRGN region = nullptr;
  win::HDC dc = gdi::CreateCompatibleDC(nullptr);
  win::HDC paintDC = dc;
  char16_t name[16] = {};
  const HRESULT results[] = {
      CloseThemeData(nullptr),
      DrawThemeBackground(nullptr, dc, 1, 1, r),
      DrawThemeBackground(nullptr, dc, 1, 1, r, r),
      DrawThemeBackground(nullptr, dc, 1, 1, &r, nullptr),
      DrawThemeText(nullptr, dc, 1, 1, u"x", 1, 0, 0, r),
      DrawThemeText(nullptr, dc, 1, 1, rtl::String(u"x"), 1, 0, 0, r),
      DrawThemeTextEx(nullptr, dc, 1, 1, u"x", 1, 0, &out, TdxDTTOpts{}),
      GetThemeBackgroundContentRect(nullptr, dc, 1, 1, r, out),
      GetThemeBackgroundRegion(nullptr, dc, 1, 1, r, region),
      DrawThemeEdge(nullptr, dc, 1, 1, r, 0, 0, nullptr),
      GetThemeColor(nullptr, 1, 1, 1, color),
      GetThemeMargins(nullptr, dc, 1, 1, 1, nullptr, margins),
      GetCurrentThemeName(name, 16, nullptr, 0, nullptr, 0),
      GetThemePartSize(nullptr, dc, 1, 1, &r, TS_TRUE, size),
      GetThemePartSize(nullptr, dc, 1, 1, r, TS_TRUE, size),
      GetThemePartSize(nullptr, dc, 1, 1, TS_TRUE, size),
      DrawThemeParentBackground(nullptr, dc, &r),
      BufferedPaintInit(),
      BufferedPaintUnInit(),
      EndBufferedPaint(nullptr, true),
      BufferedPaintClear(nullptr, &r),
      BufferedPaintSetAlpha(nullptr, &r, 255),
  };
  for (size_t i = 0; i < std::size(results); ++i) EXPECT_EQ(results[i], dxE_NOTIMPL) << "wrapper " << i;
  EXPECT_EQ(OpenThemeData(nullptr, u"Button"), nullptr);
  EXPECT_EQ(BeginBufferedPaint(dc, r, BPBF_DIB, nullptr, paintDC), nullptr);
  EXPECT_EQ(paintDC, nullptr);
  EXPECT_FALSE(IsThemeBackgroundPartiallyTransparent(nullptr, 1, 1));
  EXPECT_FALSE(IsThemeActive());
  EXPECT_FALSE(dxBeginPanningFeedback(nullptr));
  EXPECT_FALSE(dxUpdatePanningFeedback(nullptr, {1, 1}, true));
  EXPECT_FALSE(dxEndPanningFeedback(nullptr, true));
  gdi::DeleteDC(dc);

  // The cache above it.
  EXPECT_FALSE(AreVisualStylesAvailable());
  EXPECT_FALSE(AreVisualStylesAvailable(TdxThemedObjectType::totButton));
  EXPECT_EQ(OpenTheme(TdxThemedObjectType::totButton), nullptr);
  EXPECT_EQ(CloseTheme(TdxThemedObjectType::totButton), 1);
  EXPECT_FALSE(IsStandardTheme());
  EXPECT_EQ(dxThemeChangedEventReceiver(), nullptr);
  int heard = 0;
  TdxThemeChangedNotificator n;
  struct Counter {
    int* count;
    void Tick(rtl::TObject*) { ++*count; }
  } counter{&heard};
  n.SetOnThemeChanged(TNotifyEvent::bind<&Counter::Tick>(&counter));
  gdi::ResetSysColors();
  const int index = gdi::COLOR_WINDOW;
  const win::COLORREF c = 0x123456;
  win::SetSysColors(1, &index, &c);
  win::headless::ProcessMessages();
  gdi::ResetSysColors();
  EXPECT_EQ(heard, 0);
}

TEST_F(ThemeCache, TheCacheReusesAHandleUntilAnotherClassListIsAsked) {
  Plug();
  const HTHEME button = OpenTheme(TdxThemedObjectType::totButton);
  ASSERT_NE(button, nullptr);
  EXPECT_EQ(OpenTheme(TdxThemedObjectType::totButton), button);
  EXPECT_EQ(OpenTheme(TdxThemedObjectType::totButton, u"BUTTON"), button);  // same list, other case
  EXPECT_EQ(engine.calls, (std::vector<std::string>{"open Button"}));
  const HTHEME other = OpenTheme(TdxThemedObjectType::totButton, u"Explorer::Button");
  EXPECT_NE(other, button);
  EXPECT_EQ(OpenTheme(TdxThemedObjectType::totButton), other);  // the new list stays
  EXPECT_EQ(engine.calls,
            (std::vector<std::string>{"open Button", "close Button", "open Explorer::Button"}));
  // The entries of the kinds' table.
  struct Case {
    TdxThemedObjectType type;
    const char* list;
  } cases[] = {{TdxThemedObjectType::totTreeview, "TreeView"},
               {TdxThemedObjectType::totExplorerListView, "Explorer::ListView"},
               {TdxThemedObjectType::totTextStyle, "TEXTSTYLE"},
               {TdxThemedObjectType::totNavigation, "Navigation"},
               {TdxThemedObjectType::totScrollBar, "ScrollBar"}};
  for (const Case& c : cases) {
    engine.calls.clear();
    EXPECT_NE(OpenTheme(c.type), nullptr);
    EXPECT_EQ(engine.calls, (std::vector<std::string>{std::string("open ") + c.list}));
  }
  EXPECT_EQ(CloseTheme(TdxThemedObjectType::totEdit), 0);  // nothing open
  EXPECT_EQ(CloseTheme(TdxThemedObjectType::totTreeview), dxS_OK);
  EXPECT_EQ(engine.open.count(nullptr), 0u);
}

TEST_F(ThemeCache, AThemeChangeClosesEverythingAndTellsTheNotificatorsInOrder) {
  Plug();
  OpenTheme(TdxThemedObjectType::totButton, u"Explorer::Button");
  OpenTheme(TdxThemedObjectType::totHeader);
  std::vector<std::string> heard;
  struct Listener {
    std::vector<std::string>* log;
    std::string name;
    void Tick(rtl::TObject*) { log->push_back(name); }
  } first{&heard, "first"}, second{&heard, "second"};
  TdxThemeChangedNotificator n1, n2;
  n1.SetOnThemeChanged(TNotifyEvent::bind<&Listener::Tick>(&first));
  n2.SetOnThemeChanged(TNotifyEvent::bind<&Listener::Tick>(&second));
  engine.calls.clear();
  Broadcast(win::WM_THEMECHANGED);
  EXPECT_TRUE(engine.open.empty());
  EXPECT_EQ(heard, (std::vector<std::string>{"first", "second"}));
  // Reopened on request, with the class list that was in use.
  engine.calls.clear();
  EXPECT_NE(OpenTheme(TdxThemedObjectType::totButton), nullptr);
  EXPECT_EQ(engine.calls, (std::vector<std::string>{"open Explorer::Button"}));

  // The user switches themes off: the flag follows, nothing opens and the
  // engine is not asked.
  engine.active = false;
  heard.clear();
  Broadcast(win::WM_SYSCOLORCHANGE);
  EXPECT_EQ(heard.size(), 2u);
  EXPECT_FALSE(dxIsGlobalThemeActive());
  engine.calls.clear();
  EXPECT_FALSE(AreVisualStylesAvailable(TdxThemedObjectType::totButton));
  EXPECT_EQ(OpenTheme(TdxThemedObjectType::totButton), nullptr);
  EXPECT_TRUE(engine.calls.empty());

  // A colour change made through the system reaches the hidden window too.
  engine.active = true;
  heard.clear();
  gdi::ResetSysColors();
  const int index = gdi::COLOR_WINDOW;
  const win::COLORREF c = 0x123456;
  win::SetSysColors(1, &index, &c);
  win::headless::ProcessMessages();
  gdi::ResetSysColors();
  EXPECT_FALSE(heard.empty());
  EXPECT_TRUE(dxIsGlobalThemeActive());
}

TEST_F(ThemeCache, ANotificatorThatFailsOrFreesAnotherKeepsTheWindowWorking) {
  Plug();
  int errors = 0;
  struct Handler {
    int* count;
    void OnError(rtl::TObject*, rtl::Exception*) { ++*count; }
  } handler{&errors};
  ui::Application->SetOnException(ui::TExceptionEvent::bind<&Handler::OnError>(&handler));
  auto victim = std::make_unique<TdxThemeChangedNotificator>();
  std::vector<std::string> heard;
  struct Actor {
    std::unique_ptr<TdxThemeChangedNotificator>* victim;
    std::vector<std::string>* log;
    void Free(rtl::TObject*) {
      log->push_back("free");
      victim->reset();
    }
    void Victim(rtl::TObject*) { log->push_back("victim"); }
    void Raise(rtl::TObject*) { throw rtl::Exception(u"listener failed"); }
  } actor{&victim, &heard};
  TdxThemeChangedNotificator freer;
  freer.SetOnThemeChanged(TNotifyEvent::bind<&Actor::Free>(&actor));
  victim->SetOnThemeChanged(TNotifyEvent::bind<&Actor::Victim>(&actor));
  // victim joined first: it is told first.
  Broadcast(win::WM_THEMECHANGED);
  EXPECT_EQ(heard, (std::vector<std::string>{"victim", "free"}));
  TdxThemeChangedNotificator raiser;
  raiser.SetOnThemeChanged(TNotifyEvent::bind<&Actor::Raise>(&actor));
  heard.clear();
  Broadcast(win::WM_THEMECHANGED);
  EXPECT_EQ(heard, (std::vector<std::string>{"free"}));
  EXPECT_EQ(errors, 1);
}

TEST_F(ThemeCache, AvailabilityOfSetsAndTheStandardThemeName) {
  Plug();
  EXPECT_TRUE(AreVisualStylesAvailable());
  engine.refused = {u"Spin"};
  EXPECT_TRUE(AreVisualStylesAvailable(TdxThemedObjectTypes{TdxThemedObjectType::totButton}));
  EXPECT_FALSE(AreVisualStylesAvailable(
      TdxThemedObjectTypes{TdxThemedObjectType::totButton, TdxThemedObjectType::totSpin}));
  struct Case {
    const char16_t* file;
    bool standard;
  } cases[] = {{u"C:\\Windows\\Resources\\ThemeCache\\Luna\\luna.msstyles", true},
               {u"royale.MSSTYLES", true},
               {u"C:\\ThemeCache\\Aero\\aero.msstyles", false},
               {u"C:\\Luna.msstyles\\other.msstyles", false},
               {u"", false}};
  for (const Case& c : cases) {
    engine.themeFile = c.file;
    EXPECT_EQ(IsStandardTheme(), c.standard) << rtl::StringToUtf8(c.file);
  }
}

TEST_F(ThemeCache, WrappersPassTheirArgumentsTheWayTheEngineExpects) {
  Plug();
  // Booleans reach the engine as -1 or 0.
  EXPECT_TRUE(dxUpdatePanningFeedback(nullptr, {3, -4}, true));
  EXPECT_TRUE(dxEndPanningFeedback(nullptr, false));
  EXPECT_EQ(engine.calls, (std::vector<std::string>{"update 3,-4,-1", "end 0"}));
  engine.hasPanning = false;  // an engine without the feedback entry points
  EXPECT_FALSE(dxUpdatePanningFeedback(nullptr, {3, -4}, true));

  // The parent's background painting does not change the font of the DC.
  win::HDC dc = gdi::CreateCompatibleDC(nullptr);
  gdi::LOGFONTW lf{};
  lf.lfHeight = -13;
  win::HFONT font = gdi::CreateFontIndirectW(&lf);
  gdi::SelectObject(dc, font);
  const win::RECT r{0, 0, 5, 5};
  EXPECT_EQ(DrawThemeParentBackground(nullptr, dc, &r), dxS_OK);
  EXPECT_EQ(gdi::GetCurrentObject(dc, gdi::OBJ_FONT), font);
  gdi::DeleteDC(dc);
  gdi::DeleteObject(font);
}

}  // namespace
}  // namespace core
