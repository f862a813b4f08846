// The expression control: prepares its expression against the report's
// data sets and named values, keeps its aggregates in step with the
// records of its master and prints the value through a mask.
#include "QRCtrls.h"
#include "QRReportInternal.h"

#include "SysUtils.h"

namespace {

constexpr qsizetype MaxMaskWidth = 255;
constexpr qsizetype MaxMaskPrecision = 18;

// A number of at most limit written at i, moving i past it.
bool ReadBoundedNumber(const QString& mask, qsizetype& i, qsizetype limit)
{
    qsizetype value = 0;
    while (i < mask.size() && mask[i].isDigit()) {
        value = value * 10 + mask[i].digitValue();
        if (value > limit)
            return false;
        ++i;
    }
    return true;
}

// A currency mask: "%%" as often as wanted and exactly one
// "%[-][width][.precision]m" of bounded width and precision.
bool IsCurrencyMask(const QString& mask)
{
    int currencies = 0;
    for (qsizetype i = 0; i < mask.size(); ++i) {
        if (mask[i] != u'%')
            continue;
        ++i;
        if (i < mask.size() && mask[i] == u'%')
            continue;
        if (i < mask.size() && mask[i] == u'-')
            ++i;
        if (!ReadBoundedNumber(mask, i, MaxMaskWidth))
            return false;
        if (i < mask.size() && mask[i] == u'.' && !ReadBoundedNumber(mask, ++i, MaxMaskPrecision))
            return false;
        if (i >= mask.size() || mask[i].toLower() != u'm')
            return false;
        ++currencies;
    }
    return currencies == 1;
}

}  // namespace

QString QRValueText(const EvalResult& value, const QString& mask)
{
    switch (value.Kind) {
    case rkInteger:
        return FormatFloat(mask, Extended(value.IntResult));
    case rkFloat:
        if (!mask.contains(QLatin1String("%m"), Qt::CaseInsensitive))
            return FormatFloat(mask, Extended(value.FloatResult));
        if (!IsCurrencyMask(mask))
            return QStringLiteral("Invalid format or value specified");
        return Format(mask, {value.FloatResult});
    case rkString:
        return value.Message();
    case rkBoolean:
        return value.BoolResult ? QStringLiteral("True") : QStringLiteral("False");
    case rkError:
        break;
    }
    return value.Message();
}

TQRExpr::TQRExpr(TComponent* AOwner) : TQRCustomLabel(AOwner) { SetExpression(QString()); }

TQRExpr::~TQRExpr() = default;

void TQRExpr::SetExpression(const QString& value)
{
    expression_ = value;
    SetText(value.isEmpty() ? QStringLiteral("(none)") : value);
    Invalidate();
}

void TQRExpr::SetMask(const QString& value)
{
    mask_ = value;
    SetExpression(expression_);
}

void TQRExpr::SetMaster(TComponent* value)
{
    if (master_ != value)
        ReferTo(this, master_, value);
}

void TQRExpr::Notification(TComponent* AComponent, TOperation Operation)
{
    TQRCustomLabel::Notification(AComponent, Operation);
    ForgetIfRemoved(master_, AComponent, Operation);
}

void TQRExpr::Prepare()
{
    TQRCustomLabel::Prepare();
    if (TCustomRazorUze* report = ParentReport()) {
        evaluator_.SetDataSets(report->AllDataSets());
        evaluator_.SetEnvironment(report->Functions());
    }
    evaluator_.Prepare(expression_);
    RegisterWithMaster();
    evaluator_.Reset();
}

void TQRExpr::RegisterWithMaster()
{
    if (auto* report = dynamic_cast<TCustomRazorUze*>(master_))
        report->AddNotifyClient(this);
    else if (auto* band = dynamic_cast<TQRSubDetail*>(master_))
        band->AddNotifyClient(this);
    else if (!master_ && ParentReport() && evaluator_.ContainsAggregates())
        ParentReport()->AddNotifyClient(this);
}

void TQRExpr::Unprepare()
{
    evaluator_.SetDataSets(nullptr);
    evaluator_.Unprepare();
    TQRCustomLabel::Unprepare();
    SetExpression(expression_);
}

void TQRExpr::Notify(TObject* Sender, Integer Operation)
{
    TQRCustomLabel::Notify(Sender, Operation);
    if (Operation == 0)
        evaluator_.UpdateAggregates();
}

void TQRExpr::Print(Integer X, Integer Y)
{
    if (!TakesPart())
        return;
    SetPrintText(QRValueText(evaluator_.Value(), mask_));
    TQRCustomLabel::Print(X, Y);
    if (resetAfterPrint_)
        evaluator_.Reset();
}
