// The clipboard: text and pictures through the system clipboard (QClipboard).
#pragma once

#include "Classes.h"
#include "Graphics.h"

// Clipboard formats.
constexpr Word CF_TEXT = 1;
constexpr Word CF_BITMAP = 2;
constexpr Word CF_METAFILEPICT = 3;
constexpr Word CF_DIB = 8;
constexpr Word CF_UNICODETEXT = 13;
constexpr Word CF_ENHMETAFILE = 14;
constexpr Word CF_PICTURE = 0xC000;  // any picture the clipboard can give

class TClipboard : public TPersistent {
public:
    QString AsText() const;
    void SetAsText(const QString& text);
    // CF_TEXT and CF_UNICODETEXT: text; CF_BITMAP, CF_DIB, CF_PICTURE: an image.
    bool HasFormat(Word format) const;
    void Clear();

    // Copies a TBitmap, TPicture or other graphic as an image; text from
    // TStrings. Other sources raise EConvertError.
    void Assign(TPersistent* Source) override;

protected:
    // Pastes into a TBitmap or TPicture (EConvertError without an image).
    void AssignTo(TPersistent* Dest) override;
};

// The program's clipboard.
TClipboard* Clipboard();
