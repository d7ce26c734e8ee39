#pragma once

#include "platform/FileSystemObject.h"

#include <QByteArray>
#include <memory>

namespace qel {

class AppObject;
class Dialogs;
class DirectoryLister;
class Drives;
class Launcher;
class Notifier;
class Registry;
class RunRecord;
class Scheduler;
struct Services;

// One system's services, made once per process by its platform class
// (platform/linux/LinuxPlatform, platform/windows/WindowsPlatform): the
// window's start-up, the command line's and the tests' harness all take
// them from here, so both front ends run on the same drive table, program
// folder and file system. Needs the Qt application object.
class Platform {
public:
    virtual ~Platform() = default;

    // Its Path() is the program's folder as the logic sees it: a DOS path.
    virtual AppObject& app() = 0;
    virtual Drives& drives() = 0;
    virtual DirectoryLister& lister() = 0;
    virtual Registry& registry() = 0;
    virtual Launcher& launcher() = 0;
    virtual Scheduler& scheduler() = 0;
    virtual Notifier& notifier() = 0;
    // A new file-system object over drives(); never fails.
    virtual std::unique_ptr<FileSystemObject> makeFileSystemObject() = 0;
    // The program's folder on the host, where its help document is.
    virtual QByteArray hostProgramDirectory() const = 0;

    // The bundle a front end runs on: these services with its own dialogs
    // and the record every run leaves its line in.
    Services services(Dialogs& dialogs, const RunRecord& record);
};

} // namespace qel
