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

// A thread of the system's pool rather than one of its own: under Wine
// starting a thread and waiting for it costs about a millisecond, and a
// load hashes on a second thread up to three times in a row, which a pool
// thread serves at a tenth of that after the first. (Neither std::thread:
// the program links the standard library statically, and MinGW's brings a
// threads library of its own along.)
class AsideThread {
public:
    explicit AsideThread(AsideWork& work) : m_work(work), m_done(CreateEventA(nullptr, TRUE, FALSE, nullptr))
    {
        if (m_done == nullptr || !QueueUserWorkItem(RunAndSignal, this, WT_EXECUTEDEFAULT)) {
            if (m_done != nullptr)
                CloseHandle(m_done);
            m_done = nullptr;
            work.Run();
        }
    }
    ~AsideThread()
    {
        if (m_done != nullptr) {
            WaitForSingleObject(m_done, INFINITE);
            CloseHandle(m_done);
        }
    }
    AsideThread(const AsideThread&) = delete;
    AsideThread& operator=(const AsideThread&) = delete;

private:
    static DWORD WINAPI RunAndSignal(void* self)
    {
        AsideThread& thread = *static_cast<AsideThread*>(self);
        thread.m_work.Run();
        SetEvent(thread.m_done);
        return 0;
    }

    AsideWork& m_work;
    HANDLE m_done;
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
