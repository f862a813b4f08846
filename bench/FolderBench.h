// What the folder-tree benchmarks share: a tree view over one folder, and
// the listing filters that match the tree's full attribute mask.
#pragma once

#include "DirectoryView.h"

#include <QtCore/QDir>

#include <vector>

namespace bench {

// One volume: the folder given, so the tree shows only it.
class OneVolume : public TVolumeSource {
public:
    explicit OneVolume(QString path) : path_(std::move(path)) {}
    std::vector<TVolume> Volumes() override { return {{path_, dtDRIVE_FIXED}}; }

private:
    QString path_;
};

// Hidden and system entries included, sorted by name regardless of case.
constexpr QDir::Filters kFolders = QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System;
constexpr QDir::Filters kEntries = QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System;
constexpr QDir::SortFlags kSort = QDir::Name | QDir::IgnoreCase;

}  // namespace bench
