#pragma once
// The theme cache: one open theme handle per kind of themed element, opened
// on first request, and a hidden window that hears the system's theme and
// colour change broadcasts, drops the cache, updates the "themes active"
// flag and tells its subscribers.
#include <vector>

#include "lib/core/cxClasses.h"
#include "lib/core/dxUxTheme.h"
#include "platform/rtl/set.h"

namespace core {

enum class TdxThemedObjectType {
  totButton, totClock, totComboBox, totEdit, totExplorerBar, totHeader, totListBox, totListView, totMenu,
  totPage, totProgress, totRebar, totScrollBar, totSpin, totStartPanel, totStatus, totTab, totTaskBand,
  totTaskBar, totToolBar, totToolTip, totTrackBar, totTrayNotify, totTreeview, totWindow, totNavigation,
  totExplorerListView, totTextStyle
};
inline constexpr int dxThemedObjectTypeCount = 28;
using TdxThemedObjectTypes = rtl::Set<TdxThemedObjectType, dxThemedObjectTypeCount>;

// The class list each kind is opened with.
const char16_t* dxThemedObjectName(TdxThemedObjectType type);

// The cached or newly opened theme of a kind; null when unavailable. A
// class list other than the cached one (compared ignoring case) reopens.
HTHEME OpenTheme(TdxThemedObjectType type, const char16_t* classList = nullptr);
// The close result; 0 when nothing was open, 1 when visual styles are unavailable.
HRESULT CloseTheme(TdxThemedObjectType type);
// Closes every open handle; the class lists are kept for the next open.
void CloseAllThemes();
bool AreVisualStylesAvailable(TdxThemedObjectType type);
bool AreVisualStylesAvailable(TdxThemedObjectTypes types = {});
bool IsStandardTheme();
// Themes are active as the system last told.
bool dxIsGlobalThemeActive();

// Hears theme changes while it lives (only when a theme engine is there).
class TdxThemeChangedNotificator : public rtl::TObject {
  RTL_CLASS(TdxThemeChangedNotificator, rtl::TObject)

 public:
  TdxThemeChangedNotificator();
  ~TdxThemeChangedNotificator() override;
  const TNotifyEvent& OnThemeChanged() const { return FOnThemeChanged; }
  void SetOnThemeChanged(const TNotifyEvent& value) { FOnThemeChanged = value; }
  virtual void DoThemeChanged();

 private:
  TNotifyEvent FOnThemeChanged;
};

// The hidden window that receives the broadcasts.
class TdxThemeChangedEventReceiver : public TcxMessageWindow {
  RTL_CLASS(TdxThemeChangedEventReceiver, TcxMessageWindow)

 public:
  TdxThemeChangedEventReceiver();
  ~TdxThemeChangedEventReceiver() override;

 protected:
  void WndProc(ui::TMessage& message) override;
};

// The receiver window, null without a theme engine.
TdxThemeChangedEventReceiver* dxThemeChangedEventReceiver();

// Start and stop of the theme manager: with an engine, reads whether themes
// are active and makes the receiver; the stop closes every theme.
void dxThemeManagerUnitStart();
void dxThemeManagerUnitStop();

}  // namespace core
