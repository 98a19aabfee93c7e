#pragma once

#include "DSP/Data/Complex.hpp"
#include "DSP/Data/Polar.hpp"
#include "DSP/Misc/Array.hpp"
#include "DSP/Misc/Err.hpp"

namespace DSP {

/// Bulk conversion between complex and polar arrays of the same size, with the fast square
/// root, arc tangent, cosine and sine (the conversions every spectrum uses). The arrays are
/// not resized, so a conversion never allocates; different sizes are refused.
template <class T> class ComplexToPolarCnv {
public:
    void ToPolar(const Array<ComplexTmpl<T>>& in, Array<PolarTmpl<T>>& out) const {
        CheckSizes(in.Size(), out.Size());
        for (int i = 0; i < in.Size(); ++i)
            out[i] = PolarTmpl<T>(in[i].Mag(), in[i].Ang());
    }

    void ToComplex(const Array<PolarTmpl<T>>& in, Array<ComplexTmpl<T>>& out) const {
        CheckSizes(in.Size(), out.Size());
        for (int i = 0; i < in.Size(); ++i)
            out[i].ToPolar(in[i].Mag(), in[i].Ang());
    }

private:
    static void CheckSizes(int inSize, int outSize) {
        DSP_CHECK(inSize == outSize,
                  "ComplexToPolarCnv::Convert: unable to convert buffers with different sizes");
    }
};

} // namespace DSP
