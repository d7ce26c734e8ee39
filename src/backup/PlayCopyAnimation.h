#pragma once

#include <QString>

namespace qel {

class Animation;
class Dialogs;

// The clip the progress window plays while a backup copies.
inline const QString CopyClipPath = QStringLiteral("C:\\FILECOPY.AVI");

// Opens the copy clip in animation and plays it until Stop. A clip that is
// missing, unreadable or damaged is reported to the user ("Trouble playing the
// AVI file.") and never passed on; returns whether the clip is playing.
bool PlayCopyAnimation(Animation& animation, Dialogs& dialogs);

} // namespace qel
