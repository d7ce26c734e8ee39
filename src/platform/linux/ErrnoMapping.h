#pragma once

#include "platform/Error.h"
#include "platform/IoSide.h"

#include <QString>

namespace qel {

// The classic error for a failed system call on dosPath (a file or folder).
// Descriptions name the path where the classic text alone would leave the user
// guessing which file failed.
Error errnoError(int errnum, IoSide side, const QString& dosPath);

} // namespace qel
