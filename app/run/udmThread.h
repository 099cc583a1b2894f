#pragma once
// TdtmThread: the data module of one integration run. Its own connection
// (opened by the worker's constructor with a copy of the login's
// parameters, no session set-up), the run's statements, and the
// configuration table mtConfig. Made on the main thread, then used only by
// the worker.
#include "app/run/config.h"
#include "app/run/statement_catalogue.h"
#include "app/run/update_error_handling.h"
#include "platform/dac/connection.h"
#include "platform/dac/memtable.h"
#include "platform/dac/query.h"
#include "platform/rtl/classes.h"

namespace integrador {

class TdtmThread : public rtl::TDataModule, public TUpdateErrorHandling {
  RTL_CLASS(TdtmThread, rtl::TDataModule)

 public:
  explicit TdtmThread(rtl::TComponent* owner);
  ~TdtmThread() override;

  // The components, in their order; all owned by the module.
  dac::TQuery* qryExecute;
  dac::TConnection* FDConnection;
  dac::TQuery* qryUser;
  dac::TQuery* qryUpdateSemaforoThread;
  dac::TQuery* qryBuscaCNPJ;
  dac::TQuery* qryInsertQuelora;
  dac::TQuery* qryInsertRequisicao;
  dac::TQuery* qryBuscaQuelora;
  dac::TQuery* qryUpdateStatusIntegracao;
  dac::TMemTable* mtConfig;
  dac::TQuery* qryInsertItemRequisicao;
  dac::TQuery* qryBuscaBem;
  dac::TQuery* qryVerificaMaterial1;
  dac::TQuery* qryVerificaOrderId;

  // The site parameters of the configuration read by this run; they survive
  // an empty "Materiais".
  TConfigParametros Parametros;

  // Puts each statement's text for the engine FDConnection reaches. Called
  // once its parameters are set.
  void PrepareStatements();
  SqlDialect Dialect() const { return dialect_; }

  // vError, ApplyUpdatesWithErrorHandling, ConfigurarUpdateError and
  // OnFDQueryUpdateError come from TUpdateErrorHandling.

 private:
  dac::TQuery* makeQuery(const rtl::String& name);
  SqlDialect dialect_ = SqlDialect::SQLite;
};

}  // namespace integrador
