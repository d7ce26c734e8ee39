#pragma once

#include "platform/Drives.h"
#include "platform/FileSystemObject.h"
#include "platform/linux/CopyEngine.h"
#include "platform/linux/DestinationMedia.h"

namespace qel {

// The file-system object on Linux: every DOS path goes through the drive table
// at the last moment, copies go through CopyEngine's safe replace, and writes
// go only to the media a run started on.
class LinuxFileSystemObject final : public FileSystemObject {
public:
    explicit LinuxFileSystemObject(const Drives& drives);
    // The copies' writes and flushes go through io (tests fail them on demand).
    LinuxFileSystemObject(const Drives& drives, CopyIo& io);

    std::unique_ptr<File> GetFile(const QString& path) override;
    bool FolderExists(const QString& path) override;
    void CreateFolder(const QString& path) override;
    void CopyFile(const QString& source, const QString& destination, bool overwrite) override;
    void beginRun(const QString& drive) override;

private:
    const Drives& m_drives;
    CopyIo m_systemIo;
    CopyIo& m_io;
    DestinationMedia m_media;
    // One for every copy, so its buffers are made (and paged in) once.
    CopyEngine m_engine{m_io};
};

} // namespace qel
