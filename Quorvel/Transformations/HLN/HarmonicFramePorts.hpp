#pragma once

#include "DSP/Data/Fundamental.hpp"
#include "DSP/Data/SpectralPeakArray.hpp"
#include "DSP/Data/Spectrum.hpp"
#include "DSP/Misc/Ports/InPort.hpp"
#include "DSP/Misc/Ports/OutPort.hpp"

namespace DSP {

// The six ports of a harmonic effect that transforms the peaks, the fundamental and a spectrum
// of a frame: "In SpectralPeaks", "In Fundamental", "In Spectrum" and their "Out" twins, owned
// by the effect. `Run` is the effect's port-driven Do: the core on the ports' tokens, then one
// token consumed and produced on every port.
struct HarmonicFramePorts {
    explicit HarmonicFramePorts(Processing* owner)
        : inPeaks("In SpectralPeaks", owner), inFundamental("In Fundamental", owner),
          inSpectrum("In Spectrum", owner), outPeaks("Out SpectralPeaks", owner),
          outFundamental("Out Fundamental", owner), outSpectrum("Out Spectrum", owner) {}

    // core(peaks, fundamental, spectrum, outPeaks, outFundamental, outSpectrum) -> bool.
    template <class Core> bool Run(Core&& core) {
        const bool result =
            core(inPeaks.GetData(), inFundamental.GetData(), inSpectrum.GetData(),
                 outPeaks.GetData(), outFundamental.GetData(), outSpectrum.GetData());
        inPeaks.Consume();
        inFundamental.Consume();
        inSpectrum.Consume();
        outPeaks.Produce();
        outFundamental.Produce();
        outSpectrum.Produce();
        return result;
    }

    InPort<SpectralPeakArray> inPeaks;
    InPort<Fundamental> inFundamental;
    InPort<Spectrum> inSpectrum;
    OutPort<SpectralPeakArray> outPeaks;
    OutPort<Fundamental> outFundamental;
    OutPort<Spectrum> outSpectrum;
};

} // namespace DSP
