#pragma once

#include "platform/DirectoryLister.h"

namespace qel {

class Drives;

// Lists folders through FindFirstFileExW; hidden and system entries are left
// out, as the classic lists leave them out.
class WindowsDirectoryLister final : public DirectoryLister {
public:
    explicit WindowsDirectoryLister(const Drives& drives);

    QStringList subFolders(const QString& dosDir) const override;
    QStringList files(const QString& dosDir) const override;

private:
    const Drives& m_drives;
};

} // namespace qel
