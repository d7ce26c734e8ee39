#include "platform/DriveLock.h"

#include <gtest/gtest.h>

namespace qel::test {
namespace {

using namespace std::chrono_literals;

// Another holder, in this process or another, waits and then gets nothing;
// the lock is free again once its holder is gone.
TEST(DriveLock, OneHolderPerDrive) {
    auto first = DriveLock::take(u'q', 0ms);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(DriveLock::take(u'q', 200ms), nullptr);
    EXPECT_NE(DriveLock::take(u'r', 0ms), nullptr);
    first.reset();
    EXPECT_NE(DriveLock::take(u'q', 0ms), nullptr);
}

} // namespace
} // namespace qel::test
