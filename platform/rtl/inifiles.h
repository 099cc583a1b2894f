#pragma once
// INI files: TCustomIniFile (typed reads and writes over strings),
// TMemIniFile (the whole file in memory, written by UpdateFile) and TIniFile
// (written through to its file at every change). Sections and keys compare
// without regard to case; their order, comments and blank lines are kept.
#include <filesystem>
#include <memory>
#include <unordered_map>
#include <vector>

#include "platform/rtl/encoding.h"
#include "platform/rtl/object.h"
#include "platform/rtl/types.h"

namespace rtl {

class TStrings;

class TCustomIniFile : public TObject {
  RTL_CLASS(TCustomIniFile, TObject)

 public:
  explicit TCustomIniFile(const String& fileName) : fileName_(fileName) {}
  ~TCustomIniFile() override;

  const String& FileName() const { return fileName_; }

  virtual bool SectionExists(StringView section);
  virtual bool ValueExists(StringView section, StringView ident);
  virtual String ReadString(StringView section, StringView ident, StringView defaultValue) = 0;
  virtual void WriteString(StringView section, StringView ident, StringView value) = 0;
  // Decimal, "$1F" or "0x1F"; anything else gives the default.
  virtual Integer ReadInteger(StringView section, StringView ident, Integer defaultValue);
  virtual void WriteInteger(StringView section, StringView ident, Integer value);
  virtual Int64 ReadInt64(StringView section, StringView ident, Int64 defaultValue);
  virtual void WriteInt64(StringView section, StringView ident, Int64 value);
  // A number (non-zero is true) or "True"/"False"; written as "1"/"0".
  virtual bool ReadBool(StringView section, StringView ident, bool defaultValue);
  virtual void WriteBool(StringView section, StringView ident, bool value);
  // Written with the current FormatSettings; read with them or, failing
  // that, with '.' as the decimal separator.
  virtual double ReadFloat(StringView section, StringView ident, double defaultValue);
  virtual void WriteFloat(StringView section, StringView ident, double value);
  // Dates and times are written as "yyyy-mm-dd hh:nn:ss.zzz" (the date or
  // the time part alone for ReadDate/ReadTime), the same in every locale.
  virtual TDateTime ReadDate(StringView section, StringView ident, TDateTime defaultValue);
  virtual TDateTime ReadDateTime(StringView section, StringView ident, TDateTime defaultValue);
  virtual TDateTime ReadTime(StringView section, StringView ident, TDateTime defaultValue);
  virtual void WriteDate(StringView section, StringView ident, TDateTime value);
  virtual void WriteDateTime(StringView section, StringView ident, TDateTime value);
  virtual void WriteTime(StringView section, StringView ident, TDateTime value);

  // These clear `strings` first. ReadSection gives the keys, ReadSections
  // the section names, ReadSectionValues the "key=value" lines.
  virtual void ReadSection(StringView section, TStrings& strings) = 0;
  virtual void ReadSections(TStrings& strings) = 0;
  virtual void ReadSectionValues(StringView section, TStrings& strings) = 0;
  void ReadSection(StringView section, TStrings* strings) { ReadSection(section, *strings); }
  void ReadSections(TStrings* strings) { ReadSections(*strings); }
  void ReadSectionValues(StringView section, TStrings* strings) {
    ReadSectionValues(section, *strings);
  }
  virtual void EraseSection(StringView section) = 0;
  virtual void DeleteKey(StringView section, StringView ident) = 0;
  virtual void UpdateFile() = 0;

 protected:
  void setFileName(const String& fileName) { fileName_ = fileName; }

 private:
  String fileName_;
};

class TMemIniFile : public TCustomIniFile {
  RTL_CLASS(TMemIniFile, TCustomIniFile)

 public:
  // Loads the file when it exists. Reading recognises a UTF-8 or UTF-16
  // preamble and UTF-16 without one; other bytes are UTF-8, or ANSI when they
  // are not valid UTF-8. `encoding` is the one UpdateFile writes (UTF-8
  // without preamble when null).
  explicit TMemIniFile(const String& fileName, TEncoding* encoding = nullptr);
  ~TMemIniFile() override;

  String ReadString(StringView section, StringView ident, StringView defaultValue) override;
  void WriteString(StringView section, StringView ident, StringView value) override;
  bool SectionExists(StringView section) override;
  bool ValueExists(StringView section, StringView ident) override;
  void ReadSection(StringView section, TStrings& strings) override;
  void ReadSections(TStrings& strings) override;
  void ReadSectionValues(StringView section, TStrings& strings) override;
  void EraseSection(StringView section) override;
  void DeleteKey(StringView section, StringView ident) override;
  // Writes the whole file (atomically: a temporary file, then a rename).
  void UpdateFile() override;
  using TCustomIniFile::ReadSection;
  using TCustomIniFile::ReadSections;
  using TCustomIniFile::ReadSectionValues;

  void Clear();
  // The file's lines, as UpdateFile would write them.
  void GetStrings(TStrings& list) const;
  // Replaces the contents with the lines of `list`.
  void SetStrings(const TStrings& list);
  void GetStrings(TStrings* list) const { GetStrings(*list); }
  void SetStrings(const TStrings* list) { SetStrings(*list); }
  // Parses text in any of the encodings the constructor accepts.
  void SetBytes(const Byte* data, std::size_t size);
  // Points the object at another file, reloading from it when asked.
  void Rename(const String& fileName, bool reload);
  TEncoding* Encoding() const { return encoding_; }
  void SetEncoding(TEncoding* value) { encoding_ = value; }

 private:
  struct Line {
    bool isKey = false;
    String key;     // as written
    String folded;  // key in upper case, for lookups
    String value;
    String raw;  // comments, blank lines and lines without '='
  };
  struct Section {
    String name;
    String folded;
    std::vector<Line> lines;
  };
  Section* findSection(StringView name);
  Line* findKey(Section& section, StringView ident);
  void parseLines(const std::vector<String>& lines);
  void loadFromFile();

  // Positions of the sections by folded name: a file of thousands of
  // sections (stored layouts) would otherwise search them all at every access.
  void indexSection(std::size_t at);

  TEncoding* encoding_;
  std::vector<String> leading_;  // lines before the first section
  std::vector<Section> sections_;
  std::unordered_map<String, std::size_t> sectionIndex_;
  bool sectionIndexValid_ = false;
};

// Keeps no state between calls that another writer could make stale: it
// reloads when the file changed on disk and writes at every change.
class TIniFile : public TCustomIniFile {
  RTL_CLASS(TIniFile, TCustomIniFile)

 public:
  explicit TIniFile(const String& fileName);
  ~TIniFile() override;

  String ReadString(StringView section, StringView ident, StringView defaultValue) override;
  void WriteString(StringView section, StringView ident, StringView value) override;
  bool SectionExists(StringView section) override;
  bool ValueExists(StringView section, StringView ident) override;
  void ReadSection(StringView section, TStrings& strings) override;
  void ReadSections(TStrings& strings) override;
  void ReadSectionValues(StringView section, TStrings& strings) override;
  void EraseSection(StringView section) override;
  void DeleteKey(StringView section, StringView ident) override;
  void UpdateFile() override;
  using TCustomIniFile::ReadSection;
  using TCustomIniFile::ReadSections;
  using TCustomIniFile::ReadSectionValues;

 private:
  struct Stamp {
    bool exists = false;
    std::filesystem::file_time_type time{};
    std::uintmax_t size = 0;
    friend bool operator==(const Stamp&, const Stamp&) = default;
  };
  Stamp currentStamp() const;
  void refresh();
  void flush();

  std::unique_ptr<TMemIniFile> memory_;
  Stamp stamp_;
};

namespace detail {
// File helpers shared by the INI and registry stores. ReadFileBytes raises
// EFOpenError/EReadError with the reason; WriteFileAtomic writes a temporary
// file beside the target, flushes it and renames it over the target, so a
// reader sees the old or the new contents, never a mix. It raises
// EFCreateError/EWriteError and leaves the target untouched on failure.
TBytes ReadFileBytes(const std::filesystem::path& file);
void WriteFileAtomic(const std::filesystem::path& file, const Byte* data, std::size_t size);
std::filesystem::path ToPath(StringView fileName);
}  // namespace detail

}  // namespace rtl
