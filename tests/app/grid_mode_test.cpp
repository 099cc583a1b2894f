// The main window's staged records as its grid reads them: the dataset-bound
// controller in grid mode over qryQuelora, on each engine.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "app/run/udmPrincipal.h"
#include "lib/data/cxDBData.h"
#include "platform/rtl/datetime.h"
#include "tests/app/app_db_fixture.h"

namespace {

using rtl::String;
using rtl::Variant;

class QueloraGridController : public data::TcxDBDataController {
 public:
  QueloraGridController() : TcxDBDataController(nullptr) {}
  rtl::TObject* GetItem(int index) const override { return items.at(static_cast<size_t>(index)).get(); }
  int addItem(const String& fieldName) {
    items.push_back(std::make_unique<rtl::TComponent>(nullptr));
    const int index = AddItem(items.back().get())->GetIndex();
    ChangeFieldName(index, fieldName);
    return index;
  }
  std::vector<std::unique_ptr<rtl::TComponent>> items;
};

constexpr int kGridFirstId = 5001;
constexpr int kGridStaged = 120;
constexpr int kGridWindow = 25;

class QueloraGridMode : public app_test::AppDbTest {
 protected:
  void SetUp() override {
    AppDbTest::SetUp();
    Login(u"17");
    stage(kGridFirstId, kGridFirstId + kGridStaged - 1);
    q().ParamByName(u"data_inicio")->SetAsDate(rtl::EncodeDate(2031, 4, 1));
    q().ParamByName(u"data_fim")->SetAsDate(rtl::EncodeDate(2031, 4, 30));
    q().ParamByName(u"erro_integracao")->SetAsInteger(0);
    q().Open();
    source = std::make_unique<db::TDataSource>(nullptr);
    source->SetDataSet(&q());
    dc = std::make_unique<QueloraGridController>();
    id = dc->addItem(u"id_quelora");
    order = dc->addItem(u"order_id");
    dc->SetKeyFieldNames(u"id_quelora");
    dc->DataModeController()->SetGridModeBufferCount(kGridWindow);
    dc->DataModeController()->SetGridMode(true);
    dc->SetDataSource(source.get());
  }
  void TearDown() override {
    dc.reset();
    source.reset();
    AppDbTest::TearDown();
  }
  integrador::TCatalogueQuery& q() { return *principal().qryQuelora; }
  void stage(int from, int to) {
    dac::TConnection& conn = Connect();
    for (int i = from; i <= to; ++i)
      conn.ExecSQL(u"insert into vorna_mat.quelora (id_quelora, order_id, status_integracao, data_inicio, "
                   u"erro_integracao) values (" + rtl::IntToStr(i) + u", 'GM-" + rtl::IntToStr(i) +
                   u"', 'Finalizado', '2031-04-10 08:00:00', 0)");
  }
  int valueId(int record) { return dc->GetValue(record, id).AsInteger(); }
  int currentId() { return q().FieldByName(u"id_quelora")->AsInteger(); }

  std::unique_ptr<db::TDataSource> source;
  std::unique_ptr<QueloraGridController> dc;
  int id = -1, order = -1;
};

// Newest first: the window holds the first 25 of the 120 staged rows.
TEST_P(QueloraGridMode, OpensWithAWindowOfTheQuery) {
  ASSERT_TRUE(dc->IsGridMode());
  EXPECT_EQ(dc->GetRecordCount(), kGridWindow);
  EXPECT_EQ(dc->GetDataRowCount(), kGridStaged);
  EXPECT_EQ(valueId(0), kGridFirstId + kGridStaged - 1);
  EXPECT_EQ(dc->GetDisplayText(kGridWindow - 1, order), u"GM-" + rtl::IntToStr(kGridFirstId + kGridStaged - kGridWindow));
  EXPECT_EQ(dc->GetFocusedRecordIndex(), 0);
}

TEST_P(QueloraGridMode, ScrollsPageByPage) {
  int expectedTop = kGridFirstId + kGridStaged - 1;
  for (int page = 1; page <= 3; ++page) {
    dc->Scroll(kGridWindow);  // a page below the window's last row
    expectedTop -= kGridWindow;
    EXPECT_EQ(valueId(0), expectedTop) << page;
    EXPECT_EQ(dc->GetRecordCount(), kGridWindow);
    EXPECT_EQ(valueId(dc->GetFocusedRecordIndex()), currentId());
  }
  dc->Scroll(-kGridWindow);
  EXPECT_EQ(valueId(dc->GetFocusedRecordIndex()), currentId());
  EXPECT_EQ(dc->GetFocusedDataRowIndex(), q().RecNo() - 1);
}

TEST_P(QueloraGridMode, ReopenedQueryShowsRowsStagedMeanwhile) {
  dc->Scroll(kGridWindow);
  q().Close();
  EXPECT_EQ(dc->GetRecordCount(), 0);
  stage(kGridFirstId + kGridStaged, kGridFirstId + kGridStaged + 9);
  q().Open();
  EXPECT_EQ(dc->GetDataRowCount(), kGridStaged + 10);
  EXPECT_EQ(dc->GetRecordCount(), kGridWindow);
  EXPECT_EQ(valueId(0), kGridFirstId + kGridStaged + 9);
  EXPECT_EQ(dc->GetItemField(id), q().FieldByName(u"id_quelora"));
}

TEST_P(QueloraGridMode, LocatesAKeyOutsideTheWindow) {
  EXPECT_TRUE(dc->LocateByKey(Variant(kGridFirstId + 3)));
  EXPECT_EQ(currentId(), kGridFirstId + 3);
  EXPECT_EQ(valueId(dc->GetFocusedRecordIndex()), kGridFirstId + 3);
  EXPECT_EQ(dc->GetRecordCount(), kGridWindow);
  EXPECT_FALSE(dc->LocateByKey(Variant(1)));
  EXPECT_EQ(currentId(), kGridFirstId + 3);
}

INSTANTIATE_FOR_DRIVERS(QueloraGridMode);

}  // namespace
