// TStrings and TStringList.
#include "Classes.h"
#include "Windows.h"

#include <QtCore/QStringList>

#include <algorithm>
#include <limits>
#include <numeric>

namespace {

const QString kIndexError = QStringLiteral("List index out of bounds (%1)");
const QString kSortedError = QStringLiteral("Operation not allowed on sorted list");
const QString kDuplicateError = QStringLiteral("String list does not allow duplicates");

// Runs work between BeginUpdate and EndUpdate, ending the update even when
// work raises.
template <typename Work>
void updating(TStrings& list, Work work) {
    list.BeginUpdate();
    try {
        work();
    } catch (...) {
        list.EndUpdate();
        throw;
    }
    list.EndUpdate();
}

// Splits at CR LF, CR or LF; a final line break adds no empty line.
QStringList splitLines(const QString& text) {
    QStringList lines;
    const qsizetype n = text.size();
    qsizetype start = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        if (c != u'\r' && c != u'\n') continue;
        lines << text.mid(start, i - start);
        if (c == u'\r' && i + 1 < n && text[i + 1] == u'\n') ++i;
        start = i + 1;
    }
    if (start < n) lines << text.mid(start);
    return lines;
}

bool isBlank(QChar c) { return c.unicode() <= 0x20; }

bool needsQuotes(const QString& s) {
    return std::any_of(s.begin(), s.end(),
                       [](QChar c) { return c.unicode() <= 0x20 || c == u'"' || c == u','; });
}

QString quoted(QString s) {
    s.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + s + QLatin1Char('"');
}

// Reads a quoted item starting at the quote at text[i]: a doubled quote
// stands for one, a missing closing quote takes the rest of the text.
QString extractQuoted(const QString& text, qsizetype& i) {
    QString out;
    const qsizetype n = text.size();
    for (++i; i < n; ++i) {
        if (text[i] != u'"') {
            out += text[i];
        } else if (i + 1 < n && text[i + 1] == u'"') {
            out += u'"';
            ++i;
        } else {
            ++i;
            break;
        }
    }
    return out;
}

qsizetype skipBlanks(const QString& text, qsizetype i) {
    while (i < text.size() && isBlank(text[i])) ++i;
    return i;
}

// A stable merge sort that stays in bounds whatever the comparison
// answers: a comparison without a consistent order makes std::stable_sort
// read outside its buffer.
template <class Less>
void MergeSort(std::vector<Integer>& items, Less less) {
    const size_t count = items.size();
    std::vector<Integer> merged(count);
    for (size_t width = 1; width < count; width *= 2) {
        for (size_t lo = 0; lo < count; lo += 2 * width) {
            const size_t mid = std::min(lo + width, count), hi = std::min(lo + 2 * width, count);
            size_t a = lo, b = mid, out = lo;
            while (a < mid && b < hi) merged[out++] = less(items[b], items[a]) ? items[b++] : items[a++];
            while (a < mid) merged[out++] = items[a++];
            while (b < hi) merged[out++] = items[b++];
        }
        items.swap(merged);
    }
}

}  // namespace

// ------------------------------------------------------------ TStrings

void TStrings::Put(Integer index, const QString& s) {
    TObject* obj = GetObject(index);
    updating(*this, [&] {
        Delete(index);
        InsertObject(index, s, obj);
    });
}

TObject* TStrings::GetObject(Integer) const { return nullptr; }

void TStrings::PutObject(Integer, TObject*) {}

Integer TStrings::Add(const QString& s) {
    const Integer index = Count();
    Insert(index, s);
    return index;
}

Integer TStrings::AddObject(const QString& s, TObject* obj) {
    const Integer index = Add(s);
    PutObject(index, obj);
    return index;
}

void TStrings::InsertObject(Integer index, const QString& s, TObject* obj) {
    Insert(index, s);
    PutObject(index, obj);
}

void TStrings::AddStrings(const TStrings& strings) {
    // The count is taken first: a list may add itself to itself.
    const Integer count = strings.Count();
    updating(*this, [&] {
        for (Integer i = 0; i < count; ++i) AddObject(strings.Get(i), strings.GetObject(i));
    });
}

void TStrings::Exchange(Integer a, Integer b) {
    const QString textA = Get(a);
    TObject* objA = GetObject(a);
    const QString textB = Get(b);
    TObject* objB = GetObject(b);
    updating(*this, [&] {
        Put(a, textB);
        PutObject(a, objB);
        Put(b, textA);
        PutObject(b, objA);
    });
}

void TStrings::Move(Integer from, Integer to) {
    if (from == to) return;
    const QString s = Get(from);
    TObject* obj = GetObject(from);
    // Checked before the delete so a bad target loses nothing.
    if (to < 0 || to >= Count()) Error(kIndexError, to);
    updating(*this, [&] {
        Delete(from);
        InsertObject(to, s, obj);
    });
}

Integer TStrings::IndexOf(const QString& s) const {
    for (Integer i = 0; i < Count(); ++i)
        if (CompareStrings(Get(i), s) == 0) return i;
    return -1;
}

Integer TStrings::IndexOfName(const QString& name) const {
    for (Integer i = 0; i < Count(); ++i) {
        const QString line = Get(i);
        const qsizetype eq = line.indexOf(u'=');
        if (eq >= 0 && CompareStrings(line.left(eq), name) == 0) return i;
    }
    return -1;
}

Integer TStrings::IndexOfObject(TObject* obj) const {
    for (Integer i = 0; i < Count(); ++i)
        if (GetObject(i) == obj) return i;
    return -1;
}

QString TStrings::Text() const {
    QString text;
    for (Integer i = 0; i < Count(); ++i) text += Get(i) + QLatin1String("\r\n");
    return text;
}

void TStrings::SetText(const QString& text) { SetStringList(splitLines(text)); }

QString TStrings::CommaText() const {
    if (Count() == 1 && Get(0).isEmpty()) return QStringLiteral("\"\"");
    QStringList items;
    for (Integer i = 0; i < Count(); ++i) {
        const QString s = Get(i);
        items << (needsQuotes(s) ? quoted(s) : s);
    }
    return items.join(u',');
}

void TStrings::SetCommaText(const QString& text) {
    updating(*this, [&] {
        Clear();
        const qsizetype n = text.size();
        qsizetype i = skipBlanks(text, 0);
        while (i < n) {
            if (text[i] == u'"') {
                Add(extractQuoted(text, i));
            } else {
                const qsizetype start = i;
                while (i < n && text[i].unicode() > 0x20 && text[i] != u',') ++i;
                Add(text.mid(start, i - start));
            }
            i = skipBlanks(text, i);
            if (i < n && text[i] == u',') {
                if (i + 1 == n) Add(QString());  // a trailing comma ends an empty item
                i = skipBlanks(text, i + 1);
            }
        }
    });
}

QString TStrings::Names(Integer index) const {
    const QString line = Get(index);
    const qsizetype eq = line.indexOf(u'=');
    return eq >= 0 ? line.left(eq) : QString();
}

QString TStrings::ValueFromIndex(Integer index) const {
    const QString line = Get(index);
    const qsizetype eq = line.indexOf(u'=');
    return eq >= 0 ? line.mid(eq + 1) : QString();
}

QString TStrings::Values(const QString& name) const {
    const Integer index = IndexOfName(name);
    return index >= 0 ? ValueFromIndex(index) : QString();
}

void TStrings::SetValue(const QString& name, const QString& value) {
    const Integer index = IndexOfName(name);
    if (value.isEmpty()) {
        if (index >= 0) Delete(index);
        return;
    }
    const QString line = name + u'=' + value;
    if (index < 0) {
        Add(line);
        return;
    }
    // A sorted list refuses Put: the line goes out and back in its place.
    const auto* sortedList = dynamic_cast<const TStringList*>(this);
    if (sortedList && sortedList->Sorted()) {
        updating(*this, [&] {
            Delete(index);
            Add(line);
        });
    } else {
        Put(index, line);
    }
}

void TStrings::BeginUpdate() {
    if (updateCount_ == 0) SetUpdateState(true);
    ++updateCount_;
}

void TStrings::EndUpdate() {
    if (updateCount_ == 0) return;
    if (--updateCount_ == 0) SetUpdateState(false);
}

void TStrings::SetUpdateState(bool) {}

void TStrings::Assign(TPersistent* Source) {
    auto* source = dynamic_cast<TStrings*>(Source);
    if (!source) {
        TPersistent::Assign(Source);
        return;
    }
    if (source == this) return;
    updating(*this, [&] {
        Clear();
        AddStrings(*source);
    });
}

bool TStrings::Equals(const TStrings& other) const {
    if (Count() != other.Count()) return false;
    for (Integer i = 0; i < Count(); ++i)
        if (Get(i) != other.Get(i)) return false;
    return true;
}

QStringList TStrings::ToStringList() const {
    QStringList lines;
    lines.reserve(Count());
    for (Integer i = 0; i < Count(); ++i) lines << Get(i);
    return lines;
}

void TStrings::SetStringList(const QStringList& lines) {
    updating(*this, [&] {
        Clear();
        for (const QString& line : lines) Add(line);
    });
}

void TStrings::LoadFromStream(TStream& stream) {
    SetText(AnsiToWide(stream.ReadToEnd()));
}

void TStrings::SaveToStream(TStream& stream) const {
    const AnsiString bytes = WideToAnsi(Text());
    stream.WriteBuffer(bytes.constData(), Integer(bytes.size()));
}

void TStrings::LoadFromFile(const QString& fileName) {
    TFileStream file(fileName, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(file);
}

void TStrings::SaveToFile(const QString& fileName) const {
    TFileStream file(fileName, fmCreate);
    SaveToStream(file);
}

void TStrings::Error(const QString& message, Integer index) const {
    throw EListError(message.contains(QLatin1String("%1")) ? message.arg(index) : message);
}

Integer TStrings::CompareStrings(const QString& a, const QString& b) const {
    return AnsiCompareText(a, b);
}

// ------------------------------------------------------------ TStringList

TStringList::~TStringList() {
    // Nobody hears of the items going away with the list.
    OnChange = nullptr;
    OnChanging = nullptr;
    if (ownsObjects_)
        for (Item& item : items_) delete item.object;
}

void TStringList::checkIndex(Integer index) const {
    if (index < 0 || index >= Count()) Error(kIndexError, index);
}

QString TStringList::Get(Integer index) const {
    checkIndex(index);
    return items_[size_t(index)].text;
}

void TStringList::Put(Integer index, const QString& s) {
    if (sorted_) Error(kSortedError, index);
    checkIndex(index);
    Changing();
    items_[size_t(index)].text = s;
    Changed();
}

TObject* TStringList::GetObject(Integer index) const {
    checkIndex(index);
    return items_[size_t(index)].object;
}

void TStringList::PutObject(Integer index, TObject* obj) {
    checkIndex(index);
    Changing();
    items_[size_t(index)].object = obj;
    Changed();
}

void TStringList::Insert(Integer index, const QString& s) {
    if (sorted_) Error(kSortedError, index);
    if (index < 0 || index > Count()) Error(kIndexError, index);
    insertItem(index, s, nullptr);
}

void TStringList::insertItem(Integer index, const QString& s, TObject* obj) {
    Changing();
    items_.insert(items_.begin() + index, Item{s, obj});
    Changed();
}

void TStringList::Delete(Integer index) {
    checkIndex(index);
    Changing();
    TObject* obj = items_[size_t(index)].object;
    items_.erase(items_.begin() + index);
    if (ownsObjects_) delete obj;
    Changed();
}

void TStringList::Clear() {
    if (items_.empty()) return;
    Changing();
    std::vector<Item> old;
    old.swap(items_);
    if (ownsObjects_)
        for (Item& item : old) delete item.object;
    Changed();
}

Integer TStringList::Add(const QString& s) { return AddObject(s, nullptr); }

Integer TStringList::AddObject(const QString& s, TObject* obj) {
    Integer index = Count();
    if (sorted_ && Find(s, index)) {
        if (duplicates_ == dupIgnore) return index;
        if (duplicates_ == dupError) Error(kDuplicateError, index);
    }
    insertItem(index, s, obj);
    return index;
}

void TStringList::Exchange(Integer a, Integer b) {
    checkIndex(a);
    checkIndex(b);
    Changing();
    std::swap(items_[size_t(a)], items_[size_t(b)]);
    Changed();
}

void TStringList::Move(Integer from, Integer to) {
    if (from == to) return;
    checkIndex(from);
    checkIndex(to);
    if (sorted_) Error(kSortedError, to);
    Changing();
    Item item = std::move(items_[size_t(from)]);
    items_.erase(items_.begin() + from);
    items_.insert(items_.begin() + to, std::move(item));
    Changed();
}

Integer TStringList::IndexOf(const QString& s) const {
    if (!sorted_) return TStrings::IndexOf(s);
    Integer index = -1;
    return Find(s, index) ? index : -1;
}

bool TStringList::Find(const QString& s, Integer& index) const {
    // Lower bound: the first line not below s.
    Integer low = 0;
    Integer high = Count();
    while (low < high) {
        const Integer mid = low + (high - low) / 2;
        if (CompareStrings(items_[size_t(mid)].text, s) < 0)
            low = mid + 1;
        else
            high = mid;
    }
    index = low;
    return low < Count() && CompareStrings(items_[size_t(low)].text, s) == 0;
}

void TStringList::sortItems(const Compare& compare) {
    if (Count() < 2) return;
    Changing();
    // The comparison reads lines by index, so order a permutation and
    // rebuild the list from it.
    std::vector<Integer> order(items_.size());
    std::iota(order.begin(), order.end(), 0);
    MergeSort(order, [&](Integer a, Integer b) { return compare(this, a, b) < 0; });
    std::vector<Item> sorted;
    sorted.reserve(items_.size());
    for (Integer i : order) sorted.push_back(std::move(items_[size_t(i)]));
    items_.swap(sorted);
    Changed();
}

void TStringList::Sort() {
    if (sorted_) return;
    sortItems([](TStringList* list, Integer a, Integer b) {
        return list->CompareStrings(list->items_[size_t(a)].text, list->items_[size_t(b)].text);
    });
}

void TStringList::CustomSort(const Compare& compare) {
    if (!sorted_) sortItems(compare);
}

void TStringList::SetSorted(bool sorted) {
    if (sorted == sorted_) return;
    if (sorted) Sort();
    sorted_ = sorted;
}

void TStringList::SetCaseSensitive(bool on) {
    if (on == caseSensitive_) return;
    caseSensitive_ = on;
    // The order depends on the comparison: a sorted list sorts again, or
    // Find would search a list out of order.
    if (sorted_) {
        sorted_ = false;
        Sort();
        sorted_ = true;
    }
}

void TStringList::SetUpdateState(bool updating) {
    if (updating)
        Changing();
    else
        Changed();
}

void TStringList::Changed() {
    if (UpdateCount() == 0 && OnChange) OnChange(this);
}

void TStringList::Changing() {
    if (UpdateCount() == 0 && OnChanging) OnChanging(this);
}

Integer TStringList::CompareStrings(const QString& a, const QString& b) const {
    if (!caseSensitive_) return AnsiCompareText(a, b);
    // Case decides only between texts equal but for case, lower case first.
    const Integer folded = AnsiCompareText(a, b);
    return folded != 0 ? folded : -QString::compare(a, b, Qt::CaseSensitive);
}
