#include "app/run/untThreadClass.h"

#include "app/run/sql_dialect.h"

#include <charconv>
#include <cmath>
#include <condition_variable>
#include <mutex>
#include <unordered_set>

#include "app/run/api_body.h"
#include "app/run/busy_flag.h"
#include "app/run/U_Global_Library.h"
#include "app/run/config.h"
#include "platform/db/db.h"
#include "platform/json/json.h"
#include "platform/net/urlencode.h"
#include "platform/rtl/datetime.h"
#include "platform/rtl/except.h"
#include "platform/rtl/format.h"
#include "platform/rtl/formatsettings.h"
#include "platform/rtl/mainloop.h"
#include "platform/rtl/ustring.h"

namespace integrador {

using rtl::String;
using rtl::TDateTime;

namespace {

// --- the live workers ---------------------------------------------------------
std::mutex liveMutex;
std::unordered_set<TThreadXML*>& Live() {
  static auto* live = new std::unordered_set<TThreadXML*>();
  return *live;
}

std::atomic<int> testResponseTimeout{0};
std::atomic<std::size_t> testMaxContentSize{0};
std::atomic<int> testTotalTimeout{0};

constexpr char16_t kNextRunForm[] = u"dd/mm/yyyy hh:nn:ss";


String ThreadMessageOf(const std::exception& e) {
  if (auto* r = dynamic_cast<const rtl::Exception*>(&e)) return r->Message();
  return rtl::Utf8ToString(e.what());
}

bool IsIntegerField(const db::TField* field) {
  switch (field->DataType()) {
    case db::ftSmallint:
    case db::ftInteger:
    case db::ftWord:
    case db::ftLargeint:
    case db::ftAutoInc:
    case db::ftShortint:
    case db::ftByte:
    case db::ftLongWord:
      return true;
    default:
      return false;
  }
}

// The staging's key sequence.
constexpr const char16_t* kQueloraSequence = u"vorna_mat.sq_quelora";
// The server's form of the catalogue's sequence statement, read together
// with the duplicate check: it takes a value only while the order is not
// staged, so that an element skipped as staged uses up none.
constexpr const char* kNewKeyPg =
    "select nextval(CAST($1 AS regclass)) as id "
    "where not exists (select 1 from vorna_mat.quelora where order_id = $2)";

// The rows of a look-up run ahead, or what it raised, at the point of use.
const dac::ResultSet& RowsOf(const dac::PipelinedResult& r) {
  if (r.Error) std::rethrow_exception(r.Error);
  return r.Rows;
}

// A column of a look-up's first row, by name as FieldByName finds it.
const rtl::Variant& ColumnOf(const dac::ResultSet& rows, const String& name) {
  for (std::size_t c = 0; c < rows.Columns.size(); ++c)
    if (rtl::SameText(rows.Columns[c].Name, name)) return rows.Rows.at(0).at(c);
  throw db::EDatabaseError(u"Field '" + name + u"' not found");
}

// FloatToStr of a staging key: a whole number below 10^15 reads as its
// digits, so it is written without the general float formatting.
String KeyText(double key) {
  if (key == std::trunc(key) && std::fabs(key) < 1e15 && !(key == 0 && std::signbit(key)))
    return rtl::IntToStr(static_cast<Int64>(key));
  return rtl::FloatToStr(key);
}

bool StrictInt64(const String& text, Int64& out) {
  std::string s = rtl::StringToUtf8(text);
  if (s.empty()) return false;
  const char* first = s.data();
  const char* last = first + s.size();
  auto [ptr, ec] = std::from_chars(first, last, out);
  return ec == std::errc() && ptr == last;
}

}  // namespace

String FormatNextRunTime(TDateTime value) {
  // '/' and ':' whatever the locale: the scheduler and the run read it back.
  return rtl::FormatDateTime(kNextRunForm, value, PtBr());
}

TDateTime ParseNextRunTime(const String& text) {
  TDateTime value = 0;
  if (!rtl::TryParseDateTime(text, kNextRunForm, value))
    throw rtl::EConvertError(u"Próxima consulta inválida: '" + CutValue(text) + u"'");
  return value;
}

// --- construction -------------------------------------------------------------

void TThreadXML::SetHttpLimitsForTests(int responseTimeoutMs, std::size_t maxContentSize) {
  testResponseTimeout = responseTimeoutMs;
  testMaxContentSize = maxContentSize;
}

void TThreadXML::SetHttpTotalLimitForTests(int totalTimeoutMs) { testTotalTimeout = totalTimeoutMs; }

TThreadXML::TThreadXML(TThreadParams* AParams)
    : rtl::TThread(false), refreshPending_(std::make_shared<std::atomic<bool>>(false)) {
  SetFreeOnTerminate(true);
  // Through Create, so that the module's loading bracket ends here and does
  // not stay open on the constructing thread.
  std::unique_ptr<TdtmThread> dtm(rtl::Create<TdtmThread>(nullptr));
  // A copy of the login's parameters; this connection runs no set-up.
  if (AParams && AParams->ConnDefParams) dtm->FDConnection->SetParams(*AParams->ConnDefParams);
  dtm->PrepareStatements();
  dtm->FDConnection->Open();

  auto client = std::make_unique<net::THTTPClient>();
  client->SetContentType(u"application/json");
  client->SetAccept(u"application/json");
  client->SetConnectionTimeout(10000);
  if (int ms = testResponseTimeout.load()) client->SetResponseTimeout(ms);
  if (std::size_t cap = testMaxContentSize.load()) client->SetMaxContentSize(cap);
  if (int ms = testTotalTimeout.load()) client->SetTotalTimeout(ms);
  // A stop request ends a request in flight.
  client->SetAbortCheck([this] { return Terminated(); });

  FDtm = std::move(dtm);
  FHTTPClient = std::move(client);
  // Taken here, on the main thread, while the pane surely exists.
  if (AParams && AParams->RichEdit) logTarget_ = AParams->RichEdit->Handle();
  // Last: a failure above leaves the parameters with the caller.
  FParams.reset(AParams);
  std::lock_guard<std::mutex> lock(liveMutex);
  Live().insert(this);
  registered_ = true;
}

TThreadXML::~TThreadXML() {
  FHTTPClient.reset();
  if (FDtm) {
    try {
      if (FDtm->FDConnection->Connected()) FDtm->FDConnection->Close();
    } catch (...) {
    }
    FDtm.reset();
  }
  FParams.reset();
  if (registered_) {
    {
      std::lock_guard<std::mutex> lock(liveMutex);
      Live().erase(this);
    }
    rtl::WakeMainThread();
  }
}

int TThreadXML::LiveCount() {
  std::lock_guard<std::mutex> lock(liveMutex);
  return static_cast<int>(Live().size());
}

void TThreadXML::TerminateAll() {
  std::lock_guard<std::mutex> lock(liveMutex);
  for (TThreadXML* worker : Live()) worker->Terminate();
}

bool TThreadXML::WaitForAll(Int64 realTimeoutMs) {
  return rtl::RunUntil([] { return LiveCount() == 0; }, realTimeoutMs);
}

// --- hand-overs ---------------------------------------------------------------

void TThreadXML::Log(const String& AMsg) {
  // Scrubbed and made one line here, so that no caller can forget it.
  Synchronize([target = logTarget_, msg = LogLineText(AMsg, resource_.token)] {
    // The pane may have gone with its window while the run went on.
    ILogLines* lines = target.Get();
    if (!lines) return;
    try {
      lines->Lines().Add(rtl::FormatDateTime(u"hh:nn:ss", rtl::Now(), PtBr()) + u" - " + msg);
    } catch (...) {
    }
  });
}

void TThreadXML::AtualizaTelaPrincipal() {
  std::shared_ptr<std::atomic<bool>> pending = refreshPending_;
  // One refresh pending at most: later requests ride on it.
  if (pending->exchange(true)) return;
  rtl::TThread::Queue(nullptr, [pending] {
    pending->store(false);
    if (IMainWindow* window = MainWindow()) window->btnLocalizarClick(nullptr);
  });
}

// --- the run ------------------------------------------------------------------

void TThreadXML::DoTerminate() {
  if (!bodyStarted_) {
    try {
      endOfRun();
    } catch (const std::exception& e) {
      Log(u"Erro na thread: " + scrub(ThreadMessageOf(e)));
    }
  }
  rtl::TThread::DoTerminate();
}

void TThreadXML::Execute() {
  bodyStarted_ = true;
  bool finished = false;
  try {
    // The resource first, so that every later failure can clear its flag.
    readResource();
    LerConfigEmMemTable(FDtm->mtConfig);
    // The next run one hour after the server's now (the clock the scheduler
    // compares with).
    ponteiroAtual_ = FormatNextRunTime(rtl::IncSecond(resource_.horaAtual, 3600));
    writeFlag(1, ponteiroAtual_);
    flagMoved_ = true;

    if (!CheckDatabaseConnection()) {
      Log(u"Erro: Não foi possível conectar ao banco de dados.");
    } else {
      Log(u"Iniciando consulta à Brenvik...");
      net::THTTPResponse response;
      if (!fetch(response)) {
        if (!Terminated()) Log(u"Falha ao obter dados da API após 3 tentativas. Processo abortado.");
      } else if (processBody(response.ContentAsString()) && !Terminated()) {
        if (InsertRequisicao() && !Terminated()) {
          AtualizaTelaPrincipal();
          FDtm->qryUser->Close();
          FDtm->qryUser->Open();
          String next = FormatNextRunTime(rtl::IncSecond(FieldDateTime(FDtm->qryUser->FieldByName(u"data")), 3600));
          // The success line only once the flag is free: a refused final
          // write is a failed run.
          moveWindow(next);
          writeFlag(0, next);
          ponteiroAtual_ = next;
          finished = true;
          Log(kSuccessLine);
        }
      }
    }
  } catch (const std::exception& e) {
    Log(u"Erro na thread: " + scrub(ThreadMessageOf(e)));
  }
  if (!finished) endOfRun();
}

void TThreadXML::readResource() {
  dac::TQuery* q = FDtm->qryBuscaCNPJ;
  q->Close();
  q->Open();
  if (q->IsEmpty()) throw rtl::Exception(kResourceMissing);
  resource_.id = q->FieldByName(u"id_integracao_recurso")->AsInteger();
  resource_.known = true;
  resource_.ponteiro = q->FieldByName(u"ponteiro_integracao")->AsString();
  resource_.url = q->FieldByName(u"url")->AsString();
  resource_.token = q->FieldByName(u"token")->AsString();
  resource_.horaAtual = FieldDateTime(q->FieldByName(u"hora_atual"));
  ponteiroAtual_ = resource_.ponteiro;
  // A database loaded before the window was kept apart has no column for
  // it: the window then starts from the next-run time.
  try {
    const dac::ResultSet rows = lookup(u"qryInicioConsulta", rtl::IntToStr(resource_.id));
    resource_.windowKept = true;
    if (!rows.Rows.empty() && !rows.Rows[0].empty() && !rtl::VarIsNull(rows.Rows[0][0]))
      resource_.inicioConsulta = rtl::VarToStr(rows.Rows[0][0]);
  } catch (const db::EDatabaseError&) {
    resource_.windowKept = false;
  }
  // None kept yet: the window starts from the next-run time as it is now,
  // before this run moves that on.
  if (resource_.windowKept && resource_.inicioConsulta.empty()) {
    moveWindow(resource_.ponteiro);
    resource_.inicioConsulta = resource_.ponteiro;
  }
}

void TThreadXML::moveWindow(const String& start) {
  if (!resource_.windowKept) return;
  dac::TConnection* conn = FDtm->FDConnection;
  if (!conn->Connected()) conn->Open();
  conn->Execute(std::string_view(driverText(u"qryUpdateInicioConsulta")),
                {dac::BindValue::Text(start), dac::BindValue::Text(rtl::IntToStr(resource_.id))});
}

void TThreadXML::writeFlag(int carga, const String& ponteiro) {
  dac::TQuery* q = FDtm->qryUpdateSemaforoThread;
  q->Close();
  q->ParamByName(u"carga_inicial")->SetAsInteger(carga);
  q->ParamByName(u"ponteiro_integracao")->SetAsString(ponteiro);
  q->ParamByName(u"id_integracao_recurso")->SetAsInteger(resource_.id);
  q->ExecSQL();
}

void TThreadXML::rollbackAll() {
  dac::TConnection* conn = FDtm->FDConnection;
  try {
    while (conn->Connected() && conn->InTransaction()) conn->Rollback();
  } catch (...) {
  }
}

// Whatever ended the run, the busy flag goes back to 0; the next-run time
// stays as the run left it. The flag is this process's to free: when the
// database refuses every try, it stays owed and the starter frees it before
// anything else.
void TThreadXML::endOfRun() {
  if (Terminated()) Log(kStoppedLine);
  rollbackAll();
  // The starter knows the key it took even when the run could not read its
  // resource.
  const int startersKey = FParams ? FParams->Resource : 0;
  if (!resource_.known && startersKey == 0) {
    try {
      readResource();
    } catch (const std::exception&) {
      return;  // no resource, no flag to clear
    }
  }
  const int key = resource_.known ? resource_.id : startersKey;
  dac::TConnection* conn = FDtm->FDConnection;
  auto clear = [&] {
    if (resource_.known)
      writeFlag(0, ponteiroAtual_);
    else
      conn->ExecSQL(u"UPDATE vorna_mat.integracao_recurso SET carga_inicial = 0 "
                    u"WHERE id_integracao_recurso = :id_integracao_recurso",
                    {rtl::Variant(key)});
  };
  auto reconnect = [conn] {
    if (conn->Connected()) conn->Close();
    conn->Open();
  };
  String error;
  if (ClearBusyFlagWithRetries(clear, reconnect, error)) return;
  OweBusyFlag(key);
  Log(u"Erro na thread: " + scrub(BusyFlagNotFreedLine(error)));
}

bool TThreadXML::CheckDatabaseConnection() {
  try {
    if (!FDtm || !FDtm->FDConnection) {
      Log(u"Conexão não atribuída.");
      return false;
    }
    if (!FDtm->FDConnection->Connected()) FDtm->FDConnection->Open();
    return FDtm->FDConnection->Connected();
  } catch (const std::exception& e) {
    Log(u"Erro ao verificar conexão com o banco: " + ThreadMessageOf(e));
    return false;
  }
}

String TThreadXML::requestAddress() const {
  // From the stored window's start, or from the next-run time where none is
  // kept: a failed run moved the next-run time on, not the window.
  const TDateTime ponteiro = ParseNextRunTime(resource_.inicioConsulta.empty() ? resource_.ponteiro
                                                                                : resource_.inicioConsulta);
  // From the day of the next-run time less one hour, so that the records of
  // the last hour before midnight are fetched again the next day.
  TDateTime inicio = rtl::DateOf(rtl::IncSecond(ponteiro, -3600));
  TDateTime fim = rtl::Date();
  const TConfigParametros& p = FDtm->Parametros;
  return rtl::Format(u"%s?token=%s&formato=%s&empresa=%s&posto=%s&data_inicio=%s&data_fim=%s",
                     {resource_.url, resource_.token, String(u"json"),
                      rtl::IntToStr(p.CodigoEmpresaQuelora), rtl::IntToStr(p.CodigoPosto),
                      net::URLEncode(rtl::FormatDateTime(u"dd/mm/yyyy", inicio, PtBr())),
                      net::URLEncode(rtl::FormatDateTime(u"dd/mm/yyyy", fim, PtBr()))});
}

String TThreadXML::scrub(const String& text) const {
  // The token travels in the address; never let it into a log line or a
  // stored error, in whatever form a server echoes it.
  return ScrubSecret(text, resource_.token);
}

bool TThreadXML::fetch(net::THTTPResponse& response) {
  const std::string address = rtl::StringToUtf8(requestAddress());
  int n = 0;
  while (n < kMaxAttempts) {
    if (Terminated()) return false;
    try {
      net::THTTPResponse r = FHTTPClient->Get(address);
      if (r.StatusCode() == 200) {
        Log(u"Dados recebidos da API com sucesso.");
        response = std::move(r);
        return true;
      }
      ++n;
      Log(rtl::Format(u"Erro na API (Tentativa %d): Código %d - %s",
                      {n, r.StatusCode(), scrub(r.StatusText())}));
    } catch (const net::ENetHTTPRequestAborted&) {
      return false;
    } catch (const rtl::Exception& e) {
      ++n;
      Log(rtl::Format(u"Erro na conexão com a API (Tentativa %d): %s", {n, scrub(e.Message())}));
    }
    if (n < kMaxAttempts && !Pause(kRetryPauseMs)) return false;
  }
  return false;
}

bool TThreadXML::processBody(const String& body) {
  TApiBody answer = ReadApiBody(body);
  switch (answer.kind) {
    case TApiBody::Kind::NotJson:
      Log(u"Resposta da API inválida: " + answer.Message);
      return false;
    case TApiBody::Kind::NotObject:
      Log(u"Resposta da API inválida: o conteúdo não é um objeto JSON.");
      return false;
    case TApiBody::Kind::OtherCodigo:
      // The platform answered that it has no records for us: nothing was
      // fetched, so the run did not succeed.
      Log(u"Resposta da API com status " + CutValue(answer.Codigo) + u": " +
          CutValue(answer.Mensagem, 200));
      return false;
    case TApiBody::Kind::Records:
      break;
  }
  json::TJSONArray* records = answer.Abastecimentos;
  Log(rtl::Format(u"Processando %d registros...", {records->Count()}));
  databaseFailures_ = 0;
  databaseCause_.clear();
  for (int i = 0; i < records->Count(); ++i) {
    if (Terminated()) return false;
    auto* element = dynamic_cast<json::TJSONObject*>(records->Items(i));
    if (!element) {
      Log(rtl::Format(u"Registro não inserido: o elemento %d da lista não é um objeto JSON.", {i + 1}));
      continue;
    }
    ProcessInvoiceData(*element);
  }
  if (databaseFailures_ > 0) {
    // Elements the database refused are fetched again by the next run.
    Log(rtl::Format(u"Erro: %d registro(s) recusado(s) pelo banco de dados: %s",
                    {databaseFailures_, databaseCause_}));
    return false;
  }
  return true;
}

void TThreadXML::ProcessInvoiceData(const json::TJSONObject& AElement) {
  String id;
  try {
    id = OrderIdOf(AElement);
  } catch (const rtl::Exception&) {
    id = MemberText(AElement, u"id");  // what it is, for the line
  }
  Log(u"Processando orderId: " + CutValue(id));
  InsertQueloraRecord(AElement);
}

// --- staging ------------------------------------------------------------------

const std::string& TThreadXML::driverText(const char16_t* statement) {
  auto it = driverTexts_.find(statement);
  if (it != driverTexts_.end()) return it->second;
  const String text = StatementText(statement, FDtm->Dialect());
  const String rewritten = dac::RewriteSqlParams(text, dac::ParseSqlParams(text),
                                                 FDtm->FDConnection->Placeholders());
  return driverTexts_.emplace(statement, rtl::StringToUtf8(rewritten)).first->second;
}

dac::ResultSet TThreadXML::lookup(const char16_t* statement, const String& value) {
  dac::TConnection* conn = FDtm->FDConnection;
  // As the query would: a connection lost earlier is opened again.
  if (!conn->Connected()) conn->Open();
  return conn->Execute(std::string_view(driverText(statement)), {dac::BindValue::Text(value)});
}

TThreadXML::Lookups TThreadXML::readLookups(const TSupplyValues& v) {
  Lookups out;
  std::vector<dac::BatchStatement> reads;
  reads.reserve(4);
  reads.push_back({driverText(u"qryVerificaOrderId"), {dac::BindValue::Text(v.OrderId)}});
  reads.push_back({kNewKeyPg, {dac::BindValue::Text(kQueloraSequence), dac::BindValue::Text(v.OrderId)}});
  reads.push_back({driverText(u"qryBuscaBem"), {dac::BindValue::Text(v.Placa)}});
  out.haveBem = true;
  if (v.HasCombustivel) {
    // The same mapping the staging does later; the table's cursor and
    // vError are left as they were.
    dac::TMemTable* table = FDtm->mtConfig;
    const String saved = vError;
    const bool active = table->Active() && !table->IsEmpty();
    const db::TBookmark mark = active ? table->GetBookmark() : db::TBookmark();
    rtl::Variant mapped;
    vError.clear();
    GetFieldValue(table, u"CodigoQuelora", rtl::Variant(v.CodigoCombustivel), u"CodigoMardova", mapped);
    const bool found = vError.empty();
    vError = saved;
    if (active && table->BookmarkValid(mark)) table->GotoBookmark(mark);
    if (found) {
      out.material = rtl::VarToStr(mapped);
      if (!out.material.empty()) {
        reads.push_back({driverText(u"qryVerificaMaterial1"), {dac::BindValue::Text(out.material)}});
        out.haveMaterial = true;
      }
    }
  }
  dac::TConnection* conn = FDtm->FDConnection;
  // As lookup() and the queries do: a connection lost earlier (the server
  // restarted, a network cut) is opened again before the next element.
  if (!conn->Connected()) conn->Open();
  std::vector<dac::PipelinedResult> results = conn->RunPipelined(reads);
  out.dup = std::move(results[0]);
  out.key = std::move(results[1]);
  out.bem = std::move(results[2]);
  if (out.haveMaterial) out.materialRows = std::move(results[3]);
  return out;
}

void TThreadXML::InsertQueloraRecord(const json::TJSONObject& AElement) {
  vError.clear();
  TSupplyValues v;
  try {
    v = ReadSupplyElement(AElement);
  } catch (const rtl::Exception& e) {
    // The element's own fault: it takes no key and the run goes on.
    Log(u"Registro não inserido: " + e.Message());
    return;
  }
  double key = 0;
  try {
    stageElement(v, key);
  } catch (const std::exception& e) {
    rollbackAll();
    dac::TQuery* q = FDtm->qryInsertQuelora;
    try {
      if (q->State() == db::dsInsert || q->State() == db::dsEdit) q->Cancel();
      q->CancelUpdates();
      q->Close();
    } catch (const std::exception&) {
      // The cursor is opened again for the next element.
    }
    useUpKey(key);
    const String reason = ThreadMessageOf(e);
    if (databaseFailures_++ == 0) databaseCause_ = reason;
    Log(u"Registro " + KeyText(key) + u" não inserido: " + reason);
  }
}

// On SQLite the key came from a table that the rollback restored: take it
// again outside the element's transaction, so that the next element gets a
// key of its own (as the server's sequence, which no rollback restores).
void TThreadXML::useUpKey(double key) {
  if (key == 0 || FDtm->Dialect() == SqlDialect::PostgreSQL) return;
  try {
    dac::TConnection* conn = FDtm->FDConnection;
    if (conn->Connected() && !conn->InTransaction()) lookup(u"qryExecute", kQueloraSequence);
  } catch (const std::exception&) {
    // The database that refused the element may refuse this too; the key
    // is then used again, which loses nothing.
  }
}

void TThreadXML::stageElement(const TSupplyValues& v, double& key) {
  dac::TConnection* conn = FDtm->FDConnection;
  // On the server the element takes two round trips: its independent reads
  // and its key go together, then BEGIN, the insert and COMMIT. SQLite runs
  // each statement where it stands.
  const bool pipelined = FDtm->Dialect() == SqlDialect::PostgreSQL;
  Lookups ahead;
  if (pipelined) {
    ahead = readLookups(v);
    if (!RowsOf(ahead.dup).Rows.empty()) return;  // staged by an earlier run
  } else {
    if (!lookup(u"qryVerificaOrderId", v.OrderId).Rows.empty()) return;  // staged by an earlier run
  }

  // The empty insert cursor stays open from one element to the next: it
  // selects no row, and every element leaves its cache applied or cancelled.
  dac::TQuery* q = FDtm->qryInsertQuelora;
  if (!q->Active() || q->UpdatesPending()) {
    q->Close();
    q->Open();
  }
  if (!q->IsEmpty()) return;

  const String sequenceName = kQueloraSequence;
  if (pipelined) {
    // Staged by another run since the look-up.
    if (!ahead.key.Error && ahead.key.Rows.Rows.empty()) return;
    conn->StartTransactionWithNextBatch();
  } else {
    conn->StartTransaction();
  }
  q->Append();
  // The key as GetSequence reads it.
  try {
    dac::ResultSet own;
    if (!pipelined) own = lookup(u"qryExecute", sequenceName);
    const dac::ResultSet& rows = pipelined ? RowsOf(ahead.key) : own;
    if (rows.Rows.empty()) throw rtl::Exception(u"sequence '" + sequenceName + u"' does not exist");
    const rtl::Variant& id = ColumnOf(rows, u"id");
    key = rtl::VarIsNull(id) ? 0 : id.AsDouble();
  } catch (const std::exception& e) {
    throw rtl::Exception(u"Erro ao criar a sequence: " + ThreadMessageOf(e));
  }
  q->FieldByName(u"id_quelora")->SetAsLargeInt(static_cast<Int64>(key));
  q->FieldByName(u"order_id")->SetAsString(v.OrderId);
  q->FieldByName(u"status_integracao")->SetAsString(u"Pendente");
  q->FieldByName(u"data_processamento")->SetAsDateTime(rtl::Now());
  q->FieldByName(u"data_inicio")->SetAsDateTime(v.DataInicio);
  q->FieldByName(u"data_fim")->SetAsDateTime(v.DataFim);
  q->FieldByName(u"codigo_empresa")->SetAsLargeInt(FDtm->Parametros.CodigoEmpresa);
  q->FieldByName(u"quantidade")->SetAsString(v.Quantidade);
  q->FieldByName(u"json_arquivo")->SetAsString(v.JsonArquivo);
  q->FieldByName(u"km")->SetAsString(v.Km);
  q->FieldByName(u"placa")->SetAsString(v.Placa);

  auto setError = [&] {
    q->FieldByName(u"erro_integracao")->SetAsInteger(1);
    q->FieldByName(u"log_erro_integracao")->SetAsString(CutValue(vError, kMaxErrorLogLength - 1));
  };
  const bool noBem = pipelined ? RowsOf(ahead.bem).Rows.empty() : lookup(u"qryBuscaBem", v.Placa).Rows.empty();
  if (noBem) {
    vError = u"Placa não possui codigo do bem relacionado";
    setError();
  }
  if (v.HasCombustivel) {
    // The fuel is mapped and checked whatever the plate gave: the row keeps
    // its material for the operator, and the last error found is stored.
    const String plateError = vError;
    vError.clear();
    rtl::Variant mapped;
    GetFieldValue(FDtm->mtConfig, u"CodigoQuelora", rtl::Variant(v.CodigoCombustivel), u"CodigoMardova",
                  mapped);
    if (!vError.empty()) {
      setError();
    } else {
      String material = rtl::VarToStr(mapped);
      q->FieldByName(u"codigo_material")->SetAsString(material);
      if (!material.empty()) {
        const bool readAhead = pipelined && ahead.haveMaterial && ahead.material == material;
        dac::ResultSet own;
        if (!readAhead) own = lookup(u"qryVerificaMaterial1", material);
        const dac::ResultSet& rows = readAhead ? RowsOf(ahead.materialRows) : own;
        if (rows.Rows.empty()) {
          vError = u"Material parametrizado não existe no Mardova";
          setError();
        } else if (rtl::VarToStr(ColumnOf(rows, u"tipo")) == u"B") {
          vError = u"Não é possível realizar esta operação com um Material Bloqueado";
          setError();
        }
      }
    }
    if (vError.empty()) vError = plateError;
  }
  q->Post();
  FDtm->vError.clear();
  // The insert is the element's last write: its COMMIT may go with it, and
  // the Commit below reports how that went.
  if (pipelined) conn->CommitWithNextBatch();
  if (q->ApplyUpdates(0) != 0)
    throw rtl::Exception(FDtm->vError.empty() ? String(u"Registro recusado pelo banco de dados.") : FDtm->vError);
  q->CommitUpdates();
  q->EmptyDataSet();  // back to the empty cursor for the next element
  conn->Commit();
  vError.clear();
  Log(u"Registro " + KeyText(key) + u" inserido com sucesso.");
  AtualizaTelaPrincipal();
}

// --- requisitions -------------------------------------------------------------

bool TThreadXML::InsertRequisicao() {
  dac::TConnection* conn = FDtm->FDConnection;
  dac::TQuery* pend = FDtm->qryBuscaQuelora;
  dac::TQuery* header = FDtm->qryInsertRequisicao;
  dac::TQuery* item = FDtm->qryInsertItemRequisicao;
  String idQuelora;
  bool haveRow = false;
  try {
    pend->Close();
    pend->ParamByName(u"status_integracao")->SetAsString(u"Pendente");
    pend->Open();
    if (pend->IsEmpty()) return true;

    dac::TQuery* user = FDtm->qryUser;
    user->Close();
    user->Open();
    const TDateTime serverNow = FieldDateTime(user->FieldByName(u"data"));
    const String userName = user->FieldByName(u"user")->AsString();
    const double year = rtl::YearOf(serverNow);
    header->Close();
    header->Open();
    const TConfigParametros& p = FDtm->Parametros;

    for (pend->First(); !pend->Eof(); pend->Next()) {
      if (Terminated()) return true;  // the rows left wait for the next run
      idQuelora = pend->FieldByName(u"id_quelora")->AsString();
      haveRow = true;
      const String orderId = pend->FieldByName(u"order_id")->AsString();
      const String placa = pend->FieldByName(u"placa")->AsString();

      conn->StartTransaction();
      // The row is this run's once the guarded update changed it: a run
      // started while this one is alive (a busy flag cleared by hand) finds
      // it taken, waits for this transaction on the server, and skips it.
      if (lookup(u"qryReservaQuelora", idQuelora).RowsAffected != 1) {
        conn->Commit();
        continue;
      }
      header->Append();
      const double numero = GetSequence(u"vorna_mat.sq_numero_requisicao");
      const double id = GetSequence(u"vorna_mat.sq_id_requisicao");
      const TDateTime now = rtl::Now();
      header->FieldByName(u"ano_requisicao")->SetAsFloat(year);
      header->FieldByName(u"numero_requisicao")->SetAsFloat(numero);
      header->FieldByName(u"id_requisicao")->SetAsFloat(id);
      header->FieldByName(u"data")->SetAsDateTime(serverNow);
      header->FieldByName(u"autorizante")->SetAsString(u"DOCUMENTO");
      for (const char16_t* f : {u"retirante", u"solicitante", u"usuario_criacao", u"usuario_alteracao"})
        header->FieldByName(f)->SetAsString(userName);
      header->FieldByName(u"atendida")->SetAsInteger(1);
      header->FieldByName(u"documento")->SetAsString(orderId);
      header->FieldByName(u"documento_integracao")->SetAsString(orderId);
      header->FieldByName(u"tipo_requisicao")->SetAsString(u"M");
      header->FieldByName(u"uso_interno")->SetAsString(u"MANUAL");
      header->FieldByName(u"codigo_funcionario")->SetAsLargeInt(p.Solicitante);
      header->FieldByName(u"observacoes")->SetAsString(u"Quelora - Abastecimento Integrado");
      header->FieldByName(u"data_criacao")->SetAsDateTime(now);
      header->FieldByName(u"data_alteracao")->SetAsDateTime(now);
      header->FieldByName(u"codigo_empresa")->SetAsLargeInt(p.CodigoEmpresa);
      header->FieldByName(u"automatico")->SetAsInteger(0);
      header->FieldByName(u"recepcionada")->SetAsInteger(0);
      header->FieldByName(u"codigo_tipo_movimentacao")->SetAsLargeInt(p.Movimentacao);
      header->Post();

      UpdateStatus(u"Requisição", idQuelora, year, numero, id, 0, String());

      if (!FDtm->ApplyUpdatesWithErrorHandling(header)) {
        Log(FDtm->vError);
        vError = FDtm->vError;
        header->CancelUpdates();
        rollbackAll();
        UpdateStatus(u"Pendente", idQuelora, 0, 0, 0, 1, vError);
        Log(u"Erro: Não foi possível inserir a requisição.");
        return true;
      }
      header->CommitUpdates();

      dac::TQuery* bem = FDtm->qryBuscaBem;
      bem->Close();
      bem->ParamByName(u"numero_placa")->SetAsString(placa);
      bem->Open();
      const double codigoBem = bem->IsEmpty() ? 0 : bem->FieldByName(u"codigo_bem")->AsFloat();
      if (codigoBem > 0) {
        const String material = pend->FieldByName(u"codigo_material")->AsString();
        item->Close();
        item->ParamByName(u"ano_requisicao")->SetAsFloat(year);
        item->ParamByName(u"numero_requisicao")->SetAsFloat(numero);
        Int64 materialCode = 0;
        if (StrictInt64(material, materialCode))
          item->ParamByName(u"codigo_material")->SetAsLargeInt(materialCode);
        else {
          // No material: a null that matches no item.
          db::TParam* param = item->ParamByName(u"codigo_material");
          param->SetDataType(db::ftLargeint);
          param->Clear();
          param->SetBound(true);
        }
        item->Open();
        if (!item->IsEmpty()) {
          conn->Commit();  // the item exists already: the row stays "Requisição"
          continue;
        }
        conn->StartTransaction();  // a savepoint: a refused item keeps the header
        item->Append();
        item->FieldByName(u"ano_requisicao")->SetAsFloat(year);
        item->FieldByName(u"numero_requisicao")->SetAsFloat(numero);
        item->FieldByName(u"codigo_material")->SetAsString(material);
        item->FieldByName(u"codigo_almoxarifado")->SetAsLargeInt(p.Almoxarifado);
        item->FieldByName(u"codigo_empenho")->SetAsLargeInt(p.ContaContabil);
        item->FieldByName(u"quantidade_digitada_ret")->SetAsString(
            pend->FieldByName(u"quantidade")->AsString());
        item->FieldByName(u"codigo_unidade_digitada_ret")->SetAsString(u"LT");
        item->FieldByName(u"id_bem")->SetAsFloat(codigoBem);
        item->Post();
        if (!FDtm->ApplyUpdatesWithErrorHandling(item)) {
          Log(FDtm->vError);
          vError = FDtm->vError;
          item->CancelUpdates();
          conn->Rollback();  // the savepoint only
          UpdateStatus(u"Requisição", idQuelora, year, numero, id, 1, vError);
          conn->Commit();
          Log(u"Erro: Não foi possível inserir o item da requisição.");
          return true;
        }
        item->CommitUpdates();
        UpdateStatus(u"Finalizado", idQuelora, 0, 0, 0, 0, String());
        conn->Commit();
        conn->Commit();
      } else {
        UpdateStatus(u"Requisição", idQuelora, year, numero, id, 1,
                     u"A placa: " + placa + u" não foi localizada");
        conn->Commit();
      }
    }
  } catch (const std::exception& e) {
    rollbackAll();
    for (dac::TQuery* q : {header, item}) {
      try {
        if (q->State() == db::dsInsert || q->State() == db::dsEdit) q->Cancel();
        if (q->Active()) q->CancelUpdates();
      } catch (...) {
      }
    }
    vError = u"Erro: Não foi possível inserir a requisição. " + scrub(ThreadMessageOf(e));
    Log(vError);
    if (haveRow) {
      // The handler's own write may fail too (a lost connection): report it
      // and leave the row for the next run.
      try {
        UpdateStatus(u"Pendente", idQuelora, 0, 0, 0, 1, vError);
      } catch (const std::exception& e2) {
        Log(u"Erro na thread: " + scrub(ThreadMessageOf(e2)));
      }
    }
    return false;
  }
  return true;
}

void TThreadXML::UpdateStatus(const String& status_integracao, const String& id_quelora,
                              double ano_requisicao, double numero_requisicao,
                              double id_requisicao, double erro_integracao,
                              const String& log_erro_integracao) {
  dac::TQuery* q = FDtm->qryUpdateStatusIntegracao;
  q->Close();
  q->ParamByName(u"status_integracao")->SetAsString(status_integracao);
  q->ParamByName(u"id_quelora")->SetAsString(id_quelora);
  q->ParamByName(u"ano_requisicao")->SetAsString(rtl::FloatToStr(ano_requisicao));
  q->ParamByName(u"numero_requisicao")->SetAsString(rtl::FloatToStr(numero_requisicao));
  q->ParamByName(u"id_requisicao")->SetAsString(rtl::FloatToStr(id_requisicao));
  q->ParamByName(u"erro_integracao")->SetAsString(rtl::FloatToStr(erro_integracao));
  q->ParamByName(u"log_erro_integracao")->SetAsString(log_erro_integracao);
  q->ExecSQL();
}

double TThreadXML::GetSequence(const String& sequence) {
  try {
    dac::TQuery* q = FDtm->qryExecute;
    q->Close();
    // The same one-line text each time: put again only when something else
    // replaced it, so the statement is not parsed again for every key.
    const String text = StatementText(u"qryExecute", FDtm->Dialect());
    const rtl::TStrings& sql = q->SQL();
    const bool same = text.find_first_of(u"\r\n") == String::npos && sql.Count() == 1 &&
                      sql.Strings(0) == text;
    if (!same) q->SQL().SetText(text);
    q->ParamByName(u"seq")->SetAsString(sequence);
    q->Open();
    if (q->IsEmpty()) throw rtl::Exception(u"sequence '" + sequence + u"' does not exist");
    double value = q->FieldByName(u"id")->AsFloat();
    q->Close();
    return value;
  } catch (const std::exception& e) {
    throw rtl::Exception(u"Erro ao criar a sequence: " + ThreadMessageOf(e));
  }
}

// --- configuration ------------------------------------------------------------

void TThreadXML::LerConfigEmMemTable(dac::TMemTable* AMemTable) {
  TConfigFile config = ReadConfigFile(ConfigFilePath());
  FDtm->Parametros = config.Parametros;
  if (!AMemTable->Active()) {
    db::TFieldDefs* defs = AMemTable->FieldDefs();
    defs->Clear();
    defs->Add(u"ID", db::ftInteger);
    defs->Add(u"CodigoEmpresa", db::ftLargeint);
    defs->Add(u"Solicitante", db::ftLargeint);
    defs->Add(u"Movimentacao", db::ftLargeint);
    defs->Add(u"Almoxarifado", db::ftLargeint);
    defs->Add(u"ContaContabil", db::ftLargeint);
    defs->Add(u"CodigoPosto", db::ftLargeint);
    defs->Add(u"CodigoQuelora", db::ftLargeint);
    defs->Add(u"Descricao", db::ftString, kDescricaoSize);
    defs->Add(u"CodigoMardova", db::ftLargeint);
    defs->Add(u"CodigoEmpresaQuelora", db::ftLargeint);
    AMemTable->CreateDataSet();
  }
  const TConfigParametros& p = config.Parametros;
  int id = 0;
  for (const TConfigMaterial& m : config.Materiais) {
    AMemTable->Append();
    AMemTable->FieldByName(u"ID")->SetAsInteger(++id);
    AMemTable->FieldByName(u"CodigoEmpresa")->SetAsLargeInt(p.CodigoEmpresa);
    AMemTable->FieldByName(u"Solicitante")->SetAsLargeInt(p.Solicitante);
    AMemTable->FieldByName(u"Movimentacao")->SetAsLargeInt(p.Movimentacao);
    AMemTable->FieldByName(u"Almoxarifado")->SetAsLargeInt(p.Almoxarifado);
    AMemTable->FieldByName(u"ContaContabil")->SetAsLargeInt(p.ContaContabil);
    AMemTable->FieldByName(u"CodigoPosto")->SetAsLargeInt(p.CodigoPosto);
    AMemTable->FieldByName(u"CodigoQuelora")->SetAsLargeInt(m.CodigoQuelora);
    AMemTable->FieldByName(u"Descricao")->SetAsString(m.Descricao);
    AMemTable->FieldByName(u"CodigoMardova")->SetAsLargeInt(m.CodigoMardova);
    AMemTable->FieldByName(u"CodigoEmpresaQuelora")->SetAsLargeInt(p.CodigoEmpresaQuelora);
    AMemTable->Post();
  }
  AMemTable->First();
}

void TThreadXML::GetFieldValue(db::TDataSet* ATable, const String& FilterField,
                               const rtl::Variant& FilterValue, const String& ReturnField,
                               rtl::Variant& Result) {
  if (ATable && ATable->Active() && !ATable->IsEmpty()) {
    db::TField* filter = ATable->FieldByName(FilterField);
    const String wanted = rtl::VarToStr(FilterValue);
    Int64 wantedInt = 0;
    const bool integer = IsIntegerField(filter);
    const bool wantedIsInt = integer && StrictInt64(wanted, wantedInt);
    const db::TBookmark mark = ATable->GetBookmark();
    for (ATable->First(); !ATable->Eof(); ATable->Next()) {
      bool match = false;
      if (filter->IsNull())
        match = false;
      else if (integer)
        match = wantedIsInt && filter->AsLargeInt() == wantedInt;
      else
        match = filter->AsString() == wanted;
      if (match) {
        Result = ATable->FieldByName(ReturnField)->Value();
        return;
      }
    }
    if (ATable->BookmarkValid(mark)) ATable->GotoBookmark(mark);
  }
  if (FilterField == u"CodigoQuelora")
    vError = u"Registro parametrizado no config: Filtro " + FilterField + u" / Valor: " +
             rtl::VarToStr(FilterValue);
}

}  // namespace integrador
