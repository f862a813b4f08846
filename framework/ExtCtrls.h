// Panels, bevels, shapes, paint boxes, the picture control and splitters.
#pragma once

#include "Controls.h"
#include "Graphics.h"

#include <memory>

// Draws width nested one-pixel frames just inside rect (top and left in
// topColor, bottom and right in bottomColor) and leaves rect shrunk by width.
void Frame3D(TCanvas* canvas, TRect& rect, TColor topColor, TColor bottomColor, Integer width);
// The colours of a bevel: light above and left for a raised one, swapped
// for a lowered one.
void BevelColors(TBevelCut cut, TColor& top, TColor& bottom);
// The line around a panel's client area with bsSingle (two sunken lines
// with Ctl3D, one plain line without): its width on each side, and its
// drawing around a control of width x height.
TRect PanelBorderInsets(TBorderStyle style, bool ctl3D);
void PaintPanelBorder(TCanvas* canvas, Integer width, Integer height, bool ctl3D);

// ------------------------------------------------------------ panels

// A container with two bevels, a border strip between them, an optional
// line around it and a caption centred in it. The framework's panel is one;
// so are panels with other faces that are not TCustomPanels.
class TBevelPanelControl : public TCustomControl {
public:
    explicit TBevelPanelControl(TComponent* AOwner);

    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment alignment);
    TBevelCut BevelInner() const { return bevelInner_; }
    void SetBevelInner(TBevelCut cut);
    TBevelCut BevelOuter() const { return bevelOuter_; }
    void SetBevelOuter(TBevelCut cut);
    TBevelWidth BevelWidth() const { return bevelWidth_; }
    void SetBevelWidth(TBevelWidth width);
    // Space between the bevels, painted with the panel's face.
    TBorderWidth BorderWidth() const { return borderWidth_; }
    void SetBorderWidth(TBorderWidth width);
    // bsSingle adds a line around the client area (two sunken lines with Ctl3D).
    TBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TBorderStyle style);
    bool FullRepaint() const { return fullRepaint_; }
    void SetFullRepaint(bool on) { fullRepaint_ = on; }
    bool Locked() const { return locked_; }
    void SetLocked(bool on) { locked_ = on; }

    // Client area less BorderWidth and the bevels (and Padding).
    void AdjustClientRect(TRect& Rect) override;

    TNotifyEvent OnPaint;

protected:
    // Paints the face inside the outer bevel (border strip included) and
    // leaves r shrunk by the border strip.
    virtual void PaintFace(TCanvas* canvas, TRect& r) = 0;
    void Paint() override;
    void PaintBorder(TCanvas* canvas) override;
    TRect BorderInsets() const override;
    void CMTextChanged(TMessage& Message) override;
    void WndProc(TMessage& Message) override;

private:
    void bevelsChanged();

    TAlignment alignment_ = taCenter;
    TBevelCut bevelInner_ = bvNone;
    TBevelCut bevelOuter_ = bvRaised;
    TBevelWidth bevelWidth_ = 1;
    TBorderWidth borderWidth_ = 0;
    TBorderStyle borderStyle_ = bsNone;
    bool fullRepaint_ = true;
    bool locked_ = false;
};

class TCustomPanel : public TBevelPanelControl {
public:
    explicit TCustomPanel(TComponent* AOwner);

    // The parent's background shows through (the themed look); false
    // paints the panel's own Color.
    bool ParentBackground() const { return ControlStyle().Contains(csParentBackground); }
    void SetParentBackground(bool on);

protected:
    void PaintFace(TCanvas* canvas, TRect& r) override;
};

class TPanel : public TCustomPanel {
public:
    using TCustomPanel::TCustomPanel;
};

// ------------------------------------------------------------ bevel

enum TBevelStyle { bsLowered, bsRaised };
enum TBevelShape { bsBox, bsFrame, bsTopLine, bsBottomLine, bsLeftLine, bsRightLine, bsSpacer };

class TBevel : public TGraphicControl {
public:
    explicit TBevel(TComponent* AOwner);
    TBevelShape Shape() const { return shape_; }
    void SetShape(TBevelShape shape);
    TBevelStyle Style() const { return style_; }
    void SetStyle(TBevelStyle style);

protected:
    void Paint() override;

private:
    TBevelShape shape_ = bsBox;
    TBevelStyle style_ = bsLowered;
};

// ------------------------------------------------------------ shape

enum TShapeType { stRectangle, stSquare, stRoundRect, stRoundSquare, stEllipse, stCircle };

// The figure box of a shape control: x, y, w, h of the platform's rule (pen
// width pw: x = y = pw div 2, w = W - pw + 1 and h = H - pw + 1, one less
// for pw 0; square kinds take the smaller side, centred), and s, the
// smaller side before squaring.
struct TShapeBox {
    Integer X = 0;
    Integer Y = 0;
    Integer W = 0;
    Integer H = 0;
    Integer S = 0;
};
TShapeBox ShapeBox(Integer width, Integer height, Integer penWidth, bool square);

class TShape : public TGraphicControl {
public:
    explicit TShape(TComponent* AOwner);
    ~TShape() override;

    TShapeType Shape() const { return shape_; }
    void SetShape(TShapeType shape);
    TPen* Pen() const { return pen_.get(); }
    void SetPen(TPen* pen) { pen_->Assign(pen); }
    TBrush* Brush() const { return brush_.get(); }
    void SetBrush(TBrush* brush) { brush_->Assign(brush); }

protected:
    void Paint() override;

private:
    TShapeType shape_ = stRectangle;
    std::unique_ptr<TPen> pen_;
    std::unique_ptr<TBrush> brush_;
};

// ------------------------------------------------------------ paint box

// A windowless area painted by OnPaint on its canvas (font and colour set).
class TPaintBox : public TGraphicControl {
public:
    explicit TPaintBox(TComponent* AOwner);
    TNotifyEvent OnPaint;

protected:
    void Paint() override;
};

// ------------------------------------------------------------ image

// Where a picture of pictureWidth x pictureHeight goes in a client area:
// Stretch (or Proportional with a picture larger than the area) fills it,
// keeping the proportions with Proportional; otherwise the picture keeps
// its size; Center centres the result (div, toward zero).
TRect ImageDestRect(Integer pictureWidth, Integer pictureHeight, Integer clientWidth, Integer clientHeight,
                    bool stretch, bool proportional, bool center);

class TImage : public TGraphicControl {
public:
    explicit TImage(TComponent* AOwner);
    ~TImage() override;

    TPicture* Picture() const { return picture_.get(); }
    void SetPicture(TPicture* picture) { picture_->Assign(picture); }
    // The canvas of the picture's bitmap (one of the control's size is made
    // for an empty picture); EInvalidOperation when the picture holds
    // another kind of graphic.
    TCanvas* Canvas();
    bool Stretch() const { return stretch_; }
    void SetStretch(bool on);
    bool Center() const { return center_; }
    void SetCenter(bool on);
    bool Proportional() const { return proportional_; }
    void SetProportional(bool on);
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool on);
    // A picture loading asks to be redrawn: the image paints at once.
    bool IncrementalDisplay() const { return incrementalDisplay_; }
    void SetIncrementalDisplay(bool on) { incrementalDisplay_ = on; }
    TRect DestRect() const;

    // The picture's loading progress (Graphics.h).
    TProgressEvent OnProgress;

protected:
    void Paint() override;
    bool CanAutoSize(Integer& NewWidth, Integer& NewHeight) override;
    virtual void PictureChanged(TObject* Sender);
    // With IncrementalDisplay a redraw request paints now; then OnProgress.
    virtual void Progress(TObject* Sender, TProgressStage Stage, Byte PercentDone, bool RedrawNow, const TRect& R,
                          const QString& Msg);

private:
    std::unique_ptr<TPicture> picture_;
    bool stretch_ = false;
    bool center_ = false;
    bool proportional_ = false;
    bool transparent_ = false;
    bool incrementalDisplay_ = false;
    bool drawing_ = false;
};

// ------------------------------------------------------------ splitter

// A bar between aligned controls: dragging it with the left button resizes
// the control aligned to the same side that it touches (alLeft by default:
// the control on its left), keeping MinSize for that control and for the
// rest of the parent. OnMoved follows a drag that changed the size.
class TSplitter : public TGraphicControl {
public:
    explicit TSplitter(TComponent* AOwner);

    Integer MinSize() const { return minSize_; }
    void SetMinSize(Integer size);
    bool Beveled() const { return beveled_; }
    void SetBeveled(bool on);

    TNotifyEvent OnMoved;

protected:
    void Paint() override;
    // The cursor follows the alignment (a left-right or an up-down arrow).
    void RequestAlign() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
    void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;

private:
    TControl* ResizedControl() const;
    Integer MaxSize(const TControl* resized) const;
    Integer ParentPosition(Integer X, Integer Y) const;

    Integer minSize_ = 30;
    bool beveled_ = false;
    TControl* resized_ = nullptr;  // while dragging
    std::weak_ptr<TControl*> resizedGuard_;
    Integer downPosition_ = 0;
    Integer startSize_ = 0;
    Integer maxSize_ = 0;
};
