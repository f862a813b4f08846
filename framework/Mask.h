// Edit boxes that take their text through an edit mask.
#pragma once

#include "StdCtrlsEdit.h"

#include <vector>

// An edit mask: "mask[;save literals[;blank]]". In the mask, 0 is a digit,
// 9 an optional digit, # an optional digit or sign, L a letter, l an
// optional letter, A a letter or digit, a an optional one, C any
// character, c an optional one; > upper-cases what follows, < lower-cases
// it, <> leaves it as typed; \ takes the next character as it stands; _ is
// a blank; anything else stands for itself. A save-literals field of "0"
// keeps the literals out of Text; blank is the character shown in empty
// positions ("_" by default).
struct TEditMask {
    explicit TEditMask(const QString& mask);

    bool IsEmpty() const { return positions.empty(); }
    // The same mask in Qt's input-mask language.
    QString QtInputMask() const;
    // Text from the displayed text: blanks become spaces, literals stay
    // only when saved.
    QString TextOf(const QString& editText) const;

    struct Position {
        QChar qtCode;  // the Qt mask character, or the literal
        bool literal;
    };
    std::vector<QString> qtItems;  // each position or case switch, in Qt's notation
    std::vector<Position> positions;
    bool saveLiterals = true;
    QChar blank = u'_';
};

class TCustomMaskEdit : public TCustomEdit {
public:
    explicit TCustomMaskEdit(TComponent* AOwner);
    ~TCustomMaskEdit() override;

    const QString& EditMask() const { return editMask_; }
    void SetEditMask(const QString& mask);
    bool IsMasked() const { return !mask_.IsEmpty(); }
    // The text as shown, blanks included.
    QString EditText() const;
    // Without a mask, the text as typed; with one, as TEditMask::TextOf says.
    QString GetText() const override;

protected:
    void InitWidget() override;
    // Only when the shown text changed: a character the mask refuses changes nothing.
    void Change() override;

private:
    QString editMask_;
    QString lastEditText_;
    TEditMask mask_{QString()};
};

class TMaskEdit : public TCustomMaskEdit {
public:
    using TCustomMaskEdit::TCustomMaskEdit;
};
