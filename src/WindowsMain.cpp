// QEL Trekkel on Windows: the same windows and logic, the system's own services.

#include "app/ProgramRun.h"
#include "cli/CommandLineStart.h"
#include "controls/FormLayout.h"
#include "platform/windows/DeviceWatcher.h"
#include "platform/windows/WindowsPlatform.h"

#include <QApplication>

#include "platform/windows/Win32.h"

int main(int argc, char* argv[]) {
    // An empty floppy or card drive answers with an error, never with the
    // system's own "no disk" box, which the program's messages replace.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    if (qel::wantsCommandLine(argc))
        return qel::startCommandLine(argc, argv);

    // Qt's own FreeType engine, not the system's: the windows' face under
    // Wine, Liberation Sans, asks in its gasp table for grid-fitted glyphs
    // without smoothing from 9 to 17 pixels (8 pt at 96, 120 and 144 DPI).
    // GDI and DirectWrite obey it and draw those jagged glyphs at the places
    // Qt measured from the unhinted outlines, so words run together or break
    // apart. FreeType measures what it draws, smoothed at every size.
    const bool chooseEngine = qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
    if (chooseEngine)
        qputenv("QT_QPA_PLATFORM", "windows:fontengine=freetype");
    QApplication qapp(argc, argv);
    // Programs started from here (System Info) choose their own.
    if (chooseEngine)
        qunsetenv("QT_QPA_PLATFORM");
    qel::ProgramRun::describeApplication();
    // Message boxes, menus, tooltips and the help window in the windows' own
    // face, not the system's fonts (this also drops Qt's per-class ones):
    // under Wine those are Wine's Tahoma, whose sizes up to 16 pixels are
    // pixel drawings (embedded bitmaps) that lose strokes when drawn scaled
    // for 125 or 150 %; the windows' face is outlines only.
    qapp.setFont(qel::classicFont(8.25));

    qel::WindowsPlatform platform;
    qel::DeviceWatcher deviceWatcher;
    qapp.installNativeEventFilter(&deviceWatcher);
    qel::ProgramRun run(platform);
    QObject::connect(&deviceWatcher, &qel::DeviceWatcher::changed, &deviceWatcher,
                     [&run] { run.drivesChanged(); });
    return run.exec();
}
