#pragma once
// Touch gestures for the library's controls: zoom, pan, rotate, two-finger
// tap and press-and-tap. The system's gesture functions come through a
// provider (none by default: touch input is not available, every gesture
// function reports failure). Each control that supports gestures owns one
// TdxGestureHelper, which talks back to it through IdxGestureOwner and to
// whatever handles the gesture through IdxGestureClient.
#include <cstdint>
#include <vector>

#include "lib/core/cxGeometry.h"
#include "platform/rtl/object.h"
#include "platform/rtl/set.h"
#include "platform/ui/controls.h"
#include "platform/ui/shortcuts.h"
#include "platform/win/types.h"

namespace core {

// The direction of a scroll (the platform's scroll bar kinds).
enum class TScrollBarKind { sbHorizontal, sbVertical };

// --- the system's gesture records -------------------------------------------------------------
inline constexpr win::DWORD GID_BEGIN = 1;
inline constexpr win::DWORD GID_END = 2;
inline constexpr win::DWORD GID_ZOOM = 3;
inline constexpr win::DWORD GID_PAN = 4;
inline constexpr win::DWORD GID_ROTATE = 5;
inline constexpr win::DWORD GID_TWOFINGERTAP = 6;
inline constexpr win::DWORD GID_PRESSANDTAP = 7;
inline constexpr win::DWORD GF_BEGIN = 1;
inline constexpr win::DWORD GF_INERTIA = 2;
inline constexpr win::DWORD GF_END = 4;

struct HGESTUREINFO__ {};
using HGESTUREINFO = HGESTUREINFO__*;

struct TdxPoints {
  std::int16_t x = 0, y = 0;
};

struct TdxGestureInfo {
  win::UINT cbSize = sizeof(TdxGestureInfo);
  win::DWORD dwFlags = 0;
  win::DWORD dwID = 0;
  win::HWND hwndTarget = nullptr;
  TdxPoints ptsLocation;
  win::DWORD dwInstanceID = 0;
  win::DWORD dwSequenceID = 0;
  std::uint64_t ullArguments = 0;
  win::UINT cbExtraArgs = 0;
};

struct TdxGestureNotifyStruct {
  win::UINT cbSize = sizeof(TdxGestureNotifyStruct);
  win::DWORD dwFlags = 0;
  win::HWND hwndTarget = nullptr;
  TdxPoints ptsLocation;
  win::DWORD dwInstanceID = 0;
};

// The system's gesture configuration record (12 bytes).
struct TdxGestureConfig {
  win::DWORD dwID = 0;
  win::DWORD dwWant = 0;
  win::DWORD dwBlock = 0;
};
static_assert(sizeof(TdxGestureConfig) == 12);
using TdxGestureConfigs = std::vector<TdxGestureConfig>;

// The system's gesture functions. Each Has... false stands for an entry
// point the system lacks.
class IdxGestureProvider {
 public:
  virtual ~IdxGestureProvider() = default;
  virtual bool HasGestureInfo() { return false; }
  virtual win::BOOL GetGestureInfo(HGESTUREINFO, TdxGestureInfo*) { return 0; }
  virtual win::BOOL CloseGestureInfoHandle(HGESTUREINFO) { return 0; }
  virtual bool HasSetGestureConfig() { return false; }
  virtual win::BOOL SetGestureConfig(win::HWND, win::DWORD /*reserved*/, win::UINT /*count*/,
                                     const TdxGestureConfig*, win::UINT /*size*/) {
    return 0;
  }
  virtual bool HasPhysicalToLogicalPoint() { return false; }
  virtual win::BOOL PhysicalToLogicalPoint(win::HWND, win::POINT*) { return 0; }
  virtual bool HasIsProcessDPIAware() { return false; }
  virtual win::BOOL IsProcessDPIAware() { return 0; }
};

IdxGestureProvider* dxGestureProvider();
void dxSetGestureProvider(IdxGestureProvider* provider);

// --- the platform's interactive gestures ------------------------------------------------------
enum class TInteractiveGesture { igZoom, igPan, igRotate, igTwoFingerTap, igPressAndTap };
using TInteractiveGestures = rtl::Set<TInteractiveGesture, 5>;
enum class TInteractiveGestureOption {
  igoPanSingleFingerHorizontal, igoPanSingleFingerVertical, igoPanInertia, igoPanGutter, igoParentPassthrough
};
using TInteractiveGestureOptions = rtl::Set<TInteractiveGestureOption, 5>;

// Gesture identifiers of the platform's event information: the system's + 256.
inline constexpr int igiFirst = 256;
inline constexpr int igiZoom = igiFirst + int(GID_ZOOM);
inline constexpr int igiPan = igiFirst + int(GID_PAN);
inline constexpr int igiRotate = igiFirst + int(GID_ROTATE);
inline constexpr int igiTwoFingerTap = igiFirst + int(GID_TWOFINGERTAP);
inline constexpr int igiPressAndTap = igiFirst + int(GID_PRESSANDTAP);

enum class TInteractiveGestureFlag { gfBegin, gfInertia, gfEnd };
using TInteractiveGestureFlags = rtl::Set<TInteractiveGestureFlag, 3>;

struct TGestureEventInfo {
  int GestureID = 0;
  TPoint Location{};
  TInteractiveGestureFlags Flags;
  int Distance = 0;
  TPoint InertiaVector{};
  double Angle = 0;
  TPoint TapLocation{};
};

// The message a control gets for a gesture: LParam points to a
// TGestureEventInfo; the control answers 1 when it handled it.
inline constexpr win::UINT CM_GESTURE = ui::CM_BASE + 83;

// What a control allows: the gestures it takes itself and whether the ones
// it does not take pass on to its parent. Kept beside the control.
struct TdxTouchManager {
  TInteractiveGestures InteractiveGestures;
  TInteractiveGestureOptions InteractiveGestureOptions;
};
TdxTouchManager& dxTouchManager(ui::TControl* control);

// --- tables ---------------------------------------------------------------------------------
inline constexpr int dxSupportedGestureIDs[] = {4, 3, 5, 6, 7};
inline constexpr int APanOptionIDs[] = {2, 4, 8, 16};
TInteractiveGesture GetInteractiveGestureByGestureID(int gestureId);
TInteractiveGestureOption GetInteractiveGestureOptionByPanOptionID(int panOptionId);
TInteractiveGestureOptions GetInteractiveGestureOptionsByPanOptions(int panOptions);
int GetPanOptionsByInteractiveGestureOptions(TInteractiveGestureOptions options);
int dxTouchInteractiveGestureOptionToPanOption(TInteractiveGestureOption option);

// --- routines -------------------------------------------------------------------------------
bool dxIsTouchEvent(ui::TShiftState shift);
bool dxSetGestureConfig(win::HWND wnd, const TdxGestureConfigs& configs);
// Blocks every gesture for the window; the message result is 1 whatever the answer.
bool dxLockGestures(win::HWND wnd, ui::TMessage& message);
bool dxPhysicalToLogicalPoint(win::HWND wnd, TPoint& point);
bool dxIsProcessDPIAware();
// "AppliedDPI" of the desktop's window metrics when present, otherwise the
// screen's pixels per inch; read once (dxResetDesktopCurrentDPI forgets it).
int GetDesktopCurrentDPI();
void dxResetDesktopCurrentDPI();
// Where the current gesture began (screen, physical pixels).
TPoint dxGestureStartPoint();

// --- the interfaces of controls and gesture clients ---------------------------------------------
class IdxGestureClient {
 public:
  virtual bool AllowGesture(int gestureId) = 0;
  virtual bool AllowPan(TScrollBarKind scrollKind) = 0;
  virtual void BeginGestureScroll(const TPoint& pos) = 0;
  virtual void EndGestureScroll() = 0;
  virtual void GestureScroll(int deltaX, int deltaY) = 0;
  virtual int GetPanOptions() = 0;
  virtual bool IsPanArea(const TPoint& point) = 0;
  virtual bool NeedPanningFeedback(TScrollBarKind scrollKind) = 0;

 protected:
  ~IdxGestureClient() = default;
};

class IdxZoomClient {
 public:
  virtual void Zoom(int delta, bool& handled) = 0;

 protected:
  ~IdxZoomClient() = default;
};

class IdxRotateClient {
 public:
  virtual void Rotate(double angle, bool& handled) = 0;

 protected:
  ~IdxRotateClient() = default;
};

class IdxGestureOwner {
 public:
  // The object that handles a gesture at a client point (null: none).
  virtual IdxGestureClient* GetGestureClient(const TPoint& point) = 0;
  virtual win::HWND GetHandle() = 0;
  virtual bool IsGestureTarget(win::HWND wnd) = 0;
  virtual TPoint ScreenToClient(const TPoint& point) = 0;

 protected:
  ~IdxGestureOwner() = default;
};

class TdxGestureHelper : public rtl::TObject {
  RTL_CLASS(TdxGestureHelper, rtl::TObject)

 public:
  explicit TdxGestureHelper(IdxGestureOwner* gestureOwner);
  ~TdxGestureHelper() override;

  // True when the message was handled here.
  bool HandleMessage(ui::TMessage& message);
  void CheckGestureOptions(TInteractiveGestures& gestures, TInteractiveGestureOptions& options);
  void DoGesture(const TGestureEventInfo& eventInfo, bool& handled);
  bool CheckOverpan(TScrollBarKind scrollKind, int newDataPos, int minDataPos, int maxDataPos, int deltaX,
                    int deltaY);

  virtual bool AllowGesture(int gestureId);
  virtual bool AllowPan(TScrollBarKind scrollKind);
  virtual win::HWND GetHandle();
  virtual int GetPanOptions();
  virtual bool IsGestureTarget(win::HWND wnd);
  virtual bool IsPanArea(const TPoint& point);
  virtual bool NeedPanningFeedback(TScrollBarKind scrollKind);
  virtual TPoint ScreenToClient(const TPoint& point);

  bool IsPanning() const { return FIsPanning; }
  bool IsInertia() const { return FIsInertia; }
  TPoint OverPan() const { return FOverPan; }
  ui::TControl* NotifyTouchControl() const { return FNotifyTouchControl; }
  ui::TControl* TouchControl() const { return FTouchControl; }
  IdxGestureClient* GestureNotifyClient() const { return FGestureNotifyClient; }
  // The hook that notes where a touch begins drops this helper's control.
  void ForgetNotifyTouchControl() { FNotifyTouchControl = nullptr; }

 protected:
  void Gesture(ui::TMessage& message);
  void GestureNotify(ui::TMessage& message);
  TPoint GetTouchStartPoint();
  void Pan(const TPoint& pos, bool isBegin, bool isInertia, bool isEnd);
  void Zoom(int distance, bool isBegin, bool isEnd, bool& handled);
  void Rotate(bool isBegin, bool isEnd, double angle, bool& handled);

 private:
  void BeginGestureScroll(const TPoint& pos);
  void EndGestureScroll();
  bool WantsFeedback();
  bool DoOverpan(TScrollBarKind scrollKind, int delta);
  void UndoOverpan(TScrollBarKind scrollKind, int& delta);

  bool FIsInertia = false;
  IdxGestureClient* FGestureClient = nullptr;
  IdxGestureClient* FGestureNotifyClient = nullptr;
  IdxGestureOwner* FGestureOwner;
  bool FIsPanning = false;
  int FLastDistance = 0;
  TPoint FPanPoint{};
  TPoint FOverPan{};
  ui::TControl* FNotifyTouchControl = nullptr;
  ui::TControl* FTouchControl = nullptr;
};

// The live helpers (not owned).
const std::vector<TdxGestureHelper*>& dxTouchHelpers();

}  // namespace core
