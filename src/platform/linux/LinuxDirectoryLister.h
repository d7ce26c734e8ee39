#pragma once

#include "platform/DirectoryLister.h"

namespace qel {

class Drives;

// Lists one folder level through the drive table. Names starting with "." are
// hidden; the others come back in their DOS form (see DosNames.h), ordered
// as the user's locale orders words, without regard to case (ties by exact
// name).
class LinuxDirectoryLister final : public DirectoryLister {
public:
    explicit LinuxDirectoryLister(const Drives& drives);

    QStringList subFolders(const QString& dosDir) const override;
    QStringList files(const QString& dosDir) const override;

private:
    enum class Kind { Folders, Files };
    QStringList list(const QString& dosDir, Kind kind) const;

    const Drives& m_drives;
};

} // namespace qel
