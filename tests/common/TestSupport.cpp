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
