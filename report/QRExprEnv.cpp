// Environments of named expressions, the global environment and the unit's
// start-up and shut-down.
#include "QRExpr.h"

#include "SysInit.h"

#include <QtGui/QGuiApplication>

using namespace QRExprText;

namespace {
TQREvEnvironment* g_global = nullptr;
// Set while an environment releases its entries: the entries' evaluators
// then leave the global environment's count alone.
bool g_unpreparing = false;
bool g_initialized = false;
}  // namespace

// ------------------------------------------------------------ entries

void TQREvEmbeddedFunction::Value(TQRFiFo&, EvalResult& r) {
    if (inUse_) {
        r = EvalResult::Error(QRExprMessage(Recursive));
        return;
    }
    // The mark is cleared however the evaluation ends.
    struct InUse {
        bool& mark;
        ~InUse() { mark = false; }
    } guard{inUse_};
    inUse_ = true;
    evaluator_.Evaluate(r);
}

// ------------------------------------------------------------ TQREvEnvironment

TQREvEnvironment::TQREvEnvironment() { SetOwnsObjects(true); }

TQREvEnvironment::~TQREvEnvironment() { Clear(); }

TQREvEmbeddedFunction* TQREvEnvironment::Entry(Integer index) const {
    return static_cast<TQREvEmbeddedFunction*>(Objects(index));
}

TQREvEmbeddedFunction* TQREvEnvironment::FindEntry(const QString& name) const {
    const Integer index = IndexOf(AnsiUpperCase(name));
    return index >= 0 ? Entry(index) : nullptr;
}

// Only a new entry is read: reading an existing one again would drop the
// constants set in its queue and the elements callers hold of it.
void TQREvEnvironment::AddFunction(const QString& name, const QString& expression) {
    const QString upper = AnsiUpperCase(name);
    if (IndexOf(upper) >= 0) return;
    auto* entry = new TQREvEmbeddedFunction(expression);
    AddObject(upper, entry);
    if (Prepared()) PrepareEntry(entry);
}

void TQREvEnvironment::DeleteFunction(const QString& name) {
    const Integer index = IndexOf(AnsiUpperCase(name));
    if (index >= 0) Delete(index);
}

void TQREvEnvironment::PrepareEntry(TQREvEmbeddedFunction* entry) {
    // An entry being evaluated keeps the queue it is walking.
    if (entry->InUse()) return;
    entry->Evaluator().SetDataSets(DataSets());
    entry->Evaluator().SetEnvironment(this);
    entry->Evaluator().Prepare(entry->Expression());
}

void TQREvEnvironment::Prepare() {
    if (++prepareCount_ != 1) return;
    for (Integer i = 0; i < Count(); ++i) PrepareEntry(Entry(i));
}

void TQREvEnvironment::Unprepare() {
    if ((this == g_global && g_unpreparing) || prepareCount_ == 0) return;
    const bool outer = g_unpreparing;
    g_unpreparing = true;
    if (--prepareCount_ == 0)
        for (Integer i = 0; i < Count(); ++i) Entry(i)->Evaluator().Unprepare();
    g_unpreparing = outer;
}

void TQREvEnvironment::Release() {
    if (prepareCount_ == 0) return;
    prepareCount_ = 1;
    Unprepare();
}

TQREvElement* TQREvEnvironment::GetFunction(const QString& name) const {
    if (TQREvEmbeddedFunction* entry = FindEntry(name)) return new TQREvElementWrapper(entry);
    return new TQREvElementError(QRExprMessage(UnknownFunction, name));
}

EvalResult TQREvEnvironment::Value(const QString& name) const {
    TQREvEmbeddedFunction* entry = FindEntry(name);
    if (!entry) return EvalResult::Error(QRExprMessage(UnknownFunction, name));
    TQRFiFo unused;
    EvalResult r;
    entry->Value(unused, r);
    return r;
}

TQREvElement* TQREvEnvironment::GetConstant(const QString& name) const {
    const TQREvEmbeddedFunction* entry = FindEntry(name);
    return entry ? entry->QueueElement(0) : nullptr;
}

void TQREvEnvironment::SetConstant(TQREvElement* element, Integer value) {
    if (auto* constant = dynamic_cast<TQREvElementConstant*>(element))
        constant->SetResult(EvalResult::FromInteger(value));
}

void TQREvEnvironment::SetConstant(TQREvElement* element, const QString& text) {
    if (auto* string = dynamic_cast<TQREvElementString*>(element)) string->SetText(text);
}

void TQREvEnvironment::SetConstant(TQREvElement* element, const EvalResult& value) {
    if (auto* constant = dynamic_cast<TQREvElementConstant*>(element))
        constant->SetResult(value);
    else if (auto* string = dynamic_cast<TQREvElementString*>(element); string && value.Kind == rkString)
        string->SetText(value.Text());
}

TQREvEnvironmentStore TQREvEnvironment::WriteStored() const {
    TQREvEnvironmentStore store;
    for (Integer i = 0; i < Count(); ++i) {
        store.Strings << Strings(i);
        store.Data << Entry(i)->Expression();
    }
    return store;
}

void TQREvEnvironment::ReadStored(const TQREvEnvironmentStore& store) {
    Clear();
    const qsizetype count = std::min(store.Strings.size(), store.Data.size());
    for (qsizetype i = 0; i < count; ++i) {
        auto* entry = new TQREvEmbeddedFunction(store.Data[i]);
        AddObject(store.Strings[i], entry);
        if (Prepared()) PrepareEntry(entry);
    }
}

// ------------------------------------------------------------ the unit

TQREvEnvironment* GlobalEnvironment() { return g_global; }

void InitializeQRExpr() {
    if (g_initialized) return;
    g_initialized = true;
    AddExitProc(FinalizeQRExpr);
    RegisterQRBuiltInFunctions();
    SetQRArgumentSeparator(u',');
    g_unpreparing = false;
    g_global = new TQREvEnvironment;
    const TDateTime now = Now();
    const auto quoted = [](const QString& text) { return u'\'' + text + u'\''; };
    g_global->AddFunction(QStringLiteral("AppStartTime"), quoted(TimeToStr(now)));
    g_global->AddFunction(QStringLiteral("AppStartDate"), quoted(DateToStr(now)));
    g_global->AddFunction(QStringLiteral("AppName"), quoted(QGuiApplication::applicationDisplayName()));
}

void FinalizeQRExpr() {
    if (!g_initialized) return;
    g_initialized = false;
    // The entries' evaluators find no global environment to count off.
    TQREvEnvironment* global = g_global;
    g_global = nullptr;
    delete global;
    FreeQRFunctionLibrary();
}

VELMORA_UNIT_START_UP(QRExpr, InitializeQRExpr)
