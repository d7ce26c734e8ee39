#include "platform/DateText.h"

#include <gtest/gtest.h>

namespace qel {
namespace {

struct DateCase {
    const char* locale;
    QTime time;
    QString text;
};

struct DateTextTest : ::testing::TestWithParam<DateCase> {};

TEST_P(DateTextTest, ShortDateSpaceLongTime) {
    const DateCase& c = GetParam();
    const QDateTime local(QDate(2024, 3, 5), c.time);
    EXPECT_EQ(dateText(local, QLocale(QString::fromLatin1(c.locale))), c.text);
}

INSTANTIATE_TEST_SUITE_P(
    Locales, DateTextTest,
    ::testing::Values(DateCase{"en_US", QTime(13, 2, 3), "3/5/2024 1:02:03 PM"},
                      DateCase{"de_DE", QTime(13, 2, 3), "05.03.2024 13:02:03"},
                      DateCase{"ja_JP", QTime(13, 2, 3), "2024/03/05 13時02分03秒"},
                      DateCase{"en_US", QTime(0, 0), "3/5/2024"},
                      DateCase{"de_DE", QTime(0, 0), "05.03.2024"},
                      // Below the shown precision still counts as midnight.
                      DateCase{"en_US", QTime(0, 0, 0, 400), "3/5/2024"},
                      DateCase{"en_US", QTime(0, 0, 1), "3/5/2024 12:00:01 AM"},
                      DateCase{"de_DE", QTime(0, 1), "05.03.2024 00:01:00"},
                      DateCase{"en_GB", QTime(9, 37, 43), "05/03/2024 09:37:43"}));

TEST(DateText, InvalidDateGivesNoText) {
    EXPECT_EQ(dateText(QDateTime(), QLocale(QLocale::English)), "");
}

} // namespace
} // namespace qel
