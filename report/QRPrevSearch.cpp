// Page text search over the metafile's text records, and data-set
// discovery for the expression builder.
#include "QRPrevSearch.h"

#include "DB.h"
#include "Forms.h"
#include "Metafile.h"
#include "Windows.h"

#include <QtCore/QEventLoop>
#include <QtCore/QtEndian>

#include <vector>

namespace {

// EMRTEXT of a text record: the character count and the string's offset
// from the record start.
constexpr qsizetype kCharCountAt = 44;
constexpr qsizetype kStringOffsetAt = 48;

bool searching = false;
std::vector<QEventLoop*> waiting;

quint32 ReadU32(QByteArrayView bytes, qsizetype at) {
    return qFromLittleEndian<quint32>(bytes.data() + at);
}

// The text of an EXTTEXTOUT record; empty when its fields point outside.
QString RecordText(const TMetafileRecord& record) {
    const QByteArrayView bytes = record.Bytes;
    if (bytes.size() < kStringOffsetAt + 4) return QString();
    const quint32 count = ReadU32(bytes, kCharCountAt);
    const quint32 offset = ReadU32(bytes, kStringOffsetAt);
    const quint64 unit = record.Type == EMR_EXTTEXTOUTW ? 2 : 1;
    if (quint64(offset) + quint64(count) * unit > quint64(bytes.size())) return QString();
    const char* text = bytes.data() + offset;
    if (unit == 2) {
        QString wide(qsizetype(count), Qt::Uninitialized);
        for (quint32 i = 0; i < count; ++i) wide[i] = QChar(qFromLittleEndian<quint16>(text + 2 * i));
        return wide;
    }
    return AnsiToWide(AnsiString(text, qsizetype(count)));
}

// One search at a time: a second waits in a local loop for the first.
class TSearchTurn {
public:
    TSearchTurn() {
        while (searching) {
            QEventLoop loop;
            waiting.push_back(&loop);
            loop.exec();
        }
        searching = true;
    }
    ~TSearchTurn() {
        searching = false;
        const std::vector<QEventLoop*> loops = std::move(waiting);
        waiting.clear();
        for (QEventLoop* loop : loops) loop->quit();
    }
};

QString Fold(const QString& text, bool matchCase) {
    return matchCase ? text : text.toCaseFolded();
}

void AddDataSetsOf(TComponent* owner, TStrings* list) {
    for (Integer i = 0; i < owner->ComponentCount(); ++i) {
        TComponent* component = owner->Components(i);
        if (auto* dataSet = dynamic_cast<TDataSet*>(component))
            list->AddObject(dataSet->Name(), dataSet);
        else if (dynamic_cast<TWinControl*>(component))
            AddDataSetsOf(component, list);
    }
}

}  // namespace

bool SearchMetafileText(const QString& Text, const TMetafile& Metafile, bool MatchCase) {
    TSearchTurn turn;
    const QString wanted = Fold(Text, MatchCase);
    bool found = false;
    EnumMetafileRecords(Metafile, [&](const TMetafileRecord& record) {
        if (record.Type != EMR_EXTTEXTOUTA && record.Type != EMR_EXTTEXTOUTW) return true;
        found = Fold(RecordText(record), MatchCase).contains(wanted);
        return !found;
    });
    return found;
}

void FindDataSets(TComponent* Owner, bool AllForms, TStrings* List) {
    if (Owner) AddDataSetsOf(Owner, List);
    if (!AllForms) return;
    for (Integer i = 0; i < Screen->FormCount(); ++i) {
        TCustomForm* form = Screen->Forms(i);
        for (Integer j = 0; j < form->ComponentCount(); ++j)
            if (auto* dataSet = dynamic_cast<TDataSet*>(form->Components(j)))
                List->AddObject(dataSet->Name(), dataSet);
    }
}
