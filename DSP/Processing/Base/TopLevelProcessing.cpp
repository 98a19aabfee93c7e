#include "DSP/Processing/Base/TopLevelProcessing.hpp"

#include <atomic>

#include "DSP/Misc/Err.hpp"

namespace DSP {

namespace {
// Set while the instance exists, so that objects destroyed after it (other statics) do not
// reach into a dead list.
std::atomic<bool> sTopLevelAlive{false};
} // namespace

TopLevelProcessing::TopLevelProcessing() {
    sTopLevelAlive.store(true);
}

TopLevelProcessing::~TopLevelProcessing() {
    sTopLevelAlive.store(false);
}

TopLevelProcessing& TopLevelProcessing::GetInstance() {
    // The mutex is made first so that it outlives the instance at exit.
    ListMutex();
    static TopLevelProcessing instance;
    return instance;
}

const ProcessingConfig& TopLevelProcessing::GetConfig() const {
    static const TopLevelProcessingConfig config;
    return config;
}

std::mutex& TopLevelProcessing::ListMutex() {
    static std::mutex mutex;
    return mutex;
}

bool TopLevelProcessing::IsAlive() {
    return sTopLevelAlive.load();
}

bool TopLevelProcessing::Do() {
    DSP_CHECK(false, "TopLevelProcessing::Do(): Not implemented\n");
    return false;
}

bool TopLevelProcessing::ConcreteConfigure(const ProcessingConfig&) {
    DSP_CHECK(false, "Singleton TopLevelProcessing can't be configured");
    return false;
}

} // namespace DSP
