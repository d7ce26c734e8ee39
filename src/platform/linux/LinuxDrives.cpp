#include "platform/linux/LinuxDrives.h"

#include "platform/DosNames.h"
#include "platform/DosPath.h"
#include "platform/Error.h"
#include "platform/linux/MountTable.h"
#include "platform/linux/RemovableMedia.h"

#include <QSet>
#include <QtGlobal>
#include <algorithm>
#include <climits>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace qel {

namespace {

constexpr QChar LastLetter = u'Z';

// Host path components with "//" and "." dropped and ".." applied.
QList<QByteArray> splitHost(const QByteArray& path) {
    QList<QByteArray> parts;
    for (const QByteArray& part : path.split('/')) {
        if (part.isEmpty() || part == ".")
            continue;
        if (part == "..") {
            if (!parts.isEmpty())
                parts.removeLast();
            continue;
        }
        parts.append(part);
    }
    return parts;
}

QByteArray canonical(const QByteArray& path) {
    if (path.isEmpty())
        return {};
    char* resolved = ::realpath(path.constData(), nullptr);
    if (!resolved)
        return {};
    QByteArray result(resolved);
    std::free(resolved);
    return result;
}

bool isDirectory(const QByteArray& path) {
    struct stat st;
    return !path.isEmpty() && ::stat(path.constData(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool isMountPoint(const QByteArray& folder) {
    struct statx st {};
    if (statx(AT_FDCWD, folder.constData(), 0, STATX_BASIC_STATS, &st) != 0)
        return false;
    if (st.stx_attributes_mask & STATX_ATTR_MOUNT_ROOT)
        return st.stx_attributes & STATX_ATTR_MOUNT_ROOT;
    // Older kernels: a mount point lies on another device than its parent.
    struct stat parent {};
    return stat((folder + "/..").constData(), &parent) != 0 ||
           parent.st_dev != makedev(st.stx_dev_major, st.stx_dev_minor);
}

bool isBlockDevice(const QByteArray& path) {
    struct stat st {};
    return ::stat(path.constData(), &st) == 0 && S_ISBLK(st.st_mode);
}

// A drive is ready when its folder can be listed and entered.
bool isUsableFolder(const QByteArray& path) {
    return isDirectory(path) && ::access(path.constData(), R_OK | X_OK) == 0;
}

bool isUnder(const QByteArray& path, const QByteArray& folder) {
    return path == folder || path.startsWith(folder + '/');
}

bool isMediaMount(const QByteArray& mountPoint, const QList<QByteArray>& mediaFolders) {
    return std::any_of(mediaFolders.begin(), mediaFolders.end(), [&](const QByteArray& folder) {
        return mountPoint.startsWith(folder) && mountPoint.size() > folder.size();
    });
}

// System places whose mounts hold nothing a user backs up from or to.
bool isSystemPlace(const QByteArray& mountPoint) {
    static const QByteArray places[] = {"/proc", "/sys",  "/dev",           "/run",
                                        "/boot", "/snap", "/var/lib/docker"};
    return std::any_of(std::begin(places), std::end(places),
                       [&](const QByteArray& p) { return isUnder(mountPoint, p); });
}

QString hostText(const QByteArray& bytes) {
    return QString::fromUtf8(bytes);
}

LinuxDrives::HostDrive makeDrive(QChar letter, bool removable, const QByteArray& root,
                                 const QString& label = {}) {
    LinuxDrives::HostDrive drive;
    drive.entry.letter = letter;
    drive.entry.removable = removable;
    drive.entry.text = QString(removable ? letter.toLower() : letter) + u':';
    if (!label.isEmpty())
        drive.entry.text += QStringLiteral(" [%1]").arg(label);
    drive.root = canonical(root);
    drive.ready = isUsableFolder(drive.root);
    return drive;
}

// A dosdevices folder's links, by letter ("c:" or "C:"; Wine's "c::" device
// links and other names are not drives); nullopt when there is no such folder
// (or it cannot be read, so the next table serves instead).
std::optional<QList<LinuxDrives::HostDrive>> dosDevicesTable(const QByteArray& base,
                                                             const char* subFolder) {
    if (base.isEmpty())
        return std::nullopt;
    const QByteArray folder = base + subFolder;
    DIR* dir = ::opendir(folder.constData());
    if (!dir)
        return std::nullopt;
    QList<QByteArray> names;
    QSet<QChar> devices; // letters with a device link: their folder is a mount point
    while (const dirent* entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (name.size() < 2 || name[1] != ':' || !QChar(name[0]).isLetter() ||
            QChar(name[0]).unicode() >= 0x80)
            continue;
        if (name.size() == 2)
            names.append(name);
        else if (name.size() == 3 && name[2] == ':' && isBlockDevice(folder + '/' + name))
            devices.insert(QChar(name[0]).toUpper());
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end(), [](const QByteArray& a, const QByteArray& b) {
        return QChar(a[0]).toUpper() != QChar(b[0]).toUpper()
                   ? QChar(a[0]).toUpper() < QChar(b[0]).toUpper()
                   : a < b;
    });
    QList<LinuxDrives::HostDrive> drives;
    for (const QByteArray& name : names) {
        const QChar letter = QChar(name[0]).toUpper();
        if (!drives.isEmpty() && drives.last().entry.letter == letter)
            continue; // "c:" and "C:" both present: the first one counts
        drives.append(makeDrive(letter, letter == u'A' || letter == u'B', folder + '/' + name));
        drives.last().mountFolder = devices.contains(letter);
    }
    return drives;
}

QByteArray mediumKey(unsigned major, unsigned minor) {
    return "dev " + QByteArray::number(major) + ':' + QByteArray::number(minor);
}

QString folderName(const QByteArray& mountPoint) {
    return hostText(mountPoint.mid(mountPoint.lastIndexOf('/') + 1));
}

struct SortedMounts {
    QList<LinuxDrives::Removable> removable;
    QList<QByteArray> fixed; // mount points
};

// The mounts split into removable media and other real file systems, with the
// media the disk service knows of but nobody mounted after the mounted ones.
SortedMounts sortMounts(const DriveTableSources& sources, const QList<RemovableMedium>& known) {
    const QByteArray home = canonical(sources.home());
    SortedMounts sorted;
    QSet<QByteArray> mountedKeys;
    for (const MountEntry& mount : parseMountInfo(sources.mountInfo())) {
        if (mount.mountPoint == "/" || !isDirectory(mount.mountPoint))
            continue;
        const QByteArray key =
            mount.major ? mediumKey(mount.major, mount.minor) : "at " + mount.mountPoint;
        const auto knownMedium = std::find_if(known.begin(), known.end(), [&](const auto& m) {
            return mount.major && m.major == mount.major && m.minor == mount.minor;
        });
        const bool inMediaFolder = isMediaMount(mount.mountPoint, sources.mediaFolders);
        if (knownMedium != known.end() || inMediaFolder ||
            (!isPseudoFileSystem(mount.fsType) &&
             isRemovableDevice(sources.sysRoot, mount.major, mount.minor))) {
            if (mountedKeys.contains(key))
                continue; // one medium mounted twice is one drive
            mountedKeys.insert(key);
            QString label = knownMedium != known.end() ? knownMedium->label : QString();
            if (label.isEmpty() && inMediaFolder)
                label = folderName(mount.mountPoint);
            sorted.removable.append({key, mount.mountPoint, label, {}});
            continue;
        }
        if (isPseudoFileSystem(mount.fsType) ||
            (mount.major == 0 && !isNetworkFileSystem(mount.fsType)))
            continue;
        if (isSystemPlace(mount.mountPoint) || mount.mountPoint == home)
            continue;
        sorted.fixed.append(mount.mountPoint);
    }
    for (const RemovableMedium& medium : known) {
        const QByteArray key = mediumKey(medium.major, medium.minor);
        if (!mountedKeys.contains(key))
            sorted.removable.append({key, {}, medium.label, medium.id});
    }
    return sorted;
}

LinuxDrives::HostDrive makeRemovable(QChar letter, const LinuxDrives::Removable* medium) {
    if (!medium)
        return makeDrive(letter, true, {});
    LinuxDrives::HostDrive drive = makeDrive(letter, true, medium->root, medium->label);
    drive.medium = medium->medium;
    return drive;
}

const LinuxDrives::HostDrive* findDrive(const QList<LinuxDrives::HostDrive>& drives, QChar letter) {
    const QChar upper = letter.toUpper();
    for (const auto& drive : drives)
        if (drive.entry.letter == upper)
            return &drive;
    return nullptr;
}

QByteArray hostPathIn(const LinuxDrives::HostDrive& drive, const DosPath& path) {
    QByteArray host = drive.root;
    for (const QString& name : path.components) {
        if (!host.endsWith('/'))
            host += '/';
        host += dosNameToHost(name);
    }
    return host;
}

QString rootOf(QChar letter) {
    return QString(letter) + QStringLiteral(":\\");
}

QByteArray environmentPath(const char* name) {
    const QByteArray value = qgetenv(name);
    return value.startsWith('/') ? value : QByteArray();
}

QByteArray call(const std::function<QByteArray()>& source) {
    return source ? source() : QByteArray();
}

} // namespace

DriveTableSources DriveTableSources::system() {
    DriveTableSources sources;
    sources.mountInfo = [] { return readWholeFile("/proc/self/mountinfo"); };
    // A test names its own.
    sources.fstab = [] {
        const QByteArray own = qgetenv("QEL_TREKKEL_FSTAB");
        return readWholeFile(own.isEmpty() ? QByteArray("/etc/fstab") : own);
    };
    sources.sysRoot = "/sys";
    sources.home = [] {
        QByteArray home = environmentPath("HOME");
        if (home.isEmpty()) {
            if (const passwd* user = ::getpwuid(::getuid()))
                home = user->pw_dir;
        }
        return home;
    };
    sources.configHome = [home = sources.home] {
        const QByteArray config = environmentPath("XDG_CONFIG_HOME");
        if (!config.isEmpty())
            return config;
        const QByteArray userHome = home();
        return userHome.isEmpty() ? QByteArray() : userHome + "/.config";
    };
    sources.winePrefix = [home = sources.home] {
        const QByteArray prefix = environmentPath("WINEPREFIX");
        if (!prefix.isEmpty())
            return prefix;
        const QByteArray userHome = home();
        return userHome.isEmpty() ? QByteArray() : userHome + "/.wine";
    };
    sources.currentDir = [] {
        char* cwd = ::getcwd(nullptr, 0);
        if (!cwd)
            return QByteArray();
        QByteArray path(cwd);
        std::free(cwd);
        return path;
    };
    return sources;
}

LinuxDrives::LinuxDrives()
    : LinuxDrives(DriveTableSources::system()) {}

LinuxDrives::LinuxDrives(DriveTableSources sources)
    : m_sources(std::move(sources)) {}

QList<LinuxDrives::HostDrive> LinuxDrives::table() const {
    QList<HostDrive> drives = lettersTable();
    std::lock_guard lock(m_mutex);
    // Read once: the table is asked for on every path the program maps.
    if (!m_fstabPoints) {
        m_fstabPoints.emplace();
        for (const QByteArray& point : parseFstabMountPoints(call(m_sources.fstab)))
            m_fstabPoints->insert(canonical(point));
    }
    const QSet<QByteArray>& fstabPoints = *m_fstabPoints;
    for (HostDrive& drive : drives) {
        if (!drive.ready)
            continue;
        // A folder meant for a medium is, when bare, a drive whose medium is
        // not there: writing into it would fill the internal disk.
        if (isMountPoint(drive.root))
            m_mountRoots.insert(drive.root);
        else if (drive.mountFolder || fstabPoints.contains(drive.root) ||
                 m_mountRoots.contains(drive.root))
            drive.ready = false;
    }
    return drives;
}

QList<LinuxDrives::HostDrive> LinuxDrives::lettersTable() const {
    if (auto own = dosDevicesTable(call(m_sources.configHome), "/qel-trekkel/dosdevices"))
        return *own;
    const SortedMounts mounts = sortMounts(m_sources, m_sources.media ? m_sources.media->media()
                                                                      : QList<RemovableMedium>());
    if (auto wine = dosDevicesTable(call(m_sources.winePrefix), "/dosdevices"))
        return withMedia(*wine, mounts.removable);
    return machineTable(mounts.removable, mounts.fixed);
}

LinuxDrives::Placement LinuxDrives::placeMedia(const QList<Removable>& removable,
                                               const QString& letters) const {
    std::lock_guard lock(m_mutex);
    Placement placement{QList<qsizetype>(letters.size(), -1), QList<bool>(letters.size(), false)};
    QList<bool> placed(removable.size(), false);
    const auto indexOfKey = [&](const QByteArray& key) {
        for (qsizetype i = 0; i < removable.size(); ++i)
            if (removable[i].key == key)
                return i;
        return qsizetype(-1);
    };
    // A medium that is still there (or is back) keeps its letter...
    for (qsizetype l = 0; l < letters.size(); ++l) {
        const qsizetype i = indexOfKey(m_mediaLetters.value(letters[l]));
        if (i >= 0 && !placed[i]) {
            placement.medium[l] = i;
            placed[i] = true;
        }
    }
    // ...and one that arrives takes the first letter whose medium has gone.
    for (qsizetype i = 0; i < removable.size(); ++i) {
        for (qsizetype l = 0; l < letters.size() && !placed[i]; ++l) {
            if (placement.medium[l] < 0) {
                placement.medium[l] = i;
                placed[i] = true;
                m_mediaLetters.insert(letters[l], removable[i].key);
            }
        }
    }
    for (qsizetype l = 0; l < letters.size(); ++l)
        placement.listed[l] = placement.medium[l] >= 0 || m_mediaLetters.contains(letters[l]);
    return placement;
}

QList<LinuxDrives::HostDrive> LinuxDrives::machineTable(const QList<Removable>& removable,
                                                        const QList<QByteArray>& fixed) const {
    const Placement placement = placeMedia(removable, QStringLiteral("AB"));
    QList<HostDrive> drives;
    QList<bool> placed(removable.size(), false);
    for (qsizetype l = 0; l < 2; ++l) {
        const qsizetype i = placement.medium[l];
        if (i >= 0)
            placed[i] = true;
        // a: is there even without a medium, as a floppy drive would be.
        if (l == 0 || placement.listed[l])
            drives.append(
                makeRemovable(QChar(char16_t(u'A' + l)), i >= 0 ? &removable[i] : nullptr));
    }
    drives.append(makeDrive(u'C', false, m_sources.home()));

    char16_t next = u'D';
    for (const QByteArray& mountPoint : fixed) {
        if (next >= LastLetter)
            break;
        drives.append(makeDrive(QChar(next++), false, mountPoint, hostText(mountPoint)));
    }
    for (qsizetype i = 0; i < removable.size() && next < LastLetter; ++i)
        if (!placed[i])
            drives.append(makeRemovable(QChar(next++), &removable[i]));
    drives.append(makeDrive(LastLetter, false, "/"));
    return drives;
}

QList<LinuxDrives::HostDrive> LinuxDrives::withMedia(QList<HostDrive> drives,
                                                     const QList<Removable>& removable) const {
    QString free;
    for (QChar letter : {QChar(u'A'), QChar(u'B')})
        if (!findDrive(drives, letter))
            free += letter;
    const Placement placement = placeMedia(removable, free);
    for (qsizetype l = 0; l < free.size(); ++l) {
        const qsizetype i = placement.medium[l];
        if (free[l] == u'A' || placement.listed[l])
            drives.append(makeRemovable(free[l], i >= 0 ? &removable[i] : nullptr));
    }
    std::stable_sort(drives.begin(), drives.end(), [](const HostDrive& a, const HostDrive& b) {
        return a.entry.letter < b.entry.letter;
    });
    return drives;
}

QList<DriveEntry> LinuxDrives::entries() const {
    QList<DriveEntry> list;
    for (const HostDrive& drive : table())
        list.append(drive.entry);
    return list;
}

bool LinuxDrives::isReady(QChar letter) const {
    const auto drives = table();
    const HostDrive* drive = findDrive(drives, letter);
    return drive && drive->ready;
}

void LinuxDrives::makeReady(QChar letter) {
    const auto drives = tableWithReady(letter);
    const HostDrive* drive = findDrive(drives, letter);
    if (!drive || !drive->ready)
        throw Error(err::DeviceUnavailable);
}

QList<LinuxDrives::HostDrive> LinuxDrives::tableWithReady(QChar letter) const {
    auto drives = table();
    const HostDrive* drive = findDrive(drives, letter);
    RemovableMedia* media = m_sources.media;
    if (!media || (drive && (drive->ready || !drive->entry.removable)))
        return drives;
    // The service may not have said yet which media it has: chosen now, the
    // drive waits for the answer.
    media->load();
    drives = table();
    drive = findDrive(drives, letter);
    if (!drive || drive->ready || drive->medium.isEmpty())
        return drives;
    try {
        media->mount(drive->medium);
    } catch (const Error&) {
        drives = table();
        drive = findDrive(drives, letter);
        if (drive && drive->ready)
            return drives; // mounted meanwhile by someone else
        throw;
    }
    return table();
}

QString LinuxDrives::currentDirectory(QChar letter) const {
    const auto drives = tableWithReady(letter);
    const HostDrive* drive = findDrive(drives, letter);
    if (!drive || !drive->ready)
        throw Error(err::DeviceUnavailable);
    QString remembered;
    {
        std::lock_guard lock(m_mutex);
        remembered = m_currentDirs.value(drive->entry.letter);
    }
    // A folder removed (or a medium changed) since it was remembered leaves
    // the drive at a place that still exists rather than failing for ever.
    if (const auto path = DosPath::parse(remembered);
        path && isDirectory(hostPathIn(*drive, *path)))
        return remembered;
    const QString start = startDirectory(drives);
    if (dosDriveLetter(start) == drive->entry.letter)
        return start;
    return rootOf(drive->entry.letter);
}

void LinuxDrives::setCurrentDirectory(const QString& dosPath) {
    const auto path = DosPath::parse(dosPath);
    if (!path)
        return;
    std::lock_guard lock(m_mutex);
    m_currentDirs.insert(path->drive, path->toString());
}

QString LinuxDrives::startDirectory() const {
    return startDirectory(table());
}

QString LinuxDrives::startDirectory(const QList<HostDrive>& drives) const {
    if (const auto cwd = toDosPath(drives, m_sources.currentDir()))
        return *cwd;
    for (const HostDrive& drive : drives)
        if (drive.ready && drive.root == "/")
            return rootOf(drive.entry.letter);
    for (const HostDrive& drive : drives)
        if (drive.ready)
            return rootOf(drive.entry.letter);
    return rootOf(drives.isEmpty() ? QChar(u'C') : drives.first().entry.letter);
}

QByteArray LinuxDrives::toHostPath(const QString& dosPath) const {
    const auto path = DosPath::parse(dosPath);
    if (!path)
        throw Error(err::PathNotFound);
    const auto drives = tableWithReady(path->drive);
    const HostDrive* drive = findDrive(drives, path->drive);
    if (!drive || !drive->ready)
        throw Error(err::DeviceUnavailable);
    return hostPathIn(*drive, *path);
}

std::optional<QString> LinuxDrives::toDosPath(const QByteArray& hostPath) const {
    return toDosPath(table(), hostPath);
}

std::optional<QString> LinuxDrives::toDosPath(const QList<HostDrive>& drives,
                                              const QByteArray& hostPath) const {
    if (!hostPath.startsWith('/'))
        return std::nullopt;
    const auto match = [&](const QList<QByteArray>& parts) -> std::optional<QString> {
        const HostDrive* best = nullptr;
        qsizetype bestLength = -1;
        for (const HostDrive& drive : drives) {
            if (!drive.ready)
                continue;
            const QList<QByteArray> root = splitHost(drive.root);
            if (root.size() > bestLength && root.size() <= parts.size() &&
                std::equal(root.begin(), root.end(), parts.begin())) {
                best = &drive;
                bestLength = root.size();
            }
        }
        if (!best)
            return std::nullopt;
        DosPath path{best->entry.letter, {}};
        for (qsizetype i = bestLength; i < parts.size(); ++i)
            path.components.append(hostNameToDos(parts[i]));
        return path.toString();
    };
    if (auto dos = match(splitHost(hostPath)))
        return dos;
    // A path through a symlink may only be covered under its real name.
    const QByteArray real = canonical(hostPath);
    if (!real.isEmpty() && real != hostPath)
        return match(splitHost(real));
    return std::nullopt;
}

} // namespace qel
