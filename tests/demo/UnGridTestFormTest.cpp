// The voucher window itself, shown and active, driven only by real key
// events: a voucher is entered, its lines and totals computed, the
// calculator used on a unit price, and the discard question answered.
#include "UnGridTest.h"

#include "DemoTestSupport.h"
#include "Dialogs.h"
#include "ExtCtrls.h"
#include "SBtn.h"
#include "SDBGrid.h"
#include "SEdit.h"
#include "StdCtrls.h"
#include "TestSupport.h"
#include "UnCalc.h"

#include <QtGui/QImage>
#include <QtTest/QTest>
#include <QtWidgets/QWidget>

#include <gtest/gtest.h>

#include <vector>

namespace {

// Column indexes of the voucher grid.
constexpr Integer kKindCol = 1, kCodeCol = 2, kNameCol = 3, kQtyCol = 4, kPriceCol = 5, kAmountCol = 6,
                  kRemarksCol = 7;

class VoucherWindow : public ::testing::Test {
protected:
    void SetUp() override {
        SetClockForTesting([] { return EncodeDate(2009, 5, 13) + 0.5; });
        KeyStateReset();
        SetMessageBoxHook([this](const TMessageBoxRequest& r) {
            asked.push_back(r);
            return answer;
        });
        form = new TForm1(nullptr);
        form->AfterConstruction();
        ShowActive(form);
    }
    void TearDown() override {
        delete form;
        SetMessageBoxHook(nullptr);
        SetClockForTesting(nullptr);
        KeyStateReset();
    }

    void Type(const QString& text) { KeyClicks(form, text); }
    void Key(Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) { KeyClick(form, key, mods); }
    void Enter() { Key(Qt::Key_Return); }
    // Types a cell's text and leaves it with Enter.
    void Cell(const QString& text) {
        Type(text);
        Enter();
    }
    QString At(Integer col, Integer row) const { return form->SDBGrid1->Cells(col, row); }
    QString Caption(Integer n) const { return form->FnButton(n)->Caption(); }
    QString ChangedPanel() const { return form->sb1->Panels()->Items(2)->Text(); }
    void WaitActive() { ASSERT_TRUE(QTest::qWaitForWindowActive(form->Handle())); }

    TForm1* form = nullptr;
    Integer answer = IDNO;
    std::vector<TMessageBoxRequest> asked;
};

TEST_F(VoucherWindow, OpensReadyForAVoucher) {
    EXPECT_EQ(form->Caption(), QStringLiteral("Velmora・カスタムコンポーネント・デモ"));
    EXPECT_EQ(form->ClientWidth(), 752);
    EXPECT_EQ(form->ClientHeight(), 446);
    EXPECT_EQ(form->Width(), 760);
    EXPECT_EQ(form->Height(), 463);
    EXPECT_EQ(form->ActiveControl(), form->edtDenpyo);
    EXPECT_EQ(form->edtDate->Text(), QStringLiteral("2009/05/13"));
    EXPECT_EQ(form->sb1->Panels()->Count(), 6);
    EXPECT_EQ(form->sb1->Panels()->Items(1)->Text(), QStringLiteral("2009/05/13"));
    EXPECT_EQ(form->lblStatus->Caption(), QStringLiteral("Shihtｷｰを押してみてください"));
    EXPECT_EQ(Caption(1), QStringLiteral("終了"));
    for (Integer n = 2; n <= 12; ++n) EXPECT_EQ(Caption(n), QString()) << n;
    for (Integer n = 1; n <= 12; ++n) EXPECT_EQ(form->FnButton(n)->Guide(), QStringLiteral("F%1").arg(n));
    EXPECT_EQ(form->SDBGrid1->RowCount(), 2);
    EXPECT_EQ(form->SDBGrid1->Col(), kCodeCol) << "the first column the cursor may stay in";
    // The header's keyboard order follows the rows of the header block.
    EXPECT_EQ(form->edtDenpyo->mvRight(), form->edtDate);
    EXPECT_EQ(form->edtJisyaTanto->mvRight(), form->ScbSyubetu);
    EXPECT_EQ(form->ScbSyubetu->mvRight(), form->edtHeaderCode);
    EXPECT_EQ(form->edtHeaderMei->mvRight(), form->edtHeaderBusyo);
    EXPECT_EQ(form->edtHeaderTanto->mvRight(), form->edtBiko1);
    EXPECT_EQ(form->edtBiko1->mvRight(), form->SDBGrid1);
    EXPECT_EQ(form->edtDenpyo->mvUp(), form->SDBGrid1);
    EXPECT_EQ(form->edtDate->mvDown(), form->edtHeaderCode);
}

TEST_F(VoucherWindow, ShiftAndCtrlChangeTheFunctionKeyCaptions) {
    KeyPress(form, Qt::Key_Shift, Qt::ShiftModifier);
    EXPECT_EQ(Caption(1), QString());
    const char16_t* launchers[] = {u"ｺﾝﾎﾟ", u"ﾌｧｲﾙ", u"ｼｪｰﾌﾟ", u"Vﾗﾍﾞﾙ", u"AVﾗﾍﾞﾙ", u"ｴﾃﾞｨｯﾄ", u"ﾊﾞｰｺｰﾄﾞ"};
    for (Integer n = 6; n <= 12; ++n) EXPECT_EQ(Caption(n), QString::fromUtf16(launchers[n - 6])) << n;
    // A launcher whose window is not built does nothing.
    Key(Qt::Key_F6, Qt::ShiftModifier);
    EXPECT_TRUE(form->Visible());
    KeyPress(form, Qt::Key_Control, Qt::ShiftModifier | Qt::ControlModifier);
    for (Integer n = 1; n <= 12; ++n) EXPECT_EQ(Caption(n), QString()) << n;
    KeyRelease(form, Qt::Key_Control, Qt::ShiftModifier);
    KeyRelease(form, Qt::Key_Shift);
    EXPECT_EQ(Caption(1), QStringLiteral("終了"));
    EXPECT_EQ(Caption(6), QString());
}

TEST_F(VoucherWindow, AFunctionKeyShowsItsButtonPressedWhileHeld) {
    KeyPress(form, Qt::Key_F3);
    EXPECT_TRUE(form->FnButton(3)->Down());
    KeyRelease(form, Qt::Key_F3);
    EXPECT_FALSE(form->FnButton(3)->Down());
    EXPECT_EQ(form->FnButton(3)->GroupIndex(), 0);
}

TEST_F(VoucherWindow, EntersAVoucherComputesTotalsUsesTheCalculatorAndAsksBeforeQuitting) {
    // Header: a voucher number (zero-filled) and a date.
    Cell(QStringLiteral("123"));
    EXPECT_EQ(form->edtDenpyo->Text(), QStringLiteral("000123"));
    EXPECT_EQ(ChangedPanel(), QStringLiteral("変更"));
    EXPECT_EQ(Caption(2), QStringLiteral("ｷｬﾝｾﾙ"));
    EXPECT_EQ(Caption(12), QStringLiteral("登録"));
    ASSERT_EQ(form->ActiveControl(), form->edtDate);
    Type(QStringLiteral("2009/6/1"));
    Key(Qt::Key_Up);  // up from the date goes into the grid
    EXPECT_EQ(form->edtDate->Text(), QStringLiteral("2009/06/01"));
    ASSERT_EQ(form->ActiveControl(), form->SDBGrid1);

    // Three lines: code, name, quantity, unit price, remarks.
    const QString lines[3][4] = {{"1", "ABC", "3", "1200"}, {"2", "DEF", "2", "250"}, {"3", "GHI", "7", "45"}};
    for (const auto& line : lines) {
        for (const QString& text : line) Cell(text);
        Enter();  // remarks left empty: on to the next line
    }
    EXPECT_EQ(At(kNameCol, 2), QStringLiteral("DEF"));
    EXPECT_EQ(At(kAmountCol, 1), QStringLiteral("3,600"));
    EXPECT_EQ(At(kAmountCol, 2), QStringLiteral("500"));
    EXPECT_EQ(At(kAmountCol, 3), QStringLiteral("315"));
    EXPECT_EQ(At(kKindCol, 1), QStringLiteral("1"));
    // 4,415 at 5 %: 220.75 rounds to 221.
    EXPECT_EQ(form->LblGokei->Caption(), QStringLiteral("4,415"));
    EXPECT_EQ(form->LblSyohizei->Caption(), QStringLiteral("221"));
    EXPECT_EQ(form->LblZGokei->Caption(), QStringLiteral("4,636"));
    EXPECT_EQ(ChangedPanel(), QStringLiteral("変更"));
    SaveTestImage(GrabForm(form), QStringLiteral("voucher-filled"));

    // F8 on the third line's unit price: 45 x 2 comes back as 90.
    Key(Qt::Key_Up);
    Key(Qt::Key_Right);
    Key(Qt::Key_Right);
    Key(Qt::Key_Right);
    ASSERT_EQ(form->SDBGrid1->Row(), 3);
    ASSERT_EQ(form->SDBGrid1->Col(), kPriceCol);
    EXPECT_EQ(Caption(8), QStringLiteral("電卓"));
    bool calculated = false;
    const TRect cell = form->SDBGrid1->CellRect(kPriceCol, 3);
    const TPoint cellTop = form->SDBGrid1->ClientToScreen(cell.TopLeft());
    WhenModalActive([&](QWidget*) {
        ASSERT_NE(FrmCalc, nullptr);
        // Under the cell, or above it when the screen ends first.
        const bool below = FrmCalc->Top() == cellTop.Y + cell.Height() + 1;
        const bool above = FrmCalc->Top() + FrmCalc->Height() == cellTop.Y - 1;
        EXPECT_TRUE(below || above) << FrmCalc->Top() << " for a cell at " << cellTop.Y;
        EXPECT_EQ(FrmCalc->edtShow->Text(), QStringLiteral("45"));
        SaveTestImage(GrabForm(FrmCalc), QStringLiteral("voucher-calculator"));
        KeyClick(FrmCalc, Qt::Key_Asterisk, Qt::KeypadModifier);
        KeyClicks(FrmCalc, QStringLiteral("2="));
        EXPECT_EQ(FrmCalc->edtShow->Text(), QStringLiteral("90"));
        calculated = true;
        KeyClick(FrmCalc, Qt::Key_Return);
    });
    Key(Qt::Key_F8);
    EXPECT_TRUE(calculated);
    WaitActive();
    EXPECT_EQ(At(kPriceCol, 3), QStringLiteral("90"));
    EXPECT_EQ(At(kAmountCol, 3), QStringLiteral("630"));
    EXPECT_EQ(form->SDBGrid1->Col(), kRemarksCol) << "the cursor goes on to the remarks";
    // 4,730 at 5 %: 236.5 rounds up through the added 0.0001.
    EXPECT_EQ(form->LblGokei->Caption(), QStringLiteral("4,730"));
    EXPECT_EQ(form->LblSyohizei->Caption(), QStringLiteral("237"));
    EXPECT_EQ(form->LblZGokei->Caption(), QStringLiteral("4,967"));

    // F1 asks first; No keeps everything, Yes closes the window.
    answer = IDNO;
    Key(Qt::Key_F1);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].Text, QStringLiteral("内容が変更されていますが、終了してもよろしいですか？"));
    EXPECT_EQ(asked[0].Caption, QStringLiteral("確認"));
    EXPECT_EQ(asked[0].Buttons, (std::vector<Integer>{IDYES, IDNO}));
    EXPECT_TRUE(form->Visible());
    EXPECT_EQ(ChangedPanel(), QStringLiteral("変更"));
    answer = IDYES;
    Key(Qt::Key_F1);
    EXPECT_EQ(asked.size(), 2u);
    EXPECT_FALSE(form->Visible());
    EXPECT_EQ(ChangedPanel(), QString());
}

// ---- a voucher with two lines, the cursor on the third line's code

class FilledVoucher : public VoucherWindow {
protected:
    void SetUp() override {
        VoucherWindow::SetUp();
        Key(Qt::Key_Up);  // from the voucher number into the grid
        ASSERT_EQ(form->ActiveControl(), form->SDBGrid1);
        const QString lines[2][4] = {{"1", "ABC", "3", "1200"}, {"2", "DEF", "2", "250"}};
        for (const auto& line : lines) {
            for (const QString& text : line) Cell(text);
            Enter();
        }
        ASSERT_EQ(form->LblGokei->Caption(), QStringLiteral("4,100"));
    }
    // Moves the cursor to a cell of the grid with the arrow keys.
    void GoTo(Integer col, Integer row) {
        while (form->SDBGrid1->Row() > row) Key(Qt::Key_Up);
        while (form->SDBGrid1->Row() < row) Key(Qt::Key_Down);
        while (form->SDBGrid1->Col() < col) Key(Qt::Key_Right);
        while (form->SDBGrid1->Col() > col) Key(Qt::Key_Left);
        ASSERT_EQ(form->SDBGrid1->Col(), col);
        ASSERT_EQ(form->SDBGrid1->Row(), row);
    }
};

// Every caption the bar shows, with and without Shift, stands clear of its
// button's frame, the longest katakana ones too.
TEST_F(FilledVoucher, EveryFunctionKeyCaptionFitsItsButton) {
    GoTo(kPriceCol, 1);
    ASSERT_EQ(Caption(8), QStringLiteral("電卓"));
    for (Integer n : {1, 2, 8, 12}) ExpectCaptionInside(form->FnButton(n));
    KeyPress(form, Qt::Key_Shift, Qt::ShiftModifier);
    for (Integer n = 6; n <= 12; ++n) ExpectCaptionInside(form->FnButton(n));
    SaveTestImage(GrabControl(form->PnlMenu), QStringLiteral("voucher_launcher_captions"));
    KeyRelease(form, Qt::Key_Shift);
}

TEST_F(FilledVoucher, AQuantityOfZeroClearsTheLineAndTheTotalsFollowAtOnce) {
    GoTo(kQtyCol, 1);
    Cell(QStringLiteral("0"));
    EXPECT_EQ(At(kNameCol, 1), QString());
    EXPECT_EQ(At(kAmountCol, 1), QString());
    EXPECT_EQ(form->LblGokei->Caption(), QStringLiteral("500"));
    EXPECT_EQ(form->LblSyohizei->Caption(), QStringLiteral("25"));
    EXPECT_EQ(form->LblZGokei->Caption(), QStringLiteral("525"));
}

TEST_F(FilledVoucher, APriceTypedBeforeTheQuantityKeepsTheLine) {
    Cell(QStringLiteral("7"));
    Cell(QStringLiteral("JKL"));
    Enter();  // no quantity yet
    Cell(QStringLiteral("500"));
    EXPECT_EQ(At(kNameCol, 3), QStringLiteral("JKL"));
    EXPECT_EQ(At(kPriceCol, 3), QStringLiteral("500"));
    EXPECT_EQ(At(kAmountCol, 3), QString());
    EXPECT_EQ(form->LblGokei->Caption(), QStringLiteral("4,100"));
    GoTo(kQtyCol, 3);
    Cell(QStringLiteral("2"));
    EXPECT_EQ(At(kAmountCol, 3), QStringLiteral("1,000"));
    EXPECT_EQ(form->LblGokei->Caption(), QStringLiteral("5,100"));
}

TEST_F(FilledVoucher, AnAmountThatDoesNotFitIsRefusedAndNothingChanges) {
    GoTo(kPriceCol, 1);
    Cell(QStringLiteral("999999999"));  // 1,200 x ... fits: 3 x 999,999,999
    ASSERT_EQ(At(kAmountCol, 1), QStringLiteral("2,999,999,997"));
    GoTo(kQtyCol, 1);
    Cell(QStringLiteral("2000000000"));  // 2e9 x 999,999,999 is past 64-bit fixed point
    EXPECT_EQ(form->SDBGrid1->Col(), kQtyCol) << "the cursor stays";
    EXPECT_EQ(At(kQtyCol, 1), QStringLiteral("3")) << "the cell is put back";
    EXPECT_EQ(At(kAmountCol, 1), QStringLiteral("2,999,999,997"));
    EXPECT_EQ(form->LblGokei->Caption(), QStringLiteral("3,000,000,497"));
}

TEST_F(FilledVoucher, ATotalThatDoesNotFitIsRefusedLikewise) {
    GoTo(kQtyCol, 1);
    Cell(QStringLiteral("800000"));
    GoTo(kPriceCol, 1);
    Cell(QStringLiteral("999999999"));
    ASSERT_EQ(At(kAmountCol, 1), QStringLiteral("799,999,999,200,000"));
    ASSERT_EQ(form->LblZGokei->Caption(), QStringLiteral("839,999,999,160,525"));
    GoTo(kPriceCol, 2);
    Cell(QStringLiteral("999999999"));
    ASSERT_EQ(At(kAmountCol, 2), QStringLiteral("1,999,999,998"));
    // The total alone would fit (899,999,999,100,000), with its tax it does not.
    GoTo(kQtyCol, 2);
    Cell(QStringLiteral("100000"));
    EXPECT_EQ(form->SDBGrid1->Col(), kQtyCol);
    EXPECT_EQ(At(kQtyCol, 2), QStringLiteral("2"));
    EXPECT_EQ(At(kAmountCol, 2), QStringLiteral("1,999,999,998"));
    // Nor does a total past the limit itself.
    Cell(QStringLiteral("200000"));
    EXPECT_EQ(form->SDBGrid1->Col(), kQtyCol);
    EXPECT_EQ(At(kQtyCol, 2), QStringLiteral("2"));
    EXPECT_EQ(form->LblGokei->Caption(), QStringLiteral("800,001,999,199,998"));
}

TEST_F(FilledVoucher, F2AsksThenEmptiesTheVoucher) {
    ASSERT_EQ(Caption(2), QStringLiteral("ｷｬﾝｾﾙ"));
    answer = IDNO;
    Key(Qt::Key_F2);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].Text, QStringLiteral("内容が変更されていますが、よろしいですか？"));
    EXPECT_EQ(At(kNameCol, 1), QStringLiteral("ABC"));
    answer = IDYES;
    Key(Qt::Key_F2);
    EXPECT_EQ(form->SDBGrid1->RowCount(), 2);
    EXPECT_EQ(At(kNameCol, 1), QString());
    EXPECT_EQ(form->LblGokei->Caption(), QString());
    EXPECT_EQ(ChangedPanel(), QString());
    EXPECT_EQ(Caption(2), QString());
    EXPECT_EQ(Caption(12), QString());
    // Without its caption F2 does nothing, nor does F12 at any time.
    Key(Qt::Key_F2);
    Key(Qt::Key_F12);
    EXPECT_EQ(asked.size(), 2u);
}

TEST_F(FilledVoucher, F8OpensTheCalculatorOnlyOnTheUnitPrice) {
    GoTo(kQtyCol, 2);
    EXPECT_EQ(Caption(8), QString());
    Key(Qt::Key_F8);
    EXPECT_EQ(FrmCalc, nullptr);
    // On the unit price: a cancelled calculator writes nothing.
    GoTo(kPriceCol, 2);
    WhenModalActive([](QWidget*) { KeyClick(FrmCalc, Qt::Key_Escape); });
    Key(Qt::Key_F8);
    WaitActive();
    EXPECT_EQ(At(kPriceCol, 2), QStringLiteral("250"));
    EXPECT_EQ(form->SDBGrid1->Col(), kPriceCol);
}

TEST_F(FilledVoucher, AKeyWhoseReleaseTheCalculatorTookIsNeitherConsumedNorShownPressed) {
    GoTo(kPriceCol, 2);
    WhenModalActive([](QWidget*) {
        KeyRelease(FrmCalc, Qt::Key_F8);
        KeyClick(FrmCalc, Qt::Key_Escape);
    });
    KeyPress(form, Qt::Key_F8);
    WaitActive();
    EXPECT_FALSE(form->FnButton(8)->Down());
    EXPECT_EQ(form->FnButton(8)->GroupIndex(), 0);
}

// The window is inactive while the calculator closes and the cursor moves
// on: the grid must still take the keys when the window comes back.
TEST_F(FilledVoucher, AfterTheCalculatorTheGridTakesTheKeys) {
    GoTo(kPriceCol, 2);
    WhenModalActive([](QWidget*) { KeyClick(FrmCalc, Qt::Key_Return); });
    Key(Qt::Key_F8);
    WaitActive();
    ASSERT_EQ(form->SDBGrid1->Col(), kRemarksCol);
    Key(Qt::Key_Left);
    EXPECT_EQ(form->SDBGrid1->Col(), kPriceCol);
    EXPECT_EQ(Caption(8), QStringLiteral("電卓"));
    Cell(QStringLiteral("300"));
    EXPECT_EQ(At(kAmountCol, 2), QStringLiteral("600"));
}

// Answered in the real question box, F2 empties the grid while the window
// is inactive; typing goes on into the first line.
TEST_F(FilledVoucher, AfterF2AnsweredInItsBoxTheGridTakesTheKeys) {
    SetMessageBoxHook(nullptr);
    WhenModalActive([](QWidget* box) { QTest::keyClick(box, Qt::Key_Y); });
    Key(Qt::Key_F2);
    WaitActive();
    ASSERT_EQ(ChangedPanel(), QString());
    EXPECT_EQ(form->ActiveControl(), form->SDBGrid1);
    Cell(QStringLiteral("9"));
    EXPECT_EQ(At(kCodeCol, 1), QStringLiteral("00009"));
}

TEST_F(FilledVoucher, LeavingTheGridAtItsTopGoesToTheRemarks) {
    GoTo(kCodeCol, 1);
    Key(Qt::Key_Up);
    EXPECT_EQ(form->ActiveControl(), form->edtBiko1);
}

TEST_F(VoucherWindow, AKeyReleaseDoesNotDropTheTypeListAgain) {
    // Enter the type list from the staff code: an unchosen list drops down.
    Key(Qt::Key_Right);
    Key(Qt::Key_Right);
    Key(Qt::Key_Right);
    ASSERT_EQ(form->ActiveControl(), form->ScbSyubetu);
    EXPECT_TRUE(form->ScbSyubetu->DroppedDown());
    form->ScbSyubetu->SetDroppedDown(false);
    WaitActive();
    KeyPress(form, Qt::Key_Shift, Qt::ShiftModifier);
    KeyRelease(form, Qt::Key_Shift);
    EXPECT_FALSE(form->ScbSyubetu->DroppedDown());
    EXPECT_EQ(Caption(1), QStringLiteral("終了"));
}

TEST_F(VoucherWindow, F1ClosesAnUnchangedVoucherAtOnce) {
    Key(Qt::Key_F1);
    EXPECT_TRUE(asked.empty());
    EXPECT_FALSE(form->Visible());
}

TEST_F(VoucherWindow, AClickUnderABusyCursorDoesNothingAndRestoresTheCursor) {
    Screen->SetCursor(crHourGlass);
    Key(Qt::Key_F1);
    EXPECT_TRUE(form->Visible());
    EXPECT_EQ(Screen->Cursor(), crDefault);
}

TEST_F(VoucherWindow, CannotBeMadeSmallerThanItsDesign) {
    form->SetBounds(form->Left(), form->Top(), 500, 300);
    EXPECT_EQ(form->Width(), 760);
    EXPECT_EQ(form->Height(), 463);
}

}  // namespace

namespace {

// The widest text each totals box can be asked to show: the total and the
// total with tax reach 15 digits before fixed point overflows, the tax 14;
// a returned voucher makes them negative.
TEST_F(VoucherWindow, TheTotalsBoxesShowTheLargestTotalsWhole) {
    struct Box {
        TPanel* panel;
        QString widest;
    };
    const Box boxes[] = {{form->LblGokei, QStringLiteral("-888,888,888,888,888")},
                         {form->LblSyohizei, QStringLiteral("-88,888,888,888,888")},
                         {form->LblZGokei, QStringLiteral("-888,888,888,888,888")}};
    Integer right = 0;
    for (const Box& b : boxes) {
        SCOPED_TRACE(b.panel->Name().toStdString());
        TCanvas canvas;
        canvas.SetFont(b.panel->Font());
        const Integer room = b.panel->ClientWidth() - 2 * b.panel->BevelWidth();
        EXPECT_LE(canvas.TextWidth(b.widest), room);
        b.panel->SetCaption(b.widest);
        // Side by side in the totals row, inside the window.
        EXPECT_GE(b.panel->Left(), right);
        right = b.panel->Left() + b.panel->Width();
        EXPECT_LE(right, form->PnlTotal->ClientWidth());
    }
    // A total of a thousand million keeps its leading digit.
    form->LblGokei->SetCaption(QStringLiteral("1,000,000,000"));
    const QImage image = GrabControl(form->LblGokei);
    SaveTestImage(GrabControl(form->PnlTotal), QStringLiteral("voucher-totals"));
    bool inkNearLeft = false;
    TCanvas canvas;
    canvas.SetFont(form->LblGokei->Font());
    const Integer textLeft = form->LblGokei->ClientWidth() - 1 - canvas.TextWidth(QStringLiteral("1,000,000,000"));
    for (int y = 0; y < image.height(); ++y) {
        for (int x = std::max(0, int(textLeft) - 1); x < textLeft + 6; ++x)
            if (QColor(image.pixel(x, y)).blue() > 100 && QColor(image.pixel(x, y)).red() < 60) inkNearLeft = true;
    }
    EXPECT_TRUE(inkNearLeft) << "the leading 1 is drawn";
}

}  // namespace
