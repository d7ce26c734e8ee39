#include "platform/windows/WindowsDirectoryLister.h"

#include "platform/DosNameOrder.h"
#include "platform/Drives.h"
#include "platform/Error.h"
#include "platform/windows/FolderEntries.h"
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
    QStringList names;
    const unsigned long error =
        forEachEntry(drives.toHostPath(dosDir), [&](const QString& name, unsigned long attributes) {
            if (attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DEVICE))
                return;
            if (bool(attributes & FILE_ATTRIBUTE_DIRECTORY) == (kind == Kind::Folders))
                names.append(name);
        });
    if (error)
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
