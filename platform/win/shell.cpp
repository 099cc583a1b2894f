#include "platform/win/shell.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <mutex>
#include <utility>

#include "platform/rtl/ustring.h"

extern char** environ;

namespace win {
namespace {

// Starts xdg-open in the background of a short-lived shell, so that the
// opener is re-parented to init (never left as a zombie of this process) and
// this process never forks itself. False when xdg-open is not installed.
bool launchXdgOpen(const std::string& target) {
  static const char script[] =
      "command -v xdg-open >/dev/null 2>&1 || exit 127; xdg-open \"$1\" >/dev/null 2>&1 &";
  char* const argv[] = {const_cast<char*>("sh"), const_cast<char*>("-c"),
                        const_cast<char*>(script), const_cast<char*>("sh"),
                        const_cast<char*>(target.c_str()), nullptr};
  pid_t shell = 0;
  if (posix_spawnp(&shell, "sh", nullptr, nullptr, argv, environ) != 0) return false;
  int status = 0;
  while (waitpid(shell, &status, 0) < 0) {
    if (errno != EINTR) return false;
  }
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

std::mutex& launcherMutex() {
  static std::mutex m;
  return m;
}
ShellLauncher& currentLauncher() {
  static ShellLauncher launcher;
  return launcher;
}

HINSTANCE result(int code) {
  return reinterpret_cast<HINSTANCE>(static_cast<UINT_PTR>(code));
}

bool isEmpty(LPCWSTR s) { return !s || *s == 0; }

}  // namespace

ShellLauncher SetShellLauncher(ShellLauncher launcher) {
  std::lock_guard lock(launcherMutex());
  return std::exchange(currentLauncher(), std::move(launcher));
}

HINSTANCE ShellExecuteW(HWND, LPCWSTR operation, LPCWSTR file, LPCWSTR parameters,
                        LPCWSTR directory, int) {
  if (isEmpty(file)) return result(SE_ERR_FNF);
  if (!isEmpty(operation) && rtl::StringView(operation) != u"open") return result(SE_ERR_NOASSOC);
  if (!isEmpty(parameters) || !isEmpty(directory)) return result(SE_ERR_NOASSOC);
  ShellLauncher launcher;
  {
    std::lock_guard lock(launcherMutex());
    launcher = currentLauncher();
  }
  const std::string target = rtl::StringToUtf8(file);
  const bool started = launcher ? launcher(target) : launchXdgOpen(target);
  return result(started ? SE_OK : SE_ERR_NOASSOC);
}

}  // namespace win
