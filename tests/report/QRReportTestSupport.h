// Reports built in code for the run, export and control tests: a report
// whose data walk is a script of band prints, and an export filter that
// records what it gets.
#pragma once

#include "QRReport.h"

#include <QtCore/QStringList>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

class TScriptReport : public TCustomRazorUze {
public:
    using TCustomRazorUze::TCustomRazorUze;
    std::function<void(TScriptReport&)> Walk;

protected:
    void RunController() override
    {
        if (Walk)
            Walk(*this);
    }
};

inline QString Describe(const TRect& r) { return QStringLiteral("%1,%2,%3,%4").arg(r.Left).arg(r.Top).arg(r.Right).arg(r.Bottom); }

// Keeps every call as one line of text, in order.
class TRecordingFilter : public TQRExportFilter {
public:
    QStringList Calls;
    bool FullPage = false;

    void Start(Integer PaperWidth, Integer PaperHeight, TFont* Font) override
    {
        TQRExportFilter::Start(PaperWidth, PaperHeight, Font);
        Calls << QStringLiteral("start %1x%2 %3 %4").arg(PaperWidth).arg(PaperHeight).arg(Font->Name()).arg(Font->Size());
    }
    void NewPage() override { Calls << QStringLiteral("newpage"); }
    void EndPage() override { Calls << QStringLiteral("endpage"); }
    void Finish() override
    {
        TQRExportFilter::Finish();
        Calls << QStringLiteral("finish");
    }
    void EndBand(TQRCustomBand* Band, Extended Expanded, Integer X, Integer Y) override
    {
        Calls << QStringLiteral("band %1 +%2 at %3,%4").arg(Band->Name()).arg(double(Expanded)).arg(X).arg(Y);
    }
    void TextOut(Extended X, Extended Y, TFont*, TColor, TAlignment, const QString& Text) override
    {
        Calls << QStringLiteral("text %1 at %2,%3").arg(Text).arg(double(X)).arg(double(Y));
    }
    void Shape(const TQRExportShape& s) override
    {
        static const char* kinds[] = {"rect", "hline", "vline"};
        Calls << QStringLiteral("%1 %2 %3 pen%4%5")
                     .arg(QLatin1String(kinds[int(s.Kind)]), Describe(s.Bounds))
                     .arg(s.BrushColor, 6, 16, QLatin1Char('0'))
                     .arg(s.PenStyle == psClear ? QStringLiteral(" clear") : QStringLiteral(" "))
                     .arg(s.PenStyle == psClear ? QString() : QString::number(s.PenWidth));
    }
    void AcceptControl(Extended X, Extended Y, TQRPrintable* Control) override
    {
        Calls << QStringLiteral("control %1 at %2,%3").arg(Control->Name()).arg(double(X)).arg(double(Y));
    }
    bool UseFullPageLength() const override { return FullPage; }
};

// An A4 report in millimetres with its own report printer (pages go to the
// page store as metafiles at 96 dpi).
class QRReportFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        report = std::make_unique<TScriptReport>(nullptr);
        report->SetUnits(TQRUnit::MM);
        report->Page()->SetPaperSize(TQRPaperSize::A4);
        printer = std::make_unique<TQRPrinter>(report.get());
        report->SetQRPrinter(printer.get());
    }

    TQRBand* Band(const QString& name, TQRBandType type, long double heightMM)
    {
        auto* band = new TQRBand(report.get());
        band->SetName(name);
        band->SetParent(report.get());
        band->SetBandType(type);
        band->Size()->SetHeight(heightMM);
        return band;
    }

    void Run(std::function<void(TScriptReport&)> walk)
    {
        report->Walk = std::move(walk);
        report->CreateReport(false);
    }

    std::unique_ptr<TScriptReport> report;
    std::unique_ptr<TQRPrinter> printer;
};
