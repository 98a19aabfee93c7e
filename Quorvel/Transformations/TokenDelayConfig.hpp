#pragma once

#include "DSP/Processing/Base/ProcessingConfig.hpp"

#include <cstdint>

namespace DSP {

// How a token delay line is configured: its capacity and its delay, both in tokens.
class TokenDelayConfig : public ProcessingConfig {
public:
    const char* GetDSPClassName() const override { return "TokenDelayConfig"; }

    // The delay at configuration, in tokens; above the capacity it is cut to the capacity.
    std::uint32_t GetInitialDelay() const { return mInitialDelay; }
    void SetInitialDelay(std::uint32_t tokens) { mInitialDelay = tokens; }

    // The capacity of the line, in tokens: the longest delay it holds.
    std::uint32_t GetMaxDelay() const { return mMaxDelay; }
    void SetMaxDelay(std::uint32_t tokens) { mMaxDelay = tokens; }

private:
    std::uint32_t mInitialDelay = 0;
    std::uint32_t mMaxDelay = 0;
};

} // namespace DSP
