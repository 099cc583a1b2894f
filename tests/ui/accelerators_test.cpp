// Mnemonics: "&x" in a caption makes Alt+x (or x alone, where the focused
// control takes no characters) act on the control: labels focus their
// FocusControl, buttons and speed buttons click, check boxes toggle.
#include <gtest/gtest.h>

#include "platform/rtl/ustring.h"
#include "platform/ui/extctrls.h"
#include "platform/ui/stdctrls.h"
#include "tests/ui/ui_fixture.h"

using namespace ui;
using namespace uitest;

namespace {

class Accelerators : public UiTest {};

TEST(IsAccel, FindsTheMarkedLetter) {
  struct Case {
    char16_t key;
    const char16_t* caption;
    bool expected;
  } cases[] = {
      {u'S', u"&Salvar", true},   {u's', u"&Salvar", true},  {u'A', u"&Salvar", false},
      {u'V', u"Sal&var", true},   {u'C', u"&&Cancelar", false}, {u'C', u"A&&B &Cor", true},
      {u'B', u"A&&B &Cor", false}, {u'X', u"Fim&", false},    {u'X', u"", false},
      {u'\u00C7', u"A&\u00e7\u00e3o", true}, {u'1', u"Op\u00e7\u00e3o &1", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(rtl::StringToUtf8(c.caption));
    EXPECT_EQ(IsAccel(c.key, c.caption), c.expected);
  }
}

// A form with an edit reached through its label, a button, a check box and
// a speed button, each with a mnemonic.
struct AccelForm {
  Owned<TForm> form = Make<TForm>(nullptr);
  TLabel* label;
  TEdit* edit;
  TButton* save;
  TCheckBox* active;
  TSpeedButton* filter;
  int saves = 0, filters = 0;
  AccelForm() {
    form->SetBounds(100, 100, 320, 200);
    label = rtl::Create<TLabel>(form.get());
    label->SetParent(form.get());
    label->SetBounds(10, 10, 60, 15);
    label->SetCaption(u"&Nome:");
    edit = rtl::Create<TEdit>(form.get());
    edit->SetParent(form.get());
    edit->SetBounds(80, 10, 120, 21);
    label->SetFocusControl(edit);
    save = rtl::Create<TButton>(form.get());
    save->SetParent(form.get());
    save->SetBounds(10, 50, 75, 25);
    save->SetCaption(u"&Salvar");
    save->SetOnClick(TNotifyEvent::fromClosure(form.get(), [this](rtl::TObject*) { ++saves; }));
    active = rtl::Create<TCheckBox>(form.get());
    active->SetParent(form.get());
    active->SetBounds(10, 90, 100, 17);
    active->SetCaption(u"&Ativo");
    filter = rtl::Create<TSpeedButton>(form.get());
    filter->SetParent(form.get());
    filter->SetBounds(120, 50, 60, 25);
    filter->SetCaption(u"&Filtrar");
    filter->SetOnClick(TNotifyEvent::fromClosure(form.get(), [this](rtl::TObject*) { ++filters; }));
    form->SetActiveControl(save);
    form->Show();
    win::headless::ProcessMessages();
  }
  static void Alt(char16_t letter) {
    win::headless::KeyDown(win::VK_MENU);
    win::headless::PressKey(win::UINT(letter >= u'a' ? letter - u'a' + 'A' : letter), rtl::String(1, letter));
    win::headless::KeyUp(win::VK_MENU);
    win::headless::ProcessMessages();
  }
  static void Plain(char16_t letter) {
    win::headless::PressKey(win::UINT(letter >= u'a' ? letter - u'a' + 'A' : letter), rtl::String(1, letter));
    win::headless::ProcessMessages();
  }
};

TEST_F(Accelerators, AltLetterActsOnTheMarkedControl) {
  AccelForm f;
  ASSERT_TRUE(f.save->Focused());
  AccelForm::Alt(u'n');
  EXPECT_TRUE(f.edit->Focused());
  // In the edit a plain letter is typed, Alt+letter still acts.
  AccelForm::Plain(u's');
  EXPECT_EQ(f.edit->Text(), u"s");
  EXPECT_EQ(f.saves, 0);
  AccelForm::Alt(u's');
  EXPECT_EQ(f.saves, 1);
  EXPECT_EQ(f.edit->Text(), u"s");
  AccelForm::Alt(u'a');
  EXPECT_TRUE(f.active->Checked());
  EXPECT_TRUE(f.active->Focused());
  AccelForm::Alt(u'f');
  EXPECT_EQ(f.filters, 1);
  // No control marks z: nothing happens.
  AccelForm::Alt(u'z');
  EXPECT_EQ(f.saves, 1);
  EXPECT_EQ(f.filters, 1);
  EXPECT_TRUE(f.active->Checked());
}

TEST_F(Accelerators, PlainLetterActsWhenTheFocusedControlTakesNoCharacters) {
  AccelForm f;
  AccelForm::Plain(u'a');  // the button has the focus
  EXPECT_TRUE(f.active->Checked());
  EXPECT_TRUE(f.active->Focused());
  AccelForm::Plain(u'a');
  EXPECT_FALSE(f.active->Checked());
  AccelForm::Plain(u'S');
  EXPECT_EQ(f.saves, 1);
  AccelForm::Plain(u'n');
  EXPECT_TRUE(f.edit->Focused());
  EXPECT_EQ(f.edit->Text(), u"");
}

TEST_F(Accelerators, DisabledHiddenOrUnmarkedControlsDoNotAnswer) {
  AccelForm f;
  f.save->SetEnabled(false);
  f.filter->SetVisible(false);
  AccelForm::Alt(u's');
  AccelForm::Alt(u'f');
  EXPECT_EQ(f.saves, 0);
  EXPECT_EQ(f.filters, 0);
  // A label that shows its "&" has no mnemonic.
  f.label->SetShowAccelChar(false);
  AccelForm::Alt(u'n');
  EXPECT_FALSE(f.edit->Focused());
  f.label->SetShowAccelChar(true);
  f.edit->SetEnabled(false);
  AccelForm::Alt(u'n');
  EXPECT_FALSE(f.edit->Focused());
}

TEST_F(Accelerators, LabelForgetsAFreedFocusControl) {
  AccelForm f;
  f.edit->Free();
  EXPECT_EQ(f.label->FocusControl(), nullptr);
  AccelForm::Alt(u'n');  // must not reach the freed edit
  EXPECT_EQ(f.saves, 0);
}

// The marked letter is underlined; with ShowAccelChar off the "&" shows.
TEST_F(Accelerators, LabelUnderlinesItsMnemonic) {
  auto form = Make<TForm>(nullptr);
  form->SetBorderStyle(bsNone);
  form->SetBounds(0, 0, 200, 100);
  auto label = [&](int top, const char16_t* caption) {
    TLabel* l = rtl::Create<TLabel>(form.get());
    l->SetParent(form.get());
    l->SetBounds(10, top, 10, 10);
    l->SetCaption(caption);
    return l;
  };
  TLabel* marked = label(10, u"&Nome");
  TLabel* plain = label(40, u"Nome");
  TLabel* shown = label(70, u"&Nome");
  shown->SetShowAccelChar(false);
  EXPECT_EQ(marked->Width(), plain->Width());
  EXPECT_GT(shown->Width(), plain->Width());
  form->Show();
  Process();
  const gdi::ImageBGRA shot = screen->Screenshot(form->Handle());
  // Differences between "&Nome" and "Nome" lie under the N only.
  int differing = 0, lastX = -1;
  for (int y = 0; y < plain->Height(); ++y) {
    for (int x = 0; x < plain->Width(); ++x) {
      if (shot.at(10 + x, 10 + y) != shot.at(10 + x, 40 + y)) {
        ++differing;
        lastX = std::max(lastX, x);
      }
    }
  }
  EXPECT_GT(differing, 3);
  EXPECT_LT(lastX, plain->Width() / 3);
}

// A speed button draws "&Filtrar" as "Filtrar" with the F underlined: only
// an underline's few pixels tell the two apart.
TEST_F(Accelerators, SpeedButtonUnderlinesItsMnemonic) {
  auto form = Make<TForm>(nullptr);
  form->SetBorderStyle(bsNone);
  form->SetBounds(0, 0, 200, 100);
  auto button = [&](int top, const char16_t* caption) {
    TSpeedButton* b = rtl::Create<TSpeedButton>(form.get());
    b->SetParent(form.get());
    b->SetBounds(10, top, 80, 25);
    b->SetCaption(caption);
    return b;
  };
  button(10, u"&Filtrar");
  button(50, u"Filtrar");
  form->Show();
  Process();
  const gdi::ImageBGRA shot = screen->Screenshot(form->Handle());
  int differing = 0;
  for (int y = 0; y < 25; ++y)
    for (int x = 0; x < 80; ++x) differing += shot.at(10 + x, 10 + y) != shot.at(10 + x, 50 + y);
  EXPECT_GT(differing, 2);
  EXPECT_LT(differing, 20);
}

}  // namespace
