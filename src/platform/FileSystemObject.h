#pragma once

#include <QDateTime>
#include <QString>
#include <cstdint>
#include <memory>

namespace qel {

// A file as GetFile found it. Each item is read on its own and may fail on
// its own with an Error (for example DateCreated on a file system that keeps
// no birth time), so a caller can leave out what it cannot read.
class File {
public:
    virtual ~File() = default;

    virtual QDateTime DateCreated() const = 0;
    virtual QDateTime DateLastAccessed() const = 0;
    virtual QDateTime DateLastModified() const = 0;
    // The Path of the file's Drive object: the letter and a colon ("C:").
    virtual QString DrivePath() const = 0;
    virtual std::int64_t Size() const = 0;
    // The DOS path with single separators ("C:\DATA\ACCT.CVT").
    virtual QString Path() const = 0;
    // The 8.3 name: the one the medium holds on FAT, a generated one elsewhere.
    virtual QString ShortName() const = 0;
};

// The program's one file-system object. Paths are DOS paths; doubled
// separators count as one.
class FileSystemObject {
public:
    virtual ~FileSystemObject() = default;

    // Throws Error 53 when there is no such file, 76 when its folder is
    // missing, 68 when its drive is not ready.
    virtual std::unique_ptr<File> GetFile(const QString& path) = 0;

    // False for a missing folder, an unready drive or a path naming a file.
    virtual bool FolderExists(const QString& path) = 0;

    // Creates that one folder. Throws Error 58 when something already stands
    // at the path, 76 when the parent is missing, 70 when writing is refused,
    // 61 when the disk is full, 71 when the drive has no medium, 75 when the
    // disk cannot hold the folder's name.
    virtual void CreateFolder(const QString& path) = 0;

    // Copies every regular file matching the last component of source ("*" and
    // "?" without regard to case) into the folder destination (ending in "\")
    // under the same names, keeping last-write times; an existing target is
    // replaced only when overwrite is true (else 58), and never lost on
    // failure. Stops at the first failing file. Throws Error 53 when nothing
    // matches, 70 when the destination refuses writing, 71 when its drive has
    // no medium, 61 when a file cannot be replaced within the room the disk
    // has, 76 path not found, 57 I/O error, 58 when a file stands where the
    // folder should be or two sources differ only in case on a destination
    // that ignores case, 75 for a file the destination cannot hold (its size
    // or its name) or one that kept changing while it was copied.
    virtual void CopyFile(const QString& source, const QString& destination, bool overwrite) = 0;

    // The user confirmed drive ("a:") as a backup's destination, or pressed OK
    // after being asked for a disk: what it holds now is the run's medium.
    // Until the next call, CreateFolder and CopyFile write there only while it
    // holds that medium: none, or another in its place, is Error 71. Never fails.
    virtual void beginRun(const QString& drive) = 0;

    // Keeps every other run, of this program or another of the user's
    // processes, from writing to drive ("a:") until the returned hold is
    // gone; holds of one object share the drive. Throws Error 75 naming the
    // drive when another run keeps it for longer than a few seconds.
    virtual std::shared_ptr<void> holdDrive(const QString& drive) = 0;
};

} // namespace qel
