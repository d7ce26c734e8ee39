#pragma once

#include <QRect>

namespace qel {

// Layouts are given in twips; at 96 dpi fifteen of them make one pixel, and Qt
// scales pixels for high-dpi screens.
constexpr int twips(int t) {
    return t / 15;
}

// A control's rectangle from its Left, Top, Width and Height in twips.
constexpr QRect twipsRect(int left, int top, int width, int height) {
    return QRect(twips(left), twips(top), twips(width), twips(height));
}

} // namespace qel
