#include "app/DestinationProbe.h"

#include "platform/Controls.h"
#include "platform/Dialogs.h"
#include "platform/Error.h"

namespace qel {

void probeDestination(DriveList& drive2, Dialogs& dialogs) {
    for (;;) {
        try {
            drive2.setDrive(QStringLiteral("a:"));
            return;
        } catch (const Error& e) {
            // Any other failure keeps the drive the list opened on, unannounced.
            if (e.number() != err::DeviceUnavailable)
                return;
        }
        const Answer answer =
            dialogs.MsgBox(QStringLiteral("A: floppy drive is not available. Insert a floppy or "
                                          "cancel to use the hard disk drive C:"),
                           BoxKind::DriveRetry, Icon::Critical, DefaultButton::First,
                           QStringLiteral("QEL Trekkel"));
        if (answer == Answer::Retry)
            continue;
        try {
            drive2.setDrive(QStringLiteral("C:"));
        } catch (const Error&) {
            // The list keeps whatever it showed; the user can still pick a drive.
        }
        return;
    }
}

} // namespace qel
