#pragma once

#include "backup/BackupResult.h"

#include <QString>
#include <functional>

namespace qel {

class AppObject;
class Dialogs;
class DirList;
class DriveList;
class Error;
class FileList;
class FileSystemObject;
class ProgressWindow;

// What the main window's "Backup QEL Files" button does: checks the source
// folder, asks for the destination drive, and copies the data files into a
// folder of the same name on that drive with the progress window up.
//
// The run reads the lists afresh whenever it needs them, because the user may
// change them while it yields before each copy; a second click in such a
// yield starts a nested run on the same object, so all working values of a run
// live on the stack of its own call.
class BackupRun final {
public:
    // fso gives the main window's file-system object, creating it on first use.
    BackupRun(const FileList& file1, const DirList& dir1, const DriveList& drive2,
              ProgressWindow& progress, Dialogs& dialogs, AppObject& app,
              std::function<FileSystemObject&()> fso);

    // The whole run; returns when it has completed, was declined or broken
    // off, or the program ended during one of its yields. Every failure is
    // shown to the user; none leaves this handler. The result says how it ended.
    BackupResult cmd_BackupDefault_Click();

    // Called with the source folder and the destination folder when a run
    // has its drive and is about to write, before it writes anything.
    void onFirstWrite(std::function<void(const QString&, const QString&)> hook) {
        m_firstWrite = std::move(hook);
    }

private:
    struct Run;
    enum class Outcome { GoOn, Restart, BreakOff, Ended };

    bool hasValidEntry() const;
    QString destinationDrive() const;
    QString destinationFolder() const;
    Outcome copyFromRestartPoint(Run& run);
    Outcome guarded(Run& run, const std::function<void()>& action);
    Outcome handleError(const Error& error, Run& run);
    bool yieldToUser(Run& run);
    void startWindow(Run& run);
    void setSourceLine(Run& run, const QString& text);
    void setDestinationLine(Run& run, const QString& text);
    void setProgress(Run& run, int value);
    void closeWindow();

    const FileList& m_file1;
    const DirList& m_dir1;
    const DriveList& m_drive2;
    ProgressWindow& m_progress;
    Dialogs& m_dialogs;
    AppObject& m_app;
    std::function<FileSystemObject&()> m_fso;
    std::function<void(const QString&, const QString&)> m_firstWrite;
    // Bumped whenever a run unloads the progress window, so a run that yielded
    // sees that a nested run took its window away and puts it back.
    int m_windowGeneration = 0;
};

} // namespace qel
