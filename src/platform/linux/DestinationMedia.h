#pragma once

#include <QByteArray>
#include <QChar>
#include <QString>
#include <functional>
#include <map>
#include <set>
#include <sys/types.h>

namespace qel {

class Drives;

// Keeps a run's writes on the media its destination drives held when it first
// wrote to them. A medium pulled from a fixed mount folder leaves that folder
// on the internal disk; writing there would put the backup where the user
// never looks, and end in "Backup Complete".
class DestinationMedia final {
public:
    explicit DestinationMedia(const Drives& drives);

    // A run starts, or starts again after the user was asked for a disk:
    // each drive takes the medium it holds at the run's next write there.
    void beginRun();

    // Throws Error 71 (not ready) when the drive of dosPath has no medium, holds
    // another file system than at the run's first write there, or its folder
    // was a mount point and is one no longer; the first write takes the medium.
    void check(const QString& dosPath);
    // check for the writes of one step: the drive's folder is looked up (and
    // its checks done) now, and only its medium at each call of what is
    // returned, so no medium is mounted on demand half-way through a step.
    std::function<void()> checker(const QString& dosPath);

private:
    void checkFolder(QChar drive, const QByteArray& folder);

    const Drives& m_drives;
    std::map<QChar, dev_t> m_runMedia;
    // Drive folders once seen as mount points, for as long as the program runs.
    std::set<QByteArray> m_mountPoints;
};

} // namespace qel
