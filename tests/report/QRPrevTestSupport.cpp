#include "QRPrevTestSupport.h"

#include "Controls.h"
#include "Graphics.h"

#include <QtGui/QImage>
#include <QtWidgets/QWidget>

QString LatinLine(int n) {
    return QStringLiteral("Invoice line %1 Total").arg(n);
}

QString JapaneseLine(int n) {
    return QStringLiteral("請求書 第%1頁 合計金額").arg(n);
}

void ProducePages(TQRPrinter& printer, int count, const std::function<void(int)>& between, bool keepOpen) {
    printer.BeginDoc();
    for (int n = 1; n <= count; ++n) {
        printer.NewPage();
        TCanvas* canvas = printer.Canvas();
        canvas->Rectangle(printer.XPos(100), printer.YPos(100), printer.XPos(printer.PaperWidth() - 100),
                          printer.YPos(printer.PaperLength() - 100));
        canvas->Font()->SetName(QStringLiteral("Arial"));
        canvas->Font()->SetHeight(-printer.YSize(50));
        canvas->TextOut(printer.XPos(200), printer.YPos(200), LatinLine(n));
        canvas->Font()->SetName(QStringLiteral("ＭＳ ゴシック"));
        canvas->TextOut(printer.XPos(200), printer.YPos(400), JapaneseLine(n));
        canvas->Font()->SetHeight(-printer.YSize(400));
        canvas->TextOut(printer.XPos(800), printer.YPos(1200), QString::number(n));
        if (between) between(n);
    }
    if (!keepOpen) printer.EndDoc();
}

QImage GrabControl(TControl* control) {
    return control->Handle()->grab().toImage();
}
