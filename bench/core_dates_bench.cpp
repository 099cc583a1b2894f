// Date editor texts: DateTimeToTextEx and TextToDateEx over 100,000 mixed
// values (dates alone and with times, 1900 to 2100) in pt-BR, against the
// run-time FormatDateTime and StrToDateTime on the same values.
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "bench/ratio_report.h"
#include "lib/core/cxFormats.h"
#include "lib/core/cxSmartDate.h"
#include "platform/rtl/datetime.h"
#include "platform/rtl/formatsettings.h"
#include "platform/rtl/locale.h"
#include "platform/win/headless.h"

namespace {

constexpr int kValues = 100000;

struct Values {
  std::vector<rtl::TDateTime> dates;
  std::vector<rtl::String> editTexts;     // DateTimeToTextEx's
  std::vector<rtl::String> runtimeTexts;  // FormatDateTime's

  Values() {
    static win::headless::HeadlessScope screen;  // the controller's window
    rtl::SetThreadLocale(rtl::LOCALE_PT_BR);
    rtl::SetFormatSettings(rtl::LocaleFormatSettings(rtl::LOCALE_PT_BR));
    std::mt19937 random(17);
    std::uniform_int_distribution<int> day(0, 73000);  // 1900 .. 2099
    std::uniform_int_distribution<int> second(0, 86399);
    for (int k = 0; k < kValues; ++k) {
      rtl::TDateTime value = day(random);
      // Half of the values carry a time of day, in whole seconds.
      if (k % 2) value += second(random) / 86400.0;
      dates.push_back(value);
      editTexts.push_back(core::DateTimeToTextEx(value, false, k % 2 != 0, true));
      runtimeTexts.push_back(rtl::FormatDateTime(k % 2 ? u"c" : u"ddddd", value));
    }
  }
};

const Values& values() {
  static const Values v;
  return v;
}

void BM_FormatDateTime(benchmark::State& state) {
  const Values& v = values();
  for (auto _ : state) {
    for (int k = 0; k < kValues; ++k) {
      benchmark::DoNotOptimize(rtl::FormatDateTime(k % 2 ? u"c" : u"ddddd", v.dates[k]));
    }
  }
  state.SetItemsProcessed(state.iterations() * kValues);
}
BENCHMARK(BM_FormatDateTime)->Unit(benchmark::kMillisecond);

void BM_DateTimeToTextEx(benchmark::State& state) {
  const Values& v = values();
  for (auto _ : state) {
    for (int k = 0; k < kValues; ++k) {
      benchmark::DoNotOptimize(core::DateTimeToTextEx(v.dates[k], false, k % 2 != 0, true));
    }
  }
  state.SetItemsProcessed(state.iterations() * kValues);
}
BENCHMARK(BM_DateTimeToTextEx)->Unit(benchmark::kMillisecond);

void BM_StrToDateTime(benchmark::State& state) {
  const Values& v = values();
  for (auto _ : state) {
    for (const rtl::String& text : v.runtimeTexts) benchmark::DoNotOptimize(rtl::StrToDateTime(text));
  }
  state.SetItemsProcessed(state.iterations() * kValues);
}
BENCHMARK(BM_StrToDateTime)->Unit(benchmark::kMillisecond);

void BM_TextToDateEx(benchmark::State& state) {
  const Values& v = values();
  for (auto _ : state) {
    for (const rtl::String& text : v.editTexts) {
      rtl::TDateTime date = 0;
      benchmark::DoNotOptimize(core::TextToDateEx(text, date));
    }
  }
  state.SetItemsProcessed(state.iterations() * kValues);
}
BENCHMARK(BM_TextToDateEx)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  return bench::RunWithRatios(argc, argv,
                              {{"DateTimeToTextEx vs Format", "BM_FormatDateTime", "BM_DateTimeToTextEx"},
                               {"TextToDateEx vs StrToDateTime", "BM_StrToDateTime", "BM_TextToDateEx"}});
}
