#include "platform/Error.h"

namespace qel {

QString classicDescription(int number)
{
    switch (number) {
    case err::FileNotFound:
        return QStringLiteral("File not found");
    case err::DeviceIOError:
        return QStringLiteral("Device I/O error");
    case err::FileAlreadyExists:
        return QStringLiteral("File already exists");
    case err::DiskFull:
        return QStringLiteral("Disk full");
    case err::DeviceUnavailable:
        return QStringLiteral("Device unavailable");
    case err::PermissionDenied:
        return QStringLiteral("Permission denied");
    case err::DiskNotReady:
        return QStringLiteral("Disk not ready");
    case err::PathFileAccessError:
        return QStringLiteral("Path/File access error");
    case err::PathNotFound:
        return QStringLiteral("Path not found");
    default:
        return QStringLiteral("Application-defined or object-defined error");
    }
}

Error::Error(int number, QString description)
    : m_number(number)
    , m_description(description.isEmpty() ? classicDescription(number) : std::move(description))
    , m_what(m_description.toUtf8())
{
}

Error pathNotFound(const QString& dosPath) {
    return Error(err::PathNotFound, QStringLiteral("Path not found: %1").arg(dosPath));
}

} // namespace qel
