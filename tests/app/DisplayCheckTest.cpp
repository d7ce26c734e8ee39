#include "app/DisplayCheck.h"

#include <QByteArray>
#include <QMap>
#include <gtest/gtest.h>

namespace qel {
namespace {

struct DisplayCase {
    const char* platform;
    const char* display;
    const char* wayland;
    bool canStart;
    bool x11Answers = true;
};

class DisplayCheck : public ::testing::TestWithParam<DisplayCase> {};

TEST_P(DisplayCheck, NeedsADisplayOnlyForPlatformsThatUseOne) {
    const DisplayCase c = GetParam();
    const QMap<QByteArray, QByteArray> env{
        {"QT_QPA_PLATFORM", c.platform}, {"DISPLAY", c.display}, {"WAYLAND_DISPLAY", c.wayland}};
    int asked = 0;
    const QString reason = noDisplayReason([&](const char* name) { return env.value(name); },
                                           [&](const QByteArray& display) {
                                               ++asked;
                                               EXPECT_EQ(display, c.display);
                                               return c.x11Answers;
                                           });
    EXPECT_EQ(reason.isEmpty(), c.canStart) << reason.toStdString();
    EXPECT_LE(asked, 1);
    if (!c.canStart && c.x11Answers) {
        EXPECT_TRUE(reason.contains("DISPLAY")) << reason.toStdString();
    }
    if (!c.canStart && !c.x11Answers) {
        EXPECT_EQ(reason, QStringLiteral("cannot open the display \"%1\"").arg(c.display));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Environments, DisplayCheck,
    ::testing::Values(
        DisplayCase{"", "", "", false}, DisplayCase{"", ":0", "", true},
        DisplayCase{"", "", "wayland-0", true}, DisplayCase{"offscreen", "", "", true},
        DisplayCase{"xcb", "", "", false}, DisplayCase{"xcb", ":1", "", true},
        DisplayCase{"wayland", ":1", "", false}, DisplayCase{"wayland;xcb", ":1", "", true},
        DisplayCase{"vnc:size=800x600", "", "", true}, DisplayCase{" ", "", "", false},
        // A display that is set but does not answer.
        DisplayCase{"", ":99", "", false, false}, DisplayCase{"xcb", ":99", "", false, false},
        DisplayCase{"xcb;offscreen", ":99", "", true, false},
        DisplayCase{"", ":99", "wayland-0", true, false}));

} // namespace
} // namespace qel
