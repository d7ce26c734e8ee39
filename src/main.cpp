// QEL Trekkel: backs up the data files of the QEL investment program.

#include "app/DisplayCheck.h"
#include "app/FrmMain.h"
#include "app/Module1.h"
#include "controls/AccessibleRoles.h"
#include "help/ContextHelp.h"
#include "help/HelpWindow.h"
#include "help/HelpWindowViewer.h"
#include "platform/AppObject.h"
#include "platform/Error.h"
#include "platform/Services.h"
#include "platform/linux/LinuxDirectoryLister.h"
#include "platform/linux/LinuxDrives.h"
#include "platform/linux/LinuxFileSystemObject.h"
#include "platform/linux/LinuxLauncher.h"
#include "platform/linux/LinuxRegistry.h"
#include "platform/linux/MountWatcher.h"
#include "platform/QtDialogs.h"
#include "platform/linux/UDisksMedia.h"
#include "platform/linux/X11.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDir>
#include <QFile>
#include <QIcon>
#include <QPointer>
#include <QTimer>
#include <QWidget>
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

// Windows without an owner that are still loaded when the event loop ends
// (a hidden defaults window, the help window), deleted while the services
// they were made with still exist.
void deleteRemainingWindows() {
    QList<QPointer<QWidget>> windows;
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (!widget->parentWidget())
            windows << widget;
    for (const QPointer<QWidget>& window : windows)
        delete window.data();
}

} // namespace

int main(int argc, char* argv[]) {
    const QString noDisplay = qel::noDisplayReason([](const char* name) { return qgetenv(name); },
                                                   qel::x11DisplayAnswers);
    if (!noDisplay.isEmpty()) {
        std::fprintf(stderr, "QEL_Trekkel: cannot start: %s\n", qPrintable(noDisplay));
        return EXIT_FAILURE;
    }

    QApplication qapp(argc, argv);
    QApplication::setApplicationName(QStringLiteral("QEL_Trekkel"));
    QApplication::setApplicationVersion(QStringLiteral("%1.%2.%3")
                                            .arg(QEL_VERSION_MAJOR)
                                            .arg(QEL_VERSION_MINOR)
                                            .arg(QEL_VERSION_PATCH));
    QApplication::setDesktopFileName(QStringLiteral("qel-trekkel"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/qel/icons/qel-trekkel")));
    qel::installAccessibleRoles();

    int result = 0;
    {
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
        qel::Services services{app,  drives,   lister,   dialogs,
                               help, registry, launcher, makeFileSystemObject};
        qel::installContextHelp(qapp, help, app);

        auto module1 = std::make_unique<qel::Module1>(services);
        QObject::connect(&mountWatcher, &qel::MountWatcher::changed, &mountWatcher, [&module1] {
            if (qel::FrmMain* form = module1 ? module1->MainForm() : nullptr)
                form->refreshDrives();
        });
        try {
            module1->Main();
            // A moment after the window is up: connecting to the bus takes a
            // few milliseconds that neither start-up nor the first paint waits for.
            QTimer::singleShot(300, &media, &qel::UDisksMedia::start);
            // A check that the installed program starts: leave once the main
            // window is up, saying so.
            if (qgetenv("QEL_TREKKEL_SMOKE_RUN") == "1")
                QTimer::singleShot(0, &qapp, [&module1]() {
                    const qel::FrmMain* window = module1->MainForm();
                    if (!window || !window->isVisible())
                        return QApplication::exit(EXIT_FAILURE);
                    std::printf("QEL_Trekkel: shown: %s\n", qPrintable(window->windowTitle()));
                    QApplication::quit();
                });
            result = QApplication::exec();
        } catch (const qel::Error& e) {
            // Start-up handles no error itself: the user is told, and the program ends.
            dialogs.MsgBox(e.description(), qel::Buttons::OK, qel::Icon::Critical,
                           qel::DefaultButton::First, QString());
            result = EXIT_FAILURE;
        }
        module1.reset();
        deleteRemainingWindows();
    }
    return result;
}
