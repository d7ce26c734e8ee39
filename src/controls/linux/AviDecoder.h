#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>

namespace qel {

// Error number for a clip that is damaged, has no picture or cannot be played.
inline constexpr int InvalidClipFormat = 321; // "Invalid file format"

// A silent clip decoded in full: every frame as a 32-bit RGB image.
struct DecodedClip {
    QList<QImage> frames;
    int frameIntervalMs = 0;
};

// Decodes every frame of the video clip at a host path. Decoding it all up
// front makes a damaged clip fail here instead of half-way through a run.
// The decoder is a module of its own (libqel_avidecoder.so, next to the
// program), loaded on the first call, so a start-up never pays for the video
// libraries. Throws Error 48 when that module cannot be loaded, 53 when the file is missing, 70
// when it may not be read, 75 when it is not a regular file or reading fails, and InvalidClipFormat
// when it is not a RIFF AVI file, is damaged, holds no video or a sound track,
// or its frames exceed maxFrameBytes.
DecodedClip decodeClip(const QByteArray& hostPath, qint64 maxFrameBytes = qint64(64) << 20);

} // namespace qel
