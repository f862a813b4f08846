// The function library: registrations, the built-in functions and the
// aggregates. Expected bytes of double-byte text come from Python's cp932 codec.
#include "QRExprTestSupport.h"

#include <cmath>
#include <memory>
#include <vector>

namespace {

TEST(QRExprLibrary, BuiltInRegistrationsInOrder) {
    StartQRExpr();
    const TQRFunctionLibrary* library = QRFunctionLibrary();
    ASSERT_NE(library, nullptr);
    const char* names[] = {"IF", "STR", "UPPER", "LOWER", "PRETTY", "TIME", "DATE",
                           "COPY", "SUM", "COUNT", "MAX", "MIN", "AVERAGE", "TRUE",
                           "FALSE", "INT", "FRAC", "SQRT", "DIV", "TYPEOF", "FORMATNUMERIC"};
    ASSERT_GE(library->EntryCount(), 21);
    for (int i = 0; i < 21; ++i) EXPECT_EQ(library->GetEntry(i)->Name, names[i]) << i;
    EXPECT_EQ(library->GetEntry(-1), nullptr);

    const TQRLibraryEntry* ifEntry = library->FindEntry("if");
    EXPECT_EQ(ifEntry->Description,
              "IF(<Exp>, <X>, <Y>)|Returns <X> or <Y> depending on the boolean expression <Exp>");
    EXPECT_EQ(ifEntry->Data, "5BVV");
    EXPECT_EQ(library->FindEntry("DIV")->Description, "DIV(<X>, <Y>) | Integer division of <X> by <Y>");
    EXPECT_EQ(library->FindEntry("COPY")->Description, "COPY(<X>, <St>,<Len>)|Returns a substring of string X");
    EXPECT_EQ(library->FindEntry("COPY")->Data, "7SNN");
    EXPECT_EQ(library->FindEntry("TIME")->Data, "1");
    EXPECT_EQ(library->FindEntry("FORMATNUMERIC")->Data, "7SN");
    EXPECT_EQ(library->FindEntry("TYPEOF")->Data, "6N");
    EXPECT_EQ(library->FindEntry("COUNT")->Vendor, library->FindEntry("SUM")->Vendor);
    EXPECT_EQ(QRFunctionCategoryName(3), "Statistical");
    EXPECT_EQ(QRFunctionCategoryName(7), "Other");
}

class TFirstSeven : public TQREvElementFunction {
    void Calculate(EvalResult& r) override { r = EvalResult::FromInteger(7); }
};
class TSecondEight : public TQREvElementFunction {
    void Calculate(EvalResult& r) override { r = EvalResult::FromInteger(8); }
};

TEST(QRExprLibrary, TheFirstRegistrationOfANameWins) {
    StartQRExpr();
    RegisterLibraryFunction(CreateQRFunction<TFirstSeven>, "TWICEREGISTERED", "T|", "7", "test");
    RegisterLibraryFunction(CreateQRFunction<TSecondEight>, "TwiceRegistered", "T|", "7", "test");
    EXPECT_TRUE(IsInteger(Eval("twiceregistered"), 7));
    std::unique_ptr<TQREvElement> unknown(QRFunctionLibrary()->CreateElement("NOPE"));
    auto* error = dynamic_cast<TQREvElementError*>(unknown.get());
    ASSERT_NE(error, nullptr);
    EXPECT_EQ(error->Message(), "Unknown function : NOPE");
}

// The texts of its arguments, each beside its mirror (the first with the
// last, and so on), two references held at once.
class TMirror : public TQREvElementFunction {
    void Calculate(EvalResult& r) override {
        QString text;
        for (Integer i = 0; i < ArgumentCount(); ++i) {
            const EvalResult& first = Argument(i);
            const EvalResult& last = Argument(ArgumentCount() - 1 - i);
            text += first.Text() + last.Text() + u' ';
        }
        r = EvalResult::FromString(text);
    }
};

TEST(QRExprLibrary, FunctionsReadEveryOneOfManyArguments) {
    StartQRExpr();
    RegisterLibraryFunction(CreateQRFunction<TMirror>, "MIRROR", "MIRROR|", "7", "test");
    const auto mirrored = [](const QStringList& values) {
        QString text;
        for (qsizetype i = 0; i < values.size(); ++i) text += values[i] + values[values.size() - 1 - i] + u' ';
        return text.left(TQRShortString::MaxLength);
    };
    QStringList letters;
    for (int i = 0; i < 20; ++i) letters << QString(QChar(u'a' + i));
    const QString inner = "MIRROR('" + letters.join("','") + "')";
    EXPECT_TRUE(IsString(Eval(inner), mirrored(letters)));
    // The inner call is evaluated while the outer one holds thirty arguments.
    QStringList texts;
    QStringList values;
    for (int i = 0; i < 40; ++i) {
        texts << (i == 30 ? inner : QString::number(i));
        values << (i == 30 ? mirrored(letters) : QString::number(i));
    }
    EXPECT_TRUE(IsString(Eval("MIRROR(" + texts.join(",") + ")"), mirrored(values)));
}

TEST(QRExprFunctions, EdgeCasesOfThePlainFunctions) {
    EXPECT_TRUE(IsInteger(Eval("IF(TRUE, 1, 2)"), 1));
    EXPECT_TRUE(IsError(Eval("IF(1, 2, 3)"), "Wrong arguments for IF"));
    EXPECT_TRUE(IsInteger(Eval("IF(FALSE, 1/0, 2)"), 2));
    EXPECT_TRUE(IsString(Eval("STR(12)"), "12"));
    EXPECT_TRUE(IsString(Eval("STR(1.5)"), "1.5"));
    EXPECT_TRUE(IsString(Eval("STR(FALSE)"), "False"));
    EXPECT_TRUE(IsError(Eval("STR('a')"), "Conversion error"));
    EXPECT_TRUE(IsError(Eval("STR(1,2)"), "Conversion error"));
    EXPECT_TRUE(IsString(Eval("PRETTY('hELLO')"), "Hello"));
    EXPECT_TRUE(IsString(Eval("COPY('ABCDEF', 2, 3)"), "BCD"));
    EXPECT_TRUE(IsString(Eval("COPY('ABC', 0, 2)"), "AB"));
    EXPECT_TRUE(IsInteger(Eval("INT(-2.7)"), -2));
    EXPECT_TRUE(IsInteger(Eval("INT(5)"), 5));
    EXPECT_TRUE(IsFloat(Eval("FRAC(-2.25)"), -0.25));
    EXPECT_TRUE(IsFloat(Eval("FRAC(4)"), 0.0));
    EXPECT_TRUE(IsInteger(Eval("DIV(7, 2)"), 3));
    EXPECT_TRUE(IsInteger(Eval("DIV(7, 2.5)"), 3));
    EXPECT_TRUE(IsInteger(Eval("DIV(7, 3.5)"), 1));
    EXPECT_TRUE(IsInteger(Eval("DIV(0-7, 2)"), -3));
    EXPECT_TRUE(IsError(Eval("DIV(1, 0.4)"), "Division by Zero"));
    EXPECT_TRUE(IsError(Eval("DIV(1)"), "Wrong arguments for DIV"));
    EXPECT_TRUE(IsError(Eval("SQRT(0-1)"), "Invalid argument to SQRT function"));
    EXPECT_TRUE(IsFloat(Eval("SQRT(16)"), 4.0));
    EXPECT_TRUE(IsError(Eval("SQRT('x')"), "Invalid argument to SQRT function"));
    EXPECT_TRUE(IsString(Eval("TYPEOF(1/2)"), "FLOAT"));
    EXPECT_TRUE(IsString(Eval("TYPEOF(1/0)"), "ERROR"));
    EXPECT_TRUE(IsString(Eval("TYPEOF('s')+TYPEOF(1)+TYPEOF(TRUE)"), "STRINGINTEGERBOOLEAN"));
    EXPECT_TRUE(IsError(Eval("TYPEOF(1,2)"), "Wrong arguments for TypeOf"));
    EXPECT_TRUE(IsError(Eval("TRUE(1)"), "Too many arguments"));
    EXPECT_TRUE(IsBoolean(Eval("FALSE()"), false));
    EXPECT_TRUE(IsError(Eval("COUNT(1)"), "COUNT - Too many arguments"));
    EXPECT_TRUE(IsError(Eval("FOO(1)"), "Unknown function : FOO"));
}

TEST(QRExprFunctions, ArgumentsAreSplitAtTopLevelSeparatorsOnly) {
    EXPECT_TRUE(IsString(Eval("IF(TRUE,'a,b','c')"), "a,b"));
    EXPECT_TRUE(IsInteger(Eval("IF(TRUE,DIV(9,2),0)"), 4));
    EXPECT_TRUE(IsError(Eval("IF(TRUE,,2)"), "Error in expression : "));
    EXPECT_TRUE(IsError(Eval("IF(TRUE,1,)"), "Wrong arguments for IF"));
}

TEST(QRExprFunctions, EveryErrorCarriesAMessage) {
    EXPECT_TRUE(IsError(Eval("TIME(1)"), "Wrong arguments for TIME"));
    EXPECT_TRUE(IsError(Eval("DATE(1)"), "Wrong arguments for DATE"));
    EXPECT_TRUE(IsError(Eval("COPY('abc', 1)"), "Wrong arguments for COPY"));
    EXPECT_TRUE(IsError(Eval("COPY('abc', 1.5, 1)"), "Wrong arguments for COPY"));
    EXPECT_TRUE(IsError(Eval("FRAC('x')"), "Wrong arguments for FRAC"));
    EXPECT_TRUE(IsError(Eval("FORMATNUMERIC(1, 2)"), "Wrong arguments for FORMATNUMERIC"));
    EXPECT_TRUE(IsError(Eval("UPPER(1)"), "Wrong arguments for UPPER"));
    EXPECT_TRUE(IsError(Eval("PRETTY(TRUE)"), "Wrong arguments for PRETTY"));
    EXPECT_TRUE(IsError(Eval("LOWER(1/0)"), "Cannot divide by 0"));
    EXPECT_TRUE(IsError(Eval("UPPER()"), "Missing argument for UPPER"));
    EXPECT_TRUE(IsError(Eval("LOWER('a','b')"), "Missing argument for LOWER"));
}

TEST(QRExprFunctions, IntAndDivOutsideTheIntegerRange) {
    EXPECT_TRUE(IsInteger(Eval("INT(2147483647.9)"), 2147483647));
    EXPECT_TRUE(IsError(Eval("INT(3000000000.0)"), "Integer overflow"));
    EXPECT_TRUE(IsError(Eval("INT(1E308*10)"), "Integer overflow"));
    EXPECT_TRUE(IsError(Eval("INT((1E308*10)-(1E308*10))"), "Integer overflow"));
    EXPECT_TRUE(IsError(Eval("DIV((0-2147483647)-1, 0-1)"), "Integer overflow"));
    EXPECT_TRUE(IsError(Eval("DIV(3000000000.0, 2)"), "Integer overflow"));
    EXPECT_TRUE(IsError(Eval("DIV(1, (1E308*10)-(1E308*10))"), "Integer overflow"));
    EXPECT_TRUE(IsInteger(Eval("DIV(2.5, 1)"), 2));  // halves to even
    EXPECT_TRUE(IsInteger(Eval("DIV(3.5, 1)"), 4));
}

TEST(QRExprFunctions, FormatNumericUsesTheMask) {
    EXPECT_TRUE(IsString(Eval("FORMATNUMERIC('#,##0.00', 1234)"), "1,234.00"));
    EXPECT_TRUE(IsString(Eval("FORMATNUMERIC('0.0', 2.25)"), "2.3"));
    const EvalResult huge = Eval("FORMATNUMERIC('0', 1E300)");
    EXPECT_EQ(huge.Kind, rkString);
    // The mask, a string, is cut to 255 bytes before it is used.
    const QString longMask = QString(300, u'0');
    const EvalResult wide = Eval("FORMATNUMERIC('" + longMask + "', 7)");
    EXPECT_TRUE(IsString(wide, QString(254, u'0') + "7"));
}

TEST(QRExprFunctions, TimeAndDateFollowTheClock) {
    StartQRExpr();
    SetClockForTesting([] { return 45356.0 + (9 * 3600 + 7 * 60 + 3) / 86400.0; });
    EXPECT_TRUE(IsString(Eval("DATE"), "2024/03/05"));
    EXPECT_TRUE(IsString(Eval("TIME"), "9:07:03"));
    SetClockForTesting(nullptr);
}

TEST(QRExprFunctions, CaseMappingOfDoubleByteText) {
    EXPECT_TRUE(HasBytes(Eval(QStringLiteral("UPPER('\uff41\uff42\uff43abc')")), "826082618262414243"));
    EXPECT_TRUE(HasBytes(Eval(QStringLiteral("LOWER('\uff21\uff22\uff23\u6f22\u5b57\uff58\uff59')")),
                         "8281828282838abf8e9a82988299"));
    EXPECT_TRUE(HasBytes(Eval(QStringLiteral("LOWER('\u0391\u0392\u0393')")), "83bf83c083c1"));
    // A lead byte first: both bytes of the first character are upper-cased.
    EXPECT_TRUE(HasBytes(Eval(QStringLiteral("PRETTY('\uff41\uff22\uff23')")), "826082828283"));
    // Half-width katakana is a single byte without case.
    EXPECT_TRUE(HasBytes(Eval(QStringLiteral("PRETTY('\uff71BC')")), "b16263"));
    EXPECT_TRUE(IsString(Eval("PRETTY('')"), ""));
}

// Bytes of あいう: 82a0 82a2 82a4; of aあb: 61 82a0 62.
TEST(QRExprFunctions, CopyWorksOnBytesAndKeepsCharactersWhole) {
    EXPECT_TRUE(HasBytes(Eval(QStringLiteral("COPY('\u3042\u3044\u3046', 2, 3)")), "82a2"));
    EXPECT_TRUE(HasBytes(Eval(QStringLiteral("COPY('\u3042\u3044\u3046', 1, 3)")), "82a0"));
    EXPECT_TRUE(HasBytes(Eval(QStringLiteral("COPY('\u3042\u3044\u3046', 1, 4)")), "82a082a2"));
    EXPECT_TRUE(HasBytes(Eval(QStringLiteral("COPY('a\u3042b', 2, 1)")), ""));
    EXPECT_TRUE(HasBytes(Eval(QStringLiteral("COPY('a\u3042b', 3, 2)")), "62"));
}

TEST(QRExprRulings, CopyClipsBeforeItsDoubleByteAdjustments) {
    EXPECT_TRUE(HasBytes(Eval(QStringLiteral("COPY('\u3042\u3044', 3, 100)")), "82a2"));
    EXPECT_TRUE(HasBytes(Eval(QStringLiteral("COPY('\u3042\u3044', 4, 10)")), ""));
    EXPECT_TRUE(IsString(Eval("COPY('abc', 0-5, 2)"), "ab"));
    EXPECT_TRUE(IsString(Eval("COPY('abc', 2, 0-1)"), ""));
    EXPECT_TRUE(IsString(Eval("COPY('abc', 5, 1)"), ""));
    EXPECT_TRUE(IsString(Eval("COPY('abc', 2, 2147483647)"), "bc"));
    EXPECT_TRUE(IsString(Eval("COPY('abc', 2147483647, 2147483647)"), ""));
}

// ------------------------------------------------------------ aggregates

// An expression stepped over values fed through the named value V.
class QRExprAggregates : public ::testing::Test {
protected:
    void SetUp() override {
        StartQRExpr();
        env.AddFunction("V", "0");
        env.Prepare();
        e.SetEnvironment(&env);
    }
    void TearDown() override {
        e.Unprepare();
        env.Unprepare();
    }
    void Step(const EvalResult& v) {
        TQREvEnvironment::SetConstant(env.GetConstant("V"), v);
        e.UpdateAggregates();
    }
    EvalResult Over(const QString& text, const std::vector<EvalResult>& values) {
        e.Prepare(text);
        for (const EvalResult& v : values) Step(v);
        return e.Value();
    }
    static EvalResult I(Integer v) { return EvalResult::FromInteger(v); }
    static EvalResult F(double v) { return EvalResult::FromFloat(v); }
    static EvalResult B(bool v) { return EvalResult::FromBoolean(v); }
    static EvalResult S(const char* v) { return EvalResult::FromString(QString::fromLatin1(v)); }

    TQREvEnvironment env;
    TQREvaluator e;
};

TEST_F(QRExprAggregates, OverThreeFiveFour) {
    const std::vector<EvalResult> values{I(3), I(5), I(4)};
    EXPECT_TRUE(IsInteger(Over("SUM(V)", values), 12));
    EXPECT_TRUE(IsFloat(Over("AVERAGE(V)", values), 4.0));
    EXPECT_TRUE(IsInteger(Over("MAX(V)", values), 5));
    EXPECT_TRUE(IsInteger(Over("MIN(V)", values), 3));
    EXPECT_TRUE(IsInteger(Over("COUNT", values), 3));
}

TEST_F(QRExprAggregates, ResetRestartsUntilTheNextStep) {
    const std::vector<EvalResult> values{I(3), I(5), I(4)};
    for (const char* text : {"SUM(V)", "MAX(V)", "COUNT"}) {
        Over(text, values);
        e.Reset();
        EXPECT_TRUE(IsInteger(e.Value(), 0)) << text;
        Step(I(7));
        EXPECT_TRUE(IsInteger(e.Value(), QString(text) == "COUNT" ? 1 : 7)) << text;
    }
    e.Prepare("AVERAGE(V)");
    EXPECT_TRUE(IsInteger(e.Value(), 0));  // before the first reset
    e.Reset();
    EXPECT_TRUE(IsFloat(e.Value(), 0.0));
    Step(I(6));
    Step(I(3));
    EXPECT_TRUE(IsFloat(e.Value(), 4.5));
}

TEST_F(QRExprAggregates, OnlyUpdatesTakeSteps) {
    e.Prepare("SUM(V)+COUNT");
    Step(I(2));
    EXPECT_TRUE(IsInteger(e.Value(), 3));
    EXPECT_TRUE(IsInteger(e.Value(), 3));
    // Each occurrence keeps its own sum; preparing again starts afresh.
    EXPECT_TRUE(IsInteger(Over("SUM(V)*10+SUM(V)", {I(1), I(2)}), 33));
    EXPECT_TRUE(IsInteger(Over("SUM(V)", {}), 0));
}

TEST_F(QRExprAggregates, BooleansStringsAndErrors) {
    EXPECT_TRUE(IsBoolean(Over("MIN(V)", {B(true), B(false), B(true)}), false));
    EXPECT_TRUE(IsBoolean(Over("MAX(V)", {B(true), B(false), B(true)}), true));
    EXPECT_TRUE(IsString(Over("MAX(V)", {S("b"), S("c"), S("a")}), "c"));
    EXPECT_TRUE(IsString(Over("MIN(V)", {S("b"), S("c"), S("a")}), "a"));
    EXPECT_TRUE(IsError(Over("SUM(V)", {S("a"), S("b")}), "Wrong arguments for SUM"));
    EXPECT_TRUE(IsError(Over("SUM(V)", {I(1), S("b"), I(2)}), "Wrong arguments for SUM"));
    EXPECT_TRUE(IsInteger(Over("SUM(V)", {I(1), B(true), I(2)}), 3));
    EXPECT_TRUE(IsError(Over("AVERAGE(V)", {S("a")}), "Wrong arguments for AVERAGE"));
    EXPECT_TRUE(IsError(Over("SUM(V, 1)", {I(1)}), "Wrong arguments for SUM"));
    EXPECT_TRUE(IsError(Over("MAX()", {I(1)}), "Wrong arguments for MAX"));
}

TEST_F(QRExprAggregates, MixedIntegersAndFloatsPromoteToFloat) {
    EXPECT_TRUE(IsFloat(Over("SUM(V)", {I(1), F(2.5), I(3)}), 6.5));
    EXPECT_TRUE(IsFloat(Over("SUM(V)", {F(0.5), I(2)}), 2.5));
    EXPECT_TRUE(IsFloat(Over("AVERAGE(V)", {I(1), F(2.5), I(3)}), 6.5 / 3));
    EXPECT_TRUE(IsFloat(Over("MAX(V)", {I(1), F(2.5), I(2)}), 2.5));
    EXPECT_TRUE(IsFloat(Over("MAX(V)", {I(3), F(2.5)}), 3.0));
    EXPECT_TRUE(IsFloat(Over("MIN(V)", {I(3), F(2.5), I(4)}), 2.5));
    EXPECT_TRUE(IsFloat(Over("MIN(V)", {F(3.5), I(2)}), 2.0));
}

TEST_F(QRExprAggregates, SumsPastTheIntegerRangeGoOnInFloatingPoint) {
    EXPECT_TRUE(IsFloat(Over("SUM(V)", {I(2147483647), I(1)}), 2147483648.0));
    EXPECT_TRUE(IsFloat(Over("SUM(V)", {I(2147483647), I(1), I(1)}), 2147483649.0));
    EXPECT_TRUE(IsFloat(Over("SUM(V)", {I(-2147483647 - 1), I(-1)}), -2147483649.0));
    EXPECT_TRUE(IsFloat(Over("AVERAGE(V)", {I(2147483647), I(2147483647)}), 2147483647.0));
}

}  // namespace
