#include "platform/DriveLock.h"

#include "platform/windows/LongPath.h"
// Last: it defines macros named like the program's operations.
#include "platform/windows/UniqueHandle.h"
#include "platform/windows/Win32.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QThread>

namespace qel {

namespace {

class FileLock final : public DriveLock {
public:
    explicit FileLock(UniqueHandle handle)
        : m_handle(std::move(handle)) {}

private:
    UniqueHandle m_handle; // the lock goes with it
};

} // namespace

std::unique_ptr<DriveLock> DriveLock::take(QChar drive, std::chrono::milliseconds wait) {
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
    QDir().mkpath(folder);
    const QString path = QDir::toNativeSeparators(
        folder + QStringLiteral("/drive-%1.lock").arg(drive.toLower()));
    UniqueHandle handle(CreateFileW(longPath(path.toUtf8()).c_str(), GENERIC_READ | GENERIC_WRITE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!handle.valid())
        return std::make_unique<FileLock>(UniqueHandle());
    const auto deadline = std::chrono::steady_clock::now() + wait;
    for (;;) {
        OVERLAPPED whole{};
        if (LockFileEx(handle.get(), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0,
                       &whole))
            return std::make_unique<FileLock>(std::move(handle));
        if (GetLastError() != ERROR_LOCK_VIOLATION)
            return std::make_unique<FileLock>(UniqueHandle()); // a volume without locks
        if (std::chrono::steady_clock::now() >= deadline)
            return nullptr;
        QThread::msleep(100);
    }
}

} // namespace qel
