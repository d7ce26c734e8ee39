#pragma once

#include "platform/FileSystemObjectBase.h"
#include "platform/linux/DestinationMedia.h"

namespace qel {

// The file-system object on Linux: every DOS path goes through the drive table
// at the last moment, and writes go only to the media a run started on.
class LinuxFileSystemObject final : public FileSystemObjectBase {
public:
    explicit LinuxFileSystemObject(const Drives& drives);

    std::unique_ptr<File> GetFile(const QString& path) override;
    bool FolderExists(const QString& path) override;
    void CreateFolder(const QString& path) override;
    void beginRun(const QString& drive) override;

private:
    std::vector<Entry> sourceEntries(const QByteArray& host, const QString& dosFolder) override;
    QByteArray hostName(const QString& dosName) const override;
    std::unique_ptr<CopyIo> openCopy(const QByteArray& sourceHost, const QString& dosSourceFolder,
                                     const QByteArray& targetHost,
                                     const QString& dosTargetFolder) override;
    std::function<void()> mediumChecker(const QString& dosFolder) override;

    DestinationMedia m_media;
};

} // namespace qel
