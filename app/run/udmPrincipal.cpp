#include "app/run/udmPrincipal.h"

#include "app/run/U_Global_Library.h"
#include "platform/db/params.h"

namespace integrador {

TdtmPrincipal* dtmPrincipal = nullptr;

TdtmPrincipal::TdtmPrincipal(rtl::TComponent* AOwner) : rtl::TDataModule(AOwner) {
  FDConnPrincipal = rtl::Create<dac::TConnection>(this);
  FDConnPrincipal->SetName(u"FDConnPrincipal");
  FDConnPrincipal->SetLoginPrompt(false);

  dac::TConnection* login = Global_Library != nullptr ? Global_Library->DBXConnection : nullptr;

  qryQuelora = addQuery(u"qryQuelora", FDConnPrincipal);
  qryQuelora->ParamByName(u"data_inicio")->SetDataType(db::ftDate);
  qryQuelora->ParamByName(u"data_fim")->SetDataType(db::ftDate);
  // Left unassigned by the first query after the login: as a typed
  // parameter without a value it binds NULL, which lists the rows without an
  // error.
  qryQuelora->ParamByName(u"erro_integracao")->SetDataType(db::ftInteger);

  qryConectaEmpresa = addQuery(u"qryConectaEmpresa", login);
  qryConectaEmpresa->ParamByName(u"EMPRESA")->SetDataType(db::ftString);

  qryConsultaIntegracao = addQuery(u"qryConsultaIntegracao", FDConnPrincipal);
  qryConsultaIntegracao->ParamByName(u"id_integracao_recurso")->SetDataType(db::ftInteger);

  qryUpdateSemaforo = addQuery(u"qryUpdateSemaforo", FDConnPrincipal);
  qryUpdateSemaforo->ParamByName(u"carga_inicial")->SetDataType(db::ftInteger);
  qryUpdateSemaforo->ParamByName(u"id_integracao_recurso")->SetDataType(db::ftInteger);

  qryBuscaCNPJ = addQuery(u"qryBuscaCNPJ", login);

  SetOnCreate(rtl::TNotifyEvent::bind<&TdtmPrincipal::DataModuleCreate>(this));
}

TdtmPrincipal::~TdtmPrincipal() {
  if (dtmPrincipal == this) dtmPrincipal = nullptr;
}

TCatalogueQuery* TdtmPrincipal::addQuery(const char16_t* name, dac::TConnection* connection) {
  auto* query = rtl::Create<TCatalogueQuery>(this, rtl::String(name));
  query->SetName(name);
  query->SetConnection(connection);
  query->SetRowsetSize(300);
  return query;
}

void TdtmPrincipal::DataModuleCreate(rtl::TObject*) { FDConnPrincipal->Close(); }

void TdtmPrincipal::SetLoginConnection(dac::TConnection* connection) {
  qryConectaEmpresa->SetConnection(connection);
  qryBuscaCNPJ->SetConnection(connection);
}

}  // namespace integrador
