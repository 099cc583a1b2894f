#pragma once
// The class library's own message box: a modal dialog form with the
// caption, an icon for the box's MB_ICON* type, the text wrapped to a
// readable width and the buttons of its MB_* type. Installed as the window
// system's message-box provider, it is what MessageBoxW, MessageDlg and
// ShowMessage show on a real display.
#include "platform/ui/forms.h"

namespace ui {

// The box's widest text line before it wraps, in pixels.
constexpr int kMessageBoxMaxTextWidth = 420;

// The form of a box (not shown; the caller frees it). Its buttons are
// TButtons whose ModalResult is the box's answer (IDOK...IDCONTINUE); the
// MB_DEFBUTTONn one is Default and the active control, and the IDCANCEL one
// (the OK one of an MB_OK box) answers Esc. Centred on `owner` when that is
// a visible window, else on the work area of the screen.
TForm* CreateMessageBoxForm(win::HWND owner, const String& text, const String& caption,
                            win::UINT type);
// Shows the box modally and answers the button id pressed. Closing it by its
// close button answers IDCANCEL, or IDOK for an MB_OK box; boxes without
// either cannot be closed that way.
int ShowMessageBoxDialog(win::HWND owner, const String& text, const String& caption,
                         win::UINT type);
// Makes ShowMessageBoxDialog the window system's message-box provider.
// Application->Initialize() does this unless the backend is the headless one.
void InstallMessageBoxDialog();

}  // namespace ui
