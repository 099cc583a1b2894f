#pragma once
// The login window: it fills in the installation's login defaults, logs in
// by itself five seconds after it is shown, and on success leaves the login
// connection and the main window's connection open.
//
// The text editors and buttons are the platform's own edit and push button,
// standing in for the class library's editor and button under the same
// names until that library is there.
#include "platform/ui/actions.h"
#include "platform/ui/extctrls.h"
#include "platform/ui/forms.h"
#include "platform/ui/stdctrls.h"
#include "platform/ui/timer.h"

namespace integrador {

class TfrmLogin : public ui::TForm {
  RTL_CLASS(TfrmLogin, ui::TForm)

 public:
  // Hidden when created; create with ui::Application->CreateForm(frmLogin)
  // or rtl::Create.
  explicit TfrmLogin(rtl::TComponent* AOwner);
  ~TfrmLogin() override;

  ui::TEdit *edtBanco = nullptr, *edtEmpresa = nullptr, *edtUsuario = nullptr, *edtSenha = nullptr;
  ui::TButton *b_login = nullptr, *b_cancela = nullptr;
  ui::TImage* cxImage1 = nullptr;
  ui::TLabel *LB_Titulo = nullptr, *Label1 = nullptr, *Label2 = nullptr, *lblUsuario = nullptr,
             *lblSenha = nullptr, *Label3 = nullptr;
  ui::TShape *Shape2 = nullptr, *shpFundo = nullptr;
  ui::TActionList* aclLogin = nullptr;
  ui::TAction *actLogin = nullptr, *actCancelar = nullptr;

  // Fills the defaults and arms TimerLogin.
  void FormShow(rtl::TObject* Sender);
  // The four fields from the [Login] section of databases.ini; a missing
  // entry leaves its field empty.
  void getDefaultValues();
  // Frees TimerLogin, then presses b_login: the timer fires once at most.
  void TimerLoginOnTimer(rtl::TObject* Sender);
  // One warning per empty field, in field order; the focus ends on the last
  // empty one. A field of blanks is not empty.
  bool ValidaCampos();
  // Connects, selects the company, opens FDConnPrincipal with a copy of the
  // login parameters and ends the window with mrOk; a failure shows its
  // message and ends it with mrCancel.
  void actLoginExecute(rtl::TObject* Sender);
  void actCancelarExecute(rtl::TObject* Sender);
  // The window frees itself and clears frmLogin.
  void FormClose(rtl::TObject* Sender, ui::TCloseAction& Action);

  // Set by the start-up on the headless backend: a login stopped by an
  // empty field then ends the window with mrCancel (after the warnings), as
  // a cancelled login.
  bool CancelOnWarning = false;

 protected:
  void DoCreate() override;
};

// The program's one login window; cleared when it closes.
extern TfrmLogin* frmLogin;

// The login window's TimerLogin (null when there is none).
ui::TTimer* LoginTimer();

}  // namespace integrador
