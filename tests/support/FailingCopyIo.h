#pragma once

#include "platform/CopyIo.h"
#include "platform/SystemFailure.h"

#include <functional>
#include <optional>

namespace qel {
class FileSystemObjectBase;
}

namespace qel::test {

// Puts itself between a file-system object's copies and the real calls of its
// platform, which it passes on until told to fail: writes after
// `failAfterBytes` bytes as a disk that is full, the flush or every rename
// with a trouble of choice, or what is read back. Can run a hook at the limit
// instead (for example to kill the process part-way through a copy).
class FailingCopyIo final {
public:
    long long failAfterBytes = -1;  // -1: never
    bool corruptReadBack = false;   // the disk gives back other bytes than it took
    std::optional<Trouble> readBackFailure; // for opening a copy to read it back
    QByteArray onlyReadBackOf; // when set, the two above strike only the copy of this name
    std::optional<Trouble> durableFailure; // for making a batch durable
    std::optional<Trouble> renameFailure;  // for every rename into place
    std::function<void()> atLimit; // called once instead of failing, when set; may set itself again
    // Called once, as a source starts to be read the second time (the check
    // that it held still).
    std::function<void()> atSourceReadAgain;

    long long bytesWritten = 0;
    int durableCalls = 0;
    int folderSyncs = 0;

    // From now on every copy of fso goes through this.
    void attach(FileSystemObjectBase& fso);

    // How much of length may still be written.
    std::size_t allowance(std::size_t length);
};

} // namespace qel::test
