#pragma once
// TTimer: OnTimer every Interval milliseconds of the program's one clock,
// on the main thread, through the run-time's main-loop timers.
#include <cstdint>
#include <memory>

#include "platform/rtl/classes.h"

namespace ui {

class TTimer : public rtl::TComponent {
  RTL_CLASS(TTimer, rtl::TComponent)

 public:
  explicit TTimer(rtl::TComponent* owner);
  ~TTimer() override;

  // Runs only while enabled, with a non-zero interval and a handler.
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool value);
  rtl::Cardinal Interval() const { return interval_; }
  void SetInterval(rtl::Cardinal value);
  const rtl::TNotifyEvent& OnTimer() const { return onTimer_; }
  void SetOnTimer(const rtl::TNotifyEvent& value);

 protected:
  // Calls OnTimer. An exception from it goes to the application's handler
  // (rtl::ApplicationHandleException) when one is set, so the loop goes on.
  virtual void Timer();

 private:
  void updateTimer();

  bool enabled_ = true;
  rtl::Cardinal interval_ = 1000;
  rtl::TNotifyEvent onTimer_;
  std::uintptr_t timerId_ = 0;
  // Cleared by the destructor, so a tick running the handler that frees
  // this timer does not touch it afterwards.
  std::shared_ptr<bool> alive_;
};

}  // namespace ui
