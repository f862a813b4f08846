// PDF files read back with poppler's command-line tools (pdfinfo,
// pdftotext): page count, page sizes and the text with its positions.
#pragma once

#include <QtCore/QRectF>
#include <QtCore/QSizeF>
#include <QtCore/QString>
#include <QtCore/QStringList>

#include <vector>

// Size of every page in points, in order; empty when the file is no PDF.
std::vector<QSizeF> PdfPageSizes(const QString& file);
// The text of each page, in order (pdftotext, pages split on form feeds);
// with layout, each page's words keep their lines and columns.
QStringList PdfPageTexts(const QString& file, bool layout = false);
// Every word of the file with its page (1-based) and box in points.
struct PdfWord {
    int Page;
    QRectF Box;
    QString Text;
};
std::vector<PdfWord> PdfWords(const QString& file);
// Box in points of the first word equal to word (empty when absent).
QRectF PdfWordBox(const QString& file, const QString& word);
// Renders page (1-based) as <TestOutputDir>/<name>.png at dpi; returns the path.
QString SavePdfPage(const QString& file, int page, const QString& name, int dpi = 40);
