#pragma once

#include "platform/HelpViewer.h"

#include <QString>

namespace qel {

class AppObject;
class Dialogs;

// Help > Contents of the main window. With no HelpFile it tells the user
// there is no help, titled mainCaption; an Error from the viewer is shown by
// its description under the application title. Never throws.
void Hlp_Contents_Click(const AppObject& app, HelpViewer& viewer, Dialogs& dialogs,
                        const QString& mainCaption, WindowHandle owner);

} // namespace qel
