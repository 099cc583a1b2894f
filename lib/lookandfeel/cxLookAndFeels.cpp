#include "lib/lookandfeel/cxLookAndFeels.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "lib/core/dxOffice11.h"
#include "lib/core/dxSkinsCore.h"
#include "lib/core/dxWinHelpers.h"
#include "lib/lookandfeel/cxLookAndFeelPaintersManager.h"
#include "platform/rtl/filer.h"
#include "platform/ui/utility_window.h"
#include "platform/win/constants.h"
#include "platform/win/window.h"

namespace lookandfeel {

using V = TcxLookAndFeelValue;

bool cxUseSkins = cxDefaultUseSkins;
TcxClassSupportsSkinProc ClassSupportsSkinProc = nullptr;

namespace {

struct LookAndFeelsModule {
  TcxLookAndFeel* root = nullptr;  // owned: freed by the module's stop
  int controllerCount = 0;
};

LookAndFeelsModule& module() {
  static LookAndFeelsModule state;
  return state;
}

// --- the shared palette listener ------------------------------------------------------------------
// One hidden window for every notifier; lives while any notifier does.
class TcxSystemPaletteChangedListener {
 public:
  TcxSystemPaletteChangedListener() {
    core::CreateOffice11Colors();
    FWindowHandle = ui::AllocateHWnd(ui::TWndMethod::bind<&TcxSystemPaletteChangedListener::WndProc>(this));
  }
  ~TcxSystemPaletteChangedListener() {
    ui::DeallocateHWnd(FWindowHandle);
    core::ReleaseOffice11Colors();
  }

  void Add(TcxSystemPaletteChangedNotifier* ANotifier) { listOf(ANotifier).push_back(ANotifier); }
  void Remove(TcxSystemPaletteChangedNotifier* ANotifier) {
    auto& list = listOf(ANotifier);
    list.erase(std::remove(list.begin(), list.end(), ANotifier), list.end());
  }

 private:
  std::vector<TcxSystemPaletteChangedNotifier*>& listOf(TcxSystemPaletteChangedNotifier* ANotifier) {
    return ANotifier->IsPrimary() ? FPrimaryNotifierList : FNotifierList;
  }

  // Last registered first; a notifier may free others while it is told, so
  // every step re-checks the list's length.
  static void notify(std::vector<TcxSystemPaletteChangedNotifier*>& AList) {
    for (int i = static_cast<int>(AList.size()) - 1; i >= 0; --i)
      if (i < static_cast<int>(AList.size())) AList[i]->DoChanged();
  }

  void WndProc(ui::TMessage& AMessage) {
    if (AMessage.Msg == win::WM_SYSCOLORCHANGE) {
      core::RefreshOffice11Colors();
      notify(FPrimaryNotifierList);
      notify(FNotifierList);
    }
    AMessage.Result = win::DefWindowProcW(FWindowHandle, AMessage.Msg, AMessage.WParam, AMessage.LParam);
  }

  std::vector<TcxSystemPaletteChangedNotifier*> FNotifierList;
  std::vector<TcxSystemPaletteChangedNotifier*> FPrimaryNotifierList;
  win::HWND FWindowHandle = nullptr;
};

// The listener lives while its reference count is above zero.
struct PaletteListenerSlot {
  std::unique_ptr<TcxSystemPaletteChangedListener> listener;
  int refCount = 0;
};

PaletteListenerSlot& paletteListener() {
  // Never destroyed: a notifier still alive at exit must not take the
  // window down after the window system has gone.
  static PaletteListenerSlot* slot = new PaletteListenerSlot;
  return *slot;
}

template <class I>
I* listenerAt(const core::TcxObjectList& AList, int AIndex) {
  return rtl::Supports<I>(AList.Items(AIndex));
}

}  // namespace

// --- TcxSystemPaletteChangedNotifier ---------------------------------------------------------------
TcxSystemPaletteChangedNotifier::TcxSystemPaletteChangedNotifier(bool AIsPrimary) : FIsPrimary(AIsPrimary) {
  PaletteListenerSlot& slot = paletteListener();
  if (slot.refCount++ == 0) slot.listener = std::make_unique<TcxSystemPaletteChangedListener>();
  slot.listener->Add(this);
}

TcxSystemPaletteChangedNotifier::~TcxSystemPaletteChangedNotifier() {
  PaletteListenerSlot& slot = paletteListener();
  slot.listener->Remove(this);
  if (--slot.refCount == 0) slot.listener.reset();
}

void TcxSystemPaletteChangedNotifier::DoChanged() {
  if (FOnSystemPaletteChanged) FOnSystemPaletteChanged();
}

// --- TcxLookAndFeel ------------------------------------------------------------------------------
TcxLookAndFeel* RootLookAndFeel() { return module().root; }

TcxLookAndFeel::TcxLookAndFeel(rtl::TPersistent* AOwner)
    : core::TcxInterfacedPersistent(AOwner), FChangeListenerList(std::make_unique<core::TcxObjectList>(false)) {
  FCurrentState = FData;
  FSystemPaletteChangedNotifier = std::make_unique<TcxSystemPaletteChangedNotifier>(false);
  FSystemPaletteChangedNotifier->SetOnSystemPaletteChanged(
      TcxSystemPaletteChangedEvent::bind<&TcxLookAndFeel::SystemPaletteChanged>(this));
  if (TcxLookAndFeel* root = RootLookAndFeel()) {
    root->AddChangeListener(this);
    InitializeCurrentState();
  }
  InitializePainter();
}

TcxLookAndFeel::~TcxLookAndFeel() {
  FSystemPaletteChangedNotifier.reset();
  FIsDestruction = true;
  // Removals during this pass wait until the list goes, so the count holds.
  const int count = FChangeListenerList->Count();
  for (int i = 0; i < count; ++i)
    if (auto* listener = listenerAt<IcxLookAndFeelNotificationListener>(*FChangeListenerList, i))
      listener->MasterLookAndFeelDestroying(this);
  FIsDestruction = false;
  FChangeListenerList.reset();
  if (TcxLookAndFeel* master = GetMasterLookAndFeel()) master->RemoveChangeListener(this);
  if (FIsRootLookAndFeel) {
    if (module().root == this) module().root = nullptr;
    FIsRootLookAndFeel = false;
  }
}

namespace {
const rtl::EnumInfo& kindNames() {
  static const rtl::EnumInfo info{u"TcxLookAndFeelKind", {u"lfFlat", u"lfStandard", u"lfUltraFlat", u"lfOffice11"}};
  return info;
}
const rtl::EnumInfo& valueNames() {
  static const rtl::EnumInfo info{u"TcxLookAndFeelValue", {u"lfvKind", u"lfvNativeStyle", u"lfvSkinName"}};
  return info;
}
}  // namespace

void TcxLookAndFeel::Published(rtl::PropTable<TcxLookAndFeel>& p) {
  p.SetOf("AssignedValues", &TcxLookAndFeel::AssignedValues, &TcxLookAndFeel::SetAssignedValues, valueNames())
      .Stored(false);
  p.Enum("Kind", &TcxLookAndFeel::Kind, &TcxLookAndFeel::SetKind, kindNames()).Stored(&TcxLookAndFeel::IsKindStored);
  p.Bool("NativeStyle", &TcxLookAndFeel::NativeStyle, &TcxLookAndFeel::SetNativeStyle)
      .Stored(&TcxLookAndFeel::IsNativeStyleStored);
  p.Str("SkinName", &TcxLookAndFeel::SkinName, &TcxLookAndFeel::SetSkinName)
      .Stored(&TcxLookAndFeel::IsSkinNameStored);
}

void TcxLookAndFeel::DefineProperties(rtl::TFiler* Filer) {
  core::TcxInterfacedPersistent::DefineProperties(Filer);
  // An empty published string is never written, so an assigned empty skin
  // name travels under this filer property instead.
  Filer->DefineProperty(
      u"SkinName", [this](rtl::TReader* reader) { SetSkinName(reader->ReadString()); },
      [this](rtl::TWriter* writer) { writer->WriteString(SkinName()); },
      IsSkinNameStored() && SkinName().empty());
}

void TcxLookAndFeel::Assign(rtl::TPersistent* Source) {
  auto* source = dynamic_cast<TcxLookAndFeel*>(Source);
  if (!source) {
    core::TcxInterfacedPersistent::Assign(Source);
    return;
  }
  if (source == this) return;
  SaveState();
  FData = source->FData;
  FAssignedValues = source->FAssignedValues;
  TcxLookAndFeel* master = source->GetMasterLookAndFeel();
  if (!FIsRootLookAndFeel && !wouldMakeCycle(master)) moveToMaster(master == RootLookAndFeel() ? nullptr : master);
  CheckStateChanges();
}

void TcxLookAndFeel::AddChangeListener(rtl::TPersistent* AListener) {
  auto* listener = rtl::Supports<IcxLookAndFeelNotificationListener>(AListener);
  if (!listener) return;
  const bool isController = dynamic_cast<TcxLookAndFeelController*>(listener->GetObject()) != nullptr;
  if (isController && !FIsRootLookAndFeel) return;
  if (FChangeListenerList->IndexOf(AListener) >= 0) return;
  FChangeListenerList->Add(AListener);
  if (isController) ++module().controllerCount;
}

void TcxLookAndFeel::RemoveChangeListener(rtl::TPersistent* AListener) {
  auto* listener = rtl::Supports<IcxLookAndFeelNotificationListener>(AListener);
  if (!listener || !FChangeListenerList || FChangeListenerList->IndexOf(AListener) < 0) return;
  if (!FIsDestruction) FChangeListenerList->Remove(AListener);
  if (FIsRootLookAndFeel && dynamic_cast<TcxLookAndFeelController*>(listener->GetObject())) {
    if (--module().controllerCount == 0) Reset();
  }
}

void TcxLookAndFeel::Refresh() { Changed(LookAndFeelValueAll); }

void TcxLookAndFeel::Reset() {
  if (FIsRootLookAndFeel) {
    core::dxSkinsUseImageSet = core::TdxSkinImageSet{};
    cxUseSkins = cxDefaultUseSkins;
    cxIsTouchModeEnabled = cxDefaultIsTouchModeEnabled;
  }
  SetAssignedValues({});
}

void TcxLookAndFeel::SetKind(TcxLookAndFeelKind Value) {
  const TcxLookAndFeelKind before = Kind();
  FAssignedValues.Include(V::lfvKind);
  FData.Kind = Value;
  if (InternalGetKind() != before) Changed({V::lfvKind});
}

void TcxLookAndFeel::SetNativeStyle(bool Value) {
  const bool before = NativeStyle();
  FAssignedValues.Include(V::lfvNativeStyle);
  FData.NativeStyle = Value;
  if (InternalGetNativeStyle() != before) Changed({V::lfvNativeStyle});
}

void TcxLookAndFeel::SetSkinName(const TdxSkinName& Value) {
  const TdxSkinName before = SkinName();
  FAssignedValues.Include(V::lfvSkinName);
  FData.SkinName = Value;
  if (InternalGetSkinName() != before) Changed({V::lfvSkinName});
}

void TcxLookAndFeel::SetAssignedValues(TcxLookAndFeelValues Value) {
  if (Value == FAssignedValues) return;
  SaveState();
  FAssignedValues = Value;
  CheckStateChanges();
}

TcxLookAndFeelStyle TcxLookAndFeel::GetActiveStyle() {
  if (NativeStyle() && core::AreVisualStylesAvailable()) return TcxLookAndFeelStyle::lfsNative;
  if (FSkinPainter) return TcxLookAndFeelStyle::lfsSkin;
  return cxLookAndFeelStyleOf(Kind());
}

TcxLookAndFeel* TcxLookAndFeel::GetMasterLookAndFeel() const {
  if (FIsRootLookAndFeel) return nullptr;
  return FMasterLookAndFeel ? FMasterLookAndFeel : RootLookAndFeel();
}

TcxLookAndFeel* TcxLookAndFeel::inheritedSource() const { return GetMasterLookAndFeel(); }

bool TcxLookAndFeel::wouldMakeCycle(TcxLookAndFeel* AMaster) const {
  // The chain of effective masters ends at the root, whose master is nil;
  // meeting this object on the way means it would follow itself.
  for (const TcxLookAndFeel* m = AMaster; m; m = m->GetMasterLookAndFeel())
    if (m == this) return true;
  return false;
}

void TcxLookAndFeel::moveToMaster(TcxLookAndFeel* AMaster) {
  // Staying with the same master keeps this object's place in its list.
  if (GetMasterLookAndFeel() == (AMaster ? AMaster : RootLookAndFeel())) {
    FMasterLookAndFeel = AMaster;
    return;
  }
  if (TcxLookAndFeel* current = GetMasterLookAndFeel()) current->RemoveChangeListener(this);
  FMasterLookAndFeel = AMaster;
  if (TcxLookAndFeel* next = GetMasterLookAndFeel()) next->AddChangeListener(this);
}

void TcxLookAndFeel::SetMasterLookAndFeel(TcxLookAndFeel* Value) {
  if (FIsRootLookAndFeel || Value == this || Value == GetMasterLookAndFeel()) return;
  if (wouldMakeCycle(Value)) return;
  SaveState();
  moveToMaster(Value);
  CheckStateChanges();
}

TcxCustomLookAndFeelPainter* TcxLookAndFeel::GetAvailablePainter(core::TdxThemedObjectType ANeededThemedObjectType) {
  return GetAvailablePainter(core::TdxThemedObjectTypes{ANeededThemedObjectType});
}

TcxCustomLookAndFeelPainter* TcxLookAndFeel::GetAvailablePainter(core::TdxThemedObjectTypes ANeededThemedObjectTypes) {
  TcxLookAndFeelPaintersManager* manager = cxLookAndFeelPaintersManager();
  if (!manager) return nullptr;
  if (NativeStyle() && core::AreVisualStylesAvailable(ANeededThemedObjectTypes))
    return manager->GetPainter(TcxLookAndFeelStyle::lfsNative);
  if (FSkinPainter) return FSkinPainter;
  return manager->GetPainter(GetActiveStyle());
}

TcxCustomLookAndFeelPainter* TcxLookAndFeel::GetSkinPainter(const TdxSkinName& ASkinName) {
  if (!cxUseSkins || ASkinName.empty()) return nullptr;
  TcxLookAndFeelPaintersManager* manager = cxLookAndFeelPaintersManager();
  return manager ? manager->GetPainter(ASkinName) : nullptr;
}

void TcxLookAndFeel::InitializeCurrentState() {
  FCurrentState.Kind = InternalGetKind();
  FCurrentState.NativeStyle = InternalGetNativeStyle();
  FCurrentState.SkinName = InternalGetSkinName();
  FCurrentState.UseSkins = cxUseSkins;
  FSkinPainter = FCurrentState.NativeStyle ? nullptr : InternalGetSkinPainter();
}

void TcxLookAndFeel::InitializePainter() { FPainter = GetAvailablePainter({}); }

TcxLookAndFeelKind TcxLookAndFeel::InternalGetKind() {
  if (FAssignedValues.contains(V::lfvKind)) return FData.Kind;
  if (FIsRootLookAndFeel) return cxDefaultLookAndFeelKind;
  const TcxLookAndFeel* source = inheritedSource();
  return source ? source->Kind() : cxDefaultLookAndFeelKind;
}

bool TcxLookAndFeel::InternalGetNativeStyle() {
  if (FAssignedValues.contains(V::lfvNativeStyle)) return FData.NativeStyle;
  if (FIsRootLookAndFeel) return cxDefaultLookAndFeelNativeStyle;
  const TcxLookAndFeel* source = inheritedSource();
  return source ? source->NativeStyle() : cxDefaultLookAndFeelNativeStyle;
}

TdxSkinName TcxLookAndFeel::InternalGetSkinName() {
  if (FAssignedValues.contains(V::lfvSkinName)) return FData.SkinName;
  if (FIsRootLookAndFeel) return cxDefaultLookAndFeelSkinName;
  const TcxLookAndFeel* source = inheritedSource();
  return source ? source->SkinName() : TdxSkinName(cxDefaultLookAndFeelSkinName);
}

TcxCustomLookAndFeelPainter* TcxLookAndFeel::InternalGetSkinPainter() {
  if (FAssignedValues.contains(V::lfvSkinName)) return GetSkinPainter(FData.SkinName);
  if (FIsRootLookAndFeel) return nullptr;
  TcxLookAndFeel* source = inheritedSource();
  return source ? source->GetSkinPainter(source->SkinName()) : nullptr;
}

void TcxLookAndFeel::SystemPaletteChanged() { Changed({V::lfvNativeStyle}); }

void TcxLookAndFeel::Changed(TcxLookAndFeelValues AChangedValues) {
  if (FIsDestruction) return;
  if (FCurrentState.UseSkins != cxUseSkins) AChangedValues.Include(V::lfvSkinName);
  if (AChangedValues.empty()) return;
  InitializeCurrentState();
  InitializePainter();
  DoMasterLookAndFeelChanged(AChangedValues);
  if (FOnChanged) FOnChanged(this, AChangedValues);
}

void TcxLookAndFeel::SaveState() {
  FPrevState.Kind = Kind();
  FPrevState.NativeStyle = NativeStyle();
  FPrevState.SkinName = SkinName();
}

void TcxLookAndFeel::CheckStateChanges() {
  TcxLookAndFeelValues changed;
  if (InternalGetKind() != FPrevState.Kind) changed.Include(V::lfvKind);
  if (InternalGetNativeStyle() != FPrevState.NativeStyle) changed.Include(V::lfvNativeStyle);
  if (InternalGetSkinName() != FPrevState.SkinName) changed.Include(V::lfvSkinName);
  Changed(changed);
}

void TcxLookAndFeel::DoMasterLookAndFeelChanged(TcxLookAndFeelValues AChangedValues) {
  core::TcxObjectList& list = *FChangeListenerList;
  // Begin and end visit the listeners there were before the pass; one that
  // leaves meanwhile shortens the walk instead of being read past the end.
  const int beginCount = list.Count();
  for (int i = 0; i < beginCount && i < list.Count(); ++i)
    if (auto* listener = listenerAt<IcxLookAndFeelNotificationListener2>(list, i))
      listener->MasterLookAndFeelBeginChange();
  // A listener that leaves during its call moves the next one into its
  // place: the walk stays on that index so nobody is skipped.
  int i = 0;
  while (i < list.Count()) {
    const int count = list.Count();
    if (auto* listener = listenerAt<IcxLookAndFeelNotificationListener>(list, i))
      listener->MasterLookAndFeelChanged(this, AChangedValues);
    if (list.Count() == count) ++i;
  }
  const int endCount = list.Count();
  for (int j = 0; j < endCount && j < list.Count(); ++j)
    if (auto* listener = listenerAt<IcxLookAndFeelNotificationListener2>(list, j))
      listener->MasterLookAndFeelEndChange();
}

void TcxLookAndFeel::MasterLookAndFeelChanged(TcxLookAndFeel*, TcxLookAndFeelValues AChangedValues) {
  Changed(AChangedValues - FAssignedValues);
}

void TcxLookAndFeel::MasterLookAndFeelDestroying(TcxLookAndFeel*) { SetMasterLookAndFeel(nullptr); }

void TcxLookAndFeel::MasterLookAndFeelBeginChange() { core::dxCallNotify(FOnMasterBeginChange, this); }

void TcxLookAndFeel::MasterLookAndFeelEndChange() { core::dxCallNotify(FOnMasterEndChange, this); }

// --- TcxLookAndFeelController ----------------------------------------------------------------------
TcxLookAndFeelController::TcxLookAndFeelController(rtl::TComponent* AOwner) : core::TcxCustomComponent(AOwner) {
  if (TcxLookAndFeel* root = RootLookAndFeel()) root->AddChangeListener(this);
}

TcxLookAndFeelController::~TcxLookAndFeelController() {
  if (TcxLookAndFeel* root = RootLookAndFeel()) root->RemoveChangeListener(this);
}

void TcxLookAndFeelController::Published(rtl::PropTable<TcxLookAndFeelController>& p) {
  p.Enum("Kind", &TcxLookAndFeelController::Kind, &TcxLookAndFeelController::SetKind, kindNames())
      .Default(static_cast<int>(cxDefaultLookAndFeelKind));
  p.Bool("NativeStyle", &TcxLookAndFeelController::NativeStyle, &TcxLookAndFeelController::SetNativeStyle)
      .Default(cxDefaultLookAndFeelNativeStyle);
  p.Str("SkinName", &TcxLookAndFeelController::SkinName, &TcxLookAndFeelController::SetSkinName)
      .Stored(&TcxLookAndFeelController::IsSkinNameStored);
  p.Bool("TouchMode", &TcxLookAndFeelController::TouchMode, &TcxLookAndFeelController::SetTouchMode)
      .Default(cxDefaultIsTouchModeEnabled);
}

TcxLookAndFeelKind TcxLookAndFeelController::Kind() const {
  TcxLookAndFeel* root = RootLookAndFeel();
  return root ? root->Kind() : cxDefaultLookAndFeelKind;
}

void TcxLookAndFeelController::SetKind(TcxLookAndFeelKind Value) {
  if (TcxLookAndFeel* root = RootLookAndFeel()) root->SetKind(Value);
}

bool TcxLookAndFeelController::NativeStyle() const {
  TcxLookAndFeel* root = RootLookAndFeel();
  return root ? root->NativeStyle() : cxDefaultLookAndFeelNativeStyle;
}

void TcxLookAndFeelController::SetNativeStyle(bool Value) {
  if (TcxLookAndFeel* root = RootLookAndFeel()) root->SetNativeStyle(Value);
}

TdxSkinName TcxLookAndFeelController::SkinName() const {
  TcxLookAndFeel* root = RootLookAndFeel();
  return root ? root->SkinName() : TdxSkinName(cxDefaultLookAndFeelSkinName);
}

void TcxLookAndFeelController::SetSkinName(const TdxSkinName& Value) {
  if (TcxLookAndFeel* root = RootLookAndFeel()) root->SetSkinName(Value);
}

void TcxLookAndFeelController::SetTouchMode(bool Value) {
  if (Value == cxIsTouchModeEnabled) return;
  cxIsTouchModeEnabled = Value;
  if (TcxLookAndFeel* root = RootLookAndFeel()) root->Refresh();
}

void TcxLookAndFeelController::MasterLookAndFeelChanged(TcxLookAndFeel*, TcxLookAndFeelValues) {
  core::SetDesignerModified(this);
}

void TcxLookAndFeelController::MasterLookAndFeelDestroying(TcxLookAndFeel*) { core::SetDesignerModified(this); }

void TcxLookAndFeelController::Reset() {
  if (TcxLookAndFeel* root = RootLookAndFeel()) root->Reset();
}

int LookAndFeelControllerCount() { return module().controllerCount; }

bool ClassSupportsSkinHandler(rtl::TPersistent* AObject) {
  if (auto* support2 = rtl::Supports<IdxSkinSupport2>(AObject)) return support2->IsSkinnable();
  return rtl::Supports<IdxSkinSupport>(AObject) != nullptr;
}

// --- the module ----------------------------------------------------------------------------------
void cxLookAndFeelsUnitStart() {
  LookAndFeelsModule& m = module();
  if (m.root) return;
  // The controller is grouped with forms by the designer's class grouping,
  // which this platform has no designer for.
  auto* root = new TcxLookAndFeel(nullptr);  // freed by the stop
  root->MarkAsRoot(TcxLookAndFeel::RootKey());
  m.root = root;
  ClassSupportsSkinProc = &ClassSupportsSkinHandler;
}

void cxLookAndFeelsUnitStop() {
  LookAndFeelsModule& m = module();
  TcxLookAndFeel* root = m.root;
  if (!root) return;
  // The root stays reachable while it tells its listeners that it goes;
  // its destructor clears the reference last.
  root->Free();
  m.root = nullptr;
  m.controllerCount = 0;
}

}  // namespace lookandfeel
