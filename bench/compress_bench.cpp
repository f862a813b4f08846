// The page coder against zlib at level 6 on the same blocks, in one run:
// report pages recorded as metafiles (each page coded on its own, as the
// page store does) and a mixed corpus of text, pixels and noise, at 1, 10
// and 100 times a base size. Each round compresses and expands every block
// once on each side, in turns (BenchSupport.h), and both must give every
// block back as it was. Prints, per corpus and size, a time line
// (compress + expand, processor time) and a size line, each ending with
// ours / zlib, then how the times grow with the bytes.
#include "BenchSupport.h"
#include "Metafile.h"
#include "QRPrntr.h"

#include <QtCore/QDir>
#include <QtCore/QDirIterator>
#include <QtCore/QFile>
#include <QtGui/QGuiApplication>

#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

namespace {

using Blocks = std::vector<QByteArray>;

// A report page as the bands draw it: title, rule, striped rows of text.
QByteArray reportPage(int number) {
    TMetafile page;
    page.SetWidth(794);
    page.SetHeight(1123);
    {
        TMetafileCanvas c(&page);
        c.Font()->SetName(QStringLiteral("ＭＳ Ｐゴシック"));
        c.Font()->SetHeight(-16);
        c.TextOut(60, 40, QStringLiteral("売上伝票 %1 ページ").arg(number));
        c.MoveTo(60, 70);
        c.LineTo(734, 70);
        c.Font()->SetName(QStringLiteral("Arial"));
        c.Font()->SetHeight(-12);
        for (int row = 0; row < 45; ++row) {
            const int y = 90 + row * 20;
            c.Brush()->SetColor(row % 2 ? clWhite : clSilver);
            c.Rectangle(60, y, 734, y + 21);
            c.Brush()->SetStyle(bsClear);
            c.TextOut(70, y + 3, QStringLiteral("Article %1 / customer %2").arg(row * 37 + number).arg(number * 11 % 97));
            c.TextOut(600, y + 3, QStringLiteral("%L1").arg((row + 3) * 1234.5 * number, 0, 'f', 0));
            c.Brush()->SetStyle(bsSolid);
        }
    }
    return page.Data();
}

Blocks pages(int count) {
    Blocks blocks;
    for (int i = 1; i <= count; ++i) blocks.push_back(reportPage(i));
    return blocks;
}

// Source text of this tree, raw pixels of a rendered page, and noise, cut
// into 64 KB blocks in turn.
Blocks mixed(int scale) {
    QByteArray text;
    QDirIterator it(QStringLiteral(VELMORA_SOURCE_DIR "/framework"), {QStringLiteral("*.cpp")});
    while (it.hasNext() && text.size() < 4 << 20) {
        QFile f(it.next());
        if (f.open(QIODevice::ReadOnly)) text += f.readAll();
    }
    TMetafile page;
    page.SetData(reportPage(1));
    TBitmap bitmap;
    bitmap.SetSize(page.Width(), page.Height());
    bitmap.Canvas()->Draw(0, 0, &page);
    const QByteArray pixels(reinterpret_cast<const char*>(bitmap.Image().constBits()), bitmap.Image().sizeInBytes());
    std::mt19937 random(5);
    Blocks blocks;
    constexpr int block = 64 << 10;
    for (int i = 0; i < 4 * scale; ++i) {
        const int at = (i * 7919 % 50) * block;
        switch (i % 4) {
        case 0:
        case 1: blocks.push_back(text.mid(at % std::max<qsizetype>(text.size() - block, 1), block)); break;
        case 2: blocks.push_back(pixels.mid(at % (pixels.size() - block), block)); break;
        default: {
            QByteArray noise(block, '\0');
            for (auto& b : noise) b = char(random() % 16 ? random() % 8 : random());
            blocks.push_back(noise);
        }
        }
    }
    return blocks;
}

// What one pass made: the coded bytes, and whether every block came back.
struct Output {
    Int64 size = 0;
    bool back = false;
};

// One pass of ours over the blocks: compress, expand, compare.
Output oursOnce(const Blocks& blocks) {
    Output out{0, true};
    for (const QByteArray& data : blocks) {
        TMemoryStream code;
        {
            TQRCompress coder(code, true);
            coder.CompressBytes(reinterpret_cast<const Byte*>(data.constData()), data.size());
            coder.Finish();
        }
        out.size += code.Size();
        code.SetPosition(0);
        QByteArray back(data.size(), '\0');
        TQRCompress expander(code, false, code.Size());
        expander.ExpandBytes(reinterpret_cast<Byte*>(back.data()), back.size());
        out.back = out.back && back == data;
    }
    return out;
}

Output zlibOnce(const Blocks& blocks) {
    Output out{0, true};
    for (const QByteArray& data : blocks) {
        uLongf codeSize = compressBound(uLong(data.size()));
        QByteArray code(qsizetype(codeSize), '\0');
        compress2(reinterpret_cast<Bytef*>(code.data()), &codeSize, reinterpret_cast<const Bytef*>(data.constData()),
                  uLong(data.size()), 6);
        out.size += Int64(codeSize);
        QByteArray back(data.size(), '\0');
        uLongf backSize = uLongf(back.size());
        uncompress(reinterpret_cast<Bytef*>(back.data()), &backSize, reinterpret_cast<const Bytef*>(code.constData()),
                   codeSize);
        out.back = out.back && back == data;
    }
    return out;
}

// The coded data differ by design (two coders): both sides must give every
// block back as it was; the sizes get a line of their own.
std::string Differ(const Output& ours, const Output& zlib) {
    if (ours.back && zlib.back) return {};
    return std::string(ours.back ? "zlib" : "ours") + " did not give every block back";
}

void compare(const char* name, int scale, const Blocks& blocks, bench::Growth& growth) {
    Int64 bytes = 0;
    for (const QByteArray& b : blocks) bytes += b.size();
    Output ours, zlib;
    const std::string label = bench::Format("%-6s x%-3d %5zu blocks %9lld bytes", name, scale, blocks.size(),
                                            (long long)bytes);
    const bench::Best best = bench::Compare(
        label, [&] { return ours = oursOnce(blocks); }, [&] { return zlib = zlibOnce(blocks); }, Differ);
    bench::PrintTimeRatio(label + ", compress and expand", "zlib-6", best, bench::kMinRounds, true,
                          "every block back on both sides, coded in two different formats");
    bench::PrintRatio(bench::Format("%s, coded size: ours %lld bytes, zlib-6 %lld bytes", label.c_str(),
                                    (long long)ours.size, (long long)zlib.size),
                      double(ours.size) / double(zlib.size));
    growth.Add(std::string("ours, ") + name, double(bytes), best.Ours.Cpu);
    growth.Add(std::string("zlib-6, ") + name, double(bytes), best.Peer.Cpu);
}

}  // namespace

int main(int argc, char** argv) {
    bench::OffscreenUnlessSet();
    QGuiApplication app(argc, argv);
    const Blocks allPages = pages(400);
    bench::Growth growth;
    for (int scale : {1, 10, 100}) compare("pages", scale, Blocks(allPages.begin(), allPages.begin() + 4 * scale), growth);
    for (int scale : {1, 10, 100}) compare("mixed", scale, mixed(scale), growth);
    growth.Print();
    return 0;
}
