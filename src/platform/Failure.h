#pragma once

#include <QString>
#include <optional>

namespace platform {

// Error numbers that messages and callers single out; every other failure carries the
// operating system's own number and description.
namespace errors {
constexpr int OutOfMemory = 7;
constexpr int FileNotFound = 53;
constexpr int FileAlreadyExists = 58;
constexpr int InputPastEndOfFile = 62;
constexpr int DeviceUnavailable = 68;
constexpr int PathFileAccess = 75;
constexpr int PathNotFound = 76;
constexpr int InvalidPropertyValue = 380;
constexpr int InvalidPicture = 481;
}

// The outcome of an operation that went wrong: a number and a description, shown to the
// user as "number description".
struct Failure {
    int number = 0;
    QString description;

    QString text() const { return QString::number(number) + QLatin1Char(' ') + description; }
    bool operator==(const Failure &) const = default;

    // ENOENT and EEXIST become the numbers above; any other errno keeps its own value.
    static Failure fromErrno(int errnoValue);
    static Failure fileNotFound();
    static Failure pathNotFound();
    static Failure deviceUnavailable();
};

// No value means success.
using MaybeFailure = std::optional<Failure>;

} // namespace platform
