#pragma once

#include <QByteArrayView>

namespace qel {

// How much of a file to read for isSilentAvi: the headers of any clip an
// animation control plays sit well inside it.
inline constexpr qsizetype AviHeaderReadSize = 64 * 1024;

// Whether head, the first bytes of a file, starts a RIFF 'AVI ' file whose
// first stream is video and which has no sound stream: the clips an animation
// control plays. False for anything else, also for headers cut short.
bool isSilentAvi(QByteArrayView head);

} // namespace qel
