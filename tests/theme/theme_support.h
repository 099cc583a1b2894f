#pragma once
// Small helpers shared by the engine's tests: a handle closed at scope end.
#include "platform/theme/theme.h"

namespace themetest {

class ScopedTheme {
 public:
  explicit ScopedTheme(const char16_t* classList) : h_(theme::OpenThemeData(nullptr, classList)) {}
  ~ScopedTheme() {
    if (h_) theme::CloseThemeData(h_);
  }
  ScopedTheme(const ScopedTheme&) = delete;
  ScopedTheme& operator=(const ScopedTheme&) = delete;
  theme::HTHEME get() const { return h_; }
  explicit operator bool() const { return h_ != nullptr; }

 private:
  theme::HTHEME h_;
};

}  // namespace themetest
