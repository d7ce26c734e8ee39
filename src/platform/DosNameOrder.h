#pragma once

#include <QLocale>
#include <QStringList>

namespace qel {

// Sorts names as locale orders words, without regard to case; names that
// collate alike keep a fixed order by their exact text, so a listing never
// shuffles between refills.
void sortDosNames(QStringList& names, const QLocale& locale = QLocale::system());

} // namespace qel
