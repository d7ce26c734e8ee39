#pragma once

#include "backup/BackupResult.h"

#include <QDateTime>
#include <QString>
#include <optional>

namespace qel {

// One line of the record: when a run ended, what it copied where, and how it ended.
struct RecordedRun {
    QDateTime time;
    QString source;
    QString destination;
    int progress = 0;
    QString outcome; // "complete", "declined", "ended", or the message of the failure

    bool complete() const;
};

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

    // The newest complete run whose source is source (a DOS path, compared as
    // DOS paths are: without regard to case or doubled separators).
    std::optional<RecordedRun> lastComplete(const QString& source) const;

private:
    QString m_filePath;
};

// backup.log in the platform's application data folder.
QString defaultRunRecordPath();

} // namespace qel
