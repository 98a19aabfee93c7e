#pragma once

#include "DSP/Misc/Array.hpp"

namespace DSP {

/// Searches a sorted table a[0 .. n-1] (n = size of the referenced array), ascending or
/// descending; the table counts as ascending when a[n-1] >= a[0]. Elements are compared
/// with T's >= and > only (for points: the x coordinate).
///
/// Holds a pointer to the table and owns nothing; the table must outlive the searches.
/// Without a table, n is 0. Search bounds are not checked: lo and hi must lie in [0, n].
template <class T> class SearchArray {
public:
    SearchArray() = default;
    explicit SearchArray(const Array<T>& table) : mpTable(&table) {}
    void Set(const Array<T>& table) { mpTable = &table; }

    /// The index j in [lo-1, hi-1] with a[j] <= x < a[j+1] (ascending table; mirrored for a
    /// descending one): -1 below the first element, n-1 at or above the last.
    int Bisection(const T& x, int lo, int hi) const {
        const bool ascending = Ascending();
        int jl = lo - 1;
        int ju = hi;
        while (ju - jl > 1) {
            const int jm = (ju + jl) / 2;
            if ((x >= At(jm)) == ascending)
                jl = jm;
            else
                ju = jm;
        }
        return jl;
    }
    int Bisection(const T& x, int lo) const { return Bisection(x, lo, Size()); }
    int Bisection(const T& x) const { return Bisection(x, 0, Size()); }

    /// Locates x starting from a previous result guess, widening the bracket by doubling
    /// steps. Returns the index j with a[j] <= x < a[j+1] (ascending table), or -1 when x
    /// lies outside the table: below the first element, or at or above the last.
    ///
    /// Our decision: when the downward widening runs into the start of the table and the
    /// final bisection yields 0, the result is 0 (x lies in the first interval), not -1.
    /// Only a result of n-1 on the upward side is mapped to -1, as that one means "at or
    /// above the last element". Callers use any index other than -1 as a position inside.
    int Hunt(const T& x, int guess) const {
        const int n = Size();
        if (guess < 0 || guess >= n)
            return Bisection(x);
        const bool up = x >= At(guess);
        return up == Ascending() ? HuntUp(x, guess, n) : HuntDown(x, guess);
    }

private:
    const T& At(int i) const { return (*mpTable)[i]; }
    int Size() const { return mpTable ? mpTable->Size() : 0; }
    bool Ascending() const {
        const int n = Size();
        return n == 0 || At(n - 1) >= At(0);
    }

    // The answer lies at or above guess.
    int HuntUp(const T& x, int guess, int n) const {
        if (guess == n - 1)
            return -1;
        const bool up = Ascending();
        int inc = 1;
        int jl = guess;
        int ju = guess + 1;
        while ((x >= At(ju)) == up) {
            inc *= 2;
            if (ju + inc >= n) {
                const int r = Bisection(x, ju);
                return r == n - 1 ? -1 : r;
            }
            jl = ju;
            ju += inc;
        }
        return Bisection(x, jl, ju);
    }

    // The answer lies below guess.
    int HuntDown(const T& x, int guess) const {
        if (guess == 0)
            return -1;
        const bool ascending = Ascending();
        int inc = 1;
        int ju = guess;
        int jl = guess - 1;
        while ((At(jl) > x) == ascending) {
            inc *= 2;
            if (jl <= inc)
                return Bisection(x, 0, jl);
            ju = jl;
            jl -= inc;
        }
        return Bisection(x, jl, ju);
    }

    const Array<T>* mpTable = nullptr;
};

} // namespace DSP
