#pragma once

// Phase accumulation over blocks of bins: each result is bit for bit WrapPhase of the scalar
// sum, on any x86-64 and with AVX2 where the processor has it (never fused multiply-adds).
// Pure, thread-safe and allocation-free.

namespace DSP {

// For k in [0, n): out[k] = WrapPhase(a[k] + b[k]). out may be a or b.
void WrapPhaseSums(const float* a, const float* b, int n, float* out);

namespace PhaseWrapBlockDetail {
// The four-lane build (any x86-64) and the eight-lane one (only where CpuHasAvx2()), for tests.
void WrapPhaseSumsSse2(const float* a, const float* b, int n, float* out);
void WrapPhaseSumsAvx2(const float* a, const float* b, int n, float* out);
} // namespace PhaseWrapBlockDetail

} // namespace DSP
