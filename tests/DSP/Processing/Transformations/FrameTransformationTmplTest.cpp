#include "DSP/Processing/Transformations/FrameTransformationTmpl.hpp"

#include <gtest/gtest.h>

namespace {

using DSP::Spectrum;

// A short-time effect that doubles every magnitude.
class Double : public DSP::FrameTransformationTmpl<Spectrum> {
public:
    const char* GetDSPClassName() const override { return "Double"; }
    bool Do() override { return false; }
    bool Do(const Spectrum& in, Spectrum& out) override {
        if (&in != &out)
            out = in;
        for (int k = 0; k < out.GetSize(); ++k)
            out.GetMagBuffer()[k] *= 2.f;
        return true;
    }
    using DSP::FrameTransformationTmpl<Spectrum>::Do;
};

Spectrum Ones(int bins) {
    Spectrum spectrum;
    spectrum.SetSize(bins);
    for (int k = 0; k < bins; ++k)
        spectrum.GetMagBuffer()[k] = 1.f;
    return spectrum;
}

TEST(FrameTransformationTmplTest, FrameDoTransformsOnlyTheMainSpectrum) {
    Double effect;
    DSP::Frame in, out;
    in.GetSpectrum() = Ones(4);
    in.GetResidualSpec() = Ones(3);
    out.GetResidualSpec() = Ones(5);
    out.GetSinusoidalSpec() = Ones(6);
    EXPECT_TRUE(effect.Do(in, out));
    ASSERT_EQ(out.GetSpectrum().GetSize(), 4);
    EXPECT_EQ(out.GetSpectrum().GetMagBuffer()[3], 2.f);
    EXPECT_EQ(out.GetResidualSpec().GetSize(), 5);
    EXPECT_EQ(out.GetSinusoidalSpec().GetSize(), 6);
    EXPECT_EQ(in.GetSpectrum().GetMagBuffer()[3], 1.f);
}

} // namespace
