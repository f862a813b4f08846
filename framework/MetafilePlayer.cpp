// The player: metafile records drawn through a target canvas, the frame
// mapped onto the target rectangle. Every field is read only after the
// record is known to hold it; records the player does not know, or whose
// fields do not fit, are skipped by their size.
#include "MetafileInternal.h"

#include <QtCore/QHash>

#include <algorithm>
#include <cmath>
#include <optional>
#include <variant>

using namespace Emf;

namespace {

// Mapped coordinates beyond this are refused: the canvas works pixel by
// pixel, and a damaged file must not make it walk billions of them.
constexpr double CoordinateLimit = 65536;
// Font heights and pen widths are kept below these once scaled.
constexpr double FontLimit = 4096, PenLimit = 256;
// Larger pattern brushes are ignored.
constexpr Int64 MaxPatternPixels = 1024 * 1024;
// Handles beyond this are ignored.
constexpr Cardinal MaxHandle = 65536;

constexpr Cardinal BLACKNESS = 0x00000042, WHITENESS = 0x00FF0062;

struct PenSpec {
    Cardinal style = PS_SOLID;
    Integer width = 1;
    Cardinal color = 0;
};
struct BrushSpec {
    Cardinal style = BS_SOLID;
    Cardinal color = 0xFFFFFF;
    Cardinal hatch = 0;
    QImage pattern;  // BS_DIBPATTERNPT
};
struct FontSpec {
    Integer height = DefaultFontHeight;
    Integer escapement = 0;
    Integer weight = 400;
    bool italic = false, underline = false, strikeOut = false;
    Byte charset = DEFAULT_CHARSET;
    Byte pitch = 0;
    QString face = DefaultFontName;
};
using Object = std::variant<PenSpec, BrushSpec, FontSpec>;

// The values a SaveDC keeps besides what the canvas keeps itself.
struct State {
    PenSpec pen;
    BrushSpec brush;
    FontSpec font;
    Integer bkMode = OPAQUE;
    Cardinal bkColor = 0xFFFFFF;
    Cardinal textColor = 0;
    Cardinal textAlign = 0;
    Cardinal rop2 = 13;
};

// TPenMode of a raster operation (1..16).
TPenMode penMode(Cardinal rop2) {
    static constexpr TPenMode modes[16] = {pmBlack, pmNotMerge, pmMaskNotPen, pmNotCopy, pmMaskPenNot, pmNot,
                                           pmXor, pmNotMask, pmMask, pmNotXor, pmNop, pmMergeNotPen,
                                           pmCopy, pmMergePenNot, pmMerge, pmWhite};
    return rop2 >= 1 && rop2 <= 16 ? modes[rop2 - 1] : pmCopy;
}

class Player {
public:
    Player(QByteArrayView data, TCanvas& canvas, const TRect& r) : data_(data), c_(canvas) {
        const RecordView header(data);
        const TRect frame = header.Rect(OffFrame);
        double devX = header.I(OffDevice), devY = header.I(OffDevice + 4);
        double mmX = header.I(OffMillimeters), mmY = header.I(OffMillimeters + 4);
        if (devX <= 0 || mmX <= 0) { devX = DevicePixelsX; mmX = DeviceMillimetersX; }
        if (devY <= 0 || mmY <= 0) { devY = DevicePixelsY; mmY = DeviceMillimetersY; }
        // The frame in device pixels, its size rounded to whole pixels so
        // that a metafile drawn at its own size maps one to one.
        x0_ = frame.Left * devX / (mmX * 100);
        y0_ = frame.Top * devY / (mmY * 100);
        const double w = std::round((double(frame.Right) - frame.Left) * devX / (mmX * 100));
        const double h = std::round((double(frame.Bottom) - frame.Top) * devY / (mmY * 100));
        valid_ = w > 0 && h > 0 && !r.IsEmpty();
        // The target's size in doubles: a rectangle from -1 to 2147483647
        // is wider than an Integer holds.
        sx_ = valid_ ? (double(r.Right) - r.Left) / w : 1;
        sy_ = valid_ ? (double(r.Bottom) - r.Top) / h : 1;
        left_ = r.Left;
        top_ = r.Top;
    }

    void Run() {
        if (!valid_) return;
        const Integer outer = c_.SaveDC();
        base_ = outer;
        applyAll();
        Int64 offset = 0;
        while (offset + 8 <= data_.size()) {
            const Cardinal type = U32(data_.data() + offset);
            const Int64 length = U32(data_.data() + offset + 4);
            if (length < 8 || length > data_.size() - offset) break;
            if (type == EMR_EOF) break;
            play(type, RecordView(data_.sliced(offset, length)));
            offset += length;
        }
        c_.RestoreDC(outer);
    }

private:
    // ---- mapping
    std::optional<Integer> mapX(double x) const {
        const double v = std::floor(left_ + (x - x0_) * sx_ + 0.5);
        if (!(std::abs(v) <= CoordinateLimit)) return std::nullopt;
        return Integer(v);
    }
    std::optional<Integer> mapY(double y) const {
        const double v = std::floor(top_ + (y - y0_) * sy_ + 0.5);
        if (!(std::abs(v) <= CoordinateLimit)) return std::nullopt;
        return Integer(v);
    }
    std::optional<TPoint> map(TPoint p) const {
        auto x = mapX(p.X), y = mapY(p.Y);
        if (!x || !y) return std::nullopt;
        return TPoint(*x, *y);
    }
    // A rectangle given by its corner and size.
    std::optional<TRect> mapBox(Integer x, Integer y, Integer cx, Integer cy) const {
        auto a = mapX(x), b = mapY(y), c = mapX(double(x) + cx), d = mapY(double(y) + cy);
        if (!a || !b || !c || !d) return std::nullopt;
        return TRect(*a, *b, *c, *d);
    }
    std::optional<TRect> map(const TRect& r) const {
        auto a = map(r.TopLeft()), b = map(TPoint(r.Right, r.Bottom));
        if (!a || !b) return std::nullopt;
        return TRect(a->X, a->Y, b->X, b->Y);
    }
    // A size (pen width, font height, corner) scaled; a non-zero size stays
    // at least one pixel.
    static Integer scaled(Integer v, double s, double limit = CoordinateLimit) {
        const double m = std::clamp(std::round(v * s), -limit, limit);
        if (m == 0 && v != 0) return v < 0 ? -1 : 1;
        return Integer(m);
    }

    // ---- state applied to the canvas
    void applyPen() {
        TPen* pen = c_.Pen();
        const Cardinal style = state_.pen.style & PS_STYLE_MASK;
        pen->SetStyle(style <= PS_INSIDEFRAME ? TPenStyle(style) : psSolid);
        pen->SetWidth(scaled(std::max(0, state_.pen.width), sx_, PenLimit));
        pen->SetColor(TColor(state_.pen.color));
        pen->SetMode(penMode(state_.rop2));
    }
    void applyBrush() {
        TBrush* brush = c_.Brush();
        brush->SetColor(TColor(state_.brush.color));
        if (state_.brush.pattern.isNull()) {
            brush->SetBitmap(nullptr);
        } else {
            TBitmap pattern;
            pattern.SetImage(state_.brush.pattern);
            brush->SetBitmap(&pattern);
        }
        if (state_.brush.style == BS_NULL) brush->SetStyle(bsClear);
        else if (state_.brush.style == BS_HATCHED && state_.brush.hatch <= 5)
            brush->SetStyle(TBrushStyle(bsHorizontal + state_.brush.hatch));
        else brush->SetStyle(bsSolid);
    }
    void applyFont() {
        const FontSpec& f = state_.font;
        TFont* font = c_.Font();
        font->SetName(f.face);
        font->SetHeight(scaled(f.height == 0 ? DefaultFontHeight : f.height, sy_, FontLimit));
        TFontStyles style;
        if (f.weight >= 600) style << fsBold;
        if (f.italic) style << fsItalic;
        if (f.underline) style << fsUnderline;
        if (f.strikeOut) style << fsStrikeOut;
        font->SetStyle(style);
        font->SetCharset(f.charset);
        font->SetPitch(f.pitch == 1 ? fpFixed : f.pitch == 2 ? fpVariable : fpDefault);
        font->SetOrientation(f.escapement);
        font->SetColor(TColor(state_.textColor));
    }
    void applyAll() {
        applyPen();
        applyBrush();
        applyFont();
    }
    // Selecting objects changes the canvas's background and text colour:
    // the recorded values go back on before every drawing call.
    void prepare() {
        c_.SetBkMode(state_.bkMode);
        c_.SetBkColor(TColor(state_.bkColor));
        c_.SetTextColor(TColor(state_.textColor));
        c_.SetTextAlign(state_.textAlign);
    }

    // ---- records
    void play(Cardinal type, const RecordView& rec);
    void figure(Cardinal type, const RecordView& rec);
    void points(Cardinal type, const RecordView& rec);
    void text(Cardinal type, const RecordView& rec);
    void bitBlt(const RecordView& rec);
    void stretchDib(const RecordView& rec);
    void clipRegion(const RecordView& rec);
    void select(Cardinal handle);
    void stockObject(Cardinal index);
    void create(Cardinal type, const RecordView& rec);
    void restore(Integer relative);
    void image(const TRect& dest, QImage source, Integer xSrc, Integer ySrc, Integer cxSrc, Integer cySrc,
               bool bottomUp);

    QByteArrayView data_;
    TCanvas& c_;
    bool valid_ = false;
    double x0_ = 0, y0_ = 0, sx_ = 1, sy_ = 1;
    Integer left_ = 0, top_ = 0;
    Integer base_ = 0;
    State state_;
    std::vector<State> saved_;
    QHash<Cardinal, Object> objects_;
};

void Player::play(Cardinal type, const RecordView& rec) {
    switch (type) {
        case EMR_SETBKMODE:
            if (rec.Has(8, 4) && (rec.I(8) == OPAQUE || rec.I(8) == TRANSPARENT)) state_.bkMode = rec.I(8);
            return;
        case EMR_SETBKCOLOR:
            if (rec.Has(8, 4)) state_.bkColor = rec.U(8) & 0xFFFFFF;
            return;
        case EMR_SETTEXTCOLOR:
            if (rec.Has(8, 4)) state_.textColor = rec.U(8) & 0xFFFFFF;
            return;
        case EMR_SETTEXTALIGN:
            if (rec.Has(8, 4)) state_.textAlign = rec.U(8) & (TA_UPDATECP | TA_CENTER | TA_BASELINE | TA_RTLREADING);
            return;
        case EMR_SETROP2:
            if (rec.Has(8, 4)) {
                state_.rop2 = rec.U(8);
                c_.Pen()->SetMode(penMode(state_.rop2));
            }
            return;
        case EMR_MOVETOEX:
            if (rec.Has(8, 8))
                if (auto p = map(rec.Point(8))) c_.MoveTo(p->X, p->Y);
            return;
        case EMR_LINETO:
            if (rec.Has(8, 8))
                if (auto p = map(rec.Point(8))) {
                    prepare();
                    c_.LineTo(p->X, p->Y);
                }
            return;
        case EMR_RECTANGLE: case EMR_ELLIPSE: case EMR_ROUNDRECT: case EMR_PIE: case EMR_CHORD:
            figure(type, rec);
            return;
        case EMR_POLYLINE: case EMR_POLYGON: case 86: case 87:  // and the 16-bit forms
            points(type, rec);
            return;
        case EMR_SETBRUSHORGEX:
            if (rec.Has(8, 8))
                if (auto p = map(rec.Point(8))) c_.SetBrushOrigin(*p);
            return;
        case EMR_SETPIXELV:
            if (rec.Has(8, 12))
                if (auto p = map(rec.Point(8))) c_.SetPixel(p->X, p->Y, TColor(rec.U(16) & 0xFFFFFF));
            return;
        case EMR_EXTTEXTOUTW: case EMR_EXTTEXTOUTA: text(type, rec); return;
        case EMR_BITBLT: bitBlt(rec); return;
        case EMR_STRETCHDIBITS: stretchDib(rec); return;
        case EMR_EXTSELECTCLIPRGN: clipRegion(rec); return;
        case EMR_INTERSECTCLIPRECT: case EMR_EXCLUDECLIPRECT:
            if (rec.Has(8, 16))
                if (auto r = map(rec.Rect(8))) {
                    if (type == EMR_INTERSECTCLIPRECT) c_.IntersectClipRect(*r);
                    else c_.ExcludeClipRect(*r);
                }
            return;
        case EMR_SAVEDC:
            saved_.push_back(state_);
            c_.SaveDC();
            return;
        case EMR_RESTOREDC:
            if (rec.Has(8, 4)) restore(rec.I(8));
            return;
        case EMR_SELECTOBJECT:
            if (rec.Has(8, 4)) select(rec.U(8));
            return;
        case EMR_DELETEOBJECT:
            if (rec.Has(8, 4)) objects_.remove(rec.U(8));
            return;
        case EMR_CREATEPEN: case EMR_CREATEBRUSHINDIRECT: case EMR_EXTCREATEFONTINDIRECTW: case 95:
        case EMR_CREATEDIBPATTERNBRUSHPT:
            create(type, rec);
            return;
        default:
            return;
    }
}

void Player::figure(Cardinal type, const RecordView& rec) {
    const Int64 need = type == EMR_ROUNDRECT ? 32 : (type == EMR_PIE || type == EMR_CHORD) ? 40 : 24;
    if (!rec.Has(0, need)) return;
    auto box = map(rec.Rect(8));
    if (!box) return;
    prepare();
    switch (type) {
        case EMR_RECTANGLE: c_.Rectangle(box->Left, box->Top, box->Right, box->Bottom); return;
        case EMR_ELLIPSE: c_.Ellipse(box->Left, box->Top, box->Right, box->Bottom); return;
        case EMR_ROUNDRECT:
            c_.RoundRect(box->Left, box->Top, box->Right, box->Bottom, scaled(rec.I(24), sx_), scaled(rec.I(28), sy_));
            return;
        default: {
            auto a = map(rec.Point(24)), b = map(rec.Point(32));
            if (!a || !b) return;
            if (type == EMR_PIE) c_.Pie(box->Left, box->Top, box->Right, box->Bottom, a->X, a->Y, b->X, b->Y);
            else c_.Chord(box->Left, box->Top, box->Right, box->Bottom, a->X, a->Y, b->X, b->Y);
        }
    }
}

// Polylines and polygons, with 32-bit points or (types 86, 87) 16-bit ones.
void Player::points(Cardinal type, const RecordView& rec) {
    if (!rec.Has(0, 28)) return;
    const bool small = type == 86 || type == 87;
    const Int64 count = rec.U(24), each = small ? 4 : 8;
    if (!rec.Has(28, count * each)) return;
    std::vector<TPoint> pts;
    pts.reserve(size_t(count));
    for (Int64 i = 0; i < count; ++i) {
        const Int64 at = 28 + i * each;
        const TPoint raw = small ? TPoint(qint16(rec.W(at)), qint16(rec.W(at + 2))) : rec.Point(at);
        auto p = map(raw);
        if (!p) return;
        pts.push_back(*p);
    }
    prepare();
    if (type == EMR_POLYGON || type == 86) c_.Polygon(pts);
    else c_.Polyline(pts);
}

namespace {

constexpr Cardinal ETO_GLYPH_INDEX = 0x10;

// The characters of a text record with the recorded advance of each UTF-16
// unit (empty when the record has none). 8-bit text is in the ANSI code
// page: a double-byte character takes the advances of both its bytes.
bool readText(const RecordView& rec, bool wide, QString& text, std::vector<double>& dx) {
    const Int64 count = rec.U(44), stringAt = rec.U(48), dxAt = rec.U(72);
    if (!rec.Has(stringAt, count * (wide ? 2 : 1))) return false;
    const bool hasDx = dxAt != 0 && rec.Has(dxAt, count * 4);
    if (wide) {
        text.resize(qsizetype(count));
        for (Int64 i = 0; i < count; ++i) {
            text[qsizetype(i)] = QChar(rec.W(stringAt + i * 2));
            if (hasDx) dx.push_back(rec.I(dxAt + i * 4));
        }
        return true;
    }
    for (Int64 i = 0; i < count;) {
        const Int64 length = IsDBCSLeadByte(rec.B(stringAt + i)) && i + 1 < count ? 2 : 1;
        const QString ch = AnsiToWide(AnsiString(rec.Data(stringAt + i), qsizetype(length)));
        text += ch;
        if (hasDx) {
            double advance = 0;
            for (Int64 b = 0; b < length; ++b) advance += rec.I(dxAt + (i + b) * 4);
            dx.push_back(advance);
            dx.insert(dx.end(), size_t(ch.size() - 1), 0.0);
        }
        i += length;
    }
    return true;
}

}  // namespace

// Glyphs at their recorded advances, scaled; the advances are summed from
// the start so that rounding does not drift. Glyph numbers of another
// system's fonts cannot be drawn and are left out.
void Player::text(Cardinal type, const RecordView& rec) {
    if (!rec.Has(0, ExtTextOutSize)) return;
    const Cardinal options = rec.U(52);
    if (options & ETO_GLYPH_INDEX) return;
    auto at = map(rec.Point(36));
    if (!at) return;
    std::optional<TRect> clip;
    if (options & (ETO_OPAQUE | ETO_CLIPPED)) {
        clip = map(rec.Rect(56));
        if (!clip) return;
    }
    QString text;
    std::vector<double> advances;
    if (!readText(rec, type == EMR_EXTTEXTOUTW, text, advances)) return;
    std::vector<Integer> dx(advances.size());
    double sum = 0;
    Integer placed = 0;
    for (size_t i = 0; i < advances.size(); ++i) {
        sum += advances[i];
        const double end = std::floor(sum * sx_ + 0.5);
        if (!(std::abs(end) <= CoordinateLimit)) return;
        dx[i] = Integer(end) - placed;
        placed = Integer(end);
    }
    prepare();
    c_.ExtTextOut(at->X, at->Y, options & (ETO_OPAQUE | ETO_CLIPPED | ETO_RTLREADING), clip ? &*clip : nullptr,
                  text, dx.empty() ? nullptr : dx.data());
}

// Block transfers: pattern fills with the selected brush, black and white
// fills, and bitmap copies.
void Player::bitBlt(const RecordView& rec) {
    if (!rec.Has(0, 100)) return;
    auto dest = mapBox(rec.I(24), rec.I(28), rec.I(32), rec.I(36));
    if (!dest) return;
    const Cardinal rop = rec.U(40);
    const Int64 infoAt = rec.U(84), infoSize = rec.U(88), bitsAt = rec.U(92), bitsSize = rec.U(96);
    prepare();
    if (infoSize == 0 || rop == PATCOPY || rop == BLACKNESS || rop == WHITENESS) {
        if (rop == PATCOPY) {
            c_.FillRect(*dest);
        } else if (rop == BLACKNESS || rop == WHITENESS) {
            TBrush fill;
            fill.SetColor(rop == BLACKNESS ? clBlack : clWhite);
            c_.FillRegion(TRegion{QRegion(dest->Left, dest->Top, dest->Width(), dest->Height())}, &fill);
        }
        return;
    }
    if (rop != SRCCOPY || !rec.Has(infoAt, infoSize) || !rec.Has(bitsAt, bitsSize)) return;
    const QByteArrayView info(rec.Data(infoAt), infoSize), bits(rec.Data(bitsAt), bitsSize);
    const Integer cx = std::abs(rec.I(32)), cy = std::abs(rec.I(36));
    image(*dest, DecodeDib(info, bits, rec.U(80)), rec.I(44), rec.I(48), cx, cy, false);
}

void Player::stretchDib(const RecordView& rec) {
    if (!rec.Has(0, 80)) return;
    const Int64 infoAt = rec.U(48), infoSize = rec.U(52), bitsAt = rec.U(56), bitsSize = rec.U(60);
    if (!rec.Has(infoAt, infoSize) || !rec.Has(bitsAt, bitsSize) || rec.U(68) != SRCCOPY) return;
    auto dest = mapBox(rec.I(24), rec.I(28), rec.I(72), rec.I(76));
    if (!dest) return;
    const QByteArrayView info(rec.Data(infoAt), infoSize), bits(rec.Data(bitsAt), bitsSize);
    const bool bottomUp = info.size() >= 12 && I32(info.data() + 8) > 0;
    prepare();
    image(*dest, DecodeDib(info, bits, rec.U(64)), rec.I(32), rec.I(36), rec.I(40), rec.I(44), bottomUp);
}

// The source rectangle of a bottom-up bitmap counts from its last row.
void Player::image(const TRect& dest, QImage source, Integer xSrc, Integer ySrc, Integer cxSrc, Integer cySrc,
                   bool bottomUp) {
    if (source.isNull()) return;
    TRect box = dest;
    if (box.Right < box.Left) {
        std::swap(box.Left, box.Right);
        source = source.mirrored(true, false);
    }
    if (box.Bottom < box.Top) {
        std::swap(box.Top, box.Bottom);
        source = source.mirrored(false, true);
    }
    const Int64 top = bottomUp ? Int64(source.height()) - ySrc - cySrc : ySrc;
    if (cxSrc <= 0 || cySrc <= 0 || xSrc < 0 || top < 0 || Int64(xSrc) + cxSrc > source.width() ||
        top + cySrc > source.height())
        return;
    c_.StretchImage(box, source, TRect(xSrc, Integer(top), xSrc + cxSrc, Integer(top) + cySrc));
}

void Player::clipRegion(const RecordView& rec) {
    if (!rec.Has(0, 16)) return;
    const Int64 size = rec.U(8);
    const Integer mode = rec.I(12);
    if (size == 0) {
        if (mode == RGN_COPY) c_.SelectClipRegion(nullptr);
        return;
    }
    if (!rec.Has(16, size) || size < 32) return;
    const Int64 headerSize = rec.U(16), count = rec.U(24);
    if (headerSize < 32 || !rec.Has(16 + headerSize, count * 16) || headerSize + count * 16 > size) return;
    QRegion area;
    for (Int64 i = 0; i < count; ++i) {
        auto r = map(rec.Rect(16 + headerSize + i * 16));
        if (!r) return;
        if (!r->IsEmpty()) area += QRect(r->Left, r->Top, r->Width(), r->Height());
    }
    if (mode == RGN_COPY) {
        const TRegion region{area};
        c_.SelectClipRegion(&region);
    } else if (count == 1 && mode == RGN_AND) {
        auto r = map(rec.Rect(16 + headerSize));
        c_.IntersectClipRect(*r);
    } else if (count == 1 && mode == RGN_DIFF) {
        auto r = map(rec.Rect(16 + headerSize));
        c_.ExcludeClipRect(*r);
    }
}

void Player::create(Cardinal type, const RecordView& rec) {
    if (!rec.Has(8, 4) || rec.U(8) >= MaxHandle) return;
    const Cardinal handle = rec.U(8);
    if (type == EMR_CREATEPEN && rec.Has(0, 28)) {
        objects_.insert(handle, PenSpec{rec.U(12), rec.I(16), rec.U(24) & 0xFFFFFF});
    } else if (type == 95 && rec.Has(0, 44)) {  // extended pen
        objects_.insert(handle, PenSpec{rec.U(28), rec.I(32), rec.U(40) & 0xFFFFFF});
    } else if (type == EMR_CREATEBRUSHINDIRECT && rec.Has(0, 24)) {
        objects_.insert(handle, BrushSpec{rec.U(12), rec.U(16) & 0xFFFFFF, rec.U(20), QImage()});
    } else if (type == EMR_CREATEDIBPATTERNBRUSHPT && rec.Has(0, 32)) {
        const Int64 infoAt = rec.U(16), infoSize = rec.U(20), bitsAt = rec.U(24), bitsSize = rec.U(28);
        if (!rec.Has(infoAt, infoSize) || !rec.Has(bitsAt, bitsSize)) return;
        QImage pattern = DecodeDib(QByteArrayView(rec.Data(infoAt), infoSize),
                                   QByteArrayView(rec.Data(bitsAt), bitsSize), rec.U(12));
        if (!pattern.isNull() && Int64(pattern.width()) * pattern.height() <= MaxPatternPixels)
            objects_.insert(handle, BrushSpec{BS_DIBPATTERNPT, 0, 0, pattern});
    } else if (type == EMR_EXTCREATEFONTINDIRECTW && rec.Has(0, 12 + LogFontSize)) {
        FontSpec f;
        f.height = rec.I(12);
        f.escapement = rec.I(20) % 3600;
        f.weight = rec.I(28);
        f.italic = rec.B(32) != 0;
        f.underline = rec.B(33) != 0;
        f.strikeOut = rec.B(34) != 0;
        f.charset = rec.B(35);
        f.pitch = rec.B(39) & 3;
        QString face;
        for (Int64 at = 40; at < 40 + 64 && rec.W(at) != 0; at += 2) face.append(QChar(rec.W(at)));
        if (!face.isEmpty()) f.face = face;
        objects_.insert(handle, f);
    }
}

void Player::select(Cardinal handle) {
    if (handle & StockObject) {
        stockObject(handle & ~StockObject);
        return;
    }
    auto it = objects_.constFind(handle);
    if (it == objects_.constEnd()) return;
    if (auto* pen = std::get_if<PenSpec>(&*it)) {
        state_.pen = *pen;
        applyPen();
    } else if (auto* brush = std::get_if<BrushSpec>(&*it)) {
        state_.brush = *brush;
        applyBrush();
    } else {
        state_.font = std::get<FontSpec>(*it);
        applyFont();
    }
}

// Stock brushes 0-5, pens 6-8, fonts 10-17.
void Player::stockObject(Cardinal index) {
    static constexpr Cardinal greys[5] = {0xFFFFFF, 0xC0C0C0, 0x808080, 0x404040, 0x000000};
    if (index <= 4) {
        state_.brush = BrushSpec{BS_SOLID, greys[index], 0, QImage()};
        applyBrush();
    } else if (index == 5) {
        state_.brush = BrushSpec{BS_NULL, 0, 0, QImage()};
        applyBrush();
    } else if (index <= 8) {
        state_.pen = PenSpec{index == 8 ? PS_NULL : PS_SOLID, 0, index == 6 ? 0xFFFFFFu : 0u};
        applyPen();
    } else if (index >= 10 && index <= 17) {
        state_.font = FontSpec();
        applyFont();
    }
}

// Relative levels only (-1 is the last save), as the format has them.
void Player::restore(Integer relative) {
    const Int64 target = Int64(saved_.size()) + relative;
    if (relative >= 0 || target < 0) return;
    state_ = saved_[size_t(target)];
    saved_.resize(size_t(target));
    c_.RestoreDC(base_ + Integer(target) + 1);
}

}  // namespace

void Emf::Play(QByteArrayView data, TCanvas* canvas, const TRect& r) {
    if (canvas) Player(data, *canvas, r).Run();
}
