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

// The volumes the mount table lists. In a chroot, and in sandboxes, it may leave out "/".
QList<Volume> listedVolumes()
{
    if (overrideVolumes())
        return *overrideVolumes();
    QList<Volume> volumes;
    for (const QStorageInfo &storage : QStorageInfo::mountedVolumes()) {
        const QString mountPoint = storage.rootPath();
        if (storage.isValid() && (mountPoint == kRootVolume || !isPseudoFileSystem(storage.fileSystemType())))
            volumes.append({mountPoint, storage.name(), storage.isReady()});
    }
    return volumes;
}

} // namespace

QList<Volume> mountedVolumes()
{
    QList<Volume> volumes = listedVolumes();
    // The root file system always exists, listed or not.
    const auto isRoot = [](const Volume &volume) { return volume.mountPoint == kRootVolume; };
    if (std::none_of(volumes.begin(), volumes.end(), isRoot))
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
    const QList<Volume> volumes = mountedVolumes();
    const auto found = std::find_if(volumes.begin(), volumes.end(),
                                    [&](const Volume &volume) { return volume.mountPoint == mountPoint; });
    return found != volumes.end() && found->ready;
}

} // namespace platform
