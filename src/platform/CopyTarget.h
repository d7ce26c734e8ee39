#pragma once

#include "platform/DosPath.h"

#include <functional>

namespace qel {

// What CopyFile copies: the files of folder that pattern (the source's last
// component) matches.
struct CopySource {
    DosPath folder;
    QString pattern;
};

// Throws Error 76 when source is no absolute DOS path, 53 when it names a
// drive root or ends in a separator (no file pattern at all).
CopySource copySource(const QString& source);

// Where CopyFile puts what pattern matches: a destination ending in a
// separator, or naming a folder that stands there, is that folder; otherwise
// it is the new name of a single file in its parent.
struct CopyTarget {
    DosPath folder;
    QString name; // empty: every file keeps its own name
};

// Throws Error 76 when destination is no absolute DOS path, or would be a new
// name for a drive root or for a pattern with wildcards.
CopyTarget copyTarget(const QString& destination, const QString& pattern,
                      const std::function<bool(const QString&)>& folderExists);

} // namespace qel
