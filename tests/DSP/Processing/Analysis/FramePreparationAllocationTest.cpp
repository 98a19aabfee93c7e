#include "DSP/Processing/Analysis/BinaryAudioOp.hpp"
#include "DSP/Processing/Analysis/CircularShift.hpp"
#include "DSP/Processing/Analysis/FFT_ooura.hpp"
#include "DSP/Processing/Analysis/WindowGenerator.hpp"
#include "DSP/Processing/Synthesis/IFFT_ooura.hpp"
#include "support/AllocationCounter.hpp"

#include <gtest/gtest.h>

namespace {

// One hop of the short-time path with the default sizes: window, multiply, rotate, transform
// and back. Everything is sized at configuration; the hop itself must not touch the heap.
TEST(FramePreparationAllocationTest, OneHopAllocatesNothing) {
    SKIP_WITHOUT_ALLOCATION_COUNTER();
    DSP::WindowGeneratorConfig windowConfig;
    windowConfig.SetType(DSP::EWindowType(DSP::EWindowType::eBlackmanHarris92));
    windowConfig.SetSize(1025);
    DSP::WindowGenerator window(windowConfig);
    DSP::CircularShiftConfig shiftConfig;
    shiftConfig.SetAmount(-512.0f);
    DSP::CircularShift shift(shiftConfig);
    DSP::AudioMultiplier multiplier;
    DSP::FFTConfig fftConfig;
    fftConfig.SetAudioSize(1024);
    DSP::FFT_ooura fft(fftConfig);
    DSP::IFFTConfig ifftConfig;
    ifftConfig.SetAudioSize(1024);
    DSP::IFFT_ooura ifft(ifftConfig);

    DSP::Audio windowSamples, frame, out;
    windowSamples.SetSize(1025);
    frame.SetSize(1024);
    out.SetSize(1024);
    DSP::Spectrum spectrum;
    spectrum.SetSize(513);
    for (int j = 0; j < 1024; ++j)
        frame.GetBuffer()[j] = float(j % 17) - 8.0f;

    AllocationCounter counter;
    window.Do(windowSamples);
    windowSamples.GetBuffer().SetSize(1024);
    multiplier.Do(windowSamples, frame, frame);
    shift.Do(frame, frame);
    fft.Do(frame, spectrum);
    ifft.Do(spectrum, out);
    EXPECT_EQ(counter.Calls(), 0);
}

} // namespace
