#include "backup/PlayCopyAnimation.h"

#include "FakeDialogs.h"
#include "FakeProgressWindow.h"
#include "platform/Error.h"

#include <gtest/gtest.h>

namespace qel::test {
namespace {

using Qt::StringLiterals::operator""_s;

struct ClipCase {
    const char* name;
    int failOpen;
    int failPlay;
    QStringList calls;
    bool playing;
};

class PlayCopyAnimationTest : public ::testing::TestWithParam<ClipCase> {};

TEST_P(PlayCopyAnimationTest, ReportsAnyFailureOnceAndNeverPassesItOn) {
    const ClipCase& c = GetParam();
    QStringList log;
    FakeAnimation animation(log);
    animation.failOpen = c.failOpen;
    animation.failPlay = c.failPlay;
    FakeDialogs dialogs;
    if (!c.playing)
        dialogs.answer({Answer::OK});

    EXPECT_EQ(PlayCopyAnimation(animation, dialogs), c.playing);

    EXPECT_EQ(log, c.calls);
    EXPECT_EQ(animation.isPlaying(), c.playing);
    if (c.playing) {
        EXPECT_TRUE(dialogs.boxes().isEmpty());
    } else {
        ASSERT_EQ(dialogs.boxes().size(), 1);
        const ShownBox& b = dialogs.boxes().front();
        EXPECT_EQ(b.text, u"Trouble playing the AVI file."_s);
        EXPECT_EQ(b.kind, BoxKind::Notice);
        EXPECT_EQ(b.icon, Icon::None);
        EXPECT_TRUE(b.title.isEmpty()); // the application title
    }
}

INSTANTIATE_TEST_SUITE_P(
    Clips, PlayCopyAnimationTest,
    ::testing::Values(
        ClipCase{"Plays", 0, 0, {u"Open:C:\\FILECOPY.AVI"_s, u"Play"_s}, true},
        ClipCase{
            "MissingClipIsNotPlayed", err::FileNotFound, 0, {u"Open:C:\\FILECOPY.AVI"_s}, false},
        ClipCase{"DamagedClipFailsToPlay",
                 0,
                 err::DeviceIOError,
                 {u"Open:C:\\FILECOPY.AVI"_s, u"Play"_s},
                 false}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace qel::test
