// The key pipeline on real widgets of an active window: the order of the
// form's preview, KeyDown, KeyPress and the native editing, the dialog
// keys, auto-repeat, virtual-key codes and the key-state tracker.
#include "FrameworkTestSupport.h"

#include <QtCore/QAbstractEventDispatcher>
#include <QtGui/QInputMethodEvent>
#include <QtGui/QKeyEvent>
#include <QtTest/QTest>
#include <QtWidgets/QApplication>

#include <gtest/gtest.h>

#include <array>
#include <vector>

namespace {

using Log = std::vector<std::string>;

class KeysTest : public LoggedFormTest {
protected:
    void SetUp() override {
        KeyStateReset();
        e1 = Place(new TLineProbe(form.get(), log, "e1"), form.get(), 10, 10, 120, 24);
        e2 = Place(new TLineProbe(form.get(), log, "e2"), form.get(), 10, 50, 120, 24);
        ShowWithFocus(e1);
    }

    TLineProbe* e1 = nullptr;
    TLineProbe* e2 = nullptr;
};

TEST_F(KeysTest, PreviewThenKeyDownThenKeyPressThenNativeEditing) {
    KeyClick(form.get(), Qt::Key_A);
    EXPECT_EQ(log.Entries(), (Log{"FormKeyDown:65", "KeyDown:e1:65", "FormKeyPress:a", "KeyPress:e1:a", "FormKeyUp:65",
                                  "KeyUp:e1:65"}));
    EXPECT_EQ(e1->EditText(), "a");
}

TEST_F(KeysTest, KeyZeroedByThePreviewSkipsKeyDownButTheCharacterStillComes) {
    form->OnKeyDown = [this](TObject*, Word& key, TShiftState) {
        log.Add("FormKeyDown:" + KeyName(key));
        key = 0;
    };
    KeyClick(form.get(), Qt::Key_B);
    EXPECT_TRUE(log.With("KeyDown:").empty());
    EXPECT_EQ(log.With("KeyPress:"), (Log{"KeyPress:e1:b"}));
    EXPECT_EQ(e1->EditText(), "b");
}

TEST_F(KeysTest, KeyZeroedInKeyDownKeepsNavigationFromTheWidget) {
    e1->Edit()->setText("abc");
    e1->Edit()->setCursorPosition(3);
    e1->KeyDownAction = [](Word& key) {
        if (key == VK_LEFT) key = 0;
    };
    KeyClick(form.get(), Qt::Key_Left);
    EXPECT_EQ(e1->Edit()->cursorPosition(), 3);
    e1->KeyDownAction = nullptr;
    KeyClick(form.get(), Qt::Key_Left);
    EXPECT_EQ(e1->Edit()->cursorPosition(), 2);
}

TEST_F(KeysTest, CharacterZeroedByPreviewOrKeyPressNeverReachesTheWidget) {
    form->OnKeyPress = [](TObject*, WideChar& key) {
        if (key == QLatin1Char('x')) key = QChar();
    };
    e1->KeyPressAction = [](WideChar& key) {
        if (key == QLatin1Char('y')) key = QChar();
    };
    KeyClicks(form.get(), QStringLiteral("xyz"));
    EXPECT_EQ(e1->EditText(), "z");
    // The preview used 'x' up: the control never saw it.
    EXPECT_EQ(log.With("KeyPress:"), (Log{"KeyPress:e1:y", "KeyPress:e1:z"}));
}

TEST_F(KeysTest, KeyPressMayReplaceTheCharacter) {
    e1->KeyPressAction = [](WideChar& key) {
        if (key == QLatin1Char('.')) key = QLatin1Char('/');
    };
    KeyClicks(form.get(), QStringLiteral("1.2"));
    EXPECT_EQ(e1->EditText(), "1/2");
}

TEST_F(KeysTest, TabIsUsedUpEvenWhenNoControlTakesIt) {
    KeyClick(form.get(), Qt::Key_Tab);
    EXPECT_TRUE(e1->Focused());
    // The dialog step took the key-down; the key-up still reaches the control.
    EXPECT_EQ(log.Entries(), (Log{"FormKeyUp:9", "KeyUp:e1:9"}));
}

TEST_F(KeysTest, TabMovesAmongTabStopsAndShiftTabBack) {
    e1->SetTabStop(true);
    e2->SetTabStop(true);
    KeyClick(form.get(), Qt::Key_Tab);
    EXPECT_TRUE(e2->Focused());
    EXPECT_EQ(log.Entries(), (Log{"Exit:e1", "Enter:e2", "FormKeyUp:9", "KeyUp:e2:9"}));
    log.Clear();
    KeyClick(form.get(), Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_TRUE(e1->Focused());
    EXPECT_EQ(log.With("Enter:"), (Log{"Enter:e1"}));
    // Tab never types a tab character.
    EXPECT_EQ(e1->EditText(), "");
    EXPECT_EQ(e2->EditText(), "");
}

TEST_F(KeysTest, EnterKeyPressGoesToTheControlThatHadTheKeyDown) {
    e1->KeyDownAction = [this](Word& key) {
        if (key == VK_RETURN) e2->SetFocus();
    };
    KeyClick(form.get(), Qt::Key_Return);
    EXPECT_EQ(log.Entries(), (Log{"FormKeyDown:13", "KeyDown:e1:13", "Exit:e1", "Enter:e2", "FormKeyPress:#13",
                                  "KeyPress:e1:#13", "FormKeyUp:13", "KeyUp:e2:13"}));
}

TEST_F(KeysTest, AutoRepeatGivesRepeatedKeyDownsAndOneKeyUp) {
    QWidget* w = e1->Edit();
    auto send = [w](QEvent::Type type, bool repeat) {
        QKeyEvent e(type, Qt::Key_Q, Qt::NoModifier, QStringLiteral("q"), repeat);
        QApplication::sendEvent(w, &e);
    };
    send(QEvent::KeyPress, false);
    EXPECT_LT(GetKeyState('Q'), 0);
    send(QEvent::KeyRelease, true);  // X11 sends a release/press pair per repeat
    send(QEvent::KeyPress, true);
    EXPECT_LT(GetKeyState('Q'), 0);
    send(QEvent::KeyRelease, true);
    send(QEvent::KeyPress, true);
    send(QEvent::KeyRelease, false);
    EXPECT_EQ(log.With("KeyDown:").size(), 3u);
    EXPECT_EQ(log.With("KeyPress:").size(), 3u);
    EXPECT_EQ(log.With("KeyUp:"), (Log{"KeyUp:e1:81"}));
    EXPECT_EQ(e1->EditText(), "qqq");
    EXPECT_GE(GetKeyState('Q'), 0);
}

TEST_F(KeysTest, VirtualKeyCodesOfKeypadFunctionAndEditingKeys) {
    KeyClick(form.get(), Qt::Key_7, Qt::KeypadModifier);
    KeyClick(form.get(), Qt::Key_Asterisk, Qt::KeypadModifier);
    KeyClick(form.get(), Qt::Key_Enter, Qt::KeypadModifier);
    KeyClick(form.get(), Qt::Key_F5);
    KeyClick(form.get(), Qt::Key_F12);
    KeyClick(form.get(), Qt::Key_Home);
    KeyClick(form.get(), Qt::Key_Delete);
    KeyClick(form.get(), Qt::Key_Escape);
    KeyClick(form.get(), Qt::Key_Percent, Qt::ShiftModifier);
    EXPECT_EQ(log.With("KeyDown:"), (Log{"KeyDown:e1:103", "KeyDown:e1:106", "KeyDown:e1:13", "KeyDown:e1:116",
                                         "KeyDown:e1:123", "KeyDown:e1:36", "KeyDown:e1:46", "KeyDown:e1:27",
                                         "KeyDown:e1:16", "KeyDown:e1:53"}));
    // Characters: keypad digit and star, Enter, Esc and '%'; none for the others.
    EXPECT_EQ(log.With("KeyPress:"),
              (Log{"KeyPress:e1:7", "KeyPress:e1:*", "KeyPress:e1:#13", "KeyPress:e1:#27", "KeyPress:e1:%"}));
}

TEST_F(KeysTest, ControlCharactersComeFromCtrlAndBackspace) {
    e1->Edit()->setText("ab");
    e1->Edit()->setCursorPosition(2);
    KeyClick(form.get(), Qt::Key_C, Qt::ControlModifier);
    KeyClick(form.get(), Qt::Key_Backspace);
    EXPECT_EQ(log.With("KeyPress:"), (Log{"KeyPress:e1:#3", "KeyPress:e1:#8"}));
    EXPECT_EQ(e1->EditText(), "a");
}

TEST_F(KeysTest, ModifierKeyDownCarriesItsOwnShiftStateAndItsKeyUpDoesNot) {
    std::vector<std::pair<Word, bool>> seen;
    e1->OnKeyDown = [&](TObject*, Word& key, TShiftState s) { seen.emplace_back(key, s.Contains(ssShift)); };
    e1->OnKeyUp = [&](TObject*, Word& key, TShiftState s) { seen.emplace_back(key, s.Contains(ssShift)); };
    KeyPress(form.get(), Qt::Key_Shift);
    EXPECT_LT(GetKeyState(VK_SHIFT), 0);
    EXPECT_LT(GetKeyState(VK_LSHIFT), 0);
    KeyRelease(form.get(), Qt::Key_Shift);
    EXPECT_GE(GetKeyState(VK_SHIFT), 0);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0], std::make_pair(Word(VK_SHIFT), true));
    EXPECT_EQ(seen[1], std::make_pair(Word(VK_SHIFT), false));
}

TEST_F(KeysTest, KeyboardStateReadsHeldKeysWithTheHighBit) {
    KeyPress(form.get(), Qt::Key_F1);
    TKeyboardState state;
    ASSERT_TRUE(GetKeyboardState(state));
    EXPECT_EQ(state[VK_F1] & 0x80, 0x80);
    EXPECT_EQ(state[VK_F2] & 0x80, 0);
    KeyRelease(form.get(), Qt::Key_F1);
    GetKeyboardState(state);
    EXPECT_EQ(state[VK_F1] & 0x80, 0);
    // The low bit toggles once per press, so a held key may read 0x80 or 0x81.
    KeyPress(form.get(), Qt::Key_F1);
    GetKeyboardState(state);
    EXPECT_EQ(state[VK_F1], 0x80);
    KeyRelease(form.get(), Qt::Key_F1);
}

TEST_F(KeysTest, KeyReleasesTakenByAModalWindowStillClearTheState) {
    form->OnKeyDown = [this](TObject*, Word& key, TShiftState) {
        if (key != VK_F3) return;
        TForm modal(nullptr);
        modal.SetBounds(150, 150, 200, 100);
        WhenModalShown([](QWidget* w) {
            QTest::keyRelease(w, Qt::Key_F3);
            QApplication::postEvent(w, new QCloseEvent);
        });
        modal.ShowModal();
        log.Add(GetKeyState(VK_F3) < 0 ? "held" : "released");
    };
    KeyPress(form.get(), Qt::Key_F3);
    EXPECT_EQ(log.With("held").size() + log.With("released").size(), 1u);
    EXPECT_EQ(log.With("released").size(), 1u);
}

// The X server's press and release of a key read in one go, before Qt
// delivers the press: the key is not held once the press arrives, and it
// toggled once.
TEST_F(KeysTest, AnXKeyPressDeliveredAfterItsReleaseWasReadLeavesTheKeyReleased) {
    constexpr quint8 kF12Code = 96;
    auto xEvent = [](quint8 type) {
        std::array<quint8, 32> event{};
        event[0] = type;
        event[1] = kF12Code;
        qintptr result = 0;
        QAbstractEventDispatcher::instance()->filterNativeEvent("xcb_generic_event_t", event.data(), &result);
    };
    const SmallInt before = GetKeyState(VK_F12);
    xEvent(2);
    EXPECT_LT(GetKeyState(VK_F12), 0);
    xEvent(3);
    std::vector<bool> heldInKeyDown;
    e1->OnKeyDown = [&](TObject*, Word& key, TShiftState) {
        if (key == VK_F12) heldInKeyDown.push_back(GetKeyState(VK_F12) < 0);
    };
    QKeyEvent press(QEvent::KeyPress, Qt::Key_F12, Qt::NoModifier, kF12Code, 0, 0);
    QApplication::sendEvent(QApplication::focusWidget(), &press);
    EXPECT_EQ(heldInKeyDown, std::vector<bool>{false});
    EXPECT_GE(GetKeyState(VK_F12), 0);
    EXPECT_EQ(GetKeyState(VK_F12) & 1, (before & 1) ^ 1);
    // Keys made without the server still count as they are delivered.
    KeyPress(form.get(), Qt::Key_F12);
    EXPECT_LT(GetKeyState(VK_F12), 0);
    KeyRelease(form.get(), Qt::Key_F12);
    EXPECT_GE(GetKeyState(VK_F12), 0);
}

// ---- input method

class ImeTest : public KeysTest {
protected:
    void Commit(const QString& preedit, const QString& commit) {
        QInputMethodEvent e(preedit, {});
        e.setCommitString(commit);
        QApplication::sendEvent(e1->Edit(), &e);
    }
};

TEST_F(ImeTest, CommitArrivesAsOneKeyPressPerCodePointWithTheReadingOfTheLastKanaPreedit) {
    Commit(QStringLiteral("や"), QString());
    Commit(QStringLiteral("やま"), QString());
    Commit(QStringLiteral("やまだ"), QString());
    Commit(QStringLiteral("山田"), QString());
    EXPECT_TRUE(log.With("KeyPress:").empty());
    EXPECT_EQ(e1->Edit()->text(), "");  // the preedit is not text yet
    Commit(QString(), QStringLiteral("山田"));
    EXPECT_EQ(log.With("KeyPress:"), (Log{"KeyPress:e1:山", "KeyPress:e1:田"}));
    EXPECT_EQ(log.With("FormKeyPress:"), (Log{"FormKeyPress:山", "FormKeyPress:田"}));
    EXPECT_EQ(e1->EditText(), "山田");
    EXPECT_EQ(ImmGetCompositionString(ImmGetContext(e1), GCS_RESULTREADSTR), "ﾔﾏﾀﾞ");
    EXPECT_EQ(ImmGetCompositionString(ImmGetContext(e2), GCS_RESULTSTR), "山田");
    // WM_IME_COMPOSITION comes after the characters, flagged with the reading.
    const auto ime = log.With("Ime:");
    ASSERT_FALSE(ime.empty());
    EXPECT_EQ(ime.back(), "Ime:e1:" + std::to_string(GCS_RESULTSTR | GCS_RESULTREADSTR));
    EXPECT_GT(std::find(log.Entries().begin(), log.Entries().end(), ime.back()),
              std::find(log.Entries().begin(), log.Entries().end(), "KeyPress:e1:田"));
}

TEST_F(ImeTest, ACharacterZeroedInKeyPressIsNotInserted) {
    e1->KeyPressAction = [](WideChar& key) {
        if (key == QChar(u'田')) key = QChar();
    };
    Commit(QString(), QStringLiteral("山田川"));
    EXPECT_EQ(e1->EditText(), "山川");
}

TEST_F(ImeTest, ACommittedKanaTextIsItsOwnReading) {
    Commit(QStringLiteral("かたかな"), QString());
    Commit(QString(), QStringLiteral("カタカナ"));
    EXPECT_EQ(ImmGetCompositionString(ImmGetContext(e1), GCS_RESULTREADSTR), "ｶﾀｶﾅ");
}

TEST_F(ImeTest, TheReadingSourceCanBeReplaced) {
    struct FixedSource : TImeReadingSource {
        int preedits = 0;
        void Preedit(const QString&) override { ++preedits; }
        QString Commit(const QString&) override { return QStringLiteral("ﾖﾐ"); }
        void Reset() override {}
    };
    auto source = std::make_unique<FixedSource>();
    FixedSource* raw = source.get();
    SetImeReadingSource(std::move(source));
    Commit(QStringLiteral("よみ"), QString());
    Commit(QString(), QStringLiteral("読み"));
    EXPECT_EQ(raw->preedits, 1);
    EXPECT_EQ(ImmGetCompositionString(ImmGetContext(e1), GCS_RESULTREADSTR), "ﾖﾐ");
    SetImeReadingSource(nullptr);
}

// Golden values from ICU: uconv -x 'Hiragana-Katakana; Fullwidth-Halfwidth'.
TEST(Ime, HalfWidthKatakanaMatchesIcu) {
    EXPECT_EQ(ToHalfWidthKatakana(QStringLiteral("やまだ")), "ﾔﾏﾀﾞ");
    EXPECT_EQ(ToHalfWidthKatakana(QStringLiteral("がっこう")), "ｶﾞｯｺｳ");
    EXPECT_EQ(ToHalfWidthKatakana(QStringLiteral("ぱーてぃー")), "ﾊﾟｰﾃｨｰ");
    EXPECT_EQ(ToHalfWidthKatakana(QStringLiteral("ヴァイオリン")), "ｳﾞｧｲｵﾘﾝ");
    EXPECT_EQ(ToHalfWidthKatakana(QStringLiteral("ゐゑをん")), "ヰヱｦﾝ");
    EXPECT_EQ(ToHalfWidthKatakana(QStringLiteral("ゎヵヶ")), "ヮヵヶ");
    EXPECT_EQ(ToHalfWidthKatakana(QStringLiteral("・「」。、")), "･｢｣｡､");
    EXPECT_TRUE(IsKanaText(QStringLiteral("やまだー")));
    EXPECT_FALSE(IsKanaText(QStringLiteral("山田")));
    EXPECT_FALSE(IsKanaText(QString()));
}

}  // namespace
