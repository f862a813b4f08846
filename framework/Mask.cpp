#include "Mask.h"

#include <QtWidgets/QLineEdit>

namespace {

// Qt's code for each position kind of the mask; the others are literals.
QChar QtCode(QChar c) {
    switch (c.unicode()) {
    case u'0': return u'9';
    case u'9': return u'0';
    case u'#': return u'#';
    case u'L': return u'A';
    case u'l': return u'a';
    case u'A': return u'N';
    case u'a': return u'n';
    case u'C': return u'X';
    case u'c': return u'x';
    default: return QChar();
    }
}

// A literal in Qt's notation: Qt's own codes need a backslash.
QString QtLiteral(QChar c) {
    static const QString special = QStringLiteral("AaNnXx90Dd#HhBb><!\\;[]{}");
    return special.contains(c) ? QStringLiteral("\\") + c : QString(c);
}

}  // namespace

TEditMask::TEditMask(const QString& mask) {
    const QStringList fields = mask.split(u';');
    if (fields.size() > 1) saveLiterals = fields[1].trimmed() != u"0";
    if (fields.size() > 2 && !fields[2].isEmpty()) blank = fields[2][0];
    const QString& core = fields[0];
    for (qsizetype i = 0; i < core.size(); ++i) {
        const QChar c = core[i];
        if (c == u'<' && i + 1 < core.size() && core[i + 1] == u'>') {
            qtItems.push_back(QStringLiteral("!"));
            ++i;
        } else if (c == u'>' || c == u'<') {
            qtItems.push_back(QString(c));
        } else if (c == u'!') {
            // Where optional blanks go does not change what is kept.
        } else if (const QChar code = QtCode(c); !code.isNull()) {
            qtItems.push_back(QString(code));
            positions.push_back({code, false});
        } else {
            const QChar literal = c == u'_' ? QChar(u' ') : c == u'\\' && i + 1 < core.size() ? core[++i] : c;
            qtItems.push_back(QtLiteral(literal));
            positions.push_back({literal, true});
        }
    }
}

QString TEditMask::QtInputMask() const {
    if (IsEmpty()) return QString();
    QString qt;
    for (const QString& item : qtItems) qt += item;
    return qt + u';' + blank;
}

QString TEditMask::TextOf(const QString& editText) const {
    QString text;
    for (size_t i = 0; i < positions.size() && i < size_t(editText.size()); ++i) {
        const QChar c = editText[qsizetype(i)];
        if (positions[i].literal) {
            if (saveLiterals) text += c;
        } else {
            text += c == blank ? QChar(u' ') : c;
        }
    }
    return text;
}

TCustomMaskEdit::TCustomMaskEdit(TComponent* AOwner) : TCustomEdit(AOwner) {}

TCustomMaskEdit::~TCustomMaskEdit() = default;

void TCustomMaskEdit::SetEditMask(const QString& mask) {
    if (mask == editMask_) return;
    editMask_ = mask;
    mask_ = TEditMask(mask);
    if (QLineEdit* edit = LineEdit()) edit->setInputMask(mask_.QtInputMask());
}

QString TCustomMaskEdit::EditText() const {
    const QLineEdit* edit = LineEdit();
    return edit && IsMasked() ? edit->displayText() : TCustomEdit::GetText();
}

QString TCustomMaskEdit::GetText() const {
    return LineEdit() && IsMasked() ? mask_.TextOf(EditText()) : TCustomEdit::GetText();
}

void TCustomMaskEdit::InitWidget() {
    TCustomEdit::InitWidget();
    if (IsMasked()) LineEdit()->setInputMask(mask_.QtInputMask());
}

void TCustomMaskEdit::Change() {
    const QString shown = EditText();
    if (IsMasked() && shown == lastEditText_) return;
    lastEditText_ = shown;
    TCustomEdit::Change();
}
