#include "DBTables.h"

#include <QtCore/QCoreApplication>
#include <QtCore/QRegularExpression>
#include <QtSql/QSqlDatabase>
#include <QtSql/QSqlError>
#include <QtSql/QSqlQuery>
#include <QtSql/QSqlRecord>
#include <QtSql/QSqlResult>

#include <sqlite3.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

namespace {

// ------------------------------------------------------------ connections

const QString kConnectionPrefix = QStringLiteral("velmora-db:");

void RemoveConnections() {
    for (const QString& name : QSqlDatabase::connectionNames())
        if (name.startsWith(kConnectionPrefix)) QSqlDatabase::removeDatabase(name);
}

QString DriverMessage(const QSqlError& error) {
    const QString text = error.databaseText().isEmpty() ? error.driverText() : error.databaseText();
    return text.isEmpty() ? QStringLiteral("Unknown database error") : text;
}

// The connection every data set naming the database shares, opened once.
QSqlDatabase Connection(const QString& databaseName) {
    if (databaseName.isEmpty()) throw EDatabaseError(QStringLiteral("No database name given"));
    const QString name = kConnectionPrefix + databaseName;
    if (QSqlDatabase::contains(name)) return QSqlDatabase::database(name);
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QSQLITE")))
        throw EDatabaseError(QStringLiteral("The SQLite driver of Qt SQL is not installed"));
    static bool cleanupRegistered = false;
    if (!cleanupRegistered) {
        qAddPostRoutine(RemoveConnections);
        cleanupRegistered = true;
    }
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
    db.setDatabaseName(databaseName);
    if (!db.open()) {
        const QString message = DriverMessage(db.lastError());
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(name);
        throw EDatabaseError(QStringLiteral("Cannot open database '%1': %2").arg(databaseName, message));
    }
    return db;
}

[[noreturn]] void RaiseStatementError(const QSqlQuery& query) {
    throw EDatabaseError(DriverMessage(query.lastError()));
}

// ------------------------------------------------------------ dates as SQLite keeps them

constexpr double kJulianDayOfZero = 2415018.5;  // 1899-12-30 00:00

TDateTime Compose(TDateTime date, TDateTime time) {
    return date >= 0 ? date + time : date - time;
}

Word Milliseconds(const QString& fraction) {
    return fraction.isEmpty() ? 0 : Word(fraction.left(3).leftJustified(3, u'0').toUInt());
}

// "YYYY-MM-DD", "YYYY-MM-DD HH:MM[:SS[.fff]]" (or with "T"), "HH:MM[:SS[.fff]]".
std::optional<TDateTime> ParseIsoDateTime(const QString& text) {
    static const QRegularExpression pattern(QStringLiteral(
        R"(^\s*(?:(\d{4})-(\d{1,2})-(\d{1,2}))?[T ]?(?:(\d{1,2}):(\d{2})(?::(\d{2})(?:\.(\d+))?)?)?\s*$)"));
    const QRegularExpressionMatch m = pattern.match(text);
    const bool hasDate = m.hasMatch() && !m.captured(1).isEmpty();
    const bool hasTime = m.hasMatch() && !m.captured(4).isEmpty();
    if (!hasDate && !hasTime) return std::nullopt;
    TDateTime date = 0, time = 0;
    if (hasDate && !TryEncodeDate(Word(m.captured(1).toUInt()), Word(m.captured(2).toUInt()),
                                  Word(m.captured(3).toUInt()), date))
        return std::nullopt;
    if (hasTime && !TryEncodeTime(Word(m.captured(4).toUInt()), Word(m.captured(5).toUInt()),
                                  Word(m.captured(6).toUInt()), Milliseconds(m.captured(7)), time))
        return std::nullopt;
    return Compose(date, time);
}

QString IsoText(TDateTime value, TFieldType type) {
    Word y, mo, d, h, mi, s, ms;
    DecodeDate(value, y, mo, d);
    DecodeTime(value, h, mi, s, ms);
    const QString date = QStringLiteral("%1-%2-%3").arg(y, 4, 10, QChar(u'0')).arg(mo, 2, 10, QChar(u'0'))
                             .arg(d, 2, 10, QChar(u'0'));
    QString time = QStringLiteral("%1:%2:%3").arg(h, 2, 10, QChar(u'0')).arg(mi, 2, 10, QChar(u'0'))
                       .arg(s, 2, 10, QChar(u'0'));
    if (ms != 0) time += QStringLiteral(".%1").arg(ms, 3, 10, QChar(u'0'));
    if (type == ftDate) return date;
    if (type == ftTime) return time;
    return date + u' ' + time;
}

// ------------------------------------------------------------ column types

bool IsIntegerType(TFieldType t) {
    return t == ftSmallint || t == ftInteger || t == ftWord || t == ftLargeint;
}
bool IsFloatType(TFieldType t) {
    return t == ftFloat || t == ftCurrency || t == ftBCD || t == ftFMTBcd;
}
bool IsDateType(TFieldType t) {
    return t == ftDate || t == ftTime || t == ftDateTime || t == ftTimeStamp;
}

struct Column {
    QString name;
    TFieldType type = ftUnknown;  // ftUnknown: no declared type, taken from the values
    Integer size = 0;
};

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

// The declared types of the result's columns, read from SQLite's statement.
std::vector<Column> ResultColumns(const QSqlQuery& query) {
    const QSqlRecord record = query.record();
    const QVariant handle = query.result()->handle();
    sqlite3_stmt* stmt = nullptr;
    if (handle.isValid() && qstrcmp(handle.typeName(), "sqlite3_stmt*") == 0)
        stmt = *static_cast<sqlite3_stmt* const*>(handle.constData());
    std::vector<Column> columns;
    for (int i = 0; i < record.count(); ++i) {
        Column c;
        c.name = record.fieldName(i);
        const char* declared = stmt ? sqlite3_column_decltype(stmt, i) : nullptr;
        const std::optional<TFieldType> type =
            TypeOfDeclaration(declared ? QString::fromUtf8(declared) : QString(), c.size);
        if (!type)
            throw EDatabaseError(QStringLiteral("Field '%1' holds binary data (%2), which no field type holds")
                                     .arg(c.name, QString::fromUtf8(declared)));
        c.type = *type;
        columns.push_back(c);
    }
    return columns;
}

// ------------------------------------------------------------ values

[[noreturn]] void BadValue(const Column& c, const QVariant& v, const char* kind) {
    throw EDatabaseError(QStringLiteral("Field '%1': '%2' is not a valid %3 value")
                             .arg(c.name, v.toString(), QLatin1String(kind)));
}

TFieldValue IntegerValue(const Column& c, const QVariant& v) {
    bool ok = false;
    if (v.typeId() == QMetaType::Double) {
        const double d = v.toDouble();
        if (std::trunc(d) == d && std::abs(d) < 9.2e18) return Int64(d);
    } else {
        const qlonglong i = v.toLongLong(&ok);
        if (ok) return Int64(i);
    }
    BadValue(c, v, "integer");
}

TFieldValue FloatValue(const Column& c, const QVariant& v) {
    bool ok = false;
    const double d = v.toDouble(&ok);
    if (!ok) BadValue(c, v, "float");
    return d;
}

TFieldValue BooleanValue(const Column& c, const QVariant& v) {
    if (v.typeId() == QMetaType::LongLong || v.typeId() == QMetaType::Double) return v.toDouble() != 0;
    const QString s = v.toString().trimmed();
    if (s == u"1" || s == u"0") return s == u"1";
    try {
        return ParseBoolean(s);
    } catch (const EConvertError&) {
        BadValue(c, v, "boolean");
    }
}

// Text in ISO form, or a number: a Julian day, as SQLite's date functions
// compute it (a whole day may come back stored as an integer).
TFieldValue DateValue(const Column& c, const QVariant& v) {
    if (v.typeId() == QMetaType::LongLong || v.typeId() == QMetaType::Double)
        return v.toDouble() - kJulianDayOfZero;
    const std::optional<TDateTime> d = ParseIsoDateTime(v.toString());
    if (!d) BadValue(c, v, "date and time");
    return *d;
}

TFieldValue TextValue(const QVariant& v) {
    if (v.typeId() == QMetaType::QByteArray) return QString::fromUtf8(v.toByteArray());
    return v.toString();
}

// An untyped column keeps each value as SQLite stored it.
TFieldValue NativeValue(const QVariant& v) {
    if (v.typeId() == QMetaType::LongLong) return Int64(v.toLongLong());
    if (v.typeId() == QMetaType::Double) return v.toDouble();
    return TextValue(v);
}

TFieldValue ConvertValue(const Column& c, const QVariant& v) {
    if (v.isNull()) return std::monostate{};
    if (IsIntegerType(c.type)) return IntegerValue(c, v);
    if (IsFloatType(c.type)) return FloatValue(c, v);
    if (IsDateType(c.type)) return DateValue(c, v);
    if (c.type == ftBoolean) return BooleanValue(c, v);
    if (c.type == ftString) return TextValue(v);
    return NativeValue(v);
}

using Rows = std::vector<std::vector<TFieldValue>>;

// An untyped column becomes a large integer when it holds only integers, a
// float when only numbers, else (also with only nulls) a string, its
// numbers as text.
void SettleUntypedColumn(Column& c, size_t col, Rows& rows) {
    bool any = false, integers = true, numbers = true;
    for (const auto& row : rows) {
        const TFieldValue& v = row[col];
        any = any || !std::holds_alternative<std::monostate>(v);
        if (std::holds_alternative<QString>(v)) integers = numbers = false;
        else if (std::holds_alternative<double>(v)) integers = false;
    }
    if (!any) integers = numbers = false;  // only nulls: text
    c.type = integers ? ftLargeint : numbers ? ftFloat : ftString;
    if (integers) return;
    for (auto& row : rows) {
        TFieldValue& v = row[col];
        if (const Int64* i = std::get_if<Int64>(&v))
            v = numbers ? TFieldValue(double(*i)) : TFieldValue(QString::number(*i));
        else if (const double* d = std::get_if<double>(&v); d && !numbers)
            v = QString::number(*d, 'g', 17);
    }
}

// SQLite does not hold a column to its declared width: a value outside the
// field's range widens the field rather than being cut.
void WidenIntegerColumn(Column& c, size_t col, const Rows& rows) {
    Int64 low = 0, high = 0;
    for (const auto& row : rows)
        if (const Int64* i = std::get_if<Int64>(&row[col])) {
            low = std::min(low, *i);
            high = std::max(high, *i);
        }
    const auto fits = [&](Int64 min, Int64 max) { return low >= min && high <= max; };
    if (c.type == ftWord && !fits(0, std::numeric_limits<Word>::max())) c.type = ftInteger;
    if (c.type == ftSmallint && !fits(std::numeric_limits<SmallInt>::min(), std::numeric_limits<SmallInt>::max()))
        c.type = ftInteger;
    if (c.type == ftInteger && !fits(std::numeric_limits<Integer>::min(), std::numeric_limits<Integer>::max()))
        c.type = ftLargeint;
}

// ------------------------------------------------------------ parameters in SQL text

bool IsNameChar(QChar c) {
    return c.isLetterOrNumber() || c == u'_';
}

// Index just past the quoted text or comment starting at i, or i when none starts there.
qsizetype SkipQuotedOrComment(const QString& sql, qsizetype i) {
    const QChar c = sql[i];
    const auto skipTo = [&](const QString& end, qsizetype from) {
        const qsizetype at = sql.indexOf(end, from);
        return at < 0 ? sql.size() : at + end.size();
    };
    if (c == u'\'' || c == u'"' || c == u'`') {
        qsizetype j = i + 1;
        while (j < sql.size()) {
            if (sql[j] == c && !(j + 1 < sql.size() && sql[j + 1] == c)) return j + 1;
            j += sql[j] == c ? 2 : 1;
        }
        return sql.size();
    }
    if (c == u'[') return skipTo(QStringLiteral("]"), i + 1);
    if (sql.mid(i, 2) == u"--") return skipTo(QStringLiteral("\n"), i + 2);
    if (sql.mid(i, 2) == u"/*") return skipTo(QStringLiteral("*/"), i + 2);
    return i;
}

// The statement with each ":NAME" turned into "?", and the names in order.
QString ReplaceParameters(const QString& sql, QStringList& names) {
    QString out;
    out.reserve(sql.size());
    qsizetype i = 0;
    while (i < sql.size()) {
        const qsizetype skipped = SkipQuotedOrComment(sql, i);
        if (skipped != i) {
            out += QStringView(sql).mid(i, skipped - i);
            i = skipped;
            continue;
        }
        if (sql[i] == u':' && i + 1 < sql.size() && sql[i + 1] == u':') {  // a cast, not a parameter
            out += QStringLiteral("::");
            i += 2;
            continue;
        }
        if (sql[i] == u':' && i + 1 < sql.size() && IsNameChar(sql[i + 1])) {
            qsizetype j = i + 1;
            while (j < sql.size() && IsNameChar(sql[j])) ++j;
            names << sql.mid(i + 1, j - i - 1);
            out += u'?';
            i = j;
            continue;
        }
        out += sql[i++];
    }
    return out;
}

QVariant BindingOf(const TParam& p) {
    const TFieldValue& v = p.Value();
    if (std::holds_alternative<std::monostate>(v)) return QVariant();
    if (IsDateType(p.DataType())) return IsoText(p.AsDateTime(), p.DataType());
    if (const Int64* i = std::get_if<Int64>(&v)) return qlonglong(*i);
    if (const double* d = std::get_if<double>(&v)) return *d;
    if (const bool* b = std::get_if<bool>(&v)) return qlonglong(*b ? 1 : 0);
    return std::get<QString>(v);
}

QString QuotedName(const QString& name) {
    return u'"' + QString(name).replace(u'"', QStringLiteral("\"\"")) + u'"';
}

}  // namespace

// ------------------------------------------------------------ TParam

void TParam::Set(TFieldType type, TFieldValue v) {
    dataType_ = type;
    value_ = std::move(v);
}

void TParam::AssignField(const TField& field) { Set(field.DataType(), field.Value()); }

QString TParam::AsString() const {
    if (const QString* s = std::get_if<QString>(&value_)) return *s;
    if (const Int64* i = std::get_if<Int64>(&value_)) return IntToStr(*i);
    if (const bool* b = std::get_if<bool>(&value_)) return *b ? QStringLiteral("True") : QStringLiteral("False");
    if (const double* d = std::get_if<double>(&value_)) {
        if (dataType_ == ftDate) return DateToStr(*d);
        if (dataType_ == ftTime) return TimeToStr(*d);
        if (IsDateType(dataType_)) return DateTimeToStr(*d);
        return FloatToStr(*d);
    }
    return QString();
}

Int64 TParam::AsLargeInt() const {
    if (const Int64* i = std::get_if<Int64>(&value_)) return *i;
    if (const double* d = std::get_if<double>(&value_)) return Int64(Round(*d));
    if (const bool* b = std::get_if<bool>(&value_)) return *b ? 1 : 0;
    if (const QString* s = std::get_if<QString>(&value_)) return s->isEmpty() ? 0 : StrToInt64(Trim(*s));
    return 0;
}

Integer TParam::AsInteger() const { return Integer(AsLargeInt()); }

double TParam::AsFloat() const {
    if (const double* d = std::get_if<double>(&value_)) return *d;
    if (const QString* s = std::get_if<QString>(&value_)) return s->isEmpty() ? 0.0 : double(StrToFloat(*s));
    return double(AsLargeInt());
}

bool TParam::AsBoolean() const {
    if (const QString* s = std::get_if<QString>(&value_)) return !s->isEmpty() && ParseBoolean(*s);
    if (const double* d = std::get_if<double>(&value_)) return *d != 0;
    return AsLargeInt() != 0;
}

TDateTime TParam::AsDateTime() const {
    if (const QString* s = std::get_if<QString>(&value_)) return s->isEmpty() ? 0.0 : StrToDateTime(*s);
    return AsFloat();
}

void TParam::SetAsString(const QString& v) { Set(ftString, v); }
void TParam::SetAsInteger(Integer v) { Set(ftInteger, Int64(v)); }
void TParam::SetAsSmallInt(Integer v) { Set(ftSmallint, Int64(v)); }
void TParam::SetAsWord(Integer v) { Set(ftWord, Int64(v)); }
void TParam::SetAsLargeInt(Int64 v) { Set(ftLargeint, v); }
void TParam::SetAsFloat(double v) { Set(ftFloat, v); }
void TParam::SetAsCurrency(double v) { Set(ftCurrency, v); }
void TParam::SetAsBCD(double v) { Set(ftBCD, v); }
void TParam::SetAsBoolean(bool v) { Set(ftBoolean, v); }
void TParam::SetAsDateTime(TDateTime v) { Set(ftDateTime, v); }
void TParam::SetAsDate(TDateTime v) { Set(ftDate, v); }
void TParam::SetAsTime(TDateTime v) { Set(ftTime, v); }

// ------------------------------------------------------------ TParams

TParam* TParams::Items(Integer index) const {
    if (index < 0 || index >= Count())
        throw EListError(QStringLiteral("List index out of bounds (%1)").arg(index));
    return items_[size_t(index)].get();
}

TParam* TParams::FindParam(const QString& name) const {
    for (const auto& p : items_)
        if (p->Name().compare(name, Qt::CaseInsensitive) == 0) return p.get();
    return nullptr;
}

TParam* TParams::ParamByName(const QString& name) const {
    TParam* p = FindParam(name);
    if (!p) throw EDatabaseError(QStringLiteral("Parameter '%1' not found").arg(name));
    return p;
}

void TParams::Rebuild(const QStringList& names) {
    std::vector<std::unique_ptr<TParam>> rebuilt;
    for (const QString& name : names) {
        const auto same = [&name](const std::unique_ptr<TParam>& p) {
            return p && p->Name().compare(name, Qt::CaseInsensitive) == 0;
        };
        if (std::any_of(rebuilt.begin(), rebuilt.end(), same)) continue;
        const auto old = std::find_if(items_.begin(), items_.end(), same);
        rebuilt.push_back(old != items_.end() ? std::move(*old) : std::make_unique<TParam>(name));
    }
    items_ = std::move(rebuilt);
}

// ------------------------------------------------------------ TDBDataSet

TDBDataSet::TDBDataSet(TComponent* AOwner) : TDataSet(AOwner) {}

TDBDataSet::~TDBDataSet() = default;

void TDBDataSet::SetDatabaseName(const QString& name) {
    if (Active()) throw EDatabaseError(QStringLiteral("Cannot change the database of an open data set"));
    databaseName_ = name;
}

void TDBDataSet::InternalClose() { rows_.clear(); }

const TFieldValue& TDBDataSet::InternalValue(Integer record, Integer fieldNo) const {
    return rows_[size_t(record)][size_t(fieldNo)];
}

// Never reached: CanModify answers false, so no record is posted or deleted.
Integer TDBDataSet::InternalPost(const std::vector<TFieldValue>&, Integer) {
    throw EDatabaseError(QStringLiteral("Cannot modify a read-only data set"));
}

void TDBDataSet::InternalDelete(Integer) {
    throw EDatabaseError(QStringLiteral("Cannot modify a read-only data set"));
}

void TDBDataSet::LoadRecords(const QString& sql, const std::vector<QVariant>& bindings) {
    QSqlQuery query(Connection(databaseName_));
    query.setForwardOnly(true);
    if (!query.prepare(sql)) RaiseStatementError(query);
    for (const QVariant& v : bindings) query.addBindValue(v);
    if (!query.exec()) RaiseStatementError(query);
    if (!query.isSelect()) throw EDatabaseError(QStringLiteral("The statement returns no records"));
    std::vector<Column> columns = ResultColumns(query);
    Rows rows;
    while (query.next()) {
        std::vector<TFieldValue> row;
        row.reserve(columns.size());
        for (size_t i = 0; i < columns.size(); ++i) row.push_back(ConvertValue(columns[i], query.value(int(i))));
        rows.push_back(std::move(row));
    }
    if (query.lastError().isValid()) RaiseStatementError(query);
    FieldDefs().Clear();
    for (size_t i = 0; i < columns.size(); ++i) {
        Column& c = columns[i];
        if (c.type == ftUnknown) SettleUntypedColumn(c, i, rows);
        if (IsIntegerType(c.type)) WidenIntegerColumn(c, i, rows);
        // A result may repeat a name (a join's two ID columns): the later one is told apart.
        QString name = c.name.isEmpty() ? QStringLiteral("COLUMN%1").arg(i + 1) : c.name;
        for (int n = 1; FieldDefs().IndexOf(name) >= 0; ++n) name = QStringLiteral("%1_%2").arg(c.name).arg(n);
        FieldDefs().Add(name, c.type, c.size);
    }
    rows_ = std::move(rows);
}

// ------------------------------------------------------------ TQuery

TQuery::TQuery(TComponent* AOwner) : TDBDataSet(AOwner), sql_(std::make_unique<TStringList>()) {
    sql_->OnChange = [this](TObject*) { SQLChanged(); };
}

TQuery::~TQuery() {
    sql_->OnChange = nullptr;
    Close();
}

TStrings* TQuery::SQL() const { return sql_.get(); }

void TQuery::SQLChanged() {
    Close();
    paramOrder_.clear();
    statement_ = ReplaceParameters(sql_->Text().trimmed(), paramOrder_);
    params_.Rebuild(paramOrder_);
}

void TQuery::TakeMasterValues() {
    const TDataSet* master = masterLink_.DataSet();
    if (!master || !master->Active()) return;
    for (Integer i = 0; i < params_.Count(); ++i)
        if (const TField* field = master->FindField(params_.Items(i)->Name()))
            params_.Items(i)->AssignField(*field);
}

QString TQuery::BoundStatement(std::vector<QVariant>& bindings) const {
    if (statement_.isEmpty()) throw EDatabaseError(QStringLiteral("No SQL statement given"));
    for (const QString& name : paramOrder_) {
        const TParam* p = params_.ParamByName(name);
        if (p->DataType() == ftUnknown)
            throw EDatabaseError(QStringLiteral("No value for parameter '%1'").arg(name));
        bindings.push_back(BindingOf(*p));
    }
    return statement_;
}

void TQuery::InternalOpen() {
    TakeMasterValues();
    std::vector<QVariant> bindings;
    const QString sql = BoundStatement(bindings);
    LoadRecords(sql, bindings);
}

void TQuery::ExecSQL() {
    Close();
    TakeMasterValues();
    std::vector<QVariant> bindings;
    QSqlQuery query(Connection(DatabaseName()));
    if (!query.prepare(BoundStatement(bindings))) RaiseStatementError(query);
    for (const QVariant& v : bindings) query.addBindValue(v);
    if (!query.exec()) RaiseStatementError(query);
    rowsAffected_ = query.numRowsAffected();
}

void TQuery::MasterChanged() {
    const TDataSet* master = masterLink_.DataSet();
    if (!Active() || !master || !master->Active()) return;
    Close();
    Open();
}

// ------------------------------------------------------------ TTable

TTable::TTable(TComponent* AOwner) : TDBDataSet(AOwner) {}

TTable::~TTable() { Close(); }

void TTable::SetTableName(const QString& name) {
    if (Active()) throw EDatabaseError(QStringLiteral("Cannot change the table of an open data set"));
    tableName_ = name;
}

void TTable::InternalOpen() {
    if (tableName_.isEmpty()) throw EDatabaseError(QStringLiteral("No table name given"));
    LoadRecords(QStringLiteral("SELECT * FROM %1").arg(QuotedName(tableName_)), {});
}
