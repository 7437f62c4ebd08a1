#include "entries/SideBySide.h"
#include <deque>
#include <exception>
#include <memory>
#ifdef _WIN32
#include <windows.h>
#else
#include <condition_variable>
#include <mutex>
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
    // Where no thread can be had, `work` runs here when `orHere`.
    AsideThread(AsideWork& work, bool orHere) : m_work(work), m_done(CreateEventA(nullptr, TRUE, FALSE, nullptr))
    {
        if (m_done == nullptr || !QueueUserWorkItem(RunAndSignal, this, WT_EXECUTEDEFAULT)) {
            if (m_done != nullptr)
                CloseHandle(m_done);
            m_done = nullptr;
            if (orHere)
                work.Run();
        }
    }
    bool Started() const { return m_done != nullptr; }
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
    AsideThread(AsideWork& work, bool orHere)
    {
        try {
            m_thread = std::thread([&work] { work.Run(); });
        } catch (const std::system_error&) {
            if (orHere)
                work.Run();
        }
    }
    bool Started() const { return m_thread.joinable(); }
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

// A lock with a signal of change under it.
class Guarded {
public:
#ifdef _WIN32
    void Lock() { AcquireSRWLockExclusive(&m_lock); }
    void Unlock() { ReleaseSRWLockExclusive(&m_lock); }
    // Unlocks until Signal, and locks again.
    void Wait() { SleepConditionVariableSRW(&m_changed, &m_lock, INFINITE, 0); }
    void Signal() { WakeAllConditionVariable(&m_changed); }

private:
    SRWLOCK m_lock = SRWLOCK_INIT;
    CONDITION_VARIABLE m_changed = CONDITION_VARIABLE_INIT;
#else
    void Lock() { m_lock.lock(); }
    void Unlock() { m_lock.unlock(); }
    void Wait()
    {
        std::unique_lock<std::mutex> held(m_lock, std::adopt_lock);
        m_changed.wait(held);
        held.release();
    }
    void Signal() { m_changed.notify_all(); }

private:
    std::mutex m_lock;
    std::condition_variable m_changed;
#endif
};

class Locked {
public:
    explicit Locked(Guarded& guarded) : m_guarded(guarded) { m_guarded.Lock(); }
    ~Locked() { m_guarded.Unlock(); }
    Locked(const Locked&) = delete;
    Locked& operator=(const Locked&) = delete;

private:
    Guarded& m_guarded;
};

}  // namespace

struct WorkAside::Queue {
    Guarded guarded;
    std::deque<std::function<void()>> pieces;
    bool closed = false;
    // Pieces handed and not yet done.
    size_t undone = 0;
    // What a piece threw; the pieces after it are not done.
    std::exception_ptr thrown;
    const std::function<void()> consume = [this] { Consume(); };
    AsideWork work{consume, nullptr};
    // None where no thread could be had.
    std::unique_ptr<AsideThread> thread;

    void Consume()
    {
        for (;;) {
            std::function<void()> piece;
            {
                const Locked locked(guarded);
                while (pieces.empty() && !closed)
                    guarded.Wait();
                if (pieces.empty())
                    return;
                piece = std::move(pieces.front());
                pieces.pop_front();
            }
            if (!thrown)
                Run(piece);
            {
                const Locked locked(guarded);
                --undone;
            }
            guarded.Signal();
        }
    }

    void Run(const std::function<void()>& piece)
    {
        try {
            piece();
        } catch (...) {
            const Locked locked(guarded);
            thrown = std::current_exception();
        }
    }
};

WorkAside::WorkAside() : m_queue(std::make_unique<Queue>())
{
    m_queue->thread = std::make_unique<AsideThread>(m_queue->work, false);
    if (!m_queue->thread->Started())
        m_queue->thread.reset();
}

WorkAside::~WorkAside()
{
    try {
        Finish();
    } catch (...) {
    }
}

void WorkAside::Hand(std::function<void()> piece)
{
    Queue& queue = *m_queue;
    if (queue.thread == nullptr) {
        if (!queue.thrown)
            queue.Run(piece);
        return;
    }
    {
        const Locked locked(queue.guarded);
        queue.pieces.push_back(std::move(piece));
        ++queue.undone;
    }
    queue.guarded.Signal();
}

void WorkAside::Wait()
{
    Queue& queue = *m_queue;
    if (queue.thread == nullptr)
        return;
    const Locked locked(queue.guarded);
    while (queue.undone > 0)
        queue.guarded.Wait();
}

void WorkAside::Finish()
{
    Queue& queue = *m_queue;
    if (queue.thread != nullptr) {
        {
            const Locked locked(queue.guarded);
            queue.closed = true;
        }
        queue.guarded.Signal();
        // Waits for the thread to end.
        queue.thread.reset();
    }
    if (queue.thrown) {
        std::exception_ptr thrown = queue.thrown;
        queue.thrown = nullptr;
        std::rethrow_exception(thrown);
    }
}

void RunSideBySide(const std::function<void()>& aside, const std::function<void()>& here)
{
    AsideWork work{aside, nullptr};
    std::exception_ptr thrown;
    {
        // Waits for the other thread however `here` ends.
        AsideThread thread(work, true);
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
