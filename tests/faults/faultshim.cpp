// Preloaded into the fault-injection tests: makes a chosen call fail with a chosen error at its
// n-th use (or stops the process there, as a crash would), slows large writes down as a slow
// stick does, makes one folder ignore letter case as FAT does, and one answer as slowly as a
// share on a distant server. The tests drive it through
// the faultshim_* functions.
#include <cerrno>
#include <csignal>
#include <cstdarg>
#include <cstring>
#include <dirent.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <algorithm>
#include <atomic>
#include <optional>
#include <string>
#include <string_view>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

struct Fault {
    std::string call;
    int error = 0;
    int nth = 0;
    int count = 0;
};

std::vector<Fault> g_faults;
int g_delayMs = 0;
size_t g_delayFromBytes = 0;
int g_errnoAfterNew = 0;
size_t g_copyChunk = 0;
std::string g_caseFolder;

// The slow folder: every call on a path in it or on a descriptor opened there waits this long,
// and a listing of it answers a batch of entries per wait, as a network share does.
std::string g_slowFolder;
int g_slowMs = 0;
constexpr int kSlowEntriesPerAnswer = 32;
constexpr int kMostDescriptors = 4096;
std::atomic<bool> g_slowDescriptor[kMostDescriptors];
std::atomic<int> g_entriesRead[kMostDescriptors];

// The error that stands for a crash: the process is killed before the call.
constexpr int kKill = -1;

bool failNow(std::string_view call)
{
    // The calls after which a crash leaves the disk in another state; armed as "step".
    const bool changesTheDisk = call == "fsync" || call == "rename" || call == "renameat2" || call == "link" || call == "unlink" || call == "copy_file_range";
    for (Fault &fault : g_faults) {
        if ((fault.call == call || (fault.call == "step" && changesTheDisk)) && ++fault.count == fault.nth) {
            if (fault.error == kKill) ::raise(SIGKILL);
            errno = fault.error;
            return true;
        }
    }
    return false;
}

void delayLarge(size_t size)
{
    if (g_delayMs > 0 && size >= g_delayFromBytes) ::usleep(useconds_t(g_delayMs) * 1000);
}

bool inSlowFolder(const char *path)
{
    const std::size_t size = g_slowFolder.size();
    return g_slowMs > 0 && path && g_slowFolder.compare(0, size, path, std::min(size, std::strlen(path))) == 0 &&
           (path[size] == '/' || path[size] == 0);
}

bool isSlow(int fd) { return g_slowMs > 0 && fd >= 0 && fd < kMostDescriptors && g_slowDescriptor[fd]; }

bool waitIfSlow(bool slow)
{
    if (slow) ::usleep(useconds_t(g_slowMs) * 1000);
    return slow;
}

void markSlow(int fd, bool slow)
{
    if (fd < 0 || fd >= kMostDescriptors) return;
    g_slowDescriptor[fd] = slow;
    g_entriesRead[fd] = 0;
}

template <class Function>
Function real(const char *name)
{
    return reinterpret_cast<Function>(::dlsym(RTLD_NEXT, name));
}

// In the case-folding folder, the entry whose name equals the path's last part in any letter
// case (another one than itself if asked); empty elsewhere or when there is none.
std::string foldedMatch(const char *path, bool otherThanItself)
{
    const std::string p(path);
    const std::size_t slash = p.rfind('/');
    if (g_caseFolder.empty() || slash == std::string::npos || p.substr(0, slash) != g_caseFolder) return {};
    const std::string name = p.substr(slash + 1);
    std::string found;
    if (DIR *folder = ::opendir(g_caseFolder.c_str())) {
        while (const dirent *entry = ::readdir(folder)) {
            if (found.empty() && ::strcasecmp(entry->d_name, name.c_str()) == 0 && (!otherThanItself || name != entry->d_name))
                found = g_caseFolder + '/' + entry->d_name;
        }
        ::closedir(folder);
    }
    return found;
}

// Creating a name that another letter case already holds finds that entry.
bool takenInAnyCase(const char *path)
{
    if (::access(path, F_OK) == 0 || foldedMatch(path, true).empty()) return false;
    errno = EEXIST;
    return true;
}

const char *folded(const char *path, std::string &storage)
{
    if (::access(path, F_OK) == 0) return path;
    storage = foldedMatch(path, false);
    return storage.empty() ? path : storage.c_str();
}

// open, or openat when given a folder.
int openWith(std::optional<int> dirfd, const char *path, int flags, va_list arguments)
{
    const mode_t mode = (flags & (O_CREAT | O_TMPFILE)) ? mode_t(va_arg(arguments, int)) : 0;
    std::string storage;
    if (failNow("open") || ((flags & O_CREAT) && (flags & O_EXCL) && takenInAnyCase(path))) return -1;
    if (!(flags & O_CREAT)) path = folded(path, storage);
    const bool slow = waitIfSlow(inSlowFolder(path) || (dirfd && path[0] != '/' && isSlow(*dirfd)));
    const int fd = dirfd ? real<int (*)(int, const char *, int, ...)>("openat")(*dirfd, path, flags, mode)
                         : real<int (*)(const char *, int, ...)>("open")(path, flags, mode);
    markSlow(fd, slow);
    return fd;
}

// Looking a name up in the case-folding folder finds it in any letter case.
template <class Info>
int lookUp(const char *name, const char *path, Info *info)
{
    waitIfSlow(inSlowFolder(path));
    std::string storage;
    return real<int (*)(const char *, Info *)>(name)(folded(path, storage), info);
}

} // namespace

extern "C" {

// Adds a failure: the nth use of call from now on fails with error; error -1 kills the process
// before that call; error 0 makes copy_file_range end early, as some kernels do, and read end
// early, as with a file cut short meanwhile. The call "step" is any call that changes the disk.
void faultshim_arm(const char *call, int error, int nth) { g_faults.push_back({call, error, nth, 0}); }
void faultshim_disarm() { g_faults.clear(); }

// How often an armed call was made since it was armed.
int faultshim_calls(const char *call)
{
    for (const Fault &fault : g_faults)
        if (fault.call == call) return fault.count;
    return -1;
}

// Every write or copy of at least fromBytes bytes takes ms longer; 0 ms ends it.
void faultshim_slow(int ms, size_t fromBytes)
{
    g_delayMs = ms;
    g_delayFromBytes = fromBytes;
}
// From now on copy_file_range copies at most bytes at a time (0: as asked), as some file
// systems do; each call is a point a crash can come between.
void faultshim_copy_chunk(size_t bytes) { g_copyChunk = bytes; }
void faultshim_casefold(const char *folder) { g_caseFolder = folder ? folder : ""; }
// Calls in folder (and its subfolders) take ms each; 0 ms ends it.
void faultshim_slow_folder(const char *folder, int ms)
{
    g_slowFolder = folder ? folder : "";
    g_slowMs = ms;
}
// From now on every allocation by operator new leaves errno set to error (0: as it was), as
// an allocator may on success.
void faultshim_errno_after_new(int error) { g_errnoAfterNew = error; }

int open(const char *path, int flags, ...)
{
    va_list arguments;
    va_start(arguments, flags);
    const int fd = openWith(std::nullopt, path, flags, arguments);
    va_end(arguments);
    return fd;
}

// The same function under its large-file name.
int open64(const char *path, int flags, ...) __attribute__((alias("open")));

int openat(int dirfd, const char *path, int flags, ...)
{
    va_list arguments;
    va_start(arguments, flags);
    const int fd = openWith(dirfd, path, flags, arguments);
    va_end(arguments);
    return fd;
}

int close(int fd)
{
    markSlow(fd, false);
    return real<int (*)(int)>("close")(fd);
}

DIR *opendir(const char *path)
{
    const bool slow = waitIfSlow(inSlowFolder(path));
    DIR *folder = real<DIR *(*)(const char *)>("opendir")(path);
    if (folder) markSlow(::dirfd(folder), slow);
    return folder;
}

int closedir(DIR *folder)
{
    markSlow(::dirfd(folder), false);
    return real<int (*)(DIR *)>("closedir")(folder);
}

dirent *readdir(DIR *folder)
{
    if (failNow("readdir")) return nullptr;
    const int fd = ::dirfd(folder);
    waitIfSlow(isSlow(fd) && g_entriesRead[fd]++ % kSlowEntriesPerAnswer == 0);
    return real<dirent *(*)(DIR *)>("readdir")(folder);
}

dirent64 *readdir64(DIR *folder)
{
    if (failNow("readdir")) return nullptr;
    const int fd = ::dirfd(folder);
    waitIfSlow(isSlow(fd) && g_entriesRead[fd]++ % kSlowEntriesPerAnswer == 0);
    return real<dirent64 *(*)(DIR *)>("readdir64")(folder);
}

ssize_t read(int fd, void *buffer, size_t size)
{
    waitIfSlow(isSlow(fd));
    if (failNow("read")) return errno == 0 ? 0 : -1;
    return real<ssize_t (*)(int, void *, size_t)>("read")(fd, buffer, size);
}

ssize_t write(int fd, const void *buffer, size_t size)
{
    if (failNow("write")) return -1;
    waitIfSlow(isSlow(fd));
    delayLarge(size);
    return real<ssize_t (*)(int, const void *, size_t)>("write")(fd, buffer, size);
}

ssize_t copy_file_range(int in, off64_t *inOffset, int out, off64_t *outOffset, size_t size, unsigned flags)
{
    if (failNow("copy_file_range")) return errno == 0 ? 0 : -1;
    size = g_copyChunk > 0 && size > g_copyChunk ? g_copyChunk : size;
    waitIfSlow(isSlow(in) || isSlow(out));
    delayLarge(size);
    return real<ssize_t (*)(int, off64_t *, int, off64_t *, size_t, unsigned)>("copy_file_range")(in, inOffset, out, outOffset, size, flags);
}

int renameat2(int fromDir, const char *from, int toDir, const char *to, unsigned flags)
{
    if (failNow("renameat2") || ((flags & RENAME_NOREPLACE) && takenInAnyCase(to))) return -1;
    waitIfSlow(inSlowFolder(from) || inSlowFolder(to) || isSlow(fromDir) || isSlow(toDir));
    return real<int (*)(int, const char *, int, const char *, unsigned)>("renameat2")(fromDir, from, toDir, to, flags);
}

int link(const char *from, const char *to)
{
    return failNow("link") || takenInAnyCase(to) ? -1 : real<int (*)(const char *, const char *)>("link")(from, to);
}

int unlink(const char *path)
{
    waitIfSlow(inSlowFolder(path));
    std::string storage;
    return failNow("unlink") ? -1 : real<int (*)(const char *)>("unlink")(folded(path, storage));
}

int fsync(int fd) { return failNow("fsync") ? -1 : (waitIfSlow(isSlow(fd)), real<int (*)(int)>("fsync")(fd)); }
int rename(const char *from, const char *to)
{
    if (failNow("rename")) return -1;
    waitIfSlow(inSlowFolder(from) || inSlowFolder(to));
    return real<int (*)(const char *, const char *)>("rename")(from, to);
}
int fchmod(int fd, mode_t mode) { return failNow("fchmod") ? -1 : real<int (*)(int, mode_t)>("fchmod")(fd, mode); }
int futimens(int fd, const struct timespec times[2]) { return failNow("futimens") ? -1 : real<int (*)(int, const struct timespec *)>("futimens")(fd, times); }
int mkdir(const char *path, mode_t mode) { return failNow("mkdir") ? -1 : real<int (*)(const char *, mode_t)>("mkdir")(path, mode); }

int stat(const char *path, struct stat *info) { return lookUp("stat", path, info); }
int stat64(const char *path, struct stat64 *info) { return lookUp("stat64", path, info); }
int lstat(const char *path, struct stat *info) { return lookUp("lstat", path, info); }
int lstat64(const char *path, struct stat64 *info) { return lookUp("lstat64", path, info); }

} // extern "C"

void *operator new(std::size_t size)
{
    static const auto next = reinterpret_cast<void *(*)(std::size_t)>(::dlsym(RTLD_NEXT, "_Znwm"));
    void *memory = next(size);
    if (g_errnoAfterNew != 0) errno = g_errnoAfterNew;
    return memory;
}
