#include "entries/SideBySide.h"
#include <exception>
#ifdef _WIN32
#include <windows.h>
#else
#include <system_error>
#include <thread>
#endif

namespace {

// The work of the other thread, and what it threw.
struct AsideWork {
    const std::function<void()>& work;
    std::exception_ptr thrown;

    void Run()
    {
        try {
            work();
        } catch (...) {
            thrown = std::current_exception();
        }
    }
};

#ifdef _WIN32

DWORD WINAPI RunAside(void* work)
{
    static_cast<AsideWork*>(work)->Run();
    return 0;
}

// The system's threads rather than std::thread: the program links the
// standard library statically, and MinGW's std::thread brings a threads
// library of its own along.
class AsideThread {
public:
    explicit AsideThread(AsideWork& work) : m_thread(CreateThread(nullptr, 0, RunAside, &work, 0, nullptr))
    {
        if (m_thread == nullptr)
            work.Run();
    }
    ~AsideThread()
    {
        if (m_thread != nullptr) {
            WaitForSingleObject(m_thread, INFINITE);
            CloseHandle(m_thread);
        }
    }
    AsideThread(const AsideThread&) = delete;
    AsideThread& operator=(const AsideThread&) = delete;

private:
    HANDLE m_thread;
};

#else

class AsideThread {
public:
    explicit AsideThread(AsideWork& work)
    {
        try {
            m_thread = std::thread([&work] { work.Run(); });
        } catch (const std::system_error&) {
            work.Run();
        }
    }
    ~AsideThread()
    {
        if (m_thread.joinable())
            m_thread.join();
    }
    AsideThread(const AsideThread&) = delete;
    AsideThread& operator=(const AsideThread&) = delete;

private:
    std::thread m_thread;
};

#endif

}  // namespace

void RunSideBySide(const std::function<void()>& aside, const std::function<void()>& here)
{
    AsideWork work{aside, nullptr};
    std::exception_ptr thrown;
    {
        // Waits for the other thread however `here` ends.
        AsideThread thread(work);
        try {
            here();
        } catch (...) {
            thrown = std::current_exception();
        }
    }
    if (work.thrown)
        std::rethrow_exception(work.thrown);
    if (thrown)
        std::rethrow_exception(thrown);
}

bool WorthASecondThread(size_t bytes)
{
    if (bytes < (4u << 20))
        return false;
#ifdef _WIN32
    SYSTEM_INFO info = {};
    GetSystemInfo(&info);
    return info.dwNumberOfProcessors > 1;
#else
    return std::thread::hardware_concurrency() > 1;
#endif
}
