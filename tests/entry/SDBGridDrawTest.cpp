// The entry grid's drawing, read back from its pixels: striped rows, the
// selected cell, gradient fixed cells with the end colours at the ends,
// titles on two lines, right-aligned grouped numbers, zeros left blank,
// lookup texts and era dates (drawn as their texts would be), and the
// application's share through OnDrawCellEx.
#include "EntryTestSupport.h"
#include "TestSupport.h"

#include <QtWidgets/QAbstractScrollArea>
#include <QtWidgets/QApplication>

namespace {

class SDBGridDrawTest : public GridFormTest {
protected:
    void SetUp() override {
        GridFormTest::SetUp();
        grid->SetColCount(7);
        grid->SetRowCount(4);
        grid->SetDefaultRowHeight(24);
        grid->SetRowHeights(0, 40);
        auto col = [this](Integer i) { return grid->GridColumns()->Items(i); };
        col(0)->SetText(QStringLiteral("行"));
        col(0)->SetAutoSequence(1);
        col(1)->SetText(QStringLiteral("A;B"));
        col(1)->SetWidth(80);
        col(2)->SetText(QStringLiteral("数"));
        col(2)->SetNumericType(ntgInteger);
        col(2)->SetAlignment(taRightJustify);
        col(2)->SetWidth(100);
        col(3)->SetText(QStringLiteral("区分"));
        col(3)->SetNumericType(ntgInteger);
        col(3)->SetWidth(80);
        for (const char* item : {"", "売上", "返品"}) col(3)->Lookup()->Add(QString::fromUtf8(item));
        col(4)->SetText(QStringLiteral("和暦"));
        col(4)->SetNumericType(ntgWareki);
        col(4)->SetWidth(160);
        col(5)->SetText(QStringLiteral("TXT"));
        col(5)->SetWidth(80);
        col(6)->SetText(QStringLiteral("TXT2"));
        col(6)->SetWidth(160);
        form->ShowActive();
        // The cursor stays out of the cells looked at.
        grid->SetRow(3);
        grid->SetCol(6);
    }
    QImage Render() {
        QApplication::processEvents();
        auto* area = static_cast<QAbstractScrollArea*>(grid->Widget());
        return area->viewport()->grab().toImage();
    }
    static TColor At(const QImage& image, Integer x, Integer y) { return FromQColor(image.pixelColor(x, y)); }
    static QImage Crop(const QImage& image, const TRect& r) {
        return image.copy(QRect(r.Left, r.Top, r.Width(), r.Height()));
    }
    // Rows and columns of a cell that hold text pixels of the colour.
    static std::vector<Integer> InkRows(const QImage& image, const TRect& r, TColor ink) {
        std::vector<Integer> rows;
        for (Integer y = r.Top; y < r.Bottom; ++y) {
            for (Integer x = r.Left; x < r.Right; ++x) {
                if (At(image, x, y) == ink) {
                    rows.push_back(y);
                    break;
                }
            }
        }
        return rows;
    }
    static Integer RightmostInk(const QImage& image, const TRect& r, TColor ink) {
        for (Integer x = r.Right - 1; x >= r.Left; --x) {
            for (Integer y = r.Top; y < r.Bottom; ++y) {
                if (At(image, x, y) == ink) return x;
            }
        }
        return -1;
    }
};

TEST_F(SDBGridDrawTest, EvenRowsAreStripedWhereTheCellColourIsTheGrids) {
    grid->GridColumns()->Items(5)->SetCellColor(clYellow);
    const QImage image = Render();
    SaveTestImage(image, "sdbgrid-draw-stripes");
    const TRect row1 = grid->CellRect(1, 1), row2 = grid->CellRect(1, 2);
    EXPECT_EQ(At(image, row1.Left + 2, row1.Top + 2), ColorToRGB(clWindow));
    EXPECT_EQ(At(image, row2.Left + 2, row2.Top + 2), 0xF8F8F8);
    const TRect yellow = grid->CellRect(5, 2);
    EXPECT_EQ(At(image, yellow.Left + 2, yellow.Top + 2), clYellow);
    grid->SetTwoTone(false);
    const QImage plain = Render();
    EXPECT_EQ(At(plain, row2.Left + 2, row2.Top + 2), ColorToRGB(clWindow));
}

TEST_F(SDBGridDrawTest, TheSelectedCellOfAFocusedGridShowsTheSelectedColour) {
    grid->SetCol(1);
    grid->SetCells(1, 3, QStringLiteral("sel"));
    // The editor covers the current cell while it shows.
    grid->InplaceEditor()->Hide();
    ASSERT_TRUE(grid->Focused());
    const QImage image = Render();
    SaveTestImage(image, "sdbgrid-draw-selected");
    const TRect r = grid->CellRect(1, 3);
    EXPECT_EQ(At(image, r.Left + 1, r.Top + 1), 0xD08080);
    EXPECT_EQ(At(image, r.Right - 1, r.Bottom - 1), 0xD08080);
    EXPECT_FALSE(InkRows(image, r, ColorToRGB(clHighlightText)).empty());
}

TEST_F(SDBGridDrawTest, GradientTitlesRunBetweenTheEndColours) {
    const TRect t = grid->CellRect(2, 0);
    const Integer x = t.Left + 1, middle = t.Top + t.Height() / 2;
    QImage image = Render();
    SaveTestImage(image, "sdbgrid-draw-gradient");
    // Dual: start, end in the middle, start again.
    EXPECT_EQ(At(image, x, t.Top), 0x80B080);
    EXPECT_EQ(At(image, x, middle - 1), 0xFFFFFF);
    EXPECT_EQ(At(image, x, middle), 0xFFFFFF);
    EXPECT_EQ(At(image, x, t.Bottom - 1), 0x80B080);
    // The corner keeps the fixed colour.
    EXPECT_EQ(At(image, 2, 2), 0xB0D0B0);
    grid->SetGradientType(gtNormal);
    image = Render();
    EXPECT_EQ(At(image, x, t.Top), 0x80B080);
    EXPECT_EQ(At(image, x, t.Bottom - 1), 0xFFFFFF);
    grid->SetInvertGradient(true);
    image = Render();
    EXPECT_EQ(At(image, x, t.Top), 0xFFFFFF);
    EXPECT_EQ(At(image, x, t.Bottom - 1), 0x80B080);
    // Row headers across, from the start colour at the left.
    grid->SetInvertGradient(false);
    grid->SetLeftTopGradientDirection(ltgdHorizontal);
    image = Render();
    const TRect h = grid->CellRect(0, 2);
    EXPECT_EQ(At(image, h.Left, h.Top + 1), 0x80B080);
    EXPECT_EQ(At(image, h.Right - 1, h.Top + 1), 0xFFFFFF);
    grid->SetGradient(false);
    image = Render();
    EXPECT_EQ(At(image, x, t.Top), 0xB0D0B0);
}

TEST_F(SDBGridDrawTest, ATitleIsBrokenIntoLinesAtTheWordWrapCharacter) {
    const TRect t = grid->CellRect(1, 0);
    auto bands = [&](const QImage& image) {
        const std::vector<Integer> rows = InkRows(image, t, clBlack);
        Integer count = 0;
        for (size_t i = 0; i < rows.size(); ++i) {
            if (i == 0 || rows[i] != rows[i - 1] + 1) ++count;
        }
        return count;
    };
    QImage image = Render();
    SaveTestImage(image, "sdbgrid-draw-title");
    EXPECT_EQ(bands(image), 2);
    grid->GridColumns()->Items(1)->SetText(QStringLiteral("ABC"));
    EXPECT_EQ(bands(Render()), 1);
    grid->SetWordWrapChar(QLatin1Char('B'));
    EXPECT_EQ(bands(Render()), 2);
}

TEST_F(SDBGridDrawTest, NumbersAreRightAlignedWithGroupingAndZeroIsBlank) {
    QString res;
    grid->SetTextByName(QStringLiteral("数"), 1, res, QStringLiteral("1234567"));
    EXPECT_EQ(grid->Cells(2, 1), "1,234,567");
    grid->SetCells(2, 2, QStringLiteral("0"));
    QImage image = Render();
    SaveTestImage(image, "sdbgrid-draw-numbers");
    const TRect r = grid->CellRect(2, 1);
    const Integer right = RightmostInk(image, r, clBlack);
    // One pixel of grid line inside the right edge, and the glyph's own
    // side bearing of a pixel or two.
    EXPECT_LE(right, r.Right - 2);
    EXPECT_GE(right, r.Right - 5);
    EXPECT_TRUE(InkRows(image, grid->CellRect(2, 2), clBlack).empty());
    grid->GridColumns()->Items(2)->SetZeroDisp(true);
    image = Render();
    EXPECT_FALSE(InkRows(image, grid->CellRect(2, 2), clBlack).empty());
    // A Gap moves the text further in.
    grid->GridColumns()->Items(2)->SetGap(10);
    image = Render();
    EXPECT_EQ(RightmostInk(image, r, clBlack), right - 10);
}

TEST_F(SDBGridDrawTest, LookupItemsEraDatesAndMasksDrawAsTheirTexts) {
    grid->SetCells(3, 1, QStringLiteral("1"));
    grid->SetCells(5, 1, QStringLiteral("売上"));
    grid->SetCells(4, 1, QStringLiteral("4010108"));
    grid->SetCells(6, 1, QStringLiteral("平成 1年 1月 8日"));
    grid->SetCells(3, 2, QStringLiteral("7"));
    grid->SetCells(5, 2, QStringLiteral("7"));
    grid->SetCells(4, 2, QStringLiteral("3640101"));
    grid->SetCells(6, 2, QStringLiteral("昭和64年 1月 1日"));
    const QImage image = Render();
    SaveTestImage(image, "sdbgrid-draw-texts");
    EXPECT_EQ(Crop(image, grid->CellRect(3, 1)), Crop(image, grid->CellRect(5, 1)));
    EXPECT_EQ(Crop(image, grid->CellRect(4, 1)), Crop(image, grid->CellRect(6, 1)));
    EXPECT_EQ(Crop(image, grid->CellRect(4, 2)), Crop(image, grid->CellRect(6, 2)));
    // A number past the lookup's items shows as it is.
    EXPECT_EQ(Crop(image, grid->CellRect(3, 2)), Crop(image, grid->CellRect(5, 2)));
    // A mask formats the number.
    grid->GridColumns()->Items(2)->SetMask(QStringLiteral("#,##0.0"));
    grid->GridColumns()->Items(2)->SetAlignment(taLeftJustify);
    grid->SetCells(2, 1, QStringLiteral("1234"));
    grid->GridColumns()->Items(1)->SetWidth(100);
    grid->SetCells(1, 1, QStringLiteral("1,234.0"));
    const QImage masked = Render();
    EXPECT_EQ(Crop(masked, grid->CellRect(2, 1)), Crop(masked, grid->CellRect(1, 1)));
}

TEST_F(SDBGridDrawTest, ADateColumnShowsItsDatesByItsMask) {
    auto* date = grid->GridColumns()->Items(4);
    date->SetNumericType(ntgDateymd);
    date->SetMask(QStringLiteral("yyyy年m月d日"));
    grid->SetCells(4, 1, QStringLiteral("2024/05/03"));
    grid->SetCells(6, 1, QStringLiteral("2024年5月3日"));
    const QImage image = Render();
    EXPECT_EQ(Crop(image, grid->CellRect(4, 1)), Crop(image, grid->CellRect(6, 1)));
    EXPECT_TRUE(InkRows(image, grid->CellRect(4, 2), clBlack).empty());
}

TEST_F(SDBGridDrawTest, TheApplicationCanDrawACellItself) {
    grid->SetCells(5, 1, QStringLiteral("XXXX"));
    grid->SetCells(5, 2, QStringLiteral("XXXX"));
    grid->OnDrawCellEx = [this](TObject*, Integer c, Integer r, TRect rect, TGridDrawState, TSDrawAction& need) {
        if (c != 5) return;
        grid->Canvas()->Brush()->SetColor(clRed);
        grid->Canvas()->FillRect(rect);
        need = r == 1 ? daNotBoth : daNotFill;
    };
    const QImage image = Render();
    SaveTestImage(image, "sdbgrid-draw-event");
    const TRect both = grid->CellRect(5, 1), fill = grid->CellRect(5, 2);
    EXPECT_TRUE(InkRows(image, both, clBlack).empty());
    EXPECT_EQ(At(image, both.Left + 1, both.Top + 1), clRed);
    // The red stays under the grid's text.
    EXPECT_EQ(At(image, fill.Right - 2, fill.Bottom - 2), clRed);
    EXPECT_FALSE(InkRows(image, fill, clBlack).empty());
}

}  // namespace
