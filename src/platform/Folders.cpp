#include "platform/Folders.h"

#include "platform/FileNames.h"

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

MaybeFailure folderFailure(int errnoValue)
{
    if (errnoValue == ENOENT || errnoValue == ENOTDIR)
        return Failure::pathNotFound();
    return Failure::fromErrno(errnoValue);
}

EntryKind kindOfMode(mode_t mode)
{
    if (S_ISREG(mode))
        return EntryKind::File;
    if (S_ISDIR(mode))
        return EntryKind::Folder;
    return EntryKind::Other;
}

EntryKind kindOf(int folderFd, const dirent &entry)
{
    switch (entry.d_type) {
    case DT_REG:
        return EntryKind::File;
    case DT_DIR:
        return EntryKind::Folder;
    case DT_LNK:
    case DT_UNKNOWN: {
        struct stat info {};
        if (fstatat(folderFd, entry.d_name, &info, 0) != 0)
            return EntryKind::Other;
        return kindOfMode(info.st_mode);
    }
    default:
        return EntryKind::Other;
    }
}

} // namespace

struct FolderStream::Open {
    DIR *folder;
};

FolderStream::FolderStream(const QString &path, std::optional<EntryKind> only)
    : m_only(only)
{
    if (DIR *folder = opendir(encodeFileName(path).constData()))
        m_open = std::make_unique<Open>(Open{folder});
    else
        m_failure = folderFailure(errno);
}

FolderStream::~FolderStream()
{
    if (m_open)
        closedir(m_open->folder);
}

bool FolderStream::read(const std::function<bool(FolderEntry &&)> &take, const std::function<bool()> &goOn)
{
    if (!m_open)
        return false;
    const int fd = dirfd(m_open->folder);
    for (;;) {
        // Only readdir's own errno tells a failed read from the end of the folder: anything
        // else in the loop (a stat, an allocation) may leave errno set.
        errno = 0;
        const dirent *entry = readdir(m_open->folder);
        if (!entry) {
            if (errno != 0)
                m_failure = Failure::fromErrno(errno);
            return false;
        }
        const char *name = entry->d_name;
        if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0)
            continue;
        const EntryKind kind = kindOf(fd, *entry);
        if ((!m_only || kind == *m_only) &&
            !take({decodeFileName(QByteArray::fromRawData(name, qsizetype(std::strlen(name)))), kind}))
            return true;
        if (goOn && !goOn())
            return true;
    }
}

FolderRead readFolder(const QString &path, std::optional<EntryKind> only)
{
    FolderRead read;
    FolderStream stream(path, only);
    stream.read([&](FolderEntry &&entry) {
        read.entries.push_back(std::move(entry));
        return true;
    });
    read.failure = stream.failure();
    return read;
}

MaybeFailure checkFolder(const QString &path)
{
    struct stat info {};
    if (stat(encodeFileName(path).constData(), &info) != 0)
        return folderFailure(errno);
    if (!S_ISDIR(info.st_mode))
        return Failure::pathNotFound();
    return std::nullopt;
}

bool entryExists(const QString &path)
{
    struct stat info {};
    return ::lstat(encodeFileName(path).constData(), &info) == 0;
}

EntryKind entryKind(const QString &path)
{
    struct stat info {};
    return ::stat(encodeFileName(path).constData(), &info) == 0 ? kindOfMode(info.st_mode) : EntryKind::Other;
}

MaybeFailure makeFolder(const QString &path)
{
    if (mkdir(encodeFileName(path).constData(), 0777) != 0)
        return Failure::fromErrno(errno);
    return std::nullopt;
}

QString currentFolder()
{
    QByteArray buffer(4096, Qt::Uninitialized);
    while (!getcwd(buffer.data(), size_t(buffer.size()))) {
        if (errno != ERANGE)
            return QStringLiteral("/");
        buffer.resize(buffer.size() * 2);
    }
    return decodeFileName(QByteArray(buffer.constData()));
}

QString parentFolder(const QString &path)
{
    if (path == QLatin1String("/"))
        return {};
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    if (slash <= 0)
        return QStringLiteral("/");
    return path.left(slash);
}

QString joinPath(const QString &folder, const QString &name)
{
    if (folder.endsWith(QLatin1Char('/')))
        return folder + name;
    return folder + QLatin1Char('/') + name;
}

} // namespace platform
