// The report printer's page store: the page coder, the stream that moves
// itself from memory to a temporary file, and the page list that lays the
// pages into that stream as linked records behind the report file header.
#pragma once

#include "Classes.h"
#include "SysUtils.h"

#include <QtCore/QByteArray>
#include <QtCore/QString>

#include <array>
#include <functional>
#include <limits>
#include <memory>
#include <mutex>
#include <vector>

class TMetafile;
class TPrinter;
struct DevMode;

// ------------------------------------------------------------ page coder

// Adaptive prefix coder over a semi-splay tree: every byte is sent as its
// path from the root, then the tree is semi-splayed. No header, no length,
// no end marker: the page record carries the uncompressed length. One
// object codes one page in one direction.
class TQRCompress : public TObject {
public:
    // Expanding reads at most codeLimit code bytes from stream; asking for
    // more bytes than those hold yields zero bits and sets Overrun.
    TQRCompress(TStream& stream, bool compress, Int64 codeLimit = std::numeric_limits<Int64>::max());
    // Compressing: writes the last partly filled code byte (see Finish).
    ~TQRCompress() override;

    void CompressByte(Byte c);
    Byte ExpandByte();
    void CompressBytes(const Byte* data, Int64 count);
    void ExpandBytes(Byte* data, Int64 count);

    // Compressing: writes out every pending code byte. Expanding: leaves the
    // stream right after the last code byte used. Errors of the stream pass
    // on from here; the destructor finishes quietly when this was not called.
    void Finish();
    bool Overrun() const { return overrun_; }

private:
    static constexpr int kChunk = 4096;

    // The work of CompressBytes and ExpandBytes, inlined into their loops;
    // the bits at hand stay in the loop's registers.
    void CodeByte(Byte c, quint64& bits, int& count);
    void Swap(Cardinal entry1, Cardinal entry2);
    Cardinal DescendAndSplay(Cardinal first, Cardinal entry, quint64& bits, int& count, Cardinal& top0, Cardinal& top1);
    void EmitBits(quint64 code, int codeBits, quint64& bits, int& count);
    void FlushOutput();
    void Refill();

    TStream& stream_;
    bool compress_;
    bool finished_ = false;
    bool overrun_ = false;
    // Both tables hold byte offsets (4 * an entry's index), as a load adds
    // those to its base without scaling: the walks are chains of loads, one
    // per level, and this keeps each link as short as a load can be.
    // child_[2n + s] holds 4 * 2m for the child m on side s of internal node
    // n: the offset of m's own pair of entries, so a descent adds the next
    // bit and reads on. Nodes 256.. are leaves. ExpandBytes keeps the root's
    // pair in registers while it runs.
    Cardinal child_[512];
    // Compressing: up_[2m] = up_[2m + 1] = the offset of the child_ entry
    // holding node m, so the entry that holds a node leads straight to the
    // entry that holds its parent.
    Cardinal up_[1026];
    // Code bits not yet written (compressing) or not yet used (expanding),
    // the next one in the lowest bit.
    quint64 bits_ = 0;
    int bitCount_ = 0;
    // Code bytes go through this buffer, so the stream sees chunks.
    Byte buffer_[kChunk];
    int bufferPos_ = 0;
    int bufferEnd_ = 0;
    Int64 codeLeft_;
};

// ------------------------------------------------------------ page stream

// A stream that lives in memory until its size passes MemoryLimit and then
// moves itself to a temporary file "VOZ…" in TempFolder(), deleted when the
// stream is freed. Every operation holds the stream's re-entrant lock.
class TQRStream : public TStream {
public:
    explicit TQRStream(Integer memoryLimit);
    // A report file opened read-only, in file mode for its whole life.
    static std::unique_ptr<TQRStream> CreateFromFile(const QString& fileName);
    ~TQRStream() override;

    Integer Read(void* buffer, Integer count) override;
    Integer Write(const void* buffer, Integer count) override;
    Int64 Seek(Int64 offset, TSeekOrigin origin) override;
    Int64 Size() override;
    void SetSize(Int64 size) override;
    QString WriteErrorMessage() override;

    // Copies the whole stream from its start in chunks of 10240 bytes.
    void SaveToStream(TStream& dest);

    void Lock() { lock_.lock(); }
    void Unlock() { lock_.unlock(); }

    Integer MemoryLimit() const { return memoryLimit_; }
    bool InMemory() const { return memory_ != nullptr; }
    const QString& TempFileName() const { return tempFileName_; }

private:
    TQRStream(Integer memoryLimit, std::unique_ptr<TFileStream> file);
    TStream& Inner();
    void MoveToFile();

    std::recursive_mutex lock_;
    std::unique_ptr<TMemoryStream> memory_;
    std::unique_ptr<TFileStream> file_;
    QString tempFileName_;
    Integer memoryLimit_;
};

// ------------------------------------------------------------ page list

// Pages as linked records behind the 128-byte report file header:
//   page number (i32) | offset after this record (i32) | body | record start (i32)
// The body is the page's metafile, or with compression its length (i32)
// followed by the coded bytes. Loaded files are checked record by record.
class TQRPageList : public TObject {
public:
    static constexpr Integer HeaderSize128 = 128;

    TQRPageList();
    ~TQRPageList() override;

    void AddPage(TMetafile& page);
    // Page n as a new metafile, or nullptr when there is no page n.
    std::unique_ptr<TMetafile> GetPage(Integer n);
    // A page as its metafile bytes (a whole EMF: its header's nBytes at
    // offset 48 is its length); an empty array when there is no page n.
    void AddPageData(const QByteArray& emf);
    QByteArray GetPageData(Integer n);

    void WriteFileHeader();
    void ReadFileHeader();
    // Opens a report file read-only. A damaged file keeps the pages before
    // the damage readable and raises EReadError saying where it is damaged.
    void LoadFromFile(const QString& fileName);
    // Writes a temporary file beside fileName and renames it into place, so
    // saving over the file the pages were loaded from keeps it whole.
    void SaveToFile(const QString& fileName);
    void Clear();

    Integer PageCount() const { return pageCount_; }
    // The furthest a record may end, as the records hold 32-bit offsets;
    // tests lower it to reach it with a few pages.
    void SetSizeLimit(Int64 value) { sizeLimit_ = value; }
    bool Compression() const { return compression_; }
    void SetCompression(bool value) { compression_ = value; }
    Integer HeaderSize() const { return headerSize_; }

    // The page list owns its stream; the report printer gives it a fresh
    // one per document and may drop it (nullptr).
    TQRStream* Stream() const { return stream_.get(); }
    void SetStream(std::unique_ptr<TQRStream> stream);

private:
    struct Record {
        Integer number = 0;
        Int64 start = 0;
        Int64 next = 0;
    };

    TQRStream& RequireStream();
    Integer DetectHeaderSize();
    Integer CountRecords(QString& damage);
    bool ReadRecordAt(Int64 start, Record& record, Integer maxNumber);
    QString CheckBody(const Record& record);
    Record LocatePage(Integer n);
    QByteArray ReadBody(const Record& record);
    void WriteBody(const QByteArray& emf);

    std::recursive_mutex lock_;
    std::unique_ptr<TQRStream> stream_;
    bool compression_ = false;
    Integer pageCount_ = 0;
    Integer headerSize_ = HeaderSize128;
    Int64 sizeLimit_ = std::numeric_limits<Integer>::max();
    // Start of the last record and end of the last record, so that a walk
    // never reads bytes past the pages known to be whole.
    Int64 lastRecord_ = 0;
    Int64 recordsEnd_ = HeaderSize128;
};

// ------------------------------------------------------------ papers and bins

// Paper sizes in the order of the Windows paper codes: value i is code i
// for 0..68, Custom is code 256 (user-defined).
enum class TQRPaperSize {
    Default, Letter, LetterSmall, Tabloid, Ledger, Legal, Statement, Executive, A3, A4, A4Small, A5, B4, B5,
    Folio, Quarto, qr10X14, qr11X17, Note, Env9, Env10, Env11, Env12, Env14, CSheet, DSheet, ESheet, EnvDL,
    EnvC5, EnvC3, EnvC4, EnvC6, EnvC65, EnvB4, EnvB5, EnvB6, EnvItaly, EnvMonarch, EnvPersonal, FanfoldUSStd,
    FanfoldGerStd, FanfoldGerLegal, B4ISO, PostcardJap, qr9X11, qr10X11, qr15X11, EnvInvite, Reserved1,
    Reserved2, LetterExtra, LegalExtra, TabloidExtra, A4Extra, LetterTrans, A4Trans, LetterExtraTrans,
    SuperASuperAA4, SuperBSuperBA3, LetterPlus, A4Plus, A5Trans, B5Trans, A3Extra, A5Extra, B5Extra, A2,
    A3Trans, A3ExtraTrans, Custom
};
constexpr int QRPaperSizeCount = 70;

enum class TQRBin {
    First, Upper, Lower, Middle, Manual, Envelope, EnvManual, Auto, Tractor, SmallFormat, LargeFormat,
    LargeCapacity, Cassette, Last
};
constexpr int QRBinCount = 14;

// Portrait width and length of a paper in millimetres (0 x 0 for Default
// and Custom).
struct TQRPaperDimension {
    Extended Width;
    Extended Length;
};

Integer QRPaperCode(TQRPaperSize paper);
const TQRPaperDimension& QRPaperDimension(TQRPaperSize paper);
// The display name of a paper ("A4 210 x 297 mm").
const QString& QRPaperName(TQRPaperSize paper);
Integer QRBinCode(TQRBin bin);
// The first paper size (bin) whose code is code; Default (First) when none.
TQRPaperSize QRPaperOfCode(Integer code);
TQRBin QRBinOfCode(Integer code);

// ------------------------------------------------------------ printer settings

using TQRPrinterEvent = std::function<void(TObject* Sender, bool& Cancel, DevMode* DevMode)>;

// The report's view of one printer: its device mode and capabilities in
// 0.1 mm and dots per inch; setters change only what the driver supports.
class TPrinterSettings : public TObject {
public:
    TPrinterSettings();
    ~TPrinterSettings() override;

    TPrinter* Printer() const { return printer_; }
    // Not owned; a printer with printers is read at once.
    void SetPrinter(TPrinter* printer);

    // Reads the selected printer unless it is the one read last.
    void ReadFromPrinter();
    // Writes the settings into the printer's device mode.
    void ApplySettings();
    // Forgets the printer read last, so the next read reads it again.
    void Invalidate() { lastIndexRead_ = -1; }

    // All bits of flag are in the device mode of the last read.
    bool Supports(Cardinal flag) const;
    bool PaperSupported(TQRPaperSize paper) const { return supported_[size_t(paper)]; }

    Integer Copies() const { return copies_; }
    void SetCopies(Integer value);
    Integer Orientation() const { return orientation_; }
    void SetOrientation(Integer value);
    bool Duplex() const { return duplex_; }
    void SetDuplex(bool value);
    TQRBin OutputBin() const { return outputBin_; }
    void SetOutputBin(TQRBin value);
    TQRPaperSize PaperSize() const { return paperSize_; }
    void SetPaperSize(TQRPaperSize value);
    Integer PaperWidth() const { return paperWidth_; }
    void SetPaperWidth(Integer value) { paperWidth_ = value; }
    Integer PaperLength() const { return paperLength_; }
    void SetPaperLength(Integer value) { paperLength_ = value; }
    // Portrait paper size for printing (0.1 mm): the table's for a standard
    // paper, the stored width and length for Default and Custom.
    Integer PrintPaperWidth() const;
    Integer PrintPaperLength() const;

    Integer XResolution() const { return xResolution_; }
    Integer YResolution() const { return yResolution_; }
    Integer TopOffset() const { return topOffset_; }
    Integer LeftOffset() const { return leftOffset_; }

    bool PrintMetafile = false;
    bool UseStandardprinter = false;
    Integer ExtendedDuplex = 0;
    bool UseCustomBinCode = false;
    Integer CustomBinCode = 0;
    bool UseCustomPaperCode = false;
    Integer CustomPaperCode = 0;
    Integer PrintQuality = 0;
    Integer Collate = 0;
    Integer ColorOption = 0;
    Integer MemoryLimit = 250000;
    TQRPrinterEvent OnGetDeviceMode;
    TQRPrinterEvent OnApplySettings;

private:
    void ReadCapabilities(const DevMode& mode);
    void ReadPapers();

    TPrinter* printer_ = nullptr;
    Integer lastIndexRead_ = -1;
    QString device_, driver_, port_;
    std::unique_ptr<DevMode> mode_;  // of the last read
    Integer copies_ = 1;
    bool duplex_ = false;
    Integer orientation_ = 0;
    TQRBin outputBin_ = TQRBin::First;
    TQRPaperSize paperSize_ = TQRPaperSize::A4;
    std::array<bool, QRPaperSizeCount> supported_{};
    Integer paperWidth_ = 0;
    Integer paperLength_ = 0;
    Integer xResolution_ = 0;
    Integer yResolution_ = 0;
    Integer topOffset_ = 0;
    Integer leftOffset_ = 0;
};

// The paper of the application printer's device mode (Default when it
// names none this table knows).
TQRPaperSize DefaultPrinterPaperSize();

// The printer options a report stores with its form.
class TQRPrinterSettings : public TPersistent {
public:
    Integer Copies = 1;
    bool Duplex = false;
    TQRBin OutputBin = TQRBin::Auto;
    Byte Option = 1;
    Integer PrinterIndex = -1;
    QString Text;
    Integer FirstPage = 0;
    Integer LastPage = 0;
    bool UseStandardprinter = false;
    Integer ExtendedDuplex = 0;
    Integer MemoryLimit = 250000;
    Integer PrintQuality = 0;
    Integer Collate = 0;
    Integer ColorOption = 0;
    bool UseCustomBinCode = false;
    Integer CustomBinCode = 0;
    bool UseCustomPaperCode = false;
    Integer CustomPaperCode = 0;
    bool PrintMetaFile = false;

    // Loads the driver's defaults into printer's device mode.
    static void ResetDeviceMode(TPrinter& printer);
};

// ------------------------------------------------------------ report printer

class TControl;
class TCanvas;
class TCustomForm;
class TMetafileCanvas;

VELMORA_EXCEPTION(EQRError, Exception);

// A control held without owning it; it reads nil once the control is gone.
class TQRControlLink : public TComponent {
public:
    TQRControlLink() : TComponent(nullptr) {}
    ~TQRControlLink() override { Set(nullptr); }
    TControl* Get() const { return control_; }
    void Set(TControl* control);

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    TControl* control_ = nullptr;
};

enum TQRPrinterDestination { qrdMetafile, qrdPrinter };
enum TQRPrinterStatus { mpReady, mpBusy, mpFinished };

class TQRPrinter;

// Makes the progress form Print shows while it prints: a form owned by
// the application that sends its Cancel to the printer. None registered:
// Print shows no progress form. Answers the factory registered before.
using TQRProgressFormFactory = std::function<std::unique_ptr<TCustomForm>(TQRPrinter* printer)>;
TQRProgressFormFactory RegisterQRProgressForm(TQRProgressFormFactory factory);
// A new progress form for printer, or nil when none is registered.
std::unique_ptr<TCustomForm> NewQRProgressForm(TQRPrinter* printer);

// Set when pages were last loaded from a report file.
bool QRReportLoaded();

// Records a report's pages as metafiles in its page store, or draws them
// on a printer; tells the preview how far it has come by posted messages.
class TQRPrinter : public TPersistent {
public:
    // Made for a report, takes the report's standard-printer switch and
    // memory limit: the application's printer when the switch is on, else
    // an own one. Without a report, an own printer.
    explicit TQRPrinter(TComponent* parentReport = nullptr);
    ~TQRPrinter() override;

    void BeginDoc();
    void NewPage();
    void EndDoc();
    void AbortDoc();
    void Cleanup();
    void Cancel() { cancelled_ = true; }
    // Page n as a new metafile, or nil.
    std::unique_ptr<TMetafile> GetPage(Integer n);
    void Load(const QString& fileName);
    void Save(const QString& fileName);
    // Prints the recorded pages FirstPage..LastPage.
    void Print();
    void ClosePreview();

    // Report measurements (0.1 mm) in device units.
    Integer XPos(Extended value) const;
    Integer YPos(Extended value) const;
    Integer XSize(Extended value) const;
    Integer YSize(Extended value) const;
    // The paper in its orientation, 0.1 mm.
    Integer PaperWidth() const;
    Integer PaperLength() const;

    TPrinter* Printer() const { return printer_; }
    TPrinterSettings& PrinterSettings() { return *settings_; }
    TQRPageList& PageList() { return *pageList_; }
    TComponent* ParentReport() const { return parentReport_; }
    TCanvas* Canvas() const { return canvas_; }
    TQRPrinterStatus Status() const { return status_; }
    Integer PageCount() const { return pageCount_; }
    Integer PageNumber() const { return pageNumber_; }
    Integer AvailablePages() const { return availablePages_; }
    bool Cancelled() const { return cancelled_; }
    bool PrinterPresent() const { return printerPresent_; }
    bool Loaded() const { return loaded_; }
    Extended XFactor() const { return xFactor_; }
    Extended YFactor() const { return yFactor_; }
    Integer LeftOffset() const { return leftOffset_; }
    Integer TopOffset() const { return topOffset_; }
    Integer Progress() const { return progress_; }
    // Stores and posts WM_USER with the per cent to the preview control.
    void SetProgress(Integer value);

    TControl* PreviewControl() const { return preview_.Get(); }
    void SetPreviewControl(TControl* control) { preview_.Set(control); }
    TControl* Client() const { return client_.Get(); }
    void SetClient(TControl* control) { client_.Set(control); }
    bool ShowingPreview() const { return previewOpen_; }
    void SetShowingPreview(bool value) { previewOpen_ = value; }

    // The settings, forwarded to PrinterSettings (which keeps to what the
    // printer supports).
    Integer Copies() const { return settings_->Copies(); }
    void SetCopies(Integer value) { settings_->SetCopies(value); }
    bool Duplex() const { return settings_->Duplex(); }
    void SetDuplex(bool value) { settings_->SetDuplex(value); }
    TQRBin OutputBin() const { return settings_->OutputBin(); }
    void SetOutputBin(TQRBin value) { settings_->SetOutputBin(value); }
    Integer Orientation() const { return settings_->Orientation(); }
    void SetOrientation(Integer value) { settings_->SetOrientation(value); }
    TQRPaperSize PaperSize() const { return settings_->PaperSize(); }
    void SetPaperSize(TQRPaperSize value) { settings_->SetPaperSize(value); }
    bool UseCustomBinCode() const { return settings_->UseCustomBinCode; }
    void SetUseCustomBinCode(bool value) { settings_->UseCustomBinCode = value; }
    Integer CustomBinCode() const { return settings_->CustomBinCode; }
    void SetCustomBinCode(Integer value) { settings_->CustomBinCode = value; }
    bool UseCustomPaperCode() const { return settings_->UseCustomPaperCode; }
    void SetUseCustomPaperCode(bool value) { settings_->UseCustomPaperCode = value; }
    Integer CustomPaperCode() const { return settings_->CustomPaperCode; }
    void SetCustomPaperCode(Integer value) { settings_->CustomPaperCode = value; }
    bool PrintMetafile() const { return settings_->PrintMetafile; }
    void SetPrintMetafile(bool value) { settings_->PrintMetafile = value; }
    bool Compression() const { return pageList_->Compression(); }
    void SetCompression(bool value) { pageList_->SetCompression(value); }
    Integer PrinterIndex() const;
    void SetPrinterIndex(Integer index);

    TQRPrinterDestination Destination = qrdMetafile;
    Integer FirstPage = 0;
    Integer LastPage = 0;
    QString Title;
    // Shows the progress form while printing stored pages when the printer
    // has no parent report; a parent report's own setting rules otherwise.
    bool ShowProgress = false;
    // Set while the parent report exports through a filter: its pages are
    // handed to the filter, not kept.
    bool ParentExporting = false;
    // Printing straight on the printer: EndDoc has ended the document.
    TNotifyEvent OnEndOfPrint;
    // The preview was closed (ClosePreview while it was open).
    TNotifyEvent OnPreviewClosed;

private:
    bool InRange() const;
    bool LastOfRange() const { return LastPage > 0 && pageNumber_ == LastPage; }
    void OpenMetafilePage();
    void ClosePage(bool store);
    void KeepStoredPages();
    void OpenPrinterPage();
    void UsePrinterFactors(Extended fallbackY);
    void UseScreenFactors();
    void PageAvailable();
    void GuessPaper();
    void PrintPages(Integer first, Integer last, bool showProgress);
    bool ShowsProgress() const;
    void PrintPage(Integer page);

    TComponent* parentReport_;
    TPrinter* printer_ = nullptr;
    std::unique_ptr<TPrinter> ownPrinter_;
    std::unique_ptr<TPrinterSettings> settings_;
    std::unique_ptr<TQRPageList> pageList_;
    std::unique_ptr<TMetafile> page_;
    std::unique_ptr<TMetafileCanvas> pageCanvas_;
    TCanvas* canvas_ = nullptr;
    TQRControlLink preview_;
    TQRControlLink client_;
    TQRPrinterStatus status_ = mpReady;
    Integer pageCount_ = 0;
    Integer pageNumber_ = 0;
    Integer availablePages_ = 0;
    Integer progress_ = 0;
    Integer leftOffset_ = 0;
    Integer topOffset_ = 0;
    Extended xFactor_ = 0.37795L;
    Extended yFactor_ = 0.37795L;
    bool cancelled_ = false;
    bool printerPresent_ = false;
    bool previewOpen_ = false;
    bool loaded_ = false;
};

// ------------------------------------------------------------ registries

// Shows a report's pages; the base shows nothing.
class TQRPreviewInterface : public TComponent {
public:
    using TComponent::TComponent;
    virtual TCustomForm* Show(TQRPrinter* printer);
    virtual TCustomForm* ShowModal(TQRPrinter* printer);
};
using TQRPreviewInterfaceFactory = std::function<std::unique_ptr<TQRPreviewInterface>(TComponent* owner)>;
void RegisterQRPreviewInterface(TQRPreviewInterfaceFactory factory);
std::unique_ptr<TQRPreviewInterface> NewQRPreviewInterface(TComponent* owner);

// The export filters a report can be saved with, by description and
// file extension (without the dot).
class TQRExportFilterLibrary : public TObject {
public:
    struct Entry {
        QString Description;
        QString Extension;
    };
    void Add(const Entry& entry) { entries_.push_back(entry); }
    // The save dialog's filter: the report file first, then each filter.
    QString SaveDialogFilter() const;
    // The entry whose extension is extension (exact), or nil.
    const Entry* Find(const QString& extension) const;

private:
    std::vector<Entry> entries_;
};
TQRExportFilterLibrary& QRExportFilterLibrary();
