// MRU items, auto width, dialog metrics and the small routines.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "lib/core/cxClasses.h"
#include "platform/rtl/streams.h"
#include "platform/ui/forms.h"
#include "platform/win/headless.h"
#include "platform/win/window.h"

namespace core {
namespace {

// --- MRU items ---------------------------------------------------------------------

class Recent : public TcxMRUItem {
  RTL_CLASS(Recent, TcxMRUItem)

 public:
  Recent(int value, std::vector<int>& freed) : value(value), freed_(freed) {}
  ~Recent() override { freed_.push_back(value); }
  bool Equals(TcxMRUItem* other) override { return static_cast<Recent*>(other)->value == value; }
  int value;

 private:
  std::vector<int>& freed_;
};

class MRUItems : public testing::Test {
 protected:
  Recent* item(int v) { return rtl::Create<Recent>(v, freed); }
  std::vector<int> values() const {
    std::vector<int> out;
    for (int i = 0; i < items.Count(); ++i) out.push_back(static_cast<Recent*>(items.Items(i))->value);
    return out;
  }
  std::vector<int> freed;  // declared first: the list frees into it as it goes
  TcxMRUItems items;
};

TEST_F(MRUItems, AFourthItemDropsTheOldestAndAnEqualOneMovesToTheTop) {
  items.SetMaxCount(3);
  for (int v : {1, 2, 3}) items.Add(item(v));
  EXPECT_EQ(values(), (std::vector<int>{3, 2, 1}));
  items.Add(item(4));
  EXPECT_EQ(values(), (std::vector<int>{4, 3, 2}));
  EXPECT_EQ(freed, (std::vector<int>{1}));
  items.Add(item(2));  // equal to the third: it moves up, the argument goes
  EXPECT_EQ(values(), (std::vector<int>{2, 4, 3}));
  EXPECT_EQ(freed, (std::vector<int>{1, 2}));
  Recent probe(3, freed);
  EXPECT_EQ(items.IndexOf(&probe), 2);
}

TEST_F(MRUItems, MaxCountZeroIsUnlimitedAndLoweringItCutsFromTheBottom) {
  for (int v = 1; v <= 10; ++v) items.Add(item(v));
  EXPECT_EQ(items.Count(), 10);
  items.SetMaxCount(-5);
  EXPECT_EQ(items.MaxCount(), 0);
  items.SetMaxCount(2);
  EXPECT_EQ(values(), (std::vector<int>{10, 9}));
  EXPECT_EQ(freed, (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8}));
}

TEST_F(MRUItems, DuplicatesStayWhenAllowed) {
  items.SetAllowDuplicates(true);
  items.Add(item(1));
  items.Add(item(1));
  EXPECT_EQ(values(), (std::vector<int>{1, 1}));
  EXPECT_TRUE(freed.empty());
  items.ClearItems();
  EXPECT_EQ(freed.size(), 2u);
}

// --- auto width -----------------------------------------------------------------------

struct AutoWidthCase {
  const char* name;
  int available;
  std::vector<int> widths;
  std::vector<int> minWidths;
  std::vector<bool> fixed;
  std::vector<int> expected;
};

class AutoWidthTest : public testing::TestWithParam<AutoWidthCase> {};

TEST_P(AutoWidthTest, Distributes) {
  const AutoWidthCase& c = GetParam();
  TcxAutoWidthObject object(static_cast<int>(c.widths.size()));
  for (size_t i = 0; i < c.widths.size(); ++i) {
    TcxAutoWidthItem* item = object.AddItem();
    EXPECT_EQ(item->AutoWidth, -1);
    item->Width = c.widths[i];
    item->MinWidth = c.minWidths.empty() ? 0 : c.minWidths[i];
    item->Fixed = !c.fixed.empty() && c.fixed[i];
  }
  object.SetAvailableWidth(c.available);
  object.Calculate();
  std::vector<int> got;
  for (int i = 0; i < object.Count(); ++i) got.push_back(object.Items(i)->AutoWidth);
  EXPECT_EQ(got, c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Core, AutoWidthTest,
    testing::Values(
        AutoWidthCase{"CumulativeShares", 200, {100, 100, 100}, {}, {}, {67, 66, 67}},
        AutoWidthCase{"MinimumFirstThenTheRest", 200, {100, 100}, {150, 0}, {}, {150, 50}},
        AutoWidthCase{"FixedKeepsItsWidth", 300, {100, 50, 50}, {}, {true, false, false},
                      {100, 100, 100}},
        AutoWidthCase{"Widening", 400, {100, 100}, {}, {}, {200, 200}},
        AutoWidthCase{"MinimumsChainAcrossPasses", 100, {50, 50, 100}, {40, 30, 0}, {},
                      {40, 30, 30}},
        AutoWidthCase{"AllFixed", 10, {30, 40}, {}, {true, true}, {30, 40}},
        AutoWidthCase{"NoItems", 100, {}, {}, {}, {}}),
    [](const testing::TestParamInfo<AutoWidthCase>& info) { return info.param.name; });

TEST(AutoWidth, RecalculatesForANewWidth) {
  TcxAutoWidthObject object;
  for (int i = 0; i < 2; ++i) object.AddItem()->Width = 50;
  EXPECT_EQ(object.Width(), 100);
  object.SetAvailableWidth(200);
  object.Calculate();
  object.SetAvailableWidth(60);
  object.Calculate();
  EXPECT_EQ(object.Items(0)->AutoWidth, 30);
  EXPECT_EQ(object.Items(1)->AutoWidth, 30);
  object.Clear();
  EXPECT_EQ(object.Count(), 0);
}

// --- small routines -------------------------------------------------------------------

TEST(SmallRoutines, Arithmetic) {
  struct {
    int a, b, roundDiv;
  } divs[] = {{7, 2, 4}, {-3, 2, 0}, {6, 3, 2}, {0, 5, 0}, {-7, 2, -2}};
  for (const auto& d : divs) EXPECT_EQ(RoundDiv(d.a, d.b), d.roundDiv) << d.a << "/" << d.b;
  struct {
    int b1, b2, center;
  } centers[] = {{-3, 0, -2}, {0, 3, 1}, {2, 4, 3}, {-4, 0, -2}, {-5, -2, -4}};
  for (const auto& c : centers) EXPECT_EQ(GetRangeCenter(c.b1, c.b2), c.center);
  EXPECT_EQ(cxSign(0), 1);
  EXPECT_EQ(cxSign(5.5), 1);
  EXPECT_EQ(cxSign(-0.1), -1);
  int x = 1, y = 2;
  SwapIntegers(x, y);
  EXPECT_EQ(x, 2);
  EXPECT_EQ(y, 1);
  EXPECT_EQ(Size(3, 4).cx, 3);
}

TEST(SmallRoutines, TextsAndCharacters) {
  EXPECT_EQ(GetShortHint(u"Save|Saves the file"), u"Save");
  EXPECT_EQ(GetShortHint(u"Plain"), u"Plain");
  EXPECT_EQ(GetShortHint(u"|hint only"), u"");
  const String text = u"a\U0001F600b";
  EXPECT_EQ(*GetPChar(text, 4), u'b');
  EXPECT_EQ(cxStrCharLength(text, 1), 2);
  EXPECT_EQ(cxStrCharLength(text, 2), 4);
}

TEST(SmallRoutines, StreamsEqualComparesSizeAndBytes) {
  rtl::TMemoryStream a, b;
  EXPECT_TRUE(StreamsEqual(&a, &b));
  a.Write("abc", 3);
  b.Write("abd", 3);
  EXPECT_FALSE(StreamsEqual(&a, &b));
  b.SetSize(0);
  b.Write("abc", 3);
  EXPECT_TRUE(StreamsEqual(&a, &b));
  b.Write("d", 1);
  EXPECT_FALSE(StreamsEqual(&a, &b));
}

// --- dialog metrics and window routines ---------------------------------------------------

class SizedDialog : public ui::TForm, public IcxDialogMetricsInfoData {
  RTL_CLASS(SizedDialog, ui::TForm)

 public:
  using ui::TForm::TForm;
  int state = 0;
  int restored = -1;
  const void* GetInfoData() override { return &state; }
  int GetInfoDataSize() override { return sizeof(state); }
  void SetInfoData(const void* data) override { std::memcpy(&restored, data, sizeof(restored)); }
};

class OtherDialog : public ui::TForm {
  RTL_CLASS(OtherDialog, ui::TForm)

 public:
  using ui::TForm::TForm;
};

class DialogMetrics : public testing::Test {
 protected:
  void TearDown() override {
    cxClassesUnitStop();
    cxClassesUnitStart();
  }
  win::headless::HeadlessScope screen;
};

TEST_F(DialogMetrics, TheSecondDialogOfAClassOpensWhereTheFirstWasLeft) {
  TcxDialogsMetricsStore* store = cxDialogsMetricsStore();
  ASSERT_NE(store, nullptr);
  EXPECT_EQ(store, cxDialogsMetricsStore());
  auto* first = rtl::Create<SizedDialog>(nullptr);
  first->SetBounds(10, 10, 300, 200);
  store->InitDialog(first);
  EXPECT_EQ(first->Position(), ui::poMainFormCenter);
  first->SetBounds(120, 80, 300, 200);
  first->SetClientWidth(333);
  first->state = 42;
  store->StoreMetrics(first);
  first->Free();

  auto* second = rtl::Create<SizedDialog>(nullptr);
  store->InitDialog(second);
  EXPECT_EQ(second->Position(), ui::poDesigned);
  EXPECT_EQ(second->Left(), 120);
  EXPECT_EQ(second->Top(), 80);
  EXPECT_EQ(second->ClientWidth(), 333);
  EXPECT_EQ(second->restored, 42);
  second->Free();

  // Another class has metrics of its own.
  auto* other = rtl::Create<OtherDialog>(nullptr);
  EXPECT_EQ(store->FindMetrics(other), -1);
  store->InitDialog(other);
  EXPECT_EQ(store->Count(), 2);
  other->Free();
}

TEST_F(DialogMetrics, AFixedBorderKeepsItsSizeAndTheStoreGoesWithTheUnit) {
  TcxDialogsMetricsStore* store = cxDialogsMetricsStore();
  auto* first = rtl::Create<OtherDialog>(nullptr);
  first->SetBorderStyle(ui::bsDialog);
  first->SetBounds(0, 0, 200, 100);
  store->InitDialog(first);
  first->SetBounds(50, 60, 400, 300);
  store->StoreMetrics(first);
  first->SetBounds(0, 0, 200, 100);
  store->InitDialog(first);
  EXPECT_EQ(first->Left(), 50);
  EXPECT_EQ(first->Width(), 200);
  first->Free();
  cxClassesUnitStop();
  EXPECT_EQ(cxDialogsMetricsStore(), nullptr);
}

class ClientSizedDialog : public ui::TForm, public IcxDialogMetricsClientSize {
  RTL_CLASS(ClientSizedDialog, ui::TForm)

 public:
  using ui::TForm::TForm;
  gdi::SIZE size{300, 200};
  std::vector<gdi::SIZE> given;
  gdi::SIZE GetClientSize() override { return size; }
  void SetClientSize(const gdi::SIZE& value) override { given.push_back(value); }
};

TEST_F(DialogMetrics, ClientSizeGoesThroughTheFormsOwnAccessAndMaximizedStaysMaximized) {
  TcxDialogsMetricsStore* store = cxDialogsMetricsStore();
  auto* dialog = rtl::Create<ClientSizedDialog>(nullptr);
  store->InitDialog(dialog);
  dialog->size = gdi::SIZE{640, 480};
  store->StoreMetrics(dialog);
  store->InitDialog(dialog);
  ASSERT_EQ(dialog->given.size(), 1u);
  EXPECT_EQ(dialog->given[0].cx, 640);
  EXPECT_EQ(dialog->given[0].cy, 480);
  dialog->Show();
  dialog->SetWindowState(ui::TWindowState::wsMaximized);
  store->StoreMetrics(dialog);
  dialog->SetWindowState(ui::TWindowState::wsNormal);
  store->InitDialog(dialog);
  EXPECT_EQ(dialog->WindowState(), ui::TWindowState::wsMaximized);
  EXPECT_EQ(dialog->given.size(), 1u);  // a maximized dialog keeps its size
  dialog->Free();
}

using WindowRoutines = DialogMetrics;

TEST_F(WindowRoutines, ClassNamesOfWindowsAndStructMessages) {
  auto* form = rtl::Create<OtherDialog>(nullptr);
  EXPECT_FALSE(cxGetClassName(form->Handle()).empty());
  EXPECT_EQ(cxGetClassName(nullptr), u"");
  // WM_GETTEXT fills the structure-as-buffer: the address travels as LParam.
  form->SetCaption(u"Hi");
  rtl::Char buffer[8] = {};
  EXPECT_EQ(cxSendStructMessage(form->Handle(), win::WM_GETTEXT, 8, buffer), 2);
  EXPECT_EQ(String(buffer), u"Hi");
  rtl::Char swapped[8] = {};
  EXPECT_EQ(cxSendStructMessageEx(form->Handle(), win::WM_GETTEXT, swapped, 8, true), 2);
  EXPECT_EQ(String(swapped), u"Hi");
  form->Free();
}

}  // namespace
}  // namespace core
