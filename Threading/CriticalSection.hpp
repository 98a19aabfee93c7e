#pragma once

#include <pthread.h>

namespace Threading {

// A recursive mutex with priority inheritance: the thread that holds it may enter again (each
// enter needs its exit), and a high-priority thread waiting for it lends its priority to the
// holder, so a waiting render thread is not held up by threads of middle priority.
// Entering and leaving never allocate.
class CriticalSection {
public:
    // Throws std::system_error when the operating system cannot create the mutex.
    CriticalSection();
    ~CriticalSection();
    CriticalSection(const CriticalSection&) = delete;
    CriticalSection& operator=(const CriticalSection&) = delete;

    void enter();
    // True when the lock was taken without waiting (always when this thread holds it already).
    bool tryEnter();
    void exit();

    // Whether the mutex was created with priority inheritance (it is wherever the system
    // supports it, which Linux does).
    bool inheritsPriority() const { return m_inheritsPriority; }

private:
    pthread_mutex_t m_mutex;
    bool m_inheritsPriority = false;
};

} // namespace Threading
