// The barcode image read back by zbar: every symbology zbar knows, at cell
// widths 2 and 3 and at each angle, decodes to exactly the data encoded.
#include "CBarCode.h"
#include "Clipbrd.h"
#include "TestSupport.h"
#include "ZbarDecode.h"

#include <QtGui/QImage>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

// zbar reports UPC as EAN-13 unless asked, and skips short ITF and Codabar.
const std::vector<std::string> ScanSettings = {"upca.enable", "upce.enable", "i25.min-length=2",
                                               "codabar.min-length=1"};

std::unique_ptr<TCBarImage> NewImage(TBarType type) {
    auto image = std::make_unique<TCBarImage>(nullptr);
    image->SetAutoFit(true);
    image->SetBarType(type);
    return image;
}

// The single symbol zbar finds, drawn at each cell width and angle, as its
// zbar type and data.
::testing::AssertionResult ReadsAs(TCBarImage& image, const AnsiString& caption, const QString& type,
                                   const QByteArray& data) {
    for (TCellWidth cell : {2, 3}) {
        for (Integer angle : {0, 90, 180, 270}) {
            image.SetCellWidth(cell);
            image.SetAngle(angle);
            image.SetCaption(caption);
            if (!image.Drawn()) return ::testing::AssertionFailure() << "not drawn: " << caption.constData();
            const QImage& picture = image.Picture()->Bitmap()->Image();
            const std::vector<ZbarSymbol> symbols = ZbarDecode(picture, ScanSettings);
            auto where = [&] { return " at cell " + std::to_string(cell) + ", angle " + std::to_string(angle); };
            if (symbols.size() != 1) {
                SaveTestImage(picture, QStringLiteral("barcode_unread"));
                return ::testing::AssertionFailure()
                       << symbols.size() << " symbols in " << caption.constData() << where();
            }
            if (symbols[0].type != type || symbols[0].data != data)
                return ::testing::AssertionFailure()
                       << caption.constData() << " read as " << symbols[0].type.toStdString() << " \""
                       << symbols[0].data.toStdString() << "\"" << where();
        }
    }
    return ::testing::AssertionSuccess();
}

}  // namespace

TEST(BarcodeScan, EanAndUpc) {
    auto image = NewImage(btJAN);
    // Every leading digit, that is every parity pattern of the left half.
    for (char lead = '0'; lead <= '9'; ++lead) {
        const AnsiString caption = AnsiString(1, lead) + "90123456789";
        image->SetCaption(caption);
        // With a leading 0 the symbol is a UPC-A one, as zbar reports it.
        if (lead == '0') {
            EXPECT_TRUE(ReadsAs(*image, caption, QStringLiteral("UPC-A"), image->Symbol().mid(1)));
        } else {
            EXPECT_TRUE(ReadsAs(*image, caption, QStringLiteral("EAN-13"), image->Symbol()));
        }
        EXPECT_EQ(image->Symbol().left(12), caption);
    }
    EXPECT_TRUE(ReadsAs(*image, "1234567", QStringLiteral("EAN-8"), "12345670"));

    image->SetBarType(btUPC);
    EXPECT_TRUE(ReadsAs(*image, "03600029145", QStringLiteral("UPC-A"), "036000291452"));
    // UPC-E for every check digit, that is every parity pattern.
    std::vector<bool> checks(10, false);
    for (int n = 0; n < 200 && std::count(checks.begin(), checks.end(), false) > 0; ++n) {
        const AnsiString caption = "0" + AnsiString::number(100000 + n * 4391 % 900000).right(5) + "5";
        image->SetCaption(caption);
        if (!image->Drawn() || checks[image->CheckValue()]) continue;
        checks[image->CheckValue()] = true;
        EXPECT_TRUE(ReadsAs(*image, caption, QStringLiteral("UPC-E"), image->Symbol()));
    }
    EXPECT_EQ(std::count(checks.begin(), checks.end(), true), 10);
}

TEST(BarcodeScan, InterleavedTwoOfFive) {
    auto image = NewImage(btITF);
    for (bool cd : {false, true}) {
        image->SetCD(cd);
        for (const char* caption : {"123", "1234", "0123456789", "9876543210987"}) {
            image->SetCaption(caption);
            EXPECT_TRUE(ReadsAs(*image, caption, QStringLiteral("I2/5"), image->Symbol())) << cd;
        }
    }
    // A wider ratio reads too.
    image->SetCellRatio(30);
    image->SetCaption("5566");
    EXPECT_EQ(image->Symbol(), "055666");
    EXPECT_TRUE(ReadsAs(*image, "5566", QStringLiteral("I2/5"), "055666"));
}

TEST(BarcodeScan, Code39AllCharactersWithCheck) {
    auto image = NewImage(btCODE39);
    const AnsiString all = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-. $/+%";
    image->SetCaption(all);
    EXPECT_TRUE(ReadsAs(*image, all, QStringLiteral("CODE-39"), all));
    image->SetCD(true);
    image->SetSymbolCdDisp(true);
    for (const AnsiString& caption : {AnsiString("ABC"), all.left(20), all.mid(20)}) {
        image->SetCaption(caption);
        const AnsiString withCheck = image->Symbol().mid(1, image->Symbol().size() - 2);
        EXPECT_EQ(withCheck.size(), caption.size() + 1);
        EXPECT_TRUE(ReadsAs(*image, caption, QStringLiteral("CODE-39"), withCheck));
    }
}

TEST(BarcodeScan, Nw7EveryStartStopPair) {
    auto image = NewImage(btNW7);
    image->SetCD(true);
    image->SetSymbolCdDisp(true);
    image->SetSymbolCharCase(scUpperCase);
    for (char start : {'A', 'B', 'C', 'D'}) {
        for (char stop : {'A', 'B', 'C', 'D'}) {
            image->SetStartChar(start);
            image->SetStopChar(stop);
            const AnsiString caption = "0123456789-$:/.+";
            image->SetCaption(caption);
            EXPECT_TRUE(ReadsAs(*image, caption, QStringLiteral("Codabar"), image->Symbol())) << start << stop;
        }
    }
}

TEST(BarcodeScan, Code93WithShiftsAndBothChecks) {
    auto image = NewImage(btCODE93);
    struct Case {
        const char* caption;
        QByteArray text;
    };
    const Case cases[] = {
        {"TEST93", "TEST93"},
        {"<$>A", "\x01"},
        {"<+>H<+>E<+>L<+>L<+>O", "hello"},
        {"A</>AB</>O", "A!B/"},
        // 25 values: the weights of both checks start again.
        {"ABCDEFGHIJKLMNOPQRSTUVWXY", "ABCDEFGHIJKLMNOPQRSTUVWXY"},
        {"0123456789-. $/+%", "0123456789-. $/+%"},
    };
    for (const Case& c : cases) EXPECT_TRUE(ReadsAs(*image, c.caption, QStringLiteral("CODE-93"), c.text));
}

TEST(BarcodeScan, Code128SetsShiftsAndFunctionCharacters) {
    auto image = NewImage(btCODE128);
    struct Case {
        char start;
        const char* caption;
        QByteArray text;
    };
    const Case cases[] = {
        {'A', "ABC<CR>123", "ABC\r123"},
        {'B', "Hello, world!", "Hello, world!"},
        {'B', "a<<b>>c", "a<b>c"},
        {'C', "<12><34><56>", "123456"},
        {'A', "A<SHIFT>bC", "AbC"},
        {'B', "ab<SHIFT><LF>cd", "ab\ncd"},
        {'B', "No.<CODEC><12><34>", "No.1234"},
        {'C', "<12><CODEB>xy", "12xy"},
        {'C', "<98><CODEA>X<CODEB>y", "98Xy"},
    };
    for (const Case& c : cases) {
        image->SetStartChar(c.start);
        EXPECT_TRUE(ReadsAs(*image, c.caption, QStringLiteral("CODE-128"), c.text)) << c.caption;
    }
    // FNC1 first marks the data as GS1.
    image->SetStartChar('C');
    image->SetCaption("<FNC1><01><23><45><67>");
    const std::vector<ZbarSymbol> symbols = ZbarDecode(image->Picture()->Bitmap()->Image(), ScanSettings);
    ASSERT_EQ(symbols.size(), 1u);
    EXPECT_EQ(symbols[0].type, QStringLiteral("CODE-128"));
    EXPECT_TRUE(symbols[0].data.endsWith("01234567")) << symbols[0].data.toStdString();
}

// Data the symbology cannot take leaves a plain picture: neither the code
// drawn before nor anything a scanner could read, and nothing to copy.
TEST(BarcodeScan, DataItCannotEncodeLeavesNoCode) {
    auto image = NewImage(btCODE39);
    ASSERT_TRUE(ReadsAs(*image, "1234567890", QStringLiteral("CODE-39"), "1234567890"));
    image->SetBorderColor(TColor(0x00FF00));  // green, BGR
    int draws = 0;
    image->OnBeforeDraw = [&](TObject*, bool) { ++draws; };
    image->OnAfterDraw = [&](TObject*, bool) { ++draws; };
    image->SetBarType(btJAN);  // ten digits are no JAN number
    EXPECT_FALSE(image->Drawn());
    EXPECT_TRUE(image->Symbol().isEmpty());
    EXPECT_EQ(image->CheckValue(), -1);
    EXPECT_EQ(draws, 2);
    const QImage& picture = image->Picture()->Bitmap()->Image();
    EXPECT_TRUE(ZbarDecode(picture, ScanSettings).empty());
    EXPECT_TRUE(IsOneColour(picture, 0x00FF00));

    Clipboard()->SetAsText(QStringLiteral("kept"));
    image->CopyToClipboard();
    EXPECT_FALSE(Clipboard()->HasFormat(CF_BITMAP));
    EXPECT_EQ(Clipboard()->AsText(), QStringLiteral("kept"));
}
