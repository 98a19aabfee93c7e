#pragma once

#include "DSP/Data/EInterpolation.hpp"
#include "DSP/Data/Point.hpp"
#include "DSP/Misc/Array.hpp"
#include "DSP/Misc/Component.hpp"
#include "DSP/Misc/Err.hpp"
#include "DSP/Misc/SearchArray.hpp"

#include <algorithm>
#include <cmath>

namespace DSP {

/// Break-point function: a curve given by points sorted by ascending x, evaluated between them
/// by step, round, linear, polynomial (Neville, up to 10 points) or cubic-spline interpolation,
/// and clamped to the end values outside them. Instantiated as BPFTmpl<float, float>.
///
/// Lookups remember where the previous one landed, so a run of lookups with non-decreasing x
/// (a spectral envelope read bin by bin) costs a few comparisons each. GetValue never allocates.
///
/// The spline is the natural one (second derivative zero at both ends) and needs its table of
/// second derivatives: call UpdateSplineTable() after editing the points and before a "Spline"
/// lookup. Every edit through this class (points, size) marks the table out of date; edits
/// made directly through GetPointArray() do not.
///
/// Pass interpolation types as EInterpolation objects: a bare enumerator such as
/// EInterpolation::eSpline is an int and would select the BPFTmpl(int size) constructor.
///
/// Failed checks throw DSP::ErrAssertionFailed and leave the points unchanged. Not synchronised:
/// even GetValue updates the lookup cache and scratch space.
template <class TX, class TY> class BPFTmpl : public Component {
public:
    using Point = PointTmpl<TX, TY>;

    /// Empty, "Linear".
    BPFTmpl() : mSearch(mArray) {}
    /// size points (0, 0), "Linear".
    explicit BPFTmpl(int size) : mArray(size), mSearch(mArray) {}
    explicit BPFTmpl(const EInterpolation& type) : BPFTmpl() { SetIntpType(type); }
    BPFTmpl(int size, const EInterpolation& type) : BPFTmpl(size) { SetIntpType(type); }

    /// Copies type, points, order, spline table and its state; the copy searches its own
    /// points.
    BPFTmpl(const BPFTmpl& other)
        : Component(other), mInterpolation(other.mInterpolation), mArray(other.mArray),
          mSearch(mArray), mOrder(other.mOrder), mSplineTable(other.mSplineTable),
          mIsSplineUpdated(other.mIsSplineUpdated) {
        SizeWorkArrays();
    }

    BPFTmpl& operator=(const BPFTmpl& other) {
        if (this == &other)
            return *this;
        mInterpolation = other.mInterpolation;
        mArray = other.mArray;
        mOrder = other.mOrder;
        SizeWorkArrays();
        mSplineTable = other.mSplineTable;
        mIsSplineUpdated = other.mIsSplineUpdated;
        mLastPosition = -1;
        mLastX = 0;
        return *this;
    }

    const char* GetDSPClassName() const override { return "BPF"; }
    BPFTmpl* Species() const override { return new BPFTmpl(); }
    BPFTmpl* DeepCopy() const override { return new BPFTmpl(*this); }
    BPFTmpl* ShallowCopy() const override { return new BPFTmpl(*this); }

    int Size() const { return mArray.Size(); }
    int AllocatedSize() const { return mArray.AllocatedSize(); }
    void Resize(int n) {
        const int before = Size();
        mArray.Resize(n);
        if (Size() != before)
            mIsSplineUpdated = false;
    }
    /// New points are (0, 0).
    void SetSize(int n) {
        const int before = Size();
        mArray.SetSize(n);
        if (Size() != before)
            mIsSplineUpdated = false;
    }
    void SetStep(int step) { mArray.SetStep(step); }
    int GetStep() const { return mArray.GetStep(); }

    /// Direct access to point i (unchecked, like the point array's own elements).
    TX GetXValue(int i) const { return mArray[i].GetX(); }
    TY GetValueFromIndex(int i) const { return mArray[i].GetY(); }
    /// Keep the points sorted: moving a point past its neighbours breaks every lookup.
    void SetXValue(int i, TX x) {
        mArray[i].SetX(x);
        mIsSplineUpdated = false;
    }
    void SetValue(int i, TY y) {
        mArray[i].SetY(y);
        mIsSplineUpdated = false;
    }
    Array<Point>& GetPointArray() { return mArray; }
    const Array<Point>& GetPointArray() const { return mArray; }

    /// Adds a point in x order and returns its index. A point whose x is already present
    /// replaces that point's y (the first or the last point included).
    int Insert(const Point& point) {
        const int index = InsertSorted(point);
        mIsSplineUpdated = false;
        return index;
    }
    int Insert(TX x, TY y) { return Insert(Point(x, y)); }

    /// Index j of the point with x(j) <= x < x(j + 1), or -1 when x lies below the first point
    /// or at or above the last one.
    int GetPosition(TX x) const { return mSearch.Hunt(Point(x, TY(0)), 0); }

    void DeleteIndex(int i) {
        mArray.DeleteElem(i);
        mIsSplineUpdated = false;
    }
    /// Deletes points i ... j inclusive (nothing when j < i).
    void DeleteBetweenIndex(int i, int j) {
        if (j < i)
            return;
        DSP_CHECK(i >= 0 && j < Size(), "Array::DeleteElem: Index out of range");
        for (int k = i; k <= j; ++k)
            mArray.DeleteElem(i);
        mIsSplineUpdated = false;
    }
    /// Deletes the point at GetPosition(x); fails when x lies outside (GetPosition is -1).
    void DeleteThroughXValue(TX x) { DeleteIndex(GetPosition(x)); }
    void DeleteBetweenXValues(TX x1, TX x2) {
        DeleteBetweenIndex(GetPosition(x1), GetPosition(x2));
    }

    /// Sets the interpolation type and, for the polynomial types, the order: "Linear" 1,
    /// "2ond_order_Polynomial" ... "5th_order_Polynomial" 2 ... 5, "nth_order_Polynomial" the
    /// number of points minus one (at most 10 points). "Spline" keeps the order. "Step" and
    /// "Round" are stored but reported as unsupported as the BPF's own type.
    void SetIntpType(const EInterpolation& type) {
        const int t = type.GetValue();
        if (t == EInterpolation::ePolynomialn)
            DSP_CHECK(Size() <= 10,
                      "BPF::SetIntpType:Cannot ser more than 10th order interpolation");
        mInterpolation = type;
        switch (t) {
        case EInterpolation::eLinear:
            SetOrder(1);
            break;
        case EInterpolation::ePolynomial2:
        case EInterpolation::ePolynomial3:
        case EInterpolation::ePolynomial4:
        case EInterpolation::ePolynomial5:
            SetOrder(t - EInterpolation::ePolynomial2 + 2);
            break;
        case EInterpolation::ePolynomialn:
            SetOrder(Size() - 1);
            break;
        case EInterpolation::eStep:
        case EInterpolation::eRound:
            DSP_CHECK(false, "Unsupported interpolation method");
            break;
        default:
            break;
        }
    }
    const EInterpolation& GetInterpolation() const { return mInterpolation; }

    /// Rebuilds the spline table if it is out of date and marks it up to date.
    void UpdateSplineTable() {
        if (!mIsSplineUpdated)
            CreateSplineTable();
        mIsSplineUpdated = true;
    }

    /// Computes the second derivatives of the natural cubic spline through the points (at
    /// least three) by the tridiagonal sweep. Allocates only when
    /// the BPF has grown beyond every size seen before.
    void CreateSplineTable() {
        const int n = Size();
        DSP_CHECK(n >= 3, "BPF size too small for spline");
        SizeKeepingCapacity(mSplineTable, n);
        SizeKeepingCapacity(mSplineScratch, n);
        Array<TY>& y2 = mSplineTable;
        Array<TY>& u = mSplineScratch;
        y2[0] = u[0] = 0;
        for (int i = 1; i < n - 1; ++i) {
            const TX sig = (X(i) - X(i - 1)) / (X(i + 1) - X(i - 1));
            const TY p = sig * y2[i - 1] + TY(2);
            y2[i] = (sig - TY(1)) / p;
            u[i] = (Y(i + 1) - Y(i)) / (X(i + 1) - X(i)) - (Y(i) - Y(i - 1)) / (X(i) - X(i - 1));
            u[i] = (TY(6) * u[i] / (X(i + 1) - X(i - 1)) - sig * u[i - 1]) / p;
        }
        // Zero, written as the sweep's closing step with no end slope so that an overflowed
        // u[n - 2] still turns the table into NaN.
        y2[n - 1] = (TY(0) - TY(0) * u[n - 2]) / (TY(0) * y2[n - 2] + TY(1));
        for (int k = n - 2; k >= 0; --k)
            y2[k] = y2[k] * y2[k + 1] + u[k];
    }

    /// The curve at x with the BPF's own interpolation type.
    TY GetValue(TX x) const { return GetValue(x, mInterpolation); }

    /// The curve at x: the y of the point at exactly x, the first or last y outside the
    /// points, otherwise the interpolation of the given type.
    TY GetValue(TX x, const EInterpolation& type) const {
        const int n = Size();
        DSP_CHECK(n > 0, "BPF::GetValue: the BPF has no points");
        if (mLastX > x)
            mLastPosition = 0; // moving backwards: search again from the start
        const int p = mSearch.Hunt(Point(x, TY(0)), mLastPosition);
        // Outside the points. A search without a usable previous position is a plain
        // bisection, which reports x at or above the last point as n - 1 rather than -1;
        // that has no right-hand neighbour to interpolate with, so it is clamped as well.
        if (p < 0 || p >= n - 1)
            return x < X(0) ? Y(0) : Y(n - 1);
        mLastPosition = p;
        mLastX = x;
        if (X(p) == x)
            return Y(p);
        // From here x(p) < x < x(p + 1).
        switch (type.GetValue()) {
        case EInterpolation::eStep:
            return Y(p);
        case EInterpolation::eRound:
            return x - X(p) < X(p + 1) - x ? Y(p) : Y(p + 1);
        case EInterpolation::eLinear: {
            const int first = x >= X(p) ? p : p - 1;
            const int pair[2] = {first, first + 1};
            return PolynomialInterpolation(x, pair, 1);
        }
        case EInterpolation::eSpline:
            DSP_CHECK(mIsSplineUpdated, "BPF::Spline table not updated");
            return SplineInterpolation(x);
        case EInterpolation::ePolynomial2:
        case EInterpolation::ePolynomial3:
        case EInterpolation::ePolynomial4:
        case EInterpolation::ePolynomial5:
            ComputeClosestPoints(p);
            return PolynomialInterpolation(x, mClosestPoints.GetPtr(), mOrder);
        case EInterpolation::ePolynomialn:
            return PolynomialInterpolation(x, LeadingPoints(), std::max(mOrder, 0));
        default:
            DSP_CHECK(false, "Invalid BPF interpolation method.");
            return TY(0);
        }
    }

    /// Sets point i to (i, 0) for every point.
    void Init() {
        for (int i = 0; i < Size(); ++i)
            mArray[i] = Point(static_cast<TX>(i), TY(0));
        mIsSplineUpdated = false;
    }

private:
    static constexpr int kMaxPolynomialPoints = 10;

    TX X(int i) const { return mArray[i].GetX(); }
    TY Y(int i) const { return mArray[i].GetY(); }

    int InsertSorted(const Point& point) {
        const int n = Size();
        const TX x = point.GetX();
        if (n == 0 || x > X(n - 1)) {
            mArray.AddElem(point);
            return n;
        }
        const int p = mSearch.Hunt(point, 0);
        if (p != -1) {
            if (X(p) == x) {
                mArray[p].SetY(point.GetY());
                return p;
            }
            mArray.InsertElem(p + 1, point);
            return p + 1;
        }
        if (x >= X(n - 1)) {
            // Exactly the last abscissa: replace, as for any other point, rather than adding
            // a second point at the same x (which no interpolation could divide by).
            mArray[n - 1].SetY(point.GetY());
            return n - 1;
        }
        mArray.InsertElem(0, point);
        return 0;
    }

    void SetOrder(int order) {
        mOrder = order;
        SizeWorkArrays();
    }

    // The Neville tableaux hold order + 1 entries; never fewer than the two that a linear
    // lookup needs, whatever order an "nth_order_Polynomial" on a tiny BPF left behind.
    void SizeWorkArrays() {
        const int n = std::max(mOrder + 1, 2);
        mWorkC.Resize(n);
        mWorkC.SetSize(n);
        mWorkD.Resize(n);
        mWorkD.SetSize(n);
    }

    static void SizeKeepingCapacity(Array<TY>& a, int n) {
        if (a.AllocatedSize() < n)
            a.Resize(n);
        a.SetSize(n);
    }

    // The order + 1 consecutive points around p that a polynomial of the BPF's order uses.
    void ComputeClosestPoints(int p) const {
        const int n = Size();
        const int k = mOrder;
        DSP_CHECK(n >= k + 1, "BPF size must be at least the interpolation order plus one");
        const int start = std::min(std::max(p - k / 2, 0), n - k - 1);
        for (int i = 0; i <= k; ++i)
            mClosestPoints[i] = start + i;
    }

    // Points 0 ... order, for the polynomial through all points (at most ten).
    const int* LeadingPoints() const {
        const int k = std::max(mOrder, 0);
        DSP_CHECK(Size() >= k + 1, "BPF size must be at least the interpolation order plus one");
        for (int i = 0; i <= k; ++i)
            mClosestPoints[i] = i;
        return mClosestPoints.GetPtr();
    }

    // Neville's scheme over the k + 1 points idx[0 .. k]: starts from the nearest point's y
    // and adds one tableau correction per degree, walking the path that keeps the
    // corrections centred on x. The last correction estimates the error.
    TY PolynomialInterpolation(TX x, const int* idx, int k) const {
        TY* c = mWorkC.GetPtr();
        TY* d = mWorkD.GetPtr();
        int ns = 0;
        TX nearest = std::fabs(x - X(idx[0]));
        for (int j = 0; j <= k; ++j) {
            const TX distance = std::fabs(x - X(idx[j]));
            if (distance < nearest) {
                ns = j;
                nearest = distance;
            }
            c[j] = d[j] = Y(idx[j]);
        }
        TY y = Y(idx[ns]);
        for (int m = 1; m <= k; ++m) {
            for (int j = 0; j <= k - m; ++j) {
                const TX ho = X(idx[j]) - x;
                const TX hp = X(idx[j + m]) - x;
                const TY w = c[j + 1] - d[j];
                TY den = ho - hp;
                DSP_CHECK(den != 0, "Division by zero error interpolating BPF");
                den = w / den;
                d[j] = hp * den;
                c[j] = ho * den;
            }
            const TY correction = 2 * ns < k + 1 - m ? c[ns] : d[--ns];
            y += correction;
        }
        return y;
    }

    // Cubic spline between the two points that bracket x, found by bisection over the whole
    // table (x lies strictly inside the points here).
    TY SplineInterpolation(TX x) const {
        int klo = 1; // 1-based bounds
        int khi = Size();
        while (khi - klo > 1) {
            const int k = (khi + klo) / 2;
            if (X(k - 1) > x)
                khi = k;
            else
                klo = k;
        }
        const int lo = klo - 1;
        const int hi = khi - 1;
        const TX h = X(hi) - X(lo);
        DSP_CHECK(h != 0, "Error interpolating Spline");
        const TX a = (X(hi) - x) / h;
        const TX b = (x - X(lo)) / h;
        const Array<TY>& y2 = mSplineTable;
        return a * Y(lo) + b * Y(hi) +
               ((a * a * a - a) * y2[lo] + (b * b * b - b) * y2[hi]) * (h * h) / TY(6);
    }

    EInterpolation mInterpolation;
    Array<Point> mArray;
    SearchArray<Point> mSearch;
    mutable Array<int> mClosestPoints{kMaxPolynomialPoints};
    mutable Array<TY> mWorkC{2};
    mutable Array<TY> mWorkD{2};
    int mOrder = 1;
    mutable int mLastPosition = -1;
    mutable TX mLastX = 0;
    Array<TY> mSplineTable;
    bool mIsSplineUpdated = false;
    Array<TY> mSplineScratch; // the sweep's u; kept so that rebuilding does not allocate
};

} // namespace DSP
