#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/rtl/encoding.h"
#include "platform/rtl/except.h"
#include "platform/rtl/streams.h"
#include "platform/rtl/stringlist.h"
#include "platform/rtl/ustring.h"
#include "tests/support/test_support.h"

namespace {

using rtl::S;
using rtl::String;
using rtl::TStringList;

std::vector<std::string> lines(const rtl::TStrings& list) {
  std::vector<std::string> out;
  for (int i = 0; i < list.Count(); ++i) out.push_back(rtl::StringToUtf8(list[i]));
  return out;
}

std::string u8(const String& s) { return rtl::StringToUtf8(s); }

TEST(TStrings, NameValueLines) {
  TStringList list;
  list.SetText(S("Host=db.local\nport=5432\nno separator\nURL=a=b=c\n=empty name\n"));
  EXPECT_EQ(list.IndexOfName(S("PORT")), 1);  // names ignore case
  EXPECT_EQ(u8(list.Values(S("url"))), "a=b=c");
  EXPECT_EQ(u8(list.Names(2)), "");
  EXPECT_EQ(u8(list.ValueFromIndex(2)), "");
  EXPECT_EQ(u8(list.Names(3)), "URL");
  EXPECT_EQ(u8(list.ValueFromIndex(3)), "a=b=c");
  EXPECT_EQ(u8(list.Values(S("missing"))), "");

  list.SetValues(S("port"), S("6543"));  // replaces the line, keeps its place
  EXPECT_EQ(u8(list[1]), "port=6543");
  list.SetValues(S("New"), S("1"));  // appends
  EXPECT_EQ(u8(list[list.Count() - 1]), "New=1");
  list.SetValues(S("HOST"), S(""));  // an empty value deletes the line
  EXPECT_EQ(list.IndexOfName(S("Host")), -1);
  list.SetValueFromIndex(0, S("7"));
  EXPECT_EQ(u8(list[0]), "port=7");

  list.SetNameValueSeparator(u':');
  list.Clear();
  list.Add(S("a:b=c"));
  EXPECT_EQ(u8(list.Values(S("a"))), "b=c");
}

TEST(TStrings, TextReadsEveryLineBreakAndWritesLineBreak) {
  struct Case {
    const char* text;
    std::vector<std::string> lines;
  } cases[] = {
      {"", {}},
      {"one", {"one"}},
      {"a\r\nb\nc\rd", {"a", "b", "c", "d"}},
      {"a\n\nb\n", {"a", "", "b"}},
      {"a\r\n\r\n", {"a", ""}},
      {"\n", {""}},
      {"a\n\rb", {"a", "", "b"}},  // LF then CR are two breaks
  };
  for (const Case& c : cases) {
    TStringList list;
    list.SetText(S(c.text));
    EXPECT_EQ(lines(list), c.lines) << c.text;
  }
  TStringList list;
  list.SetText(S("x\r\ny"));
  EXPECT_EQ(u8(list.Text()), "x\ny\n");
  list.SetLineBreak(u"\r\n");
  EXPECT_EQ(u8(list.Text()), "x\r\ny\r\n");
  list.SetTrailingLineBreak(false);
  EXPECT_EQ(u8(list.Text()), "x\r\ny");
}

TEST(TStrings, CommaTextQuotingAndParsing) {
  struct Case {
    std::vector<std::string> items;
    const char* text;
  } writes[] = {
      {{}, ""},
      {{""}, "\"\""},
      {{"a", "b"}, "a,b"},
      {{"a b", "c"}, "\"a b\",c"},
      {{"say \"hi\""}, "\"say \"\"hi\"\"\""},
      {{"x,y"}, "\"x,y\""},
      {{"a", "", "b"}, "a,,b"},
      {{"a", ""}, "a,"},
      {{"tab\there"}, "\"tab\there\""},
  };
  for (const Case& c : writes) {
    TStringList list;
    for (const auto& s : c.items) list.Add(S(s));
    EXPECT_EQ(u8(list.CommaText()), c.text);
    TStringList back;
    back.SetCommaText(list.CommaText());
    EXPECT_EQ(lines(back), c.items) << c.text;
  }
  struct Parse {
    const char* text;
    std::vector<std::string> items;
  } reads[] = {
      {"a b,c", {"a", "b", "c"}},  // spaces separate too
      {"  a ,  b  ", {"a", "b"}},
      {"\"a\"b,c", {"a", "b", "c"}},
      {"\"unterminated, x", {"unterminated, x"}},
      {",a", {"", "a"}},
      {"\"\"", {""}},
  };
  for (const Parse& c : reads) {
    TStringList list;
    list.SetCommaText(S(c.text));
    EXPECT_EQ(lines(list), c.items) << c.text;
  }
  // A zero character neither ends the text nor stalls the parser.
  TStringList zero;
  zero.SetCommaText(String(u"a\0b c", 5));
  ASSERT_EQ(zero.Count(), 2);
  EXPECT_EQ(zero[0], String(u"a\0b", 3));
  EXPECT_EQ(zero.CommaText(), String(u"\"a\0b\",c", 7));
}

TEST(TStrings, DelimitedTextHonoursDelimiterQuoteAndStrictDelimiter) {
  TStringList list;
  list.SetDelimiter(u';');
  list.SetQuoteChar(u'\'');
  list.SetDelimitedText(S("a b;'c;d';e''f"));
  EXPECT_EQ(lines(list), (std::vector<std::string>{"a", "b", "c;d", "e''f"}));
  list.SetStrictDelimiter(true);
  list.SetDelimitedText(S(" a b ;'it''s';"));
  EXPECT_EQ(lines(list), (std::vector<std::string>{" a b ", "it's", ""}));
  // Strict: spaces need no quotes, the delimiter and the quote still do.
  EXPECT_EQ(u8(list.DelimitedText()), " a b ;'it''s';");
  TStringList back;
  back.SetDelimiter(u';');
  back.SetQuoteChar(u'\'');
  back.SetStrictDelimiter(true);
  back.SetDelimitedText(list.DelimitedText());
  EXPECT_TRUE(back.Equals(list));
  // CommaText uses its own settings and leaves the list's alone.
  EXPECT_EQ(u8(list.CommaText()), "\" a b \",it's,");
  EXPECT_EQ(list.Delimiter(), u';');
}

TEST(TStringList, SortedListsKeepOrderAndApplyDuplicates) {
  struct Case {
    rtl::TDuplicates duplicates;
    std::vector<std::string> expected;
  } cases[] = {
      {rtl::dupIgnore, {"apple", "Banana", "cherry"}},
      {rtl::dupAccept, {"apple", "banana", "Banana", "cherry"}},
  };
  for (const Case& c : cases) {
    TStringList list;
    list.SetSorted(true);
    list.SetDuplicates(c.duplicates);
    for (const char* s : {"cherry", "Banana", "apple", "banana"}) list.Add(S(s));
    EXPECT_EQ(lines(list), c.expected);
  }
  TStringList list;
  list.SetSorted(true);
  list.SetDuplicates(rtl::dupError);
  list.Add(S("x"));
  try {
    list.Add(S("X"));
    FAIL() << "no error";
  } catch (const rtl::EStringListError& e) {
    EXPECT_STREQ(e.what(), "String list does not allow duplicates");
  }
  list.SetCaseSensitive(true);
  EXPECT_NO_THROW(list.Add(S("X")));
  EXPECT_EQ(list.Count(), 2);
}

TEST(TStringList, FindAndIndexOfOnSortedLists) {
  TStringList list;
  list.SetSorted(true);
  for (const char* s : {"delta", "alpha", "charlie", "echo"}) list.Add(S(s));
  int index = -1;
  EXPECT_TRUE(list.Find(S("CHARLIE"), index));
  EXPECT_EQ(index, 1);
  EXPECT_FALSE(list.Find(S("bravo"), index));
  EXPECT_EQ(index, 1);  // where it would go
  EXPECT_FALSE(list.Find(S("zulu"), index));
  EXPECT_EQ(index, 4);
  EXPECT_EQ(list.IndexOf(S("Echo")), 3);
  EXPECT_EQ(list.IndexOf(S("bravo")), -1);
}

TEST(TStringList, SortedListRefusesPositionalChangesAndBadIndexes) {
  TStringList list;
  list.SetSorted(true);
  list.Add(S("a"));
  auto message = [](const std::function<void()>& f) -> std::string {
    try {
      f();
    } catch (const rtl::EStringListError& e) {
      return e.what();
    }
    return "(no error)";
  };
  EXPECT_EQ(message([&] { list.Insert(0, S("b")); }), "Operation not allowed on sorted list");
  EXPECT_EQ(message([&] { list.SetStrings(0, S("b")); }), "Operation not allowed on sorted list");
  EXPECT_EQ(message([&] { list.Strings(1); }), "List index out of bounds (1)");
  EXPECT_EQ(message([&] { list.Delete(-1); }), "List index out of bounds (-1)");
  list.SetSorted(false);
  EXPECT_EQ(message([&] { list.Insert(2, S("b")); }), "List index out of bounds (2)");
}

TEST(TStringList, CaseSensitivityAndCustomSort) {
  TStringList list;
  list.AddStrings({u"b", u"B", u"a"});
  EXPECT_EQ(list.IndexOf(S("A")), 2);
  list.SetCaseSensitive(true);
  EXPECT_EQ(list.IndexOf(S("A")), -1);
  list.CustomSort([](TStringList* l, int i, int j) {
    // Longest first, then by text: a sort of our own.
    auto a = l->Strings(i), b = l->Strings(j);
    return a.size() != b.size() ? static_cast<int>(b.size()) - static_cast<int>(a.size())
                                : rtl::CompareStr(a, b);
  });
  EXPECT_EQ(lines(list), (std::vector<std::string>{"B", "a", "b"}));
}

struct ChangeCounter : rtl::TObject {
  int changes = 0;
  int changing = 0;
  void OnChange(rtl::TObject*) { ++changes; }
  void OnChanging(rtl::TObject*) { ++changing; }
};

TEST(TStringList, ChangeEventsFireOncePerUpdateBracket) {
  ChangeCounter counter;
  TStringList list;
  list.SetOnChange(rtl::TNotifyEvent::bind<&ChangeCounter::OnChange>(&counter));
  list.SetOnChanging(rtl::TNotifyEvent::bind<&ChangeCounter::OnChanging>(&counter));
  list.Add(S("a"));
  EXPECT_EQ(counter.changes, 1);
  EXPECT_EQ(counter.changing, 1);

  list.BeginUpdate();
  list.BeginUpdate();
  list.Add(S("b"));
  list.Delete(0);
  list.SetText(S("x\ny\nz"));
  list.EndUpdate();
  EXPECT_EQ(counter.changes, 1);
  list.EndUpdate();
  EXPECT_EQ(counter.changes, 2);
  EXPECT_EQ(counter.changing, 2);

  // SetText and AddStrings are brackets of their own.
  list.SetText(S("1\n2\n3\n"));
  EXPECT_EQ(counter.changes, 3);
  list.Clear();
  EXPECT_EQ(counter.changes, 4);
  list.Clear();  // nothing to clear, nothing to report
  EXPECT_EQ(counter.changes, 4);
}

struct RaisingOnChange : rtl::TObject {
  void OnChange(rtl::TObject*) { throw rtl::EConvertError(u"refused"); }
};

TEST(TStringList, AChangeHandlerThatRaisesReachesTheCallerOfABracketedChange) {
  RaisingOnChange handler;
  TStringList list;
  list.SetOnChange(rtl::TNotifyEvent::bind<&RaisingOnChange::OnChange>(&handler));
  TStringList source;
  source.SetText(S("a\nb"));
  // The change is made and then reported; the report's exception reaches the
  // caller instead of ending the process from inside the closing bracket.
  EXPECT_THROW(list.AddStrings(source), rtl::EConvertError);
  EXPECT_EQ(list.Count(), 2);
  EXPECT_THROW(list.SetText(S("x")), rtl::EConvertError);
  EXPECT_EQ(list.Count(), 1);
}

struct Owned : rtl::TObject {
  explicit Owned(int* deaths) : deaths_(deaths) {}
  ~Owned() override { ++*deaths_; }
  int* deaths_;
};

TEST(TStringList, OwnsObjectsFreesThemAsLinesGo) {
  int deaths = 0;
  {
    TStringList list(true);
    list.AddObject(S("a"), new Owned(&deaths));
    list.AddObject(S("b"), new Owned(&deaths));
    list.AddObject(S("c"), new Owned(&deaths));
    list.Move(0, 2);  // moving is not deleting
    EXPECT_EQ(deaths, 0);
    EXPECT_EQ(u8(list[2]), "a");
    list.Delete(0);
    EXPECT_EQ(deaths, 1);
  }
  EXPECT_EQ(deaths, 3);
}

TEST(TStrings, AssignCopiesLinesObjectsAndSettings) {
  TStringList source;
  source.SetDelimiter(u'|');
  source.AddObject(S("k=v"), &source);
  TStringList copy;
  copy.Add(S("old"));
  copy.Assign(&source);
  EXPECT_TRUE(copy.Equals(source));
  EXPECT_EQ(copy.Objects(0), &source);
  EXPECT_EQ(copy.Delimiter(), u'|');
  copy.Add(S("more"));
  EXPECT_FALSE(copy.Equals(source));
}

struct LoadCase {
  const char* what;
  std::string bytes;
  const char* text;
  rtl::TEncoding* encoding;
};

TEST(TStrings, LoadFromStreamDetectsTheEncoding) {
  LoadCase cases[] = {
      {"UTF-8 with preamble", "\xEF\xBB\xBF" "ol\xC3\xA1\n", "olá", rtl::TEncoding::UTF8()},
      {"UTF-8 without preamble", "ol\xC3\xA1\n", "olá", rtl::TEncoding::Default()},
      {"UTF-16LE", std::string("\xFF\xFE" "o\0l\0\xE1\0", 8), "olá", rtl::TEncoding::Unicode()},
      {"UTF-16BE", std::string("\xFE\xFF\0o\0l\0\xE1", 8), "olá", rtl::TEncoding::BigEndianUnicode()},
      {"not UTF-8: ANSI", "ol\xE1 \x80", "olá €", rtl::TEncoding::ANSI()},
      {"empty", "", "", rtl::TEncoding::Default()},
  };
  for (const LoadCase& c : cases) {
    rtl::TBytesStream stream(rtl::TBytes(c.bytes.begin(), c.bytes.end()));
    TStringList list;
    list.LoadFromStream(stream);
    EXPECT_EQ(u8(list.Text()), c.text + std::string(*c.text ? "\n" : "")) << c.what;
    EXPECT_EQ(list.Encoding(), c.encoding) << c.what;
  }
}

TEST(TStrings, SaveKeepsTheLoadedEncodingAndWritesPlainUtf8ByDefault) {
  testing_support::TempDir dir;
  String file = S((dir / "list.txt").string());
  TStringList list;
  list.AddStrings({u"São", u"Paulo"});
  list.SaveToFile(file);
  EXPECT_EQ(testing_support::ReadFile(dir / "list.txt"), "S\xC3\xA3o\nPaulo\n");

  list.SaveToFile(file, rtl::TEncoding::Unicode());
  std::string utf16 = testing_support::ReadFile(dir / "list.txt");
  EXPECT_EQ(utf16.substr(0, 4), std::string("\xFF\xFES\0", 4));

  TStringList back;
  back.LoadFromFile(file);
  EXPECT_TRUE(back.Equals(list));
  back.Add(S("x"));
  back.SaveToFile(file);  // stays UTF-16 with its preamble
  EXPECT_EQ(testing_support::ReadFile(dir / "list.txt").substr(0, 2), "\xFF\xFE");

  back.SetWriteBOM(false);
  back.SaveToFile(file, rtl::TEncoding::UTF8());
  EXPECT_EQ(testing_support::ReadFile(dir / "list.txt").substr(0, 1), "S");

  EXPECT_THROW(back.LoadFromFile(S((dir / "missing.txt").string())), rtl::EFOpenError);
}

TEST(TStrings, ExplicitEncodingSkipsOnlyItsOwnPreamble) {
  std::string bytes = "\xEF\xBB\xBFx";
  rtl::TBytesStream stream(rtl::TBytes(bytes.begin(), bytes.end()));
  TStringList list;
  list.LoadFromStream(stream, rtl::TEncoding::ANSI());
  EXPECT_EQ(u8(list[0]), "ï»¿x");
}

TEST(TEncoding, BufferEncodingAndRoundTrips) {
  rtl::TBytes bytes = {0xFF, 0xFE, 'a', 0};
  rtl::TEncoding* encoding = nullptr;
  EXPECT_EQ(rtl::TEncoding::GetBufferEncoding(bytes, encoding), 2u);
  EXPECT_EQ(encoding, rtl::TEncoding::Unicode());
  encoding = rtl::TEncoding::UTF8();
  EXPECT_EQ(rtl::TEncoding::GetBufferEncoding(bytes, encoding), 0u);

  String text = u"a\u00E9\u20AC\U0001F600";
  for (rtl::TEncoding* e : {rtl::TEncoding::UTF8(), rtl::TEncoding::Unicode(),
                            rtl::TEncoding::BigEndianUnicode()}) {
    EXPECT_EQ(e->GetString(e->GetBytes(text)), text) << e->CodePage();
  }
  EXPECT_EQ(rtl::TEncoding::ANSI()->GetBytes(u"\u20AC\u00E9\u4E00"), (rtl::TBytes{0x80, 0xE9, '?'}));
  EXPECT_EQ(rtl::TEncoding::ASCII()->GetBytes(u"\u00E9a"), (rtl::TBytes{'?', 'a'}));
  // Malformed input is replaced, never dropped: one replacement for each
  // byte of an encoded surrogate, as the string helpers do.
  EXPECT_EQ(rtl::TEncoding::UTF8()->GetString(rtl::TBytes{'a', 0xC3, 'b', 0xED, 0xA0, 0x80}),
            u"a\uFFFDb\uFFFD\uFFFD\uFFFD");
  EXPECT_EQ(rtl::TEncoding::Unicode()->GetString(rtl::TBytes{'a', 0, 'b'}), u"a\uFFFD");
  EXPECT_EQ(rtl::TEncoding::UTF8()->GetBytes(u"\xD800"), (rtl::TBytes{0xEF, 0xBF, 0xBD}));
}

}  // namespace
