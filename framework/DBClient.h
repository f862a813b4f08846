// The in-memory client data set: a table made from its field definitions,
// kept while the process runs, optionally following a master data set.
#pragma once

#include "DB.h"

#include <QtCore/QStringList>

#include <vector>

class TClientDataSet : public TDataSet {
public:
    explicit TClientDataSet(TComponent* AOwner);
    ~TClientDataSet() override;

    // Makes an empty table from FieldDefs (EDatabaseError when there are
    // none) and opens it. Closing keeps the records; opening again shows them.
    void CreateDataSet();

    // Master-detail: while MasterSource has a data set, only the records
    // whose IndexFieldNames columns equal the master's MasterFields on its
    // current record are shown (names separated by ";"; without
    // IndexFieldNames the detail columns carry the master's names). A new
    // record starts with the master's values in those columns. A name that
    // either side lacks shows no records.
    TDataSource* MasterSource() const { return masterLink_.DataSource(); }
    void SetMasterSource(TDataSource* source) { masterLink_.SetDataSource(source); }
    QString MasterFields() const { return masterFields_.join(u';'); }
    void SetMasterFields(const QString& names);
    QString IndexFieldNames() const { return indexFields_.join(u';'); }
    void SetIndexFieldNames(const QString& names);

protected:
    void InternalOpen() override;
    Integer InternalRecordCount() const override { return Integer(view_.size()); }
    const TFieldValue& InternalValue(Integer record, Integer fieldNo) const override;
    Integer InternalPost(const std::vector<TFieldValue>& values, Integer record) override;
    void InternalDelete(Integer record) override;
    void InitNewRecord(std::vector<TFieldValue>& values) override;

private:
    class MasterLink : public TDataLink {
    public:
        explicit MasterLink(TClientDataSet& owner) : owner_(owner) {}

    protected:
        void RecordChanged() override { owner_.MasterChanged(); }

    private:
        TClientDataSet& owner_;
    };
    struct LinkColumn {
        Integer detailColumn;
        const TField* masterField;
    };

    void MasterChanged();
    bool Linked() const;
    // The link's columns; false when a name is missing on either side.
    bool ResolveLink(std::vector<LinkColumn>& columns) const;
    void RebuildView();
    Integer PositionOfRow(size_t row, Integer fallback) const;

    std::vector<std::vector<TFieldValue>> rows_;
    std::vector<size_t> view_;  // rows shown, in order
    bool created_ = false;
    QStringList masterFields_;
    QStringList indexFields_;
    MasterLink masterLink_{*this};
};
