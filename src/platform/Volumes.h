#pragma once

#include <QList>
#include <QString>
#include <optional>

namespace platform {

// A mounted file system, the Linux counterpart of a drive.
struct Volume {
    QString mountPoint;
    QString label;
    bool ready = true;

    bool operator==(const Volume &) const = default;
};

// The mounted volumes that hold real files, sorted by mount point; the root volume "/" is
// always among them.
QList<Volume> mountedVolumes();

// Tests give the volumes the mount table lists; no value restores the real table.
void setVolumesOverride(std::optional<QList<Volume>> volumes);

// The mount point of the volume that holds path: the longest mount point it lies under.
QString volumeOf(const QString &path);

// False when the volume is gone or has no medium.
bool volumeIsReady(const QString &mountPoint);

inline const QString kRootVolume = QStringLiteral("/");

} // namespace platform
