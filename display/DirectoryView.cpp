// TDirectoryView: roots for the machine's volumes, folders filled as nodes
// open, and the search for files by name before a node becomes selected.
#include "DirectoryView.h"

#include "Classes.h"
#include "Forms.h"
#include "SysUtils.h"

#include <QtCore/QCollator>
#include <QtCore/QCoreApplication>
#include <QtCore/QElapsedTimer>
#include <QtCore/QScopeGuard>
#include <QtGui/QKeyEvent>

#include <algorithm>
#include <unordered_map>
#include <unordered_set>
#include <utility>

// The icons live in the display library's resources; a static library must
// register them itself.
static void InitIconResources() {
    static const bool done = [] {
        Q_INIT_RESOURCE(DirectoryView);
        return true;
    }();
    (void)done;
}

namespace {

// Shows the hourglass while a folder is read, whatever happens.
class HourGlass {
public:
    HourGlass() : saved_(Screen ? Screen->Cursor() : crDefault) {
        if (Screen) Screen->SetCursor(crHourGlass);
    }
    ~HourGlass() {
        if (Screen) Screen->SetCursor(saved_);
    }
    HourGlass(const HourGlass&) = delete;
    HourGlass& operator=(const HourGlass&) = delete;

private:
    TCursor saved_;
};

Integer IconOf(TDriveType type) {
    switch (type) {
    case dtDRIVE_REMOVABLE: return TDirectoryView::IconRemovable;
    case dtDRIVE_REMOTE:
    case dtDRIVE_SHAREFOLDER: return TDirectoryView::IconRemote;
    case dtDRIVE_CDROM: return TDirectoryView::IconCDROM;
    default: return TDirectoryView::IconFixed;
    }
}

void SetIcon(TTreeNode* node, Integer icon) {
    node->SetImageIndex(icon);
    node->SetSelectedIndex(icon);
}

// Case-insensitive order of names, code points breaking ties.
bool NameBefore(const QString& a, const QString& b) {
    const int c = a.compare(b, Qt::CaseInsensitive);
    return c != 0 ? c < 0 : a < b;
}

// Notes an Esc pressed anywhere in the program while it lives, and keeps
// that key from going further.
class EscapeWatch : public QObject {
public:
    EscapeWatch() { QCoreApplication::instance()->installEventFilter(this); }
    bool Pressed() const { return pressed_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
            pressed_ = true;
            return true;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    bool pressed_ = false;
};

// The "*" walk gives the window its events after working at least
// kWalkSliceMs, and at least kWalkPerEventTime times as long as the window
// last took over them: laying out a large tree again stays a small share of
// the walk.
constexpr qint64 kWalkSliceMs = 50;
constexpr qint64 kWalkPerEventTime = 8;

// Folder names in the order the tree shows them.
const QCollator& NameCollator() {
    static const QCollator collator(QLocale(QLocale::Japanese, QLocale::Japan));
    return collator;
}

}  // namespace

// The nodes the "*" walk has still to open, the next on top, and which
// folder each node it may open or has opened is, with whether it has
// filled the node and not yet opened it (opening it then reads it no
// second time). A node that is deleted meanwhile (a rebuild, a folder
// filled again) leaves both.
struct TDirectoryView::Walk {
    struct Folder {
        TFolderId id;
        bool filled = false;
    };
    std::vector<TTreeNode*> stack;
    std::unordered_set<TTreeNode*> pending;
    std::unordered_map<TTreeNode*, Folder> folders;
    bool stopped = false;

    void Push(TTreeNode* node) {
        stack.push_back(node);
        pending.insert(node);
    }
    // The children that can open, the first on top.
    void PushChildren(TTreeNode* node) {
        for (Integer i = node->Count() - 1; i >= 0; --i) {
            if (node->Item(i)->HasChildren()) Push(node->Item(i));
        }
    }
    TTreeNode* Pop() {
        while (!stack.empty()) {
            TTreeNode* node = stack.back();
            stack.pop_back();
            if (pending.erase(node)) return node;
        }
        return nullptr;
    }
};

TDirectoryView::TDirectoryView(TComponent* AOwner)
    : TCustomTreeView(AOwner),
      domainList_(std::make_unique<TStringList>()),
      imageList_(std::make_unique<TImageList>()),
      volumes_(std::make_shared<TMountInfoVolumes>()),
      lister_(std::make_shared<TFileSystemLister>()) {
    SetReadOnly(true);
    SetImageSize(16);
}

TDirectoryView::~TDirectoryView() {
    SetImages(nullptr);
}

void TDirectoryView::SetAttributes(TAttributes attributes) {
    if (attributes == attributes_) return;
    attributes_ = attributes;
    mask_ = ::AttributeMask(attributes);
}

TStrings* TDirectoryView::DomainList() const {
    return domainList_.get();
}

void TDirectoryView::SetDomainList(TStrings* list) {
    domainList_->SetText(list ? list->Text().toUpper() : QString());
}

void TDirectoryView::SetImageSize(Integer size) {
    imageSize_ = std::clamp(size, 8, 64);
    loadIcons();
}

void TDirectoryView::loadIcons() {
    InitIconResources();
    imageList_->SetWidth(imageSize_);
    imageList_->SetHeight(imageSize_);
    imageList_->Clear();
    for (Integer i = 0; i <= 8; ++i) {
        TBitmap icon;
        icon.LoadFromResourceName(0, Format(QStringLiteral("BITMAP%.2d"), {i}));
        std::unique_ptr<TBitmap> scaled(ResampleBitmap(&icon, imageList_->Width(), imageList_->Height(), nullptr));
        imageList_->Add(scaled.get(), scaled.get());
    }
    SetImages(imageList_.get());
}

void TDirectoryView::SetSearchFile(const QString& patterns) {
    if (patterns == searchFile_) return;
    searchFile_ = patterns;
    if (Selected()) CanChange(Selected());
}

// ---- building

void TDirectoryView::BuildDriveList(bool Flag) {
    driveListBuilt_ = Flag;
    if (ComponentState().Contains(csDesigning)) return;
    if (walk_) walk_->stopped = true;
    HourGlass busy;
    Items()->Clear();
    rootPaths_.clear();
    pseudoDevices_ = volumes_->PseudoDevices();
    for (const TVolume& volume : volumes_->Volumes()) {
        if (!driveType_.Contains(volume.Type)) continue;
        rootPaths_.push_back(std::make_unique<QString>(volume.MountPoint));
        TTreeNode* root =
            Items()->AddObject(nullptr, QStringLiteral("[%1]").arg(volume.MountPoint), rootPaths_.back().get());
        SetIcon(root, IconOf(volume.Type));
    }
    // No network shares are listed on this system: dtDRIVE_SHAREFOLDER adds no roots.
    for (TTreeNode* root = Items()->GetFirstNode(); root; root = root->getNextSibling()) fillFolders(root, NodePath(root));
    driveListBuilt_ = true;
}

QString TDirectoryView::NodePath(TTreeNode* node) const {
    QString path;
    for (; node; node = node->Parent()) {
        if (!node->Parent() && node->Data()) {
            QString root = *static_cast<const QString*>(node->Data());
            if (!root.endsWith(u'/')) root += u'/';
            return root + path;
        }
        path = node->Text() + u'/' + path;
    }
    return path;
}

// The folders in path that pass the mask; folder learns which folder path is.
std::vector<TDirEntry> TDirectoryView::listFolders(const QString& path, TFolderId& folder) {
    std::vector<TDirEntry> folders;
    for (TDirEntry& entry : lister_->List(path, &folder)) {
        if ((entry.Attr & faDirectory) && PassesMask(entry.Attr, mask_)) folders.push_back(std::move(entry));
    }
    return folders;
}

// The folders as the node's children, in place of those it had.
void TDirectoryView::addFolders(TTreeNode* node, std::vector<TDirEntry> folders) {
    node->DeleteChildren();
    // One sort of the names, then the nodes in that order: no re-sorting of a large folder.
    std::vector<std::pair<QCollatorSortKey, size_t>> keys;
    keys.reserve(folders.size());
    for (size_t i = 0; i < folders.size(); ++i) keys.emplace_back(NameCollator().sortKey(folders[i].Name), i);
    std::stable_sort(keys.begin(), keys.end(), [](const auto& a, const auto& b) { return a.first.compare(b.first) < 0; });
    Items()->BeginUpdate();
    for (const auto& key : keys) SetIcon(Items()->AddChild(node, folders[key.second].Name), IconFolder);
    Items()->EndUpdate();
}

// The folders of path as the node's children; returns which folder path is.
TFolderId TDirectoryView::fillFolders(TTreeNode* node, const QString& path) {
    TFolderId folder;
    addFolders(node, listFolders(path, folder));
    return folder;
}

// Whether the "*" walk opens a folder below where it started: not one on a
// pseudo file system, nor one whose file system cannot be told (it is gone).
bool TDirectoryView::walkable(TTreeNode* node) {
    if (pseudoDevices_.empty()) return true;
    const TFolderId id = idOf(node);
    return id.Known() && std::find(pseudoDevices_.begin(), pseudoDevices_.end(), id.Device) == pseudoDevices_.end();
}

// ---- node checks

bool TDirectoryView::CanExpand(TTreeNode* Node) {
    TCustomTreeView::CanExpand(Node);
    HourGlass busy;
    const QString path = NodePath(Node);
    readFolders(Node, path);
    const std::vector<TFolderId> line = lineOf(Node);
    // By index: a sibling walk would search the child list at every step.
    for (Integer i = 0; i < Node->Count(); ++i) {
        TTreeNode* child = Node->Item(i);
        TFolderId id;
        std::vector<TDirEntry> folders = listFolders(path + child->Text() + u'/', id);
        // A child that is this folder or one above it stays empty: opening
        // it would only lead back up.
        if (id.Known() && std::find(line.begin(), line.end(), id) != line.end()) continue;
        addFolders(child, std::move(folders));
        // Only a node with children opens or has nodes below it.
        if (walk_ && child->HasChildren()) walk_->folders[child] = {id, true};
    }
    if (Node->Level() > 0) SetIcon(Node, IconOpenFolder);
    return true;
}

// The node's folders read afresh, unless the "*" walk has just read them.
void TDirectoryView::readFolders(TTreeNode* node, const QString& path) {
    if (!walk_) {
        fillFolders(node, path);
        return;
    }
    Walk::Folder& folder = walk_->folders[node];
    if (!std::exchange(folder.filled, false)) folder.id = fillFolders(node, path);
}

// Which folder the node and each node above it is, the node first.
std::vector<TFolderId> TDirectoryView::lineOf(TTreeNode* node) {
    std::vector<TFolderId> line;
    for (; node; node = node->Parent()) line.push_back(idOf(node));
    return line;
}

// Which folder a node is: as the "*" walk learnt it, else looked up now.
TFolderId TDirectoryView::idOf(TTreeNode* node) {
    if (!walk_) return lister_->Identify(NodePath(node));
    const auto [it, added] = walk_->folders.try_emplace(node);
    if (added) it->second.id = lister_->Identify(NodePath(node));
    return it->second.id;
}

void TDirectoryView::ExpandBranch(TTreeNode* Node) {
    if (walk_) return;
    const auto alive = Guard();
    HourGlass busy;
    EscapeWatch escape;
    Walk walk;
    walk_ = &walk;
    const auto done = qScopeGuard([&] {
        if (!alive.expired()) walk_ = nullptr;
    });
    walk.Push(Node);
    QElapsedTimer slice;
    qint64 sliceMs = 0;
    while (TTreeNode* node = walk.Pop()) {
        if (node == Node || walkable(node)) {
            node->SetExpanded(true);
            walk.PushChildren(node);
        }
        if (!slice.isValid() || slice.elapsed() >= sliceMs) {
            slice.start();
            Application->ProcessMessages();
            if (alive.expired()) return;
            sliceMs = std::max(kWalkSliceMs, kWalkPerEventTime * slice.restart());
        }
        if (escape.Pressed() || walk.stopped) return;
    }
}

void TDirectoryView::Delete(TTreeNode* Node) {
    TCustomTreeView::Delete(Node);
    if (!walk_) return;
    walk_->pending.erase(Node);
    walk_->folders.erase(Node);
}

bool TDirectoryView::CanCollapse(TTreeNode* Node) {
    TCustomTreeView::CanCollapse(Node);
    if (Node->Level() > 0) SetIcon(Node, IconFolder);
    return true;
}

bool TDirectoryView::CanChange(TTreeNode* Node) {
    TCustomTreeView::CanChange(Node);
    if (Node) search(Node);
    return true;
}

void TDirectoryView::search(TTreeNode* node) {
    directory_ = NodePath(node);
    fileName_.clear();
    TStringList patterns;
    SplitList(searchFile_, u';', &patterns);
    std::vector<TDirEntry> entries;
    bool listed = false;
    bool found = false;
    for (Integer i = 0; i < patterns.Count(); ++i) {
        const QString pattern = patterns.Get(i);
        if (pattern.isEmpty()) continue;
        if (!listed) {
            entries = lister_->List(directory_, nullptr);
            listed = true;
        }
        const QString* first = nullptr;
        for (const TDirEntry& entry : entries) {
            if (PassesMask(entry.Attr, mask_) && MatchesWildcard(pattern, entry.Name) &&
                (!first || NameBefore(entry.Name, *first)))
                first = &entry.Name;
        }
        if (!first) continue;
        if (!fileName_.isEmpty()) fileName_ += u';';
        fileName_ += *first;
        found = true;
    }
    if (found && OnFind) OnFind(this, directory_, fileName_);
}
