#pragma once

#include "FakeDialogs.h"
#include "FakeHelpViewer.h"
#include "FakeLauncher.h"
#include "FakeRegistry.h"
#include "GuiApp.h"
#include "TempDriveTable.h"
#include "backup/RunRecord.h"
#include "platform/AppObject.h"
#include "platform/Services.h"
#include "platform/linux/LinuxPlatform.h"

namespace qel::test {

// The program's real drives, lists and file system over a temporary drive
// table (A: a removable folder or no medium, C: with C:\DATA\ACCT1 holding QEL
// files, D:), the lists opening on C:\DATA; message boxes and help scripted.
struct AppHarness {
    explicit AppHarness(bool floppyReady = true, int revision = 0)
        : app(QStringLiteral("C:\\QEL"), 1, 0, revision) {
        if (floppyReady)
            table.addDrive(u'A', table.makeDir(QStringLiteral("a")));
        else
            table.addDanglingDrive(u'A');
        table.addDrive(u'C', table.makeDir(QStringLiteral("c")));
        table.addDrive(u'D', table.makeDir(QStringLiteral("d")));
        table.makeFile(QStringLiteral("c/DATA/ACCT1/ACCT1.CVT"), "cvt");
        table.makeFile(QStringLiteral("c/DATA/ACCT1/PORT.HST"), "hst");
        table.makeFile(QStringLiteral("c/DATA/ACCT1/WINCORV.EXE"), "exe");
        table.setCurrentDir(table.root() + QStringLiteral("/c/DATA"));
    }

    QApplication& qapp = guiApp(); // first: the platform reads the program's folder from it
    TempDriveTable table;
    // No bus: the table's links are all its drives.
    LinuxPlatform platform{DriveTableSources::system(), [] { return QDBusConnection(QString()); }};
    AppObject app;
    FakeDialogs dialogs;
    FakeHelpViewer help;
    FakeRegistry registry;
    FakeLauncher launcher;
    RunRecord record{table.root() + QStringLiteral("/backup.log")};
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
