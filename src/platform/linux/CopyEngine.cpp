#include "platform/linux/CopyEngine.h"

#include "platform/CopyPolicy.h"
#include "platform/DosNames.h"
#include "platform/linux/ErrnoMapping.h"
#include "platform/linux/TargetFileSystem.h"
#include "platform/linux/UniqueFd.h"

#include <QScopeGuard>
#include <algorithm>
#include <array>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <future>
#include <linux/magic.h>
#include <optional>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

namespace qel {

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

ssize_t CopyIo::readBack(int fd, void* data, size_t length, off_t offset) {
    return ::pread(fd, data, length, offset);
}

int CopyIo::rename(int dirFd, const char* from, const char* to) {
    return ::renameat(dirFd, from, dirFd, to);
}

namespace {

// Files are kept open from their copy to their rename (the lock marks them as
// in use); a batch this size bounds the descriptors held at once.
constexpr std::size_t kMaxPending = 128;
constexpr std::size_t kBufferSize = 4 << 20;
// Reads and writes that bypass the cache start, and are as long as, whole
// blocks of this size.
constexpr std::size_t kDirectAlign = 4096;
// Files this large are written past the cache (O_DIRECT): putting their bytes
// through it costs more than the device's own time, and they are read back
// from the medium anyway. Smaller ones go through it, to be flushed together.
constexpr off_t kDirectWriteFrom = off_t(8) << 20;
// Large files start their write-back as they go, so the final flush of a step
// does not wait for all of it at once.
constexpr off_t kWriteBackChunk = off_t(32) << 20;
constexpr unsigned long kExfatMagic = 0x2011BAB0;

bool before(const timespec& a, const timespec& b) {
    return a.tv_sec < b.tv_sec || (a.tv_sec == b.tv_sec && a.tv_nsec < b.tv_nsec);
}

// What a file system that keeps no such thing (times before 1980 on FAT, or
// none at all) says to a time stamp; the copy itself is still good.
bool isRefusedExtra(int errnum) {
    return errnum == EPERM || errnum == EACCES || errnum == EOPNOTSUPP || errnum == ENOSYS ||
           errnum == EINVAL;
}

bool sameTime(const timespec& a, const timespec& b) {
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

// The same contents as far as the file's status tells: a writer in between
// changes the size or the modification or change time.
bool sameVersion(const struct stat& a, const struct stat& b) {
    return a.st_size == b.st_size && sameTime(a.st_mtim, b.st_mtim) &&
           sameTime(a.st_ctim, b.st_ctim);
}

std::int64_t nanoseconds(const timespec& t) {
    return std::int64_t(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
}

// Holes read as zeros: hashed and, where a file system has no holes, written.
constexpr std::array<char, 1 << 16> kZeros{};

// A length rounded up to whole blocks, as O_DIRECT wants; the end of the file
// cuts the last one short.
size_t wholeBlocks(size_t length) {
    return (length + kDirectAlign - 1) & ~(kDirectAlign - 1);
}

// Makes fd read and write through the cache again; false when it did already.
bool leaveDirect(int fd) {
    const int flags = fcntl(fd, F_GETFL);
    return flags >= 0 && (flags & O_DIRECT) && fcntl(fd, F_SETFL, flags & ~O_DIRECT) == 0;
}

void hashZeros(XXH3_state_t* hash, off_t count) {
    for (; count > 0; count -= off_t(kZeros.size()))
        XXH3_64bits_update(hash, kZeros.data(), size_t(std::min<off_t>(count, kZeros.size())));
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
    off_t size = 0;            // of the source, as copied
    XXH64_hash_t checksum = 0; // of the source bytes, holes as zeros
    timespec times[2] = {};    // the source's access and modification times
};

struct CopyEngine::Placed {
    const CopyItem* item;
    off_t size;
    XXH64_hash_t checksum;
};

// One call's folders and the copies waiting for their flush and rename.
struct CopyEngine::Step {
    int sourceDir;
    int targetDir;
    const QString& dosTargetDir;
    bool overwrite;
    const std::function<void()>& checkMedium;
    std::vector<Pending> pending;
    // Copies put in place by this call, read again at its end where a rename
    // can touch file data (a FAT through FUSE rewrites directory clusters).
    std::vector<Placed> placed;
    Fat fat = Fat::None;
    long long freeRoom = -1; // bytes not claimed by pending copies; -1: not known
    bool roomIsShort = false;
    // The file being copied, for the message when it does not fit.
    off_t size = 0;
    bool replacing = false;
};

struct CopyEngine::OutOfRoom {
    off_t written; // how much of the file the disk took before it was full
    bool forEntry; // no room for the file's name, not its data
};

CopyEngine::CopyEngine(CopyIo& io)
    : m_io(io)
    , m_hash(XXH3_createState(), XXH3_freeState)
    , m_aligned(static_cast<char*>(std::aligned_alloc(kDirectAlign, kBufferSize)), std::free)
    , m_second(static_cast<char*>(std::aligned_alloc(kDirectAlign, kBufferSize)), std::free) {
    if (!m_hash || !m_aligned || !m_second)
        throw std::bad_alloc();
}

int CopyEngine::copy(int sourceDir, int targetDir, const QString& dosTargetDir,
                     const std::vector<CopyItem>& items, bool overwrite,
                     const std::function<void()>& checkMedium) {
    removeStaleTemps(targetDir);
    m_fileSystemSyncIsThorough = fileSystemSyncIsThorough(targetDir);
    m_targetDir = targetDir;

    Step step{sourceDir, targetDir, dosTargetDir, overwrite, checkMedium, {}, {}};
    // Whatever way we leave, no temporary file of ours stays behind.
    const auto discardAll = qScopeGuard([&] { discard(targetDir, step.pending, 0); });
    checkCaseCollisions(step, items);
    step.fat = fatOf(targetDir);
    step.freeRoom = freeBytes(targetDir);

    int regular = 0;
    for (const CopyItem& item : items) {
        try {
            if (copyItem(step, item))
                ++regular;
        } catch (const Error&) {
            // The files before this one are whole: keep them, as a copy that
            // stops at its first failing file would. If that fails as well, the
            // first failure is what the user must see; the old copies stay.
            try {
                commit(step);
            } catch (const Error&) {
            }
            throw;
        }
        if (step.pending.size() >= kMaxPending || step.roomIsShort)
            commit(step);
    }
    commit(step);
    if (!m_fileSystemSyncIsThorough) {
        for (const Placed& copy : step.placed)
            verify(step, copy.item->targetName, copy.size, copy.checksum, *copy.item);
    }
    return regular;
}

void CopyEngine::discard(int targetDir, std::vector<Pending>& pending, std::size_t from) {
    // Closed first: through FUSE an open file that is unlinked only becomes a
    // hidden file, and a FAT served that way is left with lost clusters.
    for (std::size_t i = from; i < pending.size(); ++i)
        pending[i].fd.reset();
    for (std::size_t i = from; i < pending.size(); ++i)
        unlinkat(targetDir, pending[i].tempName.constData(), 0);
    pending.resize(from);
}

void CopyEngine::removeStaleTemps(int targetDir) {
    // A copy at work locks its temporary file as soon as it has made it, so an
    // unlocked one made before now is a leftover, also of a run earlier in
    // this program.
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
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
    while (const dirent* entry = readdir(dir)) {
        if (!isTempName(QString::fromUtf8(entry->d_name)))
            continue;
        struct stat st {};
        if (fstatat(targetDir, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 ||
            !S_ISREG(st.st_mode) || !before(st.st_ctim, now))
            continue;
        // A copy in progress holds its temporary file locked.
        UniqueFd temp(openat(targetDir, entry->d_name,
                             O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
        struct stat held {};
        if (!temp.valid() || flock(temp.get(), LOCK_EX | LOCK_NB) != 0 ||
            fstat(temp.get(), &held) != 0 || held.st_ino != st.st_ino)
            continue;
        // Closed before it is unlinked, as every temporary file (see discard).
        temp.reset();
        unlinkat(targetDir, entry->d_name, 0);
    }
    closedir(dir);
}

void CopyEngine::checkCaseCollisions(const Step& step, const std::vector<CopyItem>& items) const {
    std::vector<QString> names;
    names.reserve(items.size());
    for (const CopyItem& item : items)
        names.push_back(hostNameToDos(item.targetName));
    const auto pair = caseCollision(names, [&](std::size_t i) {
        struct stat st {};
        return fstatat(step.sourceDir, items[i].sourceName.constData(), &st, 0) == 0 &&
               S_ISREG(st.st_mode);
    });
    // The folder is asked only now: most steps have no such pair and need no probe.
    if (pair && foldsCase(step.targetDir))
        throw caseCollisionError(items[pair->first].dosSource, items[pair->second].dosSource,
                                 step.dosTargetDir);
}

bool CopyEngine::copyItem(Step& step, const CopyItem& item) {
    const auto dropTemp = [&] {
        if (!step.pending.empty() && step.pending.back().item == &item)
            discard(step.targetDir, step.pending, step.pending.size() - 1);
    };
    const auto copyOnce = [&] {
        try {
            return copyOne(step, item);
        } catch (...) {
            dropTemp();
            throw;
        }
    };
    for (;;) {
        try {
            return copyHoldingStill(item.dosSource, copyOnce);
        } catch (const OutOfRoom& room) {
            if (step.pending.empty())
                throw room.forEntry
                    ? noEntryError(step.dosTargetDir, item.dosTarget, step.replacing)
                    : noRoomError(item.dosTarget, step.size - room.written, step.replacing);
            // The pending copies' old versions give their room back once renamed.
            step.roomIsShort = true;
            commit(step);
        }
    }
}

bool CopyEngine::copyOne(Step& step, const CopyItem& item) {
    const char* sourceName = item.sourceName.constData();
    struct stat st {};
    if (fstatat(step.sourceDir, sourceName, &st, 0) != 0) {
        // Gone since the folder was read, or a link to nothing: not a file to copy.
        if (errno == ENOENT || errno == ELOOP)
            return false;
        throw errnoError(errno, IoSide::Source, item.dosSource);
    }
    if (!S_ISREG(st.st_mode))
        return false;
    // Non-blocking, so that a FIFO swapped in since the check cannot hang us.
    UniqueFd in(openat(step.sourceDir, sourceName, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
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
    step.replacing = false;
    if (fstatat(step.targetDir, item.targetName.constData(), &existing, AT_SYMLINK_NOFOLLOW) == 0) {
        if (S_ISDIR(existing.st_mode))
            throw folderInTheWayError(item.dosTarget);
        if (!step.overwrite)
            throw Error(err::FileAlreadyExists);
        // Copying a file onto itself would truncate the only copy.
        if (existing.st_dev == st.st_dev && existing.st_ino == st.st_ino)
            return true;
        if (alreadyThere(step, item, in.get(), st, existing))
            return true;
        step.replacing = true;
    } else if (errno != ENOENT) {
        throw errnoError(errno, IoSide::Destination, item.dosTarget);
    }
    if (step.fat != Fat::None) {
        if (st.st_size > kFatLargestFile)
            throw tooLargeForFatError(item.dosSource, step.dosTargetDir);
        // Its temporary name is an 8.3 one, so FAT's rules are asked here,
        // before any data is written.
        if (!fatHoldsName(QString::fromUtf8(item.targetName), step.fat == Fat::Fuse))
            throw nameRefusedError(item.dosSource, step.dosTargetDir);
    }

    step.size = st.st_size;
    if (step.freeRoom >= 0) {
        // When the copies waiting for their rename leave too little room,
        // they go first and their old versions make room.
        if (missingRoom(st.st_size, step.freeRoom) > 0 && !step.pending.empty())
            commit(step);
        if (step.freeRoom >= 0)
            step.freeRoom -= roomFor(st.st_size);
    }

    Pending temp;
    temp.item = &item;
    // Owner read permission lets a later run open (and lock) the file to clean it up.
    const mode_t mode = (st.st_mode & 0777) | S_IRUSR;
    for (int attempt = 0; attempt < 100 && !temp.fd.valid(); ++attempt) {
        temp.tempName = tempFileName(item.targetName, step.fat != Fat::None, NAME_MAX);
        temp.fd.reset(openat(step.targetDir, temp.tempName.constData(),
                             O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode));
        if (temp.fd.valid() || errno == EEXIST)
            continue;
        const int e = errno;
        if (refusesName(e, step.targetDir))
            throw nameRefusedError(item.dosSource, step.dosTargetDir);
        if (meansOutOfRoom(e, step.targetDir, step.targetDir))
            throw OutOfRoom{0, true};
        throw errnoError(e, IoSide::Destination, item.dosTarget);
    }
    if (!temp.fd.valid())
        throw errnoError(EEXIST, IoSide::Destination, item.dosTarget);
    // File systems without locks still copy; their leftovers are just never cleaned.
    flock(temp.fd.get(), LOCK_EX | LOCK_NB);
    const int out = temp.fd.get();
    step.pending.push_back(std::move(temp));

    m_writtenToFile = 0;
    m_direct =
        st.st_size >= kDirectWriteFrom && fcntl(out, F_SETFL, fcntl(out, F_GETFL) | O_DIRECT) == 0;
    XXH3_64bits_reset(m_hash.get());
    const bool whole = copyData(in.get(), out, st.st_size, item);
    Pending& copy = step.pending.back();
    copy.size = st.st_size;
    copy.checksum = XXH3_64bits_digest(m_hash.get());
    struct stat after {};
    if (fstat(in.get(), &after) != 0)
        throw errnoError(errno, IoSide::Source, item.dosSource);
    if (!sameVersion(st, after))
        throw SourceChanged{};
    if (!whole)
        throw sourceShortError(item.dosSource);
    // A writer through a shared map changes neither size nor times: the copy
    // is a version the file really had only if its bytes are still those read.
    if (hashFile(in.get(), st.st_size, IoSide::Source, item.dosSource) != st.st_size ||
        XXH3_64bits_digest(m_hash.get()) != copy.checksum)
        throw SourceChanged{};
    copy.times[0] = st.st_atim;
    copy.times[1] = st.st_mtim;
    if (futimens(out, copy.times) != 0 && !isRefusedExtra(errno))
        throw errnoError(errno, IoSide::Destination, item.dosTarget);
    return true;
}

bool CopyEngine::alreadyThere(Step& step, const CopyItem& item, int in, const struct stat& source,
                              const struct stat& target) {
    if (!S_ISREG(target.st_mode) || target.st_size != source.st_size ||
        !sameTimeOnDisk(nanoseconds(source.st_mtim), nanoseconds(target.st_mtim), 1'000'000'000))
        return false;
    // Read past the cache where the file system allows: a large copy was
    // written that way, and filling the cache with it costs more than the reads.
    const char* name = item.targetName.constData();
    constexpr int flags = O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
    UniqueFd out(openat(step.targetDir, name, flags | O_DIRECT));
    if (!out.valid() && errno == EINVAL)
        out.reset(openat(step.targetDir, name, flags));
    if (!out.valid())
        return false;
    m_buffer.resize(kBufferSize);
    char* other = m_aligned.get();
    // Anything unreadable or different is simply copied, as if it were not there.
    for (off_t offset = 0; offset < source.st_size;) {
        const ssize_t n = pread(in, m_buffer.data(), m_buffer.size(), offset);
        if (n <= 0)
            return false;
        ssize_t m = pread(out.get(), other, wholeBlocks(size_t(n)), offset);
        if (m < 0 && errno == EINVAL && leaveDirect(out.get()))
            m = pread(out.get(), other, size_t(n), offset);
        if (m < n || std::memcmp(m_buffer.data(), other, size_t(n)) != 0)
            return false;
        offset += n;
    }
    struct stat after {};
    return fstat(in, &after) == 0 && sameVersion(source, after);
}

bool CopyEngine::copyData(int in, int out, off_t size, const CopyItem& item) {
    // Only the data regions are copied, so a sparse file stays sparse and costs
    // nothing for its holes.
    off_t end = size;
    off_t position = 0;
    off_t written = 0; // where the copied data ends
    off_t hashed = 0;
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
        hashZeros(m_hash.get(), dataStart - hashed);
        const off_t copied = copyRegion(in, out, dataStart, length, item);
        written = dataStart + copied;
        hashed = written;
        if (copied < length)
            return false; // the source ended early: it shrank, or it cannot be read
        position = dataEnd;
    }
    hashZeros(m_hash.get(), end - hashed);
    // Only a file that ends in a hole needs its size set: a plain copy never
    // truncates, which some file systems refuse.
    if (written < end && ftruncate(out, end) != 0) {
        if (!isRefusedExtra(errno))
            writeFailed(errno, out, item);
        extendWithZeros(out, written, end, item);
    }
    return true;
}

off_t CopyEngine::copyRegion(int in, int out, off_t offset, off_t length, const CopyItem& item) {
    // While one block is written, the next is read and hashed: the device
    // need not wait for either.
    char* buffers[2] = {m_aligned.get(), m_second.get()};
    std::future<void> writing;
    const auto write = [this, out, &item](const char* data, size_t n, off_t at) {
        writeAll(out, data, n, at, item);
        const off_t end = at + off_t(n);
        if (!m_direct && end / kWriteBackChunk != at / kWriteBackChunk) {
            // Only a hint; the flush before the rename reports real trouble.
            const off_t chunk = end / kWriteBackChunk * kWriteBackChunk - kWriteBackChunk;
            sync_file_range(out, chunk, kWriteBackChunk, SYNC_FILE_RANGE_WRITE);
        }
    };
    off_t done = 0;
    int b = 0;
    while (done < length) {
        char* buffer = buffers[b];
        const size_t want = size_t(std::min<off_t>(length - done, off_t(kBufferSize)));
        const ssize_t n = pread(in, buffer, want, offset + done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            throw errnoError(errno, IoSide::Source, item.dosSource);
        }
        if (n == 0)
            break;
        // What was read is what the copy on the disk must give back.
        XXH3_64bits_update(m_hash.get(), buffer, size_t(n));
        if (writing.valid())
            writing.get();
        const off_t at = offset + done;
        done += n;
        if (done < length)
            writing = std::async(std::launch::async, write, buffer, size_t(n), at);
        else
            write(buffer, size_t(n), at); // a small file needs no second thread
        b ^= 1;
    }
    if (writing.valid())
        writing.get();
    return done;
}

void CopyEngine::extendWithZeros(int out, off_t from, off_t to, const CopyItem& item) {
    for (; from < to; from += off_t(kZeros.size()))
        writeAll(out, kZeros.data(), size_t(std::min<off_t>(to - from, kZeros.size())), from, item);
}

void CopyEngine::writeAll(int out, const char* data, size_t length, off_t offset,
                          const CopyItem& item) {
    for (size_t written = 0; written < length;) {
        const off_t at = offset + off_t(written);
        const size_t rest = length - written;
        // Past the cache only whole blocks go: the end of the file, or a part
        // that is not aligned, goes through it.
        const auto misaligned = [](std::uintptr_t n) { return n % kDirectAlign != 0; };
        if (m_direct && (misaligned(std::uintptr_t(at)) || misaligned(rest) ||
                         misaligned(reinterpret_cast<std::uintptr_t>(data + written))))
            stopDirect(out);
        const ssize_t w = m_io.writeAt(out, data + written, rest, at);
        if (w < 0 && errno == EINTR)
            continue;
        if (w < 0 && errno == EINVAL && m_direct) {
            stopDirect(out); // a file system that takes O_DIRECT only in part
            continue;
        }
        if (w <= 0)
            writeFailed(w < 0 ? errno : EIO, out, item);
        written += size_t(w);
        m_writtenToFile += w;
    }
}

void CopyEngine::stopDirect(int out) {
    leaveDirect(out);
    m_direct = false;
}

void CopyEngine::writeFailed(int errnum, int out, const CopyItem& item) const {
    if (meansOutOfRoom(errnum, out, m_targetDir))
        throw OutOfRoom{m_writtenToFile, false};
    throw errnoError(errnum, IoSide::Destination, item.dosTarget);
}

void CopyEngine::verify(const Step& step, const QByteArray& name, off_t size,
                        XXH64_hash_t checksum, const CopyItem& item) {
    // A fresh descriptor reads what any later reader of the medium gets: a FAT
    // through FUSE gives back zeros for a small file through the one that wrote
    // it. O_DIRECT skips the cache; where it is refused, the pages (clean since
    // the flush) are dropped instead.
    UniqueFd fd(
        openat(step.targetDir, name.constData(), O_RDONLY | O_DIRECT | O_NOFOLLOW | O_CLOEXEC));
    if (!fd.valid() && errno == EINVAL) {
        fd.reset(openat(step.targetDir, name.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
        if (fd.valid())
            posix_fadvise(fd.get(), 0, 0, POSIX_FADV_DONTNEED);
    }
    if (!fd.valid())
        throw errnoError(errno, IoSide::Destination, item.dosTarget);
    struct stat st {};
    if (fstat(fd.get(), &st) != 0)
        throw errnoError(errno, IoSide::Destination, item.dosTarget);
    const off_t checked = hashFile(fd.get(), st.st_size, IoSide::Destination, item.dosTarget);
    if (checked != size || XXH3_64bits_digest(m_hash.get()) != checksum)
        throw copyMismatchError(item.dosSource, step.dosTargetDir);
}

off_t CopyEngine::hashFile(int fd, off_t size, IoSide side, const QString& dosPath) {
    XXH3_64bits_reset(m_hash.get());
    // While one block is hashed, the next is read.
    char* buffers[2] = {m_aligned.get(), m_second.get()};
    off_t checked = 0;
    while (checked < size) {
        off_t dataStart = lseek(fd, checked, SEEK_DATA);
        off_t dataEnd = size;
        if (dataStart < 0) {
            if (errno != ENXIO)
                dataStart = checked; // no hole support: all of it is data
            else
                dataStart = dataEnd; // a hole up to the end
        } else if (const off_t hole = lseek(fd, dataStart, SEEK_HOLE); hole >= 0) {
            dataEnd = std::min(hole, size);
        }
        hashZeros(m_hash.get(), dataStart - checked);
        checked = dataStart;
        // The bytes read at `at`, up to dataEnd; -errno on failure.
        const auto readAt = [&](char* buffer, off_t at) -> ssize_t {
            const off_t left = std::min<off_t>(dataEnd - at, off_t(kBufferSize));
            for (;;) {
                const ssize_t n = side == IoSide::Destination
                                      ? m_io.readBack(fd, buffer, wholeBlocks(size_t(left)), at)
                                      : ::pread(fd, buffer, size_t(left), at);
                if (n >= 0)
                    return std::min<ssize_t>(n, left);
                if (errno == EINVAL && leaveDirect(fd))
                    // A file system that takes O_DIRECT only in part.
                    posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
                else if (errno != EINTR)
                    return -errno;
            }
        };
        std::future<ssize_t> next = std::async(std::launch::deferred, readAt, buffers[0], checked);
        for (int b = 0; checked < dataEnd; b ^= 1) {
            const ssize_t n = next.get();
            if (n < 0)
                throw errnoError(int(-n), side, dosPath);
            if (n == 0)
                break;
            if (checked + n < dataEnd)
                next = std::async(std::launch::async, readAt, buffers[b ^ 1], checked + n);
            XXH3_64bits_update(m_hash.get(), buffers[b], size_t(n));
            checked += n;
        }
        if (checked < dataEnd)
            break; // shorter than it says
    }
    return checked;
}

void CopyEngine::commit(Step& step) {
    if (step.pending.empty())
        return;
    std::vector<Pending>& pending = step.pending;
    // One flush of the destination file system writes the whole batch. It also
    // reports a write-back error that struck any of these files since the
    // folder was opened, so no per-file sync (a device flush each) is needed.
    if (m_io.syncFileSystem(step.targetDir) != 0)
        throw errnoError(errno, IoSide::Destination, step.dosTargetDir);
    if (!m_fileSystemSyncIsThorough) {
        for (const Pending& p : pending) {
            if (m_io.syncData(p.fd.get()) != 0)
                throw errnoError(errno, IoSide::Destination, p.item->dosTarget);
        }
    }
    std::size_t verified = 0;
    std::optional<Error> mismatch;
    for (; verified < pending.size() && !mismatch; ++verified) {
        const Pending& copy = pending[verified];
        try {
            verify(step, copy.tempName, copy.size, copy.checksum, *copy.item);
            // Reading it moved its access time; the copy keeps the source's.
            futimens(copy.fd.get(), copy.times);
        } catch (const Error& e) {
            mismatch = e;
        }
    }
    if (mismatch) {
        // The copies before the bad one are good: they go in, as a copy that
        // stops at its first failing file would; the rest keep their old copy.
        --verified;
        discard(step.targetDir, pending, verified);
    }
    // Renamed files are done; on failure the rest stay pending and are removed.
    std::size_t renamed = 0;
    const auto dropRenamed = qScopeGuard(
        [&] { pending.erase(pending.begin(), pending.begin() + std::ptrdiff_t(renamed)); });
    for (; renamed < pending.size(); ++renamed) {
        const Pending& p = pending[renamed];
        step.checkMedium();
        if (m_io.rename(step.targetDir, p.tempName.constData(), p.item->targetName.constData()) !=
            0) {
            const int e = errno;
            if (e == EINVAL)
                throw nameRefusedError(p.item->dosSource, step.dosTargetDir);
            // Not a write-protected disk (that is EROFS or EACCES): a medium or
            // a FUSE layer that forbids this rename, or a FAT folder that is full.
            if (e == EPERM)
                throw meansOutOfRoom(e, step.targetDir, step.targetDir)
                    ? noEntryError(step.dosTargetDir, p.item->dosTarget, true)
                    : renameRefusedError(p.item->dosTarget, QStringLiteral("operation not permitted"));
            throw errnoError(e, IoSide::Destination, p.item->dosTarget);
        }
        step.placed.push_back({p.item, p.size, p.checksum});
    }
    if (m_io.syncFolder(step.targetDir) != 0)
        throw errnoError(errno, IoSide::Destination, step.dosTargetDir);
    step.freeRoom = freeBytes(step.targetDir);
    if (mismatch)
        throw *mismatch;
}

} // namespace qel
