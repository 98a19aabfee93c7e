#include "DSP/Processing/Analysis/MagPhaseSum.hpp"

#include "DSP/Misc/FastMath.hpp"

#include <cmath>

namespace DSP {

namespace {

void EnsureMagPhase(Spectrum& spectrum) {
    if (spectrum.GetType().IsSetFlag(SpecTypeFlags::eMagPhase))
        return;
    SpecTypeFlags type = spectrum.GetType();
    type.SetFlag(SpecTypeFlags::eMagPhase, true);
    spectrum.SetTypeSynchronize(type);
}

} // namespace

void MagPhaseSum(Spectrum& a, Spectrum& b, float sign, Spectrum& out) {
    EnsureMagPhase(a);
    EnsureMagPhase(b);
    const int n = a.GetSize();
    const int nB = b.GetSize() < n ? b.GetSize() : n;
    out.SetType(SpecTypeFlags({SpecTypeFlags::eMagPhase}));
    out.SetSize(n);
    out.SetSpectralRange(a.GetSpectralRange());

    const float* magA = a.GetMagBuffer().GetPtr();
    const float* phaseA = a.GetPhaseBuffer().GetPtr();
    const float* magB = b.GetMagBuffer().GetPtr();
    const float* phaseB = b.GetPhaseBuffer().GetPtr();
    float* mag = out.GetMagBuffer().GetPtr();
    float* phase = out.GetPhaseBuffer().GetPtr();
    for (int k = 0; k < n; ++k) {
        const float mA = std::fabs(magA[k]);
        float re = mA * DSP_cos(phaseA[k]);
        float im = mA * DSP_sin(phaseA[k]);
        if (k < nB) {
            const float mB = sign * std::fabs(magB[k]);
            re += mB * DSP_cos(phaseB[k]);
            im += mB * DSP_sin(phaseB[k]);
        }
        const float squares = re * re + im * im;
        mag[k] = squares > 0.f ? DSP_sqrt(squares) : 0.f;
        phase[k] = DSP_atan2(im, re);
    }
    out.SynchronizeTo(out.GetType());
}

} // namespace DSP
