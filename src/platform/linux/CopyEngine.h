#pragma once

#include "platform/IoSide.h"

#include <QByteArray>
#include <QString>
#include <functional>
#include <memory>
#include <sys/stat.h>
#include <sys/types.h>
#include <vector>
#include <xxhash.h>

namespace qel {

// The calls that put bytes into a copy, make them durable and read them back.
// The program uses this class as it is; tests derive from it to fail part-way
// (after N bytes, at the flush) or to give back other bytes than were written,
// the way a full or failing disk does.
class CopyIo {
public:
    virtual ~CopyIo() = default;

    // As pwrite(2): bytes written, or -1 and errno.
    virtual ssize_t writeAt(int out, const void* data, size_t length, off_t offset);
    // As syncfs(2), fdatasync(2) and fsync(2) of a folder: 0, or -1 and errno.
    virtual int syncFileSystem(int fd);
    virtual int syncData(int fd);
    virtual int syncFolder(int dirFd);
    // As pread(2) of a copy, once it is durable, through a descriptor of its own
    // that reads from the medium (O_DIRECT, or its cached pages dropped).
    virtual ssize_t readBack(int fd, void* data, size_t length, off_t offset);
    // As renameat(2) within one folder: 0, or -1 and errno.
    virtual int rename(int dirFd, const char* from, const char* to);
};

// One file to copy: its host name in the source and in the destination folder,
// and the DOS paths that name it in error descriptions.
struct CopyItem {
    QByteArray sourceName;
    QByteArray targetName;
    QString dosSource;
    QString dosTarget;
};

// Copies files between two open folders so that a target is either its old
// copy or the whole new one, never a part: each file goes to a temporary file
// created exclusively beside the target, a batch is made durable with one
// flush of the destination file system, and only then renamed over the
// targets. Before the rename each copy is read back from the medium through a
// fresh descriptor and compared with what was read from the source. A target
// that already holds the source's contents (same size and time, then the same
// bytes) is left alone. When the disk fills, what is pending is committed
// first (its old copies make room) and the file is tried again on its own, so
// replacing needs room for one extra copy at a time.
class CopyEngine final {
public:
    explicit CopyEngine(CopyIo& io);

    // Removes the temporary files earlier copies left in targetDir (killed, or
    // cut off by a medium that went away) that nobody holds locked, then
    // copies the items in order, skipping sources that are not regular files
    // (FIFOs, devices, folders, dangling links) and targets that are the source
    // itself. Returns how many items were regular files. Stops at the first
    // failing file with its Error (files before it are kept, its own target and
    // every later one keep their old copy): 58 when a target exists and
    // overwrite is false or two sources would land on one name in a folder
    // that ignores case (checked before anything is written), 57 naming a
    // file whose copy read back differs from its source, 61 naming the
    // file and the room missing when it cannot be replaced safely, 75 for a
    // file the destination cannot hold or one that kept changing while it was
    // copied or whose name it refuses, the mapped errno otherwise, and
    // whatever checkMedium throws: it runs before each rename, to say that
    // targetDir is no longer on the medium the copy is meant for.
    int copy(int sourceDir, int targetDir, const QString& dosTargetDir,
             const std::vector<CopyItem>& items, bool overwrite,
             const std::function<void()>& checkMedium);

private:
    struct Pending;
    struct Placed;
    struct Step;
    struct OutOfRoom;

    static void discard(int targetDir, std::vector<Pending>& pending, std::size_t from);
    static void removeStaleTemps(int targetDir);
    void checkCaseCollisions(const Step& step, const std::vector<CopyItem>& items) const;
    bool copyItem(Step& step, const CopyItem& item);
    bool copyOne(Step& step, const CopyItem& item);
    bool alreadyThere(Step& step, const CopyItem& item, int in, const struct stat& source,
                      const struct stat& target);
    // False when the source gave fewer bytes than size.
    bool copyData(int in, int out, off_t size, const CopyItem& item);
    off_t copyRegion(int in, int out, off_t offset, off_t length, const CopyItem& item);
    void extendWithZeros(int out, off_t from, off_t to, const CopyItem& item);
    void writeAll(int out, const char* data, size_t length, off_t offset, const CopyItem& item);
    void stopDirect(int out);
    // Hashes fd's bytes up to size into m_hash, holes as zeros (the source
    // from the cache, a copy from the medium); returns how many there were.
    off_t hashFile(int fd, off_t size, IoSide side, const QString& dosPath);
    // Reads the copy named name afresh from the medium: 57 when it is not
    // size bytes hashing to checksum.
    void verify(const Step& step, const QByteArray& name, off_t size, XXH64_hash_t checksum,
                const CopyItem& item);
    [[noreturn]] void writeFailed(int errnum, int out, const CopyItem& item) const;
    void commit(Step& step);

    CopyIo& m_io;
    bool m_fileSystemSyncIsThorough = false;
    int m_targetDir = -1;
    off_t m_writtenToFile = 0;
    bool m_direct = false; // the file being copied is written past the cache
    std::unique_ptr<XXH3_state_t, XXH_errorcode (*)(XXH3_state_t*)> m_hash;
    std::vector<char> m_buffer;
    // Copies and read-backs that bypass the cache need a buffer aligned to the
    // device's blocks.
    std::unique_ptr<char, void (*)(void*)> m_aligned;
    std::unique_ptr<char, void (*)(void*)> m_second; // the other of two blocks in flight
};

} // namespace qel
