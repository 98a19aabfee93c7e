#include "Threading/CriticalSection.hpp"
#include "Threading/ScopedLock.hpp"

#include <gtest/gtest.h>

#include <future>

using Threading::CriticalSection;
using Threading::ScopedLock;

namespace {

// Whether another thread can take the lock right now (it releases it again at once).
bool freeForOthers(CriticalSection& section) {
    return std::async(std::launch::async,
                      [&section] {
                          const bool taken = section.tryEnter();
                          if (taken)
                              section.exit();
                          return taken;
                      })
        .get();
}

} // namespace

TEST(CriticalSection, OwnerMayEnterAgainAndOthersWaitUntilTheLastExit) {
    CriticalSection section;
    section.enter();
    section.enter();
    EXPECT_TRUE(section.tryEnter());
    EXPECT_FALSE(freeForOthers(section));
    section.exit();
    section.exit();
    EXPECT_FALSE(freeForOthers(section));
    section.exit();
    EXPECT_TRUE(freeForOthers(section));
}

TEST(CriticalSection, InheritsPriority) {
    CriticalSection section;
    EXPECT_TRUE(section.inheritsPriority());
}

TEST(ScopedLock, HoldsTheSectionForItsScope) {
    CriticalSection section;
    {
        ScopedLock lock(section);
        EXPECT_FALSE(freeForOthers(section));
        ScopedLock nested(section);
    }
    EXPECT_TRUE(freeForOthers(section));
}
