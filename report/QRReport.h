// Report core: measurements in tenths of a millimetre (units, page, band
// and printable sizes) and the frame drawn around bands and controls.
#pragma once

#include "Classes.h"
#include "ExtCtrls.h"
#include "Forms.h"
#include "Graphics.h"
#include "Printers.h"
#include "QRExpr.h"
#include "QRPrntr.h"
#include "SysUtils.h"

#include <functional>
#include <memory>
#include <typeinfo>
#include <vector>

class TControl;
class TWinControl;
class TDataSet;
class TMetafile;

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
    // Sizes the report control to the page in pixels at the zoom.
    void Update() override;
    // The report control is being resized to width x height pixels at the
    // zoom: Custom paper takes each dimension that changes.
    void TakeBounds(Integer width, Integer height);

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

    // Sets the band's pixel width and height (at the zoom) from Width and Height.
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

    // Sets the control's pixel bounds (at the zoom) from Left, Top, Width and Height.
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

// The design ruler over rect: grid lines every 5 mm (numbered in
// centimetres), quarter inch (numbered in inches) or 10 characters of a
// fontSize-point font, at zoom per cent; none for pixels and native units.
void DrawQRRuler(TCanvas& canvas, const TRect& rect, TQRUnit unit, Integer zoom, Integer fontSize);

// ------------------------------------------------------------ unit routines

// Base followed by the smallest number from 1 up that no component of
// owner uses as its name.
QString UniqueName(const TComponent* owner, const QString& base);
bool IsActive(const TDataSet* dataSet);

// ------------------------------------------------------------ panels, printables, bands

class TCustomRazorUze;
class TQRCustomBand;
class TQRCustomController;
class TQRController;

// The base of the report and of every band: a frame and a zoom that is
// passed down to everything on the panel.
class TQRBasePanel : public TCustomPanel {
public:
    explicit TQRBasePanel(TComponent* AOwner);

    TQRFrame* Frame() const { return frame_.get(); }
    void SetFrame(const TQRFrame& frame);
    Integer Zoom() const { return zoom_; }
    virtual void SetZoom(Integer value);

protected:
    void Paint() override;

private:
    std::unique_ptr<TQRFrame> frame_;
    Integer zoom_ = 100;
};

class TQRPrintable;

// The quick editor of a printable control: its common properties, read
// and set, and a small dialog to edit them.
class TQRPrintableEditor : public TObject {
public:
    explicit TQRPrintableEditor(TQRPrintable* Control) : control_(Control) {}

    TQRPrintable* Control() const { return control_; }
    virtual TColor Color() const { return clNone; }
    virtual TFont* Font() const { return nullptr; }
    // The class of control the editor is for.
    virtual const std::type_info& ControlClass() const;
    virtual QString Text() const { return QString(); }
    // The prefix of a new control's name.
    virtual QString Identifier() const { return QString(); }
    virtual QString Description() const { return QString(); }
    virtual TAlignment Alignment() const { return taLeftJustify; }
    virtual void SetAlignment(TAlignment) {}
    virtual void SetColor(TColor Value) = 0;
    virtual void SetFont(TFont* Value) = 0;
    virtual void SetText(const QString& Value) = 0;
    // Runs the editor's dialog; true when its settings were applied.
    virtual bool Edit() = 0;

private:
    TQRPrintable* control_;
};

// The base of every control that prints on a band or on the report.
class TQRPrintable : public TCustomControl {
public:
    explicit TQRPrintable(TComponent* AOwner);

    TQRPrintableSize* Size() const { return size_.get(); }
    TQRFrame* Frame() const { return frame_.get(); }
    bool AlignToBand() const { return alignToBand_; }
    void SetAlignToBand(bool value);
    TAlignment Alignment() const { return alignment_; }
    virtual void SetAlignment(TAlignment value);
    bool Transparent() const;
    void SetTransparent(bool value);
    bool IsPrinting() const { return isPrinting_; }
    TCustomRazorUze* ParentReport() const { return parentReport_; }
    void SetParentReport(TCustomRazorUze* report) { parentReport_ = report; }
    // False while the control has more to print in the next column.
    bool Finished() const { return finished_; }
    void SetFinished(bool value) { finished_ = value; }

    void SetParent(TWinControl* AParent) override;
    void SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) override;
    void SetZoom(Integer value);
    // Enabled, or not visible: such a control takes part in a run.
    virtual bool TakesPart() const { return Enabled() || !Visible(); }
    virtual void Prepare();
    virtual void Unprepare();
    // Prints at the report position (X, Y), tenths of a millimetre; the
    // base draws the frame. Descendants print their content first.
    virtual void Print(Integer X, Integer Y);
    // Operation 2 re-applies AlignToBand; the base ignores the others.
    virtual void Notify(TObject* Sender, Integer Operation);
    // The quick editor of the control; nil when it has none.
    virtual std::unique_ptr<TQRPrintableEditor> CreateEditor() { return nullptr; }

protected:
    void Paint() override;
    virtual void ApplyAlignToBand();
    // The Size pushes its bounds; a design bound still 0 then takes the
    // value the form gave while loading.
    void Loaded() override;

private:
    void JoinReport(TCustomRazorUze* report, TQRUnit unit);

    std::unique_ptr<TQRPrintableSize> size_;
    // Non-zero bounds given while loading: left, top, width, height.
    Integer designBounds_[4] = {0, 0, 0, 0};
    std::unique_ptr<TQRFrame> frame_;
    bool aligning_ = false;
    TAlignment alignment_ = taLeftJustify;
    bool alignToBand_ = false;
    bool isPrinting_ = false;
    TCustomRazorUze* parentReport_ = nullptr;
    bool finished_ = true;
};

inline const std::type_info& TQRPrintableEditor::ControlClass() const {
    return typeid(TQRPrintable);
}

enum TQRBandType {
    rbTitle, rbPageHeader, rbDetail, rbPageFooter, rbSummary, rbGroupHeader, rbGroupFooter, rbSubDetail,
    rbColumnHeader, rbOverlay, rbWild, rbChild
};
// "TitleBand", "PageHeaderBand", ...: the base of a new band's name.
QString QRBandDefaultName(TQRBandType type);
// "Title", "Page Header", ...: the caption on the design surface.
QString QRBandCaption(TQRBandType type);

enum TCBPrintOrder { cboBeforeParent, cboAfterParent, cboBeforeAndAfter };

class TQRChildBand;

class TQRCustomBand : public TQRBasePanel {
public:
    explicit TQRCustomBand(TComponent* AOwner);
    ~TQRCustomBand() override;

    TQRBandType BandType() const { return bandType_; }
    TQRBandSize* Size() const { return size_.get(); }
    TCustomRazorUze* ParentReport() const { return parentReport_; }
    void SetParentReport(TCustomRazorUze* report);

    bool AlignToBottom() const { return alignToBottom_; }
    void SetAlignToBottom(bool v) { alignToBottom_ = v; }
    bool TransparentBand() const { return transparentBand_; }
    void SetTransparentBand(bool v) { transparentBand_ = v; }
    bool ForceNewColumn() const { return forceNewColumn_; }
    void SetForceNewColumn(bool v) { forceNewColumn_ = v; }
    bool ForceNewPage() const { return forceNewPage_; }
    void SetForceNewPage(bool v) { forceNewPage_ = v; }
    bool PreCaluculateBandHeight() const { return preCalculate_; }
    void SetPreCaluculateBandHeight(bool v) { preCalculate_ = v; }
    bool KeepOnOnePage() const { return keepOnOnePage_; }
    void SetKeepOnOnePage(bool v) { keepOnOnePage_ = v; }

    // Another band printed together with this one; a value whose LinkBand
    // chain leads back here is refused.
    TQRCustomBand* LinkBand() const { return linkBand_; }
    void SetLinkBand(TQRCustomBand* band);
    // The child band naming this band as its parent, if any.
    TQRChildBand* ChildBand() const;
    bool HasChild() const { return ChildBand() != nullptr; }
    // True creates a child band; false frees it, linking a grandchild to
    // this band so the chain stays whole.
    void SetHasChild(bool value);

    void SetEnabled(bool on) override;
    void SetParent(TWinControl* AParent) override;
    void SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) override;
    void SetZoom(Integer value) override;

    // The controller whose notify clients hear of each print of this band.
    TQRCustomController* NotifyController() const { return notifyController_; }
    void SetNotifyController(TQRCustomController* controller) { notifyController_ = controller; }

    std::function<void(TQRCustomBand* Sender, bool& PrintBand)> BeforePrint;
    std::function<void(TQRCustomBand* Sender, bool BandPrinted)> AfterPrint;

protected:
    // Design surface: background, a thin outline, the frame at screen scale
    // and the band's caption at the bottom left.
    void Paint() override;
    // Height and width in tenths of a millimetre.
    Extended NativeHeight() const { return size_->RawValue(TQRBandSize::iHeight); }
    Extended NativeWidth() const { return size_->RawValue(TQRBandSize::iWidth); }
    // Extra height taken by stretching controls in the current print.
    Extended Expanded() const { return expanded_; }
    // The band's rectangle on the page in device units, last print.
    const TRect& PrintRect() const { return printRect_; }

protected:
    void SetBandTypeValue(TQRBandType type) { bandType_ = type; }
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    friend class TCustomRazorUze;

    Extended expanded_ = 0;
    TRect printRect_;

    std::unique_ptr<TQRBandSize> size_;
    TCustomRazorUze* parentReport_ = nullptr;
    TQRCustomBand* linkBand_ = nullptr;
    TQRCustomController* notifyController_ = nullptr;
    TQRBandType bandType_ = rbTitle;
    bool alignToBottom_ = false;
    bool transparentBand_ = false;
    bool forceNewColumn_ = false;
    bool forceNewPage_ = false;
    bool preCalculate_ = false;
    bool keepOnOnePage_ = false;
    bool layingOut_ = false;
};

class TQRBand : public TQRCustomBand {
public:
    explicit TQRBand(TComponent* AOwner) : TQRCustomBand(AOwner) {}
    // Rebuilds the report's order and layout.
    void SetBandType(TQRBandType type);
};

class TQRChildBand : public TQRCustomBand {
public:
    explicit TQRChildBand(TComponent* AOwner);

    // A value whose chain of parent bands leads back here is refused.
    TQRCustomBand* ParentBand() const { return parentBand_; }
    void SetParentBand(TQRCustomBand* band);
    TCBPrintOrder PrintOrder() const { return printOrder_; }
    void SetPrintOrder(TCBPrintOrder v) { printOrder_ = v; }

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    friend class TQRCustomBand;

    // Lets go of a parent band being freed, without laying the report out
    // while that band is still listed.
    void ForgetParentBand();

    TQRCustomBand* parentBand_ = nullptr;
    TCBPrintOrder printOrder_ = cboBeforeParent;
};

// ------------------------------------------------------------ export

// A figure the report hands an export filter: a band or page background,
// a side of a frame, or a full-height line; bounds in device units.
enum class TQRExportShapeKind { Rectangle, HorLine, VertLine };
struct TQRExportShape {
    TQRExportShapeKind Kind = TQRExportShapeKind::Rectangle;
    TRect Bounds;
    TColor PenColor = clBlack;
    Integer PenWidth = 1;
    TPenStyle PenStyle = psSolid;
    TColor BrushColor = clWhite;
    TBrushStyle BrushStyle = bsSolid;
};

// Receives a report run instead of (or beside) the page canvas. A run
// calls Start once, then per page NewPage, what the page holds and
// EndPage, and Finish at the end; positions are device units of the page
// unless said otherwise. The base does nothing with what it gets.
class TQRExportFilter : public TObject {
public:
    explicit TQRExportFilter(QString fileName = {}) : fileName_(std::move(fileName)) {}

    const QString& FileName() const { return fileName_; }
    // The report exporting and the report printer it had before the run.
    TCustomRazorUze* Report() const { return report_; }
    TQRPrinter* PreviousPrinter() const { return previousPrinter_; }
    void SetReport(TCustomRazorUze* report, TQRPrinter* previousPrinter);
    bool Started() const { return started_; }

    // Paper width and length in tenths of a millimetre, and the report font.
    virtual void Start(Integer PaperWidth, Integer PaperHeight, TFont* Font);
    virtual void NewPage() {}
    virtual void EndPage() {}
    virtual void Finish() { started_ = false; }
    // A band ended: its extra height and where it began (0.1 mm).
    virtual void EndBand(TQRCustomBand* Band, Extended Expanded, Integer X, Integer Y);
    // A printable control that exports itself at (X, Y).
    virtual void AcceptControl(Extended X, Extended Y, TQRPrintable* Control);
    // One line of text with its top-left (left, centre or right by Alignment) at (X, Y).
    virtual void TextOut(Extended X, Extended Y, TFont* Font, TColor BGColor, TAlignment Alignment,
                         const QString& Text);
    virtual void Shape(const TQRExportShape& Shape);
    // True: the page is as long as the paper whatever has been placed on it.
    virtual bool UseFullPageLength() const { return false; }

private:
    QString fileName_;
    TCustomRazorUze* report_ = nullptr;
    TQRPrinter* previousPrinter_ = nullptr;
    bool started_ = false;
};

// ------------------------------------------------------------ the report at design time

// ------------------------------------------------------------ preview settings

enum TQRZoomState { qrZoomToFit, qrZoomToWidth, qrZoomOther, qrZoom100 };
enum TStandPrevEventType { spOpen, spClose, spCopy, spPrint, spPrintSetup, spLoad, spSave, spCancel };
// A handler that sets Handled keeps the preview window from acting.
using TQRStandPrevEvent =
    std::function<void(TObject* Sender, TStandPrevEventType eventType, const QString& contName, bool& Handled)>;
enum TPrevEventType {
    etPrintButton, etSaveButton, etControlClick, etLoadButton, etPrintSetup, etMouseOver, etMouseOut, etBandClick
};
using TQRPreviewXEvent = std::function<void(TObject* Sender, TPrevEventType eventNum, const QString& cName,
                                            const QString& CText, Integer rec)>;
enum TPrevSaveType { stVOZ, stPDF, stXL, stHTML, stRTF, stCSV, stASCII, stXML };

// How the standard preview window shows a report's pages.
struct TQRPreviewSettings {
    TFormStyle PrevFormStyle = fsNormal;
    TWindowState PreviewInitialState = wsNormal;
    bool PrevShowThumbs = true;
    bool PrevShowSearch = true;
    TQRZoomState PrevInitialZoom = qrZoomToFit;
    TPrevSaveType PreviewDefaultSaveType = stVOZ;
    TQRStandPrevEvent OnStandPrevEvent;
    // Kept with the report; the standard preview window does not raise it.
    TQRPreviewXEvent OnPrevXEvent;
};

using TQRAfterPrintEvent = std::function<void(TObject* Sender)>;
using TQRAfterPreviewEvent = std::function<void(TObject* Sender)>;
using TQROnNeedDataEvent = std::function<void(TObject* Sender, bool& MoreData)>;

enum class TRazorUzeortOption { FirstPageHeader, LastPageFooter, Compression };
using TRazorUzeortOptions = Set<TRazorUzeortOption>;

// Where a band went: page, column and position in tenths of a millimetre.
struct TQRBandPlaced {
    TQRCustomBand* Band;
    Integer Page;
    Integer Column;
    Integer X;
    Integer Y;
    Integer Height;
};

// The state of one run, kept on the report.
struct TQRRunContext {
    bool StopRequest = false;
    Integer RecordNumber = 0;
    // True while band printing itself moves to a new column.
    bool InColumnBreak = false;
    bool Composite = false;
    // A title or column header printed last: the next forced page break is
    // not taken.
    bool TitleJustPrinted = false;
    bool ColumnBreakSeen = false;
    bool InNewPage = false;
};

// Most passes a band makes over its controls before a control that never
// finishes is given up as an error.
constexpr int QRMaxBandPasses = 1000;

class TRazorUzeBands : public TPersistent {
public:
    explicit TRazorUzeBands(TCustomRazorUze* report) : report_(report) {}

    bool HasTitle() const { return Has(rbTitle); }
    void SetHasTitle(bool v) { SetHas(rbTitle, v); }
    bool HasPageHeader() const { return Has(rbPageHeader); }
    void SetHasPageHeader(bool v) { SetHas(rbPageHeader, v); }
    bool HasColumnHeader() const { return Has(rbColumnHeader); }
    void SetHasColumnHeader(bool v) { SetHas(rbColumnHeader, v); }
    bool HasDetail() const { return Has(rbDetail); }
    void SetHasDetail(bool v) { SetHas(rbDetail, v); }
    bool HasPageFooter() const { return Has(rbPageFooter); }
    void SetHasPageFooter(bool v) { SetHas(rbPageFooter, v); }
    bool HasSummary() const { return Has(rbSummary); }
    void SetHasSummary(bool v) { SetHas(rbSummary, v); }

    bool Has(TQRBandType type) const;
    // True creates a band of the type on the report; false frees it.
    void SetHas(TQRBandType type, bool value);

private:
    TCustomRazorUze* report_;
};

// The printer options a report keeps, with the orientation the print
// dialog chose.
class TRazorUzePrinterSettings : public TQRPrinterSettings {
public:
    TPrinterOrientation Orientation = poPortrait;
};

struct TQRCompositeRun;

// A new band of the type on the report, owned by the report's owner (the
// report without one) and named after the type.
TQRBand* CreateReportBand(TCustomRazorUze* report, TQRBandType type);

class TCustomRazorUze : public TQRBasePanel {
public:
    explicit TCustomRazorUze(TComponent* AOwner);
    ~TCustomRazorUze() override;

    TQRPage* Page() const { return page_.get(); }
    TRazorUzeBands* Bands() const { return bands_.get(); }
    // The report's own named expressions: PAGENUMBER, COLUMNNUMBER and
    // REPORTTITLE, kept current during a run.
    TQREvEnvironment* Functions() const { return functions_.get(); }
    TQRUnit Units() const { return page_->Units(); }
    // The page's unit, then every band's and every printable's.
    virtual void SetUnits(TQRUnit value);
    // 1 to 300; other values are ignored.
    void SetZoom(Integer value) override;

    TRazorUzeortOptions Options() const { return options_; }
    void SetOptions(TRazorUzeortOptions v) { options_ = v; }
    const QString& ReportTitle() const { return reportTitle_; }
    void SetReportTitle(const QString& v) { reportTitle_ = v; }
    // Free text kept with the report; the setter copies the lines.
    TStrings* Description() const { return description_.get(); }
    void SetDescription(TStrings* value) { description_->Assign(value); }
    TColor BackgroundColor() const { return backgroundColor_; }
    void SetBackgroundColor(TColor v) { backgroundColor_ = v; }
    // The name of a picture control of the report that every page shows
    // stretched under its bands. Only a picture control qualifies and no
    // printable of this engine holds a picture, so the name is kept only.
    const QString& BackImageControl() const { return backImageControl_; }
    void SetBackImageControl(const QString& v) { backImageControl_ = v; }
    bool ShowProgress() const { return showProgress_; }
    void SetShowProgress(bool v) { showProgress_ = v; }
    bool SnapToGrid() const { return snapToGrid_; }
    void SetSnapToGrid(bool v) { snapToGrid_ = v; }
    // 500 whenever the stored value is not positive.
    Integer PreviewWidth() const { return previewWidth_ > 0 ? previewWidth_ : 500; }
    void SetPreviewWidth(Integer v) { previewWidth_ = v; }
    Integer PreviewHeight() const { return previewHeight_ > 0 ? previewHeight_ : 500; }
    void SetPreviewHeight(Integer v) { previewHeight_ = v; }
    TQRPreviewSettings& PreviewSettings() { return preview_; }
    const TQRPreviewSettings& PreviewSettings() const { return preview_; }

    // Every band whose parent is the report, in the order they joined.
    const std::vector<TQRCustomBand*>& BandList() const { return bandList_; }
    // The bands in design order.
    const std::vector<TQRCustomBand*>& PrintOrder() const { return printOrder_; }
    // The first band of the type in the band list.
    TQRCustomBand* BandOfType(TQRBandType type) const;
    // The first child band whose parent band is band.
    TQRChildBand* ChildOf(const TQRCustomBand* band) const;
    // The band at the top of band's chain of parent bands.
    const TQRCustomBand* TopOfChain(const TQRCustomBand* band) const;

    // Column width and printable width, tenths of a millimetre.
    Integer ColumnWidth() const;
    Integer PrintableWidth() const;

    // Rebuilds the design order and lays the bands out top-down.
    void RebuildOrder();

    // ---- the data walk
    TQRCustomController* Controller() const { return controller_.get(); }
    // The report's own OnNeedData, raised with the report as Sender when
    // its data set is not active; handed to its controller (dropped unless
    // that is a TQRController).
    void SetOnNeedData(TQROnNeedDataEvent event);
    // Registers a printable told of every detail band print (operation 0).
    void AddNotifyClient(TQRPrintable* Printable);
    // Every data set on the report's form, for evaluators; nullptr outside a run.
    TQRDataSetList* AllDataSets() { return dataSets_.get(); }
    bool PrintIfEmpty() const;
    virtual void SetPrintIfEmpty(bool value);
    // Page limit of a run into the preview; 0 for none.
    Integer PagesInPreview() const { return pagesInPreview_; }
    void SetPagesInPreview(Integer value) { pagesInPreview_ = value; }

    // ---- the run
    TQRPrinter* QRPrinter() const { return qrPrinter_; }
    void SetQRPrinter(TQRPrinter* printer) { qrPrinter_ = printer; }
    bool Available() const { return available_; }
    bool Cancelled() const { return cancelled_; }
    void Cancel();
    bool DrawOnCanvas() const { return drawOnCanvas_; }
    Integer CurrentX() const { return currentX_; }
    Integer CurrentY() const { return currentY_; }
    Integer CurrentColumn() const { return currentColumn_; }
    Integer ColumnTop() const { return columnTop_; }
    Integer PageNumber() const { return pageNumber_; }
    Extended ReservedFooter() const { return reservedFooter_; }
    const TQRRunContext& Run() const { return run_; }
    TQRRunContext& Run() { return run_; }

    // Prints the report on the selected printer through a report printer
    // of its own; the previous report printer is put back afterwards.
    void Print();
    // Runs the report into the report printer (which the caller set).
    virtual void CreateReport(bool Composite);
    void NewPage();
    void NewColumn();
    void EndPage();
    // Space left in the column, tenths of a millimetre.
    Integer AvailableSpace() const;
    // The space band may take: a summary on a last page without its page
    // footer may also take the footer's space.
    Integer SpaceFor(const TQRCustomBand* band) const;
    void PrintBand(TQRCustomBand* band);
    // Called by printable controls that stretch while printing: true while
    // the band still fits with extra more.
    bool ExpandBand(TQRCustomBand* band, Extended extra, Extended& newHeight, bool& done);

    // ---- export
    bool Exporting() const { return exportFilter_ != nullptr; }
    TQRExportFilter* ExportFilter() const { return exportFilter_; }
    // Runs the report into filter through a fresh report printer; nothing
    // is drawn, everything goes to the filter.
    void ExportToFilter(TQRExportFilter* filter);
    // The composite form: into filter through printer, as part of a run
    // that printer's document holds.
    void ExportToFilter(TQRExportFilter* filter, TQRPrinter* printer);
    // A frame on rect (device units): drawn when the report draws on its
    // canvas, handed to the filter as shapes when it exports. control is
    // the printable framed, whose colour fills the rectangle for the filter.
    void PrintFrame(const TQRFrame& frame, const TRect& rect, const TQRPrintable* control = nullptr);

    // ---- printer set-up, messages and composite runs
    TRazorUzePrinterSettings* PrinterSettings() const { return printerSettings_.get(); }
    // What the print dialog chose last.
    TRazorUzePrinterSettings* DialogSettings() const { return dialogSettings_.get(); }
    // Copies the report's paper and printer options into printer's settings.
    void CopySettingsTo(TQRPrinter& printer);
    // Runs the print dialog preset from PrinterSettings: Tag 1 when it is
    // cancelled, 0 when its choice was taken.
    void PrinterSetup();
    // The report frees printer when it is done with it (WM_USER+4).
    void AdoptQRPrinter(std::unique_ptr<TQRPrinter> printer);
    // The first page of the last run, shown on the design surface.
    TMetafile* DesignPage() const { return designPage_.get(); }
    // The composite run the report belongs to, if any; Print hands over to it.
    TQRCompositeRun* CompositeRun() const { return compositeRun_; }
    void SetCompositeRun(TQRCompositeRun* run) { compositeRun_ = run; }
    // Where a composite run goes on from: position (0.1 mm), page and column.
    void ContinueRun(Integer x, Integer y, Integer pageNumber, Integer column);
    // WM_USER+1 (first page ready), WM_USER+2 (print again), WM_USER+4
    // (cancel the run, or let go of the report printer).
    void WndProc(TMessage& Message) override;

    // With PaperSize Custom a new design size (pixels at the zoom) becomes
    // the page's Width and Length.
    void SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) override;

    std::function<void(TCustomRazorUze* Sender, bool& PrintReport)> BeforePrint;
    // Raised by Print's report printer: when its document has ended on the
    // printer, and when a preview of it has closed.
    TQRAfterPrintEvent AfterPrint;
    TQRAfterPreviewEvent AfterPreview;
    // Kept for the application; nothing in the engine raises it.
    TNotifyEvent OnPreview;
    // Handed to the report printer of each run: raised as it reads the
    // chosen printer's device mode and as it writes the run's settings into
    // it; Cancel keeps the settings (the printer) as they were.
    TQRPrinterEvent OnGetPrinterSettings;
    TQRPrinterEvent OnApplyPrinterSettings;
    std::function<void(TCustomRazorUze* Sender)> OnStartPage;
    std::function<void(TCustomRazorUze* Sender)> OnEndPage;
    // Every band printed, where it went.
    std::function<void(const TQRBandPlaced& placed)> OnBandPlaced;

protected:
    // The data walk; the controller prints the detail bands here.
    virtual void RunController();
    // The bands the controller prints, in walk order.
    virtual void AddControllerBands(std::vector<TQRCustomBand*>& order) const;
    // Gives the controller the report's own bands (nothing in the base).
    virtual void HandBandsToController() const {}
    void SetController(std::unique_ptr<TQRCustomController> controller);
    // The controller when it walks a data set; nullptr otherwise.
    TQRController* DataController() const;
    void AlignControls(TControl* AControl, TRect& Rect) override;
    // Rebuilds the design order and layout once the bands are all there.
    void Loaded() override;
    // The design surface: page picture, ruler, margins, column lines, frame.
    void Paint() override;

private:
    friend class TQRCustomBand;

    void AddBand(TQRCustomBand* band);
    void RemoveBand(TQRCustomBand* band);
    // Every data set owned by the report's form, through its windowed controls.
    void BuildDataSetList();
    void RunSteps(bool composite);
    void SetRunUnits(TQRUnit unit);
    std::vector<TQRPrintable*> Printables() const;
    Integer PaperLengthForPrinting() const;
    Integer SpaceWith(Extended reserved) const;
    Extended ReservedFor(const TQRCustomBand* band) const;
    bool Fits(const TQRCustomBand* band, Extended extra) const;
    Extended LinkedHeight(const TQRCustomBand* band, bool follow) const;
    bool ForceNewPageStep();
    // Ends the page's remaining columns: the next band starts a page.
    void NewPageAfterColumns();
    bool ForceNewColumnStep();
    void SpaceCheck(TQRCustomBand* band);
    void AlignBandToBottom(const TQRCustomBand* band);
    void PrintChild(TQRCustomBand* band, bool before);
    void PrintBandBody(TQRCustomBand* band);
    void PrintControls(TQRCustomBand* band);
    // Lines of Tag-1000 vertical-line shapes from the top of rect to its bottom.
    void PrintFullHeightLines(const TQRCustomBand* band, const TRect& rect);
    void PrintBandSelf(TQRCustomBand* band);
    void AddWithChildren(std::vector<TQRCustomBand*>& order, TQRCustomBand* band) const;
    void LayoutBands();
    void EndPageBody();
    void ReleasePrinter();
    // A report printer for a run of its own, on the printer and with the
    // page memory the report's settings ask for.
    std::unique_ptr<TQRPrinter> NewQRPrinter();
    void ExportShape(TQRExportShapeKind kind, const TRect& bounds, TColor color, Integer penWidth, bool clearPen);

    std::unique_ptr<TQRCustomController> controller_;
    std::unique_ptr<TQRPage> page_;
    std::unique_ptr<TRazorUzeBands> bands_;
    std::unique_ptr<TQRDataSetList> dataSets_;
    Integer pagesInPreview_ = 0;
    std::unique_ptr<TQREvEnvironment> functions_;
    TQREvElement* pageNumberEntry_ = nullptr;
    TQREvElement* columnNumberEntry_ = nullptr;
    std::vector<TQRCustomBand*> bandList_;
    std::vector<TQRCustomBand*> printOrder_;
    TRazorUzeortOptions options_{TRazorUzeortOption::FirstPageHeader, TRazorUzeortOption::LastPageFooter};
    QString reportTitle_;
    QString backImageControl_;
    std::unique_ptr<TStringList> description_ = std::make_unique<TStringList>();
    TColor backgroundColor_ = clWhite;
    bool showProgress_ = true;
    bool snapToGrid_ = true;
    Integer previewWidth_ = 500;
    Integer previewHeight_ = 500;
    TQRPreviewSettings preview_;
    bool layingOut_ = false;

    TQRPrinter* qrPrinter_ = nullptr;
    std::unique_ptr<TQRPrinter> ownPrinter_;
    TQRExportFilter* exportFilter_ = nullptr;
    std::unique_ptr<TRazorUzePrinterSettings> printerSettings_ = std::make_unique<TRazorUzePrinterSettings>();
    std::unique_ptr<TRazorUzePrinterSettings> dialogSettings_ = std::make_unique<TRazorUzePrinterSettings>();
    std::unique_ptr<TMetafile> designPage_;
    TQRCompositeRun* compositeRun_ = nullptr;
    bool available_ = true;
    bool cancelled_ = false;
    bool lastPageDone_ = false;
    bool drawOnCanvas_ = true;
    Integer currentX_ = 0;
    Integer currentY_ = -1;
    Integer currentColumn_ = 1;
    Integer columnTop_ = 0;
    Integer pageNumber_ = 0;
    Extended reservedFooter_ = 0;
    TQRRunContext run_;
};


// ------------------------------------------------------------ composite runs

// Several reports printed or exported as one document through one report
// printer (Printer; the caller owns it). With a Filter the reports export.
struct TQRCompositeRun {
    std::vector<TCustomRazorUze*> Reports;
    TQRPrinter* Printer = nullptr;
    TQRExportFilter* Filter = nullptr;
    bool Cancelled = false;
};

// The first report's printer settings go to the run's printer.
void CompositeApplySettings(TQRCompositeRun& run);
void CompositeBeginDoc(TQRCompositeRun& run);
// Each report in turn goes on where the one before ended; the last one
// ends its own last page. Stops after a cancelled report.
void CompositeRunReports(TQRCompositeRun& run);
// Ends the document, as unfinished when a report was cancelled.
void CompositeEndDoc(TQRCompositeRun& run);

// ------------------------------------------------------------ controller, groups and sub-details

class TQRGroup;
class TQRControllerBand;
class TQuery;

// Decides which bands print for each record of one level of the report:
// group headers and footers, sub-details before and after the detail, the
// detail, and the level's header and footer.
class TQRCustomController : public TComponent {
public:
    // Serves master (the report, a controller or a controller band) for
    // owner (the report or a sub-detail band); created without an owner.
    TQRCustomController(TComponent* owner, TComponent* master);
    // A stand-alone controller: a component of AOwner (the form, say) that is
    // its own controller owner; setting a report or a controller band as
    // its Master makes it join that level's walk.
    explicit TQRCustomController(TComponent* AOwner);
    ~TQRCustomController() override;

    TComponent* Master() const { return master_; }
    // Only a report, a controller or a controller band is taken.
    void SetMaster(TComponent* master);
    // The component the controller belongs to.
    TComponent* ControllerOwner() const { return controllerOwner_; }
    TCustomRazorUze* ParentReport() const { return parentReport_; }
    void SetParentReport(TCustomRazorUze* report) { parentReport_ = report; }

    bool PrintIfEmpty() const { return printIfEmpty_; }
    void SetPrintIfEmpty(bool value) { printIfEmpty_ = value; }
    bool PrintBefore() const { return printBefore_; }
    virtual void SetPrintBefore(bool value) { printBefore_ = value; }

    TQRCustomBand* Header() const { return header_; }
    TQRCustomBand* Detail() const { return detail_; }
    TQRCustomBand* Footer() const { return footer_; }

    const std::vector<TQRCustomController*>& AfterList() const { return after_; }
    const std::vector<TQRCustomController*>& BeforeList() const { return before_; }
    // Outermost first.
    const std::vector<TQRGroup*>& Groups() const { return groups_; }

    void AddNotifyClient(TQRPrintable* Printable);
    // Tells every client that the detail band printed (operation 0).
    void NotifyClients();

    // Finds the groups and sub-details serving the owner, by ownership.
    virtual void Prepare();
    // The data walk; the base only prints the empty report when asked to.
    virtual void Execute();
    virtual void PreparePrint();
    virtual void Unprepare();
    virtual void ExecuteAfter();
    virtual void ExecuteBefore();
    virtual void PrintEmptyReport();
    // The controller's bands in walk order.
    virtual void AddBands(std::vector<TQRCustomBand*>& order) const;

    // Runs the group check of every group, outermost first; true when one broke.
    bool CheckGroups();
    // A new column or page began: reprints the headers of groups marked
    // ReprintOnNewPage, here and in the sub-details.
    void ReprintHeaders();

protected:
    virtual void AddDataSetToList() {}
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void SetBand(TQRCustomBand*& slot, TQRCustomBand* band);
    TQRPrinter* Printer() const;
    // Headers of the groups whose Broke is set among the first end ones.
    void PrintGroupHeaders(size_t end = SIZE_MAX);
    // Footers of the groups whose Broke is set, innermost first.
    void PrintGroupFooters();
    void PrintFooter();

    TQRCustomBand* header_ = nullptr;
    TQRCustomBand* detail_ = nullptr;
    TQRCustomBand* footer_ = nullptr;

private:
    void ScanForServants(const TComponent* owner);
    // The groups outside the first one whose header is about to print.
    size_t GroupsOutsidePending() const;

    TComponent* controllerOwner_;
    TComponent* master_ = nullptr;
    TCustomRazorUze* parentReport_ = nullptr;
    std::vector<TQRCustomController*> after_;
    std::vector<TQRCustomController*> before_;
    std::vector<TQRGroup*> groups_;
    std::vector<TQRPrintable*> notifyClients_;
    bool printIfEmpty_ = true;
    bool printBefore_ = false;
    bool printingFooters_ = false;
};

class TQRController : public TQRCustomController {
public:
    TQRController(TComponent* owner, TComponent* master);
    explicit TQRController(TComponent* AOwner);

    TDataSet* DataSet() const { return dataSet_; }
    void SetDataSet(TDataSet* value);
    void SetDetail(TQRCustomBand* band) { SetBand(detail_, band); }
    void SetHeader(TQRCustomBand* band) { SetBand(header_, band); }
    void SetFooter(TQRCustomBand* band) { SetBand(footer_, band); }
    Integer RecordNumber() const { return recordNumber_; }
    // True when a parameter of the data set (a query) names an entry of
    // the report's Functions.
    bool ParamsBound() const { return paramsBound_; }

    void PreparePrint() override;
    void Execute() override;

    TQROnNeedDataEvent OnNeedData;

protected:
    void AddDataSetToList() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    bool AskForData();
    void BindParams(TQuery& query);
    void Walk(bool moreData);
    bool Advance();
    void ShowProgress();

    TDataSet* dataSet_ = nullptr;
    Integer recordNumber_ = 0;
    Integer recordCount_ = 1;
    bool paramsBound_ = false;
};

// A group header band: prints when Expression changes, with its footer band
// printed before the change.
class TQRGroup : public TQRCustomBand {
public:
    explicit TQRGroup(TComponent* AOwner);

    const QString& Expression() const { return expression_; }
    void SetExpression(const QString& value) { expression_ = value; }
    TQRBand* FooterBand() const { return footerBand_; }
    // Makes the band a group footer.
    void SetFooterBand(TQRBand* band);
    // A report or a controller band; other components are ignored.
    TComponent* Master() const { return master_; }
    void SetMaster(TComponent* value);
    bool ReprintOnNewPage() const { return reprintOnNewPage_; }
    void SetReprintOnNewPage(bool value) { reprintOnNewPage_ = value; }

    // Run state.
    bool Broke() const { return broke_; }
    bool HasValue() const { return hasValue_; }
    bool HeaderPrinted() const { return headerPrinted_; }
    Integer HeaderPage() const { return headerPage_; }
    const EvalResult& LastValue() const { return lastValue_; }

    void SetParent(TWinControl* AParent) override;

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    friend class TQRCustomController;
    friend class TQRController;

    void PreparePrint(TCustomRazorUze* report);
    void Unprepare();
    // Evaluates and sets Broke by comparing with the stored value.
    void Check();
    // Evaluates, stores and breaks.
    void TakeValue();
    void SetBroke(bool value);

    QString expression_;
    TQRBand* footerBand_ = nullptr;
    TComponent* master_ = nullptr;
    bool reprintOnNewPage_ = false;
    TQREvaluator evaluator_;
    EvalResult lastValue_;
    bool broke_ = false;
    bool hasValue_ = false;
    bool headerPrinted_ = false;
    // Broke and the header not printed since: a new page need not repeat it.
    bool headerPending_ = false;
    Integer headerPage_ = 1;
};

// A band with a controller of its own, whose detail band it is.
class TQRControllerBand : public TQRCustomBand {
public:
    explicit TQRControllerBand(TComponent* AOwner);
    ~TQRControllerBand() override;

    TQRController* Controller() const { return controller_.get(); }
    // The report or another controller band; a chain of masters leading back
    // to this band is refused.
    TComponent* Master() const { return master_; }
    void SetMaster(TComponent* value);

    void SetParent(TWinControl* AParent) override;

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    std::unique_ptr<TQRController> controller_;
    TComponent* master_ = nullptr;
};

class TQRSubDetail;

// Switches that create or free a sub-detail's header and footer bands.
class TQRSubDetailGroupBands : public TPersistent {
public:
    explicit TQRSubDetailGroupBands(TQRSubDetail* owner) : owner_(owner) {}
    bool HasHeader() const;
    void SetHasHeader(bool value) { SetHas(true, value); }
    bool HasFooter() const;
    void SetHasFooter(bool value) { SetHas(false, value); }

private:
    void SetHas(bool header, bool value);

    TQRSubDetail* owner_;
};

// A detail band over a data set of its own, printed for each master record.
class TQRSubDetail : public TQRControllerBand {
public:
    explicit TQRSubDetail(TComponent* AOwner);
    ~TQRSubDetail() override;

    TDataSet* DataSet() const { return Controller()->DataSet(); }
    void SetDataSet(TDataSet* value) { Controller()->SetDataSet(value); }
    void SetOnNeedData(TQROnNeedDataEvent event) { Controller()->OnNeedData = std::move(event); }
    bool PrintBefore() const { return Controller()->PrintBefore(); }
    // Rebuilds the report's design order.
    void SetPrintBefore(bool value);
    bool PrintIfEmpty() const { return Controller()->PrintIfEmpty(); }
    void SetPrintIfEmpty(bool value) { Controller()->SetPrintIfEmpty(value); }
    TQRCustomBand* HeaderBand() const { return Controller()->Header(); }
    // Makes the band a group header.
    void SetHeaderBand(TQRBand* band);
    TQRCustomBand* FooterBand() const { return Controller()->Footer(); }
    // Makes the band a group footer.
    void SetFooterBand(TQRBand* band);
    TQRSubDetailGroupBands* Bands() const { return bands_.get(); }
    void AddNotifyClient(TQRPrintable* Printable) { Controller()->AddNotifyClient(Printable); }

private:
    std::unique_ptr<TQRSubDetailGroupBands> bands_;
};

// The report with a data set walked by its controller.
class TRazorUze : public TCustomRazorUze {
public:
    explicit TRazorUze(TComponent* AOwner);

    // The controller's data set.
    TDataSet* DataSet() const;
    void SetDataSet(TDataSet* value);

protected:
    void HandBandsToController() const override;
};
