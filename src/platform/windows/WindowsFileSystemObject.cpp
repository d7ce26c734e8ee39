#include "platform/windows/WindowsFileSystemObject.h"

#include "platform/CopyPolicy.h"
#include "platform/CopyTarget.h"
#include "platform/DosPath.h"
#include "platform/DosWildcard.h"
#include "platform/Drives.h"
#include "platform/Error.h"
#include "platform/windows/FolderEntries.h"
#include "platform/windows/LongPath.h"
#include "platform/windows/Win32Errors.h"
#include "platform/windows/CopyEngine.h"
#include "platform/windows/WindowsFile.h"
#include "platform/windows/Volume.h"
// Last: it defines macros named like the program's operations.
#include "platform/windows/Win32.h"

#include <algorithm>

namespace qel {

namespace {

// INVALID_FILE_ATTRIBUTES when nothing answers at hostPath.
DWORD attributesOf(const QByteArray& hostPath) {
    return GetFileAttributesW(longPath(hostPath).c_str());
}

bool isFolder(DWORD attributes) {
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The host path of dosPath on a drive that is ready: 68 when it is not, or
// 71 on the destination, where an empty drive is the disk the user is asked
// to insert.
QByteArray readyHostPath(const Drives& drives, const QString& dosPath, IoSide side) {
    try {
        return drives.toHostPath(dosPath);
    } catch (const Error& e) {
        if (e.number() == err::DeviceUnavailable && side == IoSide::Destination)
            throw Error(err::DiskNotReady);
        throw;
    }
}

// The names of the regular files in the folder that match pattern, by the
// long name only (the system's own matching would also try the 8.3 names).
// A name without wildcards that exists in exactly that case names only that
// file (a case-sensitive folder may hold it in other cases too).
QStringList matchingNames(const QByteArray& hostFolder, const QString& pattern,
                          const QString& dosFolder) {
    if (const DWORD attributes = attributesOf(hostFolder); !isFolder(attributes)) {
        const DWORD code = GetLastError();
        if (attributes != INVALID_FILE_ATTRIBUTES || code == ERROR_FILE_NOT_FOUND ||
            code == ERROR_PATH_NOT_FOUND)
            throw pathNotFound(dosFolder);
        throw win32Error(code, IoSide::Source, dosFolder);
    }
    QStringList names;
    const unsigned long error = forEachEntry(hostFolder, [&](const QString& name, unsigned long attributes) {
        if (!(attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) &&
            !isTempName(name) &&
            matchesDosPattern(name, pattern))
            names.append(name);
    });
    if (error)
        throw win32Error(error, IoSide::Source, dosFolder);
    if (!hasWildcards(pattern) && names.contains(pattern))
        return {pattern};
    std::sort(names.begin(), names.end());
    return names;
}

void checkTargetFolder(const QByteArray& hostFolder, const QString& dosFolder) {
    const DWORD attributes = attributesOf(hostFolder);
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD code = GetLastError();
        if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND)
            throw pathNotFound(dosFolder);
        throw win32Error(code, IoSide::Destination, dosFolder);
    }
    if (!isFolder(attributes))
        throw Error(err::FileAlreadyExists,
                    QStringLiteral("A file stands where the folder %1 should be").arg(dosFolder));
}

} // namespace

WindowsFileSystemObject::WindowsFileSystemObject(const Drives& drives)
    : m_drives(drives) {}

std::unique_ptr<File> WindowsFileSystemObject::GetFile(const QString& path) {
    const DosPath dosPath = requireDosPath(path);
    const QByteArray host = readyHostPath(m_drives, dosPath.toString(), IoSide::Source);
    if (dosPath.isRoot() || endsWithDosSeparator(path))
        throw Error(err::FileNotFound);

    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(longPath(host).c_str(), GetFileExInfoStandard, &data)) {
        const DWORD code = GetLastError();
        const QString dosFolder = dosPath.parent().toString();
        if ((code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND) &&
            !isFolder(attributesOf(m_drives.toHostPath(dosFolder))))
            throw pathNotFound(dosFolder);
        throw win32Error(code, IoSide::Source, dosPath.toString());
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
        return dosPath &&
               isFolder(attributesOf(readyHostPath(m_drives, dosPath->toString(), IoSide::Source)));
    } catch (const Error&) {
        return false; // a drive that is not ready holds no folder
    }
}

void WindowsFileSystemObject::CreateFolder(const QString& path) {
    const DosPath dosPath = requireDosPath(path);
    const QString dosFolder = dosPath.toString();
    const QByteArray host = readyHostPath(m_drives, dosFolder, IoSide::Destination);
    if (dosPath.isRoot())
        throw Error(err::FileAlreadyExists);
    checkRunMedium(host);
    if (!CreateDirectoryW(longPath(host).c_str(), nullptr))
        throw win32Error(GetLastError(), IoSide::Destination, dosFolder);
}

void WindowsFileSystemObject::CopyFile(const QString& source, const QString& destination,
                                       bool overwrite) {
    const auto [sourceFolder, pattern] = copySource(source);
    const QString dosSourceFolder = sourceFolder.toString();
    const QByteArray sourceHost = readyHostPath(m_drives, dosSourceFolder, IoSide::Source);
    const QStringList matches = matchingNames(sourceHost, pattern, dosSourceFolder);
    if (matches.empty())
        throw Error(err::FileNotFound);

    const auto [targetFolder, targetName] =
        copyTarget(destination, pattern, [this](const QString& path) { return FolderExists(path); });
    const QString dosTargetFolder = targetFolder.toString();
    const QByteArray targetHost = readyHostPath(m_drives, dosTargetFolder, IoSide::Destination);
    checkTargetFolder(targetHost, dosTargetFolder);

    std::vector<CopyEngine::Item> items;
    items.reserve(std::size_t(matches.size()));
    for (const QString& name : matches) {
        const QString& target = targetName.isEmpty() ? name : targetName;
        items.push_back({name, target, sourceFolder.child(name).toString(),
                         targetFolder.child(target).toString()});
    }
    checkRunMedium(targetHost);
    CopyEngine engine;
    if (engine.copy(sourceHost, targetHost, dosTargetFolder, items, overwrite) == 0)
        throw Error(err::FileNotFound);
}

void WindowsFileSystemObject::beginRun(const QString& drive) {
    m_runVolumes.clear();
    if (const auto letter = dosDriveLetter(drive))
        m_runVolumes.insert(*letter, mediumIn(*letter));
}

std::optional<unsigned long> WindowsFileSystemObject::mediumIn(QChar drive) const {
    // A root that is gone is a drive without its medium, whatever the volume says.
    const std::wstring root{wchar_t(drive.unicode()), L':', L'\\'};
    if (!m_drives.isReady(drive))
        return std::nullopt;
    const auto volume = volumeFacts(root);
    return volume ? std::optional(volume->serial) : std::nullopt;
}

void WindowsFileSystemObject::checkRunMedium(const QByteArray& hostPath) {
    const QChar drive = QChar(hostPath.at(0)).toUpper();
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
