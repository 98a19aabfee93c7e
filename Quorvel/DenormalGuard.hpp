#pragma once
// Sets flush-to-zero and denormals-are-zero for its lifetime and restores the caller's mode:
// decaying feedback and freeze tails would otherwise crawl through denormal numbers, which
// cost a hundred times a normal multiply on x86.

#if defined(__SSE__) || defined(__x86_64__)
#include <xmmintrin.h>
#define QUORVEL_HAS_MXCSR 1
#endif

namespace Quorvel {

class DenormalGuard {
public:
#ifdef QUORVEL_HAS_MXCSR
    DenormalGuard() : mSaved(_mm_getcsr()) {
        _mm_setcsr(mSaved | kFlushToZero | kDenormalsAreZero);
    }
    ~DenormalGuard() {
        _mm_setcsr(mSaved);
    }
#else
    DenormalGuard() = default;
#endif
    DenormalGuard(const DenormalGuard&) = delete;
    DenormalGuard& operator=(const DenormalGuard&) = delete;

private:
#ifdef QUORVEL_HAS_MXCSR
    static constexpr unsigned int kFlushToZero = 0x8000;
    static constexpr unsigned int kDenormalsAreZero = 0x0040;
    unsigned int mSaved;
#endif
};

} // namespace Quorvel
