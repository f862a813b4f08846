// Metafiles read by an independent reader: emf2svg-conv turns an EMF into
// SVG, whose drawing elements the tests then inspect.
#pragma once

#include <QtCore/QString>
#include <QtCore/QXmlStreamAttributes>

#include <vector>

class TMetafile;

struct SvgElement {
    QString name;
    QXmlStreamAttributes attributes;
    QString text;
    double Number(const char* attribute) const { return attributes.value(QLatin1String(attribute)).toDouble(); }
};

// Saves the metafile as <name>.emf in the test output folder, converts it
// and returns the SVG's elements; fails the test when the converter fails.
std::vector<SvgElement> ConvertToSvg(TMetafile& metafile, const QString& name);
// The elements of one kind ("rect", "text", ...), in document order.
std::vector<SvgElement> Named(const std::vector<SvgElement>& all, const char* name);
// True when emf2svg-conv is not installed (tests then skip).
bool ConverterMissing();
