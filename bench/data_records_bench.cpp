// The record list of an unbound data controller over 100,000 and 1,000,000
// records of 7 items (Id: unique shuffled Integer, Code: Integer 0..999,
// Name: 8-16 ASCII letters of either case, City: one of 500 names, Amount:
// Currency, When: a day of three years, Flag: Boolean), made from a fixed
// seed. Each case runs its bare side first, with the standard library only
// on the same values extracted into vectors, then the controller doing the
// same work; the controller's case reports its time as a multiple of the
// bare one (counter x_bare) and fails when its result differs from the bare
// side's (order, rows, groups, sums). On 1,000,000 records a case also
// reports how its time grew from 100,000 (counter growth), and a pool case
// its thread count and its speed-up over the single-threaded controller.
// Times are wall times of the work alone (manual time): resetting the list
// between iterations and checking results are left out.
#include <benchmark/benchmark.h>
#include <sched.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "bench/ratio_report.h"
#include "lib/core/dxThreading.h"
#include "lib/data/cxCustomData.h"
#include "lib/data/cxDataFilter.h"
#include "lib/data/cxDataSummary.h"
#include "platform/rtl/classes.h"
#include "platform/rtl/ustring.h"

namespace {

using rtl::String;
using rtl::Variant;
using Clock = std::chrono::steady_clock;

enum Item { kId, kCode, kName, kCity, kAmount, kWhen, kFlag, kItemCount };
constexpr int kSmall = 100000;
constexpr int kLarge = 1000000;
constexpr double kFirstDay = 44000;  // 2020-06-18

class RecordsController : public data::TcxDataController {
 public:
  RecordsController() : TcxDataController(nullptr) {
    const data::TcxValueTypeClass types[kItemCount] = {
        data::TcxIntegerValueType::Instance(),  data::TcxIntegerValueType::Instance(),
        data::TcxStringValueType::Instance(),   data::TcxStringValueType::Instance(),
        data::TcxCurrencyValueType::Instance(), data::TcxDateTimeValueType::Instance(),
        data::TcxBooleanValueType::Instance()};
    for (data::TcxValueTypeClass type : types) {
      items_.push_back(std::make_unique<rtl::TComponent>(nullptr));
      AddItem(items_.back().get())->SetValueTypeClass(type);
    }
  }
  rtl::TObject* GetItem(int AIndex) const override { return items_.at(static_cast<size_t>(AIndex)).get(); }

 private:
  std::vector<std::unique_ptr<rtl::TComponent>> items_;
};

String randomLetters(std::mt19937_64& random, int length, bool mixedCase) {
  String text(static_cast<size_t>(length), u'a');
  for (size_t i = 0; i < text.size(); ++i) {
    const auto letter = static_cast<char16_t>(random() % 26);
    const bool upper = mixedCase ? (random() & 1) != 0 : i == 0;
    text[i] = static_cast<char16_t>((upper ? u'A' : u'a') + letter);
  }
  return text;
}

// The values column by column, and the controller holding the same.
struct Records {
  int count;
  std::vector<int> id, code, day;
  std::vector<String> name, city;
  std::vector<long long> amount;  // Currency, scaled by 10,000
  RecordsController controller;

  explicit Records(int n) : count(n) {
    std::mt19937_64 random(20261211);
    std::vector<String> cities;
    for (int i = 0; i < 500; ++i) cities.push_back(randomLetters(random, 5 + static_cast<int>(random() % 8), false));
    id.resize(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) id[static_cast<size_t>(i)] = i;
    std::shuffle(id.begin(), id.end(), random);
    controller.BeginUpdate();
    controller.SetRecordCount(n);
    for (int r = 0; r < n; ++r) {
      code.push_back(static_cast<int>(random() % 1000));
      name.push_back(randomLetters(random, 8 + static_cast<int>(random() % 9), true));
      city.push_back(cities[random() % cities.size()]);
      amount.push_back(static_cast<long long>(random() % 10000000));
      day.push_back(static_cast<int>(random() % 1096));
      const size_t i = static_cast<size_t>(r);
      controller.SetValue(r, kId, Variant(id[i]));
      controller.SetValue(r, kCode, Variant(code[i]));
      controller.SetValue(r, kName, Variant(name[i]));
      controller.SetValue(r, kCity, Variant(city[i]));
      controller.SetValue(r, kAmount, Variant(rtl::Currency::FromScaled(amount[i])));
      controller.SetValue(r, kWhen, Variant::FromDateTime(kFirstDay + day[i]));
      controller.SetValue(r, kFlag, Variant((random() & 1) != 0));
    }
    controller.EndUpdate();
  }
  data::TcxCustomDataControllerInfo& info() { return *controller.DataControllerInfo(); }
  data::TcxCustomDataField* field(Item item) { return controller.GetItemField(item); }
};

Records& records(int n) {
  static std::map<int, std::unique_ptr<Records>> made;
  std::unique_ptr<Records>& slot = made[n];
  if (!slot) slot = std::make_unique<Records>(n);
  return *slot;
}

// --- bookkeeping ----------------------------------------------------------------------------
// Every result is flattened to numbers: an order or a row list as record
// indexes, groups as their bounds, counts and sums.
using Result = std::vector<long long>;

struct Measured {
  double seconds = 0;  // mean per iteration
  Result result;
};
std::map<std::string, Measured> bareRuns, controllerRuns;

std::string keyOf(const char* name, int n) { return std::string(name) + "/" + std::to_string(n); }

// The processors this process may run on, as the controller's pool counts
// them (a run under taskset gets fewer than the machine has).
int poolThreads() {
  cpu_set_t set;
  CPU_ZERO(&set);
  const int allowed = sched_getaffinity(0, sizeof(set), &set) == 0 ? CPU_COUNT(&set) : 0;
  const int n = allowed > 0 ? allowed : static_cast<int>(std::thread::hardware_concurrency());
  return std::clamp(n, 1, 16);
}

template <class F>
double secondsOf(F&& f) {
  const auto start = Clock::now();
  f();
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// One iteration: does the work, answers its seconds and fills the result.
using Body = double (*)(Records&, Result&);

struct Case {
  const char* name;
  Body bare;
  Body controller;
  bool pool;
  const char* singleName;  // the single-threaded controller case a pool case is compared with
};

void runBare(benchmark::State& state, const Case& c) {
  const int n = static_cast<int>(state.range(0));
  Records& data = records(n);
  Measured m;
  double total = 0;
  for (auto _ : state) {
    const double s = c.bare(data, m.result);
    state.SetIterationTime(s);
    total += s;
  }
  m.seconds = total / static_cast<double>(state.iterations());
  if (c.pool) state.counters["threads"] = poolThreads();
  bareRuns[keyOf(c.name, n)] = std::move(m);
}

void runController(benchmark::State& state, const Case& c) {
  const int n = static_cast<int>(state.range(0));
  Records& data = records(n);
  const std::string key = keyOf(c.name, n);
  if (bareRuns.find(key) == bareRuns.end()) {  // the bare side was filtered out: its result still counts
    Measured m;
    c.bare(data, m.result);
    bareRuns[key] = std::move(m);
  }
  const Measured& bare = bareRuns[key];
  Measured m;
  double total = 0;
  bool checked = false;
  for (auto _ : state) {
    const double s = c.controller(data, m.result);
    state.SetIterationTime(s);
    total += s;
    if (!checked) {
      checked = true;
      if (m.result != bare.result) {
        state.SkipWithError("the controller's result differs from the bare side's");
        return;
      }
    }
  }
  m.seconds = total / static_cast<double>(state.iterations());
  if (bare.seconds > 0) state.counters["x_bare"] = m.seconds / bare.seconds;
  if (n == kLarge) {
    const auto small = controllerRuns.find(keyOf(c.name, kSmall));
    if (small != controllerRuns.end()) state.counters["growth"] = m.seconds / small->second.seconds;
  }
  if (c.pool) {
    state.counters["threads"] = poolThreads();
    const auto single = controllerRuns.find(keyOf(c.singleName, n));
    if (single != controllerRuns.end()) {
      state.counters["speedup"] = single->second.seconds / m.seconds;
      state.counters["speedup_per_thread"] = single->second.seconds / m.seconds / poolThreads();
    }
  }
  controllerRuns[key] = std::move(m);
}

std::vector<int> rowIndexes(int n) {
  std::vector<int> rows(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) rows[static_cast<size_t>(i)] = i;
  return rows;
}

void flattenList(data::TcxCustomDataControllerInfo& info, Result& out) {
  out.resize(static_cast<size_t>(info.GetFilteredRecordCount()));
  for (int i = 0; i < info.GetFilteredRecordCount(); ++i) out[static_cast<size_t>(i)] = info.GetFilteredRecordIndex(i);
}

// --- sorts ----------------------------------------------------------------------------------
// The controller sorts by one field; the timed part is the sort alone (the
// list is set back to storage order between iterations).
double controllerSort(Records& d, Item item, bool threads, bool caseInsensitive, Result& out) {
  data::TcxCustomDataControllerInfo& info = d.info();
  info.SetMultiThreadedSorting(threads);
  const data::TcxDataControllerOptions options = d.controller.Options();
  if (caseInsensitive) d.controller.SetOptions(options + data::dcoCaseInsensitive);
  const double s = secondsOf([&] { info.ChangeSorting(d.field(item), data::soAscending); });
  flattenList(info, out);
  info.ChangeSorting(d.field(item), data::soNone);
  d.controller.SetOptions(options);
  return s;
}

template <class Less>
double bareIndexSort(int n, Less less, Result& out) {
  std::vector<int> rows;
  const double s = secondsOf([&] {
    rows = rowIndexes(n);
    std::sort(rows.begin(), rows.end(), less);
  });
  out.assign(rows.begin(), rows.end());
  return s;
}

// The column packed with the row into one 64-bit key (value above the row)
// when its values span less than 2^32: one plain integer sort then orders
// by value and, on ties, by row. Wider spans compare the column itself.
bool barePackIntegerKeys(const std::vector<int>& AKeys, std::vector<std::uint64_t>& APacked) {
  if (AKeys.empty()) return false;
  const auto [low, high] = std::minmax_element(AKeys.begin(), AKeys.end());
  if (static_cast<long long>(*high) - static_cast<long long>(*low) > 0xFFFFFFFFLL) return false;
  const long long base = *low;
  APacked.resize(AKeys.size());
  for (size_t i = 0; i < AKeys.size(); ++i)
    APacked[i] = (static_cast<std::uint64_t>(static_cast<long long>(AKeys[i]) - base) << 32) | i;
  return true;
}

double bareSortInteger(Records& d, Result& out) {
  std::vector<int> rows;
  const double s = secondsOf([&] {
    std::vector<int> keys(d.id);  // the extracted column
    std::vector<std::uint64_t> packed;
    if (barePackIntegerKeys(keys, packed)) {
      std::sort(packed.begin(), packed.end());
      rows.resize(packed.size());
      for (size_t i = 0; i < packed.size(); ++i) rows[i] = static_cast<int>(packed[i] & 0xFFFFFFFFu);
      return;
    }
    rows = rowIndexes(d.count);
    std::sort(rows.begin(), rows.end(), [&keys](int a, int b) {
      const int x = keys[static_cast<size_t>(a)], y = keys[static_cast<size_t>(b)];
      return x != y ? x < y : a < b;
    });
  });
  out.assign(rows.begin(), rows.end());
  return s;
}

// How many of the first k items of the merge of a and b come from a, as
// std::merge takes them (a's item first on a tie).
template <class T, class Less>
size_t bareMergeSplit(const T* a, size_t aCount, const T* b, size_t bCount, size_t k, Less& less) {
  size_t low = k > bCount ? k - bCount : 0, high = std::min(k, aCount);
  while (low < high) {
    const size_t i = low + (high - low) / 2;
    if (!less(b[k - i - 1], a[i]))
      low = i + 1;
    else
      high = i;
  }
  return low;
}

// std::sort per chunk on as many threads as the controller's pool uses,
// then the chunks merged pairwise, round by round; each merge is cut into
// pieces of equal output so that every round, the last single merge too,
// keeps all the threads busy.
template <class T, class Less>
void bareParallelSort(std::vector<T>& rows, Less less, int threads) {
  std::vector<size_t> bounds;
  for (int t = 0; t <= threads; ++t) bounds.push_back(rows.size() * static_cast<size_t>(t) / static_cast<size_t>(threads));
  {
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t)
      workers.emplace_back([&, t] { std::sort(rows.begin() + bounds[t], rows.begin() + bounds[t + 1], less); });
    for (std::thread& w : workers) w.join();
  }
  std::vector<T> scratch(rows.size());
  while (bounds.size() > 2) {
    std::vector<size_t> next;
    std::vector<std::thread> workers;
    const size_t pairs = (bounds.size() - 1) / 2;
    const size_t pieces = std::max<size_t>(1, static_cast<size_t>(threads) / pairs);
    for (size_t i = 0; i + 2 < bounds.size(); i += 2) {
      next.push_back(bounds[i]);
      const T* a = rows.data() + bounds[i];
      const T* b = rows.data() + bounds[i + 1];
      const size_t aCount = bounds[i + 1] - bounds[i], bCount = bounds[i + 2] - bounds[i + 1];
      size_t previousK = 0, previousI = 0;
      for (size_t piece = 1; piece <= pieces; ++piece) {
        const size_t k = (aCount + bCount) * piece / pieces;
        const size_t split = piece == pieces ? aCount : bareMergeSplit(a, aCount, b, bCount, k, less);
        T* target = scratch.data() + bounds[i] + previousK;
        workers.emplace_back([=, &less] {
          std::merge(a + previousI, a + split, b + (previousK - previousI), b + (k - split), target, less);
        });
        previousK = k;
        previousI = split;
      }
    }
    if ((bounds.size() - 1) % 2 == 1) {
      std::copy(rows.begin() + bounds[bounds.size() - 2], rows.end(), scratch.begin() + bounds[bounds.size() - 2]);
      next.push_back(bounds[bounds.size() - 2]);
    }
    next.push_back(rows.size());
    for (std::thread& w : workers) w.join();
    rows.swap(scratch);
    bounds = std::move(next);
  }
}

double bareSortIntegerPool(Records& d, Result& out) {
  const int threads = poolThreads();
  std::vector<int> rows;
  const double s = secondsOf([&] {
    std::vector<int> keys(d.id);
    std::vector<std::uint64_t> packed;
    if (barePackIntegerKeys(keys, packed)) {
      bareParallelSort(packed, std::less<std::uint64_t>(), threads);
      rows.resize(packed.size());
      for (size_t i = 0; i < packed.size(); ++i) rows[i] = static_cast<int>(packed[i] & 0xFFFFFFFFu);
      return;
    }
    rows = rowIndexes(d.count);
    bareParallelSort(
        rows,
        [&keys](int a, int b) {
          const int x = keys[static_cast<size_t>(a)], y = keys[static_cast<size_t>(b)];
          return x != y ? x < y : a < b;
        },
        threads);
  });
  out.assign(rows.begin(), rows.end());
  return s;
}

double bareSortOrdinal(Records& d, Result& out) {
  return bareIndexSort(
      d.count,
      [&d](int a, int b) {
        const int r = rtl::CompareStr(d.name[static_cast<size_t>(a)], d.name[static_cast<size_t>(b)]);
        return r != 0 ? r < 0 : a < b;
      },
      out);
}

// (8-byte case-folded prefix, row) pairs, ties by AnsiCompareText; building
// the pairs is timed.
double bareSortCaseInsensitive(Records& d, Result& out) {
  std::vector<std::pair<std::uint64_t, int>> pairs;
  const double s = secondsOf([&] {
    pairs.resize(static_cast<size_t>(d.count));
    for (int r = 0; r < d.count; ++r) {
      const String& text = d.name[static_cast<size_t>(r)];
      std::uint64_t prefix = 0;
      for (size_t i = 0; i < 8; ++i) {
        char16_t c = i < text.size() ? text[i] : 0;
        if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c + 32);
        prefix = (prefix << 8) | (c & 0xFF);
      }
      pairs[static_cast<size_t>(r)] = {prefix, r};
    }
    std::sort(pairs.begin(), pairs.end(), [&d](const auto& a, const auto& b) {
      if (a.first != b.first) return a.first < b.first;
      const int r = rtl::AnsiCompareText(d.name[static_cast<size_t>(a.second)], d.name[static_cast<size_t>(b.second)]);
      return r != 0 ? r < 0 : a.second < b.second;
    });
  });
  out.resize(pairs.size());
  for (size_t i = 0; i < pairs.size(); ++i) out[i] = pairs[i].second;
  return s;
}

double controllerSortInteger(Records& d, Result& out) { return controllerSort(d, kId, false, false, out); }
double controllerSortIntegerPool(Records& d, Result& out) { return controllerSort(d, kId, true, false, out); }
double controllerSortOrdinal(Records& d, Result& out) { return controllerSort(d, kName, false, false, out); }
double controllerSortCaseInsensitive(Records& d, Result& out) { return controllerSort(d, kName, false, true, out); }

// --- filters --------------------------------------------------------------------------------
// Rows whose text contains the folded needle, ASCII case ignored (the
// names and cities are ASCII letters): folded on the fly, nothing copied.
bool containsFolded(const String& text, std::u16string_view needle, String& /*buffer*/) {
  const size_t n = text.size(), m = needle.size();
  if (m > n) return false;
  if (m == 0) return true;
  // The first letter is looked for in both cases before anything is folded.
  const char16_t first = needle[0];
  const char16_t firstUpper = first >= u'a' && first <= u'z' ? static_cast<char16_t>(first - 32) : first;
  for (size_t i = 0; i + m <= n; ++i) {
    if (text[i] != first && text[i] != firstUpper) continue;
    size_t k = 1;
    while (k < m) {
      char16_t c = text[i + k];
      if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c + 32);
      if (c != needle[k]) break;
      ++k;
    }
    if (k == m) return true;
  }
  return false;
}

template <class Test>
double bareFilter(Records& d, bool pool, Test test, Result& out) {
  std::vector<int> rows;
  const double s = secondsOf([&] {
    if (!pool) {
      String buffer;
      for (int r = 0; r < d.count; ++r)
        if (test(r, buffer)) rows.push_back(r);
      return;
    }
    const int threads = poolThreads();
    std::vector<std::vector<int>> parts(static_cast<size_t>(threads));
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t)
      workers.emplace_back([&, t] {
        String buffer;
        const int begin = static_cast<int>(static_cast<long long>(d.count) * t / threads);
        const int end = static_cast<int>(static_cast<long long>(d.count) * (t + 1) / threads);
        for (int r = begin; r < end; ++r)
          if (test(r, buffer)) parts[static_cast<size_t>(t)].push_back(r);
      });
    for (std::thread& w : workers) w.join();
    for (const auto& part : parts) rows.insert(rows.end(), part.begin(), part.end());
  });
  out.assign(rows.begin(), rows.end());
  return s;
}

auto nameContainsAb(Records& d) {
  return [&d](int r, String& buffer) { return containsFolded(d.name[static_cast<size_t>(r)], u"ab", buffer); };
}
auto nameOrCityContainsAnn(Records& d) {
  return [&d](int r, String& buffer) {
    return containsFolded(d.name[static_cast<size_t>(r)], u"ann", buffer) ||
           containsFolded(d.city[static_cast<size_t>(r)], u"ann", buffer);
  };
}

double bareContains(Records& d, Result& out) { return bareFilter(d, false, nameContainsAb(d), out); }
double bareContainsPool(Records& d, Result& out) { return bareFilter(d, true, nameContainsAb(d), out); }
double bareFindPanel(Records& d, Result& out) { return bareFilter(d, false, nameOrCityContainsAnn(d), out); }
double bareFindPanelPool(Records& d, Result& out) { return bareFilter(d, true, nameOrCityContainsAnn(d), out); }

// The record list's view of a criteria, as the controller hands its own
// filter and its find panel to the list.
class CriteriaFilter : public data::TcxRecordListFilter {
 public:
  explicit CriteriaFilter(data::TcxDataFilterCriteria* ACriteria) : criteria_(ACriteria) {}
  bool IsFiltering() override { return criteria_->IsFiltering(); }
  bool SupportsMultiThreading() override { return criteria_->SupportsMultiThreading(); }
  bool Accepts(int ARecordIndex) override { return criteria_->DoFilterRecord(ARecordIndex); }

 private:
  data::TcxDataFilterCriteria* criteria_;
};

double controllerFilter(Records& d, data::TcxRecordListFilter& filter, bool findPanel, bool threads, Result& out) {
  data::TcxCustomDataControllerInfo& info = d.info();
  info.SetMultiThreadedFiltering(threads);
  const double s = secondsOf([&] {
    if (findPanel)
      info.SetFindFilter(&filter);
    else
      info.SetFilter(&filter);
  });
  flattenList(info, out);
  if (findPanel)
    info.SetFindFilter(nullptr);
  else
    info.SetFilter(nullptr);
  return s;
}

double controllerContainsWith(Records& d, bool threads, Result& out) {
  std::unique_ptr<data::TcxDataFilterCriteria> criteria = d.controller.CreateFilter();
  criteria->SetInternal(true);
  criteria->BeginUpdate();
  criteria->SetOptions(criteria->Options() + data::TcxFilterCriteriaOption::fcoCaseInsensitive);
  criteria->AddItem(criteria->Root(), d.controller.GetItem(kName), data::TcxFilterOperatorKind::foLike,
                    Variant(String(u"%ab%")), u"%ab%");
  criteria->SetActive(true);
  criteria->EndUpdate();
  CriteriaFilter filter(criteria.get());
  return controllerFilter(d, filter, false, threads, out);
}

double controllerFindPanelWith(Records& d, bool threads, Result& out) {
  data::TcxDataFindFilterCriteria* find = d.controller.FindFilterCriteria();
  find->AddItem(kName);
  find->AddItem(kCity);
  find->SetText(u"ann");
  CriteriaFilter filter(find->Filter());
  const double s = controllerFilter(d, filter, true, threads, out);
  find->SetText(String());
  find->ClearItems();
  return s;
}

double controllerContains(Records& d, Result& out) { return controllerContainsWith(d, false, out); }
double controllerContainsPool(Records& d, Result& out) { return controllerContainsWith(d, true, out); }
double controllerFindPanel(Records& d, Result& out) { return controllerFindPanelWith(d, false, out); }
double controllerFindPanelPool(Records& d, Result& out) { return controllerFindPanelWith(d, true, out); }

// --- grouping -------------------------------------------------------------------------------
// By day: each group as its first and last list position, its record count
// and its sum of Amount (scaled).
double bareGroupByDay(Records& d, Result& out) {
  out.clear();
  return secondsOf([&] {
    // The days span a few years: a stable counting sort is the plain floor.
    int lastDay = 0;
    for (int r = 0; r < d.count; ++r) lastDay = std::max(lastDay, d.day[static_cast<size_t>(r)]);
    std::vector<int> starts(static_cast<size_t>(lastDay) + 2, 0);
    for (int r = 0; r < d.count; ++r) ++starts[static_cast<size_t>(d.day[static_cast<size_t>(r)]) + 1];
    for (size_t k = 1; k < starts.size(); ++k) starts[k] += starts[k - 1];
    std::vector<int> rows(static_cast<size_t>(d.count));
    for (int r = 0; r < d.count; ++r) rows[static_cast<size_t>(starts[static_cast<size_t>(d.day[static_cast<size_t>(r)])]++)] = r;
    size_t begin = 0;
    long long sum = 0;
    for (size_t i = 0; i < rows.size(); ++i) {
      sum += d.amount[static_cast<size_t>(rows[i])];
      if (i + 1 == rows.size() || d.day[static_cast<size_t>(rows[i + 1])] != d.day[static_cast<size_t>(rows[i])]) {
        out.insert(out.end(), {static_cast<long long>(begin), static_cast<long long>(i),
                               static_cast<long long>(i - begin + 1), sum});
        begin = i + 1;
        sum = 0;
      }
    }
  });
}

double controllerGroupByDay(Records& d, Result& out) {
  data::TcxCustomDataControllerInfo& info = d.info();
  info.SetMultiThreadedSorting(false);
  data::TcxDataSummary* summary = d.controller.Summary();
  data::TcxDataGroupSummaryItems* items = summary->DefaultGroupSummaryItems();
  items->Clear();
  data::TcxDataSummaryItem* count = items->Add();
  count->SetItemLink(d.controller.GetItem(kAmount));
  count->SetKind(data::skCount);
  data::TcxDataSummaryItem* sum = items->Add();
  sum->SetItemLink(d.controller.GetItem(kAmount));
  sum->SetKind(data::skSum);
  const double s = secondsOf([&] { info.ChangeGrouping(d.field(kWhen), 0); });
  out.clear();
  for (int g = 0; g < info.GetDataGroupCount(); ++g) {
    const data::TcxDataGroupInfo& group = info.GetDataGroup(g);
    const data::TcxDataSummaryValues* values = summary->GetGroupSummaryValues(g);
    long long count = -1, total = -1;
    if (values != nullptr && values->size() >= 2) {
      count = (*values)[0].AsInt64();
      total = (*values)[1].AsCurrency().value;
    }
    out.insert(out.end(), {group.BeginRecordListIndex, group.EndRecordListIndex, count, total});
  }
  info.ChangeGrouping(d.field(kWhen), -1);
  items->Clear();
  return s;
}

// By Code, then City (ordinal): each group as its level and bounds, in the
// order the groups open.
double bareGroupByCodeCity(Records& d, Result& out) {
  out.clear();
  return secondsOf([&] {
    std::vector<int> rows = rowIndexes(d.count);
    std::stable_sort(rows.begin(), rows.end(), [&d](int a, int b) {
      const size_t x = static_cast<size_t>(a), y = static_cast<size_t>(b);
      if (d.code[x] != d.code[y]) return d.code[x] < d.code[y];
      return rtl::CompareStr(d.city[x], d.city[y]) < 0;
    });
    size_t open[2] = {0, 0};
    for (size_t i = 0; i < rows.size(); ++i) {
      const size_t r = static_cast<size_t>(rows[i]);
      if (i == 0 || d.code[r] != d.code[static_cast<size_t>(rows[i - 1])]) {
        open[0] = out.size();
        out.insert(out.end(), {0, static_cast<long long>(i), 0});
        open[1] = out.size();
        out.insert(out.end(), {1, static_cast<long long>(i), 0});
      } else if (d.city[r] != d.city[static_cast<size_t>(rows[i - 1])]) {
        open[1] = out.size();
        out.insert(out.end(), {1, static_cast<long long>(i), 0});
      }
      out[open[0] + 2] = static_cast<long long>(i);
      out[open[1] + 2] = static_cast<long long>(i);
    }
  });
}

double controllerGroupByCodeCity(Records& d, Result& out) {
  data::TcxCustomDataControllerInfo& info = d.info();
  info.SetMultiThreadedSorting(false);
  const double s = secondsOf([&] {
    d.controller.BeginUpdate();
    info.ChangeGrouping(d.field(kCode), 0);
    info.ChangeGrouping(d.field(kCity), 1);
    d.controller.EndUpdate();
  });
  out.clear();
  for (int g = 0; g < info.GetDataGroupCount(); ++g) {
    const data::TcxDataGroupInfo& group = info.GetDataGroup(g);
    out.insert(out.end(), {group.Level, group.BeginRecordListIndex, group.EndRecordListIndex});
  }
  d.controller.BeginUpdate();
  info.ChangeGrouping(d.field(kCity), -1);
  info.ChangeGrouping(d.field(kCode), -1);
  d.controller.EndUpdate();
  return s;
}

// --- registration ---------------------------------------------------------------------------
const Case kCases[] = {
    {"SortInteger", bareSortInteger, controllerSortInteger, false, nullptr},
    {"SortIntegerPool", bareSortIntegerPool, controllerSortIntegerPool, true, "SortInteger"},
    {"SortOrdinal", bareSortOrdinal, controllerSortOrdinal, false, nullptr},
    {"SortCaseInsensitive", bareSortCaseInsensitive, controllerSortCaseInsensitive, false, nullptr},
    {"FilterContains", bareContains, controllerContains, false, nullptr},
    {"FilterContainsPool", bareContainsPool, controllerContainsPool, true, "FilterContains"},
    {"FindPanel", bareFindPanel, controllerFindPanel, false, nullptr},
    {"FindPanelPool", bareFindPanelPool, controllerFindPanelPool, true, "FindPanel"},
    {"GroupByDay", bareGroupByDay, controllerGroupByDay, false, nullptr},
    {"GroupByCodeCity", bareGroupByCodeCity, controllerGroupByCodeCity, false, nullptr},
};

void registerCases() {
  for (const Case& c : kCases) {
    for (const char* side : {"Bare", "Controller"}) {
      const bool bare = side[0] == 'B';
      benchmark::RegisterBenchmark((std::string("BM_") + c.name + "_" + side).c_str(),
                                   [&c, bare](benchmark::State& state) {
                                     if (bare)
                                       runBare(state, c);
                                     else
                                       runController(state, c);
                                   })
          ->Arg(kSmall)
          ->Arg(kLarge)
          ->UseManualTime()
          ->Unit(benchmark::kMillisecond);
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  // The shared workers the record list filters and sorts on in its pool cases.
  core::dxThreadingInitialization();
  registerCases();
  std::vector<bench::RatioPair> pairs;
  for (const Case& c : kCases)
    for (int n : {kSmall, kLarge}) {
      const std::string arg = "/" + std::to_string(n);
      pairs.push_back({std::string(c.name) + arg, std::string("BM_") + c.name + "_Bare" + arg,
                       std::string("BM_") + c.name + "_Controller" + arg});
    }
  return bench::RunWithRatios(argc, argv, pairs);
}
