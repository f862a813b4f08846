// Dragging inside the application by real presses, moves and releases:
// the order of the drag events, refusal, Esc, two forms, a source or a
// target freed on the way, the threshold and the cursor.
#include "FrameworkTestSupport.h"

#include "StdCtrls.h"
#include "StdCtrlsEdit.h"

#include <QtGui/QCursor>
#include <QtGui/QGuiApplication>
#include <QtTest/QTest>

namespace {

using Log = std::vector<std::string>;

std::string StateName(TDragState state) {
    switch (state) {
    case dsDragEnter: return "enter";
    case dsDragLeave: return "leave";
    default: return "move";
    }
}

std::string NameOf(const TObject* o) {
    const auto* c = dynamic_cast<const TComponent*>(o);
    return c ? Utf8(c->Name()) : o ? "object" : "nil";
}

Qt::CursorShape CursorShown() {
    const QCursor* c = QGuiApplication::overrideCursor();
    return c ? c->shape() : Qt::ArrowCursor;
}

void MoveTo(TCustomForm* form, QPoint pos) {
    QTest::mouseMove(WindowOf(form), pos);
}

class DragTest : public ::testing::Test {
protected:
    DragTest() : form(WhiteForm(300, 120)) {
        label = Place(new TLabel(form.get()), form.get(), 10, 10, 60, 20);
        label->SetName(QStringLiteral("label"));
        label->SetDragMode(dmAutomatic);
        edit = Place(new TEdit(form.get()), form.get(), 150, 10, 100, 21);
        edit->SetName(QStringLiteral("edit"));
        Trace(label);
        Trace(edit);
    }
    void TearDown() override {
        // A test that leaves the button down lets it go.
        if (form->Visible()) QTest::mouseRelease(WindowOf(form.get()), Qt::LeftButton);
        form.reset();
    }

    void Trace(TControl* c) {
        c->OnStartDrag = [this](TObject* s, TDragObject*&) { log.Add(NameOf(s) + ":start"); };
        c->OnDragOver = [this](TObject* s, TObject* source, Integer x, Integer y, TDragState st, bool& accept) {
            log.Add(NameOf(s) + ":" + StateName(st) + " " + NameOf(source) + " " + std::to_string(x) + "," +
                    std::to_string(y));
            accept = accepting;
        };
        c->OnDragDrop = [this](TObject* s, TObject* source, Integer x, Integer y) {
            log.Add(NameOf(s) + ":drop " + NameOf(source) + " " + std::to_string(x) + "," + std::to_string(y));
        };
        c->OnEndDrag = [this](TObject* s, TObject* target, Integer x, Integer y) {
            log.Add(NameOf(s) + ":end " + NameOf(target) + " " + std::to_string(x) + "," + std::to_string(y));
        };
    }

    std::unique_ptr<TForm> form;
    TLabel* label = nullptr;
    TEdit* edit = nullptr;
    EventLog log;
    bool accepting = true;
};

TEST_F(DragTest, ALabelDraggedOntoAnEditStartsEntersMovesLeavesDropsAndEnds) {
    ShowActive(form.get());
    MousePress(form.get(), QPoint(20, 20));
    EXPECT_TRUE(label->Dragging());
    MoveTo(form.get(), QPoint(160, 20));
    MoveTo(form.get(), QPoint(170, 25));
    MouseRelease(form.get(), QPoint(170, 25));
    EXPECT_EQ(log.Entries(), (Log{"label:start", "edit:enter label 8,8", "edit:move label 18,13", "edit:leave label 18,13",
                                  "edit:drop label 18,13", "label:end edit 18,13"}));
    EXPECT_FALSE(label->Dragging());
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST_F(DragTest, TheCursorShowsDragCursorOverATargetThatAcceptsAndNoDropElsewhere) {
    label->SetDragCursor(crHandPoint);
    ShowActive(form.get());
    MousePress(form.get(), QPoint(20, 20));
    MoveTo(form.get(), QPoint(160, 20));
    EXPECT_EQ(CursorShown(), Qt::PointingHandCursor);
    MoveTo(form.get(), QPoint(120, 80));  // the form: no OnDragOver
    EXPECT_EQ(CursorShown(), Qt::ForbiddenCursor);
    accepting = false;
    MoveTo(form.get(), QPoint(160, 20));
    EXPECT_EQ(CursorShown(), Qt::ForbiddenCursor);
    // The screen's cursor shows over the drag's while it is set.
    Screen->SetCursor(crHourGlass);
    EXPECT_EQ(CursorShown(), Qt::WaitCursor);
    Screen->SetCursor(crDefault);
    EXPECT_EQ(CursorShown(), Qt::ForbiddenCursor);
    MouseRelease(form.get(), QPoint(160, 20));
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST_F(DragTest, ARefusingTargetGetsNoDropAndTheDragEndsWithoutTarget) {
    accepting = false;
    ShowActive(form.get());
    MousePress(form.get(), QPoint(20, 20));
    MoveTo(form.get(), QPoint(160, 20));
    MouseRelease(form.get(), QPoint(160, 20));
    EXPECT_EQ(log.Entries(),
              (Log{"label:start", "edit:enter label 8,8", "edit:leave label 8,8", "label:end nil 150,10"}));
}

TEST_F(DragTest, EscCancelsTheDragAndNeitherItsPressNorItsReleaseReachesAControl) {
    form->SetKeyPreview(true);
    form->OnKeyDown = [this](TObject*, Word& key, TShiftState) { log.Add("form:keydown " + KeyName(key)); };
    form->OnKeyUp = [this](TObject*, Word& key, TShiftState) { log.Add("form:keyup " + KeyName(key)); };
    edit->OnKeyDown = [this](TObject*, Word& key, TShiftState) { log.Add("edit:keydown " + KeyName(key)); };
    ShowActive(form.get());
    edit->SetFocus();
    MousePress(form.get(), QPoint(20, 20));
    MoveTo(form.get(), QPoint(160, 20));
    KeyClick(form.get(), Qt::Key_Escape);
    EXPECT_FALSE(label->Dragging());
    MoveTo(form.get(), QPoint(170, 20));
    MouseRelease(form.get(), QPoint(170, 20));
    EXPECT_EQ(log.Entries(),
              (Log{"label:start", "edit:enter label 8,8", "edit:leave label 8,8", "label:end nil 150,10"}));
    // The keys belong to the controls again.
    KeyClick(form.get(), Qt::Key_Escape);
    EXPECT_EQ(log.With("form:keyup").size(), 1u);
    EXPECT_EQ(log.With("edit:keydown").size(), 1u);
}

TEST_F(DragTest, ADragStartedInOneFormDropsOnAnotherFormsControl) {
    auto other = WhiteForm(200, 100);
    other->SetLeft(400);
    auto* target = Place(new TEdit(other.get()), other.get(), 20, 30, 100, 21);
    target->SetName(QStringLiteral("target"));
    Trace(target);
    ShowActive(other.get());
    ShowActive(form.get());
    MousePress(form.get(), QPoint(20, 20));
    MoveTo(other.get(), QPoint(30, 40));
    MouseRelease(other.get(), QPoint(30, 40));
    EXPECT_EQ(log.Entries(), (Log{"label:start", "target:enter label 8,8", "target:leave label 8,8",
                                  "target:drop label 8,8", "label:end target 8,8"}));
}

TEST_F(DragTest, ASourceFreedDuringTheDragStopsItAndGivesTheMouseBack) {
    ShowActive(form.get());
    MousePress(form.get(), QPoint(20, 20));
    MoveTo(form.get(), QPoint(160, 20));
    delete label;
    log.Clear();
    MoveTo(form.get(), QPoint(170, 20));
    MouseRelease(form.get(), QPoint(170, 20));
    EXPECT_EQ(log.Entries(), Log{});
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    edit->OnClick = [this](TObject*) { log.Add("edit:click"); };
    MouseClick(form.get(), QPoint(160, 20));
    EXPECT_EQ(log.Entries(), Log{"edit:click"});
}

TEST_F(DragTest, ATargetFreedDuringTheDragLeavesItWithoutTarget) {
    edit->OnDragOver = [this](TObject*, TObject*, Integer, Integer, TDragState, bool&) { delete edit; };
    ShowActive(form.get());
    MousePress(form.get(), QPoint(20, 20));
    MoveTo(form.get(), QPoint(160, 20));
    MoveTo(form.get(), QPoint(170, 20));
    MouseRelease(form.get(), QPoint(170, 20));
    EXPECT_EQ(log.Entries(), (Log{"label:start", "label:end nil 160,10"}));
}

TEST_F(DragTest, AnAutomaticDragAsksTargetsOnlyPastTheThresholdAndTakesThePress) {
    label->OnMouseDown = [this](TObject*, TMouseButton, TShiftState, Integer, Integer) { log.Add("label:down"); };
    label->OnClick = [this](TObject*) { log.Add("label:click"); };
    ShowActive(form.get());
    MousePress(form.get(), QPoint(20, 20));
    MoveTo(form.get(), QPoint(20 + TControl::DragThreshold, 20));
    EXPECT_EQ(log.Entries(), Log{"label:start"});
    MoveTo(form.get(), QPoint(21 + TControl::DragThreshold, 20));
    EXPECT_EQ(log.Entries(), (Log{"label:start", "label:enter label 16,10"}));
    MouseRelease(form.get(), QPoint(21 + TControl::DragThreshold, 20));
    log.Clear();
    // Released before the threshold: the drag ends where it began, no click.
    MouseClick(form.get(), QPoint(20, 20));
    EXPECT_EQ(log.Entries(), (Log{"label:start", "label:end nil 10,10"}));
}

TEST_F(DragTest, AnErrorInAHandlerReachesTheApplicationAndTheDragGoesOn) {
    std::vector<QString> errors;
    Application->OnException = [&](TObject*, const Exception& e) { errors.push_back(e.Message()); };
    edit->OnDragOver = [](TObject*, TObject*, Integer, Integer, TDragState, bool&) {
        throw Exception(QStringLiteral("no entry"));
    };
    ShowActive(form.get());
    MousePress(form.get(), QPoint(20, 20));
    MoveTo(form.get(), QPoint(160, 20));
    MoveTo(form.get(), QPoint(120, 80));
    MouseRelease(form.get(), QPoint(120, 80));
    Application->OnException = nullptr;
    EXPECT_EQ(errors, (std::vector<QString>{QStringLiteral("no entry"), QStringLiteral("no entry")}));
    EXPECT_EQ(log.Entries(), (Log{"label:start", "label:end nil 110,70"}));
}

TEST_F(DragTest, BeginDragStartsAManualDragAndEndDragDropsIt) {
    label->SetDragMode(dmManual);
    label->OnMouseDown = [this](TObject*, TMouseButton, TShiftState, Integer, Integer) { label->BeginDrag(true); };
    ShowActive(form.get());
    MousePress(form.get(), QPoint(20, 20));
    EXPECT_EQ(log.Entries(), (Log{"label:start", "label:enter label 10,10"}));
    MoveTo(form.get(), QPoint(160, 20));
    label->EndDrag(true);
    EXPECT_FALSE(label->Dragging());
    EXPECT_EQ(log.Entries(),
              (Log{"label:start", "label:enter label 10,10", "label:leave label 150,10", "edit:enter label 8,8",
                   "edit:leave label 8,8", "edit:drop label 8,8", "label:end edit 8,8"}));
}

// A drag object of the program's own: the events get it as Source.
class TCountedDragObject : public TDragObject {
public:
    explicit TCountedDragObject(int& alive) : alive_(alive) { ++alive_; }
    ~TCountedDragObject() override { --alive_; }
    TCursor GetDragCursor(bool Accepted, Integer, Integer) override { return Accepted ? crCross : crNo; }

private:
    int& alive_;
};

TEST_F(DragTest, ADragObjectFromOnStartDragTravelsAsSourceAndIsFreedAtTheEnd) {
    int alive = 0;
    TDragObject* seen = nullptr;
    label->OnStartDrag = [&](TObject*, TDragObject*& object) { object = new TCountedDragObject(alive); };
    edit->OnDragOver = [&](TObject* sender, TObject* source, Integer, Integer, TDragState, bool&) {
        seen = dynamic_cast<TDragObject*>(source);
        ASSERT_NE(seen, nullptr);
        EXPECT_EQ(seen->DragTarget(), sender);
        EXPECT_EQ(seen->DragPos(), edit->ClientToScreen(TPoint(8, 8)));
    };
    ShowActive(form.get());
    MousePress(form.get(), QPoint(20, 20));
    MoveTo(form.get(), QPoint(160, 20));
    EXPECT_EQ(alive, 1);
    EXPECT_NE(seen, nullptr);
    EXPECT_EQ(CursorShown(), Qt::CrossCursor);
    MouseRelease(form.get(), QPoint(160, 20));
    EXPECT_EQ(alive, 0);
}

TEST_F(DragTest, TheDefaultDragObjectCarriesTheControlAndItsDragCursor) {
    label->SetDragCursor(crUpArrow);
    TDragControlObject object(label);
    EXPECT_EQ(object.Control(), label);
    EXPECT_EQ(object.GetDragCursor(true, 0, 0), crUpArrow);
    EXPECT_EQ(object.GetDragCursor(false, 0, 0), crNoDrop);
}

}  // namespace
