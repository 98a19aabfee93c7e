#pragma once

#include "DSP/Data/Frame.hpp"
#include "DSP/Data/Spectrum.hpp"
#include "DSP/Misc/Ports/InPort.hpp"
#include "DSP/Misc/Ports/OutPort.hpp"
#include "DSP/Processing/Transformations/FrameTransformation.hpp"

namespace DSP {

// A frame transformation that works on one kind of token. Only the short-time spectral form
// exists: FrameTransformationTmpl<Spectrum>, the base of the short-time effects.
template <class T> class FrameTransformationTmpl;

// Base of the short-time spectral effects. Do(in, out) transforms one short-time spectrum
// (magnitude and phase buffers of the same bin count in both; in and out may be the same
// object). A harmonic frame is handled through its main spectrum only.
template <> class FrameTransformationTmpl<Spectrum> : public FrameTransformation {
public:
    virtual bool Do(const Spectrum& in, Spectrum& out) = 0;

    // Transforms in's main spectrum into out's; every other part of out is left untouched.
    bool Do(const Frame& in, Frame& out) override {
        return Do(in.GetSpectrum(), out.GetSpectrum());
    }

    using FrameTransformation::Do;

protected:
    // The port-driven step of a concrete effect: transforms the spectrum waiting at in into
    // the one at out, then consumes and produces one token.
    bool DoWithPorts(InPort<Spectrum>& in, OutPort<Spectrum>& out) {
        const bool result = Do(in.GetData(), out.GetData());
        in.Consume();
        out.Produce();
        return result;
    }
};

} // namespace DSP
