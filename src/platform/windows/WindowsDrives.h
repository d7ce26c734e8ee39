#pragma once

#include "platform/Drives.h"

#include <QHash>
#include <mutex>

namespace qel {

// The machine's own drive letters. A host path is the Windows path itself
// (UTF-8), so mapping only checks the drive and tidies the separators. The
// letters are asked of the system on every call, so media that come and go
// show up; an empty drive is asked about with the system's critical-error box
// turned off, so it never appears.
class WindowsDrives final : public Drives {
public:
    WindowsDrives();

    QList<DriveEntry> entries() const override;
    bool isReady(QChar letter) const override;
    QString currentDirectory(QChar letter) const override;
    void setCurrentDirectory(const QString& dosPath) override;
    QString startDirectory() const override;
    QByteArray toHostPath(const QString& dosPath) const override;
    std::optional<QString> toDosPath(const QByteArray& hostPath) const override;

private:
    mutable std::mutex m_mutex; // copies may map paths off the UI thread
    QHash<QChar, QString> m_currentDirs;
};

} // namespace qel
