// FillRect and BitBlt SRCCOPY of a full-HD surface against memset/memcpy of
// the same bytes (the baselines run first).
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "platform/gdi/gdi.h"

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;
constexpr std::size_t kBytes = std::size_t(kWidth) * kHeight * 4;

struct MemoryDC {
  gdi::HDC dc = gdi::CreateCompatibleDC(nullptr);
  gdi::HBITMAP bmp = gdi::CreateBitmap(kWidth, kHeight, 1, 32, nullptr);
  gdi::HGDIOBJ old = gdi::SelectObject(dc, bmp);
  ~MemoryDC() {
    gdi::SelectObject(dc, old);
    gdi::DeleteObject(bmp);
    gdi::DeleteDC(dc);
  }
};

void BM_Baseline_Memset(benchmark::State& state) {
  std::vector<std::uint8_t> buf(kBytes);
  for (auto _ : state) {
    std::memset(buf.data(), 0x5A, kBytes);
    benchmark::DoNotOptimize(buf.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(kBytes));
}

void BM_FillRect(benchmark::State& state) {
  MemoryDC m;
  gdi::HBRUSH brush = gdi::CreateSolidBrush(gdi::RGB(90, 90, 90));
  const gdi::RECT rc{0, 0, kWidth, kHeight};
  for (auto _ : state) {
    gdi::FillRect(m.dc, &rc, brush);
    benchmark::ClobberMemory();
  }
  gdi::DeleteObject(brush);
  state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(kBytes));
}

void BM_Baseline_Memcpy(benchmark::State& state) {
  std::vector<std::uint8_t> a(kBytes, 1), b(kBytes);
  for (auto _ : state) {
    std::memcpy(b.data(), a.data(), kBytes);
    benchmark::DoNotOptimize(b.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(kBytes));
}

void BM_BitBltSrcCopy(benchmark::State& state) {
  MemoryDC src, dst;
  for (auto _ : state) {
    gdi::BitBlt(dst.dc, 0, 0, kWidth, kHeight, src.dc, 0, 0, gdi::SRCCOPY);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(kBytes));
}

void BM_BitBltSrcInvert(benchmark::State& state) {
  MemoryDC src, dst;
  for (auto _ : state) {
    gdi::BitBlt(dst.dc, 0, 0, kWidth, kHeight, src.dc, 0, 0, gdi::SRCINVERT);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(kBytes));
}

}  // namespace

BENCHMARK(BM_Baseline_Memset);
BENCHMARK(BM_FillRect);
BENCHMARK(BM_Baseline_Memcpy);
BENCHMARK(BM_BitBltSrcCopy);
BENCHMARK(BM_BitBltSrcInvert);
