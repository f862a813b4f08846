// Forms and the application: modal runs, showing and closing, the end of
// the program from a key handler, exceptions from handlers, the outer and
// client size convention, centring and the screen.
#include "Dialogs.h"
#include "FrameworkTestSupport.h"
#include "StdCtrls.h"

#include <QtCore/QTimer>
#include <QtTest/QTest>
#include <QtWidgets/QApplication>
#include <QtWidgets/QScrollArea>
#include <QtWidgets/QScrollBar>

#include <gtest/gtest.h>

namespace {

using Log = std::vector<std::string>;

class FormsTest : public ::testing::Test {
protected:
    void TearDown() override { SetMessageBoxHook(nullptr); }
};

// Motif bits: functions resize 2, move 4, minimise 8, maximise 16, close 32;
// decorations border 2, resize handles 4, title 8, menu 16, minimise 32,
// maximise 64.
TEST(FrameHints, TheFrameShowsTheBorderIconsTheFormHas) {
    struct Case {
        TBorderStyle style;
        TBorderIcons icons;
        uint32_t functions;
        uint32_t decorations;
    };
    const Case cases[] = {
        {bsSizeable, {biSystemMenu, biMinimize, biMaximize}, 2 | 4 | 8 | 16 | 32, 2 | 4 | 8 | 16 | 32 | 64},
        {bsSingle, {biSystemMenu, biMinimize}, 4 | 8 | 32, 2 | 8 | 16 | 32},
        {bsDialog, {biSystemMenu, biMinimize, biMaximize}, 4 | 32, 2 | 8 | 16},
        {bsDialog, {}, 4, 2 | 8},
        {bsSizeToolWin, {}, 2 | 4, 2 | 4 | 8},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.style);
        const TFrameHints h = FrameHintsFor(c.style, c.icons);
        EXPECT_EQ(h.Flags, 3u) << "both functions and decorations are stated";
        EXPECT_EQ(h.Functions, c.functions);
        EXPECT_EQ(h.Decorations, c.decorations);
    }
    EXPECT_EQ(FrameHintsFor(bsNone, {biSystemMenu}).Flags, 0u) << "a frameless window is left to Qt";
}

TEST_F(FormsTest, ShowModalReturnsTheModalResultAndKeepsTheFormForTheNextRun) {
    EventLog log;
    TForm form(nullptr);
    form.SetBounds(100, 100, 300, 200);
    int shows = 0;
    form.OnShow = [&](TObject*) {
        ++shows;
        // OnShow runs before the window appears.
        log.Add(form.Handle()->isVisible() ? "visible" : "hidden");
    };
    WhenModalShown([&](QWidget*) { form.SetModalResult(mrOk); });
    EXPECT_EQ(form.ShowModal(), mrOk);
    EXPECT_FALSE(form.Visible());
    EXPECT_FALSE(form.Handle()->isVisible());
    WhenModalShown([&](QWidget*) { form.SetModalResult(mrNo); });
    EXPECT_EQ(form.ShowModal(), mrNo);
    EXPECT_EQ(shows, 2);
    EXPECT_EQ(log.Entries(), (Log{"hidden", "hidden"}));
}

TEST_F(FormsTest, CloseOfAModalFormAnswersCancelAndCloseQueryMayRefuse) {
    TForm form(nullptr);
    int queries = 0;
    form.OnCloseQuery = [&](TObject*, bool& canClose) { canClose = ++queries > 1; };
    std::vector<TCloseAction> closes;
    form.OnClose = [&](TObject*, TCloseAction& action) { closes.push_back(action); };
    // The first Close is refused; the loop goes on until the second.
    WhenModalShown([&](QWidget*) {
        form.Close();
        QTimer::singleShot(20, [&] { form.Close(); });
    });
    EXPECT_EQ(form.ShowModal(), mrCancel);
    EXPECT_EQ(queries, 2);
    EXPECT_EQ(closes, std::vector<TCloseAction>{caHide});
}

TEST_F(FormsTest, TheWindowCloseBoxClosesAModalForm) {
    TForm form(nullptr);
    WhenModalShown([](QWidget* w) { w->close(); });
    EXPECT_EQ(form.ShowModal(), mrCancel);
}

TEST_F(FormsTest, ShowModalOfAVisibleFormIsRefused) {
    TForm form(nullptr);
    form.Show();
    EXPECT_THROW(form.ShowModal(), EInvalidOperation);
}

class TCreatedForm : public TForm {
public:
    explicit TCreatedForm(TComponent* owner) : TForm(owner) {
        OnCreate = [this](TObject*) { ++creates; };
        SetBounds(50, 50, 320, 200);
    }
    int creates = 0;
};

TEST_F(FormsTest, CreateFormMakesTheFirstFormTheMainFormAndRaisesOnCreateOnce) {
    TCreatedForm* first = nullptr;
    TCreatedForm* second = nullptr;
    Application->CreateForm(first);
    Application->CreateForm(second);
    EXPECT_EQ(Application->MainForm(), first);
    EXPECT_EQ(first->creates, 1);
    first->Show();
    first->Hide();
    first->Show();
    EXPECT_EQ(first->creates, 1);
    EXPECT_EQ(first->Owner(), Application);
    delete first;
    EXPECT_EQ(Application->MainForm(), nullptr);
    delete second;
}

TEST_F(FormsTest, CloseFromAKeyHandlerOfTheMainFormEndsRun) {
    TForm* form = nullptr;
    Application->CreateForm(form);
    form->SetKeyPreview(true);
    int afterClose = 0;
    form->OnKeyDown = [&](TObject*, Word& key, TShiftState) {
        if (key != VK_F1) return;
        form->Close();
        // The handler still runs to its end; the loop stops afterwards.
        ++afterClose;
        key = 0;
    };
    QTimer::singleShot(0, [&] {
        ASSERT_TRUE(QTest::qWaitForWindowActive(form->Handle()));
        KeyClick(form, Qt::Key_F1);
    });
    Application->Run();
    EXPECT_EQ(afterClose, 1);
    EXPECT_FALSE(Application->Terminated());  // cleared for the next run
    delete form;
}

TEST_F(FormsTest, CloseOfAnotherFormHidesOrFreesIt) {
    TForm* main = nullptr;
    Application->CreateForm(main);
    auto* other = new TForm(Application);
    other->Show();
    other->Close();
    EXPECT_FALSE(other->Visible());
    other->OnClose = [](TObject*, TCloseAction& action) { action = caFree; };
    other->Show();
    auto guard = other->Guard();
    other->Close();
    EXPECT_FALSE(guard.expired());  // freed later, not inside Close
    ASSERT_TRUE(WaitFor([&] { return guard.expired(); }));
    delete main;
}

TEST_F(FormsTest, AnExceptionFromAHandlerIsShownInAMessageBox) {
    std::vector<TMessageBoxRequest> boxes;
    SetMessageBoxHook([&](const TMessageBoxRequest& r) {
        boxes.push_back(r);
        return IDOK;
    });
    Application->SetTitle(QStringLiteral("デモ"));
    EventLog log;
    TLoggedForm form(log);
    form.OnClick = [](TObject*) { throw EConvertError(QStringLiteral("'x' is not a valid integer value")); };
    form.ShowActive();
    MouseClick(&form, QPoint(200, 150));
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].Text, "'x' is not a valid integer value.");
    EXPECT_EQ(boxes[0].Caption, "デモ");
    EXPECT_EQ(boxes[0].Type, mtError);
    // The window goes on working.
    form.OnClick = nullptr;
    MouseClick(&form, QPoint(200, 150));
    EXPECT_EQ(boxes.size(), 1u);
}

TEST_F(FormsTest, OnExceptionReplacesTheMessageBox) {
    QString seen;
    Application->OnException = [&](TObject*, const Exception& e) { seen = e.Message(); };
    TForm form(nullptr);
    form.OnShow = [](TObject*) { throw std::runtime_error("plain failure"); };
    try {
        form.Show();
    } catch (...) {
        Application->HandleException(&form);
    }
    Application->OnException = nullptr;
    EXPECT_EQ(seen, "plain failure");
}

TEST_F(FormsTest, OuterSizeIsClientSizePlusTheFrameOfTheBorderStyle) {
    TForm form(nullptr);
    form.SetBounds(0, 0, 760, 463);
    EXPECT_EQ(form.ClientWidth(), 752);
    EXPECT_EQ(form.ClientHeight(), 446);
    form.SetBorderStyle(bsDialog);
    // The client area keeps its size when the frame changes.
    EXPECT_EQ(form.ClientWidth(), 752);
    form.SetClientSize(248, 324);
    EXPECT_EQ(form.Width(), 254);
    EXPECT_EQ(form.Height(), 356);
    form.SetBorderStyle(bsNone);
    EXPECT_EQ(form.Width(), 248);
    form.Show();
    EXPECT_EQ(form.Handle()->width(), 248);
    EXPECT_EQ(form.Handle()->height(), 324);
    // A shown window follows later changes of the bounds.
    form.SetBounds(40, 30, 300, 200);
    EXPECT_EQ(form.Handle()->size(), QSize(300, 200));
    EXPECT_EQ(form.Handle()->pos(), QPoint(40, 30));
}

TEST_F(FormsTest, ConstraintsLimitTheOuterSize) {
    TForm form(nullptr);
    form.Constraints()->SetMinWidth(760);
    form.Constraints()->SetMinHeight(463);
    form.SetBounds(0, 0, 500, 300);
    EXPECT_EQ(form.Width(), 760);
    EXPECT_EQ(form.Height(), 463);
    form.Show();
    EXPECT_EQ(form.Handle()->minimumWidth(), 752);
    EXPECT_EQ(form.Handle()->minimumHeight(), 446);
}

TEST_F(FormsTest, ScreenCenterUsesTheSizeSetInOnShow) {
    TForm form(nullptr);
    form.SetPosition(poScreenCenter);
    form.OnShow = [&](TObject*) { form.SetBounds(0, 0, 400, 300); };
    form.Show();
    EXPECT_EQ(form.Left(), (Screen->Width() - 400) / 2);
    EXPECT_EQ(form.Top(), (Screen->Height() - 300) / 2);
    EXPECT_EQ(form.Handle()->pos(), QPoint(form.Left(), form.Top()));
}

TEST_F(FormsTest, ScreenKnowsItsFormsAndKeepsAnOverrideCursor) {
    const Integer before = Screen->FormCount();
    {
        TForm form(nullptr);
        EXPECT_EQ(Screen->FormCount(), before + 1);
        EXPECT_EQ(Screen->Forms(before), &form);
    }
    EXPECT_EQ(Screen->FormCount(), before);
    EXPECT_EQ(Screen->PixelsPerInch(), 96);
    EXPECT_GT(Screen->Width(), 0);
    Screen->SetCursor(crHourGlass);
    ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
    Screen->SetCursor(crHandPoint);
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::PointingHandCursor);
    Screen->SetCursor(crDefault);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(Screen->Cursor(), crDefault);
}

TEST_F(FormsTest, CaptionIsTheWindowTitleAndExeNameTheProgram) {
    TForm form(nullptr);
    form.SetCaption(QStringLiteral("Velmora・カスタムコンポーネント・デモ"));
    EXPECT_EQ(form.Handle()->windowTitle(), "Velmora・カスタムコンポーネント・デモ");
    EXPECT_TRUE(Application->ExeName().endsWith(QStringLiteral("framework_tests")));
}

// Qt's display name is added by the window system to every window's
// caption: the calculator would read "電卓 — <title>", a question box
// "確認 — <title>". The application's title must not become it.
TEST_F(FormsTest, TheApplicationTitleLeavesOtherWindowsCaptionsAlone) {
    const QString displayName = QGuiApplication::applicationDisplayName();
    const QString title = Application->Title();
    Application->SetTitle(QStringLiteral("カスタムコンポーネント・デモ"));
    EXPECT_EQ(Application->Title(), QStringLiteral("カスタムコンポーネント・デモ"));
    EXPECT_EQ(QGuiApplication::applicationDisplayName(), displayName);
    Application->SetTitle(title);
}

TEST_F(FormsTest, StayOnTopAndDialogBorderSetTheWindowFlags) {
    TForm form(nullptr);
    form.SetFormStyle(fsStayOnTop);
    form.SetBorderStyle(bsDialog);
    form.SetBorderIcons({});
    form.Show();
    const Qt::WindowFlags flags = form.Handle()->windowFlags();
    EXPECT_TRUE(flags & Qt::WindowStaysOnTopHint);
    EXPECT_FALSE(flags & Qt::WindowCloseButtonHint);
    EXPECT_EQ(flags & Qt::WindowType_Mask, Qt::Dialog);
}

TEST_F(FormsTest, AFormPlacedOnAControlIsAChildWindowOfIt) {
    TForm host(nullptr);
    host.SetBorderStyle(bsDialog);
    host.SetClientSize(300, 200);
    TForm inner(nullptr);
    inner.SetBorderStyle(bsNone);
    inner.SetParent(&host);
    inner.SetBounds(0, 0, 300, 200);
    auto* button = new TButton(&inner);
    button->SetParent(&inner);
    button->SetBounds(10, 10, 80, 25);
    int clicks = 0;
    button->OnClick = [&](TObject*) { ++clicks; };
    host.Show();
    inner.Show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(host.Handle()));
    EXPECT_FALSE(inner.Handle()->isWindow());
    EXPECT_EQ(inner.Handle()->parentWidget(), host.Handle());
    EXPECT_EQ(GetParentForm(button), &host);
    EXPECT_TRUE(inner.Handle()->isVisible());
    QTest::mouseClick(host.Handle()->windowHandle(), Qt::LeftButton, Qt::NoModifier, QPoint(50, 22));
    EXPECT_EQ(clicks, 1);
}

TEST_F(FormsTest, WaitUntilRunsTheLoopTillTheConditionHolds) {
    bool done = false;
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        if (++ticks == 3) done = true;
    });
    timer.start(5);
    Application->WaitUntil([&] { return done; });
    EXPECT_TRUE(done);
    EXPECT_GE(ticks, 3);
    // A condition that already holds returns at once.
    Application->WaitUntil([] { return true; });
}

TEST_F(FormsTest, AScrollBoxShowsScrollBarsOnlyWhenItsChildrenDoNotFit) {
    TForm form(nullptr);
    form.SetClientSize(300, 200);
    auto box = [&](Integer childHeight) {
        auto* b = new TScrollBox(&form);
        b->SetParent(&form);
        b->SetBounds(10, 10, 200, 100);
        auto* child = new TButton(&form);
        child->SetParent(b);
        child->SetBounds(0, 0, 150, childHeight);
        return static_cast<QScrollArea*>(b->Handle());
    };
    QScrollArea* fits = box(60);
    QScrollArea* tall = box(300);
    form.Show();
    QApplication::processEvents();
    EXPECT_EQ(fits->horizontalScrollBar()->maximum(), 0);
    EXPECT_EQ(fits->verticalScrollBar()->maximum(), 0);
    EXPECT_EQ(tall->verticalScrollBar()->maximum(), 300 - tall->viewport()->height());
    EXPECT_EQ(tall->horizontalScrollBar()->maximum(), 0);
}

}  // namespace
