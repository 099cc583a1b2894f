#include "lib/core/cxTextOutWritingDirection.h"

#include "platform/gdi/objects.h"

namespace core {

namespace {
constexpr ui::TFontCharset kGb2312Charset = 134;
constexpr ui::TFontCharset kChineseBig5Charset = 136;
constexpr ui::TFontCharset kArabicCharset = 178;
}  // namespace

bool cxGetWritingDirection(ui::TFontCharset ACharset, const rtl::String& AText) {
  // The system charset of a 1252 installation is the ANSI one.
  const ui::TFontCharset charset = ACharset == gdi::DEFAULT_CHARSET ? gdi::ANSI_CHARSET : ACharset;
  if (AText.empty() || AText[0] < 128) return false;
  return charset == kGb2312Charset || charset == kChineseBig5Charset || charset == kArabicCharset;
}

}  // namespace core
