#pragma once

#include <QByteArray>
#include <QChar>
#include <QString>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <sys/types.h>

namespace qel {

class Drives;

// Keeps a run's writes on the medium the user confirmed. A medium pulled from
// a fixed mount folder leaves that folder on the internal disk; writing there
// would put the backup where the user never looks, and end in "Backup
// Complete". (The drive table never offers a mount folder left bare.)
class DestinationMedia final {
public:
    explicit DestinationMedia(const Drives& drives);

    // The user confirmed drive ("a:") as the destination, or pressed OK after
    // being asked for a disk: the file system it holds now is the run's. With
    // none there now, every check of it fails until the next call. Other
    // drives take the medium they hold at the run's first write there.
    void beginRun(const QString& drive);

    // Throws Error 71 (not ready) when the drive of dosPath has no medium or
    // holds another file system than the run's.
    void check(const QString& dosPath);
    // check for the writes of one step: the drive's folder is looked up (and
    // its checks done) now, and only its medium at each call of what is
    // returned, so no medium is mounted on demand half-way through a step.
    std::function<void()> checker(const QString& dosPath);

private:
    // The drive's folder; 71 when the drive is not ready.
    QByteArray folderOf(QChar drive) const;
    void checkFolder(QChar drive, const QByteArray& folder);

    // A mount as the kernel names it: a new mount in the same folder is
    // another medium, though it may get the old one's device number.
    struct MountId {
        std::uint64_t mount = 0; // never given twice where the kernel says unique
        dev_t device = 0;
        bool operator==(const MountId&) const = default;
    };
    // The mount at folder; nullopt when the folder is gone with its medium.
    static std::optional<MountId> mountAt(const QByteArray& folder, QChar drive);

    const Drives& m_drives;
    // The run's medium in each drive; nullopt: none was there.
    std::map<QChar, std::optional<MountId>> m_runMedia;
};

} // namespace qel
