#include "fileops/FileTransfer.h"

#include "platform/FileNames.h"
#include "platform/Folders.h"
#include "platform/RawFiles.h"

#include <array>
#include <vector>
#include <cerrno>
#include <cstdio>
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

// Two names of one file, as another letter case is on a file system that ignores case.
bool sameFile(const QByteArray &a, const QByteArray &b)
{
    struct stat first {};
    struct stat second {};
    return a != b && ::stat(a.constData(), &first) == 0 && ::stat(b.constData(), &second) == 0 &&
           first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

// Copies in chunks, so that progress can be shown and a copy cancelled between two of them.
bool copyContents(int from, int to, qint64 total, const TransferProgress &progress)
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
    // reads and writes cover the file systems that refuse it.
    for (;;) {
        const ssize_t copied = ::copy_file_range(from, nullptr, to, nullptr, kChunk, 0);
        if (copied == 0)
            return true;
        if (copied < 0) {
            if (errno == EINTR)
                continue;
            if (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP)
                break;
            return false;
        }
        if (!advance(copied))
            return false;
    }
    std::vector<char> buffer(kChunk);
    for (;;) {
        const ssize_t got = ::read(from, buffer.data(), buffer.size());
        if (got == 0)
            return true;
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        for (ssize_t written = 0; written < got;) {
            const ssize_t put = ::write(to, buffer.data() + written, size_t(got - written));
            if (put < 0) {
                if (errno == EINTR)
                    continue;
                return false;
            }
            written += put;
        }
        if (!advance(got))
            return false;
    }
}

// Copies source to a hidden temporary file beside target, then gives it the target name.
MaybeFailure copyIntoPlace(const QByteArray &source, const QByteArray &target, const TransferProgress &progress)
{
    const Descriptor in(::open(source.constData(), O_RDONLY | O_CLOEXEC));
    struct stat info {};
    if (!in.valid() || ::fstat(in.get(), &info) != 0)
        return lastError();

    const QByteArray folder = platform::folderOf(target);
    const platform::TemporaryFile temporaryFile = platform::createTemporaryFile(folder, ".shelfmaster-", 0600);
    const QByteArray &temporary = temporaryFile.path;
    Descriptor out(temporaryFile.fd);
    if (!out.valid())
        return lastError();

    const bool written = copyContents(in.get(), out.get(), qint64(info.st_size), progress) && ::fsync(out.get()) == 0;
    const int writeError = errno;
    if (written) {
        // Keeping permissions and times is best-effort: FAT and some network file systems refuse
        // them, and a sort onto such a stick must still work.
        const std::array<timespec, 2> times = {info.st_atim, info.st_mtim};
        ::fchmod(out.get(), info.st_mode & 07777);
        ::futimens(out.get(), times.data());
    }
    if (!out.reset() || !written) {
        const int error = written ? errno : writeError;
        ::unlink(temporary.constData());
        return Failure::fromErrno(error);
    }
    if (platform::renameNoReplace(temporary, target) != 0) {
        const int error = errno;
        ::unlink(temporary.constData());
        return Failure::fromErrno(error);
    }
    platform::syncFolder(folder);
    return std::nullopt;
}

} // namespace

MaybeFailure transferFile(const QString &source, const QString &target, Transfer how, const TransferProgress &progress)
{
    const QByteArray from = platform::encodeFileName(source);
    const QByteArray to = platform::encodeFileName(target);
    if (how == Transfer::Move) {
        if (platform::renameNoReplace(from, to) == 0)
            return std::nullopt;
        if (errno != EXDEV)
            return lastError();
    }
    if (MaybeFailure failure = copyIntoPlace(from, to, progress))
        return failure;
    if (how == Transfer::Move && ::unlink(from.constData()) != 0) {
        // The file must not end up in two places: the copy goes again, the source stays.
        const int error = errno;
        ::unlink(to.constData());
        return Failure::fromErrno(error);
    }
    return std::nullopt;
}

MaybeFailure renameFile(const QString &from, const QString &to)
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
    const platform::TemporaryFile claim = platform::createTemporaryFile(platform::folderOf(oldName), ".shelfmaster-", 0600);
    if (claim.fd < 0)
        return lastError();
    ::close(claim.fd);
    ::unlink(claim.path.constData());
    if (platform::renameNoReplace(oldName, claim.path) != 0)
        return lastError();
    if (platform::renameNoReplace(claim.path, newName) != 0) {
        const int error = errno;
        ::rename(claim.path.constData(), oldName.constData());
        return Failure::fromErrno(error);
    }
    return std::nullopt;
}

} // namespace fileops
