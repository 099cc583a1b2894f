#include "platform/ui/shortcuts.h"

#include "platform/rtl/format.h"

namespace ui {

namespace {

const char16_t* const kShift = u"Shift+";
const char16_t* const kCtrl = u"Ctrl+";
const char16_t* const kAlt = u"Alt+";

rtl::String ascii(const char* text) {
  rtl::String s;
  for (; *text; ++text) s += char16_t(*text);
  return s;
}

// Names of the keys that have no letter, digit or function number.
const char* specialKeyName(unsigned key) {
  switch (key) {
    case 0x08: return "BkSp";
    case 0x09: return "Tab";
    case 0x0D: return "Enter";
    case 0x1B: return "Esc";
    case 0x20: return "Space";
    case 0x21: return "PgUp";
    case 0x22: return "PgDn";
    case 0x23: return "End";
    case 0x24: return "Home";
    case 0x25: return "Left";
    case 0x26: return "Up";
    case 0x27: return "Right";
    case 0x28: return "Down";
    case 0x2D: return "Ins";
    case 0x2E: return "Del";
    // Below: what the keyboard layout calls the keys (US layout).
    case 0x13: return "Pause";
    case 0x14: return "Caps Lock";
    case 0x2C: return "Prnt Scrn";
    case 0x6A: return "Num *";
    case 0x6B: return "Num +";
    case 0x6D: return "Num -";
    case 0x6E: return "Num Del";
    case 0x6F: return "Num /";
    case 0x90: return "Num Lock";
    case 0x91: return "Scroll Lock";
    case 0xBA: return ";";
    case 0xBB: return "=";
    case 0xBC: return ",";
    case 0xBD: return "-";
    case 0xBE: return ".";
    case 0xBF: return "/";
    case 0xC0: return "`";
    case 0xDB: return "[";
    case 0xDC: return "\\";
    case 0xDD: return "]";
    case 0xDE: return "'";
    default: return nullptr;
  }
}

rtl::String keyName(unsigned key) {
  if (key >= 0x30 && key <= 0x39) return rtl::String(1, char16_t(key));
  if (key >= 0x41 && key <= 0x5A) return rtl::String(1, char16_t(key));
  // The platform names the number pad's digits like the main row's.
  if (key >= win::VK_NUMPAD0 && key <= win::VK_NUMPAD9) return rtl::String(1, char16_t(u'0' + key - win::VK_NUMPAD0));
  if (key >= win::VK_F1 && key <= win::VK_F1 + 23) return u"F" + rtl::IntToStr(int(key - win::VK_F1 + 1));
  const char* special = specialKeyName(key);
  return special ? ascii(special) : rtl::String();
}

bool sameTextNoCase(rtl::StringView a, rtl::StringView b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char16_t x = a[i], y = b[i];
    if (x >= u'a' && x <= u'z') x = char16_t(x - 32);
    if (y >= u'a' && y <= u'z') y = char16_t(y - 32);
    if (x != y) return false;
  }
  return true;
}

bool takeFront(rtl::StringView& text, rtl::StringView front) {
  if (text.size() < front.size() || !sameTextNoCase(text.substr(0, front.size()), front)) return false;
  text.remove_prefix(front.size());
  return true;
}

}  // namespace

TShortCut ShortCut(rtl::Word key, TShiftState shift) {
  if (key > 0xFF) return scNone;
  TShortCut result = key;
  if (shift.contains(ssShift)) result |= scShift;
  if (shift.contains(ssCtrl)) result |= scCtrl;
  if (shift.contains(ssAlt)) result |= scAlt;
  return result;
}

void ShortCutToKey(TShortCut shortCut, rtl::Word& key, TShiftState& shift) {
  key = shortCut & 0xFF;
  shift = {};
  if (shortCut & scShift) shift += ssShift;
  if (shortCut & scCtrl) shift += ssCtrl;
  if (shortCut & scAlt) shift += ssAlt;
}

rtl::String ShortCutToText(TShortCut shortCut) {
  const rtl::String name = keyName(shortCut & 0xFF);
  if (name.empty()) return {};
  rtl::String result;
  if (shortCut & scShift) result += kShift;
  if (shortCut & scCtrl) result += kCtrl;
  if (shortCut & scAlt) result += kAlt;
  return result + name;
}

TShortCut TextToShortCut(rtl::StringView text) {
  TShortCut shift = 0;
  for (;;) {
    if (takeFront(text, kShift))
      shift |= scShift;
    else if (takeFront(text, u"^") || takeFront(text, kCtrl))
      shift |= scCtrl;
    else if (takeFront(text, kAlt))
      shift |= scAlt;
    else
      break;
  }
  if (text.empty()) return scNone;
  for (unsigned key = 0x08; key <= 0xFF; ++key) {
    const rtl::String name = keyName(key);
    if (!name.empty() && sameTextNoCase(text, name)) return TShortCut(key | shift);
  }
  return scNone;
}

}  // namespace ui
