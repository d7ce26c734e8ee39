// QEL Trekkel: backs up the data files of the QEL investment program.

#include "app/DisplayCheck.h"
#include "app/ProgramRun.h"
#include "backup/RunRecord.h"
#include "cli/CommandLineStart.h"
#include "help/ContextHelp.h"
#include "help/HelpWindow.h"
#include "help/HelpWindowViewer.h"
#include "platform/AppObject.h"
#include "platform/QtDialogs.h"
#include "platform/Services.h"
#include "platform/linux/LinuxDirectoryLister.h"
#include "platform/linux/LinuxDrives.h"
#include "platform/linux/LinuxFileSystemObject.h"
#include "platform/linux/LinuxLauncher.h"
#include "platform/linux/LinuxRegistry.h"
#include "platform/linux/MountWatcher.h"
#include "platform/linux/UDisksMedia.h"
#include "platform/linux/X11.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDir>
#include <QFile>
#include <QTimer>
#include <cstdio>
#include <cstdlib>

namespace {

// The program's folder as the logic sees it: a DOS path through the drive
// table. A folder no drive holds still gets a path, written as the root
// drive would show it, so the help file's name stays meaningful.
QString programDirectory(const qel::Drives& drives, const QString& hostDir) {
    if (const auto dosPath = drives.toDosPath(QFile::encodeName(hostDir)))
        return *dosPath;
    QString fallback = QStringLiteral("Z:") + QDir::cleanPath(hostDir);
    fallback.replace(u'/', u'\\');
    return fallback.size() == 2 ? fallback + u'\\' : fallback;
}

} // namespace

int main(int argc, char* argv[]) {
    if (qel::wantsCommandLine(argc))
        return qel::startCommandLine(argc, argv);
    const QString noDisplay = qel::noDisplayReason([](const char* name) { return qgetenv(name); },
                                                   qel::x11DisplayAnswers);
    if (!noDisplay.isEmpty()) {
        std::fprintf(stderr, "QEL_Trekkel: cannot start: %s\n", qPrintable(noDisplay));
        return EXIT_FAILURE;
    }

    QApplication qapp(argc, argv);
    qel::ProgramRun::describeApplication();

    qel::UDisksMedia media([] { return QDBusConnection::systemBus(); });
    qel::DriveTableSources sources = qel::DriveTableSources::system();
    sources.media = &media;
    qel::LinuxDrives drives(sources);
    qel::MountWatcher mountWatcher;
    QObject::connect(&media, &qel::UDisksMedia::changed, &mountWatcher,
                     &qel::MountWatcher::noteChange);
    qel::LinuxDirectoryLister lister(drives);
    const QString hostProgramDir = QCoreApplication::applicationDirPath();
    const QString programDir = programDirectory(drives, hostProgramDir);
    qel::AppObject app(programDir, QEL_VERSION_MAJOR, QEL_VERSION_MINOR, QEL_VERSION_PATCH);
    qel::QtDialogs dialogs(app);
    qel::HelpWindowViewer help(drives, programDir, QFile::encodeName(hostProgramDir));
    qel::LinuxRegistry registry;
    qel::LinuxLauncher launcher(drives);
    auto makeFileSystemObject = [&drives]() -> std::unique_ptr<qel::FileSystemObject> {
        return std::make_unique<qel::LinuxFileSystemObject>(drives);
    };
    const qel::RunRecord record(qel::defaultRunRecordPath());
    qel::Services services{app,  drives,   lister,   dialogs,             help,
                           registry, launcher, makeFileSystemObject, record};
    qel::installContextHelp(qapp, help, app);

    qel::ProgramRun run(services, dialogs);
    QObject::connect(&mountWatcher, &qel::MountWatcher::changed, &mountWatcher,
                     [&run] { run.drivesChanged(); });
    // A moment after the window is up: connecting to the bus takes a few
    // milliseconds that neither start-up nor the first paint waits for.
    return run.exec([&media] { QTimer::singleShot(300, &media, &qel::UDisksMedia::start); });
}
