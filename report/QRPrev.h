// Report preview: the scrolling page view that follows a report printer
// while it produces pages, and the standard preview window around it with
// its toolbar, thumbnails, search results and status bar.
#pragma once

#include "Forms.h"
#include "QRPrntr.h"
#include "QRReport.h"

#include <functional>
#include <map>
#include <memory>
#include <vector>

class QTimer;
class TBitmap;
class TDrawGrid;
class TGroupBox;
class TImageList;
class TLabel;
class TListBox;
class TMetafile;
class TPageControl;
class TProgressBar;
class TSpeedButton;
class TSplitter;
class TStatusBar;
class TTabSheet;
class TToolBar;
class TToolButton;
class TTreeView;

// ------------------------------------------------------------ preview control

enum TQRHyperlinkEventType { heCursorMoveOver, heCursorMoveAway, heGoto, heGotoNewWindow };

using TQRPreviewHyperlinkEvent =
    std::function<void(TObject* Sender, TQRHyperlinkEventType EventType, const QString& Link, bool& Handled)>;
using TQRPageAvailableEvent = std::function<void(TObject* Sender, Integer PageNum)>;
using TQRProgressUpdateEvent = std::function<void(TObject* Sender, Integer Progress)>;

// A link area of a page: edges included, page pixels at zoom 100.
struct TQRHyperlinkArea {
    TRect Area;
    QString Link;
};

// Paints a page as the preview shows it into r: a white sheet, the page
// stretched over r, a thin black frame and a 2-pixel shadow right and
// below. Without a page only the frame and shadow are drawn.
void QRPaintPreviewPage(TCanvas* canvas, const TRect& r, TMetafile* page);

// The page shown inside a preview; it owns the page's metafile.
class TQRPreviewImage : public TGraphicControl {
public:
    explicit TQRPreviewImage(TComponent* AOwner);
    ~TQRPreviewImage() override;

    TQRPrinter* QRPrinter() const { return printer_; }
    void SetQRPrinter(TQRPrinter* printer) { printer_ = printer; }
    Integer PageNumber() const { return pageNumber_; }
    // Fetches the page from the printer (none when it has no such page).
    void SetPageNumber(Integer value);
    TMetafile* PageMetafile() const { return page_.get(); }
    Integer Zoom() const { return zoom_; }
    void SetZoom(Integer value);

    std::vector<TQRHyperlinkArea>& HyperlinkAreas() { return areas_; }
    // The link under a point of the image (making it the current link), or
    // an empty text.
    QString LinkAt(Integer X, Integer Y);
    bool OverLink() const { return overLink_; }
    const QString& CurrentLink() const { return currentLink_; }
    // Drops the printer and the page when the printer goes away.
    void ForgetPrinter();

    TQRPreviewHyperlinkEvent OnHyperlink;

protected:
    void Paint() override;
    void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;

private:
    TQRPrinter* printer_ = nullptr;
    Integer pageNumber_ = 1;
    std::unique_ptr<TMetafile> page_;
    Integer zoom_ = 100;
    std::vector<TQRHyperlinkArea> areas_;
    bool overLink_ = false;
    QString currentLink_;
};

// Shows one page of a report printer at a zoom of 2 to 2000 per cent, and
// follows the printer's progress and page notices.
class TQRPreview : public TScrollBox {
public:
    explicit TQRPreview(TComponent* AOwner);
    ~TQRPreview() override;

    TQRPrinter* QRPrinter() const { return printer_; }
    // Releases the old printer (a run still going is cancelled) and shows
    // page 1 of the new one.
    void SetQRPrinter(TQRPrinter* printer);
    Integer PageNumber() const { return pageNumber_; }
    // Ignored outside 1..the printer's page count.
    void SetPageNumber(Integer value);
    Integer Zoom() const { return zoom_; }
    // Ignored outside 2..2000.
    void SetZoom(Integer value);
    TQRZoomState ZoomState() const { return zoomState_; }
    void ZoomToFit();
    void ZoomToWidth();
    // Recomputes fit and width, re-centres otherwise.
    void UpdateZoom();
    TQRPreviewImage* PreviewImage() const { return image_; }
    TTreeView* Outline() const { return nullptr; }
    void SetOutline(TTreeView*) {}
    void SetOnHyperlink(TQRPreviewHyperlinkEvent handler);
    // Called by a printer being freed while this preview shows it.
    void PrinterFreed(TQRPrinter* printer);

    TQRPageAvailableEvent OnPageAvailable;
    TQRProgressUpdateEvent OnProgressUpdate;

protected:
    void WndProc(TMessage& Message) override;

private:
    void ReleasePrinter();
    void ApplyZoom();
    void PaperPixels(Extended& width, Extended& height) const;
    void RefreshPage();

    TQRPreviewImage* image_;
    TQRPrinter* printer_ = nullptr;
    Integer pageNumber_ = 1;
    Integer zoom_ = 100;
    TQRZoomState zoomState_ = qrZoomOther;
};

// Link handlers by prefix, asked in the order they were added.
using TQRHyperlinkHandler = std::function<void(TObject* Sender, const QString& Link)>;
void AddQRHyperlinkHandler(const QString& prefix, TQRHyperlinkHandler handler);
void ClearQRHyperlinkHandlers();
// "EXT:" opens the rest with the shell, "INT:" hands the rest to the
// handlers; other links go to the handlers, else to the shell.
void OpenHyperlink(TWinControl* owner, const QString& Link);

// ------------------------------------------------------------ standard preview window

class TQRStandardPreview : public TForm {
public:
    TQRStandardPreview(TComponent* AOwner, TQRPrinter* printer);
    ~TQRStandardPreview() override;

    TQRPrinter* QRPrinter() const;
    bool CloseQuery() override;

    // The window's own client size, which holds the whole tool bar.
    static constexpr Integer kClientWidth = 740;
    static constexpr Integer kClientHeight = 499;
    // The page panel of the status bar, at least.
    static constexpr Integer kPagePanelWidth = 120;

    // The toolbar actions (the buttons' clicks).
    void ZoomFitClick();
    void ZoomToWidthClick();
    void Zoom100Click();
    void FirstPageClick();
    void PreviousPageClick();
    void NextPageClick();
    void LastPageClick();
    void GotoPageClick();
    void FindClick();
    void CopyClick();
    void PrintSetupClick();
    void PrintClick();
    void LoadReportClick();
    void SaveReportClick();
    void CancelClick();
    void ExitClick();
    void GotoPage(Integer page);
    // Lists the pages holding text; the window answers while it runs, and
    // Esc, Cancel or closing the window stops it.
    void SearchPages(const QString& text, bool matchCase);
    bool Searching() const { return searching_; }
    // The keys of the window (it previews every key).
    void FormKeyDown(Word& Key, TShiftState Shift);

    TToolBar* ToolBar1 = nullptr;
    TToolButton* ZoomFit = nullptr;
    TToolButton* ZoomToWidth = nullptr;
    TToolButton* Zoom100 = nullptr;
    TToolButton* FirstPage = nullptr;
    TToolButton* PreviousPage = nullptr;
    TToolButton* nextPage = nullptr;
    TToolButton* LastPage = nullptr;
    TToolButton* GotoPageButton = nullptr;
    TToolButton* FindButton = nullptr;
    TToolButton* copybutton = nullptr;
    TToolButton* PrintSetup = nullptr;
    TToolButton* Print = nullptr;
    TToolButton* LoadReport = nullptr;
    TToolButton* SaveReport = nullptr;
    TToolButton* CancelButton = nullptr;
    TSpeedButton* ExitButton = nullptr;
    TPageControl* Tabs = nullptr;
    TTabSheet* TabThumbs = nullptr;
    TTabSheet* TabSearchResult = nullptr;
    TDrawGrid* ThumbGrid = nullptr;
    TGroupBox* GroupBox1 = nullptr;
    TLabel* SearchTextLabel = nullptr;
    TListBox* SearchResultBox = nullptr;
    TQRPreview* QRPreview = nullptr;
    TStatusBar* StatusBar = nullptr;
    TProgressBar* ProgressBar = nullptr;

protected:
    void WndProc(TMessage& Message) override;
    void Resize() override;
    void DoShow() override;

private:
    void BuildWindow();
    void BuildToolBar();
    TToolButton* AddButton(const QString& name, const QString& hint, void (TQRStandardPreview::*action)(),
                           bool check, Integer image);
    void AddSeparator();
    void BuildSidePanel();
    void TakeReportSettings();
    void ApplyInitialZoom();
    bool Fire(TStandPrevEventType type, const QString& name);
    void UpdateStatus();
    void ProgressUpdate(Integer progress);
    void BuildRunRefresh();
    void PageAvailable(Integer pageNum);
    void ShowRunningPages();
    void ShowAllPages();
    void SetBusyButtons(bool enabled);
    void RunPrint(TQRPrinter& printer);
    void PrintReportAgain(TCustomRazorUze& report, const TQRPrinter& printer);
    void SetPrinting(bool value);
    void StopPrint();
    bool StopOwnWork();
    void ScrollKey(Word key);
    void ThumbLayout();
    void DrawThumb(Integer row, const TRect& rect);
    const TBitmap* Thumb(Integer page, Integer width, Integer height);
    void ThumbSelected(Integer row);
    void SearchResultClick();
    void ListResults(std::vector<Integer>& found);
    std::vector<std::pair<TToolButton*, bool>> HoldButtonsForSearch();
    bool KeyForFocusedList(Word key) const;
    void SaveAs(QString fileName, Integer filterIndex);
    TCustomRazorUze* CurrentReport() const;

    Integer orientation_ = 0;
    Integer lastProgress_ = 0;
    Integer thumbTextHeight_ = 0;
    Integer thumbWidth_ = 0;
    Integer thumbHeight_ = 0;
    Integer thumbMarginX_ = 0;
    Integer thumbMarginY_ = 0;
    bool showThumbs_ = true;
    bool showSearch_ = true;
    TQRZoomState initialZoom_ = qrZoomOther;
    Integer initialZoomValue_ = 100;
    QString title_;
    bool goingToPage_ = false;
    bool flipping_ = false;
    bool layingOutThumbs_ = false;
    // Shows the pages of a running report at most once an interval.
    std::unique_ptr<QTimer> runRefresh_;
    bool pagesWaiting_ = false;
    // The report runs, or ran since its end was last shown.
    bool runEnding_ = false;
    // A print started here runs; the window closes once it has stopped.
    // A print or a search started here runs; the window closes once the
    // one that runs has stopped.
    bool printing_ = false;
    bool searching_ = false;
    bool stopSearch_ = false;
    bool closeWhenDone_ = false;
    std::map<Integer, std::unique_ptr<TBitmap>> thumbs_;
    std::unique_ptr<TImageList> images_;
};

// Opens the standard preview window for a printer.
class TQRStandardPreviewInterface : public TQRPreviewInterface {
public:
    using TQRPreviewInterface::TQRPreviewInterface;
    TCustomForm* Show(TQRPrinter* printer) override;
    TCustomForm* ShowModal(TQRPrinter* printer) override;
};
