// A run under faults of the data it is given and of the database under it:
// a bad element is that element's error, a database that refuses elements or
// goes away makes the run fail, and two runs alive at once never make the
// same requisition twice. Both engines.
#include <thread>

#include "app/run/api_body.h"
#include "platform/net/urlencode.h"
#include "tests/app/threads/worker_fixture.h"

namespace worker_test {
namespace {

using api_standin::Response;

const char kIniciando[] = "Iniciando consulta à Brenvik...";
const char kDados[] = "Dados recebidos da API com sucesso.";
const char kSucesso[] = "Thread executada com sucesso.";

// An element with every member given as raw JSON text.
struct Members {
  std::string id = "1";
  std::string volume = "45.5";
  std::string veiculo = R"({"placa":"ABC 1D23"})";
  std::string combustivel = R"({"codigo":1})";
};
std::string RawElement(const Members& m) {
  return "{\"id\":" + m.id +
         ",\"data_inicio\":\"27/06/2025\",\"hora_inicio\":\"08:15:00\",\"data_fim\":\"27/06/2025\","
         "\"hora_fim\":\"08:20:10\",\"volume\":" + m.volume + ",\"odometro\":10,\"veiculo\":" + m.veiculo +
         ",\"combustivel\":" + m.combustivel + "}";
}

using WorkerFaults = WorkerRun;

// Each malformed element gets its own line with the reason; the good element
// after them is staged and made into a requisition, and the run succeeds.
TEST_P(WorkerFaults, AMalformedElementIsThatElementsErrorAndTheRunGoesOn) {
  struct Case {
    std::string element;
    std::string processing;  // the "Processando orderId: " line's rest; none for a non-object
    std::string reason;
  };
  auto with = [](auto change) {
    Members m;
    change(m);
    return RawElement(m);
  };
  const std::string longId(100000, '7');
  const std::vector<Case> cases = {
      {"17", "", "Registro não inserido: o elemento 1 da lista não é um objeto JSON."},
      {"[1,2]", "", "Registro não inserido: o elemento 2 da lista não é um objeto JSON."},
      {with([](Members& m) { m.id = "11"; m.veiculo = "5"; }), "11",
       "Registro não inserido: 'veiculo' não é um objeto JSON"},
      {with([](Members& m) { m.id = "12"; m.combustivel = "\"1\""; }), "12",
       "Registro não inserido: 'combustivel' não é um objeto JSON"},
      {with([](Members& m) { m.id = "13"; m.veiculo = "[]"; }), "13",
       "Registro não inserido: 'veiculo' não é um objeto JSON"},
      {with([](Members& m) { m.id = "14"; m.volume = "null"; }), "14", "Registro não inserido: Volume inválido: null"},
      {with([](Members& m) { m.id = "15"; m.volume = "{\"l\":1}"; }), "15",
       "Registro não inserido: Volume inválido: {\"l\":1}"},
      {with([](Members& m) { m.id = "16"; m.volume = "[45]"; }), "16", "Registro não inserido: Volume inválido: [45]"},
      {with([](Members& m) { m.id = "17"; m.volume = "-5"; }), "17", "Registro não inserido: Volume inválido: -5"},
      {with([](Members& m) { m.id = "18"; m.volume = "0"; }), "18", "Registro não inserido: Volume inválido: 0"},
      {with([](Members& m) { m.id = "19"; m.volume = "1e308"; }), "19", "Registro não inserido: Volume inválido: 1e308"},
      {with([](Members& m) { m.id = "20"; m.volume = "\"muito\""; }), "20",
       "Registro não inserido: Volume inválido: \"muito\""},
      {with([](Members& m) { m.id = "21"; m.veiculo = "{\"placa\":\"" + std::string(21, 'P') + "\"}"; }), "21",
       "Registro não inserido: 'placa' tem mais de 20 caracteres"},
      {with([&](Members& m) { m.id = "\"" + longId + "\""; }), std::string(64, '7') + "…",
       "Registro não inserido: 'id' tem mais de 64 caracteres"},
      {with([](Members& m) { m.id = "{}"; }), "*", "Registro não inserido: 'id' não é um número nem um texto"},
      {with([](Members& m) { m.id = "\"\""; }), "", "Registro não inserido: 'id' vazio"},
  };
  std::vector<std::string> elements;
  std::vector<std::string> lines = {kIniciando, kDados};
  for (const Case& c : cases) elements.push_back(c.element);
  elements.push_back(RawElement(Members{"900", "12.5", R"({"placa":"ABC 1D23"})", R"({"codigo":1})"}));
  lines.push_back("Processando " + std::to_string(elements.size()) + " registros...");
  for (const Case& c : cases) {
    if (c.element[0] == '{') lines.push_back("Processando orderId: " + c.processing);
    lines.push_back(c.reason);
  }
  lines.insert(lines.end(), {"Processando orderId: 900", "Registro * inserido com sucesso.", kSucesso});
  server_->Enqueue(Json(Body(elements)));
  RunWorker();
  ExpectLines(lines, log_.Texts());
  EXPECT_EQ(Count(u"select count(*) from vorna_mat.quelora"), 1);
  EXPECT_EQ(Text(u"select status_integracao from vorna_mat.quelora where order_id = '900'"), "Finalizado");
  for (int i = 0; i < log_.lines.Count(); ++i) EXPECT_LE(log_.lines[i].size(), 600u);
  EXPECT_EQ(Flag(), 0);
}

// "\ud800" alone in a string does not spoil the body: it reads as U+FFFD.
TEST_P(WorkerFaults, ALoneSurrogateEscapeIsOneBadCharacterNotABadBody) {
  Members m;
  m.id = "\"A\\ud800\"";
  server_->Enqueue(Json(Body({RawElement(m)})));
  RunWorker();
  ExpectLines({kIniciando, kDados, "Processando 1 registros...", "Processando orderId: A\xEF\xBF\xBD",
               "Registro * inserido com sucesso.", kSucesso},
              log_.Texts());
  EXPECT_EQ(Text(u"select order_id from vorna_mat.quelora"), "A\xEF\xBF\xBD");
}

// 800021, 800021.0 and 8.00021e5 are one order; so are the next run's.
TEST_P(WorkerFaults, ANumericIdIsReadInOneForm) {
  Members a, b, c;
  a.id = "800021.0";
  b.id = "800021";
  c.id = "8.00021e5";
  server_->Enqueue(Json(Body({RawElement(a), RawElement(b), RawElement(c)})));
  RunWorker();
  ExpectLines({kIniciando, kDados, "Processando 3 registros...", "Processando orderId: 800021",
               "Registro * inserido com sucesso.", "Processando orderId: 800021", "Processando orderId: 800021",
               kSucesso},
              log_.Texts());
  EXPECT_EQ(Text(u"select order_id from vorna_mat.quelora"), "800021");
  EXPECT_EQ(Count(u"select count(*) from vorna_mat.requisicao"), 1);
}

// A status other than "001" is no answer to stage: the run says which and
// fails, and the requisitions wait.
TEST_P(WorkerFaults, AStatusOtherThan001IsLoggedAndFailsTheRun) {
  InsertPending(-950, "950", "ABC 1D23", u"50012");
  server_->Enqueue(Json("{\"status\":{\"codigo\":\"002\",\"mensagem\":\"Token expirado\"},\"abastecimentos\":[]}"));
  RunWorker();
  ExpectLines({kIniciando, kDados, "Resposta da API com status 002: Token expirado"}, log_.Texts());
  EXPECT_EQ(Text(u"select status_integracao from vorna_mat.quelora where id_quelora = -950"), "Pendente");
  EXPECT_EQ(Flag(), 0);
}

// The fuel is mapped and its material checked even when the plate check
// failed: the row keeps its material, and the last error is the one stored.
TEST_P(WorkerFaults, TheFuelIsMappedWhateverThePlateGave) {
  Members unknownPlate{"31", "10", R"({"placa":"ZZZ 9999"})", R"({"codigo":1})"};
  Members unknownBoth{"32", "10", R"({"placa":"ZZZ 9999"})", R"({"codigo":9})"};
  Members blocked{"33", "10", R"({"placa":"ZZZ 9999"})", R"({"codigo":2})"};
  server_->Enqueue(Json(Body({RawElement(unknownPlate), RawElement(unknownBoth), RawElement(blocked)})));
  RunWorker();
  auto row = [&](const char* order) {
    return Select(u"select * from vorna_mat.quelora where order_id = '" + U16(order) + u"'");
  };
  auto a = row("31");
  EXPECT_EQ(a->FieldByName(u"codigo_material")->AsInteger(), 50012);
  EXPECT_EQ(U8(a->FieldByName(u"log_erro_integracao")->AsString()), "Placa não possui codigo do bem relacionado");
  auto b = row("32");
  EXPECT_TRUE(b->FieldByName(u"codigo_material")->IsNull());
  EXPECT_EQ(U8(b->FieldByName(u"log_erro_integracao")->AsString()),
            "Registro parametrizado no config: Filtro CodigoQuelora / Valor: 9");
  auto c = row("33");
  EXPECT_EQ(c->FieldByName(u"codigo_material")->AsInteger(), 50013);
  EXPECT_EQ(U8(c->FieldByName(u"log_erro_integracao")->AsString()),
            "Não é possível realizar esta operação com um Material Bloqueado");
  for (auto* q : {a.get(), b.get(), c.get()}) EXPECT_EQ(q->FieldByName(u"erro_integracao")->AsInteger(), 1);
}

// The token never reaches a line, in any of the forms a server may echo it:
// as it is, URL-encoded in a reason phrase, JSON-escaped in a parse error,
// or as an order id.
TEST_P(WorkerFaults, EveryLineIsScrubbedOfTheTokenInEveryForm) {
  token_ = "tok/en&y=1";
  SetResource(server_->BaseUrl(), token_, "20/06/2025 14:00:00", 1);
  server_->Enqueue(Json("{}", 500, "bad tok%2Fen%26y%3D1"));
  server_->Enqueue(Json("{}", 500, "bad " + token_));
  server_->Enqueue(Json(R"({"status":{"codigo":"tok\/en&y=1\q"}})"));
  RunWorker();
  ExpectLines({kIniciando, "Erro na API (Tentativa 1): Código 500 - bad ***",
               "Erro na API (Tentativa 2): Código 500 - bad ***", kDados, "Resposta da API inválida: *"},
              log_.Texts());
  EXPECT_NE(log_.All().find("***"), log_.All().rfind("***")) << log_.All();

  SetResource(server_->BaseUrl(), token_, "20/06/2025 14:00:00", 1);
  Members m;
  m.id = "\"tok/en&y=1\"";
  server_->Enqueue(Json(Body({RawElement(m)})));
  RunWorker();
  EXPECT_EQ(log_.All().find("tok"), std::string::npos) << log_.All();
  EXPECT_NE(log_.All().find("Processando orderId: ***"), std::string::npos) << log_.All();
}

// Two runs alive at once (a busy flag cleared by hand) each claim a pending
// row before writing its header: every row gets one requisition. The test
// holds the first row locked until both runs have read the pending rows and
// wait on it, so that both try it.
TEST_P(WorkerFaults, TwoRunsAtOnceMakeEachRequisitionOnce) {
  constexpr int kRows = 20;
  // Keys below the sequence's, so that no later staging meets them.
  const int first = -100000;
  for (int i = 0; i < kRows; ++i)
    InsertPending(first + i, "two-runs-" + std::to_string(first + i), "ABC 1D23", u"50012");
  // The first answer waits, so that both runs are past their own writes
  // (the busy flag) and waiting for the server when the lock is taken.
  Response late = Json(Body({}));
  late.delayBeforeHeaders = std::chrono::milliseconds(1500);
  server_->Enqueue(late);
  server_->Enqueue(Json(Body({})));
  int asking = 0;
  int reading = 0;
  auto onLine = [&](const String& line) {
    if (line.find(u"Iniciando consulta") != String::npos && ++asking == 2) {
      admin_->StartTransaction();
      Exec(u"update vorna_mat.quelora set erro_integracao = 0 where id_quelora = :i", {rtl::Variant(first)});
    }
    if (line.find(u"Processando 0 registros") != String::npos) ++reading;
  };
  TestLog second;
  log_.lines.onLine = onLine;
  second.lines.onLine = onLine;
  for (integrador::ILogLines* pane : {static_cast<integrador::ILogLines*>(&log_), static_cast<integrador::ILogLines*>(&second)}) {
    auto* params = new integrador::TThreadParams();
    params->ConnDefParams = &params_;
    params->RichEdit = pane;
    rtl::NewThread<integrador::TThreadXML>(params);
  }
  // Both runs past their read of the pending rows and waiting on the lock.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (reading < 2 && std::chrono::steady_clock::now() < deadline) rtl::RunUntil([&] { return reading >= 2; }, 10);
  ASSERT_EQ(reading, 2);
  if (pg()) {
    while (Count(u"select count(*) from pg_stat_activity where datname = current_database() and "
                 u"wait_event_type = 'Lock'") < 2 &&
           std::chrono::steady_clock::now() < deadline)
      rtl::RunUntil([] { return false; }, 10);
  } else {
    rtl::RunUntil([] { return false; }, 500);
  }
  admin_->Commit();
  ASSERT_TRUE(integrador::TThreadXML::WaitForAll(120000));
  log_.lines.onLine = nullptr;
  EXPECT_EQ(Count(u"select count(*) from vorna_mat.requisicao"), kRows);
  EXPECT_EQ(Count(u"select count(*) from (select documento from vorna_mat.requisicao group by documento "
                  u"having count(*) > 1) d"),
            0);
  EXPECT_EQ(Count(u"select count(*) from vorna_mat.item_requisicao"), kRows);
  EXPECT_EQ(Count(u"select count(*) from vorna_mat.quelora where status_integracao = 'Finalizado'"), kRows);
  EXPECT_EQ(log_.Texts().back(), kSucesso);
  EXPECT_EQ(second.Texts().back(), kSucesso);
}

// Runs that end without a good answer skip the requisition step: a pending
// row of an earlier run waits for the next good one.
TEST_P(WorkerFaults, NoRequisitionStepAfterAnAnswerWithoutRecords) {
  InsertPending(-970, "970", "ABC 1D23", u"50012");
  const struct {
    const char* name;
    Response answer;
  } cases[] = {
      {"not JSON", Json("<html>erro</html>")},
      {"not an object", Json("[]")},
      {"another status", Json(Body({}, "\"002\""))},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    SetResource(server_->BaseUrl(), token_, "20/06/2025 14:00:00", 1);
    server_->Enqueue(c.answer);
    log_.lines.Clear();
    RunWorker();
    EXPECT_NE(log_.Texts().back(), kSucesso);
    EXPECT_EQ(Text(u"select status_integracao from vorna_mat.quelora where id_quelora = -970"), "Pendente");
    EXPECT_EQ(Count(u"select count(*) from vorna_mat.requisicao"), 0);
  }
}

// A header the database refuses (its number taken by a requisition made
// elsewhere) leaves its row pending with the error, and the rows after it
// for the next run.
TEST_P(WorkerFaults, ARefusedRequisitionHeaderKeepsTheRowPendingWithItsError) {
  InsertPending(-982, "980", "ABC 1D23", u"50012");
  InsertPending(-981, "981", "ABC 1D23", u"50012");
  const int year = std::stoi(Text(pg() ? u"select CAST(extract(year from localtimestamp) AS integer)"
                                       : u"select strftime('%Y', vorna_sysdate())"));
  const long long next =
      std::stoll(Text(pg() ? u"select nextval('vorna_mat.sq_numero_requisicao')"
                           : u"select valor from vorna_mat.sequencia where nome = 'vorna_mat.sq_numero_requisicao'")) +
      1;
  Exec(rtl::Utf8ToString("insert into vorna_mat.requisicao (id_requisicao, ano_requisicao, numero_requisicao, data, "
                         "tipo_requisicao, codigo_empresa, documento) values (" +
                         std::to_string(-next) + ", " + std::to_string(year) + ", " + std::to_string(next) +
                         ", '2025-06-27 00:00:00', 'M', 17, 'arquivado')"));
  server_->Enqueue(Json(Body({})));
  RunWorker();
  ExpectLines({kIniciando, kDados, "Processando 0 registros...", "Error de [qryInsertRequisicao]: *",
               "Erro: Não foi possível inserir a requisição.", kSucesso},
              log_.Texts());
  auto row = Select(u"select * from vorna_mat.quelora where id_quelora = -982");
  EXPECT_EQ(U8(row->FieldByName(u"status_integracao")->AsString()), "Pendente");
  EXPECT_EQ(row->FieldByName(u"erro_integracao")->AsInteger(), 1);
  EXPECT_TRUE(Glob("Error de [qryInsertRequisicao]: *", U8(row->FieldByName(u"log_erro_integracao")->AsString())));
  EXPECT_TRUE(row->FieldByName(u"numero_requisicao")->IsNull());
  EXPECT_EQ(Text(u"select status_integracao from vorna_mat.quelora where id_quelora = -981"), "Pendente");
  EXPECT_EQ(Count(u"select count(*) from vorna_mat.quelora where id_quelora = -981 and erro_integracao = 0"), 1);
  EXPECT_EQ(Count(u"select count(*) from vorna_mat.requisicao"), 0);
  EXPECT_EQ(Flag(), 0);
}

// A failed run moves the next-run time an hour on, but not the request's
// window: the next request asks again from where the last good one did, and
// a good run moves the window to its own time.
TEST_P(WorkerFaults, AFailedRunKeepsTheWindowOfTheLastGoodRequest) {
  SetResource(server_->BaseUrl(), token_, "20/06/2025 14:00:00", 1);
  const Response e503 = Json("{}", 503, "Service Unavailable");
  for (int i = 0; i < 3; ++i) server_->Enqueue(e503);
  RunWorker();  // fails: the next-run time is now an hour after the server's now
  EXPECT_NE(Ponteiro(), "20/06/2025 14:00:00");
  server_->Enqueue(Json(Body({}, "\"002\"")));
  Exec(u"update vorna_mat.integracao_recurso set carga_inicial = 1");
  RunWorker();  // fails too, after an answer
  server_->Enqueue(Json(Body({})));
  Exec(u"update vorna_mat.integracao_recurso set carga_inicial = 1");
  RunWorker();  // succeeds
  server_->Enqueue(Json(Body({})));
  Exec(u"update vorna_mat.integracao_recurso set carga_inicial = 1");
  const std::string serverDay = Text(pg() ? u"select to_char(localtimestamp, 'DD/MM/YYYY')"
                                          : u"select strftime('%d/%m/%Y', vorna_sysdate())");
  RunWorker();
  const auto requests = server_->Requests();
  ASSERT_EQ(requests.size(), 6u);
  for (std::size_t i : {0u, 1u, 2u, 3u, 4u})
    EXPECT_EQ(requests[i].QueryParam("data_inicio"), "20/06/2025") << i;
  EXPECT_EQ(requests[5].QueryParam("data_inicio"), serverDay);
}

INSTANTIATE_TEST_SUITE_P(Drivers, WorkerFaults,
                         testing::Values(dac::DriverKind::SQLite, dac::DriverKind::PostgreSQL), DriverLabel);

// --- engine-specific faults -----------------------------------------------------

// Every element refused for the database (a full disk, a corrupted page: a
// trigger stands in for them): the run fails with the count and the cause,
// and the elements are fetched again by the next run.
class WorkerFaultsSQLite : public WorkerRun {};
TEST_P(WorkerFaultsSQLite, ElementsRefusedByTheDatabaseFailTheRun) {
  Exec(u"create trigger vorna_mat.disco_cheio before insert on quelora "
       u"begin select raise(abort, 'database or disk is full'); end");
  server_->Enqueue(Json(Body({Element("41", "ABC 1D23"), Element("42", "ABC 1D23")})));
  RunWorker();
  Exec(u"drop trigger vorna_mat.disco_cheio");
  const std::vector<std::string> texts = log_.Texts();
  ExpectLines({kIniciando, kDados, "Processando 2 registros...", "Processando orderId: 41",
               "Registro * não inserido: *database or disk is full*", "Processando orderId: 42",
               "Registro * não inserido: *database or disk is full*",
               "Erro: 2 registro(s) recusado(s) pelo banco de dados: *database or disk is full*"},
              texts);
  // Each refused element is named by a key of its own.
  ASSERT_EQ(texts.size(), 8u);
  EXPECT_NE(texts[4].substr(0, texts[4].find(" não")), texts[6].substr(0, texts[6].find(" não")));
  EXPECT_EQ(Flag(), 0);
}

// A database message of several lines stays one line with its time, and a
// requisition step that failed for the database fails the run.
TEST_P(WorkerFaultsSQLite, AMultiLineDatabaseMessageIsOneLineAndFailsTheRun) {
  InsertPending(-960, "960", "ABC 1D23", u"50012");
  Exec(u"create trigger vorna_mat.recusa before update on quelora when new.status_integracao = 'Requisição' "
       u"begin select raise(abort, 'linha 1\nlinha 2'); end");
  server_->Enqueue(Json(Body({})));
  RunWorker();
  Exec(u"drop trigger vorna_mat.recusa");
  ExpectLines({kIniciando, kDados, "Processando 0 registros...",
               "Erro: Não foi possível inserir a requisição. *linha 1 linha 2"},
              log_.Texts());
  EXPECT_EQ(Text(u"select status_integracao from vorna_mat.quelora where id_quelora = -960"), "Pendente");
  EXPECT_EQ(Count(u"select count(*) from vorna_mat.requisicao"), 0);
  EXPECT_EQ(Flag(), 0);
}

// An item that exists already for the new header's number (the embedded
// database does not hold items to their header) is not written again: the
// row keeps "Requisição" without error and the run goes on.
TEST_P(WorkerFaultsSQLite, AnItemThatExistsAlreadyIsNotWrittenAgain) {
  InsertPending(-990, "990", "ABC 1D23", u"50012");
  const long long next =
      std::stoll(Text(u"select valor from vorna_mat.sequencia where nome = 'vorna_mat.sq_numero_requisicao'")) + 1;
  // Only this test's connection lets an item stand without its header.
  Exec(u"PRAGMA foreign_keys=OFF");
  Exec(rtl::Utf8ToString("insert into vorna_mat.item_requisicao (ano_requisicao, numero_requisicao, "
                         "codigo_material, codigo_almoxarifado, quantidade_digitada_ret, "
                         "codigo_unidade_digitada_ret) values (2025, " +
                         std::to_string(next) + ", 50012, 1, 3, 'LT')"));
  server_->Enqueue(Json(Body({})));
  RunWorker();
  ExpectLines({kIniciando, kDados, "Processando 0 registros...", kSucesso}, log_.Texts());
  auto row = Select(u"select * from vorna_mat.quelora where id_quelora = -990");
  EXPECT_EQ(U8(row->FieldByName(u"status_integracao")->AsString()), "Requisição");
  EXPECT_EQ(row->FieldByName(u"erro_integracao")->AsInteger(), 0);
  EXPECT_EQ(U8(row->FieldByName(u"numero_requisicao")->AsString()), std::to_string(next));
  EXPECT_EQ(Text(u"select quantidade_digitada_ret from vorna_mat.item_requisicao where numero_requisicao = " +
                 rtl::Utf8ToString(std::to_string(next))),
            "3");
}

// The server clock's stand-in keeps the milliseconds: at 23:59:59.600 on
// 31 December it is still the old year.
TEST_P(WorkerFaultsSQLite, TheServerClockKeepsMilliseconds) {
  clock_.reset();
  clock_ = std::make_unique<rtl::TestClockScope>(
      rtl::DateTimeToUnixMs(rtl::EncodeDateTime(2025, 12, 31, 23, 59, 59, 600), true));
  EXPECT_EQ(Text(u"select strftime('%Y %H:%M:%f', vorna_sysdate())"), "2025 23:59:59.600");
}
INSTANTIATE_TEST_SUITE_P(Drivers, WorkerFaultsSQLite, testing::Values(dac::DriverKind::SQLite), DriverLabel);

// The server drops the worker's connection in the middle of the staging: the
// element under way fails, the next ones are staged on a new connection, and
// the run fails naming the cause; the next run stages what was left.
class WorkerFaultsPostgres : public WorkerRun {};
TEST_P(WorkerFaultsPostgres, AConnectionLostWhileStagingIsOpenedAgainAndFailsTheRun) {
  const std::string body = Body({Element("51", "ABC 1D23"), Element("52", "ABC 1D23"), Element("53", "ABC 1D23")});
  server_->Enqueue(Json(body));
  log_.lines.onLine = [this](const String& line) {
    if (line.find(u"Processando orderId: 52") != String::npos)
      Exec(u"select pg_terminate_backend(pid) from pg_stat_activity "
           u"where datname = current_database() and pid <> pg_backend_pid()");
  };
  RunWorker();
  log_.lines.onLine = nullptr;
  ExpectLines({kIniciando, kDados, "Processando 3 registros...", "Processando orderId: 51",
               "Registro * inserido com sucesso.", "Processando orderId: 52", "Registro * não inserido: *",
               "Processando orderId: 53", "Registro * inserido com sucesso.",
               "Erro: 1 registro(s) recusado(s) pelo banco de dados: *"},
              log_.Texts());
  EXPECT_EQ(Count(u"select count(*) from vorna_mat.quelora"), 2);
  EXPECT_EQ(Flag(), 0);

  log_.lines.Clear();
  SetResource(server_->BaseUrl(), token_, "20/06/2025 14:00:00", 1);
  server_->Enqueue(Json(body));
  RunWorker();
  EXPECT_EQ(log_.Texts().back(), kSucesso);
  EXPECT_EQ(Count(u"select count(*) from vorna_mat.quelora where status_integracao = 'Finalizado'"), 3);
}
INSTANTIATE_TEST_SUITE_P(Drivers, WorkerFaultsPostgres, testing::Values(dac::DriverKind::PostgreSQL),
                         DriverLabel);

}  // namespace
}  // namespace worker_test
