#pragma once

#include "platform/SystemFailure.h"

namespace qel {

// What errnum from a failed system call on dosPath (a file or folder) means,
// for describe() to word.
SystemFailure errnoFailure(int errnum, IoSide side, const QString& dosPath);

} // namespace qel
