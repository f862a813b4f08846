// A press asks the control under it whether its window activates and gets
// the press (OnMouseActivate), passing the question up while nobody answers;
// the mouse entering and leaving a control (OnMouseEnter, OnMouseLeave).
#include "FrameworkTestSupport.h"

#include "ExtCtrls.h"

#include <QtTest/QTest>
#include <QtWidgets/QApplication>

namespace {

using Log = std::vector<std::string>;

class MouseActivateTest : public ::testing::Test {
protected:
    MouseActivateTest() : form(WhiteForm(200, 100)), other(WhiteForm(100, 100)) {
        other->SetLeft(300);
        panel = Place(new TPanel(form.get()), form.get(), 10, 10, 120, 60);
        spot = Place(new TPaintBox(form.get()), panel, 20, 10, 40, 30);
        spot->OnMouseDown = [this](TObject*, TMouseButton, TShiftState, Integer, Integer) { log.Add("spot:down"); };
    }
    // The form shows, then another window takes the activation.
    void ShowInactive() {
        ShowActive(form.get());
        ShowActive(other.get());
        ASSERT_FALSE(form->Handle()->isActiveWindow());
    }
    static TMouseActivateEvent Answer(Log& log, const std::string& name, TMouseActivate answer) {
        return [&log, name, answer](TObject*, TMouseButton button, TShiftState shift, Integer x, Integer y,
                                    Integer hitTest, TMouseActivate& result) {
            log.push_back(name + " " + std::to_string(int(button)) + (shift.Contains(ssRight) ? " right " : " ") +
                          std::to_string(x) + "," + std::to_string(y) + " " + std::to_string(hitTest));
            result = answer;
        };
    }

    std::unique_ptr<TForm> form;
    std::unique_ptr<TForm> other;
    TPanel* panel = nullptr;
    TPaintBox* spot = nullptr;
    EventLog log;
    Log asked;
};

TEST_F(MouseActivateTest, APressInAnInactiveWindowAsksTheControlAndActivatesByDefault) {
    spot->OnMouseActivate = Answer(asked, "spot", maDefault);
    ShowInactive();
    MousePress(form.get(), QPoint(35, 25));
    EXPECT_EQ(asked, Log{"spot 0 5,5 1"});
    EXPECT_TRUE(QTest::qWaitForWindowActive(form->Handle()));
    EXPECT_EQ(log.Entries(), Log{"spot:down"});
    MouseRelease(form.get(), QPoint(35, 25));
}

TEST_F(MouseActivateTest, AnUnansweredQuestionGoesToTheParentInItsCoordinates) {
    spot->OnMouseActivate = Answer(asked, "spot", maDefault);
    panel->OnMouseActivate = Answer(asked, "panel", maNoActivate);
    ShowInactive();
    MousePress(form.get(), QPoint(35, 25), Qt::RightButton);
    QApplication::processEvents();
    EXPECT_EQ(asked, (Log{"spot 1 right 5,5 1", "panel 1 right 25,15 1"}));
    EXPECT_FALSE(form->Handle()->isActiveWindow());
    EXPECT_EQ(log.Entries(), Log{"spot:down"});
    MouseRelease(form.get(), QPoint(35, 25), Qt::RightButton);
}

TEST_F(MouseActivateTest, AnAnswerEndsTheQuestion) {
    spot->OnMouseActivate = Answer(asked, "spot", maActivate);
    panel->OnMouseActivate = Answer(asked, "panel", maNoActivate);
    ShowInactive();
    MouseClick(form.get(), QPoint(35, 25));
    EXPECT_EQ(asked, Log{"spot 0 5,5 1"});
    EXPECT_TRUE(QTest::qWaitForWindowActive(form->Handle()));
}

TEST_F(MouseActivateTest, AnAnswerThatEatsThePressKeepsItFromTheControl) {
    panel->OnMouseActivate = Answer(asked, "panel", maNoActivateAndEat);
    ShowInactive();
    MouseClick(form.get(), QPoint(35, 25));
    QApplication::processEvents();
    EXPECT_FALSE(form->Handle()->isActiveWindow());
    EXPECT_EQ(log.Entries(), Log{});
    panel->OnMouseActivate = Answer(asked, "panel", maActivateAndEat);
    MouseClick(form.get(), QPoint(35, 25));
    EXPECT_TRUE(QTest::qWaitForWindowActive(form->Handle()));
    EXPECT_EQ(log.Entries(), Log{});
}

TEST_F(MouseActivateTest, TheMouseEnteringAndLeavingAControlRaisesOnMouseEnterAndOnMouseLeave) {
    spot->OnMouseEnter = [this](TObject*) { log.Add("spot:enter"); };
    spot->OnMouseLeave = [this](TObject*) { log.Add("spot:leave"); };
    ShowActive(form.get());
    QWindow* window = WindowOf(form.get());
    QTest::mouseMove(window, QPoint(150, 80));
    QTest::mouseMove(window, QPoint(35, 25));
    QTest::mouseMove(window, QPoint(40, 30));
    EXPECT_EQ(log.Entries(), Log{"spot:enter"});
    QTest::mouseMove(window, QPoint(150, 80));
    EXPECT_EQ(log.Entries(), (Log{"spot:enter", "spot:leave"}));
}

}  // namespace
