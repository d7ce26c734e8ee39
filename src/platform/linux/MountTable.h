#pragma once

#include <QByteArray>
#include <QList>

namespace qel {

// One line of /proc/self/mountinfo, with its octal escapes undone.
struct MountEntry {
    unsigned major = 0;
    unsigned minor = 0;
    QByteArray root; // the part of the file system mounted here
    QByteArray mountPoint;
    QByteArray fsType;
    QByteArray source;

    friend bool operator==(const MountEntry&, const MountEntry&) = default;
};

// The mounts in the order they were made; malformed lines are skipped, and a
// mount point mounted over again keeps only its last (visible) entry.
QList<MountEntry> parseMountInfo(const QByteArray& text);

// The mount points that an fstab(5) text names (noauto ones included), with
// their octal escapes undone.
QList<QByteArray> parseFstabMountPoints(const QByteArray& text);

// File systems that hold no user data (proc, sysfs, tmpfs, cgroup, overlay...).
bool isPseudoFileSystem(const QByteArray& fsType);

// Network file systems, offered although they have no block device.
bool isNetworkFileSystem(const QByteArray& fsType);

// Whether the block device major:minor (or, for a partition, its disk) is
// flagged removable under sysRoot ("/sys"). False when sysfs does not say.
bool isRemovableDevice(const QByteArray& sysRoot, unsigned major, unsigned minor);

// The whole text of a file that reports no size (/proc, /sys); empty when it
// cannot be read.
QByteArray readWholeFile(const QByteArray& path);

} // namespace qel
