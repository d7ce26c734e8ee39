#include "platform/windows/Win32Errors.h"

#include "platform/windows/Win32.h"

#include <utility>

namespace qel {

namespace {

std::pair<int, Trouble> meaning(unsigned long code, bool source) {
    switch (code) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_NO_MORE_FILES:
        if (source)
            return {err::FileNotFound, Trouble::Plain};
        return {err::PathNotFound, Trouble::PathMissing};
    case ERROR_NOT_READY:
        return {source ? err::DeviceUnavailable : err::DiskNotReady, Trouble::Plain};
    case ERROR_WRITE_PROTECT:
        return {err::PermissionDenied, Trouble::Plain};
    case ERROR_ACCESS_DENIED:
        if (source)
            return {err::PathFileAccessError, Trouble::Unreadable};
        return {err::PermissionDenied, Trouble::Plain};
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
    case ERROR_CANNOT_MAKE: // a full FAT root folder, though the disk may have room
        return {err::DiskFull, Trouble::OutOfRoom};
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
        return {err::FileAlreadyExists, Trouble::Plain};
    case ERROR_CRC:
    case ERROR_SECTOR_NOT_FOUND:
    case ERROR_IO_DEVICE:
    case ERROR_READ_FAULT:
    case ERROR_WRITE_FAULT:
    case ERROR_GEN_FAILURE:
        return {err::DeviceIOError, Trouble::DeviceIo};
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return {err::PathFileAccessError, Trouble::InUse};
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_FILENAME_EXCED_RANGE:
        return {err::PathFileAccessError, Trouble::NameRefused};
    case ERROR_FILE_TOO_LARGE:
        return {err::PathFileAccessError, Trouble::TooLarge};
    default:
        return {err::PathFileAccessError, Trouble::Other};
    }
}

} // namespace

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

SystemFailure win32Failure(unsigned long code, IoSide side, const QString& dosPath) {
    const auto [number, trouble] = meaning(code, side == IoSide::Source);
    return {number, trouble, side, dosPath,
            trouble == Trouble::Other ? win32Text(code) : QString()};
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

SystemFailure rootFailure(unsigned long code, IoSide side, const QString& dosPath) {
    if (meansNoMedium(code))
        return {side == IoSide::Source ? err::DeviceUnavailable : err::DiskNotReady,
                Trouble::Plain, side, dosPath, {}};
    return win32Failure(code, side, dosPath);
}

} // namespace qel
