// Encodes one corpus of texts into QR symbols with TCQRCode and with
// libqrencode, the same symbols on both sides: libqrencode is given the
// segments (modes and lengths), version and level ours chose, since its own
// segmentation makes other, wider symbols for some texts (a line says how
// many). The mask is chosen by each side's penalty score, then fixed, the
// same on both. Before timing, every symbol of both sides is compared
// module for module and decoded by zbar back to its text; in every round
// the two sides' widths must agree. Ratio lines per size class of
// versions (1-9, 10-26, 27-40) and for the whole corpus, in processor time.
#include "BenchSupport.h"
#include "CBarCode.h"
#include "ZbarDecode.h"

#include <QtGui/QImage>

#include <qrencode.h>

#include <cstdio>
#include <random>
#include <vector>

// Exported by libqrencode though not declared in its header: encoding with
// a fixed mask. Weak, so that a build of the library without it only
// leaves the fixed-mask lines out.
extern "C" QRcode* QRcode_encodeMask(QRinput* input, int mask) __attribute__((weak));

namespace {

// The standard engine, whose sequence is the same everywhere, so the
// corpus is too.
using Rng = std::mt19937;

Integer Below(Rng& rng, Integer n) { return Integer(rng() % uint32_t(n)); }

// One text and the symbol ours makes of it, which libqrencode is asked for.
struct Sample {
    QByteArray text;
    Integer level = 0;
    Integer version = 0;
    Integer mask = -1;  // -1: chosen by each side
    std::vector<TQRSegment> segments;
    bool otherMask = false;  // the two penalty scores chose different masks

    Integer Modules() const { return (4 * version + 17) * (4 * version + 17); }
};

const char kAlphanumericSet[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ $%*+-./:";

void AppendCharacter(Integer kind, QByteArray& text, Rng& rng) {
    switch (kind) {
    case 0: text.append(char('0' + Below(rng, 10))); break;
    case 1: text.append(kAlphanumericSet[Below(rng, 45)]); break;
    case 2: text.append(char(1 + Below(rng, 255))); break;  // no NUL: libqrencode's own road takes C strings
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
                Sample s;
                s.level = level;
                while (s.text.size() < characters) {
                    const Integer k = kind < 4 ? kind : Below(rng, 4);
                    const Integer run = kind < 4 ? 1 : 1 + Below(rng, 10);
                    for (Integer i = 0; i < run; ++i) AppendCharacter(k, s.text, rng);
                }
                corpus.push_back(s);
            }
        }
    }
    return corpus;
}

// Ours' version and segments for every text, which the peer is asked for.
void Plan(std::vector<Sample>& corpus) {
    TCQRCode code;
    for (Sample& s : corpus) {
        if (!code.Encode(s.level, 0, true, -1, s.text)) {
            std::fprintf(stderr, "ours refused a text of %lld bytes\n", (long long)s.text.size());
            std::exit(1);
        }
        s.version = code.Version();
        s.segments = code.Segments();
    }
}

bool OursEncode(TCQRCode& code, const Sample& s) { return code.Encode(s.level, 0, true, s.mask, s.text); }

// libqrencode's symbol of the same segments, version and level; null when refused.
QRcode* PeerEncode(const Sample& s) {
    static const QRencodeMode kModes[4] = {QR_MODE_NUM, QR_MODE_AN, QR_MODE_8, QR_MODE_KANJI};
    QRinput* input = QRinput_new2(s.version, QRecLevel(s.level));
    if (!input) return nullptr;
    const auto* p = reinterpret_cast<const unsigned char*>(s.text.constData());
    for (const TQRSegment& seg : s.segments) {
        if (QRinput_append(input, kModes[seg.Mode], seg.Count, p) != 0) {
            QRinput_free(input);
            return nullptr;
        }
        p += seg.Count;
    }
    QRcode* code = s.mask < 0 ? QRcode_encodeInput(input) : QRcode_encodeMask(input, s.mask);
    QRinput_free(input);
    return code;
}

// ------------------------------------------------------------ checks, before timing

// A symbol drawn 3 pixels a module inside a quiet zone of 4 modules.
template <class Dark>
QImage Picture(Integer width, Dark dark) {
    constexpr int kScale = 3, kQuiet = 4;
    QImage image((width + 2 * kQuiet) * kScale, (width + 2 * kQuiet) * kScale, QImage::Format_Grayscale8);
    image.fill(255);
    for (Integer y = 0; y < width; ++y)
        for (Integer x = 0; x < width; ++x)
            if (dark(x, y))
                for (int dy = 0; dy < kScale; ++dy)
                    std::fill_n(image.scanLine((y + kQuiet) * kScale + dy) + (x + kQuiet) * kScale, kScale, 0);
    return image;
}

bool DecodesTo(const QImage& image, const QByteArray& text) {
    const std::vector<ZbarSymbol> symbols = ZbarDecode(image, {"disable", "qrcode.enable"});
    return symbols.size() == 1 && symbols.front().data == text;
}

// Both sides' symbol of every text: the same width, the same modules unless
// the masks chosen differ (marked), and zbar reads the text back from each.
void CheckSymbols(std::vector<Sample>& corpus) {
    TCQRCode ours;
    for (size_t i = 0; i < corpus.size(); ++i) {
        Sample& s = corpus[i];
        QRcode* peer = PeerEncode(s);
        const bool made = OursEncode(ours, s) && peer && peer->width == ours.Size();
        bool same = made;
        for (Integer y = 0; same && y < ours.Size(); ++y)
            for (Integer x = 0; same && x < ours.Size(); ++x)
                same = (peer->data[y * peer->width + x] & 1) == ours.Modules(x, y);
        const auto peerDark = [peer](Integer x, Integer y) { return peer->data[y * peer->width + x] & 1; };
        const auto oursDark = [&ours](Integer x, Integer y) { return ours.Modules(x, y) == 1; };
        const bool read = made && DecodesTo(Picture(ours.Size(), oursDark), s.text) &&
                          DecodesTo(Picture(peer->width, peerDark), s.text);
        if (!read || (!same && s.mask >= 0)) {
            std::fprintf(stderr, "text %zu (version %d, level %d, mask %d): %s\n", i, s.version, s.level, s.mask,
                         !made ? "the sides made symbols of other sizes" : !read ? "zbar does not read both symbols"
                                                                                : "the symbols differ");
            std::exit(1);
        }
        s.otherMask = !same;
        QRcode_free(peer);
    }
}

// libqrencode segmenting on its own: how many texts it refuses and how much
// wider its symbols are, the reason it is given our segments.
void PrintOwnSegmentation(const std::vector<Sample>& corpus) {
    TCQRCode ours;
    Integer refused = 0, compared = 0;
    Int64 wider = 0;
    for (const Sample& s : corpus) {
        QRcode* q = QRcode_encodeString(s.text.constData(), 0, QRecLevel(s.level), QR_MODE_KANJI, 1);
        if (!q) {
            ++refused;
            continue;
        }
        OursEncode(ours, s);
        wider += q->width - ours.Size();
        ++compared;
        QRcode_free(q);
    }
    std::printf("libqrencode segmenting on its own (not timed): %d of %zu texts refused, the others %.2f modules "
                "wider on average\n",
                refused, corpus.size(), double(wider) / std::max(compared, 1));
}

// ------------------------------------------------------------ timing

// The symbols' widths, which both sides must agree on in every round.
using Widths = std::vector<Integer>;

// growth, when given, gets the time per symbol against its modules.
void Compare(const char* what, const std::vector<Sample>& corpus, bench::Growth* growth) {
    TCQRCode code;
    const auto ours = [&] {
        Widths widths;
        for (const Sample& s : corpus) widths.push_back(OursEncode(code, s) ? code.Size() : 0);
        return widths;
    };
    const auto peer = [&] {
        Widths widths;
        for (const Sample& s : corpus) {
            QRcode* q = PeerEncode(s);
            widths.push_back(q ? q->width : 0);
            QRcode_free(q);
        }
        return widths;
    };
    const bench::Best best = bench::Compare(what, ours, peer, [](const Widths& o, const Widths& p) {
        return o == p ? std::string() : std::string("the symbols' widths differ");
    });
    Int64 modules = 0;
    Integer otherMasks = 0;
    for (const Sample& s : corpus) {
        modules += s.Modules();
        otherMasks += s.otherMask ? 1 : 0;
    }
    const double perSymbol = double(modules) / double(corpus.size());
    const std::string note = bench::Format(
        "%zu symbols of %.0f modules on average on both sides, zbar reads all back%s, segments and version chosen "
        "on our side only",
        corpus.size(), perSymbol, otherMasks ? bench::Format(" (%d other masks chosen)", otherMasks).c_str() : "");
    bench::PrintTimeRatio(what, "libqrencode", best, bench::kMinRounds, true, note);
    if (!growth) return;
    const std::string masks = corpus.front().mask < 0 ? "masks chosen" : "mask fixed";
    growth->Add("ours, " + masks, perSymbol, best.Ours.Cpu / double(corpus.size()));
    growth->Add("libqrencode, " + masks, perSymbol, best.Peer.Cpu / double(corpus.size()));
}

std::vector<Sample> Versions(const std::vector<Sample>& corpus, Integer from, Integer to) {
    std::vector<Sample> part;
    for (const Sample& s : corpus)
        if (s.version >= from && s.version <= to) part.push_back(s);
    return part;
}

}  // namespace

int main() {
    std::vector<Sample> corpus = MakeCorpus();
    Plan(corpus);
    PrintOwnSegmentation(corpus);
    bench::Growth growth;
    for (bool fixedMask : {false, true}) {
        if (fixedMask && !QRcode_encodeMask) {
            std::printf("fixed masks: left out, this libqrencode cannot be given a mask\n");
            break;
        }
        for (size_t i = 0; i < corpus.size(); ++i) corpus[i].mask = fixedMask ? Integer(i % 8) : -1;
        CheckSymbols(corpus);
        const char* mask = fixedMask ? "mask fixed (0-7 in turn)" : "masks chosen by penalty";
        for (auto [from, to] : {std::pair{1, 9}, {10, 26}, {27, 40}})
            Compare(bench::Format("versions %2d-%2d, %s", from, to, mask).c_str(), Versions(corpus, from, to),
                    &growth);
        Compare(bench::Format("all versions,  %s", mask).c_str(), corpus, nullptr);
    }
    growth.Print();
    return 0;
}
