// The token types the analysis and synthesis networks stream: every port and publisher
// operation must build for each of them, and a spectrum passes through a stream whole.

#include <gtest/gtest.h>

#include "DSP/Data/Complex.hpp"
#include "DSP/Data/Fundamental.hpp"
#include "DSP/Data/SpectralPeakArray.hpp"
#include "DSP/Data/Spectrum.hpp"
#include "DSP/Misc/Array.hpp"
#include "DSP/Misc/Ports/InPort.hpp"
#include "DSP/Misc/Ports/InPortPublisher.hpp"
#include "DSP/Misc/Ports/OutPort.hpp"
#include "DSP/Misc/Ports/OutPortPublisher.hpp"

template class DSP::OutPort<float>;
template class DSP::InPort<float>;
template class DSP::OutPort<DSP::Spectrum>;
template class DSP::InPort<DSP::Spectrum>;
template class DSP::OutPort<DSP::SpectralPeakArray>;
template class DSP::InPort<DSP::SpectralPeakArray>;
template class DSP::OutPort<DSP::Fundamental>;
template class DSP::InPort<DSP::Fundamental>;
template class DSP::OutPort<DSP::Array<float>>;
template class DSP::InPort<DSP::Array<float>>;
template class DSP::OutPort<DSP::Array<DSP::ComplexTmpl<float>>>;
template class DSP::InPort<DSP::Array<DSP::ComplexTmpl<float>>>;
template class DSP::OutPortPublisher<float>;
template class DSP::OutPortPublisher<DSP::Spectrum>;
template class DSP::OutPortPublisher<DSP::SpectralPeakArray>;
template class DSP::OutPortPublisher<DSP::Fundamental>;
template class DSP::InPortPublisher<float>;

TEST(TokenTypes, SpectraOfDifferentSizesPassThroughWhole) {
    DSP::OutPort<DSP::Spectrum> out;
    DSP::InPort<DSP::Spectrum> in;
    in.SetSize(3);
    out.ConnectToIn(in);
    long written = 0;
    for (int step = 0; step < 30; ++step) {
        if (out.CanProduce()) {
            DSP::Spectrum& spectrum = out.GetData();
            spectrum.SetSize(static_cast<int>(written % 5) + 2);
            spectrum.SetMag(1, static_cast<float>(written));
            out.Produce();
            ++written;
        }
        for (; in.CanConsume(); in.Consume())
            for (int k = 0; k < 3; ++k) {
                const long pos = in.GetRegion().Pos() + k;
                ASSERT_EQ(in[k].GetSize(), static_cast<int>(pos % 5) + 2) << "token " << pos;
                ASSERT_EQ(in[k].GetMag(1), static_cast<float>(pos));
            }
    }
    EXPECT_GT(written, 20);
}
