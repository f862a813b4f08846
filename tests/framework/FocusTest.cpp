// The focus manager on real widgets of an active window: exit before
// entry, an exit step that takes the focus back, containers, modal windows
// and message boxes, activation, hiding, and a control that is one focus
// unit with its parent.
#include "Dialogs.h"
#include "FrameworkTestSupport.h"

#include <QtCore/QTimer>
#include <QtTest/QTest>
#include <QtWidgets/QApplication>
#include <QtWidgets/QMessageBox>

#include <gtest/gtest.h>

namespace {

using Log = std::vector<std::string>;

// A container that logs its own entry and exit.
class TLoggedBox : public TWinControl {
public:
    TLoggedBox(TComponent* owner, EventLog& log, const QString& name) : TWinControl(owner), log_(log) {
        SetName(name);
    }

protected:
    void DoEnter() override {
        log_.Add("Enter:" + Utf8(Name()));
        TWinControl::DoEnter();
    }
    void DoExit() override {
        log_.Add("Exit:" + Utf8(Name()));
        TWinControl::DoExit();
    }

private:
    EventLog& log_;
};

class FocusTest : public LoggedFormTest {
protected:
    void SetUp() override {
        e1 = Place(new TLineProbe(form.get(), log, "e1"), form.get(), 10, 10, 120, 24);
        e2 = Place(new TLineProbe(form.get(), log, "e2"), form.get(), 10, 50, 120, 24);
        e3 = Place(new TLineProbe(form.get(), log, "e3"), form.get(), 10, 90, 120, 24);
        ShowWithFocus(e1);
    }
    void TearDown() override {
        SetMessageBoxHook(nullptr);
        LoggedFormTest::TearDown();
    }

    TLineProbe* e1 = nullptr;
    TLineProbe* e2 = nullptr;
    TLineProbe* e3 = nullptr;
};

TEST(FocusFirstActivation, TheActiveControlIsEnteredWhenTheFormFirstActivates) {
    EventLog log;
    TLoggedForm form(log);
    auto* a = Place(new TLineProbe(&form, log, "a"), &form, 10, 10, 100, 24);
    auto* b = Place(new TLineProbe(&form, log, "b"), &form, 10, 40, 100, 24);
    form.SetActiveControl(b);
    form.ShowActive();
    EXPECT_TRUE(b->Focused());
    EXPECT_FALSE(a->Focused());
    EXPECT_EQ(log.Entries(), (Log{"Enter:b"}));
}

TEST(FocusFirstActivation, WithoutActiveControlTheFirstTabStopGetsTheFocus) {
    EventLog log;
    TLoggedForm form(log);
    auto* a = Place(new TLineProbe(&form, log, "a"), &form, 10, 10, 100, 24);
    auto* b = Place(new TLineProbe(&form, log, "b"), &form, 10, 40, 100, 24);
    b->SetTabStop(true);
    (void)a;
    form.ShowActive();
    EXPECT_EQ(form.ActiveControl(), b);
    EXPECT_EQ(log.Entries(), (Log{"Enter:b"}));
}

TEST_F(FocusTest, SetFocusIsSynchronousAndExitComesBeforeEnter) {
    bool newHadFocusDuringExit = false;
    e1->ExitAction = [&] { newHadFocusDuringExit = e2->Focused(); };
    e2->SetFocus();
    EXPECT_EQ(log.Entries(), (Log{"Exit:e1", "Enter:e2"}));
    EXPECT_TRUE(e2->Focused());
    EXPECT_EQ(form->ActiveControl(), e2);
    EXPECT_EQ(Screen->ActiveControl(), e2);
    // As on the platform, the new control holds the focus while the old one exits.
    EXPECT_TRUE(newHadFocusDuringExit);
}

TEST_F(FocusTest, AnExitThatTakesTheFocusBackLeavesTheTargetWithoutEntry) {
    e1->ExitAction = [this] { e1->SetFocus(); };
    e2->SetFocus();
    EXPECT_EQ(log.Entries(), (Log{"Exit:e1"}));
    EXPECT_TRUE(e1->Focused());
    EXPECT_FALSE(e2->Focused());
    EXPECT_EQ(form->ActiveControl(), e1);
    // The next move is an ordinary one again.
    e1->ExitAction = nullptr;
    log.Clear();
    e3->SetFocus();
    EXPECT_EQ(log.Entries(), (Log{"Exit:e1", "Enter:e3"}));
}

TEST_F(FocusTest, AnExitThatMovesTheFocusElsewhereEntersOnlyTheNewTarget) {
    e1->ExitAction = [this] { e3->SetFocus(); };
    e2->SetFocus();
    EXPECT_EQ(log.Entries(), (Log{"Exit:e1", "Enter:e3"}));
    EXPECT_TRUE(e3->Focused());
    EXPECT_EQ(form->ActiveControl(), e3);
}

TEST_F(FocusTest, AnEntryThatPassesTheFocusOnMakesANestedMove) {
    e2->EnterAction = [this] { e3->SetFocus(); };
    e2->SetFocus();
    EXPECT_EQ(log.Entries(), (Log{"Exit:e1", "Enter:e2", "Exit:e2", "Enter:e3"}));
    EXPECT_TRUE(e3->Focused());
}

TEST_F(FocusTest, MouseClickMovesTheFocusWithExitAndEntry) {
    QTest::mouseClick(e2->Edit(), Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    EXPECT_EQ(log.Entries(), (Log{"Exit:e1", "Enter:e2"}));
    EXPECT_TRUE(e2->Focused());
}

TEST_F(FocusTest, ControlsWithoutTabStopTakeTheFocusByClickAndByProgram) {
    ASSERT_FALSE(e2->TabStop());
    QTest::mouseClick(e2->Edit(), Qt::LeftButton);
    EXPECT_TRUE(e2->Focused());
    e3->SetFocus();
    EXPECT_TRUE(e3->Focused());
}

TEST_F(FocusTest, ContainersAreExitedAndEnteredOnTheWay) {
    auto* p1 = Place(new TLoggedBox(form.get(), log, "p1"), form.get(), 200, 10, 150, 100);
    auto* p2 = Place(new TLoggedBox(form.get(), log, "p2"), form.get(), 200, 150, 150, 100);
    auto* a = Place(new TLineProbe(form.get(), log, "a"), p1, 5, 5, 100, 24);
    auto* b = Place(new TLineProbe(form.get(), log, "b"), p2, 5, 5, 100, 24);
    a->SetFocus();
    log.Clear();
    b->SetFocus();
    EXPECT_EQ(log.Entries(), (Log{"Exit:a", "Exit:p1", "Enter:p2", "Enter:b"}));
    log.Clear();
    auto* c = Place(new TLineProbe(form.get(), log, "c"), p2, 5, 40, 100, 24);
    c->SetFocus();
    EXPECT_EQ(log.Entries(), (Log{"Exit:b", "Enter:c"}));
}

TEST_F(FocusTest, AModalWindowRaisesNoExitOrEntry) {
    TForm modal(nullptr);
    modal.SetBounds(150, 150, 200, 120);
    EventLog modalLog;
    auto* m1 = Place(new TLineProbe(&modal, modalLog, "m1"), &modal, 10, 10, 100, 24);
    modal.SetActiveControl(m1);
    WhenModalShown([&](QWidget*) { modal.SetModalResult(mrOk); });
    EXPECT_EQ(modal.ShowModal(), mrOk);
    ASSERT_TRUE(WaitFor([&] { return QApplication::activeWindow() == form->Handle(); }));
    EXPECT_EQ(log.Entries(), Log{});
    EXPECT_EQ(modalLog.Entries(), (Log{"Enter:m1"}));
    EXPECT_TRUE(e1->Focused());
    EXPECT_EQ(form->ActiveControl(), e1);
}

TEST_F(FocusTest, AMessageBoxRaisesNoExitOrEntry) {
    WhenModalShown([](QWidget* box) {
        ASSERT_NE(qobject_cast<QMessageBox*>(box), nullptr);
        QTest::keyClick(box, Qt::Key_Escape);
    });
    const Integer answer = MessageBox(form.get(), QStringLiteral("よろしいですか？"), QStringLiteral("確認"), MB_YESNO);
    EXPECT_EQ(answer, IDNO);
    ASSERT_TRUE(WaitFor([&] { return QApplication::activeWindow() == form->Handle(); }));
    EXPECT_EQ(log.Entries(), Log{});
    EXPECT_TRUE(e1->Focused());
}

TEST_F(FocusTest, ActivatingAnotherWindowAndComingBackRaisesNothing) {
    EventLog otherLog;
    TLoggedForm other(otherLog);
    other.SetBounds(500, 100, 200, 100);
    other.ShowActive();
    EXPECT_FALSE(form->Active());
    EXPECT_EQ(form->ActiveControl(), e1);  // kept while inactive
    form->Handle()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form->Handle()));
    EXPECT_EQ(log.Entries(), Log{});
    EXPECT_TRUE(e1->Focused());
}

TEST_F(FocusTest, HidingOrDisablingTheFocusedControlExitsItAndFocusesTheForm) {
    e1->Hide();
    EXPECT_EQ(log.Entries(), (Log{"Exit:e1"}));
    EXPECT_EQ(form->ActiveControl(), nullptr);
    EXPECT_EQ(form->FocusedControl(), form.get());
    e1->Show();
    e2->SetFocus();
    log.Clear();
    e2->SetEnabled(false);
    EXPECT_EQ(log.Entries(), (Log{"Exit:e2"}));
    EXPECT_FALSE(e2->CanFocus());
    EXPECT_THROW(e2->SetFocus(), EInvalidOperation);
}

TEST_F(FocusTest, FreeingTheFocusedControlRaisesNoExit) {
    delete e1;
    e1 = nullptr;
    EXPECT_EQ(log.Entries(), Log{});
    EXPECT_EQ(form->ActiveControl(), nullptr);
    e2->SetFocus();
    EXPECT_EQ(log.Entries(), (Log{"Enter:e2"}));
}

TEST_F(FocusTest, APartOfAFocusUnitIsReportedAsItsParent) {
    auto* grid = Place(new TLoggedBox(form.get(), log, "grid"), form.get(), 200, 10, 150, 100);
    auto* editor = Place(new TLineProbe(form.get(), log, "editor"), grid, 5, 5, 100, 24);
    editor->SetFocusUnitPart(true);
    grid->SetFocus();
    EXPECT_EQ(log.Entries(), (Log{"Exit:e1", "Enter:grid"}));
    log.Clear();
    editor->SetFocus();
    EXPECT_EQ(form->ActiveControl(), grid);
    EXPECT_EQ(form->FocusedControl(), editor);
    // Between the grid and its editor the grid is neither left nor entered.
    EXPECT_EQ(log.With("Enter:grid"), Log{});
    grid->SetFocus();
    EXPECT_EQ(log.With("Exit:grid"), Log{});
    EXPECT_EQ(log.Entries(), (Log{"Enter:editor", "Exit:editor"}));
}

// A message box over the form while the cell editor goes away: when the
// form is active again, the grid has the focus, not the form.
TEST_F(FocusTest, APartHiddenWhileTheFormIsInactiveLeavesTheFocusToItsUnit) {
    auto* grid = Place(new TLoggedBox(form.get(), log, "grid"), form.get(), 200, 10, 150, 100);
    auto* editor = Place(new TLineProbe(form.get(), log, "editor"), grid, 5, 5, 100, 24);
    editor->SetFocusUnitPart(true);
    editor->SetFocus();
    log.Clear();
    WhenModalShown([&](QWidget* box) {
        editor->Hide();
        EXPECT_EQ(form->ActiveControl(), grid);
        QTest::keyClick(box, Qt::Key_Escape);
    });
    MessageBox(form.get(), QStringLiteral("よろしいですか？"), QStringLiteral("確認"), MB_YESNO);
    ASSERT_TRUE(WaitFor([&] { return QApplication::activeWindow() == form->Handle(); }));
    EXPECT_TRUE(grid->Focused());
    EXPECT_EQ(form->ActiveControl(), grid);
    EXPECT_EQ(log.Entries(), (Log{"Exit:editor"}));
}

TEST_F(FocusTest, SetFocusOnAHiddenFormIsRefused) {
    EventLog otherLog;
    TLoggedForm hidden(otherLog);
    auto* h = Place(new TLineProbe(&hidden, otherLog, "h"), &hidden, 10, 10, 100, 24);
    EXPECT_THROW(h->SetFocus(), EInvalidOperation);
    // Naming the active control is fine; it is entered when the form shows.
    hidden.SetActiveControl(h);
    EXPECT_EQ(otherLog.Entries(), Log{});
}

}  // namespace
