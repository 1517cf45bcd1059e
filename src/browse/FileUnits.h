#pragma once

#include "browse/FileListRules.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace browse {

// One entry of the file list and the files that go wherever it goes.
struct FileUnit {
    QString name;         // the listed name: the picture of a RAW+picture pair, or the file itself
    QString raw;          // the RAW file paired with it, if any
    QStringList sidecars; // editors' files named after a member (.xmp, .pp3, .dop), not listed

    QStringList members() const;
    // What the list shows after the name, in the secondary colour: the pair's RAW ending.
    QString rawEnding() const;
    bool operator==(const FileUnit &) const = default;
};

// Camera RAW files by the end of the name, in any letter case.
bool isRawName(const QString &name);

// The units a folder's names make, in list order. With RAW files, a picture (JPG, JPEG, HEIC,
// HEIF) and a RAW file sharing a base name, letter case ignored, form a pair when they are the
// only two listed files of that base; any other combination stays apart, so nothing is hidden by
// a guess. A sidecar ("IMG_1.xmp" or "IMG_1.CR2.xmp") joins the one unit it names; a sidecar that
// could belong to two units stays where it is. Without RAW files every listed name is a unit.
QList<FileUnit> fileUnits(const QStringList &names, FileKinds kinds, bool rawFiles);

// A member's name once its unit's listed name became newName: the base name changes and each
// member keeps its own ending ("IMG_1.CR2.xmp" for "Beach.JPG" is "Beach.CR2.xmp").
QString renamedMember(const QString &member, const QString &unitName, const QString &newName);

} // namespace browse
