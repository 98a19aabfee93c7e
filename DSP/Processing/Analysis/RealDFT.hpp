#pragma once

#include <cstdint>
#include <vector>

namespace DSP {

/// In-place real discrete Fourier transform of a power-of-two size N >= 2, in single precision.
///
/// The frame is treated as N/2 complex points, transformed by a radix-4 decimation-in-time
/// core (with one radix-2 pass when log2(N/2) is odd) after a bit-reversal permutation, and a
/// split step turns that half-size complex spectrum into the spectrum of the real frame.
///
/// Packed layout, forward (`isgn` = +1), for a frame x[0 .. N-1], unscaled:
///   a[0]      = sum x[j]                          DC, real
///   a[1]      = sum x[j] * (-1)^j                 Nyquist, real
///   a[2k]     = sum x[j] * cos(2 pi j k / N)      0 < k < N/2
///   a[2k + 1] = sum x[j] * sin(2 pi j k / N)      0 < k < N/2
/// so a[2k + 1] is minus the imaginary part of X[k] = sum x[j] e^(-i 2 pi j k / N).
/// Backward (`isgn` = -1) takes that layout and returns (N/2) * x[j]; multiplying by 2/N gives
/// back the frame.
///
/// The twiddle tables hold values of the fast cosine and sine (`DSP_cos`, `DSP_sin`), so the
/// transform carries their approximation error (a few 1e-7 relative). Tables are built by
/// `Setup` (or lazily by the first `rdft` call on a zeroed work area); `Transform` never
/// allocates. Not thread-safe per object; distinct objects are independent.
///
/// The static functions are the scalar reference. `Transform` runs the same butterflies, split
/// steps and permutation over four or eight lanes at once (eight where the processor has AVX2),
/// every value computed by the same single-precision operations in the same order, so its
/// output is bit for bit the reference's.
class RealDFT {
public:
    RealDFT() = default;

    /// Allocates zeroed tables for size n (a power of two >= 2) and builds them.
    void Setup(int n);
    /// Frees the tables; `IsReady()` becomes false.
    void Release();
    bool IsReady() const { return mSize > 0; }
    int GetSize() const { return mSize; }

    /// Which code runs a transform: the scalar reference, four lanes (any x86-64) or eight
    /// (AVX2). Every choice gives the same bits.
    enum class Kernels { eScalar, eFourLanes, eEightLanes };
    /// The widest kernels this processor runs.
    static Kernels Widest();

    /// Transforms the mSize samples at a in place (see the layout above) with the widest
    /// kernels. Requires IsReady(); reads the tables only.
    void Transform(float* a, int isgn) const { TransformWith(Widest(), a, isgn); }
    /// The same with the given kernels (eEightLanes only where Widest() is eEightLanes).
    /// Sizes below 64 always take the scalar reference.
    void TransformWith(Kernels kernels, float* a, int isgn) const;

    /// Integers of the bit-reversal work area for size n: 2 + 2^floor(floor(log2(n/2))/2).
    static int WorkAreaSize(int n);
    /// Floats of the cosine/sine table for size n.
    static int TableSize(int n);

    /// The transform proper. ip must hold WorkAreaSize(n) integers and w TableSize(n) floats;
    /// a zero ip[0] (or one built for another size) makes it build the tables first.
    static void rdft(int n, int isgn, float* a, int* ip, float* w);

    /// Twiddles of the complex core: (cos, sin) of 2 pi m / nc for m < nw, nc = 4 nw.
    static void makewt(int nw, float* w);
    /// Split-step table: c[k] = cos(2 pi k / (4 nc)) for k < nc.
    static void makect(int nc, float* c);
    /// Bit-reversal permutation of the n complex points at a; ip holds the half-width table.
    static void bitrv2(int n, const int* ip, float* a);
    /// Complex DFT of n bit-reversed points with kernel e^(+i...) (cftfsub) or e^(-i...)
    /// (cftbsub), natural order out.
    static void cftfsub(int n, float* a, const float* w);
    static void cftbsub(int n, float* a, const float* w);
    /// First, twiddle-free pass of the complex core (radix-2 if log2(n) is odd, else radix-4).
    static void cft1st(int n, float* a, int sign);
    /// One twiddled radix-4 pass over blocks of `block` complex points.
    static void cftmdl(int n, int block, float* a, const float* w, int sign);
    /// Split steps between the half-size complex spectrum and the real one.
    static void rftfsub(int n, float* a, int nc, const float* c);
    static void rftbsub(int n, float* a, int nc, const float* c);

private:
    // The transform with tables already built for n.
    static void Run(int n, int isgn, float* a, const int* ip, const float* w);

    int mSize = 0;
    std::vector<int> mWorkArea;
    std::vector<float> mTable;
    // For the lane kernels (sizes from 64): the tiles of the bit reversal for four and for
    // eight lanes, and per direction and middle pass of the complex core the twiddles of its
    // butterfly columns.
    std::vector<std::uint32_t> mFourLaneTiles;
    std::vector<std::uint32_t> mEightLaneTiles;
    std::vector<float> mPassTwiddles;
};

} // namespace DSP
