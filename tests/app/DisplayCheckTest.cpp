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
};

class DisplayCheck : public ::testing::TestWithParam<DisplayCase> {};

TEST_P(DisplayCheck, NeedsADisplayOnlyForPlatformsThatUseOne) {
    const DisplayCase c = GetParam();
    const QMap<QByteArray, QByteArray> env{
        {"QT_QPA_PLATFORM", c.platform}, {"DISPLAY", c.display}, {"WAYLAND_DISPLAY", c.wayland}};
    const QString reason = noDisplayReason([&](const char* name) { return env.value(name); });
    EXPECT_EQ(reason.isEmpty(), c.canStart) << reason.toStdString();
    if (!c.canStart) {
        EXPECT_TRUE(reason.contains("DISPLAY")) << reason.toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Environments, DisplayCheck,
    ::testing::Values(DisplayCase{"", "", "", false}, DisplayCase{"", ":0", "", true},
                      DisplayCase{"", "", "wayland-0", true},
                      DisplayCase{"offscreen", "", "", true}, DisplayCase{"xcb", "", "", false},
                      DisplayCase{"xcb", ":1", "", true}, DisplayCase{"wayland", ":1", "", false},
                      DisplayCase{"wayland;xcb", ":1", "", true},
                      DisplayCase{"vnc:size=800x600", "", "", true},
                      DisplayCase{" ", "", "", false}));

} // namespace
} // namespace qel
