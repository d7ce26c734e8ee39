#include "platform/linux/TargetFileSystem.h"

#include "platform/CopyPolicy.h"
#include "platform/linux/MountTable.h"

#include <QRandomGenerator>
#include <cerrno>
#include <fcntl.h>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/sysmacros.h>
#include <sys/vfs.h>
#include <unistd.h>

namespace qel {

namespace {

constexpr unsigned long kFuseMagic = 0x65735546;
constexpr unsigned long kExfatMagic = 0x2011BAB0;

// The type a FUSE file system gives in the mount table ("fuse.fusefat").
QByteArray fuseSubtype(int fd) {
    struct stat st {};
    if (fstat(fd, &st) != 0)
        return {};
    for (const MountEntry& m : parseMountInfo(readWholeFile("/proc/self/mountinfo"))) {
        if (m.major != major(st.st_dev) || m.minor != minor(st.st_dev))
            continue;
        const qsizetype dot = m.fsType.indexOf('.');
        return dot < 0 ? QByteArray() : m.fsType.mid(dot + 1);
    }
    return {};
}

bool isFatSubtype(const QByteArray& subtype) {
    return subtype == "fusefat" || subtype == "vfat" || subtype == "msdos" || subtype == "fat";
}

// On the local disk file systems syncfs(2) writes every dirty page and
// commits; a user-space (FUSE) or network file system may need each file
// synced on its own.
bool syncIsThorough(unsigned long type) {
    switch (type) {
    case EXT4_SUPER_MAGIC: // also ext2 and ext3
    case XFS_SUPER_MAGIC:
    case BTRFS_SUPER_MAGIC:
    case F2FS_SUPER_MAGIC:
    case MSDOS_SUPER_MAGIC:
    case kExfatMagic:
    case TMPFS_MAGIC:
    case OVERLAYFS_SUPER_MAGIC:
        return true;
    default:
        return false;
    }
}

// A name of ours no file system refuses, not yet used in the folder.
QByteArray probeName(const char* kind) {
    QByteArray name(kTempPrefix);
    name += kind;
    for (int i = 0; i < 8; ++i)
        name += char('a' + QRandomGenerator::system()->bounded(26));
    return name;
}

} // namespace

VolumeFacts volumeFactsOf(int dirFd) {
    struct statfs fs {};
    if (fstatfs(dirFd, &fs) != 0)
        return {false, false, false, false};
    const auto type = static_cast<unsigned long>(fs.f_type);
    VolumeFacts facts{false, false, false, syncIsThorough(type)};
    if (type == MSDOS_SUPER_MAGIC) {
        facts.fat = facts.fatSizeLimit = true;
    } else if (type == kExfatMagic) {
        facts.fat = true;
    } else if (type == kFuseMagic) {
        const QByteArray subtype = fuseSubtype(dirFd);
        facts.fat = isFatSubtype(subtype) || subtype == "exfat";
        facts.fatSizeLimit = facts.asciiNames = isFatSubtype(subtype);
    }
    return facts;
}

bool foldsCase(int dirFd) {
    const QByteArray lower = probeName("case-");
    const int fd = openat(dirFd, lower.constData(),
                          O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    close(fd);
    struct stat st {};
    const bool folds = fstatat(dirFd, lower.toUpper().constData(), &st, AT_SYMLINK_NOFOLLOW) == 0;
    unlinkat(dirFd, lower.constData(), 0);
    return folds;
}

long long freeBytes(int fd) {
    struct statvfs vfs {};
    if (fstatvfs(fd, &vfs) != 0 || vfs.f_blocks == 0)
        return -1;
    return static_cast<long long>(vfs.f_bavail) * static_cast<long long>(vfs.f_frsize);
}

bool meansOutOfRoom(int errnum, int fd, int dirFd) {
    if (errnum == ENOSPC || errnum == EDQUOT)
        return true;
    if (errnum != EPERM && errnum != EACCES)
        return false;
    struct statvfs vfs {};
    if (fstatvfs(fd, &vfs) != 0 || (vfs.f_flag & ST_RDONLY) != 0)
        return false;
    if (faccessat(dirFd, ".", W_OK, AT_EACCESS) != 0)
        return false;
    // A disk that says it has room left refused for another reason.
    constexpr long long kLittleRoom = 1 << 20;
    const long long free = freeBytes(fd);
    return free < 0 || free < kLittleRoom;
}

bool refusesName(int errnum, int dirFd) {
    if (errnum == EINVAL || errnum == EILSEQ)
        return true;
    if (errnum != EPERM && errnum != EACCES)
        return false;
    const QByteArray probe = probeName("name-");
    const int fd = openat(dirFd, probe.constData(),
                          O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    // Closed before it is unlinked: through FUSE an open file would only be hidden.
    close(fd);
    unlinkat(dirFd, probe.constData(), 0);
    return true;
}

} // namespace qel
