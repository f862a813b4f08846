// The run of a report: CreateReport, pages and columns, the space left on
// the page and the forced breaks.
#include "QRReport.h"
#include "QRReportInternal.h"

#include "Controls.h"
#include "DB.h"
#include "Forms.h"
#include "Metafile.h"


namespace {

Integer RoundToInt(Extended v) { return Integer(Round(v)); }

}  // namespace

void TCustomRazorUze::Cancel()
{
    if (available_)
        return;
    cancelled_ = true;
    if (qrPrinter_)
        qrPrinter_->Cancel();
}

void TCustomRazorUze::RunController() { controller_->Execute(); }

void TCustomRazorUze::BuildDataSetList()
{
    dataSets_ = std::make_unique<TQRDataSetList>();
    const TComponent* form = GetParentForm(this);
    if (!form)
        form = Owner();
    // Components of the form, and of windowed controls within it.
    std::function<void(const TComponent*)> collect = [&](const TComponent* root) {
        for (Integer i = 0; i < root->ComponentCount(); ++i) {
            TComponent* c = root->Components(i);
            if (auto* dataSet = dynamic_cast<TDataSet*>(c))
                dataSets_->push_back(dataSet);
            else if (dynamic_cast<TWinControl*>(c))
                collect(c);
        }
    };
    if (form)
        collect(form);
}

std::vector<TQRPrintable*> TCustomRazorUze::Printables() const
{
    std::vector<TQRPrintable*> list;
    auto collect = [&](const TWinControl* parent) {
        for (Integer i = 0; i < parent->ControlCount(); ++i)
            if (auto* p = dynamic_cast<TQRPrintable*>(parent->Controls(i)))
                list.push_back(p);
    };
    collect(this);
    for (const TQRCustomBand* band : bandList_)
        collect(band);
    return list;
}

void TCustomRazorUze::CopySettingsTo(TQRPrinter& printer)
{
    const TRazorUzePrinterSettings& own = *printerSettings_;
    TPrinterSettings& settings = printer.PrinterSettings();
    // The handlers come first, so that they see (or refuse) the reading of
    // the printer chosen below.
    settings.OnGetDeviceMode = OnGetPrinterSettings;
    settings.OnApplySettings = OnApplyPrinterSettings;
    // A printer change re-reads the settings: before the others. An index
    // kept from a printer since gone leaves the current printer.
    if (own.PrinterIndex >= 0 && printer.PrinterPresent() &&
        own.PrinterIndex < printer.Printer()->Printers()->Count())
        printer.SetPrinterIndex(own.PrinterIndex);
    settings.SetPaperSize(page_->PaperSize());
    if (page_->PaperSize() == TQRPaperSize::Custom) {
        settings.SetPaperWidth(RoundToInt(page_->RawValue(TQRPage::iWidth)));
        settings.SetPaperLength(RoundToInt(page_->RawValue(TQRPage::iLength)));
    }
    settings.SetOrientation(Integer(page_->Orientation()));
    settings.SetCopies(own.Copies);
    settings.SetOutputBin(own.OutputBin);
    settings.SetDuplex(own.Duplex);
    printer.FirstPage = own.FirstPage;
    printer.LastPage = own.LastPage;
    settings.UseStandardprinter = own.UseStandardprinter;
    settings.PrintMetafile = own.PrintMetaFile;
    settings.UseCustomBinCode = own.UseCustomBinCode;
    settings.CustomBinCode = own.CustomBinCode;
    settings.UseCustomPaperCode = own.UseCustomPaperCode;
    settings.CustomPaperCode = own.CustomPaperCode;
    settings.PrintQuality = own.PrintQuality;
    settings.Collate = own.Collate;
    settings.ColorOption = own.ColorOption;
    settings.ExtendedDuplex = own.ExtendedDuplex;
    printer.Title = reportTitle_;
    printer.SetCompression(options_.Contains(TRazorUzeortOption::Compression));
}

void TCustomRazorUze::CreateReport(bool Composite)
{
    if (!available_)
        return;
    const bool wasVisible = Visible();
    designPage_.reset();
    {
        TQRUnitSwitch native(*page_, TQRUnit::Native);
        if (page_->Width() - page_->LeftMargin() - page_->RightMargin() < 0) {
            page_->SetLeftMargin(0);
            page_->SetRightMargin(0);
        }
        if (page_->Length() - page_->TopMargin() - page_->BottomMargin() < 0) {
            page_->SetTopMargin(0);
            page_->SetBottomMargin(0);
        }
    }
    available_ = false;
    cancelled_ = false;
    lastPageDone_ = false;
    run_ = TQRRunContext();
    ScopeExit idle([&] {
        dataSets_.reset();
        SetVisible(wasVisible);
        available_ = true;
    });
    BuildDataSetList();
    bool printReport = true;
    if (BeforePrint)
        BeforePrint(this, printReport);
    if (printReport)
        RunSteps(Composite);
}

void TCustomRazorUze::SetRunUnits(TQRUnit unit) { SetUnits(unit); }

void TCustomRazorUze::RunSteps(bool composite)
{
    if (!qrPrinter_)
        throw EQRError(QStringLiteral("The report has no report printer"));
    const TQRUnit savedUnit = Units();
    SetRunUnits(TQRUnit::Native);
    ScopeExit units([&] { SetRunUnits(savedUnit); });
    // Columns that overlap or have no width would print off their places.
    if (page_->ColumnSpace() < 0)
        throw EQRError(QStringLiteral("The space between columns is negative"));
    if (ColumnWidth() <= 0)
        throw EQRError(QStringLiteral("The columns do not fit between the margins"));

    bool docOpen = false;
    if (!composite) {
        CopySettingsTo(*qrPrinter_);
        qrPrinter_->BeginDoc();
        docOpen = true;
        currentY_ = -1;
        pageNumber_ = 0;
    } else {
        page_->SetOrientation(TPrinterOrientation(qrPrinter_->PrinterSettings().Orientation()));
        page_->SetPaperSize(qrPrinter_->PrinterSettings().PaperSize());
    }
    // An error closes the printer's document before it passes on.
    ScopeExit closeDoc([&] {
        if (docOpen)
            qrPrinter_->AbortDoc();
    });
    currentColumn_ = page_->Columns();
    if (exportFilter_ && !exportFilter_->Started())
        exportFilter_->Start(RoundToInt(page_->Width()), RoundToInt(page_->Length()), Font());

    reservedFooter_ = 0;
    for (TQRCustomBand* band : bandList_)
        if (band->BandType() == rbPageFooter && band->Enabled())
            for (const TQRCustomBand* b = band; b; b = ChildOf(b))
                reservedFooter_ += b->NativeHeight();
    for (TQRCustomBand* band : bandList_)
        band->SetParentReport(this);
    const std::vector<TQRPrintable*> printables = Printables();
    for (TQRPrintable* p : printables)
        if (p->Parent() == this)
            p->SetParentReport(this);
    currentX_ = RoundToInt(page_->LeftMargin());

    HandBandsToController();
    controller_->SetParentReport(this);
    controller_->Prepare();
    TQREvEnvironment* global = GlobalEnvironment();
    if (global)
        global->Prepare();
    functions_->SetDataSets(dataSets_.get());
    functions_->Prepare();
    ScopeExit environments([&] {
        pageNumberEntry_ = columnNumberEntry_ = nullptr;
        functions_->Unprepare();
        functions_->SetDataSets(nullptr);
        if (global)
            global->Unprepare();
    });
    pageNumberEntry_ = functions_->GetConstant(QStringLiteral("PAGENUMBER"));
    columnNumberEntry_ = functions_->GetConstant(QStringLiteral("COLUMNNUMBER"));
    TQREvEnvironment::SetConstant(functions_->GetConstant(QStringLiteral("REPORTTITLE")), reportTitle_);
    ScopeExit unprepareController([&] { controller_->Unprepare(); });
    controller_->PreparePrint();
    {
        ScopeExit unprepare([&] {
            for (TQRPrintable* p : printables)
                p->Unprepare();
        });
        for (TQRPrintable* p : printables)
            p->Prepare();
        run_.Composite = composite;
        RunController();
        if (!composite || Tag() == 999) {
            currentX_ = RoundToInt(page_->LeftMargin());
            lastPageDone_ = true;
            if (!cancelled_)
                EndPage();
            if (exportFilter_)
                exportFilter_->Finish();
        }
    }
    if (!composite) {
        // A document that fails to end is still closed on the way out.
        if (!cancelled_ && drawOnCanvas_)
            qrPrinter_->EndDoc();
        else
            qrPrinter_->AbortDoc();
        docOpen = false;
    }
}

void TCustomRazorUze::NewPage()
{
    // A page header that itself needed a new page would recurse for ever.
    if (run_.InNewPage)
        throw EQRError(QStringLiteral("A page header or footer does not fit on the page"));
    run_.InNewPage = true;
    ScopeExit leave([&] { run_.InNewPage = false; });
    EndPage();
    if (exportFilter_)
        exportFilter_->NewPage();
    ++pageNumber_;
    TQREvEnvironment::SetConstant(pageNumberEntry_, pageNumber_);
    // An export run keeps one printer page for the whole document.
    if (drawOnCanvas_ || pageNumber_ == 1)
        qrPrinter_->NewPage();
    currentY_ = RoundToInt(page_->TopMargin());
    if (OnStartPage)
        OnStartPage(this);
    if (backgroundColor_ != clWhite) {
        const TRect page(0, 0, RoundToInt(page_->Width() * qrPrinter_->XFactor()),
                         RoundToInt(page_->Length() * qrPrinter_->YFactor()));
        if (drawOnCanvas_ && qrPrinter_->Canvas()) {
            TCanvas* canvas = qrPrinter_->Canvas();
            canvas->Brush()->SetStyle(bsSolid);
            canvas->Brush()->SetColor(backgroundColor_);
            canvas->FillRect(page);
        }
        if (exportFilter_)
            ExportShape(TQRExportShapeKind::Rectangle, page, backgroundColor_, 1, true);
    }
    if (pageNumber_ > 1 || options_.Contains(TRazorUzeortOption::FirstPageHeader))
        PrintBand(BandOfType(rbPageHeader));
    columnTop_ = currentY_;
    currentColumn_ = 1;
    if (pageNumber_ == 1)
        if (const TQRCustomBand* title = BandOfType(rbTitle))
            columnTop_ += RoundToInt(title->NativeHeight());
}

void TCustomRazorUze::NewColumn()
{
    if (currentColumn_ >= page_->Columns()) {
        currentColumn_ = 1;
        currentX_ = RoundToInt(page_->LeftMargin());
        NewPage();
    } else {
        const TQRCustomBand* detail = BandOfType(rbDetail);
        const Integer width = detail ? RoundToInt(detail->NativeWidth()) : ColumnWidth();
        currentX_ += width + RoundToInt(page_->ColumnSpace());
        currentY_ = columnTop_;
        ++currentColumn_;
    }
    TQREvEnvironment::SetConstant(columnNumberEntry_, currentColumn_);
    if (currentColumn_ != 1 || pageNumber_ != 1) {
        PrintBand(BandOfType(rbColumnHeader));
        controller_->ReprintHeaders();
    }
}

void TCustomRazorUze::EndPage()
{
    if (pageNumber_ > 0)
        EndPageBody();
    // The filter hears of every page end, also the one before page 1.
    if (exportFilter_)
        exportFilter_->EndPage();
}

void TCustomRazorUze::EndPageBody()
{
    currentY_ = RoundToInt(page_->Length() - page_->BottomMargin() - reservedFooter_);
    currentX_ = RoundToInt(page_->LeftMargin());
    if (!lastPageDone_ || options_.Contains(TRazorUzeortOption::LastPageFooter))
        PrintBand(BandOfType(rbPageFooter));
    for (Integer i = 0; i < ControlCount(); ++i)
        if (auto* p = dynamic_cast<TQRPrintable*>(Controls(i)))
            p->Print(0, 0);
    PrintFrame(*Frame(), TRect(qrPrinter_->XPos(page_->LeftMargin()), qrPrinter_->YPos(page_->TopMargin()),
                               qrPrinter_->XPos(page_->Width() - page_->RightMargin()),
                               qrPrinter_->YPos(page_->Length() - page_->BottomMargin())));
    if (OnEndPage)
        OnEndPage(this);
}

Integer TCustomRazorUze::PaperLengthForPrinting() const
{
    const TPrinterSettings& settings = qrPrinter_->PrinterSettings();
    const bool landscape = page_->Orientation() == poLandscape;
    if (landscape && settings.PaperSize() != TQRPaperSize::Custom)
        return settings.PrintPaperWidth();
    return settings.PrintPaperLength();
}

Integer TCustomRazorUze::SpaceWith(Extended reserved) const
{
    if (available_ || currentY_ == -1 || !qrPrinter_)
        return 0;
    if (exportFilter_ && exportFilter_->UseFullPageLength())
        return PaperLengthForPrinting();
    return RoundToInt(PaperLengthForPrinting() - page_->RawValue(TQRPage::iBottomMargin) - reserved - currentY_);
}

Integer TCustomRazorUze::AvailableSpace() const { return SpaceWith(reservedFooter_); }

bool TCustomRazorUze::ForceNewPageStep()
{
    if (available_)
        return false;
    if (run_.TitleJustPrinted) {
        run_.TitleJustPrinted = false;
        return false;
    }
    NewPageAfterColumns();
    return true;
}

void TCustomRazorUze::NewPageAfterColumns()
{
    do
        NewColumn();
    while (currentColumn_ != 1);
}

bool TCustomRazorUze::ForceNewColumnStep()
{
    if (available_)
        return false;
    if (!run_.ColumnBreakSeen && currentColumn_ < 2) {
        run_.ColumnBreakSeen = true;
        return false;
    }
    NewColumn();
    return true;
}
