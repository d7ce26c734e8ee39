#include "platform/DialogFont.h"

namespace qel {

QStringList dialogFontFamilies() {
    // The TrueType successor of the bitmap face, on every Windows. Wine has
    // none and offers the host's fonts, of which it draws DejaVu Sans whole
    // at every size (Liberation Sans loses its "I" at 8 pt, Wine's own
    // Tahoma its strokes at 12 pt).
    return {QStringLiteral("Microsoft Sans Serif"), QStringLiteral("DejaVu Sans"),
            QStringLiteral("Liberation Sans")};
}

} // namespace qel
