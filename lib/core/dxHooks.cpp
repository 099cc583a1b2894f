#include "lib/core/dxHooks.h"

#include <algorithm>

#include "platform/win/constants.h"
#include "platform/win/message_loop.h"

namespace core {

namespace {

struct HookData {
  win::HOOKPROC entry;
  int id;
};

constexpr std::array<HookData, dxHookTypeCount> HooksData{{
    {&dxSystemKeyboardHook, win::WH_KEYBOARD},
    {&dxSystemMouseHook, win::WH_MOUSE},
    {&dxSystemWndProcHook, win::WH_CALLWNDPROC},
    {&dxSystemGetMessageHook, win::WH_GETMESSAGE},
    {&dxSystemCBTHook, win::WH_CBT},
}};

std::unique_ptr<TdxHookController>& controllerInstance() {
  static std::unique_ptr<TdxHookController> instance;
  return instance;
}

win::LRESULT processKind(TdxHookType kind, int code, win::WPARAM wParam, win::LPARAM lParam) {
  return dxHookController()->SystemHook(kind)->Process(code, wParam, lParam);
}

}  // namespace

int dxHookTypeToHookId(TdxHookType hookType) { return HooksData[static_cast<int>(hookType)].id; }

// --- TdxSystemHook ------------------------------------------------------------------------------

TdxSystemHook::~TdxSystemHook() { Uninstall(); }

void TdxSystemHook::Install() {
  const HookData& data = HooksData[static_cast<int>(FHookType)];
  FHandle = win::SetWindowsHookExW(data.id, data.entry, nullptr, win::GetCurrentThreadId());
}

void TdxSystemHook::Uninstall() {
  if (FHandle) win::UnhookWindowsHookEx(FHandle);
  FHandle = nullptr;
}

void TdxSystemHook::Add(TdxHookProc proc) {
  if (FHooks.empty()) Install();
  FHooks.push_back(std::make_shared<Entry>(Entry{proc}));
}

bool TdxSystemHook::Remove(TdxHookProc proc) {
  auto it = std::find_if(FHooks.begin(), FHooks.end(), [&](const auto& e) { return e->proc == proc; });
  if (it == FHooks.end()) return false;
  (*it)->released = true;
  FHooks.erase(it);
  if (FHooks.empty()) Uninstall();
  return true;
}

win::LRESULT TdxSystemHook::Process(int code, win::WPARAM wParam, win::LPARAM lParam) {
  win::LRESULT hookResult = 0;
  // The handle and the routines as they were when the message came: the
  // chain must go on even when the routines removed the hook meanwhile.
  const win::HHOOK handle = FHandle;
  const std::vector<std::shared_ptr<Entry>> walk = FHooks;
  for (auto it = walk.rbegin(); it != walk.rend(); ++it) {
    if ((*it)->released) continue;
    try {
      (*it)->proc(code, wParam, lParam, hookResult);
    } catch (...) {
      win::HandleDispatchException();
    }
  }
  const win::LRESULT next = win::CallNextHookEx(handle, code, wParam, lParam);
  return hookResult != 0 ? hookResult : next;
}

// --- TdxHookController --------------------------------------------------------------------------

TdxHookController::TdxHookController() {
  for (int i = 0; i < dxHookTypeCount; ++i) FSystemHooks[i] = std::make_unique<TdxSystemHook>(TdxHookType(i));
}

TdxHookController::~TdxHookController() = default;

TdxHookController* dxHookController() {
  auto& instance = controllerInstance();
  if (!instance) instance = std::make_unique<TdxHookController>();
  return instance.get();
}

void dxHooksUnitStop() { controllerInstance().reset(); }

void dxSetHook(TdxHookType hookType, TdxHookProc hookProc) {
  dxHookController()->SystemHook(hookType)->Add(hookProc);
}

void dxReleaseHook(TdxHookProc hookProc) {
  TdxHookController* controller = dxHookController();
  for (int i = 0; i < dxHookTypeCount; ++i) controller->SystemHook(TdxHookType(i))->Remove(hookProc);
}

win::LRESULT dxSystemKeyboardHook(int code, win::WPARAM wParam, win::LPARAM lParam) {
  return processKind(TdxHookType::htKeyboard, code, wParam, lParam);
}
win::LRESULT dxSystemMouseHook(int code, win::WPARAM wParam, win::LPARAM lParam) {
  return processKind(TdxHookType::htMouse, code, wParam, lParam);
}
win::LRESULT dxSystemWndProcHook(int code, win::WPARAM wParam, win::LPARAM lParam) {
  return processKind(TdxHookType::htWndProc, code, wParam, lParam);
}
win::LRESULT dxSystemGetMessageHook(int code, win::WPARAM wParam, win::LPARAM lParam) {
  return processKind(TdxHookType::htGetMessage, code, wParam, lParam);
}
win::LRESULT dxSystemCBTHook(int code, win::WPARAM wParam, win::LPARAM lParam) {
  return processKind(TdxHookType::htCBT, code, wParam, lParam);
}

}  // namespace core
