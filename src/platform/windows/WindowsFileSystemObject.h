#pragma once

#include "platform/FileSystemObject.h"

#include <QHash>

#include <cstdint>
#include <optional>

namespace qel {

class Drives;

// The file-system object on Windows: DOS paths go through the drive table,
// copies through CopyEngine's safe replace.
class WindowsFileSystemObject final : public FileSystemObject {
public:
    explicit WindowsFileSystemObject(const Drives& drives);

    std::unique_ptr<File> GetFile(const QString& path) override;
    bool FolderExists(const QString& path) override;
    void CreateFolder(const QString& path) override;
    void CopyFile(const QString& source, const QString& destination, bool overwrite) override;
    void beginRun(const QString& drive) override;

private:
    // The serial number of the volume in drive; nullopt when it has none.
    std::optional<unsigned long> mediumIn(QChar drive) const;
    // 71 when the drive of hostPath holds no medium, or another one than the
    // run's (taken at beginRun, or for another drive at its first write).
    void checkRunMedium(const QByteArray& hostPath);

    const Drives& m_drives;
    QHash<QChar, std::optional<unsigned long>> m_runVolumes;
    // Temporary files written before this (a FILETIME) are an earlier run's.
};

} // namespace qel
