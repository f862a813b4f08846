// Queries and tables over SQLite: field types from the declared columns,
// parameters, nulls, master-driven queries and the driver's errors.
#include "DBTables.h"

#include <QtCore/QFile>
#include <QtCore/QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace {

class SqlTest : public ::testing::Test {
protected:
    // Each test gets a database file of its own.
    QString Database() const { return dir.filePath(QStringLiteral("test.db")); }

    void Exec(const QString& sql) {
        TQuery q(nullptr);
        q.SetDatabaseName(Database());
        q.SQL()->SetText(sql);
        q.ExecSQL();
    }

    std::unique_ptr<TQuery> Query(const QString& sql) {
        auto q = std::make_unique<TQuery>(nullptr);
        q->SetDatabaseName(Database());
        q->SQL()->SetText(sql);
        return q;
    }

    QTemporaryDir dir;
};

std::string Message(const std::function<void()>& action) {
    try {
        action();
    } catch (const EDatabaseError& e) {
        return e.Message().toStdString();
    }
    return "no error";
}

TEST_F(SqlTest, FieldTypesFollowTheDeclaredColumnTypes) {
    Exec("CREATE TABLE t (id INTEGER, small SMALLINT, big BIGINT, name VARCHAR(20), memo TEXT, "
         "price REAL, amount MONEY, rate DECIMAL(9,2), flag BOOLEAN, day DATE, clock TIME, "
         "stamp DATETIME, ts TIMESTAMP, loose)");
    Exec("INSERT INTO t VALUES (7, -3, 9000000000, 'あいう', 'long', 1.5, 1200, 0.25, 1, "
         "'2024-02-29', '13:45:30', '2024-02-29 13:45:30.250', '1999-12-31T23:59', 'x')");
    auto q = Query("SELECT * FROM t");
    q->Open();
    struct Expected {
        const char* name;
        TFieldType type;
        Integer size;
    };
    const Expected expected[] = {
        {"id", ftInteger, 0},     {"small", ftSmallint, 0}, {"big", ftLargeint, 0}, {"name", ftString, 20},
        {"memo", ftString, 0},    {"price", ftFloat, 0},    {"amount", ftCurrency, 0}, {"rate", ftBCD, 0},
        {"flag", ftBoolean, 0},   {"day", ftDate, 0},       {"clock", ftTime, 0},   {"stamp", ftDateTime, 0},
        {"ts", ftTimeStamp, 0},   {"loose", ftString, 0}};
    ASSERT_EQ(q->FieldCount(), Integer(std::size(expected)));
    for (const Expected& e : expected) {
        SCOPED_TRACE(e.name);
        const TField* f = q->FieldByName(e.name);
        EXPECT_EQ(f->DataType(), e.type);
        EXPECT_EQ(f->Size(), e.size);
    }
    EXPECT_NE(dynamic_cast<TSmallintField*>(q->FieldByName("small")), nullptr);
    EXPECT_NE(dynamic_cast<TCurrencyField*>(q->FieldByName("amount")), nullptr);
    EXPECT_NE(dynamic_cast<TDateField*>(q->FieldByName("day")), nullptr);

    EXPECT_EQ(q->FieldByName("id")->AsInteger(), 7);
    EXPECT_EQ(q->FieldByName("small")->AsInteger(), -3);
    EXPECT_EQ(static_cast<TLargeintField*>(q->FieldByName("big"))->AsLargeInt(), 9000000000LL);
    EXPECT_EQ(q->FieldByName("name")->AsString(), QStringLiteral("あいう"));
    EXPECT_DOUBLE_EQ(q->FieldByName("price")->AsFloat(), 1.5);
    EXPECT_DOUBLE_EQ(q->FieldByName("amount")->AsFloat(), 1200.0);
    EXPECT_TRUE(q->FieldByName("flag")->AsBoolean());
    EXPECT_EQ(q->FieldByName("day")->AsString(), QStringLiteral("2024/02/29"));
    EXPECT_DOUBLE_EQ(q->FieldByName("day")->AsDateTime(), EncodeDate(2024, 2, 29));
    EXPECT_DOUBLE_EQ(q->FieldByName("clock")->AsDateTime(), EncodeTime(13, 45, 30, 0));
    EXPECT_NEAR(q->FieldByName("stamp")->AsDateTime(), EncodeDate(2024, 2, 29) + EncodeTime(13, 45, 30, 250),
                1e-9);
    EXPECT_NEAR(q->FieldByName("ts")->AsDateTime(), EncodeDate(1999, 12, 31) + EncodeTime(23, 59, 0, 0), 1e-9);
    EXPECT_EQ(q->FieldByName("loose")->AsString(), QStringLiteral("x"));
}

TEST_F(SqlTest, NullsReadAsNullInEveryFieldClass) {
    Exec("CREATE TABLE t (i INTEGER, s VARCHAR(5), f REAL, b BOOLEAN, d DATE)");
    Exec("INSERT INTO t VALUES (NULL, NULL, NULL, NULL, NULL)");
    auto q = Query("SELECT * FROM t");
    q->Open();
    ASSERT_EQ(q->RecordCount(), 1);
    for (Integer i = 0; i < q->FieldCount(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_TRUE(q->Fields(i)->IsNull());
        EXPECT_EQ(q->Fields(i)->AsString(), QString());
    }
    EXPECT_EQ(q->FieldByName("i")->AsInteger(), 0);
    EXPECT_FALSE(q->FieldByName("b")->AsBoolean());
}

TEST_F(SqlTest, ParametersBindByNameWithTheirTypes) {
    Exec("CREATE TABLE t (id INTEGER, name TEXT, day DATE, price REAL, flag BOOLEAN)");
    auto ins = Query("INSERT INTO t VALUES (:ID, :Name, :Day, :Price, :Flag)");
    ASSERT_EQ(ins->ParamCount(), 5);
    const QString names[] = {"甲", "乙", "丙"};
    for (int i = 0; i < 3; ++i) {
        ins->ParamByName("id")->SetAsInteger(i + 1);
        ins->ParamByName("NAME")->SetAsString(names[i]);
        ins->ParamByName("day")->SetAsDate(EncodeDate(2024, 1, 10 + i));
        ins->ParamByName("price")->SetAsFloat(0.5 * (i + 1));
        ins->ParamByName("flag")->SetAsBoolean(i % 2 == 0);
        ins->ExecSQL();
        EXPECT_EQ(ins->RowsAffected(), 1);
    }
    EXPECT_EQ(ins->ParamByName("day")->DataType(), ftDate);
    EXPECT_EQ(ins->ParamByName("day")->AsString(), QStringLiteral("2024/01/12"));

    // One name used twice binds twice; the date compares as the stored text.
    auto q = Query("SELECT name FROM t WHERE day >= :from AND (id = :id OR id = :id + 1) ORDER BY id");
    ASSERT_EQ(q->ParamCount(), 2);
    q->ParamByName("from")->SetAsDate(EncodeDate(2024, 1, 11));
    q->ParamByName("id")->SetAsInteger(1);
    q->Open();
    ASSERT_EQ(q->RecordCount(), 1);
    EXPECT_EQ(q->Fields(0)->AsString(), QStringLiteral("乙"));

    // A null parameter matches nothing with "=", but IS NULL finds it.
    Exec("INSERT INTO t (id) VALUES (9)");
    auto n = Query("SELECT id FROM t WHERE name IS :n");
    n->ParamByName("n")->SetDataType(ftString);
    n->ParamByName("n")->Clear();
    n->Open();
    ASSERT_EQ(n->RecordCount(), 1);
    EXPECT_EQ(n->Fields(0)->AsInteger(), 9);
}

TEST_F(SqlTest, ParameterMarksAreFoundOutsideQuotesAndComments) {
    auto q = Query("SELECT ':a', \":b\", [:c] -- :d\n, /* :e */ :f, CAST(1 AS INTEGER)::g, :H_2, :f");
    ASSERT_EQ(q->ParamCount(), 2);
    EXPECT_EQ(q->Params().Items(0)->Name(), QStringLiteral("f"));
    EXPECT_EQ(q->Params().Items(1)->Name(), QStringLiteral("H_2"));
    EXPECT_EQ(q->Params().FindParam("a"), nullptr);
    EXPECT_THROW(q->ParamByName("g"), EDatabaseError);

    // A new text keeps the value of a parameter that keeps its name.
    q->ParamByName("f")->SetAsInteger(42);
    q->SQL()->SetText("SELECT :F AS v, :other AS w");
    ASSERT_EQ(q->ParamCount(), 2);
    EXPECT_EQ(q->ParamByName("f")->AsInteger(), 42);
    EXPECT_EQ(q->ParamByName("other")->DataType(), ftUnknown);
    EXPECT_EQ(Message([&] { q->Open(); }), "No value for parameter 'other'");
    q->ParamByName("other")->SetAsString("s");
    q->Open();
    EXPECT_EQ(q->FieldByName("v")->AsInteger(), 42);
    EXPECT_EQ(q->FieldByName("w")->AsString(), QStringLiteral("s"));

    // Changing the text closes the query.
    q->SQL()->Add("");
    EXPECT_FALSE(q->Active());
}

TEST_F(SqlTest, BadStatementsRaiseTheDriversMessage) {
    auto q = Query("SELEC * FROM nowhere");
    EXPECT_NE(Message([&] { q->Open(); }).find("syntax error"), std::string::npos);
    EXPECT_FALSE(q->Active());
    q->SQL()->SetText("SELECT * FROM nowhere");
    EXPECT_NE(Message([&] { q->Open(); }).find("no such table: nowhere"), std::string::npos);
    EXPECT_NE(Message([&] { q->ExecSQL(); }).find("no such table"), std::string::npos);

    Exec("CREATE TABLE t (a INTEGER)");
    q->SQL()->SetText("INSERT INTO t VALUES (1)");
    EXPECT_EQ(Message([&] { q->Open(); }), "The statement returns no records");
    q->SQL()->SetText("INSERT INTO t VALUES (1); INSERT INTO t VALUES (2)");
    EXPECT_NE(Message([&] { q->ExecSQL(); }), "no error");
    q->SQL()->Clear();
    EXPECT_EQ(Message([&] { q->Open(); }), "No SQL statement given");

    TQuery noDatabase(nullptr);
    noDatabase.SQL()->SetText("SELECT 1");
    EXPECT_EQ(Message([&] { noDatabase.Open(); }), "No database name given");
    noDatabase.SetDatabaseName(dir.filePath("missing/folder/x.db"));
    EXPECT_NE(Message([&] { noDatabase.Open(); }).find("Cannot open database"), std::string::npos);
}

TEST_F(SqlTest, ValuesThatDoNotFitTheirColumnAreReportedOrWidened) {
    Exec("CREATE TABLE t (n INTEGER, s SMALLINT, d DATE, b BOOLEAN)");
    Exec("INSERT INTO t VALUES (5000000000, 70000, NULL, NULL)");
    auto q = Query("SELECT n, s FROM t");
    q->Open();
    // SQLite keeps any integer in any column: the field widens, nothing is cut.
    EXPECT_EQ(q->FieldByName("n")->DataType(), ftLargeint);
    EXPECT_EQ(q->FieldByName("s")->DataType(), ftInteger);
    EXPECT_EQ(q->FieldByName("s")->AsInteger(), 70000);
    EXPECT_EQ(static_cast<TLargeintField*>(q->FieldByName("n"))->AsLargeInt(), 5000000000LL);

    Exec("UPDATE t SET d = '2024-13-40'");
    auto bad = Query("SELECT d FROM t");
    EXPECT_EQ(Message([&] { bad->Open(); }), "Field 'd': '2024-13-40' is not a valid date and time value");
    Exec("UPDATE t SET d = NULL, b = 'maybe'");
    bad->SQL()->SetText("SELECT b FROM t");
    EXPECT_EQ(Message([&] { bad->Open(); }), "Field 'b': 'maybe' is not a valid boolean value");
    Exec("UPDATE t SET b = 'False', n = 2.5");
    bad->SQL()->SetText("SELECT b FROM t");
    bad->Open();
    EXPECT_FALSE(bad->Fields(0)->AsBoolean());
    EXPECT_FALSE(bad->Fields(0)->IsNull());
    bad->SQL()->SetText("SELECT n FROM t");
    EXPECT_EQ(Message([&] { bad->Open(); }), "Field 'n': '2.5' is not a valid integer value");
}

TEST_F(SqlTest, NumericDatesAreJulianDays) {
    Exec("CREATE TABLE t (d DATETIME)");
    // The whole day is stored as an integer by the column's numeric affinity.
    Exec("INSERT INTO t VALUES (julianday('2000-01-01 12:00:00')), (julianday('2000-01-01 06:00:00'))");
    auto q = Query("SELECT d FROM t");
    q->Open();
    const TDateTime expected[] = {EncodeDate(2000, 1, 1) + 0.5, EncodeDate(2000, 1, 1) + 0.25};
    for (TDateTime e : expected) {
        EXPECT_NEAR(q->Fields(0)->AsDateTime(), e, 1e-6);
        q->Next();
    }
}

TEST_F(SqlTest, ExpressionColumnsTakeTheirTypeFromTheirValues) {
    Exec("CREATE TABLE t (k TEXT, v REAL)");
    Exec("INSERT INTO t VALUES ('a', 1), ('a', 2.5), ('b', NULL)");
    auto q = Query("SELECT COUNT(*) AS n, SUM(t.v) AS total, MAX(t.k) || '' AS top, "
                   "CASE WHEN 1 THEN 1 ELSE 'x' END AS mixed, NULL AS empty, t.k, u.k "
                   "FROM t JOIN t AS u ON u.k = t.k WHERE t.k = 'b'");
    q->Open();
    EXPECT_EQ(q->FieldByName("n")->DataType(), ftLargeint);
    EXPECT_EQ(q->FieldByName("n")->AsInteger(), 1);
    EXPECT_EQ(q->FieldByName("total")->DataType(), ftString);  // only a null: text
    EXPECT_EQ(q->FieldByName("empty")->DataType(), ftString);
    EXPECT_EQ(q->FieldByName("top")->AsString(), QStringLiteral("b"));
    // Both sides of the join keep their column under a name of its own.
    EXPECT_EQ(q->FieldCount(), 7);
    EXPECT_EQ(q->Fields(5)->FieldName(), QStringLiteral("k"));
    EXPECT_EQ(q->Fields(6)->FieldName(), QStringLiteral("k_1"));

    auto sums = Query("SELECT k, SUM(v) AS total FROM t GROUP BY k ORDER BY k");
    sums->Open();
    EXPECT_EQ(sums->FieldByName("total")->DataType(), ftFloat);
    EXPECT_DOUBLE_EQ(sums->FieldByName("total")->AsFloat(), 3.5);
}

TEST_F(SqlTest, QueriesAreReadOnlyAndWalkLikeAnyDataSet) {
    Exec("CREATE TABLE t (n INTEGER)");
    Exec("WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < 5) "
         "INSERT INTO t SELECT x FROM c");
    auto q = Query("SELECT n FROM t ORDER BY n");
    q->Open();
    EXPECT_EQ(q->RecordCount(), 5);
    EXPECT_FALSE(q->CanModify());
    EXPECT_THROW(q->Append(), EDatabaseError);
    EXPECT_THROW(q->Edit(), EDatabaseError);
    EXPECT_THROW(q->Delete(), EDatabaseError);
    Integer sum = 0;
    for (q->First(); !q->Eof(); q->Next()) sum += q->Fields(0)->AsInteger();
    EXPECT_EQ(sum, 15);
    EXPECT_EQ(q->Fields(0)->AsInteger(), 5);  // Eof stays on the last record
    q->Prior();
    EXPECT_EQ(q->Fields(0)->AsInteger(), 4);
    EXPECT_THROW(q->SetDatabaseName("other.db"), EDatabaseError);
    q->Close();
    EXPECT_EQ(q->RecordCount(), 0);
    EXPECT_EQ(q->FieldCount(), 0);
}

TEST_F(SqlTest, AQueryFollowsItsMasterRecord) {
    Exec("CREATE TABLE cust (custno INTEGER, name TEXT)");
    Exec("CREATE TABLE orders (custno INTEGER, amount MONEY)");
    Exec("INSERT INTO cust VALUES (1, 'A'), (2, 'B'), (3, 'C')");
    Exec("INSERT INTO orders VALUES (1, 10), (3, 30), (1, 11), (3, 31), (3, 32)");
    auto master = Query("SELECT * FROM cust ORDER BY custno");
    auto detail = Query("SELECT amount FROM orders WHERE custno = :CUSTNO ORDER BY amount");
    TDataSource source(nullptr);
    source.SetDataSet(master.get());
    detail->SetDataSource(&source);
    master->Open();
    detail->Open();
    const Integer expected[] = {2, 0, 3};
    for (Integer count : expected) {
        EXPECT_EQ(detail->RecordCount(), count);
        EXPECT_EQ(detail->ParamByName("custno")->AsInteger(), master->FieldByName("custno")->AsInteger());
        EXPECT_EQ(detail->ParamByName("custno")->DataType(), ftInteger);
        master->Next();
    }
    EXPECT_DOUBLE_EQ(detail->FieldByName("amount")->AsFloat(), 30.0);
    // The master's link leaves with its source.
    detail->SetDataSource(nullptr);
    master->First();
    EXPECT_EQ(detail->RecordCount(), 3);
}

TEST_F(SqlTest, TablesOpenByNameAndFilesKeepTheirData) {
    Exec("CREATE TABLE \"order lines\" (no INTEGER, item VARCHAR(10))");
    Exec("INSERT INTO \"order lines\" VALUES (1, 'pen'), (2, 'ink')");
    TTable table(nullptr);
    table.SetDatabaseName(Database());
    EXPECT_EQ(Message([&] { table.Open(); }), "No table name given");
    table.SetTableName("order lines");
    table.Open();
    EXPECT_EQ(table.RecordCount(), 2);
    table.Last();
    EXPECT_EQ(table.FieldByName("item")->AsString(), QStringLiteral("ink"));
    EXPECT_EQ(table.FieldByName("item")->Size(), 10);
    EXPECT_THROW(table.SetTableName("x"), EDatabaseError);
    EXPECT_THROW(table.Append(), EDatabaseError);
    table.Close();
    EXPECT_TRUE(QFile::exists(Database()));

    table.SetTableName("missing");
    EXPECT_NE(Message([&] { table.Open(); }).find("no such table: missing"), std::string::npos);
    table.SetTableName("x\"; DROP TABLE \"order lines");
    EXPECT_THROW(table.Open(), EDatabaseError);
    table.SetTableName("order lines");
    table.Open();
    EXPECT_EQ(table.RecordCount(), 2);
}

TEST(SqlMemory, QueriesNamingMemoryShareOneDatabase) {
    TQuery create(nullptr);
    create.SetDatabaseName(":memory:");
    create.SQL()->SetText("CREATE TABLE IF NOT EXISTS shared_memory_test (v TEXT)");
    create.ExecSQL();
    create.SQL()->SetText("INSERT INTO shared_memory_test VALUES ('kept')");
    create.ExecSQL();
    TTable table(nullptr);
    table.SetDatabaseName(":memory:");
    table.SetTableName("shared_memory_test");
    table.Open();
    EXPECT_GE(table.RecordCount(), 1);
    EXPECT_EQ(table.Fields(0)->AsString(), QStringLiteral("kept"));
}

}  // namespace
