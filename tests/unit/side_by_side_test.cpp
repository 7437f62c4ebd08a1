// Work on a second thread: split in two halves, both always run to their
// end and what either throws comes back to the caller only then; handed
// aside piece by piece, the pieces keep their order.
#include "entries/SideBySide.h"
#include <gtest/gtest.h>
#include <atomic>
#include <stdexcept>
#include <vector>

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

// Pieces handed aside are done in the order handed, Wait returns with all of
// them done, and a piece that throws stops those after it: Finish throws it.
TEST(SideBySide, WorkAsideDoesItsPiecesInOrderUntilOneThrows)
{
    for (const int thrower : {-1, 3}) {
        std::vector<int> done;
        WorkAside aside;
        const auto hand = [&](int from, int to) {
            for (int piece = from; piece < to; ++piece)
                aside.Hand([&done, piece, thrower] {
                    if (piece == thrower)
                        throw std::runtime_error("piece");
                    done.push_back(piece);
                });
        };
        hand(0, 3);
        aside.Wait();
        ASSERT_EQ(done, (std::vector<int>{0, 1, 2}));
        hand(3, 50);
        if (thrower < 0) {
            aside.Finish();
            ASSERT_EQ(done.size(), 50u);
            for (int piece = 0; piece < 50; ++piece)
                EXPECT_EQ(done[static_cast<size_t>(piece)], piece);
        } else {
            EXPECT_THROW(aside.Finish(), std::runtime_error);
            EXPECT_EQ(done, (std::vector<int>{0, 1, 2}));
        }
    }
}
