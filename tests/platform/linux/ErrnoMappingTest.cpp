#include "platform/linux/ErrnoMapping.h"

#include <cerrno>
#include <gtest/gtest.h>

namespace qel {
namespace {

struct Mapping {
    int errnum;
    IoSide side;
    int number;
    bool namesFile;
};

class ErrnoMappingTest : public ::testing::TestWithParam<Mapping> {};

TEST_P(ErrnoMappingTest, MapsToTheRuntimesNumber) {
    const Mapping m = GetParam();
    const Error e = describe(errnoFailure(m.errnum, m.side, QStringLiteral("a:\\ACCT1\\ACCT.CVD")));
    EXPECT_EQ(e.number(), m.number);
    EXPECT_EQ(e.description().contains(QStringLiteral("a:\\ACCT1\\ACCT.CVD")), m.namesFile)
        << qPrintable(e.description());
}

// A copy that cannot be read back from the medium says so, not "writing".
TEST(ErrnoMapping, AReadBackSaysReadingBack) {
    SystemFailure failure = errnoFailure(EIO, IoSide::Destination, QStringLiteral("a:\\X.CVD"));
    failure.readingBack = true;
    EXPECT_EQ(describe(failure).description(), QStringLiteral("Device I/O error reading back a:\\X.CVD"));
}

constexpr IoSide Src = IoSide::Source;
constexpr IoSide Dst = IoSide::Destination;

INSTANTIATE_TEST_SUITE_P(
    Table, ErrnoMappingTest,
    ::testing::Values(Mapping{ENOENT, Src, 53, false},
                      Mapping{ENOTDIR, Src, 76, true},
                      Mapping{ENOENT, Dst, 76, true},
                      Mapping{EIO, Src, 57, true},
                      Mapping{EIO, Dst, 57, true},
                      // A refused source is no disk to change: it is named instead.
                      Mapping{EACCES, Src, 75, true},
                      Mapping{EACCES, Dst, 70, false},
                      Mapping{EROFS, Dst, 70, false},
                      Mapping{ENOSPC, Dst, 61, false},
                      Mapping{EDQUOT, Dst, 61, false},
                      Mapping{EEXIST, Dst, 58, false},
                      Mapping{EFBIG, Dst, 75, true},
                      Mapping{ENOMEDIUM, Dst, 71, false},
                      Mapping{ENXIO, Dst, 71, false},
                      // Anything else still says which file and why.
                      Mapping{ENOMEM, Src, 75, true},
                      Mapping{ENOMEM, Dst, 75, true}));

} // namespace
} // namespace qel
