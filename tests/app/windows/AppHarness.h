#pragma once

#include "FakeDialogs.h"
#include "FakeHelpViewer.h"
#include "FakeLauncher.h"
#include "FakeRegistry.h"
#include "GuiApp.h"
#include "backup/RunRecord.h"
#include "platform/AppObject.h"
#include "platform/Services.h"
#include "platform/windows/WindowsDirectoryLister.h"
#include "platform/windows/WindowsDrives.h"
#include "platform/windows/WindowsFileSystemObject.h"

#include <QTemporaryDir>

namespace qel::test {

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
    QTemporaryDir recordDir;
    RunRecord record{recordDir.filePath(QStringLiteral("backup.log"))};
    Services services{app,
                      drives,
                      lister,
                      dialogs,
                      help,
                      registry,
                      launcher,
                      [this]() -> std::unique_ptr<FileSystemObject> {
                          return std::make_unique<WindowsFileSystemObject>(drives);
                      },
                      record};
};

} // namespace qel::test
