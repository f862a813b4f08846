#include "TestSupport.h"

#include <QtCore/QDir>
#include <QtGui/QImage>

QString TestOutputDir() {
    const QString dir = QStringLiteral(VELMORA_TEST_OUTPUT_DIR);
    QDir().mkpath(dir);
    return dir;
}

QString SaveTestImage(const QImage& image, const QString& name) {
    const QString path = TestOutputDir() + QLatin1Char('/') + name + QStringLiteral(".png");
    image.save(path, "PNG");
    return path;
}

bool IsOneColour(const QImage& image, unsigned rgb) {
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if ((image.pixel(x, y) & 0xFFFFFF) != rgb) return false;
    return true;
}
