#pragma once

#include <QList>
#include <QString>

namespace catalogue {

// One destination: its name, the group it belongs to, the directory files are sent to, and a
// shortcut that is carried along but never used.
struct AreaRecord {
    QString name;
    QString group;
    QString path;
    QString shortcut;

    bool operator==(const AreaRecord &) const = default;
};

using AreaArchive = QList<AreaRecord>;

} // namespace catalogue
