// The speed button: groups, the mouse state machine with real mouse events,
// accelerators, flat tracking, and the glyph objects (slots, the cache,
// images per state, the layout of glyph and caption).
#include "Buttons.h"
#include "FrameworkTestSupport.h"
#include "TestSupport.h"

#include <QtTest/QTest>
#include <QtWidgets/QApplication>

#include <gtest/gtest.h>

namespace {

using Log = std::vector<std::string>;

// A bitmap of count side-by-side squares of size x size, each in its own
// colour, on an olive background in the bottom-left pixel.
std::unique_ptr<TBitmap> Strip(Integer size, Integer count, std::vector<TColor> colors) {
    auto bitmap = std::make_unique<TBitmap>();
    bitmap->SetPixelFormat(pf24bit);
    bitmap->SetSize(size * count, size);
    TCanvas* c = bitmap->Canvas();
    c->Brush()->SetColor(clOlive);
    c->FillRect(TRect(0, 0, size * count, size));
    for (Integer i = 0; i < count; ++i) {
        c->Brush()->SetColor(colors[size_t(i)]);
        c->FillRect(TRect(i * size + 2, 2, i * size + size - 2, size - 2));
    }
    return bitmap;
}

class ButtonsTest : public LoggedFormTest {
protected:
    TSpeedButton* Button(const QString& name, Integer left, Integer group = 0) {
        auto* b = Place(new TSpeedButton(form.get()), form.get(), left, 10, 40, 30);
        b->SetName(name);
        b->SetCaption(name);
        b->SetGroupIndex(group);
        b->OnClick = [this](TObject* s) { log.Add("Click:" + Utf8(static_cast<TComponent*>(s)->Name())); };
        b->OnDblClick = [this](TObject* s) { log.Add("DblClick:" + Utf8(static_cast<TComponent*>(s)->Name())); };
        return b;
    }
    // The middle of a button in form client coordinates.
    static QPoint Mid(TControl* c) { return QPoint(c->Left() + c->Width() / 2, c->Top() + c->Height() / 2); }
};

// ------------------------------------------------------------ groups

TEST_F(ButtonsTest, DownNeedsAGroupAndGoingDownReleasesTheOtherButtonOfTheGroup) {
    auto* loose = Button("loose", 0);
    loose->SetDown(true);
    EXPECT_FALSE(loose->Down());

    auto* a = Button("a", 50, 1);
    auto* b = Button("b", 100, 1);
    auto* other = Button("other", 150, 2);
    other->SetDown(true);
    a->SetDown(true);
    EXPECT_TRUE(a->Down());
    EXPECT_EQ(a->State(), bsExclusive);
    b->SetDown(true);
    EXPECT_TRUE(b->Down());
    EXPECT_FALSE(a->Down());
    EXPECT_EQ(a->State(), bsUp);
    EXPECT_TRUE(other->Down()) << "another group is left alone";
}

TEST_F(ButtonsTest, ADownButtonGoesUpOnlyWithAllowAllUpWhichTheGroupShares) {
    auto* a = Button("a", 0, 1);
    auto* b = Button("b", 50, 1);
    a->SetDown(true);
    a->SetDown(false);
    EXPECT_TRUE(a->Down());
    b->SetAllowAllUp(true);
    EXPECT_TRUE(a->AllowAllUp()) << "the setter tells the group";
    a->SetDown(false);
    EXPECT_FALSE(a->Down());
    EXPECT_EQ(a->State(), bsUp);
}

// ------------------------------------------------------------ the mouse

TEST_F(ButtonsTest, AClickPressesAndReleasesOnce) {
    auto* b = Button("b", 10);
    form->ShowActive();
    MousePress(form.get(), Mid(b));
    EXPECT_EQ(b->State(), bsDown);
    EXPECT_TRUE(b->Dragging());
    EXPECT_TRUE(log.With("Click").empty());
    MouseRelease(form.get(), Mid(b));
    EXPECT_EQ(b->State(), bsUp);
    EXPECT_FALSE(b->Dragging());
    EXPECT_EQ(log.With("Click"), (Log{"Click:b"}));
}

TEST_F(ButtonsTest, ThePressedButtonFollowsTheMouseOutsideAndAReleaseThereIsNoClick) {
    auto* b = Button("b", 10);
    auto* neighbour = Button("n", 60);
    form->ShowActive();
    MousePress(form.get(), Mid(b));
    // The press captured the mouse: moves over the neighbour still reach b.
    QTest::mouseMove(WindowOf(form.get()), Mid(neighbour));
    EXPECT_EQ(b->State(), bsUp);
    QTest::mouseMove(WindowOf(form.get()), Mid(b) + QPoint(3, 0));
    EXPECT_EQ(b->State(), bsDown);
    QTest::mouseMove(WindowOf(form.get()), Mid(neighbour));
    MouseRelease(form.get(), Mid(neighbour));
    EXPECT_EQ(b->State(), bsUp);
    EXPECT_TRUE(log.With("Click").empty());
    EXPECT_EQ(neighbour->State(), bsUp);
}

TEST_F(ButtonsTest, ADoubleClickIsASecondPressAndADownButtonAlsoGetsDblClick) {
    auto* plain = Button("plain", 10);
    auto* toggle = Button("toggle", 60, 1);
    toggle->SetAllowAllUp(true);
    form->ShowActive();
    MouseDClick(form.get(), Mid(plain));
    EXPECT_EQ(log.With("Click"), (Log{"Click:plain", "Click:plain"}));
    EXPECT_TRUE(log.With("DblClick").empty()) << "a button that is not down";
    log.Clear();
    // Down after the first click, the double click finds it down; the second
    // press releases it again.
    MouseDClick(form.get(), Mid(toggle));
    EXPECT_EQ(log.With("Click"), (Log{"Click:toggle", "Click:toggle"}));
    EXPECT_EQ(log.With("DblClick"), (Log{"DblClick:toggle"}));
    EXPECT_FALSE(toggle->Down());
}

TEST_F(ButtonsTest, ClicksInAGroupPressOneButtonAndAllowAllUpLetsItGoUp) {
    auto* a = Button("a", 10, 1);
    auto* b = Button("b", 60, 1);
    form->ShowActive();
    MouseClick(form.get(), Mid(a));
    EXPECT_TRUE(a->Down());
    EXPECT_EQ(a->State(), bsExclusive);
    MouseClick(form.get(), Mid(a));
    EXPECT_TRUE(a->Down()) << "without AllowAllUp a click keeps it down";
    MouseClick(form.get(), Mid(b));
    EXPECT_TRUE(b->Down());
    EXPECT_FALSE(a->Down());
    b->SetAllowAllUp(true);
    MouseClick(form.get(), Mid(b));
    EXPECT_FALSE(b->Down());
    EXPECT_EQ(log.With("Click").size(), 4u);
    // Released away from it, a group button neither toggles nor stays pressed.
    MousePress(form.get(), Mid(a));
    MouseRelease(form.get(), QPoint(300, 200));
    EXPECT_FALSE(a->Down());
    EXPECT_EQ(a->State(), bsUp);
    EXPECT_EQ(log.With("Click").size(), 4u);
}

TEST_F(ButtonsTest, ADisabledButtonIgnoresTheMouse) {
    auto* b = Button("b", 10);
    b->SetEnabled(false);
    form->ShowActive();
    MouseClick(form.get(), Mid(b));
    EXPECT_TRUE(log.With("Click").empty());
    form->Handle()->grab();
    EXPECT_EQ(b->State(), bsDisabled);
    b->SetEnabled(true);
    form->Handle()->grab();
    EXPECT_EQ(b->State(), bsUp);
}

TEST_F(ButtonsTest, AltAndTheAcceleratorClickAnEnabledButton) {
    auto* save = Button("save", 10);
    save->SetCaption(QStringLiteral("&Save"));
    auto* edit = new TLineProbe(form.get(), log, QStringLiteral("edit"));
    Place(edit, form.get(), 10, 60, 100, 24);
    form->ShowActive();
    edit->SetFocus();
    KeyClick(form.get(), Qt::Key_S, Qt::AltModifier);
    EXPECT_EQ(log.With("Click"), (Log{"Click:save"}));
    save->SetEnabled(false);
    KeyClick(form.get(), Qt::Key_S, Qt::AltModifier);
    EXPECT_EQ(log.With("Click").size(), 1u);
}

TEST_F(ButtonsTest, AFlatButtonTracksTheMouseEnteringAndLeaving) {
    auto* b = Button("b", 10);
    b->SetFlat(true);
    form->ShowActive();
    QTest::mouseMove(WindowOf(form.get()), QPoint(200, 150));
    QTest::mouseMove(WindowOf(form.get()), Mid(b));
    EXPECT_TRUE(WaitFor([&] { return b->MouseInControl(); }));
    QTest::mouseMove(WindowOf(form.get()), QPoint(200, 150));
    EXPECT_TRUE(WaitFor([&] { return !b->MouseInControl(); }));
}

// ------------------------------------------------------------ glyph objects

TEST(GlyphList, AddingTakesTheFirstFreeSlotAndOthersKeepTheirIndexes) {
    TGlyphList list(4, 4);
    QImage image(4, 4, QImage::Format_ARGB32);
    EXPECT_EQ(list.Add(image), 0);
    EXPECT_EQ(list.Add(image), 1);
    EXPECT_EQ(list.Add(image), 2);
    list.Delete(1);
    EXPECT_EQ(list.Count(), 2);
    EXPECT_THROW(list.Image(1), EListError);
    EXPECT_NO_THROW(list.Image(2));
    EXPECT_EQ(list.Add(image), 1);
    EXPECT_EQ(list.Add(image), 3);
}

TEST(GlyphCache, ListsAreSharedBySizeAndTheCacheLivesWithTheGlyphs) {
    EXPECT_EQ(GlyphCache(), nullptr);
    {
        TButtonGlyph a, b;
        ASSERT_NE(GlyphCache(), nullptr);
        auto bitmap = Strip(16, 1, {clRed});
        a.SetGlyph(bitmap.get());
        b.SetGlyph(bitmap.get());
        EXPECT_EQ(a.CreateButtonGlyph(bsUp), 0);
        EXPECT_EQ(b.CreateButtonGlyph(bsUp), 1) << "one list for both 16 x 16 glyphs";
        EXPECT_EQ(GlyphCache()->GetList(16, 16)->Count(), 2);
    }
    EXPECT_EQ(GlyphCache(), nullptr);
}

TEST(ButtonGlyph, ALoadedStripSetsTheNumberOfImages) {
    TButtonGlyph glyph;
    EXPECT_EQ(glyph.TransparentColor(), clOlive);
    glyph.SetGlyph(Strip(16, 4, {clRed, clGreen, clBlue, clYellow}).get());
    EXPECT_EQ(glyph.NumGlyphs(), 4);
    EXPECT_EQ(glyph.GlyphSize(), (TSize{16, 16}));
    glyph.SetGlyph(Strip(16, 5, {clRed, clRed, clRed, clRed, clRed}).get());
    EXPECT_EQ(glyph.NumGlyphs(), 1);
    glyph.SetNumGlyphs(2);
    auto odd = std::make_unique<TBitmap>();
    odd->SetSize(30, 16);
    glyph.SetGlyph(odd.get());
    EXPECT_EQ(glyph.NumGlyphs(), 2) << "not a multiple of the height: unchanged";
    glyph.SetNumGlyphs(9);
    EXPECT_EQ(glyph.NumGlyphs(), 4);
}

TEST(ButtonGlyph, EachStateTakesItsImageOrFallsBackToTheUpImage) {
    TButtonGlyph glyph;
    glyph.SetGlyph(Strip(16, 2, {clRed, clBlue}).get());
    ASSERT_EQ(glyph.NumGlyphs(), 2);
    auto centre = [&](TButtonState s) { return glyph.StateImage(s).pixelColor(8, 8); };
    EXPECT_EQ(centre(bsUp), QColor(255, 0, 0));
    EXPECT_EQ(centre(bsDisabled), QColor(0, 0, 255));
    EXPECT_EQ(centre(bsDown), QColor(255, 0, 0));
    EXPECT_EQ(centre(bsExclusive), QColor(255, 0, 0));
    // The olive background is the transparent colour.
    EXPECT_EQ(glyph.StateImage(bsUp).pixelColor(0, 0).alpha(), 0);
}

TEST(ButtonGlyph, TheDisabledImageOfASingleGlyphIsEmbossed) {
    TButtonGlyph glyph;
    glyph.SetGlyph(Strip(16, 1, {clRed}).get());
    const QImage image = glyph.StateImage(bsDisabled);
    const QColor shadow = ToQColor(ColorToRGB(clBtnShadow));
    const QColor highlight = ToQColor(ColorToRGB(clBtnHighlight));
    // The square covers 2..13; its copy one pixel down and right shows at 14.
    EXPECT_EQ(image.pixelColor(2, 2), shadow);
    EXPECT_EQ(image.pixelColor(13, 13), shadow);
    EXPECT_EQ(image.pixelColor(14, 14), highlight);
    EXPECT_EQ(image.pixelColor(14, 2), QColor(0, 0, 0, 0)) << "the copy starts one row lower";
    EXPECT_EQ(image.pixelColor(0, 0).alpha(), 0);
}

TEST(ButtonGlyph, LayoutPlacesGlyphAndTextByMarginAndSpacing) {
    TBitmap measure;
    measure.SetSize(10, 10);
    TCanvas* canvas = measure.Canvas();
    const Integer tw = canvas->TextWidth(QStringLiteral("OK"));
    const Integer th = canvas->TextHeight(QStringLiteral("OK"));
    TButtonGlyph glyph;
    glyph.SetGlyph(Strip(16, 1, {clRed}).get());
    const TRect client(0, 0, 100, 40);
    TPoint g;
    TRect t;
    glyph.CalcButtonLayout(canvas, client, TPoint(0, 0), QStringLiteral("OK"), blGlyphLeft, 5, 4, g, t);
    EXPECT_EQ(g, TPoint(5, 12));  // (40 - 16 + 1) div 2
    EXPECT_EQ(t, Bounds(25, (40 - th + 1) / 2, tw, th));
    glyph.CalcButtonLayout(canvas, client, TPoint(1, 1), QStringLiteral("OK"), blGlyphRight, 5, 4, g, t);
    EXPECT_EQ(g, TPoint(100 - 5 - 16 + 1, 13));
    EXPECT_EQ(t.Left, 100 - 5 - 16 - 4 - tw + 1);
    // Margin -1 centres glyph, spacing and text together.
    glyph.CalcButtonLayout(canvas, client, TPoint(0, 0), QStringLiteral("OK"), blGlyphTop, -1, 4, g, t);
    const Integer margin = (40 - (16 + 4 + th) + 1) / 2;
    EXPECT_EQ(g, TPoint((100 - 16 + 1) / 2, margin));
    EXPECT_EQ(t.Top, margin + 16 + 4);
    // No caption: no spacing, the glyph alone is centred.
    glyph.CalcButtonLayout(canvas, client, TPoint(0, 0), QString(), blGlyphLeft, -1, 4, g, t);
    EXPECT_EQ(g, TPoint((100 - 16 + 1) / 2, 12));
}

TEST_F(ButtonsTest, PaintShowsTheGlyphAndThePressedFrame) {
    auto* b = Button("b", 10);
    b->SetCaption(QString());
    b->SetBounds(10, 10, 40, 30);
    b->SetGlyph(Strip(16, 1, {clRed}).get());
    form->ShowActive();
    QImage image = form->Handle()->grab(QRect(10, 10, 40, 30)).toImage();
    SaveTestImage(image, QStringLiteral("SpeedButtonUp"));
    // Inside the 2-pixel frame: 36 x 26; the glyph centred at (12, 7) + 2.
    EXPECT_EQ(image.pixelColor(14 + 2, 7 + 2), QColor(255, 0, 0));
    EXPECT_EQ(image.pixelColor(0, 0), ToQColor(ColorToRGB(clBtnHighlight)));
    MousePress(form.get(), Mid(b));
    image = form->Handle()->grab(QRect(10, 10, 40, 30)).toImage();
    SaveTestImage(image, QStringLiteral("SpeedButtonDown"));
    EXPECT_EQ(image.pixelColor(15 + 2, 8 + 2), QColor(255, 0, 0)) << "content shifted by one pixel";
    EXPECT_NE(image.pixelColor(0, 0), ToQColor(ColorToRGB(clBtnHighlight))) << "sunken frame";
    MouseRelease(form.get(), Mid(b));
}

}  // namespace
