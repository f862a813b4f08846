// The texture panel and label: the tiled texture read back pixel by pixel
// against the texture's own pixels at the phase of the parent's client
// origin, bevels and border, auto-size, the disabled caption, the
// accelerator, the form routine that prepares a window, and a label docked
// into an auto-sized panel.
#include "Forms.h"
#include "StdCtrlsEdit.h"
#include "ZvFormUtils.h"
#include "ZvStdCtrls.h"
#include "ZvStdCtrlsTestSupport.h"

#include <QtTest/QTest>

namespace {

const int Tile = 7;  // odd, so that no offset of the pattern looks aligned by chance

// A texture whose every pixel differs, so the phase of the tiling shows.
std::unique_ptr<TBitmap> MakeTexture() {
    auto bitmap = std::make_unique<TBitmap>();
    bitmap->SetPixelFormat(pf24bit);
    bitmap->SetSize(Tile, Tile);
    QImage image(Tile, Tile, QImage::Format_RGB32);
    for (int y = 0; y < Tile; ++y)
        for (int x = 0; x < Tile; ++x) image.setPixel(x, y, qRgb(30 * x + 10, 30 * y + 10, 200));
    bitmap->SetImage(image);
    return bitmap;
}

QRgb TexelAt(int x, int y) {
    const int tx = ((x % Tile) + Tile) % Tile, ty = ((y % Tile) + Tile) % Tile;
    return qRgb(30 * tx + 10, 30 * ty + 10, 200) & 0xFFFFFF;
}

QRgb At(const QImage& image, int x, int y) {
    return image.pixel(x, y) & 0xFFFFFF;
}

// Pixels of area (panel client coordinates) that do not show the texture
// tiled from the panel's client origin.
int Seams(const QImage& shot, TPoint origin, const TRect& area) {
    int wrong = 0;
    for (int y = area.Top; y < area.Bottom; ++y)
        for (int x = area.Left; x < area.Right; ++x)
            if (At(shot, origin.X + x, origin.Y + y) != TexelAt(x, y)) ++wrong;
    return wrong;
}

class TextureTest : public DisplayFormTest {
protected:
    TTexturePanel* NewPanel(Integer left, Integer top, Integer w, Integer h) {
        auto* panel = Place(new TTexturePanel(form.get()), left, top, w, h);
        panel->SetTexture(texture.get());
        return panel;
    }
    std::unique_ptr<TBitmap> texture = MakeTexture();
};

}  // namespace

TEST_F(TextureTest, LabelContinuesThePanelsTextureWithoutSeams) {
    TTexturePanel* panel = NewPanel(10, 12, 200, 120);
    panel->SetBevelOuter(bvNone);
    auto* label = Place(new TTextureLabel(form.get()), 23, 31, 90, 40, panel);
    label->SetAutoSize(false);
    label->SetTexture(texture.get());
    const QImage shot = Grab(QStringLiteral("ZvTexture_label_on_panel"));
    EXPECT_EQ(Seams(shot, TPoint(10, 12), TRect(0, 0, 200, 120)), 0);
    // The label really painted: a plain label there shows its colour.
    label->SetTexture(nullptr);
    label->SetColor(clRed);
    EXPECT_EQ(At(Grab(), 10 + 40, 12 + 50), 0xFF0000u);
}

TEST_F(TextureTest, PanelTexturesUnderTheBorderStripAndInsideTheBevels) {
    TTexturePanel* panel = NewPanel(5, 5, 100, 80);
    panel->SetBevelInner(bvLowered);
    panel->SetBorderWidth(8);
    const QImage shot = Grab(QStringLiteral("ZvTexture_panel_border"));
    // Outer raised bevel, texture under the 8-pixel border, lowered inner bevel.
    EXPECT_EQ(At(shot, 5, 5), RgbOf(clBtnHighlight));
    EXPECT_EQ(At(shot, 5 + 99, 5 + 79), RgbOf(clBtnShadow));
    EXPECT_EQ(Seams(shot, TPoint(5, 5), TRect(1, 1, 9, 79)), 0);
    EXPECT_EQ(At(shot, 5 + 9, 5 + 40), RgbOf(clBtnShadow));
    EXPECT_EQ(Seams(shot, TPoint(5, 5), TRect(10, 10, 90, 70)), 0);
    TRect client = panel->ClientRect();
    panel->AdjustClientRect(client);
    EXPECT_EQ(client, TRect(10, 10, 90, 70));
}

TEST_F(TextureTest, SingleBorderSurroundsTheClientAreaWhereTheTilingStarts) {
    TTexturePanel* panel = NewPanel(20, 20, 100, 80);
    panel->SetBevelOuter(bvNone);
    panel->SetBorderStyle(bsSingle);
    EXPECT_EQ(panel->ClientRect(), TRect(0, 0, 96, 76));
    const QImage shot = Grab(QStringLiteral("ZvTexture_panel_single_border"));
    EXPECT_EQ(At(shot, 20, 20), RgbOf(clBtnShadow));
    EXPECT_EQ(Seams(shot, TPoint(22, 22), TRect(0, 0, 96, 76)), 0);
}

TEST_F(TextureTest, EmptyTexturePaintsTheColourAndAssigningRepaints) {
    auto* panel = Place(new TTexturePanel(form.get()), 0, 0, 80, 60);
    panel->SetBevelOuter(bvNone);
    panel->SetColor(clAqua);
    EXPECT_EQ(At(Grab(), 40, 30), 0x00FFFFu);
    panel->SetTexture(texture.get());
    EXPECT_EQ(Seams(Grab(), TPoint(0, 0), TRect(0, 0, 80, 60)), 0);
    // A change of the panel's own bitmap repaints too.
    panel->Texture()->SetSize(0, 0);
    panel->Texture()->Changed();
    EXPECT_EQ(At(Grab(), 40, 30), 0x00FFFFu);
}

TEST_F(TextureTest, PanelCaptionIsCentredOnTheHeightOfW) {
    auto* panel = Place(new TTexturePanel(form.get()), 0, 0, 200, 61);
    panel->SetBevelOuter(bvNone);
    panel->SetColor(clWhite);
    panel->Font()->SetName(QStringLiteral("Arial"));
    panel->Font()->SetHeight(-20);
    panel->Font()->SetColor(clBlack);
    panel->SetCaption(QStringLiteral("W"));
    const TRect w = InkBox(Grab(QStringLiteral("ZvTexture_panel_caption")).copy(0, 0, 200, 61));
    panel->SetCaption(QStringLiteral("_"));
    const TRect underscore = InkBox(Grab().copy(0, 0, 200, 61));
    TBitmap probe;
    probe.Canvas()->SetFont(panel->Font());
    const Integer h = probe.Canvas()->TextHeight(QStringLiteral("W"));
    const Integer top = (61 - h) / 2;
    // Both captions stand in the same cell: from top to top + h.
    EXPECT_GE(w.Top, top);
    EXPECT_LE(underscore.Bottom, top + h);
    EXPECT_NEAR((w.Left + w.Right) / 2.0, 100, 2);
}

TEST_F(TextureTest, AutoSizeKeepsTheRightEdgeOfARightJustifiedLabel) {
    auto* label = Place(new TTextureLabel(form.get()), 100, 20, 65, 17);
    label->SetAlignment(taRightJustify);
    label->SetCaption(QStringLiteral("A rather longer caption"));
    EXPECT_EQ(label->Left() + label->Width(), 165);
    EXPECT_GT(label->Width(), 65);
    label->SetCaption(QStringLiteral("x"));
    EXPECT_EQ(label->Left() + label->Width(), 165);
    // Left-justified labels keep their left edge.
    label->SetAlignment(taLeftJustify);
    const Integer left = label->Left();
    label->SetCaption(QStringLiteral("longer again"));
    EXPECT_EQ(label->Left(), left);
    // Without AutoSize nothing moves.
    label->SetAutoSize(false);
    const TRect bounds = label->BoundsRect();
    label->SetCaption(QStringLiteral("y"));
    EXPECT_EQ(label->BoundsRect(), bounds);
}

TEST_F(TextureTest, LabelLayoutAndTransparency) {
    auto* label = Place(new TTextureLabel(form.get()), 10, 10, 100, 60);
    label->SetAutoSize(false);
    label->SetColor(clWhite);
    label->Font()->SetName(QStringLiteral("Arial"));
    label->Font()->SetHeight(-16);
    label->Font()->SetColor(clBlack);
    label->SetCaption(QStringLiteral("Hx"));
    const TRect top = InkBox(GrabControl(label));
    label->SetLayout(tlBottom);
    const TRect bottom = InkBox(GrabControl(label));
    label->SetLayout(tlCenter);
    const TRect centre = InkBox(GrabControl(label));
    TBitmap probe;
    probe.Canvas()->SetFont(label->Font());
    const Integer free = 60 - probe.Canvas()->TextHeight(QStringLiteral("Hx"));
    EXPECT_EQ(bottom.Top - top.Top, free);
    EXPECT_EQ(centre.Top - top.Top, free / 2);

    // Transparent: no background, texture or not.
    label->SetTexture(texture.get());
    label->SetColor(clRed);
    label->SetTransparent(true);
    EXPECT_FALSE(label->ControlStyle().Contains(csOpaque));
    const QImage shot = GrabControl(label);
    EXPECT_EQ(ColorBox(shot, 0xFF0000), TRect());
    EXPECT_EQ(At(shot, 2, 2), 0xFFFFFFu);
}

TEST_F(TextureTest, DisabledLabelDrawsItsCaptionEmbossed) {
    auto* label = Place(new TTextureLabel(form.get()), 10, 10, 100, 30);
    label->SetAutoSize(false);
    label->SetColor(clBlack);
    label->Font()->SetName(QStringLiteral("Arial"));
    label->Font()->SetHeight(-16);
    label->SetCaption(QStringLiteral("Off"));
    label->SetEnabled(false);
    const QImage shot = GrabControl(label, QStringLiteral("ZvTexture_disabled_label"));
    const TRect light = ColorBox(shot, RgbOf(clBtnHighlight)), dark = ColorBox(shot, RgbOf(clBtnShadow));
    ASSERT_NE(light, TRect());
    ASSERT_NE(dark, TRect());
    EXPECT_EQ(light.Left - dark.Left, 1);
    EXPECT_EQ(light.Bottom - dark.Bottom, 1);
}

TEST_F(TextureTest, AcceleratorFocusesTheFocusControlAndForgetsItWhenFreed) {
    auto* label = Place(new TTextureLabel(form.get()), 10, 10, 80, 20);
    label->SetCaption(QStringLiteral("&Name"));
    auto* first = Place(new TEdit(form.get()), 10, 40, 100, 24);
    auto* target = Place(new TEdit(form.get()), 10, 70, 100, 24);
    label->SetFocusControl(target);
    form->SetActiveControl(first);
    Grab();
    ASSERT_TRUE(first->Focused());
    KeyClick(form.get(), Qt::Key_N, Qt::AltModifier);
    EXPECT_TRUE(target->Focused());

    // Without accelerators, or disabled, the key does nothing.
    first->SetFocus();
    label->SetShowAccelChar(false);
    KeyClick(form.get(), Qt::Key_N, Qt::AltModifier);
    EXPECT_TRUE(first->Focused());

    delete target;
    EXPECT_EQ(label->FocusControl(), nullptr);
}

TEST_F(TextureTest, PreparingAWindowClearsUntaggedTexturePanelsOnly) {
    auto* untagged = Place(new TTexturePanel(form.get()), 0, 0, 100, 40);
    auto* tagged = Place(new TTexturePanel(form.get()), 0, 50, 100, 40);
    auto* label = Place(new TTextureLabel(form.get()), 0, 100, 100, 20);
    untagged->SetCaption(QStringLiteral("goes"));
    tagged->SetCaption(QStringLiteral("stays"));
    tagged->SetTag(1);
    label->SetCaption(QStringLiteral("&label"));
    std::vector<TObject*> resized;
    untagged->OnResize = tagged->OnResize = [&](TObject* sender) { resized.push_back(sender); };
    untagged->SetTabStop(true);

    InitFormControls(form.get());
    EXPECT_EQ(untagged->Caption(), QString());
    EXPECT_EQ(tagged->Caption(), QStringLiteral("stays"));
    EXPECT_EQ(resized, (std::vector<TObject*>{untagged, tagged}));
    EXPECT_FALSE(untagged->TabStop());
    // The texture label is no framework label: the routine leaves it alone.
    EXPECT_EQ(label->Caption(), QStringLiteral("&label"));
    EXPECT_TRUE(label->ShowAccelChar());
}

// ------------------------------------------------------------ docking

namespace {

std::string DockName(const TObject* o) {
    const auto* c = dynamic_cast<const TComponent*>(o);
    if (!c) return o ? "object" : "nil";
    return c->Name().isEmpty() ? "floating" : c->Name().toStdString();
}

std::string DockState(TDragState state) {
    return state == dsDragEnter ? "enter" : state == dsDragLeave ? "leave" : "move";
}

// A bottom strip of the form that is empty until a texture label docks in it.
class TextureDockTest : public DisplayFormTest {
protected:
    TextureDockTest() {
        panel = DockPanel(alBottom, true);
        panel->SetName(QStringLiteral("panel"));
        panel->OnDockOver = [this](TObject* s, TDragDockObject*, Integer, Integer, TDragState st, bool&) {
            trace.push_back(DockName(s) + ":" + DockState(st));
        };
        panel->OnDockDrop = [this](TObject* s, TDragDockObject* source, Integer, Integer) {
            trace.push_back(DockName(s) + ":drop " + DockName(source->Control()) + " " +
                            std::to_string(panel->Height()));
        };
        panel->OnUnDock = [this](TObject* s, TControl* c, TWinControl* target, bool&) {
            trace.push_back(DockName(s) + ":undock " + DockName(c) + " " + DockName(target));
        };
        label = Place(new TTextureLabel(form.get()), 20, 20, 65, 17);
        label->SetName(QStringLiteral("label"));
        label->SetCaption(QStringLiteral("ドッキング"));
        label->SetDragKind(dkDock);
        label->SetDragMode(dmAutomatic);
        label->OnStartDock = [this](TObject* s, TDragDockObject*&) { trace.push_back(DockName(s) + ":startdock"); };
        label->OnEndDock = [this](TObject* s, TObject* target, Integer, Integer) {
            trace.push_back(DockName(s) + ":enddock " + DockName(target));
        };
    }
    // An empty panel along a side of the form that controls dock into.
    TTexturePanel* DockPanel(TAlign align, bool autoSize) {
        const bool across = align == alRight;
        auto* site = Place(new TTexturePanel(form.get()), 0, 0, across ? 0 : 320, across ? 100 : 0);
        site->SetBevelOuter(bvNone);
        site->SetAlign(align);
        site->SetAutoSize(autoSize);
        site->SetDockSite(true);
        return site;
    }
    void TearDown() override {
        if (form->Visible()) QTest::mouseRelease(WindowOf(form.get()), Qt::LeftButton);
    }
    // A press on from in window, then the release at to in the form.
    void Drag(TCustomForm* window, QPoint from, QPoint to) {
        MousePress(window, from);
        QTest::mouseMove(WindowOf(form.get()), to);
        MouseRelease(form.get(), to);
    }

    TTexturePanel* panel = nullptr;
    TTextureLabel* label = nullptr;
    std::vector<std::string> trace;
};

}  // namespace

TEST_F(TextureDockTest, AnEmptyBottomPanelTakesTheDockedLabelsHeightUpwardAndGivesItBackOnUndock) {
    const Integer h = label->Height();
    ASSERT_GT(h, 0);
    ShowActive(form.get());
    // Within ten pixels of the empty panel at the bottom edge.
    Drag(form.get(), QPoint(25, 25), QPoint(100, 235));
    EXPECT_EQ(label->HostDockSite(), panel);
    EXPECT_EQ(panel->Height(), h);
    EXPECT_EQ(panel->Top(), 240 - h);
    EXPECT_EQ(label->BoundsRect(), TRect(0, 0, 320, h));
    Grab(QStringLiteral("texture_docked"));
    // Out of the panel into a window of its own: the panel is empty again.
    Drag(form.get(), QPoint(100, 240 - h / 2), QPoint(150, 80));
    ASSERT_TRUE(label->Floating());
    EXPECT_EQ(panel->Height(), 0);
    EXPECT_EQ(panel->Top(), 240);
    // And back from there.
    auto* window = static_cast<TCustomForm*>(label->HostDockSite());
    ShowActive(window);
    Drag(window, QPoint(5, 5), QPoint(100, 235));
    EXPECT_EQ(label->HostDockSite(), panel);
    EXPECT_EQ(panel->Height(), label->Height());
    EXPECT_EQ(trace, (std::vector<std::string>{
                         "label:startdock", "panel:enter", "panel:leave", "panel:drop label " + std::to_string(h),
                         "label:enddock panel",
                         "label:startdock", "panel:undock label nil", "label:enddock floating",
                         "label:startdock", "panel:enter", "panel:leave", "panel:drop label " + std::to_string(h),
                         "label:enddock panel"}));
}

// Docked into, an auto-sized panel grows away from its side by the label's
// size and gives it back when the label moves on; without AutoSize it keeps
// its size.
TEST_F(TextureDockTest, PanelsGrowAwayFromTheirSideOnlyWhenAutoSized) {
    const Integer w = label->Width(), h = label->Height();
    auto* top = DockPanel(alTop, true);
    ASSERT_TRUE(label->ManualDock(top));
    EXPECT_EQ(top->BoundsRect(), TRect(0, 0, 320, h));
    auto* right = DockPanel(alRight, true);
    ASSERT_TRUE(label->ManualDock(right));
    EXPECT_EQ(right->Width(), w);
    EXPECT_EQ(right->Left(), 320 - w);
    EXPECT_EQ(top->Height(), 0);
    auto* fixed = DockPanel(alBottom, false);
    ASSERT_TRUE(label->ManualDock(fixed));
    EXPECT_EQ(label->HostDockSite(), fixed);
    EXPECT_EQ(fixed->Height(), 0);
    EXPECT_EQ(right->Width(), 0);
}
