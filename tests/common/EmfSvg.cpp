#include "EmfSvg.h"

#include "Metafile.h"
#include "TestSupport.h"

#include <QtCore/QFile>
#include <QtCore/QProcess>
#include <QtCore/QStandardPaths>
#include <QtCore/QXmlStreamReader>

#include <gtest/gtest.h>

std::vector<SvgElement> ConvertToSvg(TMetafile& metafile, const QString& name) {
    const QString emf = TestOutputDir() + QLatin1Char('/') + name + QStringLiteral(".emf");
    const QString svg = TestOutputDir() + QLatin1Char('/') + name + QStringLiteral(".svg");
    metafile.SaveToFile(emf);
    QFile::remove(svg);
    QProcess converter;
    converter.start(QStringLiteral("emf2svg-conv"), {QStringLiteral("-i"), emf, QStringLiteral("-o"), svg});
    EXPECT_TRUE(converter.waitForFinished(30000)) << name.toStdString();
    EXPECT_EQ(converter.exitCode(), 0) << converter.readAllStandardError().toStdString();
    QFile file(svg);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name.toStdString();
    std::vector<SvgElement> elements;
    QXmlStreamReader xml(&file);
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement) continue;
        SvgElement e{xml.name().toString(), xml.attributes(), QString()};
        if (e.name == QLatin1String("text")) e.text = xml.readElementText();
        elements.push_back(e);
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    return elements;
}

std::vector<SvgElement> Named(const std::vector<SvgElement>& all, const char* name) {
    std::vector<SvgElement> found;
    for (const SvgElement& e : all)
        if (e.name == QLatin1String(name)) found.push_back(e);
    return found;
}

bool ConverterMissing() {
    return QStandardPaths::findExecutable(QStringLiteral("emf2svg-conv")).isEmpty();
}
