// Labels, buttons, check and radio buttons, group boxes, memos and list
// boxes on real widgets; a sample form with Japanese captions rendered.
#include "ExtCtrls.h"
#include "FrameworkTestSupport.h"
#include "StdCtrls.h"
#include "TestSupport.h"

#include <QtGui/QFontInfo>
#include <QtGui/QWheelEvent>
#include <QtTest/QTest>
#include <QtWidgets/QAbstractButton>
#include <QtWidgets/QApplication>
#include <QtWidgets/QCheckBox>
#include <QtWidgets/QListWidget>
#include <QtWidgets/QPlainTextEdit>
#include <QtWidgets/QScrollBar>

#include <gtest/gtest.h>

namespace {

using Log = std::vector<std::string>;

QColor Q(TColor c) {
    return ToQColor(ColorToRGB(c));
}

// The bounding box of the pixels that differ from the background.
QRect Ink(const QImage& image, const QRect& area, const QColor& background) {
    QRect box;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if (image.pixelColor(x, y) != background) box |= QRect(x, y, 1, 1);
        }
    }
    return box;
}

class StdCtrlsTest : public LoggedFormTest {
protected:
    void SetUp() override {
        form->SetBorderStyle(bsNone);
        form->SetColor(clWhite);
        form->Font()->SetName(QStringLiteral("ＭＳ Ｐゴシック"));
        form->Font()->SetHeight(-15);
    }
    QImage Grab() {
        if (!form->Visible()) form->ShowActive();
        return form->Handle()->grab().toImage();
    }
};

// ---- labels

TEST_F(StdCtrlsTest, AutoSizedLabelMeasuresItsCaptionAndKeepsTheRightEdgeWhenRightAligned) {
    auto* label = Place(new TLabel(form.get()), form.get(), 100, 10, 65, 17);
    label->SetCaption(QStringLiteral("売上番号"));
    TBitmap probe;
    probe.Canvas()->SetFont(label->Font());
    const Integer w = probe.Canvas()->TextWidth(QStringLiteral("売上番号"));
    const Integer h = probe.Canvas()->TextHeight(QStringLiteral("売上番号"));
    EXPECT_EQ(label->Width(), w);
    EXPECT_EQ(label->Height(), h);
    label->SetAlignment(taRightJustify);
    const Integer right = label->Left() + label->Width();
    label->SetCaption(QStringLiteral("番号"));
    EXPECT_EQ(label->Left() + label->Width(), right);
    // An empty caption keeps the height of one line.
    label->SetCaption(QString());
    EXPECT_EQ(label->Height(), h);
}

TEST_F(StdCtrlsTest, LabelFillsItsColourUnlessTransparent) {
    auto* label = Place(new TLabel(form.get()), form.get(), 10, 10, 80, 20);
    label->SetAutoSize(false);
    label->SetColor(clYellow);
    EXPECT_EQ(Grab().pixelColor(85, 15), Q(clYellow));
    label->SetTransparent(true);
    EXPECT_EQ(Grab().pixelColor(85, 15), Q(clWhite));
}

TEST_F(StdCtrlsTest, LabelLayoutPlacesTheTextVertically) {
    auto* label = Place(new TLabel(form.get()), form.get(), 0, 0, 100, 60);
    label->SetAutoSize(false);
    label->SetTransparent(true);
    label->SetCaption(QStringLiteral("合計"));
    const QRect area(0, 0, 100, 60);
    const QRect top = Ink(Grab(), area, Q(clWhite));
    label->SetLayout(tlBottom);
    const QRect bottom = Ink(Grab(), area, Q(clWhite));
    label->SetLayout(tlCenter);
    const QRect centre = Ink(Grab(), area, Q(clWhite));
    ASSERT_FALSE(top.isEmpty());
    TBitmap probe;
    probe.Canvas()->SetFont(label->Font());
    const Integer h = probe.Canvas()->TextHeight(QStringLiteral("合計"));
    EXPECT_EQ(bottom.top() - top.top(), 60 - h);
    EXPECT_EQ(centre.top() - top.top(), (60 - h) / 2);
}

TEST_F(StdCtrlsTest, ADisabledLabelDrawsItsTextTwice) {
    form->SetColor(clYellow);
    auto* label = Place(new TLabel(form.get()), form.get(), 0, 0, 100, 30);
    label->SetTransparent(true);
    label->SetCaption(QStringLiteral("二"));
    label->SetEnabled(false);
    const QImage image = Grab();
    const QRect highlight = Ink(image, QRect(0, 0, 100, 30), Q(clYellow)) ;
    QRect light, shadow;
    for (int y = 0; y < 30; ++y) {
        for (int x = 0; x < 100; ++x) {
            if (image.pixelColor(x, y) == Q(clBtnHighlight)) light |= QRect(x, y, 1, 1);
            if (image.pixelColor(x, y) == Q(clBtnShadow)) shadow |= QRect(x, y, 1, 1);
        }
    }
    ASSERT_FALSE(highlight.isEmpty());
    ASSERT_FALSE(light.isEmpty());
    ASSERT_FALSE(shadow.isEmpty());
    // The highlight copy lies one pixel right of and below the shadow copy.
    EXPECT_EQ(light.bottomRight(), shadow.bottomRight() + QPoint(1, 1));
}

TEST_F(StdCtrlsTest, AltAcceleratorOfALabelFocusesItsControl) {
    auto* edit = Place(new TLineProbe(form.get(), log, "edit"), form.get(), 100, 10, 100, 24);
    auto* other = Place(new TLineProbe(form.get(), log, "other"), form.get(), 100, 50, 100, 24);
    auto* label = Place(new TLabel(form.get()), form.get(), 10, 10, 80, 20);
    label->SetCaption(QStringLiteral("名称(&N)"));
    label->SetFocusControl(edit);
    form->ShowActive();
    other->SetFocus();
    KeyClick(form.get(), Qt::Key_N, Qt::AltModifier);
    EXPECT_TRUE(edit->Focused());
    EXPECT_EQ(edit->EditText(), "");  // the Alt character types nothing
    other->SetFocus();
    label->SetShowAccelChar(false);
    KeyClick(form.get(), Qt::Key_N, Qt::AltModifier);
    EXPECT_TRUE(other->Focused());
    delete edit;
    EXPECT_EQ(label->FocusControl(), nullptr);
}

// ---- buttons

TEST_F(StdCtrlsTest, ButtonClickSetsTheFormsModalResult) {
    TForm dialog(nullptr);
    dialog.SetBounds(100, 100, 200, 100);
    auto* ok = Place(new TButton(&dialog), &dialog, 10, 10, 75, 25);
    ok->SetCaption(QStringLiteral("OK"));
    ok->SetModalResult(mrOk);
    int clicks = 0;
    ok->OnClick = [&](TObject*) { ++clicks; };
    WhenModalShown([&](QWidget*) { QTest::mouseClick(ok->Widget(), Qt::LeftButton); });
    EXPECT_EQ(dialog.ShowModal(), mrOk);
    EXPECT_EQ(clicks, 1);
}

TEST_F(StdCtrlsTest, EnterClicksTheDefaultButtonAndEscTheCancelButton) {
    auto* edit = Place(new TLineProbe(form.get(), log, "edit"), form.get(), 10, 10, 100, 24);
    auto* ok = Place(new TButton(form.get()), form.get(), 10, 50, 75, 25);
    auto* cancel = Place(new TButton(form.get()), form.get(), 100, 50, 75, 25);
    ok->SetDefault(true);
    cancel->SetCancel(true);
    ok->OnClick = [this](TObject*) { log.Add("ok"); };
    cancel->OnClick = [this](TObject*) { log.Add("cancel"); };
    form->ShowActive();
    edit->SetFocus();
    log.Clear();
    KeyClick(form.get(), Qt::Key_Return);
    KeyClick(form.get(), Qt::Key_Escape);
    // The buttons used the keys: the edit box never saw them go down.
    EXPECT_EQ(log.With("ok"), Log{"ok"});
    EXPECT_EQ(log.With("cancel"), Log{"cancel"});
    EXPECT_TRUE(log.With("KeyDown:").empty());
    // A focused button takes Enter itself; Space clicks it too.
    cancel->SetFocus();
    log.Clear();
    KeyClick(form.get(), Qt::Key_Return);
    KeyClick(form.get(), Qt::Key_Space);
    EXPECT_EQ(log.With("cancel"), (Log{"cancel", "cancel"}));
}

TEST_F(StdCtrlsTest, AltAcceleratorClicksAButton) {
    auto* b = Place(new TButton(form.get()), form.get(), 10, 10, 90, 25);
    b->SetCaption(QStringLiteral("閉じる(&C)"));
    b->OnClick = [this](TObject*) { log.Add("click"); };
    form->ShowActive();
    KeyClick(form.get(), Qt::Key_C, Qt::AltModifier);
    EXPECT_EQ(log.With("click"), Log{"click"});
}

TEST_F(StdCtrlsTest, ButtonsShowTheirCaptionSetBeforeAndAfterTheirWindow) {
    auto* button = Place(new TButton(form.get()), form.get(), 10, 10, 80, 25);
    auto* check = Place(new TCheckBox(form.get()), form.get(), 10, 40, 80, 20);
    auto* radio = Place(new TRadioButton(form.get()), form.get(), 10, 70, 80, 20);
    const std::vector<TButtonControl*> buttons{button, check, radio};
    for (TButtonControl* b : buttons) b->SetCaption(QStringLiteral("前(&B)"));
    form->ShowActive();
    for (TButtonControl* b : buttons) {
        auto* qt = dynamic_cast<QAbstractButton*>(b->Widget());
        ASSERT_NE(qt, nullptr);
        EXPECT_EQ(qt->text(), QStringLiteral("前(&B)"));
        b->SetCaption(QStringLiteral("後"));
        EXPECT_EQ(qt->text(), QStringLiteral("後"));
    }
}

TEST_F(StdCtrlsTest, CheckBoxClicksOnEveryChangeByUserOrCode) {
    auto* box = Place(new TCheckBox(form.get()), form.get(), 10, 10, 120, 20);
    box->SetCaption(QStringLiteral("CD-ROM"));
    int clicks = 0;
    box->OnClick = [&](TObject*) { ++clicks; };
    form->ShowActive();
    auto* q = static_cast<QCheckBox*>(box->Widget());
    QTest::mouseClick(q, Qt::LeftButton, Qt::NoModifier, QPoint(8, 10));
    EXPECT_TRUE(box->Checked());
    EXPECT_EQ(clicks, 1);
    box->SetChecked(false);
    EXPECT_EQ(clicks, 2);
    EXPECT_EQ(q->checkState(), Qt::Unchecked);
    box->SetChecked(false);  // no change, no click
    EXPECT_EQ(clicks, 2);
    box->SetAllowGrayed(true);
    QTest::mouseClick(q, Qt::LeftButton, Qt::NoModifier, QPoint(8, 10));
    EXPECT_EQ(box->State(), cbGrayed);
    QTest::mouseClick(q, Qt::LeftButton, Qt::NoModifier, QPoint(8, 10));
    EXPECT_EQ(box->State(), cbChecked);
    EXPECT_EQ(q->checkState(), Qt::Checked);
}

TEST_F(StdCtrlsTest, CheckingARadioButtonUnchecksItsSiblings) {
    auto* a = Place(new TRadioButton(form.get()), form.get(), 10, 10, 100, 20);
    auto* b = Place(new TRadioButton(form.get()), form.get(), 10, 40, 100, 20);
    auto* panel = Place(new TPanel(form.get()), form.get(), 150, 10, 100, 60);
    auto* elsewhere = Place(new TRadioButton(form.get()), panel, 5, 5, 80, 20);
    a->OnClick = [this](TObject*) { log.Add("a"); };
    b->OnClick = [this](TObject*) { log.Add("b"); };
    a->SetChecked(true);
    elsewhere->SetChecked(true);
    form->ShowActive();
    QTest::mouseClick(b->Widget(), Qt::LeftButton, Qt::NoModifier, QPoint(8, 10));
    EXPECT_FALSE(a->Checked());
    EXPECT_TRUE(b->Checked());
    EXPECT_TRUE(elsewhere->Checked());  // another parent, another group
    QTest::mouseClick(b->Widget(), Qt::LeftButton, Qt::NoModifier, QPoint(8, 10));
    EXPECT_TRUE(b->Checked());
    EXPECT_EQ(log.Entries(), (Log{"a", "b"}));
}

// ---- group box, memo, list box

TEST_F(StdCtrlsTest, GroupBoxChildrenAlignBelowTheCaption) {
    auto* group = Place(new TGroupBox(form.get()), form.get(), 10, 10, 200, 120);
    group->SetCaption(QStringLiteral("合計"));
    auto* child = Place(new TPanel(form.get()), group, 0, 0, 10, 10);
    child->SetAlign(alClient);
    TBitmap probe;
    probe.Canvas()->SetFont(group->Font());
    const Integer h = probe.Canvas()->TextHeight(QStringLiteral("0"));
    EXPECT_EQ(child->BoundsRect(), TRect(2, h + 2, 198, 118));
}

TEST_F(StdCtrlsTest, MemoLinesAndTheEditorFollowEachOther) {
    auto* memo = Place(new TMemo(form.get()), form.get(), 10, 10, 200, 100);
    int changes = 0;
    memo->OnChange = [&](TObject*) { ++changes; };
    memo->Lines()->Add(QStringLiteral("[Panel5]"));
    memo->Lines()->Add(QStringLiteral("ｺｰﾄﾞ=Label3"));
    EXPECT_EQ(memo->Text(), "[Panel5]\r\nｺｰﾄﾞ=Label3");
    form->ShowActive();
    auto* editor = static_cast<QPlainTextEdit*>(memo->Widget());
    EXPECT_EQ(editor->toPlainText(), "[Panel5]\nｺｰﾄﾞ=Label3");
    memo->SetFocus();
    editor->moveCursor(QTextCursor::End);
    changes = 0;
    KeyClick(form.get(), Qt::Key_Return);
    KeyClicks(form.get(), QStringLiteral("x"));
    ASSERT_EQ(memo->Lines()->Count(), 3);
    EXPECT_EQ(memo->Lines()->Strings(2), "x");
    EXPECT_GE(changes, 2);
    // Without WantTabs, Tab is dialog navigation, not a character.
    KeyClick(form.get(), Qt::Key_Tab);
    EXPECT_EQ(memo->Lines()->Strings(2), "x");
    memo->SetText(QStringLiteral("a\r\nb"));
    EXPECT_EQ(editor->toPlainText(), "a\nb");
}

TEST_F(StdCtrlsTest, ListBoxSelectsByCodeAndByKeys) {
    auto* list = Place(new TListBox(form.get()), form.get(), 10, 10, 120, 100);
    list->Items()->Add(QStringLiteral("売上"));
    list->Items()->Add(QStringLiteral("返品"));
    list->SetItemIndex(0);
    int clicks = 0;
    list->OnClick = [&](TObject*) { ++clicks; };
    form->ShowActive();
    list->SetFocus();
    KeyClick(form.get(), Qt::Key_Down);
    EXPECT_EQ(list->ItemIndex(), 1);
    EXPECT_EQ(clicks, 1);
    list->SetItemIndex(5);
    EXPECT_EQ(list->ItemIndex(), -1);
    EXPECT_EQ(clicks, 1);
    list->Items()->Delete(0);
    EXPECT_EQ(static_cast<QListWidget*>(list->Widget())->count(), 1);
}

TEST_F(StdCtrlsTest, MemoSelectionCountsALineBreakAsTwoUnitsOfText) {
    auto* memo = Place(new TMemo(form.get()), form.get(), 10, 10, 200, 100);
    memo->SetText(QStringLiteral("ab\r\ncd"));
    // Chosen before the editor exists, the selection waits for it.
    memo->SelectAll();
    form->ShowActive();
    EXPECT_EQ(memo->SelStart(), 0);
    EXPECT_EQ(memo->SelLength(), 6);
    memo->SetSelStart(4);
    memo->SetSelLength(2);
    EXPECT_EQ(memo->SelText(), QStringLiteral("cd"));
    memo->SetSelText(QStringLiteral("X\r\nY"));
    EXPECT_EQ(memo->Text(), QStringLiteral("ab\r\nX\r\nY"));
    // The caret follows what went in.
    EXPECT_EQ(memo->SelStart(), 8);
    EXPECT_EQ(memo->SelLength(), 0);
    memo->SetFocus();
    KeyClicks(form.get(), QStringLiteral("z"));
    EXPECT_EQ(memo->Text(), QStringLiteral("ab\r\nX\r\nYz"));
}

TEST_F(StdCtrlsTest, DoubleClickOnAListItemRaisesOnDblClick) {
    auto* list = Place(new TListBox(form.get()), form.get(), 10, 10, 120, 100);
    list->Items()->Add(QStringLiteral("売上"));
    list->Items()->Add(QStringLiteral("返品"));
    int doubles = 0;
    list->OnDblClick = [&](TObject*) { ++doubles; };
    form->ShowActive();
    auto* widget = static_cast<QListWidget*>(list->Widget());
    const QPoint at = widget->visualItemRect(widget->item(1)).center();
    QTest::mouseClick(widget->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    EXPECT_EQ(doubles, 0);
    QTest::mouseDClick(widget->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    EXPECT_EQ(doubles, 1);
    EXPECT_EQ(list->ItemIndex(), 1);
}

// A list box after a button, shown and active, its clicks and mouse logged.
class ListBoxTest : public StdCtrlsTest {
protected:
    void SetUp() override {
        StdCtrlsTest::SetUp();
        button = Place(new TButton(form.get()), form.get(), 10, 120, 80, 24);
        list = Place(new TListBox(form.get()), form.get(), 10, 10, 120, 100);
        for (int i = 0; i < 30; ++i) list->Items()->Add(QString::number(i));
        list->OnClick = [this](TObject*) { log.Add("click " + std::to_string(list->ItemIndex())); };
        list->OnMouseDown = [this](TObject*, TMouseButton, TShiftState, Integer x, Integer y) { Mouse("down", x, y); };
        list->OnMouseUp = [this](TObject*, TMouseButton, TShiftState, Integer x, Integer y) { Mouse("up", x, y); };
        ShowWithFocus(button);
    }
    void Mouse(const std::string& what, Integer x, Integer y) {
        log.Add(what + " " + std::to_string(x) + "," + std::to_string(y));
    }
    QListWidget* widget() const { return static_cast<QListWidget*>(list->Widget()); }
    // The middle of item row, in the form's client area.
    QPoint ItemPoint(int row) const {
        return widget()->viewport()->mapTo(form->Handle(), widget()->visualItemRect(widget()->item(row)).center());
    }

    TButton* button = nullptr;
    TListBox* list = nullptr;
};

TEST_F(ListBoxTest, TheFocusAloneChoosesNothingAndOnlyTheUsersChoiceClicks) {
    KeyClick(form.get(), Qt::Key_Tab);
    ASSERT_TRUE(list->Focused());
    EXPECT_EQ(list->ItemIndex(), -1);
    KeyClick(form.get(), Qt::Key_Down);
    MouseClick(form.get(), ItemPoint(2));
    EXPECT_EQ(log.With("click"), (Log{"click 0", "click 2"}));
}

TEST_F(ListBoxTest, TheMouseAndTheWheelOverTheItemsReachTheControl) {
    const QPoint at = ItemPoint(1);
    MouseClick(form.get(), at);
    const std::string where = std::to_string(at.x() - list->Left()) + "," + std::to_string(at.y() - list->Top());
    EXPECT_EQ(log.Entries(), (Log{"click 1", "down " + where, "up " + where}));
    list->OnMouseWheel = [this](TObject*, TShiftState, Integer delta, TPoint, bool&) {
        log.Add("wheel " + std::to_string(delta));
    };
    QWheelEvent wheel(at, form->Handle()->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(widget()->viewport(), &wheel);
    EXPECT_EQ(log.Entries().back(), "wheel -120");
    EXPECT_GT(widget()->verticalScrollBar()->value(), 0) << "left unhandled, the wheel scrolls the list";
}

TEST_F(ListBoxTest, AnAutomaticDragCarriesTheItemPressed) {
    list->SetDragMode(dmAutomatic);
    MousePress(form.get(), ItemPoint(2));
    EXPECT_TRUE(list->Dragging());
    EXPECT_EQ(list->ItemIndex(), 2);
    MouseRelease(form.get(), ItemPoint(2));
    EXPECT_FALSE(list->Dragging());
}

// ---- a sample form

TEST(SampleForm, JapaneseCaptionsRenderWithAnIpaFaceAt96Dpi) {
    TForm form(nullptr);
    form.SetBounds(0, 0, 420, 260);
    form.SetCaption(QStringLiteral("カスタムコンポーネント・デモ"));
    form.Font()->SetName(QStringLiteral("ＭＳ Ｐゴシック"));
    form.Font()->SetHeight(-15);
    auto* header = Place(new TPanel(&form), &form, 0, 0, 0, 40);
    header->SetAlign(alTop);
    header->SetCaption(QStringLiteral("売上伝票入力"));
    header->SetParentBackground(false);
    auto* label = Place(new TLabel(&form), &form, 10, 55, 80, 20);
    label->SetCaption(QStringLiteral("売上番号"));
    auto* group = Place(new TGroupBox(&form), &form, 10, 85, 190, 80);
    group->SetCaption(QStringLiteral("伝票種別"));
    auto* sale = Place(new TRadioButton(&form), group, 10, 25, 80, 20);
    sale->SetCaption(QStringLiteral("売上"));
    sale->SetChecked(true);
    Place(new TRadioButton(&form), group, 100, 25, 80, 20)->SetCaption(QStringLiteral("返品"));
    auto* check = Place(new TCheckBox(&form), &form, 220, 55, 150, 20);
    check->SetCaption(QStringLiteral("消費税を計算する"));
    check->SetChecked(true);
    auto* close = Place(new TButton(&form), &form, 220, 120, 100, 28);
    close->SetCaption(QStringLiteral("閉じる"));
    auto* bar = Place(new TPanel(&form), &form, 0, 0, 0, 37);
    bar->SetAlign(alBottom);
    bar->SetBevelOuter(bvLowered);
    bar->SetCaption(QStringLiteral("Shihtｷｰを押してみてください"));
    form.Show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.Handle()));
    const QImage image = form.Handle()->grab().toImage();
    const QString path = SaveTestImage(image, QStringLiteral("SampleFormJapanese"));
    EXPECT_FALSE(path.isEmpty());
    EXPECT_EQ(image.size(), QSize(form.ClientWidth(), form.ClientHeight()));
    EXPECT_EQ(QFontInfo(form.Font()->ToQFont()).family(), "IPAPGothic");
    EXPECT_EQ(QFontInfo(close->Widget()->font()).family(), "IPAPGothic");
    EXPECT_EQ(form.Handle()->logicalDpiX(), 96);
    EXPECT_EQ(Screen->PixelsPerInch(), 96);
    // The header caption left ink in its panel.
    const QRect ink = Ink(image, QRect(0, 0, image.width(), 40), Q(clBtnFace));
    EXPECT_FALSE(ink.isEmpty());
    EXPECT_GT(ink.width(), 60);
}

}  // namespace
