#include "PrintDialogs.h"

TPrintDialogChoice PrinterChoice(const TPrinter& printer) {
    TPrintDialogChoice choice;
    choice.PrinterIndex = printer.PrinterIndex();
    choice.Mode = printer.Mode();
    choice.PrintToFile = printer.Driver().QueueName().isEmpty();
    return choice;
}

void TakePrintDialogChoice(TPrinter& printer, const TPrintDialogChoice& choice) {
    const TPrinterDriver& driver = printer.Driver(choice.PrinterIndex);
    printer.SetPrinter(driver.DeviceName(), driver.DriverName(), driver.PortName(), &choice.Mode);
}

bool TCommonDialog::Run(TPrintDialogChoice& choice, TPrintDialogOptions options, bool setup) {
    TPrinter& printer = *Printer();
    const bool ok = RunPrintDialog(printer, choice, options, setup, nullptr, [this](QDialog&) {
        if (OnShow) OnShow(this);
    });
    if (OnClose) OnClose(this);
    if (ok) TakePrintDialogChoice(printer, choice);
    return ok;
}

void OfferPageRange(TPrintDialogChoice& choice, TPrintRange range, Integer from, Integer to, Integer min, Integer max) {
    choice.PrintRange = range;
    choice.FromPage = from;
    choice.ToPage = to;
    choice.MinPage = min;
    choice.MaxPage = max;
}

void TakePageRange(const TPrintDialogChoice& choice, TPrintRange& range, Integer& from, Integer& to) {
    range = choice.PrintRange;
    if (range != prPageNums) return;
    from = choice.FromPage;
    to = choice.ToPage;
}

// ------------------------------------------------------------ print dialog

void TPrintDialog::SetCopies(Integer copies) {
    copies_ = copies;
    Printer()->SetCopies(copies);
}

bool TPrintDialog::Execute() {
    TPrintDialogChoice choice = PrinterChoice(*Printer());
    if (copies_ > 0) choice.Mode.dmCopies = SmallInt(copies_);
    choice.Mode.dmCollate = collate_ ? DMCOLLATE_TRUE : DMCOLLATE_FALSE;
    OfferPageRange(choice, printRange_, fromPage_, toPage_, minPage_, maxPage_);
    choice.PrintToFile = choice.PrintToFile || printToFile_;
    if (!Run(choice, options_, false)) return false;
    TakePageRange(choice, printRange_, fromPage_, toPage_);
    copies_ = choice.Mode.dmCopies;
    collate_ = choice.Mode.dmCollate == DMCOLLATE_TRUE;
    printToFile_ = choice.PrintToFile;
    return true;
}

// ------------------------------------------------------------ set-up

bool TPrinterSetupDialog::Execute() {
    TPrintDialogChoice choice = PrinterChoice(*Printer());
    return Run(choice, TPrintDialogOptions(), true);
}
