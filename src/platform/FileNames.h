#pragma once

#include <QByteArray>
#include <QString>

namespace platform {

// File names on Linux are bytes in no guaranteed encoding. Valid UTF-8 decodes as usual; every
// byte that is not part of valid UTF-8 becomes one lone surrogate (U+DC80 to U+DCFF), so that
// encoding gives back exactly the bytes that were read, and such a file can still be opened,
// moved, renamed and deleted.
QString decodeFileName(const QByteArray &bytes);
QByteArray encodeFileName(const QString &name);

// A name that stays inside its folder and names an entry of its own: not empty, not "." or
// "..", without "/" or NUL.
bool isPlainFileName(const QString &name);

} // namespace platform
