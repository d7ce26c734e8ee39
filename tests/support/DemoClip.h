#pragma once

#include "AviWriter.h"

namespace qel::test {

// The copy clip the demos and screenshots play: pages flying from one folder
// to the other, sized to fill the progress window's strip, on background
// (0xRRGGBB, the button face the strip is drawn on).
AviClip demoCopyClip(uint32_t background);

} // namespace qel::test
