#pragma once

#include "platform/Failure.h"

#include <QByteArray>
#include <QStringList>

namespace platform {

// Text as the program's files hold it: UTF-8, or Windows-1252 for files written by older
// programs that are not valid UTF-8.
QString decodeText(const QByteArray &bytes);

// Lines of a text file: CR LF or LF ends a line; the end of the last line is optional.
QStringList splitLines(const QString &text);

struct TextFileRead {
    QStringList lines;
    MaybeFailure failure; // a missing file is FileNotFound
};
TextFileRead readTextLines(const QString &path);

// Replaces the file in one step: the old content stays whole until the new one is complete.
// Lines end in CR LF. The folder is created when missing.
MaybeFailure writeTextLines(const QString &path, const QStringList &lines);

// Adds lines at the end the same way, so an interrupted append never leaves part of them.
MaybeFailure appendTextLines(const QString &path, const QStringList &lines);

// Writes bytes to path through a temporary file in the same folder and a rename. A file that
// exists and is marked read-only is left alone and reported as a failure.
MaybeFailure replaceFileAtomically(const QString &path, const QByteArray &bytes);

} // namespace platform
