#include "app/QuipMarkApp.h"
#include <cstdlib>
#include <exception>

CQuipMarkApp theApp;

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    return theApp.Run();
}

#if defined(__GLIBCXX__)
// GCC's library answers an exception that nothing caught by writing its
// type's name to the standard error, which a program without a console does
// not have; that answer alone brings a demangler and a printf into the
// program, a tenth of its size. The program ends as the default ends it
// after the message: by abort.
namespace __gnu_cxx {
void __verbose_terminate_handler()
{
    std::abort();
}
}  // namespace __gnu_cxx
#endif
