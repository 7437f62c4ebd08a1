#include "app/QuipMarkApp.h"

CQuipMarkApp theApp;

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    return theApp.Run();
}
