#include "cli/CommandLine.h"

#include "backup/BackupRun.h"
#include "backup/RunRecord.h"
#include "cli/ConsoleDialogs.h"
#include "cli/FixedControls.h"
#include "platform/DosPath.h"
#include "platform/Drives.h"
#include "platform/Error.h"
#include "platform/FileSystemObject.h"
#include "platform/Notifier.h"
#include "platform/Platform.h"
#include "platform/Scheduler.h"
#include "platform/Services.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

namespace qel {

namespace {

const char* const Usage = "Usage: QEL_Trekkel --backup SOURCE --to DRIVE [--notify]\n"
                          "       QEL_Trekkel --backup SOURCE --to DRIVE --schedule daily HH:MM\n"
                          "       QEL_Trekkel --backup SOURCE --to DRIVE --unschedule\n"
                          "       QEL_Trekkel --last SOURCE [--older-than DAYS]\n"
                          "       QEL_Trekkel --help | --version\n";

const char* const ExitCodes = "Exit codes:\n"
                              "  0   the backup is complete\n"
                              "  1   any other error (--last: no complete backup, or too old)\n"
                              "  2   SOURCE holds no QEL data\n"
                              "  3   DRIVE is not ready (no disk, or it refuses writing)\n"
                              "  4   the disk is full\n"
                              "  5   another backup to DRIVE was running\n"
                              "  64  usage error\n";

// A mistake in the command line itself, said in one line.
struct UsageError {
    QString message;
};

void write(std::FILE* to, const QString& text) {
    std::fputs(text.toLocal8Bit().constData(), to);
    std::fflush(to);
}

// SOURCE as the program names folders: a DOS path, or a host path through
// the drive table.
QString sourceFolder(const QString& text, const Drives& drives) {
    if (const std::optional<DosPath> dos = DosPath::parse(text))
        return dos->toString();
    const QString host = QDir::toNativeSeparators(QFileInfo(text).absoluteFilePath());
    if (const std::optional<QString> dos = drives.toDosPath(host.toUtf8()))
        return *dos;
    throw UsageError{QStringLiteral("no drive holds ") + text};
}

// DRIVE as the destination list offers it: "a:" (or "a", "a:\"), a letter of the table.
FixedDriveList destinationDrive(const QString& text, const Drives& drives) {
    static const QRegularExpression driveText(QStringLiteral("^[A-Za-z]:?\\\\?$"));
    if (!driveText.match(text).hasMatch())
        throw UsageError{QStringLiteral("not a drive: ") + text};
    const QList<DriveEntry> entries = drives.entries();
    for (int i = 0; i < entries.size(); ++i)
        if (entries[i].letter == text.front().toUpper())
            return FixedDriveList(entries, i);
    throw UsageError{QStringLiteral("no drive ") + text.left(1) + QStringLiteral(": here")};
}

int exitCodeOf(const BackupResult& result) {
    switch (result.outcome) {
    case BackupResult::Outcome::Complete:
        return exitcode::Complete;
    case BackupResult::Outcome::NoData:
        return exitcode::NoData;
    case BackupResult::Outcome::Declined: // neither happens without a window
    case BackupResult::Outcome::Ended:
        return exitcode::Failed;
    case BackupResult::Outcome::Busy:
        return exitcode::DriveBusy;
    case BackupResult::Outcome::BrokenOff:
        break;
    }
    switch (result.errorNumber) {
    case err::DeviceUnavailable:
    case err::PermissionDenied:
    case err::DiskNotReady:
        return exitcode::DriveNotReady;
    case err::DiskFull:
        return exitcode::DiskFull;
    default:
        return exitcode::Failed;
    }
}

// The files of SOURCE, which must be a folder.
FolderFileList sourceFiles(const QString& source, const DirectoryLister& lister) {
    try {
        return FolderFileList(lister, source);
    } catch (const Error& e) {
        throw UsageError{source + QStringLiteral(" is not a folder to back up: ") +
                         e.description()};
    }
}

// Tells the person that the backup of sourceText to driveText did not
// complete, in the words that ended it, and how to run it again. Returns why
// they could not be told (said on err too), empty when they were.
QString notifyNotComplete(const QString& sourceText, const QString& driveText,
                          const QString& message, const Services& services, std::FILE* err) {
    const QString again =
        QStringLiteral("To back up again, start QEL Trekkel or run: QEL_Trekkel --backup \"%1\" "
                       "--to %2")
            .arg(sourceText, driveText);
    const QString untold = services.notifier.notify(QStringLiteral("A QEL backup did not complete"),
                                                    message + u'\n' + again);
    if (!untold.isEmpty())
        write(err, QStringLiteral("QEL_Trekkel: not notified: ") + untold + u'\n');
    return untold;
}

int backup(const QString& sourceText, const QString& driveText, bool notify,
           const Services& services, std::FILE* err) {
    const QString source = sourceFolder(sourceText, services.drives);
    FixedDriveList drive = destinationDrive(driveText, services.drives);
    FolderFileList files = sourceFiles(source, services.lister);
    FixedDirList dir(source);
    HiddenProgressWindow progress;
    std::unique_ptr<FileSystemObject> fso;
    BackupRun run(files, dir, drive, progress, services.dialogs, services.app,
                  [&]() -> FileSystemObject& {
                      if (!fso)
                          fso = services.makeFileSystemObject();
                      return *fso;
                  });
    QString unrecorded;
    std::function<QString(const BackupResult&)> tell;
    if (notify)
        tell = [&](const BackupResult& result) {
            return notifyNotComplete(sourceText, driveText, result.message, services, err);
        };
    const BackupResult result = runRecorded(run, services.record, unrecorded, tell);
    if (!unrecorded.isEmpty())
        write(err, QStringLiteral("QEL_Trekkel: the run was not recorded: ") + unrecorded + u'\n');
    return exitCodeOf(result);
}

int last(const QString& sourceText, const QString& olderThan, const Services& services,
         std::FILE* out, std::FILE* err) {
    int days = -1;
    if (!olderThan.isNull()) {
        bool ok = false;
        days = olderThan.toInt(&ok);
        if (!ok || days < 0)
            throw UsageError{QStringLiteral("not a number of days: ") + olderThan};
    }
    const QString source = sourceFolder(sourceText, services.drives);
    const RunRecord::Last recorded = services.record.last(source);
    if (const std::optional<RecordedRun>& cut = recorded.interruptedSince) {
        write(err, QStringLiteral("QEL_Trekkel: the backup of ") + source + QStringLiteral(" to ") +
                       cut->destination + QStringLiteral(" started ") +
                       cut->time.toString(Qt::ISODate) +
                       QStringLiteral(" never ended: that folder may hold parts of two "
                                      "backups\n"));
        return exitcode::Failed;
    }
    const std::optional<RecordedRun>& run = recorded.complete;
    if (!run) {
        write(err, QStringLiteral("QEL_Trekkel: no complete backup of ") + source +
                       QStringLiteral(" is recorded\n"));
        return exitcode::Failed;
    }
    write(out, run->time.toString(Qt::ISODate) + u' ' + run->destination + u'\n');
    const bool tooOld = days >= 0 && run->time.addDays(days) < QDateTime::currentDateTime();
    return tooOld ? exitcode::Failed : exitcode::Complete;
}

// Schedules the backup daily at timeText, or removes its schedule (timeText null).
int changeSchedule(const QString& sourceText, const QString& driveText, const QString& timeText,
                   const Services& services, std::FILE* out, std::FILE* err) {
    QTime time;
    if (!timeText.isNull()) {
        time = QTime::fromString(timeText, QStringLiteral("H:mm"));
        if (!time.isValid())
            throw UsageError{QStringLiteral("not a time of day (HH:MM): ") + timeText};
    }
    const QString source = sourceFolder(sourceText, services.drives);
    const QString drive = destinationDrive(driveText, services.drives).Drive().left(2);
    sourceFiles(source, services.lister);
    const SchedulerReply reply = time.isValid() ? services.scheduler.schedule(source, drive, time)
                                                : services.scheduler.unschedule(source, drive);
    write(reply.done ? out : err, reply.message + u'\n');
    return reply.done ? exitcode::Complete : exitcode::Failed;
}

} // namespace

int runCommandLine(const QStringList& arguments, Platform& platform, std::FILE* out,
                   std::FILE* err) {
    ConsoleDialogs dialogs(err);
    const RunRecord record(defaultRunRecordPath());
    const Services services = platform.services(dialogs, record);

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Backs up the data files of the QEL investment program to a drive, "
                       "as the window's Backup QEL Files button does, without a window.\n\n") +
        QString::fromLatin1(ExitCodes));
    const QCommandLineOption backupOption(QStringLiteral("backup"),
                                          QStringLiteral("Back up the QEL data folder SOURCE."),
                                          QStringLiteral("SOURCE"));
    const QCommandLineOption toOption(QStringLiteral("to"),
                                      QStringLiteral("Into a folder of the same name on DRIVE."),
                                      QStringLiteral("DRIVE"));
    const QCommandLineOption lastOption(
        QStringLiteral("last"),
        QStringLiteral("Show the last complete backup of SOURCE (exit code 1 when none)."),
        QStringLiteral("SOURCE"));
    const QCommandLineOption olderOption(
        QStringLiteral("older-than"),
        QStringLiteral("With --last: exit code 1 also when that backup is older than DAYS days."),
        QStringLiteral("DAYS"));
    const QCommandLineOption scheduleOption(
        QStringLiteral("schedule"),
        QStringLiteral("With --backup and --to: run that backup every day at HH:MM (WHEN is "
                       "daily), through the system's own scheduler."),
        QStringLiteral("WHEN"));
    const QCommandLineOption unscheduleOption(
        QStringLiteral("unschedule"),
        QStringLiteral("With --backup and --to: remove that backup's schedule."));
    const QCommandLineOption notifyOption(
        QStringLiteral("notify"),
        QStringLiteral("With --backup and --to: when the backup does not complete, say so in a "
                       "desktop notification (a schedule's runs do)."));
    parser.addOptions({backupOption, toOption, lastOption, olderOption, scheduleOption,
                       unscheduleOption, notifyOption});
    const QCommandLineOption helpOption = parser.addHelpOption();
    const QCommandLineOption versionOption = parser.addVersionOption();

    try {
        if (!parser.parse(arguments))
            throw UsageError{parser.errorText()};
        if (parser.isSet(helpOption)) {
            write(out, parser.helpText());
            return exitcode::Complete;
        }
        if (parser.isSet(versionOption)) {
            write(out, QCoreApplication::applicationName() + u' ' +
                           QCoreApplication::applicationVersion() + u'\n');
            return exitcode::Complete;
        }
        const bool scheduleSet = parser.isSet(scheduleOption);
        const QStringList positional = parser.positionalArguments();
        if (positional.size() > (scheduleSet ? 1 : 0))
            throw UsageError{QStringLiteral("unexpected argument: ") + positional.constLast()};
        if (scheduleSet && (positional.isEmpty() || parser.value(scheduleOption) != u"daily"))
            throw UsageError{QStringLiteral("--schedule takes daily HH:MM")};
        if (scheduleSet && parser.isSet(unscheduleOption))
            throw UsageError{QStringLiteral("give either --schedule or --unschedule")};
        const bool backupSet = parser.isSet(backupOption);
        if (backupSet == parser.isSet(lastOption))
            throw UsageError{QStringLiteral("give either --backup or --last")};
        if (backupSet) {
            if (!parser.isSet(toOption))
                throw UsageError{QStringLiteral("--to DRIVE is missing")};
            if (parser.isSet(olderOption))
                throw UsageError{QStringLiteral("--older-than goes with --last")};
            if (scheduleSet || parser.isSet(unscheduleOption))
                return changeSchedule(parser.value(backupOption), parser.value(toOption),
                                      scheduleSet ? positional.constFirst() : QString(), services,
                                      out, err);
            const bool notify = parser.isSet(notifyOption);
            try {
                return backup(parser.value(backupOption), parser.value(toOption), notify, services,
                              err);
            } catch (const UsageError& e) {
                // A scheduled backup's folder or drive can go away after it was scheduled.
                if (notify)
                    notifyNotComplete(parser.value(backupOption), parser.value(toOption), e.message,
                                      services, err);
                throw;
            }
        }
        if (parser.isSet(toOption) || scheduleSet || parser.isSet(unscheduleOption) ||
            parser.isSet(notifyOption))
            throw UsageError{QStringLiteral("--to, --notify and schedules go with --backup")};
        return last(parser.value(lastOption),
                    parser.isSet(olderOption) ? parser.value(olderOption) : QString(), services,
                    out, err);
    } catch (const UsageError& e) {
        write(err,
              QStringLiteral("QEL_Trekkel: ") + e.message + u'\n' + QString::fromLatin1(Usage));
        return exitcode::Usage;
    }
}

} // namespace qel
