#include "platform/linux/LinuxCopyIo.h"

#include "platform/CopyPolicy.h"
#include "platform/linux/ErrnoMapping.h"
#include "platform/linux/TargetFileSystem.h"

#include <cerrno>
#include <cstdint>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qel {

namespace {

// Files this large are written past the cache (O_DIRECT): putting their bytes
// through it costs more than the device's own time, and they are read back
// from the medium anyway. Smaller ones go through it, to be flushed together.
constexpr std::int64_t kDirectWriteFrom = std::int64_t(8) << 20;
// Large files start their write-back as they go, so the flush of a batch
// does not wait for all of it at once.
constexpr std::int64_t kWriteBackChunk = std::int64_t(32) << 20;
constexpr std::uintptr_t kDirectAlign = 4096;

std::int64_t nanoseconds(const timespec& t) {
    return std::int64_t(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
}

timespec timespecOf(std::int64_t ns) {
    return {time_t(ns / 1'000'000'000), long(ns % 1'000'000'000)};
}

FileStatus statusOf(const struct stat& st) {
    FileStatus s;
    s.type = S_ISREG(st.st_mode)   ? FileStatus::Type::Regular
             : S_ISDIR(st.st_mode) ? FileStatus::Type::Folder
                                   : FileStatus::Type::Other;
    s.size = st.st_size;
    s.accessed = nanoseconds(st.st_atim);
    s.modified = nanoseconds(st.st_mtim);
    s.changed = nanoseconds(st.st_ctim);
    s.permissions = st.st_mode & 0777;
    s.volume = st.st_dev;
    s.index = st.st_ino;
    return s;
}

// What a file system that keeps no such thing (times before 1980 on FAT, or
// none at all, or holes) says; the copy itself is still good.
bool isRefusedExtra(int errnum) {
    return errnum == EPERM || errnum == EACCES || errnum == EOPNOTSUPP || errnum == ENOSYS ||
           errnum == EINVAL;
}

// Makes fd read and write through the cache again; false when it did already.
bool leaveDirect(int fd) {
    const int flags = fcntl(fd, F_GETFL);
    return flags >= 0 && (flags & O_DIRECT) && fcntl(fd, F_SETFL, flags & ~O_DIRECT) == 0;
}

class OpenFile final : public CopyIo::File {
public:
    OpenFile(UniqueFd fd, IoSide side, QString dosPath, int targetDir, bool readingBack = false)
        : m_fd(std::move(fd))
        , m_side(side)
        , m_dosPath(std::move(dosPath))
        , m_targetDir(targetDir)
        , m_readingBack(readingBack) {}

    int fd() const { return m_fd.get(); }
    const QString& dosPath() const { return m_dosPath; }
    [[noreturn]] void fail(int errnum) const {
        SystemFailure failure = errnoFailure(errnum, m_side, m_dosPath);
        failure.readingBack = m_readingBack;
        throw failure;
    }

    void writePastCache() {
        m_direct = fcntl(fd(), F_SETFL, fcntl(fd(), F_GETFL) | O_DIRECT) == 0;
    }

    std::size_t read(char* data, std::size_t length, std::int64_t offset) override {
        for (;;) {
            const ssize_t n = ::pread(fd(), data, length, offset);
            if (n >= 0)
                return std::size_t(n);
            if (errno == EINVAL && leaveDirect(fd()))
                // A file system that takes O_DIRECT only in part: its cached
                // pages, clean since the flush, are dropped instead.
                posix_fadvise(fd(), 0, 0, POSIX_FADV_DONTNEED);
            else if (errno != EINTR)
                fail(errno);
        }
    }

    std::size_t write(const char* data, std::size_t length, std::int64_t offset) override {
        std::size_t written = 0;
        while (written < length) {
            const off_t at = offset + off_t(written);
            const std::size_t rest = length - written;
            // Past the cache only whole blocks go: the end of the file, or a
            // part that is not aligned, goes through it.
            const auto misaligned = [](std::uintptr_t n) { return n % kDirectAlign != 0; };
            if (m_direct && (misaligned(std::uintptr_t(at)) || misaligned(rest) ||
                             misaligned(reinterpret_cast<std::uintptr_t>(data + written))))
                stopDirect();
            const ssize_t w = ::pwrite(fd(), data + written, rest, at);
            if (w < 0 && errno == EINTR)
                continue;
            if (w < 0 && errno == EINVAL && m_direct) {
                stopDirect(); // a file system that takes O_DIRECT only in part
                continue;
            }
            if (w <= 0) {
                const int e = w < 0 ? errno : EIO;
                if (meansOutOfRoom(e, fd(), m_targetDir))
                    return written;
                fail(e);
            }
            written += std::size_t(w);
        }
        const off_t end = offset + off_t(length);
        if (!m_direct && end / kWriteBackChunk != offset / kWriteBackChunk) {
            // Only a hint; the flush before the rename reports real trouble.
            const off_t chunk = end / kWriteBackChunk * kWriteBackChunk - kWriteBackChunk;
            sync_file_range(fd(), chunk, kWriteBackChunk, SYNC_FILE_RANGE_WRITE);
        }
        return written;
    }

    FileStatus status() override {
        struct stat st {};
        if (fstat(fd(), &st) != 0)
            fail(errno);
        return statusOf(st);
    }

    std::pair<std::int64_t, std::int64_t> nextData(std::int64_t offset, std::int64_t size) override {
        const off_t start = lseek(fd(), offset, SEEK_DATA);
        if (start < 0) {
            if (errno == ENXIO)
                return {size, size}; // a hole up to the end
            return {offset, size};  // no hole support: all of it is data
        }
        const off_t hole = lseek(fd(), start, SEEK_HOLE);
        return {std::min<std::int64_t>(start, size),
                hole >= 0 ? std::min<std::int64_t>(hole, size) : size};
    }

    bool extendTo(std::int64_t size) override {
        if (ftruncate(fd(), size) == 0)
            return true;
        if (!isRefusedExtra(errno))
            fail(errno);
        return false;
    }

    void flush() override {
        if (::fdatasync(fd()) != 0)
            fail(errno);
    }

    void setTimes(const FileStatus& source) override {
        const timespec times[2] = {timespecOf(source.accessed), timespecOf(source.modified)};
        if (futimens(fd(), times) != 0 && !isRefusedExtra(errno))
            fail(errno);
    }

private:
    void stopDirect() {
        leaveDirect(fd());
        m_direct = false;
    }

    UniqueFd m_fd;
    IoSide m_side;
    QString m_dosPath;
    int m_targetDir;
    bool m_readingBack;
    bool m_direct = false;
};

} // namespace

LinuxCopyIo::LinuxCopyIo(UniqueFd sourceDir, UniqueFd targetDir, QString dosTargetDir)
    : m_sourceDir(std::move(sourceDir))
    , m_targetDir(std::move(targetDir))
    , m_dosTargetDir(std::move(dosTargetDir)) {
    clock_gettime(CLOCK_REALTIME, &m_opened);
}

VolumeFacts LinuxCopyIo::volume() {
    if (!m_volume)
        m_volume = volumeFactsOf(m_targetDir.get());
    return *m_volume;
}

bool LinuxCopyIo::foldsCase() {
    return qel::foldsCase(m_targetDir.get());
}

std::int64_t LinuxCopyIo::freeBytes() {
    return qel::freeBytes(m_targetDir.get());
}

bool LinuxCopyIo::sourceIsFile(const QByteArray& name) {
    struct stat st {};
    return fstatat(m_sourceDir.get(), name.constData(), &st, 0) == 0 && S_ISREG(st.st_mode);
}

std::unique_ptr<CopyIo::File> LinuxCopyIo::openSource(const QByteArray& name,
                                                      const QString& dosPath) {
    struct stat st {};
    if (fstatat(m_sourceDir.get(), name.constData(), &st, 0) != 0) {
        // Gone since the folder was read, or a link to nothing: not a file to copy.
        if (errno == ENOENT || errno == ELOOP)
            return nullptr;
        throw errnoFailure(errno, IoSide::Source, dosPath);
    }
    if (!S_ISREG(st.st_mode))
        return nullptr;
    // Non-blocking, so that a FIFO swapped in since the check cannot hang us.
    UniqueFd fd(openat(m_sourceDir.get(), name.constData(),
                       O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!fd.valid()) {
        if (errno == ENOENT)
            return nullptr;
        throw errnoFailure(errno, IoSide::Source, dosPath);
    }
    // Read from start to end: the device is asked for more at a time, as for
    // Windows' sequential scan.
    posix_fadvise(fd.get(), 0, 0, POSIX_FADV_SEQUENTIAL);
    return std::make_unique<OpenFile>(std::move(fd), IoSide::Source, dosPath, -1);
}

FileStatus LinuxCopyIo::targetStatus(const QByteArray& name, const QString& dosPath) {
    struct stat st {};
    if (fstatat(m_targetDir.get(), name.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0)
        return statusOf(st);
    if (errno != ENOENT)
        throw errnoFailure(errno, IoSide::Destination, dosPath);
    return {};
}

std::unique_ptr<CopyIo::File> LinuxCopyIo::createTemp(const QByteArray& name,
                                                      const FileStatus& source,
                                                      const QString& dosTarget) {
    // Owner read permission lets a later run open (and lock) the file to clean it up.
    UniqueFd fd(openat(m_targetDir.get(), name.constData(),
                       O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                       mode_t(source.permissions | S_IRUSR)));
    if (!fd.valid()) {
        const int e = errno;
        if (e == EEXIST)
            return nullptr;
        SystemFailure failure = errnoFailure(e, IoSide::Destination, dosTarget);
        if (refusesName(e, m_targetDir.get()))
            failure.trouble = Trouble::NameRefused;
        else if (meansOutOfRoom(e, m_targetDir.get(), m_targetDir.get()))
            failure.trouble = Trouble::OutOfRoom;
        throw failure;
    }
    // A copy at work holds its temporary file locked; file systems without
    // locks still copy, their leftovers are just never cleaned.
    flock(fd.get(), LOCK_EX | LOCK_NB);
    auto file = std::make_unique<OpenFile>(std::move(fd), IoSide::Destination, dosTarget,
                                            m_targetDir.get());
    if (source.size >= kDirectWriteFrom)
        file->writePastCache();
    return file;
}

void LinuxCopyIo::makeDurable(const std::vector<File*>& temps) {
    // One flush of the destination file system writes the whole batch. It
    // also reports a write-back error that struck any of these files since
    // the folder was opened, so no per-file sync (a device flush each) is
    // needed where that flush is thorough.
    if (::syncfs(m_targetDir.get()) != 0)
        throw errnoFailure(errno, IoSide::Destination, m_dosTargetDir);
    if (volume().syncIsThorough)
        return;
    for (File* temp : temps)
        temp->flush();
}

std::unique_ptr<CopyIo::File> LinuxCopyIo::readBack(const QByteArray& name,
                                                    const QString& dosPath) {
    // A fresh descriptor reads what any later reader of the medium gets: a FAT
    // through FUSE gives back zeros for a small file through the one that
    // wrote it. O_DIRECT skips the cache; where it is refused, the pages
    // (clean since the flush) are dropped instead. O_NOATIME where we may,
    // so the copy keeps its source's access time.
    constexpr int flags = O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
    const int dir = m_targetDir.get();
    UniqueFd fd(openat(dir, name.constData(), flags | O_DIRECT | O_NOATIME));
    if (!fd.valid() && errno == EPERM)
        fd.reset(openat(dir, name.constData(), flags | O_DIRECT));
    if (!fd.valid() && errno == EINVAL) {
        fd.reset(openat(dir, name.constData(), flags));
        if (fd.valid())
            posix_fadvise(fd.get(), 0, 0, POSIX_FADV_DONTNEED);
    }
    if (!fd.valid()) {
        SystemFailure failure = errnoFailure(errno, IoSide::Destination, dosPath);
        failure.readingBack = true;
        throw failure;
    }
    return std::make_unique<OpenFile>(std::move(fd), IoSide::Destination, dosPath, dir, true);
}

void LinuxCopyIo::rename(const QByteArray& from, const QByteArray& to, const QString& dosTarget) {
    const int dir = m_targetDir.get();
    if (::renameat(dir, from.constData(), dir, to.constData()) == 0)
        return;
    const int e = errno;
    SystemFailure failure = errnoFailure(e, IoSide::Destination, dosTarget);
    if (e == EINVAL) {
        failure.trouble = Trouble::NameRefused;
    } else if (e == EPERM) {
        // Not a write-protected disk (that is EROFS or EACCES): a FAT folder
        // that is full, or a medium or a FUSE layer that forbids this rename.
        failure.trouble =
            meansOutOfRoom(e, dir, dir) ? Trouble::OutOfRoom : Trouble::Refused;
        failure.systemText = QStringLiteral("operation not permitted");
    }
    throw failure;
}

void LinuxCopyIo::remove(const QByteArray& name) {
    unlinkat(m_targetDir.get(), name.constData(), 0);
}

void LinuxCopyIo::syncFolder() {
    if (::fsync(m_targetDir.get()) != 0)
        throw errnoFailure(errno, IoSide::Destination, m_dosTargetDir);
}

void LinuxCopyIo::removeStaleTemps() {
    // Best effort: a leftover we cannot remove costs only space, and the copy
    // itself reports any real trouble with the folder.
    const int target = m_targetDir.get();
    const int fd = openat(target, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR* dir = fd < 0 ? nullptr : fdopendir(fd);
    if (!dir) {
        if (fd >= 0)
            close(fd);
        return;
    }
    const auto before = [](const timespec& a, const timespec& b) {
        return a.tv_sec < b.tv_sec || (a.tv_sec == b.tv_sec && a.tv_nsec < b.tv_nsec);
    };
    while (const dirent* entry = readdir(dir)) {
        if (!isTempName(QString::fromUtf8(entry->d_name)))
            continue;
        struct stat st {};
        if (fstatat(target, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 ||
            !S_ISREG(st.st_mode) || !before(st.st_ctim, m_opened))
            continue;
        // A copy in progress holds its temporary file locked.
        UniqueFd temp(openat(target, entry->d_name,
                             O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
        struct stat held {};
        if (!temp.valid() || flock(temp.get(), LOCK_EX | LOCK_NB) != 0 ||
            fstat(temp.get(), &held) != 0 || held.st_ino != st.st_ino)
            continue;
        // Closed before it is unlinked, as every temporary file.
        temp.reset();
        unlinkat(target, entry->d_name, 0);
    }
    closedir(dir);
}

} // namespace qel
