// Printable controls of a report band: the text label, the expression
// control that prints a computed value, and the shape.
#pragma once

#include "QRExpr.h"
#include "QRReport.h"

#include <QtCore/QStringList>

#include <functional>
#include <memory>

class TStream;

// ------------------------------------------------------------ text

enum TExportType { exptText, exptNumeric, exptFormula };

using TQRLabelOnPrintEvent = std::function<void(TObject* Sender, QString& Value)>;

// Breaks text into the lines a control of width pixels shows: carriage
// returns end paragraphs, line feeds vanish; without autoSize a paragraph
// is cut into words (each ending after a blank or "-") that fill lines no
// wider than width, as measure gives a text's width. With wordWrap a line
// may also end between two Japanese characters (not before closing marks
// nor after opening ones), and a word wider than a line goes on in the next
// one, so nothing is lost; a line narrower than any character holds one.
// Without wordWrap the word that overflows is dropped, an over-long word
// is cut, and the paragraph's unfinished line is not kept. A surrogate pair
// is never split.
QStringList QRBreakLines(const QString& text, Integer width, bool autoSize, bool wordWrap,
                         const std::function<Integer(const QString&)>& measure);

class TQRCustomLabel : public TQRPrintable {
public:
    explicit TQRCustomLabel(TComponent* AOwner);
    ~TQRCustomLabel() override;

    // Caption is the control's text: setting it sets the print text too.
    QString GetText() const override { return caption_; }
    void SetText(const QString& text) override;
    const QString& Widecaption() const { return wideCaption_; }
    void SetWidecaption(const QString& text);
    // The text that is formatted and printed.
    const QString& PrintText() const { return printText_; }
    const QStringList& Lines() const { return lines_; }

    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool on) override;
    bool AutoStretch() const { return autoStretch_; }
    void SetAutoStretch(bool on);
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool on);
    TExportType ExportAs() const { return exportAs_; }
    void SetExportAs(TExportType value) { exportAs_ = value; }
    Integer FontSize() const { return fontSize_; }

    // "FontSize", stored beside the published properties: the font's size.
    virtual void WriteFontSize(TStream& stream) const;
    virtual void ReadFontSize(TStream& stream);

    void SetName(const QString& name) override;
    void SetParent(TWinControl* AParent) override;
    void Prepare() override;
    void Unprepare() override;
    void Print(Integer X, Integer Y) override;
    virtual void FormatLines();

    TQRLabelOnPrintEvent OnPrint;

protected:
    void Loaded() override;
    void Paint() override;
    void CMFontChanged(TMessage& Message) override;
    void SetPrintText(const QString& text) { printText_ = text; }

private:
    struct PrintArea;

    // Width in pixels of a text at the report's scale (or on the control's canvas).
    Integer TextWidth(TCanvas& measure, const QString& text) const;
    Integer LineHeight(TCanvas& measure) const;
    void AutoSizeToLines(TCanvas& measure);
    // Pixels the frame takes on the left and on the top at the zoom.
    Integer FrameInset(bool side) const;
    bool ReadsRightToLeft() const { return BiDiMode() != bdLeftToRight; }
    TAlignment DrawnAlignment() const;
    PrintArea BeginPrint(Integer X, Integer Y);
    Extended PrinterLineHeight(TCanvas& canvas, const TQRPrinter& printer) const;
    void PrintLines(PrintArea& area, bool continuing);
    void DrawLine(PrintArea& area, const QString& line);
    void ExportBackground(const TRect& rect) const;

    QString caption_;
    QString printText_;
    QString wideCaption_;
    QStringList lines_;
    QString linesText_;  // the print text the lines were made from
    // Measures the lines at 96 dpi; kept, as a list prints again and again.
    std::unique_ptr<TCanvas> measure_;
    bool layingOut_ = false;
    Integer nextLine_ = 0;
    Integer fontSize_ = 0;
    bool autoSize_ = true;
    bool autoStretch_ = false;
    bool wordWrap_ = true;
    TExportType exportAs_ = exptText;
};

class TQRLabel : public TQRCustomLabel {
public:
    explicit TQRLabel(TComponent* AOwner) : TQRCustomLabel(AOwner) {}
    // A TQRLabelEditor.
    std::unique_ptr<TQRPrintableEditor> CreateEditor() override;
};

// ------------------------------------------------------------ expression

// The text a value prints as under mask: numbers through FormatFloat, or
// through Format when the mask holds "%m"; booleans "True"/"False"; an
// error its message. A "%m" mask with any other specifier, or a width or
// precision past sane bounds, prints "Invalid format or value specified".
QString QRValueText(const EvalResult& value, const QString& mask);

class TQRExpr : public TQRCustomLabel {
public:
    explicit TQRExpr(TComponent* AOwner);
    // A TQRExprEditor.
    std::unique_ptr<TQRPrintableEditor> CreateEditor() override;
    ~TQRExpr() override;

    const QString& Expression() const { return expression_; }
    void SetExpression(const QString& value);
    const QString& Mask() const { return mask_; }
    void SetMask(const QString& value);
    // A report or a sub-detail band whose records drive the aggregates.
    TComponent* Master() const { return master_; }
    void SetMaster(TComponent* value);
    bool ResetAfterPrint() const { return resetAfterPrint_; }
    void SetResetAfterPrint(bool on) { resetAfterPrint_ = on; }
    TQREvaluator& Evaluator() { return evaluator_; }

    void Reset() { evaluator_.Reset(); }
    void Prepare() override;
    void Unprepare() override;
    void Print(Integer X, Integer Y) override;
    // Operation 0: the master printed a band; every aggregate takes a step.
    void Notify(TObject* Sender, Integer Operation) override;

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    void RegisterWithMaster();

    TQREvaluator evaluator_;
    QString expression_;
    QString mask_;
    TComponent* master_ = nullptr;
    bool resetAfterPrint_ = false;
};

// ------------------------------------------------------------ shape

enum TQRShapeType {
    qrsRectangle, qrsCircle, qrsVertLine, qrsHorLine, qrsTopAndBottom, qrsRightAndLeft, qrsRoundRect,
    qrsLeftDiagonal, qrsRightDiagonal
};

// Draws a figure in the box (left, top, width, height) of canvas with its
// pen and brush; corner is the rounded rectangle's corner diameter. A
// negative width or height draws nothing.
void QRDrawShape(TCanvas& canvas, TQRShapeType shape, Integer left, Integer top, Integer width, Integer height,
                 Integer corner);
// Trunc(width x factor) kept between 0 and the larger side: a NaN, infinite
// or huge factor never overflows.
Integer QRShapeCorner(Integer width, Integer height, double factor);

class TQRShape : public TQRPrintable {
public:
    explicit TQRShape(TComponent* AOwner);
    ~TQRShape() override;

    TQRShapeType Shape() const { return shape_; }
    void SetShape(TQRShapeType value);
    TPen* Pen() const { return pen_.get(); }
    void SetPen(TPen* value) { pen_->Assign(value); }
    TBrush* Brush() const { return brush_.get(); }
    void SetBrush(TBrush* value) { brush_->Assign(value); }
    float RoundFactor() const { return roundFactor_; }
    void SetRoundFactor(float value);
    // Stored with the control; drawing does not use it.
    Integer VertAdjust() const { return vertAdjust_; }
    void SetVertAdjust(Integer value) { vertAdjust_ = value; }

    void Print(Integer X, Integer Y) override;

protected:
    void Paint() override;

private:
    std::unique_ptr<TPen> pen_;
    std::unique_ptr<TBrush> brush_;
    TQRShapeType shape_ = qrsRectangle;
    float roundFactor_ = 0;
    Integer vertAdjust_ = 0;
};

// ------------------------------------------------------------ start-up

// Registers the report classes with the class registry, so report files
// and forms can create them by name. Runs by itself with the application
// object; registering again changes nothing.
void RegisterQRReportClasses();
