#include "platform/json/json.h"

#include <charconv>
#include <cmath>
#include <nlohmann/json.hpp>

#include "platform/rtl/format.h"
#include "platform/rtl/ustring.h"

namespace json {

using rtl::StringToUtf8;
using rtl::Utf8ToString;

namespace {

// A parser message can quote a whole unterminated string of the body; a log
// line needs only its start.
constexpr std::size_t kMaxMessageBytes = 300;

std::string cutUtf8(std::string text, std::size_t maxBytes) {
  if (text.size() <= maxBytes) return text;
  std::size_t cut = maxBytes;
  while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
  text.resize(cut);
  text += "...";
  return text;
}

bool isHex(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// The code unit of a "\\uXXXX" escape starting at `at` (the backslash), or -1.
int escapedUnit(std::string_view t, std::size_t at) {
  if (at + 6 > t.size() || t[at] != '\\' || t[at + 1] != 'u') return -1;
  int unit = 0;
  for (std::size_t k = at + 2; k < at + 6; ++k) {
    if (!isHex(t[k])) return -1;
    const char c = t[k];
    unit = unit * 16 + (c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10);
  }
  return unit;
}

// The parser refuses a surrogate escape without its other half, which would
// make a whole body unreadable for one bad character. Such an escape stands
// for U+FFFD instead, the replacement character of every text decoder. The
// replacement has the same length, so the parser's positions stay right. Empty when nothing is
// to be replaced (the common case: no copy).
std::string replaceLoneSurrogates(std::string_view t) {
  std::string out;
  bool inString = false;
  for (std::size_t i = 0; i < t.size(); ++i) {
    const char c = t[i];
    if (!inString) {
      inString = c == '"';
      continue;
    }
    if (c == '"') {
      inString = false;
      continue;
    }
    if (c != '\\' || i + 1 >= t.size()) continue;
    const int unit = escapedUnit(t, i);
    if (unit < 0xD800 || unit > 0xDFFF) {
      ++i;  // the escaped character, whatever it is
      continue;
    }
    const bool high = unit <= 0xDBFF;
    const int next = high ? escapedUnit(t, i + 6) : -1;
    if (high && next >= 0xDC00 && next <= 0xDFFF) {
      i += 11;  // a whole pair
      continue;
    }
    if (out.empty()) out.assign(t.data(), t.size());
    out.replace(i, 6, "\\uFFFD");
    i += 5;
  }
  return out;
}

// True for text that follows the JSON number grammar exactly.
bool isJsonNumber(std::string_view s) {
  std::size_t i = 0, n = s.size();
  if (i < n && s[i] == '-') ++i;
  if (i >= n) return false;
  if (s[i] == '0') {
    ++i;
  } else if (s[i] >= '1' && s[i] <= '9') {
    while (i < n && s[i] >= '0' && s[i] <= '9') ++i;
  } else {
    return false;
  }
  if (i < n && s[i] == '.') {
    ++i;
    std::size_t start = i;
    while (i < n && s[i] >= '0' && s[i] <= '9') ++i;
    if (i == start) return false;
  }
  if (i < n && (s[i] == 'e' || s[i] == 'E')) {
    ++i;
    if (i < n && (s[i] == '+' || s[i] == '-')) ++i;
    std::size_t start = i;
    while (i < n && s[i] >= '0' && s[i] <= '9') ++i;
    if (i == start) return false;
  }
  return i == n;
}

bool parseDouble(std::string_view s, double& out) {
  if (s.empty()) return false;
  const char* first = s.data();
  if (*first == '+') return false;
  auto [end, ec] = std::from_chars(first, s.data() + s.size(), out);
  return ec == std::errc() && end == s.data() + s.size() && std::isfinite(out);
}

// Integer value of a number text; texts with a fraction or an exponent count
// when their value is whole and in range.
bool parseInt64(std::string_view s, std::int64_t& out) {
  if (s.empty() || s.front() == '+') return false;
  auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), out);
  if (ec == std::errc() && end == s.data() + s.size()) return true;
  if (ec == std::errc::result_out_of_range) return false;
  double d;
  if (!parseDouble(s, d) || d != std::trunc(d)) return false;
  if (d < -9223372036854775808.0 || d >= 9223372036854775808.0) return false;
  out = static_cast<std::int64_t>(d);
  return true;
}

void writeString(std::string& out, std::string_view s) {
  static const char hex[] = "0123456789ABCDEF";
  out += '"';
  // Runs of characters that need no escape go in whole.
  std::size_t run = 0;
  for (std::size_t i = 0; i < s.size(); ++i) {
    auto c = static_cast<unsigned char>(s[i]);
    if (c >= 0x20 && c != '"' && c != '\\') continue;
    out.append(s, run, i - run);
    run = i + 1;
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\b': out += "\\b"; break;
      case '\f': out += "\\f"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        out += "\\u00";
        out += hex[c >> 4];
        out += hex[c & 15];
    }
  }
  out.append(s, run, s.size() - run);
  out += '"';
}

// Texts of a body are nearly always ASCII: widened unit by unit, anything
// else decoded as UTF-8.
String toString(std::string_view utf8) {
  for (char c : utf8)
    if (static_cast<unsigned char>(c) >= 0x80) return Utf8ToString(utf8);
  return String(utf8.begin(), utf8.end());
}

bool isAscii(StringView name) {
  for (char16_t c : name)
    if (c >= 0x80) return false;
  return true;
}

// Member names are looked up by the element, several per record: an ASCII
// name is compared with the stored UTF-8 one as it stands, without a copy.
bool sameAsciiName(std::string_view utf8, StringView ascii) {
  if (utf8.size() != ascii.size()) return false;
  for (std::size_t i = 0; i < ascii.size(); ++i)
    if (static_cast<unsigned char>(utf8[i]) != ascii[i]) return false;
  return true;
}

}  // namespace

// --- tree building from the SAX events ---------------------------------------

class JsonTreeBuilder {
 public:
  explicit JsonTreeBuilder(const TJSONParseLimits& limits) : limits_(limits) {}

  bool null() { return add(std::make_unique<TJSONNull>()); }
  bool boolean(bool v) {
    if (v) return add(std::make_unique<TJSONTrue>());
    return add(std::make_unique<TJSONFalse>());
  }
  // Integers have one spelling, the decimal of their value; the parser hands
  // negative ones here, so a zero here was written "-0".
  bool number_integer(std::int64_t v) {
    if (v == 0) return addNumber(std::string("-0"));
    char buf[24];
    auto r = std::to_chars(buf, buf + sizeof buf, v);
    return addNumber(std::string(buf, r.ptr));
  }
  bool number_unsigned(std::uint64_t v) {
    char buf[24];
    auto r = std::to_chars(buf, buf + sizeof buf, v);
    return addNumber(std::string(buf, r.ptr));
  }
  bool number_float(double, const std::string& text) { return addNumber(text); }
  bool string(std::string& v) { return add(std::make_unique<TJSONString>(std::move(v))); }
  bool binary(std::vector<std::uint8_t>&) { return fail("binary values are not JSON"); }

  bool start_object(std::size_t) { return open(std::make_unique<TJSONObject>()); }
  bool key(std::string& name) {
    key_ = std::move(name);
    return true;
  }
  bool end_object() { return close(); }
  bool start_array(std::size_t) { return open(std::make_unique<TJSONArray>()); }
  bool end_array() { return close(); }

  bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception& ex) {
    std::string text = ex.what();
    // Drops the library's "[json.exception.parse_error.101] " tag.
    if (!text.empty() && text.front() == '[') {
      auto close = text.find("] ");
      if (close != std::string::npos) text.erase(0, close + 2);
    }
    message_ = cutUtf8(std::move(text), kMaxMessageBytes);
    return false;
  }

  std::unique_ptr<TJSONValue> takeRoot() { return std::move(root_); }
  const std::string& message() const { return message_; }

  bool fail(std::string text) {
    if (message_.empty()) message_ = std::move(text);
    return false;
  }

 private:
  bool count() {
    if (++values_ > limits_.maxValues)
      return fail("too many values (more than " + std::to_string(limits_.maxValues) + ")");
    return true;
  }

  bool addNumber(std::string text) {
    return add(std::unique_ptr<TJSONValue>(new TJSONNumber(TJSONNumber::Raw{}, std::move(text))));
  }

  bool add(std::unique_ptr<TJSONValue> value) {
    if (!count()) return false;
    place(std::move(value));
    return true;
  }

  TJSONValue* place(std::unique_ptr<TJSONValue> value) {
    TJSONValue* raw = value.get();
    if (stack_.empty()) {
      root_ = std::move(value);
    } else if (auto* obj = dynamic_cast<TJSONObject*>(stack_.back())) {
      obj->pairs_.push_back(std::make_unique<TJSONPair>(
          std::make_unique<TJSONString>(std::move(key_)), std::move(value)));
      key_.clear();
    } else {
      static_cast<TJSONArray*>(stack_.back())->items_.push_back(std::move(value));
    }
    return raw;
  }

  bool open(std::unique_ptr<TJSONValue> container) {
    if (!count()) return false;
    if (stack_.size() >= limits_.maxDepth)
      return fail("nesting too deep (more than " + std::to_string(limits_.maxDepth) + " levels)");
    stack_.push_back(place(std::move(container)));
    return true;
  }

  bool close() {
    stack_.pop_back();
    return true;
  }

  const TJSONParseLimits& limits_;
  std::unique_ptr<TJSONValue> root_;
  std::vector<TJSONValue*> stack_;
  std::string key_;
  std::string message_;
  std::size_t values_ = 0;
};

// --- TJSONValue ----------------------------------------------------------------

TJSONValue::~TJSONValue() = default;

String TJSONValue::ToJSON() const {
  std::string utf8;
  utf8.reserve(256);
  write(utf8);
  return toString(utf8);
}

std::string TJSONValue::ToUtf8JSON() const {
  std::string out;
  write(out);
  return out;
}

void TJSONValue::ToUtf8JSON(std::string& out) const { write(out); }

TJSONValue* TJSONValue::FindValue(StringView path) const {
  auto* self = const_cast<TJSONValue*>(this);
  if (path.empty()) return self;
  std::string p = StringToUtf8(path);
  // A member whose name is the whole path wins over reading it as a path.
  if (auto* obj = dynamic_cast<TJSONObject*>(self)) {
    if (TJSONValue* v = obj->GetMemberValue(std::string_view(p))) return v;
  }
  TJSONValue* current = self;
  std::size_t i = 0;
  while (i < p.size()) {
    if (p[i] == '[') {
      std::size_t close = p.find(']', i);
      if (close == std::string::npos) return nullptr;
      std::string_view digits(p.data() + i + 1, close - i - 1);
      std::size_t index = 0;
      auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), index);
      if (digits.empty() || ec != std::errc() || end != digits.data() + digits.size()) return nullptr;
      auto* arr = dynamic_cast<TJSONArray*>(current);
      if (!arr || index >= arr->items_.size()) return nullptr;
      current = arr->items_[index].get();
      i = close + 1;
      if (i < p.size() && p[i] == '.') ++i;
    } else {
      std::size_t stop = p.find_first_of(".[", i);
      if (stop == std::string::npos) stop = p.size();
      auto* obj = dynamic_cast<TJSONObject*>(current);
      if (!obj) return nullptr;
      current = obj->GetMemberValue(std::string_view(p).substr(i, stop - i));
      if (!current) return nullptr;
      i = stop;
      if (i < p.size() && p[i] == '.') ++i;
    }
  }
  return current;
}

std::unique_ptr<TJSONValue> TJSONValue::ParseJSONValue(StringView text) {
  String message;
  return ParseJSONValue(text, message);
}

std::unique_ptr<TJSONValue> TJSONValue::ParseJSONValue(StringView text, String& message,
                                                       const TJSONParseLimits& limits) {
  // A UTF-16 unit needs at most three UTF-8 bytes; refuse before converting.
  if (text.size() > limits.maxTextBytes) {
    message = rtl::S("text too long (more than " + std::to_string(limits.maxTextBytes) + " bytes)");
    return nullptr;
  }
  return ParseJSONValue(std::string_view(StringToUtf8(text)), message, limits);
}

std::unique_ptr<TJSONValue> TJSONValue::ParseJSONValue(std::string_view utf8) {
  String message;
  return ParseJSONValue(utf8, message);
}

std::unique_ptr<TJSONValue> TJSONValue::ParseJSONValue(std::string_view utf8, String& message,
                                                       const TJSONParseLimits& limits) {
  message.clear();
  if (utf8.size() > limits.maxTextBytes) {
    message = rtl::S("text too long (more than " + std::to_string(limits.maxTextBytes) + " bytes)");
    return nullptr;
  }
  const std::string mended = replaceLoneSurrogates(utf8);
  if (!mended.empty()) utf8 = mended;
  JsonTreeBuilder builder(limits);
  bool ok = false;
  try {
    ok = nlohmann::json::sax_parse(utf8.data(), utf8.data() + utf8.size(), &builder);
  } catch (const std::bad_alloc&) {
    throw;
  } catch (const std::exception& e) {
    builder.fail(cutUtf8(e.what(), kMaxMessageBytes));
  }
  std::unique_ptr<TJSONValue> root = builder.takeRoot();
  if (!ok || !root) {
    message = Utf8ToString(builder.message().empty() ? std::string("invalid JSON") : builder.message());
    return nullptr;
  }
  return root;
}

// --- leaves --------------------------------------------------------------------

TJSONString::TJSONString(StringView value) : value_(StringToUtf8(value)) {}
String TJSONString::Value() const { return toString(value_); }
void TJSONString::write(std::string& out) const { writeString(out, value_); }

TJSONNumber::TJSONNumber(std::int64_t value) {
  char buf[24];
  auto r = std::to_chars(buf, buf + sizeof buf, value);
  text_.assign(buf, r.ptr);
}

TJSONNumber::TJSONNumber(double value) {
  if (!std::isfinite(value)) throw EJSONException(u"JSON numbers cannot be infinite or NaN");
  char buf[32];
  auto r = std::to_chars(buf, buf + sizeof buf, value);
  text_.assign(buf, r.ptr);
}

std::unique_ptr<TJSONNumber> TJSONNumber::FromText(std::string_view text) {
  if (!isJsonNumber(text))
    throw EJSONException(rtl::Format(u"'%s' is not a JSON number", {Utf8ToString(text)}));
  return std::unique_ptr<TJSONNumber>(new TJSONNumber(Raw{}, std::string(text)));
}

String TJSONNumber::Value() const { return toString(text_); }
void TJSONNumber::write(std::string& out) const { out += text_; }

int TJSONNumber::AsInt() const {
  int v;
  if (!detail::convert(*this, v)) detail::raiseConversion(*this, "Integer");
  return v;
}

std::int64_t TJSONNumber::AsInt64() const {
  std::int64_t v;
  if (!detail::convert(*this, v)) detail::raiseConversion(*this, "Int64");
  return v;
}

double TJSONNumber::AsDouble() const {
  double v;
  if (!detail::convert(*this, v)) detail::raiseConversion(*this, "Double");
  return v;
}

String TJSONBool::Value() const { return value_ ? u"true" : u"false"; }
void TJSONBool::write(std::string& out) const { out += value_ ? "true" : "false"; }

String TJSONNull::Value() const { return u"null"; }
void TJSONNull::write(std::string& out) const { out += "null"; }

// --- containers ------------------------------------------------------------------

TJSONPair::TJSONPair(std::unique_ptr<TJSONString> name, std::unique_ptr<TJSONValue> value)
    : name_(std::move(name)), value_(std::move(value)) {
  if (!name_ || !value_) throw EJSONException(u"A JSON pair needs a name and a value");
}

void TJSONPair::SetJsonValue(std::unique_ptr<TJSONValue> value) {
  if (!value) throw EJSONException(u"A JSON pair needs a value");
  value_ = std::move(value);
}

TJSONObject::TJSONObject() = default;
TJSONObject::~TJSONObject() = default;

TJSONPair* TJSONObject::Pairs(int index) const {
  if (index < 0 || index >= Count())
    throw EJSONException(rtl::Format(u"Index %d out of range", {index}));
  return pairs_[static_cast<std::size_t>(index)].get();
}

TJSONPair* TJSONObject::Get(StringView name) const {
  if (isAscii(name)) {
    for (const auto& pair : pairs_)
      if (sameAsciiName(pair->JsonString()->Utf8Value(), name)) return pair.get();
    return nullptr;
  }
  std::string key = StringToUtf8(name);
  for (const auto& pair : pairs_)
    if (pair->JsonString()->Utf8Value() == key) return pair.get();
  return nullptr;
}

TJSONValue* TJSONObject::GetMemberValue(StringView name) const {
  if (TJSONPair* pair = Get(name)) return pair->JsonValue();
  return nullptr;
}

TJSONValue* TJSONObject::GetMemberValue(std::string_view utf8Name) const {
  for (const auto& pair : pairs_)
    if (pair->JsonString()->Utf8Value() == utf8Name) return pair->JsonValue();
  return nullptr;
}

TJSONObject& TJSONObject::AddPair(StringView name, std::unique_ptr<TJSONValue> value) {
  return AddPair(std::make_unique<TJSONPair>(std::make_unique<TJSONString>(name), std::move(value)));
}

TJSONObject& TJSONObject::AddPair(StringView name, StringView value) {
  return AddPair(name, std::make_unique<TJSONString>(value));
}

TJSONObject& TJSONObject::AddPair(std::unique_ptr<TJSONPair> pair) {
  if (!pair) throw EJSONException(u"A JSON pair needs a name and a value");
  pairs_.push_back(std::move(pair));
  return *this;
}

std::unique_ptr<TJSONPair> TJSONObject::RemovePair(StringView name) {
  std::string key = StringToUtf8(name);
  for (auto it = pairs_.begin(); it != pairs_.end(); ++it) {
    if ((*it)->JsonString()->Utf8Value() == key) {
      std::unique_ptr<TJSONPair> pair = std::move(*it);
      pairs_.erase(it);
      return pair;
    }
  }
  return nullptr;
}

void TJSONObject::write(std::string& out) const {
  out += '{';
  bool first = true;
  for (const auto& pair : pairs_) {
    if (!first) out += ',';
    first = false;
    writeString(out, pair->JsonString()->Utf8Value());
    out += ':';
    pair->JsonValue()->write(out);
  }
  out += '}';
}

TJSONArray::TJSONArray() = default;
TJSONArray::~TJSONArray() = default;

TJSONValue* TJSONArray::Items(int index) const {
  if (index < 0 || index >= Count())
    throw EJSONException(rtl::Format(u"Index %d out of range", {index}));
  return items_[static_cast<std::size_t>(index)].get();
}

TJSONArray& TJSONArray::Add(std::unique_ptr<TJSONValue> value) {
  if (!value) throw EJSONException(u"A JSON array element cannot be empty");
  items_.push_back(std::move(value));
  return *this;
}

TJSONArray& TJSONArray::Add(StringView value) { return Add(std::make_unique<TJSONString>(value)); }

std::unique_ptr<TJSONValue> TJSONArray::Remove(int index) {
  if (index < 0 || index >= Count())
    throw EJSONException(rtl::Format(u"Index %d out of range", {index}));
  auto it = items_.begin() + index;
  std::unique_ptr<TJSONValue> value = std::move(*it);
  items_.erase(it);
  return value;
}

void TJSONArray::write(std::string& out) const {
  out += '[';
  bool first = true;
  for (const auto& item : items_) {
    if (!first) out += ',';
    first = false;
    item->write(out);
  }
  out += ']';
}

// --- conversions ---------------------------------------------------------------------

namespace detail {

void raiseNotFound(StringView path) {
  throw EJSONException(rtl::Format(u"Value '%s' not found", {String(path)}));
}

void raiseConversion(const TJSONValue& value, const char* typeName) {
  throw EJSONException(rtl::Format(u"Conversion from %s to %s is not supported",
                                   {rtl::S(value.ClassName()), rtl::S(typeName)}));
}

bool convert(const TJSONValue& value, String& out) {
  if (auto* s = dynamic_cast<const TJSONString*>(&value)) {
    out = s->Value();
  } else if (auto* n = dynamic_cast<const TJSONNumber*>(&value)) {
    out = n->Value();
  } else if (auto* b = dynamic_cast<const TJSONBool*>(&value)) {
    out = b->Value();
  } else if (value.Null()) {
    out.clear();  // a null member reads as empty text
  } else {
    return false;
  }
  return true;
}

bool convert(const TJSONValue& value, bool& out) {
  if (auto* b = dynamic_cast<const TJSONBool*>(&value)) {
    out = b->AsBoolean();
    return true;
  }
  if (auto* s = dynamic_cast<const TJSONString*>(&value)) {
    if (s->Utf8Value() == "true") { out = true; return true; }
    if (s->Utf8Value() == "false") { out = false; return true; }
  }
  return false;
}

static const std::string* numberText(const TJSONValue& value) {
  if (auto* n = dynamic_cast<const TJSONNumber*>(&value)) return &n->Text();
  if (auto* s = dynamic_cast<const TJSONString*>(&value)) return &s->Utf8Value();
  return nullptr;
}

bool convert(const TJSONValue& value, std::int64_t& out) {
  const std::string* text = numberText(value);
  return text && parseInt64(*text, out);
}

bool convert(const TJSONValue& value, int& out) {
  std::int64_t v;
  if (!convert(value, v) || v < INT32_MIN || v > INT32_MAX) return false;
  out = static_cast<int>(v);
  return true;
}

bool convert(const TJSONValue& value, double& out) {
  const std::string* text = numberText(value);
  return text && parseDouble(*text, out);
}

}  // namespace detail

}  // namespace json
