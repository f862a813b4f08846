// The barcode image: properties and the redraws they cause, the layout of
// bars, margins, frame, guides and rotation read from the pixels (bar areas
// only), the 4-state layout, the events, the clipboard and the UPC
// conversions.
#include "CBarCode.h"
#include "CBarCodeText.h"
#include "Clipbrd.h"
#include "Forms.h"
#include "SysUtils.h"
#include "TestSupport.h"
#include "WidgetTestSupport.h"

#include <QtGui/QClipboard>
#include <QtGui/QGuiApplication>
#include <QtGui/QImage>
#include <QtGui/QTransform>
#include <QtTest/QTest>
#include <QtWidgets/QWidget>

#include <gtest/gtest.h>

#include <iterator>
#include <limits>
#include <memory>
#include <set>
#include <string>
#include <utility>

namespace {

std::unique_ptr<TCBarImage> NewImage(TBarType type, const AnsiString& caption = {}) {
    auto image = std::make_unique<TCBarImage>(nullptr);
    image->SetAutoFit(true);
    image->SetBarType(type);
    if (!caption.isEmpty()) image->SetCaption(caption);
    return image;
}

const QImage& PictureOf(const TCBarImage& image) { return image.Picture()->Bitmap()->Image(); }

bool IsDark(const QImage& image, int x, int y) { return (image.pixel(x, y) & 0xFFFFFF) == 0; }
bool IsWhite(const QImage& image, int x, int y) { return (image.pixel(x, y) & 0xFFFFFF) == 0xFFFFFF; }

// One row of pixels as '1' (dark) and '0' (anything else), x in [from, to).
std::string Row(const QImage& image, int y, int from, int to) {
    std::string row;
    for (int x = from; x < to; ++x) row += IsDark(image, x, y) ? '1' : '0';
    return row;
}

// An element string as it is drawn: widths per element, '1' for bar pixels.
std::string Pixels(const AnsiString& elements, int cell, int ratio, bool usesRatio) {
    std::string pixels;
    for (char d : elements) {
        int w = ((d - '0') / 2 + 1) * cell;
        if (usesRatio && w > cell) w = w * ratio / 20;
        pixels.append(size_t(w), (d - '0') % 2 ? '1' : '0');
    }
    return pixels;
}

AnsiString Elements(AnsiString (*encode)(TBarEncoding&), const AnsiString& caption, char start = 'a') {
    TBarEncoding e;
    e.Caption = caption;
    e.StartChar = start;
    return encode(e);
}

// Bounding box of the dark pixels in rect of image.
QRect DarkBox(const QImage& image, const QRect& rect) {
    QRect box;
    for (int y = rect.top(); y <= rect.bottom(); ++y)
        for (int x = rect.left(); x <= rect.right(); ++x)
            if (IsDark(image, x, y)) box |= QRect(x, y, 1, 1);
    return box;
}

// Height of the symbol text in the image's font.
int SymbolHeight(const TCBarImage& image) {
    TBitmap probe;
    probe.Canvas()->Font()->Assign(image.SymbolFont());
    return probe.Canvas()->TextHeight(AnsiToWide(image.Symbol()));
}

QImage Turned(const QImage& image, int angle) {
    return image.transformed(QTransform().rotate(angle)).convertToFormat(QImage::Format_RGB32);
}

}  // namespace

TEST(BarcodeImage, StartsWithItsDefaultsAndDrawsNothing) {
    TCBarImage image(nullptr);
    EXPECT_EQ(image.Width(), 105);
    EXPECT_EQ(image.Height(), 105);
    EXPECT_EQ(image.Picture()->Graphic(), nullptr);
    EXPECT_EQ(image.Angle(), 0);
    EXPECT_FALSE(image.AutoFit());
    EXPECT_EQ(image.BarType(), btNW7);
    EXPECT_EQ(image.BarHeight(), 105);
    EXPECT_EQ(image.BarMarginLeft(), 10);
    EXPECT_EQ(image.BarMarginRight(), 10);
    EXPECT_EQ(image.BarMarginTop(), 0);
    EXPECT_EQ(image.BorderColor(), TColor(0xFFFFFF));
    EXPECT_EQ(image.CellColor(), TColor(0));
    EXPECT_EQ(image.CellRatio(), 20);
    EXPECT_EQ(image.CellWidth(), 1);
    EXPECT_EQ(image.Frame(), 0);
    EXPECT_EQ(image.GuideTopAlignment(), taCenter);
    EXPECT_EQ(image.StartChar(), 'a');
    EXPECT_EQ(image.StopChar(), 'a');
    EXPECT_EQ(image.SymbolCharCase(), scLowerCase);
    EXPECT_FALSE(image.SymbolCdDisp());
    EXPECT_TRUE(image.SymbolDisp());
    EXPECT_EQ(image.CheckValue(), -1);
    EXPECT_FALSE(image.Drawn());
    EXPECT_FALSE(image.WatchClipboard());
    EXPECT_TRUE(bool(image.OnClipboardChange));

    image.SetCaption("1234567890");
    EXPECT_TRUE(image.Drawn());
    EXPECT_EQ(image.Symbol(), "a1234567890a");
    EXPECT_EQ(image.Text(), QStringLiteral("1234567890"));
    SaveTestImage(PictureOf(image), QStringLiteral("barcode_default_nw7"));
}

TEST(BarcodeImage, SettersKeepTheirRangesAndRedrawOnlyWhenItMatters) {
    auto image = NewImage(btJAN, "490123456789");
    int draws = 0;
    image->OnBeforeDraw = [&](TObject*, bool) { ++draws; };
    image->SetAngle(45);
    EXPECT_EQ(image->Angle(), 0);
    image->SetBarMarginLeft(-5);
    EXPECT_EQ(image->BarMarginLeft(), 0);
    image->SetCellWidth(0);
    EXPECT_EQ(image->CellWidth(), 1);
    image->SetCellWidth(11);
    EXPECT_EQ(image->CellWidth(), 10);
    image->SetCellRatio(40);
    EXPECT_EQ(image->CellRatio(), 30);
    EXPECT_EQ(draws, 3);  // margin and both cell widths: JAN ignores angle 45 and the ratio
    image->SetCD(true);
    image->SetGuideTopAlignment(taLeftJustify);  // no guide text
    image->SetStopChar('b');
    EXPECT_EQ(draws, 3);
    image->SetGuideTop("X");
    image->SetGuideTopAlignment(taRightJustify);
    EXPECT_EQ(draws, 5);

    image->SetStartChar('x');
    EXPECT_EQ(image->StartChar(), 'a');
    image->SetStartChar('C');
    EXPECT_EQ(image->StartChar(), 'c');
    image->SetSymbolCharCase(scUpperCase);
    EXPECT_EQ(image->StartChar(), 'C');
    EXPECT_EQ(image->StopChar(), 'B');
}

TEST(BarcodeImage, EmptyCaptionClearsThePicture) {
    auto image = NewImage(btJAN, "490123456789");
    image->SetBorderColor(TColor(0x00FF00));  // green, BGR
    image->SetCaption("");
    EXPECT_FALSE(image->Drawn());
    EXPECT_TRUE(IsOneColour(PictureOf(*image), 0x00FF00));
}

TEST(BarcodeImage, BarsFollowTheElementStringWidthsAndMargins) {
    struct Case {
        TBarType type;
        AnsiString (*encode)(TBarEncoding&);
        const char* caption;
        int cell;
        int ratio;
    };
    const Case cases[] = {
        {btJAN, EncodeJAN, "490123456789", 2, 20},   {btCODE39, EncodeCODE39, "AB-12", 2, 25},
        {btCODE39, EncodeCODE39, "AB-12", 1, 30},    {btCODE128, EncodeCODE128, "Hi!", 2, 30},
        {btCTF, EncodeCTF, "90210", 3, 25},          {btNEC, EncodeNEC, "4711", 1, 20},
        {btMATRIX, EncodeMATRIX, "4711", 2, 25},     {btIATA, EncodeIATA, "4711", 2, 20},
        {btCODE93, EncodeCODE93, "X<+>Y", 3, 30},
    };
    for (const Case& c : cases) {
        auto image = NewImage(c.type);
        image->SetSymbolDisp(false);
        image->SetBarMarginLeft(7);
        image->SetBarMarginRight(13);
        image->SetBarMarginTop(4);
        image->SetBarMarginBottom(6);
        image->SetBarHeight(40);
        image->SetCellWidth(TCellWidth(c.cell));
        image->SetCellRatio(TCellRatio(c.ratio));
        image->SetStartChar('B');
        image->SetCaption(c.caption);
        ASSERT_TRUE(image->Drawn()) << c.caption;
        const bool usesRatio = c.type >= btCODE39 && c.type <= btNEC;
        const std::string bars = Pixels(Elements(c.encode, c.caption, 'B'), c.cell, c.ratio, usesRatio);
        const QImage& picture = PictureOf(*image);
        ASSERT_EQ(picture.width(), 7 + int(bars.size()) + 13) << c.caption;
        ASSERT_EQ(picture.height(), 4 + 40 + 6);
        EXPECT_EQ(image->BarWidth(), int(bars.size()));
        // Every row of the bar length shows the same bars; the margins are clear.
        for (int y : {4, 20, 43}) EXPECT_EQ(Row(picture, y, 7, 7 + int(bars.size())), bars) << c.caption << " row " << y;
        for (int y : {3, 44}) EXPECT_EQ(DarkBox(picture, QRect(0, y, picture.width(), 1)), QRect()) << c.caption;
        EXPECT_EQ(DarkBox(picture, QRect(0, 0, 7, picture.height())), QRect());
    }
}

TEST(BarcodeImage, CellRatioWidensOnlyTheWideElementsOfItsSymbologies) {
    auto image = NewImage(btCODE39, "1");
    image->SetSymbolDisp(false);
    image->SetCellWidth(2);
    image->SetCellRatio(25);
    // Wide bars 2 x 2 x 25 / 20 = 5 pixels, narrow ones 2.
    const std::string row = Row(PictureOf(*image), 10, 10, PictureOf(*image).width() - 10);
    std::set<size_t> runs;
    for (size_t i = 0; i < row.size();) {
        size_t j = i;
        while (j < row.size() && row[j] == row[i]) ++j;
        runs.insert(j - i);
        i = j;
    }
    EXPECT_EQ(runs, (std::set<size_t>{2, 5}));

    image->SetBarType(btCODE128);
    image->SetCaption("ABC");
    const QImage before = PictureOf(*image);
    image->SetCellRatio(30);
    image->Redraw();
    EXPECT_EQ(PictureOf(*image), before);
}

TEST(BarcodeImage, AutoFitSizesTheControlAndBarHeightMakesRoomForTheSymbol) {
    auto image = NewImage(btCODE128);
    image->SetStartChar('B');
    image->SetBarLeft(5);
    image->SetBarTop(9);
    image->SetBarHeight(10);
    image->SetCaption("AutoFit");
    const int sh = SymbolHeight(*image);
    EXPECT_EQ(image->BarHeight(), sh + 6);  // raised
    const int tw = 10 + image->BarWidth() + 10;
    EXPECT_EQ(image->Width(), 5 + tw);
    EXPECT_EQ(image->Height(), 9 + image->BarHeight());
    // The bars are 6 pixels long, from BarTop down.
    const QImage& picture = PictureOf(*image);
    EXPECT_TRUE(IsDark(picture, 5 + 10, 9));
    EXPECT_TRUE(IsDark(picture, 5 + 10, 9 + 5));
    EXPECT_FALSE(IsDark(picture, 5 + 10, 8));
    EXPECT_FALSE(IsDark(picture, 4 + 10, 9));
}

TEST(BarcodeImage, FrameSurroundsTheBlockOrTheBarsOfItf) {
    auto image = NewImage(btCODE39, "FRAME");
    image->SetSymbolDisp(false);
    image->SetBarMarginTop(8);
    image->SetBarMarginBottom(8);
    image->SetBarHeight(40);
    image->SetFrame(3);
    const QImage& picture = PictureOf(*image);
    SaveTestImage(picture, QStringLiteral("barcode_frame"));
    const int w = image->Width();
    const int h = image->Height();
    ASSERT_EQ(h, 56);
    for (int x = 0; x < w; ++x) {
        EXPECT_TRUE(IsDark(picture, x, 0) && IsDark(picture, x, 2) && IsDark(picture, x, h - 1)) << x;
        if (x >= 3 && x < w - 3) {
            EXPECT_TRUE(IsWhite(picture, x, 3) && IsWhite(picture, x, h - 4)) << x;
        }
    }
    for (int y = 0; y < h; ++y) EXPECT_TRUE(IsDark(picture, 0, y) && IsDark(picture, w - 3, y)) << y;
    // Lowered to half the shorter side, less 1.
    image->SetFrame(100);
    EXPECT_EQ(image->Frame(), 56 / 2 - 1);

    // ITF: bearer bars over the bar length only, across margins and all.
    auto itf = NewImage(btITF);
    itf->SetBarMarginTop(10);
    itf->SetBarHeight(50);
    itf->SetFrame(4);
    itf->SetCaption("1234");
    const QImage& bearer = PictureOf(*itf);
    SaveTestImage(bearer, QStringLiteral("barcode_itf_bearer"));
    const int bottom = 10 + 50 - SymbolHeight(*itf);  // the end of the bars
    for (int x = 0; x < itf->Width(); ++x) {
        EXPECT_FALSE(IsDark(bearer, x, 9)) << x;
        EXPECT_TRUE(IsDark(bearer, x, 10) && IsDark(bearer, x, 13)) << x;
        EXPECT_TRUE(IsDark(bearer, x, bottom - 4) && IsDark(bearer, x, bottom - 1)) << x;
    }
    for (int y = 10; y < bottom; ++y) {
        EXPECT_TRUE(IsDark(bearer, 3, y) && IsDark(bearer, itf->Width() - 4, y)) << y;
        EXPECT_FALSE(IsDark(bearer, 4, y) && y >= 14 && y < bottom - 4) << y;  // margin inside the frame
    }
}

TEST(BarcodeImage, GuidesSitAboveAndBelowByTheirAlignment) {
    auto image = NewImage(btCODE39, "GUIDE");
    image->SetSymbolDisp(false);
    image->SetBarMarginTop(20);
    image->SetBarMarginBottom(20);
    image->SetBarHeight(30);
    image->SetGuideTop("TOP");
    image->SetGuideBottom("BOTTOM");
    const int w = image->Width();
    const int h = image->Height();
    ASSERT_EQ(h, 70);
    auto guideBox = [&](bool top) {
        return DarkBox(PictureOf(*image), top ? QRect(0, 0, w, 20) : QRect(0, 50, w, 20));
    };
    SaveTestImage(PictureOf(*image), QStringLiteral("barcode_guides"));
    const QRect centred = guideBox(true);
    ASSERT_FALSE(centred.isEmpty());
    EXPECT_LE(std::abs(centred.left() - (w - 1 - centred.right())), 3);  // centred within a few pixels of bearing
    image->SetGuideTopAlignment(taLeftJustify);
    EXPECT_LE(guideBox(true).left(), 2);
    image->SetGuideTopAlignment(taRightJustify);
    EXPECT_GE(guideBox(true).right(), w - 3);
    image->SetGuideBottomAlignment(taRightJustify);
    EXPECT_GE(guideBox(false).right(), w - 3);
    EXPECT_GT(guideBox(false).left(), w / 3);
    // The bars stay between the guides.
    EXPECT_TRUE(IsDark(PictureOf(*image), 10, 20));
    EXPECT_TRUE(IsDark(PictureOf(*image), 10, 49));
}

TEST(BarcodeImage, RotationTurnsThePictureClockwise) {
    // An asymmetric block: margins of four different sizes, bars that are
    // not a palindrome, no text.
    auto image = NewImage(btCODE128);
    image->SetSymbolDisp(false);
    image->SetStartChar('B');
    image->SetBarMarginLeft(3);
    image->SetBarMarginRight(17);
    image->SetBarMarginTop(5);
    image->SetBarMarginBottom(11);
    image->SetBarHeight(30);
    image->SetCellColor(TColor(0x0000FF));  // red, BGR
    image->SetFrame(2);
    image->SetCaption("Turn");
    const QImage upright = PictureOf(*image);
    const int w = image->Width();
    const int h = image->Height();
    for (int angle : {90, 180, 270}) {
        image->SetAngle(angle);
        EXPECT_EQ(PictureOf(*image), Turned(upright, angle)) << angle;
        EXPECT_EQ(image->Width(), angle == 180 ? w : h);
        EXPECT_EQ(image->Height(), angle == 180 ? h : w);
    }
    SaveTestImage(PictureOf(*image), QStringLiteral("barcode_angle_270"));

    // Without AutoFit the control keeps its size and the block's top left
    // corner lands at (BarLeft, BarTop) of the turned picture.
    image->SetAngle(0);
    image->SetAutoFit(false);
    image->SetBounds(0, 0, 160, 200);
    image->Picture()->Bitmap()->SetSize(160, 200);
    image->SetBarLeft(6);
    image->SetBarTop(4);
    image->SetAngle(90);
    EXPECT_EQ(image->Width(), 160);
    EXPECT_EQ(image->Height(), 200);
    const QImage turned = Turned(upright, 90);
    const QImage& picture = PictureOf(*image);
    SaveTestImage(picture, QStringLiteral("barcode_angle_90_fixed"));
    EXPECT_EQ(picture.copy(6, 4, turned.width(), turned.height()), turned);
    EXPECT_EQ(DarkBox(picture, picture.rect()), QRect());  // red bars only
}

TEST(BarcodeImage, RedrawKeepsTheVisibilityTheProgramChose) {
    auto image = NewImage(btCODE39, "A");
    image->SetAutoFit(false);
    bool visibleWhileDrawing = true;
    image->OnAfterDraw = [&](TObject*, bool) { visibleWhileDrawing = image->Visible(); };
    image->SetVisible(false);
    image->SetCaption("HIDDEN");
    EXPECT_TRUE(image->Drawn());
    EXPECT_FALSE(image->Visible());
    image->SetVisible(true);
    image->SetCaption("SHOWN");
    EXPECT_TRUE(image->Visible());
    EXPECT_TRUE(visibleWhileDrawing);
}

TEST(BarcodeImage, CustomerBarcodeInFourStates) {
    auto image = NewImage(btCUSTOMER);
    image->SetSymbolDisp(false);
    image->SetCellWidth(2);
    image->SetBarMarginLeft(0);
    image->SetBarMarginRight(0);
    image->SetCaption("263-0023");
    ASSERT_TRUE(image->Drawn());
    EXPECT_EQ(image->CheckValue(), 15);
    EXPECT_EQ(image->BarHeight(), 12);
    const QImage& picture = PictureOf(*image);
    SaveTestImage(picture, QStringLiteral("barcode_customer"));
    // Position i spans pixels 2(i - 1) .. 2i; the thirds are 4 pixels each.
    const AnsiString elements = Elements(EncodeCUSTOMER, "263-0023");
    ASSERT_EQ(picture.height(), 12);
    // From one cell left of the start's long bar to the stop's long bar.
    ASSERT_EQ(picture.width(), (elements.size() - 4) * 2);
    for (qsizetype i = 2; i < elements.size() - 3; ++i) {
        const int x = int(i - 1) * 2;
        const int digit = (IsDark(picture, x, 0) ? 4 : 0) | (IsDark(picture, x + 1, 5) ? 2 : 0) |
                          (IsDark(picture, x, 11) ? 1 : 0);
        EXPECT_EQ(digit, elements[i] - '0') << i;
    }
    // The bar length is computed: BarHeight does not redraw this type.
    int draws = 0;
    image->OnBeforeDraw = [&](TObject*, bool) { ++draws; };
    image->SetBarHeight(80);
    EXPECT_EQ(draws, 0);
    image->SetSymbolDisp(true);
    EXPECT_EQ(image->BarHeight(), 12 + SymbolHeight(*image));
}

TEST(BarcodeImage, CaptionEventsAndClipboardPaste) {
    auto image = NewImage(btCODE39);
    std::vector<std::string> events;
    auto log = [&](const char* name) {
        return [&events, name](TObject*, bool fromClipboard) { events.push_back(std::string(name) + (fromClipboard ? "*" : "")); };
    };
    image->OnCaptionChanging = log("changing");
    image->OnBeforeDraw = log("before");
    image->OnAfterDraw = log("after");
    image->OnCaptionChanged = log("changed");
    image->SetCaption("ABC");
    EXPECT_EQ(events, (std::vector<std::string>{"changing", "before", "after", "changed"}));

    // Pasting takes the first line; the same text again changes nothing.
    Clipboard()->SetAsText(QStringLiteral("123\r\n456"));
    events.clear();
    image->PasteFromClipboard();
    EXPECT_EQ(image->Caption(), "123");
    EXPECT_EQ(events.size(), 4u);
    Clipboard()->SetAsText(QStringLiteral("123"));
    events.clear();
    image->PasteFromClipboard();
    EXPECT_TRUE(events.empty());
    Clipboard()->SetAsText(QStringLiteral("XYZ\n789"));
    image->PasteFromClipboard();
    EXPECT_EQ(image->Caption(), "XYZ");
    Clipboard()->SetAsText(QString(300, QLatin1Char('7')));
    image->PasteFromClipboard();
    EXPECT_EQ(image->Caption().size(), 256);

    // Watching: a change of the clipboard pastes, and the events say so.
    image->SetWatchClipboard(true);
    events.clear();
    Clipboard()->SetAsText(QStringLiteral("WATCHED"));
    QCoreApplication::processEvents();
    EXPECT_EQ(image->Caption(), "WATCHED");
    EXPECT_EQ(events, (std::vector<std::string>{"changing*", "before*", "after*", "changed*"}));
    // An exception of the handler reaches the application's handler.
    QString reported;
    Application->OnException = [&](TObject*, const Exception& e) { reported = e.Message(); };
    image->OnClipboardChange = [](TObject*) { throw Exception(QStringLiteral("clipboard trouble")); };
    Clipboard()->SetAsText(QStringLiteral("THROWN"));
    QCoreApplication::processEvents();
    Application->OnException = nullptr;
    EXPECT_EQ(reported, QStringLiteral("clipboard trouble"));
    EXPECT_EQ(image->Caption(), "WATCHED");
    // Not watching: nothing follows the clipboard.
    image->SetWatchClipboard(false);
    image->OnClipboardChange = [](TObject*) { FAIL() << "not watching"; };
    Clipboard()->SetAsText(QStringLiteral("IGNORED"));
    QCoreApplication::processEvents();
    EXPECT_EQ(image->Caption(), "WATCHED");
}

TEST(BarcodeImage, CopiesItsPictureToTheClipboard) {
    auto image = std::make_unique<TCBarImage>(nullptr);
    Clipboard()->SetAsText(QStringLiteral("before"));
    image->CopyToClipboard();  // nothing drawn, empty picture: nothing copied
    EXPECT_TRUE(Clipboard()->HasFormat(CF_TEXT));
    image->SetBarType(btJAN);
    image->SetCaption("490123456789");
    image->CopyToClipboard();
    ASSERT_TRUE(Clipboard()->HasFormat(CF_BITMAP));
    EXPECT_EQ(QGuiApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32), PictureOf(*image));
    image->Clear();
    EXPECT_FALSE(image->Drawn());
    EXPECT_EQ(image->Picture()->Graphic(), nullptr);
}

TEST(BarcodeImage, ConvertsBetweenUpcAAndUpcE) {
    auto image = NewImage(btUPC, "01200000345");
    int captionEvents = 0;
    image->OnCaptionChanged = [&](TObject*, bool) { ++captionEvents; };
    image->ConvertToUPCE();
    EXPECT_EQ(image->Caption(), "0123450");
    EXPECT_TRUE(image->Drawn());
    EXPECT_EQ(image->Symbol(), "01234505");
    image->ConvertToUPCA();
    EXPECT_EQ(image->Caption(), "01200000345");
    EXPECT_EQ(captionEvents, 0);
    // Number system 1 has no UPC-E form: only Drawn is cleared.
    image->SetCaption("11200000345");
    ASSERT_TRUE(image->Drawn());
    image->ConvertToUPCE();
    EXPECT_EQ(image->Caption(), "11200000345");
    EXPECT_FALSE(image->Drawn());
    // Not UPC: nothing but Drawn.
    auto jan = NewImage(btJAN, "01200000345");
    jan->ConvertToUPCE();
    EXPECT_FALSE(jan->Drawn());
}

TEST(BarcodeImage, ShowsOnItsFormAndTakesClicks) {
    TForm form(nullptr);
    form.SetBounds(0, 0, 320, 200);
    form.SetColor(clWhite);
    auto* image = new TCBarImage(&form);
    image->SetParent(&form);
    image->SetBounds(12, 16, 105, 105);
    image->SetAutoFit(true);
    image->SetSymbolDisp(false);
    image->SetBarType(btCODE39);
    image->SetCaption("FORM");
    int clicks = 0;
    image->OnClick = [&](TObject*) { ++clicks; };
    ShowActive(&form);
    const QImage shot = form.Handle()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    SaveTestImage(shot, QStringLiteral("barcode_on_form"));
    const QImage& picture = PictureOf(*image);
    EXPECT_EQ(shot.copy(12, 16, picture.width(), picture.height()), picture);
    ClickControl(image);
    EXPECT_EQ(clicks, 1);
}

TEST(BarcodeImage, ABarcodeTooLargeToHoldIsNotDrawn) {
    auto image = NewImage(btCODE128);
    image->SetCellWidth(10);
    image->SetCaption("SMALL");
    ASSERT_TRUE(image->Drawn());
    const QImage before = PictureOf(*image);
    const int width = image->Width();
    image->SetCaption(AnsiString(300000, 'A'));  // some 33 million pixels wide
    EXPECT_FALSE(image->Drawn());
    EXPECT_EQ(image->Width(), width);
    EXPECT_EQ(PictureOf(*image).size(), before.size());
    EXPECT_TRUE(IsOneColour(PictureOf(*image), 0xFFFFFF));
    EXPECT_EQ(image->Symbol(), AnsiString(300000, 'A'));  // encoded, only not drawn
}

// Places and margins no picture can hold are refused at every angle, with
// and without AutoFit: nothing drawn, no arithmetic run past Integer.
TEST(BarcodeImage, PlacesAndMarginsBeyondAnyPictureAreRefused) {
    constexpr Integer Max = std::numeric_limits<Integer>::max();
    constexpr Integer Min = std::numeric_limits<Integer>::min();
    using Setter = void (TCBarImage::*)(Integer);
    const std::pair<Setter, Integer> cases[] = {
        {&TCBarImage::SetBarLeft, Max},       {&TCBarImage::SetBarLeft, Min},        {&TCBarImage::SetBarTop, Max},
        {&TCBarImage::SetBarTop, Min},        {&TCBarImage::SetBarHeight, Max},      {&TCBarImage::SetBarMarginLeft, Max},
        {&TCBarImage::SetBarMarginRight, Max}, {&TCBarImage::SetBarMarginTop, Max}, {&TCBarImage::SetBarMarginBottom, Max},
    };
    for (bool autoFit : {false, true}) {
        for (Integer angle : {0, 90, 180, 270}) {
            for (size_t i = 0; i < std::size(cases); ++i) {
                auto image = NewImage(btCODE39, "HOSTILE");
                image->SetAutoFit(autoFit);
                image->SetAngle(angle);
                ASSERT_TRUE(image->Drawn());
                (image.get()->*cases[i].first)(cases[i].second);
                EXPECT_FALSE(image->Drawn()) << "case " << i << " at " << angle << (autoFit ? " fitted" : "");
                EXPECT_TRUE(IsOneColour(PictureOf(*image), 0xFFFFFF)) << "case " << i << " at " << angle;
            }
        }
    }
}

// Texts longer than any picture, or in a font too large to be measured, are
// refused as well: their widths run past Integer.
TEST(BarcodeImage, TextsBeyondAnyPictureAreRefused) {
    for (Integer size : {5000, 32767}) {
        for (bool symbol : {false, true}) {
            auto image = NewImage(btCODE39, "G");
            image->SetSymbolDisp(symbol);
            image->SymbolFont()->SetSize(size);
            image->SetGuideTop(AnsiString(1 << 20, 'W'));
            image->SetGuideTop(AnsiString(1 << 20, 'W'));  // measured again with the font's glyphs
            EXPECT_FALSE(image->Drawn()) << size;
            EXPECT_TRUE(IsOneColour(PictureOf(*image), 0xFFFFFF)) << size;
        }
    }
}

TEST(BarcodeImage, DrawsTheSameIntoA24BitPicture) {
    auto image = NewImage(btCODE39);
    image->SetFrame(2);
    image->SetGuideTop("G");
    image->SetBarMarginTop(16);
    image->SetCaption("PF24");
    const QImage direct = PictureOf(*image).convertToFormat(QImage::Format_RGB32);
    image->Picture()->Bitmap()->SetPixelFormat(pf24bit);
    image->Redraw();
    ASSERT_EQ(image->Picture()->Bitmap()->PixelFormat(), pf24bit);
    EXPECT_EQ(PictureOf(*image).convertToFormat(QImage::Format_RGB32), direct);
}

// A window draws each of its images once when it is made: that draw leaves
// the texts to the canvas, and a second draw takes the font's glyphs.
TEST(BarcodeImage, TakesTheGlyphsOfItsFontAtItsSecondDraw) {
    auto image = NewImage(btCODE39);
    image->SymbolFont()->SetHeight(-23);  // a font no other image here draws with
    const Integer taken = CBarCode::TBarGlyphs::SetsTaken();
    image->SetCaption("FIRST");
    ASSERT_TRUE(image->Drawn());
    EXPECT_EQ(CBarCode::TBarGlyphs::SetsTaken(), taken);
    image->SetCaption("SECOND");
    ASSERT_TRUE(image->Drawn());
    EXPECT_EQ(CBarCode::TBarGlyphs::SetsTaken(), taken + 1);
}

namespace {

// What a barcode block drawn at (0, 0) with AutoFit should look like, drawn
// independently of the image: the background, one rectangle per bar, and
// the symbol and guide texts through a plain canvas in the symbol font.
struct ReferenceBlock {
    std::string bars;  // one character per pixel column of the bar area
    int marginLeft = 10, marginRight = 10, marginTop = 0, marginBottom = 0;
    int barHeight = 105;
    TColor border = TColor(0xFFFFFF), cell = TColor(0);
    AnsiString symbol, guideTop, guideBottom;
    TAlignment topAlignment = taCenter, bottomAlignment = taCenter;
};

QImage Reference(const ReferenceBlock& b, TFont* font) {
    TBitmap measure;
    TCanvas* m = measure.Canvas();
    m->Font()->Assign(font);
    auto extent = [m](const AnsiString& text) { return text.isEmpty() ? TSize() : m->TextExtent(AnsiToWide(text)); };
    const TSize s = extent(b.symbol), t = extent(b.guideTop), g = extent(b.guideBottom);
    const int w = int(b.bars.size());
    const int barHeight = std::max(b.barHeight, s.cy + 6);
    const int length = barHeight - s.cy;
    const int tw = b.marginLeft + std::max(w, s.cx) + b.marginRight;
    const int th = b.marginTop + barHeight + b.marginBottom;
    const int barOffset = w <= s.cx ? (s.cx - w) / 2 : 0;
    const int textOffset = w > s.cx ? (w - s.cx) / 2 : 0;

    TBitmap picture;
    picture.SetSize(tw, th);
    TCanvas* c = picture.Canvas();
    c->Brush()->SetColor(b.border);
    c->FillRect(Rect(0, 0, tw, th));
    c->Brush()->SetColor(b.cell);
    for (int x = 0; x < w; ++x)
        if (b.bars[size_t(x)] == '1') c->FillRect(Bounds(b.marginLeft + barOffset + x, b.marginTop, 1, length));
    c->Brush()->SetStyle(bsClear);
    c->Font()->Assign(font);
    auto at = [&](TAlignment alignment, int width) {
        return std::max(0, alignment == taLeftJustify ? 0 : alignment == taRightJustify ? tw - width : (tw - width) / 2);
    };
    if (!b.symbol.isEmpty()) c->TextOut(b.marginLeft + textOffset, b.marginTop + length, AnsiToWide(b.symbol));
    if (!b.guideTop.isEmpty()) c->TextOut(at(b.topAlignment, t.cx), 0, AnsiToWide(b.guideTop));
    if (!b.guideBottom.isEmpty()) c->TextOut(at(b.bottomAlignment, g.cx), th - g.cy, AnsiToWide(b.guideBottom));
    return picture.Image().convertToFormat(QImage::Format_RGB32);
}

// The box around the pixels where two pictures of one size differ.
QRect DifferingPixels(const QImage& a, const QImage& b) {
    QRect box;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if ((a.pixel(x, y) & 0xFFFFFF) != (b.pixel(x, y) & 0xFFFFFF)) box |= QRect(x, y, 1, 1);
    return box;
}

}  // namespace

// One image redrawn again and again, as a program changes its caption,
// colours, texts and font: every picture equals the reference drawing.
TEST(BarcodeImage, EveryRedrawShowsTheSamePixelsAsAPlainDrawing) {
    auto image = NewImage(btJAN);
    ReferenceBlock block;
    auto check = [&](const char* step) {
        ASSERT_TRUE(image->Drawn()) << step;
        block.symbol = image->SymbolDisp() ? image->Symbol() : AnsiString();
        const QImage expected = Reference(block, image->SymbolFont());
        const QImage actual = PictureOf(*image).convertToFormat(QImage::Format_RGB32);
        if (actual != expected) {
            SaveTestImage(actual, QStringLiteral("barcode_redraw_actual_%1").arg(step));
            SaveTestImage(expected, QStringLiteral("barcode_redraw_expected_%1").arg(step));
        }
        ASSERT_EQ(actual.size(), expected.size()) << step;
        const QRect differing = DifferingPixels(actual, expected);
        EXPECT_TRUE(differing.isEmpty()) << step << ": pixels differ in " << differing.x() << "," << differing.y()
                                         << " " << differing.width() << "x" << differing.height();
    };
    image->SetCellWidth(2);
    image->SetCaption("490123456789");
    block.bars = Pixels(Elements(EncodeJAN, "490123456789"), 2, 20, false);
    check("EAN-13");
    image->SetCaption("453456789012");
    block.bars = Pixels(Elements(EncodeJAN, "453456789012"), 2, 20, false);
    check("another EAN-13 of the same size");

    // Coloured: the text keeps the background of the block around it.
    image->SetBarType(btCODE39);
    image->SetCellRatio(25);
    image->SetCellWidth(3);
    image->SetBorderColor(TColor(0xC0FFFF));
    image->SetCellColor(TColor(0x800000));
    image->SymbolFont()->SetColor(TColor(0x008000));
    image->SetCaption("AB-12");
    block.border = TColor(0xC0FFFF);
    block.cell = TColor(0x800000);
    block.bars = Pixels(Elements(EncodeCODE39, "AB-12"), 3, 25, true);
    check("CODE39 in colour");

    // Guides and margins, then a larger font of another face.
    image->SetBarType(btCODE128);
    image->SetStartChar('B');
    image->SetBarMarginTop(18);
    image->SetBarMarginBottom(20);
    image->SetGuideTop("Top guide");
    image->SetGuideBottom("bottom");
    image->SetGuideBottomAlignment(taRightJustify);
    image->SetCaption("Hi there!");
    block.marginTop = 18;
    block.marginBottom = 20;
    block.guideTop = "Top guide";
    block.guideBottom = "bottom";
    block.bottomAlignment = taRightJustify;
    block.bars = Pixels(Elements(EncodeCODE128, "Hi there!", 'B'), 3, 25, false);
    check("CODE128 with guides");
    image->SymbolFont()->SetName(QStringLiteral("Arial"));
    image->SymbolFont()->SetHeight(-17);
    check("CODE128 in another font");
    image->SymbolFont()->SetStyle(TFontStyles() << fsBold << fsItalic);
    check("CODE128 in bold italics");
    // Text cut off at the picture's edge, kana, an underlined font.
    image->SetGuideTop("A guide text far wider than the bars it stands over, and some more words after that");
    image->SetGuideTopAlignment(taLeftJustify);
    block.guideTop = "A guide text far wider than the bars it stands over, and some more words after that";
    block.topAlignment = taLeftJustify;
    check("a guide cut off at the right");
    image->SetGuideBottom("\x83\x4B\x83\x43\x83\x68 (guide)");
    block.guideBottom = "\x83\x4B\x83\x43\x83\x68 (guide)";
    check("a guide in kana");
    SaveTestImage(PictureOf(*image), QStringLiteral("barcode_redraw_guides"));
    image->SymbolFont()->SetStyle(TFontStyles() << fsUnderline);
    check("CODE128 underlined");
    image->SymbolFont()->SetStyle(TFontStyles());

    // A symbol wider than its bars, then the bars alone.
    image->SetGuideTop("");
    image->SetGuideBottom("");
    block.guideTop = block.guideBottom = AnsiString();
    image->SetBarType(btNW7);
    image->SymbolFont()->SetHeight(-40);
    image->SetCaption("1");
    block.bars = Pixels(Elements(EncodeNW7, "1", 'b'), 3, 25, true);
    check("NW7 under a wide symbol");
    image->SetSymbolDisp(false);
    check("NW7 bars only");
}
