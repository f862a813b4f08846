// Reports built in code for the run and control tests: a report whose data
// walk is a script of band prints.
#pragma once

#include "QRReport.h"

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
