#include "platform/TextFile.h"

#include "platform/RawFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

#include <array>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

// Windows-1252 differs from Latin-1 only in 0x80..0x9F; unassigned bytes keep their
// Latin-1 (C1 control) meaning.
constexpr std::array<char16_t, 32> kCp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

QString decodeCp1252(const QByteArray &bytes)
{
    QString text;
    text.reserve(bytes.size());
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        text.append(byte >= 0x80 && byte < 0xA0 ? QChar(kCp1252High[byte - 0x80]) : QChar(byte));
    }
    return text;
}

QByteArray encodeLines(const QStringList &lines)
{
    QByteArray bytes;
    for (const QString &line : lines) {
        bytes += line.toUtf8();
        bytes += "\r\n";
    }
    return bytes;
}

bool isValidUtf8(const QByteArray &bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    [[maybe_unused]] const QString text = decoder.decode(bytes);
    return !decoder.hasError();
}

struct RawRead {
    QByteArray bytes;
    MaybeFailure failure;
};

RawRead readAll(const QString &path)
{
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return {{}, Failure::fromErrno(errno)};
    RawRead result;
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got == 0)
            break;
        if (got < 0) {
            if (errno == EINTR)
                continue;
            result.failure = Failure::fromErrno(errno);
            break;
        }
        result.bytes.append(buffer, got);
    }
    ::close(fd);
    return result;
}

bool writeAll(int fd, const QByteArray &bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t wrote = ::write(fd, bytes.constData() + done, bytes.size() - done);
        if (wrote < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        done += wrote;
    }
    return true;
}

// The file a path finally names: symbolic links are followed to their target, which need not
// exist yet, so that replacing the file replaces the target and keeps the link.
QByteArray finalTarget(QByteArray path)
{
    for (int depth = 0; depth < 40; ++depth) {
        std::array<char, 4096> buffer;
        const ssize_t size = ::readlink(path.constData(), buffer.data(), buffer.size());
        if (size < 0)
            return path;
        const QByteArray link(buffer.data(), size);
        path = link.startsWith('/') ? link : folderOf(path) + '/' + link;
    }
    return path;
}

} // namespace

QString decodeText(const QByteArray &bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(bytes);
    return decoder.hasError() ? decodeCp1252(bytes) : text;
}

QStringList splitLines(const QString &text)
{
    if (text.isEmpty())
        return {};
    QStringList lines = text.split(QLatin1Char('\n'));
    if (text.endsWith(QLatin1Char('\n')))
        lines.removeLast();
    for (QString &line : lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
    }
    return lines;
}

TextFileRead readTextLines(const QString &path)
{
    RawRead raw = readAll(path);
    if (raw.failure)
        return {{}, raw.failure};
    return {splitLines(decodeText(raw.bytes)), std::nullopt};
}

MaybeFailure writeTextLines(const QString &path, const QStringList &lines)
{
    return replaceFileAtomically(path, encodeLines(lines));
}

MaybeFailure appendTextLines(const QString &path, const QStringList &lines)
{
    RawRead existing = readAll(path);
    if (existing.failure && existing.failure->kind != FailureKind::FileNotFound)
        return existing.failure;
    QByteArray bytes = existing.bytes;
    // Keep the file in one encoding: an older Windows-1252 file becomes UTF-8 as a whole.
    if (!isValidUtf8(bytes))
        bytes = decodeCp1252(bytes).toUtf8();
    if (!bytes.isEmpty() && !bytes.endsWith('\n'))
        bytes += "\r\n";
    return replaceFileAtomically(path, bytes + encodeLines(lines));
}

MaybeFailure replaceFileAtomically(const QString &path, const QByteArray &bytes)
{
    const QFileInfo info(path);
    if (!QDir().mkpath(info.absolutePath()))
        return Failure::fromErrno(errno ? errno : EACCES);

    const QByteArray target = finalTarget(QFile::encodeName(info.absoluteFilePath()));
    const QByteArray folder = folderOf(target);
    struct stat existing {};
    const bool exists = ::stat(target.constData(), &existing) == 0;
    if (exists && (existing.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
        return Failure::fromErrno(EACCES);
    // A new file gets the mode any new file gets; a replaced one keeps its own.
    const mode_t mode = exists ? existing.st_mode & 07777 : 0666;
    const TemporaryFile temporary =
        createTemporaryFile(folder, '.' + target.mid(folder.size() + 1) + '.', mode);
    if (temporary.fd < 0)
        return Failure::fromErrno(errno);
    const bool written = writeAll(temporary.fd, bytes) && (!exists || ::fchmod(temporary.fd, mode) == 0) &&
                         ::fsync(temporary.fd) == 0;
    const int writeErrno = errno;
    if (::close(temporary.fd) != 0 || !written) {
        const int error = written ? errno : writeErrno;
        ::unlink(temporary.path.constData());
        return Failure::fromErrno(error);
    }
    if (::rename(temporary.path.constData(), target.constData()) != 0) {
        const int error = errno;
        ::unlink(temporary.path.constData());
        return Failure::fromErrno(error);
    }
    syncFolder(folder);
    return std::nullopt;
}

} // namespace platform
