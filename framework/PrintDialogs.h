// The print dialog and the printer set-up dialog, working on the
// application's printer (Printer()). Both show a window of our own that
// lists the printers of Printers() by name, the built-in PDF printer first;
// what the user chooses goes into the printer's device mode, and the print
// dialog also reads back the range, copies, collation and print to file.
#pragma once

#include "Classes.h"
#include "Printers.h"

#include <functional>

class QDialog;
class QWidget;

// Runs a print or printer set-up dialog instead of its modal loop (tests):
// it gets the dialog's window, set up with the printer's settings, and
// answers QDialog::Accepted or Rejected (nil: the real modal run again).
using TPrintDialogHook = std::function<int(QDialog& Dialog)>;
void SetPrintDialogHook(TPrintDialogHook hook);

enum TPrintDialogOption { poPrintToFile, poPageNums, poSelection, poWarning, poHelp, poDisablePrintToFile };
using TPrintDialogOptions = Set<TPrintDialogOption>;
enum TPrintRange { prAllPages, prSelection, prPageNums };

// What a print dialog shows and what the user chose in it.
struct TPrintDialogChoice {
    Integer PrinterIndex = 0;  // in the printer's Printers()
    // That printer's mode: paper, orientation, copies, collation, sides, colour.
    DevMode Mode;
    TPrintRange PrintRange = prAllPages;
    Integer FromPage = 0;
    Integer ToPage = 0;
    Integer MinPage = 0;
    Integer MaxPage = 0;  // 0: not known
    bool PrintToFile = false;  // the printer writes files (the PDF printer)
};

// The choice printer stands at: its printer and its device mode.
TPrintDialogChoice PrinterChoice(const TPrinter& printer);
// Shows the print dialog over printer's printers (setup: the set-up, which
// offers printer and paper only); the range choices come with poPageNums
// and poSelection, print to file with poPrintToFile (disabled by
// poDisablePrintToFile). True on OK, with choice holding what was chosen;
// the printer itself is left as it was. shown runs as the window appears
// (with a hook, before the hook).
bool RunPrintDialog(const TPrinter& printer, TPrintDialogChoice& choice, TPrintDialogOptions options, bool setup,
                    QWidget* parent, const std::function<void(QDialog&)>& shown);
// Selects the chosen printer with the chosen mode (as SetPrinter keeps it).
void TakePrintDialogChoice(TPrinter& printer, const TPrintDialogChoice& choice);
// A print dialog's page range, offered in the choice and read back from
// it: from and to change only when pages were chosen by number.
void OfferPageRange(TPrintDialogChoice& choice, TPrintRange range, Integer from, Integer to, Integer min, Integer max);
void TakePageRange(const TPrintDialogChoice& choice, TPrintRange& range, Integer& from, Integer& to);

class TCommonDialog : public TComponent {
public:
    using TComponent::TComponent;
    virtual bool Execute() = 0;

    std::function<void(TObject* Sender)> OnShow;
    std::function<void(TObject* Sender)> OnClose;

protected:
    // Runs the dialog on the application's printer between OnShow and
    // OnClose; on OK the printer has taken the choice.
    bool Run(TPrintDialogChoice& choice, TPrintDialogOptions options, bool setup);
};

class TPrintDialog : public TCommonDialog {
public:
    using TCommonDialog::TCommonDialog;
    bool Execute() override;

    bool Collate() const { return collate_; }
    void SetCollate(bool on) { collate_ = on; }
    // Setting the copies also sets the printer's.
    Integer Copies() const { return copies_; }
    void SetCopies(Integer copies);
    Integer FromPage() const { return fromPage_; }
    void SetFromPage(Integer page) { fromPage_ = page; }
    Integer ToPage() const { return toPage_; }
    void SetToPage(Integer page) { toPage_ = page; }
    Integer MinPage() const { return minPage_; }
    void SetMinPage(Integer page) { minPage_ = page; }
    Integer MaxPage() const { return maxPage_; }
    void SetMaxPage(Integer page) { maxPage_ = page; }
    TPrintDialogOptions Options() const { return options_; }
    void SetOptions(TPrintDialogOptions options) { options_ = options; }
    TPrintRange PrintRange() const { return printRange_; }
    void SetPrintRange(TPrintRange range) { printRange_ = range; }
    // True when the job goes to a file (the PDF printer was chosen).
    bool PrintToFile() const { return printToFile_; }
    void SetPrintToFile(bool on) { printToFile_ = on; }

private:
    bool collate_ = false;
    Integer copies_ = 0;
    Integer fromPage_ = 0;
    Integer toPage_ = 0;
    Integer minPage_ = 0;
    Integer maxPage_ = 0;
    TPrintDialogOptions options_;
    TPrintRange printRange_ = prAllPages;
    bool printToFile_ = false;
};

// Printer, paper and orientation of the application's printer.
class TPrinterSetupDialog : public TCommonDialog {
public:
    using TCommonDialog::TCommonDialog;
    bool Execute() override;
};
