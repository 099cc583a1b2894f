#pragma once
// What the control and form tests share: a headless window system with a
// test clock and a fresh application, objects freed the platform's way, and
// a recorder of the messages a control's WindowProc sees.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/rtl/clock.h"
#include "platform/ui/controls.h"
#include "platform/ui/forms.h"
#include "platform/win/headless.h"
#include "platform/win/win.h"

namespace uitest {

struct FreeObject {
  void operator()(rtl::TObject* o) const {
    if (o) o->Free();
  }
};
template <class T>
using Owned = std::unique_ptr<T, FreeObject>;
template <class T, class... A>
Owned<T> Make(A&&... args) {
  return Owned<T>(rtl::Create<T>(std::forward<A>(args)...));
}

inline std::string stripNamespace(const char* name) {
  std::string s(name);
  const auto colon = s.rfind(':');
  return colon == std::string::npos ? s : s.substr(colon + 1);
}

inline std::string MessageName(win::UINT msg) {
  using namespace ui;
  switch (msg) {
#define UI_NAME(m) \
  case m: return stripNamespace(#m);
    UI_NAME(CM_ENABLEDCHANGED) UI_NAME(CM_VISIBLECHANGED) UI_NAME(CM_FONTCHANGED)
    UI_NAME(CM_COLORCHANGED) UI_NAME(CM_PARENTFONTCHANGED) UI_NAME(CM_PARENTCOLORCHANGED)
    UI_NAME(CM_TEXTCHANGED) UI_NAME(CM_MOUSEENTER) UI_NAME(CM_MOUSELEAVE) UI_NAME(CM_ENTER)
    UI_NAME(CM_EXIT) UI_NAME(CM_DIALOGKEY) UI_NAME(CM_SHOWINGCHANGED) UI_NAME(CM_FOCUSCHANGED)
    UI_NAME(CM_CONTROLCHANGE) UI_NAME(CM_PARENTSHOWHINTCHANGED) UI_NAME(CM_SHOWHINTCHANGED)
    UI_NAME(CN_COMMAND) UI_NAME(CN_NOTIFY) UI_NAME(CN_CTLCOLOREDIT) UI_NAME(CM_WANTSPECIALKEY)
    UI_NAME(win::WM_SETTEXT) UI_NAME(win::WM_NCCREATE) UI_NAME(win::WM_NCCALCSIZE)
    UI_NAME(win::WM_CREATE) UI_NAME(win::WM_GETTEXTLENGTH) UI_NAME(win::WM_GETTEXT)
    UI_NAME(win::WM_SETFOCUS) UI_NAME(win::WM_KILLFOCUS)
#undef UI_NAME
    default: return "0x" + [&] {
      char buf[16];
      std::snprintf(buf, sizeof buf, "%04X", msg);
      return std::string(buf);
    }();
  }
}

// Records, as "name:MESSAGE", the messages of the watched controls that are
// in `only` (all when empty), then hands them on.
class MessageLog {
  // Shared with the watchers, which may outlive this object.
  struct Data {
    std::vector<win::UINT> only;
    std::vector<std::string> lines;
  };
  std::shared_ptr<Data> data_ = std::make_shared<Data>();

 public:
  void Watch(ui::TControl* control, const std::string& name) {
    auto previous = control->WindowProc();
    control->SetWindowProc(ui::TWndMethod::fromClosure(
        control, [data = data_, previous, name](ui::TMessage& m) {
          if (data->only.empty() ||
              std::find(data->only.begin(), data->only.end(), m.Msg) != data->only.end())
            data->lines.push_back(name + ":" + MessageName(m.Msg));
          previous(m);
        }));
  }
  std::vector<win::UINT>& only = data_->only;
  std::vector<std::string>& lines = data_->lines;
};

using ui::TForm;
using ui::TMessage;

constexpr win::UINT WM_SCRIPT = win::WM_USER + 1;

// A form that runs the next step of a script for each WM_SCRIPT it gets.
class TScriptForm : public TForm {
 public:
  explicit TScriptForm(rtl::TComponent* owner) : TForm(owner) {}
  ~TScriptForm() override {
    if (destroyed) *destroyed = true;
  }
  std::vector<std::function<void(TScriptForm*)>> steps;
  bool* destroyed = nullptr;

  void Dispatch(void* message) override {
    auto& m = *static_cast<TMessage*>(message);
    if (m.Msg == WM_SCRIPT && !steps.empty()) {
      auto step = steps.front();
      steps.erase(steps.begin());
      step(this);  // may free this form: nothing after
      return;
    }
    TForm::Dispatch(message);
  }
};

class UiTest : public ::testing::Test {
 protected:
  void SetUp() override {
    screen = std::make_unique<win::headless::HeadlessScope>();
    clock = std::make_unique<rtl::TestClockScope>();
    ui::Application->Initialize();
    ui::Application->SetOnException(nullptr);
    ui::Application->SetTitle(u"Integrador");
    win::headless::TakeShownMessageBoxes();
  }
  void TearDown() override {
    win::headless::ProcessMessages();
    clock.reset();
    screen.reset();
  }
  int Process() { return win::headless::ProcessMessages(); }

  std::unique_ptr<win::headless::HeadlessScope> screen;
  std::unique_ptr<rtl::TestClockScope> clock;
};

}  // namespace uitest
