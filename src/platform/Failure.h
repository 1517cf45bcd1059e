#pragma once

#include <QString>
#include <optional>

namespace platform {

// What went wrong. The program's own failures show their own numbers; System shows the
// operating system's number, so an errno is never read as one of the program's failures.
enum class FailureKind {
    System,
    Cancelled,
    OutOfMemory,
    FileNotFound,
    FileAlreadyExists,
    InputPastEndOfFile,
    DeviceUnavailable,
    PathFileAccess,
    PathNotFound,
    InvalidPropertyValue,
    InvalidPicture,
};

// The outcome of an operation that went wrong, shown to the user as "number description".
struct Failure {
    FailureKind kind = FailureKind::System;
    QString description;
    int systemError = 0; // the errno behind it, 0 when the program found the fault itself

    int number() const;
    QString text() const { return QString::number(number()) + QLatin1Char(' ') + description; }
    bool operator==(const Failure &) const = default;

    // ENOENT, EEXIST and ECANCELED become their kinds; any other errno is a System failure.
    static Failure fromErrno(int errnoValue);
    static Failure system(int errnoValue, const QString &description);
    static Failure fileNotFound();
    static Failure pathNotFound();
    static Failure deviceUnavailable();
};

// No value means success.
using MaybeFailure = std::optional<Failure>;

} // namespace platform
