#include "platform/dac/sql_params.h"

#include "platform/rtl/format.h"
#include "platform/rtl/ustring.h"

namespace dac {
namespace {

bool isIdentStart(rtl::Char c) {
  return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || c == u'_' || c >= 0x80;
}
bool isIdentPart(rtl::Char c) { return isIdentStart(c) || (c >= u'0' && c <= u'9') || c == u'$'; }

// Index just past a quoted run that starts at `i` (the opening quote). A
// doubled quote stays inside; with `backslash` a backslash escapes the next
// unit (PostgreSQL E'...'). An unterminated run ends the text.
std::size_t skipQuoted(StringView s, std::size_t i, rtl::Char quote, bool backslash) {
  ++i;
  while (i < s.size()) {
    rtl::Char c = s[i];
    if (backslash && c == u'\\') {
      i += 2;
      continue;
    }
    if (c == quote) {
      if (i + 1 < s.size() && s[i + 1] == quote) {
        i += 2;
        continue;
      }
      return i + 1;
    }
    ++i;
  }
  return s.size();
}

// A dollar-quote tag at `i` ("$$" or "$tag$"): its length, or 0 when the text
// there is not one ($1 is a positional parameter, not a tag).
std::size_t dollarTagLength(StringView s, std::size_t i) {
  std::size_t j = i + 1;
  if (j < s.size() && s[j] == u'$') return 2;
  if (j >= s.size() || !isIdentStart(s[j])) return 0;
  while (j < s.size() && isIdentPart(s[j]) && s[j] != u'$') ++j;
  if (j < s.size() && s[j] == u'$') return j - i + 1;
  return 0;
}

}  // namespace

ParsedSql ParseSqlParams(StringView s) {
  ParsedSql out;
  std::size_t i = 0;
  const std::size_t n = s.size();
  while (i < n) {
    rtl::Char c = s[i];
    if (c == u'\'') {
      bool escapes = i > 0 && (s[i - 1] == u'E' || s[i - 1] == u'e') &&
                     (i < 2 || !isIdentPart(s[i - 2]));
      i = skipQuoted(s, i, u'\'', escapes);
    } else if (c == u'"') {
      i = skipQuoted(s, i, u'"', false);
    } else if (c == u'-' && i + 1 < n && s[i + 1] == u'-') {
      while (i < n && s[i] != u'\n' && s[i] != u'\r') ++i;
    } else if (c == u'/' && i + 1 < n && s[i + 1] == u'*') {
      std::size_t end = s.find(u"*/", i + 2);
      i = end == StringView::npos ? n : end + 2;
    } else if (c == u'$' && (i == 0 || !isIdentPart(s[i - 1]))) {
      std::size_t tagLen = dollarTagLength(s, i);
      if (tagLen == 0) {
        ++i;
        continue;
      }
      StringView tag = s.substr(i, tagLen);
      std::size_t end = s.find(tag, i + tagLen);
      i = end == StringView::npos ? n : end + tagLen;
    } else if (c == u':') {
      if (i + 1 < n && s[i + 1] == u':') {
        i += 2;  // a cast; what follows is a type name
        while (i < n && s[i] == u':') ++i;
        continue;
      }
      if (i + 1 < n && isIdentStart(s[i + 1])) {
        std::size_t j = i + 1;
        while (j < n && isIdentPart(s[j])) ++j;
        String name(s.substr(i + 1, j - i - 1));
        int index = -1;
        for (std::size_t k = 0; k < out.Names.size(); ++k) {
          if (rtl::AnsiSameText(out.Names[k], name)) {
            index = static_cast<int>(k);
            break;
          }
        }
        if (index < 0) {
          index = static_cast<int>(out.Names.size());
          out.Names.push_back(std::move(name));
        }
        out.Refs.push_back(SqlParamRef{i, j - i, index});
        i = j;
      } else {
        ++i;
      }
    } else if (isIdentPart(c)) {
      // Skip a whole word, so a '$' inside an identifier starts no tag.
      while (i < n && isIdentPart(s[i])) ++i;
    } else {
      ++i;
    }
  }
  return out;
}

String RewriteSqlParams(StringView sql, const ParsedSql& parsed, PlaceholderStyle style) {
  String out;
  out.reserve(sql.size() + parsed.Refs.size() * 2);
  std::size_t pos = 0;
  for (const SqlParamRef& ref : parsed.Refs) {
    out.append(sql.substr(pos, ref.Offset - pos));
    out.push_back(style == PlaceholderStyle::DollarNumber ? u'$' : u'?');
    out += rtl::IntToStr(ref.Index + 1);
    pos = ref.Offset + ref.Length;
  }
  out.append(sql.substr(pos));
  return out;
}

}  // namespace dac
