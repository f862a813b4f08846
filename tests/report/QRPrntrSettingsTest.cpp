// Printer settings: the paper and bin tables, reading a printer's device
// mode, setters that follow the driver, writing the mode back.
#include "QRPrntrPrinterSupport.h"

#include <QtGui/QPageSize>

#include <gtest/gtest.h>

#include <cmath>

namespace {

TEST(QRPaperTableTest, SizesAgreeWithQtForEveryCodeBothKnow) {
    int compared = 0;
    for (int i = 1; i < QRPaperSizeCount - 1; ++i) {
        const auto paper = TQRPaperSize(i);
        // Qt gives these codes a neighbouring paper: JIS B4, the
        // architectural C, D and E sheets and 12 x 18 in.
        if (paper == TQRPaperSize::B4 || paper == TQRPaperSize::CSheet || paper == TQRPaperSize::DSheet ||
            paper == TQRPaperSize::ESheet || paper == TQRPaperSize::TabloidExtra)
            continue;
        const QPageSize::PageSizeId id = QPageSize::id(QRPaperCode(paper));
        if (id == QPageSize::Custom) continue;
        QSizeF mm = QPageSize::size(id, QPageSize::Millimeter);
        const TQRPaperDimension& ours = QRPaperDimension(paper);
        // Qt names a transverse (or ledger) sheet by its upright paper.
        if ((ours.Width > ours.Length) != (mm.width() > mm.height())) mm.transpose();
        EXPECT_NEAR(double(ours.Width), mm.width(), 1.0) << QRPaperName(paper).toStdString();
        EXPECT_NEAR(double(ours.Length), mm.height(), 1.0) << QRPaperName(paper).toStdString();
        ++compared;
    }
    EXPECT_GE(compared, 50);
}

TEST(QRPaperTableTest, CodesNamesAndBinsRoundTrip) {
    for (int i = 0; i < QRPaperSizeCount - 1; ++i) EXPECT_EQ(QRPaperCode(TQRPaperSize(i)), i);
    EXPECT_EQ(QRPaperCode(TQRPaperSize::Custom), 256);
    EXPECT_EQ(QRPaperOfCode(256), TQRPaperSize::Custom);
    EXPECT_EQ(QRPaperOfCode(69), TQRPaperSize::Default);
    EXPECT_EQ(QRPaperOfCode(-3), TQRPaperSize::Default);
    EXPECT_EQ(QRPaperOfCode(DMPAPER_A4), TQRPaperSize::A4);
    EXPECT_EQ(QRPaperName(TQRPaperSize::A4Trans), "A4 Transverse 297 z 210 mm");
    EXPECT_EQ(QRPaperName(TQRPaperSize::Custom), "Custom Size");
    EXPECT_EQ(QRPaperDimension(TQRPaperSize::Default).Width, 0);
    EXPECT_EQ(QRPaperDimension(TQRPaperSize::EnvB6).Width, 176);

    EXPECT_EQ(QRBinOfCode(7), TQRBin::Auto);
    EXPECT_EQ(QRBinOfCode(14), TQRBin::Cassette);  // the first of the two with code 14
    EXPECT_EQ(QRBinOfCode(1), TQRBin::First);
    EXPECT_EQ(QRBinOfCode(12), TQRBin::First);
    EXPECT_EQ(QRBinCode(TQRBin::Last), 14);
    EXPECT_EQ(QRBinCode(TQRBin::LargeCapacity), 11);
}

TEST(QRPrinterSettingsTest, ReadsTheDeviceModeInTenthsOfAMillimetre) {
    auto printer = NewFakePrinter([](TFakePrinterDriver& d) {
        d.bin = DMBIN_CASSETTE;
        d.duplex = DMDUP_VERTICAL;
        d.paper = DMPAPER_B5;
    });
    TPrinterSettings settings;
    settings.SetPrinter(printer.get());
    EXPECT_EQ(settings.XResolution(), 300);
    EXPECT_EQ(settings.YResolution(), 300);
    EXPECT_EQ(settings.LeftOffset(), 50);
    EXPECT_EQ(settings.TopOffset(), 40);
    EXPECT_EQ(settings.PaperSize(), TQRPaperSize::B5);
    EXPECT_EQ(settings.PaperWidth(), 1820);
    EXPECT_EQ(settings.PaperLength(), 2570);
    EXPECT_EQ(settings.OutputBin(), TQRBin::Cassette);
    EXPECT_TRUE(settings.Duplex());
    EXPECT_EQ(settings.ExtendedDuplex, DMDUP_VERTICAL);
    EXPECT_TRUE(settings.PaperSupported(TQRPaperSize::A3));
    EXPECT_FALSE(settings.PaperSupported(TQRPaperSize::A5));
    EXPECT_TRUE(settings.PaperSupported(TQRPaperSize::Custom));
}

TEST(QRPrinterSettingsTest, UnknownCodesGiveDefaultPaperAndFirstBin) {
    auto printer = NewFakePrinter([](TFakePrinterDriver& d) {
        d.paper = DMPAPER_USER;
        d.bin = 12;
        d.bins = {12};
    });
    TPrinterSettings settings;
    settings.SetPrinter(printer.get());
    EXPECT_EQ(settings.PaperSize(), TQRPaperSize::Custom);
    EXPECT_EQ(settings.OutputBin(), TQRBin::First);
}

TEST(QRPrinterSettingsTest, SettersChangeOnlyWhatTheDriverSupports) {
    auto printer = NewFakePrinter([](TFakePrinterDriver& d) { d.fields = DM_PAPERSIZE | DM_ORIENTATION; });
    TPrinterSettings settings;
    settings.SetCopies(4);  // no printer yet: nothing is supported
    EXPECT_EQ(settings.Copies(), 1);
    settings.SetPrinter(printer.get());
    settings.SetCopies(4);
    settings.SetDuplex(true);
    settings.SetOutputBin(TQRBin::Lower);
    settings.SetOrientation(1);
    EXPECT_EQ(settings.Copies(), 1);
    EXPECT_FALSE(settings.Duplex());
    EXPECT_EQ(settings.OutputBin(), TQRBin::First);
    EXPECT_EQ(settings.Orientation(), 1);

    settings.SetPaperSize(TQRPaperSize::A5);  // not in the driver's list
    EXPECT_EQ(settings.PaperSize(), TQRPaperSize::A4);
    settings.SetPaperSize(TQRPaperSize::A3);
    EXPECT_EQ(settings.PaperSize(), TQRPaperSize::A3);
    EXPECT_EQ(settings.PrintPaperWidth(), 2970);
    EXPECT_EQ(settings.PrintPaperLength(), 4200);
    settings.SetPaperSize(TQRPaperSize::Default);
    EXPECT_EQ(settings.PaperSize(), TQRPaperSize::Default);
    EXPECT_EQ(settings.PrintPaperWidth(), 2100);  // the printer's own paper
    settings.SetPaperSize(TQRPaperSize::Custom);
    settings.SetPaperWidth(1234);
    EXPECT_EQ(settings.PrintPaperWidth(), 1234);
}

TEST(QRPrinterSettingsTest, ReadsAPrinterOnceUntilAnotherIsSelected) {
    auto printer = NewFakePrinter([](TFakePrinterDriver&) {});
    TPrinterSettings settings;
    int reads = 0;
    settings.OnGetDeviceMode = [&reads](TObject*, bool&, DevMode* mode) {
        ASSERT_NE(mode, nullptr);
        ++reads;
    };
    settings.SetPrinter(printer.get());
    settings.ReadFromPrinter();
    EXPECT_EQ(reads, 1);
    printer->SetPrinterIndex(0);
    settings.ReadFromPrinter();
    EXPECT_EQ(reads, 2);
    EXPECT_EQ(settings.XResolution(), 600);  // the PDF printer's
    EXPECT_EQ(settings.LeftOffset(), 0);
}

TEST(QRPrinterSettingsTest, CancelledReadKeepsTheSettings) {
    auto printer = NewFakePrinter([](TFakePrinterDriver& d) { d.paper = DMPAPER_A3; });
    TPrinterSettings settings;
    settings.OnGetDeviceMode = [](TObject*, bool& cancel, DevMode*) { cancel = true; };
    settings.SetPrinter(printer.get());
    EXPECT_EQ(settings.PaperSize(), TQRPaperSize::A4);
    EXPECT_EQ(settings.XResolution(), 0);
}

// A printer that reports no resolution, or a paper without size, is
// measured as the PDF printer would be: nothing divides by zero.
TEST(QRPrinterSettingsTest, BrokenPrinterFallsBackToThePdfPrintersValues) {
    auto noResolution = NewFakePrinter([](TFakePrinterDriver& d) { d.resolution = 0; });
    TPrinterSettings settings;
    settings.SetPrinter(noResolution.get());
    EXPECT_EQ(settings.XResolution(), 600);
    EXPECT_EQ(settings.YResolution(), 600);
    EXPECT_EQ(settings.PaperWidth(), 2100);
    EXPECT_EQ(settings.PaperLength(), 2970);

    auto noPaper = NewFakePrinter([](TFakePrinterDriver& d) { d.paper = 200; });
    TPrinterSettings other;
    other.SetPrinter(noPaper.get());
    EXPECT_LE(noPaper->DeviceCaps(PHYSICALWIDTH), 0);
    EXPECT_GT(other.XResolution(), 0);
    EXPECT_GT(other.PaperWidth(), 0);
    EXPECT_GT(other.PaperLength(), 0);
}

TEST(QRPrinterSettingsTest, ApplyWritesTheSettingsIntoTheDeviceMode) {
    auto printer = NewFakePrinter([](TFakePrinterDriver&) {});
    TPrinterSettings settings;
    settings.SetPrinter(printer.get());
    settings.SetPaperSize(TQRPaperSize::A3);
    settings.SetOrientation(1);
    settings.SetCopies(3);
    settings.SetOutputBin(TQRBin::Lower);
    settings.SetDuplex(true);
    settings.ExtendedDuplex = 0;  // as a report hands it over
    DevMode seen;
    settings.OnApplySettings = [&seen](TObject*, bool&, DevMode* mode) { seen = *mode; };
    settings.ApplySettings();
    EXPECT_EQ(seen.dmDuplex, DMDUP_HORIZONTAL);
    EXPECT_EQ(seen.dmPaperWidth, 2970);
    EXPECT_EQ(seen.dmPaperLength, 4200);

    const DevMode& mode = printer->Mode();
    EXPECT_EQ(mode.dmPaperSize, DMPAPER_A3);
    EXPECT_EQ(mode.dmOrientation, DMORIENT_LANDSCAPE);
    EXPECT_EQ(mode.dmCopies, 3);
    EXPECT_EQ(mode.dmDefaultSource, DMBIN_LOWER);
    EXPECT_EQ(mode.dmDuplex, DMDUP_HORIZONTAL);
    // 420 x 297 mm at 300 dpi
    EXPECT_EQ(printer->DeviceCaps(PHYSICALWIDTH), std::lround(420 / 25.4 * 300));
    EXPECT_EQ(printer->DeviceCaps(PHYSICALHEIGHT), std::lround(297 / 25.4 * 300));

    // A raw duplex code rules over the switch; a custom bin code over the bin.
    settings.ExtendedDuplex = DMDUP_VERTICAL;
    settings.SetDuplex(false);
    settings.UseCustomBinCode = true;
    settings.CustomBinCode = DMBIN_CASSETTE;
    settings.ApplySettings();
    EXPECT_EQ(printer->Mode().dmDuplex, DMDUP_VERTICAL);
    EXPECT_EQ(printer->Mode().dmDefaultSource, DMBIN_CASSETTE);
}

TEST(QRPrinterSettingsTest, CodesADeviceModeCannotHoldAreRefused) {
    auto printer = NewFakePrinter([](TFakePrinterDriver&) {});
    TPrinterSettings settings;
    settings.SetPrinter(printer.get());
    settings.SetPaperSize(TQRPaperSize::A3);
    settings.UseCustomPaperCode = true;
    settings.CustomPaperCode = 65536 + DMPAPER_A4;  // would read as A4 in 16 bits
    const DevMode before = printer->Mode();
    try {
        settings.ApplySettings();
        ADD_FAILURE() << "applied";
    } catch (const EQRError& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Custom paper code 65545 is out of range (1 to 32767)"));
    }
    EXPECT_EQ(printer->Mode(), before);

    settings.CustomPaperCode = DMPAPER_A3;
    settings.UseCustomBinCode = true;
    settings.CustomBinCode = 65536 + DMBIN_AUTO;
    EXPECT_THROW(settings.ApplySettings(), EQRError);
    settings.CustomBinCode = DMBIN_LOWER;
    settings.ApplySettings();
    EXPECT_EQ(printer->Mode().dmPaperSize, DMPAPER_A3);
    EXPECT_EQ(printer->Mode().dmDefaultSource, DMBIN_LOWER);
}

TEST(QRPrinterSettingsTest, CancelledApplyLeavesThePrinterAlone) {
    auto printer = NewFakePrinter([](TFakePrinterDriver&) {});
    TPrinterSettings settings;
    settings.SetPrinter(printer.get());
    settings.SetPaperSize(TQRPaperSize::Letter);
    settings.OnApplySettings = [](TObject*, bool& cancel, DevMode*) { cancel = true; };
    settings.ApplySettings();
    EXPECT_EQ(printer->Mode().dmPaperSize, DMPAPER_A4);
}

TEST(QRPrinterSettingsTest, DefaultPaperComesFromTheApplicationPrinter) {
    std::unique_ptr<TPrinter> previous(SetPrinter(NewFakePrinter([](TFakePrinterDriver& d) {
                                                      d.paper = DMPAPER_LETTER;
                                                  }).release()));
    EXPECT_EQ(DefaultPrinterPaperSize(), TQRPaperSize::Letter);
    Printer()->SetPrinterIndex(1);
    DevMode* mode = nullptr;
    QString device, driver, port;
    Printer()->GetPrinter(device, driver, port, mode);
    mode->dmFields &= ~DM_PAPERSIZE;
    EXPECT_EQ(DefaultPrinterPaperSize(), TQRPaperSize::Default);
    delete SetPrinter(previous.release());
}

TEST(QRPrinterSettingsTest, ResetLoadsTheDriversDefaults) {
    auto printer = NewFakePrinter([](TFakePrinterDriver&) {});
    printer->SetCopies(5);
    printer->SetOrientation(poLandscape);
    TQRPrinterSettings::ResetDeviceMode(*printer);
    EXPECT_EQ(printer->Copies(), 1);
    EXPECT_EQ(printer->Orientation(), poPortrait);
    EXPECT_EQ(printer->PrinterIndex(), 1);
}

}  // namespace
