#pragma once

#include <functional>
#include <memory>

namespace qel {

class AppObject;
class Dialogs;
class DirectoryLister;
class Drives;
class FileSystemObject;
class Launcher;
class Notifier;
class Registry;
class RunRecord;
class Scheduler;

// The services the program runs on, the window and the command line alike:
// the platform's (Platform::services) and the front end's dialogs. Only
// start-up creates the real ones; tests hand in fakes. The window's help
// viewer is the window's own and is handed to it beside these.
//
// Two platform pieces are widgets and are chosen at link time instead: each
// build compiles one controls/<platform>/ folder, which defines
//   makeClipControl (controls/ClipControl.h)  the progress window's clip player;
//   showBorderOnly  (controls/BorderOnly.h)   the splash's frame without a title.
// A test that links qel_gui gets the real one of its platform.
struct Services {
    AppObject& app;
    Drives& drives;
    DirectoryLister& lister;
    // The window's message boxes, or the command line's fixed answers.
    Dialogs& dialogs;
    Registry& registry;
    Launcher& launcher;
    // Keeps the backup's daily run (the command line's --schedule).
    Scheduler& scheduler;
    // Tells the person of a scheduled run that did not complete (--notify).
    Notifier& notifier;
    // Makes the one file-system object of a window or run when it is first needed.
    std::function<std::unique_ptr<FileSystemObject>()> makeFileSystemObject;
    // Where every backup run leaves its line.
    const RunRecord& record;
};

} // namespace qel
