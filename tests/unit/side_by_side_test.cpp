// Work split over two threads: both halves always run to their end, and
// what either throws comes back to the caller only then.
#include "entries/SideBySide.h"
#include <gtest/gtest.h>
#include <atomic>
#include <stdexcept>

TEST(SideBySide, BothSidesRunToTheirEndAndWhatEitherThrowsComesBackAfter)
{
    for (int thrower = 0; thrower < 4; ++thrower) {
        std::atomic<int> asideDone{0}, hereDone{0};
        const auto aside = [&] {
            asideDone = 1;
            if (thrower & 1)
                throw std::runtime_error("aside");
        };
        const auto here = [&] {
            hereDone = 1;
            if (thrower & 2)
                throw std::runtime_error("here");
        };
        try {
            RunSideBySide(aside, here);
            EXPECT_EQ(thrower, 0);
        } catch (const std::runtime_error& thrown) {
            // The aside's, where both threw.
            EXPECT_STREQ(thrown.what(), (thrower & 1) ? "aside" : "here") << thrower;
        }
        EXPECT_EQ(asideDone, 1) << thrower;
        EXPECT_EQ(hereDone, 1) << thrower;
    }
}
