#pragma once

#include <QStringList>

namespace qel {

// The faces that draw the layouts' "MS Sans Serif", best first: the ones the
// windows are measured with on this platform. Each platform's folder gives
// its own list.
QStringList dialogFontFamilies();

} // namespace qel
