#include "platform/DriveLock.h"

#include <QDir>
#include <QStandardPaths>
#include <QThread>

namespace qel {

namespace {

class NoLock final : public DriveLock {
    Attempt tryTake() override { return Attempt::Taken; }
};

} // namespace

std::unique_ptr<DriveLock> DriveLock::take(QChar drive, std::chrono::milliseconds wait) {
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
    QDir().mkpath(folder);
    std::unique_ptr<DriveLock> lock =
        open(QDir::toNativeSeparators(folder + QStringLiteral("/drive-%1.lock").arg(drive.toLower())));
    if (!lock)
        return std::make_unique<NoLock>();
    const auto deadline = std::chrono::steady_clock::now() + wait;
    for (;;) {
        switch (lock->tryTake()) {
        case Attempt::Taken:
            return lock;
        case Attempt::Unlockable:
            return std::make_unique<NoLock>();
        case Attempt::Held:
            break;
        }
        if (std::chrono::steady_clock::now() >= deadline)
            return nullptr;
        QThread::msleep(100);
    }
}

} // namespace qel
