// File dialogs and input boxes: what they ask, what they give back, and the
// real Qt dialogs driven with keys.
#include "Dialogs.h"
#include "FrameworkTestSupport.h"

#include <QtCore/QDir>
#include <QtCore/QFile>
#include <QtCore/QTemporaryDir>
#include <QtGui/QFontMetrics>
#include <QtTest/QTest>
#include <QtWidgets/QFileDialog>
#include <QtWidgets/QLineEdit>

#include <gtest/gtest.h>

namespace {

TEST(FileDialogFilters, DescriptionsGetTheirPatternsOnce) {
    EXPECT_EQ(FileDialogNameFilters("Report file (*.VOZ)|*.VOZ"), QStringList{"Report file (*.VOZ)"});
    EXPECT_EQ(FileDialogNameFilters("Pictures|*.bmp;*.jpg|All|*.*"),
              (QStringList{"Pictures (*.bmp *.jpg)", "All (*.*)"}));
    // A description without its mask, a mask without a description.
    EXPECT_EQ(FileDialogNameFilters("Text|*.txt|Odd"), (QStringList{"Text (*.txt)", "Odd (*)"}));
    EXPECT_EQ(FileDialogNameFilters("|*.csv"), QStringList{"(*.csv)"});
    EXPECT_TRUE(FileDialogNameFilters("").isEmpty());
}

class FileDialogHookTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetFileDialogHook([this](TFileDialogRequest& r) {
            asked.push_back(r);
            if (answerName.isEmpty()) return false;
            r.FileName = answerName;
            r.FilterIndex = answerIndex;
            return true;
        });
    }
    void TearDown() override { SetFileDialogHook(nullptr); }

    std::vector<TFileDialogRequest> asked;
    QString answerName;
    Integer answerIndex = 1;
};

TEST_F(FileDialogHookTest, SaveAsksWithItsSettingsAndAddsTheDefaultExtension) {
    TSaveDialog dialog(nullptr);
    dialog.SetTitle("Save report");
    dialog.SetFilter(".VOZ|*.VOZ|Text|*.TXT");
    dialog.SetFilterIndex(2);
    dialog.SetDefaultExt(".VOZ");
    dialog.SetFileName("*.VOZ");
    answerName = "/tmp/out/report";
    ASSERT_TRUE(dialog.Execute());
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].Kind, TFileDialogKind::Save);
    EXPECT_EQ(asked[0].Title, "Save report");
    EXPECT_EQ(asked[0].NameFilters, (QStringList{".VOZ (*.VOZ)", "Text (*.TXT)"}));
    EXPECT_EQ(asked[0].FilterIndex, 2);
    EXPECT_EQ(asked[0].FileName, "*.VOZ");
    EXPECT_EQ(dialog.FileName(), "/tmp/out/report.VOZ");
    EXPECT_EQ(dialog.FilterIndex(), 1);
    EXPECT_EQ(dialog.DefaultExt(), "VOZ");

    // A name with an extension keeps it.
    answerName = "/tmp/out/report.txt";
    answerIndex = 2;
    ASSERT_TRUE(dialog.Execute());
    EXPECT_EQ(dialog.FileName(), "/tmp/out/report.txt");
    EXPECT_EQ(dialog.FilterIndex(), 2);
}

TEST_F(FileDialogHookTest, CancelChangesNothingAndABadIndexShowsTheFirstLine) {
    TOpenDialog dialog(nullptr);
    dialog.SetFilter("A|*.a|B|*.b");
    dialog.SetFilterIndex(7);
    dialog.SetFileName("keep.a");
    EXPECT_FALSE(dialog.Execute());
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].Kind, TFileDialogKind::Open);
    EXPECT_EQ(asked[0].FilterIndex, 1);
    EXPECT_EQ(dialog.FileName(), "keep.a");
    EXPECT_EQ(dialog.FilterIndex(), 7);
}

// The real dialogs, answered by keys typed into them.
class RealDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        for (const char* name : {"page.voz", "notes.txt"}) {
            QFile f(dir.filePath(name));
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        }
    }
    QTemporaryDir dir;
};

TEST_F(RealDialogTest, OpenDialogTakesATypedNameAndTheChosenFilter) {
    TOpenDialog dialog(nullptr);
    dialog.SetTitle("Load report");
    dialog.SetFilter("Report file (*.VOZ)|*.VOZ|Text|*.txt");
    dialog.SetInitialDir(dir.path());
    QStringList shownFilters;
    QString shownTitle;
    WhenModalShown([&](QWidget* modal) {
        auto* fd = qobject_cast<QFileDialog*>(modal);
        ASSERT_NE(fd, nullptr);
        shownFilters = fd->nameFilters();
        shownTitle = fd->windowTitle();
        fd->selectNameFilter(shownFilters.value(1));
        auto* edit = fd->findChild<QLineEdit*>("fileNameEdit");
        ASSERT_NE(edit, nullptr);
        QTest::keyClicks(edit, "notes.txt");
        QTest::keyClick(edit, Qt::Key_Return);
    });
    ASSERT_TRUE(dialog.Execute());
    EXPECT_EQ(shownTitle, "Load report");
    EXPECT_EQ(shownFilters, (QStringList{"Report file (*.VOZ)", "Text (*.txt)"}));
    EXPECT_EQ(QFileInfo(dialog.FileName()).canonicalFilePath(), QFileInfo(dir.filePath("notes.txt")).canonicalFilePath());
    EXPECT_EQ(dialog.FilterIndex(), 2);
}

TEST_F(RealDialogTest, EscapeCancelsTheSaveDialog) {
    TSaveDialog dialog(nullptr);
    dialog.SetFilter("Report|*.VOZ");
    dialog.SetFileName(dir.filePath("proposed.VOZ"));
    QString proposed;
    WhenModalShown([&](QWidget* modal) {
        auto* edit = modal->findChild<QLineEdit*>("fileNameEdit");
        ASSERT_NE(edit, nullptr);
        proposed = edit->text();
        QTest::keyClick(edit, Qt::Key_Escape);
    });
    EXPECT_FALSE(dialog.Execute());
    EXPECT_EQ(proposed, "proposed.VOZ");
    EXPECT_EQ(dialog.FileName(), dir.filePath("proposed.VOZ"));
}

TEST(InputBox, EnterGivesTheTypedTextAndEscapeTheDefault) {
    QString prompt;
    WhenModalShown([&](QWidget* modal) {
        modal->activateWindow();
        auto* edit = modal->findChild<QLineEdit*>();
        ASSERT_NE(edit, nullptr);
        prompt = modal->windowTitle();
        EXPECT_EQ(edit->selectedText(), "3");  // the default, selected: typing replaces it
        QTest::keyClicks(edit, "12");
        QTest::keyClick(edit, Qt::Key_Return);
    });
    EXPECT_EQ(InputBox("Select a page from 1 to 20", "Enter page number", "3"), "12");
    EXPECT_EQ(prompt, "Select a page from 1 to 20");

    WhenModalShown([](QWidget* modal) {
        auto* edit = modal->findChild<QLineEdit*>();
        QTest::keyClicks(edit, "99");
        QTest::keyClick(edit, Qt::Key_Escape);
    });
    EXPECT_EQ(InputBox("Go to", "Page", "3"), "3");
}

// The window manager writes the caption in bold beside the window's icon
// and three buttons (some 100 pixels): a long caption widens the box.
TEST(InputBox, IsWideEnoughForItsWholeCaption) {
    const QString caption = QStringLiteral("Select a page from 1 to 18556");
    int width = 0, needed = 0;
    WhenModalShown([&](QWidget* modal) {
        QFont bold = modal->font();
        bold.setBold(true);
        needed = QFontMetrics(bold).horizontalAdvance(caption) + 100;
        width = modal->width();
        modal->close();
    });
    InputBox(caption, QStringLiteral("Enter page number"), QStringLiteral("18556"));
    EXPECT_GE(width, needed);
}

TEST(InputBox, HookAnswersInsteadOfTheBox) {
    std::vector<TInputQueryRequest> asked;
    SetInputQueryHook([&](TInputQueryRequest& r) {
        asked.push_back(r);
        r.Value = "7";
        return asked.size() == 1;  // OK the first time, Cancel after
    });
    QString value = "1";
    EXPECT_TRUE(InputQuery("C", "P", value));
    EXPECT_EQ(value, "7");
    EXPECT_EQ(InputBox("C", "P", "2"), "2");
    SetInputQueryHook(nullptr);
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_EQ(asked[0].Caption, "C");
    EXPECT_EQ(asked[0].Prompt, "P");
    EXPECT_EQ(asked[0].Value, "1");
    EXPECT_EQ(asked[1].Value, "2");
}

}  // namespace
