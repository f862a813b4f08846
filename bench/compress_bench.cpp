// The page coder against zlib at level 6 on the same blocks, in one run:
// report pages recorded as metafiles (each page coded on its own, as the
// page store does) and a mixed corpus of text, pixels and noise, at 1, 10
// and 100 times a base size. Prints, per corpus and size, a time line
// (compress + expand) and a size line, each ending with ours / zlib.
// Usage: compress_bench [rounds]
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
#include <time.h>
#include <vector>

namespace {

// Processor time of this thread: the machine may be busy with other work.
double cpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}
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

struct Result {
    double seconds = 1e30;
    Int64 size = 0;
};

// One pass of ours over the blocks: compress, expand, check.
void oursOnce(const Blocks& blocks, Result& r) {
    const double start = cpuSeconds();
    Int64 size = 0;
    for (const QByteArray& data : blocks) {
        TMemoryStream code;
        {
            TQRCompress coder(code, true);
            coder.CompressBytes(reinterpret_cast<const Byte*>(data.constData()), data.size());
            coder.Finish();
        }
        size += code.Size();
        code.SetPosition(0);
        QByteArray back(data.size(), '\0');
        TQRCompress expander(code, false, code.Size());
        expander.ExpandBytes(reinterpret_cast<Byte*>(back.data()), back.size());
        if (back != data) std::abort();
    }
    r.seconds = std::min(r.seconds, cpuSeconds() - start);
    r.size = size;
}

void zlibOnce(const Blocks& blocks, Result& r) {
    const double start = cpuSeconds();
    Int64 size = 0;
    for (const QByteArray& data : blocks) {
        uLongf codeSize = compressBound(uLong(data.size()));
        QByteArray code(qsizetype(codeSize), '\0');
        compress2(reinterpret_cast<Bytef*>(code.data()), &codeSize, reinterpret_cast<const Bytef*>(data.constData()),
                  uLong(data.size()), 6);
        size += Int64(codeSize);
        QByteArray back(data.size(), '\0');
        uLongf backSize = uLongf(back.size());
        uncompress(reinterpret_cast<Bytef*>(back.data()), &backSize, reinterpret_cast<const Bytef*>(code.constData()),
                   codeSize);
        if (back != data) std::abort();
    }
    r.seconds = std::min(r.seconds, cpuSeconds() - start);
    r.size = size;
}

void compare(const char* name, int scale, const Blocks& blocks, int rounds) {
    Int64 bytes = 0;
    for (const QByteArray& b : blocks) bytes += b.size();
    // The two sides take turns, so a slow spell of the machine falls on both.
    Result a;
    Result z;
    for (int round = 0; round < rounds; ++round) {
        oursOnce(blocks, a);
        zlibOnce(blocks, z);
    }
    std::printf("%-6s x%-3d %5zu blocks %9lld bytes: ours %8.2f ms, zlib-6 %8.2f ms; time ratio %.2f\n", name, scale,
                blocks.size(), (long long)bytes, a.seconds * 1e3, z.seconds * 1e3, a.seconds / z.seconds);
    std::printf("%-6s x%-3d %5zu blocks %9lld bytes: ours %9lld bytes, zlib-6 %9lld bytes; size ratio %.2f\n", name,
                scale, blocks.size(), (long long)bytes, (long long)a.size, (long long)z.size,
                double(a.size) / double(z.size));
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    const Blocks allPages = pages(400);
    for (int scale : {1, 10, 100}) compare("pages", scale, Blocks(allPages.begin(), allPages.begin() + 4 * scale), rounds);
    for (int scale : {1, 10, 100}) compare("mixed", scale, mixed(scale), rounds);
    return 0;
}
