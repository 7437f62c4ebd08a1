#pragma once
#include "app/QuipMarkDlg.h"
#include <functional>

// How many messages the tree control of `dialog` receives while `work` runs.
size_t TreeMessagesDuring(CQuipMarkDlg& dialog, const std::function<void()>& work);
