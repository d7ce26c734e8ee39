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

std::pair<int, Trouble> sourceMeaning(int errnum) {
    switch (errnum) {
    case ENOENT:
        return {err::FileNotFound, Trouble::Plain};
    case ENOTDIR:
        return {err::PathNotFound, Trouble::PathMissing};
    case EIO:
        return {err::DeviceIOError, Trouble::DeviceIo};
    case EACCES:
    case EPERM:
        return {err::PathFileAccessError, Trouble::Unreadable};
    default:
        return {err::PathFileAccessError, Trouble::Other};
    }
}

std::pair<int, Trouble> destinationMeaning(int errnum) {
    switch (errnum) {
    case EACCES:
    case EPERM:
    case EROFS:
        return {err::PermissionDenied, Trouble::Plain};
    case ENOSPC:
    case EDQUOT:
        return {err::DiskFull, Trouble::OutOfRoom};
    case ENOENT:
    case ENOTDIR:
        return {err::PathNotFound, Trouble::PathMissing};
    case EEXIST:
        return {err::FileAlreadyExists, Trouble::Plain};
    case EIO:
        return {err::DeviceIOError, Trouble::DeviceIo};
    case EFBIG:
        return {err::PathFileAccessError, Trouble::TooLarge};
    case ENOMEDIUM:
    case ENXIO:
    case ENODEV:
        return {err::DiskNotReady, Trouble::Plain};
    default:
        return {err::PathFileAccessError, Trouble::Other};
    }
}

} // namespace

SystemFailure errnoFailure(int errnum, IoSide side, const QString& dosPath) {
    const auto [number, trouble] =
        side == IoSide::Source ? sourceMeaning(errnum) : destinationMeaning(errnum);
    return {number, trouble, side, dosPath, systemText(errnum)};
}

} // namespace qel
