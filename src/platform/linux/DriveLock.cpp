#include "platform/DriveLock.h"

#include "platform/linux/UniqueFd.h"

#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>

namespace qel {

namespace {

class FileLock final : public DriveLock {
public:
    explicit FileLock(UniqueFd fd)
        : m_fd(std::move(fd)) {}

private:
    Attempt tryTake() override {
        if (flock(m_fd.get(), LOCK_EX | LOCK_NB) == 0)
            return Attempt::Taken;
        return errno == EWOULDBLOCK || errno == EINTR ? Attempt::Held : Attempt::Unlockable;
    }

    UniqueFd m_fd; // the lock goes with it
};

} // namespace

std::unique_ptr<DriveLock> DriveLock::open(const QString& path) {
    UniqueFd fd(::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600));
    return fd.valid() ? std::make_unique<FileLock>(std::move(fd)) : nullptr;
}

} // namespace qel
