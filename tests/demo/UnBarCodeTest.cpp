// The barcode window driven by keys: the codes it shows are read back by
// zbar from the window's own pixels, before and after each change, and
// values the codes cannot take are left out.
#include "UnBarCode.h"

#include "CBarCode.h"
#include "DemoTestSupport.h"
#include "ExtCtrls.h"
#include "SBtn.h"
#include "SEdit.h"
#include "TestSupport.h"
#include "ZbarDecode.h"

#include <QtGui/QImage>

#include <gtest/gtest.h>

#include <memory>

namespace {

const std::vector<std::string> kScan = {"codabar.min-length=1", "i25.min-length=2"};

// The symbols zbar reads in the part of the window a control covers.
std::vector<ZbarSymbol> ScanControl(TCustomForm* form, TControl* control) {
    const QImage shot = GrabForm(form);
    const TPoint origin = control->ClientToScreen({0, 0});
    const TPoint formOrigin = form->ClientToScreen({0, 0});
    const QRect area(origin.X - formOrigin.X, origin.Y - formOrigin.Y, control->Width(), control->Height());
    // Room around the code: zbar needs a quiet zone.
    QImage framed(area.width() + 40, area.height() + 40, QImage::Format_RGB32);
    framed.fill(Qt::white);
    for (int y = 0; y < area.height(); ++y)
        for (int x = 0; x < area.width(); ++x) framed.setPixel(x + 20, y + 20, shot.pixel(area.x() + x, area.y() + y));
    // zbar misses bars one pixel wide; doubled, every pixel stays as drawn.
    return ZbarDecode(framed.scaled(framed.size() * 2), kScan);
}

::testing::AssertionResult Reads(const std::vector<ZbarSymbol>& symbols, const QString& type, const QByteArray& data) {
    QString found;
    for (const ZbarSymbol& s : symbols) {
        if (s.type == type && s.data == data) return ::testing::AssertionSuccess();
        found += QStringLiteral(" %1:%2").arg(s.type, QString::fromLatin1(s.data));
    }
    return ::testing::AssertionFailure() << "zbar read" << (found.isEmpty() ? QStringLiteral(" nothing") : found).toStdString();
}

class BarcodeWindow : public ::testing::Test {
protected:
    void SetUp() override {
        KeyStateReset();
        form = std::make_unique<TForm6>(nullptr);
        form->AfterConstruction();
        ShowActive(form.get());
    }
    void TearDown() override { KeyStateReset(); }

    // Replaces a box's text by typing and leaves the box with Enter.
    void Enter(TWinControl* box, const QString& text) {
        box->SetFocus();
        KeyClick(form.get(), Qt::Key_End);
        for (int i = 0; i < 20; ++i) KeyClick(form.get(), Qt::Key_Backspace);
        KeyClicks(form.get(), text);
        KeyClick(form.get(), Qt::Key_Return);
    }

    std::unique_ptr<TForm6> form;
};

TEST_F(BarcodeWindow, OpensOnTheCodabarAndTheQrCode) {
    EXPECT_EQ(form->Caption(), "Form6");
    EXPECT_EQ(form->ScbBarType->Text(), "btNW7");
    EXPECT_EQ(form->ScbAngle->Text(), "0");
    EXPECT_EQ(form->ScbCellSize->Text(), "4");
    EXPECT_EQ(form->SEdit1->Text(), "1234567890");
    EXPECT_EQ(form->SEdit2->Text(), "Velmora");
    EXPECT_TRUE(Reads(ScanControl(form.get(), form->CBarImage1), "Codabar", "A1234567890A"));
    EXPECT_TRUE(Reads(ScanControl(form.get(), form->CQRImage1), "QR-Code", "Velmora"));
    ExpectTidyLayout(form.get());
    SaveTestImage(GrabForm(form.get()), QStringLiteral("barcode_window"));
}

TEST_F(BarcodeWindow, KeysChangeSymbologyAngleDataAndModuleSize) {
    Enter(form->ScbBarType, QStringLiteral("btCODE39"));
    EXPECT_EQ(form->CBarImage1->BarType(), btCODE39);
    EXPECT_TRUE(Reads(ScanControl(form.get(), form->CBarImage1), "CODE-39", "1234567890"));
    EXPECT_TRUE(Reads(ScanControl(form.get(), form->Image1), "CODE-39", "1234567890"));

    Enter(form->SEdit1, QStringLiteral("4711"));
    EXPECT_TRUE(Reads(ScanControl(form.get(), form->CBarImage1), "CODE-39", "4711"));

    Enter(form->ScbAngle, QStringLiteral("90"));
    EXPECT_EQ(form->CBarImage1->Angle(), 90);
    EXPECT_TRUE(Reads(ScanControl(form.get(), form->CBarImage1), "CODE-39", "4711"));
    EXPECT_EQ(form->Image1->Picture()->Bitmap()->Image(), form->CBarImage1->Picture()->Bitmap()->Image())
        << "the copy turns with the barcode";

    const Integer qrWidth = form->CQRImage1->Picture()->Bitmap()->Width();
    Enter(form->ScbCellSize, QStringLiteral("2"));
    EXPECT_EQ(form->CQRImage1->CellSize(), 2);
    EXPECT_LT(form->CQRImage1->Picture()->Bitmap()->Width(), qrWidth);
    Enter(form->SEdit2, QStringLiteral("Demo 42"));
    EXPECT_TRUE(Reads(ScanControl(form.get(), form->CQRImage1), "QR-Code", "Demo 42"));
    SaveTestImage(GrabForm(form.get()), QStringLiteral("barcode_window_changed"));
}

TEST_F(BarcodeWindow, ChoosingTheCustomerCodeKeepsTheHeightOthersSetIt) {
    // The customer code's own height, as the barcode gives it without the window.
    TCBarImage alone(nullptr);
    alone.SetBounds(0, 0, form->CBarImage1->Width(), form->CBarImage1->Height());
    alone.SetText(form->CBarImage1->Text());
    alone.SetBarHeight(40);
    alone.SetBarType(btCUSTOMER);
    form->CBarImage1->SetBarHeight(40);
    Enter(form->ScbBarType, QStringLiteral("btCUSTOMER"));
    EXPECT_EQ(form->CBarImage1->BarType(), btCUSTOMER);
    EXPECT_EQ(form->CBarImage1->BarHeight(), alone.BarHeight());
    Enter(form->ScbBarType, QStringLiteral("btCODE128"));
    EXPECT_EQ(form->CBarImage1->BarHeight(), 75);
}

TEST_F(BarcodeWindow, ValuesTheCodesCannotTakeAreIgnored) {
    for (const char* size : {"0", "21", "256", "abc", "-3"}) {
        Enter(form->ScbCellSize, QString::fromLatin1(size));
        EXPECT_EQ(form->CQRImage1->CellSize(), 4) << size;
    }
    EXPECT_TRUE(Reads(ScanControl(form.get(), form->CQRImage1), "QR-Code", "Velmora"));
    Enter(form->ScbBarType, QStringLiteral("btNOTHING"));
    EXPECT_EQ(form->CBarImage1->BarType(), btNW7);
    // Text that is no angle turns the barcode back upright.
    Enter(form->ScbAngle, QStringLiteral("180"));
    Enter(form->ScbAngle, QStringLiteral("x"));
    EXPECT_EQ(form->CBarImage1->Angle(), 0);
}

// The QR code is never scaled: each module is exactly the chosen number of
// pixels and the symbol sits centred, its quiet zone clipped by the box
// when it does not fit.
TEST_F(BarcodeWindow, TheQrCodeKeepsItsModuleSizeCentred) {
    TCQRImage* qr = form->CQRImage1;
    const Integer modules = 21;  // "Velmora" is a version 1 symbol
    for (Integer size = 1; size <= 6; ++size) {
        Enter(form->ScbCellSize, QString::number(size));
        const QImage shot = GrabForm(form.get());
        const TPoint at = qr->ClientToScreen({0, 0});
        const TPoint formAt = form->ClientToScreen({0, 0});
        const QPoint origin(at.X - formAt.X, at.Y - formAt.Y);
        QRect dark;
        for (int y = 0; y < qr->Height(); ++y)
            for (int x = 0; x < qr->Width(); ++x)
                if ((shot.pixel(origin.x() + x, origin.y() + y) & 0xFFFFFF) == 0) dark |= QRect(x, y, 1, 1);
        const Integer side = size * (modules + 8);
        EXPECT_EQ(dark, QRect((qr->Width() - side) / 2 + 4 * size, (qr->Height() - side) / 2 + 4 * size,
                              modules * size, modules * size))
            << size;
        EXPECT_TRUE(Reads(ScanControl(form.get(), qr), "QR-Code", "Velmora")) << size;
    }
    SaveTestImage(GrabForm(form.get()), QStringLiteral("barcode_window_qr_size6"));
}

TEST_F(BarcodeWindow, CloseButtonCloses) {
    ClickControl(form->SBtn1);
    EXPECT_FALSE(form->Visible());
}

}  // namespace
