#include "DB.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

const TFieldValue& NullValue() {
    static const TFieldValue null;
    return null;
}

bool SameName(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

QString StringOf(const TFieldValue& v) {
    const QString* s = std::get_if<QString>(&v);
    return s ? *s : QString();
}

double NumberOf(const TFieldValue& v) {
    if (const double* d = std::get_if<double>(&v)) return *d;
    if (const Int64* i = std::get_if<Int64>(&v)) return double(*i);
    return 0.0;
}

Integer ToInteger(double v) {
    const Int64 r = Round(v);
    if (r < std::numeric_limits<Integer>::min() || r > std::numeric_limits<Integer>::max())
        throw EConvertError(QStringLiteral("%1 is not a valid integer value").arg(FloatToStr(v)));
    return Integer(r);
}

}  // namespace

bool ParseBoolean(const QString& s) {
    const QChar c = s.isEmpty() ? QChar() : s[0].toUpper();
    if (c == u'T' || c == u'Y') return true;
    if (c == u'F' || c == u'N') return false;
    throw EConvertError(QStringLiteral("'%1' is not a valid boolean value").arg(s));
}

// ------------------------------------------------------------ TField

TField::TField(TComponent* AOwner, TFieldType type) : TComponent(AOwner), dataType_(type) {}

TField::~TField() {
    if (dataSet_) dataSet_->RemoveField(this);
}

void TField::SetFieldName(const QString& name) {
    if (dataSet_ && dataSet_->Active())
        throw EDatabaseError(QStringLiteral("Cannot rename a field of an open data set"));
    fieldName_ = name;
}

void TField::SetDataSet(TDataSet* dataSet) {
    if (dataSet == dataSet_) return;
    if ((dataSet && dataSet->Active()) || (dataSet_ && dataSet_->Active()))
        throw EDatabaseError(QStringLiteral("Cannot change the fields of an open data set"));
    if (dataSet_) dataSet_->RemoveField(this);
    if (dataSet) dataSet->AddField(this);
}

Integer TField::Index() const {
    if (!dataSet_) return -1;
    const auto& list = dataSet_->fields_;
    return Integer(std::find(list.begin(), list.end(), this) - list.begin());
}

const TFieldValue& TField::Value() const {
    if (!dataSet_ || fieldNo_ < 0) return NullValue();
    return dataSet_->FieldValue(fieldNo_);
}

void TField::SetValue(TFieldValue v) {
    if (!dataSet_ || fieldNo_ < 0)
        throw EDatabaseError(QStringLiteral("Field '%1' has no data set").arg(fieldName_));
    dataSet_->SetFieldValue(fieldNo_, std::move(v));
}

bool TField::IsNull() const { return std::holds_alternative<std::monostate>(Value()); }
void TField::Clear() { SetValue(std::monostate{}); }

void TField::AccessError(const char* typeName) const {
    throw EDatabaseError(QStringLiteral("Cannot access field '%1' as type %2")
                             .arg(fieldName_, QLatin1String(typeName)));
}

QString TField::AsString() const { AccessError("String"); }
void TField::SetAsString(const QString&) { AccessError("String"); }
Integer TField::AsInteger() const { AccessError("Integer"); }
void TField::SetAsInteger(Integer) { AccessError("Integer"); }
double TField::AsFloat() const { AccessError("Float"); }
void TField::SetAsFloat(double) { AccessError("Float"); }
bool TField::AsBoolean() const { AccessError("Boolean"); }
void TField::SetAsBoolean(bool) { AccessError("Boolean"); }
TDateTime TField::AsDateTime() const { AccessError("DateTime"); }
void TField::SetAsDateTime(TDateTime) { AccessError("DateTime"); }

// ------------------------------------------------------------ TStringField

TStringField::TStringField(TComponent* AOwner) : TField(AOwner, ftString) {}

QString TStringField::AsString() const { return StringOf(Value()); }

void TStringField::SetAsString(const QString& v) {
    SetValue(Size() > 0 && v.size() > Size() ? v.left(Size()) : v);
}

Integer TStringField::AsInteger() const {
    const QString s = AsString();
    return s.isEmpty() ? 0 : StrToInt(Trim(s));
}

void TStringField::SetAsInteger(Integer v) { SetAsString(IntToStr(v)); }

double TStringField::AsFloat() const {
    const QString s = AsString();
    return s.isEmpty() ? 0.0 : double(StrToFloat(s));
}

void TStringField::SetAsFloat(double v) { SetAsString(FloatToStr(v)); }

bool TStringField::AsBoolean() const {
    const QString s = AsString();
    return s.isEmpty() ? false : ParseBoolean(s);
}

void TStringField::SetAsBoolean(bool v) {
    SetAsString(v ? QStringLiteral("True") : QStringLiteral("False"));
}

TDateTime TStringField::AsDateTime() const {
    const QString s = AsString();
    return s.isEmpty() ? 0.0 : StrToDateTime(s);
}

void TStringField::SetAsDateTime(TDateTime v) { SetAsString(DateTimeToStr(v)); }

// ------------------------------------------------------------ integer fields

TIntegerField::TIntegerField(TComponent* AOwner)
    : TIntegerField(AOwner, ftInteger, std::numeric_limits<Integer>::min(),
                    std::numeric_limits<Integer>::max()) {}

TIntegerField::TIntegerField(TComponent* AOwner, TFieldType type, Int64 minValue, Int64 maxValue)
    : TNumericField(AOwner, type), min_(minValue), max_(maxValue) {}

Int64 TIntegerField::StoredInteger() const {
    const Int64* i = std::get_if<Int64>(&Value());
    return i ? *i : 0;
}

void TIntegerField::SetStoredInteger(Int64 v) {
    if (v < min_ || v > max_)
        throw EDatabaseError(QStringLiteral("%1 is out of range for field '%2' (%3 to %4)")
                                 .arg(v).arg(FieldName()).arg(min_).arg(max_));
    SetValue(v);
}

QString TIntegerField::AsString() const { return IsNull() ? QString() : IntToStr(StoredInteger()); }

void TIntegerField::SetAsString(const QString& v) {
    if (v.isEmpty()) Clear();
    else SetStoredInteger(StrToInt64(Trim(v)));
}

Integer TIntegerField::AsInteger() const { return Integer(StoredInteger()); }
void TIntegerField::SetAsInteger(Integer v) { SetStoredInteger(v); }
double TIntegerField::AsFloat() const { return double(StoredInteger()); }
void TIntegerField::SetAsFloat(double v) { SetStoredInteger(Round(v)); }

TSmallintField::TSmallintField(TComponent* AOwner)
    : TIntegerField(AOwner, ftSmallint, std::numeric_limits<SmallInt>::min(),
                    std::numeric_limits<SmallInt>::max()) {}

TWordField::TWordField(TComponent* AOwner)
    : TIntegerField(AOwner, ftWord, 0, std::numeric_limits<Word>::max()) {}

TLargeintField::TLargeintField(TComponent* AOwner)
    : TIntegerField(AOwner, ftLargeint, std::numeric_limits<Int64>::min(),
                    std::numeric_limits<Int64>::max()) {}

Integer TLargeintField::AsInteger() const {
    return Integer(static_cast<uint32_t>(static_cast<uint64_t>(StoredInteger())));
}

// ------------------------------------------------------------ float fields

TFloatField::TFloatField(TComponent* AOwner) : TNumericField(AOwner, ftFloat) {}
TCurrencyField::TCurrencyField(TComponent* AOwner) : TFloatField(AOwner, ftCurrency) {}
TBCDField::TBCDField(TComponent* AOwner) : TFloatField(AOwner, ftBCD) {}
TFMTBCDField::TFMTBCDField(TComponent* AOwner) : TFloatField(AOwner, ftFMTBcd) {}

QString TFloatField::AsString() const { return IsNull() ? QString() : FloatToStr(AsFloat()); }

void TFloatField::SetAsString(const QString& v) {
    if (v.isEmpty()) Clear();
    else SetAsFloat(double(StrToFloat(v)));
}

Integer TFloatField::AsInteger() const { return ToInteger(AsFloat()); }
void TFloatField::SetAsInteger(Integer v) { SetAsFloat(v); }
double TFloatField::AsFloat() const { return NumberOf(Value()); }
void TFloatField::SetAsFloat(double v) { SetValue(v); }

// ------------------------------------------------------------ TBooleanField

TBooleanField::TBooleanField(TComponent* AOwner) : TField(AOwner, ftBoolean) {}

QString TBooleanField::AsString() const {
    if (IsNull()) return QString();
    return AsBoolean() ? QStringLiteral("True") : QStringLiteral("False");
}

void TBooleanField::SetAsString(const QString& v) {
    if (v.isEmpty()) Clear();
    else SetAsBoolean(ParseBoolean(v));
}

bool TBooleanField::AsBoolean() const {
    const bool* b = std::get_if<bool>(&Value());
    return b && *b;
}

void TBooleanField::SetAsBoolean(bool v) { SetValue(v); }

// ------------------------------------------------------------ date and time fields

TDateTimeField::TDateTimeField(TComponent* AOwner) : TField(AOwner, ftDateTime) {}
TDateField::TDateField(TComponent* AOwner) : TDateTimeField(AOwner, ftDate) {}
TTimeField::TTimeField(TComponent* AOwner) : TDateTimeField(AOwner, ftTime) {}
TSQLTimeStampField::TSQLTimeStampField(TComponent* AOwner) : TDateTimeField(AOwner, ftTimeStamp) {}

QString TDateTimeField::AsString() const { return IsNull() ? QString() : DateTimeToStr(AsDateTime()); }

void TDateTimeField::SetAsString(const QString& v) {
    if (v.isEmpty()) Clear();
    else SetAsDateTime(StrToDateTime(v));
}

double TDateTimeField::AsFloat() const { return NumberOf(Value()); }
void TDateTimeField::SetAsFloat(double v) { SetValue(v); }
TDateTime TDateTimeField::AsDateTime() const { return NumberOf(Value()); }
void TDateTimeField::SetAsDateTime(TDateTime v) { SetValue(v); }

QString TDateField::AsString() const { return IsNull() ? QString() : DateToStr(AsDateTime()); }

void TDateField::SetAsString(const QString& v) {
    if (v.isEmpty()) Clear();
    else SetAsDateTime(StrToDate(v));
}

QString TTimeField::AsString() const { return IsNull() ? QString() : TimeToStr(AsDateTime()); }

void TTimeField::SetAsString(const QString& v) {
    if (v.isEmpty()) Clear();
    else SetAsDateTime(StrToTime(v));
}

TField* CreateFieldOfType(TFieldType type, TComponent* AOwner) {
    switch (type) {
    case ftString: return new TStringField(AOwner);
    case ftSmallint: return new TSmallintField(AOwner);
    case ftInteger: return new TIntegerField(AOwner);
    case ftWord: return new TWordField(AOwner);
    case ftLargeint: return new TLargeintField(AOwner);
    case ftBoolean: return new TBooleanField(AOwner);
    case ftFloat: return new TFloatField(AOwner);
    case ftCurrency: return new TCurrencyField(AOwner);
    case ftBCD: return new TBCDField(AOwner);
    case ftFMTBcd: return new TFMTBCDField(AOwner);
    case ftDate: return new TDateField(AOwner);
    case ftTime: return new TTimeField(AOwner);
    case ftDateTime: return new TDateTimeField(AOwner);
    case ftTimeStamp: return new TSQLTimeStampField(AOwner);
    case ftUnknown: break;
    }
    throw EDatabaseError(QStringLiteral("No field class for an unknown data type"));
}

// ------------------------------------------------------------ TFieldDefs

void TFieldDefs::Add(const QString& name, TFieldType type, Integer size) {
    if (name.isEmpty()) throw EDatabaseError(QStringLiteral("Field name missing"));
    if (IndexOf(name) >= 0)
        throw EDatabaseError(QStringLiteral("Duplicate field name '%1'").arg(name));
    defs_.push_back({name, type, size});
}

const TFieldDef& TFieldDefs::Items(Integer index) const {
    if (index < 0 || index >= Count())
        throw EListError(QStringLiteral("List index out of bounds (%1)").arg(index));
    return defs_[size_t(index)];
}

Integer TFieldDefs::IndexOf(const QString& name) const {
    for (size_t i = 0; i < defs_.size(); ++i)
        if (SameName(defs_[i].Name, name)) return Integer(i);
    return -1;
}

// ------------------------------------------------------------ links and sources

TDataLink::~TDataLink() { SetDataSource(nullptr); }

void TDataLink::SetDataSource(TDataSource* source) {
    if (source == dataSource_) return;
    if (dataSource_) {
        auto& links = dataSource_->links_;
        links.erase(std::remove(links.begin(), links.end(), this), links.end());
    }
    dataSource_ = source;
    if (source) source->links_.push_back(this);
    RecordChanged();
}

TDataSet* TDataLink::DataSet() const { return dataSource_ ? dataSource_->DataSet() : nullptr; }

TDataSource::TDataSource(TComponent* AOwner) : TComponent(AOwner) {}

TDataSource::~TDataSource() {
    SetDataSet(nullptr);
    // The links forget this source (their owners hear of it as a change).
    while (!links_.empty()) links_.back()->SetDataSource(nullptr);
}

void TDataSource::SetDataSet(TDataSet* dataSet) {
    if (dataSet == dataSet_) return;
    if (dataSet_) {
        auto& sources = dataSet_->dataSources_;
        sources.erase(std::remove(sources.begin(), sources.end(), this), sources.end());
    }
    dataSet_ = dataSet;
    if (dataSet) dataSet->dataSources_.push_back(this);
    NotifyLinks();
}

void TDataSource::NotifyLinks() {
    const std::vector<TDataLink*> links = links_;  // a link may leave while told
    for (TDataLink* link : links)
        if (std::find(links_.begin(), links_.end(), link) != links_.end()) link->RecordChanged();
}

// ------------------------------------------------------------ TDataSet

TDataSet::TDataSet(TComponent* AOwner) : TComponent(AOwner) {}

TDataSet::~TDataSet() {
    // Derived classes close themselves; here only the bookkeeping is undone.
    state_ = dsInactive;
    while (!dataSources_.empty()) dataSources_.back()->SetDataSet(nullptr);
    while (!fields_.empty()) delete fields_.back();
}

void TDataSet::SetActive(bool on) {
    if (on == Active()) return;
    if (on) {
        InternalOpen();
        try {
            if (fields_.empty()) CreateDefaultFields();
            else BindPersistentFields();
        } catch (...) {
            InternalClose();
            throw;
        }
        state_ = dsBrowse;
        ++generation_;
        First();
        return;
    }
    Cancel();
    InternalClose();
    if (defaultFields_) DestroyDefaultFields();
    state_ = dsInactive;
    record_ = 0;
    hasRecord_ = false;
    eof_ = bof_ = true;
    Scrolled();
}

void TDataSet::CreateDefaultFields() {
    for (Integer i = 0; i < fieldDefs_.Count(); ++i) {
        const TFieldDef& def = fieldDefs_.Items(i);
        TField* field = nullptr;
        try {
            field = CreateFieldOfType(def.DataType, this);
        } catch (...) {
            DestroyDefaultFields();
            defaultFields_ = false;
            throw;
        }
        field->fieldName_ = def.Name;
        field->size_ = def.Size;
        field->dataSet_ = this;
        field->fieldNo_ = i;
        fields_.push_back(field);
    }
    defaultFields_ = true;
}

void TDataSet::BindPersistentFields() {
    for (TField* field : fields_) {
        const Integer no = fieldDefs_.IndexOf(field->FieldName());
        if (no < 0) throw EDatabaseError(QStringLiteral("Field '%1' not found").arg(field->FieldName()));
        field->fieldNo_ = no;
    }
    defaultFields_ = false;
}

// DefaultFields stays set: the data set will make its fields again when it opens.
void TDataSet::DestroyDefaultFields() {
    while (!fields_.empty()) delete fields_.back();
}

void TDataSet::AddField(TField* field) {
    field->dataSet_ = this;
    field->fieldNo_ = -1;
    fields_.push_back(field);
}

void TDataSet::RemoveField(TField* field) {
    fields_.erase(std::remove(fields_.begin(), fields_.end(), field), fields_.end());
    field->dataSet_ = nullptr;
    field->fieldNo_ = -1;
}

TField* TDataSet::Fields(Integer index) const {
    if (index < 0 || index >= FieldCount())
        throw EListError(QStringLiteral("List index out of bounds (%1)").arg(index));
    return fields_[size_t(index)];
}

TField* TDataSet::FindField(const QString& name) const {
    if (name.isEmpty()) return nullptr;
    for (TField* field : fields_)
        if (SameName(field->FieldName(), name)) return field;
    return nullptr;
}

TField* TDataSet::FieldByName(const QString& name) const {
    TField* field = FindField(name);
    if (!field) throw EDatabaseError(QStringLiteral("Field '%1' not found").arg(name));
    return field;
}

void TDataSet::CheckActive() const {
    if (!Active()) throw EDatabaseError(QStringLiteral("Cannot perform this operation on a closed data set"));
}

void TDataSet::CheckEditing() const {
    if (state_ != dsEdit && state_ != dsInsert)
        throw EDatabaseError(QStringLiteral("Data set is not in edit or insert mode"));
}

void TDataSet::CheckBrowseMode() {
    if (state_ == dsEdit || state_ == dsInsert) Post();
}

Integer TDataSet::RecordCount() const { return Active() ? InternalRecordCount() : 0; }

Integer TDataSet::RecNo() const { return hasRecord_ ? record_ + 1 : 0; }

void TDataSet::First() {
    CheckActive();
    CheckBrowseMode();
    hasRecord_ = InternalGetRecord(0);
    record_ = 0;
    bof_ = true;
    eof_ = !hasRecord_;
    Scrolled();
}

void TDataSet::Last() {
    CheckActive();
    CheckBrowseMode();
    const Integer last = InternalLastRecord();
    hasRecord_ = last >= 0;
    record_ = std::max(last, 0);
    eof_ = true;
    bof_ = !hasRecord_;
    Scrolled();
}

void TDataSet::Next() {
    CheckActive();
    CheckBrowseMode();
    if (!hasRecord_) return;
    bof_ = false;
    if (InternalGetRecord(record_ + 1)) {
        ++record_;
        eof_ = false;
        Scrolled();
    } else {
        eof_ = true;
    }
}

void TDataSet::Prior() {
    CheckActive();
    CheckBrowseMode();
    if (IsUniDirectional())
        throw EDatabaseError(QStringLiteral("Cannot move back in a unidirectional data set"));
    if (!hasRecord_) return;
    eof_ = false;
    if (record_ > 0) {
        --record_;
        bof_ = false;
        Scrolled();
    } else {
        bof_ = true;
    }
}

TBookmark TDataSet::GetBookmark() const {
    return hasRecord_ ? TBookmark{record_, generation_} : TBookmark{};
}

bool TDataSet::BookmarkValid(const TBookmark& bookmark) const {
    return Active() && bookmark.Record >= 0 && bookmark.Generation == generation_;
}

void TDataSet::GotoBookmark(const TBookmark& bookmark) {
    CheckActive();
    CheckBrowseMode();
    if (!BookmarkValid(bookmark) || !InternalGetRecord(bookmark.Record))
        throw EDatabaseError(QStringLiteral("Bookmark not found"));
    record_ = bookmark.Record;
    hasRecord_ = true;
    eof_ = bof_ = false;
    Scrolled();
}

std::vector<TFieldValue> TDataSet::RecordValues() const {
    std::vector<TFieldValue> values;
    values.reserve(size_t(fieldDefs_.Count()));
    for (Integer i = 0; i < fieldDefs_.Count(); ++i) values.push_back(FieldValue(i));
    return values;
}

void TDataSet::CheckCanModify() const {
    if (!CanModify()) throw EDatabaseError(QStringLiteral("Cannot modify a read-only data set"));
}

void TDataSet::Append() {
    CheckActive();
    CheckCanModify();
    CheckBrowseMode();
    buffer_.assign(size_t(fieldDefs_.Count()), TFieldValue());
    InitNewRecord(buffer_);
    editRecord_ = -1;
    state_ = dsInsert;
}

void TDataSet::Edit() {
    CheckActive();
    CheckCanModify();
    if (state_ == dsEdit || state_ == dsInsert) return;
    if (!hasRecord_) {
        Append();
        return;
    }
    buffer_.clear();
    for (Integer i = 0; i < fieldDefs_.Count(); ++i) buffer_.push_back(InternalValue(record_, i));
    editRecord_ = record_;
    state_ = dsEdit;
}

void TDataSet::Post() {
    CheckEditing();
    const Integer stored = InternalPost(buffer_, editRecord_);
    buffer_.clear();
    state_ = dsBrowse;
    record_ = stored;
    hasRecord_ = InternalGetRecord(record_);
    eof_ = bof_ = false;
    Scrolled();
}

void TDataSet::Cancel() {
    if (state_ != dsEdit && state_ != dsInsert) return;
    buffer_.clear();
    state_ = dsBrowse;
}

void TDataSet::Delete() {
    CheckActive();
    CheckCanModify();
    if (state_ == dsInsert) {
        Cancel();
        return;
    }
    Cancel();
    if (!hasRecord_)
        throw EDatabaseError(QStringLiteral("Cannot perform this operation on an empty data set"));
    InternalDelete(record_);
    ++generation_;
    const Integer count = InternalRecordCount();
    record_ = std::min(record_, std::max(count - 1, 0));
    hasRecord_ = count > 0;
    eof_ = count == 0;
    bof_ = record_ == 0;
    Scrolled();
}

const TFieldValue& TDataSet::FieldValue(Integer fieldNo) const {
    if (state_ == dsEdit || state_ == dsInsert)
        return fieldNo >= 0 && size_t(fieldNo) < buffer_.size() ? buffer_[size_t(fieldNo)] : NullValue();
    if (fieldNo < 0 || fieldNo >= fieldDefs_.Count()) return NullValue();
    if (shown_) return size_t(fieldNo) < shown_->size() ? (*shown_)[size_t(fieldNo)] : NullValue();
    if (state_ == dsInactive || !hasRecord_) return NullValue();
    return InternalValue(record_, fieldNo);
}

void TDataSet::SetFieldValue(Integer fieldNo, TFieldValue v) {
    CheckEditing();
    if (fieldNo < 0 || size_t(fieldNo) >= buffer_.size())
        throw EDatabaseError(QStringLiteral("No such field column (%1)").arg(fieldNo));
    buffer_[size_t(fieldNo)] = std::move(v);
}

void TDataSet::RecordsChanged() {
    ++generation_;
    if (Active()) First();
}

void TDataSet::Scrolled() {
    const std::vector<TDataSource*> sources = dataSources_;
    for (TDataSource* source : sources)
        if (std::find(dataSources_.begin(), dataSources_.end(), source) != dataSources_.end())
            source->NotifyLinks();
}
