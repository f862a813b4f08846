// Data sets over an SQL database: SQLite databases (a file path, or
// ":memory:") reached through Qt SQL. The open data sets naming the same
// DatabaseName share one connection. A data set keeps its statement open
// and reads the records as its cursor moves. The data sets are read-only;
// statements that change data go through ExecSQL.
#pragma once

#include "DB.h"

#include <QtCore/QStringList>

#include <memory>
#include <vector>

class TSqlCursor;

// ------------------------------------------------------------ parameters

// A value handed to a statement. Each As... setter sets the type as well;
// a parameter whose type is still ftUnknown has no value to give.
class TParam {
public:
    explicit TParam(const QString& name) : name_(name) {}

    const QString& Name() const { return name_; }
    TFieldType DataType() const { return dataType_; }
    void SetDataType(TFieldType type) { dataType_ = type; }
    bool IsNull() const { return std::holds_alternative<std::monostate>(value_); }
    // Null, keeping the type.
    void Clear() { value_ = std::monostate{}; }
    const TFieldValue& Value() const { return value_; }
    // Takes a field's type and its current value.
    void AssignField(const TField& field);

    // Reading converts by the stored value (null reads "", 0, false);
    // a text that does not convert raises EConvertError.
    QString AsString() const;
    void SetAsString(const QString& v);
    Integer AsInteger() const;
    void SetAsInteger(Integer v);
    void SetAsSmallInt(Integer v);
    void SetAsWord(Integer v);
    Int64 AsLargeInt() const;
    void SetAsLargeInt(Int64 v);
    double AsFloat() const;
    void SetAsFloat(double v);
    double AsCurrency() const { return AsFloat(); }
    void SetAsCurrency(double v);
    void SetAsBCD(double v);
    bool AsBoolean() const;
    void SetAsBoolean(bool v);
    TDateTime AsDateTime() const;
    void SetAsDateTime(TDateTime v);
    TDateTime AsDate() const { return AsDateTime(); }
    void SetAsDate(TDateTime v);
    TDateTime AsTime() const { return AsDateTime(); }
    void SetAsTime(TDateTime v);

private:
    void Set(TFieldType type, TFieldValue v);

    QString name_;
    TFieldType dataType_ = ftUnknown;
    TFieldValue value_;
};

class TParams {
public:
    Integer Count() const { return Integer(items_.size()); }
    TParam* Items(Integer index) const;  // EListError out of range
    // Case-insensitive; nullptr when missing.
    TParam* FindParam(const QString& name) const;
    TParam* ParamByName(const QString& name) const;  // EDatabaseError when missing
    // Keeps the parameters of the names given (with their values), in that
    // order, and makes new ones for the others.
    void Rebuild(const QStringList& names);

private:
    std::vector<std::unique_ptr<TParam>> items_;
};

// ------------------------------------------------------------ data sets

class TDBDataSet : public TDataSet {
public:
    // A SQLite database file (made when missing) or ":memory:".
    const QString& DatabaseName() const { return databaseName_; }
    void SetDatabaseName(const QString& name);
    bool CanModify() const override { return false; }

    // Unidirectional, the data set keeps no record behind its cursor: Prior
    // and bookmarks behind it raise EDatabaseError, First runs the
    // statement again. Set while closed.
    bool UniDirectional() const { return uniDirectional_; }
    void SetUniDirectional(bool on);
    bool IsUniDirectional() const override { return uniDirectional_; }

protected:
    explicit TDBDataSet(TComponent* AOwner);
    ~TDBDataSet() override;

    void InternalClose() override;
    Integer InternalRecordCount() const override;
    bool InternalGetRecord(Integer record) override;
    Integer InternalLastRecord() override;
    const TFieldValue& InternalValue(Integer record, Integer fieldNo) const override;
    Integer InternalPost(const std::vector<TFieldValue>& values, Integer record) override;
    void InternalDelete(Integer record) override;

    // Prepares a statement that returns records, binds the values to its
    // "?" in order and reads its first record; the field definitions follow
    // its columns. A statement that returns none raises EDatabaseError.
    void OpenCursor(const QString& sql, std::vector<TFieldValue> bindings);

private:
    QString databaseName_;
    bool uniDirectional_ = false;
    std::unique_ptr<TSqlCursor> cursor_;
};

class TQuery : public TDBDataSet {
public:
    explicit TQuery(TComponent* AOwner);
    ~TQuery() override;

    // The statement; ":NAME" marks a parameter. Changing it closes the query
    // and rebuilds Params (parameters that keep their name keep their value).
    TStrings* SQL() const;
    TParams& Params() { return params_; }
    const TParams& Params() const { return params_; }
    Integer ParamCount() const { return params_.Count(); }
    TParam* ParamByName(const QString& name) const { return params_.ParamByName(name); }

    // A master: each parameter named as one of the master's fields takes that
    // field's value when the query opens, and the open query runs again
    // whenever the master moves to another record.
    TDataSource* DataSource() const { return masterLink_.DataSource(); }
    void SetDataSource(TDataSource* source) { masterLink_.SetDataSource(source); }

    // Runs a statement that returns no records (rows changed: RowsAffected).
    void ExecSQL();
    Integer RowsAffected() const { return rowsAffected_; }

protected:
    void InternalOpen() override;

private:
    class MasterLink : public TDataLink {
    public:
        explicit MasterLink(TQuery& owner) : owner_(owner) {}

    protected:
        void RecordChanged() override { owner_.MasterChanged(); }

    private:
        TQuery& owner_;
    };

    void SQLChanged();
    void MasterChanged();
    void TakeMasterValues();
    // The value of each "?" of the statement, in order.
    std::vector<TFieldValue> Bindings() const;

    std::unique_ptr<TStringList> sql_;
    TParams params_;
    QStringList paramOrder_;  // the parameter of each "?", in the text's order
    QString statement_;  // with "?" for each parameter
    Integer rowsAffected_ = -1;
    MasterLink masterLink_{*this};
};

class TTable : public TDBDataSet {
public:
    explicit TTable(TComponent* AOwner);
    ~TTable() override;

    const QString& TableName() const { return tableName_; }
    void SetTableName(const QString& name);

protected:
    void InternalOpen() override;

private:
    QString tableName_;
};
