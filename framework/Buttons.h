// The speed button: a windowless push button with a glyph of up to four
// images, groups of mutually exclusive buttons, a flat mode that raises
// under the mouse, and the glyph objects that lay out and draw its glyph
// and caption (shared with buttons built on it).
//
// States: bsUp -> bsDown on a left press; bsDown -> bsUp (no group) or
// bsExclusive (a group button that went down) on release; bsExclusive while
// Down; bsDisabled while not enabled. A press captures the mouse until the
// release; a double click is a second press (and DblClick for a down button).
#pragma once

#include "Controls.h"
#include "Graphics.h"

#include <QtGui/QImage>

#include <array>
#include <memory>
#include <vector>

enum TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };
enum TButtonState { bsUp, bsDisabled, bsDown, bsExclusive };
using TNumGlyphs = Integer;  // 1..4

// ------------------------------------------------------------ glyph objects

// Images of one size in slots: adding takes the first free slot, deleting
// frees it (the other images keep their indexes).
class TGlyphList {
public:
    TGlyphList(Integer width, Integer height) : width_(width), height_(height) {}
    Integer Width() const { return width_; }
    Integer Height() const { return height_; }
    // Slots in use.
    Integer Count() const { return count_; }
    // image must be Width x Height; transparent pixels carry alpha 0.
    Integer Add(const QImage& image);
    void Delete(Integer index);
    // EListError for a free or unknown slot.
    const QImage& Image(Integer index) const;

private:
    Integer width_;
    Integer height_;
    Integer count_ = 0;
    std::vector<QImage> images_;
    std::vector<bool> used_;
};

// The glyph lists of every button glyph, one per image size. It lives while
// any button glyph lives.
class TGlyphCache {
public:
    TGlyphList* GetList(Integer width, Integer height);
    // Frees the list once no slot of it is in use.
    void ReturnList(TGlyphList* list);
    bool Empty() const { return lists_.empty(); }

private:
    std::vector<std::unique_ptr<TGlyphList>> lists_;
};

// The shared cache, nil while no button glyph exists.
TGlyphCache* GlyphCache();

// A button's glyph: the source bitmap with NumGlyphs images side by side
// (up, disabled, down, exclusive), the image made for each state on first
// use, and the layout and drawing of glyph and caption.
class TButtonGlyph {
public:
    TButtonGlyph();
    virtual ~TButtonGlyph();
    TButtonGlyph(const TButtonGlyph&) = delete;
    TButtonGlyph& operator=(const TButtonGlyph&) = delete;

    TBitmap* Glyph() const { return original_.get(); }
    // Copies value (nil empties). A bitmap whose width is an exact multiple
    // of its height sets NumGlyphs to width div height, or to 1 from 5 up.
    void SetGlyph(TBitmap* value);
    TNumGlyphs NumGlyphs() const { return numGlyphs_; }
    // Kept within 1..4.
    void SetNumGlyphs(TNumGlyphs value);
    // clOlive until a bitmap is loaded, then the bitmap's own.
    TColor TransparentColor() const { return transparentColor_; }
    // Size of one image; 0 x 0 without a glyph.
    TSize GlyphSize() const;

    // Drops the images made so far; they are made again when needed.
    void Invalidate();
    // Index of state's image in the glyph list, made on first use; -1
    // without a glyph. A missing image falls back to the up image; the
    // disabled image of a one-image glyph is an embossed monochrome copy.
    Integer CreateButtonGlyph(TButtonState state);
    // The image of state (null without a glyph).
    QImage StateImage(TButtonState state);

    // Glyph position and text bounds inside client: the glyph on the side
    // Layout names, Margin from the edge (-1 centres glyph and text
    // together), Spacing between glyph and text (-1 spreads them evenly);
    // the other axis centred. Both shifted by offset.
    void CalcButtonLayout(TCanvas* canvas, const TRect& client, const TPoint& offset, const QString& caption,
                          TButtonLayout layout, Integer margin, Integer spacing, TPoint& glyphPos,
                          TRect& textBounds);
    // The state's image at glyphPos; a button that is not transparent shows
    // clBtnFace where the glyph is transparent.
    void DrawButtonGlyph(TCanvas* canvas, const TPoint& glyphPos, TButtonState state, bool transparent);
    // The caption in bounds (DT_CENTER | DT_VCENTER | flags), brush clear; a
    // disabled button draws it once in clBtnHighlight one pixel down and
    // right, then in clBtnShadow.
    void DrawButtonText(TCanvas* canvas, const QString& caption, TRect bounds, TButtonState state, Cardinal flags);
    // Layout, glyph and caption; returns the text bounds.
    TRect Draw(TCanvas* canvas, const TRect& client, const TPoint& offset, const QString& caption,
               TButtonLayout layout, Integer margin, Integer spacing, TButtonState state, bool transparent);

    // After the bitmap or the images changed: the button repaints.
    TNotifyEvent OnChange;

private:
    void glyphChanged();

    std::unique_ptr<TBitmap> original_;
    TGlyphList* glyphList_ = nullptr;
    std::array<Integer, 4> indexes_{-1, -1, -1, -1};
    TColor transparentColor_ = clOlive;
    TNumGlyphs numGlyphs_ = 1;
};

// The embossed monochrome copy of an image: every opaque pixel that is not
// white becomes clBtnShadow, with a clBtnHighlight copy one pixel down and
// right beneath it; the rest is transparent.
QImage EmbossedGlyph(const QImage& image);

// ------------------------------------------------------------ TSpeedButton

class TSpeedButton : public TGraphicControl {
public:
    explicit TSpeedButton(TComponent* AOwner);
    ~TSpeedButton() override;

    // A down button of the group may be released by a click.
    bool AllowAllUp() const { return allowAllUp_; }
    void SetAllowAllUp(bool on);
    // Group of mutually exclusive buttons on one parent; 0 = none.
    Integer GroupIndex() const { return groupIndex_; }
    void SetGroupIndex(Integer index);
    // Always false while GroupIndex is 0; a down button goes up only when
    // AllowAllUp is set. Going down releases the group's other button.
    bool Down() const { return down_; }
    void SetDown(bool on);
    bool Flat() const { return flat_; }
    void SetFlat(bool on);
    TBitmap* Glyph() const { return glyph_->Glyph(); }
    void SetGlyph(TBitmap* bitmap);
    TNumGlyphs NumGlyphs() const { return glyph_->NumGlyphs(); }
    void SetNumGlyphs(TNumGlyphs value);
    TButtonLayout Layout() const { return layout_; }
    void SetLayout(TButtonLayout layout);
    Integer Margin() const { return margin_; }
    void SetMargin(Integer margin);
    Integer Spacing() const { return spacing_; }
    void SetSpacing(Integer spacing);
    // False makes the control opaque (it paints its whole face).
    bool Transparent() const { return !ControlStyle().Contains(csOpaque); }
    void SetTransparent(bool on);

    TButtonState State() const { return state_; }
    // Flat mode: the mouse is over the button.
    bool MouseInControl() const { return mouseInControl_; }
    // The left button was pressed on the button and is still held.
    bool Dragging() const { return dragging_; }

protected:
    // A button built on this one brings its own glyph object.
    TSpeedButton(TComponent* AOwner, std::unique_ptr<TButtonGlyph> glyph);
    TButtonGlyph* GlyphObject() const { return glyph_.get(); }
    void SetState(TButtonState state) { state_ = state; }
    void SetMouseInControl(bool on) { mouseInControl_ = on; }
    void SetDragging(bool on) { dragging_ = on; }
    // Paint's first step: bsDisabled while disabled (dragging ends); an
    // enabled button leaving bsDisabled becomes bsExclusive when down in a
    // group, else bsUp.
    void UpdateStateForPaint();
    // Tells the buttons of the group on the parent (CM_BUTTONPRESSED).
    void UpdateExclusive();
    // Flat and enabled: whether the mouse is over the button, with the
    // enter or leave step that follows.
    void UpdateTracking();

    void Paint() override;
    // The text painted on the face (a tool button shows none).
    virtual QString FaceCaption() const { return Caption(); }
    // A button of a group also shows the action's Checked as Down.
    void ActionChange(TObject* Sender, bool CheckDefaults) override;
    void Loaded() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
    void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
    void WndProc(TMessage& Message) override;
    // Another button of the group went down (WParam group, LParam button).
    virtual void CMButtonPressed(TMessage& Message);
    void CMEnabledChanged(TMessage& Message) override;
    void CMDialogChar(TMessage& Message) override;
    void CMSysColorChange(TMessage& Message) override;
    void CMMouseEnter(TMessage& Message) override;
    void CMMouseLeave(TMessage& Message) override;

private:
    bool insideClient(Integer x, Integer y) const;

    std::unique_ptr<TButtonGlyph> glyph_;
    TButtonState state_ = bsUp;
    bool down_ = false;
    bool dragging_ = false;
    bool allowAllUp_ = false;
    bool flat_ = false;
    bool mouseInControl_ = false;
    Integer groupIndex_ = 0;
    TButtonLayout layout_ = blGlyphLeft;
    Integer margin_ = -1;
    Integer spacing_ = 4;
};
