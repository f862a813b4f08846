// The barcode image's texts measured and drawn from glyphs taken once per
// font (not part of the unit's interface).
#pragma once

#include "CBarCode.h"

#include <QtGui/QRgb>

#include <memory>

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
    // Wide: a long text reaches past any Integer.
    Int64 Width(const AnsiString& text) const;
    Integer Height() const;
    // Sets the pixels of text, the top left of its cell at (x, y), to
    // colour in the 32-bit rows of width x height pixels starting at bits.
    void Draw(const AnsiString& text, Integer x, Integer y, QRgb colour, QRgb* bits, qsizetype stride, Integer width,
              Integer height) const;

    // How many fonts' glyphs have been taken, by all images.
    static Integer SetsTaken();

    // The glyphs of one font; the sets of the last few fonts are shared by
    // all images.
    struct TSet;

private:
    std::shared_ptr<const TSet> set_;
};

}  // namespace CBarCode
