#pragma once

#include <QDateTime>
#include <QLocale>
#include <QString>

namespace qel {

// A date and time as the user's regional settings write it: the short date
// (its year always in four digits), a space and the long time (without a time-zone name), in local
// time; a time of exactly midnight, to the second, gives the date alone. An invalid date gives the
// empty text. Never fails.
QString dateText(const QDateTime& dateTime, const QLocale& locale = QLocale::system());

} // namespace qel
