// The standard preview window: its controls, the status bar, keys and the
// wheel, page notices and the thumbnails.
#include "QRPrev.h"

#include "ComCtrls.h"
#include "Grids.h"
#include "Metafile.h"
#include "StdCtrls.h"

#include <QtCore/QTimer>

#include <cmath>
#include <utility>

namespace {

// How often a running report's pages are counted on the screen, ms.
constexpr int kRunRefreshMs = 250;

}  // namespace

// The button pictures live in the report library's resources; a static
// library must register them itself.
static void InitButtonResources() {
    static const bool done = [] {
        Q_INIT_RESOURCE(QRPrev);
        return true;
    }();
    (void)done;
}

// ------------------------------------------------------------ construction

TQRStandardPreview::TQRStandardPreview(TComponent* AOwner, TQRPrinter* printer) : TForm(AOwner) {
    BuildRunRefresh();
    BuildWindow();
    QRPreview->SetQRPrinter(printer);
    const bool fromReport = CurrentReport() != nullptr;
    if (fromReport) {
        TakeReportSettings();
    } else {
        SetWindowState(wsMaximized);
        initialZoom_ = qrZoomOther;
        initialZoomValue_ = 100;
    }
    if (printer) {
        title_ = fromReport ? title_ : printer->Title;
        printer->PrinterSettings().SetOrientation(orientation_);
        if (!printer->Title.isEmpty()) SetCaption(QStringLiteral("Report Preview : ") + printer->Title);
    }
    CancelButton->SetEnabled(false);
    ThumbGrid->SetRowCount(1);
    Tabs->SetVisible(showThumbs_ || showSearch_);
    if (Tabs->Visible() && printer && printer->PageCount() > 0) ThumbGrid->SetRowCount(printer->PageCount());
    TabThumbs->SetTabVisible(showThumbs_);
    FindButton->SetVisible(showSearch_);
    TabSearchResult->SetTabVisible(showSearch_);
    Tabs->SetActivePage(showThumbs_ ? TabThumbs : TabSearchResult);
    ApplyInitialZoom();
    const bool finished = printer && printer->Status() == mpFinished;
    Print->SetEnabled(finished);
    runEnding_ = printer && !finished;
    // A report that finished before the window opened has no progress to show.
    if (finished) StatusBar->Panels()->Items(0)->SetText(QString());
    if (fromReport) Fire(spOpen, QString());
}

TQRStandardPreview::~TQRStandardPreview() = default;

// Pages that came while the run was last shown are shown when the interval
// ends.
void TQRStandardPreview::BuildRunRefresh() {
    runRefresh_ = std::make_unique<QTimer>();
    runRefresh_->setSingleShot(true);
    runRefresh_->setInterval(kRunRefreshMs);
    QObject::connect(runRefresh_.get(), &QTimer::timeout, [this] {
        if (std::exchange(pagesWaiting_, false) && QRPrinter() && QRPrinter()->Status() == mpBusy) ShowRunningPages();
    });
}

void TQRStandardPreview::BuildWindow() {
    SetCaption(QStringLiteral("Report Preview : "));
    SetClientSize(kClientWidth, kClientHeight);
    SetPosition(poScreenCenter);
    SetFormStyle(fsStayOnTop);
    SetKeyPreview(true);
    SetShowHint(true);
    OnKeyDown = [this](TObject*, Word& key, TShiftState shift) {
        if (!KeyForFocusedList(key)) FormKeyDown(key, shift);
    };
    OnClose = [this](TObject*, TCloseAction& action) {
        QRPreview->SetQRPrinter(nullptr);
        Application->ProcessMessages();
        action = caFree;
    };
    BuildToolBar();
    StatusBar = new TStatusBar(this);
    StatusBar->SetParent(this);
    StatusBar->SetAlign(alBottom);
    const auto addPanel = [this](Integer width, const QString& text, TAlignment alignment) {
        TStatusPanel* panel = StatusBar->Panels()->Add();
        panel->SetWidth(width);
        panel->SetText(text);
        panel->SetAlignment(alignment);
    };
    addPanel(40, QStringLiteral("0%"), taRightJustify);
    addPanel(kPagePanelWidth, QStringLiteral("Page"), taLeftJustify);
    addPanel(50, QString(), taLeftJustify);
    ProgressBar = new TProgressBar(this);
    ProgressBar->SetParent(StatusBar);
    ProgressBar->SetBounds(2, 2, 10, 100);
    ProgressBar->SetVisible(false);
    BuildSidePanel();
    auto* splitter = new TSplitter(this);
    splitter->SetParent(this);
    splitter->SetAlign(alLeft);
    splitter->SetLeft(Tabs->Left() + Tabs->Width());
    QRPreview = new TQRPreview(this);
    QRPreview->SetParent(this);
    QRPreview->SetAlign(alClient);
    QRPreview->SetZoom(70);
    QRPreview->OnProgressUpdate = [this](TObject*, Integer progress) { ProgressUpdate(progress); };
    QRPreview->OnPageAvailable = [this](TObject*, Integer page) { PageAvailable(page); };
    QRPreview->SetOnHyperlink([this](TObject*, TQRHyperlinkEventType, const QString& link, bool&) {
        StatusBar->Panels()->Items(2)->SetText(link);
    });
}

TToolButton* TQRStandardPreview::AddButton(const QString& name, const QString& hint,
                                           void (TQRStandardPreview::*action)(), bool check, Integer image) {
    auto* button = new TToolButton(this);
    button->SetName(name);
    button->SetParent(ToolBar1);
    button->SetStyle(check ? tbsCheck : tbsButton);
    button->SetHint(hint);
    button->SetImageIndex(image);
    button->OnClick = [this, action](TObject*) { (this->*action)(); };
    return button;
}

void TQRStandardPreview::AddSeparator() {
    auto* gap = new TToolButton(this);
    gap->SetParent(ToolBar1);
    gap->SetStyle(tbsSeparator);
    gap->SetWidth(8);
}

void TQRStandardPreview::BuildToolBar() {
    InitButtonResources();
    images_ = std::make_unique<TImageList>(16, 16);
    TBitmap pictures;  // one 16 x 16 picture per button, in tool bar order
    pictures.LoadFromResourceName(0, QStringLiteral("QRPREVBUTTONS"));
    images_->AddMasked(&pictures, clFuchsia);
    ToolBar1 = new TToolBar(this);
    ToolBar1->SetParent(this);
    ToolBar1->SetButtonWidth(34);
    ToolBar1->SetButtonHeight(26);
    ToolBar1->SetHeight(30);
    ToolBar1->SetImages(images_.get());
    struct Face {
        TToolButton** button;
        const char* name;
        const char* hint;
        void (TQRStandardPreview::*action)();
        bool separatorAfter;
    };
    const Face faces[] = {
        {&ZoomFit, "ZoomFit", "Zoom to fit", &TQRStandardPreview::ZoomFitClick, false},
        {&ZoomToWidth, "ZoomToWidth", "Zoom to width", &TQRStandardPreview::ZoomToWidthClick, false},
        {&Zoom100, "Zoom100", "100% Size", &TQRStandardPreview::Zoom100Click, true},
        {&FirstPage, "FirstPage", "First page", &TQRStandardPreview::FirstPageClick, false},
        {&PreviousPage, "PreviousPage", "Previous page", &TQRStandardPreview::PreviousPageClick, false},
        {&nextPage, "nextPage", "Next page", &TQRStandardPreview::NextPageClick, false},
        {&LastPage, "LastPage", "Last page", &TQRStandardPreview::LastPageClick, true},
        {&GotoPageButton, "GotoPageButton", "Select a Page", &TQRStandardPreview::GotoPageClick, false},
        {&FindButton, "FindButton", "Search for Text", &TQRStandardPreview::FindClick, true},
        {&copybutton, "copybutton", "Copy page to clipboard", &TQRStandardPreview::CopyClick, false},
        {&PrintSetup, "PrintSetup", "Printer setup", &TQRStandardPreview::PrintSetupClick, false},
        {&Print, "Print", "Print", &TQRStandardPreview::PrintClick, false},
        {&LoadReport, "LoadReport", "Load report", &TQRStandardPreview::LoadReportClick, false},
        {&SaveReport, "SaveReport", "Save report", &TQRStandardPreview::SaveReportClick, true},
        {&CancelButton, "CancelButton", "Cancel the report", &TQRStandardPreview::CancelClick, false},
    };
    for (size_t i = 0; i < std::size(faces); ++i) {
        const Face& face = faces[i];
        const bool zoomGroup = i < 3;
        *face.button = AddButton(QString::fromLatin1(face.name), QString::fromLatin1(face.hint), face.action,
                                 zoomGroup, Integer(i));
        if (zoomGroup) (*face.button)->SetGrouped(true);
        if (face.separatorAfter) AddSeparator();
    }
    ExitButton = new TSpeedButton(this);
    ExitButton->SetName(QStringLiteral("ExitButton"));
    ExitButton->SetParent(ToolBar1);
    ExitButton->SetFlat(true);
    ExitButton->SetBounds(0, 0, 60, 26);
    ExitButton->SetCaption(QStringLiteral("&Close"));
    ExitButton->SetHint(QStringLiteral("Close Preview"));
    ExitButton->OnClick = [this](TObject*) { ExitClick(); };
}

void TQRStandardPreview::BuildSidePanel() {
    Tabs = new TPageControl(this);
    Tabs->SetParent(this);
    Tabs->SetAlign(alLeft);
    Tabs->SetWidth(193);
    TabThumbs = new TTabSheet(this);
    TabThumbs->SetPageControl(Tabs);
    TabThumbs->SetCaption(QStringLiteral("ThumbNails"));
    TabSearchResult = new TTabSheet(this);
    TabSearchResult->SetPageControl(Tabs);
    TabSearchResult->SetCaption(QStringLiteral("Search Results"));

    ThumbGrid = new TDrawGrid(this);
    ThumbGrid->SetParent(TabThumbs);
    ThumbGrid->SetAlign(alClient);
    ThumbGrid->SetFixedCols(0);
    ThumbGrid->SetFixedRows(0);
    ThumbGrid->SetColCount(1);
    ThumbGrid->SetRowCount(1);
    ThumbGrid->SetDefaultColWidth(90);
    ThumbGrid->SetDefaultRowHeight(90);
    ThumbGrid->SetOptions({goRowSelect});
    ThumbGrid->SetScrollBars(ssVertical);
    ThumbGrid->OnResize = [this](TObject*) { ThumbLayout(); };
    ThumbGrid->OnDrawCell = [this](TObject*, Integer, Integer row, TRect rect, TGridDrawState) {
        DrawThumb(row, rect);
    };
    ThumbGrid->OnSelectCell = [this](TObject*, Integer, Integer row, bool&) { ThumbSelected(row); };

    GroupBox1 = new TGroupBox(this);
    GroupBox1->SetParent(TabSearchResult);
    GroupBox1->SetAlign(alTop);
    GroupBox1->SetHeight(48);
    GroupBox1->SetCaption(QStringLiteral("Search Text"));
    SearchTextLabel = new TLabel(this);
    SearchTextLabel->SetParent(GroupBox1);
    SearchTextLabel->SetBounds(8, 20, 170, 16);
    SearchResultBox = new TListBox(this);
    SearchResultBox->SetParent(TabSearchResult);
    SearchResultBox->SetAlign(alClient);
    SearchResultBox->SetEnabled(false);
    SearchResultBox->OnClick = [this](TObject*) { SearchResultClick(); };
}

TCustomRazorUze* TQRStandardPreview::CurrentReport() const {
    TQRPrinter* printer = QRPrinter();
    return printer ? dynamic_cast<TCustomRazorUze*>(printer->ParentReport()) : nullptr;
}

TQRPrinter* TQRStandardPreview::QRPrinter() const {
    return QRPreview ? QRPreview->QRPrinter() : nullptr;
}

void TQRStandardPreview::TakeReportSettings() {
    TCustomRazorUze* report = CurrentReport();
    const TQRPreviewSettings& settings = report->PreviewSettings();
    SetFormStyle(settings.PrevFormStyle);
    // The report's size is the window's outer size, as a form's is; it may
    // enlarge the window, never cut its tool bar (a report's default is
    // 500 x 500).
    SetBounds(Left(), Top(), std::max(report->PreviewWidth(), Width()), std::max(report->PreviewHeight(), Height()));
    showThumbs_ = settings.PrevShowThumbs;
    showSearch_ = settings.PrevShowSearch;
    initialZoom_ = settings.PrevInitialZoom;
    initialZoomValue_ = report->Zoom();
    title_ = report->ReportTitle();
    QRPrinter()->Title = title_;
    orientation_ = report->Page()->Orientation() == poLandscape ? 1 : 0;
    SetWindowState(settings.PreviewInitialState);
}

void TQRStandardPreview::ApplyInitialZoom() {
    if (initialZoom_ == qrZoomToFit) {
        QRPreview->ZoomToFit();
        ZoomFit->SetDown(true);
    } else if (initialZoom_ == qrZoomToWidth) {
        QRPreview->ZoomToWidth();
        ZoomToWidth->SetDown(true);
    } else {
        QRPreview->SetZoom(initialZoomValue_);
        Zoom100->SetDown(true);
    }
}

// ------------------------------------------------------------ showing and closing

// Shown with Show or ShowModal: the status bar tells the page at once, and
// the keys go to the page.
void TQRStandardPreview::DoShow() {
    TForm::DoShow();
    UpdateStatus();
    if (QRPreview->CanFocus()) SetActiveControl(QRPreview);
}

// Closing during a print or a search started here stops it; the window
// closes once it has ended.
bool TQRStandardPreview::CloseQuery() {
    if (StopOwnWork()) {
        closeWhenDone_ = true;
        return false;
    }
    TQRPrinter* printer = QRPrinter();
    if (printer && printer->Status() == mpBusy) return false;
    return TForm::CloseQuery();
}

void TQRStandardPreview::Resize() {
    TForm::Resize();
    if (QRPreview) QRPreview->UpdateZoom();
}

// A toolbar action goes ahead unless the report's handler took it.
bool TQRStandardPreview::Fire(TStandPrevEventType type, const QString& name) {
    TCustomRazorUze* report = CurrentReport();
    if (!report || !report->PreviewSettings().OnStandPrevEvent) return false;
    bool handled = false;
    report->PreviewSettings().OnStandPrevEvent(this, type, name, handled);
    return handled;
}

// ------------------------------------------------------------ status and notices

void TQRStandardPreview::UpdateStatus() {
    const TQRPrinter* printer = QRPrinter();
    const Integer count = printer ? printer->PageCount() : 0;
    const QString position = QStringLiteral("Page %1 of %2").arg(QRPreview->PageNumber()).arg(count);
    TStatusPanel* panel = StatusBar->Panels()->Items(1);
    panel->SetText(position);
    // Widened for long page numbers: the bevel and margins take 8 pixels.
    TCanvas* canvas = StatusBar->Canvas();
    canvas->SetFont(StatusBar->Font());
    panel->SetWidth(std::max(kPagePanelWidth, canvas->TextWidth(position) + 8));
    StatusBar->Panels()->Items(2)->SetText(title_);
}

void TQRStandardPreview::ProgressUpdate(Integer progress) {
    TStatusPanel* panel = StatusBar->Panels()->Items(0);
    if (progress >= lastProgress_ + 5) {
        panel->SetText(QString::number(progress) + QLatin1Char('%'));
        lastProgress_ = progress;
    }
    if (progress == 0 || progress == 100) panel->SetText(QString());
}

void TQRStandardPreview::SetBusyButtons(bool enabled) {
    for (TToolButton* button : {PrintSetup, Print, SaveReport, LoadReport, FindButton, GotoPageButton, FirstPage,
                                nextPage, PreviousPage, LastPage})
        button->SetEnabled(enabled);
}

// While the report runs, the pages are counted on the screen a few times a
// second: drawing the window for every page would cost more than the page.
void TQRStandardPreview::PageAvailable(Integer) {
    TQRPrinter* printer = QRPrinter();
    if (!printer) return;
    const Integer count = printer->PageCount();
    if (printer->Status() == mpBusy) {
        runEnding_ = true;
        if (runRefresh_->isActive())
            pagesWaiting_ = true;
        else
            ShowRunningPages();
    } else {
        runRefresh_->stop();
        pagesWaiting_ = false;
        ShowAllPages();
    }
    TCustomRazorUze* report = CurrentReport();
    if (report && report->PagesInPreview() != 0 && report->PagesInPreview() == count) report->Run().StopRequest = true;
}

// The last page may still change: it is not offered yet.
void TQRStandardPreview::ShowRunningPages() {
    CancelButton->SetEnabled(true);
    UpdateStatus();
    ThumbGrid->SetRowCount(std::max<Integer>(1, QRPrinter()->PageCount() - 1));
    SetBusyButtons(false);
    ThumbGrid->Invalidate();
    runRefresh_->start();
}

// The pause lets the window settle once, when the run has ended.
void TQRStandardPreview::ShowAllPages() {
    UpdateStatus();
    SetBusyButtons(true);
    ThumbGrid->SetRowCount(std::max<Integer>(1, QRPrinter()->PageCount()));
    CancelButton->SetEnabled(false);
    ThumbGrid->Invalidate();
    if (std::exchange(runEnding_, false)) Sleep(100);
}

// ------------------------------------------------------------ keys and the wheel

void TQRStandardPreview::WndProc(TMessage& Message) {
    if (Message.Msg == WM_MOUSEWHEEL) {
        // The wheel pages as the arrow keys do: up turns back, down on.
        Word key = SmallInt(HiWord(Cardinal(Message.WParam))) > 0 ? VK_UP : VK_DOWN;
        FormKeyDown(key, TShiftState());
        Message.Result = 1;
        return;
    }
    TForm::WndProc(Message);
}

// With the results list focused, the keys that move in it move there only
// (its line shows its page): one key, one move. The wheel still turns the
// pages.
bool TQRStandardPreview::KeyForFocusedList(Word key) const {
    if (ActiveControl() != SearchResultBox) return false;
    for (Word listKey : {VK_PRIOR, VK_NEXT, VK_HOME, VK_END, VK_UP, VK_DOWN})
        if (key == listKey) return true;
    return false;
}

void TQRStandardPreview::FormKeyDown(Word& Key, TShiftState Shift) {
    const bool onlyCtrl = Shift == TShiftState{ssCtrl};
    const Integer page = QRPreview->PageNumber();
    switch (Key) {
    case VK_ESCAPE: if (!StopOwnWork()) Close(); break;
    case VK_PRIOR: onlyCtrl ? FirstPageClick() : GotoPage(page - 1); break;
    case VK_NEXT: onlyCtrl ? LastPageClick() : GotoPage(page + 1); break;
    case VK_HOME: FirstPageClick(); break;
    case VK_END: LastPageClick(); break;
    case VK_UP:
    case VK_DOWN: ScrollKey(Key); break;
    default: break;
    }
}

// Up and Down scroll the page and flip to the next one past its ends.
void TQRStandardPreview::ScrollKey(Word key) {
    TControlScrollBar* bar = QRPreview->VertScrollBar();
    const Integer position = bar->Position();
    const Integer step = bar->Increment();
    const Integer end = bar->Range() - QRPreview->ClientHeight();
    const Integer page = QRPreview->PageNumber();
    flipping_ = true;
    if (key == VK_UP) {
        if (position - step <= 0) {
            GotoPage(page - 1);
            bar->SetPosition(page > 1 ? bar->Range() - QRPreview->ClientHeight() - step : 0);
        } else {
            bar->SetPosition(position - step);
        }
    } else if (position + step >= end) {
        GotoPage(page + 1);
    } else {
        bar->SetPosition(position + step);
    }
    flipping_ = false;
}

// ------------------------------------------------------------ thumbnails

void TQRStandardPreview::ThumbLayout() {
    TQRPrinter* printer = QRPrinter();
    if (!printer || layingOutThumbs_) return;
    layingOutThumbs_ = true;
    struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done{layingOutThumbs_};
    thumbs_.clear();
    TPrinterSettings& settings = printer->PrinterSettings();
    const Extended paperWidth = settings.PrintPaperWidth();
    const Extended paperLength = settings.PrintPaperLength();
    if (paperWidth <= 0 || paperLength <= 0) return;
    thumbTextHeight_ = ThumbGrid->Canvas()->TextHeight(QStringLiteral("P"));
    const Integer columnWidth = ThumbGrid->ClientWidth() - 4;
    thumbWidth_ = columnWidth - 20;
    if (thumbWidth_ <= 0) return;
    const bool landscape = orientation_ == 1;
    const Extended ratio = thumbWidth_ / (landscape ? paperLength : paperWidth);
    thumbHeight_ = Integer(Round((landscape ? paperWidth : paperLength) * ratio - thumbTextHeight_));
    ThumbGrid->SetColWidths(0, columnWidth);
    ThumbGrid->SetDefaultRowHeight(std::max<Integer>(1, thumbHeight_));
    thumbMarginX_ = Integer(Round(Extended(columnWidth - thumbWidth_) / 2));
    thumbMarginY_ = Integer(Round(Extended(ThumbGrid->DefaultRowHeight() - thumbHeight_) / 2));
}

// A page drawn once at the thumbnail's size and kept until the layout changes.
const TBitmap* TQRStandardPreview::Thumb(Integer page, Integer width, Integer height) {
    auto found = thumbs_.find(page);
    if (found != thumbs_.end() && found->second->Width() == width && found->second->Height() == height)
        return found->second.get();
    TQRPrinter* printer = QRPrinter();
    const auto metafile = printer ? printer->GetPage(page) : nullptr;
    if (!metafile) return nullptr;
    auto bitmap = std::make_unique<TBitmap>();
    bitmap->SetSize(width, height);
    TCanvas* canvas = bitmap->Canvas();
    canvas->Brush()->SetColor(clWindow);
    canvas->FillRect(TRect(0, 0, width, height));
    QRPaintPreviewPage(canvas, TRect(0, 0, width, height), metafile.get());
    return (thumbs_[page] = std::move(bitmap)).get();
}

void TQRStandardPreview::DrawThumb(Integer row, const TRect& rect) {
    TCanvas* canvas = ThumbGrid->Canvas();
    const TRect area(rect.Left + thumbMarginX_, rect.Top + 10, rect.Right - 30, rect.Bottom - 10);
    if (area.Width() > 4 && area.Height() > 4) {
        if (const TBitmap* thumb = Thumb(row + 1, area.Width(), area.Height()))
            canvas->Draw(area.Left, area.Top, const_cast<TBitmap*>(thumb));
    }
    canvas->Brush()->SetColor(clBtnFace);
    canvas->Brush()->SetStyle(bsClear);
    canvas->Pen()->SetColor(clBlack);
    canvas->Font()->SetColor(clBlack);
    canvas->TextOut(rect.Left + 2, rect.Top + 2, QString::number(row + 1));
    canvas->Brush()->SetStyle(bsSolid);
}

void TQRStandardPreview::ThumbSelected(Integer row) {
    if (goingToPage_ || flipping_) return;
    QRPreview->SetPageNumber(row + 1);
    UpdateStatus();
}

// ------------------------------------------------------------ the interface

TCustomForm* TQRStandardPreviewInterface::Show(TQRPrinter* printer) {
    auto* form = new TQRStandardPreview(Application, printer);
    form->Show();
    return form;
}

TCustomForm* TQRStandardPreviewInterface::ShowModal(TQRPrinter* printer) {
    auto* form = new TQRStandardPreview(Application, printer);
    form->ShowModal();
    return form;
}
