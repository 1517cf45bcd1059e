#include "platform/RawFiles.h"

#include <QRandomGenerator>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

int renameNoReplace(const QByteArray &from, const QByteArray &to)
{
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP)
        return -1;
    // Where the file system cannot rename without replacing, a hard link does the same.
    if (::link(from.constData(), to.constData()) == 0) {
        if (::unlink(from.constData()) == 0)
            return 0;
        // The file must not stay under both names: it goes back to being only at its source.
        const int unlinkError = errno;
        ::unlink(to.constData());
        errno = unlinkError;
        return -1;
    }
    if (errno == EEXIST || errno == ENOENT || errno == EXDEV)
        return -1;
    // No hard links either (FAT, some FUSE and network file systems): the target name is first
    // claimed with an exclusive create, so the rename can only replace that empty file of ours,
    // looked at again just before.
    const int claim = ::open(to.constData(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0600);
    struct stat claimed {};
    if (claim < 0)
        return -1;
    const bool known = ::fstat(claim, &claimed) == 0;
    ::close(claim);
    const auto stillOurs = [&] {
        struct stat now {};
        return known && ::lstat(to.constData(), &now) == 0 && now.st_dev == claimed.st_dev &&
               now.st_ino == claimed.st_ino && now.st_size == 0;
    };
    if (!stillOurs()) {
        errno = EEXIST;
        return -1;
    }
    if (::rename(from.constData(), to.constData()) == 0)
        return 0;
    const int renameError = errno;
    if (stillOurs())
        ::unlink(to.constData());
    errno = renameError;
    return -1;
}

TemporaryFile createTemporaryFile(const QByteArray &folder, const QByteArray &prefix, mode_t mode,
                                  const std::function<bool(const QByteArray &path)> &announce)
{
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    const QByteArray start = folder + (folder.endsWith('/') ? "" : "/") + prefix;
    for (int attempt = 0; attempt < 100; ++attempt) {
        TemporaryFile file{-1, start};
        for (int i = 0; i < 8; ++i)
            file.path += kLetters[QRandomGenerator::global()->bounded(int(sizeof kLetters) - 1)];
        if (announce && !announce(file.path)) {
            errno = EIO;
            return {};
        }
        file.fd = ::open(file.path.constData(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, mode);
        if (file.fd >= 0 || errno != EEXIST)
            return file;
    }
    return {};
}

QByteArray numberedName(const QByteArray &name, int attempt)
{
    if (attempt == 1)
        return name;
    const qsizetype dot = name.lastIndexOf('.');
    const QByteArray number = '.' + QByteArray::number(attempt);
    return dot > 0 ? name.left(dot) + number + name.mid(dot) : name + number;
}

std::optional<QByteArray> renameToFreeName(const QByteArray &from, const QByteArray &to)
{
    const QByteArray folder = folderOf(to);
    const QByteArray name = nameOf(to);
    for (int attempt = 1; attempt < 1000; ++attempt) {
        const QByteArray path = folder + (folder.endsWith('/') ? "" : "/") + numberedName(name, attempt);
        if (renameNoReplace(from, path) == 0)
            return path;
        if (errno != EEXIST)
            return std::nullopt;
    }
    return std::nullopt;
}

void syncFolder(const QByteArray &folder)
{
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

QByteArray folderOf(const QByteArray &path)
{
    const qsizetype slash = path.lastIndexOf('/');
    if (slash < 0)
        return QByteArrayLiteral(".");
    return slash == 0 ? QByteArrayLiteral("/") : path.left(slash);
}

QByteArray nameOf(const QByteArray &path)
{
    return path.mid(path.lastIndexOf('/') + 1);
}

} // namespace platform
