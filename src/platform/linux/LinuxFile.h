#pragma once

#include "platform/FileSystemObject.h"

#include <QByteArray>
#include <sys/stat.h>

namespace qel {

// A file as statx(2) found it. The times and the size come from that one look;
// the short name reads the file's folder when asked for.
class LinuxFile final : public File {
public:
    // dosPath with single separators; hostPath the same file on the host.
    LinuxFile(const struct statx& info, QString dosPath, QByteArray hostPath);

    // Throws Error 75 when the file system keeps no birth time.
    QDateTime DateCreated() const override;
    QDateTime DateLastAccessed() const override;
    QDateTime DateLastModified() const override;
    QString DrivePath() const override;
    std::int64_t Size() const override;
    QString Path() const override;
    // Throws the mapped Error when the folder can no longer be read.
    QString ShortName() const override;

private:
    struct statx m_info;
    QString m_dosPath;
    QByteArray m_hostPath;
};

} // namespace qel
