#include "platform/DateText.h"

namespace qel {

namespace {

// The locale's long time format without its time-zone field: the panel shows
// local times, and a zone name after every time only adds noise.
QString longTimeFormatWithoutZone(const QLocale& locale) {
    const QString format = locale.timeFormat(QLocale::LongFormat);
    QString out;
    bool quoted = false;
    for (const QChar c : format) {
        if (c == u'\'')
            quoted = !quoted;
        if (!quoted && c == u't')
            continue;
        out += c;
    }
    return out.trimmed();
}

} // namespace

QString dateText(const QDateTime& dateTime, const QLocale& locale) {
    if (!dateTime.isValid())
        return {};
    const QDateTime local = dateTime.toLocalTime();
    const QString date = locale.toString(local.date(), QLocale::ShortFormat);
    const QTime time = local.time();
    if (time.hour() == 0 && time.minute() == 0 && time.second() == 0)
        return date;
    return date + u' ' + locale.toString(time, longTimeFormatWithoutZone(locale));
}

} // namespace qel
