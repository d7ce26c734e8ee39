#include "platform/windows/Win32Errors.h"

#include "platform/windows/Win32.h"

#include <gtest/gtest.h>

namespace qel {
namespace {

struct Mapping {
    unsigned long code;
    IoSide side;
    int number;
    bool namesFile;
};

class Win32ErrorsTest : public ::testing::TestWithParam<Mapping> {};

TEST_P(Win32ErrorsTest, MapsToTheRuntimesNumber) {
    const Mapping m = GetParam();
    const Error e = describe(win32Failure(m.code, m.side, QStringLiteral("a:\\ACCT1\\ACCT.CVD")));
    EXPECT_EQ(e.number(), m.number);
    EXPECT_EQ(e.description().contains(QStringLiteral("a:\\ACCT1\\ACCT.CVD")), m.namesFile)
        << qPrintable(e.description());
}

constexpr IoSide Src = IoSide::Source;
constexpr IoSide Dst = IoSide::Destination;

INSTANTIATE_TEST_SUITE_P(
    Table, Win32ErrorsTest,
    ::testing::Values(Mapping{ERROR_FILE_NOT_FOUND, Src, 53, false},
                      Mapping{ERROR_PATH_NOT_FOUND, Src, 53, false},
                      Mapping{ERROR_NO_MORE_FILES, Src, 53, false},
                      Mapping{ERROR_PATH_NOT_FOUND, Dst, 76, true},
                      Mapping{ERROR_NOT_READY, Dst, 71, false},
                      Mapping{ERROR_NOT_READY, Src, 68, false},
                      Mapping{ERROR_WRITE_PROTECT, Dst, 70, false},
                      Mapping{ERROR_ACCESS_DENIED, Dst, 70, false},
                      // A refused source is no disk to change: it is named instead.
                      Mapping{ERROR_ACCESS_DENIED, Src, 75, true},
                      Mapping{ERROR_DISK_FULL, Dst, 61, false},
                      Mapping{ERROR_HANDLE_DISK_FULL, Dst, 61, false},
                      Mapping{ERROR_CRC, Src, 57, true},
                      Mapping{ERROR_SECTOR_NOT_FOUND, Dst, 57, true},
                      Mapping{ERROR_IO_DEVICE, Dst, 57, true},
                      Mapping{ERROR_SHARING_VIOLATION, Src, 75, true},
                      Mapping{ERROR_INVALID_NAME, Dst, 75, true},
                      Mapping{ERROR_FILE_EXISTS, Dst, 58, false},
                      // Anything else still says which file and why.
                      Mapping{ERROR_NOT_ENOUGH_MEMORY, Dst, 75, true}));

} // namespace
} // namespace qel
