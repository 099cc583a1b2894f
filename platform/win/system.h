#pragma once
// System metrics, colours, parameters, monitors and time: classic values at
// 96 DPI; the screen geometry comes from the backend.
#include <functional>

#include "platform/gdi/objects.h"
#include "platform/rtl/types.h"
#include "platform/win/constants.h"
#include "platform/win/types.h"

namespace win {

int GetSystemMetrics(int index);
// The drawing layer's system colours; changing them broadcasts
// WM_SYSCOLORCHANGE to the top-level windows.
using gdi::GetSysColor;
using gdi::GetSysColorBrush;
BOOL SetSysColors(int count, const int* indexes, const COLORREF* colors);

struct NONCLIENTMETRICSW {
  UINT cbSize = sizeof(NONCLIENTMETRICSW);
  int iBorderWidth = 0;
  int iScrollWidth = 0;
  int iScrollHeight = 0;
  int iCaptionWidth = 0;
  int iCaptionHeight = 0;
  gdi::LOGFONTW lfCaptionFont{};
  int iSmCaptionWidth = 0;
  int iSmCaptionHeight = 0;
  gdi::LOGFONTW lfSmCaptionFont{};
  int iMenuWidth = 0;
  int iMenuHeight = 0;
  gdi::LOGFONTW lfMenuFont{};
  gdi::LOGFONTW lfStatusFont{};
  gdi::LOGFONTW lfMessageFont{};
  int iPaddedBorderWidth = 0;
};
// SPI_GETANIMATION: whether windows animate when minimised and restored.
struct ANIMATIONINFO {
  UINT cbSize = sizeof(ANIMATIONINFO);
  int iMinAnimate = 0;
};
// A parameter set with SPIF_SENDCHANGE in `winIni` is announced to every
// top-level window by WM_SETTINGCHANGE (wParam: the action, lParam: 0).
BOOL SystemParametersInfoW(UINT action, UINT uiParam, LPVOID pvParam, UINT winIni);
// Announces a change of the regional settings (after rtl::SetUserDefaultLCID
// or rtl::SetLocaleUserOverride) as the system does: WM_SETTINGCHANGE with
// wParam 0 and lParam the text "intl" to every top-level window.
void BroadcastLocaleChange();

HMONITOR MonitorFromWindow(HWND hwnd, DWORD flags);
HMONITOR MonitorFromPoint(POINT pt, DWORD flags);
HMONITOR MonitorFromRect(const RECT* rc, DWORD flags);
BOOL GetMonitorInfoW(HMONITOR monitor, MONITORINFO* info);  // MONITORINFOEXW when cbSize says so
BOOL EnumDisplayMonitors(HDC dc, const RECT* clip, MONITORENUMPROC proc, LPARAM data);

// Milliseconds of the one clock (wraps after 49.7 days, as on the platform).
DWORD GetTickCount();
std::uint64_t GetTickCount64();
BOOL MessageBeep(UINT type);  // no sound

// Message boxes: a modal box owned by `owner`. The answer comes from the
// message-box provider (headless: scripted answers in tests, otherwise the
// default button at once with caption and text on standard error).
int MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type);
// The provider gets what MessageBoxW got and answers the button id. It runs
// on the main thread and may run a modal loop (RunModalLoop).
using MessageBoxProvider =
    std::function<int(HWND owner, const rtl::String& text, const rtl::String& caption, UINT type)>;
// Installs a provider (the class library's dialog); null restores the default.
void SetMessageBoxProvider(MessageBoxProvider provider);
// The default button of a box of `type` (MB_DEFBUTTONn of its buttons).
int DefaultMessageBoxAnswer(UINT type);

}  // namespace win
