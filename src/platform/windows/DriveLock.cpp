#include "platform/DriveLock.h"

#include "platform/windows/LongPath.h"
// Last: it defines macros named like the program's operations.
#include "platform/windows/UniqueHandle.h"
#include "platform/windows/Win32.h"

namespace qel {

namespace {

class FileLock final : public DriveLock {
public:
    explicit FileLock(UniqueHandle handle)
        : m_handle(std::move(handle)) {}

private:
    Attempt tryTake() override {
        OVERLAPPED whole{};
        if (LockFileEx(m_handle.get(), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1,
                       0, &whole))
            return Attempt::Taken;
        return GetLastError() == ERROR_LOCK_VIOLATION ? Attempt::Held : Attempt::Unlockable;
    }

    UniqueHandle m_handle; // the lock goes with it
};

} // namespace

std::unique_ptr<DriveLock> DriveLock::open(const QString& path) {
    UniqueHandle handle(CreateFileW(longPath(path.toUtf8()).c_str(), GENERIC_READ | GENERIC_WRITE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    return handle.valid() ? std::make_unique<FileLock>(std::move(handle)) : nullptr;
}

} // namespace qel
