// Report core: measurements in tenths of a millimetre (units, page, band
// and printable sizes) and the frame drawn around bands and controls.
#pragma once

#include "Classes.h"
#include "Graphics.h"
#include "Printers.h"
#include "QRPrntr.h"
#include "SysUtils.h"

#include <vector>

class TControl;
class TWinControl;
class TDataSet;

// ------------------------------------------------------------ units

enum class TQRUnit { MM, Inches, Pixels, Characters, Native };

// The engine-wide measurement setting: true under the US system (inches and
// Letter by default). Read from the locale at start-up; tests may set it.
bool QRMeasurementIsUS();
void SetQRMeasurementIsUS(bool us);

// A set of measurements stored in tenths of a millimetre and shown in
// Units. Each value has an index; the index fixes its direction
// (horizontal values use the character width) and its place in "Values".
class TQRUnitBase : public TPersistent {
public:
    TQRUnitBase();

    TQRUnit Units() const { return units_; }
    virtual void SetUnits(TQRUnit value);
    TQRUnit SavedUnits() const { return savedUnits_; }
    // The report whose font size drives Characters and which re-lays out
    // and repaints when a value changes.
    TWinControl* ParentReport() const { return parentReport_; }
    void SetParentReport(TWinControl* report) { parentReport_ = report; }
    bool Updating() const { return updating_; }
    Integer Zoom() const { return zoom_; }
    // A zoom of 0 or less is ignored: pixel conversions divide by it.
    void SetZoom(Integer value);
    Integer ScreenPixelsPerInch() const { return screenPixelsPerInch_; }

    Extended FromNative(Extended value, bool horizontal) const;
    Extended ToNative(Extended value, bool horizontal) const;

    // "Values": a list of extended floats, raw tenths, in index order.
    void WriteValues(TStream& stream) const;
    // EReadError on a malformed list or one of the wrong length; the stored
    // values stay as they were then.
    void ReadValues(TStream& stream);

    Extended RawValue(int index) const { return values_[size_t(index)]; }
    int ValueCount() const { return int(values_.size()); }

    // Pushes the values into the owning control (nothing in the base).
    virtual void Update() {}

protected:
    TQRUnitBase(std::vector<Extended> defaults, std::vector<bool> horizontal);
    void Changed() { Update(); }
    Extended Value(int index) const;
    void StoreValue(int index, Extended value);
    // Runs f with Updating set, restoring the flag even when f throws.
    template <class F> void WhileUpdating(F f);

private:
    // Millimetres per character of the report font, across or down.
    Extended CharacterSize(bool horizontal) const;

    friend class TQRUnitSwitch;

    std::vector<Extended> values_;
    std::vector<bool> horizontal_;
    Integer screenPixelsPerInch_;
    TQRUnit units_;
    TQRUnit savedUnits_;
    TWinControl* parentReport_ = nullptr;
    bool updating_ = false;
    Integer zoom_ = 100;
};

// Switches a measurement object to another unit for a while and returns to
// the old unit when it goes out of scope, also on an exception.
class TQRUnitSwitch {
public:
    TQRUnitSwitch(TQRUnitBase& target, TQRUnit unit);
    ~TQRUnitSwitch();
    TQRUnitSwitch(const TQRUnitSwitch&) = delete;
    TQRUnitSwitch& operator=(const TQRUnitSwitch&) = delete;

private:
    TQRUnitBase& target_;
    TQRUnit saved_;
};

// ------------------------------------------------------------ page

class TQRPage : public TQRUnitBase {
public:
    enum Index { iBottomMargin, iLength, iTopMargin, iWidth, iLeftMargin, iRightMargin, iColumnSpace };

    TQRPage();

    Extended BottomMargin() const { return Value(iBottomMargin); }
    void SetBottomMargin(Extended v) { SetValue(iBottomMargin, v); }
    Extended Length() const { return Value(iLength); }
    void SetLength(Extended v) { SetValue(iLength, v); }
    Extended TopMargin() const { return Value(iTopMargin); }
    void SetTopMargin(Extended v) { SetValue(iTopMargin, v); }
    Extended Width() const { return Value(iWidth); }
    void SetWidth(Extended v) { SetValue(iWidth, v); }
    Extended LeftMargin() const { return Value(iLeftMargin); }
    void SetLeftMargin(Extended v) { SetValue(iLeftMargin, v); }
    Extended RightMargin() const { return Value(iRightMargin); }
    void SetRightMargin(Extended v) { SetValue(iRightMargin, v); }
    Extended ColumnSpace() const { return Value(iColumnSpace); }
    void SetColumnSpace(Extended v) { SetValue(iColumnSpace, v); }
    // The indexed getter and setter behind the seven values above.
    Extended Values(int index) const { return Value(index); }
    void SetValue(int index, Extended value);

    Integer Columns() const { return columns_; }
    void SetColumns(Integer value);
    TPrinterOrientation Orientation() const { return orientation_; }
    void SetOrientation(TPrinterOrientation value);
    TQRPaperSize PaperSize() const { return paperSize_; }
    void SetPaperSize(TQRPaperSize value);
    bool Ruler() const { return ruler_; }
    void SetRuler(bool value);

    void SetUnits(TQRUnit value) override;
    // Sizes the report control to the page in the current unit.
    void Update() override;

private:
    void RepaintReport() const;
    void LayoutReport() const;

    Integer columns_ = 1;
    TPrinterOrientation orientation_ = poPortrait;
    TQRPaperSize paperSize_ = TQRPaperSize::A4;
    bool ruler_ = true;
};

// ------------------------------------------------------------ band and printable sizes

class TQRBandSize : public TQRUnitBase {
public:
    enum Index { iHeight, iWidth };

    explicit TQRBandSize(TControl* band);

    Extended Height() const { return Value(iHeight); }
    void SetHeight(Extended v) { StoreValue(iHeight, v); Changed(); }
    Extended Width() const { return Value(iWidth); }
    void SetWidth(Extended v) { StoreValue(iWidth, v); Changed(); }
    TControl* Band() const { return band_; }

    // Sets the band's pixel width and height from Width and Height.
    void Update() override;
    // The band was resized on the design surface: take each pixel value
    // that differs.
    void TakeBounds(Integer width, Integer height);

private:
    TControl* band_;
};

class TQRPrintableSize : public TQRUnitBase {
public:
    enum Index { iHeight, iLeft, iTop, iWidth };

    explicit TQRPrintableSize(TControl* control);

    Extended Height() const { return Value(iHeight); }
    void SetHeight(Extended v) { StoreValue(iHeight, v); Changed(); }
    Extended Left() const { return Value(iLeft); }
    void SetLeft(Extended v) { StoreValue(iLeft, v); Changed(); }
    Extended Top() const { return Value(iTop); }
    void SetTop(Extended v) { StoreValue(iTop, v); Changed(); }
    Extended Width() const { return Value(iWidth); }
    void SetWidth(Extended v) { StoreValue(iWidth, v); Changed(); }
    TControl* Control() const { return control_; }

    // Sets the control's pixel bounds from Left, Top, Width and Height.
    void Update() override;
    // The control was moved or resized on the design surface.
    void TakeBounds(Integer left, Integer top, Integer width, Integer height);

private:
    TControl* control_;
};

// ------------------------------------------------------------ frame

class TQRFrame : public TPersistent {
public:
    explicit TQRFrame(TControl* owner) : owner_(owner) {}

    TColor Color() const { return color_; }
    void SetColor(TColor value);
    bool DrawTop() const { return sides_[0]; }
    bool DrawBottom() const { return sides_[1]; }
    bool DrawLeft() const { return sides_[2]; }
    bool DrawRight() const { return sides_[3]; }
    void SetDrawTop(bool v) { SetSide(0, v); }
    void SetDrawBottom(bool v) { SetSide(1, v); }
    void SetDrawLeft(bool v) { SetSide(2, v); }
    void SetDrawRight(bool v) { SetSide(3, v); }
    // Index 0..3: top, bottom, left, right.
    void SetSide(int index, bool value);
    TPenStyle Style() const { return style_; }
    void SetStyle(TPenStyle value);
    // Line width in points; -1 is one device pixel.
    Integer Width() const { return width_; }
    void SetWidth(Integer value);
    TControl* Owner() const { return owner_; }

    bool AnyFrame() const { return sides_[0] || sides_[1] || sides_[2] || sides_[3]; }

    // Line thickness in device units for a scale of factor device units per
    // tenth of a millimetre (vertical lines take the x factor).
    Integer Thickness(Extended factor) const;

private:
    void Repaint() const;

    TColor color_ = clBlack;
    bool sides_[4] = {false, false, false, false};
    TPenStyle style_ = psSolid;
    Integer width_ = 1;
    TControl* owner_;
};

// Draws the frame's sides on rect as filled strips that meet at the corners.
void PaintFrame(const TQRFrame& frame, TCanvas& canvas, const TRect& rect, Extended xFactor, Extended yFactor);

// ------------------------------------------------------------ unit routines

// Base followed by the smallest number from 1 up that no component of
// owner uses as its name.
QString UniqueName(const TComponent* owner, const QString& base);
bool IsActive(const TDataSet* dataSet);
