#pragma once

#include <QString>
#include <functional>

namespace qel {

// Why the program cannot open a window, checked before the toolkit starts
// (which would otherwise abort with a core dump); empty when a display is
// there or an explicit non-display platform (offscreen, vnc...) is chosen.
// getenv returns an empty string for an unset variable; reachX11 says whether
// the X display of that name answers.
QString noDisplayReason(const std::function<QByteArray(const char*)>& getenv,
                        const std::function<bool(const QByteArray&)>& reachX11);

} // namespace qel
