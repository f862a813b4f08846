// Metafiles: size, the records written, loading and saving, and the
// player's drawing against the same drawing made directly.
#include "Metafile.h"
#include "MetafileTestSupport.h"
#include "GraphicsTestSupport.h"
#include "TestSupport.h"

#include <QtCore/QDir>
#include <QtCore/QTemporaryDir>

#include <gtest/gtest.h>

#include <numeric>

void DrawFigures(TCanvas* c) {
    c->Brush()->SetColor(clYellow);
    c->FillRect(TRect(4, 4, 60, 30));
    c->Pen()->SetColor(clNavy);
    c->Brush()->SetColor(clAqua);
    c->Rectangle(70, 4, 130, 40);
    c->Pen()->SetWidth(3);
    c->Pen()->SetColor(clMaroon);
    c->Brush()->SetStyle(bsClear);
    c->Ellipse(140, 4, 200, 50);
    c->Pen()->SetWidth(1);
    c->Pen()->SetStyle(psDash);
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(clSilver);
    c->RoundRect(4, 60, 90, 110, 20, 16);
    c->Pen()->SetStyle(psSolid);
    c->Brush()->SetStyle(bsDiagCross);
    c->Brush()->SetColor(clGreen);
    c->Rectangle(100, 60, 160, 110);
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(clFuchsia);
    c->Pie(170, 60, 230, 120, 230, 90, 200, 60);
    c->MoveTo(4, 130);
    c->LineTo(120, 170);
    c->LineTo(4, 170);
    c->Pen()->SetStyle(psClear);
    c->Brush()->SetColor(clTeal);
    c->Ellipse(130, 130, 160, 160);
    c->Pen()->SetStyle(psSolid);
    c->Polygon({{170, 130}, {230, 140}, {190, 175}});
    c->Brush()->SetColor(clRed);
    c->FrameRect(TRect(240, 4, 290, 40));
    c->SetPixel(250, 60, clBlue);
    c->GradientFill(TRect(240, 70, 290, 100), clBlack, clWhite, gdHorizontal);
    TBitmap picture;
    picture.SetSize(8, 6);
    picture.Canvas()->Brush()->SetColor(clOlive);
    picture.Canvas()->FillRect(TRect(0, 0, 4, 6));
    c->StretchDraw(TRect(240, 110, 272, 134), &picture);
    // Clipping inside a saved state, gone after the restore.
    const Integer level = c->SaveDC();
    c->IntersectClipRect(TRect(240, 140, 260, 160));
    c->Brush()->SetColor(clPurple);
    c->FillRect(TRect(230, 135, 290, 175));
    c->RestoreDC(level);
    c->FillRect(TRect(270, 165, 290, 175));
}

void DrawTexts(TCanvas* c) {
    c->Font()->SetName(QStringLiteral("Arial"));
    c->Font()->SetHeight(-13);
    c->Font()->SetColor(clNavy);
    c->Brush()->SetStyle(bsClear);
    c->TextOut(10, 10, QStringLiteral("Left aligned 123"));
    SetTextAlign(c, TA_RIGHT);
    c->TextOut(290, 40, QStringLiteral("Right edge"));
    SetTextAlign(c, TA_CENTER | TA_BASELINE);
    c->TextOut(150, 80, QStringLiteral("Centred on a baseline"));
    SetTextAlign(c, TA_LEFT);
    c->Font()->SetName(QStringLiteral("ＭＳ Ｐゴシック"));
    c->Font()->SetStyle(TFontStyles() << fsBold);
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(clYellow);
    c->TextRect(TRect(10, 100, 200, 120), 12, 102, QStringLiteral("請求書 合計 ¥12,345"));
    c->Font()->SetOrientation(900);
    c->Brush()->SetStyle(bsClear);
    c->TextOut(260, 190, QStringLiteral("Upward"));
    c->Font()->SetOrientation(0);
}

namespace {

// Each pixel that differs must find its colour within one pixel in the
// other image; pixels inside `skip` are not compared.
int PixelsOffByMoreThanOne(const QImage& a, const QImage& b, const std::vector<TRect>& skip = {}) {
    auto near = [](const QImage& img, int x, int y, QRgb color) {
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx)
                if (img.rect().contains(x + dx, y + dy) && (img.pixel(x + dx, y + dy) & 0xFFFFFF) == color) return true;
        return false;
    };
    int bad = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            if (std::any_of(skip.begin(), skip.end(), [&](const TRect& r) { return r.Contains({x, y}); })) continue;
            const QRgb pa = a.pixel(x, y) & 0xFFFFFF, pb = b.pixel(x, y) & 0xFFFFFF;
            if (pa != pb && (!near(b, x, y, pa) || !near(a, x, y, pb))) ++bad;
        }
    return bad;
}

int DifferentPixels(const QImage& a, const QImage& b) {
    int n = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if ((a.pixel(x, y) & 0xFFFFFF) != (b.pixel(x, y) & 0xFFFFFF)) ++n;
    return n;
}

// The metafile's bytes as a file would hold them.
QByteArray Saved(TMetafile& metafile) {
    TMemoryStream stream;
    metafile.SaveToStream(stream);
    return stream.Bytes();
}

QString LoadError(const QByteArray& bytes) {
    TMemoryStream stream;
    stream.WriteBytes(bytes);
    stream.SetPosition(0);
    TMetafile metafile;
    try {
        metafile.LoadFromStream(stream);
    } catch (const EInvalidGraphic& e) {
        return e.Message();
    }
    return QString();
}

// ------------------------------------------------------------ size and header

TEST(MetafileSize, PixelsAreKeptAsHundredthsOfAMillimetreAndComeBackUnchanged) {
    TMetafile metafile;
    metafile.SetWidth(794);
    metafile.SetHeight(1123);
    EXPECT_EQ(metafile.MMWidth(), 21008);
    EXPECT_EQ(metafile.MMHeight(), 29713);
    EXPECT_EQ(metafile.Width(), 794);
    EXPECT_EQ(metafile.Height(), 1123);
    for (Integer px : {1, 2, 95, 96, 97, 500, 793, 794, 795, 4961}) {
        metafile.SetWidth(px);
        EXPECT_EQ(metafile.Width(), px) << px;
    }

    // The frame survives recording, saving and loading.
    auto page = RecordMetafile(794, 1123, [](TCanvas* c) { c->FillRect(TRect(0, 0, 10, 10)); });
    const QByteArray bytes = Saved(*page);
    EXPECT_EQ(FieldI32(bytes, 24 + 8), 21008);
    TMemoryStream stream;
    stream.WriteBytes(bytes);
    stream.SetPosition(0);
    TMetafile loaded;
    loaded.LoadFromStream(stream);
    EXPECT_EQ(loaded.MMWidth(), 21008);
    EXPECT_EQ(loaded.Width(), 794);
    EXPECT_EQ(loaded.Height(), 1123);

    // A new size after recording goes into the saved header.
    loaded.SetWidth(397);
    EXPECT_EQ(FieldI32(Saved(loaded), 24 + 8), MulDiv(397, 2540, 96));
}

TEST(MetafileSize, AMetafileWithoutASizeTakesTheBoundsOfItsDrawing) {
    auto metafile = RecordMetafile(0, 0, [](TCanvas* c) { c->Rectangle(0, 0, 192, 96); });
    EXPECT_EQ(metafile->Width(), 192);
    EXPECT_EQ(metafile->Height(), 96);
}

TEST(MetafileRecords, HeaderStatesItsLengthCountsAndTheReferenceDevice) {
    auto metafile = RecordMetafile(300, 200, DrawFigures);
    const QByteArray bytes = Saved(*metafile);
    ASSERT_FALSE(bytes.isEmpty());
    EXPECT_EQ(FieldU32(bytes, 0), EMR_HEADER);
    EXPECT_EQ(FieldU32(bytes, 4), 108u);
    EXPECT_EQ(bytes.mid(40, 4), QByteArray(" EMF"));
    EXPECT_EQ(FieldU32(bytes, 48), Cardinal(bytes.size()));  // nBytes: exactly what was written

    Cardinal records = 0;
    Cardinal lastType = 0;
    EnumMetafileRecords(*metafile, [&](const TMetafileRecord& r) {
        ++records;
        lastType = r.Type;
        EXPECT_EQ(r.Bytes.size() % 4, 0);
        return true;
    });
    EXPECT_EQ(FieldU32(bytes, 52), records);
    EXPECT_EQ(lastType, EMR_EOF);

    // 96 pixels to the inch: device pixels and millimetres agree.
    const double ppmX = FieldI32(bytes, 72) / double(FieldI32(bytes, 80));
    EXPECT_NEAR(ppmX * 25.4, 96.0, 1e-9);
    // The bounds hold everything drawn (inclusive edges).
    EXPECT_EQ(FieldI32(bytes, 8), 4);
    EXPECT_EQ(FieldI32(bytes, 8 + 8), 289);
}

TEST(MetafileRecords, TextIsWrittenWithItsStringAndAnAdvanceForEveryCharacter) {
    TBitmap reference;
    reference.SetSize(10, 10);
    reference.Canvas()->Font()->SetName(QStringLiteral("Arial"));
    reference.Canvas()->Font()->SetHeight(-13);
    const QString line = QStringLiteral("Left aligned 123");
    const std::vector<Integer> expected = reference.Canvas()->CharAdvances(line);

    auto metafile = RecordMetafile(300, 200, DrawTexts);
    const auto texts = RecordsOfType(*metafile, EMR_EXTTEXTOUTW);
    ASSERT_EQ(texts.size(), 5u);
    EXPECT_EQ(RecordText(texts[0]), line);
    EXPECT_EQ(RecordText(texts[3]), QStringLiteral("請求書 合計 ¥12,345"));
    EXPECT_EQ(FieldI32(texts[0], 36), 10);  // reference point
    EXPECT_EQ(FieldI32(texts[0], 40), 10);
    const Int64 dxAt = FieldU32(texts[0], 72);
    ASSERT_GT(dxAt, 0);
    for (size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(FieldI32(texts[0], dxAt + Int64(i) * 4), expected[i]) << i;
    // The opaque text rectangle is in the record with its options.
    EXPECT_EQ(FieldU32(texts[3], 52) & (ETO_OPAQUE | ETO_CLIPPED), ETO_OPAQUE | ETO_CLIPPED);
    EXPECT_EQ(FieldI32(texts[3], 56), 10);
    EXPECT_EQ(FieldI32(texts[3], 64), 200);

    // Alignment and colours come as their own records.
    const auto aligns = RecordsOfType(*metafile, EMR_SETTEXTALIGN);
    ASSERT_GE(aligns.size(), 2u);
    EXPECT_EQ(FieldU32(aligns[0], 8), TA_RIGHT);
    const auto colours = RecordsOfType(*metafile, EMR_SETTEXTCOLOR);
    ASSERT_FALSE(colours.empty());
    EXPECT_EQ(FieldU32(colours[0], 8), Cardinal(clNavy));
    const auto fonts = RecordsOfType(*metafile, EMR_EXTCREATEFONTINDIRECTW);
    ASSERT_EQ(fonts.size(), 3u);
    EXPECT_EQ(FieldI32(fonts[2], 20), 900);  // escapement
    EXPECT_EQ(fonts[0].size(), 332);
    EXPECT_EQ(FieldI32(fonts[0], 12), -13);
    EXPECT_EQ(FieldI32(fonts[1], 28), 700);  // bold
}

TEST(MetafileRecords, ObjectsAreReusedAndTheOldestDeletedWhenManyColoursAreUsed) {
    auto metafile = RecordMetafile(400, 40, [](TCanvas* c) {
        for (int round = 0; round < 2; ++round)
            for (int i = 0; i < 100; ++i) {
                c->Brush()->SetColor(RGB(Byte(i), 0, 0));
                c->FillRect(TRect(i * 4, 0, i * 4 + 4, 40));
            }
    });
    const auto created = RecordsOfType(*metafile, EMR_CREATEBRUSHINDIRECT);
    const auto deleted = RecordsOfType(*metafile, EMR_DELETEOBJECT);
    EXPECT_EQ(created.size(), 200u);  // the second round finds none of the first alive
    EXPECT_EQ(deleted.size(), created.size() - 48);
    const QByteArray bytes = Saved(*metafile);
    EXPECT_LE(FieldU32(bytes, 56) & 0xFFFF, 49u);

    // Played back, every strip still has its own colour.
    auto target = WhiteBitmap(400, 40);
    target->Canvas()->Draw(0, 0, metafile.get());
    for (int i = 0; i < 100; ++i) EXPECT_EQ(PixelAt(*target, i * 4 + 2, 20), RgbOf(RGB(Byte(i), 0, 0))) << i;

    // One colour used again and again is created once.
    auto same = RecordMetafile(100, 40, [](TCanvas* c) {
        for (int i = 0; i < 20; ++i) c->FillRect(TRect(i, 0, i + 1, 40));
    });
    EXPECT_EQ(RecordsOfType(*same, EMR_CREATEBRUSHINDIRECT).size(), 1u);
    EXPECT_EQ(RecordsOfType(*same, EMR_SELECTOBJECT).size(), 1u);
}

// Each value a pen, brush or font is written with, changed between two
// drawings, makes a new object that carries it: none is left behind by the
// recorder's memory of the last object.
TEST(MetafileRecords, AChangedPenBrushOrFontIsCreatedAgainWithTheChange) {
    struct Case {
        const char* what;
        Cardinal type;
        std::function<void(TCanvas*)> change;
        std::function<bool(const QByteArray&)> holds;
    };
    const QString face = QStringLiteral("Courier New");
    const Case cases[] = {
        {"font name", EMR_EXTCREATEFONTINDIRECTW, [&](TCanvas* c) { c->Font()->SetName(face); },
         [&](const QByteArray& r) { return RecordFaceName(r) == face; }},
        {"font height", EMR_EXTCREATEFONTINDIRECTW, [](TCanvas* c) { c->Font()->SetHeight(-20); },
         [](const QByteArray& r) { return FieldI32(r, 12) == -20; }},
        {"font escapement", EMR_EXTCREATEFONTINDIRECTW, [](TCanvas* c) { c->Font()->SetOrientation(450); },
         [](const QByteArray& r) { return FieldI32(r, 20) == 450; }},
        {"font style", EMR_EXTCREATEFONTINDIRECTW, [](TCanvas* c) { c->Font()->SetStyle(TFontStyles() << fsItalic); },
         [](const QByteArray& r) { return r[32] == 1; }},
        {"font charset", EMR_EXTCREATEFONTINDIRECTW, [](TCanvas* c) { c->Font()->SetCharset(SHIFTJIS_CHARSET); },
         [](const QByteArray& r) { return Byte(r[35]) == SHIFTJIS_CHARSET; }},
        {"font pitch", EMR_EXTCREATEFONTINDIRECTW, [](TCanvas* c) { c->Font()->SetPitch(fpFixed); },
         [](const QByteArray& r) { return (r[39] & 3) == 1; }},
        {"pen style", EMR_CREATEPEN, [](TCanvas* c) { c->Pen()->SetStyle(psDash); },
         [](const QByteArray& r) { return FieldU32(r, 12) == Cardinal(psDash); }},
        {"pen width", EMR_CREATEPEN, [](TCanvas* c) { c->Pen()->SetWidth(3); },
         [](const QByteArray& r) { return FieldI32(r, 16) == 3; }},
        {"pen colour", EMR_CREATEPEN, [](TCanvas* c) { c->Pen()->SetColor(clRed); },
         [](const QByteArray& r) { return FieldU32(r, 24) == 0x0000FFu; }},
        {"brush style", EMR_CREATEBRUSHINDIRECT, [](TCanvas* c) { c->Brush()->SetStyle(bsCross); },
         [](const QByteArray& r) { return FieldU32(r, 12) == 2u && FieldU32(r, 20) == Cardinal(bsCross - bsHorizontal); }},
        {"brush colour", EMR_CREATEBRUSHINDIRECT, [](TCanvas* c) { c->Brush()->SetColor(clBlue); },
         [](const QByteArray& r) { return FieldU32(r, 16) == 0xFF0000u; }},
    };
    const auto draw = [](TCanvas* c) {
        c->TextOut(0, 0, QStringLiteral("a"));
        c->LineTo(10, 10);
        c->FillRect(TRect(0, 0, 5, 5));
    };
    for (const Case& k : cases) {
        auto metafile = RecordMetafile(100, 40, [&](TCanvas* c) {
            draw(c);
            k.change(c);
            draw(c);
        });
        const auto created = RecordsOfType(*metafile, k.type);
        EXPECT_EQ(created.size(), 2u) << k.what;
        if (created.size() != 2u) continue;
        EXPECT_FALSE(k.holds(created[0])) << k.what;
        EXPECT_TRUE(k.holds(created[1])) << k.what;
    }
}

// ------------------------------------------------------------ playing

TEST(MetafilePlayer, FiguresPlayBackAsTheyWereDrawnDirectly) {
    auto direct = WhiteBitmap(300, 200);
    DrawFigures(direct->Canvas());
    auto metafile = RecordMetafile(300, 200, DrawFigures);
    auto played = WhiteBitmap(300, 200);
    played->Canvas()->Draw(0, 0, metafile.get());
    SaveTestImage(direct->Image(), QStringLiteral("metafile-figures-direct"));
    SaveTestImage(played->Image(), QStringLiteral("metafile-figures-played"));
    EXPECT_EQ(PixelsOffByMoreThanOne(direct->Image(), played->Image()), 0);
    EXPECT_LE(DifferentPixels(direct->Image(), played->Image()), 10);
    // The clip of the saved state held, and was gone after the restore.
    EXPECT_EQ(PixelAt(*played, 250, 150), RgbOf(clPurple));
    EXPECT_EQ(PixelAt(*played, 235, 150), 0xFFFFFFu);
    EXPECT_EQ(PixelAt(*played, 280, 170), RgbOf(clRed));  // the brush of before the save
}

TEST(MetafilePlayer, TextPlaysBackAtItsRecordedPlaces) {
    auto direct = WhiteBitmap(300, 200);
    DrawTexts(direct->Canvas());
    auto metafile = RecordMetafile(300, 200, DrawTexts);
    auto played = WhiteBitmap(300, 200);
    played->Canvas()->Draw(0, 0, metafile.get());
    SaveTestImage(direct->Image(), QStringLiteral("metafile-text-direct"));
    SaveTestImage(played->Image(), QStringLiteral("metafile-text-played"));
    EXPECT_EQ(InkBox(played->Image()), InkBox(direct->Image()));
    EXPECT_EQ(PixelsOffByMoreThanOne(direct->Image(), played->Image()), 0);
    EXPECT_EQ(PixelAt(*played, 199, 119), RgbOf(clYellow));  // the opaque rectangle
}

// Text placed at the current position continues where the last text and
// line left it, in the recording as on the canvas.
TEST(MetafilePlayer, TextAtTheCurrentPositionFollowsOnAfterPlayback) {
    auto draw = [](TCanvas* c) {
        c->Font()->SetName(QStringLiteral("Arial"));
        c->Font()->SetHeight(-12);
        SetTextAlign(c, TA_UPDATECP);
        c->MoveTo(5, 5);
        c->TextOut(0, 0, QStringLiteral("one "));
        c->TextOut(0, 0, QStringLiteral("two"));
        c->LineTo(c->PenPos().X + 20, 30);
        c->TextOut(0, 0, QStringLiteral("three"));
    };
    auto direct = WhiteBitmap(160, 50);
    draw(direct->Canvas());
    auto metafile = RecordMetafile(160, 50, draw);
    auto played = WhiteBitmap(160, 50);
    played->Canvas()->Draw(0, 0, metafile.get());
    EXPECT_EQ(DifferentPixels(direct->Image(), played->Image()), 0);
    EXPECT_GT(InkBox(played->Image()).Right, 60);
}

// The same text as an 8-bit record in the ANSI code page (each double-byte
// character's advance on its lead byte) draws as the wide record does; a
// record of glyph numbers draws nothing.
TEST(MetafilePlayer, AnsiTextRecordsPlayAndGlyphNumberRecordsAreLeftOut) {
    const QString line = QStringLiteral("請求 No.5 ｱｲｳ");
    auto metafile = RecordMetafile(200, 30, [&](TCanvas* c) {
        c->Font()->SetHeight(-14);
        c->TextOut(4, 4, line);
    });
    const QByteArray good = Saved(*metafile);
    Int64 at = 108;
    while (FieldU32(good, at) != EMR_EXTTEXTOUTW) at += FieldU32(good, at + 4);
    const QByteArray wide = good.mid(at, FieldU32(good, at + 4));

    const AnsiString bytes = WideToAnsi(line);
    ASSERT_EQ(AnsiToWide(bytes), line);
    QByteArray ansi = wide.left(76);
    SetField(ansi, 0, EMR_EXTTEXTOUTA);
    SetField(ansi, 44, Cardinal(bytes.size()));
    QByteArray padded = bytes;
    while (padded.size() % 4) padded.append('\0');
    ansi.append(padded);
    SetField(ansi, 72, Cardinal(ansi.size()));
    const Int64 wideDx = FieldU32(wide, 72);
    for (qsizetype b = 0, unit = 0; b < bytes.size(); ++unit) {
        const bool pair = IsDBCSLeadByte(Byte(bytes[b]));
        QByteArray advance(4, '\0');
        SetField(advance, 0, FieldU32(wide, wideDx + unit * 4));
        ansi.append(advance);
        if (pair) ansi.append(QByteArray(4, '\0'));
        b += pair ? 2 : 1;
    }
    SetField(ansi, 4, Cardinal(ansi.size()));
    QByteArray replaced = good;
    replaced.replace(at, wide.size(), ansi);
    SetField(replaced, 48, Cardinal(replaced.size()));
    TMetafile ansiMetafile;
    ansiMetafile.SetData(replaced);

    auto fromWide = WhiteBitmap(200, 30);
    fromWide->Canvas()->Draw(0, 0, metafile.get());
    auto fromAnsi = WhiteBitmap(200, 30);
    fromAnsi->Canvas()->Draw(0, 0, &ansiMetafile);
    EXPECT_FALSE(InkBox(fromWide->Image()).IsEmpty());
    EXPECT_EQ(DifferentPixels(fromWide->Image(), fromAnsi->Image()), 0);

    QByteArray glyphs = good;
    SetField(glyphs, at + 52, FieldU32(good, at + 52) | 0x10);
    TMetafile glyphMetafile;
    glyphMetafile.SetData(glyphs);
    auto fromGlyphs = WhiteBitmap(200, 30);
    fromGlyphs->Canvas()->Draw(0, 0, &glyphMetafile);
    EXPECT_TRUE(InkBox(fromGlyphs->Image()).IsEmpty());
}

TEST(MetafilePlayer, PatternBrushesPlayBackTiledFromTheirOrigin) {
    auto draw = [](TCanvas* c) {
        auto pattern = WhiteBitmap(3, 2);
        pattern->Canvas()->SetPixel(0, 0, clRed);
        pattern->Canvas()->SetPixel(2, 1, clBlue);
        c->Brush()->SetBitmap(pattern.get());
        c->FillRect(TRect(0, 0, 20, 10));
        c->SetBrushOrigin(TPoint(1, 1));
        c->Ellipse(0, 10, 30, 30);
        c->Brush()->SetBitmap(nullptr);
        c->Brush()->SetColor(clLime);
        c->FillRect(TRect(20, 0, 30, 10));
    };
    auto direct = WhiteBitmap(30, 30);
    draw(direct->Canvas());
    auto metafile = RecordMetafile(30, 30, draw);
    EXPECT_EQ(RecordsOfType(*metafile, EMR_CREATEDIBPATTERNBRUSHPT).size(), 1u);
    auto played = WhiteBitmap(30, 30);
    played->Canvas()->Draw(0, 0, metafile.get());
    EXPECT_EQ(DifferentPixels(direct->Image(), played->Image()), 0);
    EXPECT_EQ(PixelAt(*played, 3, 0), RgbOf(clRed));
    EXPECT_EQ(PixelAt(*played, 5, 1), RgbOf(clBlue));
    EXPECT_EQ(PixelAt(*played, 25, 5), RgbOf(clLime));
}

TEST(MetafilePlayer, StretchDrawMapsTheFrameOntoTheTargetRectangle) {
    auto metafile = RecordMetafile(100, 50, [](TCanvas* c) {
        c->Brush()->SetColor(clBlue);
        c->FillRect(TRect(10, 10, 30, 20));
        c->Rectangle(50, 0, 100, 50);
    });
    auto target = WhiteBitmap(260, 140);
    target->Canvas()->StretchDraw(TRect(20, 20, 220, 120), metafile.get());
    SaveTestImage(target->Image(), QStringLiteral("metafile-stretched"));
    // Doubled and moved by (20, 20).
    EXPECT_EQ(PixelAt(*target, 40, 40), RgbOf(clBlue));
    EXPECT_EQ(PixelAt(*target, 79, 59), RgbOf(clBlue));
    EXPECT_EQ(PixelAt(*target, 80, 60), 0xFFFFFFu);
    EXPECT_EQ(PixelAt(*target, 39, 39), 0xFFFFFFu);
    EXPECT_EQ(PixelAt(*target, 120, 70), 0u);   // left edge of the outlined rectangle
    EXPECT_EQ(PixelAt(*target, 219, 70), 0u);   // right edge
    EXPECT_EQ(PixelAt(*target, 220, 70), 0xFFFFFFu);
    // The pen doubles too: two pixels wide, one of them outside the path.
    EXPECT_EQ(InkBox(target->Image()), TRect(40, 19, 220, 120));

    // Halved: the same drawing at half the size.
    auto half = WhiteBitmap(60, 40);
    half->Canvas()->StretchDraw(TRect(0, 0, 50, 25), metafile.get());
    EXPECT_EQ(PixelAt(*half, 5, 5), RgbOf(clBlue));
    EXPECT_EQ(PixelAt(*half, 15, 10), 0xFFFFFFu);
    EXPECT_EQ(InkBox(half->Image()), TRect(5, 0, 50, 25));
}

// A target taller than an Integer holds (-1 to 2147483647) still scales
// downwards: a picture of 81,000,000 rows maps each row onto about 26.5.
TEST(MetafilePlayer, TargetTallerThanAnIntegerHoldsScalesDownwards) {
    auto metafile = RecordMetafile(10, 81000000, [](TCanvas* c) {
        c->Brush()->SetColor(clBlue);
        c->FillRect(TRect(0, 1, 10, 2));
    });
    auto target = WhiteBitmap(10, 80);
    target->Canvas()->StretchDraw(TRect(0, -1, 10, 2147483647), metafile.get());
    EXPECT_EQ(PixelAt(*target, 5, 24), 0xFFFFFFu);
    EXPECT_EQ(PixelAt(*target, 5, 26), RgbOf(clBlue));
    EXPECT_EQ(PixelAt(*target, 5, 51), RgbOf(clBlue));
    EXPECT_EQ(PixelAt(*target, 5, 53), 0xFFFFFFu);
}

// The stretch record keeps the target's size in 32 bits.
TEST(MetafileCanvas, BitmapStretchedPastTheIntegerRangeIsLeftOut) {
    TBitmap picture;
    picture.SetSize(2, 2);
    auto metafile = RecordMetafile(40, 40, [&](TCanvas* c) {
        c->StretchDraw(TRect(-1, 0, INT32_MAX, 10), &picture);
        c->StretchDraw(TRect(0, 0, 20, 10), &picture);
    });
    const auto records = RecordsOfType(*metafile, EMR_STRETCHDIBITS);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(FieldI32(records[0], 72), 20);
}

TEST(MetafilePlayer, PlayingLeavesTheTargetCanvasAsItWas) {
    auto metafile = RecordMetafile(50, 50, [](TCanvas* c) {
        c->Pen()->SetColor(clRed);
        c->Pen()->SetWidth(4);
        c->Brush()->SetStyle(bsClear);
        SetTextAlign(c, TA_RIGHT);
        c->Rectangle(0, 0, 40, 40);
    });
    auto target = WhiteBitmap(60, 60);
    TCanvas* c = target->Canvas();
    c->Pen()->SetColor(clGreen);
    c->Brush()->SetColor(clAqua);
    c->Draw(5, 5, metafile.get());
    EXPECT_EQ(c->Pen()->Color(), clGreen);
    EXPECT_EQ(c->Pen()->Width(), 1);
    EXPECT_EQ(c->Brush()->Style(), bsSolid);
    EXPECT_EQ(c->Brush()->Color(), clAqua);
    EXPECT_EQ(c->TextAlign(), 0u);
    EXPECT_EQ(PixelAt(*target, 5, 20), RgbOf(clRed));
}

TEST(MetafilePlayer, AMetafileDrawnIntoAnotherMetafileRecordsAgain) {
    auto inner = RecordMetafile(40, 40, [](TCanvas* c) {
        c->Brush()->SetColor(clRed);
        c->FillRect(TRect(0, 0, 20, 20));
    });
    auto outer = RecordMetafile(100, 100, [&](TCanvas* c) { c->Draw(50, 50, inner.get()); });
    auto target = WhiteBitmap(100, 100);
    target->Canvas()->Draw(0, 0, outer.get());
    EXPECT_EQ(InkBox(target->Image()), TRect(50, 50, 70, 70));
    EXPECT_EQ(PixelAt(*target, 60, 60), RgbOf(clRed));
}

TEST(MetafilePlayer, RecordsOfUnknownTypeAreSkippedByTheirSize) {
    auto metafile = RecordMetafile(40, 40, [](TCanvas* c) {
        c->Brush()->SetColor(clRed);
        c->FillRect(TRect(0, 0, 20, 20));
    });
    // An unknown record of 16 bytes put in front of the first record.
    QByteArray bytes = Saved(*metafile);
    QByteArray unknown(16, '\x7F');
    SetField(unknown, 0, 4000);
    SetField(unknown, 4, 16);
    bytes.insert(108, unknown);
    SetField(bytes, 48, Cardinal(bytes.size()));
    SetField(bytes, 52, FieldU32(bytes, 52) + 1);
    TMetafile patched;
    patched.SetData(bytes);
    auto target = WhiteBitmap(40, 40);
    target->Canvas()->Draw(0, 0, &patched);
    EXPECT_EQ(InkBox(target->Image()), TRect(0, 0, 20, 20));
}

// ------------------------------------------------------------ pictures and files

TEST(MetafilePicture, PicturesLoadSaveCopyAndDrawMetafiles) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("page.emf"));
    auto metafile = RecordMetafile(120, 80, DrawFigures);
    metafile->SaveToFile(path);

    TPicture picture;
    picture.LoadFromFile(path);
    auto* loaded = dynamic_cast<TMetafile*>(picture.Graphic());
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(loaded->Data(), metafile->Data());
    EXPECT_EQ(picture.Width(), 120);

    TMetafile copy;
    copy.Assign(loaded);
    EXPECT_EQ(copy.Data(), metafile->Data());
    EXPECT_EQ(copy.Height(), 80);
    auto clone = CloneGraphic(&copy);
    EXPECT_NE(dynamic_cast<TMetafile*>(clone.get()), nullptr);

    auto direct = WhiteBitmap(120, 80);
    DrawFigures(direct->Canvas());
    auto drawn = WhiteBitmap(120, 80);
    drawn->Canvas()->Draw(0, 0, picture.Graphic());
    EXPECT_EQ(PixelsOffByMoreThanOne(direct->Image(), drawn->Image()), 0);

    // Assigning nil empties; a bitmap is not a metafile.
    copy.Assign(nullptr);
    EXPECT_TRUE(copy.Empty());
    TBitmap bitmap;
    EXPECT_THROW(copy.Assign(&bitmap), Exception);
}

TEST(MetafilePicture, LoadingReadsOnlyTheMetafileAndLeavesTheStreamAfterIt) {
    auto metafile = RecordMetafile(30, 30, [](TCanvas* c) { c->Ellipse(0, 0, 30, 30); });
    TMemoryStream stream;
    stream.WriteBytes("head");
    metafile->SaveToStream(stream);
    stream.WriteBytes("tail");
    stream.SetPosition(4);
    TMetafile loaded;
    loaded.LoadFromStream(stream);
    EXPECT_EQ(loaded.Data(), metafile->Data());
    EXPECT_EQ(stream.ReadBytes(4), QByteArray("tail"));
}

// ------------------------------------------------------------ damaged data

TEST(MetafileDamage, EveryTruncationIsRefusedWithAClearError) {
    const QByteArray good = Saved(*RecordMetafile(60, 40, DrawTexts));
    for (Int64 length = 0; length < good.size(); length += (length < 120 ? 1 : 37)) {
        const QString error = LoadError(good.left(length));
        EXPECT_TRUE(error.startsWith(QStringLiteral("Invalid metafile: "))) << length << " " << error.toStdString();
    }
    EXPECT_TRUE(LoadError(good).isEmpty());
    EXPECT_TRUE(LoadError(good.left(60)).contains(QStringLiteral("truncated")));
}

TEST(MetafileDamage, BadSizesCountsAndSignaturesAreRefused) {
    const QByteArray good = Saved(*RecordMetafile(60, 40, DrawFigures));
    auto patched = [&](Int64 offset, Cardinal value) {
        QByteArray b = good;
        SetField(b, offset, value);
        return LoadError(b);
    };
    EXPECT_TRUE(patched(0, 2).contains(QStringLiteral("header record")));
    EXPECT_TRUE(patched(40, 0x12345678).contains(QStringLiteral("signature")));
    EXPECT_TRUE(patched(48, 0xFFFFFFF0).contains(QStringLiteral("more than")));
    EXPECT_TRUE(patched(48, Cardinal(good.size()) + 4).contains(QStringLiteral("truncated")));
    EXPECT_TRUE(patched(4, 12).contains(QStringLiteral("bad size")));
    // The first record after the header: zero, odd and too long sizes.
    EXPECT_TRUE(patched(108 + 4, 0).contains(QStringLiteral("record 1")));
    EXPECT_TRUE(patched(108 + 4, 10).contains(QStringLiteral("bad size")));
    EXPECT_TRUE(patched(108 + 4, 0x7FFFFFFC).contains(QStringLiteral("bad size")));
    // No end record, a second header, bytes after the end.
    EXPECT_TRUE(patched(good.size() - 20, 9999).contains(QStringLiteral("end record is missing")));
    EXPECT_TRUE(patched(108, EMR_HEADER).contains(QStringLiteral("second header")));
    QByteArray longer = good + QByteArray(8, '\0');
    SetField(longer, 48, Cardinal(longer.size()));
    EXPECT_TRUE(LoadError(longer).contains(QStringLiteral("follow the end record")));
    // A frame whose size overflows is clamped, not wrapped.
    QByteArray wide = good;
    SetField(wide, 24, 0x80000000);
    TMetafile clamped;
    clamped.SetData(wide);
    EXPECT_EQ(clamped.MMWidth(), INT32_MAX);
    auto target = WhiteBitmap(10, 10);
    target->Canvas()->Draw(0, 0, &clamped);
    // A failed load keeps what the metafile held.
    TMetafile kept;
    kept.SetData(good);
    EXPECT_THROW(kept.SetData(good.left(50)), EInvalidGraphic);
    EXPECT_EQ(kept.Data(), good);
}

// Records whose fields point outside them, or hold absurd counts and
// coordinates, load (their sizes are right) and play without effect.
TEST(MetafileDamage, MaliciousFieldsInsideWellSizedRecordsAreIgnoredWhenPlayed) {
    auto metafile = RecordMetafile(60, 40, [](TCanvas* c) {
        c->Brush()->SetColor(clRed);
        c->FillRect(TRect(0, 0, 20, 20));
        c->TextOut(0, 20, QStringLiteral("abc"));
        TBitmap b;
        b.SetSize(4, 4);
        c->Draw(30, 0, &b);
        c->Polyline({{0, 0}, {10, 10}, {20, 0}});
    });
    const QByteArray good = Saved(*metafile);
    struct Patch {
        Cardinal type;
        Int64 offset;
        Cardinal value;
    };
    const std::vector<Patch> patches = {
        {EMR_EXTTEXTOUTW, 44, 0x7FFFFFFF},  {EMR_EXTTEXTOUTW, 48, 0xFFFFFFF0}, {EMR_EXTTEXTOUTW, 72, 0x7FFFFFF0},
        {EMR_EXTTEXTOUTW, 36, 0x80000000},  {EMR_EXTTEXTOUTW, 76 + 8, 0x7FFFFFFF},
        {EMR_STRETCHDIBITS, 48, 0xFFFFFFFF}, {EMR_STRETCHDIBITS, 52, 0x7FFFFFFF}, {EMR_STRETCHDIBITS, 60, 12},
        {EMR_STRETCHDIBITS, 80 + 4, 0x7FFFFFFF}, {EMR_STRETCHDIBITS, 80 + 8, 0x80000000},
        {EMR_STRETCHDIBITS, 72, 0x7FFFFFFF}, {EMR_STRETCHDIBITS, 40, 0x7FFFFFFF},
        {EMR_POLYLINE, 24, 0x7FFFFFFF},     {EMR_POLYLINE, 28, 0x7FFFFFFF},
        {EMR_BITBLT, 32, 0x7FFFFFFF},       {EMR_BITBLT, 24, 0x80000001},
        {EMR_SELECTOBJECT, 8, 0xFFFFFFFF},  {EMR_EXTCREATEFONTINDIRECTW, 12, 0x80000000},
        {EMR_EXTCREATEFONTINDIRECTW, 12, 0x7FFFFFFF}, {EMR_EXTCREATEFONTINDIRECTW, 20, 0x80000000},
        {EMR_CREATEBRUSHINDIRECT, 8, 0xFFFFFFFF},
    };
    for (const Patch& p : patches) {
        QByteArray bytes = good;
        bool done = false;
        for (Int64 at = 0; at + 8 <= bytes.size() && !done; at += FieldU32(bytes, at + 4)) {
            if (FieldU32(bytes, at) != p.type) continue;
            if (p.offset + 4 <= FieldU32(bytes, at + 4)) SetField(bytes, at + p.offset, p.value);
            done = true;
        }
        ASSERT_TRUE(done) << p.type;
        TMetafile damaged;
        ASSERT_NO_THROW(damaged.SetData(bytes)) << p.type << "@" << p.offset;
        auto target = WhiteBitmap(60, 40);
        target->Canvas()->StretchDraw(TRect(0, 0, 60, 40), &damaged);
        target->Canvas()->StretchDraw(TRect(0, 0, 6000, 4000), &damaged);
    }
}

TEST(MetafileDamage, RandomBytesNeverLoadAndRandomRecordsPlaySafely) {
    const QByteArray good = Saved(*RecordMetafile(60, 40, DrawFigures));
    quint32 seed = 12345;
    auto next = [&] { return seed = seed * 1664525u + 1013904223u; };
    for (int round = 0; round < 200; ++round) {
        QByteArray noise(int(next() % 400), '\0');
        for (char& ch : noise) ch = char(next() >> 24);
        EXPECT_FALSE(LoadError(noise).isEmpty());
        // Scrambled record contents behind a sound header and sizes.
        QByteArray bytes = good;
        for (int i = 0; i < 8; ++i) {
            const Int64 at = 108 + Int64(next() % Cardinal(good.size() - 108));
            bytes[qsizetype(at)] = char(next() >> 24);
        }
        TMetafile metafile;
        try {
            metafile.SetData(bytes);
        } catch (const EInvalidGraphic&) {
            continue;  // a size field was hit
        }
        auto target = WhiteBitmap(60, 40);
        target->Canvas()->Draw(0, 0, &metafile);
    }
}

}  // namespace
