// Queries and tables over SQLite: field types from the declared columns,
// parameters, nulls, master-driven queries and the driver's errors.
#include "DBTables.h"

#include <QtCore/QDir>
#include <QtCore/QFile>
#include <QtCore/QFileInfo>
#include <QtCore/QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

#include <unistd.h>

#if defined(__SANITIZE_ADDRESS__)
// The sanitizer's run-time library has it; g++ ships no header for it.
extern "C" size_t __sanitizer_get_current_allocated_bytes();
#endif

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

    // A value is converted when its field reads it: that is where a bad one raises.
    Exec("UPDATE t SET d = '2024-13-40'");
    auto bad = Query("SELECT d FROM t");
    const auto read = [&] {
        bad->Open();
        bad->Fields(0)->AsString();
    };
    EXPECT_EQ(Message(read), "Field 'd': '2024-13-40' is not a valid date and time value");
    Exec("UPDATE t SET d = NULL, b = 'maybe'");
    bad->SQL()->SetText("SELECT b FROM t");
    EXPECT_EQ(Message(read), "Field 'b': 'maybe' is not a valid boolean value");
    Exec("UPDATE t SET b = 'False', n = 2.5");
    bad->SQL()->SetText("SELECT b FROM t");
    bad->Open();
    EXPECT_FALSE(bad->Fields(0)->AsBoolean());
    EXPECT_FALSE(bad->Fields(0)->IsNull());
    bad->SQL()->SetText("SELECT n FROM t");
    EXPECT_EQ(Message(read), "Field 'n': '2.5' is not a valid integer value");
}

// The type of a column comes from its first record: a later value that the
// field cannot hold raises when it is read, rather than being cut.
TEST_F(SqlTest, LaterValuesThatDoNotFitTheFieldRaiseWhenRead) {
    Exec("CREATE TABLE t (s SMALLINT)");
    Exec("INSERT INTO t VALUES (40000), (5000000000)");
    auto q = Query("SELECT s, CASE WHEN rowid = 1 THEN 1 ELSE 2.5 END AS e FROM t ORDER BY rowid");
    q->Open();
    EXPECT_EQ(q->FieldByName("s")->DataType(), ftInteger);
    EXPECT_EQ(q->FieldByName("e")->DataType(), ftLargeint);
    EXPECT_EQ(q->FieldByName("s")->AsInteger(), 40000);
    q->Next();
    EXPECT_EQ(Message([&] { q->FieldByName("s")->AsInteger(); }), "Field 's': 5000000000 is out of the field's range");
    EXPECT_EQ(Message([&] { q->FieldByName("e")->AsInteger(); }), "Field 'e': '2.5' is not a valid integer value");
}

// Text as SQLite writes it and numbers as Julian days; other values, and
// days before the year 1 or after 9999, raise when read.
TEST_F(SqlTest, DatesReadAsSqliteStoresThemAndOthersRaise) {
    Exec("CREATE TABLE t (d DATETIME)");
    auto q = Query("SELECT d FROM t");
    const auto stored = [&](const char* sql) {
        q->Close();
        Exec("DELETE FROM t");
        Exec(QStringLiteral("INSERT INTO t VALUES (%1)").arg(QLatin1String(sql)));
        q->Open();
        return q->Fields(0);
    };
    const TDateTime day = EncodeDate(2024, 1, 5);
    const std::pair<const char*, TDateTime> good[] = {
        {"' 2024-1-5 '", day},
        {"'2024-01-05T'", day},
        {"'2024-01-05 07:08'", day + EncodeTime(7, 8, 0, 0)},
        {"'2024-01-05T07:08:09.123456'", day + EncodeTime(7, 8, 9, 123)},
        {"'7:08:09.5'", EncodeTime(7, 8, 9, 500)},
        // A whole day is stored as an integer by the column's numeric affinity.
        {"julianday('2000-01-01 12:00:00')", EncodeDate(2000, 1, 1) + 0.5},
        {"julianday('2000-01-01 06:00:00')", EncodeDate(2000, 1, 1) + 0.25},
    };
    for (const auto& [sql, value] : good) {
        SCOPED_TRACE(sql);
        EXPECT_NEAR(stored(sql)->AsDateTime(), value, 1e-9);
    }
    for (const char* sql : {"'2024-01-05 07:08:'", "'12:3'", "'2024-13-01'", "'07:08:09.'", "'2024-01-05 x'", "''",
                            "42", "1e300", "julianday('9999-12-31') + 1"}) {
        SCOPED_TRACE(sql);
        const TField* field = stored(sql);
        EXPECT_NE(Message([&] { field->AsDateTime(); }).find("is not a valid date and time value"),
                  std::string::npos);
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

// A program may end while a database is still open (":memory:" stays open).
TEST(SqlExit, AProgramEndingWithAnOpenDatabaseExitsCleanly) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            TQuery q(nullptr);
            q.SetDatabaseName(":memory:");
            q.SQL()->SetText("CREATE TABLE IF NOT EXISTS exit_test (v TEXT)");
            q.ExecSQL();
            std::exit(0);
        },
        ::testing::ExitedWithCode(0), "");
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

// ------------------------------------------------------------ the cursor

// The numbers 1..n, as column x.
QString Numbers(int n) {
    return QStringLiteral("WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < %1) "
                          "SELECT x FROM c")
        .arg(n);
}

// Memory the process holds, in KB: its resident size, or its live heap when
// the address sanitizer keeps freed blocks resident for a while.
long MemoryInUseKb() {
#if defined(__SANITIZE_ADDRESS__)
    return long(__sanitizer_get_current_allocated_bytes() / 1024);
#else
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly)) return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toLong() * (sysconf(_SC_PAGESIZE) / 1024) : 0;
#endif
}

// Descriptors of this process open on the file.
int OpenHandles(const QString& path) {
    const QString file = QFileInfo(path).canonicalFilePath();
    int count = 0;
    const QDir fds(QStringLiteral("/proc/self/fd"));
    for (const QFileInfo& fd : fds.entryInfoList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot))
        count += fd.symLinkTarget() == file ? 1 : 0;
    return count;
}

Integer X(const TQuery& q) { return q.FieldByName("x")->AsInteger(); }

TEST_F(SqlTest, RecordsAreReadAsTheCursorMovesOn) {
    Exec("CREATE TABLE t (n INTEGER)");
    Exec("INSERT INTO t SELECT x FROM (" + Numbers(5) + ")");
    // The fourth record fails in SQLite: opening and the records before it read well.
    auto q = Query("SELECT CASE WHEN n = 4 THEN abs(-9223372036854775807 - 1) ELSE n END AS x FROM t");
    q->Open();
    for (int i = 1; i <= 3; ++i) {
        EXPECT_EQ(X(*q), i);
        if (i < 3) q->Next();
    }
    EXPECT_NE(Message([&] { q->Next(); }).find("integer overflow"), std::string::npos);
    EXPECT_EQ(X(*q), 3);
    // The failure is not taken for the end of the records.
    EXPECT_NE(Message([&] { q->Next(); }).find("integer overflow"), std::string::npos);
    EXPECT_FALSE(q->Eof());
}

TEST_F(SqlTest, AnEndlessStatementOpensAndWalksAMillionRowsInBoundedMemory) {
    const QString endless = QStringLiteral(
        "WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c) SELECT x, printf('%080d', x) AS pad FROM c");
    auto kept = Query(endless);
    kept->Open();
    for (int i = 1; i < 1000; ++i) kept->Next();
    EXPECT_EQ(X(*kept), 1000);
    EXPECT_EQ(kept->RecNo(), 1000);

    auto q = Query(endless);
    q->SetUniDirectional(true);
    q->Open();
    const long before = MemoryInUseKb();
    Int64 sum = 0;
    for (int i = 0; i < 1000000; ++i, q->Next()) sum += X(*q);
    EXPECT_EQ(sum, 500000500000LL);
    // Kept, the rows read would take some 90 MB.
    EXPECT_LT(MemoryInUseKb() - before, 8 * 1024);
}

TEST_F(SqlTest, MovingBackShowsTheRowsReadWithoutRunningTheStatementAgain) {
    auto q = Query("SELECT x, random() AS r FROM (" + Numbers(20) + ")");
    q->Open();
    std::vector<Int64> seen;
    for (; !q->Eof(); q->Next()) seen.push_back(static_cast<TLargeintField*>(q->FieldByName("r"))->AsLargeInt());
    ASSERT_EQ(seen.size(), 20u);
    q->Last();
    for (int i = 19; i >= 0; --i, q->Prior()) {
        EXPECT_EQ(X(*q), i + 1);
        EXPECT_EQ(static_cast<TLargeintField*>(q->FieldByName("r"))->AsLargeInt(), seen[size_t(i)]);
    }
    EXPECT_TRUE(q->Bof());
    EXPECT_EQ(X(*q), 1);
}

TEST_F(SqlTest, LastReadsOnToTheEnd) {
    auto q = Query(Numbers(1000));
    q->Open();
    q->Last();
    EXPECT_EQ(X(*q), 1000);
    EXPECT_EQ(q->RecNo(), 1000);
    EXPECT_TRUE(q->Eof());
    q->Prior();
    EXPECT_EQ(X(*q), 999);

    auto none = Query("SELECT 1 AS x WHERE 0");
    none->Open();
    none->Last();
    EXPECT_TRUE(none->IsEmpty());
    EXPECT_TRUE(none->Bof());
    EXPECT_TRUE(none->Eof());
    EXPECT_EQ(none->RecNo(), 0);
    EXPECT_EQ(none->RecordCount(), 0);
}

TEST_F(SqlTest, RecordCountIsExactWhereverTheCursorStands) {
    Exec("CREATE TABLE t (a INTEGER, b TEXT)");
    for (bool uniDirectional : {false, true}) {
        SCOPED_TRACE(uniDirectional);
        auto q = Query(Numbers(500) + ";");
        q->SetUniDirectional(uniDirectional);
        q->Open();
        q->Next();
        q->Next();
        EXPECT_EQ(q->RecordCount(), 500);
        EXPECT_EQ(X(*q), 3);
        Integer walked = 1;
        for (q->Next(); !q->Eof(); q->Next()) ++walked;
        EXPECT_EQ(walked + 2, 500);
        // A statement SQLite cannot take as a subquery is counted all the same.
        auto pragma = Query("PRAGMA table_info(t)");
        pragma->SetUniDirectional(uniDirectional);
        pragma->Open();
        EXPECT_EQ(pragma->RecordCount(), 2);
        EXPECT_EQ(pragma->FieldByName("name")->AsString(), QStringLiteral("a"));
    }
}

TEST_F(SqlTest, RecordCountNeverRunsAStatementThatChangesDataTwice) {
    Exec("CREATE TABLE log (n INTEGER)");
    auto total = Query("SELECT COUNT(*) AS x FROM log");
    for (bool uniDirectional : {false, true}) {
        SCOPED_TRACE(uniDirectional);
        auto q = Query("INSERT INTO log SELECT x FROM (" + Numbers(50) + ") RETURNING n AS x");
        q->SetUniDirectional(uniDirectional);
        q->Open();
        EXPECT_EQ(q->RecordCount(), 50);
        Integer sum = 0;
        for (; !q->Eof(); q->Next()) sum += X(*q);
        EXPECT_EQ(sum, 1275);
        if (uniDirectional) {
            EXPECT_EQ(Message([&] { q->First(); }), "A statement that changes data does not run again");
        }
        total->Open();
        EXPECT_EQ(X(*total), uniDirectional ? 100 : 50);
        total->Close();
    }
}

TEST_F(SqlTest, BookmarksReturnToTheirRecordWhileTheQueryStaysOpen) {
    auto q = Query(Numbers(100));
    q->Open();
    EXPECT_FALSE(q->BookmarkValid(TBookmark{}));
    for (int i = 0; i < 5; ++i) q->Next();
    const TBookmark sixth = q->GetBookmark();
    EXPECT_TRUE(q->BookmarkValid(sixth));
    q->Last();
    q->GotoBookmark(sixth);
    EXPECT_EQ(X(*q), 6);
    EXPECT_EQ(q->RecNo(), 6);
    EXPECT_FALSE(q->Eof());
    q->Next();
    EXPECT_EQ(X(*q), 7);
    q->Close();
    q->Open();
    EXPECT_FALSE(q->BookmarkValid(sixth));
    EXPECT_THROW(q->GotoBookmark(sixth), EDatabaseError);

    // Unidirectional: a record behind the cursor is gone, one ahead is read up to.
    auto u = Query(Numbers(100));
    u->SetUniDirectional(true);
    u->Open();
    for (int i = 0; i < 3; ++i) u->Next();
    const TBookmark fourth = u->GetBookmark();
    u->Next();
    EXPECT_THROW(u->GotoBookmark(fourth), EDatabaseError);
    u->First();
    u->GotoBookmark(fourth);
    EXPECT_EQ(X(*u), 4);
}

TEST_F(SqlTest, MasterDrivenParametersFollowAUniDirectionalMaster) {
    Exec("CREATE TABLE cust (custno INTEGER)");
    Exec("CREATE TABLE orders (custno INTEGER, amount INTEGER)");
    Exec("INSERT INTO cust SELECT x FROM (" + Numbers(50) + ")");
    Exec("INSERT INTO orders SELECT x % 50 + 1, x FROM (" + Numbers(1000) + ")");
    auto master = Query("SELECT custno FROM cust ORDER BY custno");
    master->SetUniDirectional(true);
    auto detail = Query("SELECT amount AS x FROM orders WHERE custno = :CUSTNO");
    TDataSource source(nullptr);
    source.SetDataSet(master.get());
    detail->SetDataSource(&source);
    master->Open();
    detail->Open();
    Integer sum = 0, masters = 0;
    for (; !master->Eof(); master->Next(), ++masters) {
        EXPECT_EQ(detail->RecordCount(), 20);
        for (detail->First(); !detail->Eof(); detail->Next()) {
            EXPECT_EQ(X(*detail) % 50 + 1, master->FieldByName("custno")->AsInteger());
            sum += X(*detail);
        }
    }
    EXPECT_EQ(masters, 50);
    EXPECT_EQ(sum, 500500);
}

TEST_F(SqlTest, UniDirectionalKeepsNoRecordBehindItsCursor) {
    auto q = Query(Numbers(300));
    q->SetUniDirectional(true);
    q->Open();
    EXPECT_THROW(q->SetUniDirectional(false), EDatabaseError);
    q->Next();
    EXPECT_THROW(q->Prior(), EDatabaseError);
    EXPECT_EQ(X(*q), 2);
    q->Last();
    EXPECT_EQ(X(*q), 300);
    // First runs the statement again.
    q->First();
    EXPECT_EQ(X(*q), 1);
    EXPECT_EQ(q->RecNo(), 1);
    Integer count = 0;
    for (; !q->Eof(); q->Next()) ++count;
    EXPECT_EQ(count, 300);
}

TEST_F(SqlTest, AQueryClosedMidWalkGivesItsStatementBack) {
    Exec("CREATE TABLE t (x INTEGER)");
    Exec("INSERT INTO t SELECT x FROM (" + Numbers(1000) + ")");
    Exec("CREATE TABLE one (x INTEGER)");
    Exec("INSERT INTO one VALUES (1)");
    // Keeps the connection, with its own statement read to the end.
    auto keeper = Query("SELECT x FROM one");
    keeper->Open();
    keeper->Next();
    ASSERT_TRUE(keeper->Eof());
    auto q = Query("SELECT x FROM t");
    q->Open();
    q->Next();
    // SQLite drops no table while a statement reads.
    EXPECT_NE(Message([&] { Exec("DROP TABLE t"); }).find("locked"), std::string::npos);
    q->Close();
    EXPECT_EQ(Message([&] { Exec("DROP TABLE t"); }), "no error");
    EXPECT_EQ(keeper->Fields(0)->AsInteger(), 1);
}

TEST_F(SqlTest, TheConnectionClosesWithTheLastDataSetOfItsDatabase) {
    Exec("CREATE TABLE t (x INTEGER)");
    Exec("INSERT INTO t SELECT x FROM (" + Numbers(100) + ")");
    EXPECT_EQ(OpenHandles(Database()), 0);
    auto a = Query("SELECT x FROM t");
    auto b = Query("SELECT x FROM t");
    a->Open();
    b->Open();
    EXPECT_EQ(OpenHandles(Database()), 1);
    a->Close();
    // Not under a data set still open.
    EXPECT_EQ(OpenHandles(Database()), 1);
    for (; !b->Eof(); b->Next()) {
    }
    EXPECT_EQ(X(*b), 100);
    b->Close();
    EXPECT_EQ(OpenHandles(Database()), 0);
}

TEST_F(SqlTest, AnOpenTransactionKeepsItsConnection) {
    Exec("CREATE TABLE t (x INTEGER)");
    Exec("BEGIN");
    Exec("INSERT INTO t VALUES (1)");
    Exec("ROLLBACK");
    Exec("BEGIN");
    Exec("INSERT INTO t VALUES (2)");
    Exec("COMMIT");
    auto q = Query("SELECT x FROM t");
    q->Open();
    EXPECT_EQ(q->RecordCount(), 1);
    EXPECT_EQ(X(*q), 2);
}

TEST_F(SqlTest, ADatabaseFileReplacedOnDiskIsOpenedAfresh) {
    Exec("CREATE TABLE t (v TEXT)");
    Exec("INSERT INTO t VALUES ('old'), ('old'), ('old')");
    auto q = Query("SELECT v FROM t");
    q->Open();
    EXPECT_EQ(q->Fields(0)->AsString(), QStringLiteral("old"));
    q->Close();
    auto kept = Query("SELECT v FROM t");
    kept->Open();

    ASSERT_TRUE(QFile::remove(Database()));
    Exec("CREATE TABLE t (v TEXT)");
    Exec("INSERT INTO t VALUES ('new')");
    q->Open();
    EXPECT_EQ(q->RecordCount(), 1);
    EXPECT_EQ(q->Fields(0)->AsString(), QStringLiteral("new"));
    // A data set open on the old file reads on in it.
    kept->Next();
    EXPECT_EQ(kept->Fields(0)->AsString(), QStringLiteral("old"));
    EXPECT_EQ(kept->RecordCount(), 3);
}

}  // namespace
