#pragma once
// A window procedure that writes down every message it gets, with the
// window's name, then lets DefWindowProcW answer; and the names of the
// messages, so that a failing sequence reads well.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/rtl/clock.h"
#include "platform/win/headless.h"
#include "platform/win/win.h"

namespace wintest {

using namespace win;

struct Entry {
  std::string window;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};

std::string MessageName(UINT msg);

class Recorder {
 public:
  static Recorder& Get();
  void Clear() { entries.clear(); }
  void Name(HWND hwnd, const std::string& name) { names[hwnd] = name; }
  std::string NameOf(HWND hwnd) const {
    auto it = names.find(hwnd);
    return it == names.end() ? "?" : it->second;
  }
  // "window:MESSAGE" lines of what was recorded, keeping only `keep`
  // messages when given.
  std::vector<std::string> Lines(const std::vector<UINT>& keep = {}) const;

  std::vector<Entry> entries;
  std::map<HWND, std::string> names;
  // Runs before DefWindowProcW; returns true when it answered (result in *r).
  std::function<bool(HWND, UINT, WPARAM, LPARAM, LRESULT*)> handler;
  bool recording = true;
  // The name a window not yet named gets at its first message (creation).
  std::string nextName;
};

LRESULT RecordingProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// Registers "Rec" (CS_DBLCLKS, white background, arrow cursor) once per scope.
void RegisterRecordingClass(const char16_t* name = u"Rec", UINT style = CS_DBLCLKS,
                            HBRUSH background = nullptr);

// A fixture with a headless window system, a test clock and the class.
class WinTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  HWND Top(const std::string& name, int x, int y, int w, int h, DWORD style = WS_OVERLAPPEDWINDOW | WS_VISIBLE,
           DWORD exStyle = 0);
  HWND Child(const std::string& name, HWND parent, int x, int y, int w, int h,
             DWORD style = WS_CHILD | WS_VISIBLE, DWORD exStyle = 0);
  Recorder& rec = Recorder::Get();
  std::unique_ptr<headless::HeadlessScope> screen;
  std::unique_ptr<rtl::TestClockScope> clock;
};

}  // namespace wintest
