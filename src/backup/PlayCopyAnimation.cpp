#include "backup/PlayCopyAnimation.h"

#include "platform/Controls.h"
#include "platform/Dialogs.h"
#include "platform/Error.h"

namespace qel {

bool PlayCopyAnimation(Animation& animation, Dialogs& dialogs) {
    try {
        animation.Open(CopyClipPath);
        animation.Play();
        return true;
    } catch (const Error&) {
        // The run goes on without a clip; the user only needs to know it is missing.
        dialogs.MsgBox(QStringLiteral("Trouble playing the AVI file."), BoxKind::Notice, Icon::None,
                       DefaultButton::First, QString());
        return false;
    }
}

} // namespace qel
