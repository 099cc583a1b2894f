#pragma once
// Small scope helpers for the run-time and data layers' own sources; not
// included by rtl.h and not meant for callers.
#include <exception>
#include <utility>

namespace rtl {

// Gives a variable back its value when the scope ends, however it ends.
template <class T>
class ScopedValue {
 public:
  explicit ScopedValue(T& ref) : ref_(ref), saved_(ref) {}
  ScopedValue(T& ref, T value) : ref_(ref), saved_(ref) { ref_ = std::move(value); }
  ~ScopedValue() { ref_ = std::move(saved_); }
  ScopedValue(const ScopedValue&) = delete;
  ScopedValue& operator=(const ScopedValue&) = delete;

 private:
  T& ref_;
  T saved_;
};

// Runs a clean-up when the scope ends, however it ends, unless Release() was
// called: what `catch (...) { cleanup; throw; }` plus the same clean-up after
// the block would say, in one place. The clean-up must not throw.
template <class Fn>
class ScopeExit {
 public:
  explicit ScopeExit(Fn fn) : fn_(std::move(fn)) {}
  ~ScopeExit() {
    if (armed_) fn_();
  }
  // The clean-up is not wanted any more (it only undoes a failure).
  void Release() { armed_ = false; }
  ScopeExit(const ScopeExit&) = delete;
  ScopeExit& operator=(const ScopeExit&) = delete;

 private:
  Fn fn_;
  bool armed_ = true;
};

// BeginUpdate now, EndUpdate when the scope ends: the changes in between are
// reported once. A change handler that raises from the closing EndUpdate
// reaches the caller as on a normal return; while another exception is
// already unwinding, the handler's exception is dropped so that the first one
// wins instead of ending the process.
template <class T>
class UpdateScope {
 public:
  explicit UpdateScope(T& target) : target_(target), unwinding_(std::uncaught_exceptions()) {
    target_.BeginUpdate();
  }
  ~UpdateScope() noexcept(false) {
    if (std::uncaught_exceptions() > unwinding_) {
      try {
        target_.EndUpdate();
      } catch (...) {
      }
    } else {
      target_.EndUpdate();
    }
  }
  UpdateScope(const UpdateScope&) = delete;
  UpdateScope& operator=(const UpdateScope&) = delete;

 private:
  T& target_;
  int unwinding_;
};

}  // namespace rtl
