// The expression builder driven as a user drives it: pages opened by
// their buttons, list items clicked, text typed, results read back.
#include "QRExpBld.h"

#include "Buttons.h"
#include "DBClient.h"
#include "Dialogs.h"
#include "Grids.h"
#include "StdCtrls.h"
#include "ExtCtrls.h"
#include "QRDialogTestSupport.h"
#include "QREnvEd.h"
#include "QRExpr.h"
#include "QRExprTestSupport.h"
#include "StdCtrlsEdit.h"
#include "WidgetTestSupport.h"

#include <QtTest/QTest>

#include <gtest/gtest.h>

#include <memory>

namespace {

class QRExpBldTest : public ::testing::Test {
protected:
    void SetUp() override {
        StartQRExpr();
        SetMessageBoxHook([this](const TMessageBoxRequest& r) {
            messages.push_back(r.Text);
            return IDOK;
        });
    }
    void TearDown() override { SetMessageBoxHook(nullptr); }

    // A window owning the ORDERS data set with its AMOUNT field.
    void MakeOrders() {
        dataForm = std::make_unique<TForm>(nullptr);
        auto* orders = new TClientDataSet(dataForm.get());
        orders->SetName(QStringLiteral("ORDERS"));
        orders->FieldDefs().Add(QStringLiteral("CODE"), ftInteger);
        orders->FieldDefs().Add(QStringLiteral("AMOUNT"), ftFloat);
        orders->CreateDataSet();
        for (double amount : {1200.0, 350.5}) {
            orders->Append();
            orders->FieldByName(QStringLiteral("AMOUNT"))->SetAsFloat(amount);
            orders->Post();
        }
        orders->First();
    }

    static bool OnPage(TQRExpressionBuilder* b, TPanel* page) {
        return b && b->CurrentPage() == page && page->Enabled();
    }
    static Integer IndexOf(TListBox* list, const QString& item) { return list->Items()->IndexOf(item); }

    std::vector<QString> messages;
    std::unique_ptr<TForm> dataForm;
    TQRExpressionBuilder* b = nullptr;
    UiScript script;
};

// The builder opened by ExpressionBuilder, once its window is active.
#define BUILDER_READY [&] { b = TopForm<TQRExpressionBuilder>(); return b && b->Active(); }

TEST_F(QRExpBldTest, IfIsBuiltFromTheLogicalCategoryWithOneRowPerArgument) {
    TQREvEnvironment local;
    local.AddFunction(QStringLiteral("a"), QStringLiteral("2 > 1"));
    local.AddFunction(QStringLiteral("b"), QStringLiteral("'yes'"));
    local.AddFunction(QStringLiteral("c"), QStringLiteral("'no'"));
    std::vector<QString> captions;
    script.Then(BUILDER_READY, [&] { ClickControl(b->InsertFunctionBtn); })
        .Then([&] { return OnPage(b, b->FunctionPage); },
              [&] { ClickListItem(b->Categories, 5); })
        .Then([&] { return b->AvailableFunc->Items()->Count() == 3; },
              [&] { ClickListItem(b->AvailableFunc, IndexOf(b->AvailableFunc, QStringLiteral("IF"))); })
        .Then([&] { return b->FuncName->Caption() == QStringLiteral("IF(<Exp>, <X>, <Y>)"); },
              [&] {
                  SaveFormPicture(b, QStringLiteral("builder-function-page"));
                  ClickControl(b->FunctionOKBtn);
              })
        .Then([&] { return OnPage(b, b->FuncParamsPage) && b->ArgumentEdits().size() == 3; },
              [&] {
                  for (TLabel* l : b->ArgumentLabels()) captions.push_back(l->Caption());
                  SaveFormPicture(b, QStringLiteral("builder-arguments-page"));
                  const char* texts[] = {"a", "b", "c"};
                  for (int i = 0; i < 3; ++i) {
                      ClickControl(b->ArgumentEdits()[size_t(i)]);
                      TypeInto(b, QString::fromLatin1(texts[i]));
                  }
                  ClickControl(b->FuncParamOkBtn);
              })
        .Then([&] { return OnPage(b, b->MainPage); }, [&] { ClickControl(b->ValidateBtn); })
        .Then([&] { return !messages.empty(); }, [&] { ClickControl(b->OK); });
    script.Start();
    QString expression = QStringLiteral("old");
    const bool ok = ExpressionBuilder(QString(), expression, nullptr, &local, nullptr);
    EXPECT_TRUE(script.Finished());
    EXPECT_TRUE(ok);
    EXPECT_EQ(expression, QStringLiteral("IF(a,b,c)"));
    EXPECT_EQ(captions, (std::vector<QString>{QStringLiteral("Argument 1 - logical value"),
                                              QStringLiteral("Argument 2 - value"),
                                              QStringLiteral("Argument 3 - value")}));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], QStringLiteral("There are no errors. The result is : yes"));
}

TEST_F(QRExpBldTest, SumOfAFieldIsBuiltInANestedBuilderDockedInTheWindow) {
    MakeOrders();
    TQRExpressionBuilder* nested = nullptr;
    QString nestedHeading;
    QString argumentAfterNested;
    script.Then(BUILDER_READY, [&] { ClickControl(b->InsertFunctionBtn); })
        .Then([&] { return OnPage(b, b->FunctionPage); }, [&] { ClickListItem(b->Categories, 3); })
        .Then([&] { return IndexOf(b->AvailableFunc, QStringLiteral("SUM")) >= 0; },
              [&] { ClickListItem(b->AvailableFunc, IndexOf(b->AvailableFunc, QStringLiteral("SUM"))); })
        .Then([&] { return b->AvailableFunc->ItemIndex() >= 0; }, [&] { ClickControl(b->FunctionOKBtn); })
        .Then([&] { return OnPage(b, b->FuncParamsPage) && b->ArgumentButtons().size() == 1; },
              [&] { ClickControl(b->ArgumentButtons()[0]); })
        .Then([&] {
                  nested = TopForm<TQRExpressionBuilder>();
                  return nested && nested != b && nested->ExprEdit->Focused();
              },
              [&] {
                  nestedHeading = nested->Heading->Caption();
                  TypeInto(nested, QStringLiteral("["));
                  ClickControl(nested->InsertDataFieldBtn);
              })
        .Then([&] { return OnPage(nested, nested->DataFieldPage); },
              [&] {
                  SaveFormPicture(b, QStringLiteral("builder-data-field-page"));
                  ClickListItem(nested->AvailableFields, IndexOf(nested->AvailableFields, QStringLiteral("AMOUNT")));
                  ClickControl(nested->DataFieldOKBtn);
              })
        .Then([&] { return OnPage(nested, nested->MainPage) && nested->ExprEdit->Focused(); },
              [&] {
                  TypeInto(nested, QStringLiteral("]"));
                  ClickControl(nested->OK);
              })
        .Then([&] { return TopForm<TQRExpressionBuilder>() == b && b->ArgumentEdits().size() == 1; },
              [&] {
                  argumentAfterNested = b->ArgumentEdits()[0]->Text();
                  ClickControl(b->FuncParamOkBtn);
              })
        .Then([&] { return OnPage(b, b->MainPage); }, [&] { ClickControl(b->ValidateBtn); })
        .Then([&] { return !messages.empty(); }, [&] { ClickControl(b->OK); });
    script.Start();
    QString expression;
    EXPECT_TRUE(ExpressionBuilder(QString(), expression, dataForm.get(), nullptr, nullptr));
    EXPECT_TRUE(script.Finished());
    EXPECT_EQ(nestedHeading, QStringLiteral("Enter 1. parameter for SUM"));
    EXPECT_EQ(argumentAfterNested, QStringLiteral("[ORDERS.AMOUNT]"));
    EXPECT_EQ(expression, QStringLiteral("SUM([ORDERS.AMOUNT])"));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(messages[0].startsWith(QStringLiteral("There are no errors. The result is : "))) << messages[0].toStdString();
}

TEST_F(QRExpBldTest, ValidateShowsTheResultOrTheError) {
    script.Then(BUILDER_READY,
                [&] {
                    SaveFormPicture(b, QStringLiteral("builder-main-page"));
                    TypeInto(b, QStringLiteral("1+2"));
                    ClickControl(b->ValidateBtn);
                })
        .Then([&] { return messages.size() == 1; },
              [&] {
                  ClickControl(b->Clear);
                  ClickControl(b->ExprEdit);
                  TypeInto(b, QStringLiteral("'abc' * 2"));
                  ClickControl(b->ValidateBtn);
              })
        .Then([&] { return messages.size() == 2; }, [&] { ClickControl(b->Cancel); });
    script.Start();
    QString expression = QStringLiteral("kept?");
    EXPECT_FALSE(ExpressionBuilder(QString(), expression, nullptr, nullptr, nullptr));
    EXPECT_TRUE(script.Finished());
    EXPECT_TRUE(expression.isEmpty());
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0], QStringLiteral("There are no errors. The result is : 3"));
    EXPECT_TRUE(messages[1].startsWith(QStringLiteral("ERROR: "))) << messages[1].toStdString();
    EXPECT_GT(messages[1].size(), 7);
}

TEST_F(QRExpBldTest, ValidationTextOfEachResultKind) {
    TQREvEnvironment local;
    local.AddFunction(QStringLiteral("half"), QStringLiteral("0.5"));
    TQRExpressionBuilder builder(nullptr, nullptr, &local);
    auto check = [&](const QString& text) {
        builder.ExprEdit->SetText(text);
        return builder.ValidationText();
    };
    EXPECT_EQ(check(QStringLiteral("2.5*2")), QStringLiteral("There are no errors. The result is : 5"));
    EXPECT_EQ(check(QStringLiteral("1/4")), QStringLiteral("There are no errors. The result is : 0.25"));
    EXPECT_EQ(check(QStringLiteral("1<2")), QStringLiteral("There are no errors. The result is : True"));
    EXPECT_EQ(check(QStringLiteral("''")), QStringLiteral("ERROR: "));
    EXPECT_EQ(check(QStringLiteral("NOSUCHNAME")),
              QStringLiteral("ERROR: ") + QRExprMessage(QRExprText::UnknownFunction, QStringLiteral("NOSUCHNAME")));
    EXPECT_EQ(check(QStringLiteral("HALF*4")), QStringLiteral("There are no errors. The result is : 2"));
    // The check leaves the local environment as it found it.
    EXPECT_FALSE(local.Prepared());
}

TEST_F(QRExpBldTest, TypedLineBreaksVanishOnOk) {
    TQRExpressionBuilder* seen = nullptr;
    script.Then(BUILDER_READY,
                [&] {
                    seen = b;
                    TypeInto(b, QStringLiteral("1 +"));
                    KeyClick(b, Qt::Key_Return);
                    TypeInto(b, QStringLiteral("2"));
                })
        .Then([&] { return b->ExprEdit->Text() == QStringLiteral("1 +\r\n2"); }, [&] { ClickControl(b->OK); });
    script.Start();
    QString expression = QStringLiteral("replaced");  // selected at the start, so typing replaces it
    EXPECT_TRUE(ExpressionBuilder(QStringLiteral("Enter the total:"), expression, nullptr, nullptr, nullptr));
    EXPECT_TRUE(script.Finished());
    EXPECT_NE(seen, nullptr);
    EXPECT_EQ(expression, QStringLiteral("1 +2"));
    EXPECT_EQ(RemoveLineBreaks(QStringLiteral("x and\r\ny")), QStringLiteral("x andy"));
    EXPECT_EQ(RemoveLineBreaks(QStringLiteral("end\r")), QStringLiteral("end"));
}

TEST_F(QRExpBldTest, OperatorsGoInAtTheCaretAndTypingContinuesAfterThem) {
    QString heading;
    script.Then(BUILDER_READY,
                [&] {
                    heading = b->Heading->Caption();
                    TypeInto(b, QStringLiteral("1"));
                    ClickControl(b->AddPlus);
                    TypeInto(b, QStringLiteral("2"));
                    ClickControl(b->AddGreaterEqual);
                    TypeInto(b, QStringLiteral("3"));
                    ClickControl(b->AddAnd);
                    ClickControl(b->AddNot);
                    TypeInto(b, QStringLiteral("0=1"));
                })
        .Then([&] { return b->ExprEdit->Text().endsWith(QStringLiteral("0=1")); }, [&] { ClickControl(b->OK); });
    script.Start();
    QString expression;
    EXPECT_TRUE(ExpressionBuilder(QString(), expression, nullptr, nullptr, nullptr));
    EXPECT_EQ(heading, QStringLiteral("Enter expression:"));
    EXPECT_EQ(expression, QStringLiteral("1 + 2 >= 3 And  Not 0=1"));
}

TEST_F(QRExpBldTest, TrueGoesInWithoutParenthesesAndCancelledPagesInsertNothing) {
    script.Then(BUILDER_READY, [&] { ClickControl(b->InsertFunctionBtn); })
        .Then([&] { return OnPage(b, b->FunctionPage); }, [&] { ClickControl(b->FunctionCancelBtn); })
        .Then([&] { return OnPage(b, b->MainPage); }, [&] { ClickControl(b->InsertFunctionBtn); })
        // Continue with no function chosen inserts nothing either.
        .Then([&] { return OnPage(b, b->FunctionPage); }, [&] { ClickControl(b->FunctionOKBtn); })
        .Then([&] { return OnPage(b, b->MainPage); }, [&] { ClickControl(b->InsertFunctionBtn); })
        .Then([&] { return OnPage(b, b->FunctionPage); },
              [&] {
                  ClickListItem(b->Categories, 5);
                  ClickListItem(b->AvailableFunc, IndexOf(b->AvailableFunc, QStringLiteral("TRUE")));
                  ClickControl(b->FunctionOKBtn);
              })
        .Then([&] { return OnPage(b, b->MainPage) && !b->ExprEdit->Text().isEmpty(); },
              [&] { ClickControl(b->InsertDataFieldBtn); })
        .Then([&] { return OnPage(b, b->DataFieldPage); }, [&] { ClickControl(b->DataFieldCancelBtn); })
        .Then([&] { return OnPage(b, b->MainPage); }, [&] { ClickControl(b->OK); });
    script.Start();
    QString expression;
    EXPECT_TRUE(ExpressionBuilder(QString(), expression, nullptr, nullptr, nullptr));
    EXPECT_EQ(expression, QStringLiteral("TRUE"));
}

TEST_F(QRExpBldTest, VariablesListLocalNamesFirstAndShowTheirExpressions) {
    TQREvEnvironment local;
    local.AddFunction(QStringLiteral("Tax"), QStringLiteral("0.05"));
    local.AddFunction(QStringLiteral("AppName"), QStringLiteral("'local wins'"));
    QStringList names;
    QString firstValue, chosenValue;
    script.Then(BUILDER_READY, [&] { ClickControl(b->InsertVariableBtn); })
        .Then([&] { return OnPage(b, b->VariablePage); },
              [&] {
                  names = b->AvailableVariables->Items()->ToStringList();
                  firstValue = b->VariableValue->Caption();
                  ClickListItem(b->AvailableVariables, 1);
                  chosenValue = b->VariableValue->Caption();
                  SaveFormPicture(b, QStringLiteral("builder-variable-page"));
                  ClickListItem(b->AvailableVariables, 0, true);
              })
        .Then([&] { return OnPage(b, b->MainPage); }, [&] { ClickControl(b->OK); });
    script.Start();
    QString expression;
    EXPECT_TRUE(ExpressionBuilder(QString(), expression, nullptr, &local, nullptr));
    EXPECT_EQ(expression, QStringLiteral("TAX"));
    ASSERT_EQ(names.size(), 2 + GlobalEnvironment()->Count());
    EXPECT_EQ(names.mid(0, 2), (QStringList{QStringLiteral("TAX"), QStringLiteral("APPNAME")}));
    EXPECT_TRUE(names.contains(QStringLiteral("APPSTARTTIME")));
    EXPECT_EQ(firstValue, QStringLiteral("0.05"));
    EXPECT_EQ(chosenValue, QStringLiteral("'local wins'"));
}

TEST_F(QRExpBldTest, ModifyVariablesEditsTheLocalDefinesAndTheListFollows) {
    TQREvEnvironment local;
    local.AddFunction(QStringLiteral("first"), QStringLiteral("1"));
    TQREnvironmentEditor* editor = nullptr;
    bool localChosen = false, globalAllowed = false;
    script.Then(BUILDER_READY, [&] { ClickControl(b->InsertVariableBtn); })
        .Then([&] { return OnPage(b, b->VariablePage); }, [&] { ClickControl(b->ModifyVariables); })
        .Then([&] { editor = TopForm<TQREnvironmentEditor>(); return editor && editor->Active(); },
              [&] {
                  localChosen = editor->LocalCB->Checked();
                  globalAllowed = editor->GlobalCB->Enabled();
                  ClickControl(editor->AddBtn);
              })
        .Then([&] { return editor->Adding() && editor->NameEdit->Focused(); },
              [&] {
                  TypeInto(editor, QStringLiteral("second"));
                  ClickControl(editor->NewOKBtn);
              })
        .Then([&] { return !editor->Adding(); }, [&] { ClickControl(editor->VariableOKBtn); })
        .Then([&] { return !TopForm<TQREnvironmentEditor>() && b->Active() &&
                           IndexOf(b->AvailableVariables, QStringLiteral("SECOND")) == 1; },
              [&] {
                  ClickListItem(b->AvailableVariables, 1);
                  ClickControl(b->VariableOKBtn);
              })
        .Then([&] { return OnPage(b, b->MainPage); }, [&] { ClickControl(b->OK); });
    script.Start();
    QString expression;
    EXPECT_TRUE(ExpressionBuilder(QString(), expression, nullptr, &local, nullptr));
    EXPECT_TRUE(script.Finished());
    EXPECT_TRUE(localChosen);
    EXPECT_TRUE(globalAllowed);
    EXPECT_EQ(local.Count(), 2);
    EXPECT_EQ(expression, QStringLiteral("SECOND"));
}

TEST_F(QRExpBldTest, ClosingTheWindowDuringAPageCancelsEverything) {
    script.Then(BUILDER_READY, [&] { ClickControl(b->InsertVariableBtn); })
        .Then([&] { return OnPage(b, b->VariablePage); }, [&] { b->Close(); });
    script.Start();
    QString expression = QStringLiteral("x");
    EXPECT_FALSE(ExpressionBuilder(QString(), expression, nullptr, nullptr, nullptr));
    EXPECT_TRUE(script.Finished());
    EXPECT_TRUE(expression.isEmpty());
}

TEST(QRExpBldLists, FunctionListFollowsTheCategoryDigitInLibraryOrder) {
    StartQRExpr();
    TQRExpressionBuilder builder(nullptr, nullptr, nullptr);
    TQRFunctionLibrary* library = QRFunctionLibrary();
    EXPECT_EQ(builder.AvailableFunc->Items()->Count(), library->EntryCount());
    builder.FillFunctionList(5);
    QStringList logical;
    for (Integer i = 0; i < library->EntryCount(); ++i) {
        if (library->GetEntry(i)->Data.startsWith(u'5')) logical << library->GetEntry(i)->Name;
    }
    EXPECT_EQ(builder.AvailableFunc->Items()->ToStringList(), logical);
    EXPECT_EQ(builder.FuncName->Caption(), QStringLiteral("IF(<Exp>, <X>, <Y>)"));
    EXPECT_EQ(builder.FuncDescription->Caption(),
              QStringLiteral("Returns <X> or <Y> depending on the boolean expression <Exp>"));
    builder.ShowFunctionHelp(99);
    EXPECT_TRUE(builder.FuncName->Caption().isEmpty());
    EXPECT_TRUE(builder.FuncDescription->Caption().isEmpty());
}

TEST(QRExpBldLists, DataSetsComeFromTheOwnerItsWindowedControlsAndEveryForm) {
    TForm owner(nullptr);
    auto* first = new TClientDataSet(&owner);
    first->SetName(QStringLiteral("FIRST"));
    auto* panel = new TPanel(&owner);
    auto* inner = new TClientDataSet(panel);
    inner->SetName(QStringLiteral("INNER"));
    TForm other(nullptr);
    auto* elsewhere = new TClientDataSet(&other);
    elsewhere->SetName(QStringLiteral("ELSEWHERE"));

    TStringList owned;
    GetDataSetList(&owner, false, &owned);
    EXPECT_EQ(owned.ToStringList(), (QStringList{QStringLiteral("FIRST"), QStringLiteral("INNER")}));
    EXPECT_EQ(owned.Objects(1), inner);

    TStringList all;
    GetDataSetList(&owner, true, &all);
    EXPECT_EQ(all.IndexOf(QStringLiteral("ELSEWHERE")) >= 0, true);
    EXPECT_EQ(all.ToStringList().count(QStringLiteral("FIRST")), 1);
}

}  // namespace
