// Records and replays report pages of 200 text lines and 50 rectangles with
// our metafile (TMetafileCanvas, then drawing the metafile onto a bitmap)
// and with Qt's QPicture (recording through QPainter, then drawPicture onto
// an image), 1, 10 and 100 pages, and prints the time ratios (ours /
// QPicture).
// Usage: emf_bench [rounds]
#include "Metafile.h"

#include <QtGui/QGuiApplication>
#include <QtGui/QPainter>
#include <QtGui/QPicture>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <vector>

namespace {

constexpr int PageWidth = 794, PageHeight = 1123;
constexpr int Lines = 200, Rectangles = 50;

QString LineText(int line) {
    return QStringLiteral("%1  請求書 No.%2  取引先 株式会社サンプル  金額 ¥%3")
        .arg(line + 1, 3)
        .arg(10000 + line)
        .arg((line + 1) * 1234);
}

TRect LinePlace(int line) {
    const int column = line / 100, row = line % 100;
    return TRect(20 + column * 390, 20 + row * 11, 400 + column * 390, 31 + row * 11);
}

TRect RectanglePlace(int i) {
    return TRect(10 + (i % 10) * 77, 10 + (i / 10) * 220, 80 + (i % 10) * 77, 200 + (i / 10) * 220);
}

// ---- ours

std::unique_ptr<TMetafile> RecordOurs() {
    auto metafile = std::make_unique<TMetafile>();
    metafile->SetWidth(PageWidth);
    metafile->SetHeight(PageHeight);
    TMetafileCanvas canvas(metafile.get());
    canvas.Font()->SetName(QStringLiteral("ＭＳ Ｐゴシック"));
    canvas.Font()->SetHeight(-10);
    canvas.Brush()->SetStyle(bsClear);
    for (int i = 0; i < Rectangles; ++i) canvas.Rectangle(RectanglePlace(i));
    for (int line = 0; line < Lines; ++line) {
        const TRect r = LinePlace(line);
        canvas.TextOut(r.Left, r.Top, LineText(line));
    }
    return metafile;
}

void ReplayOurs(TMetafile& metafile, TBitmap& target) {
    target.Canvas()->Draw(0, 0, &metafile);
}

// ---- QPicture

QFont PeerFont() {
    QFont font(QStringLiteral("IPAPGothic"));
    font.setPixelSize(10);
    font.setKerning(false);
    font.setStyleStrategy(QFont::NoAntialias);
    return font;
}

std::unique_ptr<QPicture> RecordPeer() {
    auto picture = std::make_unique<QPicture>();
    QPainter p(picture.get());
    p.setFont(PeerFont());
    p.setBrush(Qt::NoBrush);
    for (int i = 0; i < Rectangles; ++i) {
        const TRect r = RectanglePlace(i);
        p.drawRect(QRect(r.Left, r.Top, r.Width() - 1, r.Height() - 1));
    }
    const int ascent = QFontMetrics(PeerFont()).ascent();
    for (int line = 0; line < Lines; ++line) {
        const TRect r = LinePlace(line);
        p.drawText(QPoint(r.Left, r.Top + ascent), LineText(line));
    }
    return picture;
}

void ReplayPeer(const QPicture& picture, QImage& target) {
    QPainter p(&target);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setRenderHint(QPainter::TextAntialiasing, false);
    p.drawPicture(0, 0, picture);
}

// ---- timing

double Seconds(const std::function<void()>& work, int rounds) {
    double best = 1e30;
    for (int r = 0; r < rounds; ++r) {
        const auto start = std::chrono::steady_clock::now();
        work();
        best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    return best;
}

void Compare(const char* what, int pages, double ours, double peer) {
    std::printf("%-28s %3d page(s): ours %9.2f ms, QPicture %9.2f ms, ratio %.3f\n", what, pages, ours * 1000,
                peer * 1000, ours / peer);
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QGuiApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;

    // Warm the font caches of both sides.
    {
        auto warm = RecordOurs();
        TBitmap bitmap;
        bitmap.SetSize(PageWidth, PageHeight);
        ReplayOurs(*warm, bitmap);
        QImage image(PageWidth, PageHeight, QImage::Format_RGB32);
        ReplayPeer(*RecordPeer(), image);
    }

    for (int pages : {1, 10, 100}) {
        const int repeat = pages == 100 ? 1 : pages == 10 ? rounds : rounds * 5;
        std::vector<std::unique_ptr<TMetafile>> ours{size_t(pages)};
        std::vector<std::unique_ptr<QPicture>> peer{size_t(pages)};
        TBitmap bitmap;
        bitmap.SetSize(PageWidth, PageHeight);
        QImage image(PageWidth, PageHeight, QImage::Format_RGB32);
        image.fill(Qt::white);

        const double recordOurs = Seconds([&] { for (auto& m : ours) m = RecordOurs(); }, repeat);
        const double recordPeer = Seconds([&] { for (auto& p : peer) p = RecordPeer(); }, repeat);
        const double replayOurs = Seconds([&] { for (auto& m : ours) ReplayOurs(*m, bitmap); }, repeat);
        const double replayPeer = Seconds([&] { for (auto& p : peer) ReplayPeer(*p, image); }, repeat);
        Compare("record", pages, recordOurs, recordPeer);
        Compare("replay", pages, replayOurs, replayPeer);
        Compare("record and replay", pages, recordOurs + replayOurs, recordPeer + replayPeer);
        if (pages == 1)
            std::printf("page sizes: metafile %lld bytes, QPicture %u bytes\n",
                        static_cast<long long>(ours[0]->Data().size()), peer[0]->size());
    }
    return 0;
}
