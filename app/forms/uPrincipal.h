#pragma once
// The integrator's main window: the state of the integrator and the time of
// its next query, the staged supply records of a period, start and stop of
// the scheduler, and the log pane. Its timer TimerThread is the scheduler:
// each tick asks the database whether a run is due and free, takes the busy
// flag and starts one worker for the run.
//
// The class library's controls are stood in by platform controls under the
// same names until the library exists; the record grid grdConsulta is an
// empty panel meanwhile, while its query qryQuelora is really opened.
#include <exception>
#include <memory>

#include "app/forms/date_edit.h"
#include "app/forms/log_pane.h"
#include "app/run/log_lines.h"
#include "app/run/weak_handle.h"
#include "platform/db/datasource.h"
#include "platform/ui/actions.h"
#include "platform/ui/extctrls.h"
#include "platform/ui/forms.h"
#include "platform/ui/stdctrls.h"
#include "platform/ui/timer.h"

namespace lookandfeel {
class TcxStyleRepository;
}  // namespace lookandfeel

namespace integrador {

class TfrmPrincipal : public ui::TForm, public IMainWindow {
  RTL_CLASS(TfrmPrincipal, ui::TForm)

 public:
  explicit TfrmPrincipal(rtl::TComponent* AOwner);
  ~TfrmPrincipal() override;
  void BeforeDestruction() override;

  // ---- title bar
  ui::TPanel* pnlMenuTopo = nullptr;
  ui::TPanel* pnlMenuTitulo = nullptr;
  ui::TImage* cxImage2 = nullptr;
  ui::TLabel* cxLabel1 = nullptr;
  ui::TButton* cxButton3 = nullptr;
  ui::TPanel* pnlMenuFaixaVerde = nullptr;
  // ---- status, filter bar and grid
  ui::TPanel* pnlPrincipal = nullptr;
  ui::TPanel* pnlStatusGeral = nullptr;
  ui::TLabel* lblTituloStatus = nullptr;
  ui::TLabel* lblStatusIntegrador = nullptr;
  ui::TLabel* lblTituloProxima = nullptr;
  ui::TLabel* lblProximaConsulta = nullptr;
  ui::TPanel* pnlGrid = nullptr;
  ui::TPanel* pnlFiltro = nullptr;
  ui::TLabel* lblPeriodo = nullptr;
  TDateEdit* cxDataInicial = nullptr;
  TDateEdit* cxDataFinal = nullptr;
  ui::TSpeedButton* btnExportaExcel = nullptr;
  ui::TCheckBox* chkPendentesIntegracao = nullptr;
  ui::TButton* btnLocalizar = nullptr;
  ui::TButton* btnGet = nullptr;
  // There is no platform combo box: a plain edit stands in for this hidden,
  // unused one.
  ui::TEdit* cxComboBox = nullptr;
  ui::TEdit* cxTextEdit = nullptr;
  ui::TCheckBox* chkMostrarLog = nullptr;
  // The record grid's place: an empty panel until the grid exists.
  ui::TPanel* grdConsulta = nullptr;
  // ---- log pane, stripe and button bar
  ui::TPanel* pnlLog = nullptr;
  TLogPane* memLog = nullptr;
  ui::TPanel* Panel1 = nullptr;
  ui::TPanel* pnlOpcoes = nullptr;
  ui::TButton* btnIniciar = nullptr;
  ui::TButton* btnParar = nullptr;
  ui::TEdit* edtNSUEspecifico = nullptr;
  ui::TButton* cxButton1 = nullptr;
  // ---- not visual
  ui::TTimer* TimerThread = nullptr;
  db::TDataSource* dtsQuelora = nullptr;
  db::TDataSource* dtsQueloraPendentes = nullptr;
  ui::TActionList* aclPrincipal = nullptr;
  ui::TAction* actIniciar = nullptr;
  ui::TAction* actParar = nullptr;
  ui::TAction* actModeDev = nullptr;
  ui::TAction* actModeDevDesactive = nullptr;
  // Colour styles cxStyle1..cxStyle14, kept for views to come; no control
  // of the window uses them yet.
  lookandfeel::TcxStyleRepository* cxStyleRepository = nullptr;

  void FormShow(rtl::TObject* Sender);
  void TimerIniciarOnTimer(rtl::TObject* Sender);
  void actIniciarExecute(rtl::TObject* Sender);
  void actPararExecute(rtl::TObject* Sender);
  void TimerState(bool AExecute);
  void btnLocalizarClick(rtl::TObject* Sender) override;
  void chkMostrarLogClick(rtl::TObject* Sender);
  void actModeDevExecute(rtl::TObject* Sender);
  void actModeDevDesactiveExecute(rtl::TObject* Sender);
  void FormClose(rtl::TObject* Sender, ui::TCloseAction& Action);
  // One tick of the scheduler.
  void TimerThreadTimer(rtl::TObject* Sender);

  // Whether the error box of a tick is waiting or open: failing ticks then
  // show no other box.
  bool TickErrorShowing() const { return tickErrorShowing_; }

 protected:
  // The login of the first show: the login window's modal result (no login
  // window: mrCancel).
  virtual ui::TModalResult ShowLogin();

 private:
  void createControls();
  void createActions();
  void createStyles();
  // Once the login has succeeded: the next query on the status bar, the
  // last week's records in the grid, and the scheduler's start 10 s later.
  void afterLogin();
  void showNextQuery();
  void bindPeriod();
  void runTick();
  // Frees the flag this tick took for a run that did not start; when the
  // database refuses, the flag stays owed to the next tick.
  void resetFlag(int resource);
  // Frees a flag this process still owes; raises when the database refuses.
  void freeOwedFlag(int resource);
  void reportTickError(std::exception_ptr error);
  // Ends a worker still running, serving its hand-overs meanwhile.
  void stopWorkers();

  bool shown_ = false;
  bool tickErrorShowing_ = false;
  bool closed_ = false;
  // Queued work checks it before touching a window that may have gone.
  TLifetime<TfrmPrincipal> lifetime_{this};
};

// The program's main window; cleared when it closes.
extern TfrmPrincipal* frmPrincipal;

// TimerIniciar: the one-shot timer of the first show that starts the
// scheduler (null when there is none).
ui::TTimer* StartTimer();

// The text of the next-run time on the status bar: short date and long time.
rtl::String NextQueryText(rtl::TDateTime value);

}  // namespace integrador
