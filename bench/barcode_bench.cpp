// Encodes and renders the same texts with the barcode image (TCBarImage)
// and with libzint (ZBarcode_Encode_and_Buffer), for EAN-13, CODE39,
// CODE128 and NW7, at two text lengths, and prints the time ratio
// (ours / libzint) per symbology and length, with the human-readable text
// and without it. Both sides draw 2 pixels per module; both are timed in
// processor time, the best of alternating trials.
// Usage: barcode_bench [rounds per trial]
#include "CBarCode.h"

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
};

const Symbology Symbologies[] = {
    {"EAN-13", btJAN, BARCODE_EANX, "0123456789", 12, ""},
    {"CODE39", btCODE39, BARCODE_CODE39, "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-. $/+%", 0, ""},
    {"CODE128", btCODE128, BARCODE_CODE128, "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz", 0, ""},
    {"NW7", btNW7, BARCODE_CODABAR, "0123456789-$:/.+", 0, "A"},
};

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

double Ours(const Symbology& s, const std::vector<QByteArray>& texts, int rounds, bool withText) {
    TCBarImage image(nullptr);
    image.SetSymbolDisp(withText);
    image.SetAutoFit(true);
    image.SetCellWidth(2);
    image.SetBarType(s.ours);
    image.SetStartChar('B');
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
    for (const QByteArray& text : texts) wrapped.push_back(s.zintWrap + text + s.zintWrap);
    const double seconds = Seconds([&] {
        for (int r = 0; r < rounds; ++r) {
            for (const QByteArray& text : wrapped) {
                symbol->symbology = s.zint;
                symbol->scale = 1.0f;  // 2 pixels per module
                symbol->show_hrt = withText ? 1 : 0;
                if (ZBarcode_Encode_and_Buffer(symbol, reinterpret_cast<const unsigned char*>(text.constData()),
                                               int(text.size()), 0) >= ZINT_ERROR) {
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
    constexpr int Count = 200;
    constexpr int Trials = 7;
    std::mt19937 rng(7);
    for (bool text : {true, false}) {
        for (const Symbology& s : Symbologies) {
            for (int length : {5, 50}) {
                if (s.fixedLength && length != 5) continue;
                const std::vector<QByteArray> texts = Texts(s, length, Count, rng);
                // The best of several alternating trials: the machine's
                // other work only ever adds time.
                double ours = 1e9;
                double zint = 1e9;
                for (int trial = 0; trial < Trials; ++trial) {
                    ours = std::min(ours, Ours(s, texts, rounds, text));
                    zint = std::min(zint, Zint(s, texts, rounds, text));
                }
                const double perCode = 1e6 / double(Count * rounds);
                std::printf("%-8s %3d characters, %s: ours %7.1f us/code, libzint %7.1f us/code, ratio %.3f\n", s.name,
                            s.fixedLength ? s.fixedLength : length, text ? "with text" : "bars only", ours * perCode,
                            zint * perCode, ours / zint);
            }
        }
    }
    return 0;
}
