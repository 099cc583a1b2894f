// Resources compiled into the program (see tests/rtl/CMakeLists.txt): found
// by type and name without regard to case, bytes exact, also when they come
// from a static library that nothing references.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/rtl/except.h"
#include "platform/rtl/resources.h"

using namespace rtl;

namespace {

std::string text(const TResourceEntry* e) {
  return std::string(reinterpret_cast<const char*>(e->Data), e->Size);
}

TEST(Resources, FoundByTypeAndNameWithoutRegardToCase) {
  struct Case {
    const char* type;
    const char* name;
  };
  const Case cases[] = {{"TEXT", "Hello"}, {"text", "HELLO"}, {"Text", "hello"}};
  for (const Case& c : cases) {
    const TResourceEntry* e = FindResource(c.type, c.name);
    ASSERT_NE(e, nullptr) << c.type << ":" << c.name;
    EXPECT_EQ(text(e), "Hello, resources!\n");
  }
  const TResourceEntry* wide = FindResource(u"text", u"hello");
  EXPECT_EQ(wide, FindResource("TEXT", "HELLO"));
}

TEST(Resources, BytesAreExactAndFollowedByAZero) {
  const TResourceEntry* e = FindResource("RCDATA", "bytes");
  ASSERT_NE(e, nullptr);
  const std::vector<Byte> expected{0x00, 0x01, 0x7F, 0x80, 0xFE, 0xFF, 0x00};
  EXPECT_EQ(std::vector<Byte>(e->Bytes().begin(), e->Bytes().end()), expected);
  EXPECT_EQ(e->Data[e->Size], 0);
  EXPECT_EQ(LoadResourceBytes(u"RCDATA", u"Bytes"), expected);

  const TResourceEntry* empty = FindResource("RCDATA", "EMPTY.BIN");
  ASSERT_NE(empty, nullptr);
  EXPECT_EQ(empty->Size, 0u);
  EXPECT_TRUE(LoadResourceBytes("rcdata", "empty.bin").empty());
}

TEST(Resources, ComeAlongFromAnUnreferencedStaticLibrary) {
  const TResourceEntry* e = FindResource("TEXT", "FROM_LIB");
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(text(e), "from a static library\n");
}

TEST(Resources, MissingOnesAreNullOrRaise) {
  EXPECT_EQ(FindResource("TEXT", "NOPE"), nullptr);
  EXPECT_EQ(FindResource("RCDATA", "HELLO"), nullptr) << "the type is part of the key";
  EXPECT_EQ(FindResource(u"TEXT", u"HELL\u00d6"), nullptr);
  try {
    LoadResourceBytes(u"TEXT", u"NOPE");
    FAIL() << "no exception";
  } catch (const EResNotFound& e) {
    EXPECT_STREQ(e.what(), "Resource NOPE not found");
  }
}

TEST(Resources, EnumeratesNamesOfAType) {
  std::vector<std::string> names;
  for (std::string_view n : EnumResourceNames("rcdata")) names.emplace_back(n);
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"BYTES", "Empty.Bin"}));
}

TEST(Resources, RunTimeTablesJoinAndTheFirstOfANameWins) {
  static const Byte one[] = {'1', 0};
  static const Byte two[] = {'2', 0};
  static const TResourceEntry table[] = {
      {"RUNTIME", "Added", one, 1},
      {"RUNTIME", "ADDED", two, 1},
      {"TEXT", "HELLO", two, 1},  // a compiled-in one of that name exists
  };
  RegisterResources(table, 3);
  ASSERT_NE(FindResource("runtime", "added"), nullptr);
  EXPECT_EQ(text(FindResource("runtime", "added")), "1");
  EXPECT_EQ(text(FindResource("TEXT", "HELLO")), "Hello, resources!\n");
}

}  // namespace
