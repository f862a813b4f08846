// Properties changed while a control is on screen: what the window shows
// afterwards (its flushed pixels, not a fresh rendering) must equal a
// control given the same values before it was first shown.
#include "ZvStdCtrls.h"
#include "ZvStdCtrlsTestSupport.h"

#include <QtGui/QScreen>
#include <QtTest/QTest>

#include <functional>
#include <string>

namespace {

using Make = std::function<TControl*(TComponent*)>;
using Setup = std::function<void(TControl*)>;

struct RunTimeChange {
    std::string name;
    Make make;
    Setup change;
};

template <class T>
Setup On(std::function<void(T*)> f) {
    return [f](TControl* c) { f(static_cast<T*>(c)); };
}

void Dress(TControl* c) {
    c->Font()->SetName(QStringLiteral("Arial"));
    c->Font()->SetHeight(-16);
    c->Font()->SetColor(clBlack);
    c->SetColor(TColor(0xE0F0FF));
}

TControl* MakeAVLabel(TComponent* owner) {
    auto* label = new TZvAVLabel(owner);
    Dress(label);
    label->SetCaption(QStringLiteral("Even & odd"));
    label->SetShadowColor(clRed);
    return label;
}

TControl* MakeVLabel(TComponent* owner) {
    auto* label = new TZvVLabel(owner);
    Dress(label);
    label->SetCaption(QStringLiteral("Turned"));
    return label;
}

TControl* MakeTextureLabel(TComponent* owner) {
    auto* label = new TTextureLabel(owner);
    Dress(label);
    label->SetAutoSize(false);
    label->SetCaption(QStringLiteral("Texture label words"));
    return label;
}

TControl* MakeTexturePanel(TComponent* owner) {
    auto* panel = new TTexturePanel(owner);
    Dress(panel);
    panel->SetCaption(QStringLiteral("Panel"));
    return panel;
}

TControl* MakeShape(TComponent* owner) {
    auto* shape = new TZvShape(owner);
    shape->Brush()->SetColor(clAqua);
    return shape;
}

std::unique_ptr<TBitmap> Checks() {
    auto bitmap = std::make_unique<TBitmap>();
    bitmap->SetSize(6, 6);
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 6; ++x) bitmap->Canvas()->SetPixel(x, y, (x + y) % 2 ? clYellow : clGreen);
    return bitmap;
}

std::vector<RunTimeChange> Changes(TBitmap* texture) {
    return {
        {"AVLabel caption", MakeAVLabel, [](TControl* c) { c->SetCaption(QStringLiteral("Another")); }},
        {"AVLabel font", MakeAVLabel, [](TControl* c) { c->Font()->SetHeight(-24); }},
        {"AVLabel font colour", MakeAVLabel, [](TControl* c) { c->Font()->SetColor(clBlue); }},
        {"AVLabel alignment", MakeAVLabel, On<TZvAVLabel>([](TZvAVLabel* l) { l->SetAlignment(taRightJustify); })},
        {"AVLabel layout", MakeAVLabel, On<TZvAVLabel>([](TZvAVLabel* l) { l->SetLayout(tlBottom); })},
        {"AVLabel even pitch", MakeAVLabel, On<TZvAVLabel>([](TZvAVLabel* l) { l->SetAVPitch(true); })},
        {"AVLabel fitted", MakeAVLabel, On<TZvAVLabel>([](TZvAVLabel* l) {
             l->SetAVPitch(true);
             l->SetJustFontSize(true);
         })},
        {"AVLabel shadow", MakeAVLabel, On<TZvAVLabel>([](TZvAVLabel* l) {
             l->SetShadowType(TShadowType::stRightBottom);
             l->SetShadowWidth(2);
         })},
        {"AVLabel word wrap", MakeAVLabel, On<TZvAVLabel>([](TZvAVLabel* l) {
             l->SetCaption(QStringLiteral("many words that wrap in a narrow label"));
             l->SetWordWrap(true);
         })},
        {"AVLabel accelerator", MakeAVLabel, On<TZvAVLabel>([](TZvAVLabel* l) { l->SetShowAccelChar(true); })},
        {"AVLabel transparent", MakeAVLabel, On<TZvAVLabel>([](TZvAVLabel* l) { l->SetTransparent(true); })},
        {"AVLabel colour", MakeAVLabel, [](TControl* c) { c->SetColor(clLime); }},
        {"VLabel angle", MakeVLabel, On<TZvVLabel>([](TZvVLabel* l) { l->SetAngle(TVLabelAngle::va90); })},
        {"VLabel caption", MakeVLabel, [](TControl* c) { c->SetCaption(QStringLiteral("Other")); }},
        {"VLabel font", MakeVLabel, [](TControl* c) { c->Font()->SetHeight(-26); }},
        {"VLabel disabled", MakeVLabel, [](TControl* c) { c->SetEnabled(false); }},
        {"VLabel centred", MakeVLabel, On<TZvVLabel>([](TZvVLabel* l) {
             l->SetAlignment(taCenter);
             l->SetLayout(tlCenter);
         })},
        {"VLabel transparent", MakeVLabel, On<TZvVLabel>([](TZvVLabel* l) { l->SetTransparent(true); })},
        {"TextureLabel texture", MakeTextureLabel, On<TTextureLabel>([texture](TTextureLabel* l) { l->SetTexture(texture); })},
        {"TextureLabel moved", MakeTextureLabel, On<TTextureLabel>([texture](TTextureLabel* l) {
             l->SetTexture(texture);
             l->SetBounds(13, 17, 151, 69);
         })},
        {"TextureLabel caption", MakeTextureLabel, [](TControl* c) { c->SetCaption(QStringLiteral("Changed")); }},
        {"TextureLabel font", MakeTextureLabel, [](TControl* c) { c->Font()->SetHeight(-22); }},
        {"TextureLabel auto size", MakeTextureLabel, On<TTextureLabel>([](TTextureLabel* l) { l->SetAutoSize(true); })},
        {"TextureLabel word wrap", MakeTextureLabel, On<TTextureLabel>([](TTextureLabel* l) {
             l->SetCaption(QStringLiteral("a caption of many words, longer than the label"));
             l->SetWordWrap(true);
         })},
        {"TextureLabel alignment", MakeTextureLabel, On<TTextureLabel>([](TTextureLabel* l) { l->SetAlignment(taCenter); })},
        {"TextureLabel disabled", MakeTextureLabel, [](TControl* c) { c->SetEnabled(false); }},
        {"TextureLabel transparent", MakeTextureLabel, On<TTextureLabel>([](TTextureLabel* l) { l->SetTransparent(true); })},
        {"TexturePanel texture", MakeTexturePanel, On<TTexturePanel>([texture](TTexturePanel* p) { p->SetTexture(texture); })},
        {"TexturePanel resized", MakeTexturePanel, On<TTexturePanel>([texture](TTexturePanel* p) {
             p->SetTexture(texture);
             p->SetFullRepaint(false);
             p->SetBounds(10, 10, 183, 97);
         })},
        {"TexturePanel caption", MakeTexturePanel, [](TControl* c) { c->SetCaption(QStringLiteral("New")); }},
        {"TexturePanel bevels", MakeTexturePanel, On<TTexturePanel>([](TTexturePanel* p) {
             p->SetBevelInner(bvLowered);
             p->SetBevelWidth(3);
             p->SetBorderWidth(4);
         })},
        {"TexturePanel alignment", MakeTexturePanel, On<TTexturePanel>([](TTexturePanel* p) { p->SetAlignment(taLeftJustify); })},
        {"Shape kind", MakeShape, On<TZvShape>([](TZvShape* s) { s->SetShape(TZvShapeType::stcRBCSector); })},
        {"Shape pen", MakeShape, On<TZvShape>([](TZvShape* s) {
             s->Pen()->SetWidth(4);
             s->Pen()->SetColor(clRed);
         })},
        {"Shape brush", MakeShape, On<TZvShape>([](TZvShape* s) { s->Brush()->SetColor(clFuchsia); })},
        {"Shape brush style", MakeShape, On<TZvShape>([](TZvShape* s) { s->Brush()->SetStyle(bsClear); })},
    };
}

class RepaintTest : public DisplayFormTest {
protected:
    // What the window shows now, once pending paints have reached it.
    QImage OnScreen() {
        QTest::qWait(30);
        QCoreApplication::processEvents();
        QWidget* w = form->Handle();
        return w->screen()->grabWindow(w->winId()).toImage().convertToFormat(QImage::Format_RGB32);
    }
    // A fresh form with the control already set up, rendered.
    QImage Fresh(const RunTimeChange& change) {
        form = WhiteForm(320, 240);
        TControl* c = Place(change.make(form.get()), 10, 10, 150, 70);
        change.change(c);
        return Grab();
    }
};

}  // namespace

TEST_F(RepaintTest, ChangesOnScreenShowAsIfMadeBeforehand) {
    const auto texture = Checks();
    for (const RunTimeChange& change : Changes(texture.get())) {
        SCOPED_TRACE(change.name);
        form = WhiteForm(320, 240);
        TControl* c = Place(change.make(form.get()), 10, 10, 150, 70);
        ShowActive(form.get());
        const QImage before = OnScreen();
        change.change(c);
        const QImage after = OnScreen();
        const QImage expected = Fresh(change);
        EXPECT_NE(expected, before) << "the change should show";
        EXPECT_EQ(after, expected);
        if (after != expected) {
            SaveTestImage(after, QString::fromStdString("repaint_" + change.name + "_shown"));
            SaveTestImage(expected, QString::fromStdString("repaint_" + change.name + "_expected"));
        }
    }
}
