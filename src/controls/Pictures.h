#pragma once

#include <QString>

namespace qel {

// The resource path of one of the program's pictures, by its name in data/
// ("icons/qel-trekkel", "pictures/chart"). Each build compiles them in its
// own format (SVG; on Windows PNGs drawn from them, as Qt SVG may be missing)
// under that format's suffix, so the toolkit picks its reader by the name
// and never has to sniff the content.
QString picturePath(const char* name);

} // namespace qel
