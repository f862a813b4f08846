// The entry combo box among edit boxes in an active window, driven by real
// keys and clicks: a choice by mouse and by keyboard and the move it makes,
// Up and Down with and without Shift, Ctrl and Alt, a refused change, the
// program's ItemIndex, read-only boxes, Esc, and the flat frame.
#include "EntryTestSupport.h"

#include "TestSupport.h"

#include <QtGui/QClipboard>
#include <QtGui/QImage>
#include <QtGui/QPixmap>
#include <QtWidgets/QAbstractItemView>
#include <QtWidgets/QApplication>
#include <QtWidgets/QComboBox>

#include <algorithm>

namespace {

class SEditComboTest : public ::testing::Test {
protected:
    void SetUp() override {
        form = std::make_unique<TraceForm>();
        a = form->AddEdit("A", 10, 10);
        k = form->AddCombo("K", 110, 10);
        b = form->AddEdit("B", 230, 10);
        below = form->AddEdit("D", 110, 60);
        for (const char* s : {"売上", "返品", "値引"}) k->Items()->Add(QString::fromUtf8(s));
        k->SetStyle(csDropDownList);
        a->SetmvRight(k);
        k->SetmvLeft(a);
        k->SetmvRight(b);
        b->SetmvLeft(k);
        k->SetmvDown(below);
        below->SetmvUp(k);
        form->ShowActive();
        k->SetFocus();
        form->log.clear();
    }
    void TearDown() override { form.reset(); }
    QComboBox* widget() const { return qobject_cast<QComboBox*>(k->Widget()); }

    std::unique_ptr<TraceForm> form;
    TSEdit* a = nullptr;
    TSComboBox* k = nullptr;
    TSEdit* b = nullptr;
    TSEdit* below = nullptr;
};

TEST_F(SEditComboTest, AChoiceByMouseMovesOnAsAClickDoes) {
    k->SetDroppedDown(true);
    QAbstractItemView* view = widget()->view();
    ASSERT_TRUE(QTest::qWaitFor([&] { return view->isVisible(); }));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier,
                      view->visualRect(view->model()->index(1, 0)).center());
    ASSERT_TRUE(QTest::qWaitFor([&] { return b->Focused(); }));
    EXPECT_EQ(k->ItemIndex(), 1);
    // The click moves on before the choice's Change (Select) comes.
    EXPECT_EQ(form->log, (Trace{"Click:K", "Modified:K", "ModifyEx:K", "Exit:K", "Enter:B", "Move:K:39", "Change:K"}));
    EXPECT_EQ(Utf8(k->AcceptedText()), "返品");
}

TEST_F(SEditComboTest, WithoutEkMouseAChoiceStays) {
    k->SetExitKeys(k->ExitKeys() - ekMouse - ekDown);
    form->Key(Qt::Key_Down);
    EXPECT_TRUE(k->Focused());
    EXPECT_EQ(k->ItemIndex(), 0);
    EXPECT_EQ(form->log, (Trace{"Click:K", "Change:K"}));
}

TEST_F(SEditComboTest, AChoiceByKeyboardWithoutTheDownMoveAlsoMovesOn) {
    k->SetExitKeys(k->ExitKeys() - ekDown);
    k->SetMoveOnClick(mkDown);
    form->Key(Qt::Key_Down);
    EXPECT_TRUE(below->Focused());
    EXPECT_EQ(k->ItemIndex(), 0);
    EXPECT_EQ(form->log, (Trace{"Click:K", "Modified:K", "ModifyEx:K", "Exit:K", "Enter:D", "Move:K:40", "Change:K"}));
}

TEST_F(SEditComboTest, UpAndDownMoveToNeighbours) {
    form->Key(Qt::Key_Down);
    EXPECT_TRUE(below->Focused());
    EXPECT_EQ(below->EntryKey(), 40);
    form->Key(Qt::Key_Up);
    EXPECT_TRUE(k->Focused());
    EXPECT_EQ(k->ItemIndex(), -1);
    EXPECT_EQ(form->log, (Trace{"Exit:K", "Enter:D", "Move:K:40", "Exit:D", "Enter:K", "Move:D:38"}));
}

TEST_F(SEditComboTest, ShiftStepsTheChoiceWithinTheListWithoutEvents) {
    form->Key(Qt::Key_Down, Qt::ShiftModifier);
    form->Key(Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(k->ItemIndex(), 1);
    form->Key(Qt::Key_Down, Qt::ShiftModifier);
    form->Key(Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(k->ItemIndex(), 2);
    form->Key(Qt::Key_Up, Qt::ShiftModifier);
    EXPECT_EQ(k->ItemIndex(), 1);
    EXPECT_TRUE(k->Focused());
    EXPECT_TRUE(form->log.empty());
    // The change shows when the box is left.
    form->Key(Qt::Key_Right);
    EXPECT_EQ(form->log, (Trace{"Modified:K", "ModifyEx:K", "Exit:K", "Enter:B", "Move:K:39"}));
}

TEST_F(SEditComboTest, ShiftOnTheFirstItemOrAnEmptyListChangesNothing) {
    k->SetItemIndex(0);
    form->Key(Qt::Key_Up, Qt::ShiftModifier);
    EXPECT_EQ(k->ItemIndex(), 0);
    k->Items()->Clear();
    form->Key(Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(k->ItemIndex(), -1);
    EXPECT_TRUE(k->Focused());
}

TEST_F(SEditComboTest, CtrlTogglesTheListAndAltIsSwallowed) {
    form->Key(Qt::Key_Down, Qt::ControlModifier);
    EXPECT_TRUE(k->DroppedDown());
    k->SetDroppedDown(false);
    form->Key(Qt::Key_Down, Qt::AltModifier);
    EXPECT_FALSE(k->DroppedDown());
    EXPECT_TRUE(k->Focused());
    EXPECT_EQ(k->ItemIndex(), -1);
}

TEST_F(SEditComboTest, TheProgramsItemIndexRaisesNeitherClickNorChange) {
    k->SetItemIndex(2);
    EXPECT_EQ(Utf8(k->Text()), "値引");
    EXPECT_TRUE(form->log.empty());
    EXPECT_TRUE(k->Focused());
}

TEST_F(SEditComboTest, ARefusedChangeHoldsAndIsNeverAccepted) {
    form->refuse = true;
    form->Key(Qt::Key_Down, Qt::ShiftModifier);
    form->Key(Qt::Key_Right);
    EXPECT_TRUE(k->Focused());
    EXPECT_EQ(form->log, (Trace{"Modified:K", "ModifyEx:K"}));
    EXPECT_EQ(Utf8(k->AcceptedText()), "");
    form->log.clear();
    form->Key(Qt::Key_Right);
    EXPECT_TRUE(k->Focused());
    EXPECT_EQ(form->log, (Trace{"Modified:K", "ModifyEx:K"}));
    form->refuse = false;
    form->log.clear();
    form->Key(Qt::Key_Right);
    EXPECT_TRUE(b->Focused());
    EXPECT_EQ(Utf8(k->AcceptedText()), "売上");
}

TEST_F(SEditComboTest, EscGoesBackToTheAcceptedChoice) {
    k->SetItemIndex(1);
    k->Update();
    form->Key(Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(k->ItemIndex(), 2);
    form->Key(Qt::Key_Escape);
    EXPECT_EQ(k->ItemIndex(), 1);
}

TEST_F(SEditComboTest, AnEditableReadOnlyBoxTakesNoCharacterButStillMoves) {
    k->SetStyle(csDropDown);
    k->SetFocus();
    form->Type("ab");
    EXPECT_EQ(Utf8(k->Text()), "ab");
    k->SetReadOnly(true);
    form->Type("cd");
    EXPECT_EQ(Utf8(k->Text()), "ab");
    form->log.clear();
    form->Key(Qt::Key_Return);
    EXPECT_TRUE(b->Focused());
    EXPECT_EQ(form->log, (Trace{"Modified:K", "ModifyEx:K", "Exit:K", "Enter:B", "Move:K:39"}));
}

TEST_F(SEditComboTest, AReadOnlyListChoosesNothingByALetter) {
    k->Items()->Add("abc");
    k->SetReadOnly(true);
    form->Type("a");
    EXPECT_EQ(k->ItemIndex(), -1);
    k->SetReadOnly(false);
    form->Type("a");
    EXPECT_EQ(k->ItemIndex(), 3);
}

TEST_F(SEditComboTest, AReadOnlyBoxKeepsItsTextAgainstDeletingCuttingAndPasting) {
    k->SetStyle(csDropDown);
    k->SetFocus();
    form->Type("abc");
    k->SetReadOnly(true);
    QApplication::clipboard()->setText(QStringLiteral("XY"));
    form->Key(Qt::Key_Home);
    form->Key(Qt::Key_Delete);
    form->Key(Qt::Key_Delete, Qt::ControlModifier);
    form->Key(Qt::Key_Insert, Qt::ShiftModifier);
    form->Key(Qt::Key_End);
    form->Key(Qt::Key_Left, Qt::ShiftModifier);
    form->Key(Qt::Key_Delete, Qt::ShiftModifier);
    EXPECT_EQ(Utf8(k->Text()), "abc");
    // Copying still works, and so does a box that is not read-only.
    form->Key(Qt::Key_Insert, Qt::ControlModifier);
    EXPECT_EQ(Utf8(QApplication::clipboard()->text()), "c");
    k->SetReadOnly(false);
    form->Key(Qt::Key_Delete);
    EXPECT_EQ(Utf8(k->Text()), "ab");
}

TEST_F(SEditComboTest, ArrowsInTheEditPartMoveOnlyAtTheEnds) {
    k->SetStyle(csDropDown);
    k->SetFocus();
    form->Type("ab");
    form->Key(Qt::Key_Left);
    EXPECT_TRUE(k->Focused());
    form->Key(Qt::Key_Right);
    EXPECT_TRUE(k->Focused());
    form->Key(Qt::Key_Right);
    EXPECT_TRUE(b->Focused());
}

TEST_F(SEditComboTest, AReadOnlyComboArrivedAtByKeyPassesOnButStillRaisesOnEnter) {
    k->SetReadOnly(true);
    a->SetFocus();
    form->log.clear();
    form->Key(Qt::Key_Right);
    EXPECT_TRUE(b->Focused());
    EXPECT_EQ(form->log, (Trace{"Exit:A", "Enter:B", "Enter:K", "Move:A:39"}));
}

TEST_F(SEditComboTest, MaxLengthGivesTheDisplayWidthWhileUnset) {
    k->SetMaxLength(6);
    EXPECT_EQ(k->DisplayWidth(), 6);
    k->SetMaxLength(9);
    EXPECT_EQ(k->DisplayWidth(), 6);
}

TEST_F(SEditComboTest, UpdateRefreshesLinkedEditBoxes) {
    below->SetNumericType(ntInteger);
    below->SetMaxValue(10);
    below->SetText("50");
    k->Update();
    EXPECT_EQ(below->ErrorType(), erMaxValue);
    EXPECT_EQ(Utf8(below->AcceptedText()), "50");
}

TEST_F(SEditComboTest, AFlatBoxIsFramedInBlack) {
    k->SetFlat(true);
    k->SetItemIndex(0);
    const QImage image = k->Widget()->grab().toImage();
    SaveTestImage(image, QStringLiteral("SEditComboFlat"));
    // The frame runs one pixel inside the box (themed list style), the
    // button's width short of the right edge.
    const int right = k->Width() - GetSystemMetrics(SM_CXHTHUMB) - 2;
    EXPECT_EQ(image.pixelColor(1, k->Height() / 2), QColor(Qt::black));
    EXPECT_EQ(image.pixelColor(right, k->Height() / 2), QColor(Qt::black));
    EXPECT_EQ(image.pixelColor(k->Width() / 3, 1), QColor(Qt::black));
    k->SetFlat(false);
    const QImage plain = k->Widget()->grab().toImage();
    EXPECT_NE(plain.pixelColor(k->Width() / 3, 1), QColor(Qt::black));
}

TEST_F(SEditComboTest, AnOwnerDrawnBoxDrawsItsItemsTextAsTheFrameworkDoes) {
    k->SetStyle(csOwnerDrawFixed);
    k->SetItemIndex(0);
    // Counts the pixels of a colour in the selection area's middle row band.
    auto count = [this](TColor color) {
        const QImage box = k->Widget()->grab().toImage();
        int n = 0;
        for (int y = 4; y < k->Height() - 4; ++y)
            for (int x = 4; x < k->Width() / 2; ++x) n += box.pixelColor(x, y) == ToQColor(color);
        return n;
    };
    k->SetFocus();
    EXPECT_GT(count(clHighlight), 40) << "the focused box shows its item selected";
    EXPECT_GT(count(clHighlightText), 5);
    b->SetFocus();
    EXPECT_EQ(count(clHighlight), 0);
    EXPECT_GT(count(clBlack), 5) << "the item's text";
    SaveTestImage(k->Widget()->grab().toImage(), QStringLiteral("SEditComboOwnerDrawn"));
}

TEST_F(SEditComboTest, DoubleBufferedFollowsTheParentUntilSetOwnValue) {
    EXPECT_TRUE(k->ParentDoubleBuffered());
    form->SetDoubleBuffered(true);
    EXPECT_TRUE(k->DoubleBuffered());
    k->SetDoubleBuffered(false);
    EXPECT_FALSE(k->ParentDoubleBuffered());
    k->SetParentDoubleBuffered(true);
    EXPECT_TRUE(k->DoubleBuffered());
    k->SetParentDoubleBuffered(false);
    form->SetDoubleBuffered(false);
    EXPECT_TRUE(k->DoubleBuffered()) << "the parent's value stays when the link is cut";
}

}  // namespace

// ------------------------------------------------------------ keys while the list is open

class SEditComboOpenListTest : public SEditComboTest {
protected:
    void SetUp() override {
        SEditComboTest::SetUp();
        c = form->AddEdit("C", 350, 10);
        b->SetmvRight(c);
        c->SetmvLeft(b);
        k->OnKeyDown = [this](TObject*, Word& key, TShiftState shift) {
            keysDown.push_back(std::to_string(key) + (shift.Contains(ssShift) ? "+S" : "") +
                               (shift.Contains(ssCtrl) ? "+C" : ""));
        };
    }
    // Opens the list by Ctrl+Down and waits until it shows.
    void Open() {
        form->Key(Qt::Key_Down, Qt::ControlModifier);
        ASSERT_TRUE(k->DroppedDown());
        ASSERT_TRUE(QTest::qWaitFor([&] { return widget()->view()->isVisible(); }));
    }
    // A key while the list is open: the window system gives it to the
    // box's window, which keeps the keyboard focus.
    void ListKey(Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        ASSERT_NE(QApplication::activePopupWidget(), nullptr);
        form->Key(key, mods);
    }

    TSEdit* c = nullptr;
    std::vector<std::string> keysDown;
};

TEST_F(SEditComboOpenListTest, CtrlDownClosesTheOpenListAndShiftStepsTheChoice) {
    Open();
    keysDown.clear();
    ListKey(Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(k->ItemIndex(), 0);
    ListKey(Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(k->ItemIndex(), 1);
    ListKey(Qt::Key_Up, Qt::ShiftModifier);
    EXPECT_EQ(k->ItemIndex(), 0);
    EXPECT_TRUE(k->DroppedDown());
    ListKey(Qt::Key_Down, Qt::ControlModifier);
    EXPECT_FALSE(k->DroppedDown());
    EXPECT_TRUE(QTest::qWaitFor([&] { return QApplication::activePopupWidget() == nullptr; }));
    EXPECT_TRUE(k->Focused());
    // OnKeyDown saw the modifiers and the arrows that came with them.
    EXPECT_NE(std::find(keysDown.begin(), keysDown.end(), "16+S"), keysDown.end());
    EXPECT_NE(std::find(keysDown.begin(), keysDown.end(), "17+C"), keysDown.end());
    EXPECT_EQ(std::count(keysDown.begin(), keysDown.end(), "40+S"), 0) << "Shift+Down was used up by the step";
    EXPECT_TRUE(form->log.empty());
}

TEST_F(SEditComboOpenListTest, PlainArrowsMoveTheHighlightAndReachOnKeyDown) {
    k->SetItemIndex(0);
    Open();
    keysDown.clear();
    ListKey(Qt::Key_Down);
    ListKey(Qt::Key_Down);
    EXPECT_TRUE(k->DroppedDown());
    EXPECT_EQ(widget()->view()->currentIndex().row(), 2);
    EXPECT_EQ(std::count(keysDown.begin(), keysDown.end(), "40"), 2);
}

TEST_F(SEditComboOpenListTest, EnterThatPicksAnItemMovesOnce) {
    for (TComboBoxStyle style : {csDropDownList, csDropDown}) {
        SCOPED_TRACE(style);
        k->SetStyle(style);
        k->SetItemIndex(-1);
        k->Update();
        k->SetFocus();
        form->log.clear();
        Open();
        ListKey(Qt::Key_Down);
        ListKey(Qt::Key_Return);
        ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activePopupWidget() == nullptr; }));
        QTest::qWait(20);
        EXPECT_TRUE(b->Focused());
        EXPECT_EQ(form->log, (Trace{"Click:K", "Modified:K", "ModifyEx:K", "Exit:K", "Enter:B", "Move:K:39", "Change:K"}));
        EXPECT_EQ(k->ItemIndex(), 0) << "with nothing chosen, Down goes to the first item";
    }
}

TEST_F(SEditComboOpenListTest, EnterWithNoNeighbourBeyondDoesNotReachTheNextBox) {
    b->SetmvRight(nullptr);
    Open();
    ListKey(Qt::Key_Down);
    ListKey(Qt::Key_Return);
    ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activePopupWidget() == nullptr; }));
    QTest::qWait(20);
    EXPECT_TRUE(b->Focused());
    EXPECT_EQ(form->log, (Trace{"Click:K", "Modified:K", "ModifyEx:K", "Exit:K", "Enter:B", "Move:K:39", "Change:K"}));
}

TEST_F(SEditComboOpenListTest, AMoveByKeyFromTheOpenListClosesIt) {
    Open();
    ListKey(Qt::Key_Left);
    EXPECT_TRUE(a->Focused());
    EXPECT_FALSE(k->DroppedDown());
    EXPECT_TRUE(QTest::qWaitFor([&] { return QApplication::activePopupWidget() == nullptr; }));
    EXPECT_EQ(form->log, (Trace{"Exit:K", "Enter:A", "Move:K:37"}));
}

TEST_F(SEditComboOpenListTest, EscClosesTheListAtOnceAndTheNextDownMovesOn) {
    k->OnCloseUp = [this](TObject*) { form->log.push_back("CloseUp"); };
    k->SetItemIndex(1);
    k->Update();
    Open();
    ListKey(Qt::Key_Down, Qt::ShiftModifier);
    ListKey(Qt::Key_Escape);
    EXPECT_FALSE(k->DroppedDown());
    EXPECT_EQ(form->log, Trace{"CloseUp"});
    EXPECT_EQ(k->ItemIndex(), 1) << "back to the accepted choice";
    EXPECT_TRUE(QTest::qWaitFor([&] { return QApplication::activePopupWidget() == nullptr; }));
    form->Key(Qt::Key_Down);
    EXPECT_TRUE(below->Focused());
    EXPECT_EQ(form->log, (Trace{"CloseUp", "Exit:K", "Enter:D", "Move:K:40"}));
}

// ------------------------------------------------------------ picks by mouse from another box

class SEditComboPickTest : public SEditComboTest {
protected:
    // A click on the box's button as the X11 window system delivers it:
    // the release is already queued when the press opens the list, so the
    // drop-down step's message processing hands it to the box first.
    void ClickButton() {
        QWindow* window = form->Window();
        const TPoint p = form->ScreenToClient(k->ClientToScreen(TPoint(k->ClientWidth() - 6, k->ClientHeight() / 2)));
        const QPointF local(p.X, p.Y);
        QCoreApplication::postEvent(window, new QMouseEvent(QEvent::MouseButtonRelease, local, window->mapToGlobal(local),
                                                            Qt::LeftButton, Qt::NoButton, Qt::NoModifier));
        QTest::mousePress(window, Qt::LeftButton, Qt::NoModifier, QPoint(p.X, p.Y));
    }
    // Points at item row of the open list and clicks it.
    void ClickItem(int row) {
        QAbstractItemView* view = widget()->view();
        ASSERT_TRUE(QTest::qWaitFor([&] { return view->isVisible(); }));
        QWindow* popup = view->window()->windowHandle();
        const QPoint at = view->viewport()->mapTo(view->window(), view->visualRect(view->model()->index(row, 0)).center());
        QTest::mouseMove(popup, at);
        QTest::mouseClick(popup, Qt::LeftButton, Qt::NoModifier, at);
        ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activePopupWidget() == nullptr; }));
    }
};

TEST_F(SEditComboPickTest, APickFromAnotherBoxEntersChoosesAndLeavesInOrder) {
    for (TComboBoxStyle style : {csDropDownList, csDropDown}) {
        SCOPED_TRACE(style);
        k->SetStyle(style);
        k->SetItemIndex(0);
        k->Update();
        for (int row : {1, 2}) {
            b->SetFocus();
            form->log.clear();
            ClickButton();
            ClickItem(row);
            EXPECT_EQ(k->ItemIndex(), row);
            EXPECT_TRUE(b->Focused());
            EXPECT_EQ(form->log, (Trace{"Exit:B", "Enter:K", "Click:K", "Modified:K", "ModifyEx:K", "Exit:K", "Enter:B",
                                        "Move:K:39", "Change:K"}));
        }
    }
}
