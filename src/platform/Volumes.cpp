#include "platform/Volumes.h"

#include <QSet>
#include <QStorageInfo>
#include <algorithm>

namespace platform {

namespace {

std::optional<QList<Volume>> &overrideVolumes()
{
    static std::optional<QList<Volume>> volumes;
    return volumes;
}

// Kernel and memory file systems hold no user files worth sorting.
bool isPseudoFileSystem(const QByteArray &type)
{
    static const QSet<QByteArray> pseudo = {
        "proc",     "sysfs",    "cgroup",     "cgroup2",   "devpts",      "devtmpfs",
        "tmpfs",    "ramfs",    "securityfs", "pstore",    "bpf",         "debugfs",
        "tracefs",  "configfs", "fusectl",    "mqueue",    "hugetlbfs",   "autofs",
        "binfmt_misc", "efivarfs", "selinuxfs", "rpc_pipefs", "nsfs",     "squashfs",
        "fuse.gvfsd-fuse", "fuse.portal"};
    return pseudo.contains(type);
}

bool liesUnder(const QString &path, const QString &mountPoint)
{
    if (mountPoint == kRootVolume)
        return path.startsWith(QLatin1Char('/'));
    return path == mountPoint || path.startsWith(mountPoint + QLatin1Char('/'));
}

} // namespace

QList<Volume> mountedVolumes()
{
    if (overrideVolumes())
        return *overrideVolumes();
    QList<Volume> volumes;
    bool haveRoot = false;
    for (const QStorageInfo &storage : QStorageInfo::mountedVolumes()) {
        const QString mountPoint = storage.rootPath();
        const bool root = mountPoint == kRootVolume;
        if (!storage.isValid() || (!root && isPseudoFileSystem(storage.fileSystemType())))
            continue;
        haveRoot = haveRoot || root;
        volumes.append({mountPoint, storage.name(), storage.isReady()});
    }
    if (!haveRoot)
        volumes.append({kRootVolume, QString(), true});
    std::sort(volumes.begin(), volumes.end(),
              [](const Volume &a, const Volume &b) { return a.mountPoint < b.mountPoint; });
    return volumes;
}

void setVolumesOverride(std::optional<QList<Volume>> volumes)
{
    overrideVolumes() = std::move(volumes);
}

QString volumeOf(const QString &path)
{
    QString best = kRootVolume;
    for (const Volume &volume : mountedVolumes()) {
        if (liesUnder(path, volume.mountPoint) && volume.mountPoint.size() > best.size())
            best = volume.mountPoint;
    }
    return best;
}

bool volumeIsReady(const QString &mountPoint)
{
    if (overrideVolumes()) {
        const auto &volumes = *overrideVolumes();
        const auto found = std::find_if(volumes.begin(), volumes.end(), [&](const Volume &volume) {
            return volume.mountPoint == mountPoint;
        });
        return found != volumes.end() && found->ready;
    }
    const QStorageInfo storage(mountPoint);
    return storage.isValid() && storage.isReady() && storage.rootPath() == mountPoint;
}

} // namespace platform
