#pragma once

#include "platform/FileSystemObjectBase.h"

#include <QHash>

#include <optional>

namespace qel {

// The file-system object on Windows: DOS paths go through the drive table,
// and writes go only to the volumes a run started on.
class WindowsFileSystemObject final : public FileSystemObjectBase {
public:
    explicit WindowsFileSystemObject(const Drives& drives);

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

    // A volume as the system names it: its serial, and its GUID path where it
    // has one (a serial alone may repeat across sticks of one make).
    struct MediumId {
        unsigned long serial = 0;
        QString guidPath;
        bool operator==(const MediumId&) const = default;
    };
    // The volume in drive; nullopt when it has none.
    std::optional<MediumId> mediumIn(QChar drive) const;
    // 71 when drive holds no medium, or another one than the run's (taken at
    // beginRun, or for another drive at its first write).
    void checkRunMedium(QChar drive);

    QHash<QChar, std::optional<MediumId>> m_runVolumes;
};

} // namespace qel
