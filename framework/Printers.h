// Printers: the list of the system's printers, the device mode of the
// selected one and print jobs drawn on a canvas.
//
// There is always at least one printer: the built-in PDF printer, first in
// the list, which writes each job to a PDF file in PdfPrinterFolder(), with
// the copies the device mode asks for in the file itself. The CUPS queues
// follow it when CUPS runs; a job for a queue is rendered to a temporary
// PDF and handed to CUPS at EndDoc with the device mode's paper, bin,
// sides, copies, collation and colour as job options.
//
// The canvas draws in device pixels of the printable area: (0, 0) is the
// top left of what the printer can print, PageWidth x PageHeight its size;
// GetDeviceCaps on Canvas()->Handle() tells the resolution, the physical
// paper size and the unprintable offsets, before and during a job.
#pragma once

#include "Classes.h"
#include "Windows.h"

#include <QtCore/QMarginsF>
#include <QtCore/QSizeF>
#include <QtCore/QStringList>
#include <QtGui/QPageSize>

#include <memory>
#include <vector>

class QPrinter;
class TCanvas;
class TPrinterCanvas;

VELMORA_EXCEPTION(EPrinter, Exception);

// ------------------------------------------------------------ device mode

// Fields of DevMode a driver supports (dmFields) or a caller sets.
constexpr Cardinal DM_ORIENTATION = 0x1, DM_PAPERSIZE = 0x2, DM_PAPERLENGTH = 0x4, DM_PAPERWIDTH = 0x8,
                   DM_SCALE = 0x10, DM_COPIES = 0x100, DM_DEFAULTSOURCE = 0x200, DM_PRINTQUALITY = 0x400,
                   DM_COLOR = 0x800, DM_DUPLEX = 0x1000, DM_YRESOLUTION = 0x2000, DM_COLLATE = 0x8000;

constexpr SmallInt DMORIENT_PORTRAIT = 1, DMORIENT_LANDSCAPE = 2;
constexpr SmallInt DMPAPER_LETTER = 1, DMPAPER_LEGAL = 5, DMPAPER_A3 = 8, DMPAPER_A4 = 9, DMPAPER_A5 = 11,
                   DMPAPER_B4 = 12, DMPAPER_B5 = 13, DMPAPER_USER = 256;
constexpr SmallInt DMBIN_UPPER = 1, DMBIN_ONLYONE = 1, DMBIN_LOWER = 2, DMBIN_MIDDLE = 3, DMBIN_MANUAL = 4,
                   DMBIN_ENVELOPE = 5, DMBIN_ENVMANUAL = 6, DMBIN_AUTO = 7, DMBIN_TRACTOR = 8,
                   DMBIN_SMALLFMT = 9, DMBIN_LARGEFMT = 10, DMBIN_LARGECAPACITY = 11, DMBIN_CASSETTE = 14,
                   DMBIN_FORMSOURCE = 15;
constexpr SmallInt DMRES_DRAFT = -1, DMRES_LOW = -2, DMRES_MEDIUM = -3, DMRES_HIGH = -4;
constexpr SmallInt DMCOLOR_MONOCHROME = 1, DMCOLOR_COLOR = 2;
constexpr SmallInt DMDUP_SIMPLEX = 1, DMDUP_VERTICAL = 2, DMDUP_HORIZONTAL = 3;
constexpr SmallInt DMCOLLATE_FALSE = 0, DMCOLLATE_TRUE = 1;

// The device mode of one printer. Paper length and width are in 0.1 mm;
// when both are set (DM_PAPERLENGTH | DM_PAPERWIDTH, non-zero) they rule
// over dmPaperSize, as a driver takes them. dmPrintQuality is a DMRES_
// value or dots per inch.
struct DevMode {
    QString dmDeviceName;
    Cardinal dmFields = 0;
    SmallInt dmOrientation = DMORIENT_PORTRAIT;
    SmallInt dmPaperSize = DMPAPER_A4;
    SmallInt dmPaperLength = 0;
    SmallInt dmPaperWidth = 0;
    SmallInt dmScale = 100;
    SmallInt dmCopies = 1;
    SmallInt dmDefaultSource = DMBIN_AUTO;
    SmallInt dmPrintQuality = 600;
    SmallInt dmColor = DMCOLOR_COLOR;
    SmallInt dmDuplex = DMDUP_SIMPLEX;
    SmallInt dmYResolution = 600;
    SmallInt dmCollate = DMCOLLATE_FALSE;

    bool operator==(const DevMode&) const = default;
};

// The portrait paper size of mode in millimetres (length and width when
// set, else the paper code; an unknown code gives an empty size).
QSizeF DevModePaperSize(const DevMode& mode);
// The same as a page size: the named size when it is one, else a custom size.
QPageSize DevModePageSize(const DevMode& mode);

// ------------------------------------------------------------ drivers

// One printer as the system offers it: names, what it supports and how a
// job reaches it. The built-in PDF printer and CUPS queues implement it;
// tests bring their own.
class TPrinterDriver {
public:
    virtual ~TPrinterDriver() = default;
    virtual QString DeviceName() const = 0;
    virtual QString DriverName() const = 0;
    virtual QString PortName() const = 0;
    // The CUPS queue a job goes to (empty: the job is a file).
    virtual QString QueueName() const { return QString(); }
    // The driver's defaults; dmFields holds every field it supports.
    virtual DevMode DefaultMode() const = 0;
    // Paper codes (DMPAPER_) and bins (DMBIN_) in the driver's order, with
    // the bins' names.
    virtual std::vector<Word> Papers() const = 0;
    virtual std::vector<Word> Bins() const = 0;
    virtual QStringList BinNames() const = 0;
    // Dots per inch for mode's print quality (0: the driver cannot tell).
    virtual Integer Resolution(const DevMode& mode) const = 0;
    // Unprintable margins in millimetres, in mode's orientation.
    virtual QMarginsF Margins(const DevMode& mode) const = 0;
    // The PDF file a job titled title ends as. The job is written beside
    // it under a temporary name, which Submit gets; a file Submit leaves
    // there then takes this name.
    virtual QString JobFile(const QString& title) const = 0;
    // The job's file is complete: hand it on (a queue prints and removes
    // it); false with message when that failed.
    virtual bool Submit(const QString& file, const QString& title, const DevMode& mode, QString& message) = 0;
};

// Folder of the PDF printer's files: $VELMORA_PDF_DIR, else
// <documents folder>/VelmoraPDF (made when the first job starts).
QString PdfPrinterFolder();
// A job's file name made from its title: characters a file name cannot
// hold become '_', an empty title "document"; " (2)"... avoid existing files.
QString PdfJobFileName(const QString& folder, const QString& title);
// The built-in printer; default paper A4, Letter under a US measurement
// setting (QLocale's measurement system).
std::unique_ptr<TPrinterDriver> NewPdfPrinterDriver();
// The CUPS queues, the default queue first (none when CUPS is not running).
std::vector<std::unique_ptr<TPrinterDriver>> CupsPrinterDrivers();
// The CUPS job options mode asks for ("media", "sides", "copies"...).
std::vector<std::pair<QByteArray, QByteArray>> CupsJobOptions(const DevMode& mode);

// The file reads back as the PDF printer's jobs are laid out: cross-reference
// table, trailer and pages all where they should be, as they are only when
// every byte of the job reached the file.
bool PdfFileIsWhole(const QString& file);
// Gives the PDF file a job wrote copies of its pages, collated (1 2 3 1 2
// 3) or not (1 1 2 2 3 3); the copies share the pages' contents. False
// with message when the file cannot be read or written.
bool WritePdfCopies(const QString& file, Integer copies, bool collate, QString& message);

// Names and portrait sizes (0.1 mm) of a driver's papers, in its order.
QStringList PaperNames(const TPrinterDriver& driver);
std::vector<TPoint> PaperSizes(const TPrinterDriver& driver);

// ------------------------------------------------------------ printer

enum TPrinterOrientation { poPortrait, poLandscape };
enum class TPrinterState { Idle, Printing, Aborted };

class TPrinter : public TObject {
public:
    // The system's printers: the PDF printer, then the CUPS queues.
    TPrinter();
    // These printers (at least one), the first selected.
    explicit TPrinter(std::vector<std::unique_ptr<TPrinterDriver>> drivers);
    ~TPrinter() override;

    // Device names, in order.
    TStrings* Printers() const { return names_.get(); }
    // The selected printer; setting it loads that printer's defaults
    // (-1: the default printer). EPrinter while printing or out of range.
    Integer PrinterIndex() const { return index_; }
    void SetPrinterIndex(Integer index);
    // The selected printer's names and its device mode; callers may change
    // the mode in place and hand it back with SetPrinter.
    void GetPrinter(QString& device, QString& driver, QString& port, DevMode*& mode);
    // Selects the printer named device with mode (nil: its defaults).
    // Unsupported fields are left as the driver's defaults.
    void SetPrinter(const QString& device, const QString& driver, const QString& port, const DevMode* mode);
    const DevMode& Mode() const { return mode_; }
    TPrinterDriver& Driver() const { return *drivers_[size_t(index_)]; }
    TPrinterDriver& Driver(Integer index) const { return *drivers_.at(size_t(index)); }

    QString Title() const { return title_; }
    void SetTitle(const QString& title);

    // A job: BeginDoc opens page 1, NewPage ends the page and opens the
    // next, EndDoc ends the job and hands its file on. EPrinter when a
    // job is (or is not) running.
    void BeginDoc();
    void NewPage();
    void EndDoc();
    // Ends the job without output; its file is removed.
    void Abort();
    // A page is started only when none is open: a start right after
    // another (or after NewPage) adds no blank page.
    void StartPage();
    void EndPage();
    bool Printing() const { return state_ == TPrinterState::Printing; }
    bool Aborted() const { return aborted_; }
    // The file of the last job the PDF printer wrote (empty for a queue).
    QString OutputFileName() const { return outputFile_; }

    TCanvas* Canvas() const;
    HDC Handle() const;
    // The printable area in device pixels and the page being drawn.
    Integer PageWidth() const { return DeviceCaps(HORZRES); }
    Integer PageHeight() const { return DeviceCaps(VERTRES); }
    Integer PageNumber() const { return pageNumber_; }

    TPrinterOrientation Orientation() const;
    void SetOrientation(TPrinterOrientation orientation);
    Integer Copies() const { return mode_.dmCopies; }
    void SetCopies(Integer copies);

    // LOGPIXELSX/Y, PHYSICALWIDTH/HEIGHT, PHYSICALOFFSETX/Y, HORZRES and
    // VERTRES of the selected printer with its device mode.
    Integer DeviceCaps(Integer index) const;
    // Paper codes, names and portrait sizes (0.1 mm); bin codes and names.
    std::vector<Word> Papers() const { return Driver().Papers(); }
    QStringList PaperNames() const { return ::PaperNames(Driver()); }
    std::vector<TPoint> PaperSizes() const { return ::PaperSizes(Driver()); }
    std::vector<Word> Bins() const { return Driver().Bins(); }
    QStringList BinNames() const { return Driver().BinNames(); }

private:
    void RequireIdle() const;
    void RequirePrinting() const;
    void ConfigureJob();
    void FinishJob(bool keep);

    std::vector<std::unique_ptr<TPrinterDriver>> drivers_;
    std::unique_ptr<TStringList> names_;
    Integer index_ = 0;
    DevMode mode_;
    QString title_;
    TPrinterState state_ = TPrinterState::Idle;
    bool aborted_ = false;
    bool pageOpen_ = false;
    Integer pageNumber_ = 0;
    std::unique_ptr<TFileReplacement> jobFile_;
    QString outputFile_;
    std::unique_ptr<QPrinter> job_;
    std::unique_ptr<TPrinterCanvas> canvas_;
};

// The application's printer, made on first use.
TPrinter* Printer();
// Replaces the application's printer (taking ownership); returns the old
// one, which the caller then owns.
TPrinter* SetPrinter(TPrinter* printer);

// Page brackets on a printer's device context (no effect on other canvases).
Integer StartPage(HDC dc);
Integer EndPage(HDC dc);

// What a printer can do, as the platform asks it: with output nil the
// count; else output is filled (DC_PAPERS, DC_BINS: Word[]; DC_PAPERSIZE:
// TPoint[] in 0.1 mm; DC_PAPERNAMES: 64 WideChars each; DC_BINNAMES: 24
// each). -1 for an unknown printer or capability.
constexpr Word DC_PAPERS = 2, DC_PAPERSIZE = 3, DC_BINS = 6, DC_DUPLEX = 7, DC_BINNAMES = 12,
               DC_PAPERNAMES = 16, DC_COPIES = 18, DC_COLLATE = 22, DC_COLORDEVICE = 32;
Integer DeviceCapabilities(const QString& device, const QString& port, Word capability, void* output);
