#pragma once

#include <QByteArray>

class QWidget;

namespace qel {

// Whether an X server answers at display (":0", "host:1"). Works before any
// toolkit is started; may wait for a remote host's time-out.
bool x11DisplayAnswers(const QByteArray& display);

// Asks the window manager for a border without a title bar (so no title text
// and no buttons) and leaves the window without any name to list; the toolkit
// would otherwise put the program's name in place of an empty title. Call it
// when the window is about to be shown. Does nothing when it is not on X11.
void showBorderOnly(QWidget& window);

} // namespace qel
