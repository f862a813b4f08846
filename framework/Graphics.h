// Colours, fonts, pens, brushes, the canvas with the platform's pixel rules,
// bitmaps, pictures and image lists.
//
// Drawing rules kept by every canvas (antialiasing is off everywhere):
// - Right and bottom edges are outside: FillRect(0,0,10,10) paints 10 x 10
//   pixels, Rectangle(0,0,10,10) outlines columns 0 and 9.
// - MoveTo/LineTo/Polyline paint every point but the last; pen width 0 draws
//   as 1 pixel; 1-pixel pens use our own line stepping (dashes counted per
//   pixel, gaps in the background colour when it is opaque) for lines,
//   polygons and rectangles; curved outlines and wider pens draw solid,
//   wide lines with round caps and joins.
// - RoundRect takes corner diameters; Pie and Chord run counter-clockwise
//   from the start radial to the end radial (equal radials: whole ellipse).
// - TextOut(x, y) puts the top of the text cell at y; an opaque background
//   mode (solid brush) paints the cell in the brush colour first. Advances
//   are whole pixels and never kerned, so TextWidth of a string is the sum
//   of its characters' widths. Escapement turns text counter-clockwise
//   around its start point.
// - Fonts: a negative Height is the character (em) height in pixels, a
//   positive one the cell height; Windows face names map to installed faces.
// - System colours stay symbolic (clBtnFace...) until drawn, then resolve
//   through one fixed classic palette, so pixels are the same everywhere.
//
// Back ends: a canvas draws through a QPainter that it either borrows (a
// control's paint event: Bind/Unbind) or opens itself on a paint device (a
// bitmap, a printer: SetDevice), or measures only (no target: a 96-dpi
// reference device). Every drawing path ends in the virtual primitives of
// TCanvas (figures, FillRect, ExtTextOut, StretchImage, regions, gradient,
// clip and DC-state calls): TextOut, TextRect, DrawText, DrawEdge and
// DrawFrameControl are built on them. A recording canvas (enhanced metafile)
// derives from TCanvas and overrides those primitives; callers do not change.
#pragma once

#include "Classes.h"
#include "Types.h"
#include "Windows.h"

#include <QtGui/QColor>
#include <QtGui/QFont>
#include <QtGui/QImage>
#include <QtGui/QRegion>

#include <functional>
#include <memory>
#include <vector>

class QPainter;
class QPaintDevice;

VELMORA_EXCEPTION(EInvalidGraphic, Exception);
VELMORA_EXCEPTION(EInvalidGraphicOperation, Exception);

// ------------------------------------------------------------ colours

// $00BBGGRR; negative values are system colours, resolved when drawn.
using TColor = Integer;

constexpr TColor clBlack = 0x000000;
constexpr TColor clMaroon = 0x000080;
constexpr TColor clGreen = 0x008000;
constexpr TColor clOlive = 0x008080;
constexpr TColor clNavy = 0x800000;
constexpr TColor clPurple = 0x800080;
constexpr TColor clTeal = 0x808000;
constexpr TColor clGray = 0x808080;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clLime = 0x00FF00;
constexpr TColor clYellow = 0x00FFFF;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clFuchsia = 0xFF00FF;
constexpr TColor clAqua = 0xFFFF00;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clLtGray = 0xC0C0C0;
constexpr TColor clDkGray = 0x808080;
constexpr TColor clMoneyGreen = 0xC0DCC0;
constexpr TColor clSkyBlue = 0xF0CAA6;
constexpr TColor clCream = 0xF0FBFF;
constexpr TColor clMedGray = 0xA4A0A0;
constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clDefault = 0x20000000;

constexpr TColor clSystemColor = TColor(0xFF000000);
constexpr TColor clScrollBar = clSystemColor | 0;
constexpr TColor clBackground = clSystemColor | 1;
constexpr TColor clActiveCaption = clSystemColor | 2;
constexpr TColor clInactiveCaption = clSystemColor | 3;
constexpr TColor clMenu = clSystemColor | 4;
constexpr TColor clWindow = clSystemColor | 5;
constexpr TColor clWindowFrame = clSystemColor | 6;
constexpr TColor clMenuText = clSystemColor | 7;
constexpr TColor clWindowText = clSystemColor | 8;
constexpr TColor clCaptionText = clSystemColor | 9;
constexpr TColor clActiveBorder = clSystemColor | 10;
constexpr TColor clInactiveBorder = clSystemColor | 11;
constexpr TColor clAppWorkSpace = clSystemColor | 12;
constexpr TColor clHighlight = clSystemColor | 13;
constexpr TColor clHighlightText = clSystemColor | 14;
constexpr TColor clBtnFace = clSystemColor | 15;
constexpr TColor clBtnShadow = clSystemColor | 16;
constexpr TColor clGrayText = clSystemColor | 17;
constexpr TColor clBtnText = clSystemColor | 18;
constexpr TColor clInactiveCaptionText = clSystemColor | 19;
constexpr TColor clBtnHighlight = clSystemColor | 20;
constexpr TColor cl3DDkShadow = clSystemColor | 21;
constexpr TColor cl3DLight = clSystemColor | 22;
constexpr TColor clInfoText = clSystemColor | 23;
constexpr TColor clInfoBk = clSystemColor | 24;
constexpr TColor clHotLight = clSystemColor | 26;
constexpr TColor clGradientActiveCaption = clSystemColor | 27;
constexpr TColor clGradientInactiveCaption = clSystemColor | 28;
constexpr TColor clMenuHighlight = clSystemColor | 29;
constexpr TColor clMenuBar = clSystemColor | 30;

// Resolves a system colour through the fixed palette; others unchanged
// (an unknown system index resolves to black).
TColor ColorToRGB(TColor color);
// Opaque Qt colour of a resolved TColor; clNone is transparent.
QColor ToQColor(TColor color);
TColor FromQColor(const QColor& color);
constexpr TColor RGB(Byte r, Byte g, Byte b) { return TColor(r | (g << 8) | (b << 16)); }
constexpr Byte GetRValue(TColor c) { return Byte(c & 0xFF); }
constexpr Byte GetGValue(TColor c) { return Byte((c >> 8) & 0xFF); }
constexpr Byte GetBValue(TColor c) { return Byte((c >> 16) & 0xFF); }

// ------------------------------------------------------------ fonts, pens, brushes

enum TFontStyle { fsBold, fsItalic, fsUnderline, fsStrikeOut };
using TFontStyles = Set<TFontStyle>;
enum TFontPitch { fpDefault, fpVariable, fpFixed };
using TFontCharset = Byte;
constexpr TFontCharset ANSI_CHARSET = 0;
constexpr TFontCharset DEFAULT_CHARSET = 1;
constexpr TFontCharset SHIFTJIS_CHARSET = 128;

// Base of the graphics objects: OnChange after every change.
class TGraphicsObject : public TPersistent {
public:
    TNotifyEvent OnChange;

protected:
    virtual void Changed();
};

// The default face and height of a new font.
extern const QString DefaultFontName;  // "ＭＳ Ｐゴシック"
constexpr Integer DefaultFontHeight = -12;

class TFont : public TGraphicsObject {
public:
    TFont();
    // Copies everything but PixelsPerInch; between different resolutions
    // the size in points is kept (the height is scaled).
    void Assign(TPersistent* Source) override;

    // Face names of Windows map to installed faces ("ＭＳ Ｐゴシック" → IPAPGothic).
    const QString& Name() const { return name_; }
    void SetName(const QString& name);
    // Points at PixelsPerInch; Height < 0 is the character height in pixels,
    // Height > 0 the cell height (internal leading included).
    Integer Size() const;
    void SetSize(Integer points);
    Integer Height() const { return height_; }
    void SetHeight(Integer height);
    TFontStyles Style() const { return style_; }
    void SetStyle(TFontStyles style);
    TColor Color() const { return color_; }
    void SetColor(TColor color);
    TFontCharset Charset() const { return charset_; }
    void SetCharset(TFontCharset charset);
    TFontPitch Pitch() const { return pitch_; }
    void SetPitch(TFontPitch pitch);
    // Escapement in tenths of a degree, counter-clockwise.
    Integer Orientation() const { return orientation_; }
    void SetOrientation(Integer tenths);
    Integer PixelsPerInch() const { return pixelsPerInch_; }
    void SetPixelsPerInch(Integer ppi);

    // The Qt font with the substituted face and the pixel size for Height:
    // no kerning, full hinting (whole-pixel advances), no antialiasing.
    QFont ToQFont() const;
    bool operator==(const TFont& other) const;

private:
    QString name_;
    Integer height_ = DefaultFontHeight;
    TFontStyles style_;
    TColor color_ = clWindowText;
    TFontCharset charset_ = DEFAULT_CHARSET;
    TFontPitch pitch_ = fpDefault;
    Integer orientation_ = 0;
    Integer pixelsPerInch_ = 96;
};

// The installed face that stands for a Windows face name; other names are
// returned unchanged.
QString SubstituteFontFamily(const QString& windowsName);

enum TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };
enum TPenMode { pmBlack, pmWhite, pmNop, pmNot, pmCopy, pmNotCopy, pmMergePenNot, pmMaskPenNot,
                pmMergeNotPen, pmMaskNotPen, pmMerge, pmNotMerge, pmMask, pmNotMask, pmXor, pmNotXor };

class TPen : public TGraphicsObject {
public:
    void Assign(TPersistent* Source) override;
    TColor Color() const { return color_; }
    void SetColor(TColor color);
    Integer Width() const { return width_; }  // 0 draws as 1 pixel
    void SetWidth(Integer width);
    TPenStyle Style() const { return style_; }
    void SetStyle(TPenStyle style);
    TPenMode Mode() const { return mode_; }
    void SetMode(TPenMode mode);

private:
    TColor color_ = clBlack;
    Integer width_ = 1;
    TPenStyle style_ = psSolid;
    TPenMode mode_ = pmCopy;
};

enum TBrushStyle { bsSolid, bsClear, bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross, bsDiagCross };

class TBitmap;

class TBrush : public TGraphicsObject {
public:
    TBrush();
    ~TBrush() override;
    void Assign(TPersistent* Source) override;
    TColor Color() const { return color_; }
    void SetColor(TColor color);
    TBrushStyle Style() const { return style_; }
    void SetStyle(TBrushStyle style);
    // A pattern brush: the brush keeps its own copy of the bitmap (nil
    // removes it). Tiles start at the canvas's brush origin.
    TBitmap* Bitmap() const { return bitmap_.get(); }
    void SetBitmap(TBitmap* bitmap);

private:
    TColor color_ = clWhite;
    TBrushStyle style_ = bsSolid;
    std::unique_ptr<TBitmap> bitmap_;
};

// ------------------------------------------------------------ regions

// A region of whole pixels (the platform's HRGN). Made by the Create*Rgn
// routines of Windows.h and released with DeleteObject.
struct TRegion {
    QRegion Area;
};

// ------------------------------------------------------------ canvas

enum TCanvasStates { csHandleValid, csFontValid, csPenValid, csBrushValid };
enum TFillStyle { fsSurface, fsBorder };
enum TGradientDirection : int { gdHorizontal, gdVertical };
using TCopyMode = Cardinal;

class TGraphic;

// Drawing with the platform's rules on a paint target: right and bottom
// edges excluded, LineTo without its end point, pen width 0 = 1 pixel, text
// placed by the top of its cell, no antialiasing, no kerning.
// A canvas draws on a control (inside Paint), on a TBitmap, or on any Qt
// paint device; the drawing back end is replaceable (a metafile recorder
// derives from TCanvas and records the same calls).
class TCanvas : public TPersistent {
public:
    TCanvas();
    ~TCanvas() override;

    // ---- targets
    // Draws through a painter someone else opened (a widget's paint event)
    // until Unbind; clip is the area being painted (empty: the whole
    // device). Binding saves the painter's state, Unbind restores it.
    void Bind(QPainter* painter, const TRect& clip = TRect());
    void Unbind();
    // Draws on device (nil: none), opening a painter of its own when the
    // first drawing call comes; fonts take the device's resolution.
    void SetDevice(QPaintDevice* device);
    QPaintDevice* Device() const { return device_; }
    // Ends a painter the canvas opened itself (bitmaps do before they
    // resize or hand out pixels); clipping and saved states stay for the
    // next painter.
    void ReleaseHandle();
    // The canvas as the platform's device-context handle.
    HDC Handle() { return this; }
    bool HandleAllocated() const;
    // Acquires the paint target's painter (opening one on the device when
    // needed); nil without a target. Callers bracket direct Qt use.
    virtual QPainter* Painter();
    // Resolution used for font sizes and text measurement.
    Integer PixelsPerInch() const;
    // A device capability (GetDeviceCaps index) the canvas answers itself,
    // as a printer's does; false: GetDeviceCaps asks the paint device.
    virtual bool DeviceCaps(Integer index, Integer& value) const {
        (void)index;
        (void)value;
        return false;
    }

    // ---- drawing objects
    TFont* Font() const { return font_.get(); }
    TPen* Pen() const { return pen_.get(); }
    TBrush* Brush() const { return brush_.get(); }
    void SetFont(TFont* font) { font_->Assign(font); }
    void SetPen(TPen* pen) { pen_->Assign(pen); }
    void SetBrush(TBrush* brush) { brush_->Assign(brush); }
    TCopyMode CopyMode() const { return copyMode_; }
    void SetCopyMode(TCopyMode mode) { copyMode_ = mode; }
    // Pattern brushes tile from here (device coordinates).
    TPoint BrushOrigin() const { return brushOrigin_; }
    void SetBrushOrigin(TPoint origin);

    TPoint PenPos() const { return penPos_; }
    void SetPenPos(TPoint p) { penPos_ = p; }
    // The bounding box of what may be painted: the bound paint area or the
    // device, narrowed by the clip calls; empty without a target.
    virtual TRect ClipRect() const;

    // ---- figures
    virtual void MoveTo(Integer x, Integer y);
    virtual void LineTo(Integer x, Integer y);
    virtual void Polyline(const std::vector<TPoint>& points);
    virtual void Polygon(const std::vector<TPoint>& points);
    virtual void Rectangle(Integer x1, Integer y1, Integer x2, Integer y2);
    void Rectangle(const TRect& r) { Rectangle(r.Left, r.Top, r.Right, r.Bottom); }
    virtual void RoundRect(Integer x1, Integer y1, Integer x2, Integer y2, Integer x3, Integer y3);
    virtual void Ellipse(Integer x1, Integer y1, Integer x2, Integer y2);
    void Ellipse(const TRect& r) { Ellipse(r.Left, r.Top, r.Right, r.Bottom); }
    virtual void Pie(Integer x1, Integer y1, Integer x2, Integer y2, Integer x3, Integer y3, Integer x4, Integer y4);
    virtual void Chord(Integer x1, Integer y1, Integer x2, Integer y2, Integer x3, Integer y3, Integer x4, Integer y4);
    virtual void FillRect(const TRect& r);
    // One-pixel border in the brush (not the pen) colour.
    virtual void FrameRect(const TRect& r);
    // Inverts every other pixel of the border (drawing it twice removes it).
    virtual void DrawFocusRect(const TRect& r);
    virtual void FloodFill(Integer x, Integer y, TColor color, TFillStyle style);

    // ---- text
    // Text cell's top at y (with TA_TOP); moves PenPos past the text.
    virtual void TextOut(Integer x, Integer y, const QString& text);
    // Text clipped to r, r painted in the brush colour first unless bsClear.
    virtual void TextRect(const TRect& r, Integer x, Integer y, const QString& text);
    TSize TextExtent(const QString& text);
    Integer TextWidth(const QString& text);
    Integer TextHeight(const QString& text);
    // Per-character advances (one per UTF-16 unit; the second unit of a
    // surrogate pair gets 0), summing to TextWidth.
    std::vector<Integer> CharAdvances(const QString& text);
    // Ascent, descent and average character width of the current font.
    Integer TextAscent();
    Integer TextDescent();
    Integer AverageCharWidth();

    // ---- pictures and pixels
    virtual void Draw(Integer x, Integer y, TGraphic* graphic);
    virtual void StretchDraw(const TRect& r, TGraphic* graphic);
    // Copies sourceRect of source (a raster canvas) stretched into dest.
    virtual void CopyRect(const TRect& dest, TCanvas* source, const TRect& sourceRect);
    // source's sourceRect (image pixels) scaled into dest, nearest pixel;
    // opaque images draw opaque, images with alpha blend.
    virtual void StretchImage(const TRect& dest, const QImage& source, const TRect& sourceRect);
    // Pixel of a raster target, -1 when there is none or (x, y) is outside.
    virtual TColor Pixel(Integer x, Integer y) const;
    virtual void SetPixel(Integer x, Integer y, TColor color);
    // The raster image behind the canvas, when it has one.
    const QImage* RasterImage() const;

    // ---- device-context state and primitives (the Windows.h routines
    //      taking an HDC call these)
    Cardinal TextAlign() const { return textAlign_; }
    virtual Cardinal SetTextAlign(Cardinal align);
    Integer BkMode() const { return bkMode_; }
    virtual Integer SetBkMode(Integer mode);
    TColor BkColor() const { return bkColor_; }
    virtual TColor SetBkColor(TColor color);
    TColor TextColor() const { return textColor_; }
    virtual TColor SetTextColor(TColor color);
    // Text at (x, y) by TextAlign: ETO_OPAQUE fills rect (or with an opaque
    // background mode the text cell) with BkColor, ETO_CLIPPED clips to rect,
    // dx gives each UTF-16 unit's advance. Rotated by the font's escapement.
    virtual void ExtTextOut(Integer x, Integer y, Cardinal options, const TRect* rect, const QString& text,
                            const Integer* dx = nullptr);
    // The cell ExtTextOut places upright text in (glyphs may reach past it).
    TRect TextCell(Integer x, Integer y, const QString& text, const Integer* dx = nullptr);
    // Clipping: nil region removes the calls' clipping (the paint area stays).
    virtual void SelectClipRegion(const TRegion* region);
    virtual void IntersectClipRect(const TRect& r);
    virtual void ExcludeClipRect(const TRect& r);
    // Saves text and background settings, pen position, clipping and the
    // drawing objects; RestoreDC(-1) restores the last, RestoreDC(n) level n.
    virtual Integer SaveDC();
    virtual bool RestoreDC(Integer level);
    virtual void FillRegion(const TRegion& region, TBrush* brush);
    // Border of width x height pixels inside the region.
    virtual void FrameRegion(const TRegion& region, TBrush* brush, Integer width, Integer height);
    // Two-colour gradient of r, one colour per line; the first and last
    // lines are exactly the end colours.
    virtual void GradientFill(const TRect& r, TColor start, TColor end, TGradientDirection direction);

    TNotifyEvent OnChange;
    TNotifyEvent OnChanging;

protected:
    // Around every drawing call: the owner (a bitmap) learns of changes.
    virtual void Changing();
    virtual void Changed();
    // The painter with pen, brush and font applied; nil without a target.
    QPainter* Prepared();

    std::unique_ptr<TFont> font_;
    std::unique_ptr<TPen> pen_;
    std::unique_ptr<TBrush> brush_;
    TPoint penPos_;

private:
    struct DCState;
    struct Impl;  // GraphicsInternal.h
    std::unique_ptr<Impl> d_;
    QPaintDevice* device_ = nullptr;
    TCopyMode copyMode_;
    TPoint brushOrigin_;
    Cardinal textAlign_ = 0;
    Integer bkMode_;
    TColor bkColor_;
    TColor textColor_;
};

// Two-colour gradient of r on canvas (gdHorizontal: colours change from
// left to right, gdVertical: from top to bottom), computed line by line.
void GradientFillCanvas(TCanvas* canvas, TColor startColor, TColor endColor, const TRect& r,
                        TGradientDirection direction);

// Text as disabled labels and buttons show it: in clBtnHighlight one pixel
// right of and below r, then in clGrayText in r (DrawText with format); the
// font keeps its colour.
void DrawDisabledText(TCanvas* canvas, const QString& text, const TRect& r, Cardinal format);

// ------------------------------------------------------------ graphics

enum TPixelFormat { pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit, pfCustom };
enum TBitmapHandleType { bmDIB, bmDDB };
enum TTransparentMode { tmAuto, tmFixed };

// How far a graphic has come while it loads: R is the part that may be
// redrawn, RedrawNow asks for it at once.
enum TProgressStage { psStarting, psRunning, psEnding };
using TProgressEvent = std::function<void(TObject* Sender, TProgressStage Stage, Byte PercentDone, bool RedrawNow,
                                          const TRect& R, const QString& Msg)>;

// An image that can draw itself onto a canvas rectangle.
class TGraphic : public TPersistent {
public:
    TNotifyEvent OnChange;
    // A raster graphic (bitmap, icon, JPEG) loading from a stream or a
    // file: psStarting (0 %) before it decodes, psEnding (100 %, the whole
    // graphic to redraw now) once it has.
    TProgressEvent OnProgress;

    virtual bool Empty() const = 0;
    virtual Integer Width() const = 0;
    virtual Integer Height() const = 0;
    virtual void SetWidth(Integer width) = 0;
    virtual void SetHeight(Integer height) = 0;
    virtual bool Transparent() const { return transparent_; }
    virtual void SetTransparent(bool on);
    bool Modified() const { return modified_; }
    void SetModified(bool on);
    Cardinal Palette() const { return 0; }

    // Draws the graphic stretched into r.
    virtual void Draw(TCanvas* canvas, const TRect& r) = 0;
    // A new empty graphic of the same class (copies: then Assign).
    virtual std::unique_ptr<TGraphic> NewOfSameClass() const = 0;

    virtual void LoadFromStream(TStream& stream) = 0;
    virtual void SaveToStream(TStream& stream) = 0;
    // EFOpenError / EFCreateError for the file, EInvalidGraphic for content.
    void LoadFromFile(const QString& fileName);
    void SaveToFile(const QString& fileName);

protected:
    virtual void Changed();
    virtual void Progress(TObject* Sender, TProgressStage Stage, Byte PercentDone, bool RedrawNow, const TRect& R,
                          const QString& Msg);
    // Runs load between the start and the end of the progress; a load that
    // fails raises no end.
    void LoadWithProgress(const std::function<void()>& load);

private:
    bool transparent_ = false;
    bool modified_ = false;
};

class TBitmapCanvas;

// A raster image over a QImage; its canvas draws into the image.
class TBitmap : public TGraphic {
public:
    TBitmap();
    ~TBitmap() override;

    bool Empty() const override { return width_ == 0 || height_ == 0; }
    Integer Width() const override { return width_; }
    Integer Height() const override { return height_; }
    // A new size refills the whole image white.
    void SetWidth(Integer width) override;
    void SetHeight(Integer height) override;
    void SetSize(Integer width, Integer height);
    // A new size for a caller that writes every pixel next: the pixels
    // are left as the memory holds them instead of refilled white.
    void SetSizeUnfilled(Integer width, Integer height);

    // pf1bit (palette black, white), pf8bit (a fixed palette: a 6 x 6 x 6
    // colour cube, then greys; drawing maps to the nearest entry), pf15bit,
    // pf16bit,
    // pf24bit (B, G, R bytes), pf32bit (B, G, R, unused) and pfDevice (as
    // pf32bit). pf4bit and pfCustom raise EInvalidGraphic. Changing the
    // format converts the pixels.
    TPixelFormat PixelFormat() const { return pixelFormat_; }
    void SetPixelFormat(TPixelFormat format);
    TBitmapHandleType HandleType() const { return bmDIB; }
    void SetHandleType(TBitmapHandleType) {}
    // Row y in the device-independent layout of the pixel format (rows of
    // the image top to bottom, 4-byte aligned); EInvalidGraphicOperation
    // outside 0..Height-1.
    void* ScanLine(Integer y);

    TCanvas* Canvas();
    // The transparent colour: the bottom-left pixel in tmAuto, else the set one.
    TColor TransparentColor() const;
    void SetTransparentColor(TColor color);
    TTransparentMode TransparentMode() const { return transparentMode_; }
    void SetTransparentMode(TTransparentMode mode);

    void Assign(TPersistent* Source) override;
    void Draw(TCanvas* canvas, const TRect& r) override;
    std::unique_ptr<TGraphic> NewOfSameClass() const override { return std::make_unique<TBitmap>(); }
    // BMP data (a file header, then the bitmap); other image data that
    // Qt's readers know (PNG, JPEG...) is read to the end of the stream.
    void LoadFromStream(TStream& stream) override;
    void SaveToStream(TStream& stream) override;
    // A bitmap of the program's embedded resources: ":/<name>" with the
    // extension .bmp or .png; EInvalidGraphic when there is none.
    void LoadFromResourceName(Cardinal instance, const QString& name);

    // The pixels (for painting and tests); after direct changes call Changed.
    const QImage& Image() const;
    void SetImage(const QImage& image);
    void Changed() override;

private:
    friend class TBitmapCanvas;
    void readFrom(TStream& stream);
    void closeCanvas() const;
    void makePaintable();
    void resize(Integer width, Integer height, bool white = true);

    mutable QImage image_;
    Integer width_ = 0;
    Integer height_ = 0;
    bool converted_ = false;  // indexed pixels held as RGB while painting
    TPixelFormat pixelFormat_ = pfDevice;
    std::unique_ptr<TBitmapCanvas> canvas_;
    TColor transparentColor_ = clDefault;
    TTransparentMode transparentMode_ = tmAuto;
};

// An icon: an image with alpha, drawn blended.
class TIcon : public TGraphic {
public:
    bool Empty() const override { return image_.isNull(); }
    Integer Width() const override { return image_.width(); }
    Integer Height() const override { return image_.height(); }
    void SetWidth(Integer width) override;
    void SetHeight(Integer height) override;
    bool Transparent() const override { return true; }
    void Assign(TPersistent* Source) override;
    void Draw(TCanvas* canvas, const TRect& r) override;
    std::unique_ptr<TGraphic> NewOfSameClass() const override { return std::make_unique<TIcon>(); }
    void LoadFromStream(TStream& stream) override;  // ICO or PNG data
    void SaveToStream(TStream& stream) override;    // PNG data
    const QImage& Image() const { return image_; }
    void SetImage(const QImage& image);

private:
    QImage image_;
};

// A compressed photograph read through Qt's readers (JPEG, PNG, GIF...);
// drawn like a bitmap.
class TJPEGImage : public TGraphic {
public:
    bool Empty() const override { return image_.isNull(); }
    Integer Width() const override { return image_.width(); }
    Integer Height() const override { return image_.height(); }
    void SetWidth(Integer) override {}
    void SetHeight(Integer) override {}
    void Assign(TPersistent* Source) override;
    void Draw(TCanvas* canvas, const TRect& r) override;
    std::unique_ptr<TGraphic> NewOfSameClass() const override { return std::make_unique<TJPEGImage>(); }
    void LoadFromStream(TStream& stream) override;
    void SaveToStream(TStream& stream) override;  // JPEG data
    const QImage& Image() const { return image_; }
    void SetImage(const QImage& image);

protected:
    void AssignTo(TPersistent* Dest) override;

private:
    QImage image_;
};

using TGraphicFactory = std::function<TGraphic*()>;

// Holds one graphic of any class; OnChange after every change of it.
class TPicture : public TPersistent {
public:
    TPicture();
    ~TPicture() override;

    TGraphic* Graphic() const { return graphic_.get(); }
    // Keeps a copy of graphic (nil empties the picture).
    void SetGraphic(TGraphic* graphic);
    // The picture's bitmap; any other graphic is replaced by an empty bitmap.
    TBitmap* Bitmap();
    void SetBitmap(TBitmap* bitmap) { SetGraphic(bitmap); }
    TIcon* Icon();
    Integer Width() const { return graphic_ ? graphic_->Width() : 0; }
    Integer Height() const { return graphic_ ? graphic_->Height() : 0; }

    // A TPicture or TGraphic source is copied; nil empties.
    void Assign(TPersistent* Source) override;
    // The graphic class by the file's extension ("bmp", "png", "jpg",
    // "jpeg", "ico", and any registered one); EInvalidGraphic for others.
    void LoadFromFile(const QString& fileName);
    void SaveToFile(const QString& fileName);
    // Makes the given extension (without the dot) load with the given
    // graphic class.
    static void RegisterFileFormat(const QString& extension, const QString& description,
                                   TGraphicFactory factory);
    static bool SupportsExtension(const QString& extension);

    TNotifyEvent OnChange;
    // The progress of its graphic (loading from a file included).
    TProgressEvent OnProgress;

protected:
    void AssignTo(TPersistent* Dest) override;
    virtual void Changed(TObject* Sender);
    virtual void Progress(TObject* Sender, TProgressStage Stage, Byte PercentDone, bool RedrawNow, const TRect& R,
                          const QString& Msg);

private:
    void take(std::unique_ptr<TGraphic> graphic);
    void wire(TGraphic* graphic);
    std::unique_ptr<TGraphic> graphic_;
};

// A copy of graphic of the same class (nil for nil).
std::unique_ptr<TGraphic> CloneGraphic(TGraphic* graphic);

// Images of one size, each with its own transparency, drawn by index.
class TImageList : public TComponent {
public:
    explicit TImageList(TComponent* AOwner = nullptr);
    TImageList(Integer width, Integer height);

    // A new size clears the list; sizes below one pixel are ignored.
    Integer Width() const { return width_; }
    void SetWidth(Integer width);
    Integer Height() const { return height_; }
    void SetHeight(Integer height);
    Integer Count() const { return Integer(images_.size()); }

    // Adds image cut into Width-wide pieces (a narrower image is one piece);
    // mask pixels that are white make the image transparent there (nil: all
    // opaque). Returns the index of the first piece, -1 for an empty image.
    Integer Add(TBitmap* image, TBitmap* mask);
    // As Add, transparent where the image has maskColor.
    Integer AddMasked(TBitmap* image, TColor maskColor);
    void Delete(Integer index);
    void Clear();
    // A disabled image draws greyed.
    void Draw(TCanvas* canvas, Integer x, Integer y, Integer index, bool enabled = true);
    // The image at index (with alpha); EInvalidOperation out of range.
    const QImage& Image(Integer index) const;

    TNotifyEvent OnChange;

private:
    void changed();
    Integer width_ = 16;
    Integer height_ = 16;
    std::vector<QImage> images_;
};
