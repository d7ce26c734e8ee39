#pragma once

namespace qel {

class Dialogs;
class DriveList;

// The check of the destination drive while the main window loads: selects
// "a:" in drive2; while that drive is not ready the user may insert a disk and
// retry, or cancel to fall back to "C:". Errors other than "not ready", and a
// failing fall-back, leave drive2 as it was without a message. Only a
// qel::Error is absorbed; anything else passes to the caller.
void probeDestination(DriveList& drive2, Dialogs& dialogs);

} // namespace qel
