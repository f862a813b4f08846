// Qt's styles keep the pictures of combo boxes, push buttons, spin boxes
// and sliders in the pixmap cache under a name that holds the palette's
// cache key. Every widget gets a palette object of its own (a control sets
// its colours on it), so the widgets of a window made and freed again and
// again would add new names without end: the pictures are only dropped at
// the cache's limit, and Qt keeps their names for good. Drawing with one
// palette object per set of colours lets a new widget find the pictures of
// an old one.
//
// The style also draws the captions of disabled push buttons, check boxes
// and radio buttons as the framework's own labels and buttons draw theirs,
// and masks an edit box's text with its PasswordChar.
#include "WidgetStyle.h"

#include "ControlsWidget.h"
#include "StdCtrlsEdit.h"
#include "Windows.h"

#include <QtGui/QPalette>
#include <QtWidgets/QApplication>
#include <QtWidgets/QProxyStyle>
#include <QtWidgets/QStyleFactory>
#include <QtWidgets/QStyleOption>

#include <unordered_map>

namespace {

// Distinct sets of colours kept; past it the pool starts again.
constexpr size_t kPoolLimit = 256;

size_t ColourHash(const QPalette& palette) {
    size_t h = 0;
    for (int g = 0; g < QPalette::NColorGroups; ++g) {
        for (int r = 0; r < QPalette::NColorRoles; ++r) {
            const QBrush& b = palette.brush(QPalette::ColorGroup(g), QPalette::ColorRole(r));
            h = h * 31 + b.color().rgba() + size_t(b.style());
        }
    }
    return h;
}

// A copy of the option, of its own type, drawn with the shared palette.
template <class Option, class Draw>
bool DrawCopy(const QStyleOption* option, const Draw& draw) {
    const auto* typed = qstyleoption_cast<const Option*>(option);
    if (!typed || typed->type != Option::Type) return false;
    Option copy(*typed);
    copy.palette = SharedPalette(copy.palette);
    draw(&copy);
    return true;
}

// The option types of the drawings the styles keep in the cache.
template <class Draw>
void DrawShared(const QStyleOption* option, const Draw& draw) {
    if (option && (DrawCopy<QStyleOptionComboBox>(option, draw) || DrawCopy<QStyleOptionSpinBox>(option, draw) ||
                   DrawCopy<QStyleOptionSlider>(option, draw) || DrawCopy<QStyleOptionButton>(option, draw) ||
                   DrawCopy<QStyleOption>(option, draw)))
        return;
    draw(option);
}

// The caption of a disabled button of a control, embossed; false when the
// drawing is not one.
bool DrawDisabledCaption(QStyle::ControlElement element, const QStyleOption* option, QPainter* painter,
                         const QWidget* widget) {
    const auto* button = qstyleoption_cast<const QStyleOptionButton*>(option);
    const auto* link = dynamic_cast<const TControlWidgetLink*>(widget);
    const bool label = element == QStyle::CE_PushButtonLabel || element == QStyle::CE_CheckBoxLabel ||
                       element == QStyle::CE_RadioButtonLabel;
    if (!label || !button || (button->state & QStyle::State_Enabled) || !button->icon.isNull() || !link ||
        !link->Control())
        return false;
    const QRect r = button->rect;
    const TRect bounds(r.left(), r.top(), r.right() + 1, r.bottom() + 1);
    Cardinal format = DT_SINGLELINE | DT_VCENTER;
    if (element == QStyle::CE_PushButtonLabel) format |= DT_CENTER;
    else if (QStyle::visualAlignment(button->direction, Qt::AlignLeft) & Qt::AlignRight) format |= DT_RIGHT;
    TCanvas canvas;
    TCanvasBinding binding(canvas, *painter, bounds);
    canvas.Font()->Assign(link->Control()->Font());
    canvas.Brush()->SetStyle(bsClear);
    DrawDisabledText(&canvas, button->text, bounds, format);
    return true;
}

// The mask character of an edit box's widget; 0 for any other widget.
int PasswordCharOf(const QWidget* widget) {
    const auto* link = dynamic_cast<const TControlWidgetLink*>(widget);
    const auto* edit = link ? dynamic_cast<const TCustomEdit*>(link->Control()) : nullptr;
    return edit ? edit->PasswordChar().unicode() : 0;
}

class TWidgetStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;

    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* data) const override {
        if (hint == SH_LineEdit_PasswordCharacter) {
            if (const int c = PasswordCharOf(widget)) return c;
        }
        return QProxyStyle::styleHint(hint, option, widget, data);
    }
    // The platform pads a tab's caption by 6 pixels a side, half what Qt's
    // styles give: tabs that fit side by side there must fit here.
    int pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const override {
        if (metric == PM_TabBarTabHSpace) return 12;
        return QProxyStyle::pixelMetric(metric, option, widget);
    }

    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget) const override {
        DrawShared(option, [&](const QStyleOption* o) { QProxyStyle::drawPrimitive(element, o, painter, widget); });
    }
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override {
        if (DrawDisabledCaption(element, option, painter, widget)) return;
        DrawShared(option, [&](const QStyleOption* o) { QProxyStyle::drawControl(element, o, painter, widget); });
    }
    void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option, QPainter* painter,
                            const QWidget* widget) const override {
        DrawShared(option, [&](const QStyleOption* o) {
            QProxyStyle::drawComplexControl(control, static_cast<const QStyleOptionComplex*>(o), painter, widget);
        });
    }
};

}  // namespace

QPalette SharedPalette(const QPalette& palette) {
    static std::unordered_multimap<size_t, QPalette> pool;
    const size_t hash = ColourHash(palette);
    const auto [first, last] = pool.equal_range(hash);
    for (auto it = first; it != last; ++it) {
        if (it->second == palette) return it->second;
    }
    if (pool.size() >= kPoolLimit) pool.clear();
    pool.emplace(hash, palette);
    return palette;
}

namespace {

// The name of the platform's own style, as the application had it before
// it was wrapped.
QString& PlatformStyleName() {
    static QString name;
    return name;
}

}  // namespace

QStyle* NewWidgetStyle(QStyle* base) {
    if (!base) {
        InstallWidgetStyle();
        base = QStyleFactory::create(PlatformStyleName());
    }
    return new TWidgetStyle(base);
}

void InstallWidgetStyle() {
    static bool installed = false;
    if (installed || !qobject_cast<QApplication*>(QCoreApplication::instance())) return;
    installed = true;
    PlatformStyleName() = QApplication::style()->name();
    QApplication::setStyle(NewWidgetStyle(QStyleFactory::create(PlatformStyleName())));
}
