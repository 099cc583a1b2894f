#pragma once
// Scope guards for the controller's brackets: the closing call runs however
// the scope is left. A close that raises after a clean scope propagates; one
// that raises while an exception is already unwinding is dropped, so the
// first failure is the one the caller sees.
#include <exception>

namespace data {

template <class T, void (T::*Begin)(), void (T::*End)()>
class BracketScope {
 public:
  explicit BracketScope(T& target) : target_(target), unwinding_(std::uncaught_exceptions()) {
    (target_.*Begin)();
  }
  ~BracketScope() noexcept(false) {
    if (std::uncaught_exceptions() > unwinding_) {
      try {
        (target_.*End)();
      } catch (...) {
      }
    } else {
      (target_.*End)();
    }
  }
  BracketScope(const BracketScope&) = delete;
  BracketScope& operator=(const BracketScope&) = delete;

 private:
  T& target_;
  int unwinding_;
};

}  // namespace data
