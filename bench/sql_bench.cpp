// A query over a SQLite table opened and walked to the end, reading every
// field of every record, against the same walk with Qt SQL's own forward
// query in the same run. Prints rows per second of both and their ratio.
#include "DBTables.h"

#include <QtCore/QCoreApplication>
#include <QtCore/QTemporaryDir>
#include <QtSql/QSqlDatabase>
#include <QtSql/QSqlQuery>

#include <algorithm>
#include <chrono>
#include <cstdio>

namespace {

const char* const kSelect = "SELECT id, name, amount, day, flag FROM sales";

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

using Clock = std::chrono::steady_clock;

// The walk through our query: open, then every field of every record.
double Ours(const QString& path, double& check) {
    const auto start = Clock::now();
    TQuery q(nullptr);
    q.SetDatabaseName(path);
    q.SQL()->SetText(kSelect);
    q.Open();
    TField* id = q.Fields(0);
    TField* name = q.Fields(1);
    TField* amount = q.Fields(2);
    TField* day = q.Fields(3);
    TField* flag = q.Fields(4);
    for (q.First(); !q.Eof(); q.Next())
        check += id->AsInteger() + name->AsString().size() + amount->AsFloat() + day->AsDateTime() +
                 (flag->AsBoolean() ? 1 : 0);
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// The same walk through Qt SQL alone: values as the driver gives them.
double Peer(const QString& path, double& check) {
    const auto start = Clock::now();
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("peer"));
        db.setDatabaseName(path);
        db.open();
        QSqlQuery q(db);
        q.setForwardOnly(true);
        q.exec(QString::fromLatin1(kSelect));
        while (q.next())
            check += q.value(0).toLongLong() + q.value(1).toString().size() + q.value(2).toDouble() +
                     q.value(3).toDate().toJulianDay() + (q.value(4).toLongLong() ? 1 : 0);
    }
    QSqlDatabase::removeDatabase(QStringLiteral("peer"));
    return std::chrono::duration<double>(Clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bench.db"));
    for (int rows : {1000, 10000, 100000, 1000000}) {
        Fill(path, rows);
        double ours = 1e30, peer = 1e30, checkOurs = 0, checkPeer = 0;
        for (int run = 0; run < 3; ++run) {
            ours = std::min(ours, Ours(path, checkOurs));
            peer = std::min(peer, Peer(path, checkPeer));
        }
        std::printf("%8d rows: TQuery open+walk %10.0f rows/s, QSqlQuery walk %10.0f rows/s\n", rows,
                    rows / ours, rows / peer);
        std::printf("%8d rows: time ratio (TQuery / QSqlQuery) %.2f\n", rows, ours / peer);
    }
    return 0;
}
