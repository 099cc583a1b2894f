#include "lib/core/dxThemeManager.h"

#include <algorithm>
#include <array>
#include <memory>

#include "lib/core/dxCore.h"
#include "platform/rtl/ustring.h"
#include "platform/ui/controls.h"
#include "platform/ui/forms.h"
#include "platform/win/constants.h"

namespace core {

namespace {

constexpr std::array<const char16_t*, dxThemedObjectTypeCount> dxThemedObjectNameA{
    u"Button",  u"Clock",     u"ComboBox",   u"Edit",     u"ExplorerBar", u"Header",  u"ListBox",
    u"ListView", u"Menu",     u"Page",       u"Progress", u"Rebar",       u"ScrollBar", u"Spin",
    u"StartPanel", u"Status", u"Tab",        u"TaskBand", u"TaskBar",     u"ToolBar", u"ToolTip",
    u"TrackBar", u"TrayNotify", u"TreeView", u"Window",   u"Navigation",  u"Explorer::ListView",
    u"TEXTSTYLE"};

constexpr std::array<const char16_t*, 2> StandardThemeFileNames{u"LUNA.MSSTYLES", u"ROYALE.MSSTYLES"};

struct TdxThemeData {
  HTHEME theme = nullptr;
  rtl::String classList;
};

struct State {
  std::array<TdxThemeData, dxThemedObjectTypeCount> themes;
  bool isGlobalThemeActive = false;
  std::unique_ptr<TdxThemeChangedEventReceiver> receiver;
  // Live notificators, not owned; null while the manager is stopped.
  std::unique_ptr<std::vector<TdxThemeChangedNotificator*>> notificators;
};

State& state() {
  static State s;
  return s;
}

TdxThemeData& data(TdxThemedObjectType type) { return state().themes[static_cast<int>(type)]; }

rtl::String themeFileNameOnly(const char16_t* path) {
  rtl::String s(path);
  const auto slash = s.find_last_of(u"\\/");
  return slash == rtl::String::npos ? s : s.substr(slash + 1);
}

}  // namespace

const char16_t* dxThemedObjectName(TdxThemedObjectType type) { return dxThemedObjectNameA[static_cast<int>(type)]; }

bool dxIsGlobalThemeActive() { return state().isGlobalThemeActive; }

HTHEME OpenTheme(TdxThemedObjectType type, const char16_t* classList) {
  if (!AreVisualStylesAvailable()) return nullptr;
  TdxThemeData& d = data(type);
  if (d.theme) {
    if (!classList || rtl::AnsiUpperCase(classList) == rtl::AnsiUpperCase(d.classList)) return d.theme;
    CloseTheme(type);
  }
  rtl::String toOpen = classList ? rtl::String(classList) : !d.classList.empty() ? d.classList
                                                                                 : rtl::String(dxThemedObjectName(type));
  d.theme = OpenThemeData(nullptr, toOpen.c_str());
  if (d.theme)
    d.classList = toOpen;
  else
    d.classList.clear();
  return d.theme;
}

HRESULT CloseTheme(TdxThemedObjectType type) {
  if (!AreVisualStylesAvailable()) return 1;
  TdxThemeData& d = data(type);
  if (!d.theme) return 0;
  const HRESULT result = CloseThemeData(d.theme);
  d.theme = nullptr;
  d.classList.clear();
  return result;
}

void CloseAllThemes() {
  for (TdxThemeData& d : state().themes) {
    if (d.theme) CloseThemeData(d.theme);
    d.theme = nullptr;
  }
}

bool AreVisualStylesAvailable(TdxThemedObjectType type) {
  return AreVisualStylesAvailable(TdxThemedObjectTypes{type});
}

bool AreVisualStylesAvailable(TdxThemedObjectTypes types) {
  if (!state().isGlobalThemeActive || !IsThemeLibraryLoaded()) return false;
  for (TdxThemedObjectType t : types)
    if (!OpenTheme(t)) return false;
  return true;
}

bool IsStandardTheme() {
  if (!AreVisualStylesAvailable()) return false;
  char16_t fileName[1024] = {};
  if (GetCurrentThemeName(fileName, 1024, nullptr, 0, nullptr, 0) != dxS_OK) return false;
  fileName[1023] = 0;
  const rtl::String name = rtl::AnsiUpperCase(themeFileNameOnly(fileName));
  return std::find(StandardThemeFileNames.begin(), StandardThemeFileNames.end(), name) !=
         StandardThemeFileNames.end();
}

// --- notificators ------------------------------------------------------------------------------

TdxThemeChangedNotificator::TdxThemeChangedNotificator() {
  if (IsThemeLibraryLoaded() && state().notificators) state().notificators->push_back(this);
}

TdxThemeChangedNotificator::~TdxThemeChangedNotificator() {
  if (auto& list = state().notificators) list->erase(std::remove(list->begin(), list->end(), this), list->end());
}

void TdxThemeChangedNotificator::DoThemeChanged() { dxCallNotify(FOnThemeChanged, this); }

// --- the receiver ----------------------------------------------------------------------------

TdxThemeChangedEventReceiver::TdxThemeChangedEventReceiver() = default;

TdxThemeChangedEventReceiver::~TdxThemeChangedEventReceiver() { state().isGlobalThemeActive = false; }

void TdxThemeChangedEventReceiver::WndProc(ui::TMessage& message) {
  if (message.Msg != win::WM_THEMECHANGED && message.Msg != win::WM_SYSCOLORCHANGE) {
    TcxMessageWindow::WndProc(message);
    return;
  }
  try {
    CloseAllThemes();
    TcxMessageWindow::WndProc(message);
    state().isGlobalThemeActive = IsThemeActive();
    // A notificator may free others (or itself) while it is told: walk a copy
    // and skip those that left meanwhile.
    if (auto& list = state().notificators) {
      const std::vector<TdxThemeChangedNotificator*> walk = *list;
      for (TdxThemeChangedNotificator* n : walk)
        if (std::find(list->begin(), list->end(), n) != list->end()) n->DoThemeChanged();
    }
  } catch (...) {
    ui::Application->HandleException(this);
  }
  message.Result = 0;
}

TdxThemeChangedEventReceiver* dxThemeChangedEventReceiver() { return state().receiver.get(); }

void dxThemeManagerUnitStart() {
  State& s = state();
  if (!IsThemeLibraryLoaded() || s.receiver) return;
  s.isGlobalThemeActive = IsThemeActive();
  s.receiver = std::make_unique<TdxThemeChangedEventReceiver>();
  s.notificators = std::make_unique<std::vector<TdxThemeChangedNotificator*>>();
}

void dxThemeManagerUnitStop() {
  State& s = state();
  if (!s.receiver) return;
  s.receiver.reset();
  CloseAllThemes();
  for (TdxThemeData& d : s.themes) d.classList.clear();
  s.notificators.reset();
  s.isGlobalThemeActive = false;
}

}  // namespace core
