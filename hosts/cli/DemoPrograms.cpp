#include "hosts/cli/DemoPrograms.hpp"

#include <optional>

namespace quorvel::cli {

namespace {

struct Row {
    unsigned int program;
    std::vector<const char*> settings; // "NAME=VALUE[@SECONDS]"
    std::optional<double> gain;
    std::optional<double> dryWet;
    const char* note;
};

// The built-in sound: a sung G3 that slides up to B3 at 0.9 s, holds it, and glides slowly
// down to F#3 from 1.9 s to 2.9 s; four drum hits from 3.25 s, 0.3 s apart.
const Row kRows[] = {
    {0,
     {"LoDelay [ms]=450", "LoFeedbk [%]=45", "Low Cutoff [Hz]=400", "MiDelay [ms]=0",
      "MiFeedbk [%]=0", "Hi Cutoff [Hz]=2500", "HiDelay [ms]=150", "HiFeedbk [%]=60"},
     {},
     {},
     "The lows come back every 450 ms and the highs every 150 ms while the middle band stays "
     "dry: each drum hit leaves two trails of echoes at their own pace."},
    {1,
     {"Fire=on@1.5", "Reset=on@3.9"},
     {},
     {},
     "Fired at 1.5 s on the held B3: its partials hang on as straight lines while the voice "
     "glides down beneath, until Reset at 3.9 s lets the last drum hits through."},
    {2,
     {"HoldTime [ms]=150"},
     {},
     {},
     "Every 150 ms the spectrum is caught and held: the vibrato and the glide turn into steps."},
    {3,
     {"LoRate [Hz]=3", "LoDepth [%]=90", "MiRate [Hz]=6", "MiDepth [%]=90", "HiRate [Hz]=10",
      "HiDepth [%]=90"},
     {},
     {},
     "Deep tremolo at a different rate in each band: 3 Hz in the lows, 6 Hz in the middle, "
     "10 Hz in the highs, seen as beads along the harmonics."},
    {4,
     {"LowGain [dB]=-40", "Low Cutoff [Hz]=500", "MidGain [dB]=6", "HiGain [dB]=-30",
      "Hi Cutoff [Hz]=1500"},
     {},
     {},
     "Cuts below 500 Hz by 40 dB and above 1500 Hz by 30 dB, and lifts the middle by 6 dB: a "
     "thin, telephone-like voice."},
    {5,
     {"CentFrq [Hz]=2500", "Bandwidth [semitone]=3", "Gain [dB]=24"},
     {0.5},
     {},
     "A narrow 24 dB peak at 2500 Hz (output gain halved): a bright, nasal ring in one band."},
    {6,
     {"CentFrq [Hz]=1500", "Bandwidth [semitone]=6", "Gain [dB]=-60", "Rate [hz]=1",
      "Depth [%]=80"},
     {},
     {},
     "A deep notch sweeping between 300 Hz and 2700 Hz once a second: a dark wave through the "
     "harmonics."},
    {7,
     {"Transpose [semitone]=7"},
     {},
     {},
     "Up a fifth with the formants kept in place: the harmonics spread apart, the vowel stays."},
    {8,
     {"Pitch1 [semitone]=4", "Gain1 [dB]=-3", "Delay1 [ms]=0", "Pitch2 [semitone]=7",
      "Gain2 [dB]=-3", "Delay2 [ms]=0"},
     {},
     {0.5},
     "A major third and a fifth above the voice, mixed half and half with it: a major chord "
     "that follows the melody, three combs of harmonics in parallel."},
    {9,
     {"Correction [%]=100", "Rate [%]=100"},
     {},
     {},
     "Full, fast correction: the vibrato is flattened and the slow glide from 1.9 s becomes a "
     "staircase of semitones."},
    {10,
     {"VoiceThrld [%]=25"},
     {},
     {},
     "Keeps only the pitch: one sine at the voice's fundamental once it is steadily voiced; "
     "the other harmonics, the breath and the drums fall away."},
    {11,
     {"SinGain [dB]=-90", "NoisGain [dB]=0"},
     {},
     {},
     "The harmonics removed, the rest kept: breath and drums, with the voice a whisper."},
    {12,
     {"Amount [Hz]=600"},
     {},
     {},
     "The formants moved up by 600 Hz at the same pitch: the bright band of harmonics rises."},
    {13,
     {"LFO Rate [Hz]=6", "Depth [%]=20"},
     {},
     {},
     "A wide 6 Hz vibrato on the harmonics only: the partials wave, the breath does not."},
    {14,
     {"Pitch [Hz]=130"},
     {},
     {},
     "Every voiced moment on one pitch, 130 Hz: straight harmonic lines, the melody gone."},
};

} // namespace

DemoProgram demoProgram(unsigned int presetNumber) {
    DemoProgram demo;
    demo.options.program = std::to_string(presetNumber);
    for (const Row& row : kRows) {
        if (row.program != presetNumber)
            continue;
        for (const char* text : row.settings) {
            const std::string s = text;
            const size_t eq = s.find('='), at = s.find('@');
            Setting setting{s.substr(0, eq), s.substr(eq + 1, at - eq - 1), std::nullopt, s};
            if (at != std::string::npos)
                setting.atSeconds = std::stod(s.substr(at + 1));
            demo.options.settings.push_back(setting);
        }
        demo.options.gain = row.gain;
        demo.options.dryWet = row.dryWet;
        demo.note = row.note;
    }
    return demo;
}

std::string demoArguments(const SessionOptions& options) {
    std::string text;
    for (const Setting& setting : options.settings)
        text += std::string(text.empty() ? "" : " ") + "--set \"" + setting.text + "\"";
    if (options.gain)
        text += std::string(text.empty() ? "" : " ") + "--gain " + formatNumber(*options.gain);
    if (options.dryWet)
        text += std::string(text.empty() ? "" : " ") + "--dry-wet " + formatNumber(*options.dryWet);
    return text;
}

} // namespace quorvel::cli
