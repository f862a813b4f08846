// The barcode image's texts measured and drawn from glyphs taken once per
// font (not part of the unit's interface).
#pragma once

#include "CBarCode.h"

#include <QtGui/QRgb>

#include <array>
#include <vector>

namespace CBarCode {

// Printable ASCII in one font: each character's advance and the pixels its
// glyph sets, taken from a canvas once, so that a text is measured by adding
// advances and drawn by setting those pixels. A canvas draws such text the
// same way (glyphs are not smoothed and stand at whole-pixel advances);
// other characters, and fonts the canvas draws otherwise (rotated,
// underlined, struck out), are left to the canvas.
class TBarGlyphs {
public:
    // Takes the glyphs of font as canvas would select it, unless they are
    // the ones held. False when no text of this font can be drawn here.
    bool Select(TCanvas* canvas, TFont* font);
    // Whether every character of text has a glyph held.
    bool Holds(const AnsiString& text) const;
    Integer Width(const AnsiString& text) const;
    Integer Height() const { return height_; }
    // Sets the pixels of text, the top left of its cell at (x, y), to
    // colour in the 32-bit rows of width x height pixels starting at bits.
    void Draw(const AnsiString& text, Integer x, Integer y, QRgb colour, QRgb* bits, qsizetype stride, Integer width,
              Integer height) const;

private:
    static constexpr char First = 0x20;
    static constexpr char Last = 0x7E;
    struct Run {
        Integer dx, dy, length;  // from the pen position at the top of the cell
    };
    struct Glyph {
        bool held = false;
        Integer advance = 0;
        size_t firstRun = 0, runs = 0;
    };

    bool Take(TFont* font);
    bool Verified(TCanvas* canvas, Integer pad);
    static std::vector<Run> Scan(const QImage& image, Integer originX, Integer originY);

    TFont font_;  // as selected, in black
    bool taken_ = false;
    bool usable_ = false;
    Integer height_ = 0;
    std::array<Glyph, Last - First + 1> glyphs_{};
    std::vector<Run> runs_;
};

}  // namespace CBarCode
