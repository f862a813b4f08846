// The environment editor: listing, adding, editing in the grid and through
// the builder, and what it refuses.
#include "QREnvEd.h"

#include "Buttons.h"
#include "Dialogs.h"
#include "ExtCtrls.h"
#include "Grids.h"
#include "QRDialogTestSupport.h"
#include "QRExpBld.h"
#include "QRExpr.h"
#include "QRExprTestSupport.h"
#include "StdCtrls.h"
#include "StdCtrlsEdit.h"
#include "WidgetTestSupport.h"

#include <QtTest/QTest>

#include <gtest/gtest.h>

namespace {

class QREnvEdTest : public ::testing::Test {
protected:
    void SetUp() override {
        StartQRExpr();
        SetMessageBoxHook([this](const TMessageBoxRequest& r) {
            messages << r.Text;
            return IDOK;
        });
    }
    void TearDown() override {
        SetMessageBoxHook(nullptr);
        for (const char* name : {"TAX", "RATE"}) GlobalEnvironment()->DeleteFunction(QString::fromLatin1(name));
    }

    // The middle of a grid cell in the form's client coordinates.
    static QPoint CellPoint(TStringGrid* grid, Integer col, Integer row) {
        Integer x = 0;
        for (Integer c = 0; c < col; ++c) x += grid->ColWidths(c) + 1;
        const Integer y = row * (grid->DefaultRowHeight() + 1);
        const TPoint p = GetParentForm(grid)->ScreenToClient(
            grid->ClientToScreen(TPoint(x + grid->ColWidths(col) / 2, y + grid->DefaultRowHeight() / 2)));
        return QPoint(p.X, p.Y);
    }
    static void ClickCell(TStringGrid* grid, Integer col, Integer row) {
        MouseClick(GetParentForm(grid), CellPoint(grid, col, row));
    }
    static QStringList Column(TStringGrid* grid, Integer col) {
        QStringList out;
        for (Integer r = 0; r < grid->RowCount(); ++r) out << grid->Cells(col, r);
        return out;
    }

    TQREnvironmentEditor* e = nullptr;
    UiScript script;
    QStringList messages;
};

#define EDITOR_READY [&] { e = TopForm<TQREnvironmentEditor>(); return e && e->Active(); }

TEST_F(QREnvEdTest, AddsAnEntryToTheGlobalDefinesWhenThereIsNoLocalEnvironment) {
    const Integer before = GlobalEnvironment()->Count();
    bool localEnabled = true, globalChecked = false, buttonsHidden = false;
    QStringList names, expressions;
    script.Then(EDITOR_READY,
                [&] {
                    localEnabled = e->LocalCB->Enabled();
                    globalChecked = e->GlobalCB->Checked();
                    SaveFormPicture(e, QStringLiteral("environment-editor"));
                    ClickControl(e->AddBtn);
                })
        .Then([&] { return e->Adding() && e->NameEdit->Focused(); },
              [&] {
                  buttonsHidden = !e->AddBtn->Visible() && !e->VariableOKBtn->Visible();
                  SaveFormPicture(e, QStringLiteral("environment-editor-new-entry"));
                  TypeInto(e, QStringLiteral("tax"));
                  ClickControl(e->ExpressionEdit);
                  TypeInto(e, QStringLiteral("0.05"));
                  ClickControl(e->NewOKBtn);
              })
        .Then([&] { return !e->Adding(); },
              [&] {
                  names = Column(e->UDFGrid, 0);
                  expressions = Column(e->UDFGrid, 1);
                  ClickControl(e->VariableOKBtn);
              });
    script.Start();
    EditEnvironment(nullptr, true);
    EXPECT_TRUE(script.Finished());
    EXPECT_FALSE(localEnabled);
    EXPECT_TRUE(globalChecked);
    EXPECT_TRUE(buttonsHidden);
    ASSERT_EQ(GlobalEnvironment()->Count(), before + 1);
    const Integer at = GlobalEnvironment()->IndexOf(QStringLiteral("TAX"));
    ASSERT_GE(at, 0);
    EXPECT_EQ(GlobalEnvironment()->Entry(at)->Expression(), QStringLiteral("0.05"));
    // Header, then one row per entry of the global environment.
    ASSERT_EQ(names.size(), before + 2);
    EXPECT_EQ(names[0], QStringLiteral("Name"));
    EXPECT_EQ(expressions[0], QStringLiteral("Expression"));
    EXPECT_EQ(names[at + 1], QStringLiteral("TAX"));
    EXPECT_EQ(expressions[at + 1], QStringLiteral("0.05"));
    EXPECT_TRUE(IsFloat(Eval(QStringLiteral("tax * 100")), 5.0));
}

TEST_F(QREnvEdTest, EditThroughTheBuilderDockedInTheEditor) {
    TQREvEnvironment local;
    local.AddFunction(QStringLiteral("first"), QStringLiteral("1"));
    local.AddFunction(QStringLiteral("rate"), QStringLiteral("1"));
    TQRExpressionBuilder* builder = nullptr;
    QString title, cell;
    bool docked = false;
    Integer grownBy = 0;
    script.Then(EDITOR_READY,
                [&] {
                    grownBy = e->ClientHeight();
                    ClickCell(e->UDFGrid, 0, 2);
                    ClickControl(e->EditBtn);
                })
        .Then([&] {
                  builder = TopForm<TQRExpressionBuilder>();
                  return builder && builder->ExprEdit->Focused();
              },
              [&] {
                  title = builder->Heading->Caption();
                  docked = builder->Parent() == e;
                  grownBy = e->ClientHeight() - grownBy;
                  SaveFormPicture(e, QStringLiteral("environment-editor-docked-builder"));
                  TypeInto(e, QStringLiteral("2*4"));
                  ClickControl(builder->OK);
              })
        .Then([&] { return !TopForm<TQRExpressionBuilder>(); },
              [&] {
                  cell = e->UDFGrid->Cells(1, 2);
                  ClickControl(e->VariableOKBtn);
              });
    script.Start();
    EditEnvironment(&local, true);
    EXPECT_TRUE(script.Finished());
    EXPECT_EQ(title, QStringLiteral("RATE"));
    EXPECT_TRUE(docked);
    EXPECT_GE(grownBy, 0);
    EXPECT_EQ(cell, QStringLiteral("2*4"));
    EXPECT_EQ(local.Entry(1)->Expression(), QStringLiteral("2*4"));
    local.Prepare();
    EXPECT_TRUE(IsInteger(Eval(QStringLiteral("rate"), &local), 8));
    local.Unprepare();
}

TEST_F(QREnvEdTest, GlobalNamesCanBeRenamedButTheirExpressionsStayOnceEvaluated) {
    GlobalEnvironment()->AddFunction(QStringLiteral("RATE"), QStringLiteral("1"));
    EXPECT_TRUE(IsInteger(Eval(QStringLiteral("RATE")), 1));
    // An evaluation prepares the global entries, and they stay prepared.
    ASSERT_TRUE(GlobalEnvironment()->Prepared());
    const Integer row = GlobalEnvironment()->IndexOf(QStringLiteral("RATE")) + 1;
    TQREnvironmentEditor editor(nullptr, nullptr);
    editor.GlobalCB->SetChecked(true);
    editor.FillGrid();
    EXPECT_EQ(editor.UDFGrid->RowCount(), GlobalEnvironment()->Count() + 1);
    EXPECT_EQ(editor.UDFGrid->Cells(0, row), QStringLiteral("RATE"));
    editor.UDFGrid->SetCells(1, row, QStringLiteral("5"));
    editor.ApplyCellEdit(1, row, QStringLiteral("5"));
    EXPECT_EQ(editor.UDFGrid->Cells(1, row), QStringLiteral("1"));
    EXPECT_EQ(messages, QStringList{QStringLiteral("RATE cannot be changed while the defines are prepared for use.")});
    EXPECT_TRUE(IsInteger(Eval(QStringLiteral("RATE")), 1));
    editor.ApplyCellEdit(0, row, QStringLiteral("rate"));
    EXPECT_EQ(GlobalEnvironment()->Strings(row - 1), QStringLiteral("RATE"));
}

TEST_F(QREnvEdTest, GridEditsStoreNamesUpperCaseAndRefuseExpressionsWhilePrepared) {
    TQREvEnvironment local;
    local.AddFunction(QStringLiteral("first"), QStringLiteral("1"));
    TQREnvironmentEditor editor(nullptr, &local);
    editor.FillGrid();
    ShowActive(&editor);
    ClickCell(editor.UDFGrid, 0, 1);
    KeyClick(&editor, Qt::Key_F2);
    KeyClick(&editor, Qt::Key_A, Qt::ControlModifier);
    TypeInto(&editor, QStringLiteral("total"));
    KeyClick(&editor, Qt::Key_Return);
    EXPECT_EQ(local.Strings(0), QStringLiteral("TOTAL"));

    editor.ApplyCellEdit(1, 1, QStringLiteral("40+2"));
    local.Prepare();
    EXPECT_TRUE(IsInteger(Eval(QStringLiteral("TOTAL"), &local), 42));
    editor.UDFGrid->SetCells(1, 1, QStringLiteral("99"));
    editor.ApplyCellEdit(1, 1, QStringLiteral("99"));
    EXPECT_EQ(editor.UDFGrid->Cells(1, 1), QStringLiteral("40+2"));
    EXPECT_EQ(local.Entry(0)->Expression(), QStringLiteral("40+2"));
    // Deleting is refused too: prepared expressions refer to the entry.
    editor.UDFGrid->SetRow(1);
    editor.DeleteEntry();
    EXPECT_EQ(local.Count(), 1);
    EXPECT_EQ(messages, (QStringList{QStringLiteral("TOTAL cannot be changed while the defines are prepared for use."),
                                     QStringLiteral("TOTAL cannot be deleted while the defines are prepared for use.")}));
    local.Unprepare();
    editor.DeleteEntry();
    EXPECT_EQ(local.Count(), 0);
    editor.Hide();
}

TEST_F(QREnvEdTest, AnEmptyEnvironmentKeepsItsHeaderAndIgnoresEditAndDelete) {
    TQREvEnvironment local;
    TQREnvironmentEditor editor(nullptr, &local);
    editor.FillGrid();
    EXPECT_EQ(editor.UDFGrid->FixedRows(), 1);
    EXPECT_EQ(editor.UDFGrid->RowCount(), 2);
    EXPECT_EQ(editor.UDFGrid->Cells(0, 0), QStringLiteral("Name"));
    EXPECT_FALSE(editor.UDFGrid->Options().Contains(goEditing));
    editor.ApplyCellEdit(0, 1, QStringLiteral("x"));
    editor.ApplyCellEdit(1, 1, QStringLiteral("1"));
    editor.ApplyCellEdit(0, 0, QStringLiteral("header"));
    editor.EditEntry();
    editor.DeleteEntry();
    EXPECT_EQ(local.Count(), 0);
    EXPECT_EQ(TopForm<TQRExpressionBuilder>(), nullptr);

    local.AddFunction(QStringLiteral("one"), QStringLiteral("1"));
    editor.FillGrid();
    EXPECT_TRUE(editor.UDFGrid->Options().Contains(goEditing));
    EXPECT_EQ(editor.UDFGrid->Cells(0, 1), QStringLiteral("ONE"));
}

TEST_F(QREnvEdTest, AddingANameThatExistsLeavesTheGridUnchanged) {
    TQREvEnvironment local;
    local.AddFunction(QStringLiteral("one"), QStringLiteral("1"));
    QStringList before, after;
    script.Then(EDITOR_READY,
                [&] {
                    before = Column(e->UDFGrid, 1);
                    ClickControl(e->AddBtn);
                })
        .Then([&] { return e->Adding() && e->NameEdit->Focused(); },
              [&] {
                  TypeInto(e, QStringLiteral("One"));
                  ClickControl(e->ExpressionEdit);
                  TypeInto(e, QStringLiteral("2"));
                  ClickControl(e->NewOKBtn);
              })
        .Then([&] { return !e->Adding() && e->AddBtn->Visible(); },
              [&] {
                  after = Column(e->UDFGrid, 1);
                  e->Close();
              });
    script.Start();
    EditEnvironment(&local, false);
    EXPECT_TRUE(script.Finished());
    EXPECT_EQ(before, after);
    EXPECT_EQ(local.Count(), 1);
    EXPECT_EQ(local.Entry(0)->Expression(), QStringLiteral("1"));
}

// Validate must leave the global defines as it found them, or the editor
// opened next refuses every change of their expressions.
TEST_F(QREnvEdTest, AfterValidateAGlobalDefineIsChangedThroughModifyVariables) {
    GlobalEnvironment()->AddFunction(QStringLiteral("RATE"), QStringLiteral("1"));
    GlobalEnvironment()->Release();  // whatever ran before left it prepared
    TQRExpressionBuilder* b = nullptr;
    bool preparedAfterValidate = true;
    const auto onPage = [&](TPanel* page) { return b->CurrentPage() == page && page->Enabled(); };
    script.Then([&] { b = TopForm<TQRExpressionBuilder>(); return b && b->Active(); },
                [&] {
                    TypeInto(b, QStringLiteral("RATE*2"));
                    ClickControl(b->ValidateBtn);
                })
        .Then([&] { return messages.size() == 1; },
              [&] {
                  preparedAfterValidate = GlobalEnvironment()->Prepared();
                  ClickControl(b->InsertVariableBtn);
              })
        .Then([&] { return onPage(b->VariablePage); }, [&] { ClickControl(b->ModifyVariables); })
        .Then(EDITOR_READY,
              [&] {
                  ClickCell(e->UDFGrid, 1, GlobalEnvironment()->IndexOf(QStringLiteral("RATE")) + 1);
                  KeyClick(e, Qt::Key_F2);
                  KeyClick(e, Qt::Key_A, Qt::ControlModifier);
                  TypeInto(e, QStringLiteral("5"));
                  KeyClick(e, Qt::Key_Return);
                  ClickControl(e->VariableOKBtn);
              })
        .Then([&] { return !TopForm<TQREnvironmentEditor>() && b->Active(); },
              [&] { ClickControl(b->VariableCancelBtn); })
        .Then([&] { return onPage(b->MainPage); }, [&] { ClickControl(b->Cancel); });
    script.Start();
    QString expression;
    EXPECT_FALSE(ExpressionBuilder(QString(), expression, nullptr, nullptr, nullptr));
    EXPECT_TRUE(script.Finished());
    EXPECT_FALSE(preparedAfterValidate);
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(messages[0], QStringLiteral("There are no errors. The result is : 2"));
    EXPECT_EQ(GlobalEnvironment()->Entry(GlobalEnvironment()->IndexOf(QStringLiteral("RATE")))->Expression(), QStringLiteral("5"));
    EXPECT_TRUE(IsInteger(Eval(QStringLiteral("RATE*2")), 10));
}

}  // namespace
