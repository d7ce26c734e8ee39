#include "platform/DisplayText.h"

#include <gtest/gtest.h>

namespace qel {
namespace {

struct DisplayCase {
    const char16_t* dos;
    const char16_t* shown;
};

class DisplayTextTest : public ::testing::TestWithParam<DisplayCase> {};

TEST_P(DisplayTextTest, StandInsBecomeLookAlikes) {
    EXPECT_EQ(displayText(QString::fromUtf16(GetParam().dos)),
              QString::fromUtf16(GetParam().shown));
}

INSTANTIATE_TEST_SUITE_P(
    Table, DisplayTextTest,
    ::testing::Values(DisplayCase{u"ACCT1.CVT", u"ACCT1.CVT"},
                      DisplayCase{u"C:\\DATA\\a\uF05Cb.CVT", u"C:\\DATA\\a\u2216b.CVT"},
                      DisplayCase{u"\uF03A\uF02A\uF03F\uF022\uF03C\uF03E\uF07C",
                                  u"\uA789\u2217\u0294\u2033\u2039\u203A\u2223"},
                      // Control characters in caret notation.
                      DisplayCase{u"ctl\uF001\uF01F\uF07F", u"ctl^A^_^?"},
                      // Bytes that were not UTF-8 show the replacement character.
                      DisplayCase{u"x\uF080\uF0FFy", u"x\uFFFD\uFFFDy"},
                      // A private character that stands for nothing is the name's own.
                      DisplayCase{u"\uF041\uF100\uEFFF", u"\uF041\uF100\uEFFF"}));

} // namespace
} // namespace qel
