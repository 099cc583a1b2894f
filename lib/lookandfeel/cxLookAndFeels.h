#pragma once
// The look-and-feel: the three appearance settings of a control (Kind,
// NativeStyle, SkinName), each assigned locally or inherited from a master
// and finally from the one root, the painter they pick, and the change
// passes that carry a new setting down the tree to every listener. Also the
// controller component that edits the root, and the notifiers that hear of
// system colour changes through one shared hidden window.
#include <memory>

#include "lib/core/dxCoreClasses.h"
#include "lib/core/cxClasses.h"
#include "lib/core/dxThemeManager.h"
#include "lib/lookandfeel/cxLookAndFeelPainters.h"
#include "platform/rtl/classes.h"
#include "platform/rtl/object.h"
#include "platform/rtl/set.h"

namespace lookandfeel {

enum class TcxLookAndFeelKind { lfFlat, lfStandard, lfUltraFlat, lfOffice11 };
enum class TcxLookAndFeelValue { lfvKind, lfvNativeStyle, lfvSkinName };
using TcxLookAndFeelValues = rtl::Set<TcxLookAndFeelValue, 3>;
inline const TcxLookAndFeelValues LookAndFeelValueAll{TcxLookAndFeelValue::lfvKind,
                                                      TcxLookAndFeelValue::lfvNativeStyle,
                                                      TcxLookAndFeelValue::lfvSkinName};
using TdxSkinName = String;

struct TcxLookAndFeelData {
  TcxLookAndFeelKind Kind = TcxLookAndFeelKind::lfUltraFlat;
  bool NativeStyle = true;
  TdxSkinName SkinName;
  bool UseSkins = false;
};

// Kind to painter style, and back.
inline constexpr TcxLookAndFeelStyle cxLookAndFeelStyleMap[] = {
    TcxLookAndFeelStyle::lfsFlat, TcxLookAndFeelStyle::lfsStandard, TcxLookAndFeelStyle::lfsUltraFlat,
    TcxLookAndFeelStyle::lfsOffice11};
inline constexpr TcxLookAndFeelKind cxLookAndFeelKindMap[] = {
    TcxLookAndFeelKind::lfFlat,     TcxLookAndFeelKind::lfStandard, TcxLookAndFeelKind::lfUltraFlat,
    TcxLookAndFeelKind::lfStandard, TcxLookAndFeelKind::lfOffice11, TcxLookAndFeelKind::lfUltraFlat};
constexpr TcxLookAndFeelStyle cxLookAndFeelStyleOf(TcxLookAndFeelKind AKind) {
  return cxLookAndFeelStyleMap[static_cast<int>(AKind)];
}
constexpr TcxLookAndFeelKind cxLookAndFeelKindOf(TcxLookAndFeelStyle AStyle) {
  return cxLookAndFeelKindMap[static_cast<int>(AStyle)];
}

inline constexpr TcxLookAndFeelKind cxDefaultLookAndFeelKind = TcxLookAndFeelKind::lfUltraFlat;
inline constexpr bool cxDefaultLookAndFeelNativeStyle = true;
inline constexpr const char16_t* cxDefaultLookAndFeelSkinName = u"";
inline constexpr bool cxDefaultUseSkins = true;
inline constexpr bool cxDefaultIsTouchModeEnabled = false;

// Whether skin painters may be chosen at all (touch mode is
// cxIsTouchModeEnabled, beside the touch routines of the painter header).
extern bool cxUseSkins;

class TcxLookAndFeel;
void cxLookAndFeelsUnitStart();
using TcxLookAndFeelChangedEvent = rtl::Method<void(TcxLookAndFeel* Sender, TcxLookAndFeelValues AChangedValues)>;
using TcxSystemPaletteChangedEvent = rtl::Method<void()>;

// --- interfaces --------------------------------------------------------------------------------
// What every object in a look-and-feel's listener list implements.
class IcxLookAndFeelNotificationListener {
 public:
  virtual rtl::TObject* GetObject() = 0;
  virtual void MasterLookAndFeelChanged(TcxLookAndFeel* Sender, TcxLookAndFeelValues AChangedValues) = 0;
  virtual void MasterLookAndFeelDestroying(TcxLookAndFeel* Sender) = 0;

 protected:
  ~IcxLookAndFeelNotificationListener() = default;
};

// Optional: brackets each change so that a listener can hold its layout.
class IcxLookAndFeelNotificationListener2 {
 public:
  virtual void MasterLookAndFeelBeginChange() = 0;
  virtual void MasterLookAndFeelEndChange() = 0;

 protected:
  ~IcxLookAndFeelNotificationListener2() = default;
};

class IcxLookAndFeelContainer {
 public:
  virtual TcxLookAndFeel* GetLookAndFeel() = 0;

 protected:
  ~IcxLookAndFeelContainer() = default;
};

// A marker of classes that support skins.
class IdxSkinSupport {
 protected:
  virtual ~IdxSkinSupport() = default;
};

// Says whether this instance supports skins.
class IdxSkinSupport2 : public IdxSkinSupport {
 public:
  virtual bool IsSkinnable() = 0;
};

class IdxTouchModeSupport {
 public:
  virtual void Disable() = 0;
  virtual void Enable() = 0;

 protected:
  ~IdxTouchModeSupport() = default;
};

// --- system colour changes ---------------------------------------------------------------------
// Hears WM_SYSCOLORCHANGE through the one shared hidden window. Primary
// notifiers (the painter module's) are told before all others.
class TcxSystemPaletteChangedNotifier : public rtl::TObject {
  RTL_CLASS(TcxSystemPaletteChangedNotifier, rtl::TObject)

 public:
  explicit TcxSystemPaletteChangedNotifier(bool AIsPrimary = false);
  ~TcxSystemPaletteChangedNotifier() override;

  virtual void DoChanged();
  bool IsPrimary() const { return FIsPrimary; }
  const TcxSystemPaletteChangedEvent& OnSystemPaletteChanged() const { return FOnSystemPaletteChanged; }
  void SetOnSystemPaletteChanged(const TcxSystemPaletteChangedEvent& AValue) { FOnSystemPaletteChanged = AValue; }

 private:
  bool FIsPrimary;
  TcxSystemPaletteChangedEvent FOnSystemPaletteChanged;
};

// --- the look-and-feel ---------------------------------------------------------------------------
class TcxLookAndFeel : public core::TcxInterfacedPersistent,
                       public IcxLookAndFeelNotificationListener,
                       public IcxLookAndFeelNotificationListener2 {
  RTL_CLASS(TcxLookAndFeel, core::TcxInterfacedPersistent)

 public:
  // Joins the root's listeners and resolves from the root when there is one.
  explicit TcxLookAndFeel(rtl::TPersistent* AOwner);
  // Tells every listener first (they fall back to the root), then leaves
  // its own master's list.
  ~TcxLookAndFeel() override;

  static void Published(rtl::PropTable<TcxLookAndFeel>& p);

  // Another look-and-feel: its local values, assigned flags and effective master.
  void Assign(rtl::TPersistent* Source) override;

  void AddChangeListener(rtl::TPersistent* AListener);
  void RemoveChangeListener(rtl::TPersistent* AListener);
  // Reports a change of all three values.
  void Refresh();
  // Forgets every assigned value; the root also resets the module switches.
  void Reset();

  TcxLookAndFeelKind Kind() const { return FCurrentState.Kind; }
  void SetKind(TcxLookAndFeelKind Value);
  bool NativeStyle() const { return FCurrentState.NativeStyle; }
  void SetNativeStyle(bool Value);
  const TdxSkinName& SkinName() const { return FCurrentState.SkinName; }
  void SetSkinName(const TdxSkinName& Value);
  TcxLookAndFeelValues AssignedValues() const { return FAssignedValues; }
  void SetAssignedValues(TcxLookAndFeelValues Value);
  bool IsKindStored() const { return FAssignedValues.contains(TcxLookAndFeelValue::lfvKind); }
  bool IsNativeStyleStored() const { return FAssignedValues.contains(TcxLookAndFeelValue::lfvNativeStyle); }
  bool IsSkinNameStored() const { return FAssignedValues.contains(TcxLookAndFeelValue::lfvSkinName); }

  TcxLookAndFeelStyle ActiveStyle() { return GetActiveStyle(); }
  TcxLookAndFeelStyle GetActiveStyle();
  // Nil for the root; else the master set, else the root.
  TcxLookAndFeel* GetMasterLookAndFeel() const;
  TcxLookAndFeel* MasterLookAndFeel() const { return GetMasterLookAndFeel(); }
  // A master that would make this object its own master through others is
  // refused: the resolution and the change passes would never end.
  void SetMasterLookAndFeel(TcxLookAndFeel* Value);
  TcxCustomLookAndFeelPainter* Painter() const { return FPainter; }
  TcxCustomLookAndFeelPainter* SkinPainter() const { return FSkinPainter; }
  const core::TcxObjectList* ChangeListenerList() const { return FChangeListenerList.get(); }
  bool IsRootLookAndFeel() const { return FIsRootLookAndFeel; }

  TcxCustomLookAndFeelPainter* GetAvailablePainter(core::TdxThemedObjectType ANeededThemedObjectType);
  virtual TcxCustomLookAndFeelPainter* GetAvailablePainter(core::TdxThemedObjectTypes ANeededThemedObjectTypes = {});

  const TcxLookAndFeelChangedEvent& OnChanged() const { return FOnChanged; }
  void SetOnChanged(const TcxLookAndFeelChangedEvent& AValue) { FOnChanged = AValue; }
  const rtl::TNotifyEvent& OnMasterBeginChange() const { return FOnMasterBeginChange; }
  void SetOnMasterBeginChange(const rtl::TNotifyEvent& AValue) { FOnMasterBeginChange = AValue; }
  const rtl::TNotifyEvent& OnMasterEndChange() const { return FOnMasterEndChange; }
  void SetOnMasterEndChange(const rtl::TNotifyEvent& AValue) { FOnMasterEndChange = AValue; }

  // IcxLookAndFeelNotificationListener, IcxLookAndFeelNotificationListener2
  rtl::TObject* GetObject() override { return this; }
  void MasterLookAndFeelChanged(TcxLookAndFeel* Sender, TcxLookAndFeelValues AChangedValues) override;
  void MasterLookAndFeelDestroying(TcxLookAndFeel* Sender) override;
  void MasterLookAndFeelBeginChange() override;
  void MasterLookAndFeelEndChange() override;

  // Only the module's start makes the root.
  class RootKey {
    friend void cxLookAndFeelsUnitStart();
    RootKey() = default;
  };
  void MarkAsRoot(RootKey) { FIsRootLookAndFeel = true; }

 protected:
  void DefineProperties(rtl::TFiler* Filer) override;
  virtual TcxCustomLookAndFeelPainter* GetSkinPainter(const TdxSkinName& ASkinName);
  virtual void InitializeCurrentState();
  virtual void InitializePainter();
  virtual TcxLookAndFeelKind InternalGetKind();
  virtual bool InternalGetNativeStyle();
  virtual TdxSkinName InternalGetSkinName();
  virtual TcxCustomLookAndFeelPainter* InternalGetSkinPainter();
  virtual void SystemPaletteChanged();

  void Changed(TcxLookAndFeelValues AChangedValues);
  void CheckStateChanges();
  void SaveState();
  void DoMasterLookAndFeelChanged(TcxLookAndFeelValues AChangedValues);

 private:
  // The master whose values this object inherits: its own, else the root.
  TcxLookAndFeel* inheritedSource() const;
  bool wouldMakeCycle(TcxLookAndFeel* AMaster) const;
  void moveToMaster(TcxLookAndFeel* AMaster);

  TcxLookAndFeelValues FAssignedValues;
  std::unique_ptr<core::TcxObjectList> FChangeListenerList;
  TcxLookAndFeelData FCurrentState;
  TcxLookAndFeelData FData;
  bool FIsDestruction = false;
  bool FIsRootLookAndFeel = false;
  TcxLookAndFeel* FMasterLookAndFeel = nullptr;
  TcxCustomLookAndFeelPainter* FPainter = nullptr;
  TcxCustomLookAndFeelPainter* FSkinPainter = nullptr;
  TcxLookAndFeelData FPrevState;
  std::unique_ptr<TcxSystemPaletteChangedNotifier> FSystemPaletteChangedNotifier;
  TcxLookAndFeelChangedEvent FOnChanged;
  rtl::TNotifyEvent FOnMasterBeginChange;
  rtl::TNotifyEvent FOnMasterEndChange;
};

// The root look-and-feel; null before the module starts and after it stops.
TcxLookAndFeel* RootLookAndFeel();

// --- the controller ------------------------------------------------------------------------------
// A form component that edits the root's settings. When the last
// controller goes, the root forgets what was assigned through it.
class TcxLookAndFeelController : public core::TcxCustomComponent, public IcxLookAndFeelNotificationListener {
  RTL_CLASS(TcxLookAndFeelController, core::TcxCustomComponent)

 public:
  explicit TcxLookAndFeelController(rtl::TComponent* AOwner);
  ~TcxLookAndFeelController() override;

  static void Published(rtl::PropTable<TcxLookAndFeelController>& p);

  TcxLookAndFeelKind Kind() const;
  void SetKind(TcxLookAndFeelKind Value);
  bool NativeStyle() const;
  void SetNativeStyle(bool Value);
  TdxSkinName SkinName() const;
  void SetSkinName(const TdxSkinName& Value);
  bool IsSkinNameStored() const { return !SkinName().empty(); }
  bool TouchMode() const { return cxIsTouchModeEnabled; }
  void SetTouchMode(bool Value);

  rtl::TObject* GetObject() override { return this; }
  void MasterLookAndFeelChanged(TcxLookAndFeel* Sender, TcxLookAndFeelValues AChangedValues) override;
  void MasterLookAndFeelDestroying(TcxLookAndFeel* Sender) override;
  virtual void Reset();
};

// How many controllers live now.
int LookAndFeelControllerCount();

// Whether a persistent object supports skins: its own answer when it
// implements IdxSkinSupport2, else whether it implements IdxSkinSupport.
bool ClassSupportsSkinHandler(rtl::TPersistent* AObject);
using TcxClassSupportsSkinProc = bool (*)(rtl::TPersistent* AObject);
// Set to ClassSupportsSkinHandler when the module starts.
extern TcxClassSupportsSkinProc ClassSupportsSkinProc;

// Start: makes the root, which picks its painter at once (the painter
// module has started before). Stop: frees the root after telling its
// listeners. Both need the window system.
void cxLookAndFeelsUnitStart();
void cxLookAndFeelsUnitStop();

}  // namespace lookandfeel
