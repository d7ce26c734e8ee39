#pragma once

#include "platform/linux/CopyEngine.h"

#include <cerrno>
#include <functional>

namespace qel::test {

// Writes like the real thing until `failAfterBytes` bytes have gone into
// copies, then fails every further write with `error` (ENOSPC: a disk that
// fills up mid-copy). Can fail the flush instead, or run a hook at the limit
// (for example to kill the process part-way through a copy).
class FailingCopyIo final : public CopyIo {
public:
    long long failAfterBytes = -1; // -1: never
    int error = ENOSPC;
    bool corruptReadBack = false;  // the disk gives back other bytes than it took
    int syncError = 0;             // errno for the file-system flush, 0: none
    int renameError = 0;           // errno for every rename into place, 0: none
    std::function<void()> atLimit; // called once instead of failing, when set; may set itself again

    long long bytesWritten = 0;
    int fileSystemSyncs = 0;
    int dataSyncs = 0;
    int folderSyncs = 0;

    ssize_t writeAt(int out, const void* data, size_t length, off_t offset) override;
    int syncFileSystem(int fd) override;
    int syncData(int fd) override;
    int syncFolder(int dirFd) override;
    ssize_t readBack(int fd, void* data, size_t length, off_t offset) override;
    int rename(int dirFd, const char* from, const char* to) override;

private:
    // How much of length may still go through; -1 with errno when nothing may.
    ssize_t allowance(size_t length);
};

} // namespace qel::test
