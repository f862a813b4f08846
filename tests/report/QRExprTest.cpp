// The evaluator: reading, operators, error values, data fields and limits.
#include "QRExprTestSupport.h"

#include "DBClient.h"

#include <limits>
#include <memory>

namespace {

const QString kNumericError = QStringLiteral("Illegal character in numeric contant \"%1\"");

TEST(QRExprReading, CaseTableOfTheOperators) {
    EXPECT_TRUE(IsInteger(Eval("2+3*4"), 14));
    EXPECT_TRUE(IsInteger(Eval("10-4-3"), 3));
    EXPECT_TRUE(IsInteger(Eval("10-4+3"), 9));
    EXPECT_TRUE(IsFloat(Eval("8/4/2"), 1.0));
    EXPECT_TRUE(IsFloat(Eval("7/2"), 3.5));
    EXPECT_TRUE(IsError(Eval("7/0"), "Cannot divide by 0"));
    EXPECT_TRUE(IsBoolean(Eval("1=1.0"), true));
    EXPECT_TRUE(IsString(Eval("1+'a'"), "1a"));
    EXPECT_TRUE(IsBoolean(Eval("'abc'<'abd'"), true));
    EXPECT_TRUE(IsBoolean(Eval("'a'='A'"), false));
    EXPECT_TRUE(IsBoolean(Eval("TRUE and FALSE"), false));
    EXPECT_TRUE(IsInteger(Eval("5 and 3"), 1));
    EXPECT_TRUE(IsError(Eval("TRUE > FALSE"), "Operator > is not compatible with boolean expressions"));
    EXPECT_TRUE(IsBoolean(Eval("not TRUE"), false));
    EXPECT_TRUE(IsError(Eval("not 1"), "Invalid use of NOT"));
    EXPECT_TRUE(IsInteger(Eval("-5"), -5));
    EXPECT_TRUE(IsInteger(Eval("+5"), 5));
}

TEST(QRExprReading, CaseTableOfTheConstantsAndErrors) {
    EXPECT_TRUE(IsError(Eval("2*-3"), kNumericError.arg("2*")));
    EXPECT_TRUE(IsFloat(Eval("1E5"), 100000.0));
    EXPECT_TRUE(IsError(Eval("1E-5"), kNumericError.arg("1E")));
    EXPECT_TRUE(IsError(Eval("12a"), kNumericError.arg("12a")));
    EXPECT_TRUE(IsError(Eval("(1+2"), "Missing )"));
    EXPECT_TRUE(IsError(Eval("'abc"), "Missing '"));
    EXPECT_TRUE(IsError(Eval("[Field"), "Missing ]"));
    EXPECT_TRUE(IsString(Eval(""), " "));
    EXPECT_TRUE(IsError(Eval("SUM (x)"), "Unknown function : SUM "));
    EXPECT_TRUE(IsError(Eval("FOO(1)"), "Unknown function : FOO"));
    EXPECT_TRUE(IsError(Eval("foo"), "Unknown function : FOO"));
    EXPECT_TRUE(IsError(Eval("[foo]"), "Unknown function : foo"));
}

TEST(QRExprReading, RelationsDoNotChain) {
    TQREvEnvironment local;
    local.AddFunction("A", "3");
    local.AddFunction("b<c", "5");
    local.Prepare();
    // a<b<c compares A with the one name "b<c".
    EXPECT_TRUE(IsBoolean(Eval("a<b<c", &local), true));
    // The right side of "and" is read as the single name x<5.
    EXPECT_TRUE(IsError(Eval("a>1 and a<5", &local), "Unknown function : A<5"));
    local.Unprepare();
}

TEST(QRExprReading, WorkedOutFromTheRules) {
    EXPECT_TRUE(IsError(Eval("-"), kNumericError.arg("0-")));
    // A blank before a unary sign makes the sign an operator with an empty left part.
    EXPECT_TRUE(IsError(Eval("IF(TRUE, -1, 2)"), "Error in expression : "));
    EXPECT_TRUE(IsString(Eval("TRUE+1"), "True1"));
    EXPECT_TRUE(IsFloat(Eval("1.5*2"), 3.0));
    EXPECT_TRUE(IsInteger(Eval("2-(3-4)"), 3));
    EXPECT_TRUE(IsInteger(Eval("007"), 7));
}

TEST(QRExprReading, WordOperatorsShareTheLevelOfTheirSigns) {
    EXPECT_TRUE(IsBoolean(Eval("TRUE or FALSE"), true));
    EXPECT_TRUE(IsInteger(Eval("4 or 1"), 5));
    EXPECT_TRUE(IsInteger(Eval("6 AND 3"), 2));
    EXPECT_TRUE(IsInteger(Eval("4  Or  1"), 5));
    EXPECT_TRUE(IsInteger(Eval("6  aNd  3"), 2));
    EXPECT_TRUE(IsError(Eval("1.5 or 1"), "Operator OR is not compatible with numeric expressions"));
    EXPECT_TRUE(IsError(Eval("'a' and 'b'"), "Operator AND is not compatible with string expressions"));
    // The first operator of a level splits: 5 - 3 or 1 is 5 - (3 or 1).
    EXPECT_TRUE(IsInteger(Eval("5 - 3 or 1"), 2));
    // Text ending inside a word operator is no operator.
    EXPECT_TRUE(IsError(Eval("1 o"), kNumericError.arg("1 o")));
    EXPECT_TRUE(IsError(Eval("1 an"), kNumericError.arg("1 an")));
}

TEST(QRExprReading, StringsAndBracketsHideOperators) {
    EXPECT_TRUE(IsString(Eval("'a+b'"), "a+b"));
    EXPECT_TRUE(IsString(Eval("'it''s'"), "it''s"));
    EXPECT_TRUE(IsString(Eval("'x,y'+'z'"), "x,yz"));
    EXPECT_TRUE(IsBoolean(Eval("'a<b'='a<b'"), true));
    EXPECT_TRUE(IsError(Eval("'"), "Missing '"));
    EXPECT_TRUE(IsError(Eval("["), "Missing ]"));
    EXPECT_TRUE(IsError(Eval("("), "Missing )"));
    EXPECT_TRUE(IsError(Eval("()"), "Error in expression : "));
    EXPECT_TRUE(IsError(Eval("not"), "Invalid use of NOT"));
    EXPECT_TRUE(IsError(Eval("1)+(2"), kNumericError.arg("1)+(2")));
    EXPECT_TRUE(IsError(Eval("#"), "Error in expression : #"));
}

TEST(QRExprReading, NotIsAWordOfItsOwn) {
    TQREvEnvironment local;
    local.AddFunction("NOTES", "'kept'");
    local.Prepare();
    EXPECT_TRUE(IsString(Eval("NOTES", &local), "kept"));
    EXPECT_TRUE(IsBoolean(Eval("not(FALSE)"), true));
    EXPECT_TRUE(IsBoolean(Eval("not (1=2)"), true));
    // The relation splits first: NOT applies to 1 alone.
    EXPECT_TRUE(IsError(Eval("NOT 1=2"), "Invalid use of NOT"));
    local.Unprepare();
}

TEST(QRExprReading, NumbersTooLargeForIntegersAreFloats) {
    EXPECT_TRUE(IsInteger(Eval("2147483647"), 2147483647));
    EXPECT_TRUE(IsFloat(Eval("2147483648"), 2147483648.0));
    EXPECT_TRUE(IsFloat(Eval("1" + QString(30, u'0')), 1e30));
    EXPECT_TRUE(IsError(Eval("1E400"), kNumericError.arg("1E400")));
    EXPECT_TRUE(IsError(Eval("1.2.3"), kNumericError.arg("1.2.3")));
}

// Unary signs keep their meaning on the right of a minus.
TEST(QRExprRulings, SubtractionSwapsOnlyBinarySigns) {
    EXPECT_TRUE(IsInteger(Eval("10--5"), 15));
    EXPECT_TRUE(IsInteger(Eval("10-+5-3"), 2));
    EXPECT_TRUE(IsInteger(Eval("10-2-+3"), 5));
    EXPECT_TRUE(IsInteger(Eval("1-2+3-4+5"), 3));
    EXPECT_TRUE(IsInteger(Eval("1-(2+3)-4"), -8));
    EXPECT_TRUE(IsFloat(Eval("12/2*3/2"), 9.0));
}

TEST(QRExprRulings, IntegerOverflowIsAnErrorValue) {
    EXPECT_TRUE(IsError(Eval("2147483647+1"), "Integer overflow"));
    EXPECT_TRUE(IsError(Eval("65536*65536"), "Integer overflow"));
    EXPECT_TRUE(IsError(Eval("-2147483647-2"), "Integer overflow"));
    EXPECT_TRUE(IsInteger(Eval("2147483646+1"), 2147483647));
    // Built as 0-(2147483647+1): the inner sum overflows.
    EXPECT_TRUE(IsError(Eval("0-2147483647-1"), "Integer overflow"));
    EXPECT_TRUE(IsFloat(Eval("2147483647+1.0"), 2147483648.0));
}

TEST(QRExprRulings, DeepNestingIsAnErrorValue) {
    const QString deepParens = QString(5000, u'(') + "1" + QString(5000, u')');
    EXPECT_TRUE(IsError(Eval(deepParens), "Expression nested too deeply"));
    // A chain of operators is not nesting: it is read and evaluated in a loop.
    QString longSum = "1";
    for (int i = 0; i < 5000; ++i) longSum += "+1";
    EXPECT_TRUE(IsInteger(Eval(longSum), 5001));
    // Every sign here is an operator with an empty left part.
    EXPECT_TRUE(IsError(Eval(QString(5000, u'+') + "1"), "Error in expression : "));
    // A sign in front of a parenthesis nests.
    EXPECT_TRUE(IsError(Eval(QString("-(").repeated(5000) + "1" + QString(5000, u')')),
                        "Expression nested too deeply"));
    EXPECT_TRUE(IsError(Eval("TYPEOF(" + deepParens + ")"), "Expression nested too deeply"));
    // Reasonable nesting still reads.
    EXPECT_TRUE(IsInteger(Eval(QString(40, u'(') + "2" + QString(40, u')')), 2));
    QString sum = "1";
    for (int i = 0; i < 99; ++i) sum += "+1";
    EXPECT_TRUE(IsInteger(Eval(sum), 100));
}

// A text of count copies of term joined by op.
QString Chain(const QString& term, const QString& op, int count) {
    QStringList terms;
    for (int i = 0; i < count; ++i) terms << term;
    return terms.join(op);
}

QString Nested(const QString& open, const QString& inner, const QString& close, int depth) {
    return open.repeated(depth) + inner + close.repeated(depth);
}

TEST(QRExprRulings, FlatChainsOfThousandsOfTermsEvaluate) {
    EXPECT_TRUE(IsInteger(Eval(Chain("1", "+", 10000)), 10000));
    EXPECT_TRUE(IsInteger(Eval(Chain("1", " - ", 3000)), 1 - 2999));
    EXPECT_TRUE(IsInteger(Eval("2*" + Chain("1", "*", 5000)), 2));
    EXPECT_TRUE(IsFloat(Eval("64/" + Chain("2", "/", 6)), 1.0));
    EXPECT_TRUE(IsFloat(Eval(Chain("1", "/", 3000)), 1.0));
    EXPECT_TRUE(IsBoolean(Eval(Chain("FALSE", " or ", 2000) + " or TRUE"), true));
    EXPECT_TRUE(IsInteger(Eval(Chain("2*3", "+", 4000)), 24000));
    // Each minus (divide) exchanges the signs after it: 1-(1-(1-...)).
    EXPECT_TRUE(IsInteger(Eval(Chain("1-1", "+", 5000)), 0));
    EXPECT_TRUE(IsInteger(Eval(Chain("1", "-", 5001)), -4999));
    EXPECT_TRUE(IsFloat(Eval(Chain("2/2", "*", 3000)), 1.0));
    EXPECT_TRUE(IsInteger(Eval("7" + QString("-1-+1--1").repeated(1000)), 7 - 1000));
    // Terms in the chain nest as usual.
    EXPECT_TRUE(IsInteger(Eval(Chain("(1+INT(2.5)-1)", "+", 2000)), 4000));
}

TEST(QRExprRulings, ChainsGroupFromTheRightAsBefore) {
    // 1+(2+'a'): the string join starts at the right.
    EXPECT_TRUE(IsString(Eval("1+2+'a'"), "12a"));
    EXPECT_TRUE(IsString(Eval(Chain("1", "+", 1000) + "+'a'"), QString(255, u'1')));
    EXPECT_TRUE(IsInteger(Eval("100-" + Chain("1", "-", 99)), 1));
    EXPECT_TRUE(IsBoolean(Eval("2=" + Chain("1", "+", 2)), true));
    // Every operand is evaluated; the leftmost error wins.
    EXPECT_TRUE(IsError(Eval("1+(1/0)+FOO+" + Chain("1", "+", 3000)), "Cannot divide by 0"));
    EXPECT_TRUE(IsError(Eval(Chain("1", "+", 3000) + "+FOO+(1/0)"), "Unknown function : FOO"));
    EXPECT_TRUE(IsError(Eval(Chain("1", "+", 3000) + "+2147483647"), "Integer overflow"));
}

TEST(QRExprRulings, TheNestingLimitCountsRealNesting) {
    EXPECT_TRUE(IsInteger(Eval(Nested("(", "2", ")", 100)), 2));
    EXPECT_TRUE(IsInteger(Eval(Nested("(", "2", ")", QRMaxReadDepth)), 2));
    EXPECT_TRUE(IsError(Eval(Nested("(", "2", ")", QRMaxReadDepth + 1)), "Expression nested too deeply"));
    EXPECT_TRUE(IsInteger(Eval(Nested("INT(", "2.5", ")", QRMaxReadDepth)), 2));
    EXPECT_TRUE(IsError(Eval(Nested("INT(", "2.5", ")", QRMaxReadDepth + 1)), "Expression nested too deeply"));
    EXPECT_TRUE(IsBoolean(Eval(Nested("not ", "TRUE", "", QRMaxReadDepth)), true));
    EXPECT_TRUE(IsInteger(Eval(Nested("-(", "1", ")", QRMaxReadDepth / 2)), 1));
    // Nesting inside a long chain counts only once per level.
    EXPECT_TRUE(IsInteger(Eval(Chain(Nested("(", "1", ")", QRMaxReadDepth), "+", 50)), 50));
}

// Reads the name SIGNS through a constant text of its own, whose last
// sign the minus before it exchanges.
class TSignsEvaluator : public TQREvaluator {
protected:
    void EvalFunction(const QString& name, QStringView arguments) override {
        if (name == u"SIGNS") TQREvaluator::EvalFunction(QStringLiteral("IF"), u"TRUE,1-2+,0");
        else TQREvaluator::EvalFunction(name, arguments);
    }
};

TEST(QRExprRulings, AHookReadsAConstantTextOfItsOwn) {
    StartQRExpr();
    TSignsEvaluator e;
    EXPECT_TRUE(IsError(e.Calculate("SIGNS"), kNumericError.arg("2-")));
    EXPECT_TRUE(IsError(e.Calculate("SIGNS"), Eval("1-2+").Message()));
}

TEST(QRExprRulings, NoTextExhaustsTheStack) {
    // Reading stops at the limit, however deep the text goes on.
    for (const QString& text : {QString(100000, u'('), Nested("(", "1", ")", 20000),
                                Nested("-(", "1", ")", 10000), Nested("not ", "1", "", 10000),
                                Nested("IF(TRUE,", "1", ",0)", 5000), Chain("(1", "+", 30000)}) {
        const EvalResult r = Eval(text);
        EXPECT_TRUE(r.IsError()) << text.left(20).toStdString();
    }
}

TEST(QRExprResult, ErrorsPassOnLeftFirst) {
    EXPECT_TRUE(IsError(Eval("(1/0)+FOO"), "Cannot divide by 0"));
    EXPECT_TRUE(IsError(Eval("FOO+(1/0)"), "Unknown function : FOO"));
    EXPECT_TRUE(IsError(Eval("1+(1/0)"), "Cannot divide by 0"));
}

TEST(QRExprResult, MixedKindsBecomeText) {
    EXPECT_TRUE(IsString(Eval("1.5+'x'"), "1.5x"));
    EXPECT_TRUE(IsString(Eval("'v'+FALSE"), "vFalse"));
    EXPECT_TRUE(IsBoolean(Eval("10<'9'"), true));  // compared as text
    EXPECT_TRUE(IsBoolean(Eval("TRUE='True'"), true));
    EXPECT_TRUE(IsError(Eval("'a'-'b'"), "Cannot subtract string expressions"));
    EXPECT_TRUE(IsError(Eval("'a'*2"), "Cannot multiply string expressions"));
    EXPECT_TRUE(IsError(Eval("TRUE/TRUE"), "Cannot divide boolean expressions"));
    EXPECT_TRUE(IsError(Eval("TRUE+FALSE"), "Cannot add boolean expressions"));
    EXPECT_TRUE(IsBoolean(Eval("TRUE<>FALSE"), true));
}

TEST(QRExprResult, StringsCompareByUnsignedBytes) {
    EXPECT_TRUE(IsBoolean(Eval("'ab'<'abc'"), true));
    EXPECT_TRUE(IsBoolean(Eval("'b'>'abc'"), true));
    // 0x82 (a lead byte) sorts above every ASCII byte.
    EXPECT_TRUE(IsBoolean(Eval(QStringLiteral("'\u3042'>'z'")), true));
    EXPECT_TRUE(IsBoolean(Eval("'abc'>='abc'"), true));
}

TEST(QRExprResult, TextFormsAndTheTextOfAnError) {
    EXPECT_EQ(EvalResult::FromInteger(-42).Text(), "-42");
    EXPECT_EQ(EvalResult::FromFloat(0.1 + 0.2).Text(), "0.3");
    EXPECT_EQ(EvalResult::FromBoolean(true).Text(), "True");
    try {
        EvalResult::Error("boom").Text();
        FAIL() << "no exception";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "Error in expression : boom");
    }
}

TEST(QRExprResult, LongTextIsCutOnACharacterBoundary) {
    EvalResult ascii = EvalResult::FromString(QString(300, u'x'));
    EXPECT_EQ(ascii.StrResult.Length(), 255);
    // 200 double-byte characters: 254 bytes, never a lone lead byte at the end.
    EvalResult wide = EvalResult::FromString(QString(200, QChar(0x3042)));
    EXPECT_EQ(wide.StrResult.Length(), 254);
    EXPECT_EQ(wide.StrResult.Text(), QString(127, QChar(0x3042)));
    // A character CP932 lacks is one '?', a surrogate pair too; a lead byte
    // that would be the 255th stays out also when the text goes on long after.
    QString pairs;
    for (int i = 0; i < 300; ++i) pairs += QString::fromUcs4(U"\U0001F600");
    EXPECT_EQ(EvalResult::FromString(pairs).StrResult.Bytes(), QByteArray(255, '?'));
    const QString longWide = QString(254, u'x') + QString(100000, QChar(0x3042));
    EXPECT_EQ(EvalResult::FromString(longWide).StrResult.Bytes(), QByteArray(254, 'x'));
    const QString pairsThenWide = QString(pairs).left(508) + QString(10, QChar(0x3042));
    EXPECT_EQ(EvalResult::FromString(pairsThenWide).StrResult.Bytes(),
              QByteArray(254, '?'));
    EXPECT_TRUE(IsString(Eval("'" + QString(200, u'a') + "'+'" + QString(100, u'b') + "'"),
                         QString(200, u'a') + QString(55, u'b')));
}

TEST(QRExprEvaluator, ValueBeforePrepareRaises) {
    StartQRExpr();
    TQREvaluator e;
    EXPECT_THROW(e.Value(), Exception);
    e.Prepare("1+1");
    EXPECT_TRUE(e.Prepared());
    EXPECT_TRUE(IsInteger(e.Value(), 2));
    EXPECT_TRUE(IsInteger(e.Value(), 2));
    e.Unprepare();
    EXPECT_FALSE(e.Prepared());
    try {
        e.Value();
        FAIL() << "no exception";
    } catch (const Exception& ex) {
        EXPECT_EQ(ex.Message(), "Evaluator not prepared");
    }
}

TEST(QRExprEvaluator, PreparingAgainReadsTheNewText) {
    StartQRExpr();
    TQREvaluator e;
    e.Prepare("1");
    e.Prepare("'two'");
    EXPECT_TRUE(IsString(e.Value(), "two"));
    EXPECT_FALSE(e.ContainsAggregates());
    e.Prepare("1+SUM(2)");
    EXPECT_TRUE(e.ContainsAggregates());
}

TEST(QRExprEvaluator, OwnsOnlyTheDataSetListItMade) {
    TQREvaluator e;
    TQRDataSetList* owned = e.DataSets();
    ASSERT_NE(owned, nullptr);
    EXPECT_EQ(e.DataSets(), owned);
    TQRDataSetList mine;
    e.SetDataSets(&mine);
    EXPECT_EQ(e.DataSets(), &mine);
}

TEST(QRExprEvaluator, EachPreparedEvaluatorCountsOnTheGlobalEnvironment) {
    StartQRExpr();
    TQREvEnvironment* global = GlobalEnvironment();
    ASSERT_NE(global, nullptr);
    {
        TQREvaluator a;
        a.Prepare("1");
        EXPECT_TRUE(global->Prepared());
        EXPECT_TRUE(IsString(Eval("TYPEOF(APPNAME)"), "STRING"));
    }
    EXPECT_TRUE(global->Entry(0)->Evaluator().Prepared());
}

// ------------------------------------------------------------ data fields

class QRExprDataFields : public ::testing::Test {
protected:
    void SetUp() override {
        StartQRExpr();
        ds = std::make_unique<TClientDataSet>(nullptr);
        ds->SetName("Sales");
        ds->FieldDefs().Add("QTY", ftInteger);
        ds->FieldDefs().Add("PRICE", ftFloat);
        ds->FieldDefs().Add("NAME", ftString, 20);
        ds->FieldDefs().Add("PAID", ftBoolean);
        ds->FieldDefs().Add("DAY", ftDate);
        ds->FieldDefs().Add("BIG", ftLargeint);
        ds->FieldDefs().Add("COST", ftCurrency);
        ds->FieldDefs().Add("SMALL", ftSmallint);
        ds->CreateDataSet();
        AddRow(3, 1.5, "apple", true, 45000, 5000000000LL);
        AddRow(-2, 0.25, QStringLiteral("\u308a\u3093\u3054"), false, 45001, 7);
        ds->First();
        sets.push_back(ds.get());
    }
    void AddRow(int qty, double price, const QString& name, bool paid, int day, Int64 big) {
        ds->Append();
        ds->FieldByName("QTY")->SetAsInteger(qty);
        ds->FieldByName("PRICE")->SetAsFloat(price);
        ds->FieldByName("NAME")->SetAsString(name);
        ds->FieldByName("PAID")->SetAsBoolean(paid);
        ds->FieldByName("DAY")->SetAsDateTime(day);
        static_cast<TLargeintField*>(ds->FieldByName("BIG"))->SetAsLargeInt(big);
        ds->FieldByName("COST")->SetAsFloat(price * 2);
        ds->FieldByName("SMALL")->SetAsInteger(qty);
        ds->Post();
    }
    std::unique_ptr<TClientDataSet> ds;
    TQRDataSetList sets;
};

TEST_F(QRExprDataFields, FieldClassesDecideTheKind) {
    EXPECT_TRUE(IsInteger(Eval("QTY", nullptr, &sets), 3));
    EXPECT_TRUE(IsInteger(Eval("SMALL", nullptr, &sets), 3));
    EXPECT_TRUE(IsFloat(Eval("PRICE", nullptr, &sets), 1.5));
    EXPECT_TRUE(IsFloat(Eval("COST", nullptr, &sets), 3.0));
    EXPECT_TRUE(IsString(Eval("NAME", nullptr, &sets), "apple"));
    EXPECT_TRUE(IsBoolean(Eval("PAID", nullptr, &sets), true));
    // 45000 days after 1899-12-30 is 2023-03-15; dates read as their text.
    EXPECT_TRUE(IsString(Eval("DAY", nullptr, &sets), "2023/03/15"));
    // Past 32 bits a large integer reads as a float, not its low bits.
    EXPECT_TRUE(IsFloat(Eval("BIG", nullptr, &sets), 5000000000.0));
    EXPECT_TRUE(IsFloat(Eval("QTY*PRICE", nullptr, &sets), 4.5));
}

TEST_F(QRExprDataFields, NamesWithADataSetPartAndBrackets) {
    EXPECT_TRUE(IsInteger(Eval("Sales.QTY", nullptr, &sets), 3));
    EXPECT_TRUE(IsInteger(Eval("SALES.qty", nullptr, &sets), 3));
    EXPECT_TRUE(IsInteger(Eval("[sales.Qty]", nullptr, &sets), 3));
    EXPECT_TRUE(IsError(Eval("Other.QTY", nullptr, &sets), "Unknown function : OTHER.QTY"));
    EXPECT_TRUE(IsError(Eval("Sales.NOPE", nullptr, &sets), "Unknown function : SALES.NOPE"));
    // A bracketed name on the right of a minus keeps its signs.
    TClientDataSet odd(nullptr);
    odd.FieldDefs().Add("A-B+C", ftInteger);
    odd.CreateDataSet();
    odd.Append();
    odd.Fields(0)->SetAsInteger(4);
    odd.Post();
    TQRDataSetList list{&odd};
    EXPECT_TRUE(IsInteger(Eval("10-[A-B+C]", nullptr, &list), 6));
    EXPECT_TRUE(IsInteger(Eval("DIV([A-B+C], 2)", nullptr, &list), 2));
}

TEST_F(QRExprDataFields, EvaluationFollowsTheCurrentRecord) {
    TQREvaluator e;
    e.SetDataSets(&sets);
    e.Prepare("NAME+':'+STR(QTY)");
    EXPECT_TRUE(IsString(e.Value(), "apple:3"));
    ds->Next();
    EXPECT_TRUE(IsString(e.Value(), QStringLiteral("\u308a\u3093\u3054:-2")));
    EXPECT_TRUE(HasBytes(e.Value(), "82e882f182b23a2d32"));
}

TEST_F(QRExprDataFields, ReopenedDataSetsAreReadThroughTheirNewFields) {
    TQREvaluator e;
    e.SetDataSets(&sets);
    e.Prepare("QTY+1");
    ds->Close();
    EXPECT_TRUE(IsError(e.Value(), "Field QTY not found"));
    ds->Open();
    EXPECT_TRUE(IsInteger(e.Value(), 4));
}

TEST_F(QRExprDataFields, EmptyDataSetsReadNulls) {
    TClientDataSet empty(nullptr);
    empty.FieldDefs().Add("N", ftInteger);
    empty.FieldDefs().Add("S", ftString);
    empty.CreateDataSet();
    TQRDataSetList list{&empty};
    EXPECT_TRUE(IsInteger(Eval("N", nullptr, &list), 0));
    EXPECT_TRUE(IsString(Eval("S", nullptr, &list), ""));
}

// A field class the evaluator does not know.
class TOpaqueField : public TField {
public:
    explicit TOpaqueField(TComponent* owner) : TField(owner, ftUnknown) {}
};

TEST_F(QRExprDataFields, UnknownFieldClassesGiveAnError) {
    TClientDataSet other(nullptr);
    other.FieldDefs().Add("BLOB", ftString);
    auto* field = new TOpaqueField(&other);
    field->SetFieldName("BLOB");
    field->SetDataSet(&other);
    other.CreateDataSet();
    EXPECT_FALSE(other.DefaultFields());
    TQRDataSetList list{&other};
    EXPECT_TRUE(IsError(Eval("BLOB", nullptr, &list), "Field BLOB is of unknown type"));
}

}  // namespace

TEST(QRShortString, HostileLengthsStayInsideTheBuffer) {
    const char text[] = "abc";
    TQRShortString s;
    s.Assign(text, 3);
    s.Assign(text, -1);  // a negative count copies nothing
    EXPECT_EQ(s.Length(), 0);
    s.Assign(text, std::numeric_limits<qsizetype>::min());
    EXPECT_EQ(s.Length(), 0);
    const QByteArray longText(1000, 'x');
    s.Assign(longText);
    EXPECT_EQ(s.Length(), TQRShortString::MaxLength);
}
