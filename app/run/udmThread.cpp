#include "app/run/udmThread.h"

#include "platform/db/db.h"
#include "platform/rtl/except.h"
#include "platform/rtl/format.h"

namespace integrador {

using rtl::String;

TdtmThread::TdtmThread(rtl::TComponent* owner) : rtl::TDataModule(owner) {
  SetName(u"dtmThread");
  qryExecute = makeQuery(u"qryExecute");
  FDConnection = new dac::TConnection(this);
  FDConnection->SetName(u"FDConnection");
  qryUser = makeQuery(u"qryUser");
  qryUpdateSemaforoThread = makeQuery(u"qryUpdateSemaforoThread");
  qryBuscaCNPJ = makeQuery(u"qryBuscaCNPJ");
  qryInsertQuelora = makeQuery(u"qryInsertQuelora");
  qryInsertRequisicao = makeQuery(u"qryInsertRequisicao");
  qryBuscaQuelora = makeQuery(u"qryBuscaQuelora");
  qryUpdateStatusIntegracao = makeQuery(u"qryUpdateStatusIntegracao");
  mtConfig = new dac::TMemTable(this);
  mtConfig->SetName(u"mtConfig");
  qryInsertItemRequisicao = makeQuery(u"qryInsertItemRequisicao");
  qryBuscaBem = makeQuery(u"qryBuscaBem");
  qryVerificaMaterial1 = makeQuery(u"qryVerificaMaterial1");
  qryVerificaOrderId = makeQuery(u"qryVerificaOrderId");

  // Staging cursors write through their caches.
  qryInsertQuelora->SetCachedUpdates(true);
  qryInsertQuelora->SetUpdateTableName(u"vorna_mat.quelora");
  // A refused staging row keeps the database's reason for its log line.
  ConfigurarUpdateError(qryInsertQuelora);
  qryInsertRequisicao->SetCachedUpdates(true);
  qryInsertRequisicao->SetUpdateTableName(u"vorna_mat.requisicao");
  qryInsertItemRequisicao->SetCachedUpdates(true);
  qryInsertItemRequisicao->SetUpdateTableName(u"vorna_mat.item_requisicao");
  // Text written into numeric and date fields reads with pt-BR rules.
  const rtl::TFormatSettings ptBr = rtl::TFormatSettings::Create(rtl::LOCALE_PT_BR);
  for (dac::TQuery* q : {qryInsertQuelora, qryInsertRequisicao, qryInsertItemRequisicao})
    q->SetFormatSettings(ptBr);
}

TdtmThread::~TdtmThread() = default;

dac::TQuery* TdtmThread::makeQuery(const String& name) {
  auto* q = new dac::TQuery(this);
  q->SetName(name);
  return q;
}

void TdtmThread::PrepareStatements() {
  dialect_ = FDConnection->Driver() == dac::DriverKind::PostgreSQL ? SqlDialect::PostgreSQL
                                                                   : SqlDialect::SQLite;
  struct Entry {
    dac::TQuery* query;
    const char16_t* statement;
  };
  const Entry entries[] = {
      {qryExecute, u"qryExecute"},
      {qryUser, u"qryUser"},
      {qryUpdateSemaforoThread, u"qryUpdateSemaforoThread"},
      {qryBuscaCNPJ, u"qryBuscaCNPJThread"},
      {qryInsertQuelora, u"qryInsertQuelora"},
      {qryInsertRequisicao, u"qryInsertRequisicao"},
      {qryBuscaQuelora, u"qryBuscaQuelora"},
      {qryUpdateStatusIntegracao, u"qryUpdateStatusIntegracao"},
      {qryInsertItemRequisicao, u"qryInsertItemRequisicao"},
      {qryBuscaBem, u"qryBuscaBem"},
      {qryVerificaMaterial1, u"qryVerificaMaterial1"},
      {qryVerificaOrderId, u"qryVerificaOrderId"},
  };
  for (const Entry& e : entries) {
    e.query->SetConnection(FDConnection);
    e.query->SQL().SetText(StatementText(e.statement, dialect_));
  }
}

}  // namespace integrador
