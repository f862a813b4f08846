// Colours, fonts, pens and brushes. The canvas is in GraphicsCanvas.cpp and
// GraphicsText.cpp, bitmaps and pictures in GraphicsBitmap.cpp.
#include "Graphics.h"

#include <QtCore/QHash>
#include <QtGui/QFontMetricsF>
#include <QtGui/QImage>

#include <array>
#include <cmath>

// ------------------------------------------------------------ colours

namespace {

// The classic light theme, indexed by the low byte of a system colour.
constexpr std::array<TColor, 31> kSystemPalette = {
    0xC8C8C8,  // scroll bar
    0xA56E3A,  // desktop
    0x6A240A,  // active caption
    0x808080,  // inactive caption
    0xC8D0D4,  // menu
    0xFFFFFF,  // window
    0x000000,  // window frame
    0x000000,  // menu text
    0x000000,  // window text
    0xFFFFFF,  // caption text
    0xC8D0D4,  // active border
    0xC8D0D4,  // inactive border
    0x808080,  // application work space
    0x6A240A,  // highlight
    0xFFFFFF,  // highlight text
    0xC8D0D4,  // button face
    0x808080,  // button shadow
    0x808080,  // grey text
    0x000000,  // button text
    0xC8D0D4,  // inactive caption text
    0xFFFFFF,  // button highlight
    0x404040,  // 3-D dark shadow
    0xC8D0D4,  // 3-D light
    0x000000,  // info text
    0xE1FFFF,  // info background
    0xB5B5B5,  // (unused index 25)
    0x800000,  // hot light
    0xF0CAA6,  // gradient active caption
    0xC0C0C0,  // gradient inactive caption
    0xC56A31,  // menu highlight
    0xC8D0D4,  // menu bar
};

}  // namespace

TColor ColorToRGB(TColor color) {
    if (color >= 0) return color;
    const Cardinal index = Cardinal(color) & 0xFF;
    if ((Cardinal(color) & 0xFFFFFF00u) != Cardinal(clSystemColor) || index >= kSystemPalette.size()) return clBlack;
    return kSystemPalette[index];
}

QColor ToQColor(TColor color) {
    if (color == clNone) return QColor(Qt::transparent);
    const TColor rgb = ColorToRGB(color) & 0xFFFFFF;
    return QColor(GetRValue(rgb), GetGValue(rgb), GetBValue(rgb));
}

TColor FromQColor(const QColor& color) {
    return RGB(Byte(color.red()), Byte(color.green()), Byte(color.blue()));
}

// ------------------------------------------------------------ TGraphicsObject

void TGraphicsObject::Changed() {
    if (OnChange) OnChange(this);
}

// ------------------------------------------------------------ fonts

const QString DefaultFontName = QStringLiteral("ＭＳ Ｐゴシック");

QString SubstituteFontFamily(const QString& windowsName) {
    static const QHash<QString, QString> faces = {
        {QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("IPAPGothic")},
        {QStringLiteral("MS PGothic"), QStringLiteral("IPAPGothic")},
        {QStringLiteral("MS UI Gothic"), QStringLiteral("IPAPGothic")},
        {QStringLiteral("ＭＳ ゴシック"), QStringLiteral("IPAGothic")},
        {QStringLiteral("MS Gothic"), QStringLiteral("IPAGothic")},
        {QStringLiteral("ＭＳ 明朝"), QStringLiteral("IPAMincho")},
        {QStringLiteral("MS Mincho"), QStringLiteral("IPAMincho")},
        {QStringLiteral("ＭＳ Ｐ明朝"), QStringLiteral("IPAPMincho")},
        {QStringLiteral("MS PMincho"), QStringLiteral("IPAPMincho")},
        {QStringLiteral("Arial"), QStringLiteral("Liberation Sans")},
        {QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans")},
        {QStringLiteral("Times New Roman"), QStringLiteral("Liberation Serif")},
        {QStringLiteral("Courier New"), QStringLiteral("Liberation Mono")},
    };
    return faces.value(windowsName.trimmed(), windowsName);
}

namespace {

QFont baseQFont(const QString& family) {
    QFont f(family);
    f.setKerning(false);
    f.setHintingPreference(QFont::PreferFullHinting);
    f.setStyleStrategy(QFont::StyleStrategy(QFont::NoAntialias | QFont::PreferMatch));
    return f;
}

// Character (em) height for a cell height: the cell is ascent + descent,
// whose share of the em is a property of the face.
Integer emForCellHeight(const QString& family, bool bold, Integer cell) {
    static QHash<QString, double> ratios;
    const QString key = family + (bold ? QStringLiteral("/b") : QString());
    auto it = ratios.find(key);
    if (it == ratios.end()) {
        QFont f = baseQFont(family);
        f.setBold(bold);
        f.setHintingPreference(QFont::PreferNoHinting);
        f.setPixelSize(1000);
        QImage reference(1, 1, QImage::Format_RGB32);
        const QFontMetricsF fm(f, &reference);
        const double cellPerEm = (fm.ascent() + fm.descent()) / 1000.0;
        it = ratios.insert(key, cellPerEm > 0 ? cellPerEm : 1.0);
    }
    return std::max<Integer>(1, Integer(std::lround(cell / it.value())));
}

}  // namespace

TFont::TFont() : name_(DefaultFontName) {}

void TFont::Assign(TPersistent* Source) {
    auto* other = dynamic_cast<TFont*>(Source);
    if (!other) {
        TGraphicsObject::Assign(Source);
        return;
    }
    name_ = other->name_;
    height_ = other->pixelsPerInch_ == pixelsPerInch_ ? other->height_
                                                      : -MulDiv(other->Size(), pixelsPerInch_, 72);
    style_ = other->style_;
    color_ = other->color_;
    charset_ = other->charset_;
    pitch_ = other->pitch_;
    orientation_ = other->orientation_;
    Changed();
}

void TFont::SetName(const QString& name) {
    if (name.isEmpty() || name == name_) return;
    name_ = name;
    Changed();
}

Integer TFont::Size() const {
    return -MulDiv(height_, 72, pixelsPerInch_);
}

void TFont::SetSize(Integer points) {
    SetHeight(-MulDiv(points, pixelsPerInch_, 72));
}

void TFont::SetHeight(Integer height) {
    if (height == height_) return;
    height_ = height;
    Changed();
}

void TFont::SetStyle(TFontStyles style) {
    if (style == style_) return;
    style_ = style;
    Changed();
}

void TFont::SetColor(TColor color) {
    if (color == color_) return;
    color_ = color;
    Changed();
}

void TFont::SetCharset(TFontCharset charset) {
    if (charset == charset_) return;
    charset_ = charset;
    Changed();
}

void TFont::SetPitch(TFontPitch pitch) {
    if (pitch == pitch_) return;
    pitch_ = pitch;
    Changed();
}

void TFont::SetOrientation(Integer tenths) {
    if (tenths == orientation_) return;
    orientation_ = tenths;
    Changed();
}

void TFont::SetPixelsPerInch(Integer ppi) {
    if (ppi <= 0 || ppi == pixelsPerInch_) return;
    pixelsPerInch_ = ppi;
}

QFont TFont::ToQFont() const {
    const QString family = SubstituteFontFamily(name_);
    QFont f = baseQFont(family);
    f.setBold(style_.Contains(fsBold));
    f.setItalic(style_.Contains(fsItalic));
    f.setUnderline(style_.Contains(fsUnderline));
    f.setStrikeOut(style_.Contains(fsStrikeOut));
    if (pitch_ == fpFixed) f.setFixedPitch(true);
    Integer em = -DefaultFontHeight * pixelsPerInch_ / 96;
    if (height_ < 0) em = -height_;
    else if (height_ > 0) em = emForCellHeight(family, f.bold(), height_);
    f.setPixelSize(std::max<Integer>(1, em));
    return f;
}

bool TFont::operator==(const TFont& other) const {
    return name_ == other.name_ && height_ == other.height_ && style_ == other.style_ &&
           color_ == other.color_ && charset_ == other.charset_ && pitch_ == other.pitch_ &&
           orientation_ == other.orientation_ && pixelsPerInch_ == other.pixelsPerInch_;
}

// ------------------------------------------------------------ pens

void TPen::Assign(TPersistent* Source) {
    auto* other = dynamic_cast<TPen*>(Source);
    if (!other) {
        TGraphicsObject::Assign(Source);
        return;
    }
    color_ = other->color_;
    width_ = other->width_;
    style_ = other->style_;
    mode_ = other->mode_;
    Changed();
}

void TPen::SetColor(TColor color) {
    if (color == color_) return;
    color_ = color;
    Changed();
}

void TPen::SetWidth(Integer width) {
    if (width < 0 || width == width_) return;
    width_ = width;
    Changed();
}

void TPen::SetStyle(TPenStyle style) {
    if (style == style_) return;
    style_ = style;
    Changed();
}

void TPen::SetMode(TPenMode mode) {
    if (mode == mode_) return;
    mode_ = mode;
    Changed();
}

// ------------------------------------------------------------ brushes

TBrush::TBrush() = default;
TBrush::~TBrush() = default;

void TBrush::Assign(TPersistent* Source) {
    auto* other = dynamic_cast<TBrush*>(Source);
    if (!other) {
        TGraphicsObject::Assign(Source);
        return;
    }
    color_ = other->color_;
    style_ = other->style_;
    if (other->bitmap_) {
        if (!bitmap_) bitmap_ = std::make_unique<TBitmap>();
        bitmap_->Assign(other->bitmap_.get());
    } else {
        bitmap_.reset();
    }
    Changed();
}

void TBrush::SetColor(TColor color) {
    if (color == color_ && style_ != bsClear) return;
    color_ = color;
    if (style_ == bsClear) style_ = bsSolid;
    Changed();
}

void TBrush::SetStyle(TBrushStyle style) {
    if (style == style_) return;
    style_ = style;
    Changed();
}

void TBrush::SetBitmap(TBitmap* bitmap) {
    if (bitmap && !bitmap->Empty()) {
        if (!bitmap_) bitmap_ = std::make_unique<TBitmap>();
        bitmap_->Assign(bitmap);
    } else {
        bitmap_.reset();
    }
    Changed();
}
