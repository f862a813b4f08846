// The barcode image of unit CBarCode: lays out an encoder's element string
// and paints it, with its texts, frame and rotation, into the picture.
#include "CBarCode.h"
#include "CBarCodeText.h"

#include "Clipbrd.h"
#include "Forms.h"
#include "Windows.h"

#include <QtCore/QObject>
#include <QtCore/QRegularExpression>
#include <QtGui/QClipboard>
#include <QtGui/QGuiApplication>
#include <QtGui/QImage>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <numeric>
#include <optional>
#include <utility>
#include <vector>

// Follows the system clipboard while the image watches it.
class TBarClipboardWatch : public QObject {
public:
    explicit TBarClipboardWatch(TCBarImage* image) {
        if (auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
            connect(app->clipboard(), &QClipboard::dataChanged, this, [image] { image->ClipboardChanged(); });
    }
};

namespace {

constexpr Integer MaxPasteLength = 256;
// A barcode larger than this (64M pixels, a 256 MB bitmap), or with a text
// longer than this, is not drawn: it could not be held, let alone scanned.
constexpr Int64 MaxBlockPixels = Int64(1) << 26;

// AutoSize and Stretch are off while the picture is being rebuilt, so the
// control does not follow each intermediate bitmap.
class TSizingOff {
public:
    explicit TSizingOff(TImage* image) : image_(image), autoSize_(image->AutoSize()), stretch_(image->Stretch()) {
        image->SetAutoSize(false);
        image->SetStretch(false);
    }
    ~TSizingOff() {
        image_->SetAutoSize(autoSize_);
        image_->SetStretch(stretch_);
    }
    TSizingOff(const TSizingOff&) = delete;
    TSizingOff& operator=(const TSizingOff&) = delete;

private:
    TImage* image_;
    bool autoSize_;
    bool stretch_;
};

// The canvas draws in font while it lives.
class TFontSelected {
public:
    TFontSelected(TCanvas* canvas, TFont* font) : canvas_(canvas) {
        saved_.Assign(canvas->Font());
        canvas->Font()->Assign(font);
    }
    ~TFontSelected() { canvas_->Font()->Assign(&saved_); }
    TFontSelected(const TFontSelected&) = delete;
    TFontSelected& operator=(const TFontSelected&) = delete;

private:
    TCanvas* canvas_;
    TFont saved_;
};

char AsciiUpper(char c) { return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c; }
char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }

bool UsesCellRatio(TBarType type) { return type >= btCODE39 && type <= btNEC; }

// The picture turned clockwise by a quarter (90), half (180) or three
// quarters (270).
QImage Rotated(const QImage& source, Integer angle) {
    const QImage src = source.convertToFormat(QImage::Format_RGB32);
    const int ws = src.width();
    const int hs = src.height();
    QImage dst = angle == 180 ? QImage(ws, hs, QImage::Format_RGB32) : QImage(hs, ws, QImage::Format_RGB32);
    for (int y = 0; y < dst.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(dst.scanLine(y));
        for (int x = 0; x < dst.width(); ++x) {
            const int sx = angle == 90 ? y : angle == 180 ? ws - 1 - x : ws - 1 - y;
            const int sy = angle == 90 ? hs - 1 - x : angle == 180 ? hs - 1 - y : x;
            row[x] = reinterpret_cast<const QRgb*>(src.constScanLine(sy))[sx];
        }
    }
    return dst;
}

// Horizontal offset of a text of width g within width: by alignment, never
// negative.
Integer AlignedOffset(TAlignment alignment, Integer width, Integer g) {
    const Integer offset = alignment == taLeftJustify ? 0 : alignment == taRightJustify ? width - g : (width - g) / 2;
    return std::max(0, offset);
}

}  // namespace

// Sizes and places of one draw, in pixels of the upright picture.
struct TCBarImage::TLayout {
    Integer W = 0;   // bar area
    Integer L = 0;   // bar length
    Integer sw = 0, sh = 0, tw = 0, th = 0, bw = 0, bh = 0;  // symbol, guide top, guide bottom
    Integer TW = 0, TH = 0;  // the whole barcode block with its margins
    Integer x0 = 0, y0 = 0;  // where the block starts
    Integer barOffset = 0, textOffset = 0;
    Integer X = 0, Y = 0;    // the bar area's top left corner (without the offset)
    bool glyphs = false;     // the symbol font's glyphs are held
    TRect BarArea() const { return Bounds(X + barOffset, Y, W, L); }
};

TCBarImage::TCBarImage(TComponent* AOwner)
    : TCustomImage(AOwner), symbolFont_(std::make_unique<TFont>()), glyphs_(std::make_unique<CBarCode::TBarGlyphs>()) {
    symbolFont_->OnChange = [this](TObject*) { Redraw(); };
    OnClipboardChange = [this](TObject* Sender) { ClipboardChangeHandler(Sender); };
}

TCBarImage::~TCBarImage() {
    watch_.reset();
    symbolFont_->OnChange = nullptr;
}

// ------------------------------------------------------------ properties

QString TCBarImage::GetText() const { return AnsiToWide(caption_); }
void TCBarImage::SetText(const QString& text) { SetCaption(WideToAnsi(text)); }

void TCBarImage::SetCaption(const AnsiString& caption) {
    DoCaptionChanging();
    caption_ = caption;
    Redraw();
    DoCaptionChanged();
}

void TCBarImage::SetAngle(Integer angle) {
    if (angle != 0 && angle != 90 && angle != 180 && angle != 270) return;
    angle_ = angle;
    Redraw();
}

void TCBarImage::SetAutoFit(bool on) {
    autoFit_ = on;
    Redraw();
}

void TCBarImage::SetBarType(TBarType type) {
    barType_ = TBarType(std::clamp<Integer>(type, btJAN, btCODE93));
    Redraw();
}

void TCBarImage::SetBarHeight(Integer height) {
    barHeight_ = height;
    if (barType_ != btCUSTOMER) Redraw();
}

void TCBarImage::SetBarLeft(Integer left) {
    barLeft_ = left;
    Redraw();
}

void TCBarImage::SetBarTop(Integer top) {
    barTop_ = top;
    Redraw();
}

void TCBarImage::SetBarMarginBottom(Integer margin) {
    marginBottom_ = std::max(0, margin);
    Redraw();
}

void TCBarImage::SetBarMarginLeft(Integer margin) {
    marginLeft_ = std::max(0, margin);
    Redraw();
}

void TCBarImage::SetBarMarginRight(Integer margin) {
    marginRight_ = std::max(0, margin);
    Redraw();
}

void TCBarImage::SetBarMarginTop(Integer margin) {
    marginTop_ = std::max(0, margin);
    Redraw();
}

void TCBarImage::SetBorderColor(TColor color) {
    borderColor_ = color;
    Redraw();
}

void TCBarImage::SetCD(bool on) {
    cd_ = on;
    switch (barType_) {
    case btCODE39: case btNW7: case btITF: case btCTF: case btMATRIX: case btNEC: Redraw(); break;
    default: break;
    }
}

void TCBarImage::SetCellColor(TColor color) {
    cellColor_ = color;
    Redraw();
}

void TCBarImage::SetCellRatio(TCellRatio ratio) {
    cellRatio_ = TCellRatio(std::clamp<Integer>(ratio, 20, 30));
    if (UsesCellRatio(barType_)) Redraw();
}

void TCBarImage::SetCellWidth(TCellWidth width) {
    cellWidth_ = TCellWidth(std::clamp<Integer>(width, 1, 10));
    Redraw();
}

void TCBarImage::SetFrame(TFrameWidth width) {
    frame_ = TFrameWidth(std::min<Integer>(width, 100));
    Redraw();
}

void TCBarImage::SetGuideBottom(const AnsiString& text) {
    guideBottom_ = text;
    Redraw();
}

void TCBarImage::SetGuideBottomAlignment(TAlignment alignment) {
    guideBottomAlignment_ = alignment;
    if (!guideBottom_.isEmpty()) Redraw();
}

void TCBarImage::SetGuideTop(const AnsiString& text) {
    guideTop_ = text;
    Redraw();
}

void TCBarImage::SetGuideTopAlignment(TAlignment alignment) {
    guideTopAlignment_ = alignment;
    if (!guideTop_.isEmpty()) Redraw();
}

char TCBarImage::CasedChar(char c) const {
    char upper = AsciiUpper(c);
    if (upper < 'A' || upper > 'D') upper = 'A';
    return symbolCharCase_ == scLowerCase ? AsciiLower(upper) : upper;
}

void TCBarImage::SetStartChar(char c) {
    startChar_ = CasedChar(c);
    if (barType_ == btNW7 || barType_ == btCODE128) Redraw();
}

void TCBarImage::SetStopChar(char c) {
    stopChar_ = CasedChar(c);
    if (barType_ == btNW7) Redraw();
}

void TCBarImage::SetSymbolCharCase(TSymbolCharCase charCase) {
    symbolCharCase_ = charCase;
    SetStartChar(startChar_);
    SetStopChar(stopChar_);
    Redraw();
}

void TCBarImage::SetSymbolCdDisp(bool on) {
    symbolCdDisp_ = on;
    Redraw();
}

void TCBarImage::SetSymbolDisp(bool on) {
    symbolDisp_ = on;
    Redraw();
}

void TCBarImage::SetSymbolFont(TFont* font) {
    if (!font || font == symbolFont_.get()) return;
    symbolFont_->Assign(font);
    if (symbolDisp_) Redraw();
}

// ------------------------------------------------------------ operations

void TCBarImage::Redraw() {
    DoBeforeDraw();
    TBitmap* bitmap = Picture()->Bitmap();
    if (bitmap->Empty()) bitmap->SetSize(Width(), Height());
    DrawBarcode();
    DoAfterDraw();
}

void TCBarImage::Draw() { Redraw(); }

void TCBarImage::Clear() {
    drawn_ = false;
    Picture()->Assign(nullptr);
}

// Only a drawn code is copied: without one the picture holds no code of
// the caption.
void TCBarImage::CopyToClipboard() {
    if (drawn_) Clipboard()->Assign(Picture()->Bitmap());
}

// The clipboard text up to its first line end (Linux text ends its lines
// with LF alone), at most 256 characters.
void TCBarImage::PasteFromClipboard() {
    if (!Clipboard()->HasFormat(CF_TEXT)) return;
    QString text = Clipboard()->AsText();
    const qsizetype lineEnd = text.indexOf(QRegularExpression(QStringLiteral("[\r\n]")));
    if (lineEnd >= 0) text.truncate(lineEnd);
    text.truncate(MaxPasteLength);
    if (!text.isEmpty() && text != AnsiToWide(caption_)) SetCaption(WideToAnsi(text));
}

void TCBarImage::ConvertToUPCE() {
    const AnsiString upce = barType_ == btUPC && drawn_ && caption_.size() == 11 ? UPCAToUPCE(caption_) : AnsiString();
    if (upce.isEmpty()) {
        drawn_ = false;
        return;
    }
    caption_ = upce;
    Redraw();
}

void TCBarImage::ConvertToUPCA() {
    const AnsiString upca = barType_ == btUPC && drawn_ && caption_.size() == 7 ? UPCEToUPCA(caption_) : AnsiString();
    if (upca.isEmpty()) {
        drawn_ = false;
        return;
    }
    caption_ = upca;
    Redraw();
}

void TCBarImage::SetWatchClipboard(bool on) {
    watchClipboard_ = on;
    if (on && !watch_) watch_ = std::make_unique<TBarClipboardWatch>(this);
    if (!on) watch_.reset();
}

void TCBarImage::ClipboardChanged() {
    try {
        if (OnClipboardChange) DoClipboardChange();
    } catch (...) {
        if (Application) Application->HandleException(this);
    }
}

void TCBarImage::ClipboardChangeHandler(TObject*) {
    fromClipboard_ = true;
    try {
        PasteFromClipboard();
    } catch (...) {
        fromClipboard_ = false;
        throw;
    }
    fromClipboard_ = false;
}

void TCBarImage::DoCaptionChanging() {
    if (OnCaptionChanging) OnCaptionChanging(this, fromClipboard_);
}
void TCBarImage::DoBeforeDraw() {
    if (OnBeforeDraw) OnBeforeDraw(this, fromClipboard_);
}
void TCBarImage::DoAfterDraw() {
    if (OnAfterDraw) OnAfterDraw(this, fromClipboard_);
}
void TCBarImage::DoCaptionChanged() {
    if (OnCaptionChanged) OnCaptionChanged(this, fromClipboard_);
}
void TCBarImage::DoClipboardChange() {
    if (OnClipboardChange) OnClipboardChange(this);
}

void TCBarImage::RotatePicture(Integer angle) {
    if (!Picture()->Graphic() || (angle != 90 && angle != 180 && angle != 270)) return;
    TSizingOff sizing(this);
    TBitmap* source = Picture()->Bitmap();
    const TPixelFormat format = source->PixelFormat();
    TBitmap turned;
    turned.SetImage(Rotated(source->Image(), angle));
    if (turned.PixelFormat() != format && format != pfDevice) turned.SetPixelFormat(format);
    if (angle != 180) SetBounds(Left(), Top(), Height(), Width());
    Picture()->SetBitmap(&turned);
}

// ------------------------------------------------------------ drawing

AnsiString TCBarImage::Encode() {
    TBarEncoding e;
    e.Caption = caption_;
    e.CD = cd_;
    e.SymbolCdDisp = symbolCdDisp_;
    e.StartChar = startChar_;
    e.StopChar = stopChar_;
    e.SymbolCharCase = symbolCharCase_;
    AnsiString elements;
    switch (barType_) {
    case btJAN: elements = EncodeJAN(e); break;
    case btUPC: elements = EncodeUPC(e); break;
    case btCODE39: elements = EncodeCODE39(e); break;
    case btNW7: elements = EncodeNW7(e); break;
    case btITF: elements = EncodeITF(e); break;
    case btCTF: elements = EncodeCTF(e); break;
    case btIATA: elements = EncodeIATA(e); break;
    case btMATRIX: elements = EncodeMATRIX(e); break;
    case btNEC: elements = EncodeNEC(e); break;
    case btCUSTOMER: elements = EncodeCUSTOMER(e); break;
    case btCODE128: elements = EncodeCODE128(e); break;
    case btCODE93: elements = EncodeCODE93(e); break;
    }
    startChar_ = e.StartChar;
    stopChar_ = e.StopChar;
    symbol_ = e.Symbol;
    checkValue_ = e.CheckValue;
    return elements;
}

// Inlined: the layout and the bar row call it once per element.
Q_ALWAYS_INLINE Integer TCBarImage::ElementWidth(char digit) const {
    const Integer w = ((digit - '0') / 2 + 1) * cellWidth_;
    return UsesCellRatio(barType_) && w > cellWidth_ ? w * cellRatio_ / 20 : w;
}

// From one cell left of the first bar to the end of the last.
Integer TCBarImage::FourStateWidth(const AnsiString& elements) const {
    qsizetype lo = -1;
    qsizetype hi = -1;
    for (qsizetype i = 0; i < elements.size(); ++i) {
        if (elements[i] == '0') continue;
        if (lo < 0) lo = i;
        hi = i;
    }
    return lo < 0 ? 0 : Integer(hi - lo + 2) * cellWidth_;
}

// Text sizes, bar area, block size and origin, worked out wide; false when
// there is nothing to draw or the block with its place is too large to
// draw (then no coordinate of the draw would fit an Integer either).
bool TCBarImage::Measure(const AnsiString& elements, TLayout& layout) {
    if (!MeasureTexts(layout)) return false;
    const Int64 sh = layout.sh;
    Int64 w = 0;
    Int64 height = barHeight_;
    if (barType_ == btCUSTOMER) {
        w = FourStateWidth(elements);
        height = 6 * cellWidth_ + sh;
    } else {
        for (char d : elements) w += ElementWidth(d);
        height = std::max(height, sh + 6);
    }
    const Int64 width = std::max<Int64>(layout.sw, w);
    const Int64 tw = marginLeft_ + width + marginRight_;
    const Int64 th = marginTop_ + height + marginBottom_;
    const auto [x0, y0] = Origin(tw, th);
    auto within = [](Int64 v) { return std::abs(v) <= MaxBlockPixels; };
    auto holdable = [&](Int64 x, Int64 y) { return within(x) && within(y) && x * y <= MaxBlockPixels; };
    if (w == 0 || !within(x0) || !within(y0) ||
        !holdable(tw + std::max<Int64>(0, barLeft_), th + std::max<Int64>(0, barTop_)))
        return false;
    layout.W = Integer(w);
    layout.L = Integer(height - sh);
    layout.TW = Integer(tw);
    layout.TH = Integer(th);
    layout.x0 = Integer(x0);
    layout.y0 = Integer(y0);
    barHeight_ = Integer(height);
    barWidth_ = Integer(width);
    return true;
}

// Where a block of tw x th starts in the upright picture: at BarLeft and
// BarTop of the turned picture, or of the control sized to the block.
std::pair<Int64, Int64> TCBarImage::Origin(Int64 tw, Int64 th) const {
    const Int64 left = barLeft_;
    const Int64 top = barTop_;
    const Int64 wc = Width();
    const Int64 hc = Height();
    switch (autoFit_ ? 0 : angle_) {
    case 90: return {top, wc - left - th};
    case 180: return {wc - left - tw, hc - top - th};
    case 270: return {hc - top - tw, left};
    default: return {left, top};
    }
}

// Sizes of the symbol and the guides in the symbol font: from the glyphs
// held when they have every character, else measured on the canvas. Taking
// a font's glyphs costs more than drawing its texts a few times, so an
// image's first draw (a window draws each of its images once when it is
// made) leaves them to the canvas. False for a text larger than any
// picture holds, or in a font too large to be measured.
bool TCBarImage::MeasureTexts(TLayout& layout) {
    TCanvas* canvas = GetCanvas();
    layout.glyphs = textsDrawn_ && glyphs_->Select(canvas, symbolFont_.get());
    std::optional<TFontSelected> font;
    auto measure = [&](const AnsiString& text, Integer& w, Integer& h) {
        Int64 width = 0;
        Int64 height = 0;
        if (text.isEmpty()) {
        } else if (layout.glyphs && glyphs_->Holds(text)) {
            width = glyphs_->Width(text);
            height = glyphs_->Height();
        } else {
            if (!font) font.emplace(canvas, symbolFont_.get());
            const std::vector<Integer> advances = canvas->CharAdvances(AnsiToWide(text));
            width = std::accumulate(advances.begin(), advances.end(), Int64(0));
            height = canvas->TextHeight(QString());
        }
        if (width > MaxBlockPixels || height < 0 || height > MaxBlockPixels) return false;
        w = Integer(width);
        h = Integer(height);
        return true;
    };
    return measure(symbolDisp_ ? symbol_ : AnsiString(), layout.sw, layout.sh) &&
           measure(guideTop_, layout.tw, layout.th) && measure(guideBottom_, layout.bw, layout.bh);
}

// Sizes the control to the block with AutoFit, else turns the picture
// upright for the draw; places the bars and the symbol.
void TCBarImage::Place(TLayout& layout) {
    if (autoFit_) {
        SetBounds(Left(), Top(), layout.TW + layout.x0, layout.TH + layout.y0);
        // The draw fills the whole picture.
        Picture()->Bitmap()->SetSizeUnfilled(Width(), Height());
    } else {
        RotatePicture(360 - angle_);
    }
    if (layout.W <= layout.sw) layout.barOffset = (layout.sw - layout.W) / 2;
    else layout.textOffset = (layout.W - layout.sw) / 2;
    layout.X = layout.x0 + marginLeft_;
    layout.Y = layout.y0 + marginTop_;
}

void TCBarImage::DrawBarcode() {
    drawn_ = false;
    symbol_.clear();
    checkValue_ = -1;
    if (caption_.isEmpty()) {
        FillBlank();
        return;
    }
    TSizingOff sizing(this);
    const AnsiString elements = Encode();
    TLayout layout;
    if (elements.isEmpty() || !Measure(elements, layout)) {
        FillBlank();
        return;
    }
    // Hidden while the picture is rebuilt; the program's own choice of
    // Visible is what comes back.
    const bool visible = Visible();
    if (!autoFit_) SetVisible(false);
    Place(layout);

    TCanvas* canvas = GetCanvas();
    canvas->Pen()->SetColor(cellColor_);
    canvas->Pen()->SetStyle(psSolid);
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(borderColor_);
    if (barType_ == btCUSTOMER || !PaintRows(elements, layout)) {
        canvas->FillRect(Rect(0, 0, Width(), Height()));
        if (barType_ == btCUSTOMER) PaintFourState(canvas, elements, layout);
        else PaintBars(canvas, elements, layout);
    }
    // The texts keep the background around them.
    canvas->Brush()->SetStyle(bsClear);
    PaintTextsAndFrame(canvas, layout);
    textsDrawn_ = true;

    RotatePicture(angle_);
    if (!autoFit_) SetVisible(visible);
    drawn_ = true;
}

// The whole picture in BorderColor: a code drawn before shows other data
// and must not stay in view.
void TCBarImage::FillBlank() {
    TCanvas* canvas = GetCanvas();
    const TBitmap* bitmap = Picture()->Bitmap();
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(borderColor_);
    canvas->FillRect(Rect(0, 0, bitmap->Width(), bitmap->Height()));
}

// One row of the bar area, W pixels: bars in CellColor, spaces in BorderColor.
void TCBarImage::BarRow(const AnsiString& elements, QRgb* row) const {
    const QRgb bar = ToQColor(cellColor_).rgb();
    const QRgb space = ToQColor(borderColor_).rgb();
    for (char d : elements) {
        const Integer w = ElementWidth(d);
        std::fill_n(row, w, (d - '0') % 2 == 1 ? bar : space);
        row += w;
    }
}

// The background and the 1-D bars written straight into the rows of a
// 32-bit bitmap, each pixel once: the first row of the bars is built in
// place and copied down the bar length, the background fills the rest.
// False for a bitmap of another format.
bool TCBarImage::PaintRows(const AnsiString& elements, const TLayout& layout) {
    TBitmap* bitmap = Picture()->Bitmap();
    if (bitmap->PixelFormat() != pfDevice && bitmap->PixelFormat() != pf32bit) return false;
    const Integer width = std::min(Width(), bitmap->Width());
    const Integer height = std::min(Height(), bitmap->Height());
    if (width > 0 && height > 0) {
        const QRgb background = ToQColor(borderColor_).rgb();
        const TRect area = layout.BarArea();
        const Integer left = std::clamp(area.Left, 0, width);
        const Integer right = std::clamp(area.Right, left, width);
        const Integer top = std::clamp(area.Top, 0, height);
        const Integer bottom = std::clamp(area.Bottom, top, height);
        // The rows of a bitmap lie one after another, a stride apart.
        QRgb* const bits = static_cast<QRgb*>(bitmap->ScanLine(0));
        const qsizetype stride = bitmap->Image().bytesPerLine() / qsizetype(sizeof(QRgb));
        auto line = [bits, stride](Integer y) { return bits + y * stride; };
        for (Integer y = 0; y < top; ++y) std::fill_n(line(y), width, background);
        if (top < bottom) {
            QRgb* first = line(top);
            std::fill(first, first + left, background);
            if (left < right) {
                std::vector<QRgb> row(size_t(layout.W));
                BarRow(elements, row.data());
                std::copy(row.begin() + (left - area.Left), row.begin() + (right - area.Left), first + left);
            }
            std::fill(first + right, first + width, background);
            for (Integer y = top + 1; y < bottom; ++y) std::copy_n(first, width, line(y));
        }
        for (Integer y = bottom; y < height; ++y) std::fill_n(line(y), width, background);
    }
    bitmap->Changed();
    return true;
}

// The bar rows through the canvas, for a bitmap that is not 32-bit.
void TCBarImage::PaintBars(TCanvas* canvas, const AnsiString& elements, const TLayout& layout) {
    QImage block(layout.W, layout.L, QImage::Format_RGB32);
    BarRow(elements, reinterpret_cast<QRgb*>(block.scanLine(0)));
    for (Integer y = 1; y < layout.L; ++y)
        std::memcpy(block.scanLine(y), block.constScanLine(0), size_t(layout.W) * sizeof(QRgb));
    canvas->StretchImage(layout.BarArea(), block, Rect(0, 0, layout.W, layout.L));
}

// Position i spans cells i - 1 to i; bits 4, 2 and 1 of its digit fill the
// top, middle and bottom thirds of the bar length.
void TCBarImage::PaintFourState(TCanvas* canvas, const AnsiString& elements, const TLayout& layout) {
    const Integer c = cellWidth_;
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(cellColor_);
    for (qsizetype i = 0; i < elements.size(); ++i) {
        const Integer v = elements[i] - '0';
        const Integer left = layout.X + layout.barOffset + Integer(i - 1) * c;
        for (Integer third = 0; third < 3; ++third) {
            if (v & (4 >> third)) {
                const Integer top = layout.Y + third * 2 * c;
                canvas->FillRect(Rect(left, top, left + c, top + 2 * c));
            }
        }
    }
    canvas->Brush()->SetColor(borderColor_);
    canvas->Brush()->SetStyle(bsClear);
}

// The symbol under the bars, the frame, and the guides above and below,
// each text placed by the top of its cell.
void TCBarImage::PaintTextsAndFrame(TCanvas* canvas, const TLayout& layout) {
    std::optional<TFontSelected> font;
    auto text = [&](Integer x, Integer y, const AnsiString& ansi) {
        if (layout.glyphs && DrawHeldGlyphs(canvas, x, y, ansi)) return;
        if (!font) font.emplace(canvas, symbolFont_.get());
        canvas->ExtTextOut(x, y, 0, nullptr, AnsiToWide(ansi));
    };
    if (symbolDisp_ && !symbol_.isEmpty()) text(layout.X + layout.textOffset, layout.Y + layout.L, symbol_);
    if (frame_ > 0) {
        if (barType_ == btITF)
            DrawFrame(canvas, layout.x0, layout.Y, layout.x0 + layout.TW, layout.Y + layout.L);
        else
            DrawFrame(canvas, layout.x0, layout.y0 + layout.th, layout.x0 + layout.TW,
                      layout.y0 + layout.TH - layout.bh);
    }
    if (!guideTop_.isEmpty())
        text(layout.x0 + AlignedOffset(guideTopAlignment_, layout.TW, layout.tw), layout.y0, guideTop_);
    if (!guideBottom_.isEmpty())
        text(layout.x0 + AlignedOffset(guideBottomAlignment_, layout.TW, layout.bw), layout.y0 + layout.TH - layout.bh,
             guideBottom_);
}

// A text of held glyphs set straight into a 32-bit picture, where the
// canvas would draw it the same: placed by the top left of its cell and
// not clipped. False for anything else, which the canvas draws.
bool TCBarImage::DrawHeldGlyphs(TCanvas* canvas, Integer x, Integer y, const AnsiString& text) {
    TBitmap* bitmap = Picture()->Bitmap();
    if (!glyphs_->Holds(text) || bitmap->Empty() ||
        (bitmap->PixelFormat() != pfDevice && bitmap->PixelFormat() != pf32bit) || canvas->TextAlign() != 0 ||
        canvas->ClipRect() != Rect(0, 0, bitmap->Width(), bitmap->Height()))
        return false;
    auto* bits = static_cast<QRgb*>(bitmap->ScanLine(0));
    glyphs_->Draw(text, x, y, ToQColor(ColorToRGB(symbolFont_->Color())).rgb(), bits,
                  bitmap->Image().bytesPerLine() / qsizetype(sizeof(QRgb)), bitmap->Width(), bitmap->Height());
    bitmap->Changed();
    return true;
}

// Four strips of Frame pixels inside the rectangle; Frame is lowered to
// what fits (0 when nothing does).
void TCBarImage::DrawFrame(TCanvas* canvas, Integer left, Integer top, Integer right, Integer bottom) {
    Integer m = std::min((bottom - top) / 2, (right - left) / 2);
    if (m > 0) --m;
    if (m < 1) {
        frame_ = 0;
        return;
    }
    frame_ = TFrameWidth(std::min<Integer>(frame_, m));
    const Integer f = frame_;
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(cellColor_);
    canvas->FillRect(Rect(left, top, right, top + f));
    canvas->FillRect(Rect(left, bottom - f, right, bottom));
    canvas->FillRect(Rect(left, top + f, left + f, bottom - f));
    canvas->FillRect(Rect(right - f, top + f, right, bottom - f));
    canvas->Brush()->SetColor(borderColor_);
    canvas->Brush()->SetStyle(bsClear);
}
