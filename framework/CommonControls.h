#pragma once

// Loads the common controls' library and registers its classes (the tree,
// the up-down and hotkey controls, tooltips). The program loads the library
// only when it first needs it: a program that lives in the tray starts
// without it. Cheap once done.
void LoadCommonControls();
