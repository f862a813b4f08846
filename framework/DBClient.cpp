#include "DBClient.h"

#include <algorithm>

namespace {

QStringList SplitNames(const QString& names) {
    QStringList list;
    for (const QString& name : names.split(u';', Qt::SkipEmptyParts)) {
        const QString trimmed = name.trimmed();
        if (!trimmed.isEmpty()) list << trimmed;
    }
    return list;
}

// Numbers compare by value whatever their storage; other values by kind and value.
bool SameValue(const TFieldValue& a, const TFieldValue& b) {
    const bool aNumber = std::holds_alternative<Int64>(a) || std::holds_alternative<double>(a);
    const bool bNumber = std::holds_alternative<Int64>(b) || std::holds_alternative<double>(b);
    if (aNumber && bNumber && a.index() != b.index()) {
        const auto number = [](const TFieldValue& v) {
            const Int64* i = std::get_if<Int64>(&v);
            return i ? double(*i) : std::get<double>(v);
        };
        return number(a) == number(b);
    }
    return a == b;
}

}  // namespace

TClientDataSet::TClientDataSet(TComponent* AOwner) : TDataSet(AOwner) {}

TClientDataSet::~TClientDataSet() {
    Close();
}

void TClientDataSet::CreateDataSet() {
    if (FieldDefs().Count() == 0)
        throw EDatabaseError(QStringLiteral("Cannot create a data set without field definitions"));
    Close();
    rows_.clear();
    created_ = true;
    Open();
}

void TClientDataSet::SetMasterFields(const QString& names) {
    masterFields_ = SplitNames(names);
    MasterChanged();
}

void TClientDataSet::SetIndexFieldNames(const QString& names) {
    indexFields_ = SplitNames(names);
    MasterChanged();
}

void TClientDataSet::InternalOpen() {
    if (!created_)
        throw EDatabaseError(QStringLiteral("The data set has no table yet: call CreateDataSet"));
    RebuildView();
}

const TFieldValue& TClientDataSet::InternalValue(Integer record, Integer fieldNo) const {
    return rows_[view_[size_t(record)]][size_t(fieldNo)];
}

Integer TClientDataSet::InternalPost(const std::vector<TFieldValue>& values, Integer record) {
    size_t row;
    if (record < 0) {
        row = rows_.size();
        rows_.push_back(values);
    } else {
        row = view_[size_t(record)];
        rows_[row] = values;
    }
    // Without a master every row shows in table order: only an appended row
    // changes the view, at its end.
    if (!Linked()) {
        if (record >= 0) return record;
        view_.push_back(row);
        return Integer(view_.size()) - 1;
    }
    RebuildView();
    return PositionOfRow(row, std::max(record, 0));
}

void TClientDataSet::InternalDelete(Integer record) {
    rows_.erase(rows_.begin() + std::ptrdiff_t(view_[size_t(record)]));
    RebuildView();
}

void TClientDataSet::InitNewRecord(std::vector<TFieldValue>& values) {
    std::vector<LinkColumn> columns;
    if (!Linked() || !ResolveLink(columns)) return;
    for (const LinkColumn& c : columns) values[size_t(c.detailColumn)] = c.masterField->Value();
}

void TClientDataSet::MasterChanged() {
    if (!Active()) return;
    RebuildView();
    RecordsChanged();
}

bool TClientDataSet::Linked() const {
    return MasterSource() && MasterSource()->DataSet() && !masterFields_.isEmpty();
}

bool TClientDataSet::ResolveLink(std::vector<LinkColumn>& columns) const {
    const TDataSet* master = MasterSource()->DataSet();
    const QStringList& detailNames = indexFields_.isEmpty() ? masterFields_ : indexFields_;
    if (detailNames.size() < masterFields_.size()) return false;
    for (qsizetype i = 0; i < masterFields_.size(); ++i) {
        const TField* masterField = master->FindField(masterFields_[i]);
        const Integer column = FieldDefs().IndexOf(detailNames[i]);
        if (!masterField || column < 0) return false;
        columns.push_back({column, masterField});
    }
    return true;
}

void TClientDataSet::RebuildView() {
    view_.clear();
    if (!Linked()) {
        for (size_t row = 0; row < rows_.size(); ++row) view_.push_back(row);
        return;
    }
    std::vector<LinkColumn> columns;
    const TDataSet* master = MasterSource()->DataSet();
    if (!master->Active() || master->IsEmpty() || !ResolveLink(columns)) return;
    for (size_t row = 0; row < rows_.size(); ++row) {
        const bool match = std::all_of(columns.begin(), columns.end(), [&](const LinkColumn& c) {
            return SameValue(rows_[row][size_t(c.detailColumn)], c.masterField->Value());
        });
        if (match) view_.push_back(row);
    }
}

Integer TClientDataSet::PositionOfRow(size_t row, Integer fallback) const {
    const auto it = std::find(view_.begin(), view_.end(), row);
    if (it != view_.end()) return Integer(it - view_.begin());
    return std::min(fallback, std::max(Integer(view_.size()) - 1, 0));
}
