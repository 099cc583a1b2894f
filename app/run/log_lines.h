#pragma once
// Where a run's log lines go, and how a run asks the main window to refresh.
//
// Both are used only on the main thread, inside hand-overs from the worker.
// A worker may outlive the pane it was given (the window closed during a
// run), so a hand-over first asks whether its target still exists: every
// ILogLines registers itself while it lives, and the main window sets and
// clears the refresh hook.
#include "platform/rtl/stringlist.h"

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

  // Whether `target` is an ILogLines that has not been destroyed.
  static bool Alive(const ILogLines* target);
};

// The main window as the run sees it: its search re-opens the grid's query.
class IMainWindow {
 public:
  virtual ~IMainWindow() = default;
  virtual void btnLocalizarClick(rtl::TObject* Sender) = 0;
};

// The main window of the process, nullptr when there is none (the
// command-line run) or once it has closed. Main thread only.
IMainWindow* MainWindow();
void SetMainWindow(IMainWindow* window);

}  // namespace integrador
