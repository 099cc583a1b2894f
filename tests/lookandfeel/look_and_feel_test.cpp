// The look-and-feel tree: resolution through masters and the root with
// assigned flags, the painter each object picks, the three change passes
// and listeners that leave during them, masters that go away or would make
// a cycle, the controller, and the system colour notifiers.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "lib/core/dxUxTheme.h"
#include "lib/lookandfeel/cxLookAndFeelPaintersManager.h"
#include "lib/lookandfeel/cxLookAndFeels.h"
#include "platform/gdi/objects.h"
#include "platform/win/constants.h"
#include "platform/win/headless.h"
#include "platform/win/message_loop.h"

using namespace lookandfeel;
using K = TcxLookAndFeelKind;
using V = TcxLookAndFeelValue;
using Style = TcxLookAndFeelStyle;

namespace {

using Log = std::vector<std::string>;

// Records every call of the three passes and of the destruction; each pass
// may run an action of the test.
class LookAndFeelListener : public rtl::TPersistent,
                 public IcxLookAndFeelNotificationListener,
                 public IcxLookAndFeelNotificationListener2 {
 public:
  LookAndFeelListener(Log& ALog, std::string AName) : log(ALog), name(std::move(AName)) {}
  rtl::TObject* GetObject() override { return this; }
  void MasterLookAndFeelChanged(TcxLookAndFeel*, TcxLookAndFeelValues) override { record("changed", onChanged); }
  void MasterLookAndFeelDestroying(TcxLookAndFeel*) override { record("destroying", onDestroying); }
  void MasterLookAndFeelBeginChange() override { record("begin", onBegin); }
  void MasterLookAndFeelEndChange() override { record("end", onEnd); }

  std::function<void()> onChanged, onDestroying, onBegin, onEnd;

 private:
  void record(const char* what, const std::function<void()>& action) {
    log.push_back(name + ":" + what);
    if (action) action();
  }
  Log& log;
  std::string name;
};

// What OnChanged reported, and the begin and end brackets of a look-and-feel.
struct ChangeRecorder {
  std::vector<TcxLookAndFeelValues> changes;
  Log* log = nullptr;
  std::string name;
  void Changed(TcxLookAndFeel*, TcxLookAndFeelValues AValues) { changes.push_back(AValues); }
  void Begin(rtl::TObject*) { log->push_back(name + ":begin"); }
  void End(rtl::TObject*) { log->push_back(name + ":end"); }
  void watch(TcxLookAndFeel* ALookAndFeel) {
    ALookAndFeel->SetOnChanged(TcxLookAndFeelChangedEvent::bind<&ChangeRecorder::Changed>(this));
  }
};

class NamedPainter : public TcxCustomLookAndFeelPainter {
 public:
  NamedPainter(String AName, Style AStyle) : FName(std::move(AName)), FStyle(AStyle) {}
  String LookAndFeelName() override { return FName; }
  TcxLookAndFeelStyle LookAndFeelStyle() override { return FStyle; }

 private:
  String FName;
  Style FStyle;
};

class LookAndFeelTree : public ::testing::Test {
 protected:
  LookAndFeelTree() {
    cxLookAndFeelPaintersUnitStart();
    cxLookAndFeelsUnitStart();
  }
  ~LookAndFeelTree() override {
    cxLookAndFeelsUnitStop();
    cxLookAndFeelPaintersUnitStop();
    cxUseSkins = cxDefaultUseSkins;
    cxIsTouchModeEnabled = cxDefaultIsTouchModeEnabled;
    gdi::ResetSysColors();
  }
  static std::unique_ptr<TcxLookAndFeel> make(TcxLookAndFeel* AMaster = nullptr) {
    auto result = std::make_unique<TcxLookAndFeel>(nullptr);
    if (AMaster) result->SetMasterLookAndFeel(AMaster);
    return result;
  }
  static bool listens(TcxLookAndFeel* AMaster, rtl::TObject* AObject) {
    return AMaster->ChangeListenerList()->IndexOf(AObject) >= 0;
  }
  static Style styleOf(TcxLookAndFeel* ALookAndFeel) {
    return ALookAndFeel->Painter() ? ALookAndFeel->Painter()->LookAndFeelStyle() : Style::lfsSkin;
  }

  win::headless::HeadlessScope screen_;
};

TEST_F(LookAndFeelTree, ANewObjectResolvesTheModuleDefaultsThroughTheRoot) {
  auto lf = make();
  EXPECT_EQ(lf->Kind(), K::lfUltraFlat);
  EXPECT_TRUE(lf->NativeStyle());
  EXPECT_EQ(lf->SkinName(), u"");
  EXPECT_TRUE(lf->AssignedValues().empty());
  EXPECT_EQ(lf->MasterLookAndFeel(), RootLookAndFeel());
  EXPECT_TRUE(listens(RootLookAndFeel(), lf.get()));
  // No visual styles here: NativeStyle falls back to the painter of the kind.
  EXPECT_EQ(lf->ActiveStyle(), Style::lfsUltraFlat);
  EXPECT_EQ(styleOf(lf.get()), Style::lfsUltraFlat);
  EXPECT_EQ(lf->SkinPainter(), nullptr);
  EXPECT_EQ(RootLookAndFeel()->MasterLookAndFeel(), nullptr);
}

// Kind assigned (or not) at the root, a master and the object itself.
struct LookAndFeelKindCase {
  const char* name;
  std::optional<K> root, master, own;
  K expected;
};

class LookAndFeelResolution : public LookAndFeelTree, public ::testing::WithParamInterface<LookAndFeelKindCase> {};

TEST_P(LookAndFeelResolution, TakesTheNearestAssignedKind) {
  const LookAndFeelKindCase& c = GetParam();
  auto master = make();
  auto lf = make(master.get());
  if (c.root) RootLookAndFeel()->SetKind(*c.root);
  if (c.master) master->SetKind(*c.master);
  if (c.own) lf->SetKind(*c.own);
  EXPECT_EQ(lf->Kind(), c.expected);
  EXPECT_EQ(styleOf(lf.get()), cxLookAndFeelStyleOf(c.expected));
  // Clearing the flags brings the root's value back down the chain.
  lf->SetAssignedValues({});
  master->SetAssignedValues({});
  EXPECT_EQ(lf->Kind(), c.root.value_or(K::lfUltraFlat));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LookAndFeelResolution,
    ::testing::Values(LookAndFeelKindCase{"NothingAssigned", {}, {}, {}, K::lfUltraFlat},
                      LookAndFeelKindCase{"RootOnly", K::lfFlat, {}, {}, K::lfFlat},
                      LookAndFeelKindCase{"MasterOverRoot", K::lfFlat, K::lfOffice11, {}, K::lfOffice11},
                      LookAndFeelKindCase{"OwnOverAll", K::lfFlat, K::lfOffice11, K::lfStandard, K::lfStandard},
                      LookAndFeelKindCase{"OwnEqualToTheDefault", K::lfFlat, {}, K::lfUltraFlat, K::lfUltraFlat}),
    [](const ::testing::TestParamInfo<LookAndFeelKindCase>& info) { return std::string(info.param.name); });

TEST_F(LookAndFeelTree, EachValueIsResolvedOnItsOwn) {
  auto master = make();
  auto lf = make(master.get());
  master->SetNativeStyle(false);
  master->SetSkinName(u"Glass");
  lf->SetKind(K::lfFlat);
  EXPECT_EQ(lf->Kind(), K::lfFlat);
  EXPECT_FALSE(lf->NativeStyle());
  EXPECT_EQ(lf->SkinName(), u"Glass");
  EXPECT_EQ(lf->AssignedValues(), TcxLookAndFeelValues{V::lfvKind});
}

TEST_F(LookAndFeelTree, AssigningTheInheritedValueFiresNothingAndCutsTheLinkForThatValue) {
  auto master = make();
  auto lf = make(master.get());
  ChangeRecorder recorder;
  recorder.watch(lf.get());
  lf->SetKind(K::lfUltraFlat);
  EXPECT_TRUE(lf->AssignedValues().contains(V::lfvKind));
  EXPECT_TRUE(recorder.changes.empty());
  master->SetKind(K::lfFlat);
  EXPECT_EQ(lf->Kind(), K::lfUltraFlat);
  EXPECT_TRUE(recorder.changes.empty());
  // The other values still follow.
  master->SetNativeStyle(false);
  ASSERT_EQ(recorder.changes.size(), 1u);
  EXPECT_EQ(recorder.changes[0], TcxLookAndFeelValues{V::lfvNativeStyle});
}

TEST_F(LookAndFeelTree, DroppingTheMasterFallsBackToTheRootAndReportsWhatDiffers) {
  auto master = make();
  master->SetKind(K::lfFlat);
  auto lf = make(master.get());
  EXPECT_FALSE(listens(RootLookAndFeel(), lf.get()));
  ChangeRecorder recorder;
  recorder.watch(lf.get());
  lf->SetMasterLookAndFeel(nullptr);
  EXPECT_EQ(lf->Kind(), K::lfUltraFlat);
  ASSERT_EQ(recorder.changes.size(), 1u);
  EXPECT_EQ(recorder.changes[0], TcxLookAndFeelValues{V::lfvKind});
  EXPECT_TRUE(listens(RootLookAndFeel(), lf.get()));
  EXPECT_FALSE(listens(master.get(), lf.get()));
  // Already following the root: nothing at all.
  lf->SetMasterLookAndFeel(nullptr);
  lf->SetMasterLookAndFeel(RootLookAndFeel());
  EXPECT_EQ(recorder.changes.size(), 1u);
  // The root has no master to set.
  RootLookAndFeel()->SetMasterLookAndFeel(lf.get());
  EXPECT_EQ(RootLookAndFeel()->MasterLookAndFeel(), nullptr);
  EXPECT_FALSE(listens(lf.get(), RootLookAndFeel()));
}

// Following oneself through others would resolve and notify without end.
TEST_F(LookAndFeelTree, AMasterThatWouldMakeACycleIsRefused) {
  auto a = make();
  auto b = make(a.get());
  auto c = make(b.get());
  a->SetMasterLookAndFeel(c.get());
  a->SetMasterLookAndFeel(b.get());
  a->SetMasterLookAndFeel(a.get());
  EXPECT_EQ(a->MasterLookAndFeel(), RootLookAndFeel());
  EXPECT_FALSE(listens(b.get(), a.get()));
  EXPECT_FALSE(listens(c.get(), a.get()));
  // Assign takes the source's master, but not one that makes a cycle.
  a->Assign(c.get());
  EXPECT_EQ(a->MasterLookAndFeel(), RootLookAndFeel());
  RootLookAndFeel()->SetKind(K::lfOffice11);
  EXPECT_EQ(c->Kind(), K::lfOffice11);
  a->SetKind(K::lfFlat);
  EXPECT_EQ(c->Kind(), K::lfFlat);
}

TEST_F(LookAndFeelTree, DestroyingAMasterSendsItsListenersBackToTheRoot) {
  Log log;
  LookAndFeelListener plain(log, "plain");
  auto master = make();
  master->SetKind(K::lfFlat);
  auto lf = make(master.get());
  master->AddChangeListener(&plain);
  EXPECT_EQ(lf->Kind(), K::lfFlat);
  master.reset();
  EXPECT_EQ(log, (Log{"plain:destroying"}));
  EXPECT_EQ(lf->MasterLookAndFeel(), RootLookAndFeel());
  EXPECT_EQ(lf->Kind(), K::lfUltraFlat);
  EXPECT_TRUE(listens(RootLookAndFeel(), lf.get()));
}

TEST_F(LookAndFeelTree, TheChangePassVisitsEveryoneWhenAListenerRemovesItself) {
  Log log;
  // Declared first: the master tells its listeners when it goes.
  LookAndFeelListener first(log, "1"), second(log, "2"), third(log, "3");
  auto master = make();
  for (LookAndFeelListener* l : {&first, &second, &third}) master->AddChangeListener(l);
  first.onChanged = [&] { master->RemoveChangeListener(&first); };
  master->SetKind(K::lfFlat);
  EXPECT_EQ(log, (Log{"1:begin", "2:begin", "3:begin", "1:changed", "2:changed", "3:changed", "2:end", "3:end"}));
}

// The begin and end passes walk the listeners there were before the pass;
// ones that leave meanwhile shorten it instead of being read past the end.
TEST_F(LookAndFeelTree, ListenersLeavingDuringTheBeginAndEndPassesEndTheWalkEarly) {
  Log log;
  LookAndFeelListener first(log, "1"), second(log, "2"), third(log, "3");
  auto master = make();
  for (LookAndFeelListener* l : {&first, &second, &third}) master->AddChangeListener(l);
  first.onBegin = [&] {
    master->RemoveChangeListener(&first);
    master->RemoveChangeListener(&third);
  };
  second.onEnd = [&] { master->RemoveChangeListener(&second); };
  EXPECT_NO_THROW(master->SetKind(K::lfFlat));
  EXPECT_EQ(log, (Log{"1:begin", "2:changed", "2:end"}));
  EXPECT_EQ(master->ChangeListenerList()->Count(), 0);
}

TEST_F(LookAndFeelTree, EachLevelOfTheTreeBracketsItsOwnListenersDepthFirst) {
  Log log;
  LookAndFeelListener before(log, "L1"), grandChild(log, "L2");
  auto master = make();
  master->AddChangeListener(&before);
  auto child = make(master.get());
  child->AddChangeListener(&grandChild);
  ChangeRecorder brackets;
  brackets.log = &log;
  brackets.name = "child";
  child->SetOnMasterBeginChange(rtl::TNotifyEvent::bind<&ChangeRecorder::Begin>(&brackets));
  child->SetOnMasterEndChange(rtl::TNotifyEvent::bind<&ChangeRecorder::End>(&brackets));
  master->SetKind(K::lfStandard);
  EXPECT_EQ(log, (Log{"L1:begin", "child:begin", "L1:changed", "L2:begin", "L2:changed", "L2:end", "L1:end",
                      "child:end"}));
  EXPECT_EQ(child->Kind(), K::lfStandard);
}

TEST_F(LookAndFeelTree, ASkinNamePicksTheSkinPainterUnlessNativeStyleOrTheSwitchSaysNo) {
  cxLookAndFeelPaintersManager()->Register(std::make_unique<NamedPainter>(u"Glass", Style::lfsSkin));
  auto lf = make();
  lf->SetSkinName(u"glass");
  // NativeStyle (inherited True) wins over the skin.
  EXPECT_EQ(lf->SkinPainter(), nullptr);
  EXPECT_EQ(styleOf(lf.get()), Style::lfsUltraFlat);
  lf->SetNativeStyle(false);
  ASSERT_NE(lf->SkinPainter(), nullptr);
  EXPECT_EQ(lf->Painter(), lf->SkinPainter());
  EXPECT_EQ(lf->ActiveStyle(), Style::lfsSkin);
  // A child inherits the skin through its master's own lookup.
  auto child = make(lf.get());
  EXPECT_EQ(child->SkinPainter(), lf->SkinPainter());

  // The switch is noticed at the object's next change, which then names the skin too.
  ChangeRecorder recorder;
  recorder.watch(lf.get());
  cxUseSkins = false;
  lf->SetKind(K::lfFlat);
  ASSERT_EQ(recorder.changes.size(), 1u);
  EXPECT_EQ(recorder.changes[0], (TcxLookAndFeelValues{V::lfvKind, V::lfvSkinName}));
  EXPECT_EQ(lf->SkinPainter(), nullptr);
  EXPECT_EQ(styleOf(lf.get()), Style::lfsFlat);
}

// A theme engine that opens every class.
class OpenEverything : public core::IdxVisualStylesProvider {
 public:
  core::HTHEME OpenThemeData(win::HWND, const char16_t*) override { return &handle_; }
  core::HRESULT CloseThemeData(core::HTHEME) override { return core::dxS_OK; }
  bool HasIsThemeActive() override { return true; }
  win::BOOL IsThemeActive() override { return 1; }

 private:
  core::HTHEME__ handle_;
};

TEST_F(LookAndFeelTree, NativeStyleTakesTheNativePainterWhileVisualStylesAreAvailable) {
  OpenEverything engine;
  core::dxSetVisualStylesProvider(&engine);
  RootLookAndFeel()->Refresh();
  auto lf = make();
  EXPECT_EQ(lf->ActiveStyle(), Style::lfsNative);
  EXPECT_EQ(styleOf(lf.get()), Style::lfsNative);
  EXPECT_EQ(lf->GetAvailablePainter(core::TdxThemedObjectType::totButton)->LookAndFeelStyle(), Style::lfsNative);
  lf->SetNativeStyle(false);
  EXPECT_EQ(styleOf(lf.get()), Style::lfsUltraFlat);
  core::dxSetVisualStylesProvider(nullptr);
}

TEST_F(LookAndFeelTree, AssignCopiesLocalValuesFlagsAndTheEffectiveMaster) {
  auto master = make();
  master->SetNativeStyle(false);
  auto source = make(master.get());
  source->SetKind(K::lfOffice11);
  auto lf = make();
  ChangeRecorder recorder;
  recorder.watch(lf.get());
  lf->Assign(source.get());
  EXPECT_EQ(lf->Kind(), K::lfOffice11);
  EXPECT_FALSE(lf->NativeStyle());
  EXPECT_EQ(lf->AssignedValues(), TcxLookAndFeelValues{V::lfvKind});
  EXPECT_EQ(lf->MasterLookAndFeel(), master.get());
  ASSERT_EQ(recorder.changes.size(), 1u);
  EXPECT_EQ(recorder.changes[0], (TcxLookAndFeelValues{V::lfvKind, V::lfvNativeStyle}));
}

TEST_F(LookAndFeelTree, ResettingTheRootAlsoResetsTheModuleSwitches) {
  RootLookAndFeel()->SetKind(K::lfFlat);
  cxUseSkins = false;
  cxIsTouchModeEnabled = true;
  RootLookAndFeel()->Reset();
  EXPECT_TRUE(RootLookAndFeel()->AssignedValues().empty());
  EXPECT_EQ(RootLookAndFeel()->Kind(), K::lfUltraFlat);
  EXPECT_TRUE(cxUseSkins);
  EXPECT_FALSE(cxIsTouchModeEnabled);
}

TEST_F(LookAndFeelTree, TheLastControllerToGoResetsTheRoot) {
  auto lf = make();
  auto* first = new TcxLookAndFeelController(nullptr);
  auto* second = new TcxLookAndFeelController(nullptr);
  EXPECT_EQ(LookAndFeelControllerCount(), 2);
  // Only the root hears controllers.
  lf->AddChangeListener(first);
  EXPECT_FALSE(listens(lf.get(), first));
  first->SetKind(K::lfFlat);
  EXPECT_EQ(lf->Kind(), K::lfFlat);
  EXPECT_EQ(second->Kind(), K::lfFlat);
  first->Free();
  EXPECT_EQ(lf->Kind(), K::lfFlat);
  second->Free();
  EXPECT_EQ(LookAndFeelControllerCount(), 0);
  EXPECT_EQ(lf->Kind(), K::lfUltraFlat);
}

TEST_F(LookAndFeelTree, TouchModeRefreshesTheWholeTreeOnlyWhenItChanges) {
  auto* controller = new TcxLookAndFeelController(nullptr);
  auto lf = make();
  ChangeRecorder recorder;
  recorder.watch(lf.get());
  controller->SetTouchMode(false);
  EXPECT_TRUE(recorder.changes.empty());
  controller->SetTouchMode(true);
  EXPECT_TRUE(cxIsTouchModeEnabled);
  ASSERT_EQ(recorder.changes.size(), 1u);
  EXPECT_EQ(recorder.changes[0], LookAndFeelValueAll);
  controller->Free();
  EXPECT_FALSE(cxIsTouchModeEnabled);
}

struct PaletteLog {
  Log* log;
  std::string name;
  void Changed() { log->push_back(name); }
};

TEST_F(LookAndFeelTree, AColourChangeTellsPrimaryNotifiersFirstEachListNewestFirst) {
  Log log;
  PaletteLog p{&log, "primary"}, o1{&log, "ordinary1"}, o2{&log, "ordinary2"};
  TcxSystemPaletteChangedNotifier ordinary1(false), primary(true), ordinary2(false);
  primary.SetOnSystemPaletteChanged(TcxSystemPaletteChangedEvent::bind<&PaletteLog::Changed>(&p));
  ordinary1.SetOnSystemPaletteChanged(TcxSystemPaletteChangedEvent::bind<&PaletteLog::Changed>(&o1));
  ordinary2.SetOnSystemPaletteChanged(TcxSystemPaletteChangedEvent::bind<&PaletteLog::Changed>(&o2));
  auto lf = make();
  ChangeRecorder recorder;
  recorder.watch(lf.get());
  win::SendMessageW(win::HWND_BROADCAST, win::WM_SYSCOLORCHANGE, 0, 0);
  EXPECT_EQ(log, (Log{"primary", "ordinary2", "ordinary1"}));
  // A look-and-feel hears it as a change of NativeStyle.
  ASSERT_FALSE(recorder.changes.empty());
  EXPECT_EQ(recorder.changes[0], TcxLookAndFeelValues{V::lfvNativeStyle});
}

// A form stores only what is assigned, whatever the resolved value.
TEST_F(LookAndFeelTree, PublishedValuesAreStoredOnlyWhenAssigned) {
  auto master = make();
  master->SetKind(K::lfFlat);
  auto lf = make(master.get());
  lf->SetNativeStyle(true);
  const struct {
    const char16_t* property;
    bool stored;
  } cases[] = {{u"Kind", false}, {u"NativeStyle", true}, {u"SkinName", false}, {u"AssignedValues", false}};
  for (const auto& c : cases) EXPECT_EQ(rtl::IsStoredProp(lf.get(), c.property), c.stored) << rtl::StringToUtf8(c.property);
}

// --- skin support ----------------------------------------------------------------------------------
struct Plain : rtl::TPersistent {};
struct Marked : rtl::TPersistent, IdxSkinSupport {};
struct Asked : rtl::TPersistent, IdxSkinSupport2 {
  explicit Asked(bool AAnswer) : answer(AAnswer) {}
  bool IsSkinnable() override { return answer; }
  bool answer;
};

TEST_F(LookAndFeelTree, SkinSupportIsTheObjectsAnswerOrItsMarker) {
  Plain plain;
  Marked marked;
  Asked yes(true), no(false);
  const struct {
    rtl::TPersistent* object;
    bool expected;
  } cases[] = {{&plain, false}, {&marked, true}, {&yes, true}, {&no, false}, {nullptr, false}};
  ASSERT_EQ(ClassSupportsSkinProc, &ClassSupportsSkinHandler);
  for (const auto& c : cases) EXPECT_EQ(ClassSupportsSkinProc(c.object), c.expected);
}

}  // namespace
