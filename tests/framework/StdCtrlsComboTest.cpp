// The framework's combo box on a real Qt combo box in an active window:
// which user actions raise Click, Select and Change, that the program's
// ItemIndex and Text raise nothing, the drop-down events, the list styles'
// text, the edit limit and the height that follows the font.
#include "FrameworkTestSupport.h"
#include "StdCtrlsCombo.h"
#include "TestSupport.h"

#include <QtGui/QImage>
#include <QtGui/QScreen>
#include <QtTest/QTest>
#include <QtWidgets/QAbstractItemView>
#include <QtWidgets/QApplication>
#include <QtWidgets/QComboBox>

#include <gtest/gtest.h>

#include <functional>

namespace {

using Log = std::vector<std::string>;

class StdCtrlsComboTest : public LoggedFormTest {
protected:
    void SetUp() override {
        combo = Place(new TComboBox(form.get()), form.get(), 10, 10, 160, 24);
        combo->SetName("combo");
        other = Place(new TComboBox(form.get()), form.get(), 10, 60, 160, 24);
        for (const char* s : {"売上", "返品", "値引"}) combo->Items()->Add(QString::fromUtf8(s));
        combo->OnClick = [this](TObject*) { events.push_back("Click:" + Utf8(combo->Text())); };
        combo->OnChange = [this](TObject*) { events.push_back("Change:" + Utf8(combo->Text())); };
        combo->OnDropDown = [this](TObject*) { events.push_back("DropDown"); };
        combo->OnCloseUp = [this](TObject*) { events.push_back("CloseUp"); };
        ShowWithFocus(combo);
    }
    QComboBox* widget() const { return qobject_cast<QComboBox*>(combo->Widget()); }
    // Opens the list by a click on the box's button; the list's window.
    QWidget* ClickOpen() {
        const TPoint p = form->ScreenToClient(combo->ClientToScreen(TPoint(combo->ClientWidth() - 6, combo->ClientHeight() / 2)));
        MouseClick(form.get(), QPoint(p.X, p.Y));
        QAbstractItemView* view = widget()->view();
        return WaitFor([&] { return view->isVisible(); }) ? view->window() : nullptr;
    }

    Log events;
    TComboBox* combo = nullptr;
    TComboBox* other = nullptr;
};

TEST_F(StdCtrlsComboTest, TheProgramsChoiceRaisesNothing) {
    combo->SetItemIndex(1);
    EXPECT_EQ(Utf8(combo->Text()), "返品");
    EXPECT_EQ(widget()->currentIndex(), 1);
    combo->SetItemIndex(7);
    EXPECT_EQ(combo->ItemIndex(), -1);
    EXPECT_EQ(Utf8(combo->Text()), "");
    combo->SetText("自由入力");
    EXPECT_EQ(Utf8(combo->Text()), "自由入力");
    EXPECT_TRUE(events.empty());
}

TEST_F(StdCtrlsComboTest, ChoosingFromTheOpenListByMouseRaisesClickThenChange) {
    combo->SetDroppedDown(true);
    ASSERT_TRUE(combo->DroppedDown());
    QAbstractItemView* view = widget()->view();
    ASSERT_TRUE(WaitFor([&] { return view->isVisible(); }));
    const QRect r = view->visualRect(view->model()->index(2, 0));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, r.center());
    ASSERT_TRUE(WaitFor([&] { return !combo->DroppedDown(); }));
    EXPECT_EQ(combo->ItemIndex(), 2);
    EXPECT_EQ(events, (Log{"DropDown", "CloseUp", "Click:値引", "Change:値引"}));
}

TEST_F(StdCtrlsComboTest, OnSelectTakesThePlaceOfChangeForAChoice) {
    combo->SetStyle(csDropDownList);
    combo->SetFocus();
    combo->OnSelect = [this](TObject*) { events.push_back("Select"); };
    combo->SetItemIndex(0);
    KeyClick(form.get(), Qt::Key_Down);
    EXPECT_EQ(combo->ItemIndex(), 1);
    EXPECT_EQ(events, (Log{"Click:返品", "Select"}));
}

TEST_F(StdCtrlsComboTest, ALetterOnAClosedListChoosesByKeyboard) {
    combo->Items()->Clear();
    for (const char* s : {"apple", "banana", "cherry"}) combo->Items()->Add(s);
    combo->SetStyle(csDropDownList);
    combo->SetFocus();
    KeyClicks(form.get(), "c");
    EXPECT_EQ(Utf8(combo->Text()), "cherry");
    EXPECT_EQ(events, (Log{"Click:cherry", "Change:cherry"}));
}

TEST_F(StdCtrlsComboTest, TypingInTheEditPartRaisesChangeOnly) {
    combo->SetAutoComplete(false);
    combo->SetFocus();
    KeyClicks(form.get(), "ab");
    EXPECT_EQ(Utf8(combo->Text()), "ab");
    EXPECT_EQ(events, (Log{"Change:a", "Change:ab"}));
    // Enter never makes a new item.
    KeyClick(form.get(), Qt::Key_Return);
    EXPECT_EQ(combo->Items()->Count(), 3);
}

TEST_F(StdCtrlsComboTest, AListStyleShowsOnlyItsItems) {
    combo->SetStyle(csDropDownList);
    combo->SetText("返品");
    EXPECT_EQ(combo->ItemIndex(), 1);
    combo->SetText("none");
    EXPECT_EQ(combo->ItemIndex(), 1);
    EXPECT_EQ(Utf8(combo->Text()), "返品");
    combo->Items()->Delete(2);
    combo->Items()->Delete(1);
    EXPECT_EQ(combo->ItemIndex(), -1);
    EXPECT_EQ(Utf8(combo->Text()), "");
    combo->Clear();
    EXPECT_EQ(combo->Items()->Count(), 0);
}

TEST_F(StdCtrlsComboTest, ControlDownOpensAndClosesTheList) {
    KeyClick(form.get(), Qt::Key_F4);
    EXPECT_TRUE(combo->DroppedDown());
    combo->SetDroppedDown(false);
    EXPECT_FALSE(combo->DroppedDown());
    EXPECT_EQ(events, (Log{"DropDown", "CloseUp"}));
}

// Esc closes the open list through the box; the application closes every
// pop-up behind the box's back when it loses the focus. Either way the box
// knows at once and tells once, not again when the focus leaves.
TEST_F(StdCtrlsComboTest, AClosedListClosesTheBoxAtOnceWithOneCloseUp) {
    const std::function<void()> closes[] = {[&] { KeyClick(form.get(), Qt::Key_Escape); },
                                            [&] { widget()->view()->window()->close(); }};
    for (const auto& close : closes) {
        combo->SetFocus();
        events.clear();
        KeyClick(form.get(), Qt::Key_F4);
        ASSERT_TRUE(WaitFor([&] { return widget()->view()->isVisible(); }));
        close();
        EXPECT_FALSE(combo->DroppedDown());
        EXPECT_TRUE(WaitFor([&] { return !widget()->view()->isVisible(); }));
        other->SetFocus();
        EXPECT_EQ(events, (Log{"DropDown", "CloseUp"}));
    }
}

TEST_F(StdCtrlsComboTest, WithNothingChosenTheFirstDownInTheOpenListHighlightsTheFirstItem) {
    KeyClick(form.get(), Qt::Key_F4);
    ASSERT_TRUE(WaitFor([&] { return widget()->view()->isVisible(); }));
    KeyClick(form.get(), Qt::Key_Down);
    EXPECT_EQ(widget()->view()->currentIndex().row(), 0);
}

TEST_F(StdCtrlsComboTest, TheEditLimitStopsTyping) {
    struct Limited : TComboBox {
        using TComboBox::TComboBox;
        void Limit(Integer n) { SetEditLimit(n); }
    };
    auto* limited = Place(new Limited(form.get()), form.get(), 10, 100, 160, 24);
    limited->Limit(3);
    limited->SetFocus();
    KeyClicks(form.get(), "abcdef");
    EXPECT_EQ(Utf8(limited->Text()), "abc");
}

TEST_F(StdCtrlsComboTest, TheHeightFollowsTheFontExceptForTheSimpleStyle) {
    TCanvas canvas;
    canvas.Font()->Assign(combo->Font());
    EXPECT_EQ(combo->Height(), canvas.TextHeight("0") + 8);
    combo->SetHeight(60);
    EXPECT_EQ(combo->Height(), canvas.TextHeight("0") + 8);
    combo->Font()->SetSize(16);
    canvas.Font()->Assign(combo->Font());
    EXPECT_EQ(combo->Height(), canvas.TextHeight("0") + 8);
    combo->SetStyle(csSimple);
    combo->SetHeight(60);
    EXPECT_EQ(combo->Height(), 60);
}

TEST_F(StdCtrlsComboTest, ArrowKeysStayWithTheCombo) {
    KeyClick(form.get(), Qt::Key_Right);
    KeyClick(form.get(), Qt::Key_Left);
    EXPECT_TRUE(combo->Focused());
}

TEST_F(StdCtrlsComboTest, TheListDropsRightBelowTheBoxWhateverItemIsChosen) {
    for (TComboBoxStyle style : {csDropDownList, csDropDown}) {
        SCOPED_TRACE(style);
        combo->SetStyle(style);
        combo->SetItemIndex(2);
        QWidget* list = ClickOpen();
        ASSERT_NE(list, nullptr);
        const TPoint below = combo->ClientToScreen(TPoint(0, combo->Height()));
        EXPECT_EQ(list->geometry().topLeft(), QPoint(below.X, below.Y));
        combo->SetDroppedDown(false);
    }
}

TEST_F(StdCtrlsComboTest, WithNoRoomBelowTheListOpensRightAboveTheBox) {
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    form->SetTop(screen.bottom() - form->Height());
    combo->SetTop(form->ClientHeight() - combo->Height() - 4);
    combo->SetStyle(csDropDownList);
    QWidget* list = ClickOpen();
    ASSERT_NE(list, nullptr);
    const TPoint top = combo->ClientToScreen(TPoint(0, 0));
    EXPECT_EQ(list->geometry().bottomLeft(), QPoint(top.X, top.Y - 1));
}

// ------------------------------------------------------------ owner drawing

// A box whose items paint colour swatches and log how they were asked.
class StdCtrlsComboOwnerDrawTest : public StdCtrlsComboTest {
protected:
    static constexpr TColor kSwatches[] = {0x0000FF, 0x00C000, 0xFF0000};

    void SetUp() override {
        StdCtrlsComboTest::SetUp();
        combo->OnDrawItem = [this](TWinControl* control, Integer index, TRect rect, TOwnerDrawState state) {
            ASSERT_EQ(control, combo);
            drawn.push_back(DrawCall{index, rect.Height(), state});
            combo->Canvas()->Brush()->SetColor(kSwatches[index]);
            combo->Canvas()->FillRect(rect);
        };
        combo->OnMeasureItem = [this](TWinControl* control, Integer index, Integer& height) {
            ASSERT_EQ(control, combo);
            ASSERT_EQ(height, combo->ItemHeight());
            measured.push_back(index);
            height = 14 + 6 * (index + 1);
        };
    }
    // Opens the list and draws it; its view.
    QAbstractItemView* OpenList() {
        QWidget* list = ClickOpen();
        return list ? widget()->view() : nullptr;
    }
    // The last state the box's selection area was drawn with.
    TOwnerDrawState PaintedAreaState() {
        drawn.clear();
        combo->Widget()->repaint();
        for (auto it = drawn.rbegin(); it != drawn.rend(); ++it) {
            if (it->state.Contains(odComboBoxEdit)) return it->state;
        }
        ADD_FAILURE() << "the selection area was not drawn";
        return {};
    }

    struct DrawCall {
        Integer index;
        Integer height;
        TOwnerDrawState state;
    };
    std::vector<DrawCall> drawn;
    std::vector<Integer> measured;
};

TEST_F(StdCtrlsComboOwnerDrawTest, AVariableListPaintsSwatchesAtTheHeightsMeasured) {
    combo->SetStyle(csOwnerDrawVariable);
    EXPECT_EQ(combo->Height(), 14 + 2 * 3) << "the selection area is measured as item -1";
    QAbstractItemView* view = OpenList();
    ASSERT_NE(view, nullptr);
    const QImage shot = view->viewport()->grab().toImage();
    SaveTestImage(shot, QStringLiteral("StdCtrlsComboOwnerDrawVariable"));
    for (int row = 0; row < 3; ++row) {
        SCOPED_TRACE(row);
        const QRect r = view->visualRect(view->model()->index(row, 0));
        EXPECT_EQ(r.height(), 14 + 6 * (row + 1));
        EXPECT_EQ(shot.pixelColor(r.center()), ToQColor(kSwatches[row]));
    }
}

TEST_F(StdCtrlsComboOwnerDrawTest, TheSelectionAreaIsMeasuredWhenTheWindowIsMade) {
    TForm later(nullptr);
    auto* box = Place(new TComboBox(&later), &later, 10, 10, 160, 24);
    box->SetStyle(csOwnerDrawVariable);
    box->OnMeasureItem = [&](TWinControl*, Integer index, Integer& height) {
        measured.push_back(index);
        height = 20;
    };
    ShowActive(&later);
    EXPECT_EQ(measured, std::vector<Integer>{-1});
    EXPECT_EQ(box->Height(), 20 + 2 * 3);
}

TEST_F(StdCtrlsComboOwnerDrawTest, AFixedListGivesEveryItemItsItemHeight) {
    combo->SetStyle(csOwnerDrawFixed);
    combo->SetItemHeight(22);
    combo->SetItemIndex(1);
    EXPECT_EQ(combo->Height(), 22 + 2 * 3);
    QAbstractItemView* view = OpenList();
    ASSERT_NE(view, nullptr);
    view->viewport()->repaint();
    for (int row = 0; row < 3; ++row) EXPECT_EQ(view->visualRect(view->model()->index(row, 0)).height(), 22);
    EXPECT_TRUE(measured.empty()) << "a fixed list asks no heights";
    ASSERT_FALSE(drawn.empty());
    for (const DrawCall& call : drawn) EXPECT_EQ(call.height, 22);
    // The highlighted item is drawn selected and focused.
    const bool highlighted = std::any_of(drawn.begin(), drawn.end(), [](const DrawCall& c) {
        return c.index == 1 && c.state.Contains(odSelected) && c.state.Contains(odFocused);
    });
    EXPECT_TRUE(highlighted);
}
TEST_F(StdCtrlsComboOwnerDrawTest, TheSelectionAreaDrawsTheChosenItemThroughDrawItem) {
    combo->SetStyle(csOwnerDrawFixed);
    combo->SetItemIndex(1);
    combo->SetFocus();
    EXPECT_EQ(PaintedAreaState(), (TOwnerDrawState{odComboBoxEdit, odSelected, odFocused}));
    const QImage box = combo->Widget()->grab().toImage();
    SaveTestImage(box, QStringLiteral("StdCtrlsComboOwnerDrawArea"));
    EXPECT_EQ(box.pixelColor(combo->Width() / 3, combo->Height() / 2), ToQColor(kSwatches[1]));
    other->SetFocus();
    EXPECT_EQ(PaintedAreaState(), TOwnerDrawState{odComboBoxEdit});
    combo->SetEnabled(false);
    EXPECT_EQ(PaintedAreaState(), (TOwnerDrawState{odComboBoxEdit, odDisabled, odGrayed}));
}

TEST_F(StdCtrlsComboTest, AListStyleSearchAddsUpTheLettersTypedWithinAutoCompleteDelay) {
    combo->Items()->Clear();
    for (const char* s : {"apple", "apricot", "banana", "Cherry"}) combo->Items()->Add(s);
    combo->SetStyle(csDropDownList);
    combo->SetFocus();
    // A long delay: the letters add up; no item for them leaves the choice.
    combo->SetAutoCompleteDelay(100000);
    KeyClicks(form.get(), "apr");
    EXPECT_EQ(Utf8(combo->Text()), "apricot");
    KeyClicks(form.get(), "x");
    EXPECT_EQ(Utf8(combo->Text()), "apricot");
    EXPECT_EQ(events, (Log{"Click:apple", "Change:apple", "Click:apricot", "Change:apricot"}));
    // No delay: every letter starts a new search.
    events.clear();
    combo->SetAutoCompleteDelay(0);
    KeyClicks(form.get(), "bca");
    EXPECT_EQ(Utf8(combo->Text()), "apple");
    EXPECT_EQ(events, (Log{"Click:banana", "Change:banana", "Click:Cherry", "Change:Cherry", "Click:apple",
                           "Change:apple"}));
}

TEST_F(StdCtrlsComboTest, AutoDropDownOpensTheListAndTheTypingGoesOnIntoTheEditPart) {
    combo->SetAutoComplete(false);
    KeyClicks(form.get(), "a");
    EXPECT_FALSE(combo->DroppedDown());
    combo->SetText("");
    events.clear();
    combo->SetAutoDropDown(true);
    KeyClicks(form.get(), "ab");
    EXPECT_TRUE(combo->DroppedDown());
    EXPECT_EQ(Utf8(combo->Text()), "ab");
    KeyClick(form.get(), Qt::Key_Backspace);
    EXPECT_EQ(Utf8(combo->Text()), "a");
    EXPECT_EQ(events, (Log{"DropDown", "Change:a", "Change:ab", "Change:a"}));
}

TEST_F(StdCtrlsComboTest, AutoCloseUpClosesTheListWhenTypingChoosesAnItem) {
    combo->Items()->Clear();
    for (const char* s : {"apple", "banana", "cherry"}) combo->Items()->Add(s);
    combo->SetStyle(csDropDownList);
    combo->SetAutoCompleteDelay(0);
    combo->SetFocus();
    KeyClick(form.get(), Qt::Key_F4);
    KeyClicks(form.get(), "b");
    EXPECT_TRUE(combo->DroppedDown());
    EXPECT_EQ(widget()->view()->currentIndex().row(), 1);
    combo->SetAutoCloseUp(true);
    KeyClicks(form.get(), "c");
    EXPECT_FALSE(combo->DroppedDown());
    EXPECT_EQ(events, (Log{"DropDown", "Click:banana", "Change:banana", "Click:cherry", "Change:cherry", "CloseUp"}));
}

}  // namespace
