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
    // CF_TEXT and CF_UNICODETEXT: text; CF_BITMAP, CF_DIB: an image;
    // CF_ENHMETAFILE, CF_METAFILEPICT: a metafile; CF_PICTURE: either.
    bool HasFormat(Word format) const;
    void Clear();

    // Copies a TBitmap, TPicture or other graphic as an image, a metafile
    // as its records ("image/emf") together with its image drawn at its
    // size; text from TStrings. Other sources raise EConvertError.
    void Assign(TPersistent* Source) override;

protected:
    // Pastes into a TBitmap (the image), a TMetafile (the records;
    // EInvalidGraphic when they are damaged) or a TPicture (the metafile
    // when there is one, else the image); EConvertError when the clipboard
    // holds nothing of the kind.
    void AssignTo(TPersistent* Dest) override;
};

// The program's clipboard.
TClipboard* Clipboard();
