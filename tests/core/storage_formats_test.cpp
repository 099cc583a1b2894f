// The registry, INI and stream formats of stored layouts: their helpers, the
// exact bytes and texts they keep, their guards against damaged input, and
// layouts stored and restored through each of them.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "lib/core/cxStorage.h"
#include "platform/rtl/except.h"
#include "platform/rtl/format.h"
#include "platform/rtl/inifiles.h"
#include "platform/rtl/registry.h"
#include "platform/rtl/streams.h"
#include "platform/rtl/stringlist.h"
#include "platform/rtl/ustring.h"
#include "tests/core/storage_test_objects.h"
#include "tests/support/test_support.h"

namespace {

using namespace core;
using rtl::Byte;
using rtl::String;
using rtl::TBytes;
using rtl::Variant;
using namespace storage_test;

std::string U8(const String& s) { return rtl::StringToUtf8(s); }
String S(const std::string& s) { return rtl::Utf8ToString(s); }

TBytes streamBytes(rtl::TMemoryStream& stream) {
  const auto* p = static_cast<const Byte*>(stream.Memory());
  return TBytes(p, p + stream.Size());
}

std::string fileText(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

// --- helpers ---------------------------------------------------------------------------

TEST(StorageHelpers, RegistryPathsAndRoots) {
  struct Case {
    const char16_t* name;
    rtl::NativeUInt root;  // FindRegistryKey
    const char16_t* path;  // GenRegistryPath
  };
  const Case cases[] = {
      {u"HKLM\\Software\\Layouts", rtl::HKEY_LOCAL_MACHINE, u"\\Software\\Layouts"},
      {u"Software\\Layouts", 0, u"\\Software\\Layouts"},
      {u"\\Software\\Layouts", 0, u"\\Software\\Layouts"},
      {u"HKDD\\X", rtl::HKEY_DYN_DATA, u"\\X"},
      {u"hklm\\X", 0, u"\\hklm\\X"},  // root names compare exactly
      {u"HKCU", 0, u"\\HKCU"},        // no "\": not a root
      {u"", 0, u""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FindRegistryKey(c.name), c.root) << U8(c.name);
    EXPECT_EQ(GenRegistryPath(c.name), c.path) << U8(c.name);
  }
  EXPECT_EQ(GetRegistryKey(u"HKCR"), rtl::HKEY_CLASSES_ROOT);
  EXPECT_EQ(GetRegistryKey(u"HKEY"), 0u);
}

TEST(StorageHelpers, QuotesBooleansAndPaths) {
  EXPECT_EQ(cxQuotedStr(u"a", u'"'), u"\"a\"");
  EXPECT_EQ(cxDequotedStr(u"\"ab\""), u"ab");
  struct QuoteCase {
    const char16_t* text;
    bool quoted;
  };
  for (const QuoteCase& c : {QuoteCase{u"\"x\"", true}, QuoteCase{u"\"\"", true}, QuoteCase{u"\"", false},
                             QuoteCase{u"x\"", false}, QuoteCase{u"", false}})
    EXPECT_EQ(IsStringValue(c.text), c.quoted) << U8(c.text);

  EXPECT_TRUE(StringToBoolean(u"true"));
  EXPECT_FALSE(StringToBoolean(u"FaLsE"));
  for (const char16_t* bad : {u"1", u"", u"yes", u"True "})
    EXPECT_THROW(StringToBoolean(bad), EPropertyConvertError) << U8(bad);

  std::vector<String> parents;
  EXPECT_EQ(ExtractObjectFullName(u"Form1.View/Bands/0", parents), u"0");
  EXPECT_EQ(parents, (std::vector<String>{u"Form1.View", u"Bands"}));
  parents.clear();
  EXPECT_EQ(ExtractObjectFullName(u"Root", parents), u"Root");
  EXPECT_TRUE(parents.empty());
}

TEST(StorageHelpers, StreamsAsHexText) {
  rtl::TMemoryStream source;
  const Byte data[] = {0x0A, 0x0B, 0xFF};
  source.WriteBuffer(data, 3);
  EXPECT_EQ(StreamToString(&source), u"Hex:0A0BFF");
  rtl::TMemoryStream empty;
  EXPECT_EQ(StreamToString(&empty), u"");
  EXPECT_EQ(StreamToString(nullptr), u"");

  struct Case {
    const char16_t* text;
    TBytes expected;
  };
  const Case cases[] = {{u"Hex:0A0B", {0x0A, 0x0B}}, {u"Hex:0", {}}, {u"Hex:", {}}, {u"Hex:ff00", {0xFF, 0x00}}};
  for (const Case& c : cases) {
    rtl::TMemoryStream target;
    StringToStream(c.text, &target);
    EXPECT_EQ(streamBytes(target), c.expected) << U8(c.text);
  }
}

// --- INI -------------------------------------------------------------------------------

TEST(StorageIni, StringsAreEscapedAndDecodedByVersion) {
  EXPECT_EQ(TcxIniFileWriter::EncodeString(u"a\\b\r\nc\td"), u"\"a\\\\b\\nc\\td\"");
  struct Case {
    const char16_t* stored;
    int version;
    const char16_t* text;
  };
  const Case cases[] = {
      {u"\"a\\\\b\\nc\\td\"", 2, u"a\\b\r\nc\td"},
      {u"\"a\\\\b\\nc\\td\"", 1, u"a\\b\r\nc\td"},
      {u"\"x\\qy\"", 2, u"x\\y"},          // an unknown escape keeps one backslash
      {u"\"end\\\"", 2, u"end"},           // a final lone backslash stands for nothing
      {u"\"a\\nb\"", -1, u"a\\nb"},        // no version: only the quotes go
      {u"\"a\\nb\"", 3, u"a\\nb"},
      {u"\"one \\Ntwo\"", 0, u"one\r\ntwo"},
      {u"\"x\\\\ny\"", 0, u"x\\ny"},
      {u"\"\"", 2, u""},
  };
  for (const Case& c : cases)
    EXPECT_EQ(TcxIniFileReader::DecodeString(c.stored, c.version), c.text) << U8(c.stored) << " v" << c.version;
  // A lone line break cannot stay on its line: it comes back as CR LF.
  EXPECT_EQ(TcxIniFileReader::DecodeString(TcxIniFileWriter::EncodeString(u"a\nb\rc"), 2), u"a\r\nb\r\nc");
}

class StorageIniFile : public ::testing::Test {
 protected:
  String file(const char* name = "layout.ini") { return S((dir_ / name).string()); }
  testing_support::TempDir dir_;
};

TEST_F(StorageIniFile, LayoutOfSectionsAndKeys) {
  TTestContainer layout;
  layout.name = u"Grid1View";
  layout.title = u"Line 1\r\nLine 2";
  layout.Add(u"Column1", u"", 120);
  TcxStorage storage(file());
  storage.SetNamePrefix(u"Form1");
  storage.StoreTo(&layout, TcxStorageType::stIniFile);
  // UTF-8 with its preamble, as the platform's UTF-8 encoding writes it.
  const std::string expected =
      "\xEF\xBB\xBF[Main]\nVersion=2\n\n"
      "[Form1.Grid1View: TTestContainer]\n=\nTitle=\"Line 1\\nLine 2\"\n\n"
      "[Form1.Grid1View/Column1: TTestItem]\n=\nText=\"\"\nSize=120\n";
  EXPECT_EQ(fileText(dir_ / "layout.ini"), expected);
}

TEST_F(StorageIniFile, FileWithoutMainSectionReadsAsNoVersion) {
  testing_support::WriteFile(dir_ / "old.ini", "[Layout: TTestContainer]\nTitle=\"a\\tb\"\n");
  TTestContainer layout;
  TcxIniFileReader reader(file("old.ini"), nullptr);
  TcxStorage(file("old.ini")).RestoreWithExistingReader(&layout, &reader);
  EXPECT_EQ(reader.StorageVersion(), -1);
  EXPECT_EQ(layout.title, u"a\\tb");
}

TEST_F(StorageIniFile, UnquotedValuesAreNumbersFirst) {
  testing_support::WriteFile(dir_ / "v.ini", "[Main]\nVersion=2\n[V: T]\nA=12\nB=1.5\nC=plain\nD=\n");
  TcxIniFileReader reader(file("v.ini"), nullptr);
  reader.BeginRead();
  EXPECT_EQ(rtl::VarType(reader.ReadProperty(u"V", u"T", u"A")), rtl::varInteger);
  EXPECT_EQ(rtl::VarType(reader.ReadProperty(u"V", u"T", u"B")), rtl::varDouble);
  EXPECT_EQ(rtl::VarToStr(reader.ReadProperty(u"V", u"T", u"C")), u"plain");
  EXPECT_EQ(rtl::VarToStr(reader.ReadProperty(u"V", u"T", u"D")), u"");
}

TEST_F(StorageIniFile, ClearingAnObjectErasesItAndItsDescendantsOnly) {
  testing_support::WriteFile(dir_ / "c.ini",
                             "[Main]\nVersion=2\n[View: T]\nA=1\n[View/Col: T]\nA=1\n[ViewOther: T]\nA=1\n"
                             "[view:T]\nA=1\n[Other/View: T]\nA=1\n");
  TcxIniFileWriter writer(file("c.ini"), false, nullptr);
  writer.ClearObjectData(u"View", u"T");
  rtl::TStringList sections;
  writer.IniFile()->ReadSections(sections);
  EXPECT_EQ(sections.ToStringArray(), (std::vector<String>{u"Main", u"ViewOther: T", u"Other/View: T"}));
  // The section index stays right after the erasures.
  EXPECT_EQ(writer.IniFile()->ReadString(u"other/view: t", u"A", u""), u"1");
  EXPECT_FALSE(writer.IniFile()->SectionExists(u"View: T"));
}

TEST_F(StorageIniFile, WideIntegerRaisesRangeErrorAndTheFileIsStillWritten) {
  TTestView view(nullptr);
  view.SetName(u"View");
  view.width = 5;
  view.serial = 1LL << 33;
  TcxStorage storage(file());
  EXPECT_THROW(storage.StoreTo(&view, TcxStorageType::stIniFile), rtl::ERangeError);
  const std::string text = fileText(dir_ / "layout.ini");
  EXPECT_NE(text.find("Width=5"), std::string::npos) << text;
  EXPECT_EQ(text.find("Serial"), std::string::npos) << text;
}

// --- registry ----------------------------------------------------------------------------

class StorageRegistry : public ::testing::Test {
 protected:
  void SetUp() override { rtl::SetRegistryFolder(dir_.path()); }
  void TearDown() override { rtl::SetRegistryFolder({}); }
  std::string rootText(const char* root = "HKEY_CURRENT_USER") { return fileText(dir_ / (std::string(root) + ".txt")); }
  testing_support::TempDir dir_;
};

TEST_F(StorageRegistry, LayoutOfKeysAndTypedValues) {
  TTestContainer layout;
  layout.name = u"Grid1View";
  layout.title = u"x";
  layout.Add(u"Column1", u"t", 7);
  TcxStorage storage(u"HKLM\\Software\\Layouts");
  storage.StoreTo(&layout, TcxStorageType::stRegistry);
  const std::string text = rootText("HKEY_LOCAL_MACHINE");
  EXPECT_NE(text.find("[Software\\Layouts\\Grid1View]\n\"Title\"=sz:\"\\\"x\\\"\"\n"), std::string::npos) << text;
  EXPECT_NE(text.find("[Software\\Layouts\\Grid1View\\Column1]\n\"Text\"=sz:\"\\\"t\\\"\"\n\"Size\"=dword:7\n"),
            std::string::npos) << text;
  EXPECT_NE(text.find("[Software\\Layouts\\Grid1View\\Column1\\[ClassName]]\n\"ClassName\"=sz:\"TTestItem\""),
            std::string::npos) << text;
  EXPECT_FALSE(std::filesystem::exists(dir_ / "HKEY_CURRENT_USER.txt"));
}

TEST_F(StorageRegistry, ValuesComeBackWithTheirTypes) {
  class TValues : public TTestItem {
   public:
    std::vector<std::pair<String, Variant>> values;
    bool GetProperties(rtl::TStrings* AProperties) override {
      for (const auto& v : values) AProperties->Add(v.first);
      return true;
    }
    void GetPropertyValue(const String& AName, Variant& AValue) override {
      for (const auto& v : values)
        if (v.first == AName) AValue = v.second;
    }
    void SetPropertyValue(const String& AName, const Variant& AValue) override { values.push_back({AName, AValue}); }
  };
  TValues source;
  source.name = u"V";
  source.values = {{u"Int", -7},
                   {u"Byte", static_cast<unsigned char>(200)},
                   {u"Double", 2.5},
                   {u"Money", rtl::Currency{123456}},  // 12.3456
                   {u"When", rtl::VarFromDateTime(45000.25)},
                   {u"Text", String(u"quoted \"inside\"")},
                   {u"Flag", true}};
  TcxStorage(u"Software\\T").StoreTo(&source, TcxStorageType::stRegistry);
  TValues restored;
  restored.name = u"V";
  TcxStorage(u"Software\\T").RestoreFrom(&restored, TcxStorageType::stRegistry);
  ASSERT_EQ(restored.values.size(), 7u);
  struct Expect {
    rtl::TVarType type;
    const char16_t* text;
  };
  const Expect expected[] = {{rtl::varInteger, u"-7"},      {rtl::varInteger, u"200"},
                             {rtl::varDouble, u"2.5"},      {rtl::varDouble, u"12.3456"},
                             {rtl::varDouble, u"45000.25"}, {rtl::varUString, u"quoted \"inside\""},
                             {rtl::varUString, u"True"}};  // the engine stores Booleans as text
  for (std::size_t i = 0; i < 7; ++i) {
    EXPECT_EQ(rtl::VarType(restored.values[i].second), expected[i].type) << U8(restored.values[i].first);
    EXPECT_EQ(rtl::VarToStr(restored.values[i].second, rtl::TFormatSettings::Invariant()), expected[i].text)
        << U8(restored.values[i].first);
  }
}

TEST_F(StorageRegistry, WideIntegerRaisesRangeErrorAndTheBatchStillEnds) {
  TTestView view(nullptr);
  view.SetName(u"View");
  view.width = 5;
  view.serial = 1LL << 33;
  TcxStorage storage(u"Software\\T");
  EXPECT_THROW(storage.StoreTo(&view, TcxStorageType::stRegistry), rtl::ERangeError);
  // What was written before the error reached the file: the batch ended.
  EXPECT_NE(rootText().find("\"Width\"=dword:5"), std::string::npos) << rootText();
  // And later writes are not held back by a batch left open.
  rtl::TRegistry reg;
  ASSERT_TRUE(reg.OpenKey(u"\\Software\\Other", true));
  reg.WriteInteger(u"Later", 1);
  EXPECT_NE(rootText().find("\"Later\"=dword:1"), std::string::npos);
}

TEST_F(StorageRegistry, WriteBatchSavesTheFileOnceAtItsEnd) {
  rtl::TRegistry reg;
  ASSERT_TRUE(reg.OpenKey(u"\\Software\\B", true));
  reg.BeginWriteBatch();
  reg.BeginWriteBatch();
  reg.WriteInteger(u"A", 1);
  reg.WriteString(u"S", u"x");
  EXPECT_EQ(rootText().find("\"A\""), std::string::npos) << "held back inside the batch";
  rtl::TRegistry other(rtl::KEY_READ);
  ASSERT_TRUE(other.OpenKeyReadOnly(u"\\Software\\B"));
  EXPECT_EQ(other.ReadInteger(u"A"), 1) << "seen at once in this process";
  reg.EndWriteBatch();
  EXPECT_EQ(rootText().find("\"A\""), std::string::npos) << "the inner end saves nothing";
  reg.EndWriteBatch();
  EXPECT_NE(rootText().find("\"A\"=dword:1"), std::string::npos);
  EXPECT_NE(rootText().find("\"S\"=sz:\"x\""), std::string::npos);
}

// Re-creating deletes the old store inside the store's own batch: the root
// file is written once, with the new values, not once more for the delete.
TEST_F(StorageRegistry, ReCreatingStoreSavesTheFileOnce) {
  TTestItem item;
  item.name = u"I";
  item.text = u"old";
  TcxStorage(u"Software\\R").StoreTo(&item, TcxStorageType::stRegistry);
  ASSERT_NE(rootText().find("old"), std::string::npos) << rootText();
  {
    TcxRegistryWriter writer(u"Software\\R", true, nullptr);
    EXPECT_NE(rootText().find("old"), std::string::npos) << "the delete is held back";
    rtl::TRegistry other(rtl::KEY_READ);
    EXPECT_FALSE(other.KeyExists(u"\\Software\\R\\I")) << "but seen at once in this process";
    item.text = u"new";
    TcxStorage(u"Software\\R").StoreWithExistingWriter(&item, &writer);
  }
  const std::string text = rootText();
  EXPECT_EQ(text.find("old"), std::string::npos) << text;
  EXPECT_NE(text.find("new"), std::string::npos) << text;
}

TEST_F(StorageRegistry, MissingKeyGivesNothing) {
  TTestContainer layout;
  layout.title = u"unchanged";
  TcxStorage storage(u"Software\\Nothing");
  storage.SetModes({TcxStorageMode::smChildrenCreating});
  storage.RestoreFrom(&layout, TcxStorageType::stRegistry);
  EXPECT_EQ(layout.title, u"unchanged");
  EXPECT_TRUE(layout.items.empty());
}

// --- stream ------------------------------------------------------------------------------

TBytes storeToBytes(rtl::TObject* object) {
  rtl::TMemoryStream stream;
  TcxStorage(u"", &stream).StoreTo(object, TcxStorageType::stStream);
  return streamBytes(stream);
}

TEST(StorageStream, RecordOfAnEmptyObject) {
  class TBare : public TTestItem {
   public:
    bool GetProperties(rtl::TStrings*) override { return true; }
  } bare;
  bare.name = u"A";
  const TBytes expected = {6, 1, 'A', 6, 9, 'T', 'T', 'e', 's', 't', 'I', 't', 'e', 'm', 2, 0, 2, 0};
  EXPECT_EQ(storeToBytes(&bare), expected);
}

TEST(StorageStream, ValueTagsAndPrimitives) {
  struct Case {
    const char* what;
    Variant value;
    TBytes bytes;  // tag and value after the property name
  };
  const Case cases[] = {
      {"300", 300, {2, 6, 3, 0x2C, 0x01}},
      {"-1", -1, {2, 6, 2, 0xFF}},
      {"int32", 70000, {2, 6, 4, 0x70, 0x11, 0x01, 0x00}},
      {"int64", Variant(1LL << 32), {2, 6, 19, 0, 0, 0, 0, 1, 0, 0, 0}},
      {"true", true, {2, 1, 9}},
      {"byte", static_cast<unsigned char>(65), {2, 2, 6, 1, 'A'}},
      {"single", 1.5f, {2, 7, 15, 0x00, 0x00, 0xC0, 0x3F}},
      {"currency", rtl::Currency{15000}, {2, 3, 16, 0x98, 0x3A, 0, 0, 0, 0, 0, 0}},
      {"double", 1.0, {2, 5, 5, 0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F}},
      {"ascii", String(u"ab"), {2, 9, 6, 2, 'a', 'b'}},
      {"empty", String(), {2, 9, 18, 0, 0, 0, 0}},
      {"utf8", String(u"\u00e9t\u00e9s"), {2, 9, 20, 6, 0, 0, 0, 0xC3, 0xA9, 't', 0xC3, 0xA9, 's'}},
      {"utf16", String(u"\u00e9"), {2, 9, 18, 1, 0, 0, 0, 0xE9, 0x00}},
      {"ansi", Variant::FromAnsiString("z"), {2, 8, 6, 1, 'z'}},
  };
  for (const Case& c : cases) {
    TcxStreamObjectData root(u"R", u"C");
    root.AddProperty(u"P", c.value);
    TBytes expected = {6, 1, 'R', 6, 1, 'C', 2, 1, 6, 1, 'P'};
    expected.insert(expected.end(), c.bytes.begin(), c.bytes.end());
    expected.insert(expected.end(), {2, 0});
    EXPECT_EQ(cxWriteStreamObjectData(root), expected) << c.what;
    auto back = cxReadStreamObjectData(expected.data(), expected.size());
    ASSERT_EQ(back->PropertyCount(), 1) << c.what;
    const Variant& v = back->Properties(0)->Value();
    if (std::string(c.what) == "single") {
      EXPECT_EQ(rtl::VarType(v), rtl::varDouble);
    } else if (std::string(c.what) == "ansi") {
      EXPECT_EQ(rtl::VarType(v), rtl::varUString);
    } else if (std::string(c.what) != "int64") {
      EXPECT_EQ(rtl::VarType(v), rtl::VarType(c.value)) << c.what;
    }
    EXPECT_EQ(rtl::VarToStr(v), rtl::VarToStr(c.value)) << c.what;
  }
}

TEST(StorageStream, LongTextsUseFourByteLengths) {
  TcxStreamObjectData root(u"R", u"C");
  root.AddProperty(u"P", String(300, u'x'));
  const TBytes bytes = cxWriteStreamObjectData(root);
  const TBytes head = {2, 9, 12, 0x2C, 0x01, 0, 0};
  EXPECT_TRUE(std::search(bytes.begin(), bytes.end(), head.begin(), head.end()) != bytes.end());
  EXPECT_EQ(rtl::VarToStr(cxReadStreamObjectData(bytes.data(), bytes.size())->Properties(0)->Value()).size(), 300u);
}

TEST(StorageStream, TextLengthsCodePageAndUnencodableValuesAtTheirEdges) {
  struct Case {
    const char* what;
    Variant value;
    TBytes head;  // tag and the start of the value after the property name
  };
  const Case cases[] = {
      {"255 ASCII units", String(255, u'x'), {2, 9, 6, 255, 'x'}},
      {"256 ASCII units", String(256, u'x'), {2, 9, 12, 0, 1, 0, 0, 'x'}},
      {"one control unit", String(1, u'\x01'), {2, 9, 6, 1, 1, 2, 0}},
  };
  for (const Case& c : cases) {
    TcxStreamObjectData root(u"R", u"C");
    root.AddProperty(u"P", c.value);
    const TBytes bytes = cxWriteStreamObjectData(root);
    const TBytes prefix = {6, 1, 'R', 6, 1, 'C', 2, 1, 6, 1, 'P'};
    ASSERT_GE(bytes.size(), prefix.size() + c.head.size()) << c.what;
    EXPECT_TRUE(std::equal(prefix.begin(), prefix.end(), bytes.begin())) << c.what;
    EXPECT_TRUE(std::equal(c.head.begin(), c.head.end(), bytes.begin() + prefix.size())) << c.what;
    auto back = cxReadStreamObjectData(bytes.data(), bytes.size());
    EXPECT_EQ(rtl::VarToStr(back->Properties(0)->Value()), rtl::VarToStr(c.value)) << c.what;
  }
  // A value without an encoding is left out of the records and of their count.
  TcxStreamObjectData root(u"R", u"C");
  root.AddProperty(u"A", 1);
  root.AddProperty(u"N", rtl::Null());
  root.AddProperty(u"B", 2);
  const TBytes expected = {6, 1, 'R', 6, 1, 'C', 2, 2, 6, 1, 'A', 2, 6, 2, 1, 6, 1, 'B', 2, 6, 2, 2, 2, 0};
  EXPECT_EQ(cxWriteStreamObjectData(root), expected);
  // Short and long ANSI texts decode their upper half through code page 1252.
  for (const TBytes& text : {TBytes{6, 2, 0x80, 'a'}, TBytes{12, 2, 0, 0, 0, 0x80, 'a'}}) {
    TBytes record = {6, 1, 'R', 6, 1, 'C', 2, 1, 6, 1, 'P', 2, 8};
    record.insert(record.end(), text.begin(), text.end());
    record.insert(record.end(), {2, 0});
    auto back = cxReadStreamObjectData(record.data(), record.size());
    EXPECT_EQ(rtl::VarToStr(back->Properties(0)->Value()), String(u"\u20ACa"));
  }
}

// The reader starts where the stream stands and leaves it at its end, in
// memory or in a file.
TEST(StorageStream, ReadingStartsAtThePositionAndEndsAtTheEnd) {
  TTestItem source;
  source.name = u"I";
  source.text = u"t\u00e9xt";
  source.size = 300;
  const TBytes record = storeToBytes(&source);
  const TBytes junk = {0xEE, 0xEE, 0xEE};
  auto check = [&](rtl::TStream& stream, const char* what) {
    stream.WriteBuffer(junk.data(), static_cast<rtl::Int64>(junk.size()));
    stream.WriteBuffer(record.data(), static_cast<rtl::Int64>(record.size()));
    stream.SetPosition(static_cast<rtl::Int64>(junk.size()));
    TTestItem restored;
    restored.name = u"I";
    TcxStorage(u"", &stream).RestoreFrom(&restored, TcxStorageType::stStream);
    EXPECT_EQ(restored.text, source.text) << what;
    EXPECT_EQ(restored.size, 300) << what;
    EXPECT_EQ(stream.Position(), stream.Size()) << what;
  };
  rtl::TMemoryStream memory;
  check(memory, "memory");
  testing_support::TempDir dir;
  rtl::TFileStream file(rtl::Utf8ToString((dir / "layout.bin").string()), rtl::fmCreate);
  check(file, "file");
}

TEST(StorageStream, DamagedRecordsRaiseReadErrors) {
  auto object = [](std::initializer_list<Byte> tail) {
    TBytes b = {6, 1, 'R', 6, 1, 'C'};
    b.insert(b.end(), tail);
    return b;
  };
  TBytes deep;
  for (int i = 0; i <= cxStreamMaxNesting + 1; ++i) deep.insert(deep.end(), {6, 0, 6, 0, 2, 0, 2, 1});
  deep.insert(deep.end(), {6, 0, 6, 0, 2, 0, 2, 0});
  struct Case {
    const char* what;
    TBytes bytes;
  };
  const Case cases[] = {
      {"empty", {}},
      {"truncated name", {6, 5, 'a'}},
      {"no counts", object({})},
      {"huge property count", object({4, 0xFF, 0xFF, 0xFF, 0x7F})},
      {"negative child count", object({2, 0, 2, 0xFF})},
      {"huge child count", object({2, 0, 4, 0, 0, 0, 1})},
      {"wide string past the end", {18, 0xFF, 0xFF, 0xFF, 0x0F, 'a', 0}},
      {"utf8 length past the end", {20, 9, 0, 0, 0, 'a'}},
      {"count not an integer", object({6, 0})},
      {"truncated extended", object({2, 1, 6, 1, 'P', 2, 5, 5, 0, 0})},
      {"wrong primitive for a tag", object({2, 1, 6, 1, 'P', 2, 3, 5})},
      {"bad Boolean", object({2, 1, 6, 1, 'P', 2, 1, 2})},
      {"nesting too deep", deep},
  };
  for (const Case& c : cases)
    EXPECT_THROW(cxReadStreamObjectData(c.bytes.data(), c.bytes.size()), rtl::EReadError) << c.what;
  // An unknown tag leaves the value Null and reads no value.
  const TBytes unknown = object({2, 1, 6, 1, 'P', 2, 42, 2, 0});
  auto back = cxReadStreamObjectData(unknown.data(), unknown.size());
  EXPECT_TRUE(rtl::VarIsNull(back->Properties(0)->Value()));
}

TEST(StorageStream, UnreadableStreamReachesTheCaller) {
  rtl::TMemoryStream stream;
  const Byte junk[] = {6, 1, 'R', 6, 1, 'C', 4, 0xFF, 0xFF, 0, 0};
  stream.WriteBuffer(junk, sizeof junk);
  stream.SetPosition(0);
  TTestContainer layout;
  EXPECT_THROW(TcxStorage(u"", &stream).RestoreFrom(&layout, TcxStorageType::stStream), rtl::EReadError);
  rtl::TMemoryStream empty;
  TcxStreamReader reader(u"", &empty);
  EXPECT_FALSE(reader.CanRead());
}

// --- every format ------------------------------------------------------------------------

class StorageRoundTrip : public ::testing::TestWithParam<TcxStorageType> {
 protected:
  void SetUp() override { rtl::SetRegistryFolder(dir_.path()); }
  void TearDown() override { rtl::SetRegistryFolder({}); }

  void store(rtl::TObject* object) {
    TcxStorage storage(name(), &stream_);
    storage.SetNamePrefix(u"Form1");
    storage.SetModes({TcxStorageMode::smSavePublishedClassProperties});
    storage.StoreTo(object, GetParam());
  }
  void restore(rtl::TObject* object, TcxStorageModes modes) {
    stream_.SetPosition(0);
    TcxStorage storage(name(), &stream_);
    storage.SetNamePrefix(u"Form1");
    storage.SetModes(modes);
    storage.RestoreFrom(object, GetParam());
  }
  String name() {
    return GetParam() == TcxStorageType::stIniFile ? S((dir_ / "layout.ini").string()) : String(u"Software\\Layouts");
  }

  testing_support::TempDir dir_;
  rtl::TMemoryStream stream_;
};

TEST_P(StorageRoundTrip, ViewWithColumnsComesBackEqual) {
  TTestView source(nullptr);
  source.SetName(u"Grid1View");
  source.width = 640;
  source.ratio = 0.125;
  source.caption = u"Caption with \"quotes\", \\ and\r\na second line\tand a tab \u00e7";
  source.visible = true;
  source.align = TViewAlign::vaClient;
  source.options = {TViewOption::voHeader, TViewOption::voFooter};
  source.serial = -12;
  source.extra = String(u"extra");
  for (int i = 0; i < 12; ++i) {
    auto* column = static_cast<TTestColumn*>(source.columns->Add());
    column->width = 10 + i;
    column->caption = u"Column " + rtl::IntToStr(i);
  }
  store(&source);

  TTestView target(nullptr);
  target.SetName(u"Grid1View");
  target.columns->Add();
  restore(&target, {TcxStorageMode::smSavePublishedClassProperties, TcxStorageMode::smChildrenCreating,
                    TcxStorageMode::smChildrenDeleting});
  EXPECT_EQ(target.width, source.width);
  EXPECT_DOUBLE_EQ(target.ratio, source.ratio);
  EXPECT_EQ(target.caption, source.caption);
  EXPECT_EQ(target.visible, source.visible);
  EXPECT_EQ(target.align, source.align);
  EXPECT_EQ(target.options, source.options);
  EXPECT_EQ(target.serial, source.serial);
  EXPECT_EQ(rtl::VarToStr(target.extra), u"extra");
  ASSERT_EQ(target.columns->Count(), 12);
  for (int i = 0; i < 12; ++i) {
    EXPECT_EQ(target.columns->Column(i)->width, 10 + i);
    EXPECT_EQ(target.columns->Column(i)->caption, source.columns->Column(i)->caption);
  }
}

TEST_P(StorageRoundTrip, ContainerComesBackEqualAndStoringAgainReplaces) {
  TTestContainer source;
  source.title = u"T";
  source.Add(u"A", u"first", 1);
  source.Add(u"B", u"second", 2);
  store(&source);
  source.items.pop_back();  // stored again without B: B must not survive
  stream_.SetSize(0);
  stream_.SetPosition(0);
  store(&source);

  TTestContainer target;
  restore(&target, {TcxStorageMode::smChildrenCreating});
  EXPECT_EQ(target.title, u"T");
  ASSERT_EQ(target.items.size(), 1u);
  EXPECT_EQ(target.items[0]->name, u"A");
  EXPECT_EQ(target.items[0]->text, u"first");
  EXPECT_EQ(target.items[0]->size, 1);
}

INSTANTIATE_TEST_SUITE_P(EachFormat, StorageRoundTrip,
                         ::testing::Values(TcxStorageType::stIniFile, TcxStorageType::stRegistry,
                                           TcxStorageType::stStream),
                         [](const auto& info) {
                           switch (info.param) {
                             case TcxStorageType::stIniFile: return std::string("Ini");
                             case TcxStorageType::stRegistry: return std::string("Registry");
                             default: return std::string("Stream");
                           }
                         });

}  // namespace
