// The scheduler reads the stored next-run time with the worker's own reader:
// a value the server's to_date lets through but that is not in the one form
// the runs write stops the tick with the reader's error, and starts no run.
#include "app/run/untThreadClass.h"
#include "tests/app/forms/principal_fixture.h"

namespace forms_test {
namespace {

class NextRunReader : public PrincipalTest {
 protected:
  void SetUp() override {
    PrincipalTest::SetUp();
    if (IsSkipped()) return;
    server_.SetResponder(api_standin::Scenario("demo", 2));
    Admin();  // the API points at the stand-in
  }
};

TEST_P(NextRunReader, AValueOutsideTheWrittenFormStopsTheTickWithTheReadersError) {
  // The server reads each of these (the date alone, no seconds, no leading
  // zeros); the embedded engine's to_date already refuses them.
  const char* cases[] = {"01/01/2020", "01/01/2020 00:00", "1/1/2020 00:00:00"};
  for (const char* stored : cases) {
    SCOPED_TRACE(stored);
    TearDown();
    SetUp();
    SetResource(stored, 0);
    ShowWindow();
    window_->btnIniciar->Click();
    win::headless::TakeShownMessageBoxes();
    const std::size_t requests = server_.Requests().size();
    win::headless::QueueMessageBoxAnswer(win::IDOK);
    clock().Advance(10000);
    Process();
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{std::string("Próxima consulta inválida: '") + stored + "'"});
    EXPECT_EQ(integrador::TThreadXML::LiveCount(), 0);
    EXPECT_EQ(server_.Requests().size(), requests);
    EXPECT_EQ(Flag(), 0);
    EXPECT_EQ(Ponteiro(), stored);
  }
}

INSTANTIATE_TEST_SUITE_P(Drivers, NextRunReader, testing::Values(dac::DriverKind::PostgreSQL), DriverLabel);

}  // namespace
}  // namespace forms_test
