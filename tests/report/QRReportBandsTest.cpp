// Bands on a report at design time: the band switches, child chains and
// links that refuse cycles, the design order and the top-down layout, and
// printables that follow their band.
#include "QRReport.h"

#include "Forms.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QtTest/QTest>
#include <QtWidgets/QWidget>
#include <algorithm>
#include <memory>

namespace {

// Pixels at 96 ppi for tenths of a millimetre, at zoom z.
Integer Px(long double tenths, int zoom = 100) { return Integer(Round(tenths * 96 / 254 * zoom / 100)); }

class QRBands : public ::testing::Test {
protected:
    void SetUp() override
    {
        owner = std::make_unique<TComponent>(nullptr);
        report = new TCustomRazorUze(owner.get());
        report->SetUnits(TQRUnit::MM);
        report->Page()->SetPaperSize(TQRPaperSize::A4);
    }

    TQRBand* AddBand(TQRBandType type, long double heightMM)
    {
        auto* band = new TQRBand(owner.get());
        band->SetParent(report);
        band->SetBandType(type);
        band->Size()->SetHeight(heightMM);
        return band;
    }

    std::unique_ptr<TComponent> owner;
    TCustomRazorUze* report = nullptr;
};

}  // namespace

TEST_F(QRBands, SwitchesCreateNamedBandsAndFreeThem)
{
    TRazorUzeBands* bands = report->Bands();
    EXPECT_FALSE(bands->HasTitle());
    bands->SetHasTitle(true);
    bands->SetHasDetail(true);
    ASSERT_TRUE(bands->HasTitle());
    TQRCustomBand* title = report->BandOfType(rbTitle);
    EXPECT_EQ(title->Name(), "TitleBand1");
    EXPECT_EQ(title->Owner(), owner.get()) << "owned by the report's owner";
    EXPECT_EQ(title->Parent(), report);
    EXPECT_EQ(title->ParentReport(), report);
    EXPECT_EQ(report->BandOfType(rbDetail)->Name(), "DetailBand1");
    bands->SetHasTitle(true);
    EXPECT_EQ(report->BandList().size(), 2u) << "a second true creates nothing";

    bands->SetHasTitle(false);
    EXPECT_FALSE(bands->HasTitle());
    EXPECT_EQ(report->BandList().size(), 1u);
    EXPECT_EQ(owner->FindComponent("TitleBand1"), nullptr);
    EXPECT_EQ(QRBandCaption(rbPageHeader), "Page Header");
    EXPECT_EQ(QRBandDefaultName(rbColumnHeader), "ColumnHeaderBand");
}

TEST_F(QRBands, LinkBandRefusesCyclesAndForgetsFreedBands)
{
    TQRBand* a = AddBand(rbDetail, 5);
    TQRBand* b = AddBand(rbDetail, 5);
    TQRBand* c = AddBand(rbDetail, 5);
    a->SetLinkBand(b);
    b->SetLinkBand(c);
    c->SetLinkBand(a);
    EXPECT_EQ(c->LinkBand(), nullptr) << "a -> b -> c -> a refused";
    a->SetLinkBand(a);
    EXPECT_EQ(a->LinkBand(), b);
    delete b;
    EXPECT_EQ(a->LinkBand(), nullptr);
    EXPECT_EQ(report->BandList().size(), 2u);
}

TEST_F(QRBands, ChildChainsStayLinkedAndAcyclic)
{
    TQRBand* detail = AddBand(rbDetail, 5);
    detail->SetHasChild(true);
    TQRChildBand* child = detail->ChildBand();
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(child->BandType(), rbChild);
    EXPECT_EQ(child->ParentBand(), detail);
    EXPECT_EQ(child->Parent(), report);
    child->SetHasChild(true);
    TQRChildBand* grandchild = child->ChildBand();
    ASSERT_NE(grandchild, nullptr);

    // A parent chain leading back to the band is refused.
    child->SetParentBand(grandchild);
    EXPECT_EQ(child->ParentBand(), detail);
    grandchild->SetParentBand(grandchild);
    EXPECT_EQ(grandchild->ParentBand(), child);

    // Freeing the middle child links the grandchild to the band.
    detail->SetHasChild(false);
    EXPECT_EQ(detail->ChildBand(), grandchild);
    EXPECT_EQ(grandchild->ParentBand(), detail);
    delete detail;
    EXPECT_EQ(grandchild->ParentBand(), nullptr);
}

namespace {

// Counts the layouts during which a child band names a parent band that is
// no longer on the report (one being freed).
class TLayoutWatchingReport : public TCustomRazorUze {
public:
    using TCustomRazorUze::TCustomRazorUze;
    int strayParents = 0;
    int layouts = 0;

protected:
    void AlignControls(TControl* AControl, TRect& Rect) override
    {
        ++layouts;
        const auto& bands = BandList();
        for (TQRCustomBand* band : bands)
            if (auto* child = dynamic_cast<TQRChildBand*>(band);
                child && child->ParentBand() && std::find(bands.begin(), bands.end(), child->ParentBand()) == bands.end())
                ++strayParents;
        TCustomRazorUze::AlignControls(AControl, Rect);
    }
};

}  // namespace

TEST(QRBandsFreed, ChildrenForgetTheirParentBeforeTheReportLaysOutAgain)
{
    TComponent owner(nullptr);
    auto* report = new TLayoutWatchingReport(&owner);
    auto* detail = new TQRBand(&owner);
    detail->SetParent(report);
    detail->SetBandType(rbDetail);
    detail->SetHasChild(true);
    TQRChildBand* child = detail->ChildBand();
    child->SetHasChild(true);
    TQRChildBand* grandchild = child->ChildBand();
    const int before = report->layouts;
    delete detail;
    EXPECT_EQ(child->ParentBand(), nullptr);
    EXPECT_EQ(grandchild->ParentBand(), child);
    delete child;
    EXPECT_EQ(grandchild->ParentBand(), nullptr);
    // The report laid its bands out again as each band left.
    EXPECT_GE(report->layouts, before + 2);
    EXPECT_EQ(report->strayParents, 0);
    EXPECT_EQ(report->BandList().size(), 1u);
}

TEST_F(QRBands, ABandParentedToABandSitsOnTheReport)
{
    TQRBand* detail = AddBand(rbDetail, 5);
    auto* other = new TQRBand(owner.get());
    other->SetParent(detail);
    EXPECT_EQ(other->Parent(), report);
    EXPECT_EQ(other->ParentReport(), report);
    other->SetParent(nullptr);
    EXPECT_EQ(other->ParentReport(), nullptr);
    EXPECT_EQ(report->BandList().size(), 1u);
    delete other;
}

TEST_F(QRBands, DesignOrderAndTopDownLayout)
{
    TQRPage* page = report->Page();
    page->SetColumns(3);
    page->SetColumnSpace(5);
    TQRBand* summary = AddBand(rbSummary, 7);
    TQRBand* detail = AddBand(rbDetail, 10);
    TQRBand* footer = AddBand(rbPageFooter, 8);
    TQRBand* title = AddBand(rbTitle, 20);
    TQRBand* header = AddBand(rbPageHeader, 12.5L);
    header->SetHasChild(true);
    TQRChildBand* headerChild = header->ChildBand();
    headerChild->Size()->SetHeight(4);
    TQRBand* column = AddBand(rbColumnHeader, 6);

    const std::vector<TQRCustomBand*> expected = {header, headerChild, title, column, footer, summary, detail};
    EXPECT_EQ(report->PrintOrder(), expected);

    // A4, 10 mm margins: printable width 1900, columns (1900 - 2 x 50) / 3 = 600.
    EXPECT_EQ(report->PrintableWidth(), 1900);
    EXPECT_EQ(report->ColumnWidth(), 600);
    Integer y = Px(100);
    for (TQRCustomBand* band : expected) {
        EXPECT_EQ(band->Left(), Px(100)) << band->Name().toStdString();
        EXPECT_EQ(band->Top(), y) << band->Name().toStdString();
        y += band->Height();
    }
    EXPECT_EQ(header->Width(), 718);        // 1900 tenths
    EXPECT_EQ(headerChild->Width(), 718) << "a child is as wide as the top of its chain";
    EXPECT_EQ(detail->Width(), Px(600));
    EXPECT_EQ(column->Width(), Px(600));
    EXPECT_EQ(summary->Width(), 718);
    EXPECT_EQ(header->Height(), Px(125));
    EXPECT_NEAR(double(detail->Size()->RawValue(TQRBandSize::iWidth)), 600, 1e-9) << "widths kept in tenths";

    report->SetZoom(301);
    report->SetZoom(0);
    EXPECT_EQ(report->Zoom(), 100);
    report->SetZoom(200);
    EXPECT_EQ(detail->Width(), Px(600, 200));
    EXPECT_EQ(detail->Top(), header->Top() + header->Height() + headerChild->Height() + title->Height() +
                                 column->Height() + footer->Height() + summary->Height());
}

TEST_F(QRBands, UnitsReachBandsAndPrintables)
{
    TQRBand* detail = AddBand(rbDetail, 10);
    auto* printable = new TQRPrintable(owner.get());
    printable->SetParent(detail);
    EXPECT_EQ(printable->ParentReport(), report);
    EXPECT_EQ(printable->Size()->Units(), TQRUnit::MM);
    report->SetUnits(TQRUnit::Inches);
    EXPECT_EQ(report->Page()->Units(), TQRUnit::Inches);
    EXPECT_EQ(detail->Size()->Units(), TQRUnit::Inches);
    EXPECT_EQ(printable->Size()->Units(), TQRUnit::Inches);
    EXPECT_NEAR(double(detail->Size()->Height()), 100 / 254.0L, 1e-12);
    EXPECT_GT(report->PreviewWidth(), 0);
    report->SetPreviewWidth(0);
    EXPECT_EQ(report->PreviewWidth(), 500);
}

TEST_F(QRBands, HeightSetOnTheControlIsKeptInTheSize)
{
    TQRBand* detail = AddBand(rbDetail, 2);
    TQRBand* next = AddBand(rbDetail, 5);
    detail->SetHeight(40);
    EXPECT_EQ(detail->Height(), 40);
    EXPECT_NEAR(double(detail->Size()->Height()), 40 * 25.4 / 96, 1e-9);
    // The bands below move down, and the next layout keeps the height.
    EXPECT_EQ(next->Top(), detail->Top() + 40);
    report->SetZoom(200);
    EXPECT_EQ(detail->Height(), 80);
    // A width the layout does not allow is put back, the size with it.
    report->SetZoom(100);
    const Integer columnWidth = detail->Width();
    detail->SetWidth(columnWidth / 2);
    EXPECT_EQ(detail->Width(), columnWidth);
    EXPECT_NEAR(double(detail->Size()->Width()), 190, 0.2);
    // Off a report nothing lays it out: the size follows the control.
    auto* loose = new TQRBand(owner.get());
    loose->SetWidth(300);
    loose->SetHeight(60);
    EXPECT_NEAR(double(loose->Size()->Width()), 300 * 25.4 / 96, 1e-9);
    EXPECT_NEAR(double(loose->Size()->Height()), 60 * 25.4 / 96, 1e-9);
}

TEST_F(QRBands, CustomPaperTakesTheSizeSetOnTheReport)
{
    TQRBand* title = AddBand(rbTitle, 10);
    // A standard paper keeps its size whatever the control is given.
    report->SetWidth(400);
    EXPECT_EQ(double(report->Page()->Width()), 210.0);
    report->Page()->SetPaperSize(TQRPaperSize::Custom);
    report->SetBounds(report->Left(), report->Top(), 480, 960);
    EXPECT_EQ(report->Width(), 480);
    EXPECT_EQ(report->Height(), 960);
    // 480 and 960 pixels at 96 ppi are 127 and 254 mm.
    EXPECT_NEAR(double(report->Page()->Width()), 127, 1e-9);
    EXPECT_NEAR(double(report->Page()->Length()), 254, 1e-9);
    // The bands are laid out on the new page: 1270 - 2 x 100 tenths wide.
    EXPECT_EQ(report->PrintableWidth(), 1070);
    EXPECT_EQ(title->Width(), Px(1070));
    // At zoom 200 a pixel is half as much paper; the length, unchanged, stays.
    report->SetZoom(200);
    report->SetWidth(960);
    EXPECT_NEAR(double(report->Page()->Width()), 127, 1e-9);
    EXPECT_NEAR(double(report->Page()->Length()), 254, 1e-9);
    report->SetHeight(2400);
    EXPECT_NEAR(double(report->Page()->Length()), 317.5, 1e-9);
    // The page sizing the report itself is not taken back.
    report->Page()->SetWidth(100);
    EXPECT_EQ(report->Width(), Px(1000, 200));
    EXPECT_EQ(double(report->Page()->Width()), 100.0);
}

TEST_F(QRBands, DescriptionKeepsACopyOfTheLinesGiven)
{
    TStrings* own = report->Description();
    EXPECT_EQ(own->Count(), 0);
    TStringList lines;
    lines.SetText(QStringLiteral("月次売上\nby region"));
    report->SetDescription(&lines);
    lines.Clear();
    EXPECT_EQ(report->Description(), own);
    EXPECT_EQ(own->ToStringList(), QStringList({QStringLiteral("月次売上"), QStringLiteral("by region")}));
    EXPECT_THROW(report->SetDescription(nullptr), EConvertError);
    EXPECT_EQ(own->Count(), 2);
}

// Stored forms hold the ordinals.
TEST(QRPrevEventKinds, KeepTheirStoredOrdinals)
{
    const TPrevEventType kinds[] = {etPrintButton, etSaveButton, etControlClick, etLoadButton,
                                    etPrintSetup,  etMouseOver,  etMouseOut,     etBandClick};
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(int(kinds[i]), i);
}

TEST_F(QRBands, PrintableAlignsToItsBand)
{
    TQRBand* detail = AddBand(rbDetail, 10);
    auto* printable = new TQRPrintable(owner.get());
    printable->SetParent(detail);
    printable->Size()->SetWidth(100 * 254 / 96.0L / 10);  // 100 pixels
    ASSERT_EQ(printable->Width(), 100);
    printable->SetAlignment(taRightJustify);
    printable->SetAlignToBand(true);
    EXPECT_EQ(printable->Left(), detail->Width() - 100);
    EXPECT_NEAR(double(printable->Size()->Left()), (detail->Width() - 100) * 25.4 / 96, 1e-9);
    printable->SetAlignment(taCenter);
    EXPECT_EQ(printable->Left(), (detail->Width() - 100) / 2);
    printable->SetAlignment(taLeftJustify);
    EXPECT_EQ(printable->Left(), 0);

    // On the report itself nothing moves.
    auto* loose = new TQRPrintable(owner.get());
    loose->SetParent(report);
    loose->SetBounds(50, 60, 100, 20);
    loose->SetAlignment(taRightJustify);
    loose->SetAlignToBand(true);
    EXPECT_EQ(loose->Left(), 50);
}

TEST_F(QRBands, PrintablePaintsItsFrameAndMarksOnTheDesignSurface)
{
    TForm form(nullptr);
    form.SetBounds(0, 0, 900, 600);
    report->SetParent(&form);
    TQRBand* detail = AddBand(rbDetail, 20);
    auto* printable = new TQRPrintable(owner.get());
    printable->SetParent(detail);
    printable->SetBounds(10, 10, 60, 40);
    printable->SetColor(clYellow);
    printable->SetTransparent(false);
    printable->Frame()->SetDrawBottom(true);
    printable->Frame()->SetColor(clBlue);
    printable->Frame()->SetWidth(3);  // 4 px at 96 ppi
    form.Show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.Handle()));
    QImage image = printable->Handle()->grab().toImage();
    SaveTestImage(image, "qrprintable-design");
    auto at = [&](int x, int y) { return image.pixelColor(x, y); };
    EXPECT_EQ(at(30, 20), QColor(Qt::yellow));
    for (int y = 36; y < 40; ++y)
        EXPECT_EQ(at(30, y), QColor(Qt::blue)) << y;
    EXPECT_EQ(at(30, 35), QColor(Qt::yellow));
    EXPECT_NE(at(1, 0), QColor(Qt::yellow)) << "corner mark";
    printable->Prepare();
    EXPECT_TRUE(printable->IsPrinting());
    printable->Unprepare();
    EXPECT_FALSE(printable->IsPrinting());
    report->SetParent(nullptr);
}

TEST_F(QRBands, BandsShowTheirCaptionOnTheDesignSurface)
{
    TForm form(nullptr);
    form.SetBounds(0, 0, 900, 600);
    report->SetParent(&form);
    TQRBand* detail = AddBand(rbDetail, 10);
    detail->SetColor(clYellow);
    report->Page()->SetRuler(false);
    form.Show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.Handle()));
    const QImage image = detail->Handle()->grab().toImage();
    SaveTestImage(image, "qrband-design");
    EXPECT_EQ(image.pixelColor(0, 10), QColor(0x80, 0x80, 0x80)) << "outline";
    EXPECT_EQ(image.pixelColor(image.width() / 2, 5), QColor(Qt::yellow));
    // The caption's ink sits at the bottom left, nowhere on the right.
    auto inked = [&](int x0, int x1) {
        int n = 0;
        for (int y = 1; y < image.height() - 1; ++y)
            for (int x = x0; x < x1; ++x)
                n += image.pixelColor(x, y) != QColor(Qt::yellow);
        return n;
    };
    EXPECT_GT(inked(2, 40), 5);
    EXPECT_EQ(inked(image.width() / 2, image.width() - 1), 0);
    report->SetParent(nullptr);
}

TEST_F(QRBands, LoadingLaysOutOnceEverythingIsThereAndKeepsTheFormsBounds)
{
    owner->BeginLoading();
    TQRBand* detail = AddBand(rbDetail, 10);
    auto* printable = new TQRPrintable(owner.get());
    printable->SetParent(detail);
    // The form gives bounds while its sizes are still being read; a Size
    // read with a width of 0 leaves the form's width to stand.
    printable->SetBounds(30, 5, 40, 12);
    TMemoryStream values;
    {
        TQRPrintableSize read(nullptr);
        read.SetHeight(4);
        read.SetLeft(2);
        read.SetTop(1);
        read.SetWidth(0);
        read.WriteValues(values);
    }
    values.SetPosition(0);
    printable->Size()->ReadValues(values);
    EXPECT_TRUE(report->PrintOrder().empty()) << "no layout while loading";
    owner->EndLoading();

    ASSERT_EQ(report->PrintOrder().size(), 1u);
    EXPECT_EQ(report->PrintOrder()[0], detail);
    EXPECT_EQ(detail->Top(), Px(100)) << "laid out at the top margin";
    // Left, top and height from the Size (2, 1 and 4 mm); the width from the form.
    EXPECT_EQ(printable->Left(), Px(20));
    EXPECT_EQ(printable->Top(), Px(10));
    EXPECT_EQ(printable->Height(), Px(40));
    EXPECT_EQ(printable->Width(), 40);
    EXPECT_NEAR(double(printable->Size()->Width()), 40 * 25.4 / 96, 1e-9) << "the Size takes it";
}
