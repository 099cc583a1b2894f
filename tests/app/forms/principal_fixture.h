#pragma once
// The main window on the headless backend, made as the start-up makes it
// (data module, window, global library), with a login that connects the way
// the login window does, without the login window.
#include <functional>
#include <string>
#include <vector>

#include "app/forms/program.h"
#include "app/forms/uPrincipal.h"
#include "tests/app/forms/forms_fixture.h"

namespace forms_test {

// The main window whose first show logs in through `login`.
class TTestPrincipal : public integrador::TfrmPrincipal {
  RTL_CLASS(TTestPrincipal, integrador::TfrmPrincipal)

 public:
  explicit TTestPrincipal(rtl::TComponent* AOwner) : integrador::TfrmPrincipal(AOwner) {}
  std::function<ui::TModalResult()> login;
  int logins = 0;

 protected:
  ui::TModalResult ShowLogin() override {
    ++logins;
    return login ? login() : ui::mrCancel;
  }
};

class PrincipalTest : public FormsTest {
 protected:
  void SetUp() override {
    FormsTest::SetUp();
    if (IsSkipped()) return;
    integrador::ResetProgramStatus();
    CreateMainModule();
    ui::Application->CreateForm(window_);
    integrador::frmPrincipal = window_;
    CreateGlobalLibrary();
    window_->login = [this] {
      Login();
      return ui::mrOk;
    };
  }

  void TearDown() override {
    FormsTest::TearDown();
    integrador::ResetProgramStatus();
    rtl::ClearQuit();
  }

  // What a successful login leaves: DBXConnection connected with its
  // set-up, FDConnPrincipal on a copy of its parameters.
  void Login() {
    rtl::TStrings& p = integrador::Global_Library->DBXConnection->Params();
    p.Clear();
    p.Add(u"DATABASE=TESTE");
    // PostgreSQL: the server's test role and password file, from its environment.
    p.Add(pg() ? u"USER_NAME=" : u"USER_NAME=tester");
    p.Add(pg() ? u"PASSWORD=" : u"PASSWORD=segredo");
    p.Add(u"DEFAULT COMPANY=17");
    integrador::Global_Library->DBXConnection->Open();
    integrador::dtmPrincipal->FDConnPrincipal->SetParams(p);
    integrador::dtmPrincipal->FDConnPrincipal->Open();
  }

  // The first show of the window: the login, then the first query.
  void ShowWindow() {
    window_->Show();
    Process();
    win::headless::FocusIn(window_->Handle());
    Process();
  }

  void SetResource(const std::string& ponteiro, int flag) {
    Admin().ExecSQL(u"update vorna_mat.integracao_recurso set ponteiro_integracao = :p, carga_inicial = :c",
                    {rtl::Variant(U16(ponteiro)), rtl::Variant(flag)});
  }
  int Flag() { return std::stoi(Scalar(u"select carga_inicial from vorna_mat.integracao_recurso")); }
  std::string Ponteiro() { return Scalar(u"select ponteiro_integracao from vorna_mat.integracao_recurso"); }

  std::string Caption(ui::TControl* c) { return U8(c->Caption()); }
  std::vector<std::string> LogTexts() {
    std::vector<std::string> out;
    rtl::TStrings& lines = window_->memLog->Lines();
    for (int i = 0; i < lines.Count(); ++i) {
      std::string line = U8(lines[i]);
      out.push_back(line.size() >= 11 ? line.substr(11) : line);  // without "hh:nn:ss - "
    }
    return out;
  }
  std::vector<std::string> BoxTexts() {
    std::vector<std::string> out;
    for (auto& box : win::headless::TakeShownMessageBoxes()) out.push_back(U8(box.text));
    return out;
  }

  TTestPrincipal* window_ = nullptr;
};

#define INSTANTIATE_FOR_DRIVERS(Suite)                                                       \
  INSTANTIATE_TEST_SUITE_P(Drivers, Suite,                                                   \
                           testing::Values(dac::DriverKind::SQLite, dac::DriverKind::PostgreSQL), \
                           ::forms_test::DriverLabel)

}  // namespace forms_test
