#include "platform/Wallpaper.h"

#include "platform/FileNames.h"
#include "platform/Processes.h"

#include <QDBusConnection>
#include <QDBusInterface>
#include <QDBusReply>
#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QStringDecoder>
#include <algorithm>
#include <fcntl.h>

namespace platform {

namespace {

bool isPicture(const QString &path)
{
    const int fd = ::open(encodeFileName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    QFile file;
    file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle);
    QImageReader reader(&file);
    return reader.canRead() && !reader.read().isNull();
}

bool isUtf8(const QByteArray &bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    [[maybe_unused]] const QString text = decoder.decode(bytes);
    return !decoder.hasError();
}

QByteArray fileUri(const QByteArray &path)
{
    return "file://" + path.toPercentEncoding("/");
}

QByteArray controlEscape(unsigned char byte)
{
    switch (byte) {
    case '\a': return "\\a";
    case '\b': return "\\b";
    case '\f': return "\\f";
    case '\n': return "\\n";
    case '\r': return "\\r";
    case '\t': return "\\t";
    case '\v': return "\\v";
    default: return "\\u" + QByteArray::number(byte, 16).rightJustified(4, '0');
    }
}

// A string as GLib prints a GVariant string, which is also how gsettings reads one back.
QByteArray gvariantText(const QByteArray &utf8)
{
    const char quote = utf8.contains('\'') ? '"' : '\'';
    QByteArray text(1, quote);
    for (const char c : utf8) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == quote || c == '\\') {
            text += '\\';
            text += c;
        } else if (byte < 0x20 || byte == 0x7f) {
            text += controlEscape(byte);
        } else {
            text += c;
        }
    }
    return text + quote;
}

bool succeeded(const ProgramRun &run)
{
    return run.exitCode == 0;
}

// Sets string keys of a GSettings schema and reads them back.
bool setGSettings(const QByteArray &schema, const QList<QByteArray> &keys, const QByteArray &value)
{
    const QByteArray text = gvariantText(value);
    for (const QByteArray &key : keys) {
        if (!succeeded(runProgram(QStringLiteral("gsettings"), {"set", schema, key, text})))
            return false;
        const ProgramRun check = runProgram(QStringLiteral("gsettings"), {"get", schema, key});
        if (!succeeded(check) || check.output.trimmed() != text)
            return false;
    }
    return true;
}

// Every workspace's picture on every monitor of XFCE's backdrop, as the desktop lists them.
bool setXfceBackdrop(const QByteArray &path)
{
    const QByteArray channel = "xfce4-desktop";
    const ProgramRun list = runProgram(QStringLiteral("xfconf-query"), {"-c", channel, "-l"});
    if (!succeeded(list))
        return false;
    QList<QByteArray> properties;
    for (const QByteArray &line : list.output.split('\n')) {
        if (line.trimmed().endsWith("/workspace0/last-image"))
            properties << line.trimmed();
    }
    if (properties.isEmpty())
        return false;
    for (const QByteArray &property : properties) {
        if (!succeeded(runProgram(QStringLiteral("xfconf-query"), {"-c", channel, "-p", property, "-s", path})))
            return false;
        const ProgramRun check = runProgram(QStringLiteral("xfconf-query"), {"-c", channel, "-p", property});
        if (!succeeded(check) || check.output.chopped(check.output.endsWith('\n') ? 1 : 0) != path)
            return false;
    }
    return true;
}

// Plasma's shell runs a script that gives every desktop the picture, and a second one that
// prints what each desktop now shows.
bool setPlasmaWallpaper(const QByteArray &uri)
{
    QDBusInterface shell(QStringLiteral("org.kde.plasmashell"), QStringLiteral("/PlasmaShell"),
                         QStringLiteral("org.kde.PlasmaShell"), QDBusConnection::sessionBus());
    // The URI is percent-encoded: no quote can end the script's string.
    const QString select = QStringLiteral("for (const d of desktops()) { d.wallpaperPlugin = 'org.kde.image';"
                                          " d.currentConfigGroup = ['Wallpaper', 'org.kde.image', 'General'];");
    const QDBusReply<QString> set = shell.call(
        QStringLiteral("evaluateScript"),
        select + QStringLiteral(" d.writeConfig('Image', '%1'); }").arg(QString::fromLatin1(uri)));
    if (!set.isValid())
        return false;
    const QDBusReply<QString> check =
        shell.call(QStringLiteral("evaluateScript"), select + QStringLiteral(" print(d.readConfig('Image') + '\\n'); }"));
    if (!check.isValid())
        return false;
    const QStringList shown = check.value().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    return !shown.isEmpty() && std::ranges::all_of(shown, [&](const QString &image) { return image == QLatin1String(uri); });
}

// feh remembers the command that set the background in ~/.fehbg, the path quoted for the shell.
bool setFehBackground(const QByteArray &path)
{
    if (!succeeded(runProgram(QStringLiteral("feh"), {"--bg-fill", path})))
        return false;
    QFile remembered(QDir::homePath() + QStringLiteral("/.fehbg"));
    if (!remembered.open(QIODevice::ReadOnly))
        return false;
    const QByteArray quoted = '\'' + QByteArray(path).replace("'", "'\\''") + '\'';
    return remembered.readAll().contains(quoted);
}

} // namespace

bool setDesktopWallpaper(const QString &path)
{
    if (!isPicture(path))
        return false;
    const QByteArray bytes = encodeFileName(path);
    const QByteArray uri = fileUri(bytes);
    const QString desktop = qEnvironmentVariable("XDG_CURRENT_DESKTOP").toUpper();
    const auto has = [&](const char *name) { return desktop.contains(QLatin1String(name)); };
    if (has("GNOME") || has("UNITY") || has("BUDGIE") || has("UBUNTU") || has("POP"))
        return setGSettings("org.gnome.desktop.background", {"picture-uri", "picture-uri-dark"}, uri);
    if (has("CINNAMON"))
        return setGSettings("org.cinnamon.desktop.background", {"picture-uri"}, uri);
    if (has("KDE"))
        return setPlasmaWallpaper(uri);
    // These desktops keep the path itself as text: a name that is not UTF-8 cannot be named there.
    if (has("MATE"))
        return isUtf8(bytes) && setGSettings("org.mate.background", {"picture-filename"}, bytes);
    if (has("XFCE"))
        return isUtf8(bytes) && setXfceBackdrop(bytes);
    return setFehBackground(bytes);
}

} // namespace platform
