// FillRect, PatBlt PATCOPY and BitBlt SRCCOPY of a full-HD surface against
// memset/memcpy of the same bytes, and DrawTextW of a cell grid against pango (the baselines
// run first).
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

void BM_PatBltPatCopy(benchmark::State& state) {
  MemoryDC m;
  gdi::HBRUSH brush = gdi::CreateSolidBrush(gdi::RGB(90, 120, 150));
  gdi::HGDIOBJ old = gdi::SelectObject(m.dc, brush);
  for (auto _ : state) {
    gdi::PatBlt(m.dc, 0, 0, kWidth, kHeight, gdi::PATCOPY);
    benchmark::ClobberMemory();
  }
  gdi::SelectObject(m.dc, old);
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
BENCHMARK(BM_PatBltPatCopy);
BENCHMARK(BM_Baseline_Memcpy);
BENCHMARK(BM_BitBltSrcCopy);
BENCHMARK(BM_BitBltSrcInvert);

// ---- text -----------------------------------------------------------------------------------
// DrawTextW of a 40 x 12 grid of short cell texts against pango laying out
// and showing the same strings in the same face (Tahoma, through the
// program's own font configuration) directly on a cairo surface (the
// baseline; its label names the family it laid out).
#include <cairo.h>
#include <fontconfig/fontconfig.h>
#include <pango/pangocairo.h>
#include <pango/pangofc-fontmap.h>

#include "bench/program_font_config.h"

#include <string>
#include <string_view>

#include "platform/rtl/resources.h"

namespace {

constexpr int kCols = 40, kRows = 12, kCellW = 48, kCellH = 18;


// The family a description resolves to in a context.
std::string familyOf(PangoContext* context, const PangoFontDescription* desc) {
  PangoFont* font = pango_context_load_font(context, desc);
  if (!font) return "no font";
  PangoFontDescription* found = pango_font_describe(font);
  std::string family = pango_font_description_get_family(found) ? pango_font_description_get_family(found) : "";
  pango_font_description_free(found);
  g_object_unref(font);
  return family;
}

std::vector<std::u16string> cellTexts() {
  std::vector<std::u16string> out;
  const char16_t* words[] = {u"Item", u"12,50", u"Total", u"Ação", u"R$ 9", u"OK", u"Pedido", u"Nº 42"};
  for (int i = 0; i < kCols * kRows; ++i) out.push_back(std::u16string(words[i % 8]) + char16_t(u'0' + i % 10));
  return out;
}

void BM_Baseline_PangoGrid(benchmark::State& state) {
  const auto texts = cellTexts();
  std::vector<std::string> utf8(texts.size());
  for (std::size_t i = 0; i < texts.size(); ++i) {
    std::string s;
    for (char16_t c : texts[i]) {
      if (c < 0x80) s += char(c);
      else if (c < 0x800) { s += char(0xC0 | (c >> 6)); s += char(0x80 | (c & 0x3F)); }
      else { s += char(0xE0 | (c >> 12)); s += char(0x80 | ((c >> 6) & 0x3F)); s += char(0x80 | (c & 0x3F)); }
    }
    utf8[i] = s;
  }
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, kCols * kCellW, kRows * kCellH);
  cairo_t* cr = cairo_create(surface);
  // The faces the measured side finds: the program's own font
  // configuration, where the system's would give another family for Tahoma.
  FcConfig* config = bench::ProgramFontConfig();
  if (!config) {
    state.SkipWithError("the program's font configuration does not load");
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
    return;
  }
  PangoFontMap* map = pango_cairo_font_map_new_for_font_type(CAIRO_FONT_TYPE_FT);
  pango_fc_font_map_set_config(PANGO_FC_FONT_MAP(map), config);
  pango_cairo_font_map_set_resolution(PANGO_CAIRO_FONT_MAP(map), 96.0);
  PangoContext* context = pango_font_map_create_context(map);
  // Rendered as the measured side renders: grey coverage, full hinting,
  // whole-pixel glyph positions.
  cairo_font_options_t* options = cairo_font_options_create();
  cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
  cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_FULL);
  cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_ON);
  pango_cairo_context_set_font_options(context, options);
  cairo_font_options_destroy(options);
  pango_context_set_round_glyph_positions(context, TRUE);
  PangoLayout* layout = pango_layout_new(context);
  PangoFontDescription* desc = pango_font_description_from_string("Tahoma");
  pango_font_description_set_absolute_size(desc, 11 * PANGO_SCALE);
  pango_layout_set_font_description(layout, desc);
  const std::string family = familyOf(context, desc);
  if (family != "Tahoma") {
    state.SkipWithError(("the baseline would lay out " + family + ", not Tahoma").c_str());
  }
  cairo_set_source_rgb(cr, 0, 0, 0);
  for (auto _ : state) {
    for (int i = 0; i < kCols * kRows; ++i) {
      pango_layout_set_text(layout, utf8[std::size_t(i)].data(), int(utf8[std::size_t(i)].size()));
      cairo_move_to(cr, (i % kCols) * kCellW + 2, (i / kCols) * kCellH + 2);
      pango_cairo_show_layout(cr, layout);
    }
    cairo_surface_flush(surface);
  }
  state.SetItemsProcessed(std::int64_t(state.iterations()) * kCols * kRows);
  state.SetLabel(family);
  pango_font_description_free(desc);
  g_object_unref(layout);
  g_object_unref(context);
  g_object_unref(map);
  FcConfigDestroy(config);
  cairo_destroy(cr);
  cairo_surface_destroy(surface);
}

void BM_DrawTextGrid(benchmark::State& state) {
  const auto texts = cellTexts();
  gdi::HDC dc = gdi::CreateCompatibleDC(nullptr);
  gdi::HBITMAP bmp = gdi::CreateBitmap(kCols * kCellW, kRows * kCellH, 1, 32, nullptr);
  gdi::HGDIOBJ old = gdi::SelectObject(dc, bmp);
  gdi::LOGFONTW lf;
  lf.lfHeight = -11;
  const char16_t face[] = u"Tahoma";
  for (int i = 0; face[i]; ++i) lf.lfFaceName[i] = face[i];
  gdi::HFONT font = gdi::CreateFontIndirectW(&lf);
  gdi::SelectObject(dc, font);
  gdi::SetBkMode(dc, gdi::TRANSPARENT);
  for (auto _ : state) {
    for (int i = 0; i < kCols * kRows; ++i) {
      gdi::RECT r{(i % kCols) * kCellW, (i / kCols) * kCellH, (i % kCols + 1) * kCellW, (i / kCols + 1) * kCellH};
      gdi::DrawTextW(dc, texts[std::size_t(i)].data(), int(texts[std::size_t(i)].size()), &r,
                     gdi::DT_SINGLELINE | gdi::DT_VCENTER | gdi::DT_END_ELLIPSIS | gdi::DT_NOPREFIX);
    }
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(std::int64_t(state.iterations()) * kCols * kRows);
  gdi::SelectObject(dc, old);
  gdi::DeleteObject(font);
  gdi::DeleteObject(bmp);
  gdi::DeleteDC(dc);
}

}  // namespace

BENCHMARK(BM_Baseline_PangoGrid);
BENCHMARK(BM_DrawTextGrid);
