// Helpers the sources of the entry grid share: the move lock, a scoped
// update of a collection, and the number and text forms of cells. Not part
// of the grid's interface.
#pragma once

#include "SDBGrid.h"
#include "SysUtils.h"

// While set, SelectCell refuses every move.
class TSDBGrid::MoveLock : public TFlagScope {
public:
    explicit MoveLock(TSDBGrid& grid, bool value = true) : TFlagScope(grid.moveLock_, value) {}
};

// BeginUpdate of a collection, ended by End (which refreshes) or, when an
// error leaves the scope first, by the destructor.
class TCollectionUpdate {
public:
    explicit TCollectionUpdate(TCollection& collection) : collection_(collection) { collection_.BeginUpdate(); }
    ~TCollectionUpdate() {
        if (ended_) return;
        try {
            collection_.EndUpdate();
        } catch (...) {
        }
    }
    void End() {
        ended_ = true;
        collection_.EndUpdate();
    }
    TCollectionUpdate(const TCollectionUpdate&) = delete;
    TCollectionUpdate& operator=(const TCollectionUpdate&) = delete;

private:
    TCollection& collection_;
    bool ended_ = false;
};

// The value of a number cell: blanks around and grouping commas do not
// count, a blank cell is 0; false when the text is no number.
bool CellNumber(const QString& text, Extended& value);
// As CellNumber, 0 for a text that is no number.
Extended CellValue(const QString& text);
// The editing form of a number: without grouping commas, "0" for blank.
QString Unformatted(const QString& text);
// The value of a number text rounded to a whole number (halves to even);
// false when it is no number or beyond 64 bits.
bool TryRoundedValue(const QString& text, Int64& value);
// A number with decimals, grouped by thousands or plain.
QString FormatNumber(Extended value, Integer decimals, bool grouped);
// A zero-filled number as wide as the column's MaxValue is written.
QString ZeroFilled(Int64 value, const TGridColumn* column);
