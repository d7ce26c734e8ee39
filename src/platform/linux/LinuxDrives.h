#pragma once

#include "platform/Drives.h"

#include <QHash>
#include <QSet>
#include <functional>
#include <mutex>
#include <optional>

namespace qel {

class RemovableMedia;

// Where the drive table is read from. system() reads the running machine;
// tests hand in their own mount text, sysfs folder, home, config folder and
// Wine prefix.
struct DriveTableSources {
    std::function<QByteArray()> mountInfo;       // the text of /proc/self/mountinfo
    QByteArray sysRoot;                          // "/sys"
    std::function<QByteArray()> home;            // the user's home folder
    std::function<QByteArray()> configHome;      // $XDG_CONFIG_HOME, default ~/.config
    std::function<QByteArray()> currentDir;      // the process's current directory
    std::function<QByteArray()> winePrefix = {}; // $WINEPREFIX, default ~/.wine
    std::function<QByteArray()> fstab = {};      // the text of /etc/fstab
    // Everything mounted below these is a removable medium, named by its folder.
    QList<QByteArray> mediaFolders{"/media/", "/run/media/"};
    // Media that are plugged in but perhaps not mounted; none when null.
    RemovableMedia* media = nullptr;

    static DriveTableSources system();
};

// The drive table of a Linux machine, chosen in this order:
// - a dosdevices folder of links in the config folder
//   (qel-trekkel/dosdevices/"c:" -> folder) is the whole table;
// - else a Wine prefix's dosdevices links give the letters, and removable
//   media fill a: and b: where the prefix has none;
// - else a: and b: are removable media (a: listed even without one), C: the
//   home folder, D: onward the other real file systems, then further media,
//   Z: the root.
// A medium keeps its letter while it is there; one that goes leaves its
// letter listed but not ready, and one that arrives takes the first free of
// a: and b:. The table is read afresh on every call, so media that come and
// go show up.
class LinuxDrives final : public Drives {
public:
    LinuxDrives();
    explicit LinuxDrives(DriveTableSources sources);

    QList<DriveEntry> entries() const override;
    bool isReady(QChar letter) const override;
    // Mounts a medium that is plugged in but not mounted; 68 carries the
    // disk service's reason when that fails.
    void makeReady(QChar letter) override;
    QString currentDirectory(QChar letter) const override;
    void setCurrentDirectory(const QString& dosPath) override;
    QString startDirectory() const override;
    QByteArray toHostPath(const QString& dosPath) const override;
    std::optional<QString> toDosPath(const QByteArray& hostPath) const override;

    // A drive as the table holds it; root is empty when no medium is mounted,
    // medium names one the disk service can mount.
    struct HostDrive {
        DriveEntry entry;
        QByteArray root;
        bool ready = false;
        QString medium;
        bool mountFolder = false; // the dosdevices table gives it a device ("a::")
    };
    // A folder meant for a medium (an fstab mount point, a folder once seen
    // as a mount point, one whose letter has a device link) is not ready
    // while nothing is mounted on it.
    QList<HostDrive> table() const;

    // A removable medium found for the table, mounted (root) or not (medium).
    struct Removable {
        QByteArray key; // the same while the medium stays, mounted or not
        QByteArray root;
        QString label;
        QString medium;
    };

private:
    QList<HostDrive> lettersTable() const;
    QList<HostDrive> machineTable(const QList<Removable>& removable,
                                  const QList<QByteArray>& fixed) const;
    QList<HostDrive> withMedia(QList<HostDrive> drives, const QList<Removable>& removable) const;
    // For each of letters, the index of the medium on it (-1: none), and
    // whether the letter is listed; the rest of the media are unplaced.
    struct Placement {
        QList<qsizetype> medium;
        QList<bool> listed;
    };
    Placement placeMedia(const QList<Removable>& removable, const QString& letters) const;
    // The table after making the drive ready where it can be (see makeReady).
    QList<HostDrive> tableWithReady(QChar letter) const;
    std::optional<QString> toDosPath(const QList<HostDrive>& drives,
                                     const QByteArray& hostPath) const;
    QString startDirectory(const QList<HostDrive>& drives) const;

    DriveTableSources m_sources;
    mutable std::mutex m_mutex; // guards the hashes: copies may map paths off the UI thread
    QHash<QChar, QString> m_currentDirs;
    mutable QSet<QByteArray> m_mountRoots; // drive folders once seen as mount points
    mutable std::optional<QSet<QByteArray>> m_fstabPoints; // the mount points fstab names
    mutable QHash<QChar, QByteArray> m_mediaLetters; // letter -> key of its last medium
};

} // namespace qel
