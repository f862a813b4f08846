#include "SampleSalesData.h"

#include "DBTables.h"

#include <QtCore/QFile>
#include <QtCore/QProcess>

#include <gtest/gtest.h>

#include <random>

const char* const kSampleOrdersSql =
    "SELECT o.id AS ID, c.country AS COUNTRY, c.name AS CUSTOMER, o.order_date AS ORDERDATE, "
    "(SELECT SUM(l.qty * l.price) FROM lines l WHERE l.order_id = o.id) AS AMOUNT "
    "FROM orders o JOIN customers c ON c.id = o.customer_id ORDER BY c.country, c.id, o.id";

const char* const kSampleLinesSql =
    "SELECT line_no AS LINENO, product AS PRODUCT, qty AS QTY, price AS PRICE, qty * price AS AMOUNT "
    "FROM lines WHERE order_id = :ORDERID ORDER BY line_no";

namespace {

const char* const kFamilyNames[] = {"佐藤", "鈴木", "高橋", "田中", "伊藤", "渡辺", "山本", "中村", "小林", "加藤"};
const char* const kGivenNames[] = {"太郎", "花子", "健一", "美咲", "翔太", "陽菜", "大輔", "さくら"};
const char* const kCountries[] = {"Japan", "Germany", "Brazil", "Canada"};
const char* const kProducts[] = {"Bolt M6", "Nut M6", "Washer", "ボルト", "ナット", "Hinge", "Bracket", "Spring"};

QString Quote(const QString& text) {
    QString quoted = text;
    quoted.replace(QLatin1Char('\''), QLatin1String("''"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

void Exec(const QString& path, const QString& sql) {
    TQuery query(nullptr);
    query.SetDatabaseName(path);
    query.SQL()->SetText(sql);
    query.ExecSQL();
}

// rng() % n: the engine's raw output is the same on every platform, which
// the standard distributions do not promise.
int Pick(std::mt19937& rng, int n) { return int(rng() % unsigned(n)); }

}  // namespace

int WriteSampleSalesDatabase(const QString& path, unsigned seed, const SampleSalesSize& size) {
    QFile::remove(path);
    std::mt19937 rng(seed);
    Exec(path, QStringLiteral("CREATE TABLE customers (id INTEGER, name VARCHAR(40), country VARCHAR(20))"));
    Exec(path, QStringLiteral("CREATE TABLE orders (id INTEGER, customer_id INTEGER, order_date VARCHAR(10))"));
    Exec(path, QStringLiteral("CREATE TABLE lines (order_id INTEGER, line_no INTEGER, product VARCHAR(20), "
                              "qty INTEGER, price INTEGER)"));
    QStringList customers, orders, lines;
    const int given = int(std::size(kGivenNames));
    const int names = int(std::size(kFamilyNames)) * given;
    const int first = Pick(rng, names);
    int orderId = 100;
    for (int c = 1; c <= size.Customers; ++c) {
        // Stepping by a number prime to the count keeps every name distinct.
        const int n = (first + 7 * c) % names;
        const QString name = QString::fromUtf8(kFamilyNames[n / given]) +
                             QString::fromUtf8(kGivenNames[n % given]);
        const QString country = QString::fromUtf8(kCountries[Pick(rng, int(std::size(kCountries)))]);
        customers << QStringLiteral("(%1, %2, %3)").arg(c).arg(Quote(name), Quote(country));
        const int orderCount = size.MinOrders + Pick(rng, size.MaxOrders - size.MinOrders + 1);
        for (int o = 0; o < orderCount; ++o) {
            orderId += 1 + Pick(rng, 3);
            const QString date = QStringLiteral("2026-%1-%2")
                                     .arg(1 + Pick(rng, 12), 2, 10, QLatin1Char('0'))
                                     .arg(1 + Pick(rng, 28), 2, 10, QLatin1Char('0'));
            orders << QStringLiteral("(%1, %2, %3)").arg(orderId).arg(c).arg(Quote(date));
            const int lineCount = 1 + Pick(rng, size.MaxLines);
            for (int l = 1; l <= lineCount; ++l)
                lines << QStringLiteral("(%1, %2, %3, %4, %5)")
                             .arg(orderId)
                             .arg(l)
                             .arg(Quote(QString::fromUtf8(kProducts[Pick(rng, int(std::size(kProducts)))])))
                             .arg(1 + Pick(rng, 40))
                             .arg(50 * (1 + Pick(rng, 100)));
        }
    }
    Exec(path, QStringLiteral("INSERT INTO customers VALUES ") + customers.join(QLatin1Char(',')));
    Exec(path, QStringLiteral("INSERT INTO orders VALUES ") + orders.join(QLatin1Char(',')));
    Exec(path, QStringLiteral("INSERT INTO lines VALUES ") + lines.join(QLatin1Char(',')));
    return int(lines.size());
}

std::vector<QStringList> Sqlite3Rows(const QString& path, const QString& sql) {
    QProcess tool;
    tool.start(QStringLiteral("sqlite3"), {QStringLiteral("-batch"), QStringLiteral("-readonly"), path, sql});
    const bool finished = tool.waitForFinished(60000);
    EXPECT_TRUE(finished && tool.exitStatus() == QProcess::NormalExit && tool.exitCode() == 0)
        << "sqlite3 failed: " << tool.readAllStandardError().toStdString();
    std::vector<QStringList> rows;
    const QStringList output = QString::fromUtf8(tool.readAllStandardOutput()).split(QLatin1Char('\n'));
    for (const QString& line : output)
        if (!line.isEmpty())
            rows.push_back(line.split(QLatin1Char('|')));
    return rows;
}
