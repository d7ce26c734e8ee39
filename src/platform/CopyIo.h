#pragma once

#include <QByteArray>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

// The system calls of a safe copy, one implementation per platform; the
// order in which they run is CopySequence's, the same everywhere. Every call
// that fails throws a SystemFailure naming the path it was about.

namespace qel {

struct FileStatus {
    enum class Type { Missing, Regular, Folder, Other };
    Type type = Type::Missing;
    std::int64_t size = 0;
    // Nanoseconds since 1970; changed is 0 where the system keeps no such time.
    std::int64_t accessed = 0;
    std::int64_t modified = 0;
    std::int64_t changed = 0;
    unsigned permissions = 0; // where the system keeps them
    // Which file it is, where the system says (0 and 0: not known).
    std::uint64_t volume = 0;
    std::uint64_t index = 0;

    bool isRegular() const { return type == Type::Regular; }
    bool sameFileAs(const FileStatus& other) const {
        return (index || volume) && volume == other.volume && index == other.index;
    }
    // The same contents as far as the status tells: a writer in between
    // changes the size or a time.
    bool sameVersionAs(const FileStatus& other) const {
        return size == other.size && modified == other.modified && changed == other.changed;
    }
};

// What a destination volume takes, asked of the volume itself.
struct VolumeFacts {
    bool fat = false;           // FAT or exFAT: FAT's names, 8.3 temporary names
    bool fatSizeLimit = false;  // FAT12/16/32: no file beyond 4 GiB - 1
    bool asciiNames = false;    // its driver's character set ends at ASCII
    bool syncIsThorough = true; // one flush of it makes every file on it durable
};

// One file to copy: its host name in the source and in the destination folder
// (UTF-8, or the host's own bytes), and the DOS paths that name it to the user.
struct CopyItem {
    QByteArray sourceName;
    QByteArray targetName;
    QString dosSource;
    QString dosTarget;
};

// The two folders of one copy.
class CopyIo {
public:
    // An open file; closed when destroyed.
    class File {
    public:
        virtual ~File() = default;
        // Up to length bytes at offset into data (aligned to 4096 bytes; for a
        // file read back from the medium length is whole 4096-byte blocks too);
        // fewer only at the end.
        virtual std::size_t read(char* data, std::size_t length, std::int64_t offset) = 0;
        // Writes data at offset; returns less than length only when the disk
        // is full, with what it took.
        virtual std::size_t write(const char* data, std::size_t length, std::int64_t offset) = 0;
        virtual FileStatus status() = 0;
        // Its type, size and times alone, what tells whether it changed:
        // cheaper where which file it is takes a question to its volume.
        virtual FileStatus version() { return status(); }
        // The next region from offset on that holds data, up to size; its
        // start is size when only a hole is left.
        virtual std::pair<std::int64_t, std::int64_t> nextData(std::int64_t offset,
                                                               std::int64_t size) {
            return {offset, size};
        }
        // Makes the file size bytes long, its end a hole; false where the file
        // system cannot, and the zeros must be written.
        virtual bool extendTo(std::int64_t) { return false; }
        // Gives the file source's times; a volume that keeps no such time is
        // no failure.
        virtual void setTimes(const FileStatus& source) = 0;
        // Makes this copy's data and times durable on its own; it may be
        // closed for writing then.
        virtual void flush() = 0;
    };

    virtual ~CopyIo() = default;

    virtual VolumeFacts volume() = 0;
    // Whether names that differ only in case name one file in the destination.
    virtual bool foldsCase() = 0;
    // Bytes free for us on the destination; -1 when it does not say.
    virtual std::int64_t freeBytes() = 0;

    // Whether the source name is a regular file (links followed).
    virtual bool sourceIsFile(const QByteArray& name) = 0;
    // The source opened for reading; nullptr when it is gone or no regular file.
    virtual std::unique_ptr<File> openSource(const QByteArray& name, const QString& dosPath) = 0;
    // The destination entry itself (a link is not followed).
    virtual FileStatus targetStatus(const QByteArray& name, const QString& dosPath) = 0;
    // A new file created exclusively beside the target dosTarget, for a copy
    // of source; nullptr when the name is taken. OutOfRoom when the folder
    // has no entry left, NameRefused when the disk cannot hold the name.
    virtual std::unique_ptr<File> createTemp(const QByteArray& name, const FileStatus& source,
                                             const QString& dosTarget) = 0;
    // Makes the data and times of temps durable; each may be closed for
    // writing.
    virtual void makeDurable(const std::vector<File*>& temps) = 0;
    // The destination file read through a fresh handle from the medium.
    virtual std::unique_ptr<File> readBack(const QByteArray& name, const QString& dosPath) = 0;
    // Puts from in place of to (named dosTarget): NameRefused, OutOfRoom (no
    // entry left), Refused (not permitted on this medium), InUse.
    virtual void rename(const QByteArray& from, const QByteArray& to, const QString& dosTarget) = 0;
    // Best effort, for a file that is closed.
    virtual void remove(const QByteArray& name) = 0;
    // Makes the folder's entries durable.
    virtual void syncFolder() = 0;
    // Removes the temporary files that earlier copies left and nobody holds.
    virtual void removeStaleTemps() = 0;
};

} // namespace qel
