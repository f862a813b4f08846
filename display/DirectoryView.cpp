// TDirectoryView: roots for the machine's volumes, folders filled as nodes
// open, and the search for files by name before a node becomes selected.
#include "DirectoryView.h"

#include "Classes.h"
#include "Forms.h"
#include "SysUtils.h"

#include <QtCore/QCollator>

#include <algorithm>

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

}  // namespace

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
    HourGlass busy;
    Items()->Clear();
    rootPaths_.clear();
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

void TDirectoryView::fillFolders(TTreeNode* node, const QString& path) {
    node->DeleteChildren();
    std::vector<QString> names;
    for (TDirEntry& entry : lister_->List(path)) {
        if ((entry.Attr & faDirectory) && PassesMask(entry.Attr, mask_)) names.push_back(std::move(entry.Name));
    }
    // One sort of the names, then the nodes in that order: no re-sorting of a large folder.
    QCollator collator(QLocale(QLocale::Japanese, QLocale::Japan));
    std::vector<std::pair<QCollatorSortKey, size_t>> keys;
    keys.reserve(names.size());
    for (size_t i = 0; i < names.size(); ++i) keys.emplace_back(collator.sortKey(names[i]), i);
    std::stable_sort(keys.begin(), keys.end(), [](const auto& a, const auto& b) { return a.first.compare(b.first) < 0; });
    Items()->BeginUpdate();
    for (const auto& key : keys) SetIcon(Items()->AddChild(node, names[key.second]), IconFolder);
    Items()->EndUpdate();
}

// ---- node checks

bool TDirectoryView::CanExpand(TTreeNode* Node) {
    TCustomTreeView::CanExpand(Node);
    HourGlass busy;
    fillFolders(Node, NodePath(Node));
    // By index: a sibling walk would search the child list at every step.
    for (Integer i = 0; i < Node->Count(); ++i) fillFolders(Node->Item(i), NodePath(Node->Item(i)));
    if (Node->Level() > 0) SetIcon(Node, IconOpenFolder);
    return true;
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
            entries = lister_->List(directory_);
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
