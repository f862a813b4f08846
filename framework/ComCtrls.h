// Page controls with tab sheets, progress bars, status bars, tool bars and
// tree views.
#pragma once

#include "Buttons.h"
#include "Classes.h"
#include "Controls.h"

#include <functional>
#include <memory>
#include <vector>

class QTimer;
class QTreeWidgetItem;
class TPageControl;
class TTreeViewWidget;
class TTreeNodes;
class TCustomTreeView;

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

// ------------------------------------------------------------ tree view

// A node of a tree view; the tree owns it (TTreeNodes::Delete, Delete()).
class TTreeNode : public TPersistent {
public:
    ~TTreeNode() override;

    TTreeNodes* Owner() const { return owner_; }
    TCustomTreeView* TreeView() const;
    const QString& Text() const { return text_; }
    void SetText(const QString& text);
    Integer ImageIndex() const { return imageIndex_; }
    void SetImageIndex(Integer index);
    Integer SelectedIndex() const { return selectedIndex_; }
    void SetSelectedIndex(Integer index);
    void* Data() const { return data_; }
    void SetData(void* data) { data_ = data; }

    TTreeNode* Parent() const { return parent_; }
    Integer Level() const;
    Integer Index() const;
    Integer Count() const { return Integer(children_.size()); }
    TTreeNode* Item(Integer index) const;  // EListError out of range
    TTreeNode* getFirstChild() const { return children_.empty() ? nullptr : children_.front(); }
    TTreeNode* getNextSibling() const;
    TTreeNode* getPrevSibling() const;
    // The next node in depth-first order (nil after the last).
    TTreeNode* GetNext() const;

    // A button even without children yet (filled when expanded).
    bool HasChildren() const { return hasChildren_ || !children_.empty(); }
    void SetHasChildren(bool on);
    // Expanding asks the tree view's CanExpand first, collapsing CanCollapse.
    bool Expanded() const { return expanded_; }
    void SetExpanded(bool on);
    void Expand(bool recurse);
    void Collapse(bool recurse);
    bool Selected() const;
    void SetSelected(bool on);

    void Delete();
    void DeleteChildren();
    // Children by their text (locale order), optionally all levels below.
    bool AlphaSort(bool recurse = false);

private:
    friend class TTreeNodes;
    friend class TCustomTreeView;
    TTreeNode(TTreeNodes* owner, TTreeNode* parent) : owner_(owner), parent_(parent) {}

    TTreeNodes* owner_;
    TTreeNode* parent_;
    std::vector<TTreeNode*> children_;
    QString text_;
    Integer imageIndex_ = -1;
    Integer selectedIndex_ = -1;
    void* data_ = nullptr;
    bool hasChildren_ = false;
    bool expanded_ = false;
    QTreeWidgetItem* item_ = nullptr;
};

class TTreeNodes : public TPersistent {
public:
    explicit TTreeNodes(TCustomTreeView* owner) : view_(owner) {}
    ~TTreeNodes() override;

    TCustomTreeView* Owner() const { return view_; }
    // Every node, in depth-first order.
    Integer Count() const;
    TTreeNode* Item(Integer index) const;  // EListError out of range
    TTreeNode* GetFirstNode() const { return roots_.empty() ? nullptr : roots_.front(); }

    // A last sibling of sibling (a root when sibling is nil).
    TTreeNode* Add(TTreeNode* sibling, const QString& text);
    TTreeNode* AddObject(TTreeNode* sibling, const QString& text, void* data);
    TTreeNode* AddFirst(TTreeNode* sibling, const QString& text);
    // A last child of parent (a root when parent is nil).
    TTreeNode* AddChild(TTreeNode* parent, const QString& text);
    TTreeNode* AddChildObject(TTreeNode* parent, const QString& text, void* data);
    TTreeNode* AddChildFirst(TTreeNode* parent, const QString& text);
    // Before sibling.
    TTreeNode* Insert(TTreeNode* sibling, const QString& text);
    void Delete(TTreeNode* node);
    void Clear();
    // Nodes added between the two reach Qt together at the end.
    void BeginUpdate() { ++updateCount_; }
    void EndUpdate();

private:
    friend class TTreeNode;
    friend class TCustomTreeView;
    TTreeNode* insert(TTreeNode* parent, Integer index, const QString& text, void* data);
    std::vector<TTreeNode*>& siblingsOf(TTreeNode* parent) { return parent ? parent->children_ : roots_; }

    TCustomTreeView* view_;
    std::vector<TTreeNode*> roots_;
    Integer updateCount_ = 0;
    std::vector<TTreeNode*> pending_;  // added during an update, no Qt item yet
};

using TTVChangingEvent = std::function<void(TObject* Sender, TTreeNode* Node, bool& AllowChange)>;
using TTVChangedEvent = std::function<void(TObject* Sender, TTreeNode* Node)>;
using TTVExpandingEvent = std::function<void(TObject* Sender, TTreeNode* Node, bool& AllowExpansion)>;
using TTVCollapsingEvent = std::function<void(TObject* Sender, TTreeNode* Node, bool& AllowCollapse)>;
using TTVExpandedEvent = std::function<void(TObject* Sender, TTreeNode* Node)>;

class TTreeLabelEdit;

// A tree of nodes on a Qt tree widget. Selecting, expanding and collapsing
// (by the user or by code) ask CanChange, CanExpand and CanCollapse first;
// a refusal leaves the tree as it was. The rows are drawn and hit as on the
// platform: a click selects on a node's image or text (anywhere on its row
// with RowSelect), its button opens and closes it.
class TCustomTreeView : public TWinControl {
public:
    explicit TCustomTreeView(TComponent* AOwner);
    ~TCustomTreeView() override;

    TTreeNodes* Items() const { return items_.get(); }
    TTreeNode* Selected() const { return selected_; }
    void SetSelected(TTreeNode* node);
    TImageList* Images() const { return images_; }
    void SetImages(TImageList* images);
    // Without ReadOnly a click on the text of the node that was already
    // selected edits it once the double-click time has passed (a double
    // click does not): Enter, or the focus leaving, gives the node the text;
    // Esc keeps the old one.
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool on);
    bool IsEditing() const { return editing_ != nullptr; }
    bool ShowButtons() const { return showButtons_; }
    void SetShowButtons(bool on);
    // Dotted lines join the nodes.
    bool ShowLines() const { return showLines_; }
    void SetShowLines(bool on);
    bool ShowRoot() const { return showRoot_; }
    void SetShowRoot(bool on);
    // Without the focus the selection is not drawn (else it is greyed).
    bool HideSelection() const { return hideSelection_; }
    void SetHideSelection(bool on);
    // The selection fills the whole row, and a click anywhere on a row
    // selects it; as on the platform, only while ShowLines is off.
    bool RowSelect() const { return rowSelect_; }
    void SetRowSelect(bool on);
    // The node under the mouse is drawn underlined in the hot-light colour.
    bool HotTrack() const { return hotTrack_; }
    void SetHotTrack(bool on);
    // Resting the mouse on a node cut off at the window's edge shows its
    // whole text in a tooltip.
    bool ToolTips() const { return toolTips_; }
    void SetToolTips(bool on) { toolTips_ = on; }
    // A right click selects the node under the mouse, before the pop-up menu.
    bool RightClickSelect() const { return rightClickSelect_; }
    void SetRightClickSelect(bool on) { rightClickSelect_ = on; }
    // Selecting a node by the user expands it.
    bool AutoExpand() const { return autoExpand_; }
    void SetAutoExpand(bool on) { autoExpand_ = on; }
    // Milliseconds between a change of the selection and OnChange, which
    // then tells of the node selected by that time (0: at once).
    Integer ChangeDelay() const { return changeDelay_; }
    void SetChangeDelay(Integer ms) { changeDelay_ = ms; }
    // bsSingle: a sunken two-pixel edge (a plain line without Ctl3D);
    // bsNone: no edge.
    TBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TBorderStyle style);
    // A margin in the control's colour between the edge and the rows.
    TBorderWidth BorderWidth() const { return borderWidth_; }
    void SetBorderWidth(TBorderWidth width);
    bool AlphaSort(bool recurse = true);

    TTVChangingEvent OnChanging;
    TTVChangedEvent OnChange;
    TTVExpandingEvent OnExpanding;
    TTVExpandedEvent OnExpanded;
    TTVCollapsingEvent OnCollapsing;
    TTVExpandedEvent OnCollapsed;
    TTVExpandedEvent OnDeletion;

protected:
    // Raise OnChanging, OnExpanding, OnCollapsing; false refuses.
    virtual bool CanChange(TTreeNode* Node);
    virtual bool CanExpand(TTreeNode* Node);
    virtual bool CanCollapse(TTreeNode* Node);
    // Raise OnChange, OnExpanded, OnCollapsed, OnDeletion.
    virtual void Change(TTreeNode* Node);
    virtual void Expand(TTreeNode* Node);
    virtual void Collapse(TTreeNode* Node);
    virtual void Delete(TTreeNode* Node);
    // The "*" key: Node and every node below it open, each asked of CanExpand.
    virtual void ExpandBranch(TTreeNode* Node);

    QWidget* CreateWidget(QWidget* parent) override;
    void InitWidget() override;
    bool TakesFocusOnClick() const override { return true; }
    // The edge and BorderWidth; the client area is Qt's viewport.
    TRect BorderInsets() const override;
    QWidget* ClientWidget() override;
    void Invalidate() override;
    void WndProc(TMessage& Message) override;
    void WMSetFocus(TMessage& Message) override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    friend class TTreeNode;
    friend class TTreeNodes;
    friend class TTreeViewWidget;
    friend class TTreeLabelEdit;
    // Label editing: a click on the selected node's text asks for it, a
    // double click calls it off, the double-click time later it begins.
    void editLater(TTreeNode* node);
    void beginEdit(TTreeNode* node);
    void endEdit(bool accept);
    void makeItem(TTreeNode* node);
    void makeItems(const std::vector<TTreeNode*>& nodes);
    int qtIndexOf(TTreeNode* node) const;
    void dropChildItems(TTreeNode* node);
    static void forgetItems(TTreeNode* node);
    void showNode(TTreeNode* node);
    void showIndicator(TTreeNode* node);
    void dropItems(TTreeNode* node);
    void nodeRemoved(TTreeNode* node);
    void announceRemoval(TTreeNode* node);
    void selectionChanged();
    Integer edgeWidth() const;
    void applyBorder();
    void expandNode(TTreeNode* node, bool expand);
    void userExpanded(QTreeWidgetItem* item, bool expanded);
    void userSelected(QTreeWidgetItem* item);
    void selectByUser(TTreeNode* node);
    void showSelection();
    void restoreItems(TTreeNode* below);
    void relayout();
    static TTreeNode* nodeOf(QTreeWidgetItem* item);

    std::unique_ptr<TTreeNodes> items_;
    TTreeNode* selected_ = nullptr;
    TImageList* images_ = nullptr;
    bool readOnly_ = false;
    bool showButtons_ = true;
    bool showLines_ = true;
    bool showRoot_ = true;
    bool hideSelection_ = true;
    bool rowSelect_ = false;
    bool hotTrack_ = false;
    bool toolTips_ = true;
    bool rightClickSelect_ = false;
    bool autoExpand_ = false;
    Integer changeDelay_ = 0;
    TBorderStyle borderStyle_ = bsSingle;
    TBorderWidth borderWidth_ = 0;
    std::unique_ptr<QTimer> changeTimer_;
    bool syncing_ = false;
    TTreeLabelEdit* editor_ = nullptr;
    TTreeNode* editing_ = nullptr;
    TTreeNode* editPending_ = nullptr;
    std::unique_ptr<QTimer> editTimer_;
    // The focus came with a mouse press: that press edits nothing.
    bool focusedByPress_ = false;
};

class TTreeView : public TCustomTreeView {
public:
    using TCustomTreeView::TCustomTreeView;
};

// ------------------------------------------------------------ tool bars

class TToolBar;

enum TToolButtonStyle { tbsButton, tbsCheck, tbsSeparator, tbsDivider };

// A flat button of a tool bar, showing the tool bar's image ImageIndex and
// no caption. A check button stays down after a click until the next; check
// buttons side by side with Grouped set form a group in which one is down
// (none only with AllowAllUp). Separators and dividers (an etched line)
// are gaps that take no clicks.
class TToolButton : public TSpeedButton {
public:
    explicit TToolButton(TComponent* AOwner);
    ~TToolButton() override;

    TToolButtonStyle Style() const { return style_; }
    void SetStyle(TToolButtonStyle style);
    bool Grouped() const { return grouped_; }
    void SetGrouped(bool on);
    // Whether the last down button of a group may be released; a check
    // button outside a group always toggles.
    bool AllowAllUp() const { return allowAllUp_; }
    void SetAllowAllUp(bool on);
    Integer ImageIndex() const { return imageIndex_; }
    void SetImageIndex(Integer index);
    TToolBar* ToolBar() const;
    bool IsSeparator() const { return style_ == tbsSeparator || style_ == tbsDivider; }

protected:
    void Paint() override;
    QString FaceCaption() const override { return QString(); }
    // Also shows the action's image.
    void ActionChange(TObject* Sender, bool CheckDefaults) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;

private:
    friend class TToolBar;
    // The group this button belongs to: 0 for a plain button or a gap.
    void SetGroup(Integer group, bool allowAllUp);
    void StyleChanged();

    TToolButtonStyle style_ = tbsButton;
    bool grouped_ = false;
    bool allowAllUp_ = false;
    Integer imageIndex_ = -1;
    Integer ownGroup_;  // a group index no other button has
};

// Lays its controls out in one row, in Controls order: tool buttons
// ButtonWidth x ButtonHeight (gaps keep their width), other controls their
// own size. Aligned to the top by default.
class TToolBar : public TWinControl {
public:
    explicit TToolBar(TComponent* AOwner);
    ~TToolBar() override;

    Integer ButtonWidth() const { return buttonWidth_; }
    void SetButtonWidth(Integer width);
    Integer ButtonHeight() const { return buttonHeight_; }
    void SetButtonHeight(Integer height);
    bool Flat() const { return flat_; }
    void SetFlat(bool on);
    TImageList* Images() const { return images_; }
    void SetImages(TImageList* images);
    Integer ButtonCount() const;
    TToolButton* Buttons(Integer index) const;  // EListError out of range

protected:
    void AlignControls(TControl* AControl, TRect& Rect) override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    std::vector<TToolButton*> ToolButtons() const;
    void UpdateGroups();

    Integer buttonWidth_ = 23;
    Integer buttonHeight_ = 22;
    bool flat_ = true;
    TImageList* images_ = nullptr;
};
