#include "browse/FileUnits.h"

#include <QHash>
#include <algorithm>

namespace browse {

namespace {

bool endsInOneOf(const QString &name, std::initializer_list<const char *> endings)
{
    return std::any_of(endings.begin(), endings.end(), [&](const char *ending) {
        return name.endsWith(QLatin1Char('.') + QLatin1StringView(ending), Qt::CaseInsensitive);
    });
}

bool isPairablePicture(const QString &name)
{
    return endsInOneOf(name, {"jpg", "jpeg", "heic", "heif"});
}

bool isSidecarName(const QString &name)
{
    return endsInOneOf(name, {"xmp", "pp3", "dop"});
}

// The name up to its last dot, folded, as names are compared.
QString foldedBase(const QString &name)
{
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return (dot > 0 ? name.left(dot) : name).toCaseFolded();
}

} // namespace

QStringList FileUnit::members() const
{
    QStringList all{name};
    if (!raw.isEmpty())
        all << raw;
    return all + sidecars;
}

QString FileUnit::rawEnding() const
{
    return raw.isEmpty() ? QString() : raw.mid(raw.lastIndexOf(QLatin1Char('.')));
}

bool isRawName(const QString &name)
{
    return endsInOneOf(name, {"cr2", "cr3", "nef", "arw", "raf", "orf", "rw2", "dng", "pef", "srw"});
}

QList<FileUnit> fileUnits(const QStringList &names, FileKinds kinds, bool rawFiles)
{
    QList<FileUnit> units;
    if (!rawFiles) {
        for (const QString &name : names) {
            if (isListedFileName(name, kinds))
                units.append({name, {}, {}});
        }
    } else {
        QHash<QString, QStringList> byBase;
        for (const QString &name : names) {
            if (isListedFileName(name, kinds) || (isRawName(name) && !name.startsWith(QLatin1Char('.'))))
                byBase[foldedBase(name)] << name;
        }
        for (const QStringList &same : std::as_const(byBase)) {
            const auto raw = std::ranges::find_if(same, isRawName);
            const auto picture = std::ranges::find_if(same, isPairablePicture);
            if (same.size() == 2 && raw != same.end() && picture != same.end())
                units.append({*picture, *raw, {}});
            else
                for (const QString &name : same)
                    units.append({name, {}, {}});
        }
        // A sidecar names a member in full or a unit's base; it joins only a single such unit.
        QHash<QString, QList<qsizetype>> hosts;
        for (qsizetype i = 0; i < units.size(); ++i) {
            QStringList keys{foldedBase(units[i].name)};
            for (const QString &member : units[i].members())
                keys << member.toCaseFolded();
            keys.removeDuplicates();
            for (const QString &key : std::as_const(keys))
                hosts[key] << i;
        }
        for (const QString &name : names) {
            if (!isSidecarName(name))
                continue;
            const QList<qsizetype> found = hosts.value(foldedBase(name));
            if (found.size() == 1)
                units[found.front()].sidecars << name;
        }
    }
    std::ranges::sort(units, [](const FileUnit &a, const FileUnit &b) { return comesBefore(a.name, b.name); });
    for (FileUnit &unit : units)
        sortFileNames(unit.sidecars);
    return units;
}

QString renamedMember(const QString &member, const QString &unitName, const QString &newName)
{
    const auto base = [](const QString &name) {
        const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
        return dot > 0 ? name.left(dot) : name;
    };
    return member == unitName ? newName : base(newName) + member.mid(base(unitName).size());
}

} // namespace browse
