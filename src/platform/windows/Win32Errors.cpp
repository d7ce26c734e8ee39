#include "platform/windows/Win32Errors.h"

#include "platform/CopyPolicy.h"

#include "platform/windows/Win32.h"

namespace qel {

QString win32Text(unsigned long code) {
    wchar_t* text = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US),
        reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    QString result = length ? QString::fromWCharArray(text, int(length)).trimmed()
                            : QStringLiteral("error %1").arg(code);
    LocalFree(text);
    return result;
}

Error win32Error(unsigned long code, IoSide side, const QString& dosPath) {
    const bool source = side == IoSide::Source;
    switch (code) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_NO_MORE_FILES:
        if (source)
            return Error(err::FileNotFound);
        return pathNotFound(dosPath);
    case ERROR_NOT_READY:
        return Error(source ? err::DeviceUnavailable : err::DiskNotReady);
    case ERROR_WRITE_PROTECT:
        return Error(err::PermissionDenied);
    case ERROR_ACCESS_DENIED:
        if (source)
            return Error(err::PathFileAccessError,
                         QStringLiteral("Cannot read %1: permission denied").arg(dosPath));
        return Error(err::PermissionDenied);
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return Error(err::DiskFull);
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
        return Error(err::FileAlreadyExists);
    case ERROR_CRC:
    case ERROR_SECTOR_NOT_FOUND:
    case ERROR_IO_DEVICE:
    case ERROR_READ_FAULT:
    case ERROR_WRITE_FAULT:
    case ERROR_GEN_FAILURE:
        return Error(err::DeviceIOError, QStringLiteral("Device I/O error %1 %2")
                                             .arg(source ? QStringLiteral("reading")
                                                         : QStringLiteral("writing"),
                                                  dosPath));
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return fileInUseError(dosPath);
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_FILENAME_EXCED_RANGE:
        return Error(err::PathFileAccessError,
                     QStringLiteral("%1: the name or path cannot be used on this drive")
                         .arg(dosPath));
    default:
        return Error(err::PathFileAccessError,
                     QStringLiteral("Cannot %1 %2: %3")
                         .arg(source ? QStringLiteral("read") : QStringLiteral("write"), dosPath,
                              win32Text(code)));
    }
}

bool meansNoMedium(unsigned long code) {
    switch (code) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_NOT_READY:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NET_NAME:
        return true;
    default:
        return false;
    }
}

Error rootError(unsigned long code, IoSide side, const QString& dosPath) {
    if (meansNoMedium(code))
        return Error(side == IoSide::Source ? err::DeviceUnavailable : err::DiskNotReady);
    return win32Error(code, side, dosPath);
}

} // namespace qel
