#pragma once

#include "platform/Drives.h"

#include <QHash>
#include <functional>
#include <mutex>

namespace qel {

// Where the drive table is read from. system() reads the running machine;
// tests hand in their own mount text, sysfs folder, home and config folder.
struct DriveTableSources {
    std::function<QByteArray()> mountInfo;  // the text of /proc/self/mountinfo
    QByteArray sysRoot;                     // "/sys"
    std::function<QByteArray()> home;       // the user's home folder
    std::function<QByteArray()> configHome; // $XDG_CONFIG_HOME, default ~/.config
    std::function<QByteArray()> currentDir; // the process's current directory

    static DriveTableSources system();
};

// The drive table of a Linux machine: a: and b: the first two removable media
// (a: listed even without one), C: the home folder, D: onward the other real
// file systems, Z: the root. A dosdevices folder of links in the config folder
// (qel-trekkel/dosdevices/"c:" -> folder) replaces the whole table when present.
// The table is read afresh on every call, so media that come and go show up.
class LinuxDrives final : public Drives {
public:
    LinuxDrives();
    explicit LinuxDrives(DriveTableSources sources);

    QList<DriveEntry> entries() const override;
    bool isReady(QChar letter) const override;
    QString currentDirectory(QChar letter) const override;
    void setCurrentDirectory(const QString& dosPath) override;
    QString startDirectory() const override;
    QByteArray toHostPath(const QString& dosPath) const override;
    std::optional<QString> toDosPath(const QByteArray& hostPath) const override;

    // A drive as the table holds it; root is empty when no medium is there.
    struct HostDrive {
        DriveEntry entry;
        QByteArray root;
        bool ready = false;
    };
    QList<HostDrive> table() const;

private:
    std::optional<QString> toDosPath(const QList<HostDrive>& drives,
                                     const QByteArray& hostPath) const;
    QString startDirectory(const QList<HostDrive>& drives) const;

    DriveTableSources m_sources;
    mutable std::mutex m_mutex; // guards m_currentDirs: copies may map paths off the UI thread
    QHash<QChar, QString> m_currentDirs;
};

} // namespace qel
