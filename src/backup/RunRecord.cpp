#include "backup/RunRecord.h"

#include "backup/BackupRun.h"
#include "platform/DosPath.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

namespace qel {

namespace {

const QString CompleteText = QStringLiteral("complete");
const QString InterruptedText = QStringLiteral("interrupted");
constexpr QChar Separator = u'\t';

QString endText(const BackupResult& result) {
    switch (result.outcome) {
    case BackupResult::Outcome::Complete:
        return CompleteText;
    case BackupResult::Outcome::Declined:
        return QStringLiteral("declined");
    case BackupResult::Outcome::Ended:
        return QStringLiteral("ended");
    case BackupResult::Outcome::NoData:
    case BackupResult::Outcome::BrokenOff:
    case BackupResult::Outcome::Busy:
        break;
    }
    return result.message;
}

QString outcomeText(const BackupResult& result) {
    if (result.untold.isEmpty())
        return endText(result);
    return endText(result) + QStringLiteral(" (not notified: ") + result.untold + u')';
}

// A field may not break the line or its columns.
QString field(QString text) {
    for (QChar& c : text)
        if (c == Separator || c == u'\n' || c == u'\r')
            c = u' ';
    return text;
}

// The whole lines of the file; a last line without its line end was torn.
QList<QByteArray> wholeLines(const QByteArray& content) {
    QList<QByteArray> lines = content.split('\n');
    lines.removeLast(); // after the last line end: empty, or a torn line
    return lines;
}

std::optional<RecordedRun> parse(const QByteArray& line) {
    const QStringList fields = QString::fromUtf8(line).split(Separator);
    if (fields.size() != 5)
        return std::nullopt;
    RecordedRun run{QDateTime::fromString(fields[0], Qt::ISODate), fields[1], fields[2],
                    fields[3].chopped(fields[3].endsWith(u'%') ? 1 : 0).toInt(), fields[4]};
    if (!run.time.isValid())
        return std::nullopt;
    return run;
}

bool sameFolder(const DosPath& a, const DosPath& b) {
    return a.toString().compare(b.toString(), Qt::CaseInsensitive) == 0;
}

} // namespace

bool RecordedRun::complete() const {
    return outcome == CompleteText;
}

bool RecordedRun::interrupted() const {
    return outcome == InterruptedText;
}

RunRecord::RunRecord(QString filePath)
    : m_filePath(std::move(filePath)) {}

namespace {

QByteArray lineOf(const QDateTime& when, const QString& source, const QString& destination,
                  int progress, const QString& outcome) {
    const QStringList fields{when.toOffsetFromUtc(when.offsetFromUtc()).toString(Qt::ISODate),
                             field(source), field(destination), QString::number(progress) + u'%',
                             field(outcome)};
    return fields.join(Separator).toUtf8() + '\n';
}

} // namespace

QString RunRecord::append(const BackupResult& result, const QDateTime& when) const {
    return write(
        lineOf(when, result.source, result.destination, result.progress, outcomeText(result)), {});
}

QByteArray RunRecord::begin(const QString& source, const QString& destination,
                            const QDateTime& when) const {
    const QByteArray line = lineOf(when, source, destination, 0, InterruptedText);
    return write(line, {}).isEmpty() ? line : QByteArray();
}

QString RunRecord::finish(const QByteArray& begun, const BackupResult& result,
                          const QDateTime& when) const {
    return write(
        lineOf(when, result.source, result.destination, result.progress, outcomeText(result)),
        begun);
}

QString RunRecord::write(const QByteArray& line, const QByteArray& replacing) const {
    if (!QDir().mkpath(QFileInfo(m_filePath).path()))
        return QStringLiteral("cannot make the folder of ") + m_filePath;
    QFile file(m_filePath);
    QByteArray content;
    if (file.open(QIODevice::ReadOnly))
        content = file.readAll();
    file.close();

    QList<QByteArray> lines = wholeLines(content);
    const qsizetype begun = replacing.isEmpty() ? -1 : lines.lastIndexOf(replacing.chopped(1));
    if (begun < 0 && lines.size() < MaxLines) {
        // One write with O_APPEND: the line lands whole after every other.
        const QByteArray write = content.isEmpty() || content.endsWith('\n') ? line : '\n' + line;
        if (!file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered) ||
            file.write(write) != write.size())
            return m_filePath + QStringLiteral(": ") + file.errorString();
        return {};
    }

    // Changed or trimmed in a new file that replaces the old one whole.
    if (begun >= 0)
        lines[begun] = line.chopped(1);
    else
        lines.append(line.chopped(1));
    QSaveFile whole(m_filePath);
    if (!whole.open(QIODevice::WriteOnly))
        return m_filePath + QStringLiteral(": ") + whole.errorString();
    for (qsizetype i = std::max<qsizetype>(0, lines.size() - MaxLines); i < lines.size(); ++i)
        whole.write(lines[i] + '\n');
    if (!whole.commit())
        return m_filePath + QStringLiteral(": ") + whole.errorString();
    return {};
}

RunRecord::Last RunRecord::last(const QString& source) const {
    const std::optional<DosPath> wanted = DosPath::parse(source);
    QFile file(m_filePath);
    if (!wanted || !file.open(QIODevice::ReadOnly))
        return {};
    const QList<QByteArray> lines = wholeLines(file.readAll());
    Last last;
    for (auto it = lines.crbegin(); it != lines.crend() && !last.complete; ++it) {
        std::optional<RecordedRun> run = parse(*it);
        if (!run || (!run->complete() && !run->interrupted()))
            continue;
        if (const std::optional<DosPath> recorded = DosPath::parse(run->source);
            !recorded || !sameFolder(*recorded, *wanted))
            continue;
        if (run->complete())
            last.complete = std::move(run);
        else
            last.interruptedSince = std::move(run);
    }
    // Only one onto the same folder can have mixed two backups there.
    if (last.interruptedSince && last.complete &&
        last.interruptedSince->destination.compare(last.complete->destination,
                                                   Qt::CaseInsensitive) != 0)
        last.interruptedSince.reset();
    return last;
}

QString defaultRunRecordPath() {
    return QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation) +
           QStringLiteral("/backup.log");
}

BackupResult runRecorded(BackupRun& run, const RunRecord& record, QString& unrecorded,
                         const std::function<QString(const BackupResult&)>& tell) {
    QByteArray begun;
    run.onFirstWrite([&](const QString& source, const QString& destination) {
        begun = record.begin(source, destination, QDateTime::currentDateTime());
    });
    BackupResult result = run.cmd_BackupDefault_Click();
    if (tell && result.outcome != BackupResult::Outcome::Complete)
        result.untold = tell(result);
    unrecorded = begun.isEmpty() ? record.append(result, QDateTime::currentDateTime())
                                 : record.finish(begun, result, QDateTime::currentDateTime());
    return result;
}

} // namespace qel
