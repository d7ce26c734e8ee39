#pragma once

#include "platform/Error.h"
#include "platform/IoSide.h"

#include <QString>

namespace qel {

// What a failed system call means, as each platform's mapper tells it; the
// words for it are chosen here alone, so a sentence reads the same on every
// platform.
enum class Trouble {
    Plain,       // the number's classic text says it all
    PathMissing, // a folder on the way is missing (76)
    NotAFolder,  // a file stands where the folder should be (58)
    Unreadable,  // the source refuses to be read (75)
    DeviceIo,    // the medium failed (57)
    TooLarge,    // the destination cannot hold a file this large (75)
    InUse,       // another program holds the file (75)
    NameRefused, // the destination cannot hold this name (75)
    Refused,     // the destination forbids it, though writable and with room (75)
    OutOfRoom,   // no room for the data or for another entry (61)
    Other,       // anything else, in the system's own words (75)
};

struct SystemFailure {
    int number;
    Trouble trouble;
    IoSide side;
    QString path;       // the DOS path the call was about
    QString systemText; // the system's English text, for Refused and Other
    bool readingBack = false; // a copy read back from the destination
};

// The Error the user is shown for failure.
Error describe(const SystemFailure& failure);

// The Error for a folder that could not be made at dosFolder.
Error folderFailure(const SystemFailure& failure, const QString& dosFolder);

} // namespace qel
