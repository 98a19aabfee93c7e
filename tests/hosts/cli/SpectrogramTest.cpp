#include "hosts/cli/Spectrogram.hpp"
#include "CliRunner.hpp"
#include "hosts/cli/ColourMap.hpp"
#include "hosts/cli/DemoPage.hpp"

#include <png.h>

#include <cmath>
#include <regex>

using namespace CliTest;
using quorvel::cli::analyseSpectrogram;
using quorvel::cli::AudioData;
using quorvel::cli::kSpectrogramFloorDb;
using quorvel::cli::SpectrogramGrid;

namespace {

constexpr int kRate = 44100;

// A sine whose frequency moves linearly from f0 to f1 Hz over `seconds`.
std::vector<float> sweep(double f0, double f1, double seconds, double amplitude = 0.5) {
    std::vector<float> x(size_t(seconds * kRate));
    double phase = 0.0;
    for (size_t i = 0; i < x.size(); ++i) {
        phase += 2.0 * M_PI * (f0 + (f1 - f0) * double(i) / double(x.size())) / kRate;
        x[i] = float(amplitude * std::sin(phase));
    }
    return x;
}

int loudestRow(const SpectrogramGrid& grid, int column) {
    int best = 0;
    for (int r = 1; r < grid.rows; ++r)
        if (grid.at(column, r) > grid.at(column, best))
            best = r;
    return best;
}

// A PNG file as libpng reads it: RGB rows, top to bottom; 0 x 0 if it is not one.
struct Picture {
    int width = 0, height = 0;
    std::vector<png_byte> rgb;
    const png_byte* at(int x, int y) const { return &rgb[(size_t(y) * width + x) * 3]; }
};

Picture readPng(const std::string& path) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    Picture picture;
    if (!png_image_begin_read_from_file(&image, path.c_str()))
        return picture;
    image.format = PNG_FORMAT_RGB;
    picture.rgb.resize(PNG_IMAGE_SIZE(image));
    if (png_image_finish_read(&image, nullptr, picture.rgb.data(), 0, nullptr)) {
        picture.width = int(image.width);
        picture.height = int(image.height);
    }
    return picture;
}

std::pair<int, int> pngSize(const std::string& path) {
    const Picture picture = readPng(path);
    return {picture.width, picture.height};
}

} // namespace

TEST(Spectrogram, PureToneIsOneRidgeAtItsRowAndTheFloorElsewhere) {
    const double hz = 47.0 * kRate / 2048; // on an analysis bin: no scalloping loss
    const SpectrogramGrid grid =
        analyseSpectrogram(sweep(hz, hz, 1.0), kRate, 0.1, 0.9, 4000.0, 40, 400); // 10 Hz rows
    for (int c = 0; c < grid.columns; ++c) {
        const int ridge = loudestRow(grid, c);
        EXPECT_EQ(ridge, int(hz / 10.0)) << c;
        // A sine of amplitude 0.5 reads -6.02 dB: the window is normalized for analysis.
        EXPECT_NEAR(grid.at(c, ridge), -6.02, 0.05) << c;
        for (int r = 0; r < grid.rows; ++r) {
            if (std::fabs((r + 0.5) * 10.0 - hz) > 120.0) { // beyond the window's main lobe
                ASSERT_EQ(grid.at(c, r), kSpectrogramFloorDb) << c << ", " << r;
            }
        }
    }
    const SpectrogramGrid silence =
        analyseSpectrogram(std::vector<float>(kRate), kRate, 0.0, 1.0, 8000.0, 30, 70);
    for (float db : silence.db)
        ASSERT_EQ(db, kSpectrogramFloorDb);
}

TEST(Spectrogram, SweepDrawsARisingLine) {
    const SpectrogramGrid grid =
        analyseSpectrogram(sweep(300.0, 3300.0, 2.0), kRate, 0.0, 2.0, 4000.0, 50, 200);
    for (int c = 0; c < grid.columns; ++c) {
        const double expectedHz = 300.0 + 3000.0 * (c + 0.5) / grid.columns;
        EXPECT_NEAR(loudestRow(grid, c), expectedHz / 20.0, 2.0) << c;
    }
}

class SpectrogramCommand : public CliTestBase {};

TEST_F(SpectrogramCommand, WritesAPngOfTheRequestedSizeForMonoStereoAndRender) {
    writeWav("in.wav", AudioData{kRate, 0, {sweep(200, 2000, 1.5), sweep(2000, 200, 1.5, 0.1)}});
    Result r = run({"spectrogram", path("in.wav"), path("a.png"), "--width", "700", "--height",
                    "500", "--from", "0.2", "--to", "1", "--max-hz", "4000"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(pngSize(path("a.png")), std::pair(700, 500));
    r = run({"render", path("in.wav"), path("out.wav"), "--program", "4", "--quiet",
             "--spectrogram", path("b.png"), "--compare"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(pngSize(path("b.png")), std::pair(960, 600));
    EXPECT_TRUE(std::filesystem::exists(path("out.wav")));
}

TEST_F(SpectrogramCommand, BadInputGivesOneLineAndNoPicture) {
    writeWav("in.wav", AudioData{kRate, 0, {sweep(200, 400, 1.0)}});
    const std::string in = path("in.wav"), out = path("out.png");
    const struct {
        std::vector<std::string> args;
        int status;
        const char* message;
    } cases[] = {
        {{"spectrogram", path("missing.wav"), out}, 1, "cannot read"},
        {{"spectrogram", in, path("no/such/folder/out.png")}, 1, "no/such/folder"},
        {{"spectrogram", in, out, "--from", "0.8", "--to", "0.5"}, 2, "must be before --to"},
        {{"spectrogram", in, out, "--from", "3"}, 2, "not before the end of the input"},
        {{"spectrogram", in, out, "--width", "0"}, 2, "--width must be a whole number"},
        {{"spectrogram", in, out, "--height", "100000"}, 2, "--height must be a whole number"},
        {{"spectrogram", in, out, "--height", "90"}, 2, "too small for 1 spectrogram"},
        {{"spectrogram", in, out, "--max-hz", "30000"}, 2, "--max-hz must be from 100"},
        {{"spectrogram", in, in}, 2, "refusing to write the picture over the input"},
        {{"render", in, path("o.wav"), "--compare"}, 2, "--compare needs --spectrogram"},
        {{"render", in, path("o.wav"), "--spectrogram", path("no/o.png")}, 1, "no/o.png"},
    };
    for (const auto& c : cases) {
        const Result r = run(c.args);
        EXPECT_EQ(r.status, c.status) << c.message << ": " << r.err;
        EXPECT_EQ(r.err.rfind("quorvel: ", 0), 0u) << r.err;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
        EXPECT_EQ(filesInDir(), 1u) << c.message; // only in.wav
    }
}

TEST_F(SpectrogramCommand, StereoStacksTheChannelsLeftAboveRight) {
    writeWav("in.wav", AudioData{kRate, 0, {sweep(1000, 1000, 1.0), std::vector<float>(kRate)}});
    ASSERT_EQ(run({"spectrogram", path("in.wav"), path("a.png"), "--max-hz", "2000"}).status, 0);
    const Picture picture = readPng(path("a.png"));
    ASSERT_EQ(picture.height, 400);
    // Down the middle: the tone's ridge (pale) once, in the upper half; the lower half's plot
    // is the floor's colour throughout.
    std::vector<int> pale;
    int floorBelow = 0;
    for (int y = 0; y < picture.height; ++y) {
        const png_byte* p = picture.at(picture.width / 2, y);
        if (p[0] > 240 && p[1] > 150 && p[2] < 230) // not the white around the plots
            pale.push_back(y);
        floorBelow += y > picture.height / 2 && p[0] == 0 && p[1] == 0 && p[2] == 4;
    }
    ASSERT_FALSE(pale.empty());
    EXPECT_LT(pale.back() - pale.front(), 10);
    EXPECT_LT(pale.back(), picture.height / 2);
    EXPECT_GT(floorBelow, 100);
}

TEST(Spectrogram, ColourMapRisesInLightnessFromItsFloor) {
    const quorvel::cli::Rgb floor = quorvel::cli::magma(0.0), top = quorvel::cli::magma(1.0);
    EXPECT_EQ(floor.r + floor.g + floor.b, 4);
    EXPECT_EQ(top.r + top.g + top.b, 252 + 253 + 191);
    EXPECT_EQ(quorvel::cli::magma(NAN).b, 4);
    int last = -1;
    for (int i = 0; i <= 100; ++i) {
        const quorvel::cli::Rgb c = quorvel::cli::magma(i / 100.0);
        const int lightness = 2 * c.r + 5 * c.g + c.b; // luma-like weights
        EXPECT_GT(lightness, last) << i;
        last = lightness;
    }
}

TEST(DemoPage, EscapesTextAndShowsSilenceAsMinusInfinity) {
    quorvel::cli::DemoPageContent content;
    quorvel::cli::DemoPageEntry entry;
    entry.name = "Sample & Hold";
    entry.description = "<b>\"x\"</b>";
    entry.outputWav = "a&b.wav";
    entry.peakDb = -INFINITY;
    content.entries = {entry};
    const std::string html = quorvel::cli::demoPageHtml(content);
    EXPECT_NE(html.find("Sample &amp; Hold"), std::string::npos);
    EXPECT_NE(html.find("&lt;b&gt;&quot;x&quot;&lt;/b&gt;"), std::string::npos);
    EXPECT_NE(html.find("src=\"a&amp;b.wav\""), std::string::npos);
    EXPECT_NE(html.find("peak <b>-&infin; dB"), std::string::npos);
    EXPECT_EQ(html.find("<script"), std::string::npos);
    EXPECT_EQ(html.find("http"), std::string::npos); // nothing from the network
}
