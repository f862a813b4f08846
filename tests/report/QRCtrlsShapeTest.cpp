// The report shape: figures by the pixels of a painted form and of a
// printed page played back onto a bitmap, corner sizes that never
// overflow, repainting on pen changes, and registration by class name.
#include "QRCtrls.h"

#include "../framework/GraphicsTestSupport.h"
#include "Forms.h"
#include "Metafile.h"
#include "QRReportTestSupport.h"
#include "TestSupport.h"
#include "WidgetTestSupport.h"

#include <QtCore/QRegularExpression>
#include <QtGui/QImage>
#include <QtWidgets/QWidget>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

bool IsBlack(const QImage& image, int x, int y) { return (image.pixel(x, y) & 0xFFFFFF) == 0; }

// Black pixels of column x (or of row y) between from and to.
int BlackInColumn(const QImage& image, int x, int from, int to)
{
    int n = 0;
    for (int y = from; y < to; ++y)
        n += IsBlack(image, x, y);
    return n;
}

int BlackInRow(const QImage& image, int y, int from, int to)
{
    int n = 0;
    for (int x = from; x < to; ++x)
        n += IsBlack(image, x, y);
    return n;
}

class QRShapePaint : public ::testing::Test {
protected:
    TQRShape* Place(Integer left, Integer top, Integer width, Integer height)
    {
        auto* shape = new TQRShape(form.get());
        shape->SetParent(form.get());
        shape->SetBounds(left, top, width, height);
        return shape;
    }

    std::unique_ptr<TForm> form = WhiteForm(300, 200);
};

}  // namespace

TEST(QRShape, ANewShapeIsA65PixelRectangle)
{
    TQRShape shape(nullptr);
    EXPECT_EQ(shape.Shape(), qrsRectangle);
    EXPECT_EQ(shape.Width(), 65);
    EXPECT_EQ(shape.Height(), 65);
    EXPECT_EQ(shape.RoundFactor(), 0.0f);
    EXPECT_EQ(shape.Pen()->Color(), clBlack);
    EXPECT_EQ(shape.Brush()->Style(), bsSolid);
}

TEST(QRShape, CornerSizesStayInsideTheShape)
{
    EXPECT_EQ(QRShapeCorner(100, 40, 0.5), 50);
    EXPECT_EQ(QRShapeCorner(101, 40, 0.5), 50);  // truncated
    EXPECT_EQ(QRShapeCorner(100, 40, 0), 0);
    EXPECT_EQ(QRShapeCorner(100, 40, std::nan("")), 0);
    EXPECT_EQ(QRShapeCorner(100, 40, -2), 0);
    EXPECT_EQ(QRShapeCorner(100, 40, 1e30), 100);
    EXPECT_EQ(QRShapeCorner(100, 400, std::numeric_limits<double>::infinity()), 400);
    EXPECT_EQ(QRShapeCorner(-100, -40, 0.5), 0);
}

namespace {

class TCountingShape : public TQRShape {
public:
    using TQRShape::TQRShape;
    int Invalidated = 0;
    void Invalidate() override
    {
        ++Invalidated;
        TQRShape::Invalidate();
    }
};

}  // namespace

TEST(QRShape, SettersRepaintOnlyOnChangeAndCopyPenAndBrush)
{
    TCountingShape shape(nullptr);
    shape.SetShape(qrsRectangle);
    shape.SetRoundFactor(0);
    EXPECT_EQ(shape.Invalidated, 0);
    shape.SetShape(qrsCircle);
    shape.SetRoundFactor(0.25f);
    EXPECT_EQ(shape.Invalidated, 2);
    shape.Pen()->SetColor(clBlue);
    shape.Brush()->SetColor(clYellow);
    EXPECT_EQ(shape.Invalidated, 4);
    shape.SetRoundFactor(std::nanf(""));
    shape.SetRoundFactor(std::nanf(""));
    EXPECT_EQ(shape.Invalidated, 5);
    EXPECT_TRUE(std::isnan(shape.RoundFactor()));
    TPen pen;
    pen.SetColor(clRed);
    pen.SetWidth(3);
    shape.SetPen(&pen);
    EXPECT_EQ(shape.Pen()->Color(), clRed);
    EXPECT_EQ(shape.Pen()->Width(), 3);
    EXPECT_NE(shape.Pen(), &pen);
    TBrush brush;
    brush.SetStyle(bsClear);
    shape.SetBrush(&brush);
    EXPECT_EQ(shape.Brush()->Style(), bsClear);
}

TEST_F(QRShapePaint, VerticalLineOfAnOddWidthLiesAtTheIntegerHalf)
{
    TQRShape* shape = Place(10, 10, 65, 65);
    shape->SetShape(qrsVertLine);
    TQRShape* horizontal = Place(100, 10, 65, 41);
    horizontal->SetShape(qrsHorLine);
    const QImage shot = ShowAndGrab(form.get(), "qrshape-lines");
    EXPECT_EQ(BlackInColumn(shot, 10 + 32, 10, 75), 65);
    EXPECT_EQ(BlackInColumn(shot, 10 + 31, 10, 75), 0);
    EXPECT_EQ(BlackInColumn(shot, 10 + 33, 10, 75), 0);
    EXPECT_EQ(BlackInRow(shot, 10 + 20, 100, 165), 65);
}

TEST_F(QRShapePaint, RoundRectCornersFollowTheFactor)
{
    TQRShape* square = Place(10, 10, 100, 60);
    square->SetShape(qrsRoundRect);
    TQRShape* round = Place(150, 10, 100, 60);
    round->SetShape(qrsRoundRect);
    round->SetRoundFactor(0.5f);
    const QImage shot = ShowAndGrab(form.get(), "qrshape-roundrect");
    // Factor 0: the corner pixel is drawn.
    EXPECT_TRUE(IsBlack(shot, 10, 10));
    EXPECT_TRUE(IsBlack(shot, 109, 69));
    // Factor 0.5: a 50 x 50 corner ellipse; the top edge is straight from 25 in.
    EXPECT_FALSE(IsBlack(shot, 150, 10));
    EXPECT_FALSE(IsBlack(shot, 150 + 10, 10));
    EXPECT_TRUE(IsBlack(shot, 150 + 30, 10));
    EXPECT_TRUE(IsBlack(shot, 150 + 50, 10));
    EXPECT_FALSE(IsBlack(shot, 150, 10 + 10));
    EXPECT_TRUE(IsBlack(shot, 150, 10 + 30));
}

TEST_F(QRShapePaint, FiguresOfTheEdgesAndDiagonals)
{
    TQRShape* tb = Place(10, 10, 40, 30);
    tb->SetShape(qrsTopAndBottom);
    TQRShape* rl = Place(60, 10, 40, 30);
    rl->SetShape(qrsRightAndLeft);
    TQRShape* left = Place(110, 10, 40, 40);
    left->SetShape(qrsLeftDiagonal);
    TQRShape* right = Place(160, 10, 40, 40);
    right->SetShape(qrsRightDiagonal);
    TQRShape* circle = Place(210, 10, 40, 40);
    circle->SetShape(qrsCircle);
    const QImage shot = ShowAndGrab(form.get(), "qrshape-figures");
    EXPECT_EQ(BlackInRow(shot, 10, 10, 50), 40);
    EXPECT_EQ(BlackInRow(shot, 39, 10, 50), 40);
    EXPECT_EQ(BlackInRow(shot, 25, 10, 50), 0);
    EXPECT_EQ(BlackInColumn(shot, 60, 10, 40), 30);
    EXPECT_EQ(BlackInColumn(shot, 99, 10, 40), 30);
    EXPECT_EQ(BlackInColumn(shot, 80, 10, 40), 0);
    // The left diagonal runs from the top right to the bottom left.
    EXPECT_TRUE(IsBlack(shot, 110 + 39, 10 + 1));
    EXPECT_FALSE(IsBlack(shot, 110 + 1, 10 + 1));
    EXPECT_TRUE(IsBlack(shot, 160 + 1, 10 + 1));
    EXPECT_FALSE(IsBlack(shot, 160 + 39, 10 + 1));
    // An ellipse leaves its bounding box's corners white, its sides black.
    EXPECT_FALSE(IsBlack(shot, 210, 10));
    EXPECT_TRUE(IsBlack(shot, 210 + 20, 10));
}

TEST_F(QRShapePaint, ChangingThePenColourRepaints)
{
    TQRShape* shape = Place(10, 10, 65, 65);
    EXPECT_TRUE(IsBlack(ShowAndGrab(form.get(), "qrshape-pen-before"), 10, 40));
    shape->Pen()->SetColor(clRed);
    const QImage after = ShowAndGrab(form.get(), "qrshape-pen-after");
    EXPECT_EQ(after.pixel(10, 40) & 0xFFFFFF, 0xFF0000u);
    shape->Brush()->SetColor(clAqua);
    EXPECT_EQ(ShowAndGrab(form.get(), "qrshape-brush-after").pixel(40, 40) & 0xFFFFFF, 0x00FFFFu);
}

// ------------------------------------------------------------ printed

namespace {

class QRShapePrint : public QRReportFixture {
protected:
    // Page 1 of the run played at its own size onto a white bitmap.
    QImage PrintedPage(const QString& name)
    {
        const auto page = printer->GetPage(1);
        if (!page)
            return QImage();
        auto bitmap = WhiteBitmap(page->Width(), page->Height());
        bitmap->Canvas()->Draw(0, 0, page.get());
        const QImage image = bitmap->Image().convertToFormat(QImage::Format_RGB32);
        SaveTestImage(image, name);
        return image;
    }

    // A vertical line 11 pixels wide and 20 high at left on the band; Tag
    // 1000 asks for it to run the band's whole height.
    TQRShape* VerticalLine(TQRCustomBand* band, Integer left, Integer tag = 0)
    {
        auto* line = new TQRShape(report.get());
        line->SetParent(band);
        line->SetShape(qrsVertLine);
        line->SetBounds(left, 0, 11, 20);
        line->SetTag(tag);
        return line;
    }
};

}  // namespace

TEST_F(QRShapePrint, FiguresLandAtTheirPlaceOnThePage)
{
    TQRBand* detail = Band("Detail", rbDetail, 40);
    auto* line = new TQRShape(report.get());
    line->SetParent(detail);
    line->SetShape(qrsVertLine);
    line->Size()->SetLeft(10);
    line->Size()->SetTop(5);
    line->Size()->SetWidth(20);
    line->Size()->SetHeight(30);
    auto* round = new TQRShape(report.get());
    round->SetParent(detail);
    round->SetShape(qrsRoundRect);
    round->SetRoundFactor(0.5f);
    round->SetBounds(200, 0, 100, 60);
    Run([&](TScriptReport& r) { r.PrintBand(detail); });
    const QImage page = PrintedPage("qrshape-printed");
    ASSERT_FALSE(page.isNull());
    // The band starts at 10 mm; the line box is 20 mm left, 15 mm down, 20 x 30 mm:
    // x 200..400, y 150..450 in 0.1 mm, at 96 dpi 76..151 by 57..170.
    const int x0 = int(std::lround(200 * 96 / 254.0)), x1 = int(std::lround(400 * 96 / 254.0));
    const int y0 = int(std::lround(150 * 96 / 254.0)), y1 = int(std::lround(450 * 96 / 254.0));
    const int middle = x0 + (x1 - x0) / 2;
    EXPECT_GE(BlackInColumn(page, middle, y0, y1), y1 - y0 - 1);
    EXPECT_EQ(BlackInColumn(page, middle - 2, y0, y1), 0);
    EXPECT_EQ(BlackInColumn(page, middle + 2, y0, y1), 0);
    // The rounded rectangle's corner comes from its 100 pixels on screen:
    // a 50-pixel corner leaves the box's corner white, the edge's middle black.
    const int rx = int(std::lround((100 + round->Size()->RawValue(TQRPrintableSize::iLeft)) * 96 / 254.0));
    const int ry = int(std::lround((100 + round->Size()->RawValue(TQRPrintableSize::iTop)) * 96 / 254.0));
    EXPECT_FALSE(IsBlack(page, rx + 2, ry + 2));
    EXPECT_TRUE(BlackInRow(page, ry, rx + 40, rx + 60) >= 18);
}

TEST_F(QRShapePrint, AbsurdFactorsAndNegativeSizesPrintNothingWrong)
{
    TQRBand* detail = Band("Detail", rbDetail, 40);
    auto* huge = new TQRShape(report.get());
    huge->SetParent(detail);
    huge->SetShape(qrsRoundRect);
    huge->SetRoundFactor(1e30f);
    auto* infinite = new TQRShape(report.get());
    infinite->SetParent(detail);
    infinite->SetShape(qrsRoundRect);
    infinite->SetRoundFactor(std::numeric_limits<float>::infinity());
    infinite->SetBounds(100, 0, 65, 65);
    auto* negative = new TQRShape(report.get());
    negative->SetParent(detail);
    negative->SetShape(qrsRectangle);
    negative->Size()->SetLeft(80);
    negative->Size()->SetWidth(-30);
    negative->Size()->SetHeight(-20);
    Run([&](TScriptReport& r) { r.PrintBand(detail); });
    const QImage page = PrintedPage("qrshape-absurd");
    ASSERT_FALSE(page.isNull());
    // The huge corner is clamped to the box: an ellipse-like figure whose
    // top edge is drawn at its middle.
    const int left = int(std::lround(100 * 96 / 254.0)), top = left;
    EXPECT_TRUE(IsBlack(page, left + 32, top));
    EXPECT_FALSE(IsBlack(page, left + 1, top + 1));
    // The negative box, 80 mm in, draws nothing at all.
    const int nx = int(std::lround(900 * 96 / 254.0));
    for (int x = nx - 60; x < nx + 10; ++x)
        EXPECT_EQ(BlackInColumn(page, x, top - 30, top + 40), 0) << "x " << x;
}

// ------------------------------------------------------------ registry

TEST(QRClasses, ReportClassesAreCreatedByName)
{
    RegisterQRReportClasses();
    TComponent owner(nullptr);
    for (const char* name : {"TRazorUze", "TQRBand", "TQRGroup", "TQRSubDetail", "TQRLabel", "TQRExpr", "TQRShape", "TTable", "TQuery", "TQRChildBand", "tqrshape"}) {
        TComponent* made = FindClass(name)(&owner);
        ASSERT_NE(made, nullptr) << name;
        EXPECT_EQ(made->ClassName().toUpper(), QString(name).toUpper());
        EXPECT_EQ(made->Owner(), &owner);
    }
    EXPECT_FALSE(GetClass("TQRNothing"));
    EXPECT_THROW(FindClass("TQRNothing"), EClassNotFound);
}

// ------------------------------------------------------------ full-height lines and export

TEST_F(QRShapePrint, Tag1000VerticalLinesRunTheWholeBandHeight)
{
    TQRBand* detail = Band("Detail", rbDetail, 20);
    VerticalLine(detail, 100, 1000);
    VerticalLine(detail, 300);
    Run([&](TScriptReport& r) { r.PrintBand(detail); });
    const QImage page = PrintedPage("qrshape-fullheight");
    ASSERT_FALSE(page.isNull());
    // The band begins 10 mm (38 px) in and down and is 20 mm (76 px) high;
    // at 96 dpi its design pixels are the page's, so the middle (105) lands at 143.
    EXPECT_GE(BlackInColumn(page, 38 + 105, 38, 38 + 76), 74);
    // Without the tag a line stays the shape's own 20 pixels.
    EXPECT_EQ(BlackInColumn(page, 38 + 305, 38, 38 + 76), 20);
}

TEST_F(QRShapePrint, AnExportedShapeIsHandedOverAtItsPlace)
{
    TQRBand* detail = Band("Detail", rbDetail, 20);
    auto* shape = new TQRShape(report.get());
    shape->SetName("Box");
    shape->SetParent(detail);
    shape->Size()->SetLeft(10);
    shape->Size()->SetTop(5);
    TQRShape* line = VerticalLine(detail, 100, 1000);
    line->Pen()->SetWidth(2);
    report->Walk = [&](TScriptReport& r) { r.PrintBand(detail); };
    TRecordingFilter filter;
    report->ExportToFilter(&filter);
    // 20 mm and 15 mm from the page's corner: 76 and 57 at 96 dpi.
    EXPECT_TRUE(filter.Calls.contains("control Box at 76,57")) << filter.Calls.join('\n').toStdString();
    const QStringList vlines = filter.Calls.filter(QRegularExpression("^vline 143,38,145,11[45] "));
    EXPECT_EQ(vlines.size(), 1) << filter.Calls.join('\n').toStdString();
}

TEST_F(QRShapePrint, ABandWithoutDesignWidthPlacesNoFullHeightLine)
{
    // A band left off the report is never laid out: it keeps a width of 0.
    auto* detail = new TQRBand(report.get());
    detail->SetBandType(rbDetail);
    detail->Size()->SetHeight(20);
    detail->Size()->SetWidth(0);
    VerticalLine(detail, 0, 1000);
    ASSERT_EQ(detail->Width(), 0);
    EXPECT_NO_THROW(Run([&](TScriptReport& r) { r.PrintBand(detail); }));
    EXPECT_EQ(printer->PageCount(), 1);
}
