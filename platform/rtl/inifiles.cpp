#include "platform/rtl/inifiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "platform/rtl/datetime.h"
#include "platform/rtl/except.h"
#include "platform/rtl/format.h"
#include "platform/rtl/formatsettings.h"
#include "platform/rtl/scoped.h"
#include "platform/rtl/stringlist.h"
#include "platform/rtl/ustring.h"

namespace rtl {

// --- file helpers ------------------------------------------------------------------

namespace detail {

std::filesystem::path ToPath(StringView fileName) {
  return std::filesystem::path(StringToUtf8(fileName));
}

namespace {
String systemReason(int error) { return Utf8ToString(std::strerror(error)); }
String fileText(const std::filesystem::path& file) { return Utf8ToString(file.string()); }

struct Fd {
  int fd = -1;
  ~Fd() {
    if (fd >= 0) ::close(fd);
  }
};
}  // namespace

TBytes ReadFileBytes(const std::filesystem::path& file) {
  Fd f{::open(file.c_str(), O_RDONLY | O_CLOEXEC)};
  if (f.fd < 0) {
    int error = errno;
    throw EFOpenError(u"Cannot open file \"" + fileText(file) + u"\". " + systemReason(error));
  }
  TBytes bytes;
  Byte buffer[65536];
  for (;;) {
    ssize_t n = ::read(f.fd, buffer, sizeof buffer);
    if (n < 0) {
      if (errno == EINTR) continue;
      int error = errno;
      throw EReadError(u"Cannot read file \"" + fileText(file) + u"\". " + systemReason(error));
    }
    if (n == 0) break;
    bytes.insert(bytes.end(), buffer, buffer + n);
  }
  return bytes;
}

void WriteFileAtomic(const std::filesystem::path& file, const Byte* data, std::size_t size) {
  std::filesystem::path dir = file.parent_path();
  if (dir.empty()) dir = ".";
  std::string pattern = (dir / ("." + file.filename().string() + ".tmp-XXXXXX")).string();
  Fd f{::mkstemp(pattern.data())};
  auto fail = [&](const char16_t* what, int error) {
    ::unlink(pattern.c_str());
    throw EWriteError(String(what) + fileText(file) + u"\". " + systemReason(error));
  };
  if (f.fd < 0) {
    int error = errno;
    throw EFCreateError(u"Cannot create file \"" + fileText(file) + u"\". " + systemReason(error));
  }
  // Keep the permissions of the file we replace; a new file gets the
  // permissions the umask allows, as an ordinary create would.
  struct stat st;
  mode_t mode;
  if (::stat(file.c_str(), &st) == 0) {
    mode = st.st_mode & 07777;
  } else {
    mode_t mask = ::umask(0);
    ::umask(mask);
    mode = 0666 & ~mask;
  }
  ::fchmod(f.fd, mode);
  std::size_t done = 0;
  while (done < size) {
    ssize_t n = ::write(f.fd, data + done, size - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      fail(u"Cannot write file \"", errno);
    }
    done += static_cast<std::size_t>(n);
  }
  if (::fsync(f.fd) != 0) fail(u"Cannot write file \"", errno);
  int fd = f.fd;
  f.fd = -1;
  if (::close(fd) != 0) fail(u"Cannot write file \"", errno);
  if (::rename(pattern.c_str(), file.c_str()) != 0) {
    fail(u"Cannot replace file \"", errno);
  }
}

}  // namespace detail

// --- TCustomIniFile ------------------------------------------------------------------

namespace {

String dateText(TDateTime value) {
  Word y, m, d;
  DecodeDate(value, y, m, d);
  char buf[32];
  std::snprintf(buf, sizeof buf, "%04u-%02u-%02u", unsigned{y}, unsigned{m}, unsigned{d});
  return Utf8ToString(buf);
}

String timeText(TDateTime value) {
  Word h, n, s, ms;
  DecodeTime(value, h, n, s, ms);
  char buf[32];
  std::snprintf(buf, sizeof buf, "%02u:%02u:%02u.%03u", unsigned{h}, unsigned{n}, unsigned{s},
                unsigned{ms});
  return Utf8ToString(buf);
}

// Reads exactly `digits` digits at text[i].
bool readNumber(StringView text, size_t& i, size_t digits, int& value) {
  if (text.size() - i < digits) return false;
  value = 0;
  for (size_t k = 0; k < digits; ++k, ++i) {
    if (text[i] < u'0' || text[i] > u'9') return false;
    value = value * 10 + (text[i] - u'0');
  }
  return true;
}

bool parseDate(StringView text, size_t& i, TDateTime& date) {
  int y, m, d;
  if (!readNumber(text, i, 4, y) || i >= text.size() || text[i++] != u'-' ||
      !readNumber(text, i, 2, m) || i >= text.size() || text[i++] != u'-' ||
      !readNumber(text, i, 2, d)) {
    return false;
  }
  return TryEncodeDate(static_cast<Word>(y), static_cast<Word>(m), static_cast<Word>(d), date);
}

bool parseTime(StringView text, size_t& i, TDateTime& time) {
  int h, n, s = 0, ms = 0;
  if (!readNumber(text, i, 2, h) || i >= text.size() || text[i++] != u':' ||
      !readNumber(text, i, 2, n)) {
    return false;
  }
  if (i < text.size() && text[i] == u':') {
    ++i;
    if (!readNumber(text, i, 2, s)) return false;
    if (i < text.size() && text[i] == u'.') {
      ++i;
      if (!readNumber(text, i, 3, ms)) return false;
    }
  }
  return TryEncodeTime(static_cast<Word>(h), static_cast<Word>(n), static_cast<Word>(s),
                       static_cast<Word>(ms), time);
}

// "yyyy-mm-dd", "hh:nn[:ss[.zzz]]" or both separated by one space or 'T'.
bool parseDateTime(StringView text, TDateTime& value) {
  size_t i = 0;
  TDateTime date = 0, time = 0;
  bool hasDate = text.size() >= 10 && text[4] == u'-';
  if (hasDate) {
    if (!parseDate(text, i, date)) return false;
    if (i == text.size()) {
      value = date;
      return true;
    }
    if (text[i] != u' ' && text[i] != u'T') return false;
    ++i;
  }
  if (!parseTime(text, i, time) || i != text.size()) return false;
  // Before 1899-12-30 the time of day counts away from zero.
  value = date < 0 ? date - time : date + time;
  return true;
}

}  // namespace

TCustomIniFile::~TCustomIniFile() = default;

bool TCustomIniFile::SectionExists(StringView section) {
  TStringList keys;
  ReadSection(section, keys);
  return keys.Count() > 0;
}

bool TCustomIniFile::ValueExists(StringView section, StringView ident) {
  TStringList keys;
  ReadSection(section, keys);
  return keys.IndexOf(ident) >= 0;
}

namespace {
String hexToDollar(String text) {
  String t = Trim(text);
  if (t.size() > 2 && t[0] == u'0' && (t[1] == u'x' || t[1] == u'X')) return u"$" + t.substr(2);
  return t;
}
}  // namespace

Integer TCustomIniFile::ReadInteger(StringView section, StringView ident, Integer defaultValue) {
  String text = hexToDollar(ReadString(section, ident, u""));
  return StrToIntDef(text, defaultValue);
}

void TCustomIniFile::WriteInteger(StringView section, StringView ident, Integer value) {
  WriteString(section, ident, IntToStr(value));
}

Int64 TCustomIniFile::ReadInt64(StringView section, StringView ident, Int64 defaultValue) {
  String text = hexToDollar(ReadString(section, ident, u""));
  return StrToInt64Def(text, defaultValue);
}

void TCustomIniFile::WriteInt64(StringView section, StringView ident, Int64 value) {
  WriteString(section, ident, IntToStr(value));
}

bool TCustomIniFile::ReadBool(StringView section, StringView ident, bool defaultValue) {
  String text = Trim(ReadString(section, ident, u""));
  Int64 number;
  if (TryStrToInt64(hexToDollar(text), number)) return number != 0;
  bool flag;
  if (!text.empty() && TryStrToBool(text, flag)) return flag;
  return defaultValue;
}

void TCustomIniFile::WriteBool(StringView section, StringView ident, bool value) {
  WriteString(section, ident, value ? u"1" : u"0");
}

double TCustomIniFile::ReadFloat(StringView section, StringView ident, double defaultValue) {
  String text = Trim(ReadString(section, ident, u""));
  if (text.empty()) return defaultValue;
  double value;
  if (TryStrToFloat(text, value, FormatSettings())) return value;
  if (TryStrToFloat(text, value, TFormatSettings::Invariant())) return value;
  return defaultValue;
}

void TCustomIniFile::WriteFloat(StringView section, StringView ident, double value) {
  WriteString(section, ident, FloatToStr(value));
}

TDateTime TCustomIniFile::ReadDate(StringView section, StringView ident, TDateTime defaultValue) {
  TDateTime value;
  if (!parseDateTime(Trim(ReadString(section, ident, u"")), value)) return defaultValue;
  return std::trunc(value);
}

TDateTime TCustomIniFile::ReadDateTime(StringView section, StringView ident,
                                       TDateTime defaultValue) {
  TDateTime value;
  return parseDateTime(Trim(ReadString(section, ident, u"")), value) ? value : defaultValue;
}

TDateTime TCustomIniFile::ReadTime(StringView section, StringView ident, TDateTime defaultValue) {
  TDateTime value;
  if (!parseDateTime(Trim(ReadString(section, ident, u"")), value)) return defaultValue;
  return std::fabs(value - std::trunc(value));
}

void TCustomIniFile::WriteDate(StringView section, StringView ident, TDateTime value) {
  WriteString(section, ident, dateText(value));
}

void TCustomIniFile::WriteDateTime(StringView section, StringView ident, TDateTime value) {
  WriteString(section, ident, dateText(value) + u" " + timeText(value));
}

void TCustomIniFile::WriteTime(StringView section, StringView ident, TDateTime value) {
  WriteString(section, ident, timeText(value));
}

// --- TMemIniFile ----------------------------------------------------------------------

namespace {

String iniFold(StringView s) { return AnsiUpperCase(s); }

// UTF-16 without a preamble shows as a zero byte beside each ASCII one.
TEncoding* sniffUtf16(const Byte* data, std::size_t size) {
  if (size < 2 || size % 2 != 0) return nullptr;
  if (data[0] != 0 && data[1] == 0) return TEncoding::Unicode();
  if (data[0] == 0 && data[1] != 0) return TEncoding::BigEndianUnicode();
  return nullptr;
}

}  // namespace

TMemIniFile::TMemIniFile(const String& fileName, TEncoding* encoding)
    : TCustomIniFile(fileName), encoding_(encoding) {
  loadFromFile();
}

TMemIniFile::~TMemIniFile() = default;

void TMemIniFile::loadFromFile() {
  Clear();
  if (FileName().empty()) return;
  std::filesystem::path file = detail::ToPath(FileName());
  std::error_code ec;
  if (!std::filesystem::exists(file, ec)) return;
  TBytes bytes = detail::ReadFileBytes(file);
  SetBytes(bytes.data(), bytes.size());
}

void TMemIniFile::SetBytes(const Byte* data, std::size_t size) {
  TEncoding* encoding = nullptr;
  std::size_t preamble = TEncoding::GetBufferEncoding(data, size, encoding);
  if (preamble == 0) {
    if (TEncoding* utf16 = sniffUtf16(data, size)) {
      encoding = utf16;
    } else if (!TEncoding::IsValidUtf8(data, size)) {
      encoding = TEncoding::ANSI();
    }
  }
  TStringList lines;
  lines.SetText(encoding->GetString(data + preamble, size - preamble));
  SetStrings(lines);
}

void TMemIniFile::Clear() {
  leading_.clear();
  sections_.clear();
  sectionIndex_.clear();
  sectionIndexValid_ = true;
}

void TMemIniFile::indexSection(std::size_t at) {
  if (sectionIndexValid_) sectionIndex_.emplace(sections_[at].folded, at);
}

void TMemIniFile::SetStrings(const TStrings& list) {
  parseLines(list.ToStringArray());
}

void TMemIniFile::parseLines(const std::vector<String>& lines) {
  Clear();
  Section* current = nullptr;
  auto dropTrailingBlanks = [](auto& raws, auto isBlank) {
    while (!raws.empty() && isBlank(raws.back())) raws.pop_back();
  };
  for (const String& line : lines) {
    String s = Trim(line);
    if (!s.empty() && s.front() == u'[' && s.back() == u']' && s.size() >= 2) {
      String name = Trim(StringView(s).substr(1, s.size() - 2));
      // A section named twice is one section: its later lines join the first.
      current = findSection(name);
      if (!current) {
        sections_.push_back(Section{name, iniFold(name), {}});
        indexSection(sections_.size() - 1);
        current = &sections_.back();
      }
      continue;
    }
    if (!current) {
      leading_.push_back(line);
      continue;
    }
    Line entry;
    auto at = s.find(u'=');
    if (!s.empty() && s.front() != u';' && at != String::npos) {
      entry.isKey = true;
      entry.key = Trim(StringView(s).substr(0, at));
      entry.folded = iniFold(entry.key);
      entry.value = Trim(StringView(s).substr(at + 1));
    } else {
      entry.raw = line;
    }
    current->lines.push_back(std::move(entry));
  }
  // Blank lines between sections are written back by GetStrings.
  dropTrailingBlanks(leading_, [](const String& l) { return Trim(l).empty(); });
  for (Section& section : sections_) {
    dropTrailingBlanks(section.lines,
                       [](const Line& l) { return !l.isKey && Trim(l.raw).empty(); });
  }
}

void TMemIniFile::GetStrings(TStrings& list) const {
  const UpdateScope<TStrings> update(list);
  list.Clear();
  for (const String& line : leading_) list.Add(line);
  if (!leading_.empty() && !sections_.empty()) list.Add(String());
  for (std::size_t i = 0; i < sections_.size(); ++i) {
    const Section& section = sections_[i];
    list.Add(u"[" + section.name + u"]");
    for (const Line& line : section.lines) {
      list.Add(line.isKey ? line.key + u"=" + line.value : line.raw);
    }
    if (i + 1 < sections_.size()) list.Add(String());
  }
}

TMemIniFile::Section* TMemIniFile::findSection(StringView name) {
  if (!sectionIndexValid_) {
    sectionIndex_.clear();
    for (std::size_t i = 0; i < sections_.size(); ++i) sectionIndex_.emplace(sections_[i].folded, i);
    sectionIndexValid_ = true;
  }
  auto it = sectionIndex_.find(iniFold(name));
  return it == sectionIndex_.end() ? nullptr : &sections_[it->second];
}

TMemIniFile::Line* TMemIniFile::findKey(Section& section, StringView ident) {
  String folded = iniFold(ident);
  for (Line& line : section.lines) {
    if (line.isKey && line.folded == folded) return &line;
  }
  return nullptr;
}

String TMemIniFile::ReadString(StringView section, StringView ident, StringView defaultValue) {
  if (Section* s = findSection(section)) {
    if (Line* line = findKey(*s, ident)) return line->value;
  }
  return String(defaultValue);
}

void TMemIniFile::WriteString(StringView section, StringView ident, StringView value) {
  Section* s = findSection(section);
  if (!s) {
    sections_.push_back(Section{String(section), iniFold(section), {}});
    indexSection(sections_.size() - 1);
    s = &sections_.back();
  }
  if (Line* line = findKey(*s, ident)) {
    line->value = String(value);
    return;
  }
  // After the last key, so comments that close the section stay last.
  auto pos = s->lines.end();
  for (auto it = s->lines.begin(); it != s->lines.end(); ++it) {
    if (it->isKey) pos = it + 1;
  }
  Line line;
  line.isKey = true;
  line.key = String(ident);
  line.folded = iniFold(ident);
  line.value = String(value);
  s->lines.insert(pos, std::move(line));
}

bool TMemIniFile::SectionExists(StringView section) { return findSection(section) != nullptr; }

bool TMemIniFile::ValueExists(StringView section, StringView ident) {
  Section* s = findSection(section);
  return s && findKey(*s, ident);
}

void TMemIniFile::ReadSection(StringView section, TStrings& strings) {
  const UpdateScope<TStrings> update(strings);
  strings.Clear();
  if (Section* s = findSection(section)) {
    for (const Line& line : s->lines) {
      if (line.isKey) strings.Add(line.key);
    }
  }
}

void TMemIniFile::ReadSections(TStrings& strings) {
  const UpdateScope<TStrings> update(strings);
  strings.Clear();
  for (const Section& section : sections_) strings.Add(section.name);
}

void TMemIniFile::ReadSectionValues(StringView section, TStrings& strings) {
  const UpdateScope<TStrings> update(strings);
  strings.Clear();
  if (Section* s = findSection(section)) {
    for (const Line& line : s->lines) {
      if (line.isKey) strings.Add(line.key + u"=" + line.value);
    }
  }
}

void TMemIniFile::EraseSection(StringView section) {
  String folded = iniFold(section);
  if (std::erase_if(sections_, [&](const Section& s) { return s.folded == folded; }) > 0) {
    sectionIndexValid_ = false;  // the later sections moved
  }
}

void TMemIniFile::DeleteKey(StringView section, StringView ident) {
  Section* s = findSection(section);
  if (!s) return;
  String folded = iniFold(ident);
  for (auto it = s->lines.begin(); it != s->lines.end(); ++it) {
    if (it->isKey && it->folded == folded) {
      s->lines.erase(it);
      return;
    }
  }
}

void TMemIniFile::UpdateFile() {
  if (FileName().empty()) return;
  TStringList lines;
  GetStrings(lines);
  TEncoding* encoding = encoding_ ? encoding_ : TEncoding::Default();
  TBytes bytes = encoding->GetPreamble();
  TBytes text = encoding->GetBytes(lines.Text());
  bytes.insert(bytes.end(), text.begin(), text.end());
  try {
    detail::WriteFileAtomic(detail::ToPath(FileName()), bytes.data(), bytes.size());
  } catch (const EStreamError& e) {
    throw EIniFileException(u"Unable to write to " + FileName() + u": " + e.Message());
  }
}

void TMemIniFile::Rename(const String& fileName, bool reload) {
  setFileName(fileName);
  if (reload) loadFromFile();
}

// --- TIniFile ---------------------------------------------------------------------------

TIniFile::TIniFile(const String& fileName)
    : TCustomIniFile(fileName), memory_(std::make_unique<TMemIniFile>(fileName)) {
  stamp_ = currentStamp();
  refresh();
}

TIniFile::~TIniFile() = default;

TIniFile::Stamp TIniFile::currentStamp() const {
  Stamp stamp;
  std::error_code ec;
  std::filesystem::path file = detail::ToPath(FileName());
  auto status = std::filesystem::status(file, ec);
  if (ec || !std::filesystem::is_regular_file(status)) return stamp;
  stamp.time = std::filesystem::last_write_time(file, ec);
  stamp.size = std::filesystem::file_size(file, ec);
  stamp.exists = !ec;
  return stamp;
}

void TIniFile::refresh() {
  Stamp now = currentStamp();
  if (now == stamp_) return;
  memory_->Rename(FileName(), true);
  stamp_ = now;
}

void TIniFile::flush() {
  memory_->UpdateFile();
  stamp_ = currentStamp();
}

String TIniFile::ReadString(StringView section, StringView ident, StringView defaultValue) {
  refresh();
  return memory_->ReadString(section, ident, defaultValue);
}

void TIniFile::WriteString(StringView section, StringView ident, StringView value) {
  refresh();
  memory_->WriteString(section, ident, value);
  flush();
}

bool TIniFile::SectionExists(StringView section) {
  refresh();
  return memory_->SectionExists(section);
}

bool TIniFile::ValueExists(StringView section, StringView ident) {
  refresh();
  return memory_->ValueExists(section, ident);
}

void TIniFile::ReadSection(StringView section, TStrings& strings) {
  refresh();
  memory_->ReadSection(section, strings);
}

void TIniFile::ReadSections(TStrings& strings) {
  refresh();
  memory_->ReadSections(strings);
}

void TIniFile::ReadSectionValues(StringView section, TStrings& strings) {
  refresh();
  memory_->ReadSectionValues(section, strings);
}

void TIniFile::EraseSection(StringView section) {
  refresh();
  if (!memory_->SectionExists(section)) return;
  memory_->EraseSection(section);
  flush();
}

void TIniFile::DeleteKey(StringView section, StringView ident) {
  refresh();
  if (!memory_->ValueExists(section, ident)) return;
  memory_->DeleteKey(section, ident);
  flush();
}

void TIniFile::UpdateFile() {
  // Every change is already on disk; only pick up changes made by others.
  refresh();
}

}  // namespace rtl
