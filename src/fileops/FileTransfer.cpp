#include "fileops/FileTransfer.h"

#include "platform/FileNames.h"
#include "platform/Folders.h"
#include "platform/RawFiles.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fileops {

namespace {

using platform::Failure;
using platform::MaybeFailure;

// Closes a descriptor on every way out of a scope.
class Descriptor {
public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    ~Descriptor() { reset(); }
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;

    int get() const { return m_fd; }
    bool valid() const { return m_fd >= 0; }
    // Closes now; a failed close of a written file means its data may be lost.
    bool reset()
    {
        const bool closed = m_fd < 0 || ::close(m_fd) == 0;
        m_fd = -1;
        return closed;
    }

private:
    int m_fd;
};

MaybeFailure lastError()
{
    return Failure::fromErrno(errno);
}

bool readFully(int fd, char *buffer, size_t size)
{
    for (size_t got = 0; got < size;) {
        const ssize_t n = ::read(fd, buffer + got, size - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        got += size_t(n);
    }
    return true;
}

// Two names of one file, as another letter case is on a file system that ignores case.
bool sameFile(const QByteArray &a, const QByteArray &b)
{
    struct stat first {};
    struct stat second {};
    return a != b && ::stat(a.constData(), &first) == 0 && ::stat(b.constData(), &second) == 0 &&
           first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

// Copies in chunks, so that progress can be shown and a copy cancelled between two of them.
// Returns the bytes copied up to the end of the source, or -1 with errno set.
qint64 copyContents(int from, int to, qint64 total, const TransferProgress &progress)
{
    constexpr size_t kChunk = size_t(8) << 20;
    qint64 done = 0;
    const auto advance = [&](qint64 bytes) {
        done += bytes;
        if (progress && !progress(done, total)) {
            errno = ECANCELED;
            return false;
        }
        return true;
    };
    // copy_file_range lets the kernel (or the file system, with reflinks) do the work; plain
    // reads and writes cover the file systems that refuse it, and go on where it stopped: some
    // kernels end a copy_file_range early, so its end is no proof of the file's end.
    for (;;) {
        const ssize_t copied = ::copy_file_range(from, nullptr, to, nullptr, kChunk, 0);
        if (copied == 0)
            break;
        if (copied < 0) {
            if (errno == EINTR)
                continue;
            if (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP)
                break;
            return -1;
        }
        if (!advance(copied))
            return -1;
    }
    // Not zero-filled: after copy_file_range it usually only meets the end of the file, and filling
    // 8 MB would cost milliseconds a file.
    const std::unique_ptr<char[]> buffer = std::make_unique_for_overwrite<char[]>(kChunk);
    for (;;) {
        const ssize_t got = ::read(from, buffer.get(), kChunk);
        if (got == 0)
            return done;
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return -1;
        }
        for (ssize_t written = 0; written < got;) {
            const ssize_t put = ::write(to, buffer.get() + written, size_t(got - written));
            if (put < 0) {
                if (errno == EINTR)
                    continue;
                return -1;
            }
            written += put;
        }
        if (!advance(got))
            return -1;
    }
}

bool sameTimes(const timespec &a, const timespec &b)
{
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

// Whether the source still is the file as it was when its copy began: another program may
// truncate, rewrite or replace it while we copy.
bool unchanged(int fd, const QByteArray &path, const struct stat &before)
{
    struct stat now {};
    struct stat named {};
    return ::fstat(fd, &now) == 0 && now.st_size == before.st_size && sameTimes(now.st_mtim, before.st_mtim) &&
           ::stat(path.constData(), &named) == 0 && named.st_dev == now.st_dev && named.st_ino == now.st_ino;
}

Failure changedWhileCopied()
{
    return {platform::FailureKind::PathFileAccess, QStringLiteral("The file changed while it was copied")};
}

// Copies source to a hidden temporary file beside target, then gives it the target name.
MaybeFailure copyIntoPlace(const QByteArray &source, const QByteArray &target, const TransferProgress &progress,
                           const TransferRecorder &recorder, FileIdentity &placed)
{
    const Descriptor in(::open(source.constData(), O_RDONLY | O_CLOEXEC));
    struct stat info {};
    if (!in.valid() || ::fstat(in.get(), &info) != 0)
        return lastError();

    const QByteArray folder = platform::folderOf(target);
    // A part of a copy is no loss: the copy goes on when its temporary name cannot be noted.
    const platform::TemporaryFile temporaryFile =
        platform::createTemporaryFile(folder, ".shelfmaster-", 0600, [&](const QByteArray &path) {
            if (recorder.temporary)
                recorder.temporary(path);
            return true;
        });
    const QByteArray &temporary = temporaryFile.path;
    Descriptor out(temporaryFile.fd);
    if (!out.valid())
        return lastError();
    const auto discard = [&](const Failure &failure) {
        out.reset();
        ::unlink(temporary.constData());
        return failure;
    };

    const qint64 copied = copyContents(in.get(), out.get(), qint64(info.st_size), progress);
    if (copied < 0)
        return discard(Failure::fromErrno(errno));
    if (copied != qint64(info.st_size) || !unchanged(in.get(), source, info))
        return discard(changedWhileCopied());
    // Keeping permissions and times is best-effort: FAT and some network file systems refuse
    // them, and a sort onto such a stick must still work.
    const std::array<timespec, 2> times = {info.st_atim, info.st_mtim};
    ::fchmod(out.get(), info.st_mode & 07777);
    ::futimens(out.get(), times.data());
    struct stat copy {};
    if (::fsync(out.get()) != 0 || ::fstat(out.get(), &copy) != 0)
        return discard(Failure::fromErrno(errno));
    if (!out.reset())
        return discard(Failure::fromErrno(errno));
    placed = identityOf(copy);
    if (recorder.placing)
        recorder.placing(placed, identityOf(info));
    if (platform::renameNoReplace(temporary, target) != 0)
        return discard(Failure::fromErrno(errno));
    platform::syncFolder(folder);
    return std::nullopt;
}

// Compares two files byte by byte; with prefix, only as far as the first one goes.
bool contentsMatch(const QByteArray &first, const QByteArray &second, bool prefix)
{
    const Descriptor a(::open(first.constData(), O_RDONLY | O_CLOEXEC));
    const Descriptor b(::open(second.constData(), O_RDONLY | O_CLOEXEC));
    struct stat infoA {};
    struct stat infoB {};
    if (!a.valid() || !b.valid() || ::fstat(a.get(), &infoA) != 0 || ::fstat(b.get(), &infoB) != 0 ||
        !S_ISREG(infoA.st_mode) || !S_ISREG(infoB.st_mode) ||
        (prefix ? infoA.st_size > infoB.st_size : infoA.st_size != infoB.st_size))
        return false;
    constexpr size_t kChunk = size_t(1) << 20;
    std::vector<char> bufferA(kChunk);
    std::vector<char> bufferB(kChunk);
    for (qint64 left = infoA.st_size; left > 0;) {
        const size_t want = size_t(std::min<qint64>(left, qint64(kChunk)));
        if (!readFully(a.get(), bufferA.data(), want) || !readFully(b.get(), bufferB.data(), want) ||
            std::memcmp(bufferA.data(), bufferB.data(), want) != 0)
            return false;
        left -= qint64(want);
    }
    return true;
}

} // namespace

MaybeFailure transferFile(const QString &source, const QString &target, Transfer how, const TransferProgress &progress,
                          const TransferRecorder &recorder)
{
    const QByteArray from = platform::encodeFileName(source);
    const QByteArray to = platform::encodeFileName(target);
    if (how == Transfer::Move) {
        if (platform::renameNoReplace(from, to) == 0)
            return std::nullopt;
        if (errno != EXDEV)
            return lastError();
    }
    const std::optional<FileIdentity> original = identityOf(from);
    FileIdentity placed;
    if (MaybeFailure failure = copyIntoPlace(from, to, progress, recorder, placed))
        return failure;
    if (how == Transfer::Copy)
        return std::nullopt;
    // Another program may have changed the source, or put a file of its own under its name, since
    // the copy was made: that one is not ours to delete, and the copy stays as it is.
    if (identityOf(from) != original)
        return changedWhileCopied();
    if (::unlink(from.constData()) != 0) {
        const int error = errno;
        // Gone meanwhile: the copy is the file now.
        if (error == ENOENT)
            return std::nullopt;
        // The file must not end up in two places: our copy goes again, the source stays.
        if (isFileAt(to, placed))
            ::unlink(to.constData());
        return Failure::fromErrno(error);
    }
    return std::nullopt;
}

MaybeFailure renameFile(const QString &from, const QString &to, const TransferRecorder &recorder)
{
    const QByteArray oldName = platform::encodeFileName(from);
    const QByteArray newName = platform::encodeFileName(to);
    if (!sameFile(oldName, newName)) {
        if (platform::renameNoReplace(oldName, newName) != 0)
            return lastError();
        return std::nullopt;
    }
    // On a file system that ignores letter case the new name is the file itself: it goes through
    // a temporary name of its own in the same folder, and back to the old name if that fails.
    const platform::TemporaryFile claim =
        platform::createTemporaryFile(platform::folderOf(oldName), ".shelfmaster-", 0600, recorder.temporary);
    if (claim.fd < 0)
        return lastError();
    ::close(claim.fd);
    ::unlink(claim.path.constData());
    if (platform::renameNoReplace(oldName, claim.path) != 0)
        return lastError();
    if (platform::renameNoReplace(claim.path, newName) != 0) {
        const int error = errno;
        // Never left under a hidden name: when the old name was taken meanwhile, a numbered one.
        platform::renameToFreeName(claim.path, oldName);
        return Failure::fromErrno(error);
    }
    return std::nullopt;
}

FileIdentity identityOf(const struct stat &info)
{
    return {quint64(info.st_dev), quint64(info.st_ino), qint64(info.st_size),
            qint64(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec};
}

std::optional<FileIdentity> identityOf(const QByteArray &path, bool followLinks)
{
    struct stat info {};
    if (path.isEmpty() || (followLinks ? ::stat(path.constData(), &info) : ::lstat(path.constData(), &info)) != 0)
        return std::nullopt;
    return identityOf(info);
}

bool isFileAt(const QByteArray &path, const FileIdentity &identity)
{
    return identity.known() && identityOf(path) == identity;
}

bool sameContents(const QByteArray &a, const QByteArray &b)
{
    return contentsMatch(a, b, false);
}

bool isPrefixOf(const QByteArray &part, const QByteArray &whole)
{
    return contentsMatch(part, whole, true);
}

} // namespace fileops
