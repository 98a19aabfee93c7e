// The yardstick of `quorvel render` for the short-time programs: the bare short-time loop a
// renderer could not do with less, run over a whole file. Reads IN, and for each channel
// windows 1024-sample frames at a hop of 256 (Hann), transforms each forward and back with
// FFTW's real plans, overlap-adds the hops and writes OUT in IN's format. The plans are
// estimated, not measured: measuring them takes longer than the whole loop over a minute of
// stereo (about 0.25 s on the reference machine); BM_FftwReferenceHop uses measured plans.
//
//   quorvel_fftw_loop IN OUT
//
// bench/render_rtf.py times it in the same run as every program.

#include <fftw3.h>
#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

namespace {

constexpr int kFrame = 1024;
constexpr int kHop = 256;

int fail(const char* what, const char* path) {
    std::fprintf(stderr, "quorvel_fftw_loop: %s '%s': %s\n", what, path, sf_strerror(nullptr));
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: quorvel_fftw_loop IN OUT\n");
        return 2;
    }
    SF_INFO info{};
    SNDFILE* in = sf_open(argv[1], SFM_READ, &info);
    if (!in)
        return fail("cannot read", argv[1]);
    const int channels = info.channels;
    std::vector<float> samples(size_t(info.frames) * size_t(channels));
    const sf_count_t frames = sf_readf_float(in, samples.data(), info.frames);
    sf_close(in);

    float* frame = fftwf_alloc_real(kFrame);
    float* resynthesised = fftwf_alloc_real(kFrame);
    fftwf_complex* bins = fftwf_alloc_complex(kFrame / 2 + 1);
    const fftwf_plan forward = fftwf_plan_dft_r2c_1d(kFrame, frame, bins, FFTW_ESTIMATE);
    const fftwf_plan inverse = fftwf_plan_dft_c2r_1d(kFrame, bins, resynthesised, FFTW_ESTIMATE);
    std::vector<float> window(kFrame);
    for (int i = 0; i < kFrame; ++i)
        window[size_t(i)] = float((0.5 - 0.5 * std::cos(6.283185307179586 * i / kFrame)) / kFrame);

    // Each hop is finished once the frame starting on it has been added, and no later frame
    // reads its input: it goes back into the file's buffer in its channel's place.
    std::vector<float> sum(kFrame, 0.0f);
    for (int c = 0; c < channels; ++c) {
        float* x = samples.data() + c;
        std::fill(sum.begin(), sum.end(), 0.0f);
        for (sf_count_t start = 0; start < frames; start += kHop) {
            const int whole = int(std::min<sf_count_t>(kFrame, frames - start));
            for (int i = 0; i < whole; ++i)
                frame[i] = x[(start + i) * channels] * window[size_t(i)];
            for (int i = whole; i < kFrame; ++i)
                frame[i] = 0.0f;
            fftwf_execute(forward);
            fftwf_execute(inverse);
            for (int i = 0; i < kFrame; ++i)
                sum[size_t(i)] += resynthesised[i];
            const int done = int(std::min<sf_count_t>(kHop, frames - start));
            for (int i = 0; i < done; ++i)
                x[(start + i) * channels] = sum[size_t(i)];
            std::copy(sum.begin() + kHop, sum.end(), sum.begin());
            std::fill(sum.end() - kHop, sum.end(), 0.0f);
        }
    }
    fftwf_destroy_plan(forward);
    fftwf_destroy_plan(inverse);
    fftwf_free(bins);
    fftwf_free(resynthesised);
    fftwf_free(frame);

    SNDFILE* file = sf_open(argv[2], SFM_WRITE, &info);
    if (!file)
        return fail("cannot write", argv[2]);
    const bool written = sf_writef_float(file, samples.data(), frames) == frames;
    sf_close(file);
    return written ? 0 : fail("cannot write", argv[2]);
}
