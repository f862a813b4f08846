// The report label: breaking text into lines, caption and name, auto-size
// anchoring, "FontSize" streaming, painting, and printing in a real run
// (pages read back by the metafile converter).
#include "QRCtrls.h"

#include "../framework/GraphicsTestSupport.h"
#include "EmfSvg.h"
#include "Forms.h"
#include "Metafile.h"
#include "PdfTools.h"
#include "QRPrntrPrinterSupport.h"
#include "QRReportTestSupport.h"
#include "TestSupport.h"
#include "WidgetTestSupport.h"
#include "Windows.h"

#include <QtCore/QDir>
#include <QtCore/QRegularExpression>
#include <QtGui/QImage>
#include <QtWidgets/QWidget>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

namespace {

// Ten pixels a UTF-16 unit plus the one pixel a report adds to every width.
Integer Pitch10(const QString& text) { return 10 * Integer(text.size()) + 1; }

QStringList Break(const QString& text, Integer width, bool wordWrap = true)
{
    return QRBreakLines(text, width, false, wordWrap, Pitch10);
}

bool HasLoneSurrogate(const QString& line)
{
    for (qsizetype i = 0; i < line.size(); ++i) {
        if (line[i].isHighSurrogate() && (i + 1 == line.size() || !line[i + 1].isLowSurrogate()))
            return true;
        if (line[i].isLowSurrogate() && (i == 0 || !line[i - 1].isHighSurrogate()))
            return true;
    }
    return false;
}

}  // namespace

TEST(QRLabelLines, WordsKeepTheirTrailingBlankOrHyphen)
{
    // "one " measures 41 and "one two " 81: at 60 one word fits a line.
    EXPECT_EQ(Break("one two three", 60), QStringList({"one ", "two ", "three"}));
    // A line exactly as wide as the control still fits.
    EXPECT_EQ(Break("one two three", 81), QStringList({"one two ", "three"}));
    EXPECT_EQ(Break("well-known fact", 70), QStringList({"well-", "known ", "fact"}));
}

TEST(QRLabelLines, OverLongWordsGoOnInTheNextLine)
{
    // "abcd" measures 41 and "abcde" 51: at 45 four characters fit a line.
    EXPECT_EQ(Break("abcdefghij", 45), QStringList({"abcd", "efgh", "ij"}));
    // The end of the word takes the next word along when it fits.
    EXPECT_EQ(Break("ab abcdefghij cd", 45), QStringList({"ab ", "abcd", "efgh", "ij ", "cd"}));
    EXPECT_EQ(Break("abcdefg h", 45), QStringList({"abcd", "efg ", "h"}));
    // Without word wrap the rest of the word is lost, and so is what follows.
    EXPECT_EQ(Break("abcdefghij", 45, false), QStringList({"abcd"}));
    EXPECT_EQ(Break("ab abcdefghij cd", 45, false), QStringList({"ab ", "abcd"}));
}

TEST(QRLabelLines, JapaneseTextBreaksBetweenCharacters)
{
    EXPECT_EQ(Break("東京都千代田区丸の内", 45), QStringList({"東京都千", "代田区丸", "の内"}));
    // Full-width letters break as well; a Latin word stays whole up to the
    // first Japanese character after it.
    EXPECT_EQ(Break("ＡＢＣＤＥＦ", 45), QStringList({"ＡＢＣＤ", "ＥＦ"}));
    EXPECT_EQ(Break("ABC株式会社", 45), QStringList({"ABC株", "式会社"}));
    EXPECT_EQ(Break("会社ABC", 45), QStringList({"会", "社ABC"}));
    // Without word wrap a paragraph of Japanese is still one word, cut.
    EXPECT_EQ(Break("東京都千代田区丸の内", 45, false), QStringList({"東京都千"}));
}

TEST(QRLabelLines, NoLineStartsWithAClosingMarkOrEndsWithAnOpeningOne)
{
    // The comma would begin the second line: it takes the character before it along.
    EXPECT_EQ(Break("あいうえ、お", 45), QStringList({"あいう", "え、お"}));
    EXPECT_EQ(Break("あいうえお。", 55), QStringList({"あいうえ", "お。"}));
    // The long vowel mark and small kana stay with the kana before them.
    EXPECT_EQ(Break("コーヒーカップ", 35), QStringList({"コー", "ヒー", "カップ"}));
    EXPECT_EQ(Break("あいうぇ", 35), QStringList({"あい", "うぇ"}));
    // An opening bracket goes on with what it opens; a closing one stays.
    EXPECT_EQ(Break("あいう「えお」", 45), QStringList({"あいう", "「えお」"}));
    EXPECT_EQ(Break("「あいう」え", 45), QStringList({"「あい", "う」え"}));
}

TEST(QRLabelLines, WithoutWordWrapTheOverflowingWordAndTheLastLineGo)
{
    EXPECT_EQ(Break("one two three", 60, false), QStringList({"one "}));
    // A second overflow still emits the line collected up to it.
    EXPECT_EQ(Break("aa bb cc dd ee ff", 70, false), QStringList({"aa bb ", "dd ee "}));
    // Each paragraph is cut on its own.
    EXPECT_EQ(Break("one two\rsix", 60, false), QStringList({"one ", "six"}));
}

TEST(QRLabelLines, ReturnsEndParagraphsAndLineFeedsVanish)
{
    EXPECT_EQ(Break("ab\r\ncd\r\n", 100), QStringList({"ab", "cd"}));
    EXPECT_EQ(Break("ab\r\rc\nd", 100), QStringList({"ab", "", "cd"}));
    EXPECT_TRUE(Break("", 100).isEmpty());
    // Auto-sized: every paragraph is one line, however wide.
    EXPECT_EQ(QRBreakLines("one two three\r\nfour", 10, true, true, Pitch10),
              QStringList({"one two three", "four"}));
}

TEST(QRLabelLines, SurrogatePairsAreNeverSplit)
{
    const QString bold = QString::fromUtf8("\xF0\x9D\x90\x80");  // U+1D400, two units, no Japanese
    // At 35 one pair (21) fits; a pair and a half (31) would as well.
    EXPECT_EQ(Break(bold + bold + bold, 35), QStringList({bold, bold, bold}));
    EXPECT_EQ(Break(bold + bold + bold, 35, false), QStringList({bold}));
    const QString kanji = QString::fromUtf8("\xF0\xA0\x80\x8B");  // U+2000B, an ideograph
    const QString word = kanji + kanji + kanji;
    const QStringList mixed = Break("a" + word + " b" + word, 55);
    for (const QString& line : mixed)
        EXPECT_FALSE(HasLoneSurrogate(line)) << line.toStdString();
    EXPECT_EQ(mixed, QStringList({"a" + kanji + kanji, kanji + " ", "b" + kanji + kanji, kanji}));
}

TEST(QRLabelLines, ControlsNarrowerThanACharacterHoldOneALine)
{
    // Nothing measures 1 or less: wrapped, every character is a line.
    const QString text = "ab c\r𝐀東";
    for (Integer width : {0, 1}) {
        EXPECT_EQ(Break(text, width), QStringList({"a", "b", " ", "c", "𝐀", "東"})) << "width " << width;
        // Cut, nothing is left of any word.
        EXPECT_TRUE(Break(text, width, false).isEmpty()) << "width " << width;
    }
}

TEST(QRLabelLines, MeasuringGrowsLinearlyWithTheText)
{
    // Text measured in all, in UTF-16 units, for a text repeated n times.
    const auto measured = [](const QString& piece, int n) {
        qsizetype units = 0;
        const QStringList lines = QRBreakLines(piece.repeated(n), 105, false, true, [&](const QString& t) {
            units += t.size();
            return Pitch10(t);
        });
        EXPECT_EQ(lines.join(QString()), piece.repeated(n));
        return double(units);
    };
    // Japanese breaks at every character; a word without blanks goes on over many lines.
    for (const QString& piece : {QString("東京都千代田区丸の内"), QString("abcdefghij")})
        EXPECT_LT(measured(piece, 4000) / measured(piece, 2000), 2.1) << piece.toStdString();
}

// ------------------------------------------------------------ on a band

namespace {

class QRLabelOnBand : public QRReportFixture {
protected:
    void SetUp() override
    {
        QRReportFixture::SetUp();
        band = Band("Detail", rbDetail, 10);
        band->SetBounds(0, 0, 700, 40);
    }

    TQRLabel* NewLabel(const QString& name, Integer left = 100, Integer width = 100)
    {
        auto* label = new TQRLabel(report.get());
        label->SetName(name);
        label->SetBounds(left, 4, width, 4);
        label->SetParent(band);
        return label;
    }

    // A text's width as the report measures it at 100 %.
    static Integer ReportWidth(TQRLabel* label, const QString& text)
    {
        TCanvas measure;
        measure.SetFont(label->Font());
        return measure.TextWidth(text) + 1;
    }

    TQRBand* band = nullptr;
};

}  // namespace

TEST_F(QRLabelOnBand, CaptionFollowsTheNameUntilSetByHand)
{
    TQRLabel* label = NewLabel("QRLabel1");
    EXPECT_EQ(label->Caption(), "QRLabel1");
    EXPECT_EQ(label->PrintText(), "QRLabel1");
    label->SetName("Total");
    EXPECT_EQ(label->Caption(), "Total");
    label->SetCaption("Amount");
    label->SetName("Sum");
    EXPECT_EQ(label->Caption(), "Amount");
    label->SetCaption(QString());
    label->SetName("Other");
    EXPECT_EQ(label->Caption(), "Other");
    // The wide caption is kept, but the lines come from the print text.
    label->SetWidecaption("wide");
    EXPECT_EQ(label->Widecaption(), "wide");
    EXPECT_EQ(label->Lines(), QStringList({"Other"}));
}

TEST_F(QRLabelOnBand, AutoSizeKeepsTheAlignmentAnchored)
{
    TQRLabel* right = NewLabel("Right", 300, 100);
    right->SetAlignment(taRightJustify);
    right->SetCaption("ab");
    const Integer rightEdge = right->Left() + right->Width();
    right->SetCaption("a much longer caption");
    EXPECT_EQ(right->Width(), ReportWidth(right, "a much longer caption"));
    EXPECT_EQ(right->Left() + right->Width(), rightEdge);

    TQRLabel* centred = NewLabel("Centred", 300, 100);
    centred->SetAlignment(taCenter);
    centred->SetCaption("abcd");
    const Integer middle2 = 2 * centred->Left() + centred->Width();
    centred->SetCaption("abcd efgh ijkl mnop");
    EXPECT_NEAR(2 * centred->Left() + centred->Width(), middle2, 1);

    TQRLabel* left = NewLabel("Left", 300, 100);
    left->SetCaption("x");
    left->SetCaption("a much longer caption");
    EXPECT_EQ(left->Left(), 300);

    // Right-to-left alignment mirrors: left-justified text keeps its right edge.
    TQRLabel* mirrored = NewLabel("Mirrored", 300, 100);
    mirrored->SetBiDiMode(bdRightToLeft);
    mirrored->SetCaption("ab");
    const Integer mirroredEdge = mirrored->Left() + mirrored->Width();
    mirrored->SetCaption("a much longer caption");
    EXPECT_EQ(mirrored->Left() + mirrored->Width(), mirroredEdge);
}

TEST_F(QRLabelOnBand, HeightIsRaisedToOneLineAndFrameSidesWiden)
{
    TQRLabel* label = NewLabel("Framed");
    TCanvas measure;
    measure.SetFont(label->Font());
    const Integer lineHeight = measure.TextHeight("W") + 1;
    EXPECT_EQ(label->Height(), lineHeight);
    const Integer plain = label->Width();
    label->Frame()->SetDrawLeft(true);
    label->Frame()->SetDrawRight(true);
    label->Frame()->SetWidth(2);
    label->SetCaption(label->Caption());
    // 2 points at 96 dpi: round(96 / 254 x 254 / 72 x 2) = 3 pixels a side.
    EXPECT_EQ(label->Width(), plain + 6);
}

TEST_F(QRLabelOnBand, WrappedLinesFollowTheControlWidth)
{
    TQRLabel* label = NewLabel("Wrapped", 100, 100);
    label->SetAutoSize(false);
    const Integer oneTwo = ReportWidth(label, "one two ");
    const Integer one = ReportWidth(label, "one ");
    label->SetBounds(100, 4, (one + oneTwo) / 2, 20);
    label->SetCaption("one two three");
    EXPECT_EQ(label->Lines(), QStringList({"one ", "two ", "three"}));
    label->SetWordWrap(false);
    label->SetCaption("one two three");
    EXPECT_EQ(label->Lines(), QStringList({"one "}));
}

TEST_F(QRLabelOnBand, FontSizeIsStoredAndAppliedWhenLoaded)
{
    TQRLabel* source = NewLabel("Source");
    source->Font()->SetSize(14);
    TMemoryStream stream;
    source->WriteFontSize(stream);
    source->Font()->SetSize(300);
    source->WriteFontSize(stream);
    stream.SetPosition(0);

    TQRLabel* target = NewLabel("Target");
    target->BeginLoading();
    target->ReadFontSize(stream);
    EXPECT_EQ(target->FontSize(), 14);
    target->EndLoading();
    EXPECT_EQ(target->Font()->Size(), 14);
    // Sizes past a byte take the 16-bit form.
    target->ReadFontSize(stream);
    EXPECT_EQ(target->FontSize(), 300);

    TMemoryStream bad;
    const Byte junk[] = {7, 1, 2};
    bad.WriteBuffer(junk, 3);
    bad.SetPosition(0);
    EXPECT_THROW(target->ReadFontSize(bad), EReadError);
}

// ------------------------------------------------------------ painting

namespace {

// A fixed-size label at (20, 20), 200 pixels wide, on a white form.
class QRLabelPaint : public ::testing::Test {
protected:
    TQRLabel* Place(Integer height, const QString& caption, TColor textColor)
    {
        auto* label = new TQRLabel(form.get());
        label->SetParent(form.get());
        label->SetAutoSize(false);
        label->SetBounds(20, 20, 200, height);
        label->SetCaption(caption);
        label->Font()->SetColor(textColor);
        return label;
    }

    std::unique_ptr<TForm> form = WhiteForm(240, 80);
};

}  // namespace

TEST_F(QRLabelPaint, RightAlignedTextOnItsColourAtTheRightEdge)
{
    TQRLabel* label = Place(30, "Total 1,234", clBlack);
    label->SetColor(clYellow);
    label->SetAlignment(taRightJustify);
    const QImage shot = ShowAndGrab(form.get(), "qrlabel-paint-right");

    int textLeft = 1000, textRight = -1, yellow = 0;
    for (int y = 20; y < 50; ++y)
        for (int x = 20; x < 220; ++x) {
            const QRgb p = shot.pixel(x, y) & 0xFFFFFF;
            if (p == 0xFFFF00)
                ++yellow;
            else if (qGray(p) < 100) {
                textLeft = std::min(textLeft, x);
                textRight = std::max(textRight, x);
            }
        }
    ASSERT_GE(textRight, 0) << "no text drawn";
    EXPECT_GT(yellow, 200 * 30 / 2);
    // Right-aligned: the text ends at the control's right edge, well right of the middle.
    EXPECT_GE(textRight, 210);
    EXPECT_GT(textLeft, 120);
    // Nothing outside the control.
    EXPECT_EQ(shot.pixel(10, 10) & 0xFFFFFF, 0xFFFFFFu);
}

// ------------------------------------------------------------ printing

namespace {

struct PageText {
    QString text;
    double y;
    double x;
    QString anchor;
};

// The texts on page n of the run, top to bottom.
std::vector<PageText> TextsOnPage(TQRPrinter& printer, Integer n, const QString& name)
{
    std::vector<PageText> texts;
    const auto page = printer.GetPage(n);
    if (!page)
        return texts;
    for (const SvgElement& e : Named(ConvertToSvg(*page, name), "text"))
        texts.push_back({e.text, e.Number("y"), e.Number("x"), e.attributes.value("text-anchor").toString()});
    std::sort(texts.begin(), texts.end(), [](const PageText& a, const PageText& b) { return a.y < b.y; });
    return texts;
}

QStringList Words(const std::vector<PageText>& texts)
{
    QStringList words;
    for (const PageText& t : texts)
        words << t.text;
    return words;
}

class QRLabelRun : public QRReportFixture {
protected:
    void SetUp() override
    {
        QRReportFixture::SetUp();
        if (ConverterMissing())
            GTEST_SKIP() << "emf2svg-conv is not installed (scripts/install-deps.sh installs it)";
    }

    // A 270 mm title, then a 5 mm detail 2 mm above the bottom margin's
    // footer space: room for the detail but not for one more line.
    TQRLabel* LabelNearThePageEnd()
    {
        title = Band("Title", rbTitle, 270);
        detail = Band("Detail", rbDetail, 5);
        auto* label = new TQRLabel(report.get());
        label->SetName("Lines");
        label->SetParent(detail);
        label->SetCaption("L1\r\nL2\r\nL3\r\nL4\r\nL5");
        return label;
    }

    void RunTitleAndDetail()
    {
        Run([&](TScriptReport& r) {
            r.PrintBand(title);
            r.PrintBand(detail);
        });
    }

    TQRBand* title = nullptr;
    TQRBand* detail = nullptr;
};

}  // namespace

TEST_F(QRLabelRun, AutoStretchContinuesAtTheTopOfTheNextPage)
{
    TQRLabel* label = LabelNearThePageEnd();
    label->SetAutoStretch(true);
    RunTitleAndDetail();
    ASSERT_EQ(printer->PageCount(), 2);
    EXPECT_EQ(Words(TextsOnPage(*printer, 1, "qrlabel-stretch-page1")), QStringList({"L1"}));
    const std::vector<PageText> page2 = TextsOnPage(*printer, 2, "qrlabel-stretch-page2");
    ASSERT_EQ(Words(page2), QStringList({"L2", "L3", "L4", "L5"}));
    // At the top margin (10 mm = 38 px at 96 dpi), one line apart.
    EXPECT_LT(page2[0].y, 38 + 20);
    const double pitch = page2[1].y - page2[0].y;
    EXPECT_GT(pitch, 8);
    EXPECT_NEAR(page2[3].y - page2[2].y, pitch, 1);
    EXPECT_TRUE(label->Finished());
}

TEST_F(QRLabelRun, WithoutAutoStretchTheLinesPastTheBottomAreCut)
{
    LabelNearThePageEnd();
    RunTitleAndDetail();
    ASSERT_EQ(printer->PageCount(), 1);
    EXPECT_EQ(Words(TextsOnPage(*printer, 1, "qrlabel-cut-page1")), QStringList({"L1"}));
}

TEST_F(QRLabelRun, OnPrintReplacesThePrintedTextButNotTheCaption)
{
    TQRLabel* label = LabelNearThePageEnd();
    QString seen;
    label->OnPrint = [&](TObject* sender, QString& value) {
        EXPECT_EQ(sender, label);
        seen = value;
        value = QStringLiteral("Replaced");
    };
    RunTitleAndDetail();
    EXPECT_EQ(seen, "L1\r\nL2\r\nL3\r\nL4\r\nL5");
    EXPECT_EQ(Words(TextsOnPage(*printer, 1, "qrlabel-onprint-page1")), QStringList({"Replaced"}));
    EXPECT_EQ(label->Caption(), "L1\r\nL2\r\nL3\r\nL4\r\nL5");
    EXPECT_EQ(label->PrintText(), label->Caption());
}

TEST_F(QRLabelRun, ALineThatFitsNoPageEndsTheRunWithAnError)
{
    // A frame 40 points thick above the text pushes the first line below the
    // control, and a band of 275 mm leaves no room to grow on any page.
    title = Band("Title", rbTitle, 5);
    detail = Band("Detail", rbDetail, 275);
    auto* label = new TQRLabel(report.get());
    label->SetParent(detail);
    label->SetCaption("never fits");
    label->SetAutoStretch(true);
    label->Frame()->SetDrawTop(true);
    label->Frame()->SetWidth(40);
    int pages = 0;
    report->OnStartPage = [&](TCustomRazorUze*) { ++pages; };
    EXPECT_THROW(RunTitleAndDetail(), EQRError);
    EXPECT_LE(pages, 3);
    EXPECT_TRUE(report->Available());
}

TEST_F(QRLabelRun, ANarrowStretchingLabelFinishesWithEveryCharacterPrinted)
{
    detail = Band("Detail", rbDetail, 5);
    std::vector<TQRLabel*> labels;
    for (Integer width : {0, 1}) {
        auto* label = new TQRLabel(report.get());
        label->SetParent(detail);
        label->SetAutoSize(false);
        label->SetAutoStretch(true);
        label->SetBounds(10 + 20 * width, 2, width, 10);
        label->SetCaption(QString("word ").repeated(50));
        labels.push_back(label);
    }
    Run([&](TScriptReport& r) { r.PrintBand(detail); });
    // One character a line: 250 lines of each label over a few pages.
    ASSERT_GT(printer->PageCount(), 1);
    QString printed;
    for (Integer page = 1; page <= printer->PageCount(); ++page)
        for (const PageText& t : TextsOnPage(*printer, page, QStringLiteral("qrlabel-narrow-page%1").arg(page)))
            printed += t.text;
    EXPECT_EQ(printed.count(u'w'), 100);
    EXPECT_EQ(printed.count(u'd'), 100);
    for (TQRLabel* label : labels)
        EXPECT_TRUE(label->Finished());
}

TEST_F(QRLabelOnBand, AJapaneseAddressPrintsWholeOnPaper)
{
    const QString address = "東京都千代田区丸の内一丁目九番一号株式会社ベルモラ商事経理部御中";
    TQRLabel* label = NewLabel("Address");
    label->SetAutoSize(false);
    label->SetAutoStretch(true);
    label->Size()->SetWidth(40);
    label->SetCaption(address);
    ASSERT_GE(label->Lines().size(), 3);
    TPdfFolder folder;
    report->SetShowProgress(false);
    report->Walk = [&](TScriptReport& r) { r.PrintBand(band); };
    report->Print();
    const QStringList pdfs = QDir(folder.Path()).entryList({"*.pdf"}, QDir::Files);
    ASSERT_EQ(pdfs.size(), 1);
    const QString pdf = folder.Path() + "/" + pdfs.first();
    SavePdfPage(pdf, 1, "qrlabel-japanese-address", 100);
    const QStringList pages = PdfPageTexts(pdf);
    ASSERT_EQ(pages.size(), 1);
    QString printed = pages.first();
    printed.remove(QRegularExpression("\\s"));
    EXPECT_EQ(printed, address);
}

// ------------------------------------------------------------ export

TEST_F(QRLabelOnBand, ExportedLinesAndColouredBackgroundGoToTheFilter)
{
    auto* coloured = new TQRLabel(report.get());
    coloured->SetName("Coloured");
    coloured->SetParent(band);
    coloured->SetCaption("one\rtwo");
    coloured->SetColor(clYellow);
    coloured->SetHeight(36);
    auto* glass = new TQRLabel(report.get());
    glass->SetName("Glass");
    glass->SetParent(band);
    glass->SetLeft(300);
    glass->SetColor(clAqua);
    glass->SetTransparent(true);
    glass->SetCaption("three");
    report->Walk = [&](TScriptReport& r) { r.PrintBand(band); };
    TRecordingFilter filter;
    report->ExportToFilter(&filter);
    const QString calls = filter.Calls.join('\n');
    // Yellow is 00ffff in the colour's BGR order; the transparent label sends none.
    EXPECT_EQ(filter.Calls.filter(QRegularExpression("^rect .* 00ffff pen clear")).size(), 1) << calls.toStdString();
    EXPECT_TRUE(filter.Calls.filter(QRegularExpression("^rect .* ffff00 ")).isEmpty()) << calls.toStdString();
    const QStringList texts = filter.Calls.filter(QRegularExpression("^text "));
    ASSERT_EQ(texts.size(), 3) << calls.toStdString();
    EXPECT_TRUE(texts[0].startsWith("text one at 38,"));
    EXPECT_TRUE(texts[1].startsWith("text two at 38,"));
    EXPECT_TRUE(texts[2].startsWith("text three at "));
    // One line apart, and nothing drawn on a page.
    const auto y = [](const QString& call) { return call.section(',', -1).toDouble(); };
    EXPECT_GT(y(texts[1]), y(texts[0]) + 8);
    EXPECT_EQ(printer->PageCount(), 0);
}

TEST_F(QRLabelRun, AlignedTextIsAnchoredAtTheEdgeOrMiddleItHadWhenPrintingBegan)
{
    detail = Band("Detail", rbDetail, 20);
    auto make = [&](const QString& name, TAlignment alignment, Integer top) {
        auto* label = new TQRLabel(report.get());
        label->SetName(name);
        label->SetBounds(300, top, 100, 10);
        label->SetParent(detail);
        label->SetAlignment(alignment);
        label->OnPrint = [](TObject*, QString& value) { value = QStringLiteral("a much longer text"); };
        return label;
    };
    TQRLabel* right = make("Right", taRightJustify, 0);
    TQRLabel* centre = make("Centre", taCenter, 30);
    const double rightEdge = 38 + right->Left() + right->Width();
    const double middle = 38 + centre->Left() + centre->Width() / 2.0;
    Run([&](TScriptReport& r) { r.PrintBand(detail); });
    const std::vector<PageText> texts = TextsOnPage(*printer, 1, "qrlabel-aligned-page1");
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0].anchor, "end");
    EXPECT_NEAR(texts[0].x, rightEdge, 1);
    EXPECT_EQ(texts[1].anchor, "middle");
    EXPECT_NEAR(texts[1].x, middle, 1.5);
    // The controls sized themselves around the same anchors for the longer text.
    EXPECT_NEAR(38 + right->Left() + right->Width(), rightEdge, 1);
}

TEST_F(QRLabelOnBand, RightToLeftReadingMarksTheTextRecords)
{
    auto* rtl = new TQRLabel(report.get());
    rtl->SetParent(band);
    rtl->SetCaption("rtl");
    rtl->SetBiDiMode(bdRightToLeftReadingOnly);
    auto* ltr = new TQRLabel(report.get());
    ltr->SetParent(band);
    ltr->SetLeft(300);
    ltr->SetCaption("ltr");
    Run([&](TScriptReport& r) { r.PrintBand(band); });
    const auto page = printer->GetPage(1);
    ASSERT_NE(page, nullptr);
    // Each text record with the alignment in force and its output options.
    constexpr Cardinal SetTextAlignRecord = 22, ExtTextOutWRecord = 84;
    Cardinal align = 0;
    std::vector<std::pair<Cardinal, Cardinal>> texts;
    EnumMetafileRecords(*page, [&](const TMetafileRecord& record) {
        const auto at = [&](int offset) {
            quint32 v = 0;
            std::memcpy(&v, record.Bytes.data() + offset, 4);
            return Cardinal(v);
        };
        if (record.Type == SetTextAlignRecord)
            align = at(8);
        else if (record.Type == ExtTextOutWRecord)
            texts.emplace_back(align, at(52));
        return true;
    });
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0].first & TA_RTLREADING, TA_RTLREADING);
    EXPECT_EQ(texts[0].second & ETO_RTLREADING, ETO_RTLREADING);
    EXPECT_EQ(texts[1].first & TA_RTLREADING, 0u);
    EXPECT_EQ(texts[1].second & ETO_RTLREADING, 0u);
}

TEST_F(QRLabelPaint, AFrameMovesTheTextInAndStaysVisible)
{
    TQRLabel* label = Place(40, "Framed", clNavy);
    label->Frame()->SetDrawLeft(true);
    label->Frame()->SetDrawTop(true);
    label->Frame()->SetColor(clRed);
    label->Frame()->SetWidth(6);  // 8 screen pixels
    const QImage shot = ShowAndGrab(form.get(), "qrlabel-paint-frame");
    // The red strips, 8 pixels on the left and on the top.
    EXPECT_EQ(shot.pixel(20 + 7, 40) & 0xFFFFFF, 0xFF0000u);
    EXPECT_NE(shot.pixel(20 + 8, 40) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(shot.pixel(100, 20 + 7) & 0xFFFFFF, 0xFF0000u);
    // The text starts inside the frame.
    int textLeft = 1000, textTop = 1000;
    for (int y = 20; y < 60; ++y)
        for (int x = 20; x < 220; ++x)
            if ((shot.pixel(x, y) & 0xFFFFFF) == 0x000080u) {
                textLeft = std::min(textLeft, x);
                textTop = std::min(textTop, y);
            }
    ASSERT_LT(textLeft, 1000) << "no text drawn";
    EXPECT_GE(textLeft, 20 + 8);
    EXPECT_GE(textTop, 20 + 8);
    EXPECT_LT(textLeft, 20 + 8 + 4);
}
