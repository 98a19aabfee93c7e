#pragma once
// Spectrograms: the level of a short-time spectrum analysis over time and frequency, drawn as a
// picture with a colour scale in dB, labelled time and frequency axes and a colour bar.
//
// The analysis windows each column's samples with a 92 dB Blackman-Harris window (normalized so
// that a sine of amplitude A reads as A in its peak bin) and transforms them with the
// library's FFT. Levels are dB relative to a full-scale sine, clamped to kSpectrogramFloorDb..0.

#include "hosts/cli/Args.hpp"
#include "hosts/cli/AudioFile.hpp"
#include "hosts/cli/Image.hpp"

#include <string>
#include <vector>

namespace quorvel::cli {

constexpr double kSpectrogramFloorDb = -90.0;

// Levels on a grid: column c is the spectrum of a window centred at from + (c + 0.5) * step
// seconds; row r (0 at the bottom) covers r * maxHz / rows .. (r + 1) * maxHz / rows and holds
// the highest level of the analysis bins in it (or, for rows narrower than a bin, the level
// interpolated at the row's centre).
struct SpectrogramGrid {
    int columns = 0;
    int rows = 0;
    std::vector<float> db; // columns * rows levels, column by column

    float at(int column, int row) const { return db[size_t(column) * size_t(rows) + size_t(row)]; }
};

// Analyses `samples` (at `sampleRate`) from `fromSeconds` to `toSeconds`; samples outside the
// signal count as silence. columns and rows must be at least 1, maxHz within the Nyquist
// frequency.
SpectrogramGrid analyseSpectrogram(const std::vector<float>& samples, int sampleRate,
                                   double fromSeconds, double toSeconds, double maxHz, int columns,
                                   int rows);

// One strip of the picture: a signal and what its label calls it.
struct SpectrogramPanel {
    const std::vector<float>* samples;
    std::string label;
};

// What the picture shows; the panels share the time and frequency scales.
struct SpectrogramView {
    int sampleRate = 44100;
    double fromSeconds = 0.0;
    double toSeconds = 0.0;
    double maxHz = 8000.0;
    int width = kDefaultSpectrogramWidth;
    int height = kDefaultSpectrogramHeight;
};

// Draws the panels stacked top to bottom into a width x height picture. Throws CliError
// (usage) when the picture is too small for them.
Image drawSpectrogram(const std::vector<SpectrogramPanel>& panels, const SpectrogramView& view);

// One panel per channel of `audio` ("left"/"right" for two channels), labels led by `name`.
std::vector<SpectrogramPanel> channelPanels(const AudioData& audio, const std::string& name);

// Checks `options`' time range and frequency limit against `audio` (CliError, usage) and
// returns the view they select.
SpectrogramView spectrogramView(const SpectrogramOptions& options, const AudioData& audio);

// Throws CliError (processing) unless a picture can be written at `path` (its folder exists
// and is writable): checked before a long render rather than after it.
void checkPictureWritable(const std::string& path);

// `quorvel spectrogram`: reads the input and writes its picture.
void spectrogramFile(const SpectrogramOptions& options);

// The picture `render --spectrogram` writes: the output's channels, under the input's with
// `compare`, over the whole file at the default size.
Image renderSpectrogram(const RenderOptions& options, const AudioData& input,
                        const AudioData& output);

} // namespace quorvel::cli
