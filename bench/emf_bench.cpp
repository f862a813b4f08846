// Records and replays report pages of 200 text lines and 50 rectangles with
// our metafile (TMetafileCanvas, then drawing the metafile onto a bitmap)
// and with Qt's QPicture (recording through QPainter, then drawPicture onto
// an image), 1, 10 and 100 pages, in turns (BenchSupport.h). The first
// page replayed by both must carry the same ink on every text line, within
// kTolerance. Prints the ratios of processor times ours / QPicture.
#include "BenchSupport.h"
#include "Metafile.h"

#include <QtGui/QGuiApplication>
#include <QtGui/QPainter>
#include <QtGui/QPicture>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

constexpr int PageWidth = 794, PageHeight = 1123;
constexpr int Lines = 200, Rectangles = 50;
constexpr double kTolerance = 0.05;

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

// ---- the check

// Dark pixels in a rectangle of a picture.
Int64 Ink(const QImage& image, const TRect& r) {
    Int64 n = 0;
    for (int y = r.Top; y < r.Bottom; ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = r.Left; x < r.Right; ++x) n += qGray(row[x]) < 128 ? 1 : 0;
    }
    return n;
}

// The first page of each side replayed onto white; the two text renderers
// place glyphs a pixel apart here and there (ours at whole-pixel advances),
// so the pages are compared by the ink of every text line: the largest
// difference of a line, relative to the peer's.
double LineInkDifference(TMetafile& ours, const QPicture& peer) {
    TBitmap bitmap;
    bitmap.SetSize(PageWidth, PageHeight);
    bitmap.Canvas()->Brush()->SetColor(clWhite);
    bitmap.Canvas()->FillRect(TRect(0, 0, PageWidth, PageHeight));
    ReplayOurs(ours, bitmap);
    const QImage a = bitmap.Image().convertToFormat(QImage::Format_RGB32);
    QImage b(PageWidth, PageHeight, QImage::Format_RGB32);
    b.fill(Qt::white);
    ReplayPeer(peer, b);
    double most = 0;
    for (int line = 0; line < Lines; ++line) {
        const Int64 theirs = Ink(b, LinePlace(line));
        most = std::max(most, std::abs(double(Ink(a, LinePlace(line)) - theirs)) / double(std::max<Int64>(theirs, 1)));
    }
    return most;
}

// ---- timing

void Print(const char* what, int pages, const bench::Best& best, const std::string& note) {
    bench::PrintTimeRatio(bench::Format("%-18s %3d page(s)", what, pages), "QPicture", best, bench::kMinRounds, true,
                          note);
}

void Run(int pages, bench::Growth& growth) {
    std::vector<std::unique_ptr<TMetafile>> ours{size_t(pages)};
    std::vector<std::unique_ptr<QPicture>> peer{size_t(pages)};
    TBitmap bitmap;
    bitmap.SetSize(PageWidth, PageHeight);
    QImage image(PageWidth, PageHeight, QImage::Format_RGB32);
    image.fill(Qt::white);

    bench::Best record, replay;
    double difference = 0;
    for (bench::Turns turns(bench::Format("%d page(s)", pages)); turns.Next();) {
        turns.Time(record, [&] { for (auto& m : ours) m = RecordOurs(); },
                   [&] { for (auto& p : peer) p = RecordPeer(); });
        turns.Time(replay, [&] { for (auto& m : ours) ReplayOurs(*m, bitmap); },
                   [&] { for (auto& p : peer) ReplayPeer(*p, image); });
        difference = LineInkDifference(*ours.front(), *peer.front());
        turns.Check("replayed page", difference <= kTolerance
                                         ? std::string()
                                         : bench::Format("a text line's ink differs by %.1f%%", difference * 100));
    }
    const std::string note = bench::Format("the ink of every replayed text line within %.0f%% (at most %.1f%%)",
                                           kTolerance * 100, difference * 100);
    Print("record", pages, record, note);
    Print("replay", pages, replay, note);
    bench::Best both;
    both.Ours = {record.Ours.Wall + replay.Ours.Wall, record.Ours.Cpu + replay.Ours.Cpu};
    both.Peer = {record.Peer.Wall + replay.Peer.Wall, record.Peer.Cpu + replay.Peer.Cpu};
    Print("record and replay", pages, both, note + ", the best record and the best replay added");
    if (pages == 1)
        std::printf("page sizes: metafile %lld bytes, QPicture %u bytes\n",
                    static_cast<long long>(ours[0]->Data().size()), peer[0]->size());
    growth.Add("ours, record and replay", pages, both.Ours.Cpu);
    growth.Add("QPicture, record and replay", pages, both.Peer.Cpu);
}

}  // namespace

int main(int argc, char** argv) {
    bench::OffscreenUnlessSet();
    QGuiApplication app(argc, argv);
    bench::Growth growth;
    for (int pages : {1, 10, 100}) Run(pages, growth);
    growth.Print();
    return 0;
}
