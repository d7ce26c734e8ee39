#include "platform/linux/CopyEngine.h"

#include "platform/linux/ErrnoMapping.h"
#include "platform/linux/UniqueFd.h"

#include <QRandomGenerator>
#include <QScopeGuard>
#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <linux/magic.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

namespace qel {

ssize_t CopyIo::copyRange(int in, off_t* inOffset, int out, off_t* outOffset, size_t length) {
    return ::copy_file_range(in, inOffset, out, outOffset, length, 0);
}

ssize_t CopyIo::writeAt(int out, const void* data, size_t length, off_t offset) {
    return ::pwrite(out, data, length, offset);
}

int CopyIo::syncFileSystem(int fd) {
    return ::syncfs(fd);
}

int CopyIo::syncData(int fd) {
    return ::fdatasync(fd);
}

int CopyIo::syncFolder(int dirFd) {
    return ::fsync(dirFd);
}

namespace {

// Files are kept open from their copy to their rename (the lock marks them as
// in use); a batch this size bounds the descriptors held at once.
constexpr std::size_t kMaxPending = 128;
constexpr std::size_t kBufferSize = 1 << 20;
constexpr size_t kRangeChunk = size_t(1) << 30;
// Large files start their write-back as they go, so the final flush of a step
// does not wait for all of it at once.
constexpr off_t kWriteBackChunk = off_t(32) << 20;
constexpr unsigned long kExfatMagic = 0x2011BAB0;

bool before(const timespec& a, const timespec& b) {
    return a.tv_sec < b.tv_sec || (a.tv_sec == b.tv_sec && a.tv_nsec < b.tv_nsec);
}

QByteArray randomTempName() {
    static constexpr char kChars[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    QByteArray name(kTempPrefix);
    for (int i = 0; i < 6; ++i)
        name += kChars[QRandomGenerator::system()->bounded(int(sizeof kChars - 1))];
    return name;
}

bool copyRangeUnusable(int errnum) {
    // Across file systems, on ones without support, or an error we retry with
    // plain reads and writes, which tell source and destination failures apart.
    return errnum == EXDEV || errnum == EINVAL || errnum == ENOSYS || errnum == EOPNOTSUPP ||
           errnum == EIO || errnum == EBADF || errnum == EPERM;
}

// Whether syncfs(2) alone makes the files of this file system durable. On the
// local disk file systems it writes every dirty page and commits; a user-space
// (FUSE) or network file system may need each file synced on its own.
bool fileSystemSyncIsThorough(int dirFd) {
    struct statfs fs {};
    if (fstatfs(dirFd, &fs) != 0)
        return false;
    switch (fs.f_type) {
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

} // namespace

struct CopyEngine::Pending {
    UniqueFd fd;
    QByteArray tempName;
    const CopyItem* item = nullptr;
};

CopyEngine::CopyEngine(CopyIo& io, const timespec& staleBefore)
    : m_io(io)
    , m_staleBefore(staleBefore) {}

int CopyEngine::copy(int sourceDir, int targetDir, const QString& dosTargetDir,
                     const std::vector<CopyItem>& items, bool overwrite) {
    removeStaleTemps(targetDir);
    m_fileSystemSyncIsThorough = fileSystemSyncIsThorough(targetDir);

    std::vector<Pending> pending;
    // Whatever way we leave, no temporary file of ours stays behind.
    struct Discard {
        int dir;
        std::vector<Pending>& files;
        ~Discard() {
            for (Pending& p : files)
                unlinkat(dir, p.tempName.constData(), 0);
        }
    } discard{targetDir, pending};

    int regular = 0;
    for (const CopyItem& item : items) {
        try {
            if (copyOne(sourceDir, targetDir, item, overwrite, pending))
                ++regular;
        } catch (const Error&) {
            // The files before this one are whole: keep them, as a copy that
            // stops at its first failing file would. If that fails as well, the
            // first failure is what the user must see; the old copies stay.
            if (!pending.empty() && pending.back().item == &item) {
                unlinkat(targetDir, pending.back().tempName.constData(), 0);
                pending.pop_back();
            }
            try {
                commit(targetDir, dosTargetDir, pending);
            } catch (const Error&) {
            }
            throw;
        }
        if (pending.size() >= kMaxPending)
            commit(targetDir, dosTargetDir, pending);
    }
    commit(targetDir, dosTargetDir, pending);
    return regular;
}

void CopyEngine::removeStaleTemps(int targetDir) const {
    // Best effort: a leftover we cannot remove costs only space, and the copy
    // itself reports any real trouble with the folder.
    const int fd = openat(targetDir, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    DIR* dir = fdopendir(fd);
    if (!dir) {
        close(fd);
        return;
    }
    const std::size_t prefixLength = sizeof kTempPrefix - 1;
    while (const dirent* entry = readdir(dir)) {
        if (strncmp(entry->d_name, kTempPrefix, prefixLength) != 0)
            continue;
        struct stat st {};
        if (fstatat(targetDir, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 ||
            !S_ISREG(st.st_mode) || !before(st.st_ctim, m_staleBefore))
            continue;
        // A copy in progress holds its temporary file locked.
        UniqueFd temp(openat(targetDir, entry->d_name,
                             O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
        struct stat held {};
        if (temp.valid() && flock(temp.get(), LOCK_EX | LOCK_NB) == 0 &&
            fstat(temp.get(), &held) == 0 && held.st_ino == st.st_ino)
            unlinkat(targetDir, entry->d_name, 0);
    }
    closedir(dir);
}

bool CopyEngine::copyOne(int sourceDir, int targetDir, const CopyItem& item, bool overwrite,
                         std::vector<Pending>& pending) {
    const char* sourceName = item.sourceName.constData();
    struct stat st {};
    if (fstatat(sourceDir, sourceName, &st, 0) != 0) {
        // Gone since the folder was read, or a link to nothing: not a file to copy.
        if (errno == ENOENT || errno == ELOOP)
            return false;
        throw errnoError(errno, IoSide::Source, item.dosSource);
    }
    if (!S_ISREG(st.st_mode))
        return false;
    // Non-blocking, so that a FIFO swapped in since the check cannot hang us.
    UniqueFd in(openat(sourceDir, sourceName, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!in.valid()) {
        if (errno == ENOENT)
            return false;
        throw errnoError(errno, IoSide::Source, item.dosSource);
    }
    if (fstat(in.get(), &st) != 0)
        throw errnoError(errno, IoSide::Source, item.dosSource);
    if (!S_ISREG(st.st_mode))
        return false;

    struct stat existing {};
    if (fstatat(targetDir, item.targetName.constData(), &existing, AT_SYMLINK_NOFOLLOW) == 0) {
        if (S_ISDIR(existing.st_mode))
            throw Error(err::PathFileAccessError,
                        QStringLiteral("A folder stands where %1 should go").arg(item.dosTarget));
        if (!overwrite)
            throw Error(err::FileAlreadyExists);
        // Copying a file onto itself would truncate the only copy.
        if (existing.st_dev == st.st_dev && existing.st_ino == st.st_ino)
            return true;
    } else if (errno != ENOENT) {
        throw errnoError(errno, IoSide::Destination, item.dosTarget);
    }

    Pending temp;
    temp.item = &item;
    // Owner read permission lets a later run open (and lock) the file to clean it up.
    const mode_t mode = (st.st_mode & 0777) | S_IRUSR;
    for (int attempt = 0; attempt < 100 && !temp.fd.valid(); ++attempt) {
        temp.tempName = randomTempName();
        temp.fd.reset(openat(targetDir, temp.tempName.constData(),
                             O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode));
        if (!temp.fd.valid() && errno != EEXIST)
            throw errnoError(errno, IoSide::Destination, item.dosTarget);
    }
    if (!temp.fd.valid())
        throw errnoError(EEXIST, IoSide::Destination, item.dosTarget);
    // File systems without locks still copy; their leftovers are just never cleaned.
    flock(temp.fd.get(), LOCK_EX | LOCK_NB);
    const int out = temp.fd.get();
    pending.push_back(std::move(temp));

    copyData(in.get(), out, st.st_size, item);
    const timespec times[2] = {st.st_atim, st.st_mtim};
    if (futimens(out, times) != 0)
        throw errnoError(errno, IoSide::Destination, item.dosTarget);
    return true;
}

void CopyEngine::copyData(int in, int out, off_t size, const CopyItem& item) {
    // Only the data regions are copied, so a sparse file stays sparse and costs
    // nothing for its holes.
    off_t end = size;
    off_t position = 0;
    while (position < end) {
        off_t dataStart = lseek(in, position, SEEK_DATA);
        off_t dataEnd = end;
        if (dataStart < 0) {
            if (errno == ENXIO)
                break; // a hole up to the end
            if (errno != EINVAL && errno != EOPNOTSUPP)
                throw errnoError(errno, IoSide::Source, item.dosSource);
            dataStart = position; // no hole support: all of it is data
        } else {
            const off_t holeStart = lseek(in, dataStart, SEEK_HOLE);
            if (holeStart >= 0)
                dataEnd = std::min(holeStart, end);
        }
        if (dataStart >= end)
            break;
        const off_t length = dataEnd - dataStart;
        const off_t copied = copyRegion(in, out, dataStart, length, item);
        if (copied < length) {
            end = dataStart + copied; // the source shrank while we read it
            break;
        }
        position = dataEnd;
    }
    if (ftruncate(out, end) != 0)
        throw errnoError(errno, IoSide::Destination, item.dosTarget);
}

off_t CopyEngine::copyRegion(int in, int out, off_t offset, off_t length, const CopyItem& item) {
    off_t done = 0;
    off_t sinceWriteBack = 0;
    while (done < length) {
        const size_t want = size_t(std::min<off_t>(length - done, off_t(kRangeChunk)));
        ssize_t n = 0;
        if (m_useCopyRange) {
            off_t inOffset = offset + done;
            off_t outOffset = offset + done;
            n = m_io.copyRange(in, &inOffset, out, &outOffset, std::min(want, kBufferSize * 16));
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                if (copyRangeUnusable(errno)) {
                    m_useCopyRange = false;
                    continue;
                }
                throw errnoError(errno, IoSide::Destination, item.dosTarget);
            }
            if (n == 0)
                break;
        } else {
            if (m_buffer.empty())
                m_buffer.resize(kBufferSize);
            n = pread(in, m_buffer.data(), std::min(want, m_buffer.size()), offset + done);
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                throw errnoError(errno, IoSide::Source, item.dosSource);
            }
            if (n == 0)
                break;
            for (ssize_t written = 0; written < n;) {
                const ssize_t w = m_io.writeAt(out, m_buffer.data() + written, size_t(n - written),
                                               offset + done + written);
                if (w < 0 && errno == EINTR)
                    continue;
                if (w <= 0)
                    throw errnoError(w < 0 ? errno : EIO, IoSide::Destination, item.dosTarget);
                written += w;
            }
        }
        done += n;
        sinceWriteBack += n;
        if (sinceWriteBack >= kWriteBackChunk) {
            // Only a hint; the flush before the rename reports real trouble.
            sync_file_range(out, offset + done - sinceWriteBack, sinceWriteBack,
                            SYNC_FILE_RANGE_WRITE);
            sinceWriteBack = 0;
        }
    }
    return done;
}

void CopyEngine::commit(int targetDir, const QString& dosTargetDir, std::vector<Pending>& pending) {
    if (pending.empty())
        return;
    // One flush of the destination file system writes the whole batch. It also
    // reports a write-back error that struck any of these files since the
    // folder was opened, so no per-file sync (a device flush each) is needed.
    if (m_io.syncFileSystem(targetDir) != 0)
        throw errnoError(errno, IoSide::Destination, dosTargetDir);
    if (!m_fileSystemSyncIsThorough) {
        for (const Pending& p : pending) {
            if (m_io.syncData(p.fd.get()) != 0)
                throw errnoError(errno, IoSide::Destination, p.item->dosTarget);
        }
    }
    // Renamed files are done; on failure the rest stay pending and are removed.
    std::size_t renamed = 0;
    const auto dropRenamed = qScopeGuard(
        [&] { pending.erase(pending.begin(), pending.begin() + std::ptrdiff_t(renamed)); });
    for (; renamed < pending.size(); ++renamed) {
        const Pending& p = pending[renamed];
        if (renameat(targetDir, p.tempName.constData(), targetDir,
                     p.item->targetName.constData()) != 0)
            throw errnoError(errno, IoSide::Destination, p.item->dosTarget);
    }
    if (m_io.syncFolder(targetDir) != 0)
        throw errnoError(errno, IoSide::Destination, dosTargetDir);
}

} // namespace qel
