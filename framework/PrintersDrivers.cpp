// The printers behind TPrinter: the built-in PDF printer and the CUPS
// queues, and the device mode's paper in millimetres.
#include "Printers.h"

#include <QtCore/QDir>
#include <QtCore/QFile>
#include <QtCore/QLocale>
#include <QtCore/QStandardPaths>
#include <QtGui/QPageSize>
#include <QtPrintSupport/QPrinter>
#include <QtPrintSupport/QPrinterInfo>

#include <cups/cups.h>
#include <dlfcn.h>

#include <algorithm>
#include <optional>

namespace {

constexpr Cardinal kPaperFields = DM_ORIENTATION | DM_PAPERSIZE | DM_PAPERLENGTH | DM_PAPERWIDTH;
constexpr Integer kPdfResolution = 600;
constexpr Word kHighestPaperCode = 118;

// Dots per inch a DMRES_ quality stands for; a positive quality is itself.
Integer QualityResolution(SmallInt quality, Integer fallback) {
    switch (quality) {
        case DMRES_DRAFT: return 150;
        case DMRES_LOW: return 300;
        case DMRES_MEDIUM: return 600;
        case DMRES_HIGH: return 1200;
        default: return quality > 0 ? quality : fallback;
    }
}

// The few libcups calls a job needs, looked up when the first job goes to a
// queue: linked into the program, libcups and the libraries it pulls in
// (TLS, Kerberos, service discovery) would load and start up with every
// program, printing or not. Null when libcups cannot be loaded.
struct TCupsApi {
    decltype(&cupsAddOption) AddOption;
    decltype(&cupsPrintFile) PrintFile;
    decltype(&cupsFreeOptions) FreeOptions;
    decltype(&cupsLastErrorString) LastErrorString;
};

const TCupsApi* Cups() {
    static const std::optional<TCupsApi> api = []() -> std::optional<TCupsApi> {
        void* library = dlopen("libcups.so.2", RTLD_NOW | RTLD_LOCAL);
        if (!library) return std::nullopt;
        TCupsApi found{reinterpret_cast<decltype(&cupsAddOption)>(dlsym(library, "cupsAddOption")),
                       reinterpret_cast<decltype(&cupsPrintFile)>(dlsym(library, "cupsPrintFile")),
                       reinterpret_cast<decltype(&cupsFreeOptions)>(dlsym(library, "cupsFreeOptions")),
                       reinterpret_cast<decltype(&cupsLastErrorString)>(dlsym(library, "cupsLastErrorString"))};
        if (!found.AddOption || !found.PrintFile || !found.FreeOptions || !found.LastErrorString) return std::nullopt;
        return found;
    }();
    return api ? &*api : nullptr;
}

DevMode ModeForPaper(const QString& device, Cardinal fields, QPageSize::PageSizeId paper) {
    DevMode mode;
    mode.dmDeviceName = device;
    mode.dmFields = fields;
    mode.dmPaperSize = SmallInt(QPageSize::windowsId(paper));
    return mode;
}

// ------------------------------------------------------------ PDF printer

class TPdfPrinterDriver : public TPrinterDriver {
public:
    QString DeviceName() const override { return QStringLiteral("Velmora PDF"); }
    QString DriverName() const override { return QStringLiteral("Velmora PDF"); }
    QString PortName() const override { return PdfPrinterFolder(); }

    DevMode DefaultMode() const override {
        const bool us = QLocale().measurementSystem() == QLocale::ImperialUSSystem;
        DevMode mode = ModeForPaper(DeviceName(), kPaperFields | DM_COPIES | DM_COLLATE | DM_DEFAULTSOURCE |
                                                      DM_PRINTQUALITY | DM_YRESOLUTION | DM_COLOR,
                                    us ? QPageSize::Letter : QPageSize::A4);
        mode.dmPrintQuality = mode.dmYResolution = kPdfResolution;
        return mode;
    }

    std::vector<Word> Papers() const override {
        std::vector<Word> codes;
        for (Word code = 1; code <= kHighestPaperCode; ++code)
            if (QPageSize::id(int(code)) != QPageSize::Custom) codes.push_back(code);
        return codes;
    }
    std::vector<Word> Bins() const override { return {Word(DMBIN_AUTO)}; }
    QStringList BinNames() const override { return {QStringLiteral("Automatically Select")}; }

    Integer Resolution(const DevMode& mode) const override {
        return std::clamp(QualityResolution(mode.dmPrintQuality, kPdfResolution), 1, 9600);
    }
    QMarginsF Margins(const DevMode&) const override { return {}; }

    QString JobFile(const QString& title) const override {
        const QString folder = PdfPrinterFolder();
        if (!QDir().mkpath(folder)) throw EPrinter(QStringLiteral("Cannot create the folder %1").arg(folder));
        return PdfJobFileName(folder, title);
    }
    bool Submit(const QString& file, const QString&, const DevMode& mode, QString& message) override {
        return WritePdfCopies(file, mode.dmCopies, mode.dmCollate == DMCOLLATE_TRUE, message);
    }
};

// ------------------------------------------------------------ CUPS queues

SmallInt DuplexCode(QPrinter::DuplexMode mode) {
    switch (mode) {
        case QPrinter::DuplexLongSide: return DMDUP_VERTICAL;
        case QPrinter::DuplexShortSide: return DMDUP_HORIZONTAL;
        default: return DMDUP_SIMPLEX;
    }
}

class TCupsPrinterDriver : public TPrinterDriver {
public:
    explicit TCupsPrinterDriver(const QPrinterInfo& info) : info_(info) {}

    QString DeviceName() const override { return info_.printerName(); }
    QString DriverName() const override { return info_.makeAndModel(); }
    QString PortName() const override { return QStringLiteral("cups:") + info_.printerName(); }
    QString QueueName() const override { return info_.printerName(); }

    DevMode DefaultMode() const override {
        Cardinal fields = kPaperFields | DM_COPIES | DM_COLLATE | DM_DEFAULTSOURCE | DM_PRINTQUALITY | DM_YRESOLUTION;
        const auto colours = info_.supportedColorModes();
        if (colours.contains(QPrinter::Color)) fields |= DM_COLOR;
        const auto sides = info_.supportedDuplexModes();
        if (sides.contains(QPrinter::DuplexLongSide) || sides.contains(QPrinter::DuplexShortSide)) fields |= DM_DUPLEX;
        const QPageSize paper = info_.defaultPageSize();
        DevMode mode = ModeForPaper(DeviceName(), fields, paper.isValid() ? paper.id() : QPageSize::A4);
        if (paper.isValid() && paper.id() == QPageSize::Custom) {
            const QSizeF mm = paper.size(QPageSize::Millimeter);
            mode.dmPaperSize = DMPAPER_USER;
            mode.dmPaperWidth = SmallInt(qRound(mm.width() * 10));
            mode.dmPaperLength = SmallInt(qRound(mm.height() * 10));
        }
        mode.dmPrintQuality = mode.dmYResolution = SmallInt(Resolution(mode));
        mode.dmColor = info_.defaultColorMode() == QPrinter::GrayScale ? DMCOLOR_MONOCHROME : DMCOLOR_COLOR;
        mode.dmDuplex = DuplexCode(info_.defaultDuplexMode());
        return mode;
    }

    std::vector<Word> Papers() const override {
        std::vector<Word> codes;
        for (const QPageSize& size : info_.supportedPageSizes()) {
            const int code = size.windowsId();
            if (code > 0 && code != DMPAPER_USER && std::find(codes.begin(), codes.end(), code) == codes.end())
                codes.push_back(Word(code));
        }
        return codes;
    }
    std::vector<Word> Bins() const override { return {Word(DMBIN_AUTO)}; }
    QStringList BinNames() const override { return {QStringLiteral("Automatically Select")}; }

    Integer Resolution(const DevMode& mode) const override {
        QList<int> dpis = info_.supportedResolutions();
        std::sort(dpis.begin(), dpis.end());
        if (dpis.isEmpty()) return QualityResolution(mode.dmPrintQuality, 300);
        switch (mode.dmPrintQuality) {
            case DMRES_DRAFT:
            case DMRES_LOW: return dpis.front();
            case DMRES_HIGH: return dpis.back();
            default: {
                const int wanted = QualityResolution(mode.dmPrintQuality, 600);
                const auto nearest = std::min_element(dpis.begin(), dpis.end(), [wanted](int a, int b) {
                    return std::abs(a - wanted) < std::abs(b - wanted);
                });
                return *nearest;
            }
        }
    }

    QMarginsF Margins(const DevMode& mode) const override {
        QPrinter printer(info_);
        const QSizeF mm = DevModePaperSize(mode);
        if (!mm.isEmpty()) printer.setPageSize(QPageSize(mm, QPageSize::Millimeter));
        printer.setPageOrientation(mode.dmOrientation == DMORIENT_LANDSCAPE ? QPageLayout::Landscape
                                                                            : QPageLayout::Portrait);
        QPageLayout layout = printer.pageLayout();
        layout.setUnits(QPageLayout::Millimeter);
        return layout.minimumMargins();
    }

    // The job is sent from its temporary file, which is unique already.
    QString JobFile(const QString&) const override { return TempFolder() + QStringLiteral("/velmora-job.pdf"); }

    bool Submit(const QString& file, const QString& title, const DevMode& mode, QString& message) override {
        const TCupsApi* cups = Cups();
        if (!cups) {
            QFile::remove(file);
            message = QStringLiteral("libcups.so.2 cannot be loaded");
            return false;
        }
        const auto pairs = CupsJobOptions(mode);
        cups_option_t* options = nullptr;
        int count = 0;
        for (const auto& [name, value] : pairs)
            count = cups->AddOption(name.constData(), value.constData(), count, &options);
        const int job = cups->PrintFile(DeviceName().toUtf8().constData(), QFile::encodeName(file).constData(),
                                        title.toUtf8().constData(), count, options);
        cups->FreeOptions(count, options);
        QFile::remove(file);
        if (job == 0) message = QString::fromUtf8(cups->LastErrorString());
        return job != 0;
    }

private:
    QPrinterInfo info_;
};

QByteArray MediaName(const DevMode& mode) {
    const QSizeF mm = DevModePaperSize(mode);
    const QPageSize named(QPageSize::id(int(mode.dmPaperSize)));
    if (named.isValid() && named.id() != QPageSize::Custom && named.size(QPageSize::Millimeter) == mm)
        return named.key().toUtf8();
    return "Custom." + QByteArray::number(mm.width(), 'g', 6) + "x" + QByteArray::number(mm.height(), 'g', 6) + "mm";
}

QByteArray MediaSource(SmallInt bin) {
    switch (bin) {
        case DMBIN_UPPER: return "top";
        case DMBIN_LOWER: return "bottom";
        case DMBIN_MIDDLE: return "middle";
        case DMBIN_MANUAL: return "manual";
        case DMBIN_ENVELOPE: return "envelope";
        case DMBIN_LARGECAPACITY: return "large-capacity";
        default: return "auto";
    }
}

}  // namespace

QSizeF DevModePaperSize(const DevMode& mode) {
    const bool explicitSize = (mode.dmFields & (DM_PAPERLENGTH | DM_PAPERWIDTH)) == (DM_PAPERLENGTH | DM_PAPERWIDTH) &&
                              mode.dmPaperLength > 0 && mode.dmPaperWidth > 0;
    if (explicitSize) return {mode.dmPaperWidth / 10.0, mode.dmPaperLength / 10.0};
    const QPageSize::PageSizeId id = QPageSize::id(int(mode.dmPaperSize));
    if (id == QPageSize::Custom) return {};
    return QPageSize(id).size(QPageSize::Millimeter);
}

QString PdfPrinterFolder() {
    const QString chosen = qEnvironmentVariable("VELMORA_PDF_DIR");
    if (!chosen.isEmpty()) return QDir::cleanPath(chosen);
    QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (documents.isEmpty()) documents = QDir::homePath();
    return documents + QStringLiteral("/VelmoraPDF");
}

QString PdfJobFileName(const QString& folder, const QString& title) {
    QString base;
    for (QChar c : title.left(120))
        base += (c.unicode() < 0x20 || QStringLiteral("/\\:*?\"<>|").contains(c)) ? QChar('_') : c;
    base = base.trimmed();
    if (base.isEmpty() || base.startsWith(QChar('.'))) base.prepend(QStringLiteral("document"));
    const QDir dir(folder);
    QString name = dir.filePath(base + QStringLiteral(".pdf"));
    for (int n = 2; QFile::exists(name); ++n) name = dir.filePath(QStringLiteral("%1 (%2).pdf").arg(base).arg(n));
    return name;
}

std::unique_ptr<TPrinterDriver> NewPdfPrinterDriver() {
    return std::make_unique<TPdfPrinterDriver>();
}

std::vector<std::unique_ptr<TPrinterDriver>> CupsPrinterDrivers() {
    std::vector<std::unique_ptr<TPrinterDriver>> drivers;
    const QString fallback = QPrinterInfo::defaultPrinterName();
    for (const QPrinterInfo& info : QPrinterInfo::availablePrinters()) {
        auto driver = std::make_unique<TCupsPrinterDriver>(info);
        const bool first = info.isDefault() || info.printerName() == fallback;
        drivers.insert(first ? drivers.begin() : drivers.end(), std::move(driver));
    }
    return drivers;
}

std::vector<std::pair<QByteArray, QByteArray>> CupsJobOptions(const DevMode& mode) {
    std::vector<std::pair<QByteArray, QByteArray>> options;
    if (!DevModePaperSize(mode).isEmpty()) options.emplace_back("media", MediaName(mode));
    if (mode.dmFields & DM_COPIES) options.emplace_back("copies", QByteArray::number(std::max<int>(1, mode.dmCopies)));
    if (mode.dmFields & DM_COLLATE)
        options.emplace_back("collate", mode.dmCollate == DMCOLLATE_TRUE ? "true" : "false");
    if (mode.dmFields & DM_DUPLEX) {
        const QByteArray sides = mode.dmDuplex == DMDUP_VERTICAL     ? "two-sided-long-edge"
                                 : mode.dmDuplex == DMDUP_HORIZONTAL ? "two-sided-short-edge"
                                                                     : "one-sided";
        options.emplace_back("sides", sides);
    }
    if (mode.dmFields & DM_COLOR)
        options.emplace_back("print-color-mode", mode.dmColor == DMCOLOR_MONOCHROME ? "monochrome" : "color");
    if (mode.dmFields & DM_DEFAULTSOURCE) options.emplace_back("media-source", MediaSource(mode.dmDefaultSource));
    return options;
}
