// QEL Trekkel on Windows: the same windows and logic, the system's own services.

#include "app/FrmMain.h"
#include "app/Module1.h"
#include "controls/AccessibleRoles.h"
#include "help/ContextHelp.h"
#include "help/HelpWindow.h"
#include "help/HelpWindowViewer.h"
#include "platform/AppObject.h"
#include "platform/Error.h"
#include "platform/QtDialogs.h"
#include "platform/Services.h"
#include "platform/windows/DeviceWatcher.h"
#include "platform/windows/WindowsDirectoryLister.h"
#include "platform/windows/WindowsDrives.h"
#include "platform/windows/WindowsFileSystemObject.h"
#include "platform/windows/WindowsLauncher.h"
#include "platform/windows/WindowsRegistry.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QIcon>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <cstdlib>
#include "platform/windows/Win32.h"

namespace {

// The program's folder as the logic sees it: its Windows path, with the
// separators the drive lists use.
QString programDirectory(const qel::Drives& drives, const QString& hostDir) {
    const QString native = QDir::toNativeSeparators(hostDir);
    return drives.toDosPath(native.toUtf8()).value_or(native);
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
    // An empty floppy or card drive answers with an error, never with the
    // system's own "no disk" box, which the program's messages replace.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);

    QApplication qapp(argc, argv);
    QApplication::setApplicationName(QStringLiteral("QEL_Trekkel"));
    QApplication::setApplicationVersion(QStringLiteral("%1.%2.%3")
                                            .arg(QEL_VERSION_MAJOR)
                                            .arg(QEL_VERSION_MINOR)
                                            .arg(QEL_VERSION_PATCH));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/qel/icons/qel-trekkel")));
    qel::installAccessibleRoles();

    int result = 0;
    {
        qel::WindowsDrives drives;
        qel::DeviceWatcher deviceWatcher;
        qapp.installNativeEventFilter(&deviceWatcher);
        qel::WindowsDirectoryLister lister(drives);
        const QString hostProgramDir = QDir::toNativeSeparators(QCoreApplication::applicationDirPath());
        const QString programDir = programDirectory(drives, hostProgramDir);
        qel::AppObject app(programDir, QEL_VERSION_MAJOR, QEL_VERSION_MINOR, QEL_VERSION_PATCH);
        qel::QtDialogs dialogs(app);
        qel::HelpWindowViewer help(drives, programDir, hostProgramDir.toUtf8());
        qel::WindowsRegistry registry;
        qel::WindowsLauncher launcher(drives);
        auto makeFileSystemObject = [&drives]() -> std::unique_ptr<qel::FileSystemObject> {
            return std::make_unique<qel::WindowsFileSystemObject>(drives);
        };
        qel::Services services{app,  drives,   lister,   dialogs,
                               help, registry, launcher, makeFileSystemObject};
        qel::installContextHelp(qapp, help, app);

        auto module1 = std::make_unique<qel::Module1>(services);
        QObject::connect(&deviceWatcher, &qel::DeviceWatcher::changed, &deviceWatcher, [&module1] {
            if (qel::FrmMain* form = module1 ? module1->MainForm() : nullptr)
                form->refreshDrives();
        });
        try {
            module1->Main();
            // A check that the installed program starts: leave once the main
            // window is up, saying so. (Wine passes no QT_ variables, so the
            // switch is a variable of the program's own.)
            if (qgetenv("QEL_TREKKEL_SMOKE_RUN") == "1")
                QTimer::singleShot(0, &qapp, [&module1]() {
                    const qel::FrmMain* window = module1->MainForm();
                    if (!window || !window->isVisible())
                        return QApplication::exit(EXIT_FAILURE);
                    std::printf("QEL_Trekkel: shown: %s\n", qPrintable(window->windowTitle()));
                    std::fflush(stdout);
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
