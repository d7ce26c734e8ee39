#include "help/HelpContents.h"

#include "platform/AppObject.h"
#include "platform/Dialogs.h"
#include "platform/Error.h"

namespace qel {

void Hlp_Contents_Click(const AppObject& app, HelpViewer& viewer, Dialogs& dialogs,
                        const QString& mainCaption, WindowHandle owner) {
    const QString helpFile = app.HelpFile();
    if (helpFile.isEmpty()) {
        dialogs.MsgBox(QStringLiteral("Unable to display Help Contents. There is no Help "
                                      "associated with this project."),
                       BoxKind::Notice, Icon::Information, DefaultButton::First, mainCaption);
        return;
    }
    try {
        viewer.showContents(owner, helpFile);
    } catch (const Error& e) {
        dialogs.MsgBox(e.description(), BoxKind::Error, Icon::None, DefaultButton::First, {});
    }
}

} // namespace qel
