#include "DBTables.h"
#include "DBTablesInternal.h"

#include <sqlite3.h>

#include <algorithm>

namespace {

// ------------------------------------------------------------ dates as parameters write them

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


TFieldValue BindingOf(const TParam& p) {
    const TFieldValue& v = p.Value();
    if (IsDateType(p.DataType()) && !std::holds_alternative<std::monostate>(v))
        return IsoText(p.AsDateTime(), p.DataType());
    return v;
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

void TDBDataSet::SetUniDirectional(bool on) {
    if (Active()) throw EDatabaseError(QStringLiteral("Cannot change the direction of an open data set"));
    uniDirectional_ = on;
}

void TDBDataSet::InternalClose() { cursor_.reset(); }

Integer TDBDataSet::InternalRecordCount() const { return cursor_->Count(); }

bool TDBDataSet::InternalGetRecord(Integer record) { return cursor_->Get(record); }

Integer TDBDataSet::InternalLastRecord() { return cursor_->Last(); }

const TFieldValue& TDBDataSet::InternalValue(Integer record, Integer fieldNo) const {
    return cursor_->Value(record, fieldNo);
}

// Never reached: CanModify answers false, so no record is posted or deleted.
Integer TDBDataSet::InternalPost(const std::vector<TFieldValue>&, Integer) {
    throw EDatabaseError(QStringLiteral("Cannot modify a read-only data set"));
}

void TDBDataSet::InternalDelete(Integer) {
    throw EDatabaseError(QStringLiteral("Cannot modify a read-only data set"));
}

void TDBDataSet::OpenCursor(const QString& sql, std::vector<TFieldValue> bindings) {
    auto cursor = std::make_unique<TSqlCursor>(databaseName_, sql, std::move(bindings), uniDirectional_);
    FieldDefs().Clear();
    for (const TSqlColumn& c : cursor->Columns()) {
        // A result may repeat a name (a join's two ID columns): the later one is told apart.
        QString name = c.Name.isEmpty() ? QStringLiteral("COLUMN%1").arg(FieldDefs().Count() + 1) : c.Name;
        for (int n = 1; FieldDefs().IndexOf(name) >= 0; ++n) name = QStringLiteral("%1_%2").arg(c.Name).arg(n);
        FieldDefs().Add(name, c.Type, c.Size);
    }
    cursor_ = std::move(cursor);
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

std::vector<TFieldValue> TQuery::Bindings() const {
    if (statement_.isEmpty()) throw EDatabaseError(QStringLiteral("No SQL statement given"));
    std::vector<TFieldValue> bindings;
    for (const QString& name : paramOrder_) {
        const TParam* p = params_.ParamByName(name);
        if (p->DataType() == ftUnknown)
            throw EDatabaseError(QStringLiteral("No value for parameter '%1'").arg(name));
        bindings.push_back(BindingOf(*p));
    }
    return bindings;
}

void TQuery::InternalOpen() {
    TakeMasterValues();
    OpenCursor(statement_, Bindings());
}

void TQuery::ExecSQL() {
    Close();
    TakeMasterValues();
    const std::vector<TFieldValue> bindings = Bindings();
    TConnectionUse use(DatabaseName());
    TSqlStatement statement(use.Handle(), statement_);
    statement.Bind(bindings);
    while (statement.Step()) {
    }
    rowsAffected_ = Integer(sqlite3_changes(use.Handle()));
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
    OpenCursor(QStringLiteral("SELECT * FROM %1").arg(QuotedName(tableName_)), {});
}
