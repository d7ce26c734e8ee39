#pragma once

#include <QString>
#include <QStringList>

namespace qel {

// Reads folder contents for the list controls, by DOS path.
class DirectoryLister {
public:
    virtual ~DirectoryLister() = default;

    // Names of the sub-folders of dosDir (not hidden), in a stable
    // case-insensitive order. Throws Error 68 (drive not ready), 76 (no such
    // folder) or 70 (folder unreadable).
    virtual QStringList subFolders(const QString& dosDir) const = 0;

    // Names of the regular files of dosDir, hidden ones left out, in a stable
    // case-insensitive order; names that cannot stand in a DOS path are mapped
    // reversibly. Throws as subFolders.
    virtual QStringList files(const QString& dosDir) const = 0;
};

} // namespace qel
