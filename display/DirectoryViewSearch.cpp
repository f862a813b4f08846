// Folder listing, attribute masks, file-name wildcards and pattern lists of
// the folder tree's search.
#include "DirectoryView.h"

#include "Classes.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>


namespace {

// Attribute bits from a file's mode.
Integer ModeAttr(mode_t mode) {
    if (S_ISDIR(mode)) return faDirectory;
    if (S_ISSOCK(mode) || S_ISFIFO(mode) || S_ISCHR(mode) || S_ISBLK(mode)) return faSysFile;
    return 0;
}

TFolderId IdOf(const struct stat& st) {
    return {quint64(st.st_dev), quint64(st.st_ino)};
}

// The type bits of an entry; links and entries whose type the folder does
// not tell are looked up, following links: a broken link is a plain file.
void Classify(int dirFd, const dirent64& entry, TDirEntry& out) {
    switch (entry.d_type) {
    case DT_REG: return;
    case DT_DIR: out.Attr = faDirectory; return;
    case DT_SOCK:
    case DT_FIFO:
    case DT_CHR:
    case DT_BLK: out.Attr = faSysFile; return;
    default: {
        struct stat st {};
        if (fstatat(dirFd, entry.d_name, &st, 0) == 0) out.Attr = ModeAttr(st.st_mode);
    }
    }
}

// The length of the valid UTF-8 sequence at i, 0 when there is none.
qsizetype Utf8SequenceAt(QByteArrayView bytes, qsizetype i) {
    const uchar lead = uchar(bytes[i]);
    if (lead < 0x80) return 1;
    qsizetype n = 0;
    char32_t cp = 0;
    if ((lead & 0xE0) == 0xC0) n = 2, cp = lead & 0x1F;
    else if ((lead & 0xF0) == 0xE0) n = 3, cp = lead & 0x0F;
    else if ((lead & 0xF8) == 0xF0) n = 4, cp = lead & 0x07;
    else return 0;
    if (i + n > bytes.size()) return 0;
    for (qsizetype k = 1; k < n; ++k) {
        const uchar b = uchar(bytes[i + k]);
        if ((b & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (b & 0x3F);
    }
    static constexpr char32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
    const bool valid = cp >= least[n] && cp <= 0x10FFFF && (cp < 0xD800 || cp > 0xDFFF);
    return valid ? n : 0;
}

// '*' and '?' against name, both already case-folded; a '*' that fails goes
// back to its last position only, so the cost stays linear in practice.
bool Glob(QStringView pattern, QStringView name) {
    qsizetype p = 0, n = 0, starP = -1, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == u'?' || (pattern[p] != u'*' && pattern[p] == name[n]))) {
            ++p;
            ++n;
        } else if (p < pattern.size() && pattern[p] == u'*') {
            starP = p++;
            starN = n;
        } else if (starP >= 0) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == u'*') ++p;
    return p == pattern.size();
}

}  // namespace

Integer AttributeMask(TAttributes attributes) {
    Integer mask = 0;
    if (attributes.Contains(atReadOnly)) mask += faReadOnly;
    if (attributes.Contains(atHidden)) mask += faHidden;
    if (attributes.Contains(atSysFile)) mask += faSysFile;
    if (attributes.Contains(atDirectory)) mask += faDirectory;
    if (attributes.Contains(atArchive)) mask += faArchive;
    return mask;
}

bool PassesMask(Integer attr, Integer mask) {
    return (attr & (faHidden | faSysFile | faDirectory) & ~mask) == 0;
}

QString DecodeFileName(QByteArrayView bytes) {
    QString name;
    qsizetype i = 0;
    while (i < bytes.size()) {
        qsizetype end = i;
        while (end < bytes.size()) {
            const qsizetype n = Utf8SequenceAt(bytes, end);
            if (n == 0) break;
            end += n;
        }
        name += QString::fromUtf8(bytes.sliced(i, end - i));
        if (end < bytes.size()) name += QChar(0xDC00 + uchar(bytes[end++]));
        i = end;
    }
    return name;
}

QByteArray EncodeFileName(const QString& name) {
    QByteArray bytes;
    qsizetype run = 0;
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char16_t u = name[i].unicode();
        if (QChar::isHighSurrogate(u) && i + 1 < name.size() && name[i + 1].isLowSurrogate()) {
            ++i;
        } else if (u >= 0xDC80 && u <= 0xDCFF) {
            bytes += QStringView(name).sliced(run, i - run).toUtf8();
            bytes += char(u - 0xDC00);
            run = i + 1;
        }
    }
    return bytes + QStringView(name).sliced(run).toUtf8();
}

// The folder's entries read straight from the kernel: a folder tree opens
// every folder once, and the C library's directory stream would look the
// folder up a second time and take a buffer of its own for each.
std::vector<TDirEntry> TFileSystemLister::List(const QString& path, TFolderId* folder) {
    std::vector<TDirEntry> entries;
    if (folder) *folder = {};
    const int fd = open(EncodeFileName(path).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return entries;
    // The open folder tells which it is without a look-up of its path.
    struct stat st {};
    if (folder && fstat(fd, &st) == 0) *folder = IdOf(st);
    alignas(dirent64) char buffer[32768];
    for (ssize_t size; (size = getdents64(fd, buffer, sizeof buffer)) > 0;) {
        for (ssize_t at = 0; at < size;) {
            const auto* entry = reinterpret_cast<const dirent64*>(buffer + at);
            at += entry->d_reclen;
            const char* name = entry->d_name;
            if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0))) continue;
            TDirEntry& out = entries.emplace_back();
            out.Name = DecodeFileName(name);
            Classify(fd, *entry, out);
            if (name[0] == '.') out.Attr |= faHidden;
        }
    }
    close(fd);
    return entries;
}

TFolderId TFileSystemLister::Identify(const QString& path) {
    struct stat st {};
    if (stat(EncodeFileName(path).constData(), &st) != 0 || !S_ISDIR(st.st_mode)) return {};
    return IdOf(st);
}

bool MatchesWildcard(const QString& pattern, const QString& name) {
    if (pattern.isEmpty()) return false;
    const QString p = pattern.toCaseFolded();
    const QString n = name.toCaseFolded();
    if (p == u"*.*") return true;
    if (Glob(p, n)) return true;
    // "x.*" stands for any extension, none included.
    return p.endsWith(u".*") && Glob(QStringView(p).chopped(2), n);
}

Integer SplitList(const QString& text, QChar separator, TStrings* list) {
    list->Clear();
    QString token;
    bool quoted = false;
    bool afterQuote = false;  // the token is a finished quoted run
    for (const QChar c : text) {
        if (quoted) {
            if (c == u'"') {
                quoted = false;
                afterQuote = true;
            } else {
                token += c;
            }
        } else if (c == u'"') {
            quoted = true;
        } else if (c == separator) {
            list->Add(token);
            token.clear();
            afterQuote = false;
        } else if (afterQuote) {
            token = c;
            afterQuote = false;
        } else {
            token += c;
        }
    }
    list->Add(token);
    return list->Count();
}
