#include "StdCtrlsCombo.h"

#include "Classes.h"
#include "ControlsWidget.h"
#include "Forms.h"
#include "WidgetStyle.h"

#include <QtCore/QCoreApplication>
#include <QtGui/QPainter>
#include <QtGui/QPaintEvent>
#include <QtGui/QKeyEvent>
#include <QtGui/QValidator>
#include <QtWidgets/QAbstractItemView>
#include <QtWidgets/QComboBox>
#include <QtWidgets/QProxyStyle>
#include <QtWidgets/QStyleOptionComboBox>
#include <QtWidgets/QLineEdit>

#include <chrono>

namespace {

// The character case of what the user types into the edit part.
class CaseValidator : public QValidator {
public:
    CaseValidator(TEditCharCase charCase, QObject* parent) : QValidator(parent), charCase_(charCase) {}
    State validate(QString& input, int&) const override {
        input = ApplyCharCase(input, charCase_);
        return Acceptable;
    }

private:
    TEditCharCase charCase_;
};

// Lists drop below their box (above it when there is no room below): the
// style's own hint would open a list-only box's list over the box, with the
// current item on it.
class DropBelowStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* data) const override {
        if (hint == SH_ComboBox_Popup) return 0;
        return QProxyStyle::styleHint(hint, option, widget, data);
    }
};

// One for every box; it lives as long as the program.
QStyle* ComboStyle() {
    static QStyle* style = new DropBelowStyle(NewWidgetStyle());
    return style;
}

// Runs a step of the box from Qt's own code, where no exception may pass.
template <class Step>
void Guarded(TCustomComboBox* box, Step step) {
    try {
        step();
    } catch (...) {
        if (Application) Application->HandleException(box);
    }
}

// The frame round an owner-drawn box's selection area.
constexpr Integer kOwnerFrame = 3;

}  // namespace

// Draws and measures the items of an owner-drawn box's list.
class TComboItemDelegate : public QAbstractItemDelegate {
public:
    TComboItemDelegate(TCustomComboBox& box, QObject* parent) : QAbstractItemDelegate(parent), box_(box) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        TOwnerDrawState state;
        if (option.state & QStyle::State_Selected) state << odSelected;
        if (option.state & QStyle::State_HasFocus) state << odFocused;
        if (!(option.state & QStyle::State_Enabled)) state << odDisabled << odGrayed;
        const QRect r = option.rect;
        Guarded(&box_, [&] { box_.drawOwnerItem(*painter, index.row(), Bounds(r.x(), r.y(), r.width(), r.height()), state); });
    }
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        Integer height = box_.ItemHeight();
        Guarded(&box_, [&] { height = box_.ownerItemHeight(index.row()); });
        return QSize(option.rect.width(), height);
    }

private:
    TCustomComboBox& box_;
};

// The Qt combo box of a combo control: opening and closing the list go
// through the control, and so do the keys while the list is open.
class TComboWidget : public TControlWidget<QComboBox> {
public:
    using TControlWidget<QComboBox>::TControlWidget;
    // The list goes with the base class, and hiding it sends events through
    // the key filter: the filter goes first, while this is still whole.
    ~TComboWidget() override { delete listKeys_; }

    void showPopup() override {
        if (!listKeys_) {
            listKeys_ = new ListKeyFilter(*this);
            view()->installEventFilter(listKeys_);
            view()->window()->installEventFilter(listKeys_);
        }
        if (auto* box = owner()) Guarded(box, [box] { box->popupOpening(); });
        QComboBox::showPopup();
        placeList();
        // Qt makes the first item current when a list with none takes the
        // focus; with nothing chosen the first Down goes to the first item.
        if (currentIndex() < 0) view()->setCurrentIndex(QModelIndex());
        if (auto* box = owner()) box->droppedDown_ = true;
    }

    void hidePopup() override {
        QComboBox::hidePopup();
        if (auto* box = owner()) Guarded(box, [box] { box->popupClosed(); });
    }

    QStyleOptionComboBox StyleOption() const {
        QStyleOptionComboBox option;
        initStyleOption(&option);
        return option;
    }

private:
    // The open list's pop-up gets the keys from the window system; on the
    // platform the box keeps them. The filter comes before the pop-up's own
    // handling, which would otherwise choose on Enter's shortcut check and
    // leave the key press itself to whichever box then has the focus. It
    // also sees the pop-up hidden without the box (all pop-ups close when
    // the application loses the focus), so that the box knows it closed.
    class ListKeyFilter : public QObject {
    public:
        explicit ListKeyFilter(TComboWidget& widget) : QObject(widget.view()), widget_(widget) {}
        bool eventFilter(QObject* watched, QEvent* event) override {
            TCustomComboBox* box = widget_.owner();
            if (!box) return QObject::eventFilter(watched, event);
            switch (event->type()) {
            case QEvent::ShortcutOverride:
                event->accept();
                return true;
            case QEvent::KeyPress: return box->listKeyPressed(*static_cast<QKeyEvent*>(event));
            case QEvent::KeyRelease: return box->listKeyReleased(*static_cast<QKeyEvent*>(event));
            case QEvent::Hide:
                if (watched == widget_.view()->window()) Guarded(box, [box] { box->popupClosed(); });
                return false;
            default: return QObject::eventFilter(watched, event);
            }
        }

    private:
        TComboWidget& widget_;
    };

    TCustomComboBox* owner() const { return static_cast<TCustomComboBox*>(Control()); }

    // Qt lays the list one pixel over the box's edge; it starts right below
    // the box, or ends right above it where Qt chose to open it upwards.
    void placeList() {
        QWidget* list = view()->window();
        const QPoint top = mapToGlobal(QPoint(0, 0));
        QRect r = list->geometry();
        if (r.top() >= top.y()) r.moveTop(top.y() + height());
        else r.moveBottom(top.y() - 1);
        list->move(r.topLeft());
    }
    ListKeyFilter* listKeys_ = nullptr;
};

// ------------------------------------------------------------ life

TCustomComboBox::TCustomComboBox(TComponent* AOwner)
    : TWinControl(AOwner), items_(std::make_unique<TStringList>()), canvas_(std::make_unique<TControlCanvas>()) {
    canvas_->SetControl(this);
    items_->OnChange = [this](TObject*) { itemsChanged(); };
    // Click means a choice: a press and release on the box raise none. The
    // press that opens the list may also see its own release delivered
    // while the drop-down step processes messages.
    SetControlStyle({csSetCaption, csDoubleClicks, csFixedHeight});
    SetTabStop(true);
    SetParentColor(false);
    SetColor(clWindow);
    SetBounds(0, 0, 145, FontHeight());
}

TCustomComboBox::~TCustomComboBox() {
    if (QWidget* w = Widget()) {
        DisconnectControlHandlers(w);
        if (QLineEdit* e = lineEdit()) DisconnectControlHandlers(e);
    }
}

QComboBox* TCustomComboBox::ComboWidget() const {
    return static_cast<QComboBox*>(Widget());
}

QLineEdit* TCustomComboBox::lineEdit() const {
    const QComboBox* w = ComboWidget();
    return w ? w->lineEdit() : nullptr;
}

// ------------------------------------------------------------ widget

QWidget* TCustomComboBox::CreateWidget(QWidget* parent) {
    auto* w = new TComboWidget(this, parent);
    w->setStyle(ComboStyle());
    w->setInsertPolicy(QComboBox::NoInsert);
    w->setEditable(IsEditable());
    w->setMaxVisibleItems(dropDownCount_);
    if (IsOwnerDrawn()) w->setItemDelegate(new TComboItemDelegate(*this, w));
    QObject::connect(w, &QComboBox::activated, w, [this](int index) { userChose(index); });
    QObject::connect(w, &QComboBox::currentIndexChanged, w, [this](int index) {
        if (syncing_) return;
        itemIndex_ = index;
        if (!IsEditable()) text_ = index >= 0 ? items_->Get(index) : QString();
    });
    if (QLineEdit* e = w->lineEdit()) {
        e->setValidator(new CaseValidator(charCase_, e));
        e->setMaxLength(editLimit_ > 0 ? editLimit_ : 32767);
        e->setPlaceholderText(textHint_);
        QObject::connect(e, &QLineEdit::textChanged, e, [this](const QString& text) {
            if (!syncing_) text_ = text;
        });
        QObject::connect(e, &QLineEdit::textEdited, e, [this](const QString& text) {
            if (syncing_) return;
            text_ = text;
            Change();
        });
    } else {
        w->setPlaceholderText(textHint_);
    }
    if (!autoComplete_) w->setCompleter(nullptr);
    return w;
}

void TCustomComboBox::InitWidget() {
    TWinControl::InitWidget();
    showModel();
    // A new window asks the height of its selection area again.
    if (style_ == csOwnerDrawVariable) SetBounds(Left(), Top(), Width(), Height());
}

void TCustomComboBox::DestroyWnd() {
    if (QWidget* w = Widget()) {
        DisconnectControlHandlers(w);
        if (QLineEdit* e = lineEdit()) DisconnectControlHandlers(e);
    }
    droppedDown_ = false;
    TWinControl::DestroyWnd();
}

// The items, the chosen one and the text, as the control holds them.
void TCustomComboBox::showModel() {
    QComboBox* w = ComboWidget();
    if (!w) return;
    syncing_ = true;
    w->clear();
    for (Integer i = 0; i < items_->Count(); ++i) w->addItem(items_->Get(i));
    w->setCurrentIndex(itemIndex_);
    if (QLineEdit* e = lineEdit()) e->setText(text_);
    syncing_ = false;
}

void TCustomComboBox::itemsChanged() {
    if (itemIndex_ >= items_->Count()) itemIndex_ = -1;
    if (!IsEditable()) text_ = itemIndex_ >= 0 ? items_->Get(itemIndex_) : QString();
    showModel();
}

void TCustomComboBox::userChose(int index) {
    if (index < 0 || index >= items_->Count()) return;
    itemIndex_ = index;
    text_ = items_->Get(index);
    const auto guard = Guard();
    Click();
    if (!guard.expired()) Select();
}

// Enter takes the highlighted item, as the list does on its own; a
// character (or Backspace) goes to the box as on a closed list, into the
// edit part or to the search; every other key goes through the box's
// key-down step first and works the list only when the step leaves it.
// Esc then closes the list through the box, whatever the step made of it:
// the pop-up's own Esc would close it behind the box's back.
bool TCustomComboBox::listKeyPressed(QKeyEvent& event) {
    const Word vk = VirtualKeyOf(event);
    if (vk == VK_RETURN) {
        chooseHighlighted();
        return true;
    }
    const QString chars = KeyCharsOf(event);
    if (!chars.isEmpty() && (chars[0].unicode() >= 0x20 || chars[0] == u'\b')) {
        QCoreApplication::sendEvent(ComboWidget(), &event);
        return true;
    }
    if (vk == 0) return false;
    const auto guard = Guard();
    Word key = vk;
    const bool used = DoKeyDown(key, ShiftStateOf(event));
    if (guard.expired()) return true;
    if (vk == VK_ESCAPE) SetDroppedDown(false);
    return used || !droppedDown_;
}

bool TCustomComboBox::listKeyReleased(QKeyEvent& event) {
    Word key = VirtualKeyOf(event);
    if (key == 0 || event.isAutoRepeat()) return false;
    const auto guard = Guard();
    const bool used = DoKeyUp(key, ShiftStateOf(event));
    return used || guard.expired() || !droppedDown_;
}

void TCustomComboBox::chooseHighlighted() {
    QComboBox* w = ComboWidget();
    const int row = w->view()->currentIndex().row();
    w->hidePopup();
    if (row < 0 || row >= items_->Count()) return;
    w->setCurrentIndex(row);
    userChose(row);
}

void TCustomComboBox::popupOpening() {
    DropDown();
}

void TCustomComboBox::popupClosed() {
    if (!droppedDown_) return;
    droppedDown_ = false;
    CloseUp();
}

// ------------------------------------------------------------ items and text

TStrings* TCustomComboBox::Items() const {
    return items_.get();
}

void TCustomComboBox::SetItems(TStrings* items) {
    items_->Assign(items);
}

bool TCustomComboBox::Sorted() const {
    return items_->Sorted();
}

void TCustomComboBox::SetSorted(bool on) {
    items_->SetSorted(on);
}

void TCustomComboBox::SetItemIndex(Integer index) {
    if (index < -1 || index >= items_->Count()) index = -1;
    itemIndex_ = index;
    text_ = index >= 0 ? items_->Get(index) : QString();
    if (QComboBox* w = ComboWidget()) {
        syncing_ = true;
        w->setCurrentIndex(index);
        if (QLineEdit* e = lineEdit()) e->setText(text_);
        syncing_ = false;
    }
}

QString TCustomComboBox::GetText() const {
    return text_;
}

void TCustomComboBox::SetText(const QString& text) {
    const QString value = ApplyCharCase(text, charCase_);
    if (value == text_) return;
    if (!IsEditable()) {
        const Integer index = items_->IndexOf(value);
        if (index >= 0) SetItemIndex(index);
    } else {
        text_ = value;
        if (QLineEdit* e = lineEdit()) {
            syncing_ = true;
            e->setText(value);
            syncing_ = false;
        }
    }
    Perform(CM_TEXTCHANGED);
}

void TCustomComboBox::Clear() {
    itemIndex_ = -1;
    text_.clear();
    items_->Clear();
    showModel();
}

// ------------------------------------------------------------ settings

void TCustomComboBox::SetStyle(TComboBoxStyle style) {
    if (style_ == style) return;
    style_ = style;
    if (!IsEditable()) text_ = itemIndex_ >= 0 ? items_->Get(itemIndex_) : QString();
    RecreateWnd();
    SetBounds(Left(), Top(), Width(), Height());
}

void TCustomComboBox::SetDroppedDown(bool on) {
    QComboBox* w = ComboWidget();
    if (!w || on == droppedDown_) return;
    if (on) w->showPopup();
    else w->hidePopup();
}

void TCustomComboBox::SetDropDownCount(Integer count) {
    dropDownCount_ = count;
    if (QComboBox* w = ComboWidget()) w->setMaxVisibleItems(count);
}

void TCustomComboBox::SetCharCase(TEditCharCase charCase) {
    if (charCase_ == charCase) return;
    charCase_ = charCase;
    if (QLineEdit* e = lineEdit()) e->setValidator(new CaseValidator(charCase, e));
    SetText(text_);
}

void TCustomComboBox::SetAutoComplete(bool on) {
    if (autoComplete_ == on) return;
    autoComplete_ = on;
    RecreateWnd();
}

void TCustomComboBox::SetTextHint(const QString& hint) {
    textHint_ = hint;
    if (QLineEdit* e = lineEdit()) e->setPlaceholderText(hint);
    else if (QComboBox* w = ComboWidget()) w->setPlaceholderText(hint);
}

void TCustomComboBox::SetBevelKind(TBevelKind kind) {
    bevelKind_ = kind;
    Invalidate();
}

void TCustomComboBox::SetBevelEdges(TBevelEdges edges) {
    bevelEdges_ = edges;
    Invalidate();
}

void TCustomComboBox::SetBevelInner(TBevelCut cut) {
    bevelInner_ = cut;
    Invalidate();
}

void TCustomComboBox::SetBevelOuter(TBevelCut cut) {
    bevelOuter_ = cut;
    Invalidate();
}

void TCustomComboBox::SetEditLimit(Integer length) {
    editLimit_ = length;
    if (QLineEdit* e = lineEdit()) e->setMaxLength(length > 0 ? length : 32767);
}

Integer TCustomComboBox::FontHeight() const {
    TCanvas canvas;
    canvas.Font()->Assign(Font());
    return canvas.TextHeight(QStringLiteral("0")) + 8;
}

Integer TCustomComboBox::boxHeight() {
    return IsOwnerDrawn() ? ownerItemHeight(-1) + 2 * kOwnerFrame : FontHeight();
}

void TCustomComboBox::SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) {
    // Only the simple style takes the height it is given.
    if (style_ != csSimple) AHeight = boxHeight();
    TWinControl::SetBounds(ALeft, ATop, AWidth, AHeight);
}

void TCustomComboBox::SetItemHeight(Integer height) {
    if (height <= 0) return;
    itemHeight_ = height;
    if (!IsOwnerDrawn()) return;
    RecreateWnd();
    SetBounds(Left(), Top(), Width(), Height());
}

// ------------------------------------------------------------ edit part

Integer TCustomComboBox::SelStart() const {
    const QLineEdit* e = lineEdit();
    if (!e) return 0;
    return e->hasSelectedText() ? e->selectionStart() : e->cursorPosition();
}

void TCustomComboBox::SetSelStart(Integer start) {
    if (QLineEdit* e = lineEdit()) {
        e->deselect();
        e->setCursorPosition(start);
    }
}

Integer TCustomComboBox::SelLength() const {
    const QLineEdit* e = lineEdit();
    return e && e->hasSelectedText() ? Integer(e->selectionLength()) : 0;
}

void TCustomComboBox::SetSelLength(Integer length) {
    if (QLineEdit* e = lineEdit()) {
        const Integer start = SelStart();
        if (length <= 0) e->setCursorPosition(start);
        else e->setSelection(start, length);
    }
}

QString TCustomComboBox::SelText() const {
    const QLineEdit* e = lineEdit();
    return e ? e->selectedText() : QString();
}

void TCustomComboBox::SelectAll() {
    if (QLineEdit* e = lineEdit()) e->selectAll();
}

// ------------------------------------------------------------ steps and messages

void TCustomComboBox::Change() {
    if (OnChange) OnChange(this);
}

void TCustomComboBox::Select() {
    if (OnSelect) OnSelect(this);
    else Change();
}

void TCustomComboBox::DropDown() {
    if (OnDropDown) OnDropDown(this);
}

void TCustomComboBox::CloseUp() {
    if (OnCloseUp) OnCloseUp(this);
}

void TCustomComboBox::KeyPress(WideChar& Key) {
    TWinControl::KeyPress(Key);
    if (Key == u'\r') Key = QChar();
    if (Key.unicode() < 0x20) return;
    const auto guard = Guard();
    if (autoDropDown_ && !droppedDown_) SetDroppedDown(true);
    if (guard.expired() || IsEditable() || !autoComplete_) return;
    searchItems(Key);
    Key = QChar();
}

void TCustomComboBox::searchItems(WideChar Key) {
    using namespace std::chrono;
    const Int64 now = duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
    if (now - lastSearch_ >= Int64(autoCompleteDelay_)) searchText_.clear();
    lastSearch_ = now;
    searchText_ += Key;
    Integer found = -1;
    for (Integer i = 0; i < items_->Count() && found < 0; ++i) {
        if (items_->Get(i).startsWith(searchText_, Qt::CaseInsensitive)) found = i;
    }
    if (found < 0) return;
    const auto guard = Guard();
    if (QComboBox* w = ComboWidget(); w && droppedDown_) w->view()->setCurrentIndex(w->model()->index(found, 0));
    if (found != itemIndex_) {
        SetItemIndex(found);
        userChose(found);
    }
    if (!guard.expired() && autoCloseUp_) SetDroppedDown(false);
}

void TCustomComboBox::WndProc(TMessage& Message) {
    if (Message.Msg == WM_GETDLGCODE) {
        Message.Result = DLGC_WANTARROWS | DLGC_WANTCHARS;
        return;
    }
    TWinControl::WndProc(Message);
}

// A box that loses the focus closes its list.
void TCustomComboBox::DoExit() {
    SetDroppedDown(false);
    TWinControl::DoExit();
}

void TCustomComboBox::CMFontChanged(TMessage& Message) {
    TWinControl::CMFontChanged(Message);
    SetBounds(Left(), Top(), Width(), Height());
}

void TCustomComboBox::PaintWidget(TControlWidgetLink& link, QPaintEvent* event) {
    if (!IsOwnerDrawn()) link.BaseEvent(event);
    QPainter painter(link.Widget());
    if (IsOwnerDrawn()) paintOwnerDrawn(painter);
    TCanvasBinding binding(*canvas_, painter, *event);
    PaintOver(canvas_.get());
}

// ------------------------------------------------------------ owner drawing

// The style's frame and button, and the chosen item in the selection area.
void TCustomComboBox::paintOwnerDrawn(QPainter& painter) {
    auto* w = static_cast<TComboWidget*>(ComboWidget());
    QStyleOptionComboBox option = w->StyleOption();
    option.currentText.clear();
    option.currentIcon = QIcon();
    w->style()->drawComplexControl(QStyle::CC_ComboBox, &option, &painter, w);
    const QRect field = w->style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, w);
    TOwnerDrawState state{odComboBoxEdit};
    if (!Enabled()) state << odDisabled << odGrayed;
    else if (Focused()) state << odSelected << odFocused;
    const TRect area(field.left(), kOwnerFrame, field.left() + field.width(), Height() - kOwnerFrame);
    drawOwnerItem(painter, itemIndex_, area, state);
}

void TCustomComboBox::drawOwnerItem(QPainter& painter, Integer index, const TRect& rect, TOwnerDrawState state) {
    TCanvasBinding binding(*canvas_, painter, rect);
    canvas_->Font()->Assign(Font());
    canvas_->Brush()->SetStyle(bsSolid);
    canvas_->Brush()->SetColor(Color());
    if (state.Contains(odSelected)) {
        canvas_->Brush()->SetColor(clHighlight);
        canvas_->Font()->SetColor(clHighlightText);
    }
    if (index >= 0 && index < items_->Count()) DrawItem(index, rect, state);
    else canvas_->FillRect(rect);
    if (state.Contains(odFocused)) canvas_->DrawFocusRect(rect);
}

Integer TCustomComboBox::ownerItemHeight(Integer index) {
    Integer height = itemHeight_;
    if (style_ == csOwnerDrawVariable) MeasureItem(index, height);
    return height;
}

void TCustomComboBox::DrawItem(Integer Index, const TRect& Rect, TOwnerDrawState State) {
    if (OnDrawItem) {
        OnDrawItem(this, Index, Rect, State);
        return;
    }
    canvas_->FillRect(Rect);
    if (Index >= 0) canvas_->TextOut(Rect.Left + 2, Rect.Top, items_->Get(Index));
}

void TCustomComboBox::MeasureItem(Integer Index, Integer& Height) {
    if (OnMeasureItem) OnMeasureItem(this, Index, Height);
}
