#include "hosts/cli/Spectrogram.hpp"

#include "DSP/Data/Audio.hpp"
#include "DSP/Data/Spectrum.hpp"
#include "DSP/Processing/Analysis/FFT_ooura.hpp"
#include "DSP/Processing/Analysis/WindowGenerator.hpp"
#include "hosts/cli/BitmapFont.hpp"
#include "hosts/cli/CliError.hpp"
#include "hosts/cli/ColourMap.hpp"
#include "hosts/cli/Png.hpp"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace quorvel::cli {

namespace {

constexpr double kDefaultMaxHz = 8000.0;
constexpr double kMinMaxHz = 100.0;
constexpr int kMinPanelHeight = 40;
constexpr double kDbStep = 10.0; // colour bar labels

const Rgb kBackground{255, 255, 255};
const Rgb kInk{40, 40, 48};
const Rgb kRule{150, 150, 160};

// The analysis length: about 46 ms (2048 samples at 44100 Hz), a power of two.
int fftSizeFor(int sampleRate) {
    int n = 256;
    while (n < 0.04 * sampleRate)
        n *= 2;
    return n;
}

double levelDb(float magnitude) {
    const double db = magnitude > 0.0f ? 20.0 * std::log10(double(magnitude)) : kSpectrogramFloorDb;
    return std::clamp(db, kSpectrogramFloorDb, 0.0);
}

// "0.5", "1", "2.5": tick labels without trailing zeros.
std::string label(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", std::fabs(value) < 1e-9 ? 0.0 : value);
    return text;
}

// The smallest of 1, 2, 5 times a power of ten that is at least `minimum`.
double niceStep(double minimum) {
    double decade = std::pow(10.0, std::floor(std::log10(minimum)));
    for (;; decade *= 10.0)
        for (double m : {1.0, 2.0, 5.0})
            if (m * decade >= minimum * (1.0 - 1e-9))
                return m * decade;
}

// Where the parts of the picture go, for a given size, scale and panel count.
struct Layout {
    int scale, left, top, plotWidth, panelHeight, panelGap, barX, barWidth;

    Layout(int width, int height, int panels, int textScale) : scale(textScale) {
        const int s = scale;
        const int lineHeight = (kGlyphHeight + 5) * s;
        left = textWidth("00.0", s) + 8 * s;
        top = lineHeight;
        panelGap = lineHeight + 2 * s;
        barWidth = 10 * s;
        const int right = 8 * s + barWidth + 4 * s + textWidth("-100", s) + 4 * s;
        plotWidth = width - left - right;
        barX = left + plotWidth + 8 * s;
        const int bottom = (kGlyphHeight + 9) * s;
        panelHeight = (height - top - bottom - panelGap * (panels - 1)) / panels;
    }
    int panelTop(int panel) const { return top + panel * (panelHeight + panelGap); }
};

void drawFrequencyAxis(Image& image, const Layout& l, int y0, double maxHz) {
    const int s = l.scale;
    const double step = niceStep(maxHz * (kGlyphHeight + 8) * s / l.panelHeight);
    for (double hz = 0.0; hz <= maxHz * (1.0 + 1e-9); hz += step) {
        const int y = y0 + l.panelHeight - 1 - int(std::lround(hz / maxHz * (l.panelHeight - 1)));
        image.fill(l.left - 4 * s, y, 3 * s, 1, kInk);
        const std::string text = label(hz / 1000.0);
        const int ty = std::clamp(y - kGlyphHeight * s / 2, y0 - 2 * s,
                                  y0 + l.panelHeight - kGlyphHeight * s + 2 * s);
        drawText(image, l.left - 6 * s - textWidth(text, s), ty, text, kInk, s);
    }
}

void drawTimeAxis(Image& image, const Layout& l, int y0, const SpectrogramView& v) {
    const int s = l.scale;
    const double span = v.toSeconds - v.fromSeconds;
    const double step = niceStep(span * textWidth("00.00", s) * 1.6 / l.plotWidth);
    for (double t = std::ceil(v.fromSeconds / step - 1e-9) * step; t <= v.toSeconds + 1e-9;
         t += step) {
        const int x = l.left + int(std::lround((t - v.fromSeconds) / span * (l.plotWidth - 1)));
        image.fill(x, y0 + 1, 1, 3 * s, kInk);
        const std::string text = label(t);
        const int tx = std::clamp(x - textWidth(text, s) / 2, l.left - 2 * s,
                                  l.left + l.plotWidth - textWidth(text + " s", s));
        drawText(image, tx, y0 + 5 * s, text, kInk, s);
    }
    drawText(image, l.left + l.plotWidth - textWidth("s", s), y0 + 5 * s, "s", kInk, s);
}

void drawColourBar(Image& image, const Layout& l, int y0, int height) {
    const int s = l.scale;
    for (int y = 0; y < height; ++y)
        image.fill(l.barX, y0 + y, l.barWidth, 1, magma(1.0 - double(y) / (height - 1)));
    image.frame(l.barX, y0, l.barWidth, height, kRule);
    for (double db = 0.0; db >= kSpectrogramFloorDb - 1e-9; db -= kDbStep) {
        const int y = y0 + int(std::lround(db / kSpectrogramFloorDb * (height - 1)));
        if (int(-db / kDbStep) % 3 != 0 && height < 30 * s * 9)
            continue; // every 30 dB on short bars
        image.fill(l.barX + l.barWidth, y, 3 * s, 1, kInk);
        const int ty = std::clamp(y - kGlyphHeight * s / 2, y0 - 2 * s,
                                  y0 + height - kGlyphHeight * s + 2 * s);
        drawText(image, l.barX + l.barWidth + 4 * s, ty, label(db), kInk, s);
    }
    drawText(image, l.barX, y0 - (kGlyphHeight + 4) * s, "dB", kInk, s);
}

std::string baseName(const std::string& path) {
    return path.substr(path.find_last_of('/') + 1);
}

} // namespace

SpectrogramGrid analyseSpectrogram(const std::vector<float>& samples, int sampleRate,
                                   double fromSeconds, double toSeconds, double maxHz, int columns,
                                   int rows) {
    const int n = fftSizeFor(sampleRate);
    DSP::WindowGeneratorConfig windowConfig;
    windowConfig.SetType(DSP::EWindowType::eBlackmanHarris92);
    windowConfig.SetSize(n);
    windowConfig.SetUseTable(false);
    windowConfig.SetNormalize(DSP::EWindowNormalize::eAnalysis);
    DSP::WindowGenerator windowGenerator(windowConfig);
    DSP::Audio window, frame;
    window.SetSize(n);
    frame.SetSize(n);
    windowGenerator.Do(window);

    DSP::FFTConfig fftConfig;
    fftConfig.SetAudioSize(n);
    DSP::FFT_ooura fft(fftConfig);
    DSP::Spectrum spectrum;
    spectrum.SetSize(n / 2 + 1);

    SpectrogramGrid grid;
    grid.columns = columns;
    grid.rows = rows;
    grid.db.resize(size_t(columns) * size_t(rows));
    const double binHz = double(sampleRate) / n;
    const double rowHz = maxHz / rows;
    const double step = (toSeconds - fromSeconds) / columns;
    std::vector<float> magnitudes(size_t(n / 2 + 1));
    for (int c = 0; c < columns; ++c) {
        const double centre = (fromSeconds + (c + 0.5) * step) * sampleRate;
        const int64_t first = int64_t(std::floor(centre)) - n / 2;
        for (int j = 0; j < n; ++j) {
            const int64_t i = first + j;
            const float x = i >= 0 && i < int64_t(samples.size()) ? samples[size_t(i)] : 0.0f;
            frame.GetBuffer()[j] = x * window.GetBuffer()[j];
        }
        fft.Do(frame, spectrum);
        for (int k = 0; k <= n / 2; ++k)
            magnitudes[size_t(k)] = spectrum.GetMagBuffer()[k];
        for (int r = 0; r < rows; ++r) {
            const double mid = (r + 0.5) * rowHz / binHz;
            const int below = std::min(int(mid), n / 2 - 1);
            const double t = std::min(mid - below, 1.0);
            float level =
                float(magnitudes[size_t(below)] * (1.0 - t) + magnitudes[size_t(below + 1)] * t);
            const int kLow = int(std::ceil(r * rowHz / binHz));
            const int kHigh = std::min(int(std::ceil((r + 1) * rowHz / binHz)), n / 2 + 1);
            for (int k = kLow; k < kHigh; ++k)
                level = std::max(level, magnitudes[size_t(k)]);
            grid.db[size_t(c) * size_t(rows) + size_t(r)] = float(levelDb(level));
        }
    }
    return grid;
}

Image drawSpectrogram(const std::vector<SpectrogramPanel>& panels, const SpectrogramView& view) {
    const int count = int(panels.size());
    const Layout l(view.width, view.height, count, std::clamp(view.width / 320, 1, 3));
    if (l.plotWidth < 100 || l.panelHeight < kMinPanelHeight)
        throw usageError("a picture of " + std::to_string(view.width) + " x " +
                         std::to_string(view.height) + " pixels is too small for " +
                         std::to_string(count) + (count == 1 ? " spectrogram" : " spectrograms"));
    Image image(view.width, view.height, kBackground);
    const int s = l.scale;
    for (int p = 0; p < count; ++p) {
        const int y0 = l.panelTop(p);
        const SpectrogramGrid grid =
            analyseSpectrogram(*panels[size_t(p)].samples, view.sampleRate, view.fromSeconds,
                               view.toSeconds, view.maxHz, l.plotWidth, l.panelHeight);
        for (int c = 0; c < grid.columns; ++c)
            for (int r = 0; r < grid.rows; ++r)
                image.set(l.left + c, y0 + l.panelHeight - 1 - r,
                          magma(1.0 - grid.at(c, r) / kSpectrogramFloorDb));
        image.frame(l.left, y0, l.plotWidth, l.panelHeight, kRule);
        const std::string& title = panels[size_t(p)].label;
        drawText(image, l.left + (l.plotWidth - textWidth(title, s)) / 2,
                 y0 - (kGlyphHeight + 4) * s, title, kInk, s);
        drawFrequencyAxis(image, l, y0, view.maxHz);
        if (p == 0)
            drawText(image, l.left - 6 * s - textWidth("kHz", s), y0 - (kGlyphHeight + 4) * s,
                     "kHz", kInk, s);
    }
    const int plotBottom = l.panelTop(count - 1) + l.panelHeight;
    drawTimeAxis(image, l, plotBottom, view);
    drawColourBar(image, l, l.top, plotBottom - l.top);
    return image;
}

std::vector<SpectrogramPanel> channelPanels(const AudioData& audio, const std::string& name) {
    std::vector<SpectrogramPanel> panels;
    const int count = audio.channelCount();
    for (int c = 0; c < count; ++c) {
        std::string text = name;
        if (count == 2)
            text += c == 0 ? " - left" : " - right";
        else if (count > 2)
            text += " - channel " + std::to_string(c + 1);
        panels.push_back({&audio.channels[size_t(c)], text});
    }
    return panels;
}

SpectrogramView spectrogramView(const SpectrogramOptions& options, const AudioData& audio) {
    if (audio.frameCount() == 0)
        throw usageError("'" + options.input + "' holds no samples to draw");
    SpectrogramView view;
    view.sampleRate = audio.sampleRate;
    view.width = options.width;
    view.height = options.height;
    const double length = double(audio.frameCount()) / audio.sampleRate;
    view.fromSeconds = options.fromSeconds.value_or(0.0);
    view.toSeconds = std::min(options.toSeconds.value_or(length), length);
    if (view.fromSeconds >= length)
        throw usageError("--from " + formatNumber(view.fromSeconds) +
                         " is not before the end of the input (" + formatNumber(length) + " s)");
    if (view.fromSeconds >= view.toSeconds)
        throw usageError("--from " + formatNumber(view.fromSeconds) + " must be before --to " +
                         formatNumber(view.toSeconds));
    const double nyquist = audio.sampleRate / 2.0;
    view.maxHz = options.maxHz.value_or(std::min(kDefaultMaxHz, nyquist));
    if (view.maxHz < kMinMaxHz || view.maxHz > nyquist)
        throw usageError("--max-hz must be from " + formatNumber(kMinMaxHz) +
                         " to half the input's sample rate (" + formatNumber(nyquist) +
                         " Hz), not " + formatNumber(view.maxHz));
    return view;
}

void checkPictureWritable(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    const std::string folder =
        slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
    if (access(folder.c_str(), W_OK | X_OK) != 0)
        throw processingError("cannot write '" + path + "': " + std::strerror(errno));
}

void spectrogramFile(const SpectrogramOptions& options) {
    if (options.input == options.output || sameFile(options.input, options.output))
        throw usageError("refusing to write the picture over the input '" + options.input + "'");
    const AudioData input = readAudioFile(options.input);
    const SpectrogramView view = spectrogramView(options, input);
    writePng(options.output, drawSpectrogram(channelPanels(input, baseName(options.input)), view));
}

Image renderSpectrogram(const RenderOptions& options, const AudioData& input,
                        const AudioData& output) {
    std::vector<SpectrogramPanel> panels;
    if (options.compare)
        panels = channelPanels(input, "input: " + baseName(options.input));
    for (const SpectrogramPanel& panel :
         channelPanels(output, (options.compare ? "output: " : "") + baseName(options.output)))
        panels.push_back(panel);
    SpectrogramOptions defaults;
    if (options.compare)
        defaults.height = kDefaultSpectrogramHeight * 3 / 2;
    return drawSpectrogram(panels, spectrogramView(defaults, output));
}

} // namespace quorvel::cli
