#include "platform/Failure.h"

#include <cerrno>
#include <cstring>

namespace platform {

int Failure::number() const
{
    switch (kind) {
    case FailureKind::System:
    case FailureKind::Cancelled:
        break;
    case FailureKind::OutOfMemory: return 7;
    case FailureKind::FileNotFound: return 53;
    case FailureKind::FileAlreadyExists: return 58;
    case FailureKind::InputPastEndOfFile: return 62;
    case FailureKind::DeviceUnavailable: return 68;
    case FailureKind::PathFileAccess: return 75;
    case FailureKind::PathNotFound: return 76;
    case FailureKind::InvalidPropertyValue: return 380;
    case FailureKind::InvalidPicture: return 481;
    }
    return systemError;
}

Failure Failure::fromErrno(int errnoValue)
{
    Failure failure{FailureKind::System, QString::fromLocal8Bit(std::strerror(errnoValue))};
    switch (errnoValue) {
    case ENOENT:
        failure = fileNotFound();
        break;
    case EEXIST:
        failure = {FailureKind::FileAlreadyExists, QStringLiteral("File already exists")};
        break;
    case ECANCELED:
        failure.kind = FailureKind::Cancelled;
        break;
    }
    failure.systemError = errnoValue;
    return failure;
}

Failure Failure::system(int errnoValue, const QString &description)
{
    return {FailureKind::System, description, errnoValue};
}

Failure Failure::fileNotFound()
{
    return {FailureKind::FileNotFound, QStringLiteral("File not found")};
}

Failure Failure::pathNotFound()
{
    return {FailureKind::PathNotFound, QStringLiteral("Path not found")};
}

Failure Failure::deviceUnavailable()
{
    return {FailureKind::DeviceUnavailable, QStringLiteral("Device unavailable")};
}

} // namespace platform
