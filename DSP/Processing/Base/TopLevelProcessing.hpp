#pragma once

#include "DSP/Processing/Base/ProcessingComposite.hpp"

#include <mutex>

namespace DSP {

/// The configuration of the top level: no fields.
class TopLevelProcessingConfig : public ProcessingConfig {
public:
    const char* GetDSPClassName() const override { return "TopLevelProcessingConfig"; }
};

/// The process-wide root of the processing tree: every object configured without a parent is
/// listed here. Created on first use (thread-safe), destroyed at process exit; it cannot be
/// configured and has no Do of its own.
class TopLevelProcessing : public ProcessingComposite {
public:
    static TopLevelProcessing& GetInstance();
    /// True between the instance's construction and its destruction at exit. Never creates it.
    static bool IsAlive();
    /// Guards the list: objects are configured and destroyed on several threads when several
    /// engines live in one process. Taken only at configuration and destruction, never while
    /// rendering.
    static std::mutex& ListMutex();

    ~TopLevelProcessing() override;

    const char* GetDSPClassName() const override { return "TopLevelProcessing"; }
    /// Fails with "TopLevelProcessing::Do(): Not implemented\n".
    bool Do() override;
    const ProcessingConfig& GetConfig() const override;

protected:
    /// Fails with "Singleton TopLevelProcessing can't be configured".
    bool ConcreteConfigure(const ProcessingConfig& cfg) override;

private:
    TopLevelProcessing();
};

} // namespace DSP
