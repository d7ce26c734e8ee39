#include "controls/linux/LinuxClipControl.h"

#include "AviWriter.h"
#include "MapDrives.h"
#include "controls/linux/AviDecoder.h"
#include "platform/Error.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QtTest/QSignalSpy>
#include <QtTest/QTest>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace qel {
namespace {

using test::AviClip;
using test::AviEncoding;

const std::vector<uint32_t> Palette = {0x000000, 0xff0000, 0x00ff00, 0x0000ff,
                                       0xffff00, 0x00ffff, 0xff00ff, 0xffffff};

// Frames with long runs (more than 255), long literal stretches, stray
// pairs, and later frames that change only a few pixels or none at all.
std::vector<std::vector<uint32_t>> patternFrames(int width, int height) {
    std::vector<std::vector<uint32_t>> frames;
    for (int k = 0; k < 3; ++k) {
        std::vector<uint32_t> f(size_t(width * height));
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                uint32_t v = 0;
                switch (y % 4) {
                case 0:
                    v = 1;
                    break; // one run across the row
                case 1:
                    v = uint32_t((x + k) % 7);
                    break; // all literal
                case 2:
                    v = uint32_t(((x + k) / 5) % 8);
                    break; // runs of five
                default:
                    v = (x / 2) % 2 ? 3 : 4;
                    break; // pairs
                }
                f[size_t(y * width + x)] = v;
            }
        }
        frames.push_back(f);
    }
    std::vector<uint32_t> few = frames.back();
    few[size_t(width + 3)] = 7;
    few[size_t((height - 1) * width + width - 1)] = 7;
    few[size_t(2 * width + 100)] = 6;
    frames.push_back(few);
    frames.push_back(few); // identical: an empty delta
    return frames;
}

AviClip patternClip(AviEncoding encoding, bool deltas = true) {
    AviClip clip;
    clip.width = 301; // odd: uncompressed rows need padding
    clip.height = 7;
    clip.framesPerSecond = 25;
    clip.encoding = encoding;
    clip.palette = Palette;
    clip.frames = patternFrames(clip.width, clip.height);
    clip.deltaFrames = deltas;
    if (encoding == AviEncoding::Raw24) {
        for (auto& f : clip.frames)
            for (auto& p : f)
                p = Palette[p] ^ 0x102030; // colours outside the palette
        clip.palette.clear();
    }
    return clip;
}

// Solid frames in the given colours.
AviClip solidClip(const std::vector<uint32_t>& colours, int fps, int width = 10, int height = 6) {
    AviClip clip;
    clip.width = width;
    clip.height = height;
    clip.framesPerSecond = fps;
    clip.palette = colours;
    for (size_t i = 0; i < colours.size(); ++i)
        clip.frames.emplace_back(size_t(width * height), uint32_t(i));
    return clip;
}

uint32_t expectedColour(const AviClip& clip, uint32_t pixel) {
    return clip.encoding == AviEncoding::Raw24 ? pixel : clip.palette[pixel];
}

class AnimationTest : public ::testing::Test {
protected:
    QString hostPath(const QString& name) const { return m_dir.filePath(name); }
    void put(const QString& name, const QByteArray& bytes) {
        ASSERT_TRUE(test::writeFile(hostPath(name), bytes));
    }

    QTemporaryDir m_dir;
    test::MapDrives m_drives = [this] {
        test::MapDrives drives;
        drives.addDrive('C', m_dir.path().toUtf8());
        drives.addNotReady('A');
        return drives;
    }();
};

struct EncodingCase {
    const char* name;
    AviEncoding encoding;
    bool deltas;
    friend void PrintTo(const EncodingCase& c, std::ostream* os) { *os << c.name; }
};

class DecodeTest : public AnimationTest, public ::testing::WithParamInterface<EncodingCase> {};

TEST_P(DecodeTest, EveryFrameDecodesToTheExactPixels) {
    const AviClip clip = patternClip(GetParam().encoding, GetParam().deltas);
    put("clip.avi", test::aviBytes(clip));

    const DecodedClip decoded = decodeClip(hostPath("clip.avi").toUtf8());

    EXPECT_EQ(decoded.frameIntervalMs, 40);
    ASSERT_EQ(decoded.frames.size(), qsizetype(clip.frames.size()));
    for (size_t i = 0; i < clip.frames.size(); ++i) {
        const QImage& image = decoded.frames[qsizetype(i)];
        ASSERT_EQ(image.size(), QSize(clip.width, clip.height)) << "frame " << i;
        int wrong = 0;
        for (int y = 0; y < clip.height; ++y)
            for (int x = 0; x < clip.width; ++x) {
                const uint32_t want =
                    expectedColour(clip, clip.frames[i][size_t(y * clip.width + x)]);
                if ((image.pixel(x, y) & 0xffffff) != want && wrong++ < 5)
                    ADD_FAILURE() << "frame " << i << " pixel " << x << "," << y << ": " << std::hex
                                  << image.pixel(x, y) << " want " << want;
            }
        EXPECT_EQ(wrong, 0) << "frame " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Encodings, DecodeTest,
                         ::testing::Values(EncodingCase{"Rle8Deltas", AviEncoding::Rle8, true},
                                           EncodingCase{"Rle8Keys", AviEncoding::Rle8, false},
                                           EncodingCase{"Raw8", AviEncoding::Raw8, true},
                                           EncodingCase{"Raw24", AviEncoding::Raw24, true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(AnimationTest, ClipWhoseFramesExceedTheMemoryCapIsRefused) {
    put("clip.avi", test::aviBytes(patternClip(AviEncoding::Rle8)));
    const qint64 oneFrame = 301 * 7 * 4;
    EXPECT_NO_THROW(decodeClip(hostPath("clip.avi").toUtf8(), 5 * oneFrame));
    try {
        decodeClip(hostPath("clip.avi").toUtf8(), 4 * oneFrame);
        FAIL() << "no error";
    } catch (const Error& e) {
        EXPECT_EQ(e.number(), InvalidClipFormat);
    }
}

TEST_F(AnimationTest, OpenShowsTheFirstFrameCentredOverButtonFace) {
    put("CLIP.AVI", test::aviBytes(solidClip({0xff0000, 0x00ff00}, 10)));
    LinuxClipControl control(m_drives);
    control.resize(101, 40);

    control.Open("C:\\CLIP.AVI");

    EXPECT_TRUE(control.isOpen());
    EXPECT_FALSE(control.isPlaying());
    EXPECT_EQ(control.frameCount(), 2);
    EXPECT_EQ(control.currentFrame(), 0);
    EXPECT_EQ(control.frameIntervalMs(), 100);
    const QImage shot = control.grab().toImage();
    const QRgb face = control.palette().color(QPalette::Button).rgb();
    // 101 x 40 around 10 x 6: the frame covers x 45..54, y 17..22.
    EXPECT_EQ(shot.pixel(45, 17), qRgb(255, 0, 0));
    EXPECT_EQ(shot.pixel(54, 22), qRgb(255, 0, 0));
    EXPECT_EQ(shot.pixel(44, 17), face);
    EXPECT_EQ(shot.pixel(55, 22), face);
    EXPECT_EQ(shot.pixel(45, 16), face);
    EXPECT_EQ(shot.pixel(0, 0), face);

    control.Close();
    EXPECT_FALSE(control.isOpen());
    EXPECT_EQ(control.grab().toImage().pixel(50, 20), face);
}

TEST_F(AnimationTest, PlayLoopsTheWholeClipUntilStop) {
    put("LOOP.AVI", test::aviBytes(solidClip({0xff0000, 0x00ff00, 0x0000ff}, 100)));
    LinuxClipControl control(m_drives);
    control.resize(20, 10);
    control.show();
    control.Open("C:\\LOOP.AVI");
    QSignalSpy shown(&control, &LinuxClipControl::frameShown);

    control.Play();
    QElapsedTimer clock;
    clock.start();
    while (shown.size() < 8 && clock.elapsed() < 3000)
        QTest::qWait(5);
    control.Stop();

    ASSERT_GE(shown.size(), 8);
    EXPECT_EQ(shown[0][0].toInt(), 0) << "Play starts at the first frame";
    for (qsizetype i = 1; i < shown.size(); ++i)
        EXPECT_EQ(shown[i][0].toInt(), (shown[i - 1][0].toInt() + 1) % 3) << "step " << i;

    const int stoppedAt = control.currentFrame();
    shown.clear();
    QTest::qWait(60);
    EXPECT_TRUE(shown.isEmpty());
    EXPECT_FALSE(control.isPlaying());
    EXPECT_EQ(control.currentFrame(), stoppedAt);
    EXPECT_TRUE(control.isOpen()) << "Stop keeps the clip";

    control.Play();
    EXPECT_EQ(control.currentFrame(), 0);
    EXPECT_TRUE(control.isPlaying());
    control.Close();
    EXPECT_FALSE(control.isPlaying());
}

struct BadClip {
    const char* name;
    int number;
    // Prepares C:\BAD.AVI in the folder of drive C:.
    std::function<void(const QString& hostPath)> make;
    friend void PrintTo(const BadClip& c, std::ostream* os) { *os << c.name; }
};

QByteArray keyFramesClip() {
    return test::aviBytes(patternClip(AviEncoding::Rle8, false));
}

class BadClipTest : public AnimationTest, public ::testing::WithParamInterface<BadClip> {};

TEST_P(BadClipTest, OpenThrowsAndLeavesNoClipWhileStopAndCloseStayQuiet) {
    GetParam().make(hostPath("BAD.AVI"));
    put("GOOD.AVI", test::aviBytes(solidClip({0xff0000, 0x00ff00}, 10)));
    LinuxClipControl control(m_drives);
    control.Open("C:\\GOOD.AVI");
    control.Play();

    try {
        control.Open("C:\\BAD.AVI");
        FAIL() << "no error";
    } catch (const Error& e) {
        EXPECT_EQ(e.number(), GetParam().number) << e.description().toStdString();
        EXPECT_FALSE(e.description().isEmpty());
    }

    EXPECT_FALSE(control.isOpen()) << "the clip opened before is closed";
    EXPECT_FALSE(control.isPlaying());
    EXPECT_THROW(control.Play(), Error);
    EXPECT_NO_THROW(control.Stop());
    EXPECT_NO_THROW(control.Close());
    EXPECT_NO_THROW(control.Stop());
}

INSTANTIATE_TEST_SUITE_P(
    Failures, BadClipTest,
    ::testing::Values(
        BadClip{"Missing", err::FileNotFound, [](const QString&) {}},
        BadClip{"Folder", err::PathFileAccessError, [](const QString& p) { QDir().mkdir(p); }},
        BadClip{"Fifo", err::PathFileAccessError,
                [](const QString& p) { ASSERT_EQ(::mkfifo(p.toUtf8().constData(), 0600), 0); }},
        BadClip{"EmptyFile", InvalidClipFormat, [](const QString& p) { test::writeFile(p, {}); }},
        BadClip{"Garbage", InvalidClipFormat,
                [](const QString& p) {
                    QByteArray junk;
                    for (int i = 0; i < 4096; ++i)
                        junk.append(char((i * 7919 + 13) % 251));
                    test::writeFile(p, junk);
                }},
        BadClip{"CutInTheHeader", InvalidClipFormat,
                [](const QString& p) { test::writeFile(p, keyFramesClip().left(100)); }},
        BadClip{"CutHalfWay", InvalidClipFormat,
                [](const QString& p) {
                    const QByteArray avi = keyFramesClip();
                    test::writeFile(p, avi.left(avi.size() / 2));
                }},
        BadClip{"CutInTheLastFrame", InvalidClipFormat,
                [](const QString& p) {
                    const QByteArray avi = keyFramesClip();
                    test::writeFile(p, avi.left(avi.lastIndexOf("idx1") - 4));
                }},
        BadClip{"AudioOnly", InvalidClipFormat,
                [](const QString& p) { test::writeFile(p, test::audioOnlyAviBytes()); }},
        BadClip{"WithSoundTrack", InvalidClipFormat,
                [](const QString& p) {
                    AviClip clip = solidClip({0xff0000, 0x00ff00}, 10);
                    clip.soundTrack = true;
                    test::writeFile(p, test::aviBytes(clip));
                }},
        BadClip{"APictureNamedAvi", InvalidClipFormat,
                [](const QString& p) {
                    QImage picture(10, 6, QImage::Format_RGB32);
                    picture.fill(Qt::red);
                    ASSERT_TRUE(picture.save(p, "PNG"));
                }},
        BadClip{"NoFrames", InvalidClipFormat,
                [](const QString& p) {
                    AviClip clip = solidClip({0xff0000}, 10);
                    clip.frames.clear();
                    test::writeFile(p, test::aviBytes(clip));
                }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(AnimationTest, DriveThatIsNotReadyFailsWithDeviceUnavailable) {
    LinuxClipControl control(m_drives);
    try {
        control.Open("A:\\FILECOPY.AVI");
        FAIL() << "no error";
    } catch (const Error& e) {
        EXPECT_EQ(e.number(), err::DeviceUnavailable);
    }
}

TEST_F(AnimationTest, StopAndCloseWithoutAnyClipAreQuietAndPlayIsNot) {
    LinuxClipControl control(m_drives);
    EXPECT_NO_THROW(control.Stop());
    EXPECT_NO_THROW(control.Close());
    EXPECT_THROW(control.Play(), Error);
    EXPECT_EQ(control.currentFrame(), -1);
}

} // namespace
} // namespace qel

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
