#include "fileops/FileTransfer.h"

#include "platform/FileNames.h"
#include "platform/Folders.h"

#include <array>
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

// Gives the file at from the name to, failing with EEXIST rather than replacing anything.
// Where the file system cannot rename without replacing, a hard link does the same; where it
// has no hard links either (FAT), the target name is first claimed with an exclusive create,
// so the rename can only replace that empty file of our own.
int renameWithoutReplacing(const QByteArray &from, const QByteArray &to)
{
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP)
        return -1;
    if (::link(from.constData(), to.constData()) == 0)
        return ::unlink(from.constData());
    if (errno != EPERM && errno != EOPNOTSUPP)
        return -1;
    const int claim = ::open(to.constData(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0600);
    if (claim < 0)
        return -1;
    ::close(claim);
    if (::rename(from.constData(), to.constData()) == 0)
        return 0;
    const int renameError = errno;
    ::unlink(to.constData());
    errno = renameError;
    return -1;
}

bool copyContents(int from, int to)
{
    // copy_file_range lets the kernel (or the file system, with reflinks) do the work; plain
    // reads and writes cover the file systems that refuse it.
    for (;;) {
        const ssize_t copied = ::copy_file_range(from, nullptr, to, nullptr, size_t(1) << 30, 0);
        if (copied == 0)
            return true;
        if (copied < 0) {
            if (errno == EINTR)
                continue;
            if (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP)
                break;
            return false;
        }
    }
    std::array<char, 1 << 20> buffer;
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
    }
}

void syncFolder(const QByteArray &folder)
{
    const Descriptor fd(::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.valid())
        ::fsync(fd.get());
}

// Copies source to a hidden temporary file beside target, then gives it the target name.
MaybeFailure copyIntoPlace(const QByteArray &source, const QByteArray &target)
{
    const Descriptor in(::open(source.constData(), O_RDONLY | O_CLOEXEC));
    struct stat info {};
    if (!in.valid() || ::fstat(in.get(), &info) != 0)
        return lastError();

    const QByteArray folder = platform::encodeFileName(
        platform::parentFolder(platform::decodeFileName(target)));
    QByteArray temporary = folder + (folder.endsWith('/') ? "" : "/") + ".shelfmaster-XXXXXX";
    Descriptor out(::mkostemp(temporary.data(), O_CLOEXEC));
    if (!out.valid())
        return lastError();

    const std::array<timespec, 2> times = {info.st_atim, info.st_mtim};
    const bool written = copyContents(in.get(), out.get()) &&
                         ::fchmod(out.get(), info.st_mode & 07777) == 0 &&
                         ::futimens(out.get(), times.data()) == 0 && ::fsync(out.get()) == 0;
    const int writeError = errno;
    if (!out.reset() || !written) {
        const int error = written ? errno : writeError;
        ::unlink(temporary.constData());
        return Failure::fromErrno(error);
    }
    if (renameWithoutReplacing(temporary, target) != 0) {
        const int error = errno;
        ::unlink(temporary.constData());
        return Failure::fromErrno(error);
    }
    syncFolder(folder);
    return std::nullopt;
}

} // namespace

MaybeFailure transferFile(const QString &source, const QString &target, Transfer how)
{
    const QByteArray from = platform::encodeFileName(source);
    const QByteArray to = platform::encodeFileName(target);
    if (how == Transfer::Move) {
        if (renameWithoutReplacing(from, to) == 0)
            return std::nullopt;
        if (errno != EXDEV)
            return lastError();
    }
    if (MaybeFailure failure = copyIntoPlace(from, to))
        return failure;
    if (how == Transfer::Move && ::unlink(from.constData()) != 0)
        return lastError(); // the copy stays in place and so does the source
    return std::nullopt;
}

MaybeFailure renameFile(const QString &from, const QString &to)
{
    if (renameWithoutReplacing(platform::encodeFileName(from), platform::encodeFileName(to)) != 0)
        return lastError();
    return std::nullopt;
}

} // namespace fileops
