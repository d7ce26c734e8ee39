#pragma once

class QWidget;

namespace qel {

// Asks the window system for a border without a title bar (so no title text
// and no buttons) and leaves the window without any name to list; the toolkit
// would otherwise put the program's name in place of an empty title. Call it
// when the window is about to be shown. Each platform's folder implements it.
void showBorderOnly(QWidget& window);

} // namespace qel
