#include "FailingCopyIo.h"

#include <algorithm>
#include <cerrno>

namespace qel::test {

ssize_t FailingCopyIo::allowance(size_t length) {
    if (failAfterBytes < 0)
        return ssize_t(length);
    const long long left = failAfterBytes - bytesWritten;
    if (left <= 0) {
        if (atLimit) {
            const auto hook = std::move(atLimit);
            atLimit = nullptr;
            hook();
            return ssize_t(length);
        }
        errno = error;
        return -1;
    }
    return ssize_t(std::min<long long>(left, (long long)length));
}

ssize_t FailingCopyIo::writeAt(int out, const void* data, size_t length, off_t offset) {
    const ssize_t allowed = allowance(length);
    if (allowed < 0)
        return -1;
    const ssize_t n = CopyIo::writeAt(out, data, size_t(allowed), offset);
    if (n > 0)
        bytesWritten += n;
    return n;
}

int FailingCopyIo::syncFileSystem(int fd) {
    ++fileSystemSyncs;
    if (syncError != 0) {
        errno = syncError;
        return -1;
    }
    return CopyIo::syncFileSystem(fd);
}

int FailingCopyIo::syncData(int fd) {
    ++dataSyncs;
    return CopyIo::syncData(fd);
}

int FailingCopyIo::syncFolder(int dirFd) {
    ++folderSyncs;
    return CopyIo::syncFolder(dirFd);
}

ssize_t FailingCopyIo::readBack(int fd, void* data, size_t length, off_t offset) {
    const ssize_t n = CopyIo::readBack(fd, data, length, offset);
    if (corruptReadBack && n > 0)
        static_cast<unsigned char*>(data)[n / 2] ^= 0x10;
    return n;
}

int FailingCopyIo::rename(int dirFd, const char* from, const char* to) {
    if (renameError == 0)
        return CopyIo::rename(dirFd, from, to);
    errno = renameError;
    return -1;
}

} // namespace qel::test
