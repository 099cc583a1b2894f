// An editor built from a container and an inner list box: the container
// sees every key and press first and may keep a key from the list; Tab
// moves between editors as if the list were the editor; and with automatic
// drag mode a press on the list drags the whole editor.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "lib/lookandfeel/cxContainer.h"
#include "lib/lookandfeel/cxInnerListBox.h"
#include "platform/ui/stdctrls.h"
#include "platform/win/headless.h"
#include "platform/win/input.h"
#include "tests/lookandfeel/control_fixture.h"

namespace lookandfeel {
namespace {

using Log = std::vector<std::string>;

std::string containerInputKeyName(int key) {
  if (key >= 'a' && key <= 'z') return std::string(1, char(key));
  return std::to_string(key);
}

// A container that writes down what reaches it and can keep one key.
class RecordingContainer : public TcxContainer {
 public:
  explicit RecordingContainer(rtl::TComponent* AOwner) : TcxContainer(AOwner) {}
  Log* log = nullptr;
  int keepKey = 0;  // a key code or a character the container consumes

 protected:
  void KeyDown(rtl::Word& Key, ui::TShiftState Shift) override {
    log->push_back("container down " + containerInputKeyName(Key));
    if (Key == keepKey) Key = 0;
    TcxContainer::KeyDown(Key, Shift);
  }
  void KeyPress(rtl::Char& Key) override {
    log->push_back("container press " + containerInputKeyName(Key));
    if (Key == keepKey) Key = 0;
    TcxContainer::KeyPress(Key);
  }
  void KeyUp(rtl::Word& Key, ui::TShiftState Shift) override {
    log->push_back("container up " + containerInputKeyName(Key));
    TcxContainer::KeyUp(Key, Shift);
  }
  void MouseDown(ui::TMouseButton Button, ui::TShiftState Shift, int X, int Y) override {
    log->push_back("container mouse down " + std::to_string(X) + "," + std::to_string(Y) +
                   (InnerControlMouseDown() ? " from the list" : ""));
    TcxContainer::MouseDown(Button, Shift, X, Y);
  }
  void MouseUp(ui::TMouseButton Button, ui::TShiftState Shift, int X, int Y) override {
    log->push_back("container mouse up " + std::to_string(X) + "," + std::to_string(Y));
    TcxContainer::MouseUp(Button, Shift, X, Y);
  }
  void Click() override {
    log->push_back("container click");
    TcxContainer::Click();
  }
};

class ContainerInputTest : public testing::ControlTest {
 protected:
  // An editor at (50, 40), 160 x 100, its list inset by the 2-pixel border.
  void PlaceEditor() {
    container = Place<RecordingContainer>(50, 40, 160, 100);
    container->log = &log;
    container->Style()->LookAndFeel()->SetNativeStyle(false);
    list = rtl::Create<TcxCustomInnerListBox>(container);
    list->SetParent(container);
    for (const char16_t* s : {u"alfa", u"bravo", u"charlie", u"delta", u"echo"}) list->Items()->Add(s);
    list->SetContainer(container);
    container->SetInnerControl(list);
    list->SetOnKeyDown(ui::TKeyEvent::fromClosure(list, [this](rtl::TObject*, rtl::Word& k, ui::TShiftState) {
      log.push_back("list down " + containerInputKeyName(k));
    }));
    list->SetOnKeyPress(ui::TKeyPressEvent::fromClosure(
        list, [this](rtl::TObject*, rtl::Char& k) { log.push_back("list press " + containerInputKeyName(k)); }));
    list->SetOnKeyUp(ui::TKeyEvent::fromClosure(list, [this](rtl::TObject*, rtl::Word& k, ui::TShiftState) {
      log.push_back("list up " + containerInputKeyName(k));
    }));
    list->SetOnMouseDown(ui::TMouseEvent::fromClosure(
        list, [this](rtl::TObject*, ui::TMouseButton, ui::TShiftState, int x, int y) {
          log.push_back("list mouse down " + std::to_string(x) + "," + std::to_string(y));
        }));
    Process();
    list->SetFocus();
    list->SetItemIndex(0);
    Process();
    log.clear();
  }
  RecordingContainer* container = nullptr;
  TcxCustomInnerListBox* list = nullptr;
  Log log;
};

struct KeyCase {
  const char* name;
  std::function<void()> press;
  int keepKey;
  Log expected;
  int itemIndex;  // the list's current item afterwards
};

void PrintTo(const KeyCase& c, std::ostream* os) { *os << c.name; }

class ContainerKeys : public ContainerInputTest, public ::testing::WithParamInterface<KeyCase> {};

const KeyCase kKeyCases[] = {
    {"arrow_reaches_the_list_after_the_container", [] { win::headless::PressKey(win::VK_DOWN); }, 0,
     {"container down 40", "list down 40", "container click", "container up 40", "list up 40"}, 1},
    {"arrow_kept_by_the_container", [] { win::headless::PressKey(win::VK_DOWN); }, win::VK_DOWN,
     {"container down 40", "container up 40", "list up 40"}, 0},
    {"letter_searches_after_the_container_saw_it", [] { win::headless::PressKey('D', u"d"); }, 0,
     {"container down 68", "list down 68", "container press d", "list press d", "container click", "container up 68",
      "list up 68"},
     3},
    {"letter_kept_by_the_container_searches_nothing", [] { win::headless::PressKey('D', u"d"); }, 'd',
     {"container down 68", "list down 68", "container press d", "list press 0", "container up 68", "list up 68"},
     0},
    {"enter_reaches_the_container_only", [] { win::headless::PressKey(win::VK_RETURN, u"\r"); }, 0,
     {"container down 13", "list down 13", "container press 13", "list press 0", "container up 13", "list up 13"},
     0},
};

TEST_P(ContainerKeys, TheContainerSeesEachKeyFirstAndMayKeepIt) {
  const KeyCase& c = GetParam();
  PlaceEditor();
  container->keepKey = c.keepKey;
  c.press();
  Process();
  EXPECT_EQ(log, c.expected);
  EXPECT_EQ(list->ItemIndex(), c.itemIndex);
  EXPECT_TRUE(list->Focused());
}

INSTANTIATE_TEST_SUITE_P(Keys, ContainerKeys, ::testing::ValuesIn(kKeyCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ContainerInputTest, APressOnTheListReachesTheContainerInItsCoordinatesWithoutTakingTheFocus) {
  PlaceEditor();
  const int row = list->ItemRect(2).top + 2;
  MouseDown(list, 20, row);
  MouseUp(list, 20, row);
  const std::string at = std::to_string(list->Left() + 20) + "," + std::to_string(list->Top() + row);
  // The list selects as the button goes down (its click, passed on, comes first).
  EXPECT_EQ(log, (Log{"container click", "container mouse down " + at + " from the list",
                      "list mouse down 20," + std::to_string(row), "container mouse up " + at}));
  EXPECT_EQ(list->ItemIndex(), 2);
  EXPECT_TRUE(list->Focused()) << "the container must not pull the focus off its list";
  EXPECT_FALSE(container->InnerControlMouseDown());
}

// ---- Tab between editors ----

class ContainerTabs : public ContainerInputTest {
 protected:
  void PlaceRow() {
    before = Place<ui::TEdit>(10, 10, 30, 20);
    PlaceEditor();
    after = Place<ui::TEdit>(220, 10, 30, 20);
    Process();
  }
  void Tab(bool shift) {
    if (shift) win::headless::KeyDown(win::VK_SHIFT);
    win::headless::PressKey(win::VK_TAB, u"\t");
    if (shift) win::headless::KeyUp(win::VK_SHIFT);
    Process();
  }
  ui::TEdit* before = nullptr;
  ui::TEdit* after = nullptr;
};

TEST_F(ContainerTabs, TabAndShiftTabTreatTheListAsTheEditor) {
  PlaceRow();
  struct Step {
    const char* what;
    ui::TWinControl* from;
    bool shift;
    ui::TWinControl* to;
  };
  const Step steps[] = {
      {"Tab from the list goes to the next control", list, false, after},
      {"Shift+Tab from the list leaves the editor backwards", list, true, before},
      {"Tab into the editor lands on its list", before, false, list},
      {"Shift+Tab into the editor lands on its list", after, true, list},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(s.what);
    s.from->SetFocus();
    Process();
    ASSERT_TRUE(s.from->Focused());
    Tab(s.shift);
    EXPECT_TRUE(s.to->Focused());
    EXPECT_NE(win::GetFocus(), container->Handle()) << "the frame itself never keeps the focus";
  }
  EXPECT_EQ(list->AutoCompleteFilter(), u"") << "Tab never reaches the list as a character";
}

TEST_F(ContainerTabs, TheListStandsInTheContainersPlaceOnlyWhileItIsActive) {
  PlaceRow();
  std::vector<ui::TWinControl*> order;
  before->SetFocus();
  Process();
  form()->GetTabOrderList(order);
  EXPECT_EQ(order, (std::vector<ui::TWinControl*>{before, container, list, after}));
  list->SetFocus();
  Process();
  order.clear();
  form()->GetTabOrderList(order);
  EXPECT_EQ(order, (std::vector<ui::TWinControl*>{before, list, after}));
}

// ---- dragging the editor by its list ----

class ContainerDrag : public ContainerInputTest {
 protected:
  void PlaceDraggable(bool multiSelect) {
    PlaceEditor();
    list->SetMultiSelect(multiSelect);
    container->SetDragMode(ui::dmAutomatic);
    container->SetOnStartDrag(ui::TStartDragEvent::fromClosure(
        container, [this](rtl::TObject*, std::unique_ptr<ui::TDragObject>&) { log.push_back("container drag"); }));
    list->SetOnStartDrag(ui::TStartDragEvent::fromClosure(
        list, [this](rtl::TObject*, std::unique_ptr<ui::TDragObject>&) { log.push_back("list drag"); }));
    Process();
    log.clear();
  }
  // Presses on item `item`, moves 20 pixels down with the button held, releases.
  void DragFrom(int item, bool ctrl = false) {
    const int y = list->ItemRect(item).top + 2;
    const win::POINT a = ScreenPoint(list, 20, y);
    if (ctrl) win::headless::KeyDown(win::VK_CONTROL);
    win::headless::MouseMove(a.x, a.y);
    win::headless::MouseDown(win::MouseButton::Left, a.x, a.y);
    win::headless::MouseMove(a.x, a.y + 10);
    win::headless::MouseMove(a.x, a.y + 20);
    win::headless::MouseUp(win::MouseButton::Left, a.x, a.y + 20);
    if (ctrl) win::headless::KeyUp(win::VK_CONTROL);
    Process();
  }
  static bool HasLine(const Log& l, const std::string& s) { return std::find(l.begin(), l.end(), s) != l.end(); }
};

TEST_F(ContainerDrag, ThePressOnTheListDragsTheEditorNotTheList) {
  PlaceDraggable(false);
  EXPECT_EQ(list->DragMode(), ui::dmAutomatic) << "the container's drag mode is its list's too";
  DragFrom(3);
  EXPECT_TRUE(HasLine(log, "container drag")) << ::testing::PrintToString(log);
  EXPECT_FALSE(HasLine(log, "list drag"));
  EXPECT_EQ(list->ItemIndex(), 3) << "the press selected the item before the drag began";
  EXPECT_EQ(list->DragMode(), ui::dmAutomatic) << "the list's drag mode comes back after the drag";
}

TEST_F(ContainerDrag, AMultiSelectionIsDraggedWholeAndExtendingItDragsNothing) {
  PlaceDraggable(true);
  list->SetSelected(1, true);
  list->SetSelected(2, true);
  list->SetSelected(4, true);
  DragFrom(2);
  EXPECT_TRUE(HasLine(log, "container drag"));
  EXPECT_EQ(list->SelCount(), 3) << "the press on the selection did not collapse it";
  log.clear();
  DragFrom(0, /*ctrl=*/true);
  EXPECT_FALSE(HasLine(log, "container drag")) << "Ctrl extends the selection instead";
  EXPECT_TRUE(list->Selected(0));
}

// A press on the container's own frame (not on the list) drags the editor
// too: once with a plain press, once with the second press of a double click.
struct FramePressCase {
  const char* name;
  bool doubleClick;
  int move;  // pixels the pointer travels down with the button held
  bool drags;
};
void PrintTo(const FramePressCase& c, std::ostream* os) { *os << c.name; }

class ContainerFrameDrag : public ContainerDrag, public ::testing::WithParamInterface<FramePressCase> {};

const FramePressCase kFramePressCases[] = {
    {"press", false, 20, true},
    {"doubleClick", true, 20, true},
    {"pressWithoutMoving", false, 0, false},
};

TEST_P(ContainerFrameDrag, ALeftPressOnTheFrameDragsTheEditorOnceThePointerLeavesTheSquare) {
  const FramePressCase& c = GetParam();
  PlaceDraggable(false);
  const win::POINT a = ScreenPoint(container, 1, 50);  // on the left border, beside the list
  win::headless::MouseMove(a.x, a.y);
  if (c.doubleClick) {
    win::headless::MouseDown(win::MouseButton::Left, a.x, a.y);
    win::headless::MouseUp(win::MouseButton::Left, a.x, a.y);
  }
  win::headless::MouseDown(win::MouseButton::Left, a.x, a.y);
  if (c.move) {
    win::headless::MouseMove(a.x, a.y + c.move / 2);
    win::headless::MouseMove(a.x, a.y + c.move);
  }
  win::headless::MouseUp(win::MouseButton::Left, a.x, a.y + c.move);
  Process();
  EXPECT_EQ(HasLine(log, "container drag"), c.drags) << ::testing::PrintToString(log);
  EXPECT_FALSE(HasLine(log, "list drag"));
}

INSTANTIATE_TEST_SUITE_P(Presses, ContainerFrameDrag, ::testing::ValuesIn(kFramePressCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace lookandfeel
