// Japanese input into edit boxes: a composition (preedit, then the
// committed result) as the input method sends it to the focused widget.
// The result reaches the key filter character by character, the reading
// goes to the box that entered last, and the result flag belongs to the
// receiving box until the focus moves or the next key has come and gone.
#include "EntryTestSupport.h"

#include "Ime.h"

#include <QtCore/QCoreApplication>
#include <QtGui/QGuiApplication>
#include <QtGui/QInputMethodEvent>

namespace {

class SEditImeTest : public ::testing::Test {
protected:
    void SetUp() override {
        form = std::make_unique<TraceForm>();
        a = form->AddEdit("A", 10, 10, 120);
        b = form->AddEdit("B", 140, 10, 120);
        a->SetmvRight(b);
        b->SetmvLeft(a);
        for (TSEdit* e : {a, b}) {
            e->OnCompositionStr = [this](TObject* sender, const QString& value) {
                readings.push_back(Utf8(static_cast<TSEdit*>(sender)->Name()) + ":" + Utf8(value));
            };
            e->OnKeyPress = [this](TObject*, WideChar& key) { keys += key; };
        }
        form->ShowActive();
        a->SetFocus();
    }
    void TearDown() override {
        SetImeCompleteHook(nullptr);
        form.reset();
    }

    // What the input method sends the focused widget: a preedit or a result.
    static void Send(const QString& preedit, const QString& result = QString()) {
        QInputMethodEvent e(preedit, {});
        e.setCommitString(result);
        QCoreApplication::sendEvent(QApplication::focusWidget(), &e);
    }
    void Compose(const QStringList& preedits, const QString& result) {
        for (const QString& p : preedits) Send(p);
        Send(QString(), result);
    }

    std::unique_ptr<TraceForm> form;
    TSEdit* a = nullptr;
    TSEdit* b = nullptr;
    std::vector<std::string> readings;
    QString keys;
};

TEST_F(SEditImeTest, ACommittedResultArrivesAsCharactersAndItsReadingFollows) {
    Compose({QStringLiteral("や"), QStringLiteral("やま"), QStringLiteral("やまだ"), QStringLiteral("山田")},
            QStringLiteral("山田"));
    EXPECT_EQ(Utf8(a->Text()), "山田");
    EXPECT_EQ(Utf8(keys), "山田");
    EXPECT_EQ(readings, (std::vector<std::string>{"A:ﾔﾏﾀﾞ"}));
    EXPECT_EQ(ImeCurrentEdit, a);
    EXPECT_TRUE(a->Modified());
}

TEST_F(SEditImeTest, AFinalLatinNAfterKanaIsReadAsN) {
    Compose({QStringLiteral("に"), QStringLiteral("にh"), QStringLiteral("にほ"), QStringLiteral("にほn"),
             QStringLiteral("日本")},
            QStringLiteral("日本"));
    Compose({QStringLiteral("か"), QStringLiteral("かn"), QStringLiteral("かんj"), QStringLiteral("かんじ"),
             QStringLiteral("漢字")},
            QStringLiteral("漢字"));
    // A lone n is no kana yet, and an n inside Latin text stays Latin.
    Compose({QStringLiteral("n"), QStringLiteral("ｎ")}, QStringLiteral("ｎ"));
    Compose({QStringLiteral("ぺ"), QStringLiteral("ぺn"), QStringLiteral("ぺnn")}, QStringLiteral("ペン"));
    EXPECT_EQ(readings, (std::vector<std::string>{"A:ﾆﾎﾝ", "A:ｶﾝｼﾞ", "A:", "A:ﾍﾟﾝ"}));
}

TEST_F(SEditImeTest, TheReadingGoesToTheBoxThatEnteredLast) {
    ImeCurrentEdit = b;
    Compose({QStringLiteral("かな")}, QStringLiteral("仮名"));
    EXPECT_EQ(Utf8(a->Text()), "仮名");
    EXPECT_EQ(readings, (std::vector<std::string>{"B:ｶﾅ"}));
}

TEST_F(SEditImeTest, ANumericBoxRejectsFullWidthDigits) {
    a->SetNumericType(ntInteger);
    a->SetMaxValue(999);
    Compose({QStringLiteral("１２")}, QStringLiteral("１２"));
    EXPECT_EQ(Utf8(a->Text()), "");
    EXPECT_EQ(Utf8(keys), "１２");
    // No kana was shown, so the reading is empty, but it is reported.
    EXPECT_EQ(readings, (std::vector<std::string>{"A:"}));
}

TEST_F(SEditImeTest, ACommitFillsTheBoxOneCharacterAtATime) {
    a->SetMaxLength(3);
    a->SetMoveFullChar(true);
    Compose({QStringLiteral("あいうえ")}, QStringLiteral("ｱｲｳｴ"));
    // The third character fills the box and moves on; the fourth no longer fits.
    EXPECT_EQ(Utf8(a->Text()), "ｱｲｳ");
    EXPECT_TRUE(b->Focused());
}

TEST_F(SEditImeTest, TheResultFlagBelongsToTheReceiverUntilTheNextKeyOrAMove) {
    Compose({QStringLiteral("あ")}, QStringLiteral("亜"));
    EXPECT_TRUE(ImeResultFlag(a));
    EXPECT_FALSE(ImeResultFlag(b));
    // The key right after the composition still sees it, the one after not.
    bool seenByNextKey = false;
    a->OnKeyDown = [&](TObject*, Word&, TShiftState) { seenByNextKey = ImeResultFlag(a); };
    form->Key(Qt::Key_End);
    EXPECT_TRUE(seenByNextKey);
    form->Key(Qt::Key_End);
    EXPECT_FALSE(seenByNextKey);
    EXPECT_FALSE(ImeResultFlag(a));
    // A move of the focus ends it too: an Enter elsewhere is never swallowed.
    Compose({QStringLiteral("い")}, QStringLiteral("井"));
    EXPECT_TRUE(ImeResultFlag(a));
    b->SetFocus();
    EXPECT_FALSE(ImeResultFlag(a));
    EXPECT_FALSE(ImeResultFlag(b));
}

TEST_F(SEditImeTest, APendingCompositionIsFinishedInItsBoxAndNothingOfItFollowsTheFocus) {
    // As ibus does: asked to finish, the input method commits what it shows,
    // and once more after the focus has moved.
    const QString result = QStringLiteral("田中");
    std::string askedIn;
    SetImeCompleteHook([&] {
        askedIn += a->Focused() ? "A" : "B";
        Send(QString(), result);
    });
    Send(QStringLiteral("たなか"));
    form->Key(Qt::Key_Tab);
    Send(QString(), result);
    EXPECT_EQ(Utf8(b->Text()), "");
    // By program too; a key ends the wait for the repeat.
    Send(QStringLiteral("たなか"));
    a->SetFocus();
    form->Key(Qt::Key_End);
    Send(QString(), result);
    EXPECT_EQ(askedIn, "AB");
    EXPECT_EQ(Utf8(a->Text()), "田中田中");
    EXPECT_EQ(Utf8(b->Text()), "田中");
    EXPECT_EQ(readings, (std::vector<std::string>{"A:ﾀﾅｶ", "B:ﾀﾅｶ", "A:"}));
}

TEST_F(SEditImeTest, TheReceiverIsForgottenWhenItsExitStepRuns) {
    b->SetFocus();
    EXPECT_EQ(ImeCurrentEdit, b);
    a->SetFocus();
    EXPECT_EQ(ImeCurrentEdit, a);
    form->Key(Qt::Key_Right);
    EXPECT_EQ(ImeCurrentEdit, b);
    delete b;
    EXPECT_EQ(ImeCurrentEdit, nullptr);
}

// What the input method hears when it asks the focused widget, as a
// platform input method asks.
QVariant AskFocused(Qt::InputMethodQuery query) {
    QObject* focus = QGuiApplication::focusObject();
    if (!focus) return QVariant();
    QInputMethodQueryEvent event(query);
    QCoreApplication::sendEvent(focus, &event);
    return event.value(query);
}

Qt::InputMethodHints HintsOfFocused() {
    return Qt::InputMethodHints::fromInt(AskFocused(Qt::ImHints).toInt());
}

TEST_F(SEditImeTest, TheClosingModesShutTheInputMethodOutOfTheBox) {
    for (TImeMode mode : {imDontCare, imOpen, imHira, imSAlpha, imClose, imDisable}) {
        SCOPED_TRACE(mode);
        a->SetImeMode(mode);
        const bool closed = mode == imClose || mode == imDisable;
        EXPECT_EQ(AskFocused(Qt::ImEnabled).toBool(), !closed);
        EXPECT_EQ(HintsOfFocused().testFlag(Qt::ImhLatinOnly), closed);
    }
    // Set before the box has the focus, and asked when it gets it.
    b->SetNumericType(ntInteger);
    b->SetCharTypes({});  // no minus sign: digits alone
    b->SetImeMode(imClose);
    b->SetFocus();
    EXPECT_FALSE(AskFocused(Qt::ImEnabled).toBool());
    EXPECT_TRUE(HintsOfFocused().testFlag(Qt::ImhDigitsOnly));
    b->SetCharTypes({ctMinus, ctPeriod});
    b->SetNumericType(ntCurrency);
    EXPECT_TRUE(HintsOfFocused().testFlag(Qt::ImhFormattedNumbersOnly));
    b->SetNumericType(ntDateymd);
    EXPECT_TRUE(HintsOfFocused().testFlag(Qt::ImhDate));
}

TEST(SEditImeModes, TheComboEditPartAndTheGridEditorAreShutOutToo) {
    TraceForm form;
    TSComboBox* combo = form.AddCombo("K", 10, 10);
    combo->SetStyle(csDropDown);
    form.ShowActive();
    for (TImeMode mode : {imHira, imClose, imDisable, imDontCare}) {
        SCOPED_TRACE(mode);
        combo->SetImeMode(mode);
        combo->SetFocus();
        EXPECT_EQ(AskFocused(Qt::ImEnabled).toBool(), mode == imHira || mode == imDontCare);
    }
    GridForm grid;
    grid.VoucherColumns();
    grid.grid->GridColumns()->Items(4)->SetImeMode(imClose);
    grid.grid->GridColumns()->Items(3)->SetImeMode(imHira);
    grid.ShowActive();
    grid.grid->SetFocus();
    grid.grid->SetCol(4);
    EXPECT_FALSE(AskFocused(Qt::ImEnabled).toBool()) << "the quantity column";
    grid.Key(Qt::Key_Left);
    ASSERT_EQ(grid.grid->Col(), 3);
    EXPECT_TRUE(AskFocused(Qt::ImEnabled).toBool()) << "the name column";
}

}  // namespace
