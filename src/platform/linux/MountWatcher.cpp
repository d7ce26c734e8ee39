#include "platform/linux/MountWatcher.h"

#include <QSocketNotifier>
#include <fcntl.h>

namespace qel {

MountWatcher::MountWatcher(const QByteArray& mountInfo, int intervalMs, QObject* parent)
    : QObject(parent)
    , m_fd(::open(mountInfo.constData(), O_RDONLY | O_CLOEXEC)) {
    m_timer.setSingleShot(true);
    m_timer.setInterval(intervalMs);
    connect(&m_timer, &QTimer::timeout, this, &MountWatcher::changed);
    if (!m_fd.valid())
        return;
    // The kernel reports a change as an exceptional condition, and polling
    // again clears it, so nothing has to be read here.
    m_notifier = new QSocketNotifier(m_fd.get(), QSocketNotifier::Exception, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &MountWatcher::noteChange);
}

MountWatcher::~MountWatcher() {
    // The notifier must go before the descriptor it watches is closed.
    delete m_notifier;
}

void MountWatcher::noteChange() {
    if (!m_timer.isActive())
        m_timer.start();
}

} // namespace qel
