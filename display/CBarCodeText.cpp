// The glyphs the barcode image draws its texts with.
#include "CBarCodeText.h"

#include <QtGui/QImage>
#include <QtGui/QRawFont>

#include <algorithm>
#include <numeric>

namespace CBarCode {

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

}  // namespace

bool TBarGlyphs::Select(TCanvas* canvas, TFont* font) {
    TFont selected;
    selected.SetPixelsPerInch(canvas->Font()->PixelsPerInch());
    selected.Assign(font);
    selected.SetColor(clBlack);  // the colour is the draw's, not the glyphs'
    if (taken_ && selected == font_) return usable_;
    font_.SetPixelsPerInch(selected.PixelsPerInch());
    font_.Assign(&selected);
    taken_ = true;
    usable_ = Take(&font_);
    return usable_;
}

bool TBarGlyphs::Holds(const AnsiString& text) const {
    for (char c : text)
        if (c < First || c > Last || !glyphs_[size_t(c - First)].held) return false;
    return true;
}

Integer TBarGlyphs::Width(const AnsiString& text) const {
    Integer width = 0;
    for (char c : text) width += glyphs_[size_t(c - First)].advance;
    return width;
}

void TBarGlyphs::Draw(const AnsiString& text, Integer x, Integer y, QRgb colour, QRgb* bits, qsizetype stride,
                      Integer width, Integer height) const {
    for (char c : text) {
        const Glyph& glyph = glyphs_[size_t(c - First)];
        for (size_t i = glyph.firstRun; i < glyph.firstRun + glyph.runs; ++i) {
            const Run& run = runs_[i];
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
bool TBarGlyphs::Take(TFont* font) {
    runs_.clear();
    glyphs_ = {};
    const TFontStyles style = font->Style();
    if (font->Orientation() % 3600 != 0 || style.Contains(fsUnderline) || style.Contains(fsStrikeOut)) return false;
    TBitmap scratch;
    scratch.SetSize(1, 1);
    TCanvas* canvas = scratch.Canvas();
    if (canvas->Font()->PixelsPerInch() != font->PixelsPerInch()) return false;
    canvas->Font()->Assign(font);
    height_ = canvas->TextAscent() + canvas->TextDescent();

    QString all;
    for (char c = First; c <= Last; ++c) all += QLatin1Char(c);
    const std::vector<Integer> advances = canvas->CharAdvances(all);
    // The canvas draws a text as glyphs at its advances only when the
    // font's first face has every one of them.
    const QList<quint32> indexes = QRawFont::fromFont(font->ToQFont()).glyphIndexesForString(all);
    if (indexes.size() != all.size()) return false;
    const Integer pad = std::max<Integer>(height_, 1);
    const Integer widest = *std::max_element(advances.begin(), advances.end());
    for (qsizetype i = 0; i < all.size(); ++i) {
        Glyph& glyph = glyphs_[size_t(i)];
        glyph.advance = advances[size_t(i)];
        glyph.held = indexes[i] != 0;
        if (!glyph.held) continue;
        Clean(scratch, widest + 2 * pad, height_ + 2 * pad);
        canvas->TextOut(pad, pad, all.mid(i, 1));
        const std::vector<Run> runs = Scan(scratch.Image(), pad, pad);
        glyph.firstRun = runs_.size();
        glyph.runs = runs.size();
        runs_.insert(runs_.end(), runs.begin(), runs.end());
    }
    return Verified(canvas, pad);
}

// The glyphs set side by side give what the canvas draws for all of them
// in one text.
bool TBarGlyphs::Verified(TCanvas* canvas, Integer pad) {
    AnsiString text;
    for (char c = First; c <= Last; ++c)
        if (glyphs_[size_t(c - First)].held) text += c;
    if (text.isEmpty()) return false;
    TBitmap drawn;
    Clean(drawn, Width(text) + 2 * pad, height_ + 2 * pad);
    drawn.Canvas()->Font()->Assign(canvas->Font());
    drawn.Canvas()->TextOut(pad, pad, QString::fromLatin1(text));
    const QImage& expected = drawn.Image();
    QImage composed(expected.size(), QImage::Format_RGB32);
    composed.fill(Qt::white);
    Draw(text, pad, pad, qRgb(0, 0, 0), reinterpret_cast<QRgb*>(composed.bits()), composed.bytesPerLine() / 4,
         composed.width(), composed.height());
    for (int y = 0; y < composed.height(); ++y)
        for (int x = 0; x < composed.width(); ++x)
            if (IsInk(expected.pixel(x, y)) != IsInk(composed.pixel(x, y))) return false;
    return true;
}

// The runs of ink in each row, from the origin.
std::vector<TBarGlyphs::Run> TBarGlyphs::Scan(const QImage& image, Integer originX, Integer originY) {
    std::vector<Run> runs;
    for (int y = 0; y < image.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width();) {
            if (!IsInk(row[x])) {
                ++x;
                continue;
            }
            const int start = x;
            while (x < image.width() && IsInk(row[x])) ++x;
            runs.push_back({start - originX, y - originY, x - start});
        }
    }
    return runs;
}

}  // namespace CBarCode
