#include "app/run/log_lines.h"

#include <atomic>
#include <mutex>
#include <unordered_set>

namespace integrador {

namespace {

std::mutex registryMutex;
std::unordered_set<const ILogLines*>& Registry() {
  static auto* live = new std::unordered_set<const ILogLines*>();  // outlives static teardown
  return *live;
}

std::atomic<IMainWindow*> mainWindow{nullptr};

}  // namespace

ILogLines::ILogLines() {
  std::lock_guard<std::mutex> lock(registryMutex);
  Registry().insert(this);
}

ILogLines::~ILogLines() {
  std::lock_guard<std::mutex> lock(registryMutex);
  Registry().erase(this);
}

bool ILogLines::Alive(const ILogLines* target) {
  if (!target) return false;
  std::lock_guard<std::mutex> lock(registryMutex);
  return Registry().count(target) != 0;
}

IMainWindow* MainWindow() { return mainWindow.load(); }
void SetMainWindow(IMainWindow* window) { mainWindow.store(window); }

}  // namespace integrador
