// What a freed control leaves behind in Qt: nothing in the accessibility
// cache, and no new names in the style's pixmap cache for a widget whose
// colours an earlier one had.
#include "ExtCtrls.h"
#include "FrameworkTestSupport.h"
#include "StdCtrls.h"
#include "StdCtrlsCombo.h"
#include "WidgetStyle.h"

#include <QtGui/QAccessible>
#include <QtGui/QImage>
#include <QtGui/QPainter>
#include <QtWidgets/QCommonStyle>
#include <QtWidgets/QStyleOption>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

// The accessibility ids of a widget and its children.
std::vector<QAccessible::Id> AccessibleIds(QWidget* w) {
    std::vector<QAccessible::Id> ids{QAccessible::uniqueId(QAccessible::queryAccessibleInterface(w))};
    for (QWidget* child : w->findChildren<QWidget*>()) {
        if (QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(child))
            ids.push_back(QAccessible::uniqueId(iface));
    }
    return ids;
}

TEST(WidgetRelease, AFreedControlLeavesNoAccessibleObjectBehind) {
    auto form = WhiteForm(300, 120);
    auto* panel = Place(new TPanel(form.get()), form.get(), 0, 0, 100, 30);
    auto* edit = Place(new TEdit(form.get()), form.get(), 0, 40, 100, 24);
    auto* combo = Place(new TComboBox(form.get()), form.get(), 0, 80, 100, 24);
    ShowActive(form.get());
    for (TControl* control : std::vector<TControl*>{panel, edit, combo}) {
        const auto ids = AccessibleIds(control->Handle());
        delete control;
        for (QAccessible::Id id : ids) EXPECT_EQ(QAccessible::accessibleInterface(id), nullptr) << id;
    }
}

QPalette PaletteOf(QColor base) {
    QPalette p;
    p.setColor(QPalette::Base, base);
    return p;
}

// Notes the palette of every option it is asked to draw.
class TPaletteProbe : public QCommonStyle {
public:
    explicit TPaletteProbe(std::vector<qint64>& keys) : keys_(keys) {}
    void drawPrimitive(PrimitiveElement, const QStyleOption* o, QPainter*, const QWidget*) const override {
        keys_.push_back(o->palette.cacheKey());
    }
    void drawControl(ControlElement, const QStyleOption* o, QPainter*, const QWidget*) const override {
        keys_.push_back(o->palette.cacheKey());
    }
    void drawComplexControl(ComplexControl, const QStyleOptionComplex* o, QPainter*, const QWidget*) const override {
        keys_.push_back(o->palette.cacheKey());
    }

private:
    std::vector<qint64>& keys_;
};

// Equal colours share one palette object, other colours get their own.
TEST(WidgetRelease, TheStyleDrawsEqualColoursWithOnePalette) {
    std::vector<qint64> keys;
    std::unique_ptr<QStyle> style(NewWidgetStyle(new TPaletteProbe(keys)));
    QImage image(40, 20, QImage::Format_RGB32);
    QPainter painter(&image);
    for (QColor colour : {Qt::green, Qt::green, Qt::cyan}) {
        QStyleOptionComboBox combo;
        QStyleOptionButton button;
        QStyleOption plain;
        combo.palette = button.palette = plain.palette = PaletteOf(colour);
        style->drawComplexControl(QStyle::CC_ComboBox, &combo, &painter);
        style->drawControl(QStyle::CE_PushButton, &button, &painter);
        style->drawPrimitive(QStyle::PE_PanelButtonCommand, &plain, &painter);
    }
    ASSERT_EQ(keys.size(), 9u);
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(keys[i], keys[i + 3]) << i;
        EXPECT_NE(keys[i], keys[i + 6]) << i;
    }
}

}  // namespace
