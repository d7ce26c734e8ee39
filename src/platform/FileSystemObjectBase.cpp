#include "platform/FileSystemObjectBase.h"

#include "platform/CopyPolicy.h"
#include "platform/CopyTarget.h"
#include "platform/DosPath.h"
#include "platform/DosWildcard.h"
#include "platform/DriveLock.h"
#include "platform/Drives.h"
#include "platform/Error.h"
#include "platform/SystemFailure.h"

#include <algorithm>

namespace qel {

namespace {

// The entries whose DOS names match pattern, in the host's order. A name
// without wildcards that exists in exactly that case names only that file
// (a folder that tells case apart may hold it in other cases too).
std::vector<FileSystemObjectBase::Entry>
matching(std::vector<FileSystemObjectBase::Entry> entries, const QString& pattern) {
    std::erase_if(entries, [&](const auto& e) {
        return isTempName(e.dosName) || !matchesDosPattern(e.dosName, pattern);
    });
    if (!hasWildcards(pattern)) {
        const auto exact = std::find_if(entries.begin(), entries.end(),
                                        [&](const auto& e) { return e.dosName == pattern; });
        if (exact != entries.end())
            return {*exact};
    }
    std::sort(entries.begin(), entries.end(),
              [](const auto& a, const auto& b) { return a.hostName < b.hostName; });
    return entries;
}

// Long enough for a run that is just ending; a person or a schedule can
// start again later.
constexpr std::chrono::seconds kWaitForDrive{3};

} // namespace

FileSystemObjectBase::FileSystemObjectBase(const Drives& drives)
    : m_drives(drives) {}

QByteArray FileSystemObjectBase::destinationHostPath(const QString& dosPath) const {
    try {
        return m_drives.toHostPath(dosPath);
    } catch (const Error& e) {
        if (e.number() == err::DeviceUnavailable)
            throw Error(err::DiskNotReady);
        throw;
    }
}

void FileSystemObjectBase::CopyFile(const QString& source, const QString& destination,
                                    bool overwrite) {
    try {
        const auto [sourceFolder, pattern] = copySource(source);
        const QString dosSourceFolder = sourceFolder.toString();
        const QByteArray sourceHost = m_drives.toHostPath(dosSourceFolder);
        const std::vector<Entry> matches =
            matching(sourceEntries(sourceHost, dosSourceFolder), pattern);
        if (matches.empty())
            throw Error(err::FileNotFound);

        const auto [targetFolder, targetName] = copyTarget(
            destination, pattern, [this](const QString& path) { return FolderExists(path); });
        const QString dosTargetFolder = targetFolder.toString();
        const QByteArray targetHost = destinationHostPath(dosTargetFolder);
        // Before the folder is opened, so that one missing with its medium is
        // not "Path not found"; again before each copy is renamed into place.
        const std::function<void()> checkMedium = mediumChecker(dosTargetFolder);
        std::unique_ptr<CopyIo> io = openCopy(sourceHost, dosSourceFolder, targetHost, dosTargetFolder);
        if (m_wrap)
            io = m_wrap(std::move(io));

        std::vector<CopyItem> items;
        items.reserve(matches.size());
        const bool sameName = targetName.isEmpty();
        for (const Entry& m : matches)
            items.push_back({m.hostName, sameName ? m.hostName : hostName(targetName),
                             sourceFolder.child(m.dosName).toString(),
                             targetFolder.child(sameName ? m.dosName : targetName).toString()});
        if (m_sequence.copy(*io, dosTargetFolder, items, overwrite, checkMedium) == 0)
            throw Error(err::FileNotFound);
    } catch (const SystemFailure& failure) {
        throw describe(failure);
    }
}

std::shared_ptr<void> FileSystemObjectBase::holdDrive(const QString& drive) {
    const QChar letter = dosDriveLetter(drive).value_or(QChar());
    std::weak_ptr<DriveLock>& held = m_held[letter];
    // A run started during another's yield writes through this object too.
    if (auto lock = held.lock())
        return lock;
    std::shared_ptr<DriveLock> lock = DriveLock::take(letter, kWaitForDrive);
    if (!lock)
        throw driveBusyError(drive);
    held = lock;
    return lock;
}

} // namespace qel
