#pragma once

#include <cmath>

namespace DSP {

/// A point (x, y) of a break-point function. The ordering operators compare x only, which is
/// what keeps and searches a break-point function sorted by abscissa; == and != therefore say
/// "same abscissa", not "same point". Instantiated as PointTmpl<float, float>.
template <class TX, class TY> class PointTmpl {
public:
    PointTmpl() = default;
    PointTmpl(TX x, TY y) : mX(x), mY(y) {}

    TX GetX() const { return mX; }
    TY GetY() const { return mY; }
    void SetX(TX x) { mX = x; }
    void SetY(TY y) { mY = y; }

    PointTmpl operator+(const PointTmpl& b) const { return {mX + b.mX, mY + b.mY}; }
    PointTmpl operator-(const PointTmpl& b) const { return {mX - b.mX, mY - b.mY}; }
    PointTmpl& operator+=(const PointTmpl& b) {
        mX += b.mX;
        mY += b.mY;
        return *this;
    }
    PointTmpl& operator-=(const PointTmpl& b) {
        mX -= b.mX;
        mY -= b.mY;
        return *this;
    }

    /// Euclidean distance, the squared sum raised to the power 0.5 with the library pow.
    TX Distance(const PointTmpl& b) const {
        const TX dx = mX - b.mX;
        const TY dy = mY - b.mY;
        return static_cast<TX>(std::pow(dx * dx + dy * dy, 0.5));
    }

    bool operator<(const PointTmpl& b) const { return mX < b.mX; }
    bool operator<=(const PointTmpl& b) const { return mX <= b.mX; }
    bool operator>(const PointTmpl& b) const { return mX > b.mX; }
    bool operator>=(const PointTmpl& b) const { return mX >= b.mX; }
    bool operator==(const PointTmpl& b) const { return mX == b.mX; }
    bool operator!=(const PointTmpl& b) const { return mX != b.mX; }

private:
    TX mX = 0;
    TY mY = 0;
};

} // namespace DSP
