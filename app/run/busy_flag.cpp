#include "app/run/busy_flag.h"

#include <atomic>
#include <chrono>
#include <exception>
#include <thread>

#include "platform/rtl/except.h"
#include "platform/rtl/ustring.h"

namespace integrador {

namespace {

std::atomic<rtl::Int64> testPauseMs{0};
std::atomic<int> owed{0};

rtl::String MessageOf(const std::exception& e) {
  if (auto* r = dynamic_cast<const rtl::Exception*>(&e)) return r->Message();
  return rtl::Utf8ToString(e.what());
}

}  // namespace

void SetBusyFlagRetryPauseForTests(rtl::Int64 ms) { testPauseMs = ms; }

bool ClearBusyFlagWithRetries(const std::function<void()>& clear, const std::function<void()>& reconnect,
                              rtl::String& error) {
  const rtl::Int64 pause = testPauseMs.load() > 0 ? testPauseMs.load() : kBusyFlagRetryPauseMs;
  for (int attempt = 0; attempt < kBusyFlagClearAttempts; ++attempt) {
    try {
      if (attempt > 0) {
        // A server that has just gone away often needs a moment to come back.
        std::this_thread::sleep_for(std::chrono::milliseconds(pause));
        reconnect();
      }
      clear();
      error.clear();
      return true;
    } catch (const std::exception& e) {
      error = MessageOf(e);
    }
  }
  return false;
}

int OwedBusyFlag() { return owed.load(); }

void OweBusyFlag(int resource) { owed = resource; }

void BusyFlagFreed(int resource) {
  int expected = resource;
  owed.compare_exchange_strong(expected, 0);
}

rtl::String BusyFlagNotFreedLine(const rtl::String& error) {
  return u"Não foi possível liberar a integração (carga_inicial = 1): " + error;
}

}  // namespace integrador
