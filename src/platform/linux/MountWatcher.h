#pragma once

#include "platform/linux/UniqueFd.h"

#include <QObject>
#include <QTimer>

class QSocketNotifier;

namespace qel {

// Says when the drive table may have changed. The kernel flags the mount
// table for poll(2) (POLLPRI/POLLERR) on every mount and unmount; a burst of
// changes is coalesced into one changed() per interval, so a table that
// changes many times a second costs a few refreshes, not one each.
class MountWatcher final : public QObject {
    Q_OBJECT
public:
    // Without a readable mountInfo (no /proc) it only passes on noteChange().
    explicit MountWatcher(const QByteArray& mountInfo = "/proc/self/mountinfo",
                          int intervalMs = 150, QObject* parent = nullptr);
    ~MountWatcher() override;

    // A change seen elsewhere (a medium the disk service announced).
    void noteChange();

signals:
    void changed();

private:
    UniqueFd m_fd;
    QSocketNotifier* m_notifier = nullptr;
    QTimer m_timer;
};

} // namespace qel
