// Encodes one corpus of texts with TCQRCode and with libqrencode and prints
// the time ratio (ours / libqrencode) and the codes per second of each.
// Usage: qr_bench [rounds]
#include "CBarCode.h"

#include <qrencode.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

namespace {

// The standard engine, whose sequence is the same everywhere, so the
// corpus is too.
using Rng = std::mt19937;

Integer Below(Rng& rng, Integer n) { return Integer(rng() % uint32_t(n)); }

struct Sample {
    QByteArray text;
    Integer level;
};

const char kAlphanumericSet[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ $%*+-./:";

void AppendCharacter(Integer kind, QByteArray& text, Rng& rng) {
    switch (kind) {
    case 0: text.append(char('0' + Below(rng, 10))); break;
    case 1: text.append(kAlphanumericSet[Below(rng, 45)]); break;
    case 2: text.append(char(1 + Below(rng, 255))); break;  // no NUL: libqrencode takes C strings
    default:
        text.append(char(0x88 + Below(rng, 0x98 - 0x88)));
        text.append(char(0x40 + Below(rng, 0xFC - 0x40)));
        break;
    }
}

// Numeric, alphanumeric, byte, kanji and mixed texts filling versions 1-40
// at every level.
std::vector<Sample> MakeCorpus() {
    std::vector<Sample> corpus;
    Rng rng(42);
    static const Integer kBitsPerCharacter[5] = {4, 6, 8, 13, 12};
    for (Integer kind = 0; kind < 5; ++kind) {
        for (Integer version = 1; version <= 40; ++version) {
            for (Integer level = 0; level < 4; ++level) {
                const Integer bits = TCQRCode::DataCodewords(version, level) * 8 - 24;
                const Integer characters = std::max(1, bits / kBitsPerCharacter[kind] * (5 + Below(rng, 4)) / 10);
                QByteArray text;
                while (text.size() < characters) {
                    const Integer k = kind < 4 ? kind : Below(rng, 4);
                    const Integer run = kind < 4 ? 1 : 1 + Below(rng, 10);
                    for (Integer i = 0; i < run; ++i) AppendCharacter(k, text, rng);
                }
                corpus.push_back({text, level});
            }
        }
    }
    return corpus;
}

template <typename F>
double Seconds(F&& run) {
    const auto start = std::chrono::steady_clock::now();
    run();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// libqrencode's own segmentation cannot fit a few of the random byte texts
// that ours fits; they are left out so that both encode the same texts.
Integer DropRefused(std::vector<Sample>& corpus) {
    const size_t before = corpus.size();
    std::erase_if(corpus, [](const Sample& s) {
        QRcode* q = QRcode_encodeString(s.text.constData(), 0, QRecLevel(s.level), QR_MODE_KANJI, 1);
        QRcode_free(q);
        return q == nullptr;
    });
    return Integer(before - corpus.size());
}

}  // namespace

int main(int argc, char** argv) {
    const Integer rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    std::vector<Sample> corpus = MakeCorpus();
    const Integer dropped = DropRefused(corpus);
    TCQRCode code;
    Integer ourFailures = 0;
    Integer theirFailures = 0;
    long checksum = 0;

    const double ours = Seconds([&] {
        for (Integer r = 0; r < rounds; ++r) {
            for (const Sample& s : corpus) {
                if (code.Encode(s.level, 0, true, -1, s.text))
                    checksum += code.Size();
                else
                    ++ourFailures;
            }
        }
    });
    const double theirs = Seconds([&] {
        for (Integer r = 0; r < rounds; ++r) {
            for (const Sample& s : corpus) {
                QRcode* q = QRcode_encodeString(s.text.constData(), 0, QRecLevel(s.level), QR_MODE_KANJI, 1);
                if (q) {
                    checksum -= q->width;
                    QRcode_free(q);
                } else {
                    ++theirFailures;
                }
            }
        }
    });

    const double codes = double(corpus.size()) * rounds;
    std::printf("corpus: %zu texts x %d rounds (versions 1-40, levels L/M/Q/H, 5 kinds; %d left out)\n",
                corpus.size(), rounds, dropped);
    std::printf("TCQRCode    : %8.3f s  %10.0f codes/s  (%d refused)\n", ours, codes / ours, ourFailures);
    std::printf("libqrencode : %8.3f s  %10.0f codes/s  (%d refused)\n", theirs, codes / theirs, theirFailures);
    std::printf("ratio ours / libqrencode: %.3f\n", ours / theirs);
    std::printf("symbol widths, ours less libqrencode's (their segmentations differ): %ld modules\n", checksum);
    return 0;
}
