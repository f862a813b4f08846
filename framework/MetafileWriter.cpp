// TMetafileCanvas: drawing calls become metafile records. Pens, brushes and
// fonts become objects, created once and selected before the call that
// uses them; the device-context values (background, text colour and
// alignment, raster operation, current position) are written when they
// differ from what the records last set.
#include "GraphicsInternal.h"
#include "MetafileInternal.h"

#include <QtCore/QtEndian>

#include <algorithm>
#include <array>
#include <memory>
#include <numeric>
#include <optional>
#include <tuple>

using namespace Emf;

namespace {

enum ObjectKind { PenObject, BrushObject, FontObject, ObjectKinds };

// Objects kept alive before the least recently used is deleted.
constexpr size_t MaxObjects = 48;

// Raster operations of the pen modes, in TPenMode order.
constexpr std::array<Cardinal, 16> kRop2 = {1, 16, 11, 6, 13, 4, 14, 5, 12, 3, 15, 2, 9, 8, 7, 10};
constexpr Cardinal R2_COPYPEN = 13;

// Record bytes, written in place: the buffer doubles when full, so that
// adding a field seldom costs more than copying it.
class Bytes {
public:
    // Room for n more bytes at the end.
    char* Grow(size_t n) {
        if (size_ + n > capacity_) enlarge(n);
        char* at = buf_.get() + size_;
        size_ += n;
        return at;
    }
    char* At(size_t offset) { return buf_.get() + offset; }
    const char* Data() const { return buf_.get(); }
    size_t Size() const { return size_; }

private:
    Q_NEVER_INLINE void enlarge(size_t n) {
        capacity_ = std::max({capacity_ * 2, size_ + n, size_t(4096)});
        auto larger = std::make_unique_for_overwrite<char[]>(capacity_);
        if (size_ > 0) std::memcpy(larger.get(), buf_.get(), size_);
        buf_ = std::move(larger);
    }
    std::unique_ptr<char[]> buf_;
    size_t size_ = 0, capacity_ = 0;
};

// A record written at the end of out; Done sets its size.
class Record {
public:
    Record(Bytes& out, Cardinal type) : out_(out), start_(out.Size()) { U(type).U(0); }
    Record& U(Cardinal v) {
        qToLittleEndian(v, out_.Grow(4));
        return *this;
    }
    Record& I(Integer v) { return U(Cardinal(v)); }
    Record& F(float v) {
        Cardinal bits;
        std::memcpy(&bits, &v, 4);
        return U(bits);
    }
    Record& Rect(const TRect& r) { return I(r.Left).I(r.Top).I(r.Right).I(r.Bottom); }
    Record& Point(TPoint p) { return I(p.X).I(p.Y); }
    Record& Raw(QByteArrayView bytes) {
        if (!bytes.isEmpty()) std::memcpy(out_.Grow(size_t(bytes.size())), bytes.data(), size_t(bytes.size()));
        pad();
        return *this;
    }
    // UTF-16 little-endian, padded to a word.
    Record& Text(const QString& text) {
        qToLittleEndian<quint16>(text.utf16(), text.size(), out_.Grow(size_t(text.size()) * 2));
        pad();
        return *this;
    }
    void Done() { qToLittleEndian(Cardinal(out_.Size() - start_), out_.At(start_ + 4)); }

private:
    void pad() {
        const size_t extra = (4 - out_.Size() % 4) % 4;
        std::memset(out_.Grow(extra), 0, extra);
    }
    Bytes& out_;
    size_t start_;
};

// Inclusive bounds, as records keep them.
TRect inclusive(const TRect& r) {
    return TRect(r.Left, r.Top, r.Right - 1, r.Bottom - 1);
}

QByteArray utf16(const QString& text) {
    QByteArray out(text.size() * 2, Qt::Uninitialized);
    qToLittleEndian<quint16>(text.utf16(), text.size(), out.data());
    return out;
}

QByteArray keyOf(std::initializer_list<Cardinal> values) {
    QByteArray key(qsizetype(values.size()) * 4, Qt::Uninitialized);
    char* at = key.data();
    for (Cardinal v : values) {
        qToLittleEndian(v, at);
        at += 4;
    }
    return key;
}

// The key last made for an object and the values it was made from: drawing
// again with an unchanged pen, brush or font makes no new key.
template <class... From> class KeyCache {
public:
    template <class Make> const QByteArray& Get(const std::tuple<From...>& from, Make make) {
        if (!from_ || *from_ != from) {
            key_ = make();
            from_ = from;
        }
        return key_;
    }

private:
    std::optional<std::tuple<From...>> from_;
    QByteArray key_;
};

// What the keys of the pen, the solid or hatched brush and the font are made
// of (colours as written: a system colour may change).
using PenKeys = KeyCache<TPenStyle, Integer, Cardinal>;
using BrushKeys = KeyCache<TBrushStyle, Cardinal>;
using FontKeys = KeyCache<QString, Integer, Integer, TFontStyles, TFontCharset, TFontPitch>;

}  // namespace

// What the records have set, and the objects they made.
class MetafileRecorder {
public:
    struct Selection {
        std::array<QByteArray, ObjectKinds> key;  // empty: a stock object or none yet
        std::array<Cardinal, ObjectKinds> handle{0, 0, 0};
        Integer bkMode = OPAQUE;
        Cardinal bkColor = 0xFFFFFF;
        Cardinal textColor = 0;
        Cardinal textAlign = 0;
        Cardinal rop2 = R2_COPYPEN;
        std::optional<TPoint> position = TPoint();
        TPoint brushOrigin;
    };

    // A new record at the end of the stream.
    Record Begin(Cardinal type) {
        ++count_;
        return Record(records_, type);
    }
    void AddBounds(const TRect& r) {
        if (r.IsEmpty()) return;
        if (bounds_.IsEmpty()) bounds_ = r;
        else bounds_ = TRect(std::min(bounds_.Left, r.Left), std::min(bounds_.Top, r.Top),
                             std::max(bounds_.Right, r.Right), std::max(bounds_.Bottom, r.Bottom));
    }
    const TRect& Bounds() const { return bounds_; }

    // Selects the object whose creation record body is key (a new one when
    // no live object has it).
    void Select(ObjectKind kind, const QByteArray& key, Cardinal createType) {
        if (now_.key[kind] == key && now_.handle[kind] != 0) return;
        Cardinal handle = find(key);
        if (handle == 0) {
            handle = allocate();
            Begin(createType).U(handle).Raw(key).Done();
            slots_[handle - 1].key = key;
        }
        slots_[handle - 1].used = ++clock_;
        selectHandle(kind, handle, key);
    }
    void SelectStock(ObjectKind kind, Cardinal stock) {
        if (now_.handle[kind] == stock) return;
        selectHandle(kind, stock, QByteArray());
    }

    Selection& Now() { return now_; }
    void Save() { saved_.push_back(now_); }
    Integer SavedCount() const { return Integer(saved_.size()); }
    void RestoreTo(Integer count) {
        now_ = saved_[size_t(count)];
        saved_.resize(size_t(count));
    }

    // The complete metafile: header, records, end record.
    QByteArray Finish(const TRect& frame) const;

    PenKeys penKeys;
    BrushKeys brushKeys;
    FontKeys fontKeys;

private:
    struct Slot {
        QByteArray key;
        quint64 used = 0;
    };

    void selectHandle(ObjectKind kind, Cardinal handle, const QByteArray& key) {
        Begin(EMR_SELECTOBJECT).U(handle).Done();
        now_.handle[kind] = handle;
        now_.key[kind] = key;
    }
    Cardinal find(const QByteArray& key) const {
        for (size_t i = 0; i < slots_.size(); ++i)
            if (slots_[i].key == key) return Cardinal(i + 1);
        return 0;
    }
    bool pinned(Cardinal handle) const {
        auto holds = [handle](const Selection& s) {
            return std::find(s.handle.begin(), s.handle.end(), handle) != s.handle.end();
        };
        return holds(now_) || std::any_of(saved_.begin(), saved_.end(), holds);
    }
    // A free handle: a new one, or the least recently used object that no
    // selection holds, deleted first.
    Cardinal allocate() {
        Cardinal victim = 0;
        if (slots_.size() >= MaxObjects)
            for (size_t i = 0; i < slots_.size(); ++i)
                if (!pinned(Cardinal(i + 1)) && (victim == 0 || slots_[i].used < slots_[victim - 1].used))
                    victim = Cardinal(i + 1);
        if (victim == 0) {
            slots_.push_back({});
            return Cardinal(slots_.size());
        }
        Begin(EMR_DELETEOBJECT).U(victim).Done();
        slots_[victim - 1] = {};
        return victim;
    }

    Bytes records_;
    Cardinal count_ = 0;
    TRect bounds_;
    std::vector<Slot> slots_;
    quint64 clock_ = 0;
    Selection now_;
    std::vector<Selection> saved_;
};

QByteArray MetafileRecorder::Finish(const TRect& frame) const {
    const TRect bounds = bounds_.IsEmpty() ? TRect(0, 0, -1, -1) : inclusive(bounds_);
    const Cardinal total = Cardinal(HeaderSize + records_.Size() + 20);
    Bytes head, tail;
    Record header(head, EMR_HEADER);
    header.Rect(bounds).Rect(frame).U(Signature).U(Version).U(total).U(count_ + 2);
    header.U(Cardinal(slots_.size() + 1));  // handles, then the reserved half
    header.U(0).U(0).U(0);                  // description, palette
    header.I(DevicePixelsX).I(DevicePixelsY).I(DeviceMillimetersX).I(DeviceMillimetersY);
    header.U(0).U(0).U(0);  // pixel format, OpenGL
    header.I(DeviceMillimetersX * 1000).I(DeviceMillimetersY * 1000);
    header.Done();
    Record(tail, EMR_EOF).U(0).U(16).U(20).Done();
    QByteArray out;
    out.reserve(total);
    const Bytes* parts[] = {&head, &records_, &tail};
    for (const Bytes* part : parts) out.append(part->Data(), qsizetype(part->Size()));
    return out;
}

// ------------------------------------------------------------ canvas

namespace {

const QByteArray& penKey(PenKeys& keys, const TPen& pen) {
    return keys.Get({pen.Style(), pen.Width(), ColorRef(pen.Color())}, [&pen] {
        return keyOf({Cardinal(pen.Style()), Cardinal(std::max(0, pen.Width())), 0u, ColorRef(pen.Color())});
    });
}

// A pattern brush: the bitmap follows the fields that locate it.
QByteArray patternKey(const TBitmap& pattern) {
    QByteArray bits;
    const QByteArray info = EncodeDib(pattern.Image(), bits);
    const Cardinal infoAt = 32, bitsAt = infoAt + Cardinal(info.size());
    QByteArray key = keyOf({0u, infoAt, Cardinal(info.size()), bitsAt, Cardinal(bits.size())});
    key.append(info);
    key.append(bits);
    return key;
}

const QByteArray& brushKey(BrushKeys& keys, const TBrush& brush) {
    return keys.Get({brush.Style(), ColorRef(brush.Color())}, [&brush] {
        const bool hatched = brush.Style() >= bsHorizontal;
        return keyOf({hatched ? BS_HATCHED : BS_SOLID, ColorRef(brush.Color()),
                      hatched ? Cardinal(brush.Style() - bsHorizontal) : 0u});
    });
}

QByteArray newFontKey(const TFont& font) {
    const TFontStyles style = font.Style();
    QByteArray key = keyOf({Cardinal(font.Height()), 0u, Cardinal(font.Orientation()), Cardinal(font.Orientation()),
                            style.Contains(fsBold) ? 700u : 400u});
    key.append(char(style.Contains(fsItalic)));
    key.append(char(style.Contains(fsUnderline)));
    key.append(char(style.Contains(fsStrikeOut)));
    key.append(char(font.Charset()));
    key.append(3, '\0');  // output and clip precision, quality
    key.append(char(font.Pitch() == fpFixed ? 1 : font.Pitch() == fpVariable ? 2 : 0));
    key.append(utf16(font.Name().left(31)));
    key.resize(LogFontPanoseSize, '\0');
    return key;
}

const QByteArray& fontKey(FontKeys& keys, const TFont& font) {
    return keys.Get({font.Name(), font.Height(), font.Orientation(), font.Style(), font.Charset(), font.Pitch()},
                    [&font] { return newFontKey(font); });
}

// Device units of the reference device for 0.01 mm, and back.
Integer toHundredthsX(Integer px) { return MulDiv(px, DeviceMillimetersX * 100, DevicePixelsX); }
Integer toHundredthsY(Integer px) { return MulDiv(px, DeviceMillimetersY * 100, DevicePixelsY); }

}  // namespace

TMetafileCanvas::TMetafileCanvas(TMetafile* metafile, HDC)
    : metafile_(metafile), rec_(std::make_unique<MetafileRecorder>()) {}

// Completing the metafile: a metafile without a size takes the drawing's.
TMetafileCanvas::~TMetafileCanvas() {
    if (!metafile_) return;
    TRect frame(0, 0, metafile_->MMWidth(), metafile_->MMHeight());
    if (frame.IsEmpty() && !rec_->Bounds().IsEmpty()) {
        const TRect& b = rec_->Bounds();
        frame = TRect(toHundredthsX(b.Left), toHundredthsY(b.Top), toHundredthsX(b.Right), toHundredthsY(b.Bottom));
    }
    metafile_->takeRecorded(rec_->Finish(frame));
}

TRect TMetafileCanvas::ClipRect() const {
    if (metafile_ && metafile_->Width() > 0 && metafile_->Height() > 0)
        return TRect(0, 0, metafile_->Width(), metafile_->Height());
    return TRect(0, 0, DevicePixelsX, DevicePixelsY);
}

namespace {

// Writes what the next drawing record relies on: the objects first (the
// player's canvas changes its background when a brush is selected), then
// the device-context values.
class Sync {
public:
    Sync(MetafileRecorder& rec, TCanvas& canvas) : rec_(rec), c_(canvas) {}
    Sync& Pen() {
        if (c_.Pen()->Style() == psClear) rec_.SelectStock(PenObject, NullPen);
        else rec_.Select(PenObject, penKey(rec_.penKeys, *c_.Pen()), EMR_CREATEPEN);
        value(rec_.Now().rop2, kRop2[size_t(c_.Pen()->Mode())], EMR_SETROP2);
        return *this;
    }
    Sync& Brush(TBrush* brush) {
        if (brush->Style() == bsClear) {
            rec_.SelectStock(BrushObject, NullBrush);
        } else if (brush->Bitmap() && !brush->Bitmap()->Empty()) {
            rec_.Select(BrushObject, patternKey(*brush->Bitmap()), EMR_CREATEDIBPATTERNBRUSHPT);
            auto& origin = rec_.Now().brushOrigin;
            if (origin != c_.BrushOrigin()) {
                origin = c_.BrushOrigin();
                rec_.Begin(EMR_SETBRUSHORGEX).Point(origin).Done();
            }
        } else {
            rec_.Select(BrushObject, brushKey(rec_.brushKeys, *brush), EMR_CREATEBRUSHINDIRECT);
        }
        return *this;
    }
    Sync& Font() {
        rec_.Select(FontObject, fontKey(rec_.fontKeys, *c_.Font()), EMR_EXTCREATEFONTINDIRECTW);
        return *this;
    }
    Sync& Position() {
        auto& pos = rec_.Now().position;
        if (!pos || *pos != c_.PenPos()) {
            rec_.Begin(EMR_MOVETOEX).Point(c_.PenPos()).Done();
            pos = c_.PenPos();
        }
        return *this;
    }
    // Background, text colour and alignment.
    void Context() {
        auto& now = rec_.Now();
        if (now.bkMode != c_.BkMode()) {
            now.bkMode = c_.BkMode();
            rec_.Begin(EMR_SETBKMODE).I(now.bkMode).Done();
        }
        value(now.bkColor, ColorRef(c_.BkColor()), EMR_SETBKCOLOR);
        value(now.textColor, ColorRef(c_.TextColor()), EMR_SETTEXTCOLOR);
        value(now.textAlign, c_.TextAlign(), EMR_SETTEXTALIGN);
    }

private:
    void value(Cardinal& held, Cardinal wanted, Cardinal type) {
        if (held == wanted) return;
        held = wanted;
        rec_.Begin(type).U(wanted).Done();
    }
    MetafileRecorder& rec_;
    TCanvas& c_;
};

TRect pointsBox(const std::vector<TPoint>& points) {
    TRect box(points.front().X, points.front().Y, points.front().X + 1, points.front().Y + 1);
    for (const TPoint& p : points)
        box = TRect(std::min(box.Left, p.X), std::min(box.Top, p.Y), std::max(box.Right, p.X + 1),
                    std::max(box.Bottom, p.Y + 1));
    return box;
}

}  // namespace

void TMetafileCanvas::LineTo(Integer x, Integer y) {
    Changing();
    Sync(*rec_, *this).Pen().Position().Context();
    rec_->Begin(EMR_LINETO).Point({x, y}).Done();
    rec_->AddBounds(pointsBox({penPos_, {x, y}}));
    penPos_ = {x, y};
    rec_->Now().position = penPos_;
    Changed();
}

void TMetafileCanvas::Polyline(const std::vector<TPoint>& points) {
    if (points.empty()) return;
    Changing();
    Sync(*rec_, *this).Pen().Context();
    const TRect box = pointsBox(points);
    Record r = rec_->Begin(EMR_POLYLINE);
    r.Rect(inclusive(box)).U(Cardinal(points.size()));
    for (const TPoint& p : points) r.Point(p);
    r.Done();
    rec_->AddBounds(box);
    penPos_ = points.back();
    rec_->Now().position.reset();  // other readers leave the position alone
    Changed();
}

void TMetafileCanvas::Polygon(const std::vector<TPoint>& points) {
    if (points.size() < 2) return;
    Changing();
    Sync(*rec_, *this).Pen().Brush(brush_.get()).Context();
    const TRect box = pointsBox(points);
    Record r = rec_->Begin(EMR_POLYGON);
    r.Rect(inclusive(box)).U(Cardinal(points.size()));
    for (const TPoint& p : points) r.Point(p);
    r.Done();
    rec_->AddBounds(box);
    Changed();
}

void TMetafileCanvas::Rectangle(Integer x1, Integer y1, Integer x2, Integer y2) {
    const TRect box = GraphicsRaster::normalized(x1, y1, x2, y2);
    Changing();
    Sync(*rec_, *this).Pen().Brush(brush_.get()).Context();
    rec_->Begin(EMR_RECTANGLE).Rect(box).Done();
    rec_->AddBounds(box);
    Changed();
}

void TMetafileCanvas::RoundRect(Integer x1, Integer y1, Integer x2, Integer y2, Integer x3, Integer y3) {
    const TRect box = GraphicsRaster::normalized(x1, y1, x2, y2);
    Changing();
    Sync(*rec_, *this).Pen().Brush(brush_.get()).Context();
    rec_->Begin(EMR_ROUNDRECT).Rect(box).I(std::abs(x3)).I(std::abs(y3)).Done();
    rec_->AddBounds(box);
    Changed();
}

void TMetafileCanvas::Ellipse(Integer x1, Integer y1, Integer x2, Integer y2) {
    const TRect box = GraphicsRaster::normalized(x1, y1, x2, y2);
    Changing();
    Sync(*rec_, *this).Pen().Brush(brush_.get()).Context();
    rec_->Begin(EMR_ELLIPSE).Rect(box).Done();
    rec_->AddBounds(box);
    Changed();
}

void TMetafileCanvas::Pie(Integer x1, Integer y1, Integer x2, Integer y2, Integer x3, Integer y3, Integer x4,
                          Integer y4) {
    const TRect box = GraphicsRaster::normalized(x1, y1, x2, y2);
    Changing();
    Sync(*rec_, *this).Pen().Brush(brush_.get()).Context();
    rec_->Begin(EMR_PIE).Rect(box).Point({x3, y3}).Point({x4, y4}).Done();
    rec_->AddBounds(box);
    Changed();
}

void TMetafileCanvas::Chord(Integer x1, Integer y1, Integer x2, Integer y2, Integer x3, Integer y3, Integer x4,
                            Integer y4) {
    const TRect box = GraphicsRaster::normalized(x1, y1, x2, y2);
    Changing();
    Sync(*rec_, *this).Pen().Brush(brush_.get()).Context();
    rec_->Begin(EMR_CHORD).Rect(box).Point({x3, y3}).Point({x4, y4}).Done();
    rec_->AddBounds(box);
    Changed();
}

namespace {

// A pattern block transfer: r filled with the selected brush.
void patBlt(MetafileRecorder& to, const TRect& r) {
    Record rec = to.Begin(EMR_BITBLT);
    rec.Rect(inclusive(r)).I(r.Left).I(r.Top).I(r.Width()).I(r.Height()).U(PATCOPY).I(0).I(0);
    rec.F(1).F(0).F(0).F(1).F(0).F(0);  // source transform: identity
    rec.U(0).U(0).U(0).U(0).U(0).U(0);  // no source bitmap
    rec.Done();
}

// A bitmap stretched into dest.
void stretchDib(MetafileRecorder& to, const TRect& dest, const QImage& image) {
    QByteArray bits;
    const QByteArray info = EncodeDib(image, bits);
    Record rec = to.Begin(EMR_STRETCHDIBITS);
    rec.Rect(inclusive(dest)).I(dest.Left).I(dest.Top).I(0).I(0).I(image.width()).I(image.height());
    const Cardinal infoAt = 80, bitsAt = infoAt + Cardinal(info.size());
    rec.U(infoAt).U(Cardinal(info.size())).U(bitsAt).U(Cardinal(bits.size())).U(0).U(SRCCOPY);
    rec.I(dest.Width()).I(dest.Height());
    rec.Raw(info).Raw(bits);
    rec.Done();
}

}  // namespace

void TMetafileCanvas::FillRect(const TRect& r) {
    if (r.IsEmpty()) return;
    Changing();
    Sync(*rec_, *this).Brush(brush_.get()).Context();
    patBlt(*rec_, r);
    rec_->AddBounds(r);
    Changed();
}

void TMetafileCanvas::FrameRect(const TRect& r) {
    if (r.IsEmpty()) return;
    FillRegion(TRegion{GraphicsRaster::FrameArea(QRegion(GraphicsRaster::toQRect(r)), 1, 1)}, brush_.get());
}

void TMetafileCanvas::FillRegion(const TRegion& region, TBrush* brush) {
    if (region.Area.isEmpty()) return;
    Changing();
    Sync(*rec_, *this).Brush(brush ? brush : brush_.get()).Context();
    for (const QRect& q : region.Area) {
        const TRect r = GraphicsRaster::fromQRect(q);
        patBlt(*rec_, r);
        rec_->AddBounds(r);
    }
    Changed();
}

void TMetafileCanvas::FrameRegion(const TRegion& region, TBrush* brush, Integer width, Integer height) {
    FillRegion(TRegion{GraphicsRaster::FrameArea(region.Area, width, height)}, brush);
}

void TMetafileCanvas::GradientFill(const TRect& r, TColor start, TColor end, TGradientDirection direction) {
    if (r.IsEmpty()) return;
    const bool horizontal = direction == gdHorizontal;
    const Integer lines = horizontal ? r.Width() : r.Height();
    QImage image(horizontal ? lines : 1, horizontal ? 1 : lines, QImage::Format_RGB32);
    for (Integer i = 0; i < lines; ++i)
        image.setPixel(horizontal ? i : 0, horizontal ? 0 : i,
                       ToQColor(GraphicsRaster::GradientColor(start, end, i, lines)).rgb());
    StretchImage(r, image, TRect(0, 0, image.width(), image.height()));
}

// The record holds the target's size in 32 bits: a larger target is left out.
void TMetafileCanvas::StretchImage(const TRect& dest, const QImage& source, const TRect& sourceRect) {
    if (dest.IsEmpty() || source.isNull() || sourceRect.IsEmpty()) return;
    if (GraphicsRaster::WidthOf(dest) > INT32_MAX || GraphicsRaster::HeightOf(dest) > INT32_MAX) return;
    Changing();
    Sync(*rec_, *this).Context();
    const bool whole = sourceRect == TRect(0, 0, source.width(), source.height());
    stretchDib(*rec_, dest, whole ? source : source.copy(GraphicsRaster::toQRect(sourceRect)));
    rec_->AddBounds(dest);
    Changed();
}

void TMetafileCanvas::SetPixel(Integer x, Integer y, TColor color) {
    Changing();
    rec_->Begin(EMR_SETPIXELV).Point({x, y}).U(ColorRef(color)).Done();
    rec_->AddBounds(TRect(x, y, x + 1, y + 1));
    Changed();
}

// The text with an advance for every UTF-16 unit, measured on the reference
// device when the caller gave none.
void TMetafileCanvas::ExtTextOut(Integer x, Integer y, Cardinal options, const TRect* rect, const QString& text,
                                 const Integer* dx) {
    Changing();
    Sync sync(*rec_, *this);
    sync.Font();
    if (TextAlign() & TA_UPDATECP) sync.Position();
    sync.Context();
    std::vector<Integer> advances = dx ? std::vector<Integer>(dx, dx + text.size()) : CharAdvances(text);
    const Integer width = std::accumulate(advances.begin(), advances.end(), 0);
    if (TextAlign() & TA_UPDATECP) {
        x = penPos_.X;
        y = penPos_.Y;
    }

    const Cardinal stringAt = ExtTextOutSize;
    const Cardinal dxAt = stringAt + Cardinal((text.size() * 2 + 3) / 4 * 4);
    const Cardinal horizontal = TextAlign() & TA_CENTER, vertical = TextAlign() & TA_BASELINE;
    const Integer height = TextHeight(text);
    const Integer left = x - (horizontal == TA_CENTER ? width / 2 : horizontal == TA_RIGHT ? width : 0);
    const Integer top = y - (vertical == TA_BASELINE ? TextAscent() : vertical == TA_BOTTOM ? height : 0);
    TRect box(left, top, left + width, top + height);
    if (font_->Orientation() % 3600 != 0) {
        const Integer reach = width + height;
        box = TRect(x - reach, y - reach, x + reach, y + reach);
    }
    rec_->AddBounds(box);
    if (rect && (options & ETO_OPAQUE)) rec_->AddBounds(*rect);

    Record r = rec_->Begin(EMR_EXTTEXTOUTW);
    r.Rect(inclusive(box)).U(GM_COMPATIBLE);
    r.F(100.0f * DeviceMillimetersX / DevicePixelsX).F(100.0f * DeviceMillimetersY / DevicePixelsY);
    r.Point({x, y}).U(Cardinal(text.size())).U(stringAt).U(options);
    r.Rect(rect ? *rect : TRect(0, 0, -1, -1)).U(dxAt);
    r.Text(text);
    for (Integer a : advances) r.I(a);
    r.Done();

    if (TextAlign() & TA_UPDATECP) {
        penPos_.X = x + (horizontal == TA_RIGHT ? -width : horizontal == TA_CENTER ? 0 : width);
        rec_->Now().position.reset();
    }
    Changed();
}

// ------------------------------------------------------------ clipping and states

void TMetafileCanvas::SelectClipRegion(const TRegion* region) {
    Record r = rec_->Begin(EMR_EXTSELECTCLIPRGN);
    if (!region) {
        r.U(0).U(RGN_COPY);
    } else {
        const Integer count = Integer(region->Area.rectCount());
        r.U(Cardinal(32 + 16 * count)).U(RGN_COPY);
        r.U(32).U(1).U(Cardinal(count)).U(Cardinal(16 * count));
        r.Rect(GraphicsRaster::fromQRect(region->Area.boundingRect()));
        for (const QRect& q : region->Area) r.Rect(GraphicsRaster::fromQRect(q));
    }
    r.Done();
    TCanvas::SelectClipRegion(region);
}

void TMetafileCanvas::IntersectClipRect(const TRect& r) {
    rec_->Begin(EMR_INTERSECTCLIPRECT).Rect(r).Done();
    TCanvas::IntersectClipRect(r);
}

void TMetafileCanvas::ExcludeClipRect(const TRect& r) {
    rec_->Begin(EMR_EXCLUDECLIPRECT).Rect(r).Done();
    TCanvas::ExcludeClipRect(r);
}

Integer TMetafileCanvas::SaveDC() {
    rec_->Begin(EMR_SAVEDC).Done();
    rec_->Save();
    return TCanvas::SaveDC();
}

// The format restores relative to the last save: level n of k saved is -(k - n + 1).
bool TMetafileCanvas::RestoreDC(Integer level) {
    const Integer count = rec_->SavedCount();
    const Integer target = level < 0 ? count + level + 1 : level;
    if (target < 1 || target > count) return false;
    rec_->Begin(EMR_RESTOREDC).I(target - count - 1).Done();
    rec_->RestoreTo(target - 1);
    return TCanvas::RestoreDC(level);
}
