#include "ComCtrls.h"

#include "ControlsWidget.h"
#include "ExtCtrls.h"

#include <QtWidgets/QProgressBar>
#include <QtWidgets/QTabBar>

#include <algorithm>

// ------------------------------------------------------------ TTabSheet

TTabSheet::TTabSheet(TComponent* AOwner) : TWinControl(AOwner) {
    SetControlStyle({csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks,
                     csParentBackground});
    SetVisible(false);
    SetAlign(alClient);
}

TTabSheet::~TTabSheet() {
    if (pageControl_) pageControl_->removePage(this);
}

void TTabSheet::SetPageControl(TPageControl* control) {
    if (pageControl_ == control) return;
    if (pageControl_) pageControl_->removePage(this);
    SetParent(control);
    if (control) control->insertPage(this);
}

Integer TTabSheet::PageIndex() const {
    if (!pageControl_) return -1;
    const auto& pages = pageControl_->pages_;
    return Integer(std::find(pages.begin(), pages.end(), this) - pages.begin());
}

void TTabSheet::SetPageIndex(Integer index) {
    if (!pageControl_) return;
    auto& pages = pageControl_->pages_;
    pages.erase(std::find(pages.begin(), pages.end(), this));
    index = std::clamp(index, 0, Integer(pages.size()));
    pages.insert(pages.begin() + index, this);
    pageControl_->updateTabs();
}

void TTabSheet::SetTabVisible(bool on) {
    if (tabVisible_ == on) return;
    tabVisible_ = on;
    if (pageControl_) pageControl_->updateTabs();
}

void TTabSheet::CMTextChanged(TMessage& Message) {
    TWinControl::CMTextChanged(Message);
    if (pageControl_) pageControl_->updateTabs();
}

// ------------------------------------------------------------ TPageControl

TPageControl::TPageControl(TComponent* AOwner) : TWinControl(AOwner) {
    SetControlStyle({csCaptureMouse, csDoubleClicks, csClickEvents});
    SetBounds(0, 0, 289, 193);
    SetColor(clBtnFace);
    SetTabStop(true);
}

TPageControl::~TPageControl() {
    // The sheets go with the children; they need not tell us.
    for (TTabSheet* page : pages_) page->pageControl_ = nullptr;
    pages_.clear();
}

TTabSheet* TPageControl::Pages(Integer index) const {
    if (index < 0 || index >= PageCount()) throw EListError(QStringLiteral("List index out of bounds (%1)").arg(index));
    return pages_[size_t(index)];
}

void TPageControl::insertPage(TTabSheet* page) {
    page->pageControl_ = this;
    pages_.push_back(page);
    updateTabs();
    if (!activePage_) SetActivePage(page);
}

void TPageControl::removePage(TTabSheet* page) {
    auto it = std::find(pages_.begin(), pages_.end(), page);
    if (it == pages_.end()) return;
    TTabSheet* next = activePage_ == page ? FindNextPage(page, true, false) : activePage_;
    pages_.erase(it);
    page->pageControl_ = nullptr;
    if (activePage_ == page) {
        activePage_ = nullptr;
        SetActivePage(next != page ? next : nullptr);
    }
    updateTabs();
}

void TPageControl::SetActivePage(TTabSheet* page) {
    if (page && page->pageControl_ != this) return;
    if (activePage_ == page) return;
    TTabSheet* old = activePage_;
    activePage_ = page;
    if (page) {
        page->BringToFront();
        page->SetVisible(true);
    }
    if (old) old->SetVisible(false);
    updateTabs();
}

Integer TPageControl::ActivePageIndex() const {
    return activePage_ ? activePage_->PageIndex() : -1;
}

void TPageControl::SetActivePageIndex(Integer index) {
    SetActivePage(index >= 0 && index < PageCount() ? pages_[size_t(index)] : nullptr);
}

TTabSheet* TPageControl::FindNextPage(TTabSheet* current, bool goForward, bool checkTabVisible) const {
    const Integer n = PageCount();
    if (n == 0) return nullptr;
    auto it = std::find(pages_.begin(), pages_.end(), current);
    Integer start = it == pages_.end() ? (goForward ? n - 1 : 0) : Integer(it - pages_.begin());
    Integer i = start;
    do {
        i = goForward ? (i + 1) % n : (i + n - 1) % n;
        TTabSheet* page = pages_[size_t(i)];
        if (!checkTabVisible || page->TabVisible()) return page;
    } while (i != start);
    return nullptr;
}

void TPageControl::AdjustClientRect(TRect& Rect) {
    TWinControl::AdjustClientRect(Rect);
    Rect.Top += TabHeight;
    InflateRect(Rect, -2, -2);
}

std::vector<TTabSheet*> TPageControl::tabbedPages() const {
    std::vector<TTabSheet*> tabbed;
    for (TTabSheet* page : pages_) {
        if (page->TabVisible()) tabbed.push_back(page);
    }
    return tabbed;
}

QWidget* TPageControl::CreateWidget(QWidget* parent) {
    auto* w = new TControlWidget<QWidget>(this, parent);
    auto* tabs = new QTabBar(w);
    tabs->setObjectName(QStringLiteral("tabs"));
    tabs->setFocusPolicy(Qt::NoFocus);
    tabs->setDrawBase(true);
    QObject::connect(tabs, &QTabBar::currentChanged, w, [this](int index) { tabChosen(index); });
    return w;
}

void TPageControl::InitWidget() {
    TWinControl::InitWidget();
    updateTabs();
}

void TPageControl::WMSize(TMessage& Message) {
    TWinControl::WMSize(Message);
    updateTabs();
}

void TPageControl::updateTabs() {
    QWidget* w = Widget();
    auto* tabs = w ? w->findChild<QTabBar*>(QStringLiteral("tabs")) : nullptr;
    if (!tabs) return;
    syncing_ = true;
    while (tabs->count() > 0) tabs->removeTab(0);
    const auto tabbed = tabbedPages();
    for (TTabSheet* page : tabbed) tabs->addTab(StripHotkey(page->Caption()));
    auto it = std::find(tabbed.begin(), tabbed.end(), activePage_);
    tabs->setCurrentIndex(it == tabbed.end() ? -1 : int(it - tabbed.begin()));
    tabs->setGeometry(0, 0, Width(), TabHeight);
    syncing_ = false;
}

// The user chose a tab: OnChanging may keep the old page.
void TPageControl::tabChosen(int index) {
    if (syncing_) return;
    const auto tabbed = tabbedPages();
    if (index < 0 || index >= int(tabbed.size())) return;
    bool allow = true;
    if (OnChanging) OnChanging(this, allow);
    if (!allow) {
        updateTabs();
        return;
    }
    SetActivePage(tabbed[size_t(index)]);
    if (OnChange) OnChange(this);
}

// ------------------------------------------------------------ TProgressBar

TProgressBar::TProgressBar(TComponent* AOwner) : TWinControl(AOwner) {
    SetBounds(0, 0, 150, 16);
}

QWidget* TProgressBar::CreateWidget(QWidget* parent) {
    auto* bar = new TControlWidget<QProgressBar>(this, parent);
    bar->setTextVisible(false);
    return bar;
}

void TProgressBar::InitWidget() {
    TWinControl::InitWidget();
    show();
}

void TProgressBar::show() {
    if (auto* bar = dynamic_cast<QProgressBar*>(Widget())) {
        bar->setRange(min_, max_);
        bar->setValue(position_);
    }
}

void TProgressBar::SetMin(Integer v) {
    min_ = v;
    if (max_ < min_) max_ = min_;
    SetPosition(position_);
    show();
}

void TProgressBar::SetMax(Integer v) {
    max_ = v;
    if (min_ > max_) min_ = max_;
    SetPosition(position_);
    show();
}

void TProgressBar::SetPosition(Integer v) {
    position_ = std::clamp(v, min_, max_);
    show();
}

// ------------------------------------------------------------ status bar

void TStatusPanel::SetText(const QString& text) {
    if (text_ == text) return;
    text_ = text;
    Changed(false);
}

void TStatusPanel::SetWidth(Integer width) {
    if (width_ == width) return;
    width_ = width;
    Changed(true);
}

void TStatusPanel::SetStyle(TStatusPanelStyle style) {
    if (style_ == style) return;
    style_ = style;
    Changed(false);
}

void TStatusPanel::SetAlignment(TAlignment alignment) {
    if (alignment_ == alignment) return;
    alignment_ = alignment;
    Changed(false);
}

void TStatusPanel::SetBevel(TStatusPanelBevel bevel) {
    if (bevel_ == bevel) return;
    bevel_ = bevel;
    Changed(false);
}

void TStatusPanel::Assign(TPersistent* Source) {
    auto* s = dynamic_cast<TStatusPanel*>(Source);
    if (!s) return TCollectionItem::Assign(Source);
    text_ = s->text_;
    width_ = s->width_;
    style_ = s->style_;
    alignment_ = s->alignment_;
    bevel_ = s->bevel_;
    Changed(true);
}

TStatusPanels::TStatusPanels(TStatusBar* bar)
    : TCollection([](TCollection* c) { return new TStatusPanel(c); }), bar_(bar) {}

void TStatusPanels::Update(TCollectionItem*) {
    bar_->Invalidate();
}

TStatusBar::TStatusBar(TComponent* AOwner)
    : TCustomControl(AOwner), panels_(std::make_unique<TStatusPanels>(this)) {
    SetControlStyle({csCaptureMouse, csClickEvents, csDoubleClicks, csOpaque});
    SetColor(clBtnFace);
    SetBounds(0, 0, 200, 19);
    SetAlign(alBottom);
}

TStatusBar::~TStatusBar() = default;

void TStatusBar::SetSimplePanel(bool on) {
    simplePanel_ = on;
    Invalidate();
}

void TStatusBar::SetSimpleText(const QString& text) {
    simpleText_ = text;
    Invalidate();
}

void TStatusBar::SetSizeGrip(bool on) {
    sizeGrip_ = on;
    Invalidate();
}

TRect TStatusBar::PanelRect(Integer index) const {
    const Integer n = panels_->Count();
    if (index < 0 || index >= n) return TRect();
    Integer left = 0;
    for (Integer i = 0; i < index; ++i) left += panels_->Items(i)->Width();
    Integer right = left + panels_->Items(index)->Width();
    if (index == n - 1) right = std::max(right, ClientWidth());
    // Inside the one-pixel bevel, two pixels below the top edge.
    return TRect(left + 1, 3, right - 1, ClientHeight() - 1);
}

void TStatusBar::Paint() {
    TCanvas* c = Canvas();
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(Color());
    c->FillRect(ClientRect());
    c->SetFont(Font());
    if (simplePanel_) {
        TRect r(2, 3, ClientWidth() - 2, ClientHeight() - 1);
        c->Brush()->SetStyle(bsClear);
        DrawText(c->Handle(), simpleText_, -1, r, DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_NOPREFIX);
        return;
    }
    for (Integer i = 0; i < panels_->Count(); ++i) paintPanel(panels_->Items(i), PanelRect(i));
}

void TStatusBar::paintPanel(TStatusPanel* panel, TRect r) {
    TCanvas* c = Canvas();
    if (panel->Bevel() != pbNone) {
        TRect frame(r.Left - 1, r.Top - 1, r.Right + 1, r.Bottom + 1);
        const bool lowered = panel->Bevel() == pbLowered;
        Frame3D(c, frame, lowered ? clBtnShadow : clBtnHighlight, lowered ? clBtnHighlight : clBtnShadow, 1);
    }
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(Color());
    c->SetFont(Font());
    if (panel->Style() == psOwnerDraw) {
        DrawPanel(panel, r);
        return;
    }
    const Cardinal flags = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DrawTextAlignment(panel->Alignment());
    TRect text(r.Left + 2, r.Top, r.Right - 2, r.Bottom);
    c->Brush()->SetStyle(bsClear);
    DrawText(c->Handle(), panel->Text(), -1, text, flags);
}

void TStatusBar::DrawPanel(TStatusPanel* Panel, const TRect& Rect) {
    if (OnDrawPanel) OnDrawPanel(this, Panel, Rect);
}
