#include "Threading/CriticalSection.hpp"

#include <cerrno>
#include <system_error>

namespace Threading {

namespace {

void check(int result, const char* what) {
    if (result != 0)
        throw std::system_error(result, std::generic_category(), what);
}

} // namespace

CriticalSection::CriticalSection() {
    pthread_mutexattr_t attributes;
    check(pthread_mutexattr_init(&attributes), "pthread_mutexattr_init");
    int result = pthread_mutexattr_settype(&attributes, PTHREAD_MUTEX_RECURSIVE);
    // A system without priority inheritance (ENOTSUP) still gets a working recursive lock.
    if (result == 0) {
        const int protocol = pthread_mutexattr_setprotocol(&attributes, PTHREAD_PRIO_INHERIT);
        m_inheritsPriority = protocol == 0;
        if (protocol != 0 && protocol != ENOTSUP)
            result = protocol;
    }
    if (result == 0)
        result = pthread_mutex_init(&m_mutex, &attributes);
    pthread_mutexattr_destroy(&attributes);
    check(result, "pthread mutex creation");
}

CriticalSection::~CriticalSection() {
    pthread_mutex_destroy(&m_mutex);
}

void CriticalSection::enter() {
    pthread_mutex_lock(&m_mutex);
}

bool CriticalSection::tryEnter() {
    return pthread_mutex_trylock(&m_mutex) == 0;
}

void CriticalSection::exit() {
    pthread_mutex_unlock(&m_mutex);
}

} // namespace Threading
