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
        // Pictures that could pair count even when not listed: with one, a pair would be a guess.
        const auto listed = [&](const QString &name) {
            return !name.startsWith(QLatin1Char('.')) && (isListedFileName(name, kinds) || isRawName(name));
        };
        QHash<QString, QStringList> byBase;
        for (const QString &name : names) {
            if (listed(name) || (isPairablePicture(name) && !name.startsWith(QLatin1Char('.'))))
                byBase[foldedBase(name)] << name;
        }
        for (const QStringList &same : std::as_const(byBase)) {
            const auto raw = std::ranges::find_if(same, isRawName);
            const auto picture = std::ranges::find_if(same, isPairablePicture);
            if (same.size() == 2 && raw != same.end() && picture != same.end() && listed(*picture)) {
                units.append({*picture, *raw, {}});
                continue;
            }
            for (const QString &name : same) {
                if (listed(name))
                    units.append({name, {}, {}});
            }
        }
        // A sidecar names a file in full or by its base; it joins a unit only when no other file
        // (listed or not) could be the one it names.
        QHash<QString, QList<qsizetype>> hosts;
        QHash<QString, qsizetype> unitOf;
        for (qsizetype i = 0; i < units.size(); ++i) {
            for (const QString &member : units[i].members())
                unitOf.insert(member, i);
        }
        for (const QString &name : names) {
            if (isSidecarName(name))
                continue;
            const qsizetype unit = unitOf.value(name, -1);
            for (const QString &key : {foldedBase(name), name.toCaseFolded()}) {
                if (!hosts[key].contains(unit))
                    hosts[key] << unit;
            }
        }
        for (const QString &name : names) {
            if (!isSidecarName(name))
                continue;
            const QList<qsizetype> found = hosts.value(foldedBase(name));
            if (found.size() == 1 && found.front() >= 0)
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
    if (member == unitName)
        return newName;
    // Named after the whole name ("IMG_1.JPG.xmp"), it keeps following it.
    if (member.startsWith(unitName + QLatin1Char('.'), Qt::CaseInsensitive))
        return newName + member.mid(unitName.size());
    return base(newName) + member.mid(base(unitName).size());
}

} // namespace browse
