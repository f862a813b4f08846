// Unit CBarCode: code images. TCustomImage holds and paints a picture; the
// QR code encoder TCQRCode turns bytes into a module matrix, which the QR
// code image TCQRImage paints into its picture; the barcode encoders turn a
// caption into an element string, which the barcode image TCBarImage lays
// out and paints.
#pragma once

#include "Classes.h"
#include "Controls.h"
#include "ExtCtrls.h"
#include "Graphics.h"
#include "Types.h"
#include "ZvTags.h"

#include <functional>
#include <memory>
#include <utility>
#include <vector>

// ------------------------------------------------------------ picture image base

// The unit declares the picture image base again under the framework's
// name so its code images can build on it: it behaves exactly like the
// framework's image control.
namespace CBarCode {

class TCustomImage : public TImage {
public:
    explicit TCustomImage(TComponent* AOwner) : TImage(AOwner) {}

    // The canvas of the picture's bitmap; an empty picture first gets a
    // bitmap of the control's size. EInvalidOperation for another graphic.
    TCanvas* GetCanvas() { return TImage::Canvas(); }
};

}  // namespace CBarCode

// ------------------------------------------------------------ QR code types

enum TQRLevel { qrLevel0L, qrLevel1M, qrLevel2Q, qrLevel3H };
using TQRVersion = Byte;   // 0..40; 0 = the smallest version that fits
using TMaskingNo = ShortInt;  // -1..7; -1 = chosen by penalty score
using TCellSize = Byte;    // 1..20 pixels per module side

// ------------------------------------------------------------ QR code encoder

// One run of text encoded in one mode; Count is in bytes (a kanji counts two).
struct TQRSegment {
    Byte Mode = 0;
    Integer Count = 0;
    bool operator==(const TQRSegment&) const = default;
};

// QR code model 2 encoder: versions 1-40, levels L/M/Q/H, numeric,
// alphanumeric, byte and Shift-JIS kanji modes mixed in one symbol, and the
// eight data masks with the choice by penalty score.
class TCQRCode : public TObject {
public:
    enum : Byte { qmNumeric = 0, qmAlphanumeric = 1, qmByte = 2, qmKanji = 3 };
    static constexpr Integer MaxSize = 177;
    static constexpr Integer MaxDataCodewords = 2956;
    static constexpr Integer MaxCodewords = 3706;
    static constexpr Integer MaxBits = MaxDataCodewords * 8;

    TCQRCode();
    ~TCQRCode() override;

    // Encodes the first Length bytes of Data (all of it when Length < 1).
    // Version 0 picks the smallest version that fits; a requested version too
    // small for the text fails unless AutoExpand. Mask -1 chooses by score.
    // False leaves the last symbol in place.
    bool Encode(Integer Level, Integer Version, bool AutoExpand, Integer Mask, const AnsiString& Data,
                Integer Length = 0);

    Integer Level() const { return level_; }
    Integer Version() const { return version_; }
    Integer Mask() const { return mask_; }
    Integer Size() const { return size_; }
    // 1 dark, 0 light; x the column from the left, y the row from the top.
    // Outside the symbol every module reads light.
    Byte Modules(Integer x, Integer y) const;

    // The segments of the last encoding, in order.
    const std::vector<TQRSegment>& Segments() const { return segments_; }
    // Data codewords of a version at a level (0 for version 0).
    static Integer DataCodewords(Integer version, Integer level);
    // Count-indicator width of a mode in a size class (0: v1-9, 1: v10-26,
    // 2: v27-40); 0 for a mode or class out of range.
    static Integer CountBits(Integer mode, Integer sizeClass);

protected:
    // Module flags while a symbol is being built.
    enum : Byte { mfFunction = 0x20, mfFunctionDark = 0x10, mfData = 0x02, mfDark = 0x01 };

    Integer SelectVersion(Integer requested);
    bool Segment(Integer sizeClass);
    static Integer SegmentCost(Integer mode, Integer n, Integer sizeClass);
    void PutBits(Cardinal value, Integer n);
    // Error-correction codewords of one block, highest degree first.
    void ReedSolomon(const Byte* data, Integer n, Integer e, Byte* ecc);
    void BuildMatrix();
    void DrawFunctionPatterns();
    void DrawFinderPattern(Integer left, Integer top);
    void DrawAlignmentPattern(Integer cx, Integer cy);
    void WriteVersionInfo();
    void PlaceData();
    void ApplyMask(Integer m);
    void WriteFormatInfo(Integer m);
    Integer Penalty() const;

    static bool IsNumeric(Byte b) { return b >= '0' && b <= '9'; }
    static bool IsAlphanumeric(Byte b);
    static bool IsKanjiPair(Byte first, Byte second);
    static Integer AlphanumericValue(Byte b);
    static Integer KanjiValue(Byte first, Byte second);

    bool IsFunction(Integer x, Integer y) const { return (modules_[x][y] & mfFunction) != 0; }
    bool IsDark(Integer x, Integer y) const { return (modules_[x][y] & (mfFunctionDark | mfDark)) != 0; }
    void SetFunction(Integer x, Integer y, bool dark) {
        modules_[x][y] = dark ? Byte(mfFunction | mfFunctionDark) : Byte(mfFunction);
    }

    Integer level_ = 0;
    Integer version_ = 0;
    Integer mask_ = -1;
    Integer size_ = 0;
    Byte modules_[MaxSize + 1][MaxSize + 1] = {};

private:
    void ClassifyUnits(const Byte* data, Integer length);
    void MergeNumericAlphanumeric(Integer sizeClass);
    void MergeIntoByte(Integer sizeClass);
    void WriteSegments(Integer sizeClass);
    void WriteNumeric(const Byte* p, Integer n);
    void WriteAlphanumeric(const Byte* p, Integer n);
    void WriteKanji(const Byte* p, Integer n);
    void FinishStream(Integer dataCodewords);
    void Interleave();
    Integer SegmentCostAt(Integer i, Integer sizeClass) const;
    Integer ChooseMask();
    Integer ScoreLines() const;

    const Byte* text_ = nullptr;
    Integer textLength_ = 0;
    std::vector<TQRSegment> units_;     // the classification, before merging
    std::vector<TQRSegment> segments_;  // after merging
    Byte stream_[MaxDataCodewords] = {};
    Integer bitCount_ = 0;              // -1 after an overflow
    Byte codewords_[MaxCodewords] = {};
    Integer codewordCount_ = 0;
    struct TQRLines;
    std::unique_ptr<TQRLines> lines_;  // scoring work area
};

// ------------------------------------------------------------ QR code image

// Shows its caption as a QR code: every property change encodes the caption
// (in the ANSI code page) again and paints one square of CellSize pixels per
// module, with a quiet zone of four modules, into the picture's bitmap.
class TCQRImage : public CBarCode::TCustomImage, public TZvUserTags<Integer> {
public:
    explicit TCQRImage(TComponent* AOwner);
    ~TCQRImage() override;

    // Caption and Text are the text to encode; setting them redraws.
    QString GetText() const override { return caption_; }
    void SetText(const QString& text) override;

    // Each setter stores and redraws, even when the value is unchanged.
    bool AutoExpand() const { return autoExpand_; }
    void SetAutoExpand(bool on);
    TQRLevel CorrectLevel() const { return correctLevel_; }
    void SetCorrectLevel(TQRLevel level);
    TMaskingNo MaskingNo() const { return maskingNo_; }
    void SetMaskingNo(TMaskingNo mask);    // kept within -1..7
    TCellSize CellSize() const { return cellSize_; }
    void SetCellSize(TCellSize size);      // kept within 1..20
    TQRVersion QRVersion() const { return qrVersion_; }
    void SetQRVersion(TQRVersion version); // kept within 0..40

    // Encodes and paints; false (and a white area of the control's size in
    // place of a symbol drawn before) when the caption cannot be encoded.
    bool DrawQRCode();

private:
    void PaintSymbol();

    std::unique_ptr<TCQRCode> encoder_;
    QString caption_;
    bool autoExpand_ = true;
    TQRLevel correctLevel_ = qrLevel1M;
    TMaskingNo maskingNo_ = -1;
    TCellSize cellSize_ = 2;
    TQRVersion qrVersion_ = 0;
};

// ------------------------------------------------------------ barcode types

enum TBarType { btJAN, btUPC, btCODE39, btNW7, btITF, btCTF, btIATA, btMATRIX, btNEC, btCUSTOMER, btCODE128, btCODE93 };
using TCellWidth = Byte;   // 1..10 pixels per narrow element
using TCellRatio = Byte;   // 20..30: a wide element is 2 narrow widths x ratio / 20
using TFrameWidth = Byte;  // 0..100 pixels
enum TSymbolCharCase { scUpperCase, scLowerCase };
using TBarImageEvent = std::function<void(TObject* Sender, bool FromClipboard)>;

// ------------------------------------------------------------ barcode encoders

// What an encoder reads of the image and what it writes back. An encoder
// returns the element string: one decimal digit per element from left to
// right, digit d an element d div 2 + 1 narrow widths wide, odd digits bars,
// even digits spaces; for the customer barcode one digit per 4-state
// position. An empty string means the caption cannot be encoded, and then
// Symbol and CheckValue are left as they were.
struct TBarEncoding {
    AnsiString Caption;
    bool CD = false;
    bool SymbolCdDisp = false;
    char StartChar = 'a';  // NW7 start, CODE128 start set; an encoder may re-case it
    char StopChar = 'a';   // NW7 stop
    TSymbolCharCase SymbolCharCase = scLowerCase;
    AnsiString Symbol;     // the human-readable text
    Integer CheckValue = -1;
};

// EAN-13 (12 digits) and EAN-8 (7 digits); the check digit is appended.
AnsiString EncodeJAN(TBarEncoding& e);
// UPC-A (11 digits) and UPC-E (number system 0 and six digits).
AnsiString EncodeUPC(TBarEncoding& e);
// The zero-suppressed form of an 11-digit UPC-A number, or empty.
AnsiString UPCAToUPCE(const AnsiString& upca);
// The 11-digit expansion of a 7-digit UPC-E number, or empty.
AnsiString UPCEToUPCA(const AnsiString& upce);

// The two-of-five family: interleaved, industrial, IATA, matrix and NEC.
AnsiString EncodeITF(TBarEncoding& e);
AnsiString EncodeCTF(TBarEncoding& e);
AnsiString EncodeIATA(TBarEncoding& e);
AnsiString EncodeMATRIX(TBarEncoding& e);
AnsiString EncodeNEC(TBarEncoding& e);

AnsiString EncodeCODE39(TBarEncoding& e);
// Start and stop from StartChar and StopChar, which come back in the case
// SymbolCharCase asks for.
AnsiString EncodeNW7(TBarEncoding& e);
// The shift characters are written "<$>", "<%>", "</>" and "<+>".
AnsiString EncodeCODE93(TBarEncoding& e);
// The values of a CODE93 caption (0..46), or false for a malformed one.
bool ReadCode93Values(const AnsiString& caption, std::vector<Integer>& values);

enum TCode128Set { csSetA, csSetB, csSetC };
// The start set comes from StartChar; set changes, shifts and function
// characters are tokens of the caption ("<CODEC>", "<SHIFT>", "<FNC1>").
AnsiString EncodeCODE128(TBarEncoding& e);
// The first value whose text in the set equals token, or -1.
Integer FindCode128Value(TCode128Set set, const AnsiString& token);
// The caption split into tokens: "<<" is "<", "<name>" the name upper-cased,
// ">x" the character x; a "<" or ">" ending the caption gives an empty token.
std::vector<AnsiString> ReadCode128Tokens(const AnsiString& caption);

// The postal customer barcode: 20 data symbols, a check symbol, start, stop.
AnsiString EncodeCUSTOMER(TBarEncoding& e);

// ------------------------------------------------------------ barcode image

class TBarClipboardWatch;
namespace CBarCode {
class TBarGlyphs;
}

// Draws its caption as a barcode of one of twelve symbologies into its
// picture: bars, the human-readable symbol under them, guide texts above
// and below, a frame (bearer bars for ITF), margins, and a rotation. Every
// property setter redraws at once.
class TCBarImage : public CBarCode::TCustomImage, public TZvUserTags<Integer> {
public:
    explicit TCBarImage(TComponent* AOwner);
    ~TCBarImage() override;

    // The caption is 8-bit text in the ANSI code page; Text and the
    // framework's Caption see it converted to UTF-16.
    const AnsiString& Caption() const { return caption_; }
    void SetCaption(const AnsiString& caption);
    QString GetText() const override;
    void SetText(const QString& text) override;

    Integer Angle() const { return angle_; }
    void SetAngle(Integer angle);  // 0, 90, 180, 270; others are ignored
    bool AutoFit() const { return autoFit_; }
    void SetAutoFit(bool on);
    TBarType BarType() const { return barType_; }
    void SetBarType(TBarType type);
    Integer BarHeight() const { return barHeight_; }
    void SetBarHeight(Integer height);
    Integer BarLeft() const { return barLeft_; }
    void SetBarLeft(Integer left);
    Integer BarTop() const { return barTop_; }
    void SetBarTop(Integer top);
    Integer BarWidth() const { return barWidth_; }
    Integer BarMarginBottom() const { return marginBottom_; }
    void SetBarMarginBottom(Integer margin);
    Integer BarMarginLeft() const { return marginLeft_; }
    void SetBarMarginLeft(Integer margin);
    Integer BarMarginRight() const { return marginRight_; }
    void SetBarMarginRight(Integer margin);
    Integer BarMarginTop() const { return marginTop_; }
    void SetBarMarginTop(Integer margin);
    TColor BorderColor() const { return borderColor_; }
    void SetBorderColor(TColor color);
    bool CD() const { return cd_; }
    void SetCD(bool on);
    TColor CellColor() const { return cellColor_; }
    void SetCellColor(TColor color);
    TCellRatio CellRatio() const { return cellRatio_; }
    void SetCellRatio(TCellRatio ratio);  // kept within 20..30
    TCellWidth CellWidth() const { return cellWidth_; }
    void SetCellWidth(TCellWidth width);  // kept within 1..10
    TFrameWidth Frame() const { return frame_; }
    void SetFrame(TFrameWidth width);     // kept within 0..100
    const AnsiString& GuideBottom() const { return guideBottom_; }
    void SetGuideBottom(const AnsiString& text);
    TAlignment GuideBottomAlignment() const { return guideBottomAlignment_; }
    void SetGuideBottomAlignment(TAlignment alignment);
    const AnsiString& GuideTop() const { return guideTop_; }
    void SetGuideTop(const AnsiString& text);
    TAlignment GuideTopAlignment() const { return guideTopAlignment_; }
    void SetGuideTopAlignment(TAlignment alignment);
    // "A".."D", else "A"; lower-case under scLowerCase.
    char StartChar() const { return startChar_; }
    void SetStartChar(char c);
    char StopChar() const { return stopChar_; }
    void SetStopChar(char c);
    const AnsiString& Symbol() const { return symbol_; }
    TSymbolCharCase SymbolCharCase() const { return symbolCharCase_; }
    void SetSymbolCharCase(TSymbolCharCase charCase);
    bool SymbolCdDisp() const { return symbolCdDisp_; }
    void SetSymbolCdDisp(bool on);
    bool SymbolDisp() const { return symbolDisp_; }
    void SetSymbolDisp(bool on);
    // The font of the symbol and the guides; owned, a change redraws.
    TFont* SymbolFont() const { return symbolFont_.get(); }
    void SetSymbolFont(TFont* font);

    Integer CheckValue() const { return checkValue_; }
    bool Drawn() const { return drawn_; }
    // While on, a change of the clipboard raises OnClipboardChange (when
    // it is assigned).
    bool WatchClipboard() const { return watchClipboard_; }
    void SetWatchClipboard(bool on);

    virtual void Redraw();
    virtual void PasteFromClipboard();
    virtual void Draw();
    virtual void ConvertToUPCE();
    virtual void ConvertToUPCA();
    virtual void Clear();
    virtual void CopyToClipboard();

    TBarImageEvent OnCaptionChanging;
    TBarImageEvent OnCaptionChanged;
    TBarImageEvent OnBeforeDraw;
    TBarImageEvent OnAfterDraw;
    // Set by the constructor to the image's own handler, which pastes.
    TNotifyEvent OnClipboardChange;

protected:
    virtual void DoCaptionChanging();
    virtual void DoBeforeDraw();
    virtual void DoAfterDraw();
    virtual void DoCaptionChanged();
    virtual void DoClipboardChange();
    // Turns the picture a quarter, half or three quarters clockwise; the
    // control's width and height swap for 90 and 270.
    void RotatePicture(Integer angle);

private:
    friend class TBarClipboardWatch;
    struct TLayout;
    AnsiString Encode();
    void DrawBarcode();
    void FillBlank();
    bool Measure(const AnsiString& elements, TLayout& layout);
    bool MeasureTexts(TLayout& layout);
    std::pair<Int64, Int64> Origin(Int64 tw, Int64 th) const;
    void Place(TLayout& layout);
    void BarRow(const AnsiString& elements, uint32_t* row) const;
    bool PaintRows(const AnsiString& elements, const TLayout& layout);
    void PaintBars(TCanvas* canvas, const AnsiString& elements, const TLayout& layout);
    void PaintFourState(TCanvas* canvas, const AnsiString& elements, const TLayout& layout);
    void PaintTextsAndFrame(TCanvas* canvas, const TLayout& layout);
    bool DrawHeldGlyphs(TCanvas* canvas, Integer x, Integer y, const AnsiString& text);
    void DrawFrame(TCanvas* canvas, Integer left, Integer top, Integer right, Integer bottom);
    Integer ElementWidth(char digit) const;
    Integer FourStateWidth(const AnsiString& elements) const;
    char CasedChar(char c) const;
    void ClipboardChangeHandler(TObject* Sender);
    void ClipboardChanged();

    AnsiString caption_;
    Integer angle_ = 0;
    bool autoFit_ = false;
    TBarType barType_ = btNW7;
    Integer barHeight_ = 105;
    Integer barLeft_ = 0;
    Integer barTop_ = 0;
    Integer barWidth_ = 0;
    Integer marginBottom_ = 0;
    Integer marginLeft_ = 10;
    Integer marginRight_ = 10;
    Integer marginTop_ = 0;
    TColor borderColor_ = TColor(0xFFFFFF);
    bool cd_ = false;
    TColor cellColor_ = TColor(0);
    TCellRatio cellRatio_ = 20;
    TCellWidth cellWidth_ = 1;
    TFrameWidth frame_ = 0;
    AnsiString guideBottom_;
    TAlignment guideBottomAlignment_ = taCenter;
    AnsiString guideTop_;
    TAlignment guideTopAlignment_ = taCenter;
    char startChar_ = 'a';
    char stopChar_ = 'a';
    AnsiString symbol_;
    TSymbolCharCase symbolCharCase_ = scLowerCase;
    bool symbolCdDisp_ = false;
    bool symbolDisp_ = true;
    std::unique_ptr<TFont> symbolFont_;
    Integer checkValue_ = -1;
    bool drawn_ = false;
    bool watchClipboard_ = false;
    bool fromClipboard_ = false;
    std::unique_ptr<TBarClipboardWatch> watch_;
    bool textsDrawn_ = false;
    std::unique_ptr<CBarCode::TBarGlyphs> glyphs_;  // of the symbol font, kept between draws
};
