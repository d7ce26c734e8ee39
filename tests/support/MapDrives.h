#pragma once

#include "platform/Drives.h"

#include <QMap>
#include <QSet>

namespace qel::test {

// A drive table for tests: each letter is a host folder, and letters marked
// not ready throw 68 like a drive without its medium.
class MapDrives final : public Drives {
public:
    void addDrive(QChar letter, const QByteArray& hostFolder);
    void addNotReady(QChar letter);

    QList<DriveEntry> entries() const override;
    bool isReady(QChar letter) const override;
    QString currentDirectory(QChar letter) const override;
    void setCurrentDirectory(const QString& dosPath) override;
    QString startDirectory() const override;
    QByteArray toHostPath(const QString& dosPath) const override;
    std::optional<QString> toDosPath(const QByteArray& hostPath) const override;

private:
    QMap<QChar, QByteArray> m_roots;
    QSet<QChar> m_notReady;
    QMap<QChar, QString> m_current;
};

} // namespace qel::test
