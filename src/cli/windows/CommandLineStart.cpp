// The command line's start-up on Windows: the services the window uses,
// without the device watcher only a window needs.

#include "cli/CommandLineStart.h"

#include "backup/RunRecord.h"
#include "cli/CommandLine.h"
#include "platform/AppObject.h"
#include "platform/windows/WindowsDirectoryLister.h"
#include "platform/windows/WindowsDrives.h"
#include "platform/windows/WindowsFileSystemObject.h"
#include "platform/windows/WindowsScheduler.h"

#include <QCoreApplication>
#include <QDir>
#include <cstdio>

namespace qel {

int startCommandLine(int argc, char* argv[]) {
    QCoreApplication qapp(argc, argv);
    nameApplication();

    WindowsDrives drives;
    WindowsDirectoryLister lister(drives);
    const QString programDir = QDir::toNativeSeparators(QCoreApplication::applicationDirPath());
    AppObject app(drives.toDosPath(programDir.toUtf8()).value_or(programDir), QEL_VERSION_MAJOR,
                  QEL_VERSION_MINOR, QEL_VERSION_PATCH);
    const RunRecord record(defaultRunRecordPath());
    // The task starts the window program even when the console one schedules
    // it: a run at night opens no console window.
    WindowsScheduler scheduler(programDir + QStringLiteral("\\QEL_Trekkel.exe"));
    CommandLineServices services{drives,
                                 lister,
                                 app,
                                 [&drives]() -> std::unique_ptr<FileSystemObject> {
                                     return std::make_unique<WindowsFileSystemObject>(drives);
                                 },
                                 record,
                                 scheduler,
                                 stdout,
                                 stderr};
    return runCommandLine(QCoreApplication::arguments(), services);
}

} // namespace qel
