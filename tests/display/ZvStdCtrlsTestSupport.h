// Shared pieces of the display-control tests: a borderless white form,
// shown and active, whose window is grabbed to read what the controls drew,
// and reference drawings made with the canvas on a white bitmap.
#pragma once

#include "../framework/GraphicsTestSupport.h"
#include "Forms.h"
#include "Graphics.h"
#include "TestSupport.h"
#include "WidgetTestSupport.h"

#include <QtGui/QImage>
#include <QtWidgets/QWidget>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <ostream>

// Rectangles in failure messages.
inline std::ostream& operator<<(std::ostream& out, const TRect& r) {
    return out << "(" << r.Left << ", " << r.Top << ", " << r.Right << ", " << r.Bottom << ")";
}

class DisplayFormTest : public ::testing::Test {
protected:
    // Places control on parent (the form by default) at the given bounds.
    template <class T>
    T* Place(T* control, Integer left, Integer top, Integer width, Integer height, TWinControl* parent = nullptr) {
        control->SetParent(parent ? parent : form.get());
        control->SetBounds(left, top, width, height);
        return control;
    }

    // The whole form as it is drawn now, saved under name when one is given.
    QImage Grab(const QString& name = QString()) { return ShowAndGrab(form.get(), name); }

    // The part of the form a control covers.
    QImage GrabControl(TControl* control, const QString& name = QString()) {
        const TPoint origin = control->ClientToParent(TPoint(0, 0), form.get());
        return Grab(name).copy(origin.X, origin.Y, control->Width(), control->Height());
    }

    std::unique_ptr<TForm> form = WhiteForm(320, 240);
};

// A white w x h picture drawn by draw on a bitmap's canvas.
inline QImage Reference(Integer w, Integer h, const std::function<void(TCanvas*)>& draw) {
    auto bitmap = WhiteBitmap(w, h);
    draw(bitmap->Canvas());
    return bitmap->Image().convertToFormat(QImage::Format_RGB32);
}

// The bounding box of the pixels of one colour (right/bottom exclusive).
inline TRect ColorBox(const QImage& image, QRgb rgb) {
    TRect box(image.width(), image.height(), 0, 0);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if ((image.pixel(x, y) & 0xFFFFFF) == (rgb & 0xFFFFFF)) {
                box.Left = std::min(box.Left, x);
                box.Top = std::min(box.Top, y);
                box.Right = std::max(box.Right, x + 1);
                box.Bottom = std::max(box.Bottom, y + 1);
            }
    return box.IsEmpty() ? TRect() : box;
}
