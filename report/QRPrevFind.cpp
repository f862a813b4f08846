// The standard preview window's text search: the dialog, the search over
// every page while the window keeps answering, and the results list.
#include "QRPrev.h"

#include "ComCtrls.h"
#include "Metafile.h"
#include "QRPrevSearch.h"
#include "QRSearchDlg.h"
#include "StdCtrls.h"
#include "StdCtrlsEdit.h"

namespace {

// Pages searched between two moments when the window answers: a few
// milliseconds of work even on long pages.
constexpr Integer kAnswerEveryPages = 16;

}  // namespace

void TQRStandardPreview::FindClick() {
    TQRPrinter* printer = QRPrinter();
    if (!printer || printer->Status() == mpBusy || searching_ || printing_) return;
    QString text;
    bool matchCase = false;
    {
        TSearchDlg dialog(nullptr);
        // Over this window even when it stays on top.
        dialog.SetFormStyle(FormStyle());
        dialog.ShowModal();
        if (dialog.Cancelled()) return;
        text = dialog.Edit1->Text();
        matchCase = dialog.CheckBox1->Checked();
    }
    SearchPages(text, matchCase);
}

void TQRStandardPreview::SearchPages(const QString& text, bool matchCase) {
    TQRPrinter* printer = QRPrinter();
    if (!printer || searching_) return;
    SearchResultBox->SetEnabled(true);
    SearchTextLabel->SetCaption(text);
    TStrings* lines = SearchResultBox->Items();
    lines->Clear();
    if (showSearch_) Tabs->SetActivePage(TabSearchResult);
    const auto held = HoldButtonsForSearch();
    const auto alive = Guard();
    std::vector<Integer> found;
    for (Integer page = 1; page <= printer->PageCount() && !stopSearch_; ++page) {
        const auto metafile = printer->GetPage(page);
        if (metafile && SearchMetafileText(text, *metafile, matchCase)) found.push_back(page);
        if (page % kAnswerEveryPages != 0) continue;
        // The list redraws all its lines on a change: new lines join only
        // once as many wait as are shown, so redrawing costs at most twice
        // the lines found.
        if (found.size() >= size_t(lines->Count())) ListResults(found);
        Application->ProcessMessages();
        if (alive.expired()) return;
    }
    ListResults(found);
    for (const auto& [button, enabled] : held) button->SetEnabled(enabled);
    searching_ = false;
    if (lines->Count() == 0) {
        lines->Add(QStringLiteral("No matching text"));
        SearchResultBox->SetEnabled(false);
    }
    if (closeWhenDone_) Close();
}

void TQRStandardPreview::ListResults(std::vector<Integer>& found) {
    if (found.empty()) return;
    TStrings* lines = SearchResultBox->Items();
    lines->BeginUpdate();
    for (Integer page : found)
        lines->AddObject(QStringLiteral("Page %1").arg(page), reinterpret_cast<TObject*>(qintptr(page)));
    lines->EndUpdate();
    found.clear();
}

// While a search runs nothing may reload, rerun or reread the pages under
// it, and Cancel stops the search. Gives each button held with the state
// it had.
std::vector<std::pair<TToolButton*, bool>> TQRStandardPreview::HoldButtonsForSearch() {
    std::vector<std::pair<TToolButton*, bool>> held;
    for (TToolButton* button : {FindButton, LoadReport, SaveReport, Print, PrintSetup, CancelButton}) {
        held.emplace_back(button, button->Enabled());
        button->SetEnabled(button == CancelButton);
    }
    searching_ = true;
    stopSearch_ = false;
    closeWhenDone_ = false;
    return held;
}

void TQRStandardPreview::SearchResultClick() {
    const Integer index = SearchResultBox->ItemIndex();
    const TQRPrinter* printer = QRPrinter();
    Integer page = 1;
    if (index >= 0 && index < SearchResultBox->Items()->Count()) {
        const auto stored = Integer(reinterpret_cast<qintptr>(SearchResultBox->Items()->Objects(index)));
        if (printer && stored >= 1 && stored <= printer->PageCount()) page = stored;
    }
    GotoPage(page);
}
