#pragma once

#include "DSP/Data/BPF.hpp"
#include "DSP/Misc/Array.hpp"
#include "DSP/Misc/Err.hpp"

namespace DSP {

namespace ArrayToBPFDetail {
// Keeps x0 and dx out of template deduction, so that ConvertToBPF(bpf, 0, 10, a) takes the
// abscissa type from the BPF.
template <class T> struct Same { using type = T; };
} // namespace ArrayToBPFDetail

/// Writes an evenly sampled array into a BPF of the same size: point i becomes
/// (x_i, array[i]) with x_0 = x0 and x_(i+1) = x_i + dx (accumulated in TX, so the abscissae
/// carry the summation's rounding). The spline table becomes out of date. Does not allocate.
template <class TX, class TY>
void ConvertToBPF(BPFTmpl<TX, TY>& bpf, typename ArrayToBPFDetail::Same<TX>::type x0,
                  typename ArrayToBPFDetail::Same<TX>::type dx, const Array<TY>& array) {
    const int n = array.Size();
    DSP_CHECK(n > 0, "ArrayToBPFCnv::ConvertToBPF(): Array to be converted into a BPF must have a "
                     "positive non-zero length!");
    DSP_CHECK(bpf.Size() == n, "Different array dimensions on write");
    TX x = x0;
    for (int i = 0; i < n; ++i) {
        bpf.SetXValue(i, x);
        bpf.SetValue(i, array[i]);
        x += dx;
    }
}

} // namespace DSP
