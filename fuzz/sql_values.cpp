// Values as SQLite stores them, read by the SQL data sets: any bytes stored
// as binary data and as text in columns of every declared type and in one
// without, read back by a query in both directions. Invariants: a field
// read gives a value or raises the framework's exception; both directions
// read the same; a date read from a DATETIME column lies in the calendar.
#include "FuzzSupport.h"

#include "DBTables.h"

#include <QtCore/QCoreApplication>

#include <vector>

namespace {

const QString kDatabase = QStringLiteral(":memory:");
const char* const kColumns[] = {"i INTEGER", "s SMALLINT", "f REAL", "m MONEY", "b BOOLEAN", "d DATE",
                                "t TIME",    "dt DATETIME", "v VARCHAR(5)", "u"};

void Exec(const QString& sql) {
    TQuery q(nullptr);
    q.SetDatabaseName(kDatabase);
    q.SQL()->SetText(sql);
    q.ExecSQL();
}

// Every field of every record as text, "!" and the message for a refusal.
std::vector<QString> ReadAll(bool uniDirectional) {
    TQuery q(nullptr);
    q.SetDatabaseName(kDatabase);
    q.SetUniDirectional(uniDirectional);
    q.SQL()->SetText(QStringLiteral("SELECT * FROM fuzz ORDER BY rowid"));
    q.Open();
    std::vector<QString> seen;
    for (; !q.Eof(); q.Next())
        for (Integer i = 0; i < q.FieldCount(); ++i) {
            const TField* field = q.Fields(i);
            try {
                seen.push_back(field->AsString());
                if (field->DataType() == ftDateTime && !field->IsNull()) {
                    Word y, m, d;
                    DecodeDate(field->AsDateTime(), y, m, d);
                    FUZZ_CHECK(IsValidDate(y, m, d), "%s", qPrintable(field->AsString()));
                }
            } catch (const Exception& e) {
                seen.push_back(u'!' + e.Message());
            }
        }
    return seen;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    new QCoreApplication(*argc, *argv);
    QStringList columns;
    for (const char* c : kColumns) columns << QLatin1String(c);
    Exec(QStringLiteral("CREATE TABLE fuzz (%1)").arg(columns.join(u',')));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString hex = QString::fromLatin1(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)).toHex());
    QStringList asBlob, asText;
    for (size_t i = 0; i < std::size(kColumns); ++i) {
        asBlob << QStringLiteral("X'%1'").arg(hex);
        asText << QStringLiteral("CAST(X'%1' AS TEXT)").arg(hex);
    }
    Exec(QStringLiteral("DELETE FROM fuzz"));
    Exec(QStringLiteral("INSERT INTO fuzz VALUES (%1), (%2)").arg(asBlob.join(u','), asText.join(u',')));
    const std::vector<QString> both = ReadAll(false);
    FUZZ_CHECK(both == ReadAll(true), "the two directions read differently");
    return 0;
}
