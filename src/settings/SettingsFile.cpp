#include "settings/SettingsFile.h"

#include "platform/ProgramDirectory.h"
#include "platform/TextFile.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <optional>

namespace settings {

namespace {

constexpr int kLineCount = 8;

const QString kAutoname = QStringLiteral("frmSettings.chkAutoname.Value = ");
const QString kNrOfDir = QStringLiteral("frmSettings.txtNrOfDir.Text = ");
const QString kAreaSeparator = QStringLiteral("frmSettings.txtAreaSeparator.Text = ");
const QString kPromptMove = QStringLiteral("frmSettings.chkPromptMove.Value = ");
const QString kPromptCopy = QStringLiteral("frmSettings.chkPromptCopy.Value = ");
const QString kPromptDelete = QStringLiteral("frmSettings.chkPromptDelete.Value = ");
const QString kMoveDefault = QStringLiteral("frmSettings.optMoveDefault.Value = ");
const QString kDeleteRecycle = QStringLiteral("frmSettings.chkDeleteRecycle.Value = ");

QString lastCharacter(const QString &line)
{
    return line.right(1);
}

platform::Failure notADigit(int lineNumber)
{
    return platform::Failure::system(EINVAL, QStringLiteral("Invalid argument: line %1 of %2 does not end in a digit")
                                                 .arg(lineNumber)
                                                 .arg(kSettingsFileName));
}

// The digit a line ends in, or the failure to report.
std::optional<int> digitOf(const QString &line)
{
    const QString last = lastCharacter(line);
    if (last.isEmpty() || last.at(0) < QLatin1Char('0') || last.at(0) > QLatin1Char('9'))
        return std::nullopt;
    return last.at(0).unicode() - '0';
}

// The check box a line fills, by its position in the file.
int *checkBoxOfLine(Options &options, int index)
{
    switch (index) {
    case 0:
        return &options.autoname;
    case 3:
        return &options.promptMove;
    case 4:
        return &options.promptCopy;
    case 5:
        return &options.promptDelete;
    case 7:
        return &options.deleteRecycle;
    default:
        return nullptr;
    }
}

} // namespace

QStringList settingsLines(const Options &options)
{
    return {kAutoname + QString::number(options.autoname),
            kNrOfDir + options.nrOfDir,
            kAreaSeparator + options.areaSeparator,
            kPromptMove + QString::number(options.promptMove),
            kPromptCopy + QString::number(options.promptCopy),
            kPromptDelete + QString::number(options.promptDelete),
            kMoveDefault + (options.moveDefault ? QLatin1Char('1') : QLatin1Char('0')),
            kDeleteRecycle + QString::number(options.deleteRecycle)};
}

SettingsRead applySettingsLines(const QStringList &lines, Options &options)
{
    SettingsRead read;
    for (int index = 0; index < kLineCount; ++index) {
        const int lineNumber = index + 1;
        if (index >= lines.size()) {
            read.problem =
                platform::Failure{platform::FailureKind::InputPastEndOfFile, QStringLiteral("Input past end of file")};
            return read;
        }
        const QString &line = lines.at(index);
        if (index == 1 || index == 2) {
            (index == 1 ? options.nrOfDir : options.areaSeparator) = lastCharacter(line);
            read.linesRead = lineNumber;
            continue;
        }
        const std::optional<int> digit = digitOf(line);
        if (!digit) {
            read.problem = notADigit(lineNumber);
            return read;
        }
        if (index == 6) {
            options.moveDefault = *digit != 0;
        } else {
            if (*digit > 2) {
                read.problem = platform::Failure{platform::FailureKind::InvalidPropertyValue,
                                                 QStringLiteral("Invalid property value")};
                return read;
            }
            *checkBoxOfLine(options, index) = *digit;
        }
        read.linesRead = lineNumber;
    }
    return read;
}

SettingsRead readSettingsFile(Options &options)
{
    const platform::TextFileRead file =
        platform::readTextLines(platform::programFile(kSettingsFileName));
    if (file.failure)
        return {0, file.failure};
    return applySettingsLines(file.lines, options);
}

platform::MaybeFailure writeSettingsFile(const Options &options)
{
    return platform::writeTextLines(platform::programFile(kSettingsFileName), settingsLines(options));
}

namespace {

// The switches the file holds, each a "Key=0" or "Key=1" line.
struct MoreSwitch {
    QLatin1StringView key;
    bool MoreOptions::*value;
};
constexpr std::array<MoreSwitch, 2> kMoreSwitches{{{QLatin1StringView("MoreKinds="), &MoreOptions::moreKinds},
                                                   {QLatin1StringView("RawFiles="), &MoreOptions::rawFiles}}};

} // namespace

MoreOptions moreOptionsFromLines(const QStringList &lines)
{
    MoreOptions options;
    for (const QString &line : lines) {
        for (const MoreSwitch &option : kMoreSwitches) {
            if (line.startsWith(option.key))
                options.*option.value = QStringView(line).mid(option.key.size()).trimmed() == QLatin1String("1");
        }
    }
    return options;
}

QStringList moreOptionsLines(const QStringList &lines, const MoreOptions &options)
{
    QStringList kept;
    for (const QString &line : lines) {
        if (std::ranges::none_of(kMoreSwitches, [&](const MoreSwitch &option) { return line.startsWith(option.key); }))
            kept << line;
    }
    for (const MoreSwitch &option : kMoreSwitches)
        kept << option.key + (options.*option.value ? QLatin1Char('1') : QLatin1Char('0'));
    return kept;
}

MoreOptions readMoreOptions()
{
    return moreOptionsFromLines(platform::readTextLines(platform::programFile(kMoreSettingsFileName)).lines);
}

platform::MaybeFailure writeMoreOptions(const MoreOptions &options)
{
    const QString path = platform::programFile(kMoreSettingsFileName);
    return platform::writeTextLines(path, moreOptionsLines(platform::readTextLines(path).lines, options));
}

} // namespace settings
