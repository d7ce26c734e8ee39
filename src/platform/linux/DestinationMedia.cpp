#include "platform/linux/DestinationMedia.h"

#include "platform/DosPath.h"
#include "platform/Drives.h"
#include "platform/Error.h"
#include "platform/linux/ErrnoMapping.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace qel {

namespace {

// Mount IDs the kernel never hands out again (Linux 6.8); older kernels reuse
// a freed one, so there the device number goes along.
constexpr unsigned kMountIdUnique = 0x00004000U;

} // namespace

std::optional<DestinationMedia::MountId> DestinationMedia::mountAt(const QByteArray& folder,
                                                                   QChar drive) {
    struct statx st {};
    if (statx(AT_FDCWD, folder.constData(), 0, STATX_MNT_ID | kMountIdUnique, &st) == 0)
        return MountId{st.stx_mnt_id, makedev(st.stx_dev_major, st.stx_dev_minor)};
    if (errno == ENOENT || errno == ENOTDIR)
        return std::nullopt;
    throw describe(errnoFailure(errno, IoSide::Destination, QString(drive) + QStringLiteral(":\\")));
}

DestinationMedia::DestinationMedia(const Drives& drives)
    : m_drives(drives) {}

void DestinationMedia::beginRun(const QString& drive) {
    m_runMedia.clear();
    const std::optional<QChar> letter = dosDriveLetter(drive);
    if (!letter)
        return;
    std::optional<MountId> medium;
    try {
        medium = mountAt(folderOf(*letter), *letter);
    } catch (const Error&) {
        // Not ready, or not to be asked: the run's first check says so.
    }
    m_runMedia.emplace(*letter, medium);
}

void DestinationMedia::check(const QString& dosPath) {
    checker(dosPath);
}

std::function<void()> DestinationMedia::checker(const QString& dosPath) {
    const std::optional<QChar> letter = dosDriveLetter(dosPath);
    if (!letter)
        return [] {}; // not a DOS path: the operation itself says so
    const QByteArray folder = folderOf(*letter);
    checkFolder(*letter, folder);
    return [this, drive = *letter, folder] { checkFolder(drive, folder); };
}

QByteArray DestinationMedia::folderOf(QChar drive) const {
    try {
        return m_drives.toHostPath(QString(drive) + QStringLiteral(":\\"));
    } catch (const Error& e) {
        if (e.number() == err::DeviceUnavailable)
            throw Error(err::DiskNotReady);
        throw;
    }
}

void DestinationMedia::checkFolder(QChar drive, const QByteArray& folder) {
    const std::optional<MountId> now = mountAt(folder, drive);
    if (!now)
        throw Error(err::DiskNotReady); // the medium took its folder along
    const auto [medium, first] = m_runMedia.try_emplace(drive, now);
    if (!first && medium->second != now)
        throw Error(err::DiskNotReady);
}

} // namespace qel
