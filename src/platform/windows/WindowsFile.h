#pragma once

#include "platform/FileSystemObject.h"

#include <QByteArray>

namespace qel {

// A file as GetFileAttributesExW found it. The times and the size come from
// that one look; the short name is asked of the file system when wanted.
class WindowsFile final : public File {
public:
    // Times as FILETIMEs (0: not kept); dosPath with single separators;
    // hostPath the same file as the system names it.
    WindowsFile(const std::uint64_t times[3], std::int64_t size, QString dosPath,
                QByteArray hostPath);

    // Throws Error 75 when the file system keeps no creation time.
    QDateTime DateCreated() const override;
    QDateTime DateLastAccessed() const override;
    QDateTime DateLastModified() const override;
    QString DrivePath() const override;
    std::int64_t Size() const override;
    QString Path() const override;
    // The 8.3 name the volume keeps (the name itself where it keeps none).
    // Throws the mapped Error when the file can no longer be found.
    QString ShortName() const override;

private:
    std::uint64_t m_created;
    std::uint64_t m_accessed;
    std::uint64_t m_modified;
    std::int64_t m_size;
    QString m_dosPath;
    QByteArray m_hostPath;
};

} // namespace qel
