// Helpers shared by the test executables.
#pragma once

#include <QtCore/QString>

class QImage;

// Folder under the build tree where tests leave pictures to look at.
QString TestOutputDir();
// Saves image as <TestOutputDir>/<name>.png and returns the path.
QString SaveTestImage(const QImage& image, const QString& name);
