#include "tree/DragScroll.h"

namespace {

const int kBand = 10;               // pixels inside the edge where scrolling begins
const int kStepWidth = 20;          // pixels per tick taken off the interval
const int kSlowestVertical = 6;     // ticks
const int kSlowestHorizontal = 4;   // ticks

// -1 before the low edge, +1 past the high edge, 0 between them, when the
// tick falls on the interval.
int StepAlong(unsigned tick, int position, int low, int high, int slowest)
{
    int direction = 0;
    int beyond = 0;
    if (position < low + kBand) {
        direction = -1;
        beyond = low + kBand - position;
    } else if (position > high - kBand) {
        direction = 1;
        beyond = position - (high - kBand);
    } else {
        return 0;
    }
    const unsigned interval = static_cast<unsigned>(ScrollInterval(beyond, slowest));
    return tick % interval == 0 ? direction : 0;
}

}  // namespace

int ScrollInterval(int beyond, int slowest)
{
    const int interval = slowest - beyond / kStepWidth;
    return interval < 1 ? 1 : interval;
}

ScrollStep DragScrollStep(unsigned tick, int x, int y, int left, int top, int right, int bottom)
{
    ScrollStep step;
    step.vertical = StepAlong(tick, y, top, bottom, kSlowestVertical);
    step.horizontal = StepAlong(tick, x, left, right, kSlowestHorizontal);
    return step;
}
