// Run-time layer costs beside the standard library doing the same work.
// Each pair shares a name prefix: <Work>/Baseline and <Work>/Rtl.
#include <benchmark/benchmark.h>

#include <charconv>
#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "platform/rtl/format.h"
#include "platform/rtl/formatsettings.h"
#include "platform/rtl/stringlist.h"
#include "platform/rtl/ustring.h"

namespace {

std::vector<rtl::String> makeKeys(int n) {
  std::vector<rtl::String> keys;
  keys.reserve(n);
  unsigned x = 12345;
  for (int i = 0; i < n; ++i) {
    x = x * 1103515245u + 12345u;
    keys.push_back(rtl::S("key" + std::to_string(x % 1000003)));
  }
  return keys;
}

// A sorted, case-sensitive string list against std::set doing the same inserts.
void SortedInsert_Baseline(benchmark::State& state) {
  const auto keys = makeKeys(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    std::set<rtl::String> set;
    for (const auto& k : keys) set.insert(k);
    benchmark::DoNotOptimize(set.size());
  }
}
void SortedInsert_Rtl(benchmark::State& state) {
  const auto keys = makeKeys(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    rtl::TStringList list;
    list.SetCaseSensitive(true);
    list.SetSorted(true);
    for (const auto& k : keys) list.Add(k);
    benchmark::DoNotOptimize(list.Count());
  }
}
BENCHMARK(SortedInsert_Baseline)->Arg(10000);
BENCHMARK(SortedInsert_Rtl)->Arg(10000);

// FloatToStr (15 significant digits, pt-BR comma) against to_chars + a
// separator swap, the least any such routine has to do.
void FloatToStr_Baseline(benchmark::State& state) {
  double v = 1.0;
  char buf[64];
  for (auto _ : state) {
    v += 0.37;
    auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, 15);
    for (char* p = buf; p != r.ptr; ++p)
      if (*p == '.') *p = ',';
    rtl::String s(buf, r.ptr);
    benchmark::DoNotOptimize(s);
  }
}
void FloatToStr_Rtl(benchmark::State& state) {
  const auto br = rtl::TFormatSettings::Create(rtl::LOCALE_PT_BR);
  double v = 1.0;
  for (auto _ : state) {
    v += 0.37;
    benchmark::DoNotOptimize(rtl::FloatToStr(v, br));
  }
}
BENCHMARK(FloatToStr_Baseline);
BENCHMARK(FloatToStr_Rtl);

// Format with text and numbers against snprintf of the same line in UTF-8.
void Format_Baseline(benchmark::State& state) {
  char buf[128];
  int i = 0;
  for (auto _ : state) {
    int n = std::snprintf(buf, sizeof buf, "Registro %d inserido em %s.", ++i, "vorna_mat.quelora");
    benchmark::DoNotOptimize(std::string(buf, n));
  }
}
void Format_Rtl(benchmark::State& state) {
  int i = 0;
  const rtl::String table = u"vorna_mat.quelora";
  for (auto _ : state) {
    benchmark::DoNotOptimize(rtl::Format(u"Registro %d inserido em %s.", {++i, table}));
  }
}
BENCHMARK(Format_Baseline);
BENCHMARK(Format_Rtl);

}  // namespace
