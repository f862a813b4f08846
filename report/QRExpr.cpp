// Result records, queue elements and the evaluator: reading a text into a
// queue in prefix order and evaluating that queue. The function library is
// in QRExprFunctions.cpp, the environments in QRExprEnv.cpp.
#include "QRExpr.h"

#include "DB.h"
#include "Windows.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <new>

using namespace QRExprText;

QString QRExprMessage(const char* text, const QString& arg1, const QString& arg2) {
    QString result = QString::fromLatin1(text);
    for (const QString* arg : {&arg1, &arg2}) {
        const qsizetype at = result.indexOf(QLatin1String("%s"));
        if (at < 0) break;
        result.replace(at, 2, *arg);
    }
    return result;
}

// ------------------------------------------------------------ TQRShortString

namespace {

bool IsAscii(QStringView text) {
    for (QChar c : text)
        if (c.unicode() >= 0x80) return false;
    return true;
}

// The longest prefix of at most limit bytes that does not split a
// double-byte character.
qsizetype WholeCharacters(const char* data, qsizetype length, qsizetype limit) {
    qsizetype at = 0;
    while (at < length) {
        const qsizetype step = IsDBCSLeadByte(Byte(data[at])) && at + 1 < length ? 2 : 1;
        if (at + step > limit) break;
        at += step;
    }
    return at;
}

}  // namespace

void TQRShortString::Assign(const char* data, qsizetype length) {
    if (length < 0) length = 0;  // a negative count copies nothing
    if (length > MaxLength) length = WholeCharacters(data, length, MaxLength);
    length_ = Byte(length);
    if (length > 0) std::memcpy(data_, data, size_t(length));
}

void TQRShortString::Assign(const QString& text) {
    // Every UTF-16 unit gives at least half a byte (a surrogate pair is one
    // '?'), so this head always yields more bytes than the string keeps: a
    // long field value is not converted beyond what is used.
    const QStringView head = QStringView(text).left(2 * MaxLength + 2);
    if (!IsAscii(head)) {
        Assign(WideToAnsi(head.toString()));
        return;
    }
    const qsizetype length = std::min<qsizetype>(head.size(), MaxLength);
    const QChar* chars = head.data();
    for (qsizetype i = 0; i < length; ++i) data_[i] = char(chars[i].unicode());
    length_ = Byte(length);
}

void TQRShortString::Append(const TQRShortString& other) {
    char joined[2 * MaxLength];
    std::memcpy(joined, data_, length_);
    std::memcpy(joined + length_, other.data_, other.length_);
    Assign(joined, qsizetype(length_) + other.length_);
}

QString TQRShortString::Text() const {
    for (int i = 0; i < length_; ++i)
        if (Byte(data_[i]) >= 0x80) return AnsiToWide(Bytes());
    return QString::fromLatin1(data_, length_);
}

int TQRShortString::Compare(const TQRShortString& other) const {
    const int common = std::min(length_, other.length_);
    const int d = std::memcmp(data_, other.data_, size_t(common));
    if (d != 0) return d;
    return int(length_) - int(other.length_);
}

// ------------------------------------------------------------ EvalResult

EvalResult EvalResult::FromInteger(Integer v) {
    EvalResult r;
    r.Kind = rkInteger;
    r.IntResult = v;
    return r;
}

EvalResult EvalResult::FromFloat(double v) {
    EvalResult r;
    r.Kind = rkFloat;
    r.FloatResult = v;
    return r;
}

EvalResult EvalResult::FromBoolean(bool v) {
    EvalResult r;
    r.Kind = rkBoolean;
    r.BoolResult = v;
    return r;
}

EvalResult EvalResult::FromString(const QString& text) {
    EvalResult r;
    r.Kind = rkString;
    r.StrResult.Assign(text);
    return r;
}

EvalResult EvalResult::FromBytes(const QByteArray& bytes) {
    EvalResult r;
    r.Kind = rkString;
    r.StrResult.Assign(bytes);
    return r;
}

EvalResult EvalResult::Error(const QString& message) {
    EvalResult r;
    r.Kind = rkError;
    r.StrResult.Assign(message);
    return r;
}

QString EvalResult::Text() const {
    switch (Kind) {
    case rkInteger: return QString::number(IntResult);
    case rkFloat: return FloatToStr(FloatResult);
    case rkBoolean: return QString::fromLatin1(BoolResult ? QRExprText::True : QRExprText::False);
    case rkString: return StrResult.Text();
    case rkError: break;
    }
    throw Exception(QRExprMessage(ErrorInExpression, Message()));
}

// ------------------------------------------------------------ evaluation depth

namespace {

// Nested element evaluations of the whole process (the user-interface thread
// evaluates everything), and whether the current evaluation went too deep.
Integer g_evalDepth = 0;
bool g_evalTooDeep = false;

class EvaluationLevel {
public:
    EvaluationLevel() : fits_(g_evalDepth < QRMaxEvalDepth) {
        ++g_evalDepth;
        if (!fits_) g_evalTooDeep = true;
    }
    ~EvaluationLevel() { --g_evalDepth; }
    EvaluationLevel(const EvaluationLevel&) = delete;
    EvaluationLevel& operator=(const EvaluationLevel&) = delete;
    bool Fits() const { return fits_; }

private:
    bool fits_;
};

// Moves the read position past count whole operands without evaluating them.
void SkipOperands(TQRFiFo& FiFo, int count) {
    // Each level counts the operands still to skip; -1 means "up to the end
    // of an argument list".
    std::vector<int> pending{count};
    while (!pending.empty()) {
        if (pending.back() == 0) {
            pending.pop_back();
            continue;
        }
        TQREvElement* e = FiFo.Get();
        if (!e) return;
        if (pending.back() < 0) {
            if (e->Shape() == TQREvShape::ArgumentEnd) {
                pending.pop_back();
                continue;
            }
        } else {
            --pending.back();
        }
        switch (e->Shape()) {
        case TQREvShape::Binary: pending.push_back(2); break;
        case TQREvShape::Unary: pending.push_back(1); break;
        case TQREvShape::Arguments: pending.push_back(-1); break;
        default: break;
        }
    }
}

// Evaluates the next element of the queue into r (on every operand: inlined).
[[gnu::always_inline]] inline void EvaluateNext(TQRFiFo& FiFo, EvalResult& r) {
    if (TQREvElement* e = FiFo.Get()) {
        e->Value(FiFo, r);
        return;
    }
    r = EvalResult::Error(QRExprMessage(ErrorInExpression));
}

}  // namespace

// ------------------------------------------------------------ elements

void TQREvElement::Value(TQRFiFo&, EvalResult&) {}

TQREvElementConstant::~TQREvElementConstant() {
    if (HoldsText()) delete text_;
}

void TQREvElementConstant::Value(TQRFiFo&, EvalResult& r) {
    r.Kind = kind_;
    if (!HoldsText()) {
        std::memcpy(&r.FloatResult, &payload_, sizeof payload_);
        r.StrResult.Clear();
        return;
    }
    r.IntResult = 0;
    if (text_) r.StrResult = *text_;
    else r.StrResult.Clear();
}

void TQREvElementConstant::SetResult(const EvalResult& value) {
    const bool text = value.Kind == rkString || value.Kind == rkError;
    TQRShortString* newText = text && value.StrResult.Length() ? new TQRShortString(value.StrResult) : nullptr;
    if (HoldsText()) delete text_;
    kind_ = value.Kind;
    if (text) {
        text_ = newText;
        return;
    }
    // The union whichever member is in use.
    static_assert(sizeof payload_ == sizeof value.FloatResult);
    std::memcpy(&payload_, &value.FloatResult, sizeof payload_);
}

void TQREvElementString::SetText(const QString& text) {
    TQRShortString ansi;
    ansi.Assign(text);
    std::unique_ptr<char[]> bytes(ansi.Length() ? new char[size_t(ansi.Length())] : nullptr);
    if (bytes) std::memcpy(bytes.get(), ansi.Data(), size_t(ansi.Length()));
    bytes_ = std::move(bytes);
    length_ = Byte(ansi.Length());
}

void TQREvElementString::Value(TQRFiFo&, EvalResult& r) {
    r.Kind = rkString;
    r.StrResult.Assign(bytes_.get(), length_);
}

void TQREvElementError::Value(TQRFiFo&, EvalResult& r) { r = EvalResult::Error(message_); }

void TQREvElementNot::Value(TQRFiFo& FiFo, EvalResult& r) {
    EvaluationLevel level;
    if (!level.Fits()) {
        SkipOperands(FiFo, 1);
        r = EvalResult::Error(QRExprMessage(TooDeep));
        return;
    }
    EvaluateNext(FiFo, r);
    if (r.Kind == rkBoolean) r.BoolResult = !r.BoolResult;
    else r = EvalResult::Error(QRExprMessage(InvalidNot));
}

void TQREvElementWrapper::Value(TQRFiFo& FiFo, EvalResult& r) {
    EvaluationLevel level;
    if (!level.Fits()) {
        r = EvalResult::Error(QRExprMessage(TooDeep));
        return;
    }
    entry_->Value(FiFo, r);
}

void TQREvElementFunction::Value(TQRFiFo& FiFo, EvalResult& r) {
    EvaluationLevel level;
    if (!level.Fits()) {
        SkipOperands(FiFo, -1);
        r = EvalResult::Error(QRExprMessage(TooDeep));
        return;
    }
    GetArguments(FiFo);
    if (FiFo.Aggregate) Aggregate();
    Calculate(r);
    DropArguments();
}

namespace {
// Evaluates an argument that is not held whole onto the value stack.
void KeepArgument(TQRFiFo& FiFo, TQREvElement* e) {
    EvalResult argument;
    e->Value(FiFo, argument);
    FiFo.Values().Push(argument);
}
}  // namespace

void TQREvElementFunction::GetArguments(TQRFiFo& FiFo) {
    fifo_ = &FiFo;
    count_ = 0;
    while (TQREvElement* e = FiFo.Get()) {
        if (e->Shape() == TQREvShape::ArgumentEnd) break;
        if (count_ < whole_) {
            EvalResult& argument = first_[count_];
            argument = EvalResult();
            e->Value(FiFo, argument);
        } else {
            KeepArgument(FiFo, e);
        }
        ++count_;
    }
}

void TQREvElementFunction::Calculate(EvalResult& r) {
    r = EvalResult::Error(QRExprMessage(ErrorInExpression));
}

// ------------------------------------------------------------ data fields

TQREvElementDataField::TQREvElementDataField(TDataSet* dataSet, TField* field)
    : dataSet_(dataSet), index_(field->Index()), field_(field), fieldName_(field->FieldName()) {}

TField* TQREvElementDataField::CurrentField() const {
    // Fields a data set makes itself are replaced whenever it opens again.
    if (!dataSet_->DefaultFields()) return field_;
    return index_ < dataSet_->FieldCount() ? dataSet_->Fields(index_) : nullptr;
}

TQREvElementDataField::Reading TQREvElementDataField::ReadingOf(const TField* f) {
    if (dynamic_cast<const TStringField*>(f)) return Reading::String;
    if (dynamic_cast<const TLargeintField*>(f)) return Reading::Largeint;
    if (dynamic_cast<const TIntegerField*>(f)) return Reading::Integer;
    if (dynamic_cast<const TFloatField*>(f) || f->DataType() == ftFMTBcd) return Reading::Float;
    if (dynamic_cast<const TBooleanField*>(f)) return Reading::Boolean;
    if (dynamic_cast<const TDateTimeField*>(f) || f->DataType() == ftTimeStamp) return Reading::Text;
    return Reading::Unknown;
}

void TQREvElementDataField::Value(TQRFiFo&, EvalResult& r) {
    const TField* f = CurrentField();
    if (!f) {
        r = EvalResult::Error(QRExprMessage(FieldNotFound, fieldName_));
        return;
    }
    if (f != readingField_) {
        reading_ = ReadingOf(f);
        readingField_ = f;
    }
    try {
        switch (reading_) {
        case Reading::Integer: r.SetInteger(f->AsInteger()); return;
        case Reading::Largeint: {
            // A value past 32 bits reads as a float rather than losing its high bits.
            const Int64 v = static_cast<const TLargeintField*>(f)->AsLargeInt();
            if (v == Int64(Integer(v))) r.SetInteger(Integer(v));
            else r.SetFloat(double(v));
            return;
        }
        case Reading::Float: r.SetFloat(f->AsFloat()); return;
        case Reading::Boolean: r.SetBoolean(f->AsBoolean()); return;
        case Reading::String:
        case Reading::Text: r.SetString(f->AsString()); return;
        case Reading::Unknown: break;
        }
        r = EvalResult::Error(QRExprMessage(UnknownFieldType, f->FieldName()));
    } catch (const Exception& e) {
        r = EvalResult::Error(e.Message());
    }
}

// ------------------------------------------------------------ operators

namespace {

const char* OperatorText(TQREvOperator op) {
    static const char* const texts[] = {"<", "<=", ">", ">=", "=", "<>", "+", "-", "OR", "*", "/", "AND"};
    return texts[op];
}

const char* KindWord(TQREvResultKind kind) {
    switch (kind) {
    case rkInteger:
    case rkFloat: return "numeric";
    case rkString: return "string";
    default: return "boolean";
    }
}

EvalResult NotCompatibleError(TQREvOperator op, TQREvResultKind kind) {
    return EvalResult::Error(QRExprMessage(NotCompatible, QString::fromLatin1(OperatorText(op)),
                                           QString::fromLatin1(KindWord(kind))));
}

EvalResult CannotError(const char* verb, TQREvResultKind kind) {
    return EvalResult::Error(
        QRExprMessage(CannotDo, QString::fromLatin1(verb), QString::fromLatin1(KindWord(kind))));
}

// A result in its text form, for joining or comparing as strings.
void MakeText(EvalResult& r) {
    if (r.Kind != rkString) r = EvalResult::FromString(r.Text());
}

// Brings two results that are not errors to one kind: an integer beside a
// float becomes a float; any other mix turns both into text.
void CoerceOperands(EvalResult& left, EvalResult& right) {
    if (left.Kind == right.Kind) return;
    if (left.IsNumeric() && right.IsNumeric()) {
        if (left.Kind == rkInteger) left.SetFloat(left.IntResult);
        else right.SetFloat(right.IntResult);
        return;
    }
    MakeText(left);
    MakeText(right);
}

// -1, 0 or 1; both operands of one ordered kind.
int Order(const EvalResult& l, const EvalResult& r) {
    switch (l.Kind) {
    case rkInteger: return (l.IntResult > r.IntResult) - (l.IntResult < r.IntResult);
    case rkFloat: return (l.FloatResult > r.FloatResult) - (l.FloatResult < r.FloatResult);
    default: return l.StrResult.Compare(r.StrResult);
    }
}

bool Equal(const EvalResult& l, const EvalResult& r) {
    switch (l.Kind) {
    case rkInteger: return l.IntResult == r.IntResult;
    case rkFloat: return l.FloatResult == r.FloatResult;
    case rkBoolean: return l.BoolResult == r.BoolResult;
    default: return l.StrResult == r.StrResult;
    }
}

void Compare(TQREvOperator op, EvalResult& l, const EvalResult& r) {
    if (op == opEqual || op == opUnequal) {
        l.SetBoolean(Equal(l, r) == (op == opEqual));
        return;
    }
    if (l.Kind == rkBoolean) {
        l = NotCompatibleError(op, rkBoolean);
        return;
    }
    // NaN compares false in every direction.
    if (l.Kind == rkFloat && (std::isnan(l.FloatResult) || std::isnan(r.FloatResult))) {
        l.SetBoolean(false);
        return;
    }
    const int order = Order(l, r);
    bool v = false;
    switch (op) {
    case opLess: v = order < 0; break;
    case opLessOrEqual: v = order <= 0; break;
    case opGreater: v = order > 0; break;
    default: v = order >= 0; break;
    }
    l.SetBoolean(v);
}

// Integer +, - and *, checked: an overflow is an error value.
void IntegerArithmetic(TQREvOperator op, EvalResult& l, const EvalResult& r) {
    Integer v = 0;
    bool overflow = false;
    switch (op) {
    case opPlus: overflow = __builtin_add_overflow(l.IntResult, r.IntResult, &v); break;
    case opMinus: overflow = __builtin_sub_overflow(l.IntResult, r.IntResult, &v); break;
    default: overflow = __builtin_mul_overflow(l.IntResult, r.IntResult, &v); break;
    }
    if (overflow) l = EvalResult::Error(QRExprMessage(IntegerOverflow));
    else l.SetInteger(v);
}

void Arithmetic(TQREvOperator op, EvalResult& l, const EvalResult& r) {
    static const char* const verbs[] = {"add", "subtract", "", "multiply", "divide"};
    const char* verb = verbs[op - opPlus];
    if (l.Kind == rkBoolean || (l.Kind == rkString && op != opPlus)) {
        l = CannotError(verb, l.Kind);
        return;
    }
    if (l.Kind == rkString) {
        l.StrResult.Append(r.StrResult);
        return;
    }
    if (op == opDiv) {
        if (r.AsFloat() == 0) l = EvalResult::Error(QRExprMessage(DivideByZero));
        else l.SetFloat(l.AsFloat() / r.AsFloat());
        return;
    }
    if (l.Kind == rkInteger) {
        IntegerArithmetic(op, l, r);
        return;
    }
    switch (op) {
    case opPlus: l.FloatResult += r.FloatResult; break;
    case opMinus: l.FloatResult -= r.FloatResult; break;
    default: l.FloatResult *= r.FloatResult; break;
    }
}

void Logical(TQREvOperator op, EvalResult& l, const EvalResult& r) {
    const bool isOr = op == opOr;
    switch (l.Kind) {
    case rkInteger: l.IntResult = isOr ? (l.IntResult | r.IntResult) : (l.IntResult & r.IntResult); break;
    case rkBoolean: l.BoolResult = isOr ? (l.BoolResult || r.BoolResult) : (l.BoolResult && r.BoolResult); break;
    default: l = NotCompatibleError(op, l.Kind); break;
    }
}

// Combines left with the right operand in r by op, the result in r.
void Combine(TQREvOperator op, EvalResult& left, EvalResult& r) {
    if (left.IsError()) {
        r = left;
        return;
    }
    if (r.IsError()) return;
    CoerceOperands(left, r);
    switch (op) {
    case opOr:
    case opAnd: Logical(op, left, r); break;
    case opPlus:
    case opMinus:
    case opMul:
    case opDiv: Arithmetic(op, left, r); break;
    default: Compare(op, left, r); break;
    }
    r = left;
}

// Takes an operator's left operand from the queue: a constant stays in the
// queue, to be read again when the operator is applied, and is returned;
// any other is evaluated into left.
TQREvElement* TakeLeft(TQRFiFo& FiFo, EvalResult& left) {
    const TQREvElement* next = FiFo.Peek();
    if (next && next->Shape() == TQREvShape::Constant) return FiFo.Get();
    EvaluateNext(FiFo, left);
    return nullptr;
}

// Applies the operator waiting at position of the queue to the right
// operand in r: its left operand is read again when constant, else taken
// off the value stack.
void ApplyWaiting(TQRFiFo& FiFo, Integer position, EvalResult& left, EvalResult& r) {
    const auto* op = static_cast<const TQREvElementOperator*>(FiFo.Items(position));
    TQREvElement* constant = FiFo.Items(position + 1);
    if (constant->Shape() == TQREvShape::Constant) constant->Value(FiFo, left);
    else FiFo.Values().Pop(left);
    Combine(op->Operator(), left, r);
}

}  // namespace

void TQREvElementOperator::Value(TQRFiFo& FiFo, EvalResult& r) {
    EvaluationLevel level;
    if (!level.Fits()) {
        SkipOperands(FiFo, 2);
        r = EvalResult::Error(QRExprMessage(TooDeep));
        return;
    }
    // The left operands down the chain in queue order, then the last right
    // operand, then each operator from the last one back to this one. The
    // operators whose right operand is an operator wait on the queue's
    // stacks, with their left operands unless constant.
    std::vector<Integer>& chain = FiFo.Operators();
    const size_t first = chain.size();
    const TQREvElementOperator* op = this;
    Integer position = FiFo.Position() - 1;
    EvalResult left;
    TQREvElement* constant = nullptr;
    for (;;) {
        constant = TakeLeft(FiFo, left);
        const TQREvElement* next = FiFo.Peek();
        if (!next || next->Shape() != TQREvShape::Binary) break;
        if (!constant) FiFo.Values().Push(left);
        chain.push_back(position);
        position = FiFo.Position();
        op = static_cast<const TQREvElementOperator*>(FiFo.Get());
    }
    r = EvalResult();
    EvaluateNext(FiFo, r);
    if (constant) constant->Value(FiFo, left);
    Combine(op->op_, left, r);
    while (chain.size() > first) {
        position = chain.back();
        chain.pop_back();
        ApplyWaiting(FiFo, position, left, r);
    }
}

// ------------------------------------------------------------ the queue

namespace {
// Room for this many texts at their longest is made with the value stack;
// more, when needed, while evaluating.
constexpr size_t kTextsReserved = 16;
}  // namespace

void TQRValueStack::Reserve(size_t count) {
    records_.reserve(count);
    text_.reserve(std::min(count, kTextsReserved) * TQRShortString::MaxLength);
}

void TQRValueStack::PushText(const TQRShortString& text) {
    const size_t textEnd = textEnd_ + size_t(text.Length());
    // Positions in the texts are kept in 32 bits.
    if (textEnd > std::numeric_limits<quint32>::max()) throw std::bad_alloc();
    if (textEnd > text_.size()) text_.resize(textEnd);
    std::memcpy(text_.data() + textEnd_, text.Data(), size_t(text.Length()));
    textEnd_ = textEnd;
}

void TQRFiFo::ElementList::Grow() {
    const size_t capacity = std::max<size_t>(16, 2 * capacity_);
    // Large blocks are mapped: realloc moves their pages rather than copy them.
    void* data = std::realloc(data_, capacity * sizeof *data_);
    if (!data) throw std::bad_alloc();
    data_ = static_cast<TQREvElement**>(data);
    capacity_ = capacity;
}

const EvalResult& TQRFiFo::ReadArgument(size_t fromTop) {
    if (readTop_ == read_.size()) read_.emplace_back();
    EvalResult& read = read_[readTop_++];
    values_.Read(values_.Count() - fromTop, read);
    return read;
}

TQRFiFo::~TQRFiFo() {
    for (size_t i = 0; i < elements_.Size(); ++i)
        if (!elements_[i]->repeated_) delete elements_[i];
}

template <class Make>
void TQRFiFo::PutRepeated(TQREvElement*& slot, Make make) {
    if (!slot) {
        std::unique_ptr<TQREvElement> made(make());
        made->repeated_ = true;
        repeated_.push_back(std::move(made));
        slot = repeated_.back().get();
    }
    elements_.PushBack(slot);
}

void TQRFiFo::PutOperator(TQREvOperator op) {
    PutRepeated(operatorElements_[op], [op] { return new TQREvElementOperator(op); });
}

void TQRFiFo::PutNot() {
    PutRepeated(not_, [] { return new TQREvElementNot; });
}

void TQRFiFo::PutArgumentEnd() {
    PutRepeated(argumentEnd_, [] { return new TQREvElementArgumentEnd; });
}

void TQRFiFo::PutError(const QString& message) {
    PutRepeated(errors_[message], [&message] { return new TQREvElementError(message); });
}

void TQRFiFo::Link() {
    errors_.clear();
    // What an evaluation holds on the stacks: arguments whole, values, and
    // operators waiting.
    struct Held {
        size_t whole = 0;  // arguments
        size_t values = 0;
        size_t operators = 0;
    };
    // The elements still waiting for operands, innermost last: how many
    // they have and take (-1: up to the end of an argument list), and what
    // the stacks held when they started.
    struct Open {
        TQREvElement* element;
        int missing;
        Integer count;
        Held held;
        bool leftKept = false;  // an operator's left operand is not a constant
    };
    // A function's arguments are all there: it is given its whole records.
    const auto close = [](const Open& o) {
        if (auto* function = dynamic_cast<TQREvElementFunction*>(o.element)) {
            function->base_ = Integer(o.held.whole);
            function->whole_ = std::min(o.count, WholeArguments);
        }
    };
    std::vector<Open> open;
    Held held;
    Held most;
    for (size_t i = 0; i < elements_.Size(); ++i) {
        TQREvElement* e = elements_[i];
        if (!open.empty()) {
            // What the stacks hold as this operand of the innermost open
            // element starts: what they held as it started, and its
            // arguments so far (this one's record too), or itself when its
            // right operand is an operator (with its left operand unless
            // constant).
            Open& parent = open.back();
            held = parent.held;
            if (parent.missing < 0) {
                const bool end = e->Shape() == TQREvShape::ArgumentEnd;
                held.whole += size_t(std::min(parent.count + !end, WholeArguments));
                held.values += size_t(std::max(parent.count - WholeArguments, 0));
            } else if (parent.element->Shape() == TQREvShape::Binary && parent.count == 1 &&
                       e->Shape() == TQREvShape::Binary) {
                held.values += parent.leftKept;
                ++held.operators;
            }
            most = {std::max(most.whole, held.whole), std::max(most.values, held.values),
                    std::max(most.operators, held.operators)};
            if (parent.missing < 0 && e->Shape() == TQREvShape::ArgumentEnd) {
                held = parent.held;
                close(parent);
                open.pop_back();
                continue;
            }
            if (parent.count++ == 0) parent.leftKept = e->Shape() != TQREvShape::Constant;
            // An operator whose last operand starts here needs nothing more,
            // so a long chain keeps this list short.
            if (parent.missing > 0 && --parent.missing == 0) open.pop_back();
        }
        switch (e->Shape()) {
        case TQREvShape::Binary: open.push_back({e, 2, 0, held}); break;
        case TQREvShape::Unary: open.push_back({e, 1, 0, held}); break;
        case TQREvShape::Arguments: open.push_back({e, -1, 0, held}); break;
        default: break;
        }
    }
    // A function at the end of the queue takes the arguments it found.
    for (const Open& o : open) close(o);
    if (most.whole) {
        whole_ = std::make_unique<EvalResult[]>(most.whole);
        for (size_t i = 0; i < elements_.Size(); ++i)
            if (auto* function = dynamic_cast<TQREvElementFunction*>(elements_[i]))
                function->first_ = whole_.get() + function->base_;
    }
    values_.Reserve(most.values);
    operators_.reserve(most.operators);
}

// ------------------------------------------------------------ the evaluator

namespace {

QChar g_argumentSeparator = u',';

bool IsAsciiLetter(QChar c) { return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z'); }
bool IsAsciiDigit(QChar c) { return c >= u'0' && c <= u'9'; }

enum class CharRole { Plain, Quoting, Quoted, Open, Close };

// Follows strings ('...') and bracketed names ([...]) through a text.
class QuoteTracker {
public:
    // What c is where it stands; moves past it.
    CharRole Next(QChar c) {
        if (c == u'\'') {
            if (!inName_) inString_ = !inString_;
            return CharRole::Quoting;
        }
        if (c == u'[') {
            if (!inString_) inName_ = true;
            return CharRole::Quoting;
        }
        if (c == u']') {
            inName_ = false;
            return CharRole::Quoting;
        }
        if (inString_ || inName_) return CharRole::Quoted;
        if (c == u'(') return CharRole::Open;
        return c == u')' ? CharRole::Close : CharRole::Plain;
    }

private:
    bool inString_ = false;
    bool inName_ = false;
};

// Whether part lies within whole.
bool Within(QStringView part, QStringView whole) {
    const std::less<const QChar*> before;
    return !before(part.data(), whole.data()) && !before(whole.data() + whole.size(), part.data() + part.size());
}

}  // namespace

// Where each parenthesis of a text being read closes, found in one pass,
// so that the reader's walks step over what a parenthesis encloses instead
// of walking it again at every level of nesting.
class TQRParenthesisIndex {
public:
    explicit TQRParenthesisIndex(QStringView text);
    // For the "(" at position at of view, a part of the indexed text: the
    // position in view of the ")" closing it (the text's end when none
    // does); -1 when not known (view is not of the indexed text, or the
    // "(" lies in a string or a bracketed name as the whole text reads).
    qsizetype Close(QStringView view, qsizetype at) const;

private:
    QStringView text_;
    // Each "(" that counts, in text order, and where it closes: room for
    // the parentheses only, found by a binary search.
    std::vector<qint32> opens_;
    std::vector<qint32> closes_;
};

// A walk that counts a "(" is outside strings and names there, as this pass
// is where it counts one too; from there both read alike, so they find the
// same ")".
TQRParenthesisIndex::TQRParenthesisIndex(QStringView text) : text_(text) {
    // Positions are kept in 32 bits: a longer text is walked without the index.
    if (text.size() > std::numeric_limits<qint32>::max()) return;
    const size_t most = size_t(std::count(text.begin(), text.end(), u'('));
    opens_.reserve(most);
    closes_.reserve(most);
    QuoteTracker quotes;
    std::vector<qint32> pending;  // the opens not closed yet, innermost last
    for (qsizetype i = 0; i < text.size(); ++i) {
        const CharRole role = quotes.Next(text[i]);
        if (role == CharRole::Open) {
            pending.push_back(qint32(opens_.size()));
            opens_.push_back(qint32(i));
            closes_.push_back(qint32(text.size()));
        } else if (role == CharRole::Close && !pending.empty()) {
            closes_[size_t(pending.back())] = qint32(i);
            pending.pop_back();
        }
    }
}

qsizetype TQRParenthesisIndex::Close(QStringView view, qsizetype at) const {
    if (opens_.empty() || !Within(view, text_)) return -1;
    const qsizetype offset = view.data() - text_.data();
    const auto open = std::lower_bound(opens_.begin(), opens_.end(), offset + at);
    if (open == opens_.end() || *open != offset + at) return -1;
    return closes_[size_t(open - opens_.begin())] - offset;
}

namespace {

// Walks text keeping track of strings ('...'), bracketed names ([...]) and
// parentheses; calls visit(i) for each position at depth 0 outside strings
// and names (the quote, bracket and parenthesis characters themselves
// excluded). Stops when visit returns true and gives that position, else -1.
// With an index, what a parenthesis encloses is stepped over, not walked.
template <class Visit>
qsizetype WalkTopLevel(QStringView text, qsizetype from, qsizetype to, const TQRParenthesisIndex* index,
                       Visit visit) {
    QuoteTracker quotes;
    qsizetype depth = 0;
    for (qsizetype i = 0; i < to; ++i) {
        switch (quotes.Next(text[i])) {
        case CharRole::Open: {
            const qsizetype close = index && depth >= 0 ? index->Close(text, i) : -1;
            if (close >= 0) i = close;
            else ++depth;
            break;
        }
        case CharRole::Close: --depth; break;
        case CharRole::Plain:
            if (i >= from && depth == 0 && visit(i)) return i;
            break;
        default: break;
        }
    }
    return -1;
}

// Where operators and separators may stand: from the second character to
// the second-to-last.
template <class Test>
qsizetype FindOperator(QStringView text, const TQRParenthesisIndex* index, Test test) {
    return WalkTopLevel(text, 1, text.size() - 1, index, test);
}

bool WordAt(QStringView text, qsizetype at, const char* word) {
    const qsizetype length = qsizetype(std::strlen(word));
    if (at + length > text.size()) return false;
    for (qsizetype k = 0; k < length; ++k)
        if (text[at + k].toLower() != QLatin1Char(word[k])) return false;
    return true;
}

bool IsOperatorChar(QChar c) {
    return c == u'+' || c == u'-' || c == u'*' || c == u'/' || c == u'<' || c == u'>' || c == u'=';
}

// The operators of the additive or the multiplicative level: two signs and
// a word between blanks.
struct OperatorLevel {
    char16_t first;
    TQREvOperator firstOp;
    char16_t second;
    TQREvOperator secondOp;
    const char* word;  // lower case, with the blank that ends it
    TQREvOperator wordOp;
};

constexpr OperatorLevel kAdditive{u'+', opPlus, u'-', opMinus, "or ", opOr};
constexpr OperatorLevel kMultiplicative{u'*', opMul, u'/', opDiv, "and ", opAnd};

// The first operator of level at the top level of text, with its length;
// -1 when there is none. A word operator starts after its blank, so the left
// part keeps the blank.
qsizetype FindLevelOperator(QStringView text, const TQRParenthesisIndex* index, const OperatorLevel& level,
                            TQREvOperator& op, qsizetype& length) {
    const qsizetype at = FindOperator(text, index, [&](qsizetype i) {
        const QChar c = text[i];
        if (c == level.first || c == level.second) {
            op = c == level.first ? level.firstOp : level.secondOp;
            length = 1;
            return true;
        }
        if (c != u' ' || !WordAt(text, i + 1, level.word)) return false;
        op = level.wordOp;
        length = qsizetype(std::strlen(level.word)) - 1;
        return true;
    });
    return at >= 0 && op == level.wordOp ? at + 1 : at;
}

// Whether a sign at position at of text is exchanged by the minus (or
// divide) before it. With binaryOnly, a sign that starts the text or follows
// another operator is a sign of its operand and stays.
bool Exchanges(QStringView text, qsizetype at, bool binaryOnly) {
    if (!binaryOnly) return true;
    qsizetype p = at - 1;
    while (p >= 0 && text[p] == u' ') --p;
    return p >= 0 && !IsOperatorChar(text[p]);
}

// Exchanges the level's two signs at the top level of length characters of
// text from position from, where the minus (or divide) before them does it,
// writing them to chars (the piece's own characters or a copy of them). The
// exchanged signs stay operator characters: a second pass restores them.
void ExchangeSigns(QStringView text, qsizetype from, qsizetype length, bool additive,
                   const TQRParenthesisIndex* index, QChar* chars) {
    const OperatorLevel& level = additive ? kAdditive : kMultiplicative;
    const QStringView piece = text.sliced(from, length);
    WalkTopLevel(piece, 0, length, index, [&](qsizetype i) {
        const QChar c = piece[i];
        if ((c == level.first || c == level.second) && Exchanges(text, from + i, additive))
            chars[i] = c == level.first ? level.second : level.first;
        return false;
    });
}

QStringView StripBlanks(QStringView text) {
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text[first] == u' ') ++first;
    while (last > first && text[last - 1] == u' ') --last;
    return text.sliced(first, last - first);
}

}  // namespace

QChar QRArgumentSeparator() { return g_argumentSeparator; }
void SetQRArgumentSeparator(QChar separator) { g_argumentSeparator = separator; }

// Counts the levels of nesting being read; past the limit the text is
// marked too deep and the branch is not read further.
class TQREvaluator::DepthGuard {
public:
    explicit DepthGuard(TQREvaluator& e) : e_(e) {
        if (++e_.readDepth_ > QRMaxReadDepth) e_.tooDeep_ = true;
    }
    ~DepthGuard() { --e_.readDepth_; }
    DepthGuard(const DepthGuard&) = delete;
    DepthGuard& operator=(const DepthGuard&) = delete;
    bool TooDeep() const { return e_.tooDeep_; }

private:
    TQREvaluator& e_;
};

// An evaluator made before the application object starts the unit itself.
TQREvaluator::TQREvaluator() { InitializeQRExpr(); }

TQREvaluator::~TQREvaluator() { Unprepare(); }

void TQREvaluator::Prepare(const QString& text) {
    if (Prepared()) Unprepare();
    if (GlobalEnvironment()) GlobalEnvironment()->Prepare();
    try {
        Read(text.isEmpty() ? QStringLiteral("' '") : text);
    } catch (const std::bad_alloc&) {
        parentheses_ = nullptr;
        reading_ = QString();
        ReplaceQueue(QRExprMessage(OutOfMemory));
    }
}

void TQREvaluator::Read(const QString& text) {
    fifo_ = new TQRFiFo;
    reading_ = text;
    reading_.detach();  // signs are exchanged in it while it is read
    const TQRParenthesisIndex parentheses(reading_);
    parentheses_ = &parentheses;
    readDepth_ = 0;
    tooDeep_ = false;
    withoutSums_ = withoutProducts_ = {};
    EvalExpression(reading_);
    parentheses_ = nullptr;
    withoutSums_ = withoutProducts_ = {};
    reading_ = QString();
    if (tooDeep_) ReplaceQueue(QRExprMessage(TooDeep));
    fifo_->Link();
}

void TQREvaluator::ReplaceQueue(const QString& message) {
    delete fifo_;
    fifo_ = nullptr;  // unprepared rather than holding a freed queue, should this fail
    fifo_ = new TQRFiFo;
    Put(new TQREvElementError(message));
}

void TQREvaluator::Unprepare() {
    if (!Prepared()) return;
    delete fifo_;
    fifo_ = nullptr;
    if (GlobalEnvironment()) GlobalEnvironment()->Unprepare();
}

EvalResult TQREvaluator::Value() {
    EvalResult r;
    Evaluate(r);
    return r;
}

void TQREvaluator::Evaluate(EvalResult& r) {
    if (!Prepared()) throw Exception(QRExprMessage(NotPrepared));
    const bool outermost = g_evalDepth == 0;
    if (outermost) g_evalTooDeep = false;
    fifo_->Start();
    try {
        if (TQREvElement* first = fifo_->Get()) first->Value(*fifo_, r);
        else r = EvalResult::Error(QRExprMessage(ErrorInExpression));
    } catch (const std::bad_alloc&) {
        fifo_->EmptyStacks();
        // Made without allocating: there may be no memory left for a message.
        r.Kind = rkError;
        r.StrResult.Assign(OutOfMemory, qsizetype(sizeof OutOfMemory - 1));
        return;
    } catch (...) {
        fifo_->EmptyStacks();
        throw;
    }
    if (outermost && g_evalTooDeep) r = EvalResult::Error(QRExprMessage(TooDeep));
}

void TQREvaluator::UpdateAggregates() {
    if (!Prepared()) throw Exception(QRExprMessage(NotPrepared));
    struct FlagGuard {
        bool& flag;
        ~FlagGuard() { flag = false; }
    } guard{fifo_->Aggregate};
    fifo_->Aggregate = true;
    Evaluate(aggregateResult_);
}

void TQREvaluator::Reset() {
    if (!Prepared()) return;
    for (Integer i = 0; i < fifo_->Count(); ++i) fifo_->Items(i)->Reset();
}

bool TQREvaluator::ContainsAggregates() const {
    if (!Prepared()) return false;
    for (Integer i = 0; i < fifo_->Count(); ++i)
        if (fifo_->Items(i)->IsAggregate) return true;
    return false;
}

EvalResult TQREvaluator::Calculate(const QString& text) {
    Prepare(text);
    struct UnprepareGuard {
        TQREvaluator& e;
        ~UnprepareGuard() { e.Unprepare(); }
    } guard{*this};
    return Value();
}

TQREvElement* TQREvaluator::QueueElement(Integer index) const {
    if (!Prepared() || index < 0 || index >= fifo_->Count()) return nullptr;
    return fifo_->Items(index);
}

// ------------------------------------------------------------ reading

void TQREvaluator::ReadNested(void (TQREvaluator::*read)(QStringView), QStringView text) {
    DepthGuard guard(*this);
    if (!guard.TooDeep()) (this->*read)(text);
}

void TQREvaluator::EvalExpression(QStringView text) {
    TQREvOperator op = opEqual;
    qsizetype length = 1;
    const qsizetype at = FindOperator(text, parentheses_, [&](qsizetype i) {
        const QChar c = text[i];
        const QChar next = text[i + 1];
        if (c == u'<') {
            op = next == u'>' ? opUnequal : next == u'=' ? opLessOrEqual : opLess;
        } else if (c == u'>') {
            op = next == u'=' ? opGreaterOrEqual : opGreater;
        } else if (c == u'=') {
            op = opEqual;
        } else {
            return false;
        }
        length = (op == opUnequal || op == opLessOrEqual || op == opGreaterOrEqual) ? 2 : 1;
        return true;
    });
    if (at < 0) {
        EvalSimpleExpression(text);
        return;
    }
    fifo_->PutOperator(op);
    EvalSimpleExpression(text.first(at));
    EvalSimpleExpression(text.sliced(at + length));
}

void TQREvaluator::EvalSimpleExpression(QStringView text) { ReadChain(text, true); }

void TQREvaluator::EvalTerm(QStringView text) { ReadChain(text, false); }

// Each operator splits the rest of the text at its first operator of the
// level. The right part of a minus has its binary signs exchanged, that of
// a divide its multiplications and divisions (a-b+c is a-(b-c)). Rather
// than rewriting the rest at each such operator, the reader keeps whether
// an odd number of them came before and exchanges each piece as it reads
// it, so a chain is read in time proportional to its length.
void TQREvaluator::ReadChain(QStringView text, bool additive, qsizetype start, bool exchanged) {
    const OperatorLevel& level = additive ? kAdditive : kMultiplicative;
    const auto readLeft = additive ? &TQREvaluator::EvalTerm : &TQREvaluator::EvalFactor;
    for (;;) {
        const QStringView rest = text.sliced(start);
        TQREvOperator op = level.firstOp;
        qsizetype length = 1;
        const qsizetype at = FindLevelOperator(rest, parentheses_, level, op, length);
        if (at < 0) {
            ReadPiece(readLeft, text, start, rest.size(), additive, exchanged);
            return;
        }
        if (exchanged && op != level.wordOp && Exchanges(text, start + at, additive))
            op = op == level.firstOp ? level.secondOp : level.firstOp;
        fifo_->PutOperator(op);
        ReadPiece(readLeft, text, start, at, additive, exchanged);
        start += at + length;
        if (op == level.secondOp) exchanged = !exchanged;
    }
}

void TQREvaluator::ReadPiece(void (TQREvaluator::*read)(QStringView), QStringView text, qsizetype from,
                             qsizetype length, bool additive, bool exchanged) {
    const QStringView piece = text.sliced(from, length);
    if (Within(piece, reading_)) (additive ? withoutSums_ : withoutProducts_) = piece;
    if (!exchanged) {
        (this->*read)(piece);
        return;
    }
    // The text being prepared is exchanged in place and restored once read;
    // a text of a descendant's own (through the hooks) in a copy.
    if (Within(piece, reading_)) {
        QChar* const chars = reading_.data() + (piece.data() - reading_.constData());
        ExchangeSigns(text, from, length, additive, parentheses_, chars);
        (this->*read)(piece);
        ExchangeSigns(text, from, length, additive, parentheses_, chars);
        return;
    }
    QString copy = piece.toString();
    ExchangeSigns(text, from, length, additive, parentheses_, copy.data());
    (this->*read)(copy);
}

void TQREvaluator::EvalFactor(QStringView original) {
    const QStringView text = StripBlanks(original);
    const qsizetype n = text.size();
    // "not" is a word of its own: NOTES stays a name.
    if (WordAt(text, 0, "not") && (n == 3 || !(text[3].isLetterOrNumber() || text[3] == u'_'))) {
        fifo_->PutNot();
        EvalNotOperand(original, text.sliced(3));
        return;
    }
    const QChar first = n > 0 ? text[0] : QChar();
    const QChar last = n > 0 ? text[n - 1] : QChar();
    if (IsAsciiDigit(first)) {
        EvalNumber(text);
    } else if (IsAsciiLetter(first)) {
        EvalName(text);
    } else if (first == u'[') {
        if (n >= 2 && last == u']') EvalVariable(text.sliced(1, n - 2).toString());
        else PutError(QRExprMessage(Missing, QStringLiteral("]")));
    } else if (first == u'\'') {
        if (n >= 2 && last == u'\'') Put(new TQREvElementString(text.sliced(1, n - 2).toString()));
        else PutError(QRExprMessage(Missing, QStringLiteral("'")));
    } else if (first == u'(') {
        if (n >= 2 && last == u')') ReadNested(&TQREvaluator::EvalExpression, text.sliced(1, n - 2));
        else PutError(QRExprMessage(Missing, QStringLiteral(")")));
    } else if (first == u'+') {
        ReadNested(&TQREvaluator::EvalFactor, text.sliced(1));
    } else if (first == u'-') {
        ReadNested(&TQREvaluator::EvalNegation, text);
    } else {
        PutError(QRExprMessage(ErrorInExpression, text.toString()));
    }
}

// The operand of a NOT, read as a simple expression. When the factor was
// passed down by both operator levels as free of their operators, its tail
// the operand is free of them too (the same walk over fewer characters), so
// it is read as the factor it is without looking again: a text of nested
// NOTs is read in time proportional to its length.
void TQREvaluator::EvalNotOperand(QStringView factor, QStringView operand) {
    const auto same = [](QStringView a, QStringView b) { return a.data() == b.data() && a.size() == b.size(); };
    if (!same(factor, withoutSums_) || !same(factor, withoutProducts_)) {
        ReadNested(&TQREvaluator::EvalSimpleExpression, operand);
        return;
    }
    withoutSums_ = withoutProducts_ = operand;
    ReadNested(&TQREvaluator::EvalFactor, operand);
}

// Zero minus what follows the minus that starts text, read as the text "0-"
// followed by it would be, without making that text.
void TQREvaluator::EvalNegation(QStringView text) {
    if (text.size() == 1) {
        EvalSimpleExpression(u"0-");
        return;
    }
    fifo_->PutOperator(opMinus);
    EvalNumber(u"0");
    ReadChain(text, true, 1, true);
}

void TQREvaluator::EvalNumber(QStringView text) {
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n && IsAsciiDigit(text[i])) ++i;
    bool isFloat = false;
    for (; i < n; ++i) {
        const QChar c = text[i];
        if (!(IsAsciiDigit(c) || c == u'+' || c == u'-' || c == u'.' || c == u'E' || c == u'e')) break;
        isFloat = true;
    }
    if (i < n) {
        PutError(QRExprMessage(NumericConstant, text.toString()));
        return;
    }
    if (!isFloat) {
        bool ok = false;
        const int v = text.toInt(&ok, 10);
        if (ok) {
            Put(new TQREvElementConstant(EvalResult::FromInteger(v)));
            return;
        }
    }
    QString floatText = text.toString();
    floatText.replace(u'.', FormatSettings().DecimalSeparator);
    Extended v = 0;
    if (TryStrToFloat(floatText, v) && std::isfinite(double(v)))
        Put(new TQREvElementConstant(EvalResult::FromFloat(double(v))));
    else
        PutError(QRExprMessage(NumericConstant, floatText));
}

void TQREvaluator::EvalName(QStringView text) {
    const qsizetype open = text.indexOf(u'(');
    if (open < 0) EvalFunction(text.toString(), {});
    else if (text.endsWith(u')')) EvalFunction(text.first(open).toString(), text.sliced(open + 1, text.size() - open - 2));
    else EvalFunction(QString(), {});
}

void TQREvaluator::EvalFunction(const QString& name, QStringView arguments) {
    const QString upper = AnsiUpperCase(name);
    const TQRLibrary* library = QRFunctionLibrary();
    const TQRLibraryEntry* entry = library ? library->FindEntry(upper) : nullptr;
    if (!entry) {
        if (arguments.isEmpty()) EvalVariable(upper);
        else PutError(QRExprMessage(UnknownFunction, upper));
        return;
    }
    Put(entry->Instance());
    const QChar separator = QRArgumentSeparator();
    qsizetype start = 0;
    FindOperator(arguments, parentheses_, [&](qsizetype i) {
        if (arguments[i] != separator) return false;
        ReadNested(&TQREvaluator::EvalExpression, arguments.sliced(start, i - start));
        start = i + 1;
        return false;
    });
    if (!arguments.isEmpty()) ReadNested(&TQREvaluator::EvalExpression, arguments.sliced(start));
    fifo_->PutArgumentEnd();
}

TField* TQREvaluator::FindDataField(const QString& name, TDataSet*& dataSet) {
    const qsizetype dot = name.indexOf(u'.');
    const QString setName = dot < 0 ? QString() : AnsiUpperCase(name.left(dot));
    const QString fieldName = dot < 0 ? name : AnsiUpperCase(name.mid(dot + 1));
    for (TDataSet* ds : *dataSets_.Peek()) {
        if (!ds) continue;
        if (dot >= 0) {
            if (AnsiUpperCase(ds->Name()) != setName) continue;
            dataSet = ds;
            return ds->FindField(fieldName);
        }
        if (TField* f = ds->FindField(fieldName)) {
            dataSet = ds;
            return f;
        }
    }
    return nullptr;
}

void TQREvaluator::EvalVariable(const QString& name) {
    if (dataSets_.Peek()) {
        TDataSet* dataSet = nullptr;
        if (TField* field = FindDataField(name, dataSet)) {
            Put(new TQREvElementDataField(dataSet, field));
            return;
        }
    }
    std::unique_ptr<TQREvElement> element(environment_ ? environment_->GetFunction(name) : nullptr);
    if (!element || dynamic_cast<TQREvElementError*>(element.get())) {
        TQREvEnvironment* global = GlobalEnvironment();
        element.reset(global ? global->GetFunction(name) : nullptr);
    }
    if (!element) PutError(QRExprMessage(UnknownFunction, name));
    else if (auto* error = dynamic_cast<TQREvElementError*>(element.get())) PutError(error->Message());
    else Put(element.release());
}
