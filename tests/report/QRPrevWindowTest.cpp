// The standard preview window driven by real keys, clicks and the wheel:
// toolbar, pages, go to, search, save and load, printing and stopping a
// print, progress, a damaged file, a report still running, and a 1,000-page
// report.
#include "QRCtrls.h"
#include "QRPrev.h"
#include "QRPrevTestSupport.h"
#include "QRPrgres.h"
#include "QRPrntrPrinterSupport.h"
#include "QRSearchDlg.h"

#include "Buttons.h"
#include "Clipbrd.h"
#include "ComCtrls.h"
#include "DialogTestSupport.h"
#include "Dialogs.h"
#include "Grids.h"
#include "PdfTools.h"
#include "StdCtrls.h"
#include "StdCtrlsEdit.h"
#include "TestSupport.h"
#include "WidgetTestSupport.h"

#include <QtCore/QDir>
#include <QtCore/QElapsedTimer>
#include <QtCore/QFile>
#include <QtCore/QTimer>
#include <QtGui/QImage>
#include <QtGui/QWheelEvent>
#include <QtTest/QTest>
#include <QtWidgets/QApplication>
#include <QtWidgets/QCheckBox>
#include <QtWidgets/QListWidget>
#include <QtWidgets/QRadioButton>
#include <QtWidgets/QSpinBox>
#include <QtWidgets/QTabBar>
#include <QtWidgets/QWidget>
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <tuple>
#include <utility>

namespace {

// Calls act with the first form of type T once one is on the screen.
template <class T>
void WhenShown(std::function<void(T*)> act) {
    auto* timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, [timer, act] {
        for (Integer i = 0; i < Screen->FormCount(); ++i) {
            auto* form = dynamic_cast<T*>(Screen->Forms(i));
            if (!form || !form->Visible()) continue;
            timer->stop();
            timer->deleteLater();
            EXPECT_TRUE(QTest::qWaitForWindowActive(WindowOf(form)));
            act(form);
            return;
        }
    });
    timer->start(5);
}

class QRStandardPreviewTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetMessageBoxHook([this](const TMessageBoxRequest& request) {
            messages.push_back(request.Text);
            return IDOK;
        });
    }
    void TearDown() override {
        SetMessageBoxHook(nullptr);
        SetInputQueryHook(nullptr);
        SetFileDialogHook(nullptr);
        if (auto alive = guard.lock(); alive && *alive) delete window;
    }

    TQRStandardPreview* Open(TQRPrinter& printer) {
        window = new TQRStandardPreview(nullptr, &printer);
        guard = window->Guard();
        window->SetWindowState(wsNormal);
        window->SetClientSize(740, 499);
        window->Show();
        ShowActive(window);
        return window;
    }
    bool WindowAlive() const {
        auto alive = guard.lock();
        return alive && *alive;
    }
    Integer Page() const { return window->QRPreview->PageNumber(); }
    QString Panel(int index) const { return window->StatusBar->Panels()->Items(index)->Text(); }
    void Key(Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) { KeyClick(window, key, mods); }
    // A wheel notch over the page, delivered as the window system does.
    void Wheel(int delta) {
        QWidget* target = window->QRPreview->PreviewImage()->Handle();
        const QPointF local(20, 20);
        QWheelEvent event(local, target->mapToGlobal(local), QPoint(), QPoint(0, delta), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(target, &event);
    }
    // Runs act on the search dialog once it is up, then returns.
    void Search(const QString& text, bool matchCase) {
        WhenShown<TSearchDlg>([=](TSearchDlg* dialog) {
            EXPECT_EQ(dialog->Caption(), "Search for Text");
            dialog->Edit1->SetText(text);
            if (matchCase) {
                // On the box itself, left of its text.
                const TPoint box = dialog->ScreenToClient(dialog->CheckBox1->ClientToScreen(TPoint(8, 10)));
                MouseClick(dialog, QPoint(box.X, box.Y));
                EXPECT_TRUE(dialog->CheckBox1->Checked());
            }
            ClickControl(dialog->SpeedButton2);
        });
        ClickControl(window->FindButton);
    }
    // Runs act once a search is under way (when it lets the window answer).
    void DuringSearch(std::function<void()> act) {
        auto* timer = new QTimer;
        QObject::connect(timer, &QTimer::timeout, [this, timer, act] {
            if (!window->Searching()) return;
            timer->stop();
            timer->deleteLater();
            act();
        });
        timer->start(0);
    }
    void ClickResultLine(int row) {
        auto* list = qobject_cast<QListWidget*>(window->SearchResultBox->Handle());
        ASSERT_NE(list, nullptr);
        MouseClick(window, list->viewport()->mapTo(list->window(), list->visualItemRect(list->item(row)).center()));
    }
    QStringList ResultLines() const {
        QStringList lines;
        TStrings* items = window->SearchResultBox->Items();
        for (Integer i = 0; i < items->Count(); ++i) lines << items->Strings(i);
        return lines;
    }

    TPdfFolder pdf;
    TQRStandardPreview* window = nullptr;
    std::weak_ptr<TControl*> guard;
    QStringList messages;
};

TEST_F(QRStandardPreviewTest, WindowTextsAndTheToolbarPagesAndZoom) {
    TQRPrinter printer;
    printer.Title = QStringLiteral("Monthly sales");
    ProducePages(printer, 5);
    Open(printer);
    EXPECT_EQ(window->Caption(), "Report Preview : Monthly sales");
    EXPECT_EQ(window->TabThumbs->Caption(), "ThumbNails");
    EXPECT_EQ(window->TabSearchResult->Caption(), "Search Results");
    EXPECT_EQ(window->GroupBox1->Caption(), "Search Text");
    EXPECT_EQ(window->ExitButton->Caption(), "&Close");
    EXPECT_EQ(window->copybutton->Hint(), "Copy page to clipboard");
    EXPECT_EQ(window->ZoomFit->Hint(), "Zoom to fit");
    EXPECT_TRUE(window->Print->Enabled());
    EXPECT_FALSE(window->CancelButton->Enabled());
    EXPECT_TRUE(window->Zoom100->Down());
    EXPECT_EQ(window->QRPreview->Zoom(), 100);
    EXPECT_EQ(window->ThumbGrid->RowCount(), 5);
    EXPECT_EQ(Panel(1), "Page 1 of 5");
    EXPECT_EQ(Panel(2), "Monthly sales");

    ClickControl(window->nextPage);
    EXPECT_EQ(Page(), 2);
    EXPECT_EQ(Panel(1), "Page 2 of 5");
    EXPECT_EQ(window->ThumbGrid->Row(), 1);
    ClickControl(window->LastPage);
    EXPECT_EQ(Page(), 5);
    ClickControl(window->nextPage);
    EXPECT_EQ(Page(), 5);
    ClickControl(window->PreviousPage);
    EXPECT_EQ(Page(), 4);
    ClickControl(window->FirstPage);
    EXPECT_EQ(Page(), 1);
    ClickControl(window->PreviousPage);
    EXPECT_EQ(Page(), 1);

    ClickControl(window->ZoomFit);
    EXPECT_EQ(window->QRPreview->ZoomState(), qrZoomToFit);
    EXPECT_TRUE(window->ZoomFit->Down());
    EXPECT_LE(window->QRPreview->PreviewImage()->Height(), window->QRPreview->ClientHeight());
    ClickControl(window->ZoomToWidth);
    EXPECT_EQ(window->QRPreview->ZoomState(), qrZoomToWidth);
    EXPECT_FALSE(window->ZoomFit->Down());
    ClickControl(window->Zoom100);
    EXPECT_EQ(window->QRPreview->Zoom(), 100);
    EXPECT_EQ(window->QRPreview->ZoomState(), qrZoomOther);

    // A thumbnail clicked shows its page.
    const TRect cell = window->ThumbGrid->CellRect(0, 2);
    const TPoint at = window->ThumbGrid->ClientToScreen(TPoint(cell.Left + 20, cell.Top + 20));
    const TPoint client = window->ScreenToClient(at);
    MouseClick(window, QPoint(client.X, client.Y));
    EXPECT_EQ(Page(), 3);
    QTest::qWait(20);
    SaveTestImage(GrabControl(window), "qrprev_window");

    ClickControl(window->ExitButton);
    QTest::qWait(10);
    EXPECT_FALSE(WindowAlive());
    EXPECT_EQ(printer.PreviewControl(), nullptr);
}

TEST_F(QRStandardPreviewTest, KeysFlipPagesAndTheWheelTurnsTheWayItIsTurned) {
    TQRPrinter printer;
    ProducePages(printer, 6);
    Open(printer);
    Key(Qt::Key_PageDown);
    EXPECT_EQ(Page(), 2);
    Key(Qt::Key_PageDown, Qt::ControlModifier);
    EXPECT_EQ(Page(), 6);
    Key(Qt::Key_PageUp);
    EXPECT_EQ(Page(), 5);
    Key(Qt::Key_PageUp, Qt::ControlModifier);
    EXPECT_EQ(Page(), 1);
    Key(Qt::Key_PageDown, Qt::ControlModifier | Qt::ShiftModifier);  // not exactly Ctrl: one page on
    EXPECT_EQ(Page(), 2);
    Key(Qt::Key_End);
    EXPECT_EQ(Page(), 6);
    Key(Qt::Key_Home);
    EXPECT_EQ(Page(), 1);

    // At zoom 100 the page scrolls before it flips.
    TControlScrollBar* bar = window->QRPreview->VertScrollBar();
    Key(Qt::Key_Up);
    EXPECT_EQ(Page(), 1);
    EXPECT_EQ(bar->Position(), 0);
    Key(Qt::Key_Down);
    EXPECT_EQ(Page(), 1);
    EXPECT_EQ(bar->Position(), bar->Increment());
    bar->SetPosition(bar->Range() - window->QRPreview->ClientHeight());
    Key(Qt::Key_Down);
    EXPECT_EQ(Page(), 2);
    EXPECT_EQ(bar->Position(), 0);
    Key(Qt::Key_Up);
    EXPECT_EQ(Page(), 1);
    EXPECT_GT(bar->Position(), 0);  // at the bottom of the page before

    // A page that fits flips with every notch.
    ClickControl(window->ZoomFit);
    Wheel(-120);
    EXPECT_EQ(Page(), 2);
    Wheel(-120);
    EXPECT_EQ(Page(), 3);
    Wheel(120);
    EXPECT_EQ(Page(), 2);
    Wheel(120);
    EXPECT_EQ(Page(), 1);
    Wheel(120);
    EXPECT_EQ(Page(), 1);

    Key(Qt::Key_Escape);
    QTest::qWait(10);
    EXPECT_FALSE(WindowAlive());
}

TEST_F(QRStandardPreviewTest, GoToPageTakesANumberAndShowsPageOneForAnythingElse) {
    TQRPrinter printer;
    ProducePages(printer, 5);
    Open(printer);
    QString answer;
    TInputQueryRequest asked;
    bool pressOk = true;
    SetInputQueryHook([&](TInputQueryRequest& request) {
        asked = request;
        request.Value = answer;
        return pressOk;
    });
    answer = QStringLiteral("4");
    ClickControl(window->GotoPageButton);
    EXPECT_EQ(asked.Caption, "Select a page from 1 to 5");
    EXPECT_EQ(asked.Prompt, "Enter page number");
    EXPECT_EQ(asked.Value, "1");
    EXPECT_EQ(Page(), 4);
    for (const char* text : {"0", "6", "abc", "", "-2"}) {
        ClickControl(window->LastPage);
        answer = QString::fromLatin1(text);
        ClickControl(window->GotoPageButton);
        EXPECT_EQ(Page(), 1) << text;
    }
    // Cancel gives back the default text: the page stays.
    ClickControl(window->nextPage);
    pressOk = false;
    ClickControl(window->GotoPageButton);
    EXPECT_EQ(Page(), 2);
}

TEST_F(QRStandardPreviewTest, SearchListsThePagesWithTheTextLatinAndJapanese) {
    TQRPrinter printer;
    ProducePages(printer, 4);
    Open(printer);
    Search(QStringLiteral("第3頁"), false);
    EXPECT_EQ(ResultLines(), QStringList{"Page 3"});
    EXPECT_TRUE(window->SearchResultBox->Enabled());
    EXPECT_EQ(window->SearchTextLabel->Caption(), "第3頁");
    EXPECT_EQ(window->Tabs->ActivePage(), window->TabSearchResult);

    Search(QStringLiteral("invoice line"), false);
    EXPECT_EQ(ResultLines(), (QStringList{"Page 1", "Page 2", "Page 3", "Page 4"}));
    ClickResultLine(2);
    EXPECT_EQ(Page(), 3);
    ClickResultLine(3);
    EXPECT_EQ(Page(), 4);

    Search(QStringLiteral("invoice line"), true);
    EXPECT_EQ(ResultLines(), QStringList{"No matching text"});
    EXPECT_FALSE(window->SearchResultBox->Enabled());
    Search(QStringLiteral("Invoice line 2 T"), true);
    EXPECT_EQ(ResultLines(), QStringList{"Page 2"});

    // Cancelled: the list stays as it was.
    WhenShown<TSearchDlg>([](TSearchDlg* dialog) { ClickControl(dialog->SpeedButton1); });
    ClickControl(window->FindButton);
    EXPECT_EQ(ResultLines(), QStringList{"Page 2"});
}

TEST_F(QRStandardPreviewTest, ALongSearchListsAsItGoesAndEscCancelOrClosingStopsIt) {
    constexpr int kPages = 200;
    TQRPrinter printer;
    ProducePages(printer, kPages);
    Open(printer);
    qsizetype listedWhileRunning = 0;
    DuringSearch([&] {
        listedWhileRunning = ResultLines().size();
        EXPECT_FALSE(window->FindButton->Enabled());
        Key(Qt::Key_Escape);
    });
    Search(QStringLiteral("invoice line"), false);
    EXPECT_GT(listedWhileRunning, 0);
    EXPECT_LT(ResultLines().size(), kPages);
    ASSERT_TRUE(WindowAlive());
    EXPECT_TRUE(window->FindButton->Enabled());

    DuringSearch([&] { ClickControl(window->CancelButton); });
    Search(QStringLiteral("invoice line"), false);
    EXPECT_LT(ResultLines().size(), kPages);
    EXPECT_FALSE(window->CancelButton->Enabled());

    DuringSearch([&] { window->Close(); });
    Search(QStringLiteral("invoice line"), false);
    QTest::qWait(10);
    EXPECT_FALSE(WindowAlive());
}

TEST_F(QRStandardPreviewTest, TheFocusedResultsListAloneTakesThePageKeys) {
    TQRPrinter printer;
    ProducePages(printer, 5);
    Open(printer);
    Search(QStringLiteral("Invoice line 1 "), true);
    ASSERT_EQ(ResultLines(), QStringList{"Page 1"});
    ClickResultLine(0);
    ASSERT_EQ(window->ActiveControl(), window->SearchResultBox);
    for (Qt::Key key : {Qt::Key_PageDown, Qt::Key_End, Qt::Key_Down}) {
        Key(key);  // the one line cannot move: nor does the page
        EXPECT_EQ(Page(), 1) << key;
    }
    ClickControl(window->ZoomFit);
    Wheel(-120);  // the wheel still turns the page
    EXPECT_EQ(Page(), 2);
}

TEST_F(QRStandardPreviewTest, EnterInTheSearchDialogSearchesAndTheDialogStaysOverTheWindow) {
    TQRPrinter printer;
    ProducePages(printer, 3);
    Open(printer);
    WhenShown<TSearchDlg>([](TSearchDlg* dialog) {
        EXPECT_TRUE(WindowOf(dialog)->flags().testFlag(Qt::WindowStaysOnTopHint));
        KeyClicks(dialog, QStringLiteral("line 2"));
        KeyClick(dialog, Qt::Key_Return);
        if (dialog->Cancelled()) ClickControl(dialog->SpeedButton1);  // Enter did nothing: leave
    });
    ClickControl(window->FindButton);
    EXPECT_EQ(ResultLines(), QStringList{"Page 2"});
}

TEST_F(QRStandardPreviewTest, FiveDigitPagesAndBothSideTabsShowWhole) {
    constexpr int kPages = 10000;
    TQRPrinter printer;
    printer.BeginDoc();
    for (int n = 0; n < kPages; ++n) printer.NewPage();
    printer.EndDoc();
    Open(printer);
    Key(Qt::Key_End);
    ASSERT_EQ(Panel(1), QStringLiteral("Page %1 of %1").arg(kPages));
    ShowAndGrab(window, QStringLiteral("preview_five_digit_pages"));
    EXPECT_GE(window->StatusBar->PanelRect(1).Width(), window->StatusBar->Canvas()->TextWidth(Panel(1)) + 4);

    auto* tabs = window->Tabs->Handle()->findChild<QTabBar*>();
    ASSERT_NE(tabs, nullptr);
    for (TTabSheet* shown : {window->TabSearchResult, window->TabThumbs}) {
        window->Tabs->SetActivePage(shown);
        for (int i = 0; i < tabs->count(); ++i) {
            const QRect tab = tabs->tabRect(i);
            EXPECT_GE(tab.left(), 0) << i;
            EXPECT_LE(tab.right(), tabs->width()) << i;
            EXPECT_GE(tab.width(), tabs->fontMetrics().horizontalAdvance(tabs->tabText(i))) << i;
        }
    }
}

TEST_F(QRStandardPreviewTest, SavingAsATypeNoFilterWritesSaysSoAndWritesNothing) {
    const QString path = QDir(pdf.Path()).filePath(QStringLiteral("report.PDF"));
    TQRPrinter printer;
    ProducePages(printer, 2);
    Open(printer);
    SetFileDialogHook([&](TFileDialogRequest& request) {
        request.FileName = path;
        return true;
    });
    ClickControl(window->SaveReport);
    EXPECT_EQ(messages, QStringList{"No export filter can save PDF files: the report was not saved"});
    EXPECT_FALSE(QFile::exists(path));
}

TEST_F(QRStandardPreviewTest, SavedReportLoadsInAFreshWindowAndPrintsPagesTwoToThree) {
    const QString path = QDir(pdf.Path()).filePath(QStringLiteral("report"));
    {
        TQRPrinter printer;
        ProducePages(printer, 4);
        Open(printer);
        TFileDialogRequest seen;
        SetFileDialogHook([&](TFileDialogRequest& request) {
            seen = request;
            request.FileName = path;
            request.FilterIndex = 2;
            return true;
        });
        ClickControl(window->SaveReport);
        EXPECT_EQ(seen.Kind, TFileDialogKind::Save);
        EXPECT_EQ(seen.Title, "Save report");
        ASSERT_EQ(seen.NameFilters.size(), 2);
        EXPECT_EQ(seen.FileName, "*.VOZ");
        ASSERT_TRUE(QFile::exists(path + ".VOZ"));
        delete window;
    }
    TQRPrinter viewer;
    Open(viewer);
    EXPECT_EQ(Panel(1), "Page 1 of 0");
    SetFileDialogHook([&](TFileDialogRequest& request) {
        EXPECT_EQ(request.Title, "Load report");
        request.FileName = path + ".VOZ";
        return true;
    });
    ClickControl(window->LoadReport);
    EXPECT_TRUE(messages.isEmpty());
    EXPECT_EQ(viewer.PageCount(), 4);
    EXPECT_EQ(Panel(1), "Page 1 of 4");
    EXPECT_EQ(Panel(2), path + ".VOZ");
    EXPECT_EQ(window->ThumbGrid->RowCount(), 4);
    EXPECT_NE(window->QRPreview->PreviewImage()->PageMetafile(), nullptr);
    EXPECT_FALSE(window->SaveReport->Visible());
    EXPECT_TRUE(window->Print->Enabled());
    Search(QStringLiteral("第4頁"), true);
    EXPECT_EQ(ResultLines(), QStringList{"Page 4"});

    viewer.FirstPage = 2;
    viewer.LastPage = 3;
    ClickControl(window->Print);
    const QStringList files = QDir(pdf.Path()).entryList({"*.pdf"}, QDir::Files);
    ASSERT_EQ(files.size(), 1);
    const QString file = QDir(pdf.Path()).filePath(files[0]);
    EXPECT_EQ(PdfPageSizes(file).size(), 2u);
    const QStringList texts = PdfPageTexts(file);
    ASSERT_EQ(texts.size(), 2);
    EXPECT_TRUE(texts[0].contains("Invoice line 2 Total")) << texts[0].toStdString();
    EXPECT_TRUE(texts[1].contains("Invoice line 3 Total")) << texts[1].toStdString();
    EXPECT_TRUE(texts[1].contains(JapaneseLine(3).left(3))) << texts[1].toStdString();
}

TEST_F(QRStandardPreviewTest, DamagedOrMissingFilesLeaveTheWindowAsItWas) {
    const QString good = QDir(pdf.Path()).filePath(QStringLiteral("good.VOZ"));
    const QString bad = QDir(pdf.Path()).filePath(QStringLiteral("bad.VOZ"));
    TQRPrinter printer;
    ProducePages(printer, 3);
    printer.Save(good);
    QFile source(good);
    ASSERT_TRUE(source.open(QIODevice::ReadOnly));
    QByteArray bytes = source.readAll();
    bytes[128 + 4] = char(0x7F);  // the first record's link points far away
    bytes[128 + 7] = char(0x7F);
    QFile target(bad);
    ASSERT_TRUE(target.open(QIODevice::WriteOnly));
    target.write(bytes);
    target.close();

    Open(printer);
    ClickControl(window->nextPage);
    QString chosen = bad;
    SetFileDialogHook([&](TFileDialogRequest& request) {
        request.FileName = chosen;
        return true;
    });
    ClickControl(window->LoadReport);
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].contains("cannot be read")) << messages[0].toStdString();
    EXPECT_TRUE(messages[0].contains(bad));
    EXPECT_EQ(printer.PageCount(), 3);
    EXPECT_EQ(Page(), 2);
    EXPECT_TRUE(window->SaveReport->Visible());
    ClickControl(window->nextPage);
    EXPECT_EQ(Page(), 3);
    EXPECT_NE(window->QRPreview->PreviewImage()->PageMetafile(), nullptr);

    chosen = QDir(pdf.Path()).filePath(QStringLiteral("none.VOZ"));
    ClickControl(window->LoadReport);
    ASSERT_EQ(messages.size(), 2);
    EXPECT_EQ(messages[1], "File does not exist");
    EXPECT_EQ(printer.PageCount(), 3);
}

// A report that finished before the window opened has no progress to show.
TEST_F(QRStandardPreviewTest, ProgressShowsEveryFifthPerCentAndClearsAtTheEnd) {
    TQRPrinter finished;
    ProducePages(finished, 1);
    Open(finished);
    EXPECT_EQ(Panel(0), "");
    delete window;
    TQRPrinter printer;
    Open(printer);
    EXPECT_EQ(Panel(0), "0%");
    QStringList shown;
    for (Integer value : {3, 5, 7, 10}) {
        PostMessage(window->QRPreview, WM_USER, WPARAM(value));
        Application->ProcessMessages();
        shown << Panel(0);
    }
    EXPECT_EQ(shown, (QStringList{"0%", "5%", "5%", "10%"}));
    PostMessage(window->QRPreview, WM_USER, 100);
    Application->ProcessMessages();
    EXPECT_EQ(Panel(0), "");
}

TEST_F(QRStandardPreviewTest, WhileTheReportRunsTheWindowShowsPagesAndWillNotClose) {
    TQRPrinter printer;
    Open(printer);
    bool checked = false;
    ProducePages(printer, 4, [&](int n) {
        printer.SetProgress(n * 25);
        Application->ProcessMessages();
        if (n != 3) return;
        checked = true;
        // A running report is counted on the screen a few times a second.
        EXPECT_TRUE(QTest::qWaitFor([&] { return Panel(1) == "Page 1 of 3"; }));
        EXPECT_NE(window->QRPreview->PreviewImage()->PageMetafile(), nullptr);
        EXPECT_TRUE(window->CancelButton->Enabled());
        EXPECT_FALSE(window->nextPage->Enabled());
        EXPECT_FALSE(window->FindButton->Enabled());
        EXPECT_FALSE(window->SaveReport->Enabled());
        EXPECT_EQ(window->ThumbGrid->RowCount(), 2);
        window->Close();
        Application->ProcessMessages();
        EXPECT_TRUE(WindowAlive());
        EXPECT_TRUE(window->Visible());
    });
    Application->ProcessMessages();
    ASSERT_TRUE(checked);
    EXPECT_TRUE(window->nextPage->Enabled());
    EXPECT_FALSE(window->CancelButton->Enabled());
    EXPECT_EQ(window->ThumbGrid->RowCount(), 4);
    EXPECT_EQ(Panel(1), "Page 1 of 4");
    window->Close();
    QTest::qWait(10);
    EXPECT_FALSE(WindowAlive());
}

TEST_F(QRStandardPreviewTest, ReportHandlerSeesEveryActionAndMayTakeIt) {
    TForm owner(nullptr);
    auto* report = new TCustomRazorUze(&owner);
    report->SetReportTitle(QStringLiteral("Quarterly"));
    report->PreviewSettings().PrevInitialZoom = qrZoomToWidth;
    report->PreviewSettings().PrevShowSearch = false;
    QStringList fired;
    bool take = true;
    report->PreviewSettings().OnStandPrevEvent = [&](TObject* sender, TStandPrevEventType type, const QString& name,
                                                     bool& handled) {
        EXPECT_TRUE(sender == window || type == spOpen);
        fired << QString::number(type) + name;
        handled = take;
    };
    TQRPrinter printer(report);
    ProducePages(printer, 2);
    Open(printer);
    EXPECT_EQ(fired, QStringList{QString::number(spOpen)});
    EXPECT_EQ(window->QRPreview->ZoomState(), qrZoomToWidth);
    EXPECT_TRUE(window->ZoomToWidth->Down());
    EXPECT_FALSE(window->FindButton->Visible());
    EXPECT_EQ(Panel(2), "Quarterly");
    EXPECT_EQ(printer.Title, "Quarterly");

    Clipboard()->SetAsText(QStringLiteral("before"));
    ClickControl(window->copybutton);
    EXPECT_EQ(Clipboard()->AsText(), "before");
    ClickControl(window->SaveReport);
    ClickControl(window->LoadReport);
    ClickControl(window->PrintSetup);  // taken: no dialog comes up
    ClickControl(window->CancelButton);  // disabled: no click
    window->CancelClick();
    EXPECT_FALSE(report->Run().StopRequest);
    EXPECT_EQ(fired, (QStringList{QString::number(spOpen), QString::number(spCopy) + "Copy",
                                  QString::number(spSave) + "Save", QString::number(spLoad) + "Load",
                                  QString::number(spPrintSetup) + "PrintSetup", QString::number(spCancel) + "Cancel"}));
    take = false;
    ClickControl(window->copybutton);
    EXPECT_TRUE(Clipboard()->HasFormat(CF_ENHMETAFILE));
    window->CancelClick();
    EXPECT_TRUE(report->Run().StopRequest);

    // A preview limited to two pages stops the report once it has them.
    report->Run().StopRequest = false;
    report->SetPagesInPreview(3);
    PostMessage(window->QRPreview, WM_USER + 1, 2);
    Application->ProcessMessages();
    EXPECT_FALSE(report->Run().StopRequest);
    report->SetPagesInPreview(2);
    PostMessage(window->QRPreview, WM_USER + 1, 2);
    Application->ProcessMessages();
    EXPECT_TRUE(report->Run().StopRequest);
    delete window;
}

TEST_F(QRStandardPreviewTest, ClosingLetsTheReportFreeItsPrinterAtOnce) {
    TForm owner(nullptr);
    auto* report = new TCustomRazorUze(&owner);
    auto own = std::make_unique<TQRPrinter>(report);
    TQRPrinter* printer = own.get();
    report->AdoptQRPrinter(std::move(own));
    printer->SetClient(report);
    ProducePages(*printer, 2);
    Open(*printer);
    EXPECT_TRUE(printer->ShowingPreview());
    ClickControl(window->ExitButton);
    QTest::qWait(10);
    EXPECT_FALSE(WindowAlive());
    EXPECT_EQ(report->QRPrinter(), nullptr);
}

TEST_F(QRStandardPreviewTest, PrinterSetupOfTheReportReachesThePrinterShown) {
    // The application's printer with a driver that takes copies.
    std::unique_ptr<TPrinter> previous(SetPrinter(NewFakePrinter([](TFakePrinterDriver&) {}).release()));
    struct Restore {
        std::unique_ptr<TPrinter>& previous;
        ~Restore() { delete SetPrinter(previous.release()); }
    } restore{previous};
    TForm owner(nullptr);
    auto* report = new TCustomRazorUze(&owner);
    report->PrinterSettings()->Copies = 1;
    report->PrinterSettings()->UseStandardprinter = true;
    TQRPrinter printer(report);
    ProducePages(printer, 2);
    Open(printer);
    int copiesShown = 0;
    WhenPrintDialogShows([&](QDialog& dialog) {
        auto* copies = dialog.findChild<QSpinBox*>(QStringLiteral("copies"));
        ASSERT_NE(copies, nullptr);
        copiesShown = copies->value();
        copies->setFocus();
        QTest::keyClick(copies, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(copies, QStringLiteral("3"));
        QTest::keyClick(copies, Qt::Key_Tab);
        auto* collate = dialog.findChild<QCheckBox*>(QStringLiteral("collate"));
        ASSERT_NE(collate, nullptr);
        QTest::mouseClick(collate, Qt::LeftButton, {}, QPoint(6, collate->height() / 2));
        Accept(dialog);
    });
    ClickControl(window->PrintSetup);
    EXPECT_EQ(copiesShown, 1);
    EXPECT_EQ(report->PrinterSettings()->Copies, 3);
    EXPECT_EQ(printer.PrinterSettings().Copies(), 3);
    EXPECT_EQ(printer.PrinterSettings().Collate, 1) << "a loaded report prints collated too";
    EXPECT_GE(report->PrinterSettings()->PrinterIndex, 0);
    EXPECT_EQ(printer.PrinterIndex(), report->PrinterSettings()->PrinterIndex);
    delete window;
}

TEST_F(QRStandardPreviewTest, TheRegisteredInterfaceOpensTheStandardWindowForThePrinter) {
    TQRPrinter printer;
    ProducePages(printer, 2);
    auto preview = NewQRPreviewInterface(nullptr);
    auto* form = dynamic_cast<TQRStandardPreview*>(preview->Show(&printer));
    ASSERT_NE(form, nullptr);
    window = form;
    guard = form->Guard();
    EXPECT_TRUE(form->Visible());
    EXPECT_EQ(form->Owner(), Application);
    EXPECT_EQ(form->QRPrinter(), &printer);
    EXPECT_EQ(printer.PreviewControl(), form->QRPreview);
    EXPECT_EQ(Panel(1), "Page 1 of 2");
    EXPECT_EQ(form->WindowState(), wsMaximized);
    form->Close();
    QTest::qWait(10);
    EXPECT_FALSE(WindowAlive());

    // Shown modally it tells the page at once too.
    QString modalStatus;
    WhenShown<TQRStandardPreview>([&modalStatus](TQRStandardPreview* modal) {
        modalStatus = modal->StatusBar->Panels()->Items(1)->Text();
        ClickControl(modal->ExitButton);
    });
    TQRPrinter other;
    ProducePages(other, 1);
    EXPECT_NE(preview->ShowModal(&other), nullptr);
    EXPECT_EQ(modalStatus, "Page 1 of 1");
    EXPECT_EQ(other.PreviewControl(), nullptr);
    QTest::qWait(10);
}

TEST_F(QRStandardPreviewTest, AReportsWindowOpensCentredAtItsOwnSizeWithTheWholeToolBar) {
    TForm owner(nullptr);
    auto* report = new TCustomRazorUze(&owner);
    TQRPrinter printer(report);
    ProducePages(printer, 2);
    auto preview = NewQRPreviewInterface(nullptr);
    const auto open = [&] {
        window = dynamic_cast<TQRStandardPreview*>(preview->Show(&printer));
        guard = window->Guard();
        ShowActive(window);
    };
    open();
    EXPECT_EQ(window->ClientWidth(), 740);
    EXPECT_EQ(window->ClientHeight(), 499);
    EXPECT_EQ(window->Left(), (Screen->Width() - window->Width()) / 2);
    EXPECT_EQ(window->Top(), (Screen->Height() - window->Height()) / 2);
    TToolBar* bar = window->ToolBar1;
    for (Integer i = 0; i < bar->ControlCount(); ++i) {
        const TControl* button = bar->Controls(i);
        EXPECT_LE(button->Left() + button->Width(), bar->ClientWidth()) << button->Name().toStdString();
    }
    EXPECT_EQ(bar->Controls(bar->ControlCount() - 1), window->ExitButton);
    const QImage image = GrabControl(window);
    SaveTestImage(image.copy(0, 0, image.width(), bar->Height()), "qrprev_toolbar");
    delete window;

    // A report asking for more room gets it, as the window's outer size.
    report->SetPreviewWidth(780);
    report->SetPreviewHeight(540);
    open();
    EXPECT_EQ(window->Width(), 780);
    EXPECT_EQ(window->Height(), 540);
}

// Each tool button shows its own picture, drawn where the button is.
TEST_F(QRStandardPreviewTest, ToolButtonsShowTheirPictures) {
    TQRPrinter printer;
    ProducePages(printer, 2);
    Open(printer);
    TBitmap strip;
    strip.LoadFromResourceName(0, QStringLiteral("QRPREVBUTTONS"));
    const QImage pictures = strip.Image().convertToFormat(QImage::Format_RGB32);
    const QImage shown = GrabControl(window).convertToFormat(QImage::Format_RGB32);
    const QRgb transparent = qRgb(255, 0, 255);
    // Whether picture index is drawn with its top left at (x, y).
    const auto drawnAt = [&](int index, int x, int y) {
        for (int py = 0; py < 16; ++py)
            for (int px = 0; px < 16; ++px) {
                const QRgb want = pictures.pixel(index * 16 + px, py);
                if (want != transparent && shown.pixel(x + px, y + py) != want) return false;
            }
        return true;
    };
    const TToolButton* buttons[] = {window->ZoomFit, window->ZoomToWidth, window->Zoom100, window->FirstPage,
                                    window->PreviousPage, window->nextPage, window->LastPage, window->GotoPageButton,
                                    window->FindButton, window->copybutton, window->PrintSetup, window->Print,
                                    window->LoadReport, window->SaveReport};  // the cancel button is disabled, grey
    for (int i = 0; i < int(std::size(buttons)); ++i) {
        const TToolButton* button = buttons[i];
        bool found = false;
        for (int y = button->Top(); y + 16 <= button->Top() + button->Height() && !found; ++y)
            for (int x = button->Left(); x + 16 <= button->Left() + button->Width() && !found; ++x)
                found = drawnAt(i, x, y);
        EXPECT_TRUE(found) << button->Name().toStdString();
    }
    SaveTestImage(pictures.scaled(pictures.size() * 6), "qrprev_button_pictures");
}

TEST_F(QRStandardPreviewTest, ProgressFormShowsMultiplesOfFiveAndCancelsThePrinter) {
    TQRPrinter printer;
    ProducePages(printer, 2);
    TQRProgressForm form(nullptr, &printer);
    EXPECT_EQ(form.Caption(), "Printing progress");
    printer.SetPreviewControl(&form);
    printer.SetProgress(7);
    Application->ProcessMessages();
    EXPECT_EQ(form.Gauge->Position(), 0);
    EXPECT_EQ(form.Info->Caption(), "");
    printer.SetProgress(35);
    Application->ProcessMessages();
    EXPECT_EQ(form.Gauge->Position(), 35);
    EXPECT_EQ(form.Info->Caption(), "35%  Completed");
    ShowActive(&form);
    ClickControl(form.CancelButton);
    EXPECT_TRUE(printer.Cancelled());
}

TEST_F(QRStandardPreviewTest, PrintingShowsTheRegisteredProgressForm) {
    TQRPrinter printer;
    ProducePages(printer, 3);
    printer.ShowProgress = true;
    bool seen = false;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        for (Integer i = 0; i < Screen->FormCount(); ++i)
            if (dynamic_cast<TQRProgressForm*>(Screen->Forms(i))) seen = true;
    });
    timer.start(0);
    printer.Print();
    EXPECT_TRUE(seen);
    EXPECT_EQ(PdfPageSizes(printer.Printer()->OutputFileName()).size(), 3u);
}

// 1,000 pages: the first shows while the rest are made, and flipping pages
// is timed (the figure is printed).
TEST_F(QRStandardPreviewTest, ThousandPagesFirstShowsEarlyAndPagesFlipQuickly) {
    constexpr int kPages = 1000;
    TQRPrinter printer;
    Open(printer);
    int shownAt = 0;
    ProducePages(printer, kPages, [&](int n) {
        Application->ProcessMessages();
        if (!shownAt && window->QRPreview->PreviewImage()->PageMetafile()) shownAt = n;
    });
    Application->ProcessMessages();
    ASSERT_GT(shownAt, 0);
    EXPECT_LE(shownAt, 3);
    EXPECT_EQ(Panel(1), QStringLiteral("Page 1 of %1").arg(kPages));
    ClickControl(window->ZoomFit);
    QElapsedTimer clock;
    clock.start();
    constexpr int kFlips = 200;
    for (int i = 0; i < kFlips; ++i) {
        Key(Qt::Key_PageDown);
        window->QRPreview->PreviewImage()->Repaint();
    }
    const double perFlip = double(clock.nsecsElapsed()) / 1e6 / kFlips;
    EXPECT_EQ(Page(), kFlips + 1);
    Key(Qt::Key_End);
    EXPECT_EQ(Page(), kPages);
    std::printf("[ figure ] page flip with repaint, 1000-page report: %.2f ms\n", perFlip);
    EXPECT_LT(perFlip, 100.0);
}


// Printing from the window. Two records a page, each page headed "Sheet
// n", run into a page store that the window shows; the window's thumbnails
// count their drawing.
class QRPreviewPrintTest : public QRStandardPreviewTest {
protected:
    void SetUp() override {
        QRStandardPreviewTest::SetUp();
        InitializeQRExpr();
        report->SetUnits(TQRUnit::MM);
        report->Page()->SetPaperSize(TQRPaperSize::A4);
        report->SetShowProgress(false);
        auto* sheet = new TQRExpr(report.get());
        sheet->SetParent(Band(rbPageHeader, 10));
        sheet->SetExpression(QStringLiteral("'Sheet ' + PAGENUMBER"));
        Band(rbDetail, 120);
        report->SetOnNeedData([this](TObject*, bool& more) { more = given++ < records; });
        report->BeforePrint = [this](TCustomRazorUze*, bool&) { given = 0; };
        // The stop comes from the event loop once the print has ended page 2.
        report->OnEndPage = [this](TCustomRazorUze* sender) {
            if (stop && sender->PageNumber() == 2) QTimer::singleShot(0, std::exchange(stop, nullptr));
        };
    }
    void TearDown() override {
        QRStandardPreviewTest::TearDown();
        report->SetQRPrinter(nullptr);
    }

    TQRBand* Band(TQRBandType type, long double heightMM) {
        auto* band = new TQRBand(report.get());
        band->SetParent(report.get());
        band->SetBandType(type);
        band->Size()->SetHeight(heightMM);
        return band;
    }
    void Open(TQRPrinter& printer) {
        QRStandardPreviewTest::Open(printer);
        TDrawCellEvent draw = window->ThumbGrid->OnDrawCell;
        window->ThumbGrid->OnDrawCell = [this, draw](TObject* s, Integer c, Integer r, TRect rect, TGridDrawState st) {
            ++thumbsDrawn;
            draw(s, c, r, rect, st);
        };
    }
    // A window on a new page store, and the report run into it.
    void OpenPreview() {
        store = std::make_unique<TQRPrinter>(report.get());
        report->SetQRPrinter(store.get());
        Open(*store);
        report->CreateReport(false);
        RunEventLoop(20);  // the run's notices and their drawing are over
        thumbsDrawn = 0;
    }
    QStringList Sheets() const {
        QStringList sheets;
        for (const QString& file : QDir(pdf.Path()).entryList({"*.pdf"}, QDir::Files))
            for (const QString& text : PdfPageTexts(QDir(pdf.Path()).filePath(file))) sheets << text.simplified();
        return sheets;
    }

    std::unique_ptr<TRazorUze> report = std::make_unique<TRazorUze>(nullptr);
    std::unique_ptr<TQRPrinter> store;
    int records = 10, given = 0, thumbsDrawn = 0;
    std::function<void()> stop;
};

TEST_F(QRPreviewPrintTest, PrintingLeavesThePagesShownAlone) {
    OpenPreview();
    ClickControl(window->Print);
    EXPECT_EQ(Sheets().size(), 5);
    EXPECT_EQ(thumbsDrawn, 0);
}

// Cancel and Esc stop the print and keep the window, Close stops it and then
// closes, the progress form's Cancel stops it: no PDF is left behind.
TEST_F(QRPreviewPrintTest, CancelEscCloseAndTheProgressFormStopAPrintStartedHere) {
    const auto progressCancel = [] {
        for (Integer i = 0; i < Screen->FormCount(); ++i)
            if (auto* form = dynamic_cast<TQRProgressForm*>(Screen->Forms(i))) ClickControl(form->CancelButton);
    };
    const std::tuple<const char*, std::function<void()>, bool> ways[] = {
        {"Cancel", [this] { ClickControl(window->CancelButton); }, false},
        {"Esc", [this] { Key(Qt::Key_Escape); }, false},
        {"Close", [this] { ClickControl(window->ExitButton); }, false},
        {"progress", progressCancel, true},
    };
    for (const auto& [way, act, progress] : ways) {
        report->SetShowProgress(progress);
        OpenPreview();
        stop = act;
        ClickControl(window->Print);
        QTest::qWait(10);
        EXPECT_LT(report->PageNumber(), 5) << way;
        EXPECT_TRUE(Sheets().isEmpty()) << way;
        EXPECT_EQ(WindowAlive(), way != std::string("Close")) << way;
        if (WindowAlive()) {
            EXPECT_TRUE(window->Print->Enabled() && !window->CancelButton->Enabled()) << way;
            delete window;
        }
    }
}

// Pages 2 to 3, two collated copies; a report that shrank below the range
// meanwhile prints nothing and says so.
TEST_F(QRPreviewPrintTest, PrintSetupsRangeCopiesAndCollationArePrinted) {
    OpenPreview();
    WhenPrintDialogShows([](QDialog& d) {
        ClickNearLeft(DialogChild<QRadioButton>(d, "pageNums"));
        Retype(DialogChild<QSpinBox>(d, "from"), "2");
        Retype(DialogChild<QSpinBox>(d, "to"), "3");
        Retype(DialogChild<QSpinBox>(d, "copies"), "2");
        ClickNearLeft(DialogChild<QCheckBox>(d, "collate"));
        Accept(d);
    });
    ClickControl(window->PrintSetup);
    ClickControl(window->Print);
    EXPECT_EQ(Sheets().join('|'), "Sheet 2|Sheet 3|Sheet 2|Sheet 3");
    records = 2;
    ClickControl(window->Print);
    EXPECT_EQ(Sheets().size(), 4);
    EXPECT_EQ(messages, QStringList{"Pages 2 to 3 are not in the report (it has 1): nothing was printed"});
}

// Sixty pages made at once are drawn a few times, not sixty; the last pages
// announced show when the interval is over, all of them when the run ends.
TEST_F(QRPreviewPrintTest, ARunningReportIsCountedOnTheScreenAFewTimesASecond) {
    TQRPrinter printer;
    Open(printer);
    ProducePages(printer, 60, [](int) { Application->ProcessMessages(); }, true);
    EXPECT_LT(thumbsDrawn, 20);
    EXPECT_TRUE(QTest::qWaitFor([&] { return Panel(1) == "Page 1 of 60"; }));
    EXPECT_EQ(window->ThumbGrid->RowCount(), 59);
    printer.EndDoc();
    Application->ProcessMessages();
    EXPECT_EQ(window->ThumbGrid->RowCount(), 60);
    EXPECT_FALSE(window->CancelButton->Enabled());
}

}  // namespace
