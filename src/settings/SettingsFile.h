#pragma once

#include "platform/Failure.h"

#include <QString>
#include <QStringList>

namespace settings {

inline const QString kSettingsFileName = QStringLiteral("SETTINGS.INI");

// Options that other copies of the program do not know live in a file of their own, as
// "Key=Value" lines, so that the options file keeps its eight lines.
inline constexpr QLatin1StringView kMoreSettingsFileName("SHELFMASTER.INI");
struct MoreOptions {
    bool moreKinds = false; // also list today's picture and movie files
    bool rawFiles = false;  // also list camera RAW files, and keep RAW+picture pairs together

    bool operator==(const MoreOptions &) const = default;
};

// The program's options, as the settings dialog edits them. Check boxes are 0 (unchecked),
// 1 (checked) or 2 (grayed); the defaults are the designed ones.
struct Options {
    int autoname = 1;
    QString nrOfDir = QStringLiteral("0");
    QString areaSeparator = QStringLiteral("-");
    int promptMove = 1;
    int promptCopy = 1;
    int promptDelete = 1;
    bool moveDefault = true;
    int deleteRecycle = 1;
    MoreOptions more;

    bool operator==(const Options &) const = default;
};

// The eight lines of the options file.
QStringList settingsLines(const Options &options);

struct SettingsRead {
    int linesRead = 0;            // options taken from the file, in file order
    platform::MaybeFailure problem;
    bool defaultActionRead() const { return linesRead >= 7; }
};

// Takes the last character of each line; the line's position alone says which option it is.
// Stops at the first line it cannot use: the options before it keep their new values.
SettingsRead applySettingsLines(const QStringList &lines, Options &options);

// Reads the options file into options. A missing file is FileNotFound and changes nothing.
SettingsRead readSettingsFile(Options &options);
platform::MaybeFailure writeSettingsFile(const Options &options);

// The file of the more options.
MoreOptions moreOptionsFromLines(const QStringList &lines);
// The file's lines with the options set, other keys kept as they were.
QStringList moreOptionsLines(const QStringList &lines, const MoreOptions &options);
MoreOptions readMoreOptions();
platform::MaybeFailure writeMoreOptions(const MoreOptions &options);

} // namespace settings
