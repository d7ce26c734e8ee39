#include "controls/AviHeader.h"

#include "AviWriter.h"

#include <gtest/gtest.h>

namespace qel {
namespace {

using test::AviClip;
using test::AviEncoding;

AviClip twoFrames(AviEncoding encoding) {
    AviClip clip;
    clip.width = 5;
    clip.height = 3;
    clip.encoding = encoding;
    clip.palette = {0x000000, 0xff0000};
    clip.frames = {std::vector<uint32_t>(15, 0), std::vector<uint32_t>(15, 1)};
    if (encoding == AviEncoding::Raw24)
        clip.frames[1].assign(15, 0xff0000);
    return clip;
}

TEST(AviHeaderTest, SilentClipsInEveryEncodingAreClips) {
    for (AviEncoding encoding : {AviEncoding::Rle8, AviEncoding::Raw8, AviEncoding::Raw24})
        EXPECT_TRUE(isSilentAvi(test::aviBytes(twoFrames(encoding))));
}

TEST(AviHeaderTest, OnlyTheHeaderListNeedsToBeRead) {
    const QByteArray clip = test::aviBytes(twoFrames(AviEncoding::Rle8));
    EXPECT_TRUE(isSilentAvi(clip.left(clip.indexOf("movi"))));
    EXPECT_FALSE(isSilentAvi(clip.left(clip.indexOf("strf"))));
}

TEST(AviHeaderTest, SoundOrNoVideoIsRefused) {
    EXPECT_FALSE(isSilentAvi(test::aviWithSoundBytes(twoFrames(AviEncoding::Rle8))));
    EXPECT_FALSE(isSilentAvi(test::audioOnlyAviBytes()));
    QByteArray wave = test::audioOnlyAviBytes();
    wave.replace(8, 4, "WAVE");
    EXPECT_FALSE(isSilentAvi(wave));
}

TEST(AviHeaderTest, OtherFilesAreRefused) {
    EXPECT_FALSE(isSilentAvi(QByteArray()));
    EXPECT_FALSE(isSilentAvi(QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16)));
    // Chunk sizes that point past the end, or wrap around.
    QByteArray clip = test::aviBytes(twoFrames(AviEncoding::Rle8));
    clip.replace(clip.indexOf("hdrl") - 4, 4, QByteArray("\xff\xff\xff\xff", 4));
    EXPECT_FALSE(isSilentAvi(clip));
}

} // namespace
} // namespace qel
