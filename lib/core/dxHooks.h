#pragma once
// Shared thread hooks: any number of routines share one operating-system
// hook per kind. The first routine of a kind installs the hook for the
// calling thread, the last one to leave removes it. Routines run newest
// first; the next hook of the system's chain always runs after them.
#include <array>
#include <memory>
#include <vector>

#include "platform/rtl/object.h"
#include "platform/win/types.h"

namespace core {

enum class TdxHookType { htKeyboard, htMouse, htWndProc, htGetMessage, htCBT };
inline constexpr int dxHookTypeCount = 5;

// Sets `hookResult` to a non-zero value to change what the hook answers.
using TdxHookProc = void (*)(int code, win::WPARAM wParam, win::LPARAM lParam, win::LRESULT& hookResult);

// The operating-system hook identifier of a kind.
int dxHookTypeToHookId(TdxHookType hookType);

// The routines of one kind and the system hook they share.
class TdxSystemHook : public rtl::TObject {
 public:
  explicit TdxSystemHook(TdxHookType hookType) : FHookType(hookType) {}
  ~TdxSystemHook() override;

  void Add(TdxHookProc proc);
  // Removes the first listed occurrence; false when it was not listed.
  bool Remove(TdxHookProc proc);
  win::LRESULT Process(int code, win::WPARAM wParam, win::LPARAM lParam);

  TdxHookType HookType() const { return FHookType; }
  win::HHOOK Handle() const { return FHandle; }
  int Count() const { return static_cast<int>(FHooks.size()); }

 private:
  // One registration. A walk holds the entries it started with, so routines
  // added or released by a routine during the walk neither shift nor skip
  // the others; a released entry is marked and not called any more.
  struct Entry {
    TdxHookProc proc;
    bool released = false;
  };
  void Install();
  void Uninstall();

  TdxHookType FHookType;
  win::HHOOK FHandle = nullptr;
  std::vector<std::shared_ptr<Entry>> FHooks;  // in order of registration
};

class TdxHookController : public rtl::TObject {
 public:
  TdxHookController();
  ~TdxHookController() override;
  TdxSystemHook* SystemHook(TdxHookType hookType) const { return FSystemHooks[static_cast<int>(hookType)].get(); }

 private:
  std::array<std::unique_ptr<TdxSystemHook>, dxHookTypeCount> FSystemHooks;
};

// The process's controller (made on first use, freed by dxHooksUnitStop).
TdxHookController* dxHookController();
void dxHooksUnitStop();

void dxSetHook(TdxHookType hookType, TdxHookProc hookProc);
void dxReleaseHook(TdxHookProc hookProc);

// The system hook entries of the five kinds.
win::LRESULT dxSystemKeyboardHook(int code, win::WPARAM wParam, win::LPARAM lParam);
win::LRESULT dxSystemMouseHook(int code, win::WPARAM wParam, win::LPARAM lParam);
win::LRESULT dxSystemWndProcHook(int code, win::WPARAM wParam, win::LPARAM lParam);
win::LRESULT dxSystemGetMessageHook(int code, win::WPARAM wParam, win::LPARAM lParam);
win::LRESULT dxSystemCBTHook(int code, win::WPARAM wParam, win::LPARAM lParam);

}  // namespace core
