#include "backup/BackupRun.h"

#include "backup/PlayCopyAnimation.h"
#include "backup/ProgressWindow.h"
#include "platform/AppObject.h"
#include "platform/Controls.h"
#include "platform/Dialogs.h"
#include "platform/Error.h"
#include "platform/FileSystemObject.h"

#include <array>

namespace qel {

namespace {

struct Step {
    const char* suffix;
    int progress;
};

// The data files go into the destination folder; the program's executable,
// the last step, goes into the destination drive's root.
constexpr std::array<Step, 5> Steps{{
    {"\\*.HST", 20},
    {"\\*.CVD", 40},
    {"\\*.CVT", 60},
    {"\\*.XPT", 80},
    {"\\WINCORV.EXE", 100},
}};
constexpr int RootStep = 4;

const QString OwnTitle = QStringLiteral("QEL Trekkel");

} // namespace

// The working values of one run. The lines and the bar value are kept so the
// run can put its window back after a nested run unloaded it.
struct BackupRun::Run {
    QString source;
    QString destination;
    QString destinationFolder;
    QString destinationInUse; // whose drive letter the "insert a disk" message names
    int windowGeneration = 0;
    bool clipPlaying = false;
    QString sourceLine;
    QString destinationLine;
    int progress = 0;
    // The last failure shown, for the run's result.
    int errorNumber = 0;
    QString message;
};

BackupRun::BackupRun(const FileList& file1, const DirList& dir1, const DriveList& drive2,
                     ProgressWindow& progress, Dialogs& dialogs, AppObject& app,
                     std::function<FileSystemObject&()> fso)
    : m_file1(file1)
    , m_dir1(dir1)
    , m_drive2(drive2)
    , m_progress(progress)
    , m_dialogs(dialogs)
    , m_app(app)
    , m_fso(std::move(fso)) {}

BackupResult BackupRun::cmd_BackupDefault_Click() {
    BackupResult result;
    result.source = m_dir1.Path();
    result.destination = destinationDrive();
    bool valid = false;
    try {
        valid = hasValidEntry();
    } catch (const Error& e) {
        // Nothing has been shown yet, so there is nothing to tidy up.
        m_dialogs.MsgBox(e.description(), BoxKind::Error, Icon::Exclamation, DefaultButton::First,
                         QString());
        result.outcome = BackupResult::Outcome::BrokenOff;
        result.errorNumber = e.number();
        result.message = e.description();
        return result;
    }
    if (!valid) {
        result.outcome = BackupResult::Outcome::NoData;
        result.message = QStringLiteral("There are no valid Corvane QEL files to backup. Please "
                                        "choose another directory");
        m_dialogs.MsgBox(result.message, BoxKind::Notice, Icon::None, DefaultButton::First, QString());
        return result;
    }

    const QString question = QStringLiteral("Backing up to drive ") + m_drive2.Drive() +
                             QStringLiteral(". Is this right?");
    if (m_dialogs.MsgBox(question, BoxKind::Confirmation, Icon::Question, DefaultButton::Second,
                         QString()) != Answer::Yes) {
        result.outcome = BackupResult::Outcome::Declined;
        return result;
    }

    // No other run, of this program or another, writes to the drive meanwhile.
    std::shared_ptr<void> hold;
    try {
        hold = m_fso().holdDrive(destinationDrive());
    } catch (const Error& e) {
        result.outcome = BackupResult::Outcome::Busy;
        result.errorNumber = e.number();
        result.message = e.description();
        m_dialogs.MsgBox(e.description(), BoxKind::Error, Icon::Exclamation, DefaultButton::First,
                         QString());
        return result;
    }
    // What the drive holds at this answer is the medium the run writes to.
    m_fso().beginRun(destinationDrive());
    if (m_firstWrite)
        m_firstWrite(m_dir1.Path(), destinationFolder());
    Run run;
    startWindow(run);

    Outcome outcome;
    do {
        outcome = copyFromRestartPoint(run);
        // OK to "Please insert a disk": the disk in the drive now is the one asked for.
        if (outcome == Outcome::Restart)
            m_fso().beginRun(destinationDrive());
    } while (outcome == Outcome::Restart);

    result.source = m_dir1.Path();
    result.destination = run.destinationFolder;
    result.progress = run.progress;
    result.errorNumber = run.errorNumber;
    result.message = run.message;
    if (outcome == Outcome::Ended) {
        result.outcome = BackupResult::Outcome::Ended;
        return result;
    }
    closeWindow();
    if (outcome == Outcome::BreakOff) {
        result.outcome = BackupResult::Outcome::BrokenOff;
        return result;
    }
    m_dialogs.MsgBox(QStringLiteral("Backup Complete"), BoxKind::Notice, Icon::None,
                     DefaultButton::First, OwnTitle);
    return result;
}

bool BackupRun::hasValidEntry() const {
    // Case matters and the marker may stand anywhere: "A.CVT.OLD" counts, "acct.cvt" does not.
    for (int i = 0; i < m_file1.ListCount(); ++i)
        if (m_file1.List(i).contains(QLatin1String(".CVT"), Qt::CaseSensitive))
            return true;
    return false;
}

QString BackupRun::destinationDrive() const {
    // Paths take the letter and colon only; a label behind them ("a: [STICK]")
    // would otherwise end up inside every destination path.
    return m_drive2.Drive().left(2);
}

QString BackupRun::destinationFolder() const {
    const QString sourceDir = m_dir1.Path();
    const qsizetype lastSeparator = sourceDir.lastIndexOf(u'\\');
    return destinationDrive() + (lastSeparator < 0 ? sourceDir : sourceDir.mid(lastSeparator));
}

BackupRun::Outcome BackupRun::copyFromRestartPoint(Run& run) {
    run.destinationFolder = destinationFolder();
    run.destinationInUse = run.destinationFolder;

    Outcome outcome = guarded(run, [&] {
        FileSystemObject& fso = m_fso();
        if (!fso.FolderExists(run.destinationFolder))
            fso.CreateFolder(run.destinationFolder);
    });
    if (outcome != Outcome::GoOn)
        return outcome;

    for (int i = 0; i < int(Steps.size()); ++i) {
        run.source = m_dir1.Path() + QLatin1String(Steps[i].suffix);
        if (i == 0)
            run.destination = run.destinationFolder + u'\\';
        if (i == RootStep) {
            run.destination = destinationDrive() + u'\\';
            run.destinationInUse = run.destination;
        }
        setSourceLine(run, QStringLiteral("From:  ") + run.source);
        if (i == 0 || i == RootStep)
            setDestinationLine(run, QStringLiteral("  To:  ") + run.destination);

        if (!yieldToUser(run))
            return Outcome::Ended;

        outcome = guarded(run, [&] {
            FileSystemObject& fso = m_fso();
            // On a worker thread, so the window and its clip keep moving during a long copy.
            m_dialogs.runWithoutInput([&] { fso.CopyFile(run.source, run.destination, true); });
        });
        if (outcome != Outcome::GoOn)
            return outcome;
        setProgress(run, Steps[i].progress);
    }
    return Outcome::GoOn;
}

BackupRun::Outcome BackupRun::guarded(Run& run, const std::function<void()>& action) {
    try {
        action();
        return Outcome::GoOn;
    } catch (const Error& e) {
        return handleError(e, run);
    }
}

BackupRun::Outcome BackupRun::handleError(const Error& error, Run& run) {
    run.errorNumber = error.number();
    switch (error.number()) {
    case err::FileNotFound: {
        run.message = QStringLiteral("File ") + run.source +
                      QStringLiteral("is not found. The file will not be backed up.");
        return m_dialogs.MsgBox(run.message, BoxKind::FileNotFound, Icon::Critical,
                                DefaultButton::First, OwnTitle) == Answer::OK
                   ? Outcome::GoOn
                   : Outcome::BreakOff;
    }
    case err::PermissionDenied:
    case err::DiskNotReady: { // no medium: the case the message is for
        run.message = QStringLiteral("Please insert a disk in drive ") +
                      run.destinationInUse.left(1) + u'.';
        return m_dialogs.MsgBox(run.message, BoxKind::DiskRequest, Icon::Critical,
                                DefaultButton::First, OwnTitle) == Answer::OK
                   ? Outcome::Restart
                   : Outcome::BreakOff;
    }
    default:
        run.message = error.description();
        m_dialogs.MsgBox(run.message, BoxKind::Error, Icon::Exclamation, DefaultButton::First,
                         QString());
        return Outcome::BreakOff;
    }
}

bool BackupRun::yieldToUser(Run& run) {
    m_dialogs.DoEvents();
    // A confirmed Exit ends the program here: no further step, message or window call.
    if (m_app.hasEnded())
        return false;
    if (run.windowGeneration != m_windowGeneration) {
        // A run started in this yield has finished and unloaded the window.
        const bool hadClip = run.clipPlaying;
        m_progress.show();
        run.windowGeneration = m_windowGeneration;
        if (hadClip)
            run.clipPlaying = PlayCopyAnimation(m_progress.animation(), m_dialogs);
        if (!run.sourceLine.isNull())
            m_progress.setSourceLine(run.sourceLine);
        if (!run.destinationLine.isNull())
            m_progress.setDestinationLine(run.destinationLine);
        if (run.progress != 0)
            m_progress.setProgress(run.progress);
    }
    return true;
}

void BackupRun::startWindow(Run& run) {
    m_progress.show();
    run.windowGeneration = m_windowGeneration;
    run.clipPlaying = PlayCopyAnimation(m_progress.animation(), m_dialogs);
}

void BackupRun::setSourceLine(Run& run, const QString& text) {
    run.sourceLine = text;
    m_progress.setSourceLine(text);
}

void BackupRun::setDestinationLine(Run& run, const QString& text) {
    run.destinationLine = text;
    m_progress.setDestinationLine(text);
}

void BackupRun::setProgress(Run& run, int value) {
    run.progress = value;
    m_progress.setProgress(value);
}

void BackupRun::closeWindow() {
    Animation& animation = m_progress.animation();
    animation.Stop();
    animation.Close();
    m_progress.unload();
    ++m_windowGeneration;
}

} // namespace qel
