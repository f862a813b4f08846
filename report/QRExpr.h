// Report expressions: result records, the element queue and the evaluator
// that reads an expression once and evaluates it as often as needed; the
// function library with its built-in functions and aggregates; the
// environments of named expressions. Errors are values, not exceptions.
#pragma once

#include "Classes.h"
#include "SysUtils.h"

#include <QtCore/QByteArray>
#include <QtCore/QHash>
#include <QtCore/QString>
#include <QtCore/QStringList>

#include <cstdlib>
#include <cstring>
#include <deque>
#include <memory>
#include <vector>

class TDataSet;
class TField;
class TQRFiFo;
class TQREvEnvironment;
class TQREvEmbeddedFunction;

// ------------------------------------------------------------ texts

namespace QRExprText {
inline constexpr char ErrorInExpression[] = "Error in expression : %s";
inline constexpr char NotPrepared[] = "Evaluator not prepared";
inline constexpr char Missing[] = "Missing %s";
inline constexpr char UnknownFunction[] = "Unknown function : %s";
inline constexpr char InvalidNot[] = "Invalid use of NOT";
inline constexpr char UnknownFieldType[] = "Field %s is of unknown type";
inline constexpr char FieldNotFound[] = "Field %s not found";
inline constexpr char NumericConstant[] = "Illegal character in numeric contant \"%s\"";
inline constexpr char NotCompatible[] = "Operator %s is not compatible with %s expressions";
inline constexpr char CannotDo[] = "Cannot %s %s expressions";
inline constexpr char DivideByZero[] = "Cannot divide by 0";
inline constexpr char IntegerOverflow[] = "Integer overflow";
inline constexpr char TooDeep[] = "Expression nested too deeply";
inline constexpr char OutOfMemory[] = "Out of memory";
inline constexpr char WrongArguments[] = "Wrong arguments for %s";
inline constexpr char MissingArgument[] = "Missing argument for %s";
inline constexpr char ConversionError[] = "Conversion error";
inline constexpr char TooManyArguments[] = "Too many arguments";
inline constexpr char DivisionByZero[] = "Division by Zero";
inline constexpr char InvalidSqrt[] = "Invalid argument to SQRT function";
inline constexpr char InvalidFormat[] = "Invalid format or value specified";
inline constexpr char Recursive[] = "Recursive calls not allowed";
inline constexpr char True[] = "True";
inline constexpr char False[] = "False";
}  // namespace QRExprText

// The text with each "%s" replaced by the next argument.
QString QRExprMessage(const char* text, const QString& arg1 = QString(),
                      const QString& arg2 = QString());

// ------------------------------------------------------------ result records

enum TQREvResultKind : Byte { rkInteger, rkFloat, rkString, rkBoolean, rkError };

// Text of at most 255 bytes in the ANSI code page, its length in front.
// Longer text is cut at the last whole character within 255 bytes.
class TQRShortString {
public:
    static constexpr int MaxLength = 255;

    // The bytes beyond the length are left as they are, even when value-initialized.
    TQRShortString() {}
    // Copies only the bytes in use.
    TQRShortString(const TQRShortString& other) : length_(other.length_) {
        if (length_) std::memcpy(data_, other.data_, length_);
    }
    TQRShortString& operator=(const TQRShortString& other) {
        length_ = other.length_;
        if (length_) std::memmove(data_, other.data_, length_);
        return *this;
    }

    void Clear() { length_ = 0; }
    void Assign(const char* data, qsizetype length);
    void Assign(const QByteArray& bytes) { Assign(bytes.constData(), bytes.size()); }
    void Assign(const QString& text);  // converted to the ANSI code page first
    void Append(const TQRShortString& other);

    int Length() const { return length_; }
    const char* Data() const { return data_; }
    Byte At(int index) const { return Byte(data_[index]); }
    QByteArray Bytes() const { return QByteArray(data_, length_); }
    QString Text() const;
    // Byte by byte, unsigned; a prefix is smaller.
    int Compare(const TQRShortString& other) const;
    bool operator==(const TQRShortString& other) const { return Compare(other) == 0; }

private:
    Byte length_ = 0;
    char data_[MaxLength];
};

// One value of an expression, copied by value. The string holds the text of
// a string result or the message of an error result.
struct EvalResult {
    // An error without a message; the unused bytes are not cleared.
    EvalResult() {}

    TQREvResultKind Kind = rkError;
    union {
        Integer IntResult = 0;
        double FloatResult;
        bool BoolResult;
    };
    TQRShortString StrResult;

    static EvalResult FromInteger(Integer v);
    static EvalResult FromFloat(double v);
    static EvalResult FromBoolean(bool v);
    static EvalResult FromString(const QString& text);
    static EvalResult FromBytes(const QByteArray& bytes);
    static EvalResult Error(const QString& message);

    // In place, leaving the rest of the record as it is but for the text.
    void SetInteger(Integer v) { Kind = rkInteger; IntResult = v; StrResult.Clear(); }
    void SetFloat(double v) { Kind = rkFloat; FloatResult = v; StrResult.Clear(); }
    void SetBoolean(bool v) { Kind = rkBoolean; BoolResult = v; StrResult.Clear(); }
    void SetString(const QString& text) { Kind = rkString; IntResult = 0; StrResult.Assign(text); }

    bool IsError() const { return Kind == rkError; }
    bool IsNumeric() const { return Kind == rkInteger || Kind == rkFloat; }
    double AsFloat() const { return Kind == rkInteger ? double(IntResult) : FloatResult; }
    // Integer in decimal, float by FloatToStr, "True"/"False", a string as
    // it is; an error raises Exception "Error in expression : <message>".
    QString Text() const;
    QString Message() const { return StrResult.Text(); }
};

// ------------------------------------------------------------ queue elements

// How an element's operands follow it in the queue. A constant is a leaf
// whose value stays the same through an evaluation: an operator reads it
// again when applied rather than keep its value. Binary elements are
// operators.
enum class TQREvShape : Byte { Leaf, Constant, Unary, Binary, Arguments, ArgumentEnd };

class TQREvElement : public TObject {
public:
    bool IsAggregate = false;
    // Fills Result, taking the element's operands from the queue.
    virtual void Value(TQRFiFo& FiFo, EvalResult& Result);
    virtual void Reset() {}
    TQREvShape Shape() const { return shape_; }

protected:
    explicit TQREvElement(TQREvShape shape = TQREvShape::Leaf) : shape_(shape) {}

private:
    friend class TQRFiFo;
    TQREvShape shape_;
    bool repeated_ = false;  // kept once by its queue, however often it stands in it
};

enum TQREvOperator : Byte {
    opLess, opLessOrEqual, opGreater, opGreaterOrEqual, opEqual, opUnequal,
    opPlus, opMinus, opOr, opMul, opDiv, opAnd
};

// Holds nothing but its code: what its evaluation keeps is on the queue's
// stacks, so one element serves every place the operator stands.
class TQREvElementOperator : public TQREvElement {
public:
    explicit TQREvElementOperator(TQREvOperator op) : TQREvElement(TQREvShape::Binary), op_(op) {}
    TQREvOperator Operator() const { return op_; }
    // Evaluates the chain of operators that starts here (each the right
    // operand of the one before) in one loop: 1+1+...+1 takes no stack per
    // operator.
    void Value(TQRFiFo& FiFo, EvalResult& Result) override;

private:
    TQREvOperator op_;
};

// The logical negation of its one operand.
class TQREvElementNot : public TQREvElement {
public:
    TQREvElementNot() : TQREvElement(TQREvShape::Unary) {}
    void Value(TQRFiFo& FiFo, EvalResult& Result) override;
};

// Holds a whole result record in a few bytes (a long chain of numbers holds
// many constants): the number, or the text apart when there is one.
class TQREvElementConstant : public TQREvElement {
public:
    explicit TQREvElementConstant(const EvalResult& value) : TQREvElement(TQREvShape::Constant) {
        SetResult(value);
    }
    ~TQREvElementConstant() override;
    void Value(TQRFiFo& FiFo, EvalResult& Result) override;
    void SetResult(const EvalResult& value);

private:
    bool HoldsText() const { return kind_ == rkString || kind_ == rkError; }

    TQREvResultKind kind_ = rkError;
    union {
        double payload_ = 0;    // an integer, float or boolean record's value, as stored
        TQRShortString* text_;  // a string or error record's text, owned; nullptr when empty
    };
};

class TQREvElementString : public TQREvElement {
public:
    explicit TQREvElementString(const QString& text) : TQREvElement(TQREvShape::Constant) { SetText(text); }
    void SetText(const QString& text);
    void Value(TQRFiFo& FiFo, EvalResult& Result) override;

private:
    // The text as a result holds it: in the ANSI code page, at most 255 bytes.
    Byte length_ = 0;
    std::unique_ptr<char[]> bytes_;
};

class TQREvElementDataField : public TQREvElement {
public:
    TQREvElementDataField(TDataSet* dataSet, TField* field);
    void Value(TQRFiFo& FiFo, EvalResult& Result) override;

private:
    enum class Reading { Unknown, String, Integer, Largeint, Float, Boolean, Text };
    static Reading ReadingOf(const TField* field);
    TField* CurrentField() const;

    TDataSet* dataSet_;
    Integer index_;
    TField* field_;
    QString fieldName_;
    const TField* readingField_ = nullptr;  // the field reading_ was worked out for
    Reading reading_ = Reading::Unknown;
};

class TQREvElementError : public TQREvElement {
public:
    explicit TQREvElementError(const QString& message) : TQREvElement(TQREvShape::Constant), message_(message) {}
    const QString& Message() const { return message_; }
    void Value(TQRFiFo& FiFo, EvalResult& Result) override;

private:
    QString message_;
};

// Closes the argument list of a function.
class TQREvElementArgumentEnd : public TQREvElement {
public:
    TQREvElementArgumentEnd() : TQREvElement(TQREvShape::ArgumentEnd) {}
};

// The values an evaluation holds while it goes on: the left operands of a
// chain of operators and the arguments of functions. Each takes the bytes
// it uses: its kind and number in a record, a text's bytes apart. Taking
// values off keeps the room they had, for the next evaluation.
class TQRValueStack {
public:
    // Room for count values, so that evaluating allocates nothing.
    void Reserve(size_t count);
    void Push(const EvalResult& value) {
        if (count_ == records_.size()) records_.emplace_back();
        Record& record = records_[count_];
        std::memcpy(&record.payload, &value.FloatResult, sizeof record.payload);
        record.kind = value.Kind;
        record.length = Byte(value.StrResult.Length());
        record.textAt = quint32(textEnd_);
        if (record.length) PushText(value.StrResult);
        ++count_;
    }
    // The value at index (0 is the bottom) into value.
    void Read(size_t index, EvalResult& value) const {
        const Record& record = records_[index];
        value.Kind = record.kind;
        std::memcpy(&value.FloatResult, &record.payload, sizeof record.payload);
        if (record.length) value.StrResult.Assign(text_.data() + record.textAt, record.length);
        else value.StrResult.Clear();
    }
    // Takes the top value off into value.
    void Pop(EvalResult& value) {
        Read(count_ - 1, value);
        Drop(1);
    }
    // Takes the top count values off.
    void Drop(size_t count) {
        if (count == 0) return;
        count_ -= count;
        textEnd_ = records_[count_].textAt;
    }
    void Clear() { count_ = textEnd_ = 0; }
    size_t Count() const { return count_; }

private:
    void PushText(const TQRShortString& text);

    struct Record {
        double payload;  // the record's integer, float or boolean, as stored
        quint32 textAt;  // where its text starts in text_
        TQREvResultKind kind;
        Byte length;     // of its text
    };
    std::vector<Record> records_;
    std::vector<char> text_;
    size_t count_ = 0;    // records_ in use
    size_t textEnd_ = 0;  // text_ in use
};

// A library function: evaluates its arguments, takes an aggregate step while
// the queue updates aggregates, then calculates.
class TQREvElementFunction : public TQREvElement {
public:
    TQREvElementFunction() : TQREvElement(TQREvShape::Arguments) {}
    void Value(TQRFiFo& FiFo, EvalResult& Result) override;
    virtual void Aggregate() {}
    virtual void Calculate(EvalResult& Result);

protected:
    // Evaluates every argument up to the end of the list (or of the queue)
    // onto the queue's stacks, where they stay until DropArguments.
    void GetArguments(TQRFiFo& FiFo);
    inline void DropArguments();
    Integer ArgumentCount() const { return count_; }
    // The argument at index (the first is 0), until DropArguments.
    inline const EvalResult& Argument(Integer index) const;

private:
    friend class TQRFiFo;
    Integer count_ = 0;
    // The first whole_ arguments are held whole in the queue's records from
    // base_ on (first_), given when the queue is linked; the rest on its
    // value stack.
    Integer base_ = 0;
    Integer whole_ = 0;
    EvalResult* first_ = nullptr;
    TQRFiFo* fifo_ = nullptr;
};

// Stands in the queue for an environment entry, which it does not own.
class TQREvElementWrapper : public TQREvElement {
public:
    explicit TQREvElementWrapper(TQREvEmbeddedFunction* entry) : entry_(entry) {}
    void Value(TQRFiFo& FiFo, EvalResult& Result) override;

private:
    TQREvEmbeddedFunction* entry_;
};

// ------------------------------------------------------------ the queue

class TQRFiFo : public TObject {
public:
    ~TQRFiFo() override;
    bool Aggregate = false;  // set while aggregates are updated

    // An element the queue owns, standing at one place.
    void Put(TQREvElement* element) {
        std::unique_ptr<TQREvElement> owned(element);  // freed when the list cannot grow
        elements_.PushBack(element);
        owned.release();
    }
    // Elements that hold nothing of their place: the queue keeps one of each
    // operator, of NOT, of the end of an argument list and of each error
    // message, and puts it again wherever one stands.
    void PutOperator(TQREvOperator op);
    void PutNot();
    void PutArgumentEnd();
    void PutError(const QString& message);

    // Rewinds the queue for an evaluation. An evaluation leaves the stacks
    // as it found them; one cut short by an exception empties them.
    void Start() { position_ = 0; }
    void EmptyStacks() {
        values_.Clear();
        operators_.clear();
        readTop_ = 0;
    }
    // The element at the read position, which moves on; nullptr at the end.
    TQREvElement* Get() {
        return position_ < elements_.Size() ? elements_[position_++] : nullptr;
    }
    // The element at the read position, which stays; nullptr at the end.
    TQREvElement* Peek() const { return position_ < elements_.Size() ? elements_[position_] : nullptr; }
    Integer Position() const { return Integer(position_); }
    // Once everything is queued: makes room on the stacks for as much as an
    // evaluation holds at once, following the queue as evaluation does.
    void Link();
    Integer Count() const { return Integer(elements_.Size()); }
    TQREvElement* Items(Integer index) const { return elements_[size_t(index)]; }

    TQRValueStack& Values() { return values_; }
    // The queue positions of the operators being applied, innermost last.
    std::vector<Integer>& Operators() { return operators_; }

    // The arguments of the functions being evaluated: the first
    // WholeArguments of each function whole, evaluated and read in place in
    // the records whole_ gives it when the queue is linked; any further ones
    // on the value stack, each read into a record of its own that lasts
    // until the function drops its arguments.
    static constexpr Integer WholeArguments = 16;
    // The kept argument fromTop values below the top of the value stack.
    const EvalResult& ReadArgument(size_t fromTop);
    void DropArguments(Integer kept) {
        values_.Drop(size_t(kept));
        readTop_ = 0;
    }

private:
    // The elements in queue order, in one block that grows in place where
    // the system can move its pages (a long queue is not copied as it grows).
    class ElementList {
    public:
        ElementList() = default;
        ElementList(const ElementList&) = delete;
        ElementList& operator=(const ElementList&) = delete;
        ~ElementList() { std::free(data_); }
        void PushBack(TQREvElement* element) {
            if (size_ == capacity_) Grow();
            data_[size_++] = element;
        }
        TQREvElement* operator[](size_t index) const { return data_[index]; }
        size_t Size() const { return size_; }

    private:
        void Grow();

        TQREvElement** data_ = nullptr;
        size_t size_ = 0;
        size_t capacity_ = 0;
    };

    // Puts the element in slot, made by make the first time.
    template <class Make>
    void PutRepeated(TQREvElement*& slot, Make make);

    // What each evaluation uses comes first, together.
    ElementList elements_;
    size_t position_ = 0;
    std::unique_ptr<EvalResult[]> whole_;
    size_t readTop_ = 0;
    std::vector<Integer> operators_;
    TQRValueStack values_;
    std::deque<EvalResult> read_;  // grows without moving what it holds
    std::vector<std::unique_ptr<TQREvElement>> repeated_;
    TQREvElement* operatorElements_[opAnd + 1] = {};
    TQREvElement* not_ = nullptr;
    TQREvElement* argumentEnd_ = nullptr;
    QHash<QString, TQREvElement*> errors_;  // while the queue is filled
};

void TQREvElementFunction::DropArguments() {
    if (count_ > whole_) fifo_->DropArguments(count_ - whole_);
    count_ = 0;
}

const EvalResult& TQREvElementFunction::Argument(Integer index) const {
    if (index < whole_) [[likely]]
        return first_[index];
    return fifo_->ReadArgument(size_t(count_ - index));
}

// ------------------------------------------------------------ the evaluator

using TQRDataSetList = std::vector<TDataSet*>;

// The data sets of an evaluator or an environment: a list assigned to it
// (not owned), or an empty one made on first request (owned).
class TQRDataSetsSlot {
public:
    TQRDataSetList* Get() {
        if (!list_) {
            owned_ = std::make_unique<TQRDataSetList>();
            list_ = owned_.get();
        }
        return list_;
    }
    void Set(TQRDataSetList* list) {
        if (list == list_) return;
        owned_.reset();
        list_ = list;
    }
    // The list without making one: nullptr when there is none yet.
    TQRDataSetList* Peek() const { return list_; }

private:
    std::unique_ptr<TQRDataSetList> owned_;
    TQRDataSetList* list_ = nullptr;
};

// Nesting limits: a text nested deeper than this gives an error value rather
// than exhausting the stack, while it is read and while it is evaluated.
// Parentheses, function arguments, NOT and signs nest; a chain of operators
// (1+1+...) does not.
constexpr Integer QRMaxReadDepth = 400;
constexpr Integer QRMaxEvalDepth = 1000;

class TQRParenthesisIndex;  // the reader's, in QRExpr.cpp

class TQREvaluator : public TObject {
public:
    TQREvaluator();
    ~TQREvaluator() override;

    // Data sets searched for field names. Reading it when none was assigned
    // makes an empty list the evaluator owns; an assigned list is not owned.
    TQRDataSetList* DataSets() { return dataSets_.Get(); }
    void SetDataSets(TQRDataSetList* list) { dataSets_.Set(list); }
    TQREvEnvironment* Environment() const { return environment_; }
    void SetEnvironment(TQREvEnvironment* environment) { environment_ = environment; }

    bool Prepared() const { return fifo_ != nullptr; }
    // Reads text into the queue; never fails on bad text (errors become
    // error elements, running out of memory too). An empty text reads as "' '".
    void Prepare(const QString& text);
    void Unprepare();
    // Exception "Evaluator not prepared" when not prepared; running out of
    // memory gives the error "Out of memory".
    EvalResult Value();
    // The same into r, which the evaluation reuses.
    void Evaluate(EvalResult& r);
    void UpdateAggregates();
    void Reset();
    bool ContainsAggregates() const;
    EvalResult Calculate(const QString& text);

    // The prepared queue's element at index; nullptr when not prepared or beyond.
    TQREvElement* QueueElement(Integer index) const;

protected:
    // The reader's hooks for names: a function (with its argument text) and
    // a field or named value. Both queue what they read.
    virtual void EvalFunction(const QString& name, QStringView arguments);
    virtual void EvalVariable(const QString& name);

    // The four levels of reading; each queues the elements of text. The
    // texts are views of the evaluator's own copy of the text being
    // prepared: a level reads its part in place, so nesting copies nothing.
    void EvalExpression(QStringView text);
    void EvalSimpleExpression(QStringView text);
    void EvalTerm(QStringView text);
    void EvalFactor(QStringView text);
    void Put(TQREvElement* element) { fifo_->Put(element); }

private:
    class DepthGuard;
    // Reads text into a new queue, linked and ready.
    void Read(const QString& text);
    // Drops what the queue holds for the one error element message.
    void ReplaceQueue(const QString& message);
    // Reads text with read one level of nesting deeper, unless that is too deep.
    void ReadNested(void (TQREvaluator::*read)(QStringView), QStringView text);
    // One level of operators, a chain read in a loop from position start:
    // an operator, its left part a level down, and the rest of the text as
    // its right part. The additive level reads terms, the multiplicative
    // one factors. exchanged: an odd number of minus (divide) signs came before.
    void ReadChain(QStringView text, bool additive, qsizetype start = 0, bool exchanged = false);
    // Reads length characters of text from position from with read, their
    // signs exchanged when exchanged is set.
    void ReadPiece(void (TQREvaluator::*read)(QStringView), QStringView text, qsizetype from,
                   qsizetype length, bool additive, bool exchanged);
    void EvalNotOperand(QStringView factor, QStringView operand);
    void EvalNegation(QStringView text);
    void EvalNumber(QStringView text);
    void EvalName(QStringView text);
    TField* FindDataField(const QString& name, TDataSet*& dataSet);
    void PutError(const QString& message) { fifo_->PutError(message); }

    TQRDataSetsSlot dataSets_;
    TQREvEnvironment* environment_ = nullptr;
    TQRFiFo* fifo_ = nullptr;
    QString reading_;  // the text being read, where signs are exchanged
    const TQRParenthesisIndex* parentheses_ = nullptr;  // of reading_, while it is read
    // The last parts of reading_ that the additive and the multiplicative
    // level passed down as free of their operators: a factor that is both
    // has a tail free of them too.
    QStringView withoutSums_;
    QStringView withoutProducts_;
    EvalResult aggregateResult_;  // the unused value of an aggregate update
    Integer readDepth_ = 0;
    bool tooDeep_ = false;  // the text being read nests deeper than QRMaxReadDepth
};

// The one-character argument separator, "," from start-up on.
QChar QRArgumentSeparator();
void SetQRArgumentSeparator(QChar separator);

// ------------------------------------------------------------ the function library

using TQRFunctionFactory = TQREvElementFunction* (*)();

template <class T>
TQREvElementFunction* CreateQRFunction() { return new T; }

class TQRLibraryEntry : public TObject {
public:
    QString Name;
    QString Description;  // syntax prefix ending in "|", then the help text
    QString Data;         // category digit, then N S B or V per argument
    QString Vendor;
    TQRFunctionFactory Instance = nullptr;
};

class TQRLibrary : public TObject {
public:
    ~TQRLibrary() override;
    void Add(TQRLibraryEntry* entry) { entries_.push_back(entry); }
    Integer EntryCount() const { return Integer(entries_.size()); }
    virtual TQRLibraryEntry* GetEntry(Integer index) const;  // nullptr out of range
    // The first entry of the name (case ignored); nullptr when none.
    TQRLibraryEntry* FindEntry(const QString& name) const;
    // A new element for the name: the function, or an error element
    // "Unknown function : <name>".
    TQREvElement* CreateElement(const QString& name) const;

private:
    std::vector<TQRLibraryEntry*> entries_;
};

class TQRFunctionLibrary : public TQRLibrary {};

// The global library; nullptr before InitializeQRExpr and after FinalizeQRExpr.
TQRFunctionLibrary* QRFunctionLibrary();
void RegisterLibraryFunction(TQRFunctionFactory instance, const QString& name,
                             const QString& description, const QString& data,
                             const QString& vendor);

// The unit's start-up registers the built-in functions; its shut-down frees
// the library (InitializeQRExpr and FinalizeQRExpr call these).
inline constexpr char QRBuiltInVendor[] = "Velmora";
void RegisterQRBuiltInFunctions();
void FreeQRFunctionLibrary();

// Category names of the library's category digits ("All", "Date & time", ...).
QString QRFunctionCategoryName(Integer category);

// ------------------------------------------------------------ environments

// One named expression with an evaluator of its own.
class TQREvEmbeddedFunction : public TQREvElement {
public:
    explicit TQREvEmbeddedFunction(const QString& expression) : expression_(expression) {}
    // Error "Recursive calls not allowed" while the entry is being evaluated.
    void Value(TQRFiFo& FiFo, EvalResult& Result) override;
    void Reset() override { evaluator_.Reset(); }
    const QString& Expression() const { return expression_; }
    TQREvElement* QueueElement(Integer index) const { return evaluator_.QueueElement(index); }
    TQREvaluator& Evaluator() { return evaluator_; }
    bool InUse() const { return inUse_; }

private:
    QString expression_;
    TQREvaluator evaluator_;
    bool inUse_ = false;
};

// The stored form of an environment: the names ("Strings") and the
// expression texts ("DATA"), one per entry in list order.
struct TQREvEnvironmentStore {
    QStringList Strings;
    QStringList Data;
};

// Named expressions: the list's strings are the names, each object the
// entry (owned).
class TQREvEnvironment : public TStringList {
public:
    TQREvEnvironment();
    ~TQREvEnvironment() override;

    // Upper-cases the name; a name already there keeps its expression. In a
    // prepared environment the new entry is prepared at once.
    void AddFunction(const QString& name, const QString& expression);
    void DeleteFunction(const QString& name);
    TQREvEmbeddedFunction* Entry(Integer index) const;

    // Nested: the entries are read when the count first reaches 1 and
    // released when it comes back to 0.
    void Prepare();
    void Unprepare();
    bool Prepared() const { return prepareCount_ > 0; }
    // Unprepares whatever the count: the entries' own evaluators count in
    // the global environment, so counting down alone never ends it.
    void Release();

    TQRDataSetList* DataSets() { return dataSets_.Get(); }
    void SetDataSets(TQRDataSetList* list) { dataSets_.Set(list); }

    // A new wrapper for the entry, or an error element "Unknown function : <name>".
    TQREvElement* GetFunction(const QString& name) const;
    // The entry's value; an error value for a missing name.
    EvalResult Value(const QString& name) const;
    // The first element of the entry's prepared queue; nullptr when the name
    // is missing or the entry not prepared.
    TQREvElement* GetConstant(const QString& name) const;
    // Overwrite a prepared constant: a constant element takes the value, a
    // string element the text; other elements are left alone.
    static void SetConstant(TQREvElement* element, Integer value);
    static void SetConstant(TQREvElement* element, const QString& text);
    static void SetConstant(TQREvElement* element, const EvalResult& value);

    TQREvEnvironmentStore WriteStored() const;
    // Replaces the contents; names and texts pair by position, up to the
    // shorter list.
    void ReadStored(const TQREvEnvironmentStore& store);

private:
    void PrepareEntry(TQREvEmbeddedFunction* entry);
    TQREvEmbeddedFunction* FindEntry(const QString& name) const;

    Integer prepareCount_ = 0;
    TQRDataSetsSlot dataSets_;
};

// The process-wide environment; nullptr before InitializeQRExpr.
TQREvEnvironment* GlobalEnvironment();

// Start-up and shut-down of the unit: the library and its built-in
// functions, the argument separator, the global environment with
// APPSTARTTIME, APPSTARTDATE and APPNAME (the application's title at that
// moment). The start-up runs by itself with the application object, or
// earlier when an evaluator is made first; the shut-down runs when the
// program ends. A second start-up or shut-down does nothing.
void InitializeQRExpr();
void FinalizeQRExpr();
