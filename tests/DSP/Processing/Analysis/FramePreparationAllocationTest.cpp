#include "DSP/Processing/Analysis/BinaryAudioOp.hpp"
#include "DSP/Processing/Analysis/CircularShift.hpp"
#include "DSP/Processing/Analysis/FFT_ooura.hpp"
#include "DSP/Processing/Analysis/WindowGenerator.hpp"
#include "DSP/Processing/SignalTestData.hpp"
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
    DSP::FFT_ooura fft(SizeConfig<DSP::FFTConfig>(1024));
    DSP::IFFT_ooura ifft(SizeConfig<DSP::IFFTConfig>(1024));
    DSP::Audio windowSamples = NaNAudio(1025), frame = AudioOf(RandomSamples(1024, 1)),
               out = NaNAudio(1024);
    DSP::Spectrum spectrum;
    spectrum.SetSize(513);
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
