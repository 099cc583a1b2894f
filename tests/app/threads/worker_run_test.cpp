// Whole integration runs on a worker thread, on both engines, against the
// in-process API stand-in.
#include <thread>

#include "tests/app/threads/worker_fixture.h"

namespace worker_test {
namespace {

using api_standin::Response;

rtl::TDateTime ParseNextRun(const std::string& text) {
  rtl::TDateTime value = 0;
  EXPECT_TRUE(rtl::TryParseDateTime(U16(text), u"dd/mm/yyyy hh:nn:ss", value)) << text;
  return value;
}

const char kRunIniciando[] = "Iniciando consulta à Brenvik...";
const char kRunDados[] = "Dados recebidos da API com sucesso.";
const char kRunSucesso[] = "Thread executada com sucesso.";
const char kFalha[] = "Falha ao obter dados da API após 3 tentativas. Processo abortado.";

// Each answer script of the API and what the run makes of it.
TEST_P(WorkerRun, ApiScenarios) {
  const std::string one = Body({Element("1523001", "ABC 1D23")});
  auto repeat = [](const Response& r, int n) { return std::vector<Response>(n, r); };
  Response slow = Json(one);
  slow.delayBeforeHeaders = std::chrono::milliseconds(1500);
  Response almost = Json(one);
  almost.delayBeforeHeaders = std::chrono::milliseconds(100);
  Response trickle = Json(one);
  trickle.pieceSize = 8;
  trickle.delayBetweenPieces = std::chrono::milliseconds(700);
  Response gzip = Json(one);
  gzip.encoding = api_standin::Encoding::Gzip;
  Response deflate = Json(one);
  deflate.encoding = api_standin::Encoding::Deflate;
  Response cut = gzip;
  cut.alterEncoded = [](std::string& b) { b.resize(b.size() / 2); };
  Response badSum = gzip;
  badSum.alterEncoded = [](std::string& b) { b[b.size() - 6] ^= 0x55; };
  Response latin1 = Json("");
  latin1.headers = {{"Content-Type", "application/json; charset=iso-8859-1"}};
  latin1.body = "{\"status\":{\"codigo\":\"001\",\"frota\":\"CAMINH\xC3O\"},\"abastecimentos\":[" +
                Element("1523001", "ABC 1D23").substr(0, Element("1523001", "ABC 1D23").size() - 1) +
                ",\"produto\":\"\xD3LEO\"}]}";
  Response huge = Json("{\"status\":{\"codigo\":\"002\"},\"x\":\"" + std::string(1 << 20, 'a') + "\"}");
  huge.encoding = api_standin::Encoding::Gzip;
  Response dropped = Json(one);
  dropped.drop = api_standin::Drop::AfterHeaders;
  Response e500 = Json("{}", 500, "Internal Server Error");
  Response e503 = Json("{}", 503, "Service Unavailable");
  const std::string badElements =
      Body({"{\"id\":\"\",\"data_inicio\":\"27/06/2025\",\"hora_inicio\":\"08:00:00\",\"data_fim\":\"27/06/2025\","
            "\"hora_fim\":\"08:05:00\",\"volume\":1,\"veiculo\":{\"placa\":\"ABC 1D23\"},\"combustivel\":{\"codigo\":1}}",
            "{\"id\":9002,\"data_inicio\":\"31/02/2025\",\"hora_inicio\":\"08:00:00\",\"data_fim\":\"27/06/2025\","
            "\"hora_fim\":\"08:05:00\",\"volume\":1,\"veiculo\":{\"placa\":\"ABC 1D23\"},\"combustivel\":{\"codigo\":1}}",
            "{\"id\":9003,\"data_inicio\":\"27/06/2025\",\"hora_inicio\":\"08:00:00\",\"data_fim\":\"27/06/2025\","
            "\"hora_fim\":\"08:05:00\",\"volume\":1,\"veiculo\":null,\"combustivel\":{\"codigo\":1}}",
            "{\"id\":9004,\"data_inicio\":\"27/06/2025\",\"hora_inicio\":\"08:00:00\",\"data_fim\":\"27/06/2025\","
            "\"hora_fim\":\"08:05:00\",\"volume\":1,\"veiculo\":{\"placa\":\"ABC 1D23\"}}"});

  const std::vector<std::string> staged1 = {kRunIniciando, kRunDados, "Processando 1 registros...",
                                            "Processando orderId: 1523001", "Registro * inserido com sucesso.",
                                            kRunSucesso};
  auto transport = [](const char* what) {
    return std::vector<std::string>{kRunIniciando,
                                    std::string("Erro na conexão com a API (Tentativa 1): ") + what,
                                    std::string("Erro na conexão com a API (Tentativa 2): ") + what,
                                    std::string("Erro na conexão com a API (Tentativa 3): ") + what, kFalha};
  };
  struct Scenario {
    const char* name;
    std::vector<Response> answers;
    std::vector<std::string> lines;
    int staged;
    int pauses;
    int responseTimeoutMs = 3000;
    std::size_t cap = 0;
    bool refused = false;  // no server listening
    std::function<void()> check = nullptr;
  };
  const std::vector<Scenario> scenarios = {
      {"success", {Json(one)}, staged1, 1, 0},
      {"500, 500, 200",
       {e500, e500, Json(one)},
       {kRunIniciando, "Erro na API (Tentativa 1): Código 500 - Internal Server Error",
        "Erro na API (Tentativa 2): Código 500 - Internal Server Error", kRunDados, "Processando 1 registros...",
        "Processando orderId: 1523001", "Registro * inserido com sucesso.", kRunSucesso},
       1, 2},
      {"503 three times",
       repeat(e503, 3),
       {kRunIniciando, "Erro na API (Tentativa 1): Código 503 - Service Unavailable",
        "Erro na API (Tentativa 2): Código 503 - Service Unavailable",
        "Erro na API (Tentativa 3): Código 503 - Service Unavailable", kFalha},
       0, 2},
      // A status other than "001" stages nothing and fails the run, naming it.
      {"codigo 002 with records", {Json(Body({Element("1523001", "ABC 1D23")}, "\"002\""))},
       {kRunIniciando, kRunDados, "Resposta da API com status 002: OK"}, 0, 0},
      {"codigo the number 1", {Json(Body({Element("1523001", "ABC 1D23")}, "1"))},
       {kRunIniciando, kRunDados, "Resposta da API com status 1: OK"}, 0, 0},
      {"codigo null", {Json(Body({Element("1523001", "ABC 1D23")}, "null"))},
       {kRunIniciando, kRunDados, "Resposta da API com status : OK"}, 0, 0},
      {"cut JSON", {Json("{\"status\":")}, {kRunIniciando, kRunDados, "Resposta da API inválida: *"}, 0, 0},
      {"HTML", {Json("<html><body>erro</body></html>")}, {kRunIniciando, kRunDados, "Resposta da API inválida: *"}, 0, 0},
      {"root array", {Json("[]")},
       {kRunIniciando, kRunDados, "Resposta da API inválida: o conteúdo não é um objeto JSON."}, 0, 0},
      {"root string", {Json("\"x\"")},
       {kRunIniciando, kRunDados, "Resposta da API inválida: o conteúdo não é um objeto JSON."}, 0, 0},
      {"no status", {Json("{}")}, {kRunIniciando, kRunDados, "Erro na thread: Value 'status' not found"}, 0, 0},
      {"001 without abastecimentos", {Json("{\"status\":{\"codigo\":\"001\"}}")},
       {kRunIniciando, kRunDados, "Erro na thread: Value 'abastecimentos' not found"}, 0, 0},
      {"element not an object", {Json("{\"status\":{\"codigo\":\"001\"},\"abastecimentos\":[1]}")},
       {kRunIniciando, kRunDados, "Processando 1 registros...",
        "Registro não inserido: o elemento 1 da lista não é um objeto JSON.", kRunSucesso},
       0, 0},
      {"headers past the time-out", repeat(slow, 3), transport("*"), 0, 2, 300},
      {"headers just inside the time-out", {almost}, staged1, 1, 0, 1000},
      {"trickling body", repeat(trickle, 3), transport("*"), 0, 2, 300},
      {"gzip", {gzip}, staged1, 1, 0},
      {"deflate", {deflate}, staged1, 1, 0},
      {"gzip cut short", repeat(cut, 3), transport("*"), 0, 2},
      {"gzip with a bad checksum", repeat(badSum, 3), transport("*"), 0, 2},
      {"iso-8859-1", {latin1}, staged1, 1, 0, 3000, 0, false,
       [&] {
         std::string json = Text(u"select json_arquivo from vorna_mat.quelora");
         EXPECT_NE(json.find("\"produto\":\"ÓLEO\""), std::string::npos) << json;
       }},
      {"dropped after the headers", repeat(dropped, 3), transport("*"), 0, 2},
      {"connection refused", {}, transport("*"), 0, 2, 3000, 0, true},
      {"body past the cap", repeat(huge, 3), transport("*"), 0, 2, 3000, 64 * 1024},
      // Faults of the elements themselves: each line says why, the run goes on.
      {"records that cannot be staged", {Json(badElements)},
       {kRunIniciando, kRunDados, "Processando 4 registros...", "Processando orderId: ", "Registro não inserido: 'id' vazio",
        "Processando orderId: 9002",
        "Registro não inserido: 'data_inicio': '31/02/2025 08:00:00' is not a valid date and time",
        "Processando orderId: 9003", "Registro não inserido: 'veiculo' é nulo", "Processando orderId: 9004",
        "Registro não inserido: Value 'combustivel' not found", kRunSucesso},
       0, 0},
  };

  api_standin::Server closed;
  const std::string closedUrl = closed.BaseUrl();
  closed.Stop();
  for (const Scenario& s : scenarios) {
    SCOPED_TRACE(s.name);
    Archive();
    SetResource(s.refused ? closedUrl : server_->BaseUrl(), token_, "20/06/2025 14:00:00", 1);
    for (const Response& r : s.answers) server_->Enqueue(r);
    log_.lines.Clear();
    pauses_ = 0;
    integrador::TThreadXML::SetHttpLimitsForTests(s.responseTimeoutMs, s.cap);
    const std::size_t requestsBefore = server_->RequestCount();
    const std::string before = ServerNowPlusHour();
    RunWorker();
    const std::string after = ServerNowPlusHour();

    ExpectLines(s.lines, log_.Texts());
    EXPECT_EQ(Count(u"select count(*) from vorna_mat.quelora"), s.staged);
    EXPECT_EQ(pauses_, s.pauses);
    if (!s.refused) {
      EXPECT_EQ(server_->RequestCount() - requestsBefore, s.answers.size());
    }
    // The token never shows, whatever went wrong.
    EXPECT_EQ(log_.All().find("s3cr3t"), std::string::npos) << log_.All();
    EXPECT_EQ(Flag(), 0);
    const bool success = !s.lines.empty() && s.lines.back() == kRunSucesso;
    const rtl::TDateTime next = ParseNextRun(Ponteiro());
    // The server rounds its time to the second where the query truncates.
    const double slack = (pg() ? 1.0 / 86400 : 0) + 1e-9;
    EXPECT_GE(next, ParseNextRun(before) - slack);
    EXPECT_LE(next, ParseNextRun(after) + slack);
    if (!success && !pg()) {
      EXPECT_EQ(Ponteiro(), before);  // start + 1 h
    }
    if (s.staged > 0) {  // the requisition step ran for what was staged
      EXPECT_EQ(Count(u"select count(*) from vorna_mat.quelora where status_integracao = 'Finalizado'"), s.staged);
    }
    if (s.check) s.check();
  }
}

TEST_P(WorkerRun, RequestShape) {
  token_ = "a&b=c";
  // Half past midnight: the window starts on the day before (one hour less).
  SetResource(server_->BaseUrl(), token_, "21/06/2025 00:30:00", 1);
  server_->Enqueue(Json(Body({}, "\"002\"")));
  RunWorker();
  auto requests = server_->Requests();
  ASSERT_EQ(requests.size(), 1u);
  const api_standin::Request& r = requests[0];
  EXPECT_EQ(r.method, "GET");
  EXPECT_EQ(r.target,
            "/api/abastecimentos?token=a&b=c&formato=json&empresa=99&posto=10"
            "&data_inicio=20%2F06%2F2025&data_fim=27%2F06%2F2025");
  EXPECT_EQ(r.Header("Content-Type"), "application/json");
  EXPECT_EQ(r.Header("Accept"), "application/json");
  EXPECT_EQ(r.bodyLength, 0u);
}

TEST_P(WorkerRun, SuccessStagesTheKnownPlateAndFlagsTheUnknownOne) {
  server_->Enqueue(Json(Body({Element("1523001", "ABC 1D23"), Element("1523002", "ZZZ 9999", "1", "30")})));
  RunWorker();
  const std::string k1 = Text(u"select id_quelora from vorna_mat.quelora where order_id = '1523001'");
  const std::string k2 = Text(u"select id_quelora from vorna_mat.quelora where order_id = '1523002'");
  ExpectLines({kRunIniciando, kRunDados, "Processando 2 registros...", "Processando orderId: 1523001",
               "Registro " + k1 + " inserido com sucesso.", "Processando orderId: 1523002",
               "Registro " + k2 + " inserido com sucesso.", kRunSucesso},
              log_.Texts());
  // The time of a line is the main thread's when it added it.
  EXPECT_EQ(U8(log_.lines[log_.lines.Count() - 1]), "14:03:27 - Thread executada com sucesso.");

  auto known = Select(u"select * from vorna_mat.quelora where order_id = '1523001'");
  EXPECT_EQ(U8(known->FieldByName(u"status_integracao")->AsString()), "Finalizado");
  EXPECT_EQ(known->FieldByName(u"erro_integracao")->AsInteger(), 0);
  EXPECT_EQ(U8(known->FieldByName(u"placa")->AsString()), "ABC1D23");
  EXPECT_DOUBLE_EQ(known->FieldByName(u"quantidade")->AsFloat(), 45.5);
  EXPECT_DOUBLE_EQ(known->FieldByName(u"km")->AsFloat(), 123456.7);
  EXPECT_EQ(known->FieldByName(u"codigo_material")->AsInteger(), 50012);
  EXPECT_EQ(known->FieldByName(u"codigo_empresa")->AsInteger(), 17);
  EXPECT_EQ(U8(rtl::FormatDateTime(u"dd/mm/yyyy hh:nn:ss", known->FieldByName(u"data_inicio")->AsDateTime())),
            "27/06/2025 08:15:00");
  EXPECT_NE(U8(known->FieldByName(u"json_arquivo")->AsString()).find("\"odometro\":123456.7"), std::string::npos);
  const std::string numero = U8(known->FieldByName(u"numero_requisicao")->AsString());
  auto header = Select(u"select * from vorna_mat.requisicao where documento = '1523001'");
  ASSERT_EQ(header->RecordCount(), 1);
  EXPECT_EQ(U8(header->FieldByName(u"numero_requisicao")->AsString()), numero);
  EXPECT_EQ(header->FieldByName(u"ano_requisicao")->AsInteger(), known->FieldByName(u"ano_requisicao")->AsInteger());
  EXPECT_EQ(U8(header->FieldByName(u"observacoes")->AsString()), "Quelora - Abastecimento Integrado");
  EXPECT_EQ(U8(header->FieldByName(u"tipo_requisicao")->AsString()), "M");
  EXPECT_EQ(header->FieldByName(u"codigo_funcionario")->AsInteger(), 1234);
  EXPECT_EQ(header->FieldByName(u"codigo_tipo_movimentacao")->AsInteger(), 5);
  auto item = Select(u"select * from vorna_mat.item_requisicao");
  ASSERT_EQ(item->RecordCount(), 1);
  EXPECT_EQ(U8(item->FieldByName(u"numero_requisicao")->AsString()), numero);
  EXPECT_EQ(item->FieldByName(u"codigo_material")->AsInteger(), 50012);
  EXPECT_EQ(item->FieldByName(u"id_bem")->AsInteger(), 7001);
  EXPECT_EQ(item->FieldByName(u"codigo_almoxarifado")->AsInteger(), 1);
  EXPECT_EQ(item->FieldByName(u"codigo_empenho")->AsInteger(), 3001);
  EXPECT_DOUBLE_EQ(item->FieldByName(u"quantidade_digitada_ret")->AsFloat(), 45.5);
  EXPECT_EQ(U8(item->FieldByName(u"codigo_unidade_digitada_ret")->AsString()), "LT");

  auto unknown = Select(u"select * from vorna_mat.quelora where order_id = '1523002'");
  EXPECT_EQ(U8(unknown->FieldByName(u"status_integracao")->AsString()), "Pendente");
  EXPECT_EQ(unknown->FieldByName(u"erro_integracao")->AsInteger(), 1);
  EXPECT_EQ(U8(unknown->FieldByName(u"log_erro_integracao")->AsString()), "Placa não possui codigo do bem relacionado");
  EXPECT_EQ(Count(u"select count(*) from vorna_mat.requisicao where documento = '1523002'"), 0);
  EXPECT_EQ(Flag(), 0);
}

TEST_P(WorkerRun, PendingRowWhoseVehicleIsNoLongerActive) {
  InsertPending(900, "777", "XYZ9876", u"50012");
  server_->Enqueue(Json(Body({})));
  RunWorker();
  ExpectLines({kRunIniciando, kRunDados, "Processando 0 registros...", kRunSucesso}, log_.Texts());
  auto row = Select(u"select * from vorna_mat.quelora where id_quelora = 900");
  EXPECT_EQ(U8(row->FieldByName(u"status_integracao")->AsString()), "Requisição");
  EXPECT_EQ(row->FieldByName(u"erro_integracao")->AsInteger(), 1);
  EXPECT_EQ(U8(row->FieldByName(u"log_erro_integracao")->AsString()), "A placa: XYZ9876 não foi localizada");
  EXPECT_FALSE(row->FieldByName(u"numero_requisicao")->IsNull());
  EXPECT_EQ(Count(u"select count(*) from vorna_mat.requisicao where documento = '777'"), 1);
  EXPECT_EQ(Count(u"select count(*) from vorna_mat.item_requisicao"), 0);
}

TEST_P(WorkerRun, TheSameElementInTwoRunsIsStagedOnce) {
  const std::string body = Body({Element("1523001", "ABC 1D23")});
  server_->Enqueue(Json(body));
  RunWorker();
  SetResource(server_->BaseUrl(), token_, "20/06/2025 14:00:00", 1);
  log_.lines.Clear();
  server_->Enqueue(Json(body));
  RunWorker();
  ExpectLines({kRunIniciando, kRunDados, "Processando 1 registros...", "Processando orderId: 1523001", kRunSucesso},
              log_.Texts());
  EXPECT_EQ(Count(u"select count(*) from vorna_mat.quelora"), 1);
  EXPECT_EQ(Count(u"select count(*) from vorna_mat.requisicao"), 1);
  // The skipped element used up no key: the next new one gets the next.
  const int first = Count(u"select id_quelora from vorna_mat.quelora where order_id = '1523001'");
  SetResource(server_->BaseUrl(), token_, "20/06/2025 14:00:00", 1);
  server_->Enqueue(Json(Body({Element("1523001", "ABC 1D23"), Element("1523002", "ABC 1D23")})));
  RunWorker();
  EXPECT_EQ(Count(u"select id_quelora from vorna_mat.quelora where order_id = '1523002'"), first + 1);
}

TEST_P(WorkerRun, AnItemRefusedByTheDatabaseKeepsTheHeaderAndStopsTheRows) {
  // No material: the item's NOT NULL column refuses it.
  InsertPending(901, "801", "ABC 1D23", nullptr);
  InsertPending(902, "802", "ABC 1D23", u"50012");
  server_->Enqueue(Json(Body({})));
  RunWorker();
  ExpectLines({kRunIniciando, kRunDados, "Processando 0 registros...", "Error de [qryInsertItemRequisicao]: *",
               "Erro: Não foi possível inserir o item da requisição.", kRunSucesso},
              log_.Texts());
  auto row = Select(u"select * from vorna_mat.quelora where id_quelora = 901");
  EXPECT_EQ(U8(row->FieldByName(u"status_integracao")->AsString()), "Requisição");
  EXPECT_EQ(row->FieldByName(u"erro_integracao")->AsInteger(), 1);
  EXPECT_TRUE(Glob("Error de [qryInsertItemRequisicao]: *", U8(row->FieldByName(u"log_erro_integracao")->AsString())));
  EXPECT_FALSE(row->FieldByName(u"numero_requisicao")->IsNull());
  EXPECT_EQ(Count(u"select count(*) from vorna_mat.requisicao where documento = '801'"), 1);
  EXPECT_EQ(Count(u"select count(*) from vorna_mat.item_requisicao"), 0);
  // The next row waits for the next run.
  EXPECT_EQ(Text(u"select status_integracao from vorna_mat.quelora where id_quelora = 902"), "Pendente");
  EXPECT_EQ(Count(u"select count(*) from vorna_mat.requisicao where documento = '802'"), 0);
}

TEST_P(WorkerRun, AStopRequestEndsTheRunBetweenElements) {
  std::vector<std::string> elements;
  for (int i = 0; i < 5; ++i) elements.push_back(Element(std::to_string(1523001 + i), "ABC 1D23"));
  server_->Enqueue(Json(Body(elements)));
  // Asked while the worker waits on the line of the second element.
  log_.lines.onLine = [](const String& line) {
    if (line.find(u"Processando orderId: 1523002") != String::npos) integrador::TThreadXML::TerminateAll();
  };
  RunWorker();
  log_.lines.onLine = nullptr;
  const std::string k1 = Text(u"select id_quelora from vorna_mat.quelora where order_id = '1523001'");
  const std::string k2 = Text(u"select id_quelora from vorna_mat.quelora where order_id = '1523002'");
  ExpectLines({kRunIniciando, kRunDados, "Processando 5 registros...", "Processando orderId: 1523001",
               "Registro " + k1 + " inserido com sucesso.", "Processando orderId: 1523002",
               "Registro " + k2 + " inserido com sucesso.", "Execução interrompida antes do fim."},
              log_.Texts());
  // The element under way was written whole; nothing after it, no requisition.
  EXPECT_EQ(Count(u"select count(*) from vorna_mat.quelora"), 2);
  EXPECT_EQ(Count(u"select count(*) from vorna_mat.quelora where status_integracao = 'Pendente' and "
                  u"json_arquivo is not null and placa = 'ABC1D23'"),
            2);
  EXPECT_EQ(Count(u"select count(*) from vorna_mat.requisicao"), 0);
  EXPECT_EQ(Flag(), 0);
}

TEST_P(WorkerRun, AStopRequestEndsTheRetryPause) {
  server_->Enqueue(Json("{}", 503, "Service Unavailable"));
  auto* params = new integrador::TThreadParams();
  params->ConnDefParams = &params_;
  params->RichEdit = &log_;
  rtl::NewThread<integrador::TThreadXML>(params);
  for (int i = 0; i < 3000 && rtl::ClockWaiters() == 0; ++i)
    rtl::RunUntil([] { return rtl::ClockWaiters() > 0; }, 10);
  ASSERT_GT(rtl::ClockWaiters(), 0);
  integrador::TThreadXML::TerminateAll();
  ASSERT_TRUE(integrador::TThreadXML::WaitForAll(30000));
  ExpectLines({kRunIniciando, "Erro na API (Tentativa 1): Código 503 - Service Unavailable",
               "Execução interrompida antes do fim."},
              log_.Texts());
  EXPECT_EQ(server_->RequestCount(), 1u);
  EXPECT_EQ(Flag(), 0);
}

TEST_P(WorkerRun, MissingResourceEndsTheRunWithItsOwnError) {
  Exec(u"update vorna_mat.integracao_api set nome = 'Outra'");
  RunWorker();
  ExpectLines({"Erro na thread: Recurso de integração da API Quelora não encontrado."}, log_.Texts());
  EXPECT_EQ(server_->RequestCount(), 0u);
}

TEST_P(WorkerRun, ConfigurationErrorsClearTheFlagAndKeepTheNextRunTime) {
  const std::string path = (home_ / "config.json").string();
  struct Case {
    const char* name;
    const char* text;  // nullptr: no file
    std::string line;
  };
  const std::vector<Case> cases = {
      {"missing", nullptr, "Erro na thread: Arquivo de configuração não encontrado: " + path},
      {"not JSON", "{\"Parametros\": ", "Erro na thread: Arquivo de configuração inválido: " + path + ": *"},
      {"not an object", "[1]",
       "Erro na thread: Arquivo de configuração inválido: " + path + ": o conteúdo não é um objeto JSON."},
      {"no Parametros", "{\"Materiais\": []}", "Erro na thread: Value 'Parametros' not found"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove(home_ / "config.json");
    if (c.text) testing_support::WriteFile(home_ / "config.json", c.text);
    SetResource(server_->BaseUrl(), token_, "20/06/2025 14:00:00", 1);
    log_.lines.Clear();
    RunWorker();
    ExpectLines({c.line}, log_.Texts());
    EXPECT_EQ(Flag(), 0);
    EXPECT_EQ(Ponteiro(), "20/06/2025 14:00:00");
  }
  EXPECT_EQ(server_->RequestCount(), 0u);
}

TEST_P(WorkerRun, EmptyMaterialsKeepTheParameters) {
  testing_support::WriteFile(home_ / "config.json",
                             R"({"Parametros": {"CodigoEmpresa": 17, "Solicitante": 1, "Movimentacao": 5,
                                 "Almoxarifado": 1, "ContaContabil": 3001, "CodigoPosto": 10,
                                 "CodigoEmpresaQuelora": 99}, "Materiais": []})");
  server_->Enqueue(Json(Body({Element("1523001", "ABC 1D23")})));
  RunWorker();
  auto requests = server_->Requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].QueryParam("empresa"), "99");
  EXPECT_EQ(requests[0].QueryParam("posto"), "10");
  EXPECT_EQ(Text(u"select log_erro_integracao from vorna_mat.quelora"),
            "Registro parametrizado no config: Filtro CodigoQuelora / Valor: 1");
  EXPECT_EQ(Text(u"select codigo_empresa from vorna_mat.quelora"), "17");
}

INSTANTIATE_TEST_SUITE_P(Drivers, WorkerRun,
                         testing::Values(dac::DriverKind::SQLite, dac::DriverKind::PostgreSQL), DriverLabel);

// A failing status write inside the requisition step's handler is reported
// and the run goes on (SQLite: a trigger refuses the write).
class WorkerRunSQLite : public WorkerRun {};
TEST_P(WorkerRunSQLite, AFailingStatusWriteInTheHandlerIsReported) {
  InsertPending(903, "903", "ABC 1D23", u"50012");
  Exec(u"delete from vorna_mat.sequencia where nome = 'vorna_mat.sq_id_requisicao'");
  Exec(u"create trigger vorna_mat.refuse_error before update on quelora when new.erro_integracao = 1 "
       u"begin select raise(abort, 'escrita recusada'); end");
  server_->Enqueue(Json(Body({})));
  RunWorker();
  // The step failed for the database: the run fails.
  ExpectLines({kRunIniciando, kRunDados, "Processando 0 registros...",
               "Erro: Não foi possível inserir a requisição. Erro ao criar a sequence: *",
               "Erro na thread: *escrita recusada*"},
              log_.Texts());
  EXPECT_EQ(Text(u"select status_integracao from vorna_mat.quelora where id_quelora = 903"), "Pendente");
  EXPECT_EQ(Count(u"select count(*) from vorna_mat.requisicao"), 0);
  EXPECT_EQ(Flag(), 0);
}
INSTANTIATE_TEST_SUITE_P(Drivers, WorkerRunSQLite, testing::Values(dac::DriverKind::SQLite), DriverLabel);

}  // namespace
}  // namespace worker_test
