// The main window's colour styles: fourteen, in its repository, owned by the
// window, each assigning only its background colour, and used by no control.
#include <set>

#include "lib/lookandfeel/cxStyles.h"
#include "platform/rtl/format.h"
#include "tests/app/forms/principal_fixture.h"

namespace forms_test {
namespace {

using lookandfeel::TcxStyle;

class PrincipalStyles : public PrincipalTest {};

TEST_P(PrincipalStyles, RepositoryHoldsFourteenColourStylesOwnedByTheWindow) {
  lookandfeel::TcxStyleRepository* repository = window_->cxStyleRepository;
  ASSERT_NE(repository, nullptr);
  EXPECT_EQ(repository->Owner(), window_);
  EXPECT_EQ(repository->Name(), rtl::String(u"cxStyleRepository"));
  ASSERT_EQ(repository->GetCount(), 14);
  EXPECT_EQ(repository->GetStyleSheetCount(), 0);

  std::set<ui::TColor> colors;
  for (int i = 0; i < repository->GetCount(); ++i) {
    auto* style = dynamic_cast<TcxStyle*>(repository->GetItem(i));
    ASSERT_NE(style, nullptr) << i;
    const rtl::String name = u"cxStyle" + rtl::IntToStr(i + 1);
    EXPECT_EQ(style->Name(), name);
    EXPECT_EQ(window_->FindComponent(name), style) << i;  // the window owns it
    EXPECT_EQ(style->GetParentComponent(), repository);
    EXPECT_EQ(style->AssignedValues(), lookandfeel::TcxStyleValues{lookandfeel::svColor}) << i;
    EXPECT_EQ(style->ListenerCount(), 0) << i;  // no view uses it
    colors.insert(style->Color());
  }
  EXPECT_EQ(colors.size(), 14u);  // a colour style each, none repeated
}

INSTANTIATE_TEST_SUITE_P(Drivers, PrincipalStyles, testing::Values(dac::DriverKind::SQLite),
                         ::forms_test::DriverLabel);

}  // namespace
}  // namespace forms_test
