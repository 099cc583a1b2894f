// The library's alpha blend of a full-HD picture against a plain
// premultiplied source-over loop, and the compressed bitmap record's round
// trip of an 8 MB bitmap against the plain record's (zlib's deflate of the
// same data is reported for size and time).
#include <benchmark/benchmark.h>
#include <zlib.h>

#include <cstdint>
#include <vector>

#include "bench/ratio_report.h"
#include "lib/core/cxGraphicsBitmaps.h"
#include "lib/core/cxGraphicsColors.h"
#include "platform/rtl/streams.h"

namespace {

constexpr int kBlendW = 1920, kBlendH = 1080;
constexpr int kRecordW = 2048, kRecordH = 1024;  // 8 MB at 32 bits

std::uint32_t* Row(ui::TBitmap& b, int y) { return static_cast<std::uint32_t*>(b.ScanLine(y)); }

// Premultiplied pixels with every alpha, so no shortcut for 0 or 255 pays.
void FillSource(ui::TBitmap& b) {
  for (int y = 0; y < b.Height(); ++y) {
    std::uint32_t* r = Row(b, y);
    for (int x = 0; x < b.Width(); ++x) {
      const std::uint32_t a = std::uint32_t(x + y) & 0xFF;
      r[x] = (a << 24) | ((a * 200 / 255) << 16) | ((a * 100 / 255) << 8) | (a * 50 / 255);
    }
  }
}

void FillDest(ui::TBitmap& b) {
  for (int y = 0; y < b.Height(); ++y) {
    std::uint32_t* r = Row(b, y);
    for (int x = 0; x < b.Width(); ++x) r[x] = 0xFF000000u | (std::uint32_t(x * 31 + y * 17) & 0xFFFFFFu);
  }
}

// What a screen picture looks like: flat areas, frames and a gradient band.
void FillScreenLike(ui::TBitmap& b) {
  for (int y = 0; y < b.Height(); ++y) {
    std::uint32_t* r = Row(b, y);
    for (int x = 0; x < b.Width(); ++x) {
      std::uint32_t v = 0xFFD4D0C8u;
      if (y % 64 < 20) v = 0xFF000000u | std::uint32_t(0x0A246A + (x * 255 / b.Width()));
      if (x % 200 == 0 || y % 64 == 63) v = 0xFF808080u;
      if (y % 64 > 30 && y % 64 < 40 && x % 200 > 10 && x % 200 < 120) v = (x * 13 + y * 7) % 3 ? 0xFF000000u : 0xFFFFFFFFu;
      r[x] = v;
    }
  }
}

struct BlendPictures {
  ui::TBitmap src, dst;
  BlendPictures() {
    src.SetPixelFormat(ui::pf32bit);
    src.SetSize(kBlendW, kBlendH);
    dst.SetPixelFormat(ui::pf32bit);
    dst.SetSize(kBlendW, kBlendH);
    FillSource(src);
    FillDest(dst);
  }
};

void BM_SourceOverLoop(benchmark::State& state) {
  BlendPictures p;
  for (auto _ : state) {
    for (int y = 0; y < kBlendH; ++y) {
      const std::uint32_t* s = Row(p.src, y);
      std::uint32_t* d = Row(p.dst, y);
      for (int x = 0; x < kBlendW; ++x) {
        const std::uint32_t sp = s[x], dp = d[x], inv = 255 - (sp >> 24);
        std::uint32_t out = 0;
        for (int shift = 0; shift < 32; shift += 8) {
          const std::uint32_t c = ((sp >> shift) & 0xFF) + (((dp >> shift) & 0xFF) * inv + 127) / 255;
          out |= (c > 255 ? 255 : c) << shift;
        }
        d[x] = out;
      }
    }
    benchmark::DoNotOptimize(Row(p.dst, 0)[0]);
  }
  state.SetItemsProcessed(std::int64_t(state.iterations()) * kBlendW * kBlendH);
}
BENCHMARK(BM_SourceOverLoop)->Unit(benchmark::kMillisecond);

void BM_cxAlphaBlend(benchmark::State& state) {
  BlendPictures p;
  const ui::TRect r{0, 0, kBlendW, kBlendH};
  for (auto _ : state) core::cxAlphaBlend(&p.dst, &p.src, r, r);
  state.SetItemsProcessed(std::int64_t(state.iterations()) * kBlendW * kBlendH);
}
BENCHMARK(BM_cxAlphaBlend)->Unit(benchmark::kMillisecond);

core::TcxBitmap& RecordPicture() {
  static core::TcxBitmap* b = [] {
    auto* bmp = new core::TcxBitmap(kRecordW, kRecordH, ui::pf32bit);
    FillScreenLike(*bmp);
    return bmp;
  }();
  return *b;
}

void RoundTrip(benchmark::State& state, bool compress) {
  core::TcxBitmap& source = RecordPicture();
  source.SetCompressData(compress);
  rtl::Int64 bytes = 0;
  for (auto _ : state) {
    rtl::TMemoryStream s;
    source.WriteData(&s);
    bytes = s.Size();
    s.SetPosition(0);
    core::TcxBitmap copy;
    copy.ReadData(&s);
    benchmark::DoNotOptimize(copy.Width());
  }
  state.counters["stored_bytes"] = double(bytes);
}

void BM_PlainRecordRoundTrip(benchmark::State& state) { RoundTrip(state, false); }
BENCHMARK(BM_PlainRecordRoundTrip)->Unit(benchmark::kMillisecond);

void BM_XdbmRoundTrip(benchmark::State& state) { RoundTrip(state, true); }
BENCHMARK(BM_XdbmRoundTrip)->Unit(benchmark::kMillisecond);

void BM_ZlibDeflateOfThePlainRecord(benchmark::State& state) {
  rtl::TMemoryStream plain;
  core::TcxBitmap& source = RecordPicture();
  source.SetCompressData(false);
  source.WriteData(&plain);
  std::vector<Bytef> out(compressBound(uLong(plain.Size())));
  uLongf size = 0;
  for (auto _ : state) {
    size = uLongf(out.size());
    compress2(out.data(), &size, static_cast<const Bytef*>(plain.Memory()), uLong(plain.Size()), Z_DEFAULT_COMPRESSION);
    benchmark::DoNotOptimize(out[0]);
  }
  state.counters["stored_bytes"] = double(size);
}
BENCHMARK(BM_ZlibDeflateOfThePlainRecord)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  return bench::RunWithRatios(argc, argv,
                              {{"cxAlphaBlend 1920x1080", "BM_SourceOverLoop", "BM_cxAlphaBlend"},
                               {"XDBM round trip 8 MB", "BM_PlainRecordRoundTrip", "BM_XdbmRoundTrip"},
                               {"zlib deflate vs plain trip", "BM_PlainRecordRoundTrip",
                                "BM_ZlibDeflateOfThePlainRecord"}});
}
