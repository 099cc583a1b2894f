// Shortcuts, actions with their lists and links, and the timer.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/rtl/clock.h"
#include "platform/rtl/mainloop.h"
#include "platform/ui/ui.h"

using namespace ui;

TEST(ShortCuts, TextAndValues) {
  struct Case {
    TShortCut value;
    const char16_t* text;
  } cases[] = {
      {TShortCut(win::VK_F10 | scCtrl | scShift), u"Shift+Ctrl+F10"},
      {TShortCut(win::VK_F11 | scCtrl | scShift), u"Shift+Ctrl+F11"},
      {TShortCut('A' | scCtrl), u"Ctrl+A"},
      {TShortCut('S' | scCtrl | scAlt), u"Ctrl+Alt+S"},
      {TShortCut('7' | scAlt), u"Alt+7"},
      {TShortCut(win::VK_DELETE), u"Del"},
      {TShortCut(win::VK_INSERT | scShift), u"Shift+Ins"},
      {TShortCut(win::VK_RETURN | scCtrl), u"Ctrl+Enter"},
      {TShortCut(win::VK_ESCAPE), u"Esc"},
      {TShortCut(win::VK_BACK | scAlt), u"Alt+BkSp"},
      {TShortCut(win::VK_PRIOR), u"PgUp"},
      {TShortCut(win::VK_F1 + 23), u"F24"},
      {TShortCut(win::VK_OEM_PLUS | scCtrl), u"Ctrl+="},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ShortCutToText(c.value), c.text);
    EXPECT_EQ(TextToShortCut(c.text), c.value);
  }
  // The integrator's two developer shortcuts, as it writes them.
  EXPECT_EQ(TextToShortCut(u"Ctrl+Shift+F10"), 24697);
  EXPECT_EQ(TextToShortCut(u"Ctrl+Shift+F11"), 24698);
  EXPECT_EQ(ShortCut(win::VK_F10, {ssCtrl, ssShift}), 24697);
  EXPECT_EQ(TextToShortCut(u"ctrl+shift+f10"), 24697);
  EXPECT_EQ(TextToShortCut(u"^C"), TShortCut('C' | scCtrl));
  EXPECT_EQ(TextToShortCut(u"Ctrl+"), scNone);
  EXPECT_EQ(TextToShortCut(u"Ctrl+Nothing"), scNone);
  EXPECT_EQ(ShortCutToText(TShortCut(0x07 | scCtrl)), u"");  // a key without a name
  EXPECT_EQ(ShortCut(0x100, {ssCtrl}), scNone);
  rtl::Word key;
  TShiftState shift;
  ShortCutToKey(24697, key, shift);
  EXPECT_EQ(key, win::VK_F10);
  EXPECT_EQ(shift, (TShiftState{ssCtrl, ssShift}));
}

namespace {

// A form-like owner with handlers, recording what runs.
class Owner : public rtl::TComponent {
 public:
  Owner() : TComponent(nullptr) {}
  std::string log;
  void Run(rtl::TObject* sender) { log += "run:" + ascii(static_cast<TComponent*>(sender)->Name()) + ";"; }
  void Check(rtl::TObject* sender) {
    log += "update;";
    static_cast<TCustomAction*>(sender)->SetEnabled(allow);
  }
  bool allow = true;
  static std::string ascii(const String& s) { return std::string(s.begin(), s.end()); }
};

// The client side as a control will have it.
class RecordingLink : public TActionLink {
 public:
  using TActionLink::TActionLink;
  String caption;
  bool enabled = true, visible = true, checked = false;
  int changes = 0;
  void SetCaption(const String& v) override { caption = v; }
  void SetEnabled(bool v) override { enabled = v; }
  void SetVisible(bool v) override { visible = v; }
  void SetChecked(bool v) override { checked = v; }
  void Change() override {
    ++changes;
    TActionLink::Change();
  }
};

TAction* MakeAction(Owner* owner, TActionList* list, const char16_t* name, TShortCut shortCut) {
  auto* a = rtl::Create<TAction>(owner);
  a->SetName(name);
  a->SetActionList(list);
  a->SetShortCut(shortCut);
  a->SetOnExecute(TNotifyEvent::bind<&Owner::Run>(owner));
  return a;
}

}  // namespace

TEST(Actions, ShortCutsRunTheirActionEvenWhenHidden) {
  Owner owner;
  auto* list = rtl::Create<TActionList>(&owner);
  TAction* dev = MakeAction(&owner, list, u"actModeDev", 24697);
  dev->SetVisible(false);
  TAction* off = MakeAction(&owner, list, u"actModeDevDesactive", 24698);
  off->SetSecondaryShortCuts({TShortCut('D' | scAlt)});
  EXPECT_TRUE(list->IsShortCut(win::VK_F10, {ssCtrl, ssShift}));
  EXPECT_TRUE(list->IsShortCut(TextToShortCut(u"Ctrl+Shift+F11")));
  EXPECT_TRUE(list->IsShortCut(TShortCut('D' | scAlt)));
  EXPECT_FALSE(list->IsShortCut(win::VK_F10, {ssCtrl}));
  EXPECT_EQ(owner.log, "run:actModeDev;run:actModeDevDesactive;run:actModeDevDesactive;");
  // A disabled action takes the key but does not run.
  owner.log.clear();
  dev->SetEnabled(false);
  EXPECT_FALSE(list->IsShortCut(24697));
  EXPECT_EQ(owner.log, "");
  list->SetState(TActionListState::asSuspended);
  EXPECT_FALSE(list->IsShortCut(24698));
  EXPECT_EQ(list->ActionCount(), 2);
  EXPECT_EQ(off->Index(), 1);
}

TEST(Actions, ExecuteUpdatesFirstAndListHandlersComeFirst) {
  Owner owner;
  auto* list = rtl::Create<TActionList>(&owner);
  TAction* a = MakeAction(&owner, list, u"actIniciar", scNone);
  a->SetOnUpdate(TNotifyEvent::bind<&Owner::Check>(&owner));
  EXPECT_TRUE(a->Execute());
  EXPECT_EQ(owner.log, "update;run:actIniciar;");
  owner.log.clear();
  owner.allow = false;
  EXPECT_FALSE(a->Execute());
  EXPECT_EQ(owner.log, "update;");
  EXPECT_FALSE(a->Enabled());

  owner.log.clear();
  owner.allow = true;
  int token;
  list->SetOnExecute(TActionEvent::fromClosure(&token, [&](TBasicAction* act, bool& handled) {
    owner.log += "list;";
    handled = act == a;
  }));
  EXPECT_TRUE(a->Execute());
  EXPECT_EQ(owner.log, "update;list;");
}

TEST(Actions, LinksFollowTheActionAndForgetIt) {
  Owner owner;
  auto* a = rtl::Create<TAction>(&owner);
  RecordingLink link(&owner);
  link.SetAction(a);
  EXPECT_EQ(a->ClientCount(), 1);
  int heard = 0, token;
  link.SetOnChange(TNotifyEvent::fromClosure(&token, [&](rtl::TObject*) { ++heard; }));
  a->SetCaption(u"&Login");
  a->SetEnabled(false);
  a->SetVisible(false);
  EXPECT_EQ(link.caption, u"&Login");
  EXPECT_FALSE(link.enabled);
  EXPECT_FALSE(link.visible);
  EXPECT_EQ(link.changes, 3);
  EXPECT_EQ(heard, 3);
  EXPECT_TRUE(link.IsCaptionLinked());
  a->Free();
  EXPECT_EQ(link.Action(), nullptr);
  EXPECT_FALSE(link.IsCaptionLinked());
}

TEST(Actions, GroupedActionsCheckOneAtATime) {
  Owner owner;
  auto* list = rtl::Create<TActionList>(&owner);
  TAction* x = MakeAction(&owner, list, u"x", scNone);
  TAction* y = MakeAction(&owner, list, u"y", scNone);
  x->SetGroupIndex(1);
  y->SetGroupIndex(1);
  x->SetAutoCheck(true);
  y->SetAutoCheck(true);
  EXPECT_TRUE(x->Execute());
  EXPECT_TRUE(x->Checked());
  EXPECT_TRUE(y->Execute());
  EXPECT_TRUE(y->Checked());
  EXPECT_FALSE(x->Checked());
  EXPECT_TRUE(y->Execute());  // a checked grouped action stays checked
  EXPECT_TRUE(y->Checked());
}

TEST(Actions, ListFreesItsActionsAndActionsLeaveTheList) {
  Owner owner;
  auto* list = rtl::Create<TActionList>(&owner);
  TAction* a = MakeAction(&owner, list, u"a", scNone);
  MakeAction(&owner, list, u"b", scNone);
  a->Free();
  EXPECT_EQ(list->ActionCount(), 1);
  list->Free();
  EXPECT_EQ(owner.ComponentCount(), 0);
}

namespace {

class TimerHost : public rtl::TComponent {
 public:
  TimerHost() : TComponent(nullptr) {}
  TTimer* timer = nullptr;
  int ticks = 0;
  void FreeMe(rtl::TObject*) {
    ++ticks;
    timer->SetEnabled(false);
    rtl::FreeAndNil(timer);
  }
  void Count(rtl::TObject*) { ++ticks; }
  void Fail(rtl::TObject*) {
    ++ticks;
    throw rtl::EConvertError(u"tick failed");
  }
};

}  // namespace

TEST(Timer, FiresOnTheClockAndFollowsItsProperties) {
  rtl::TestClockScope time;
  TimerHost host;
  auto* t = rtl::Create<TTimer>(&host);
  EXPECT_EQ(t->Interval(), 1000u);
  EXPECT_TRUE(t->Enabled());
  t->SetOnTimer(TNotifyEvent::bind<&TimerHost::Count>(&host));
  time.Advance(3500);
  EXPECT_EQ(host.ticks, 3);
  t->SetEnabled(false);
  time.Advance(5000);
  EXPECT_EQ(host.ticks, 3);
  t->SetInterval(200);
  t->SetEnabled(true);
  time.Advance(1000);
  EXPECT_EQ(host.ticks, 8);
  t->SetInterval(0);
  time.Advance(1000);
  EXPECT_EQ(host.ticks, 8);
}

TEST(Timer, FreeingItselfInItsHandlerIsSafe) {
  rtl::TestClockScope time;
  TimerHost host;
  host.timer = rtl::Create<TTimer>(&host);
  host.timer->SetInterval(5000);
  host.timer->SetOnTimer(TNotifyEvent::bind<&TimerHost::FreeMe>(&host));
  time.Advance(4999);
  EXPECT_EQ(host.ticks, 0);
  time.Advance(20000);
  EXPECT_EQ(host.ticks, 1);  // once, then gone
  EXPECT_EQ(host.timer, nullptr);
  EXPECT_EQ(host.ComponentCount(), 0);
}

TEST(Timer, HandlerErrorsGoToTheApplicationHandler) {
  rtl::TestClockScope time;
  TimerHost host;
  auto* t = rtl::Create<TTimer>(&host);
  t->SetOnTimer(TNotifyEvent::bind<&TimerHost::Fail>(&host));
  std::string caught;
  int token;
  rtl::ApplicationHandleException = TNotifyEvent::fromClosure(&token, [&](rtl::TObject*) {
    try {
      throw;
    } catch (const rtl::Exception& e) {
      caught = e.what();
    }
  });
  time.Advance(2000);
  rtl::ApplicationHandleException = nullptr;
  EXPECT_EQ(host.ticks, 2);
  EXPECT_EQ(caught, "tick failed");
}
