#pragma once

namespace qel {

// Gives screen readers the right role where the toolkit has none: the program's
// own windows (a window or a dialog, not a bare pane) and the animation strip.
// Call once, after the application object exists.
void installAccessibleRoles();

} // namespace qel
