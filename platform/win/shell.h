#pragma once
// Opening files and addresses with the desktop's default program.
#include <functional>
#include <string>

#include "platform/win/types.h"

namespace win {

// Values below 32 are failures, as the platform reports them.
constexpr int SE_ERR_FNF = 2;
constexpr int SE_ERR_NOASSOC = 31;
constexpr int SE_ERR_ACCESSDENIED = 5;
constexpr int SE_OK = 42;

// Starts the desktop's opener for one target (UTF-8) and reports whether it
// started. The default runs `xdg-open <target>` detached.
using ShellLauncher = std::function<bool(const std::string& target)>;

// Replaces the launcher (tests record the call instead of opening windows);
// returns the previous one. An empty launcher restores the default.
ShellLauncher SetShellLauncher(ShellLauncher launcher);

// Only the verb "open" (or none, which means "open") is known; parameters and
// the directory are ignored when empty and otherwise make the call fail with
// SE_ERR_NOASSOC, as no other program is ever started. Returns SE_OK (> 32)
// when the launcher started, SE_ERR_FNF for an empty file name, SE_ERR_NOASSOC
// for another verb or a launcher that failed.
// The result is a number in a handle, as the platform returns it.
HINSTANCE ShellExecuteW(HWND wnd, LPCWSTR operation, LPCWSTR file, LPCWSTR parameters,
                        LPCWSTR directory, int showCmd);

}  // namespace win
