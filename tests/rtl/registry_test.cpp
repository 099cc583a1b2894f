#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "platform/rtl/except.h"
#include "platform/rtl/registry.h"
#include "platform/rtl/stringlist.h"
#include "platform/rtl/ustring.h"
#include "tests/support/test_support.h"

namespace {

using rtl::S;
using rtl::String;
using rtl::TRegistry;

std::string u8(const String& s) { return rtl::StringToUtf8(s); }

std::vector<std::string> lines(const rtl::TStrings& list) {
  std::vector<std::string> out;
  for (int i = 0; i < list.Count(); ++i) out.push_back(u8(list[i]));
  return out;
}

std::string registryError(const std::function<void()>& f) {
  try {
    f();
  } catch (const rtl::ERegistryException& e) {
    return e.what();
  }
  return "(no error)";
}

// Each test gets its own registry folder.
class Registry : public ::testing::Test {
 protected:
  void SetUp() override { rtl::SetRegistryFolder(dir_.path()); }
  void TearDown() override { rtl::SetRegistryFolder({}); }
  std::filesystem::path rootFile(const char* name = "HKEY_CURRENT_USER") const {
    return dir_ / (std::string(name) + ".txt");
  }
  testing_support::TempDir dir_;
};

TEST_F(Registry, TypedValuesRoundTripThroughTheFile) {
  const unsigned char blob[] = {0, 1, 0xFE, 0xFF};
  {
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(S("Software\\Integrador\\Layout"), true));
    EXPECT_EQ(u8(reg.CurrentPath()), "Software\\Integrador\\Layout");
    reg.WriteString(S("Name"), String(u"l\u00E1 \"q\"\n\\ \xD800 end"));
    reg.WriteExpandString(S("Path"), S("%HOME%\\x"));
    reg.WriteInteger(S("Count"), -5);
    reg.WriteBool(S("Flag"), true);
    reg.WriteFloat(S("Ratio"), 0.1);
    reg.WriteDateTime(S("When"), 46023.5);
    reg.WriteBinaryData(S("Blob"), blob, sizeof blob);
    reg.WriteString(S(""), S("default"));
  }
  TRegistry reg(rtl::KEY_READ);
  ASSERT_TRUE(reg.OpenKey(S("\\SOFTWARE\\integrador\\LAYOUT"), false));
  EXPECT_EQ(reg.ReadString(S("name")), String(u"l\u00E1 \"q\"\n\\ \xD800 end"));
  EXPECT_EQ(u8(reg.ReadString(S("PATH"))), "%HOME%\\x");
  EXPECT_EQ(reg.ReadInteger(S("count")), -5);
  EXPECT_TRUE(reg.ReadBool(S("flag")));
  EXPECT_EQ(reg.ReadFloat(S("ratio")), 0.1);
  EXPECT_EQ(reg.ReadDateTime(S("when")), 46023.5);
  unsigned char back[8] = {};
  EXPECT_EQ(reg.ReadBinaryData(S("blob"), back, sizeof back), 4);
  EXPECT_EQ(std::memcmp(back, blob, 4), 0);
  EXPECT_EQ(u8(reg.ReadString(S(""))), "default");

  struct TypeCase {
    const char* name;
    rtl::TRegDataType type;
    int size;
  } types[] = {
      {"Name", rtl::rdString, 2 * (14 + 1)}, {"Path", rtl::rdExpandString, 2 * (8 + 1)},
      {"Count", rtl::rdInteger, 4},          {"Ratio", rtl::rdBinary, 8},
      {"Blob", rtl::rdBinary, 4},            {"Missing", rtl::rdUnknown, -1},
  };
  for (const TypeCase& c : types) {
    EXPECT_EQ(reg.GetDataType(S(c.name)), c.type) << c.name;
    EXPECT_EQ(reg.GetDataSize(S(c.name)), c.size) << c.name;
  }
  rtl::TStringList names;
  reg.GetValueNames(names);
  EXPECT_EQ(lines(names), (std::vector<std::string>{"Name", "Path", "Count", "Flag", "Ratio",
                                                    "When", "Blob", ""}));
  // The file is text a person can read.
  std::string text = testing_support::ReadFile(rootFile());
  EXPECT_NE(text.find("\"Count\"=dword:4294967291"), std::string::npos) << text;
  EXPECT_NE(text.find("[Software\\Integrador\\Layout]"), std::string::npos) << text;
}

TEST_F(Registry, ReadErrorsAndMissingValues) {
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey(S("App"), true));
  reg.WriteString(S("Text"), S("abc"));
  reg.WriteInteger(S("Number"), 1);
  unsigned char small[2];
  struct Case {
    const char* what;
    std::function<void()> call;
    const char* message;
  } cases[] = {
      {"integer of text", [&] { reg.ReadInteger(S("Text")); }, "Invalid data type for 'Text'"},
      {"string of integer", [&] { reg.ReadString(S("Number")); }, "Invalid data type for 'Number'"},
      {"float of integer", [&] { reg.ReadFloat(S("Number")); }, "Invalid data type for 'Number'"},
      {"binary of text", [&] { reg.ReadBinaryData(S("Text"), small, 2); }, "Invalid data type for 'Text'"},
      {"missing integer", [&] { reg.ReadInteger(S("None")); }, "Failed to get data for 'None'"},
      {"missing bool", [&] { reg.ReadBool(S("None")); }, "Failed to get data for 'None'"},
  };
  for (const Case& c : cases) EXPECT_EQ(registryError(c.call), c.message) << c.what;
  EXPECT_EQ(u8(reg.ReadString(S("None"))), "");
  EXPECT_EQ(reg.ReadBinaryData(S("None"), small, 2), 0);
  EXPECT_TRUE(reg.DeleteValue(S("TEXT")));
  EXPECT_FALSE(reg.ValueExists(S("Text")));
  EXPECT_FALSE(reg.DeleteValue(S("Text")));

  reg.CloseKey();
  EXPECT_EQ(reg.CurrentKey(), 0u);
  EXPECT_EQ(registryError([&] { reg.WriteString(S("X"), S("y")); }), "Failed to set data for 'X'");
}

TEST_F(Registry, KeysAreCreatedListedAndDeletedRecursively) {
  TRegistry reg;
  EXPECT_TRUE(reg.CreateKey(S("Root\\b\\deep\\deeper")));
  EXPECT_TRUE(reg.CreateKey(S("Root\\A")));
  EXPECT_FALSE(reg.OpenKey(S("Root\\Missing"), false));
  ASSERT_TRUE(reg.OpenKey(S("Root"), false));
  EXPECT_TRUE(reg.HasSubKeys());
  rtl::TStringList keys;
  reg.GetKeyNames(keys);
  EXPECT_EQ(lines(keys), (std::vector<std::string>{"A", "b"}));
  // Relative to the open key, and absolute from the root.
  EXPECT_TRUE(reg.KeyExists(S("B\\DEEP")));
  EXPECT_TRUE(reg.KeyExists(S("\\root\\a")));
  EXPECT_FALSE(reg.KeyExists(S("deep")));
  ASSERT_TRUE(reg.OpenKey(S("b"), false));
  EXPECT_EQ(u8(reg.CurrentPath()), "Root\\b");
  reg.WriteInteger(S("v"), 1);

  EXPECT_TRUE(reg.DeleteKey(S("\\Root\\B")));
  EXPECT_FALSE(reg.KeyExists(S("\\Root\\b\\deep\\deeper")));
  EXPECT_FALSE(reg.DeleteKey(S("\\Root\\B")));
  // The open key went with it: its values can no longer be written.
  EXPECT_EQ(registryError([&] { reg.WriteInteger(S("v"), 2); }), "Failed to set data for 'v'");
  EXPECT_TRUE(reg.KeyExists(S("\\Root\\A")));
}

TEST_F(Registry, ReadOnlyAccessRefusesWritesAndLeavesTheFileAlone) {
  {
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(S("Cfg"), true));
    reg.WriteString(S("Mode"), S("fast"));
  }
  std::string before = testing_support::ReadFile(rootFile());
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKeyReadOnly(S("Cfg")));
  EXPECT_EQ(reg.Access(), rtl::KEY_ALL_ACCESS);  // only the open key is read-only
  EXPECT_EQ(u8(reg.ReadString(S("Mode"))), "fast");
  EXPECT_EQ(registryError([&] { reg.WriteString(S("Mode"), S("slow")); }),
            "Failed to set data for 'Mode'");
  EXPECT_FALSE(reg.DeleteValue(S("Mode")));
  EXPECT_FALSE(reg.OpenKey(S("Sub"), true));
  EXPECT_FALSE(reg.OpenKeyReadOnly(S("\\Nothing")));
  EXPECT_EQ(testing_support::ReadFile(rootFile()), before);

  TRegistry writeOnly(rtl::KEY_WRITE);
  ASSERT_TRUE(writeOnly.OpenKey(S("\\Cfg"), false));
  EXPECT_EQ(u8(writeOnly.ReadString(S("Mode"))), "");
  EXPECT_FALSE(writeOnly.ValueExists(S("Mode")));
}

TEST_F(Registry, RootsAreSeparateFiles) {
  TRegistry reg;
  reg.SetRootKey(rtl::HKEY_LOCAL_MACHINE);
  ASSERT_TRUE(reg.OpenKey(S("Shared"), true));
  reg.WriteInteger(S("x"), 1);
  reg.SetRootKey(rtl::HKEY_CURRENT_USER);
  EXPECT_EQ(reg.CurrentKey(), 0u);
  EXPECT_FALSE(reg.KeyExists(S("Shared")));
  EXPECT_TRUE(std::filesystem::exists(rootFile("HKEY_LOCAL_MACHINE")));
  reg.SetRootKey(0x12345);
  EXPECT_FALSE(reg.OpenKey(S("Any"), true));
}

TEST_F(Registry, ADamagedFileRaisesAndIsNeverEmptied) {
  {
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(S("Keep"), true));
    reg.WriteString(S("Value"), S("precious"));
  }
  std::string good = testing_support::ReadFile(rootFile());
  struct Case {
    const char* what;
    std::string text;
    const char* expected;
  } cases[] = {
      {"truncated", good.substr(0, good.size() - 6), "truncated"},
      {"cut inside a line", good.substr(0, good.find("precious") + 3), "line 3"},
      {"foreign file", "[Keep]\n", "not a registry file"},
      {"empty", "", "empty"},
      {"bad escape", "INTEGRADOR-REGISTRY 1 X\n[K]\n\"a\"=sz:\"\\q\"\nEND 2\n", "unknown escape"},
      {"count mismatch", "INTEGRADOR-REGISTRY 1 X\n[K]\nEND 5\n", "does not match"},
      {"bad dword", "INTEGRADOR-REGISTRY 1 X\n[K]\n\"a\"=dword:99999999999\nEND 2\n", "dword"},
      {"not UTF-8", "INTEGRADOR-REGISTRY 1 X\n[K\xFF]\nEND 1\n", "UTF-8"},
  };
  for (const Case& c : cases) {
    testing_support::WriteFile(rootFile(), c.text);
    TRegistry reg;
    std::string message = registryError([&] { reg.OpenKey(S("Keep"), true); });
    EXPECT_NE(message.find("is damaged"), std::string::npos) << c.what << ": " << message;
    EXPECT_NE(message.find(c.expected), std::string::npos) << c.what << ": " << message;
    EXPECT_EQ(testing_support::ReadFile(rootFile()), c.text) << c.what;
  }
}

TEST_F(Registry, NoTemporaryFilesAreLeftBehind) {
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey(S("K"), true));
  for (int i = 0; i < 5; ++i) reg.WriteInteger(S("n"), i);
  for (const auto& entry : std::filesystem::directory_iterator(dir_.path())) {
    std::string name = entry.path().filename().string();
    EXPECT_TRUE(name == "HKEY_CURRENT_USER.txt" || name == ".HKEY_CURRENT_USER.lock") << name;
  }
}

TEST_F(Registry, IniViewOfAKey) {
  rtl::TRegistryIniFile ini(S("Software\\Integrador"));
  ini.WriteString(S("Grid"), S("Title"), S("Pedidos"));
  ini.WriteInteger(S("Grid"), S("Width"), 640);
  ini.WriteBool(S("Other"), S("On"), true);
  EXPECT_EQ(u8(ini.ReadString(S("grid"), S("title"), S(""))), "Pedidos");
  EXPECT_EQ(ini.ReadInteger(S("GRID"), S("width"), 0), 640);
  EXPECT_EQ(u8(ini.ReadString(S("Grid"), S("Width"), S(""))), "640");
  EXPECT_TRUE(ini.ReadBool(S("other"), S("on"), false));
  rtl::TStringList list;
  ini.ReadSections(list);
  EXPECT_EQ(lines(list), (std::vector<std::string>{"Grid", "Other"}));
  ini.ReadSectionValues(S("Grid"), list);
  EXPECT_EQ(lines(list), (std::vector<std::string>{"Title=Pedidos", "Width=640"}));
  ini.EraseSection(S("grid"));
  EXPECT_FALSE(ini.SectionExists(S("Grid")));
  EXPECT_EQ(ini.ReadInteger(S("Grid"), S("Width"), -1), -1);
}

TEST(RegistryFile, RoundTripIsStable) {
  std::string text =
      "INTEGRADOR-REGISTRY 1 HKEY_CURRENT_USER\n"
      "[A%0025b\\c]\n"
      "\"x\"=binary:00ff\n"
      "\"\"=sz:\"\\u0001\\ud800\"\n"
      "END 3\n";
  rtl::TBytes once = rtl::detail::RegistryFileRoundTrip(
      reinterpret_cast<const rtl::Byte*>(text.data()), text.size());
  rtl::TBytes twice = rtl::detail::RegistryFileRoundTrip(once.data(), once.size());
  EXPECT_EQ(once, twice);
  std::string shown(once.begin(), once.end());
  // The parent key "A%b" gets its own header line.
  EXPECT_EQ(shown,
            "INTEGRADOR-REGISTRY 1 HKEY_CURRENT_USER\n"
            "[A%0025b]\n"
            "[A%0025b\\c]\n"
            "\"x\"=binary:00ff\n"
            "\"\"=sz:\"\\u0001\\ud800\"\n"
            "END 4\n");
}

}  // namespace
