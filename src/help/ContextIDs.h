#pragma once

#include "platform/HelpViewer.h"

namespace qel {

class AppObject;

// Points the program at its help document during start-up and tells the
// help viewer to quit when the start-up window goes away.
class ContextIDs final {
public:
    ContextIDs(AppObject& app, HelpViewer& viewer);

    // Remembers owner for QuitHelp and sets the application's HelpFile to
    // "qeltrkl.HLP" in the program's folder; whether the file exists is not
    // checked. Never fails.
    void SetHelpFile(WindowHandle owner);

    // Asks the viewer to quit HelpFile on behalf of the window SetHelpFile
    // was given (0 before it ran). Never fails; the viewer's outcome is its own.
    void QuitHelp();

    WindowHandle HelpOwnerWnd() const { return m_helpOwnerWnd; }

private:
    AppObject& m_app;
    HelpViewer& m_viewer;
    WindowHandle m_helpOwnerWnd = 0;
};

} // namespace qel
