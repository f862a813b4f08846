// Message boxes and beeps: what each call asks, the real box's Japanese
// buttons and answers, and the hooks tests use.
#include "Dialogs.h"
#include "FrameworkTestSupport.h"

#include <QtTest/QTest>
#include <QtWidgets/QAbstractButton>
#include <QtWidgets/QMessageBox>

#include <gtest/gtest.h>

namespace {

class DialogsTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetMessageBoxHook([this](const TMessageBoxRequest& r) {
            asked.push_back(r);
            return answer;
        });
    }
    void TearDown() override {
        SetMessageBoxHook(nullptr);
        SetBeepHook(nullptr);
    }
    std::vector<TMessageBoxRequest> asked;
    Integer answer = IDOK;
};

TEST_F(DialogsTest, YesNoBoxAsksYesFirstAndEscGivesNo) {
    answer = IDYES;
    const Integer result = MessageBox(nullptr, QStringLiteral("内容が変更されていますが、終了してもよろしいですか？"),
                                      QStringLiteral("確認"), MB_YESNO);
    EXPECT_EQ(result, IDYES);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].Caption, "確認");
    EXPECT_EQ(asked[0].Buttons, (std::vector<Integer>{IDYES, IDNO}));
    EXPECT_EQ(asked[0].DefaultButton, IDYES);
    EXPECT_EQ(asked[0].EscapeButton, IDNO);
    EXPECT_EQ(IDYES, 6);
    EXPECT_EQ(IDNO, 7);
}

TEST_F(DialogsTest, ButtonSetsDefaultsAndEscapeAnswers) {
    const auto yesNoCancel = MessageBoxRequest(nullptr, QString(), QString(), MB_YESNOCANCEL | MB_DEFBUTTON2);
    EXPECT_EQ(yesNoCancel.Buttons, (std::vector<Integer>{IDYES, IDNO, IDCANCEL}));
    EXPECT_EQ(yesNoCancel.DefaultButton, IDNO);
    EXPECT_EQ(yesNoCancel.EscapeButton, IDCANCEL);
    const auto ok = MessageBoxRequest(nullptr, QString(), QString(), MB_OK | MB_ICONSTOP);
    EXPECT_EQ(ok.Buttons, std::vector<Integer>{IDOK});
    EXPECT_EQ(ok.EscapeButton, IDOK);
    EXPECT_EQ(ok.Type, mtError);
    const auto retry = MessageBoxRequest(nullptr, QString(), QString(), MB_ABORTRETRYIGNORE | MB_DEFBUTTON3);
    EXPECT_EQ(retry.DefaultButton, IDIGNORE);
    EXPECT_EQ(retry.EscapeButton, 0);
    // A default beyond the buttons falls back to the first.
    EXPECT_EQ(MessageBoxRequest(nullptr, QString(), QString(), MB_OK | MB_DEFBUTTON3).DefaultButton, IDOK);
}

TEST_F(DialogsTest, ShowMessageAndMessageDlgCaptions) {
    Application->SetTitle(QStringLiteral("カスタムコンポーネント・デモ"));
    ShowMessage(QStringLiteral("最大値が最小値を下回っています"));
    answer = mrNo;
    EXPECT_EQ(MessageDlg(QStringLiteral("削除しますか？"), mtConfirmation, {mbYes, mbNo}, 0), mrNo);
    MessageDlg(QStringLiteral("x"), mtWarning, {mbOK}, 0);
    MessageDlg(QStringLiteral("x"), mtCustom, {mbOK, mbCancel}, 0);
    ASSERT_EQ(asked.size(), 4u);
    EXPECT_EQ(asked[0].Caption, "カスタムコンポーネント・デモ");
    EXPECT_EQ(asked[0].Buttons, std::vector<Integer>{IDOK});
    EXPECT_EQ(asked[1].Caption, "確認");
    EXPECT_EQ(asked[1].Buttons, (std::vector<Integer>{mrYes, mrNo}));
    EXPECT_EQ(asked[2].Caption, "警告");
    EXPECT_EQ(asked[3].Caption, "カスタムコンポーネント・デモ");
    EXPECT_EQ(asked[3].EscapeButton, mrCancel);
}

TEST_F(DialogsTest, BeepsGoThroughTheHook) {
    std::vector<Cardinal> beeps;
    SetBeepHook([&](Cardinal type) { beeps.push_back(type); });
    MessageBeep(0);
    Beep();
    MessageBeep(MB_ICONEXCLAMATION);
    EXPECT_EQ(beeps, (std::vector<Cardinal>{0, 0, MB_ICONEXCLAMATION}));
}

TEST(DialogsReal, TheRealBoxShowsJapaneseButtonsAndEnterAnswersTheDefault) {
    EventLog log;
    TLoggedForm owner(log);
    owner.ShowActive();
    QStringList texts;
    QString title;
    WhenModalShown([&](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        ASSERT_NE(box, nullptr);
        title = box->windowTitle();
        for (QAbstractButton* b : box->buttons()) texts << b->text();
        QTest::keyClick(box, Qt::Key_Return);
    });
    EXPECT_EQ(MessageBox(&owner, QStringLiteral("よろしいですか？"), QStringLiteral("確認"), MB_YESNO), IDYES);
    EXPECT_EQ(title, "確認");
    texts.sort();
    QStringList expected{QStringLiteral("はい(&Y)"), QStringLiteral("いいえ(&N)")};
    expected.sort();
    EXPECT_EQ(texts, expected);
    EXPECT_EQ(MessageButtonCaption(IDOK), "OK");
    EXPECT_EQ(MessageButtonCaption(IDCANCEL), "キャンセル");
}

TEST(DialogsReal, EscapeOnAnOkBoxAnswersOk) {
    WhenModalShown([](QWidget* w) { QTest::keyClick(w, Qt::Key_Escape); });
    EXPECT_EQ(MessageBox(nullptr, QStringLiteral("完了"), QString(), MB_OK), IDOK);
}

}  // namespace
