#pragma once

#include <QFont>

namespace qel {

// The layouts' "MS Sans Serif", or the closest sans serif the system has, at
// the given point size.
QFont classicFont(qreal pointSize, bool bold = false, bool italic = false);

} // namespace qel
