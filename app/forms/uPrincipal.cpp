#include "app/forms/uPrincipal.h"

#include <chrono>
#include <type_traits>
#include <utility>

#include "app/forms/program.h"
#include "app/forms/uLogin.h"
#include "app/run/U_Global_Library.h"
#include "app/run/busy_flag.h"
#include "app/run/udmPrincipal.h"
#include "app/run/untThreadClass.h"
#include "lib/lookandfeel/cxStyles.h"
#include "platform/db/field.h"
#include "platform/db/params.h"
#include "platform/rtl/datetime.h"
#include "platform/rtl/except.h"
#include "platform/rtl/format.h"
#include "platform/rtl/formatsettings.h"
#include "platform/rtl/resources.h"
#include "platform/rtl/scoped.h"
#include "platform/rtl/streams.h"
#include "platform/rtl/threads.h"
#include "platform/rtl/ustring.h"
#include "platform/ui/images.h"


namespace integrador {

using rtl::String;
using rtl::TDateTime;

TfrmPrincipal* frmPrincipal = nullptr;

namespace {

// Created by the first show, freed by its own handler.
ui::TTimer* TimerIniciar = nullptr;

constexpr ui::TColor kStripeColor = 5879905;  // red 97, green 184, blue 89
constexpr char16_t kVersion[] = u" Versão 14.53.01";

// The background colours of cxStyle1..cxStyle14, in that order.
constexpr ui::TColor kStyleColors[] = {
    0xFFFFFF,      // white
    0xF5F5F5,      // light grey
    kStripeColor,  // the title stripe's green
    0xD7F0DA,      // pale green
    0x800000,      // navy
    0xF0DCC8,      // pale blue
    0x00D7FF,      // gold
    0xCCFFFF,      // pale yellow
    0x0000C0,      // dark red
    0xDCDCFF,      // pale red
    0x808080,      // grey
    0xC0C0C0,      // silver
    0x008000,      // green
    0x000000,      // black
};

rtl::String MessageOf(const std::exception& e) {
  if (auto* r = dynamic_cast<const rtl::Exception*>(&e)) return r->Message();
  return rtl::Utf8ToString(e.what());
}

template <class T>
T* make(rtl::TComponent* owner, ui::TWinControl* parent, const char16_t* name) {
  T* c = rtl::Create<T>(owner);
  c->SetName(name);
  if constexpr (std::is_base_of_v<ui::TControl, T>) {
    if (parent) c->SetParent(parent);
  }
  return c;
}

ui::TPanel* makePanel(rtl::TComponent* owner, ui::TWinControl* parent, const char16_t* name,
                      ui::TAlign align, int height) {
  auto* p = make<ui::TPanel>(owner, parent, name);
  p->SetCaption(String());
  p->SetBevelOuter(ui::bvNone);
  p->SetAlign(align);
  if (height > 0) p->SetHeight(height);
  return p;
}

void setFont(ui::TControl* c, const char16_t* name, int pixels, ui::TColor color, bool bold) {
  c->SetParentFont(false);
  c->Font()->SetName(name);
  c->Font()->SetHeight(-pixels);
  c->Font()->SetColor(color);
  c->Font()->SetStyle(bold ? ui::TFontStyles{ui::fsBold} : ui::TFontStyles{});
}

void loadLogo(ui::TImage* image) {
  const rtl::TResourceEntry* logo = rtl::FindResource(std::string_view("PNG"), std::string_view("MAIN_LOGO"));
  if (!logo) return;  // the program was built without its logo
  rtl::TPointerStream stream(logo->Data, static_cast<rtl::Int64>(logo->Size));
  ui::TPngImage png;
  png.LoadFromStream(&stream);
  image->Picture()->SetGraphic(&png);
}

}  // namespace

ui::TTimer* StartTimer() { return TimerIniciar; }

String NextQueryText(TDateTime value) {
  return rtl::FormatDateTime(u"ddddd tt", value, PtBr());
}

// ---- construction ------------------------------------------------------------------------

TfrmPrincipal::TfrmPrincipal(rtl::TComponent* AOwner) : ui::TForm(AOwner) {
  SetName(u"frmPrincipal");
  SetCaption(u"frmPrincipal");
  SetPosition(ui::poScreenCenter);
  Font()->SetName(u"Tahoma");
  Font()->SetSize(8);
  SetClientWidth(1036);
  SetClientHeight(727);
  createActions();
  createControls();

  TimerThread = make<ui::TTimer>(this, nullptr, u"TimerThread");
  TimerThread->SetEnabled(false);
  TimerThread->SetInterval(10000);
  TimerThread->SetOnTimer(rtl::TNotifyEvent::bind<&TfrmPrincipal::TimerThreadTimer>(this));

  dtsQuelora = make<db::TDataSource>(this, nullptr, u"dtsQuelora");
  if (dtmPrincipal) dtsQuelora->SetDataSet(dtmPrincipal->qryQuelora);
  dtsQueloraPendentes = make<db::TDataSource>(this, nullptr, u"dtsQueloraPendentes");
  createStyles();

  SetOnShow(rtl::TNotifyEvent::bind<&TfrmPrincipal::FormShow>(this));
  SetOnClose(ui::TCloseEvent::bind<&TfrmPrincipal::FormClose>(this));
  // The worker's grid refreshes come here.
  SetMainWindow(this);
}

void TfrmPrincipal::createStyles() {
  cxStyleRepository = make<lookandfeel::TcxStyleRepository>(this, nullptr, u"cxStyleRepository");
  const auto styleClass =
      rtl::ClassRef<lookandfeel::TcxCustomStyle>::of<lookandfeel::TcxStyle>();
  int number = 0;
  for (ui::TColor color : kStyleColors) {
    // Owned by the window, listed by the repository, as a stored form has them.
    auto* style =
        static_cast<lookandfeel::TcxStyle*>(cxStyleRepository->CreateItemEx(styleClass, this));
    style->SetName(u"cxStyle" + rtl::IntToStr(++number));
    style->SetColor(color);
  }
}

void TfrmPrincipal::createActions() {
  aclPrincipal = make<ui::TActionList>(this, nullptr, u"aclPrincipal");
  auto action = [&](const char16_t* name, const char16_t* caption, ui::TShortCut shortCut, auto handler) {
    auto* a = make<ui::TAction>(this, nullptr, name);
    a->SetActionList(aclPrincipal);
    a->SetCaption(caption);
    a->SetShortCut(shortCut);
    a->SetOnExecute(handler);
    return a;
  };
  actIniciar = action(u"actIniciar", u"Iniciar", ui::scNone,
                      rtl::TNotifyEvent::bind<&TfrmPrincipal::actIniciarExecute>(this));
  actParar = action(u"actParar", u"Parar", ui::scNone,
                    rtl::TNotifyEvent::bind<&TfrmPrincipal::actPararExecute>(this));
  actParar->SetEnabled(false);
  actModeDev = action(u"actModeDev", u"Mostrar Log", 24697,
                      rtl::TNotifyEvent::bind<&TfrmPrincipal::actModeDevExecute>(this));
  actModeDev->SetVisible(false);
  actModeDevDesactive = action(u"actModeDevDesactive", u"actModeDevDesactive", 24698,
                               rtl::TNotifyEvent::bind<&TfrmPrincipal::actModeDevDesactiveExecute>(this));
}

void TfrmPrincipal::createControls() {
  // Bottom-aligned bands stack upwards in the order they are placed, so the
  // button bar comes first.
  pnlOpcoes = makePanel(this, this, u"pnlOpcoes", ui::alBottom, 30);
  pnlOpcoes->SetColor(ui::clWhite);
  Panel1 = makePanel(this, this, u"Panel1", ui::alBottom, 4);
  Panel1->SetTop(pnlOpcoes->Top() - 4);
  Panel1->SetColor(kStripeColor);
  pnlLog = makePanel(this, this, u"pnlLog", ui::alBottom, 223);
  pnlLog->SetTop(Panel1->Top() - 223);
  pnlLog->SetVisible(false);
  memLog = make<TLogPane>(this, pnlLog, u"memLog");
  memLog->SetAlign(ui::alClient);
  memLog->SetVisible(false);

  // Title bar.
  pnlMenuTopo = makePanel(this, this, u"pnlMenuTopo", ui::alTop, 34);
  pnlMenuTopo->SetColor(ui::clWhite);
  pnlMenuFaixaVerde = makePanel(this, pnlMenuTopo, u"pnlMenuFaixaVerde", ui::alBottom, 4);
  pnlMenuFaixaVerde->SetColor(kStripeColor);
  pnlMenuTitulo = makePanel(this, pnlMenuTopo, u"pnlMenuTitulo", ui::alClient, 0);
  pnlMenuTitulo->SetColor(ui::clWhite);
  cxImage2 = make<ui::TImage>(this, pnlMenuTitulo, u"cxImage2");
  cxImage2->SetBounds(0, 0, 169, 29);
  cxImage2->SetTransparent(true);
  loadLogo(cxImage2);
  cxLabel1 = make<ui::TLabel>(this, pnlMenuTitulo, u"cxLabel1");
  setFont(cxLabel1, u"Verdana", 13, ui::clWindowText, false);
  cxLabel1->SetTransparent(true);
  cxLabel1->SetCaption(u"Abastecimentos integrados ao Mardova");
  cxLabel1->SetBounds(180, 7, 300, 16);
  cxButton3 = make<ui::TButton>(this, pnlMenuTitulo, u"cxButton3");
  cxButton3->SetCaption(u" &Sair");
  cxButton3->SetBounds(951, 2, 80, 25);
  cxButton3->SetVisible(false);

  // The main area: status, filter bar and grid, 5 pixels in from every side.
  pnlPrincipal = makePanel(this, this, u"pnlPrincipal", ui::alClient, 0);
  pnlPrincipal->SetBorderWidth(5);
  pnlStatusGeral = makePanel(this, pnlPrincipal, u"pnlStatusGeral", ui::alTop, 68);
  auto statusLabel = [&](const char16_t* name, int left, int top, int width, ui::TAlignment alignment) {
    auto* l = make<ui::TLabel>(this, pnlStatusGeral, name);
    setFont(l, u"Tahoma", 16, ui::clNavy, true);
    l->SetAutoSize(false);
    l->SetAlignment(alignment);
    l->SetBounds(left, top, width, 20);
    return l;
  };
  lblTituloStatus = statusLabel(u"lblTituloStatus", 7, 10, 157, ui::taRightJustify);
  lblTituloStatus->SetCaption(u"Status Integrador:");
  lblStatusIntegrador = statusLabel(u"lblStatusIntegrador", 172, 10, 600, ui::taLeftJustify);
  lblStatusIntegrador->SetCaption(u"Aguardando Inicialização");
  lblTituloProxima = statusLabel(u"lblTituloProxima", 7, 38, 157, ui::taRightJustify);
  lblTituloProxima->SetCaption(u"Próxima Consultar:");
  lblProximaConsulta = statusLabel(u"lblProximaConsulta", 170, 38, 600, ui::taLeftJustify);
  lblProximaConsulta->SetCaption(String());

  pnlGrid = makePanel(this, pnlPrincipal, u"pnlGrid", ui::alClient, 0);
  pnlFiltro = makePanel(this, pnlGrid, u"pnlFiltro", ui::alTop, 36);
  lblPeriodo = make<ui::TLabel>(this, pnlFiltro, u"lblPeriodo");
  lblPeriodo->SetCaption(u"Período Abastecimento");
  lblPeriodo->SetBounds(8, 11, 130, 13);
  cxDataInicial = make<TDateEdit>(this, pnlFiltro, u"cxDataInicial");
  cxDataInicial->SetBounds(147, 7, 88, 21);
  cxDataInicial->SetText(String());
  cxDataFinal = make<TDateEdit>(this, pnlFiltro, u"cxDataFinal");
  cxDataFinal->SetBounds(239, 7, 88, 21);
  cxDataFinal->SetText(String());
  btnExportaExcel = make<ui::TSpeedButton>(this, pnlFiltro, u"btnExportaExcel");
  btnExportaExcel->SetBounds(333, 6, 23, 23);
  btnExportaExcel->SetFlat(true);
  btnExportaExcel->SetHint(u"Exportar para Excel");
  btnExportaExcel->SetShowHint(true);
  btnExportaExcel->SetCaption(String());
  chkPendentesIntegracao = make<ui::TCheckBox>(this, pnlFiltro, u"chkPendentesIntegracao");
  chkPendentesIntegracao->SetCaption(u"Pendentes de Integração");
  chkPendentesIntegracao->SetBounds(364, 10, 150, 17);
  btnLocalizar = make<ui::TButton>(this, pnlFiltro, u"btnLocalizar");
  btnLocalizar->SetCaption(u"&Localizar");
  setFont(btnLocalizar, u"Calibri", 13, ui::clWindowText, false);
  btnLocalizar->SetBounds(520, 5, 90, 25);
  btnLocalizar->SetOnClick(rtl::TNotifyEvent::bind<&TfrmPrincipal::btnLocalizarClick>(this));
  btnGet = make<ui::TButton>(this, pnlFiltro, u"btnGet");
  btnGet->SetCaption(u"&Get Direto");
  btnGet->SetBounds(616, 5, 90, 25);
  btnGet->SetVisible(false);
  cxComboBox = make<ui::TEdit>(this, pnlFiltro, u"cxComboBox");
  cxComboBox->SetText(String());
  cxComboBox->SetBounds(712, 7, 121, 21);
  cxComboBox->SetVisible(false);
  cxTextEdit = make<ui::TEdit>(this, pnlFiltro, u"cxTextEdit");
  cxTextEdit->SetText(u"1");
  cxTextEdit->SetBounds(839, 7, 50, 21);
  cxTextEdit->SetVisible(false);
  chkMostrarLog = make<ui::TCheckBox>(this, pnlFiltro, u"chkMostrarLog");
  chkMostrarLog->SetAlign(ui::alRight);
  chkMostrarLog->SetWidth(76);
  chkMostrarLog->SetAction(actModeDev);
  // Clicking the box shows the pane; the action only reveals the box.
  chkMostrarLog->SetOnClick(rtl::TNotifyEvent::bind<&TfrmPrincipal::chkMostrarLogClick>(this));
  chkMostrarLog->SetVisible(false);
  grdConsulta = makePanel(this, pnlGrid, u"grdConsulta", ui::alClient, 0);
  grdConsulta->SetBevelOuter(ui::bvLowered);

  // Button bar.
  auto barButton = [&](const char16_t* name, ui::TAction* action, int left) {
    auto* b = make<ui::TButton>(this, pnlOpcoes, name);
    b->SetAction(action);
    setFont(b, u"Verdana", 15, ui::clNavy, true);
    b->SetBounds(left, 0, 117, 30);
    b->SetTabStop(false);
    return b;
  };
  btnIniciar = barButton(u"btnIniciar", actIniciar, 0);
  btnParar = barButton(u"btnParar", actParar, 117);
  edtNSUEspecifico = make<ui::TEdit>(this, pnlOpcoes, u"edtNSUEspecifico");
  edtNSUEspecifico->SetText(String());
  edtNSUEspecifico->SetBounds(250, 4, 121, 21);
  edtNSUEspecifico->SetVisible(false);
  cxButton1 = make<ui::TButton>(this, pnlOpcoes, u"cxButton1");
  cxButton1->SetCaption(kVersion);
  cxButton1->SetAlign(ui::alRight);
  cxButton1->SetWidth(185);
  cxButton1->SetTabStop(false);
  cxButton1->SetOnClick(rtl::TNotifyEvent::bind<&TfrmPrincipal::actIniciarExecute>(this));
}

TfrmPrincipal::~TfrmPrincipal() {
  if (frmPrincipal == this) frmPrincipal = nullptr;
  if (TimerIniciar && TimerIniciar->Owner() == this) TimerIniciar = nullptr;  // freed with us
}

void TfrmPrincipal::BeforeDestruction() {
  // A window freed without closing still ends its worker first: the worker
  // writes to this window's pane.
  lifetime_.End();
  stopWorkers();
  ui::TForm::BeforeDestruction();
}

void TfrmPrincipal::stopWorkers() {
  try {
    if (TimerThread) TimerThread->SetEnabled(false);
    // A refresh asked for by a worker now would reopen the grid of a window
    // that is going.
    if (MainWindow() == this) SetMainWindow(nullptr);
    if (TThreadXML::LiveCount() > 0) {
      TThreadXML::TerminateAll();
      // In short waits: a worker's end does not wake the loop by itself.
      TThreadXML::WaitForAll(30000);
    }
  } catch (...) {
    // Closing goes on; the worker's own end of run clears the flag.
  }
}

// ---- show and login ----------------------------------------------------------------------

ui::TModalResult TfrmPrincipal::ShowLogin() {
  return frmLogin ? frmLogin->ShowModal() : ui::mrCancel;
}

void TfrmPrincipal::FormShow(rtl::TObject*) {
  // Only the first show logs in; the window may be shown again later.
  if (shown_) return;
  shown_ = true;
  if (ShowLogin() != ui::mrOk) {
    // Nothing here works without the connections: end the program.
    EndProgram(kProgramLoginCancelled);
    return;
  }
  afterLogin();
}

void TfrmPrincipal::afterLogin() {
  // The status bar's next query may be unreadable (a mistyped value in the
  // database); the period, the grid and the scheduler's start do not depend
  // on it, and the scheduler's ticks report it, and try again, by themselves.
  std::exception_ptr nextQueryError;
  try {
    showNextQuery();
  } catch (const std::exception&) {
    nextQueryError = std::current_exception();
  }

  const TDateTime now = rtl::Now();
  cxDataInicial->SetDate(rtl::IncDay(now, -7));
  cxDataFinal->SetDate(now);

  TCatalogueQuery* quelora = dtmPrincipal->qryQuelora;
  quelora->Close();
  bindPeriod();
  // Unbound: lists the rows without an error, as 0 does.
  quelora->ParamByName(u"erro_integracao")->Clear();
  quelora->Open();

  if (TimerIniciar) TimerIniciar->Free();
  TimerIniciar = make<ui::TTimer>(this, nullptr, u"TimerIniciar");
  TimerIniciar->SetInterval(10000);
  TimerIniciar->SetOnTimer(rtl::TNotifyEvent::bind<&TfrmPrincipal::TimerIniciarOnTimer>(this));
  TimerIniciar->SetEnabled(true);

  if (nextQueryError) std::rethrow_exception(nextQueryError);
}

void TfrmPrincipal::showNextQuery() {
  TCatalogueQuery* busca = dtmPrincipal->qryBuscaCNPJ;
  busca->Close();
  busca->Open();
  if (!busca->IsEmpty() && !busca->FieldByName(u"proxima_consulta")->IsNull())
    lblProximaConsulta->SetCaption(NextQueryText(FieldDateTime(busca->FieldByName(u"proxima_consulta"))));
}

void TfrmPrincipal::TimerIniciarOnTimer(rtl::TObject*) {
  // Once only: the timer goes with its first tick.
  if (ui::TTimer* timer = std::exchange(TimerIniciar, nullptr)) {
    timer->SetEnabled(false);
    timer->Free();
  }
  btnIniciar->Click();
}

// ---- start, stop, search -------------------------------------------------------------------

void TfrmPrincipal::actIniciarExecute(rtl::TObject*) {
  lblStatusIntegrador->SetCaption(u"Em execução...");
  TimerState(true);
}

void TfrmPrincipal::actPararExecute(rtl::TObject*) {
  TimerState(false);
  lblStatusIntegrador->SetCaption(u"Processo Parado...");
}

void TfrmPrincipal::TimerState(bool AExecute) {
  actIniciar->SetEnabled(!AExecute);
  actParar->SetEnabled(AExecute);
  TimerThread->SetEnabled(AExecute);
}

void TfrmPrincipal::bindPeriod() {
  TCatalogueQuery* quelora = dtmPrincipal->qryQuelora;
  auto bindDate = [&](const char16_t* name, TDateEdit* editor) {
    const TDateTime date = editor->Date();
    db::TParam* param = quelora->ParamByName(name);
    if (date == kNullDate)
      param->Clear();  // no date: NULL, which lists nothing
    else
      param->SetAsDate(date);
  };
  bindDate(u"data_inicio", cxDataInicial);
  bindDate(u"data_fim", cxDataFinal);
}

void TfrmPrincipal::btnLocalizarClick(rtl::TObject*) {
  TCatalogueQuery* quelora = dtmPrincipal->qryQuelora;
  quelora->Close();
  bindPeriod();
  quelora->ParamByName(u"erro_integracao")->SetAsInteger(chkPendentesIntegracao->Checked() ? 1 : 0);
  quelora->Open();
}

// ---- log switch -------------------------------------------------------------------------------

void TfrmPrincipal::chkMostrarLogClick(rtl::TObject*) {
  const bool show = chkMostrarLog->Checked();
  pnlLog->SetVisible(show);
  memLog->SetVisible(show);
}

void TfrmPrincipal::actModeDevExecute(rtl::TObject*) {
  const bool usable = Enabled();
  chkMostrarLog->SetVisible(usable);
  btnGet->SetVisible(usable);
  cxComboBox->SetVisible(usable);
  cxTextEdit->SetVisible(usable);
}

void TfrmPrincipal::actModeDevDesactiveExecute(rtl::TObject*) {
  chkMostrarLog->SetChecked(false);  // hides the pane through its click
  chkMostrarLog->SetVisible(false);
  btnGet->SetVisible(false);
  cxComboBox->SetVisible(false);
  cxTextEdit->SetVisible(false);
}

// ---- closing ---------------------------------------------------------------------------------

void TfrmPrincipal::FormClose(rtl::TObject*, ui::TCloseAction& Action) {
  // A run still going is asked to stop at its next safe point and waited
  // for, so that it ends its run (and clears the busy flag) before the
  // program goes.
  stopWorkers();
  if (frmPrincipal == this) frmPrincipal = nullptr;
  Action = ui::caFree;
  EndProgram(kProgramOk);
}

// ---- the scheduler --------------------------------------------------------------------------

void TfrmPrincipal::TimerThreadTimer(rtl::TObject*) {
  try {
    runTick();
  } catch (...) {
    reportTickError(std::current_exception());
  }
}

void TfrmPrincipal::runTick() {
  TdtmPrincipal* dm = dtmPrincipal;
  TCatalogueQuery* consulta = dm->qryConsultaIntegracao;
  TCatalogueQuery* busca = dm->qryBuscaCNPJ;

  // 0. A flag this process took and could not free yet is freed first; no
  // run starts before.
  if (const int owed = OwedBusyFlag()) freeOwedFlag(owed);

  // 1. The flag of the resource as last read.
  consulta->Close();
  const bool known = busca->Active() && !busca->IsEmpty();
  const int lastResource = known ? busca->FieldByName(u"id_integracao_recurso")->AsInteger() : 0;
  if (known)
    consulta->ParamByName(u"id_integracao_recurso")->SetAsInteger(lastResource);
  else
    consulta->ParamByName(u"id_integracao_recurso")->Clear();
  consulta->Open();

  // 2. The resource again, and its next-run time on the status bar.
  busca->Close();
  busca->Open();
  if (busca->IsEmpty()) throw rtl::Exception(kResourceMissing);
  db::TField* proxima = busca->FieldByName(u"proxima_consulta");
  lblProximaConsulta->SetCaption(proxima->IsNull() ? String() : NextQueryText(FieldDateTime(proxima)));
  const int resource = busca->FieldByName(u"id_integracao_recurso")->AsInteger();
  if (!known || resource != lastResource) {
    // The flag read above was not this resource's.
    consulta->Close();
    consulta->ParamByName(u"id_integracao_recurso")->SetAsInteger(resource);
    consulta->Open();
  }
  if (consulta->IsEmpty()) throw rtl::Exception(kResourceMissing);

  // 3. Due? The next-run time is read as the runs write it.
  const TDateTime ponteiro = ParseNextRunTime(busca->FieldByName(u"ponteiro_integracao")->AsString());
  const TDateTime horaAtual = FieldDateTime(busca->FieldByName(u"hora_atual"));
  if (rtl::DateTimeToUnixMs(horaAtual) < rtl::DateTimeToUnixMs(ponteiro)) return;

  // 4. A run marked busy.
  if (consulta->FieldByName(u"ativo")->AsInteger() != 0) return;

  // 5. Take the flag; another instance may have taken it since step 1.
  TCatalogueQuery* semaforo = dm->qryUpdateSemaforo;
  semaforo->ParamByName(u"carga_inicial")->SetAsInteger(1);
  semaforo->ParamByName(u"id_integracao_recurso")->SetAsInteger(resource);
  semaforo->ExecSQL();
  if (semaforo->RowsAffected() != 1) return;

  // 6-8. Hand the run its parameters; until the worker owns the run, every
  // way out of here frees the flag again.
  rtl::ScopeExit freeFlag([this, resource] { resetFlag(resource); });
  if (!Global_Library) throw rtl::Exception(u"Conexão não atribuída.");
  dac::TConnection* dbx = Global_Library->DBXConnection;
  if (!dbx->Connected()) dbx->Open();  // its session set-up runs again
  // No run without the login connection's parameters.
  if (!dbx->Connected()) return;
  auto params = std::make_unique<TThreadParams>();
  params->ConnDefParams = &dbx->Params();
  params->Grid = grdConsulta;
  params->RichEdit = memLog;
  params->Resource = resource;
  rtl::NewThread<TThreadXML>(params.get());
  params.release();  // the worker owns them now
  freeFlag.Release();
}

void TfrmPrincipal::resetFlag(int resource) {
  try {
    TCatalogueQuery* semaforo = dtmPrincipal->qryUpdateSemaforo;
    semaforo->ParamByName(u"carga_inicial")->SetAsInteger(0);
    semaforo->ParamByName(u"id_integracao_recurso")->SetAsInteger(resource);
    semaforo->ExecSQL();
  } catch (...) {
    // The start's own error is the one to show; the next tick frees the flag.
    OweBusyFlag(resource);
  }
}

void TfrmPrincipal::freeOwedFlag(int resource) {
  dac::TConnection* conn = dtmPrincipal->FDConnPrincipal;
  try {
    if (!conn->Connected()) conn->Open();
    TCatalogueQuery* semaforo = dtmPrincipal->qryUpdateSemaforo;
    semaforo->ParamByName(u"carga_inicial")->SetAsInteger(0);
    semaforo->ParamByName(u"id_integracao_recurso")->SetAsInteger(resource);
    semaforo->ExecSQL();
  } catch (const std::exception& e) {
    // The next tick tries again on a fresh connection.
    conn->Close();
    throw rtl::Exception(BusyFlagNotFreedLine(MessageOf(e)));
  }
  BusyFlagFreed(resource);
}

void TfrmPrincipal::reportTickError(std::exception_ptr error) {
  // One box at a time: a tick failing while it is up drops its error.
  if (tickErrorShowing_) return;
  tickErrorShowing_ = true;
  // Shown from the loop rather than inside the timer's handler, so that
  // the scheduler keeps ticking while the box is open.
  rtl::TThread::ForceQueue(nullptr, [self = lifetime_.Handle(), error] {
    TfrmPrincipal* form = self.Get();
    if (!form) return;
    try {
      ui::Application->HandleException(error, form);
    } catch (...) {
    }
    // The box's own loop may have closed the window meanwhile.
    if (TfrmPrincipal* still = self.Get()) still->tickErrorShowing_ = false;
  });
}

}  // namespace integrador
