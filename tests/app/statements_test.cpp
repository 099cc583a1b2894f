// Every statement of the catalogue, run through the data-access layer on the
// seeded schema (with the demo data) of each engine.
#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <variant>

#include "app/run/sql_dialect.h"
#include "app/run/statement_catalogue.h"
#include "platform/rtl/clock.h"
#include "platform/rtl/datetime.h"
#include "tests/app/app_db_fixture.h"

namespace {

using rtl::String;

struct Date {
  int y, m, d;
};
struct Null {};
using Value = std::variant<Null, int, double, const char16_t*, Date>;

struct Case {
  const char16_t* statement;
  std::vector<std::pair<const char16_t*, Value>> params;
  // Rows returned (a query), or -1 for a statement run for its effect.
  int rows;
  // For a query: the named column of every row, joined by ","; for a
  // statement: the rows it changed.
  const char16_t* column;
  std::string expected;
  // Optional read-back after the statement, with its expected column.
  const char16_t* check = nullptr;
  std::string checked = {};
};

void bindParam(dac::TQuery& q, const char16_t* name, const Value& v) {
  db::TParam* p = q.ParamByName(name);
  if (std::holds_alternative<Null>(v)) {
    p->Clear();
    p->SetBound(true);
  }
  if (auto* i = std::get_if<int>(&v)) p->SetAsInteger(*i);
  if (auto* f = std::get_if<double>(&v)) p->SetAsFloat(*f);
  if (auto* s = std::get_if<const char16_t*>(&v)) p->SetAsString(*s);
  if (auto* d = std::get_if<Date>(&v)) p->SetAsDate(rtl::EncodeDate(d->y, d->m, d->d));
}

std::string joined(dac::TQuery& q, const char16_t* column) {
  std::string out;
  for (q.First(); !q.Eof(); q.Next()) {
    if (!out.empty()) out += ",";
    db::TField* f = q.FieldByName(column);
    out += f->IsNull() ? std::string("null") : rtl::StringToUtf8(f->AsString());
  }
  return out;
}

// Staged rows around the period 21/06/2025 to 27/06/2025: the end day's
// first and last second are inside it, the next day's midnight is not.
const char16_t* kStaging[] = {
    u"(901, 'ST-1', 'Pendente', '2025-06-27 00:00:00', 0, null, null)",
    u"(902, 'ST-2', 'Pendente', '2025-06-27 10:00:00', 1, 55, 'falhou')",
    u"(903, 'ST-3', 'Finalizado', '2025-06-26 12:00:00', 0, null, null)",
    u"(904, 'ST-4', 'Pendente', '2025-06-11 08:00:00', 0, null, null)",
    u"(905, 'ST-5', 'Pendente', '2025-06-27 23:59:59', 0, null, null)",
    u"(906, 'ST-6', 'Pendente', '2025-06-28 00:00:00', 0, null, null)",
    u"(907, 'ST-7', 'Pendente', '2025-06-21 00:00:00', 0, null, null)",
};

const Case kCases[] = {
    // The login connection's set-up and the company selection.
    {u"SessionSetRole", {}, -1, nullptr, ""},
    {u"SessionSetNlsParameters", {}, -1, nullptr, ""},
    {u"SessionSetEmpresa", {{u"empresa", 17.0}}, -1, nullptr, ""},
    {u"qryConectaEmpresa", {{u"EMPRESA", u"17"}}, -1, nullptr, ""},
    // The grid: the whole end day is inside the period; 1 also lists errors;
    // 0 and NULL only the rows without.
    {u"qryQuelora", {{u"data_inicio", Date{2025, 6, 21}}, {u"data_fim", Date{2025, 6, 27}},
                     {u"erro_integracao", 1}},
     5, u"id_quelora", "907,905,903,902,901"},
    {u"qryQuelora", {{u"data_inicio", Date{2025, 6, 21}}, {u"data_fim", Date{2025, 6, 27}},
                     {u"erro_integracao", 0}},
     4, u"id_quelora", "907,905,903,901"},
    {u"qryQuelora", {{u"data_inicio", Date{2025, 6, 21}}, {u"data_fim", Date{2025, 6, 27}},
                     {u"erro_integracao", Null{}}},
     4, u"id_quelora", "907,905,903,901"},
    {u"qryQuelora", {{u"data_inicio", Date{2025, 6, 27}}, {u"data_fim", Date{2025, 6, 27}},
                     {u"erro_integracao", 0}},
     2, u"id_quelora", "905,901"},
    // The scheduler's statements.
    {u"qryConsultaIntegracao", {{u"id_integracao_recurso", 1}}, 1, u"ativo", "0"},
    {u"qryUpdateSemaforo", {{u"carga_inicial", 1}, {u"id_integracao_recurso", 1}}, -1, nullptr,
     "1", u"select carga_inicial from vorna_mat.integracao_recurso where id_integracao_recurso = 1",
     "1"},
    // The flag is already taken: the guarded update changes nothing.
    {u"qryUpdateSemaforo", {{u"carga_inicial", 1}, {u"id_integracao_recurso", 1}}, -1, nullptr,
     "0"},
    {u"qryUpdateSemaforo", {{u"carga_inicial", 0}, {u"id_integracao_recurso", 1}}, -1, nullptr,
     "1"},
    {u"qryBuscaCNPJ", {}, 1, u"id_integracao_recurso", "1"},
    // The worker's statements.
    {u"qryUser", {}, 1, u"data", ""},
    {u"qryUpdateSemaforoThread",
     {{u"carga_inicial", 0}, {u"ponteiro_integracao", u"27/06/2025 08:00:00"},
      {u"id_integracao_recurso", 1}},
     -1, nullptr, "1",
     u"select ponteiro_integracao from vorna_mat.integracao_recurso where id_integracao_recurso = 1",
     "27/06/2025 08:00:00"},
    // The request's window, kept apart from the next-run time: none at first.
    {u"qryInicioConsulta", {{u"id_integracao_recurso", u"1"}}, 1, u"inicio_consulta", "null"},
    {u"qryUpdateInicioConsulta", {{u"inicio_consulta", u"20/06/2025 14:00:00"}, {u"id_integracao_recurso", u"1"}},
     -1, nullptr, "1"},
    {u"qryInicioConsulta", {{u"id_integracao_recurso", u"1"}}, 1, u"inicio_consulta", "20/06/2025 14:00:00"},
    // The next run plus the frequency (60 minutes), the API's address with the
    // resource's path.
    {u"qryBuscaCNPJThread", {}, 1, u"proxima_consulta", "27/06/2025 09:00:00"},
    {u"qryBuscaCNPJThread", {}, 1, u"url", "http://127.0.0.1:18080/api/abastecimentos"},
    {u"qryInsertQuelora", {}, 0, u"id_quelora", ""},
    {u"qryInsertRequisicao", {}, 0, u"id_requisicao", ""},
    {u"qryBuscaQuelora", {{u"status_integracao", u"Pendente"}}, 5, u"id_quelora",
     "901,904,905,906,907"},
    // A pending row without error is claimed once; a claimed row, or one
    // with an error, is not claimed again.
    {u"qryReservaQuelora", {{u"id_quelora", u"901"}}, -1, nullptr, "1",
     u"select status_integracao from vorna_mat.quelora where id_quelora = 901", "Requisição"},
    {u"qryReservaQuelora", {{u"id_quelora", u"901"}}, -1, nullptr, "0"},
    {u"qryReservaQuelora", {{u"id_quelora", u"902"}}, -1, nullptr, "0"},
    // "0" keeps the old value, another number writes it; '' is stored as NULL.
    {u"qryUpdateStatusIntegracao",
     {{u"status_integracao", u"Requisição"}, {u"id_requisicao", u"0"}, {u"ano_requisicao", u"0"},
      {u"numero_requisicao", u"0"}, {u"erro_integracao", u"0"}, {u"log_erro_integracao", u""},
      {u"id_quelora", u"902"}},
     -1, nullptr, "1",
     u"select erro_integracao || '/' || id_requisicao || '/' || coalesce(log_erro_integracao, 'null')"
     u" from vorna_mat.quelora where id_quelora = 902",
     "1/55/null"},
    {u"qryUpdateStatusIntegracao",
     {{u"status_integracao", u"Pendente"}, {u"id_requisicao", u"77"}, {u"ano_requisicao", u"2025"},
      {u"numero_requisicao", u"12"}, {u"erro_integracao", u"1"},
      {u"log_erro_integracao", u"Material parametrizado não existe no Mardova"},
      {u"id_quelora", u"901"}},
     -1, nullptr, "1",
     u"select erro_integracao || '/' || id_requisicao || '/' || ano_requisicao || '/' ||"
     u" numero_requisicao || '/' || log_erro_integracao from vorna_mat.quelora where id_quelora = 901",
     "1/77/2025/12/Material parametrizado não existe no Mardova"},
    {u"qryInsertItemRequisicao",
     {{u"numero_requisicao", 12}, {u"ano_requisicao", 2025}, {u"codigo_material", 50012}}, 0,
     u"codigo_material", ""},
    // Plates match with blanks removed on both sides; inactive vehicles and
    // an empty plate match nothing.
    {u"qryBuscaBem", {{u"numero_placa", u"ABC1D23"}}, 1, u"codigo_bem", "7001"},
    {u"qryBuscaBem", {{u"numero_placa", u"ABC 1D23"}}, 1, u"descricao", "CAMINHAO BAU 01"},
    {u"qryBuscaBem", {{u"numero_placa", u"XYZ9876"}}, 0, u"codigo_bem", ""},
    {u"qryBuscaBem", {{u"numero_placa", u""}}, 0, u"codigo_bem", ""},
    // The type of the latest blocking entry, NULL without one, no row for an
    // unknown material.
    {u"qryVerificaMaterial1", {{u"codigo_material", u"50012"}}, 1, u"tipo", "null"},
    {u"qryVerificaMaterial1", {{u"codigo_material", u"50013"}}, 1, u"tipo", "B"},
    {u"qryVerificaMaterial1", {{u"codigo_material", u"50014"}}, 1, u"tipo", "D"},
    {u"qryVerificaMaterial1", {{u"codigo_material", u"99999"}}, 0, u"tipo", ""},
    {u"qryVerificaOrderId", {{u"order_id", u"ST-3"}}, 1, u"order_id", "ST-3"},
    {u"qryVerificaOrderId", {{u"order_id", u""}}, 0, u"order_id", ""},
    {u"qryExecute", {{u"seq", u"vorna_mat.sq_id_requisicao"}}, 1, u"id", ""},
};

class Statements : public app_test::AppDbTest {};

TEST_P(Statements, EveryCatalogueStatementRunsOnTheSeededSchema) {
  dac::TConnection& conn = Connect();
  conn.ExecSQL(u"update vorna_mat.integracao_recurso set carga_inicial = 0 where id_integracao_recurso = 1");
  for (const char16_t* row : kStaging)
    conn.ExecSQL(String(u"insert into vorna_mat.quelora (id_quelora, order_id, status_integracao, "
                        u"data_inicio, erro_integracao, id_requisicao, log_erro_integracao) values ") +
                 row);

  std::set<String> covered;
  for (const Case& c : kCases) {
    SCOPED_TRACE(rtl::StringToUtf8(c.statement));
    covered.insert(c.statement);
    integrador::TCatalogueQuery q(nullptr, c.statement);
    q.SetConnection(&conn);
    for (const auto& [name, value] : c.params) bindParam(q, name, value);
    try {
      if (c.rows < 0) {
        q.ExecSQL();
        if (!c.expected.empty()) {
          EXPECT_EQ(std::to_string(q.RowsAffected()), c.expected);
        }
      } else {
        q.Open();
        EXPECT_EQ(q.RecordCount(), c.rows);
        std::string got = joined(q, c.column);
        if (c.rows == 0 || !c.expected.empty()) {
          EXPECT_EQ(got, c.expected);
        }
      }
      if (c.check) {
        EXPECT_EQ(app_test::Column(conn, c.check), c.checked);
      }
    } catch (const rtl::Exception& e) {
      ADD_FAILURE() << rtl::StringToUtf8(e.Message());
    }
  }
  for (const integrador::CatalogueStatement& st : integrador::CatalogueStatements())
    EXPECT_TRUE(covered.count(st.name)) << "no case for " << rtl::StringToUtf8(st.name);
}

TEST_P(Statements, SequenceDrawsFollowEachOtherWithTheNameBound) {
  dac::TConnection& conn = Connect();
  integrador::TCatalogueQuery q(nullptr, u"qryExecute");
  q.SetConnection(&conn);
  q.ParamByName(u"seq")->SetAsString(u"vorna_mat.sq_numero_requisicao");
  q.Open();
  const rtl::Int64 first = q.FieldByName(u"id")->AsLargeInt();
  q.Close();
  q.Open();
  EXPECT_EQ(q.FieldByName(u"id")->AsLargeInt(), first + 1);
  q.Close();
  // A name is a value, never SQL: a hostile one names no sequence.
  q.ParamByName(u"seq")->SetAsString(u"vorna_mat.sq_quelora; drop table vorna_mat.quelora");
  try {
    q.Open();
    EXPECT_EQ(q.RecordCount(), 0);  // the embedded emulation finds no such row
  } catch (const db::EDatabaseError&) {
    EXPECT_TRUE(pg());  // PostgreSQL: no relation of that name
  }
  EXPECT_EQ(app_test::Column(conn, u"select count(*) from vorna_mat.quelora where id_quelora < 0"),
            "0");
}

// The session user is the login's; on the embedded engine the server clock is
// the program's.
TEST_P(Statements, UserIsTheLoginsAndTheClockTheServers) {
  rtl::TestClockScope clock;
  dac::TConnection& conn = Connect();
  integrador::TCatalogueQuery q(nullptr, u"qryUser");
  q.SetConnection(&conn);
  q.Open();
  const char* pgUser = std::getenv("PGUSER");
  EXPECT_EQ(rtl::StringToUtf8(q.FieldByName(u"user")->AsString()),
            pg() ? std::string(pgUser ? pgUser : "") : std::string("tester"));
  if (!pg()) {
    EXPECT_EQ(q.FieldByName(u"data")->AsDateTime(), rtl::Now());
  }
  EXPECT_FALSE(q.FieldByName(u"data")->IsNull());
}

INSTANTIATE_FOR_DRIVERS(Statements);

}  // namespace
