#include "platform/windows/WindowsFileSystemObject.h"

#include "platform/DosPath.h"
#include "platform/Drives.h"
#include "platform/Error.h"
#include "platform/windows/FolderEntries.h"
#include "platform/windows/LongPath.h"
#include "platform/windows/Volume.h"
#include "platform/windows/Win32Errors.h"
#include "platform/windows/WindowsCopyIo.h"
#include "platform/windows/WindowsFile.h"

#include <memory>

// Last: it defines macros named like the program's operations.
#include "platform/windows/UniqueHandle.h"
#include "platform/windows/Win32.h"

namespace qel {

namespace {

// INVALID_FILE_ATTRIBUTES when nothing answers at hostPath.
DWORD attributesOf(const QByteArray& hostPath) {
    return GetFileAttributesW(longPath(hostPath).c_str());
}

bool isFolder(DWORD attributes) {
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The folder at hostFolder, or the SystemFailure that says why not.
void requireFolder(const QByteArray& hostFolder, IoSide side, const QString& dosFolder) {
    const DWORD attributes = attributesOf(hostFolder);
    if (isFolder(attributes))
        return;
    const DWORD code = GetLastError();
    if (attributes != INVALID_FILE_ATTRIBUTES)
        throw side == IoSide::Destination
            ? SystemFailure{err::FileAlreadyExists, Trouble::NotAFolder, side, dosFolder, {}}
            : SystemFailure{err::PathNotFound, Trouble::PathMissing, side, dosFolder, {}};
    if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND)
        throw SystemFailure{err::PathNotFound, Trouble::PathMissing, side, dosFolder, {}};
    throw win32Failure(code, side, dosFolder);
}

} // namespace

WindowsFileSystemObject::WindowsFileSystemObject(const Drives& drives)
    : FileSystemObjectBase(drives) {}

std::unique_ptr<File> WindowsFileSystemObject::GetFile(const QString& path) {
    const DosPath dosPath = requireDosPath(path);
    const QByteArray host = m_drives.toHostPath(dosPath.toString());
    if (dosPath.isRoot() || endsWithDosSeparator(path))
        throw Error(err::FileNotFound);

    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(longPath(host).c_str(), GetFileExInfoStandard, &data)) {
        const DWORD code = GetLastError();
        const QString dosFolder = dosPath.parent().toString();
        if ((code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND) &&
            !isFolder(attributesOf(m_drives.toHostPath(dosFolder))))
            throw pathNotFound(dosFolder);
        throw describe(win32Failure(code, IoSide::Source, dosPath.toString()));
    }
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        throw Error(err::FileNotFound);
    const std::uint64_t times[3] = {ticks(data.ftCreationTime), ticks(data.ftLastAccessTime),
                                    ticks(data.ftLastWriteTime)};
    const std::int64_t size = (std::int64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    return std::make_unique<WindowsFile>(times, size, dosPath.toString(), host);
}

bool WindowsFileSystemObject::FolderExists(const QString& path) {
    const auto dosPath = DosPath::parse(path);
    try {
        return dosPath && isFolder(attributesOf(m_drives.toHostPath(dosPath->toString())));
    } catch (const Error&) {
        return false; // a drive that is not ready holds no folder
    }
}

void WindowsFileSystemObject::CreateFolder(const QString& path) {
    const DosPath dosPath = requireDosPath(path);
    const QString dosFolder = dosPath.toString();
    const QByteArray host = destinationHostPath(dosFolder);
    if (dosPath.isRoot())
        throw Error(err::FileAlreadyExists);
    checkRunMedium(dosPath.drive);
    if (!CreateDirectoryW(longPath(host).c_str(), nullptr))
        throw folderFailure(win32Failure(GetLastError(), IoSide::Destination, dosFolder),
                            dosFolder);
}

void WindowsFileSystemObject::beginRun(const QString& drive) {
    m_runVolumes.clear();
    if (const auto letter = dosDriveLetter(drive))
        m_runVolumes.insert(*letter, mediumIn(*letter));
}

std::vector<FileSystemObjectBase::Entry>
WindowsFileSystemObject::sourceEntries(const QByteArray& host, const QString& dosFolder) {
    requireFolder(host, IoSide::Source, dosFolder);
    std::vector<Entry> entries;
    // By the long name only: the system's own matching would also try the 8.3 names.
    const unsigned long error = forEachEntry(host, [&](const QString& name, unsigned long attributes) {
        if (!(attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)))
            entries.push_back({name.toUtf8(), name});
    });
    if (error)
        throw win32Failure(error, IoSide::Source, dosFolder);
    return entries;
}

QByteArray WindowsFileSystemObject::hostName(const QString& dosName) const {
    return dosName.toUtf8();
}

std::unique_ptr<CopyIo> WindowsFileSystemObject::openCopy(const QByteArray& sourceHost,
                                                          const QString&,
                                                          const QByteArray& targetHost,
                                                          const QString& dosTargetFolder) {
    requireFolder(targetHost, IoSide::Destination, dosTargetFolder);
    const auto volume = volumeInfo(volumeRoot(QLatin1Char(targetHost.at(0))));
    if (!volume)
        throw rootFailure(GetLastError(), IoSide::Destination, dosTargetFolder);
    return std::make_unique<WindowsCopyIo>(sourceHost, targetHost, dosTargetFolder,
                                           volume->facts());
}

std::function<void()> WindowsFileSystemObject::mediumChecker(const QString& dosFolder) {
    const QChar drive = dosDriveLetter(dosFolder).value_or(QChar());
    checkRunMedium(drive);
    // For the rest of the step a handle on the root stands for the medium
    // (asking its whole identity before every rename costs more than the
    // copy of a small file): the handle answers nothing once its medium is
    // gone, whatever is put in its place.
    const std::wstring root = volumeRoot(drive.toUpper());
    const auto held = std::make_shared<UniqueHandle>(
        CreateFileW(root.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!held->valid())
        throw Error(err::DiskNotReady);
    return [root, held] {
        FILE_BASIC_INFO info{};
        if (!isFolder(GetFileAttributesW(root.c_str())) ||
            !GetFileInformationByHandleEx(held->get(), FileBasicInfo, &info, sizeof info))
            throw Error(err::DiskNotReady);
    };
}

std::optional<WindowsFileSystemObject::MediumId> WindowsFileSystemObject::mediumIn(QChar drive) const {
    // A root that is gone is a drive without its medium, whatever the volume
    // says.
    const std::wstring root = volumeRoot(drive);
    if (!isFolder(GetFileAttributesW(root.c_str())))
        return std::nullopt;
    const auto volume = volumeInfo(root);
    if (!volume)
        return std::nullopt;
    wchar_t guid[64] = {};
    const bool named = GetVolumeNameForVolumeMountPointW(root.c_str(), guid, 64);
    return MediumId{volume->serial, named ? QString::fromWCharArray(guid) : QString()};
}

void WindowsFileSystemObject::checkRunMedium(QChar drive) {
    drive = drive.toUpper();
    const auto now = mediumIn(drive);
    if (!now)
        throw Error(err::DiskNotReady);
    const auto known = m_runVolumes.constFind(drive);
    if (known == m_runVolumes.cend())
        m_runVolumes.insert(drive, now);
    else if (*known != now)
        throw Error(err::DiskNotReady);
}

} // namespace qel
