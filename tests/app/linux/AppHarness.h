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
#include "platform/linux/LinuxDirectoryLister.h"
#include "platform/linux/LinuxDrives.h"
#include "platform/linux/LinuxFileSystemObject.h"

namespace qel::test {

// The program's real drives, lists and file system over a temporary drive
// table (A: a removable folder or no medium, C: with C:\DATA\ACCT1 holding QEL
// files, D:), the lists opening on C:\DATA; message boxes and help scripted.
struct AppHarness {
    explicit AppHarness(bool floppyReady = true, int revision = 0)
        : app(QStringLiteral("C:\\QEL"), 1, 0, revision) {
        guiApp();
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

    TempDriveTable table;
    LinuxDrives drives;
    LinuxDirectoryLister lister{drives};
    AppObject app;
    FakeDialogs dialogs;
    FakeHelpViewer help;
    FakeRegistry registry;
    FakeLauncher launcher;
    RunRecord record{table.root() + QStringLiteral("/backup.log")};
    Services services{app,
                      drives,
                      lister,
                      dialogs,
                      help,
                      registry,
                      launcher,
                      [this]() -> std::unique_ptr<FileSystemObject> {
                          return std::make_unique<LinuxFileSystemObject>(drives);
                      },
                      record};
};

} // namespace qel::test
