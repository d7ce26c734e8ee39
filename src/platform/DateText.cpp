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

// The locale's short date format with the year in four digits: two-digit
// years cannot tell 1926 from 2026.
QString shortDateFormatWithFullYear(const QLocale& locale) {
    const QString format = locale.dateFormat(QLocale::ShortFormat);
    QString out;
    bool quoted = false;
    for (qsizetype i = 0; i < format.size(); ++i) {
        const QChar c = format[i];
        if (c == u'\'')
            quoted = !quoted;
        if (quoted || c != u'y') {
            out += c;
            continue;
        }
        qsizetype run = 1;
        while (i + run < format.size() && format[i + run] == u'y')
            ++run;
        out += QStringLiteral("yyyy");
        i += run - 1;
    }
    return out;
}

} // namespace

QString dateText(const QDateTime& dateTime, const QLocale& locale) {
    if (!dateTime.isValid())
        return {};
    const QDateTime local = dateTime.toLocalTime();
    const QString date = locale.toString(local.date(), shortDateFormatWithFullYear(locale));
    const QTime time = local.time();
    if (time.hour() == 0 && time.minute() == 0 && time.second() == 0)
        return date;
    return date + u' ' + locale.toString(time, longTimeFormatWithoutZone(locale));
}

} // namespace qel
