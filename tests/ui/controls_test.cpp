// Controls: layout by alignment and anchors, the CM_ notifications and CN_
// reflections in order, windows made on demand, focus and tab order, mouse
// routing to graphic controls, and painting.
#include <cstdio>

#include "platform/gdi/gdi.h"
#include "tests/support/golden.h"
#include "tests/ui/ui_fixture.h"

using namespace ui;
using namespace uitest;
using Lines = std::vector<std::string>;

namespace {

// A graphic control that fills itself with its colour.
class TBlock : public TGraphicControl {
 public:
  explicit TBlock(rtl::TComponent* owner) : TGraphicControl(owner) { SetBounds(0, 0, 20, 10); }

 protected:
  void Paint() override {
    Canvas()->Brush()->SetColor(Color());
    Canvas()->FillRect(ClientRect());
  }
};

// A window control that takes the focus and paints a frame and its caption.
class TBox : public TCustomControl {
 public:
  explicit TBox(rtl::TComponent* owner) : TCustomControl(owner) {
    SetTabStop(true);
    SetBounds(0, 0, 60, 24);
  }
  std::u16string typed;

 protected:
  void Paint() override {
    Canvas()->Brush()->SetColor(Color());
    Canvas()->Pen()->SetColor(clBlack);
    Canvas()->Rectangle(ClientRect());
    Canvas()->Font()->Assign(Font());
    Canvas()->TextOut(4, 4, Caption());
  }
  void KeyPress(rtl::Char& key) override {
    typed.push_back(key);
    TCustomControl::KeyPress(key);
  }
};

class Layout : public UiTest {};

struct LayoutCase {
  const char* name;
  TAlign align;
  TAnchors anchors;
  TRect start;     // left, top, width, height as SetBounds takes them
  TRect inParent;  // after insertion into a 200 x 100 parent
  TRect resized;   // after the parent grows to 300 x 150
};

TRect boundsOf(TControl* c) { return TRect{c->Left(), c->Top(), c->Width(), c->Height()}; }
std::string show(const TRect& r) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "(%d,%d,%d,%d)", int(r.left), int(r.top), int(r.right), int(r.bottom));
  return buf;
}

}  // namespace

TEST_F(Layout, AlignAndAnchorsFollowTheParentsClientArea) {
  const LayoutCase cases[] = {
      {"top", alTop, {}, {5, 5, 40, 20}, {0, 0, 200, 20}, {0, 0, 300, 20}},
      {"bottom", alBottom, {}, {5, 5, 40, 20}, {0, 80, 200, 20}, {0, 130, 300, 20}},
      {"left", alLeft, {}, {5, 5, 30, 20}, {0, 0, 30, 100}, {0, 0, 30, 150}},
      {"right", alRight, {}, {5, 5, 30, 20}, {170, 0, 30, 100}, {270, 0, 30, 150}},
      {"client", alClient, {}, {5, 5, 30, 20}, {0, 0, 200, 100}, {0, 0, 300, 150}},
      {"left-top", alNone, {akLeft, akTop}, {10, 10, 50, 20}, {10, 10, 50, 20}, {10, 10, 50, 20}},
      {"right-bottom", alNone, {akRight, akBottom}, {140, 70, 50, 20}, {140, 70, 50, 20},
       {240, 120, 50, 20}},
      // Neither top nor bottom: centred vertically.
      {"left-right", alNone, {akLeft, akRight}, {10, 10, 50, 20}, {10, 10, 50, 20},
       {10, 20, 150, 20}},
      {"all four", alNone, {akLeft, akTop, akRight, akBottom}, {10, 10, 50, 20}, {10, 10, 50, 20},
       {10, 10, 150, 70}},
      // Neither side: the centre keeps its proportion.
      {"centred", alNone, {}, {75, 40, 50, 20}, {75, 40, 50, 20}, {125, 65, 50, 20}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    auto parent = Make<TWinControl>(nullptr);
    parent->SetBounds(0, 0, 200, 100);
    TBlock* child = rtl::Create<TBlock>(nullptr);
    child->SetBounds(c.start.left, c.start.top, c.start.right, c.start.bottom);
    if (c.align != alNone)
      child->SetAlign(c.align);
    else
      child->SetAnchors(c.anchors);
    child->SetParent(parent.get());
    EXPECT_EQ(show(boundsOf(child)), show(c.inParent));
    parent->SetBounds(0, 0, 300, 150);
    EXPECT_EQ(show(boundsOf(child)), show(c.resized));
    // The parent frees the children it still has.
  }
}

TEST_F(Layout, AlignedControlsShareTheRestInOrderTopBottomLeftRightClient) {
  auto parent = Make<TWinControl>(nullptr);
  parent->SetBounds(0, 0, 200, 100);
  auto add = [&](TAlign a, int l, int t, int w, int h) {
    TBlock* b = rtl::Create<TBlock>(nullptr);
    b->SetBounds(l, t, w, h);
    b->SetAlign(a);
    b->SetParent(parent.get());
    return b;
  };
  parent->DisableAlign();
  TBlock* client = add(alClient, 0, 0, 10, 10);
  TBlock* top2 = add(alTop, 0, 50, 10, 20);  // lower: goes under top1
  TBlock* top1 = add(alTop, 0, 0, 10, 10);
  TBlock* bottom = add(alBottom, 0, 0, 10, 15);
  TBlock* left = add(alLeft, 0, 0, 40, 10);
  TBlock* right = add(alRight, 0, 0, 25, 10);
  parent->EnableAlign();
  EXPECT_EQ(show(boundsOf(top1)), show({0, 0, 200, 10}));
  EXPECT_EQ(show(boundsOf(top2)), show({0, 10, 200, 20}));
  EXPECT_EQ(show(boundsOf(bottom)), show({0, 85, 200, 15}));
  EXPECT_EQ(show(boundsOf(left)), show({0, 30, 40, 55}));
  EXPECT_EQ(show(boundsOf(right)), show({175, 30, 25, 55}));
  EXPECT_EQ(show(boundsOf(client)), show({40, 30, 135, 55}));
  // Hidden controls give their place back.
  top2->SetVisible(false);
  EXPECT_EQ(show(boundsOf(client)), show({40, 10, 135, 75}));
}

// ---- notifications ------------------------------------------------------------------

class Notifications : public UiTest {};

TEST_F(Notifications, FontAndColourFlowToChildrenThatFollowTheirParent) {
  auto parent = Make<TWinControl>(nullptr);
  TBlock* follows = rtl::Create<TBlock>(nullptr);
  TBlock* own = rtl::Create<TBlock>(nullptr);
  follows->SetParent(parent.get());
  own->SetParent(parent.get());
  own->SetColor(clRed);
  own->Font()->SetSize(14);
  EXPECT_FALSE(own->ParentColor());
  EXPECT_FALSE(own->ParentFont());

  MessageLog log;
  log.only = {CM_FONTCHANGED, CM_PARENTFONTCHANGED, CM_COLORCHANGED, CM_PARENTCOLORCHANGED};
  log.Watch(parent.get(), "parent");
  log.Watch(follows, "follows");
  log.Watch(own, "own");

  parent->Font()->SetSize(12);
  EXPECT_EQ(log.lines, (Lines{"parent:CM_FONTCHANGED", "follows:CM_PARENTFONTCHANGED",
                              "follows:CM_FONTCHANGED", "own:CM_PARENTFONTCHANGED"}));
  EXPECT_EQ(follows->Font()->Size(), 12);
  EXPECT_TRUE(follows->ParentFont());
  EXPECT_EQ(own->Font()->Size(), 14);

  log.lines.clear();
  parent->SetColor(clYellow);
  EXPECT_EQ(log.lines, (Lines{"parent:CM_COLORCHANGED", "follows:CM_PARENTCOLORCHANGED",
                              "follows:CM_COLORCHANGED", "own:CM_PARENTCOLORCHANGED"}));
  EXPECT_EQ(follows->Color(), clYellow);
  EXPECT_TRUE(follows->ParentColor());
  EXPECT_EQ(own->Color(), clRed);

  // Turning ParentColor back on takes the parent's colour at once.
  own->SetParentColor(true);
  EXPECT_EQ(own->Color(), clYellow);
}

TEST_F(Notifications, StateChangesEachSendTheirNotification) {
  auto parent = Make<TWinControl>(nullptr);
  TBlock* block = rtl::Create<TBlock>(nullptr);
  block->SetParent(parent.get());
  MessageLog log;
  log.only = {CM_ENABLEDCHANGED, CM_VISIBLECHANGED, CM_TEXTCHANGED, win::WM_SETTEXT,
              CM_SHOWHINTCHANGED, CM_PARENTSHOWHINTCHANGED};
  log.Watch(block, "block");
  block->SetEnabled(false);
  block->SetEnabled(false);  // no change, no message
  block->SetVisible(false);
  block->SetCaption(u"Nome");
  block->SetCaption(u"Nome");
  parent->SetShowHint(true);
  EXPECT_EQ(log.lines, (Lines{"block:CM_ENABLEDCHANGED", "block:CM_VISIBLECHANGED",
                              "block:WM_SETTEXT", "block:CM_TEXTCHANGED",
                              "block:CM_PARENTSHOWHINTCHANGED", "block:CM_SHOWHINTCHANGED"}));
  EXPECT_EQ(block->Caption(), u"Nome");
  EXPECT_TRUE(block->ShowHint());
  EXPECT_TRUE(block->ParentShowHint());
}

TEST_F(Notifications, ParentWindowReflectsCommandNotifyAndColourMessagesToTheChild) {
  auto form = Make<TForm>(nullptr);
  TBox* box = rtl::Create<TBox>(form.get());
  box->SetParent(form.get());
  box->SetColor(clAqua);
  box->Font()->SetColor(clNavy);
  MessageLog log;
  log.only = {CN_COMMAND, CN_NOTIFY, CN_CTLCOLOREDIT};
  log.Watch(box, "box");
  win::HWND parent = form->Handle();
  win::HWND child = box->Handle();

  win::SendMessageW(parent, win::WM_COMMAND, win::MAKEWPARAM(7, 0), reinterpret_cast<win::LPARAM>(child));
  NMHDR hdr{child, 7, 123};
  win::SendMessageW(parent, win::WM_NOTIFY, 7, reinterpret_cast<win::LPARAM>(&hdr));
  win::HDC dc = win::GetDC(child);
  const auto brush = win::SendMessageW(parent, win::WM_CTLCOLOREDIT, reinterpret_cast<win::WPARAM>(dc),
                                       reinterpret_cast<win::LPARAM>(child));
  EXPECT_EQ(gdi::GetTextColor(dc), ColorToRGB(clNavy));
  EXPECT_EQ(gdi::GetBkColor(dc), ColorToRGB(clAqua));
  win::ReleaseDC(child, dc);
  EXPECT_EQ(brush, reinterpret_cast<win::LRESULT>(box->Brush()->Handle()));
  EXPECT_EQ(log.lines, (Lines{"box:CN_COMMAND", "box:CN_NOTIFY", "box:CN_CTLCOLOREDIT"}));
  // A foreign window's messages are left to the default procedure.
  EXPECT_EQ(win::SendMessageW(parent, win::WM_COMMAND, 1, 0), 0);
}

// ---- windows on demand ---------------------------------------------------------------

class Handles : public UiTest {};

TEST_F(Handles, WindowsAreMadeWhenNeededAndTheObjectSeesTheFirstMessages) {
  auto form = Make<TForm>(nullptr);
  TBox* box = rtl::Create<TBox>(form.get());
  box->SetParent(form.get());
  box->SetCaption(u"Caixa");
  EXPECT_FALSE(form->HandleAllocated());
  EXPECT_FALSE(box->HandleAllocated());

  MessageLog log;
  log.only = {win::WM_NCCREATE, win::WM_NCCALCSIZE, win::WM_CREATE};
  log.Watch(box, "box");
  win::HWND h = box->Handle();  // the form's window comes first
  EXPECT_TRUE(form->HandleAllocated());
  EXPECT_EQ(win::GetParent(h), form->Handle());
  EXPECT_EQ(log.lines, (Lines{"box:WM_NCCREATE", "box:WM_NCCALCSIZE", "box:WM_CREATE"}));
  EXPECT_EQ(TWinControl::FindControl(h), box);
  EXPECT_FALSE(win::IsWindowVisible(h));  // not shown until the form is

  box->DestroyHandle();
  EXPECT_FALSE(box->HandleAllocated());
  EXPECT_FALSE(win::IsWindow(h));
  EXPECT_EQ(box->Caption(), u"Caixa");  // kept across the window's life
  form->Show();
  EXPECT_TRUE(box->HandleAllocated());
  EXPECT_TRUE(win::IsWindowVisible(box->Handle()));
  wchar_t dummy = 0;
  (void)dummy;
  char16_t text[16] = {};
  win::GetWindowTextW(box->Handle(), text, 16);
  EXPECT_EQ(std::u16string(text), u"Caixa");
}

TEST_F(Handles, AControlWithoutParentWindowCannotMakeOne) {
  auto box = Make<TBox>(nullptr);
  box->SetName(u"Orfao");
  try {
    box->Handle();
    FAIL() << "no error";
  } catch (const rtl::EInvalidOperation& e) {
    EXPECT_EQ(e.Message(), u"Control 'Orfao' has no parent window");
  }
}

TEST_F(Handles, FreeingAParentFreesItsChildrenAndTheirWindows) {
  auto form = Make<TForm>(nullptr);
  TWinControl* panel = rtl::Create<TWinControl>(nullptr);  // no owner: the parent frees it
  panel->SetParent(form.get());
  TBox* box = rtl::Create<TBox>(form.get());
  box->SetParent(panel);
  form->Show();
  win::HWND panelWnd = panel->Handle();
  win::HWND boxWnd = box->Handle();
  bool boxGone = false;
  struct Watcher : rtl::TComponent {
    bool* flag;
    Watcher(bool* f) : rtl::TComponent(nullptr), flag(f) {}
    void Notification(rtl::TComponent* c, rtl::TOperation op) override {
      rtl::TComponent::Notification(c, op);
      if (op == rtl::TOperation::opRemove) *flag = true;
    }
  };
  auto watcher = Owned<Watcher>(rtl::Create<Watcher>(&boxGone));
  box->FreeNotification(watcher.get());
  panel->Free();
  EXPECT_TRUE(boxGone);
  EXPECT_FALSE(win::IsWindow(panelWnd));
  EXPECT_FALSE(win::IsWindow(boxWnd));
  EXPECT_EQ(form->ControlCount(), 0);
  EXPECT_EQ(form->ComponentCount(), 0);
}

// ---- focus and tab order ------------------------------------------------------------

class Focus : public UiTest {};

TEST_F(Focus, TabFollowsTabOrderSkipsWhatCannotFocusAndWraps) {
  auto form = Make<TForm>(nullptr);
  TBox* a = rtl::Create<TBox>(form.get());
  TBox* b = rtl::Create<TBox>(form.get());
  TBox* c = rtl::Create<TBox>(form.get());
  TBox* d = rtl::Create<TBox>(form.get());
  for (TBox* x : {a, b, c, d}) x->SetParent(form.get());
  b->SetTabOrder(0);  // b, a, c, d
  c->SetEnabled(false);
  d->SetTabStop(false);
  EXPECT_EQ(b->TabOrder(), 0);
  EXPECT_EQ(a->TabOrder(), 1);
  std::vector<TWinControl*> order;
  form->GetTabOrderList(order);
  EXPECT_EQ(order, (std::vector<TWinControl*>{b, a, c, d}));

  form->Show();
  Process();
  EXPECT_EQ(form->ActiveControl(), b);
  EXPECT_TRUE(b->Focused());
  win::headless::PressKey(win::VK_TAB);
  Process();
  EXPECT_TRUE(a->Focused());
  EXPECT_EQ(form->ActiveControl(), a);
  win::headless::PressKey(win::VK_TAB);
  Process();
  EXPECT_TRUE(b->Focused()) << "c is disabled, d no tab stop";
  // The Tab itself typed nothing into either control.
  EXPECT_EQ(a->typed, u"");
  EXPECT_EQ(b->typed, u"");
  win::headless::TypeText(u"ok");
  Process();
  EXPECT_EQ(b->typed, u"ok");
}

TEST_F(Focus, EnterAndExitGoUpFromTheOldControlAndDownToTheNewOne) {
  auto form = Make<TForm>(nullptr);
  TWinControl* left = rtl::Create<TWinControl>(form.get());
  TWinControl* right = rtl::Create<TWinControl>(form.get());
  left->SetParent(form.get());
  right->SetParent(form.get());
  TBox* inLeft = rtl::Create<TBox>(form.get());
  TBox* inRight = rtl::Create<TBox>(form.get());
  inLeft->SetParent(left);
  inRight->SetParent(right);
  form->SetActiveControl(inLeft);
  form->Show();
  Process();
  ASSERT_TRUE(inLeft->Focused());

  MessageLog log;
  log.only = {CM_ENTER, CM_EXIT};
  log.Watch(left, "left");
  log.Watch(right, "right");
  log.Watch(inLeft, "inLeft");
  log.Watch(inRight, "inRight");
  inRight->SetFocus();
  EXPECT_EQ(log.lines,
            (Lines{"inLeft:CM_EXIT", "left:CM_EXIT", "right:CM_ENTER", "inRight:CM_ENTER"}));
  EXPECT_TRUE(inRight->Focused());
  EXPECT_EQ(Screen->ActiveControl(), inRight);

  // Hiding the focused control's container gives the focus to the form.
  right->SetVisible(false);
  EXPECT_EQ(form->ActiveControl(), nullptr);
  EXPECT_FALSE(inRight->CanFocus());
  EXPECT_THROW(form->SetActiveControl(inRight), rtl::EInvalidOperation);
}

TEST_F(Focus, KeyPreviewLetsTheFormSeeKeysFirst) {
  auto form = Make<TForm>(nullptr);
  TBox* box = rtl::Create<TBox>(form.get());
  box->SetParent(form.get());
  std::vector<std::string> seen;
  form->SetKeyPreview(true);
  form->SetOnKeyDown(TKeyEvent::fromClosure(&seen, [&](rtl::TObject*, rtl::Word& key, TShiftState) {
    seen.push_back("form " + std::to_string(key));
    if (key == 'X') key = 0;  // eaten
  }));
  box->SetOnKeyDown(TKeyEvent::fromClosure(&seen + 1, [&](rtl::TObject*, rtl::Word& key, TShiftState) {
    seen.push_back("box " + std::to_string(key));
  }));
  form->Show();
  Process();
  win::headless::PressKey('A');
  win::headless::PressKey('X');
  Process();
  EXPECT_EQ(seen, (std::vector<std::string>{"form 65", "box 65", "form 88"}));
}

// ---- mouse -------------------------------------------------------------------------

class Mouse : public UiTest {};

TEST_F(Mouse, GraphicControlsGetTheirMouseInTheirOwnCoordinates) {
  auto form = Make<TForm>(nullptr);
  TBlock* block = rtl::Create<TBlock>(form.get());
  block->SetParent(form.get());
  block->SetBounds(10, 10, 50, 20);
  std::vector<std::string> seen;
  block->SetOnMouseDown(TMouseEvent::fromClosure(&seen, [&](rtl::TObject*, TMouseButton, TShiftState s, int x, int y) {
    seen.push_back("down " + std::to_string(x) + "," + std::to_string(y) +
                   (s.contains(ssDouble) ? " double" : ""));
  }));
  block->SetOnMouseUp(TMouseEvent::fromClosure(&seen + 1, [&](rtl::TObject*, TMouseButton, TShiftState, int x, int y) {
    seen.push_back("up " + std::to_string(x) + "," + std::to_string(y));
  }));
  block->SetOnClick(TNotifyEvent::fromClosure(&seen + 2, [&](rtl::TObject*) { seen.push_back("click"); }));
  block->SetOnDblClick(TNotifyEvent::fromClosure(&seen + 3, [&](rtl::TObject*) { seen.push_back("dblclick"); }));
  block->SetOnMouseEnter(TNotifyEvent::fromClosure(&seen + 4, [&](rtl::TObject*) { seen.push_back("enter"); }));
  block->SetOnMouseLeave(TNotifyEvent::fromClosure(&seen + 5, [&](rtl::TObject*) { seen.push_back("leave"); }));
  form->Show();
  Process();
  const TPoint origin = form->ClientOrigin();
  screen->Click(origin.x + 15, origin.y + 16);
  Process();
  screen->Click(origin.x + 15, origin.y + 16);
  Process();
  screen->MouseMove(origin.x + 100, origin.y + 100);
  Process();
  EXPECT_EQ(seen, (std::vector<std::string>{"enter", "down 5,6", "click", "up 5,6", "dblclick",
                                            "down 5,6 double", "up 5,6", "leave"}));
  // A press that ends outside is no click.
  seen.clear();
  win::headless::MouseDown(win::MouseButton::Left, origin.x + 15, origin.y + 16);
  win::headless::MouseMove(origin.x + 120, origin.y + 90);
  win::headless::MouseUp(win::MouseButton::Left, origin.x + 120, origin.y + 90);
  Process();
  EXPECT_EQ(std::count(seen.begin(), seen.end(), "click"), 0);
  EXPECT_EQ(seen.back(), "up 110,80") << "the capture kept the mouse for the block";
}

// Enter and leave follow the one control under the mouse, also across the
// window of a windowed child: its parent's window then hears WM_MOUSELEAVE
// (posted, so after the child's first move), which must not make the child
// that now has the mouse report a leave, nor enter again on its next move.
TEST_F(Mouse, EnterAndLeaveFollowTheMouseIntoAndOutOfAWindowedChild) {
  auto form = Make<TForm>(nullptr);
  form->SetBounds(0, 0, 320, 240);
  TBox* outer = rtl::Create<TBox>(form.get());
  outer->SetParent(form.get());
  outer->SetBounds(10, 10, 200, 120);
  TBox* inner = rtl::Create<TBox>(form.get());
  inner->SetParent(outer);
  inner->SetBounds(20, 20, 80, 40);
  TBlock* block = rtl::Create<TBlock>(form.get());
  block->SetParent(outer);
  block->SetBounds(120, 20, 40, 20);
  std::vector<std::string> seen;
  auto watch = [&seen](TControl* c, const std::string& name) {
    c->SetOnMouseEnter(TNotifyEvent::fromClosure(c, [&seen, name](rtl::TObject*) { seen.push_back(name + " enter"); }));
    c->SetOnMouseLeave(TNotifyEvent::fromClosure(reinterpret_cast<char*>(c) + 1,
                                                 [&seen, name](rtl::TObject*) { seen.push_back(name + " leave"); }));
  };
  watch(outer, "outer");
  watch(inner, "inner");
  watch(block, "block");
  form->Show();
  Process();
  const TPoint origin = form->ClientOrigin();
  struct Step {
    int x, y;  // form client coordinates
    Lines events;
  };
  const Step path[] = {
      {15, 15, {"outer enter"}},
      {40, 40, {"outer leave", "inner enter"}},   // onto the windowed child
      {50, 45, {}},                               // moving inside it: nothing
      {60, 50, {}},
      {15, 15, {"inner leave", "outer enter"}},  // back onto the parent
      {140, 35, {"outer leave", "block enter"}},  // onto a graphic child
      {40, 40, {"block leave", "inner enter"}},   // from the graphic child onto the windowed one
      {300, 200, {"inner leave"}},                // off both, onto the form
  };
  for (const Step& step : path) {
    SCOPED_TRACE(std::to_string(step.x) + "," + std::to_string(step.y));
    seen.clear();
    screen->MouseMove(origin.x + step.x, origin.y + step.y);
    Process();
    EXPECT_EQ(seen, step.events);
  }
}

// ---- painting -----------------------------------------------------------------------

class Painting : public UiTest {};

TEST_F(Painting, SmallFormMatchesItsReference) {
  auto form = Make<TForm>(nullptr);
  form->SetCaption(u"Cadastro");
  form->SetBounds(100, 100, 220, 140);
  TBox* box = rtl::Create<TBox>(form.get());
  box->SetParent(form.get());
  box->SetBounds(10, 10, 120, 24);
  box->SetCaption(u"Nome do cliente");
  box->SetColor(clWindow);
  TBlock* bar = rtl::Create<TBlock>(form.get());
  bar->SetParent(form.get());
  bar->SetAlign(alBottom);
  bar->SetHeight(12);
  bar->SetColor(clNavy);
  TBlock* mark = rtl::Create<TBlock>(form.get());
  mark->SetParent(form.get());
  mark->SetBounds(150, 10, 30, 30);
  mark->SetAnchors({akTop, akRight});
  mark->SetColor(clRed);
  form->Show();
  Process();
  testing_support::GoldenOptions fuzzy;
  fuzzy.channelTolerance = 48;
  fuzzy.maxDifferingPixels = 40;
  EXPECT_GOLDEN(screen->Screenshot(form->Handle()), "ui", "small_form", fuzzy);

  // PaintTo draws the same client area into any DC.
  const TRect client = form->ClientRect();
  gdi::HDC mem = gdi::CreateCompatibleDC(nullptr);
  gdi::HBITMAP bmp = gdi::CreateBitmap(client.right, client.bottom, 1, 32, nullptr);
  gdi::HGDIOBJ old = gdi::SelectObject(mem, bmp);
  form->PaintTo(mem, 0, 0);
  EXPECT_EQ(gdi::GetPixel(mem, mark->Left() + 5, mark->Top() + 5), ColorToRGB(clRed));
  EXPECT_EQ(gdi::GetPixel(mem, 5, client.bottom - 3), ColorToRGB(clNavy));
  EXPECT_EQ(gdi::GetPixel(mem, 5, 50), ColorToRGB(clBtnFace));
  EXPECT_EQ(gdi::GetPixel(mem, box->Left(), box->Top()), ColorToRGB(clBlack));
  gdi::SelectObject(mem, old);
  gdi::DeleteObject(bmp);
  gdi::DeleteDC(mem);
}
