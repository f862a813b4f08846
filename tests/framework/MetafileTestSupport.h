// Helpers of the metafile tests: recording a drawing, reading record
// fields, and a drawing that uses every kind of call the recorder takes.
#pragma once

#include "Graphics.h"
#include "Metafile.h"

#include <QtCore/QtEndian>

#include <cstring>
#include <functional>
#include <memory>

// A metafile of w x h pixels holding what draw drew on its canvas.
inline std::unique_ptr<TMetafile> RecordMetafile(Integer w, Integer h, const std::function<void(TCanvas*)>& draw) {
    auto metafile = std::make_unique<TMetafile>();
    metafile->SetWidth(w);
    metafile->SetHeight(h);
    {
        TMetafileCanvas canvas(metafile.get());
        draw(&canvas);
    }
    return metafile;
}

inline Cardinal FieldU32(QByteArrayView bytes, Int64 offset) {
    Cardinal v;
    std::memcpy(&v, bytes.data() + offset, 4);
    return qFromLittleEndian(v);
}
inline Integer FieldI32(QByteArrayView bytes, Int64 offset) { return Integer(FieldU32(bytes, offset)); }

inline void SetField(QByteArray& bytes, Int64 offset, Cardinal value) {
    const Cardinal le = qToLittleEndian(value);
    std::memcpy(bytes.data() + offset, &le, 4);
}

// The records of a metafile of the given type, in order.
inline std::vector<QByteArray> RecordsOfType(const TMetafile& metafile, Cardinal type) {
    std::vector<QByteArray> found;
    EnumMetafileRecords(metafile, [&](const TMetafileRecord& r) {
        if (r.Type == type) found.push_back(r.Bytes.toByteArray());
        return true;
    });
    return found;
}

// The string of an EMR_EXTTEXTOUTW record, read from its text fields.
inline QString RecordText(const QByteArray& record) {
    const Int64 count = FieldU32(record, 44), at = FieldU32(record, 48);
    QString text;
    for (Int64 i = 0; i < count; ++i) {
        quint16 unit;
        std::memcpy(&unit, record.data() + at + i * 2, 2);
        text.append(QChar(qFromLittleEndian(unit)));
    }
    return text;
}

// The face name of an EMR_EXTCREATEFONTINDIRECTW record.
inline QString RecordFaceName(const QByteArray& record) {
    QString name;
    for (Int64 at = 40; at + 2 <= 104; at += 2) {
        quint16 unit;
        std::memcpy(&unit, record.data() + at, 2);
        if (unit == 0) break;
        name.append(QChar(qFromLittleEndian(unit)));
    }
    return name;
}

// Figures, fills, lines, pixels, a bitmap and clipping: no text.
void DrawFigures(TCanvas* c);
// Text in three alignments, an opaque text rectangle and a rotated line.
void DrawTexts(TCanvas* c);
