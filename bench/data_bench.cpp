// Reading values back from the record storage beside reading the same values
// from a plain std::vector, in the same run. Each pair reads one field of
// 1,000,000 records: as variants (what the data controller hands out), and
// for text also in place (what sorting, filtering and summaries read). A last
// pair fills 1,000,000 records of 7 fields through the data controller in
// one update bracket beside filling column vectors with the same values.
// Two more sort the controller's record list by one Integer and by one
// String field beside std::stable_sort of the same values. Three filter
// pairs close it: the LIKE matcher's worst case beside a plain search, a
// 5-condition criteria beside a hand-written loop, and a filter value list
// of about 1,000,000 distinct texts beside std::sort + std::unique.
// The ratio report at the end gives floor/measured (0.5 = twice as slow).
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <map>
#include <cstdio>
#include <iterator>
#include <string>
#include <vector>

#include "bench/ratio_report.h"
#include "lib/data/cxCustomData.h"
#include "lib/data/cxDBData.h"
#include "lib/data/cxDataFilter.h"
#include "lib/data/cxDataStorage.h"
#include "lib/data/cxFilterLike.h"
#include "platform/db/db.h"
#include "platform/rtl/ustring.h"

namespace {

using data::TcxDataStorage;
using data::TcxValueDef;
using data::TcxValueTypeClass;
using rtl::String;
using rtl::Variant;

constexpr int kRecords = 1000000;

struct Field {
  const char* name;
  TcxValueTypeClass type;
};

const Field kFields[] = {
    {"Integer", data::TcxIntegerValueType::Instance()},   {"LargeInt", data::TcxLargeIntValueType::Instance()},
    {"Float", data::TcxFloatValueType::Instance()},       {"Currency", data::TcxCurrencyValueType::Instance()},
    {"DateTime", data::TcxDateTimeValueType::Instance()}, {"Boolean", data::TcxBooleanValueType::Instance()},
    {"String", data::TcxStringValueType::Instance()},
};
constexpr int kFieldCount = static_cast<int>(std::size(kFields));

// A fixed generator, so every run reads the same values.
struct Generator {
  unsigned x = 2463534242u;
  unsigned next() {
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    return x;
  }
};

Variant valueFor(int field, Generator& g) {
  const unsigned r = g.next();
  switch (field) {
    case 0: return Variant(static_cast<int>(r % 1000000));
    case 1: return Variant(static_cast<long long>(r) * 4096);
    case 2: return Variant(static_cast<double>(r) / 7.0);
    case 3: return Variant(rtl::Currency::FromScaled(static_cast<rtl::Int64>(r % 100000000)));
    case 4: return Variant::FromDateTime(44000.0 + (r % 1096) + (r % 86400) / 86400.0);
    case 5: return Variant((r & 1) != 0);
    default: {
      String text(8 + r % 9, u'a');
      for (size_t i = 0; i < text.size(); ++i) text[i] = static_cast<char16_t>(u'a' + g.next() % 26);
      return Variant(std::move(text));
    }
  }
}

// One storage of 1,000,000 records with every field, and the same values
// column by column in plain vectors of their C++ types.
struct Data {
  TcxDataStorage storage;
  std::vector<TcxValueDef*> defs;
  std::vector<int> ints;
  std::vector<long long> largeInts;
  std::vector<double> floats;
  std::vector<rtl::Currency> currencies;
  std::vector<double> dates;
  std::vector<unsigned char> booleans;
  std::vector<String> texts;
  Data() {
    for (const Field& f : kFields) defs.push_back(storage.ValueDefs()->Add(f.type, true, false, nullptr));
    storage.SetRecordCount(kRecords);
    Generator g;
    for (int r = 0; r < kRecords; ++r)
      for (int f = 0; f < kFieldCount; ++f) {
        const Variant v = valueFor(f, g);
        storage.SetValue(r, defs[static_cast<size_t>(f)], v);
        switch (f) {
          case 0: ints.push_back(v.AsInteger()); break;
          case 1: largeInts.push_back(v.AsInt64()); break;
          case 2: floats.push_back(v.AsDouble()); break;
          case 3: currencies.push_back(v.AsCurrency()); break;
          case 4: dates.push_back(v.AsDateTime()); break;
          case 5: booleans.push_back(v.AsBoolean() ? 1 : 0); break;
          default: texts.push_back(*v.StringPtr()); break;
        }
      }
  }
};

const Data& sharedData() {
  static const Data instance;
  return instance;
}

// Every value becomes the variant the storage would hand out.
template <class T, class Make>
void readColumn(benchmark::State& state, const std::vector<T>& column, Make make) {
  for (auto _ : state) {
    for (int r = 0; r < kRecords; ++r) {
      Variant v = make(column[static_cast<size_t>(r)]);
      benchmark::DoNotOptimize(v);
    }
  }
}

void BM_Vector(benchmark::State& state) {
  const Data& d = sharedData();
  switch (state.range(0)) {
    case 0: readColumn(state, d.ints, [](int x) { return Variant(x); }); break;
    case 1: readColumn(state, d.largeInts, [](long long x) { return Variant(x); }); break;
    case 2: readColumn(state, d.floats, [](double x) { return Variant(x); }); break;
    case 3: readColumn(state, d.currencies, [](rtl::Currency x) { return Variant(x); }); break;
    case 4: readColumn(state, d.dates, [](double x) { return Variant::FromDateTime(x); }); break;
    case 5: readColumn(state, d.booleans, [](unsigned char x) { return Variant(x != 0); }); break;
    default: readColumn(state, d.texts, [](const String& x) { return Variant(x); }); break;
  }
  state.SetLabel(kFields[state.range(0)].name);
}

void BM_Storage(benchmark::State& state) {
  const Data& d = sharedData();
  TcxValueDef* def = d.defs[static_cast<size_t>(state.range(0))];
  for (auto _ : state) {
    for (int r = 0; r < kRecords; ++r) {
      Variant v = d.storage.GetValue(r, def);
      benchmark::DoNotOptimize(v);
    }
  }
  state.SetLabel(kFields[state.range(0)].name);
}

// The same integers in records of that one field (6 bytes instead of 53):
// what reading costs apart from the memory a pass over wide records moves.
struct NarrowData {
  TcxDataStorage storage;
  TcxValueDef* def = storage.ValueDefs()->Add(data::TcxIntegerValueType::Instance(), true, false, nullptr);
  NarrowData() {
    const std::vector<int>& ints = sharedData().ints;
    storage.SetRecordCount(kRecords);
    for (int r = 0; r < kRecords; ++r) storage.SetValue(r, def, Variant(ints[static_cast<size_t>(r)]));
  }
};

void BM_StorageOneField(benchmark::State& state) {
  static const NarrowData d;
  for (auto _ : state) {
    for (int r = 0; r < kRecords; ++r) {
      Variant v = d.storage.GetValue(r, d.def);
      benchmark::DoNotOptimize(v);
    }
  }
}

void BM_TextInPlace_Vector(benchmark::State& state) {
  const auto& texts = sharedData().texts;
  for (auto _ : state) {
    size_t units = 0;
    for (int r = 0; r < kRecords; ++r) units += texts[static_cast<size_t>(r)].size();
    benchmark::DoNotOptimize(units);
  }
}

void BM_TextInPlace_Storage(benchmark::State& state) {
  const Data& d = sharedData();
  TcxValueDef* def = d.defs.back();
  for (auto _ : state) {
    size_t units = 0;
    for (int r = 0; r < kRecords; ++r) {
      data::TcxPreparedValue p = nullptr;
      if (!d.storage.GetCompareInfo(r, def, p)) units += data::TcxStringValueType::StringOf(p)->size();
    }
    benchmark::DoNotOptimize(units);
  }
}

void fieldArgs(benchmark::internal::Benchmark* b) {
  for (int f = 0; f < kFieldCount; ++f) b->Arg(f);
}

BENCHMARK(BM_Vector)->Apply(fieldArgs)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Storage)->Apply(fieldArgs)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StorageOneField)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TextInPlace_Vector)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TextInPlace_Storage)->Unit(benchmark::kMillisecond);


// --- populating a controller --------------------------------------------------------------
// 1,000,000 records of the 7 fields written through the controller inside
// one update bracket, against the same values pushed into column vectors.
// Both sides make the same variants, so the ratio is what the controller and
// its storage add. Counters: the heap the filled data holds (MiB) and the
// process's resident memory while it is held.
double heapInUseMiB() {
  const struct mallinfo2 info = mallinfo2();
  return static_cast<double>(info.uordblks + info.hblkhd) / (1024.0 * 1024.0);
}

double residentMiB() {
  long pages = 0, resident = 0;
  if (FILE* f = std::fopen("/proc/self/statm", "r")) {
    if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
    std::fclose(f);
  }
  return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

class BenchController : public data::TcxDataController {
 public:
  BenchController() : TcxDataController(nullptr) {
    for (const Field& f : kFields) AddItem(nullptr)->SetValueTypeClass(f.type);
  }
  rtl::TObject* GetItem(int) const override { return nullptr; }
};

void BM_PopulateColumns(benchmark::State& state) {
  double heap = 0, resident = 0;
  for (auto _ : state) {
    const double before = heapInUseMiB();
    std::vector<int> ints;
    std::vector<long long> largeInts;
    std::vector<double> floats;
    std::vector<rtl::Currency> currencies;
    std::vector<double> dates;
    std::vector<unsigned char> booleans;
    std::vector<String> texts;
    ints.reserve(kRecords), largeInts.reserve(kRecords), floats.reserve(kRecords), currencies.reserve(kRecords);
    dates.reserve(kRecords), booleans.reserve(kRecords), texts.reserve(kRecords);
    Generator g;
    for (int r = 0; r < kRecords; ++r) {
      ints.push_back(valueFor(0, g).AsInteger());
      largeInts.push_back(valueFor(1, g).AsInt64());
      floats.push_back(valueFor(2, g).AsDouble());
      currencies.push_back(valueFor(3, g).AsCurrency());
      dates.push_back(valueFor(4, g).AsDateTime());
      booleans.push_back(valueFor(5, g).AsBoolean() ? 1 : 0);
      texts.push_back(*valueFor(6, g).StringPtr());
    }
    heap = heapInUseMiB() - before;
    resident = residentMiB();
    benchmark::DoNotOptimize(texts.data());
  }
  state.counters["heap_MiB"] = heap;
  state.counters["rss_MiB"] = resident;
}

void BM_PopulateController(benchmark::State& state) {
  double heap = 0, resident = 0;
  for (auto _ : state) {
    const double before = heapInUseMiB();
    BenchController c;
    Generator g;
    c.BeginUpdate();
    c.SetRecordCount(kRecords);
    for (int r = 0; r < kRecords; ++r)
      for (int f = 0; f < kFieldCount; ++f) c.SetValue(r, f, valueFor(f, g));
    c.EndUpdate();
    heap = heapInUseMiB() - before;
    resident = residentMiB();
    benchmark::DoNotOptimize(c.GetRecordCount());
  }
  state.counters["heap_MiB"] = heap;
  state.counters["rss_MiB"] = resident;
}

BENCHMARK(BM_PopulateColumns)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PopulateController)->Unit(benchmark::kMillisecond);

// --- sorting the record list ---------------------------------------------------------------
// The controller sorts its 1,000,000 records by one Integer field and by one
// String field (ordinal), single-threaded, against std::stable_sort of row
// indexes over the same values extracted into a vector (extraction included
// on both sides: the controller reads its keys once per sort too). A sort
// whose order differs from the floor's fails the case.
struct SortData {
  BenchController controller;
  std::vector<int> ints;
  std::vector<String> texts;
  SortData() {
    Generator g;
    controller.BeginUpdate();
    controller.SetRecordCount(kRecords);
    for (int r = 0; r < kRecords; ++r)
      for (int f = 0; f < kFieldCount; ++f) {
        const Variant v = valueFor(f, g);
        controller.SetValue(r, f, v);
        if (f == 0) ints.push_back(v.AsInteger());
        if (f == 6) texts.push_back(*v.StringPtr());
      }
    controller.EndUpdate();
  }
};

SortData& sortData() {
  static SortData instance;
  return instance;
}

template <class Less>
std::vector<int> stableIndexSort(Less less) {
  std::vector<int> order(static_cast<size_t>(kRecords));
  for (int i = 0; i < kRecords; ++i) order[static_cast<size_t>(i)] = i;
  std::stable_sort(order.begin(), order.end(), less);
  return order;
}

std::vector<int> floorOrder(int field) {
  SortData& d = sortData();
  if (field == 0) return stableIndexSort([&d](int a, int b) { return d.ints[a] < d.ints[b]; });
  return stableIndexSort([&d](int a, int b) { return rtl::CompareStr(d.texts[a], d.texts[b]) < 0; });
}

void BM_SortFloor(benchmark::State& state) {
  const int field = static_cast<int>(state.range(0));
  SortData& d = sortData();
  for (auto _ : state) {
    std::vector<int> order;
    if (field == 0) {
      std::vector<int> keys(d.ints.begin(), d.ints.end());
      order = stableIndexSort([&keys](int a, int b) { return keys[a] < keys[b]; });
    } else {
      std::vector<const String*> keys(static_cast<size_t>(kRecords));
      for (int i = 0; i < kRecords; ++i) keys[static_cast<size_t>(i)] = &d.texts[static_cast<size_t>(i)];
      order = stableIndexSort([&keys](int a, int b) { return rtl::CompareStr(*keys[a], *keys[b]) < 0; });
    }
    benchmark::DoNotOptimize(order.data());
  }
}

void BM_SortController(benchmark::State& state) {
  const int field = static_cast<int>(state.range(0));
  SortData& d = sortData();
  data::TcxCustomDataControllerInfo& info = *d.controller.DataControllerInfo();
  info.SetMultiThreadedSorting(false);
  data::TcxCustomDataField* sortField = d.controller.GetItemField(field);
  bool checked = false;
  for (auto _ : state) {
    info.ChangeSorting(sortField, data::soAscending);
    state.PauseTiming();
    if (!checked) {
      const std::vector<int> expected = floorOrder(field);
      for (int i = 0; i < kRecords; ++i)
        if (info.GetFilteredRecordIndex(i) != expected[static_cast<size_t>(i)]) {
          state.SkipWithError("the controller's order differs from the floor's");
          break;
        }
      checked = true;
    }
    info.ChangeSorting(sortField, data::soNone);
    state.ResumeTiming();
  }
}

BENCHMARK(BM_SortFloor)->Arg(0)->Arg(6)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SortController)->Arg(0)->Arg(6)->Unit(benchmark::kMillisecond);

// --- filters -------------------------------------------------------------------------------
// The LIKE worst case: "%a%a%a%a%a%b" over a text of 'a's only (it never
// matches), beside a plain search for "b" in the same text. The 20,000 case
// reports how much its time grew over the 10,000 one (counter doubling: 2 is
// linear in the text).
std::map<long, double> likeSeconds;

String aText(long n) { return String(static_cast<size_t>(n), u'a'); }

void BM_LikeWorstCase_Find(benchmark::State& state) {
  const String text = aText(state.range(0));
  for (auto _ : state) benchmark::DoNotOptimize(std::u16string_view(text).find(u"b"));
}

void BM_LikeWorstCase_Like(benchmark::State& state) {
  const String text = aText(state.range(0));
  const String pattern = u"%a%a%a%a%a%b";
  bool matched = false;
  const auto start = std::chrono::steady_clock::now();
  for (auto _ : state) {
    matched = data::Like(text.data(), text.size(), pattern.data(), pattern.size(), u'%', u'_', 0);
    benchmark::DoNotOptimize(matched);
  }
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() /
                         static_cast<double>(state.iterations());
  if (matched) state.SkipWithError("a text of 'a's matched a pattern that ends in 'b'");
  likeSeconds[static_cast<long>(state.range(0))] = seconds;
  const auto half = likeSeconds.find(static_cast<long>(state.range(0) / 2));
  if (half != likeSeconds.end()) state.counters["doubling"] = seconds / half->second;
}

BENCHMARK(BM_LikeWorstCase_Find)->Arg(10000)->Arg(20000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LikeWorstCase_Like)->Arg(10000)->Arg(20000)->Unit(benchmark::kMicrosecond);

// Five conditions over the 1,000,000 records (Integer >= 100,000 and Float <
// 5e8 and Currency between 1,000 and 9,000 and DateTime >= the 200th day and
// Boolean = true) through the controller's criteria, beside a hand-written
// loop over the column vectors; both collect the passing record indexes.
const double kFirstDate = 44000.0 + 200;

std::vector<int> criteriaFloorRows() {
  const Data& d = sharedData();
  std::vector<int> rows;
  const rtl::Currency low = rtl::Currency::FromDouble(1000), high = rtl::Currency::FromDouble(9000);
  for (int r = 0; r < kRecords; ++r) {
    const size_t i = static_cast<size_t>(r);
    if (d.ints[i] >= 100000 && d.floats[i] < 5e8 && d.currencies[i] >= low && d.currencies[i] <= high &&
        d.dates[i] >= kFirstDate && d.booleans[i] != 0)
      rows.push_back(r);
  }
  return rows;
}

void BM_Criteria5_Loop(benchmark::State& state) {
  for (auto _ : state) {
    std::vector<int> rows = criteriaFloorRows();
    benchmark::DoNotOptimize(rows.data());
  }
}

void BM_Criteria5_Criteria(benchmark::State& state) {
  BenchController& c = sortData().controller;
  std::unique_ptr<data::TcxDataFilterCriteria> criteria = c.CreateFilter();
  criteria->SetInternal(true);
  criteria->BeginUpdate();
  using K = data::TcxFilterOperatorKind;
  data::TcxFilterCriteriaItemList* root = criteria->Root();
  criteria->AddItem(root, c.GetItemField(0), K::foGreaterEqual, Variant(100000), u"100000");
  criteria->AddItem(root, c.GetItemField(2), K::foLess, Variant(5e8), u"5e8");
  criteria->AddItem(root, c.GetItemField(3), K::foBetween,
                    rtl::VarArrayOf({Variant(rtl::Currency::FromDouble(1000)), Variant(rtl::Currency::FromDouble(9000))}),
                    u"1000 and 9000");
  criteria->AddItem(root, c.GetItemField(4), K::foGreaterEqual, Variant::FromDateTime(kFirstDate), u"day 200");
  criteria->AddItem(root, c.GetItemField(5), K::foEqual, Variant(true), u"True");
  criteria->SetActive(true);
  criteria->EndUpdate();
  std::vector<int> rows;
  for (auto _ : state) {
    rows.clear();
    for (int r = 0; r < kRecords; ++r)
      if (criteria->DoFilterRecord(r)) rows.push_back(r);
    benchmark::DoNotOptimize(rows.data());
  }
  if (rows != criteriaFloorRows()) state.SkipWithError("the criteria keep other records than the loop");
  state.counters["kept"] = static_cast<double>(rows.size());
}

BENCHMARK(BM_Criteria5_Loop)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Criteria5_Criteria)->Unit(benchmark::kMillisecond);

// The filter value list of the String field (its about 1,000,000 distinct
// texts, sorted, one entry each) beside std::sort + std::unique of the same
// texts copied out.
std::vector<String> sortedDistinctTexts() {
  std::vector<String> texts = sortData().texts;
  std::sort(texts.begin(), texts.end());
  texts.erase(std::unique(texts.begin(), texts.end()), texts.end());
  return texts;
}

void BM_ValueList_SortUnique(benchmark::State& state) {
  for (auto _ : state) {
    std::vector<String> texts = sortedDistinctTexts();
    benchmark::DoNotOptimize(texts.data());
  }
}

void BM_ValueList_Load(benchmark::State& state) {
  BenchController& c = sortData().controller;
  std::unique_ptr<data::TcxDataFilterValueList> list = c.Filter()->CreateValueList();
  for (auto _ : state) list->Load(6);
  std::vector<String> values;
  for (int i = 0; i < list->Count(); ++i)
    if (list->Items(i)->Kind() == data::TcxFilterValueItemKind::fviValue)
      values.push_back(rtl::VarToStr(list->Items(i)->Value()));
  std::sort(values.begin(), values.end());  // whatever order the list keeps, the same texts
  if (values != sortedDistinctTexts()) state.SkipWithError("the value list holds other texts than sort + unique");
  state.counters["values"] = static_cast<double>(values.size());
}

BENCHMARK(BM_ValueList_SortUnique)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ValueList_Load)->Unit(benchmark::kMillisecond);

// Grid mode: 10,000 pages of 100 rows through a 1,000,000-row memory table
// (the window's every value read once per page), beside a plain data link
// with the same 100-row window moved and read straight from the dataset.
constexpr int kGridRows = 1000000;
constexpr int kGridPage = 100;
constexpr int kGridPages = 10000;

struct GridBenchData {
  db::TCustomMemDataSet table{nullptr};
  db::TDataSource source{nullptr};
  GridBenchData() {
    table.FieldDefs()->Add(u"ID", db::ftInteger);
    table.FieldDefs()->Add(u"NAME", db::ftString, 20);
    table.FieldDefs()->Add(u"AMOUNT", db::ftFloat);
    table.CreateDataSet();
    table.DisableControls();
    for (int i = 0; i < kGridRows; ++i)
      table.AppendRecord({rtl::Variant(i), rtl::Variant(u"n" + rtl::IntToStr(i % 5000)), rtl::Variant(i * 0.5)});
    table.EnableControls();
    source.SetDataSet(&table);
  }
};

GridBenchData& gridData() {
  static GridBenchData data;
  return data;
}

class GridBenchController : public data::TcxDBDataController {
 public:
  GridBenchController() : TcxDBDataController(nullptr) {
    for (const char16_t* name : {u"ID", u"NAME", u"AMOUNT"}) {
      items.push_back(std::make_unique<rtl::TComponent>(nullptr));
      ChangeFieldName(AddItem(items.back().get())->GetIndex(), name);
    }
  }
  rtl::TObject* GetItem(int index) const override { return items.at(static_cast<size_t>(index)).get(); }
  std::vector<std::unique_ptr<rtl::TComponent>> items;
};

// What a window read costs: a checksum of every value of every row.
double sumWindow(data::TcxCustomDataController& c) {
  double sum = 0;
  for (int r = 0; r < c.GetRecordCount(); ++r) {
    sum += c.GetValue(r, 0).AsDouble() + c.GetValue(r, 2).AsDouble();
    sum += static_cast<double>(c.GetValue(r, 1).AsString().size());
  }
  return sum;
}

class GridFloorLink : public db::TDataLink {};

void BM_GridPages_DataSet(benchmark::State& state) {
  GridBenchData& d = gridData();
  GridFloorLink link;
  link.SetBufferCount(kGridPage);
  link.SetDataSource(&d.source);
  db::TField* id = d.table.FieldByName(u"ID");
  db::TField* name = d.table.FieldByName(u"NAME");
  db::TField* amount = d.table.FieldByName(u"AMOUNT");
  double sum = 0;
  for (auto _ : state) {
    d.table.First();
    for (int page = 0; page < kGridPages; ++page) {
      if (page > 0) d.table.MoveBy(page == 1 ? 2 * kGridPage - 1 : kGridPage);
      const int saved = link.ActiveRecord();
      for (int r = 0; r < link.RecordCount(); ++r) {
        link.SetActiveRecord(r);
        sum += id->Value().AsDouble() + amount->Value().AsDouble();
        sum += static_cast<double>(name->Value().AsString().size());
      }
      link.SetActiveRecord(saved);
    }
  }
  benchmark::DoNotOptimize(sum);
  link.SetDataSource(nullptr);
}

void BM_GridPages_Controller(benchmark::State& state) {
  GridBenchData& d = gridData();
  GridBenchController c;
  c.DataModeController()->SetGridMode(true);
  c.SetDataSource(&d.source);
  if (c.GetRecordCount() != kGridPage) state.SkipWithError("grid mode holds another window than 100 rows");
  double sum = 0;
  for (auto _ : state) {
    d.table.First();
    for (int page = 0; page < kGridPages; ++page) {
      if (page > 0) c.Scroll(kGridPage);  // a page below the window
      sum += sumWindow(c);
    }
  }
  benchmark::DoNotOptimize(sum);
  c.SetDataSource(nullptr);
}

BENCHMARK(BM_GridPages_DataSet)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GridPages_Controller)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  std::vector<bench::RatioPair> pairs;
  for (int f = 0; f < kFieldCount; ++f) {
    const std::string arg = std::to_string(f);
    pairs.push_back({std::string("read ") + kFields[f].name, "BM_Vector/" + arg, "BM_Storage/" + arg});
  }
  pairs.push_back({"read Integer, one-field records", "BM_Vector/0", "BM_StorageOneField"});
  pairs.push_back({"read String in place", "BM_TextInPlace_Vector", "BM_TextInPlace_Storage"});
  pairs.push_back({"populate 1M x 7 in a bracket", "BM_PopulateColumns", "BM_PopulateController"});
  pairs.push_back({"sort 1M by Integer", "BM_SortFloor/0", "BM_SortController/0"});
  pairs.push_back({"sort 1M by String, ordinal", "BM_SortFloor/6", "BM_SortController/6"});
  pairs.push_back({"LIKE worst case, 10,000", "BM_LikeWorstCase_Find/10000", "BM_LikeWorstCase_Like/10000"});
  pairs.push_back({"LIKE worst case, 20,000", "BM_LikeWorstCase_Find/20000", "BM_LikeWorstCase_Like/20000"});
  pairs.push_back({"5-condition criteria, 1M", "BM_Criteria5_Loop", "BM_Criteria5_Criteria"});
  pairs.push_back({"value list of 1M texts", "BM_ValueList_SortUnique", "BM_ValueList_Load"});
  pairs.push_back({"grid mode, 10,000 pages of 100", "BM_GridPages_DataSet", "BM_GridPages_Controller"});
  return bench::RunWithRatios(argc, argv, pairs);
}
