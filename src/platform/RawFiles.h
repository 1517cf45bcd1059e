#pragma once

#include <QByteArray>
#include <functional>
#include <optional>
#include <sys/types.h>

// File operations on paths as the file system holds them (bytes). Failures leave errno set.
namespace platform {

// Gives the file at from the name to, failing with EEXIST rather than replacing anything.
int renameNoReplace(const QByteArray &from, const QByteArray &to);

// A new file of its own in folder, named prefix and random characters, created with mode (less
// the umask), open for writing. fd is -1 on failure. announce is told each name before a file of
// that name is made, so that a journal can find what a crash left; when it cannot take note
// (returns false), no file is made.
struct TemporaryFile {
    int fd = -1;
    QByteArray path;
};
TemporaryFile createTemporaryFile(const QByteArray &folder, const QByteArray &prefix, mode_t mode,
                                  const std::function<bool(const QByteArray &path)> &announce = {});

// "a.jpg", then "a.2.jpg", "a.3.jpg", ... for attempts 1, 2, 3, ...
QByteArray numberedName(const QByteArray &name, int attempt);

// Gives the file at from the name to, or the first numbered name after it that is free; returns
// the path it now has, or nothing.
std::optional<QByteArray> renameToFreeName(const QByteArray &from, const QByteArray &to);

// Makes a rename or a new entry in folder durable.
void syncFolder(const QByteArray &folder);

// The folder part of a path ("/a/b" gives "/a", "/a" gives "/").
QByteArray folderOf(const QByteArray &path);
// The name part of a path ("/a/b" gives "b").
QByteArray nameOf(const QByteArray &path);

} // namespace platform
