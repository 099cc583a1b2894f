// Random UTF-16 (lone surrogates, CR/LF mixes, tabs, far-east punctuation)
// through the text engine's row breaking, measuring and drawing: rows must
// lie inside the text, in order, without overlapping, and every call must end.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "lib/core/cxTextOut.h"
#include "platform/gdi/gdi.h"

namespace {

struct Surface {
  gdi::HDC dc = gdi::CreateCompatibleDC(nullptr);
  gdi::HBITMAP bmp = gdi::CreateBitmap(64, 48, 1, 32, nullptr);
  gdi::HFONT font = nullptr;
  Surface() {
    gdi::SelectObject(dc, bmp);
    gdi::LOGFONTW lf;
    lf.lfHeight = -11;
    const char16_t face[] = u"Tahoma";
    for (int i = 0; face[i]; ++i) lf.lfFaceName[i] = face[i];
    font = gdi::CreateFontIndirectW(&lf);
    gdi::SelectObject(dc, font);
  }
};

constexpr std::size_t kMaxUnits = 1024;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static Surface s;
  if (size < 6) return 0;
  // Bytes 0-3: engine flags (the prefix-hiding bit included); 4: width; 5: height.
  unsigned format = unsigned(data[0]) | (unsigned(data[1]) << 8) | (unsigned(data[2]) << 16) |
                    (unsigned(data[3] & 0x03) << 24);
  format &= ~(core::CXTO_CALCRECT | core::CXTO_CALCROWCOUNT);
  const int width = data[4] % 80, height = data[5] % 60;
  std::u16string text;
  for (std::size_t i = 6; i + 1 < size && text.size() < kMaxUnits; i += 2)
    text += char16_t(data[i] | (data[i + 1] << 8));

  core::TcxTextParams params = core::cxCalcTextParams(s.dc, format);
  core::TcxTextRows rows;
  int count = 0;
  const core::TRect r{0, 0, width, height};
  core::cxMakeTextRows(s.dc, text.data(), int(text.size()), r, params, rows, count);
  if (count < 0 || std::size_t(count) > text.size() + 1) std::abort();
  int end = 0;
  for (int i = 0; i < count; ++i) {
    const core::TcxTextRow& row = core::cxGetTextRow(rows, i);
    if (row.StartOffset < end || row.TextLength < 0) std::abort();
    if (std::size_t(row.StartOffset) + std::size_t(row.TextLength) > text.size()) std::abort();
    if (row.Text != text.data() + row.StartOffset) std::abort();
    end = row.StartOffset + row.TextLength;
  }
  core::cxPlaceTextRows(s.dc, r, params, rows, count);

  core::TRect calc = r;
  core::cxTextOut(s.dc, text, calc, format | core::CXTO_CALCRECT, 0, 0, nullptr, ui::clDefault, ui::clDefault);
  core::TRect counted = r;
  const int n = core::cxTextOut(s.dc, text, counted, format | core::CXTO_CALCROWCOUNT, 0, 0, nullptr, ui::clDefault,
                                ui::clDefault);
  if (n < 0) std::abort();
  core::TRect drawn = r;
  core::cxTextOut(s.dc, text, drawn, format, data[4] % 16, data[5] % 16, nullptr, ui::clHighlight,
                  ui::clHighlightText, 0, data[0] % 4, data[1] % 4);
  return 0;
}
