#include "platform/Failure.h"

#include <cerrno>
#include <cstring>

namespace platform {

Failure Failure::fromErrno(int errnoValue)
{
    switch (errnoValue) {
    case ENOENT:
        return fileNotFound();
    case EEXIST:
        return {errors::FileAlreadyExists, QStringLiteral("File already exists")};
    default:
        return {errnoValue, QString::fromLocal8Bit(std::strerror(errnoValue))};
    }
}

Failure Failure::fileNotFound()
{
    return {errors::FileNotFound, QStringLiteral("File not found")};
}

Failure Failure::pathNotFound()
{
    return {errors::PathNotFound, QStringLiteral("Path not found")};
}

Failure Failure::deviceUnavailable()
{
    return {errors::DeviceUnavailable, QStringLiteral("Device unavailable")};
}

} // namespace platform
