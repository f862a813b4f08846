// The mount table parser on any text: no crash, the volumes come out
// sorted, each mount point once and absolute, and no more pseudo file
// systems than lines.
#include "DirectoryView.h"
#include "FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TMountProbe probe;
    probe.IsRemovable = [](Integer major, Integer minor) { return (major + minor) % 2 == 1; };
    probe.IsDirectory = [](const QString& path) { return !path.endsWith(u'x'); };
    const QByteArray text(reinterpret_cast<const char*>(data), qsizetype(size));
    const auto volumes = ParseMountInfo(text, probe);
    FUZZ_CHECK(ParsePseudoDevices(text).size() <= size_t(text.count('\n')) + 1, "more pseudo file systems than lines");
    for (size_t i = 0; i < volumes.size(); ++i) {
        FUZZ_CHECK(volumes[i].MountPoint.startsWith(u'/'), "relative mount point %s",
                   qPrintable(volumes[i].MountPoint));
        FUZZ_CHECK(!volumes[i].MountPoint.endsWith(u'x'), "a mount point that is no folder: %s",
                   qPrintable(volumes[i].MountPoint));
        FUZZ_CHECK(i == 0 || volumes[i - 1].MountPoint < volumes[i].MountPoint, "volumes out of order at %zu", i);
    }
    return 0;
}
