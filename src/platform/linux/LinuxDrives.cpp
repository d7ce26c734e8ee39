#include "platform/linux/LinuxDrives.h"

#include "platform/DosNames.h"
#include "platform/DosPath.h"
#include "platform/Error.h"
#include "platform/linux/MountTable.h"

#include <QtGlobal>
#include <algorithm>
#include <climits>
#include <cstdlib>
#include <dirent.h>
#include <pwd.h>
#include <sys/stat.h>
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

// A drive is ready when its folder can be listed and entered.
bool isUsableFolder(const QByteArray& path) {
    return isDirectory(path) && ::access(path.constData(), R_OK | X_OK) == 0;
}

bool isUnder(const QByteArray& path, const QByteArray& folder) {
    return path == folder || path.startsWith(folder + '/');
}

bool isMediaMount(const QByteArray& mountPoint) {
    return mountPoint.startsWith("/media/") || mountPoint.startsWith("/run/media/");
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

// The dosdevices folder's links, by letter; nullopt when there is no such
// folder (or it cannot be read, so the machine's own table serves instead).
std::optional<QList<LinuxDrives::HostDrive>> dosDevicesTable(const QByteArray& configHome) {
    if (configHome.isEmpty())
        return std::nullopt;
    const QByteArray folder = configHome + "/qel-trekkel/dosdevices";
    DIR* dir = ::opendir(folder.constData());
    if (!dir)
        return std::nullopt;
    QList<QByteArray> names;
    while (const dirent* entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (name.size() == 2 && name[1] == ':' && QChar(name[0]).isLetter() &&
            QChar(name[0]).unicode() < 0x80)
            names.append(name);
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
    }
    return drives;
}

QList<LinuxDrives::HostDrive> machineTable(const DriveTableSources& sources) {
    const QByteArray home = canonical(sources.home());
    QList<MountEntry> removable;
    QList<MountEntry> fixed;
    for (const MountEntry& mount : parseMountInfo(sources.mountInfo())) {
        if (isPseudoFileSystem(mount.fsType) || mount.mountPoint == "/" ||
            !isDirectory(mount.mountPoint))
            continue;
        if (isMediaMount(mount.mountPoint) ||
            isRemovableDevice(sources.sysRoot, mount.major, mount.minor)) {
            removable.append(mount);
            continue;
        }
        if (mount.major == 0 && !isNetworkFileSystem(mount.fsType))
            continue;
        if (isSystemPlace(mount.mountPoint) || mount.mountPoint == home)
            continue;
        fixed.append(mount);
    }

    const auto mediaLabel = [](const MountEntry& mount) {
        if (!isMediaMount(mount.mountPoint))
            return QString();
        return hostText(mount.mountPoint.mid(mount.mountPoint.lastIndexOf('/') + 1));
    };

    QList<LinuxDrives::HostDrive> drives;
    // a: is there even without a medium, as a floppy drive would be.
    drives.append(removable.isEmpty()
                      ? makeDrive(u'A', true, {})
                      : makeDrive(u'A', true, removable[0].mountPoint, mediaLabel(removable[0])));
    if (removable.size() > 1)
        drives.append(makeDrive(u'B', true, removable[1].mountPoint, mediaLabel(removable[1])));
    drives.append(makeDrive(u'C', false, home));

    char16_t next = u'D';
    for (const MountEntry& mount : fixed) {
        if (next >= LastLetter)
            break;
        drives.append(
            makeDrive(QChar(next++), false, mount.mountPoint, hostText(mount.mountPoint)));
    }
    for (qsizetype i = 2; i < removable.size() && next < LastLetter; ++i)
        drives.append(
            makeDrive(QChar(next++), true, removable[i].mountPoint, mediaLabel(removable[i])));
    drives.append(makeDrive(LastLetter, false, "/"));
    return drives;
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

} // namespace

DriveTableSources DriveTableSources::system() {
    DriveTableSources sources;
    sources.mountInfo = [] { return readWholeFile("/proc/self/mountinfo"); };
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
    if (auto drives = dosDevicesTable(m_sources.configHome()))
        return *drives;
    return machineTable(m_sources);
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

QString LinuxDrives::currentDirectory(QChar letter) const {
    const auto drives = table();
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
    const auto drives = table();
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
