#pragma once

#include "platform/SystemFailure.h"

#include <QString>

namespace qel {

// What a failed Win32 call (GetLastError's code) on dosPath, a file or folder,
// means, for describe() to word. The one table of the Windows build: a source
// that is missing is 53, an empty drive 71 (68 on the source side), a refused
// destination 70, a full one 61, a failing medium 57, a file another program
// holds or a name the system refuses 75 naming the file.
SystemFailure win32Failure(unsigned long code, IoSide side, const QString& dosPath);

// Whether code, from a drive's root, means the drive has no medium: its
// folder or device is missing (a stick not plugged in looks like this).
bool meansNoMedium(unsigned long code);

// win32Failure for a call on a drive's root: no medium is 71 on the
// destination (the disk the user is asked to insert), 68 on the source.
SystemFailure rootFailure(unsigned long code, IoSide side, const QString& dosPath);

// The system's English text for code, without the trailing line break.
QString win32Text(unsigned long code);

} // namespace qel
