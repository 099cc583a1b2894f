#pragma once
// TStrings, the abstract list of strings with associated objects, and
// TStringList, its usual implementation (sorting, duplicates, change events).
// Name=value lines, Text, CommaText and DelimitedText follow the platform's
// rules, so stored texts written by either side read back the same.
#include <initializer_list>
#include <vector>

#include "platform/rtl/classes.h"
#include "platform/rtl/object.h"
#include "platform/rtl/types.h"

namespace rtl {

class TEncoding;
class TStream;

class TStrings : public TPersistent {
  RTL_CLASS(TStrings, TPersistent)

 public:
  TStrings();
  ~TStrings() override;

  virtual int Add(const String& s);
  virtual int AddObject(const String& s, TObject* object);
  int AddPair(const String& name, const String& value);
  void Append(const String& s) { Add(s); }
  virtual void AddStrings(const TStrings& strings);
  void AddStrings(const TStrings* strings) { AddStrings(*strings); }
  void AddStrings(std::initializer_list<StringView> strings);
  virtual void Clear() = 0;
  virtual void Delete(int index) = 0;
  virtual void Exchange(int index1, int index2);
  virtual void Move(int curIndex, int newIndex);
  virtual void Insert(int index, const String& s) = 0;
  virtual void InsertObject(int index, const String& s, TObject* object);
  virtual int IndexOf(StringView s) const;
  int IndexOfName(StringView name) const;
  int IndexOfObject(const TObject* object) const;
  // Same count and the same strings in the same order (case matters).
  bool Equals(const TStrings& other) const;

  // Changes inside a bracket are reported once, when the last EndUpdate runs.
  void BeginUpdate();
  void EndUpdate();
  int UpdateCount() const { return updateCount_; }

  void Assign(TPersistent* source) override;

  int Count() const { return GetCount(); }
  String Strings(int index) const { return Get(index); }
  void SetStrings(int index, const String& s) { Put(index, s); }
  String operator[](int index) const { return Get(index); }
  TObject* Objects(int index) const { return GetObject(index); }
  void SetObjects(int index, TObject* object) { PutObject(index, object); }
  std::vector<String> ToStringArray() const;

  // Name=value lines. Names(i) is empty for a line without the separator.
  String Names(int index) const;
  String Values(StringView name) const;
  // An empty value deletes the line; a missing name adds one.
  void SetValues(StringView name, StringView value);
  String ValueFromIndex(int index) const;
  void SetValueFromIndex(int index, StringView value);
  Char NameValueSeparator() const { return nameValueSeparator_; }
  void SetNameValueSeparator(Char value) { nameValueSeparator_ = value; }

  // Lines end with LineBreak (LF by default); reading accepts CRLF, LF, CR.
  String Text() const { return GetTextStr(); }
  void SetText(StringView text) { SetTextStr(text); }
  const String& LineBreak() const { return lineBreak_; }
  void SetLineBreak(StringView value) { lineBreak_ = String(value); }
  // Whether Text ends with a line break after the last line (default true).
  bool TrailingLineBreak() const { return trailingLineBreak_; }
  void SetTrailingLineBreak(bool value) { trailingLineBreak_ = value; }

  // DelimitedText with ',' and '"' and StrictDelimiter off, whatever the
  // list's own settings (which it leaves unchanged).
  String CommaText() const;
  void SetCommaText(StringView text);
  String DelimitedText() const;
  void SetDelimitedText(StringView text);
  Char Delimiter() const { return delimiter_; }
  void SetDelimiter(Char value) { delimiter_ = value; }
  Char QuoteChar() const { return quoteChar_; }
  void SetQuoteChar(Char value) { quoteChar_ = value; }
  // When set, only Delimiter separates; otherwise spaces and controls do too.
  bool StrictDelimiter() const { return strictDelimiter_; }
  void SetStrictDelimiter(bool value) { strictDelimiter_ = value; }

  int Capacity() const { return GetCapacity(); }
  void SetCapacity(int value) { SetCapacityImpl(value); }

  // Loading reads from the stream's position to its end. The encoding comes
  // from the preamble, else the one given, else DefaultEncoding (UTF-8
  // without preamble) when the bytes are valid UTF-8, else ANSI (1252).
  virtual void LoadFromStream(TStream& stream, TEncoding* encoding = nullptr);
  void LoadFromStream(TStream* stream, TEncoding* encoding = nullptr) {
    LoadFromStream(*stream, encoding);
  }
  void LoadFromFile(const String& fileName, TEncoding* encoding = nullptr);
  // Saving uses the encoding given, else the one the list was loaded with,
  // else DefaultEncoding; its preamble is written when WriteBOM is set.
  virtual void SaveToStream(TStream& stream, TEncoding* encoding = nullptr) const;
  void SaveToStream(TStream* stream, TEncoding* encoding = nullptr) const {
    SaveToStream(*stream, encoding);
  }
  void SaveToFile(const String& fileName, TEncoding* encoding = nullptr) const;
  TEncoding* Encoding() const { return encoding_; }
  TEncoding* DefaultEncoding() const { return defaultEncoding_; }
  void SetDefaultEncoding(TEncoding* value);
  bool WriteBOM() const { return writeBOM_; }
  void SetWriteBOM(bool value) { writeBOM_ = value; }

 protected:
  virtual String Get(int index) const = 0;
  virtual int GetCount() const = 0;
  virtual TObject* GetObject(int index) const;
  virtual void Put(int index, const String& s);
  virtual void PutObject(int index, TObject* object);
  virtual int GetCapacity() const { return GetCount(); }
  virtual void SetCapacityImpl(int) {}
  // Called with true by the first BeginUpdate, false by the last EndUpdate.
  virtual void SetUpdateState(bool updating);
  // AnsiCompareText here; TStringList honours CaseSensitive.
  virtual int CompareStrings(StringView s1, StringView s2) const;
  virtual String GetTextStr() const;
  virtual void SetTextStr(StringView text);
  // Raises EStringListError with `message` ("... (%d)") formatted with `data`.
  [[noreturn]] void Error(StringView message, int data) const;

 private:
  int updateCount_ = 0;
  Char nameValueSeparator_ = u'=';
  Char delimiter_ = u',';
  Char quoteChar_ = u'"';
  bool strictDelimiter_ = false;
  bool trailingLineBreak_ = true;
  bool writeBOM_ = true;
  String lineBreak_ = u"\n";
  TEncoding* encoding_ = nullptr;
  TEncoding* defaultEncoding_;
};

enum class TDuplicates { dupIgnore = 0, dupAccept = 1, dupError = 2 };
using enum TDuplicates;

class TStringList;
using TStringListSortCompare = int (*)(TStringList* list, int index1, int index2);

class TStringList : public TStrings {
  RTL_CLASS(TStringList, TStrings)

 public:
  TStringList();
  explicit TStringList(bool ownsObjects);
  ~TStringList() override;

  int Add(const String& s) override;
  int AddObject(const String& s, TObject* object) override;
  void Clear() override;
  void Delete(int index) override;
  void Exchange(int index1, int index2) override;
  void Move(int curIndex, int newIndex) override;
  void Insert(int index, const String& s) override;
  void InsertObject(int index, const String& s, TObject* object) override;
  int IndexOf(StringView s) const override;
  // Binary search of a sorted list: true when found; `index` is where the
  // string is or would go.
  virtual bool Find(StringView s, int& index) const;
  virtual void Sort();
  virtual void CustomSort(TStringListSortCompare compare);

  bool Sorted() const { return sorted_; }
  void SetSorted(bool value);
  TDuplicates Duplicates() const { return duplicates_; }
  void SetDuplicates(TDuplicates value) { duplicates_ = value; }
  bool CaseSensitive() const { return caseSensitive_; }
  void SetCaseSensitive(bool value);
  // When set the list frees its objects as their lines go.
  bool OwnsObjects() const { return ownsObjects_; }
  void SetOwnsObjects(bool value) { ownsObjects_ = value; }

  TNotifyEvent OnChange() const { return onChange_; }
  void SetOnChange(TNotifyEvent value) { onChange_ = value; }
  TNotifyEvent OnChanging() const { return onChanging_; }
  void SetOnChanging(TNotifyEvent value) { onChanging_ = value; }

  // The string-list compare used by Sort (CompareStrings of two lines).
  int CompareItems(int index1, int index2) const;

 protected:
  virtual void Changed();
  virtual void Changing();
  String Get(int index) const override;
  int GetCount() const override { return static_cast<int>(items_.size()); }
  TObject* GetObject(int index) const override;
  void Put(int index, const String& s) override;
  void PutObject(int index, TObject* object) override;
  int GetCapacity() const override { return static_cast<int>(items_.capacity()); }
  void SetCapacityImpl(int value) override;
  void SetUpdateState(bool updating) override;
  int CompareStrings(StringView s1, StringView s2) const override;
  virtual void InsertItem(int index, const String& s, TObject* object);

 private:
  struct Item {
    String string;
    TObject* object = nullptr;
  };
  void checkIndex(int index) const;
  void quickSort(int left, int right, TStringListSortCompare compare);

  std::vector<Item> items_;
  bool sorted_ = false;
  bool caseSensitive_ = false;
  bool ownsObjects_ = false;
  TDuplicates duplicates_ = dupIgnore;
  TNotifyEvent onChange_;
  TNotifyEvent onChanging_;
};

}  // namespace rtl
