#pragma once

// When the tree scrolls itself during its own drag. The drag timer ticks
// every 75 ms; near an edge of the tree, and beyond it, the tree scrolls one
// line or column at every n-th tick, n shrinking as the pointer moves away.

// Ticks between two steps for a pointer `beyond` pixels past the line 10
// pixels inside an edge (beyond > 0): `slowest` ticks in the first 20 pixels,
// one fewer for each further 20, at least 1.
int ScrollInterval(int beyond, int slowest);

// -1 up or left, +1 down or right, 0 none.
struct ScrollStep {
    int vertical;
    int horizontal;
};

// The steps for tick number `tick` (counted from 1, never reset) with the
// pointer at (x, y) and the client rectangle left, top, right, bottom, all in
// client coordinates.
ScrollStep DragScrollStep(unsigned tick, int x, int y, int left, int top, int right, int bottom);
