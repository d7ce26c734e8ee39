#include "platform/windows/WindowsDirectoryLister.h"

#include "platform/DosNameOrder.h"
#include "platform/Drives.h"
#include "platform/Error.h"
#include "platform/windows/LongPath.h"
#include "platform/windows/Win32.h"

namespace qel {

namespace {

int errorNumberFor(DWORD error) {
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_DIRECTORY:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_FILENAME_EXCED_RANGE:
        return err::PathNotFound;
    case ERROR_ACCESS_DENIED:
        return err::PermissionDenied;
    case ERROR_NOT_READY:
        return err::DeviceUnavailable;
    case ERROR_CRC:
    case ERROR_SECTOR_NOT_FOUND:
    case ERROR_IO_DEVICE:
        return err::DeviceIOError;
    default:
        return err::PathFileAccessError;
    }
}

enum class Kind { Folders, Files };

QStringList list(const Drives& drives, const QString& dosDir, Kind kind) {
    std::wstring pattern = longPath(drives.toHostPath(dosDir));
    pattern += pattern.back() == L'\\' ? L"*" : L"\\*";
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found,
                                     FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (search == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND) // an empty drive root has not even "."
            return {};
        throw Error(errorNumberFor(error));
    }
    QStringList names;
    do {
        const DWORD attributes = found.dwFileAttributes;
        const bool folder = attributes & FILE_ATTRIBUTE_DIRECTORY;
        if (attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DEVICE))
            continue;
        if (folder != (kind == Kind::Folders))
            continue;
        const QString name = QString::fromWCharArray(found.cFileName);
        if (name == u"." || name == u"..")
            continue;
        names.append(name);
    } while (FindNextFileW(search, &found));
    const DWORD error = GetLastError();
    FindClose(search);
    if (error != ERROR_NO_MORE_FILES)
        throw Error(errorNumberFor(error));
    sortDosNames(names);
    return names;
}

} // namespace

WindowsDirectoryLister::WindowsDirectoryLister(const Drives& drives)
    : m_drives(drives) {}

QStringList WindowsDirectoryLister::subFolders(const QString& dosDir) const {
    return list(m_drives, dosDir, Kind::Folders);
}

QStringList WindowsDirectoryLister::files(const QString& dosDir) const {
    return list(m_drives, dosDir, Kind::Files);
}

} // namespace qel
