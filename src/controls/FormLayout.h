#pragma once

#include <QColor>
#include <QFont>
#include <QPixmap>
#include <QRect>
#include <QString>

class QLabel;
class QPushButton;
class QWidget;

namespace qel {

// What every window needs to build itself from its layout table.

// Layouts are given in twips; at 96 dpi fifteen of them make one pixel, and Qt
// scales pixels for high-dpi screens.
constexpr int twips(int t) {
    return (t + 7) / 15;
}

// A control's rectangle from its Left, Top, Width and Height in twips.
constexpr QRect twipsRect(int left, int top, int width, int height) {
    return QRect(twips(left), twips(top), twips(width), twips(height));
}

// The font every window is drawn in, for the layouts' "MS Sans Serif": on
// Windows that font's TrueType successor, Microsoft Sans Serif, elsewhere
// Liberation Sans, or DejaVu Sans where it is missing. These are the faces
// the windows are checked with; any other would be unmeasured.
QFont classicFont(qreal pointSize, bool bold = false, bool italic = false);

// The system's active-border colour of the classic desktop scheme (light grey).
QColor activeBorderColour();

// Names a control after the layout and puts it in its place.
template <typename W> W* place(W* widget, const char* name, QRect geometry) {
    widget->setObjectName(QString::fromLatin1(name));
    widget->setGeometry(geometry);
    return widget;
}

// A plain-text label, its text in the top-left corner.
QLabel* makeLabel(QWidget* parent, const char* name, const QString& text, QRect geometry);

// A button that Enter presses only when it has the focus.
QPushButton* makeButton(QWidget* parent, const char* name, const QString& caption, QRect geometry,
                        const QString& toolTip = {});

// A label that sizes itself to its text (the layouts' AutoSize); a
// right-aligned one keeps its right edge.
void fitToText(QLabel* label);

// Layouts were measured for a narrower font than the one in use: from now on,
// each time window is shown, every label, check box and button in it whose
// caption does not fit grows to its caption, keeping its left edge (its right
// edge when it is a right-aligned label); a word-wrapped label grows downwards.
void keepCaptionsWhole(QWidget* window);

// A picture box: the picture at its own size from the top-left corner,
// clipped to the box; a missing picture leaves the box empty.
QLabel* makePicture(QWidget* parent, const char* name, QRect geometry, const QPixmap& pixmap);

} // namespace qel
