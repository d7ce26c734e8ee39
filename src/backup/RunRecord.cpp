#include "backup/RunRecord.h"

#include "platform/DosPath.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

namespace qel {

namespace {

const QString CompleteText = QStringLiteral("complete");
constexpr QChar Separator = u'\t';

QString outcomeText(const BackupResult& result) {
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

RunRecord::RunRecord(QString filePath)
    : m_filePath(std::move(filePath)) {}

QString RunRecord::append(const BackupResult& result, const QDateTime& when) const {
    const QStringList fields{when.toOffsetFromUtc(when.offsetFromUtc()).toString(Qt::ISODate),
                             field(result.source), field(result.destination),
                             QString::number(result.progress) + u'%', field(outcomeText(result))};
    const QByteArray line = fields.join(Separator).toUtf8() + '\n';

    if (!QDir().mkpath(QFileInfo(m_filePath).path()))
        return QStringLiteral("cannot make the folder of ") + m_filePath;
    QFile file(m_filePath);
    QByteArray content;
    if (file.open(QIODevice::ReadOnly))
        content = file.readAll();
    file.close();

    const QList<QByteArray> lines = wholeLines(content);
    if (lines.size() < MaxLines) {
        // One write with O_APPEND: the line lands whole after every other.
        const QByteArray write = content.isEmpty() || content.endsWith('\n') ? line : '\n' + line;
        if (!file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered) ||
            file.write(write) != write.size())
            return m_filePath + QStringLiteral(": ") + file.errorString();
        return {};
    }

    // Trimmed into a new file that replaces the old one whole.
    QSaveFile trimmed(m_filePath);
    if (!trimmed.open(QIODevice::WriteOnly))
        return m_filePath + QStringLiteral(": ") + trimmed.errorString();
    for (qsizetype i = lines.size() - (MaxLines - 1); i < lines.size(); ++i)
        trimmed.write(lines[i] + '\n');
    trimmed.write(line);
    if (!trimmed.commit())
        return m_filePath + QStringLiteral(": ") + trimmed.errorString();
    return {};
}

std::optional<RecordedRun> RunRecord::lastComplete(const QString& source) const {
    const std::optional<DosPath> wanted = DosPath::parse(source);
    QFile file(m_filePath);
    if (!wanted || !file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QList<QByteArray> lines = wholeLines(file.readAll());
    for (auto it = lines.crbegin(); it != lines.crend(); ++it) {
        const std::optional<RecordedRun> run = parse(*it);
        if (!run || !run->complete())
            continue;
        if (const std::optional<DosPath> recorded = DosPath::parse(run->source);
            recorded && sameFolder(*recorded, *wanted))
            return run;
    }
    return std::nullopt;
}

QString defaultRunRecordPath() {
    return QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation) +
           QStringLiteral("/backup.log");
}

} // namespace qel
