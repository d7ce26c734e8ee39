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

bool isMountPoint(const QByteArray& folder, const struct statx& st) {
    if (st.stx_attributes_mask & STATX_ATTR_MOUNT_ROOT)
        return st.stx_attributes & STATX_ATTR_MOUNT_ROOT;
    // Older kernels: a mount point lies on another device than its parent.
    struct stat parent {};
    return stat((folder + "/..").constData(), &parent) != 0 ||
           parent.st_dev != makedev(st.stx_dev_major, st.stx_dev_minor);
}

} // namespace

DestinationMedia::DestinationMedia(const Drives& drives)
    : m_drives(drives) {}

void DestinationMedia::beginRun() {
    m_runMedia.clear();
}

void DestinationMedia::check(const QString& dosPath) {
    checker(dosPath);
}

std::function<void()> DestinationMedia::checker(const QString& dosPath) {
    const std::optional<QChar> letter = dosDriveLetter(dosPath);
    if (!letter)
        return [] {}; // not a DOS path: the operation itself says so
    QByteArray folder;
    try {
        folder = m_drives.toHostPath(QString(*letter) + QStringLiteral(":\\"));
    } catch (const Error& e) {
        if (e.number() == err::DeviceUnavailable)
            throw Error(err::DiskNotReady);
        throw;
    }
    checkFolder(*letter, folder);
    return [this, drive = *letter, folder] { checkFolder(drive, folder); };
}

void DestinationMedia::checkFolder(QChar drive, const QByteArray& folder) {
    struct statx st {};
    if (statx(AT_FDCWD, folder.constData(), 0, STATX_BASIC_STATS, &st) != 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            throw Error(err::DiskNotReady); // the medium took its folder along
        throw errnoError(errno, IoSide::Destination, QString(drive) + QStringLiteral(":\\"));
    }
    if (isMountPoint(folder, st))
        m_mountPoints.insert(folder);
    else if (m_mountPoints.count(folder) != 0)
        throw Error(err::DiskNotReady);
    const dev_t device = makedev(st.stx_dev_major, st.stx_dev_minor);
    const auto [medium, first] = m_runMedia.try_emplace(drive, device);
    if (!first && medium->second != device)
        throw Error(err::DiskNotReady);
}

} // namespace qel
