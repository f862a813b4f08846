// The print dialog and the printer set-up dialog, on Qt's dialogs, working
// on the application's printer (Printer()). What the user chooses goes into
// the printer's device mode; the print dialog also reads back the range,
// copies, collation and print to file.
#pragma once

#include "Classes.h"
#include "Printers.h"

#include <functional>

class QDialog;
class QPrinter;

// Runs a print or page set-up dialog instead of its modal loop (tests):
// it gets the Qt dialog, set up with the printer's settings, and answers
// QDialog::Accepted or Rejected (nil: the real modal run again).
using TPrintDialogHook = std::function<int(QDialog& Dialog)>;
void SetPrintDialogHook(TPrintDialogHook hook);

enum TPrintDialogOption { poPrintToFile, poPageNums, poSelection, poWarning, poHelp, poDisablePrintToFile };
using TPrintDialogOptions = Set<TPrintDialogOption>;
enum TPrintRange { prAllPages, prSelection, prPageNums };

class TCommonDialog : public TComponent {
public:
    using TComponent::TComponent;
    virtual bool Execute() = 0;

    std::function<void(TObject* Sender)> OnShow;
    std::function<void(TObject* Sender)> OnClose;

protected:
    // Shows dialog modally (or hands it to the hook) between OnShow and
    // OnClose; true when accepted.
    bool Run(QDialog& dialog);
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
    void Prepare(QPrinter& printer) const;
    void ReadBack(const QPrinter& printer);

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

// Paper and orientation of the application's printer.
class TPrinterSetupDialog : public TCommonDialog {
public:
    using TCommonDialog::TCommonDialog;
    bool Execute() override;
};
