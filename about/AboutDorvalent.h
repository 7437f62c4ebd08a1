#pragma once
#include "framework/Dialog.h"

// The About box: version, maker and two links.
class CAboutDorvalent : public CDialog {
public:
    explicit CAboutDorvalent(HWND parent = nullptr);
};
