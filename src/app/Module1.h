#pragma once

#include "help/ContextIDs.h"

#include <QPointer>
#include <memory>

namespace qel {

class FrmMain;
class frmSplash;
struct Services;

// The start-up module: owns the help module's state and the windows it
// creates. One object, owned by main(), outliving the event loop.
class Module1 final {
public:
    Module1(Services& services, HelpViewer& help);
    ~Module1();
    Module1(const Module1&) = delete;
    Module1& operator=(const Module1&) = delete;

    // Shows the splash window, loads the main window behind it (its drive
    // probe may ask the user), takes the splash away and shows the main
    // window. Errors pass to the caller, which ends the program.
    void Main();

    // The one main window; null once it has been unloaded.
    FrmMain* MainForm() const;
    ContextIDs& contextIDs() { return m_contextIDs; }

private:
    Services& m_services;
    HelpViewer& m_help;
    ContextIDs m_contextIDs;
    std::unique_ptr<frmSplash> m_frmSplash;
    QPointer<FrmMain> m_MainForm;
};

} // namespace qel
