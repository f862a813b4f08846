// Graphics: TGraphic, TBitmap (over a QImage), TIcon, TJPEGImage, TPicture
// with its file-format registry, and TImageList.
#include "GraphicsInternal.h"
#include "Metafile.h"

#include <QtCore/QBuffer>
#include <QtCore/QFile>
#include <QtCore/QFileInfo>
#include <QtCore/QMap>
#include <QtGui/QImageReader>
#include <QtGui/QImageWriter>
#include <QtGui/QPainter>

#include <cstring>

namespace {

QByteArray readToEnd(TStream& stream) {
    const Int64 left = stream.Size() - stream.Position();
    return left > 0 ? stream.ReadBytes(Integer(left)) : QByteArray();
}

void writeImage(TStream& stream, const QImage& image, const char* format, int quality = -1) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    if (quality >= 0) writer.setQuality(quality);
    if (!writer.write(image)) throw EInvalidGraphic(QStringLiteral("Cannot write the image: %1").arg(writer.errorString()));
    stream.WriteBytes(bytes);
}

QImage decodeImage(const QByteArray& bytes) {
    QImage image = QImage::fromData(bytes);
    if (image.isNull()) throw EInvalidGraphic(QStringLiteral("Bitmap image is not valid"));
    return image;
}

// The fixed 8-bit palette: a 6 x 6 x 6 colour cube, then 40 greys.
const QList<QRgb>& palette8() {
    static const QList<QRgb> table = [] {
        QList<QRgb> t;
        for (int r = 0; r < 6; ++r)
            for (int g = 0; g < 6; ++g)
                for (int b = 0; b < 6; ++b) t << qRgb(r * 51, g * 51, b * 51);
        for (int i = 0; i < 40; ++i) t << qRgb(i * 255 / 39, i * 255 / 39, i * 255 / 39);
        return t;
    }();
    return table;
}

const QList<QRgb>& palette1() {
    static const QList<QRgb> table = {qRgb(0, 0, 0), qRgb(255, 255, 255)};
    return table;
}

QImage::Format qtFormat(TPixelFormat format) {
    switch (format) {
        case pf1bit: return QImage::Format_Mono;
        case pf8bit: return QImage::Format_Indexed8;
        case pf15bit: return QImage::Format_RGB555;
        case pf16bit: return QImage::Format_RGB16;
        case pf24bit: return QImage::Format_BGR888;
        case pfDevice:
        case pf32bit: return QImage::Format_RGB32;
        default: throw EInvalidGraphic(QStringLiteral("Unsupported pixel format"));
    }
}

// image in format, indexed formats mapped to the nearest palette entry.
QImage convertImage(const QImage& image, TPixelFormat format) {
    const QImage::Format target = qtFormat(format);
    if (image.format() == target) return image;
    if (format == pf1bit) return image.convertToFormat(target, palette1(), Qt::ThresholdDither);
    if (format == pf8bit) {
        if (image.format() == QImage::Format_Indexed8) return image;
        return image.convertToFormat(target, palette8(), Qt::ThresholdDither);
    }
    return image.convertToFormat(target);
}

// A new image in format, white unless its pixels are left as they come.
QImage newImage(Integer width, Integer height, TPixelFormat format, bool white) {
    QImage image(width, height, qtFormat(format));
    if (format == pf1bit) {
        image.setColorTable(palette1());
        if (white) image.fill(1);
    } else if (format == pf8bit) {
        image.setColorTable(palette8());
        if (white) image.fill(215);
    } else if (white) {
        image.fill(Qt::white);
    }
    return image;
}

TPixelFormat formatOfBitCount(int bits) {
    switch (bits) {
        case 1: return pf1bit;
        case 4:
        case 8: return pf8bit;
        case 16: return pf15bit;
        case 24: return pf24bit;
        default: return pf32bit;
    }
}

}  // namespace

// ------------------------------------------------------------ TGraphic

void TGraphic::SetTransparent(bool on) {
    if (on == transparent_) return;
    transparent_ = on;
    Changed();
}

void TGraphic::SetModified(bool on) {
    modified_ = on;
    if (on) Changed();
}

void TGraphic::Changed() {
    modified_ = true;
    if (OnChange) OnChange(this);
}

void TGraphic::Progress(TObject* Sender, TProgressStage Stage, Byte PercentDone, bool RedrawNow, const TRect& R,
                        const QString& Msg) {
    if (OnProgress) OnProgress(Sender, Stage, PercentDone, RedrawNow, R, Msg);
}

void TGraphic::LoadWithProgress(const std::function<void()>& load) {
    Progress(this, psStarting, 0, false, TRect(), QString());
    load();
    Progress(this, psEnding, 100, true, TRect(0, 0, Width(), Height()), QString());
}

void TGraphic::LoadFromFile(const QString& fileName) {
    TFileStream stream(fileName, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(stream);
}

void TGraphic::SaveToFile(const QString& fileName) {
    TFileStream stream(fileName, fmCreate);
    SaveToStream(stream);
}

// ------------------------------------------------------------ TBitmap

// The bitmap's canvas: draws into the bitmap's image and reports each
// drawing call as a change of the bitmap.
class TBitmapCanvas : public TCanvas {
public:
    explicit TBitmapCanvas(TBitmap& bitmap) : bitmap_(bitmap) { SetDevice(&bitmap.image_); }

    QPainter* Painter() override {
        if (!HandleAllocated()) {
            if (bitmap_.Empty()) return nullptr;
            bitmap_.makePaintable();
        }
        return TCanvas::Painter();
    }

protected:
    void Changed() override {
        TCanvas::Changed();
        bitmap_.Changed();
    }

private:
    TBitmap& bitmap_;
};

TBitmap::TBitmap() = default;

TBitmap::~TBitmap() {
    closeCanvas();
}

TCanvas* TBitmap::Canvas() {
    if (!canvas_) canvas_ = std::make_unique<TBitmapCanvas>(*this);
    return canvas_.get();
}

// QPainter cannot paint indexed pixels: they are held as RGB while a
// painter is open and mapped back to the palette when it closes.
void TBitmap::makePaintable() {
    if (image_.format() != QImage::Format_Mono && image_.format() != QImage::Format_Indexed8) return;
    image_ = image_.convertToFormat(QImage::Format_RGB32);
    converted_ = true;
}

void TBitmap::closeCanvas() const {
    if (canvas_) canvas_->ReleaseHandle();
    if (converted_) {
        auto* self = const_cast<TBitmap*>(this);
        self->converted_ = false;
        self->image_ = convertImage(image_, pixelFormat_);
    }
}

const QImage& TBitmap::Image() const {
    closeCanvas();
    return image_;
}

void TBitmap::resize(Integer width, Integer height, bool white) {
    width = std::max<Integer>(0, width);
    height = std::max<Integer>(0, height);
    if (width == width_ && height == height_) return;
    closeCanvas();
    width_ = width;
    height_ = height;
    // The old pixels go first, so that the new ones can take their memory.
    image_ = QImage();
    if (!Empty()) image_ = newImage(width, height, pixelFormat_, white);
    Changed();
}

void TBitmap::SetWidth(Integer width) {
    resize(width, height_);
}

void TBitmap::SetHeight(Integer height) {
    resize(width_, height);
}

void TBitmap::SetSize(Integer width, Integer height) {
    resize(width, height);
}

void TBitmap::SetSizeUnfilled(Integer width, Integer height) {
    resize(width, height, false);
}

void TBitmap::SetPixelFormat(TPixelFormat format) {
    if (format == pixelFormat_) return;
    qtFormat(format);
    closeCanvas();
    pixelFormat_ = format;
    if (!image_.isNull()) image_ = convertImage(image_, format);
    Changed();
}

void* TBitmap::ScanLine(Integer y) {
    if (y < 0 || y >= height_) throw EInvalidGraphicOperation(QStringLiteral("Scan line index out of range"));
    closeCanvas();
    return image_.scanLine(y);
}

TColor TBitmap::TransparentColor() const {
    if (transparentMode_ == tmFixed && transparentColor_ != clDefault) return transparentColor_;
    if (Empty()) return clDefault;
    closeCanvas();
    return FromQColor(QColor(image_.pixel(0, height_ - 1)));
}

void TBitmap::SetTransparentColor(TColor color) {
    transparentColor_ = color;
    transparentMode_ = color == clDefault ? tmAuto : tmFixed;
    Changed();
}

void TBitmap::SetTransparentMode(TTransparentMode mode) {
    if (mode == transparentMode_) return;
    transparentMode_ = mode;
    if (mode == tmAuto) transparentColor_ = clDefault;
    Changed();
}

void TBitmap::SetImage(const QImage& image) {
    closeCanvas();
    if (image.isNull()) {
        image_ = QImage();
        width_ = height_ = 0;
    } else {
        pixelFormat_ = image.format() == QImage::Format_BGR888 || image.format() == QImage::Format_RGB888 ? pf24bit
                       : image.format() == QImage::Format_Indexed8                                         ? pf8bit
                       : image.format() == QImage::Format_Mono                                             ? pf1bit
                                                                                                           : pf32bit;
        image_ = image.format() == QImage::Format_MonoLSB ? image.convertToFormat(QImage::Format_Mono)
                 : pixelFormat_ == pf32bit && image.format() != QImage::Format_RGB32
                     ? image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32)
                     : convertImage(image, pixelFormat_);
        width_ = image.width();
        height_ = image.height();
    }
    Changed();
}

void TBitmap::Changed() {
    TGraphic::Changed();
}

void TBitmap::Assign(TPersistent* Source) {
    if (auto* other = dynamic_cast<TBitmap*>(Source)) {
        if (other == this) return;
        closeCanvas();
        image_ = other->Image();
        width_ = other->width_;
        height_ = other->height_;
        pixelFormat_ = other->pixelFormat_;
        transparentColor_ = other->transparentColor_;
        transparentMode_ = other->transparentMode_;
        if (Transparent() != other->Transparent()) TGraphic::SetTransparent(other->Transparent());
        Changed();
        return;
    }
    if (auto* graphic = dynamic_cast<TGraphic*>(Source)) {
        // Any other graphic is drawn onto a white bitmap of its size.
        closeCanvas();
        SetSize(graphic->Width(), graphic->Height());
        if (!Empty()) graphic->Draw(Canvas(), TRect(0, 0, width_, height_));
        closeCanvas();
        Changed();
        return;
    }
    TGraphic::Assign(Source);
}

void TBitmap::Draw(TCanvas* canvas, const TRect& r) {
    if (Empty() || !canvas) return;
    const QImage& image = Image();
    if (!Transparent()) {
        canvas->StretchImage(r, image, TRect(0, 0, width_, height_));
        return;
    }
    QImage masked = image.convertToFormat(QImage::Format_ARGB32);
    const QRgb key = ToQColor(TransparentColor()).rgb() & 0xFFFFFF;
    for (Integer y = 0; y < height_; ++y) {
        auto* row = reinterpret_cast<QRgb*>(masked.scanLine(y));
        for (Integer x = 0; x < width_; ++x)
            if ((row[x] & 0xFFFFFF) == key) row[x] = 0;
    }
    canvas->StretchImage(r, masked, TRect(0, 0, width_, height_));
}

void TBitmap::LoadFromStream(TStream& stream) {
    LoadWithProgress([&] { readFrom(stream); });
}

void TBitmap::readFrom(TStream& stream) {
    const QByteArray head = stream.ReadBytes(Integer(std::min<Int64>(14, stream.Size() - stream.Position())));
    if (head.size() == 14 && head.startsWith("BM")) {
        Cardinal fileSize = 0;
        std::memcpy(&fileSize, head.constData() + 2, 4);
        if (fileSize < 54 || Int64(fileSize) - 14 > stream.Size() - stream.Position())
            throw EInvalidGraphic(QStringLiteral("Bitmap image is not valid"));
        const QByteArray bytes = head + stream.ReadBytes(Integer(fileSize - 14));
        Word bits = 0;
        std::memcpy(&bits, bytes.constData() + 28, 2);
        SetImage(convertImage(decodeImage(bytes), formatOfBitCount(bits)));
        return;
    }
    SetImage(decodeImage(head + readToEnd(stream)));
}

void TBitmap::SaveToStream(TStream& stream) {
    if (Empty()) throw EInvalidGraphic(QStringLiteral("Cannot save an empty bitmap"));
    writeImage(stream, Image(), "BMP");
}

void TBitmap::LoadFromResourceName(Cardinal, const QString& name) {
    for (const QString& suffix : {QString(), QStringLiteral(".bmp"), QStringLiteral(".png")}) {
        const QString path = QStringLiteral(":/") + name + suffix;
        if (!QFile::exists(path)) continue;
        // Read as its name says: a reader left to guess asks every image
        // plugin whether it reads the format, loading each of them.
        const QByteArray format = QFileInfo(path).suffix().toLatin1();
        QImageReader reader(path, format);
        reader.setAutoDetectImageFormat(format.isEmpty());
        QImage image = reader.read();
        if (image.isNull() && !format.isEmpty()) image = QImage(path);
        if (image.isNull()) break;
        SetImage(image.hasAlphaChannel() ? image : image.convertToFormat(QImage::Format_BGR888));
        return;
    }
    throw EInvalidGraphic(QStringLiteral("Resource %1 not found").arg(name));
}

// ------------------------------------------------------------ TIcon

void TIcon::SetWidth(Integer) {
    throw EInvalidGraphicOperation(QStringLiteral("Cannot change the size of an icon"));
}

void TIcon::SetHeight(Integer) {
    throw EInvalidGraphicOperation(QStringLiteral("Cannot change the size of an icon"));
}

void TIcon::SetImage(const QImage& image) {
    image_ = image.isNull() ? QImage() : image.convertToFormat(QImage::Format_ARGB32);
    Changed();
}

void TIcon::Assign(TPersistent* Source) {
    if (auto* other = dynamic_cast<TIcon*>(Source)) {
        SetImage(other->image_);
        return;
    }
    TGraphic::Assign(Source);
}

void TIcon::Draw(TCanvas* canvas, const TRect& r) {
    if (canvas && !Empty()) canvas->StretchImage(r, image_, TRect(0, 0, Width(), Height()));
}

void TIcon::LoadFromStream(TStream& stream) {
    LoadWithProgress([&] { SetImage(decodeImage(readToEnd(stream))); });
}

void TIcon::SaveToStream(TStream& stream) {
    writeImage(stream, image_, "PNG");
}

// ------------------------------------------------------------ TJPEGImage

void TJPEGImage::SetImage(const QImage& image) {
    image_ = image.isNull() ? QImage() : image.convertToFormat(QImage::Format_RGB32);
    Changed();
}

void TJPEGImage::Assign(TPersistent* Source) {
    if (auto* other = dynamic_cast<TJPEGImage*>(Source)) {
        SetImage(other->image_);
        return;
    }
    if (auto* bitmap = dynamic_cast<TBitmap*>(Source)) {
        SetImage(bitmap->Image());
        return;
    }
    TGraphic::Assign(Source);
}

void TJPEGImage::AssignTo(TPersistent* Dest) {
    if (auto* bitmap = dynamic_cast<TBitmap*>(Dest)) {
        bitmap->SetImage(image_.convertToFormat(QImage::Format_BGR888));
        return;
    }
    TGraphic::AssignTo(Dest);
}

void TJPEGImage::Draw(TCanvas* canvas, const TRect& r) {
    if (canvas && !Empty()) canvas->StretchImage(r, image_, TRect(0, 0, Width(), Height()));
}

void TJPEGImage::LoadFromStream(TStream& stream) {
    LoadWithProgress([&] { SetImage(decodeImage(readToEnd(stream))); });
}

void TJPEGImage::SaveToStream(TStream& stream) {
    writeImage(stream, image_, "JPEG", 90);
}

// ------------------------------------------------------------ TPicture

namespace {

struct FileFormat {
    QString description;
    TGraphicFactory factory;
};

QMap<QString, FileFormat>& fileFormats() {
    static QMap<QString, FileFormat> formats = {
        {QStringLiteral("bmp"), {QStringLiteral("Bitmaps"), [] { return new TBitmap; }}},
        {QStringLiteral("png"), {QStringLiteral("Portable network graphics"), [] { return new TBitmap; }}},
        {QStringLiteral("jpg"), {QStringLiteral("JPEG image file"), [] { return new TJPEGImage; }}},
        {QStringLiteral("jpeg"), {QStringLiteral("JPEG image file"), [] { return new TJPEGImage; }}},
        {QStringLiteral("ico"), {QStringLiteral("Icons"), [] { return new TIcon; }}},
        {QStringLiteral("emf"), {QStringLiteral("Enhanced metafiles"), [] { return new TMetafile; }}},
    };
    return formats;
}

}  // namespace

std::unique_ptr<TGraphic> CloneGraphic(TGraphic* graphic) {
    if (!graphic) return nullptr;
    std::unique_ptr<TGraphic> copy = graphic->NewOfSameClass();
    copy->Assign(graphic);
    return copy;
}

TPicture::TPicture() = default;
TPicture::~TPicture() = default;

void TPicture::take(std::unique_ptr<TGraphic> graphic) {
    graphic_ = std::move(graphic);
    if (graphic_) {
        graphic_->OnChange = [this](TObject* sender) { Changed(sender); };
        wire(graphic_.get());
    }
    Changed(this);
}

void TPicture::wire(TGraphic* graphic) {
    graphic->OnProgress = [this](TObject* sender, TProgressStage stage, Byte percent, bool redraw, const TRect& r,
                                 const QString& msg) { Progress(sender, stage, percent, redraw, r, msg); };
}

void TPicture::Changed(TObject*) {
    if (OnChange) OnChange(this);
}

void TPicture::Progress(TObject* Sender, TProgressStage Stage, Byte PercentDone, bool RedrawNow, const TRect& R,
                        const QString& Msg) {
    if (OnProgress) OnProgress(Sender, Stage, PercentDone, RedrawNow, R, Msg);
}

void TPicture::SetGraphic(TGraphic* graphic) {
    if (graphic == graphic_.get() && graphic) return;
    take(CloneGraphic(graphic));
}

TBitmap* TPicture::Bitmap() {
    if (!dynamic_cast<TBitmap*>(graphic_.get())) take(std::make_unique<TBitmap>());
    return static_cast<TBitmap*>(graphic_.get());
}

TIcon* TPicture::Icon() {
    if (!dynamic_cast<TIcon*>(graphic_.get())) take(std::make_unique<TIcon>());
    return static_cast<TIcon*>(graphic_.get());
}

void TPicture::Assign(TPersistent* Source) {
    if (!Source) SetGraphic(nullptr);
    else if (auto* picture = dynamic_cast<TPicture*>(Source)) SetGraphic(picture->Graphic());
    else if (auto* graphic = dynamic_cast<TGraphic*>(Source)) SetGraphic(graphic);
    else TPersistent::Assign(Source);
}

void TPicture::AssignTo(TPersistent* Dest) {
    if (auto* graphic = dynamic_cast<TGraphic*>(Dest); graphic && graphic_) {
        graphic->Assign(graphic_.get());
        return;
    }
    TPersistent::AssignTo(Dest);
}

void TPicture::LoadFromFile(const QString& fileName) {
    const QString extension = QFileInfo(fileName).suffix().toLower();
    const auto it = fileFormats().constFind(extension);
    if (it == fileFormats().constEnd())
        throw EInvalidGraphic(QStringLiteral("Unknown picture file extension (.%1)").arg(extension));
    std::unique_ptr<TGraphic> graphic(it->factory());
    wire(graphic.get());
    graphic->LoadFromFile(fileName);
    take(std::move(graphic));
}

void TPicture::SaveToFile(const QString& fileName) {
    if (graphic_) graphic_->SaveToFile(fileName);
}

void TPicture::RegisterFileFormat(const QString& extension, const QString& description, TGraphicFactory factory) {
    fileFormats().insert(extension.toLower(), {description, std::move(factory)});
}

bool TPicture::SupportsExtension(const QString& extension) {
    return fileFormats().contains(extension.toLower());
}

// ------------------------------------------------------------ TImageList

TImageList::TImageList(TComponent* AOwner) : TComponent(AOwner) {}

// Sizes below one pixel keep the default, as SetWidth and SetHeight do.
TImageList::TImageList(Integer width, Integer height) : TComponent(nullptr) {
    SetWidth(width);
    SetHeight(height);
}

void TImageList::changed() {
    if (OnChange) OnChange(this);
}

void TImageList::SetWidth(Integer width) {
    if (width == width_ || width < 1) return;
    width_ = width;
    Clear();
}

void TImageList::SetHeight(Integer height) {
    if (height == height_ || height < 1) return;
    height_ = height;
    Clear();
}

Integer TImageList::Add(TBitmap* image, TBitmap* mask) {
    if (!image || image->Empty()) return -1;
    QImage source = image->Image().convertToFormat(QImage::Format_ARGB32);
    if (mask && !mask->Empty()) {
        const QImage m = mask->Image().convertToFormat(QImage::Format_RGB32);
        for (Integer y = 0; y < std::min(source.height(), m.height()); ++y)
            for (Integer x = 0; x < std::min(source.width(), m.width()); ++x)
                if ((m.pixel(x, y) & 0xFFFFFF) == 0xFFFFFF) source.setPixel(x, y, 0);
    }
    const Integer first = Count();
    const Integer pieces = std::max<Integer>(1, source.width() / width_);
    for (Integer i = 0; i < pieces; ++i) {
        QImage piece(width_, height_, QImage::Format_ARGB32);
        piece.fill(Qt::transparent);
        QPainter p(&piece);
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.drawImage(0, 0, source, i * width_, 0, width_, height_);
        p.end();
        images_.push_back(piece);
    }
    changed();
    return first;
}

Integer TImageList::AddMasked(TBitmap* image, TColor maskColor) {
    if (!image || image->Empty()) return -1;
    const QImage source = image->Image().convertToFormat(QImage::Format_RGB32);
    TBitmap mask;
    mask.SetPixelFormat(pf24bit);
    QImage m(source.size(), QImage::Format_RGB32);
    const QRgb key = ToQColor(maskColor).rgb() & 0xFFFFFF;
    for (Integer y = 0; y < source.height(); ++y)
        for (Integer x = 0; x < source.width(); ++x)
            m.setPixel(x, y, (source.pixel(x, y) & 0xFFFFFF) == key ? 0xFFFFFFFF : 0xFF000000);
    mask.SetImage(m);
    return Add(image, &mask);
}

void TImageList::Delete(Integer index) {
    if (index < 0 || index >= Count()) throw EInvalidOperation(QStringLiteral("Image list index out of range"));
    images_.erase(images_.begin() + index);
    changed();
}

void TImageList::Clear() {
    if (images_.empty()) return;
    images_.clear();
    changed();
}

const QImage& TImageList::Image(Integer index) const {
    if (index < 0 || index >= Count()) throw EInvalidOperation(QStringLiteral("Image list index out of range"));
    return images_[size_t(index)];
}

void TImageList::Draw(TCanvas* canvas, Integer x, Integer y, Integer index, bool enabled) {
    if (!canvas || index < 0 || index >= Count()) return;
    QImage image = images_[size_t(index)];
    if (!enabled) {
        // Greyed: each pixel's grey value lifted halfway towards white.
        for (Integer py = 0; py < image.height(); ++py) {
            auto* row = reinterpret_cast<QRgb*>(image.scanLine(py));
            for (Integer px = 0; px < image.width(); ++px) {
                const int grey = (qGray(row[px]) + 255) / 2;
                row[px] = qRgba(grey, grey, grey, qAlpha(row[px]));
            }
        }
    }
    canvas->StretchImage(TRect(x, y, x + width_, y + height_), image, TRect(0, 0, width_, height_));
}
