#pragma once

#include "FakeDialogs.h"
#include "FakeHelpViewer.h"
#include "FakeLauncher.h"
#include "FakeRegistry.h"
#include "platform/AppObject.h"
#include "platform/Services.h"
#include "platform/windows/WindowsDirectoryLister.h"
#include "platform/windows/WindowsDrives.h"
#include "platform/windows/WindowsFileSystemObject.h"

#include <QApplication>

namespace qel::test {

// The one QApplication of a widget test binary, made on first use.
inline QApplication& guiApp() {
    static int argc = 1;
    static char name[] = "qel-app-test";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

// The program's real Windows drives, lists and file system, as the machine
// (or Wine prefix) has them; message boxes and help scripted.
struct AppHarness {
    AppHarness()
        : app(QStringLiteral("C:\\QEL"), 1, 0, 0) {
        guiApp();
    }

    WindowsDrives drives;
    WindowsDirectoryLister lister{drives};
    AppObject app;
    FakeDialogs dialogs;
    FakeHelpViewer help;
    FakeRegistry registry;
    FakeLauncher launcher;
    Services services{app,
                      drives,
                      lister,
                      dialogs,
                      help,
                      registry,
                      launcher,
                      [this]() -> std::unique_ptr<FileSystemObject> {
                          return std::make_unique<WindowsFileSystemObject>(drives);
                      }};
};

} // namespace qel::test
