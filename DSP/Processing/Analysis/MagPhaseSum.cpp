#include "DSP/Processing/Analysis/MagPhaseSum.hpp"

#include "DSP/Misc/FastMath.hpp"
#include "DSP/Misc/FastMathBlock.hpp"

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
    SumOfPolar(magA, phaseA, magB, phaseB, sign, nB, mag, phase);
    for (int k = nB; k < n; ++k) {
        const float mA = std::fabs(magA[k]);
        const float re = mA * DSP_cos(phaseA[k]);
        const float im = mA * DSP_sin(phaseA[k]);
        const float squares = re * re + im * im;
        mag[k] = squares > 0.f ? DSP_sqrt(squares) : 0.f;
        phase[k] = DSP_atan2(im, re);
    }
    out.SynchronizeTo(out.GetType());
}

} // namespace DSP
