#pragma once
// Where a run's log lines go, and how a run asks the main window to refresh.
//
// Both are used only on the main thread, inside hand-overs from the worker.
// A worker may outlive the pane it was given (the window closed during a
// run), so a hand-over reaches its target through a weak handle taken when
// the run was made, and the main window sets and clears the refresh hook.
#include <cstddef>

#include "platform/rtl/stringlist.h"
#include "platform/rtl/types.h"
#include "app/run/weak_handle.h"

namespace integrador {

// The owner of the log pane's lines: the main window's log pane, or the
// command-line run, which prints each line.
class ILogLines {
 public:
  ILogLines();
  virtual ~ILogLines();
  ILogLines(const ILogLines&) = delete;
  ILogLines& operator=(const ILogLines&) = delete;

  virtual rtl::TStrings& Lines() = 0;

  // Reads null once this target has been destroyed.
  TWeakHandle<ILogLines> Handle() const { return lifetime_.Handle(); }

 private:
  TLifetime<ILogLines> lifetime_{this};
};

// The main window as the run sees it: its search re-opens the grid's query.
class IMainWindow {
 public:
  virtual ~IMainWindow() = default;
  virtual void btnLocalizarClick(rtl::TObject* Sender) = 0;
};

// `text` with every form in which `secret` may come back (as it is,
// URL-encoded, JSON-escaped) replaced by "***"; a secret shorter than
// kMinSecretLength is left alone.
inline constexpr std::size_t kMinSecretLength = 4;
rtl::String ScrubSecret(rtl::StringView text, rtl::StringView secret);

// A run's message as one log line: scrubbed of `secret`, line breaks and
// tabs (a server's multi-line message) turned into one blank, and a line
// longer than kMaxLogLineLength characters cut with an ellipsis.
inline constexpr std::size_t kMaxLogLineLength = 500;
rtl::String LogLineText(rtl::StringView message, rtl::StringView secret);

// A value of outside origin shown in a line: at most `max` characters, the
// rest replaced by an ellipsis.
rtl::String CutValue(rtl::StringView value, std::size_t max = 64);

// The main window of the process, nullptr when there is none (the
// command-line run) or once it has closed. Main thread only.
IMainWindow* MainWindow();
void SetMainWindow(IMainWindow* window);

}  // namespace integrador
