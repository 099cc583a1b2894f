// What the parts look like: one sheet per group of classes, every state of
// each part side by side, compared exactly with the accepted pictures (the
// radio buttons are anti-aliased, drawn by the same code each run).
#include <gtest/gtest.h>

#include <vector>

#include "platform/gdi/draw.h"
#include "platform/gdi/objects.h"
#include "platform/theme/theme.h"
#include "tests/support/dib_dc.h"
#include "tests/support/golden.h"
#include "tests/theme/theme_support.h"

namespace {

using theme::RECT;
using themetest::ScopedTheme;

struct Row {
  const char16_t* cls;
  int part;
  int firstState, lastState;
  int width, height;
};

// Draws each row's states left to right on a light grey page, 4 pixels apart.
void DrawSheet(testing_support::DibDC& page, const std::vector<Row>& rows) {
  int y = 4;
  for (const Row& row : rows) {
    ScopedTheme t(row.cls);
    ASSERT_TRUE(t) << "class " << int(row.cls[0]);
    int x = 4;
    for (int s = row.firstState; s <= row.lastState; ++s) {
      const RECT r{x, y, x + row.width, y + row.height};
      EXPECT_EQ(theme::DrawThemeBackground(t.get(), page.dc, row.part, s, &r, nullptr), theme::S_OK)
          << "part " << row.part << " state " << s;
      x += row.width + 4;
    }
    y += row.height + 4;
  }
}

struct SheetCase {
  const char* name;
  int width, height;
  std::vector<Row> rows;
};

class ThemeGolden : public testing::TestWithParam<SheetCase> {};

TEST_P(ThemeGolden, PartsInEveryStateMatchTheAcceptedPicture) {
  const SheetCase& c = GetParam();
  testing_support::DibDC page(c.width, c.height, 0x00F7F7F7);
  DrawSheet(page, c.rows);
  EXPECT_GOLDEN(page.dc, RECT{0, 0, c.width, c.height}, "theme", c.name);
}

INSTANTIATE_TEST_SUITE_P(
    Sheets, ThemeGolden,
    testing::Values(
        SheetCase{"buttons",
                  260,
                  120,
                  {{u"Button", 1, 1, 5, 44, 23},
                   {u"Button", 3, 1, 12, 15, 15},
                   {u"Button", 2, 1, 8, 15, 15},
                   {u"ComboBox", 1, 1, 4, 17, 21},
                   {u"Edit", 1, 1, 6, 30, 21}}},
        SheetCase{"bars",
                  420,
                  150,
                  {{u"ScrollBar", 1, 1, 16, 17, 17},
                   {u"ScrollBar", 3, 1, 4, 17, 40},
                   {u"Header", 1, 1, 3, 60, 22},
                   {u"Tab", 1, 1, 5, 50, 21},
                   {u"TreeView", 2, 1, 2, 13, 13}}}),
    [](const testing::TestParamInfo<SheetCase>& info) { return std::string(info.param.name); });

}  // namespace
