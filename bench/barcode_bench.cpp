// Encodes and renders the same texts with the barcode image (TCBarImage)
// and with libzint (ZBarcode_Encode_and_Buffer), for EAN-13, CODE39,
// CODE128 and NW7, at two text lengths, and prints the time ratio
// (ours / libzint) per symbology and length, with the human-readable text
// and without it.
// Both draw the same symbol: 2 pixels per module (CellWidth 2, libzint's
// scale 1), wide elements of 2 modules (CellRatio 20, libzint's fixed
// ratio), bars 100 pixels long (BarHeight 100 plus the text's height,
// libzint's height 50), no quiet zones but EAN-13's 11 and 7 modules
// (which libzint adds itself), the text on or off on both. The outputs differ in
// kind only: ours a 32-bit RGB picture (4 bytes a pixel), libzint's a
// 24-bit RGB buffer (3 bytes a pixel); our text is in the symbol font,
// libzint's in its own. The sizes of both pictures are printed per case.
// Both are timed in processor time, the best of alternating trials.
// Usage: barcode_bench [rounds per trial] [texts per case, 200]
#include "CBarCode.h"
#include "Windows.h"

#include <QtGui/QGuiApplication>

#include <algorithm>
#include <cstring>

#include <zint.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <random>
#include <string>
#include <time.h>
#include <vector>

namespace {


struct Symbology {
    const char* name;
    TBarType ours;
    int zint;
    const char* alphabet;
    int fixedLength;      // 0: variable
    const char* zintWrap;  // characters put around the text for libzint
    int quietLeft;         // modules, which libzint adds itself
    int quietRight;
};

const Symbology Symbologies[] = {
    {"EAN-13", btJAN, BARCODE_EANX, "0123456789", 12, "", 11, 7},
    {"CODE39", btCODE39, BARCODE_CODE39, "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-. $/+%", 0, "", 0, 0},
    {"CODE128", btCODE128, BARCODE_CODE128, "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz", 0, "", 0, 0},
    {"NW7", btNW7, BARCODE_CODABAR, "0123456789-$:/.+", 0, "A", 0, 0},
};

constexpr int Module = 2;       // pixels
constexpr int BarLength = 100;  // pixels

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

// Processor time of this thread: the machine may be busy with other work.
double CpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

double Seconds(const std::function<void()>& work) {
    const double start = CpuSeconds();
    work();
    return CpuSeconds() - start;
}

// The barcode image set up as libzint draws.
void SetUp(TCBarImage& image, const Symbology& s, bool withText) {
    image.SetSymbolDisp(withText);
    image.SetAutoFit(true);
    image.SetCellWidth(Module);
    image.SetCellRatio(20);
    image.SetBarType(s.ours);
    image.SetStartChar('B');
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

// Both pictures of the first text.
void PrintSizes(const Symbology& s, const QByteArray& text, bool withText) {
    TCBarImage image(nullptr);
    SetUp(image, s, withText);
    image.SetCaption(text);
    zint_symbol* symbol = ZBarcode_Create();
    SetUp(symbol, s, withText);
    if (ZintDraws(symbol, Wrapped(s, text)))
        std::printf("  picture: ours %dx%d (32-bit), libzint %dx%d (24-bit)\n", image.Width(), image.Height(),
                    symbol->bitmap_width, symbol->bitmap_height);
    ZBarcode_Delete(symbol);
}

double Ours(const Symbology& s, const std::vector<QByteArray>& texts, int rounds, bool withText) {
    TCBarImage image(nullptr);
    SetUp(image, s, withText);
    return Seconds([&] {
        for (int r = 0; r < rounds; ++r) {
            for (const QByteArray& text : texts) {
                image.SetCaption(text);
                if (!image.Drawn()) {
                    std::fprintf(stderr, "ours failed on %s\n", text.constData());
                    std::exit(1);
                }
            }
        }
    });
}

double Zint(const Symbology& s, const std::vector<QByteArray>& texts, int rounds, bool withText) {
    zint_symbol* symbol = ZBarcode_Create();
    std::vector<QByteArray> wrapped;
    for (const QByteArray& text : texts) wrapped.push_back(Wrapped(s, text));
    const double seconds = Seconds([&] {
        for (int r = 0; r < rounds; ++r) {
            for (const QByteArray& text : wrapped) {
                SetUp(symbol, s, withText);
                if (!ZintDraws(symbol, text)) {
                    std::fprintf(stderr, "libzint failed on %s: %s\n", text.constData(), symbol->errtxt);
                    std::exit(1);
                }
                ZBarcode_Clear(symbol);
            }
        }
    });
    ZBarcode_Delete(symbol);
    return seconds;
}

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const int count = argc > 2 ? std::max(1, std::atoi(argv[2])) : 200;
    constexpr int Trials = 7;
    std::mt19937 rng(7);
    for (bool text : {true, false}) {
        for (const Symbology& s : Symbologies) {
            for (int length : {5, 50}) {
                if (s.fixedLength && length != 5) continue;
                const std::vector<QByteArray> texts = Texts(s, length, count, rng);
                // The best of several alternating trials: the machine's
                // other work only ever adds time.
                double ours = 1e9;
                double zint = 1e9;
                for (int trial = 0; trial < Trials; ++trial) {
                    ours = std::min(ours, Ours(s, texts, rounds, text));
                    zint = std::min(zint, Zint(s, texts, rounds, text));
                }
                const double perCode = 1e6 / double(count) / double(rounds);
                std::printf("%-8s %3d characters, %s: ours %7.1f us/code, libzint %7.1f us/code, ratio %.3f\n", s.name,
                            s.fixedLength ? s.fixedLength : length, text ? "with text" : "bars only", ours * perCode,
                            zint * perCode, ours / zint);
                PrintSizes(s, texts.front(), text);
            }
        }
    }
    return 0;
}
