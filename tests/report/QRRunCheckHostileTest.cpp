// Hostile sizes and values in a run: each gives a clear error or a sane
// page, never a crash, a hang or an endless allocation.
#include "QRRunCheckSupport.h"

#include "DBClient.h"

#include <QtCore/QElapsedTimer>

#include <gtest/gtest.h>

#include <limits>

namespace {

class QRRunCheckHostile : public QRRunCheckFixture {
protected:
    // A client data set of one float field holding the values given.
    TClientDataSet& Floats(const std::vector<double>& values)
    {
        floats = std::make_unique<TClientDataSet>(nullptr);
        floats->SetName(QStringLiteral("F"));
        floats->FieldDefs().Add(QStringLiteral("V"), ftFloat);
        floats->CreateDataSet();
        for (double v : values) {
            floats->Append();
            floats->FieldByName(QStringLiteral("V"))->SetAsFloat(v);
            floats->Post();
        }
        return *floats;
    }

    // A detail band of the height with a label, and a 10 mm summary.
    TQRBand* DetailAndSummary(long double heightMM)
    {
        TQRBand* detail = Make("Detail", rbDetail, heightMM);
        Label(detail, "x", 0);
        Make("Summary", rbSummary, 10);
        return detail;
    }

    std::unique_ptr<TClientDataSet> floats;
};

}  // namespace

TEST_F(QRRunCheckHostile, NotANumberAndInfinitiesPrintAsText)
{
    const double inf = std::numeric_limits<double>::infinity();
    report->SetDataSet(&Floats({1.5, std::nan(""), inf, -inf}));
    TQRBand* detail = Make("Detail", rbDetail, 5);
    Text(detail, "F.V", 0, "#,##0.00");
    TQRBand* summary = Make("Summary", rbSummary, 5);
    Text(summary, "SUM(F.V)", 0, "0.00");
    Text(summary, "AVERAGE(F.V)", 60);
    Text(summary, "MAX(F.V)", 120);
    Run();
    EXPECT_EQ(printer->PageCount(), 1);
    const std::vector<QStringList> lines = PrintedLines();
    EXPECT_EQ(lines, (std::vector<QStringList>{{"1.50"}, {"NAN"}, {"INF"}, {"-INF"}, {"NAN", "NAN", "INF"}}));
}

TEST_F(QRRunCheckHostile, EmptyAndFailingTextsPrintNothingOrTheirError)
{
    TQRBand* detail = Make("Detail", rbDetail, 5);
    Text(detail, "", 0);
    Label(detail, "", 40);
    Text(detail, "'' + ''", 80);
    Text(detail, "UNKNOWNF(1)", 120);
    Run();
    QStringList printed;
    for (const QStringList& line : PrintedLines())
        printed << line;
    printed.removeAll(QString());
    printed.removeAll(QStringLiteral(" "));
    EXPECT_EQ(printed, QStringList{"Unknown function : UNKNOWNF"});
    EXPECT_EQ(PlacedOn("Detail", 1), std::vector<Integer>{100});
}

TEST_F(QRRunCheckHostile, NegativeAndEmptyBandsDoNotMoveThePosition)
{
    for (long double height : {-20.0L, 0.0L}) {
        placed.clear();
        report = std::make_unique<TRazorUze>(nullptr);
        report->SetUnits(TQRUnit::MM);
        report->OnBandPlaced = [this](const TQRBandPlaced& p) {
            placed.push_back({p.Band->Name(), p.Page, p.Column, p.X, p.Y, p.Height});
        };
        DetailAndSummary(height);
        Run();
        EXPECT_EQ(printer->PageCount(), 1);
        EXPECT_EQ(PlacedOn("Summary", 1), std::vector<Integer>{100}) << double(height);
    }
}

TEST_F(QRRunCheckHostile, HugeBandsPrintInPlaceOrEndTheRunWithAnError)
{
    // 1 km prints where it is (it fits no page), the summary on the next.
    DetailAndSummary(1e6L);
    Run();
    EXPECT_EQ(printer->PageCount(), 2);
    EXPECT_EQ(PlacedOn("Detail", 1), std::vector<Integer>{100});
    EXPECT_EQ(PlacedOn("Summary", 2), std::vector<Integer>{100});
    // Past the 32-bit positions: a clear error, then the report runs again.
    // A height past even the pixel sizes is refused when set, but kept.
    for (long double height : {1e12L, 1e15L, 1e30L}) {
        if (height < 1e20L)
            report->BandOfType(rbDetail)->Size()->SetHeight(height);
        else
            EXPECT_THROW(report->BandOfType(rbDetail)->Size()->SetHeight(height), Exception);
        try {
            Run();
            ADD_FAILURE() << "no error for " << double(height);
        } catch (const Exception& e) {
            if (height < 1e20L) {
                EXPECT_EQ(e.Message(), "Band Detail is too large to print");
            }
        }
        EXPECT_TRUE(report->Available());
    }
    report->BandOfType(rbDetail)->Size()->SetHeight(10);
    Run();
    EXPECT_EQ(PlacedOn("Summary", 1), std::vector<Integer>{200});
}

TEST_F(QRRunCheckHostile, MarginsLargerThanThePageAndNoColumns)
{
    report->Page()->SetTopMargin(200);
    report->Page()->SetBottomMargin(200);
    report->Page()->SetColumns(0);
    DetailAndSummary(10);
    Run();
    // The margins of a page they do not fit go; 0 columns is refused.
    EXPECT_EQ(report->Page()->Columns(), 1);
    EXPECT_EQ(PlacedOn("Detail", 1), std::vector<Integer>{0});
    EXPECT_EQ(PlacedOn("Summary", 1), std::vector<Integer>{100});
}

TEST_F(QRRunCheckHostile, AVeryLongStretchingTextPrintsEveryWordInLinearTime)
{
    TQRBand* detail = Make("Detail", rbDetail, 5);
    TQRLabel* label = Label(detail, QString(), 0);
    label->SetAutoSize(false);
    label->Size()->SetWidth(150);
    label->SetAutoStretch(true);
    const int repeats = 24000;
    label->SetCaption(QStringLiteral("lorem ipsum dolor sit amet ").repeated(repeats));
    QElapsedTimer clock;
    clock.start();
    Run();
    // Formatting the whole text again on every page took over 30 s here.
    EXPECT_LT(clock.elapsed(), 12000);
    EXPECT_GT(printer->PageCount(), 50);
    qsizetype words = 0;
    for (const QStringList& line : PrintedLines())
        for (const QString& text : line)
            words += text.split(QLatin1Char(' '), Qt::SkipEmptyParts).size();
    EXPECT_EQ(words, 5 * repeats);
}

TEST_F(QRRunCheckHostile, ColumnsThatCannotFitAreRefused)
{
    DetailAndSummary(10);
    report->Page()->SetColumns(2);
    const std::pair<long double, const char*> cases[] = {
        {1000, "The columns do not fit between the margins"},  // (190 - 1000) / 2 mm wide
        {-50, "The space between columns is negative"},
    };
    for (const auto& [space, message] : cases) {
        report->Page()->SetColumnSpace(space);
        try {
            Run();
            ADD_FAILURE() << "no error for a space of " << double(space);
        } catch (const EQRError& e) {
            EXPECT_EQ(e.Message(), message);
        }
        EXPECT_TRUE(report->Available());
        EXPECT_EQ(report->Units(), TQRUnit::MM);
        EXPECT_TRUE(placed.empty());
    }
    // (1900 - 1898) / 2: columns one tenth of a millimetre wide still run.
    report->Page()->SetColumnSpace(189.8L);
    Run();
    EXPECT_EQ(PlacedOn("Detail", 1), std::vector<Integer>{100});
}
