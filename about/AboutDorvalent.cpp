#include "about/AboutDorvalent.h"
#include "res/resource.h"

CAboutDorvalent::CAboutDorvalent(HWND parent)
    : CDialog(IDD_ABOUTBOX, parent)
{
}
