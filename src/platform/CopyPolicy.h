#pragma once

#include "platform/Error.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

// The rules of a safe copy and every sentence a copy engine shows, the same on
// every platform; an engine keeps only its system calls. A disk may be written
// by either build, so both know each other's temporary files.

namespace qel {

// Temporary files: ".~qel-" and six random letters (with the target's name
// behind them where it fits), or on FAT the 8.3 name "~QEL" + four + ".TMP".
inline constexpr char kTempPrefix[] = ".~qel-";

// Whether a name in a destination folder is one of the engines' temporary
// files, of either form and either build.
bool isTempName(const QString& name);

// A new temporary name for a copy whose target is targetName (UTF-8, or the
// host's bytes). On FAT (shortName) it is an 8.3 name: a long one costs root
// entries on a floppy, and some FAT drivers damage a file renamed from one.
// Elsewhere the target's name rides along (within maxLength bytes), so a name
// the disk cannot hold is refused before any data is written.
QByteArray tempFileName(const QByteArray& targetName, bool shortName, qsizetype maxLength);

// The longest name, in bytes, a temporary file may take on any platform.
inline constexpr qsizetype kLongestName = 255;

// The largest file FAT holds (exFAT has no such limit).
inline constexpr std::int64_t kFatLargestFile = 0xFFFFFFFF;

// Whether a FAT disk can hold name as a long name: no " * / : < > ? \ | or
// control characters, no trailing space or dot, at most 255 UTF-16 units;
// asciiOnly for a driver whose character set ends there.
bool fatHoldsName(const QString& name, bool asciiOnly);

// The first two of targetNames (by index) that differ only in case and are
// both files (isFile is asked only about such pairs); nullopt when none.
std::optional<std::pair<std::size_t, std::size_t>>
caseCollision(const std::vector<QString>& targetNames, const std::function<bool(std::size_t)>& isFile);

// Thrown by an engine's single attempt when the source changed while it was
// copied (its status, or its bytes read again afterwards, differ).
struct SourceChanged {};

// Runs copyOnce until the source holds still: a source that changes while it
// is copied is copied once more, a second change is Error 75 naming it.
bool copyHoldingStill(const QString& dosSource, const std::function<bool()>& copyOnce);

// The room a file of size bytes takes (whole 4 KiB clusters), and how much of
// it is missing where freeBytes are free (0: it fits, or the disk does not say).
std::int64_t roomFor(std::int64_t size);
std::int64_t missingRoom(std::int64_t size, std::int64_t freeBytes);

// Whether a copy's modification time equals its source's, allowing FAT's
// two-second steps; times counted in units of which unitsPerSecond make one.
bool sameTimeOnDisk(std::int64_t source, std::int64_t target, std::int64_t unitsPerSecond);

// The sentences, each an Error with the number the run dispatches on.
Error caseCollisionError(const QString& dosFirst, const QString& dosSecond,
                         const QString& dosFolder);                               // 58
Error sourceChangedError(const QString& dosSource);                              // 75
Error sourceShortError(const QString& dosSource);                                // 75
Error noRoomError(const QString& dosTarget, std::int64_t missingBytes, bool replacing); // 61
Error noEntryError(const QString& dosFolder, const QString& dosTarget, bool replacing); // 61
Error folderInTheWayError(const QString& dosTarget);                             // 75
Error tooLargeForFatError(const QString& dosSource, const QString& dosFolder);  // 75
Error nameRefusedError(const QString& dosSource, const QString& dosFolder);     // 75
Error renameRefusedError(const QString& dosTarget, const QString& reason);      // 75
Error fileInUseError(const QString& dosPath);                                    // 75
Error driveBusyError(const QString& drive);                                      // 75
// The copy read back from the medium differs from what was read from the
// source (before or after it was put in place).
Error copyMismatchError(const QString& dosSource, const QString& dosFolder); // 57

} // namespace qel
