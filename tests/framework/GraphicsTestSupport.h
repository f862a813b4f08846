// Helpers of the drawing tests: a white 24-bit bitmap to draw on, ways to
// read back what was drawn and a device counting what its painter does.
#pragma once

#include "Graphics.h"

#include <QtGui/QImage>
#include <QtGui/QPaintDevice>
#include <QtGui/QPaintEngine>

#include <memory>

// A white bitmap of w x h pixels.
inline std::unique_ptr<TBitmap> WhiteBitmap(Integer w, Integer h) {
    auto bitmap = std::make_unique<TBitmap>();
    bitmap->SetPixelFormat(pf24bit);
    bitmap->SetSize(w, h);
    return bitmap;
}

// The colour a TColor draws as, without alpha (system colours resolved).
inline QRgb RgbOf(TColor c) {
    return ToQColor(c).rgb() & 0xFFFFFF;
}

// A pixel of a bitmap, without alpha.
inline QRgb PixelAt(const TBitmap& b, int x, int y) {
    return b.Image().pixel(x, y) & 0xFFFFFF;
}

inline bool IsWhite(const QImage& image, int x, int y) {
    return (image.pixel(x, y) & 0xFFFFFF) == 0xFFFFFF;
}

// Bounding box of the pixels that are not white (right/bottom exclusive);
// an empty rect when all are white.
inline TRect InkBox(const QImage& image) {
    TRect box(image.width(), image.height(), 0, 0);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (!IsWhite(image, x, y)) {
                box.Left = std::min(box.Left, x);
                box.Top = std::min(box.Top, y);
                box.Right = std::max(box.Right, x + 1);
                box.Bottom = std::max(box.Bottom, y + 1);
            }
    return box.IsEmpty() ? TRect() : box;
}

inline int InkCount(const QImage& image, const TRect& area) {
    int n = 0;
    for (int y = std::max(0, area.Top); y < std::min(image.height(), area.Bottom); ++y)
        for (int x = std::max(0, area.Left); x < std::min(image.width(), area.Right); ++x)
            if (!IsWhite(image, x, y)) ++n;
    return n;
}

// A device that draws nothing and counts what its painter asks of it: the
// state changes the painter hands on before drawing, and the drawing calls.
class TCountingDevice : public QPaintDevice {
public:
    TCountingDevice(int width, int height) : width_(width), height_(height) {}
    QPaintEngine* paintEngine() const override { return &engine_; }

    struct Counts {
        int TransformChanges = 0;
        int ClipChanges = 0;
        int Texts = 0;
        int Rects = 0;
    };
    Counts& Counted() const { return engine_.counts; }

protected:
    int metric(PaintDeviceMetric m) const override {
        switch (m) {
            case PdmWidth: return width_;
            case PdmHeight: return height_;
            case PdmDpiX:
            case PdmDpiY:
            case PdmPhysicalDpiX:
            case PdmPhysicalDpiY: return 96;
            case PdmDepth: return 32;
            case PdmDevicePixelRatio: return 1;
            case PdmDevicePixelRatioScaled: return int(devicePixelRatioFScale());
            default: return 0;
        }
    }

private:
    class Engine : public QPaintEngine {
    public:
        Engine() : QPaintEngine(AllFeatures) {}
        bool begin(QPaintDevice*) override { return true; }
        bool end() override { return true; }
        void updateState(const QPaintEngineState& state) override {
            if (state.state() & DirtyTransform) ++counts.TransformChanges;
            if (state.state() & (DirtyClipEnabled | DirtyClipRegion | DirtyClipPath)) ++counts.ClipChanges;
        }
        void drawRects(const QRect*, int count) override { counts.Rects += count; }
        void drawRects(const QRectF*, int count) override { counts.Rects += count; }
        void drawTextItem(const QPointF&, const QTextItem&) override { ++counts.Texts; }
        void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
        Type type() const override { return User; }
        Counts counts;
    };

    int width_, height_;
    mutable Engine engine_;
};
