#include "platform/rtl/stringlist.h"

#include <string>
#include <utility>

#include "platform/rtl/encoding.h"
#include "platform/rtl/except.h"
#include "platform/rtl/scoped.h"
#include "platform/rtl/streams.h"
#include "platform/rtl/ustring.h"

namespace rtl {

namespace {

const Char kStringListIndexError[] = u"List index out of bounds (%d)";
const Char kSortedListError[] = u"Operation not allowed on sorted list";
const Char kDuplicateString[] = u"String list does not allow duplicates";

String formatIntMessage(StringView message, int data) {
  String text(message);
  auto at = text.find(u"%d");
  if (at != String::npos) {
    std::string digits = std::to_string(data);
    text.replace(at, 2, String(digits.begin(), digits.end()));
  }
  return text;
}

// The part after the first separator; empty when there is none.
StringView valuePart(StringView line, Char separator) {
  auto at = line.find(separator);
  return at == StringView::npos ? StringView() : line.substr(at + 1);
}

}  // namespace

// --- TStrings -------------------------------------------------------------------

TStrings::TStrings() : defaultEncoding_(TEncoding::Default()) {}
TStrings::~TStrings() = default;

void TStrings::Error(StringView message, int data) const {
  throw EStringListError(formatIntMessage(message, data));
}

int TStrings::Add(const String& s) {
  int index = GetCount();
  Insert(index, s);
  return index;
}

int TStrings::AddObject(const String& s, TObject* object) {
  int index = Add(s);
  PutObject(index, object);
  return index;
}

int TStrings::AddPair(const String& name, const String& value) {
  String line = name;
  line.push_back(nameValueSeparator_);
  line += value;
  return Add(line);
}

void TStrings::AddStrings(const TStrings& strings) {
  const UpdateScope<TStrings> update(*this);
  // Count read once: adding a list to itself copies it once.
  int count = strings.Count();
  for (int i = 0; i < count; ++i) AddObject(strings.Get(i), strings.GetObject(i));
}

void TStrings::AddStrings(std::initializer_list<StringView> strings) {
  const UpdateScope<TStrings> update(*this);
  for (StringView s : strings) Add(String(s));
}

void TStrings::Exchange(int index1, int index2) {
  const UpdateScope<TStrings> update(*this);
  String s1 = Get(index1);
  TObject* o1 = GetObject(index1);
  Put(index1, Get(index2));
  PutObject(index1, GetObject(index2));
  Put(index2, s1);
  PutObject(index2, o1);
}

void TStrings::Move(int curIndex, int newIndex) {
  if (curIndex == newIndex) return;
  const UpdateScope<TStrings> update(*this);
  String s = Get(curIndex);
  TObject* object = GetObject(curIndex);
  PutObject(curIndex, nullptr);
  Delete(curIndex);
  InsertObject(newIndex, s, object);
}

void TStrings::InsertObject(int index, const String& s, TObject* object) {
  Insert(index, s);
  PutObject(index, object);
}

int TStrings::IndexOf(StringView s) const {
  int count = GetCount();
  for (int i = 0; i < count; ++i) {
    if (CompareStrings(Get(i), s) == 0) return i;
  }
  return -1;
}

int TStrings::IndexOfName(StringView name) const {
  int count = GetCount();
  for (int i = 0; i < count; ++i) {
    String line = Get(i);
    auto at = line.find(nameValueSeparator_);
    if (at != String::npos && CompareStrings(StringView(line).substr(0, at), name) == 0) return i;
  }
  return -1;
}

int TStrings::IndexOfObject(const TObject* object) const {
  int count = GetCount();
  for (int i = 0; i < count; ++i) {
    if (GetObject(i) == object) return i;
  }
  return -1;
}

bool TStrings::Equals(const TStrings& other) const {
  int count = GetCount();
  if (count != other.GetCount()) return false;
  for (int i = 0; i < count; ++i) {
    if (Get(i) != other.Get(i)) return false;
  }
  return true;
}

void TStrings::BeginUpdate() {
  if (updateCount_ == 0) SetUpdateState(true);
  ++updateCount_;
}

void TStrings::EndUpdate() {
  if (updateCount_ == 0) return;
  --updateCount_;
  if (updateCount_ == 0) SetUpdateState(false);
}

void TStrings::Assign(TPersistent* source) {
  auto* strings = dynamic_cast<TStrings*>(source);
  if (!strings) {
    TPersistent::Assign(source);
    return;
  }
  if (strings == this) return;
  const UpdateScope<TStrings> update(*this);
  Clear();
  nameValueSeparator_ = strings->nameValueSeparator_;
  delimiter_ = strings->delimiter_;
  quoteChar_ = strings->quoteChar_;
  strictDelimiter_ = strings->strictDelimiter_;
  trailingLineBreak_ = strings->trailingLineBreak_;
  lineBreak_ = strings->lineBreak_;
  writeBOM_ = strings->writeBOM_;
  defaultEncoding_ = strings->defaultEncoding_;
  encoding_ = strings->encoding_;
  AddStrings(*strings);
}

std::vector<String> TStrings::ToStringArray() const {
  std::vector<String> out;
  int count = GetCount();
  out.reserve(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i) out.push_back(Get(i));
  return out;
}

String TStrings::Names(int index) const {
  String line = Get(index);
  auto at = line.find(nameValueSeparator_);
  return at == String::npos ? String() : line.substr(0, at);
}

String TStrings::Values(StringView name) const {
  int index = IndexOfName(name);
  return index < 0 ? String() : String(valuePart(Get(index), nameValueSeparator_));
}

void TStrings::SetValues(StringView name, StringView value) {
  int index = IndexOfName(name);
  if (!value.empty()) {
    String line(name);
    line.push_back(nameValueSeparator_);
    line += value;
    if (index < 0) {
      Add(line);
    } else {
      Put(index, line);
    }
  } else if (index >= 0) {
    Delete(index);
  }
}

String TStrings::ValueFromIndex(int index) const {
  if (index < 0) return String();
  return String(valuePart(Get(index), nameValueSeparator_));
}

void TStrings::SetValueFromIndex(int index, StringView value) {
  if (!value.empty()) {
    if (index < 0) index = Add(String());
    String line = Names(index);
    line.push_back(nameValueSeparator_);
    line += value;
    Put(index, line);
  } else if (index >= 0) {
    Delete(index);
  }
}

TObject* TStrings::GetObject(int) const { return nullptr; }

void TStrings::Put(int index, const String& s) {
  TObject* object = GetObject(index);
  const UpdateScope<TStrings> update(*this);
  Delete(index);
  InsertObject(index, s, object);
}

void TStrings::PutObject(int, TObject*) {}

void TStrings::SetUpdateState(bool) {}

int TStrings::CompareStrings(StringView s1, StringView s2) const { return AnsiCompareText(s1, s2); }

String TStrings::GetTextStr() const {
  String text;
  int count = GetCount();
  for (int i = 0; i < count; ++i) {
    text += Get(i);
    if (trailingLineBreak_ || i + 1 < count) text += lineBreak_;
  }
  return text;
}

void TStrings::SetTextStr(StringView text) {
  const UpdateScope<TStrings> update(*this);
  Clear();
  size_t i = 0;
  while (i < text.size()) {
    size_t start = i;
    while (i < text.size() && text[i] != u'\r' && text[i] != u'\n') ++i;
    Add(String(text.substr(start, i - start)));
    if (i < text.size() && text[i] == u'\r') ++i;
    if (i < text.size() && text[i] == u'\n') ++i;
  }
}

namespace {

String joinDelimited(const TStrings& list, Char delimiter, Char quote, bool strict) {
  int count = list.Count();
  if (count == 1 && list[0].empty() && quote != 0) return String(2, quote);
  String out;
  for (int i = 0; i < count; ++i) {
    String s = list[i];
    bool needsQuotes = false;
    for (Char c : s) {
      if (c == 0 || c == quote || c == delimiter || (!strict && c <= u' ')) {
        needsQuotes = true;
        break;
      }
    }
    if (needsQuotes && quote != 0) {
      out.push_back(quote);
      for (Char c : s) {
        out.push_back(c);
        if (c == quote) out.push_back(quote);
      }
      out.push_back(quote);
    } else {
      out += s;
    }
    if (i + 1 < count) out.push_back(delimiter);
  }
  return out;
}

bool isBlankListChar(Char c) { return c >= 1 && c <= u' '; }

// Reads a quoted item starting at text[i] (the opening quote); a doubled
// quote stands for one. An unterminated item runs to the end of the text.
String extractQuoted(StringView text, size_t& i, Char quote) {
  String s;
  ++i;
  while (i < text.size()) {
    if (text[i] == quote) {
      if (i + 1 < text.size() && text[i + 1] == quote) {
        s.push_back(quote);
        i += 2;
        continue;
      }
      ++i;
      break;
    }
    s.push_back(text[i++]);
  }
  return s;
}

void splitDelimited(TStrings& list, StringView text, Char delimiter, Char quote, bool strict) {
  size_t i = 0;
  if (!strict) {
    while (i < text.size() && isBlankListChar(text[i])) ++i;
  }
  while (i < text.size()) {
    if (quote != 0 && text[i] == quote) {
      list.Add(extractQuoted(text, i, quote));
    } else {
      // A zero character is kept as part of an item rather than ending the
      // text, so nothing after it is lost.
      size_t start = i;
      while (i < text.size() && text[i] != delimiter &&
             (strict || text[i] > u' ' || text[i] == 0)) {
        ++i;
      }
      list.Add(String(text.substr(start, i - start)));
    }
    if (!strict) {
      while (i < text.size() && isBlankListChar(text[i])) ++i;
    }
    if (i < text.size() && text[i] == delimiter) {
      // A delimiter at the very end stands for one more, empty, item.
      if (i + 1 == text.size()) list.Add(String());
      ++i;
      if (!strict) {
        while (i < text.size() && isBlankListChar(text[i])) ++i;
      }
    }
  }
}

}  // namespace

String TStrings::CommaText() const { return joinDelimited(*this, u',', u'"', false); }

void TStrings::SetCommaText(StringView text) {
  const UpdateScope<TStrings> update(*this);
  Clear();
  splitDelimited(*this, text, u',', u'"', false);
}

String TStrings::DelimitedText() const {
  return joinDelimited(*this, delimiter_, quoteChar_, strictDelimiter_);
}

void TStrings::SetDelimitedText(StringView text) {
  const UpdateScope<TStrings> update(*this);
  Clear();
  splitDelimited(*this, text, delimiter_, quoteChar_, strictDelimiter_);
}

void TStrings::SetDefaultEncoding(TEncoding* value) {
  defaultEncoding_ = value ? value : TEncoding::Default();
}

void TStrings::LoadFromStream(TStream& stream, TEncoding* encoding) {
  TBytes bytes = ReadAllBytes(stream);
  bool explicitEncoding = encoding != nullptr;
  size_t preamble = TEncoding::GetBufferEncoding(bytes, encoding, defaultEncoding_);
  // Without a preamble or a caller's choice, text that is not UTF-8 is taken
  // as ANSI, the encoding older files were written in.
  if (!explicitEncoding && preamble == 0 && encoding->CodePage() == 65001 &&
      !TEncoding::IsValidUtf8(bytes.data(), bytes.size())) {
    encoding = TEncoding::ANSI();
  }
  String text = encoding->GetString(bytes.data() + preamble, bytes.size() - preamble);
  const UpdateScope<TStrings> update(*this);
  encoding_ = encoding;
  SetTextStr(text);
}

void TStrings::LoadFromFile(const String& fileName, TEncoding* encoding) {
  TFileStream stream(fileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(stream, encoding);
}

void TStrings::SaveToStream(TStream& stream, TEncoding* encoding) const {
  if (!encoding) encoding = encoding_ ? encoding_ : defaultEncoding_;
  if (writeBOM_) {
    TBytes preamble = encoding->GetPreamble();
    if (!preamble.empty()) stream.WriteBuffer(preamble.data(), static_cast<Int64>(preamble.size()));
  }
  TBytes bytes = encoding->GetBytes(GetTextStr());
  if (!bytes.empty()) stream.WriteBuffer(bytes.data(), static_cast<Int64>(bytes.size()));
}

void TStrings::SaveToFile(const String& fileName, TEncoding* encoding) const {
  TFileStream stream(fileName, fmCreate);
  SaveToStream(stream, encoding);
}

// --- TStringList ------------------------------------------------------------------

TStringList::TStringList() = default;
TStringList::TStringList(bool ownsObjects) : ownsObjects_(ownsObjects) {}

TStringList::~TStringList() {
  onChange_ = {};
  onChanging_ = {};
  if (ownsObjects_) {
    for (Item& item : items_) {
      if (TObject* object = std::exchange(item.object, nullptr)) object->Free();
    }
  }
}

void TStringList::checkIndex(int index) const {
  if (index < 0 || index >= GetCount()) Error(kStringListIndexError, index);
}

void TStringList::Changed() {
  if (UpdateCount() == 0 && onChange_) onChange_(this);
}

void TStringList::Changing() {
  if (UpdateCount() == 0 && onChanging_) onChanging_(this);
}

void TStringList::SetUpdateState(bool updating) {
  if (updating) {
    Changing();
  } else {
    Changed();
  }
}

int TStringList::Add(const String& s) { return AddObject(s, nullptr); }

int TStringList::AddObject(const String& s, TObject* object) {
  int index;
  if (!sorted_) {
    index = GetCount();
  } else if (Find(s, index)) {
    switch (duplicates_) {
      case dupIgnore: return index;
      case dupError: Error(kDuplicateString, 0);
      case dupAccept: break;
    }
  }
  InsertItem(index, s, object);
  return index;
}

void TStringList::Clear() {
  if (items_.empty()) return;
  Changing();
  // Detach first: a freed object's destructor may look at this list.
  std::vector<Item> old;
  old.swap(items_);
  if (ownsObjects_) {
    for (Item& item : old) {
      if (item.object) item.object->Free();
    }
  }
  Changed();
}

void TStringList::Delete(int index) {
  checkIndex(index);
  Changing();
  TObject* object = items_[static_cast<size_t>(index)].object;
  items_.erase(items_.begin() + index);
  if (ownsObjects_ && object) object->Free();
  Changed();
}

void TStringList::Exchange(int index1, int index2) {
  checkIndex(index1);
  checkIndex(index2);
  Changing();
  std::swap(items_[static_cast<size_t>(index1)], items_[static_cast<size_t>(index2)]);
  Changed();
}

void TStringList::Move(int curIndex, int newIndex) {
  if (curIndex == newIndex) return;
  if (sorted_) Error(kSortedListError, 0);
  checkIndex(curIndex);
  checkIndex(newIndex);
  Changing();
  Item item = std::move(items_[static_cast<size_t>(curIndex)]);
  items_.erase(items_.begin() + curIndex);
  items_.insert(items_.begin() + newIndex, std::move(item));
  Changed();
}

void TStringList::Insert(int index, const String& s) { InsertObject(index, s, nullptr); }

void TStringList::InsertObject(int index, const String& s, TObject* object) {
  if (sorted_) Error(kSortedListError, 0);
  if (index < 0 || index > GetCount()) Error(kStringListIndexError, index);
  InsertItem(index, s, object);
}

void TStringList::InsertItem(int index, const String& s, TObject* object) {
  Changing();
  items_.insert(items_.begin() + index, Item{s, object});
  Changed();
}

int TStringList::IndexOf(StringView s) const {
  if (!sorted_) return TStrings::IndexOf(s);
  int index;
  return Find(s, index) ? index : -1;
}

bool TStringList::Find(StringView s, int& index) const {
  // Lower bound: the first line not less than s.
  int low = 0, high = GetCount() - 1;
  bool found = false;
  while (low <= high) {
    int mid = low + (high - low) / 2;
    int c = CompareStrings(items_[static_cast<size_t>(mid)].string, s);
    if (c < 0) {
      low = mid + 1;
    } else {
      high = mid - 1;
      if (c == 0) found = true;
    }
  }
  index = low;
  return found;
}

int TStringList::CompareItems(int index1, int index2) const {
  return CompareStrings(items_[static_cast<size_t>(index1)].string,
                        items_[static_cast<size_t>(index2)].string);
}

namespace {
int compareListItems(TStringList* list, int index1, int index2) {
  return list->CompareItems(index1, index2);
}
}  // namespace

void TStringList::Sort() { CustomSort(compareListItems); }

void TStringList::CustomSort(TStringListSortCompare compare) {
  if (sorted_ || GetCount() < 2 || !compare) return;
  Changing();
  quickSort(0, GetCount() - 1, compare);
  Changed();
}

// Hoare's quicksort over indexes, following the pivot as it moves; bounds
// are checked so a compare function that is not a strict order cannot run
// off the list.
void TStringList::quickSort(int left, int right, TStringListSortCompare compare) {
  while (left < right) {
    int i = left, j = right;
    int pivot = left + (right - left) / 2;
    do {
      while (i < right && compare(this, i, pivot) < 0) ++i;
      while (j > left && compare(this, j, pivot) > 0) --j;
      if (i <= j) {
        if (i != j) {
          std::swap(items_[static_cast<size_t>(i)], items_[static_cast<size_t>(j)]);
          if (pivot == i) {
            pivot = j;
          } else if (pivot == j) {
            pivot = i;
          }
        }
        ++i;
        --j;
      }
    } while (i <= j);
    if (left < j) quickSort(left, j, compare);
    left = i;
  }
}

void TStringList::SetSorted(bool value) {
  if (sorted_ == value) return;
  if (value) Sort();
  sorted_ = value;
}

void TStringList::SetCaseSensitive(bool value) {
  if (caseSensitive_ == value) return;
  caseSensitive_ = value;
  if (sorted_) {
    sorted_ = false;
    Sort();
    sorted_ = true;
  }
}

String TStringList::Get(int index) const {
  checkIndex(index);
  return items_[static_cast<size_t>(index)].string;
}

TObject* TStringList::GetObject(int index) const {
  checkIndex(index);
  return items_[static_cast<size_t>(index)].object;
}

void TStringList::Put(int index, const String& s) {
  if (sorted_) Error(kSortedListError, 0);
  checkIndex(index);
  Changing();
  items_[static_cast<size_t>(index)].string = s;
  Changed();
}

void TStringList::PutObject(int index, TObject* object) {
  checkIndex(index);
  Changing();
  items_[static_cast<size_t>(index)].object = object;
  Changed();
}

void TStringList::SetCapacityImpl(int value) {
  if (value < GetCount()) Error(u"List capacity out of bounds (%d)", value);
  items_.reserve(static_cast<size_t>(value));
}

int TStringList::CompareStrings(StringView s1, StringView s2) const {
  return caseSensitive_ ? AnsiCompareStr(s1, s2) : AnsiCompareText(s1, s2);
}

}  // namespace rtl
