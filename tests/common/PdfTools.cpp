#include "PdfTools.h"

#include "TestSupport.h"

#include <QtCore/QProcess>
#include <QtCore/QRegularExpression>
#include <QtCore/QXmlStreamReader>

namespace {

QString Run(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitCode() != 0) return QString();
    return QString::fromUtf8(process.readAllStandardOutput());
}

}  // namespace

std::vector<QSizeF> PdfPageSizes(const QString& file) {
    const QString info = Run(QStringLiteral("pdfinfo"), {QStringLiteral("-f"), QStringLiteral("1"),
                                                          QStringLiteral("-l"), QStringLiteral("100000"), file});
    static const QRegularExpression line(QStringLiteral(R"(^Page\s+\d+ size:\s+([\d.]+) x ([\d.]+) pts)"),
                                         QRegularExpression::MultilineOption);
    std::vector<QSizeF> sizes;
    for (auto match = line.globalMatch(info); match.hasNext();) {
        const auto m = match.next();
        sizes.emplace_back(m.captured(1).toDouble(), m.captured(2).toDouble());
    }
    return sizes;
}

QStringList PdfPageTexts(const QString& file, bool layout) {
    QStringList arguments{file, QStringLiteral("-")};
    if (layout) arguments.prepend(QStringLiteral("-layout"));
    QStringList pages = Run(QStringLiteral("pdftotext"), arguments).split(QChar('\f'));
    if (!pages.isEmpty() && pages.last().trimmed().isEmpty()) pages.removeLast();
    return pages;
}

std::vector<PdfWord> PdfWords(const QString& file) {
    QXmlStreamReader xml(Run(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), file, QStringLiteral("-")}));
    std::vector<PdfWord> words;
    int page = 0;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement) continue;
        if (xml.name() == QStringLiteral("page")) ++page;
        if (xml.name() != QStringLiteral("word")) continue;
        const auto attributes = xml.attributes();
        const auto value = [&attributes](const char* name) { return attributes.value(QLatin1String(name)).toDouble(); };
        const QRectF box(QPointF(value("xMin"), value("yMin")), QPointF(value("xMax"), value("yMax")));
        words.push_back({page, box, xml.readElementText()});
    }
    return words;
}

QRectF PdfWordBox(const QString& file, const QString& word) {
    for (const PdfWord& w : PdfWords(file))
        if (w.Text == word) return w.Box;
    return {};
}

QString SavePdfPage(const QString& file, int page, const QString& name, int dpi) {
    const QString prefix = TestOutputDir() + QChar('/') + name;
    const QString number = QString::number(page);
    Run(QStringLiteral("pdftoppm"), {QStringLiteral("-png"), QStringLiteral("-singlefile"), QStringLiteral("-r"),
                                     QString::number(dpi), QStringLiteral("-f"), number, QStringLiteral("-l"), number,
                                     file, prefix});
    return prefix + QStringLiteral(".png");
}
