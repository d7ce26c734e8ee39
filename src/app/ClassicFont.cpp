#include "app/ClassicFont.h"

#include <QStringList>

namespace qel {

QFont classicFont(qreal pointSize, bool bold, bool italic) {
    QFont font;
    // Metric-compatible faces first, so texts fit the boxes laid out for them.
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Microsoft Sans Serif"),
                      QStringLiteral("Liberation Sans"), QStringLiteral("Arial"),
                      QStringLiteral("Nimbus Sans"), QStringLiteral("DejaVu Sans")});
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(pointSize);
    font.setBold(bold);
    font.setItalic(italic);
    return font;
}

} // namespace qel
