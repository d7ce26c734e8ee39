#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <vector>

namespace qel::test {

// How AviWriter stores the frames of a clip.
enum class AviEncoding {
    Rle8,  // run-length encoded 8-bit (BI_RLE8), later frames as deltas
    Raw8,  // uncompressed 8-bit with a palette
    Raw24, // uncompressed 24-bit
};

// A small silent clip. Pixels run row by row from the top left: palette
// indices for the 8-bit encodings, 0xRRGGBB for Raw24.
struct AviClip {
    int width = 0;
    int height = 0;
    int framesPerSecond = 10;
    AviEncoding encoding = AviEncoding::Rle8;
    std::vector<uint32_t> palette; // 0xRRGGBB, at most 256 entries
    std::vector<std::vector<uint32_t>> frames;
    // Rle8 only: frames after the first carry just the pixels that changed,
    // using the delta and end-of-line escapes.
    bool deltaFrames = true;
    // A second stream with sound (the control plays silent clips only).
    bool soundTrack = false;
};

// The clip as an AVI file (RIFF header, one video stream and perhaps a sound
// track, movi, idx1).
QByteArray aviBytes(const AviClip& clip);

// A well-formed AVI file with one audio stream and no video.
QByteArray audioOnlyAviBytes();

// The clip with a sound stream beside its video, as a film with sound has.
QByteArray aviWithSoundBytes(const AviClip& clip);

// One RLE8 bitmap of a frame; previous non-null encodes only what differs.
QByteArray encodeRle8(int width, int height, const std::vector<uint32_t>& frame,
                      const std::vector<uint32_t>* previous);

// Writes bytes to a file; returns false when it cannot.
bool writeFile(const QString& path, const QByteArray& bytes);

} // namespace qel::test
