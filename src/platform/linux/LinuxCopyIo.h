#pragma once

#include "platform/CopyIo.h"
#include "platform/linux/UniqueFd.h"

#include <ctime>
#include <optional>

namespace qel {

// A copy's calls on Linux, between two open folders. Files this large are
// written past the cache (O_DIRECT), copies are read back past it, and one
// syncfs(2) makes a whole batch durable where the file system allows.
class LinuxCopyIo final : public CopyIo {
public:
    LinuxCopyIo(UniqueFd sourceDir, UniqueFd targetDir, QString dosTargetDir);

    VolumeFacts volume() override;
    bool foldsCase() override;
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
    void syncFolder() override;
    void removeStaleTemps() override;

private:
    UniqueFd m_sourceDir;
    UniqueFd m_targetDir;
    QString m_dosTargetDir;
    std::optional<VolumeFacts> m_volume;
    timespec m_opened{}; // temporary files made before this are an earlier run's
};

} // namespace qel
