#include "platform/linux/LinuxFileSystemObject.h"

#include "platform/CopyPolicy.h"
#include "platform/CopyTarget.h"
#include "platform/DosNames.h"
#include "platform/DosPath.h"
#include "platform/Error.h"
#include "platform/DosWildcard.h"
#include "platform/linux/ErrnoMapping.h"
#include "platform/linux/LinuxFile.h"
#include "platform/linux/TargetFileSystem.h"
#include "platform/linux/UniqueFd.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qel {

namespace {

QByteArray hostParent(const QByteArray& hostPath) {
    const qsizetype slash = hostPath.lastIndexOf('/');
    return slash <= 0 ? QByteArray("/") : hostPath.left(slash);
}

bool isHostFolder(const QByteArray& hostPath) {
    struct stat st {};
    return stat(hostPath.constData(), &st) == 0 && S_ISDIR(st.st_mode);
}

// A destination drive that is not ready has no medium in it: the disk the
// user is asked to insert.
QByteArray destinationHostPath(const Drives& drives, const QString& dosPath) {
    try {
        return drives.toHostPath(dosPath);
    } catch (const Error& e) {
        if (e.number() == err::DeviceUnavailable)
            throw Error(err::DiskNotReady);
        throw;
    }
}

struct Match {
    QByteArray hostName;
    QString dosName;
};

// The entries of the open folder whose DOS names match pattern. A name without
// wildcards that exists in exactly that case names only that file.
std::vector<Match> matchingEntries(int dirFd, const QString& pattern, const QString& dosFolder) {
    const int fd = dup(dirFd);
    DIR* dir = fd < 0 ? nullptr : fdopendir(fd);
    if (!dir) {
        const int e = errno;
        if (fd >= 0)
            close(fd);
        throw errnoError(e, IoSide::Source, dosFolder);
    }
    std::vector<Match> matches;
    int readError = 0;
    for (;;) {
        errno = 0;
        const dirent* entry = readdir(dir);
        if (!entry) {
            readError = errno;
            break;
        }
        const QByteArray hostName(entry->d_name);
        if (hostName == "." || hostName == ".." || isTempName(QString::fromUtf8(hostName)))
            continue;
        QString dosName = hostNameToDos(hostName);
        if (matchesDosPattern(dosName, pattern))
            matches.push_back({hostName, std::move(dosName)});
    }
    closedir(dir);
    if (readError != 0)
        throw errnoError(readError, IoSide::Source, dosFolder);

    if (!hasWildcards(pattern)) {
        const auto exact = std::find_if(matches.begin(), matches.end(),
                                        [&](const Match& m) { return m.dosName == pattern; });
        if (exact != matches.end())
            return {*exact};
    }
    std::sort(matches.begin(), matches.end(),
              [](const Match& a, const Match& b) { return a.hostName < b.hostName; });
    return matches;
}

UniqueFd openSourceFolder(const QByteArray& host, const QString& dosFolder) {
    UniqueFd fd(open(host.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!fd.valid()) {
        if (errno == ENOENT || errno == ENOTDIR)
            throw pathNotFound(dosFolder);
        throw errnoError(errno, IoSide::Source, dosFolder);
    }
    return fd;
}

UniqueFd openTargetFolder(const QByteArray& host, const QString& dosFolder) {
    UniqueFd fd(open(host.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!fd.valid()) {
        const int e = errno;
        struct stat st {};
        if (e == ENOTDIR && stat(host.constData(), &st) == 0 && !S_ISDIR(st.st_mode))
            throw Error(
                err::FileAlreadyExists,
                QStringLiteral("A file stands where the folder %1 should be").arg(dosFolder));
        if (e == ENOENT || e == ENOTDIR)
            throw pathNotFound(dosFolder);
        throw errnoError(e, IoSide::Destination, dosFolder);
    }
    return fd;
}

} // namespace

LinuxFileSystemObject::LinuxFileSystemObject(const Drives& drives)
    : LinuxFileSystemObject(drives, m_systemIo) {}

LinuxFileSystemObject::LinuxFileSystemObject(const Drives& drives, CopyIo& io)
    : m_drives(drives)
    , m_io(io)
    , m_media(drives) {}

std::unique_ptr<File> LinuxFileSystemObject::GetFile(const QString& path) {
    const DosPath dosPath = requireDosPath(path);
    const QByteArray host = m_drives.toHostPath(dosPath.toString());
    if (dosPath.isRoot() || endsWithDosSeparator(path))
        throw Error(err::FileNotFound);

    struct statx info {};
    if (statx(AT_FDCWD, host.constData(), AT_STATX_SYNC_AS_STAT, STATX_BASIC_STATS | STATX_BTIME,
              &info) != 0) {
        const int e = errno;
        if (e == ENOENT && isHostFolder(hostParent(host)))
            throw Error(err::FileNotFound);
        if (e == ENOENT || e == ENOTDIR)
            throw pathNotFound(dosPath.parent().toString());
        if (e == EACCES)
            throw Error(err::PermissionDenied);
        throw errnoError(e, IoSide::Source, dosPath.toString());
    }
    if (S_ISDIR(info.stx_mode))
        throw Error(err::FileNotFound);
    return std::make_unique<LinuxFile>(info, dosPath.toString(), host);
}

bool LinuxFileSystemObject::FolderExists(const QString& path) {
    const auto dosPath = DosPath::parse(path);
    try {
        return dosPath && isHostFolder(m_drives.toHostPath(dosPath->toString()));
    } catch (const Error&) {
        return false; // a drive that is not ready holds no folder
    }
}

void LinuxFileSystemObject::CreateFolder(const QString& path) {
    const QString dosFolder = requireDosPath(path).toString();
    const QByteArray host = destinationHostPath(m_drives, dosFolder);
    m_media.check(dosFolder);
    UniqueFd parent(open(hostParent(host).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (mkdir(host.constData(), 0777) != 0) {
        const int e = errno;
        if (e == EEXIST)
            throw Error(err::FileAlreadyExists);
        if (parent.valid() && refusesName(e, parent.get()))
            throw nameRefusedError(dosFolder, dosFolder);
        if (parent.valid() && meansOutOfRoom(e, parent.get(), parent.get()))
            throw Error(
                err::DiskFull,
                QStringLiteral("Disk full: there is no room for the folder %1").arg(dosFolder));
        throw errnoError(e, IoSide::Destination, dosFolder);
    }
    // The new folder's entry must outlast a power cut like the files renamed into it.
    if (!parent.valid() || m_io.syncFolder(parent.get()) != 0)
        throw errnoError(errno, IoSide::Destination, dosFolder);
}

void LinuxFileSystemObject::CopyFile(const QString& source, const QString& destination,
                                     bool overwrite) {
    const auto [sourceFolder, pattern] = copySource(source);
    const QString dosSourceFolder = sourceFolder.toString();

    const UniqueFd sourceDir =
        openSourceFolder(m_drives.toHostPath(dosSourceFolder), dosSourceFolder);
    const std::vector<Match> matches = matchingEntries(sourceDir.get(), pattern, dosSourceFolder);
    if (matches.empty())
        throw Error(err::FileNotFound);

    const auto [targetFolder, targetName] =
        copyTarget(destination, pattern, [this](const QString& path) { return FolderExists(path); });
    const QString dosTargetFolder = targetFolder.toString();
    const QByteArray hostTargetFolder = destinationHostPath(m_drives, dosTargetFolder);
    // Before the folder is opened, so that one missing with its medium is not
    // "Path not found"; again before the copies are renamed into place.
    const std::function<void()> checkMedium = m_media.checker(dosTargetFolder);
    const UniqueFd targetDir = openTargetFolder(hostTargetFolder, dosTargetFolder);

    std::vector<CopyItem> items;
    items.reserve(matches.size());
    for (const Match& m : matches) {
        const bool sameName = targetName.isEmpty();
        items.push_back({m.hostName, sameName ? m.hostName : dosNameToHost(targetName),
                         sourceFolder.child(m.dosName).toString(),
                         targetFolder.child(sameName ? m.dosName : targetName).toString()});
    }
    if (m_engine.copy(sourceDir.get(), targetDir.get(), dosTargetFolder, items, overwrite,
                      checkMedium) == 0)
        throw Error(err::FileNotFound);
}

void LinuxFileSystemObject::beginRun(const QString& drive) {
    m_media.beginRun(drive);
}

} // namespace qel
