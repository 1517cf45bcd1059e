#include "catalogue/AreaKeys.h"

#include <QKeySequence>

namespace catalogue {

namespace {

constexpr Qt::KeyboardModifiers kAllowedModifiers = Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier;

// Keys the main window already gives a meaning, with that meaning.
struct Reserved {
    QKeyCombination key;
    const char *meaning;
};

const Reserved kReserved[] = {
    {QKeyCombination(Qt::Key_Delete), "deletes the current file"},
    {QKeyCombination(Qt::ControlModifier, Qt::Key_R), "renames the current file"},
    {QKeyCombination(Qt::ControlModifier, Qt::Key_X), "ends the program"},
    {QKeyCombination(Qt::ControlModifier, Qt::Key_Z), "undoes the last command"},
    {QKeyCombination(Qt::ControlModifier | Qt::ShiftModifier, Qt::Key_Z), "redoes a command"},
    {QKeyCombination(Qt::ControlModifier, Qt::Key_Y), "redoes a command"},
    // The menu bar's access keys: the menu bar takes them before any window sees them.
    {QKeyCombination(Qt::AltModifier, Qt::Key_F), "opens the File menu"},
    {QKeyCombination(Qt::AltModifier, Qt::Key_E), "opens the Edit menu"},
    {QKeyCombination(Qt::AltModifier, Qt::Key_S), "opens the settings"},
    {QKeyCombination(Qt::AltModifier, Qt::Key_H), "opens the Help menu"},
};

QString keyText(QKeyCombination key)
{
    return QKeySequence(key).toString(QKeySequence::NativeText);
}

} // namespace

KeyCheck checkAreaKey(QKeyCombination key)
{
    const Qt::KeyboardModifiers modifiers = key.keyboardModifiers();
    const int code = key.key();
    for (const Reserved &reserved : kReserved) {
        if (reserved.key == key)
            return {false, QStringLiteral("%1 already %2").arg(keyText(key), QLatin1String(reserved.meaning))};
    }
    if (modifiers == Qt::NoModifier && code >= Qt::Key_1 && code <= Qt::Key_9)
        return {false, QStringLiteral("%1 already chooses group %1").arg(QChar(code))};
    if (modifiers == Qt::NoModifier && code == Qt::Key_0)
        return {false, QStringLiteral("0 goes with the digits that choose groups")};
    if (modifiers == Qt::NoModifier && code == Qt::Key_Space)
        return {false, QStringLiteral("Space already steps to the next file")};
    const bool modifiersAllowed = (modifiers & ~kAllowedModifiers) == Qt::NoModifier;
    const bool functionKey = code >= Qt::Key_F1 && code <= Qt::Key_F12;
    const bool letter = code >= Qt::Key_A && code <= Qt::Key_Z;
    const bool digitWithCtrlOrAlt =
        code >= Qt::Key_0 && code <= Qt::Key_9 && (modifiers & (Qt::ControlModifier | Qt::AltModifier));
    if (modifiersAllowed && (functionKey || letter || digitWithCtrlOrAlt))
        return {true, {}};
    return {false, QStringLiteral("%1 cannot be an area's key: use F1 to F12 or a letter, alone or with Ctrl, "
                                  "Alt and Shift, or a digit with Ctrl or Alt")
                       .arg(keyText(key))};
}

std::optional<QKeyCombination> areaKey(const QString &shortcut)
{
    if (shortcut.isEmpty())
        return std::nullopt;
    const QKeySequence sequence = QKeySequence::fromString(shortcut, QKeySequence::PortableText);
    // Only the exact text this program writes is a key: anything else is another program's.
    if (sequence.count() != 1 || sequence.toString(QKeySequence::PortableText) != shortcut ||
        !checkAreaKey(sequence[0]).accepted)
        return std::nullopt;
    return sequence[0];
}

QString shortcutText(QKeyCombination key)
{
    return QKeySequence(key).toString(QKeySequence::PortableText);
}

QKeyCombination pressedKey(int key, Qt::KeyboardModifiers modifiers)
{
    return QKeyCombination(modifiers & ~Qt::KeypadModifier, Qt::Key(key));
}

const AreaRecord *areaWithKey(const AreaArchive &archive, const QString &group, QKeyCombination key,
                              qsizetype exceptRecord)
{
    for (qsizetype i = 0; i < archive.size(); ++i) {
        const AreaRecord &record = archive.at(i);
        if (i != exceptRecord && record.group == group && areaKey(record.shortcut) == key)
            return &record;
    }
    return nullptr;
}

} // namespace catalogue
