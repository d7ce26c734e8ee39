#include "platform/linux/MountTable.h"

#include <QSet>
#include <cerrno>
#include <fcntl.h>
#include <optional>
#include <unistd.h>

namespace qel {

namespace {

// mountinfo writes space, tab, newline and backslash as "\ooo".
QByteArray unescape(const QByteArray& field) {
    if (!field.contains('\\'))
        return field;
    QByteArray out;
    out.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            const QByteArray digits = field.mid(i + 1, 3);
            bool ok = digits.size() == 3;
            for (char d : digits)
                ok = ok && d >= '0' && d <= '7';
            if (ok) {
                out += char(digits.toInt(nullptr, 8));
                i += 3;
                continue;
            }
        }
        out += field[i];
    }
    return out;
}

std::optional<MountEntry> parseLine(const QByteArray& line) {
    const QList<QByteArray> fields = line.split(' ');
    // id parent major:minor root mountpoint options [optional...] - fstype source superoptions
    const qsizetype dash = fields.indexOf(QByteArray("-"), 6);
    if (fields.size() < 10 || dash < 0 || dash + 2 >= fields.size())
        return std::nullopt;
    const QList<QByteArray> device = fields[2].split(':');
    if (device.size() != 2)
        return std::nullopt;
    bool okMajor = false;
    bool okMinor = false;
    MountEntry entry;
    entry.major = device[0].toUInt(&okMajor);
    entry.minor = device[1].toUInt(&okMinor);
    if (!okMajor || !okMinor)
        return std::nullopt;
    entry.root = unescape(fields[3]);
    entry.mountPoint = unescape(fields[4]);
    entry.fsType = unescape(fields[dash + 1]);
    entry.source = unescape(fields[dash + 2]);
    if (!entry.mountPoint.startsWith('/'))
        return std::nullopt;
    return entry;
}

bool readsOne(const QByteArray& path) {
    return readWholeFile(path).trimmed() == "1";
}

bool exists(const QByteArray& path) {
    return ::access(path.constData(), F_OK) == 0;
}

} // namespace

QList<MountEntry> parseMountInfo(const QByteArray& text) {
    QList<MountEntry> mounts;
    for (const QByteArray& line : text.split('\n')) {
        const auto entry = parseLine(line.trimmed());
        if (!entry)
            continue;
        mounts.removeIf([&](const MountEntry& m) { return m.mountPoint == entry->mountPoint; });
        mounts.append(*entry);
    }
    return mounts;
}

QList<QByteArray> parseFstabMountPoints(const QByteArray& text) {
    QList<QByteArray> points;
    for (const QByteArray& line : text.split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() >= 2 && !fields[0].startsWith('#') && fields[1].startsWith('/'))
            points.append(unescape(fields[1]));
    }
    return points;
}

bool isPseudoFileSystem(const QByteArray& fsType) {
    static const QSet<QByteArray> pseudo = {
        "autofs",     "binfmt_misc", "bpf",           "cgroup",    "cgroup2",  "configfs",
        "debugfs",    "devfs",       "devpts",        "devtmpfs",  "efivarfs", "fuse.gvfsd-fuse",
        "fuse.lxcfs", "fuse.portal", "fusectl",       "hugetlbfs", "mqueue",   "nfsd",
        "nsfs",       "overlay",     "proc",          "pstore",    "ramfs",    "rpc_pipefs",
        "securityfs", "selinuxfs",   "squashfs",      "sysfs",     "tmpfs",    "tracefs",
        "aufs",       "rootfs",      "fuse.snapfuse", "binder",    "cpuset",
    };
    return pseudo.contains(fsType);
}

bool isNetworkFileSystem(const QByteArray& fsType) {
    static const QSet<QByteArray> network = {
        "nfs", "nfs4", "cifs", "smb3", "smbfs", "fuse.sshfs", "9p", "virtiofs", "afs", "ceph",
    };
    return network.contains(fsType);
}

bool isRemovableDevice(const QByteArray& sysRoot, unsigned major, unsigned minor) {
    if (major == 0)
        return false;
    const QByteArray device =
        sysRoot + "/dev/block/" + QByteArray::number(major) + ':' + QByteArray::number(minor);
    // A partition carries no flag of its own: its disk is the folder above.
    if (exists(device + "/partition"))
        return readsOne(device + "/../removable");
    return readsOne(device + "/removable");
}

QByteArray readWholeFile(const QByteArray& path) {
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return {};
    QByteArray text;
    char buffer[8192];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n < 0)
                text.clear();
            break;
        }
        text.append(buffer, n);
    }
    ::close(fd);
    return text;
}

} // namespace qel
