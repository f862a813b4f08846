// Printing a report: the printer set-up dialog, the progress form, the
// report's window messages, composite runs and the design surface.
#include "QRCtrls.h"
#include "QRReport.h"
#include "QRReportTestSupport.h"

#include "DialogTestSupport.h"

#include "ExtCtrls.h"
#include "Forms.h"
#include "Metafile.h"
#include "PdfTools.h"
#include "QRPrev.h"
#include "QRPrntrPrinterSupport.h"
#include "TestSupport.h"
#include "Windows.h"

#include <QtCore/QDir>
#include <QtCore/QFile>
#include <QtCore/QRegularExpression>
#include <QtCore/QTimer>
#include <QtTest/QTest>
#include <QtWidgets/QApplication>
#include <QtWidgets/QCheckBox>
#include <QtWidgets/QComboBox>
#include <QtWidgets/QDialogButtonBox>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QSpinBox>
#include <QtWidgets/QWidget>

#include <gtest/gtest.h>

#include <array>
#include <memory>

namespace {

using Placed = std::pair<QString, std::array<Integer, 2>>;  // band, {page, y}

class QRPrintBase : public ::testing::Test {
protected:
    TScriptReport* NewReport()
    {
        reports.push_back(std::make_unique<TScriptReport>(nullptr));
        TScriptReport* report = reports.back().get();
        report->SetUnits(TQRUnit::MM);
        report->Page()->SetPaperSize(TQRPaperSize::A4);
        report->SetShowProgress(false);
        report->OnBandPlaced = [this](const TQRBandPlaced& p) {
            placed.push_back({p.Band->Name(), {p.Page, p.Y}});
        };
        return report;
    }

    TQRBand* Band(TCustomRazorUze* report, const QString& name, TQRBandType type, long double heightMM)
    {
        auto* band = new TQRBand(report);
        band->SetName(name);
        band->SetParent(report);
        band->SetBandType(type);
        band->Size()->SetHeight(heightMM);
        return band;
    }

    std::vector<std::unique_ptr<TScriptReport>> reports;
    std::vector<Placed> placed;
};

// A progress form that counts how many exist.
class TCountedForm : public TForm {
public:
    TCountedForm() : TForm(Application) { ++alive; }
    ~TCountedForm() override { --alive; }
    static inline int alive = 0;
};

// A report printer that says when it is freed.
class TWatchedPrinter : public TQRPrinter {
public:
    TWatchedPrinter(TComponent* report, bool& freed) : TQRPrinter(report), freed_(freed) {}
    ~TWatchedPrinter() override { freed_ = true; }

private:
    bool& freed_;
};

QString OnlyPdf(const TPdfFolder& folder)
{
    const QStringList files = QDir(folder.Path()).entryList({QStringLiteral("*.pdf")}, QDir::Files);
    return files.size() == 1 ? folder.Path() + QLatin1Char('/') + files[0] : QString();
}

}  // namespace

// ------------------------------------------------------------ Print and its progress form

class QRPrintProgress : public QRPrintBase {
protected:
    void SetUp() override
    {
        before = RegisterQRProgressForm([this](TQRPrinter* printer) {
            formPrinters.push_back(printer);
            return std::make_unique<TCountedForm>();
        });
    }
    void TearDown() override { RegisterQRProgressForm(before); }

    TQRProgressFormFactory before;
    std::vector<TQRPrinter*> formPrinters;
    TPdfFolder pdf;
};

TEST_F(QRPrintProgress, PrintShowsTheProgressFormForTheRunAndFreesIt)
{
    TScriptReport* report = NewReport();
    report->SetShowProgress(true);
    TQRBand* detail = Band(report, "Detail", rbDetail, 10);
    bool formDuringRun = false;
    report->Walk = [&](TScriptReport& r) {
        r.PrintBand(detail);
        formDuringRun = TCountedForm::alive == 1 && dynamic_cast<TCountedForm*>(r.QRPrinter()->PreviewControl());
    };
    report->Print();
    EXPECT_TRUE(formDuringRun) << "the form takes the printer's progress";
    EXPECT_EQ(TCountedForm::alive, 0);
    ASSERT_EQ(formPrinters.size(), 1u);
    EXPECT_EQ(PdfPageSizes(OnlyPdf(pdf)).size(), 1u);

    report->SetShowProgress(false);
    report->Print();
    EXPECT_EQ(formPrinters.size(), 1u) << "no form without ShowProgress";
}

TEST_F(QRPrintProgress, AnErrorInAPrintUnwindsEverything)
{
    TScriptReport* report = NewReport();
    report->SetShowProgress(true);
    TQRBand* detail = Band(report, "Detail", rbDetail, 10);
    auto* control = new TQRPrintable(report);
    control->SetParent(detail);
    TQRPrinter* runPrinter = nullptr;
    detail->BeforePrint = [&](TQRCustomBand*, bool&) {
        runPrinter = report->QRPrinter();
        EXPECT_EQ(runPrinter->Status(), mpBusy);
        EXPECT_TRUE(report->Functions()->Prepared());
        throw EQRError("broken");
    };
    report->Walk = [&](TScriptReport& r) { r.PrintBand(detail); };
    TQRPrinter previous(report);
    report->SetQRPrinter(&previous);
    EXPECT_THROW(report->Print(), EQRError);
    EXPECT_NE(runPrinter, nullptr);
    EXPECT_EQ(TCountedForm::alive, 0) << "the progress form is freed";
    EXPECT_FALSE(report->Functions()->Prepared());
    EXPECT_EQ(report->QRPrinter(), &previous);
    EXPECT_TRUE(report->Available());
    EXPECT_EQ(report->Units(), TQRUnit::MM);
    EXPECT_EQ(detail->Size()->Units(), TQRUnit::MM);
    EXPECT_FALSE(control->IsPrinting());
    EXPECT_FALSE(Printer()->Printing());
    EXPECT_TRUE(OnlyPdf(pdf).isEmpty()) << "the aborted job leaves no file";
    // The report prints again afterwards.
    detail->BeforePrint = nullptr;
    report->Print();
    EXPECT_EQ(PdfPageSizes(OnlyPdf(pdf)).size(), 1u);
}

// ------------------------------------------------------------ the report's own events

class QRPrintEvents : public QRPrintBase {
protected:
    TScriptReport* OnePageReport()
    {
        TScriptReport* report = NewReport();
        TQRBand* detail = Band(report, "Detail", rbDetail, 10);
        report->Walk = [detail](TScriptReport& r) { r.PrintBand(detail); };
        report->AfterPrint = [this, report](TObject* sender) {
            EXPECT_EQ(sender, report);
            EXPECT_EQ(report->QRPrinter()->Status(), mpFinished);
            events << QStringLiteral("print");
            pdfAtAfterPrint = OnlyPdf(pdf);
        };
        report->AfterPreview = [this, report](TObject* sender) {
            EXPECT_EQ(sender, report);
            events << QStringLiteral("preview");
        };
        return report;
    }

    TPdfFolder pdf;
    QStringList events;
    QString pdfAtAfterPrint;
};

TEST_F(QRPrintEvents, AfterPrintOnceTheDocumentHasEndedOnThePrinter)
{
    TScriptReport* report = OnePageReport();
    report->Print();
    EXPECT_EQ(events, QStringList{QStringLiteral("print")});
    EXPECT_FALSE(pdfAtAfterPrint.isEmpty()) << "the document was out";
    // No document, no AfterPrint.
    report->BeforePrint = [](TCustomRazorUze*, bool& print) { print = false; };
    report->Print();
    EXPECT_EQ(events.size(), 1);
}

TEST_F(QRPrintEvents, AfterPreviewOnceAPreviewOfThePrintCloses)
{
    TScriptReport* report = OnePageReport();
    TQRStandardPreview* window = nullptr;
    std::weak_ptr<TControl*> guard;
    // The application watches the print in a preview and closes it at the end.
    report->BeforePrint = [&](TCustomRazorUze* r, bool&) {
        window = new TQRStandardPreview(nullptr, r->QRPrinter());
        guard = window->Guard();
        window->Show();
    };
    const TQRAfterPrintEvent printed = report->AfterPrint;
    report->AfterPrint = [&](TObject* sender) {
        printed(sender);
        window->Close();
    };
    report->Print();
    EXPECT_EQ(events, (QStringList{QStringLiteral("print"), QStringLiteral("preview")}));
    QTest::qWait(10);
    const auto alive = guard.lock();
    EXPECT_FALSE(alive && *alive) << "the window freed itself";
}

TEST_F(QRPrintEvents, PrinterSettingsHandlersSeeTheRunsDeviceMode)
{
    // The application's printer: the PDF printer and a fake one (selected)
    // of 300 dpi with margins; the report asks for the PDF printer.
    std::unique_ptr<TPrinter> previous(SetPrinter(NewFakePrinter([](TFakePrinterDriver&) {}).release()));
    struct Restore {
        std::unique_ptr<TPrinter>& previous;
        ~Restore() { delete SetPrinter(previous.release()); }
    } restore{previous};
    TScriptReport* report = NewReport();
    TQRBand* detail = Band(report, "Detail", rbDetail, 10);
    report->Page()->SetOrientation(poLandscape);
    report->PrinterSettings()->UseStandardprinter = true;
    report->PrinterSettings()->PrinterIndex = 0;
    Integer resolution = 0, leftOffset = -1;
    report->Walk = [&](TScriptReport& r) {
        resolution = r.QRPrinter()->PrinterSettings().XResolution();
        leftOffset = r.QRPrinter()->LeftOffset();
        r.PrintBand(detail);
    };
    QStringList seen;
    DevMode applied;
    bool refuseRead = true, refuseApply = false;
    report->OnGetPrinterSettings = [&](TObject* sender, bool& cancel, DevMode* mode) {
        EXPECT_EQ(sender, &report->QRPrinter()->PrinterSettings());
        seen << QStringLiteral("get ") + mode->dmDeviceName;
        cancel = refuseRead;
    };
    report->OnApplyPrinterSettings = [&](TObject*, bool& cancel, DevMode* mode) {
        seen << QStringLiteral("apply ") + mode->dmDeviceName;
        applied = *mode;
        cancel = refuseApply;
    };
    // The one page printed, landscape or portrait.
    const auto printedPage = [this] {
        const std::vector<QSizeF> pages = PdfPageSizes(OnlyPdf(pdf));
        QFile::remove(OnlyPdf(pdf));
        if (pages.size() != 1)
            return QStringLiteral("%1 pages").arg(pages.size());
        return pages[0].width() > pages[0].height() ? QStringLiteral("landscape") : QStringLiteral("portrait");
    };

    report->Print();
    EXPECT_EQ(seen, (QStringList{QStringLiteral("get Velmora PDF"), QStringLiteral("apply Velmora PDF")}));
    // Reading refused: the run keeps the figures of the fake printer.
    EXPECT_EQ(resolution, 300);
    EXPECT_NEAR(leftOffset, 50, 1);
    EXPECT_EQ(applied.dmOrientation, DMORIENT_LANDSCAPE);
    EXPECT_EQ(applied.dmPaperSize, DMPAPER_A4);
    EXPECT_EQ(printedPage(), "landscape") << "the device mode reached the printer";

    // Read this time; writing refused, so the printer keeps its portrait paper.
    Printer()->SetPrinterIndex(1);
    refuseRead = false;
    refuseApply = true;
    report->Print();
    EXPECT_EQ(seen.size(), 4);
    EXPECT_EQ(resolution, 600);
    EXPECT_EQ(leftOffset, 0);
    EXPECT_EQ(printedPage(), "portrait");
}

TEST_F(QRPrintEvents, PrintingStoredPagesRaisesTheReportsAfterPrint)
{
    TScriptReport* report = OnePageReport();
    TQRPrinter printer(report);
    report->SetQRPrinter(&printer);
    report->CreateReport(false);
    EXPECT_TRUE(events.isEmpty()) << "pages kept in the store are not printed yet";
    int progressForms = 0;
    RegisterQRProgressForm([&](TQRPrinter*) {
        ++progressForms;
        return std::unique_ptr<TCustomForm>();
    });
    report->SetShowProgress(true);
    printer.Print();
    EXPECT_EQ(events, QStringList{QStringLiteral("print")});
    EXPECT_EQ(PdfPageSizes(OnlyPdf(pdf)).size(), 1u);
    EXPECT_EQ(progressForms, 1) << "the report's ShowProgress rules over the printer's";
    report->SetShowProgress(false);
    printer.ShowProgress = true;
    printer.Print();
    EXPECT_EQ(progressForms, 1);
    RegisterQRProgressForm(nullptr);
    report->SetQRPrinter(nullptr);
}

// ------------------------------------------------------------ window messages

class QRMessages : public QRPrintBase {};

TEST_F(QRMessages, TheFirstPageIsKeptForTheDesignSurface)
{
    TScriptReport* report = NewReport();
    TQRBand* detail = Band(report, "Detail", rbDetail, 150);
    auto printer = std::make_unique<TQRPrinter>(report);
    printer->SetPreviewControl(report);
    report->SetQRPrinter(printer.get());
    report->Walk = [&](TScriptReport& r) {
        for (int i = 0; i < 3; ++i)
            r.PrintBand(detail);
    };
    report->CreateReport(false);
    Application->ProcessMessages();
    ASSERT_NE(report->DesignPage(), nullptr);
    const auto first = printer->GetPage(1);
    EXPECT_EQ(report->DesignPage()->Data(), first->Data()) << "page 1, not a later one";
    // A new run drops it, even one that prints nothing.
    printer->Cleanup();
    report->BeforePrint = [](TCustomRazorUze*, bool& print) { print = false; };
    report->CreateReport(false);
    EXPECT_EQ(report->DesignPage(), nullptr);
    printer->Cleanup();
}

TEST_F(QRMessages, PrintAgainAndCloseRequests)
{
    TPdfFolder pdf;
    TScriptReport* report = NewReport();
    TQRBand* detail = Band(report, "Detail", rbDetail, 10);
    report->Walk = [&](TScriptReport& r) { r.PrintBand(detail); };
    PostMessage(report, WM_USER + 2);
    EXPECT_TRUE(OnlyPdf(pdf).isEmpty());
    Application->ProcessMessages();
    EXPECT_EQ(PdfPageSizes(OnlyPdf(pdf)).size(), 1u) << "WM_USER+2 prints";

    // During a run WM_USER+4 cancels it.
    auto printer = std::make_unique<TQRPrinter>(report);
    report->SetQRPrinter(printer.get());
    int printedAfterCancel = 0;
    report->Walk = [&](TScriptReport& r) {
        r.PrintBand(detail);
        SendMessage(&r, WM_USER + 4, 0, LPARAM(printer.get()));
        if (!r.Cancelled())
            r.PrintBand(detail);
        else
            ++printedAfterCancel;
    };
    report->CreateReport(false);
    EXPECT_TRUE(report->Cancelled());
    EXPECT_EQ(printedAfterCancel, 1);
    EXPECT_TRUE(printer->Cancelled());
    EXPECT_EQ(report->QRPrinter(), printer.get()) << "a run keeps its printer";

    // Outside a run it lets go of the report printer, freeing one it owns.
    bool freed = false;
    report->AdoptQRPrinter(std::make_unique<TWatchedPrinter>(report, freed));
    SendMessage(report, WM_USER + 4);
    EXPECT_TRUE(freed);
    EXPECT_EQ(report->QRPrinter(), nullptr);
}

TEST_F(QRMessages, LettingGoOfThePrinterClosesItsOpenPreviewFirst)
{
    TScriptReport* report = NewReport();
    TForm window(nullptr);
    auto* preview = new TPanel(&window);
    preview->SetParent(&window);
    window.Show();
    bool freed = false;
    auto printer = std::make_unique<TWatchedPrinter>(report, freed);
    printer->SetPreviewControl(preview);
    printer->SetClient(report);
    printer->SetShowingPreview(true);
    int closedPreviews = 0;
    printer->OnPreviewClosed = [&](TObject*) { ++closedPreviews; };
    // The window closing tells the printer, which tells the report again.
    window.OnClose = [&](TObject*, TCloseAction&) {
        if (!freed)
            report->QRPrinter()->ClosePreview();
    };
    report->AdoptQRPrinter(std::move(printer));
    SendMessage(report, WM_USER + 4);
    EXPECT_FALSE(window.Visible());
    EXPECT_TRUE(freed);
    EXPECT_EQ(closedPreviews, 0) << "already marked closed";
    EXPECT_EQ(report->QRPrinter(), nullptr);
}

// ------------------------------------------------------------ printer set-up

class QRPrinterSetup : public QRPrintBase {
protected:
    void SetUp() override
    {
        // The dialog takes the first printer for its own output: the fake one.
        auto fake = std::make_unique<TFakePrinterDriver>(QStringLiteral("Fake printer"));
        // A driver's own bin: 256 up from the standard codes.
        fake->bin = SmallInt(256 + DMBIN_LOWER);
        fake->bins.push_back(Word(256 + DMBIN_LOWER));
        std::vector<std::unique_ptr<TPrinterDriver>> drivers;
        drivers.push_back(std::move(fake));
        drivers.push_back(NewPdfPrinterDriver());
        previous.reset(SetPrinter(new TPrinter(std::move(drivers))));
        Printer()->SetPrinterIndex(1);
    }
    void TearDown() override { delete SetPrinter(previous.release()); }

    std::unique_ptr<TPrinter> previous;
};

TEST_F(QRPrinterSetup, CancelledLeavesTagOneAndTheSettings)
{
    TScriptReport* report = NewReport();
    report->SetTag(5);
    report->PrinterSettings()->Copies = 4;
    WhenPrintDialogShows([](QDialog& d) { QTest::keyClick(&d, Qt::Key_Escape); });
    report->PrinterSetup();
    EXPECT_EQ(report->Tag(), 1);
    EXPECT_EQ(report->PrinterSettings()->Copies, 4);
    EXPECT_EQ(report->PrinterSettings()->PrinterIndex, -1);
}

TEST_F(QRPrinterSetup, TheDialogStartsFromTheReportAndItsChoiceComesBack)
{
    TScriptReport* report = NewReport();
    report->SetTag(1);
    report->Page()->SetOrientation(poLandscape);
    report->PrinterSettings()->PrinterIndex = 0;  // the fake printer
    report->PrinterSettings()->Copies = 3;
    report->PrinterSettings()->OutputBin = TQRBin::Cassette;
    int copiesShown = 0, maxPage = 0;
    WhenPrintDialogShows([&](QDialog& d) {
        auto* copies = d.findChild<QSpinBox*>(QStringLiteral("copies"));
        auto* to = d.findChild<QSpinBox*>(QStringLiteral("to"));
        copiesShown = copies ? copies->value() : -1;
        maxPage = to ? to->maximum() : -1;
        if (copies) {
            copies->setFocus();
            QTest::keyClick(copies, Qt::Key_A, Qt::ControlModifier);
            QTest::keyClicks(copies, QStringLiteral("2"));
            QTest::keyClick(copies, Qt::Key_Tab);
        }
        Accept(d);
    });
    report->PrinterSetup();
    EXPECT_EQ(report->Tag(), 0);
    EXPECT_EQ(copiesShown, 3);
    EXPECT_EQ(maxPage, 9999) << "nothing produced yet";
    EXPECT_EQ(report->PrinterSettings()->Copies, 2);
    EXPECT_EQ(report->PrinterSettings()->PrinterIndex, 0);
    EXPECT_EQ(report->Page()->Orientation(), poLandscape) << "the dialog began in landscape";
    EXPECT_EQ(double(report->Page()->Width()), 297.0);
    const TRazorUzePrinterSettings& chosen = *report->DialogSettings();
    EXPECT_EQ(chosen.Copies, 2);
    EXPECT_EQ(chosen.Orientation, poLandscape);
    EXPECT_EQ(chosen.OutputBin, TQRBin::Lower) << "driver bin 258 is the lower tray";
    EXPECT_EQ(report->PrinterSettings()->OutputBin, TQRBin::Cassette);
}

TEST_F(QRPrinterSetup, AFinishedRunOffersItsPages)
{
    TScriptReport* report = NewReport();
    TQRBand* detail = Band(report, "Detail", rbDetail, 200);
    TQRPrinter printer(report);
    report->SetQRPrinter(&printer);
    report->Walk = [&](TScriptReport& r) {
        for (int i = 0; i < 3; ++i)
            r.PrintBand(detail);
    };
    report->CreateReport(false);
    ASSERT_EQ(printer.PageCount(), 3);
    int minPage = 0, maxPage = 0;
    WhenPrintDialogShows([&](QDialog& d) {
        auto* to = d.findChild<QSpinBox*>(QStringLiteral("to"));
        minPage = to ? to->minimum() : -1;
        maxPage = to ? to->maximum() : -1;
        Accept(d);
    });
    report->PrinterSetup();
    EXPECT_EQ(minPage, 1);
    EXPECT_EQ(maxPage, 3);
    EXPECT_EQ(report->DialogSettings()->FirstPage, 1);
    EXPECT_EQ(report->DialogSettings()->LastPage, 3);
}

// What the dialog shows is what prints: three copies, collated, from the
// PDF printer chosen in it.
TEST_F(QRPrinterSetup, CollatedCopiesChosenInTheDialogArePrinted)
{
    TPdfFolder pdf;
    TScriptReport* report = NewReport();
    report->PrinterSettings()->UseStandardprinter = true;
    TQRBand* detail = Band(report, "Detail", rbDetail, 200);
    auto* label = new TQRLabel(report);
    label->SetParent(detail);
    label->SetBounds(40, 20, 300, 30);
    report->Walk = [&](TScriptReport& r) {
        for (int sheet = 1; sheet <= 2; ++sheet) {
            label->SetCaption(QStringLiteral("Sheet %1").arg(sheet));
            r.PrintBand(detail);
        }
    };
    WhenPrintDialogShows([&](QDialog& d) {
        auto* printers = DialogChild<QComboBox>(d, "printer");
        printers->setFocus();
        QTest::keyClick(printers, Qt::Key_End);  // the PDF printer, last here
        Retype(DialogChild<QSpinBox>(d, "copies"), "3");
        ClickNearLeft(DialogChild<QCheckBox>(d, "collate"));
        Accept(d);
    });
    report->PrinterSetup();
    EXPECT_EQ(report->DialogSettings()->Copies, 3);
    EXPECT_EQ(report->DialogSettings()->Collate, 1);
    EXPECT_EQ(report->PrinterSettings()->PrinterIndex, 1);
    report->Print();
    QStringList sheets;
    for (const QString& text : PdfPageTexts(OnlyPdf(pdf)))
        sheets << text.simplified();
    EXPECT_EQ(sheets.join('|'), "Sheet 1|Sheet 2|Sheet 1|Sheet 2|Sheet 1|Sheet 2");
}

// ------------------------------------------------------------ composite runs

// Two reports run as one, each with a detail band; the second prints its
// detail once.
class QRComposite : public QRPrintBase {
protected:
    void TwoReports(long double detailMM)
    {
        first = NewReport();
        second = NewReport();
        d1 = Band(first, "D1", rbDetail, detailMM);
        d2 = Band(second, "D2", rbDetail, detailMM);
        second->Walk = [this](TScriptReport& r) { r.PrintBand(d2); };
    }

    void FirstPrintsDetail(int times)
    {
        first->Walk = [this, times](TScriptReport& r) {
            for (int i = 0; i < times; ++i)
                r.PrintBand(d1);
        };
    }

    // The steps a composite print takes, on a printer of the test's own.
    void RunByHand(TQRPrinter& printer, TQRExportFilter* filter = nullptr)
    {
        run.Reports = {first, second};
        run.Printer = &printer;
        run.Filter = filter;
        CompositeApplySettings(run);
        CompositeBeginDoc(run);
        CompositeRunReports(run);
        CompositeEndDoc(run);
    }

    TScriptReport* first = nullptr;
    TScriptReport* second = nullptr;
    TQRBand* d1 = nullptr;
    TQRBand* d2 = nullptr;
    TQRCompositeRun run;
};

TEST_F(QRComposite, TwoReportsShareOneDocument)
{
    TPdfFolder pdf;
    TwoReports(100);
    Band(first, "F1", rbPageFooter, 10);
    Band(second, "F2", rbPageFooter, 10);
    FirstPrintsDetail(3);
    first->SetTag(7);
    second->SetTag(8);
    QStringList afterPrint;
    first->AfterPrint = [&](TObject*) { afterPrint << QStringLiteral("first"); };
    second->AfterPrint = [&](TObject*) { afterPrint << QStringLiteral("second %1").arg(second->Tag()); };
    run.Reports = {first, second};
    first->SetCompositeRun(&run);
    first->Print();

    // Page 1: details at 100 and 1100, the first report's footer; page 2:
    // its third detail, then the second report's detail below it and the
    // second report's footer, which ends the document.
    const std::vector<Placed> expected = {
        {"D1", {1, 100}}, {"D1", {1, 1100}}, {"F1", {1, 2770}}, {"D1", {2, 100}},
        {"D2", {2, 1100}}, {"F2", {2, 2770}}};
    EXPECT_EQ(placed, expected);
    EXPECT_EQ(PdfPageSizes(OnlyPdf(pdf)).size(), 2u) << "one document of two pages";
    EXPECT_EQ(afterPrint, (QStringList{QStringLiteral("first"), QStringLiteral("second 999")}));
    EXPECT_EQ(first->Tag(), 7);
    EXPECT_EQ(second->Tag(), 8) << "the last report's Tag is put back";
    EXPECT_TRUE(first->Available());
    EXPECT_TRUE(second->Available());
}

TEST_F(QRComposite, ACancelledReportStopsTheRun)
{
    TwoReports(10);
    first->Walk = [this](TScriptReport& r) {
        r.PrintBand(d1);
        r.Cancel();
    };
    TQRPrinter printer(first);
    RunByHand(printer);
    EXPECT_TRUE(run.Cancelled);
    EXPECT_EQ(placed, (std::vector<Placed>{{"D1", {1, 100}}}));
    EXPECT_EQ(printer.Status(), mpFinished);
}

// ------------------------------------------------------------ design surface

class QRDesignSurface : public QRPrintBase {
protected:
    QImage Show(TCustomRazorUze* report)
    {
        form = std::make_unique<TForm>(nullptr);
        form->SetBounds(0, 0, 900, 1200);
        report->SetParent(form.get());
        report->Page()->Update();
        form->Show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(form->Handle()));
        return report->Handle()->grab().toImage();
    }
    void TearDown() override
    {
        for (auto& r : reports)
            r->SetParent(nullptr);
    }

    std::unique_ptr<TForm> form;
};

TEST_F(QRDesignSurface, MarginsColumnGapsAndFrame)
{
    TScriptReport* report = NewReport();
    report->Page()->SetRuler(false);
    report->Page()->SetColumns(2);
    report->Page()->SetColumnSpace(10);
    report->Frame()->SetDrawLeft(true);
    report->Frame()->SetWidth(6);  // 6 points: 8 screen pixels
    const QImage image = Show(report);
    SaveTestImage(image, "qrreport-design-surface");
    // Margins 10 mm -> 38 px; page 794 x 1123 px; the right margin at
    // 2000 -> 756; columns (1900 - 100) / 2 = 900 wide: the gap runs from
    // 1000 to 1100 (0.1 mm) -> 378 and 416 px.
    const QColor margin(0x80, 0x80, 0xFF), column(0x60, 0x60, 0x60), white(Qt::white);
    EXPECT_EQ(image.pixelColor(400, 38), margin) << "top margin";
    EXPECT_EQ(image.pixelColor(755, 500), margin) << "right margin";
    EXPECT_EQ(image.pixelColor(400, 1084), margin) << "bottom margin";
    EXPECT_EQ(image.pixelColor(378, 500), column);
    EXPECT_EQ(image.pixelColor(416, 500), column);
    EXPECT_EQ(image.pixelColor(397, 500), white) << "inside the gap";
    EXPECT_EQ(image.pixelColor(45, 500), QColor(Qt::black)) << "frame's left side, 8 px";
    EXPECT_EQ(image.pixelColor(46, 500), white);
    EXPECT_EQ(image.pixelColor(20, 500), white) << "outside the margins";
}

TEST_F(QRDesignSurface, TheRulerFollowsTheUnit)
{
    TScriptReport* report = NewReport();
    const QImage mm = Show(report);
    SaveTestImage(mm, "qrreport-design-ruler-mm");
    // Lines every 5 mm (19 px), the centimetre lines a shade lighter.
    const QColor line(0xF0, 0xF0, 0xF0), major(0xF9, 0xF9, 0xF9);
    EXPECT_EQ(mm.pixelColor(19, 600), line);
    EXPECT_EQ(mm.pixelColor(76, 600), major) << "2 cm";
    EXPECT_EQ(mm.pixelColor(600, 57), line) << "15 mm down";
    EXPECT_EQ(mm.pixelColor(30, 600), QColor(Qt::white));
    report->SetUnits(TQRUnit::Inches);
    const QImage inches = report->Handle()->grab().toImage();
    SaveTestImage(inches, "qrreport-design-ruler-inches");
    // Quarter inches: 24 px; an inch: 96 px.
    EXPECT_EQ(inches.pixelColor(24, 610), line);
    EXPECT_EQ(inches.pixelColor(96, 610), major);
    EXPECT_EQ(inches.pixelColor(19, 610), QColor(Qt::white));
    EXPECT_EQ(inches.pixelColor(610, 600), line) << "25 quarter inches down";
    report->SetUnits(TQRUnit::Native);
    const QImage native = report->Handle()->grab().toImage();
    EXPECT_EQ(native.pixelColor(24, 600), QColor(Qt::white)) << "no ruler in native units";
}

TEST_F(QRDesignSurface, ThePagePictureShowsOnTheDesignSurface)
{
    TScriptReport* report = NewReport();
    report->Page()->SetRuler(false);
    TQRBand* detail = Band(report, "Detail", rbDetail, 30);
    detail->SetColor(clYellow);
    auto printer = std::make_unique<TQRPrinter>(report);
    printer->SetPreviewControl(report);
    report->SetQRPrinter(printer.get());
    report->Walk = [&](TScriptReport& r) { r.PrintBand(detail); };
    report->CreateReport(false);
    Application->ProcessMessages();
    ASSERT_NE(report->DesignPage(), nullptr);
    // The detail's print: 100..130 mm down the page -> y 38..151 px, over
    // the band shown at the top margin on the design surface.
    detail->SetVisible(false);
    const QImage image = Show(report);
    SaveTestImage(image, "qrreport-design-page");
    EXPECT_EQ(image.pixelColor(400, 100), QColor(Qt::yellow));
    EXPECT_EQ(image.pixelColor(400, 200), QColor(Qt::white));
    printer->Cleanup();
}

TEST_F(QRComposite, ExportedTogetherTheFilterSeesOneDocument)
{
    TwoReports(100);
    FirstPrintsDetail(3);
    TRecordingFilter filter;
    TQRPrinter printer(first);
    RunByHand(printer, &filter);
    const QStringList ends = filter.Calls.filter(QRegularExpression(QStringLiteral("^(start|newpage|finish|band)")));
    EXPECT_EQ(ends.join(QLatin1Char('|')).toStdString(),
              QStringLiteral("start 2100x2970 %1 %2|newpage|band D1 +0 at 100,100|band D1 +0 at 100,1100|"
                             "newpage|band D1 +0 at 100,100|band D2 +0 at 100,1100|finish")
                  .arg(first->Font()->Name())
                  .arg(first->Font()->Size())
                  .toStdString());
    EXPECT_EQ(printer.Status(), mpFinished);
    EXPECT_EQ(printer.PageCount(), 1) << "one printer page for the export";
    EXPECT_EQ(printer.PageList().PageCount(), 0) << "exported pages are not kept";
    EXPECT_TRUE(first->DrawOnCanvas());
    EXPECT_FALSE(second->Exporting());
}

TEST_F(QRComposite, APrinterIndexOfAPrinterSinceGoneKeepsTheCurrentPrinter)
{
    TScriptReport* report = NewReport();
    TQRBand* detail = Band(report, "Detail", rbDetail, 10);
    report->PrinterSettings()->PrinterIndex = 99;
    report->PrinterSettings()->Copies = 2;
    report->Walk = [&](TScriptReport& r) { r.PrintBand(detail); };
    TQRPrinter printer(report);
    const Integer index = printer.PrinterIndex();
    report->SetQRPrinter(&printer);
    report->CreateReport(false);
    EXPECT_EQ(printer.PrinterIndex(), index);
    EXPECT_EQ(printer.PageCount(), 1);
}
