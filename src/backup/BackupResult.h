#pragma once

#include <QString>

namespace qel {

// How one backup run ended, for whoever reports or records it: the window
// has said everything already and ignores it; the command line turns it into
// an exit code.
struct BackupResult {
    enum class Outcome {
        Complete,  // "Backup Complete" was shown
        NoData,    // the source folder holds no QEL data
        Declined,  // No to the confirmation
        BrokenOff, // a failure ended the run; errorNumber and message say which
        Busy,      // another run kept the drive; message says so
        Ended,     // the program ended during one of the run's yields
    };

    Outcome outcome = Outcome::Complete;
    QString source;      // the source folder
    QString destination; // the destination folder, or the drive when none was made
    int progress = 0;    // the progress bar's value when the run ended
    int errorNumber = 0; // of the failure that ended the run
    QString message;     // the text shown for that failure
    QString untold;      // why the person could not be told it did not complete, when asked to
};

} // namespace qel
