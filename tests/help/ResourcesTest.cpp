#include "GuiApp.h"
#include "controls/Pictures.h"

#include <QIcon>
#include <QImageReader>
#include <gtest/gtest.h>

namespace qel {
namespace {

struct Picture {
    const char* name;
    QSize size;
};

class ResourcesTest : public ::testing::TestWithParam<Picture> {};

// The windows size their picture boxes for these pictures; a missing
// resource or image plugin would leave them blank.
TEST_P(ResourcesTest, PictureIsCompiledInAndReadable) {
    test::guiApp();
    QImageReader reader(picturePath(GetParam().name));
    const QImage image = reader.read();
    ASSERT_FALSE(image.isNull()) << reader.errorString().toStdString();
    EXPECT_EQ(image.size(), GetParam().size);
}

INSTANTIATE_TEST_SUITE_P(Pictures, ResourcesTest,
                         ::testing::Values(Picture{"icons/qel-trekkel", QSize(64, 64)},
                                           Picture{"pictures/chart", QSize(170, 122)},
                                           Picture{"pictures/puzzle", QSize(62, 57)}));

TEST(ProgramIconTest, ScalesToEveryIconSize) {
    test::guiApp();
    const QIcon icon(picturePath("icons/qel-trekkel"));
    for (int side : {16, 32, 48, 256})
        EXPECT_FALSE(icon.pixmap(side, side).isNull()) << side;
}

} // namespace
} // namespace qel
