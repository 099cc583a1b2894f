#pragma once
// Timed transitions of one integer from 0 to a length, with easing curves,
// advanced by one process-wide controller on a shared 1 ms timer.
#include <vector>

#include "lib/core/cxClasses.h"
#include "platform/rtl/object.h"
#include "platform/rtl/types.h"

namespace lookandfeel {

using rtl::Int64;
using rtl::TNotifyEvent;
using rtl::TObject;

// --- time base ----------------------------------------------------------------------------
// The counter follows the program's one clock (so a test clock drives every
// transition) in microsecond ticks.
Int64 dxGetExactTickCount();
// Counter ticks per second.
Int64 dxExactTickFrequency();
// ATime milliseconds in counter ticks.
Int64 dxTimeToTickCount(int ATime);
// A (a signed 32-bit value) times B, divided by C in floating point and
// truncated toward zero.
Int64 dxMulDiv64(int A, Int64 B, Int64 C);

// --- easing -------------------------------------------------------------------------------
enum TdxAnimationTransitionEffect {
  ateLinear,
  ateAccelerateDecelerate,
  ateCubic,
  ateTanh,
  ateBack,
  ateBounce,
  ateCircle,
  ateElastic,
  ateExponential,
  ateSine,
  ateQuadratic,
  ateQuartic,
  ateCustom
};
constexpr int kAnimationTransitionEffectCount = 13;

enum TdxAnimationTransitionEffectMode { atmIn, atmOut, atmInOut };

class TdxEaseHelper {
 public:
  // F(x) of an eased effect; effects without a curve of their own use
  // 1 - (x - 1)^6.
  static double Curve(TdxAnimationTransitionEffect AEffect, double x);
  // F applied in the mode: In F(t); Out 1 - F(1 - t); InOut the two halves.
  static double Ease(TdxAnimationTransitionEffectMode AMode, TdxAnimationTransitionEffect AEffect, double t);
  static double Bounce(double x);
};

class TdxAnimationTransition;
class TdxAnimationController;

// Position from the length, the elapsed ticks and the duration in ticks.
using TdxAnimationTransitionEffectProc = int (*)(TdxAnimationTransition* Sender, int ALength, Int64 AElapsed,
                                                 Int64 ADuration);
using TdxAnimationEvent = rtl::Method<void(TdxAnimationTransition* Sender, int& APosition, bool& AFinished)>;

// --- transition ---------------------------------------------------------------------------
class TdxAnimationTransition : public TObject {
  RTL_CLASS(TdxAnimationTransition, TObject)

 public:
  // Created suspended and listed with the controller; Resume starts it.
  TdxAnimationTransition(int ATime, TdxAnimationTransitionEffect ATransitionEffect, int ALength = 0,
                         TdxAnimationTransitionEffectMode ATransitionEffectMode = atmIn);
  ~TdxAnimationTransition() override;

  void Resume();
  void Suspend(bool AFinished = false);
  // Ends the transition; frees it when FreeOnTerminate.
  void Terminate();
  // Runs to the end on the calling thread; frees it when FreeOnTerminate.
  void ImmediateAnimation();

  bool Finished() const { return FFinished; }
  void SetFinished(bool Value);
  bool Suspended() const { return FLockCount > 0; }
  bool FreeOnTerminate() const { return FFreeOnTerminate; }
  void SetFreeOnTerminate(bool Value) { FFreeOnTerminate = Value; }
  TObject* Info() const { return FInfo; }
  // Takes ownership.
  void SetInfo(TObject* Value);
  int Length() const { return FLength; }
  int Position() const { return FPosition; }
  bool PositionChanged() const { return FPositionChanged; }
  int Time() const { return FTime; }
  TdxAnimationTransitionEffect TransitionEffect() const { return FTransitionEffect; }
  TdxAnimationTransitionEffectMode TransitionEffectMode() const { return FTransitionEffectMode; }
  TdxAnimationTransitionEffectProc TransitionEffectProc() const { return FTransitionEffectProc; }

  TdxAnimationEvent OnAfterAnimate;
  TdxAnimationEvent OnAnimate;
  TdxAnimationEvent OnBeforeAnimate;
  TNotifyEvent OnTerminate;

 protected:
  virtual void InitializeTransitionEffectProc();
  // Whether this listed transition may go on running beside AAnimation.
  virtual bool IsCompatible(TdxAnimationTransition* AAnimation);
  virtual void DoAfterAnimate();
  virtual void DoAnimate();
  virtual void DoBeforeAnimate();
  virtual void RefreshAnimatedObject() {}

  TdxAnimationTransitionEffectProc FTransitionEffectProc = nullptr;

 private:
  friend class TdxAnimationController;
  void Animate();
  void InitializeTime();
  void TryAnimate();
  // Keeps the controller's active count equal to the started, unfinished
  // transitions, so its timer stops once nothing is left to move.
  void UpdateActive();

  Int64 FCurrent = 0;
  Int64 FFinish = 0;
  Int64 FStart = 0;
  bool FFinished = false;
  bool FFreeOnTerminate = true;
  TObject* FInfo = nullptr;
  int FLength;
  int FLockCount = 1;
  int FPosition = 0;
  bool FPositionChanged = false;
  int FTime;
  TdxAnimationTransitionEffect FTransitionEffect;
  TdxAnimationTransitionEffectMode FTransitionEffectMode;
  bool FCounted = false;         // counted in the controller's active count
  bool FTerminateRaised = false;  // the terminate event is raised once per finish
};

// --- controller ---------------------------------------------------------------------------
class IdxAnimationListener {
 public:
  virtual void AfterAnimation(TdxAnimationController* AController) = 0;
  virtual void BeforeAnimation(TdxAnimationController* AController) = 0;
  virtual void DestroyAnimation(TdxAnimationTransition* ATransition) = 0;

 protected:
  ~IdxAnimationListener() = default;
};

class TdxAnimationController : public TObject {
  RTL_CLASS(TdxAnimationController, TObject)

 public:
  TdxAnimationController();
  // Frees the transitions still listed; listeners are not told.
  ~TdxAnimationController() override;

  void Add(TdxAnimationTransition* ATransition);
  void Remove(TdxAnimationTransition* ATransition);
  void Resume(TdxAnimationTransition* ATransition);
  void Suspend(TdxAnimationTransition* ATransition);

  void AddListener(IdxAnimationListener* AListener);
  void RemoveListener(IdxAnimationListener* AListener);

  int Count() const { return FAnimations.Count(); }
  TdxAnimationTransition* Animations(int Index) const;
  int ActiveAnimations() const { return FActiveAnimations; }
  core::TcxTimer* Timer() const { return FTimer; }

  virtual void TimerHandler(TObject* Sender);

 private:
  core::TcxObjectList FAnimations{true};
  int FActiveAnimations = 0;
  std::vector<IdxAnimationListener*> FListenerList;
  core::TcxTimer* FTimer = nullptr;
};

// The one controller, created on first use.
TdxAnimationController* dxAnimationController();
// The controller when it exists, else nullptr (never creates it).
TdxAnimationController* dxAnimationControllerIfExists();
// The unit's stop: frees the controller and every transition it lists.
void dxAnimationUnitStop();

}  // namespace lookandfeel
