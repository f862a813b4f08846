// The export path: a run handed to a filter that records what it gets.
// Positions are worked out by hand for an A4 page with 10 mm margins on
// the 96-dpi screen scale (0.1 mm x 96 / 254).
#include "QRReport.h"
#include "QRReportTestSupport.h"

#include "Forms.h"

#include <gtest/gtest.h>

#include <QtCore/QStringList>

#include <memory>

namespace {

// A printable that exports a line of text, as the text controls do.
class TTextOut : public TQRPrintable {
public:
    using TQRPrintable::TQRPrintable;
    void Print(Integer X, Integer Y) override
    {
        TQRPrinter* printer = ParentReport()->QRPrinter();
        if (ParentReport()->Exporting())
            ParentReport()->ExportFilter()->TextOut(printer->XPos(X + Size()->RawValue(TQRPrintableSize::iLeft)),
                                                    printer->YPos(Y + Size()->RawValue(TQRPrintableSize::iTop)),
                                                    Font(), Color(), taLeftJustify, QStringLiteral("hello"));
        TQRPrintable::Print(X, Y);
    }
};

// Runs go to a recording filter; no progress window on the way.
class QRExport : public QRReportFixture {
protected:
    void SetUp() override
    {
        QRReportFixture::SetUp();
        report->SetShowProgress(false);
    }

    TQRBand* Band(const QString& name, TQRBandType type, long double heightMM, TColor color)
    {
        TQRBand* band = QRReportFixture::Band(name, type, heightMM);
        band->SetColor(color);
        return band;
    }

    // The filter starts with the paper in tenths of a millimetre and the report font.
    QString StartLine() const
    {
        return QStringLiteral("start 2100x2970 %1 %2").arg(report->Font()->Name()).arg(report->Font()->Size());
    }

    // What the filter got between the opening of an export (its start line
    // and the change to the first page) and its close (the last page's end
    // and finish); compared line by line, so that a failure shows where the
    // calls part.
    void ExpectExport(const QStringList& pages) const
    {
        const QStringList expected = QStringList{StartLine(), QStringLiteral("endpage"), QStringLiteral("newpage")} +
                                     pages + QStringList{QStringLiteral("endpage"), QStringLiteral("finish")};
        EXPECT_EQ(filter.Calls.join(QLatin1Char('\n')).toStdString(), expected.join(QLatin1Char('\n')).toStdString());
    }

    TRecordingFilter filter;
};

}  // namespace

TEST_F(QRExport, ShapesTextsAndPageEndsArriveInOrderAtTheirPositions)
{
    TQRBand* detail = Band("Detail", rbDetail, 120, 0x00FF00);
    detail->Frame()->SetDrawTop(true);
    detail->Frame()->SetDrawLeft(true);
    TQRBand* footer = Band("Footer", rbPageFooter, 10, 0x0000FF);
    footer->SetTransparentBand(true);
    auto* text = new TTextOut(report.get());
    text->SetParent(detail);
    text->Size()->SetLeft(5);
    text->Size()->SetTop(2);
    report->Walk = [&](TScriptReport& r) {
        r.PrintBand(detail);
        r.PrintBand(detail);  // no room for a third above the footer: 100 + 2 x 1200 + 1200 > 2870 - 100
        EXPECT_FALSE(r.DrawOnCanvas()) << "nothing is drawn while exporting";
        r.PrintBand(detail);
        EXPECT_NE(r.QRPrinter(), printer.get()) << "a fresh report printer";
        EXPECT_EQ(r.QRPrinter()->PageCount(), 1) << "one printer page for the whole export";
    };
    report->ExportToFilter(&filter);

    // Detail at x 100, width 1900 -> 38..756; y 100, 1300, 2500 -> 38, 491, 945;
    // frame rectangles run 0.1 mm lower (1301 -> 492); a 1-point line is
    // round(0.378 x 254 / 72) = 1 pixel; text 2 mm down: 120 -> 45, 1320 -> 499.
    ExpectExport({
        QStringLiteral("rect 38,38,756,491 00ff00 pen clear"),
        QStringLiteral("text hello at 57,45"),
        QStringLiteral("hline 38,38,756,39 000000 pen 1"),
        QStringLiteral("vline 38,38,39,492 000000 pen 1"),
        QStringLiteral("band Detail +0 at 100,100"),
        QStringLiteral("rect 38,491,756,945 00ff00 pen clear"),
        QStringLiteral("text hello at 57,499"),
        QStringLiteral("hline 38,491,756,492 000000 pen 1"),
        QStringLiteral("vline 38,491,39,945 000000 pen 1"),
        QStringLiteral("band Detail +0 at 100,1300"),
        // page 2 begins with the footer of page 1 at 2970 - 100 - 100 = 2770
        QStringLiteral("band Footer +0 at 100,2770"),
        QStringLiteral("endpage"),
        QStringLiteral("newpage"),
        QStringLiteral("rect 38,38,756,491 00ff00 pen clear"),
        QStringLiteral("text hello at 57,45"),
        QStringLiteral("hline 38,38,756,39 000000 pen 1"),
        QStringLiteral("vline 38,38,39,492 000000 pen 1"),
        QStringLiteral("band Detail +0 at 100,100"),
        QStringLiteral("band Footer +0 at 100,2770"),
    });
    EXPECT_TRUE(report->DrawOnCanvas());
    EXPECT_FALSE(report->Exporting());
    EXPECT_EQ(report->QRPrinter(), printer.get()) << "the previous report printer is back";
    EXPECT_EQ(filter.Report(), report.get());
    EXPECT_EQ(filter.PreviousPrinter(), printer.get());
    EXPECT_TRUE(report->Available());
    EXPECT_EQ(printer->Status(), mpReady) << "the previous printer was not used";
}

TEST_F(QRExport, PageBackgroundAndReportFrameGoToTheFilter)
{
    report->SetBackgroundColor(0x00FFFF);
    report->Frame()->SetDrawBottom(true);
    report->Frame()->SetDrawRight(true);
    report->Frame()->SetWidth(3);
    auto* onPage = new TQRPrintable(report.get());
    onPage->SetParent(report.get());
    onPage->SetColor(0x123456);
    onPage->SetTransparent(false);
    onPage->Size()->SetLeft(2);
    onPage->Size()->SetTop(2);
    onPage->Size()->SetWidth(2);
    onPage->Size()->SetHeight(2);
    onPage->Frame()->SetDrawTop(true);
    report->Walk = [](TScriptReport& r) { r.NewPage(); };
    report->ExportToFilter(&filter);
    // Page 2100 x 2970 -> 794 x 1123; printable area 38,38 .. 756,1085; a
    // 3-point line is round(0.378 x 254 / 72 x 3) = 4 pixels. The control
    // sits at its Size on the page: 2 x 2 mm at (2, 2) mm -> 8,8 .. 15,15.
    ExpectExport({
        QStringLiteral("rect 0,0,794,1123 00ffff pen clear"),
        QStringLiteral("rect 8,8,15,15 123456 pen clear"),
        QStringLiteral("hline 8,8,15,9 000000 pen 1"),
        QStringLiteral("hline 38,1081,756,1085 000000 pen 4"),
        QStringLiteral("vline 752,38,756,1085 000000 pen 4"),
    });
}

TEST_F(QRExport, AFilterWithoutPagesGetsTheWholePaperAsSpace)
{
    filter.FullPage = true;
    TQRBand* detail = Band("Detail", rbDetail, 10, clWhite);
    Integer spaceAfterOneBand = -1;
    report->Walk = [&](TScriptReport& r) {
        r.PrintBand(detail);
        spaceAfterOneBand = r.AvailableSpace();
    };
    report->ExportToFilter(&filter);
    EXPECT_EQ(spaceAfterOneBand, 2970);
    filter.FullPage = false;
    filter.Calls.clear();
    report->ExportToFilter(&filter);
    EXPECT_EQ(spaceAfterOneBand, 2970 - 100 - 200);
}

TEST_F(QRExport, AnErrorDuringExportRestoresTheReport)
{
    TQRBand* detail = Band("Detail", rbDetail, 10, clWhite);
    detail->BeforePrint = [](TQRCustomBand*, bool&) { throw EQRError("broken"); };
    report->Walk = [&](TScriptReport& r) { r.PrintBand(detail); };
    EXPECT_THROW(report->ExportToFilter(&filter), EQRError);
    EXPECT_TRUE(report->DrawOnCanvas());
    EXPECT_FALSE(report->Exporting());
    EXPECT_EQ(report->QRPrinter(), printer.get());
    EXPECT_TRUE(report->Available());
    EXPECT_FALSE(filter.Calls.contains(QStringLiteral("finish")));
}

namespace {

class TCaptionForm : public TForm {
public:
    explicit TCaptionForm(TQRPrinter* printer) : TForm(Application), printer_(printer) {}
    TQRPrinter* printer_;
};

}  // namespace

TEST_F(QRExport, ExportingShowsTheProgressFormWhenAsked)
{
    QStringList seen;
    TQRPrinter* formPrinter = nullptr;
    const TQRProgressFormFactory before = RegisterQRProgressForm([&](TQRPrinter* p) {
        formPrinter = p;
        return std::make_unique<TCaptionForm>(p);
    });
    TQRBand* detail = Band("Detail", rbDetail, 10, clWhite);
    report->Walk = [&](TScriptReport& r) {
        r.PrintBand(detail);
        auto* form = dynamic_cast<TCustomForm*>(r.QRPrinter()->PreviewControl());
        seen << (form ? form->Caption() + (form->Visible() ? QStringLiteral(" shown") : QStringLiteral(" hidden"))
                      : QStringLiteral("no form"));
    };
    report->SetShowProgress(true);
    report->ExportToFilter(&filter);
    report->SetShowProgress(false);
    report->ExportToFilter(&filter);
    // The composite form makes the form always and shows it only when asked.
    TQRPrinter shared(report.get());
    shared.BeginDoc();
    report->ExportToFilter(&filter, &shared);
    EXPECT_EQ(formPrinter, &shared);
    shared.AbortDoc();
    RegisterQRProgressForm(before);
    EXPECT_EQ(seen.join(QLatin1Char('|')).toStdString(),
              "Exporting Progress shown|no form|Exporting Progress hidden");
    EXPECT_EQ(shared.PreviewControl(), nullptr) << "the form leaves the shared printer";
}
