// The recorded metafiles read by an independent reader: emf2svg-conv turns
// each into SVG, and the SVG holds the rectangles, ellipses and texts at
// the places they were drawn.
#include "EmfSvg.h"
#include "Metafile.h"
#include "MetafileTestSupport.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

namespace {

TEST(MetafileSvg, RectanglesEllipsesAndTextsAreWhereTheyWereDrawn) {
    if (ConverterMissing()) GTEST_SKIP() << "emf2svg-conv is not installed (scripts/install-deps.sh installs it)";
    auto metafile = RecordMetafile(300, 200, [](TCanvas* c) {
        DrawFigures(c);
        DrawTexts(c);
    });
    const auto svg = ConvertToSvg(*metafile, QStringLiteral("metafile-figures-and-texts"));

    // Rectangle(70, 4, 130, 40) and RoundRect(4, 60, 90, 110, 20, 16).
    const auto rects = Named(svg, "rect");
    ASSERT_GE(rects.size(), 2u);
    EXPECT_EQ(rects[0].Number("x"), 70);
    EXPECT_EQ(rects[0].Number("y"), 4);
    EXPECT_EQ(rects[0].Number("width"), 60);
    EXPECT_EQ(rects[0].Number("height"), 36);
    EXPECT_EQ(rects[0].attributes.value(QLatin1String("fill")).toString().toUpper(), QStringLiteral("#00FFFF"));
    EXPECT_EQ(rects[1].Number("x"), 4);
    EXPECT_EQ(rects[1].Number("width"), 86);
    EXPECT_EQ(rects[1].Number("rx"), 20);
    EXPECT_EQ(rects[1].Number("ry"), 16);

    // Ellipse(140, 4, 200, 50).
    const auto ellipses = Named(svg, "ellipse");
    ASSERT_GE(ellipses.size(), 1u);
    EXPECT_EQ(ellipses[0].Number("cx"), 170);
    EXPECT_EQ(ellipses[0].Number("cy"), 27);
    EXPECT_EQ(ellipses[0].Number("rx"), 30);
    EXPECT_EQ(ellipses[0].Number("ry"), 23);

    // Texts: strings, reference points and alignment.
    const auto texts = Named(svg, "text");
    ASSERT_EQ(texts.size(), 5u);
    EXPECT_EQ(texts[0].text, QStringLiteral("Left aligned 123"));
    EXPECT_EQ(texts[0].Number("x"), 10);
    EXPECT_NEAR(texts[0].Number("y"), 10 + 13 * 0.9, 0.5);  // the reader puts a top-aligned baseline at 0.9 em
    EXPECT_EQ(texts[1].text, QStringLiteral("Right edge"));
    EXPECT_EQ(texts[1].Number("x"), 290);
    EXPECT_EQ(texts[1].attributes.value(QLatin1String("text-anchor")).toString(), QStringLiteral("end"));
    EXPECT_EQ(texts[2].Number("x"), 150);
    EXPECT_EQ(texts[2].Number("y"), 80);  // baseline-aligned
    EXPECT_EQ(texts[2].attributes.value(QLatin1String("text-anchor")).toString(), QStringLiteral("middle"));
    EXPECT_EQ(texts[3].text, QStringLiteral("請求書 合計 ¥12,345"));
    EXPECT_EQ(texts[3].attributes.value(QLatin1String("font-weight")).toString(), QStringLiteral("700"));
    EXPECT_EQ(texts[3].attributes.value(QLatin1String("font-size")).toDouble(), 13);
    EXPECT_EQ(texts[4].text, QStringLiteral("Upward"));
    EXPECT_TRUE(texts[4].attributes.value(QLatin1String("transform")).contains(QLatin1String("rotate(-90")))
        << texts[4].attributes.value(QLatin1String("transform")).toString().toStdString();

    // The bitmap and the gradient come as images at their places.
    const auto images = Named(svg, "image");
    ASSERT_EQ(images.size(), 2u);
    EXPECT_EQ(images[0].Number("x"), 240);
    EXPECT_EQ(images[0].Number("width"), 50);
    EXPECT_EQ(images[1].Number("y"), 110);
    EXPECT_EQ(images[1].Number("height"), 24);
}

// Every kind of page the recorder writes converts without error: a report
// page, a page with many objects (deleted and made again), clipping, saved
// states, nested metafiles and an empty page.
TEST(MetafileSvg, EveryKindOfPageConverts) {
    if (ConverterMissing()) GTEST_SKIP() << "emf2svg-conv is not installed (scripts/install-deps.sh installs it)";
    std::vector<std::pair<QString, std::unique_ptr<TMetafile>>> pages;
    pages.emplace_back(QStringLiteral("metafile-a4"), RecordMetafile(794, 1123, [](TCanvas* c) {
        c->Font()->SetName(QStringLiteral("Arial"));
        c->Font()->SetSize(10);
        for (int line = 0; line < 40; ++line) {
            c->TextOut(40, 40 + line * 24, QStringLiteral("Line %1 of the page").arg(line + 1));
            c->Rectangle(400, 40 + line * 24, 700, 60 + line * 24);
        }
    }));
    pages.emplace_back(QStringLiteral("metafile-objects"), RecordMetafile(400, 100, [](TCanvas* c) {
        for (int i = 0; i < 120; ++i) {
            c->Pen()->SetColor(RGB(Byte(i * 2), 0, 0));
            c->Font()->SetHeight(-(8 + i % 20));
            c->TextOut(i * 3, i % 80, QStringLiteral("x"));
            c->LineTo(i * 3, 99);
        }
    }));
    pages.emplace_back(QStringLiteral("metafile-clips"), RecordMetafile(200, 200, [](TCanvas* c) {
        TRegion region{QRegion(10, 10, 50, 50) + QRegion(80, 80, 40, 40)};
        c->SelectClipRegion(&region);
        c->FillRect(TRect(0, 0, 200, 200));
        c->SelectClipRegion(nullptr);
        c->SaveDC();
        c->ExcludeClipRect(TRect(0, 0, 100, 100));
        c->Brush()->SetStyle(bsHorizontal);
        c->Ellipse(0, 0, 200, 200);
        c->RestoreDC(-1);
        c->Chord(0, 0, 100, 100, 0, 50, 100, 50);
    }));
    auto inner = RecordMetafile(50, 50, DrawFigures);
    pages.emplace_back(QStringLiteral("metafile-nested"), RecordMetafile(100, 100, [&](TCanvas* c) {
        c->StretchDraw(TRect(0, 0, 100, 100), inner.get());
    }));
    pages.emplace_back(QStringLiteral("metafile-pattern"), RecordMetafile(60, 60, [](TCanvas* c) {
        TBitmap pattern;
        pattern.SetSize(4, 4);
        pattern.Canvas()->SetPixel(1, 1, clGreen);
        c->Brush()->SetBitmap(&pattern);
        c->SetBrushOrigin(TPoint(2, 2));
        c->Rectangle(0, 0, 60, 60);
    }));
    pages.emplace_back(QStringLiteral("metafile-empty"), RecordMetafile(100, 100, [](TCanvas*) {}));
    for (auto& [name, page] : pages) {
        const auto svg = ConvertToSvg(*page, name);
        EXPECT_FALSE(Named(svg, "svg").empty()) << name.toStdString();
    }
    const auto a4 = ConvertToSvg(*pages[0].second, QStringLiteral("metafile-a4"));
    EXPECT_EQ(Named(a4, "text").size(), 40u);
    EXPECT_EQ(Named(a4, "rect").size(), 40u);
    EXPECT_EQ(Named(a4, "text")[39].text, QStringLiteral("Line 40 of the page"));
}

}  // namespace
