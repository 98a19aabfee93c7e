#pragma once

#include "DSP/Data/Spectrum.hpp"
#include "DSP/Misc/Ports/InPort.hpp"
#include "DSP/Misc/Ports/OutPort.hpp"
#include "DSP/Processing/Base/InControl.hpp"
#include "DSP/Processing/Transformations/FrameTransformationTmpl.hpp"

namespace DSP {

// The three-band filter program ("3-Band Filter"): a graphic equalizer of three bands with
// fixed gains in dB and a five-bin crossfade centred on each boundary bin. Phases pass
// unchanged.
//
// Do(in, out) takes one linear magnitude/phase spectrum of n bins (513 in the engine; in and
// out may be the same object); out starts as a copy of in and its magnitudes are scaled. A
// gain at or below about −764 dB silences its band exactly; a product that is not finite
// becomes 0.
//
// Controls (initial value): "LowCutoff" (500 Hz, boundary of the low and middle bands),
// "HighCutoff" (3000 Hz, boundary of the middle and high bands), "LowGain", "MidGain",
// "HighGain" (0 dB each). Nothing is clamped; a boundary bin is kept within 2 … n − 3 so that
// its crossfade lies inside the spectrum.
//
// No state; Do never allocates. Controls may be written from any thread.
class ThreeBandFilter : public FrameTransformationTmpl<Spectrum> {
public:
    ThreeBandFilter() = default;

    const char* GetDSPClassName() const override { return "ThreeBandFilter"; }

    bool Do(const Spectrum& in, Spectrum& out) override;
    bool Do() override { return DoWithPorts(mInput, mOutput); }
    using FrameTransformationTmpl<Spectrum>::Do;

    // LowCutoff 500, HighCutoff 3000, LowGain, MidGain and HighGain 0, in that order.
    bool InitControls() override;

private:
    InPort<Spectrum> mInput{"In Spectrum", this};
    OutPort<Spectrum> mOutput{"Out Spectrum", this};
    InControl mLowCutoff{"LowCutoff", this};
    InControl mHighCutoff{"HighCutoff", this};
    InControl mLowGain{"LowGain", this};
    InControl mMidGain{"MidGain", this};
    InControl mHighGain{"HighGain", this};
};

} // namespace DSP
