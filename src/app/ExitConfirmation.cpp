#include "app/ExitConfirmation.h"

#include "platform/AppObject.h"
#include "platform/Dialogs.h"

namespace qel {

bool confirmExit(Dialogs& dialogs, AppObject& app) {
    const Answer answer =
        dialogs.MsgBox(QStringLiteral("Do you want to exit the program?"), BoxKind::Exit,
                       Icon::Question, DefaultButton::Second, QString());
    if (answer != Answer::Yes)
        return false;
    app.markEnded();
    return true;
}

} // namespace qel
