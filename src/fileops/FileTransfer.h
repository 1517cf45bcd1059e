#pragma once

#include "platform/Failure.h"

#include <QByteArray>
#include <QString>
#include <functional>
#include <optional>

struct stat;

namespace fileops {

enum class Transfer { Copy, Move };

// Told the bytes copied so far and the file's size after each chunk of a copy; returning false
// cancels the copy (ECANCELED): the temporary file goes and the source stays.
using TransferProgress = std::function<bool(qint64 done, qint64 total)>;
// One file's transfer, given the progress to report to.
using TransferWork = std::function<platform::MaybeFailure(const TransferProgress &)>;
// Runs one file's transfer, named for the user; the window runs it on a worker thread with a
// progress dialog and Cancel. Without one, the transfer runs where it is called.
using TransferRunner = std::function<platform::MaybeFailure(const QString &name, const TransferWork &work)>;

// What a file is, as far as we can tell it is still the same file: a name or a size alone
// proves nothing, since a camera reuses names and a sync tool replaces files in place.
struct FileIdentity {
    quint64 device = 0;
    quint64 inode = 0;
    qint64 size = 0;
    qint64 modifiedNs = 0;

    bool operator==(const FileIdentity &) const = default;
    bool known() const { return *this != FileIdentity{}; }
};
FileIdentity identityOf(const struct stat &info);
// Of the entry itself, or with followLinks of the file a symbolic link leads to; none when there
// is no such file.
std::optional<FileIdentity> identityOf(const QByteArray &path, bool followLinks = false);
// Whether the entry at path is the file of that (known) identity.
bool isFileAt(const QByteArray &path, const FileIdentity &identity);

// Told of the steps a crash could leave half done, each before it happens, so that a journal can
// later tell our own files from anybody else's.
struct TransferRecorder {
    // A temporary file is about to be made under this name; false when that cannot be noted.
    std::function<bool(const QByteArray &path)> temporary;
    // The complete copy is about to be given its name; source is the file it was read from,
    // which is not the source's own entry when that is a symbolic link.
    std::function<void(const FileIdentity &copy, const FileIdentity &source)> placing;
};

// Puts the file at source under the path target, which names the new file itself. Neither
// a copy nor a move ever replaces an existing target: that is FileAlreadyExists, even when the
// target appeared a moment ago or is hidden. A move within one file system is a single rename.
// Anything else is copied to a hidden temporary file in the target's folder, flushed, and only
// then given the target name (keeping the modification time and permissions); a move deletes
// the source last. A copy counts only when it holds every byte of a source that did not change
// meanwhile. On failure no temporary file stays behind and the source is untouched; when the
// source changed after its copy was in place, both stay and that is the failure.
platform::MaybeFailure transferFile(const QString &source, const QString &target, Transfer how,
                                    const TransferProgress &progress = {}, const TransferRecorder &recorder = {});

// Gives a file a new name in its folder in one step, never replacing a file of that name.
platform::MaybeFailure renameFile(const QString &from, const QString &to, const TransferRecorder &recorder = {});

// Whether two files hold the same bytes; whether part holds the first bytes of whole.
bool sameContents(const QByteArray &a, const QByteArray &b);
bool isPrefixOf(const QByteArray &part, const QByteArray &whole);

} // namespace fileops
