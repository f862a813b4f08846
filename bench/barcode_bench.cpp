// Encodes and renders the same texts with the barcode image (TCBarImage)
// and with libzint (ZBarcode_Encode_and_Buffer), for EAN-13, CODE39,
// CODE128 and NW7, at text lengths 5, 50 and 500, with the human-readable
// text and without it; one line per case ending with the ratio of
// processor times ours / libzint.
// Both draw the same symbol: 2 pixels per module (CellWidth 2, libzint's
// scale 1), wide elements of 2 modules (CellRatio 20, libzint's fixed
// ratio), bars 100 pixels long (BarHeight 100 plus the text's height,
// libzint's height 50), no quiet zones but EAN-13's 11 and 7 modules
// (which libzint adds itself), NW7 started and stopped by A, the text on or
// off on both. Before timing, zbar must read every text of a case from
// both sides' pictures as the same data. The outputs differ in kind only:
// ours a 32-bit RGB picture, libzint's a 24-bit RGB buffer; our text is in
// the symbol font, libzint's in its own. The sizes of both pictures are
// printed per case. A round draws every text of the case a few times on
// each side, in turns (BenchSupport.h), and both must draw them all.
// Usage: barcode_bench [texts per case, 200]
#include "BenchSupport.h"
#include "CBarCode.h"
#include "Windows.h"
#include "ZbarDecode.h"

#include <QtGui/QGuiApplication>
#include <QtGui/QImage>

#include <zint.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

struct Symbology {
    const char* name;
    TBarType ours;
    int zint;
    const char* alphabet;
    int fixedLength;      // 0: variable
    char start;           // ours' start character (NW7) or start set (CODE128)
    const char* zintWrap;  // characters put around the text for libzint
    int quietLeft;         // modules, which libzint adds itself
    int quietRight;
};

const Symbology Symbologies[] = {
    {"EAN-13", btJAN, BARCODE_EANX, "0123456789", 12, 'A', "", 11, 7},
    {"CODE39", btCODE39, BARCODE_CODE39, "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-. $/+%", 0, 'A', "", 0, 0},
    {"CODE128", btCODE128, BARCODE_CODE128, "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz", 0, 'B',
     "", 0, 0},
    {"NW7", btNW7, BARCODE_CODABAR, "0123456789-$:/.+", 0, 'A', "A", 0, 0},
};

constexpr int Module = 2;       // pixels
constexpr int BarLength = 100;  // pixels
// Draws of every text in one timed run, so that short texts take long
// enough for the clock.
constexpr int Repeats = 5;

std::vector<QByteArray> Texts(const Symbology& s, int length, int count, std::mt19937& rng) {
    std::vector<QByteArray> texts;
    const int size = int(std::strlen(s.alphabet));
    for (int n = 0; n < count; ++n) {
        QByteArray text;
        for (int i = 0; i < (s.fixedLength ? s.fixedLength : length); ++i) text += s.alphabet[rng() % unsigned(size)];
        texts.push_back(text);
    }
    return texts;
}

// The barcode image set up as libzint draws.
void SetUp(TCBarImage& image, const Symbology& s, bool withText) {
    image.SetSymbolDisp(withText);
    image.SetAutoFit(true);
    image.SetCellWidth(Module);
    image.SetCellRatio(20);
    image.SetBarType(s.ours);
    image.SetStartChar(s.start);
    image.SetStopChar(s.start);
    image.SetBarMarginLeft(s.quietLeft * Module);
    image.SetBarMarginRight(s.quietRight * Module);
    TBitmap probe;
    probe.Canvas()->Font()->Assign(image.SymbolFont());
    image.SetBarHeight(BarLength + (withText ? probe.Canvas()->TextHeight(QStringLiteral("0")) : 0));
}

void SetUp(zint_symbol* symbol, const Symbology& s, bool withText) {
    symbol->symbology = s.zint;
    symbol->scale = Module / 2.0f;
    symbol->height = float(BarLength / Module);
    symbol->show_hrt = withText ? 1 : 0;
}

QByteArray Wrapped(const Symbology& s, const QByteArray& text) { return s.zintWrap + text + s.zintWrap; }

bool ZintDraws(zint_symbol* symbol, const QByteArray& text) {
    return ZBarcode_Encode_and_Buffer(symbol, reinterpret_cast<const unsigned char*>(text.constData()),
                                      int(text.size()), 0) < ZINT_ERROR;
}

// One side of a case, set up once; Draw(text) makes one picture.
class OursSide {
public:
    OursSide(const Symbology& s, bool withText) : image_(nullptr) { SetUp(image_, s, withText); }
    bool Draw(const QByteArray& text) {
        image_.SetCaption(text);
        return image_.Drawn();
    }
    QImage Picture() const { return image_.Picture()->Bitmap()->Image(); }

private:
    TCBarImage image_;
};

class ZintSide {
public:
    ZintSide(const Symbology& s, bool withText) : s_(s), withText_(withText), symbol_(ZBarcode_Create()) {}
    ~ZintSide() { ZBarcode_Delete(symbol_); }
    // Set up again for every text: libzint's clear keeps nothing but the symbology.
    bool Draw(const QByteArray& text) {
        ZBarcode_Clear(symbol_);
        SetUp(symbol_, s_, withText_);
        return ZintDraws(symbol_, Wrapped(s_, text));
    }
    QImage Picture() const {
        return QImage(symbol_->bitmap, symbol_->bitmap_width, symbol_->bitmap_height, symbol_->bitmap_width * 3,
                      QImage::Format_RGB888)
            .copy();
    }
    const char* Error() const { return symbol_->errtxt; }

private:
    const Symbology& s_;
    bool withText_;
    zint_symbol* symbol_;
};

// What zbar reads in a picture, "" when not exactly one symbol; EAN-13
// with a leading 0 is read as such, not as UPC-A.
QByteArray Read(const QImage& picture) {
    const std::vector<ZbarSymbol> symbols = ZbarDecode(picture, {"upca.disable", "upce.disable", "codabar.min-length=1"});
    return symbols.size() == 1 ? symbols.front().data : QByteArray();
}

// Every text drawn by both sides and read by zbar as the same data, else
// the program ends; the picture sizes of the first text.
std::string CheckSameSymbols(const std::string& label, OursSide& ours, ZintSide& zint,
                             const std::vector<QByteArray>& texts) {
    for (const QByteArray& text : texts) {
        const bool drawn = ours.Draw(text) && zint.Draw(text);
        const QByteArray read = drawn ? Read(ours.Picture()) : QByteArray();
        if (read.isEmpty() || !read.contains(text) || Read(zint.Picture()) != read) {
            std::fprintf(stderr, "%s: zbar reads %s as \"%s\" from ours and as \"%s\" from libzint\n", label.c_str(),
                         text.constData(), read.constData(), drawn ? Read(zint.Picture()).constData() : "");
            std::exit(1);
        }
    }
    ours.Draw(texts.front());
    zint.Draw(texts.front());
    const QImage a = ours.Picture(), b = zint.Picture();
    return bench::Format("pictures %dx%d and %dx%d", a.width(), a.height(), b.width(), b.height());
}

template <class Side>
int DrawAll(Side& side, const std::vector<QByteArray>& texts) {
    int drawn = 0;
    for (int r = 0; r < Repeats; ++r)
        for (const QByteArray& text : texts) drawn += side.Draw(text) ? 1 : 0;
    return drawn;
}

void Compare(const Symbology& s, int length, bool withText, const std::vector<QByteArray>& texts,
             bench::Growth& growth) {
    const std::string label =
        bench::Format("%-8s %3d characters, %s", s.name, length, withText ? "with text" : "bars only");
    OursSide ours(s, withText);
    ZintSide zint(s, withText);
    const double draws = double(texts.size()) * Repeats;
    if (!zint.Draw(texts.front())) {
        // Ours alone, for the growth of its time with the length.
        bench::Times alone;
        for (bench::Turns turns(label); turns.Next();) {
            const bench::Times t = bench::Measure([&] { DrawAll(ours, texts); });
            if (!turns.WarmingUp()) alone.KeepBest(t);
        }
        std::printf("%s: ours %.1f us a code; libzint refuses texts this long (%s): no comparison\n", label.c_str(),
                    alone.Cpu / draws * 1e6, zint.Error());
        growth.Add(std::string("ours, ") + s.name + (withText ? ", with text" : ", bars only"), length, alone.Cpu);
        return;
    }
    const std::string sizes = CheckSameSymbols(label, ours, zint, texts);
    const bench::Best best = bench::Compare(label, [&] { return DrawAll(ours, texts); },
                                            [&] { return DrawAll(zint, texts); }, bench::Equal<int>("%d drawn"));
    bench::PrintTimeRatio(label, "libzint", best, bench::kMinRounds, true,
                          bench::Format("%.1f and %.1f us a code, zbar reads the same data, %s",
                                        best.Ours.Cpu / draws * 1e6, best.Peer.Cpu / draws * 1e6, sizes.c_str()));
    if (!s.fixedLength) {
        const std::string series = std::string(s.name) + (withText ? ", with text" : ", bars only");
        growth.Add("ours, " + series, length, best.Ours.Cpu);
        growth.Add("libzint, " + series, length, best.Peer.Cpu);
    }
}

}  // namespace

int main(int argc, char** argv) {
    bench::OffscreenUnlessSet();
    QGuiApplication app(argc, argv);
    const int count = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;
    std::mt19937 rng(7);
    bench::Growth growth;
    for (bool text : {true, false}) {
        for (const Symbology& s : Symbologies) {
            for (int length : {5, 50, 500}) {
                if (s.fixedLength && length != 5) continue;
                Compare(s, s.fixedLength ? s.fixedLength : length, text, Texts(s, length, count, rng), growth);
            }
        }
    }
    growth.Print();
    return 0;
}
