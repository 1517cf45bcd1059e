#pragma once

#include "platform/Failure.h"

#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace platform {

enum class EntryKind { File, Folder, Other };

struct FolderEntry {
    QString name;
    EntryKind kind = EntryKind::Other;
};

struct FolderRead {
    std::vector<FolderEntry> entries; // in the order the file system returns them
    MaybeFailure failure;             // PathNotFound when the folder does not exist
};

// One pass over the directory: the kind comes with each name, so only symbolic links (and file
// systems that report no kind) cost a stat. "." and ".." are left out. With only, entries of
// other kinds are skipped before their names are even decoded.
FolderRead readFolder(const QString &path, std::optional<EntryKind> only = std::nullopt);
// A folder read a part at a time, possibly on one thread after another: the window reads the
// start of a folder on a slow share and hands the rest over to a worker thread.
class FolderStream {
public:
    explicit FolderStream(const QString &path, std::optional<EntryKind> only = std::nullopt);
    ~FolderStream();
    FolderStream(const FolderStream &) = delete;
    FolderStream &operator=(const FolderStream &) = delete;

    // Hands entries of the kind over while take returns true, and goes on while goOn (asked at
    // every entry of any kind) does; true when it stopped with more to read.
    bool read(const std::function<bool(FolderEntry &&)> &take, const std::function<bool()> &goOn = {});
    // Why the folder could not be opened or read to its end.
    const MaybeFailure &failure() const { return m_failure; }

private:
    struct Open;
    std::unique_ptr<Open> m_open;
    std::optional<EntryKind> m_only;
    MaybeFailure m_failure;
};

// PathNotFound when path is not an existing folder.
MaybeFailure checkFolder(const QString &path);

// Makes one new folder; FileAlreadyExists when the name is taken, by a folder or anything else.
MaybeFailure makeFolder(const QString &path);

// Whether anything (a file, a folder, a link) has this path.
bool entryExists(const QString &path);
// What a path names, following a symbolic link as a folder read does; Other when nothing.
EntryKind entryKind(const QString &path);

// The process's current folder, "/" when it cannot be read.
QString currentFolder();

// The folder that holds path ("/a/b" gives "/a", "/a" gives "/"); empty for "/".
QString parentFolder(const QString &path);

// The folder, "/" unless it already ends with "/", and the name.
QString joinPath(const QString &folder, const QString &name);

} // namespace platform
