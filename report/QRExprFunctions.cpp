// The function library and its twenty-one built-in functions, aggregates
// among them.
#include "QRExpr.h"

#include "Windows.h"

#include <cmath>
#include <limits>

using namespace QRExprText;

// ------------------------------------------------------------ the library

namespace {
TQRFunctionLibrary* g_library = nullptr;
}  // namespace

TQRLibrary::~TQRLibrary() {
    for (TQRLibraryEntry* entry : entries_) delete entry;
}

TQRLibraryEntry* TQRLibrary::GetEntry(Integer index) const {
    return index >= 0 && index < EntryCount() ? entries_[size_t(index)] : nullptr;
}

TQRLibraryEntry* TQRLibrary::FindEntry(const QString& name) const {
    for (TQRLibraryEntry* entry : entries_)
        if (entry->Name.compare(name, Qt::CaseInsensitive) == 0) return entry;
    return nullptr;
}

TQREvElement* TQRLibrary::CreateElement(const QString& name) const {
    if (const TQRLibraryEntry* entry = FindEntry(name)) return entry->Instance();
    return new TQREvElementError(QRExprMessage(UnknownFunction, name));
}

TQRFunctionLibrary* QRFunctionLibrary() { return g_library; }

void RegisterLibraryFunction(TQRFunctionFactory instance, const QString& name,
                             const QString& description, const QString& data,
                             const QString& vendor) {
    if (!g_library) g_library = new TQRFunctionLibrary;
    auto* entry = new TQRLibraryEntry;
    entry->Name = name;
    entry->Description = description;
    entry->Data = data;
    entry->Vendor = vendor;
    entry->Instance = instance;
    g_library->Add(entry);
}

void FreeQRFunctionLibrary() { FreeAndNil(g_library); }

QString QRFunctionCategoryName(Integer category) {
    static const char* const names[] = {"All", "Date & time", "Math & trig", "Statistical",
                                        "Database", "Logical", "Information", "Other"};
    return category >= 0 && category < 8 ? QString::fromLatin1(names[category]) : QString();
}

// ------------------------------------------------------------ helpers

namespace {

EvalResult Wrong(const char* name) {
    return EvalResult::Error(QRExprMessage(WrongArguments, QString::fromLatin1(name)));
}

EvalResult Message(const char* text) { return EvalResult::Error(QRExprMessage(text)); }

bool IsAsciiBytes(const QByteArray& bytes) {
    for (char c : bytes)
        if (Byte(c) >= 0x80) return false;
    return true;
}

// Upper- or lower-cases ANSI text by the locale's rules, through UTF-16.
QByteArray CaseMapped(const QByteArray& bytes, bool upper) {
    if (IsAsciiBytes(bytes)) return upper ? bytes.toUpper() : bytes.toLower();
    const QString wide = AnsiToWide(bytes);
    return WideToAnsi(upper ? AnsiUpperCase(wide) : AnsiLowerCase(wide));
}

// The start of the character that holds byte p, scanning from the start.
int CharacterStart(const TQRShortString& s, int p) {
    int i = 0;
    while (i < s.Length()) {
        const int step = IsDBCSLeadByte(s.At(i)) && i + 1 < s.Length() ? 2 : 1;
        if (i + step > p) return i;
        i += step;
    }
    return i;
}

bool IsTrailByte(const TQRShortString& s, int p) { return CharacterStart(s, p) != p; }

bool IsLeadByte(const TQRShortString& s, int p) {
    return CharacterStart(s, p) == p && IsDBCSLeadByte(s.At(p));
}

// A float rounded (half to even) or cut to a 32-bit integer; false when it
// does not fit or is not a number.
bool FloatToInteger(double v, bool round, Integer& out) {
    const double w = round ? std::nearbyint(v) : std::trunc(v);
    if (!(w >= -2147483648.0 && w <= 2147483647.0)) return false;
    out = Integer(w);
    return true;
}

bool NumericToInteger(const EvalResult& a, Integer& out) {
    if (a.Kind == rkInteger) {
        out = a.IntResult;
        return true;
    }
    return FloatToInteger(a.FloatResult, true, out);
}

}  // namespace

// ------------------------------------------------------------ plain functions

class TQREvIfFunction : public TQREvElementFunction {
    void Calculate(EvalResult& r) override {
        if (ArgumentCount() != 3 || Argument(0).Kind != rkBoolean) r = Wrong("IF");
        else r = Argument(Argument(0).BoolResult ? 1 : 2);
    }
};

class TQREvStrFunction : public TQREvElementFunction {
    void Calculate(EvalResult& r) override {
        if (ArgumentCount() != 1 || Argument(0).Kind == rkString || Argument(0).IsError())
            r = Message(ConversionError);
        else r = EvalResult::FromString(Argument(0).Text());
    }
};

// UPPER, LOWER and PRETTY share their argument check.
class TQREvCaseFunction : public TQREvElementFunction {
protected:
    virtual const char* Name() const = 0;
    virtual QByteArray Map(const QByteArray& bytes) const = 0;

private:
    void Calculate(EvalResult& r) override {
        if (ArgumentCount() != 1) {
            r = EvalResult::Error(QRExprMessage(MissingArgument, QString::fromLatin1(Name())));
        } else if (Argument(0).IsError()) {
            r = Argument(0);
        } else if (Argument(0).Kind != rkString) {
            r = Wrong(Name());
        } else {
            r = EvalResult::FromBytes(Map(Argument(0).StrResult.Bytes()));
        }
    }
};

class TQREvUpperFunction : public TQREvCaseFunction {
    const char* Name() const override { return "UPPER"; }
    QByteArray Map(const QByteArray& bytes) const override { return CaseMapped(bytes, true); }
};

class TQREvLowerFunction : public TQREvCaseFunction {
    const char* Name() const override { return "LOWER"; }
    QByteArray Map(const QByteArray& bytes) const override { return CaseMapped(bytes, false); }
};

// The first character upper-cased (both bytes of a double-byte one), the rest lower-cased.
class TQREvPrettyFunction : public TQREvCaseFunction {
    const char* Name() const override { return "PRETTY"; }
    QByteArray Map(const QByteArray& bytes) const override {
        if (bytes.isEmpty()) return bytes;
        const qsizetype head = IsDBCSLeadByte(Byte(bytes[0])) ? 2 : 1;
        return CaseMapped(bytes.left(head), true) + CaseMapped(bytes.mid(head), false);
    }
};

class TQREvTimeFunction : public TQREvElementFunction {
    void Calculate(EvalResult& r) override {
        r = ArgumentCount() == 0 ? EvalResult::FromString(TimeToStr(Now())) : Wrong("TIME");
    }
};

class TQREvDateFunction : public TQREvElementFunction {
    void Calculate(EvalResult& r) override {
        r = ArgumentCount() == 0 ? EvalResult::FromString(DateToStr(Date())) : Wrong("DATE");
    }
};

// Bytes of the ANSI string; start and length are clipped to the string
// first, then moved off the halves of double-byte characters.
class TQREvCopyFunction : public TQREvElementFunction {
    void Calculate(EvalResult& r) override {
        if (ArgumentCount() != 3 || Argument(0).Kind != rkString || Argument(1).Kind != rkInteger ||
            Argument(2).Kind != rkInteger) {
            r = Wrong("COPY");
            return;
        }
        const EvalResult& text = Argument(0);
        const TQRShortString& s = text.StrResult;
        const Int64 start = std::max<Int64>(Argument(1).IntResult, 1);
        Int64 length = std::max<Int64>(Argument(2).IntResult, 0);
        if (start > s.Length()) {
            r = EvalResult::FromBytes(QByteArray());
            return;
        }
        int at = int(start - 1);
        length = std::min<Int64>(length, s.Length() - at);
        if (length > 0 && IsTrailByte(s, at)) {
            ++at;
            --length;
        }
        if (length >= 1 && IsLeadByte(s, at + int(length) - 1)) --length;
        r = EvalResult::FromBytes(QByteArray(s.Data() + at, qsizetype(length)));
    }
};

class TQREvTrue : public TQREvElementFunction {
    void Calculate(EvalResult& r) override {
        if (ArgumentCount() == 0) r.SetBoolean(true);
        else r = Message(TooManyArguments);
    }
};

class TQREvFalse : public TQREvElementFunction {
    void Calculate(EvalResult& r) override {
        if (ArgumentCount() == 0) r.SetBoolean(false);
        else r = Message(TooManyArguments);
    }
};

class TQREvIntFunction : public TQREvElementFunction {
    void Calculate(EvalResult& r) override {
        if (ArgumentCount() != 1 || !Argument(0).IsNumeric()) {
            r = Wrong("INT");
            return;
        }
        Integer v = Argument(0).IntResult;
        if (Argument(0).Kind == rkFloat && !FloatToInteger(Argument(0).FloatResult, false, v))
            r = Message(IntegerOverflow);
        else r.SetInteger(v);
    }
};

class TQREvFracFunction : public TQREvElementFunction {
    void Calculate(EvalResult& r) override {
        if (ArgumentCount() != 1 || !Argument(0).IsNumeric()) {
            r = Wrong("FRAC");
            return;
        }
        double whole = 0;
        r.SetFloat(Argument(0).Kind == rkInteger ? 0.0 : std::modf(Argument(0).FloatResult, &whole));
    }
};

class TQREvSQRTFunction : public TQREvElementFunction {
    void Calculate(EvalResult& r) override {
        const double x = ArgumentCount() == 1 && Argument(0).IsNumeric() ? Argument(0).AsFloat() : -1;
        if (x >= 0) r.SetFloat(std::sqrt(x));
        else r = Message(InvalidSqrt);
    }
};

// Floats are first rounded half to even; the quotient is cut toward zero.
class TQREvDivFunction : public TQREvElementFunction {
    void Calculate(EvalResult& r) override {
        if (ArgumentCount() != 2 || !Argument(0).IsNumeric() || !Argument(1).IsNumeric()) {
            r = Wrong("DIV");
            return;
        }
        Integer a = 0;
        Integer b = 0;
        if (!NumericToInteger(Argument(0), a) || !NumericToInteger(Argument(1), b))
            r = Message(IntegerOverflow);
        else if (b == 0) r = Message(DivisionByZero);
        else if (a == std::numeric_limits<Integer>::min() && b == -1) r = Message(IntegerOverflow);
        else r.SetInteger(a / b);
    }
};

class TQREvTypeOfFunction : public TQREvElementFunction {
    void Calculate(EvalResult& r) override {
        static const char* const kinds[] = {"INTEGER", "FLOAT", "STRING", "BOOLEAN", "ERROR"};
        if (ArgumentCount() != 1) r = Wrong("TypeOf");
        else r = EvalResult::FromString(QString::fromLatin1(kinds[Argument(0).Kind]));
    }
};

class TQREvFormatNumericFunction : public TQREvElementFunction {
    void Calculate(EvalResult& r) override {
        if (ArgumentCount() != 2 || Argument(0).Kind != rkString || !Argument(1).IsNumeric()) {
            r = Wrong("FORMATNUMERIC");
            return;
        }
        try {
            r = EvalResult::FromString(FormatFloat(Argument(0).StrResult.Text(), Argument(1).AsFloat()));
        } catch (const std::exception&) {
            r = Message(InvalidFormat);
        }
    }
};

// ------------------------------------------------------------ aggregates

// Adds up its numeric argument, one step per record; integers that
// overflow and mixes of integers and floats go on in floating point.
class TQREvSumFunction : public TQREvElementFunction {
public:
    TQREvSumFunction() { IsAggregate = true; }
    void Aggregate() override { Step("SUM"); }
    void Calculate(EvalResult& r) override {
        if (ArgumentCount() != 1) r = Wrong("SUM");
        else if (resultSet_) r = sum_;
        else r.SetInteger(0);
    }
    void Reset() override { resultSet_ = false; }

protected:
    void Step(const char* name) {
        if (ArgumentCount() != 1) return;
        const EvalResult& a = Argument(0);
        if (!resultSet_) {
            sum_ = a.IsNumeric() ? a : Wrong(name);
            resultSet_ = true;
        } else if (a.Kind == rkString) {
            sum_ = Wrong(name);
        } else if (!sum_.IsError() && a.IsNumeric()) {
            Add(a);
        }
    }
    EvalResult sum_;
    bool resultSet_ = false;

private:
    void Add(const EvalResult& a) {
        Integer v = 0;
        if (sum_.Kind == rkInteger && a.Kind == rkInteger &&
            !__builtin_add_overflow(sum_.IntResult, a.IntResult, &v))
            sum_.IntResult = v;
        else sum_.SetFloat(sum_.AsFloat() + a.AsFloat());
    }
};

class TQREvAverageFunction : public TQREvSumFunction {
public:
    void Aggregate() override {
        Step("AVERAGE");
        if (count_ < std::numeric_limits<Integer>::max()) ++count_;
        if (sum_.IsNumeric()) average_.SetFloat(sum_.AsFloat() / count_);
        else average_ = Wrong("AVERAGE");
    }
    void Calculate(EvalResult& r) override {
        if (ArgumentCount() == 1) r = average_;
        else r = Wrong("AVERAGE");
    }
    void Reset() override {
        TQREvSumFunction::Reset();
        average_ = EvalResult::FromFloat(0);
        count_ = 0;
    }

private:
    EvalResult average_ = EvalResult::FromInteger(0);
    Integer count_ = 0;
};

// MAX and MIN: the first value is kept whatever its kind; later values of a
// comparable kind replace it when better. Integers beside floats compare
// and are kept as floats.
class TQREvExtremeFunction : public TQREvElementFunction {
public:
    TQREvExtremeFunction() { IsAggregate = true; }
    void Aggregate() override {
        if (ArgumentCount() != 1) return;
        const EvalResult& a = Argument(0);
        if (!resultSet_) {
            stored_ = a;
            resultSet_ = true;
        } else if (stored_.IsNumeric() && a.IsNumeric()) {
            StepNumeric(a);
        } else if (stored_.Kind == a.Kind && a.Kind == rkString) {
            if (Better(a.StrResult.Compare(stored_.StrResult))) stored_ = a;
        } else if (stored_.Kind == a.Kind && a.Kind == rkBoolean) {
            if (Better(int(a.BoolResult) - int(stored_.BoolResult))) stored_ = a;
        }
    }
    void Calculate(EvalResult& r) override {
        if (ArgumentCount() != 1) r = Wrong(Name());
        else if (resultSet_) r = stored_;
        else r.SetInteger(0);
    }
    void Reset() override { resultSet_ = false; }

protected:
    virtual const char* Name() const = 0;
    // Whether a value that compares this way (sign) to the stored one replaces it.
    virtual bool Better(int order) const = 0;

private:
    void StepNumeric(const EvalResult& a) {
        if (stored_.Kind == rkInteger && a.Kind == rkInteger) {
            if (Better((a.IntResult > stored_.IntResult) - (a.IntResult < stored_.IntResult))) stored_ = a;
            return;
        }
        const double s = stored_.AsFloat();
        const double v = a.AsFloat();
        stored_.SetFloat(Better((v > s) - (v < s)) ? v : s);
    }

    EvalResult stored_;
    bool resultSet_ = false;
};

class TQREvMaxFunction : public TQREvExtremeFunction {
    const char* Name() const override { return "MAX"; }
    bool Better(int order) const override { return order > 0; }
};

class TQREvMinFunction : public TQREvExtremeFunction {
    const char* Name() const override { return "MIN"; }
    bool Better(int order) const override { return order < 0; }
};

class TQREvCountFunction : public TQREvElementFunction {
public:
    TQREvCountFunction() { IsAggregate = true; }
    void Value(TQRFiFo& FiFo, EvalResult& r) override {
        GetArguments(FiFo);
        const bool arguments = ArgumentCount() > 0;
        DropArguments();
        if (arguments) {
            r = EvalResult::Error(QStringLiteral("COUNT - ") + QString::fromLatin1(TooManyArguments));
            return;
        }
        if (FiFo.Aggregate && count_ < std::numeric_limits<Integer>::max()) ++count_;
        r.SetInteger(count_);
    }
    void Reset() override { count_ = 0; }

private:
    Integer count_ = 0;
};

// ------------------------------------------------------------ registrations

void RegisterQRBuiltInFunctions() {
    struct Registration {
        TQRFunctionFactory instance;
        const char* name;
        const char* syntax;
        const char* help;
        const char* data;
    };
    static const Registration builtIns[] = {
        {CreateQRFunction<TQREvIfFunction>, "IF", "IF(<Exp>, <X>, <Y>)|",
         "Returns <X> or <Y> depending on the boolean expression <Exp>", "5BVV"},
        {CreateQRFunction<TQREvStrFunction>, "STR", "STR(<X>)|", "Convert a numeric <X> to a string", "7N"},
        {CreateQRFunction<TQREvUpperFunction>, "UPPER", "UPPER(<X>)|",
         "Converts a string to upper case letters", "7S"},
        {CreateQRFunction<TQREvLowerFunction>, "LOWER", "LOWER(<X>)|",
         "Converts a string to lower case letters", "7S"},
        {CreateQRFunction<TQREvPrettyFunction>, "PRETTY", "PRETTY(<X>)|",
         "Makes the first character upper case and the rest lower case", "7S"},
        {CreateQRFunction<TQREvTimeFunction>, "TIME", "TIME|", "Return current time as a string", "1"},
        {CreateQRFunction<TQREvDateFunction>, "DATE", "DATE|", "Return current date as a string", "1"},
        {CreateQRFunction<TQREvCopyFunction>, "COPY", "COPY(<X>, <St>,<Len>)|",
         "Returns a substring of string X", "7SNN"},
        {CreateQRFunction<TQREvSumFunction>, "SUM", "SUM(<X>)|", "Sums the numeric <X>", "3N"},
        {CreateQRFunction<TQREvCountFunction>, "COUNT", "COUNT|", "Increments for each iteration", "3"},
        {CreateQRFunction<TQREvMaxFunction>, "MAX", "MAX(<X>)|", "Returns the highest <X>", "3V"},
        {CreateQRFunction<TQREvMinFunction>, "MIN", "MIN(<X>)|", "Returns the lowest <X>", "3V"},
        {CreateQRFunction<TQREvAverageFunction>, "AVERAGE", "AVERAGE(<X>)|",
         "Returns the average of numeric <X>", "3N"},
        {CreateQRFunction<TQREvTrue>, "TRUE", "TRUE|", "boolean value", "5"},
        {CreateQRFunction<TQREvFalse>, "FALSE", "FALSE|", "boolean value", "5"},
        {CreateQRFunction<TQREvIntFunction>, "INT", "INT(<X>)|", "Returns the integer part of <X>", "2N"},
        {CreateQRFunction<TQREvFracFunction>, "FRAC", "FRAC(<X>)|", "Returns the fractional part of <X>", "2N"},
        {CreateQRFunction<TQREvSQRTFunction>, "SQRT", "SQRT(<X>)|", "Returns square root of <X>", "2N"},
        {CreateQRFunction<TQREvDivFunction>, "DIV", "DIV(<X>, <Y>) | ", "Integer division of <X> by <Y>", "2NN"},
        {CreateQRFunction<TQREvTypeOfFunction>, "TYPEOF", "TYPEOF(<Exp>)|",
         "Returns the data type of <Exp>", "6N"},
        {CreateQRFunction<TQREvFormatNumericFunction>, "FORMATNUMERIC", "FORMATNUMERIC(<F>,<N>)|",
         "Formats numeric <N> using the mask in <F>", "7SN"},
    };
    for (const Registration& r : builtIns)
        RegisterLibraryFunction(r.instance, QString::fromLatin1(r.name),
                                QString::fromLatin1(r.syntax) + QString::fromLatin1(r.help),
                                QString::fromLatin1(r.data), QString::fromLatin1(QRBuiltInVendor));
}
