// The command line's start-up on Linux: the services the window uses, without
// the ones only a window needs (display, mount watcher, UDisks2).

#include "cli/CommandLineStart.h"

#include "backup/RunRecord.h"
#include "cli/CommandLine.h"
#include "platform/AppObject.h"
#include "platform/linux/LinuxDirectoryLister.h"
#include "platform/linux/LinuxDrives.h"
#include "platform/linux/LinuxFileSystemObject.h"
#include "platform/linux/LinuxScheduler.h"

#include <QCoreApplication>
#include <QFile>
#include <QStandardPaths>
#include <cstdio>

namespace qel {

int startCommandLine(int argc, char* argv[]) {
    QCoreApplication qapp(argc, argv);
    nameApplication();

    LinuxDrives drives(DriveTableSources::system());
    LinuxDirectoryLister lister(drives);
    AppObject app(drives.toDosPath(QFile::encodeName(QCoreApplication::applicationDirPath()))
                      .value_or(QString()),
                  QEL_VERSION_MAJOR, QEL_VERSION_MINOR, QEL_VERSION_PATCH);
    const RunRecord record(defaultRunRecordPath());
    LinuxScheduler scheduler(
        QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation),
        QCoreApplication::applicationFilePath());
    CommandLineServices services{drives,
                                 lister,
                                 app,
                                 [&drives]() -> std::unique_ptr<FileSystemObject> {
                                     return std::make_unique<LinuxFileSystemObject>(drives);
                                 },
                                 record,
                                 scheduler,
                                 stdout,
                                 stderr};
    return runCommandLine(QCoreApplication::arguments(), services);
}

} // namespace qel
