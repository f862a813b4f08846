// A query over a SQLite file opened and walked to the end, reading every
// field of every record, against the same walk through Qt SQL's own
// forward-only query, in turns (BenchSupport.h); both must compute the same
// sums. Prints one line per comparison, its last figure the ratio of
// processor times ours / Qt SQL, and how the times grow with the rows.
#include "BenchSupport.h"
#include "DBTables.h"

#include <QtCore/QCoreApplication>
#include <QtCore/QDate>
#include <QtCore/QTemporaryDir>
#include <QtSql/QSqlDatabase>
#include <QtSql/QSqlQuery>

#include <functional>
#include <string>

namespace {

const char* const kSelect = "SELECT id, name, amount, day, flag FROM sales";
constexpr int kRounds = 7;
// Julian day number of 1899-12-30, the day the framework's dates count from.
constexpr Int64 kJulianDayOfZero = 2415019;

void Fill(const QString& path, int rows) {
    TQuery q(nullptr);
    q.SetDatabaseName(path);
    q.SQL()->SetText("DROP TABLE IF EXISTS sales");
    q.ExecSQL();
    q.SQL()->SetText("CREATE TABLE sales (id INTEGER, name VARCHAR(20), amount MONEY, day DATE, flag BOOLEAN)");
    q.ExecSQL();
    q.SQL()->SetText(QStringLiteral(
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
        "INSERT INTO sales SELECT i, 'item' || (i % 1000), (i % 977) * 12.5, "
        "date('2020-01-01', '+' || (i % 1500) || ' days'), i % 2 FROM n").arg(rows));
    q.ExecSQL();
}

// What both walks add up; equal sums show both read the same values.
struct Sums {
    Int64 Ids = 0, Chars = 0, Days = 0, Flags = 0;
    double Amount = 0;
    bool operator==(const Sums&) const = default;
    std::string Text() const {
        return bench::Format("ids %lld, characters %lld, days %lld, flags %lld, amount %.2f", (long long)Ids,
                             (long long)Chars, (long long)Days, (long long)Flags, Amount);
    }
};

using Walk = std::function<Sums(const QString&)>;

// The walk through our query: open, then every field of every record.
Sums Ours(const QString& path, bool uniDirectional) {
    TQuery q(nullptr);
    q.SetDatabaseName(path);
    q.SetUniDirectional(uniDirectional);
    q.SQL()->SetText(kSelect);
    q.Open();
    const TField* id = q.Fields(0);
    const TField* name = q.Fields(1);
    const TField* amount = q.Fields(2);
    const TField* day = q.Fields(3);
    const TField* flag = q.Fields(4);
    Sums s;
    for (q.First(); !q.Eof(); q.Next()) {
        s.Ids += id->AsInteger();
        s.Chars += name->AsString().size();
        s.Amount += amount->AsFloat();
        s.Days += Int64(day->AsDateTime()) + kJulianDayOfZero;
        s.Flags += flag->AsBoolean() ? 1 : 0;
    }
    return s;
}

// The same walk through Qt SQL alone, values converted as Qt converts them.
Sums Peer(const QString& path) {
    Sums s;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("peer"));
        db.setDatabaseName(path);
        db.open();
        QSqlQuery q(db);
        q.setForwardOnly(true);
        q.exec(QString::fromLatin1(kSelect));
        while (q.next()) {
            s.Ids += q.value(0).toLongLong();
            s.Chars += q.value(1).toString().size();
            s.Amount += q.value(2).toDouble();
            s.Days += q.value(3).toDate().toJulianDay();
            s.Flags += q.value(4).toLongLong() != 0 ? 1 : 0;
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("peer"));
    return s;
}

// The best times of both sides, their sums checked equal after every round.
void Compare(const char* label, int rows, const Walk& ours, const QString& path, bench::Growth& growth) {
    const bench::Best best = bench::Compare(
        bench::Format("%d rows, %s", rows, label), [&] { return ours(path); }, [&] { return Peer(path); },
        [](const Sums& o, const Sums& p) { return o == p ? std::string() : o.Text() + " against " + p.Text(); },
        kRounds);
    bench::PrintTimeRatio(bench::Format("%8d rows  %-22s", rows, label), "QSqlQuery", best, kRounds, true,
                          "same sums");
    growth.Add(std::string("ours, ") + label, rows, best.Ours.Cpu);
    growth.Add(std::string("QSqlQuery beside ") + label, rows, best.Peer.Cpu);
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bench.db"));
    bench::Growth growth;
    for (int rows : {1000, 10000, 100000, 1000000}) {
        Fill(path, rows);
        Compare("TQuery", rows, [](const QString& p) { return Ours(p, false); }, path, growth);
        Compare("TQuery UniDirectional", rows, [](const QString& p) { return Ours(p, true); }, path, growth);
    }
    growth.Print();
    return 0;
}
