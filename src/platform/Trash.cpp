#include "platform/Trash.h"

#include "platform/RawFiles.h"

#include <QDateTime>
#include <QFile>
#include <QStandardPaths>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

struct TrashFolder {
    QByteArray root;    // holds files/ and info/
    QByteArray topDir;  // empty for the home trash, whose entries name absolute paths
};

MaybeFailure lastError()
{
    return Failure::fromErrno(errno);
}

bool makeFolder(const QByteArray &path)
{
    return ::mkdir(path.constData(), 0700) == 0 || errno == EEXIST;
}

// The folder with any of its parents still missing, each made private as the trash's rules ask.
bool makeFolderWithParents(const QByteArray &path)
{
    if (makeFolder(path))
        return true;
    return errno == ENOENT && path != folderOf(path) && makeFolderWithParents(folderOf(path)) && makeFolder(path);
}

bool isOwnFolder(const QByteArray &path)
{
    struct stat info {};
    return ::lstat(path.constData(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == ::getuid();
}

std::optional<dev_t> deviceOf(const QByteArray &path)
{
    struct stat info {};
    if (::lstat(path.constData(), &info) != 0)
        return std::nullopt;
    return info.st_dev;
}

bool prepare(const TrashFolder &trash, dev_t device)
{
    return makeFolder(trash.root) && isOwnFolder(trash.root) && makeFolder(trash.root + "/files") &&
           makeFolder(trash.root + "/info") && deviceOf(trash.root) == device;
}

// The mount point of the file system holding path: the last folder up the path on the same device.
QByteArray topDirectory(const QByteArray &path, dev_t device)
{
    QByteArray top = folderOf(path);
    while (top != "/") {
        const QByteArray parent = folderOf(top);
        if (deviceOf(parent) != device)
            break;
        top = parent;
    }
    return top;
}

// The home trash, or the trash of the volume the file lies on: the shared $topdir/.Trash/$uid
// when the administrator made .Trash (a real sticky folder), else $topdir/.Trash-$uid.
std::optional<TrashFolder> trashFor(const QByteArray &path, dev_t device)
{
    const QByteArray home =
        QFile::encodeName(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)) + "/Trash";
    const QByteArray dataHome = folderOf(home);
    // A data folder that cannot be made leaves only the volume's trash.
    makeFolderWithParents(dataHome);
    if (deviceOf(dataHome) == device) {
        const TrashFolder trash{home, {}};
        return prepare(trash, device) ? std::optional(trash) : std::nullopt;
    }
    const QByteArray topDir = topDirectory(path, device);
    const QByteArray uid = QByteArray::number(::getuid());
    const QByteArray top = topDir.endsWith('/') ? topDir : topDir + '/';
    struct stat shared {};
    if (::lstat((top + ".Trash").constData(), &shared) == 0 && S_ISDIR(shared.st_mode) &&
        (shared.st_mode & S_ISVTX)) {
        const TrashFolder trash{top + ".Trash/" + uid, top};
        if (prepare(trash, device))
            return trash;
    }
    const TrashFolder trash{top + ".Trash-" + uid, top};
    return prepare(trash, device) ? std::optional(trash) : std::nullopt;
}

QByteArray infoText(const QByteArray &path, const TrashFolder &trash)
{
    const QByteArray named = trash.topDir.isEmpty() ? path : path.mid(trash.topDir.size());
    return "[Trash Info]\nPath=" + named.toPercentEncoding("/") + "\nDeletionDate=" +
           QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-ddThh:mm:ss")).toLatin1() + '\n';
}

bool writeInfo(int fd, const QByteArray &text)
{
    for (qsizetype done = 0; done < text.size();) {
        const ssize_t put = ::write(fd, text.constData() + done, size_t(text.size() - done));
        if (put < 0 && errno != EINTR)
            return false;
        if (put > 0)
            done += put;
    }
    return ::fsync(fd) == 0;
}

// The path through the folder's real location: the volume's top is found by walking up it, and a
// link to a folder must not put the trash inside that folder. The file itself may be a link, the
// one to be trashed, so only its folder is resolved.
std::optional<QByteArray> resolvedPath(const QByteArray &path)
{
    char *folder = ::realpath(folderOf(path).constData(), nullptr);
    if (!folder)
        return std::nullopt;
    const QByteArray real(folder);
    ::free(folder);
    const QByteArray name = nameOf(path);
    return real.endsWith('/') ? real + name : real + '/' + name;
}

} // namespace

TrashResult moveToTrash(const QByteArray &givenPath, const std::function<void(const TrashedFile &)> &claimed)
{
    const std::optional<QByteArray> resolved = resolvedPath(givenPath);
    if (!resolved)
        return {{}, lastError()};
    const QByteArray &path = *resolved;
    const std::optional<dev_t> device = deviceOf(path);
    if (!device)
        return {{}, lastError()};
    const std::optional<TrashFolder> trash = trashFor(path, *device);
    if (!trash)
        return {{}, Failure::fromErrno(errno ? errno : EACCES)};
    const QByteArray name = nameOf(path);
    const QByteArray text = infoText(path, *trash);
    for (int attempt = 1; attempt < 10000; ++attempt) {
        const QByteArray entry = numberedName(name, attempt);
        const TrashedFile trashed{trash->root + "/files/" + entry, trash->root + "/info/" + entry + ".trashinfo"};
        // The info file claims the name first, as the trash's rules ask.
        if (claimed)
            claimed(trashed);
        const int fd = ::open(trashed.info.constData(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0600);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            return {{}, lastError()};
        }
        const bool written = writeInfo(fd, text);
        const int writeError = errno;
        if (::close(fd) != 0 || !written) {
            const int error = written ? errno : writeError;
            ::unlink(trashed.info.constData());
            return {{}, Failure::fromErrno(error)};
        }
        if (renameNoReplace(path, trashed.file) == 0) {
            syncFolder(trash->root + "/files");
            return {trashed, std::nullopt};
        }
        const int error = errno;
        ::unlink(trashed.info.constData());
        if (error != EEXIST)
            return {{}, Failure::fromErrno(error)};
    }
    return {{}, Failure::fromErrno(EEXIST)};
}

} // namespace platform
