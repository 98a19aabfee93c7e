#include "DSP/Processing/Synthesis/IFFT.hpp"

#include "DSP/Misc/Err.hpp"

namespace DSP {

IFFT_base::IFFT_base() : mInput("Spectrum Input", this), mOutput("Audio Output", this) {}

IFFT_base::~IFFT_base() = default;

void IFFT_base::ChangeSize(int n) {
    DSP_CHECK(n >= 0, "Wrong (negative) Size in control input.");
    DSP_CHECK(false, "Controls not yet implemented.");
}

} // namespace DSP
