// The glyphs the barcode image draws its texts with.
#include "CBarCodeText.h"

#include <QtGui/QImage>
#include <QtGui/QRawFont>

#include <algorithm>
#include <array>
#include <vector>

namespace CBarCode {

constexpr char First = 0x20;
constexpr char Last = 0x7E;
constexpr Integer MaxHeight = 256;  // pixels

struct TBarGlyphs::TSet {
    struct Run {
        Integer dx, dy, length;  // from the pen position at the top of the cell
    };
    struct Glyph {
        bool held = false;
        Integer advance = 0;
        size_t firstRun = 0, runs = 0;
    };

    TFont font;  // as selected, in black
    bool usable = false;
    Integer height = 0;
    std::array<Glyph, Last - First + 1> glyphs{};
    std::vector<Run> runs;

    const Glyph& Of(char c) const { return glyphs[size_t(c - First)]; }
    void Draw(const AnsiString& text, Integer x, Integer y, QRgb colour, QRgb* bits, qsizetype stride, Integer width,
              Integer height) const;
    bool Take();
    bool Verified(TCanvas* canvas, Integer pad) const;
    void Scan(const QImage& image, Integer originX, Integer originY);
};

namespace {

bool IsInk(QRgb pixel) { return (pixel & 0xFFFFFF) != 0xFFFFFF; }

// A white scratch picture of the size, drawn on with a clear brush.
void Clean(TBitmap& scratch, Integer width, Integer height) {
    scratch.SetSize(width, height);
    TCanvas* canvas = scratch.Canvas();
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(clWhite);
    canvas->FillRect(Rect(0, 0, width, height));
    canvas->Brush()->SetStyle(bsClear);
}

// Taking a font's glyphs draws each of them: a new image finds the
// glyphs of the fonts other images use.
std::vector<std::shared_ptr<const TBarGlyphs::TSet>>& RecentSets() {
    static std::vector<std::shared_ptr<const TBarGlyphs::TSet>> sets;
    return sets;
}

Integer setsTaken = 0;

}  // namespace

bool TBarGlyphs::Select(TCanvas* canvas, TFont* font) {
    TFont selected;
    selected.SetPixelsPerInch(canvas->Font()->PixelsPerInch());
    selected.Assign(font);
    selected.SetColor(clBlack);  // the colour is the draw's, not the glyphs'
    if (set_ && set_->font == selected) return set_->usable;
    auto& recent = RecentSets();
    auto it = std::find_if(recent.begin(), recent.end(), [&](const auto& set) { return set->font == selected; });
    if (it != recent.end()) {
        set_ = *it;
        return set_->usable;
    }
    auto set = std::make_shared<TSet>();
    set->font.SetPixelsPerInch(selected.PixelsPerInch());
    set->font.Assign(&selected);
    set->usable = set->Take();
    ++setsTaken;
    constexpr size_t Kept = 8;
    if (recent.size() == Kept) recent.pop_back();
    recent.insert(recent.begin(), set);
    set_ = std::move(set);
    return set_->usable;
}

Integer TBarGlyphs::SetsTaken() { return setsTaken; }

bool TBarGlyphs::Holds(const AnsiString& text) const {
    for (char c : text)
        if (c < First || c > Last || !set_->Of(c).held) return false;
    return true;
}

Int64 TBarGlyphs::Width(const AnsiString& text) const {
    Int64 width = 0;
    for (char c : text) width += set_->Of(c).advance;
    return width;
}

Integer TBarGlyphs::Height() const { return set_->height; }

void TBarGlyphs::Draw(const AnsiString& text, Integer x, Integer y, QRgb colour, QRgb* bits, qsizetype stride,
                      Integer width, Integer height) const {
    set_->Draw(text, x, y, colour, bits, stride, width, height);
}

void TBarGlyphs::TSet::Draw(const AnsiString& text, Integer x, Integer y, QRgb colour, QRgb* bits, qsizetype stride,
                            Integer width, Integer height) const {
    for (char c : text) {
        const Glyph& glyph = Of(c);
        for (size_t i = glyph.firstRun; i < glyph.firstRun + glyph.runs; ++i) {
            const Run& run = runs[i];
            const Integer row = y + run.dy;
            const Integer from = std::max(0, x + run.dx);
            const Integer to = std::min(width, x + run.dx + run.length);
            if (row >= 0 && row < height && from < to) std::fill(bits + row * stride + from, bits + row * stride + to, colour);
        }
        x += glyph.advance;
    }
}

// Each character drawn alone on a scratch picture, with room around its
// cell for the parts of glyphs that reach outside it.
bool TBarGlyphs::TSet::Take() {
    const TFontStyles style = font.Style();
    if (font.Orientation() % 3600 != 0 || style.Contains(fsUnderline) || style.Contains(fsStrikeOut)) return false;
    TBitmap scratch;
    scratch.SetSize(1, 1);
    TCanvas* canvas = scratch.Canvas();
    if (canvas->Font()->PixelsPerInch() != font.PixelsPerInch()) return false;
    canvas->Font()->Assign(&font);
    height = canvas->TextAscent() + canvas->TextDescent();
    // Each glyph is drawn on a scratch picture some three heights square:
    // for larger fonts that costs more than the canvas's own drawing. Fonts
    // too large for the system measure below 1.
    if (height < 1 || height > MaxHeight) return false;

    QString all;
    for (char c = First; c <= Last; ++c) all += QLatin1Char(c);
    const std::vector<Integer> advances = canvas->CharAdvances(all);
    // The canvas draws a text as glyphs at its advances only when the
    // font's first face has every one of them.
    const QList<quint32> indexes = QRawFont::fromFont(font.ToQFont()).glyphIndexesForString(all);
    if (indexes.size() != all.size()) return false;
    const Integer pad = std::max<Integer>(height, 1);
    const Integer widest = *std::max_element(advances.begin(), advances.end());
    for (qsizetype i = 0; i < all.size(); ++i) {
        Glyph& glyph = glyphs[size_t(i)];
        glyph.advance = advances[size_t(i)];
        glyph.held = indexes[i] != 0;
        if (!glyph.held) continue;
        Clean(scratch, widest + 2 * pad, height + 2 * pad);
        canvas->TextOut(pad, pad, all.mid(i, 1));
        glyph.firstRun = runs.size();
        Scan(scratch.Image(), pad, pad);
        glyph.runs = runs.size() - glyph.firstRun;
    }
    return Verified(canvas, pad);
}

// The glyphs set side by side give what the canvas draws for all of them
// in one text.
bool TBarGlyphs::TSet::Verified(TCanvas* canvas, Integer pad) const {
    AnsiString text;
    Integer width = 0;
    for (char c = First; c <= Last; ++c) {
        if (!Of(c).held) continue;
        text += c;
        width += Of(c).advance;
    }
    if (text.isEmpty()) return false;
    TBitmap drawn;
    Clean(drawn, width + 2 * pad, height + 2 * pad);
    drawn.Canvas()->Font()->Assign(canvas->Font());
    drawn.Canvas()->TextOut(pad, pad, QString::fromLatin1(text));
    const QImage expected = drawn.Image().convertToFormat(QImage::Format_RGB32);
    QImage composed(expected.size(), QImage::Format_RGB32);
    composed.fill(Qt::white);
    Draw(text, pad, pad, qRgb(0, 0, 0), reinterpret_cast<QRgb*>(composed.bits()), composed.bytesPerLine() / 4,
         composed.width(), composed.height());
    for (int y = 0; y < composed.height(); ++y) {
        const auto* want = reinterpret_cast<const QRgb*>(expected.constScanLine(y));
        const auto* have = reinterpret_cast<const QRgb*>(composed.constScanLine(y));
        for (int x = 0; x < composed.width(); ++x)
            if (IsInk(want[x]) != IsInk(have[x])) return false;
    }
    return true;
}

// The runs of ink in each row, from the origin.
void TBarGlyphs::TSet::Scan(const QImage& image, Integer originX, Integer originY) {
    const int width = image.width();
    for (int y = 0; y < image.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < width;) {
            if (!IsInk(row[x])) {
                ++x;
                continue;
            }
            const int start = x;
            while (x < width && IsInk(row[x])) ++x;
            runs.push_back({start - originX, y - originY, x - start});
        }
    }
}

}  // namespace CBarCode
