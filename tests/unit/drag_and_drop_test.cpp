#include "tree/DragScroll.h"
#include "tree/TextBlock.h"
#include <gtest/gtest.h>
#include <vector>

namespace {

// A tree client area of 200 x 300 pixels.
ScrollStep At(unsigned tick, int x, int y)
{
    return DragScrollStep(tick, x, y, 0, 0, 200, 300);
}

// The ticks in 1..count at which a step of the given axis comes.
std::vector<unsigned> StepTicks(unsigned count, int x, int y, bool vertical)
{
    std::vector<unsigned> ticks;
    for (unsigned t = 1; t <= count; ++t) {
        const ScrollStep step = At(t, x, y);
        if ((vertical ? step.vertical : step.horizontal) != 0)
            ticks.push_back(t);
    }
    return ticks;
}

}  // namespace

TEST(DragScroll, IntervalShrinksByOneTickPerTwentyPixels)
{
    // Pixels beyond the band's start, the slowest interval, the interval.
    const int cases[][3] = {{1, 6, 6}, {19, 6, 6}, {20, 6, 5}, {99, 6, 2}, {100, 6, 1}, {5000, 6, 1}, {59, 4, 2}, {60, 4, 1}};
    for (const auto& c : cases)
        EXPECT_EQ(ScrollInterval(c[0], c[1]), c[2]) << c[0] << " beyond, slowest " << c[1];
}

TEST(DragScroll, NoStepWellInsideTheTree)
{
    EXPECT_EQ(StepTicks(24, 100, 150, true), std::vector<unsigned>{});
    EXPECT_EQ(StepTicks(24, 100, 150, false), std::vector<unsigned>{});
    EXPECT_EQ(At(12, 10, 10).vertical, 0) << "exactly 10 pixels inside is not yet the band";
}

TEST(DragScroll, VerticalStepsEverySixthTickInTheBand)
{
    EXPECT_EQ(StepTicks(18, 100, 9, true), (std::vector<unsigned>{6, 12, 18}));
    EXPECT_EQ(At(6, 100, 9).vertical, -1);
    EXPECT_EQ(At(6, 100, 291).vertical, 1);
    // 10 pixels above the tree is 20 beyond the band's start.
    EXPECT_EQ(StepTicks(10, 100, -10, true), (std::vector<unsigned>{5, 10}));
}

TEST(DragScroll, VerticalStepsEveryTickFromNinetyPixelsBeyond)
{
    EXPECT_EQ(StepTicks(3, 100, -90, true), (std::vector<unsigned>{1, 2, 3}));
    EXPECT_EQ(StepTicks(4, 100, -89, true), (std::vector<unsigned>{2, 4}));
    EXPECT_EQ(At(7, 100, 390).vertical, 1);
}

TEST(DragScroll, HorizontalStepsEveryFourthTickInTheBandAndEveryTickFromFifty)
{
    EXPECT_EQ(StepTicks(8, 5, 150, false), (std::vector<unsigned>{4, 8}));
    EXPECT_EQ(At(4, 5, 150).horizontal, -1);
    EXPECT_EQ(At(4, 195, 150).horizontal, 1);
    EXPECT_EQ(StepTicks(3, -50, 150, false), (std::vector<unsigned>{1, 2, 3}));
    EXPECT_EQ(StepTicks(3, 250, 150, false), (std::vector<unsigned>{1, 2, 3}));
}

TEST(DragScroll, BothAxesStepIndependentlyInACorner)
{
    const ScrollStep step = At(12, -100, -100);
    EXPECT_EQ(step.vertical, -1);
    EXPECT_EQ(step.horizontal, -1);
    EXPECT_EQ(At(6, 5, 295).vertical, 1);
    EXPECT_EQ(At(6, 5, 295).horizontal, 0);
}

TEST(DragScroll, TheTickCountIsNotResetSoLargeCountsWork)
{
    EXPECT_EQ(At(4294967292u, 5, 150).horizontal, -1);  // a multiple of 4
    EXPECT_EQ(At(4294967295u, 5, 150).horizontal, 0);
}

TEST(TextBlock, EndsAtTheFirstZeroByteOrElseTakesTheWholeBlock)
{
    const char zeroInside[] = {'a', 'b', 'c', '\0', 'd', 'e', 'f'};
    const char zeroFirst[] = {'\0', 'x'};
    const char noZero[] = {'a', 'b', 'c'};
    EXPECT_EQ(TextOfBlock(zeroInside, sizeof(zeroInside)), "abc");
    EXPECT_EQ(TextOfBlock(zeroFirst, sizeof(zeroFirst)), "");
    EXPECT_EQ(TextOfBlock(noZero, sizeof(noZero)), "abc");
    EXPECT_EQ(TextOfBlock(nullptr, 0), "");
    EXPECT_EQ(TextOfBlock(noZero, 0), "");
}

TEST(TextBlock, DragBlocksGrowInWholeSteps)
{
    EXPECT_EQ(DragBlockSize(0), 0u);
    EXPECT_EQ(DragBlockSize(1), 4096u);
    EXPECT_EQ(DragBlockSize(4095), 4096u);
    EXPECT_EQ(DragBlockSize(4096), 4096u) << "an exact multiple has no zero byte after the text";
    EXPECT_EQ(DragBlockSize(4097), 8192u);
}
