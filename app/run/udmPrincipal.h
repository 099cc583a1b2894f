#pragma once
// The main window's data module: its connection FDConnPrincipal, the grid's
// query and the scheduler's statements. qryBuscaCNPJ and qryConectaEmpresa
// run on the login connection (TGlobal_Library::DBXConnection).
#include "app/run/sql_dialect.h"
#include "platform/dac/connection.h"
#include "platform/rtl/classes.h"

namespace integrador {

class TdtmPrincipal : public rtl::TDataModule {
  RTL_CLASS(TdtmPrincipal, rtl::TDataModule)

 public:
  // Create with rtl::Create so that the module finishes loading. The login
  // statements are bound to Global_Library's DBXConnection when that module
  // exists; otherwise the start-up binds them with SetLoginConnection.
  explicit TdtmPrincipal(rtl::TComponent* AOwner);
  ~TdtmPrincipal() override;

  // Takes a copy of the login connection's parameters at the login and
  // runs no set-up of its own.
  dac::TConnection* FDConnPrincipal = nullptr;
  // The grid's rows: data_inicio and data_fim dates, erro_integracao integer
  // (1 also lists the rows with an error; 0 or none only those without).
  TCatalogueQuery* qryQuelora = nullptr;
  // The company selection of the login: EMPRESA as text, converted by the
  // database, so a text that is not a number fails.
  TCatalogueQuery* qryConectaEmpresa = nullptr;
  // ativo and ponteiro_integracao of the resource id_integracao_recurso.
  TCatalogueQuery* qryConsultaIntegracao = nullptr;
  // Sets carga_inicial of resource id_integracao_recurso, only where it holds
  // another value: RowsAffected = 1 after setting 1 means this caller took
  // the busy flag.
  TCatalogueQuery* qryUpdateSemaforo = nullptr;
  // The first resource of the "Quelora" API with its next-run time and the
  // server's clock.
  TCatalogueQuery* qryBuscaCNPJ = nullptr;

  void DataModuleCreate(rtl::TObject* Sender);

  void SetLoginConnection(dac::TConnection* connection);

 private:
  TCatalogueQuery* addQuery(const char16_t* name, dac::TConnection* connection);
};

// The program's one instance, set by its start-up.
extern TdtmPrincipal* dtmPrincipal;

}  // namespace integrador
