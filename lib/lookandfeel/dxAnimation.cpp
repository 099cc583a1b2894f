#include "lib/lookandfeel/dxAnimation.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "lib/core/dxCore.h"
#include "platform/rtl/clock.h"
#include "platform/rtl/mathutil.h"
#include "platform/rtl/scoped.h"

namespace lookandfeel {

// --- time base ----------------------------------------------------------------------------
namespace {
constexpr Int64 kTicksPerMs = 1000;
constexpr double kPi = 3.14159265358979323846;
}  // namespace

Int64 dxGetExactTickCount() { return rtl::CurrentClock().MonotonicMs() * kTicksPerMs; }

Int64 dxExactTickFrequency() { return kTicksPerMs * 1000; }

Int64 dxTimeToTickCount(int ATime) { return dxMulDiv64(ATime, dxExactTickFrequency(), 1000); }

Int64 dxMulDiv64(int A, Int64 B, Int64 C) {
  return rtl::Trunc(static_cast<double>(static_cast<Int64>(A) * B) / static_cast<double>(C));
}

// --- easing -------------------------------------------------------------------------------
double TdxEaseHelper::Bounce(double x) {
  // Three bounces, each R times lower than the next.
  constexpr double R = 5;
  constexpr double P = (1 - R * R * R) / (1 - R) + R * R * R / 2;  // 93.5
  const double N = std::floor(std::log(1 + x * P * (R - 1)) / std::log(R));
  const double S = (1 - std::pow(R, N)) / ((1 - R) * P);
  const double T = (1 - std::pow(R, N + 1)) / ((1 - R) * P);
  const double M = (S + T) / 2;
  const double W = M - S;
  const double d = (x - M) / W;
  return std::pow(1 / R, 3 - N) * (1 - d * d);
}

double TdxEaseHelper::Curve(TdxAnimationTransitionEffect AEffect, double x) {
  switch (AEffect) {
    case ateCubic:
      return x * x * x;
    case ateQuadratic:
      return x * x;
    case ateQuartic:
      return x * x * x * x;
    case ateBack:
      return x * x * x - 0.3 * x * std::sin(kPi * x);
    case ateCircle: {
      const double c = std::clamp(x, 0.0, 1.0);
      return 1 - std::sqrt(1 - c * c);
    }
    case ateElastic:
      // Two oscillations, springiness 7.5.
      return std::sin((2 * kPi * 2 + kPi / 2) * x) * (std::exp(7.5 * x) - 1) / (std::exp(7.5) - 1);
    case ateExponential:
      return (std::exp(7 * x) - 1) / (std::exp(7.0) - 1);
    case ateSine:
      return 1 - std::sin((1 - x) * kPi / 2);
    case ateBounce:
      return Bounce(x);
    default:
      return 1 - std::pow(x - 1, 6);
  }
}

double TdxEaseHelper::Ease(TdxAnimationTransitionEffectMode AMode, TdxAnimationTransitionEffect AEffect, double t) {
  switch (AMode) {
    case atmIn:
      return Curve(AEffect, t);
    case atmOut:
      return 1 - Curve(AEffect, 1 - t);
    default:
      if (t < 0.5) return Curve(AEffect, 2 * t) * 0.5;
      return (1 - Curve(AEffect, 2 * (1 - t))) * 0.5 + 0.5;
  }
}

namespace {

double Fraction(Int64 AElapsed, Int64 ADuration) {
  return static_cast<double>(AElapsed) / static_cast<double>(ADuration);
}

int LinearProc(TdxAnimationTransition*, int ALength, Int64 AElapsed, Int64 ADuration) {
  return static_cast<int>(dxMulDiv64(ALength, AElapsed, ADuration));
}

int AccelerateDecelerateProc(TdxAnimationTransition*, int ALength, Int64 AElapsed, Int64 ADuration) {
  const double t = Fraction(AElapsed, ADuration);
  return static_cast<int>(rtl::Round(ALength * (1 - std::pow(t - 1, 6))));
}

int TanhProc(TdxAnimationTransition*, int ALength, Int64 AElapsed, Int64 ADuration) {
  const double t = Fraction(AElapsed, ADuration);
  const double th3 = std::tanh(3.0);
  return static_cast<int>(rtl::Trunc(ALength * (std::tanh(6 * t - 3) + th3) / (2 * th3) + 0.5));
}

int EasedProc(TdxAnimationTransition* Sender, int ALength, Int64 AElapsed, Int64 ADuration) {
  const double t = Fraction(AElapsed, ADuration);
  return static_cast<int>(
      rtl::Round(ALength * TdxEaseHelper::Ease(Sender->TransitionEffectMode(), Sender->TransitionEffect(), t)));
}

}  // namespace

// --- transition ---------------------------------------------------------------------------
TdxAnimationTransition::TdxAnimationTransition(int ATime, TdxAnimationTransitionEffect ATransitionEffect,
                                               int ALength, TdxAnimationTransitionEffectMode ATransitionEffectMode)
    : FLength(ALength),
      FTime(ATime),
      FTransitionEffect(ATransitionEffect),
      FTransitionEffectMode(ATransitionEffectMode) {
  InitializeTransitionEffectProc();
  dxAnimationController()->Add(this);
}

TdxAnimationTransition::~TdxAnimationTransition() {
  if (TdxAnimationController* controller = dxAnimationControllerIfExists()) {
    if (FCounted) controller->Suspend(this);
    FCounted = false;
    controller->Remove(this);
  }
  delete FInfo;
}

void TdxAnimationTransition::SetInfo(TObject* Value) {
  if (Value == FInfo) return;
  delete FInfo;
  FInfo = Value;
}

void TdxAnimationTransition::InitializeTransitionEffectProc() {
  switch (FTransitionEffect) {
    case ateLinear:
    case ateCustom:
      FTransitionEffectProc = &LinearProc;
      break;
    case ateAccelerateDecelerate:
      FTransitionEffectProc = &AccelerateDecelerateProc;
      break;
    case ateTanh:
      FTransitionEffectProc = &TanhProc;
      break;
    default:
      FTransitionEffectProc = &EasedProc;
  }
}

bool TdxAnimationTransition::IsCompatible(TdxAnimationTransition*) { return true; }

void TdxAnimationTransition::UpdateActive() {
  const bool active = FLockCount <= 0 && !FFinished;
  if (active && !FCounted) {
    FCounted = true;
    dxAnimationController()->Resume(this);
  } else if (FCounted && FFinished) {
    // A finished transition no longer holds the timer; a mere suspension
    // keeps it counted until it resumes or ends.
    FCounted = false;
    if (TdxAnimationController* controller = dxAnimationControllerIfExists()) controller->Suspend(this);
  }
}

void TdxAnimationTransition::InitializeTime() {
  const Int64 now = dxGetExactTickCount();
  if (FCurrent == 0) {
    FStart = now;
  } else {
    // A restart after a suspension keeps the time already run.
    FStart = now - (FCurrent - FStart);
    FCurrent = now;
  }
  FFinish = FStart + dxTimeToTickCount(FTime);
}

void TdxAnimationTransition::Resume() {
  --FLockCount;
  if (FLockCount == 0) {
    InitializeTime();
    UpdateActive();
  }
}

void TdxAnimationTransition::Suspend(bool AFinished) {
  const bool wasRunning = FLockCount == 0;
  ++FLockCount;
  if (wasRunning && AFinished) Terminate();
}

void TdxAnimationTransition::Terminate() {
  SetFinished(true);
  if (FFreeOnTerminate) Free();
}

void TdxAnimationTransition::SetFinished(bool Value) {
  if (Value == FFinished) return;
  FCurrent = FFinish;
  FFinished = Value;
  if (!Value) {
    FCurrent = 0;
    FTerminateRaised = false;
    InitializeTime();
  }
  UpdateActive();
  Animate();
}

void TdxAnimationTransition::Animate() {
  FCurrent = std::min(dxGetExactTickCount(), FFinish);
  FFinished = FFinished || FCurrent >= FFinish;
  int position;
  if (FFinished) {
    FCurrent = FFinish;
    position = FLength;
  } else {
    position = FTransitionEffectProc(this, FLength, FCurrent - FStart, FFinish - FStart);
  }
  UpdateActive();
  if (position == FPosition && FPosition != 0 && !FFinished) return;
  FPositionChanged = true;
  FPosition = position;
  DoBeforeAnimate();
  DoAnimate();
  DoAfterAnimate();
}

void TdxAnimationTransition::DoBeforeAnimate() {
  if (!OnBeforeAnimate) return;
  bool finished = FFinished;
  OnBeforeAnimate(this, FPosition, finished);
  SetFinished(finished);
}

void TdxAnimationTransition::DoAnimate() {
  if (!OnAnimate) return;
  bool finished = FFinished;
  OnAnimate(this, FPosition, finished);
  SetFinished(finished);
}

void TdxAnimationTransition::DoAfterAnimate() {
  if (OnAfterAnimate) {
    bool finished = FFinished;
    OnAfterAnimate(this, FPosition, finished);
    FFinished = finished;
    UpdateActive();
  }
  if (FFinished && !FTerminateRaised) {
    FTerminateRaised = true;
    if (OnTerminate) OnTerminate(this);
  }
}

void TdxAnimationTransition::TryAnimate() {
  if (Suspended()) return;
  if (FFinished || dxGetExactTickCount() >= FFinish)
    SetFinished(true);
  else
    Animate();
  if (FFinished && FFreeOnTerminate) Free();
}

void TdxAnimationTransition::ImmediateAnimation() {
  InitializeTime();
  while (!FFinished) Animate();
  if (FFreeOnTerminate) Free();
}

// --- controller ---------------------------------------------------------------------------
namespace {
std::unique_ptr<TdxAnimationController>& controllerInstance() {
  static std::unique_ptr<TdxAnimationController> instance;
  return instance;
}
}  // namespace

TdxAnimationController::TdxAnimationController() {
  FTimer = rtl::Create<core::TcxTimer>(nullptr);
  FTimer->SetEnabled(false);
  FTimer->SetInterval(1);
  FTimer->SetOnTimer(TNotifyEvent::bind<&TdxAnimationController::TimerHandler>(this));
}

TdxAnimationController::~TdxAnimationController() {
  rtl::FreeAndNil(FTimer);
  FListenerList.clear();
  // The owning list frees the transitions; the global is already cleared,
  // so they do not come back to Remove themselves.
}

TdxAnimationTransition* TdxAnimationController::Animations(int Index) const {
  return static_cast<TdxAnimationTransition*>(FAnimations.Items(Index));
}

void TdxAnimationController::Add(TdxAnimationTransition* ATransition) {
  for (int i = FAnimations.Count() - 1; i >= 0; --i) {
    if (i >= FAnimations.Count()) continue;
    TdxAnimationTransition* listed = Animations(i);
    if (!listed->IsCompatible(ATransition)) listed->SetFinished(true);
  }
  FAnimations.Add(ATransition);
}

void TdxAnimationController::Remove(TdxAnimationTransition* ATransition) {
  for (size_t i = 0; i < FListenerList.size(); ++i) FListenerList[i]->DestroyAnimation(ATransition);
  // Searched from the end: the timer step walks the list backwards, so the
  // transition that frees itself is mostly the last one left.
  for (int i = FAnimations.Count() - 1; i >= 0; --i) {
    if (FAnimations.Items(i) == ATransition) {
      FAnimations.Delete(i);
      return;
    }
  }
}

void TdxAnimationController::Resume(TdxAnimationTransition*) {
  ++FActiveAnimations;
  FTimer->SetEnabled(FActiveAnimations > 0);
}

void TdxAnimationController::Suspend(TdxAnimationTransition*) {
  FActiveAnimations = std::max(FActiveAnimations - 1, 0);
  FTimer->SetEnabled(FActiveAnimations > 0);
}

void TdxAnimationController::AddListener(IdxAnimationListener* AListener) {
  if (std::find(FListenerList.begin(), FListenerList.end(), AListener) == FListenerList.end())
    FListenerList.push_back(AListener);
}

void TdxAnimationController::RemoveListener(IdxAnimationListener* AListener) {
  FListenerList.erase(std::remove(FListenerList.begin(), FListenerList.end(), AListener), FListenerList.end());
}

void TdxAnimationController::TimerHandler(TObject*) {
  for (size_t i = 0; i < FListenerList.size(); ++i) FListenerList[i]->BeforeAnimation(this);
  {
    // Listeners hear the end of the step also when a transition raised.
    rtl::ScopeExit after([this] {
      for (size_t i = 0; i < FListenerList.size(); ++i) FListenerList[i]->AfterAnimation(this);
    });
    // A step may free transitions (itself or others) and so shorten the list.
    for (int i = FAnimations.Count() - 1; i >= 0; --i) {
      if (i >= FAnimations.Count()) continue;
      Animations(i)->TryAnimate();
    }
  }
  for (int i = 0; i < FAnimations.Count(); ++i) Animations(i)->FPositionChanged = false;
}

TdxAnimationController* dxAnimationController() {
  auto& instance = controllerInstance();
  if (!instance) {
    instance = std::make_unique<TdxAnimationController>();
    core::dxUnitsLoader()->AddUnit(nullptr, &dxAnimationUnitStop);
  }
  return instance.get();
}

TdxAnimationController* dxAnimationControllerIfExists() { return controllerInstance().get(); }

void dxAnimationUnitStop() {
  // Cleared before the controller dies, so that the transitions it frees do
  // not look for it.
  std::unique_ptr<TdxAnimationController> controller = std::move(controllerInstance());
}

}  // namespace lookandfeel
