#pragma once
// Helpers for the threaded tests: a thread that runs a lambda, and the real
// time limit that makes a hang fail fast instead of blocking the suite.
#include <functional>
#include <utility>

#include "platform/rtl/threads.h"

namespace rtl_test {

// Generous: a correct run needs milliseconds; a wrong one fails here.
constexpr rtl::Int64 kLimitMs = 10000;

// Runs `body(self)`; exposes the protected members the bodies need.
class FnThread : public rtl::TThread {
 public:
  explicit FnThread(std::function<void(FnThread&)> body, bool createSuspended = false)
      : TThread(createSuspended), body_(std::move(body)) {}
  ~FnThread() override {
    // The body lives in this object: the thread must be gone first.
    if (Started() && !FreeOnTerminate()) {
      Terminate();
      WaitFor();
    }
  }
  using TThread::Queue;
  using TThread::SetReturnValue;
  using TThread::Synchronize;

 protected:
  void Execute() override { body_(*this); }

 private:
  std::function<void(FnThread&)> body_;
};

}  // namespace rtl_test
