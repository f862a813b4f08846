// Connections, statements and the cursor behind the SQL data sets. Qt SQL
// opens the connections; the statements run on SQLite's own handle, so a
// row is read only as the data set moves and a value is converted only when
// a field reads it (Qt's results turn every column of every row into a
// variant).
#include "DBTablesInternal.h"

#include <QtCore/QCoreApplication>
#include <QtCore/QFile>
#include <QtCore/QLocale>
#include <QtCore/QRegularExpression>
#include <QtSql/QSqlDatabase>
#include <QtSql/QSqlDriver>
#include <QtSql/QSqlError>

#include <sqlite3.h>
#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <map>

// ------------------------------------------------------------ connections

namespace {

const QString kConnectionPrefix = QStringLiteral("velmora-db:");
const QString kMemoryDatabase = QStringLiteral(":memory:");

QString DriverMessage(const QSqlError& error) {
    const QString text = error.databaseText().isEmpty() ? error.driverText() : error.databaseText();
    return text.isEmpty() ? QStringLiteral("Unknown database error") : text;
}

// The file a name leads to now: device and inode, or none.
struct FileIdentity {
    dev_t Device = 0;
    ino_t Inode = 0;
    bool Exists = false;
    bool operator==(const FileIdentity&) const = default;
};

FileIdentity IdentityOf(const QString& path) {
    struct stat st {};
    if (stat(QFile::encodeName(path).constData(), &st) != 0) return {};
    return {st.st_dev, st.st_ino, true};
}

}  // namespace

class TSqlConnection {
public:
    explicit TSqlConnection(const QString& databaseName);
    ~TSqlConnection() { Forget(); }
    TSqlConnection(const TSqlConnection&) = delete;
    TSqlConnection& operator=(const TSqlConnection&) = delete;

    const QString& DatabaseName() const { return databaseName_; }
    sqlite3* Handle() const { return handle_; }
    // True while the name still leads to the file this connection opened.
    bool StillTheFile() const { return IsMemory() || IdentityOf(databaseName_) == identity_; }
    // Closing would lose data: an in-memory database, or a transaction left open.
    bool MustStay() const { return IsMemory() || sqlite3_get_autocommit(handle_) == 0; }

    Integer Users = 0;

private:
    bool IsMemory() const { return databaseName_ == kMemoryDatabase; }
    void Forget();

    QString databaseName_;
    QString qtName_;
    QSqlDatabase db_;
    sqlite3* handle_ = nullptr;
    FileIdentity identity_;
};

namespace {

// The connection in use for each database name. Never destroyed: at exit
// Qt SQL may already be gone; the application's end closes them before.
std::map<QString, std::shared_ptr<TSqlConnection>>& Registry() {
    static auto* registry = new std::map<QString, std::shared_ptr<TSqlConnection>>;
    return *registry;
}

// Connections must close while Qt SQL still stands.
void ForgetConnections() { Registry().clear(); }

std::shared_ptr<TSqlConnection> Acquire(const QString& databaseName) {
    if (databaseName.isEmpty()) throw EDatabaseError(QStringLiteral("No database name given"));
    auto& registry = Registry();
    auto it = registry.find(databaseName);
    if (it != registry.end() && !it->second->StillTheFile()) {
        registry.erase(it);
        it = registry.end();
    }
    if (it == registry.end()) it = registry.emplace(databaseName, std::make_shared<TSqlConnection>(databaseName)).first;
    ++it->second->Users;
    return it->second;
}

void Release(const std::shared_ptr<TSqlConnection>& connection) {
    if (--connection->Users > 0 || connection->MustStay()) return;
    auto& registry = Registry();
    const auto it = registry.find(connection->DatabaseName());
    if (it != registry.end() && it->second == connection) registry.erase(it);
}

}  // namespace

TSqlConnection::TSqlConnection(const QString& databaseName) : databaseName_(databaseName) {
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QSQLITE")))
        throw EDatabaseError(QStringLiteral("The SQLite driver of Qt SQL is not installed"));
    static bool cleanupRegistered = false;
    if (!cleanupRegistered) {
        qAddPostRoutine(ForgetConnections);
        cleanupRegistered = true;
    }
    static int serial = 0;
    qtName_ = kConnectionPrefix + databaseName + u'#' + QString::number(++serial);
    db_ = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), qtName_);
    db_.setDatabaseName(databaseName);
    QString message;
    if (!db_.open()) message = DriverMessage(db_.lastError());
    const QVariant handle = db_.driver()->handle();
    if (message.isEmpty() && handle.isValid() && qstrcmp(handle.typeName(), "sqlite3*") == 0)
        handle_ = *static_cast<sqlite3* const*>(handle.constData());
    if (!handle_) {
        Forget();
        throw EDatabaseError(QStringLiteral("Cannot open database '%1': %2")
                                 .arg(databaseName, message.isEmpty() ? QStringLiteral("no SQLite handle") : message));
    }
    if (!IsMemory()) identity_ = IdentityOf(databaseName);
}

void TSqlConnection::Forget() {
    db_.close();
    db_ = QSqlDatabase();
    QSqlDatabase::removeDatabase(qtName_);
}

TConnectionUse::TConnectionUse(const QString& databaseName) : connection_(Acquire(databaseName)) {}

TConnectionUse::~TConnectionUse() { Release(connection_); }

sqlite3* TConnectionUse::Handle() const { return connection_->Handle(); }

// ------------------------------------------------------------ statements

namespace {

[[noreturn]] void RaiseDriverError(sqlite3* db) {
    throw EDatabaseError(QString::fromUtf8(sqlite3_errmsg(db)));
}

}  // namespace

std::unique_ptr<TSqlStatement> TSqlStatement::TryPrepare(sqlite3* db, const QString& sql) {
    const QByteArray text = sql.toUtf8();
    sqlite3_stmt* stmt = nullptr;
    const char* tail = nullptr;
    if (sqlite3_prepare_v2(db, text.constData(), int(text.size()), &stmt, &tail) != SQLITE_OK || !stmt)
        return nullptr;
    std::unique_ptr<TSqlStatement> statement(new TSqlStatement(db, stmt));
    return QByteArray(tail).trimmed().isEmpty() ? std::move(statement) : nullptr;
}

TSqlStatement::TSqlStatement(sqlite3* db, const QString& sql) : db_(db), stmt_(nullptr) {
    const QByteArray text = sql.toUtf8();
    const char* tail = nullptr;
    if (sqlite3_prepare_v2(db, text.constData(), int(text.size()), &stmt_, &tail) != SQLITE_OK) RaiseDriverError(db);
    if (!stmt_) throw EDatabaseError(QStringLiteral("No SQL statement given"));
    if (!QByteArray(tail).trimmed().isEmpty()) {
        sqlite3_finalize(stmt_);
        throw EDatabaseError(QStringLiteral("Unable to execute multiple statements at a time"));
    }
}

TSqlStatement::~TSqlStatement() { sqlite3_finalize(stmt_); }

bool TSqlStatement::ReadOnly() const { return sqlite3_stmt_readonly(stmt_) != 0; }

void TSqlStatement::Bind(const std::vector<TFieldValue>& values) {
    for (size_t i = 0; i < values.size(); ++i) {
        const int at = int(i) + 1;
        const TFieldValue& v = values[i];
        int rc = SQLITE_OK;
        if (const Int64* n = std::get_if<Int64>(&v)) rc = sqlite3_bind_int64(stmt_, at, *n);
        else if (const double* d = std::get_if<double>(&v)) rc = sqlite3_bind_double(stmt_, at, *d);
        else if (const bool* b = std::get_if<bool>(&v)) rc = sqlite3_bind_int64(stmt_, at, *b ? 1 : 0);
        else if (const QString* s = std::get_if<QString>(&v)) {
            const QByteArray utf8 = s->toUtf8();
            rc = sqlite3_bind_text(stmt_, at, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
        } else rc = sqlite3_bind_null(stmt_, at);
        if (rc != SQLITE_OK) RaiseDriverError(db_);
    }
}

bool TSqlStatement::Step() {
    const int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW) return true;
    const QString message = QString::fromUtf8(sqlite3_errmsg(db_));
    sqlite3_reset(stmt_);
    if (rc == SQLITE_DONE) return false;
    throw EDatabaseError(message);
}

void TSqlStatement::Reset() { sqlite3_reset(stmt_); }

// ------------------------------------------------------------ packed rows

namespace {

constexpr size_t kChunkBytes = 64 * 1024;

enum CellTag : char { kNull, kInteger, kFloat, kText };

struct CellValue {
    CellTag Tag = kNull;
    Int64 Integer = 0;
    double Float = 0;
    const char* Text = nullptr;
    uint32_t Bytes = 0;
};

template <class T> T ReadRaw(const char* p) {
    T v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

template <class T> void WriteRaw(std::string& row, T v) {
    row.append(reinterpret_cast<const char*>(&v), sizeof v);
}

CellValue Decode(const char* p) {
    CellValue v;
    v.Tag = CellTag(*p++);
    if (v.Tag == kInteger) v.Integer = ReadRaw<Int64>(p);
    else if (v.Tag == kFloat) v.Float = ReadRaw<double>(p);
    else if (v.Tag == kText) {
        v.Bytes = ReadRaw<uint32_t>(p);
        v.Text = p + sizeof(uint32_t);
    }
    return v;
}

const char* SkipCell(const char* p) {
    switch (CellTag(*p)) {
    case kInteger:
    case kFloat: return p + 1 + 8;
    case kText: return p + 1 + sizeof(uint32_t) + ReadRaw<uint32_t>(p + 1);
    case kNull: break;
    }
    return p + 1;
}

void PackCell(sqlite3_stmt* stmt, int column, std::string& row) {
    switch (sqlite3_column_type(stmt, column)) {
    case SQLITE_NULL: row += char(kNull); return;
    case SQLITE_INTEGER:
        row += char(kInteger);
        WriteRaw<Int64>(row, sqlite3_column_int64(stmt, column));
        return;
    case SQLITE_FLOAT:
        row += char(kFloat);
        WriteRaw<double>(row, sqlite3_column_double(stmt, column));
        return;
    default: {  // text, and binary data taken as text
        const auto* text = static_cast<const char*>(sqlite3_column_blob(stmt, column));
        const auto bytes = uint32_t(sqlite3_column_bytes(stmt, column));
        row += char(kText);
        WriteRaw<uint32_t>(row, bytes);
        row.append(text ? text : "", bytes);
    }
    }
}

}  // namespace

void TRowStore::Append(const std::string& row) {
    if (chunks_.empty() || chunks_.back().Bytes.size() + row.size() > chunks_.back().Bytes.capacity()) {
        Chunk& chunk = chunks_.emplace_back();
        chunk.Bytes.reserve(std::max(kChunkBytes, row.size()));
        chunk.First = end_;
    }
    Chunk& chunk = chunks_.back();
    chunk.Starts.push_back(uint32_t(chunk.Bytes.size()));
    chunk.Bytes.insert(chunk.Bytes.end(), row.begin(), row.end());
    ++end_;
}

const char* TRowStore::Row(Integer record) const {
    if (record < first_ || record >= end_) return nullptr;
    auto chunk = std::prev(chunks_.end());
    if (record < chunk->First)
        chunk = std::prev(std::upper_bound(chunks_.begin(), chunks_.end(), record,
                                           [](Integer r, const Chunk& c) { return r < c.First; }));
    return chunk->Bytes.data() + chunk->Starts[size_t(record - chunk->First)];
}

void TRowStore::DropBefore(Integer record) {
    first_ = std::max(first_, std::min(record, end_));
    while (chunks_.size() > 1 && chunks_[1].First <= first_) chunks_.pop_front();
}

void TRowStore::Clear() {
    chunks_.clear();
    first_ = end_ = 0;
}

// ------------------------------------------------------------ column types and values

namespace {

constexpr double kJulianDayOfZero = 2415018.5;  // 1899-12-30 00:00
constexpr double kFirstDay = -693593;          // 0001-01-01
constexpr double kDayAfterLast = 2958466;      // 10000-01-01

bool FitsIntegerType(TFieldType t, Int64 v) {
    switch (t) {
    case ftSmallint: return v >= std::numeric_limits<SmallInt>::min() && v <= std::numeric_limits<SmallInt>::max();
    case ftWord: return v >= 0 && v <= std::numeric_limits<Word>::max();
    case ftInteger: return v >= std::numeric_limits<Integer>::min() && v <= std::numeric_limits<Integer>::max();
    default: return true;
    }
}

// The field type of a declared column type, by the words SQL uses for it;
// ftUnknown when the declaration says nothing (SQLite's untyped columns),
// nullopt for binary data, which no field class holds.
std::optional<TFieldType> TypeOfDeclaration(const QString& declared, Integer& size) {
    const QString t = declared.toUpper();
    const auto has = [&t](const char* word) { return t.contains(QLatin1String(word)); };
    size = 0;
    if (has("BLOB") || has("BINARY") || has("BYTEA")) return std::nullopt;
    if (has("TIMESTAMP")) return ftTimeStamp;
    if (has("DATETIME")) return ftDateTime;
    if (has("DATE")) return ftDate;
    if (has("TIME")) return ftTime;
    if (has("BOOL")) return ftBoolean;
    if (has("CHAR") || has("TEXT") || has("CLOB") || has("STRING")) {
        static const QRegularExpression length(QStringLiteral(R"(\(\s*(\d+)\s*\))"));
        const QRegularExpressionMatch m = length.match(t);
        if (m.hasMatch()) size = Integer(std::min<qulonglong>(m.captured(1).toULongLong(), 1u << 30));
        return ftString;
    }
    if (has("SMALLINT") || has("TINYINT")) return ftSmallint;
    if (has("BIGINT") || has("INT8") || has("LARGEINT")) return ftLargeint;
    if (has("INT")) return ftInteger;
    if (has("MONEY") || has("CURRENCY")) return ftCurrency;
    if (has("NUMERIC") || has("DECIMAL")) return ftBCD;
    if (has("REAL") || has("FLOA") || has("DOUB")) return ftFloat;
    return ftUnknown;
}

std::vector<TSqlColumn> DeclaredColumns(sqlite3_stmt* stmt) {
    std::vector<TSqlColumn> columns;
    for (int i = 0; i < sqlite3_column_count(stmt); ++i) {
        TSqlColumn c;
        c.Name = QString::fromUtf8(sqlite3_column_name(stmt, i)).remove(u'"');
        const QString declared = QString::fromUtf8(sqlite3_column_decltype(stmt, i));
        const std::optional<TFieldType> type = TypeOfDeclaration(declared, c.Size);
        if (!type)
            throw EDatabaseError(QStringLiteral("Field '%1' holds binary data (%2), which no field type holds")
                                     .arg(c.Name, declared));
        c.Type = *type;
        columns.push_back(c);
    }
    return columns;
}

// ------------------------------------------------------------ dates as SQLite keeps them

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v'; }

// Between min and max digits at p, as a number.
bool ReadDigits(const char*& p, const char* end, int min, int max, int& value) {
    const char* start = p;
    value = 0;
    while (p < end && p - start < max && *p >= '0' && *p <= '9') value = value * 10 + (*p++ - '0');
    return p - start >= min;
}

bool Skip(const char*& p, const char* end, char c) {
    if (p == end || *p != c) return false;
    ++p;
    return true;
}

bool ReadDate(const char*& p, const char* end, int& y, int& m, int& d) {
    const char* q = p;
    if (!(ReadDigits(q, end, 4, 4, y) && Skip(q, end, '-') && ReadDigits(q, end, 1, 2, m) && Skip(q, end, '-') &&
          ReadDigits(q, end, 1, 2, d)))
        return false;
    p = q;
    return true;
}

// "HH:MM[:SS[.fff]]"; false when no time starts at p. A part that does
// not complete the time is left unread.
bool ReadTime(const char*& p, const char* end, int& h, int& mi, int& s, int& ms) {
    const char* q = p;
    if (!(ReadDigits(q, end, 1, 2, h) && Skip(q, end, ':') && ReadDigits(q, end, 2, 2, mi))) return false;
    s = ms = 0;
    const char* seconds = q;
    if (Skip(q, end, ':') && ReadDigits(q, end, 2, 2, s)) {
        const char* fraction = q;
        int digits = 0;
        if (Skip(q, end, '.')) {
            for (; q < end && *q >= '0' && *q <= '9'; ++q, ++digits)
                if (digits < 3) ms = ms * 10 + (*q - '0');
            if (digits == 0) q = fraction;
            for (; digits > 0 && digits < 3; ++digits) ms *= 10;
        }
    } else {
        q = seconds;
    }
    p = q;
    return true;
}

// "YYYY-MM-DD", "YYYY-MM-DD HH:MM[:SS[.fff]]" (or with "T"), "HH:MM[:SS[.fff]]".
std::optional<TDateTime> ParseIsoDateTime(const char* p, const char* end) {
    while (p < end && IsBlank(*p)) ++p;
    while (end > p && IsBlank(end[-1])) --end;
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0, ms = 0;
    const bool hasDate = ReadDate(p, end, y, mo, d);
    if (p < end && (*p == 'T' || *p == ' ')) ++p;
    const bool hasTime = ReadTime(p, end, h, mi, s, ms);
    if (p != end || (!hasDate && !hasTime)) return std::nullopt;
    TDateTime date = 0, time = 0;
    if (hasDate && !TryEncodeDate(Word(y), Word(mo), Word(d), date)) return std::nullopt;
    if (hasTime && !TryEncodeTime(Word(h), Word(mi), Word(s), Word(ms), time)) return std::nullopt;
    return date >= 0 ? date + time : date - time;
}

// ------------------------------------------------------------ converting a value for its field

QString TextOf(const CellValue& v) {
    switch (v.Tag) {
    case kInteger: return QString::number(v.Integer);
    case kFloat: return QString::number(v.Float, 'g', QLocale::FloatingPointShortest);
    case kText: return QString::fromUtf8(v.Text, qsizetype(v.Bytes));
    case kNull: break;
    }
    return QString();
}

QByteArray TrimmedText(const CellValue& v) { return QByteArray(v.Text, qsizetype(v.Bytes)).trimmed(); }

[[noreturn]] void BadValue(const TSqlColumn& c, const CellValue& v, const char* kind) {
    throw EDatabaseError(QStringLiteral("Field '%1': '%2' is not a valid %3 value")
                             .arg(c.Name, TextOf(v), QLatin1String(kind)));
}

TFieldValue IntegerValue(const TSqlColumn& c, const CellValue& v) {
    Int64 i = v.Integer;
    bool ok = v.Tag == kInteger;
    if (v.Tag == kFloat && std::trunc(v.Float) == v.Float && std::abs(v.Float) < 9.2e18) {
        i = Int64(v.Float);
        ok = true;
    } else if (v.Tag == kText) {
        i = TrimmedText(v).toLongLong(&ok);
    }
    if (!ok) BadValue(c, v, "integer");
    if (!FitsIntegerType(c.Type, i))
        throw EDatabaseError(QStringLiteral("Field '%1': %2 is out of the field's range").arg(c.Name).arg(i));
    return i;
}

TFieldValue FloatValue(const TSqlColumn& c, const CellValue& v) {
    if (v.Tag == kInteger) return double(v.Integer);
    if (v.Tag == kFloat) return v.Float;
    bool ok = false;
    const double d = TrimmedText(v).toDouble(&ok);
    if (!ok) BadValue(c, v, "float");
    return d;
}

TFieldValue BooleanValue(const TSqlColumn& c, const CellValue& v) {
    if (v.Tag == kInteger) return v.Integer != 0;
    if (v.Tag == kFloat) return v.Float != 0;
    const QByteArray s = TrimmedText(v);
    if (s == "1" || s == "0") return s == "1";
    try {
        return ParseBoolean(QString::fromUtf8(s));
    } catch (const EConvertError&) {
        BadValue(c, v, "boolean");
    }
}

// Text in ISO form, or a number: a Julian day, as SQLite's date functions
// compute it (a whole day may come back stored as an integer). A day
// outside the years 1 to 9999 is no date.
TFieldValue DateValue(const TSqlColumn& c, const CellValue& v) {
    if (v.Tag == kInteger || v.Tag == kFloat) {
        const double days = (v.Tag == kInteger ? double(v.Integer) : v.Float) - kJulianDayOfZero;
        if (!(days >= kFirstDay && days < kDayAfterLast)) BadValue(c, v, "date and time");
        return days;
    }
    const std::optional<TDateTime> d = ParseIsoDateTime(v.Text, v.Text + v.Bytes);
    if (!d) BadValue(c, v, "date and time");
    return *d;
}

TFieldValue ConvertCell(const TSqlColumn& c, const char* cell) {
    const CellValue v = Decode(cell);
    if (v.Tag == kNull) return std::monostate{};
    if (IsIntegerType(c.Type)) return IntegerValue(c, v);
    if (IsFloatType(c.Type)) return FloatValue(c, v);
    if (IsDateType(c.Type)) return DateValue(c, v);
    if (c.Type == ftBoolean) return BooleanValue(c, v);
    return TextOf(v);
}

// SQLite does not hold a column to its declared width: a first value
// outside the field's range widens the field rather than being cut.
void WidenIntegerColumn(TSqlColumn& c, Int64 v) {
    if ((c.Type == ftWord || c.Type == ftSmallint) && !FitsIntegerType(c.Type, v)) c.Type = ftInteger;
    if (c.Type == ftInteger && !FitsIntegerType(c.Type, v)) c.Type = ftLargeint;
}

QString WithoutTrailingSemicolons(QString sql) {
    sql = sql.trimmed();
    while (sql.endsWith(u';')) sql = sql.chopped(1).trimmed();
    return sql;
}

}  // namespace

// ------------------------------------------------------------ TSqlCursor

TSqlCursor::TSqlCursor(const QString& databaseName, const QString& sql, std::vector<TFieldValue> bindings,
                       bool uniDirectional)
    : use_(databaseName), sql_(sql), bindings_(std::move(bindings)), uniDirectional_(uniDirectional),
      statement_(use_.Handle(), sql), readOnly_(statement_.ReadOnly()) {
    // Checked before the statement runs: a statement that changes data does not run for nothing.
    if (sqlite3_column_count(statement_.Handle()) == 0)
        throw EDatabaseError(QStringLiteral("The statement returns no records"));
    statement_.Bind(bindings_);
    columns_ = DeclaredColumns(statement_.Handle());
    cellAt_.resize(columns_.size());
    valueOf_.assign(columns_.size(), -1);
    values_.resize(columns_.size());
    Fetch();
    SettleColumns();
}

TSqlCursor::~TSqlCursor() = default;

// Columns without a declared type take theirs from the first row: a large
// integer, a float, or else (also for a null, or no row) a string.
void TSqlCursor::SettleColumns() {
    for (size_t i = 0; i < columns_.size(); ++i) {
        TSqlColumn& c = columns_[i];
        const char* cell = Cell(0, Integer(i));
        const CellValue first = cell ? Decode(cell) : CellValue();
        if (c.Type == ftUnknown)
            c.Type = first.Tag == kInteger ? ftLargeint : first.Tag == kFloat ? ftFloat : ftString;
        if (IsIntegerType(c.Type) && first.Tag == kInteger) WidenIntegerColumn(c, first.Integer);
    }
}

bool TSqlCursor::Fetch() {
    if (!error_.isEmpty()) throw EDatabaseError(error_);
    if (done_) return false;
    try {
        if (!statement_.Step()) {
            done_ = true;
            return false;
        }
    } catch (const EDatabaseError& e) {
        error_ = e.Message();
        throw;
    }
    row_.clear();
    for (int i = 0; i < int(columns_.size()); ++i) PackCell(statement_.Handle(), i, row_);
    rows_.Append(row_);
    return true;
}

void TSqlCursor::Rerun() {
    if (!readOnly_)
        throw EDatabaseError(QStringLiteral("A statement that changes data does not run again"));
    statement_.Reset();
    rows_.Clear();
    done_ = false;
    error_.clear();
    count_.reset();
    cellsOf_ = -1;
    std::fill(valueOf_.begin(), valueOf_.end(), -1);
}

bool TSqlCursor::Get(Integer record) {
    if (record < rows_.First()) {
        if (record != 0) throw EDatabaseError(QStringLiteral("A unidirectional data set cannot move back"));
        Rerun();
    }
    while (record >= rows_.End()) {
        if (uniDirectional_) rows_.DropBefore(rows_.End() - 1);
        if (!Fetch()) return false;
    }
    if (uniDirectional_) rows_.DropBefore(record);
    return true;
}

Integer TSqlCursor::Last() {
    do {
        if (uniDirectional_) rows_.DropBefore(rows_.End() - 1);
    } while (Fetch());
    return rows_.End() - 1;
}

// Bidirectional, the rows are kept anyway: the count reads on. Unidirectional,
// SQLite counts a read-only statement separately; one that changes data
// never runs twice, so the cursor reads on, keeping the rows ahead of it.
Integer TSqlCursor::Count() {
    if (!done_ && !count_) {
        if (uniDirectional_ && readOnly_) {
            count_ = CountSeparately();
        } else {
            while (Fetch()) {
            }
        }
    }
    return done_ ? rows_.End() : *count_;
}

Integer TSqlCursor::CountSeparately() const {
    const std::unique_ptr<TSqlStatement> count = TSqlStatement::TryPrepare(
        use_.Handle(), QStringLiteral("SELECT count(*) FROM (\n%1\n)").arg(WithoutTrailingSemicolons(sql_)));
    if (count) {
        count->Bind(bindings_);
        count->Step();
        return Integer(sqlite3_column_int64(count->Handle(), 0));
    }
    // A statement SQLite does not take as a subquery runs once more on its own.
    TSqlStatement again(use_.Handle(), sql_);
    again.Bind(bindings_);
    Integer n = 0;
    while (again.Step()) ++n;
    return n;
}

const char* TSqlCursor::Cell(Integer record, Integer column) {
    if (record < rows_.First() || record >= rows_.End()) return nullptr;
    if (cellsOf_ != record) {
        const char* p = rows_.Row(record);
        for (const char*& at : cellAt_) {
            at = p;
            p = SkipCell(p);
        }
        cellsOf_ = record;
    }
    return cellAt_[size_t(column)];
}

const TFieldValue& TSqlCursor::Value(Integer record, Integer column) {
    const size_t c = size_t(column);
    if (valueOf_[c] != record) {
        const char* cell = Cell(record, column);
        values_[c] = cell ? ConvertCell(columns_[c], cell) : TFieldValue();
        valueOf_[c] = record;
    }
    return values_[c];
}
