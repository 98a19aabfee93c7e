#include "hosts/cli/Args.hpp"

#include "hosts/cli/CliError.hpp"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace quorvel::cli {

namespace {

constexpr int kMaxBlockFrames = 1 << 20;
constexpr int kMaxJobs = 1024;

double parseNumber(const std::string& text, const std::string& what) {
    const std::optional<double> value = numberFrom(text);
    if (!value)
        throw usageError(what + " must be a number, not '" + text + "'");
    return *value;
}

Setting parseSetting(const std::string& text) {
    const auto eq = text.find('=');
    if (eq == std::string::npos || eq == 0)
        throw usageError("--set takes NAME=VALUE[@SECONDS], not '" + text + "'");
    Setting setting;
    setting.text = text;
    setting.name = text.substr(0, eq);
    std::string value = text.substr(eq + 1);
    const auto at = value.rfind('@');
    if (at != std::string::npos) {
        const double seconds = parseNumber(value.substr(at + 1), "the time in '" + text + "'");
        if (seconds < 0.0)
            throw usageError("the time in '" + text + "' must not be negative");
        setting.atSeconds = seconds;
        value = value.substr(0, at);
    }
    if (value.empty())
        throw usageError("--set '" + text + "' has no value");
    setting.value = value;
    return setting;
}

double parseUnitInterval(const std::string& text, const std::string& option) {
    const double value = parseNumber(text, option);
    if (value < 0.0 || value > 1.0)
        throw usageError(option + " must be between 0 and 1, not '" + text + "'");
    return value;
}

class Cursor {
public:
    explicit Cursor(const std::vector<std::string>& args) : mArgs(args) {}
    bool done() const { return mPos >= mArgs.size(); }
    const std::string& next() { return mArgs[mPos++]; }
    const std::string& valueOf(const std::string& option) {
        if (done())
            throw usageError(option + " needs a value");
        return next();
    }

private:
    const std::vector<std::string>& mArgs;
    size_t mPos = 0;
};

// Takes one session option at the cursor; false when `arg` is not one.
bool takeSessionOption(const std::string& arg, Cursor& cursor, SessionOptions& session) {
    if (arg == "--program") {
        session.program = cursor.valueOf(arg);
    } else if (arg == "--set") {
        session.settings.push_back(parseSetting(cursor.valueOf(arg)));
    } else if (arg == "--state") {
        session.stateFile = cursor.valueOf(arg);
    } else if (arg == "--gain") {
        session.gain = parseUnitInterval(cursor.valueOf(arg), arg);
    } else if (arg == "--dry-wet") {
        session.dryWet = parseUnitInterval(cursor.valueOf(arg), arg);
    } else {
        return false;
    }
    return true;
}

bool isHelp(const std::string& arg) {
    return arg == "--help" || arg == "-h";
}

[[noreturn]] void unknownOption(const std::string& command, const std::string& arg) {
    throw usageError("unknown option '" + arg + "' for '" + command + "' (see 'quorvel " + command +
                     " --help')");
}

void parseRender(Cursor& cursor, ParsedArgs& parsed) {
    std::vector<std::string> positional;
    RenderOptions& r = parsed.render;
    while (!cursor.done()) {
        const std::string& arg = cursor.next();
        if (isHelp(arg)) {
            parsed.command = Command::Help;
            parsed.helpTopic = "render";
            return;
        }
        if (takeSessionOption(arg, cursor, r.session))
            continue;
        if (arg == "--block") {
            const std::string& text = cursor.valueOf(arg);
            const double n = parseNumber(text, arg);
            if (n != std::floor(n) || n < 1 || n > kMaxBlockFrames)
                throw usageError("--block must be a whole number from 1 to " +
                                 std::to_string(kMaxBlockFrames) + ", not '" + text + "'");
            r.blockFrames = int(n);
        } else if (arg == "--out-dir") {
            r.outDir = cursor.valueOf(arg);
            if (r.outDir.empty())
                throw usageError("--out-dir needs a folder");
        } else if (arg == "--jobs") {
            const std::string& text = cursor.valueOf(arg);
            const double n = parseNumber(text, arg);
            if (n != std::floor(n) || n < 1 || n > kMaxJobs)
                throw usageError("--jobs must be a whole number from 1 to " +
                                 std::to_string(kMaxJobs) + ", not '" + text + "'");
            r.jobs = int(n);
        } else if (arg == "--no-latency-compensation") {
            r.compensateLatency = false;
        } else if (arg == "--quiet" || arg == "-q") {
            r.quiet = true;
        } else if (arg == "--spectrogram") {
            r.spectrogram = cursor.valueOf(arg);
        } else if (arg == "--compare") {
            r.compare = true;
        } else if (arg.size() > 1 && arg[0] == '-') {
            unknownOption("render", arg);
        } else {
            positional.push_back(arg);
        }
    }
    if (!r.outDir.empty()) {
        if (positional.empty())
            throw usageError("render --out-dir takes one or more input files");
        if (r.spectrogram || r.compare)
            throw usageError("--spectrogram draws a single render's output, not a batch's");
        r.inputs = positional;
        return;
    }
    if (r.jobs > 0)
        throw usageError("--jobs applies only to render --out-dir");
    if (positional.size() != 2)
        throw usageError("render takes an input and an output file (see 'quorvel render --help')");
    r.input = positional[0];
    r.output = positional[1];
    if (r.compare && !r.spectrogram)
        throw usageError("--compare needs --spectrogram FILE");
}

void parseState(Cursor& cursor, ParsedArgs& parsed) {
    while (!cursor.done()) {
        const std::string& arg = cursor.next();
        if (isHelp(arg)) {
            parsed.command = Command::Help;
            parsed.helpTopic = "state";
            return;
        }
        if (takeSessionOption(arg, cursor, parsed.render.session))
            continue;
        if (arg == "-o" || arg == "--output")
            parsed.stateOutput = cursor.valueOf(arg);
        else
            unknownOption("state", arg);
    }
}

void parseAnalyze(Cursor& cursor, ParsedArgs& parsed) {
    std::vector<std::string> positional;
    AnalyzeOptions& a = parsed.analyze;
    while (!cursor.done()) {
        const std::string& arg = cursor.next();
        if (isHelp(arg)) {
            parsed.command = Command::Help;
            parsed.helpTopic = "analyze";
            return;
        }
        if (arg == "--csv")
            a.csvFile = cursor.valueOf(arg);
        else if (arg == "--json")
            a.json = true;
        else if (arg == "--quiet" || arg == "-q")
            a.quiet = true;
        else if (arg.size() > 1 && arg[0] == '-')
            unknownOption("analyze", arg);
        else
            positional.push_back(arg);
    }
    if (positional.size() != 1)
        throw usageError("analyze takes one input file (see 'quorvel analyze --help')");
    a.input = positional[0];
}

double parseSeconds(const std::string& text, const std::string& option) {
    const double seconds = parseNumber(text, option);
    if (seconds < 0.0)
        throw usageError(option + " must not be negative, not '" + text + "'");
    return seconds;
}

int parsePixels(const std::string& text, const std::string& option) {
    constexpr int kMaxPixels = 4096;
    const double n = parseNumber(text, option);
    if (n != std::floor(n) || n < 1 || n > kMaxPixels)
        throw usageError(option + " must be a whole number of pixels from 1 to " +
                         std::to_string(kMaxPixels) + ", not '" + text + "'");
    return int(n);
}

void parseSpectrogram(Cursor& cursor, ParsedArgs& parsed) {
    std::vector<std::string> positional;
    SpectrogramOptions& o = parsed.spectrogram;
    while (!cursor.done()) {
        const std::string& arg = cursor.next();
        if (isHelp(arg)) {
            parsed.command = Command::Help;
            parsed.helpTopic = "spectrogram";
            return;
        }
        if (arg == "--from")
            o.fromSeconds = parseSeconds(cursor.valueOf(arg), arg);
        else if (arg == "--to")
            o.toSeconds = parseSeconds(cursor.valueOf(arg), arg);
        else if (arg == "--max-hz")
            o.maxHz = parseNumber(cursor.valueOf(arg), arg);
        else if (arg == "--width")
            o.width = parsePixels(cursor.valueOf(arg), arg);
        else if (arg == "--height")
            o.height = parsePixels(cursor.valueOf(arg), arg);
        else if (arg.size() > 1 && arg[0] == '-')
            unknownOption("spectrogram", arg);
        else
            positional.push_back(arg);
    }
    if (positional.size() != 2)
        throw usageError("spectrogram takes an input file and an output picture (see 'quorvel "
                         "spectrogram --help')");
    if (o.fromSeconds && o.toSeconds && *o.fromSeconds >= *o.toSeconds)
        throw usageError("--from " + formatNumber(*o.fromSeconds) + " must be before --to " +
                         formatNumber(*o.toSeconds));
    o.input = positional[0];
    o.output = positional[1];
}

} // namespace

std::optional<double> numberFrom(const std::string& text) {
    const char* begin = text.c_str();
    char* end = nullptr;
    errno = 0;
    const double value = std::strtod(begin, &end);
    if (text.empty() || end == begin || *end != '\0' || errno == ERANGE || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::string formatNumber(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

ParsedArgs parseArgs(const std::vector<std::string>& args) {
    ParsedArgs parsed;
    Cursor cursor(args);
    if (cursor.done())
        return parsed;
    const std::string& command = cursor.next();
    if (isHelp(command)) {
        return parsed;
    } else if (command == "help") {
        if (!cursor.done())
            parsed.helpTopic = cursor.next();
    } else if (command == "programs") {
        parsed.command = Command::Programs;
        while (!cursor.done()) {
            const std::string& arg = cursor.next();
            if (isHelp(arg)) {
                parsed.command = Command::Help;
                parsed.helpTopic = "programs";
                return parsed;
            }
            if (arg != "--json")
                unknownOption("programs", arg);
            parsed.json = true;
        }
    } else if (command == "render") {
        parsed.command = Command::Render;
        parseRender(cursor, parsed);
    } else if (command == "state") {
        parsed.command = Command::State;
        parseState(cursor, parsed);
    } else if (command == "analyze") {
        parsed.command = Command::Analyze;
        parseAnalyze(cursor, parsed);
    } else if (command == "spectrogram") {
        parsed.command = Command::Spectrogram;
        parseSpectrogram(cursor, parsed);
    } else if (command == "demo") {
        parsed.command = Command::Demo;
        bool haveFolder = false;
        while (!cursor.done()) {
            const std::string& arg = cursor.next();
            if (isHelp(arg)) {
                parsed.command = Command::Help;
                parsed.helpTopic = "demo";
                return parsed;
            }
            if ((arg.size() > 1 && arg[0] == '-') || haveFolder)
                throw usageError("demo takes at most one folder (see 'quorvel demo --help')");
            parsed.demoFolder = arg;
            haveFolder = true;
        }
    } else {
        throw usageError("unknown command '" + command +
                         "'; commands are programs, render, state, analyze, spectrogram, demo (see "
                         "'quorvel --help')");
    }
    if (parsed.command == Command::Help && !parsed.helpTopic.empty())
        helpText(parsed.helpTopic);
    return parsed;
}

std::string helpText(const std::string& topic) {
    if (topic.empty())
        return R"(quorvel - render audio files through Quorvel's spectral voice and sound effects

usage: quorvel COMMAND [options]

commands:
  programs [--json]          list the fifteen programs and their parameters
  render IN OUT [options]    render an audio file through a program
  state [options] [-o FILE]  write a program text (the plug-in's saved state)
  analyze IN [--csv F] [--json]  show the fundamental the harmonic analysis hears, hop by hop
  spectrogram IN OUT.png     draw a file's spectrogram as a PNG picture
  demo [DIR]                 render a built-in sound through every program, with a web page

'quorvel COMMAND --help' explains a command. Examples:
  quorvel programs
  quorvel render voice.wav out.wav --program "Spectral Freeze" --set "Fire=on@2.5"
  quorvel demo
)";
    if (topic == "programs")
        return R"(usage: quorvel programs [--json]

Lists each program's number, name, family and help text, and its parameters with their type,
unit, range and default. --json prints the same as one JSON document.

Examples:
  quorvel programs
  quorvel programs --json > programs.json
)";
    if (topic == "render")
        return R"(usage: quorvel render IN OUT [options]
       quorvel render IN... --out-dir DIR [--jobs N] [options]

Renders IN through a program into OUT. IN may be any file libsndfile reads, mono or stereo, at
22050, 44100, 48000 or 96000 Hz. OUT's extension picks the container (.wav .aiff .flac .ogg
.au .caf .w64 .rf64); rate, channels and sample format follow IN where the container allows.
OUT is written to a temporary file and renamed into place, and never replaces IN. The
harmonic programs (pitch shift, harmonizer and the others of that family) model one voice:
they read IN's first channel and write their result to every channel of OUT.

With --out-dir, every IN is rendered into DIR under its own file name, N files at a time
(default: one per core), each by its own engine, with the same program and settings, under
one progress bar; a summary follows. A file that fails is reported and the others still
render; the exit status is then 1.

options:
  --program NAME|NUMBER    the program, by name or number (see 'quorvel programs');
                           default: "Delay Spectral Bands" (0), or the one in --state
  --set NAME=VALUE[@SEC]   set a parameter of the program, by the name it shows (for example
                           "LowGain [dB]=-12"), in its own units and range; bool parameters
                           take 0/1/on/off/true/false. With @SEC the program receives the
                           change at that exact sample of the input (and applies it from its
                           next 256-sample hop); repeatable
  --state FILE             load a program text first (see 'quorvel state')
  --gain G                 output gain, 0..1 (default 1)
  --dry-wet X              0 = input only, 1 = processed only (default 1)
  --block N                host block length in samples (default 512)
  --no-latency-compensation  keep the processing delay; by default the output is aligned
                           with the input and has the same length
  --out-dir DIR            render every IN into DIR (created when missing)
  --jobs N                 with --out-dir: files rendered at a time (default: cores)
  --quiet                  no progress bar
  --spectrogram FILE.png   also draw the output's spectrogram (see 'quorvel spectrogram')
  --compare                with --spectrogram: the input's above the output's, same scale

Examples:
  quorvel render in.wav out.wav --program "3-Band Filter" --set "LowGain [dB]=-12"
  quorvel render in.wav out.flac --program 1 --set "Fire=on@2.5" --set "Reset=on@6"
  quorvel render in.wav out.wav --state my-delay.xml --dry-wet 0.5
  quorvel render in.wav out.wav --program 8 --spectrogram chord.png --compare
  quorvel render takes/*.wav --out-dir processed --program "Pitch Shift" --jobs 2
)";
    if (topic == "state")
        return R"(usage: quorvel state [options] [-o FILE]

Writes the program text: the XML the plug-in saves with a session, holding every stored
parameter and the current program. Takes the program and parameter options of 'render'
(--program, --set without @SEC, --state, --gain, --dry-wet). Without -o the text goes to
standard output.

Examples:
  quorvel state --program "Delay Spectral Bands" --set "LoDelay [ms]=250" -o delay.xml
  quorvel render in.wav out.wav --state delay.xml
)";
    if (topic == "analyze")
        return R"(usage: quorvel analyze IN [--csv FILE] [--json] [--quiet]

Runs the harmonic programs' analysis over the first channel of IN (the same input rules as
'render') and writes one row per 256-sample hop, as CSV on standard output (or into FILE with
--csv), or as one JSON document with --json. Columns:
  time_s     where in IN the analysed window is centred, in seconds
  f0_hz      the fundamental frequency, 0 when the hop is unvoiced
  error      the fundamental's mismatch error (nearer 0 is more certain; it can be negative;
             0 when unvoiced); the harmonic programs treat a hop whose error is larger than
             "VoiceThrld [%]" * 0.04 in size as unreliable
  peaks      spectral peaks found (up to 6000 Hz, above -80 dB)
  harmonics  harmonics of the fundamental tracked, 0 when unvoiced
On a terminal a summary follows on standard error: the voiced fraction, the median and the
range of the fundamental; long files show a progress bar (--quiet silences both).

Examples:
  quorvel analyze voice.wav
  quorvel analyze voice.wav --csv pitch.csv
  quorvel analyze voice.wav --json > pitch.json
)";
    if (topic == "spectrogram")
        return R"(usage: quorvel spectrogram IN OUT.png [options]

Draws the spectrogram of IN (any file 'render' reads) as a PNG picture: time across, frequency
up, the level in colour from -90 dB (black) to 0 dB (pale yellow; a full-scale sine), with a
colour bar. Each column is the spectrum of a Blackman-Harris window of about 45 ms centred
there. A stereo file shows its left channel above its right.

options:
  --from S, --to S   the stretch of IN to show, in seconds (default: all of it)
  --max-hz F         the highest frequency shown, 100 Hz to half the sample rate
                     (default 8000 Hz, or half the sample rate if lower)
  --width W          the picture's size in pixels, 1 to 4096 (default 960 x 400); it must
  --height H         leave room for the axes and at least 40 pixel rows per channel

Examples:
  quorvel spectrogram voice.wav voice.png
  quorvel spectrogram voice.wav detail.png --from 1 --to 2 --max-hz 4000 --width 1600
)";
    if (topic == "demo")
        return R"(usage: quorvel demo [DIR]

Writes a built-in test sound (a sung phrase with vibrato and breath that slides and glides,
then a few drum hits) and its render through every program into DIR (default ./quorvel-demo),
each with settings that show the program's character, and prints, per program, the output
level, the time taken and the real-time factor. Beside the sounds go their spectrograms and
DIR/index.html, a page that plays and shows every program's input and output (open it in a
browser; it needs nothing from the network).

Example:
  quorvel demo /tmp/quorvel-demo
)";
    throw usageError("no help on '" + topic +
                     "'; commands are programs, render, state, analyze, spectrogram, demo");
}

} // namespace quorvel::cli
