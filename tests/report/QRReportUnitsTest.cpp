// Measurements: the unit conversions, the page and its paper rules, band
// and printable sizes in step with their controls, "Values" streaming.
#include "QRReport.h"

#include "Classes.h"
#include "ExtCtrls.h"

#include <gtest/gtest.h>

#include <QPageSize>
#include <cmath>
#include <memory>

namespace {

// A report stand-in: a panel whose font drives Characters.
std::unique_ptr<TCustomPanel> ReportPanel(Integer fontSize)
{
    auto panel = std::make_unique<TCustomPanel>(nullptr);
    panel->Font()->SetSize(fontSize);
    return panel;
}

QByteArray StreamBytes(const TQRUnitBase& u)
{
    TMemoryStream s;
    u.WriteValues(s);
    s.SetPosition(0);
    return s.ReadBytes(Integer(s.Size()));
}

void ReadFrom(TQRUnitBase& u, const QByteArray& bytes)
{
    TMemoryStream s;
    s.WriteBytes(bytes);
    s.SetPosition(0);
    u.ReadValues(s);
}

class MeasurementLocale : public ::testing::Test {
protected:
    void SetUp() override { saved_ = QRMeasurementIsUS(); SetQRMeasurementIsUS(false); }
    void TearDown() override { SetQRMeasurementIsUS(saved_); }
    bool saved_ = false;
};

}  // namespace

using QRUnitsTest = MeasurementLocale;

TEST_F(QRUnitsTest, ConversionTableBothWays)
{
    auto report = ReportPanel(10);
    TQRPrintableSize size(nullptr);
    size.SetParentReport(report.get());
    struct Row { TQRUnit unit; long double native, across, down; };
    // Characters at 10 points: 80/10/2.54 mm across, 145.3/10/2.54 mm down.
    const long double cw = 80.0L / 10 / 2.54L, ch = 145.3L / 10 / 2.54L;
    const Row rows[] = {
        {TQRUnit::MM, 2970, 297, 297},
        {TQRUnit::Inches, 254, 1, 1},
        {TQRUnit::Pixels, 254, 96, 96},
        {TQRUnit::Characters, 10 * cw * 3, 3, 3 * cw / ch},
        {TQRUnit::Native, 123.25L, 123.25L, 123.25L},
    };
    for (const Row& r : rows) {
        size.SetUnits(r.unit);
        EXPECT_NEAR(double(size.FromNative(r.native, true)), double(r.across), 1e-9) << int(r.unit);
        EXPECT_NEAR(double(size.FromNative(r.native, false)), double(r.down), 1e-9) << int(r.unit);
        EXPECT_NEAR(double(size.ToNative(r.across, true)), double(r.native), 1e-9) << int(r.unit);
        EXPECT_NEAR(double(size.ToNative(r.down, false)), double(r.native), 1e-9) << int(r.unit);
    }
    EXPECT_NEAR(double(cw), 3.1496, 1e-4);
    EXPECT_NEAR(double(ch), 5.7205, 1e-4);
}

TEST_F(QRUnitsTest, PixelsFollowZoomAndBadZoomIsIgnored)
{
    TQRBandSize size(nullptr);
    size.SetUnits(TQRUnit::Pixels);
    size.SetZoom(200);
    EXPECT_NEAR(double(size.FromNative(254, true)), 192, 1e-9);
    size.SetZoom(0);
    size.SetZoom(-5);
    EXPECT_EQ(size.Zoom(), 200);
    EXPECT_NEAR(double(size.ToNative(192, false)), 254, 1e-9);
}

TEST_F(QRUnitsTest, CharactersWithoutUsableFontStillConvert)
{
    auto report = ReportPanel(0);
    TQRBandSize size(nullptr);
    size.SetParentReport(report.get());
    size.SetUnits(TQRUnit::Characters);
    const long double v = size.FromNative(100, true);
    EXPECT_TRUE(std::isfinite(double(v)));
    EXPECT_GT(v, 0);
}

TEST_F(QRUnitsTest, A4PageInMillimetresAndInches)
{
    TQRPage page;
    EXPECT_EQ(page.Units(), TQRUnit::MM);
    EXPECT_EQ(page.PaperSize(), TQRPaperSize::A4);
    EXPECT_NEAR(double(page.Width()), 210, 1e-9);
    EXPECT_NEAR(double(page.Length()), 297, 1e-9);
    EXPECT_NEAR(double(page.RawValue(TQRPage::iWidth)), 2100, 1e-9);
    EXPECT_NEAR(double(page.RawValue(TQRPage::iLength)), 2970, 1e-9);
    EXPECT_NEAR(double(page.TopMargin()), 10, 1e-9);
    EXPECT_EQ(page.Columns(), 1);
    EXPECT_TRUE(page.Ruler());

    page.SetUnits(TQRUnit::Inches);
    EXPECT_NEAR(double(page.Width()), 210 / 25.4, 1e-12);
    EXPECT_NEAR(double(page.RawValue(TQRPage::iWidth)), 2100, 1e-9);
    EXPECT_NEAR(double(page.RawValue(TQRPage::iLeftMargin)), 100, 1e-9);
}

TEST_F(QRUnitsTest, UsSettingGivesLetterAndHalfInchMargins)
{
    SetQRMeasurementIsUS(true);
    TQRPage page;
    EXPECT_EQ(page.Units(), TQRUnit::Inches);
    EXPECT_EQ(page.PaperSize(), TQRPaperSize::Letter);
    EXPECT_NEAR(double(page.Width()), 8.5, 1e-12);
    EXPECT_NEAR(double(page.Length()), 11, 1e-12);
    EXPECT_NEAR(double(page.RawValue(TQRPage::iBottomMargin)), 127, 1e-9);
}

TEST_F(QRUnitsTest, PaperRules)
{
    TQRPage page;
    page.SetWidth(100);
    EXPECT_NEAR(double(page.Width()), 210, 1e-9) << "a standard paper keeps its width";
    page.SetOrientation(poLandscape);
    EXPECT_NEAR(double(page.Width()), 297, 1e-9);
    EXPECT_NEAR(double(page.Length()), 210, 1e-9);
    page.SetPaperSize(TQRPaperSize::A5);
    EXPECT_NEAR(double(page.Width()), 210, 1e-9);
    EXPECT_NEAR(double(page.Length()), 148, 1e-9);

    page.SetUnits(TQRUnit::Inches);
    page.SetPaperSize(TQRPaperSize::Custom);
    EXPECT_EQ(page.Units(), TQRUnit::Inches);
    page.SetWidth(5);
    page.SetLength(7);
    EXPECT_NEAR(double(page.RawValue(TQRPage::iWidth)), 1270, 1e-9);
    EXPECT_NEAR(double(page.RawValue(TQRPage::iLength)), 1778, 1e-9);
    page.SetPaperSize(TQRPaperSize::Default);
    EXPECT_NEAR(double(page.RawValue(TQRPage::iWidth)), 1270, 1e-9) << "Default keeps the last size";

    page.SetColumns(3);
    page.SetColumns(0);
    page.SetColumns(-2);
    EXPECT_EQ(page.Columns(), 3);
}

TEST_F(QRUnitsTest, PaperTableAgreesWithQt)
{
    for (TQRPaperSize p : {TQRPaperSize::A4, TQRPaperSize::Letter, TQRPaperSize::A3, TQRPaperSize::B5}) {
        TQRPage page;
        page.SetPaperSize(p);
        const QSizeF mm = QPageSize(QPageSize::id(QRPaperCode(p))).size(QPageSize::Millimeter);
        EXPECT_NEAR(double(page.Width()), mm.width(), 1.0) << int(p);
        EXPECT_NEAR(double(page.Length()), mm.height(), 1.0) << int(p);
    }
}

TEST_F(QRUnitsTest, PageSizesItsReportInThePixelsOfTheZoom)
{
    auto report = ReportPanel(10);
    TQRPage page;
    page.SetParentReport(report.get());
    page.SetZoom(50);
    {
        TQRUnitSwitch inches(page, TQRUnit::Inches);
        EXPECT_EQ(page.SavedUnits(), TQRUnit::MM);
        page.Update();
    }
    EXPECT_EQ(page.Units(), TQRUnit::MM);
    // 2100 tenths at 96 ppi and 50 %: 396.85 -> 397; 2970: 561.26 -> 561.
    EXPECT_EQ(report->Width(), 397);
    EXPECT_EQ(report->Height(), 561);
}

TEST_F(QRUnitsTest, UnitSwitchReturnsOnException)
{
    TQRBandSize size(nullptr);
    EXPECT_THROW(
        {
            TQRUnitSwitch native(size, TQRUnit::Native);
            throw Exception("run failed");
        },
        Exception);
    EXPECT_EQ(size.Units(), TQRUnit::MM);
}

TEST_F(QRUnitsTest, PrintableSizeMovesItsControlInPixels)
{
    TCustomPanel control(nullptr);
    TQRPrintableSize size(&control);
    size.SetLeft(10);    // 37.80 px
    size.SetTop(20);     // 75.59
    size.SetWidth(30);   // 113.39
    size.SetHeight(5);   // 18.90
    EXPECT_EQ(control.Left(), 38);
    EXPECT_EQ(control.Top(), 76);
    EXPECT_EQ(control.Width(), 113);
    EXPECT_EQ(control.Height(), 19);
    size.SetZoom(200);
    size.Update();
    EXPECT_EQ(control.Width(), 227);

    // Moved on the design surface: only the changed values are taken, so
    // the unchanged ones keep their exact millimetres.
    size.SetZoom(100);
    size.TakeBounds(38, 76, 96, 19);
    EXPECT_EQ(size.RawValue(TQRPrintableSize::iLeft), 100);
    EXPECT_EQ(size.RawValue(TQRPrintableSize::iTop), 200);
    EXPECT_EQ(size.RawValue(TQRPrintableSize::iHeight), 50);
    EXPECT_NEAR(double(size.Width()), 25.4, 1e-9);
    EXPECT_EQ(size.Units(), TQRUnit::MM);
}

TEST_F(QRUnitsTest, BandSizeDefaultsAndUpdate)
{
    TCustomPanel band(nullptr);
    TQRBandSize size(&band);
    EXPECT_NEAR(double(size.RawValue(TQRBandSize::iHeight)), 20, 1e-9);
    EXPECT_NEAR(double(size.RawValue(TQRBandSize::iWidth)), 40, 1e-9);
    size.SetUnits(TQRUnit::Inches);
    size.SetHeight(1);
    size.SetWidth(2);
    EXPECT_EQ(band.Height(), 96);
    EXPECT_EQ(band.Width(), 192);
    size.TakeBounds(192, 3);
    EXPECT_NEAR(double(size.RawValue(TQRBandSize::iHeight)), 3 * 254 / 96.0L, 1e-9);
    EXPECT_NEAR(double(size.RawValue(TQRBandSize::iWidth)), 508, 1e-9);
}

TEST_F(QRUnitsTest, ValuesStreamRoundTrip)
{
    TQRPage page;
    page.SetPaperSize(TQRPaperSize::Custom);
    page.SetWidth(123.4L);
    page.SetColumnSpace(3.3L);
    const QByteArray bytes = StreamBytes(page);
    ASSERT_EQ(bytes.size(), 1 + 7 * 11 + 1);
    EXPECT_EQ(Byte(bytes[0]), 1);
    EXPECT_EQ(Byte(bytes[1]), 5);
    EXPECT_EQ(Byte(bytes.back()), 0);

    TQRPage copy;
    ReadFrom(copy, bytes);
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(copy.RawValue(i), page.RawValue(i)) << i;
}

// bytes with its first extended value replaced by raw (x87 layout, low byte first).
QByteArray WithFirstValue(QByteArray bytes, std::initializer_list<unsigned char> raw)
{
    int i = 2;
    for (unsigned char b : raw)
        bytes[i++] = char(b);
    return bytes;
}

TEST_F(QRUnitsTest, MalformedValuesAreRefusedAndChangeNothing)
{
    TQRPrintableSize good(nullptr);
    good.SetLeft(7);
    const QByteArray bytes = StreamBytes(good);
    QByteArray nan = bytes;
    const long double notANumber = NAN;
    std::memcpy(nan.data() + 2, &notANumber, 10);
    const QByteArray bad[] = {
        QByteArray(),                               // empty
        QByteArray("\x02", 1),                     // not a list
        bytes.left(bytes.size() - 1),               // no end marker
        bytes.left(20),                             // cut inside a value
        QByteArray("\x01\x00", 2),                  // too few values
        bytes.left(bytes.size() - 1) + bytes.mid(1, 11) + QByteArray(1, 0),  // too many
        QByteArray("\x01\x02\x00", 3),              // wrong value type
        nan,
        WithFirstValue(bytes, {0, 0, 0, 0, 0, 0, 0, 0x48, 0x06, 0x40}),  // no integer bit: not a number to the FPU
        WithFirstValue(bytes, {0, 0, 0, 0, 0, 0, 0xED, 0x96, 0x49, 0x40}),  // 2^74: no pixel size holds it
    };
    for (const QByteArray& b : bad) {
        TQRPrintableSize target(nullptr);
        EXPECT_THROW(ReadFrom(target, b), EReadError) << b.toHex().constData();
        EXPECT_NEAR(double(target.RawValue(TQRPrintableSize::iLeft)), 20, 1e-9);
    }
}

TEST(QRUnitRoutines, UniqueNameAndIsActive)
{
    TComponent owner(nullptr);
    EXPECT_EQ(UniqueName(&owner, "QRBand"), "QRBand1");
    auto* a = new TComponent(&owner);
    a->SetName("QRBand1");
    auto* b = new TComponent(&owner);
    b->SetName("qrband3");
    EXPECT_EQ(UniqueName(&owner, "QRBand"), "QRBand2");
    b->SetName("qrband2");
    EXPECT_EQ(UniqueName(&owner, "QRBand"), "QRBand3") << "names are matched without case";
    EXPECT_FALSE(IsActive(nullptr));
}
