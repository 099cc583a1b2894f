// The login window: its defaults, the automatic login, the warnings, the
// upper-case fields and what a login leaves open.
#include <functional>
#include <string>
#include <vector>

#include "app/forms/uLogin.h"
#include "platform/dac/query.h"
#include "platform/rtl/threads.h"
#include "tests/app/forms/forms_fixture.h"
#include "tests/support/golden.h"

namespace {

using forms_test::U16;
using forms_test::U8;
using integrador::frmLogin;
using integrador::LoginTimer;
using integrador::TfrmLogin;
using rtl::String;

std::string Column(dac::TConnection& conn, const String& sql) {
  dac::TQuery q(nullptr);
  q.SetConnection(&conn);
  q.SQL().SetText(sql);
  q.Open();
  if (q.IsEmpty()) return "";
  db::TField* f = q.Fields()->Fields(0);
  return f->IsNull() ? std::string("null") : U8(f->AsString());
}

std::vector<std::string> BoxTexts() {
  std::vector<std::string> texts;
  for (const auto& box : win::headless::TakeShownMessageBoxes()) texts.push_back(U8(box.text));
  return texts;
}

class LoginTest : public forms_test::FormsTest {
 protected:
  // What the start-up creates, in its order; a plain hidden form stands in
  // for the main window.
  void CreateObjects() {
    CreateMainModule();
    ui::Application->CreateForm(main_);
    ui::Application->CreateForm(frmLogin);
    CreateGlobalLibrary();
    login_ = frmLogin;
    dac::TConnection* dbx = integrador::Global_Library->DBXConnection;
    const rtl::TNotifyEvent setUp = dbx->AfterConnect;
    dbx->AfterConnect = rtl::TNotifyEvent::fromClosure(&connects_, [this, setUp](rtl::TObject* s) {
      ++connects_;
      setUp(s);
    });
  }

  // Runs `step` inside the next modal loop, once the window is shown.
  void During(std::function<void()> step) { rtl::TThread::ForceQueue(nullptr, std::move(step)); }

  // Ends the modal loop of a test step that went wrong, so that the test
  // reports instead of hanging.
  void EndIfStillOpen() {
    if (frmLogin && frmLogin->Modal() && frmLogin->ModalResult() == ui::mrNone)
      frmLogin->SetModalResult(ui::mrAbort);
  }

  // Presses a control at its middle, on the screen.
  static void ClickOn(ui::TControl* control) {
    const ui::TPoint p = control->ClientToScreen({control->Width() / 2, control->Height() / 2});
    win::headless::Click(p.x, p.y);
  }

  dac::TConnection& dbx() { return *integrador::Global_Library->DBXConnection; }
  dac::TConnection& mainConnection() { return *integrador::dtmPrincipal->FDConnPrincipal; }
  std::string sessionCompany() {
    return Column(dbx(), pg() ? u"select current_setting('vorna.empresa', true)"
                              : u"select vorna_empresa()");
  }
  bool loginWindowExists() { return ui::Application->FindComponent(u"frmLogin") != nullptr; }

  // After a successful login: both connections open with the same
  // parameters, the company selected in the login session, the login window
  // and its timer gone, the main window shown.
  void ExpectLoggedIn() {
    EXPECT_EQ(connects_, 1);
    ASSERT_TRUE(dbx().Connected());
    ASSERT_TRUE(mainConnection().Connected());
    EXPECT_EQ(U8(mainConnection().Params().Text()), U8(dbx().Params().Text()));
    EXPECT_EQ(mainConnection().Params().Values(u"DEFAULT COMPANY"), u"17");
    EXPECT_EQ(mainConnection().Params().Values(u"DATABASE"), u"TESTE");
    EXPECT_EQ(sessionCompany(), "17");
    if (!pg()) {
      // The set-up selects the company, and the login selects it once more.
      EXPECT_EQ(Column(dbx(), u"select vorna_session_log()"),
                "set_role(VORNA_USER)\nset_nls_parameters()\nset_empresa(17)\nset_empresa(17)");
    }
    EXPECT_EQ(frmLogin, nullptr);
    EXPECT_TRUE(main_->Visible());
    Process();
    EXPECT_FALSE(loginWindowExists());
    EXPECT_EQ(LoginTimer(), nullptr);
    EXPECT_TRUE(BoxTexts().empty());
  }

  ui::TForm* main_ = nullptr;
  TfrmLogin* login_ = nullptr;  // until it frees itself
  int connects_ = 0;
};

// ---- on both database engines -------------------------------------------------------------

class LoginWindow : public LoginTest {};

TEST_P(LoginWindow, LogsInByItselfOnceFiveSecondsAfterItIsShown) {
  CreateObjects();
  EXPECT_FALSE(login_->Visible()) << "hidden until the main window shows it";
  EXPECT_EQ(LoginTimer(), nullptr);
  bool early = false;
  During([&] {
    if (!LoginTimer()) {
      ADD_FAILURE() << "no TimerLogin while the window is shown";
      return EndIfStillOpen();
    }
    EXPECT_EQ(LoginTimer()->Interval(), 5000u);
    EXPECT_EQ(U8(login_->edtBanco->Text()), "TESTE");
    EXPECT_EQ(U8(login_->edtEmpresa->Text()), "17");
    clock().Advance(4999);
    early = connects_ > 0 || dbx().Connected() || login_->ModalResult() != ui::mrNone;
    clock().Advance(1);
    EndIfStillOpen();
  });
  EXPECT_EQ(login_->ShowModal(), ui::mrOk);
  EXPECT_FALSE(early) << "logged in before 5000 ms";
  ExpectLoggedIn();

  // Never a second time.
  clock().Advance(60000);
  Process();
  EXPECT_EQ(connects_, 1);
}

TEST_P(LoginWindow, PressingLoginBeforeTheTimerLogsInAtOnceAndTheTimerGoesWithTheWindow) {
  CreateObjects();
  During([&] {
    clock().Advance(2000);
    ClickOn(login_->b_login);  // handled once this step is done
  });
  EXPECT_EQ(login_->ShowModal(), ui::mrOk);
  ExpectLoggedIn();

  clock().Advance(60000);
  Process();
  EXPECT_EQ(connects_, 1);
}

TEST_P(LoginWindow, ACompanyCodeThatIsNoNumberFailsTheLoginWithTheErrorBox) {
  WriteDatabasesIni({.empresa = "ABC"});
  CreateObjects();
  During([&] {
    win::headless::QueueMessageBoxAnswer(win::IDOK);
    clock().Advance(5000);
    EndIfStillOpen();
  });
  EXPECT_EQ(login_->ShowModal(), ui::mrCancel);
  const std::vector<std::string> boxes = BoxTexts();
  ASSERT_EQ(boxes.size(), 1u);
  // The database's own message follows; the session set-up took "ABC" as
  // company 0, so it is the login's own company call that failed.
  EXPECT_EQ(boxes[0].rfind("Erro ao conectar ao banco de dados: ", 0), 0u) << boxes[0];
  EXPECT_NE(boxes[0].find("invalid input syntax for type numeric"), std::string::npos) << boxes[0];
  EXPECT_EQ(connects_, 1);
  EXPECT_FALSE(mainConnection().Connected());
  EXPECT_FALSE(main_->Visible());
  EXPECT_EQ(frmLogin, nullptr);
  Process();
  EXPECT_FALSE(loginWindowExists());
}

INSTANTIATE_TEST_SUITE_P(Drivers, LoginWindow,
                         testing::Values(dac::DriverKind::SQLite, dac::DriverKind::PostgreSQL),
                         forms_test::DriverLabel);

// ---- the window itself (the embedded engine) ------------------------------------------------

class LoginForm : public LoginTest {};

TEST_P(LoginForm, EachEmptyFieldWarnsInOrderAndTheFocusEndsOnTheLastOne) {
  struct Case {
    std::vector<ui::TEdit* TfrmLogin::*> cleared;
    std::vector<std::string> warnings;
    ui::TEdit* TfrmLogin::*focused;
  };
  const Case cases[] = {
      {{&TfrmLogin::edtBanco, &TfrmLogin::edtUsuario},
       {"Informe um banco!", "Informe um usuário!"},
       &TfrmLogin::edtUsuario},
      {{&TfrmLogin::edtEmpresa}, {"Informe a empresa!"}, &TfrmLogin::edtEmpresa},
      {{&TfrmLogin::edtSenha, &TfrmLogin::edtEmpresa, &TfrmLogin::edtUsuario, &TfrmLogin::edtBanco},
       {"Informe um banco!", "Informe a empresa!", "Informe um usuário!", "Informe uma senha!"},
       &TfrmLogin::edtSenha},
  };
  CreateObjects();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.warnings.back());
    if (!frmLogin) ui::Application->CreateForm(frmLogin);
    login_ = frmLogin;
    bool stayedOpen = false;
    ui::TWinControl* focused = nullptr;
    During([&] {
      for (auto field : c.cleared) (login_->*field)->SetText(u"");
      for (std::size_t i = 0; i < c.warnings.size(); ++i)
        win::headless::QueueMessageBoxAnswer(win::IDOK);
      login_->b_login->Click();
      stayedOpen = login_->Visible() && login_->ModalResult() == ui::mrNone;
      focused = login_->ActiveControl();
      ClickOn(login_->b_cancela);
    });
    EXPECT_EQ(login_->ShowModal(), ui::mrCancel);
    const auto boxes = win::headless::TakeShownMessageBoxes();
    std::vector<std::string> texts;
    for (const auto& box : boxes) {
      texts.push_back(U8(box.text));
      EXPECT_EQ(U8(box.caption), "Warning");
      EXPECT_EQ(box.type & win::MB_ICONWARNING, win::MB_ICONWARNING);
    }
    EXPECT_EQ(texts, c.warnings);
    EXPECT_TRUE(stayedOpen);
    EXPECT_EQ(focused, login_->*c.focused);
    EXPECT_EQ(connects_, 0);
    EXPECT_FALSE(dbx().Connected());
    EXPECT_EQ(frmLogin, nullptr);
    Process();
    EXPECT_FALSE(loginWindowExists());
  }
}

TEST_P(LoginForm, AFieldOfBlanksIsNotEmpty) {
  CreateObjects();
  login_->edtBanco->SetText(u"  ");
  login_->edtEmpresa->SetText(u" ");
  login_->edtUsuario->SetText(u"\t");
  login_->edtSenha->SetText(u" ");
  EXPECT_TRUE(login_->ValidaCampos());
  EXPECT_TRUE(BoxTexts().empty());

  login_->edtSenha->SetText(u"");
  win::headless::QueueMessageBoxAnswer(win::IDOK);
  EXPECT_FALSE(login_->ValidaCampos());
  EXPECT_EQ(BoxTexts(), std::vector<std::string>{"Informe uma senha!"});
  EXPECT_EQ(login_->ActiveControl(), login_->edtSenha);
}

TEST_P(LoginForm, AMissingDefaultLeavesItsFieldEmptyAndTheAutomaticLoginWarns) {
  WriteDatabasesIni({.usuario = ""});
  CreateObjects();
  bool stayedOpen = false;
  During([&] {
    EXPECT_EQ(U8(login_->edtUsuario->Text()), "");
    EXPECT_EQ(U8(login_->edtSenha->Text()), "segredo");
    win::headless::QueueMessageBoxAnswer(win::IDOK);
    clock().Advance(5000);
    stayedOpen = login_->Visible() && login_->ModalResult() == ui::mrNone;
    EXPECT_EQ(login_->ActiveControl(), login_->edtUsuario);
    EXPECT_EQ(LoginTimer(), nullptr) << "the timer fires once";
    login_->b_cancela->Click();
  });
  EXPECT_EQ(login_->ShowModal(), ui::mrCancel);
  EXPECT_TRUE(stayedOpen);
  EXPECT_EQ(BoxTexts(), std::vector<std::string>{"Informe um usuário!"});
  EXPECT_EQ(connects_, 0);
}

TEST_P(LoginForm, CancelOnWarningEndsTheWindowAfterTheWarnings) {
  WriteDatabasesIni({.banco = "", .senha = ""});
  CreateObjects();
  login_->CancelOnWarning = true;
  During([&] {
    win::headless::QueueMessageBoxAnswer(win::IDOK);
    win::headless::QueueMessageBoxAnswer(win::IDOK);
    clock().Advance(5000);
    EndIfStillOpen();
  });
  EXPECT_EQ(login_->ShowModal(), ui::mrCancel);
  EXPECT_EQ(BoxTexts(), (std::vector<std::string>{"Informe um banco!", "Informe uma senha!"}));
  EXPECT_EQ(connects_, 0);
  EXPECT_EQ(frmLogin, nullptr);
  EXPECT_FALSE(main_->Visible());
}

TEST_P(LoginForm, CancelaClosesTheWindowWithNothingConnected) {
  CreateObjects();
  During([&] { ClickOn(login_->b_cancela); });
  EXPECT_EQ(login_->ShowModal(), ui::mrCancel);
  EXPECT_EQ(frmLogin, nullptr);
  Process();
  EXPECT_FALSE(loginWindowExists());
  EXPECT_EQ(LoginTimer(), nullptr);
  clock().Advance(60000);
  Process();
  EXPECT_EQ(connects_, 0);
  EXPECT_FALSE(mainConnection().Connected());
  EXPECT_TRUE(BoxTexts().empty());
}

TEST_P(LoginForm, LowerCaseTypingIsStoredInCapitalsAndThePasswordAsTyped) {
  CreateObjects();
  login_->Show();
  const struct {
    ui::TEdit* edit;
    const char16_t* typed;
    const char* stored;
  } fields[] = {
      {login_->edtBanco, u"teste", "TESTE"},
      {login_->edtEmpresa, u"abc", "ABC"},
      {login_->edtUsuario, u"vorna$admin", "VORNA$ADMIN"},
      {login_->edtSenha, u"Segredo", "Segredo"},
  };
  for (const auto& f : fields) {
    f.edit->SetFocus();
    f.edit->SelectAll();
    win::headless::TypeText(f.typed);
    Process();
    EXPECT_EQ(U8(f.edit->Text()), f.stored);
  }
  EXPECT_EQ(login_->edtSenha->PasswordChar(), u'*');

  // What the login hands the connection is what the fields hold.
  win::headless::QueueMessageBoxAnswer(win::IDOK);
  ClickOn(login_->b_login);
  Process();
  EXPECT_EQ(U8(dbx().Params().Values(u"DATABASE")), "TESTE");
  EXPECT_EQ(U8(dbx().Params().Values(u"DEFAULT COMPANY")), "ABC");
  EXPECT_EQ(U8(dbx().Params().Values(u"USER_NAME")), "VORNA$ADMIN");
  EXPECT_EQ(U8(dbx().Params().Values(u"PASSWORD")), "Segredo");
  // "ABC" is no company number: the login fails.
  const auto boxes = BoxTexts();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].rfind("Erro ao conectar ao banco de dados: ", 0), 0u) << boxes[0];
  EXPECT_FALSE(mainConnection().Connected());
}

TEST_P(LoginForm, ShowsItsDefaultsCentredWithTheFieldsInTabOrder) {
  CreateObjects();
  EXPECT_EQ(login_->ClientWidth(), 456);
  EXPECT_EQ(login_->ClientHeight(), 185);
  std::vector<ui::TWinControl*> order;
  login_->GetTabOrderList(order);
  EXPECT_EQ(order, (std::vector<ui::TWinControl*>{login_->edtBanco, login_->edtEmpresa,
                                                   login_->edtUsuario, login_->edtSenha,
                                                   login_->b_login, login_->b_cancela}));
  // The right-aligned labels stay where they were put.
  EXPECT_EQ(login_->Label1->Left(), 64);
  EXPECT_EQ(login_->Label2->Left(), 240);
  EXPECT_EQ(login_->lblUsuario->Left(), 56);
  EXPECT_EQ(login_->lblSenha->Left(), 64);
  EXPECT_EQ(login_->cxImage1->Width(), 20);
  EXPECT_EQ(login_->cxImage1->Height(), 20);

  During([&] {
    EXPECT_EQ(login_->Left(), (win::headless::kScreenWidth - 456) / 2);
    EXPECT_EQ(login_->Top(), (win::headless::kScreenHeight - 185) / 2);
    EXPECT_GOLDEN(win::headless::Screenshot(login_->Handle()), "app", "login_defaults",
                  testing_support::GoldenOptions{.channelTolerance = 8, .maxDifferingPixels = 40});
    login_->b_cancela->Click();
  });
  EXPECT_EQ(login_->ShowModal(), ui::mrCancel);
}

INSTANTIATE_TEST_SUITE_P(Embedded, LoginForm, testing::Values(dac::DriverKind::SQLite),
                         forms_test::DriverLabel);

}  // namespace
