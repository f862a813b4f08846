// The gradient button of business screens: a speed button whose face is a
// gradient (concentric rounded rings or two mirrored halves), with rounded
// corners, a one-pixel hot-track frame, a pressed colour, an optional thin
// bevel, a small second caption (the guide, "F1" above the caption of a
// function-key button) and an evenly pitched caption.
#pragma once

#include "Buttons.h"
#include "ZvTags.h"

#include <vector>

enum TGradientType { gtNormal, gtDual };
using TPositiveInt = Integer;  // 1..2147483647

// The glyph object of the gradient button: the speed button's layout and
// glyph, with the caption and the guide placed by the button's own table.
class TSBtnGlyph : public TButtonGlyph {
public:
    Integer GuideFontHeight() const { return guideFontHeight_; }
    void SetGuideFontHeight(Integer height) { guideFontHeight_ = height; }
    // Distance of caption and guide from the top or bottom edge.
    Integer VerticalMargin() const { return verticalMargin_; }
    // Also drops the images made so far.
    void SetVerticalMargin(Integer margin);

    // Glyph, caption and guide inside client shifted by offset. The caption
    // goes by Layout (centred, or at the bottom or top edge beside a glyph or
    // a visible guide), the guide at the top left (bottom left for
    // blGlyphBottom) in the guide font height.
    void DrawEx(TCanvas* canvas, const TRect& client, const TPoint& offset, const QString& caption,
                TButtonLayout layout, Integer margin, Integer spacing, TButtonState state, bool transparent,
                bool avPitch, bool guideVisible, const QString& guide);

private:
    Integer guideFontHeight_ = -11;
    Integer verticalMargin_ = 2;
};

class TSBtn : public TSpeedButton,
             public TZvIntTags<Integer>,
             public TZvStringTags,
             public TZvTagString {
public:
    explicit TSBtn(TComponent* AOwner);
    ~TSBtn() override;

    bool AVPitch() const { return avPitch_; }
    void SetAVPitch(bool on);
    // Corner ellipse size of the rings and of the hot-track frame.
    TPositiveInt Curve() const { return curve_; }
    void SetCurve(TPositiveInt curve);

    const QString& Guide() const { return guide_; }
    void SetGuide(const QString& text);
    const QString& GuideBase() const { return guideBase_; }
    void SetGuideBase(const QString& text);
    const QString& GuideSpace() const { return guideSpace_; }
    void SetGuideSpace(const QString& text);
    // GuideFontSize is -MulDiv(GuideFontHeight, 72, screen pixels per inch);
    // setting either sets the other.
    Integer GuideFontHeight() const { return guideFontHeight_; }
    void SetGuideFontHeight(Integer height);
    Integer GuideFontSize() const { return guideFontSize_; }
    void SetGuideFontSize(Integer size);
    bool GuideVisible() const { return guideVisible_; }
    void SetGuideVisible(bool on);
    // The guide as drawn: GuideBase + GuideSpace + Guide when GuideBase is
    // set, else Guide; empty while the guide is not visible.
    QString GuideText() const;

    // A gradient face instead of a plain Color face.
    bool Gradient() const { return gradient_; }
    void SetGradient(bool on);
    TGradientType GradientType() const { return gradientType_; }
    // Switching also swaps the end colour of the other type's default pair.
    void SetGradientType(TGradientType type);
    // Split and fill direction of gtDual.
    TGradientDirection GradientDirection() const { return gradientDirection_; }
    void SetGradientDirection(TGradientDirection direction);
    TColor GradientStartColor() const { return startColor_; }
    void SetGradientStartColor(TColor color);
    TColor GradientEndColor() const { return endColor_; }
    void SetGradientEndColor(TColor color);
    // Speed of the ring colour change.
    TPositiveInt GradientRatio() const { return gradientRatio_; }
    void SetGradientRatio(TPositiveInt ratio);
    bool InvertGradient() const { return invertGradient_; }
    void SetInvertGradient(bool on);

    bool HotTrack() const { return hotTrack_; }
    void SetHotTrack(bool on);
    TColor OnTrackColor() const { return onTrackColor_; }
    void SetOnTrackColor(TColor color);
    TColor OffTrackColor() const { return offTrackColor_; }
    void SetOffTrackColor(TColor color);
    bool UseDownColor() const { return useDownColor_; }
    void SetUseDownColor(bool on);
    TColor DownColor() const { return downColor_; }
    void SetDownColor(TColor color);
    // One-pixel edge instead of the standard button frame.
    bool ThinBevel() const { return thinBevel_; }
    void SetThinBevel(bool on);
    Integer VerticalMargin() const { return verticalMargin_; }
    void SetVerticalMargin(Integer margin);

    // The mouse is over the button (hot track).
    bool MouseOver() const { return mouseOver_; }
    // The button width of the function-key bar this button leads, fixed by
    // its first layout; 0 until then.
    Integer FnKeyBarWidth() const { return fnKeyBarWidth_; }
    void SetFnKeyBarWidth(Integer width) { fnKeyBarWidth_ = width; }

protected:
    void Paint() override;
    // An empty Glyph takes the action's image from its list's Images.
    void ActionChange(TObject* Sender, bool CheckDefaults) override;
    void CMMouseEnter(TMessage& Message) override;
    void CMMouseLeave(TMessage& Message) override;

private:
    TSBtnGlyph* glyph() const { return static_cast<TSBtnGlyph*>(GlyphObject()); }
    bool pressed() const { return State() == bsDown || State() == bsExclusive; }
    void paintFlat(TRect& paintRect, TColor a, TColor b);
    void paintRaised(TRect& paintRect, TColor a, TColor b);
    void upFace(const TRect& r, TColor a, TColor b);
    void downFace(const TRect& r, TColor a, TColor b);
    void edge(const TRect& r);
    void rings(TColor from, TColor to);
    void dualHalves(TColor from, TColor to);
    void fill(const TRect& r, TColor color);
    void hotTrackFrame();
    template <class T>
    void set(T& field, const T& value);

    bool avPitch_ = false;
    TPositiveInt curve_ = 3;
    QString guide_;
    QString guideBase_;
    QString guideSpace_;
    Integer guideFontHeight_ = -11;
    Integer guideFontSize_ = 8;
    bool guideVisible_ = true;
    bool gradient_ = true;
    TGradientType gradientType_ = gtDual;
    TGradientDirection gradientDirection_ = gdVertical;
    TColor startColor_ = clBtnShadow;
    TColor endColor_ = TColor(0x00E6F8FF);
    TPositiveInt gradientRatio_ = 7;
    bool invertGradient_ = false;
    bool hotTrack_ = true;
    TColor onTrackColor_ = TColor(0x0000C6FF);
    TColor offTrackColor_ = TColor(0x00808080);
    bool useDownColor_ = true;
    TColor downColor_ = TColor(0x00FFFFFF);
    bool thinBevel_ = false;
    Integer verticalMargin_ = 2;
    bool mouseOver_ = false;
    Integer fnKeyBarWidth_ = 0;
};

// Gradient buttons alive.
Integer SBtnInstanceCount();

// ---- the face and caption rules, for the button and its tests

// Number of rings of a width x height face: min / 2 + 0.5 rounded half to
// even (40 x 60 has 20, 41 x 60 has 21).
Integer RingCount(Integer width, Integer height);
// Colour of ring i of count rings from `from` to `to`: per channel the step
// ((to - from) / count) x ratio held in single precision, trunc(i x step)
// added to `from` and held at `to`.
TColor RingColor(TColor from, TColor to, Integer count, Integer ratio, Integer i);
// Width of one UTF-16 unit in even-pitch cells: 1 for U+0000..U+007E and
// U+FF40..U+FF9F, else 2.
Integer EvenPitchUnitWidth(QChar unit);
// The cell of each UTF-16 unit of caption spread evenly over r less margin
// on both sides; no cells for a caption of width 0.
std::vector<TRect> EvenPitchCells(const QString& caption, const TRect& r, Integer margin);
