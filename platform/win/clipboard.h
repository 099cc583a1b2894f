#pragma once
// The clipboard, through the backend (in memory headless, the CLIPBOARD
// selection on X11), with the platform's global-memory handles.
#include <cstddef>

#include "platform/win/constants.h"
#include "platform/win/types.h"

namespace win {

// Global memory: a handle to a block of bytes (GMEM_MOVEABLE and
// GMEM_FIXED alike: lock to get the pointer).
HGLOBAL GlobalAlloc(UINT flags, std::size_t bytes);
LPVOID GlobalLock(HGLOBAL mem);
BOOL GlobalUnlock(HGLOBAL mem);
std::size_t GlobalSize(HGLOBAL mem);
HGLOBAL GlobalFree(HGLOBAL mem);  // null on success

BOOL OpenClipboard(HWND owner);
BOOL CloseClipboard();
BOOL EmptyClipboard();
// The clipboard takes the handle (do not free it). CF_UNICODETEXT also
// answers CF_TEXT (code page 1252) and the other way round.
HANDLE SetClipboardData(UINT format, HANDLE mem);
// The handle stays the clipboard's; valid until it changes or closes.
HANDLE GetClipboardData(UINT format);
BOOL IsClipboardFormatAvailable(UINT format);
UINT EnumClipboardFormats(UINT format);
int CountClipboardFormats();
UINT RegisterClipboardFormatW(LPCWSTR name);  // 0xC000..0xFFFF
int GetClipboardFormatNameW(UINT format, LPWSTR buffer, int maxCount);
HWND GetClipboardOwner();
HWND GetOpenClipboardWindow();
DWORD GetClipboardSequenceNumber();

}  // namespace win
