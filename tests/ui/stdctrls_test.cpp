// Standard controls: buttons ending modal forms by Enter, Esc and clicks,
// panels laying children out inside their bevels, labels sizing to their
// text, check boxes toggling, and how they look.
#include "platform/ui/stdctrls.h"
#include "tests/support/golden.h"
#include "tests/ui/ui_fixture.h"

using namespace ui;
using namespace uitest;

namespace {

class StdCtrls : public UiTest {};

// A dialog with a text box, OK (default) and Cancel buttons.
struct Dialog {
  Owned<TScriptForm> form = Make<TScriptForm>(nullptr);
  TButton* ok;
  TButton* cancel;
  TCheckBox* check;
  Dialog() {
    form->SetBorderStyle(bsDialog);
    form->SetCaption(u"Confirmar");
    form->SetBounds(200, 200, 240, 130);
    check = rtl::Create<TCheckBox>(form.get());
    check->SetParent(form.get());
    check->SetBounds(10, 10, 150, 17);
    check->SetCaption(u"Lembrar a escolha");
    ok = rtl::Create<TButton>(form.get());
    ok->SetParent(form.get());
    ok->SetBounds(40, 60, 75, 25);
    ok->SetCaption(u"OK");
    ok->SetDefault(true);
    ok->SetModalResult(mrOk);
    cancel = rtl::Create<TButton>(form.get());
    cancel->SetParent(form.get());
    cancel->SetBounds(125, 60, 75, 25);
    cancel->SetCaption(u"Cancelar");
    cancel->SetCancel(true);
    cancel->SetModalResult(mrCancel);
  }
  // Runs `step` once the modal loop runs.
  TModalResult Run(std::function<void(TScriptForm*)> step) {
    form->steps.push_back(std::move(step));
    form->SetOnShow(TNotifyEvent::fromClosure(this, [this](rtl::TObject*) {
      win::PostMessageW(form->Handle(), WM_SCRIPT, 0, 0);
    }));
    return form->ShowModal();
  }
};

}  // namespace

TEST_F(StdCtrls, EnterPressesTheDefaultButtonAndEscTheCancelButton) {
  struct Case {
    const char* name;
    win::UINT key;
    bool focusCancel;
    TModalResult expected;
  };
  const Case cases[] = {
      {"enter on the check box", win::VK_RETURN, false, mrOk},
      {"esc", win::VK_ESCAPE, false, mrCancel},
      {"enter on the focused cancel button", win::VK_RETURN, true, mrCancel},
      {"space on the focused cancel button", win::VK_SPACE, true, mrCancel},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Dialog d;
    if (c.focusCancel) d.form->SetActiveControl(d.cancel);
    const TModalResult r = d.Run([&](TScriptForm*) { win::headless::PressKey(c.key); });
    EXPECT_EQ(r, c.expected);
    EXPECT_FALSE(d.check->Checked()) << "the key was not for the check box";
  }
}

TEST_F(StdCtrls, ClickingAButtonGivesItsModalResult) {
  Dialog d;
  const TModalResult r = d.Run([&](TScriptForm*) {
    const TPoint p = d.cancel->ClientToScreen(TPoint{10, 10});
    screen->Click(p.x, p.y);
  });
  EXPECT_EQ(r, mrCancel);
}

TEST_F(StdCtrls, CheckBoxTogglesByMouseSpaceAndCode) {
  Dialog d;
  int clicks = 0;
  d.check->SetOnClick(TNotifyEvent::fromClosure(&clicks, [&](rtl::TObject*) { ++clicks; }));
  d.form->SetActiveControl(d.check);
  d.form->Show();
  Process();
  const TPoint p = d.check->ClientToScreen(TPoint{5, 8});
  screen->Click(p.x, p.y);
  Process();
  EXPECT_TRUE(d.check->Checked());
  win::headless::PressKey(win::VK_SPACE);
  Process();
  EXPECT_FALSE(d.check->Checked());
  d.check->SetChecked(true);
  EXPECT_EQ(clicks, 3);
  d.check->SetAllowGrayed(true);
  d.check->Toggle();
  EXPECT_EQ(d.check->State(), cbGrayed);
  d.check->Toggle();
  EXPECT_EQ(d.check->State(), cbUnchecked);
}

TEST_F(StdCtrls, PanelLaysChildrenOutInsideBevelsAndBorder) {
  auto form = Make<TForm>(nullptr);
  TPanel* panel = rtl::Create<TPanel>(form.get());
  panel->SetParent(form.get());
  panel->SetBounds(0, 0, 200, 100);
  panel->SetBorderWidth(2);
  panel->SetBevelInner(bvLowered);
  TPanel* inner = rtl::Create<TPanel>(form.get());
  inner->SetParent(panel);
  inner->SetAlign(alClient);
  EXPECT_EQ(inner->Left(), 4);
  EXPECT_EQ(inner->Top(), 4);
  EXPECT_EQ(inner->Width(), 192);
  EXPECT_EQ(inner->Height(), 92);
  panel->SetBevelOuter(bvNone);
  EXPECT_EQ(inner->Left(), 3);
  EXPECT_EQ(inner->Width(), 194);
}

TEST_F(StdCtrls, LabelSizesToItsText) {
  auto form = Make<TForm>(nullptr);
  TLabel* label = rtl::Create<TLabel>(form.get());
  label->SetParent(form.get());
  label->SetBounds(100, 10, 10, 10);
  label->SetCaption(u"Cliente");
  const int shortWidth = label->Width();
  EXPECT_GT(shortWidth, 20);
  EXPECT_GT(label->Height(), 8);
  label->SetCaption(u"Cliente principal");
  EXPECT_GT(label->Width(), shortWidth);
  EXPECT_EQ(label->Left(), 100);
  // Aligned right, it keeps its right edge.
  const int right = label->Left() + label->Width();
  label->SetAlignment(taRightJustify);
  label->SetCaption(u"Cli");
  EXPECT_EQ(label->Left() + label->Width(), right);
  label->SetAutoSize(false);
  label->SetCaption(u"Cliente principal da empresa");
  EXPECT_EQ(label->Left() + label->Width(), right);
}

TEST_F(StdCtrls, DialogMatchesItsReference) {
  Dialog d;
  TLabel* label = rtl::Create<TLabel>(d.form.get());
  label->SetParent(d.form.get());
  label->SetBounds(10, 34, 10, 10);
  label->SetCaption(u"Deseja continuar?");
  TPanel* bar = rtl::Create<TPanel>(d.form.get());
  bar->SetParent(d.form.get());
  bar->SetAlign(alBottom);
  bar->SetHeight(8);
  d.form->SetActiveControl(d.cancel);
  d.form->Show();
  Process();
  testing_support::GoldenOptions fuzzy;
  fuzzy.channelTolerance = 48;
  fuzzy.maxDifferingPixels = 60;
  EXPECT_GOLDEN(screen->Screenshot(d.form->Handle()), "ui", "stdctrls_dialog", fuzzy);
}

// ---- edit ----------------------------------------------------------------------------

namespace {

struct EditForm {
  Owned<TForm> form = Make<TForm>(nullptr);
  TEdit* edit;
  std::vector<std::u16string> changes;
  EditForm() {
    edit = rtl::Create<TEdit>(form.get());
    edit->SetParent(form.get());
    edit->SetBounds(10, 10, 150, 21);
    edit->SetOnChange(TNotifyEvent::fromClosure(this, [this](rtl::TObject*) {
      changes.push_back(edit->Text());
    }));
    form->Show();
    win::headless::ProcessMessages();
  }
};

}  // namespace

TEST_F(StdCtrls, EditTypesWithUpperCaseMaxLengthBackspaceAndUndo) {
  EditForm f;
  f.edit->SetCharCase(ecUpperCase);
  f.edit->SetMaxLength(6);
  ASSERT_TRUE(f.edit->Focused());
  win::headless::TypeText(u"são paulo");
  Process();
  EXPECT_EQ(f.edit->Text(), u"SÃO PA") << "upper case, cut at six";
  EXPECT_TRUE(f.edit->Modified());
  win::headless::PressKey(win::VK_BACK);
  Process();
  EXPECT_EQ(f.edit->Text(), u"SÃO P");
  f.edit->Undo();
  EXPECT_EQ(f.edit->Text(), u"SÃO PA");
  EXPECT_EQ(f.changes.back(), u"SÃO PA");
  EXPECT_EQ(f.changes.size(), 8u);  // six typed, one erased, one undone
  // Text set by code also changes case, and fires OnChange, but is no edit.
  f.edit->SetText(u"rua");
  EXPECT_EQ(f.edit->Text(), u"RUA");
  EXPECT_FALSE(f.edit->Modified());
  EXPECT_FALSE(f.edit->CanUndo());
}

TEST_F(StdCtrls, EditSelectionByKeysAndMessagesAndTheClipboard) {
  EditForm f;
  f.edit->SetText(u"abcdef");
  win::HWND h = f.edit->Handle();
  win::SendMessageW(h, EM_SETSEL, 1, 4);
  EXPECT_EQ(f.edit->SelStart(), 1);
  EXPECT_EQ(f.edit->SelLength(), 3);
  EXPECT_EQ(f.edit->SelText(), u"bcd");
  win::DWORD s = 0, e = 0;
  win::SendMessageW(h, EM_GETSEL, reinterpret_cast<win::WPARAM>(&s), reinterpret_cast<win::LPARAM>(&e));
  EXPECT_EQ(s, 1u);
  EXPECT_EQ(e, 4u);
  win::SendMessageW(h, win::WM_CUT, 0, 0);
  EXPECT_EQ(f.edit->Text(), u"aef");
  win::headless::PressKey(win::VK_END);
  Process();
  win::SendMessageW(h, win::WM_PASTE, 0, 0);
  EXPECT_EQ(f.edit->Text(), u"aefbcd");
  win::SendMessageW(h, EM_REPLACESEL, win::TRUE, reinterpret_cast<win::LPARAM>(u"!"));
  EXPECT_EQ(f.edit->Text(), u"aefbcd!");
  // Shift+Home selects back to the start; typing replaces it.
  win::headless::KeyDown(win::VK_SHIFT);
  win::headless::PressKey(win::VK_HOME);
  win::headless::KeyUp(win::VK_SHIFT);
  Process();
  EXPECT_EQ(f.edit->SelLength(), 7);
  win::headless::TypeText(u"x");
  Process();
  EXPECT_EQ(f.edit->Text(), u"x");
  EXPECT_EQ(win::SendMessageW(h, EM_CANUNDO, 0, 0), win::TRUE);
}

TEST_F(StdCtrls, PasswordEditShowsItsCharacterAndKeepsTheTextOffTheClipboard) {
  EditForm f;
  f.edit->SetPasswordChar(u'*');
  win::headless::TypeText(u"segredo");
  Process();
  EXPECT_EQ(f.edit->Text(), u"segredo");
  f.edit->SelectAll();
  win::OpenClipboard(nullptr);
  win::EmptyClipboard();
  win::CloseClipboard();
  f.edit->CopyToClipboard();
  EXPECT_FALSE(win::IsClipboardFormatAvailable(win::CF_UNICODETEXT));
  EXPECT_EQ(win::SendMessageW(f.edit->Handle(), EM_GETPASSWORDCHAR, 0, 0), u'*');
  f.edit->SelectAll();
  f.form->SetActiveControl(nullptr);
  Process();
  testing_support::GoldenOptions fuzzy;
  fuzzy.channelTolerance = 48;
  fuzzy.maxDifferingPixels = 30;
  EXPECT_GOLDEN(screen->Screenshot(f.form->Handle()), "ui", "password_edit", fuzzy);
}
