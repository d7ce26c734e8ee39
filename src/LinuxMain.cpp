// QEL Trekkel: backs up the data files of the QEL investment program.

#include "app/DisplayCheck.h"
#include "app/ProgramRun.h"
#include "cli/CommandLineStart.h"
#include "platform/linux/LinuxPlatform.h"
#include "platform/linux/MountWatcher.h"
#include "platform/linux/X11.h"

#include <QApplication>
#include <QTimer>
#include <cstdio>
#include <cstdlib>

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

    qel::LinuxPlatform platform;
    qel::UDisksMedia& media = platform.media();
    qel::MountWatcher mountWatcher;
    QObject::connect(&media, &qel::UDisksMedia::changed, &mountWatcher,
                     &qel::MountWatcher::noteChange);
    qel::ProgramRun run(platform);
    QObject::connect(&mountWatcher, &qel::MountWatcher::changed, &mountWatcher,
                     [&run] { run.drivesChanged(); });
    // A moment after the window is up: connecting to the bus takes a few
    // milliseconds that neither start-up nor the first paint waits for.
    return run.exec([&media] { QTimer::singleShot(300, &media, &qel::UDisksMedia::start); });
}
