// Statements the drivers keep and reuse (PostgreSQL's prepared statements,
// SQLite's statement cache, a query's row writer) must never outlive what
// they were made for: a changed table, a transaction, another text.
#include <gtest/gtest.h>

#include "platform/db/db.h"
#include "platform/rtl/datetime.h"
#include "tests/dac/driver_fixture.h"

namespace {

using dac_test::DriverTest;
using rtl::String;

std::string reuseUtf8(const String& s) { return rtl::StringToUtf8(s); }

class StatementReuseTest : public DriverTest {
 protected:
  // Opens the query and returns "id:v" of each row, the field v's type in `type`.
  std::vector<std::string> Rows(dac::TQuery& q, db::TFieldType* type = nullptr) {
    q.Open();
    if (type) *type = q.FieldByName(u"v")->DataType();
    std::vector<std::string> out;
    for (; !q.Eof(); q.Next())
      out.push_back(reuseUtf8(q.FieldByName(u"id")->AsString() + u":" + q.FieldByName(u"v")->AsString()));
    q.Close();
    return out;
  }

  // Whether the server keeps `q`'s text as a prepared statement of `conn`.
  bool KeptPrepared(dac::TConnection& conn, dac::TQuery& q) {
    auto look = Query(conn, u"select count(*) as n from pg_prepared_statements where statement = :s");
    look->ParamByName(u"s")->SetAsString(q.DriverSQL());
    look->Open();
    return look->FieldByName(u"n")->AsInteger() > 0;
  }
};

// ---------------------------------------------------------------------------
// Transactions through single statements (BEGIN, SAVEPOINT, RELEASE, COMMIT
// run again and again from the statement cache).

TEST_P(StatementReuseTest, NestedTransactionsStayCorrectWhenTheirStatementsRepeat) {
  dac::TConnection& conn = Connect();
  CreateTable(conn, u"nivel", u"id INTEGER PRIMARY KEY");
  for (int round = 0; round < 4; ++round) {
    const int base = round * 10;
    conn.StartTransaction();
    conn.ExecSQL(u"insert into nivel values (:id)", {rtl::Variant(base + 1)});
    conn.StartTransaction();
    conn.ExecSQL(u"insert into nivel values (:id)", {rtl::Variant(base + 2)});
    conn.Rollback();  // drops 2 only
    conn.StartTransaction();
    conn.ExecSQL(u"insert into nivel values (:id)", {rtl::Variant(base + 3)});
    conn.StartTransaction();
    conn.ExecSQL(u"insert into nivel values (:id)", {rtl::Variant(base + 4)});
    conn.Commit();    // 4 kept in level 2
    conn.Rollback();  // drops 3 and 4
    conn.StartTransaction();
    conn.ExecSQL(u"insert into nivel values (:id)", {rtl::Variant(base + 5)});
    conn.Commit();
    EXPECT_EQ(conn.TransactionLevel(), 1);
    conn.Commit();
    EXPECT_FALSE(conn.InTransaction());

    // An outer rollback undoes everything since its BEGIN.
    conn.StartTransaction();
    conn.ExecSQL(u"insert into nivel values (:id)", {rtl::Variant(base + 6)});
    conn.StartTransaction();
    conn.ExecSQL(u"insert into nivel values (:id)", {rtl::Variant(base + 7)});
    conn.Commit();
    conn.Rollback();
    EXPECT_FALSE(conn.InTransaction());
  }
  // Another connection sees exactly the committed rows: the transactions
  // really ended.
  dac::TConnection& other = Connect();
  auto q = Query(other, u"select id from nivel order by id");
  q->Open();
  std::vector<int> ids;
  for (; !q->Eof(); q->Next()) ids.push_back(q->FieldByName(u"id")->AsInteger());
  EXPECT_EQ(ids, (std::vector<int>{1, 5, 11, 15, 21, 25, 31, 35}));
  // And it can write at once (no transaction left holding the database).
  EXPECT_EQ(other.ExecSQL(u"insert into nivel values (99)"), 1);
}

// ---------------------------------------------------------------------------
// A typed parameter left without a value binds NULL; one with no type and no
// value is still an error.

TEST_P(StatementReuseTest, TypedParameterWithoutValueBindsNull) {
  dac::TConnection& conn = Connect();
  CreateTable(conn, u"nulos", u"id INTEGER, n INTEGER, s VARCHAR(10), d DATE");
  conn.ExecSQL(u"insert into nulos values (1, 5, 'x', null)");
  auto ins = Query(conn, u"insert into nulos (id, n, s, d) values (:id, :n, :s, :d)");
  ins->ParamByName(u"id")->SetAsInteger(2);
  ins->ParamByName(u"n")->SetDataType(db::ftInteger);
  ins->ParamByName(u"s")->SetDataType(db::ftString);
  ins->ParamByName(u"d")->SetDataType(db::ftDate);
  ins->ExecSQL();
  EXPECT_EQ(ins->RowsAffected(), 1);

  auto q = Query(conn, u"select n, s, d from nulos where id = 2");
  q->Open();
  ASSERT_EQ(q->RecordCount(), 1);
  EXPECT_TRUE(q->FieldByName(u"n")->IsNull());
  EXPECT_TRUE(q->FieldByName(u"s")->IsNull());
  EXPECT_TRUE(q->FieldByName(u"d")->IsNull());

  // The filter the grid uses: a NULL value lists every row, a value only its own.
  auto filter = Query(conn, pg() ? u"select id from nulos where (:n::integer is null or n = :n) order by id"
                                 : u"select id from nulos where (:n is null or n = :n) order by id");
  filter->ParamByName(u"n")->SetDataType(db::ftInteger);
  filter->Open();
  EXPECT_EQ(filter->RecordCount(), 2);
  filter->Close();
  filter->ParamByName(u"n")->SetAsInteger(5);
  filter->Open();
  ASSERT_EQ(filter->RecordCount(), 1);
  EXPECT_EQ(filter->FieldByName(u"id")->AsInteger(), 1);

  auto untyped = Query(conn, u"select id from nulos where n = :n");
  try {
    untyped->Open();
    ADD_FAILURE() << "an untyped parameter without a value ran";
  } catch (db::EDatabaseError& e) {
    EXPECT_EQ(reuseUtf8(e.Message()), "No value for parameter 'n'");
  }
}

// ---------------------------------------------------------------------------
// The row writer: kept while the query stays open, made again for another
// text.

TEST_P(StatementReuseTest, WriterFollowsTheColumnsOfTheTextOpenNow) {
  dac::TConnection& conn = Connect();
  CreateTable(conn, u"escrita",
              u"id INTEGER PRIMARY KEY, codigo VARCHAR(10), nome VARCHAR(20), qtd INTEGER");
  auto q = Query(conn, u"select id, codigo from escrita where id = 0");
  q->SetCachedUpdates(true);
  q->SetUpdateTableName(u"escrita");
  q->SetKeyFields(u"id");
  q->Open();
  // Several applies while open: the writer and its texts are reused.
  for (int id = 1; id <= 3; ++id) {
    q->Append();
    q->FieldByName(u"id")->SetAsInteger(id);
    q->FieldByName(u"codigo")->SetAsString(u"C" + rtl::IntToStr(id));
    q->Post();
    EXPECT_EQ(q->ApplyUpdates(0), 0);
  }
  q->First();
  q->Edit();
  q->FieldByName(u"codigo")->SetAsString(u"C1x");
  q->Post();
  EXPECT_EQ(q->ApplyUpdates(0), 0);

  // Same number of columns, another one in the second place.
  q->Close();
  q->SQL().SetText(u"select id, nome from escrita where id = 0");
  q->Open();
  q->Append();
  q->FieldByName(u"id")->SetAsInteger(4);
  q->FieldByName(u"nome")->SetAsString(u"quarto");
  q->Post();
  EXPECT_EQ(q->ApplyUpdates(0), 0);

  // Text changed while open (closes it), more columns.
  q->Open();
  q->SQL().SetText(u"select id, nome, qtd from escrita where id >= 3 order by id");
  q->Open();
  ASSERT_EQ(q->RecordCount(), 2);
  q->Last();
  q->Edit();
  q->FieldByName(u"qtd")->SetAsInteger(40);
  q->Post();
  q->Append();
  q->FieldByName(u"id")->SetAsInteger(5);
  q->FieldByName(u"nome")->SetAsString(u"quinto");
  q->FieldByName(u"qtd")->SetAsInteger(50);
  q->Post();
  EXPECT_EQ(q->ApplyUpdates(0), 0);

  auto check = Query(conn, u"select id, codigo, nome, qtd from escrita order by id");
  check->Open();
  std::vector<std::string> rows;
  for (; !check->Eof(); check->Next()) {
    rows.push_back(reuseUtf8(check->FieldByName(u"id")->AsString() + u"|" +
                        check->FieldByName(u"codigo")->AsString() + u"|" +
                        check->FieldByName(u"nome")->AsString() + u"|" +
                        check->FieldByName(u"qtd")->AsString()));
  }
  EXPECT_EQ(rows, (std::vector<std::string>{"1|C1x||", "2|C2||", "3|C3||", "4||quarto|40",
                                            "5||quinto|50"}));
}

INSTANTIATE_FOR_DRIVERS(StatementReuseTest);

// ---------------------------------------------------------------------------
// PostgreSQL's prepared statements.

class PgPreparedTest : public StatementReuseTest {};

TEST_P(PgPreparedTest, SecondRunKeepsTheTextPrepared) {
  dac::TConnection& conn = Connect();
  CreateTable(conn, u"reuso", u"id integer, v varchar(10)");
  conn.ExecSQL(u"insert into reuso values (1, 'um'), (2, 'dois')");
  auto q = Query(conn, u"select id, v from reuso where id >= :id order by id");
  q->ParamByName(u"id")->SetAsInteger(1);
  EXPECT_EQ(Rows(*q), (std::vector<std::string>{"1:um", "2:dois"}));
  EXPECT_FALSE(KeptPrepared(conn, *q));
  q->ParamByName(u"id")->SetAsInteger(2);
  EXPECT_EQ(Rows(*q), (std::vector<std::string>{"2:dois"}));
  EXPECT_TRUE(KeptPrepared(conn, *q));
  EXPECT_EQ(Rows(*q), (std::vector<std::string>{"2:dois"}));
}

// DDL on the same connection, outside and inside a transaction: the next runs
// see the table as it is now.
TEST_P(PgPreparedTest, OwnDdlDropsKeptStatements) {
  struct Case {
    const char* name;
    bool inTransaction;
    const char16_t* ddl;
  };
  const Case cases[] = {
      {"alter outside", false, u"alter table reuso alter column v type integer using length(v)"},
      {"alter inside", true, u"alter table reuso alter column v type integer using length(v)"},
      {"recreate outside", false,
       u"drop table reuso; create table reuso (id integer, v integer); "
       u"insert into reuso values (1, 2), (2, 4)"},
      {"recreate inside", true,
       u"drop table reuso; create table reuso (id integer, v integer); "
       u"insert into reuso values (1, 2), (2, 4)"},
  };
  dac::TConnection& conn = Connect();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CreateTable(conn, u"reuso", u"id integer, v varchar(10)");
    conn.ExecSQL(u"insert into reuso values (1, 'um'), (2, 'dois')");
    auto q = Query(conn, u"select id, v from reuso order by id");
    db::TFieldType type;
    Rows(*q);
    EXPECT_EQ(Rows(*q, &type), (std::vector<std::string>{"1:um", "2:dois"}));
    EXPECT_EQ(type, db::ftWideString);
    ASSERT_TRUE(KeptPrepared(conn, *q));

    if (c.inTransaction) conn.StartTransaction();
    // Run both as a script and as single statements.
    if (String(c.ddl).find(u';') != String::npos)
      conn.ExecScript(c.ddl);
    else
      conn.ExecSQL(c.ddl);
    for (int run = 0; run < 3; ++run) {
      EXPECT_EQ(Rows(*q, &type), (std::vector<std::string>{"1:2", "2:4"})) << "run " << run;
      EXPECT_EQ(type, db::ftInteger);
    }
    if (c.inTransaction) {
      conn.Commit();
      EXPECT_EQ(Rows(*q, &type), (std::vector<std::string>{"1:2", "2:4"}));
    }
  }
}

// Another session changes the table under a kept statement: outside a
// transaction the text runs again unprepared; inside one the server's error
// is raised (the transaction is then lost anyway) and the statement is made
// again afterwards.
TEST_P(PgPreparedTest, OtherSessionsDdlRetriesOutsideATransactionAndFailsInside) {
  dac::TConnection& conn = Connect();
  dac::TConnection& other = Connect();
  CreateTable(conn, u"reuso", u"id integer, v varchar(10)");
  conn.ExecSQL(u"insert into reuso values (1, 'um'), (2, 'dois')");
  auto q = Query(conn, u"select id, v from reuso order by id");
  Rows(*q);
  Rows(*q);
  ASSERT_TRUE(KeptPrepared(conn, *q));

  other.ExecSQL(u"alter table reuso alter column v type integer using length(v)");
  db::TFieldType type;
  EXPECT_EQ(Rows(*q, &type), (std::vector<std::string>{"1:2", "2:4"}));
  EXPECT_EQ(type, db::ftInteger);
  Rows(*q);
  Rows(*q);
  ASSERT_TRUE(KeptPrepared(conn, *q));

  other.ExecSQL(u"alter table reuso alter column v type varchar(10) using (v * 10)::varchar");
  conn.StartTransaction();
  try {
    q->Open();
    ADD_FAILURE() << "a kept statement ran over a changed table";
  } catch (db::EDatabaseError& e) {
    EXPECT_NE(reuseUtf8(e.Message()).find("cached plan must not change result type"), std::string::npos)
        << reuseUtf8(e.Message());
  }
  conn.Rollback();
  EXPECT_FALSE(q->Active());
  EXPECT_EQ(Rows(*q, &type), (std::vector<std::string>{"1:20", "2:40"}));
  EXPECT_EQ(type, db::ftWideString);
  EXPECT_EQ(Rows(*q), (std::vector<std::string>{"1:20", "2:40"}));
}

// A "*" list follows the table's columns: a column another session adds
// shows at the next run, inside a transaction too.
TEST_P(PgPreparedTest, StarListFollowsAddedColumnsInsideATransaction) {
  dac::TConnection& conn = Connect();
  dac::TConnection& other = Connect();
  CreateTable(conn, u"reuso", u"id integer, v varchar(10)");
  conn.ExecSQL(u"insert into reuso values (1, 'um')");
  auto q = Query(conn, u"select * from reuso order by id");
  for (int run = 0; run < 3; ++run) Rows(*q);
  other.ExecSQL(u"alter table reuso add column w integer default 7");
  conn.StartTransaction();
  for (int run = 0; run < 2; ++run) {
    q->Open();
    ASSERT_EQ(q->FieldCount(), 3);
    EXPECT_EQ(q->FieldByName(u"w")->AsInteger(), 7);
    q->Close();
  }
  conn.Commit();
}

// DEALLOCATE ALL in the program's own SQL drops the server's statements; the
// driver must not run them by name afterwards.
TEST_P(PgPreparedTest, DeallocateAllFromTheProgramsSql) {
  dac::TConnection& conn = Connect();
  CreateTable(conn, u"reuso", u"id integer, v varchar(10)");
  conn.ExecSQL(u"insert into reuso values (1, 'um')");
  auto q = Query(conn, u"select id, v from reuso order by id");
  auto ins = Query(conn, u"insert into reuso values (:id, 'x')");
  for (int id = 2; id <= 3; ++id) {
    Rows(*q);
    ins->ParamByName(u"id")->SetAsInteger(id);
    ins->ExecSQL();
  }
  ASSERT_TRUE(KeptPrepared(conn, *q));

  struct Way {
    const char* name;
    bool viaQuery;
    bool inTransaction;
  };
  const Way ways[] = {{"connection", false, false}, {"query", true, false}, {"in transaction", true, true}};
  int id = 4;
  for (const Way& way : ways) {
    SCOPED_TRACE(way.name);
    if (way.inTransaction) conn.StartTransaction();
    if (way.viaQuery) {
      auto dealloc = Query(conn, u"DEALLOCATE ALL");
      dealloc->ExecSQL();
    } else {
      conn.ExecSQL(u"deallocate all");
    }
    EXPECT_FALSE(KeptPrepared(conn, *q));
    for (int run = 0; run < 3; ++run) {
      ins->ParamByName(u"id")->SetAsInteger(id++);
      EXPECT_NO_THROW(ins->ExecSQL());
      EXPECT_EQ(Rows(*q).size(), static_cast<std::size_t>(id - 1));
    }
    EXPECT_TRUE(KeptPrepared(conn, *q));
    if (way.inTransaction) conn.Commit();
  }
}

INSTANTIATE_TEST_SUITE_P(Drivers, PgPreparedTest, testing::Values(dac::DriverKind::PostgreSQL),
                         ::dac_test::DriverLabel);

}  // namespace
