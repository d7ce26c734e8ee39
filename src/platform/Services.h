#pragma once

#include <functional>
#include <memory>

namespace qel {

class AppObject;
class Dialogs;
class DirectoryLister;
class Drives;
class FileSystemObject;
class HelpViewer;
class Launcher;
class Registry;
class RunRecord;

// The platform services, handed to every window. Only start-up creates the
// real ones; tests hand in fakes.
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
    Dialogs& dialogs;
    HelpViewer& help;
    Registry& registry;
    Launcher& launcher;
    // Makes the main window's one file-system object when it is first needed.
    std::function<std::unique_ptr<FileSystemObject>()> makeFileSystemObject;
    // Where every backup run leaves its line.
    const RunRecord& record;
};

} // namespace qel
