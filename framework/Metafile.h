// Enhanced metafiles (EMF): a picture kept as the standard record stream,
// a canvas that records every drawing call as records, and a player that
// draws the records onto any canvas.
//
// TMetafile holds the complete byte stream, header record first and end
// record last; what it loads is checked record by record, so the player
// never reads past its data. Width and Height are pixels at 96 dpi, kept as
// 0.01 mm in the header's frame (794 px is 21008, and back).
//
// TMetafileCanvas derives from TCanvas and overrides its drawing
// primitives: nothing is painted, the calls become records (pens, brushes
// and fonts as objects selected before use, text with its advance array,
// bitmaps as device-independent bitmaps). Text is measured on the 96-dpi
// reference device. Freeing the canvas completes the metafile.
//
// The player maps the frame onto the target rectangle and draws through the
// target canvas, so the canvas's pixel rules hold; it places every glyph by
// its recorded advance and skips records it does not know by their size.
#pragma once

#include "Graphics.h"

#include <QtCore/QByteArray>
#include <QtCore/QByteArrayView>

#include <functional>

// Record types of the enhanced metafile format.
constexpr Cardinal EMR_HEADER = 1, EMR_POLYGON = 3, EMR_POLYLINE = 4, EMR_EOF = 14, EMR_SETPIXELV = 15,
                   EMR_SETBKMODE = 18, EMR_SETROP2 = 20, EMR_SETTEXTALIGN = 22, EMR_SETTEXTCOLOR = 24,
                   EMR_SETBKCOLOR = 25, EMR_MOVETOEX = 27, EMR_EXCLUDECLIPRECT = 29, EMR_INTERSECTCLIPRECT = 30,
                   EMR_SAVEDC = 33, EMR_RESTOREDC = 34, EMR_SELECTOBJECT = 37, EMR_CREATEPEN = 38,
                   EMR_CREATEBRUSHINDIRECT = 39, EMR_DELETEOBJECT = 40, EMR_ELLIPSE = 42, EMR_RECTANGLE = 43,
                   EMR_ROUNDRECT = 44, EMR_CHORD = 46, EMR_PIE = 47, EMR_EXTSELECTCLIPRGN = 75, EMR_BITBLT = 76,
                   EMR_STRETCHDIBITS = 81, EMR_EXTCREATEFONTINDIRECTW = 82, EMR_EXTTEXTOUTA = 83, EMR_EXTTEXTOUTW = 84, EMR_LINETO = 54,
                   EMR_SETBRUSHORGEX = 13, EMR_CREATEDIBPATTERNBRUSHPT = 94;

class TMetafileCanvas;

class TMetafile : public TGraphic {
public:
    TMetafile();
    ~TMetafile() override;

    bool Empty() const override { return data_.isEmpty(); }
    // Pixels at 96 dpi, from the frame.
    Integer Width() const override;
    Integer Height() const override;
    void SetWidth(Integer width) override;
    void SetHeight(Integer height) override;
    // The frame's size in 0.01 mm.
    Integer MMWidth() const { return mmWidth_; }
    Integer MMHeight() const { return mmHeight_; }
    void SetMMWidth(Integer value);
    void SetMMHeight(Integer value);
    bool Enhanced() const { return true; }
    // A metafile paints only what its records draw.
    bool Transparent() const override { return true; }
    // Removes the records (the size stays).
    void Clear();

    void Assign(TPersistent* Source) override;
    void Draw(TCanvas* canvas, const TRect& r) override;
    std::unique_ptr<TGraphic> NewOfSameClass() const override { return std::make_unique<TMetafile>(); }
    // Reads one metafile (its header gives its length) from the stream's
    // position; EInvalidGraphic when the header or any record is damaged.
    void LoadFromStream(TStream& stream) override;
    // Writes the records exactly: as many bytes as the header states.
    void SaveToStream(TStream& stream) override;

    // The record stream (empty when there is none).
    const QByteArray& Data() const { return data_; }
    // Takes a record stream after the same checks as LoadFromStream.
    void SetData(const QByteArray& data);

private:
    friend class TMetafileCanvas;
    void takeRecorded(QByteArray data);

    QByteArray data_;
    Integer mmWidth_ = 0;
    Integer mmHeight_ = 0;
};

class MetafileRecorder;  // MetafileWriter.cpp

// Records onto metafile until freed (then the metafile holds the drawing).
// A metafile without a size takes the bounds of the drawing as its frame.
// The reference device is the 96-dpi screen whatever referenceDevice is.
class TMetafileCanvas : public TCanvas {
public:
    explicit TMetafileCanvas(TMetafile* metafile, HDC referenceDevice = nullptr);
    ~TMetafileCanvas() override;

    // The metafile's extent (no painting target exists).
    TRect ClipRect() const override;

    using TCanvas::Ellipse;
    using TCanvas::Rectangle;
    void LineTo(Integer x, Integer y) override;
    void Polyline(const std::vector<TPoint>& points) override;
    void Polygon(const std::vector<TPoint>& points) override;
    void Rectangle(Integer x1, Integer y1, Integer x2, Integer y2) override;
    void RoundRect(Integer x1, Integer y1, Integer x2, Integer y2, Integer x3, Integer y3) override;
    void Ellipse(Integer x1, Integer y1, Integer x2, Integer y2) override;
    void Pie(Integer x1, Integer y1, Integer x2, Integer y2, Integer x3, Integer y3, Integer x4, Integer y4) override;
    void Chord(Integer x1, Integer y1, Integer x2, Integer y2, Integer x3, Integer y3, Integer x4,
               Integer y4) override;
    void FillRect(const TRect& r) override;
    void FrameRect(const TRect& r) override;
    void ExtTextOut(Integer x, Integer y, Cardinal options, const TRect* rect, const QString& text,
                    const Integer* dx = nullptr) override;
    void StretchImage(const TRect& dest, const QImage& source, const TRect& sourceRect) override;
    void SetPixel(Integer x, Integer y, TColor color) override;
    void SelectClipRegion(const TRegion* region) override;
    void IntersectClipRect(const TRect& r) override;
    void ExcludeClipRect(const TRect& r) override;
    Integer SaveDC() override;
    bool RestoreDC(Integer level) override;
    void FillRegion(const TRegion& region, TBrush* brush) override;
    void FrameRegion(const TRegion& region, TBrush* brush, Integer width, Integer height) override;
    void GradientFill(const TRect& r, TColor start, TColor end, TGradientDirection direction) override;

private:
    TMetafile* metafile_;
    std::unique_ptr<MetafileRecorder> rec_;
};

// One record of a metafile: its type and all its bytes (type and size
// included).
struct TMetafileRecord {
    Cardinal Type = 0;
    QByteArrayView Bytes;
};

// Calls f for each record in order until f returns false.
void EnumMetafileRecords(const TMetafile& metafile, const std::function<bool(const TMetafileRecord&)>& f);
