#pragma once

#include "platform/FileSystemObject.h"

#include <cstdint>

namespace qel {

class Drives;

// The file-system object on Windows: DOS paths go through the drive table,
// copies through WindowsCopyEngine's safe replace.
class WindowsFileSystemObject final : public FileSystemObject {
public:
    explicit WindowsFileSystemObject(const Drives& drives);

    std::unique_ptr<File> GetFile(const QString& path) override;
    bool FolderExists(const QString& path) override;
    void CreateFolder(const QString& path) override;
    void CopyFile(const QString& source, const QString& destination, bool overwrite) override;

private:
    const Drives& m_drives;
    // Temporary files written before this (a FILETIME) are an earlier run's.
};

} // namespace qel
