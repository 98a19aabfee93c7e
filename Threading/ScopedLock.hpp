#pragma once

#include "Threading/CriticalSection.hpp"

namespace Threading {

// Enters a critical section for the lifetime of the object.
class ScopedLock {
public:
    explicit ScopedLock(CriticalSection& section) : m_section(section) { m_section.enter(); }
    ~ScopedLock() { m_section.exit(); }
    ScopedLock(const ScopedLock&) = delete;
    ScopedLock& operator=(const ScopedLock&) = delete;

private:
    CriticalSection& m_section;
};

} // namespace Threading
