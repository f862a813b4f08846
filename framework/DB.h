// Data access: data sets, their fields and field definitions, data sources
// and the links a detail data set keeps to its master.
#pragma once

#include "Classes.h"
#include "SysUtils.h"

#include <QtCore/QString>

#include <variant>
#include <vector>

VELMORA_EXCEPTION(EDatabaseError, Exception);

enum TFieldType {
    ftUnknown, ftString, ftSmallint, ftInteger, ftWord, ftBoolean, ftFloat, ftCurrency,
    ftBCD, ftDate, ftTime, ftDateTime, ftLargeint, ftTimeStamp, ftFMTBcd
};

enum TDataSetState { dsInactive, dsBrowse, dsEdit, dsInsert };

// One stored value: null, or by the field's type an integer, a float (dates
// and times too), a Boolean or a text.
using TFieldValue = std::variant<std::monostate, Int64, double, bool, QString>;

class TDataSet;

// A flag as a field reads it from text: "T", "True", "Y", "Yes" and their
// opposites, any case; EConvertError for anything else.
bool ParseBoolean(const QString& s);

// ------------------------------------------------------------ fields

class TField : public TComponent {
public:
    ~TField() override;

    const QString& FieldName() const { return fieldName_; }
    void SetFieldName(const QString& name);
    TFieldType DataType() const { return dataType_; }
    Integer Size() const { return size_; }
    void SetSize(Integer size) { size_ = size; }

    TDataSet* DataSet() const { return dataSet_; }
    // Joins the data set's fields as a persistent field (leaves the old one).
    void SetDataSet(TDataSet* dataSet);
    // Position among the data set's fields; -1 without a data set.
    Integer Index() const;

    // The current record's value; a field of an empty or closed data set reads null.
    bool IsNull() const;
    void Clear();

    // Reading converts by the field's class; null reads "", 0, 0.0 or false.
    // A conversion the class does not support raises EDatabaseError, a text
    // that does not convert EConvertError. Writing needs edit or insert mode.
    virtual QString AsString() const;
    virtual void SetAsString(const QString& v);
    virtual Integer AsInteger() const;
    virtual void SetAsInteger(Integer v);
    virtual double AsFloat() const;
    virtual void SetAsFloat(double v);
    virtual bool AsBoolean() const;
    virtual void SetAsBoolean(bool v);
    virtual TDateTime AsDateTime() const;
    virtual void SetAsDateTime(TDateTime v);
    QString Text() const { return AsString(); }
    // The stored value itself, as the field's class keeps it.
    const TFieldValue& Value() const;

protected:
    TField(TComponent* AOwner, TFieldType type);
    void SetValue(TFieldValue v);
    [[noreturn]] void AccessError(const char* typeName) const;

private:
    friend class TDataSet;
    QString fieldName_;
    TFieldType dataType_;
    Integer size_ = 0;
    TDataSet* dataSet_ = nullptr;
    Integer fieldNo_ = -1;  // column of the record that holds the value
};

class TStringField : public TField {
public:
    explicit TStringField(TComponent* AOwner);
    QString AsString() const override;
    void SetAsString(const QString& v) override;
    Integer AsInteger() const override;
    void SetAsInteger(Integer v) override;
    double AsFloat() const override;
    void SetAsFloat(double v) override;
    bool AsBoolean() const override;
    void SetAsBoolean(bool v) override;
    TDateTime AsDateTime() const override;
    void SetAsDateTime(TDateTime v) override;
};

// Integers kept in 64 bits; each class checks its own range on writing.
class TNumericField : public TField {
protected:
    using TField::TField;
};

class TIntegerField : public TNumericField {
public:
    explicit TIntegerField(TComponent* AOwner);
    QString AsString() const override;
    void SetAsString(const QString& v) override;
    Integer AsInteger() const override;
    void SetAsInteger(Integer v) override;
    double AsFloat() const override;
    void SetAsFloat(double v) override;

protected:
    TIntegerField(TComponent* AOwner, TFieldType type, Int64 minValue, Int64 maxValue);
    Int64 StoredInteger() const;
    void SetStoredInteger(Int64 v);

private:
    Int64 min_;
    Int64 max_;
};

class TSmallintField : public TIntegerField {
public:
    explicit TSmallintField(TComponent* AOwner);
};

class TWordField : public TIntegerField {
public:
    explicit TWordField(TComponent* AOwner);
};

class TLargeintField : public TIntegerField {
public:
    explicit TLargeintField(TComponent* AOwner);
    Int64 AsLargeInt() const { return StoredInteger(); }
    void SetAsLargeInt(Int64 v) { SetStoredInteger(v); }
    // Keeps the low 32 bits, as the platform does.
    Integer AsInteger() const override;
};

// Floating-point values; the BCD classes keep theirs as doubles too.
class TFloatField : public TNumericField {
public:
    explicit TFloatField(TComponent* AOwner);
    QString AsString() const override;
    void SetAsString(const QString& v) override;
    Integer AsInteger() const override;  // rounded; EConvertError out of range
    void SetAsInteger(Integer v) override;
    double AsFloat() const override;
    void SetAsFloat(double v) override;

protected:
    using TNumericField::TNumericField;
};

class TCurrencyField : public TFloatField {
public:
    explicit TCurrencyField(TComponent* AOwner);
};

class TBCDField : public TFloatField {
public:
    explicit TBCDField(TComponent* AOwner);
};

class TFMTBCDField : public TFloatField {
public:
    explicit TFMTBCDField(TComponent* AOwner);
};

class TBooleanField : public TField {
public:
    explicit TBooleanField(TComponent* AOwner);
    QString AsString() const override;  // "True" / "False"
    void SetAsString(const QString& v) override;
    bool AsBoolean() const override;
    void SetAsBoolean(bool v) override;
};

// Dates and times as days since 1899-12-30 with the time as the fraction;
// the text follows the short date and long time formats.
class TDateTimeField : public TField {
public:
    explicit TDateTimeField(TComponent* AOwner);
    QString AsString() const override;
    void SetAsString(const QString& v) override;
    double AsFloat() const override;
    void SetAsFloat(double v) override;
    TDateTime AsDateTime() const override;
    void SetAsDateTime(TDateTime v) override;

protected:
    using TField::TField;
};

class TDateField : public TDateTimeField {
public:
    explicit TDateField(TComponent* AOwner);
    QString AsString() const override;
    void SetAsString(const QString& v) override;
};

class TTimeField : public TDateTimeField {
public:
    explicit TTimeField(TComponent* AOwner);
    QString AsString() const override;
    void SetAsString(const QString& v) override;
};

class TSQLTimeStampField : public TDateTimeField {
public:
    explicit TSQLTimeStampField(TComponent* AOwner);
};

// A new field of the class that holds values of the type; EDatabaseError
// for ftUnknown.
TField* CreateFieldOfType(TFieldType type, TComponent* AOwner);

// ------------------------------------------------------------ field definitions

struct TFieldDef {
    QString Name;
    TFieldType DataType = ftUnknown;
    Integer Size = 0;
};

class TFieldDefs {
public:
    void Add(const QString& name, TFieldType type, Integer size = 0);
    Integer Count() const { return Integer(defs_.size()); }
    const TFieldDef& Items(Integer index) const;  // EListError out of range
    Integer IndexOf(const QString& name) const;   // case-insensitive, -1 when missing
    void Clear() { defs_.clear(); }

private:
    std::vector<TFieldDef> defs_;
};

// ------------------------------------------------------------ data sources and links

class TDataSource;

// Hears of every change of its data source's current record (opening,
// closing, moving, posting).
class TDataLink {
public:
    TDataLink() = default;
    TDataLink(const TDataLink&) = delete;
    TDataLink& operator=(const TDataLink&) = delete;
    virtual ~TDataLink();
    TDataSource* DataSource() const { return dataSource_; }
    void SetDataSource(TDataSource* source);
    TDataSet* DataSet() const;

protected:
    virtual void RecordChanged() {}

private:
    friend class TDataSource;
    TDataSource* dataSource_ = nullptr;
};

class TDataSource : public TComponent {
public:
    explicit TDataSource(TComponent* AOwner);
    ~TDataSource() override;
    TDataSet* DataSet() const { return dataSet_; }
    void SetDataSet(TDataSet* dataSet);

private:
    friend class TDataLink;
    friend class TDataSet;
    void NotifyLinks();
    TDataSet* dataSet_ = nullptr;
    std::vector<TDataLink*> links_;
};

// ------------------------------------------------------------ data sets

// A place among a data set's records: good until the data set closes or
// its records change.
struct TBookmark {
    Integer Record = -1;
    Cardinal Generation = 0;
};

// Navigation, fields and editing over the records a concrete data set
// provides. Records are addressed by a 0-based position among the records
// the data set currently shows.
class TDataSet : public TComponent {
public:
    explicit TDataSet(TComponent* AOwner);
    ~TDataSet() override;

    bool Active() const { return state_ != dsInactive; }
    void SetActive(bool on);
    void Open() { SetActive(true); }
    void Close() { SetActive(false); }
    TDataSetState State() const { return state_; }

    TFieldDefs& FieldDefs() { return fieldDefs_; }
    const TFieldDefs& FieldDefs() const { return fieldDefs_; }
    Integer FieldCount() const { return Integer(fields_.size()); }
    TField* Fields(Integer index) const;  // EListError out of range
    // Case-insensitive; nullptr for a missing or empty name.
    TField* FindField(const QString& name) const;
    TField* FieldByName(const QString& name) const;  // EDatabaseError when missing
    // True when the data set makes its own fields as it opens (it has no
    // persistent fields); such field objects are replaced at every opening.
    bool DefaultFields() const { return defaultFields_; }

    void First();
    void Last();
    void Next();   // on the last record: Eof set, the record stays
    void Prior();  // clears Eof; on the first record: Bof set
    bool Eof() const { return eof_; }
    bool Bof() const { return bof_; }
    bool IsEmpty() const { return !hasRecord_; }
    Integer RecordCount() const;  // exact; 0 when closed
    Integer RecNo() const;        // 1-based; 0 without a current record

    // True for a data set that only moves forward and keeps no record
    // behind its cursor: Prior raises EDatabaseError.
    virtual bool IsUniDirectional() const { return false; }

    // Bookmarks of the current record (none without one); going to one
    // that is no longer valid raises EDatabaseError.
    TBookmark GetBookmark() const;
    bool BookmarkValid(const TBookmark& bookmark) const;
    void GotoBookmark(const TBookmark& bookmark);

    // The current record's values, by field definition.
    std::vector<TFieldValue> RecordValues() const;

    // False for a data set whose records cannot change: Append, Edit and
    // Delete raise EDatabaseError.
    virtual bool CanModify() const { return true; }
    void Append();
    void Edit();
    void Post();
    void Cancel();
    void Delete();

    // The current value of a field's column (the edit buffer while editing).
    const TFieldValue& FieldValue(Integer fieldNo) const;
    void SetFieldValue(Integer fieldNo, TFieldValue v);

protected:
    // Prepares the records; field definitions must be known afterwards.
    virtual void InternalOpen() = 0;
    virtual void InternalClose() {}
    virtual Integer InternalRecordCount() const = 0;
    // Makes the record available, reading on as far as needed; false when
    // there are fewer records.
    virtual bool InternalGetRecord(Integer record) { return record >= 0 && record < InternalRecordCount(); }
    // The number of the last record (-1 when there is none), read up to.
    virtual Integer InternalLastRecord() { return InternalRecordCount() - 1; }
    virtual const TFieldValue& InternalValue(Integer record, Integer fieldNo) const = 0;
    // Stores a posted record: appended (record = -1) or over record; returns
    // the position of the stored record.
    virtual Integer InternalPost(const std::vector<TFieldValue>& values, Integer record) = 0;
    virtual void InternalDelete(Integer record) = 0;
    // The values a new record starts with (nulls by default).
    virtual void InitNewRecord(std::vector<TFieldValue>& values) { (void)values; }

    // The records shown changed (a detail following its master): back to the first.
    void RecordsChanged();
    void CheckActive() const;

private:
    friend class TField;
    friend class TDataSource;
    friend class TShownRecord;
    void CreateDefaultFields();
    void BindPersistentFields();
    void DestroyDefaultFields();
    void AddField(TField* field);
    void RemoveField(TField* field);
    void CheckBrowseMode();
    void CheckEditing() const;
    void CheckCanModify() const;
    void Scrolled();

    TDataSetState state_ = dsInactive;
    TFieldDefs fieldDefs_;
    std::vector<TField*> fields_;
    bool defaultFields_ = false;
    std::vector<TDataSource*> dataSources_;
    Integer record_ = 0;
    bool hasRecord_ = false;  // false when there are no records
    bool eof_ = true;
    bool bof_ = true;
    Cardinal generation_ = 0;  // changes with the records: bookmarks of another are void
    std::vector<TFieldValue> buffer_;
    Integer editRecord_ = -1;
    const std::vector<TFieldValue>* shown_ = nullptr;
};

// While it lives, the fields of the data set read the values given instead
// of the current record: how a walk over a data set that only moves forward
// looks back at the record it left.
class TShownRecord {
public:
    TShownRecord(TDataSet& dataSet, const std::vector<TFieldValue>& values) : dataSet_(dataSet) {
        dataSet_.shown_ = &values;
    }
    ~TShownRecord() { dataSet_.shown_ = nullptr; }
    TShownRecord(const TShownRecord&) = delete;
    TShownRecord& operator=(const TShownRecord&) = delete;

private:
    TDataSet& dataSet_;
};
