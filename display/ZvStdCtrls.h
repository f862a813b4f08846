// Unit ZvStdCtrls: display controls of business screens. The even-pitch
// shadowed label and the rotated label build on the framework's label; the
// texture panel and texture label paint a tiled bitmap behind their
// caption; the shape control draws one of 24 figures for ruled forms.
#pragma once

#include "Controls.h"
#include "ExtCtrls.h"
#include "Graphics.h"
#include "StdCtrls.h"
#include "Types.h"
#include "ZvTags.h"

#include <memory>

// Value names of these enumerations would clash with other units'
// (vaTop of the edit layout, the framework shape's st...): they are scoped.
enum class TShadowType { stNone, stLeftTop, stRightTop, stLeftBottom, stRightBottom };
enum class TVLabelAngle { va0, va90, va180, va270 };
enum class TZvShapeType {
    stcRectangle, stcSquare, stcRoundRect, stcRoundSquare, stcEllipse, stcCircle, stcVertLine, stcHorLine,
    stcTopAndBottom, stcRightAndLeft, stcLeftTop, stcLeftBottom, stcLTSector, stcLBSector, stcRTSector,
    stcRBSector, stcLTCSector, stcLBCSector, stcRTCSector, stcRBCSector, stcLeftLine, stcTopLine,
    stcRightLine, stcBottomLine
};

// ------------------------------------------------------------ even-pitch label

// A label that can draw a shadow behind its caption and spread the
// caption's characters evenly over its whole width (AVPitch), optionally
// fitting the font height to that width (JustFontSize).
class TZvAVLabel : public TCustomLabel, public TZvUserTags<Integer> {
public:
    explicit TZvAVLabel(TComponent* AOwner);

    bool AVPitch() const { return avPitch_; }
    void SetAVPitch(bool on);
    bool JustFontSize() const { return justFontSize_; }
    void SetJustFontSize(bool on);
    TColor ShadowColor() const { return shadowColor_; }
    void SetShadowColor(TColor color);
    TShadowType ShadowType() const { return shadowType_; }
    void SetShadowType(TShadowType type);
    Integer ShadowWidth() const { return shadowWidth_; }
    void SetShadowWidth(Integer width);

    // The shadow's offset from the text; (0, 0) when no shadow shows.
    TPoint ShadowOffset() const;
    // The font height the even-pitch mode draws with: Font's height, or
    // with JustFontSize the one that fits the caption to the width.
    Integer FittedFontHeight();

protected:
    void Paint() override;

private:
    template <typename T>
    void change(T& field, T value);
    void paintPlain(TPoint shadow);
    void paintEvenPitch(TPoint shadow);
    Integer layoutOffset(Integer textHeight) const;

    bool avPitch_ = false;
    bool justFontSize_ = false;
    TColor shadowColor_ = clWhite;
    TShadowType shadowType_ = TShadowType::stNone;
    Integer shadowWidth_ = 0;
};

// ------------------------------------------------------------ rotated label

// A label whose caption is drawn as one line turned by 0, 90, 180 or 270
// degrees, placed by Alignment along the text and Layout across it.
class TZvVLabel : public TCustomLabel, public TZvUserTags<Integer> {
public:
    explicit TZvVLabel(TComponent* AOwner);

    TVLabelAngle Angle() const { return angle_; }
    void SetAngle(TVLabelAngle angle);

    // Where the text starts (the upper-left corner of its first character
    // in the text's own direction) for a text of tw x th measured along it.
    TPoint StartPoint(Integer tw, Integer th) const;

protected:
    void Paint() override;

private:
    TVLabelAngle angle_ = TVLabelAngle::va0;
};

// ------------------------------------------------------------ texture panel

// A container like the framework's panel (bevels, border, caption) whose
// background is a bitmap tiled from its client origin. It is not a TPanel.
class TTextureCustomPanel : public TBevelPanelControl, public TZvUserTags<Integer> {
public:
    explicit TTextureCustomPanel(TComponent* AOwner);
    ~TTextureCustomPanel() override;

    // FullRepaint and Locked, from the base, are stored only: a resized
    // widget is repainted whole.
    // The tiled background; an empty bitmap paints Color instead. Setting
    // it copies the graphic.
    TBitmap* Texture() const { return texture_.get(); }
    void SetTexture(TGraphic* graphic);

protected:
    void PaintFace(TCanvas* canvas, TRect& r) override;
    // No while a docked client sizes the panel.
    bool CanAutoSize(Integer& NewWidth, Integer& NewHeight) override;
    // With AutoSize, a panel aligned to one side with no extent across it
    // takes the docked control's extent first, growing away from its side.
    void CMDockClient(TMessage& Message) override;

private:
    // Set while a docked client sizes the panel.
    bool autoSizeDocking_ = false;
    std::unique_ptr<TBitmap> texture_;
};

class TTexturePanel : public TTextureCustomPanel {
public:
    using TTextureCustomPanel::TTextureCustomPanel;
};

// ------------------------------------------------------------ texture label

// A label with a tiled bitmap background, aligned to its parent's client
// origin so that it continues the pattern of a panel with the same
// texture. It is not a TCustomLabel.
class TCustomTextureLabel : public TCaptionControl, public TZvUserTags<Integer> {
public:
    explicit TCustomTextureLabel(TComponent* AOwner);
    ~TCustomTextureLabel() override;

    TBitmap* Texture() const { return texture_.get(); }
    void SetTexture(TGraphic* graphic);

protected:
    void PaintBackground(TCanvas* canvas) override;

private:
    std::unique_ptr<TBitmap> texture_;
};

class TTextureLabel : public TCustomTextureLabel {
public:
    using TCustomTextureLabel::TCustomTextureLabel;
};

// ------------------------------------------------------------ shape

// One of 24 figures drawn with the shape's own pen and brush. Its pop-up
// menu is the control's PopupMenu: the framework clears it when the menu
// goes away and shows it on a right click unless OnContextPopup handled it.
class TZvShape : public TGraphicControl, public TZvUserTags<Integer> {
public:
    explicit TZvShape(TComponent* AOwner);
    ~TZvShape() override;

    TPen* Pen() const { return pen_.get(); }
    void SetPen(TPen* pen) { pen_->Assign(pen); }
    TBrush* Brush() const { return brush_.get(); }
    void SetBrush(TBrush* brush) { brush_->Assign(brush); }
    TZvShapeType Shape() const { return shape_; }
    void SetShape(TZvShapeType shape);

protected:
    void Paint() override;

private:
    void paintSector(TZvShapeType kind, Integer w, Integer h, Integer pw);
    void line(Integer x1, Integer y1, Integer x2, Integer y2);

    std::unique_ptr<TPen> pen_;
    std::unique_ptr<TBrush> brush_;
    TZvShapeType shape_ = TZvShapeType::stcRectangle;
};
