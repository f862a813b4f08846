// Page text search in Unicode over wide and 8-bit text records, and the
// data sets found for the expression builder.
#include "QRPrevSearch.h"

#include "DBClient.h"
#include "ExtCtrls.h"
#include "Forms.h"
#include "Metafile.h"
#include "Windows.h"

#include <QtCore/QtEndian>
#include <gtest/gtest.h>

#include <memory>

namespace {

// A page whose text records were written by the metafile canvas (wide).
std::unique_ptr<TMetafile> PageWithText(const QStringList& lines) {
    auto page = std::make_unique<TMetafile>();
    page->SetWidth(400);
    page->SetHeight(300);
    {
        TMetafileCanvas canvas(page.get());
        canvas.Font()->SetName(QStringLiteral("ＭＳ ゴシック"));
        int y = 10;
        for (const QString& line : lines) {
            canvas.TextOut(10, y, line);
            y += 20;
        }
    }
    return page;
}

void PutU32(QByteArray& bytes, int at, quint32 value) {
    qToLittleEndian(value, bytes.data() + at);
}

// The page with an 8-bit text record of text (in CP932) put before its end.
std::unique_ptr<TMetafile> WithAnsiRecord(const TMetafile& source, const QString& text) {
    TMemoryStream stream;
    const_cast<TMetafile&>(source).SaveToStream(stream);
    QByteArray bytes = stream.Bytes();
    const QByteArray ansi = WideToAnsi(text);
    const int stringAt = 76;
    const int padded = (ansi.size() + 3) / 4 * 4;
    const int dxAt = stringAt + padded;
    QByteArray record(dxAt + 4 * ansi.size(), '\0');
    PutU32(record, 0, EMR_EXTTEXTOUTA);
    PutU32(record, 4, quint32(record.size()));
    PutU32(record, 24, 1);                    // GM_COMPATIBLE
    PutU32(record, 36, 10);                   // reference point
    PutU32(record, 40, 80);
    PutU32(record, 44, quint32(ansi.size()));  // characters
    PutU32(record, 48, stringAt);
    PutU32(record, 72, dxAt);
    record.replace(stringAt, ansi.size(), ansi);
    for (int i = 0; i < ansi.size(); ++i) PutU32(record, dxAt + 4 * i, 8);
    const int eofSize = 20;
    bytes.insert(bytes.size() - eofSize, record);
    PutU32(bytes, 48, quint32(bytes.size()));
    PutU32(bytes, 52, qFromLittleEndian<quint32>(bytes.constData() + 52) + 1);
    TMemoryStream patched;
    patched.Write(bytes.constData(), Integer(bytes.size()));
    patched.Seek(0, soBeginning);
    auto page = std::make_unique<TMetafile>();
    page->LoadFromStream(patched);
    return page;
}

TEST(QRPreviewSearchTest, LatinTextMatchesByCaseOnlyWhenAsked) {
    const auto page = PageWithText({QStringLiteral("Invoice ABC total"), QStringLiteral("Счёт Ωmega")});
    EXPECT_TRUE(SearchMetafileText(QStringLiteral("abc"), *page, false));
    EXPECT_FALSE(SearchMetafileText(QStringLiteral("abc"), *page, true));
    EXPECT_TRUE(SearchMetafileText(QStringLiteral("ABC"), *page, true));
    EXPECT_TRUE(SearchMetafileText(QStringLiteral("voice ABC"), *page, true));
    // Letters beyond ASCII fold by Unicode rules.
    EXPECT_TRUE(SearchMetafileText(QStringLiteral("СЧЁТ ωMEGA"), *page, false));
    EXPECT_FALSE(SearchMetafileText(QStringLiteral("СЧЁТ ωMEGA"), *page, true));
    EXPECT_FALSE(SearchMetafileText(QStringLiteral("missing"), *page, false));
}

TEST(QRPreviewSearchTest, JapaneseTextIsFoundAndNeverConfusedWithLatinLetters) {
    const auto japanese = PageWithText({QStringLiteral("請求書 あいう ＡＢＣ")});
    EXPECT_TRUE(SearchMetafileText(QStringLiteral("請求書"), *japanese, true));
    EXPECT_TRUE(SearchMetafileText(QStringLiteral("あい"), *japanese, false));
    EXPECT_TRUE(SearchMetafileText(QStringLiteral("ａｂｃ"), *japanese, false));  // full-width letters fold too
    EXPECT_FALSE(SearchMetafileText(QStringLiteral("B"), *japanese, false));
    // U+3042 and "B" share their low byte.
    const auto latin = PageWithText({QStringLiteral("B"), QStringLiteral("0B")});
    EXPECT_FALSE(SearchMetafileText(QStringLiteral("あ"), *latin, false));
    EXPECT_FALSE(SearchMetafileText(QStringLiteral("あ"), *latin, true));
}

TEST(QRPreviewSearchTest, EightBitRecordsAreReadAsShiftJis) {
    const auto plain = PageWithText({QStringLiteral("header")});
    const auto page = WithAnsiRecord(*plain, QStringLiteral("売上ｶﾅ明細 Sum"));
    EXPECT_TRUE(SearchMetafileText(QStringLiteral("header"), *page, true));
    EXPECT_TRUE(SearchMetafileText(QStringLiteral("売上ｶﾅ"), *page, true));
    EXPECT_TRUE(SearchMetafileText(QStringLiteral("明細 sum"), *page, false));
    EXPECT_FALSE(SearchMetafileText(QStringLiteral("明細 sum"), *page, true));
    // A record whose string lies outside it is skipped, not read past.
    TMemoryStream stream;
    page->SaveToStream(stream);
    QByteArray bytes = stream.Bytes();
    const int at = bytes.indexOf(WideToAnsi(QStringLiteral("売上"))) - 76;
    ASSERT_GT(at, 0);
    PutU32(bytes, at + 44, 100000);
    TMemoryStream damaged;
    damaged.Write(bytes.constData(), Integer(bytes.size()));
    damaged.Seek(0, soBeginning);
    TMetafile broken;
    broken.LoadFromStream(damaged);
    EXPECT_FALSE(SearchMetafileText(QStringLiteral("売上"), broken, true));
    EXPECT_TRUE(SearchMetafileText(QStringLiteral("header"), broken, true));
}

TEST(QRPreviewSearchTest, DataSetsOfTheOwnerItsWindowedControlsAndEveryForm) {
    TForm owner(nullptr);
    auto* orders = new TClientDataSet(&owner);
    orders->SetName(QStringLiteral("Orders"));
    auto* panel = new TPanel(&owner);
    auto* lines = new TClientDataSet(panel);
    lines->SetName(QStringLiteral("Lines"));
    TForm other(nullptr);
    auto* customers = new TClientDataSet(&other);
    customers->SetName(QStringLiteral("Customers"));

    TStringList found;
    FindDataSets(&owner, false, &found);
    ASSERT_EQ(found.Count(), 2);
    EXPECT_EQ(found.Strings(0), "Orders");
    EXPECT_EQ(found.Objects(0), orders);
    EXPECT_EQ(found.Strings(1), "Lines");
    EXPECT_EQ(found.Objects(1), lines);

    TStringList all;
    FindDataSets(&owner, true, &all);
    EXPECT_GE(all.IndexOf(QStringLiteral("Customers")), 0);
    EXPECT_EQ(all.Objects(all.IndexOf(QStringLiteral("Customers"))), customers);
}

}  // namespace
