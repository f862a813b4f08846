// Page controls with tab sheets, progress bars and status bars.
#pragma once

#include "Classes.h"
#include "Controls.h"

#include <functional>
#include <vector>

class TPageControl;

// ------------------------------------------------------------ pages

// One page of a page control; only the active page is visible.
class TTabSheet : public TWinControl {
public:
    explicit TTabSheet(TComponent* AOwner);
    ~TTabSheet() override;

    TPageControl* PageControl() const { return pageControl_; }
    void SetPageControl(TPageControl* control);
    // Position among the page control's pages (-1 without one).
    Integer PageIndex() const;
    void SetPageIndex(Integer index);
    bool TabVisible() const { return tabVisible_; }
    void SetTabVisible(bool on);

protected:
    void CMTextChanged(TMessage& Message) override;

private:
    friend class TPageControl;
    TPageControl* pageControl_ = nullptr;
    bool tabVisible_ = true;
};

using TTabChangingEvent = std::function<void(TObject* Sender, bool& AllowChange)>;

class TPageControl : public TWinControl {
public:
    explicit TPageControl(TComponent* AOwner);
    ~TPageControl() override;

    Integer PageCount() const { return Integer(pages_.size()); }
    TTabSheet* Pages(Integer index) const;  // EListError out of range
    TTabSheet* ActivePage() const { return activePage_; }
    // Shows page and hides the others; no OnChanging or OnChange (those
    // come for the user's choice of a tab).
    void SetActivePage(TTabSheet* page);
    Integer ActivePageIndex() const;
    void SetActivePageIndex(Integer index);
    // The next (or previous) page with a visible tab, wrapping round.
    TTabSheet* FindNextPage(TTabSheet* current, bool goForward, bool checkTabVisible) const;
    void SelectNextPage(bool goForward);
    // Height of the row of tabs above the pages.
    static constexpr Integer TabHeight = 22;

    void AdjustClientRect(TRect& Rect) override;

    TTabChangingEvent OnChanging;
    TNotifyEvent OnChange;

protected:
    QWidget* CreateWidget(QWidget* parent) override;
    void InitWidget() override;
    void WMSize(TMessage& Message) override;
    bool TakesFocusOnClick() const override { return true; }

private:
    friend class TTabSheet;
    void insertPage(TTabSheet* page);
    void removePage(TTabSheet* page);
    void updateTabs();
    void tabChosen(int index);
    std::vector<TTabSheet*> tabbedPages() const;

    std::vector<TTabSheet*> pages_;
    TTabSheet* activePage_ = nullptr;
    bool syncing_ = false;
};

// ------------------------------------------------------------ progress bar

class TProgressBar : public TWinControl {
public:
    explicit TProgressBar(TComponent* AOwner);
    Integer Min() const { return min_; }
    void SetMin(Integer v);
    Integer Max() const { return max_; }
    void SetMax(Integer v);
    // Kept between Min and Max.
    Integer Position() const { return position_; }
    void SetPosition(Integer v);
    Integer Step() const { return step_; }
    void SetStep(Integer v) { step_ = v; }
    void StepIt() { SetPosition(position_ + step_); }
    void StepBy(Integer delta) { SetPosition(position_ + delta); }

protected:
    QWidget* CreateWidget(QWidget* parent) override;
    void InitWidget() override;

private:
    void show();
    Integer min_ = 0;
    Integer max_ = 100;
    Integer position_ = 0;
    Integer step_ = 10;
};

// ------------------------------------------------------------ status bar

enum TStatusPanelStyle { psText, psOwnerDraw };
enum TStatusPanelBevel { pbNone, pbLowered, pbRaised };

class TStatusBar;

class TStatusPanel : public TCollectionItem {
public:
    explicit TStatusPanel(TCollection* Collection) : TCollectionItem(Collection) {}
    const QString& Text() const { return text_; }
    void SetText(const QString& text);
    Integer Width() const { return width_; }
    void SetWidth(Integer width);
    TStatusPanelStyle Style() const { return style_; }
    void SetStyle(TStatusPanelStyle style);
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment alignment);
    TStatusPanelBevel Bevel() const { return bevel_; }
    void SetBevel(TStatusPanelBevel bevel);
    void Assign(TPersistent* Source) override;

private:
    QString text_;
    Integer width_ = 50;
    TStatusPanelStyle style_ = psText;
    TAlignment alignment_ = taLeftJustify;
    TStatusPanelBevel bevel_ = pbLowered;
};

class TStatusPanels : public TCollection {
public:
    explicit TStatusPanels(TStatusBar* bar);
    TStatusPanel* Add() { return static_cast<TStatusPanel*>(TCollection::Add()); }
    TStatusPanel* Items(Integer index) const { return static_cast<TStatusPanel*>(TCollection::Items(index)); }

protected:
    void Update(TCollectionItem* Item) override;

private:
    TStatusBar* bar_;
};

using TDrawPanelEvent = std::function<void(TStatusBar* StatusBar, TStatusPanel* Panel, const TRect& Rect)>;

// A bar of panels along the bottom of a form; the last panel takes the
// rest of the width. Owner-drawn panels are painted by OnDrawPanel on the
// bar's canvas, whenever they paint and after each change of their text.
class TStatusBar : public TCustomControl {
public:
    explicit TStatusBar(TComponent* AOwner);
    ~TStatusBar() override;

    TStatusPanels* Panels() const { return panels_.get(); }
    bool SimplePanel() const { return simplePanel_; }
    void SetSimplePanel(bool on);
    const QString& SimpleText() const { return simpleText_; }
    void SetSimpleText(const QString& text);
    bool SizeGrip() const { return sizeGrip_; }
    void SetSizeGrip(bool on);
    // The rectangle of a panel inside its bevel (client coordinates).
    TRect PanelRect(Integer index) const;

    TDrawPanelEvent OnDrawPanel;

protected:
    void Paint() override;
    virtual void DrawPanel(TStatusPanel* Panel, const TRect& Rect);

private:
    void paintPanel(TStatusPanel* panel, TRect r);
    std::unique_ptr<TStatusPanels> panels_;
    bool simplePanel_ = false;
    QString simpleText_;
    bool sizeGrip_ = true;
};
