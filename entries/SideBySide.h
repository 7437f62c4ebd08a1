#pragma once
#include <cstddef>
#include <functional>
#include <memory>

// Runs `aside` on a thread of its own while this thread runs `here`, and
// returns once both are done. Where no thread can be started, both run
// here, one after the other: the work is the same, only slower. Both may
// read, but neither may write, what the other reads. What either throws
// is thrown on once both are done (the first's where both throw).
void RunSideBySide(const std::function<void()>& aside, const std::function<void()>& here);

// Pieces of work done on a thread of their own, one after another in the
// order handed, while this thread goes on; Finish waits for all of them.
// Where no thread can be had, each piece is done here as it is handed.
// Once a piece throws, those after it are not done and Finish throws on
// what it threw. A piece may read what this thread no longer changes.
class WorkAside {
public:
    WorkAside();
    // Waits for the pieces handed; what one threw is lost.
    ~WorkAside();
    WorkAside(const WorkAside&) = delete;
    WorkAside& operator=(const WorkAside&) = delete;

    void Hand(std::function<void()> piece);
    // Returns once every piece handed is done; more may be handed after.
    void Wait();
    void Finish();

private:
    struct Queue;
    std::unique_ptr<Queue> m_queue;
};

// Whether hashing `bytes` with FNV-1a, as the identities are, is worth
// RunSideBySide: the machine has a second processor, and half the work
// takes longer than handing it to another thread and waiting for it, about
// a millisecond under Wine the first time (hashing 4 MiB takes about 2.5 ms
// in the 32-bit build). Work of another speed passes the bytes FNV-1a would hash in its
// time.
bool WorthASecondThread(size_t bytes);
