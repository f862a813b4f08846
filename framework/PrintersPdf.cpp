// Copies in a PDF job's file: the PDF printer prints the copies a device
// mode asks for into the file itself, as an update appended to the file
// whose new pages share the contents of the first copy's pages.
#include "Printers.h"

#include <QtCore/QFile>
#include <QtCore/QRegularExpression>

#include <map>
#include <vector>

namespace {

// The number after a PDF keyword or name (" /Size 28"), or -1.
qint64 NumberAfter(const QByteArray& text, const char* key) {
    const QRegularExpression pattern(QRegularExpression::escape(QLatin1String(key)) + QStringLiteral("\\s+(\\d+)"));
    const QRegularExpressionMatch match = pattern.match(QString::fromLatin1(text));
    return match.hasMatch() ? match.captured(1).toLongLong() : -1;
}

// A file as the PDF printer writes it: one cross-reference table, a
// catalog and one level of pages under the page tree's root.
class TPdfPages {
public:
    explicit TPdfPages(const QByteArray& pdf) : pdf_(pdf) {}

    // Reads the table, the trailer and the page tree; false when the file
    // is not laid out so.
    bool Read() { return pdf_.endsWith('\n') && ReadTrailer() && ReadPages(); }

    // Appends to file (holding the pages read) the update that gives it
    // copies of its pages: new page objects numbered from the trailer's
    // size on, the page tree with the new order, their table and trailer.
    bool AppendCopies(QIODevice& file, Integer copies, bool collate) const {
        const qint64 pages = qint64(pages_.size());
        const qint64 first = size_;  // copy c (from 1) of page p is first + p * (copies - 1) + c - 1
        const auto number = [&](qint64 page, qint64 copy) {
            return copy == 0 ? pages_[size_t(page)].first : first + page * (copies - 1) + copy - 1;
        };
        std::vector<qint64> offsets;
        bool ok = true;
        const auto write = [&](const QByteArray& bytes) { ok = ok && file.write(bytes) == bytes.size(); };
        for (qint64 page = 0; page < pages; ++page) {
            for (qint64 copy = 1; copy < copies; ++copy) {
                offsets.push_back(file.pos());
                write(ObjectText(number(page, copy), pages_[size_t(page)].second));
            }
        }
        QByteArray kids = "\n";
        const qint64 outer = collate ? copies : pages, inner = collate ? pages : copies;
        for (qint64 i = 0; i < outer; ++i)
            for (qint64 j = 0; j < inner; ++j)
                kids += QByteArray::number(collate ? number(j, i) : number(i, j)) + " 0 R\n";
        QByteArray tree = treeText_;
        tree.replace(kidsAt_, kidsLength_, kids);
        static const QRegularExpression count(QStringLiteral("/Count\\s+\\d+"));
        tree = QString::fromLatin1(tree).replace(count, QStringLiteral("/Count %1").arg(pages * copies)).toLatin1();
        const qint64 treeOffset = file.pos();
        write(ObjectText(tree_, tree));
        const qint64 table = file.pos();
        write("xref\n" + QByteArray::number(tree_) + " 1\n" + Entry(treeOffset) + QByteArray::number(first) + ' ' +
              QByteArray::number(qint64(offsets.size())) + '\n');
        for (qint64 offset : offsets) write(Entry(offset));
        QByteArray trailer = "trailer\n<<\n/Size " + QByteArray::number(first + qint64(offsets.size())) + "\n/Root " +
                             QByteArray::number(root_) + " 0 R\n";
        if (info_ >= 0) trailer += "/Info " + QByteArray::number(info_) + " 0 R\n";
        write(trailer + "/Prev " + QByteArray::number(xref_) + "\n>>\nstartxref\n" + QByteArray::number(table) +
              "\n%%EOF\n");
        return ok;
    }

private:
    bool ReadTrailer() {
        xref_ = NumberAfter(pdf_.mid(pdf_.lastIndexOf("startxref")), "startxref");
        if (xref_ < 0 || !pdf_.mid(xref_, 4).startsWith("xref") || !ReadTable()) return false;
        const qsizetype trailer = pdf_.indexOf("trailer", xref_);
        const QByteArray dictionary = pdf_.mid(trailer, pdf_.indexOf("startxref", trailer) - trailer);
        size_ = NumberAfter(dictionary, "/Size");
        root_ = NumberAfter(dictionary, "/Root");
        info_ = NumberAfter(dictionary, "/Info");
        return trailer >= 0 && size_ > 0 && root_ >= 0 && !dictionary.contains("/Prev");
    }

    bool ReadPages() {
        tree_ = NumberAfter(Object(root_), "/Pages");
        treeText_ = Object(tree_);
        static const QRegularExpression kids(QStringLiteral("/Kids\\s*\\[([^\\]]*)\\]"));
        const QRegularExpressionMatch kidsMatch = kids.match(QString::fromLatin1(treeText_));
        if (!kidsMatch.hasMatch()) return false;
        kidsAt_ = kidsMatch.capturedStart(1);
        kidsLength_ = kidsMatch.capturedLength(1);
        static const QRegularExpression reference(QStringLiteral("(\\d+)\\s+0\\s+R"));
        static const QRegularExpression page(QStringLiteral("/Type\\s*/Page(?![A-Za-z])"));
        for (const auto& kid : reference.globalMatch(kidsMatch.captured(1))) {
            const qint64 number = kid.captured(1).toLongLong();
            const QByteArray text = Object(number);
            if (!page.match(QString::fromLatin1(text)).hasMatch() || text.contains("stream")) return false;
            pages_.push_back({number, text});
        }
        return !pages_.empty();
    }

    // The entries in use of the table at xref_.
    bool ReadTable() {
        const QByteArray table = pdf_.mid(xref_, pdf_.indexOf("trailer", xref_) - xref_);
        const QList<QByteArray> tokens = table.simplified().split(' ');
        for (qsizetype at = 1; at + 1 < tokens.size();) {
            bool okFirst = false, okCount = false;
            const qint64 first = tokens[at].toLongLong(&okFirst);
            const qint64 count = tokens[at + 1].toLongLong(&okCount);
            at += 2;
            if (!okFirst || !okCount || count < 0 || count > (tokens.size() - at) / 3) return false;
            for (qint64 i = 0; i < count; ++i, at += 3)
                if (tokens[at + 2] == "n") offsets_[first + i] = tokens[at].toLongLong();
        }
        return !offsets_.empty();
    }

    // What lies between "<number> 0 obj" and "endobj"; empty when the
    // table does not lead to it.
    QByteArray Object(qint64 number) const {
        const auto found = offsets_.find(number);
        if (found == offsets_.end()) return {};
        const QByteArray head = QByteArray::number(number) + " 0 obj";
        const qint64 start = found->second;
        const qsizetype end = pdf_.indexOf("endobj", start);
        if (start < 0 || end < 0 || !pdf_.mid(start, head.size()).startsWith(head)) return {};
        return pdf_.mid(start + head.size(), end - start - head.size()).trimmed();
    }

    static QByteArray ObjectText(qint64 number, const QByteArray& body) {
        return QByteArray::number(number) + " 0 obj\n" + body + "\nendobj\n";
    }
    // A table entry: 20 bytes.
    static QByteArray Entry(qint64 offset) {
        return QByteArray::number(offset).rightJustified(10, '0') + " 00000 n \n";
    }

    const QByteArray& pdf_;
    std::map<qint64, qint64> offsets_;
    qint64 xref_ = -1, size_ = -1, root_ = -1, info_ = -1, tree_ = -1;
    QByteArray treeText_;
    qsizetype kidsAt_ = 0, kidsLength_ = 0;  // the references inside /Kids [ ]
    std::vector<std::pair<qint64, QByteArray>> pages_;  // number, dictionary
};

}  // namespace

// Mapped, not read: a long report's file is read back only where its
// table, trailer and page tree lie.
bool PdfFileIsWhole(const QString& file) {
    QFile pdf(file);
    if (!pdf.open(QIODevice::ReadOnly) || pdf.size() == 0) return false;
    const uchar* bytes = pdf.map(0, pdf.size());
    if (!bytes) return false;
    const QByteArray content = QByteArray::fromRawData(reinterpret_cast<const char*>(bytes), qsizetype(pdf.size()));
    return TPdfPages(content).Read();
}

bool WritePdfCopies(const QString& file, Integer copies, bool collate, QString& message) {
    if (copies <= 1) return true;
    QFile pdf(file);
    if (!pdf.open(QIODevice::ReadWrite | QIODevice::ExistingOnly)) {
        message = pdf.errorString();
        return false;
    }
    const QByteArray content = pdf.readAll();
    TPdfPages pages(content);
    if (!pages.Read()) {
        message = QStringLiteral("%1 holds no pages this printer can copy").arg(file);
        return false;
    }
    if (!pdf.seek(content.size()) || !pages.AppendCopies(pdf, copies, collate) || !pdf.flush()) {
        message = pdf.errorString();
        return false;
    }
    return true;
}
