#include "controls/FormLayout.h"

#include <QLabel>
#include <QPushButton>
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

QColor activeBorderColour() {
    return QColor(0xD4, 0xD0, 0xC8);
}

QLabel* makeLabel(QWidget* parent, const char* name, const QString& text, QRect geometry) {
    auto* label = place(new QLabel(parent), name, geometry);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setText(text);
    return label;
}

QPushButton* makeButton(QWidget* parent, const char* name, const QString& caption, QRect geometry,
                        const QString& toolTip) {
    auto* button = place(new QPushButton(caption, parent), name, geometry);
    if (!toolTip.isEmpty())
        button->setToolTip(toolTip);
    button->setAutoDefault(false);
    return button;
}

QLabel* makePicture(QWidget* parent, const char* name, QRect geometry, const QPixmap& pixmap) {
    auto* picture = place(new QLabel(parent), name, geometry);
    picture->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    if (!pixmap.isNull())
        picture->setPixmap(pixmap);
    return picture;
}

} // namespace qel
