#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/rtl/except.h"
#include "platform/rtl/formatsettings.h"
#include "platform/rtl/inifiles.h"
#include "platform/rtl/stringlist.h"
#include "platform/rtl/ustring.h"
#include "tests/support/test_support.h"

namespace {

using rtl::S;
using rtl::String;

std::string u8(const String& s) { return rtl::StringToUtf8(s); }

std::vector<std::string> lines(const rtl::TStrings& list) {
  std::vector<std::string> out;
  for (int i = 0; i < list.Count(); ++i) out.push_back(u8(list[i]));
  return out;
}

TEST(TMemIniFile, RoundTripThroughAFileKeepsOrderCommentsAndCase) {
  testing_support::TempDir dir;
  auto path = dir / "app.ini";
  testing_support::WriteFile(path,
                             "; settings of the program\n"
                             "[Database]\n"
                             "; the alias\n"
                             "Alias = ERP \n"
                             "Url=host=db;port=5432\n"
                             "\n"
                             "[Login]\n"
                             "User=ana\n");
  String file = S(path.string());
  {
    rtl::TMemIniFile ini(file);
    EXPECT_EQ(u8(ini.ReadString(S("DATABASE"), S("alias"), S(""))), "ERP");
    EXPECT_EQ(u8(ini.ReadString(S("database"), S("URL"), S(""))), "host=db;port=5432");
    EXPECT_EQ(u8(ini.ReadString(S("Login"), S("missing"), S("def"))), "def");
    ini.WriteString(S("login"), S("USER"), S("bia"));   // replaces, keeps the key's spelling
    ini.WriteString(S("Database"), S("Timeout"), S("30"));
    ini.WriteString(S("New"), S("Key"), S("a=b"));
    ini.UpdateFile();
  }
  EXPECT_EQ(testing_support::ReadFile(path),
            "; settings of the program\n"
            "\n"
            "[Database]\n"
            "; the alias\n"
            "Alias=ERP\n"
            "Url=host=db;port=5432\n"
            "Timeout=30\n"
            "\n"
            "[Login]\n"
            "User=bia\n"
            "\n"
            "[New]\n"
            "Key=a=b\n");
  rtl::TMemIniFile again(file);
  EXPECT_EQ(u8(again.ReadString(S("new"), S("key"), S(""))), "a=b");
}

TEST(TMemIniFile, SectionsKeysAndErasing) {
  rtl::TMemIniFile ini(S(""));
  rtl::TStringList text;
  text.SetText(S("[A]\nx=1\ny=2\n[B]\n[a]\nz=3\nnot a key\n"));
  ini.SetStrings(text);  // the second [a] joins the first

  rtl::TStringList list;
  ini.ReadSections(list);
  EXPECT_EQ(lines(list), (std::vector<std::string>{"A", "B"}));
  ini.ReadSection(S("a"), list);
  EXPECT_EQ(lines(list), (std::vector<std::string>{"x", "y", "z"}));
  ini.ReadSectionValues(S("A"), list);
  EXPECT_EQ(lines(list), (std::vector<std::string>{"x=1", "y=2", "z=3"}));
  EXPECT_TRUE(ini.SectionExists(S("b")));
  EXPECT_FALSE(ini.SectionExists(S("c")));
  EXPECT_TRUE(ini.ValueExists(S("a"), S("Z")));
  EXPECT_FALSE(ini.ValueExists(S("b"), S("z")));

  ini.DeleteKey(S("A"), S("y"));
  ini.EraseSection(S("b"));
  ini.GetStrings(list);
  EXPECT_EQ(lines(list), (std::vector<std::string>{"[A]", "x=1", "z=3", "not a key"}));
}

TEST(TMemIniFile, TypedValues) {
  rtl::TMemIniFile ini(S(""));
  ini.WriteInteger(S("s"), S("int"), -42);
  ini.WriteBool(S("s"), S("bool"), true);
  ini.WriteFloat(S("s"), S("float"), 2.5);
  ini.WriteDateTime(S("s"), S("when"), 46022.75);  // 2025-12-31 18:00
  ini.WriteString(S("s"), S("hex"), S("0x1F"));
  ini.WriteString(S("s"), S("dollar"), S("$10"));
  ini.WriteString(S("s"), S("word"), S("True"));
  ini.WriteString(S("s"), S("junk"), S("12abc"));
  ini.WriteString(S("s"), S("dot"), S("1.25"));
  EXPECT_EQ(ini.ReadInteger(S("s"), S("int"), 0), -42);
  EXPECT_EQ(ini.ReadInteger(S("s"), S("hex"), 0), 31);
  EXPECT_EQ(ini.ReadInteger(S("s"), S("dollar"), 0), 16);
  EXPECT_EQ(ini.ReadInteger(S("s"), S("junk"), 7), 7);
  EXPECT_TRUE(ini.ReadBool(S("s"), S("bool"), false));
  EXPECT_TRUE(ini.ReadBool(S("s"), S("word"), false));
  EXPECT_FALSE(ini.ReadBool(S("s"), S("junk"), false));
  EXPECT_DOUBLE_EQ(ini.ReadFloat(S("s"), S("float"), 0), 2.5);
  EXPECT_DOUBLE_EQ(ini.ReadFloat(S("s"), S("dot"), 0), 1.25);
  EXPECT_DOUBLE_EQ(ini.ReadFloat(S("s"), S("junk"), 9), 9);
  EXPECT_EQ(u8(ini.ReadString(S("s"), S("when"), S(""))), "2025-12-31 18:00:00.000");
  EXPECT_DOUBLE_EQ(ini.ReadDateTime(S("s"), S("when"), 0), 46022.75);
  EXPECT_DOUBLE_EQ(ini.ReadDate(S("s"), S("when"), 0), 46022);
  EXPECT_DOUBLE_EQ(ini.ReadTime(S("s"), S("when"), 0), 0.75);
  EXPECT_DOUBLE_EQ(ini.ReadDateTime(S("s"), S("junk"), -1), -1);
}

TEST(TMemIniFile, ReadingAcceptsPreamblesUtf16AndAnsi) {
  struct Case {
    const char* what;
    std::string bytes;
  } cases[] = {
      {"UTF-8", "[S]\nk=S\xC3\xA3o\n"},
      {"UTF-8 with preamble", "\xEF\xBB\xBF[S]\nk=S\xC3\xA3o\n"},
      {"UTF-16LE with preamble", std::string("\xFF\xFE[\0S\0]\0\n\0k\0=\0S\0\xE3\0o\0", 20)},
      {"UTF-16LE without preamble", std::string("[\0S\0]\0\n\0k\0=\0S\0\xE3\0o\0", 18)},
      {"UTF-16BE with preamble", std::string("\xFE\xFF\0[\0S\0]\0\n\0k\0=\0S\0\xE3\0o", 20)},
      {"ANSI", "[S]\r\nk=S\xE3o\r\n"},
  };
  for (const Case& c : cases) {
    testing_support::TempDir dir;
    testing_support::WriteFile(dir / "x.ini", c.bytes);
    rtl::TMemIniFile ini(S((dir / "x.ini").string()));
    EXPECT_EQ(u8(ini.ReadString(S("s"), S("K"), S(""))), "São") << c.what;
    ini.UpdateFile();  // always written back as UTF-8 without preamble
    EXPECT_EQ(testing_support::ReadFile(dir / "x.ini"), "[S]\nk=S\xC3\xA3o\n") << c.what;
  }
}

TEST(TMemIniFile, AMissingFileIsEmptyAndAnUnwritableOneRaises) {
  testing_support::TempDir dir;
  rtl::TMemIniFile ini(S((dir / "no" / "such" / "file.ini").string()));
  EXPECT_EQ(u8(ini.ReadString(S("a"), S("b"), S("d"))), "d");
  ini.WriteString(S("a"), S("b"), S("c"));
  EXPECT_THROW(ini.UpdateFile(), rtl::EIniFileException);
  EXPECT_EQ(u8(ini.ReadString(S("a"), S("b"), S("d"))), "c");  // nothing lost in memory
}

TEST(TIniFile, WritesThroughAndSeesOtherWriters) {
  testing_support::TempDir dir;
  String file = S((dir / "live.ini").string());
  rtl::TIniFile first(file);
  rtl::TIniFile second(file);
  first.WriteString(S("Main"), S("Key"), S("one"));
  EXPECT_EQ(testing_support::ReadFile(dir / "live.ini"), "[Main]\nKey=one\n");
  EXPECT_EQ(u8(second.ReadString(S("main"), S("key"), S(""))), "one");
  second.WriteInteger(S("Main"), S("Count"), 2);
  EXPECT_EQ(first.ReadInteger(S("MAIN"), S("count"), 0), 2);
  first.DeleteKey(S("main"), S("key"));
  EXPECT_FALSE(second.ValueExists(S("Main"), S("Key")));
  second.EraseSection(S("main"));
  EXPECT_EQ(testing_support::ReadFile(dir / "live.ini"), "");
}

}  // namespace
