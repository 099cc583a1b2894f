// Queries, transactions and cached updates, run once per driver.
#include <gtest/gtest.h>

#include "platform/db/db.h"
#include "platform/rtl/datetime.h"
#include "platform/rtl/formatsettings.h"
#include "tests/dac/driver_fixture.h"

namespace {

using dac_test::DriverTest;
using rtl::String;

std::string utf8(const String& s) { return rtl::StringToUtf8(s); }

class QueryTest : public DriverTest {
 protected:
  // id, code (unique), name, flag with a default.
  void CreateItems(dac::TConnection& conn) {
    CreateTable(conn, u"itens",
                u"id INTEGER PRIMARY KEY, codigo VARCHAR(10) NOT NULL UNIQUE, nome VARCHAR(40), "
                u"flag INTEGER NOT NULL DEFAULT 7");
  }
  std::vector<String> Codes(dac::TConnection& conn) {
    auto q = Query(conn, u"select codigo from itens order by id");
    q->Open();
    std::vector<String> out;
    for (; !q->Eof(); q->Next()) out.push_back(q->FieldByName(u"CODIGO")->AsString());
    return out;
  }
  std::unique_ptr<dac::TQuery> InsertCursor(dac::TConnection& conn) {
    auto q = Query(conn, u"select * from itens where id = 0");
    q->SetCachedUpdates(true);
    q->SetUpdateTableName(u"itens");
    q->Open();
    return q;
  }
  void AppendItem(dac::TQuery& q, int id, const String& code) {
    q.Append();
    q.FieldByName(u"id")->SetAsInteger(id);
    q.FieldByName(u"codigo")->SetAsString(code);
    q.Post();
  }
  using DriverTest::Query;
};

TEST_P(QueryTest, FieldTypesFollowTheDeclaredColumnTypes) {
  dac::TConnection& conn = Connect();
  CreateTable(conn, u"tipos",
              pg() ? u"i integer, n0 numeric(10,0), n2 numeric(12,2), r double precision, "
                     u"ts timestamp(0), d date, s varchar(20), t text"
                   : u"i INTEGER, n0 NUMERIC(10,0), n2 NUMERIC(12,2), r REAL, ts TIMESTAMP, "
                     u"d DATE, s VARCHAR(20), t TEXT");
  auto ins = Query(conn, u"insert into tipos values (:i, :n0, :n2, :r, :ts, :d, :s, :t)");
  ins->ParamByName(u"i")->SetAsInteger(5);
  ins->ParamByName(u"n0")->SetAsLargeInt(9000000000LL);
  ins->ParamByName(u"n2")->SetAsFloat(12.34);
  ins->ParamByName(u"r")->SetAsFloat(0.5);
  rtl::TDateTime stamp = rtl::EncodeDateTime(2025, 6, 27, 14, 30, 15, 0);
  ins->ParamByName(u"ts")->SetAsDateTime(stamp);
  ins->ParamByName(u"d")->SetAsDate(rtl::EncodeDate(2025, 6, 27));
  ins->ParamByName(u"s")->SetAsString(u"placa");
  ins->ParamByName(u"t")->SetAsString(u"json");
  ins->ExecSQL();
  EXPECT_EQ(ins->RowsAffected(), 1);

  auto q = Query(conn, u"select i, n0, n2, r, ts, d, s, t, count(*) over () as c from tipos");
  q->Open();
  struct Expect {
    const char16_t* field;
    db::TFieldType sqlite;
    db::TFieldType postgres;
  };
  const Expect expected[] = {
      {u"i", db::ftLargeint, db::ftInteger},     {u"n0", db::ftLargeint, db::ftLargeint},
      {u"n2", db::ftFloat, db::ftFloat},         {u"r", db::ftFloat, db::ftFloat},
      {u"ts", db::ftDateTime, db::ftDateTime},   {u"d", db::ftDate, db::ftDate},
      {u"s", db::ftWideString, db::ftWideString}, {u"t", db::ftWideString, db::ftWideMemo},
      {u"c", db::ftLargeint, db::ftLargeint},
  };
  for (const Expect& e : expected) {
    SCOPED_TRACE(utf8(e.field));
    EXPECT_EQ(q->FieldByName(e.field)->DataType(), pg() ? e.postgres : e.sqlite);
  }
  EXPECT_EQ(q->FieldByName(u"s")->Size(), 20);
  EXPECT_EQ(q->FieldByName(u"i")->AsInteger(), 5);
  EXPECT_EQ(q->FieldByName(u"n0")->AsLargeInt(), 9000000000LL);
  EXPECT_DOUBLE_EQ(q->FieldByName(u"n2")->AsFloat(), 12.34);
  EXPECT_DOUBLE_EQ(q->FieldByName(u"ts")->AsDateTime(), stamp);
  EXPECT_DOUBLE_EQ(q->FieldByName(u"d")->AsDateTime(), rtl::EncodeDate(2025, 6, 27));
  EXPECT_EQ(q->FieldByName(u"t")->AsString(), u"json");
  // Field names ignore case.
  EXPECT_EQ(q->FieldByName(u"S")->AsString(), u"placa");
}

TEST_P(QueryTest, OpenFetchesEveryRowAndLeavesNoStatementOpen) {
  dac::TConnection& main = Connect();
  dac::TConnection& other = Connect();
  CreateItems(main);
  for (int i = 1; i <= 3; ++i)
    main.ExecSQL(u"insert into itens (id, codigo) values (:id, :c)", {i, String(u"C") + rtl::IntToStr(i)});
  auto q = Query(main, u"select * from itens order by id");
  q->Open();
  EXPECT_EQ(q->RecordCount(), 3);
  // Another connection writes while the query is open; an unfinished read on
  // `main` would pin an old snapshot and make its next write fail.
  EXPECT_EQ(other.ExecSQL(u"update itens set flag = 1 where id = 1"), 1);
  EXPECT_EQ(main.ExecSQL(u"update itens set flag = 2 where id = 2"), 1);
  EXPECT_EQ(q->RecordCount(), 3);
}

TEST_P(QueryTest, NestedStartsAreSavepoints) {
  dac::TConnection& conn = Connect();
  CreateItems(conn);
  auto add = [&](int id) {
    conn.ExecSQL(u"insert into itens (id, codigo) values (:id, :c)", {id, String(u"C") + rtl::IntToStr(id)});
  };
  conn.StartTransaction();
  add(1);
  conn.StartTransaction();
  EXPECT_EQ(conn.TransactionLevel(), 2);
  add(2);
  conn.Rollback();
  EXPECT_TRUE(conn.InTransaction());
  add(3);
  conn.StartTransaction();
  add(4);
  conn.Commit();
  conn.Commit();
  EXPECT_FALSE(conn.InTransaction());
  EXPECT_EQ(Codes(conn), (std::vector<String>{u"C1", u"C3", u"C4"}));

  conn.StartTransaction();
  add(5);
  conn.Rollback();
  EXPECT_EQ(Codes(conn), (std::vector<String>{u"C1", u"C3", u"C4"}));
  // Nothing to end: no error.
  conn.Commit();
  conn.Rollback();
}

TEST_P(QueryTest, RefusedStatementInsideASavepointLeavesTheTransactionUsable) {
  dac::TConnection& conn = Connect();
  CreateItems(conn);
  conn.StartTransaction();
  conn.ExecSQL(u"insert into itens (id, codigo) values (1, 'A')");
  conn.StartTransaction();
  EXPECT_THROW(conn.ExecSQL(u"insert into itens (id, codigo) values (2, 'A')"), db::EDatabaseError);
  conn.Rollback();
  conn.ExecSQL(u"insert into itens (id, codigo) values (3, 'B')");
  conn.Commit();
  EXPECT_EQ(Codes(conn), (std::vector<String>{u"A", u"B"}));
}

TEST_P(QueryTest, CachedInsertNamesOnlyAssignedFields) {
  dac::TConnection& conn = Connect();
  CreateItems(conn);
  auto q = InsertCursor(conn);
  AppendItem(*q, 1, u"A");
  EXPECT_TRUE(q->UpdatesPending());
  EXPECT_EQ(Codes(conn).size(), 0u);  // nothing written before the apply
  EXPECT_EQ(q->ApplyUpdates(-1), 0);
  q->CommitUpdates();
  EXPECT_FALSE(q->UpdatesPending());
  auto check = Query(conn, u"select flag, nome from itens where id = 1");
  check->Open();
  EXPECT_EQ(check->FieldByName(u"flag")->AsInteger(), 7);  // the column default
  EXPECT_TRUE(check->FieldByName(u"nome")->IsNull());
}

TEST_P(QueryTest, CachedEditAndDeleteWriteTheirRows) {
  dac::TConnection& conn = Connect();
  CreateItems(conn);
  conn.ExecSQL(u"insert into itens (id, codigo, nome) values (1, 'A', 'um'), (2, 'B', 'dois')");
  auto q = Query(conn, u"select * from itens order by id");
  q->SetCachedUpdates(true);
  q->SetUpdateTableName(u"itens");
  q->SetKeyFields(u"id");
  q->Open();
  q->Edit();
  q->FieldByName(u"nome")->SetAsString(u"um'1");
  q->Post();
  q->Next();
  q->Delete();
  EXPECT_EQ(q->ApplyUpdates(), 0);
  auto check = Query(conn, u"select id, nome from itens");
  check->Open();
  ASSERT_EQ(check->RecordCount(), 1);
  EXPECT_EQ(check->FieldByName(u"nome")->AsString(), u"um'1");
}

TEST_P(QueryTest, RefusedCachedRowIsSkippedAndTheTransactionGoesOn) {
  dac::TConnection& conn = Connect();
  CreateItems(conn);
  conn.ExecSQL(u"insert into itens (id, codigo) values (10, 'B')");
  auto q = InsertCursor(conn);
  q->SetName(u"qryInsert");
  AppendItem(*q, 1, u"A");
  AppendItem(*q, 2, u"B");  // refused: the code exists
  AppendItem(*q, 3, u"C");
  std::vector<String> messages;
  std::vector<dac::TUpdateRequest> requests;
  q->SetOnUpdateError(dac::TUpdateErrorEvent::fromClosure(
      &messages, [&](db::TDataSet*, db::EDatabaseError& e, const db::TMemRecord*,
                     dac::TUpdateRequest request, dac::TUpdateAction& action) {
        messages.push_back(e.Message());
        requests.push_back(request);
        action = dac::eaSkip;
      }));
  conn.StartTransaction();
  EXPECT_EQ(q->ApplyUpdates(-1), 1);
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(requests[0], dac::arInsert);
  EXPECT_NE(utf8(rtl::AnsiLowerCase(messages[0])).find("unique"), std::string::npos) << utf8(messages[0]);
  // The transaction still takes statements.
  conn.ExecSQL(u"insert into itens (id, codigo) values (4, 'D')");
  conn.Commit();
  EXPECT_EQ(Codes(conn), (std::vector<String>{u"A", u"C", u"D", u"B"}));
  // The refused row stays in the cache until it is cancelled.
  EXPECT_TRUE(q->UpdatesPending());
  q->CancelUpdates();
  EXPECT_FALSE(q->UpdatesPending());
}

TEST_P(QueryTest, FailingRowStopsTheApplyAtTheLimit) {
  dac::TConnection& conn = Connect();
  CreateItems(conn);
  conn.ExecSQL(u"insert into itens (id, codigo) values (10, 'B')");
  auto q = InsertCursor(conn);
  AppendItem(*q, 1, u"A");
  AppendItem(*q, 2, u"B");
  AppendItem(*q, 3, u"C");
  EXPECT_EQ(q->ApplyUpdates(0), 1);
  // A was written, B refused, C never tried.
  EXPECT_EQ(Codes(conn), (std::vector<String>{u"A", u"B"}));
  EXPECT_EQ(q->ChangeCount(), 2);
}

// A long run of cached inserts with refused rows inside it (on PostgreSQL the
// run goes to the server without waiting row by row): every answer of the
// handler keeps the rows before and after a refused one, and each refused
// row is reported once per attempt.
TEST_P(QueryTest, RefusedRowsInsideALongRunOfInsertsFollowTheHandler) {
  struct Case {
    const char* name;
    dac::TUpdateAction answer;
    int maxErrors;
    int expectedErrors;
    int written;     // rows of the 600 in the table afterwards
    int pending;     // rows left in the cache
    int reports;     // calls of the handler
  };
  const Case cases[] = {
      {"skip", dac::eaSkip, -1, 3, 597, 3, 3},
      {"fail without limit", dac::eaFail, -1, 3, 597, 3, 3},
      // Stops at the second refusal (row 300): rows after it stay cached.
      {"fail with limit", dac::eaFail, 1, 2, 298, 302, 2},
      {"applied", dac::eaApplied, -1, 0, 597, 0, 3},
      // The handler clears the way and the row is written on the retry.
      {"retry", dac::eaRetry, -1, 0, 600, 0, 3},
  };
  // Rows 1..600; the codes of rows 1, 300 and 599 are taken already.
  const int refused[] = {1, 300, 599};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    dac::TConnection& conn = Connect();
    conn.ExecSQL(u"DROP TABLE IF EXISTS itens");
    CreateItems(conn);
    for (int id : refused)
      conn.ExecSQL(u"insert into itens (id, codigo) values (:id, :codigo)",
                   {rtl::Variant(10000 + id), rtl::Variant(u"C" + rtl::IntToStr(id))});
    auto q = InsertCursor(conn);
    for (int id = 1; id <= 600; ++id) {
      q->Append();
      q->FieldByName(u"id")->SetAsInteger(id);
      q->FieldByName(u"codigo")->SetAsString(u"C" + rtl::IntToStr(id));
      // Every other row leaves nome empty: two INSERT shapes in one run.
      if (id % 2) q->FieldByName(u"nome")->SetAsString(u"n" + rtl::IntToStr(id));
      q->Post();
    }
    std::vector<int> reported;
    q->SetOnUpdateError(dac::TUpdateErrorEvent::fromClosure(
        &reported, [&](db::TDataSet*, db::EDatabaseError&, const db::TMemRecord* row,
                       dac::TUpdateRequest, dac::TUpdateAction& action) {
          int id = static_cast<int>(row->Values[0].AsInt64());
          reported.push_back(id);
          if (c.answer == dac::eaRetry)
            conn.ExecSQL(u"delete from itens where id = :id", {rtl::Variant(10000 + id)});
          action = c.answer;
        }));
    EXPECT_EQ(q->ApplyUpdates(c.maxErrors), c.expectedErrors);
    std::vector<int> expectedReports(refused, refused + c.reports);
    EXPECT_EQ(reported, expectedReports);
    auto count = Query(conn, u"select count(*) as n, count(nome) as named from itens where id <= 600");
    count->Open();
    EXPECT_EQ(count->FieldByName(u"n")->AsInteger(), c.written);
    EXPECT_EQ(q->ChangeCount(), c.pending);
    if (c.written == 600) {
      EXPECT_EQ(count->FieldByName(u"named")->AsInteger(), 300);
    }
    // Nothing of a refused row was written, and the rows around it were.
    auto around = Query(conn, u"select id from itens where id in (1, 2, 299, 300, 301) order by id");
    around->Open();
    std::vector<int> ids;
    for (; !around->Eof(); around->Next()) ids.push_back(around->FieldByName(u"id")->AsInteger());
    std::vector<int> expectedIds =
        c.answer == dac::eaRetry       ? std::vector<int>{1, 2, 299, 300, 301}
        : c.maxErrors == 1             ? std::vector<int>{2, 299}
                                       : std::vector<int>{2, 299, 301};
    EXPECT_EQ(ids, expectedIds);
    q.reset();
    conn.Close();
  }
}

TEST_P(QueryTest, EmptyTextIsNull) {
  dac::TConnection& conn = Connect();
  CreateItems(conn);
  auto ins = Query(conn, u"insert into itens (id, codigo, nome) values (:id, :codigo, :nome)");
  ins->ParamByName(u"id")->SetAsInteger(1);
  ins->ParamByName(u"codigo")->SetAsString(u"A");
  ins->ParamByName(u"nome")->SetAsString(u"");
  ins->ExecSQL();
  auto q = InsertCursor(conn);
  q->Append();
  q->FieldByName(u"id")->SetAsInteger(2);
  q->FieldByName(u"codigo")->SetAsString(u"B");
  q->FieldByName(u"nome")->SetAsString(u"");
  q->Post();
  ASSERT_EQ(q->ApplyUpdates(), 0);
  auto nulls = Query(conn, u"select count(*) as n from itens where nome is null");
  nulls->Open();
  EXPECT_EQ(nulls->FieldByName(u"n")->AsInteger(), 2);
  // An empty text matches nothing, as NULL does.
  auto find = Query(conn, u"select id from itens where nome = :nome or codigo = :nome");
  find->ParamByName(u"nome")->SetAsString(u"");
  find->Open();
  EXPECT_TRUE(find->IsEmpty());
  // Refused by NOT NULL rather than stored empty.
  auto bad = Query(conn, u"insert into itens (id, codigo) values (3, :codigo)");
  bad->ParamByName(u"codigo")->SetAsString(u"");
  EXPECT_THROW(bad->ExecSQL(), db::EDatabaseError);
}

TEST_P(QueryTest, TextIntoNumberAndDateFieldsReadsBrazilianForms) {
  dac::TConnection& conn = Connect();
  CreateTable(conn, u"medidas",
              pg() ? u"id integer primary key, km numeric(12,2), quando timestamp(0)"
                   : u"id INTEGER PRIMARY KEY, km NUMERIC(12,2), quando TIMESTAMP");
  auto q = Query(conn, u"select * from medidas where id = 0");
  q->SetCachedUpdates(true);
  q->SetUpdateTableName(u"medidas");
  q->Open();
  q->Append();
  q->FieldByName(u"id")->SetAsInteger(1);
  q->FieldByName(u"km")->SetAsString(u"45,5");
  q->FieldByName(u"quando")->SetAsString(u"27/06/2025 14:30:00");
  q->Post();
  q->Append();
  q->FieldByName(u"id")->SetAsInteger(2);
  EXPECT_ANY_THROW(q->FieldByName(u"km")->SetAsString(u"45.5.1"));
  q->Cancel();
  ASSERT_EQ(q->ApplyUpdates(), 0);
  auto check = Query(conn, u"select km, quando from medidas");
  check->Open();
  EXPECT_DOUBLE_EQ(check->FieldByName(u"km")->AsFloat(), 45.5);
  EXPECT_DOUBLE_EQ(check->FieldByName(u"quando")->AsDateTime(),
                   rtl::EncodeDateTime(2025, 6, 27, 14, 30, 0, 0));
  EXPECT_EQ(check->FieldByName(u"km")->AsString(), u"45,5");
}

// Cached rows' text reaches the table as written: short and long, accented,
// beyond the basic plane; rows naming different fields share one query, and
// an edit binds its text the same way.
TEST_P(QueryTest, CachedTextIsWrittenAsGiven) {
  dac::TConnection& conn = Connect();
  CreateItems(conn);
  const std::vector<std::pair<String, String>> rows = {
      {u"A1", u"curto"},
      {u"A2", u"um nome mais longo que o buffer curto"},
      {u"Ç3", u"Ação — São Paulo"},
      {u"A4", u"emoji \U0001F600 fim"},
      {u"A5", u""},  // NULL
  };
  auto q = InsertCursor(conn);
  int id = 0;
  for (const auto& [code, name] : rows) {
    q->Append();
    q->FieldByName(u"id")->SetAsInteger(++id);
    q->FieldByName(u"codigo")->SetAsString(code);
    if (id % 2 == 1) q->FieldByName(u"nome")->SetAsString(name);
    else q->FieldByName(u"nome")->SetAsVariant(rtl::Variant(name));
    q->Post();
  }
  ASSERT_EQ(q->ApplyUpdates(), 0);
  q->CommitUpdates();
  q->SetKeyFields(u"id");  // the cursor never read the column default
  q->First();
  q->Edit();
  q->FieldByName(u"nome")->SetAsString(u"édité \U0001F680");
  q->Post();
  ASSERT_EQ(q->ApplyUpdates(), 0);

  auto check = Query(conn, u"select codigo, nome from itens order by id");
  check->Open();
  std::vector<std::pair<String, String>> stored;
  std::vector<bool> nulls;
  for (; !check->Eof(); check->Next()) {
    stored.emplace_back(check->FieldByName(u"codigo")->AsString(),
                        check->FieldByName(u"nome")->AsString());
    nulls.push_back(check->FieldByName(u"nome")->IsNull());
  }
  auto expected = rows;
  expected[0].second = u"édité \U0001F680";
  EXPECT_EQ(stored, expected);
  EXPECT_EQ(nulls, (std::vector<bool>{false, false, false, false, true}));
}

TEST_P(QueryTest, ParametersKeepTheirValuesWhenTheTextChanges) {
  dac::TConnection& conn = Connect();
  auto q = Query(conn, u"select :a as x, :b as y");
  ASSERT_EQ(q->Params()->Count(), 2);
  q->ParamByName(u"A")->SetAsInteger(4);
  q->SQL().SetText(u"select :b as y, :a as x, :a as z");
  ASSERT_EQ(q->Params()->Count(), 2);
  EXPECT_EQ(q->Params()->Items(0)->Name(), u"b");
  EXPECT_EQ(q->ParamByName(u"a")->AsInteger(), 4);
  q->ParamByName(u"b")->SetAsString(u"t");
  q->Open();
  // PostgreSQL types an untyped parameter in a select list as text.
  EXPECT_EQ(q->FieldByName(u"z")->AsString(), u"4");
  EXPECT_EQ(q->FieldByName(u"y")->AsString(), u"t");
}

TEST_P(QueryTest, ErrorsCarryTheDatabaseMessageAndNeverThePassword) {
  const String secret = u"SeCrEt-2025";
  dac::TConnection& conn = Connect();
  CreateItems(conn);
  auto message = [&](const String& sql) {
    try {
      conn.ExecSQL(sql);
    } catch (const db::EDatabaseError& e) {
      return utf8(e.Message());
    }
    ADD_FAILURE() << "no error for " << utf8(sql);
    return std::string();
  };
  EXPECT_NE(message(u"select * from tabela_que_nao_existe").find("tabela_que_nao_existe"),
            std::string::npos);
  std::string refused = message(u"insert into itens (id) values (1)");
  EXPECT_NE(refused.find("codigo"), std::string::npos) << refused;
  // A message that would show the password shows it hidden.
  conn.Params().SetValues(u"PASSWORD", secret);
  std::string echoed = message(u"select * from \"" + secret + u"\"");
  EXPECT_EQ(echoed.find(utf8(secret)), std::string::npos) << echoed;
  EXPECT_FALSE(echoed.empty());
}

INSTANTIATE_FOR_DRIVERS(QueryTest);

TEST(MemTable, DefinedFieldsTakeRowsAndLocate) {
  dac::TMemTable table(nullptr);
  table.FieldDefs()->Add(u"ID", db::ftInteger);
  table.FieldDefs()->Add(u"CodigoQuelora", db::ftWideString, 20);
  table.CreateDataSet();
  for (int i = 1; i <= 3; ++i) {
    table.Append();
    table.FieldByName(u"ID")->SetAsInteger(i);
    table.FieldByName(u"CodigoQuelora")->SetAsString(u"Q" + rtl::IntToStr(i));
    table.Post();
  }
  EXPECT_EQ(table.RecordCount(), 3);
  EXPECT_TRUE(table.Locate(u"codigoquelora", rtl::Variant(String(u"q2")), {db::loCaseInsensitive}));
  EXPECT_EQ(table.FieldByName(u"id")->AsInteger(), 2);
}

}  // namespace
