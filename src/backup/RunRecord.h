#pragma once

#include "backup/BackupResult.h"

#include <QDateTime>
#include <QString>
#include <functional>
#include <optional>

namespace qel {

// One line of the record: when a run ended, what it copied where, and how it ended.
struct RecordedRun {
    QDateTime time;
    QString source;
    QString destination;
    int progress = 0;
    // "complete", "declined", "ended", "interrupted" (it never ended: the
    // program died or the machine went off), or the message of the failure
    QString outcome;

    bool complete() const;
    bool interrupted() const;
};

class BackupRun;

// The record of every backup run: a text file of one tab-separated line per
// run (time, source, destination, progress, outcome), the newest last, kept
// to its last MaxLines lines. A line is written with one append, or the file
// is replaced whole when it is trimmed, so a crash leaves a line whole or
// absent; a torn last line from elsewhere is ignored.
class RunRecord final {
public:
    static constexpr int MaxLines = 1000;

    explicit RunRecord(QString filePath);

    const QString& filePath() const { return m_filePath; }

    // Adds the line of a run that ended at when. Returns why it could not be
    // written (the folder or file refused), empty when it was.
    QString append(const BackupResult& result, const QDateTime& when) const;

    // The line of a run that is about to write, "interrupted" until finish
    // replaces it with the line of how it ended; returns that line.
    QByteArray begin(const QString& source, const QString& destination,
                     const QDateTime& when) const;
    // Replaces the line begin gave with result's (or adds it, begin's being
    // gone); the file is replaced whole. Returns why not, empty when done.
    QString finish(const QByteArray& begun, const BackupResult& result,
                   const QDateTime& when) const;

    // The newest complete run whose source is source (a DOS path, compared as
    // DOS paths are: without regard to case or doubled separators), and the
    // newest run of it since then that was interrupted onto the same folder.
    struct Last {
        std::optional<RecordedRun> complete;
        std::optional<RecordedRun> interruptedSince;
    };
    Last last(const QString& source) const;

private:
    // Appends line, or puts it in place of replacing where that is found.
    QString write(const QByteArray& line, const QByteArray& replacing) const;

    QString m_filePath;
};

// backup.log in the platform's application data folder.
QString defaultRunRecordPath();

// Runs the button's run with its line in record: written before the run's
// first write and completed when it ends. A run that did not complete is
// first given to tell, if any, which says why the person could not be told
// of it (empty when they were); the line says so too. Returns how it ended;
// unrecorded says why the line could not be written, empty when it was.
BackupResult runRecorded(BackupRun& run, const RunRecord& record, QString& unrecorded,
                         const std::function<QString(const BackupResult&)>& tell = {});

} // namespace qel
