#include "Clipbrd.h"

#include "Metafile.h"

#include <QtCore/QMimeData>
#include <QtGui/QClipboard>
#include <QtGui/QGuiApplication>
#include <QtGui/QImage>
#include <QtGui/QPainter>

namespace {

QClipboard* System() {
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) ? QGuiApplication::clipboard() : nullptr;
}

// A graphic drawn onto an image of its size (white where it leaves nothing).
QImage ImageOf(TGraphic* graphic) {
    if (auto* bitmap = dynamic_cast<TBitmap*>(graphic)) return bitmap->Image();
    if (!graphic || graphic->Empty()) return QImage();
    TBitmap target;
    target.SetSize(graphic->Width(), graphic->Height());
    target.Canvas()->StretchDraw(TRect(0, 0, graphic->Width(), graphic->Height()), graphic);
    return target.Image();
}

// The records of a metafile, and other programs' view of it: the image.
const QString kMetafileMime = QStringLiteral("image/emf");

void copyGraphic(QClipboard* c, TGraphic* graphic) {
    auto* metafile = dynamic_cast<TMetafile*>(graphic);
    if (!metafile || metafile->Empty()) {
        c->setImage(ImageOf(graphic));
        return;
    }
    auto* data = new QMimeData;
    data->setData(kMetafileMime, metafile->Data());
    data->setImageData(ImageOf(metafile));
    c->setMimeData(data);
}

}  // namespace

TClipboard* Clipboard() {
    static TClipboard clipboard;
    return &clipboard;
}

QString TClipboard::AsText() const {
    QClipboard* c = System();
    return c ? c->text() : QString();
}

void TClipboard::SetAsText(const QString& text) {
    if (QClipboard* c = System()) c->setText(text);
}

bool TClipboard::HasFormat(Word format) const {
    QClipboard* c = System();
    const QMimeData* data = c ? c->mimeData() : nullptr;
    if (!data) return false;
    switch (format) {
    case CF_TEXT: case CF_UNICODETEXT: return data->hasText();
    case CF_BITMAP: case CF_DIB: return data->hasImage();
    case CF_ENHMETAFILE: case CF_METAFILEPICT: return data->hasFormat(kMetafileMime);
    case CF_PICTURE: return data->hasImage() || data->hasFormat(kMetafileMime);
    default: return false;
    }
}

void TClipboard::Clear() {
    if (QClipboard* c = System()) c->clear();
}

void TClipboard::Assign(TPersistent* Source) {
    QClipboard* c = System();
    if (auto* picture = dynamic_cast<TPicture*>(Source)) {
        if (c) copyGraphic(c, picture->Graphic());
        return;
    }
    if (auto* graphic = dynamic_cast<TGraphic*>(Source)) {
        if (c) copyGraphic(c, graphic);
        return;
    }
    if (auto* strings = dynamic_cast<TStrings*>(Source)) {
        SetAsText(strings->Text());
        return;
    }
    TPersistent::Assign(Source);
}

void TClipboard::AssignTo(TPersistent* Dest) {
    QClipboard* c = System();
    const QMimeData* data = c ? c->mimeData() : nullptr;
    auto* bitmap = dynamic_cast<TBitmap*>(Dest);
    auto* picture = dynamic_cast<TPicture*>(Dest);
    auto* metafile = dynamic_cast<TMetafile*>(Dest);
    if ((metafile || picture) && data && data->hasFormat(kMetafileMime)) {
        TMetafile pasted;
        pasted.SetData(data->data(kMetafileMime));
        if (metafile) metafile->Assign(&pasted);
        else picture->SetGraphic(&pasted);
        return;
    }
    const QImage image = c ? c->image() : QImage();
    if ((bitmap || picture) && !image.isNull()) {
        TBitmap pasted;
        pasted.SetImage(image.convertToFormat(QImage::Format_RGB32));
        if (bitmap) bitmap->Assign(&pasted);
        else picture->SetGraphic(&pasted);
        return;
    }
    TPersistent::AssignTo(Dest);
}
