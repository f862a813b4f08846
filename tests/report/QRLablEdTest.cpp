// The quick editors of the text and expression controls: their dialogs
// driven with clicks and keys, what they apply, and what a run then prints.
#include "QRExprEd.h"
#include "QRLablEd.h"

#include "Buttons.h"
#include "EmfSvg.h"
#include "Metafile.h"
#include "QRCtrls.h"
#include "QRDialogTestSupport.h"
#include "QRExpBld.h"
#include "QRExprTestSupport.h"
#include "QRReportTestSupport.h"
#include "StdCtrls.h"
#include "StdCtrlsCombo.h"
#include "StdCtrlsEdit.h"
#include "WidgetTestSupport.h"

#include <gtest/gtest.h>

namespace {

class QRLablEdTest : public QRReportFixture {
protected:
    void SetUp() override {
        QRReportFixture::SetUp();
        StartQRExpr();
        band = Band(QStringLiteral("Detail"), rbDetail, 20);
    }

    template <class T>
    T* OnBand(const QString& name) {
        auto* control = new T(report.get());
        control->SetName(name);
        control->SetParent(band);
        return control;
    }

    // Replaces the text of an edit box as a user does: click, select all, type.
    static void Retype(TWinControl* edit, const QString& text) {
        ClickControl(edit);
        KeyClick(GetParentForm(edit), Qt::Key_A, Qt::ControlModifier);
        TypeInto(edit, text);
    }

    // The texts on the first page with their font sizes, read back from SVG.
    QList<QPair<QString, QString>> PrintedTexts() {
        QList<QPair<QString, QString>> texts;
        const auto page = printer->GetPage(1);
        if (!page) return texts;
        for (const SvgElement& e : Named(ConvertToSvg(*page, QStringLiteral("label-editor-run")), "text"))
            texts.append({e.text, e.attributes.value(QLatin1String("font-size")).toString()});
        return texts;
    }

    TQRBand* band = nullptr;
    UiScript script;
};

TEST_F(QRLablEdTest, TextFontAndSizeChangeAndTheRunPrintsTheChange) {
    if (ConverterMissing()) GTEST_SKIP() << "emf2svg-conv is not installed";
    auto* label = OnBand<TQRLabel>(QStringLiteral("Total"));
    TQRLabelEditor editor(label);
    TFont font;
    font.Assign(label->Font());
    font.SetSize(20);
    editor.SetFont(&font);
    EXPECT_EQ(label->Font()->Size(), 20);

    const QString originalWidth = FormatFloat(QStringLiteral("0.##"), label->Size()->Width());
    QString shownText, shownWidth;
    script.Then([&] { auto* f = TopForm<TQRLabelEditorForm>(); return f && f->Active(); },
                [&] {
                    auto* f = TopForm<TQRLabelEditorForm>();
                    shownText = f->Value->Text();
                    shownWidth = f->Width->Text();
                    SaveFormPicture(f, QStringLiteral("label-editor"));
                    Retype(f->Value, QStringLiteral("Grand total"));
                    Retype(f->Width, QStringLiteral("80.5"));
                    Retype(f->Height, QStringLiteral("12.7"));
                    ClickControl(f->AutoSize);
                    ClickControl(f->OKBtn);
                });
    script.Start();
    EXPECT_TRUE(editor.Edit());
    EXPECT_TRUE(script.Finished());
    EXPECT_EQ(shownText, QStringLiteral("Total"));
    EXPECT_EQ(shownWidth, originalWidth);
    EXPECT_EQ(label->Caption(), QStringLiteral("Grand total"));
    EXPECT_NEAR(double(label->Size()->Width()), 80.5, 0.05);
    EXPECT_NEAR(double(label->Size()->Height()), 12.7, 0.05);
    EXPECT_FALSE(label->AutoSize());

    Run([&](TScriptReport& r) { r.PrintBand(band); });
    const auto texts = PrintedTexts();
    ASSERT_EQ(texts.size(), 1);
    EXPECT_EQ(texts[0].first, QStringLiteral("Grand total"));
    // 20 points at 96 dpi: about 27 pixels (the reader may keep fractions).
    EXPECT_NEAR(texts[0].second.toDouble(), 26.7, 1.0) << texts[0].second.toStdString();
}

TEST_F(QRLablEdTest, ABadSizeChangesNothingAndCancelChangesNothing) {
    auto* label = OnBand<TQRLabel>(QStringLiteral("Name"));
    label->Size()->SetWidth(30);
    TQRLabelEditor editor(label);
    for (const char* bad : {"abc", "12,5.1", "-3"}) {
        SCOPED_TRACE(bad);
        script.Then([&] { auto* f = TopForm<TQRLabelEditorForm>(); return f && f->Active(); },
                    [&, bad] {
                        auto* f = TopForm<TQRLabelEditorForm>();
                        Retype(f->Value, QStringLiteral("changed"));
                        Retype(f->Height, QString::fromLatin1(bad));
                        ClickControl(f->Transparent);
                        ClickControl(f->OKBtn);
                    });
        script.Start();
        EXPECT_THROW(editor.Edit(), EConvertError);
        EXPECT_EQ(label->Caption(), QStringLiteral("Name"));
        EXPECT_EQ(label->Size()->Width(), 30);
        EXPECT_FALSE(label->Transparent());
    }
    script.Then([&] { auto* f = TopForm<TQRLabelEditorForm>(); return f && f->Active(); },
                [&] {
                    auto* f = TopForm<TQRLabelEditorForm>();
                    Retype(f->Value, QStringLiteral("changed"));
                    ClickControl(f->Button4);
                });
    script.Start();
    EXPECT_FALSE(editor.Edit());
    EXPECT_EQ(label->Caption(), QStringLiteral("Name"));
    // OK with the sizes untouched keeps their exact values.
    label->Size()->SetHeight(100.0L / 3);
    const Extended height = label->Size()->Height();
    script.Then([&] { auto* f = TopForm<TQRLabelEditorForm>(); return f && f->Active(); },
                [&] { ClickControl(TopForm<TQRLabelEditorForm>()->OKBtn); });
    script.Start();
    EXPECT_TRUE(editor.Edit());
    EXPECT_EQ(label->Size()->Height(), height);
    EXPECT_EQ(ParseQRSize(QStringLiteral("25.4")), 25.4L);
    EXPECT_EQ(ParseQRSize(QStringLiteral("0")), 0);
}

TEST_F(QRLablEdTest, ExpressionEditorBuildsTheExpressionAndSetsTheMask) {
    if (ConverterMissing()) GTEST_SKIP() << "emf2svg-conv is not installed";
    auto* expr = OnBand<TQRExpr>(QStringLiteral("Sum"));
    expr->SetExpression(QStringLiteral("1"));
    TQRExprEditor editor(expr);
    TQRExprEditorForm* form = nullptr;
    TQRExpressionBuilder* builder = nullptr;
    Integer dataSetsOffered = -1;
    script.Then([&] { form = TopForm<TQRExprEditorForm>(); return form && form->Active(); },
                [&] {
                    SaveFormPicture(form, QStringLiteral("expression-editor"));
                    ClickControl(form->ShowExprBuilder);
                })
        .Then([&] { builder = TopForm<TQRExpressionBuilder>(); return builder && builder->Active(); },
              [&] {
                  dataSetsOffered = builder->AvailableDatasets->Items()->Count();
                  TypeInto(builder, QStringLiteral("1234/2"));
                  ClickControl(builder->OK);
              })
        .Then([&] { return !TopForm<TQRExpressionBuilder>() && form->Active(); },
              [&] {
                  Retype(form->Mask, QStringLiteral("#,##0.00"));
                  ClickControl(form->OKBtn);
              });
    script.Start();
    EXPECT_TRUE(editor.Edit());
    EXPECT_TRUE(script.Finished());
    // The report sits on no form: the builder offers no data sets of one.
    EXPECT_EQ(dataSetsOffered, 0);
    EXPECT_EQ(expr->Expression(), QStringLiteral("1234/2"));
    EXPECT_EQ(expr->Mask(), QStringLiteral("#,##0.00"));
    Run([&](TScriptReport& r) { r.PrintBand(band); });
    const auto texts = PrintedTexts();
    ASSERT_EQ(texts.size(), 1);
    EXPECT_EQ(texts[0].first, QStringLiteral("617.00"));
}

TEST_F(QRLablEdTest, SlotsAnswerForTheirControls) {
    auto* label = OnBand<TQRLabel>(QStringLiteral("Caption1"));
    auto* expr = OnBand<TQRExpr>(QStringLiteral("Expr1"));
    TQRLabelEditor labelEditor(label);
    TQRExprEditor exprEditor(expr);
    // Each control answers with its own editor, holding it.
    const auto asked = label->CreateEditor();
    ASSERT_NE(dynamic_cast<TQRLabelEditor*>(asked.get()), nullptr);
    EXPECT_EQ(dynamic_cast<TQRExprEditor*>(asked.get()), nullptr);
    EXPECT_EQ(asked->Control(), label);
    const auto askedExpr = expr->CreateEditor();
    ASSERT_NE(dynamic_cast<TQRExprEditor*>(askedExpr.get()), nullptr);
    EXPECT_EQ(askedExpr->Control(), expr);
    EXPECT_EQ(TQRShape(nullptr).CreateEditor(), nullptr);
    EXPECT_EQ(labelEditor.Identifier(), QStringLiteral("QRLABEL"));
    EXPECT_EQ(exprEditor.Identifier(), QStringLiteral("QREXPR"));
    EXPECT_EQ(labelEditor.Description(), QStringLiteral("Text Control"));
    EXPECT_EQ(exprEditor.Description(), QStringLiteral("Expression Control"));
    EXPECT_TRUE(labelEditor.ControlClass() == typeid(TQRLabel));
    EXPECT_TRUE(exprEditor.ControlClass() == typeid(TQRExpr));
    labelEditor.SetText(QStringLiteral("Hello"));
    exprEditor.SetText(QStringLiteral("2*3"));
    EXPECT_EQ(label->Caption(), QStringLiteral("Hello"));
    EXPECT_EQ(labelEditor.Text(), QStringLiteral("Hello"));
    EXPECT_EQ(expr->Expression(), QStringLiteral("2*3"));
    EXPECT_EQ(exprEditor.Text(), QStringLiteral("2*3"));
    exprEditor.SetAlignment(taRightJustify);
    exprEditor.SetColor(clYellow);
    EXPECT_EQ(expr->Alignment(), taRightJustify);
    EXPECT_EQ(exprEditor.Alignment(), taRightJustify);
    EXPECT_EQ(exprEditor.Color(), clYellow);
    EXPECT_EQ(exprEditor.Font(), expr->Font());

    TForm host(nullptr);
    report->SetParent(&host);
    EXPECT_EQ(QROwningForm(expr), &host);
    report->SetParent(nullptr);
    EXPECT_EQ(QROwningForm(expr), nullptr);
}

}  // namespace
