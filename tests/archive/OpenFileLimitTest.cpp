// The reserve of descriptors that archives leave free: a quarter of the
// limit, at most 128, on both sides of its first descriptor.

#include "archive/OpenFileLimit.h"

#include <gtest/gtest.h>

#include <sys/resource.h>

namespace {

TEST(OpenFileLimit, TheReserveIsAQuarterOfTheLimitAndAtMost128)
{
    struct rlimit saved;
    ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &saved), 0);
    if (saved.rlim_max < 1024)
        GTEST_SKIP() << "the hard limit on open files is below 1024";
    struct TCase {
        rlim_t limit;
        int firstReserved;
    };
    for (const TCase c : {TCase{256, 192}, TCase{1024, 896}}) {
        struct rlimit limit = saved;
        limit.rlim_cur = c.limit;
        ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &limit), 0);
        const bool below = InOpenFileReserve(c.firstReserved - 1);
        const bool first = InOpenFileReserve(c.firstReserved);
        ::setrlimit(RLIMIT_NOFILE, &saved);
        EXPECT_FALSE(below) << c.limit;
        EXPECT_TRUE(first) << c.limit;
    }
}

} // namespace
