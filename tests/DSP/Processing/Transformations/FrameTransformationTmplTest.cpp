#include "DSP/Processing/Transformations/FrameTransformationTmpl.hpp"

#include "DSP/Processing/Base/InControl.hpp"

#include <gtest/gtest.h>

namespace {

using DSP::Frame;
using DSP::Spectrum;

// A short-time effect that doubles every magnitude.
class Double : public DSP::FrameTransformationTmpl<Spectrum> {
public:
    const char* GetDSPClassName() const override { return "Double"; }
    bool Do() override { return DoWithPorts(mIn, mOut); }
    bool Do(const Spectrum& in, Spectrum& out) override {
        if (&in != &out)
            out = in;
        for (int k = 0; k < out.GetSize(); ++k)
            out.GetMagBuffer()[k] *= 2.f;
        return true;
    }
    using DSP::FrameTransformationTmpl<Spectrum>::Do;

    DSP::InPort<Spectrum> mIn{"In Spectrum", this};
    DSP::OutPort<Spectrum> mOut{"Out Spectrum", this};
};

Spectrum Ones(int bins) {
    DSP::SpectrumConfig config;
    config.SetSize(bins);
    Spectrum spectrum(config);
    for (int k = 0; k < bins; ++k)
        spectrum.GetMagBuffer()[k] = 1.f;
    return spectrum;
}

TEST(FrameTransformationTmplTest, FrameDoTransformsOnlyTheMainSpectrum) {
    Double effect;
    ASSERT_TRUE(effect.Configure(DSP::FrameTransformationConfig()));
    effect.Start();
    Frame in;
    in.GetSpectrum() = Ones(4);
    in.GetResidualSpec() = Ones(3);
    Frame out;
    out.GetResidualSpec() = Ones(5);
    out.GetSinusoidalSpec() = Ones(6);
    EXPECT_TRUE(effect.Do(in, out));
    ASSERT_EQ(out.GetSpectrum().GetSize(), 4);
    EXPECT_EQ(out.GetSpectrum().GetMagBuffer()[3], 2.f);
    EXPECT_EQ(out.GetResidualSpec().GetSize(), 5);
    EXPECT_EQ(out.GetSinusoidalSpec().GetSize(), 6);
    EXPECT_EQ(in.GetSpectrum().GetMagBuffer()[3], 1.f);
}

TEST(FrameTransformationTmplTest, PortStepTransformsOneSpectrumFromInToOut) {
    Double effect;
    ASSERT_TRUE(effect.Configure(DSP::FrameTransformationConfig()));
    DSP::OutPort<Spectrum> source("source");
    DSP::InPort<Spectrum> sink("sink");
    source.ConnectToIn(effect.GetInPorts().Get("In Spectrum"));
    effect.GetOutPorts().Get("Out Spectrum").ConnectToIn(sink);
    source.GetData() = Ones(4);
    source.Produce();
    ASSERT_TRUE(effect.CanConsumeAndProduce());
    EXPECT_TRUE(effect.Do());
    ASSERT_TRUE(sink.CanConsume());
    ASSERT_EQ(sink.GetData().GetSize(), 4);
    EXPECT_EQ(sink.GetData().GetMagBuffer()[2], 2.f);
    EXPECT_FALSE(effect.CanConsumeAndProduce()); // the one input token has been consumed
}

} // namespace
