// A key pressed in a form goes to the form's shortcuts before the focused
// control: OnShortCut, then the action lists of the form (of its frames and,
// for the main form, of the data modules). A key taken there never reaches
// the control, neither as a key nor as the character it types.
#include <gtest/gtest.h>

#include <string>

#include "platform/rtl/ustring.h"
#include "platform/ui/stdctrls.h"
#include "tests/ui/ui_fixture.h"

using namespace ui;
using namespace uitest;

namespace {

constexpr TShortCut kCtrlShiftF10 = 24697;

// Holds the keys down, presses `vk`, lets them go and runs the queue.
void Press(std::initializer_list<win::UINT> held, win::UINT vk, const char16_t* text = nullptr) {
  for (win::UINT h : held) win::headless::KeyDown(h);
  win::headless::PressKey(vk, text ? rtl::String(text) : rtl::String());
  for (auto it = held.end(); it != held.begin();) win::headless::KeyUp(*--it);
  win::headless::ProcessMessages();
}
void PressCtrlShiftF10() { Press({win::VK_CONTROL, win::VK_SHIFT}, win::VK_F10); }

// A form with an edit and a button, and an action list owned by the form
// whose action `run` answers Ctrl+Shift+F10. `log` tells what ran and which
// key downs the form and the controls saw.
struct ShortCutForm {
  Owned<TForm> form = Make<TForm>(nullptr);
  TEdit* edit;
  TButton* button;
  TActionList* list;
  TAction* run;
  std::string log;

  ShortCutForm() {
    form->SetBounds(100, 100, 320, 200);
    edit = rtl::Create<TEdit>(form.get());
    edit->SetParent(form.get());
    edit->SetBounds(10, 10, 120, 21);
    button = rtl::Create<TButton>(form.get());
    button->SetParent(form.get());
    button->SetBounds(10, 50, 75, 25);
    button->SetCaption(u"&Salvar");
    button->SetOnClick(TNotifyEvent::fromClosure(form.get(), [this](rtl::TObject*) { log += "click;"; }));
    list = rtl::Create<TActionList>(form.get());
    run = AddAction(list, u"run", kCtrlShiftF10);
    auto keys = [this](const char* who) {
      return TKeyEvent::fromClosure(form.get(), [this, who](rtl::TObject*, rtl::Word& key, TShiftState) {
        log += std::string(who) + ":" + std::to_string(key) + ";";
      });
    };
    form->SetOnKeyDown(keys("form"));
    edit->SetOnKeyDown(keys("edit"));
    button->SetOnKeyDown(keys("button"));
    form->Show();
    win::headless::ProcessMessages();
  }
  // An action of `owner`'s list that logs its name when it runs.
  TAction* AddAction(TActionList* actions, const char16_t* name, TShortCut shortCut) {
    auto* a = rtl::Create<TAction>(actions->Owner());
    a->SetActionList(actions);
    a->SetName(name);
    a->SetShortCut(shortCut);
    a->SetOnExecute(TNotifyEvent::fromClosure(a, [this](rtl::TObject* sender) {
      log += "run " + rtl::StringToUtf8(static_cast<TAction*>(sender)->Name()) + ";";
    }));
    return a;
  }
  // Key downs of the modifiers are not the test's business.
  std::string Log() {
    std::string out;
    std::size_t start = 0;
    while (start < log.size()) {
      const std::size_t end = log.find(';', start);
      const std::string item = log.substr(start, end - start);
      const auto colon = item.find(':');
      const bool modifier = colon != std::string::npos &&
                            (item.substr(colon + 1) == "16" || item.substr(colon + 1) == "17" ||
                             item.substr(colon + 1) == "18");
      if (!modifier) out += item + ";";
      start = end + 1;
    }
    log.clear();
    return out;
  }
};

class FormShortCuts : public UiTest {};

TEST_F(FormShortCuts, TheFormsActionAnswersWhereverTheFocusIs) {
  enum class Focus { kEdit, kButton, kForm };
  enum class State { kNormal, kHidden, kDisabled, kListSuspended };
  struct Case {
    const char* name;
    Focus focus;
    State state;
    const char* log;
  } cases[] = {
      {"in the edit", Focus::kEdit, State::kNormal, "run run;"},
      {"on the button", Focus::kButton, State::kNormal, "run run;"},
      {"on the form itself", Focus::kForm, State::kNormal, "run run;"},
      {"a hidden action still answers", Focus::kEdit, State::kHidden, "run run;"},
      {"a disabled action leaves the key to the edit", Focus::kEdit, State::kDisabled, "edit:121;"},
      {"a disabled action leaves the key to the form", Focus::kForm, State::kDisabled, "form:121;"},
      {"a suspended list leaves the key to the button", Focus::kButton, State::kListSuspended,
       "button:121;"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ShortCutForm f;
    f.run->SetVisible(c.state != State::kHidden);
    f.run->SetEnabled(c.state != State::kDisabled);
    if (c.state == State::kListSuspended) f.list->SetState(TActionListState::asSuspended);
    switch (c.focus) {
      case Focus::kEdit: f.edit->SetFocus(); break;
      case Focus::kButton: f.button->SetFocus(); break;
      case Focus::kForm: win::SetFocus(f.form->Handle()); break;
    }
    win::headless::ProcessMessages();
    ASSERT_EQ(win::GetFocus(), c.focus == Focus::kEdit     ? f.edit->Handle()
                               : c.focus == Focus::kButton ? f.button->Handle()
                                                           : f.form->Handle());
    f.Log();
    PressCtrlShiftF10();
    EXPECT_EQ(f.Log(), c.log);
    // Without Shift it is no shortcut: the key goes on as ever.
    Press({win::VK_CONTROL}, win::VK_F10);
    EXPECT_EQ(f.Log(), c.focus == Focus::kEdit     ? "edit:121;"
                       : c.focus == Focus::kButton ? "button:121;"
                                                   : "form:121;");
  }
}

TEST_F(FormShortCuts, ATakenShortCutTypesNothingAndClicksNothing) {
  ShortCutForm f;
  f.AddAction(f.list, u"upperQ", ShortCut('Q', {ssShift}));
  f.AddAction(f.list, u"altS", ShortCut('S', {ssAlt}));
  f.edit->SetFocus();
  win::headless::ProcessMessages();
  f.Log();
  Press({win::VK_SHIFT}, 'Q', u"Q");
  EXPECT_EQ(f.Log(), "run upperQ;");
  EXPECT_EQ(f.edit->Text(), u"");
  // Alt+S is the action's, not the mnemonic of "&Salvar".
  Press({win::VK_MENU}, 'S', u"s");
  EXPECT_EQ(f.Log(), "run altS;");
  // The keys after it type again.
  win::headless::PressKey('W', u"w");
  win::headless::ProcessMessages();
  EXPECT_EQ(f.Log(), "edit:87;");
  EXPECT_EQ(f.edit->Text(), u"w");
  // Without a shortcut Alt+S is the mnemonic again.
  f.list->SetState(TActionListState::asSuspended);
  Press({win::VK_MENU}, 'S', u"s");
  EXPECT_EQ(f.Log(), "edit:83;click;");
}

TEST_F(FormShortCuts, OnShortCutSeesTheKeyFirstAndCanKeepIt) {
  ShortCutForm f;
  std::string seen;
  f.form->SetOnShortCut(TShortCutEvent::fromClosure(f.form.get(), [&](TWMKey& msg, bool& handled) {
    if (msg.CharCode != win::VK_F10) return;
    seen += "shortcut " + std::to_string(msg.CharCode) + ";";
    handled = win::GetKeyState(win::VK_SHIFT) < 0;
  }));
  f.edit->SetFocus();
  win::headless::ProcessMessages();
  f.Log();
  PressCtrlShiftF10();
  EXPECT_EQ(seen, "shortcut 121;");
  EXPECT_EQ(f.Log(), "");  // neither the action nor the edit
  // Not handled: on to the control.
  seen.clear();
  Press({win::VK_CONTROL}, win::VK_F10);
  EXPECT_EQ(seen, "shortcut 121;");
  EXPECT_EQ(f.Log(), "edit:121;");
}

TEST_F(FormShortCuts, KeyPreviewSeesOtherKeysFirstWhileShortCutsGoToTheirAction) {
  ShortCutForm f;
  f.form->SetKeyPreview(true);
  f.edit->SetFocus();
  win::headless::ProcessMessages();
  f.Log();
  win::headless::PressKey('A', u"a");
  win::headless::ProcessMessages();
  EXPECT_EQ(f.Log(), "form:65;edit:65;");
  EXPECT_EQ(f.edit->Text(), u"a");
  PressCtrlShiftF10();
  EXPECT_EQ(f.Log(), "run run;");
  // Dialog keys still move the focus and press the default button.
  f.button->SetDefault(true);
  win::headless::PressKey(win::VK_RETURN);
  win::headless::ProcessMessages();
  EXPECT_EQ(f.Log(), "click;");
  win::headless::PressKey(win::VK_TAB);
  win::headless::ProcessMessages();
  EXPECT_TRUE(f.button->Focused());
  EXPECT_EQ(f.edit->Text(), u"a");
}

TEST_F(FormShortCuts, FramesAnswerAndTheMainFormAnswersForTheDataModules) {
  TForm* main = nullptr;
  ASSERT_EQ(Application->MainForm(), nullptr);
  Application->CreateForm(main);
  Owned<TForm> mainOwned(main);
  ASSERT_EQ(Application->MainForm(), main);
  ShortCutForm other;  // another form, not the main one
  std::string log;
  auto action = [&](rtl::TComponent* owner, const char* name, TShortCut shortCut) {
    auto* list = rtl::Create<TActionList>(owner);
    auto* a = rtl::Create<TAction>(owner);
    a->SetActionList(list);
    a->SetShortCut(shortCut);
    a->SetOnExecute(TNotifyEvent::fromClosure(a, [&log, name](rtl::TObject*) { log += name; }));
  };
  // A frame: a windowed control on the form that owns its own components.
  auto* frame = rtl::Create<TPanel>(main);
  frame->SetParent(main);
  action(frame, "frame;", TShortCut(win::VK_F2));
  rtl::TDataModule* module = nullptr;
  Application->CreateForm(module);
  Owned<rtl::TDataModule> moduleOwned(module);
  action(module, "module;", TShortCut(win::VK_F3));
  main->SetBounds(0, 0, 200, 100);
  main->Show();
  win::headless::ProcessMessages();
  win::SetFocus(main->Handle());
  win::headless::ProcessMessages();
  Press({}, win::VK_F2);
  Press({}, win::VK_F3);
  EXPECT_EQ(log, "frame;module;");
  // The other form has none of them.
  log.clear();
  other.edit->SetFocus();
  win::headless::ProcessMessages();
  other.Log();
  Press({}, win::VK_F2);
  Press({}, win::VK_F3);
  EXPECT_EQ(log, "");
  EXPECT_EQ(other.Log(), "edit:113;edit:114;");
}

}  // namespace
