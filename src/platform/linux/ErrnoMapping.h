#pragma once

#include "platform/Error.h"
#include "platform/IoSide.h"

#include <QString>

namespace qel {

// The classic error for a failed system call on dosPath (a file or folder).
// Descriptions name the path where the classic text alone would leave the user
// guessing which file failed.
Error errnoError(int errnum, IoSide side, const QString& dosPath);

// A name the destination's file system cannot hold (see refusesName): 75,
// naming dosPath and why, so that the user renames it instead of being asked
// for another disk. dosFolder is the destination folder it was to go to.
Error nameRefusedError(const QString& dosPath, const QString& dosFolder);

} // namespace qel
