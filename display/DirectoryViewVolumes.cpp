// The volumes of the kernel's mount table (mountinfo), classified by file
// system type and by the removable flag of their block device in sysfs.
#include "DirectoryView.h"

#include <QtCore/QDir>
#include <QtCore/QFile>
#include <QtCore/QFileInfo>

#include <algorithm>
#include <map>
#include <set>

#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace {

// Kernel and user-space file systems that hold no user folders.
const std::set<QByteArray>& PseudoFileSystems() {
    static const std::set<QByteArray> names = {
        "proc",     "sysfs",     "cgroup",    "cgroup2",     "devpts",     "mqueue", "autofs",  "debugfs",
        "tracefs",  "securityfs", "pstore",   "bpf",         "configfs",   "fusectl", "hugetlbfs", "binfmt_misc",
        "devtmpfs", "nsfs",      "efivarfs",  "rpc_pipefs",  "selinuxfs",  "nfsd",   "fuse.portal",
        "fuse.gvfsd-fuse", "fuse.lxcfs"};
    return names;
}

bool IsRemoteType(const QByteArray& type) {
    static const std::set<QByteArray> names = {"nfs",  "nfs4",       "cifs",        "smb3",          "smbfs",
                                               "9p",   "fuse.sshfs", "ceph",        "fuse.ceph",     "afs",
                                               "ncpfs", "glusterfs", "fuse.glusterfs", "davfs", "fuse.davfs2", "fuse.rclone"};
    return names.count(type) > 0;
}

// Octal escapes of the mount table: \040 blank, \011 tab, \012 newline, \134 backslash.
QByteArray Unescape(const QByteArray& field) {
    QByteArray out;
    out.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        const char c = field[i];
        if (c == '\\' && i + 3 < field.size()) {
            const QByteArray digits = field.mid(i + 1, 3);
            const bool ok = std::all_of(digits.begin(), digits.end(), [](char d) { return d >= '0' && d <= '7'; });
            if (ok) {
                out.append(char(digits.toInt(nullptr, 8)));
                i += 3;
                continue;
            }
        }
        out.append(c);
    }
    return out;
}

struct MountLine {
    Integer major = 0;
    Integer minor = 0;
    QString mountPoint;
    QByteArray type;
    QByteArray source;
};

// One line: id parent major:minor root mount-point options [optional...] - type source super-options.
bool ParseLine(const QByteArray& line, MountLine& out) {
    const QList<QByteArray> fields = line.split(' ');
    const qsizetype dash = fields.indexOf("-");
    if (dash < 6 || dash + 2 >= fields.size()) return false;
    const QList<QByteArray> device = fields[2].split(':');
    if (device.size() != 2) return false;
    bool okMajor = false, okMinor = false;
    out.major = device[0].toInt(&okMajor);
    out.minor = device[1].toInt(&okMinor);
    if (!okMajor || !okMinor) return false;
    const QByteArray mountPoint = Unescape(fields[4]);
    if (!mountPoint.startsWith('/')) return false;
    out.mountPoint = DecodeFileName(mountPoint);
    out.type = fields[dash + 1];
    out.source = Unescape(fields[dash + 2]);
    return true;
}

// The drive type of a mount, or false for a mount that is no volume.
bool Classify(const MountLine& m, const TMountProbe& probe, TDriveType& type) {
    if (PseudoFileSystems().count(m.type)) return false;
    if (m.type == "tmpfs" || m.type == "ramfs") type = dtDRIVE_RAMDISK;
    else if (IsRemoteType(m.type) || m.type.startsWith("nfs")) type = dtDRIVE_REMOTE;
    else if (m.type == "iso9660" || m.type == "udf" || m.source.startsWith("/dev/sr")) type = dtDRIVE_CDROM;
    else if (m.major != 0 && probe.IsRemovable && probe.IsRemovable(m.major, m.minor)) type = dtDRIVE_REMOVABLE;
    else type = dtDRIVE_FIXED;
    return true;
}

QByteArray ReadSmallFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return file.read(64).trimmed();
}

}  // namespace

TMountProbe SystemMountProbe(const QString& sysRoot) {
    TMountProbe probe;
    probe.IsRemovable = [sysRoot](Integer major, Integer minor) {
        // /sys/dev/block/M:m links to the device; a partition's flag is its disk's.
        const QString link = QStringLiteral("%1/dev/block/%2:%3").arg(sysRoot).arg(major).arg(minor);
        const QString device = QFileInfo(link).canonicalFilePath();
        if (device.isEmpty()) return false;
        QByteArray flag = ReadSmallFile(device + QStringLiteral("/removable"));
        if (flag.isEmpty() && QFileInfo::exists(device + QStringLiteral("/partition")))
            flag = ReadSmallFile(QFileInfo(device).path() + QStringLiteral("/removable"));
        return flag == "1";
    };
    probe.IsDirectory = [](const QString& path) {
        struct stat st {};
        return stat(EncodeFileName(path).constData(), &st) == 0 && S_ISDIR(st.st_mode);
    };
    return probe;
}

std::vector<TVolume> ParseMountInfo(const QByteArray& text, const TMountProbe& probe) {
    std::map<QString, TDriveType> byMountPoint;  // a later mount over a path replaces the earlier one
    for (const QByteArray& line : text.split('\n')) {
        MountLine m;
        if (!ParseLine(line.trimmed(), m)) continue;
        TDriveType type;
        if (!Classify(m, probe, type)) {
            byMountPoint.erase(m.mountPoint);
            continue;
        }
        byMountPoint[m.mountPoint] = type;
    }
    std::vector<TVolume> volumes;
    for (const auto& [mountPoint, type] : byMountPoint) {
        if (probe.IsDirectory && !probe.IsDirectory(mountPoint)) continue;
        volumes.push_back({mountPoint, type});
    }
    return volumes;
}

std::vector<quint64> ParsePseudoDevices(const QByteArray& text) {
    std::vector<quint64> devices;
    for (const QByteArray& line : text.split('\n')) {
        MountLine m;
        if (ParseLine(line.trimmed(), m) && PseudoFileSystems().count(m.type))
            devices.push_back(quint64(makedev(unsigned(m.major), unsigned(m.minor))));
    }
    return devices;
}

TMountInfoVolumes::TMountInfoVolumes(QString mountInfoPath, TMountProbe probe)
    : path_(std::move(mountInfoPath)), probe_(std::move(probe)) {}

QByteArray TMountInfoVolumes::read() const {
    QFile file(path_);
    if (!file.open(QIODevice::ReadOnly)) return {};
    // The kernel's table is small; a runaway file is cut rather than read whole.
    return file.read(16 * 1024 * 1024);
}

std::vector<TVolume> TMountInfoVolumes::Volumes() {
    return ParseMountInfo(read(), probe_);
}

std::vector<quint64> TMountInfoVolumes::PseudoDevices() {
    return ParsePseudoDevices(read());
}
