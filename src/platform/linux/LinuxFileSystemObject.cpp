#include "platform/linux/LinuxFileSystemObject.h"

#include "platform/DosNames.h"
#include "platform/DosPath.h"
#include "platform/Drives.h"
#include "platform/Error.h"
#include "platform/linux/ErrnoMapping.h"
#include "platform/linux/LinuxCopyIo.h"
#include "platform/linux/LinuxFile.h"
#include "platform/linux/TargetFileSystem.h"

#include <cerrno>
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

UniqueFd openFolder(const QByteArray& host, IoSide side, const QString& dosFolder) {
    UniqueFd fd(open(host.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.valid())
        return fd;
    const int e = errno;
    SystemFailure failure = errnoFailure(e, side, dosFolder);
    struct stat st {};
    if (side == IoSide::Destination && e == ENOTDIR && stat(host.constData(), &st) == 0 &&
        !S_ISDIR(st.st_mode))
        failure = {err::FileAlreadyExists, Trouble::NotAFolder, side, dosFolder, {}};
    else if (e == ENOENT || e == ENOTDIR)
        failure = {err::PathNotFound, Trouble::PathMissing, side, dosFolder, {}};
    throw failure;
}

} // namespace

LinuxFileSystemObject::LinuxFileSystemObject(const Drives& drives)
    : FileSystemObjectBase(drives)
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
        throw describe(errnoFailure(e, IoSide::Source, dosPath.toString()));
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
    const QByteArray host = destinationHostPath(dosFolder);
    m_media.check(dosFolder);
    UniqueFd parent(open(hostParent(host).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (mkdir(host.constData(), 0777) != 0) {
        const int e = errno;
        SystemFailure failure = errnoFailure(e, IoSide::Destination, dosFolder);
        if (parent.valid() && refusesName(e, parent.get()))
            failure.trouble = Trouble::NameRefused;
        else if (parent.valid() && meansOutOfRoom(e, parent.get(), parent.get()))
            failure.trouble = Trouble::OutOfRoom;
        throw folderFailure(failure, dosFolder);
    }
    // The new folder's entry must outlast a power cut like the files renamed into it.
    if (!parent.valid() || fsync(parent.get()) != 0)
        throw describe(errnoFailure(errno, IoSide::Destination, dosFolder));
}

void LinuxFileSystemObject::beginRun(const QString& drive) {
    m_media.beginRun(drive);
}

std::vector<FileSystemObjectBase::Entry>
LinuxFileSystemObject::sourceEntries(const QByteArray& host, const QString& dosFolder) {
    const UniqueFd folder = openFolder(host, IoSide::Source, dosFolder);
    const int fd = dup(folder.get());
    DIR* dir = fd < 0 ? nullptr : fdopendir(fd);
    if (!dir) {
        const int e = errno;
        if (fd >= 0)
            close(fd);
        throw errnoFailure(e, IoSide::Source, dosFolder);
    }
    std::vector<Entry> entries;
    for (;;) {
        errno = 0;
        const dirent* entry = readdir(dir);
        if (!entry)
            break;
        const QByteArray name(entry->d_name);
        if (name != "." && name != "..")
            entries.push_back({name, hostNameToDos(name)});
    }
    const int readError = errno;
    closedir(dir);
    if (readError != 0)
        throw errnoFailure(readError, IoSide::Source, dosFolder);
    return entries;
}

QByteArray LinuxFileSystemObject::hostName(const QString& dosName) const {
    return dosNameToHost(dosName);
}

std::unique_ptr<CopyIo> LinuxFileSystemObject::openCopy(const QByteArray& sourceHost,
                                                        const QString& dosSourceFolder,
                                                        const QByteArray& targetHost,
                                                        const QString& dosTargetFolder) {
    return std::make_unique<LinuxCopyIo>(openFolder(sourceHost, IoSide::Source, dosSourceFolder),
                                         openFolder(targetHost, IoSide::Destination,
                                                    dosTargetFolder),
                                         dosTargetFolder);
}

std::function<void()> LinuxFileSystemObject::mediumChecker(const QString& dosFolder) {
    return m_media.checker(dosFolder);
}

} // namespace qel
