// Report files and page code: any bytes load, count and read without a
// fault. The first input byte chooses the mode:
//   even: the rest is a report file; it is loaded and every page read;
//   odd:  the rest is page code; it is expanded to a length taken from its
//         first two bytes (at most 4095), and the result is coded and expanded again.
// Invariants: every failure is a framework exception; a loaded file never
// counts more pages than it has room for records; a page read is a whole
// metafile; coding and expanding gives the data back.
#include "FuzzSupport.h"

#include "Metafile.h"
#include "QRPrntr.h"

#include <QtCore/QDir>
#include <QtCore/QFile>

#include <unistd.h>

namespace {

// In memory when the system has a memory file system: a disk is too slow.
const QString& scratchFile() {
    static const QString dir = QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm") : QDir::tempPath();
    static const QString name = dir + QStringLiteral("/fuzz_report_file_%1.VOZ").arg(getpid());
    return name;
}

void loadAndRead(const QByteArray& bytes) {
    {
        QFile file(scratchFile());
        FUZZ_CHECK(file.open(QIODevice::WriteOnly | QIODevice::Truncate), "cannot write %s", qPrintable(file.fileName()));
        file.write(bytes);
    }
    TQRPageList list;
    try {
        list.LoadFromFile(scratchFile());
    } catch (const Exception&) {
        // Damaged: the pages before the damage stay readable.
    }
    FUZZ_CHECK(list.PageCount() >= 0 && Int64(list.PageCount()) * 12 <= bytes.size(), "count %d for %lld bytes",
               list.PageCount(), (long long)bytes.size());
    for (Integer n = list.PageCount() + 1; n >= 0; --n) {
        try {
            const QByteArray page = list.GetPageData(n);
            FUZZ_CHECK(n >= 1 && n <= list.PageCount() ? page.size() >= 52 : page.isEmpty(), "page %d", n);
            if (n % 2) TMetafile().SetData(page);
        } catch (const Exception&) {
        }
    }
}

void expandAndCode(const QByteArray& code) {
    if (code.size() < 2) return;
    const Integer length = (Byte(code[0]) | (Byte(code[1]) << 8)) & 0x0FFF;
    TMemoryStream source;
    source.WriteBytes(code.mid(2));
    source.SetPosition(0);
    QByteArray data(length, '\0');
    {
        TQRCompress coder(source, false, source.Size());
        coder.ExpandBytes(reinterpret_cast<Byte*>(data.data()), length);
        coder.Finish();
        FUZZ_CHECK(source.Position() <= source.Size(), "expander read past its code");
    }
    TMemoryStream recoded;
    {
        TQRCompress coder(recoded, true);
        coder.CompressBytes(reinterpret_cast<const Byte*>(data.constData()), length);
    }
    recoded.SetPosition(0);
    QByteArray again(length, '\0');
    TQRCompress expander(recoded, false, recoded.Size());
    expander.ExpandBytes(reinterpret_cast<Byte*>(again.data()), length);
    FUZZ_CHECK(again == data && !expander.Overrun(), "round trip of %d bytes", length);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const QByteArray rest(reinterpret_cast<const char*>(data) + 1, qsizetype(size - 1));
    if (data[0] % 2 == 0)
        loadAndRead(rest);
    else
        expandAndCode(rest);
    return 0;
}
