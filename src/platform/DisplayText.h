#pragma once

#include <QString>

namespace qel {

// A DOS name or path, or a message holding one, as the user reads it: each
// stand-in for a host character that no DOS path can hold (see DosNames.h)
// becomes a look-alike a font can draw: the fullwidth form of \ : * ? " < > |,
// the control picture of a control character, and U+FFFD for a byte that was
// not valid UTF-8. For display only: it does not map back, so lists keep the
// DOS name itself for look-ups and copies. Text without stand-ins is returned
// as it is.
QString displayText(const QString& dosText);

// Whether dosText holds a character of the stand-in range.
bool holdsStandIns(QStringView dosText);

} // namespace qel
