#pragma once

#include "platform/CopyIo.h"

#include <QString>
#include <functional>
#include <memory>
#include <vector>

namespace qel {

struct CopyBuffers;

// The order of a safe copy, over one platform's calls: a target is either
// its old copy or the whole new one, never a part. Each file goes to a
// temporary file created exclusively beside the target; a batch is made
// durable at once, each copy read back from the medium through a fresh handle
// and compared with what was read from the source, and only then renamed over
// its target. A target that already holds the source's contents (same size
// and time, then the same bytes) is left alone. When the disk fills, what is
// pending is put in place first (its old copies make room) and the file is
// tried again on its own, so replacing needs room for one extra copy at a time.
class CopySequence final {
public:
    CopySequence();
    ~CopySequence();

    // Removes the temporary files earlier copies left (killed, or cut off by a
    // medium that went away) that nobody holds, then copies the items in
    // order, skipping sources that are not regular files and targets that are
    // the source itself. Returns how many items were regular files. Stops at
    // the first failing file with its Error (files before it are kept, its own
    // target and every later one keep their old copy): 58 when a target exists
    // and overwrite is false, a folder stands in its way, or two sources would
    // land on one name where the destination ignores case (checked before
    // anything is written); 57 naming a file whose copy reads back different;
    // 61 naming the file and the room missing; 75 for a file the destination
    // cannot hold, whose name it refuses or that kept changing while it was
    // copied; whatever checkMedium throws (it runs before each rename, to say
    // the destination is no longer the run's medium); the described
    // SystemFailure otherwise.
    int copy(CopyIo& io, const QString& dosTargetDir, const std::vector<CopyItem>& items,
             bool overwrite, const std::function<void()>& checkMedium);

private:
    // Made once, so large buffers are paged in once for all copies.
    std::unique_ptr<CopyBuffers> m_buffers;
};

} // namespace qel
