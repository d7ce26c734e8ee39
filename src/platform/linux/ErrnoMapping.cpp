#include "platform/linux/ErrnoMapping.h"

#include <cerrno>
#include <cstring>

namespace qel {

namespace {

QString systemText(int errnum) {
    // The English text, whatever the locale, so a description reads as one language.
    const char* text = strerrordesc_np(errnum);
    return text ? QString::fromUtf8(text) : QStringLiteral("error %1").arg(errnum);
}

Error sourceError(int errnum, const QString& dosPath) {
    switch (errnum) {
    case ENOENT:
        return Error(err::FileNotFound);
    case ENOTDIR:
        return pathNotFound(dosPath);
    case EIO:
        return Error(err::DeviceIOError,
                     QStringLiteral("Device I/O error reading %1").arg(dosPath));
    case EACCES:
    case EPERM:
        return Error(err::PathFileAccessError,
                     QStringLiteral("Cannot read %1: permission denied").arg(dosPath));
    default:
        return Error(err::PathFileAccessError,
                     QStringLiteral("Cannot read %1: %2").arg(dosPath, systemText(errnum)));
    }
}

Error destinationError(int errnum, const QString& dosPath) {
    switch (errnum) {
    case EACCES:
    case EPERM:
    case EROFS:
        return Error(err::PermissionDenied);
    case ENOSPC:
    case EDQUOT:
        return Error(err::DiskFull);
    case ENOENT:
    case ENOTDIR:
        return pathNotFound(dosPath);
    case EEXIST:
        return Error(err::FileAlreadyExists);
    case EIO:
        return Error(err::DeviceIOError,
                     QStringLiteral("Device I/O error writing %1").arg(dosPath));
    case EFBIG:
        return Error(err::PathFileAccessError,
                     QStringLiteral("%1 is too large for the destination drive").arg(dosPath));
    case ENOMEDIUM:
    case ENXIO:
    case ENODEV:
        return Error(err::DiskNotReady);
    default:
        return Error(err::PathFileAccessError,
                     QStringLiteral("Cannot write %1: %2").arg(dosPath, systemText(errnum)));
    }
}

} // namespace

Error errnoError(int errnum, IoSide side, const QString& dosPath) {
    return side == IoSide::Source ? sourceError(errnum, dosPath)
                                  : destinationError(errnum, dosPath);
}

} // namespace qel
