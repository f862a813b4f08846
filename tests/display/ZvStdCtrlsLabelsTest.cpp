// The even-pitch shadowed label and the rotated label, drawn on a real form:
// the rotated text's ink against the cell its angle, alignment and layout
// put it in; the even-pitch cells and the shadow offsets against text drawn
// at positions worked out by hand.
#include "ZvStdCtrls.h"
#include "ZvStdCtrlsTestSupport.h"

#include <QtCore/QElapsedTimer>

#include <cmath>

namespace {

const QRgb Black = 0x000000, Red = 0xFF0000;

void UseTestFont(TControl* control, Integer height = -20) {
    control->Font()->SetName(QStringLiteral("Arial"));
    control->Font()->SetHeight(height);
    control->Font()->SetColor(clBlack);
}

// Grows r by one pixel on every side (for centring that rounds either way).
TRect Loose(TRect r) {
    InflateRect(r, 1, 1);
    return r;
}

bool Inside(const TRect& inner, const TRect& outer) {
    return inner.Left >= outer.Left && inner.Top >= outer.Top && inner.Right <= outer.Right &&
           inner.Bottom <= outer.Bottom;
}

TSize Measure(TControl* control, const QString& text, Integer height) {
    TBitmap probe;
    probe.Canvas()->SetFont(control->Font());
    probe.Canvas()->Font()->SetHeight(height);
    return probe.Canvas()->TextExtent(text);
}

// Where a text of tw x th measured along it must lie in a cw x ch control:
// along the reading direction by Alignment (left-justified text starts at
// the side it is read from), across it by Layout (tlTop is the side the
// tops of the characters face).
TRect ExpectedCell(TVLabelAngle angle, TAlignment a, TTextLayout l, Integer cw, Integer ch, Integer tw, Integer th) {
    auto pick = [](int which, Integer first, Integer last) {
        return which == 0 ? first : which == 1 ? last : (first + last) / 2;
    };
    const int along = a == taLeftJustify ? 0 : a == taRightJustify ? 1 : 2;
    const int across = l == tlTop ? 0 : l == tlBottom ? 1 : 2;
    switch (angle) {
    case TVLabelAngle::va0:
        return Bounds(pick(along, 0, cw - tw), pick(across, 0, ch - th), tw, th);
    case TVLabelAngle::va180:
        return Bounds(pick(along, cw - tw, 0), pick(across, ch - th, 0), tw, th);
    case TVLabelAngle::va90:
        return Bounds(pick(across, 0, cw - th), pick(along, ch - tw, 0), th, tw);
    default:
        return Bounds(pick(across, cw - th, 0), pick(along, 0, ch - tw), th, tw);
    }
}

class LabelTest : public DisplayFormTest {};

}  // namespace

// ------------------------------------------------------------ rotated label

TEST_F(LabelTest, RotatedTextLiesInTheCellOfItsAngleAlignmentAndLayout) {
    const QString caption = QStringLiteral("MWMH");
    const Integer cw = 130, ch = 120;
    for (TVLabelAngle angle : {TVLabelAngle::va0, TVLabelAngle::va90, TVLabelAngle::va180, TVLabelAngle::va270})
        for (TAlignment a : {taLeftJustify, taRightJustify, taCenter})
            for (TTextLayout l : {tlTop, tlCenter, tlBottom}) {
                SCOPED_TRACE(testing::Message() << "angle " << int(angle) << " alignment " << a << " layout " << l);
                auto* label = Place(new TZvVLabel(form.get()), 30, 30, cw, ch);
                UseTestFont(label);
                label->SetCaption(caption);
                label->SetAngle(angle);
                label->SetAlignment(a);
                label->SetLayout(l);
                const TSize size = Measure(label, caption, -20);
                const QImage drawn = GrabControl(label);
                const TRect ink = InkBox(drawn);
                const TRect cell = ExpectedCell(angle, a, l, cw, ch, size.cx, size.cy);
                EXPECT_TRUE(Inside(ink, Loose(cell))) << "ink " << ink << " cell " << cell;
                // The ink runs nearly the whole advance along the text.
                const bool upright = angle == TVLabelAngle::va0 || angle == TVLabelAngle::va180;
                EXPECT_GE(upright ? ink.Width() : ink.Height(), size.cx - 4);
                if (angle == TVLabelAngle::va90 && a == taLeftJustify && l == tlTop)
                    SaveTestImage(drawn, QStringLiteral("ZvVLabel_90_left_top"));
                delete label;
            }
}

TEST_F(LabelTest, RotatedStartPointsFollowTheTable) {
    auto* label = Place(new TZvVLabel(form.get()), 0, 0, 20, 100);
    label->SetAngle(TVLabelAngle::va90);
    EXPECT_EQ(label->StartPoint(60, 16), TPoint(0, 100));
    label->SetBounds(0, 0, 81, 51);
    label->SetAngle(TVLabelAngle::va180);
    label->SetAlignment(taCenter);
    label->SetLayout(tlCenter);
    EXPECT_EQ(label->StartPoint(30, 16), TPoint((81 + 30) / 2, (51 + 16) / 2));
    label->SetAngle(TVLabelAngle::va270);
    label->SetAlignment(taRightJustify);
    label->SetLayout(tlBottom);
    EXPECT_EQ(label->StartPoint(30, 16), TPoint(16, 51 - 30));
}

TEST_F(LabelTest, RotatedLabelDrawsNormalUprightWeightAndNothingWhenDisabled) {
    auto* plain = Place(new TZvVLabel(form.get()), 10, 10, 120, 40);
    auto* styled = Place(new TZvVLabel(form.get()), 10, 60, 120, 40);
    for (TZvVLabel* l : {plain, styled}) {
        UseTestFont(l);
        l->SetCaption(QStringLiteral("Bold"));
    }
    styled->Font()->SetStyle(TFontStyles{fsBold, fsItalic, fsUnderline});
    const QImage a = GrabControl(plain), b = GrabControl(styled, QStringLiteral("ZvVLabel_normal_weight"));
    EXPECT_NE(InkBox(a), TRect());
    EXPECT_EQ(a, b);

    plain->SetColor(clYellow);
    plain->SetEnabled(false);
    const QImage disabled = GrabControl(plain);
    EXPECT_EQ(ColorBox(disabled, 0xFFFF00), TRect(0, 0, 120, 40));
    EXPECT_EQ(ColorBox(disabled, Black), TRect());
}

// ------------------------------------------------------------ even-pitch label

TEST_F(LabelTest, EvenPitchCentresEachCharacterInItsShareOfTheWidth) {
    auto* label = Place(new TZvAVLabel(form.get()), 10, 10, 100, 30);
    UseTestFont(label);
    label->SetCaption(QStringLiteral("HH"));
    label->SetAVPitch(true);
    const QImage drawn = GrabControl(label, QStringLiteral("ZvAVLabel_even_pitch"));
    const Integer wc = Measure(label, QStringLiteral("H"), -20).cx;
    // Two equal characters: cells of 50, centred on x = 25 and x = 75.
    const Integer x1 = Integer(std::trunc((50.0 - wc) / 2)), x2 = Integer(std::trunc(50 + (50.0 - wc) / 2));
    const QImage expected = Reference(100, 30, [&](TCanvas* c) {
        c->SetFont(label->Font());
        c->Brush()->SetStyle(bsClear);
        c->TextOut(x1, 0, QStringLiteral("H"));
        c->TextOut(x2, 0, QStringLiteral("H"));
    });
    EXPECT_EQ(drawn, expected);
    const TRect left = InkBox(drawn.copy(0, 0, 50, 30)), right = InkBox(drawn.copy(50, 0, 50, 30));
    EXPECT_NEAR((left.Left + left.Right) / 2.0, 25, 1.5);
    EXPECT_NEAR(50 + (right.Left + right.Right) / 2.0, 75, 1.5);
}

TEST_F(LabelTest, EvenPitchShadowFallsWidthMinusHalfTheWidthAway) {
    auto* label = Place(new TZvAVLabel(form.get()), 10, 10, 120, 40);
    UseTestFont(label);
    label->SetCaption(QStringLiteral("AB"));
    label->SetAVPitch(true);
    label->SetShadowColor(clRed);
    label->SetShadowType(TShadowType::stRightBottom);
    for (auto [width, offset] : {std::pair{3, 2}, std::pair{1, 1}, std::pair{4, 2}}) {
        label->SetShadowWidth(width);
        const QImage drawn = GrabControl(label, QStringLiteral("ZvAVLabel_shadow_%1").arg(width));
        const TRect text = ColorBox(drawn, Black), shadow = ColorBox(drawn, Red);
        ASSERT_NE(shadow, TRect()) << width;
        EXPECT_EQ(shadow.Right - text.Right, offset) << width;
        EXPECT_EQ(shadow.Bottom - text.Bottom, offset) << width;
    }
    // Up and to the left with stLeftTop: -3 - (-3 div 2) = -2, the
    // division truncating toward zero.
    label->SetShadowType(TShadowType::stLeftTop);
    label->SetShadowWidth(3);
    const QImage drawn = GrabControl(label);
    EXPECT_EQ(ColorBox(drawn, Black).Left - ColorBox(drawn, Red).Left, 2);
    EXPECT_EQ(ColorBox(drawn, Black).Top - ColorBox(drawn, Red).Top, 2);
}

TEST_F(LabelTest, NoShadowShowsWithoutWidthOrInTheTextColour) {
    auto* label = Place(new TZvAVLabel(form.get()), 10, 10, 120, 40);
    UseTestFont(label);
    label->SetCaption(QStringLiteral("AB"));
    label->SetShadowType(TShadowType::stRightBottom);
    label->SetShadowColor(clRed);
    EXPECT_EQ(label->ShadowOffset(), TPoint(0, 0));
    EXPECT_EQ(ColorBox(GrabControl(label), Red), TRect());
    label->SetShadowWidth(2);
    label->SetShadowColor(clBlack);
    EXPECT_EQ(label->ShadowOffset(), TPoint(0, 0));
    label->SetShadowType(TShadowType::stNone);
    label->SetShadowColor(clRed);
    EXPECT_EQ(label->ShadowOffset(), TPoint(0, 0));
    label->SetShadowType(TShadowType::stRightTop);
    EXPECT_EQ(label->ShadowOffset(), TPoint(2, -2));
}

TEST_F(LabelTest, PlainShadowMovesTheRectanglesByTheTable) {
    auto* label = Place(new TZvAVLabel(form.get()), 10, 10, 121, 40);
    UseTestFont(label);
    label->SetCaption(QStringLiteral("AB"));
    label->SetShadowColor(clRed);
    label->SetShadowType(TShadowType::stRightBottom);
    label->SetShadowWidth(3);
    // Left and top: the shadow starts 3 right of and 3 below the text.
    QImage drawn = GrabControl(label, QStringLiteral("ZvAVLabel_plain_shadow"));
    EXPECT_EQ(ColorBox(drawn, Red).Right - ColorBox(drawn, Black).Right, 3);
    EXPECT_EQ(ColorBox(drawn, Red).Bottom - ColorBox(drawn, Black).Bottom, 3);
    EXPECT_EQ(ColorBox(drawn, Black).Left, InkBox(Reference(121, 40, [&](TCanvas* c) {
                                               c->SetFont(label->Font());
                                               c->TextOut(0, 0, QStringLiteral("AB"));
                                           })).Left);
    // Centred, dx = 3: the shadow rectangle's left moves right by 1, the
    // text rectangle's right left by 2.
    label->SetAlignment(taCenter);
    drawn = GrabControl(label);
    const Integer tw = Measure(label, QStringLiteral("AB"), -20).cx;
    const Integer textX = (121 - 2 - tw) / 2, shadowX = 1 + (121 - 1 - tw) / 2;
    EXPECT_EQ(ColorBox(drawn, Red).Right - ColorBox(drawn, Black).Right, shadowX - textX);
    // Right-justified: the text rectangle gives up 3 on the right; centred
    // across: the shadow's top moves down by 3 div 2 = 1.
    label->SetAlignment(taRightJustify);
    label->SetLayout(tlCenter);
    drawn = GrabControl(label);
    EXPECT_EQ(ColorBox(drawn, Red).Right - ColorBox(drawn, Black).Right, 3);
    EXPECT_EQ(ColorBox(drawn, Red).Bottom - ColorBox(drawn, Black).Bottom, 1);
    EXPECT_GE(ColorBox(drawn, Red).Right, 121 - 3);
}

TEST_F(LabelTest, PlainBottomLayoutKeepsTheWholeCaptionAboveItsShadow) {
    auto* label = Place(new TZvAVLabel(form.get()), 10, 10, 120, 50);
    UseTestFont(label);
    label->SetCaption(QStringLiteral("Hgjy"));
    label->SetLayout(tlBottom);
    const TRect alone = ColorBox(GrabControl(label), Black);
    label->SetShadowColor(clRed);
    label->SetShadowType(TShadowType::stRightBottom);
    label->SetShadowWidth(3);
    const QImage drawn = GrabControl(label, QStringLiteral("ZvAVLabel_plain_bottom_shadow"));
    // The descenders are not cut: the caption stands where it stood alone.
    EXPECT_EQ(ColorBox(drawn, Black), alone);
    EXPECT_GT(ColorBox(drawn, Red).Left, alone.Left);
    // A shadow above and to the left rises by its width; the caption keeps
    // its rows and, left-justified, moves 3 right of the shadow.
    label->SetShadowType(TShadowType::stLeftTop);
    const QImage above = GrabControl(label, QStringLiteral("ZvAVLabel_plain_bottom_shadow_above"));
    EXPECT_EQ(ColorBox(above, Black), TRect(alone.Left + 3, alone.Top, alone.Right + 3, alone.Bottom));
    EXPECT_EQ(ColorBox(above, Red).Top, alone.Top - 3);
}

TEST_F(LabelTest, PlainWordWrapWrapsTextAndShadowAlikeAndAmpersandsStay) {
    auto* label = Place(new TZvAVLabel(form.get()), 10, 10, 90, 80);
    UseTestFont(label);
    label->SetCaption(QStringLiteral("one two three"));
    label->SetShadowColor(clRed);
    label->SetShadowType(TShadowType::stRightBottom);
    label->SetShadowWidth(1);
    const Integer line = Measure(label, QStringLiteral("one"), -20).cy;
    label->SetWordWrap(true);
    const QImage drawn = GrabControl(label, QStringLiteral("ZvAVLabel_wrap"));
    const TRect text = ColorBox(drawn, Black), shadow = ColorBox(drawn, Red);
    EXPECT_GT(text.Height(), line);
    EXPECT_LE(text.Right, 90);
    EXPECT_EQ(shadow.Height(), text.Height());
    EXPECT_EQ(shadow.Bottom - text.Bottom, 1);

    // Without accelerators "&" is an ordinary character.
    label->SetWordWrap(false);
    label->SetShadowWidth(0);
    label->SetCaption(QStringLiteral("&&A"));
    const QImage amp = GrabControl(label);
    const QImage expected = Reference(90, 80, [&](TCanvas* c) {
        c->SetFont(label->Font());
        c->TextOut(0, 0, QStringLiteral("&&A"));
    });
    EXPECT_EQ(ColorBox(amp, Black), InkBox(expected));
}

TEST_F(LabelTest, JustFontSizeFitsTheWidthWithinBounds) {
    auto* label = Place(new TZvAVLabel(form.get()), 10, 10, 200, 60);
    UseTestFont(label, -12);
    label->SetCaption(QStringLiteral("ABCD"));
    // Without even pitch the setting changes nothing.
    const QImage plain = GrabControl(label);
    label->SetJustFontSize(true);
    EXPECT_EQ(GrabControl(label), plain);
    label->SetAVPitch(true);
    label->SetJustFontSize(false);
    const QImage unchanged = GrabControl(label);
    label->SetJustFontSize(true);
    const Integer fitted = label->FittedFontHeight();
    EXPECT_LT(fitted, -12);
    EXPECT_LE(Measure(label, QStringLiteral("ABCD"), fitted).cx, 200);
    const TSize bigger = Measure(label, QStringLiteral("ABCD"), fitted - 1);
    EXPECT_TRUE(bigger.cx > 200 || Measure(label, QStringLiteral("ABCD"), fitted).cy > 60);
    EXPECT_EQ(label->Font()->Height(), -12);
    const QImage grown = GrabControl(label, QStringLiteral("ZvAVLabel_just_font_size"));
    EXPECT_GT(InkBox(grown).Height(), InkBox(unchanged).Height());

    // A cell height (positive) is fitted by its size too, keeping its sign.
    label->Font()->SetHeight(12);
    const Integer cell = label->FittedFontHeight();
    EXPECT_GT(cell, 12);
    EXPECT_LE(Measure(label, QStringLiteral("ABCD"), cell).cx, 200);
    label->Font()->SetHeight(-12);
    // Too wide at any size: the font stops at one pixel.
    label->SetBounds(10, 10, 3, 60);
    label->SetCaption(QStringLiteral("a caption far too wide for three pixels"));
    EXPECT_EQ(label->FittedFontHeight(), -1);
    // No caption: no fitting, and nothing drawn.
    label->SetBounds(10, 10, 200, 60);
    label->SetCaption(QString());
    EXPECT_EQ(label->FittedFontHeight(), -12);
    EXPECT_EQ(InkBox(GrabControl(label)), TRect());
    // Zero-width characters only: nothing to spread, nothing drawn.
    label->SetCaption(QString(QChar(0x200B)));
    EXPECT_NO_THROW(GrabControl(label));
}

TEST_F(LabelTest, EvenPitchSpreadsASurrogatePairAsOneCharacter) {
    auto* label = Place(new TZvAVLabel(form.get()), 10, 10, 120, 30);
    UseTestFont(label);
    const QString pair = QString::fromUtf8("\xF0\xA0\xAE\xB7");  // U+20BB7
    label->SetCaption(pair + QStringLiteral("A"));
    label->SetAVPitch(true);
    const QImage drawn = GrabControl(label);
    TBitmap probe;
    probe.Canvas()->SetFont(label->Font());
    const Integer w1 = probe.Canvas()->TextWidth(pair), wa = probe.Canvas()->TextWidth(QStringLiteral("A"));
    const double total = w1 + wa, cell1 = 120.0 * w1 / total, cell2 = 120.0 * wa / total;
    const QImage expected = Reference(120, 30, [&](TCanvas* c) {
        c->SetFont(label->Font());
        c->Brush()->SetStyle(bsClear);
        c->TextOut(Integer(std::trunc((cell1 - w1) / 2)), 0, pair);
        c->TextOut(Integer(std::trunc(cell1 + (cell2 - wa) / 2)), 0, QStringLiteral("A"));
    });
    EXPECT_EQ(drawn, expected);
}


// Each character's place comes from one measure of the caption: a long
// caption paints in linear time (measuring every prefix took seconds).
TEST_F(LabelTest, EvenPitchPaintsALongCaptionQuickly) {
    auto* label = Place(new TZvAVLabel(form.get()), 0, 0, 300, 40);
    UseTestFont(label);
    label->SetAVPitch(true);
    label->SetCaption(QString(20000, u'x'));
    QElapsedTimer clock;
    clock.start();
    Grab();
    EXPECT_LT(clock.elapsed(), 3000);
}
