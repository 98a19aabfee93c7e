#include "Threading/CriticalSection.hpp"
#include "Threading/ScopedLock.hpp"

#include <gtest/gtest.h>

#include <future>

using Threading::CriticalSection;
using Threading::ScopedLock;

namespace {

// Whether another thread can take the lock right now (it releases it again at once).
bool freeForOthers(CriticalSection& section) {
    auto probe = [&section] { return section.tryEnter() && (section.exit(), true); };
    return std::async(std::launch::async, probe).get();
}

} // namespace

TEST(CriticalSection, OwnerMayEnterAgainAndOthersWaitUntilTheLastExit) {
    CriticalSection section;
    EXPECT_TRUE(section.inheritsPriority());
    section.enter();
    EXPECT_TRUE(section.tryEnter());
    {
        ScopedLock lock(section);
        EXPECT_FALSE(freeForOthers(section));
    }
    section.exit();
    EXPECT_FALSE(freeForOthers(section));
    section.exit();
    EXPECT_TRUE(freeForOthers(section));
    {
        ScopedLock lock(section);
        EXPECT_FALSE(freeForOthers(section));
    }
    EXPECT_TRUE(freeForOthers(section));
}
