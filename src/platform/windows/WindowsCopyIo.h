#pragma once

#include "platform/CopyIo.h"

#include <QByteArray>

namespace qel {

// A copy's calls on Windows, between two folders (host paths). Each copy is
// flushed and closed on its own, read back through a fresh unbuffered handle
// and moved over its target with MOVEFILE_WRITE_THROUGH.
class WindowsCopyIo final : public CopyIo {
public:
    WindowsCopyIo(QByteArray sourceDir, QByteArray targetDir, QString dosTargetDir,
                  VolumeFacts volume);

    VolumeFacts volume() override { return m_volume; }
    // Every Windows volume ignores case in names; only a case-sensitive source
    // folder (Wine's Unix folders) can hold two such names at all.
    bool foldsCase() override { return true; }
    std::int64_t freeBytes() override;
    bool sourceIsFile(const QByteArray& name) override;
    std::unique_ptr<File> openSource(const QByteArray& name, const QString& dosPath) override;
    FileStatus targetStatus(const QByteArray& name, const QString& dosPath) override;
    std::unique_ptr<File> createTemp(const QByteArray& name, const FileStatus& source,
                                     const QString& dosTarget) override;
    void makeDurable(const std::vector<File*>& temps) override;
    std::unique_ptr<File> readBack(const QByteArray& name, const QString& dosPath) override;
    void rename(const QByteArray& from, const QByteArray& to, const QString& dosTarget) override;
    void remove(const QByteArray& name) override;
    // Renames are written through already.
    void syncFolder() override {}
    void removeStaleTemps() override;

private:
    std::wstring sourcePath(const QByteArray& name) const;
    std::wstring targetPath(const QByteArray& name) const;

    QByteArray m_sourceDir;
    QByteArray m_targetDir;
    QString m_dosTargetDir;
    VolumeFacts m_volume;
};

} // namespace qel
