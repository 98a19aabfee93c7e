#include "hosts/cli/DemoSound.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace quorvel::cli {

namespace {

constexpr double kTwoPi = 6.283185307179586;

// A small deterministic noise source (xorshift), uniform in -1..1.
class Noise {
public:
    double next() {
        mState ^= mState << 13;
        mState ^= mState >> 7;
        mState ^= mState << 17;
        return double(mState >> 11) / double(uint64_t(1) << 52) - 1.0;
    }

private:
    uint64_t mState = 0x9E3779B97F4A7C15ull;
};

// Gain of a vowel-like formant filter at `hz`: three resonances of an "ah".
double formantGain(double hz) {
    const double centres[] = {730.0, 1090.0, 2440.0};
    const double widths[] = {90.0, 110.0, 170.0};
    const double levels[] = {1.0, 0.5, 0.25};
    double g = 0.02;
    for (int k = 0; k < 3; ++k) {
        const double d = (hz - centres[k]) / widths[k];
        g += levels[k] / (1.0 + d * d);
    }
    return g;
}

// The sung phrase's pitch (before vibrato) at `t` seconds: holds and glides, each glide a
// smooth half cosine between the notes, in semitones.
double pitchAt(double t) {
    auto slide = [](double t, double start, double length, double from, double to) {
        const double x = std::clamp((t - start) / length, 0.0, 1.0);
        return from + (to - from) * 0.5 * (1.0 - std::cos(x * kTwoPi / 2.0));
    };
    const double semitones = t < 1.9 ? slide(t, 0.9, 0.2, 0.0, 4.0) : slide(t, 1.9, 1.0, 4.0, -1.0);
    return 196.0 * std::pow(2.0, semitones / 12.0);
}

} // namespace

AudioData makeDemoSound(int sampleRate) {
    const double rate = sampleRate;
    const int64_t voiceFrames = int64_t(3.0 * rate);
    const int64_t pauseFrames = int64_t(0.25 * rate);
    const int64_t hitFrames = int64_t(1.25 * rate);
    AudioData audio;
    audio.sampleRate = sampleRate;
    audio.channels.assign(1, std::vector<float>(size_t(voiceFrames + pauseFrames + hitFrames)));
    std::vector<float>& out = audio.channels[0];
    Noise noise;

    // The voice: a sung phrase with a 5.5 Hz vibrato of ±1.5 %, harmonics shaped by formants,
    // breath noise, fade in and out. It holds G3 (196 Hz), slides up a major third to B3
    // (246.94 Hz) in 0.2 s, holds it, then glides slowly down five semitones to F#3
    // (185 Hz) over the last second, passing between the notes.
    double phase = 0.0;
    double breathLow = 0.0;
    for (int64_t i = 0; i < voiceFrames; ++i) {
        const double t = double(i) / rate;
        const double f0 = pitchAt(t) * (1.0 + 0.015 * std::sin(kTwoPi * 5.5 * t));
        phase += kTwoPi * f0 / rate;
        double voice = 0.0;
        for (int h = 1; h * f0 < 0.45 * rate && h <= 40; ++h)
            voice += formantGain(h * f0) / h * std::sin(h * phase);
        breathLow = 0.9 * breathLow + 0.1 * noise.next();
        const double envelope = std::min({1.0, t / 0.08, (3.0 - t) / 0.15});
        out[size_t(i)] = float(envelope * (0.45 * voice + 0.03 * breathLow));
    }

    // The percussive part: four hits, each a decaying noise burst over a falling sine.
    const int64_t start = voiceFrames + pauseFrames;
    for (int hit = 0; hit < 4; ++hit) {
        const int64_t at = start + int64_t(hit * 0.3 * rate);
        double tonePhase = 0.0;
        for (int64_t i = 0; at + i < int64_t(out.size()) && i < int64_t(0.28 * rate); ++i) {
            const double t = double(i) / rate;
            tonePhase += kTwoPi * (60.0 + 120.0 * std::exp(-t * 30.0)) / rate;
            const double body = std::exp(-t * 18.0) * std::sin(tonePhase);
            const double snap = std::exp(-t * 60.0) * noise.next();
            out[size_t(at + i)] += float(0.5 * body + 0.3 * snap);
        }
    }

    float peak = 0.0f;
    for (float s : out)
        peak = std::max(peak, std::fabs(s));
    const float scale = peak > 0.0f ? 0.7079f / peak : 1.0f; // peak at -3 dBFS
    for (float& s : out)
        s *= scale;
    return audio;
}

} // namespace quorvel::cli
