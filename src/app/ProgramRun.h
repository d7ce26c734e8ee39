#pragma once

#include "backup/RunRecord.h"
#include "help/HelpWindowViewer.h"
#include "platform/QtDialogs.h"
#include "platform/Services.h"

#include <functional>
#include <memory>

namespace qel {

class Module1;
class Platform;

// The part of the window's start-up every platform shares: the application's
// names, its icon, the window's own services over the platform's (message
// boxes, the help window and F1, the run record), and the run of Module1's
// Main and the event loop. Each platform's start-up makes its platform and
// what only its windows need, then runs the program through this.
class ProgramRun final {
public:
    // Names the application; call once the toolkit's application exists.
    static void describeApplication();

    // platform must outlive this.
    explicit ProgramRun(Platform& platform);
    // Windows still loaded go while the services they were made with exist.
    ~ProgramRun();
    ProgramRun(const ProgramRun&) = delete;
    ProgramRun& operator=(const ProgramRun&) = delete;

    // Drives may have come or gone: the main window's lists follow.
    void drivesChanged();

    // Runs Main, then afterMain, then the event loop until the main window
    // is closed, and returns the exit code. An error start-up does not handle
    // is shown to the user and ends the program. With QEL_TREKKEL_SMOKE_RUN=1
    // it leaves as soon as the main window is up, saying so on stdout.
    int exec(const std::function<void()>& afterMain = {});

private:
    QtDialogs m_dialogs;
    HelpWindowViewer m_help;
    const RunRecord m_record;
    Services m_services;
    std::unique_ptr<Module1> m_module1;
};

} // namespace qel
