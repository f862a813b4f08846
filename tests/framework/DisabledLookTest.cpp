// A disabled control of every kind that shows a text shows it greyed: in
// clGrayText, never darker, and labels and buttons (check boxes and radio
// buttons too) with a clBtnHighlight shadow one pixel right and below.
// Checked on the pixels the text paints: the control drawn with its text
// against the control drawn without.
#include "Buttons.h"
#include "ComCtrls.h"
#include "ExtCtrls.h"
#include "FrameworkTestSupport.h"
#include "StdCtrls.h"
#include "StdCtrlsCombo.h"

#include <QtGui/QImage>
#include <QtWidgets/QWidget>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

const QString kText = QStringLiteral("Ab漢字");

struct Kind {
    const char* name;
    std::function<TControl*(TForm*)> make;
    std::function<void(TControl*, const QString&)> show;
    bool embossed;
};

template <class T>
std::function<TControl*(TForm*)> Make(Integer width, Integer height) {
    return [=](TForm* form) { return Place(new T(form), form, 10, 10, width, height); };
}

void SetCaption(TControl* c, const QString& text) { c->SetCaption(text); }
void SetText(TControl* c, const QString& text) { c->SetText(text); }

const Kind kKinds[] = {
    {"TLabel", Make<TLabel>(80, 20), SetCaption, true},
    {"TButton", Make<TButton>(80, 26), SetCaption, true},
    {"TCheckBox", Make<TCheckBox>(100, 20), SetCaption, true},
    {"TRadioButton", Make<TRadioButton>(100, 20), SetCaption, true},
    {"TSpeedButton", Make<TSpeedButton>(80, 26), SetCaption, true},
    {"TGroupBox", Make<TGroupBox>(100, 60), SetCaption, true},
    {"TPanel", Make<TPanel>(100, 30), SetCaption, true},
    {"TEdit", Make<TEdit>(100, 22), SetText, false},
    {"TMemo", Make<TMemo>(100, 40), SetText, false},
    {"TComboBox", Make<TComboBox>(100, 22), SetText, false},
    {"TListBox", Make<TListBox>(100, 40),
     [](TControl* c, const QString& text) {
         auto* list = static_cast<TListBox*>(c);
         list->Items()->Clear();
         if (!text.isEmpty()) list->Items()->Add(text);
     },
     false},
    {"TTreeView", Make<TTreeView>(100, 40),
     [](TControl* c, const QString& text) {
         auto* tree = static_cast<TTreeView*>(c);
         tree->Items()->Clear();
         if (!text.isEmpty()) tree->Items()->Add(nullptr, text);
     },
     false},
    {"TPageControl",
     [](TForm* form) -> TControl* {
         auto* pages = Place(new TPageControl(form), form, 10, 10, 120, 60);
         (new TTabSheet(form))->SetPageControl(pages);
         return pages;
     },
     [](TControl* c, const QString& text) { static_cast<TPageControl*>(c)->Pages(0)->SetCaption(text); }, false},
};

// What the pixels of the text hold.
struct TextInk {
    bool any = false;
    bool black = false;        // the font's colour
    bool grey = false;         // clGrayText
    bool highlight = false;    // clBtnHighlight
    bool darker = false;       // darker than clGrayText
};

QImage Grab(TForm* form, TControl* c) {
    return form->Handle()->grab(QRect(c->Left(), c->Top(), c->Width(), c->Height())).toImage();
}

TextInk InkOf(const Kind& kind, bool enabled) {
    auto form = std::make_unique<TForm>(nullptr);
    form->SetBounds(0, 0, 300, 120);
    TControl* c = kind.make(form.get());
    auto* focus = Place(new TButton(form.get()), form.get(), 200, 10, 60, 24);
    c->SetEnabled(enabled);
    ShowActive(form.get());
    focus->SetFocus();
    kind.show(c, QString());
    const QImage without = Grab(form.get(), c);
    kind.show(c, kText);
    const QImage with = Grab(form.get(), c);
    TextInk ink;
    const QRgb grey = ToQColor(ColorToRGB(clGrayText)).rgb();
    const QRgb light = ToQColor(ColorToRGB(clBtnHighlight)).rgb();
    for (int y = 0; y < with.height(); ++y) {
        for (int x = 0; x < with.width(); ++x) {
            const QRgb p = with.pixel(x, y);
            if (p == without.pixel(x, y)) continue;
            ink.any = true;
            ink.black |= qRed(p) == 0 && qGreen(p) == 0 && qBlue(p) == 0;
            ink.grey |= (p & 0xFFFFFF) == (grey & 0xFFFFFF);
            ink.highlight |= (p & 0xFFFFFF) == (light & 0xFFFFFF);
            ink.darker |= qRed(p) < qRed(grey) && qGreen(p) < qGreen(grey) && qBlue(p) < qBlue(grey);
        }
    }
    return ink;
}

// Enabled text is in the font's colour; disabled text is grey, never darker,
// and embossed on labels and buttons.
TEST(DisabledLook, DisabledTextIsGreyNeverDarkerAndEmbossedOnLabelsAndButtons) {
    for (const Kind& kind : kKinds) {
        SCOPED_TRACE(kind.name);
        const TextInk enabled = InkOf(kind, true);
        ASSERT_TRUE(enabled.any);
        EXPECT_TRUE(enabled.black);
        const TextInk disabled = InkOf(kind, false);
        ASSERT_TRUE(disabled.any);
        EXPECT_TRUE(disabled.grey);
        EXPECT_FALSE(disabled.darker);
        if (kind.embossed) {
            EXPECT_TRUE(disabled.highlight);
        }
    }
}

}  // namespace
