#include "platform/DriveLock.h"

#include "platform/linux/UniqueFd.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QThread>
#include <fcntl.h>
#include <sys/file.h>

namespace qel {

namespace {

class FileLock final : public DriveLock {
public:
    explicit FileLock(UniqueFd fd)
        : m_fd(std::move(fd)) {}

private:
    UniqueFd m_fd; // the lock goes with it
};

} // namespace

std::unique_ptr<DriveLock> DriveLock::take(QChar drive, std::chrono::milliseconds wait) {
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
    QDir().mkpath(folder);
    const QByteArray path =
        QFile::encodeName(folder + QStringLiteral("/drive-%1.lock").arg(drive.toLower()));
    UniqueFd fd(open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600));
    if (!fd.valid())
        return std::make_unique<FileLock>(UniqueFd());
    const auto deadline = std::chrono::steady_clock::now() + wait;
    while (flock(fd.get(), LOCK_EX | LOCK_NB) != 0) {
        if (errno != EWOULDBLOCK && errno != EINTR)
            return std::make_unique<FileLock>(UniqueFd()); // a file system without locks
        if (std::chrono::steady_clock::now() >= deadline)
            return nullptr;
        QThread::msleep(100);
    }
    return std::make_unique<FileLock>(std::move(fd));
}

} // namespace qel
