// The entry grid's cell values: number and text forms of cells, the date
// and time conversions of a column, and the era table.
#include "SDBGrid.h"

#include "SDBGridInternal.h"

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

QString CutToWidth(const QString& text, Integer width) {
    QString kept;
    const Integer count = CodePointCount(text);
    for (Integer n = 1; n <= count; ++n) {
        const QString prefix = CopyCodePoints(text, 1, n);
        if (StrDisplayWidth(prefix) > width) break;
        kept = prefix;
    }
    return kept;
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
