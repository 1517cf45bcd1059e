#pragma once

#include "catalogue/AreaRecord.h"

#include <QKeyCombination>
#include <QString>
#include <optional>

namespace catalogue {

// An area's key lives in its record's shortcut field as Qt's portable key text ("F2",
// "Ctrl+B"). Keys are F1-F12 and A-Z, alone or with Ctrl, Alt and Shift, and digits with Ctrl
// or Alt; plain digits, the space bar, Del and the menus' keys keep their own meanings.

struct KeyCheck {
    bool accepted = false;
    QString refusal; // why not, for the user, when not accepted
};
KeyCheck checkAreaKey(QKeyCombination key);

// The key a shortcut field holds; none for an empty field or text that is no accepted key
// (which is kept in the file as it is, but means nothing here).
std::optional<QKeyCombination> areaKey(const QString &shortcut);
QString shortcutText(QKeyCombination key);

// The key as a key press reports it: keypad digits are digits.
QKeyCombination pressedKey(int key, Qt::KeyboardModifiers modifiers);

// The first area of the group whose key it is.
const AreaRecord *areaWithKey(const AreaArchive &archive, const QString &group, QKeyCombination key,
                              qsizetype exceptRecord = -1);

} // namespace catalogue
