#include "StdCtrls.h"

#include "ControlsWidget.h"

#include <QtGui/QMouseEvent>
#include <QtWidgets/QAbstractButton>
#include <QtWidgets/QCheckBox>
#include <QtWidgets/QListWidget>
#include <QtWidgets/QPlainTextEdit>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QRadioButton>

#include <algorithm>
#include <utility>

namespace {

// A plain character of a dialog-character message (Alt not needed).
WideChar DialogCharOf(const TMessage& m) {
    return WideChar(char16_t(m.WParam));
}

}  // namespace

// ------------------------------------------------------------ TCaptionControl

TCaptionControl::TCaptionControl(TComponent* AOwner) : TGraphicControl(AOwner) {
    SetControlStyle(ControlStyle() + csOpaque + csReplicatable);
    SetBounds(0, 0, 65, 17);
    TControl::SetAutoSize(true);
}

QString TCaptionControl::GetLabelText() const {
    return Caption();
}

void TCaptionControl::SetAlignment(TAlignment alignment) {
    if (alignment_ == alignment) return;
    alignment_ = alignment;
    Invalidate();
}

void TCaptionControl::SetLayout(TTextLayout layout) {
    if (layout_ == layout) return;
    layout_ = layout;
    Invalidate();
}

void TCaptionControl::SetWordWrap(bool on) {
    if (wordWrap_ == on) return;
    wordWrap_ = on;
    AdjustBounds();
    Invalidate();
}

void TCaptionControl::SetTransparent(bool on) {
    if (Transparent() == on) return;
    SetControlStyle(on ? ControlStyle() - csOpaque : ControlStyle() + csOpaque);
    Invalidate();
}

void TCaptionControl::SetShowAccelChar(bool on) {
    if (showAccelChar_ == on) return;
    showAccelChar_ = on;
    Invalidate();
}

void TCaptionControl::SetFocusControl(TWinControl* control) {
    if (focusControl_) focusControl_->RemoveFreeNotification(this);
    focusControl_ = control;
    if (control) control->FreeNotification(this);
}

void TCaptionControl::Notification(TComponent* AComponent, TOperation Operation) {
    TGraphicControl::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == focusControl_) focusControl_ = nullptr;
}

void TCaptionControl::SetAutoSize(bool on) {
    if (AutoSize() == on) return;
    TControl::SetAutoSize(on);
    AdjustBounds();
}

void TCaptionControl::Loaded() {
    TGraphicControl::Loaded();
    AdjustBounds();
}

void TCaptionControl::DoDrawText(TRect& Rect, Cardinal Flags) {
    QString text = GetLabelText();
    if ((Flags & DT_CALCRECT) && (text.isEmpty() || (showAccelChar_ && text == QLatin1String("&"))))
        text += QLatin1Char(' ');
    if (!showAccelChar_) Flags |= DT_NOPREFIX;
    TCanvas* c = Canvas();
    c->SetFont(Font());
    if (Enabled() || (Flags & DT_CALCRECT)) DrawText(c->Handle(), text, -1, Rect, Flags);
    else DrawDisabledText(c, text, Rect, Flags);
}

void TCaptionControl::PaintBackground(TCanvas* canvas) {
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(Color());
    canvas->FillRect(ClientRect());
}

void TCaptionControl::Paint() {
    TCanvas* c = Canvas();
    if (!Transparent()) PaintBackground(c);
    c->Brush()->SetStyle(bsClear);
    TRect r = ClientRect();
    const Cardinal flags = DT_EXPANDTABS | (wordWrap_ ? DT_WORDBREAK : 0) | DrawTextAlignment(alignment_);
    if (layout_ != tlTop) {
        TRect calc = r;
        DoDrawText(calc, flags | DT_CALCRECT);
        const Integer dy = layout_ == tlBottom ? Height() - calc.Bottom : (Height() - calc.Bottom) / 2;
        r.Offset(0, dy);
    }
    DoDrawText(r, flags);
}

void TCaptionControl::AdjustBounds() {
    if (ComponentState().Contains(csReading) || !AutoSize()) return;
    TRect r = ClientRect();
    DoDrawText(r, DT_EXPANDTABS | DT_CALCRECT | (wordWrap_ ? DT_WORDBREAK : 0));
    Integer x = Left();
    if (alignment_ == taRightJustify) x += Width() - r.Right;
    SetBounds(x, Top(), r.Right, r.Bottom);
}

void TCaptionControl::CMTextChanged(TMessage& Message) {
    TGraphicControl::CMTextChanged(Message);
    AdjustBounds();
}

void TCaptionControl::CMFontChanged(TMessage& Message) {
    TGraphicControl::CMFontChanged(Message);
    AdjustBounds();
}

void TCaptionControl::CMDialogChar(TMessage& Message) {
    if (focusControl_ && Enabled() && showAccelChar_ && IsAccel(DialogCharOf(Message), Caption()) &&
        focusControl_->CanFocus()) {
        focusControl_->SetFocus();
        Message.Result = 1;
    }
}

// ------------------------------------------------------------ buttons

TButtonControl::TButtonControl(TComponent* AOwner) : TWinControl(AOwner) {
    SetTabStop(true);
}

void TButtonControl::InitWidget() {
    TWinControl::InitWidget();
    showCaption();
}

void TButtonControl::CMTextChanged(TMessage& Message) {
    TWinControl::CMTextChanged(Message);
    showCaption();
}

void TButtonControl::showCaption() {
    if (auto* b = dynamic_cast<QAbstractButton*>(Widget())) b->setText(Caption());
}

TButton::TButton(TComponent* AOwner) : TButtonControl(AOwner) {
    SetControlStyle({csSetCaption, csDoubleClicks});
    SetBounds(0, 0, 75, 25);
}

QWidget* TButton::CreateWidget(QWidget* parent) {
    auto* b = new TControlWidget<QPushButton>(this, parent);
    b->setAutoDefault(false);
    QObject::connect(b, &QPushButton::clicked, b, [this] { Click(); });
    return b;
}

void TButton::SetDefault(bool on) {
    default_ = on;
    if (auto* b = dynamic_cast<QPushButton*>(Widget())) b->setDefault(on);
}

bool TButton::active() const {
    if (Focused()) return true;
    if (!default_) return false;
    // The default button acts unless another button has the focus.
    const TCustomForm* form = GetParentForm(this);
    return !form || !dynamic_cast<TButtonControl*>(form->ActiveControl());
}

void TButton::Click() {
    if (TCustomForm* form = GetParentForm(this)) form->SetModalResult(modalResult_);
    TButtonControl::Click();
}

void TButton::WndProc(TMessage& Message) {
    if (Message.Msg == WM_GETDLGCODE) {
        Message.Result = DLGC_BUTTON | (active() ? DLGC_DEFPUSHBUTTON : DLGC_UNDEFPUSHBUTTON);
        return;
    }
    TButtonControl::WndProc(Message);
}

void TButton::CMDialogKey(TMessage& Message) {
    const bool enter = Message.WParam == VK_RETURN && active();
    const bool escape = Message.WParam == VK_ESCAPE && cancel_;
    if ((enter || escape) && KeyDataToShiftState(Message.LParam).Empty() && CanFocus()) {
        Click();
        Message.Result = 1;
    }
}

void TButton::CMDialogChar(TMessage& Message) {
    if (IsAccel(DialogCharOf(Message), Caption()) && CanFocus()) {
        Click();
        Message.Result = 1;
    }
}

// ------------------------------------------------------------ TCustomCheckBox

TCustomCheckBox::TCustomCheckBox(TComponent* AOwner) : TButtonControl(AOwner) {
    SetControlStyle({csSetCaption, csDoubleClicks});
    SetBounds(0, 0, 97, 17);
}

QWidget* TCustomCheckBox::CreateWidget(QWidget* parent) {
    auto* b = new TControlWidget<QCheckBox>(this, parent);
    // The user's click goes through Toggle; code never emits clicked.
    QObject::connect(b, &QCheckBox::clicked, b, [this] { Toggle(); });
    return b;
}

void TCustomCheckBox::InitWidget() {
    TButtonControl::InitWidget();
    auto* b = static_cast<QCheckBox*>(Widget());
    b->setTristate(allowGrayed_);
    b->setLayoutDirection(alignment_ == taLeftJustify ? Qt::RightToLeft : Qt::LeftToRight);
    showState();
}

void TCustomCheckBox::showState() {
    auto* b = dynamic_cast<QCheckBox*>(Widget());
    if (!b) return;
    const QSignalBlocker block(b);
    b->setCheckState(state_ == cbChecked ? Qt::Checked : state_ == cbGrayed ? Qt::PartiallyChecked : Qt::Unchecked);
}

void TCustomCheckBox::SetState(TCheckBoxState state) {
    if (state_ == state) return;
    state_ = state;
    showState();
    Click();
}

void TCustomCheckBox::SetAllowGrayed(bool on) {
    allowGrayed_ = on;
    if (auto* b = dynamic_cast<QCheckBox*>(Widget())) b->setTristate(on);
}

void TCustomCheckBox::SetAlignment(TAlignment alignment) {
    alignment_ = alignment;
    if (QWidget* w = Widget()) w->setLayoutDirection(alignment == taLeftJustify ? Qt::RightToLeft : Qt::LeftToRight);
}

void TCustomCheckBox::Toggle() {
    switch (state_) {
    case cbUnchecked: SetState(allowGrayed_ ? cbGrayed : cbChecked); break;
    case cbChecked: SetState(cbUnchecked); break;
    case cbGrayed: SetState(cbChecked); break;
    }
    // Qt changed the box itself; the state decides what it shows.
    showState();
}

void TCustomCheckBox::WndProc(TMessage& Message) {
    if (Message.Msg == WM_GETDLGCODE) {
        Message.Result = DLGC_BUTTON;
        return;
    }
    TButtonControl::WndProc(Message);
}

void TCustomCheckBox::CMDialogChar(TMessage& Message) {
    if (IsAccel(DialogCharOf(Message), Caption()) && CanFocus()) {
        SetFocus();
        if (Focused()) Toggle();
        Message.Result = 1;
    }
}

// ------------------------------------------------------------ TRadioButton

TRadioButton::TRadioButton(TComponent* AOwner) : TButtonControl(AOwner) {
    SetControlStyle({csSetCaption, csDoubleClicks});
    SetBounds(0, 0, 113, 17);
}

QWidget* TRadioButton::CreateWidget(QWidget* parent) {
    auto* b = new TControlWidget<QRadioButton>(this, parent);
    b->setAutoExclusive(false);
    QObject::connect(b, &QRadioButton::clicked, b, [this] {
        if (checked_) {
            // A checked radio button stays checked when clicked again.
            if (auto* r = dynamic_cast<QRadioButton*>(Widget())) {
                const QSignalBlocker block(r);
                r->setChecked(true);
            }
            return;
        }
        SetChecked(true);
    });
    return b;
}

void TRadioButton::InitWidget() {
    TButtonControl::InitWidget();
    auto* b = static_cast<QRadioButton*>(Widget());
    const QSignalBlocker block(b);
    b->setChecked(checked_);
}

void TRadioButton::SetChecked(bool on) {
    if (checked_ == on) return;
    checked_ = on;
    if (auto* b = dynamic_cast<QRadioButton*>(Widget())) {
        const QSignalBlocker block(b);
        b->setChecked(on);
    }
    if (!on) return;
    if (TWinControl* parent = Parent()) {
        for (Integer i = 0; i < parent->ControlCount(); ++i) {
            auto* sibling = dynamic_cast<TRadioButton*>(parent->Controls(i));
            if (sibling && sibling != this) sibling->SetChecked(false);
        }
    }
    Click();
}

void TRadioButton::WndProc(TMessage& Message) {
    if (Message.Msg == WM_GETDLGCODE) {
        Message.Result = DLGC_BUTTON | DLGC_RADIOBUTTON;
        return;
    }
    TButtonControl::WndProc(Message);
}

void TRadioButton::CMDialogChar(TMessage& Message) {
    if (IsAccel(DialogCharOf(Message), Caption()) && CanFocus()) {
        SetFocus();
        SetChecked(true);
        Message.Result = 1;
    }
}

// ------------------------------------------------------------ TCustomGroupBox

TCustomGroupBox::TCustomGroupBox(TComponent* AOwner) : TCustomControl(AOwner) {
    SetControlStyle({csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks,
                     csReplicatable, csParentBackground});
    SetBounds(0, 0, 185, 105);
}

void TCustomGroupBox::AdjustClientRect(TRect& Rect) {
    TCustomControl::AdjustClientRect(Rect);
    Canvas()->SetFont(Font());
    Rect.Top += Canvas()->TextHeight(QStringLiteral("0"));
    InflateRect(Rect, -1, -1);
    if (Ctl3D()) InflateRect(Rect, -1, -1);
}

void TCustomGroupBox::Paint() {
    TCanvas* c = Canvas();
    c->SetFont(Font());
    const Integer h = c->TextHeight(QStringLiteral("0"));
    TRect r(0, h / 2 - 1, Width(), Height());
    c->Brush()->SetStyle(bsSolid);
    if (Ctl3D()) {
        ++r.Left;
        ++r.Top;
        c->Brush()->SetColor(clBtnHighlight);
        c->FrameRect(r);
        r.Offset(-1, -1);
        c->Brush()->SetColor(clBtnShadow);
    } else {
        c->Brush()->SetColor(clWindowFrame);
    }
    c->FrameRect(r);
    if (Caption().isEmpty()) return;
    TRect t(8, 0, 0, h);
    DrawText(c->Handle(), Caption(), -1, t, DT_LEFT | DT_SINGLELINE | DT_CALCRECT);
    c->Brush()->SetColor(Color());
    if (Enabled()) {
        DrawText(c->Handle(), Caption(), -1, t, DT_LEFT | DT_SINGLELINE);
        return;
    }
    // The frame line goes from behind the caption first: the shadow must
    // not be painted over again.
    c->FillRect(t);
    c->Brush()->SetStyle(bsClear);
    DrawDisabledText(c, Caption(), t, DT_LEFT | DT_SINGLELINE);
}

void TCustomGroupBox::CMTextChanged(TMessage& Message) {
    TCustomControl::CMTextChanged(Message);
    Invalidate();
    Realign();
}

void TCustomGroupBox::CMDialogChar(TMessage& Message) {
    if (IsAccel(DialogCharOf(Message), Caption()) && CanFocus()) {
        if (TWinControl* first = FindNextControl(nullptr, true, true, true)) first->SetFocus();
        Message.Result = 1;
        return;
    }
    TCustomControl::CMDialogChar(Message);
}

// ------------------------------------------------------------ TCustomMemo

TCustomMemo::TCustomMemo(TComponent* AOwner) : TWinControl(AOwner), lines_(std::make_unique<TStringList>()) {
    SetControlStyle({csCaptureMouse, csDoubleClicks, csSetCaption});
    SetBounds(0, 0, 185, 89);
    SetColor(clWindow);
    SetTabStop(true);
    lines_->OnChange = [this](TObject*) { linesChanged(); };
}

TCustomMemo::~TCustomMemo() {
    lines_->OnChange = nullptr;
}

QWidget* TCustomMemo::CreateWidget(QWidget* parent) {
    auto* e = new TControlWidget<QPlainTextEdit>(this, parent);
    QObject::connect(e, &QPlainTextEdit::textChanged, e, [this] { widgetEdited(); });
    return e;
}

void TCustomMemo::InitWidget() {
    TWinControl::InitWidget();
    applyOptions();
    linesChanged();
    if (!pendingSelection_) return;
    // The selection made before the editor existed.
    const QString plain = dynamic_cast<QPlainTextEdit*>(Widget())->toPlainText();
    selectPlain(fromTextPos(plain, selStart_), fromTextPos(plain, selStart_ + selLength_));
    pendingSelection_ = false;
}

void TCustomMemo::applyOptions() {
    auto* e = dynamic_cast<QPlainTextEdit*>(Widget());
    if (!e) return;
    e->setReadOnly(readOnly_);
    e->setLineWrapMode(wordWrap_ ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
    const bool horizontal = scrollBars_ == ssHorizontal || scrollBars_ == ssBoth;
    const bool vertical = scrollBars_ == ssVertical || scrollBars_ == ssBoth;
    e->setHorizontalScrollBarPolicy(horizontal ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    e->setVerticalScrollBarPolicy(vertical ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
}

QString TCustomMemo::GetText() const {
    return lines_->ToStringList().join(QStringLiteral("\r\n"));
}

void TCustomMemo::SetText(const QString& text) {
    if (GetText() == text) return;
    lines_->SetText(text);
    Perform(CM_TEXTCHANGED);
}

void TCustomMemo::SetReadOnly(bool on) {
    readOnly_ = on;
    applyOptions();
}

void TCustomMemo::SetWordWrap(bool on) {
    wordWrap_ = on;
    applyOptions();
}

void TCustomMemo::SetScrollBars(TScrollStyle style) {
    scrollBars_ = style;
    applyOptions();
}

void TCustomMemo::Clear() {
    lines_->Clear();
}

void TCustomMemo::SelectAll() {
    selStart_ = 0;
    selLength_ = Integer(GetText().size());
    pendingSelection_ = true;
    if (auto* e = dynamic_cast<QPlainTextEdit*>(Widget())) e->selectAll();
}

Integer TCustomMemo::toTextPos(const QString& plain, Integer pos) const {
    pos = std::clamp(pos, Integer(0), Integer(plain.size()));
    return pos + Integer(QStringView(plain).left(pos).count(QLatin1Char('\n')));
}

Integer TCustomMemo::fromTextPos(const QString& plain, Integer pos) const {
    Integer units = 0;
    Integer i = 0;
    for (; i < plain.size(); ++i) {
        const Integer width = plain[i] == QLatin1Char('\n') ? 2 : 1;
        if (units + width > pos) break;
        units += width;
    }
    return i;
}

void TCustomMemo::selectPlain(Integer anchor, Integer position) {
    auto* e = dynamic_cast<QPlainTextEdit*>(Widget());
    QTextCursor cursor = e->textCursor();
    cursor.setPosition(anchor);
    cursor.setPosition(position, QTextCursor::KeepAnchor);
    e->setTextCursor(cursor);
}

Integer TCustomMemo::SelStart() const {
    auto* e = dynamic_cast<QPlainTextEdit*>(Widget());
    if (!e) return selStart_;
    return toTextPos(e->toPlainText(), e->textCursor().selectionStart());
}

void TCustomMemo::SetSelStart(Integer start) {
    auto* e = dynamic_cast<QPlainTextEdit*>(Widget());
    if (!e) {
        selStart_ = std::clamp(start, Integer(0), Integer(GetText().size()));
        selLength_ = 0;
        pendingSelection_ = true;
        return;
    }
    const Integer pos = fromTextPos(e->toPlainText(), start);
    selectPlain(pos, pos);
}

Integer TCustomMemo::SelLength() const {
    auto* e = dynamic_cast<QPlainTextEdit*>(Widget());
    if (!e) return selLength_;
    const QString plain = e->toPlainText();
    const QTextCursor cursor = e->textCursor();
    return toTextPos(plain, cursor.selectionEnd()) - toTextPos(plain, cursor.selectionStart());
}

void TCustomMemo::SetSelLength(Integer length) {
    auto* e = dynamic_cast<QPlainTextEdit*>(Widget());
    const Integer start = SelStart();
    if (!e) {
        selLength_ = std::clamp(length, Integer(0), Integer(GetText().size()) - start);
        pendingSelection_ = true;
        return;
    }
    const QString plain = e->toPlainText();
    selectPlain(fromTextPos(plain, start), fromTextPos(plain, start + std::max(length, Integer(0))));
}

QString TCustomMemo::SelText() const {
    return GetText().mid(SelStart(), SelLength());
}

void TCustomMemo::SetSelText(const QString& text) {
    const Integer start = SelStart();
    const QString whole = GetText();
    QString plain = text;
    plain.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    auto* e = dynamic_cast<QPlainTextEdit*>(Widget());
    if (!e) {
        QString joined = whole;
        joined.replace(start, SelLength(), text);
        SetText(joined);
        selStart_ = start + Integer(text.size());
        selLength_ = 0;
        pendingSelection_ = true;
        return;
    }
    QTextCursor cursor = e->textCursor();
    cursor.insertText(plain);
    e->setTextCursor(cursor);
}

// The lines changed by code: the editor shows them.
void TCustomMemo::linesChanged() {
    if (syncing_) return;
    if (auto* e = dynamic_cast<QPlainTextEdit*>(Widget())) {
        syncing_ = true;
        e->setPlainText(lines_->ToStringList().join(QLatin1Char('\n')));
        e->moveCursor(QTextCursor::End);
        syncing_ = false;
    }
    Change();
}

// The user edited: the lines follow the editor.
void TCustomMemo::widgetEdited() {
    if (syncing_) return;
    auto* e = dynamic_cast<QPlainTextEdit*>(Widget());
    if (!e) return;
    syncing_ = true;
    const QString text = e->toPlainText();
    lines_->SetStringList(text.isEmpty() ? QStringList() : text.split(QLatin1Char('\n')));
    syncing_ = false;
    Change();
}

void TCustomMemo::Change() {
    if (OnChange) OnChange(this);
}

void TCustomMemo::WndProc(TMessage& Message) {
    if (Message.Msg == WM_GETDLGCODE) {
        Message.Result = DLGC_WANTARROWS | DLGC_WANTCHARS | DLGC_HASSETSEL;
        if (wantReturns_) Message.Result |= DLGC_WANTALLKEYS;
        if (wantTabs_) Message.Result |= DLGC_WANTTAB;
        return;
    }
    TWinControl::WndProc(Message);
}

// ------------------------------------------------------------ TCustomListBox

namespace {

// The Qt side of a list box. The items lie on the viewport, whose mouse
// goes to the control first (the buttons in the list's own coordinates);
// the native handling gets the viewport's event back.
class TListBoxWidget : public TControlWidget<QListWidget> {
public:
    using TControlWidget<QListWidget>::TControlWidget;

    bool BaseEvent(QEvent* event) override {
        if (event == seen_) return QListWidget::viewportEvent(original_);
        return TControlWidget<QListWidget>::BaseEvent(event);
    }

protected:
    bool viewportEvent(QEvent* e) override {
        switch (e->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove: {
            QMouseEvent mapped = ViewportMouseInArea(*static_cast<QMouseEvent*>(e), *viewport());
            return forward(e, &mapped);
        }
        // Qt's scrolling would keep the wheel from the control.
        case QEvent::Wheel: return forward(e, e);
        default: return QListWidget::viewportEvent(e);
        }
    }
    // Qt makes the first item current when a list without one takes the
    // focus, unless the view itself was told its current item: the focus
    // alone chooses nothing.
    void focusInEvent(QFocusEvent* e) override {
        if (!currentIndex().isValid()) setCurrentIndex(QModelIndex());
        QListWidget::focusInEvent(e);
    }

private:
    // The control sees the event as seen; original is the viewport's own.
    bool forward(QEvent* original, QEvent* seen) {
        if (!Control()) return QListWidget::viewportEvent(original);
        seen->setAccepted(false);
        QEvent* outerSeen = std::exchange(seen_, seen);
        QEvent* outerOriginal = std::exchange(original_, original);
        Forward(seen);
        seen_ = outerSeen;
        original_ = outerOriginal;
        original->setAccepted(seen->isAccepted());
        return true;
    }

    QEvent* seen_ = nullptr;
    QEvent* original_ = nullptr;
};

}  // namespace

TCustomListBox::TCustomListBox(TComponent* AOwner)
    : TWinControl(AOwner), items_(std::make_unique<TStringList>()) {
    SetControlStyle({csSetCaption, csDoubleClicks});
    SetBounds(0, 0, 121, 97);
    SetColor(clWindow);
    SetTabStop(true);
    items_->OnChange = [this](TObject*) { itemsChanged(); };
}

TCustomListBox::~TCustomListBox() {
    items_->OnChange = nullptr;
}

QWidget* TCustomListBox::CreateWidget(QWidget* parent) {
    auto* list = new TListBoxWidget(this, parent);
    QObject::connect(list, &QListWidget::currentRowChanged, list, [this](int row) { userSelected(row); });
    QObject::connect(list, &QAbstractItemView::doubleClicked, list, [this](const QModelIndex&) { DblClick(); });
    return list;
}

void TCustomListBox::InitWidget() {
    TWinControl::InitWidget();
    itemsChanged();
}

void TCustomListBox::itemsChanged() {
    if (itemIndex_ >= items_->Count()) itemIndex_ = -1;
    auto* list = dynamic_cast<QListWidget*>(Widget());
    if (!list) return;
    syncing_ = true;
    list->clear();
    list->addItems(items_->ToStringList());
    list->setCurrentRow(itemIndex_);
    syncing_ = false;
}

void TCustomListBox::SetItemIndex(Integer index) {
    if (index < -1 || index >= items_->Count()) index = -1;
    itemIndex_ = index;
    if (auto* list = dynamic_cast<QListWidget*>(Widget())) {
        syncing_ = true;
        list->setCurrentRow(index);
        syncing_ = false;
    }
}

void TCustomListBox::userSelected(Integer row) {
    if (syncing_) return;
    itemIndex_ = row;
    Click();
}

void TCustomListBox::WndProc(TMessage& Message) {
    if (Message.Msg == WM_GETDLGCODE) {
        Message.Result = DLGC_WANTARROWS | DLGC_WANTCHARS;
        return;
    }
    // An automatic drag carries the item pressed: the press chooses it
    // (and raises OnMouseDown) before the drag begins.
    if ((Message.Msg == WM_LBUTTONDOWN || Message.Msg == WM_LBUTTONDBLCLK) && DragMode() == dmAutomatic) {
        const auto guard = Guard();
        WMMouse(Message);
        if (!guard.expired()) BeginDrag(false);
        return;
    }
    TWinControl::WndProc(Message);
}
