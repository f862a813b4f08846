// Real page metafiles through the store and a report file: the pages that
// come back are the pages that went in, and they still draw.
#include "QRPrntrTestSupport.h"
#include "../framework/MetafileTestSupport.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <QtCore/QTemporaryDir>
#include <QtGui/QImage>

namespace {

// An A4 page at 96 dpi (794 x 1123 px), drawn as report bands draw.
std::unique_ptr<TMetafile> ReportPage(int number) {
    return RecordMetafile(794, 1123, [number](TCanvas* c) {
        c->Font()->SetName(QStringLiteral("ＭＳ Ｐゴシック"));
        c->Font()->SetHeight(-16);
        c->TextOut(60, 40, QStringLiteral("請求書 %1 ページ").arg(number));
        c->Pen()->SetWidth(2);
        c->MoveTo(60, 70);
        c->LineTo(734, 70);
        c->Pen()->SetWidth(1);
        c->Font()->SetName(QStringLiteral("Arial"));
        c->Font()->SetHeight(-12);
        for (int row = 0; row < 20 + number * 5; ++row) {
            const int y = 90 + row * 20;
            c->Brush()->SetColor(row % 2 ? clWhite : clSilver);
            c->Rectangle(60, y, 734, y + 21);
            c->Brush()->SetStyle(bsClear);
            c->TextOut(70, y + 3, QStringLiteral("Item %1").arg(row * 7 + number));
            c->TextOut(600, y + 3, QStringLiteral("%1").arg((row + 1) * 1234 * number));
            c->Brush()->SetStyle(bsSolid);
        }
    });
}

QImage Render(TMetafile& page) {
    TBitmap bitmap;
    bitmap.SetSize(page.Width(), page.Height());
    bitmap.Canvas()->Brush()->SetColor(clWhite);
    bitmap.Canvas()->FillRect(TRect(0, 0, page.Width(), page.Height()));
    bitmap.Canvas()->Draw(0, 0, &page);
    return bitmap.Image().copy();
}

}  // namespace

TEST(QRPageListPages, MetafilesComeBackWholeAndDrawTheSame) {
    QTemporaryDir dir;
    std::vector<std::unique_ptr<TMetafile>> pages;
    for (int i = 1; i <= 4; ++i) pages.push_back(ReportPage(i));
    for (bool compression : {false, true}) {
        const QString file = dir.filePath(QStringLiteral("pages%1.VOZ").arg(compression));
        {
            auto list = NewPageList(compression, 3000);  // spills during the first pages
            for (auto& page : pages) list->AddPage(*page);
            list->WriteFileHeader();
            EXPECT_FALSE(list->Stream()->InMemory());
            for (int n : {3, 1, 4, 2}) {
                auto page = list->GetPage(n);
                ASSERT_TRUE(page);
                EXPECT_EQ(page->Data(), pages[n - 1]->Data());
            }
            EXPECT_EQ(list->GetPage(5), nullptr);
            list->SaveToFile(file);
        }
        TQRPageList loaded;
        loaded.LoadFromFile(file);
        ASSERT_EQ(loaded.PageCount(), 4);
        auto third = loaded.GetPage(3);
        ASSERT_TRUE(third);
        EXPECT_EQ(third->Width(), 794);
        EXPECT_EQ(third->Height(), 1123);
        const QImage played = Render(*third);
        EXPECT_EQ(played, Render(*pages[2]));
        SaveTestImage(played, QStringLiteral("qrprntr-page3-%1").arg(compression ? "compressed" : "plain"));
        // Something was drawn: the silver rows.
        EXPECT_EQ(played.pixelColor(400, 100), QColor(192, 192, 192));
    }
}

TEST(QRPageListPages, DamagedRecordsInsideAPageRaiseAndOtherPagesRead) {
    QTemporaryDir dir;
    auto list = NewPageList(false);
    auto first = ReportPage(1);
    auto second = ReportPage(2);
    list->AddPage(*first);
    list->AddPage(*second);
    list->WriteFileHeader();
    const QString file = dir.filePath(QStringLiteral("bad-record.VOZ"));
    list->SaveToFile(file);
    QByteArray bytes = ReadFileBytes(file);
    // The second record of page 1 claims more bytes than the metafile has.
    const qsizetype record = 136 + 108;
    SetField(bytes, record + 4, 0x100000);
    WriteFileBytes(file, bytes);

    TQRPageList loaded;
    loaded.LoadFromFile(file);
    EXPECT_THROW(loaded.GetPage(1), EInvalidGraphic);
    auto page = loaded.GetPage(2);
    ASSERT_TRUE(page);
    EXPECT_EQ(page->Data(), second->Data());
}

TEST(QRPageListPages, AnEmptyMetafileIsNoPage) {
    auto list = NewPageList(true);
    TMetafile empty;
    EXPECT_THROW(list->AddPage(empty), EWriteError);
    EXPECT_EQ(list->PageCount(), 0);
}
