#pragma once
// A whole integration run against a real database (an embedded one in the
// test's folder, or the process's own PostgreSQL database) and the in-process
// API stand-in, with the test clock in charge of every pause.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/run/config.h"
#include "app/run/log_lines.h"
#include "app/run/untThreadClass.h"
#include "platform/dac/dac.h"
#include "platform/db/db.h"
#include "platform/rtl/rtl.h"
#include "tests/support/pg_test_db.h"
#include "tests/support/test_support.h"
#include "tools/api_standin/standin.h"

namespace worker_test {

using rtl::String;

inline std::string U8(const String& s) { return rtl::StringToUtf8(s); }
inline String U16(const std::string& s) { return rtl::Utf8ToString(s); }

inline const char kDemoConfig[] = R"({
  "Parametros": {"CodigoEmpresa": 17, "Solicitante": 1234, "Movimentacao": 5, "Almoxarifado": 1,
                 "ContaContabil": 3001, "CodigoPosto": 10, "CodigoEmpresaQuelora": 99},
  "Materiais": [
    {"CodigoQuelora": 1, "DescricaoQuelora": "DIESEL S10", "CodigoMardova": 50012},
    {"CodigoQuelora": 2, "Descricao": "GASOLINA COMUM", "CodigoMardova": 50013},
    {"CodigoQuelora": 3, "DescricaoQuelora": "ETANOL", "CodigoMardova": 50014}
  ]
})";

// One element of "abastecimentos".
inline std::string Element(const std::string& id, const std::string& placa, const std::string& fuel = "1",
                           const std::string& volume = "45.5") {
  return "{\"id\":" + id +
         ",\"data_inicio\":\"27/06/2025\",\"hora_inicio\":\"08:15:00\",\"data_fim\":\"27/06/2025\","
         "\"hora_fim\":\"08:20:10\",\"volume\":" + volume +
         ",\"horimetro\":\"\",\"odometro\":123456.7,\"veiculo\":{\"placa\":\"" + placa +
         "\"},\"combustivel\":{\"codigo\":" + fuel + "}}";
}

inline std::string Body(const std::vector<std::string>& elements, const std::string& codigo = "\"001\"") {
  std::string body = "{\"status\":{\"codigo\":" + codigo + ",\"mensagem\":\"OK\"},\"abastecimentos\":[";
  for (std::size_t i = 0; i < elements.size(); ++i) body += (i ? "," : "") + elements[i];
  return body + "]}";
}

inline api_standin::Response Json(std::string body, int status = 200, std::string reason = "OK") {
  api_standin::Response r;
  r.status = status;
  r.reason = std::move(reason);
  r.headers.emplace_back("Content-Type", "application/json; charset=utf-8");
  r.body = std::move(body);
  return r;
}

// The log pane of the test: keeps every line; a hook sees each as it comes.
class TestLog : public integrador::ILogLines {
 public:
  class Lines_ : public rtl::TStringList {
   public:
    int Add(const String& s) override {
      int i = rtl::TStringList::Add(s);
      if (onLine) onLine(s);
      return i;
    }
    std::function<void(const String&)> onLine;
  };
  rtl::TStrings& Lines() override { return lines; }
  // The texts without their "hh:nn:ss - " prefix.
  std::vector<std::string> Texts() const {
    std::vector<std::string> out;
    for (int i = 0; i < lines.Count(); ++i) {
      std::string line = U8(lines[i]);
      out.push_back(line.size() >= 11 ? line.substr(11) : line);
    }
    return out;
  }
  std::string All() const { return U8(lines.Text()); }
  Lines_ lines;
};

// '*' matches any run of characters.
inline bool Glob(const std::string& pattern, const std::string& text) {
  std::size_t p = 0, t = 0, star = std::string::npos, mark = 0;
  while (t < text.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      star = p++;
      mark = t;
    } else if (p < pattern.size() && pattern[p] == text[t]) {
      ++p;
      ++t;
    } else if (star != std::string::npos) {
      p = star + 1;
      t = ++mark;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

inline void ExpectLines(const std::vector<std::string>& expected, const std::vector<std::string>& actual) {
  bool same = expected.size() == actual.size();
  for (std::size_t i = 0; same && i < expected.size(); ++i) same = Glob(expected[i], actual[i]);
  if (!same) {
    std::string e, a;
    for (auto& s : expected) e += "  " + s + "\n";
    for (auto& s : actual) a += "  " + s + "\n";
    ADD_FAILURE() << "expected lines:\n" << e << "actual lines:\n" << a;
  }
}

inline std::string DriverLabel(const testing::TestParamInfo<dac::DriverKind>& info) {
  return info.param == dac::DriverKind::SQLite ? "sqlite" : "postgres";
}

class WorkerRun : public testing::TestWithParam<dac::DriverKind> {
 protected:
  // 27/06/2025 14:03:27 on the test clock.
  static rtl::Int64 StartMs() {
    return rtl::DateTimeToUnixMs(rtl::EncodeDateTime(2025, 6, 27, 14, 3, 27, 0), true);
  }

  void SetUp() override {
    if (pg()) REQUIRE_PG_TEST_DATABASE();
    setenv("TZ", "UTC", 1);
    tzset();
    clock_ = std::make_unique<rtl::TestClockScope>(StartMs());
    testing_support::WriteFile(home_ / "config.json", kDemoConfig);
    std::string ini = "[TESTE]\n";
    if (pg())
      ini += "Driver=postgresql\nDbName=" + testing_support::PgTestDatabaseName() + "\n";
    else
      ini += "Driver=sqlite\nDemo=1\nDirectory=" + (home_ / "db").string() + "\n";
    testing_support::WriteFile(home_ / "databases.ini", ini);
    integrador::SetHomeFolder(U16(home_.path().string()));
    dac::SetDatabasesFile(U16((home_ / "databases.ini").string()));
    params_.Add(u"DATABASE=TESTE");
    params_.Add(pg() ? u"USER_NAME=" : u"USER_NAME=tester");
    params_.Add(u"DEFAULT COMPANY=17");

    admin_ = std::make_unique<dac::TConnection>(nullptr);
    admin_->SetParams(params_);
    admin_->Open();
    Archive();
    Exec(u"update vorna_mat.integracao_api set nome = 'Quelora' where id_integracao_api = 1");
    server_ = std::make_unique<api_standin::Server>();
    SetResource(server_->BaseUrl(), token_, "20/06/2025 14:00:00", 1);
    integrador::TThreadXML::SetHttpLimitsForTests(3000, 0);
  }

  void TearDown() override {
    integrador::TThreadXML::SetHttpLimitsForTests(0, 0);
    integrador::SetMainWindow(nullptr);
    if (server_) server_->Stop();
  }

  bool pg() const { return GetParam() == dac::DriverKind::PostgreSQL; }

  void SetResource(const std::string& url, const std::string& token, const std::string& ponteiro, int flag) {
    admin_->ExecSQL(u"update vorna_mat.integracao_api set url = :u, token = :t where nome = 'Quelora'",
                    {rtl::Variant(U16(url)), rtl::Variant(U16(token))});
    // The window's start as a database without a good run yet has it.
    admin_->ExecSQL(u"update vorna_mat.integracao_recurso set stored_procedure = 'api/abastecimentos', "
                    u"ponteiro_integracao = :p, carga_inicial = :c, inicio_consulta = NULL",
                    {rtl::Variant(U16(ponteiro)), rtl::Variant(flag)});
  }

  // The process's PostgreSQL database serves every test of the process, and
  // the ERP's grants allow no DELETE: rows of earlier runs are put aside by
  // UPDATE, and every query of the test sees only the others.
  void Archive() {
    Exec(u"update vorna_mat.quelora set status_integracao = 'Arquivado', order_id = 'arq-' || id_quelora "
         u"where status_integracao <> 'Arquivado'");
    Exec(u"update vorna_mat.requisicao set documento = 'arquivado' where documento is null or documento <> 'arquivado'");
  }
  static String Live(String sql) {
    auto swap = [&](const String& from, const String& to) {
      for (std::size_t at = sql.find(from); at != String::npos; at = sql.find(from, at + to.size()))
        sql.replace(at, from.size(), to);
    };
    swap(u"vorna_mat.item_requisicao", u"@1@");
    swap(u"vorna_mat.requisicao", u"@2@");
    swap(u"vorna_mat.quelora", u"@3@");
    swap(u"@1@", u"(select i.* from vorna_mat.item_requisicao i join vorna_mat.requisicao r on "
                 u"r.ano_requisicao = i.ano_requisicao and r.numero_requisicao = i.numero_requisicao "
                 u"where r.documento <> 'arquivado') live_i");
    swap(u"@2@", u"(select * from vorna_mat.requisicao where documento <> 'arquivado') live_r");
    swap(u"@3@", u"(select * from vorna_mat.quelora where status_integracao <> 'Arquivado') live_q");
    return sql;
  }

  rtl::Int64 Exec(const String& sql, const std::vector<rtl::Variant>& params = {}) {
    return admin_->ExecSQL(sql, params);
  }
  std::unique_ptr<dac::TQuery> Select(const String& sql) {
    auto q = std::make_unique<dac::TQuery>(nullptr);
    q->SetConnection(admin_.get());
    q->SQL().SetText(Live(sql));
    q->Open();
    return q;
  }
  std::string Text(const String& sql) {
    auto q = Select(sql);
    return q->IsEmpty() ? std::string("<none>") : U8(q->Fields()->Fields(0)->AsString());
  }
  int Count(const String& sql) { return std::stoi(Text(sql)); }
  int Flag() { return Count(u"select carga_inicial from vorna_mat.integracao_recurso"); }
  std::string Ponteiro() { return Text(u"select ponteiro_integracao from vorna_mat.integracao_recurso"); }
  // The database server's now plus one hour, as the worker writes it.
  std::string ServerNowPlusHour() {
    return Text(pg() ? u"select to_char(localtimestamp + interval '1 hour', 'DD/MM/YYYY HH24:MI:SS')"
                     : u"select strftime('%d/%m/%Y %H:%M:%S', vorna_sysdate(), '+1 hour')");
  }
  // A staged row of the test's own, waiting for the requisition step.
  void InsertPending(int id, const std::string& orderId, const std::string& placa, const char16_t* material) {
    admin_->ExecSQL(u"insert into vorna_mat.quelora (id_quelora, order_id, status_integracao, placa, "
                    u"codigo_material, quantidade, erro_integracao) values (:i, :o, 'Pendente', :p, :m, 10, 0)",
                    {rtl::Variant(id), rtl::Variant(U16(orderId)), rtl::Variant(U16(placa)),
                     material ? rtl::Variant(String(material)) : rtl::Variant()});
  }

  // Starts a worker as the scheduler does and serves its hand-overs until it
  // has gone, ending each pause between attempts by moving the test clock.
  void RunWorker() {
    auto* params = new integrador::TThreadParams();
    params->ConnDefParams = &params_;
    params->RichEdit = &log_;
    rtl::NewThread<integrador::TThreadXML>(params);
    for (int i = 0; i < 20000 && integrador::TThreadXML::LiveCount() > 0; ++i) {
      rtl::RunUntil([] { return integrador::TThreadXML::LiveCount() == 0 || rtl::ClockWaiters() > 0; }, 10);
      if (rtl::ClockWaiters() > 0 && integrador::TThreadXML::LiveCount() > 0) {
        clock_->Advance(integrador::TThreadXML::kRetryPauseMs);
        ++pauses_;
        while (rtl::ClockWaiters() > 0) rtl::RunUntil([] { return rtl::ClockWaiters() == 0; }, 10);
      }
    }
    ASSERT_EQ(integrador::TThreadXML::LiveCount(), 0) << "the worker did not end";
  }

  testing_support::TempDir home_;
  std::unique_ptr<rtl::TestClockScope> clock_;
  rtl::TStringList params_;
  std::unique_ptr<dac::TConnection> admin_;
  std::unique_ptr<api_standin::Server> server_;
  TestLog log_;
  int pauses_ = 0;
  std::string token_ = "s3cr3t-T0K3N&x=1";
};

}  // namespace worker_test
