// A small entry form filled in with real keys, drawn to a picture: values
// reformatted on the way, and the focused box in the active colour.
#include "EntryTestSupport.h"

#include "StdCtrls.h"
#include "TestSupport.h"

#include <QtGui/QImage>
#include <QtGui/QPixmap>

namespace {

QColor ColourOf(TColor color) {
    const TColor rgb = ColorToRGB(color);
    return QColor(rgb & 0xFF, (rgb >> 8) & 0xFF, (rgb >> 16) & 0xFF);
}

// The colour along the box's second pixel row, above its text.
QColor PixelIn(const QImage& image, TControl* box) {
    const TPoint p = box->ClientToParent(TPoint(box->Width() / 2, 1), box->Parent());
    return image.pixelColor(p.X, p.Y);
}

TEST(SEditPicture, AFormFilledInByKeysShowsTheFocusedBoxInTheActiveColour) {
    TraceForm form;
    form.SetClientSize(360, 190);
    const char* captions[] = {"得意先コード", "伝票日付", "数量", "単価", "備考"};
    std::vector<TSEdit*> boxes;
    for (int i = 0; i < 5; ++i) {
        auto* label = new TLabel(&form);
        label->SetParent(&form);
        label->SetCaption(QString::fromUtf8(captions[i]));
        label->SetBounds(12, 16 + i * 34, 100, 20);
        boxes.push_back(form.AddEdit(QStringLiteral("E%1").arg(i), 120, 12 + i * 34, 200, 24));
    }
    for (int i = 0; i + 1 < 5; ++i) {
        boxes[i]->SetmvDown(boxes[i + 1]);
        boxes[i]->SetMoveReturn(mkDown);
        boxes[i + 1]->SetmvUp(boxes[i]);
    }
    boxes[0]->SetNumericType(ntZeroFillInteger);
    boxes[0]->SetMaxValue(9999);
    boxes[0]->SetAlignment(taRightJustify);
    boxes[1]->SetNumericType(ntDateymd);
    boxes[2]->SetNumericType(ntInteger);
    boxes[2]->SetMaxValue(999999);
    boxes[2]->SetAlignment(taRightJustify);
    boxes[3]->SetNumericType(ntCurrency);
    boxes[3]->SetfpLength(2);
    boxes[3]->SetMaxValue(9999999);
    boxes[3]->SetAlignment(taRightJustify);
    form.ShowActive();
    boxes[0]->SetFocus();

    form.Type("12");
    form.Key(Qt::Key_Return);
    form.Type("2009.5.3");
    form.Key(Qt::Key_Return);
    form.Type("1234");
    form.Key(Qt::Key_Return);
    form.Type("980.5");
    EXPECT_TRUE(boxes[3]->Focused());
    EXPECT_EQ(Utf8(boxes[0]->Text()), "0012");
    EXPECT_EQ(Utf8(boxes[1]->Text()), "2009/05/03");
    EXPECT_EQ(Utf8(boxes[2]->Text()), "1,234");
    EXPECT_EQ(form.log, (Trace{"Enter:E0", "Modified:E0", "ModifyEx:E0", "Exit:E0", "Enter:E1", "Move:E0:40",
                               "Modified:E1", "ModifyEx:E1", "Exit:E1", "Enter:E2", "Move:E1:40",
                               "Modified:E2", "ModifyEx:E2", "Exit:E2", "Enter:E3", "Move:E2:40"}));

    const QImage image = form.Handle()->grab().toImage();
    SaveTestImage(image, QStringLiteral("SEditForm"));
    EXPECT_EQ(PixelIn(image, boxes[3]), ColourOf(boxes[3]->ActiveColor()));
    EXPECT_EQ(PixelIn(image, boxes[3]), QColor(0xD0, 0xE0, 0xF9));
    for (int i : {0, 1, 2, 4}) EXPECT_EQ(PixelIn(image, boxes[i]), ColourOf(clWindow)) << i;
}

}  // namespace
