#include "QRPrntrTestSupport.h"

#include <gtest/gtest.h>

#include <QtCore/QFile>
#include <QtCore/QProcess>

#include <cstring>
#include <random>

namespace {

void putInt(QByteArray& bytes, int at, quint32 value) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = char(value >> (8 * i));
}

QByteArray emfHeader() {
    QByteArray header(108, '\0');
    putInt(header, 0, 1);
    putInt(header, 4, 108);
    header.replace(40, 4, " EMF");
    putInt(header, 44, 0x10000);
    return header;
}

QByteArray finishEmf(QByteArray emf) {
    QByteArray eof(20, '\0');
    putInt(eof, 0, 14);
    putInt(eof, 4, 20);
    putInt(eof, 16, 20);
    emf += eof;
    putInt(emf, 48, quint32(emf.size()));
    return emf;
}

}  // namespace

QByteArray MakeEmfBytes(quint32 seed, int size) {
    std::mt19937 random(seed);
    QByteArray emf = emfHeader();
    while (emf.size() + 20 < size) emf += char(random() & 0xFF);
    return finishEmf(emf);
}

QByteArray MakeReportLikePage(quint32 seed, int records) {
    std::mt19937 random(seed);
    QByteArray emf = emfHeader();
    const QString words[] = {QStringLiteral("請求書"), QStringLiteral("Amount"), QStringLiteral("合計 12,345"),
                             QStringLiteral("2026/12/07"), QStringLiteral("Page")};
    for (int i = 0; i < records; ++i) {
        const int y = 40 + 18 * i;
        QByteArray rec(16, '\0');
        switch (random() % 3) {
        case 0: {  // text with its advance array
            const QString text = words[random() % 5];
            putInt(rec, 0, 84);
            putInt(rec, 8, quint32(100 + random() % 400));
            putInt(rec, 12, quint32(y));
            for (QChar ch : text) rec += QByteArray(reinterpret_cast<const char*>(&ch), 2);
            for (int k = 0; k < text.size(); ++k) rec += QByteArray("\x0c\0\0\0", 4);
            break;
        }
        case 1:  // a line
            putInt(rec, 0, 54);
            putInt(rec, 8, 40);
            putInt(rec, 12, quint32(y));
            break;
        default:  // a box
            putInt(rec, 0, 43);
            putInt(rec, 8, 40);
            putInt(rec, 12, quint32(y + 16));
            break;
        }
        while (rec.size() % 4) rec += '\0';
        putInt(rec, 4, quint32(rec.size()));
        emf += rec;
    }
    return finishEmf(emf);
}

QByteArray RunTool(const QString& script, const QStringList& arguments, const QByteArray& input,
                   int expectedExit) {
    QProcess tool;
    tool.start(QStringLiteral("python3"),
               QStringList{QStringLiteral(VELMORA_SOURCE_DIR "/tests/report/tools/") + script} + arguments);
    EXPECT_TRUE(tool.waitForStarted()) << "python3 is missing";
    tool.write(input);
    tool.closeWriteChannel();
    EXPECT_TRUE(tool.waitForFinished(120000));
    const QByteArray out = tool.readAllStandardOutput();
    EXPECT_EQ(tool.exitCode(), expectedExit) << script.toStdString() << ": " << out.toStdString()
                                             << tool.readAllStandardError().toStdString();
    return out;
}

QByteArray CompressBytes(const QByteArray& data) {
    TMemoryStream code;
    TQRCompress coder(code, true);
    coder.CompressBytes(reinterpret_cast<const Byte*>(data.constData()), data.size());
    coder.Finish();
    return code.Bytes();
}

QByteArray ExpandBytes(const QByteArray& code, Integer count) {
    TMemoryStream source;
    source.WriteBytes(code);
    source.SetPosition(0);
    TQRCompress coder(source, false);
    QByteArray out(count, '\0');
    coder.ExpandBytes(reinterpret_cast<Byte*>(out.data()), count);
    return out;
}

std::unique_ptr<TQRPageList> NewPageList(bool compression, Integer memoryLimit) {
    auto list = std::make_unique<TQRPageList>();
    list->SetCompression(compression);
    list->SetStream(std::make_unique<TQRStream>(memoryLimit));
    return list;
}

QByteArray ReadFileBytes(const QString& path) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    return file.readAll();
}

void WriteFileBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    file.write(bytes);
}

std::vector<Integer> RecordEnds(const QByteArray& file) {
    std::vector<Integer> ends;
    for (qsizetype at = TQRPageList::HeaderSize128; at + 8 <= file.size();) {
        Integer next;
        std::memcpy(&next, file.constData() + at + 4, 4);
        if (next <= at) break;
        ends.push_back(next);
        at = next;
    }
    return ends;
}
