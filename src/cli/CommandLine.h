#pragma once

#include <QStringList>
#include <cstdio>

namespace qel {

class Platform;

// The exit codes of the command line. They are a contract with scripts and
// schedules: documented in the README and the manual page, never renumbered.
namespace exitcode {
inline constexpr int Complete = 0;
inline constexpr int Failed = 1; // any other error; also --last: none, or too old
inline constexpr int NoData = 2;
inline constexpr int DriveNotReady = 3;
inline constexpr int DiskFull = 4;
inline constexpr int DriveBusy = 5; // another backup to DRIVE was running
inline constexpr int Usage = 64; // as sysexits' EX_USAGE
} // namespace exitcode

// Runs the program's command line (arguments with the program's name first)
// on the platform's services, as the window runs on them: a backup through
// the same run as the window's button, with every message on err, a question
// to the record, or a change to the backup's schedule; what it answers goes
// to out. Returns the exit code; waits for nobody and opens no window. Needs
// a QCoreApplication.
int runCommandLine(const QStringList& arguments, Platform& platform, std::FILE* out,
                   std::FILE* err);

} // namespace qel
