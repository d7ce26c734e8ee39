#pragma once

#include "FakeDialogs.h"
#include "FakeHelpViewer.h"
#include "FakeLauncher.h"
#include "FakeRegistry.h"
#include "GuiApp.h"
#include "backup/RunRecord.h"
#include "platform/AppObject.h"
#include "platform/Services.h"
#include "platform/windows/WindowsPlatform.h"

#include <QTemporaryDir>

namespace qel::test {

// The program's real Windows drives, lists and file system, as the machine
// (or Wine prefix) has them; message boxes and help scripted.
struct AppHarness {
    QApplication& qapp = guiApp(); // first: the platform reads the program's folder from it
    WindowsPlatform platform;
    AppObject app{QStringLiteral("C:\\QEL"), 1, 0, 0};
    FakeDialogs dialogs;
    FakeHelpViewer help;
    FakeRegistry registry;
    FakeLauncher launcher;
    QTemporaryDir recordDir;
    RunRecord record{recordDir.filePath(QStringLiteral("backup.log"))};
    Services services{app,
                      platform.drives(),
                      platform.lister(),
                      dialogs,
                      registry,
                      launcher,
                      platform.scheduler(),
                      platform.notifier(),
                      [this] { return platform.makeFileSystemObject(); },
                      record};
};

} // namespace qel::test
