// The calculator: where it opens, and its keys driven by real clicks and
// key presses inside its modal run.
#include "UnCalc.h"

#include "DemoTestSupport.h"
#include "Dialogs.h"
#include "ExtCtrls.h"
#include "SBtn.h"
#include "SEdit.h"
#include "StdCtrls.h"
#include "Forms.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>

#include <QtWidgets/QWidget>

namespace {

// ------------------------------------------------------------ placement

constexpr TSize kWindow{254, 356};
constexpr TSize kScreen{1280, 800};

TEST(CalculatorPlace, OpensJustBelowTheCell) {
    const TPoint p = CalculatorPlace({100, 200}, {80, 18}, kWindow, kScreen);
    EXPECT_EQ(p.X, 101);
    EXPECT_EQ(p.Y, 201);
}

TEST(CalculatorPlace, OpensAboveTheCellNearTheBottom) {
    // 500 + 356 passes 800: the window's bottom goes one pixel above the cell's top.
    const TPoint p = CalculatorPlace({100, 500}, {80, 18}, kWindow, kScreen);
    EXPECT_EQ(p.Y, 500 - 356 - 18 - 1);
    EXPECT_EQ(p.Y + kWindow.cy, 500 - 18 - 1);
}

TEST(CalculatorPlace, AlignsRightEdgesNearTheRightEdge) {
    const TPoint p = CalculatorPlace({1100, 200}, {80, 18}, kWindow, kScreen);
    EXPECT_EQ(p.X + kWindow.cx, 1100 + 80 - 1);
}

TEST(CalculatorPlace, NeverLeavesTheScreenSideways) {
    // Right edges aligned would put the window's left edge off the screen.
    EXPECT_EQ(CalculatorPlace({100, 100}, {30, 18}, kWindow, {300, 800}).X, 0);
    // A wide cell whose right edge lies past the screen's.
    EXPECT_EQ(CalculatorPlace({1200, 100}, {300, 18}, kWindow, kScreen).X, 1280 - 254);
}

// The window as the window system frames it: no border buttons, and
// placed by its real outer size (here, with no window manager, the client
// area itself).
class CalculatorWindow : public ::testing::Test {
protected:
    void SetUp() override {
        host = std::make_unique<TForm>(nullptr);
        host->SetBounds(0, 0, Screen->Width(), Screen->Height());
        box = new TEdit(host.get());
        box->SetParent(host.get());
        ShowActive(host.get());
    }
    // The calculator's outer rectangle while it runs for the box at (x, y).
    QRect OpenFor(Integer x, Integer y, Qt::WindowFlags* flags = nullptr) {
        box->SetBounds(x, y, 80, 20);
        QRect frame;
        WhenModalActive([&](QWidget* modal) {
            frame = modal->frameGeometry();
            if (flags) *flags = modal->windowFlags();
            hints = FrameHintsFor(FrmCalc->BorderStyle(), FrmCalc->BorderIcons());
            FrmCalc->SetModalResult(mrCancel);
        });
        QString result;
        ShowCalculator(box, QStringLiteral("1"), result);
        return frame;
    }
    TPoint Corner() const { return box->ClientToScreen(TPoint(0, box->Height())); }

    std::unique_ptr<TForm> host;
    TEdit* box = nullptr;
    TFrameHints hints;
};

TEST_F(CalculatorWindow, HasADialogFrameWithoutBorderButtons) {
    Qt::WindowFlags flags;
    OpenFor(100, 100, &flags);
    // What the window manager is told: a title and a border, moving only.
    EXPECT_EQ(hints.Decorations, 2u | 8u);
    EXPECT_EQ(hints.Functions, 4u);
    EXPECT_EQ(flags & Qt::WindowType_Mask, Qt::Dialog);
    EXPECT_TRUE(flags.testFlag(Qt::CustomizeWindowHint));
    for (Qt::WindowType button : {Qt::WindowSystemMenuHint, Qt::WindowMinimizeButtonHint,
                                  Qt::WindowMaximizeButtonHint, Qt::WindowCloseButtonHint,
                                  Qt::WindowContextHelpButtonHint})
        EXPECT_FALSE(flags.testFlag(button)) << button;
}

TEST_F(CalculatorWindow, OpensOnePixelInsideBelowTheBox) {
    const QRect frame = OpenFor(100, 100);
    const TPoint corner = Corner();
    EXPECT_EQ(frame.topLeft(), QPoint(corner.X + 1, corner.Y + 1));
}

TEST_F(CalculatorWindow, NearTheRightEdgeItsRightSideMeetsTheBoxs) {
    const Integer x = Screen->Width() - 120;
    const QRect frame = OpenFor(x, 100);
    const TPoint corner = Corner();
    // Its outer right edge (exclusive) one pixel inside the box's.
    EXPECT_EQ(frame.x() + frame.width(), corner.X + box->Width() - 1);
}

TEST_F(CalculatorWindow, NearTheBottomItsBottomMeetsTheBoxsTop) {
    const QRect frame = OpenFor(100, Screen->Height() - 60);
    const TPoint corner = Corner();
    EXPECT_EQ(frame.y() + frame.height(), corner.Y - box->Height() - 1);
}

// ------------------------------------------------------------ keys

constexpr Integer kSign = 10, kPoint = 11, kPlus = 12, kMinus = 13, kTimes = 14, kDivide = 15, kEquals = 16,
                  kPercent = 17, kBack = 18, kClear = 19, kCancel = 20, kTakeBack = 21;

// Opens the calculator on start, lets drive work inside its modal run and
// returns the text taken back; a run that drive leaves open is cancelled.
QString RunCalculator(const QString& start, const std::function<void(TFrmCalc&)>& drive) {
    WhenModalActive([&](QWidget*) {
        drive(*FrmCalc);
        if (FrmCalc && FrmCalc->ModalResult() == mrNone) FrmCalc->SetModalResult(mrCancel);
    });
    QString result = QStringLiteral("unchanged");
    ShowCalculator(nullptr, start, result);
    EXPECT_EQ(FrmCalc, nullptr) << "the window is freed after its run";
    return result;
}

void Press(TFrmCalc& f, std::initializer_list<Integer> codes) {
    for (Integer code : codes) ClickControl(f.Key(code));
}

QString Display(TFrmCalc& f) { return f.edtShow->Text(); }
QString Message(TFrmCalc& f) { return f.lbMsg->Caption(); }

TEST(Calculator, PercentOfAProduct) {
    const QString result = RunCalculator(QStringLiteral("1200"), [](TFrmCalc& f) {
        EXPECT_EQ(Display(f), QStringLiteral("1200"));
        Press(f, {kTimes, 5});
        SaveTestImage(GrabForm(&f), QStringLiteral("calculator"));
        Press(f, {kPercent});
        EXPECT_EQ(Display(f), QStringLiteral("60"));
        EXPECT_EQ(Message(f), QString());
        Press(f, {kTakeBack});
    });
    EXPECT_EQ(result, QStringLiteral("60"));
}

TEST(Calculator, PercentAddedAndTakenOff) {
    RunCalculator(QStringLiteral("100"), [](TFrmCalc& f) {
        Press(f, {kPlus, 1, 0, kPercent});
        EXPECT_EQ(Display(f), QStringLiteral("110"));
    });
    RunCalculator(QStringLiteral("100"), [](TFrmCalc& f) {
        Press(f, {kMinus, 1, 0, kPercent});
        EXPECT_EQ(Display(f), QStringLiteral("90"));
    });
    RunCalculator(QStringLiteral("100"), [](TFrmCalc& f) {
        Press(f, {kDivide, 4, kPercent});
        EXPECT_EQ(Message(f), QStringLiteral("入力エラー"));
    });
}

TEST(Calculator, DivisionByZeroKeepsTheDivisionPending) {
    RunCalculator(QString(), [](TFrmCalc& f) {
        Press(f, {5, kDivide, 0, kEquals});
        EXPECT_EQ(Message(f), QStringLiteral("分母がゼロです"));
        EXPECT_EQ(f.sh4->Pen()->Color(), clBlack) << "the ÷ mark stays lit";
        // The divisor is corrected and the division goes through.
        Press(f, {kBack, 2, kEquals});
        EXPECT_EQ(Display(f), QStringLiteral("2.5"));
        EXPECT_EQ(Message(f), QString());
    });
}

TEST(Calculator, DigitsStayAsTypedWithinTheDecimalPlaces) {
    RunCalculator(QString(), [](TFrmCalc& f) {
        Press(f, {1, kPoint, 0, 5});
        EXPECT_EQ(Display(f), QStringLiteral("1.05"));
        Press(f, {7});
        EXPECT_EQ(Display(f), QStringLiteral("1.05")) << "a third decimal is ignored";
        Press(f, {kPlus, 1, kPoint, 0, kEquals});
        EXPECT_EQ(Display(f), QStringLiteral("2.05"));
    });
}

TEST(Calculator, SignChangeAndBackKeyFeedTheOperand) {
    RunCalculator(QString(), [](TFrmCalc& f) {
        Press(f, {5, kSign});
        EXPECT_EQ(Display(f), QStringLiteral("-5"));
        Press(f, {kTimes, 2, kEquals});
        EXPECT_EQ(Display(f), QStringLiteral("-10"));
    });
    RunCalculator(QString(), [](TFrmCalc& f) {
        Press(f, {1, 2, kBack});
        EXPECT_EQ(Display(f), QStringLiteral("1"));
        Press(f, {kTimes, 3, kEquals});
        EXPECT_EQ(Display(f), QStringLiteral("3"));
    });
}

TEST(Calculator, OperatorMarksLightAndGoOut) {
    RunCalculator(QStringLiteral("8"), [](TFrmCalc& f) {
        Press(f, {kTimes});
        EXPECT_EQ(f.sh3->Pen()->Color(), clBlack);
        EXPECT_EQ(f.sh3->Brush()->Style(), bsClear) << "a lit mark shows its sign";
        Press(f, {kTimes});
        EXPECT_EQ(f.sh3->Pen()->Color(), clWhite);
        EXPECT_EQ(f.sh3->Brush()->Style(), bsSolid);
        EXPECT_EQ(f.sh3->Brush()->Color(), f.Shape3->Brush()->Color());
    });
}

// The operator last pressed is the one pending, also when its key put its
// mark out: 5 + 3, the operand taken back, then × and + again, and 4.
TEST(Calculator, TheLastOperatorPressedIsPendingEvenWhenItsMarkGoesOut) {
    RunCalculator(QString(), [](TFrmCalc& f) {
        Press(f, {5, kPlus, 3, kBack, kTimes, kPlus});
        EXPECT_EQ(f.sh1->Pen()->Color(), clWhite);
        EXPECT_EQ(f.sh3->Pen()->Color(), clWhite);
        Press(f, {4, kEquals});
        EXPECT_EQ(Display(f), QStringLiteral("9"));
    });
}

TEST(Calculator, ResultsOutsideTheDisplayAreRefusedWithAMessage) {
    RunCalculator(QStringLiteral("999999999999"), [](TFrmCalc& f) {
        Press(f, {kTimes, 2, kEquals});
        EXPECT_EQ(Message(f), QStringLiteral("結果が大きすぎます"));
        EXPECT_FALSE(Display(f).isEmpty());
        EXPECT_FALSE(Display(f).contains(u'E'));
        // The next digit starts afresh.
        Press(f, {7});
        EXPECT_EQ(Display(f), QStringLiteral("7"));
        EXPECT_EQ(Message(f), QString());
    });
    RunCalculator(QStringLiteral("999999999999"), [](TFrmCalc& f) {
        Press(f, {kTimes});
        for (int i = 0; i < 12; ++i) Press(f, {9});
        Press(f, {kEquals});
        EXPECT_EQ(Message(f), QStringLiteral("結果が大きすぎます"));
        EXPECT_FALSE(Display(f).contains(u'E'));
    });
    RunCalculator(QStringLiteral("-999999999999"), [](TFrmCalc& f) {
        Press(f, {kTimes, 2, kEquals});
        EXPECT_EQ(Message(f), QStringLiteral("結果が小さすぎます"));
    });
    RunCalculator(QStringLiteral("999999999998"), [](TFrmCalc& f) {
        Press(f, {kPlus, 1, kEquals});
        EXPECT_EQ(Display(f), QStringLiteral("999999999999")) << "the limit itself is shown";
        EXPECT_EQ(Message(f), QString());
    });
}

// The issue's own run: C, twelve 9s, x, 10, =, then the key that takes
// the result back.
TEST(Calculator, AnOverflowedResultIsShownAndNeverTakenBack) {
    int beeps = 0;
    SetBeepHook([&](Cardinal) { ++beeps; });
    QString shown;
    bool stayedOpen = false;
    const QString result = RunCalculator(QStringLiteral("5"), [&](TFrmCalc& f) {
        Press(f, {kClear});
        for (int i = 0; i < 12; ++i) Press(f, {9});
        Press(f, {kTimes, 1, 0, kEquals});
        EXPECT_EQ(Message(f), QStringLiteral("結果が大きすぎます"));
        shown = Display(f);
        SaveTestImage(GrabForm(&f), QStringLiteral("calculator-overflow"));
        Press(f, {kTakeBack});
        KeyClick(&f, Qt::Key_Return);
        stayedOpen = f.ModalResult() == mrNone;
    });
    SetBeepHook(nullptr);
    EXPECT_EQ(shown.remove(u',').section(u'.', 0, 0), QStringLiteral("9999999999990")) << "the result itself, in digits";
    EXPECT_TRUE(stayedOpen);
    EXPECT_EQ(beeps, 2);
    EXPECT_EQ(result, QString()) << "nothing came back";
    // Far past the limits: still digits, no exponent, and below the minimum.
    RunCalculator(QStringLiteral("999999999999"), [](TFrmCalc& f) {
        Press(f, {kTimes});
        for (int i = 0; i < 12; ++i) Press(f, {9});
        Press(f, {kEquals});
        const QString t = Display(f);
        EXPECT_FALSE(t.isEmpty());
        EXPECT_FALSE(t.contains(u'E'));
        EXPECT_EQ(QString(t).remove(u',').section(u'.', 0, 0).size(), 24) << qPrintable(t);
    });
    RunCalculator(QStringLiteral("-999999999999"), [](TFrmCalc& f) {
        Press(f, {kTimes, 3, kEquals});
        EXPECT_EQ(Message(f), QStringLiteral("結果が小さすぎます"));
        EXPECT_EQ(QString(Display(f)).remove(u',').section(u'.', 0, 0), QStringLiteral("-2999999999997"));
        // Clearing the error lets a result go back again.
        Press(f, {kClear, 4, kTakeBack});
        EXPECT_EQ(f.ModalResult(), mrOk);
    });
}

TEST(Calculator, DigitsStopAtTheDisplayLimit) {
    RunCalculator(QString(), [](TFrmCalc& f) {
        for (int i = 0; i < 13; ++i) Press(f, {9});
        EXPECT_EQ(Display(f), QStringLiteral("999999999999"));
    });
    RunCalculator(QString(), [](TFrmCalc& f) {
        KeyClicks(&f, QStringLiteral("99999999999999"));
        EXPECT_EQ(Display(f), QStringLiteral("999999999999"));
    });
}

TEST(Calculator, MainRowKeysTypeDigitsAndSignsAndComputeOnPercentAndEquals) {
    RunCalculator(QStringLiteral("200"), [](TFrmCalc& f) {
        KeyClick(&f, Qt::Key_Asterisk, Qt::KeypadModifier);
        EXPECT_EQ(f.sh3->Pen()->Color(), clBlack);
        KeyClicks(&f, QStringLiteral("5"));
        EXPECT_EQ(Display(f), QStringLiteral("5")) << "a main-row 5 is a digit";
        EXPECT_EQ(Message(f), QStringLiteral("200"));
        KeyClicks(&f, QStringLiteral("%"));
        EXPECT_EQ(Display(f), QStringLiteral("10"));
    });
    RunCalculator(QStringLiteral("200"), [](TFrmCalc& f) {
        KeyClick(&f, Qt::Key_Plus, Qt::KeypadModifier);
        KeyClicks(&f, QStringLiteral("5="));
        EXPECT_EQ(Display(f), QStringLiteral("205"));
    });
    RunCalculator(QString(), [](TFrmCalc& f) {
        KeyClicks(&f, QStringLiteral("-3"));
        EXPECT_EQ(Display(f), QStringLiteral("-3")) << "a main-row minus is a sign";
        EXPECT_EQ(Message(f), QString()) << "the minus began the number";
        KeyClick(&f, Qt::Key_Minus, Qt::KeypadModifier);
        KeyClick(&f, Qt::Key_4, Qt::KeypadModifier);
        KeyClick(&f, Qt::Key_End);
        EXPECT_EQ(Display(f), QStringLiteral("-2.88")) << "End computes a percentage: -3 - (-3 x 4 %)";
    });
    RunCalculator(QStringLiteral("200"), [](TFrmCalc& f) {
        Press(f, {kTimes});
        KeyClicks(&f, QStringLiteral("-5="));
        EXPECT_EQ(Display(f), QStringLiteral("-1000")) << "a minus after an operator begins the operand";
    });
}

TEST(Calculator, EnterTakesTheDisplayBackAndEscOrCancelGiveNothing) {
    EXPECT_EQ(RunCalculator(QStringLiteral("1,200.5"), [](TFrmCalc& f) {
                  KeyClick(&f, Qt::Key_Plus, Qt::KeypadModifier);
                  KeyClicks(&f, QStringLiteral("1"));
                  KeyClicks(&f, QStringLiteral("="));
                  KeyClick(&f, Qt::Key_Return);
              }),
              QStringLiteral("1201.5"));
    EXPECT_EQ(RunCalculator(QStringLiteral("7"), [](TFrmCalc& f) { KeyClick(&f, Qt::Key_Escape); }), QString());
    EXPECT_EQ(RunCalculator(QStringLiteral("7"), [](TFrmCalc& f) { Press(f, {kCancel}); }), QString());
}

TEST(Calculator, HomeAndTheClearKeyStartOver) {
    RunCalculator(QStringLiteral("40"), [](TFrmCalc& f) {
        Press(f, {kPlus, 2});
        KeyClick(&f, Qt::Key_Home);
        EXPECT_EQ(Display(f), QString());
        EXPECT_EQ(Message(f), QString());
        EXPECT_EQ(f.sh1->Pen()->Color(), clWhite);
        Press(f, {3, kEquals});
        EXPECT_EQ(Display(f), QStringLiteral("3")) << "nothing was pending any more";
        Press(f, {kClear, 4});
        EXPECT_EQ(Display(f), QStringLiteral("4"));
    });
}

TEST(Calculator, NothingIsPendingFromAnEarlierRun) {
    RunCalculator(QStringLiteral("5"), [](TFrmCalc& f) { Press(f, {kTimes, kCancel}); });
    RunCalculator(QStringLiteral("10"), [](TFrmCalc& f) {
        Press(f, {7, kEquals});
        EXPECT_EQ(Display(f), QStringLiteral("7"));
    });
}

TEST(Calculator, DecimalPlaceKeys) {
    RunCalculator(QStringLiteral("2"), [](TFrmCalc& f) {
        ClickControl(f.sbC1);
        EXPECT_EQ(f.edtShow->fpLength(), 3);
        EXPECT_EQ(f.sbC1->Caption(), QStringLiteral("0.000 →"));
        EXPECT_EQ(f.sbC2->Caption(), QStringLiteral("0.000 ←"));
        Press(f, {kDivide, 3, kEquals});
        EXPECT_EQ(Display(f), QStringLiteral("0.667"));
        for (int i = 0; i < 5; ++i) ClickControl(f.sbC2);
        EXPECT_EQ(f.edtShow->fpLength(), 0) << "never below none";
        EXPECT_EQ(f.sbC1->Caption(), QStringLiteral("0 →"));
        for (int i = 0; i < 7; ++i) ClickControl(f.sbC1);
        EXPECT_EQ(f.edtShow->fpLength(), 5) << "never above five";
    });
}

TEST(Calculator, DecimalPlaceCaptionsFitTheirKeysAtEveryPlace) {
    RunCalculator(QString(), [](TFrmCalc& f) {
        for (Integer places = 2; places <= 5; ++places) {
            ExpectCaptionInside(f.sbC1);
            ExpectCaptionInside(f.sbC2);
            ClickControl(f.sbC1);
        }
        SaveTestImage(GrabForm(&f), QStringLiteral("calculator_five_places"));
        for (Integer places = 5; places >= 0; --places) {
            ExpectCaptionInside(f.sbC1);
            ClickControl(f.sbC2);
        }
    });
}

}  // namespace
