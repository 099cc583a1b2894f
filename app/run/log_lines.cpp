#include "app/run/log_lines.h"

#include <atomic>
#include <vector>

#include "platform/net/urlencode.h"

namespace integrador {

namespace {

std::atomic<IMainWindow*> mainWindow{nullptr};

}  // namespace

ILogLines::ILogLines() = default;
ILogLines::~ILogLines() = default;

namespace {

// The secret as a JSON string writes it: '"', '\\' and control characters
// escaped, and '/' either way.
std::vector<rtl::String> JsonForms(rtl::StringView secret) {
  static const char16_t kHex[] = u"0123456789abcdef";
  rtl::String plain, slash;
  for (char16_t c : secret) {
    rtl::String escaped;
    switch (c) {
      case u'"': escaped = u"\\\""; break;
      case u'\\': escaped = u"\\\\"; break;
      case u'\n': escaped = u"\\n"; break;
      case u'\r': escaped = u"\\r"; break;
      case u'\t': escaped = u"\\t"; break;
      default:
        if (c < 0x20) {
          escaped = u"\\u00";
          escaped += kHex[c >> 4];
          escaped += kHex[c & 15];
        } else {
          escaped = rtl::String(1, c);
        }
    }
    plain += escaped;
    slash += c == u'/' ? rtl::String(u"\\/") : escaped;
  }
  return {plain, slash};
}

// %xx in lower case, as some servers write it.
rtl::String LowerHex(rtl::String encoded) {
  for (std::size_t i = 0; i + 2 < encoded.size(); ++i) {
    if (encoded[i] != u'%') continue;
    for (std::size_t k = i + 1; k <= i + 2; ++k)
      if (encoded[k] >= u'A' && encoded[k] <= u'F') encoded[k] = static_cast<char16_t>(encoded[k] + 32);
  }
  return encoded;
}

void ReplaceAll(rtl::String& text, const rtl::String& from, rtl::StringView to) {
  if (from.empty()) return;
  for (std::size_t at = text.find(from); at != rtl::String::npos; at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to.data(), to.size());
}

}  // namespace

rtl::String CutValue(rtl::StringView value, std::size_t max) {
  if (value.size() <= max) return rtl::String(value);
  std::size_t cut = max;
  // Never between the halves of a surrogate pair.
  if (cut > 0 && value[cut - 1] >= 0xD800 && value[cut - 1] <= 0xDBFF) --cut;
  return rtl::String(value.substr(0, cut)) + u"…";
}

rtl::String ScrubSecret(rtl::StringView text, rtl::StringView secret) {
  rtl::String line(text);
  // A value of a character or three guards nothing and would garble every
  // line in which those letters occur.
  if (secret.size() >= kMinSecretLength) {
    std::vector<rtl::String> forms = JsonForms(secret);
    const rtl::String encoded = net::URLEncode(secret);
    forms.push_back(encoded);
    forms.push_back(LowerHex(encoded));
    rtl::String percentBlank = encoded;  // a blank as %20 rather than '+'
    ReplaceAll(percentBlank, u"+", u"%20");
    forms.push_back(percentBlank);
    forms.push_back(rtl::String(secret));
    for (const rtl::String& form : forms) ReplaceAll(line, form, u"***");
  }
  return line;
}

rtl::String LogLineText(rtl::StringView message, rtl::StringView secret) {
  rtl::String line = ScrubSecret(message, secret);
  // One message, one line: a break inside it would start a line without the
  // time prefix.
  std::size_t out = 0;
  bool blank = false;
  for (std::size_t i = 0; i < line.size(); ++i) {
    char16_t c = line[i];
    const bool isBreak = c == u'\n' || c == u'\r' || c == u'\t' || c == 0x2028 || c == 0x2029;
    if (isBreak) {
      // The blanks around a break (a server's indentation) fold into one.
      while (out > 0 && line[out - 1] == u' ') --out;
      if (out > 0) line[out++] = u' ';
      blank = true;
      continue;
    }
    if (blank && c == u' ') continue;
    line[out++] = c;
    blank = false;
  }
  line.resize(out);
  if (blank && !line.empty() && line.back() == u' ') line.pop_back();  // a closing break
  return CutValue(line, kMaxLogLineLength);
}

IMainWindow* MainWindow() { return mainWindow.load(); }
void SetMainWindow(IMainWindow* window) { mainWindow.store(window); }

}  // namespace integrador
