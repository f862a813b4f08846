// The mount table parser on fixture tables and on this machine, checked
// against findmnt and lsblk.
#include "DirectoryView.h"

#include <QtCore/QDir>
#include <QtCore/QFile>
#include <QtCore/QJsonArray>
#include <QtCore/QJsonDocument>
#include <QtCore/QJsonObject>
#include <QtCore/QProcess>
#include <QtCore/QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>

#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace {

// Block devices 8:16 and 8:17 (a USB stick and its partition) are removable;
// /etc/hosts is a file mounted over a file.
TMountProbe FixtureProbe() {
    TMountProbe probe;
    probe.IsRemovable = [](Integer major, Integer minor) { return major == 8 && (minor == 16 || minor == 17); };
    probe.IsDirectory = [](const QString& path) { return path != QStringLiteral("/etc/hosts"); };
    return probe;
}

std::map<QString, TDriveType> ByMountPoint(const std::vector<TVolume>& volumes) {
    std::map<QString, TDriveType> map;
    for (const TVolume& v : volumes) map[v.MountPoint] = v.Type;
    return map;
}

const char kFixture[] =
    "22 27 0:21 / /proc rw,relatime - proc proc rw\n"
    "23 27 0:22 / /sys rw,relatime - sysfs sysfs rw\n"
    "27 1 0:50 / / rw,relatime master:1 - overlay overlay rw,lowerdir=/a,upperdir=/b\n"
    "28 27 0:6 / /dev rw,relatime - devtmpfs devtmpfs rw\n"
    "29 28 0:26 / /dev/pts rw,relatime - devpts devpts rw\n"
    "30 27 0:27 / /run rw,nosuid shared:5 - tmpfs tmpfs rw,size=100k\n"
    "31 27 0:28 / /mnt/ram rw - ramfs ramfs rw\n"
    "32 27 0:40 / /mnt/nfs rw shared:7 - nfs4 server:/export rw,vers=4.2\n"
    "33 27 0:41 / /mnt/smb rw - cifs //srv/share rw\n"
    "34 27 0:42 / /home/u/remote rw - fuse.sshfs u@host:/ rw\n"
    "35 27 7:0 / /media/iso ro - iso9660 /dev/loop0 ro\n"
    "36 27 11:0 / /media/cd ro - udf /dev/sr0 ro\n"
    "37 27 8:17 / /media/USB\\040STICK rw,nosuid shared:9 - vfat /dev/sdb1 rw\n"
    "38 27 8:2 /data /srv/data rw - ext4 /dev/sda2 rw\n"
    "39 27 8:2 / /data rw - ext4 /dev/sda2 rw\n"
    "40 27 8:3 / /home rw - btrfs /dev/sda3 rw\n"
    "41 40 0:29 / /home rw - tmpfs tmpfs rw\n"
    "42 27 8:2 /etc/hosts /etc/hosts rw - ext4 /dev/sda2 rw\n"
    "43 23 0:30 / /sys/fs/cgroup rw - cgroup2 cgroup2 rw\n"
    "44 27 8:4 / /mnt/over rw - ext4 /dev/sda4 rw\n"
    "45 44 0:31 / /mnt/over rw - proc proc rw\n"
    "46 27 8:5 / /mnt/tab\\011and\\134slash rw - xfs /dev/sda5 rw\n"
    "this line is not a mount\n"
    "47 27 x:y / /broken rw - ext4 /dev/sda6 rw\n"
    "48 27 8:7 / /no-type rw\n"
    "49 27 8:8 / relative rw - ext4 /dev/sda8 rw\n";

}  // namespace

TEST(MountInfo, ClassifiesEveryKindOfMountAndSkipsPseudoFileSystems) {
    const auto volumes = ParseMountInfo(kFixture, FixtureProbe());
    const std::map<QString, TDriveType> expected = {
        {"/", dtDRIVE_FIXED},                  // overlay root
        {"/run", dtDRIVE_RAMDISK},             // tmpfs
        {"/mnt/ram", dtDRIVE_RAMDISK},         // ramfs
        {"/mnt/nfs", dtDRIVE_REMOTE},          // NFS
        {"/mnt/smb", dtDRIVE_REMOTE},          // CIFS
        {"/home/u/remote", dtDRIVE_REMOTE},    // sshfs
        {"/media/iso", dtDRIVE_CDROM},         // ISO image on a loop device
        {"/media/cd", dtDRIVE_CDROM},          // optical drive
        {"/media/USB STICK", dtDRIVE_REMOVABLE},
        {"/srv/data", dtDRIVE_FIXED},          // bind mount of a folder
        {"/data", dtDRIVE_FIXED},
        {"/home", dtDRIVE_RAMDISK},            // the tmpfs mounted over the btrfs
        {"/mnt/tab\tand\\slash", dtDRIVE_FIXED},
    };
    EXPECT_EQ(ByMountPoint(volumes), expected);
    // Sorted by mount point, each once.
    ASSERT_EQ(volumes.size(), expected.size());
    for (size_t i = 1; i < volumes.size(); ++i) EXPECT_LT(volumes[i - 1].MountPoint, volumes[i].MountPoint);
}

TEST(MountInfo, PseudoFileSystemsAreKnownByTheirDevices) {
    std::vector<quint64> devices = ParsePseudoDevices(kFixture);
    std::sort(devices.begin(), devices.end());
    // proc (0:21, and 0:31 over /mnt/over), sysfs 0:22, devtmpfs 0:6, devpts 0:26, cgroup2 0:30.
    std::vector<quint64> expected;
    for (unsigned minor : {6u, 21u, 22u, 26u, 30u, 31u}) expected.push_back(quint64(makedev(0u, minor)));
    EXPECT_EQ(devices, expected);
    // On this machine /proc is one of them.
    struct stat proc {};
    if (stat("/proc/self", &proc) != 0) GTEST_SKIP() << "no /proc here";
    const std::vector<quint64> here = TMountInfoVolumes().PseudoDevices();
    EXPECT_NE(std::find(here.begin(), here.end(), quint64(proc.st_dev)), here.end());
}

TEST(MountInfo, EmptyAndGarbageTablesGiveNoVolumes) {
    EXPECT_TRUE(ParseMountInfo(QByteArray(), FixtureProbe()).empty());
    EXPECT_TRUE(ParseMountInfo(QByteArray("\n\n - - - -\n1 2 3\n\\\\\\ - x\n", 21), FixtureProbe()).empty());
    // A cut escape stays as it is.
    const auto volumes = ParseMountInfo("1 1 8:1 / /a\\04 rw - ext4 /dev/sda1 rw\n", FixtureProbe());
    ASSERT_EQ(volumes.size(), 1u);
    EXPECT_EQ(volumes[0].MountPoint, QStringLiteral("/a\\04"));
    EXPECT_TRUE(TMountInfoVolumes(QStringLiteral("/nonexistent/mountinfo"), FixtureProbe()).Volumes().empty());
}

TEST(MountInfo, ReadsTheRemovableFlagOfADiskAndOfItsPartitionsInSysfs) {
    QTemporaryDir sys;
    const QDir root(sys.path());
    ASSERT_TRUE(root.mkpath(QStringLiteral("devices/usb/block/sdb/sdb1")));
    ASSERT_TRUE(root.mkpath(QStringLiteral("devices/pci/block/sda")));
    ASSERT_TRUE(root.mkpath(QStringLiteral("dev/block")));
    const auto write = [&](const QString& name, const QByteArray& text) {
        QFile file(root.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
    };
    write(QStringLiteral("devices/usb/block/sdb/removable"), "1\n");
    write(QStringLiteral("devices/usb/block/sdb/sdb1/partition"), "1\n");
    write(QStringLiteral("devices/pci/block/sda/removable"), "0\n");
    ASSERT_TRUE(QFile::link(QStringLiteral("../../devices/usb/block/sdb"), root.filePath(QStringLiteral("dev/block/8:16"))));
    ASSERT_TRUE(QFile::link(QStringLiteral("../../devices/usb/block/sdb/sdb1"), root.filePath(QStringLiteral("dev/block/8:17"))));
    ASSERT_TRUE(QFile::link(QStringLiteral("../../devices/pci/block/sda"), root.filePath(QStringLiteral("dev/block/8:0"))));
    const TMountProbe probe = SystemMountProbe(sys.path());
    EXPECT_TRUE(probe.IsRemovable(8, 16));
    EXPECT_TRUE(probe.IsRemovable(8, 17));
    EXPECT_FALSE(probe.IsRemovable(8, 0));
    EXPECT_FALSE(probe.IsRemovable(9, 9));  // no such device
    const auto volumes = ParseMountInfo("1 1 8:17 / / rw - vfat /dev/sdb1 rw\n"
                                        "2 1 8:0 / /tmp rw - ext4 /dev/sda rw\n",
                                        probe);
    EXPECT_EQ(ByMountPoint(volumes), (std::map<QString, TDriveType>{{"/", dtDRIVE_REMOVABLE}, {"/tmp", dtDRIVE_FIXED}}));
}

// On this machine: the same mount points as findmnt reports for real file
// systems, RAM disks where findmnt sees tmpfs, and removable volumes where
// lsblk sees a removable device.
TEST(MountInfo, AgreesWithFindmntAndLsblkOnThisMachine) {
    QProcess findmnt;
    findmnt.start(QStringLiteral("findmnt"), {"-J", "-l", "-o", "TARGET,FSTYPE,MAJ:MIN"});
    if (!findmnt.waitForFinished(20000) || findmnt.exitCode() != 0) GTEST_SKIP() << "findmnt is not available";
    const QJsonArray mounts = QJsonDocument::fromJson(findmnt.readAllStandardOutput())["filesystems"].toArray();
    ASSERT_FALSE(mounts.isEmpty());

    std::set<QString> removableDevices;
    QProcess lsblk;
    lsblk.start(QStringLiteral("lsblk"), {"-J", "-o", "NAME,RM,TYPE,MAJ:MIN,MOUNTPOINT"});
    if (lsblk.waitForFinished(20000) && lsblk.exitCode() == 0) {
        std::function<void(const QJsonArray&, bool)> walk = [&](const QJsonArray& devices, bool parentRemovable) {
            for (const auto& d : devices) {
                const QJsonObject o = d.toObject();
                const bool rm = parentRemovable || o["rm"].toBool() || o["rm"].toString() == "1";
                if (rm) removableDevices.insert(o["maj:min"].toString());
                walk(o["children"].toArray(), rm);
            }
        };
        walk(QJsonDocument::fromJson(lsblk.readAllStandardOutput())["blockdevices"].toArray(), false);
    }

    const std::set<QString> pseudo = {"proc",   "sysfs",   "cgroup",  "cgroup2",  "devpts",    "mqueue",     "autofs",
                                      "debugfs", "tracefs", "securityfs", "pstore", "bpf",     "configfs",   "fusectl",
                                      "hugetlbfs", "binfmt_misc", "devtmpfs", "nsfs", "efivarfs", "rpc_pipefs",
                                      "selinuxfs", "nfsd", "fuse.portal", "fuse.gvfsd-fuse", "fuse.lxcfs"};
    std::map<QString, std::pair<QString, QString>> last;  // target -> fstype, maj:min of its last mount
    for (const auto& m : mounts) {
        const QJsonObject o = m.toObject();
        last[o["target"].toString()] = {o["fstype"].toString(), o["maj:min"].toString()};
    }
    std::map<QString, TDriveType> expected;
    for (const auto& [target, mount] : last) {
        const auto& [type, device] = mount;
        if (pseudo.count(type) || !QFileInfo(target).isDir()) continue;
        expected[target] = type == "tmpfs" || type == "ramfs"        ? dtDRIVE_RAMDISK
                           : type.startsWith("nfs") || type == "cifs" || type == "smb3" || type == "fuse.sshfs" ||
                                   type == "9p" || type == "ceph"
                               ? dtDRIVE_REMOTE
                           : type == "iso9660" || type == "udf" ? dtDRIVE_CDROM
                           : removableDevices.count(device)     ? dtDRIVE_REMOVABLE
                                                                : dtDRIVE_FIXED;
    }
    const auto ours = ByMountPoint(TMountInfoVolumes().Volumes());
    EXPECT_EQ(ours, expected);
    EXPECT_TRUE(ours.count(QStringLiteral("/")));
}

// A mount point whose name is not valid UTF-8 is kept, and its path turns
// back into the same bytes.
TEST(MountInfo, KeepsAMountPointNamedWithBytesThatAreNotUtf8) {
    QTemporaryDir dir;
    const QByteArray point = EncodeFileName(dir.path()) + "/vol\xff";
    ASSERT_EQ(mkdir(point.constData(), 0755), 0);
    const auto volumes = ParseMountInfo("1 1 0:99 / " + point + " rw - ext4 /dev/sdz1 rw\n", SystemMountProbe());
    ASSERT_EQ(volumes.size(), 1u);
    EXPECT_EQ(EncodeFileName(volumes[0].MountPoint), point);
}
