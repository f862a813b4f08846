// Environments of named expressions and the global environment.
#include "QRExprTestSupport.h"

#include <QtGui/QGuiApplication>

namespace {

TEST(QRExprEnvironment, NamesAreStoredUpperCaseAndFoundInAnyCase) {
    StartQRExpr();
    TQREvEnvironment env;
    env.AddFunction("PageTitle", "'Sales'");
    ASSERT_EQ(env.Count(), 1);
    EXPECT_EQ(env.Strings(0), "PAGETITLE");
    env.Prepare();
    EXPECT_TRUE(IsString(Eval("pagetitle", &env), "Sales"));
    EXPECT_TRUE(IsString(env.Value("PageTitle"), "Sales"));
    EXPECT_TRUE(IsError(env.Value("missing"), "Unknown function : missing"));
    env.Unprepare();
}

TEST(QRExprEnvironment, AddingAnExistingNameKeepsTheFirstExpression) {
    TQREvEnvironment env;
    env.AddFunction("A", "1");
    env.AddFunction("a", "2");
    ASSERT_EQ(env.Count(), 1);
    EXPECT_EQ(env.Entry(0)->Expression(), "1");
    env.DeleteFunction("A");
    env.DeleteFunction("nothing");
    EXPECT_EQ(env.Count(), 0);
}

TEST(QRExprEnvironment, AddingWhilePreparedLeavesTheOtherEntriesQueuesAlone) {
    StartQRExpr();
    TQREvEnvironment env;
    env.AddFunction("PAGENUMBER", "0");
    env.Prepare();
    TQREvEnvironment::SetConstant(env.GetConstant("PAGENUMBER"), 7);
    // Neither an existing name nor a new one reads the set constant's entry again.
    env.AddFunction("pagenumber", "1");
    EXPECT_TRUE(IsInteger(env.Value("PAGENUMBER"), 7));
    env.AddFunction("TITLE", "'t'");
    EXPECT_TRUE(IsString(env.Value("TITLE"), "t"));
    EXPECT_TRUE(IsInteger(env.Value("PAGENUMBER"), 7));
    env.Unprepare();
}

TEST(QRExprEnvironment, RecursionAndChainedEntries) {
    StartQRExpr();
    TQREvEnvironment env;
    env.AddFunction("SELF", "SELF");
    env.AddFunction("A", "B + 1");
    env.AddFunction("B", "2");
    env.AddFunction("P", "Q*2");
    env.AddFunction("Q", "P");
    env.Prepare();
    EXPECT_TRUE(IsError(Eval("SELF", &env), "Recursive calls not allowed"));
    EXPECT_TRUE(IsInteger(Eval("A", &env), 3));
    EXPECT_TRUE(IsInteger(Eval("A*A", &env), 9));
    EXPECT_TRUE(IsError(Eval("P", &env), "Recursive calls not allowed"));
    // A recursive entry does not stay marked once its evaluation is over.
    EXPECT_TRUE(IsInteger(Eval("B", &env), 2));
    EXPECT_FALSE(env.Entry(0)->InUse());
    env.Unprepare();
}

TEST(QRExprEnvironment, LongChainsGiveAnErrorInsteadOfExhaustingTheStack) {
    StartQRExpr();
    TQREvEnvironment env;
    const int links = 3000;
    for (int i = 0; i < links; ++i) env.AddFunction(QString("E%1").arg(i), QString("E%1+1").arg(i + 1));
    env.AddFunction(QString("E%1").arg(links), "0");
    env.Prepare();
    EXPECT_TRUE(IsInteger(Eval(QString("E%1").arg(links - 50), &env), 50));
    EXPECT_TRUE(IsError(Eval("E0", &env), "Expression nested too deeply"));
    EXPECT_TRUE(IsError(Eval("IF(TRUE, 1, E0)", &env), "Expression nested too deeply"));
    EXPECT_TRUE(IsInteger(Eval("E2990", &env), 10));
    env.Unprepare();
}

TEST(QRExprEnvironment, LocalEntriesComeBeforeGlobalOnes) {
    StartQRExpr();
    TQREvEnvironment env;
    env.AddFunction("AppName", "'local'");
    env.Prepare();
    EXPECT_TRUE(IsString(Eval("APPNAME", &env), "local"));
    TQREvEnvironment other;
    other.Prepare();
    EXPECT_EQ(Eval("APPNAME", &other).Kind, rkString);  // the global entry
    EXPECT_TRUE(IsError(Eval("NOSUCHNAME", &other), "Unknown function : NOSUCHNAME"));
    // A library name reaches an entry only in brackets.
    env.AddFunction("SUM", "'entry'");
    EXPECT_TRUE(IsString(Eval("[sum]", &env), "entry"));
    EXPECT_TRUE(IsError(Eval("SUM", &env), "Wrong arguments for SUM"));
    other.Unprepare();
    env.Unprepare();
}

TEST(QRExprEnvironment, AggregatesInsideAnEntryTakeNoStepsFromTheUser) {
    StartQRExpr();
    TQREvEnvironment env;
    env.AddFunction("TOTAL", "COUNT");
    env.Prepare();
    TQREvaluator e;
    e.SetEnvironment(&env);
    e.Prepare("TOTAL+COUNT");
    EXPECT_TRUE(e.ContainsAggregates());
    e.UpdateAggregates();
    e.UpdateAggregates();
    EXPECT_TRUE(IsInteger(e.Value(), 2));
    env.Entry(0)->Evaluator().UpdateAggregates();
    EXPECT_TRUE(IsInteger(e.Value(), 3));
    e.Reset();  // does not reach the entry
    EXPECT_TRUE(IsInteger(e.Value(), 1));
    e.Unprepare();
    env.Unprepare();
}

TEST(QRExprEnvironment, PreparedConstantsAreOverwrittenInPlace) {
    StartQRExpr();
    TQREvEnvironment env;
    env.AddFunction("PAGENUMBER", "0");
    env.AddFunction("REPORTTITLE", "''");
    env.AddFunction("SHOWN", "'Page '+STR(PAGENUMBER)");
    EXPECT_EQ(env.GetConstant("PAGENUMBER"), nullptr);  // not prepared yet
    env.Prepare();
    TQREvElement* page = env.GetConstant("pagenumber");
    TQREvElement* title = env.GetConstant("REPORTTITLE");
    ASSERT_NE(page, nullptr);
    ASSERT_NE(title, nullptr);
    EXPECT_EQ(env.GetConstant("nothing"), nullptr);
    TQREvEnvironment::SetConstant(page, 12);
    TQREvEnvironment::SetConstant(title, QStringLiteral("Monthly"));
    EXPECT_TRUE(IsString(Eval("SHOWN+' '+REPORTTITLE", &env), "Page 12 Monthly"));
    TQREvEnvironment::SetConstant(title, EvalResult::FromString("Weekly"));
    TQREvEnvironment::SetConstant(page, EvalResult::FromFloat(2.5));
    TQREvEnvironment::SetConstant(title, 7);  // a string element ignores an integer
    EXPECT_TRUE(IsString(env.Value("REPORTTITLE"), "Weekly"));
    EXPECT_TRUE(IsFloat(env.Value("PAGENUMBER"), 2.5));
    EXPECT_EQ(env.Entry(0)->QueueElement(1), nullptr);
    env.Unprepare();
    EXPECT_EQ(env.GetConstant("PAGENUMBER"), nullptr);
}

TEST(QRExprEnvironment, AddingToAPreparedEnvironmentPreparesTheNewEntry) {
    StartQRExpr();
    TQREvEnvironment env;
    env.Prepare();
    env.AddFunction("LATE", "40+2");
    EXPECT_TRUE(env.Entry(0)->Evaluator().Prepared());
    EXPECT_TRUE(IsInteger(Eval("LATE", &env), 42));
    env.Unprepare();
    EXPECT_FALSE(env.Entry(0)->Evaluator().Prepared());
}

TEST(QRExprEnvironment, PreparingNests) {
    StartQRExpr();
    TQREvEnvironment env;
    env.AddFunction("X", "1");
    env.Prepare();
    env.Prepare();
    env.Unprepare();
    EXPECT_TRUE(env.Prepared());
    EXPECT_TRUE(env.Entry(0)->Evaluator().Prepared());
    env.Unprepare();
    EXPECT_FALSE(env.Prepared());
    env.Unprepare();  // never below zero
    env.Prepare();
    EXPECT_TRUE(env.Entry(0)->Evaluator().Prepared());
    env.Unprepare();
}

// The mark is cleared however the evaluation ends.
TEST(QRExprRulings, InUseMarkIsClearedAfterAnException) {
    StartQRExpr();
    TQREvEnvironment env;
    env.AddFunction("X", "5");
    TQREvaluator e;
    e.SetEnvironment(&env);
    e.Prepare("X");
    EXPECT_THROW(e.Value(), Exception);  // the entry is not prepared
    EXPECT_FALSE(env.Entry(0)->InUse());
    env.Prepare();
    EXPECT_TRUE(IsInteger(e.Value(), 5));
    e.Unprepare();
    env.Unprepare();
}

TEST(QRExprEnvironment, StoredFormRoundTrips) {
    TQREvEnvironment env;
    env.AddFunction("PAGENUMBER", "0");
    env.AddFunction("Greeting", "'Hello, '+NAME");
    env.AddFunction("TOTAL", "SUM(QTY*PRICE)");
    const TQREvEnvironmentStore store = env.WriteStored();
    EXPECT_EQ(store.Strings, QStringList({"PAGENUMBER", "GREETING", "TOTAL"}));
    EXPECT_EQ(store.Data, QStringList({"0", "'Hello, '+NAME", "SUM(QTY*PRICE)"}));
    TQREvEnvironment copy;
    copy.AddFunction("OLD", "1");
    copy.ReadStored(store);
    ASSERT_EQ(copy.Count(), 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(copy.Strings(i), store.Strings[i]);
        EXPECT_EQ(copy.Entry(i)->Expression(), store.Data[i]);
    }
}

TEST(QRExprRulings, StoredListsOfDifferentLengthsPairUpToTheShorter) {
    StartQRExpr();
    TQREvEnvironment env;
    env.ReadStored({{"A", "B", "C"}, {"1", "2"}});
    ASSERT_EQ(env.Count(), 2);
    EXPECT_EQ(env.Strings(1), "B");
    env.ReadStored({{"A"}, {"7", "8", "9"}});
    ASSERT_EQ(env.Count(), 1);
    env.Prepare();
    EXPECT_TRUE(IsInteger(Eval("A", &env), 7));
    env.Unprepare();
}

TEST(QRExprEnvironment, AStartUpWhileStartedChangesNothing) {
    StartQRExpr();
    const TQRFunctionLibrary* library = QRFunctionLibrary();
    const TQREvEnvironment* global = GlobalEnvironment();
    const Integer entries = library->EntryCount();
    InitializeQRExpr();
    EXPECT_EQ(QRFunctionLibrary(), library);
    EXPECT_EQ(QRFunctionLibrary()->EntryCount(), entries);
    EXPECT_EQ(GlobalEnvironment(), global);
}

TEST(QRExprEnvironment, AnEvaluatorMadeBeforeTheStartUpStartsTheUnit) {
    FinalizeQRExpr();
    TQREvaluator evaluator;
    ASSERT_NE(QRFunctionLibrary(), nullptr);
    EXPECT_NE(GlobalEnvironment(), nullptr);
    EXPECT_TRUE(IsString(evaluator.Calculate("UPPER('abc')"), "ABC"));
}

TEST(QRExprEnvironment, GlobalEntriesAreFixedAtStartUp) {
    StartQRExpr();
    FinalizeQRExpr();
    EXPECT_EQ(GlobalEnvironment(), nullptr);
    EXPECT_EQ(QRFunctionLibrary(), nullptr);
    const QString oldTitle = QGuiApplication::applicationDisplayName();
    QGuiApplication::setApplicationDisplayName("Voucher's Demo");
    SetClockForTesting([] { return 45356.0 + (13 * 3600 + 5 * 60 + 9) / 86400.0; });
    InitializeQRExpr();
    SetClockForTesting([] { return 40000.5; });
    TQREvEnvironment* global = GlobalEnvironment();
    ASSERT_NE(global, nullptr);
    EXPECT_EQ(global->ToStringList(), QStringList({"APPSTARTTIME", "APPSTARTDATE", "APPNAME"}));
    EXPECT_TRUE(IsString(Eval("APPSTARTTIME"), "13:05:09"));
    EXPECT_TRUE(IsString(Eval("APPSTARTDATE"), "2024/03/05"));
    EXPECT_TRUE(IsString(Eval("AppName"), "Voucher's Demo"));
    EXPECT_EQ(QRArgumentSeparator(), u',');
    SetClockForTesting(nullptr);
    QGuiApplication::setApplicationDisplayName(oldTitle);
}

}  // namespace
