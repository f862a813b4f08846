// The entry grid's cell values: number and text forms of cells, the date
// and time conversions of a column, and the era table.
#include "SDBGrid.h"

#include "SDBGridInternal.h"

#include <cmath>

// ------------------------------------------------------------ number forms

bool CellNumber(const QString& text, Extended& value) {
    const QString t = Trim(text).remove(QLatin1Char(','));
    if (t.isEmpty()) {
        value = 0;
        return true;
    }
    return TryStrToFloat(t, value);
}

Extended CellValue(const QString& text) {
    Extended v = 0;
    return CellNumber(text, v) ? v : 0;
}

QString Unformatted(const QString& text) {
    const QString t = QString(text).remove(QLatin1Char(','));
    return Trim(t).isEmpty() ? QStringLiteral("0") : t;
}

QString FormatNumber(Extended value, Integer decimals, bool grouped) {
    const QString pattern = QStringLiteral("%.") + IntToStr(decimals) + (grouped ? QLatin1Char('n') : QLatin1Char('f'));
    return Format(pattern, {value});
}

QString ZeroFilled(Int64 value, const TGridColumn* column) {
    const QString width = IntToStr(FloatToStr(column->MaxValue()).size());
    return Format(QStringLiteral("%.") + width + QStringLiteral("d"), {value});
}

bool TryRoundedValue(const QString& text, Int64& value) {
    Extended v = 0;
    if (!CellNumber(text, v) || !(std::fabs(v) < 9.2e18L)) return false;
    value = Int64(std::nearbyint(v));
    return true;
}

// ------------------------------------------------------------ column conversions

QString TSDBGrid::ColumnDateText(Integer ACol, const QString& Text) const {
    if (ACol < 0) ACol = Col();
    if (ACol >= ColCount()) return QStringLiteral("Bad Column");
    if (Text.isEmpty()) return QString();
    const TGridColumn* column = Column(ACol);
    const bool yearMonth = column && column->NumericType() == ntgDateym;
    TDateTime d = 0;
    if (!TryStrToDateTime(yearMonth ? Text + QStringLiteral("/1") : Text, d)) return QStringLiteral("Bad Format");
    return FormatDateTime(yearMonth ? QStringLiteral("yyyy/mm") : QStringLiteral("yyyy/mm/dd"), d);
}

QString TSDBGrid::ColumnTimeText(Integer ACol, const QString& Text) const {
    if (ACol < 0) ACol = Col();
    if (ACol >= ColCount()) return QStringLiteral("Bad Column");
    if (Text.isEmpty()) return QString();
    const TGridColumn* column = Column(ACol);
    const bool seconds = column && column->NumericType() == ntgTimehms;
    TDateTime d = 0;
    const QString full = QStringLiteral("1/1/1 ") + Text + (seconds ? QString() : QStringLiteral(":0"));
    if (!TryStrToDateTime(full, d)) return QStringLiteral("Bad Format");
    return FormatDateTime(seconds ? QStringLiteral("hh:nn:ss") : QStringLiteral("hh:nn"), d);
}

// ------------------------------------------------------------ the era table

// The marks and the era numbers present; the first days written as dates
// become day numbers, so that later readings need no date parsing.
void TSDBGrid::reloadEras() {
    if (reloadingEras_) return;
    TFlagScope reloading(reloadingEras_);
    TStrings* table = gStrings_.get();
    yearMark_ = table->Values(QStringLiteral("年"));
    monthMark_ = table->Values(QStringLiteral("月"));
    dayMark_ = table->Values(QStringLiteral("日"));
    firstEra_ = 0;
    lastEra_ = 0;
    for (Integer n = 1; n <= 9; ++n) {
        if (!Trim(table->Values(IntToStr(n))).isEmpty()) {
            if (firstEra_ == 0) firstEra_ = n;
            lastEra_ = std::max(lastEra_, n);
        }
        const QString key = IntToStr(n) + QLatin1Char('G');
        const QString first = table->Values(key);
        Int64 day = 0;
        TDateTime d = 0;
        if (!first.isEmpty() && !TryStrToInt64(first, day) && TryStrToDate(first, d))
            table->SetValue(key, IntToStr(Trunc(d)));
    }
}

bool TSDBGrid::EraDate(const QString& Code, TDateTime& Date) const {
    if (Code.size() != 7) return false;
    for (QChar c : Code) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) return false;
    }
    const Integer base = StrToIntDef(gStrings_->Values(Code.left(1) + QLatin1Char('S')), 0);
    if (base == 0) return false;
    const Integer year = base + Code.mid(1, 2).toInt();
    const Integer month = Code.mid(3, 2).toInt(), day = Code.mid(5, 2).toInt();
    if (year < 1 || year > 9999) return false;
    return TryEncodeDate(Word(year), Word(month), Word(day), Date);
}

QString TSDBGrid::EraText(const QString& Code, const QString& Pattern) const {
    TDateTime date = 0;
    if (!EraDate(Code, date)) return Code;
    const QString name = gStrings_->Values(Code.left(1));
    try {
        return Format(Pattern, {name, Code.mid(1, 2).toInt(), yearMark_, Code.mid(3, 2).toInt(), monthMark_,
                                Code.mid(5, 2).toInt(), dayMark_});
    } catch (const EConvertError&) {
        // A pattern that does not fit the seven values shows the code.
        return Code;
    }
}

// ------------------------------------------------------------ cells by title

Integer TSDBGrid::FieldIndex(const QString& Name) const {
    return Integer(titles_.indexOf(UpperCase(Name)));
}

bool TSDBGrid::locate(const QString& name, Integer& row, const TGridColumn*& column, QString& error) const {
    if (row < 0) row = Row();
    if (row < FixedRows() || row >= RowCount()) {
        error = QStringLiteral("Invalid Row");
        return false;
    }
    const Integer c = FieldIndex(name);
    column = c < ColCount() ? Column(c) : nullptr;
    if (!column) {
        error = QStringLiteral("Invalid Field Name");
        return false;
    }
    return true;
}

// A written cell that is the current one is entered again, so that the
// text at entry and the editor follow it.
void TSDBGrid::writeByName(const TGridColumn* column, Integer row, const QString& text) {
    const Integer c = column->Index();
    SetCells(c, row, text);
    if (c == Col() && row == Row()) enterCell(c, row);
}

std::optional<TCellData> TSDBGrid::FieldByName(const QString& Name, Integer ARow) {
    const Integer c = FieldIndex(Name);
    if (c < 0 || c >= ColCount()) return std::nullopt;
    return TCellData(this, c, ARow >= 0 && ARow < RowCount() ? ARow : Row());
}

void TSDBGrid::GetTextByName(const QString& Name, Integer ARow, QString& Text) const {
    const TGridColumn* column = nullptr;
    if (!locate(Name, ARow, column, Text)) return;
    const QString cell = Cells(column->Index(), ARow);
    const bool blank = Trim(cell).isEmpty();
    switch (column->NumericType()) {
    case ntgZeroFillInteger: {
        Int64 n = 0;
        if (!blank && !TryRoundedValue(cell, n)) {
            Text = cell;
            return;
        }
        Text = blank && !column->ZeroDisp() ? QString() : ZeroFilled(n, column);
        return;
    }
    case ntgInteger: case ntgExtend: case ntgCurrency:
        Text = blank ? (column->ZeroDisp() ? QStringLiteral("0") : QString()) : QString(cell).remove(QLatin1Char(','));
        return;
    default:
        Text = cell;
        return;
    }
}

void TSDBGrid::SetTextByName(const QString& Name, Integer ARow, QString& Res, const QString& Text) {
    const TGridColumn* column = nullptr;
    if (!locate(Name, ARow, column, Res)) return;
    if (Trim(Text).isEmpty()) {
        writeByName(column, ARow, QString());
        Res = QString();
        return;
    }
    QString written;
    switch (column->NumericType()) {
    case ntgInteger: case ntgExtend: case ntgCurrency: {
        Extended v = 0;
        if (!CellNumber(Text, v)) {
            Res = QStringLiteral("Invalid Format");
            return;
        }
        written = FormatNumber(v, column->fpLength(), column->CharTypes().Contains(ctgConmma));
        break;
    }
    case ntgZeroFillInteger: {
        Int64 n = 0;
        if (!TryRoundedValue(Text, n)) {
            Res = QStringLiteral("Invalid Format");
            return;
        }
        written = ZeroFilled(n, column);
        break;
    }
    case ntgDateym: case ntgDateymd:
        written = ColumnDateText(column->Index(), Text);
        if (written.contains(QStringLiteral("Bad"))) {
            Res = QStringLiteral("Invalid Date Format");
            return;
        }
        break;
    case ntgTimehm: case ntgTimehms:
        written = ColumnTimeText(column->Index(), Text);
        if (written.contains(QStringLiteral("Bad"))) {
            Res = QStringLiteral("Invalid Time Format");
            return;
        }
        break;
    default: written = Text; break;
    }
    writeByName(column, ARow, written);
    Res = written;
}

// The money value of a number cell; a text that is no number reads as 0,
// a number beyond the fixed point's range is an error.
Currency TSDBGrid::GetCurrencyByName(const QString& Name, Integer ARow, QString& Text) {
    const TGridColumn* column = nullptr;
    Currency result;
    if (locate(Name, ARow, column, lastText_)) {
        if (column->IsNumeric()) {
            const QString plain = Trim(Cells(column->Index(), ARow)).remove(QLatin1Char(','));
            lastText_ = plain;
            Extended v = 0;
            const bool number = !plain.isEmpty() && TryStrToFloat(plain, v);
            if (number && !TryStrToCurr(plain, result) && !Currency::TryFromDouble(v, result)) {
                result = Currency();
                lastText_ = QStringLiteral("Invalid Format");
            }
        } else {
            lastText_ = QStringLiteral("Invalid Value Field");
        }
    }
    Text = lastText_;
    return result;
}

namespace {

enum class Rounding { Nearest, Up, Truncate };

Rounding RoundingOf(const QString& text) {
    const QString mode = UpperCase(text);
    if (mode == QStringLiteral("ROUNDUP")) return Rounding::Up;
    if (mode == QStringLiteral("TRUNC")) return Rounding::Truncate;
    return Rounding::Nearest;
}

// The whole number of v by the mode; false when it does not fit an Integer.
bool RoundedInteger(Extended v, Rounding mode, Integer& out) {
    const Extended r = mode == Rounding::Up        ? std::nearbyint(v + 0.499999L)
                       : mode == Rounding::Nearest ? std::nearbyint(v + 0.000001L)
                                                   : std::trunc(v);
    if (!(r >= -2147483648.0L && r <= 2147483647.0L)) return false;
    out = Integer(r);
    return true;
}

}  // namespace

Integer TSDBGrid::GetIntegerByName(const QString& Name, Integer ARow, QString& Text) {
    const Rounding mode = RoundingOf(Text);
    const TGridColumn* column = nullptr;
    auto fail = [&](const QString& error) {
        lastText_ = error;
        Text = error;
        return 0;
    };
    if (!locate(Name, ARow, column, lastText_)) return fail(lastText_);
    const QString cell = Cells(column->Index(), ARow);
    Integer result = 0;
    if (column->IsNumeric()) {
        if (!RoundedInteger(CellValue(cell), mode, result)) return fail(QStringLiteral("Invalid Format"));
        lastText_ = Trim(cell).isEmpty() ? QString() : IntToStr(result);
        return result;
    }
    const TSNumericType kind = column->NumericType();
    if (kind != ntgDateym && kind != ntgDateymd) return fail(QStringLiteral("Invalid Value Field"));
    if (Trim(cell).isEmpty()) {
        lastText_ = FormatDateTime(QStringLiteral("yyyy/mm/dd"), 2);
        return 2;
    }
    TDateTime d = 0;
    if (!TryStrToDateTime(kind == ntgDateym ? cell + QStringLiteral("/01") : cell, d))
        return fail(QStringLiteral("Invalid Format"));
    RoundedInteger(d, mode, result);
    lastText_ = cell;
    return result;
}

void TSDBGrid::SetCurrencyByName(const QString& Name, Integer ARow, QString& Text, Currency Value) {
    const TGridColumn* column = nullptr;
    if (!locate(Name, ARow, column, Text)) return;
    if (!column->IsNumeric()) {
        Text = QStringLiteral("Invalid Value Field");
        return;
    }
    const Extended v = Value.ToExtended();
    const QString written = column->NumericType() == ntgZeroFillInteger
                                ? ZeroFilled(Int64(std::nearbyint(v)), column)
                                : FormatNumber(v, column->fpLength(), column->CharTypes().Contains(ctgConmma));
    writeByName(column, ARow, written);
    Text = written;
}

TDateTime TSDBGrid::GetDateTimeByName(const QString& Name, Integer ARow, QString& Text) const {
    const TGridColumn* column = nullptr;
    if (!locate(Name, ARow, column, Text)) return 0;
    const QString cell = Cells(column->Index(), ARow);
    TDateTime d = 0;
    QString full;
    switch (column->NumericType()) {
    case ntgWareki:
        if (!EraDate(cell, d)) {
            Text = QStringLiteral("Invalid Format");
            return -1;
        }
        Text = EraText(cell, column->Mask().isEmpty() ? column->MaskOriginal() : column->Mask());
        return d;
    case ntgDateym: full = cell + QStringLiteral("/01"); break;
    case ntgDateymd: full = cell; break;
    case ntgTimehm: full = QStringLiteral("1899/12/30 ") + cell + QStringLiteral(":00"); break;
    case ntgTimehms: full = QStringLiteral("1899/12/30 ") + cell; break;
    default:
        Text = QStringLiteral("Invalid Value Field");
        return 0;
    }
    if (Trim(cell).isEmpty() || !TryStrToDateTime(full, d)) {
        Text = QStringLiteral("Invalid Format");
        return 0;
    }
    Text = cell;
    return IsTimeKind(column->NumericType()) ? Frac(d) : d;
}

// ------------------------------------------------------------ TCellData

TCellData::TCellData(TSDBGrid* Grid, Integer ACol, Integer ARow) : grid_(Grid) {
    SetCol(ACol);
    SetRow(ARow);
}

void TCellData::SetCol(Integer value) {
    col_ = value >= 0 && value < grid_->GridColumns()->Count() ? value : -1;
}

void TCellData::SetRow(Integer value) {
    row_ = value >= 0 && value < grid_->RowCount() ? value : -1;
}

const TGridColumn* TCellData::column() const {
    return col_ >= 0 && row_ >= 0 ? grid_->Column(col_) : nullptr;
}

Currency TCellData::AsCurrency() const {
    const TGridColumn* c = column();
    if (!c) return Currency();
    QString text;
    return grid_->GetCurrencyByName(c->Text(), row_, text);
}

void TCellData::SetAsCurrency(Currency value) {
    const TGridColumn* c = column();
    if (!c) return;
    QString text;
    grid_->SetCurrencyByName(c->Text(), row_, text, value);
}

Integer TCellData::AsInteger() const {
    const TGridColumn* c = column();
    if (!c) return 0;
    QString text;
    return grid_->GetIntegerByName(c->Text(), row_, text);
}

void TCellData::SetAsInteger(Integer value) {
    SetAsCurrency(Currency::FromRaw(Int64(value) * Currency::Scale));
}
