#include "StdCtrlsEdit.h"

#include "ControlsWidget.h"

#include <QtCore/QCoreApplication>
#include <QtGui/QFocusEvent>
#include <QtGui/QValidator>
#include <QtWidgets/QLineEdit>

#include <algorithm>

// Applies the character case and the length limit to what the user types
// or pastes; the widget runs it on every change of its text.
class TEditLimit : public QValidator {
public:
    TEditLimit(TCustomEdit* edit, QObject* parent) : QValidator(parent), edit_(edit) {}
    void Detach() { edit_ = nullptr; }
    State validate(QString& input, int& pos) const override {
        if (!edit_) return Acceptable;
        const QString limited = edit_->limitInput(input, pos);
        // The widget takes a changed input as a new text, which it counts
        // as unmodified: the user's edit is marked again once it arrived.
        if (limited != input) edit_->reEdited_ = true;
        input = limited;
        return Acceptable;
    }

private:
    TCustomEdit* edit_;
};

namespace {

// Selects length units from start, or puts the caret at start.
void ShowSelection(QLineEdit* e, Integer start, Integer length) {
    if (length > 0) {
        e->setSelection(start, length);
    } else {
        e->deselect();
        e->setCursorPosition(start);
    }
}

// Whether the focus leaves for a pop-up (a menu): Qt keeps the selection.
bool LeavingForPopup() {
    const TNativeEvent* native = CurrentNativeEvent();
    return native && native->Event && native->Event->type() == QEvent::FocusOut &&
           static_cast<QFocusEvent*>(native->Event)->reason() == Qt::PopupFocusReason;
}

// The part of text that differs from old, as [from, from + length).
void ChangedPart(const QString& old, const QString& text, qsizetype& from, qsizetype& length) {
    const qsizetype shorter = std::min(old.size(), text.size());
    from = 0;
    while (from < shorter && old[from] == text[from]) ++from;
    qsizetype tail = 0;
    while (tail < shorter - from && old[old.size() - 1 - tail] == text[text.size() - 1 - tail]) ++tail;
    length = text.size() - from - tail;
}

Qt::Alignment QtAlignmentOf(TAlignment alignment) {
    switch (alignment) {
    case taRightJustify: return Qt::AlignRight | Qt::AlignVCenter;
    case taCenter: return Qt::AlignHCenter | Qt::AlignVCenter;
    default: return Qt::AlignLeft | Qt::AlignVCenter;
    }
}

}  // namespace

QString ApplyCharCase(const QString& text, TEditCharCase charCase) {
    switch (charCase) {
    case ecUpperCase: return text.toUpper();
    case ecLowerCase: return text.toLower();
    default: return text;
    }
}

TCustomEdit::TCustomEdit(TComponent* AOwner) : TWinControl(AOwner) {
    SetControlStyle({csClickEvents, csSetCaption, csDoubleClicks, csFixedHeight});
    SetTabStop(true);
    SetParentColor(false);
    SetColor(clWindow);
    SetBounds(0, 0, 121, 21);
    SetAutoSize(true);
    AdjustHeight();
}

TCustomEdit::~TCustomEdit() {
    if (QLineEdit* e = LineEdit()) {
        DisconnectControlHandlers(e);
        if (limit_) limit_->Detach();
    }
    limit_ = nullptr;
}

QLineEdit* TCustomEdit::LineEdit() const {
    return static_cast<QLineEdit*>(Widget());
}

// ------------------------------------------------------------ widget

QWidget* TCustomEdit::CreateWidget(QWidget* parent) {
    auto* e = new TControlWidget<QLineEdit>(this, parent);
    limit_ = new TEditLimit(this, e);
    e->setValidator(limit_);
    settingText_ = true;
    e->setText(text_);
    settingText_ = false;
    // A new widget has no focus yet.
    parked_ = hideSelection_;
    if (!parked_) ShowSelection(e, selStart_, selLength_);
    e->setModified(modified_);
    QObject::connect(e, &QLineEdit::textChanged, e, [this](const QString& text) { widgetTextChanged(text); });
    return e;
}

void TCustomEdit::InitWidget() {
    TWinControl::InitWidget();
    applyWidgetOptions();
}

void TCustomEdit::applyWidgetOptions() {
    QLineEdit* e = LineEdit();
    if (!e) return;
    e->setReadOnly(readOnly_);
    e->setFrame(borderStyle_ != bsNone);
    // A borderless box keeps one pixel beside its text, as the box layout
    // (width = text + 2 borders) expects; the line edit's own side margin is 2.
    e->setTextMargins(borderStyle_ == bsNone ? QMargins(-1, 0, -1, 0) : QMargins());
    e->setAlignment(QtAlignmentOf(alignment_));
    e->setEchoMode(passwordChar_.isNull() ? QLineEdit::Normal : QLineEdit::Password);
    // The line edit asks the style for its mask character (PasswordChar,
    // WidgetStyle.cpp) only when it is made or its style changes.
    QEvent styleChange(QEvent::StyleChange);
    QCoreApplication::sendEvent(e, &styleChange);
}

// The widget is going (RecreateWnd): what it held stays with the control.
void TCustomEdit::DestroyWnd() {
    if (QLineEdit* e = LineEdit()) {
        text_ = e->text();
        modified_ = e->isModified();
        selStart_ = SelStart();
        selLength_ = SelLength();
        DisconnectControlHandlers(e);
        if (limit_) limit_->Detach();
        limit_ = nullptr;
    }
    TWinControl::DestroyWnd();
}

TRect TCustomEdit::BorderInsets() const {
    if (borderStyle_ == bsNone) return TRect();
    const Integer w = Ctl3D() ? 2 : 1;
    return TRect(w, w, w, w);
}

// ------------------------------------------------------------ text

QString TCustomEdit::GetText() const {
    return text_;
}

void TCustomEdit::SetText(const QString& text) {
    const QString value = ApplyCharCase(text, charCase_);
    if (value == text_) return;
    if (QLineEdit* e = LineEdit()) {
        settingText_ = true;
        try {
            e->setText(value);
        } catch (...) {
            settingText_ = false;
            throw;
        }
        settingText_ = false;
        // The platform's edit puts the caret in front after a new text.
        if (LineEdit() == e) e->setCursorPosition(0);
        selStart_ = 0;
        selLength_ = 0;
    } else {
        text_ = value;
        modified_ = false;
        selStart_ = 0;
        selLength_ = 0;
        Change();
    }
    Perform(CM_TEXTCHANGED);
}

void TCustomEdit::widgetTextChanged(const QString& text) {
    text_ = text;
    if (reEdited_) {
        reEdited_ = false;
        LineEdit()->setModified(true);
    }
    Change();
}

void TCustomEdit::Change() {
    if (OnChange) OnChange(this);
}

QString TCustomEdit::limitInput(const QString& input, int& pos) const {
    QString out = ApplyCharCase(input, charCase_);
    if (settingText_) return out;
    if (oemConvert_) out = throughOemCodePage(out, pos);
    if (maxLength_ <= 0) return out;
    const qsizetype allowed = std::max<qsizetype>(maxLength_, text_.size());
    if (out.size() <= allowed) return out;
    // The units just typed or pasted end at the caret: the excess goes.
    qsizetype start = std::max<qsizetype>(0, pos - (out.size() - allowed));
    if (start > 0 && start < out.size() && out[start - 1].isHighSurrogate() && out[start].isLowSurrogate()) --start;
    out.remove(start, pos - start);
    pos = int(start);
    return out;
}

void TCustomEdit::SetMaxLength(Integer length) {
    if (length < 0) length = 0;
    if (maxLength_ == length) return;
    maxLength_ = length;
    DoSetMaxLength(length);
}

void TCustomEdit::DoSetMaxLength(Integer) {}

void TCustomEdit::SetReadOnly(bool on) {
    readOnly_ = on;
    if (QLineEdit* e = LineEdit()) e->setReadOnly(on);
}

bool TCustomEdit::Modified() const {
    const QLineEdit* e = LineEdit();
    return e ? e->isModified() : modified_;
}

void TCustomEdit::SetModified(bool on) {
    modified_ = on;
    if (QLineEdit* e = LineEdit()) e->setModified(on);
}

void TCustomEdit::SetBorderStyle(TBorderStyle style) {
    if (borderStyle_ == style) return;
    borderStyle_ = style;
    applyWidgetOptions();
    AdjustHeight();
    Perform(CM_BORDERCHANGED);
}

void TCustomEdit::SetAlignment(TAlignment alignment) {
    if (alignment_ == alignment) return;
    alignment_ = alignment;
    if (QLineEdit* e = LineEdit()) e->setAlignment(QtAlignmentOf(alignment));
}

void TCustomEdit::SetPasswordChar(WideChar c) {
    if (passwordChar_ == c) return;
    passwordChar_ = c;
    applyWidgetOptions();
}

QString TCustomEdit::throughOemCodePage(const QString& input, int& pos) const {
    qsizetype from = 0, length = 0;
    ChangedPart(text_, input, from, length);
    const QString typed = input.mid(from, length);
    const QString converted = AnsiToWide(WideToAnsi(typed));
    if (converted == typed) return input;
    const qsizetype shift = converted.size() - typed.size();
    if (pos >= from + length) pos = int(pos + shift);
    else if (pos > from) pos = int(std::min<qsizetype>(pos, from + converted.size()));
    return input.left(from) + converted + input.mid(from + length);
}

void TCustomEdit::SetHideSelection(bool on) {
    if (hideSelection_ == on) return;
    hideSelection_ = on;
    const QLineEdit* e = LineEdit();
    if (!e || e->hasFocus()) return;
    if (on) park(SelStart(), SelLength());
    else unpark();
}

void TCustomEdit::park(Integer start, Integer length) {
    QLineEdit* e = LineEdit();
    if (!e || parked_) return;
    selStart_ = start;
    selLength_ = length;
    parked_ = true;
    e->deselect();
}

void TCustomEdit::unpark() {
    QLineEdit* e = LineEdit();
    if (!e || !parked_) return;
    parked_ = false;
    ShowSelection(e, selStart_, selLength_);
}

void TCustomEdit::SetCharCase(TEditCharCase charCase) {
    if (charCase_ == charCase) return;
    charCase_ = charCase;
    SetText(text_);
}

void TCustomEdit::SetAutoSize(bool on) {
    TWinControl::SetAutoSize(on);
    if (on) AdjustHeight();
}

void TCustomEdit::AdjustHeight() {
    if (!AutoSize()) return;
    TCanvas canvas;
    canvas.Font()->Assign(Font());
    const Integer frame = (Ctl3D() ? 8 : 6) * GetSystemMetrics(SM_CYBORDER);
    SetHeight(canvas.TextHeight(QStringLiteral("0")) + frame);
}

// ------------------------------------------------------------ selection

Integer TCustomEdit::SelStart() const {
    const QLineEdit* e = LineEdit();
    if (!selectionInWidget()) return selStart_;
    return e->hasSelectedText() ? e->selectionStart() : e->cursorPosition();
}

void TCustomEdit::SetSelStart(Integer start) {
    start = std::clamp<Integer>(start, 0, Integer(text_.size()));
    if (selectionInWidget()) {
        ShowSelection(LineEdit(), start, 0);
    } else {
        selStart_ = start;
        selLength_ = 0;
    }
}

Integer TCustomEdit::SelLength() const {
    const QLineEdit* e = LineEdit();
    if (!selectionInWidget()) return selLength_;
    return e->hasSelectedText() ? Integer(e->selectionLength()) : 0;
}

void TCustomEdit::SetSelLength(Integer length) {
    const Integer start = SelStart();
    length = std::clamp<Integer>(length, 0, Integer(text_.size()) - start);
    if (selectionInWidget()) {
        ShowSelection(LineEdit(), start, length);
    } else {
        selLength_ = length;
    }
}

QString TCustomEdit::SelText() const {
    return text_.mid(SelStart(), SelLength());
}

void TCustomEdit::SetSelText(const QString& text) {
    if (QLineEdit* e = LineEdit()) {
        const bool parked = parked_;
        unpark();
        e->insert(text);
        if (parked) park(SelStart(), SelLength());
        return;
    }
    const Integer start = SelStart();
    QString t = text_;
    t.replace(start, SelLength(), text);
    text_ = ApplyCharCase(t, charCase_);
    selStart_ = std::min<Integer>(start + Integer(text.size()), Integer(text_.size()));
    selLength_ = 0;
    modified_ = true;
    Change();
}

void TCustomEdit::SelectAll() {
    if (selectionInWidget()) {
        LineEdit()->selectAll();
    } else {
        selStart_ = 0;
        selLength_ = Integer(text_.size());
    }
}

// Deletes the selected text, as the platform's ClearSelection does.
void TCustomEdit::ClearSelection() {
    if (SelLength() > 0) SetSelText(QString());
}

void TCustomEdit::CopyToClipboard() {
    if (QLineEdit* e = LineEdit()) e->copy();
}

void TCustomEdit::PasteFromClipboard() {
    if (QLineEdit* e = LineEdit()) e->paste();
}

void TCustomEdit::Clear() {
    SetText(QString());
}

// ------------------------------------------------------------ messages

void TCustomEdit::WndProc(TMessage& Message) {
    switch (Message.Msg) {
    case WM_GETDLGCODE:
        Message.Result = DLGC_WANTARROWS | DLGC_WANTCHARS | DLGC_HASSETSEL;
        return;
    case WM_SETFOCUS:
        // Back before the entry step, which may select everything.
        unpark();
        TWinControl::WndProc(Message);
        return;
    case CM_CTL3DCHANGED:
        AdjustHeight();
        return;
    default:
        TWinControl::WndProc(Message);
        return;
    }
}

void TCustomEdit::WMKillFocus(TMessage& Message) {
    QLineEdit* e = LineEdit();
    const Integer start = SelStart(), length = SelLength();
    const bool popup = LeavingForPopup();
    TWinControl::WMKillFocus(Message);
    if (!e || LineEdit() != e || parked_ || popup) return;
    if (hideSelection_) park(start, length);
    else ShowSelection(e, start, length);
}

void TCustomEdit::CMFontChanged(TMessage& Message) {
    TWinControl::CMFontChanged(Message);
    AdjustHeight();
}

void TCustomEdit::DoEnter() {
    if (autoSelect_ && !ControlState().Contains(csLButtonDown)) SelectAll();
    TWinControl::DoEnter();
}
