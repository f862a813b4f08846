// The three showcase windows: what they hold after showing, that nothing
// overlaps, and that only a click on the background closes them.
#include "UnAVLabel.h"
#include "UnShape.h"
#include "UnVLabel.h"

#include "DemoTestSupport.h"
#include "ExtCtrls.h"
#include "StdCtrls.h"
#include "TestSupport.h"
#include "ZvStdCtrls.h"

#include <QtGui/QImage>

#include <gtest/gtest.h>

#include <memory>
#include <set>

namespace {

template <class Form>
std::unique_ptr<Form> ShownWindow() {
    auto form = std::make_unique<Form>(nullptr);
    form->AfterConstruction();
    ShowActive(form.get());
    return form;
}

// A control keeps the window open, a click where no control is closes it.
void ExpectOnlyBackgroundCloses(TCustomForm* form, TControl* control, QPoint background) {
    ClickControl(control);
    EXPECT_TRUE(form->Visible()) << "a click on " << control->Name().toStdString() << " closed the window";
    MouseClick(form, background);
    EXPECT_FALSE(form->Visible());
}

// The share of pixels of image that differ from its top left pixel.
int InkPixels(const QImage& image) {
    const QRgb face = image.pixel(0, 0);
    int ink = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) ink += image.pixel(x, y) != face;
    return ink;
}

TEST(ShapeWindow, HoldsEveryKindInEachSettingAndTheFrameworkShapes) {
    auto form = ShownWindow<TForm3>();
    EXPECT_EQ(form->Caption(), "Form3");
    EXPECT_EQ(form->ClientWidth(), 756);
    EXPECT_EQ(form->ClientHeight(), 374);
    ASSERT_EQ(form->ZvShapes.size(), 76u);
    EXPECT_EQ(form->Shapes.size(), 7u);
    std::multiset<TZvShapeType> kinds;
    for (TZvShape* shape : form->ZvShapes) kinds.insert(shape->Shape());
    for (Integer k = 0; k < 24; ++k) EXPECT_GE(kinds.count(TZvShapeType(k)), 3u) << "kind " << k;
    // The captions are tagged, so showing the window keeps them.
    EXPECT_EQ(form->Label1->Caption(), "TZvShape");
    EXPECT_EQ(form->Label2->Caption(), "TShape");
    ExpectTidyLayout(form.get());
    SaveTestImage(GrabForm(form.get()), QStringLiteral("shape_window"));
}

TEST(ShapeWindow, EveryShapeDrawsSomething) {
    auto form = ShownWindow<TForm3>();
    for (TZvShape* shape : form->ZvShapes) {
        const QImage image = GrabControl(shape);
        EXPECT_GT(InkPixels(image), 0) << shape->Name().toStdString();
    }
}

TEST(ShapeWindow, AClickOnAShapeKeepsItAClickOnTheBackgroundClosesIt) {
    auto form = ShownWindow<TForm3>();
    // A shape whose middle is drawn (a filled rectangle) and one whose
    // middle is blank (a line at the edge): both are the control's.
    ExpectOnlyBackgroundCloses(form.get(), form->ZvShapes[0], QPoint(750, 360));
    ShowActive(form.get());
    ExpectOnlyBackgroundCloses(form.get(), form->ZvShapes[20], QPoint(4, 290));
    ShowActive(form.get());
    ExpectOnlyBackgroundCloses(form.get(), form->Shapes[6], QPoint(600, 330));
}

TEST(ShapeWindow, ADisabledShapeLetsTheClickReachTheWindow) {
    auto form = ShownWindow<TForm3>();
    TZvShape* shape = form->ZvShapes[30];
    shape->SetEnabled(false);
    ClickControl(shape);
    EXPECT_FALSE(form->Visible());
}

TEST(RotatedLabelWindow, NineLabelsAtEachAngleKeepTheirCaptions) {
    auto form = ShownWindow<TFrmZvVLabel>();
    EXPECT_EQ(form->Caption(), "FrmZvVLabel");
    EXPECT_EQ(form->ClientWidth(), 714);
    EXPECT_EQ(form->ClientHeight(), 339);
    EXPECT_EQ(form->BorderStyle(), bsSingle);
    ASSERT_EQ(form->Labels.size(), 36u);
    std::multiset<TVLabelAngle> angles;
    for (TZvVLabel* label : form->Labels) {
        angles.insert(label->Angle());
        EXPECT_EQ(label->Caption(), "回転ラベル");
    }
    for (Integer a = 0; a < 4; ++a) EXPECT_EQ(angles.count(TVLabelAngle(a)), 9u);
    ExpectTidyLayout(form.get());
    SaveTestImage(GrabForm(form.get()), QStringLiteral("rotated_label_window"));
}

TEST(RotatedLabelWindow, TheWholeCaptionShowsAtEveryAngle) {
    auto form = ShownWindow<TFrmZvVLabel>();
    // Turned a quarter, the ink is taller than wide; upright, wider than
    // tall; and it never touches the label's edge (nothing clipped).
    for (TZvVLabel* label : form->Labels) {
        const QImage image = GrabControl(label);
        const QRgb face = image.pixel(0, 0);
        int left = image.width(), right = -1, top = image.height(), bottom = -1;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (image.pixel(x, y) != face) {
                    left = std::min(left, x), right = std::max(right, x);
                    top = std::min(top, y), bottom = std::max(bottom, y);
                }
        ASSERT_GE(right, 0) << label->Name().toStdString();
        const bool upright = label->Angle() == TVLabelAngle::va0 || label->Angle() == TVLabelAngle::va180;
        EXPECT_EQ(upright, right - left > bottom - top) << label->Name().toStdString();
        EXPECT_LT(right - left + 1, image.width()) << label->Name().toStdString();
        EXPECT_LT(bottom - top + 1, image.height()) << label->Name().toStdString();
    }
}

TEST(RotatedLabelWindow, OnlyTheBackgroundCloses) {
    auto form = ShownWindow<TFrmZvVLabel>();
    ExpectOnlyBackgroundCloses(form.get(), form->Labels[13], QPoint(710, 336));
}

TEST(EvenLabelWindow, TwentyLabelsInEveryShadowPlacement) {
    auto form = ShownWindow<TFrmZvAVLabel>();
    EXPECT_EQ(form->Caption(), "FrmZvAVLabel");
    EXPECT_EQ(form->ClientWidth(), 600);
    EXPECT_EQ(form->ClientHeight(), 191);
    ASSERT_EQ(form->Labels.size(), 20u);
    int evenPitch = 0;
    std::multiset<TShadowType> shadows;
    for (TZvAVLabel* label : form->Labels) {
        evenPitch += label->AVPitch();
        shadows.insert(label->ShadowType());
        EXPECT_EQ(label->Caption(), "均等ﾗﾍﾞﾙ");
    }
    EXPECT_EQ(evenPitch, 10);
    for (TShadowType t : {TShadowType::stLeftTop, TShadowType::stRightTop, TShadowType::stLeftBottom,
                          TShadowType::stRightBottom})
        EXPECT_EQ(shadows.count(t), 4u);
    ExpectTidyLayout(form.get());
    SaveTestImage(GrabForm(form.get()), QStringLiteral("even_label_window"));
}

TEST(EvenLabelWindow, OnlyTheBackgroundCloses) {
    auto form = ShownWindow<TFrmZvAVLabel>();
    ExpectOnlyBackgroundCloses(form.get(), form->Labels[5], QPoint(598, 189));
}

}  // namespace
