#pragma once

#include <QByteArray>

namespace qel {

// Whether an X server answers at display (":0", "host:1"). Works before any
// toolkit is started; may wait for a remote host's time-out.
bool x11DisplayAnswers(const QByteArray& display);

} // namespace qel
