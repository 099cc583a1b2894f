// The library's text and glyph output against their floors in the same run:
// - cxTextOut wrapping a 10,000-word paragraph into 300 px against pango
//   wrapping the same text in the same face (reported);
// - 10,000 one-line cell texts with an end ellipsis through TcxCanvas.DrawText
//   against DrawTextW (target: within 1.3x);
// - cxDrawImage of 10,000 16 x 16 glyphs against AlphaBlend of the same glyph
//   (target: within 1.5x; the other draw modes reported).
#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "lib/core/cxCanvasText.h"
#include "lib/core/cxGraphics.h"
#include "lib/core/cxImageDraw.h"
#include "lib/core/cxTextOut.h"
#include "platform/gdi/gdi.h"
#include "platform/rtl/resources.h"
#include "platform/rtl/ustring.h"
#include "platform/ui/bitmap.h"

// After the platform's headers: glib defines TRUE and FALSE as macros.
#include <cairo.h>
#include <fontconfig/fontconfig.h>
#include <pango/pangocairo.h>
#include <pango/pangofc-fontmap.h>

#include "bench/program_font_config.h"

namespace {

constexpr int kWords = 10000;
constexpr int kWrapWidth = 300;
constexpr int kCells = 10000;
constexpr int kGlyphs = 10000;

std::u16string paragraph() {
  const char16_t* words[] = {u"integração", u"de", u"combustível", u"pedido", u"a",     u"requisição",
                             u"posto",      u"em", u"abastecimento", u"o",    u"placa", u"material"};
  std::u16string s;
  for (int i = 0; i < kWords; ++i) {
    if (i) s += u' ';
    s += words[i % 12];
  }
  return s;
}

// A memory DC over a 32-bit bitmap with Tahoma 8 points.
struct Surface {
  gdi::HDC dc = gdi::CreateCompatibleDC(nullptr);
  gdi::HBITMAP bmp;
  gdi::HFONT font;
  gdi::HGDIOBJ oldBmp, oldFont;
  Surface(int w, int h) {
    bmp = gdi::CreateBitmap(w, h, 1, 32, nullptr);
    oldBmp = gdi::SelectObject(dc, bmp);
    gdi::LOGFONTW lf;
    lf.lfHeight = -11;
    const char16_t face[] = u"Tahoma";
    for (int i = 0; face[i]; ++i) lf.lfFaceName[i] = face[i];
    font = gdi::CreateFontIndirectW(&lf);
    oldFont = gdi::SelectObject(dc, font);
  }
  ~Surface() {
    gdi::SelectObject(dc, oldFont);
    gdi::SelectObject(dc, oldBmp);
    gdi::DeleteObject(font);
    gdi::DeleteObject(bmp);
    gdi::DeleteDC(dc);
  }
};

// ---- wrapping ---------------------------------------------------------------------------------


void BM_Baseline_PangoWrap(benchmark::State& state) {
  const std::string text = rtl::StringToUtf8(paragraph());
  FcConfig* config = bench::ProgramFontConfig();
  if (!config) {
    state.SkipWithError("the program's font configuration does not load");
    return;
  }
  PangoFontMap* map = pango_cairo_font_map_new_for_font_type(CAIRO_FONT_TYPE_FT);
  pango_fc_font_map_set_config(PANGO_FC_FONT_MAP(map), config);
  pango_cairo_font_map_set_resolution(PANGO_CAIRO_FONT_MAP(map), 96.0);
  PangoContext* context = pango_font_map_create_context(map);
  pango_context_set_round_glyph_positions(context, TRUE);
  PangoFontDescription* desc = pango_font_description_from_string("Tahoma");
  pango_font_description_set_absolute_size(desc, 11 * PANGO_SCALE);
  int lines = 0;
  for (auto _ : state) {
    PangoLayout* layout = pango_layout_new(context);
    pango_layout_set_font_description(layout, desc);
    pango_layout_set_width(layout, kWrapWidth * PANGO_SCALE);
    pango_layout_set_wrap(layout, PANGO_WRAP_WORD);
    pango_layout_set_text(layout, text.data(), int(text.size()));
    lines = pango_layout_get_line_count(layout);
    benchmark::DoNotOptimize(lines);
    g_object_unref(layout);
  }
  state.counters["rows"] = lines;
  pango_font_description_free(desc);
  g_object_unref(context);
  g_object_unref(map);
  FcConfigDestroy(config);
}

void BM_TextOutWrap(benchmark::State& state) {
  const std::u16string text = paragraph();
  Surface s(kWrapWidth, 20);
  int rows = 0;
  for (auto _ : state) {
    core::TRect r{0, 0, kWrapWidth, 0};
    rows = core::cxTextOut(s.dc, text, r, core::CXTO_WORDBREAK | core::CXTO_CALCROWCOUNT, 0, 0, nullptr,
                           ui::clDefault, ui::clDefault);
    benchmark::DoNotOptimize(rows);
  }
  state.counters["rows"] = rows;
}

// ---- cells ---------------------------------------------------------------------------------------

constexpr int kCellW = 48, kCellH = 18, kCols = 40;

std::vector<std::u16string> cellTexts() {
  const char16_t* words[] = {u"Item", u"12,50", u"Total geral", u"Ação", u"R$ 9.999,00", u"OK", u"Pedido", u"Nº 42"};
  std::vector<std::u16string> out;
  for (int i = 0; i < kCells; ++i) out.push_back(std::u16string(words[i % 8]) + char16_t(u'0' + i % 10));
  return out;
}

gdi::RECT cellRect(int i) {
  const int row = (i / kCols) % 40, col = i % kCols;
  return gdi::RECT{col * kCellW, row * kCellH, (col + 1) * kCellW, (row + 1) * kCellH};
}

void BM_Baseline_DrawTextCells(benchmark::State& state) {
  const auto texts = cellTexts();
  Surface s(kCols * kCellW, 40 * kCellH);
  gdi::SetBkMode(s.dc, gdi::TRANSPARENT);
  for (auto _ : state) {
    for (int i = 0; i < kCells; ++i) {
      gdi::RECT r = cellRect(i);
      gdi::DrawTextW(s.dc, texts[std::size_t(i)].data(), int(texts[std::size_t(i)].size()), &r,
                     gdi::DT_SINGLELINE | gdi::DT_VCENTER | gdi::DT_END_ELLIPSIS | gdi::DT_NOPREFIX);
    }
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(std::int64_t(state.iterations()) * kCells);
}

void BM_CanvasDrawTextCells(benchmark::State& state) {
  const auto texts = cellTexts();
  ui::TBitmap bitmap(kCols * kCellW, 40 * kCellH);
  bitmap.SetPixelFormat(ui::pf32bit);
  core::TcxCanvas canvas(bitmap.Canvas());
  canvas.Font()->SetName(u"Tahoma");
  canvas.Font()->SetHeight(-11);
  canvas.Brush()->SetStyle(ui::bsClear);
  for (auto _ : state) {
    for (int i = 0; i < kCells; ++i)
      canvas.DrawText(texts[std::size_t(i)], cellRect(i),
                      core::cxSingleLine | core::cxAlignVCenter | core::cxShowEndEllipsis);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(std::int64_t(state.iterations()) * kCells);
}

// ---- glyphs --------------------------------------------------------------------------------------

std::unique_ptr<ui::TBitmap> alphaGlyph() {
  gdi::ImageBGRA img(16, 16, 0);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) {
      const int d2 = (2 * x - 15) * (2 * x - 15) + (2 * y - 15) * (2 * y - 15);
      const unsigned a = d2 < 120 ? 255 : d2 < 225 ? 128 : 0;
      img.at(x, y) = (a << 24) | ((a * 160 / 255) << 8);
    }
  auto bmp = std::make_unique<ui::TBitmap>();
  bmp->SetPixelFormat(ui::pf32bit);
  bmp->AssignImage(img, true);
  return bmp;
}

gdi::RECT glyphRect(int i) {
  const int col = i % 50, row = (i / 50) % 20;
  return gdi::RECT{col * 16, row * 16, col * 16 + 16, row * 16 + 16};
}

void BM_Baseline_AlphaBlendGlyphs(benchmark::State& state) {
  auto glyph = alphaGlyph();
  Surface s(800, 320);
  const gdi::HDC src = glyph->Canvas()->Handle();
  gdi::BLENDFUNCTION blend;
  blend.AlphaFormat = gdi::AC_SRC_ALPHA;
  for (auto _ : state) {
    for (int i = 0; i < kGlyphs; ++i) {
      const gdi::RECT r = glyphRect(i);
      gdi::AlphaBlend(s.dc, r.left, r.top, 16, 16, src, 0, 0, 16, 16, blend);
    }
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(std::int64_t(state.iterations()) * kGlyphs);
}

void BM_DrawImageGlyphs(benchmark::State& state) {
  auto glyph = alphaGlyph();
  Surface s(800, 320);
  const auto mode = core::TcxImageDrawMode(state.range(0));
  for (auto _ : state) {
    for (int i = 0; i < kGlyphs; ++i) {
      const gdi::RECT r = glyphRect(i);
      core::cxDrawImage(s.dc, r, r, glyph.get(), nullptr, -1, mode);
    }
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(std::int64_t(state.iterations()) * kGlyphs);
  const char* names[] = {"normal", "disabled", "faded", "grayscale", "dingy", "shadowed"};
  state.SetLabel(names[state.range(0)]);
}

}  // namespace

BENCHMARK(BM_Baseline_PangoWrap)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TextOutWrap)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Baseline_DrawTextCells)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CanvasDrawTextCells)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Baseline_AlphaBlendGlyphs)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DrawImageGlyphs)->DenseRange(0, 5)->Unit(benchmark::kMillisecond);
