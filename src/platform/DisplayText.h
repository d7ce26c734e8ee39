#pragma once

#include <QString>

namespace qel {

// A DOS name or path, or a message holding one, as the user reads it: each
// stand-in for a host character that no DOS path can hold (see DosNames.h)
// becomes a look-alike the windows' fonts draw: \ : * ? " < > | as similar
// signs (U+2216, U+A789, U+2217, U+0294, U+2033, U+2039, U+203A, U+2223),
// a control character in caret notation (^A), and a byte that was not valid
// UTF-8 as U+FFFD. For display only: it does not map back, so lists keep the
// DOS name itself for look-ups and copies. Text without stand-ins is returned
// as it is.
QString displayText(const QString& dosText);

// Whether dosText holds a character of the stand-in range.
bool holdsStandIns(QStringView dosText);

} // namespace qel
