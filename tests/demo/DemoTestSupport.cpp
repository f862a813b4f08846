#include "DemoTestSupport.h"

#include "Graphics.h"
#include "SBtn.h"
#include "SEdit.h"

#include <QtCore/QElapsedTimer>
#include <QtCore/QTimer>
#include <QtGui/QImage>
#include <QtWidgets/QApplication>
#include <QtWidgets/QWidget>

#include <gtest/gtest.h>

#include <vector>

QImage GrabForm(TCustomForm* form) {
    return form->Handle()->grab().toImage();
}

QImage GrabControl(TControl* control) {
    return control->Handle()->grab().toImage();
}

namespace {

// The box around the pixels where two images of one size differ.
QRect Differing(const QImage& a, const QImage& b) {
    QRect box;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y)) box |= QRect(x, y, 1, 1);
    return box;
}

// The pixels a button's caption paints: the button drawn with it against
// the button drawn without.
QRect CaptionInk(TSBtn* button) {
    const QString caption = button->Caption();
    const QImage with = GrabControl(button);
    button->SetCaption(QString());
    const QImage without = GrabControl(button);
    button->SetCaption(caption);
    return Differing(with, without);
}

// The pixels a text paints in a font on a blank bitmap of room enough.
QRect TextInk(const QString& text, TFont* font) {
    TBitmap bitmap;
    bitmap.SetSize(600, 100);
    const QImage blank = bitmap.Image().copy();
    bitmap.Canvas()->Font()->Assign(font);
    bitmap.Canvas()->Font()->SetColor(clBlack);
    bitmap.Canvas()->TextOut(20, 20, text);
    return Differing(bitmap.Image(), blank);
}

}  // namespace

void ExpectCaptionInside(TSBtn* button) {
    const QRect ink = CaptionInk(button);
    const std::string name = (button->Name() + QStringLiteral(" \"") + button->Caption() + u'"').toStdString();
    ASSERT_FALSE(ink.isEmpty()) << name;
    // Whole: as wide as the caption drawn alone in the button's font.
    EXPECT_EQ(ink.width(), TextInk(button->Caption(), button->Font()).width()) << name;
    // The frame is the outermost pixel; the one inside it stays face.
    EXPECT_GE(ink.left(), 2) << name;
    EXPECT_LE(ink.right(), button->Width() - 3) << name;
}

void WhenModalActive(std::function<void(QWidget* modal)> action, QWidget* excluded, int timeoutMs) {
    auto* timer = new QTimer;
    auto* clock = new QElapsedTimer;
    clock->start();
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, clock, action, excluded, timeoutMs] {
        QWidget* modal = QApplication::activeModalWidget();
        const bool ready = modal && modal != excluded && modal->isVisible() && modal->isActiveWindow();
        if (!ready && clock->elapsed() < timeoutMs) return;
        timer->stop();
        timer->deleteLater();
        delete clock;
        if (ready) {
            action(modal);
            return;
        }
        ADD_FAILURE() << "no modal window became active";
        if (modal) modal->close();
    });
    timer->start();
}

namespace {

bool Overlap(const TRect& a, const TRect& b) {
    return a.Left < b.Right && b.Left < a.Right && a.Top < b.Bottom && b.Top < a.Bottom;
}

}  // namespace

void ExpectTidyLayout(TWinControl* parent) {
    // A window's controls stay in its client area, a panel's within the
    // panel (they may cover its border).
    const TRect client = dynamic_cast<TCustomForm*>(parent) ? parent->ClientRect()
                                                             : Bounds(0, 0, parent->Width(), parent->Height());
    std::vector<TControl*> shown;
    for (Integer i = 0; i < parent->ControlCount(); ++i) {
        TControl* c = parent->Controls(i);
        if (c->Visible()) shown.push_back(c);
    }
    for (size_t i = 0; i < shown.size(); ++i) {
        const TRect r = shown[i]->BoundsRect();
        // An entry box sizes its host panel itself, by its own layout rules.
        const bool sizesParent = dynamic_cast<TEntryBox*>(shown[i]) != nullptr;
        EXPECT_TRUE(sizesParent || (r.Left >= client.Left && r.Top >= client.Top && r.Right <= client.Right && r.Bottom <= client.Bottom))
            << shown[i]->Name().toStdString() << " (" << r.Left << "," << r.Top << "," << r.Right << "," << r.Bottom << ") leaves " << parent->Name().toStdString() << " (" << client.Right << "," << client.Bottom << ")";
        for (size_t j = i + 1; j < shown.size(); ++j) {
            EXPECT_FALSE(Overlap(r, shown[j]->BoundsRect()))
                << shown[i]->Name().toStdString() << " overlaps " << shown[j]->Name().toStdString();
        }
        if (auto* w = dynamic_cast<TWinControl*>(shown[i])) ExpectTidyLayout(w);
    }
}
