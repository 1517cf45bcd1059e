#pragma once

#include "catalogue/AreaRecord.h"

#include <QStringList>

namespace catalogue {

// Names of areas and groups are unique without regard to letter case.
bool sameNameAnyCase(const QString &a, const QString &b);
bool groupNameTaken(const QStringList &groups, const QString &name);
// Whether another area of the group (exact match) has the name in any letter case; the record
// at exceptRecord, the one being changed, does not count.
bool areaNameTaken(const AreaArchive &archive, const QString &group, const QString &name,
                   qsizetype exceptRecord = -1);

// The groups the editors offer: every group but the empty name, in file order.
QStringList editableGroups(const QStringList &groups);

// Renaming a group renames it in every area record of it; deleting a group deletes its areas.
AreaArchive withGroupRenamed(AreaArchive archive, const QString &from, const QString &to);
AreaArchive withoutGroup(AreaArchive archive, const QString &group);

} // namespace catalogue
