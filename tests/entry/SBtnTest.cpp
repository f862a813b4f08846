// The gradient button: faces in every state, rings, the hot-track frame,
// the guide and caption placement, the even pitch, and groups driven by
// real mouse events.
#include "SBtn.h"

#include "ActnList.h"
#include "Forms.h"
#include "TestSupport.h"
#include "WidgetTestSupport.h"

#include <QtGui/QPainter>
#include <QtTest/QTest>
#include <QtWidgets/QApplication>
#include <QtWidgets/QWidget>

#include <gtest/gtest.h>

namespace {

QColor Q(TColor c) {
    return ToQColor(ColorToRGB(c));
}

QColor Grey(int v) {
    return QColor(v, v, v);
}

// The bounding box of the pixels of colour ink inside area.
QRect InkBox(const QImage& image, const QRect& area, const QColor& ink) {
    QRect box;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (image.pixelColor(x, y) == ink) box |= QRect(x, y, 1, 1);
    return box;
}

int CountOf(const QImage& image, const QColor& color) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y) == color) ++n;
    return n;
}

// Text as the framework draws it on a white bitmap of size w x h, with the
// top left of its cell at (x, y).
QImage TextAt(const QString& text, Integer fontHeight, Integer w, Integer h, Integer x, Integer y) {
    TBitmap bitmap;
    bitmap.SetSize(w, h);
    TCanvas* c = bitmap.Canvas();
    c->Font()->SetHeight(fontHeight);
    c->Font()->SetColor(clBlack);
    c->Brush()->SetStyle(bsClear);
    c->TextOut(x, y, text);
    return bitmap.Image().copy();
}

class SBtnTest : public ::testing::Test {
protected:
    void SetUp() override {
        form = std::make_unique<TForm>(nullptr);
        form->SetBounds(100, 100, 400, 300);
        form->SetColor(clWhite);
    }

    TSBtn* Btn(Integer left, Integer top, Integer width = 60, Integer height = 40) {
        auto* b = new TSBtn(form.get());
        b->SetParent(form.get());
        b->SetBounds(left, top, width, height);
        b->OnClick = [this](TObject*) { ++clicks; };
        return b;
    }

    // Start black, end white: ring and half colours are easy to follow.
    TSBtn* PlainColours(TSBtn* b) {
        b->SetGradientStartColor(clBlack);
        b->SetGradientEndColor(clWhite);
        return b;
    }

    QImage Grab(TControl* c) {
        return form->Handle()->grab(QRect(c->Left(), c->Top(), c->Width(), c->Height())).toImage();
    }

    static QPoint Mid(TControl* c) { return QPoint(c->Left() + c->Width() / 2, c->Top() + c->Height() / 2); }

    std::unique_ptr<TForm> form;
    int clicks = 0;
};

// ------------------------------------------------------------ faces

TEST_F(SBtnTest, ANewButtonHasTheDocumentedLook) {
    auto* b = new TSBtn(form.get());
    EXPECT_EQ(b->Width(), 60);
    EXPECT_EQ(b->Height(), 40);
    EXPECT_EQ(b->Color(), clBtnFace);
    EXPECT_EQ(b->ControlStyle(), (TControlStyle{csCaptureMouse, csDoubleClicks}));
    EXPECT_EQ(b->GradientType(), gtDual);
    EXPECT_EQ(b->GradientEndColor(), TColor(0x00E6F8FF));
    EXPECT_EQ(b->Margin(), 2);
    EXPECT_EQ(b->FnKeyBarWidth(), 0);
}

TEST_F(SBtnTest, DualHalvesMirrorEachOtherAndLeaveTheFarSideToTheEdge) {
    auto* b = PlainColours(Btn(10, 10));
    b->SetHotTrack(false);
    ShowActive(form.get());
    QImage image = Grab(b);
    SaveTestImage(image, QStringLiteral("SBtnDualVertical"));
    // Vertical: top half black to white, bottom half white to black.
    EXPECT_EQ(image.pixelColor(30, 0), Grey(0));
    EXPECT_EQ(image.pixelColor(30, 19), Grey(255));
    EXPECT_EQ(image.pixelColor(30, 20), Grey(255));
    EXPECT_EQ(image.pixelColor(30, 39), Grey(0));
    EXPECT_NEAR(image.pixelColor(30, 10).red(), image.pixelColor(30, 29).red(), 1);
    EXPECT_EQ(image.pixelColor(0, 20), Grey(255)) << "the face covers the raised edge's light side";
    EXPECT_EQ(image.pixelColor(59, 20), Q(clBtnShadow)) << "the last column stays the edge";

    b->SetGradientDirection(gdHorizontal);
    image = Grab(b);
    SaveTestImage(image, QStringLiteral("SBtnDualHorizontal"));
    EXPECT_EQ(image.pixelColor(0, 10), Grey(0));
    EXPECT_EQ(image.pixelColor(29, 10), Grey(255));
    EXPECT_EQ(image.pixelColor(30, 10), Grey(255));
    EXPECT_EQ(image.pixelColor(59, 10), Grey(0));
    EXPECT_EQ(image.pixelColor(30, 39), Q(clBtnShadow));
}

TEST_F(SBtnTest, RingsStepTowardTheEndColourByTheRatio) {
    auto* b = PlainColours(Btn(10, 10));
    b->SetGradientType(gtNormal);
    b->SetHotTrack(false);
    ShowActive(form.get());
    // 60 x 40: 20 rings; step 255 / 20 x 7 = 89.25 per ring.
    QImage image = Grab(b);
    SaveTestImage(image, QStringLiteral("SBtnRings"));
    EXPECT_EQ(image.pixelColor(0, 20), Grey(0));
    EXPECT_EQ(image.pixelColor(1, 20), Grey(89));
    EXPECT_EQ(image.pixelColor(2, 20), Grey(178));
    EXPECT_EQ(image.pixelColor(3, 20), Grey(255));
    EXPECT_EQ(image.pixelColor(30, 20), Grey(255));
    EXPECT_EQ(image.pixelColor(30, 2), Grey(178)) << "rings run round all four sides";
    // Ratio 1: 12.75 per ring. Ring 20 of a 40-pixel height is empty, so
    // the centre keeps ring 19's colour.
    b->SetGradientRatio(1);
    image = Grab(b);
    EXPECT_EQ(image.pixelColor(10, 20), Grey(127));
    EXPECT_EQ(image.pixelColor(19, 20), Grey(242));
    EXPECT_EQ(image.pixelColor(30, 20), Grey(242));
    EXPECT_EQ(image.pixelColor(30, 19), Grey(242));
    // A very large ratio: the first inner ring is already the end colour.
    b->SetGradientRatio(1000000);
    EXPECT_EQ(Grab(b).pixelColor(1, 20), Grey(255));
}

TEST(SBtnRings, CountAndColourFollowTheRoundingRules) {
    EXPECT_EQ(RingCount(40, 60), 20);  // 20.5 rounds to even
    EXPECT_EQ(RingCount(41, 60), 21);
    EXPECT_EQ(RingCount(1, 1), 1);
    EXPECT_EQ(RingColor(clBlack, clWhite, 20, 7, 1), RGB(89, 89, 89));
    // Per channel, downward steps are held at the end colour too.
    EXPECT_EQ(RingColor(RGB(200, 0, 50), RGB(0, 100, 50), 10, 3, 2), RGB(80, 60, 50));
    EXPECT_EQ(RingColor(RGB(200, 0, 50), RGB(0, 100, 50), 10, 3, 4), RGB(0, 100, 50));
}

TEST_F(SBtnTest, TheHotTrackFrameFollowsTheMouseAndIsRoundOnlyForRings) {
    auto* dual = Btn(10, 10);
    auto* rings = Btn(100, 10);
    rings->SetGradientType(gtNormal);
    rings->SetCurve(12);
    for (TSBtn* b : {dual, rings}) {
        b->SetOnTrackColor(clRed);
        b->SetOffTrackColor(clBlue);
    }
    ShowActive(form.get());
    QTest::mouseMove(WindowOf(form.get()), QPoint(300, 200));
    EXPECT_EQ(Grab(dual).pixelColor(0, 0), Q(clBlue)) << "square corner";
    EXPECT_EQ(Grab(dual).pixelColor(30, 39), Q(clBlue));
    EXPECT_EQ(Grab(rings).pixelColor(0, 0), Q(clWhite)) << "rounded corner shows the form";
    EXPECT_EQ(Grab(rings).pixelColor(30, 0), Q(clBlue));

    QTest::mouseMove(WindowOf(form.get()), Mid(dual));
    ASSERT_TRUE(QTest::qWaitFor([&] { return dual->MouseOver(); }));
    const QImage hot = Grab(dual);
    SaveTestImage(hot, QStringLiteral("SBtnDualHot"));
    EXPECT_EQ(hot.pixelColor(30, 0), Q(clRed));
    // Pressed, the frame goes back to the off colour.
    MousePress(form.get(), Mid(dual));
    EXPECT_EQ(Grab(dual).pixelColor(30, 0), Q(clBlue));
    MouseRelease(form.get(), Mid(dual));
    EXPECT_EQ(Grab(dual).pixelColor(30, 0), Q(clRed));
    QTest::mouseMove(WindowOf(form.get()), QPoint(300, 200));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !dual->MouseOver(); }));
    EXPECT_EQ(Grab(dual).pixelColor(30, 0), Q(clBlue));
}

TEST_F(SBtnTest, PressedFacesUseTheDownColourOrTheReversedGradient) {
    auto* dual = PlainColours(Btn(10, 10));
    auto* rings = PlainColours(Btn(100, 10));
    rings->SetGradientType(gtNormal);
    for (TSBtn* b : {dual, rings}) {
        b->SetHotTrack(false);
        b->SetDownColor(clYellow);
    }
    ShowActive(form.get());
    auto pressed = [&](TSBtn* b) {
        MousePress(form.get(), Mid(b));
        const QImage image = Grab(b);
        MouseRelease(form.get(), Mid(b));
        return image;
    };
    QImage image = pressed(dual);
    SaveTestImage(image, QStringLiteral("SBtnDualDown"));
    EXPECT_EQ(image.pixelColor(30, 20), Q(clYellow));
    EXPECT_EQ(image.pixelColor(0, 0), Q(clYellow)) << "the plain fill covers the pushed frame";
    image = pressed(rings);
    SaveTestImage(image, QStringLiteral("SBtnRingsDown"));
    EXPECT_EQ(image.pixelColor(30, 20), Q(clYellow));
    EXPECT_EQ(image.pixelColor(1, 20), Q(clYellow));

    dual->SetUseDownColor(false);
    rings->SetUseDownColor(false);
    image = pressed(dual);
    EXPECT_EQ(image.pixelColor(30, 0), Grey(255)) << "halves from end to start";
    EXPECT_EQ(image.pixelColor(30, 19), Grey(0));
    EXPECT_EQ(image.pixelColor(30, 20), Grey(0));
    image = pressed(rings);
    EXPECT_EQ(image.pixelColor(0, 20), Grey(255));
    EXPECT_EQ(image.pixelColor(1, 20), Grey(166));
    EXPECT_EQ(image.pixelColor(2, 20), Grey(77));
    EXPECT_EQ(image.pixelColor(3, 20), Grey(0));
}

TEST_F(SBtnTest, AFlatButtonShowsItsFaceOnlyUnderTheMouseUnlessOpaque) {
    auto* b = Btn(10, 10);
    b->SetFlat(true);
    b->SetHotTrack(false);
    b->SetGradientStartColor(clRed);
    b->SetGradientEndColor(clBlue);
    ShowActive(form.get());
    QTest::mouseMove(WindowOf(form.get()), QPoint(300, 200));
    EXPECT_EQ(Grab(b).pixelColor(30, 10), Q(clWhite)) << "the form shows through";
    QTest::mouseMove(WindowOf(form.get()), Mid(b));
    ASSERT_TRUE(QTest::qWaitFor([&] { return b->MouseInControl(); }));
    QImage image = Grab(b);
    SaveTestImage(image, QStringLiteral("SBtnFlatHot"));
    EXPECT_EQ(image.pixelColor(30, 0), Q(clRed));
    EXPECT_EQ(image.pixelColor(30, 19), Q(clBlue));
    QTest::mouseMove(WindowOf(form.get()), QPoint(300, 200));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !b->MouseInControl(); }));
    b->SetTransparent(false);
    EXPECT_EQ(Grab(b).pixelColor(30, 0), Q(clRed));
    // Down in a group, away from the mouse: the down colour inside a
    // one-pixel border.
    b->SetTransparent(true);
    b->SetGroupIndex(1);
    b->SetDownColor(clYellow);
    b->SetDown(true);
    image = Grab(b);
    EXPECT_EQ(image.pixelColor(30, 20), Q(clYellow));
    EXPECT_EQ(image.pixelColor(1, 1), Q(clYellow));
    EXPECT_EQ(image.pixelColor(0, 20), Q(clWhite));
}

TEST_F(SBtnTest, ADisabledButtonEmbossesItsCaption) {
    auto* b = Btn(10, 10);
    b->SetGradientStartColor(clNavy);
    b->SetGradientEndColor(clNavy);
    b->SetCaption(QStringLiteral("ABC"));
    b->Font()->SetColor(clBlack);
    ShowActive(form.get());
    QImage image = Grab(b);
    EXPECT_GT(CountOf(image, Q(clBlack)), 20);
    EXPECT_EQ(CountOf(image, Q(clBtnHighlight)), 0);
    b->SetEnabled(false);
    image = Grab(b);
    SaveTestImage(image, QStringLiteral("SBtnDualDisabled"));
    EXPECT_EQ(CountOf(image, Q(clBlack)), 0);
    // Inside the frame, whose off colour is the shadow colour too.
    const QRect inside(2, 2, 56, 36);
    const QRect shadow = InkBox(image, inside, Q(clBtnShadow));
    const QRect light = InkBox(image, inside, Q(clBtnHighlight));
    ASSERT_FALSE(shadow.isEmpty());
    EXPECT_EQ(light.bottomRight(), shadow.bottomRight() + QPoint(1, 1));
}

TEST_F(SBtnTest, TheFaceGalleryInEveryState) {
    // Up, down, hot and disabled faces of both types side by side.
    const TGradientType types[] = {gtNormal, gtDual};
    QImage gallery(4 * 70, 2 * 50, QImage::Format_RGB32);
    gallery.fill(Qt::white);
    QPainter painter(&gallery);
    std::vector<TSBtn*> buttons;
    for (int t = 0; t < 2; ++t) {
        auto* b = Btn(10, 10 + 60 * t);
        b->SetGradientType(types[t]);
        b->SetCaption(QStringLiteral("登録"));
        b->SetGuide(QStringLiteral("F1"));
        b->SetLayout(blGlyphTop);
        buttons.push_back(b);
    }
    ShowActive(form.get());
    QTest::mouseMove(WindowOf(form.get()), QPoint(300, 250));
    for (int t = 0; t < 2; ++t) {
        TSBtn* b = buttons[size_t(t)];
        const QImage up = Grab(b);
        QTest::mouseMove(WindowOf(form.get()), Mid(b));
        EXPECT_TRUE(QTest::qWaitFor([&] { return b->MouseOver(); }));
        const QImage hot = Grab(b);
        MousePress(form.get(), Mid(b));
        const QImage down = Grab(b);
        MouseRelease(form.get(), Mid(b));
        QTest::mouseMove(WindowOf(form.get()), QPoint(300, 250));
        b->SetEnabled(false);
        const QImage disabled = Grab(b);
        const QImage row[] = {up, down, hot, disabled};
        for (int s = 0; s < 4; ++s) painter.drawImage(5 + 70 * s, 5 + 50 * t, row[s]);
        EXPECT_NE(up, down);
        EXPECT_NE(up, hot);
        EXPECT_NE(up, disabled);
    }
    painter.end();
    SaveTestImage(gallery, QStringLiteral("SBtnFaces"));
}

// ------------------------------------------------------------ guide and caption

TEST_F(SBtnTest, AFunctionKeyButtonShowsTheGuideTopLeftAndTheCaptionAtTheBottom) {
    auto* b = Btn(10, 10);
    b->SetGradientStartColor(clWhite);
    b->SetGradientEndColor(clWhite);
    b->SetHotTrack(false);
    b->SetLayout(blGlyphTop);
    b->SetGuide(QStringLiteral("F1"));
    b->SetGuideFontHeight(-13);
    b->SetCaption(QStringLiteral("終了"));
    b->Font()->SetColor(clBlack);
    ShowActive(form.get());
    const QImage image = Grab(b);
    SaveTestImage(image, QStringLiteral("SBtnFunctionKey"));
    const QColor ink = Q(clBlack);
    // Guide: its cell at Margin and VerticalMargin inside the 1-pixel inset.
    const QImage guide = TextAt(QStringLiteral("F1"), -13, 60, 40, 1 + 2, 1 + 2);
    EXPECT_EQ(InkBox(image, QRect(0, 0, 60, 18), ink), InkBox(guide, guide.rect(), ink));
    // Caption: centred across the inset, its cell ending VerticalMargin
    // above the inset's bottom.
    TBitmap measure;
    measure.SetSize(1, 1);
    measure.Canvas()->Font()->SetHeight(b->Font()->Height());
    const Integer tw = measure.Canvas()->TextWidth(b->Caption());
    const Integer th = measure.Canvas()->TextHeight(b->Caption());
    const QImage caption = TextAt(b->Caption(), b->Font()->Height(), 60, 40, 1 + (58 - tw) / 2, 39 - th - 2);
    EXPECT_EQ(InkBox(image, QRect(0, 18, 60, 22), ink), InkBox(caption, caption.rect(), ink));

    b->SetCaption(QString());
    EXPECT_TRUE(InkBox(Grab(b), QRect(0, 18, 60, 22), ink).isEmpty()) << "only the guide shows";
}

TEST_F(SBtnTest, TheGuideJoinsBaseSpaceAndGuideOnlyWhenTheBaseIsSet) {
    auto* b = Btn(10, 10);
    b->SetGradientStartColor(clWhite);
    b->SetGradientEndColor(clWhite);
    b->SetHotTrack(false);
    ShowActive(form.get());
    const QColor ink = Q(clBlack);
    b->SetGuide(QStringLiteral("F-12"));
    const QRect whole = InkBox(Grab(b), QRect(0, 0, 60, 40), ink);
    b->SetGuideBase(QStringLiteral("F"));
    b->SetGuideSpace(QStringLiteral("-"));
    b->SetGuide(QStringLiteral("12"));
    EXPECT_EQ(b->GuideText(), QStringLiteral("F-12"));
    EXPECT_EQ(InkBox(Grab(b), QRect(0, 0, 60, 40), ink), whole);
    b->SetGuideBase(QString());
    EXPECT_EQ(b->GuideText(), QStringLiteral("12"));
    b->SetGuideVisible(false);
    EXPECT_TRUE(InkBox(Grab(b), QRect(0, 0, 60, 40), ink).isEmpty());
}

TEST_F(SBtnTest, PressingShiftsTheContentByOnePixel) {
    auto* b = Btn(10, 10);
    b->SetGradientStartColor(clWhite);
    b->SetGradientEndColor(clWhite);
    b->SetCaption(QStringLiteral("OK"));
    b->SetGuide(QStringLiteral("F5"));
    b->SetLayout(blGlyphTop);
    ShowActive(form.get());
    const QColor ink = Q(clBlack);
    const QImage up = Grab(b);
    MousePress(form.get(), Mid(b));
    const QImage down = Grab(b);
    MouseRelease(form.get(), Mid(b));
    SaveTestImage(down, QStringLiteral("SBtnPressedContent"));
    const QRect guide(0, 0, 60, 18), caption(0, 18, 60, 22);
    EXPECT_EQ(InkBox(down, guide, ink), InkBox(up, guide, ink).translated(1, 1));
    EXPECT_EQ(InkBox(down, caption, ink), InkBox(up, caption, ink).translated(1, 1));
}

TEST_F(SBtnTest, AGlyphSitsByMarginAndGreysWhenDisabled) {
    auto* b = Btn(10, 10);
    b->SetGradientStartColor(clWhite);
    b->SetGradientEndColor(clWhite);
    TBitmap glyph;
    glyph.SetSize(16, 16);
    glyph.Canvas()->Brush()->SetColor(clOlive);
    glyph.Canvas()->FillRect(TRect(0, 0, 16, 16));
    glyph.Canvas()->Brush()->SetColor(clRed);
    glyph.Canvas()->FillRect(TRect(2, 2, 14, 14));
    b->SetGlyph(&glyph);
    ShowActive(form.get());
    // Inset client (1, 1, 59, 39): the glyph at 1 + Margin and centred
    // vertically, (38 - 16 + 1) div 2 + 1.
    QImage image = Grab(b);
    SaveTestImage(image, QStringLiteral("SBtnGlyph"));
    EXPECT_EQ(InkBox(image, image.rect(), Q(clRed)), QRect(QPoint(3 + 2, 12 + 2), QPoint(3 + 13, 12 + 13)));
    b->SetEnabled(false);
    image = Grab(b);
    EXPECT_EQ(CountOf(image, Q(clRed)), 0);
    EXPECT_EQ(image.pixelColor(5, 14), Q(clBtnShadow));
}

// ------------------------------------------------------------ even pitch

TEST(SBtnEvenPitch, CellsSpreadTheCaptionOverTheWidthRoundingHalvesToEven) {
    auto cells = EvenPitchCells(QStringLiteral("AB"), TRect(0, 5, 60, 25), 2);
    ASSERT_EQ(cells.size(), 2u);
    EXPECT_EQ(cells[0], TRect(2, 5, 30, 25));
    EXPECT_EQ(cells[1], TRect(30, 5, 58, 25));
    // A full-width character takes two steps: 56 / 3 per step.
    cells = EvenPitchCells(QStringLiteral("Aあ"), TRect(0, 0, 60, 10), 2);
    EXPECT_EQ(cells[0], TRect(2, 0, 21, 10));
    EXPECT_EQ(cells[1], TRect(21, 0, 58, 10));
    // Step 2.5: 4.5, 6.5, 9.5 and 12.5 go to the even neighbour.
    cells = EvenPitchCells(QStringLiteral("ABCD"), TRect(0, 0, 14, 10), 2);
    EXPECT_EQ(cells[0], TRect(2, 0, 4, 10));
    EXPECT_EQ(cells[1], TRect(4, 0, 6, 10));
    EXPECT_EQ(cells[2], TRect(7, 0, 10, 10));
    EXPECT_EQ(cells[3], TRect(10, 0, 12, 10));
    // Half-width katakana counts 1, control characters too.
    EXPECT_EQ(EvenPitchUnitWidth(QChar(0xFF76)), 1);
    EXPECT_EQ(EvenPitchUnitWidth(QChar(0x0009)), 1);
    EXPECT_EQ(EvenPitchUnitWidth(QChar(0x00A5)), 2);
    EXPECT_TRUE(EvenPitchCells(QString(), TRect(0, 0, 60, 10), 2).empty());
}

TEST_F(SBtnTest, AnEvenPitchCaptionCentresEachCharacterInItsCell) {
    auto* b = Btn(10, 10);
    b->SetGradientStartColor(clWhite);
    b->SetGradientEndColor(clWhite);
    b->SetAVPitch(true);
    b->SetCaption(QStringLiteral("II"));
    ShowActive(form.get());
    const QImage image = Grab(b);
    SaveTestImage(image, QStringLiteral("SBtnEvenPitch"));
    // Inset 1..59 less Margin 2: cells 3..30 and 30..57.
    const QRect first = InkBox(image, QRect(0, 0, 30, 40), Q(clBlack));
    const QRect second = InkBox(image, QRect(30, 0, 30, 40), Q(clBlack));
    EXPECT_NEAR(first.center().x(), 16, 2);
    EXPECT_NEAR(second.center().x(), 43, 2);
    // An empty caption draws nothing and does not fail.
    b->SetCaption(QString());
    EXPECT_EQ(CountOf(Grab(b), Q(clBlack)), 0);
}

// ------------------------------------------------------------ properties

TEST_F(SBtnTest, SwitchingTheTypeSwapsOnlyTheDefaultEndColours) {
    auto* b = new TSBtn(form.get());
    b->SetGradientType(gtNormal);
    EXPECT_EQ(b->GradientEndColor(), clBtnFace);
    b->SetGradientType(gtDual);
    EXPECT_EQ(b->GradientEndColor(), TColor(0x00E6F8FF));
    b->SetGradientEndColor(clRed);
    b->SetGradientType(gtNormal);
    EXPECT_EQ(b->GradientEndColor(), clRed);
    b->SetGradientEndColor(TColor(0x00E6F8FF));
    b->SetGradientStartColor(clBlack);
    b->SetGradientType(gtDual);
    b->SetGradientType(gtNormal);
    EXPECT_EQ(b->GradientEndColor(), TColor(0x00E6F8FF)) << "another start colour keeps the pair";
}

TEST_F(SBtnTest, GuideFontSizeAndHeightFollowEachOtherAt96Dpi) {
    auto* b = new TSBtn(form.get());
    EXPECT_EQ(b->GuideFontHeight(), -11);
    EXPECT_EQ(b->GuideFontSize(), 8);  // 11 x 72 / 96 = 8.25
    b->SetGuideFontSize(10);
    EXPECT_EQ(b->GuideFontHeight(), -13);  // 10 x 96 / 72 = 13.33
    b->SetGuideFontHeight(-13);
    EXPECT_EQ(b->GuideFontSize(), 10);
    b->SetGuideFontHeight(-16);
    EXPECT_EQ(b->GuideFontSize(), 12);
    b->SetGuideFontHeight(-15);
    EXPECT_EQ(b->GuideFontSize(), 11);  // 11.25
}

TEST_F(SBtnTest, ButtonsAreCountedAndAZeroSizedOneIsNotPainted) {
    const Integer before = SBtnInstanceCount();
    auto* a = Btn(10, 10);
    auto* b = Btn(80, 10, 0, 0);
    EXPECT_EQ(SBtnInstanceCount(), before + 2);
    ShowActive(form.get());
    EXPECT_NO_THROW(form->Handle()->grab());
    delete b;
    EXPECT_EQ(SBtnInstanceCount(), before + 1);
    (void)a;
}

// ------------------------------------------------------------ groups

TEST_F(SBtnTest, PressingTheSecondButtonOfAGroupReleasesTheFirst) {
    auto* first = Btn(10, 10);
    auto* second = Btn(80, 10);
    first->SetGroupIndex(1);
    second->SetGroupIndex(1);
    ShowActive(form.get());
    MouseClick(form.get(), Mid(first));
    EXPECT_TRUE(first->Down());
    MouseClick(form.get(), Mid(first));
    EXPECT_TRUE(first->Down()) << "AllowAllUp is off";
    MouseClick(form.get(), Mid(second));
    EXPECT_TRUE(second->Down());
    EXPECT_FALSE(first->Down());
    EXPECT_EQ(clicks, 3);
    first->SetDownColor(clYellow);
    first->SetDown(true);
    EXPECT_EQ(first->State(), bsExclusive);
    EXPECT_EQ(Grab(first).pixelColor(30, 20), Q(clYellow)) << "the exclusive face";
}

// ------------------------------------------------------------ actions

// An action list whose image 0 is a red square on a transparent ground,
// and one action showing it.
class SBtnActionTest : public SBtnTest {
protected:
    void SetUp() override {
        SBtnTest::SetUp();
        images = new TImageList(form.get());
        TBitmap picture;
        picture.SetSize(16, 16);
        picture.Canvas()->Brush()->SetColor(clOlive);
        picture.Canvas()->FillRect(TRect(0, 0, 16, 16));
        picture.Canvas()->Brush()->SetColor(clRed);
        picture.Canvas()->FillRect(TRect(2, 2, 14, 14));
        images->AddMasked(&picture, clOlive);
        list = new TActionList(form.get());
        list->SetImages(images);
        action = new TAction(form.get());
        action->SetActionList(list);
        action->SetCaption(QStringLiteral("登録"));
        action->SetImageIndex(0);
        action->OnExecute = [this](TObject*) { ++executed; };
    }

    // A button linked to the action, with no OnClick of its own.
    TSBtn* Linked(Integer left) {
        auto* b = Btn(left, 10, 70, 40);
        b->OnClick = nullptr;
        b->SetGradientStartColor(clWhite);
        b->SetGradientEndColor(clWhite);
        b->SetAction(action);
        return b;
    }

    TImageList* images = nullptr;
    TActionList* list = nullptr;
    TAction* action = nullptr;
    int executed = 0;
};

TEST_F(SBtnActionTest, AnActionListDrivesTwoButtonsAndGivesAnEmptyGlyphItsImage) {
    TSBtn* first = Linked(10);
    TSBtn* second = Linked(100);
    ShowActive(form.get());
    for (TSBtn* b : {first, second}) {
        EXPECT_EQ(b->Caption(), QStringLiteral("登録"));
        const QImage face = Grab(b);
        // Inset client (1, 1, 69, 39): the glyph at 1 + Margin, centred.
        EXPECT_EQ(InkBox(face, face.rect(), Q(clRed)), QRect(QPoint(5, 14), QPoint(16, 25)));
        EXPECT_EQ(CountOf(face, Q(clFuchsia)), 0) << "the image's transparent ground stays transparent";
        EXPECT_EQ(CountOf(face, Q(clOlive)), 0);
    }
    SaveTestImage(Grab(first), QStringLiteral("SBtnActionGlyph"));

    MouseClick(form.get(), Mid(first));
    MouseClick(form.get(), Mid(second));
    EXPECT_EQ(executed, 2);

    action->SetEnabled(false);
    EXPECT_FALSE(first->Enabled());
    EXPECT_FALSE(second->Enabled());
    EXPECT_EQ(CountOf(Grab(second), Q(clRed)), 0) << "the disabled glyph is embossed";
    MouseClick(form.get(), Mid(first));
    EXPECT_EQ(executed, 2);
}

TEST_F(SBtnActionTest, OnlyAnEmptyGlyphTakesTheImageAndOnlyOnceThereIsOne) {
    auto* own = Btn(10, 10);
    TBitmap blue;
    blue.SetSize(16, 16);
    blue.Canvas()->Brush()->SetColor(clBlue);
    blue.Canvas()->FillRect(TRect(0, 0, 16, 16));
    own->SetGlyph(&blue);
    own->SetAction(action);
    EXPECT_EQ(own->Glyph()->Image().pixelColor(8, 8), Q(clBlue));
    action->SetImageIndex(-1);
    auto* plain = Btn(100, 10);
    plain->SetAction(action);
    EXPECT_TRUE(plain->Glyph()->Empty());
    action->SetImageIndex(0);
    EXPECT_EQ(plain->Glyph()->Image().pixelColor(8, 8), Q(clRed));
}

}  // namespace
