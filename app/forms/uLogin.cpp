#include "app/forms/uLogin.h"

#include <exception>

#include "app/run/U_Global_Library.h"
#include "app/run/udmPrincipal.h"
#include "platform/dac/aliases.h"
#include "platform/rtl/except.h"
#include "platform/rtl/resources.h"
#include "platform/rtl/streams.h"
#include "platform/rtl/ustring.h"
#include "platform/ui/images.h"

namespace integrador {

TfrmLogin* frmLogin = nullptr;

namespace {

// Lives beside the window rather than in it, owned by the window; it is
// cleared wherever it goes.
ui::TTimer* TimerLogin = nullptr;

constexpr ui::TColor kGreen = 5879905;  // RGB 97, 184, 89
constexpr rtl::Cardinal kLoginDelayMs = 5000;

// The field labels, right-aligned: each is placed once its text has sized
// it, so that it starts where it belongs.
struct FieldLabel {
  ui::TLabel* TfrmLogin::*label;
  const char16_t* name;
  const char16_t* caption;
  int left, top;
};
constexpr FieldLabel kFieldLabels[] = {
    {&TfrmLogin::Label1, u"Label1", u"Banco", 64, 62},
    {&TfrmLogin::Label2, u"Label2", u"Empresa", 240, 62},
    {&TfrmLogin::lblUsuario, u"lblUsuario", u"Usuário", 56, 85},
    {&TfrmLogin::lblSenha, u"lblSenha", u"Senha", 64, 109},
};

void setFont(ui::TFont* font, const rtl::String& name, int pixels, ui::TColor color,
             ui::TFontStyles style = {}) {
  font->SetName(name);
  font->SetHeight(-pixels);
  font->SetColor(color);
  font->SetStyle(style);
}

rtl::String messageOf(const std::exception& e) {
  if (auto* error = dynamic_cast<const rtl::Exception*>(&e)) return error->Message();
  return rtl::Utf8ToString(e.what());
}

}  // namespace

ui::TTimer* LoginTimer() { return TimerLogin; }

TfrmLogin::TfrmLogin(rtl::TComponent* AOwner) : ui::TForm(AOwner) {
  SetName(u"frmLogin");
  SetBorderStyle(ui::bsNone);
  SetPosition(ui::poScreenCenter);
  SetClientWidth(456);
  SetClientHeight(185);
  // The same white the frame's shape fills with, so that the version label's
  // own background does not show.
  SetColor(ui::clWhite);
  Font()->SetName(u"Tahoma");
  Font()->SetSize(8);

  // Created first, so it lies under everything else.
  shpFundo = rtl::Create<ui::TShape>(this);
  shpFundo->SetName(u"shpFundo");
  shpFundo->SetParent(this);
  shpFundo->SetBounds(0, 0, 456, 185);
  shpFundo->Pen()->SetColor(kGreen);
  shpFundo->Pen()->SetWidth(2);

  LB_Titulo = rtl::Create<ui::TLabel>(this);
  LB_Titulo->SetName(u"LB_Titulo");
  LB_Titulo->SetParent(this);
  LB_Titulo->SetAutoSize(false);
  LB_Titulo->SetBounds(19, 21, 419, 22);
  LB_Titulo->SetCaption(u"  Mardova Integrador Quelora");
  LB_Titulo->SetColor(kGreen);
  LB_Titulo->SetParentFont(false);
  setFont(LB_Titulo->Font(), u"Cambria", 19, ui::clWhite);

  Shape2 = rtl::Create<ui::TShape>(this);
  Shape2->SetName(u"Shape2");
  Shape2->SetParent(this);
  Shape2->SetBounds(19, 49, 418, 1);
  Shape2->Pen()->SetColor(kGreen);

  for (const FieldLabel& f : kFieldLabels) {
    ui::TLabel* label = rtl::Create<ui::TLabel>(this);
    this->*f.label = label;
    label->SetName(f.name);
    label->SetParent(this);
    label->SetAlignment(ui::taRightJustify);
    label->SetTransparent(true);
    label->SetParentFont(false);
    setFont(label->Font(), u"MS Sans Serif", 13, ui::clNavy);
    label->SetCaption(f.caption);
    label->SetLeft(f.left);
    label->SetTop(f.top);
  }

  Label3 = rtl::Create<ui::TLabel>(this);
  Label3->SetName(u"Label3");
  Label3->SetParent(this);
  Label3->SetLeft(41);
  Label3->SetTop(159);
  Label3->SetCaption(u"Versão 14.53.01");
  Label3->Font()->SetStyle({ui::fsBold});

  cxImage1 = rtl::Create<ui::TImage>(this);
  cxImage1->SetName(u"cxImage1");
  cxImage1->SetParent(this);
  cxImage1->SetTransparent(true);
  if (rtl::FindResource("PNG", "LOGIN_LOGO")) {
    rtl::TResourceStream stream(u"LOGIN_LOGO", u"PNG");
    ui::TPngImage logo;
    logo.LoadFromStream(&stream);
    cxImage1->Picture()->SetGraphic(&logo);
  }
  // Sized to its picture.
  cxImage1->SetBounds(19, 155, cxImage1->Picture()->Width(), cxImage1->Picture()->Height());

  aclLogin = rtl::Create<ui::TActionList>(this);
  aclLogin->SetName(u"aclLogin");
  actLogin = rtl::Create<ui::TAction>(this);
  actLogin->SetName(u"actLogin");
  actLogin->SetActionList(aclLogin);
  actLogin->SetCaption(u"&Login");
  actLogin->SetOnExecute(rtl::TNotifyEvent::bind<&TfrmLogin::actLoginExecute>(this));
  actCancelar = rtl::Create<ui::TAction>(this);
  actCancelar->SetName(u"actCancelar");
  actCancelar->SetActionList(aclLogin);
  actCancelar->SetCaption(u"Cancela");
  actCancelar->SetOnExecute(rtl::TNotifyEvent::bind<&TfrmLogin::actCancelarExecute>(this));

  // The plain edit draws its own sunken border; the single navy border in
  // every state comes with the library's text editor.
  const struct {
    ui::TEdit* TfrmLogin::*edit;
    const char16_t* name;
    int left, top, width;
  } edits[] = {
      {&TfrmLogin::edtBanco, u"edtBanco", 108, 60, 116},
      {&TfrmLogin::edtEmpresa, u"edtEmpresa", 300, 60, 37},
      {&TfrmLogin::edtUsuario, u"edtUsuario", 108, 84, 229},
      {&TfrmLogin::edtSenha, u"edtSenha", 108, 108, 229},
  };
  int tab = 0;
  for (const auto& e : edits) {
    ui::TEdit* edit = rtl::Create<ui::TEdit>(this);
    this->*e.edit = edit;
    edit->SetName(e.name);
    edit->SetParent(this);
    edit->SetBounds(e.left, e.top, e.width, edit->Height());
    edit->SetParentFont(false);
    setFont(edit->Font(), u"MS Sans Serif", 11, ui::clNavy);
    edit->SetText(u"");
    edit->SetTabOrder(tab++);
  }
  edtBanco->SetCharCase(ui::ecUpperCase);
  edtEmpresa->SetCharCase(ui::ecUpperCase);
  edtUsuario->SetCharCase(ui::ecUpperCase);
  edtSenha->SetPasswordChar(u'*');

  const struct {
    ui::TButton* TfrmLogin::*button;
    const char16_t* name;
    ui::TAction* action;
    int left;
  } buttons[] = {
      {&TfrmLogin::b_login, u"b_login", actLogin, 261},
      {&TfrmLogin::b_cancela, u"b_cancela", actCancelar, 348},
  };
  for (const auto& b : buttons) {
    ui::TButton* button = rtl::Create<ui::TButton>(this);
    this->*b.button = button;
    button->SetName(b.name);
    button->SetParent(this);
    button->SetBounds(b.left, 149, 83, 25);
    button->SetAction(b.action);
    button->SetColor(ui::clWhite);
    button->SetCursor(ui::crHandPoint);
    button->SetParentFont(false);
    setFont(button->Font(), u"MS Sans Serif", 11, ui::clNavy, {ui::fsBold});
    button->SetTabOrder(tab++);
  }

  SetOnShow(rtl::TNotifyEvent::bind<&TfrmLogin::FormShow>(this));
  SetOnClose(ui::TCloseEvent::bind<&TfrmLogin::FormClose>(this));
}

TfrmLogin::~TfrmLogin() {
  // The window owns the timer, which goes with it.
  if (TimerLogin && TimerLogin->Owner() == this) TimerLogin = nullptr;
  if (frmLogin == this) frmLogin = nullptr;
}

void TfrmLogin::DoCreate() {
  // The labels have taken their text's size by now: put them back where
  // they belong.
  for (const FieldLabel& f : kFieldLabels) {
    ui::TLabel* label = this->*f.label;
    label->SetBounds(f.left, f.top, label->Width(), label->Height());
  }
  ui::TForm::DoCreate();
}

void TfrmLogin::FormShow(rtl::TObject* Sender) {
  getDefaultValues();
  if (TimerLogin) TimerLogin->Free();
  TimerLogin = rtl::Create<ui::TTimer>(this);
  TimerLogin->SetInterval(kLoginDelayMs);
  TimerLogin->SetOnTimer(rtl::TNotifyEvent::bind<&TfrmLogin::TimerLoginOnTimer>(this));
  TimerLogin->SetEnabled(true);
}

void TfrmLogin::getDefaultValues() {
  // Only the installation's file holds them: no credential lives in the program.
  const dac::TLoginDefaults login = dac::TDatabasesFile(dac::DatabasesFile()).Login();
  edtBanco->SetText(login.Banco);
  edtEmpresa->SetText(login.Empresa);
  edtUsuario->SetText(login.Usuario);
  edtSenha->SetText(login.Senha);
}

void TfrmLogin::TimerLoginOnTimer(rtl::TObject* Sender) {
  if (TimerLogin) {
    TimerLogin->SetEnabled(false);
    ui::TTimer* timer = TimerLogin;
    TimerLogin = nullptr;
    timer->Free();  // the platform timer may go inside its own handler
  }
  b_login->Click();
}

bool TfrmLogin::ValidaCampos() {
  const struct {
    ui::TEdit* edit;
    const char16_t* warning;
  } fields[] = {
      {edtBanco, u"Informe um banco!"},
      {edtEmpresa, u"Informe a empresa!"},
      {edtUsuario, u"Informe um usuário!"},
      {edtSenha, u"Informe uma senha!"},
  };
  bool valid = true;
  for (const auto& f : fields) {
    if (!f.edit->Text().empty()) continue;
    valid = false;
    ui::MessageDlg(f.warning, ui::mtWarning, {ui::mbOK});
    // A hidden window keeps the field as the one to focus when it shows.
    if (Visible())
      f.edit->SetFocus();
    else if (f.edit->CanFocus())
      SetActiveControl(f.edit);
  }
  return valid;
}

void TfrmLogin::actLoginExecute(rtl::TObject* Sender) {
  if (!ValidaCampos()) {
    if (CancelOnWarning) SetModalResult(ui::mrCancel);
    return;
  }
  try {
    dac::TConnection* dbx = Global_Library->DBXConnection;
    dbx->Close();
    dbx->Params().SetValues(u"DATABASE", edtBanco->Text());
    dbx->Params().SetValues(u"USER_NAME", edtUsuario->Text());
    dbx->Params().SetValues(u"PASSWORD", edtSenha->Text());
    dbx->Params().SetValues(u"DEFAULT COMPANY", edtEmpresa->Text());
    dbx->Open();

    // Passed as text: the database converts it, so a code that is no number
    // fails the login instead of selecting company 0.
    dtmPrincipal->qryConectaEmpresa->ParamByName(u"EMPRESA")->SetAsString(
        dbx->Params().Values(u"DEFAULT COMPANY"));
    dtmPrincipal->qryConectaEmpresa->ExecSQL();

    dtmPrincipal->FDConnPrincipal->SetParams(dbx->Params());
    dtmPrincipal->FDConnPrincipal->Open();

    Hide();
    ui::TCustomForm* mainForm = ui::Application->MainForm();
    if (mainForm && mainForm != this) mainForm->SetVisible(true);
    SetModalResult(ui::mrOk);
  } catch (const std::exception& e) {
    ui::ShowMessage(u"Erro ao conectar ao banco de dados: " + messageOf(e));
    SetModalResult(ui::mrCancel);
  }
}

void TfrmLogin::actCancelarExecute(rtl::TObject* Sender) { Close(); }

void TfrmLogin::FormClose(rtl::TObject* Sender, ui::TCloseAction& Action) {
  Action = ui::caFree;
  frmLogin = nullptr;
}

}  // namespace integrador
