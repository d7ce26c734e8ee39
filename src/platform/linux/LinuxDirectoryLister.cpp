#include "platform/linux/LinuxDirectoryLister.h"

#include "platform/DosNameOrder.h"
#include "platform/DosNames.h"
#include "platform/Drives.h"
#include "platform/Error.h"

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

namespace qel {

namespace {

int errorNumberFor(int error) {
    switch (error) {
    case ENOENT:
    case ENOTDIR:
    case ENAMETOOLONG:
    case ELOOP:
        return err::PathNotFound;
    case EACCES:
    case EPERM:
        return err::PermissionDenied;
    case ENOMEDIUM:
    case ENXIO:
    case ENODEV:
        return err::DeviceUnavailable;
    case EIO:
        return err::DeviceIOError;
    default:
        return err::PathFileAccessError;
    }
}

// Closes the listing on every way out.
class DirHandle final {
public:
    explicit DirHandle(DIR* dir)
        : m_dir(dir) {}
    ~DirHandle() {
        if (m_dir)
            ::closedir(m_dir);
    }
    DirHandle(const DirHandle&) = delete;
    DirHandle& operator=(const DirHandle&) = delete;
    DIR* get() const { return m_dir; }

private:
    DIR* m_dir;
};

} // namespace

LinuxDirectoryLister::LinuxDirectoryLister(const Drives& drives)
    : m_drives(drives) {}

QStringList LinuxDirectoryLister::subFolders(const QString& dosDir) const {
    return list(dosDir, Kind::Folders);
}

QStringList LinuxDirectoryLister::files(const QString& dosDir) const {
    return list(dosDir, Kind::Files);
}

QStringList LinuxDirectoryLister::list(const QString& dosDir, Kind kind) const {
    const QByteArray host = m_drives.toHostPath(dosDir);
    DirHandle dir(::opendir(host.constData()));
    if (!dir.get())
        throw Error(errorNumberFor(errno));
    const int fd = ::dirfd(dir.get());

    QStringList names;
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(dir.get());
        if (!entry) {
            if (errno != 0)
                throw Error(errorNumberFor(errno));
            break;
        }
        if (entry->d_name[0] == '.')
            continue; // hidden, and "." / ".."
        unsigned char type = entry->d_type;
        if (type == DT_LNK || type == DT_UNKNOWN) {
            // Only links and file systems without types cost a stat; a link
            // counts as what it points to, and a dangling one as nothing.
            struct stat st;
            if (::fstatat(fd, entry->d_name, &st, 0) != 0)
                continue;
            type = S_ISDIR(st.st_mode) ? DT_DIR : S_ISREG(st.st_mode) ? DT_REG : DT_UNKNOWN;
        }
        if (type != (kind == Kind::Folders ? DT_DIR : DT_REG))
            continue;
        names.append(hostNameToDos(
            QByteArray::fromRawData(entry->d_name, qsizetype(strlen(entry->d_name)))));
    }
    sortDosNames(names);
    return names;
}

} // namespace qel
