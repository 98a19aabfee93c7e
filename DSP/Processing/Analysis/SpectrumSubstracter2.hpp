#pragma once

#include "DSP/Data/Spectrum.hpp"
#include "DSP/Misc/Ports/InPort.hpp"
#include "DSP/Misc/Ports/OutPort.hpp"
#include "DSP/Processing/Base/Processing.hpp"

namespace DSP {

/// SpectrumSubstracter2 has nothing to configure.
class SpecSubstracter2Config : public ProcessingConfig {
public:
    const char* GetDSPClassName() const override { return "SpecSubstracter2Config"; }
};

/// The residual extractor: out = in1 - in2 as complex spectra, for spectra in linear
/// magnitude and phase. The harmonic analysis subtracts the synthesized spectrum of its
/// tracked sinusoids from its residual-branch spectrum with it.
///
/// Per Do: in1's bin count of magnitude/phase bins out (in1 and the result use the fast
/// trigonometry, so subtracting a silent spectrum returns in1 within its accuracy); in2 gains
/// a magnitude/phase representation if it lacks one. Allocates only when the bin count
/// changes. Configure while stopped, Do on the audio thread.
class SpectrumSubstracter2 : public Processing {
public:
    SpectrumSubstracter2();
    ~SpectrumSubstracter2() override;

    const char* GetDSPClassName() const override { return "SpectrumSubstracter2"; }
    const ProcessingConfig& GetConfig() const override { return mConfig; }

    /// out = in1 - in2 over in1's bins (bins in2 lacks count as 0); returns true.
    bool Do(Spectrum& in1, Spectrum& in2, Spectrum& out);
    /// Sizes "Output" like "Input 1", takes its spectral range, subtracts, consumes both
    /// inputs and produces the output.
    bool Do() override;

    InPort<Spectrum>& GetInput1() { return mInput1; }
    InPort<Spectrum>& GetInput2() { return mInput2; }
    OutPort<Spectrum>& GetOutput() { return mOutput; }

protected:
    bool ConcreteConfigure(const ProcessingConfig& config) override;

private:
    SpecSubstracter2Config mConfig;
    InPort<Spectrum> mInput1;
    InPort<Spectrum> mInput2;
    OutPort<Spectrum> mOutput;
};

} // namespace DSP
