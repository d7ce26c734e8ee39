#include "platform/DialogFont.h"

namespace qel {

QStringList dialogFontFamilies() {
    // Metric twins of the Windows faces, then the font every Debian desktop has.
    return {QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")};
}

} // namespace qel
