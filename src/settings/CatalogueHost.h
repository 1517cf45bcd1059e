#pragma once

#include "catalogue/AreaRecord.h"

#include <QStringList>
#include <optional>

namespace settings {

// What the group and area editors need of the main window: its group selector, its area
// archive, and its reloading of both after the catalogue files changed.
class CatalogueHost {
public:
    virtual ~CatalogueHost() = default;

    // The selector's groups in file order, and the one it shows (none when nothing is chosen).
    virtual QStringList groupNames() const = 0;
    virtual std::optional<QString> shownGroup() const = 0;
    // Chooses the first group of that name and lists its areas.
    virtual void showGroup(const QString &group) = 0;
    virtual const catalogue::AreaArchive &areaArchive() const = 0;
    // Reads the areas file again and lists the shown group's areas.
    virtual void reloadAreas() = 0;
    // Reads both files again (the palette follows the groups) and shows the group of that name
    // when there still is one.
    virtual void reloadCatalogue(const std::optional<QString> &groupToShow) = 0;
};

} // namespace settings
