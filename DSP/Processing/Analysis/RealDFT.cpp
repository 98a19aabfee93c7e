#include "DSP/Processing/Analysis/RealDFT.hpp"

#include "DSP/Misc/FastMath.hpp"
#include "DSP/Misc/VectorLanes.hpp"

#include <algorithm>
#include <cstring>
#include <utility>

namespace DSP {

namespace {

// n is a power of two >= 1.
int Log2(int n) {
    int bits = 0;
    while ((1 << (bits + 1)) <= n)
        ++bits;
    return bits;
}

int ReverseBits(int value, int bits) {
    int reversed = 0;
    for (int i = 0; i < bits; ++i)
        reversed |= ((value >> i) & 1) << (bits - 1 - i);
    return reversed;
}

// The full turn is taken from the fast arc tangent so that every table of the transform is
// derived from the same approximations.
double FullTurn() {
    return 8.0 * double(DSP_atan(1.0f));
}

// (cos, Sign * sin) of 2 pi t / (4 quarter) for 0 <= t < 3 quarter, read from the
// first-quadrant twiddle table by the quadrant identities (exact sign and swap operations).
template <int Sign> inline void Rotation(const float* w, int quarter, int t, float& re, float& im) {
    float c, s;
    if (t < quarter) {
        c = w[2 * t];
        s = w[2 * t + 1];
    } else if (t < 2 * quarter) {
        const int f = t - quarter;
        c = -w[2 * f + 1];
        s = w[2 * f];
    } else {
        const int f = t - 2 * quarter;
        c = -w[2 * f];
        s = -w[2 * f + 1];
    }
    re = c;
    im = Sign > 0 ? s : -s;
}

// Two merged radix-2 decimation-in-time stages on the points x0..x3 (already multiplied by
// their twiddles): with the quarter turn j = Sign * i of this kernel,
//   y0 = (x0 + x1) + (x2 + x3)    y1 = (x0 - x1) + j (x2 - x3)
//   y2 = (x0 + x1) - (x2 + x3)    y3 = (x0 - x1) - j (x2 - x3)
template <int Sign>
inline void Butterfly4(float* p0, float* p1, float* p2, float* p3, float ar, float ai, float br,
                       float bi, float cr, float ci, float dr, float di) {
    const float s0r = ar + br, s0i = ai + bi;
    const float d0r = ar - br, d0i = ai - bi;
    const float s1r = cr + dr, s1i = ci + di;
    const float d1r = cr - dr, d1i = ci - di;
    // j * d1 = Sign * (-d1i, d1r)
    const float jr = Sign > 0 ? -d1i : d1i;
    const float ji = Sign > 0 ? d1r : -d1r;
    p0[0] = s0r + s1r;
    p0[1] = s0i + s1i;
    p2[0] = s0r - s1r;
    p2[1] = s0i - s1i;
    p1[0] = d0r + jr;
    p1[1] = d0i + ji;
    p3[0] = d0r - jr;
    p3[1] = d0i - ji;
}

template <int Sign> void FirstPass(int n, float* a) {
    if (Log2(n) % 2 == 1) {
        for (int i = 0; i < 2 * n; i += 4) {
            const float xr = a[i + 2], xi = a[i + 3];
            a[i + 2] = a[i] - xr;
            a[i + 3] = a[i + 1] - xi;
            a[i] += xr;
            a[i + 1] += xi;
        }
        return;
    }
    for (int i = 0; i < 2 * n; i += 8) {
        float* x = a + i;
        Butterfly4<Sign>(x, x + 2, x + 4, x + 6, x[0], x[1], x[2], x[3], x[4], x[5], x[6], x[7]);
    }
}

// Radix-4 pass over blocks of `block` points: within each block, the points j, j + q, j + 2q,
// j + 3q (q = block / 4) take the twiddles 1, w^2j, w^j, w^3j of w = e^(Sign i 2 pi / block).
template <int Sign> void MiddlePass(int n, int block, float* a, const float* w) {
    const int q = block / 4;
    const int stride = n / block;
    const int quarter = n / 4;
    for (int j = 0; j < q; ++j) {
        const int t = j * stride;
        float w1r, w1i, w2r, w2i, w3r, w3i;
        Rotation<Sign>(w, quarter, t, w1r, w1i);
        Rotation<Sign>(w, quarter, 2 * t, w2r, w2i);
        Rotation<Sign>(w, quarter, 3 * t, w3r, w3i);
        for (int start = j; start < n; start += block) {
            float* x0 = a + 2 * start;
            float* x1 = x0 + 2 * q;
            float* x2 = x1 + 2 * q;
            float* x3 = x2 + 2 * q;
            const float br = w2r * x1[0] - w2i * x1[1], bi = w2r * x1[1] + w2i * x1[0];
            const float cr = w1r * x2[0] - w1i * x2[1], ci = w1r * x2[1] + w1i * x2[0];
            const float dr = w3r * x3[0] - w3i * x3[1], di = w3r * x3[1] + w3i * x3[0];
            Butterfly4<Sign>(x0, x1, x2, x3, x0[0], x0[1], br, bi, cr, ci, dr, di);
        }
    }
}

template <int Sign> void ComplexCore(int n, float* a, const float* w) {
    if (n < 2)
        return;
    FirstPass<Sign>(n, a);
    for (int block = (Log2(n) % 2 == 1) ? 8 : 16; block <= n; block *= 4)
        MiddlePass<Sign>(n, block, a, w);
}

// With Z the half-size spectrum of z[m] = x[2m] + i x[2m+1], each pair of bins k, n/2 - k
// (0 < k < n/4) is recombined through E = (Z[k] + conj Z[n/2-k]) / 2 and
// D = (Z[k] - conj Z[n/2-k]) / 2: forward (Sigma = +1), T = (sin - i cos) D gives
// Y[k] = E + T and Y[n/2-k] = conj(E - T), with (cos, sin) of 2 pi k / n. Backward
// (Sigma = -1) undoes it with T = (sin + i cos) D on the real spectrum. Bin n/4 is its own
// partner and stays as it is in both directions.
template <int Sigma> void SplitStep(int n, float* a, int nc, const float* c, int first = 1) {
    for (int k = first; k < nc; ++k) {
        const int j = 2 * k;
        const int jj = n - j;
        const float er = 0.5f * (a[j] + a[jj]);
        const float ei = 0.5f * (a[j + 1] - a[jj + 1]);
        const float dr = 0.5f * (a[j] - a[jj]);
        const float di = 0.5f * (a[j + 1] + a[jj + 1]);
        const float cs = c[k];
        const float sn = c[nc - k];
        const float tr = Sigma > 0 ? sn * dr + cs * di : sn * dr - cs * di;
        const float ti = Sigma > 0 ? sn * di - cs * dr : sn * di + cs * dr;
        a[j] = er + tr;
        a[j + 1] = ei + ti;
        a[jj] = er - tr;
        a[jj + 1] = ti - ei;
    }
}

// Work area: [0] the size the tables were built for (0: none), [1] the half width h of the
// bit-reversal table, [2 ..] the h-bit reversal of 0 .. 2^h - 1.
void BuildTables(int n, int* ip, float* w) {
    const int m = n / 2;
    const int half = Log2(m) / 2;
    ip[1] = half;
    for (int p = 0; p < (1 << half); ++p)
        ip[2 + p] = ReverseBits(p, half);
    RealDFT::makewt(m / 4, w);
    RealDFT::makect(n / 4, w + 2 * (m / 4));
    ip[0] = n;
}

// The smallest transform the lane kernels take; below it every pass is too short for them.
constexpr int kSmallestLaneSize = 64;

// Block size of the first twiddled pass of the complex core of m points.
int FirstMiddleBlock(int m) {
    return (Log2(m) % 2 == 1) ? 8 : 16;
}

// Floats of one direction's pass twiddles for the complex core of m points.
int PassTwiddleSize(int m) {
    int size = 0;
    for (int block = FirstMiddleBlock(m); block <= m; block *= 4)
        size += 12 * (block / 4);
    return size;
}

// The twiddles MiddlePass<Sign> reads, each pass as six rows of 2q floats, the values of its q
// columns each twice (for the real and the imaginary lane of a point): the real parts of w1
// (which multiplies x2), its imaginary parts, then w2's (x1) and w3's (x3).
template <int Sign> void BuildPassTwiddles(int m, const float* w, float* out) {
    const int quarter = m / 4;
    for (int block = FirstMiddleBlock(m); block <= m; block *= 4) {
        const int q = block / 4;
        const int stride = m / block;
        for (int j = 0; j < q; ++j) {
            for (int power = 1; power <= 3; ++power) {
                float re, im;
                Rotation<Sign>(w, quarter, power * j * stride, re, im);
                float* row = out + 4 * q * (power - 1);
                row[2 * j] = row[2 * j + 1] = re;
                row[2 * q + 2 * j] = row[2 * q + 2 * j + 1] = im;
            }
        }
        out += 12 * q;
    }
}

// The tiles of the lane bit reversal for m points with tiles of 2^h rows of 2^h points: the
// column pairs (mid << h, rev(mid) << h), mid <= rev(mid), of the bits between a row's and a
// column's.
void BuildTiles(int m, int h, std::vector<std::uint32_t>& tiles) {
    const int bits = Log2(m) - 2 * h;
    for (int mid = 0; mid < (1 << bits); ++mid) {
        const int reversed = ReverseBits(mid, bits);
        if (mid <= reversed) {
            tiles.push_back(std::uint32_t(mid << h));
            tiles.push_back(std::uint32_t(reversed << h));
        }
    }
}

// The lane kernels: the scalar passes above over several butterflies or split-step pairs at
// once, their points kept interleaved, W / 2 points to a vector (real and imaginary lanes side
// by side).
template <int W> struct Lanes : VectorLanes<W> {
    using typename VectorLanes<W>::VF;
    using typename VectorLanes<W>::VI;
    using VectorLanes<W>::Load;
    using VectorLanes<W>::Store;
    using VectorLanes<W>::Bits;
    using VectorLanes<W>::FromBits;

    // (re, im) of each point to (im, re).
    DSP_LANE_INLINE VF SwapParts(VF v) {
        if constexpr (W == 4)
            return __builtin_shufflevector(v, v, 1, 0, 3, 2);
        else
            return __builtin_shufflevector(v, v, 1, 0, 3, 2, 5, 4, 7, 6);
    }
    // The sign of the real lanes (Lane 0: even lanes) or the imaginary lanes (Lane 1: odd
    // lanes) flipped.
    template <int Lane> DSP_LANE_INLINE VF Negate(VF v) {
        VI mask{};
        for (int l = Lane; l < W; l += 2)
            mask[l] = std::int32_t(0x80000000u);
        return FromBits(Bits(v) ^ mask);
    }

    // x times the twiddles (re, re), (im, im) of its points, as the scalar pass computes it:
    // (wr x.re - wi x.im, wr x.im + wi x.re), the subtraction as the addition of the negated
    // product (the same value; only a NaN's sign may differ).
    DSP_LANE_INLINE VF Rotate(VF x, VF wr, VF wi) { return wr * x + Negate<0>(wi * SwapParts(x)); }

    // Butterfly4 on interleaved points.
    template <int Sign>
    DSP_LANE_INLINE void Butterfly(float* p0, float* p1, float* p2, float* p3, VF a, VF b, VF c,
                                   VF d) {
        const VF s0 = a + b, d0 = a - b;
        const VF s1 = c + d, d1 = c - d;
        // j d1 = Sign (-d1.im, d1.re)
        const VF jd = Sign > 0 ? Negate<0>(SwapParts(d1)) : Negate<1>(SwapParts(d1));
        Store(p0, s0 + s1);
        Store(p2, s0 - s1);
        Store(p1, d0 + jd);
        Store(p3, d0 - jd);
    }

    // One radix-4 pass (MiddlePass) with its twiddle rows t; each vector holds the points of
    // W / 2 neighbouring columns (q >= W / 2).
    template <int Sign> DSP_LANE_INLINE void Pass(int n, int block, float* a, const float* t) {
        const int q = block / 4;
        for (int j = 0; j < 2 * q; j += W) {
            const VF w1r = Load(t + j), w1i = Load(t + 2 * q + j);
            const VF w2r = Load(t + 4 * q + j), w2i = Load(t + 6 * q + j);
            const VF w3r = Load(t + 8 * q + j), w3i = Load(t + 10 * q + j);
            for (float* x0 = a + j; x0 < a + 2 * n; x0 += 2 * block) {
                float* x1 = x0 + 2 * q;
                float* x2 = x1 + 2 * q;
                float* x3 = x2 + 2 * q;
                Butterfly<Sign>(x0, x1, x2, x3, Load(x0), Rotate(Load(x1), w2r, w2i),
                                Rotate(Load(x2), w1r, w1i), Rotate(Load(x3), w3r, w3i));
            }
        }
    }

    // The first pass (FirstPass): radix-2 on neighbouring points, or the twiddle-free radix-4
    // butterfly on groups of four; 4 W floats at a time (n >= 2 W).
    template <int Sign> DSP_LANE_INLINE void First(int n, float* a) {
        if (Log2(n) % 2 == 1) {
            for (float* p = a; p < a + 2 * n; p += 2 * W) {
                const VF low = Load(p), high = Load(p + W);
                VF even, odd; // the first and second point of each pair
                if constexpr (W == 4) {
                    even = __builtin_shufflevector(low, high, 0, 1, 4, 5);
                    odd = __builtin_shufflevector(low, high, 2, 3, 6, 7);
                } else {
                    even = __builtin_shufflevector(low, high, 0, 1, 4, 5, 8, 9, 12, 13);
                    odd = __builtin_shufflevector(low, high, 2, 3, 6, 7, 10, 11, 14, 15);
                }
                const VF sum = even + odd, difference = even - odd;
                if constexpr (W == 4) {
                    Store(p, __builtin_shufflevector(sum, difference, 0, 1, 4, 5));
                    Store(p + W, __builtin_shufflevector(sum, difference, 2, 3, 6, 7));
                } else {
                    Store(p, __builtin_shufflevector(sum, difference, 0, 1, 8, 9, 2, 3, 10, 11));
                    Store(p + W,
                          __builtin_shufflevector(sum, difference, 4, 5, 12, 13, 6, 7, 14, 15));
                }
            }
            return;
        }
        // W / 2 groups of four points: their k-th points gathered into one vector, the
        // butterfly's outputs scattered back.
        for (float* p = a; p < a + 2 * n; p += 4 * W) {
            VF x[4];
            Gather(p, x);
            const VF s0 = x[0] + x[1], d0 = x[0] - x[1];
            const VF s1 = x[2] + x[3], d1 = x[2] - x[3];
            const VF jd = Sign > 0 ? Negate<0>(SwapParts(d1)) : Negate<1>(SwapParts(d1));
            const VF y[4] = {s0 + s1, d0 + jd, s0 - s1, d0 - jd};
            Scatter(y, p);
        }
    }

    // Four vectors of W / 2 points each, read as 64-bit points and transposed: x[k] gets point k
    // of each group of four. Scatter is the inverse.
    DSP_LANE_INLINE void Gather(const float* p, VF* x) {
        const VF v0 = Load(p), v1 = Load(p + W), v2 = Load(p + 2 * W), v3 = Load(p + 3 * W);
        if constexpr (W == 4) { // groups (v0 v1), (v2 v3)
            x[0] = __builtin_shufflevector(v0, v2, 0, 1, 4, 5);
            x[1] = __builtin_shufflevector(v0, v2, 2, 3, 6, 7);
            x[2] = __builtin_shufflevector(v1, v3, 0, 1, 4, 5);
            x[3] = __builtin_shufflevector(v1, v3, 2, 3, 6, 7);
        } else { // one group per vector
            const VF t0 = __builtin_shufflevector(v0, v1, 0, 1, 8, 9, 4, 5, 12, 13);
            const VF t1 = __builtin_shufflevector(v0, v1, 2, 3, 10, 11, 6, 7, 14, 15);
            const VF t2 = __builtin_shufflevector(v2, v3, 0, 1, 8, 9, 4, 5, 12, 13);
            const VF t3 = __builtin_shufflevector(v2, v3, 2, 3, 10, 11, 6, 7, 14, 15);
            x[0] = __builtin_shufflevector(t0, t2, 0, 1, 2, 3, 8, 9, 10, 11);
            x[1] = __builtin_shufflevector(t1, t3, 0, 1, 2, 3, 8, 9, 10, 11);
            x[2] = __builtin_shufflevector(t0, t2, 4, 5, 6, 7, 12, 13, 14, 15);
            x[3] = __builtin_shufflevector(t1, t3, 4, 5, 6, 7, 12, 13, 14, 15);
        }
    }
    DSP_LANE_INLINE void Scatter(const VF* y, float* p) {
        if constexpr (W == 4) {
            Store(p, __builtin_shufflevector(y[0], y[1], 0, 1, 4, 5));
            Store(p + W, __builtin_shufflevector(y[2], y[3], 0, 1, 4, 5));
            Store(p + 2 * W, __builtin_shufflevector(y[0], y[1], 2, 3, 6, 7));
            Store(p + 3 * W, __builtin_shufflevector(y[2], y[3], 2, 3, 6, 7));
        } else {
            // y[k] holds point k of groups 0..3; group g is (y0[g], y1[g], y2[g], y3[g]).
            const VF t0 = __builtin_shufflevector(y[0], y[1], 0, 1, 8, 9, 4, 5, 12, 13);
            const VF t1 = __builtin_shufflevector(y[0], y[1], 2, 3, 10, 11, 6, 7, 14, 15);
            const VF t2 = __builtin_shufflevector(y[2], y[3], 0, 1, 8, 9, 4, 5, 12, 13);
            const VF t3 = __builtin_shufflevector(y[2], y[3], 2, 3, 10, 11, 6, 7, 14, 15);
            Store(p, __builtin_shufflevector(t0, t2, 0, 1, 2, 3, 8, 9, 10, 11));
            Store(p + W, __builtin_shufflevector(t1, t3, 0, 1, 2, 3, 8, 9, 10, 11));
            Store(p + 2 * W, __builtin_shufflevector(t0, t2, 4, 5, 6, 7, 12, 13, 14, 15));
            Store(p + 3 * W, __builtin_shufflevector(t1, t3, 4, 5, 6, 7, 12, 13, 14, 15));
        }
    }

    template <int Sign> DSP_LANE_INLINE void Core(int n, float* a, const float* t) {
        First<Sign>(n, a);
        for (int block = FirstMiddleBlock(n); block <= n; block *= 4) {
            const int q = block / 4;
            if (2 * q >= W)
                Pass<Sign>(n, block, a, t);
            else // eight lanes and q = 2
                Lanes<4>::template Pass<Sign>(n, block, a, t);
            t += 12 * q;
        }
    }

    // SplitStep over W / 2 bins k .. k + W / 2 - 1 at once, interleaved, against their partners
    // (read and written in falling order); the rest by the scalar step.
    template <int Sigma> DSP_LANE_INLINE void Split(int n, float* a, int nc, const float* c) {
        constexpr int P = W / 2; // bins per vector
        using Half = typename VectorLanes<P>::VF;
        int k = 1;
        for (; k + P <= nc; k += P) {
            float* low = a + 2 * k;
            float* high = a + n - 2 * (k + P - 1);
            const VF x = Load(low);
            const VF y = ReversePoints(Load(high));
            // E = (x + conj y) / 2 and D = (x - conj y) / 2, each part as the scalar step has it.
            const VF half = VF{} + 0.5f;
            const VF e = half * Blend(x + y, x - y);
            const VF d = half * Blend(x - y, x + y);
            const Half cosines = VectorLanes<P>::Load(c + k);
            const Half sines = VectorLanes<P>::Load(c + nc - k - P + 1);
            VF cs, sn; // each value twice, sn in falling order
            if constexpr (W == 4) {
                cs = __builtin_shufflevector(cosines, cosines, 0, 0, 1, 1);
                sn = __builtin_shufflevector(sines, sines, 1, 1, 0, 0);
            } else {
                cs = __builtin_shufflevector(cosines, cosines, 0, 0, 1, 1, 2, 2, 3, 3);
                sn = __builtin_shufflevector(sines, sines, 3, 3, 2, 2, 1, 1, 0, 0);
            }
            // Forward (sn dr + cs di, sn di - cs dr); backward (sn dr - cs di, sn di + cs dr).
            const VF crossed = cs * SwapParts(d);
            const VF t = sn * d + (Sigma > 0 ? Negate<1>(crossed) : Negate<0>(crossed));
            Store(low, e + t);
            // (er - tr, ti - ei)
            Store(high, ReversePoints(Blend(e - t, t - e)));
        }
        SplitStep<Sigma>(n, a, nc, c, k);
    }
    // The points of a vector in reverse order, each point's parts kept in order.
    DSP_LANE_INLINE VF ReversePoints(VF v) {
        if constexpr (W == 4)
            return __builtin_shufflevector(v, v, 2, 3, 0, 1);
        else
            return __builtin_shufflevector(v, v, 6, 7, 4, 5, 2, 3, 0, 1);
    }
    // The real lanes of `re`, the imaginary lanes of `im`.
    DSP_LANE_INLINE VF Blend(VF re, VF im) {
        if constexpr (W == 4)
            return __builtin_shufflevector(re, im, 0, 5, 2, 7);
        else
            return __builtin_shufflevector(re, im, 0, 9, 2, 11, 4, 13, 6, 15);
    }

    DSP_LANE_INLINE void Run(int n, int isgn, float* a, const float* w,
                             const std::vector<std::uint32_t>& tiles, const float* passTwiddles) {
        const int m = n / 2;
        const int nc = n / 4;
        const float* c = w + 2 * (m / 4);
        if (isgn >= 0) {
            Permute(m, tiles, a);
            Core<1>(m, a, passTwiddles);
            Split<1>(n, a, nc, c);
            const float evens = a[0], odds = a[1];
            a[0] = evens + odds;
            a[1] = evens - odds;
        } else {
            const float dc = a[0], nyquist = a[1];
            a[0] = 0.5f * (dc + nyquist);
            a[1] = 0.5f * (dc - nyquist);
            Split<-1>(n, a, nc, c);
            Permute(m, tiles, a);
            Core<-1>(m, a, passTwiddles + PassTwiddleSize(m));
        }
    }

    // The bit reversal in square tiles. With P = W / 2 points to a vector and h = log2 P, point
    // [a | mid | c] (a and c of h bits) moves to [rev c | rev mid | rev a]: the P rows a of
    // the tile at column mid << h, each one vector, transposed with rows and columns in
    // bit-reversed order, are the rows of the tile at rev(mid) << h. `tiles` holds the column
    // pairs (mid, rev mid) with mid <= rev mid; a pair of different tiles trades places.
    DSP_LANE_INLINE void Permute(int n, const std::vector<std::uint32_t>& tiles, float* a) {
        constexpr int P = W / 2;
        const int row = 2 * (n / P); // floats from one row of a tile to the next
        const std::uint32_t* pair = tiles.data();
        const std::uint32_t* end = pair + tiles.size();
        for (; pair != end; pair += 2) {
            float* first = a + 2 * pair[0];
            float* second = a + 2 * pair[1];
            VF x[P];
            Transposed(first, row, x);
            if (first != second) {
                VF y[P];
                Transposed(second, row, y);
                for (int r = 0; r < P; ++r)
                    Store(first + r * row, y[r]);
            }
            for (int r = 0; r < P; ++r)
                Store(second + r * row, x[r]);
        }
    }
    // The tile's rows read from p, its bit-reversed transpose into t.
    DSP_LANE_INLINE void Transposed(const float* p, int row, VF* t) {
        using Points = typename LaneTypes<W / 2>::VD; // one 64-bit lane per point
        if constexpr (W == 4) {
            const Points r0 = (Points)Load(p), r1 = (Points)Load(p + row);
            t[0] = (VF)__builtin_shufflevector(r0, r1, 0, 2);
            t[1] = (VF)__builtin_shufflevector(r0, r1, 1, 3);
        } else {
            // Rows in the order 0, 2, 1, 3; columns 0, 2, 1, 3 of their transpose.
            const Points r0 = (Points)Load(p), r1 = (Points)Load(p + 2 * row);
            const Points r2 = (Points)Load(p + row), r3 = (Points)Load(p + 3 * row);
            const Points t0 = __builtin_shufflevector(r0, r1, 0, 4, 2, 6);
            const Points t1 = __builtin_shufflevector(r0, r1, 1, 5, 3, 7);
            const Points t2 = __builtin_shufflevector(r2, r3, 0, 4, 2, 6);
            const Points t3 = __builtin_shufflevector(r2, r3, 1, 5, 3, 7);
            t[0] = (VF)__builtin_shufflevector(t0, t2, 0, 1, 4, 5);
            t[2] = (VF)__builtin_shufflevector(t1, t3, 0, 1, 4, 5);
            t[1] = (VF)__builtin_shufflevector(t0, t2, 2, 3, 6, 7);
            t[3] = (VF)__builtin_shufflevector(t1, t3, 2, 3, 6, 7);
        }
    }
};

void RunFourLanes(int n, int isgn, float* a, const float* w,
                  const std::vector<std::uint32_t>& tiles, const float* passTwiddles) {
    Lanes<4>::Run(n, isgn, a, w, tiles, passTwiddles);
}

__attribute__((target("avx2"))) void RunEightLanes(int n, int isgn, float* a, const float* w,
                                                   const std::vector<std::uint32_t>& tiles,
                                                   const float* passTwiddles) {
    Lanes<8>::Run(n, isgn, a, w, tiles, passTwiddles);
}

} // namespace

int RealDFT::WorkAreaSize(int n) {
    return 2 + (1 << (Log2(std::max(n / 2, 1)) / 2));
}

int RealDFT::TableSize(int n) {
    // Twiddles n/8 (cos, sin) pairs, then n/4 split-step cosines.
    return std::max(5 * n / 8 - 1, n / 2);
}

void RealDFT::Setup(int n) {
    mWorkArea.assign(WorkAreaSize(n), 0);
    mTable.assign(TableSize(n), 0.0f);
    BuildTables(n, mWorkArea.data(), mTable.data());
    mFourLaneTiles.clear();
    mEightLaneTiles.clear();
    mPassTwiddles.clear();
    if (n >= kSmallestLaneSize) {
        const int m = n / 2;
        BuildTiles(m, 1, mFourLaneTiles);
        BuildTiles(m, 2, mEightLaneTiles);
        const int size = PassTwiddleSize(m);
        mPassTwiddles.assign(2 * size, 0.0f);
        BuildPassTwiddles<1>(m, mTable.data(), mPassTwiddles.data());
        BuildPassTwiddles<-1>(m, mTable.data(), mPassTwiddles.data() + size);
    }
    mSize = n;
}

void RealDFT::Release() {
    std::vector<int>().swap(mWorkArea);
    std::vector<float>().swap(mTable);
    std::vector<std::uint32_t>().swap(mFourLaneTiles);
    std::vector<std::uint32_t>().swap(mEightLaneTiles);
    std::vector<float>().swap(mPassTwiddles);
    mSize = 0;
}

RealDFT::Kernels RealDFT::Widest() {
    return CpuHasAvx2() ? Kernels::eEightLanes : Kernels::eFourLanes;
}

void RealDFT::TransformWith(Kernels kernels, float* a, int isgn) const {
    if (mSize < kSmallestLaneSize || kernels == Kernels::eScalar)
        Run(mSize, isgn, a, mWorkArea.data(), mTable.data());
    else if (kernels == Kernels::eEightLanes)
        RunEightLanes(mSize, isgn, a, mTable.data(), mEightLaneTiles, mPassTwiddles.data());
    else
        RunFourLanes(mSize, isgn, a, mTable.data(), mFourLaneTiles, mPassTwiddles.data());
}

void RealDFT::rdft(int n, int isgn, float* a, int* ip, float* w) {
    if (ip[0] != n)
        BuildTables(n, ip, w);
    Run(n, isgn, a, ip, w);
}

void RealDFT::Run(int n, int isgn, float* a, const int* ip, const float* w) {
    const int m = n / 2;
    const int nc = n / 4;
    const float* c = w + 2 * (m / 4);
    if (isgn >= 0) {
        bitrv2(m, ip + 2, a);
        cftfsub(m, a, w);
        rftfsub(n, a, nc, c);
        // Z[0] = (sum of even samples) + i (sum of odd samples).
        const float evens = a[0], odds = a[1];
        a[0] = evens + odds;
        a[1] = evens - odds;
    } else {
        const float dc = a[0], nyquist = a[1];
        a[0] = 0.5f * (dc + nyquist);
        a[1] = 0.5f * (dc - nyquist);
        rftbsub(n, a, nc, c);
        bitrv2(m, ip + 2, a);
        cftbsub(m, a, w);
    }
}

void RealDFT::makewt(int nw, float* w) {
    if (nw <= 0)
        return;
    // Only the first octant is evaluated; the second comes from cos(pi/2 - t) = sin(t). The
    // fast sine is far less accurate beyond pi/4, and the mirror keeps the table exactly
    // symmetric.
    const double step = FullTurn() / (4.0 * nw);
    for (int m = 0; m < nw; ++m) {
        if (2 * m <= nw) {
            const float angle = float(step * m);
            w[2 * m] = DSP_cos(angle);
            w[2 * m + 1] = DSP_sin(angle);
        } else {
            const float mirrored = float(step * (nw - m));
            w[2 * m] = DSP_sin(mirrored);
            w[2 * m + 1] = DSP_cos(mirrored);
        }
    }
}

void RealDFT::makect(int nc, float* c) {
    if (nc <= 0)
        return;
    const double step = FullTurn() / (4.0 * nc);
    for (int k = 0; k < nc; ++k)
        c[k] = (2 * k <= nc) ? DSP_cos(float(step * k)) : DSP_sin(float(step * (nc - k)));
}

void RealDFT::bitrv2(int n, const int* ip, float* a) {
    // An index of b bits splits into its high h = b/2 bits p and low l = b - h bits q; its
    // reversal is rev_l(q) followed by rev_h(p), both read from the h-bit table.
    const int bits = Log2(n);
    const int high = bits / 2;
    const int low = bits - high;
    for (int q = 0; q < (1 << low); ++q) {
        const int rq = (low == high) ? ip[q] : (((q & 1) << high) | ip[q >> 1]);
        for (int p = 0; p < (1 << high); ++p) {
            const int i = (p << low) | q;
            const int r = (rq << high) | ip[p];
            if (i < r) {
                std::swap(a[2 * i], a[2 * r]);
                std::swap(a[2 * i + 1], a[2 * r + 1]);
            }
        }
    }
}

void RealDFT::cftfsub(int n, float* a, const float* w) {
    ComplexCore<1>(n, a, w);
}

void RealDFT::cftbsub(int n, float* a, const float* w) {
    ComplexCore<-1>(n, a, w);
}

void RealDFT::cft1st(int n, float* a, int sign) {
    if (sign > 0)
        FirstPass<1>(n, a);
    else
        FirstPass<-1>(n, a);
}

void RealDFT::cftmdl(int n, int block, float* a, const float* w, int sign) {
    if (sign > 0)
        MiddlePass<1>(n, block, a, w);
    else
        MiddlePass<-1>(n, block, a, w);
}

void RealDFT::rftfsub(int n, float* a, int nc, const float* c) {
    SplitStep<1>(n, a, nc, c);
}

void RealDFT::rftbsub(int n, float* a, int nc, const float* c) {
    SplitStep<-1>(n, a, nc, c);
}

} // namespace DSP
