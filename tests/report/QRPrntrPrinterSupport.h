// Helpers for the report printer tests: a printer driver of the test's
// choosing behind the built-in PDF printer, and a scratch PDF folder.
#pragma once

#include "Printers.h"
#include "QRPrntr.h"

#include <gtest/gtest.h>

#include <QtCore/QTemporaryDir>
#include <QtCore/QTimer>
#include <QtTest/QTest>
#include <QtWidgets/QApplication>
#include <QtWidgets/QDialog>
#include <QtWidgets/QDialogButtonBox>
#include <QtWidgets/QPushButton>

#include <functional>
#include <memory>

// Behaves as the PDF printer (jobs become PDF files) unless told otherwise:
// its own fields, papers, resolution, paper code and margins.
class TFakePrinterDriver : public TPrinterDriver {
public:
    explicit TFakePrinterDriver(QString name) : name_(std::move(name)) {}

    QString DeviceName() const override { return name_; }
    QString DriverName() const override { return QStringLiteral("fake driver"); }
    QString PortName() const override { return QStringLiteral("fake:"); }
    DevMode DefaultMode() const override {
        DevMode mode = pdf_->DefaultMode();
        mode.dmDeviceName = name_;
        mode.dmFields = fields;
        mode.dmPaperSize = paper;
        mode.dmDefaultSource = bin;
        mode.dmDuplex = duplex;
        return mode;
    }
    std::vector<Word> Papers() const override { return papers; }
    std::vector<Word> Bins() const override { return bins; }
    QStringList BinNames() const override {
        QStringList names;
        for (Word bin : bins) names << QString::number(bin);
        return names;
    }
    Integer Resolution(const DevMode&) const override { return resolution; }
    QMarginsF Margins(const DevMode& mode) const override {
        return mode.dmOrientation == DMORIENT_LANDSCAPE
                   ? QMarginsF(margins.top(), margins.right(), margins.bottom(), margins.left())
                   : margins;
    }
    QString JobFile(const QString& title) const override { return pdf_->JobFile(title); }
    bool Submit(const QString& file, const QString&, const DevMode& mode, QString&) override {
        lastFile = file;
        submitted = mode;
        return true;
    }

    Cardinal fields = DM_ORIENTATION | DM_PAPERSIZE | DM_PAPERLENGTH | DM_PAPERWIDTH | DM_COPIES |
                      DM_DEFAULTSOURCE | DM_DUPLEX | DM_COLLATE | DM_COLOR | DM_PRINTQUALITY;
    SmallInt paper = DMPAPER_A4;
    SmallInt bin = DMBIN_AUTO;
    SmallInt duplex = DMDUP_SIMPLEX;
    std::vector<Word> papers{DMPAPER_LETTER, DMPAPER_A3, DMPAPER_A4, DMPAPER_B5};
    std::vector<Word> bins{DMBIN_UPPER, DMBIN_LOWER, DMBIN_AUTO, DMBIN_CASSETTE};
    Integer resolution = 300;
    QMarginsF margins{5, 4, 5, 4};
    QString lastFile;
    DevMode submitted;

private:
    QString name_;
    std::unique_ptr<TPrinterDriver> pdf_ = NewPdfPrinterDriver();
};

// A printer of the PDF printer and one fake driver (selected), which the
// caller sets up through setup before the printer reads its defaults.
template <class Setup>
std::unique_ptr<TPrinter> NewFakePrinter(Setup setup, TFakePrinterDriver** driver = nullptr) {
    auto fake = std::make_unique<TFakePrinterDriver>(QStringLiteral("Fake printer"));
    setup(*fake);
    if (driver) *driver = fake.get();
    std::vector<std::unique_ptr<TPrinterDriver>> drivers;
    drivers.push_back(NewPdfPrinterDriver());
    drivers.push_back(std::move(fake));
    auto printer = std::make_unique<TPrinter>(std::move(drivers));
    printer->SetPrinterIndex(1);
    return printer;
}

// Points the PDF printer at a fresh folder for the test's life.
class TPdfFolder {
public:
    TPdfFolder() { qputenv("VELMORA_PDF_DIR", dir_.path().toUtf8()); }
    ~TPdfFolder() { qunsetenv("VELMORA_PDF_DIR"); }
    QString Path() const { return dir_.path(); }

private:
    QTemporaryDir dir_;
};

// Runs act on the print dialog once it is up (from a timer, as the dialog
// runs its own loop).
inline void WhenPrintDialogShows(std::function<void(QDialog&)> act) {
    auto* timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, [timer, act] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible()) return;
        timer->stop();
        timer->deleteLater();
        act(*dialog);
    });
    timer->start(10);
}

// Clicks the dialog's OK button.
inline void Accept(QDialog& dialog) {
    for (QPushButton* button : dialog.findChildren<QPushButton*>())
        if (auto* box = qobject_cast<QDialogButtonBox*>(button->parentWidget());
            box && box->buttonRole(button) == QDialogButtonBox::AcceptRole) {
            QTest::mouseClick(button, Qt::LeftButton);
            return;
        }
    ADD_FAILURE() << "no OK button";
}
