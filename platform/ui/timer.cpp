#include "platform/ui/timer.h"

#include "platform/rtl/mainloop.h"

namespace ui {

TTimer::TTimer(rtl::TComponent* owner) : TComponent(owner), alive_(std::make_shared<bool>(true)) {}

TTimer::~TTimer() {
  *alive_ = false;
  if (timerId_) rtl::KillTimer(timerId_);
}

void TTimer::updateTimer() {
  if (timerId_) {
    rtl::KillTimer(timerId_);
    timerId_ = 0;
  }
  if (interval_ == 0 || !enabled_ || !onTimer_) return;
  std::shared_ptr<bool> alive = alive_;
  timerId_ = rtl::SetTimer(interval_, [this, alive] {
    if (*alive) Timer();
  });
}

void TTimer::SetEnabled(bool value) {
  if (value == enabled_) return;
  enabled_ = value;
  updateTimer();
}

void TTimer::SetInterval(rtl::Cardinal value) {
  if (value == interval_) return;
  interval_ = value;
  updateTimer();
}

void TTimer::SetOnTimer(const rtl::TNotifyEvent& value) {
  if (value == onTimer_) return;
  onTimer_ = value;
  updateTimer();
}

void TTimer::Timer() {
  if (!onTimer_) return;
  // A copy: the handler may free this timer (and its event with it).
  const rtl::TNotifyEvent handler = onTimer_;
  try {
    handler(this);
  } catch (...) {
    if (!rtl::ApplicationHandleException) throw;
    rtl::ApplicationHandleException(nullptr);
  }
}

}  // namespace ui
