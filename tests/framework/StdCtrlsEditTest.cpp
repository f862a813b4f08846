// The framework's edit box on a real line edit in an active window: the
// length limit against typing, pasting and program text, Modified, OnChange,
// the selection in UTF-16 units, the caret after a new text, the keys the
// box keeps from dialog navigation, and AutoSelect.
#include "FrameworkTestSupport.h"
#include "Graphics.h"
#include "StdCtrlsEdit.h"

#include <QtGui/QClipboard>
#include <QtTest/QTest>
#include <QtWidgets/QApplication>

#include <gtest/gtest.h>

#include <utility>

namespace {

class StdCtrlsEditTest : public LoggedFormTest {
protected:
    void SetUp() override {
        a = Place(new TEdit(form.get()), form.get(), 10, 10, 120, 24);
        a->SetName("a");
        b = Place(new TEdit(form.get()), form.get(), 10, 50, 120, 24);
        b->SetName("b");
        ShowWithFocus(a);
    }

    TEdit* a = nullptr;
    TEdit* b = nullptr;
};

TEST_F(StdCtrlsEditTest, MaxLengthStopsTypingButNotTheProgram) {
    a->SetMaxLength(3);
    KeyClicks(form.get(), "abcde");
    EXPECT_EQ(a->Text(), "abc");
    a->SetText("longer text");
    EXPECT_EQ(a->Text(), "longer text");
    // Lowering the limit keeps the text as it is.
    a->SetMaxLength(2);
    EXPECT_EQ(a->Text(), "longer text");
    // Over the limit already: nothing more goes in, deleting still works.
    a->SetSelStart(11);
    KeyClick(form.get(), Qt::Key_X);
    EXPECT_EQ(a->Text(), "longer text");
    KeyClick(form.get(), Qt::Key_Backspace);
    EXPECT_EQ(a->Text(), "longer tex");
}

TEST_F(StdCtrlsEditTest, MaxLengthZeroMeansNoLimit) {
    a->SetMaxLength(0);
    KeyClicks(form.get(), "abcdefghijklmnopqrstuvwxyz0123456789");
    EXPECT_EQ(a->Text().size(), 36);
}

TEST_F(StdCtrlsEditTest, PastingIsCutAtTheLimitAtTheCaret) {
    a->SetMaxLength(5);
    a->SetText("ab");
    a->SetSelStart(1);
    QApplication::clipboard()->setText("XYZW");
    a->PasteFromClipboard();
    EXPECT_EQ(a->Text(), "aXYZb");
    EXPECT_EQ(a->SelStart(), 4);
}

TEST_F(StdCtrlsEditTest, ModifiedIsSetByTheUserAndClearedByANewText) {
    EXPECT_FALSE(a->Modified());
    KeyClicks(form.get(), "x");
    EXPECT_TRUE(a->Modified());
    a->SetText("y");
    EXPECT_FALSE(a->Modified());
    a->SetModified(true);
    EXPECT_TRUE(a->Modified());
}

TEST_F(StdCtrlsEditTest, ModifiedIsAlreadySetWhenChangeRunsForATypedKey) {
    std::vector<bool> seen;
    a->OnChange = [&](TObject*) { seen.push_back(a->Modified()); };
    KeyClicks(form.get(), "x");
    a->SetText("program");
    EXPECT_EQ(seen, (std::vector<bool>{true, false}));
}

TEST_F(StdCtrlsEditTest, OnChangeFollowsTheUserAndTheProgramButNotAnEqualText) {
    int changes = 0;
    a->OnChange = [&](TObject*) { ++changes; };
    KeyClicks(form.get(), "ab");
    EXPECT_EQ(changes, 2);
    a->SetText("ab");
    EXPECT_EQ(changes, 2);
    a->SetText("cd");
    EXPECT_EQ(changes, 3);
    // The caret stands in front after a new text.
    KeyClick(form.get(), Qt::Key_Backspace);
    EXPECT_EQ(changes, 3);
    KeyClick(form.get(), Qt::Key_End);
    KeyClick(form.get(), Qt::Key_Backspace);
    EXPECT_EQ(changes, 4);
    EXPECT_EQ(a->Text(), "c");
}

TEST_F(StdCtrlsEditTest, AnEditWithoutWidgetKeepsTextSelectionAndRaisesChange) {
    TEdit loose(nullptr);
    int changes = 0;
    loose.OnChange = [&](TObject*) { ++changes; };
    loose.SetText("hello");
    EXPECT_EQ(changes, 1);
    loose.SetSelStart(1);
    loose.SetSelLength(3);
    EXPECT_EQ(loose.SelText(), "ell");
    loose.SetSelText("ipp");
    EXPECT_EQ(loose.Text(), "hippo");
    EXPECT_TRUE(loose.Modified());
    EXPECT_EQ(changes, 2);
    loose.Clear();
    EXPECT_EQ(loose.Text(), "");
}

TEST_F(StdCtrlsEditTest, SelectionCountsUtf16UnitsAndANewTextPutsTheCaretInFront) {
    a->SetText(QString::fromUtf8("１２３"));
    EXPECT_EQ(a->SelStart(), 0);
    a->SelectAll();
    EXPECT_EQ(a->SelLength(), 3);
    a->SetText(QString::fromUtf8("a\U00020BB7b"));
    a->SelectAll();
    EXPECT_EQ(a->SelLength(), 4);
    a->SetSelStart(1);
    EXPECT_EQ(a->SelLength(), 0);
    a->SetSelLength(2);
    EXPECT_EQ(a->SelText(), QString::fromUtf8("\U00020BB7"));
}

TEST_F(StdCtrlsEditTest, ClearSelectionDeletesTheSelectedText) {
    a->SetText("abcdef");
    a->SetSelStart(2);
    a->SetSelLength(2);
    a->ClearSelection();
    EXPECT_EQ(a->Text(), "abef");
}

TEST_F(StdCtrlsEditTest, ArrowKeysStayInTheBoxAndMoveTheCaret) {
    a->SetText("abc");
    a->SetSelStart(3);
    KeyClick(form.get(), Qt::Key_Left);
    KeyClick(form.get(), Qt::Key_Down);
    EXPECT_TRUE(a->Focused());
    EXPECT_EQ(a->SelStart(), 2);
    EXPECT_EQ(log.With("FormKeyDown:"), (std::vector<std::string>{"FormKeyDown:37", "FormKeyDown:40"}));
}

TEST_F(StdCtrlsEditTest, TabMovesToTheNextTabStopAndAutoSelectSelectsAll) {
    b->SetText("hello");
    KeyClick(form.get(), Qt::Key_Tab);
    EXPECT_TRUE(b->Focused());
    EXPECT_EQ(b->SelLength(), 5);
    b->SetAutoSelect(false);
    b->SetSelStart(1);
    a->SetTabStop(false);
    b->SetTabStop(true);
    a->SetFocus();
    b->SetFocus();
    EXPECT_EQ(b->SelLength(), 0);
    EXPECT_EQ(b->SelStart(), 1);
}

TEST_F(StdCtrlsEditTest, ReadOnlyRefusesTypingButKeepsKeyEvents) {
    a->SetText("ro");
    a->SetReadOnly(true);
    a->SetSelStart(2);
    KeyClicks(form.get(), "x");
    EXPECT_EQ(a->Text(), "ro");
    EXPECT_EQ(log.With("FormKeyPress:"), (std::vector<std::string>{"FormKeyPress:x"}));
}

TEST_F(StdCtrlsEditTest, CharCaseConvertsTypedAndProgramText) {
    a->SetCharCase(ecUpperCase);
    KeyClicks(form.get(), "ab");
    EXPECT_EQ(a->Text(), "AB");
    a->SetText("cd");
    EXPECT_EQ(a->Text(), "CD");
    a->SetCharCase(ecLowerCase);
    EXPECT_EQ(a->Text(), "cd");
}

TEST_F(StdCtrlsEditTest, RecreatingTheWindowKeepsTextModifiedAndSelection) {
    a->SetText("keep");
    KeyClick(form.get(), Qt::Key_End);
    KeyClicks(form.get(), "s");
    a->SetSelStart(1);
    a->SetSelLength(2);
    a->RecreateWnd();
    EXPECT_EQ(a->Text(), "keeps");
    EXPECT_TRUE(a->Modified());
    EXPECT_EQ(a->SelText(), "ee");
    EXPECT_TRUE(a->Focused());
}

TEST_F(StdCtrlsEditTest, AutoSizeTakesTheTextHeightPlusTheFrame) {
    TCanvas canvas;
    canvas.Font()->Assign(a->Font());
    const Integer text = canvas.TextHeight("0");
    // Placing the box set its height; AutoSize acts on font and frame changes.
    EXPECT_EQ(a->Height(), 24);
    a->SetAutoSize(false);
    a->SetAutoSize(true);
    EXPECT_EQ(a->Height(), text + 8);
    a->SetCtl3D(false);
    EXPECT_EQ(a->Height(), text + 6);
    EXPECT_GT(text, 10);
    a->Font()->SetSize(20);
    canvas.Font()->Assign(a->Font());
    EXPECT_EQ(a->Height(), canvas.TextHeight("0") + 6);
    a->SetAutoSize(false);
    a->SetHeight(40);
    EXPECT_EQ(a->Height(), 40);
}

TEST(StdCtrlsEditWindow, AWindowAskedForBeforeItsFormsIsMadeOnce) {
    TForm form(nullptr);
    auto* edit = new TEdit(&form);
    edit->SetParent(&form);
    // Making the form's window makes its children's: the edit's must not
    // be made a second time.
    QWidget* w = edit->Handle();
    EXPECT_EQ(form.Handle()->findChildren<QLineEdit*>().size(), 1);
    EXPECT_EQ(edit->Handle(), w);
    delete edit;
    EXPECT_TRUE(form.Handle()->findChildren<QLineEdit*>().empty());
}

TEST_F(StdCtrlsEditTest, TheClientAreaLeavesTheBorder) {
    a->SetBounds(0, 0, 100, 30);
    a->SetAutoSize(false);
    a->SetBounds(0, 0, 100, 30);
    EXPECT_EQ(a->ClientWidth(), 96);
    EXPECT_EQ(a->ClientHeight(), 26);
    a->SetBorderStyle(bsNone);
    EXPECT_EQ(a->ClientWidth(), 100);
}

// A borderless box shows its text one pixel from its left edge, as a canvas
// draws it at x = 1, so a box sized for N letters shows all N.
TEST_F(StdCtrlsEditTest, ABorderlessBoxKeepsOnePixelBesideItsText) {
    a->SetAutoSize(false);
    a->SetBorderStyle(bsNone);
    a->Font()->SetName("ＭＳ ゴシック");
    a->Font()->SetHeight(-15);
    a->SetColor(clWhite);
    a->Font()->SetColor(clBlack);
    TBitmap reference;
    reference.SetSize(200, 24);
    reference.Canvas()->Font()->Assign(a->Font());
    const QString text = QStringLiteral("WWWWW");
    const Integer width = reference.Canvas()->TextWidth(text) + 2;
    a->SetBounds(0, 0, width, 24);
    a->SetText(text);
    reference.Canvas()->TextOut(1, 0, text);

    const auto inkColumns = [](const QImage& image) {
        int first = -1, last = -1;
        for (int x = 0; x < image.width(); ++x)
            for (int y = 0; y < image.height(); ++y)
                if (qGray(image.pixel(x, y)) < 128) {
                    if (first < 0) first = x;
                    last = x;
                    break;
                }
        return std::make_pair(first, last);
    };
    const QImage shown = a->Handle()->grab().toImage();
    const auto [boxFirst, boxLast] = inkColumns(shown);
    const auto [refFirst, refLast] = inkColumns(reference.Image());
    EXPECT_EQ(boxFirst, refFirst);
    EXPECT_EQ(boxLast, refLast);
    EXPECT_LT(boxLast, width - 1);
}

// Pixels of the box's widget in its palette's highlight colour.
int HighlightPixels(TCustomEdit* edit) {
    const QImage image = edit->Handle()->grab().toImage();
    const QRgb highlight = edit->Handle()->palette().color(QPalette::Active, QPalette::Highlight).rgb();
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) == highlight) ++count;
    return count;
}

TEST_F(StdCtrlsEditTest, TheSelectionOutlivesTheFocus) {
    a->SetAutoSelect(false);
    a->SetText("hello");
    a->SetSelStart(1);
    a->SetSelLength(3);
    KeyClick(form.get(), Qt::Key_Tab);
    ASSERT_TRUE(b->Focused());
    EXPECT_EQ(a->SelText(), "ell");
    // Set while the box has no focus, it is there when the focus comes back.
    a->SetSelStart(2);
    a->SetSelLength(2);
    KeyClick(form.get(), Qt::Key_Backtab, Qt::ShiftModifier);
    ASSERT_TRUE(a->Focused());
    EXPECT_EQ(a->SelStart(), 2);
    EXPECT_EQ(a->SelText(), "ll");
    KeyClicks(form.get(), "x");
    EXPECT_EQ(a->Text(), "hexo");
}

TEST_F(StdCtrlsEditTest, AnUnfocusedBoxShowsItsSelectionOnlyWithoutHideSelection) {
    a->SetText("WWWW");
    a->SelectAll();
    EXPECT_GT(HighlightPixels(a), 20);
    KeyClick(form.get(), Qt::Key_Tab);
    ASSERT_TRUE(b->Focused());
    EXPECT_EQ(HighlightPixels(a), 0);
    a->SetHideSelection(false);
    EXPECT_GT(HighlightPixels(a), 20);
    // Typing into the other box leaves this one's selection alone.
    KeyClicks(form.get(), "q");
    EXPECT_GT(HighlightPixels(a), 20);
    a->SetHideSelection(true);
    EXPECT_EQ(HighlightPixels(a), 0);
    EXPECT_EQ(a->SelLength(), 4);
}

TEST_F(StdCtrlsEditTest, PasswordCharMasksTheTextWithThatCharacter) {
    auto* other = Place(new TEdit(form.get()), form.get(), 10, 90, 120, 24);
    other->SetFocus();
    a->SetText("abc");
    for (const auto& c : {std::pair<QChar, const char*>{u'*', "***"}, {u'#', "###"}, {QChar(), "abc"}}) {
        SCOPED_TRACE(c.second);
        a->SetPasswordChar(c.first);
        b->SetText(c.second);
        EXPECT_EQ(a->Text(), "abc");
        EXPECT_EQ(a->Handle()->grab().toImage(), b->Handle()->grab().toImage());
    }
}

TEST_F(StdCtrlsEditTest, OEMConvertTurnsWhatTheCodePageCannotHoldIntoQuestionMarks) {
    a->SetOEMConvert(true);
    a->SetText(QStringLiteral("ab\u00e9"));
    // The program's text stays as it is; pasted text goes through code page 932.
    EXPECT_EQ(a->Text(), QStringLiteral("ab\u00e9"));
    a->SetSelStart(1);
    QApplication::clipboard()->setText(QStringLiteral("x\u00e9\U0001F600\u6f22y"));
    a->PasteFromClipboard();
    EXPECT_EQ(a->Text(), QStringLiteral("ax??\u6f22yb\u00e9"));
    EXPECT_EQ(a->SelStart(), 6);
    // The wave dash comes back as the code page's own character.
    a->SetText("");
    QApplication::clipboard()->setText(QStringLiteral("\u301c"));
    a->PasteFromClipboard();
    EXPECT_EQ(a->Text(), QStringLiteral("\uff5e"));
    a->SetOEMConvert(false);
    a->PasteFromClipboard();
    EXPECT_EQ(a->Text(), QStringLiteral("\uff5e\u301c"));
}

}  // namespace
