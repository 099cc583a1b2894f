// Window, key, character, mouse and desktop helpers on the headless window
// system (one 1280 x 1024 monitor with a 40-pixel task bar at the bottom).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lib/core/dxWinHelpers.h"
#include "platform/rtl/formatsettings.h"
#include "platform/ui/controls.h"
#include "platform/ui/forms.h"
#include "platform/ui/stdctrls.h"
#include "platform/win/constants.h"
#include "platform/win/headless.h"
#include "platform/win/input.h"
#include "platform/win/message_loop.h"
#include "platform/win/paint.h"
#include "platform/win/window.h"

namespace core {
namespace {

using namespace win;
using ui::TShiftState;

// --- pure routines ------------------------------------------------------------------------

TEST(WindowHelpers, SystemKeys) {
  struct Case {
    int key;
    bool sys;
  } cases[] = {{9, true},    {101, true},  {8, false},  {65, false}, {300, false}, {3, true},   {13, true},
               {16, true},   {20, true},   {21, false}, {27, true},  {32, false},  {33, true},  {47, true},
               {48, false},  {90, false},  {91, true},  {145, true}, {146, false}, {160, true}, {165, true},
               {166, false}, {229, true},  {245, false}, {246, true}, {254, true}, {255, false}};
  for (const Case& c : cases) EXPECT_EQ(IsSysKey(rtl::Word(c.key)), c.sys) << c.key;
}

TEST(WindowHelpers, RemoveAccelChars) {
  struct Case {
    const char16_t* in;
    bool underscore;
    const char16_t* out;
  } cases[] = {{u"&File", true, u"File"},   {u"A&&B", true, u"A&B"},   {u"Save&", true, u"Save_"},
               {u"Save&", false, u"Save"},  {u"&&&x", false, u"&x"},   {u"&", true, u"_"},
               {u"", true, u""},            {u"a&&", true, u"a&"},     {u"plain", false, u"plain"}};
  for (const Case& c : cases)
    EXPECT_EQ(RemoveAccelChars(c.in, c.underscore), rtl::String(c.out)) << rtl::String(c.in).size();
}

TEST(WindowHelpers, NumericAndEditingCharacters) {
  rtl::FormatSettings().DecimalSeparator = u',';
  struct Case {
    char16_t c;
    TcxNumberType type;
    bool numeric;
  } cases[] = {{u'7', TcxNumberType::ntInteger, true},   {u'-', TcxNumberType::ntInteger, true},
               {u'+', TcxNumberType::ntInteger, true},   {u',', TcxNumberType::ntInteger, false},
               {u',', TcxNumberType::ntFloat, true},     {u'.', TcxNumberType::ntFloat, false},
               {u'e', TcxNumberType::ntFloat, false},    {u'e', TcxNumberType::ntExponent, true},
               {u'E', TcxNumberType::ntExponent, true},  {u'x', TcxNumberType::ntExponent, false},
               {u'\u0663', TcxNumberType::ntInteger, true}};  // Arabic-Indic three is a digit too
  for (const Case& c : cases) EXPECT_EQ(IsNumericChar(c.c, c.type), c.numeric) << int(c.c);
  rtl::FormatSettings().DecimalSeparator = u'.';
  EXPECT_TRUE(IsNumericChar(u'.', TcxNumberType::ntFloat));

  struct CharCase {
    char16_t c;
    bool text, editStart, searchStart;
  } chars[] = {{u'a', true, true, true},   {u' ', true, true, true},    {8, false, true, true},
               {22, false, true, false},   {24, false, true, false},    {3, false, false, false},
               {13, false, false, false},  {u'\u00e9', true, true, true}};
  for (const CharCase& c : chars) {
    EXPECT_EQ(IsTextChar(c.c), c.text) << int(c.c);
    EXPECT_EQ(IsEditStartChar(c.c), c.editStart) << int(c.c);
    EXPECT_EQ(IsIncSearchStartChar(c.c), c.searchStart) << int(c.c);
  }
}

TEST(WindowHelpers, ShiftStates) {
  using namespace ui;
  struct Case {
    TShiftState shift;
    bool moveOnly, leftOnly, leftOnlyWithDouble;
    WPARAM keys;
  } cases[] = {
      {{}, true, false, false, 0},
      {{ssTouch}, true, false, false, 0},
      {{ssLeft}, false, true, true, MK_LBUTTON},
      {{ssLeft, ssDouble}, false, false, true, MK_LBUTTON},
      {{ssLeft, ssShift}, false, false, false, MK_LBUTTON | MK_SHIFT},
      {{ssLeft, ssAlt}, false, false, false, MK_LBUTTON},
      {{ssRight, ssCtrl}, false, false, false, MK_RBUTTON | MK_CONTROL},
      {{ssMiddle}, false, false, false, MK_MBUTTON},
      {{ssDouble}, false, false, false, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.shift.Bits());
    EXPECT_EQ(cxShiftStateMoveOnly(c.shift), c.moveOnly);
    EXPECT_EQ(cxShiftStateLeftOnly(c.shift, false), c.leftOnly);
    EXPECT_EQ(cxShiftStateLeftOnly(c.shift, true), c.leftOnlyWithDouble);
    EXPECT_EQ(ShiftStateToKeys(c.shift), c.keys);
  }
}

TEST(WindowHelpers, PointPositionSplitsAlongDiagonalsOrMiddles) {
  const TRect r{0, 0, 10, 10};
  struct Case {
    TRect rect;
    TPoint p;
    bool horz, vert;
    TcxPosition expected;
  } cases[] = {
      {r, {5, 1}, true, true, TcxPosition::posTop},     {r, {1, 5}, true, true, TcxPosition::posLeft},
      {r, {9, 5}, true, true, TcxPosition::posRight},   {r, {5, 9}, true, true, TcxPosition::posBottom},
      {r, {0, 0}, true, true, TcxPosition::posTop},     {r, {5, 5}, true, true, TcxPosition::posTop},
      {r, {0, 10}, true, true, TcxPosition::posLeft},   // on the rising diagonal: counts as its upper side
      {r, {4, 9}, true, false, TcxPosition::posLeft},   {r, {5, 0}, true, false, TcxPosition::posRight},
      {r, {9, 4}, false, true, TcxPosition::posTop},    {r, {0, 5}, false, true, TcxPosition::posBottom},
      {r, {5, 5}, false, false, TcxPosition::posNone},
      // The middle of -5 .. 0 is -3 (halving toward minus infinity).
      {{-5, 0, 0, 4}, {-3, 0}, true, false, TcxPosition::posRight},
      {{-5, 0, 0, 4}, {-4, 0}, true, false, TcxPosition::posLeft},
  };
  for (const Case& c : cases)
    EXPECT_EQ(GetPointPosition(c.rect, c.p, c.horz, c.vert), c.expected) << c.p.x << "," << c.p.y;
}

// --- the window system ---------------------------------------------------------------------

class HelperWindows : public testing::Test {
 protected:
  void SetUp() override {
    WNDCLASSEXW wc;
    wc.lpfnWndProc = &DefWindowProcW;
    wc.lpszClassName = u"HelperWnd";
    ASSERT_NE(RegisterClassExW(&wc), 0);
  }
  void TearDown() override { dxSetCursorPosQuery(nullptr); }
  HWND Top(int x, int y, int w, int h, DWORD style = WS_OVERLAPPEDWINDOW | WS_VISIBLE) {
    return CreateWindowExW(0, u"HelperWnd", u"", style, x, y, w, h, nullptr, nullptr, nullptr, nullptr);
  }
  HWND Child(HWND parent, int x, int y, int w, int h, DWORD style = WS_CHILD | WS_VISIBLE) {
    return CreateWindowExW(0, u"HelperWnd", u"", style, x, y, w, h, parent, nullptr, nullptr, nullptr);
  }
  headless::HeadlessScope screen;
};

TEST_F(HelperWindows, WorkAreaAndMakeVisibleOnDesktop) {
  const TRect area{0, 0, headless::kScreenWidth, headless::kScreenHeight - headless::kTaskBarHeight};
  EXPECT_EQ(GetDesktopWorkArea({5000, 5000}), area);
  EXPECT_EQ(GetMonitorWorkArea(nullptr), area);
  struct Case {
    TRect in, out;
  } cases[] = {
      {{1030, 10, 1330, 110}, {980, 10, 1280, 110}},      // 50 past the right edge: 50 to the left
      {{10, 950, 110, 1050}, {10, 884, 110, 984}},        // into the task bar: up
      {{-20, -30, 80, 70}, {0, 0, 100, 100}},             // before left and top: right and down
      {{100, 100, 1500, 1200}, {0, 0, 1400, 1100}},       // larger than the area: left-top aligned
      {{10, 10, 20, 20}, {10, 10, 20, 20}},               // inside: unchanged
  };
  for (const Case& c : cases) {
    TRect r = c.in;
    MakeVisibleOnDesktop(r, {c.in.left, c.in.top});
    EXPECT_EQ(r, c.out) << c.in.left << "," << c.in.top;
  }
}

TEST_F(HelperWindows, WindowFromPointFindsTheDeepestVisibleChild) {
  HWND top = Top(100, 100, 400, 300);
  HWND panel = Child(top, 10, 10, 300, 200);
  HWND inner = Child(panel, 20, 20, 100, 100);
  HWND hidden = Child(inner, 0, 0, 50, 50, WS_CHILD);
  HWND disabled = Child(panel, 200, 20, 50, 50, WS_CHILD | WS_VISIBLE | WS_DISABLED);
  const TPoint origin = cxClientToScreen(panel, {0, 0});
  EXPECT_EQ(cxWindowFromPoint({origin.x + 25, origin.y + 25}), inner);  // the hidden child is skipped
  EXPECT_NE(hidden, nullptr);
  EXPECT_EQ(cxWindowFromPoint({origin.x + 210, origin.y + 30}), disabled);  // disabled ones count
  EXPECT_EQ(cxWindowFromPoint({origin.x + 150, origin.y + 150}), panel);
  EXPECT_EQ(cxWindowFromPoint({1200, 900}), nullptr);  // the bare desktop
  ShowWindow(hidden, SW_SHOW);
  EXPECT_EQ(cxWindowFromPoint({origin.x + 25, origin.y + 25}), hidden);
}

TEST_F(HelperWindows, TreeEnablingAndFocus) {
  HWND top = Top(100, 100, 400, 300);
  HWND panel = Child(top, 10, 10, 300, 200);
  HWND edit = Child(panel, 20, 20, 100, 30);
  HWND other = Top(600, 100, 200, 200);
  EXPECT_TRUE(IsChildClassWindow(edit));
  EXPECT_FALSE(IsChildClassWindow(top));
  EXPECT_TRUE(IsChildEx(top, edit));
  EXPECT_TRUE(IsChildEx(edit, edit));
  EXPECT_FALSE(IsChildEx(other, edit));
  EXPECT_FALSE(IsChildEx(nullptr, edit));

  EXPECT_TRUE(IsWindowEnabledEx(edit));
  EnableWindow(top, FALSE);  // the first non-child window counts too
  EXPECT_FALSE(IsWindowEnabledEx(edit));
  EnableWindow(top, TRUE);
  EnableWindow(panel, FALSE);
  EXPECT_FALSE(IsWindowEnabledEx(edit));
  EXPECT_FALSE(IsWindowEnabledEx(panel));
  EXPECT_TRUE(IsWindowEnabledEx(top));
  EnableWindow(panel, TRUE);

  // A child counts as focused when one of its parents has the focus.
  SetFocus(panel);
  EXPECT_EQ(GetFocus(), panel);
  EXPECT_TRUE(cxIsParentFocused(panel));
  EXPECT_TRUE(cxIsParentFocused(edit));
  EXPECT_FALSE(cxIsParentFocused(top));
  EXPECT_FALSE(cxIsParentFocused(nullptr));
}

TEST_F(HelperWindows, RectanglesAndMapping) {
  HWND top = Top(100, 50, 400, 300);
  HWND child = Child(top, 10, 20, 100, 60, WS_CHILD | WS_VISIBLE | WS_BORDER);
  const TRect wr = cxGetWindowRect(top);
  EXPECT_EQ(wr, (TRect{100, 50, 500, 350}));
  EXPECT_EQ(cxGetWindowBounds(top), (TRect{0, 0, 400, 300}));
  const TPoint offset = cxGetClientOffset(top);
  EXPECT_GT(offset.y, offset.x);  // the caption lies above the client area
  const TPoint clientOrigin = cxClientToScreen(top, {0, 0});
  EXPECT_EQ(clientOrigin, (TPoint{wr.left + offset.x, wr.top + offset.y}));
  EXPECT_EQ(cxGetClientOffset(child), (TPoint{1, 1}));  // the one-pixel border

  // A window that is gone gives the empty rectangle.
  HWND gone = Child(top, 0, 0, 10, 10);
  DestroyWindow(gone);
  EXPECT_EQ(cxGetWindowRect(gone), cxNullRect);
  EXPECT_EQ(cxGetClientRect(gone), cxNullRect);

  // Client coordinates map through the client origins, window coordinates
  // through the window rectangles.
  EXPECT_EQ(dxMapWindowPoint(child, top, {0, 0}, true), (TPoint{11, 21}));
  EXPECT_EQ(dxMapWindowPoint(child, top, {0, 0}, false), (TPoint{offset.x + 10, offset.y + 20}));
  EXPECT_EQ(dxMapWindowPoint(child, nullptr, {0, 0}, false),
            (TPoint{clientOrigin.x + 10, clientOrigin.y + 20}));
  EXPECT_EQ(dxMapWindowRect(child, top, {1, 2, 11, 7}, true), (TRect{12, 23, 22, 28}));
}

TEST_F(HelperWindows, ZOrderAndRedrawWrappers) {
  HWND a = Top(100, 100, 200, 200);
  HWND b = Top(150, 150, 200, 200);
  SetActiveWindow(b);
  EXPECT_EQ(GetWindow(a, GW_HWNDPREV), b);
  dxSetZOrder(a, HWND_TOP);  // over b without taking the activation
  EXPECT_EQ(GetWindow(b, GW_HWNDPREV), a);
  EXPECT_EQ(GetActiveWindow(), b);
  dxSetZOrder(b, HWND_TOP, true);
  EXPECT_EQ(GetActiveWindow(), b);
  EXPECT_EQ(GetWindow(a, GW_HWNDPREV), b);

  headless::ProcessMessages();
  RECT update{};
  EXPECT_FALSE(GetUpdateRect(a, &update, FALSE));
  cxRedrawWindow(a, TRect{5, 6, 20, 30}, false, false);
  EXPECT_TRUE(GetUpdateRect(a, &update, FALSE));
  EXPECT_EQ(update, (RECT{5, 6, 20, 30}));
  headless::ProcessMessages();
  cxInvalidateRect(a, false);
  EXPECT_TRUE(GetUpdateRect(a, &update, FALSE));
  EXPECT_EQ(update, cxGetClientRect(a));
}

TEST_F(HelperWindows, KeysMouseAndCursor) {
  HWND top = Top(100, 100, 400, 300);
  SetFocus(top);
  headless::ProcessMessages();
  EXPECT_EQ(GetCharFromKeyCode('A'), u'a');
  EXPECT_EQ(GetCharFromKeyCode(VK_SHIFT), u'\0');  // types nothing
  headless::KeyDown(VK_SHIFT);
  headless::KeyDown(VK_CONTROL);
  headless::ProcessMessages();
  EXPECT_TRUE(IsCtrlPressed());
  headless::MouseDown(MouseButton::Left, 200, 200);
  headless::ProcessMessages();
  EXPECT_EQ(GetMouseKeys(), MK_LBUTTON | MK_SHIFT | MK_CONTROL);
  headless::MouseUp(MouseButton::Left, 200, 200);
  headless::KeyUp(VK_CONTROL);
  headless::ProcessMessages();
  EXPECT_FALSE(IsCtrlPressed());
  EXPECT_EQ(GetMouseKeys(), MK_SHIFT);
  EXPECT_EQ(GetCharFromKeyCode('A'), u'A');
  EXPECT_EQ(GetCharFromKeyCode('1'), u'!');
  headless::KeyUp(VK_SHIFT);
  headless::ProcessMessages();

  EXPECT_EQ(GetDblClickInterval(), int(GetDoubleClickTime()));
  headless::MouseMove(321, 234);
  EXPECT_EQ(GetMouseCursorPos(), (TPoint{321, 234}));
  dxSetCursorPosQuery([](POINT* p) -> BOOL {
    *p = POINT{7, 7};  // garbage that must not leak out
    return FALSE;
  });
  EXPECT_EQ(GetMouseCursorPos(), cxInvalidPoint);
}

TEST_F(HelperWindows, DragDetectAreaIsBelowTheThresholdInBothDirections) {
  EXPECT_EQ(dxGetDragThreshold(), 4);
  struct Case {
    int x, y;
    bool inside;
  } cases[] = {{100, 100, true}, {103, 97, true}, {104, 100, false}, {100, 96, false}, {97, 103, true}};
  for (const Case& c : cases) EXPECT_EQ(IsPointInDragDetectArea({100, 100}, c.x, c.y), c.inside) << c.x << "," << c.y;
}

// --- controls ------------------------------------------------------------------------------

struct FreeObject {
  void operator()(rtl::TObject* o) const {
    if (o) o->Free();
  }
};

class HelperControls : public HelperWindows {
 protected:
  void SetUp() override {
    HelperWindows::SetUp();
    ui::Application->Initialize();
  }
};

// Writes down which controls saw a message.
class TLoggingPanel : public ui::TPanel {
  RTL_CLASS(TLoggingPanel, ui::TPanel)
 public:
  using ui::TPanel::TPanel;
  static inline std::vector<std::string>* log = nullptr;
  void WndProc(ui::TMessage& m) override {
    if (m.Msg == WM_USER + 7 && log) log->push_back(rtl::StringToUtf8(Name()));
    ui::TPanel::WndProc(m);
  }
};

TEST_F(HelperControls, FindingControlsFormsAndNames) {
  std::unique_ptr<ui::TForm, FreeObject> form(rtl::Create<ui::TForm>(nullptr));
  form->SetName(u"MainForm");
  form->SetBounds(100, 100, 400, 300);
  auto* outer = rtl::Create<TLoggingPanel>(form.get());
  outer->SetName(u"Outer");
  outer->SetParent(form.get());
  outer->SetBounds(10, 10, 300, 200);
  auto* inner = rtl::Create<TLoggingPanel>(form.get());
  inner->SetName(u"Inner");
  inner->SetParent(outer);
  inner->SetBounds(5, 7, 100, 100);
  auto* unnamed = rtl::Create<ui::TPanel>(inner);
  form->Show();
  // A foreign window inside a control belongs to that control.
  HWND foreign = Child(inner->Handle(), 0, 0, 10, 10);
  EXPECT_EQ(cxFindVCLControl(foreign), inner);
  EXPECT_EQ(dxFindParentControl(inner->Handle()), inner);
  EXPECT_EQ(dxGetParentForm(foreign), form.get());
  EXPECT_EQ(cxFindVCLControl(Top(700, 700, 50, 50)), nullptr);
  EXPECT_EQ(cxFindVCLControl(nullptr), nullptr);

  EXPECT_EQ(cxFindComponent(form.get(), &TLoggingPanel::classInfo()), outer);
  EXPECT_EQ(cxFindComponent(form.get(), &ui::TForm::classInfo()), nullptr);
  auto* named = rtl::Create<ui::TPanel>(unnamed);
  named->SetName(u"Leaf");
  EXPECT_EQ(cxGetFullComponentName(inner), u"MainForm.Inner");
  EXPECT_EQ(cxGetFullComponentName(named), u"MainForm.Inner.Leaf");  // the unnamed owner is skipped

  EXPECT_EQ(cxClientToParent(inner, {1, 1}, form.get()), (TPoint{16, 18}));
  EXPECT_TRUE(IsControlVisible(inner));
  inner->Hide();
  EXPECT_FALSE(IsControlVisible(inner));
  EXPECT_FALSE(IsControlVisible(nullptr));
  EXPECT_EQ(cxGetWindowRect(static_cast<ui::TWinControl*>(nullptr)), cxNullRect);

  std::vector<std::string> seen;
  TLoggingPanel::log = &seen;
  dxPerformMessageByQueue(inner, WM_USER + 7);
  TLoggingPanel::log = nullptr;
  EXPECT_EQ(seen, (std::vector<std::string>{"Inner", "Outer"}));  // the form does not get it
}

std::vector<rtl::TComponent*> modifiedRoots;

// Component states are set by the streaming system; the test sets them itself.
template <class Base>
class TStated : public Base {
 public:
  using Base::Base;
  using Base::ExcludeState;
  using Base::IncludeState;
};

TEST_F(HelperControls, DesignerHearsOnlyOfSettledDesignTimeComponents) {
  std::unique_ptr<TStated<ui::TForm>, FreeObject> form(rtl::Create<TStated<ui::TForm>>(nullptr));
  auto* panel = rtl::Create<TStated<ui::TPanel>>(form.get());
  panel->SetParent(form.get());
  modifiedRoots.clear();
  dxSetDesignerModifiedProc([](rtl::TComponent* root) { modifiedRoots.push_back(root); });
  SetDesignerModified(panel);  // run time: nothing
  EXPECT_TRUE(modifiedRoots.empty());
  panel->IncludeState(rtl::TComponentStateItem::csDesigning);
  SetDesignerModified(panel);
  EXPECT_EQ(modifiedRoots, (std::vector<rtl::TComponent*>{form.get()}));
  form->IncludeState(rtl::TComponentStateItem::csLoading);  // a parent still loading
  SetDesignerModified(panel);
  EXPECT_EQ(modifiedRoots.size(), 1u);
  form->ExcludeState(rtl::TComponentStateItem::csLoading);
  panel->IncludeState(rtl::TComponentStateItem::csWriting);
  SetDesignerModified(panel);
  EXPECT_EQ(modifiedRoots.size(), 1u);
  dxSetDesignerModifiedProc(nullptr);
}

}  // namespace
}  // namespace core
