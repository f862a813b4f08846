// Folder tree view of the machine's volumes with a file search, and the
// bitmap resampler that scales its icons.
#pragma once

#include "ComCtrls.h"
#include "Graphics.h"

#include <functional>
#include <memory>
#include <vector>

class TProgressBar;
class TStrings;
class TStringList;

// A smoothly scaled 24-bit copy of Source at NewWidth x NewHeight, owned by
// the caller: each pixel is the average, over the source area it covers, of
// the bilinear surface through the source pixel centres. Progress (may be
// nil) steps once per destination row. An empty source raises
// EAssertionFailed; sizes below 1 raise EInvalidGraphic.
TBitmap* ResampleBitmap(TBitmap* Source, Integer NewWidth, Integer NewHeight, TProgressBar* Progress);

enum TDriveType { dtDRIVE_REMOVABLE, dtDRIVE_FIXED, dtDRIVE_REMOTE, dtDRIVE_CDROM, dtDRIVE_RAMDISK, dtDRIVE_SHAREFOLDER };
using TDriveTypes = Set<TDriveType>;
enum TAttribute { atReadOnly, atHidden, atSysFile, atDirectory, atArchive };
using TAttributes = Set<TAttribute>;

// File attribute bits of the search mask.
constexpr Integer faReadOnly = 1, faHidden = 2, faSysFile = 4, faDirectory = 16, faArchive = 32;
// The mask of a set of attributes (55 for all five).
Integer AttributeMask(TAttributes attributes);

// ------------------------------------------------------------ volumes

// A mounted file system that can become a root of the tree.
struct TVolume {
    QString MountPoint;
    TDriveType Type = dtDRIVE_FIXED;
    bool operator==(const TVolume&) const = default;
};

class TVolumeSource {
public:
    virtual ~TVolumeSource() = default;
    // The volumes sorted by mount point, each mount point once.
    virtual std::vector<TVolume> Volumes() = 0;
    // The device numbers of the mounted pseudo file systems (proc, sysfs,
    // devtmpfs, cgroup...), which hold no user folders.
    virtual std::vector<quint64> PseudoDevices() { return {}; }
};

// What the mount table parser asks of the machine.
struct TMountProbe {
    // Whether the block device major:minor (or the disk it is part of) is removable.
    std::function<bool(Integer major, Integer minor)> IsRemovable;
    // Whether a mount point is a folder (files can be mounted too).
    std::function<bool(const QString& path)> IsDirectory;
};

// Reads the sysfs tree under sysRoot and the file system itself.
TMountProbe SystemMountProbe(const QString& sysRoot = QStringLiteral("/sys"));

// The volumes of a mount table in the kernel's mountinfo format: RAM disks
// (tmpfs, ramfs), remote file systems, CD-ROMs, removable block devices and
// other real file systems as fixed; pseudo file systems are left out, an
// over-mounted path counts once with its last mount. Malformed lines are skipped.
std::vector<TVolume> ParseMountInfo(const QByteArray& text, const TMountProbe& probe);
// The device numbers of the pseudo file systems of a mount table.
std::vector<quint64> ParsePseudoDevices(const QByteArray& text);

// The volumes of the process's own mount table.
class TMountInfoVolumes : public TVolumeSource {
public:
    explicit TMountInfoVolumes(QString mountInfoPath = QStringLiteral("/proc/self/mountinfo"),
                               TMountProbe probe = SystemMountProbe());
    std::vector<TVolume> Volumes() override;
    std::vector<quint64> PseudoDevices() override;

private:
    QByteArray read() const;
    QString path_;
    TMountProbe probe_;
};

// ------------------------------------------------------------ folders

// Which folder a path reaches, links followed: its device and inode (an
// inode 0 when unknown).
struct TFolderId {
    quint64 Device = 0;
    quint64 Inode = 0;
    bool Known() const { return Inode != 0; }
    bool operator==(const TFolderId&) const = default;
};

// One entry of a folder with the attribute bits that decide a search:
// faHidden (a leading dot), faDirectory (links followed; a broken link is a
// file) and faSysFile (sockets, pipes and devices).
struct TDirEntry {
    QString Name;
    Integer Attr = 0;
};

// File names as the system stores them (bytes) and as the tree shows them:
// a byte that is not part of valid UTF-8 becomes U+DC80..U+DCFF, which
// turns back into that byte, so such a folder can still be opened.
QString DecodeFileName(QByteArrayView bytes);
QByteArray EncodeFileName(const QString& name);

class TDirectoryLister {
public:
    virtual ~TDirectoryLister() = default;
    // The entries of a folder but "." and "..", in no order; an unreadable
    // or missing folder has none. folder (may be nil) learns which folder
    // was read (unknown when none was).
    virtual std::vector<TDirEntry> List(const QString& path, TFolderId* folder) = 0;
    // The folder a path reaches (unknown here).
    virtual TFolderId Identify(const QString& path) {
        (void)path;
        return {};
    }
};

class TFileSystemLister : public TDirectoryLister {
public:
    std::vector<TDirEntry> List(const QString& path, TFolderId* folder) override;
    TFolderId Identify(const QString& path) override;
};

// Whether an entry passes an attribute mask: hidden, system and directory
// entries need their bit in the mask; read-only and archive never exclude.
bool PassesMask(Integer attr, Integer mask);

// File-name wildcards, case-insensitive: '*' any run, '?' one character;
// "*.*" matches every name, "x.*" also "x"; the empty pattern matches nothing.
bool MatchesWildcard(const QString& pattern, const QString& name);

// Cuts text at separator into list (cleared first); a double-quoted run may
// hold the separator, text right after a quoted run replaces it, the last
// token is always added. Returns the number of entries.
Integer SplitList(const QString& text, QChar separator, TStrings* list);

// ------------------------------------------------------------ the view

using TDVFindEvent = std::function<void(TObject* Sender, const QString& Directory, const QString& FileName)>;

// Roots for the volumes of the wanted types ("[/home]"), folders filled two
// levels deep as nodes open. Before a node becomes selected its folder is
// searched for SearchFile's patterns and OnFind reports the names found.
// A folder that is one of its own ancestors (reached through a link or a
// bind mount) is shown but never filled, so it never opens.
class TDirectoryView : public TCustomTreeView {
public:
    explicit TDirectoryView(TComponent* AOwner);
    ~TDirectoryView() override;

    TDriveTypes DriveType() const { return driveType_; }
    void SetDriveType(TDriveTypes types) { driveType_ = types; }
    TAttributes Attributes() const { return attributes_; }
    void SetAttributes(TAttributes attributes);
    Integer AttributeMask() const { return mask_; }
    // The folder last examined before a change of selection, ending with "/".
    const QString& Directory() const { return directory_; }
    // The names found there, separated by ";".
    const QString& FileName() const { return fileName_; }
    // Network domains, kept in upper case (no network shares are listed here).
    TStrings* DomainList() const;
    void SetDomainList(TStrings* list);
    // Icon size in pixels, 8..64 (other values are brought into that range).
    Integer ImageSize() const { return imageSize_; }
    void SetImageSize(Integer size);
    const QString& SearchFile() const { return searchFile_; }
    void SetSearchFile(const QString& patterns);
    bool DriveListBuilt() const { return driveListBuilt_; }
    // Rebuilds the roots from the volumes (Flag false rebuilds too).
    void BuildDriveList(bool Flag);
    // The folder of a node, ending with "/".
    QString NodePath(TTreeNode* node) const;

    // The machine behind the tree; tests give their own.
    void SetVolumeSource(std::shared_ptr<TVolumeSource> source) { volumes_ = std::move(source); }
    void SetDirectoryLister(std::shared_ptr<TDirectoryLister> lister) { lister_ = std::move(lister); }

    TDVFindEvent OnFind;

    // Icon indices.
    static constexpr Integer IconFixed = 0, IconRemote = 2, IconCDROM = 3, IconFolder = 4, IconOpenFolder = 5,
                             IconRemovable = 8;

protected:
    bool CanChange(TTreeNode* Node) override;
    bool CanExpand(TTreeNode* Node) override;
    bool CanCollapse(TTreeNode* Node) override;
    void Delete(TTreeNode* Node) override;
    // Opens the folders below Node one by one under the hourglass, the
    // window answering between them, until all are open or Esc is pressed.
    // Below Node, folders on pseudo file systems stay closed.
    void ExpandBranch(TTreeNode* Node) override;

private:
    struct Walk;
    void loadIcons();
    std::vector<TDirEntry> listFolders(const QString& path, TFolderId& folder);
    void addFolders(TTreeNode* node, std::vector<TDirEntry> folders);
    TFolderId fillFolders(TTreeNode* node, const QString& path);
    void readFolders(TTreeNode* node, const QString& path);
    std::vector<TFolderId> lineOf(TTreeNode* node);
    TFolderId idOf(TTreeNode* node);
    void search(TTreeNode* node);
    bool walkable(TTreeNode* node);

    std::unique_ptr<TStringList> domainList_;
    std::unique_ptr<TImageList> imageList_;
    std::shared_ptr<TVolumeSource> volumes_;
    std::shared_ptr<TDirectoryLister> lister_;
    std::vector<std::unique_ptr<QString>> rootPaths_;
    std::vector<quint64> pseudoDevices_;
    Walk* walk_ = nullptr;  // the "*" walk under way
    TDriveTypes driveType_{dtDRIVE_FIXED};
    TAttributes attributes_{atReadOnly, atHidden, atSysFile, atDirectory, atArchive};
    Integer mask_ = 55;
    Integer imageSize_ = 0;
    QString directory_;
    QString fileName_;
    QString searchFile_;
    bool driveListBuilt_ = false;
};
